// The data of a result graph, free of any drawing: its curves, the soil layer entries of
// its layer column, its captions, unit codes and display options.
//
// The graph window and the printer and bitmap drawing work on a TGraphPlot held by the
// main window; the plot data loader fills it. A graph keeps its curves and options while
// the program runs; loading new results rewrites the curves in place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korva::results {

struct TFloatPoint {
  double x = 0.0;
  double y = 0.0;
};

// One curve (or, in the layer list, one soil layer: a single point whose y is the depth of
// the layer's bottom and whose x is the fill pattern code).
struct TLine {
  std::vector<TFloatPoint> Data;
  // The curve's number: curves are numbered 1, 2, 3 ... in creation order.
  double Value = 0.0;
  // The explicit name; empty means the default name (the graph's CurveName and Value).
  std::string ValueS;
  // Drawn at all.
  bool Visible = true;
  // Takes part in the legend and the drawing; inactive curves use up no colour.
  bool Active = true;

  int Count() const { return static_cast<int>(Data.size()); }
  // Drops points from the end or appends (0, 0) points; a negative count is taken as 0.
  void SetCount(int n);
  void SetLineName(std::string name) { ValueS = std::move(name); }
  // ValueS, or `curve_name` followed by Value in shortest general form ("Curve #3").
  std::string LineName(std::string_view curve_name) const;
  void AddPoint(double x, double y) { Data.push_back({x, y}); }
};

// Axis bounds. Left/Right are the x range, Top/Bottom the y range; Top is the value drawn
// at the upper edge when the x axis is on top (on a reversed y axis Top > Bottom).
struct TFloatRect {
  double Left = 0.0;
  double Right = 0.0;
  double Top = 0.0;
  double Bottom = 0.0;
};

// A pair of tick indices (x, y), counted from the origin in tick spacings.
struct TTickIndex {
  long long x = 0;
  long long y = 0;
};

// The tick marks of the current view: the minor tick spacing per axis (every fifth tick is
// a major one with a grid line and a label) and the tick index ranges, Start <= 0 <= Finish.
// Without room for ticks (`Any` false) there are no grid lines, ticks or labels at all.
struct TMarks {
  bool Any = false;
  TFloatPoint MarkSpacing;
  TTickIndex Start;
  TTickIndex Finish;
};

// What a graph window shows: the current axis bounds, the bounds of the whole data (the
// limit for zooming) and the tick marks computed at the last paint. Set up from the data
// whenever a window opens; changed by zooming.
struct TGraphView {
  TFloatRect LogicBounds;
  TFloatRect MaxLogicBounds;
  TMarks Marks;
};

// Unit text of an axis unit code: "F2"/"F1"/"F" (force, first kind present is replaced)
// and "L2"/"L1"/"L" (length, likewise). Units 1 English, 2 SI, 3 the code as written.
// "F/L^2" gives "lbs/in^2" (English) or "kN/m^2" (SI).
std::string ExpandUnits(std::string_view code, int units);

// "caption (unit text)", or the caption alone when the unit code is empty.
std::string AxisCaption(std::string_view caption, std::string_view unit_code, int units);

class TGraphPlot {
 public:
  std::string Caption;                // window and print job title
  std::string CurveName = "Curve #";  // prefix of default curve names
  std::string XCaption, YCaption;
  std::string XUnits, YUnits;  // unit codes, see ExpandUnits
  bool XOnTop = true;          // x axis at the top, y growing downward (depth plots)
  bool Yreversed = false;      // y axis reversed (elevation instead of depth)
  bool YSpansData = false;     // y range from the data alone, without the origin (elevations)
  bool ShowLegend = true;
  bool ShowLayers = false;
  bool ShowFontWidth = true;  // the window offers the font size and line width commands
  int Markers = 1;            // a marker every `Markers` points; 0 none
  int SizeFont = 10;          // text size factor in tenths
  int LegendFont = 11;        // points at factor 1.0
  int WidthLine = 1;
  std::string UserCaption;
  bool UserCaptionOnTop = false;
  double LayersTop = 0.0;   // depth at which the layer column starts
  bool LimitActive = true;  // only the first 20 curves active when a window opens
  TGraphView View;          // axis bounds and ticks of the graph's window

  // Unit system 1 English, 2 SI, 3 codes as written; writing clamps into 1..3.
  int Units() const { return units_; }
  void SetUnits(int units);

  std::string XAxisCaption() const { return AxisCaption(XCaption, XUnits, units_); }
  std::string YAxisCaption() const { return AxisCaption(YCaption, YUnits, units_); }

  // Curves. Setting LineCount drops curves from the end or appends curves that have as
  // many (0, 0) points as curve 0 has, are visible and active, and are numbered on.
  // Count is the point count of curve 0 (0 without curves); setting it sets every curve's
  // count. Negative counts are taken as 0. Indices are the caller's responsibility.
  int LineCount() const { return static_cast<int>(lines_.size()); }
  void SetLineCount(int n) { Resize(lines_, n); }
  int Count() const { return lines_.empty() ? 0 : lines_.front().Count(); }
  void SetCount(int n) { SetPointCount(lines_, n); }
  TLine& Lines(int i) { return lines_[static_cast<std::size_t>(i)]; }
  const TLine& Lines(int i) const { return lines_[static_cast<std::size_t>(i)]; }
  TFloatPoint& Data(int i, int j) { return Lines(i).Data[static_cast<std::size_t>(j)]; }
  const TFloatPoint& Data(int i, int j) const { return Lines(i).Data[static_cast<std::size_t>(j)]; }
  std::string LineName(int i) const { return Lines(i).LineName(CurveName); }
  // Appends one curve numbered as LineCount would number it, with the given points.
  TLine& AddLine(std::string name = {}, std::vector<TFloatPoint> points = {});
  // Removes every curve.
  void Clear() { lines_.clear(); }
  bool HasSomethingToDraw() const { return !lines_.empty(); }

  // The soil layer entries, with the same operations.
  int LayerLineCount() const { return static_cast<int>(layers_.size()); }
  void SetLayerLineCount(int n) { Resize(layers_, n); }
  int LayerCount() const { return layers_.empty() ? 0 : layers_.front().Count(); }
  void SetLayerCount(int n) { SetPointCount(layers_, n); }
  TLine& LayerLines(int i) { return layers_[static_cast<std::size_t>(i)]; }
  const TLine& LayerLines(int i) const { return layers_[static_cast<std::size_t>(i)]; }
  TFloatPoint& LayerData(int i, int j) { return LayerLines(i).Data[static_cast<std::size_t>(j)]; }
  const TFloatPoint& LayerData(int i, int j) const {
    return LayerLines(i).Data[static_cast<std::size_t>(j)];
  }
  void ClearLayers() { layers_.clear(); }

 private:
  static void Resize(std::vector<TLine>& list, int n);
  static void SetPointCount(std::vector<TLine>& list, int n);

  int units_ = 1;
  std::vector<TLine> lines_;
  std::vector<TLine> layers_;
};

}  // namespace korva::results
