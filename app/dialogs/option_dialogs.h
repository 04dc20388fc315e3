// "Control Options" (a child window of the main window) and the two length-variation windows
// "Multiple Shaft Lengths" and "LRFD Design Charts" (top-level windows beside the main
// window). Each exists at most once: Open() creates it or brings it to the front, Instance()
// tells whether it exists, closing destroys it. None of them sets the changed flag.
#pragma once

#include <QPointer>
#include <QString>
#include <QTableWidget>
#include <functional>
#include <vector>

#include "value_dialogs.h"

class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QToolButton;

namespace korva::project {
class TGridTable;
}

namespace korva::dialogs {

// Access to the main window's text-editor setting (a program setting, not project data).
struct EditorSetting {
  std::function<QString()> get;
  std::function<void(const QString&)> set;
};

// "Control Options": end bearing in sands, output increment, elevation labels, text editor,
// additional t-z curves with their depths.
class TDlgOptions : public TFieldDialog {
  Q_OBJECT

 public:
  TDlgOptions(DialogHost& host, EditorSetting editor, QWidget* parent = nullptr);
  static TDlgOptions* Open(DialogHost& host, EditorSetting editor);
  static TDlgOptions* Instance();

  // Picks the editor program ("&Browse..."); returns the chosen file, empty when cancelled.
  // Replaceable for tests.
  static std::function<QString(QWidget* parent, const QString& preset)> ChooseEditorFile;
  // The file dialog ChooseEditorFile runs by default: the filters "Programs" (folders and
  // executable files) and "All Files", preset with `preset`; the caller owns it.
  static QFileDialog* NewEditorFileDialog(QWidget* parent, const QString& preset);
  // Shows the depth table of the generated t-z curves in the grid table's modal window
  // ("Edit Depths").
  static void EditTZDepths(project::TGridTable& table, QWidget* parent);

  void LoadFromModel() override;
  // Stores every value without checking the active field first.
  bool StoreToModel() override;

  QRadioButton* InterpolateEndBearing() const { return interpolate_; }
  QRadioButton* MaximumEndBearing() const { return maximum_; }
  controls::TDataEdit* OutputIncrement() const { return pinc_; }
  QCheckBox* UseElevation() const { return useElevation_; }
  controls::TDataEdit* Elevation() const { return elevation_; }
  QLineEdit* EditorPath() const { return editor_; }
  QPushButton* BrowseButton() const { return browse_; }
  QCheckBox* PrintTZCurves() const { return printTZ_; }
  QPushButton* EditDepthsButton() const { return editDepths_; }
  QPushButton* CloseButton() const { return close_; }

 protected:
  // Takes PrintTZCurves from its box, then checks the active field before storing.
  void closeEvent(QCloseEvent* e) override;

 private:
  void UpdateEnabled();
  void Browse();

  EditorSetting editorSetting_;
  QRadioButton* interpolate_ = nullptr;
  QRadioButton* maximum_ = nullptr;
  controls::TDataEdit* pinc_ = nullptr;
  QCheckBox* useElevation_ = nullptr;
  controls::TDataEdit* elevation_ = nullptr;
  QLineEdit* editor_ = nullptr;
  QPushButton* browse_ = nullptr;
  QCheckBox* printTZ_ = nullptr;
  QPushButton* editDepths_ = nullptr;
  QPushButton* close_ = nullptr;
};

// A top-level window beside the main window: loads on activation, stores on deactivation
// (without checking the active field) and on close (after checking it).
class TTopLevelDialog : public TFieldDialog {
  Q_OBJECT

 public:
  // Validates the active field, then stores.
  bool StoreToModel() override;
  // Stores every value; false when a value could not be taken (reported, the entries
  // before it are stored).
  virtual bool StoreValues() = 0;

 protected:
  TTopLevelDialog(DialogHost& host, QWidget* parent);
  void changeEvent(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

  // The widget that holds the window's controls (their layout goes on it). It scrolls when
  // the screen is too small for the whole window.
  QWidget* Content() const { return content_; }
  // Sizes the window to its content, as far as the screen's work area allows, and places
  // it inside that area over the main window.
  void FitIntoWorkArea();

  // Shows `instance` (creating it on first use) and brings it to the front.
  template <class T>
  static T* OpenWindow(QPointer<T>& instance, DialogHost& host);

 private:
  QScrollArea* scroll_ = nullptr;
  QWidget* content_ = nullptr;
  bool storing_ = false;
  // A failed store brings the window back; that activation keeps the entries on screen.
  bool keepOnActivation_ = false;
};

// "Multiple Shaft Lengths": IPENT and the range of lengths for one diameter.
class TfrmVaryLength : public TTopLevelDialog {
  Q_OBJECT

 public:
  explicit TfrmVaryLength(DialogHost& host, QWidget* parent = nullptr);
  static TfrmVaryLength* Open(DialogHost& host);
  static TfrmVaryLength* Instance();

  void LoadFromModel() override;
  bool StoreValues() override;

  QCheckBox* Evaluate() const { return check_; }
  controls::TDataEdit* MaxLength() const { return pd_; }
  controls::TDataEdit* MinLength() const { return pdmin_; }
  controls::TDataEdit* LengthIncrement() const { return pdincr_; }
  const std::vector<QLabel*>& Notes() const { return notes_; }

 private:
  void UpdateEnabled();
  QCheckBox* check_ = nullptr;
  controls::TDataEdit* pd_ = nullptr;
  controls::TDataEdit* pdmin_ = nullptr;
  controls::TDataEdit* pdincr_ = nullptr;
  std::vector<QLabel*> notes_;
};

// The settlement table of the design charts: row i holds point i + 1.
class TSettlementGrid : public QTableWidget {
 public:
  explicit TSettlementGrid(QWidget* parent = nullptr);
  // Writes an open cell editor's text into its cell.
  void CommitEditor();
};

// "LRFD Design Charts": IChart, the ranges of lengths and diameters and the settlements.
class TfrmDesignCharts : public TTopLevelDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxPoints = 10;

  explicit TfrmDesignCharts(DialogHost& host, QWidget* parent = nullptr);
  static TfrmDesignCharts* Open(DialogHost& host);
  static TfrmDesignCharts* Instance();

  void LoadFromModel() override;
  bool StoreValues() override;

  QCheckBox* Compute() const { return check_; }
  controls::TDataEdit* MaxLength() const { return pd_; }
  controls::TDataEdit* MinLength() const { return pdmin_; }
  controls::TDataEdit* LengthIncrement() const { return pdincr_; }
  controls::TDataEdit* DiameterIncrement() const { return diamincr_; }
  controls::TDataEdit* NumberOfPoints() const { return npoints_; }
  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }
  TSettlementGrid* Settlements() const { return grid_; }
  // Number of point rows shown.
  int ShownPoints() const;

 private:
  void UpdateEnabled();
  void ShowPoints(int n);
  void NumberChanged();
  void Step(int delta);

  QCheckBox* check_ = nullptr;
  controls::TDataEdit* pd_ = nullptr;
  controls::TDataEdit* pdmin_ = nullptr;
  controls::TDataEdit* pdincr_ = nullptr;
  controls::TDataEdit* diamincr_ = nullptr;
  controls::TDataEdit* npoints_ = nullptr;
  QToolButton* up_ = nullptr;
  QToolButton* down_ = nullptr;
  TSettlementGrid* grid_ = nullptr;
  std::vector<QWidget*> dependents_;  // notes and groups enabled with the check box
};

// ---------------------------------------------------------------------------------------

template <class T>
T* TTopLevelDialog::OpenWindow(QPointer<T>& instance, DialogHost& host) {
  if (!instance) {
    instance = new T(host, host.mdi ? host.mdi->window() : nullptr);
    instance->LoadFromModel();
    instance->FitIntoWorkArea();
  }
  instance->show();
  instance->raise();
  instance->activateWindow();
  return instance;
}

}  // namespace korva::dialogs
