#include "option_dialogs.h"

#include <QAbstractItemDelegate>
#include <QCheckBox>
#include <QComboBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QSortFilterProxyModel>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <memory>

#include "evaluator.h"
#include "table_form.h"

namespace korva::dialogs {

using controls::TDataEdit;

namespace {

QPointer<TDlgOptions> gOptions;
QPointer<TfrmVaryLength> gVaryLength;
QPointer<TfrmDesignCharts> gDesignCharts;

void AddFieldRow(QGridLayout* grid, int row, TDataEdit* field, QLabel* note = nullptr) {
  grid->addWidget(field->EditLabel(), row, 0);
  grid->addWidget(field, row, 1);
  if (note) grid->addWidget(note, row, 2);
}

// A note of one or more lines beside a field.
QLabel* Note(const QStringList& lines, QWidget* parent) {
  return new QLabel(lines.join(QLatin1Char('\n')), parent);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TDlgOptions

namespace {

const QString kProgramsFilter = QStringLiteral("Programs (*)");
const QString kAllFilesFilter = QStringLiteral("All Files (*)");

// Programs carry no extension here: the "Programs" filter shows folders and the files the
// user may execute.
class TProgramsOnly : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;
  void SetProgramsOnly(bool on) {
    if (on == on_) return;
    on_ = on;
    invalidateFilter();
  }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    if (!on_) return true;
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!files) return true;
    const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    return info.isDir() || info.isExecutable();
  }

 private:
  bool on_ = true;
};

}  // namespace

QFileDialog* TDlgOptions::NewEditorFileDialog(QWidget* parent, const QString& preset) {
  auto* dlg = new QFileDialog(parent, QStringLiteral("Text Editor"));
  dlg->setOption(QFileDialog::DontUseNativeDialog);  // the filter is a model of our own
  dlg->setFileMode(QFileDialog::ExistingFile);
  auto* proxy = new TProgramsOnly(dlg);
  dlg->setProxyModel(proxy);
  dlg->setNameFilters({kProgramsFilter, kAllFilesFilter});
  QObject::connect(dlg, &QFileDialog::filterSelected, proxy,
                   [proxy](const QString& filter) { proxy->SetProgramsOnly(filter == kProgramsFilter); });
  // The filter box also changes without that signal (selectNameFilter).
  if (auto* box = dlg->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
    QObject::connect(box, &QComboBox::currentTextChanged, proxy,
                     [proxy](const QString& filter) { proxy->SetProgramsOnly(filter == kProgramsFilter); });
  }
  dlg->selectNameFilter(kProgramsFilter);
  if (!preset.isEmpty()) {
    const QFileInfo info(preset);
    if (info.isAbsolute() && info.dir().exists()) dlg->setDirectory(info.dir());
    dlg->selectFile(info.fileName());
  }
  return dlg;
}

std::function<QString(QWidget*, const QString&)> TDlgOptions::ChooseEditorFile =
    [](QWidget* parent, const QString& preset) {
      std::unique_ptr<QFileDialog> dlg(NewEditorFileDialog(parent, preset));
      return dlg->exec() == QDialog::Accepted ? dlg->selectedFiles().value(0) : QString();
    };

void TDlgOptions::EditTZDepths(project::TGridTable& table, QWidget* parent) {
  controls::TTableForm::EditModal(table, parent);
}

TDlgOptions::TDlgOptions(DialogHost& host, EditorSetting editor, QWidget* parent)
    : TFieldDialog(host, parent), editorSetting_(std::move(editor)) {
  setWindowTitle(QStringLiteral("Control Options"));

  // End bearing in sands.
  auto* sands = new QGroupBox(QStringLiteral("End Bearing in Sands"), this);
  interpolate_ = new QRadioButton(QStringLiteral("Use linear interpolation from zero at ground to "), sands);
  auto* continuation = new QLabel(QStringLiteral("maximum values at 10 pile diameters."), sands);
  continuation->setIndent(22);
  maximum_ = new QRadioButton(QStringLiteral("Use maximum values at any depth"), sands);
  auto* sandsLayout = new QVBoxLayout(sands);
  sandsLayout->setSpacing(2);
  sandsLayout->addWidget(interpolate_);
  sandsLayout->addWidget(continuation);
  sandsLayout->addWidget(maximum_);

  // Printing options.
  auto* printing = new QGroupBox(QStringLiteral("Printing Options"), this);
  pinc_ = NewField(QStringLiteral("Output Increment"), QStringLiteral("L2"), std::nullopt, {}, false);
  auto* printingLayout = new QGridLayout(printing);
  AddFieldRow(printingLayout, 0, pinc_);

  // Plot options.
  auto* plot = new QGroupBox(QStringLiteral("Plot Options"), this);
  useElevation_ = new QCheckBox(QStringLiteral("Use Elevation instead of Depth for Label of Vertical Axis"), plot);
  elevation_ = NewField(QStringLiteral("Elevation for Top of Shaft"), QStringLiteral("L2"), std::nullopt, {}, false);
  auto* plotLayout = new QGridLayout(plot);
  plotLayout->addWidget(useElevation_, 0, 0, 1, 2);
  AddFieldRow(plotLayout, 1, elevation_);
  plotLayout->addWidget(new QLabel(QStringLiteral("Note: Labels will be updated after analysis is completed."), plot),
                        2, 0, 1, 2);
  connect(useElevation_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });

  // Text editor.
  auto* editorGroup = new QGroupBox(QStringLiteral("Text Editor Options"), this);
  editor_ = new QLineEdit(editorGroup);
  editor_->setMinimumWidth(260);
  auto* editorLabel = new QLabel(QStringLiteral("&Text Editor:"), editorGroup);
  editorLabel->setBuddy(editor_);
  browse_ = new QPushButton(QStringLiteral("&Browse..."), editorGroup);
  auto* editorLayout = new QHBoxLayout(editorGroup);
  editorLayout->addWidget(editorLabel);
  editorLayout->addWidget(editor_, 1);
  editorLayout->addWidget(browse_);
  connect(browse_, &QPushButton::clicked, this, [this] { Browse(); });

  // Additional t-z curves.
  auto* tz = new QGroupBox(QStringLiteral("Printing Additional t-z Curves"), this);
  printTZ_ = new QCheckBox(QStringLiteral("&Print Internally-Generated"), tz);
  auto* tzLabel = new QLabel(QStringLiteral("t-z Curves for Verification"), tz);
  tzLabel->setIndent(22);
  editDepths_ = new QPushButton(QStringLiteral("Edit Depths"), tz);
  auto* tzLayout = new QGridLayout(tz);
  tzLayout->addWidget(printTZ_, 0, 0);
  tzLayout->addWidget(tzLabel, 1, 0);
  tzLayout->addWidget(editDepths_, 0, 1, 2, 1);
  connect(printTZ_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
  connect(editDepths_, &QPushButton::clicked, this, [this] { EditTZDepths(project().tables.TblTZDepth, this); });

  close_ = new QPushButton(QStringLiteral("Close"), this);
  connect(close_, &QPushButton::clicked, this, [this] { CloseWindow(); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(sands);
  layout->addWidget(printing);
  layout->addWidget(plot);
  layout->addWidget(editorGroup);
  layout->addWidget(tz);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(close_);
  layout->addLayout(buttons);
  UpdateEnabled();
}

TDlgOptions* TDlgOptions::Open(DialogHost& host, EditorSetting editor) {
  if (gOptions) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(gOptions->parentWidget()); sub && host.mdi) {
      host.mdi->setActiveSubWindow(sub);
    }
    return gOptions;
  }
  gOptions = new TDlgOptions(host, std::move(editor));
  TDataDialog::ShowChild(gOptions);
  return gOptions;
}

TDlgOptions* TDlgOptions::Instance() { return gOptions; }

void TDlgOptions::UpdateEnabled() {
  elevation_->setEnabled(useElevation_->isChecked());
  editDepths_->setEnabled(printTZ_->isChecked());
}

void TDlgOptions::Browse() {
  if (!ChooseEditorFile) return;
  const QString chosen = ChooseEditorFile(this, editor_->text());
  if (!chosen.isEmpty()) editor_->setText(chosen);
}

void TDlgOptions::LoadFromModel() {
  if (SkipLoad()) return;
  ApplyUnits();
  const auto& d = project().data;
  editor_->setText(editorSetting_.get ? editorSetting_.get() : QString());
  pinc_->SetNumber(d.PINC);
  // Only the two known settings select a button; anything else shows none.
  interpolate_->setAutoExclusive(false);
  maximum_->setAutoExclusive(false);
  interpolate_->setChecked(d.IMOD == 1);
  maximum_->setChecked(d.IMOD == 0);
  interpolate_->setAutoExclusive(true);
  maximum_->setAutoExclusive(true);
  useElevation_->setChecked(d.UseElevation == 1);
  elevation_->SetNumber(d.ValElevation);
  printTZ_->setChecked(d.PrintTZCurves == 1);
  UpdateEnabled();
}

bool TDlgOptions::StoreToModel() {
  auto& d = project().data;
  if (editorSetting_.set) editorSetting_.set(editor_->text());
  StoreField(pinc_, d.PINC);
  d.IMOD = interpolate_->isChecked() ? 1 : 0;
  d.UseElevation = useElevation_->isChecked() ? 1 : 0;
  StoreField(elevation_, d.ValElevation);
  d.PrintTZCurves = printTZ_->isChecked() ? 1 : 0;
  return true;
}

void TDlgOptions::closeEvent(QCloseEvent* e) {
  project().data.PrintTZCurves = printTZ_->isChecked() ? 1 : 0;
  if (!ActiveFieldOK()) {
    e->ignore();
    return;
  }
  StoreToModel();
  e->accept();
}

// ---------------------------------------------------------------------------------------
// TTopLevelDialog

TTopLevelDialog::TTopLevelDialog(DialogHost& host, QWidget* parent) : TFieldDialog(host, parent) {
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  scroll_ = new QScrollArea(this);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidgetResizable(true);
  scroll_->setFocusPolicy(Qt::NoFocus);  // the focus belongs to the fields
  content_ = new QWidget;
  scroll_->setWidget(content_);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll_);
}

void TTopLevelDialog::FitIntoWorkArea() {
  content_->adjustSize();
  // The whole content, or as much of it as the work area holds (then it scrolls).
  const QSize whole = content_->sizeHint().expandedTo(content_->minimumSizeHint());
  setMinimumSize(0, 0);
  setMaximumSize(whole + QSize(scroll_->verticalScrollBar()->sizeHint().width(),
                               scroll_->horizontalScrollBar()->sizeHint().height()));
  resize(whole);
  PlaceInWorkArea(this, style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  // A window that shows everything keeps that size.
  if (size() == whole) setFixedSize(whole);
}

bool TTopLevelDialog::StoreToModel() {
  const bool stored = ActiveFieldOK() && StoreValues();
  keepOnActivation_ = !stored;
  return stored;
}

void TTopLevelDialog::changeEvent(QEvent* e) {
  TFieldDialog::changeEvent(e);
  if (e->type() != QEvent::ActivationChange || storing_) return;
  if (isActiveWindow()) {
    if (!keepOnActivation_) LoadFromModel();
    keepOnActivation_ = false;
    return;
  }
  if (!isVisible()) return;
  // Deactivation stores without checking the active field; a value that cannot be taken
  // (reported by StoreValues) brings the window back.
  storing_ = true;
  const bool stored = StoreValues();
  storing_ = false;
  keepOnActivation_ = !stored;
  if (!stored) {
    raise();
    activateWindow();
  }
}

void TTopLevelDialog::closeEvent(QCloseEvent* e) {
  storing_ = true;
  const bool stored = StoreToModel();
  storing_ = false;
  if (!stored) {
    e->ignore();
    return;
  }
  e->accept();
}

// ---------------------------------------------------------------------------------------
// TfrmVaryLength

TfrmVaryLength::TfrmVaryLength(DialogHost& host, QWidget* parent) : TTopLevelDialog(host, parent) {
  setWindowTitle(QStringLiteral("Multiple Shaft Lengths"));
  check_ = new QCheckBox(QStringLiteral("Evaluate Shaft Lengths (for Specified Diameter)"), this);
  pd_ = NewField(QStringLiteral("Maximum shaft &length "), QStringLiteral("L2"), std::nullopt, {}, false);
  pdmin_ = NewField(QStringLiteral("Minimum &shaft length "), QStringLiteral("L2"), std::nullopt, {}, false);
  pdincr_ = NewField(QStringLiteral("Shaft length increment"), QStringLiteral("L2"), std::nullopt, {}, false);

  notes_ = {
      Note({QStringLiteral("* Should be at least 6 diameters "), QStringLiteral("   plus any exclusion zone defined.")},
           this),
      Note({QStringLiteral("- default: 70% maximum shaft length")}, this),
      Note({QStringLiteral("* A maximum of 100 increments"), QStringLiteral("  will be considered."),
            QStringLiteral("- default: 3 ft or 1 m")},
           this),
  };
  auto* grid = new QGridLayout(Content());
  grid->addWidget(check_, 0, 0, 1, 3);
  AddFieldRow(grid, 1, pd_, notes_[0]);
  AddFieldRow(grid, 2, pdmin_, notes_[1]);
  AddFieldRow(grid, 3, pdincr_, notes_[2]);
  connect(check_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
  UpdateEnabled();
}

TfrmVaryLength* TfrmVaryLength::Open(DialogHost& host) { return OpenWindow(gVaryLength, host); }
TfrmVaryLength* TfrmVaryLength::Instance() { return gVaryLength; }

void TfrmVaryLength::UpdateEnabled() {
  const bool on = check_->isChecked();
  for (TDataEdit* field : fields_) field->setEnabled(on);
  for (QLabel* note : notes_) note->setEnabled(on);
}

void TfrmVaryLength::LoadFromModel() {
  ApplyUnits();
  const auto& d = project().data;
  check_->setChecked(d.IPENT == 1);
  pd_->SetNumber(d.PD);
  pdmin_->SetNumber(d.PDMIN);
  pdincr_->SetNumber(d.PDINCR);
  UpdateEnabled();
}

bool TfrmVaryLength::StoreValues() {
  auto& d = project().data;
  d.IPENT = check_->isChecked() ? 1 : 0;
  StoreField(pd_, d.PD);
  StoreField(pdmin_, d.PDMIN);
  StoreField(pdincr_, d.PDINCR);
  return true;
}

// ---------------------------------------------------------------------------------------
// TSettlementGrid

TSettlementGrid::TSettlementGrid(QWidget* parent) : QTableWidget(TfrmDesignCharts::kMaxPoints, 2, parent) {
  verticalHeader()->hide();
  horizontalHeader()->setStretchLastSection(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void TSettlementGrid::CommitEditor() {
  if (state() != QAbstractItemView::EditingState) return;
  if (QWidget* editor = indexWidget(currentIndex())) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

// ---------------------------------------------------------------------------------------
// TfrmDesignCharts

TfrmDesignCharts::TfrmDesignCharts(DialogHost& host, QWidget* parent) : TTopLevelDialog(host, parent) {
  setWindowTitle(QStringLiteral("LRFD Design Charts"));
  check_ = new QCheckBox(QStringLiteral("Compute LRFD Design Charts"), this);

  auto* variation = new QGroupBox(QStringLiteral("Shaft Length/Diameter Variation"), this);
  pd_ = NewField(QStringLiteral("Maximum shaft &length "), QStringLiteral("L2"), std::nullopt, {}, false);
  pdmin_ = NewField(QStringLiteral("Minimum &shaft length "), QStringLiteral("L2"), std::nullopt, {}, false);
  pdincr_ = NewField(QStringLiteral("Shaft length increment"), QStringLiteral("L2"), std::nullopt, {}, false);
  diamincr_ = NewField(QStringLiteral("Shaft diameter increment"), QStringLiteral("L2"), std::nullopt, {}, false);
  auto* variationGrid = new QGridLayout(variation);
  QLabel* notes[] = {
      Note({QStringLiteral("* Should be at least 6 diameters "), QStringLiteral("   plus any exclusion zone defined.")},
           variation),
      Note({QStringLiteral("- default: 30% maximum shaft length")}, variation),
      Note({QStringLiteral("* A maximum of 100 increments"), QStringLiteral("  will be considered."),
            QStringLiteral("- default: 3 ft or 1 m")},
           variation),
      Note({QStringLiteral("* A maximum of 20 increments"), QStringLiteral("- default: 0.5 ft or .15 m")}, variation),
  };
  AddFieldRow(variationGrid, 0, pd_, notes[0]);
  AddFieldRow(variationGrid, 1, pdmin_, notes[1]);
  AddFieldRow(variationGrid, 2, pdincr_, notes[2]);
  AddFieldRow(variationGrid, 3, diamincr_, notes[3]);

  auto* settlements = new QGroupBox(QStringLiteral("Defined Settlements"), this);
  npoints_ = NewField(QStringLiteral("Number of Points"), {}, std::nullopt, {}, false);
  npoints_->SetIntegerOnly(true);
  npoints_->SetMaxVal(kMaxPoints);
  npoints_->SetMinVal(1);
  npoints_->SetNumber(5);
  npoints_->setFixedWidth(50);
  up_ = new QToolButton(settlements);
  up_->setArrowType(Qt::UpArrow);
  down_ = new QToolButton(settlements);
  down_->setArrowType(Qt::DownArrow);
  grid_ = new TSettlementGrid(settlements);
  grid_->setMinimumHeight(200);
  auto* spin = new QHBoxLayout;
  spin->addWidget(npoints_->EditLabel());
  spin->addWidget(npoints_);
  spin->addWidget(up_);
  spin->addWidget(down_);
  spin->addStretch(1);
  auto* settlementsLayout = new QVBoxLayout(settlements);
  settlementsLayout->addLayout(spin);
  settlementsLayout->addWidget(grid_);

  connect(check_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
  connect(npoints_, &QLineEdit::textChanged, this, [this] { NumberChanged(); });
  connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });

  auto* layout = new QVBoxLayout(Content());
  layout->addWidget(check_);
  auto* groups = new QHBoxLayout;
  groups->addWidget(variation);
  groups->addWidget(settlements);
  layout->addLayout(groups);

  dependents_ = {variation, settlements};
  for (QLabel* note : notes) dependents_.push_back(note);
  UpdateEnabled();
}

TfrmDesignCharts* TfrmDesignCharts::Open(DialogHost& host) { return OpenWindow(gDesignCharts, host); }
TfrmDesignCharts* TfrmDesignCharts::Instance() { return gDesignCharts; }

void TfrmDesignCharts::UpdateEnabled() {
  const bool on = check_->isChecked();
  for (QWidget* w : dependents_) w->setEnabled(on);
  for (TDataEdit* field : fields_) field->setEnabled(on);
  up_->setEnabled(on);
  down_->setEnabled(on);
  grid_->setEnabled(on);
}

int TfrmDesignCharts::ShownPoints() const {
  int n = 0;
  for (int row = 0; row < grid_->rowCount(); ++row) {
    if (!grid_->isRowHidden(row)) ++n;
  }
  return n;
}

void TfrmDesignCharts::ShowPoints(int n) {
  // Rows are hidden, not removed, so a row that comes back keeps its text.
  for (int row = 0; row < grid_->rowCount(); ++row) grid_->setRowHidden(row, row >= n);
}

void TfrmDesignCharts::NumberChanged() {
  double v = 0;
  if (!npoints_->TryNumber(v) || v != std::trunc(v) || v < 1 || v > kMaxPoints) return;
  ShowPoints(static_cast<int>(v));
}

void TfrmDesignCharts::Step(int delta) {
  double v = 0;
  const int current = npoints_->TryNumber(v) && std::isfinite(v) ? static_cast<int>(std::clamp(std::round(v), 1.0, 10.0))
                                                                  : ShownPoints();
  npoints_->SetNumber(std::clamp(current + delta, 1, kMaxPoints));
}

void TfrmDesignCharts::LoadFromModel() {
  ApplyUnits();
  const auto& d = project().data;
  check_->setChecked(d.IChart == 1);

  grid_->setHorizontalHeaderLabels(
      {QStringLiteral("N"), d.fUnits == 2 ? QStringLiteral("Settlement (m)") : QStringLiteral("Settlement (in)")});
  for (int row = 0; row < kMaxPoints; ++row) {
    auto* number = new QTableWidgetItem(QString::number(row + 1));
    number->setFlags(Qt::ItemIsEnabled);
    grid_->setItem(row, 0, number);
    grid_->setItem(row, 1, new QTableWidgetItem(QStringLiteral("1")));
  }

  pd_->SetNumber(d.PD);
  pdmin_->SetNumber(d.PDMIN);
  pdincr_->SetNumber(d.PDINCR);
  diamincr_->SetNumber(d.DIAMINCR);
  npoints_->SetNumber(d.NPOINTPD);  // limited to 1..10 by the field

  const int n = std::clamp(d.NPOINTPD, 1, kMaxPoints);
  ShowPoints(n);
  for (int i = 0; i < n; ++i) {
    grid_->item(i, 1)->setText(QString::fromStdString(project::FormatGeneral(d.PDSETT[static_cast<std::size_t>(i)], 8)));
  }
  UpdateEnabled();
}

bool TfrmDesignCharts::StoreValues() {
  grid_->CommitEditor();
  auto& d = project().data;
  d.IChart = check_->isChecked() ? 1 : 0;
  StoreField(pd_, d.PD);
  StoreField(pdmin_, d.PDMIN);
  StoreField(pdincr_, d.PDINCR);
  StoreField(diamincr_, d.DIAMINCR);
  StoreField(npoints_, d.NPOINTPD);
  // An unchecked entry may lie outside the table of settlements.
  d.NPOINTPD = std::clamp(d.NPOINTPD, 1, kMaxPoints);

  for (int i = 0; i < d.NPOINTPD; ++i) {
    const QTableWidgetItem* item = grid_->item(i, 1);
    const QString text = item ? item->text() : QString();
    try {
      d.PDSETT[static_cast<std::size_t>(i)] = project::EvaluateExpression(text.toStdString());
    } catch (const std::exception&) {
      Inform(QStringLiteral("'%1' is not a valid settlement (point %2).").arg(text).arg(i + 1));
      grid_->setCurrentCell(i, 1);
      return false;
    }
  }
  return true;
}

}  // namespace korva::dialogs
