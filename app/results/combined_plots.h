// The combined plots: skin friction, tip resistance and total capacity against depth, drawn
// as diagrams standing beside the shaft in the 3D view, and the small "Combined Plots" dialog
// (TDlgPileDiagrams) that switches and scales them.
//
// The diagram geometry is plain computation (BuildCombinedDiagrams) returning line strips and
// label anchors in the 3D view's world coordinates: x horizontal from the shaft axis, y = 0
// (the vertical plane through the axis), z = -depth. The 3D view draws them as it likes.
//
// When every value of the three curves is zero there is nothing to scale the diagrams by:
// BuildCombinedDiagrams then returns no strips and no labels (Empty() is true), and the view
// draws nothing for them.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "graph_catalogue.h"
#include "graph_data.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace korva::project {
class TProgramData;
}

namespace korva::results {

// ---- Flags and size factor -----------------------------------------------------------------

// The combined-plot settings the 3D view keeps (initial values as a new view has them).
struct TCombinedPlotFlags {
  bool ShowUltimateEffects = false;  // draw the diagrams
  int ShowUltimateResults = 0;       // 0 ultimate (pltCombine), 1 ASD/LRFD (pltCombineD)
  bool ShowSkinFriction = true;
  bool ShowTipResistance = true;
  bool ShowTotalCapacity = true;
  bool ShowUltimateEffectsValues = false;  // label each diagram's maximum
  double UltimateEffectsFactor = 1.0;      // diagram size factor
};

// One up-down step of the size factor through 1, 2, ... 9 times the current power of ten:
// from 10 up 20, down 9; from 1 up 2, down 0.9. A factor of 0 or less (or not finite)
// becomes 1.
double SizeFactorStep(double factor, bool up);

// The factor typed into the edit: the number, or nullopt when the text is not a number.
std::optional<double> ParseSizeFactor(const std::string& text);

// The size factor shown in the edit (shortest general decimal form).
std::string SizeFactorText(double factor);

// ---- Diagram geometry ----------------------------------------------------------------------

enum CombinedCurve : int { kSkinFriction = 0, kTipResistance = 1, kTotalCapacity = 2 };

struct TWorldPoint {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

struct TRgb {
  int r = 0;
  int g = 0;
  int b = 0;
};

// Colour of a curve: skin friction red, tip resistance green, total capacity blue.
TRgb CombinedCurveColor(int curve);

// One line strip of a diagram (one pair of consecutive points).
struct TDiagramStrip {
  int Curve = 0;
  TRgb Color;
  std::vector<TWorldPoint> Points;
};

// The maximum-value label of one diagram, drawn without depth test.
struct TDiagramLabel {
  int Curve = 0;
  double Value = 0.0;  // the curve's value of largest magnitude (sign kept)
  double Depth = 0.0;  // its depth (after the BS reduction)
  TWorldPoint At;
  std::string Text;  // Value in the 3D view's label format
};

struct TCombinedDiagrams {
  std::vector<TDiagramStrip> Strips;
  std::vector<TDiagramLabel> Labels;
  double MaxAbs = 0.0;  // m, the largest |x| over the three curves
  double Width = 0.0;   // w, the diagram width of m
  bool Empty() const { return Strips.empty() && Labels.empty(); }
};

// The source graph: pltCombine, or pltCombineD when ShowUltimateResults is 1.
const TGraphPlot& CombinedSource(const TGraphCatalogue& catalogue, const TCombinedPlotFlags& flags);

// The diagrams of `graph` (curves in the order skin friction, tip resistance, total capacity;
// x the force, y the depth) beside a shaft of diameter data.DSTART: depths reduced by data.BS
// when BS > 0 (negative results taken as 0), widths scaled so that the largest |x| spans
// 2 * DSTART * factor, standing on the base line x = DSTART. Only shown curves give strips;
// labels only with ShowUltimateEffectsValues. Nothing for an all-zero graph. A factor of 0
// or less is taken as 1. ShowUltimateEffects is not looked at (the caller decides to draw).
TCombinedDiagrams BuildCombinedDiagrams(const TGraphPlot& graph, const project::TProgramData& data,
                                        const TCombinedPlotFlags& flags);

// The 3D view's number format for labels: magnitude at most 0.001 or at least 100000 in
// exponent notation with 4 significant digits ("1.235E+05", "0.000E+00"), otherwise fixed
// notation with 3 decimals.
std::string DiagramLabelText(double value);

// ---- The dialog --------------------------------------------------------------------------

// Where the dialog goes: its centre at three quarters of the main window's width and half
// its height, moved back so that it does not extend past the main window's right or bottom
// edge. `mainFrame` in global coordinates.
QPoint PileDiagramsPosition(const QRect& mainFrame, const QSize& dialogSize);

class TDlgPileDiagrams : public QDialog {
  Q_OBJECT

 public:
  // Edits `flags` (owned by the 3D view, which must outlive the dialog); `changed` is called
  // after every change so the view rebuilds its scene.
  TDlgPileDiagrams(TCombinedPlotFlags& flags, std::function<void()> changed,
                   QWidget* parent = nullptr);

  // Loads the controls from the flags (done on every activation).
  void LoadFromFlags();
  // Places the dialog beside `mainWindow` (see PileDiagramsPosition).
  void PlaceBeside(const QWidget* mainWindow);

  // The up-down control.
  void StepFactor(bool up);
  // Takes the edit's text as the factor. Empty text is ignored; text that is not a number
  // is refused: with `report` a message is shown and the current factor written back.
  // True when the factor was taken.
  bool TakeFactorText(bool report);

  QCheckBox* ShowPlots() const { return showPlots_; }
  QRadioButton* UltimateButton() const { return ultimate_; }
  QRadioButton* DesignButton() const { return design_; }
  QCheckBox* SkinFriction() const { return skin_; }
  QCheckBox* TipResistance() const { return tip_; }
  QCheckBox* TotalCapacity() const { return total_; }
  QCheckBox* ShowMaximum() const { return maximum_; }
  QLineEdit* FactorEdit() const { return factor_; }
  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

  // An information message; replaceable by tests.
  std::function<void(const QString&)> information;

 protected:
  bool event(QEvent* e) override;

 private:
  void EnableControls();
  void Changed();

  TCombinedPlotFlags& flags_;
  std::function<void()> changed_;
  bool loading_ = false;
  bool reporting_ = false;  // a refusal message is showing
  QCheckBox* showPlots_;
  QRadioButton* ultimate_;
  QRadioButton* design_;
  QCheckBox* skin_;
  QCheckBox* tip_;
  QCheckBox* total_;
  QCheckBox* maximum_;
  QLineEdit* factor_;
  QToolButton* up_;
  QToolButton* down_;
  QPushButton* close_;
  std::vector<QWidget*> dependent_;  // enabled only while "Show Plots" is checked
};

}  // namespace korva::results
