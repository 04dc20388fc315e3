// The capacity report and the capacity records of the plot data.
//
// Golden files: tests/fixtures/golden/NAME.kv8d is run and its report and plot data are
// compared with NAME.kv8o and NAME.kv8p beside it. After a deliberate change of the output,
// run the test with KORVA_UPDATE_GOLDEN=1 to rewrite them, and review the difference.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "capacity/plot_records.h"
#include "capacity/report.h"
#include "frame/run_driver.h"

namespace fs = std::filesystem;

namespace korva {
namespace {

const fs::path kGolden = fs::path(KORVA_SOURCE_DIR) / "tests" / "fixtures" / "golden";

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void replace_all(std::string& s, const std::string& from, const std::string& to) {
  for (std::size_t p = 0; (p = s.find(from, p)) != std::string::npos; p += to.size())
    s.replace(p, from.size(), to);
}

// Runs a project in a scratch directory; returns the report and plot data with the
// directory replaced by "<DIR>".
std::pair<std::string, std::string> run_project(const fs::path& project) {
  setenv("SOURCE_DATE_EPOCH", "1765324800", 1);
  char tmpl[] = "/tmp/korva-golden-XXXXXX";
  const fs::path dir = mkdtemp(tmpl);
  fs::copy_file(project, dir / "p.kv8d");
  {
    std::ofstream names(dir / "names.dat");
    names << "2017.8.1\n8\n";
    for (const char* ext : {".kv8d", ".kv8o", ".kv8p", ".kv8r", ".kv8z", ".kv8w", ".kv8t", ".kv8q"})
      names << (dir / (std::string("p") + ext)).string() << "\n";
  }
  Run run;
  run.dir = dir.string();
  run.out[kConsole].close();
  RUN_DRIVER(run, nullptr, nullptr);
  std::string report = slurp(dir / "p.kv8o");
  std::string plot = slurp(dir / "p.kv8p");
  replace_all(report, dir.string(), "<DIR>");
  fs::remove_all(dir);
  return {report, plot};
}

void check_golden(const std::string& name) {
  const auto [report, plot] = run_project(kGolden / (name + ".kv8d"));
  const fs::path report_file = kGolden / (name + ".kv8o");
  const fs::path plot_file = kGolden / (name + ".kv8p");
  if (std::getenv("KORVA_UPDATE_GOLDEN")) {
    std::ofstream(report_file, std::ios::binary) << report;
    std::ofstream(plot_file, std::ios::binary) << plot;
  }
  EXPECT_EQ(report, slurp(report_file)) << name << ".kv8o differs";
  EXPECT_EQ(plot, slurp(plot_file)) << name << ".kv8p differs";
}

TEST(Golden, ClayEnglishAsd) { check_golden("clay-en-asd"); }
TEST(Golden, SandSiLrfd) { check_golden("sand-si-lrfd"); }
TEST(Golden, EstimatedCoefficients) { check_golden("estimated-coefficients"); }

// ---------------------------------------------------------------------------------------

// Streams writing into a scratch directory, read back as text.
class Capture {
 public:
  Capture() {
    char tmpl[] = "/tmp/korva-report-XXXXXX";
    dir_ = mkdtemp(tmpl);
    out[kConsole].close();
    out[kReport].open((dir_ / "r").string());
    out[kPlot].open((dir_ / "p").string());
  }
  ~Capture() { fs::remove_all(dir_); }
  std::string report() {
    out[kReport].flush();
    return slurp(dir_ / "r");
  }
  std::string plot() {
    out[kPlot].flush();
    return slurp(dir_ / "p");
  }
  Streams out;

 private:
  fs::path dir_;
};

ProfileLayer layer_of(const LayerInput& in) {
  ProfileLayer L;
  L.v = in;
  L.KSOIL = in.type();
  return L;
}

TEST(LayerBlock, DecomposedRockHeaderAndLabels) {
  ProjectInput raw;
  LayerInput L;
  L.SOIL = 5;
  L.DEPTH = 40;
  L.EL = {50000, 60000};
  L.NU = {0.3, 0.3};
  raw.layers = {L, L, L, L, L};
  Capture c;
  report::layer_block(c.out, raw, layer_of(L), 5);
  const std::string r = c.report();
  EXPECT_EQ(r.substr(0, r.find('\n')), "    LAYER NO  5----DECOMPOSED ROCK");
  EXPECT_NE(r.find("       ELASTIC MODULUS OF GRAVEL, LB/SQ IN               = 0.500E+05\n"),
            std::string::npos)
      << r;
  EXPECT_NE(r.find("       POISSION RATIO OF GRAVEL                          = 0.300E+00\n"),
            std::string::npos);
  EXPECT_EQ(r.find("LRFD"), std::string::npos);
  raw.NLRFD = 1;
  Capture lrfd;
  report::layer_block(lrfd.out, raw, layer_of(L), 5);
  EXPECT_NE(lrfd.report().find("       LRFD RESISTANCE FACTOR (TIP RESISTANCE)           ="),
            std::string::npos);
}

TEST(LayerBlock, GravelWarningsByBlowCount) {
  const struct {
    double top, bottom;
    bool high, low;
  } cases[] = {{60, 20, true, true}, {30, 25, false, true}, {30, 26, false, false}, {51, 30, true, false}};
  for (const auto& c : cases) {
    ProjectInput raw;
    LayerInput L;
    L.SOIL = 9;
    L.BLOWS = {c.top, c.bottom};
    raw.layers = {L};
    Capture cap;
    report::layer_block(cap.out, raw, layer_of(L), 1);
    const std::string r = cap.report();
    const std::size_t high = r.find("UNIT TIP RESISTANCE IS LIMITED TO 30 TSF IF SPT-N IS OVER 50");
    const std::size_t low = r.find("Blow counts should be greater than 25 for this criterion.");
    EXPECT_EQ(high != std::string::npos, c.high) << c.top << "/" << c.bottom;
    EXPECT_EQ(low != std::string::npos, c.low) << c.top << "/" << c.bottom;
    if (c.high && c.low) {
      EXPECT_LT(high, low);
    }
  }
}

TEST(ReportRows, PrintIntervalAndTopZoneSubstitute) {
  CapacityState st;
  st.in.PINC = 5;
  st.in.BS = 2;
  st.in.TOPLEN = 4;
  st.FSB = 2;
  st.FST = 2;
  PassResult pass;
  pass.g.DSTEM = 3;
  for (int L = 7; L <= 20; ++L) {
    TableRow r;
    r.LENGTH = L;
    r.VOLUME = L;
    r.QS = 10 * (L - 7) + 1;  // 1 at 7 ft, growing 10 per foot
    r.QB = 100;
    pass.table.rows.push_back(r);
  }
  std::vector<TableRow> rows = report::print_rows(st, pass);
  ASSERT_EQ(rows.size(), 3u);  // 10, 15, 20 (5 is above BS + HB + TOPLEN = 6)
  EXPECT_EQ(rows[0].LENGTH, 10);
  EXPECT_DOUBLE_EQ(rows[0].QS, 31);

  // A print depth of 6.5 ft is above the first row (7 ft): the straight line through the
  // first two rows gives negative side resistance, so the substitute applies.
  st.in.PINC = 6.5;
  rows = report::print_rows(st, pass);
  ASSERT_GE(rows.size(), 1u);
  EXPECT_EQ(rows[0].LENGTH, 6.5);
  EXPECT_EQ(rows[0].QS, 0);
  EXPECT_NEAR(rows[0].VOLUME, 6.5 * 3.142 / 4 * 9 / 27, 1e-12);
  EXPECT_EQ(rows[0].QDN, 50);

  st.in.PINC = 0;
  EXPECT_TRUE(report::print_rows(st, pass).empty());
}

TEST(ReportRows, TooWideValuesKeepTheColumns) {
  ProjectInput raw;
  TableRow r;
  r.LENGTH = 60;
  r.QS = 1e12;
  const std::string line = report::row_line(raw, r);
  EXPECT_EQ(line.size(), 1u + 8 + 1 + 8 + 9 * 5 + 1 + 9);
  EXPECT_EQ(line.substr(18, 9), "*********");
  EXPECT_EQ(line.substr(0, 9), "     60.0");
}

report::DesignCharts ten_diameter_charts() {
  report::DesignCharts c;
  c.settlements = {0.5};
  for (int j = 0; j < 10; ++j) c.diameters_in.push_back(24 + 6 * j);
  c.lengths_in = {600, 480};
  c.Q.assign(1, std::vector<std::vector<double>>(10, std::vector<double>(2)));
  for (int j = 0; j < 10; ++j) {
    c.Q[0][j][0] = 200000 + 2000 * j;
    c.Q[0][j][1] = 100000 + 2000 * j;
  }
  return c;
}

TEST(DesignCharts, TenDiametersGiveTwoGroups) {
  ProjectInput raw;
  Capture c;
  report::design_chart_section(c.out, raw, ten_diameter_charts());
  const std::string r = c.report();
  EXPECT_NE(r.find("     - SETTLEMENT,     0.500 IN\n"), std::string::npos) << r;
  EXPECT_NE(r.find("    (FT)      2.00     2.50     3.00     3.50     4.00     4.50     5.00\n"),
            std::string::npos)
      << r;
  EXPECT_NE(r.find("    (FT)      5.50     6.00     6.50\n"), std::string::npos) << r;
  // Shortest length first: 480 in = 40 ft, loads in tons.
  EXPECT_NE(r.find("    40.00    50.00    51.00    52.00    53.00    54.00    55.00    56.00\n"),
            std::string::npos)
      << r;
  EXPECT_LT(r.find("    40.00    50.00"), r.find("    50.00   100.00"));
  EXPECT_NE(r.find("    40.00    57.00    58.00    59.00\n"), std::string::npos) << r;
}

TEST(DesignCharts, SiSectionAndBlockInMetresAndKilonewtons) {
  ProjectInput raw;
  raw.IUNIT = 2;
  report::DesignCharts charts = ten_diameter_charts();
  charts.settlements = {0.0127};
  Capture c;
  report::design_chart_section(c.out, raw, charts);
  const std::string r = c.report();
  EXPECT_NE(r.find("     - SETTLEMENT,    0.0127 M\n"), std::string::npos) << r;
  EXPECT_NE(r.find("LENGTH          DIAMETER, M"), std::string::npos);
  EXPECT_NE(r.find("     0.61     0.76"), std::string::npos) << r;  // 24 in, 30 in
  EXPECT_NE(r.find("    12.19   444.80"), std::string::npos) << r;  // 480 in; 100000 lb

  plot::design_chart_block(c.out, true, charts);
  const std::string p = c.plot();
  std::istringstream in(p);
  int ns = 0, nd = 0, nl = 0;
  double s = 0, d = 0, L = 0, Q = 0;
  in >> ns >> nd >> nl >> s >> d >> L >> Q;
  EXPECT_EQ(ns, 1);
  EXPECT_EQ(nd, 10);
  EXPECT_EQ(nl, 2);
  EXPECT_DOUBLE_EQ(s, 0.0127);
  EXPECT_NEAR(d, 24 * 0.0254, 1e-6);
  EXPECT_NEAR(L, 600 * 0.0254, 1e-5);
  EXPECT_NEAR(Q, 200000 * 4.448 / 1000, 1e-3);
}

TEST(InputEcho, LengthVariationBlockOnlyForIpentOne) {
  for (int ipent : {1, 2}) {
    ProjectInput raw;
    raw.IPENT = ipent;
    CapacityState st;
    Capture c;
    report::input_echo(c.out, raw, st);
    EXPECT_EQ(c.report().find("VARY SHAFT LENGTH FOR INITIAL DIAMETER") != std::string::npos, ipent == 1);
  }
}

}  // namespace
}  // namespace korva
