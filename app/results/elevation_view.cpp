#include "elevation_view.h"

#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPolygon>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

#include <algorithm>
#include <cmath>

#include "evaluator.h"
#include "graph_painter.h"
#include "program_data.h"
#include "project_tables.h"

namespace korva::results {

namespace {

constexpr int kDefaultClientWidth = 632;
constexpr int kDefaultClientHeight = 422;
// Room for the controls in one row above a drawing that still shows something.
constexpr int kMinimumClientWidth = 240;
constexpr int kMinimumClientHeight = 180;
constexpr int kControlMargin = 6;
constexpr int kButtonWidth = 80;

const QString kTitle = QStringLiteral("Elevation View");

int RoundI(double v) { return static_cast<int>(std::lround(v)); }

bool Finite(double v) { return std::isfinite(v); }

}  // namespace

// ---- The window ---------------------------------------------------------------------------

TDlgSideView::TDlgSideView(project::Project& project, QWidget* parent)
    : QWidget(parent), project_(project) {
  setWindowTitle(kTitle);
  setMouseTracking(true);
  setAutoFillBackground(true);
  QFont f = font();
  f.setPointSize(9);
  setFont(f);

  // The controls sit in a strip above the drawing, near the right of the default client
  // area (PlaceControls).
  caption_ = new QLabel(tr("Pile Geometry"), this);
  printButton_ = new QPushButton(tr("Print"), this);
  setMinimumSize(kMinimumClientWidth, kMinimumClientHeight);
  PlaceControls();
  connect(printButton_, &QPushButton::clicked, this, &TDlgSideView::Print);

  printersInstalled = [] { return !QPrinterInfo::availablePrinters().isEmpty(); };
  printDialog = [this](QPrinter& printer) {
    QPrintDialog dlg(&printer, this);
    return dlg.exec() == QDialog::Accepted;
  };
  chooseSaveName = [this](const QString& title, const QString& filter) {
    return QFileDialog::getSaveFileName(this, title, QString(), filter);
  };
  information = [this](const QString& text) { QMessageBox::information(this, kTitle, text); };

  resize(kDefaultClientWidth, kDefaultClientHeight);
  Rebuild();
}

TDlgSideView::~TDlgSideView() = default;

QSize TDlgSideView::sizeHint() const { return QSize(kDefaultClientWidth, kDefaultClientHeight); }

TDlgSideView* TDlgSideView::Find(QMdiArea* area) {
  if (!area) return nullptr;
  for (QMdiSubWindow* sub : area->subWindowList()) {
    if (auto* view = qobject_cast<TDlgSideView*>(sub->widget())) return view;
  }
  return nullptr;
}

TDlgSideView* TDlgSideView::Show(QMdiArea* area, project::Project& project) {
  if (!area) return nullptr;
  if (TDlgSideView* view = Find(area)) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(view->parentWidget())) {
      if (sub->isMinimized()) sub->showNormal();
      sub->show();
      area->setActiveSubWindow(sub);
    }
    view->Rebuild();
    return view;
  }
  auto* view = new TDlgSideView(project);
  QMdiSubWindow* sub = area->addSubWindow(view);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  // Activation rebuilds the picture so that it follows edits in the data dialogs.
  QObject::connect(area, &QMdiArea::subWindowActivated, view, [view, sub](QMdiSubWindow* w) {
    if (w == sub) view->Rebuild();
  });
  sub->show();
  area->setActiveSubWindow(sub);
  view->Rebuild();
  return view;
}

void TDlgSideView::Rebuild() {
  // A degenerate extent blanks the window for good: it is not retried until reopened.
  if (blank_) return;
  geometry_ = BuildSideGeometry(project_);
  Layout();
  update();
}

void TDlgSideView::PlaceControls() {
  // At their design place near the right of the default client area; in a narrower window
  // they keep to its right edge, so that they stay whole and off the drawing.
  const int buttonHeight = std::max(26, printButton_->sizeHint().height());
  const int captionWidth = std::max(100, caption_->sizeHint().width());
  const int right = std::min(kDefaultClientWidth, width()) - 2 * kControlMargin;
  const int buttonLeft = std::max(captionWidth + 2 * kControlMargin, right - kButtonWidth);
  printButton_->setGeometry(buttonLeft, kControlMargin, kButtonWidth, buttonHeight);
  caption_->setGeometry(buttonLeft - kControlMargin - captionWidth, kControlMargin, captionWidth,
                        buttonHeight);
  caption_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

QRect TDlgSideView::PictureArea() const {
  const int top = printButton_->geometry().bottom() + 1 + kControlMargin;
  return QRect(0, top, width(), std::max(0, height() - top));
}

void TDlgSideView::Layout() {
  PlaceControls();
  if (blank_) return;
  // A window without layers has nothing to map; it is not blanked for good.
  if (geometry_.Empty()) {
    extent_ = TSideExtent{};
    picture_ = LayoutSidePicture(geometry_, SideOptions(project_, false), PictureArea(), font(), this);
    return;
  }
  picture_ = LayoutSidePicture(geometry_, SideOptions(project_, false), PictureArea(), font(), this);
  if (picture_.Plot.isEmpty()) {
    // Too little room for a drawing (hidden or minimised windows pass through empty sizes).
    extent_ = picture_.Extent;
    extent_.NoDraw = true;
    return;
  }
  extent_ = picture_.Extent;
  // Only a degenerate picture blanks the window for good.
  if (extent_.NoDraw) blank_ = true;
}

QPoint TDlgSideView::ToPixel(double x, double y) const {
  if (NoDraw()) return QPoint();
  return picture_.ToPixel(x, y);
}

double TDlgSideView::DepthAtRow(int row) const {
  const TSideExtent& e = extent_;
  const QRect& plot = picture_.Plot;
  if (NoDraw() || plot.height() <= 1) return 0.0;
  return e.Top + (e.Bottom - e.Top) * (row - plot.top()) / (plot.height() - 1) - geometry_.GroundY();
}

bool TDlgSideView::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) Rebuild();
  return QWidget::event(e);
}

void TDlgSideView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Layout();
  update();
}

void TDlgSideView::mouseMoveEvent(QMouseEvent* e) {
  QWidget::mouseMoveEvent(e);
  if (NoDraw() || geometry_.Empty()) return;
  const int row = RoundI(e->position().y());
  setWindowTitle(kTitle + QStringLiteral("  Depth: ") + QString::number(DepthAtRow(row), 'f', 1));
}

void TDlgSideView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Window));
  if (NoDraw() || geometry_.Empty()) return;
  PaintSidePicture(p, picture_);
}

// ---- Printing -----------------------------------------------------------------------------

void TDlgSideView::Print() {
  QPrinter printer(QPrinter::HighResolution);
  if (!printersInstalled()) {
    // Without a printer the page goes to a PDF file.
    QString name = chooseSaveName(tr("Print to PDF File"), tr("PDF document (*.pdf)"));
    if (name.isEmpty()) return;
    if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(name);
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  } else {
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!printDialog(printer)) return;
  }
  PrintOn(printer);
}

bool TDlgSideView::PrintOn(QPrinter& printer) {
  const double zLast = geometry_.Empty() ? 0.0 : geometry_.Layers.back().DepthBottom;
  const double span = zLast + geometry_.GroundY();
  if (geometry_.Empty() || NoDraw() || !Finite(span) || span <= 0) {
    information(tr("There is no soil profile to print."));
    return false;
  }
  printer.setPageOrientation(QPageLayout::Landscape);
  printer.setDocName(QStringLiteral("Soil-Pile Profile"));
  printer.setCreator(QStringLiteral("KORVA"));
  QPainter p;
  if (!p.begin(&printer)) {
    information(tr("The profile could not be printed."));
    return false;
  }
  DrawPage(p, QRect(0, 0, p.device()->width(), p.device()->height()));
  p.end();
  return true;
}

TSidePicture TDlgSideView::DrawPage(QPainter& p, const QRect& page) {
  // Text sizes follow the page, whatever the device's resolution: about 11 pt on A4.
  QFont f(font(), p.device());
  f.setPixelSize(std::max(8, RoundI(page.height() / 48.0)));
  const TSidePicture pic = LayoutSidePicture(geometry_, SideOptions(project_, true), page, f, p.device());
  PaintSidePicture(p, pic);
  return pic;
}

}  // namespace korva::results
