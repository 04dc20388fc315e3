// Weak rock (soil type 6): chart lookups, side and base quantities, range warnings and the
// substitutes for zero divisors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "settlement/weak_rock.h"

namespace fs = std::filesystem;

namespace korva {
namespace {

void expect_close(double actual, double expected, const char* what) {
  EXPECT_NEAR(actual, expected, 1e-10 * std::max(1.0, std::fabs(expected))) << what;
}

// ---- Charts ------------------------------------------------------------------------------

struct ChartCase {
  const char* what;
  double (*chart)(double, double);
  double a, b;  // arguments in the chart's order
  double expected;
};

TEST(WeakRockCharts, TableCases) {
  const ChartCase cases[] = {
      // FLUID_FACTOR(slump, zc): 1 at zc = 0 for every slump, also off the rows.
      {"M slump 3, zc 0", FLUID_FACTOR, 3, 0, 1},
      {"M slump 5, zc 0", FLUID_FACTOR, 5, 0, 1},
      {"M slump 7.5, zc 0", FLUID_FACTOR, 7.5, 0, 1},
      {"M slump 12, zc 0", FLUID_FACTOR, 12, 0, 1},
      {"M zc below 0", FLUID_FACTOR, 6.89, -3, 1},
      // Row 6.89 between columns 13.12 and 26.25: 0.96 - 0.21 * 6.88/13.13.
      {"M row 6.89, zc 20", FLUID_FACTOR, 6.89, 20, 0.96 - 0.21 * 6.88 / 13.13},
      // Midway in both: columns 13.12 -> (0.52 + 0.96)/2 = 0.74, 26.25 -> (0.47 + 0.75)/2 = 0.61.
      {"M midway", FLUID_FACTOR, 5.945, 19.685, 0.675},
      {"M slump below, zc beyond", FLUID_FACTOR, 3, 50, 0.35},
      {"M slump beyond, zc 40", FLUID_FACTOR, 10, 40, 0.9},

      // SIDE_ALPHA(sigma_n/pa, qu): corners and clamps.
      {"alpha 1, 10415", SIDE_ALPHA, 1, 10415, 0.2},
      {"alpha 7, 10415", SIDE_ALPHA, 7, 10415, 0.5},
      {"alpha 1, 104150", SIDE_ALPHA, 1, 104150, 0.066},
      {"alpha 7, 104150", SIDE_ALPHA, 7, 104150, 0.156},
      {"alpha below both", SIDE_ALPHA, 0.4, 5000, 0.2},
      {"alpha beyond both", SIDE_ALPHA, 9, 200000, 0.156},
      // qu 31245 midway 20830/41660: column 2 -> 0.1975, column 3 -> 0.254; sn/pa 2.5.
      {"alpha midway", SIDE_ALPHA, 2.5, 31245, 0.22575},

      // N_FACTOR(2000 Em/sigma_n, qu/pa): corners and clamps.
      {"n 400, 5", N_FACTOR, 400, 5, 0.5},
      {"n 3000, 5", N_FACTOR, 3000, 5, 0.4},
      {"n 400, 48", N_FACTOR, 400, 48, 0.4},
      {"n 3000, 48", N_FACTOR, 3000, 48, 0},
      {"n below 400", N_FACTOR, 100, 24, 0.472},
      // Beyond 3000 the 3000 column holds (0.24, not the 2000 column's 0.375).
      {"n beyond 3000", N_FACTOR, 5000, 14, 0.24},
      {"n far beyond 3000", N_FACTOR, 1e6, 24, 0.075},
      {"n beyond 3000, between rows", N_FACTOR, 4000, 19, 0.1575},
      // 800 midway 600/1000, qu/pa 26 midway 24/28: columns 0.36 and 0.275.
      {"n midway", N_FACTOR, 800, 26, 0.3175},
  };
  for (const ChartCase& c : cases) expect_close(c.chart(c.a, c.b), c.expected, c.what);
}

// ---- Quantities ------------------------------------------------------------------------

// A weak-rock layer from 10 to 20 ft, socket top z1 = 10, shaft length 30 ft, 4 ft socket.
WeakRockInput sample_input() {
  WeakRockInput in;
  LayerInput& l = in.layer;
  l.SOIL = kWeakRock;
  l.DEPTH = 20;
  l.QUR = {20000, 21660};
  l.EL = {800, 1200};
  l.RQD = {85, 85};
  l.WRDELTA = {30, 30};
  l.SLUMP = {6.89, 6.89};
  l.BDS = {4, 4};
  l.ICOND = {2, 2};
  in.top = 10;
  in.bottom = 20;
  in.z = 15;
  in.z1 = 10;
  in.D = 4;
  in.DSTART = 4;
  in.Ec = 288000;
  in.L = 30;
  return in;
}

// Hand computation at z = 15 (first call, ICOND 2):
//   qu = 20000 + 1660 * 5/10 = 20830; EL = 1000 = Ei; RQD 85; Ds = 4; phic = 30 * 3.1416/180
//   zc = min(40, (30 + 10)/2) = 20; M = 0.96 - 0.21 * 6.88/13.13 = 0.849961919269
//   sigma_n = 150 * 20 * M = 2549.885757807; sigma_n/pa = 1.205220852581
//   alpha (qu row 20830): 0.145 + 0.09 * 0.205220852581 = 0.163469876732
//   fa = alpha * 20830 * tan(0.5236)/0.57735187 = 3405.077719449
//   modulus factor (row A, RQD 85): 0.7 + 0.3 * 15/30 = 0.85; side reduction 0.8 + 0.2 * 0.35/0.5
//   = 0.94; fa_r = 3200.773056282; Em = 850
//   n: 2000 * 850/sigma_n = 666.696535245, qu/pa = 9.845441225126 -> rows 5 and 14, columns
//   600 and 1000: 0.463718110713
//   Lx = max(15 - 10, 4) = 5, w = 0.2; s = sqrt(1.25) = 1.118033988750; e = log10(338.8235)
//   = 2.529973562045; Omega = 0.819627603627; Gamma = 0.498879145193
//   theta = 2000 * 850 * Omega * 0.2/(fa_r * 3.1416 * 5 * Gamma) = 11.110263746691 > n
//   f = fa_r * (n + (theta - n)(1 - n)/(theta - 2n + 1)) = 3118.456059543
//   bracket = 200 * 2.25 * (s - Omega)/(957.5597 * 5 * Gamma); K = 2 * 0.64159197 * 850 * 1.25
//   * bracket^0.67/2.25 = 88.076742088; qb = min(52075, 20.88 K 60.96^0.67) = 28878.315601794
//   base load = 0.7854 * 16 * qb = 362896.465178 lb; QB = 181.448232589 tons
TEST(WeakRockQuantities, HandComputedCase) {
  const WeakRockInput in = sample_input();
  WeakRockSums sums;
  const WeakRockSide side = WEAK_ROCK_SIDE(in, sums);
  const WeakRockQuantities& q = side.q;

  expect_close(side.Lx, 5, "Lx");
  expect_close(side.w, 0.2, "w");
  expect_close(q.qu, 20830, "qu");
  expect_close(q.Ei, 1000, "Ei");
  expect_close(q.zc, 20, "zc");
  expect_close(q.M, 0.84996191926885, "M");
  expect_close(q.sigma_n, 2549.88575780655, "sigma_n");
  expect_close(q.alpha, 0.163469876732329, "alpha");
  expect_close(q.fa, 3405.07771944872, "fa");
  expect_close(q.modulus_factor, 0.85, "modulus factor");
  expect_close(q.side_reduction, 0.94, "side reduction");
  expect_close(q.fa_r, 3200.7730562818, "fa_r");
  expect_close(q.Em, 850, "Em");
  expect_close(q.n, 0.463718110712732, "n");
  expect_close(q.s, 1.11803398874989, "s");
  expect_close(q.e, 2.52997356204494, "e");
  expect_close(q.Omega, 0.819627603626883, "Omega");
  expect_close(q.Gamma, 0.49887914519347, "Gamma");
  expect_close(q.theta, 11.110263746691, "theta");
  expect_close(q.f, 3118.45605954251, "f");
  expect_close(q.K, 88.0767420881463, "K");
  expect_close(q.qb, 28878.3156017939, "qb");
  expect_close(q.base_load_lb, 362896.465178383, "base load");
  expect_close(side.QB, 181.448232589192, "QB");
  expect_close(side.FBASE, q.fa_r, "FBASE (ICOND 2)");
  EXPECT_EQ(q.guards, 0u);
  EXPECT_FALSE(side.length_warning || side.modulus_warning || side.diameter_warning);

  // The same slump given in metres by SI input.
  WeakRockInput si = in;
  si.si = true;
  si.layer.SLUMP = {6.89 * 25.4 / 1000, 6.89 * 25.4 / 1000};
  WeakRockSums si_sums;
  expect_close(WEAK_ROCK_SIDE(si, si_sums).q.sigma_n, q.sigma_n, "sigma_n, SI slump");
}

// The interface condition picks fa, n, the RQD row and the unit side term FBASE.
TEST(WeakRockQuantities, InterfaceConditions) {
  struct Case {
    int icond;
    bool half_qu;          // fa = qu/2, n = sigma_n/qu
    double modulus_factor; // RQD 85: row A 0.7 + 0.3/2, row B 0.3 + 0.3/2
    bool fbase_is_fa_r;
  };
  const Case cases[] = {
      {1, true, 0.85, false},
      {2, false, 0.85, true},
      {3, true, 0.45, false},
      {4, false, 0.45, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.icond);
    WeakRockInput in = sample_input();
    in.layer.ICOND = {static_cast<double>(c.icond), 9};  // only the top record counts
    WeakRockSums sums;
    const WeakRockSide side = WEAK_ROCK_SIDE(in, sums);
    const WeakRockQuantities& q = side.q;
    expect_close(q.modulus_factor, c.modulus_factor, "modulus factor");
    if (c.half_qu) {
      expect_close(q.fa, 20830 / 2.0, "fa");
      expect_close(q.n, q.sigma_n / 20830, "n");
    } else {
      EXPECT_GT(std::fabs(q.fa - 20830 / 2.0), 1.0);
    }
    ASSERT_GT(std::fabs(q.f - q.fa_r), 1.0);  // so the FBASE choice shows
    expect_close(side.FBASE, c.fbase_is_fa_r ? q.fa_r : q.f, "FBASE");
  }
}

// Lx = z - z1, but at least the layer's bottom BDS as input (not scaled by D/DSTART).
TEST(WeakRockQuantities, StepSocketLength) {
  struct Case {
    double z, D, Lx, Ds;
  };
  const Case cases[] = {
      {11, 4, 4, 4},   // 1 ft below z1: BDS 4
      {11, 2, 4, 2},   // half the stem diameter: Ds 2, Lx still 4
      {17, 4, 7, 4},   // deeper than BDS below z1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.z + c.D / 100);
    WeakRockInput in = sample_input();
    in.z = c.z;
    in.D = c.D;
    WeakRockSums sums;
    const WeakRockSide side = WEAK_ROCK_SIDE(in, sums);
    expect_close(side.Lx, c.Lx, "Lx");
    expect_close(side.q.Ds, c.Ds, "Ds");
    expect_close(side.w, 0.05 * c.Ds, "w");
    expect_close(side.q.s, std::sqrt(c.Lx / c.Ds), "s");
  }
}

// ---- Range checks and messages -----------------------------------------------------------

std::vector<std::string> lines_of(const fs::path& p) {
  std::vector<std::string> lines;
  EXPECT_TRUE(read_lines(p.string(), lines)) << p;
  return lines;
}

class WeakRockFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/korva-weak-rock-XXXXXX";
    dir_ = mkdtemp(tmpl);
    ASSERT_TRUE(out_[kMessages].open((dir_ / "messages").string()));
    ASSERT_TRUE(out_[kReport].open((dir_ / "report").string()));
  }
  void TearDown() override { fs::remove_all(dir_); }

  void close() {
    out_[kMessages].close();
    out_[kReport].close();
  }

  fs::path dir_;
  Streams out_;
};

const std::vector<std::string> kFrameHead = {
    "                     ERROR MESSAGE                ",
    "   ------------------------------------------------------------",
};

std::vector<std::string> block(const std::string& value_line, std::vector<std::string> message) {
  std::vector<std::string> b = kFrameHead;
  b.push_back(value_line);
  for (std::string& m : message) b.push_back(std::move(m));
  b.push_back("");
  b.push_back("");
  return b;
}

// A socket 4 ft across and 6 ft long: Ls/Ds = 1.5.
TEST_F(WeakRockFiles, ShortSocketWarnsAndAveragesTheModulus) {
  WeakRockInput in = sample_input();
  in.bottom = 16;
  in.layer.DEPTH = 16;
  in.L = 16;
  in.layer.EL = {1000, 1600};
  in.layer.RQD = {100, 100};
  WeakRockSums sums;

  in.z = 11;  // EL 1100
  const WeakRockSide first = WEAK_ROCK_SIDE(in, sums);
  in.z = 12;  // EL 1200
  const WeakRockSide second = WEAK_ROCK_SIDE(in, sums);
  expect_close(first.q.Ei, 1100, "Ei, first call");
  expect_close(second.q.Ei, 1150, "Ei, second call");
  expect_close(second.q.Em, 1150, "Em (RQD 100, factor 1)");
  EXPECT_EQ(sums.count, 2);
  expect_close(sums.sum_el, 2300, "sum of EL");

  ASSERT_TRUE(second.length_warning);
  expect_close(second.length_ratio, 1.5, "Ls/Ds");
  EXPECT_FALSE(second.modulus_warning || second.diameter_warning);

  write_weak_rock_warnings(out_, second);
  close();
  const auto expected =
      block("                SOCKET LENGTH/SOCKET DIAMETER =      1.50",
            {"     L/D SHOULD BE GREATER THAN 2.0 AND LESS THAN 20.0"});
  EXPECT_EQ(lines_of(dir_ / "messages"), expected);
  EXPECT_EQ(lines_of(dir_ / "report"), expected);
}

TEST(WeakRockRangeChecks, TableCases) {
  struct Case {
    const char* what;
    double bds, z, L, Ec;
    bool length;
    double length_ratio;
    bool modulus, diameter;
  };
  // sample_input: z1 = 10, layer 10..20 (extended to 40 here), Em = Ei * 0.85 with EL 1000
  // at z = 15 (EL runs 800..1200 over 10..20, i.e. 40 ft/ft, so 1000 + 40 (z - 15)).
  const Case cases[] = {
      {"in range", 4, 15, 30, 288000, false, 0, false, false},
      {"Ls/Ds exactly 2", 4, 15, 18, 288000, true, 2, false, false},
      // Lx = 25 -> Lx/Ds = 25 > 20 and Ls/Ds = 1.5: Ls/Ds is shown, once.
      {"both ratios out", 1, 35, 11.5, 288000 * 2, true, 1.5, false, true},
      {"Lx/Ds above 20", 2, 51, 80, 288000 * 2, true, 20.5, false, false},
      {"Ec/Em below 10", 4, 15, 30, 850 * 9.99, false, 0, true, false},
      {"Ec/Em 10", 4, 15, 30, 850 * 10, false, 0, false, false},
      {"Ec/Em above 500", 4, 15, 30, 850 * 500.01, false, 0, true, false},
      {"Ds below 1.64", 1.6, 15, 30, 288000, false, 0, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WeakRockInput in = sample_input();
    in.bottom = 60;
    in.layer.EL = {800, 800 + 40 * 50};
    in.layer.BDS = {c.bds, c.bds};
    in.z = c.z;
    in.L = c.L;
    in.Ec = c.Ec;
    WeakRockSums sums;
    const WeakRockSide side = WEAK_ROCK_SIDE(in, sums);
    EXPECT_EQ(side.length_warning, c.length);
    if (c.length) expect_close(side.length_ratio, c.length_ratio, "length ratio");
    EXPECT_EQ(side.modulus_warning, c.modulus);
    EXPECT_EQ(side.diameter_warning, c.diameter);
  }
}

// All three warnings, each to the message file and then the report; the notes of the
// substitutes go to the message file only.
TEST_F(WeakRockFiles, AllWarningsAndNotes) {
  WeakRockInput in = sample_input();
  in.layer.EL = {0, 0};  // Em = 0: Ec/Em shown as 0, e substituted
  in.layer.BDS = {1.5, 1.5};
  in.L = 11.5;           // Ls/Ds = 1.5/1.5 = 1
  WeakRockSums sums;
  const WeakRockSide side = WEAK_ROCK_SIDE(in, sums);
  write_weak_rock_warnings(out_, side);
  close();

  std::vector<std::string> report =
      block("                SOCKET LENGTH/SOCKET DIAMETER =      1.00",
            {"     L/D SHOULD BE GREATER THAN 2.0 AND LESS THAN 20.0"});
  for (auto b : {block("                         Ec/Em =      0.00",
                       {"     Ec/Em SHOULD BE GREATER THAN 10.0 AND LESS THAN 500.0"}),
                 block("                         Diameter (FT) =      1.50",
                       {"     SOCKET DIAMETER SHOULD BE GREATER THAN 0.5 m or 1.64 ft",
                        "     AND LESS THAN 1.53 m or 5 ft."})})
    report.insert(report.end(), b.begin(), b.end());
  EXPECT_EQ(lines_of(dir_ / "report"), report);

  std::vector<std::string> messages = report;
  messages.push_back("     WEAK ROCK AT DEPTH    15.00 FT: "
                     "EM IS ZERO OR EC/EM NOT POSITIVE: LOG10(EC/EM) TAKEN AS 0.");
  EXPECT_EQ(lines_of(dir_ / "messages"), messages);
}

// ---- Zero divisors ----------------------------------------------------------------------

void expect_all_finite(const WeakRockSide& side) {
  const WeakRockQuantities& q = side.q;
  const double values[] = {q.slump_in, q.rqd, q.qu, q.el, q.phic, q.Ds, q.Ei, q.zc, q.M,
                           q.sigma_n, q.alpha, q.fa, q.modulus_factor, q.side_reduction,
                           q.fa_r, q.Em, q.n, q.s, q.e, q.Omega, q.Gamma, q.theta, q.f, q.K,
                           q.qb, q.base_load_lb, side.Lx, side.Ls, side.w, side.FBASE, side.QB,
                           side.length_ratio, side.modulus_ratio};
  for (std::size_t i = 0; i < std::size(values); ++i)
    EXPECT_TRUE(std::isfinite(values[i])) << "value " << i << " is " << values[i];
}

TEST(WeakRockZeroDivisors, FiniteResultsAndGuardNotes) {
  struct Case {
    const char* what;
    void (*change)(WeakRockInput&);
    unsigned guards;  // bits that must be set
  };
  const Case cases[] = {
      {"zero socket diameter", [](WeakRockInput& in) { in.layer.BDS = {0, 0}; },
       kWrGuardDsZero},
      {"zero EL", [](WeakRockInput& in) { in.layer.EL = {0, 0}; }, kWrGuardModulusRatio},
      {"zero qu, ICOND 1",
       [](WeakRockInput& in) {
         in.layer.QUR = {0, 0};
         in.layer.ICOND = {1, 1};
       },
       kWrGuardQuZero | kWrGuardTheta},
      {"zero qu, ICOND 2", [](WeakRockInput& in) { in.layer.QUR = {0, 0}; }, kWrGuardTheta},
      {"zero Ec", [](WeakRockInput& in) { in.Ec = 0; }, kWrGuardModulusRatio},
      {"zero DSTART", [](WeakRockInput& in) { in.DSTART = 0; }, kWrGuardDstartZero},
      {"zero sigma_n",
       [](WeakRockInput& in) {
         in.L = 0;
         in.z1 = 0;
       },
       kWrGuardSigmaZero},
      {"zero layer thickness", [](WeakRockInput& in) { in.bottom = in.top = in.z; },
       kWrGuardLayerThickness},
      {"everything zero",
       [](WeakRockInput& in) {
         in.layer = LayerInput{};
         in.D = in.DSTART = in.Ec = in.L = in.z1 = 0;
       },
       // ICOND 0 follows the ICOND 2 and 4 branches: sigma_n = 0 reaches the n chart.
       kWrGuardDstartZero | kWrGuardDsZero | kWrGuardModulusRatio | kWrGuardSigmaZero |
           kWrGuardTheta},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WeakRockInput in = sample_input();
    c.change(in);
    WeakRockSums sums;
    const WeakRockSide side = WEAK_ROCK_SIDE(in, sums);
    expect_all_finite(side);
    EXPECT_EQ(side.q.guards & c.guards, c.guards);
    EXPECT_FALSE(weak_rock_guard_notes(side.q.guards).empty());
  }
}

TEST(WeakRockZeroDivisors, SubstitutesGiveTheLimits) {
  // No socket diameter: no movement (w = 0.05 Ds), no side term, no base.
  WeakRockInput in = sample_input();
  in.layer.BDS = {0, 0};
  WeakRockSums sums;
  const WeakRockSide no_diameter = WEAK_ROCK_SIDE(in, sums);
  expect_close(no_diameter.q.Omega, 0.7, "Omega at Lx/Ds = 1");
  expect_close(no_diameter.q.Gamma, 0.5, "Gamma at Lx/Ds = 1");
  EXPECT_EQ(no_diameter.q.f, 0);
  EXPECT_EQ(no_diameter.QB, 0);
  EXPECT_FALSE(no_diameter.length_warning);
  EXPECT_TRUE(no_diameter.diameter_warning);

  // No intact modulus: nothing is mobilised.
  in = sample_input();
  in.layer.EL = {0, 0};
  sums = {};
  const WeakRockSide no_modulus = WEAK_ROCK_SIDE(in, sums);
  EXPECT_EQ(no_modulus.q.theta, 0);
  EXPECT_EQ(no_modulus.q.f, 0);
  EXPECT_EQ(no_modulus.QB, 0);
  EXPECT_TRUE(no_modulus.modulus_warning);

  // Zero socket length handed in by a caller: theta unbounded, side fully mobilised, K = 0.
  in = sample_input();
  sums = {};
  const WeakRockQuantities q = weak_rock_quantities(in, 0.0, 0.1, sums);
  EXPECT_EQ(q.guards & (kWrGuardTheta | kWrGuardBaseLength),
            kWrGuardTheta | kWrGuardBaseLength);
  EXPECT_EQ(q.f, q.fa_r);
  EXPECT_EQ(q.K, 0);
  EXPECT_EQ(q.qb, 0);
}

}  // namespace
}  // namespace korva
