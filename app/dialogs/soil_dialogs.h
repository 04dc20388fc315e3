// The soil profile dialogs.
//
// TDlgSoilLayers (Data > Soil Layer Data) edits the layer table D: one grid row per layer
// with its soil type, bottom depth, limits of side friction and end bearing and, in LRFD
// projects, its two resistance factors. Controls laid over the grid cells do the editing;
// the cells hold the values as text and go to D when the dialog is left or closed. Soil
// types, added, inserted and deleted layers and the layers' parameter tables change D at
// once.
//
// TDlgSoils edits the parameter table of one layer (values at the top and the bottom of
// the layer) on the page of the layer's soil type. The layer dialog opens it modally from a
// layer's edit button.
#pragma once

#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "data_dialog.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabBar;
class QTableWidget;
class QVBoxLayout;

namespace korva::controls {
class TDataEdit;
}

namespace korva::dialogs {

// The most layers the dialog lets a project have.
inline constexpr int kMaxSoilLayers = 40;
// The most layers the analysis accepts; a project beyond it is refused by the run.
inline constexpr int kMaxAnalysedLayers = 30;

class TDlgSoils;

class TDlgSoilLayers : public TDataDialog {
  Q_OBJECT

 public:
  // Grid columns.
  static constexpr int kGridEdit = 0;
  static constexpr int kGridType = 1;
  static constexpr int kGridDepth = 2;
  static constexpr int kGridSideFriction = 3;
  static constexpr int kGridEndBearing = 4;
  static constexpr int kGridLrfdSide = 5;
  static constexpr int kGridLrfdEnd = 6;

  // Shows the dialog as a child window of host.mdi, or brings the open one to the front.
  static TDataDialog* Open(DialogHost& host);
  // The open dialog, nullptr when none is open.
  static TDlgSoilLayers* Instance();

  explicit TDlgSoilLayers(DialogHost& host, QWidget* parent = nullptr);
  ~TDlgSoilLayers() override;

  // Rebuilds the grid from D (headers by unit system and design method).
  void LoadFromModel() override;
  // Checks the active field, then writes the grid texts into D.
  bool StoreToModel() override;

  // Yes/No question before a layer is deleted; true for Yes (tests replace it).
  std::function<bool(const QString& text)> askYesNo;

  // The commands of the buttons and the drop-down lists.
  void AddLayer();
  void InsertLayer();
  void DeleteLayer();
  // Gives layer `layer` (0-based) soil type `newType`, carrying shared values over.
  void ChangeSoilType(int layer, int newType);
  // Opens the parameter dialog of a layer (modal) and shows the grid again afterwards.
  void EditLayer(int layer);

  int LayerCount() const;
  // The layer (0-based) last touched; Insert and Delete act on it.
  int FocusLayer() const { return focusLayer_; }
  void SetFocusLayer(int layer);
  QString CellText(int layer, int gridCol) const;

  QTableWidget* Grid() const { return grid_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* InsertButton() const { return insert_; }
  QPushButton* DeleteButton() const { return delete_; }
  QPushButton* CloseButton() const { return close_; }
  QCheckBox* ConfirmDeletion() const { return confirm_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 public:
  QPushButton* EditButton(int layer) const;
  QComboBox* TypeBox(int layer) const;
  // The numeric field over a grid cell (columns 2..6), nullptr when there is none.
  controls::TDataEdit* Field(int layer, int gridCol) const;

 private:
  struct RowControls {
    QPushButton* edit = nullptr;
    QComboBox* type = nullptr;
    std::array<controls::TDataEdit*, 5> fields{};  // grid columns 2..6
  };

  bool Lrfd() const;
  void Inform(const QString& text);
  // Validates the field that has the focus; false when its entry is invalid.
  bool ActiveFieldOK();
  void BuildHeaders();
  void AppendGridRow();
  void SetCellText(int layer, int gridCol, const QString& text);
  // Copies the texts of one grid row to another (the type and every value column).
  void MoveGridRow(int from, int to);
  void SetNewLayerTexts(int layer);
  // Shows the grid texts in the controls over the cells.
  void LayOutOverlays();
  void UpdateButtons();
  void FieldEntered(int layer);
  void FieldValidated(int layer, int gridCol, bool ok);
  void WarnAboutLayerCount(int before);

  QTableWidget* grid_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* insert_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* close_ = nullptr;
  QCheckBox* confirm_ = nullptr;
  std::vector<RowControls> rows_;
  // Fields typed into since they were last filled; only these write their value back, so
  // that the grid keeps the full precision of values the user did not touch.
  std::vector<std::array<bool, 5>> edited_;
  int focusLayer_ = 0;
  // The last store was refused (invalid entry): the grid holds edits D does not have yet,
  // so the next activation must not rebuild the grid from D.
  bool storeRefused_ = false;
};

class TDlgSoils : public TDataDialog {
  Q_OBJECT

 public:
  // Pages, in the order of the page control.
  enum Page { kPageSand, kPageClay, kPageRock, kPageDecomposedRock, kPageWeakRock, kPageGravel, kPageCount };
  // Side-friction procedures of a sand layer (column "Method").
  enum Method { kMethodKo = 1, kMethodBeta = 2, kMethodChenKulhawy = 3 };

  // A window of its own (owned by `owner`) that edits one layer's parameter table.
  TDlgSoils(DialogHost& host, QWidget* owner);
  ~TDlgSoils() override;

  // The open dialog, nullptr when none is open.
  static TDlgSoils* Instance();
  // Creates the dialog for a layer (counted from 1) of a soil type code and runs it
  // modally until it is closed.
  static void Edit(DialogHost& host, QWidget* owner, int layerNumber, int layerType);

  int LayerNumber = 1;
  int LayerType = 1;

  // Shows the page of LayerType and fills it from the layer's parameter table.
  void LoadFromModel() override;
  // Checks the entries, applies the sand procedure and stores the page into the table.
  bool StoreToModel() override;
  // Shows the dialog application-modal and returns when it has been closed.
  void Exec();

  // The page serving a soil type code (the gravel page for codes outside 1..9).
  static Page PageOf(int layerType);

  Page CurrentPage() const;
  // The caption of the only visible tab; empty when no tab is shown.
  QString VisibleTab() const;
  QString Title() const;
  // The fields of a row of a page (rows in screen order; on the weak-rock page row 0 is the
  // condition and has no fields).
  controls::TDataEdit* TopField(Page page, int row) const;
  controls::TDataEdit* BottomField(Page page, int row) const;
  QComboBox* TopCondition() const { return conditionTop_; }
  QComboBox* BottomCondition() const { return conditionBottom_; }
  QRadioButton* MethodButton(Method m) const;
  int SelectedMethod() const;
  QPushButton* CopyButton(Page page) const;
  QPushButton* CloseButton(Page page) const;
  // Sand notes: the Beta note (*), the exponent note (**), the friction-angle note (***)
  // and the interface-angle note.
  QLabel* BetaNote() const { return betaNote_; }
  QLabel* ExponentNote() const { return exponentNote_; }
  QLabel* FrictionNote() const { return frictionNote_; }
  QLabel* InterfaceNote() const { return interfaceNote_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 public:

  // Rows of the sand page.
  enum SandRow { kSandRowUnitWeight, kSandRowKo, kSandRowBeta, kSandRowExponent, kSandRowBlowCounts,
                 kSandRowFrictionAngle, kSandRowInterfaceAngle };

 private:
  struct FieldRow {
    controls::TDataEdit* top = nullptr;
    controls::TDataEdit* bottom = nullptr;
    int column = 0;
    bool integer = false;
  };
  struct PageData {
    QWidget* widget = nullptr;
    QLabel* title = nullptr;
    std::vector<FieldRow> rows;  // weak rock: row 0 is the condition (no fields)
    QPushButton* copy = nullptr;
    QPushButton* close = nullptr;
  };
  enum RowKind { kReal, kInteger, kCondition, kHidden };
  struct RowSpec {
    const char* label;
    const char* units;
    int column;
    RowKind kind;
  };

  void BuildPage(Page page, const std::vector<RowSpec>& rows, const std::vector<const char*>& notes);
  void AddSandMethods(QVBoxLayout* layout);
  void AddSandNotes(QVBoxLayout* layout);
  void ApplyMethodRules();
  void CopyTopToBottom();
  void Inform(const QString& text);
  project::TGridTable* LayerTable() const;

  std::array<PageData, kPageCount> pages_{};
  QTabBar* tabs_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QButtonGroup* methods_ = nullptr;
  QComboBox* conditionTop_ = nullptr;
  QComboBox* conditionBottom_ = nullptr;
  QLabel* betaNote_ = nullptr;
  QLabel* exponentNote_ = nullptr;
  QLabel* frictionNote_ = nullptr;
  QLabel* interfaceNote_ = nullptr;
};

}  // namespace korva::dialogs
