#include "value_dialogs.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace korva::dialogs {

using controls::TDataEdit;

namespace {

constexpr int kFieldWidth = 100;

QLabel* NoteLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

// One row of a field grid: label, field and an optional note.
void AddFieldRow(QGridLayout* grid, int row, TDataEdit* field, QLabel* note = nullptr) {
  grid->addWidget(field->EditLabel(), row, 0);
  grid->addWidget(field, row, 1);
  if (note) grid->addWidget(note, row, 2);
}

// Line breaks have no place in the one-line title.
QString OneLine(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  text.replace(QLatin1Char('\r'), QLatin1Char(' '));
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return text;
}

QPointer<TdlgTitle> gTitle;
QPointer<TfrmShaftpeneta> gShaft;
QPointer<TfrmPenetration> gPenetration;
QPointer<TfrmDesignLoad> gDesignLoad;
QPointer<TfrmSafetyFactor> gSafetyFactor;
QPointer<TfrmWaterDepth> gWaterDepth;

}  // namespace

// ---------------------------------------------------------------------------------------
// TFieldDialog

TFieldDialog::TFieldDialog(DialogHost& host, QWidget* parent) : TDataDialog(host, parent) {}

TDataEdit* TFieldDialog::NewField(const QString& caption, const QString& unitsString,
                                  std::optional<double> maxVal, const QString& hint, bool marksChanged) {
  auto* field = new TDataEdit(this);
  field->SetCaption(caption);
  field->SetUnitsString(unitsString);
  if (maxVal) field->SetMaxVal(*maxVal);
  if (!hint.isEmpty()) field->setToolTip(hint);
  field->setFixedWidth(kFieldWidth);
  field->information = [this](const QString& message) { Inform(message); };
  if (marksChanged) connect(field, &QLineEdit::textEdited, this, [this] { MarkChanged(); });
  connect(field, &TDataEdit::entered, this, [this, field] { lastField_ = field; });
  // A corrected entry is checked anew.
  connect(field, &QLineEdit::textEdited, this, [this] { keepEntries_ = false; });
  fields_.push_back(field);
  return field;
}

void TFieldDialog::ApplyUnits() {
  const int units = project().data.fUnits;
  for (TDataEdit* field : fields_) field->SetUnits(units);
}

TDataEdit* TFieldDialog::ActiveField() const {
  // A child window that is deactivated gives up its focus widget before the dialog hears
  // of it; the field entered last stands in then.
  if (QWidget* focus = focusWidget()) return qobject_cast<TDataEdit*>(focus);
  return lastField_;
}

bool TFieldDialog::ActiveFieldOK() {
  TDataEdit* field = ActiveField();
  if (!field) return true;
  // A failing check gives the focus back to the field, which may activate this dialog's
  // child window again: that activation must not replace the entry being checked.
  checking_ = true;
  const bool ok = field->CloseQuery();
  checking_ = false;
  return ok;
}

void TFieldDialog::StoreField(const TDataEdit* field, double& target) {
  double v = 0;
  if (field->TryNumber(v)) target = v;
}

void TFieldDialog::StoreField(const TDataEdit* field, int& target) {
  double v = 0;
  if (field->TryNumber(v) && std::isfinite(v) && std::fabs(v) < 2147483647.0) {
    target = static_cast<int>(std::nearbyint(v));
  }
}

void TFieldDialog::Inform(const QString& message) {
  const TMessageSubject subject(this);  // the box belongs over this dialog
  if (host_.information) {
    host_.information(message);
  } else if (TDataEdit::DefaultInformation) {
    TDataEdit::DefaultInformation(this, message);
  }
}

void TFieldDialog::MarkChanged() {
  if (host_.setChanged) {
    host_.setChanged();
  } else if (host_.project) {
    host_.project->SetDataChanged(true);
  }
}

void TFieldDialog::CloseWindow() {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    sub->close();
  } else {
    close();
  }
}

bool TFieldDialog::SkipLoad() { return keepEntries_ || checking_; }

bool TFieldDialog::StoreFailed() {
  // Only the window changes that follow at once are meant; any later load (a unit switch,
  // the next activation) shows the model again.
  if (!keepEntries_) QTimer::singleShot(0, this, [this] { keepEntries_ = false; });
  keepEntries_ = true;
  return false;
}

bool TFieldDialog::StorePending() const { return keepEntries_; }

// ---------------------------------------------------------------------------------------
// TdlgTitle

TdlgTitle::TdlgTitle(DialogHost& host, QWidget* parent) : TFieldDialog(host, parent) {
  setWindowTitle(QStringLiteral("Project Title"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Enter line of text for project description:"), this));
  edit_ = new QLineEdit(this);
  edit_->setMaxLength(80);
  edit_->setMinimumWidth(480);
  layout->addWidget(edit_);
}

TdlgTitle* TdlgTitle::Open(DialogHost& host) { return OpenChild(gTitle, host); }
TdlgTitle* TdlgTitle::Instance() { return gTitle; }

void TdlgTitle::LoadFromModel() {
  edit_->setText(OneLine(QString::fromStdString(project().data.Title)));
}

bool TdlgTitle::StoreToModel() {
  // The line shows the title without line breaks and cut to 80 characters; an untouched
  // line therefore leaves a longer stored title as it is.
  const QString shown = OneLine(QString::fromStdString(project().data.Title)).left(80);
  const QString text = edit_->text();
  if (text != shown && text.toStdString() != project().data.Title) {
    project().data.Title = text.toStdString();
    MarkChanged();
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// TShaftSketch

TShaftSketch::TShaftSketch(QWidget* parent) : QWidget(parent) {}

QSize TShaftSketch::sizeHint() const { return {190, 300}; }

void TShaftSketch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const double w = width();
  const double h = height();
  const double cx = w / 2 + 10;
  const double ground = 30;
  const double halfB = 18;                  // shaft radius
  const double halfBb = 48;                 // bell radius
  const double bellTop = h - 110;           // where the bell starts to widen
  const double bellBottom = bellTop + (halfBb - halfB);  // 45 degree bell
  const double base = bellBottom + 14;

  // Ground surface with hatching.
  p.setPen(QPen(Qt::black, 1.5));
  p.drawLine(QPointF(8, ground), QPointF(w - 8, ground));
  p.setPen(QPen(Qt::darkGray, 1));
  for (double x = 12; x < w - 8; x += 10) p.drawLine(QPointF(x, ground), QPointF(x - 6, ground + 6));

  // Shaft and bell outline.
  QPainterPath shaft;
  shaft.moveTo(cx - halfB, ground);
  shaft.lineTo(cx - halfB, bellTop);
  shaft.lineTo(cx - halfBb, bellBottom);
  shaft.lineTo(cx - halfBb, base);
  shaft.lineTo(cx + halfBb, base);
  shaft.lineTo(cx + halfBb, bellBottom);
  shaft.lineTo(cx + halfB, bellTop);
  shaft.lineTo(cx + halfB, ground);
  shaft.closeSubpath();
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(215, 215, 215));
  p.drawPath(shaft);
  p.setBrush(Qt::NoBrush);

  QFont font = p.font();
  font.setPointSizeF(std::max(7.0, font.pointSizeF() - 1));
  p.setFont(font);

  // Horizontal dimension with arrow ends.
  auto across = [&p](double x1, double x2, double y, const QString& text) {
    p.setPen(QPen(Qt::blue, 1));
    p.drawLine(QPointF(x1, y), QPointF(x2, y));
    p.drawLine(QPointF(x1, y), QPointF(x1 + 5, y - 3));
    p.drawLine(QPointF(x1, y), QPointF(x1 + 5, y + 3));
    p.drawLine(QPointF(x2, y), QPointF(x2 - 5, y - 3));
    p.drawLine(QPointF(x2, y), QPointF(x2 - 5, y + 3));
    p.setPen(Qt::black);
    p.drawText(QRectF(x1, y - 16, x2 - x1, 14), Qt::AlignCenter, text);
  };
  // Vertical dimension left of the shaft.
  auto along = [&p](double x, double y1, double y2, const QString& text) {
    p.setPen(QPen(Qt::blue, 1));
    p.drawLine(QPointF(x, y1), QPointF(x, y2));
    p.drawLine(QPointF(x - 4, y1), QPointF(x + 4, y1));
    p.drawLine(QPointF(x - 4, y2), QPointF(x + 4, y2));
    p.setPen(Qt::black);
    p.drawText(QRectF(x - 40, (y1 + y2) / 2 - 7, 36, 14), Qt::AlignRight | Qt::AlignVCenter, text);
  };

  across(cx - halfB, cx + halfB, ground + 80, QStringLiteral("B"));
  across(cx - halfBb, cx + halfBb, base + 14, QStringLiteral("Bb"));
  along(cx - halfBb - 8, ground, ground + 50, QStringLiteral("Lue"));
  along(cx - halfBb - 8, bellTop - 50, bellTop, QStringLiteral("Lle"));

  // Bell angle, measured from the vertical.
  p.setPen(QPen(Qt::blue, 1, Qt::DashLine));
  p.drawLine(QPointF(cx + halfB, bellTop), QPointF(cx + halfB, bellBottom + 4));
  p.setPen(Qt::black);
  p.drawText(QPointF(cx + halfB + 4, bellTop + 12), QStringLiteral("Ang"));
}

// ---------------------------------------------------------------------------------------
// TfrmShaftpeneta

TfrmShaftpeneta::TfrmShaftpeneta(DialogHost& host, QWidget* parent) : TFieldDialog(host, parent) {
  setWindowTitle(QStringLiteral("Drilled-Shaft Properties"));

  dstart_ = NewField(QStringLiteral("Minimum Shaft Diameter, B, to be Considered"), QStringLiteral("L2"), 30.0,
                     QStringLiteral("Practical minimum value is 2 ft or 0.6 m"));
  dialim_ = NewField(QStringLiteral("Maximum Shaft Diameter, B, to be Considered"), QStringLiteral("L2"), 30.0,
                     QStringLiteral("Practical maximum is 12 ft or 3.6 m"));
  ratio_ = NewField(QStringLiteral("&Ratio of Base Diameter to Shaft Diameter,  Bb/B"), {}, 10.0,
                    QStringLiteral("Usual value for belled shafts is 3"));
  belangl_ = NewField(QStringLiteral("&Angle of Bell with Respect to Vertical,  Ang "), QStringLiteral("deg"), 90.0,
                      QStringLiteral("Usual value for belled shafts is 45 degrees"));
  topleng_ = NewField(QStringLiteral("Length of &Upper Exclusion Zone without Skin Friction, Lue"),
                      QStringLiteral("L2"));
  bs_ = NewField(QStringLiteral("Lenght of Bottom Portion of Shaft without Skin Friction, Lle"), QStringLiteral("L2"),
                 100.0, QStringLiteral("From top of bell for belled shafts or from base for straight shafts"));
  epile_ = NewField(QStringLiteral("&Modulus of Elasticity of Drilled Shaft "), QStringLiteral("F/L\u00B2"),
                    300000000.0);

  auto* grid = new QGridLayout;
  dialimNote_ = new QLabel(QStringLiteral("(Enter 0 if same as minimum)"), this);
  AddFieldRow(grid, 0, dstart_);
  AddFieldRow(grid, 1, dialim_, dialimNote_);
  AddFieldRow(grid, 2, ratio_, new QLabel(QStringLiteral("(Enter 0 for straight shaft)"), this));
  AddFieldRow(grid, 3, belangl_, new QLabel(QStringLiteral("(Enter 0 for straight shaft)"), this));
  AddFieldRow(grid, 4, topleng_);
  AddFieldRow(grid, 5, bs_);
  AddFieldRow(grid, 6, epile_);
  grid->setRowStretch(7, 1);

  auto* top = new QHBoxLayout;
  top->addLayout(grid);
  top->addWidget(new TShaftSketch(this));

  auto* notes = new QVBoxLayout;
  notes->setSpacing(4);
  const QString lines[] = {
      QStringLiteral("Shaft diameter, B, is automatically incremented in 6-inch or 0.15 m increments between the "
                     "specified minimum and maximum diameters."),
      QStringLiteral("* This default increment can be changed while using Design Charts."),
      QStringLiteral("For shafts in cohesive soils, the upper exclusion zone, Lue, is used to eliminate side "
                     "resistance lost due to desiccation cracking and the lower exclusion zone, Lle, is used to "
                     "account for side resistance lost due to horizontal stress loss under loading."),
      QStringLiteral("For shafts in cohesive soils, a lower exclusion zone for side resistance is usually not "
                     "reccomended for uplift loading."),
      QStringLiteral("No exclusion zones are recommended for shafts in cohesionless soils."),
      QStringLiteral("Bells should not be specified for shafts in cohesionless soils or rock."),
  };
  for (const QString& line : lines) notes->addWidget(NoteLabel(line, this));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(notes);
  setMinimumWidth(760);
}

TfrmShaftpeneta* TfrmShaftpeneta::Open(DialogHost& host) { return OpenChild(gShaft, host); }
TfrmShaftpeneta* TfrmShaftpeneta::Instance() { return gShaft; }

void TfrmShaftpeneta::LoadFromModel() {
  if (SkipLoad()) return;
  ApplyUnits();
  const auto& d = project().data;
  dstart_->SetNumber(d.DSTART);
  dialim_->SetNumber(d.DIALIM);
  ratio_->SetNumber(d.RATIO);
  belangl_->SetNumber(d.BELANGL);
  topleng_->SetNumber(d.TOPLENG);
  bs_->SetNumber(d.BS);
  epile_->SetNumber(d.EPILE);
  // Multiple shaft lengths are evaluated for one diameter: no maximum then.
  const bool oneDiameter = d.METHOD == 2 && d.IPENT == 1;
  dialim_->setEnabled(!oneDiameter);
  dialimNote_->setEnabled(!oneDiameter);
  dialimNote_->setVisible(!oneDiameter);
}

bool TfrmShaftpeneta::StoreToModel() {
  if (StorePending() || !ActiveFieldOK()) return StoreFailed();
  StoreSucceeded();
  auto& d = project().data;
  StoreField(dstart_, d.DSTART);
  StoreField(dialim_, d.DIALIM);
  StoreField(ratio_, d.RATIO);
  StoreField(belangl_, d.BELANGL);
  StoreField(topleng_, d.TOPLENG);
  StoreField(bs_, d.BS);
  StoreField(epile_, d.EPILE);
  return true;
}

// ---------------------------------------------------------------------------------------
// TLoadingDialog

TLoadingDialog::TLoadingDialog(DialogHost& host, const QString& caption, const QString& valueCaption,
                               const QString& valueUnits, bool factorFollowsLoading, QWidget* parent)
    : TFieldDialog(host, parent), factorFollowsLoading_(factorFollowsLoading) {
  setWindowTitle(caption);
  value_ = NewField(valueCaption, valueUnits);
  // The factor is part of the loading type, which does not mark the project as changed.
  factor_ = NewField(QStringLiteral("&Reduction factor for uplift loading"), {}, 1.0, {}, false);
  factor_->SetNumber(1.0);

  auto* group = new QGroupBox(QStringLiteral("Type of Loading"), this);
  compression_ = new QRadioButton(QStringLiteral("C&ompression"), group);
  uplift_ = new QRadioButton(QStringLiteral("&Uplift "), group);
  compression_->setChecked(true);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(compression_);
  groupLayout->addWidget(uplift_);
  connect(uplift_, &QRadioButton::toggled, this, [this] { UpdateFactor(); });

  auto* grid = new QGridLayout(this);
  AddFieldRow(grid, 0, value_);
  grid->addWidget(group, 1, 0, 1, 2);
  AddFieldRow(grid, 2, factor_);
  UpdateFactor();
}

void TLoadingDialog::UpdateFactor() {
  if (factorFollowsLoading_) factor_->setEnabled(uplift_->isChecked());
}

void TLoadingDialog::LoadFromModel() {
  if (SkipLoad()) return;
  ApplyUnits();
  const auto& d = project().data;
  value_->SetNumber(StoredValue());
  if (d.KCYCL == 1) {
    compression_->setChecked(true);
  } else {
    uplift_->setChecked(true);
    factor_->SetNumber(d.RCYCL);
  }
  UpdateFactor();
}

bool TLoadingDialog::StoreToModel() {
  if (StorePending() || !ActiveFieldOK()) return StoreFailed();
  StoreSucceeded();
  auto& d = project().data;
  StoreField(value_, StoredValue());
  if (StoredValue() > 0) OtherValue() = 0;
  if (uplift_->isChecked()) {
    d.KCYCL = 2;
    StoreField(factor_, d.RCYCL);
  } else {
    d.KCYCL = 1;
    d.RCYCL = 1.0;
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// TfrmPenetration, TfrmDesignLoad

TfrmPenetration::TfrmPenetration(DialogHost& host, QWidget* parent)
    : TLoadingDialog(host, QStringLiteral("Drilled Shaft Length"), QStringLiteral("Enter the proposed &length"),
                     QStringLiteral("L2"), true, parent) {}

TfrmPenetration* TfrmPenetration::Open(DialogHost& host) { return OpenChild(gPenetration, host); }
TfrmPenetration* TfrmPenetration::Instance() { return gPenetration; }
double& TfrmPenetration::StoredValue() { return project().data.PD; }
double& TfrmPenetration::OtherValue() { return project().data.LPD; }

TfrmDesignLoad::TfrmDesignLoad(DialogHost& host, QWidget* parent)
    : TLoadingDialog(host, QStringLiteral("Design Load"), QStringLiteral("Enter the &design load"),
                     QStringLiteral("F2"), false, parent) {}

TfrmDesignLoad* TfrmDesignLoad::Open(DialogHost& host) { return OpenChild(gDesignLoad, host); }
TfrmDesignLoad* TfrmDesignLoad::Instance() { return gDesignLoad; }
double& TfrmDesignLoad::StoredValue() { return project().data.LPD; }
double& TfrmDesignLoad::OtherValue() { return project().data.PD; }

// ---------------------------------------------------------------------------------------
// TfrmSafetyFactor

TfrmSafetyFactor::TfrmSafetyFactor(DialogHost& host, QWidget* parent) : TFieldDialog(host, parent) {
  setWindowTitle(QStringLiteral("Factor of Safety (F.S.)"));
  fst_ = NewField(QStringLiteral("The F.S. applied to the ultimate &side friction"));
  fsb_ = NewField(QStringLiteral("The F.S. applied to the ultimate &base capacity"));
  auto* grid = new QGridLayout(this);
  AddFieldRow(grid, 0, fst_);
  AddFieldRow(grid, 1, fsb_);
}

TfrmSafetyFactor* TfrmSafetyFactor::Open(DialogHost& host) { return OpenChild(gSafetyFactor, host); }
TfrmSafetyFactor* TfrmSafetyFactor::Instance() { return gSafetyFactor; }

void TfrmSafetyFactor::LoadFromModel() {
  if (SkipLoad()) return;
  ApplyUnits();
  fst_->SetNumber(project().data.FST);
  fsb_->SetNumber(project().data.FSB);
}

bool TfrmSafetyFactor::StoreToModel() {
  if (StorePending() || !ActiveFieldOK()) return StoreFailed();
  StoreSucceeded();
  StoreField(fst_, project().data.FST);
  StoreField(fsb_, project().data.FSB);
  return true;
}

// ---------------------------------------------------------------------------------------
// TfrmWaterDepth

TfrmWaterDepth::TfrmWaterDepth(DialogHost& host, QWidget* parent) : TFieldDialog(host, parent) {
  setWindowTitle(QStringLiteral("Water Table"));
  wtd_ = NewField(QStringLiteral("&Depth of water table"), QStringLiteral("L2"));
  auto* grid = new QGridLayout(this);
  AddFieldRow(grid, 0, wtd_);
}

TfrmWaterDepth* TfrmWaterDepth::Open(DialogHost& host) { return OpenChild(gWaterDepth, host); }
TfrmWaterDepth* TfrmWaterDepth::Instance() { return gWaterDepth; }

void TfrmWaterDepth::LoadFromModel() {
  if (SkipLoad()) return;
  ApplyUnits();
  wtd_->SetNumber(project().data.WTD);
}

bool TfrmWaterDepth::StoreToModel() {
  if (StorePending() || !ActiveFieldOK()) return StoreFailed();
  StoreSucceeded();
  StoreField(wtd_, project().data.WTD);
  return true;
}

}  // namespace korva::dialogs
