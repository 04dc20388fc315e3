// The elevation view (geometry, fit to the window, blank on bad extents, read-out, printing
// to PDF) and the combined plots (diagram geometry, size factor steps, the dialog).
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cmath>
#include <memory>

#include "combined_plots.h"
#include "elevation_view.h"
#include "program_data.h"
#include "project_tables.h"

using namespace korva::results;
using korva::project::kColDepthBottom;
using korva::project::kColSoilType;
using korva::project::Project;

namespace {

struct Layer {
  int code;
  double bottom;
};

// A project with shaft diameter d, base ratio, bell angle, length pd and the given layers.
std::unique_ptr<Project> MakeProject(double d, double ratio, double angle, double pd,
                                     std::vector<Layer> layers) {
  auto p = std::make_unique<Project>();
  p->data.DSTART = d;
  p->data.RATIO = ratio;
  p->data.BELANGL = angle;
  p->data.PD = pd;
  auto& D = p->tables.D;
  D.SetRowCount(static_cast<int>(layers.size()));
  for (int r = 0; r < static_cast<int>(layers.size()); ++r) {
    D.SetIntValue(kColSoilType, r, layers[r].code);
    D.SetFloatValue(kColDepthBottom, r, layers[r].bottom);
  }
  return p;
}

bool Near(double a, double b, double tol = 1e-9) { return std::fabs(a - b) <= tol; }

// Equal model-unit length horizontally and vertically.
bool EqualScales(const TSideExtent& e, int w, int h) {
  return Near((e.Right - e.Left) / w, (e.Bottom - e.Top) / h, 1e-9);
}

// Skin friction, tip resistance, total capacity against depth.
TGraphPlot CombinedGraph() {
  TGraphPlot g;
  g.AddLine("Skin", {{0, 0}, {50, 10}, {100, 20}});
  g.AddLine("Tip", {{0, 0}, {20, 10}, {-200, 20}});
  g.AddLine("Total", {{0, 0}, {70, 10}, {-100, 20}});
  return g;
}

}  // namespace

class ViewsTest : public QObject {
  Q_OBJECT

 private slots:
  // ---- Elevation view geometry ----

  void bellStartAndEnd() {
    // D 3, RATIO 2, 45 degrees: the bell widens from 3 to 6 over about 1.5.
    auto p = MakeProject(3, 2, 45, 20, {{1, 10}, {2, 30}});
    const TSideGeometry g = BuildSideGeometry(*p);
    QCOMPARE(g.Data.size(), std::size_t(2));
    QVERIFY(g.HasBell);
    const double a = 45 * 3.1416 / 180;
    QVERIFY(Near(g.BellEnd, 26.0));
    QVERIFY(Near(g.BellStart, 26.0 - 1.5 * std::cos(a) / std::sin(a)));
    QVERIFY(Near(g.BellStart, 24.5, 1e-4));
    const TSideQuad& bell = g.Data[1];
    QVERIFY(Near(bell.TopLeft.x, -1.5) && Near(bell.TopRight.x, 1.5));
    QVERIFY(Near(bell.BottomLeft.x, -3) && Near(bell.BottomRight.x, 3));
    QVERIFY(Near(bell.TopLeft.y, g.BellStart) && Near(bell.BottomRight.y, 26));
  }

  void straightShaftAndExtents() {
    struct Case {
      const char* name;
      double angle, pd, lastDepth;
      std::size_t quads;
      double left, right, bottom;
    };
    const Case cases[] = {
        // The last layer deeper than the shaft tip: the extent reaches its lower boundary.
        {"bell, deep layer", 45, 20, 30, 2, -3, 3, 36},
        // The shaft tip (PD + 2D) below the last layer.
        {"straight, deep shaft", 0, 20, 15, 1, -1.5, 1.5, 26},
        // PD 0 takes the last layer's depth.
        {"straight, PD from layers", 0, 0, 12, 1, -1.5, 1.5, 18},
    };
    for (const Case& c : cases) {
      auto p = MakeProject(3, 2, c.angle, c.pd, {{1, 5}, {3, c.lastDepth}});
      const TSideGeometry g = BuildSideGeometry(*p);
      QVERIFY2(g.Data.size() == c.quads, c.name);
      QVERIFY2(g.HasBell == (c.angle > 0), c.name);
      QVERIFY2(Near(g.DLeft, c.left) && Near(g.DRight, c.right), c.name);
      QVERIFY2(Near(g.DTop, 0) && Near(g.DBottom, c.bottom), c.name);
    }
    auto p = MakeProject(3, 1, 0, 0, {{1, 12}});
    BuildSideGeometry(*p);
    QCOMPARE(p->data.PD, 12.0);
  }

  void fitScale() {
    auto p = MakeProject(3, 2, 45, 20, {{1, 10}, {2, 30}});  // extent 6 wide, 36 high
    const TSideGeometry g = BuildSideGeometry(*p);
    // Wide window: the horizontal range widens about the axis.
    TSideExtent e = FitSideExtent(g, 632, 422);
    QVERIFY(!e.NoDraw);
    QVERIFY(Near(e.Scale, (632.0 / 422) / (6.0 / 36)));
    QVERIFY(Near(e.Left, -3 * e.Scale) && Near(e.Right, 3 * e.Scale));
    QVERIFY(Near(e.Top, 0) && Near(e.Bottom, 36));
    QVERIFY(EqualScales(e, 632, 422));
    // Tall narrow window: the vertical range widens instead.
    e = FitSideExtent(g, 50, 400);
    QVERIFY(!e.NoDraw);
    QVERIFY(e.Scale < 1);
    QVERIFY(Near(e.Left, -3) && Near(e.Right, 3));
    QVERIFY(Near(e.Bottom, 48));
    QVERIFY(EqualScales(e, 50, 400));
  }

  void noDrawOnDegenerateExtent() {
    struct Case {
      const char* name;
      double d;
      int w, h;
    };
    const Case cases[] = {
        {"zero diameter", 0, 632, 422},
        {"zero height window", 3, 632, 0},
        {"zero width window", 3, 0, 422},
    };
    for (const Case& c : cases) {
      auto p = MakeProject(c.d, 1, 0, 20, {{1, 30}});
      QVERIFY2(FitSideExtent(BuildSideGeometry(*p), c.w, c.h).NoDraw, c.name);
    }
    // All zero: no length, no layer depth.
    auto flat = MakeProject(0, 0, 0, 0, {{1, 0}});
    QVERIFY(FitSideExtent(BuildSideGeometry(*flat), 632, 422).NoDraw);

    // The window stays blank (and paints without trouble) even after the data are fixed.
    auto p = MakeProject(0, 1, 0, 20, {{1, 30}});
    TDlgSideView view(*p);
    QVERIFY(view.NoDraw());
    view.grab();
    p->data.DSTART = 3;
    view.Rebuild();
    QVERIFY(view.NoDraw());

    // A client area without height blanks the window only until it has a size again.
    auto ok = MakeProject(3, 1, 0, 20, {{1, 30}});
    TDlgSideView sized(*ok);
    sized.setMinimumSize(0, 0);
    sized.resize(632, 0);
    sized.Layout();
    QVERIFY(sized.NoDraw());
    sized.resize(632, 422);
    sized.Layout();
    QVERIFY(!sized.NoDraw());

    // Without layers there is nothing to draw, and nothing breaks.
    auto empty = MakeProject(3, 1, 0, 20, {});
    TDlgSideView blank(*empty);
    QVERIFY(blank.Geometry().Empty());
    QVERIFY(blank.Geometry().Data.empty());
    blank.grab();
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), QPointF(10, 10), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&blank, &move);
    QCOMPARE(blank.windowTitle(), QStringLiteral("Elevation View"));
  }

  void layerLabels() {
    struct Case {
      int code;
      bool page;
      const char* text;
    };
    const Case cases[] = {
        {1, false, "depth= 0 - 12.5; Sand"},      {2, true, "depth= 0 - 12.5; Clay"},
        {3, false, "depth= 0 - 12.5; Shale"},     {3, true, "depth= 0 - 12.5; Shale"},
        {6, false, "depth= 0 - 12.5; Weak Rock"}, {6, true, "depth= 0 - 12.5; Soft Rock"},
        {7, false, "depth= 0 - 12.5; Strong Rock"}, {8, false, "depth= 0 - 12.5; Gravelly Sand"},
        {9, true, "depth= 0 - 12.5; Gravel"},     {0, false, ""},
        {12, true, ""},
    };
    for (const Case& c : cases)
      QCOMPARE(SideLayerLabel({c.code, 0, 12.5}, c.page), QString::fromUtf8(c.text));
    QVERIFY(SideLabelBelowTop(1) && SideLabelBelowTop(9) && !SideLabelBelowTop(4));
  }

  void depthReadOutAndSingleWindow() {
    auto p = MakeProject(3, 2, 45, 20, {{1, 10}, {2, 30}});
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    TDlgSideView* view = TDlgSideView::Show(&area, *p);
    QVERIFY(view);
    QCOMPARE(TDlgSideView::Show(&area, *p), view);
    QCOMPARE(area.subWindowList().size(), qsizetype(1));
    QCOMPARE(TDlgSideView::Find(&area), view);
    QVERIFY(!view->NoDraw());
    QVERIFY(view->height() > 100);

    // The row of the ground surface reads depth 0, the bell's lower edge depth PD.
    const int groundRow = view->ToPixel(0, 6).y();
    QVERIFY(std::fabs(view->DepthAtRow(groundRow)) < 0.2);
    const int tipRow = view->ToPixel(0, 26).y();
    QMouseEvent move(QEvent::MouseMove, QPointF(5, tipRow), QPointF(5, tipRow), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QVERIFY2(view->windowTitle().endsWith(QStringLiteral("  Depth: 20.0")),
             qPrintable(view->windowTitle()));
  }

  void printToPdf() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto p = MakeProject(3, 2, 45, 20, {{1, 10}, {5, 30}});
    TDlgSideView view(*p);
    QString asked;
    view.printersInstalled = [] { return false; };
    view.printDialog = [](QPrinter&) {
      qFatal("the print dialog must not open without a printer");
      return false;
    };
    view.chooseSaveName = [&](const QString& title, const QString&) {
      asked = title;
      return dir.filePath(QStringLiteral("profile"));
    };
    view.information = [](const QString& m) { QFAIL(qPrintable(m)); };
    view.Print();
    QVERIFY(!asked.isEmpty());
    QFile pdf(dir.filePath(QStringLiteral("profile.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    QVERIFY(pdf.size() > 1000);

    // A blank view has nothing to print: a message, no file.
    auto bad = MakeProject(0, 1, 0, 20, {{1, 30}});
    TDlgSideView blank(*bad);
    QString message;
    blank.information = [&](const QString& m) { message = m; };
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("blank.pdf")));
    QVERIFY(!blank.PrintOn(printer));
    QVERIFY(!message.isEmpty());
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("blank.pdf"))));
  }

  void axisFollowsTheDrawing() {
    // Depths from the ground to the bottom of the drawing; with elevations, the elevations of
    // the same range (not from 0), and the water line at its depth.
    struct Case {
      const char* name;
      int useElevation;
      double valElevation, wtd;
      const char* title;
    };
    const Case cases[] = {
        {"depth", 0, 0, 15, "Depth (ft)"},
        {"elevation", 1, 250, 15, "Elevation (ft)"},
        {"negative elevation", 1, -42.5, 0, "Elevation (ft)"},
    };
    for (const Case& c : cases) {
      auto p = MakeProject(3, 2, 45, 60, {{2, 30}, {1, 80}});
      p->data.UseElevation = c.useElevation;
      p->data.ValElevation = c.valElevation;
      p->data.WTD = c.wtd;
      TDlgSideView view(*p);
      const TSidePicture& pic = view.Picture();
      QVERIFY2(!pic.Empty(), c.name);
      QCOMPARE(pic.AxisTitle.Text, QString::fromUtf8(c.title));
      QVERIFY2(pic.Ticks.size() >= 3, c.name);
      const double top = c.useElevation ? c.valElevation : 0.0;  // at the ground
      const double bottom = c.useElevation ? c.valElevation - 80 : 80.0;
      const double lo = std::min(top, bottom), hi = std::max(top, bottom);
      double seenLo = hi, seenHi = lo;
      int lastRow = -1;
      for (const TSideTick& t : pic.Ticks) {
        QVERIFY2(t.Value >= lo - 1e-9 && t.Value <= hi + 1e-9, c.name);
        QVERIFY2(Near(t.Depth, c.useElevation ? c.valElevation - t.Value : t.Value), c.name);
        QVERIFY2(t.Row > lastRow && t.Row >= pic.Plot.top() && t.Row <= pic.Plot.bottom(), c.name);
        QCOMPARE(t.Row, view.ToPixel(0, t.Depth + 6).y());
        lastRow = t.Row;
        seenLo = std::min(seenLo, t.Value);
        seenHi = std::max(seenHi, t.Value);
      }
      QVERIFY2(seenHi - seenLo >= 0.75 * (hi - lo), c.name);
      QVERIFY2(pic.HasWater && pic.WaterRow == view.ToPixel(0, c.wtd + 6).y(), c.name);
      QVERIFY2(pic.WaterLabel.Text.contains(QStringLiteral("Water Table")), c.name);
    }
    // No water line below the drawing or for a value that is no depth.
    for (double wtd : {200.0, -1.0, double(NAN)}) {
      auto p = MakeProject(3, 1, 0, 60, {{2, 30}, {1, 80}});
      p->data.WTD = wtd;
      TDlgSideView view(*p);
      QVERIFY(!view.Picture().HasWater);
    }
  }

  void controlsAndLabelsStayClear() {
    // Every layer named with its depths beside the shaft, clear of the controls and of one
    // another, in a default, a narrow and a large window; a short one shows what fits.
    auto p = MakeProject(3, 2, 30, 60, {{2, 12}, {8, 25}, {1, 40}, {6, 55}, {4, 70}});
    TDlgSideView view(*p);
    const QSize sizes[] = {{632, 422}, {260, 420}, {240, 180}, {1200, 800}};
    for (const QSize& size : sizes) {
      const QString at = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
      view.resize(size);
      view.Layout();
      const QRect area = view.PictureArea();
      const TSidePicture& pic = view.Picture();
      QVERIFY2(!pic.Empty(), qPrintable(at));
      for (QWidget* w : {static_cast<QWidget*>(view.Caption()), static_cast<QWidget*>(view.PrintButton())}) {
        QVERIFY2(view.rect().contains(w->geometry()), qPrintable(at));
        QVERIFY2(!w->geometry().intersects(area), qPrintable(at));
      }
      QVERIFY(!view.Caption()->geometry().intersects(view.PrintButton()->geometry()));
      QCOMPARE(pic.Bands.size(), std::size_t(5));
      std::vector<QRect> labels;
      for (std::size_t i = 0; i < pic.Bands.size(); ++i) {
        const TSideBand& b = pic.Bands[i];
        QString text;
        for (const TSideText& t : b.Label) {
          text += t.Text + QLatin1Char(' ');
          labels.push_back(t.Rect);
          // Beside the shaft, inside the drawing.
          QVERIFY2(t.Rect.right() < pic.ShaftLeft || t.Rect.left() > pic.ShaftRight, qPrintable(at));
          QVERIFY2(pic.Plot.contains(t.Rect), qPrintable(at));
          QVERIFY2(QFontMetrics(pic.Font).horizontalAdvance(t.Text) <= t.Rect.width(), qPrintable(at));
        }
        const TSideLayer& layer = view.Geometry().Layers[i];
        if (size.height() < 400) {
          // A short window leaves out the labels with no room left below the others.
        } else if (size.width() >= 632) {
          QCOMPARE(text.trimmed(), SideLayerLabel(layer, false));
        } else {
          QVERIFY2(text.contains(QStringLiteral("depth= %1 - %2").arg(layer.DepthTop).arg(layer.DepthBottom)),
                   qPrintable(at + QStringLiteral(": ") + text));
        }
      }
      for (std::size_t i = 0; i < labels.size(); ++i)
        for (std::size_t j = i + 1; j < labels.size(); ++j)
          QVERIFY2(!labels[i].intersects(labels[j]), qPrintable(at));
      for (const TSideText& t : pic.Texts()) QVERIFY2(area.contains(t.Rect), qPrintable(at + t.Text));
      view.grab();  // paints without trouble
    }
  }

  void printedPageIsCleanAndToScale() {
    auto p = MakeProject(3, 2, 45, 60, {{2, 30}, {1, 80}});
    p->data.WTD = 15;
    p->data.Title = "Example 1";
    TDlgSideView view(*p);
    // An A4 landscape page at 96 dpi, first painted red to see what the page covers.
    QImage img(1123, 794, QImage::Format_RGB32);
    img.setDotsPerMeterX(3780);
    img.setDotsPerMeterY(3780);
    img.fill(Qt::red);
    TSidePicture pic;
    {
      QPainter painter(&img);
      pic = view.DrawPage(painter, img.rect());
    }
    QVERIFY(!pic.Empty());
    for (QPoint at : {QPoint(2, 2), QPoint(1120, 2), QPoint(2, 791), QPoint(1120, 791), QPoint(560, 10)})
      QCOMPARE(img.pixelColor(at), QColor(Qt::white));
    // Legible on paper: texts at least 1/45 of the page height, inside the page.
    QVERIFY2(pic.TextHeight * 45 >= img.height(), qPrintable(QString::number(pic.TextHeight)));
    QCOMPARE(pic.Header.front().Text, QStringLiteral("Soil-Pile Profile"));
    QCOMPARE(pic.Header[1].Text, QStringLiteral("Example 1"));
    for (const TSideText& t : pic.Texts()) QVERIFY2(img.rect().contains(t.Rect), qPrintable(t.Text));
    QCOMPARE(pic.Bands[0].Label.front().Text, QStringLiteral("depth= 0 - 30; Clay"));
    // Ground strokes of a visible size, clear of the shaft.
    QVERIFY(pic.Hatch.size() >= 10);
    for (const QLine& l : pic.Hatch) {
      QVERIFY(l.dx() * 150 >= img.height() && l.dy() > 0);
      QVERIFY(l.x2() < pic.ShaftLeft || l.x1() > pic.ShaftRight);
    }
    // To scale: the stem is D wide and the bell RATIO times that, at the vertical scale.
    const double rowsPerUnit = pic.Plot.height() / (pic.Extent.Bottom - pic.Extent.Top);
    const QRect stem = pic.Shaft[0].boundingRect();
    const QRect bell = pic.Shaft[1].boundingRect();
    QVERIFY(std::abs(stem.width() - 3 * rowsPerUnit) <= 2);
    QVERIFY(std::abs(bell.width() - 6 * rowsPerUnit) <= 2);
    QVERIFY(std::abs(stem.height() - 66 * rowsPerUnit) <= 2);
    // Shaft black, soil bands tinted, the water line drawn.
    const QPoint mid = stem.center();
    QCOMPARE(img.pixelColor(mid), QColor(Qt::black));
    QCOMPARE(img.pixelColor(pic.Plot.right() - 3, pic.Bands[1].Band.center().y()), pic.Bands[1].Color);
    QVERIFY(pic.HasWater);

    // On a high-resolution printer the text keeps its size relative to the page.
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter(&printer);
    const QRect page(0, 0, printer.width(), printer.height());
    const TSidePicture printed = view.DrawPage(painter, page);
    painter.end();
    QVERIFY(printed.TextHeight * 45 >= page.height());
    QVERIFY(printed.Line * 800 >= page.height());
  }

  // ---- Combined plots ----

  void sizeFactorSteps() {
    struct Case {
      double from;
      bool up;
      double to;
    };
    const Case cases[] = {
        {10, true, 20},   {10, false, 9},   {1, true, 2},      {1, false, 0.9},
        {9, true, 10},    {2.5, true, 3},   {0.3, true, 0.4},  {0.1, false, 0.09},
        {1000, true, 2000}, {0.001, false, 0.0009},
        {0, true, 1},     {0, false, 1},    {-4, true, 1},     {NAN, false, 1},
    };
    for (const Case& c : cases) {
      const double got = SizeFactorStep(c.from, c.up);
      QVERIFY2(Near(got, c.to, 1e-12 * std::max(1.0, c.to)),
               qPrintable(QStringLiteral("%1 %2 -> %3").arg(c.from).arg(c.up ? "up" : "down").arg(got)));
    }
    // Shown in the edit without rounding noise.
    QCOMPARE(SizeFactorText(SizeFactorStep(0.2, true)), std::string("0.3"));
    QCOMPARE(SizeFactorText(SizeFactorStep(1, false)), std::string("0.9"));
    QCOMPARE(ParseSizeFactor(" 2.5 "), std::optional<double>(2.5));
    QVERIFY(!ParseSizeFactor("abc") && !ParseSizeFactor("2x") && !ParseSizeFactor(""));
  }

  void factorDialog() {
    TCombinedPlotFlags flags;
    flags.UltimateEffectsFactor = 10;
    int changes = 0;
    TDlgPileDiagrams dlg(flags, [&] { ++changes; });
    dlg.setAttribute(Qt::WA_DeleteOnClose, false);
    QStringList messages;
    dlg.information = [&](const QString& m) { messages << m; };

    // Everything but "Show Plots" and "Close" follows "Show Plots".
    QVERIFY(!dlg.FactorEdit()->isEnabled() && !dlg.SkinFriction()->isEnabled());
    dlg.ShowPlots()->setChecked(true);
    QVERIFY(flags.ShowUltimateEffects && dlg.FactorEdit()->isEnabled());
    QCOMPARE(changes, 1);

    dlg.UpButton()->click();
    QCOMPARE(flags.UltimateEffectsFactor, 20.0);
    QCOMPARE(dlg.FactorEdit()->text(), QStringLiteral("20"));
    dlg.DownButton()->click();
    dlg.DownButton()->click();
    QCOMPARE(dlg.FactorEdit()->text(), QStringLiteral("9"));

    // Not a number: refused with a message, the factor and its text kept.
    dlg.FactorEdit()->setText(QStringLiteral("abc"));
    QVERIFY(!dlg.TakeFactorText(false));
    QVERIFY(messages.isEmpty());
    QVERIFY(!dlg.TakeFactorText(true));
    QCOMPARE(messages.size(), qsizetype(1));
    QVERIFY(messages.first().contains(QStringLiteral("abc")));
    QCOMPARE(flags.UltimateEffectsFactor, 9.0);
    QCOMPARE(dlg.FactorEdit()->text(), QStringLiteral("9"));
    // Empty: ignored silently.
    dlg.FactorEdit()->clear();
    QVERIFY(!dlg.TakeFactorText(true));
    QCOMPARE(messages.size(), qsizetype(1));
    dlg.FactorEdit()->setText(QStringLiteral("2.5"));
    QVERIFY(dlg.TakeFactorText(true));
    QCOMPARE(flags.UltimateEffectsFactor, 2.5);

    dlg.DesignButton()->setChecked(true);
    QCOMPARE(flags.ShowUltimateResults, 1);
    TGraphCatalogue catalogue;
    QCOMPARE(&CombinedSource(catalogue, flags), &catalogue[kPltCombineD]);
    flags.ShowUltimateResults = 0;
    QCOMPARE(&CombinedSource(catalogue, flags), &catalogue[kPltCombine]);

    // Placed at three quarters across, kept inside the main window's right and bottom edge.
    QCOMPARE(PileDiagramsPosition(QRect(0, 0, 1000, 800), QSize(200, 300)), QPoint(650, 250));
    QCOMPARE(PileDiagramsPosition(QRect(0, 0, 300, 200), QSize(200, 300)), QPoint(100, -100));
  }

  void diagramGeometryAndMaximumLabels() {
    const TGraphPlot g = CombinedGraph();
    korva::project::TProgramData data;
    data.DSTART = 2;
    TCombinedPlotFlags flags;
    flags.ShowUltimateEffectsValues = true;

    const TCombinedDiagrams d = BuildCombinedDiagrams(g, data, flags);
    QCOMPARE(d.MaxAbs, 200.0);  // the tip's -200: largest magnitude over all three curves
    QCOMPARE(d.Width, 4.0);     // 2 * D * factor
    QCOMPARE(d.Strips.size(), std::size_t(6));  // two pairs per curve
    // The skin's second pair (50 at 10, 100 at 20), the last one, closed back to the base.
    const TDiagramStrip& s = d.Strips[1];
    QCOMPARE(s.Curve, int(kSkinFriction));
    QCOMPARE(s.Points.size(), std::size_t(5));
    const double want[5][3] = {{2, 0, -20}, {2, 0, -10}, {3, 0, -10}, {4, 0, -20}, {2, 0, -20}};
    for (int i = 0; i < 5; ++i)
      QVERIFY(Near(s.Points[i].x, want[i][0]) && s.Points[i].y == 0 && Near(s.Points[i].z, want[i][2]));
    QCOMPARE(d.Strips[0].Points.size(), std::size_t(4));
    QCOMPARE(d.Strips[2].Color.g, 255);

    // Labels: each curve's own largest |x| (first on ties), sign kept, beside the diagram.
    QCOMPARE(d.Labels.size(), std::size_t(3));
    QCOMPARE(d.Labels[0].Value, 100.0);
    QVERIFY(Near(d.Labels[0].At.x, 3 + 100.0 / 200 * 4) && Near(d.Labels[0].At.z, -20));
    QCOMPARE(d.Labels[1].Value, -200.0);
    QCOMPARE(d.Labels[1].Text, std::string("-200.000"));
    QCOMPARE(d.Labels[2].Value, -100.0);  // ties with nothing before it: 70 < 100
    QVERIFY(Near(d.Labels[2].At.x, 3 - 2));

    // Factor 2 doubles the width; BS lifts the depths (never above 0); hidden curves vanish.
    flags.UltimateEffectsFactor = 2;
    flags.ShowTipResistance = false;
    flags.ShowUltimateEffectsValues = false;
    data.BS = 15;
    const TCombinedDiagrams e = BuildCombinedDiagrams(g, data, flags);
    QCOMPARE(e.Width, 8.0);
    QCOMPARE(e.MaxAbs, 200.0);  // hidden curves still set the scale
    QCOMPARE(e.Strips.size(), std::size_t(4));
    QVERIFY(e.Labels.empty());
    QVERIFY(Near(e.Strips[0].Points[1].z, 0) && Near(e.Strips[0].Points[0].z, 0));
    QVERIFY(Near(e.Strips[1].Points[3].x, 2 + 100.0 / 200 * 8) && Near(e.Strips[1].Points[3].z, -5));

    // A factor of 0 is taken as 1.
    flags.UltimateEffectsFactor = 0;
    QCOMPARE(BuildCombinedDiagrams(g, data, flags).Width, 4.0);
  }

  void diagramEdgeCases() {
    korva::project::TProgramData data;
    data.DSTART = 2;
    TCombinedPlotFlags flags;
    flags.ShowUltimateEffectsValues = true;
    TGraphPlot zero;
    zero.AddLine("Skin", {{0, 0}, {0, 10}});
    zero.AddLine("Tip", {{0, 0}, {0, 10}});
    zero.AddLine("Total", {{0, 0}, {0, 10}});
    QVERIFY(BuildCombinedDiagrams(zero, data, flags).Empty());
    QVERIFY(BuildCombinedDiagrams(TGraphPlot{}, data, flags).Empty());
    // A single curve of one point: a label, no strip.
    TGraphPlot one;
    one.AddLine("Skin", {{5, 3}});
    const TCombinedDiagrams d = BuildCombinedDiagrams(one, data, flags);
    QVERIFY(d.Strips.empty());
    QCOMPARE(d.Labels.size(), std::size_t(1));
    // Zero diameter: flat diagrams, no division by zero.
    data.DSTART = 0;
    for (const TDiagramStrip& s : BuildCombinedDiagrams(CombinedGraph(), data, flags).Strips)
      for (const TWorldPoint& p : s.Points) QVERIFY(std::isfinite(p.x) && p.x == 0);
  }

  void labelFormat() {
    const std::pair<double, const char*> cases[] = {
        {0, "0.000E+00"},        {123456, "1.235E+05"}, {100000, "1.000E+05"},
        {99999.5, "99999.500"},  {12.5, "12.500"},      {0.001, "1.000E-03"},
        {-0.0015, "-0.002"},     {-250000, "-2.500E+05"},
    };
    for (const auto& [v, text] : cases) QCOMPARE(DiagramLabelText(v), std::string(text));
  }
};

QTEST_MAIN(ViewsTest)
#include "test_views.moc"
