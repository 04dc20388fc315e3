// Whole engine runs through the load-settlement analysis: the layout of the plot data
// file, the design-chart outputs, and early ends with statuses 2 and 4.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "frame/run_driver.h"
#include "settlement/load_settlement.h"

namespace fs = std::filesystem;

namespace korva {
namespace {

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct RunFiles {
  std::int32_t status;
  std::string report, plot, messages, chart;
};

RunFiles run_project(const std::string& project) {
  setenv("SOURCE_DATE_EPOCH", "1765324800", 1);
  char tmpl[] = "/tmp/korva-ls-XXXXXX";
  const fs::path dir = mkdtemp(tmpl);
  std::ofstream(dir / "p.kv8d") << project;
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
  RunFiles f{run.status, slurp(dir / "p.kv8o"), slurp(dir / "p.kv8p"), slurp(dir / "p.kv8r"),
             slurp(dir / "CHART.DAT")};
  fs::remove_all(dir);
  return f;
}

// Reads a plot data file the way the program does and records what it found.
struct PlotLayout {
  int NB = 0, NC = 0;
  std::vector<int> points;  // capacity points per block
  int rows_per_block = 0;
  int NS = -1, ND = -1, NL = -1;
  std::vector<double> chart_values;  // S, D, L, Q in file order
  int NA = -1, NT = -1, NQ = -1;
  bool tz_part = false;
  std::string error;
};

PlotLayout read_plot(const std::string& text, bool chart, bool additional) {
  PlotLayout p;
  std::istringstream lines(text);
  std::vector<std::vector<std::string>> tok_lines;
  for (std::string l; std::getline(lines, l);) {
    std::istringstream w(l);
    std::vector<std::string> t;
    for (std::string s; w >> s;) t.push_back(s);
    tok_lines.push_back(t);
  }
  std::size_t li = 0, ti = 0;
  auto next = [&](double& v) {
    while (li < tok_lines.size() && ti >= tok_lines[li].size()) {
      ++li;
      ti = 0;
    }
    if (li >= tok_lines.size()) return false;
    v = std::stod(tok_lines[li][ti++]);
    return true;
  };
  auto skip = [&](int n) {
    double v;
    for (int i = 0; i < n; ++i)
      if (!next(v)) return false;
    return true;
  };
  double v;
  for (int b = 0; b < std::max(p.NB, 1); ++b) {
    double nb, np, nc;
    if (!next(nb) || !next(np) || !next(nc)) {
      p.error = "block header missing";
      return p;
    }
    if (b == 0) {
      p.NB = static_cast<int>(nb);
      p.NC = static_cast<int>(nc);
      p.rows_per_block = p.NC > 1 ? 45 : 15;
    }
    p.points.push_back(static_cast<int>(np));
    if (!skip(7 * static_cast<int>(np)) || !skip(4 * p.rows_per_block)) {
      p.error = "block " + std::to_string(b + 1) + " short";
      return p;
    }
  }
  if (chart) {
    double ns, nd, nl;
    if (!next(ns) || !next(nd) || !next(nl)) {
      p.error = "chart header missing";
      return p;
    }
    p.NS = static_cast<int>(ns);
    p.ND = static_cast<int>(nd);
    p.NL = static_cast<int>(nl);
    for (int i = 0; i < p.NS; ++i) {
      next(v);
      p.chart_values.push_back(v);
      for (int j = 0; j < p.ND; ++j) {
        next(v);
        p.chart_values.push_back(v);
        for (int k = 0; k < p.NL; ++k) {
          next(v);
          p.chart_values.push_back(v);
          next(v);
          p.chart_values.push_back(v);
        }
      }
    }
  }
  // The line step: the rest of the current line is skipped.
  ++li;
  ti = 0;
  if (li >= tok_lines.size()) return p;
  p.tz_part = true;
  if (additional) {
    next(v);
    p.NA = static_cast<int>(v);
    if (!skip(p.NA * 23)) p.error = "section C short";
  }
  next(v);
  p.NT = static_cast<int>(v);
  if (!skip(p.NT * 23)) p.error = "section D short";
  next(v);
  p.NQ = static_cast<int>(v);
  if (!skip(p.NQ * 23)) p.error = "section F short";
  if (next(v)) p.error = "values after section F";
  return p;
}

const char* kClayOverSand =
    "t\n1\n2 1 1 5 1 2 0 0 0 0 0\n3 0 0 0 5 3 3600000\n2 12 60 2 2.5\n"
    "2 30\n0 115 0.0 1000 0 0 0 1 1\n0 120 0.0 2200 0 0 0 1 1\n0 0\n"
    "1 80\n0.0 120 0 0 18 0 0 1 1\n0.0 125 0 0 35 0 0 1 1\n2\n0 0\n";

TEST(PlotFile, SoilTipHasThreeCurvesAndTheTzPart) {
  const RunFiles f = run_project(kClayOverSand);
  ASSERT_EQ(f.status, 0) << f.messages;
  const PlotLayout p = read_plot(f.plot, false, false);
  EXPECT_EQ(p.error, "");
  EXPECT_EQ(p.NB, 1);
  EXPECT_EQ(p.NC, 3);
  EXPECT_EQ(p.rows_per_block, 45);
  EXPECT_TRUE(p.tz_part);
  EXPECT_EQ(p.NT, 10);  // five curves per layer
  EXPECT_EQ(p.NQ, 1);
  for (const char* line : {"RESULT FROM TREND (AVERAGED) LINE", "RESULT FROM UPPER-BOUND LINE",
                           "RESULT FROM LOWER-BOUND LINE"})
    EXPECT_NE(f.report.find(line), std::string::npos) << line;
}

TEST(PlotFile, RockTipHasOneCurveAndNoTzPart) {
  const RunFiles f = run_project(
      "rock\n1\n2 1 1 5 1 2 0 0 0 0 0\n3 0 0 0 5 0 3600000\n2 10 40 2 2.5\n"
      "2 25\n0 120 0.0 1500 0 0 0 1 1\n0 125 0.0 2500 0 0 0 1 1\n0 0\n"
      "7 80\n200000 5000 1 0 3 0 2000000 80 0 1 1\n200000 5000 1 0 3 0 2000000 80 0 1 1\n");
  ASSERT_EQ(f.status, 0) << f.messages;
  const PlotLayout p = read_plot(f.plot, false, false);
  EXPECT_EQ(p.error, "");
  EXPECT_LE(p.NC, 1);
  EXPECT_EQ(p.rows_per_block, 15);
  EXPECT_FALSE(p.tz_part);
  EXPECT_NE(f.report.find("LOAD SETTLEMENT RELATIONSHIP"), std::string::npos);
  EXPECT_NE(f.report.find("TOP  LOAD     TOP MOVEMENT"), std::string::npos);
}

TEST(PlotFile, AdditionalCurvesComeFirst) {
  std::string project = kClayOverSand;
  project.replace(project.find("2 1 1 5 1 2 0 0 0 0 0"), 21, "2 1 1 5 1 2 0 0 0 0 1");
  project += "2\n20\n40\n";
  const RunFiles f = run_project(project);
  ASSERT_EQ(f.status, 0) << f.messages;
  const PlotLayout p = read_plot(f.plot, false, true);
  EXPECT_EQ(p.error, "");
  EXPECT_EQ(p.NA, 2);
  EXPECT_EQ(p.NT, 10);
  EXPECT_NE(f.report.find("ADDITIONAL TZ CURVES"), std::string::npos);
}

TEST(PlotFile, TipChangingBetweenSoilAndRockKeepsTheFirstBlocksRowCount) {
  // Two lengths: the first tip in rock (40 ft), the second in the clay above (25 ft).
  const RunFiles f = run_project(
      "vary\n1\n2 1 1 5 1 2 1 0 0 0 0\n3 0 0 0 5 0 3600000\n2 10 34 2 2.5\n20 10\n"
      "2 28\n0 120 0.0 1500 0 0 0 1 1\n0 125 0.0 2500 0 0 0 1 1\n0 0\n"
      "7 80\n200000 5000 1 0 3 0 2000000 80 0 1 1\n200000 5000 1 0 3 0 2000000 80 0 1 1\n");
  ASSERT_EQ(f.status, 0) << f.messages;
  const PlotLayout p = read_plot(f.plot, false, false);
  EXPECT_EQ(p.error, "");
  EXPECT_EQ(p.NB, 2);
  EXPECT_EQ(p.rows_per_block, 15);
}

std::string chart_project(const char* unit, const char* dims, const char* settlements) {
  return std::string("charts\n") + unit + "\n2 1 1 5 1 2 0 1 0 0 0\n" + dims + "\n" +
         "2 12 50 2 2.5\n" + settlements +
         "2 30\n0 115 0.0 1000 0 0 0 1 1\n0 120 0.0 2200 0 0 0 1 1\n0 0\n"
         "1 80\n0.0 120 0 0 18 0 0 1 1\n0.0 125 0 0 35 0 0 1 1\n2\n0 0\n";
}

TEST(DesignCharts, EnglishRunWritesChartFileBlockAndSection) {
  const RunFiles f = run_project(
      chart_project("1", "3 3.5 0 0 5 3 3600000", "40 5 0.5 3\n0.25 0.5 1.0\n"));
  ASSERT_EQ(f.status, 0) << f.messages;
  const PlotLayout p = read_plot(f.plot, true, false);
  EXPECT_EQ(p.error, "");
  EXPECT_EQ(p.NB, 2);  // the first length's two diameters
  EXPECT_EQ(p.NS, 3);
  EXPECT_EQ(p.ND, 2);
  EXPECT_EQ(p.NL, 3);  // 50, 45, 40 ft
  ASSERT_GE(p.chart_values.size(), 3u);
  EXPECT_DOUBLE_EQ(p.chart_values[0], 0.25);  // settlement in in
  EXPECT_DOUBLE_EQ(p.chart_values[1], 36);    // diameter in in
  EXPECT_DOUBLE_EQ(p.chart_values[2], 600);   // length in in
  EXPECT_GT(p.chart_values[3], 0);            // load in lb
  EXPECT_FALSE(f.chart.empty());
  EXPECT_NE(f.report.find("DESIGN CHART CURVES"), std::string::npos);
  EXPECT_NE(f.report.find("RESULT FOR DEFINED SETTLEMENTS"), std::string::npos);
  EXPECT_NE(f.report.find("- SETTLEMENT,     1.000 IN"), std::string::npos);
}

TEST(DesignCharts, SiRunCarriesMetresAndKilonewtons) {
  const RunFiles f = run_project(
      chart_project("2", "1 1.15 0 0 1.5 1 25000000", "12 1.5 0.15 3\n0.006 0.0125 0.025\n"));
  ASSERT_EQ(f.status, 0) << f.messages;
  const PlotLayout p = read_plot(f.plot, true, false);
  EXPECT_EQ(p.error, "");
  EXPECT_EQ(p.NS, 3);
  EXPECT_EQ(p.ND, 2);
  ASSERT_GE(p.chart_values.size(), 4u);
  EXPECT_DOUBLE_EQ(p.chart_values[0], 0.006);                      // settlement in m
  EXPECT_NEAR(p.chart_values[1], 1 * 3.2808 * 12 * 0.0254, 1e-5);  // diameter in m
  EXPECT_GT(p.chart_values[3], 0);                                  // load in kN
  EXPECT_NE(f.report.find("DIAMETER, M"), std::string::npos);
  EXPECT_NE(f.report.find("- SETTLEMENT,    0.0125 M"), std::string::npos);
}

TEST(EarlyEnd, TzDepthBeyondTheStrengthCurveEndsWithStatusTwo) {
  std::string project = kClayOverSand;
  project.replace(project.find("2 1 1 5 1 2 0 0 0 0 0"), 21, "2 1 1 5 1 2 0 0 0 0 1");
  project += "1\n95\n";
  const RunFiles f = run_project(project);
  EXPECT_EQ(f.status, 2);
  EXPECT_NE(f.report.find("IS BEYOND THE EXTENT OF THE INPUT STRENGTH CURVE 1"), std::string::npos);
  EXPECT_EQ(f.report.find("RESULT FROM TREND (AVERAGED) LINE\n\n        TOP"), std::string::npos);
  EXPECT_FALSE(f.plot.empty());  // what was written is closed and kept
}

// A bell ratio below 1 gives a bell of negative height, and the table of lengths then starts
// above the ground. Rows at negative lengths have no step in the depth tables: the settlement
// and socket inputs pass over them instead of indexing with a negative length (which the
// sanitizer build reports). Neither run may end in an internal error.
TEST(OddGeometry, LengthsAboveTheGroundHaveNoDepthStep) {
  std::string bell = kClayOverSand;
  bell.replace(bell.find("3 0 0 0 5 3 3600000"), 19, "3 0 0.4 3.6 5 3 3600000");
  bell.replace(bell.find("2 12 60 2 2.5"), 13, "2 12 0 2 2.5");  // design depth 0
  const std::string cases[] = {
      bell,
      // SI; the layer record ends early ("/"), so the design depth stays 0; one layer of an
      // unknown soil type below a 12 m bottom portion.
      "\n2\n2 1 1 1 1 1 0 0 0 0 0\n1 5 .4 3.6\n2 12\n2\n1/\n10\n0\n",
  };
  for (const std::string& project : cases) {
    const RunFiles f = run_project(project);
    EXPECT_NE(f.status, kStatusInternalError) << project;
    EXPECT_EQ(f.report.find("INTERNAL ERROR"), std::string::npos) << project;
  }
}

TEST(EarlyEnd, ShaftBelowTheStrengthCurveEndsWithStatusFour) {
  SettlementRun run;
  SettlementInput in;
  in.t.D = 36;
  in.t.Db = 36;
  in.t.QB = 1e5;
  in.t.L = 700;
  in.t.KSOIL = {2};
  in.t.XTOP = {0};
  in.t.XBOT = {600};
  in.t.F_top = {5};
  in.t.F_bot = {10};
  in.t.P = {120, 600};
  in.t.f = {6, 10};
  in.E = 3.6e6;
  Streams out;
  out[kConsole].close();
  run.tzdiam_path.clear();
  EXPECT_EQ(LOAD_SETTLEMENT(run, in, kTrend, out), 4);
}

}  // namespace
}  // namespace korva
