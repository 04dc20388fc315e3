// Loading plot data files into the result graphs: files written by real engine runs
// (soil and rock tips, a length variation, design charts in both unit systems, additional
// t-z curves), the reader's rules on small hand-made files, and damaged files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "frame/run_driver.h"
#include "graph_catalogue.h"
#include "graph_data.h"
#include "plot_reader.h"
#include "project_file.h"

#ifndef KORVA_SOURCE_DIR
#define KORVA_SOURCE_DIR "."
#endif

namespace fs = std::filesystem;

namespace korva::results {
namespace {

using project::Project;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every directory made by these tests, removed when the test program ends.
class TempDirs : public ::testing::Environment {
 public:
  static fs::path Make() {
    char tmpl[] = "/tmp/korva-plot-XXXXXX";
    const char* made = mkdtemp(tmpl);
    if (made == nullptr) throw std::runtime_error("cannot create a temporary directory");
    dirs().push_back(made);
    return made;
  }
  void TearDown() override {
    for (const fs::path& d : dirs()) fs::remove_all(d);
  }

 private:
  static std::vector<fs::path>& dirs() {
    static std::vector<fs::path> d;
    return d;
  }
};
[[maybe_unused]] ::testing::Environment* const kTempDirs =
    ::testing::AddGlobalTestEnvironment(new TempDirs);

// One engine run: the directory holding the project p.kv8d and its plot file p.kv8p.
struct EngineRun {
  fs::path dir;
  std::int32_t status = -1;
  std::string plot;
  std::string project_path() const { return (dir / "p.kv8d").string(); }
  std::string plot_path() const { return (dir / "p.kv8p").string(); }
};

// Runs the engine on a project text once per test program.
const EngineRun& RunEngine(const std::string& project_text) {
  static std::map<std::string, EngineRun> runs;
  auto found = runs.find(project_text);
  if (found != runs.end()) return found->second;
  setenv("SOURCE_DATE_EPOCH", "1765324800", 1);
  EngineRun r;
  r.dir = TempDirs::Make();
  std::ofstream(r.dir / "p.kv8d") << project_text;
  {
    std::ofstream names(r.dir / "names.dat");
    names << "2017.8.1\n8\n";
    for (const char* ext : {".kv8d", ".kv8o", ".kv8p", ".kv8r", ".kv8z", ".kv8w", ".kv8t", ".kv8q"})
      names << (r.dir / (std::string("p") + ext)).string() << "\n";
  }
  Run run;
  run.dir = r.dir.string();
  run.out[kConsole].close();
  RUN_DRIVER(run, nullptr, nullptr);
  r.status = run.status;
  r.plot = Slurp(r.dir / "p.kv8p");
  return runs.emplace(project_text, std::move(r)).first->second;
}

std::unique_ptr<Project> LoadProject(const std::string& path) {
  auto p = std::make_unique<Project>();
  const project::ReadResult read = project::ReadVersion8(*p, path);
  EXPECT_TRUE(read.ok()) << read.error;
  return p;
}

// The plot file's words as numbers, in file order.
std::vector<double> Numbers(const std::string& text) {
  std::istringstream in(text);
  std::vector<double> v;
  for (std::string w; in >> w;) v.push_back(std::stod(w));
  return v;
}

const std::string kClayOverSand =
    Slurp(fs::path(KORVA_SOURCE_DIR) / "examples/clay-over-sand.kv8d");

const char* kRockTip =
    "rock\n1\n2 1 1 5 1 2 0 0 0 0 0\n3 0 0 0 5 0 3600000\n2 10 40 2 2.5\n"
    "2 25\n0 120 0.0 1500 0 0 0 1 1\n0 125 0.0 2500 0 0 0 1 1\n0 0\n"
    "7 80\n200000 5000 1 0 3 0 2000000 80 0 1 1\n200000 5000 1 0 3 0 2000000 80 0 1 1\n";

// Two lengths (34 ft then 24 ft) of one diameter; the tips are in rock.
const char* kLengthVariation =
    "vary\n1\n2 1 1 5 1 2 1 0 0 0 0\n3 0 0 0 5 0 3600000\n2 10 34 2 2.5\n20 10\n"
    "2 28\n0 120 0.0 1500 0 0 0 1 1\n0 125 0.0 2500 0 0 0 1 1\n0 0\n"
    "7 80\n200000 5000 1 0 3 0 2000000 80 0 1 1\n200000 5000 1 0 3 0 2000000 80 0 1 1\n";

std::string ChartProject(const char* unit, const char* dims, const char* settlements) {
  return std::string("charts\n") + unit + "\n2 1 1 5 1 2 0 1 0 0 0\n" + dims + "\n" +
         "2 12 50 2 2.5\n" + settlements +
         "2 30\n0 115 0.0 1000 0 0 0 1 1\n0 120 0.0 2200 0 0 0 1 1\n0 0\n"
         "1 80\n0.0 120 0 0 18 0 0 1 1\n0.0 125 0 0 35 0 0 1 1\n2\n0 0\n";
}

std::string EnglishCharts() {
  return ChartProject("1", "3 3.5 0 0 5 3 3600000", "40 5 0.5 3\n0.25 0.5 1.0\n");
}
std::string SiCharts() {
  return ChartProject("2", "1 1.15 0 0 1.5 1 25000000", "12 1.5 0.15 3\n0.006 0.0125 0.025\n");
}

std::string WithAdditionalCurves() {
  std::string p = kClayOverSand;
  p.replace(p.find("2 1 1 5 1 2 0 0 0 0 0"), 21, "2 1 1 5 1 2 0 0 0 0 1");
  return p + "2\n20\n40\n";
}

// ---------------------------------------------------------------------------------------
// The graph data model

TEST(GraphData, CurvesAreSizedFromCurveZeroAndNumberedInCreationOrder) {
  TGraphPlot g;
  g.SetCount(5);  // no curve yet: nothing happens
  EXPECT_EQ(g.Count(), 0);
  g.SetLineCount(1);
  EXPECT_EQ(g.Count(), 0);  // the first curve has no points
  g.SetCount(4);
  g.Data(0, 3) = {7, 8};
  g.SetLineCount(3);
  ASSERT_EQ(g.LineCount(), 3);
  EXPECT_EQ(g.Lines(2).Count(), 4);
  EXPECT_EQ(g.Data(2, 3).x, 0.0);
  EXPECT_EQ(g.LineName(2), "Curve #3");
  g.Lines(1).SetLineName("Dia=3 ft");
  EXPECT_EQ(g.LineName(1), "Dia=3 ft");
  g.SetLineCount(1);
  EXPECT_EQ(g.Data(0, 3).y, 8.0);  // shrinking keeps the first curves
  g.SetLineCount(2);
  EXPECT_EQ(g.Lines(1).Value, 2.0);
  EXPECT_EQ(g.AddLine("x", {{1, 2}}).Value, 3.0);
  g.SetCount(-2);
  EXPECT_EQ(g.Count(), 0);
  g.SetLineCount(-1);
  EXPECT_FALSE(g.HasSomethingToDraw());
}

TEST(GraphData, UnitCodesExpandPerUnitSystem) {
  struct Case {
    const char* code;
    int units;
    const char* text;
  } cases[] = {
      {"F/L^2", 1, "lbs/in^2"},
      {"F/L^2", 2, "kN/m^2"},
      {"F2", 1, "tons"},
      {"F1", 1, "kips"},
      {"L2", 1, "ft"},
      {"L1", 2, "mm"},
      {"F2/L2", 3, "F2/L2"},
      // The most specific placeholder of a kind is replaced; the plain one stays then.
      {"F2*F", 1, "tons*F"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandUnits(c.code, c.units), c.text) << c.code << c.units;
  EXPECT_EQ(AxisCaption("Depth ", "L2", 1), "Depth  (ft)");
  EXPECT_EQ(AxisCaption("Depth", "", 2), "Depth");
  TGraphPlot g;
  g.SetUnits(0);
  EXPECT_EQ(g.Units(), 1);
  g.SetUnits(9);
  EXPECT_EQ(g.Units(), 3);
}

TEST(GraphCatalogue, DefinesTheTwentySixGraphsInOrder) {
  const TGraphCatalogue c;
  ASSERT_EQ(std::distance(c.begin(), c.end()), 26);
  struct Row {
    GraphIndex index;
    const char* name;
    const char* caption;
    const char* x;
    const char* xu;
    const char* y;
    const char* yu;
    bool on_top;
  } rows[] = {
      {kPltSkin, "pltSkin", "Ultimate Skin Friction vs Depth", "Ultimate Skin Friction ", "F2",
       "Depth ", "L2", true},
      {kPltAxial, "pltAxial", "Axial Load vs Settlement (averaged)", "Axial Load ", "F2",
       "Settlement ", "L", true},
      {kPltCombineD, "pltCombineD", "Combined Plots vs Depth (ASD/LRFD)", "Axial Capacity w/F. S.",
       "F2", "Depth", "L2", true},
      {kFSpltTip, "FSpltTip", "ASD/LRFD Tip Resistance vs Depth ", "Tip Resistance w/F.S.", "F2",
       "Depth", "L2", true},
      {kPltCombinedSettle, "pltCombinedSettle", "Combined Plots of Load vs Settlement",
       "Axial Load", "F2", "Settlement", "L", true},
      {GraphIndex(kPltChart1 + 8), "PltChart9", "Design Chart 9", "Axial Capacity", "F2", "Depth",
       "L2", true},
      {kPltChart10, "PltChart10", "Design Chart  10", "Axial Capacity", "F2", "Depth", "L2", true},
      {kPltQw, "pltQw", "Q-w curves (averaged)", "Tip Displacement, w", "L", "Tip Load, Q", "F2",
       false},
      {kPltTzAdd, "pltTzAdd", "Additional t-z curves (averaged)", "Axial Displacement, z", "L",
       "Unit Load Transfer, t", "F/L^2", false},
  };
  for (const Row& r : rows) {
    const TGraphPlot& g = c[r.index];
    SCOPED_TRACE(r.name);
    EXPECT_EQ(GraphComponentName(r.index), r.name);
    EXPECT_EQ(g.Caption, r.caption);
    EXPECT_EQ(g.XCaption, r.x);
    EXPECT_EQ(g.XUnits, r.xu);
    EXPECT_EQ(g.YCaption, r.y);
    EXPECT_EQ(g.YUnits, r.yu);
    EXPECT_EQ(g.XOnTop, r.on_top);
  }
  EXPECT_EQ(c[kPltSkin].XAxisCaption(), "Ultimate Skin Friction  (tons)");
  for (const TGraphPlot& g : c) {
    EXPECT_EQ(g.CurveName, "Curve #");
    EXPECT_TRUE(g.ShowLegend && g.ShowFontWidth && !g.ShowLayers);
    EXPECT_EQ(g.Markers, 1);
    EXPECT_EQ(g.SizeFont, 10);
    EXPECT_EQ(g.LegendFont, 11);
    EXPECT_EQ(g.WidthLine, 1);
    EXPECT_EQ(g.Units(), 1);
    EXPECT_FALSE(g.HasSomethingToDraw());
  }
}

// A project opened or created starts without the titles and curve names typed for the last
// one; the display settings stay.
TEST(GraphCatalogue, ProjectTextsAreResetDisplaySettingsKept) {
  TGraphCatalogue c;
  TGraphPlot& skin = c[kPltSkin];
  skin.AddLine("Dia=3 ft", {{0, 0}, {10, 5}});
  skin.AddLine({}, {{0, 0}, {12, 5}});
  skin.Lines(1).SetLineName("Pier A, east");  // renamed in the legend editor
  skin.UserCaption = "Pier A";
  skin.UserCaptionOnTop = true;
  skin.YCaption = "Elevation";
  skin.XCaption = "LRFD Side Resistance ";
  skin.SizeFont = 20;
  skin.WidthLine = 4;
  skin.Markers = 0;
  skin.ShowLegend = false;
  c.Chart(2).Caption = c.Chart(2).UserCaption = "Design Chart (0.5-in movement)";

  c.ResetProjectTexts();
  EXPECT_EQ(skin.UserCaption, "");
  EXPECT_EQ(skin.Caption, "Ultimate Skin Friction vs Depth");
  EXPECT_EQ(skin.XCaption, "Ultimate Skin Friction ");
  EXPECT_EQ(skin.YCaption, "Depth ");
  EXPECT_EQ(skin.LineName(0), "Curve #1");
  EXPECT_EQ(skin.LineName(1), "Curve #2");
  EXPECT_EQ(c.Chart(2).Caption, "Design Chart 3");
  EXPECT_EQ(c.Chart(2).UserCaption, "");
  // Curves and display settings stay.
  EXPECT_EQ(skin.LineCount(), 2);
  EXPECT_EQ(skin.Data(1, 1).x, 12);
  EXPECT_TRUE(skin.UserCaptionOnTop);
  EXPECT_EQ(skin.SizeFont, 20);
  EXPECT_EQ(skin.WidthLine, 4);
  EXPECT_EQ(skin.Markers, 0);
  EXPECT_FALSE(skin.ShowLegend);
}

// ---------------------------------------------------------------------------------------
// Files written by the engine

// Position of the first word of the capacity rows of block 1 (after its header and points).
std::size_t RowsStart(const std::vector<double>& w) {
  return 3 + 7 * static_cast<std::size_t>(w[1]);
}

TEST(PlotReaderRuns, SoilTipLoadsCapacityThreeSettlementCurvesAndTheTzPart) {
  const EngineRun& run = RunEngine(kClayOverSand);
  ASSERT_EQ(run.status, 0);
  auto project = LoadProject(run.project_path());
  TGraphCatalogue g;
  const PlotReadResult r = ReadPlotData(run.plot_path(), *project, g, true);
  ASSERT_TRUE(r.ok) << r.reader_error;
  EXPECT_TRUE(r.showtzcurves);
  EXPECT_EQ(r.message, "");
  EXPECT_EQ(r.SettleCurveCount, 3);

  // Header, NP points of seven values (depth first), 45 rows, NT t-z curves, NQ q-w curves.
  const std::vector<double> w = Numbers(run.plot);
  const int NP = static_cast<int>(w[1]);
  const GraphIndex depth[] = {kPltSkin, kPltTip, kPltTotal, kFSpltSkin, kFSpltTip, kFSpltTotal};
  for (int k = 0; k < 6; ++k) {
    const TGraphPlot& d = g[depth[k]];
    SCOPED_TRACE(GraphComponentName(depth[k]));
    ASSERT_EQ(d.LineCount(), 1);
    ASSERT_EQ(d.Count(), NP);
    EXPECT_EQ(d.LineName(0), "Dia=3 ft");
    EXPECT_EQ(d.YCaption, "Depth");
    EXPECT_FALSE(d.Yreversed);
    for (int p = 0; p < NP; ++p) {
      EXPECT_EQ(d.Data(0, p).y, w[3 + 7 * p]) << p;
      EXPECT_EQ(d.Data(0, p).x, w[3 + 7 * p + 1 + k]) << p;
    }
  }
  EXPECT_EQ(g[kPltSkin].Data(0, 1).y, 9.0);  // the first computed depth, zero resistance
  EXPECT_EQ(g[kFSpltTip].XCaption,
            project->data.NLRFD == 1 ? "LRFD Tip Resistance " : "Tip Resistance/F.S. ");

  const std::size_t s = RowsStart(w);
  const GraphIndex settle[] = {kPltAxial, kPltUpper, kPltLower};
  for (int c = 0; c < 3; ++c) {
    const TGraphPlot& a = g[settle[c]];
    SCOPED_TRACE(GraphComponentName(settle[c]));
    ASSERT_EQ(a.LineCount(), 1);
    ASSERT_EQ(a.Count(), 16);
    EXPECT_EQ(a.Data(0, 0).x, 0.0);
    EXPECT_EQ(a.Data(0, 0).y, 0.0);
    for (int i = 0; i < 15; ++i) {
      EXPECT_EQ(a.Data(0, i + 1).x, w[s + 60 * c + 4 * i]);      // head load
      EXPECT_EQ(a.Data(0, i + 1).y, w[s + 60 * c + 4 * i + 1]);  // head movement
    }
  }

  // The combined graphs carry curve 0 of their sources under fixed names.
  const struct {
    GraphIndex target;
    GraphIndex sources[3];
    const char* names[3];
  } combined[] = {
      {kPltCombine,
       {kPltSkin, kPltTip, kPltTotal},
       {"  Skin Friction", "  Tip Resistance", "  Total Capacity"}},
      {kPltCombineD,
       {kFSpltSkin, kFSpltTip, kFSpltTotal},
       {"  Skin Friction", "  Tip Resistance", "  Total Capacity"}},
      {kPltCombinedSettle,
       {kPltAxial, kPltUpper, kPltLower},
       {"  Trend (Averaged)", "  Upper Bound", "  Lower Bound"}},
  };
  for (const auto& c : combined) {
    ASSERT_EQ(g[c.target].LineCount(), 3);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(g[c.target].LineName(k), c.names[k]);
      ASSERT_EQ(g[c.target].Lines(k).Count(), g[c.sources[k]].Count());
      for (int p = 0; p < g[c.sources[k]].Count(); ++p)
        EXPECT_EQ(g[c.target].Data(k, p).x, g[c.sources[k]].Data(0, p).x);
    }
  }
  EXPECT_EQ(g[kPltLoad].LineCount(), 9);
  EXPECT_EQ(g[kPltLoad].Count(), NP);

  // Soil layer column: clay to 30 ft over sand to 80 ft, on the eight depth graphs only.
  for (GraphIndex i : {kPltSkin, kFSpltTotal, kPltCombine, kPltCombineD}) {
    const TGraphPlot& d = g[i];
    ASSERT_EQ(d.LayerLineCount(), 2) << GraphComponentName(i);
    EXPECT_EQ(d.LayerLines(0).LineName(d.CurveName), " CLAY ");
    EXPECT_EQ(d.LayerData(0, 0).x, 1.0);
    EXPECT_EQ(d.LayerData(0, 0).y, 30.0);
    EXPECT_EQ(d.LayerLines(1).LineName(d.CurveName), " SAND ");
    EXPECT_EQ(d.LayerData(1, 0).x, 7.0);
    EXPECT_EQ(d.LayerData(1, 0).y, 80.0);
  }
  EXPECT_EQ(g[kPltAxial].LayerLineCount(), 0);

  // t-z curves (t against z) and the q-w curve (Q against w).
  const int NT = static_cast<int>(w[s + 180]);
  ASSERT_EQ(g[kPltTz].LineCount(), NT);
  ASSERT_EQ(g[kPltTz].Count(), 10);
  for (int j = 0; j < NT; ++j) {
    const std::size_t at = s + 181 + 23 * static_cast<std::size_t>(j);
    EXPECT_EQ(g[kPltTz].LineName(j), "H=" + project::FormatGeneral(w[at + 2], 15) + " ft");
    for (int k = 0; k < 10; ++k) {
      EXPECT_EQ(g[kPltTz].Data(j, k).y, w[at + 3 + 2 * k]);
      EXPECT_EQ(g[kPltTz].Data(j, k).x, w[at + 4 + 2 * k]);
    }
  }
  const std::size_t q = s + 181 + 23 * static_cast<std::size_t>(NT);
  ASSERT_EQ(g[kPltQw].LineCount(), static_cast<int>(w[q]));
  ASSERT_EQ(g[kPltQw].LineCount(), 1);
  EXPECT_EQ(g[kPltQw].LineName(0), "Dia=3 ft");
  EXPECT_EQ(g[kPltQw].Data(0, 9).y, w[q + 4 + 18]);
  EXPECT_EQ(g[kPltQw].Data(0, 9).x, w[q + 4 + 19]);
  EXPECT_EQ(g[kPltTzAdd].LineCount(), 0);
  for (const TGraphPlot& each : g) EXPECT_EQ(each.Units(), 1);
}

TEST(PlotReaderRuns, ElevationAxisTurnsDepthsIntoElevations) {
  const EngineRun& run = RunEngine(kClayOverSand);
  auto project = LoadProject(run.project_path());
  project->data.UseElevation = 1;
  project->data.ValElevation = 100;
  TGraphCatalogue g;
  ASSERT_TRUE(ReadPlotData(run.plot_path(), *project, g, true).ok);
  for (GraphIndex i : {kPltSkin, kPltTip, kPltTotal, kPltCombine, kFSpltSkin, kFSpltTip,
                       kFSpltTotal, kPltCombineD}) {
    EXPECT_EQ(g[i].YCaption, "Elevation") << GraphComponentName(i);
    EXPECT_TRUE(g[i].Yreversed) << GraphComponentName(i);
  }
  EXPECT_FALSE(g[kPltAxial].Yreversed);
  EXPECT_EQ(g[kPltSkin].Data(0, 0).y, 100.0);
  EXPECT_EQ(g[kPltSkin].Data(0, 1).y, 91.0);       // depth 9
  EXPECT_EQ(g[kPltCombineD].Data(0, 1).y, 91.0);   // copied after the conversion
  EXPECT_EQ(g[kPltSkin].LayerData(0, 0).y, 30.0);  // layers stay at their depths
  EXPECT_GT(g[kPltAxial].Data(0, 15).y, 0.0);      // movements are not elevations
}

TEST(PlotReaderRuns, RockTipLoadsOneSettlementCurveAndNoTzPart) {
  const EngineRun& soil = RunEngine(kClayOverSand);
  const EngineRun& rock = RunEngine(kRockTip);
  ASSERT_EQ(rock.status, 0);
  TGraphCatalogue g;
  {
    auto project = LoadProject(soil.project_path());
    ASSERT_TRUE(ReadPlotData(soil.plot_path(), *project, g, true).ok);
  }
  auto project = LoadProject(rock.project_path());
  const PlotReadResult r = ReadPlotData(rock.plot_path(), *project, g, true);
  ASSERT_TRUE(r.ok) << r.reader_error;
  EXPECT_FALSE(r.showtzcurves);
  ASSERT_TRUE(r.SettleCurveCount.has_value());
  EXPECT_LE(*r.SettleCurveCount, 1);
  const std::vector<double> w = Numbers(rock.plot);
  const std::size_t s = RowsStart(w);
  EXPECT_EQ(g[kPltAxial].Data(0, 15).x, w[s + 56]);
  // Sized but not filled: nothing left from the soil run loaded before.
  for (GraphIndex i : {kPltUpper, kPltLower}) {
    ASSERT_EQ(g[i].LineCount(), 1);
    ASSERT_EQ(g[i].Count(), 16);
    for (int p = 0; p < 16; ++p) EXPECT_EQ(g[i].Data(0, p).x, 0.0) << p;
  }
  ASSERT_EQ(g[kPltTip].LayerLineCount(), 2);
  EXPECT_EQ(g[kPltTip].LayerLines(1).ValueS, " ROCK ");
  EXPECT_EQ(g[kPltTip].LayerData(1, 0).x, 9.0);
  EXPECT_EQ(g[kPltSkin].Count(), static_cast<int>(w[1]));
}

TEST(PlotReaderRuns, LengthVariationNamesCurvesByLengthAndPadsShorterBlocks) {
  const EngineRun& run = RunEngine(kLengthVariation);
  ASSERT_EQ(run.status, 0);
  auto project = LoadProject(run.project_path());
  ASSERT_EQ(project->data.IPENT, 1);
  TGraphCatalogue g;
  const PlotReadResult r = ReadPlotData(run.plot_path(), *project, g, true);
  ASSERT_TRUE(r.ok) << r.reader_error;
  const std::vector<double> w = Numbers(run.plot);
  const int NP = static_cast<int>(w[1]);
  const std::size_t second = RowsStart(w) + 60;  // block 2 header
  const int n2 = static_cast<int>(w[second + 1]);
  ASSERT_EQ(w[0], 2);
  ASSERT_LT(n2, NP);
  for (GraphIndex i : {kPltSkin, kPltTip, kPltTotal, kFSpltSkin, kFSpltTip, kFSpltTotal, kPltAxial,
                       kPltUpper, kPltLower}) {
    ASSERT_EQ(g[i].LineCount(), 2) << GraphComponentName(i);
    EXPECT_EQ(g[i].LineName(0), "L =34 ft") << GraphComponentName(i);
    EXPECT_EQ(g[i].LineName(1), "L =24 ft") << GraphComponentName(i);
  }
  for (GraphIndex i : {kPltSkin, kPltTip, kPltTotal, kFSpltSkin, kFSpltTip, kFSpltTotal}) {
    const TGraphPlot& d = g[i];
    EXPECT_EQ(d.Data(1, n2 - 1).y, w[second + 3 + 7 * static_cast<std::size_t>(n2 - 1)]);
    for (int p = n2; p < NP; ++p) {
      EXPECT_EQ(d.Data(1, p).x, d.Data(1, n2 - 1).x) << GraphComponentName(i) << p;
      EXPECT_EQ(d.Data(1, p).y, 24.0) << GraphComponentName(i) << p;
    }
  }
  // Block 2's rows follow its own points.
  const std::size_t rows2 = second + 3 + 7 * static_cast<std::size_t>(n2);
  EXPECT_EQ(g[kPltAxial].Data(1, 1).x, w[rows2]);
  EXPECT_EQ(g[kPltAxial].Data(1, 15).y, w[rows2 + 57]);
}

// The words of the design chart part: NS, ND, NL, then per settlement S, per diameter D and L, Q
// pairs.
std::vector<double> ChartWords(const std::string& plot, const char* header) {
  const std::size_t at = plot.find(header);
  EXPECT_NE(at, std::string::npos);
  return Numbers(plot.substr(at == std::string::npos ? plot.size() : at));
}

TEST(PlotReaderRuns, EnglishDesignChartsShowFeetAndTons) {
  const EngineRun& run = RunEngine(EnglishCharts());
  ASSERT_EQ(run.status, 0);
  auto project = LoadProject(run.project_path());
  TGraphCatalogue g;
  const PlotReadResult r = ReadPlotData(run.plot_path(), *project, g, true);
  ASSERT_TRUE(r.ok) << r.reader_error;
  EXPECT_TRUE(r.showtzcurves);
  const std::vector<double> c = ChartWords(run.plot, "\n 3 2 3\n");
  ASSERT_GT(c.size(), 40u);
  const char* captions[] = {"Design Chart (0.25-in movement)", "Design Chart (0.5-in movement)",
                            "Design Chart (1-in movement)"};
  for (int n = 0; n < 3; ++n) {
    const TGraphPlot& chart = g.Chart(n);
    EXPECT_EQ(chart.Caption, captions[n]);
    EXPECT_EQ(chart.UserCaption, captions[n]);
    ASSERT_EQ(chart.LineCount(), 2);
    ASSERT_EQ(chart.Count(), 3);
    EXPECT_EQ(chart.LineName(0), "Dia=3 ft");
    EXPECT_EQ(chart.LineName(1), "Dia=3.5 ft");
    const std::size_t at = 3 + 15 * static_cast<std::size_t>(n);  // S of settlement n
    for (int d = 0; d < 2; ++d)
      for (int k = 0; k < 3; ++k) {
        const std::size_t pair =
            at + 2 + 7 * static_cast<std::size_t>(d) + 2 * static_cast<std::size_t>(k);
        EXPECT_DOUBLE_EQ(chart.Data(d, k).y, c[pair] / 12);
        EXPECT_DOUBLE_EQ(chart.Data(d, k).x, c[pair + 1] / 2000);
      }
  }
  EXPECT_DOUBLE_EQ(g.Chart(0).Data(0, 0).y, 50.0);
  EXPECT_EQ(g.Chart(3).Caption, "Design Chart 4");
  EXPECT_EQ(g.Chart(3).LineCount(), 0);
  EXPECT_EQ(g[kPltSkin].LineName(1), "Dia=3.5 ft");
  ASSERT_EQ(g[kPltQw].LineCount(), 2);
  EXPECT_EQ(g[kPltQw].LineName(1), "Dia=3.5 ft");
}

// A pass without a load-settlement curve (a diameter of 0; a tip in a layer of unknown soil
// type) still writes the settlement rows of its block, at the origin, so a complete run always
// loads.
TEST(PlotReaderRuns, BlocksWithoutALoadSettlementCurveLoad) {
  const std::string cases[] = {
      "no diameter\n1\n2 0 0 0 1 8 0 0 0 0 0\n0 0 0 0 1 0 0\n1 0 1 0 0\n1 0\n"
      "0.0 0 0 0 0 0 0 1 1\n0.0 0 0 0 0 0 0 1 1\n1\n0 0\n",
      "unknown tip layer\n1\n2 1 1 5 1 2 0 0 0 0 0\n3 0 0 0 5 3 3600000\n2 12 60 2 2.5\n"
      "2 30\n0 115 0.0 1000 0 0 0 1 1\n0 120 0.0 2200 0 0 0 1 1\n0 0\n10 80\n",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text.substr(0, text.find('\n')));
    const EngineRun& run = RunEngine(text);
    ASSERT_EQ(run.status, 0);
    auto project = LoadProject(run.project_path());
    TGraphCatalogue g;
    const PlotReadResult r = ReadPlotData(run.plot_path(), *project, g, true);
    ASSERT_TRUE(r.ok) << r.reader_error;
    ASSERT_EQ(g[kPltAxial].LineCount(), 1);
    for (const TFloatPoint& p : g[kPltAxial].Lines(0).Data) EXPECT_EQ(p.x, 0);
  }
}

// A diameter range that starts at zero: the zero diameter gives no q-w curve, and the count
// before the q-w curves is the number written, so the plot data still loads (fuzzer finding:
// the count was the last diameter's index, one more than the curves).
TEST(PlotReaderRuns, DiameterRangeFromZeroLoadsItsQwCurves) {
  const std::string layers =
      "2 6\n0 18 0.0 50 0 0 0 0.45 0.4\n0 18.5 0.0 80 0 0 0 0.45 0.4\n0 0\n"
      "1 25\n0.0 19 0 0 15 0 0 0.55 0.5\n0.0 20 0 0 30 0 0 0.55 0.5\n2\n0 0\n";
  const struct {
    const char* name;
    std::string text;
    int qw_curves;
  } cases[] = {
      {"three diameters from zero", "from zero\n2\n2 1 1 1 1 1 0 0 0 1 0\n0 0.4 0 0 1.5 1 25000000\n2 3 15 2 2.5\n" + layers, 2},
      {"with additional t-z curves",
       "from zero\n2\n2 1 1 1 1 1 0 0 0 1 1\n0 0.4 0 0 1.5 1 25000000\n2 3 15 2 2.5\n" + layers + "1\n3\n", 2},
      {"lengths of a zero diameter",
       "zero\n2\n2 1 1 1 1 1 1 0 0 1 0\n0 0 0 0 1.5 1 25000000\n2 3 15 2 2.5\n10 2\n" + layers, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const EngineRun& run = RunEngine(c.text);
    ASSERT_EQ(run.status, 0);
    auto project = LoadProject(run.project_path());
    TGraphCatalogue g;
    const PlotReadResult r = ReadPlotData(run.plot_path(), *project, g, true);
    ASSERT_TRUE(r.ok) << r.reader_error;
    EXPECT_EQ(g[kPltQw].LineCount(), c.qw_curves);
  }
}

// The engine writes the chart part for any positive chart flag, so the loader reads it then
// too; otherwise the chart part would be taken for the t-z part and the loading would fail.
TEST(PlotReaderRuns, AnyPositiveChartFlagHasAChartPart) {
  std::string project = EnglishCharts();
  project.replace(project.find("2 1 1 5 1 2 0 1 0 0 0"), 21, "2 1 1 5 1 2 0 2 0 0 0");
  const EngineRun& run = RunEngine(project);
  ASSERT_EQ(run.status, 0);
  auto loaded = LoadProject(run.project_path());
  ASSERT_EQ(loaded->data.IChart, 2);
  TGraphCatalogue g;
  const PlotReadResult r = ReadPlotData(run.plot_path(), *loaded, g, true);
  ASSERT_TRUE(r.ok) << r.reader_error;
  EXPECT_EQ(g.Chart(0).Caption, "Design Chart (0.25-in movement)");
  EXPECT_EQ(g.Chart(0).LineCount(), 2);
  EXPECT_TRUE(r.showtzcurves);
}

TEST(PlotReaderRuns, SiDesignChartsShowMetresAndKilonewtonsAsWritten) {
  const EngineRun& run = RunEngine(SiCharts());
  ASSERT_EQ(run.status, 0);
  auto project = LoadProject(run.project_path());
  ASSERT_EQ(project->data.fUnits, 2);
  TGraphCatalogue g;
  const PlotReadResult r = ReadPlotData(run.plot_path(), *project, g, true);
  ASSERT_TRUE(r.ok) << r.reader_error;
  const std::vector<double> c = ChartWords(run.plot, "\n 3 2 26\n");
  ASSERT_GT(c.size(), 60u);
  const TGraphPlot& chart = g.Chart(0);
  EXPECT_EQ(chart.Caption, "Design Chart (0.006-m movement)");
  ASSERT_EQ(chart.LineCount(), 2);
  ASSERT_EQ(chart.Count(), 26);
  // The diameters as entered, not as the engine's unit round trip wrote them.
  ASSERT_NE(c[4], 1.0);
  EXPECT_NEAR(c[4], 1.0, 3e-5);
  EXPECT_EQ(chart.LineName(0), "Dia=1 m");
  EXPECT_EQ(chart.LineName(1), "Dia=1.15 m");
  EXPECT_EQ(chart.Data(0, 0).y, c[5]);
  EXPECT_EQ(chart.Data(0, 0).x, c[6]);
  EXPECT_EQ(g.Chart(2).Caption, "Design Chart (0.025-m movement)");
  EXPECT_EQ(g[kPltSkin].LineName(0), "Dia=1 m");
  EXPECT_EQ(g[kPltSkin].LineName(1), "Dia=1.152 m");
  EXPECT_EQ(g[kPltTz].LineName(0).substr(g[kPltTz].LineName(0).size() - 2), " m");
  for (const TGraphPlot& each : g) EXPECT_EQ(each.Units(), 2);
  EXPECT_EQ(g[kPltSkin].XAxisCaption(), "Ultimate Skin Friction  (kN)");
  EXPECT_EQ(g[kPltTz].YAxisCaption(), "Unit Load Transfer, t (kN/m^2)");
}

TEST(PlotReaderRuns, AdditionalTzCurvesComeBeforeTheTzCurves) {
  const EngineRun& run = RunEngine(WithAdditionalCurves());
  ASSERT_EQ(run.status, 0);
  auto project = LoadProject(run.project_path());
  ASSERT_EQ(project->data.PrintTZCurves, 1);
  TGraphCatalogue g;
  const PlotReadResult r = ReadPlotData(run.plot_path(), *project, g, true);
  ASSERT_TRUE(r.ok) << r.reader_error;
  EXPECT_TRUE(r.showtzcurves);
  ASSERT_EQ(g[kPltTzAdd].LineCount(), 2);
  EXPECT_EQ(g[kPltTzAdd].Count(), 10);
  EXPECT_EQ(g[kPltTzAdd].LineName(0), "H=20 ft");
  EXPECT_EQ(g[kPltTzAdd].LineName(1), "H=40 ft");
  EXPECT_GT(g[kPltTzAdd].Data(1, 9).y, 0.0);
  EXPECT_EQ(g[kPltTz].LineCount(), 10);
  EXPECT_EQ(g[kPltQw].LineCount(), 1);

  // Without the option the same file does not line up: NA is taken for NT.
  project->data.PrintTZCurves = 0;
  TGraphCatalogue other;
  EXPECT_FALSE(ReadPlotData(run.plot_path(), *project, other, false).ok);
}

// ---------------------------------------------------------------------------------------
// Reader rules on small files

// A capacity part: per block a header, `points[b]` points and `rows` settlement rows.
// Point p of block b: depth p + 1 and values 10b + p + k for k = 1..6; the deepest point of
// every block has a zero base resistance.
std::string CapacityText(const std::vector<int>& points, int NC, int rows) {
  std::ostringstream s;
  for (std::size_t b = 0; b < points.size(); ++b) {
    s << ' ' << points.size() << ' ' << points[b] << ' ' << NC << '\n';
    for (int p = 0; p < points[b]; ++p) {
      s << ' ' << p + 1;
      for (int k = 1; k <= 6; ++k) s << ' ' << (k == 2 && p == points[b] - 1 ? 0 : 10 * b + p + k);
      s << '\n';
    }
    for (int i = 1; i <= rows; ++i) s << ' ' << 100 * b + i << ' ' << 0.01 * i << " 1 1\n";
  }
  return s.str();
}

TEST(PlotReaderRules, ShorterBlocksRepeatTheirLastPointAndZeroTipsAreRaised) {
  Project project;
  TGraphCatalogue g;
  const PlotReadResult r = ReadPlotDataText(CapacityText({12, 10}, 1, 15), project, g, true);
  ASSERT_TRUE(r.ok) << r.reader_error;
  EXPECT_FALSE(r.showtzcurves);  // the file ends after the capacity part
  EXPECT_EQ(r.SettleCurveCount, 1);
  ASSERT_EQ(g[kPltSkin].LineCount(), 2);
  ASSERT_EQ(g[kPltSkin].Count(), 12);
  EXPECT_EQ(g[kPltSkin].Data(1, 9).x, 10 + 9 + 1);
  for (int p : {10, 11}) {
    EXPECT_EQ(g[kPltSkin].Data(1, p).y, 10.0);
    EXPECT_EQ(g[kPltSkin].Data(1, p).x, 20.0);
    EXPECT_EQ(g[kFSpltTotal].Data(1, p).x, 10 + 9 + 6);
  }
  EXPECT_EQ(g[kPltTip].Data(0, 11).x, 0.00001);  // read as 0
  EXPECT_EQ(g[kPltTip].Data(1, 11).x, 0.00001);  // repeated 0
  EXPECT_EQ(g[kPltTip].Data(0, 10).x, 10 + 2);
  EXPECT_EQ(g[kPltAxial].Data(1, 15).x, 115.0);
  EXPECT_EQ(g[kPltUpper].LineCount(), 2);
  EXPECT_EQ(g[kPltUpper].Count(), 16);
  EXPECT_EQ(g[kPltSkin].LineName(1), "Dia=0.5 ft");  // DSTART 0 + 0.5 per block
}

TEST(PlotReaderRules, UpliftAndTheOlderLayoutDeriveFactoredValues) {
  struct Case {
    int newversion, KCYCL, NLRFD;
    const char* point;  // depth and values of the one point
    double tip, fs_side, fs_tip, fs_total;
    const char* tip_caption;
    const char* combined_tip;
  } cases[] = {
      {1, 1, 2, "5 10 6 16 4.5 2.5 7", 6, 4.5, 2.5, 7, "Tip Resistance/F.S. ", "  Tip Resistance"},
      {1, 1, 1, "5 10 6 16 4.5 2.5 7", 6, 4.5, 2.5, 7, "LRFD Tip Resistance ", "  Tip Resistance"},
      {1, 2, 2, "5 10 6 16 4.5 2.5 7", 6, 4.5, 6, 7, "Self-Weight", "  Self-Weight"},
      // Older layout: side, base, total, one unused value; factors of safety 2.5 and 3.
      {0, 1, 2, "5 10 6 16 99", 6, 4, 2, 6, "Tip Resistance/F.S. ", "  Tip Resistance"},
      {0, 2, 2, "5 10 6 16 99", 6, 4, 6, 10, "Self-Weight", "  Self-Weight"},
  };
  std::string rows;
  for (int i = 1; i <= 15; ++i) rows += " 1 1 1 1\n";
  Project project;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.point + std::string(" KCYCL ") + std::to_string(c.KCYCL));
    project.data.Yesnewversion = c.newversion;
    project.data.KCYCL = c.KCYCL;
    project.data.NLRFD = c.NLRFD;
    TGraphCatalogue g;
    const PlotReadResult r =
        ReadPlotDataText(" 1 1 1\n " + std::string(c.point) + "\n" + rows, project, g, false);
    ASSERT_TRUE(r.ok) << r.reader_error;
    EXPECT_EQ(g[kPltSkin].Data(0, 0).x, 10);
    EXPECT_EQ(g[kPltTip].Data(0, 0).x, c.tip);
    EXPECT_EQ(g[kPltTotal].Data(0, 0).x, 16);
    EXPECT_EQ(g[kFSpltSkin].Data(0, 0).x, c.fs_side);
    EXPECT_EQ(g[kFSpltTip].Data(0, 0).x, c.fs_tip);
    EXPECT_EQ(g[kFSpltTotal].Data(0, 0).x, c.fs_total);
    EXPECT_EQ(g[kFSpltTip].Data(0, 0).y, 5);
    EXPECT_EQ(g[kFSpltTip].XCaption, c.tip_caption);
    EXPECT_EQ(g[kPltCombineD].LineName(1), c.combined_tip);
  }
}

TEST(PlotReaderRules, DesignChartIsReadOnlyBelowTheSettlementCount) {
  struct Case {
    int units, n, ntry;
    const char* diameter;  // as the engine writes it
    const char* caption;
    const char* name;
    double x, y;
  } cases[] = {
      {1, 0, 1, "36", "Design Chart (0.5-in movement)", "Dia=3 ft", 100, 40},
      {2, 0, 1, "36", "Design Chart (0.5-m movement)", "Dia=36 m", 200000, 480},
      {1, 1, 1, "36", "", "", 0, 0},  // n >= ntry: nothing read
      // Diameters entered in m come back through ft and in: shown as entered.
      {2, 0, 1, "0.8999891", "Design Chart (0.5-m movement)", "Dia=0.9 m", 200000, 480},
      {2, 0, 1, "1.152386", "Design Chart (0.5-m movement)", "Dia=1.1524 m", 200000, 480},
      {2, 0, 1, "0.123456", "Design Chart (0.5-m movement)", "Dia=0.123456 m", 200000, 480},
      {1, 0, 1, "41.99999", "Design Chart (0.5-in movement)", "Dia=3.5 ft", 100, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.diameter + std::string(" ") + c.caption);
    project::TWordReader reader =
        project::TWordReader::FromText("0.5\n" + std::string(c.diameter) + "\n480 200000\n");
    TGraphPlot chart;
    ReadPltChart(chart, 1, reader, c.n, c.ntry, 1, c.units);
    EXPECT_EQ(chart.Caption, c.caption);
    if (c.n >= c.ntry) {
      EXPECT_EQ(chart.LineCount(), 0);
      EXPECT_EQ(reader.Line(), 0);
      continue;
    }
    ASSERT_EQ(chart.LineCount(), 1);
    EXPECT_EQ(chart.LineName(0), c.name);
    EXPECT_EQ(chart.Data(0, 0).x, c.x);
    EXPECT_EQ(chart.Data(0, 0).y, c.y);
  }
}

TEST(PlotReaderRules, LayerColumnNamesAndPatternsBySoilType) {
  Project project;
  project::TGridTable& D = project.tables.D;
  D.SetRowCount(9);
  for (int r = 0; r < 9; ++r) {
    D.SetIntValue(project::kColSoilType, r, r + 1);
    D.SetFloatValue(project::kColDepthBottom, r, 10.0 * (r + 1));
  }
  TGraphPlot empty;
  empty.SetLineCount(1);  // a curve without points gets no layers
  AddLayersGraphPlot(empty, D);
  EXPECT_EQ(empty.LayerLineCount(), 0);

  TGraphPlot g;
  g.AddLine("", {{1, 1}});
  AddLayersGraphPlot(g, D);
  ASSERT_EQ(g.LayerLineCount(), 9);
  ASSERT_EQ(g.LayerCount(), 1);
  const char* names[] = {" SAND ", " CLAY ", " SHALE ", " ROCK ",  " WEAK ROCK ",
                         " GW ",   " ROCK ", " GW ",    " GRAVEL "};
  const int patterns[] = {7, 1, 8, 9, 10, 12, 9, 11, 12};
  for (int r = 0; r < 9; ++r) {
    EXPECT_EQ(g.LayerLines(r).ValueS, names[r]) << r;
    EXPECT_EQ(g.LayerData(r, 0).x, patterns[r]) << r;
    EXPECT_EQ(g.LayerData(r, 0).y, 10.0 * (r + 1)) << r;
  }
}

// ---------------------------------------------------------------------------------------
// Damaged files

// Replaces the first occurrence of `from` (which must exist) by `to`.
std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  if (at == std::string::npos) {
    ADD_FAILURE() << "not in the file: " << from;
  } else {
    text.replace(at, from.size(), to);
  }
  return text;
}

// Start of line `line` (0-based).
std::size_t LineStart(const std::string& text, int line) {
  std::size_t start = 0;
  for (int i = 0; i < line; ++i) start = text.find('\n', start) + 1;
  return start;
}

// The text with its line `line` replaced by `with`.
std::string ReplaceLine(const std::string& text, int line, const std::string& with) {
  const std::size_t start = LineStart(text, line);
  return text.substr(0, start) + with + text.substr(text.find('\n', start));
}

// The text with an empty line inserted before line `line`.
std::string InsertEmptyLine(const std::string& text, int line) {
  const std::size_t start = LineStart(text, line);
  return text.substr(0, start) + "\n" + text.substr(start);
}

TEST(PlotReaderDamaged, EveryDamageEndsTheLoadingWithTheErrorResult) {
  const EngineRun& run = RunEngine(EnglishCharts());
  ASSERT_EQ(run.status, 0);
  const std::string& f = run.plot;
  const std::string chart_header = "\n 3 2 3\n";
  const std::string tz_header =
      "\n 10                                                                             \n";
  ASSERT_NE(f.find(chart_header), std::string::npos);
  ASSERT_NE(f.find(tz_header), std::string::npos);
  const std::size_t block2 = f.find("\n 2 44 3\n", 10);
  ASSERT_NE(block2, std::string::npos);
  const std::size_t chart = f.find(chart_header);
  const std::size_t tz = f.find(tz_header);

  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty file", ""},
      {"truncated in the capacity part", f.substr(0, f.size() / 10)},
      {"truncated in the chart part", f.substr(0, chart + 40)},
      {"truncated in the t-z part", f.substr(0, tz + 300)},
      {"truncated q-w curve", f.substr(0, f.size() - 100)},
      {"word in the capacity part",
       ReplaceLine(f, 4, "  0.900E+01  abc  0.397E+02  0.429E+02  0.161E+01")},
      {"word in the chart part", Replace(f, chart_header + " 0.2500000", chart_header + " S")},
      {"word for NT", Replace(f, tz_header, "\n ten\n")},
      {"real for NB", ReplaceLine(f, 0, " 2.5 44 3")},
      {"empty line in the capacity part", InsertEmptyLine(f, 5)},
      {"empty line in the chart part", Replace(f, chart_header, chart_header + "\n")},
      {"blank line at the start", "   \n" + f},
      {"NB 0", ReplaceLine(f, 0, " 0 44 3")},
      {"NB huge", ReplaceLine(f, 0, " 2147483647 44 3")},
      {"NB beyond the file", ReplaceLine(f, 0, " 900 44 3")},
      {"NP 0", ReplaceLine(f, 0, " 2 0 3")},
      {"NP huge", ReplaceLine(f, 0, " 2 2000000000 3")},
      {"NP of block 2 above block 1's", Replace(f, "\n 2 44 3\n", "\n 2 45 3\n")},
      {"NP of block 2 zero", f.substr(0, block2) + "\n 2 0 3\n" + f.substr(block2 + 9)},
      {"ntry above 10", Replace(f, chart_header, "\n 11 2 3\n")},
      {"ntry negative", Replace(f, chart_header, "\n -1 2 3\n")},
      {"ntop huge", Replace(f, chart_header, "\n 3 1000000 3\n")},
      {"ndata huge", Replace(f, chart_header, "\n 3 2 2000000000\n")},
      {"NT huge", Replace(f, tz_header, "\n 99999999\n")},
      {"NT beyond the file", Replace(f, tz_header, "\n 1000\n")},
      {"NQ negative",
       Replace(
           f,
           "\n 2                                                                              \n",
           "\n -2\n")},
  };
  Project project;
  project.data.IChart = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TGraphCatalogue g;
    const PlotReadResult r = ReadPlotDataText(c.text, project, g, true);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.showtzcurves);
    EXPECT_EQ(r.message, kPlotReadErrorMessage);
    EXPECT_NE(r.reader_error, "");
  }

  // Without error reporting nothing is to be shown; what was read before the damage stays.
  TGraphCatalogue g;
  const PlotReadResult quiet =
      ReadPlotDataText(Replace(f, tz_header, "\n ten\n"), project, g, false);
  EXPECT_FALSE(quiet.ok);
  EXPECT_EQ(quiet.message, "");
  EXPECT_EQ(quiet.SettleCurveCount, 3);
  EXPECT_EQ(g[kPltSkin].LineCount(), 2);
  EXPECT_EQ(g.Chart(2).Caption, "Design Chart (1-in movement)");
  EXPECT_EQ(g[kPltTz].LineCount(), 0);
}

TEST(PlotReaderDamaged, MissingFileGivesTheErrorResult) {
  Project project;
  TGraphCatalogue g;
  const PlotReadResult r =
      ReadPlotData((TempDirs::Make() / "none.kv8p").string(), project, g, true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, kPlotReadErrorMessage);
  EXPECT_FALSE(r.SettleCurveCount.has_value());
}

TEST(PlotReaderDamaged, EveryWordIsReadAsANumberAndNoCutCrashes) {
  const EngineRun& run = RunEngine(EnglishCharts());
  const std::string& f = run.plot;
  Project project;
  project.data.IChart = 1;
  {
    TGraphCatalogue g;
    const PlotReadResult whole = ReadPlotData(run.plot_path(), project, g, false);
    ASSERT_TRUE(whole.ok) << whole.reader_error;
  }
  // Any word replaced by a non-number must stop the loading.
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < f.size(); ++i)
    if (f[i] > ' ' && (i == 0 || f[i - 1] <= ' ')) starts.push_back(i);
  ASSERT_GT(starts.size(), 1000u);
  for (std::size_t k = 0; k < starts.size(); k += 7) {
    std::string text = f;
    text[starts[k]] = 'x';
    TGraphCatalogue g;
    EXPECT_FALSE(ReadPlotDataText(text, project, g, false).ok) << "word " << k;
  }
  // A number beyond a double, however long its exponent, stops the loading with its line.
  for (std::size_t k : {std::size_t{3}, starts.size() / 2}) {
    std::string text = f;
    const std::size_t end = text.find_first_of(" \r\n", starts[k]);
    text.replace(starts[k], end - starts[k],
                 "10e00000000000000000000000000000000000000009223372036854775806");
    TGraphCatalogue g;
    const PlotReadResult r = ReadPlotDataText(text, project, g, false);
    EXPECT_FALSE(r.ok) << "word " << k;
    EXPECT_NE(r.reader_error.find("The number is out of range"), std::string::npos)
        << r.reader_error;
  }
  // Cut anywhere: never a crash, and always an error before the chart part is complete.
  const std::size_t chart_end = f.find("\n 10  ");
  for (std::size_t cut = 0; cut < f.size(); cut += 61) {
    TGraphCatalogue g;
    const PlotReadResult r = ReadPlotDataText(f.substr(0, cut), project, g, false);
    if (cut + 20 < chart_end) {
      EXPECT_FALSE(r.ok) << "cut at " << cut;
    }
    EXPECT_TRUE(r.ok || !r.reader_error.empty());
  }
}

}  // namespace
}  // namespace korva::results
