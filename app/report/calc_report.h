// The calculation report: one PDF document from the project, the plot data and the report
// of the last run, for a reviewer. A summary page (the run, the design basis, the result per
// analysed shaft, status and messages), the input in tables, the resistance table of every
// analysed shaft, the graphs, the elevation of the shaft in its layers, and the whole
// fixed-format report as an appendix; every page with a header and "Page x of y".
//
// The graphs and the elevation are drawn by the same painting code as the windows and the
// printer. Qt Gui only (QPdfWriter): it needs a QGuiApplication, works under the offscreen
// platform and never opens a window. The program's menu command and the batch runner both
// call WriteCalculationReport, so the same project gives the same document.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report_reader.h"

class QByteArray;

namespace korva::project {
class Project;
}

namespace korva::report {

// What the document holds.
struct TReportParts {
  bool Summary = true;
  bool Input = true;
  bool Tables = true;           // the resistance table of every analysed shaft
  bool CapacityGraphs = true;   // resistance against depth: ultimate, and allowable or LRFD
  bool SettlementGraphs = true; // load against settlement: trend, upper and lower bound
  bool TransferGraphs = true;   // t-z and q-w curves, when the run computed them
  bool DesignCharts = true;     // every design chart, when the project has them
  bool Elevation = true;
  bool Appendix = true;         // the report and the message file, line for line

  bool Any() const {
    return Summary || Input || Tables || CapacityGraphs || SettlementGraphs || TransferGraphs ||
           DesignCharts || Elevation || Appendix;
  }
};

// Letter for English-unit projects and A4 for SI (Automatic), or the one chosen.
enum class TPaper { Automatic, A4, Letter };

// "a4" and "letter" (any case); nullopt for anything else.
std::optional<TPaper> PaperFromName(std::string_view name);

struct TReportRequest {
  TReportParts Parts;
  TPaper Paper = TPaper::Automatic;
  // The engine's run status when the caller ran it; otherwise the status is judged from the
  // files (a report that stopped for another soil layer is 7, anything else 0).
  std::optional<int> Status;
  // The PDF's author field; empty: the user's name.
  std::string Author;
  // Result files written before this time belong to an earlier run and are left out (the
  // runner sets the start of its run, so that a run that wrote nothing shows no old numbers).
  std::optional<std::filesystem::file_time_type> NotBefore;
};

// The files of the last run beside the project file.
struct TRunOutputs {
  std::string Report;    // .kv8o
  std::string Plot;      // .kv8p
  std::string Messages;  // .kv8r
  static TRunOutputs ForProject(const std::string& projectFile);
};

// The PDF file proposed for a project: its name with ".pdf", beside it.
std::string ReportFileFor(const std::string& projectFile);

struct TReportResult {
  bool Ok = false;
  std::string Error;  // why nothing was written
  int Pages = 0;
};

// Renders the document into PDF bytes. `projectFile` names the project (the results are
// beside it); `project` is the project as analysed. Without a report of the run the
// document still has its summary with the status and the messages. Fails (Ok false, no
// bytes) only when nothing is selected or the PDF cannot be made.
TReportResult RenderCalculationReport(const project::Project& project, const std::string& projectFile,
                                      const TReportRequest& request, QByteArray& pdf);

// Renders and writes `pdfFile` through the safe replace: a failure leaves an existing file
// as it was and no partial file.
TReportResult WriteCalculationReport(const project::Project& project, const std::string& projectFile,
                                     const TReportRequest& request, const std::string& pdfFile);

// ---- Pieces that the document is made of (tested on their own) ---------------------------

// The summary row of one analysed shaft.
struct TShaftSummary {
  int Case = 0;
  std::string Stem, Base;  // diameters as printed
  std::string Length;      // the design length, or the length that carries the design load
  std::string QS, QB, QU;  // QB is the shaft weight WT in uplift
  std::string Design;      // QDN (allowable) or LRFD QU (factored)
  // Where the values come from: 0 the report's row at the design length; 1 the plot data's
  // point at the design length (four significant digits); 2 the report's last printed row,
  // whose length is below the design length.
  int Source = 0;
  std::string LoadForMovement;  // the load the head movement belongs to, as printed
  std::string Movement;         // head movement at that load, or empty without a curve
  bool MovementBeyondCurve = false;
  bool NeedAnotherLayer = false;
};

// The head movement at `load` on a load-settlement curve through the origin (rows of head
// load and head movement), by linear interpolation; nullopt when the load lies beyond the
// curve's largest load or the curve is empty.
std::optional<double> MovementAtLoad(const TReportCurve& curve, double load);

// "Page 3 of 12".
std::string PageLabel(int page, int pages);

// Sets the Author field of a PDF's information dictionary and, with SOURCE_DATE_EPOCH set,
// its creation date to that time; the cross-reference table is corrected. The bytes are
// returned unchanged when they are not a PDF of the expected form.
QByteArray StampPdfInformation(const QByteArray& pdf, const std::string& author);

}  // namespace korva::report
