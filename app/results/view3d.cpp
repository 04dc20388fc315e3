#include "view3d.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QFontMetricsF>
#include <QPainter>
#include <QSurfaceFormat>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "program_data.h"

namespace korva::results {

namespace {

constexpr TRgba kDarkGray{0.25, 0.25, 0.25, 1};
constexpr TRgba kOrange{1, 0.5, 0, 1};
constexpr TRgba kBelledEndZone{0.25, 0.25, 0, 1};
constexpr TRgba kStraightEndZone{0.5, 0.5, 0, 1};
constexpr TRgba kWaterBlue{0, 0, 1, 1};
constexpr TRgba kBlack{0, 0, 0, 1};

TVec3 Sub(const TVec3& a, const TVec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
TVec3 Cross(const TVec3& a, const TVec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const TVec3& a, const TVec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

TRgba WithAlpha(TRgba c, double a) {
  c.a = a;
  return c;
}

// Orders a planar polygon so that it faces away from `inside` (counter-clockwise seen from
// outside), as back-face culling needs.
std::vector<TVec3> FacingOut(std::vector<TVec3> pts, const TVec3& inside) {
  if (pts.size() >= 3) {
    TVec3 n = Cross(Sub(pts[1], pts[0]), Sub(pts[2], pts[0]));
    if (Dot(n, Sub(pts[0], inside)) < 0) std::reverse(pts.begin(), pts.end());
  }
  return pts;
}

// Simple fixed light for the solid parts: faces turned towards the viewer's left-front are
// brighter, so the round shaft does not look flat.
TRgba Shaded(TRgba c, const TVec3& normal) {
  double len = std::sqrt(Dot(normal, normal));
  if (len <= 0) return c;
  const TVec3 light{-0.5, -0.8, 0.33};
  double f = 0.7 + 0.3 * Dot(normal, light) / len;
  c.r = std::clamp(c.r * f, 0.0, 1.0);
  c.g = std::clamp(c.g * f, 0.0, 1.0);
  c.b = std::clamp(c.b * f, 0.0, 1.0);
  return c;
}

void AddBox(TSceneList& list, double hx, double hy, double zTop, double zBottom, TRgba colour) {
  const TVec3 c{0, 0, (zTop + zBottom) / 2};
  auto face = [&](std::vector<TVec3> pts) {
    list.prims.push_back({TPrimKind::TriangleFan, WithAlpha(colour, 0.5), FacingOut(pts, c)});
  };
  face({{-hx, -hy, zTop}, {hx, -hy, zTop}, {hx, hy, zTop}, {-hx, hy, zTop}});
  face({{-hx, -hy, zBottom}, {hx, -hy, zBottom}, {hx, hy, zBottom}, {-hx, hy, zBottom}});
  face({{-hx, -hy, zBottom}, {hx, -hy, zBottom}, {hx, -hy, zTop}, {-hx, -hy, zTop}});
  face({{-hx, hy, zBottom}, {hx, hy, zBottom}, {hx, hy, zTop}, {-hx, hy, zTop}});
  face({{-hx, -hy, zBottom}, {-hx, hy, zBottom}, {-hx, hy, zTop}, {-hx, -hy, zTop}});
  face({{hx, -hy, zBottom}, {hx, hy, zBottom}, {hx, hy, zTop}, {hx, -hy, zTop}});
  TPrimitive edges{TPrimKind::Lines, WithAlpha(colour, 1), {}};
  for (double z : {zTop, zBottom}) {
    const TVec3 q[4] = {{-hx, -hy, z}, {hx, -hy, z}, {hx, hy, z}, {-hx, hy, z}};
    for (int i = 0; i < 4; ++i) {
      edges.points.push_back(q[i]);
      edges.points.push_back(q[(i + 1) % 4]);
    }
  }
  for (double x : {-hx, hx})
    for (double y : {-hy, hy}) {
      edges.points.push_back({x, y, zTop});
      edges.points.push_back({x, y, zBottom});
    }
  list.prims.push_back(std::move(edges));
}

void AddCircle(TSceneList& list, double z, double diameter, TRgba colour) {
  auto pts = CirclePoints(z, diameter);
  list.prims.push_back({TPrimKind::LineLoop, colour, {pts.begin(), pts.end()}});
}

// A filled disc facing up (`up`) or down.
void AddDisc(TSceneList& list, double z, double diameter, TRgba colour, bool up) {
  auto pts = CirclePoints(z, diameter);
  std::vector<TVec3> fan{{0, 0, z}};
  fan.insert(fan.end(), pts.begin(), pts.end());
  fan.push_back(pts[0]);
  // The circle runs counter-clockwise seen from above.
  if (!up) std::reverse(fan.begin() + 1, fan.end());
  list.prims.push_back({TPrimKind::TriangleFan, colour, std::move(fan)});
}

void AddFrustum(TSceneList& list, const TShaftZone& zone) {
  auto top = CirclePoints(zone.zTop, zone.dTop);
  auto bottom = CirclePoints(zone.zBottom, zone.dBottom);
  for (int i = 0; i < kSectors; ++i) {
    int j = (i + 1) % kSectors;
    // Counter-clockwise seen from outside: bottom i, bottom j, top j, top i.
    std::vector<TVec3> quad{bottom[i], bottom[j], top[j], top[i]};
    double mid = (i + 0.5) * 2 * M_PI / kSectors;
    list.prims.push_back(
        {TPrimKind::TriangleFan, Shaded(zone.colour, {std::cos(mid), std::sin(mid), 0}), quad});
  }
}

}  // namespace

// ---- Scene geometry ---------------------------------------------------------------------------

TSceneInput SceneInputFrom(const project::Project& project) {
  const auto& d = project.data;
  TSceneInput in;
  in.D = d.DSTART;
  in.ratio = d.RATIO;
  in.bellAngle = d.BELANGL;
  in.topLength = d.TOPLENG;
  in.bs = d.BS;
  in.pd = d.PD;
  in.method = d.METHOD;
  in.wtd = d.WTD;
  const auto& table = project.tables.D;
  for (int r = 0; r < table.RowCount(); ++r)
    in.layers.push_back({table.Columns(project::kColSoilType).GetIntValue(r),
                         table.Columns(project::kColDepthBottom).GetFloatValue(r)});
  return in;
}

static double LastLayerBottom(const TSceneInput& in) {
  return in.layers.empty() ? 0.0 : in.layers.back().bottom;
}

double ShaftLength(const TSceneInput& in) {
  return in.method == 1 ? LastLayerBottom(in) : in.pd;
}

TSceneExtents ComputeExtents(const TSceneInput& in) {
  TSceneExtents e;
  e.shaftLength = ShaftLength(in);
  e.hx = std::max(12.5 * in.D, in.wtd);
  e.hy = 12.5 * in.D;
  e.zmax = std::max(e.shaftLength, LastLayerBottom(in));
  e.centreOffset = e.zmax / 2;
  e.E = std::max({2 * e.zmax, e.zmax, e.hx, e.hy});
  e.horizontalExtent = 2 * e.hx;
  return e;
}

double FitScale(int w, int h, const TSceneExtents& ext) {
  double a = ext.E != 0 ? (h - 50) / ext.E : 1.0;
  double b = ext.horizontalExtent != 0 ? (w - 50) / ext.horizontalExtent : 1.0;
  return std::min(a, b);
}

double DepthRange(int w, int h, const TSceneExtents& ext, double D) {
  double ratio = D > 0 ? ext.E / (25 * D) : 1.0;
  return ratio * (std::min(w, h) / 2.0) * 640;
}

TShaftGeometry ComputeShaft(const TSceneInput& in, double L) {
  TShaftGeometry g;
  const double D = in.D;
  g.belled = in.ratio > 0 && in.bellAngle > 0;
  if (g.belled)
    g.bellLength = std::fabs(D * in.ratio - D) / 2 / std::tan(in.bellAngle * 3.14 / 180);
  const TRgba endColour = g.belled ? kBelledEndZone : kStraightEndZone;
  const double top = std::max(0.0, in.topLength);
  const double bs = std::max(0.0, in.bs);
  const double main = std::max(0.0, L - top - bs - g.bellLength);

  double z = 0;
  auto zone = [&](double length, double dTop, double dBottom, TRgba colour) {
    if (length <= 0) return;
    if (!g.zones.empty()) g.boundaries.push_back(z);
    g.zones.push_back({z, z - length, dTop, dBottom, colour});
    z -= length;
  };
  zone(top, D, D, endColour);
  zone(main, D, D, kDarkGray);
  zone(bs, D, D, endColour);
  if (g.belled) {
    g.bellStart = z;
    zone(g.bellLength, D, D * in.ratio, kDarkGray);
    g.bellEnd = z;
    g.baseDiameter = D * in.ratio;
  } else {
    g.baseDiameter = D;
  }
  return g;
}

std::array<TVec3, kSectors> CirclePoints(double z, double diameter) {
  std::array<TVec3, kSectors> pts;
  for (int i = 0; i < kSectors; ++i) {
    double a = i * 2 * M_PI / kSectors;
    pts[i] = {diameter / 2 * std::cos(a), diameter / 2 * std::sin(a), z};
  }
  return pts;
}

TRgba LayerColour(int k) {
  static constexpr TRgba kColours[10] = {
      {0.80, 0.55, 0.00, 1}, {0.55, 0.40, 0.20, 1}, {0.40, 0.40, 0.20, 1}, {0.40, 0.40, 0.55, 1},
      {0.00, 0.50, 0.50, 1}, {0.20, 0.20, 0.55, 1}, {0.80, 0.00, 0.80, 1}, {0.40, 0.40, 0.55, 1},
      {0.15, 0.15, 0.45, 1}, {0.65, 0.40, 0.20, 1}};
  return kColours[((k % 10) + 10) % 10];
}

std::string SoilLayerName(int soilType, int k) {
  static const char* kNames[] = {"Sand",          "Clay",        "Shale",
                                 "Strong Rock(FHWA)", "Decomposed Rock", "Weak Rock",
                                 "Strong Rock", "Gravelly Sand", "Gravel"};
  if (soilType >= 1 && soilType <= 9) return kNames[soilType - 1];
  return "Layer " + std::to_string(k + 1);
}

std::string LabelNumber(double v) { return DiagramLabelText(v); }

std::vector<TVec3> WaterSymbolApexes(const TSceneExtents& ext, double D, double wtd) {
  const double u = D / 2;
  std::vector<TVec3> apexes;
  for (int i = 0; i <= 4; ++i)
    for (int j = 0; j <= 4; ++j)
      apexes.push_back({-ext.hx + u + i * (2 * ext.hx - 2 * u) / 4,
                        -ext.hy + u + j * (2 * ext.hy - 2 * u) / 4, -wtd});
  return apexes;
}

TSceneList BuildSoilAndWater(const TSceneInput& in, const TSceneExtents& ext,
                             const TDisplayFlags& flags) {
  TSceneList list;
  list.blend = true;
  const double hx = ext.hx, hy = ext.hy;
  // The water goes first: it lies inside the translucent blocks, which are blended over it.
  if (flags.ShowWaterLevel) {
    const double z = -in.wtd;
    std::vector<TVec3> plane{{-hx, -hy, z}, {hx, -hy, z}, {hx, hy, z}, {-hx, hy, z}};
    list.prims.push_back({TPrimKind::LineLoop, kWaterBlue, plane});
    // The plane is seen from above and from below, so it is drawn with both windings.
    list.prims.push_back({TPrimKind::TriangleFan, WithAlpha(kWaterBlue, 0.75), plane});
    std::reverse(plane.begin(), plane.end());
    list.prims.push_back({TPrimKind::TriangleFan, WithAlpha(kWaterBlue, 0.75), plane});

    const double u = in.D / 2;
    for (const TVec3& a : WaterSymbolApexes(ext, in.D, in.wtd)) {
      const double zb = a.z + u;
      const TVec3 base[4] = {{a.x - u / 2, a.y - u / 2, zb},
                             {a.x + u / 2, a.y - u / 2, zb},
                             {a.x + u / 2, a.y + u / 2, zb},
                             {a.x - u / 2, a.y + u / 2, zb}};
      const TVec3 centre{a.x, a.y, a.z + u * 0.75};
      TPrimitive outline{TPrimKind::Lines, kWaterBlue, {}};
      for (int i = 0; i < 4; ++i) {
        outline.points.insert(outline.points.end(), {base[i], base[(i + 1) % 4], base[i], a});
        list.prims.push_back({TPrimKind::TriangleFan, WithAlpha(kWaterBlue, 0.5),
                              FacingOut({a, base[i], base[(i + 1) % 4]}, centre)});
      }
      list.prims.push_back({TPrimKind::TriangleFan, WithAlpha(kWaterBlue, 0.5),
                            FacingOut({base[0], base[1], base[2], base[3]}, centre)});
      list.prims.push_back(std::move(outline));
    }
  }
  if (flags.ShowSoilLayers) {
    double top = 0;
    for (int k = 0; k < static_cast<int>(in.layers.size()); ++k) {
      const double bottom = in.layers[k].bottom;
      AddBox(list, hx, hy, -top, -bottom, LayerColour(k));
      if (flags.ShowSoilLayerDepthLabels) {
        list.labels.push_back({LabelNumber(top), {-hx, -hy, -top}, kBlack});
        if (k + 1 == static_cast<int>(in.layers.size()))
          list.labels.push_back({LabelNumber(bottom), {-hx, -hy, -bottom}, kBlack});
      }
      if (flags.ShowSoilLayerLabels)
        list.labels.push_back(
            {SoilLayerName(in.layers[k].soilType, k), {hx, hy, -(top + bottom) / 2}, kBlack});
      top = bottom;
    }
  }
  return list;
}

TSceneList BuildShaft(const TSceneInput& in, const TSceneExtents& ext, const TDisplayFlags& flags) {
  TSceneList list;
  if (!flags.ShowShaft) return list;
  const TShaftGeometry g = ComputeShaft(in, ext.shaftLength);
  AddDisc(list, 0, in.D, kDarkGray, true);
  AddCircle(list, 0, in.D, kOrange);
  for (const TShaftZone& zone : g.zones) AddFrustum(list, zone);
  for (double z : g.boundaries) AddCircle(list, z, in.D, kOrange);
  if (g.belled) AddCircle(list, g.bellStart, in.D, kOrange);
  const double zBase = g.zones.empty() ? 0 : g.zones.back().zBottom;
  AddDisc(list, zBase, g.baseDiameter, kDarkGray, false);
  AddCircle(list, zBase, g.baseDiameter, kOrange);
  return list;
}

void AppendCombinedDiagrams(TSceneList& list, const TCombinedDiagrams& diagrams) {
  for (const TDiagramStrip& strip : diagrams.Strips) {
    TPrimitive p{TPrimKind::LineStrip,
                 {strip.Color.r / 255.0, strip.Color.g / 255.0, strip.Color.b / 255.0, 1},
                 {}};
    for (const TWorldPoint& w : strip.Points) p.points.push_back({w.x, w.y, w.z});
    list.prims.push_back(std::move(p));
  }
  for (const TDiagramLabel& l : diagrams.Labels) {
    const TRgb c = CombinedCurveColor(l.Curve);
    list.labels.push_back({l.Text, {l.At.x, l.At.y, l.At.z}, {c.r / 255.0, c.g / 255.0, c.b / 255.0, 1}});
  }
}

// ---- View state and navigation ----------------------------------------------------------------

TVec3 TMat3::operator*(const TVec3& v) const {
  return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
          m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
          m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

TMat3 TMat3::operator*(const TMat3& o) const {
  TMat3 r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      r.m[i][j] = 0;
      for (int k = 0; k < 3; ++k) r.m[i][j] += m[i][k] * o.m[k][j];
    }
  return r;
}

TMat3 TMat3::Transposed() const {
  TMat3 r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = m[j][i];
  return r;
}

TMat3 TMat3::Rotation(double degrees, int axis) {
  const double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a);
  TMat3 r;
  const int i = (axis + 1) % 3, j = (axis + 2) % 3;
  r.m[i][i] = c;
  r.m[i][j] = -s;
  r.m[j][i] = s;
  r.m[j][j] = c;
  return r;
}

TMat3 TMat3::Scale(double s) {
  TMat3 r;
  for (int i = 0; i < 3; ++i) r.m[i][i] = s;
  return r;
}

TMat3 TViewState::Matrix(double S) const {
  return TMat3::Rotation(-90, 0) * TMat3::Rotation(Rx, 0) * TMat3::Rotation(Ry, 1) *
         TMat3::Rotation(Rz, 2) * TMat3::Scale(Z * S);
}

QPointF ScreenPoint(const TVec3& p, int w, int h, const TViewState& view, double S,
                    const TSceneExtents& ext) {
  TVec3 e = view.Matrix(S) * TVec3{p.x + view.Tx, p.y + view.Ty, p.z + ext.centreOffset + view.Tz};
  return {w / 2.0 + e.x, h / 2.0 - e.y};
}

void TNavigator::Press(QPoint at, const TViewState& view, double S) {
  dragging_ = true;
  press_ = current_ = at;
  atPress_ = view;
  scale_ = S;
  matrix_ = view.Matrix(S);
}

TVec3 TNavigator::ScreenToModel(double dx, double dy) const {
  const double k = scale_ * atPress_.Z;
  TVec3 v = matrix_.Transposed() * TVec3{dx, dy, 0};
  return {v.x / (k * k), v.y / (k * k), v.z / (k * k)};
}

void TNavigator::Move(QPoint at, bool shift, int w, int h, TViewState& view) {
  if (!dragging_) return;
  current_ = at;
  const double W = std::max(w, 1), H = std::max(h, 1);
  switch (MouseOption) {
    case kMousePan: {
      double dx = at.x() - press_.x(), dy = -(at.y() - press_.y());
      if (shift) (std::fabs(dx) >= std::fabs(dy) ? dy : dx) = 0;
      TVec3 d = ScreenToModel(dx, dy);
      view.Tx = atPress_.Tx + d.x;
      view.Ty = atPress_.Ty + d.y;
      view.Tz = atPress_.Tz + d.z;
      break;
    }
    case kMouseZoom:
      // A drag over the whole height would give zero; a small floor keeps the view usable.
      view.Z = std::max(atPress_.Z * (1 - (at.y() - press_.y()) / H), atPress_.Z * 1e-3);
      break;
    case kMouseRotate: {
      double p = (at.y() - press_.y()) * 90 / H, q = (at.x() - press_.x()) * 90 / W;
      if (shift) (std::fabs(p) >= std::fabs(q) ? q : p) = 0;
      TVec3 v = matrix_.Transposed() * TVec3{p, q, 0};
      const double len = std::sqrt(Dot(v, v)), want = std::sqrt(p * p + q * q);
      if (len > 0) {
        view.Rx = atPress_.Rx + v.x / len * want;
        view.Ry = atPress_.Ry + v.y / len * want;
        view.Rz = atPress_.Rz + v.z / len * want;
      }
      break;
    }
    default:
      break;
  }
}

void TNavigator::Release(QPoint at, int w, int h, TViewState& view) {
  if (!dragging_) return;
  current_ = at;
  dragging_ = false;
  if (MouseOption != kMouseZoomWindow) return;
  const double rw = std::abs(at.x() - press_.x()), rh = std::abs(at.y() - press_.y());
  if (rw <= 0 || rh <= 0) return;
  const double cx = (press_.x() + at.x()) / 2.0, cy = (press_.y() + at.y()) / 2.0;
  TVec3 d = ScreenToModel(cx - w / 2.0, -(cy - h / 2.0));
  view.Tx = atPress_.Tx - d.x;
  view.Ty = atPress_.Ty - d.y;
  view.Tz = atPress_.Tz - d.z;
  view.Z = atPress_.Z * std::min(h / rh, w / rw);
}

QRect TNavigator::ZoomRect() const {
  if (!dragging_ || MouseOption != kMouseZoomWindow) return {};
  return QRect(press_, current_).normalized();
}

// ---- OpenGL availability ----------------------------------------------------------------------

void PrepareOpenGLFormat() {
  QSurfaceFormat f;
  f.setProfile(QSurfaceFormat::CompatibilityProfile);
  f.setVersion(2, 1);
  f.setDepthBufferSize(24);
  f.setAlphaBufferSize(0);
  QSurfaceFormat::setDefaultFormat(f);
}

bool OpenGLAvailable() {
  const QString platform = QGuiApplication::platformName();
  if (platform == "offscreen" || platform == "minimal") return false;
  static const bool available = [] {
    QOpenGLContext ctx;
    return ctx.create();
  }();
  return available;
}

// ---- GL window --------------------------------------------------------------------------------

TglWindow::TglWindow(TDlgBlock& view, QWidget* parent) : QOpenGLWidget(parent), view_(view) {
  setMouseTracking(false);
}

TglWindow::~TglWindow() {
  if (base_ && context()) {
    makeCurrent();
    FreeLists();
    doneCurrent();
  }
}

void TglWindow::FreeLists() {
  if (base_) glDeleteLists(base_, 3);
  base_ = 0;
}

void TglWindow::Invalidate() {
  initDone_ = false;
  update();
}

void TglWindow::initializeGL() {
  FreeLists();
  initDone_ = false;
}

void TglWindow::resizeGL(int, int) { initDone_ = false; }

static void EmitList(const TSceneList& list) {
  if (list.blend) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  } else {
    glDisable(GL_BLEND);
  }
  for (const TPrimitive& p : list.prims) {
    GLenum mode = GL_LINES;
    switch (p.kind) {
      case TPrimKind::Lines: mode = GL_LINES; break;
      case TPrimKind::LineStrip: mode = GL_LINE_STRIP; break;
      case TPrimKind::LineLoop: mode = GL_LINE_LOOP; break;
      case TPrimKind::TriangleFan: mode = GL_TRIANGLE_FAN; break;
      case TPrimKind::Quads: mode = GL_QUADS; break;
    }
    glColor4d(p.colour.r, p.colour.g, p.colour.b, p.colour.a);
    glBegin(mode);
    for (const TVec3& v : p.points) glVertex3d(v.x, v.y, v.z);
    glEnd();
  }
  glDisable(GL_BLEND);
}

void TglWindow::Compile() {
  if (!base_) base_ = glGenLists(3);
  if (!base_) return;
  glNewList(base_, GL_COMPILE);  // kept empty: room for extra objects
  glEndList();
  glNewList(base_ + 1, GL_COMPILE);
  EmitList(view_.ShaftList());
  glEndList();
  glNewList(base_ + 2, GL_COMPILE);
  EmitList(view_.SoilList());
  glEndList();
  initDone_ = true;
}

void TglWindow::paintGL() {
  const int w = width(), h = height();
  const double S = view_.S();
  const TViewState& v = view_.View;
  const TSceneExtents& ext = view_.Extents();

  QPainter painter(this);
  painter.beginNativePainting();
  if (auto* f = context()->functions()) {
    f->glUseProgram(0);
    f->glBindBuffer(GL_ARRAY_BUFFER, 0);
    f->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    for (int i = 0; i < 3; ++i) f->glDisableVertexAttribArray(i);
  }
  if (!initDone_) Compile();

  const qreal dpr = devicePixelRatioF();
  glViewport(0, 0, int(w * dpr), int(h * dpr));
  glClearColor(1, 1, 1, 1);
  glClearDepth(1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);

  // One unit per pixel, centred on the window. The depth range is widened with the zoom so
  // that a magnified model is not cut by the near and far planes.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const double depth = std::max(DepthRange(w, h, ext, view_.Input().D),
                                4 * (ext.E + ext.horizontalExtent) * S * v.Z + 1);
  glOrtho(-w / 2.0, w / 2.0, -h / 2.0, h / 2.0, -depth, depth);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotated(-90, 1, 0, 0);
  glRotated(v.Rx, 1, 0, 0);
  glRotated(v.Ry, 0, 1, 0);
  glRotated(v.Rz, 0, 0, 1);
  glScaled(v.Z * S, v.Z * S, v.Z * S);
  glTranslated(0, 0, ext.centreOffset);
  glTranslated(v.Tx, v.Ty, v.Tz);

  if (base_) {
    glCallList(base_);
    glCallList(base_ + 1);
    glCallList(base_ + 2);
  }

  const double axis = (v.Z * S) > 0 ? 80 / (v.Z * S) : 0;
  if (view_.Flags.ShowLocalAxes) {
    glDisable(GL_DEPTH_TEST);
    glLineWidth(1);
    glBegin(GL_LINES);
    glColor3d(0, 0, 1);
    glVertex3d(0, 0, 0);
    glVertex3d(axis, 0, 0);
    glColor3d(0, 1, 0);
    glVertex3d(0, 0, 0);
    glVertex3d(0, axis, 0);
    glColor3d(1, 0, 0);
    glVertex3d(0, 0, 0);
    glVertex3d(0, 0, -axis);
    glEnd();
  }

  // Blending leaves alpha below 1 in the framebuffer; make it opaque so grabbing composes
  // the picture as it is shown.
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glFlush();
  painter.endNativePainting();

  // Text over the scene.
  QFont font("Times New Roman");
  font.setBold(true);
  font.setPixelSize(14);
  painter.setFont(font);
  // Labels anchored close together (the maxima of the combined plots at one depth) would
  // print over each other: a label that would cover one already drawn goes a line lower.
  std::vector<QRectF> drawn;
  const QFontMetricsF metrics(font);
  auto label = [&](const std::string& text, const TVec3& at, QColor colour) {
    const QString s = QString::fromStdString(text);
    QPointF p = ScreenPoint(at, w, h, v, S, ext);
    QRectF box(p.x(), p.y() - metrics.ascent(), metrics.horizontalAdvance(s), metrics.height());
    for (int tries = 0; tries < 8; ++tries) {
      bool free = true;
      for (const QRectF& r : drawn) free = free && !r.intersects(box);
      if (free) break;
      box.translate(0, metrics.height());
    }
    drawn.push_back(box);
    painter.setPen(colour);
    painter.drawText(QPointF(box.left(), box.top() + metrics.ascent()), s);
  };
  for (const TSceneList* list : {&view_.ShaftList(), &view_.SoilList()})
    for (const TSceneLabel& l : list->labels)
      label(l.text, l.at, QColor::fromRgbF(l.colour.r, l.colour.g, l.colour.b));
  if (view_.Flags.ShowLocalAxes) {
    label("X", {axis, 0, 0}, Qt::blue);
    label("Y", {0, axis, 0}, Qt::green);
    label("D", {0, 0, -axis}, Qt::red);
  }
  const QRect zoom = view_.Navigator.ZoomRect();
  if (!zoom.isNull()) {
    painter.setPen(Qt::green);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(zoom);
  }
}

void TglWindow::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  view_.Navigator.Press(e->position().toPoint(), view_.View, view_.S());
}

void TglWindow::mouseMoveEvent(QMouseEvent* e) {
  if (!(e->buttons() & Qt::LeftButton) || !view_.Navigator.Dragging()) return;
  view_.Navigator.Move(e->position().toPoint(), e->modifiers() & Qt::ShiftModifier, width(),
                       height(), view_.View);
  update();
}

void TglWindow::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  view_.Navigator.Release(e->position().toPoint(), width(), height(), view_.View);
  update();
}

// ---- The view ---------------------------------------------------------------------------------

TDlgBlock::TDlgBlock(project::Project& project, QWidget* parent)
    : QWidget(parent), project_(project) {
  setWindowTitle("3-D View");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  if (OpenGLAvailable()) {
    gl_ = new TglWindow(*this, this);
    layout->addWidget(gl_);
  } else {
    placeholder_ = new QLabel(kNoOpenGLMessage, this);
    placeholder_->setAlignment(Qt::AlignCenter);
    placeholder_->setWordWrap(true);
    layout->addWidget(placeholder_);
  }
  CreateMenu();
  CreateMouseActions();
  setMinimumSize(kViewMinimumSize);
  resize(kViewDefaultSize);
}

TDlgBlock::~TDlgBlock() { delete menu_; }

TDlgBlock* TDlgBlock::Find(QMdiArea* area) {
  if (!area) return nullptr;
  for (QMdiSubWindow* sub : area->subWindowList())
    if (auto* view = qobject_cast<TDlgBlock*>(sub->widget())) return view;
  return nullptr;
}

TDlgBlock* TDlgBlock::Show(QMdiArea* area, project::Project& project) {
  if (!area) return nullptr;
  TDlgBlock* view = Find(area);
  if (view) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(view->parentWidget())) {
      if (sub->isMinimized()) sub->showNormal();
      sub->show();
      area->setActiveSubWindow(sub);
    }
  } else {
    view = new TDlgBlock(project);
    QMdiSubWindow* sub = area->addSubWindow(view);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // The size it is restored to from maximised: the default, as far as the area allows.
    const QSize frame = sub->sizeHint() - view->sizeHint();
    const QSize room = area->viewport()->size();
    sub->resize((view->sizeHint() + frame).boundedTo(room).expandedTo(sub->minimumSizeHint()));
    sub->showMaximized();
    area->setActiveSubWindow(sub);
  }
  view->Activate();
  return view;
}

void TDlgBlock::Activate() {
  if (!extentsDone_) {
    extents_ = ComputeExtents(SceneInputFrom(project_));
    extentsDone_ = true;
  }
  Rebuild();
}

void TDlgBlock::Rebuild() {
  input_ = SceneInputFrom(project_);
  if (!extentsDone_) {
    extents_ = ComputeExtents(input_);
    extentsDone_ = true;
  }
  soil_ = BuildSoilAndWater(input_, extents_, Flags);
  shaft_ = BuildShaft(input_, extents_, Flags);
  if (Flags.ShowShaft && Flags.Combined.ShowUltimateEffects && catalogue_)
    AppendCombinedDiagrams(
        shaft_, BuildCombinedDiagrams(CombinedSource(*catalogue_, Flags.Combined), project_.data,
                                      Flags.Combined));
  if (gl_) gl_->Invalidate();
}

QSize TDlgBlock::DrawSize() const { return gl_ ? gl_->size() : size(); }

double TDlgBlock::S() const {
  const QSize s = DrawSize();
  return FitScale(s.width(), s.height(), extents_);
}

void TDlgBlock::Repaint() {
  if (gl_) gl_->update();
}

void TDlgBlock::SetMouseOption(int option) {
  Navigator.MouseOption = option;
  if (option >= 1 && option <= 4) mouseActions_[option - 1]->setChecked(true);
  Navigator.ZoomWindowBoxEnabled = mouseActions_[3]->isChecked();
}

void TDlgBlock::ZoomIn() {
  View.ZoomIn();
  Repaint();
}

void TDlgBlock::ZoomOut() {
  View.ZoomOut();
  Repaint();
}

void TDlgBlock::RestartView() {
  View.Restart();
  Repaint();
}

void TDlgBlock::SetCatalogue(const TGraphCatalogue* catalogue) {
  catalogue_ = catalogue;
  Rebuild();
}

void TDlgBlock::OpenCombinedPlots() {
  if (!diagramsDialog_) {
    diagramsDialog_ = new TDlgPileDiagrams(Flags.Combined, [this] { Rebuild(); }, this);
    diagramsDialog_->setAttribute(Qt::WA_DeleteOnClose);
    diagramsDialog_->setWindowFlag(Qt::WindowStaysOnTopHint);
    diagramsDialog_->PlaceBeside(window());
  }
  diagramsDialog_->LoadFromFlags();
  diagramsDialog_->show();
  diagramsDialog_->raise();
  diagramsDialog_->activateWindow();
}

void TDlgBlock::CreateMenu() {
  menu_ = new QMenu("Show 3D View");
  struct Toggle {
    const char* text;
    bool TDisplayFlags::*flag;
  };
  static const Toggle kToggles[] = {{"Shaft", &TDisplayFlags::ShowShaft},
                                    {"Water Level", &TDisplayFlags::ShowWaterLevel},
                                    {"Soil Layers", &TDisplayFlags::ShowSoilLayers},
                                    {"Layer Labels", &TDisplayFlags::ShowSoilLayerLabels},
                                    {"Layer Depths", &TDisplayFlags::ShowSoilLayerDepthLabels},
                                    {"Global Axes", &TDisplayFlags::ShowLocalAxes}};
  for (const Toggle& t : kToggles) {
    QAction* a = menu_->addAction(t.text);
    a->setCheckable(true);
    auto flag = t.flag;
    connect(a, &QAction::triggered, this, [this, flag](bool on) {
      Flags.*flag = on;
      UpdateMenu();
      Rebuild();
    });
    menuToggles_.push_back(a);
  }
  menu_->addSeparator();
  combinedAction_ = menu_->addAction("Combined Plots");
  combinedAction_->setCheckable(true);
  connect(combinedAction_, &QAction::triggered, this, [this] {
    combinedAction_->setChecked(combinedAction_->isEnabled() && Flags.Combined.ShowUltimateEffects);
    OpenCombinedPlots();
  });
  connect(menu_, &QMenu::aboutToShow, this, &TDlgBlock::UpdateMenu);
  UpdateMenu();
}

void TDlgBlock::UpdateMenu() {
  const bool flags[] = {Flags.ShowShaft,           Flags.ShowWaterLevel,
                        Flags.ShowSoilLayers,      Flags.ShowSoilLayerLabels,
                        Flags.ShowSoilLayerDepthLabels, Flags.ShowLocalAxes};
  for (size_t i = 0; i < menuToggles_.size(); ++i) menuToggles_[i]->setChecked(flags[i]);
  menuToggles_[3]->setEnabled(Flags.ShowSoilLayers);
  menuToggles_[4]->setEnabled(Flags.ShowSoilLayers);
  const bool combined =
      Flags.ShowShaft && combinedPlotsAvailable && combinedPlotsAvailable();
  combinedAction_->setEnabled(combined);
  combinedAction_->setChecked(combined && Flags.Combined.ShowUltimateEffects);
}

void TDlgBlock::CreateMouseActions() {
  mouseGroup_ = new QActionGroup(this);
  mouseGroup_->setExclusive(true);
  static const char* kModes[] = {"Panning", "Zooming", "Rotating", "Zoom Window"};
  for (int i = 0; i < 4; ++i) {
    auto* a = new QAction(kModes[i], this);
    a->setCheckable(true);
    a->setToolTip(kModes[i]);
    mouseGroup_->addAction(a);
    connect(a, &QAction::triggered, this, [this, i] { SetMouseOption(i + 1); });
    mouseActions_.push_back(a);
  }
  auto plain = [this](const char* text, void (TDlgBlock::*slot)()) {
    auto* a = new QAction(text, this);
    a->setToolTip(text);
    connect(a, &QAction::triggered, this, slot);
    mouseActions_.push_back(a);
  };
  plain("Zoom In", &TDlgBlock::ZoomIn);
  plain("Zoom Out", &TDlgBlock::ZoomOut);
  plain("Restart View", &TDlgBlock::RestartView);
  SetMouseOption(Navigator.MouseOption);
}

void TDlgBlock::wheelEvent(QWheelEvent* e) {
  const int delta = e->angleDelta().y();
  if (delta == 0) {
    e->ignore();
    return;
  }
  View.ZoomWheel(delta);
  Repaint();
  e->accept();
}

void TDlgBlock::closeEvent(QCloseEvent* e) {
  emit closed();
  QWidget::closeEvent(e);
}

}  // namespace korva::results
