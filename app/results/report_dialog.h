// TDlgCalcReport "Calculation Report": the parts of the calculation report (PDF) and its
// paper, chosen before the document is written. The main window shows it modally from File >
// Export Calculation Report (PDF)... and keeps the choice while the program runs.
#pragma once

#include <QDialog>

#include <array>

#include "calc_report.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace korva::results {

class TDlgCalcReport : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kPartCount = 9;

  explicit TDlgCalcReport(QWidget* parent = nullptr);

  // Shows `parts` and `paper`. The t-z and q-w box is enabled only when the results have
  // those curves, the design-chart box only when the project has design charts; a disabled
  // box shows unchecked and keeps the value it was given for the next time.
  void SetChoice(const report::TReportParts& parts, report::TPaper paper, bool transferCurves,
                 bool designCharts);

  // The parts to write: the boxes that are checked and enabled.
  report::TReportParts Parts() const;
  // The choice to remember: the parts as shown, a disabled box with the value it was given.
  report::TReportParts Choice() const;
  report::TPaper Paper() const;

  QCheckBox* PartBox(int index) const { return boxes_.at(static_cast<std::size_t>(index)); }
  QComboBox* PaperBox() const { return paper_; }
  QPushButton* OkButton() const { return ok_; }

 private:
  void UpdateOk();

  std::array<QCheckBox*, kPartCount> boxes_{};
  report::TReportParts given_;
  QComboBox* paper_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace korva::results
