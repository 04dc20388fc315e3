#include "export_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "workbook_export.h"

namespace korva::results {

const std::array<GraphIndex, 25> TDlgExport::kExportable = {
    kPltSkin,     kPltTip,     kPltTotal,   kFSpltSkin,  kFSpltTip,   kFSpltTotal, kPltCombine,
    kPltCombineD, kPltAxial,   kPltUpper,   kPltLower,   kPltCombinedSettle,       kPltTz,
    kPltQw,       kPltTzAdd,   GraphIndex(kPltChart1 + 0), GraphIndex(kPltChart1 + 1),
    GraphIndex(kPltChart1 + 2), GraphIndex(kPltChart1 + 3), GraphIndex(kPltChart1 + 4),
    GraphIndex(kPltChart1 + 5), GraphIndex(kPltChart1 + 6), GraphIndex(kPltChart1 + 7),
    GraphIndex(kPltChart1 + 8), GraphIndex(kPltChart1 + 9),
};

TDlgExport::TDlgExport(TGraphCatalogue& graphs, QWidget* parent) : QDialog(parent), graphs_(graphs) {
  setWindowTitle(QStringLiteral("Export to Excel"));
  setModal(true);

  auto* group = new QGroupBox(QStringLiteral("Available Plots"), this);
  list_ = new QListWidget(group);
  list_->setMinimumSize(420, 300);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(list_);

  markers_ = new QCheckBox(QStringLiteral("Add markers in plots"), this);
  markers_->setChecked(true);
  auto* selectAll = new QPushButton(QStringLiteral("Select All"), this);
  auto* unselectAll = new QPushButton(QStringLiteral("Unselect All"), this);
  generate_ = new QPushButton(QStringLiteral("Generate Excel File"), this);
  auto* close = new QPushButton(QStringLiteral("Close Window"), this);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(markers_);
  buttons->addSpacing(12);
  for (QPushButton* b : {selectAll, unselectAll, generate_, close}) buttons->addWidget(b);
  buttons->addStretch(1);

  auto* top = new QHBoxLayout;
  top->addWidget(group, 1);
  top->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  for (const char* line : {"An Excel instance (if available) will open. ",
                           "Please wait until all the data has been exported to Excel.",
                           "Please note that you need to save the excel file afterwards."})
    layout->addWidget(new QLabel(QString::fromUtf8(line), this));

  connect(selectAll, &QPushButton::clicked, this, [this] { SelectAll(); });
  connect(unselectAll, &QPushButton::clicked, this, [this] { UnselectAll(); });
  connect(generate_, &QPushButton::clicked, this, [this] { Generate(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(list_, &QListWidget::itemChanged, this, [this] { UpdateGenerate(); });

  chooseSaveName = [this](const QString& preset) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Export to Excel"), preset,
                                        QStringLiteral("Excel workbook (*.xlsx)"));
  };
  information = [this](const QString& text) { QMessageBox::information(this, windowTitle(), text); };
  error = [this](const QString& text) { QMessageBox::critical(this, windowTitle(), text); };
  openFile = [](const QString& file) { return QDesktopServices::openUrl(QUrl::fromLocalFile(file)); };
  UpdateGenerate();
}

void TDlgExport::Prepare(const std::function<bool(GraphIndex)>& enabled) {
  const QSignalBlocker block(list_);
  list_->clear();
  indices_.clear();
  for (GraphIndex index : kExportable) {
    if (!enabled(index)) continue;
    auto* item = new QListWidgetItem(QString::fromStdString(graphs_[index].Caption), list_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    indices_.push_back(index);
  }
  nplotst_ = static_cast<int>(indices_.size());
  UpdateGenerate();
}

void TDlgExport::SelectAll() {
  for (int i = 0; i < list_->count(); ++i) list_->item(i)->setCheckState(Qt::Checked);
  UpdateGenerate();
}

void TDlgExport::UnselectAll() {
  for (int i = 0; i < list_->count(); ++i) list_->item(i)->setCheckState(Qt::Unchecked);
  UpdateGenerate();
}

void TDlgExport::UpdateGenerate() {
  bool any = false;
  for (int i = 0; i < list_->count() && !any; ++i) any = list_->item(i)->checkState() == Qt::Checked;
  generate_->setEnabled(any);
}

void TDlgExport::Generate() {
  std::vector<const TGraphPlot*> chosen;
  for (int i = 0; i < list_->count(); ++i)
    if (list_->item(i)->checkState() == Qt::Checked) chosen.push_back(&graphs_[IndexAt(i)]);
  if (chosen.empty()) return;

  QString file = chooseSaveName(defaultFile_);
  if (file.isEmpty()) return;
  if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".xlsx");

  more255_ = false;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const WorkbookResult result = WriteWorkbook(QFile::encodeName(file).toStdString(), chosen, markers_->isChecked());
  QApplication::restoreOverrideCursor();
  if (!result.ok) {
    error(QStringLiteral("The plots could not be exported to %1.\n%2")
              .arg(QDir::toNativeSeparators(file), QString::fromStdString(result.error)));
    return;
  }
  more255_ = result.more255;
  openFile(file);
  QString text = QStringLiteral("Export to Excel Completed\nPlease note that you need to save the excel file\n");
  if (more255_) text += QStringLiteral("Some plots show only 255 series because Excel limitation \nPlease check \n");
  information(text);
}

}  // namespace korva::results
