// Loading the engine's plot data file (.kv8p) into the result graphs: capacity versus
// depth per analysed diameter or length, load versus settlement, design charts, t-z and
// q-w curves.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "graph_catalogue.h"
#include "grid_table.h"
#include "program_data.h"
#include "word_reader.h"

namespace korva::results {

// The message shown after a failed load when errors are to be reported.
inline constexpr std::string_view kPlotReadErrorMessage =
    "An error occured in running the main program.";

struct PlotReadResult {
  // The whole file was read: the results may be shown (the main window's ShowOutput).
  bool ok = false;
  // The t-z and q-w curves were loaded (showtzcurves).
  bool showtzcurves = false;
  // NC of the file (the project's SettleCurveCount), once it has been read.
  std::optional<int> SettleCurveCount;
  // What to show the user: kPlotReadErrorMessage after a failure when errors are reported,
  // empty otherwise.
  std::string message;
  // The reader's own message after a failure (for logs; never shown).
  std::string reader_error;
};

// Loads plot file `PlotFile` into `graphs`, using the project's settings (units, elevation
// axis, ASD/LRFD, uplift, design charts, length variation, additional t-z curves, the file
// layout) and its soil layer table. A file that cannot be opened, ends early, holds a word
// where a number belongs, an empty line inside the capacity or chart part, or a count out
// of range ends the loading with ok false; the graphs keep what was loaded up to there.
PlotReadResult ReadPlotData(const std::string& PlotFile, const project::Project& project,
                            TGraphCatalogue& graphs, bool ReportErrors);

// The same on file text held in memory.
PlotReadResult ReadPlotDataText(std::string_view text, const project::Project& project,
                                TGraphCatalogue& graphs, bool ReportErrors);

// Loads design chart n (0..9) into `pltChart` when n < ntry; otherwise reads nothing.
// `ntop` curves (diameters) of `ndata` points (lengths); `fUnits` 1 English (file in inches
// and pounds, shown in ft and tons), 2 SI (m and kN as written). Throws EInOutError on a
// reading error or counts the file cannot hold.
void ReadPltChart(TGraphPlot& pltChart, int ntop, project::TWordReader& Reader, int n, int ntry,
                  int ndata, int fUnits);

// Gives a graph that has at least one curve and one point the soil layer column: one
// entry per row of the layer table `D` with the layer's name and fill pattern by soil type
// code, at the depth of the layer's bottom.
void AddLayersGraphPlot(TGraphPlot& plt, const project::TGridTable& D);

}  // namespace korva::results
