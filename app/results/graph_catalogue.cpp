#include "graph_catalogue.h"

#include <string>

namespace korva::results {
namespace {

struct GraphDefinition {
  std::string_view name;
  std::string_view caption;
  std::string_view x_caption;
  std::string_view x_units;
  std::string_view y_caption;
  std::string_view y_units;
  bool x_on_top;
};

// Captions keep their trailing blanks: the axis caption adds " (unit)" after them.
constexpr std::array<GraphDefinition, kGraphCount> kDefinitions = {{
    {"pltSkin", "Ultimate Skin Friction vs Depth", "Ultimate Skin Friction ", "F2", "Depth ", "L2",
     true},
    {"pltTip", "Ultimate Tip Resistance vs Depth", "Ultimate Tip Resistance ", "F2", "Depth ", "L2",
     true},
    {"pltTotal", "Ultimate Total Capacity vs Depth", "Ultimate Total Capacity ", "F2", "Depth ",
     "L2", true},
    {"pltAxial", "Axial Load vs Settlement (averaged)", "Axial Load ", "F2", "Settlement ", "L",
     true},
    {"pltLoad", "Load Distribution", "Total Capacity ", "F2", "Depth ", "L2", true},
    {"pltCombine", "Combined Plots vs Depth (ultimate)", "Ultimate Axial Capacity", "F2", "Depth",
     "L2", true},
    {"pltCombineD", "Combined Plots vs Depth (ASD/LRFD)", "Axial Capacity w/F. S.", "F2", "Depth",
     "L2", true},
    {"FSpltSkin", "ASD/LRFD Skin Friction vs Depth ", "Skin Friction w/F.S.", "F2", "Depth", "L2",
     true},
    {"FSpltTip", "ASD/LRFD Tip Resistance vs Depth ", "Tip Resistance w/F.S.", "F2", "Depth", "L2",
     true},
    {"FSpltTotal", "ASD/LRFD Total Capacity vs Depth", "Total Capacity w/F.S.", "F2", "Depth", "L2",
     true},
    {"pltUpper", "Axial Load vs Settlement (upper bound)", "Axial Load (upper bound)", "F2",
     "Settlement", "L", true},
    {"pltLower", "Axial Load vs Settlement (lower bound)", "Axial Load (lower bound)", "F2",
     "Settlement", "L", true},
    {"pltCombinedSettle", "Combined Plots of Load vs Settlement", "Axial Load", "F2", "Settlement",
     "L", true},
    {"PltChart1", "Design Chart 1", "Axial Capacity", "F2", "Depth", "L2", true},
    {"PltChart2", "Design Chart 2", "Axial Capacity", "F2", "Depth", "L2", true},
    {"PltChart3", "Design Chart 3", "Axial Capacity", "F2", "Depth", "L2", true},
    {"PltChart4", "Design Chart 4", "Axial Capacity", "F2", "Depth", "L2", true},
    {"PltChart5", "Design Chart 5", "Axial Capacity", "F2", "Depth", "L2", true},
    {"PltChart6", "Design Chart 6", "Axial Capacity", "F2", "Depth", "L2", true},
    {"PltChart7", "Design Chart 7", "Axial Capacity", "F2", "Depth", "L2", true},
    {"PltChart8", "Design Chart 8", "Axial Capacity", "F2", "Depth", "L2", true},
    {"PltChart9", "Design Chart 9", "Axial Capacity", "F2", "Depth", "L2", true},
    {"PltChart10", "Design Chart  10", "Axial Capacity", "F2", "Depth", "L2", true},
    {"pltQw", "Q-w curves (averaged)", "Tip Displacement, w", "L", "Tip Load, Q", "F2", false},
    {"pltTz", "t-z curves (averaged)", "Axial Displacement, z", "L", "Unit Load Transfer, t",
     "F/L^2", false},
    {"pltTzAdd", "Additional t-z curves (averaged)", "Axial Displacement, z", "L",
     "Unit Load Transfer, t", "F/L^2", false},
}};

}  // namespace

std::string_view GraphComponentName(GraphIndex index) {
  return kDefinitions[static_cast<std::size_t>(index)].name;
}

void DefineGraph(TGraphPlot& graph, GraphIndex index) {
  const GraphDefinition& d = kDefinitions[static_cast<std::size_t>(index)];
  graph = TGraphPlot{};  // the settings common to all graphs are the component's defaults
  graph.Caption = std::string(d.caption);
  graph.XCaption = std::string(d.x_caption);
  graph.XUnits = std::string(d.x_units);
  graph.YCaption = std::string(d.y_caption);
  graph.YUnits = std::string(d.y_units);
  graph.XOnTop = d.x_on_top;
}

TGraphCatalogue::TGraphCatalogue() {
  for (int i = 0; i < kGraphCount; ++i)
    DefineGraph(graphs_[static_cast<std::size_t>(i)], GraphIndex(i));
}

void TGraphCatalogue::ResetProjectTexts() {
  for (int i = 0; i < kGraphCount; ++i) {
    TGraphPlot& g = graphs_[static_cast<std::size_t>(i)];
    const GraphDefinition& d = kDefinitions[static_cast<std::size_t>(i)];
    g.Caption = std::string(d.caption);
    g.XCaption = std::string(d.x_caption);
    g.YCaption = std::string(d.y_caption);
    g.UserCaption.clear();
    for (int k = 0; k < g.LineCount(); ++k) g.Lines(k).SetLineName({});
  }
}

}  // namespace korva::results
