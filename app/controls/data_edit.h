// TDataEdit: the single-line entry through which every number of the data-entry dialogs is
// typed. The text is an arithmetic expression (see evaluator.h); it is evaluated when the
// user leaves the field or presses Enter, checked against a range and the integer rule, and
// replaced by the resulting number. The field labels itself: its label (EditLabel) shows the
// caption followed by the unit of the value in the field's unit system.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <functional>

namespace korva::controls {

class TDataEdit : public QLineEdit {
  Q_OBJECT

 public:
  // Default range: effectively unbounded.
  static constexpr double kDefaultMinVal = -1.18973149535723176E100;
  static constexpr double kDefaultMaxVal = 1.18973149535723176E100;

  // Creates the field and its label. The label has no parent until it is put into a layout
  // (or given a parent); while it has none it is deleted with the field.
  explicit TDataEdit(QWidget* parent = nullptr);
  ~TDataEdit() override;

  // Shows a validation message (information box, OK button). Set per field, e.g. to the
  // dialog host's `information`; when empty the application-wide DefaultInformation is used.
  // Line breaks of the evaluator's messages arrive as "\n".
  std::function<void(const QString& message)> information;
  // Application-wide fallback: a QMessageBox over the field's window. Tests may replace it.
  static std::function<void(QWidget* field, const QString& message)> DefaultInformation;

  // Reading evaluates the current text; throws project::EAssignError for an invalid entry
  // and project::EMathError for arithmetic without a real result. No range check. Until the
  // text is changed after SetNumber showed a value, that value is returned in full: the 8
  // digits on screen never replace the digits behind them. A typed entry is the number shown.
  double Number() const;
  // Clamps `v` to [MinVal, MaxVal] and shows it (8 significant digits, or hexadecimal).
  void SetNumber(double v);
  // Number() that never throws: false (and `v` untouched) when the text does not evaluate.
  bool TryNumber(double& v) const;

  double MinVal() const { return minVal_; }
  // A minimum above MaxVal becomes MaxVal; with IntegerOnly it is clamped to the 32-bit
  // range; a shown number below the new minimum is raised to it.
  void SetMinVal(double v);
  double MaxVal() const { return maxVal_; }
  // Symmetric to SetMinVal.
  void SetMaxVal(double v);

  bool IntegerOnly() const { return integerOnly_; }
  // Turning it on brings MinVal and MaxVal into the 32-bit signed range.
  void SetIntegerOnly(bool v);

  bool Hex() const { return hex_; }
  // Shows the value as "$" and at least 4 hexadecimal digits of the rounded value.
  void SetHex(bool v);

  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  // Unit string of the value ("L2", "F/L2^2", ...); empty for dimensionless values.
  QString UnitsString() const { return unitsString_; }
  void SetUnitsString(const QString& units);
  // Unit system of the label: 1 English, 2 SI, 3 generic; other values are clamped.
  int Units() const { return units_; }
  void SetUnits(int units);

  // The label showing Caption (and unit); its buddy is this field.
  QLabel* EditLabel() const { return label_; }
  // Replaces the label; the label the field created is deleted then. nullptr leaves the
  // field without a label.
  void SetEditLabel(QLabel* label);

  // The text the label shows: "Caption (unit)" or "Caption".
  QString LabelText() const;

  // Result of the last validation.
  bool OK() const { return ok_; }
  // Validates the current text (as when leaving the field) and returns OK. Dialogs call it
  // for their active field before storing and before closing.
  bool CloseQuery();
  // Validates the current text.
  void Evaluate();

  // The text shown for `v` by this field (no clamping).
  QString FormatNumber(double v) const;

  // The field's form: the nearest window or MDI child around `w`.
  static QWidget* FormOf(QWidget* w);

 signals:
  // The exit notification: sent at the start of every validation, before the text is
  // evaluated.
  void exited();
  // Sent when the field receives the focus.
  void entered();
  // Sent at the end of every validation with its result.
  void validated(bool ok);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void Validate();
  void Report(const QString& message);
  void UpdateLabel();
  // The number currently shown, when the text evaluates.
  bool ShownNumber(double& v) const;
  // Shows `v` and remembers it as the value behind the text.
  void ShowValue(double v);

  double minVal_ = kDefaultMinVal;
  double maxVal_ = kDefaultMaxVal;
  bool integerOnly_ = false;
  bool hex_ = false;
  QString caption_;
  QString unitsString_;
  int units_ = 1;
  bool ok_ = false;
  bool validating_ = false;
  // The value behind the text while `showsValue_` (the text not changed since it was shown).
  double shownValue_ = 0;
  bool showsValue_ = false;
  QPointer<QLabel> label_;
  QPointer<QLabel> ownLabel_;  // the label this field created
};

}  // namespace korva::controls
