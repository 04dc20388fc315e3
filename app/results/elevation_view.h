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

#include <QString>
#include <QWidget>

#include <functional>

#include "side_picture.h"

class QLabel;
class QMdiArea;
class QPrinter;
class QPushButton;

namespace korva::project {
class Project;
}

namespace korva::results {

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
