#include "report_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korva::results {

namespace {

using report::TPaper;
using report::TReportParts;

struct PartEntry {
  const char* caption;
  bool TReportParts::*field;
};

// In the order the document holds them.
constexpr std::array<PartEntry, TDlgCalcReport::kPartCount> kParts{{
    {"Summary", &TReportParts::Summary},
    {"Input", &TReportParts::Input},
    {"Resistance tables", &TReportParts::Tables},
    {"Capacity graphs", &TReportParts::CapacityGraphs},
    {"Load-settlement graphs", &TReportParts::SettlementGraphs},
    {"t-z and q-w curves", &TReportParts::TransferGraphs},
    {"Design charts", &TReportParts::DesignCharts},
    {"Elevation", &TReportParts::Elevation},
    {"Appendix (the report and message file)", &TReportParts::Appendix},
}};
constexpr int kTransferBox = 5;
constexpr int kChartBox = 6;

// The paper list's entries, in order.
constexpr std::array<TPaper, 3> kPapers{TPaper::Automatic, TPaper::A4, TPaper::Letter};

}  // namespace

TDlgCalcReport::TDlgCalcReport(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Calculation Report"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);

  auto* contents = new QGroupBox(QStringLiteral("Contents"), this);
  auto* boxes = new QVBoxLayout(contents);
  for (std::size_t i = 0; i < kParts.size(); ++i) {
    boxes_[i] = new QCheckBox(QString::fromLatin1(kParts[i].caption), contents);
    boxes_[i]->setChecked(true);
    boxes->addWidget(boxes_[i]);
    connect(boxes_[i], &QCheckBox::toggled, this, [this] { UpdateOk(); });
  }
  layout->addWidget(contents);

  auto* paperRow = new QHBoxLayout;
  auto* paperLabel = new QLabel(QStringLiteral("&Paper:"), this);
  paper_ = new QComboBox(this);
  paper_->addItem(QStringLiteral("Automatic (Letter for English units, A4 for SI)"));
  paper_->addItem(QStringLiteral("A4"));
  paper_->addItem(QStringLiteral("Letter"));
  paperLabel->setBuddy(paper_);
  paperRow->addWidget(paperLabel);
  paperRow->addWidget(paper_, 1);
  layout->addLayout(paperRow);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  // The dialog keeps the size its content needs: nothing is cut off.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  UpdateOk();
}

void TDlgCalcReport::SetChoice(const TReportParts& parts, TPaper paper, bool transferCurves, bool designCharts) {
  given_ = parts;
  for (std::size_t i = 0; i < kParts.size(); ++i) {
    const bool available = (i != kTransferBox || transferCurves) && (i != kChartBox || designCharts);
    boxes_[i]->setEnabled(available);
    boxes_[i]->setChecked(available && parts.*kParts[i].field);
  }
  for (std::size_t i = 0; i < kPapers.size(); ++i)
    if (kPapers[i] == paper) paper_->setCurrentIndex(static_cast<int>(i));
  UpdateOk();
}

TReportParts TDlgCalcReport::Parts() const {
  TReportParts parts;
  for (std::size_t i = 0; i < kParts.size(); ++i) parts.*kParts[i].field = boxes_[i]->isEnabled() && boxes_[i]->isChecked();
  return parts;
}

TReportParts TDlgCalcReport::Choice() const {
  TReportParts parts;
  for (std::size_t i = 0; i < kParts.size(); ++i)
    parts.*kParts[i].field = boxes_[i]->isEnabled() ? boxes_[i]->isChecked() : given_.*kParts[i].field;
  return parts;
}

TPaper TDlgCalcReport::Paper() const {
  const int i = paper_->currentIndex();
  return i >= 0 && i < static_cast<int>(kPapers.size()) ? kPapers[static_cast<std::size_t>(i)] : TPaper::Automatic;
}

void TDlgCalcReport::UpdateOk() { ok_->setEnabled(Parts().Any()); }

}  // namespace korva::results
