// Capacity analysis: estimation, effective stress, side and base resistance, passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "capacity/analysis.h"
#include "capacity/resistance.h"
#include "frame/input_reader.h"
#include "frame/run_status.h"

namespace korva {
namespace {

// A profile of layers given as (type, top, bottom, gamma) for the stress tests.
SoilProfile uniform_profile(double bottom, double gamma, double wtd) {
  SoilProfile p;
  ProfileLayer L;
  L.KSOIL = kSand;
  L.XTOP = 0;
  L.XBOT = bottom;
  L.v.GAMMA = {gamma, gamma};
  p.layers.push_back(L);
  p.WTD = wtd;
  return p;
}

TEST(EffectiveStress, WholeFootPointsInterpolatedAndBuoyantBelowWater) {
  const SoilProfile dry = uniform_profile(40, 120, 100);
  const auto pts = stress_points(dry);
  EXPECT_DOUBLE_EQ(EFFSTRESS(pts, dry, 10), 1200);
  EXPECT_DOUBLE_EQ(EFFSTRESS(pts, dry, 10.5), 1260);
  EXPECT_DOUBLE_EQ(EFFSTRESS(pts, dry, 0.5), 60);   // extrapolated from the first two points
  EXPECT_DOUBLE_EQ(EFFSTRESS(pts, dry, 40), 4800);  // the last point itself
  EXPECT_EQ(EFFSTRESS(pts, dry, 40.5), 0);          // below the profile

  const SoilProfile wet = uniform_profile(40, 120, 5);
  EXPECT_NEAR(EFFSTRESS(stress_points(wet), wet, 10), 5 * 120 + 5 * (120 - 62.4), 1e-9);
}

TEST(Phifromn, ChartValuesAndRegions) {
  const struct {
    double N, sigv, phi;
  } cases[] = {
      {10, 0, 38},       {10, 2880, 32},   {90, 5760, 44},
      {4, 0, 34},        {4, 1440, 32},    // p = 10: 34 - 0.5*(34-30)
      {30, 1440, 42},    // p = 10, 20 < N <= 55: 39 + 0.5*(45-39)
      {60, 0, 45},       {5, 4320, 25},    // 20 < p < 40, N <= 6: 5N
      {8, 4320, 31},     // 30 + 0.5*(8-6)
      {30, 4320, 37.5},  // p = 30: 39 - 0.5*(39-36)
      {70, 4320, 43.5},  // 42 + 0.5*(45-42)
      {95, 4320, 45},    {9, 7200, 27},   // p = 50: 3N
      {100, 7200, 44},   // beyond the 40 lb/in2 chart: its last angle
  };
  for (const auto& c : cases) EXPECT_NEAR(PHIFROMN(c.N, c.sigv), c.phi, 1e-9) << c.N << " " << c.sigv;
}

TEST(Estimation, ClayAlphaNcAndSandBeta) {
  EXPECT_DOUBLE_EQ(clay_alpha(4233.6), 0.5);
  EXPECT_DOUBLE_EQ(clay_alpha(2116.8), 0.55);
  EXPECT_DOUBLE_EQ(clay_alpha(6000), 0.4);
  EXPECT_DOUBLE_EQ(clay_nc(15, 3, kClay), 9);
  EXPECT_DOUBLE_EQ(clay_nc(15, 3, kClayShale), 7);
  EXPECT_DOUBLE_EQ(clay_nc(0, 3, kClay), 6);
  EXPECT_DOUBLE_EQ(clay_nc(5, 0, kClay), 9);  // zero diameter: the limit, no division
  EXPECT_NEAR(sand_beta(16, 30), 1.5 - 0.135 * 4, 1e-12);
  EXPECT_NEAR(sand_beta(16, 5), (1.5 - 0.135 * 4) / 3, 1e-12);
  EXPECT_DOUBLE_EQ(sand_beta(200, 30), 0.25);
  EXPECT_DOUBLE_EQ(sand_beta(0, 30), 1.2);
  EXPECT_NEAR(gravelly_sand_beta(10), 2.0 - 0.15 * std::pow(3.048, 0.75), 1e-12);
  EXPECT_DOUBLE_EQ(gravelly_sand_beta(0), 1.8);
  EXPECT_DOUBLE_EQ(gravel_beta(0), 3.0);
  EXPECT_NEAR(gravel_beta(50), 3.4 * std::exp(-0.025908 * 50), 1e-12);
}

TEST(BaseResistance, FormulaExamples) {
  const double A3 = kPi / 4 * 9, A4 = kPi / 4 * 16, A5 = kPi / 4 * 25;
  EXPECT_NEAR(GRANBASE(40, 0, 3, A3, 40, 1).QB, 169.668, 1e-9);
  EXPECT_NEAR(GRANBASE(40, 0, 3, A3, 40, 1).QBU, 24, 1e-12);
  EXPECT_NEAR(GRANBASE(40, 0, 5, A5, 60, 1).QB, 24 * A5 * 50 / 60, 1e-9);
  EXPECT_NEAR(GRANBASE(40, 0, 5, A5, 60, 0).QB, 24 * A5, 1e-9);  // IMOD 0: no reductions
  EXPECT_NEAR(GRANBASE(60, 0, 3, A3, 40, 1).QBU, 30, 1e-12);
  EXPECT_NEAR(GRANBASE(0, 33, 3, A3, 40, 1).QBU, 8.001, 1e-12);
  EXPECT_NEAR(GRANBASE(0, 38, 3, A3, 40, 1).QBU, 16 + 2.8 * 2, 1e-12);
  EXPECT_EQ(GRANBASE(0, 30, 3, A3, 40, 1).QB, 1e-5);
  EXPECT_NEAR(GRANBASE(40, 0, 3, A3, 15, 1).QB, 169.668 * 15 / 30, 1e-9);  // shallow base

  EXPECT_NEAR(clay_base(9, 1, 4, A4, 30, false), 113.112, 1e-9);
  EXPECT_NEAR(clay_base(9, 5, 4, A4, 30, false), 40 * A4, 1e-9);
  EXPECT_NEAR(clay_base(9, 5, 4, A4, 30, true), 45 * A4, 1e-9);  // clay-shale: no limit
  // Large base: a = min(0.015, 0.0071 + 0.0021*20/8), b = 0.45*sqrt(2), Fr = 2.5/(12*8*a+2.5*b)
  const double a = std::min(0.015, 0.0071 + 0.0021 * 20 / 8), b = 0.45 * std::sqrt(2.0);
  EXPECT_NEAR(clay_base(9, 1, 8, 1, 20, false), 9 * 2.5 / (12 * 8 * a + 2.5 * b), 1e-12);

  EXPECT_NEAR(rock_base(200000, 3, 1, 0), 706.86, 1e-9);
  EXPECT_EQ(rock_base(200000, 0, 1, 0), 0);      // no socket
  EXPECT_EQ(rock_base(200000, 3, 0, 0.01), 0);   // broken rock
  EXPECT_NEAR(rock_base(200000, 3, 0, 0), 100 * 2.3562 * 9 * 3 / 10, 1e-9);

  EXPECT_NEAR(limit_base(100, -20, A3), 20 * A3, 1e-12);
  EXPECT_NEAR(limit_base(100, 5, A3), 5 * A3, 1e-12);
  EXPECT_NEAR(limit_base(10, 5e6, A3), 10, 1e-12);
  EXPECT_EQ(limit_base(10, 5, 0), 10);  // no area: no unit limit, no division
}

TEST(BaseResistance, AveragingWeightsAndRockRule) {
  // Zone of 6 steps: weights 0, 0.2, 0.4, 0.6, 0.5333, 0.4667.
  std::vector<double> QB(20, 0);
  std::vector<int> ROCK(20, 1);
  for (int d = 0; d < 20; ++d) QB[d] = d;
  const double w[] = {0, 0.2, 0.4, 0.6, 0.6 * (2 - 4.0 / 6) / 1.5, 0.6 * (2 - 5.0 / 6) / 1.5};
  double sw = 0, s = 0;
  for (int j = 0; j < 6; ++j) {
    sw += w[j];
    s += w[j] * (11 + j);
  }
  EXPECT_NEAR(average_base(QB, ROCK, 10, 6, 3, nullptr), s / sw, 1e-12);
  EXPECT_EQ(average_base(QB, ROCK, 10, 6, 0.5, nullptr), 10);  // stem under 1 ft: QB at the base

  // Soil just below the base and rock deeper: rock steps take the last soil value.
  for (int d = 14; d < 20; ++d) {
    ROCK[d] = 0;
    QB[d] = 1000;
  }
  double s2 = 0;
  for (int j = 0; j < 6; ++j) s2 += w[j] * std::min(11 + j, 13);
  EXPECT_NEAR(average_base(QB, ROCK, 10, 6, 3, nullptr), s2 / sw, 1e-12);
  // A base in rock averages the rock values.
  EXPECT_NEAR(average_base(QB, ROCK, 13, 6, 3, nullptr), 1000, 1e-9);

  bool short_zone = false;
  EXPECT_EQ(average_base(QB, ROCK, 10, 1, 3, &short_zone), 10);
  EXPECT_TRUE(short_zone);
}

TEST(PassGeometry, StraightAndBelledShafts) {
  ProjectInput in;
  in.DSTART = 3;
  in.BS = 2.6;
  PassGeometry g = pass_geometry(in, 3);
  EXPECT_EQ(g.HB, 0);
  EXPECT_EQ(g.VU, 0);
  EXPECT_EQ(g.BEX, 3);  // rounded BS
  EXPECT_EQ(g.NZONE, 6);
  EXPECT_NEAR(g.AB, kPi / 4 * 9, 1e-12);
  EXPECT_NEAR(g.AS1, 0.36 * kPi * 9, 1e-12);

  in.RATIO = 2;
  in.BELANG = 30;
  g = pass_geometry(in, 3);
  const double theta = 30 / 57.29;
  EXPECT_EQ(g.TOE, 0.25);
  EXPECT_NEAR(g.HB, 3 / (2 * std::tan(theta)) + 0.25, 1e-12);
  EXPECT_NEAR(g.BD, 6, 1e-12);
  EXPECT_NEAR(g.VU, (kPi / 4 * 36 * 0.25 + kPi * (g.HB - 0.25) / 3 * ((9 + 36) / 4.0 + 18 / 4.0)) / 27,
              1e-12);
  EXPECT_EQ(pass_geometry(in, 4).TOE, 0.5);

  bool bad = false;
  in.BELANG = 0;
  g = pass_geometry(in, 3, &bad);
  EXPECT_TRUE(bad);
  EXPECT_EQ(g.BD, 3);  // analysed as a straight shaft
}

TEST(PassPlan, DiameterAndLengthSequences) {
  ProjectInput in;
  in.DSTART = 3;
  in.DIAEND = 4;
  auto diameters = [](const std::vector<PassPlan>& plan) {
    std::vector<double> d;
    for (const PassPlan& p : plan) d.push_back(p.DSTEM);
    return d;
  };
  EXPECT_EQ(diameters(plan_passes(in, 60)), (std::vector<double>{3, 3.5, 4}));
  in.DIAEND = 3;  // DIALIM below DSTART
  EXPECT_EQ(plan_passes(in, 60).size(), 1u);
  EXPECT_EQ(blocks_for_pass(in, plan_passes(in, 60), 0), 1);

  in.IPENT = 1;
  in.PDMIN = 40;
  in.PDINCR = 5;
  std::vector<double> lengths;
  for (const PassPlan& p : plan_passes(in, 60)) lengths.push_back(p.target_length);
  EXPECT_EQ(lengths, (std::vector<double>{60, 55, 50, 45, 40}));
  EXPECT_EQ(blocks_for_pass(in, plan_passes(in, 60), 0), 5);
  EXPECT_EQ(blocks_for_pass(in, plan_passes(in, 60), 3), 2);

  in.IPENT = 0;
  in.IChart = 1;
  in.DIAEND = 5;
  in.DIAMINCR = 1;
  const auto plan = plan_passes(in, 50);
  ASSERT_EQ(plan.size(), 3u * 3u);  // 3 lengths (50, 45, 40) by 3 diameters
  EXPECT_EQ(plan[4].IVLEN, 2);
  EXPECT_EQ(plan[4].IVDIA, 2);
  EXPECT_EQ(blocks_for_pass(in, plan, 0), 3);
  EXPECT_EQ(blocks_for_pass(in, plan, 7), 3);
  // A range just short of a whole number of steps still runs, and counts, the last step.
  in.DIAEND = 4.99;
  EXPECT_EQ(plan_passes(in, 50).size(), 9u);
  EXPECT_EQ(blocks_for_pass(in, plan_passes(in, 50), 0), 3);
}

// ---------------------------------------------------------------------------------------
// Whole capacity runs on small projects, collecting the passes.

struct Collect : CapacityListener {
  std::vector<PassResult> passes;
  MostEfficient best;
  void pass_done(const CapacityState&, const PassResult& p, const MostEfficient& b) override {
    passes.push_back(p);
    best = b;
  }
};

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

struct Analysis {
  std::int32_t status;
  Collect c;
};

Analysis analyse(const std::string& project) {
  Streams out;
  out[kConsole].close();
  ListReader in(lines(project));
  const ProjectInput p = to_internal_units(read_project(in, out));
  check_limits(p);
  Analysis a;
  a.status = run_capacity(p, out, a.c);
  return a;
}

// Header of a 3 ft shaft, top length `toplen`, no bottom exclusion, design depth 40 ft.
std::string project(const std::string& line3, const std::string& line4, const std::string& line5,
                    const std::string& layers) {
  return "test\n1\n" + line3 + "\n" + line4 + "\n" + line5 + "\n" + layers;
}

double stepFS(const PassResult& p, double z) {
  return p.t.FS.at(static_cast<std::size_t>(std::lround(z + p.g.BEX)));
}

TEST(SideResistance, StepExamplesByMethod) {
  // Clay, CU 1000, alpha 0.55, D 3 ft: FS = 0.275, QS grows by 3.142*3*0.275 per foot.
  Analysis clay = analyse(project("2 1 1 5 1 2 0 0 0 0 0", "3 0 0 0 0 0 3600000", "1 100 30 2 2.5",
                                  "2 60\n9 120 0 1000 0 0 0 1 1\n9 120 0 1000 0 0 0 1 1\n0.55 0.55\n"));
  ASSERT_EQ(clay.status, 0);
  const PassResult& pc = clay.c.passes.at(0);
  EXPECT_NEAR(stepFS(pc, 10), 0.275, 1e-12);
  EXPECT_NEAR(pc.t.QS.at(11) - pc.t.QS.at(10), 2.59215, 1e-9);

  // Beta sand at 10 ft, dry, 120 lb/ft3: sigma_m = 1200 - 60 = 1140.
  auto sand = [&](const char* beta) {
    return analyse(project("2 1 1 5 1 2 0 0 0 0 0", "3 0 0 0 0 0 3600000", "1 100 30 2 2.5",
                           std::string("1 60\n0 120 35 0 0 0 0 1 1\n0 120 35 0 0 0 0 1 1\n2\n") + beta + "\n"));
  };
  EXPECT_NEAR(stepFS(sand("1.2 1.2").c.passes.at(0), 10), 0.684, 1e-9);
  EXPECT_NEAR(stepFS(sand("4 4").c.passes.at(0), 10), 2.1, 1e-12);  // sand limit

  // Gravel, beta 3.0: sigma_m = 3000 at z = 25.5 is not a step, so take z = 25:
  // sigma_v = 25*120 = 3000, sigma_m = 2940, FS = 3*2940/2000 = 4.41 (no limit).
  Analysis gravel = analyse(project("2 1 1 5 1 2 0 0 0 0 0", "3 0 0 0 0 0 3600000", "1 100 30 2 2.5",
                                    "9 60\n120 40 3 0 0 1 1\n120 40 3 0 0 1 1\n"));
  EXPECT_NEAR(stepFS(gravel.c.passes.at(0), 25), 4.41, 1e-9);

  // Rock: qu = 40320 lb/ft2 gives 0.15 qu; qu = 57600 (400 lb/in2) gives 2.5 sqrt(qu) in lb/in2.
  auto rock = [&](int type, const char* qu, const char* kcycl) {
    const std::string rec = std::string(qu) + " 9000000 1 0 3 0 2000000 100 0 1 1\n";
    return analyse(project(std::string("2 ") + kcycl + " 1 5 1 2 0 0 0 0 0", "3 0 0 0 0 0 3600000",
                           "1 100 30 2 2.5", std::to_string(type) + " 60\n" + rec + rec));
  };
  EXPECT_NEAR(stepFS(rock(7, "40320", "1").c.passes.at(0), 10), 3.024, 1e-9);
  EXPECT_NEAR(stepFS(rock(7, "57600", "1").c.passes.at(0), 10), 3.6, 1e-9);
  EXPECT_EQ(stepFS(rock(4, "150000", "1").c.passes.at(0), 10), 0);  // end bearing only
  EXPECT_NEAR(stepFS(rock(4, "150000", "2").c.passes.at(0), 10),
              2.5 * 144 * std::sqrt(150000.0 / 144) / 2000, 1e-9);

  // A side limit of 0.1 tons/ft2 (200 lb/ft2) caps FS; 0 means no limit.
  Analysis limited = analyse(project("2 1 1 5 1 2 0 0 0 0 0", "3 0 0 0 0 0 3600000", "1 100 30 2 2.5",
                                     "2 60\n9 120 0 1000 0 200 0 1 1\n9 120 0 1000 0 200 0 1 1\n0.55 0.55\n"));
  EXPECT_NEAR(stepFS(limited.c.passes.at(0), 10), 0.1, 1e-12);
}

TEST(CapacityRun, ExampleTableMatchesHandComputation) {
  std::ifstream f(std::string(KORVA_SOURCE_DIR) + "/examples/clay-over-sand.kv8d");
  std::stringstream s;
  s << f.rdbuf();
  Analysis a = analyse(s.str());
  ASSERT_EQ(a.status, 0);
  ASSERT_EQ(a.c.passes.size(), 1u);
  const PassResult& p = a.c.passes[0];
  EXPECT_EQ(p.table.Lfirst, 9);  // round(BS 3 + HB 0 + TOPLEN 5) + 1
  ASSERT_FALSE(p.table.rows.empty());
  const TableRow& first = p.table.rows.front();
  const TableRow& last = p.table.rows.back();
  EXPECT_EQ(last.LENGTH, 60);  // the design depth
  EXPECT_TRUE(p.table.design_reached);

  // Clay step at 6 ft (row 9 = 6 ft + BEX 3): CU = 1000 + 1200*6/30 = 1240 lb/ft2,
  // alpha 0.55 (estimated), FS = 0.55*1240/2000 = 0.341, QS = 3.142*3*0.341.
  EXPECT_NEAR(first.QS, 3.142 * 3 * 0.341, 1e-9);
  EXPECT_NEAR(first.VOLUME, 9 * 3.142 / 4 * 9 / 27, 1e-12);

  // Sand step at 50 ft: estimated beta, taken at the step's own depth (N there is 24.8, no
  // loose-sand factor), gamma = 122, sigma_v from the stress points, below the water (12 ft).
  const double beta = 1.5 - 0.135 * std::sqrt(50.0);
  // Effective stress at 50 ft: clay 1..30 (gamma 115 + k*5/30), sand 31..50 (120 + k*5/50);
  // points below 12 ft lose 62.4 each.
  double sigv = 0;
  for (int k = 1; k <= 30; ++k) sigv += 115 + k * 5.0 / 30 - (k > 12 ? 62.4 : 0);
  for (int k = 1; k <= 20; ++k) sigv += 120 + k * 5.0 / 50 - 62.4;
  const double gamma50 = 120 + 5.0 * 20 / 50;
  const double fs50 = beta * (sigv - 0.5 * (gamma50 - 62.4)) / 2000;
  EXPECT_NEAR(stepFS(p, 50), fs50, 1e-9);

  // Base at the design length 60 ft: sand N at 61..66 ft, QBU = 0.6 N, averaged with the
  // zone weights over NZONE = 6 steps.
  const double A = 3.142 / 4 * 9;
  double sw = 0, sq = 0;
  for (int j = 0; j < 6; ++j) {
    const double x = j / 6.0;
    const double w = x <= 0.5 ? 1.2 * x : 0.6 * (2 - x) / 1.5;
    const double N = 18 + 17.0 * (61 + j - 30) / 50;
    sw += w;
    sq += w * std::min(30.0, 0.6 * N) * A;
  }
  EXPECT_NEAR(last.QB, sq / sw, 1e-9);
  EXPECT_NEAR(last.QDN, last.QS / 2 + last.QB / 2.5, 1e-9);
  EXPECT_NEAR(last.QBD, last.QS + last.QB / 2.5, 1e-9);
}

// The bundled golden project with estimated coefficients: strong clay (CU 6000 lb/ft2,
// alpha estimated) 0..20 ft, loose sand (N 8 to 12, gamma 115 to 118) 20..50 ft with the
// water table at 30 ft, dense sand (N 30, gamma 122 to 125) 50..80 ft; a 3 ft shaft of 70 ft
// without excluded zones, beta method with both betas left at 0.
Analysis analyse_estimated_coefficients() {
  std::ifstream f(std::string(KORVA_SOURCE_DIR) + "/tests/fixtures/golden/estimated-coefficients.kv8d");
  std::stringstream s;
  s << f.rdbuf();
  return analyse(s.str());
}

// Effective vertical stress at a whole-foot depth of that profile, point by point: each foot
// adds its unit weight (interpolated over the layer), less 62.4 below the water table.
double hand_sigv(int z) {
  double sigv = 0;
  for (int d = 1; d <= z; ++d) {
    double gamma = 125;                                   // clay
    if (d > 20 && d <= 50) gamma = 115 + (d - 20) * 3.0 / 30;  // loose sand
    if (d > 50) gamma = 122 + (d - 50) * 3.0 / 30;         // dense sand
    sigv += d > 30 ? gamma - 62.4 : gamma;
  }
  return sigv;
}

// Unit side resistance (tons/ft2) of a sand step at whole-foot depth z by the beta method,
// beta from the depth and the blow count at z itself.
double hand_sand_fs(int z) {
  const bool loose = z <= 50;
  const double N = loose ? 8 + 4.0 * (z - 20) / 30 : 30;
  const double gamma = loose ? 115 + 3.0 * (z - 20) / 30 : 122 + 3.0 * (z - 50) / 30;
  double beta = 1.5 - 0.135 * std::sqrt(static_cast<double>(z));
  if (N < 15) beta *= N / 15;
  beta = std::clamp(beta, 0.25, 1.2);
  const double sigm = hand_sigv(z) - 0.5 * (z > 30 ? gamma - 62.4 : gamma);
  return std::min(beta * sigm / 2000, 2.1);
}

TEST(CapacityRun, EstimatedBetaIsTakenAtEveryDepthStep) {
  Analysis a = analyse_estimated_coefficients();
  ASSERT_EQ(a.status, 0);
  ASSERT_EQ(a.c.passes.size(), 1u);
  const PassResult& p = a.c.passes[0];

  // Loose sand at 25 ft (above the water): sigma_v = 20*125 + 5*115 + 0.1*(1+...+5) = 3076.5,
  // sigma_m = 3076.5 - 115.5/2 = 3018.75, N = 8 + 4*5/30, beta = (1.5 - 0.135*5)*N/15.
  const double fs25 = (1.5 - 0.135 * 5) * (8 + 4.0 * 5 / 30) / 15 * 3018.75 / 2000;
  EXPECT_NEAR(hand_sand_fs(25), fs25, 1e-12);
  EXPECT_NEAR(stepFS(p, 25), fs25, 1e-9);
  // The same step on the straight line between the echoed end values gives about 1 % less;
  // the end values themselves are those of the formula at the layer's top and bottom.
  const double beta_top = (1.5 - 0.135 * std::sqrt(20.0)) * 8 / 15;
  const double beta_bottom = (1.5 - 0.135 * std::sqrt(50.0)) * 12 / 15;
  EXPECT_GT(std::fabs(stepFS(p, 25) / ((beta_top + (beta_bottom - beta_top) * 5 / 30) * 3018.75 / 2000) - 1),
            0.005);
  // Loose sand at 40 ft (below the water): sigma_v = 2500 + 1155.5 + 541.5 = 4197,
  // sigma_m = 4197 - (117 - 62.4)/2 = 4169.7, N = 8 + 4*20/30.
  const double fs40 =
      (1.5 - 0.135 * std::sqrt(40.0)) * (8 + 4.0 * 20 / 30) / 15 * 4169.7 / 2000;
  EXPECT_NEAR(hand_sigv(40), 4197, 1e-9);
  EXPECT_NEAR(stepFS(p, 40), fs40, 1e-9);
  // Dense sand at 60 ft: sigma_v = 2500 + 1155.5 + 1093 + 601.5 = 5350, sigma_m = 5350 -
  // (123 - 62.4)/2 = 5319.7, no loose-sand factor; and at 70 ft.
  EXPECT_NEAR(hand_sigv(60), 5350, 1e-9);
  EXPECT_NEAR(stepFS(p, 60), (1.5 - 0.135 * std::sqrt(60.0)) * 5319.7 / 2000, 1e-9);
  EXPECT_NEAR(stepFS(p, 70), hand_sand_fs(70), 1e-9);
  for (int z = 21; z <= 70; ++z) EXPECT_NEAR(stepFS(p, z), hand_sand_fs(z), 1e-9) << z;

  // The row at the design length (70 ft): clay 1..20 ft at alpha 0.4 (FS = 0.4*6000/2000),
  // then the sand steps, each over 3.142*3 ft of perimeter.
  ASSERT_FALSE(p.table.rows.empty());
  const TableRow& last = p.table.rows.back();
  EXPECT_EQ(last.LENGTH, 70);
  double qs = 20 * 3.142 * 3 * 1.2;
  for (int z = 21; z <= 70; ++z) qs += 3.142 * 3 * hand_sand_fs(z);
  EXPECT_NEAR(last.QS, qs, 1e-9);
  EXPECT_NEAR(last.QDN, last.QS / 2 + last.QB / 2.5, 1e-9);
}

TEST(Estimation, EstimatedAlphaWarnsOnStrongClayAndKeepsItsNumbers) {
  std::ifstream f(std::string(KORVA_SOURCE_DIR) + "/tests/fixtures/golden/estimated-coefficients.kv8d");
  std::stringstream s;
  s << f.rdbuf();
  Streams out;
  out[kConsole].close();
  ListReader in(lines(s.str()));
  const ProjectInput input = to_internal_units(read_project(in, out));
  EstimationNotes notes;
  const SoilProfile prof = estimate_profile(input, notes);
  // x = 6000/2116.8 = 2.83 at the top and at the bottom: one warning for each end.
  ASSERT_EQ(notes.report.size(), 2u);
  EXPECT_NE(notes.report[0].find("THE SHEAR STRENGTH OF THIS MATERIAL MAY BE TOO HIGH"),
            std::string::npos);
  EXPECT_EQ(notes.report[0], notes.report[1]);
  // Every estimated coefficient is re-estimated per step; the echoed end values and marks stay.
  ASSERT_EQ(prof.layers.size(), 3u);
  for (const ProfileLayer& L : prof.layers) {
    EXPECT_TRUE(L.COEFEST);
    EXPECT_TRUE(L.marks.COEF[0] && L.marks.COEF[1]);
  }
  EXPECT_DOUBLE_EQ(prof.layers[0].v.COEF[0], 0.4);
  EXPECT_DOUBLE_EQ(prof.layers[0].v.COEF[1], 0.4);
  EXPECT_NEAR(prof.layers[2].v.COEF[1], 1.5 - 0.135 * std::sqrt(80.0), 1e-12);
  // The clay's steps keep alpha 0.4: FS = 0.4*6000/2000 = 1.2.
  Analysis a = analyse_estimated_coefficients();
  for (int z = 1; z <= 20; ++z) EXPECT_NEAR(stepFS(a.c.passes.at(0), z), 1.2, 1e-12) << z;

  // An entered alpha takes no second pass: no warning.
  std::string entered = s.str();
  entered.replace(entered.find("0 0\n1 50"), 3, "0.4 0.4");
  ListReader in2(lines(entered));
  EstimationNotes none;
  estimate_profile(to_internal_units(read_project(in2, out)), none);
  EXPECT_TRUE(none.report.empty());
}

TEST(CapacityRun, DesignLoadControlAndNeedAnotherLayer) {
  const std::string clay = "2 60\n9 120 0 1000 0 0 0 1 1\n9 120 0 1000 0 0 0 1 1\n0.55 0.55\n";
  Analysis ok = analyse(project("1 1 1 5 1 2 0 0 0 0 0", "3 0 0 0 0 0 3600000", "1 100 50 2 2.5", clay));
  ASSERT_EQ(ok.status, 0);
  const auto& rows = ok.c.passes.at(0).table.rows;
  ASSERT_GE(rows.size(), 2u);
  EXPECT_GT(rows.back().QDN, 50);
  EXPECT_LE(rows[rows.size() - 2].QDN, 50);

  Analysis short_of_load =
      analyse(project("1 1 1 5 1 2 0 0 0 0 0", "3 0 0 0 0 0 3600000", "1 100 5000 2 2.5", clay));
  EXPECT_EQ(short_of_load.status, kStatusNeedLayer);
  EXPECT_TRUE(short_of_load.c.passes.empty());
}

TEST(CapacityRun, UpliftTakesTheBuoyantShaftWeight) {
  const std::string clay = "2 60\n9 120 0 1000 0 0 0 1 1\n9 120 0 1000 0 0 0 1 1\n0.55 0.55\n";
  Analysis a = analyse(project("2 2 0.8 5 1 2 0 0 0 0 0", "3 0 0 0 0 0 3600000", "1 20 40 2 2.5", clay));
  ASSERT_EQ(a.status, 0);
  const TableRow& r = a.c.passes.at(0).table.rows.back();
  ASSERT_EQ(r.LENGTH, 40);
  const double volume = 40 * 3.142 / 4 * 9 / 27;
  EXPECT_NEAR(r.QB, volume * 4050 / 2000 - 20 * 0.02450448 * 9, 1e-9);
  EXPECT_NEAR(r.QDN, r.QS / 2 + r.QB, 1e-9);  // FSB is 1 in uplift
  // Side resistance is reduced by RCYCL.
  EXPECT_NEAR(stepFS(a.c.passes[0], 10), 0.8 * 0.275, 1e-12);
}

TEST(CapacityRun, MostEfficientShaftOverDiameters) {
  const std::string clay = "2 60\n9 120 0 1000 0 0 0 1 1\n9 120 0 1000 0 0 0 1 1\n0.55 0.55\n";
  Analysis a = analyse(project("2 1 1 5 1 2 0 0 0 0 0", "3 4 0 0 0 0 3600000", "1 100 40 2 2.5", clay));
  ASSERT_EQ(a.c.passes.size(), 3u);
  double best = 0;
  for (const PassResult& p : a.c.passes) best = std::max(best, p.table.rows.back().QU_VOLUME);
  EXPECT_EQ(a.c.best.QU_VOLUME, best);
}

}  // namespace
}  // namespace korva

namespace korva {
namespace {

bool finite_row(const TableRow& r) {
  for (double v : {r.LENGTH, r.VOLUME, r.QS, r.QB, r.QU, r.QBD, r.QDN, r.QU_VOLUME, r.LRFD_QS,
                   r.LRFD_QB, r.LRFD_QU})
    if (!std::isfinite(v)) return false;
  return true;
}

// Every soil type in one profile, with zeros where users leave values out.
const char* kEveryTypeLayers =
    "1 10\n0.0 110 30 0 10 0 0 1 1\n0.0 115 0 0 14 0 0 1 1\n3\n0 0\n"
    "2 20\n0 118 0.0 0 8 0 0 1 1\n0 119 0.0 900 9 0 0 1 1\n0 0\n"
    "3 30\n0 125 0.0 0 50 0 0 1 1\n0 126 0.0 6000 60 0 0 1 1\n0 0\n"
    "4 40\n100000 4000 0 0 0 0 0 80 0 1 1\n110000 4000 1.5 0.02 3 0 0 85 0 1 1\n"
    "5 50\n130 0 0.3 50000 0 0 0 1 1\n131 70 0.3 60000 3 0 0 1 1\n"
    "6 60\n20000 2 7 30 0 0 0 70 0 1 1\n21000 4 7 30 3 0 1600000 75 0 1 1\n"
    "7 70\n200000 5000 0 0 0 0 3000000 90 0 1 1\n200000 5000 1 0 3 0 3000000 90 0 1 1\n"
    "8 80\n125 30 0 0 0 1 1\n126 0 0 0 0 1 1\n"
    "9 95\n0 40 1.1 0 -20000 1 1\n131 45 1.2 0 0 1 1\n";

TEST(CapacityRun, EveryTypeAndEdgeProjectsGiveFiniteTables) {
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"English, compression, ASD, lengths 40..90",
       project("2 1 1 5 1 2 0 0 0 0 0", "3 4 0 0 2 1 3600000", "9 12 90 2 2.5", kEveryTypeLayers)},
      {"SI, uplift, LRFD",
       "si\n2\n2 2 0.7 1.5 1 1 0 0 0 0 0\n1 1.2 0 0 0.6 0.3 25000000\n9 4 27 2 2.5\n" +
           std::string(kEveryTypeLayers)},
      {"belled, design load", project("1 1 1 5 1 1 0 0 0 0 0", "3 0 3 45 2 1 3600000", "9 12 300 2 2.5",
                                      kEveryTypeLayers)},
      {"zero diameter", project("2 1 1 5 1 2 0 0 0 0 0", "0 0 0 0 0 0 0", "9 12 60 0 0", kEveryTypeLayers)},
      {"length variation", project("2 1 1 5 1 2 1 0 0 0 0", "3 0 0 0 5 3 3600000", "9 12 80 2 2.5",
                                   "40 10\n" + std::string(kEveryTypeLayers))},
      {"design charts", project("2 1 1 5 1 1 0 1 0 0 0", "2 4 0 0 5 3 3600000", "9 12 80 2 2.5",
                                "40 10 1 2\n0.5 1\n" + std::string(kEveryTypeLayers))},
      {"weak rock socket 4 ft by 6 ft",
       project("2 1 1 5 1 2 0 0 0 0 0", "4 0 0 0 0 0 3600000", "2 12 16 2 2.5",
               "2 10\n0 118 0.0 900 0 0 0 1 1\n0 119 0.0 900 0 0 0 1 1\n0 0\n"
               "6 30\n20000 2 7 30 4 0 1600000 75 0 1 1\n21000 2 7 30 4 0 1600000 75 0 1 1\n")},
  };
  for (const Case& c : cases) {
    Analysis a = analyse(c.text);
    EXPECT_TRUE(a.status == 0 || a.status == kStatusNeedLayer) << c.name;
    for (const PassResult& p : a.c.passes) {
      for (const TableRow& r : p.table.rows) ASSERT_TRUE(finite_row(r)) << c.name << " at " << r.LENGTH;
      for (double v : p.t.FS) ASSERT_TRUE(std::isfinite(v)) << c.name;
      for (double v : p.t.QB) ASSERT_TRUE(std::isfinite(v)) << c.name;
    }
  }
}

}  // namespace
}  // namespace korva
