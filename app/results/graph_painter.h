// Drawing of a result graph onto any target (the graph window, a printer page or a saved
// bitmap) and the computed state the graph window works with: page layout, axis bounds,
// zooming, tick spacing and the mapping between axis values and pixels.
//
// There is one render path, DrawPlot. A target is described by a TDrawArea (its pixel
// rectangles, resolution and kind); the layout functions below fill one for the window or
// bitmap and for a printer page. The axis bounds live in the graph's View (graph_data.h).
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

#include <array>
#include <optional>

#include "graph_data.h"

class QPainter;
class QPaintDevice;

namespace korva::results {

// A pixel rectangle with inclusive Left/Top and Right/Bottom edges as the layout rules use
// them: the graph frame is drawn on the pixels Left..Right and Top..Bottom of GraphArea.
struct TPixelRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  // Left <= x <= Right and Top <= y <= Bottom.
  bool Contains(QPoint p) const {
    return p.x() >= Left && p.x() <= Right && p.y() >= Top && p.y() <= Bottom;
  }
  // The rectangle covering the pixels Left..Right-1, Top..Bottom-1 (empty if inverted).
  QRect ToQRect() const { return QRect(Left, Top, Width(), Height()); }
};

// The drawing target.
struct TDrawArea {
  TPixelRect Bounds;      // the whole drawing area of the target
  TPixelRect GraphArea;   // the plotting rectangle
  TPixelRect LayersArea;  // the soil layer column (when the graph shows layers)
  QPoint PixelsPerInch{96, 96};
  // Base font height H in pixels (the window's font: 14). All text and spacing scale with
  // it; 0 means "the painter's current font at draw time".
  int FontHeight = 0;
  bool MessedUp = false;     // the target is a bitmap being saved
  bool PrintLegend = false;  // the legend box is drawn into the picture (printer, bitmap)
  // Where the printed legend box goes: the place the user gave the legend in the window,
  // as fractions of the room the graph area leaves beside the box (see LegendCorner), or
  // none for a legend never moved by the user: the box then goes where it hides no curve.
  // A box that is larger on the page than the legend in the window and would hide a curve
  // at the user's place moves to the nearest place where it hides none.
  std::optional<QPointF> LegendPlace;
};

// ---- Colours, fonts, markers and fill patterns -------------------------------------------

// The 17 curve colours, indexed by a colour ordinal modulo 17.
inline constexpr int kLineColorCount = 17;
extern const std::array<QRgb, kLineColorCount> kLineColors;
// The colour curves, legend entries and curve names are drawn in: kLineColors[ordinal mod
// 17] (negative ordinals wrap the same way), with the light entries (silver, yellow, aqua,
// lime) darkened to a readable lightness on white; the hue stays.
QColor LineColor(int ordinal);
// `rgb` darkened, hue kept, to at most half the lightness of white (Rec. 601 luma).
QColor ReadableOnWhite(QRgb rgb);

// The colour ordinal of curve `curve`: its position among the active curves, or -1 when
// the curve is inactive (inactive curves use up no colour). Also the curve's legend index.
int ColorOrdinal(const TGraphPlot& graph, int curve);

// Makes every curve active, then, with LimitActive set, curves 21 onward inactive (what a
// freshly opened graph window does).
void ActivateCurves(TGraphPlot& graph);

// "Times New Roman" when installed, else the metric-compatible "Liberation Serif", else the
// family the platform substitutes for a serif font.
QString PlotFontFamily();
// The graph font at a pixel height, bold (weight 700) or normal (400).
QFont PlotFont(int pixelHeight, bool bold);
// The base font height H of a fresh canvas on `device` (the application font), in pixels.
int DeviceFontHeight(const QPaintDevice& device);
// The scaled text height h = |H * sizeFont / 10| (truncating) used by all layout distances.
int ScaledTextHeight(int baseHeight, int sizeFont);

// Marker shape 1..10 of the curve (or legend entry) at `index`: (index mod 10) + 1.
int MarkerShape(int index);
// The marker outline of `index` as vertex offsets from the centre (x right, y down), the
// first vertex repeated at the end. The radius is 1/32 inch at `pixelsPerInch`.
QVector<QPoint> MarkerOutline(int index, QPoint pixelsPerInch);

// Soil layer fill of a layer's pattern code: 1..6 hatches, 7..12 the patterns A..F of
// SoilPattern, anything else Qt::NoBrush. `printer` picks the larger printer patterns.
QBrush LayerBrush(int code, bool printer);
// Pattern A..F for codes 7..12 (black on white): A sand dots, B clay lines, C silt dashes,
// D gravel rings, E rock blocks, F shale laminae. Screen / printer sizes: A 80x80 / 96x96;
// B, C, D 30x42 / 96x69; E, F 80x80 / 96x192. A null image for other codes.
QImage SoilPattern(int code, bool printer);

// ---- Layout --------------------------------------------------------------------------------

// The window (and bitmap) layout: Bounds = (0, 0, width, height), the graph area inside
// room for the captions and labels, and the layer column to its right with ShowLayers.
// `baseFontHeight` is H; the result carries it as FontHeight.
TDrawArea LayoutWindow(int width, int height, QPoint pixelsPerInch, int baseFontHeight,
                       const TGraphPlot& graph);

// The printer page layout: with area.Bounds, area.PixelsPerInch and area.FontHeight set,
// computes GraphArea and LayersArea. The axis label sides get the room of the print rules;
// the far sides keep the window's room, so that the labels at the last ticks and the
// frame stay on the page.
void LayoutPage(TDrawArea& area, const TGraphPlot& graph);
// The whole printable area of `page` (a printer or PDF writer) laid out by LayoutPage, with
// the page's resolution and the base font height of a fresh canvas on it.
TDrawArea PageArea(const QPaintDevice& page, const TGraphPlot& graph);

// ---- Legend placement ------------------------------------------------------------------------

// A legend inside the graph area keeps this distance from the frame: clear of the ticks.
int LegendInset(QPoint pixelsPerInch);
// Top-left corner of a legend of `size` at `place`: fractions of the room the graph area
// (less the inset) leaves beside the legend, (0, 0) flush upper left, (1, 1) flush lower
// right. Fractions outside 0..1 put the legend partly or wholly outside the graph area.
QPoint LegendCorner(const TDrawArea& area, QSize size, QPointF place);
// The place of a legend of `size` whose top-left corner is `corner`; the inverse of
// LegendCorner (0 on an axis where the legend fills the room).
QPointF LegendPlaceOf(const TDrawArea& area, QSize size, QPoint corner);
// Where a legend of `size` hides no visible curve (points, lines and markers) of the
// graph's current view: the first free place among the lower right, upper right, lower left
// and upper left corners of the graph area and then a grid of places across it; with no
// free place the one hiding the fewest curve pieces. With `near` (the user's place): that
// place when it is free, else the free place closest to it, else `near` itself.
QPointF FreeLegendPlace(const TDrawArea& area, const TGraphPlot& graph, QSize size,
                        std::optional<QPointF> near = std::nullopt);
// How many curve pieces (line segments and markers of visible curves) `rect` hides.
int HiddenCurvePieces(const TDrawArea& area, const TGraphPlot& graph, const QRect& rect);
// The legend box drawn into a picture or page (PrintLegend): its rectangle, inside Bounds.
QRect PrintedLegendRect(QPainter& painter, TGraphPlot& graph, const TDrawArea& area);

// ---- Axis bounds and zooming ---------------------------------------------------------------

// Rounds away from zero: ceiling for positive values, floor otherwise.
double RoundOut(double v);

// The rounding step of an axis range: 10^floor(log10 range), divided by 10 when the
// fractional part of log10 range is below log10 3 (range 250 -> 10, 500 -> 100, 7 -> 1).
// 0 for a range that is not positive and finite.
double AxisStep(double range);

// The full data bounds: the range of all points of all curves together with the origin,
// widened by 0.01 each way when empty, rounded outward to the axis step; Top and Bottom
// exchanged with Yreversed. Points with a NaN or infinite coordinate are ignored.
// nullopt when the y range has no usable step (the window then closes).
std::optional<TFloatRect> ComputeBounds(const TGraphPlot& graph);

// Sets View.LogicBounds and View.MaxLogicBounds to ComputeBounds; false (view unchanged)
// when ComputeBounds gives nothing.
bool ResetView(TGraphPlot& graph);

// Rubber-band zoom to the box with value corners a and b inside `full` (MaxLogicBounds):
// per axis the box range, at least 1/20 of the full range around the box centre, shifted
// back inside the full range. A reversed y axis (full.Top > full.Bottom) stays reversed.
TFloatRect ZoomToBox(const TFloatRect& full, TFloatPoint a, TFloatPoint b);

// Zoom out around `at`: per axis the visible range doubles around the clicked value, but
// never beyond the full range and never outside it. Keeps a reversed y axis reversed.
TFloatRect ZoomOutAt(const TFloatRect& full, const TFloatRect& current, TFloatPoint at);

// ---- Ticks and mapping ---------------------------------------------------------------------

// The tick spacing before the division into five minor ticks: `raw` rounded up to 1, 2, 5
// or 10 times its power of ten (by the first digit: 1 -> 1, 2..4 -> 2, 5..8 -> 5, 9 -> 10).
// 0 when raw is not positive and finite.
double MajorSpacing(double raw);

// The ticks of `bounds` in `graphArea` with scaled text height h: one major tick per 6h
// pixels at most. Any is false when the area holds no tick in either direction.
TMarks ComputeMarks(const TPixelRect& graphArea, int h, const TFloatRect& bounds,
                    bool yreversed);

// Value -> pixel: x from Left..Right across the graph area, y from Top..Bottom downward
// with xOnTop, upward without. Round half to even. A NaN or infinite value or an empty
// range maps to the area's left (or first) edge.
QPoint ToPixel(const TPixelRect& graphArea, const TFloatRect& bounds, bool xOnTop,
               TFloatPoint value);
// Pixel -> value, the inverse of ToPixel; (0, 0) for a pixel left or right of the graph
// area (and for an empty area).
TFloatPoint ToValue(const TPixelRect& graphArea, const TFloatRect& bounds, bool xOnTop,
                    QPoint pixel);

// The same with the graph's current view bounds and axis placement.
QPoint ToPixel(const TDrawArea& area, const TGraphPlot& graph, TFloatPoint value);
TFloatPoint ToValue(const TDrawArea& area, const TGraphPlot& graph, QPoint pixel);

// Hit-testing the plotting rectangle (frame included), and clamping a pointer into it.
bool InGraphArea(const TDrawArea& area, QPoint pixel);
QPoint ClampToGraphArea(const TDrawArea& area, QPoint pixel);

// ---- Drawing -------------------------------------------------------------------------------

// Paints the graph onto the painter's device: white background, captions, grid with ticks
// and labels, curves with markers, the legend box (PrintLegend), the layer column
// (ShowLayers) and the frame. A target smaller than an inch either way stays white.
// Recomputes graph.View.Marks; a view never set up is first reset to the full data range.
void DrawPlot(QPainter& painter, TGraphPlot& graph, const TDrawArea& area);

}  // namespace korva::results
