#include "soil_dialogs.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "data_edit.h"
#include "evaluator.h"

namespace korva::dialogs {

using controls::TDataEdit;
using project::ColumnKind;
using project::TGridTable;

namespace {

// ---------------------------------------------------------------------------------------
// Cell access that tolerates tables of another shape (a project from an older file, a
// layer without parameter table): missing cells read as 0 and are not written.

constexpr double kIntMin = static_cast<double>(std::numeric_limits<int>::min());
constexpr double kIntMax = static_cast<double>(std::numeric_limits<int>::max());

// Nearest whole number, halves to the even neighbour, kept inside the 32-bit range.
int RoundHalfEven(double v) {
  if (std::isnan(v)) return 0;
  double r = std::round(v);
  if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
  return static_cast<int>(std::clamp(r, kIntMin, kIntMax));
}

bool IsIntegerColumn(const TGridTable& t, int col) {
  const ColumnKind k = t.GetColumn(col).Kind();
  return k == ColumnKind::Int || k == ColumnKind::Enum;
}

double CellNumber(const TGridTable* t, int col, int row) {
  if (!t || !t->CellExists(col, row)) return 0;
  try {
    switch (t->GetColumn(col).Kind()) {
      case ColumnKind::Int:
      case ColumnKind::Enum: return t->GetIntValue(col, row);
      case ColumnKind::Float: return t->GetFloatValue(col, row);
      default: return 0;
    }
  } catch (const std::exception&) {
    return 0;
  }
}

void SetCellNumber(TGridTable* t, int col, int row, double v) {
  if (!t || !t->CellExists(col, row)) return;
  try {
    if (IsIntegerColumn(*t, col)) t->SetIntValue(col, row, RoundHalfEven(v));
    else if (t->GetColumn(col).Kind() == ColumnKind::Float) t->SetFloatValue(col, row, v);
  } catch (const std::exception&) {
    // A cell of an unexpected kind keeps its value.
  }
}

// A grid text as a number; false when it is not one.
bool TextNumber(const QString& text, double& v) {
  try {
    v = project::EvaluateExpression(text.toStdString());
    return std::isfinite(v);
  } catch (const std::exception&) {
    return false;
  }
}

QString Format(double v, int digits = 8) { return QString::fromStdString(project::FormatGeneral(v, digits)); }

// ---------------------------------------------------------------------------------------
// Values carried over when a layer changes its soil type. Each slot is a quantity that
// several parameter tables hold, possibly in different columns.

enum Slot {
  kSlotUnitWeight,
  kSlotBlowCount,
  kSlotFrictionAngle,
  kSlotKo,
  kSlotBeta,
  kSlotMethod,  // sand method or weak-rock interface condition
  kSlotInterfaceAngle,
  kSlotCohesion,
  kSlotAlpha,
  kSlotNc,
  kSlotRockStrength,
  kSlotConcreteStrength,
  kSlotSpacing,
  kSlotThickness,
  kSlotFifth,
  kSlotSixth,
  kSlotRQD,
  kSlotPoisson,
  kSlotSlump,
  kSlotCount
};

using SlotColumns = std::array<int, kSlotCount>;

// The column of each slot in the parameter table of a soil type (-1: the type has none).
SlotColumns ColumnsOf(int type) {
  using namespace project;
  SlotColumns c;
  c.fill(-1);
  switch (type) {
    case kSoilSand:
      c[kSlotUnitWeight] = kSandUnitWeight;
      c[kSlotBlowCount] = kSandBlowCounts;
      c[kSlotFrictionAngle] = kSandFrictionAngle;
      c[kSlotKo] = kSandKo;
      c[kSlotBeta] = kSandBeta;
      c[kSlotMethod] = kSandMethod;
      c[kSlotInterfaceAngle] = kSandInterfaceAngle;
      break;
    case kSoilClay:
    case kSoilShale:
      c[kSlotUnitWeight] = kClayUnitWeight;
      c[kSlotBlowCount] = kClayBlowCounts;
      c[kSlotCohesion] = kClayCohesion;
      c[kSlotAlpha] = kClayAlpha;
      c[kSlotNc] = kClayNc;
      break;
    case kSoilStrongRock:
    case kSoilNewStrongRock:
      c[kSlotRockStrength] = kRockCompressiveStrength;
      c[kSlotConcreteStrength] = kRockConcreteStrength;
      c[kSlotSpacing] = kRockDiscontinuitySpacing;
      c[kSlotThickness] = kRockDiscontinuityThickness;
      c[kSlotFifth] = kRockSocketDiameter;
      c[kSlotSixth] = kRockElasticModulus;
      c[kSlotRQD] = kRockRQD;
      break;
    case kSoilGravel:
      c[kSlotUnitWeight] = kGravelUnitWeight;
      c[kSlotBlowCount] = kGravelBlowCounts;
      c[kSlotFifth] = kGravelYoungsModulus;
      c[kSlotSixth] = kGravelSocketDiameter;
      c[kSlotPoisson] = kGravelPoisson;
      break;
    case kSoilWeakRock:
      c[kSlotMethod] = kWeakRockInterfaceCondition;
      c[kSlotInterfaceAngle] = kWeakRockInterfaceFriction;
      c[kSlotRockStrength] = kWeakRockCompressiveStrength;
      c[kSlotFifth] = kWeakRockSocketDiameter;
      c[kSlotSixth] = kWeakRockElasticModulus;
      c[kSlotRQD] = kWeakRockRQD;
      c[kSlotSlump] = kWeakRockConcreteSlump;
      break;
    case kSoilGravellySand:
    case kSoilRollinsGravel:
      c[kSlotUnitWeight] = kRollinsUnitWeight;
      c[kSlotBlowCount] = kRollinsBlowCounts;
      c[kSlotBeta] = kRollinsBeta;
      break;
    default: break;
  }
  return c;
}

// The method or condition codes a type accepts (sand 1..3, weak rock 1..4).
bool ValidMethodFor(int type, int value) {
  if (type == project::kSoilSand) return value >= 1 && value <= 3;
  if (type == project::kSoilWeakRock) return value >= 1 && value <= 4;
  return false;
}

struct KeptValues {
  std::array<std::array<double, 2>, kSlotCount> value{};
  std::array<bool, kSlotCount> filled{};
};

KeptValues KeepValues(int type, const TGridTable* table) {
  KeptValues kept;
  const SlotColumns cols = ColumnsOf(type);
  for (int s = 0; s < kSlotCount; ++s) {
    if (cols[s] < 0 || !table) continue;
    kept.filled[s] = true;
    for (int r = 0; r < 2; ++r) kept.value[s][r] = CellNumber(table, cols[s], r);
  }
  return kept;
}

// Writes the kept values into a fresh table. Slots the old type did not have stay at the
// new table's defaults; in particular a sand method or weak-rock condition is taken only
// when it is valid for the new type, so the new table keeps its default 1 otherwise.
void GiveValues(const KeptValues& kept, int type, TGridTable* table) {
  const SlotColumns cols = ColumnsOf(type);
  for (int s = 0; s < kSlotCount; ++s) {
    if (cols[s] < 0 || !kept.filled[s]) continue;
    for (int r = 0; r < 2; ++r) {
      const double v = kept.value[s][r];
      if (s == kSlotMethod && !ValidMethodFor(type, static_cast<int>(v))) continue;
      SetCellNumber(table, cols[s], r, v);
    }
  }
}

QPointer<TDlgSoilLayers> gSoilLayers;
QPointer<TDlgSoils> gSoils;

constexpr int kGridWidths[] = {90, 207, 94, 106, 106, 100, 100};

}  // namespace

// =======================================================================================
// TDlgSoilLayers

TDataDialog* TDlgSoilLayers::Open(DialogHost& host) {
  if (gSoilLayers) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(gSoilLayers->parentWidget()); sub && host.mdi)
      host.mdi->setActiveSubWindow(sub);
    else
      gSoilLayers->activateWindow();
    return gSoilLayers;
  }
  auto* dlg = new TDlgSoilLayers(host);
  if (host.mdi) {
    ShowChild(dlg);
  } else {
    dlg->LoadFromModel();
    dlg->show();
  }
  return dlg;
}

TDlgSoilLayers* TDlgSoilLayers::Instance() { return gSoilLayers; }

TDlgSoilLayers::TDlgSoilLayers(DialogHost& host, QWidget* parent) : TDataDialog(host, parent) {
  gSoilLayers = this;
  setWindowTitle("Soill Layers");
  askYesNo = [this](const QString& text) {
    return QMessageBox::question(this, windowTitle(), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  };

  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox("Layers Definition");
  auto* groupLayout = new QVBoxLayout(group);
  grid_ = new QTableWidget(0, 0);
  grid_->verticalHeader()->hide();
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::NoSelection);
  grid_->setFocusPolicy(Qt::NoFocus);
  grid_->setFixedHeight(186);
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  groupLayout->addWidget(grid_);

  auto* buttons = new QHBoxLayout;
  insert_ = new QPushButton("Insert Layer");
  add_ = new QPushButton("Add Layer");
  delete_ = new QPushButton("Delete Layer");
  confirm_ = new QCheckBox("Confirm Deletion");
  confirm_->setChecked(true);
  for (QWidget* w : {static_cast<QWidget*>(insert_), static_cast<QWidget*>(add_), static_cast<QWidget*>(delete_),
                     static_cast<QWidget*>(confirm_)})
    buttons->addWidget(w);
  buttons->addStretch();
  groupLayout->addLayout(buttons);
  layout->addWidget(group);

  for (const char* note : {"Notes:", "* Bottom of last layer must be deeper than the shaft bottom plus two pile diameters.",
                           "** If entries are left as zero, the program assumes no limits in side friction and end "
                           "bearing computed by the program",
                           "** Use a very small number (e.g. 0.001) for layers where load transfer should be ignored."}) {
    auto* label = new QLabel(note);
    label->setWordWrap(true);
    layout->addWidget(label);
  }
  auto* closeRow = new QHBoxLayout;
  close_ = new QPushButton("Close");
  closeRow->addStretch();
  closeRow->addWidget(close_);
  layout->addLayout(closeRow);

  connect(add_, &QPushButton::clicked, this, [this] { AddLayer(); });
  connect(insert_, &QPushButton::clicked, this, [this] { InsertLayer(); });
  connect(delete_, &QPushButton::clicked, this, [this] { DeleteLayer(); });
  connect(close_, &QPushButton::clicked, this, [this] {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->close();
    else close();
  });
}

TDlgSoilLayers::~TDlgSoilLayers() = default;

void TDlgSoilLayers::closeEvent(QCloseEvent* e) {
  TDataDialog::closeEvent(e);
  // Closed means gone, even before the deferred deletion has run.
  if (e->isAccepted() && gSoilLayers == this) gSoilLayers = nullptr;
}

bool TDlgSoilLayers::Lrfd() const { return host_.project && host_.project->data.NLRFD == 1; }

void TDlgSoilLayers::Inform(const QString& text) {
  const TMessageSubject subject(this);  // the box belongs over this dialog
  if (host_.information) host_.information(text);
  else if (TDataEdit::DefaultInformation) TDataEdit::DefaultInformation(this, text);
}

int TDlgSoilLayers::LayerCount() const { return grid_->rowCount(); }

void TDlgSoilLayers::SetFocusLayer(int layer) {
  if (layer >= 0 && layer < LayerCount()) focusLayer_ = layer;
}

QString TDlgSoilLayers::CellText(int layer, int gridCol) const {
  const QTableWidgetItem* item = grid_->item(layer, gridCol);
  return item ? item->text() : QString();
}

void TDlgSoilLayers::SetCellText(int layer, int gridCol, const QString& text) {
  if (QTableWidgetItem* item = grid_->item(layer, gridCol)) item->setText(text);
}

QPushButton* TDlgSoilLayers::EditButton(int layer) const {
  return layer >= 0 && layer < static_cast<int>(rows_.size()) ? rows_[layer].edit : nullptr;
}

QComboBox* TDlgSoilLayers::TypeBox(int layer) const {
  return layer >= 0 && layer < static_cast<int>(rows_.size()) ? rows_[layer].type : nullptr;
}

TDataEdit* TDlgSoilLayers::Field(int layer, int gridCol) const {
  if (layer < 0 || layer >= static_cast<int>(rows_.size()) || gridCol < kGridDepth || gridCol > kGridLrfdEnd)
    return nullptr;
  return rows_[layer].fields[gridCol - kGridDepth];
}

bool TDlgSoilLayers::ActiveFieldOK() {
  auto* field = qobject_cast<TDataEdit*>(focusWidget());
  return !field || !isAncestorOf(field) || field->CloseQuery();
}

void TDlgSoilLayers::BuildHeaders() {
  const bool si = host_.project && host_.project->data.fUnits == 2;
  const QString stress = si ? "       (kN/m^2)    " : "       (lb/ft^2)    ";
  QStringList headers = {"  Layer ", " Soil Type ",
                         QString("Depth at Bottom * \n") + (si ? " of each layer (m) " : " of each layer (ft) "),
                         "Max. Side Friction ** \n" + stress, "Max. End Bearing ** \n" + stress};
  if (Lrfd()) headers << "LRFD Res. Factor\n (Side Friction) " << "LRFD Res. Factor\n (End Bearing) ";
  grid_->setHorizontalHeaderLabels(headers);
}

void TDlgSoilLayers::AppendGridRow() {
  const int r = grid_->rowCount();
  grid_->insertRow(r);
  grid_->setRowHeight(r, 25);
  for (int c = 0; c < grid_->columnCount(); ++c) grid_->setItem(r, c, new QTableWidgetItem);

  RowControls rc;
  rc.edit = new QPushButton;
  connect(rc.edit, &QPushButton::clicked, this, [this, r] { EditLayer(r); });
  grid_->setCellWidget(r, kGridEdit, rc.edit);

  rc.type = new QComboBox;
  for (std::string_view name : project::kSoilTypeNames)
    rc.type->addItem(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
  connect(rc.type, &QComboBox::activated, this, [this, r](int index) { ChangeSoilType(r, index + 1); });
  grid_->setCellWidget(r, kGridType, rc.type);

  for (int c = kGridDepth; c < grid_->columnCount(); ++c) {
    auto* field = new TDataEdit;
    field->SetEditLabel(nullptr);
    field->setProperty("gridRow", r);
    field->setProperty("gridCol", c);
    field->information = [this](const QString& text) { Inform(text); };
    connect(field, &QLineEdit::textEdited, this, [this, r, c] {
      if (r < static_cast<int>(edited_.size())) edited_[r][c - kGridDepth] = true;
    });
    connect(field, &TDataEdit::entered, this, [this, r] { FieldEntered(r); });
    connect(field, &TDataEdit::validated, this, [this, r, c](bool ok) { FieldValidated(r, c, ok); });
    grid_->setCellWidget(r, c, field);
    rc.fields[c - kGridDepth] = field;
  }
  rows_.push_back(rc);
  edited_.push_back({});
}

void TDlgSoilLayers::FieldEntered(int layer) {
  if (layer < LayerCount()) focusLayer_ = layer;
}

void TDlgSoilLayers::FieldValidated(int layer, int gridCol, bool ok) {
  if (layer >= LayerCount() || layer >= static_cast<int>(rows_.size())) return;
  focusLayer_ = layer;
  bool& edited = edited_[layer][gridCol - kGridDepth];
  double v = 0;
  if (!ok || !edited || !rows_[layer].fields[gridCol - kGridDepth]->TryNumber(v)) return;
  // The value as the field shows it goes to the grid.
  SetCellText(layer, gridCol, Format(v, 15));
  edited = false;
}

void TDlgSoilLayers::MoveGridRow(int from, int to) {
  for (int c = kGridType; c < grid_->columnCount(); ++c) SetCellText(to, c, CellText(from, c));
  edited_[to] = edited_[from];
}

void TDlgSoilLayers::SetNewLayerTexts(int layer) {
  SetCellText(layer, kGridType, "1");
  for (int c = kGridDepth; c <= kGridEndBearing; ++c) SetCellText(layer, c, "0");
  for (int c = kGridLrfdSide; c < grid_->columnCount(); ++c) SetCellText(layer, c, "1");
  edited_[layer] = {};
}

void TDlgSoilLayers::LayOutOverlays() {
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
    RowControls& rc = rows_[r];
    rc.edit->setText(QString("Edit Layer %1").arg(r + 1));
    const int code = CellText(r, kGridType).toInt();
    rc.type->setCurrentIndex(code >= 1 && code <= project::kSoilTypeCount ? code - 1 : 0);
    for (int c = kGridDepth; c < grid_->columnCount(); ++c) {
      TDataEdit* field = rc.fields[c - kGridDepth];
      if (!field) continue;
      double v = 0;
      if (TextNumber(CellText(r, c), v)) field->SetNumber(v);
      else field->setText(CellText(r, c));
    }
    edited_[r] = {};
  }
}

void TDlgSoilLayers::UpdateButtons() {
  const int n = LayerCount();
  add_->setEnabled(n < kMaxSoilLayers);
  // Inserting makes one more layer as well.
  insert_->setEnabled(n >= 1 && n < kMaxSoilLayers);
  delete_->setEnabled(n >= 1);
}

void TDlgSoilLayers::WarnAboutLayerCount(int before) {
  const int n = LayerCount();
  if (before <= kMaxAnalysedLayers && n > kMaxAnalysedLayers)
    Inform(QString("The profile now has %1 soil layers, but the analysis takes at most %2 layers.\r"
                   "A project with more than %2 layers is refused when the analysis is run.")
               .arg(n)
               .arg(kMaxAnalysedLayers));
}

void TDlgSoilLayers::LoadFromModel() {
  if (storeRefused_) {
    // The grid holds entries D does not have; keep them for correction.
    storeRefused_ = false;
    return;
  }
  const int columns = Lrfd() ? 7 : 5;
  const bool resized = grid_->columnCount() != columns;
  if (resized) {
    grid_->setRowCount(0);
    rows_.clear();
    edited_.clear();
    grid_->setColumnCount(columns);
  }
  BuildHeaders();
  if (resized) {
    // The columns are at least as wide as their headings need in the current font.
    int width = 0;
    for (int c = 0; c < columns; ++c) {
      const int w = std::max(kGridWidths[c], grid_->horizontalHeader()->sectionSizeHint(c));
      grid_->setColumnWidth(c, w);
      width += w;
    }
    grid_->setFixedWidth(width + 2 * grid_->frameWidth() + grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
    // The size hints are cached until the next layout pass; the window is sized before it.
    if (QWidget* group = grid_->parentWidget(); group && group->layout()) {
      group->layout()->invalidate();
      group->updateGeometry();
    }
    layout()->invalidate();
    updateGeometry();
  }

  project::TGridTable& d = project().tables.D;
  const int n = d.RowCount();
  while (grid_->rowCount() > n) {
    grid_->removeRow(grid_->rowCount() - 1);
    rows_.pop_back();
    edited_.pop_back();
  }
  while (grid_->rowCount() < n) AppendGridRow();
  for (int r = 0; r < n; ++r) {
    SetCellText(r, kGridType, QString::number(static_cast<int>(CellNumber(&d, project::kColSoilType, r))));
    SetCellText(r, kGridDepth, Format(CellNumber(&d, project::kColDepthBottom, r)));
    SetCellText(r, kGridSideFriction, Format(CellNumber(&d, project::kColMaxSideFriction, r)));
    SetCellText(r, kGridEndBearing, Format(CellNumber(&d, project::kColMaxEndBearing, r)));
    if (columns == 7) {
      SetCellText(r, kGridLrfdSide, Format(CellNumber(&d, project::kColLrfdSideFriction, r)));
      SetCellText(r, kGridLrfdEnd, Format(CellNumber(&d, project::kColLrfdEndBearing, r)));
    }
  }
  LayOutOverlays();
  focusLayer_ = 0;
  UpdateButtons();

  auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
  if (resized && sub) {
    // The LRFD columns change the width of the window.
    if (sub->layout()) sub->layout()->invalidate();
    sub->setMinimumSize(0, 0);
    sub->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    sub->adjustSize();
    sub->setFixedSize(sub->sizeHint());
  }
}

bool TDlgSoilLayers::StoreToModel() {
  if (!ActiveFieldOK()) {
    storeRefused_ = true;
    return false;
  }
  storeRefused_ = false;
  project::TGridTable& d = project().tables.D;
  const int n = LayerCount();
  if (d.RowCount() != n) d.SetRowCount(n);

  // A text equal to the model value as the grid shows it is not written back, so values
  // with more than 8 digits keep their precision.
  auto storeReal = [&](int gridCol, int col, int row) {
    const QString text = CellText(row, gridCol);
    double v = 0;
    if (text == Format(CellNumber(&d, col, row)) || !TextNumber(text, v)) return;
    SetCellNumber(&d, col, row, v);
  };
  for (int r = 0; r < n; ++r) {
    bool ok = false;
    const int type = CellText(r, kGridType).toInt(&ok);
    if (ok && static_cast<int>(CellNumber(&d, project::kColSoilType, r)) != type)
      SetCellNumber(&d, project::kColSoilType, r, type);
    storeReal(kGridDepth, project::kColDepthBottom, r);
    storeReal(kGridSideFriction, project::kColMaxSideFriction, r);
    storeReal(kGridEndBearing, project::kColMaxEndBearing, r);
    if (Lrfd() && grid_->columnCount() == 7) {
      storeReal(kGridLrfdSide, project::kColLrfdSideFriction, r);
      storeReal(kGridLrfdEnd, project::kColLrfdEndBearing, r);
    }
  }
  LayOutOverlays();
  focusLayer_ = 0;
  if (host_.setChanged) host_.setChanged();
  return true;
}

namespace {

// A new layer: sand, depth and limits 0, resistance factors 1.
void InitLayer(project::TGridTable& d, int row, bool lrfd) {
  SetCellNumber(&d, project::kColSoilType, row, project::kSoilSand);
  SetCellNumber(&d, project::kColDepthBottom, row, 0);
  SetCellNumber(&d, project::kColMaxSideFriction, row, 0);
  SetCellNumber(&d, project::kColMaxEndBearing, row, 0);
  if (lrfd) {
    SetCellNumber(&d, project::kColLrfdSideFriction, row, 1.0);
    SetCellNumber(&d, project::kColLrfdEndBearing, row, 1.0);
  }
}

}  // namespace

void TDlgSoilLayers::AddLayer() {
  if (!ActiveFieldOK()) return;
  const int n = LayerCount();
  if (n >= kMaxSoilLayers) {
    Inform(QString("A profile holds at most %1 soil layers.").arg(kMaxSoilLayers));
    return;
  }
  project::TGridTable& d = project().tables.D;
  d.SetRowCount(n);  // the grid and D have the same layers
  d.AddRowGroup();
  InitLayer(d, n, Lrfd());
  AppendGridRow();
  SetNewLayerTexts(n);
  LayOutOverlays();
  grid_->scrollToItem(grid_->item(n, kGridEdit));
  focusLayer_ = n;
  UpdateButtons();
  if (host_.setChanged) host_.setChanged();
  WarnAboutLayerCount(n);
}

void TDlgSoilLayers::InsertLayer() {
  if (!ActiveFieldOK()) return;
  const int n = LayerCount();
  if (n == 0) return;
  if (n >= kMaxSoilLayers) {
    Inform(QString("A profile holds at most %1 soil layers.").arg(kMaxSoilLayers));
    return;
  }
  const int at = std::clamp(focusLayer_, 0, n - 1);
  project::TGridTable& d = project().tables.D;
  d.SetRowCount(n);
  // The layers from `at` down move by one row with their whole parameter tables.
  d.InsertRowGroup(at);
  InitLayer(d, at, Lrfd());
  AppendGridRow();
  for (int r = n; r > at; --r) MoveGridRow(r - 1, r);
  SetNewLayerTexts(at);
  LayOutOverlays();
  focusLayer_ = at;
  UpdateButtons();
  if (host_.setChanged) host_.setChanged();
  WarnAboutLayerCount(n);
}

void TDlgSoilLayers::DeleteLayer() {
  if (!ActiveFieldOK()) return;
  const int n = LayerCount();
  if (n == 0) return;
  const int at = std::clamp(focusLayer_, 0, n - 1);
  if (confirm_->isChecked() &&
      !(askYesNo && askYesNo(QString("Do you want to delete soil layer in row %1").arg(at + 1))))
    return;
  project::TGridTable& d = project().tables.D;
  d.SetRowCount(n);
  d.DeleteRowGroup(at);
  for (int r = at; r < n - 1; ++r) MoveGridRow(r + 1, r);
  grid_->removeRow(n - 1);
  rows_.pop_back();
  edited_.pop_back();
  focusLayer_ = std::max(0, std::min(at, n - 2));
  LayOutOverlays();
  UpdateButtons();
  if (host_.setChanged) host_.setChanged();
}

void TDlgSoilLayers::ChangeSoilType(int layer, int newType) {
  if (layer < 0 || layer >= LayerCount() || newType < 1 || newType > project::kSoilTypeCount) return;
  focusLayer_ = layer;
  project::TGridTable& d = project().tables.D;
  if (layer >= d.RowCount()) return;
  SetCellText(layer, kGridType, QString::number(newType));
  rows_[layer].type->setCurrentIndex(newType - 1);
  const int oldType = static_cast<int>(CellNumber(&d, project::kColSoilType, layer));
  if (oldType == newType) return;
  const KeptValues kept = KeepValues(oldType, d.GetDataValue(project::kColLayerData, layer));
  // A new type gives the layer a fresh parameter table of that type.
  SetCellNumber(&d, project::kColSoilType, layer, newType);
  GiveValues(kept, newType, d.GetDataValue(project::kColLayerData, layer));
  if (host_.setChanged) host_.setChanged();
}

void TDlgSoilLayers::EditLayer(int layer) {
  if (layer < 0 || layer >= LayerCount() || !ActiveFieldOK()) return;
  focusLayer_ = layer;
  QPointer<TDlgSoilLayers> self(this);
  TDlgSoils::Edit(host_, this, layer + 1, CellText(layer, kGridType).toInt());
  if (self) LayOutOverlays();
}

// =======================================================================================
// TDlgSoils

namespace {

constexpr const char* kTabCaptions[] = {"Sand", "Clay", "Rock", "Decomp. Rock", "Weak Rock", "Gravel"};

QString TitleOf(int type) {
  switch (type) {
    case project::kSoilSand: return "Sand (FHWA Spec.)";
    case project::kSoilClay: return "Clay (FHWA Spec.)";
    case project::kSoilShale: return "Shale (Reese and Aurora)";
    case project::kSoilStrongRock: return "Strong Rock (FHWA Spec. - use either side friction or end bearing)";
    case project::kSoilGravel: return "Decomposed Rock/Gravel (FHWA Spec.)";
    case project::kSoilWeakRock: return "Weak Rock (FHWA Spec.)";
    case project::kSoilNewStrongRock: return "Strong Rock (FHWA Spec. - side friction + end bearing)";
    case project::kSoilGravellySand: return "Gravelly Sand (Rollins et al)";
    case project::kSoilRollinsGravel: return "Gravel (Rollins et al)";
    default: return {};
  }
}

}  // namespace

TDlgSoils* TDlgSoils::Instance() { return gSoils; }

TDlgSoils::Page TDlgSoils::PageOf(int layerType) {
  switch (layerType) {
    case project::kSoilSand: return kPageSand;
    case project::kSoilClay:
    case project::kSoilShale: return kPageClay;
    case project::kSoilStrongRock:
    case project::kSoilNewStrongRock: return kPageRock;
    case project::kSoilGravel: return kPageDecomposedRock;
    case project::kSoilWeakRock: return kPageWeakRock;
    default: return kPageGravel;
  }
}

TDlgSoils::TDlgSoils(DialogHost& host, QWidget* owner) : TDataDialog(host, owner) {
  gSoils = this;
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabBar;
  tabs_->addTab(QString());
  tabs_->setExpanding(false);
  layout->addWidget(tabs_);
  stack_ = new QStackedWidget;
  stack_->setFrameShape(QFrame::StyledPanel);
  layout->addWidget(stack_);

  BuildPage(kPageSand,
            {{"1. Total Unit Weight", "F/L2^3", project::kSandUnitWeight, kReal},
             {"2. Coefficient of Lateral Earth Pressure, Ko", "", project::kSandKo, kReal},
             {"3. Beta Value (*)", "", project::kSandBeta, kReal},
             {"4. Preconsolidation Stress Exponent (**) (m)", "", project::kSandOCR, kReal},
             {"5. Blow Counts from SPT", "", project::kSandBlowCounts, kInteger},
             {"6. Friction Angle (***)", "Deg", project::kSandFrictionAngle, kReal},
             {"7. Interface Angle (****)", "Deg", project::kSandInterfaceAngle, kHidden}},
            {});
  BuildPage(kPageClay,
            {{"1. Total Unit Weight", "F/L2^3", project::kClayUnitWeight, kReal},
             {"2. Cohesion", "F/L2^2", project::kClayCohesion, kReal},
             {"3. Blow Counts from SPT (*)", "", project::kClayBlowCounts, kInteger},
             {"4. Alpha Factor (**)", "", project::kClayAlpha, kReal},
             {"5. Bearing Capacity Coefficient, Nc (**)", "", project::kClayNc, kReal}},
            {"Notes:", "(*)  Program will ignore blow count value if cohesion is defined ",
             "(**)  Program will generate internally the value if it is left as zero "});
  BuildPage(kPageRock,
            {{"1. Rock Compressive Strength", "F/L2^2", project::kRockCompressiveStrength, kReal},
             {"2. Concrete Compressive Strength", "F/L2^2", project::kRockConcreteStrength, kReal},
             {"3. Discontinuity Spacing", "L2", project::kRockDiscontinuitySpacing, kReal},
             {"4. Discontinuity Thickness", "L2", project::kRockDiscontinuityThickness, kReal},
             {"5. Socket Diameter", "L2", project::kRockSocketDiameter, kReal},
             {"6. Elastic Modulus", "F/L^2", project::kRockElasticModulus, kReal},
             {"7. RQD, %", "", project::kRockRQD, kReal}},
            {});
  BuildPage(kPageDecomposedRock,
            {{"1. Total Unit Weight", "F/L2^3", project::kGravelUnitWeight, kReal},
             {"2. Blow Counts from SPT", "", project::kGravelBlowCounts, kInteger},
             {"3. Poisson Ratio", "", project::kGravelPoisson, kReal},
             {"6. Young Modulus (optional)", "F/L^2", project::kGravelYoungsModulus, kReal},
             {"5. Socket Diameter", "L2", project::kGravelSocketDiameter, kReal}},
            {});
  BuildPage(kPageWeakRock,
            {{"1. Interface Condition Index (*)", "", project::kWeakRockInterfaceCondition, kCondition},
             {"2. Rock Compressive Strength", "F/L2^2", project::kWeakRockCompressiveStrength, kReal},
             {"3. Concrete Slump", "L", project::kWeakRockConcreteSlump, kReal},
             {"4. Interface Friction Angle", "Deg", project::kWeakRockInterfaceFriction, kReal},
             {"5. Socket Diameter", "L2", project::kWeakRockSocketDiameter, kReal},
             {"6. Elastic Modulus of Rock Core", "F/L^2", project::kWeakRockElasticModulus, kReal},
             {"7. RQD, %", "", project::kWeakRockRQD, kReal}},
            {"Notes:", "(*) Interface Condition Index", "1 - Rough Surface w/closed joints",
             "2- Smooth Surface w/closed joints", "3 - Rough Surface w/open joints", "4- Smooth Surface w/open joints"});
  BuildPage(kPageGravel,
            {{"1. Total Unit Weight", "F/L2^3", project::kRollinsUnitWeight, kReal},
             {"2. Blow Counts from SPT", "", project::kRollinsBlowCounts, kInteger},
             {"3. Beta Value", "", project::kRollinsBeta, kReal}},
            {});

  ApplyMethodRules();
  const QSize hint = sizeHint();
  setFixedSize(std::max(508, hint.width()), std::max(590, hint.height()));
}

TDlgSoils::~TDlgSoils() = default;

void TDlgSoils::closeEvent(QCloseEvent* e) {
  TDataDialog::closeEvent(e);
  if (e->isAccepted() && gSoils == this) gSoils = nullptr;
}

void TDlgSoils::BuildPage(Page page, const std::vector<RowSpec>& rows, const std::vector<const char*>& notes) {
  PageData& pd = pages_[page];
  pd.widget = new QWidget;
  auto* layout = new QVBoxLayout(pd.widget);
  pd.title = new QLabel;
  QFont bold = pd.title->font();
  bold.setBold(true);
  pd.title->setFont(bold);
  pd.title->setAlignment(Qt::AlignCenter);
  layout->addWidget(pd.title);
  if (page == kPageSand) AddSandMethods(layout);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Values at\nTop of Layer"), 0, 1, Qt::AlignCenter);
  grid->addWidget(new QLabel("Values at\nBottom of Layer"), 0, 2, Qt::AlignCenter);
  int line = 1;
  for (const RowSpec& spec : rows) {
    FieldRow row;
    row.column = spec.column;
    row.integer = spec.kind == kInteger;
    if (spec.kind == kCondition) {
      grid->addWidget(new QLabel(spec.label), line, 0);
      conditionTop_ = new QComboBox;
      conditionBottom_ = new QComboBox;
      for (QComboBox* box : {conditionTop_, conditionBottom_}) box->addItems({"1", "2", "3", "4"});
      grid->addWidget(conditionTop_, line, 1);
      grid->addWidget(conditionBottom_, line, 2);
    } else {
      row.top = new TDataEdit;
      row.bottom = new TDataEdit;
      row.top->SetCaption(spec.label);
      row.top->SetUnitsString(spec.units);
      row.bottom->SetEditLabel(nullptr);
      for (TDataEdit* f : {row.top, row.bottom}) {
        f->information = [this](const QString& text) { Inform(text); };
        // Blow counts are stored as integers: the entry must fit one.
        if (row.integer) {
          f->SetMinVal(kIntMin);
          f->SetMaxVal(kIntMax);
        }
      }
      grid->addWidget(row.top->EditLabel(), line, 0);
      grid->addWidget(row.top, line, 1);
      grid->addWidget(row.bottom, line, 2);
      if (spec.kind == kHidden) {
        row.top->EditLabel()->hide();
        row.top->hide();
        row.bottom->hide();
      }
    }
    pd.rows.push_back(row);
    ++line;
  }
  grid->setColumnStretch(0, 1);
  layout->addLayout(grid);

  if (page == kPageSand) AddSandNotes(layout);
  for (const char* note : notes) layout->addWidget(new QLabel(note));
  layout->addStretch();

  auto* buttons = new QHBoxLayout;
  pd.copy = new QPushButton("Copy Values From Top To Bottom");
  pd.close = new QPushButton("Close");
  buttons->addWidget(pd.copy);
  buttons->addStretch();
  buttons->addWidget(pd.close);
  layout->addLayout(buttons);
  connect(pd.copy, &QPushButton::clicked, this, [this] { CopyTopToBottom(); });
  connect(pd.close, &QPushButton::clicked, this, [this] { close(); });
  stack_->addWidget(pd.widget);
}

void TDlgSoils::AddSandMethods(QVBoxLayout* layout) {
  auto* group = new QGroupBox("Side Friction Procedure");
  auto* groupLayout = new QVBoxLayout(group);
  methods_ = new QButtonGroup(this);
  const std::pair<const char*, int> buttons[] = {{"Ko Method", kMethodKo},
                                                 {"Beta Method", kMethodBeta},
                                                 {"Chen and Kulhawy (2002) Method", kMethodChenKulhawy}};
  for (const auto& [text, id] : buttons) {
    auto* b = new QRadioButton(text);
    methods_->addButton(b, id);
    groupLayout->addWidget(b);
  }
  methods_->button(kMethodKo)->setChecked(true);
  connect(methods_, &QButtonGroup::idClicked, this, [this] { ApplyMethodRules(); });
  layout->addWidget(group);
}

void TDlgSoils::AddSandNotes(QVBoxLayout* layout) {
  layout->addWidget(new QLabel("Notes:"));
  // The exponent note takes the place of the Beta note: only one of them is shown.
  betaNote_ = new QLabel("(*)  Program will estimate the value internally if it is left as zero ");
  exponentNote_ = new QLabel(
      "(**)  Recommended values for m: 0.6 for clean quartzitic sands and 0.8 for silty sands to sandy silts.");
  exponentNote_->setWordWrap(true);
  frictionNote_ = new QLabel("(***)  Program will ignore friction angle value if blow counts value is defined");
  interfaceNote_ = new QLabel("(***)  Program will assume interface angle equal to the friction angle.");
  for (QLabel* l : {betaNote_, exponentNote_, frictionNote_, interfaceNote_}) layout->addWidget(l);
}

int TDlgSoils::SelectedMethod() const { return methods_->checkedId(); }

QRadioButton* TDlgSoils::MethodButton(Method m) const {
  return qobject_cast<QRadioButton*>(methods_->button(m));
}

void TDlgSoils::ApplyMethodRules() {
  const int m = SelectedMethod();
  const auto& rows = pages_[kPageSand].rows;
  auto enable = [&](int row, bool on) {
    rows[row].top->setEnabled(on);
    rows[row].bottom->setEnabled(on);
  };
  enable(kSandRowKo, m == kMethodKo);
  enable(kSandRowBeta, m == kMethodBeta);
  enable(kSandRowExponent, m == kMethodChenKulhawy);
  enable(kSandRowInterfaceAngle, m == kMethodKo || m == kMethodChenKulhawy);
  betaNote_->setVisible(m == kMethodBeta);
  exponentNote_->setVisible(m == kMethodChenKulhawy);
  frictionNote_->setVisible(m == kMethodKo || m == kMethodBeta);
  interfaceNote_->setVisible(true);
}

TDlgSoils::Page TDlgSoils::CurrentPage() const { return static_cast<Page>(stack_->currentIndex()); }

QString TDlgSoils::VisibleTab() const { return tabs_->isHidden() ? QString() : tabs_->tabText(0); }

QString TDlgSoils::Title() const { return pages_[CurrentPage()].title->text(); }

TDataEdit* TDlgSoils::TopField(Page page, int row) const {
  const auto& rows = pages_[page].rows;
  return row >= 0 && row < static_cast<int>(rows.size()) ? rows[row].top : nullptr;
}

TDataEdit* TDlgSoils::BottomField(Page page, int row) const {
  const auto& rows = pages_[page].rows;
  return row >= 0 && row < static_cast<int>(rows.size()) ? rows[row].bottom : nullptr;
}

QPushButton* TDlgSoils::CopyButton(Page page) const { return pages_[page].copy; }
QPushButton* TDlgSoils::CloseButton(Page page) const { return pages_[page].close; }

void TDlgSoils::Inform(const QString& text) {
  const TMessageSubject subject(this);  // the box belongs over this dialog
  if (host_.information) host_.information(text);
  else if (TDataEdit::DefaultInformation) TDataEdit::DefaultInformation(this, text);
}

TGridTable* TDlgSoils::LayerTable() const {
  if (!host_.project) return nullptr;
  const TGridTable& d = host_.project->tables.D;
  const int row = LayerNumber - 1;
  if (!d.CellExists(project::kColLayerData, row)) return nullptr;
  // The page of LayerType fits only a table of that type.
  if (static_cast<int>(CellNumber(&d, project::kColSoilType, row)) != LayerType) return nullptr;
  try {
    return d.GetDataValue(project::kColLayerData, row);
  } catch (const std::exception&) {
    return nullptr;
  }
}

void TDlgSoils::LoadFromModel() {
  const Page page = PageOf(LayerType);
  const bool known = LayerType >= 1 && LayerType <= project::kSoilTypeCount;
  stack_->setCurrentIndex(page);
  tabs_->setTabText(0, kTabCaptions[page]);
  tabs_->setVisible(known);
  pages_[page].title->setText(TitleOf(LayerType));

  const int units = host_.project ? host_.project->data.fUnits : 1;
  for (PageData& pd : pages_)
    for (FieldRow& row : pd.rows)
      for (TDataEdit* f : {row.top, row.bottom})
        if (f) f->SetUnits(units);

  const TGridTable* table = LayerTable();
  for (FieldRow& row : pages_[page].rows) {
    if (row.top) {
      row.top->SetNumber(CellNumber(table, row.column, project::kParamRowTop));
      row.bottom->SetNumber(CellNumber(table, row.column, project::kParamRowBottom));
    }
  }
  if (page == kPageWeakRock) {
    auto select = [&](QComboBox* box, int r) {
      const int c = static_cast<int>(CellNumber(table, project::kWeakRockInterfaceCondition, r));
      box->setCurrentIndex(c >= 1 && c <= 4 ? c - 1 : -1);
    };
    select(conditionTop_, project::kParamRowTop);
    select(conditionBottom_, project::kParamRowBottom);
  }
  if (page == kPageSand) {
    const int m = static_cast<int>(CellNumber(table, project::kSandMethod, project::kParamRowTop));
    if (m >= kMethodKo && m <= kMethodChenKulhawy) methods_->button(m)->setChecked(true);
    ApplyMethodRules();
  }
  setWindowTitle(QString("Data for Layer %1").arg(LayerNumber));
}

bool TDlgSoils::StoreToModel() {
  auto* active = qobject_cast<TDataEdit*>(focusWidget());
  if (active && isAncestorOf(active) && !active->CloseQuery()) return false;
  const Page page = CurrentPage();
  PageData& pd = pages_[page];
  // Every entry of the page must pass its field's checks before anything is stored.
  for (FieldRow& row : pd.rows)
    for (TDataEdit* f : {row.top, row.bottom})
      if (f && !f->CloseQuery()) return false;

  int method = 0;
  if (page == kPageSand) {
    method = SelectedMethod();
    if (method < kMethodKo || method > kMethodChenKulhawy) method = kMethodKo;
    // The fields of the other procedures are cleared.
    std::vector<int> cleared;
    if (method == kMethodKo) cleared = {kSandRowBeta, kSandRowExponent};
    else if (method == kMethodBeta) cleared = {kSandRowKo, kSandRowInterfaceAngle, kSandRowExponent};
    else cleared = {kSandRowBeta, kSandRowKo};
    for (int r : cleared) {
      pd.rows[r].top->SetNumber(0);
      pd.rows[r].bottom->SetNumber(0);
    }
  }

  if (TGridTable* table = LayerTable()) {
    for (FieldRow& row : pd.rows) {
      if (!row.top) continue;
      double top = 0, bottom = 0;
      row.top->TryNumber(top);
      row.bottom->TryNumber(bottom);
      SetCellNumber(table, row.column, project::kParamRowTop, top);
      SetCellNumber(table, row.column, project::kParamRowBottom, bottom);
    }
    if (page == kPageSand) {
      SetCellNumber(table, project::kSandMethod, project::kParamRowTop, method);
      SetCellNumber(table, project::kSandMethod, project::kParamRowBottom, method);
    }
    if (page == kPageWeakRock) {
      SetCellNumber(table, project::kWeakRockInterfaceCondition, project::kParamRowTop,
                    conditionTop_->currentIndex() + 1);
      SetCellNumber(table, project::kWeakRockInterfaceCondition, project::kParamRowBottom,
                    conditionBottom_->currentIndex() + 1);
    }
  }
  if (host_.setChanged) host_.setChanged();
  return true;
}

void TDlgSoils::CopyTopToBottom() {
  PageData& pd = pages_[CurrentPage()];
  for (FieldRow& row : pd.rows)
    if (row.top) row.bottom->setText(row.top->text());
  if (CurrentPage() == kPageWeakRock) conditionBottom_->setCurrentIndex(conditionTop_->currentIndex());
}

void TDlgSoils::Exec() {
  // The dialog is loaded once: while it is modal nothing else can change the layer.
  LoadFromModel();
  setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
  PlaceInWorkArea(this);
  show();
  raise();
  activateWindow();
  loop.exec(QEventLoop::DialogExec);
}

void TDlgSoils::Edit(DialogHost& host, QWidget* owner, int layerNumber, int layerType) {
  if (gSoils) {
    gSoils->activateWindow();
    return;
  }
  auto* dlg = new TDlgSoils(host, owner);
  dlg->LayerNumber = layerNumber;
  dlg->LayerType = layerType;
  dlg->Exec();
}

}  // namespace korva::dialogs
