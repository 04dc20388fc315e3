// TDlgExport "Export to Excel": the user picks result graphs and writes them to a
// spreadsheet workbook (see workbook_export.h), which then opens in the desktop's
// spreadsheet program. The main window creates the dialog once and shows it modally from
// the Graphics menu; each showing lists the graphs whose Graphics menu entry is enabled.
#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <vector>

#include "graph_catalogue.h"

class QCheckBox;
class QListWidget;
class QPushButton;

namespace korva::results {

class TDlgExport : public QDialog {
  Q_OBJECT

 public:
  // The exportable graphs in the order they are listed (every graph but the load
  // distribution, which has no menu entry).
  static const std::array<GraphIndex, 25> kExportable;

  explicit TDlgExport(TGraphCatalogue& graphs, QWidget* parent = nullptr);

  // Lists, checked, the graphs for which `enabled` holds (their menu entry's state).
  void Prepare(const std::function<bool(GraphIndex)>& enabled);

  // The file offered in the save dialog (the project's name with ".xlsx").
  void SetDefaultFile(const QString& file) { defaultFile_ = file; }

  void SelectAll();
  void UnselectAll();
  // Asks for the file name, writes the workbook, opens it and reports.
  void Generate();

  QListWidget* List() const { return list_; }
  QCheckBox* Markers() const { return markers_; }
  QPushButton* GenerateButton() const { return generate_; }
  // Catalogue position of list entry `row`.
  GraphIndex IndexAt(int row) const { return indices_.at(static_cast<std::size_t>(row)); }
  int Count() const { return nplotst_; }

  // The user-facing parts, replaceable by tests.
  std::function<QString(const QString& preset)> chooseSaveName;
  std::function<void(const QString& text)> information;
  std::function<void(const QString& text)> error;
  // Opens the written workbook in the desktop's default application, when there is one.
  std::function<bool(const QString& file)> openFile;

 private:
  void UpdateGenerate();

  TGraphCatalogue& graphs_;
  std::vector<GraphIndex> indices_;
  int nplotst_ = 0;
  bool more255_ = false;
  QString defaultFile_;
  QListWidget* list_;
  QCheckBox* markers_;
  QPushButton* generate_;
};

}  // namespace korva::results
