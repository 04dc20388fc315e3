#include "plot_reader.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

#include "evaluator.h"
#include "project_tables.h"

namespace korva::results {
namespace {

using project::EInOutError;
using project::TWordReader;

// Limits on the counts read from the file, well above what the engine writes, so that a
// damaged file cannot make the loader allocate without bound. Every count is also checked
// against the words the rest of the file actually holds.
constexpr int kMaxBlocks = 1000;                   // analysed diameters or lengths
constexpr int kMaxCapacityPoints = 100000;         // points per capacity curve
constexpr std::int64_t kMaxBlockPoints = 1000000;  // blocks x points per depth graph
constexpr int kMaxChartSettlements = 10;           // one design chart graph per settlement
constexpr int kMaxChartDiameters = 20;
constexpr int kMaxChartLengths = 10000;
constexpr int kMaxTzCurves = 10000;

constexpr int kSettlementRows = 15;  // rows per load-settlement curve; point 0 is the origin
constexpr int kTzPoints = 10;        // points per t-z or q-w curve
constexpr int kTzCurveWords = 3 + 2 * kTzPoints;

// A count that does not fit: reported at the reader's position like the reader's errors.
[[noreturn]] void FailCount(const TWordReader& r, std::string_view what) {
  r.FailAt(std::string(what) + " is out of range.");
}

// Checks a count read from the file against its range and, with `words_each` words per
// unit, against what the rest of the file holds.
void CheckCount(const TWordReader& r, int value, int lo, int hi, std::int64_t words_each,
                std::string_view what) {
  if (value < lo || value > hi) FailCount(r, what);
  if (static_cast<std::int64_t>(value) * words_each > r.WordsLeft()) FailCount(r, what);
}

// The capacity and chart part must not contain an empty line between two values. The
// token reader passes over such lines, so the next value must be on the current line or
// on the line right after it.
void ExpectValueNearby(const TWordReader& r) {
  const int line = r.Line();
  const int words = r.GetWordCount(line);
  if (r.Item() < words) return;
  int empty = -1;
  if (words == 0 && line < r.GetLineCount()) {
    empty = line;
  } else if (line + 1 < r.GetLineCount() && r.GetWordCount(line + 1) == 0) {
    empty = line + 1;
  }
  if (empty >= 0)
    throw EInOutError("Error on Line " + std::to_string(empty + 1) +
                      "\rA number was expected but the line is empty.");
}

int StrictInteger(TWordReader& r) {
  ExpectValueNearby(r);
  return r.ReadInteger();
}

double StrictFloat(TWordReader& r) {
  ExpectValueNearby(r);
  return r.ReadFloat();
}

std::string Number(double v) {
  return project::FormatGeneral(v, 15);
}

// A value the engine converted to its internal units and back (m -> ft -> in -> m, whose
// factors agree only to about 1.2e-5, then written with 7 digits), shown as the user
// entered it: the shortest decimal within 3e-5 of it, so 0.8999891 reads 0.9 and
// 1.152386 reads 1.1524.
std::string EnteredNumber(double v) {
  constexpr double kRoundTrip = 3e-5;
  if (!std::isfinite(v) || v == 0.0) return Number(v);
  for (int digits = 1; digits <= 7; ++digits) {
    const std::string s = project::FormatGeneral(v, digits);
    const std::optional<double> shown = project::ParseDecimal(s);
    if (shown && std::fabs(*shown - v) <= kRoundTrip * std::fabs(v)) return s;
  }
  return Number(v);
}

// Sets every point of every curve to (0, 0), keeping the curves' names and flags, so that
// curves sized but not filled by this load hold no values of an earlier one.
void ZeroPoints(TGraphPlot& g) {
  for (int i = 0; i < g.LineCount(); ++i)
    for (TFloatPoint& p : g.Lines(i).Data) p = {};
}

// Rows of one load-settlement curve into curve b: head load (x) against head movement
// (y); the tip columns are skipped. Point 0 is the origin.
void ReadSettlementCurve(TWordReader& r, TGraphPlot& g, int b) {
  g.Data(b, 0) = {};
  for (int i = 1; i <= kSettlementRows; ++i) {
    const double load = StrictFloat(r);
    const double movement = StrictFloat(r);
    StrictFloat(r);
    StrictFloat(r);
    g.Data(b, i) = {load, movement};
  }
}

// NA or NT t-z curves: per curve its number, its point count and its depth, then t and z
// pairs, drawn as t (y) against z (x).
void ReadTzCurves(TWordReader& r, TGraphPlot& g, std::string_view unit) {
  const int n = r.ReadInteger();
  CheckCount(r, n, 0, kMaxTzCurves, kTzCurveWords, "The number of t-z curves");
  g.SetLineCount(n);
  g.SetCount(kTzPoints);
  for (int i = 0; i < n; ++i) {
    r.ReadInteger();
    r.ReadInteger();
    const double h = r.ReadFloat();
    g.Lines(i).SetLineName("H=" + Number(h) + std::string(unit));
    for (int k = 0; k < kTzPoints; ++k) {
      const double t = r.ReadFloat();
      const double z = r.ReadFloat();
      g.Data(i, k) = {z, t};
    }
  }
}

// NQ q-w curves: per curve the diameter index, the diameter and the point count, then Q
// and w pairs, drawn as Q (y) against w (x).
void ReadQwCurves(TWordReader& r, TGraphPlot& g, std::string_view unit) {
  const int n = r.ReadInteger();
  CheckCount(r, n, 0, kMaxTzCurves, kTzCurveWords, "The number of q-w curves");
  g.SetLineCount(n);
  g.SetCount(kTzPoints);
  for (int i = 0; i < n; ++i) {
    r.ReadInteger();
    const double d = r.ReadFloat();
    r.ReadInteger();
    g.Lines(i).SetLineName("Dia=" + Number(d) + std::string(unit));
    for (int k = 0; k < kTzPoints; ++k) {
      const double q = r.ReadFloat();
      const double w = r.ReadFloat();
      g.Data(i, k) = {w, q};
    }
  }
}

void Load(TWordReader& r, const project::Project& project, TGraphCatalogue& graphs,
          PlotReadResult& result) {
  const project::TProgramData& m = project.data;
  const bool si = m.fUnits == 2;
  const bool elevation = m.UseElevation == 1;
  const bool uplift = m.KCYCL > 1;
  const std::string unit = si ? " m" : " ft";

  TGraphPlot& pltSkin = graphs[kPltSkin];
  TGraphPlot& pltTip = graphs[kPltTip];
  TGraphPlot& pltTotal = graphs[kPltTotal];
  TGraphPlot& FSpltSkin = graphs[kFSpltSkin];
  TGraphPlot& FSpltTip = graphs[kFSpltTip];
  TGraphPlot& FSpltTotal = graphs[kFSpltTotal];
  TGraphPlot& pltCombine = graphs[kPltCombine];
  TGraphPlot& pltCombineD = graphs[kPltCombineD];
  TGraphPlot& pltAxial = graphs[kPltAxial];
  TGraphPlot& pltUpper = graphs[kPltUpper];
  TGraphPlot& pltLower = graphs[kPltLower];
  TGraphPlot& pltCombinedSettle = graphs[kPltCombinedSettle];
  TGraphPlot& pltLoad = graphs[kPltLoad];

  // The six capacity graphs in the order of a point's values.
  const std::array<TGraphPlot*, 6> depth = {&pltSkin,   &pltTip,   &pltTotal,
                                            &FSpltSkin, &FSpltTip, &FSpltTotal};
  // The graphs with one curve per block.
  const std::array<TGraphPlot*, 9> per_block = {&pltSkin,   &pltTip,   &pltTotal,
                                                &FSpltSkin, &FSpltTip, &FSpltTotal,
                                                &pltAxial,  &pltUpper, &pltLower};
  const std::array<TGraphPlot*, 8> depth_axis = {&pltSkin,   &pltTip,   &pltTotal,   &pltCombine,
                                                 &FSpltSkin, &FSpltTip, &FSpltTotal, &pltCombineD};
  const std::array<TGraphPlot*, 13> capacity_and_settlement = {
      &pltSkin,    &pltTip,      &pltTotal, &FSpltSkin, &FSpltTip, &FSpltTotal,       &pltLoad,
      &pltCombine, &pltCombineD, &pltAxial, &pltUpper,  &pltLower, &pltCombinedSettle};

  for (TGraphPlot* g : depth_axis) {
    g->YCaption = elevation ? "Elevation" : "Depth";
    g->Yreversed = elevation;
    g->YSpansData = elevation;
  }
  pltSkin.ShowFontWidth = true;
  pltCombine.ShowFontWidth = true;

  // Capacity part, header of block 1: NB, NP, NC. A block holds at least one point and the 15
  // rows of one load-settlement curve.
  const int point_words = m.Yesnewversion != 0 ? 7 : 5;
  const int NB = StrictInteger(r);
  CheckCount(r, NB, 1, kMaxBlocks, point_words + 4 * kSettlementRows,
             "The number of capacity blocks");
  for (TGraphPlot* g : per_block) g->SetLineCount(NB);

  if (m.NLRFD == 1) {
    FSpltSkin.XCaption = "LRFD Side Resistance ";
    FSpltTip.XCaption = "LRFD Tip Resistance ";
    FSpltTotal.XCaption = "LRFD Total Resistance ";
    pltCombineD.XCaption = "LRFD Resistance ";
  } else if (m.NLRFD == 2) {
    FSpltSkin.XCaption = "Side Resistance/F.S. ";
    FSpltTip.XCaption = "Tip Resistance/F.S. ";
    FSpltTotal.XCaption = "Total Resistance/F.S. ";
    pltCombineD.XCaption = "Resistance/F.S. ";
  }
  if (uplift) FSpltTip.XCaption = "Self-Weight";

  pltLoad.SetLineCount(9);
  for (TGraphPlot* g : {&pltCombine, &pltCombineD}) {
    g->SetLineCount(3);
    g->Lines(0).SetLineName("  Skin Friction");
    g->Lines(1).SetLineName(m.KCYCL == 1 ? "  Tip Resistance" : "  Self-Weight");
    g->Lines(2).SetLineName("  Total Capacity");
  }
  pltCombinedSettle.SetLineCount(3);
  pltCombinedSettle.Lines(0).SetLineName("  Trend (Averaged)");
  pltCombinedSettle.Lines(1).SetLineName("  Upper Bound");
  pltCombinedSettle.Lines(2).SetLineName("  Lower Bound");

  const int NP = StrictInteger(r);
  CheckCount(r, NP, 1, kMaxCapacityPoints, point_words, "The number of capacity points");
  if (static_cast<std::int64_t>(NB) * NP > kMaxBlockPoints)
    FailCount(r, "The number of capacity points");
  for (TGraphPlot* g : depth) g->SetCount(NP);
  for (TGraphPlot* g : {&pltLoad, &pltCombine, &pltCombineD}) g->SetCount(NP);
  for (TGraphPlot* g : {&pltAxial, &pltUpper, &pltLower, &pltCombinedSettle})
    g->SetCount(kSettlementRows + 1);
  for (TGraphPlot* g : capacity_and_settlement) ZeroPoints(*g);

  const int NC = StrictInteger(r);
  result.SettleCurveCount = NC;
  for (TGraphPlot* g : capacity_and_settlement) g->SetUnits(m.fUnits);
  // The rows of every block follow block 1's curve selector.
  const bool bounds = NC > 2;
  const std::int64_t row_words = 4 * kSettlementRows * (bounds ? 3 : 1);
  if (static_cast<std::int64_t>(NP) * point_words + row_words +
          static_cast<std::int64_t>(NB - 1) * (3 + point_words + row_words) >
      r.WordsLeft())
    FailCount(r, "The number of capacity blocks");

  int block_points = NP;
  for (int b = 0; b < NB; ++b) {
    for (int p = 0; p < NP; ++p) {
      if (p >= block_points) {
        for (TGraphPlot* g : depth) g->Data(b, p) = g->Data(b, p - 1);
        continue;
      }
      const double d = StrictFloat(r);
      const double y = elevation ? m.ValElevation - d : d;
      std::array<double, 6> x{};
      if (m.Yesnewversion != 0) {
        for (double& v : x) v = StrictFloat(r);
        if (uplift) x[4] = x[1];
      } else {
        // Older layout: side, base, total and one unused value; the factored values are
        // derived with the project's factors of safety.
        x[0] = StrictFloat(r);
        x[1] = StrictFloat(r);
        x[3] = x[0] / m.FST;
        x[4] = m.KCYCL == 1 ? x[1] / m.FSB : x[1];
        x[2] = StrictFloat(r);
        x[5] = x[3] + x[4];
        StrictFloat(r);
      }
      for (std::size_t k = 0; k < depth.size(); ++k) depth[k]->Data(b, p) = {x[k], y};
    }
    // A tip resistance of (nearly) zero at the deepest point is kept just above zero.
    TFloatPoint& tip = pltTip.Data(b, NP - 1);
    if (tip.x < 0.0001) tip.x = 0.00001;

    ReadSettlementCurve(r, pltAxial, b);
    if (bounds) {
      ReadSettlementCurve(r, pltUpper, b);
      ReadSettlementCurve(r, pltLower, b);
    }
    if (b < NB - 1) {
      StrictInteger(r);
      block_points = StrictInteger(r);
      if (block_points < 1 || block_points > NP) FailCount(r, "The number of capacity points");
      StrictInteger(r);
    }
  }

  // Design chart part: the engine writes it for any positive chart flag.
  if (m.IChart > 0) {
    const int ntry = StrictInteger(r);
    const int ntop = StrictInteger(r);
    const int ndata = StrictInteger(r);
    if (ntry < 0 || ntry > kMaxChartSettlements) FailCount(r, "The number of design settlements");
    for (int n = 0; n < kMaxChartSettlements; ++n)
      ReadPltChart(graphs.Chart(n), ntop, r, n, ntry, ndata, m.fUnits);
  }

  for (int b = 0; b < NB; ++b) {
    std::string name;
    if (m.IPENT > 0) {
      name = "L =" + Number(pltSkin.Data(b, NP - 1).y) + unit;
    } else {
      name = si ? "Dia=" + Number(b * 0.152 + m.DSTART) + " m"
                : "Dia=" + Number(b * 0.5 + m.DSTART) + " ft";
    }
    for (TGraphPlot* g : per_block) g->Lines(b).SetLineName(name);
  }

  // The combined graphs show the first block's curves.
  const std::array<std::pair<TGraphPlot*, std::array<TGraphPlot*, 3>>, 3> combined = {{
      {&pltCombine, {&pltSkin, &pltTip, &pltTotal}},
      {&pltCombineD, {&FSpltSkin, &FSpltTip, &FSpltTotal}},
      {&pltCombinedSettle, {&pltAxial, &pltUpper, &pltLower}},
  }};
  for (const auto& [target, sources] : combined)
    for (int k = 0; k < 3; ++k)
      target->Lines(k).Data = sources[static_cast<std::size_t>(k)]->Lines(0).Data;

  for (TGraphPlot* g : {&FSpltSkin, &FSpltTip, &FSpltTotal, &pltSkin, &pltTip, &pltTotal,
                        &pltCombine, &pltCombineD})
    AddLayersGraphPlot(*g, project.tables.D);

  // The t-z part starts on the line after the last value of the capacity or chart part.
  std::string rest;
  r.ReadLine(rest);
  if (!r.Eof()) {
    if (m.PrintTZCurves == 1) ReadTzCurves(r, graphs[kPltTzAdd], unit);
    ReadTzCurves(r, graphs[kPltTz], unit);
    ReadQwCurves(r, graphs[kPltQw], unit);
    result.showtzcurves = true;
  }

  for (TGraphPlot& g : graphs) g.SetUnits(m.fUnits);
}

template <typename MakeReader>
PlotReadResult ReadWith(MakeReader make_reader, const project::Project& project,
                        TGraphCatalogue& graphs, bool ReportErrors) {
  PlotReadResult result;
  try {
    TWordReader reader = make_reader();
    Load(reader, project, graphs, result);
    result.ok = true;
  } catch (const EInOutError& e) {
    result.ok = false;
    result.showtzcurves = false;
    result.reader_error = e.what();
    if (ReportErrors) result.message = std::string(kPlotReadErrorMessage);
  }
  return result;
}

}  // namespace

PlotReadResult ReadPlotData(const std::string& PlotFile, const project::Project& project,
                            TGraphCatalogue& graphs, bool ReportErrors) {
  return ReadWith([&] { return TWordReader(PlotFile); }, project, graphs, ReportErrors);
}

PlotReadResult ReadPlotDataText(std::string_view text, const project::Project& project,
                                TGraphCatalogue& graphs, bool ReportErrors) {
  return ReadWith([&] { return TWordReader::FromText(text); }, project, graphs, ReportErrors);
}

void ReadPltChart(TGraphPlot& pltChart, int ntop, TWordReader& Reader, int n, int ntry, int ndata,
                  int fUnits) {
  if (n >= ntry) return;
  const bool si = fUnits == 2;
  if (ndata < 0 || ndata > kMaxChartLengths) FailCount(Reader, "The number of chart lengths");
  CheckCount(Reader, ntop, 0, kMaxChartDiameters, 1 + 2 * static_cast<std::int64_t>(ndata),
             "The number of chart diameters");
  pltChart.SetLineCount(ntop);
  pltChart.SetCount(ndata);
  const double s = StrictFloat(Reader);
  pltChart.Caption = "Design Chart (" + Number(s) + (si ? "-m" : "-in") + " movement)";
  pltChart.UserCaption = pltChart.Caption;
  for (int i = 0; i < ntop; ++i) {
    const double d = StrictFloat(Reader);
    // English files carry inches and pounds; the chart shows feet and tons.
    pltChart.Lines(i).SetLineName(si ? "Dia=" + EnteredNumber(d) + " m"
                                     : "Dia=" + EnteredNumber(d / 12) + " ft");
    for (int k = 0; k < ndata; ++k) {
      const double length = StrictFloat(Reader);
      const double load = StrictFloat(Reader);
      pltChart.Data(i, k) = si ? TFloatPoint{load, length} : TFloatPoint{load / 2000, length / 12};
    }
  }
}

void AddLayersGraphPlot(TGraphPlot& plt, const project::TGridTable& D) {
  if (plt.LineCount() < 1 || plt.Count() < 1) return;
  struct Fill {
    const char* name;
    int pattern;
  };
  // By soil type code 1..9.
  static constexpr std::array<Fill, 9> kFills = {{{" SAND ", 7},
                                                  {" CLAY ", 1},
                                                  {" SHALE ", 8},
                                                  {" ROCK ", 9},
                                                  {" WEAK ROCK ", 10},
                                                  {" GW ", 12},
                                                  {" ROCK ", 9},
                                                  {" GW ", 11},
                                                  {" GRAVEL ", 12}}};
  const int rows = D.RowCount();
  plt.SetLayerLineCount(rows);
  plt.SetLayerCount(1);
  for (int r = 0; r < rows; ++r) {
    TLine& layer = plt.LayerLines(r);
    layer.SetLineName("LAYER " + std::to_string(r + 1));
    double pattern = 0;
    const int code = D.GetIntValue(project::kColSoilType, r);
    if (code >= 1 && code <= static_cast<int>(kFills.size())) {
      const Fill& f = kFills[static_cast<std::size_t>(code - 1)];
      layer.SetLineName(f.name);
      pattern = f.pattern;
    }
    layer.Data[0] = {pattern, D.GetFloatValue(project::kColDepthBottom, r)};
  }
}

}  // namespace korva::results
