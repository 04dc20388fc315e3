// The spreadsheet export of result graphs: an .xlsx workbook with a "Legend" sheet that
// lists the graphs, and per graph a data sheet "Page_k" holding every curve's points and a
// chart sheet "Plot_k" drawing them as an XY scatter chart with lines. No GUI dependency.
#pragma once

#include <string>
#include <vector>

#include "graph_data.h"

namespace korva::results {

// A chart shows at most this many series (the limit of the common spreadsheet programs);
// the data sheet still holds every curve.
inline constexpr int kMaxChartSeries = 255;

// Spreadsheet column letters of a 1-based column index: 1..26 "A".."Z", 27..702 "AA".."ZZ".
// Indices outside 1..702 give an empty text (at most 255 curves use 510 columns).
std::string ColumnLetters(int index);

struct WorkbookResult {
  bool ok = false;
  // Some graph had more curves than a chart shows.
  bool more255 = false;
  // What went wrong, for the user, when !ok.
  std::string error;
};

// Writes the workbook of `graphs` (in this order; null entries are skipped) to `path`.
// With `markers` false every series is drawn without markers. The workbook is built under
// temporary names and moved to `path` only when complete: on failure an existing file at
// `path` is left as it was and nothing is left behind. Numbers are written the same way
// whatever the process locale.
WorkbookResult WriteWorkbook(const std::string& path, const std::vector<const TGraphPlot*>& graphs,
                             bool markers);

}  // namespace korva::results
