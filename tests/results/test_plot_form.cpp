// The graph window driven as the user would: zooming with the mouse, the legend, the Plot
// menu and its dialogs (answered by the test through the window's hooks), saving a picture
// and printing to PDF.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

#include "data_edit.h"
#include "plot_form.h"

using korva::results::LineColor;
using korva::results::TActiveLinesDialog;
using korva::results::TFloatPoint;
using korva::results::TFloatRect;
using korva::results::TGraphCaptionDialog;
using korva::results::TGraphPlot;
using korva::results::TLineNamesDialog;
using korva::results::TPlotForm;
using korva::results::TSaveAttributesDialog;

namespace {

// `curves` straight curves over x 0..100 and y 0..50 (full range: x 0..100, y 0..50).
void Fill(TGraphPlot& g, int curves = 3) {
  g.Caption = "Skin Friction";
  g.Clear();
  for (int i = 0; i < curves; ++i)
    g.AddLine({}, {{0.0, 0.0}, {50.0, 10.0 + i}, {100.0, 50.0}});
}

QPoint Pixel(const TPlotForm& f, TGraphPlot& g, double x, double y) {
  return korva::results::ToPixel(f.DrawWindow(), g, TFloatPoint{x, y});
}

// The value width of one pixel on each axis of the window's full view.
QPointF PixelSize(const TPlotForm& f, const TGraphPlot& g) {
  const auto& ga = f.DrawWindow().GraphArea;
  const TFloatRect& b = g.View.MaxLogicBounds;
  return {std::fabs(b.Right - b.Left) / ga.Width(), std::fabs(b.Bottom - b.Top) / ga.Height()};
}

void Drag(TPlotForm& f, QPoint from, QPoint to) {
  QTest::mousePress(&f, Qt::LeftButton, {}, from);
  QTest::mouseMove(&f, (from + to) / 2);
  QTest::mouseMove(&f, to);
  QTest::mouseRelease(&f, Qt::LeftButton, {}, to);
}

QStringList LegendTexts(const TPlotForm& f) {
  QStringList texts;
  for (int i = 0; i < f.Legend()->count(); ++i) texts << f.Legend()->item(i)->text();
  return texts;
}

QStringList CurveEntryTexts(const TPlotForm& f) {
  QStringList texts;
  for (QAction* a : f.CurveActions()) texts << a->text();
  return texts;
}

QAction* FindAction(QMenu* menu, const QString& text) {
  for (QAction* a : menu->actions())
    if (a->text() == text) return a;
  return nullptr;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class PlotFormTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TGraphPlot> graph;
  std::unique_ptr<TPlotForm> form;
  QStringList messages;

  // A shown 800 x 600 window on a fresh graph whose messages are collected.
  TPlotForm& Open(int curves = 3, bool yreversed = false) {
    form.reset();
    graph = std::make_unique<TGraphPlot>();
    Fill(*graph, curves);
    graph->Yreversed = yreversed;
    form = std::make_unique<TPlotForm>(*graph);
    form->information = [this](const QString& t) { messages << t; };
    form->resize(800, 600);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) qWarning("window not exposed");
    return *form;
  }

 private slots:
  void init() { messages.clear(); }
  void cleanup() {
    form.reset();
    graph.reset();
  }

  // ---- Zooming ----------------------------------------------------------------------------

  void rubberBandZoom_data() {
    QTest::addColumn<bool>("reversed");
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    // Expected x range left()..right() and y range top()..bottom() (low to high, whatever
    // the axis direction). Ends are checked to one pixel; with exactWidth / exactHeight the
    // span is checked to 1e-9.
    QTest::addColumn<QRectF>("expected");
    QTest::addColumn<bool>("exactWidth");
    QTest::addColumn<bool>("exactHeight");
    QTest::newRow("box") << false << QPointF(60, 30) << QPointF(20, 10)
                         << QRectF(20, 10, 40, 20) << false << false;
    // Narrower than 1/20 of the full x range: exactly 5 wide around the box centre.
    QTest::newRow("narrow") << false << QPointF(49, 10) << QPointF(51, 40)
                            << QRectF(47.5, 10, 5, 30) << true << false;
    // Narrow in y at the lower edge: 2.5 high, shifted up to start at 0.
    QTest::newRow("narrow at edge") << false << QPointF(20, 0) << QPointF(60, 0.5)
                                    << QRectF(20, 0, 40, 2.5) << false << true;
    QTest::newRow("reversed box") << true << QPointF(20, 40) << QPointF(60, 10)
                                  << QRectF(20, 10, 40, 30) << false << false;
    QTest::newRow("reversed narrow at edge") << true << QPointF(99.5, 30) << QPointF(100, 50)
                                             << QRectF(95, 30, 5, 20) << true << false;
  }
  void rubberBandZoom() {
    QFETCH(bool, reversed);
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(QRectF, expected);
    QFETCH(bool, exactWidth);
    QFETCH(bool, exactHeight);
    TPlotForm& f = Open(3, reversed);
    const QPointF px = PixelSize(f, *graph);

    Drag(f, Pixel(f, *graph, from.x(), from.y()), Pixel(f, *graph, to.x(), to.y()));
    const TFloatRect& b = graph->View.LogicBounds;
    // A reversed axis stays reversed: the larger value at the top.
    QCOMPARE(b.Top > b.Bottom, reversed);
    const double ylo = std::min(b.Top, b.Bottom), yhi = std::max(b.Top, b.Bottom);
    const double tx = exactWidth ? 1e-9 : 1.01 * px.x(), ty = exactHeight ? 1e-9 : 1.01 * px.y();
    QVERIFY2(std::fabs(b.Left - expected.left()) <= tx && std::fabs(b.Right - expected.right()) <= tx,
             qPrintable(QString("x %1..%2").arg(b.Left).arg(b.Right)));
    QVERIFY2(std::fabs(ylo - expected.top()) <= ty && std::fabs(yhi - expected.bottom()) <= ty,
             qPrintable(QString("y %1..%2").arg(ylo).arg(yhi)));
    if (exactWidth) QVERIFY(std::fabs((b.Right - b.Left) - expected.width()) < 1e-9);
    if (exactHeight) QVERIFY(std::fabs((yhi - ylo) - expected.height()) < 1e-9);
    // The full range is still the zoom limit.
    QCOMPARE(graph->View.MaxLogicBounds.Top, reversed ? 50.0 : 0.0);
  }

  void zoomWithoutDragOrOutsideDoesNothing() {
    TPlotForm& f = Open();
    const TFloatRect full = graph->View.LogicBounds;
    const QPoint p = Pixel(f, *graph, 50, 25);
    QTest::mouseClick(&f, Qt::LeftButton, {}, p);                  // click
    Drag(f, p, p + QPoint(80, 0));                                 // same y
    Drag(f, QPoint(2, 2), Pixel(f, *graph, 50, 25));               // starts outside the graph
    const TFloatRect& b = graph->View.LogicBounds;
    QCOMPARE(b.Left, full.Left);
    QCOMPARE(b.Right, full.Right);
    QCOMPARE(b.Top, full.Top);
    QCOMPARE(b.Bottom, full.Bottom);
  }

  void zoomReleasedOutsideIsClamped() {
    TPlotForm& f = Open();
    Drag(f, Pixel(f, *graph, 50, 25), QPoint(f.width() - 1, f.height() - 1));
    const TFloatRect& b = graph->View.LogicBounds;
    QCOMPARE(b.Right, 100.0);
    QCOMPARE(b.Bottom, 50.0);
    QVERIFY(std::fabs(b.Left - 50.0) <= PixelSize(f, *graph).x());
  }

  void zoomOutDoublesUntilFullRange_data() {
    QTest::addColumn<bool>("reversed");
    QTest::newRow("normal") << false;
    QTest::newRow("reversed y") << true;
  }
  void zoomOutDoublesUntilFullRange() {
    QFETCH(bool, reversed);
    TPlotForm& f = Open(3, reversed);
    const QPointF px = PixelSize(f, *graph);
    TFloatRect& b = graph->View.LogicBounds;
    b = reversed ? TFloatRect{40, 50, 25, 20} : TFloatRect{40, 50, 20, 25};

    // Range 10 x 5 doubles around the clicked value.
    QTest::mouseClick(&f, Qt::RightButton, {}, Pixel(f, *graph, 45, 22));
    QCOMPARE(b.Top > b.Bottom, reversed);
    QVERIFY(std::fabs(b.Right - b.Left - 20.0) < 1e-9);
    QVERIFY(std::fabs(std::fabs(b.Bottom - b.Top) - 10.0) < 1e-9);
    QVERIFY(std::fabs((b.Left + b.Right) / 2 - 45.0) <= 2 * px.x());
    QVERIFY(std::fabs((b.Top + b.Bottom) / 2 - 22.0) <= 2 * px.y());

    // Near the edge the doubled range is shifted inside the full range.
    QTest::mouseClick(&f, Qt::RightButton, {}, Pixel(f, *graph, b.Right, b.Bottom));
    QVERIFY(std::fabs(b.Right - b.Left - 40.0) < 1e-9);
    QVERIFY(b.Right <= 100.0 && std::min(b.Top, b.Bottom) >= 0.0 && std::max(b.Top, b.Bottom) <= 50.0);

    // A few more clicks reach the full range, and further clicks keep it.
    const QPoint centre = f.DrawWindow().GraphArea.ToQRect().center();
    for (int i = 0; i < 4; ++i) QTest::mouseClick(&f, Qt::RightButton, {}, centre);
    QCOMPARE(b.Left, 0.0);
    QCOMPARE(b.Right, 100.0);
    QCOMPARE(b.Top, reversed ? 50.0 : 0.0);
    QCOMPARE(b.Bottom, reversed ? 0.0 : 50.0);
  }

  void openedInMdiArea() {
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    graph = std::make_unique<TGraphPlot>();
    Fill(*graph);
    TPlotForm* f = TPlotForm::Show(&area, *graph);
    QVERIFY(f);
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QCOMPARE(area.activeSubWindow()->windowTitle(), QString("Skin Friction"));
    // Opened maximised with the legend inside the graph where it hides no curve: not in the
    // lower right corner, where the curves end.
    const auto& ga = f->DrawWindow().GraphArea;
    auto* sub = qobject_cast<QMdiSubWindow*>(f->parentWidget());
    QVERIFY(sub && sub->isMaximized());
    const QRect legend = f->Legend()->geometry();
    QVERIFY(QRect(QPoint(ga.Left, ga.Top), QPoint(ga.Right, ga.Bottom)).contains(legend));
    QCOMPARE(korva::results::HiddenCurvePieces(f->DrawWindow(), *graph, legend), 0);
    QVERIFY(legend.bottomRight() + QPoint(1, 1) != QPoint(ga.Right, ga.Bottom));
    QVERIFY(!f->LegendPlace());
    // Ctrl+Z opens the Plot menu of the active graph window.
    area.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&area));
    QCOMPARE(QApplication::focusWidget(), f);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    QTRY_VERIFY(f->PlotMenu()->isVisible());
    f->PlotMenu()->close();
    // Outside the graph the pointer is clamped to its edge.
    QTest::mouseMove(f, QPoint(1, 1));
    QCOMPARE(f->windowTitle(), QString("Skin Friction X: 0 Y: 0"));
    QTest::mouseMove(f, QPoint(f->width() - 1, f->height() - 1));
    QCOMPARE(f->windowTitle(), QString("Skin Friction X: 100 Y: 50"));
    QCOMPARE(area.activeSubWindow()->windowTitle(), f->windowTitle());
  }

  // ---- Window lifecycle ---------------------------------------------------------------------

  void showReusesWindowAndReopensFresh() {
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    graph = std::make_unique<TGraphPlot>();
    Fill(*graph, 25);
    TGraphPlot other;
    Fill(other);

    TPlotForm* f = TPlotForm::Show(&area, *graph);
    QVERIFY(f);
    auto* sub = qobject_cast<QMdiSubWindow*>(f->parentWidget());
    QCOMPARE(TPlotForm::Show(&area, *graph), f);
    QVERIFY(TPlotForm::Show(&area, other) != f);
    QCOMPARE(area.subWindowList().size(), 2);

    // 25 curves: only the first 20 active, legend and curve entries alike.
    QCOMPARE(f->Legend()->count(), 20);
    QCOMPARE(int(f->CurveActions().size()), 20);
    QVERIFY(graph->Lines(19).Active && !graph->Lines(20).Active);

    // Zoomed, legend hidden, curve 21 activated; then closed and reopened.
    graph->View.LogicBounds = {10, 20, 10, 20};
    f->ToggleLegend();
    graph->Lines(20).Active = true;
    QPointer<QMdiSubWindow> closed = sub;
    sub->close();
    QTRY_VERIFY(closed.isNull());
    f = TPlotForm::Show(&area, *graph);
    QVERIFY(f);
    QCOMPARE(graph->View.LogicBounds.Right, 100.0);      // zoom lost
    QVERIFY(!graph->Lines(20).Active);                    // activation starts over
    QVERIFY(!f->Legend()->isVisibleTo(f));                // the legend stays hidden ...
    QAction* showLegend = FindAction(f->PlotMenu(), "Show &Legend");
    QVERIFY(showLegend && showLegend->isVisible() && !showLegend->isChecked());  // ... and can come back
    showLegend->trigger();
    QVERIFY(f->Legend()->isVisibleTo(f));
  }

  void unusableRangeOpensNoWindow() {
    QMdiArea area;
    graph = std::make_unique<TGraphPlot>();
    graph->AddLine({}, {{0.0, -1e308}, {1.0, 1e308}});  // y span overflows
    QCOMPARE(TPlotForm::Show(&area, *graph), nullptr);
    QVERIFY(area.subWindowList().isEmpty());
  }

  void curvesRemovedUnderOpenWindow() {
    TPlotForm& f = Open();
    graph->SetLineCount(1);
    f.ToggleCurve(2);
    for (QAction* a : f.CurveActions()) a->trigger();
    f.RefreshMenuChecks();
    QVERIFY(!f.grab().isNull());
    f.Rebuild();
    QCOMPARE(f.Legend()->count(), 1);
  }

  // ---- Plot menu -------------------------------------------------------------------------------

  void plotMenuEntries() {
    TPlotForm& f = Open();
    QMenu* menu = f.PlotMenu();
    QCOMPARE(menu->title(), QString("&Plot"));
    f.RefreshMenuChecks();
    QStringList shown;
    for (QAction* a : menu->actions())
      if (a->isVisible()) shown << (a->isSeparator() ? QString("-") : a->text());
    QCOMPARE(shown, QStringList({"Show &Legend", "Show &Markers", "&Font Size", "&Line Width",
                                 "&Graph Title", "&Edit Legend", "&Active Curves", "-",
                                 "&Print...", "P&age Setup", "&Save To Disk...", "-",
                                 "Curve #1", "Curve #2", "Curve #3"}));
    const auto subTexts = [menu](const QString& title) {
      QStringList t;
      for (QAction* a : FindAction(menu, title)->menu()->actions()) t << a->text();
      return t;
    };
    QCOMPARE(subTexts("Show &Markers"),
             QStringList({"&Never", "Every &Increment", "Every &2 Increments",
                          "Every &3 Incrments", "Every &5 Increments", "Every &10 Incements"}));
    QCOMPARE(subTexts("&Font Size"), QStringList({"&Default", "1.5 * Default", "2 * Default",
                                                   "2.5 * Default", "3 * Default", "4 * Default"}));
    QCOMPARE(subTexts("&Line Width"), QStringList({"&Default", "2 * Default", "4 * Default",
                                                    "6 * Default", "10 * Default"}));
    // Print stays usable without a printer (it then writes a PDF file).
    QVERIFY(FindAction(menu, "&Print...")->isEnabled());
    QVERIFY(FindAction(menu, "P&age Setup")->isEnabled());


    // Soil layer only with layers; font size and line width only with ShowFontWidth.
    graph->SetLayerLineCount(1);
    graph->ShowFontWidth = false;
    f.RefreshMenuChecks();
    QVERIFY(FindAction(menu, "Show &Soil Layer")->isVisible());
    QVERIFY(!FindAction(menu, "&Font Size")->isVisible());
    QVERIFY(!FindAction(menu, "&Line Width")->isVisible());
  }

  void displayOptionCommands() {
    TPlotForm& f = Open();
    QMenu* menu = f.PlotMenu();
    const auto sub = [menu](const QString& title, const QString& entry) {
      return FindAction(FindAction(menu, title)->menu(), entry);
    };
    sub("Show &Markers", "Every &5 Increments")->trigger();
    QCOMPARE(graph->Markers, 5);
    QVERIFY(sub("Show &Markers", "Every &5 Increments")->isChecked());
    QVERIFY(!sub("Show &Markers", "Every &Increment")->isChecked());
    sub("&Line Width", "6 * Default")->trigger();
    QCOMPARE(graph->WidthLine, 6);

    // Font size: bigger legend, placed again inside the graph where it hides no curve.
    const int legendHeight = f.Legend()->height();
    f.Legend()->move(0, 0);
    QVERIFY(f.LegendPlace());
    sub("&Font Size", "2 * Default")->trigger();
    QCOMPARE(graph->SizeFont, 20);
    QVERIFY(f.Legend()->height() > legendHeight);
    const auto& ga = f.DrawWindow().GraphArea;
    QVERIFY(!f.LegendPlace());
    QVERIFY(QRect(QPoint(ga.Left, ga.Top), QPoint(ga.Right, ga.Bottom)).contains(f.Legend()->geometry()));
    QCOMPARE(korva::results::HiddenCurvePieces(f.DrawWindow(), *graph, f.Legend()->geometry()), 0);

    FindAction(menu, "Show &Legend")->trigger();
    QVERIFY(!graph->ShowLegend && !f.Legend()->isVisibleTo(&f));
  }

  // ---- Legend ----------------------------------------------------------------------------------

  void legendMarksAndColours() {
    TPlotForm& f = Open();
    QCOMPARE(LegendTexts(f), QStringList({"Curve #1 *", "Curve #2 *", "Curve #3 *"}));
    for (int k = 0; k < 3; ++k)
      QCOMPARE(f.Legend()->item(k)->foreground().color(), LineColor(k));

    // Double-click on the second entry hides curve 2; its menu entry follows.
    QWidget* vp = f.Legend()->viewport();
    QTest::mouseDClick(vp, Qt::LeftButton, {}, f.Legend()->visualItemRect(f.Legend()->item(1)).center());
    QVERIFY(!graph->Lines(1).Visible);
    QCOMPARE(LegendTexts(f), QStringList({"Curve #1 *", "Curve #2", "Curve #3 *"}));
    QVERIFY(!f.CurveActions()[1]->isChecked());
    // The curve entry of the Plot menu shows it again.
    f.CurveActions()[1]->trigger();
    QVERIFY(graph->Lines(1).Visible);
    QCOMPARE(f.Legend()->item(1)->text(), QString("Curve #2 *"));
    QVERIFY(f.CurveActions()[1]->isChecked());
  }

  void legendDragStaysInside() {
    TPlotForm& f = Open();
    QListWidget* legend = f.Legend();
    QWidget* vp = legend->viewport();
    const QPoint grab(5, 5);
    const QPoint start = legend->pos();
    QTest::mousePress(vp, Qt::LeftButton, {}, grab);
    QTest::mouseMove(vp, grab + QPoint(-30, -20));
    QCOMPARE(legend->pos(), start + QPoint(-30, -20));
    QTest::mouseMove(vp, grab + QPoint(5000, 5000));
    QCOMPARE(legend->pos(), QPoint(f.width() - legend->width(), f.height() - legend->height()));
    QTest::mouseMove(vp, vp->mapFrom(&f, QPoint(-5000, -5000)));
    QCOMPARE(legend->pos(), QPoint(0, 0));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, grab);
    // A resize by the user keeps its place as long as it fits.
    f.resize(700, 500);
    QCOMPARE(legend->pos(), QPoint(0, 0));
  }

  // A legend placed by the user keeps its place when its window is deactivated (the MDI
  // area then restores the window to a small size) and activated again, and the print puts
  // the box at the same place of the page; a legend never moved does the same.
  void legendKeepsItsPlaceThroughReactivation() {
    QMdiArea area;
    area.resize(1000, 750);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    graph = std::make_unique<TGraphPlot>();
    Fill(*graph);
    TGraphPlot other;
    Fill(other);
    TPlotForm* f = TPlotForm::Show(&area, *graph);
    QVERIFY(f);
    QTRY_VERIFY(f->width() > 800);
    for (bool moved : {false, true}) {
      if (moved) {
        // Dragged by the user towards the upper right.
        QWidget* vp = f->Legend()->viewport();
        QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(vp, QPoint(5, 5) + QPoint(-100, 40));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(5, 5) + QPoint(-100, 40));
        QVERIFY(f->LegendPlace());
      }
      const QPoint before = f->Legend()->pos();
      const auto place = f->LegendPlace();
      TPlotForm* g = TPlotForm::Show(&area, other);
      QVERIFY(g && g != f);
      QCOMPARE(area.activeSubWindow()->widget(), g);
      QVERIFY(f->width() < 400);  // restored to a small size while inactive
      QCOMPARE(TPlotForm::Show(&area, *graph), f);
      QCOMPARE(area.activeSubWindow()->widget(), f);
      QTRY_VERIFY(f->width() > 800);
      QCOMPARE(f->Legend()->pos(), before);
      QCOMPARE(f->LegendPlace(), place);
    }

    // The printed legend box goes to the same place of the graph area (where it hides
    // no curve there either).
    const QPointF place = *f->LegendPlace();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    korva::results::TDrawArea page = korva::results::PageArea(printer, *graph);
    page.LegendPlace = place;
    QImage scratch(10, 10, QImage::Format_RGB32);
    QPainter p(&scratch);
    const QRect box = korva::results::PrintedLegendRect(p, *graph, page);
    const QPointF printed = korva::results::LegendPlaceOf(page, box.size(), box.topLeft());
    QVERIFY(std::fabs(printed.x() - place.x()) < 0.01 && std::fabs(printed.y() - place.y()) < 0.01);
    QCOMPARE(korva::results::HiddenCurvePieces(page, *graph, box), 0);
  }

  void activeCurvesDialog() {
    TPlotForm& f = Open();
    int shown = 0;
    // Deactivate the middle curve by selecting it and toggling.
    f.execDialog = [&shown](QDialog& d) {
      ++shown;
      auto* dlg = qobject_cast<TActiveLinesDialog*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      if (dlg->List()->item(1)->text() != " yes :    Curve #2") return int(QDialog::Rejected);
      dlg->List()->clearSelection();
      dlg->List()->item(1)->setSelected(true);
      dlg->ToggleSelected();
      return int(QDialog::Accepted);
    };
    f.EditActiveCurves();
    QCOMPARE(shown, 1);
    QVERIFY(!graph->Lines(1).Active);
    QCOMPARE(LegendTexts(f), QStringList({"Curve #1 *", "Curve #3 *"}));
    QCOMPARE(CurveEntryTexts(f), QStringList({"Curve #1", "Curve #3"}));
    QCOMPARE(f.LegendCurves(), std::vector<int>({0, 2}));
    // The later curve takes the next colour (red instead of green).
    QCOMPARE(f.Legend()->item(1)->foreground().color(), LineColor(1));

    // Cancel changes nothing, even after edits in the dialog.
    f.execDialog = [](QDialog& d) {
      qobject_cast<TActiveLinesDialog*>(&d)->SetAll(true);
      return int(QDialog::Rejected);
    };
    f.EditActiveCurves();
    QVERIFY(!graph->Lines(1).Active);
    QCOMPARE(f.Legend()->count(), 2);

    // Row texts, double-click toggling and "Activate All": entries are appended again.
    f.execDialog = [](QDialog& d) {
      auto* dlg = qobject_cast<TActiveLinesDialog*>(&d);
      QListWidget* list = dlg->List();
      dlg->show();
      if (!QTest::qWaitForWindowExposed(dlg)) return int(QDialog::Rejected);
      if (list->item(1)->text() != " no  :    Curve #2") return int(QDialog::Rejected);
      // A double-click as the platform delivers it: press, release, double-click, release.
      const QPoint at = list->visualItemRect(list->item(0)).center();
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
      QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
      if (dlg->Active()[0]) return int(QDialog::Rejected);
      dlg->SetAll(true);
      return int(QDialog::Accepted);
    };
    const int height2 = f.Legend()->height();
    f.EditActiveCurves();
    QCOMPARE(LegendTexts(f), QStringList({"Curve #1 *", "Curve #2 *", "Curve #3 *"}));
    QCOMPARE(CurveEntryTexts(f), QStringList({"Curve #1", "Curve #2", "Curve #3"}));
    QVERIFY(f.Legend()->height() > height2);
  }

  void legendNamesDialog() {
    TPlotForm& f = Open();
    // Curve 1 inactive first: the dialog lists every curve, the legend only the active ones.
    f.execDialog = [](QDialog& d) {
      qobject_cast<TActiveLinesDialog*>(&d)->ToggleRow(0);
      return int(QDialog::Accepted);
    };
    f.EditActiveCurves();
    QCOMPARE(LegendTexts(f), QStringList({"Curve #2 *", "Curve #3 *"}));

    QStringList problems;
    f.execDialog = [&problems](QDialog& d) {
      auto* dlg = qobject_cast<TLineNamesDialog*>(&d);
      QLineEdit* edit = dlg->Edit();
      if (dlg->List()->count() != 3 || edit->text() != "Curve #1") problems << "initial state";
      edit->setText("Pile A & B");
      QTest::keyClick(edit, Qt::Key_Return);  // Enter stores the entry
      dlg->List()->setCurrentRow(2);          // loads entry 3 in its colour
      if (edit->text() != "Curve #3") problems << "selection not loaded";
      if (edit->palette().color(QPalette::Text) != LineColor(2)) problems << "edit colour";
      edit->clear();
      QTest::keyClick(edit, Qt::Key_Return);  // refused: the old name comes back
      if (edit->text() != "Curve #3") problems << "empty name not restored";
      edit->setText("Pile C");
      dlg->List()->setCurrentRow(1);  // leaving the entry stores what was typed
      return int(QDialog::Accepted);
    };
    f.EditLegend();
    QCOMPARE(problems, QStringList());
    QCOMPARE(messages, QStringList({"The line must have a name!"}));
    QCOMPARE(graph->Lines(0).ValueS, std::string("Pile A & B"));
    QCOMPARE(graph->Lines(1).ValueS, std::string("Curve #2"));  // default names become fixed
    QCOMPARE(graph->Lines(2).ValueS, std::string("Pile C"));
    // Legend and menu entries by position among the active curves.
    QCOMPARE(LegendTexts(f), QStringList({"Curve #2 *", "Pile C *"}));
    QCOMPARE(CurveEntryTexts(f), QStringList({"Curve #2", "Pile C"}));

    // OK with an empty edit is refused too; Cancel keeps the names.
    f.execDialog = [](QDialog& d) {
      auto* dlg = qobject_cast<TLineNamesDialog*>(&d);
      dlg->Edit()->clear();
      dlg->accept();
      if (dlg->result() == QDialog::Accepted) return int(QDialog::Accepted);
      dlg->Edit()->setText("Changed");
      dlg->StoreEdit();
      return int(QDialog::Rejected);
    };
    f.EditLegend();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(graph->Lines(0).ValueS, std::string("Pile A & B"));
  }

  void graphTitleDialog() {
    TPlotForm& f = Open();
    const int top = f.DrawWindow().GraphArea.Top;
    f.Legend()->move(10, 10);
    // Taken however the dialog is closed.
    f.execDialog = [](QDialog& d) {
      auto* dlg = qobject_cast<TGraphCaptionDialog*>(&d);
      dlg->Edit()->setText("Pier 3");
      dlg->TopButton()->setChecked(true);
      return int(QDialog::Rejected);
    };
    f.EditGraphTitle();
    QCOMPARE(graph->UserCaption, std::string("Pier 3"));
    QVERIFY(graph->UserCaptionOnTop);
    QVERIFY(f.DrawWindow().GraphArea.Top > top);
    QCOMPARE(f.Legend()->pos(), QPoint(10, 10));  // not anchored again

    bool loaded = false;
    f.execDialog = [&loaded](QDialog& d) {
      auto* dlg = qobject_cast<TGraphCaptionDialog*>(&d);
      loaded = dlg->Edit()->text() == "Pier 3" && dlg->TopButton()->isChecked();
      dlg->Edit()->clear();
      return int(QDialog::Accepted);
    };
    f.EditGraphTitle();
    QVERIFY(loaded);
    QVERIFY(graph->UserCaption.empty());
    QCOMPARE(f.DrawWindow().GraphArea.Top, top);
  }

  // ---- Saving and printing -----------------------------------------------------------------

  void saveToDisk_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("bmp") << "graph.bmp" << "graph.bmp" << QByteArray("bmp");
    QTest::newRow("png") << "graph.png" << "graph.png" << QByteArray("png");
    QTest::newRow("no extension") << "graph" << "graph.bmp" << QByteArray("bmp");
  }
  void saveToDisk() {
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(QByteArray, format);
    TPlotForm& f = Open();
    graph->UserCaption = "Pier 3";
    graph->UserCaptionOnTop = true;
    QTemporaryDir dir;
    f.chooseSaveName = [&](const QString&, const QString& filter, const QString& suffix) {
      return filter.contains("*.bmp") && suffix == "bmp" ? dir.filePath(chosen) : QString();
    };
    bool defaults = false;
    f.execDialog = [&defaults](QDialog& d) {
      auto* dlg = qobject_cast<TSaveAttributesDialog*>(&d);
      defaults = dlg->HeightEdit()->text() == "4" && dlg->WidthEdit()->text() == "6" &&
                 dlg->PixelsPerInchEdit()->text() == "72";
      dlg->HeightEdit()->setText("2.5");
      dlg->WidthEdit()->setText("3");
      dlg->PixelsPerInchEdit()->setText("96");
      dlg->accept();
      return dlg->result();
    };
    f.SaveToDisk();
    QVERIFY(defaults);
    QCOMPARE(messages, QStringList());
    const QString path = dir.filePath(written);
    QCOMPARE(QImageReader(path).format(), format);
    const QImage image(path);
    QCOMPARE(image.size(), QSize(288, 240));
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128;
    QVERIFY2(dark > 200, "nothing drawn");  // frame, captions, curves
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({written}));
  }

  // The picture size is typed into numeric entry fields: an entry that is not whole or
  // out of range gets its message, and OK waits for valid entries.
  void saveAttributeEntries_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    // A value out of range becomes the limit, which OK then takes; other entries stay for
    // correction.
    QTest::newRow("fractional ppi") << "pixelsPerInch" << "72.5" << "Entry must be an integer." << "72.5";
    QTest::newRow("ppi below 10") << "pixelsPerInch" << "5"
                                  << "Entry must be greater than or equal to 10" << "10";
    QTest::newRow("ppi above 2400") << "pixelsPerInch" << "3000"
                                    << "Entry must be less than or equal to 2400" << "2400";
    QTest::newRow("height 1 in") << "height" << "1" << "Entry must be greater than or equal to 2"
                                 << "2";
    QTest::newRow("width a word") << "width" << "wide"
                                  << "Entry could not be evaluated:\ninvalid character(s) in expression"
                                  << "wide";
  }
  void saveAttributeEntries() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, shown);
    TSaveAttributesDialog dlg;
    dlg.information = [this](const QString& t) { messages << t; };
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* edit = dlg.findChild<korva::controls::TDataEdit*>(field);
    QVERIFY(edit);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(messages, QStringList({message}));
    QCOMPARE(edit->text(), shown);
    // OK closes the dialog only once every entry is valid.
    messages.clear();
    dlg.accept();
    const bool clamped = shown != typed;
    QCOMPARE(dlg.result(), int(clamped ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(messages, clamped ? QStringList() : QStringList({message}));
    if (clamped) {
      QCOMPARE(field == "height" ? dlg.Size().HeightInches : double(dlg.Size().PixelsPerInch),
               shown.toDouble());
    }
  }

  void saveAttributeValues() {
    TSaveAttributesDialog dlg;
    dlg.information = [this](const QString& t) { messages << t; };
    QCOMPARE(dlg.Size().HeightInches, 4.0);
    QCOMPARE(dlg.Size().WidthInches, 6.0);
    QCOMPARE(dlg.Size().PixelsPerInch, 72);
    dlg.HeightEdit()->setText("2.25");
    dlg.WidthEdit()->setText("12/5");
    dlg.PixelsPerInchEdit()->setText("150");
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(messages, QStringList());
    QCOMPARE(dlg.WidthEdit()->text(), QString("2.4"));
    const auto size = dlg.Size();
    QCOMPARE(size.HeightInches, 2.25);
    QCOMPARE(size.WidthInches, 2.4);
    QCOMPARE(size.PixelsPerInch, 150);
    // Rounded half to even.
    QCOMPARE((korva::results::TPictureSize{2.25, 2.05, 10}.HeightPixels()), 22);
    QCOMPARE((korva::results::TPictureSize{2.25, 2.35, 10}.WidthPixels()), 24);
  }

  void saveFailuresLeaveFilesAlone() {
    TPlotForm& f = Open();
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.bmp");
    {
      QFile old(path);
      QVERIFY(old.open(QIODevice::WriteOnly));
      old.write("old");
    }
    QVERIFY(!f.SavePicture(path, {100.0, 100.0, 2400}));
    QCOMPARE(messages, QStringList({"There is not enough memory to complete this task."}));
    QVERIFY(!f.SavePicture(dir.filePath("missing/graph.bmp"), {}));
    QCOMPARE(messages.size(), 2);
    f.chooseSaveName = [&path](const QString&, const QString&, const QString&) { return path; };
    f.execDialog = [](QDialog&) { return int(QDialog::Rejected); };
    f.SaveToDisk();
    QCOMPARE(ReadAll(path), QByteArray("old"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"keep.bmp"}));
    // A successful save replaces the file.
    QVERIFY(f.SavePicture(path, {}));
    QCOMPARE(QImage(path).size(), QSize(432, 288));
  }

  void printToPdf() {
    TPlotForm& f = Open();
    QTemporaryDir dir;
    const QString path = dir.filePath("graph.pdf");
    {
      QFile old(path);
      QVERIFY(old.open(QIODevice::WriteOnly));
      old.write("old");
    }
    // No printer installed: a PDF file is chosen in a save dialog instead.
    f.printersInstalled = [] { return false; };
    bool printDialogShown = false;
    f.printDialog = [&printDialogShown](QPrinter&) { return printDialogShown = true; };
    QString chosen = dir.filePath("graph");
    f.chooseSaveName = [&chosen](const QString&, const QString&, const QString& suffix) {
      return suffix == "pdf" ? chosen : QString();
    };
    f.Print();
    QVERIFY(!printDialogShown);
    QCOMPARE(messages, QStringList());
    const QByteArray pdf = ReadAll(path);
    QVERIFY(pdf.startsWith("%PDF") && pdf.size() > 1000);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"graph.pdf"}));
    QCOMPARE(f.Printer().docName(), QString("Skin Friction"));
    const QMarginsF m = f.Printer().pageLayout().margins(QPageLayout::Inch);
    QVERIFY(qFuzzyCompare(m.left(), 1.0) && qFuzzyCompare(m.top(), 1.0) &&
            qFuzzyCompare(m.right(), 1.0) && qFuzzyCompare(m.bottom(), 1.0));

    // Cancelled: nothing written. A missing folder: a message.
    chosen.clear();
    f.Print();
    chosen = dir.filePath("missing/graph.pdf");
    f.Print();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(ReadAll(path), pdf);

    // With a printer the print dialog decides (here: a PDF file).
    f.printersInstalled = [] { return true; };
    const QString other = dir.filePath("other.pdf");
    f.printDialog = [&other](QPrinter& p) {
      p.setOutputFormat(QPrinter::PdfFormat);
      p.setOutputFileName(other);
      return true;
    };
    f.Print();
    QVERIFY(ReadAll(other).startsWith("%PDF"));
  }
};

QTEST_MAIN(PlotFormTest)
#include "test_plot_form.moc"
