// The 3-D view: the shaft with its zones and bell, the soil layers as translucent blocks and
// the water table as a translucent plane, drawn with legacy OpenGL and turned, panned and
// zoomed with the mouse.
//
// The scene is built in two steps. The first part of this header (TSceneInput down to
// TNavigator) is plain C++: it computes the extents, the shaft zones, the primitives with
// their colours, the labels, the fit scale and the mouse navigation. The GL window only
// replays the primitive lists, so everything that decides what is drawn where can be tested
// without a display.
//
// The main window opens the view with TDlgBlock::Show(mdiArea, project). While the view
// exists it shows the view's ShowMenu() in the menu bar and its MouseActions() in the tool
// bar; both are owned by the view and disappear when it closes. The mouse wheel zooms in
// the same steps as "Zoom In" and "Zoom Out".
//
// The window never becomes smaller than kViewMinimumSize: a GL window squeezed to no height
// (a sub-window restored to a bare title bar) comes back black on this platform.
#pragma once

#include <QLabel>
#include <QOpenGLWidget>
#include <QPoint>
#include <QPointer>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "combined_plots.h"

class QAction;
class QActionGroup;
class QMdiArea;
class QMenu;

namespace korva::project {
class Project;
}

namespace korva::results {

// ---- Scene geometry (no GL) -------------------------------------------------------------------

struct TVec3 {
  double x = 0, y = 0, z = 0;
};

struct TRgba {
  double r = 0, g = 0, b = 0, a = 1;
  bool operator==(const TRgba&) const = default;
};

// One soil layer: its type code and the depth of its lower boundary.
struct TLayerInput {
  int soilType = 1;
  double bottom = 0;
};

// The project values the view draws (lengths in the project's unit).
struct TSceneInput {
  double D = 0;          // shaft diameter (DSTART)
  double ratio = 0;      // bell diameter / shaft diameter
  double bellAngle = 0;  // degrees
  double topLength = 0;  // TOPLENG
  double bs = 0;         // bottom zone length
  double pd = 0;         // shaft length
  int method = 2;        // 1: the shaft reaches the bottom of the last layer
  double wtd = 0;        // water table depth
  std::vector<TLayerInput> layers;
};

TSceneInput SceneInputFrom(const project::Project& project);

// Model coordinates: x, y horizontal with the shaft axis at x = y = 0, z up with the ground
// surface at z = 0 (depth d at z = -d).
struct TSceneExtents {
  double shaftLength = 0;        // L
  double hx = 0, hy = 0;         // plan half-widths
  double zmax = 0;               // depth extent
  double centreOffset = 0;       // zmax / 2: the drawing is moved up by it
  double E = 0;                  // vertical extent used for fitting
  double horizontalExtent = 0;   // 2 hx
};

double ShaftLength(const TSceneInput& in);
TSceneExtents ComputeExtents(const TSceneInput& in);

// Fit scale for a w x h window: min((h - 50) / E, (w - 50) / (2 hx)), a ratio with a zero
// denominator counting as 1.
double FitScale(int w, int h, const TSceneExtents& ext);
// Half depth of the orthographic box.
double DepthRange(int w, int h, const TSceneExtents& ext, double D);

// One zone of the shaft: a 20-sided frustum between two heights.
struct TShaftZone {
  double zTop = 0, zBottom = 0;
  double dTop = 0, dBottom = 0;  // diameters
  TRgba colour;
};

struct TShaftGeometry {
  bool belled = false;
  double bellLength = 0;  // b
  double bellStart = 0;   // z of the top of the bell (0 when straight)
  double bellEnd = 0;     // z of the base of the bell
  double baseDiameter = 0;
  std::vector<TShaftZone> zones;  // top to bottom, zero-length zones left out
  std::vector<double> boundaries; // z of the orange circles between zones
};

TShaftGeometry ComputeShaft(const TSceneInput& in, double shaftLength);

inline constexpr int kSectors = 20;
// The kSectors points of a horizontal circle of `diameter` on the axis at height z.
std::array<TVec3, kSectors> CirclePoints(double z, double diameter);

// Colour of layer k (0-based), cycling through ten colours.
TRgba LayerColour(int k);
// Label of a layer by soil type code, "Layer n" (1-based) for unknown codes.
std::string SoilLayerName(int soilType, int k);
// Number format of the view's labels: exponent notation with 4 significant digits when the
// magnitude is at most 0.001 or at least 100000, else 3 decimals.
std::string LabelNumber(double v);
// Apexes of the 5 x 5 water symbols on the water plane.
std::vector<TVec3> WaterSymbolApexes(const TSceneExtents& ext, double D, double wtd);

enum class TPrimKind { Lines, LineStrip, LineLoop, TriangleFan, Quads };

struct TPrimitive {
  TPrimKind kind = TPrimKind::Lines;
  TRgba colour;
  std::vector<TVec3> points;
};

struct TSceneLabel {
  std::string text;
  TVec3 at;
  TRgba colour;
};

// A list of primitives (one display list) and the labels that go with it.
struct TSceneList {
  bool blend = false;
  std::vector<TPrimitive> prims;
  std::vector<TSceneLabel> labels;
};

// Display toggles of the view and the flags of the combined plots.
struct TDisplayFlags {
  bool ShowShaft = true;
  bool ShowWaterLevel = true;
  bool ShowSoilLayers = true;
  bool ShowSoilLayerLabels = false;
  bool ShowSoilLayerDepthLabels = false;
  bool ShowLocalAxes = true;
  TCombinedPlotFlags Combined;  // the combined plots beside the shaft
};

// Soil layers and water table (blended).
TSceneList BuildSoilAndWater(const TSceneInput& in, const TSceneExtents& ext,
                             const TDisplayFlags& flags);
// The shaft (without the combined plots, see AppendCombinedDiagrams).
TSceneList BuildShaft(const TSceneInput& in, const TSceneExtents& ext, const TDisplayFlags& flags);
// Adds the combined-plot diagrams (opaque line strips and their maximum labels) to a list.
void AppendCombinedDiagrams(TSceneList& list, const TCombinedDiagrams& diagrams);

// ---- View state and mouse navigation (no GL) --------------------------------------------------

struct TMat3 {
  double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  TVec3 operator*(const TVec3& v) const;
  TMat3 operator*(const TMat3& o) const;
  TMat3 Transposed() const;
  static TMat3 Rotation(double degrees, int axis);  // axis 0 x, 1 y, 2 z
  static TMat3 Scale(double s);
};

inline constexpr double kZoomStep = 1.4142;

struct TViewState {
  double Rx = 0, Ry = 0, Rz = 0;  // degrees
  double Z = 1;                   // user zoom
  double Tx = 0, Ty = 0, Tz = 0;  // translation in model units

  void Restart() { *this = TViewState{}; }
  void ZoomIn() { Z *= kZoomStep; }
  void ZoomOut() { Z /= kZoomStep; }
  // Mouse wheel: one notch (120 eighths of a degree) away from the user zooms in one step,
  // towards the user out; finer wheels zoom by the fraction of a notch they turn.
  void ZoomWheel(int angleDelta) { Z *= std::pow(kZoomStep, angleDelta / 120.0); }
  // The model-view matrix without translations: the -90 degree turn about x (model z up on
  // the screen, model y into it), Rx, Ry, Rz, then the scale Z * S.
  TMat3 Matrix(double S) const;
};

enum TMouseOption { kMousePan = 1, kMouseZoom = 2, kMouseRotate = 3, kMouseZoomWindow = 4 };

// The screen position (widget pixels, y down) of a model point for a w x h window.
QPointF ScreenPoint(const TVec3& p, int w, int h, const TViewState& view, double S,
                    const TSceneExtents& ext);

// Turns left-button drags into view changes.
class TNavigator {
 public:
  int MouseOption = kMouseRotate;
  bool ZoomWindowBoxEnabled = false;

  void Press(QPoint at, const TViewState& view, double S);
  // Applies the drag to `view`; `shift` keeps only the larger of the two movements.
  void Move(QPoint at, bool shift, int w, int h, TViewState& view);
  // Ends the drag; for the zoom window moves and zooms `view` onto the rectangle.
  void Release(QPoint at, int w, int h, TViewState& view);

  bool Dragging() const { return dragging_; }
  // The zoom rectangle being dragged (empty when none).
  QRect ZoomRect() const;
  // A screen displacement (dx right, dy up, pixels) in model units for the matrix at press.
  TVec3 ScreenToModel(double dx, double dy) const;

 private:
  bool dragging_ = false;
  QPoint press_, current_;
  TViewState atPress_;
  double scale_ = 1;  // S at press
  TMat3 matrix_;      // model-view matrix at press
};

// ---- GL window and the view -------------------------------------------------------------------

// True when an OpenGL context can be created: false on the "offscreen" and "minimal"
// platforms, where a QOpenGLWidget cannot work.
bool OpenGLAvailable();
// Requests the compatibility profile the legacy drawing needs; call before QApplication.
void PrepareOpenGLFormat();
inline constexpr const char* kNoOpenGLMessage =
    "The 3-D view needs OpenGL, which is not available on this display.";
// Size of a new view and the smallest size it can be given.
inline constexpr QSize kViewDefaultSize{640, 480};
inline constexpr QSize kViewMinimumSize{240, 180};

class TDlgBlock;

// The OpenGL window of the view: replays the scene lists, draws axes, labels and the zoom
// rectangle, and forwards the mouse to the view's navigator.
class TglWindow : public QOpenGLWidget {
  Q_OBJECT

 public:
  explicit TglWindow(TDlgBlock& view, QWidget* parent = nullptr);
  ~TglWindow() override;
  // The scene lists must be compiled again before the next paint.
  void Invalidate();

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void Compile();
  void FreeLists();

  TDlgBlock& view_;
  unsigned base_ = 0;      // first of the three display lists
  bool initDone_ = false;  // lists compiled for the current scene
};

class TDlgBlock : public QWidget {
  Q_OBJECT

 public:
  // A view on `project`; the project must outlive it.
  explicit TDlgBlock(project::Project& project, QWidget* parent = nullptr);
  ~TDlgBlock() override;

  // Brings the existing view in `area` forward or creates it (maximised, with the default
  // size to come back to when restored); computes the extents at the first activation.
  static TDlgBlock* Show(QMdiArea* area, project::Project& project);
  static TDlgBlock* Find(QMdiArea* area);

  // Computes the extents the first time, then rebuilds the scene from the current data.
  void Activate();
  // Rebuilds the scene lists from the project and the flags and repaints.
  void Rebuild();

  TDisplayFlags Flags;
  TViewState View;
  TNavigator Navigator;

  const TSceneInput& Input() const { return input_; }
  const TSceneExtents& Extents() const { return extents_; }
  const TSceneList& SoilList() const { return soil_; }
  const TSceneList& ShaftList() const { return shaft_; }
  // The fit scale of the current window size.
  double S() const;
  // Size of the drawing area.
  QSize DrawSize() const;

  // "Show 3D View" menu and the seven mouse-mode tool bar buttons.
  QMenu* ShowMenu() const { return menu_; }
  const std::vector<QAction*>& MouseActions() const { return mouseActions_; }
  void SetMouseOption(int option);
  void ZoomIn();
  void ZoomOut();
  void RestartView();

  // The GL window, or nullptr when OpenGL is not available.
  TglWindow* GlWindow() const { return gl_; }
  // The message shown instead of the GL window, or nullptr.
  QLabel* Placeholder() const { return placeholder_; }

  // The result graphs the combined plots are drawn from (nullptr: none). Owned by the main
  // window; set again (or to nullptr) when the results are reloaded or freed.
  void SetCatalogue(const TGraphCatalogue* catalogue);
  // Whether "Combined Plots" may be used: results loaded and the plot data file present.
  // Set by the main window; unset means never.
  std::function<bool()> combinedPlotsAvailable;
  // "Combined Plots": opens (once per view) and activates the dialog on Flags.Combined.
  void OpenCombinedPlots();
  // The open dialog, or nullptr.
  TDlgPileDiagrams* CombinedPlotsDialog() const { return diagramsDialog_; }

 QSize sizeHint() const override { return kViewDefaultSize; }

 signals:
  void closed();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;

 private:
  void CreateMenu();
  void CreateMouseActions();
  void UpdateMenu();
  void Repaint();

  project::Project& project_;
  bool extentsDone_ = false;
  TSceneInput input_;
  TSceneExtents extents_;
  TSceneList soil_, shaft_;

  TglWindow* gl_ = nullptr;
  QLabel* placeholder_ = nullptr;
  QMenu* menu_ = nullptr;
  QAction* combinedAction_ = nullptr;
  std::vector<QAction*> menuToggles_;  // in menu order, matching the six display flags
  std::vector<QAction*> mouseActions_;
  QActionGroup* mouseGroup_ = nullptr;
  const TGraphCatalogue* catalogue_ = nullptr;
  QPointer<TDlgPileDiagrams> diagramsDialog_;
};

}  // namespace korva::results
