// The dialogs that edit the project's scalar values: title, drilled-shaft properties, shaft
// length, design load, factors of safety and water table. Each is a non-modal child window
// of the main window that exists at most once: Open() creates it (or brings the existing one
// to the front), Instance() tells whether it exists, and closing it destroys it.
#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "data_dialog.h"
#include "data_edit.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace korva::dialogs {

// Common ground of dialogs built from numeric entry fields: creating labelled fields, the
// check of the active field, messages through the host.
class TFieldDialog : public TDataDialog {
  Q_OBJECT

 public:
  explicit TFieldDialog(DialogHost& host, QWidget* parent = nullptr);

  // The fields in creation order.
  const std::vector<controls::TDataEdit*>& Fields() const { return fields_; }

 protected:
  // A numeric field with its caption, unit string, upper limit and hint. With `marksChanged`
  // every edit by the user sets the project's changed flag. Its messages go to the host.
  controls::TDataEdit* NewField(const QString& caption, const QString& unitsString = {},
                                std::optional<double> maxVal = std::nullopt, const QString& hint = {},
                                bool marksChanged = true);
  // Every field takes the project's unit system (the labels show its units).
  void ApplyUnits();
  // The numeric field holding the focus within this dialog, if any. While the dialog has
  // lost the focus to another window, the field that had it last.
  controls::TDataEdit* ActiveField() const;
  // CloseQuery of the active numeric field; true when there is none.
  bool ActiveFieldOK();
  // Writes the field's value to `target` when its text evaluates; otherwise `target` stays.
  static void StoreField(const controls::TDataEdit* field, double& target);
  static void StoreField(const controls::TDataEdit* field, int& target);
  // Shows a message through the host (a message box by default).
  void Inform(const QString& message);
  void MarkChanged();
  // Closes the dialog together with its child window frame.
  void CloseWindow();

  // A failed store holds until control returns to the event loop: the window changes that
  // follow at once (the dialog is put back in front, perhaps more than once) neither reload
  // the entries from the model (SkipLoad) nor report the same entry again (StorePending:
  // the store fails without a new check).
  bool SkipLoad();
  bool StoreFailed();  // records the failure, returns false
  bool StorePending() const;
  void StoreSucceeded() { keepEntries_ = false; }

  // Shows `instance` (creating it on first use) as a child window of host.mdi.
  template <class T>
  static T* OpenChild(QPointer<T>& instance, DialogHost& host);

  std::vector<controls::TDataEdit*> fields_;

 private:
  bool keepEntries_ = false;
  bool checking_ = false;
  QPointer<controls::TDataEdit> lastField_;
};

// "Project Title": one line of text (at most 80 characters).
class TdlgTitle : public TFieldDialog {
  Q_OBJECT

 public:
  explicit TdlgTitle(DialogHost& host, QWidget* parent = nullptr);
  static TdlgTitle* Open(DialogHost& host);
  static TdlgTitle* Instance();

  void LoadFromModel() override;
  // Stores the text only when it differs from the title, and then sets the changed flag.
  bool StoreToModel() override;

  QLineEdit* TitleEdit() const { return edit_; }

 private:
  QLineEdit* edit_ = nullptr;
};

// A belled drilled shaft with its dimensions, drawn beside the shaft properties.
class TShaftSketch : public QWidget {
 public:
  explicit TShaftSketch(QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;
};

// "Drilled-Shaft Properties": diameters, bell, exclusion zones and modulus of the shaft.
class TfrmShaftpeneta : public TFieldDialog {
  Q_OBJECT

 public:
  explicit TfrmShaftpeneta(DialogHost& host, QWidget* parent = nullptr);
  static TfrmShaftpeneta* Open(DialogHost& host);
  static TfrmShaftpeneta* Instance();

  void LoadFromModel() override;
  bool StoreToModel() override;

  controls::TDataEdit* MinDiameter() const { return dstart_; }
  controls::TDataEdit* MaxDiameter() const { return dialim_; }
  QLabel* MaxDiameterNote() const { return dialimNote_; }
  controls::TDataEdit* Ratio() const { return ratio_; }
  controls::TDataEdit* BellAngle() const { return belangl_; }
  controls::TDataEdit* TopLength() const { return topleng_; }
  controls::TDataEdit* BottomLength() const { return bs_; }
  controls::TDataEdit* Modulus() const { return epile_; }

 private:
  controls::TDataEdit* dstart_ = nullptr;
  controls::TDataEdit* dialim_ = nullptr;
  controls::TDataEdit* ratio_ = nullptr;
  controls::TDataEdit* belangl_ = nullptr;
  controls::TDataEdit* topleng_ = nullptr;
  controls::TDataEdit* bs_ = nullptr;
  controls::TDataEdit* epile_ = nullptr;
  QLabel* dialimNote_ = nullptr;
};

// The two loading dialogs: one value (shaft length or design load), the type of loading and
// the reduction factor for uplift.
class TLoadingDialog : public TFieldDialog {
  Q_OBJECT

 public:
  void LoadFromModel() override;
  // Stores the value; a positive value clears the other one (length and load exclude each
  // other). Then KCYCL 2 and RCYCL from its field for uplift, else KCYCL 1 and RCYCL 1.0.
  bool StoreToModel() override;

  controls::TDataEdit* Value() const { return value_; }
  controls::TDataEdit* Factor() const { return factor_; }
  QRadioButton* Compression() const { return compression_; }
  QRadioButton* Uplift() const { return uplift_; }

 protected:
  // `factorFollowsLoading`: the factor field is enabled only while uplift is selected.
  TLoadingDialog(DialogHost& host, const QString& caption, const QString& valueCaption,
                 const QString& valueUnits, bool factorFollowsLoading, QWidget* parent);
  virtual double& StoredValue() = 0;
  virtual double& OtherValue() = 0;

 private:
  void UpdateFactor();
  controls::TDataEdit* value_ = nullptr;
  controls::TDataEdit* factor_ = nullptr;
  QRadioButton* compression_ = nullptr;
  QRadioButton* uplift_ = nullptr;
  bool factorFollowsLoading_ = false;
};

// "Drilled Shaft Length": PD; the reduction factor is enabled only for uplift.
class TfrmPenetration : public TLoadingDialog {
  Q_OBJECT

 public:
  explicit TfrmPenetration(DialogHost& host, QWidget* parent = nullptr);
  static TfrmPenetration* Open(DialogHost& host);
  static TfrmPenetration* Instance();

 protected:
  double& StoredValue() override;
  double& OtherValue() override;
};

// The design-load dialog: LPD; the reduction factor stays enabled.
class TfrmDesignLoad : public TLoadingDialog {
  Q_OBJECT

 public:
  explicit TfrmDesignLoad(DialogHost& host, QWidget* parent = nullptr);
  static TfrmDesignLoad* Open(DialogHost& host);
  static TfrmDesignLoad* Instance();

 protected:
  double& StoredValue() override;
  double& OtherValue() override;
};

// "Factor of Safety (F.S.)": FST and FSB.
class TfrmSafetyFactor : public TFieldDialog {
  Q_OBJECT

 public:
  explicit TfrmSafetyFactor(DialogHost& host, QWidget* parent = nullptr);
  static TfrmSafetyFactor* Open(DialogHost& host);
  static TfrmSafetyFactor* Instance();

  void LoadFromModel() override;
  bool StoreToModel() override;

  controls::TDataEdit* SideFactor() const { return fst_; }
  controls::TDataEdit* BaseFactor() const { return fsb_; }

 private:
  controls::TDataEdit* fst_ = nullptr;
  controls::TDataEdit* fsb_ = nullptr;
};

// "Water Table": WTD.
class TfrmWaterDepth : public TFieldDialog {
  Q_OBJECT

 public:
  explicit TfrmWaterDepth(DialogHost& host, QWidget* parent = nullptr);
  static TfrmWaterDepth* Open(DialogHost& host);
  static TfrmWaterDepth* Instance();

  void LoadFromModel() override;
  bool StoreToModel() override;

  controls::TDataEdit* Depth() const { return wtd_; }

 private:
  controls::TDataEdit* wtd_ = nullptr;
};

// ---------------------------------------------------------------------------------------

template <class T>
T* TFieldDialog::OpenChild(QPointer<T>& instance, DialogHost& host) {
  if (instance) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(instance->parentWidget()); sub && host.mdi) {
      host.mdi->setActiveSubWindow(sub);
    }
    return instance;
  }
  instance = new T(host);
  TDataDialog::ShowChild(instance);
  return instance;
}

}  // namespace korva::dialogs
