// The main window's 26 result graphs with their fixed definitions (titles, axis captions
// and unit codes, axis placement). The loader of the plot data file fills them; the
// graph windows show them.
#pragma once

#include <array>
#include <string_view>

#include "graph_data.h"

namespace korva::results {

// Position of each graph in the catalogue.
enum GraphIndex : int {
  kPltSkin = 0,
  kPltTip,
  kPltTotal,
  kPltAxial,
  kPltLoad,
  kPltCombine,
  kPltCombineD,
  kFSpltSkin,
  kFSpltTip,
  kFSpltTotal,
  kPltUpper,
  kPltLower,
  kPltCombinedSettle,
  kPltChart1,  // design charts 1..10 follow in order
  kPltChart10 = kPltChart1 + 9,
  kPltQw,
  kPltTz,
  kPltTzAdd,
  kGraphCount,
};
static_assert(kGraphCount == 26);

// The component name of a graph ("pltSkin", "PltChart3", ...).
std::string_view GraphComponentName(GraphIndex index);

// Resets `graph` to the fixed definition of catalogue entry `index`, without curves or
// layers: the per-graph captions and units plus the settings common to all graphs.
void DefineGraph(TGraphPlot& graph, GraphIndex index);

class TGraphCatalogue {
 public:
  // All 26 graphs with their definitions, in catalogue order.
  TGraphCatalogue();

  TGraphPlot& operator[](GraphIndex index) { return graphs_[static_cast<std::size_t>(index)]; }
  const TGraphPlot& operator[](GraphIndex index) const {
    return graphs_[static_cast<std::size_t>(index)];
  }
  // Forgets the texts that belong to one project's results, for a project opened or
  // created: each graph's title, axis captions and user caption ("Graph Title") go back to
  // the definition, and curve names given in the legend editor back to the default names.
  // Curves and display settings (legend, markers, font size, line width, soil layers, the
  // caption's location) are kept.
  void ResetProjectTexts();

  // Design chart n, 0..9.
  TGraphPlot& Chart(int n) { return graphs_[static_cast<std::size_t>(kPltChart1 + n)]; }
  const TGraphPlot& Chart(int n) const { return graphs_[static_cast<std::size_t>(kPltChart1 + n)]; }

  auto begin() { return graphs_.begin(); }
  auto end() { return graphs_.end(); }
  auto begin() const { return graphs_.begin(); }
  auto end() const { return graphs_.end(); }
  static constexpr int size() { return kGraphCount; }

 private:
  std::array<TGraphPlot, kGraphCount> graphs_;
};

}  // namespace korva::results
