// The elevation picture of the shaft, its bell and the soil layer boundaries drawn to scale
// from the project data (no analysis results needed): the geometry, its fit onto a target and
// the layout and painting of the picture. The same for the window, the printed page and the
// calculation report; no widgets, so it is used without a display.
//
// Model coordinates: x is the horizontal distance from the shaft axis, y the depth measured
// from a reference 2D above the ground surface (D the shaft diameter), so the ground surface
// lies at y = 2D and a layer boundary at depth z lies at y = z + 2D.
#pragma once

#include <QColor>
#include <QFont>
#include <QLine>
#include <QPolygon>
#include <QRect>
#include <QString>

#include <string>
#include <vector>

#include "graph_data.h"

class QPaintDevice;
class QPainter;

namespace korva::project {
class Project;
}

namespace korva::results {

// One filled outline of the shaft: corners top-left, top-right, bottom-left, bottom-right.
struct TSideQuad {
  TFloatPoint TopLeft;
  TFloatPoint TopRight;
  TFloatPoint BottomLeft;
  TFloatPoint BottomRight;
};

// One soil layer as drawn: its type code and top and bottom depths (without the 2D offset).
struct TSideLayer {
  int Code = 0;
  double DepthTop = 0.0;
  double DepthBottom = 0.0;
};

// What the elevation view draws, in model units.
struct TSideGeometry {
  std::vector<TSideQuad> Data;  // the stem, then the bell when there is one
  std::vector<TSideLayer> Layers;
  double Diameter = 0.0;  // DSTART; the ground surface is at y = 2 * Diameter
  bool HasBell = false;
  double BellStart = 0.0;  // y of the bell's upper edge (stem width)
  double BellEnd = 0.0;    // y of the bell's lower edge (RATIO times the stem width)
  // Extent of the drawing: the quadrilaterals, and down to at least the last layer's bottom.
  double DLeft = 0.0;
  double DRight = 0.0;
  double DTop = 0.0;
  double DBottom = 0.0;

  bool Empty() const { return Layers.empty(); }
  double GroundY() const { return 2.0 * Diameter; }
};

// Builds the picture from the project. Without soil layers the result is empty (no
// quadrilaterals, zero extent). A shaft length PD below 0.0001 is first set in the project
// to the last layer's bottom depth, as the view has always done.
TSideGeometry BuildSideGeometry(project::Project& project);

// The extent mapped onto a client area of width x height pixels: the model extent widened
// horizontally (about the axis) or vertically so that one model unit has the same length in
// both directions. NoDraw when the extent cannot be mapped (zero or negative client size,
// degenerate or non-finite extent).
struct TSideExtent {
  double Left = 0.0;
  double Right = 0.0;
  double Top = 0.0;
  double Bottom = 0.0;
  bool NoDraw = false;
  // The fit scale: the factor r applied (r >= 1 widened Left/Right, else Top/Bottom / r).
  double Scale = 1.0;
};
TSideExtent FitSideExtent(const TSideGeometry& g, int width, int height);

// The layer's label on the screen and on the page ("depth= 0 - 12.5; Sand"): its depths and
// the soil name. On the page the weak rock is named "Soft Rock". Empty for unknown codes.
QString SideLayerLabel(const TSideLayer& layer, bool page);
// Whether the label of `code` is one of the soils (sand, clay, gravelly sand, gravel) rather
// than a rock.
bool SideLabelBelowTop(int code);

// What the picture shows beside the geometry, taken from the project.
struct TSideOptions {
  bool Page = false;          // a printed page: page header, page labels, white page
  bool UseElevation = false;  // the vertical axis reads elevation instead of depth
  double ValElevation = 0.0;  // elevation of the ground surface (the top of the shaft)
  double WaterDepth = 0.0;    // WTD; no water line when it is not a finite depth >= 0
  bool SI = false;            // m instead of ft
  QString Title;              // project title, on the page header
};
TSideOptions SideOptions(const project::Project& project, bool page);

// A line of text and the rectangle it is drawn in (device pixels).
struct TSideText {
  QString Text;
  QRect Rect;
};

// One tick of the vertical axis: the depth it marks, its row and its label.
struct TSideTick {
  double Depth = 0.0;
  double Value = 0.0;  // depth, or elevation with UseElevation
  int Row = 0;
  TSideText Label;
};

// One soil layer as laid out: its band across the drawing and its label (one line, or two
// lines "depth= ..;" and the name when one line does not fit beside the shaft).
struct TSideBand {
  QRect Band;
  QColor Color;
  std::vector<TSideText> Label;
};

// The laid-out picture in device pixels: the same for the window and for the printed page,
// only the target rectangle and the font differ.
struct TSidePicture {
  QRect Area;  // the whole target, filled white
  QRect Plot;  // the framed drawing: soil bands, ground, water, shaft
  TSideExtent Extent;
  QFont Font;
  QFont TitleFont;
  int TextHeight = 0;
  int Line = 1;  // basic pen width
  std::vector<TSideText> Header;  // page only: "Soil-Pile Profile" and the project title
  std::vector<TSideBand> Bands;
  std::vector<TSideTick> Ticks;
  TSideText AxisTitle;  // "Depth (ft)", drawn upright along the axis
  int GroundRow = 0;
  std::vector<QLine> Hatch;  // the strokes below the ground line
  bool HasWater = false;
  int WaterRow = 0;
  TSideText WaterLabel;
  std::vector<QPolygon> Shaft;
  int ShaftLeft = 0;  // pixel columns of the widest part of the shaft
  int ShaftRight = 0;

  bool Empty() const { return Plot.isEmpty() || Extent.NoDraw; }
  QPoint ToPixel(double x, double y) const;
  // Every text of the picture (header, axis, labels, water), for checks.
  std::vector<TSideText> Texts() const;
};

// Lays out the picture of `g` in `area` with `font` measured on `device`.
TSidePicture LayoutSidePicture(const TSideGeometry& g, const TSideOptions& o, const QRect& area,
                               const QFont& font, QPaintDevice* device);
// Paints a laid-out picture.
void PaintSidePicture(QPainter& p, const TSidePicture& picture);

}  // namespace korva::results
