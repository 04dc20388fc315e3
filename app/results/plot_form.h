// TPlotForm: the MDI child window in which the user looks at one result graph. It holds the
// view state (rubber-band zoom, legend dragging), shows the legend as a movable list beside
// the drawing, and carries the graph's Plot menu: display options, legend editing, curve
// activation, printing and saving the graph as a picture. The painting itself is DrawPlot
// (graph_painter.h) with the window as the target; the axis bounds live in graph.View.
//
// The main window opens a graph with TPlotForm::Show(mdiArea, graph) and, while a graph
// window is the active MDI child, puts its PlotMenu() into the menu bar.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "graph_painter.h"

class QAction;
class QActionGroup;
class QButtonGroup;
class QLineEdit;
class QListWidget;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QRadioButton;
class QRubberBand;

namespace korva::controls {
class TDataEdit;
}

namespace korva::results {

// ---- Dialogs of the Plot menu ----------------------------------------------------------------

// "Graph Caption": the user's extra title and whether it goes above or below the graph.
class TGraphCaptionDialog : public QDialog {
  Q_OBJECT

 public:
  TGraphCaptionDialog(const QString& caption, bool onTop, QWidget* parent = nullptr);
  QString Caption() const;
  bool OnTop() const;
  QLineEdit* Edit() const { return edit_; }
  QRadioButton* TopButton() const { return top_; }
  QRadioButton* BottomButton() const { return bottom_; }

 private:
  QLineEdit* edit_;
  QRadioButton* top_;
  QRadioButton* bottom_;
};

// "Legend": renames the curves. The edit holds the selected entry; Enter or leaving the edit
// stores it into the entry, an empty text is refused with a message.
class TLineNamesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TLineNamesDialog(const QStringList& names, QWidget* parent = nullptr);
  QStringList Names() const;
  QListWidget* List() const { return list_; }
  QLineEdit* Edit() const { return edit_; }
  // Stores the edit text into the selected entry; false (old text restored, message shown)
  // when the text is empty.
  bool StoreEdit();
  void accept() override;

  // Shows a message; replaceable by tests.
  std::function<void(const QString&)> information;

 private:
  void LoadSelected();

  QListWidget* list_;
  QLineEdit* edit_;
  int editRow_ = -1;      // the entry the edit holds
  bool storing_ = false;  // a refused name is being put back
};

// "Active Curves": which curves take part in the legend and the drawing.
class TActiveLinesDialog : public QDialog {
  Q_OBJECT

 public:
  TActiveLinesDialog(const QStringList& names, const std::vector<bool>& active,
                     QWidget* parent = nullptr);
  std::vector<bool> Active() const { return active_; }
  QListWidget* List() const { return list_; }
  // Toggles every selected row ("Activate/Deactivate Selected").
  void ToggleSelected();
  // Sets every row ("Activate All" / "Deactivate All").
  void SetAll(bool active);
  void ToggleRow(int row);

  // The row text: " yes : " or " no  : ", three blanks, the curve name.
  static QString RowText(bool active, const QString& name);

 private:
  void UpdateRow(int row);

  QStringList names_;
  std::vector<bool> active_;
  QListWidget* list_;
};

// The size of a saved picture in inches and its resolution.
struct TPictureSize {
  double HeightInches = 4.0;
  double WidthInches = 6.0;
  int PixelsPerInch = 72;

  int HeightPixels() const;
  int WidthPixels() const;
};

// "Save Attributes": the size of the saved picture in numeric entry fields: height and
// width in inches (at least 2), pixels per inch a whole number (at least 10). An entry out
// of range or not whole is answered with the entry field's message; OK closes the dialog
// only when every field holds a valid entry.
class TSaveAttributesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TSaveAttributesDialog(QWidget* parent = nullptr);
  // The values of the fields; a field without a valid entry gives its default.
  TPictureSize Size() const;
  controls::TDataEdit* HeightEdit() const { return height_; }
  controls::TDataEdit* WidthEdit() const { return width_; }
  controls::TDataEdit* PixelsPerInchEdit() const { return ppi_; }
  // Validates every field; closes the dialog when all hold valid entries.
  void accept() override;

  // Shows the fields' messages; replaceable by tests (QMessageBox by default).
  std::function<void(const QString&)> information;

 private:
  controls::TDataEdit* height_;
  controls::TDataEdit* width_;
  controls::TDataEdit* ppi_;
};

// ---- The graph window ------------------------------------------------------------------------

class TPlotForm : public QWidget {
  Q_OBJECT

 public:
  // A window on `graph`: the view reset to the full data range, the curves re-activated
  // (first 20 with LimitActive), legend and curve entries built. `graph` must outlive the
  // window; the main window closes graph windows before it replaces or frees its graphs.
  explicit TPlotForm(TGraphPlot& graph, QWidget* parent = nullptr);
  ~TPlotForm() override;

  // Opens `graph` in `area`: brings its existing window forward (restored if minimised) or
  // creates a new one, maximised. nullptr when the data have no usable range (the window
  // is not opened then).
  static TPlotForm* Show(QMdiArea* area, TGraphPlot& graph);
  // The window of `graph` in `area`, or nullptr.
  static TPlotForm* Find(QMdiArea* area, const TGraphPlot& graph);

  // False when the data gave no axis range; such a window must not be shown.
  bool IsValid() const { return valid_; }
  TGraphPlot& Graph() { return graph_; }
  // The Plot menu, owned by the window. The main window adds it to its menu bar while this
  // window is active (QMenuBar::addMenu(PlotMenu()) / removeAction(PlotMenu()->menuAction()));
  // it disappears from the bar by itself when the window is destroyed.
  QMenu* PlotMenu() const { return plotMenu_; }
  QListWidget* Legend() const { return legend_; }
  const TDrawArea& DrawWindow() const { return drawWindow_; }
  // Where the user put the legend, as fractions of the room beside it in the graph area
  // (see LegendCorner); none while it has not been moved: it then goes where it hides no
  // curve. The printed legend box takes this place on the page.
  std::optional<QPointF> LegendPlace() const;
  // Curve index of each legend entry (and Plot menu curve entry), in legend order.
  const std::vector<int>& LegendCurves() const { return legendCurves_; }
  // The Plot menu's curve entries, in legend order.
  const std::vector<QAction*>& CurveActions() const { return curveActions_; }
  // The printer used by Print and Page Setup (1 inch margins until Page Setup changes them).
  QPrinter& Printer();

  // Plot menu commands.
  void ToggleLegend();
  void ToggleLayers();
  void SetMarkers(int every);
  void SetFontSize(int sizeFont);
  void SetLineWidth(int width);
  void EditGraphTitle();
  void EditLegend();
  void EditActiveCurves();
  void Print();
  void PageSetup();
  void SaveToDisk();
  // Shows or hides the curve of legend entry `entry` (curve entry click, legend double-click).
  void ToggleCurve(int entry);
  // Refreshes the check marks of the Plot menu from the graph.
  void RefreshMenuChecks();

  // Starts over from the graph's data as a new window does: full range, curves re-activated,
  // legend and curve entries rebuilt, legend anchored. For a graph whose results were
  // reloaded while its window is open.
  void Rebuild();

  // Lays the window out for its current size and places the legend: where the user put
  // it (moved by dragging, or by any other move of the list), or where it hides no curve;
  // `anchorLegend` forgets the user's place. The legend is shown inside the window, and
  // the user's place is kept when a smaller window pushes it in.
  void Layout(bool anchorLegend);

  // Writes the graph as a picture of `size` to `fileName` (.png as PNG, anything else as
  // BMP). The file is replaced only when the whole picture was written. False with a
  // message shown when it could not be made or written.
  bool SavePicture(const QString& fileName, const TPictureSize& size);
  // Prints the graph on `printer` with the print layout; false with a message on failure.
  bool PrintOn(QPrinter& printer);

  // The user-facing dialogs, replaceable by tests.
  // Runs one of the Plot menu dialogs modally; returns QDialog::Accepted or Rejected.
  std::function<int(QDialog&)> execDialog;
  // A file name from a save dialog (asks before overwriting), empty when cancelled.
  std::function<QString(const QString& title, const QString& filter, const QString& suffix)>
      chooseSaveName;
  // Whether a printer is installed; without one Print writes a PDF file.
  std::function<bool()> printersInstalled;
  // The platform print dialog on `printer`; true when the user confirmed.
  std::function<bool(QPrinter&)> printDialog;
  // The platform page setup dialog on `printer`; true when the user confirmed.
  std::function<bool(QPrinter&)> pageSetupDialog;
  // An information message with an OK button.
  std::function<void(const QString&)> information;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void CreateMenu();
  void BuildLegend();
  void ResizeLegend();
  void KeepLegendInside();
  // Moves the legend list to its place for the current layout and view.
  void PlaceLegend();
  void UpdateLegendEntry(int entry);
  void UpdateTitle(QPoint pointer);
  QPoint Ppi() const;
  bool CurveExists(int curve) const;

  TGraphPlot& graph_;
  bool valid_ = false;
  TDrawArea drawWindow_;

  bool zooming_ = false;
  QPoint zoomOrigin_;
  QPoint movePoint_;
  QRubberBand* band_ = nullptr;

  std::optional<QPoint> legendPos_;  // the user's place of the legend in the window
  QPoint placedAt_{-1, -1};          // where the window itself last put the legend
  bool dragLegend_ = false;
  QPoint dragPoint_;  // the grab point inside the legend
  QListWidget* legend_ = nullptr;
  int legendItemHeight_ = 16;
  std::vector<int> legendCurves_;

  std::unique_ptr<QPrinter> printer_;

  QMenu* plotMenu_ = nullptr;
  QAction* showLegend_ = nullptr;
  QAction* showLayers_ = nullptr;
  QMenu* markersMenu_ = nullptr;
  QMenu* fontMenu_ = nullptr;
  QMenu* widthMenu_ = nullptr;
  QAction* curveSeparator_ = nullptr;
  std::vector<QAction*> curveActions_;
};

}  // namespace korva::results
