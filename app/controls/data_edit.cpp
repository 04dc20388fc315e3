#include "data_edit.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "evaluator.h"
#include "units.h"

namespace korva::controls {
namespace {

constexpr double kInt32Min = static_cast<double>(std::numeric_limits<std::int32_t>::min());
constexpr double kInt32Max = static_cast<double>(std::numeric_limits<std::int32_t>::max());

// Keys that extend an expression: typed over a fully selected entry they are appended
// instead of replacing it.
bool IsOperatorKey(const QString& text) {
  return text.size() == 1 && QStringLiteral("+-/*^=%!").contains(text[0]);
}

// The evaluator separates lines with "\r"; message boxes want "\n".
QString MessageText(const char* what) {
  QString text = QString::fromUtf8(what);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace

std::function<void(QWidget*, const QString&)> TDataEdit::DefaultInformation =
    [](QWidget* field, const QString& message) {
      QMessageBox::information(field ? field->window() : nullptr, QStringLiteral("Information"),
                               message, QMessageBox::Ok);
    };

TDataEdit::TDataEdit(QWidget* parent) : QLineEdit(parent) {
  // The label stays without a parent until a layout (or the dialog) takes it, so an unused
  // label never shows up anywhere.
  auto* label = new QLabel;
  ownLabel_ = label;
  // Any change of the text (typing, a program's setText) leaves the value last shown.
  connect(this, &QLineEdit::textChanged, this, [this] { showsValue_ = false; });
  SetNumber(0);
  SetEditLabel(label);
}

TDataEdit::~TDataEdit() {
  // A label that never got a parent belongs to the field alone.
  if (ownLabel_ && !ownLabel_->parent()) delete ownLabel_.data();
}

QWidget* TDataEdit::FormOf(QWidget* w) {
  for (QWidget* p = w; p; p = p->parentWidget()) {
    if (p->isWindow() || qobject_cast<QMdiSubWindow*>(p)) return p;
  }
  return nullptr;
}

double TDataEdit::Number() const {
  if (showsValue_) return shownValue_;
  return project::EvaluateExpression(text().toStdString());
}

void TDataEdit::ShowValue(double v) {
  const QString shown = FormatNumber(v);
  // Hexadecimal shows the rounded value; that is the value the text stands for.
  shownValue_ = hex_ ? std::nearbyint(v) : v;
  setText(shown);
  showsValue_ = true;
}

bool TDataEdit::TryNumber(double& v) const {
  try {
    v = Number();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TDataEdit::ShownNumber(double& v) const { return TryNumber(v); }

QString TDataEdit::FormatNumber(double v) const {
  if (!hex_) return QString::fromStdString(project::FormatGeneral(v, 8));
  // Rounded to the nearest integer (halves to even), kept inside the 64-bit range; a
  // negative value shows its two's complement.
  double r = std::nearbyint(v);
  std::int64_t n = 0;
  if (std::isnan(r)) {
    n = 0;
  } else if (r >= 9.2233720368547758e18) {
    n = std::numeric_limits<std::int64_t>::max();
  } else if (r <= -9.2233720368547758e18) {
    n = std::numeric_limits<std::int64_t>::min();
  } else {
    n = static_cast<std::int64_t>(r);
  }
  const auto bits = static_cast<std::uint64_t>(n);
  return QStringLiteral("$") + QString::number(bits, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

void TDataEdit::SetNumber(double v) {
  if (v < minVal_) v = minVal_;
  if (!(v <= maxVal_)) v = maxVal_;  // NaN becomes the maximum too
  ShowValue(v);
}

void TDataEdit::SetMinVal(double v) {
  if (v > maxVal_) v = maxVal_;
  if (integerOnly_) v = std::clamp(v, kInt32Min, kInt32Max);
  minVal_ = v;
  double shown = 0;
  if (ShownNumber(shown) && shown < minVal_) SetNumber(minVal_);
}

void TDataEdit::SetMaxVal(double v) {
  if (v < minVal_) v = minVal_;
  if (integerOnly_) v = std::clamp(v, kInt32Min, kInt32Max);
  maxVal_ = v;
  double shown = 0;
  if (ShownNumber(shown) && shown > maxVal_) SetNumber(maxVal_);
}

void TDataEdit::SetIntegerOnly(bool v) {
  integerOnly_ = v;
  if (v) {
    SetMaxVal(maxVal_);
    SetMinVal(minVal_);
  }
}

void TDataEdit::SetHex(bool v) {
  if (hex_ == v) return;
  double shown = 0;
  const bool valid = ShownNumber(shown);
  hex_ = v;
  if (valid) ShowValue(shown);
}

void TDataEdit::SetCaption(const QString& caption) {
  caption_ = caption;
  UpdateLabel();
}

void TDataEdit::SetUnitsString(const QString& units) {
  unitsString_ = units;
  UpdateLabel();
}

void TDataEdit::SetUnits(int units) {
  units_ = std::clamp(units, 1, 3);
  UpdateLabel();
}

void TDataEdit::SetEditLabel(QLabel* label) {
  if (label_ == label) return;
  if (label_) {
    label_->setBuddy(nullptr);
    if (label_ == ownLabel_) delete label_.data();
  }
  label_ = label;
  if (label_) label_->setBuddy(this);
  UpdateLabel();
}

QString TDataEdit::LabelText() const {
  if (unitsString_.isEmpty()) return caption_;
  const std::string unit = project::UnitEntryDisplayName(unitsString_.toStdString(), units_);
  return caption_ + QStringLiteral(" (") + QString::fromStdString(unit) + QStringLiteral(")");
}

void TDataEdit::UpdateLabel() {
  if (!label_) return;
  label_->setText(LabelText());
  label_->setEnabled(isEnabled());
}

void TDataEdit::changeEvent(QEvent* e) {
  QLineEdit::changeEvent(e);
  if (e->type() == QEvent::EnabledChange) UpdateLabel();
}

bool TDataEdit::CloseQuery() {
  Validate();
  return ok_;
}

void TDataEdit::Evaluate() { Validate(); }

void TDataEdit::Validate() {
  // A message box shown by this validation moves the focus; that is no new exit.
  if (validating_) return;
  validating_ = true;
  ok_ = false;
  emit exited();

  QString message;
  double v = 0;
  try {
    v = Number();
    if (integerOnly_ && v != std::trunc(v)) {
      message = QStringLiteral("Entry must be an integer.");
    } else if (v < minVal_) {
      SetNumber(minVal_);
      message = QStringLiteral("Entry must be greater than or equal to ") + FormatNumber(minVal_);
    } else if (!(v <= maxVal_)) {
      SetNumber(maxVal_);
      message = QStringLiteral("Entry must be less than or equal to ") + FormatNumber(maxVal_);
    } else {
      // A typed entry is taken as the number shown for it; an untouched text keeps the
      // full value behind it (the text does not change then).
      setText(FormatNumber(v));
      ok_ = true;
    }
  } catch (const project::EAssignError& e) {
    message = integerOnly_ ? QStringLiteral("Entry must be a valid integer.") : MessageText(e.what());
  } catch (const std::exception& e) {
    // Arithmetic without a real result (division by zero, overflow): the entry cannot be
    // taken either; its text stays for correction.
    message = MessageText(e.what());
  }

  if (!ok_) {
    Report(message);
    if (isVisible()) setFocus(Qt::OtherFocusReason);
  }
  validating_ = false;
  emit validated(ok_);
}

void TDataEdit::Report(const QString& message) {
  if (information) {
    information(message);
  } else if (DefaultInformation) {
    DefaultInformation(this, message);
  }
}

void TDataEdit::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    Validate();
    selectAll();
    e->accept();
    return;
  }
  if (IsOperatorKey(e->text()) && hasSelectedText() && selectedText() == text()) {
    setCursorPosition(static_cast<int>(text().size()));  // also drops the selection
  }
  QLineEdit::keyPressEvent(e);
}

void TDataEdit::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  emit entered();
}

void TDataEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  // Leaving the window (another application, a menu, a message box) is no exit from the
  // field; neither is a move to another window or child window: that window change is
  // checked by the dialog's own deactivation (CloseQuery).
  if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
  if (!isVisible()) return;
  QWidget* next = QApplication::focusWidget();
  if (!next || FormOf(next) != FormOf(this)) return;
  Validate();
}

}  // namespace korva::controls
