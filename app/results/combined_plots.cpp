#include "combined_plots.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "evaluator.h"
#include "program_data.h"

namespace korva::results {

// ---- Size factor ----------------------------------------------------------------------------

namespace {

// n times 10^k, computed so that 0.1, 0.2 ... come out as the nearest doubles (n / 10^-k
// rounds once, n * 0.1 would round twice).
double Scaled(int n, int k) {
  return k >= 0 ? n * std::pow(10.0, k) : n / std::pow(10.0, -k);
}

}  // namespace

double SizeFactorStep(double v, bool up) {
  if (!std::isfinite(v) || v <= 0) return 1.0;
  int k = static_cast<int>(std::floor(std::log10(v)));
  // log10 may land just beside an exact power of ten; put the mantissa into [1, 10).
  if (v / Scaled(1, k) >= 10.0 * (1.0 - 1e-12)) ++k;
  if (v / Scaled(1, k) < 1.0 - 1e-12) --k;
  // The integer part of the mantissa, tolerant of 0.3 / 0.1 = 2.9999999999999996.
  const int e = static_cast<int>(std::floor(v / Scaled(1, k) + 1e-9));
  if (up) return e >= 10 ? Scaled(20, k) : Scaled(e + 1, k);
  return e <= 1 ? Scaled(9, k - 1) : Scaled(e - 1, k);
}

std::optional<double> ParseSizeFactor(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  const auto last = text.find_last_not_of(" \t");
  const auto v = project::ParseDecimal(std::string_view(text).substr(first, last - first + 1));
  if (!v || !std::isfinite(*v)) return std::nullopt;
  return v;
}

std::string SizeFactorText(double factor) { return project::FormatGeneral(factor, 15); }

// ---- Diagram geometry -------------------------------------------------------------------------

TRgb CombinedCurveColor(int curve) {
  switch (curve) {
    case kSkinFriction: return {255, 0, 0};
    case kTipResistance: return {0, 255, 0};
    default: return {0, 0, 255};
  }
}

const TGraphPlot& CombinedSource(const TGraphCatalogue& catalogue, const TCombinedPlotFlags& flags) {
  return catalogue[flags.ShowUltimateResults == 1 ? kPltCombineD : kPltCombine];
}

std::string DiagramLabelText(double value) {
  char buf[64];
  const double a = std::fabs(value);
  const bool exponent = a <= 0.001 || a >= 100000 || !std::isfinite(value);
  const auto res = exponent ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 3)
                            : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 3);
  std::string s(buf, res.ptr);
  for (char& c : s)
    if (c == 'e') c = 'E';
  return s;
}

TCombinedDiagrams BuildCombinedDiagrams(const TGraphPlot& graph, const project::TProgramData& data,
                                        const TCombinedPlotFlags& flags) {
  TCombinedDiagrams out;
  const int curves = std::min(graph.LineCount(), 3);

  // Depths of every point, reduced by the shaft's stick-up BS.
  std::vector<std::vector<TFloatPoint>> pts(static_cast<std::size_t>(curves));
  for (int c = 0; c < curves; ++c) {
    for (const TFloatPoint& p : graph.Lines(c).Data) {
      double d = p.y;
      if (data.BS > 0) d = std::max(0.0, d - data.BS);
      pts[static_cast<std::size_t>(c)].push_back({p.x, d});
    }
  }

  // m over all three curves; each curve's own largest |x| (first on ties).
  double m = 0.0;
  std::vector<int> maxAt(static_cast<std::size_t>(curves), -1);
  for (int c = 0; c < curves; ++c) {
    const auto& cp = pts[static_cast<std::size_t>(c)];
    double best = -1.0;
    for (std::size_t j = 0; j < cp.size(); ++j) {
      const double a = std::fabs(cp[j].x);
      if (a > best) {
        best = a;
        maxAt[static_cast<std::size_t>(c)] = static_cast<int>(j);
      }
    }
    m = std::max(m, best);
  }
  // All values zero (or unusable): there is no scale, so nothing is drawn.
  if (!(m > 0) || !std::isfinite(m)) return out;

  double factor = flags.UltimateEffectsFactor;
  if (!std::isfinite(factor) || factor <= 0) factor = 1.0;
  const double D = data.DSTART;
  const double w = 2.0 * D * factor;
  out.MaxAbs = m;
  out.Width = w;

  const bool shown[3] = {flags.ShowSkinFriction, flags.ShowTipResistance, flags.ShowTotalCapacity};
  for (int c = 0; c < curves; ++c) {
    if (!shown[c]) continue;
    const auto& cp = pts[static_cast<std::size_t>(c)];
    for (std::size_t j = 0; j + 1 < cp.size(); ++j) {
      const TFloatPoint& a = cp[j];
      const TFloatPoint& b = cp[j + 1];
      TDiagramStrip s;
      s.Curve = c;
      s.Color = CombinedCurveColor(c);
      s.Points = {{D, 0.0, -b.y}, {D, 0.0, -a.y}, {D + a.x / m * w, 0.0, -a.y}, {D + b.x / m * w, 0.0, -b.y}};
      if (j + 2 == cp.size()) s.Points.push_back({D, 0.0, -b.y});
      out.Strips.push_back(std::move(s));
    }
    if (flags.ShowUltimateEffectsValues && maxAt[static_cast<std::size_t>(c)] >= 0) {
      const TFloatPoint& p = cp[static_cast<std::size_t>(maxAt[static_cast<std::size_t>(c)])];
      TDiagramLabel l;
      l.Curve = c;
      l.Value = p.x;
      l.Depth = p.y;
      l.At = {1.5 * D + p.x / m * w, 0.0, -p.y};
      l.Text = DiagramLabelText(p.x);
      out.Labels.push_back(std::move(l));
    }
  }
  return out;
}

// ---- The dialog -------------------------------------------------------------------------------

QPoint PileDiagramsPosition(const QRect& mainFrame, const QSize& dialogSize) {
  int x = mainFrame.left() + mainFrame.width() * 3 / 4 - dialogSize.width() / 2;
  int y = mainFrame.top() + mainFrame.height() / 2 - dialogSize.height() / 2;
  x = std::min(x, mainFrame.left() + mainFrame.width() - dialogSize.width());
  y = std::min(y, mainFrame.top() + mainFrame.height() - dialogSize.height());
  return QPoint(x, y);
}

TDlgPileDiagrams::TDlgPileDiagrams(TCombinedPlotFlags& flags, std::function<void()> changed,
                                   QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), flags_(flags), changed_(std::move(changed)) {
  setWindowTitle(tr("Combined Plots"));
  setAttribute(Qt::WA_DeleteOnClose);

  auto* layout = new QVBoxLayout(this);
  showPlots_ = new QCheckBox(tr("Show Plots"), this);
  layout->addWidget(showPlots_);

  auto* select = new QGroupBox(tr("Select Plots"), this);
  auto* selectLayout = new QVBoxLayout(select);
  ultimate_ = new QRadioButton(tr("Ultimate Effects"), select);
  design_ = new QRadioButton(tr("ASD/LRFD Effects"), select);
  selectLayout->addWidget(ultimate_);
  selectLayout->addWidget(design_);
  layout->addWidget(select);

  auto* resultsHeading = new QLabel(tr("Select Results"), this);
  skin_ = new QCheckBox(tr("Skin Friction"), this);
  tip_ = new QCheckBox(tr("Tip Resistance"), this);
  total_ = new QCheckBox(tr("Total Capacity"), this);
  for (QWidget* w : std::initializer_list<QWidget*>{resultsHeading, skin_, tip_, total_}) layout->addWidget(w);

  auto* optionsHeading = new QLabel(tr("Options"), this);
  maximum_ = new QCheckBox(tr("Show Maximum Values"), this);
  layout->addWidget(optionsHeading);
  layout->addWidget(maximum_);
  auto* factorRow = new QHBoxLayout;
  auto* factorLabel = new QLabel(tr("Size Factor"), this);
  factor_ = new QLineEdit(this);
  factor_->setMaximumWidth(80);
  auto* arrows = new QVBoxLayout;
  arrows->setSpacing(0);
  up_ = new QToolButton(this);
  up_->setArrowType(Qt::UpArrow);
  down_ = new QToolButton(this);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up_, down_}) {
    b->setFixedSize(18, 12);
    arrows->addWidget(b);
  }
  factorRow->addWidget(factorLabel);
  factorRow->addWidget(factor_);
  factorRow->addLayout(arrows);
  factorRow->addStretch();
  layout->addLayout(factorRow);

  close_ = new QPushButton(tr("Close"), this);
  layout->addWidget(close_);

  dependent_ = {select, resultsHeading, skin_, tip_, total_, optionsHeading, maximum_,
                factorLabel, factor_, up_, down_};

  information = [this](const QString& text) { QMessageBox::information(this, windowTitle(), text); };

  connect(showPlots_, &QCheckBox::toggled, this, [this](bool on) {
    flags_.ShowUltimateEffects = on;
    EnableControls();
    Changed();
  });
  connect(ultimate_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    flags_.ShowUltimateResults = 0;
    Changed();
  });
  connect(design_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    flags_.ShowUltimateResults = 1;
    Changed();
  });
  auto flagBox = [this](QCheckBox* box, bool TCombinedPlotFlags::*flag) {
    connect(box, &QCheckBox::toggled, this, [this, flag](bool on) {
      flags_.*flag = on;
      Changed();
    });
  };
  flagBox(skin_, &TCombinedPlotFlags::ShowSkinFriction);
  flagBox(tip_, &TCombinedPlotFlags::ShowTipResistance);
  flagBox(total_, &TCombinedPlotFlags::ShowTotalCapacity);
  flagBox(maximum_, &TCombinedPlotFlags::ShowUltimateEffectsValues);
  // While typing, a number is taken at once and anything else waits; on Enter or leaving
  // the edit, text that is not a number is refused.
  connect(factor_, &QLineEdit::textEdited, this, [this] { TakeFactorText(false); });
  connect(factor_, &QLineEdit::editingFinished, this, [this] { TakeFactorText(true); });
  connect(up_, &QToolButton::clicked, this, [this] { StepFactor(true); });
  connect(down_, &QToolButton::clicked, this, [this] { StepFactor(false); });
  connect(close_, &QPushButton::clicked, this, &QDialog::close);

  LoadFromFlags();
}

void TDlgPileDiagrams::LoadFromFlags() {
  loading_ = true;
  showPlots_->setChecked(flags_.ShowUltimateEffects);
  (flags_.ShowUltimateResults == 1 ? design_ : ultimate_)->setChecked(true);
  skin_->setChecked(flags_.ShowSkinFriction);
  tip_->setChecked(flags_.ShowTipResistance);
  total_->setChecked(flags_.ShowTotalCapacity);
  maximum_->setChecked(flags_.ShowUltimateEffectsValues);
  factor_->setText(QString::fromStdString(SizeFactorText(flags_.UltimateEffectsFactor)));
  EnableControls();
  loading_ = false;
}

void TDlgPileDiagrams::PlaceBeside(const QWidget* mainWindow) {
  if (!mainWindow) return;
  adjustSize();
  move(PileDiagramsPosition(mainWindow->frameGeometry(), frameGeometry().size()));
}

void TDlgPileDiagrams::StepFactor(bool up) {
  flags_.UltimateEffectsFactor = SizeFactorStep(flags_.UltimateEffectsFactor, up);
  factor_->setText(QString::fromStdString(SizeFactorText(flags_.UltimateEffectsFactor)));
  Changed();
}

bool TDlgPileDiagrams::TakeFactorText(bool report) {
  const std::string text = factor_->text().toStdString();
  if (text.find_first_not_of(" \t") == std::string::npos) return false;
  if (const auto v = ParseSizeFactor(text)) {
    if (*v != flags_.UltimateEffectsFactor) {
      flags_.UltimateEffectsFactor = *v;
      Changed();
    }
    return true;
  }
  if (report && !reporting_) {
    reporting_ = true;
    factor_->setText(QString::fromStdString(SizeFactorText(flags_.UltimateEffectsFactor)));
    information(tr("'%1' is not a valid size factor. Enter a number.").arg(QString::fromStdString(text)));
    reporting_ = false;
  }
  return false;
}

bool TDlgPileDiagrams::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) LoadFromFlags();
  return QDialog::event(e);
}

void TDlgPileDiagrams::EnableControls() {
  for (QWidget* w : dependent_) w->setEnabled(flags_.ShowUltimateEffects);
}

void TDlgPileDiagrams::Changed() {
  if (loading_) return;
  if (changed_) changed_();
}

}  // namespace korva::results
