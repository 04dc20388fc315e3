// TDlgSideView, the "Elevation View": the shaft, its bell and the soil layer boundaries drawn
// to scale from the current project data (no analysis results needed). An MDI child; only one
// exists at a time. The picture is rebuilt whenever the window is activated, so it follows
// edits made in the data dialogs, and it can be printed on a landscape page.
//
// Model coordinates: x is the horizontal distance from the shaft axis, y the depth measured
// from a reference 2D above the ground surface (D the shaft diameter), so the ground surface
// lies at y = 2D and a layer boundary at depth z lies at y = z + 2D.
//
// The geometry (BuildSideGeometry, FitSideExtent) is plain computation, tested without a
// window. The main window opens the view with TDlgSideView::Show(mdiArea, project); Find
// tells whether one exists.
#pragma once

#include <QColor>
#include <QFont>
#include <QLine>
#include <QPolygon>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "graph_data.h"

class QLabel;
class QMdiArea;
class QPaintDevice;
class QPainter;
class QPrinter;
class QPushButton;

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

class TDlgSideView : public QWidget {
  Q_OBJECT

 public:
  // `project` must outlive the window; the main window closes the view before it replaces
  // its project.
  explicit TDlgSideView(project::Project& project, QWidget* parent = nullptr);
  ~TDlgSideView() override;

  // Brings the existing view in `area` forward (restored when minimised) or creates it,
  // then rebuilds the picture. nullptr without an area.
  static TDlgSideView* Show(QMdiArea* area, project::Project& project);
  // The view in `area`, or nullptr (the main window's "view exists" test).
  static TDlgSideView* Find(QMdiArea* area);

  // Rebuilds the picture from the project (nothing while NoDraw is set) and lays it out.
  void Rebuild();
  // Lays the picture out for the current client size.
  void Layout();

  const TSideGeometry& Geometry() const { return geometry_; }
  const TSideExtent& Extent() const { return extent_; }
  // Nothing is drawn: the extent could not be mapped. A degenerate extent blanks the window
  // until it is closed; a client area without size only until the next resize.
  bool NoDraw() const { return blank_ || extent_.NoDraw; }

  // Window pixel of a model point, and the depth (y - 2D) at a window row, both in the
  // drawing below the controls.
  QPoint ToPixel(double x, double y) const;
  double DepthAtRow(int row) const;

  // "Print": without an installed printer the page goes to a PDF file chosen in a save
  // dialog; otherwise the print dialog is shown first.
  void Print();
  // Draws the page on `printer` (landscape, job title "Soil-Pile Profile"). False with a
  // message when nothing could be printed.
  bool PrintOn(QPrinter& printer);

  // Draws the printed page into `page` of the painter's device and returns its layout.
  TSidePicture DrawPage(QPainter& p, const QRect& page);

  // The picture as laid out in the window, and the area below the controls it fills.
  const TSidePicture& Picture() const { return picture_; }
  QRect PictureArea() const;

  QPushButton* PrintButton() const { return printButton_; }
  QLabel* Caption() const { return caption_; }
  // The default client area, 632 x 422.
  QSize sizeHint() const override;

  // The user-facing dialogs, replaceable by tests.
  std::function<bool()> printersInstalled;
  std::function<bool(QPrinter&)> printDialog;
  std::function<QString(const QString& title, const QString& filter)> chooseSaveName;
  std::function<void(const QString&)> information;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  bool event(QEvent* e) override;

 private:
  void PlaceControls();

  project::Project& project_;
  TSideGeometry geometry_;
  TSideExtent extent_;
  TSidePicture picture_;
  bool blank_ = false;  // a degenerate extent was met
  QLabel* caption_ = nullptr;
  QPushButton* printButton_ = nullptr;
};

}  // namespace korva::results
