// Reading the engine's fixed-format report (.kv8o) and message file (.kv8r) back into the
// values the calculation report presents: the date block, the soil profile as analysed (with
// the estimated values marked), and per analysed shaft its shaft lines, its resistance table
// at the print increment and its load-settlement curves. Numbers keep the text the report
// printed them with, so that what the PDF shows is exactly what the record shows.
//
// Plain C++, no Qt: tested without a display.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korva::report {

// A printed number: its text as printed (trimmed) and its value. A field of asterisks (a
// number too wide for its field) has no value.
struct TPrinted {
  std::string Text;
  std::optional<double> Value;
};

// "LABEL = value" of the report's input echo (soil blocks) with its estimation mark.
struct TLayerValue {
  std::string Label;  // the report's label, trimmed ("SOIL UNIT WEIGHT, LB/CU FT")
  TPrinted Top;
  TPrinted Bottom;
  bool TopEstimated = false;
  bool BottomEstimated = false;
  bool Single = false;  // a layer-wide value (the LRFD factors): Top only
};

struct TReportLayer {
  int Number = 0;
  std::string Kind;    // the report's header word: "SAND", "CLAY", "STRONG ROCK", ...
  std::string Method;  // the side friction procedure line of a sand layer, or empty
  std::vector<TLayerValue> Values;  // in the report's order, the depth lines included
  std::vector<std::string> Notes;   // warning lines printed inside the block
};

// A labelled line of a shaft block: "DIAMETER OF STEM          =    3.000  FT.".
struct TLabelledValue {
  std::string Label;
  TPrinted Value;
  std::string Unit;
};

// One load-settlement curve: rows of head load, head movement (and tip load, tip movement
// for the t-z curves; a socket curve has two columns).
struct TReportCurve {
  std::string Name;  // "TREND (AVERAGED)", "UPPER-BOUND", "LOWER-BOUND" or "SOCKET"
  std::vector<std::array<double, 4>> Rows;
  int Columns = 4;
};

// One analysis pass (an analysed shaft).
struct TReportPass {
  int Case = 0;
  int VariationLength = 0;
  int VariationDiameter = 0;
  std::vector<TLabelledValue> Shaft;  // the drilled shaft block, the shaft length included
  std::array<std::string, 2> Heading;  // the two heading lines of the table, as printed
  std::vector<std::array<TPrinted, 8>> Rows;  // the table at the print increment
  std::vector<TReportCurve> Curves;
  bool NeedAnotherLayer = false;  // the design load was not reached

  // The shaft value of `label` ("DIAMETER OF STEM"), or nullptr.
  const TLabelledValue* Find(std::string_view label) const;
};

struct TReportFile {
  std::vector<std::string> Lines;  // the whole report, line ends removed
  std::string Date;                // "December 10, 2026"
  std::string Time;                // "15:45:06"
  bool SI = false;
  std::optional<TPrinted> DesignLoad;     // "TOTAL LOAD =" (design by load)
  std::optional<TPrinted> ProposedDepth;  // "PROPOSED DEPTH =" (design by length)
  std::vector<TReportLayer> Layers;
  bool AnyEstimated = false;
  std::vector<TReportPass> Passes;
  std::vector<TLabelledValue> MostEfficient;
  bool NeedAnotherLayer = false;
};

// Reads report text. Never throws on unexpected content: what it does not recognise is left
// out of the structured part and stays in Lines.
TReportFile ParseReport(std::string_view text);

// One message of the message file: its lines as written (trailing blanks removed), without
// the empty lines around it, and how many times the same block was written.
struct TMessageBlock {
  std::vector<std::string> Lines;
  int Count = 1;
};

// The messages of a message file: blocks of lines separated by empty lines; lines without a
// letter (the engine's numeric trace records) are left out; identical blocks are listed once
// with their count, in the order of their first appearance.
std::vector<TMessageBlock> ParseMessages(std::string_view text);

// The text's lines with line ends (LF or CR LF) removed and trailing blanks kept.
std::vector<std::string> SplitLines(std::string_view text);

// A report number ("0.550E+00", "479.82", "*********") read locale-independently.
TPrinted ReadPrinted(std::string_view field);

}  // namespace korva::report
