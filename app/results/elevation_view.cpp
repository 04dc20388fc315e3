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
#include "program_data.h"
#include "project_tables.h"

namespace korva::results {

namespace {

constexpr int kDefaultClientWidth = 632;
constexpr int kDefaultClientHeight = 422;
// The bell angle is converted with this value of pi, as the view has always drawn it.
constexpr double kPi = 3.1416;

const QString kTitle = QStringLiteral("Elevation View");

QString Num(double v) { return QString::fromStdString(project::FormatGeneral(v, 15)); }

int RoundI(double v) { return static_cast<int>(std::lround(v)); }

bool Finite(double v) { return std::isfinite(v); }

QString DepthPrefix(const TSideLayer& layer) {
  return QStringLiteral("depth= %1 - %2; ").arg(Num(layer.DepthTop), Num(layer.DepthBottom));
}

}  // namespace

// ---- Geometry -----------------------------------------------------------------------------

TSideGeometry BuildSideGeometry(project::Project& project) {
  TSideGeometry g;
  const project::TGridTable& D = project.tables.D;
  if (D.RowCount() <= 0) return g;

  double top = 0.0;
  for (int r = 0; r < D.RowCount(); ++r) {
    TSideLayer layer;
    layer.Code = D.GetIntValue(project::kColSoilType, r);
    layer.DepthTop = top;
    layer.DepthBottom = D.GetFloatValue(project::kColDepthBottom, r);
    top = layer.DepthBottom;
    g.Layers.push_back(layer);
  }
  const double lastDepth = g.Layers.back().DepthBottom;

  project::TProgramData& data = project.data;
  if (data.PD < 0.0001) data.PD = lastDepth;

  const double d = data.DSTART;
  g.Diameter = d;
  const double shaftBottom = data.PD + 2.0 * d;
  g.Data.push_back({{-d / 2, 0.0}, {d / 2, 0.0}, {-d / 2, shaftBottom}, {d / 2, shaftBottom}});

  if (data.BELANGL > 0) {
    const double e = (data.RATIO - 1.0) * d / 2.0;
    const double a = data.BELANGL * kPi / 180.0;
    g.HasBell = true;
    g.BellStart = shaftBottom - e * std::cos(a) / std::sin(a);
    g.BellEnd = shaftBottom;
    const double half = data.RATIO * d / 2.0;
    g.Data.push_back({{-d / 2, g.BellStart}, {d / 2, g.BellStart}, {-half, g.BellEnd}, {half, g.BellEnd}});
  }

  const TSideQuad& first = g.Data.front();
  g.DLeft = first.TopLeft.x;
  g.DRight = first.TopRight.x;
  g.DTop = first.TopLeft.y;
  g.DBottom = first.BottomLeft.y;
  for (const TSideQuad& q : g.Data) {
    g.DLeft = std::min({g.DLeft, q.TopLeft.x, q.BottomLeft.x});
    g.DRight = std::max({g.DRight, q.TopRight.x, q.BottomRight.x});
    g.DTop = std::min({g.DTop, q.TopLeft.y, q.TopRight.y});
    g.DBottom = std::max({g.DBottom, q.BottomLeft.y, q.BottomRight.y});
  }
  // The last layer's depth is compared without the 2D offset, as the view always has.
  if (lastDepth > g.DBottom) g.DBottom = lastDepth;
  return g;
}

TSideExtent FitSideExtent(const TSideGeometry& g, int width, int height) {
  TSideExtent x{g.DLeft, g.DRight, g.DTop, g.DBottom, false, 1.0};
  const double dw = g.DRight - g.DLeft;
  const double dh = g.DBottom - g.DTop;
  if (width <= 0 || height <= 0 || !Finite(dw) || !Finite(dh) || dw <= 0 || dh <= 0) {
    x.NoDraw = true;
    return x;
  }
  const double r = (static_cast<double>(width) / height) / (dw / dh);
  if (!Finite(r) || r <= 0) {
    x.NoDraw = true;
    return x;
  }
  x.Scale = r;
  if (r >= 1) {
    x.Left *= r;
    x.Right *= r;
  } else {
    x.Top /= r;
    x.Bottom /= r;
  }
  if (!Finite(x.Left) || !Finite(x.Right) || !Finite(x.Top) || !Finite(x.Bottom) ||
      x.Right <= x.Left || x.Bottom <= x.Top)
    x.NoDraw = true;
  return x;
}

bool SideLabelBelowTop(int code) { return code == 1 || code == 2 || code == 8 || code == 9; }

QString SideLayerLabel(const TSideLayer& layer, bool page) {
  switch (layer.Code) {
    case 1: return DepthPrefix(layer) + QStringLiteral("Sand");
    case 2: return DepthPrefix(layer) + QStringLiteral("Clay");
    case 8: return DepthPrefix(layer) + QStringLiteral("Gravelly Sand");
    case 9: return DepthPrefix(layer) + QStringLiteral("Gravel");
    default: break;
  }
  QString name;
  switch (layer.Code) {
    case 3: name = QStringLiteral("Shale"); break;
    case 4:
    case 7: name = QStringLiteral("Strong Rock"); break;
    case 5: name = QStringLiteral("Decomposed Rock"); break;
    case 6: name = page ? QStringLiteral("Soft Rock") : QStringLiteral("Weak Rock"); break;
    default: return QString();
  }
  return page ? DepthPrefix(layer) + name : name;
}

// ---- The window ---------------------------------------------------------------------------

TDlgSideView::TDlgSideView(project::Project& project, QWidget* parent)
    : QWidget(parent), project_(project) {
  setWindowTitle(kTitle);
  setMouseTracking(true);
  setAutoFillBackground(true);
  QFont f = font();
  f.setPointSize(9);
  setFont(f);

  // The fixed controls stay where they are put for the default client area.
  caption_ = new QLabel(tr("Pile Geometry"), this);
  caption_->setGeometry(kDefaultClientWidth - 112, 12, 100, 20);
  printButton_ = new QPushButton(tr("Print"), this);
  printButton_->setGeometry(kDefaultClientWidth - 100, 40, 80, 26);
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

void TDlgSideView::Layout() {
  if (blank_) return;
  // A window without layers has nothing to map; it is not blanked for good.
  if (geometry_.Empty()) {
    extent_ = TSideExtent{};
    return;
  }
  extent_ = FitSideExtent(geometry_, width(), height());
  // Qt hands out empty client areas in passing (hidden, minimised windows); only a
  // degenerate picture blanks the window for good.
  if (extent_.NoDraw && width() > 0 && height() > 0) blank_ = true;
}

QPoint TDlgSideView::ToPixel(double x, double y) const {
  const TSideExtent& e = extent_;
  if (NoDraw() || e.Right <= e.Left || e.Bottom <= e.Top) return QPoint();
  return QPoint(RoundI(width() * (x - e.Left) / (e.Right - e.Left)),
                RoundI(height() * (y - e.Top) / (e.Bottom - e.Top)));
}

double TDlgSideView::DepthAtRow(int row) const {
  const TSideExtent& e = extent_;
  if (NoDraw() || height() <= 0) return 0.0;
  return e.Top + (e.Bottom - e.Top) * row / height() - geometry_.GroundY();
}

bool TDlgSideView::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) Rebuild();
  return QWidget::event(e);
}

void TDlgSideView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Layout();
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

  const double ground = geometry_.GroundY();
  const int w = width();
  const int textHeight = p.fontMetrics().height();
  p.setPen(palette().color(QPalette::WindowText));
  for (std::size_t i = 0; i < geometry_.Layers.size(); ++i) {
    const TSideLayer& layer = geometry_.Layers[i];
    const int yTop = ToPixel(0, layer.DepthTop + ground).y();
    const int yBottom = ToPixel(0, layer.DepthBottom + ground).y();
    if (i == 0) {
      const int yg = ToPixel(0, ground).y();
      p.drawLine(0, yg, w, yg);
      for (int k = 1; k <= 20; ++k) p.drawLine(20 * k + 100, yg, 20 * k + 115, yg + 5);
    }
    p.drawLine(0, yBottom, w, yBottom);
    const QString label = SideLayerLabel(layer, false);
    if (!label.isEmpty()) {
      const int y = SideLabelBelowTop(layer.Code) ? yTop + textHeight : yTop;
      p.drawText(QRect(0, y, w, textHeight), Qt::AlignLeft | Qt::AlignTop, label);
    }
  }

  const QColor ink = palette().color(QPalette::WindowText);
  p.setPen(ink);
  p.setBrush(ink);
  for (const TSideQuad& q : geometry_.Data) {
    QPolygon poly;
    poly << ToPixel(q.TopLeft.x, q.TopLeft.y) << ToPixel(q.TopRight.x, q.TopRight.y)
         << ToPixel(q.BottomRight.x, q.BottomRight.y) << ToPixel(q.BottomLeft.x, q.BottomLeft.y);
    p.drawPolygon(poly);
  }
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
  DrawPage(p, p.device()->width(), p.device()->height());
  p.end();
  return true;
}

void TDlgSideView::DrawPage(QPainter& p, int wp, int hp) {
  const double ground = geometry_.GroundY();
  const double span = geometry_.Layers.back().DepthBottom + ground;
  // The picture fills the middle 80 % of the page height, its top at depth -2D.
  auto row = [&](double z) { return RoundI((z + ground) / span * 0.8 * hp) + RoundI(0.1 * hp); };
  const int x10 = RoundI(0.1 * wp);
  const int x90 = RoundI(0.9 * wp);

  p.fillRect(QRect(x10, RoundI(0.1 * hp), x90 - x10, RoundI(0.9 * hp) - RoundI(0.1 * hp)),
             palette().color(QPalette::Window));
  p.setFont(QFont(font(), p.device()));
  p.setPen(Qt::black);
  const int textHeight = p.fontMetrics().height();
  for (std::size_t i = 0; i < geometry_.Layers.size(); ++i) {
    const TSideLayer& layer = geometry_.Layers[i];
    if (i == 0) {
      const int yg = row(0.0);
      p.drawLine(x10, yg, x90, yg);
      for (int k = 1; k <= 10; ++k)
        p.drawLine(RoundI(0.35 * hp) + 50 * k, yg, RoundI(0.365 * hp) + 50 * k, yg + 70);
    }
    const int yb = row(layer.DepthBottom);
    p.drawLine(x10, yb, x90, yb);
    const QString label = SideLayerLabel(layer, true);
    if (!label.isEmpty())
      p.drawText(QRect(RoundI(0.15 * hp), row(layer.DepthTop) + textHeight, wp, textHeight),
                 Qt::AlignLeft | Qt::AlignTop, label);
  }

  // The window's horizontal range spread over the page width.
  const double left = extent_.Left;
  const double range = extent_.Right - extent_.Left;
  auto px = [&](double x) { return RoundI((x - left) / range * wp); };
  p.setPen(QPen(Qt::black, 12));
  p.setBrush(Qt::black);
  for (const TSideQuad& q : geometry_.Data) {
    QPolygon poly;
    poly << QPoint(px(q.TopLeft.x), row(q.TopLeft.y - ground))
         << QPoint(px(q.TopRight.x), row(q.TopRight.y - ground))
         << QPoint(px(q.BottomRight.x), row(q.BottomRight.y - ground))
         << QPoint(px(q.BottomLeft.x), row(q.BottomLeft.y - ground));
    p.drawPolygon(poly);
  }
}

}  // namespace korva::results
