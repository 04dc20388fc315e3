// The 3-D view: scene geometry and navigation (no display needed), the placeholder shown
// without OpenGL, and one rendering check that runs only on a real X display (xvfb-run).
#include <QApplication>
#include <QCheckBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QWheelEvent>
#include <QOpenGLWidget>
#include <QtTest>

#include <cmath>

#include "graph_catalogue.h"
#include "program_data.h"
#include "view3d.h"

using namespace korva::results;
namespace kp = korva::project;

namespace {

TSceneInput Input(double D, double pd, std::vector<TLayerInput> layers, double wtd = 0) {
  TSceneInput in;
  in.D = D;
  in.pd = pd;
  in.wtd = wtd;
  in.layers = std::move(layers);
  return in;
}

TVec3 Minus(TVec3 a, TVec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
TVec3 CrossP(TVec3 a, TVec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double DotP(TVec3 a, TVec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

void SetLayers(kp::Project& p, const std::vector<std::pair<int, double>>& layers) {
  auto& d = p.tables.D;
  d.SetRowCount(static_cast<int>(layers.size()));
  for (int r = 0; r < d.RowCount(); ++r) {
    d.Columns(kp::kColSoilType).SetIntValue(r, layers[r].first);
    d.Columns(kp::kColDepthBottom).SetFloatValue(r, layers[r].second);
  }
}

// A 2 ft shaft of 20 ft in sand over clay (10 and 30 ft), water at 6 ft.
void SetTwoLayerShaft(kp::Project& p) {
  p.data.DSTART = 2;
  p.data.PD = 20;
  p.data.WTD = 6;
  SetLayers(p, {{1, 10}, {2, 30}});
}

bool Platform(const char* name) { return QGuiApplication::platformName() == name; }

}  // namespace

class TestView3d : public QObject {
  Q_OBJECT

 private slots:
  void extents_data();
  void extents();
  void shaftZones();
  void fitScaleAndZoom();
  void labelsAndColours();
  void soilAndWaterScene();
  void filledFacesPointOutward();
  void navigation();
  void sceneFromProject();
  void placeholderWithoutOpenGL();
  void menuAndMouseButtons();
  void combinedPlotsBesideShaft();
  void glRendersScene();
  void glSceneSurvivesMinimiseAndOtherChild();
  void wheelZooms();
};

void TestView3d::extents_data() {
  QTest::addColumn<int>("method");
  QTest::addColumn<double>("pd");
  QTest::addColumn<double>("wtd");
  QTest::addColumn<double>("L");
  QTest::addColumn<double>("hx");
  QTest::addColumn<double>("zmax");
  QTest::addColumn<double>("E");
  // D = 2, layers down to 10 and 40.
  QTest::newRow("shaft above last layer") << 2 << 30.0 << 5.0 << 30.0 << 25.0 << 40.0 << 80.0;
  QTest::newRow("shaft below last layer") << 2 << 60.0 << 5.0 << 60.0 << 25.0 << 60.0 << 120.0;
  QTest::newRow("method 1 uses last layer") << 1 << 60.0 << 5.0 << 40.0 << 25.0 << 40.0 << 80.0;
  // A water table deeper than the blocks widens the plan (hx = max(12.5 D, WTD)).
  QTest::newRow("water below last layer") << 2 << 30.0 << 200.0 << 30.0 << 200.0 << 40.0 << 200.0;
}

void TestView3d::extents() {
  QFETCH(int, method);
  QFETCH(double, pd);
  QFETCH(double, wtd);
  QFETCH(double, L);
  QFETCH(double, hx);
  QFETCH(double, zmax);
  QFETCH(double, E);
  TSceneInput in = Input(2, pd, {{1, 10}, {2, 40}}, wtd);
  in.method = method;
  const TSceneExtents e = ComputeExtents(in);
  QCOMPARE(e.shaftLength, L);
  QCOMPARE(e.hx, hx);
  QCOMPARE(e.hy, 25.0);
  QCOMPARE(e.zmax, zmax);
  QCOMPARE(e.centreOffset, zmax / 2);
  QCOMPARE(e.E, E);
  QCOMPARE(e.horizontalExtent, 2 * hx);

  // The water plane lies at -WTD even when that is below the lowest block.
  TDisplayFlags flags;
  flags.ShowSoilLayers = false;
  const TSceneList water = BuildSoilAndWater(in, e, flags);
  QVERIFY(!water.prims.empty());
  QCOMPARE(water.prims.front().points.front().z, -wtd);
}

void TestView3d::shaftZones() {
  const TRgba gray{0.25, 0.25, 0.25, 1}, belledEnd{0.25, 0.25, 0, 1}, straightEnd{0.5, 0.5, 0, 1};
  TSceneInput in = Input(3, 30, {{1, 40}});
  in.topLength = 5;
  in.bs = 2;
  in.ratio = 2;
  in.bellAngle = 30;
  {
    const double b = std::fabs(3 * 2 - 3) / 2 / std::tan(30 * 3.14 / 180);
    const TShaftGeometry g = ComputeShaft(in, 30);
    QVERIFY(g.belled);
    QCOMPARE(g.bellLength, b);
    QCOMPARE(g.bellStart, -(30 - b));
    QCOMPARE(g.bellEnd, -30.0);
    QCOMPARE(g.baseDiameter, 6.0);
    QCOMPARE(g.zones.size(), size_t(4));
    QCOMPARE(g.zones[0].zBottom, -5.0);
    QCOMPARE(g.zones[0].colour, belledEnd);
    QCOMPARE(g.zones[1].colour, gray);
    QCOMPARE(g.zones[2].colour, belledEnd);
    QCOMPARE(g.zones[2].zBottom, -(30 - b));
    QCOMPARE(g.zones[3].dTop, 3.0);
    QCOMPARE(g.zones[3].dBottom, 6.0);
    QCOMPARE(g.boundaries.size(), size_t(3));
  }
  {  // No bell angle: straight even with a ratio above 1.
    TSceneInput s = in;
    s.bellAngle = 0;
    const TShaftGeometry g = ComputeShaft(s, 30);
    QVERIFY(!g.belled);
    QCOMPARE(g.baseDiameter, 3.0);
    QCOMPARE(g.zones.size(), size_t(3));
    QCOMPARE(g.zones[0].colour, straightEnd);
    QCOMPARE(g.zones.back().zBottom, -30.0);
  }
  {  // No top or bottom zone: one dark gray zone plus the bell.
    TSceneInput s = in;
    s.topLength = 0;
    s.bs = 0;
    const TShaftGeometry g = ComputeShaft(s, 30);
    QCOMPARE(g.zones.size(), size_t(2));
    QCOMPARE(g.zones[0].colour, gray);
    QCOMPARE(g.zones[0].zTop, 0.0);
    QCOMPARE(g.zones[0].zBottom, g.bellStart);
    QCOMPARE(g.zones[1].zBottom, -30.0);
  }
  // The drawn shaft reaches the base: 20-sector frustums and a base disc at -L.
  TSceneInput s = in;
  s.method = 1;  // down to the last layer, 40
  const TSceneExtents e = ComputeExtents(s);
  const TSceneList shaft = BuildShaft(s, e, TDisplayFlags{});
  double lowest = 0;
  for (const auto& p : shaft.prims)
    for (const auto& v : p.points) lowest = std::min(lowest, v.z);
  QCOMPARE(lowest, -40.0);
  TDisplayFlags hidden;
  hidden.ShowShaft = false;
  QVERIFY(BuildShaft(s, e, hidden).prims.empty());
}

void TestView3d::fitScaleAndZoom() {
  TSceneExtents e;
  e.E = 100;
  e.horizontalExtent = 50;
  QCOMPARE(FitScale(650, 550, e), 5.0);   // (550 - 50) / 100 < (650 - 50) / 50
  QCOMPARE(FitScale(150, 1050, e), 2.0);  // the width limits
  e.E = 0;
  e.horizontalExtent = 0;
  QCOMPARE(FitScale(650, 550, e), 1.0);  // zero extents count as ratio 1

  TViewState v;
  v.ZoomIn();
  v.ZoomIn();
  QCOMPARE(v.Z, 1.4142 * 1.4142);
  v.ZoomOut();
  QCOMPARE(v.Z, 1.4142);
  v.Rx = 10;
  v.Tz = 3;
  v.Restart();
  QCOMPARE(v.Z, 1.0);
  QCOMPARE(v.Rx, 0.0);
  QCOMPARE(v.Tz, 0.0);
}

void TestView3d::labelsAndColours() {
  const struct {
    double v;
    const char* text;
  } numbers[] = {{0, "0.000E+00"},     {0.001, "1.000E-03"}, {0.0011, "0.001"},
                 {12.5, "12.500"},     {-3, "-3.000"},       {99999.9, "99999.900"},
                 {100000, "1.000E+05"}, {-123456, "-1.235E+05"}};
  for (const auto& n : numbers) QCOMPARE(QString::fromStdString(LabelNumber(n.v)), n.text);

  QCOMPARE(SoilLayerName(4, 0), std::string("Strong Rock(FHWA)"));
  QCOMPARE(SoilLayerName(9, 0), std::string("Gravel"));
  QCOMPARE(SoilLayerName(0, 2), std::string("Layer 3"));
  QCOMPARE(LayerColour(0), (TRgba{0.80, 0.55, 0.00, 1}));
  QCOMPARE(LayerColour(8), (TRgba{0.15, 0.15, 0.45, 1}));
  QCOMPARE(LayerColour(13), LayerColour(3));
}

void TestView3d::soilAndWaterScene() {
  const TSceneInput in = Input(2, 30, {{1, 10}, {2, 25}, {3, 40}}, 5);
  const TSceneExtents e = ComputeExtents(in);
  TDisplayFlags f;
  f.ShowSoilLayerLabels = true;
  f.ShowSoilLayerDepthLabels = true;
  const TSceneList list = BuildSoilAndWater(in, e, f);
  QVERIFY(list.blend);
  // Depth labels: every layer's top plus the last bottom; names at the middle of each layer.
  QCOMPARE(list.labels.size(), size_t(3 + 1 + 3));
  QCOMPARE(list.labels[0].text, std::string("0.000E+00"));
  bool foundBottom = false, foundClay = false;
  for (const auto& l : list.labels) {
    if (l.text == "40.000") foundBottom = l.at.z == -40 && l.at.x == -e.hx;
    if (l.text == "Clay") foundClay = l.at.z == -17.5 && l.at.x == e.hx && l.at.y == e.hy;
  }
  QVERIFY(foundBottom);
  QVERIFY(foundClay);

  // Water symbols: 5 x 5 apexes on the plane, the outer ones u = D/2 inside the corners.
  const auto apexes = WaterSymbolApexes(e, in.D, in.wtd);
  QCOMPARE(apexes.size(), size_t(25));
  QCOMPARE(apexes.front().x, -e.hx + 1);
  QCOMPARE(apexes.front().y, -e.hy + 1);
  QCOMPARE(apexes.back().x, e.hx - 1);
  QCOMPARE(apexes.back().z, -5.0);

  TDisplayFlags none;
  none.ShowSoilLayers = false;
  none.ShowWaterLevel = false;
  QVERIFY(BuildSoilAndWater(in, e, none).prims.empty());
}

// With back faces culled, a face wound the wrong way vanishes: every filled face of the
// closed solids must turn away from their inside.
void TestView3d::filledFacesPointOutward() {
  TSceneInput in = Input(2, 30, {{1, 40}});
  in.ratio = 2;
  in.bellAngle = 45;
  in.topLength = 4;
  const TSceneExtents e = ComputeExtents(in);
  TDisplayFlags f;
  f.ShowWaterLevel = false;
  int checked = 0;
  auto check = [&](const TSceneList& list, auto centreOf) {
    for (const auto& p : list.prims) {
      if (p.kind != TPrimKind::TriangleFan) continue;
      const TVec3 n = CrossP(Minus(p.points[1], p.points[0]), Minus(p.points[2], p.points[0]));
      QVERIFY2(DotP(n, Minus(p.points[0], centreOf(p))) > 0, "face turned inwards");
      ++checked;
    }
  };
  check(BuildSoilAndWater(in, e, f), [](const TPrimitive&) { return TVec3{0, 0, -20}; });
  // Shaft faces turn away from the axis at their own height (discs: up at the top, down at
  // the base).
  check(BuildShaft(in, e, f), [](const TPrimitive& p) {
    const TVec3 c = p.points[0];
    if (c.x == 0 && c.y == 0) return TVec3{0, 0, c.z == 0 ? -1.0 : c.z + 1};
    return TVec3{0, 0, c.z};
  });
  QVERIFY(checked > 6 + 2 * kSectors);
}

void TestView3d::navigation() {
  TSceneExtents e;
  e.centreOffset = 20;
  const int w = 600, h = 400;
  const double S = 5;
  TViewState v;
  v.Rx = 20;
  v.Rz = 35;
  v.Z = 1.5;
  TNavigator nav;
  const TVec3 ground{0, 0, 0};

  // Pan: the model follows the pointer exactly.
  nav.MouseOption = kMousePan;
  const QPointF before = ScreenPoint(ground, w, h, v, S, e);
  nav.Press({100, 100}, v, S);
  nav.Move({130, 80}, false, w, h, v);
  const QPointF after = ScreenPoint(ground, w, h, v, S, e);
  QVERIFY(std::abs(after.x() - before.x() - 30) < 1e-9);
  QVERIFY(std::abs(after.y() - before.y() + 20) < 1e-9);
  nav.Move({130, 80}, true, w, h, v);  // Shift keeps only the larger movement
  QVERIFY(std::abs(ScreenPoint(ground, w, h, v, S, e).y() - before.y()) < 1e-9);
  nav.Release({130, 80}, w, h, v);

  // Zoom: dragging up enlarges.
  nav.MouseOption = kMouseZoom;
  nav.Press({0, 200}, v, S);
  nav.Move({0, 100}, false, w, h, v);
  QCOMPARE(v.Z, 1.5 * 1.25);
  nav.Release({0, 100}, w, h, v);

  // Rotate from the front view: a vertical drag turns about the screen's x axis by
  // 90 degrees per window height.
  TViewState r;
  nav.MouseOption = kMouseRotate;
  nav.Press({0, 0}, r, S);
  nav.Move({0, h / 2}, false, w, h, r);
  QVERIFY(std::abs(r.Rx - 45) < 1e-9);
  QVERIFY(std::abs(r.Ry) < 1e-9 && std::abs(r.Rz) < 1e-9);

  // Zoom window: the rectangle's centre comes to the window centre, zoomed to fit.
  nav.MouseOption = kMouseZoomWindow;
  const double z0 = v.Z;
  nav.Press({100, 50}, v, S);
  nav.Move({200, 150}, false, w, h, v);
  QCOMPARE(nav.ZoomRect(), QRect(QPoint(100, 50), QPoint(200, 150)));
  const QPointF g = ScreenPoint(ground, w, h, v, S, e);
  nav.Release({200, 150}, w, h, v);
  QCOMPARE(v.Z, z0 * std::min(400.0 / 100, 600.0 / 100));
  // The ground point moved by (centre - rect centre) scaled by the zoom.
  const QPointF g2 = ScreenPoint(ground, w, h, v, S, e);
  QVERIFY(std::abs(g2.x() - (300 + (g.x() - 150) * 4)) < 1e-6);
  QVERIFY(std::abs(g2.y() - (200 + (g.y() - 100) * 4)) < 1e-6);
  // A click without a rectangle changes nothing.
  const TViewState keep = v;
  nav.Press({10, 10}, v, S);
  nav.Release({10, 10}, w, h, v);
  QCOMPARE(v.Z, keep.Z);
}

void TestView3d::sceneFromProject() {
  kp::Project p;
  p.data.DSTART = 2;
  p.data.PD = 20;
  p.data.WTD = 4;
  p.data.METHOD = 1;
  SetLayers(p, {{2, 8}, {1, 35}});
  const TSceneInput in = SceneInputFrom(p);
  QCOMPARE(in.layers.size(), size_t(2));
  QCOMPARE(in.layers[0].soilType, 2);
  QCOMPARE(in.layers[1].bottom, 35.0);
  QCOMPARE(ComputeExtents(in).shaftLength, 35.0);
}

void TestView3d::placeholderWithoutOpenGL() {
  if (!Platform("offscreen") && !Platform("minimal"))
    QSKIP("checks the platforms without OpenGL");
  QVERIFY(!OpenGLAvailable());
  kp::Project p;
  p.data.DSTART = 2;
  p.data.PD = 20;
  QMdiArea area;
  area.resize(800, 600);
  area.show();
  TDlgBlock* view = TDlgBlock::Show(&area, p);
  QVERIFY(view);
  QVERIFY(!view->GlWindow());
  QVERIFY(view->Placeholder());
  QCOMPARE(view->Placeholder()->text(), QString(kNoOpenGLMessage));
  QVERIFY(area.findChildren<QOpenGLWidget*>().isEmpty());
  QVERIFY(QTest::qWaitForWindowExposed(&area));
  // Only one view: the second Show brings the same one forward.
  QCOMPARE(TDlgBlock::Show(&area, p), view);
  QCOMPARE(area.subWindowList().size(), 1);
}

void TestView3d::menuAndMouseButtons() {
  kp::Project p;
  p.data.DSTART = 2;
  p.data.PD = 20;
  TDlgBlock view(p);
  view.Activate();
  QMenu* menu = view.ShowMenu();
  QCOMPARE(menu->title(), QString("Show 3D View"));
  QAction *soil = nullptr, *labels = nullptr, *depths = nullptr, *combined = nullptr,
          *shaft = nullptr;
  for (QAction* a : menu->actions()) {
    if (a->text() == "Soil Layers") soil = a;
    if (a->text() == "Layer Labels") labels = a;
    if (a->text() == "Layer Depths") depths = a;
    if (a->text() == "Combined Plots") combined = a;
    if (a->text() == "Shaft") shaft = a;
  }
  QVERIFY(soil && labels && depths && combined && shaft);
  QVERIFY(soil->isChecked() && labels->isEnabled() && !labels->isChecked());
  QVERIFY(!combined->isEnabled());  // no results
  soil->trigger();
  QVERIFY(!view.Flags.ShowSoilLayers);
  QVERIFY(!labels->isEnabled() && !depths->isEnabled());
  QVERIFY(view.SoilList().prims.size() > 0);  // water still drawn
  view.combinedPlotsAvailable = [] { return true; };
  emit menu->aboutToShow();
  QVERIFY(combined->isEnabled());
  shaft->trigger();
  QVERIFY(!combined->isEnabled());  // only while the shaft is shown
  QVERIFY(view.ShaftList().prims.empty());

  // The seven buttons: four grouped modes, then zoom in, zoom out, restart.
  const auto& b = view.MouseActions();
  QCOMPARE(b.size(), size_t(7));
  QStringList names;
  for (QAction* a : b) names << a->text();
  QCOMPARE(names, QStringList({"Panning", "Zooming", "Rotating", "Zoom Window", "Zoom In",
                               "Zoom Out", "Restart View"}));
  b[3]->trigger();
  QCOMPARE(view.Navigator.MouseOption, int(kMouseZoomWindow));
  QVERIFY(view.Navigator.ZoomWindowBoxEnabled);
  b[0]->trigger();
  QCOMPARE(view.Navigator.MouseOption, int(kMousePan));
  QVERIFY(!view.Navigator.ZoomWindowBoxEnabled && !b[3]->isChecked());
  b[4]->trigger();
  b[4]->trigger();
  b[5]->trigger();
  QCOMPARE(view.View.Z, 1.4142);
  view.View.Rx = 30;
  view.View.Tx = 5;
  b[6]->trigger();
  QCOMPARE(view.View.Z, 1.0);
  QCOMPARE(view.View.Rx, 0.0);
  QCOMPARE(view.View.Tx, 0.0);
}

void TestView3d::combinedPlotsBesideShaft() {
  kp::Project p;
  p.data.DSTART = 2;
  p.data.PD = 20;
  TGraphCatalogue catalogue;
  for (GraphIndex g : {kPltCombine, kPltCombineD}) {
    const double f = g == kPltCombine ? 1 : 0.5;
    catalogue[g].AddLine("skin", {{0, 0}, {50 * f, 10}, {100 * f, 20}});
    catalogue[g].AddLine("tip", {{0, 0}, {20 * f, 10}, {40 * f, 20}});
    catalogue[g].AddLine("total", {{0, 0}, {70 * f, 10}, {140 * f, 20}});
  }
  TDlgBlock view(p);
  view.Activate();
  view.SetCatalogue(&catalogue);
  auto lineStrips = [&] {
    std::vector<TPrimitive> strips;
    for (const auto& prim : view.ShaftList().prims)
      if (prim.kind == TPrimKind::LineStrip) strips.push_back(prim);
    return strips;
  };
  QVERIFY(lineStrips().empty());  // off until "Show Plots"

  view.Flags.Combined.ShowUltimateEffects = true;
  view.Flags.Combined.ShowUltimateEffectsValues = true;
  view.Rebuild();
  const auto strips = lineStrips();
  QCOMPARE(strips.size(), size_t(3 * 2));  // three curves, two point pairs each
  double widest = 0;
  for (const auto& s : strips)
    for (const auto& v : s.points) widest = std::max(widest, v.x);
  QCOMPARE(widest, 2.0 + 2 * 2.0);  // base line at D, the largest value spans 2 D
  QCOMPARE(strips.front().colour, (TRgba{1, 0, 0, 1}));
  QCOMPARE(view.ShaftList().labels.size(), size_t(3));

  view.Flags.Combined.ShowTotalCapacity = false;
  view.Flags.ShowShaft = false;
  view.Rebuild();
  QVERIFY(view.ShaftList().prims.empty() && view.ShaftList().labels.empty());

  // "Combined Plots" opens one dialog per view on the view's flags.
  view.OpenCombinedPlots();
  QPointer<TDlgPileDiagrams> dialog = view.CombinedPlotsDialog();
  QVERIFY(dialog);
  view.OpenCombinedPlots();
  QCOMPARE(view.CombinedPlotsDialog(), dialog.data());
  QVERIFY(!dialog->TotalCapacity()->isChecked());
  dialog->close();
  QTRY_VERIFY(!view.CombinedPlotsDialog());
}

void TestView3d::glRendersScene() {
  if (!Platform("xcb")) QSKIP("needs an X display with OpenGL (run under xvfb-run)");
  QVERIFY(OpenGLAvailable());
  kp::Project p;
  SetTwoLayerShaft(p);
  QMdiArea area;
  area.resize(640, 480);
  area.show();
  TDlgBlock* view = TDlgBlock::Show(&area, p);
  QVERIFY(view && view->GlWindow());
  QVERIFY(QTest::qWaitForWindowExposed(&area));
  const QImage img = view->GlWindow()->grabFramebuffer();
  QVERIFY(!img.isNull());
  const QRgb background = img.pixel(1, 1);
  QCOMPARE(QColor(background), QColor(Qt::white));
  // The shaft stands on the axis at the window centre; the top of the model (the ground
  // surface) is coloured, so the centre column holds coloured pixels.
  int coloured = 0;
  for (int y = 0; y < img.height(); ++y)
    if (img.pixel(img.width() / 2, y) != background) ++coloured;
  QVERIFY2(coloured > img.height() / 4, qPrintable(QString::number(coloured)));
}

// What the screen shows of the GL window: the share of white (background) pixels and of
// coloured ones (neither white nor black). A scene has both; a lost picture is all black.
struct TScreenShare {
  double white = 0, coloured = 0;
};
static TScreenShare OnScreen(QWidget* w) {
  QCoreApplication::processEvents();
  QTest::qWait(150);
  const QImage img = w->screen()->grabWindow(0).toImage().copy(
      QRect(w->mapToGlobal(QPoint(0, 0)), w->size()));
  if (img.isNull() || img.width() < 10 || img.height() < 10) return {};
  long white = 0, coloured = 0, n = 0;
  for (int y = 0; y < img.height(); y += 4)
    for (int x = 0; x < img.width(); x += 4) {
      const QRgb c = img.pixel(x, y) & 0xffffff;
      ++n;
      if (c == 0xffffff) ++white;
      else if (c != 0) ++coloured;
    }
  return {double(white) / n, double(coloured) / n};
}

// Minimising and restoring the view, restoring it from maximised, and another child taking
// the front keep the scene on screen, and the restored window keeps a usable size.
void TestView3d::glSceneSurvivesMinimiseAndOtherChild() {
  if (!Platform("xcb")) QSKIP("needs an X display with OpenGL (run under xvfb-run)");
  kp::Project p;
  SetTwoLayerShaft(p);
  QMdiArea area;
  area.resize(900, 700);
  area.show();
  QVERIFY(QTest::qWaitForWindowExposed(&area));
  TDlgBlock* view = TDlgBlock::Show(&area, p);
  auto* sub = qobject_cast<QMdiSubWindow*>(view->parentWidget());
  QVERIFY(sub && view->GlWindow());
  auto drawn = [&](const char* when) {
    const TScreenShare s = OnScreen(view->GlWindow());
    QVERIFY2(s.white > 0.2 && s.coloured > 0.05,
             qPrintable(QString("%1: white %2, coloured %3").arg(when).arg(s.white).arg(s.coloured)));
  };
  drawn("opened");

  auto* other = area.addSubWindow(new QLabel("another child"));
  other->show();
  area.setActiveSubWindow(other);
  QTest::qWait(100);
  area.setActiveSubWindow(sub);
  drawn("after another child was active");

  sub->showMinimized();
  QTest::qWait(100);
  sub->showMaximized();
  drawn("restored from minimised");

  sub->showNormal();
  QVERIFY2(view->GlWindow()->height() >= 200 && view->GlWindow()->width() >= 300,
           qPrintable(QString("restored to %1 x %2").arg(sub->width()).arg(sub->height())));
  drawn("restored from maximised");

  sub->showMinimized();
  QTest::qWait(100);
  sub->showNormal();
  drawn("restored from minimised to normal");
}

void TestView3d::wheelZooms() {
  kp::Project p;
  p.data.DSTART = 2;
  p.data.PD = 20;
  TDlgBlock view(p);
  view.resize(400, 300);
  view.Activate();
  // The GL window leaves the wheel to the view (a real wheel event travels up to it).
  auto wheel = [&](int delta) {
    QWheelEvent e(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&view, &e);
  };
  wheel(120);
  QCOMPARE(view.View.Z, kZoomStep);  // one notch away from the user enlarges
  wheel(-240);
  QVERIFY(std::fabs(view.View.Z - 1 / kZoomStep) < 1e-12);
  wheel(60);  // half a notch from a fine-grained wheel
  QVERIFY(std::fabs(view.View.Z - std::pow(kZoomStep, -0.5)) < 1e-12);
}

int main(int argc, char** argv) {
  PrepareOpenGLFormat();
  QApplication app(argc, argv);
  TestView3d t;
  return QTest::qExec(&t, argc, argv);
}

#include "test_view3d.moc"
