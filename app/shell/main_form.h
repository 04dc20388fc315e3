// TMainForm: the program's main window. A multiple-document window whose children are the
// data dialogs, graph windows and views; it owns the project, the recent-file list and the
// settings, carries the menus and the toolbar, and runs the analysis.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calc_report.h"
#include "data_dialog.h"
#include "program_data.h"

class QAction;
class QDialog;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace korva {

namespace results {
class TDlgBlock;
class TDlgExport;
class TGraphCatalogue;
}

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  static constexpr const char* kVersion = "2017.8.1";
  static constexpr const char* kReleaseDate = "05/09/17";

  // Caption of the window for a project file: "KORVA 2017.8.1 - " and the file's name.
  static QString CaptionFor(const QString& fileName);
  // Moves `file` to the top of the recent list; returns false when it already was first.
  static bool MoveToFront(std::array<QString, 10>& list, const QString& file);

  project::Project& Project() { return project_; }
  bool DataChanged() const { return project_.DataChanged(); }
  void SetDataChanged(bool v) { project_.SetDataChanged(v); }

  // Start-up with the command line's argument (may be empty).
  void StartUp(const QString& argument);

  // File commands (also reachable from the menus and the toolbar).
  void FileNew();
  void FileOpen();
  bool FileSave();    // false when the project was not written (Save As cancelled, error)
  bool FileSaveAs();
  // Replaces the project by the file's; false (with a message, the project kept) when the
  // file cannot be read.
  bool OpenFileName(const QString& file, int filterIndex);
  // Whether the caller may replace or close the project (asks to save changes).
  bool QuerySaveChanges();
  // Runs the analysis on the current project.
  void CompRunClick();
  // File > Export Calculation Report (PDF)...: asks for the file and the parts, writes the
  // document of the loaded results and opens it.
  void ExportCalculationReport();
  // Closes every child window.
  void HideAll();

  const std::array<QString, 10>& PrevFile() const { return prevFile_; }
  // The File menu as it is when opened (for tests).
  QMenu* FileMenu() {
    PrepareFileMenu();
    return fileMenu_;
  }
  int NumberPrevFile() const;
  void UpdatePrevFile(const QString& file);
  void UpdateRegister();
  void ReadRegister();

  bool ShowOutput() const { return showOutput_; }
  // The Graphics menu as it is when opened (for tests).
  QMenu* GraphicsMenu() {
    PrepareGraphicsMenu();
    return graphicsMenu_;
  }
  bool ShowTzCurves() const { return showTzCurves_; }
  QString WordProcessor() const { return wordProcessor_; }
  void SetWordProcessor(const QString& w) { wordProcessor_ = w; }

  // Path of the engine library; by default libKorva2017_DLL.so in the program's directory.
  QString LibraryPath() const { return libraryPath_; }
  void SetLibraryPath(const QString& p) { libraryPath_ = p; }

  // The user-facing questions and dialogs, replaceable by tests.
  // Returns QMessageBox::Yes, No or Cancel.
  std::function<int(const QString& text)> askYesNoCancel;
  std::function<void(const QString& text)> information;
  // File name chosen in the Save As dialog, empty when cancelled.
  std::function<QString(const QString& title, const QString& preset)> chooseSaveName;
  // File name and filter index chosen in the Open dialog, empty name when cancelled.
  std::function<QString(int& filterIndex)> chooseOpenName;
  // File name chosen in the save dialog of the calculation report, empty when cancelled.
  std::function<QString(const QString& preset)> chooseReportName;
  // Shows a modal dialog of the window; returns QDialog::Accepted or Rejected.
  std::function<int(QDialog& dialog)> execDialog;
  // Opens a document in the desktop's default application; false when none could be started.
  std::function<bool(const QString& file)> openDocument;

  // The "Export to Excel" dialog (created with the window), made ready to be shown: its
  // list holds the graphs whose Graphics menu entries are enabled.
  results::TDlgExport& PrepareExportDialog();
  // Whether the Graphics menu entry of graph `index` is enabled (as last refreshed).
  bool GraphEntryEnabled(int index) const;

  // The result graphs filled from the plot data file.
  results::TGraphCatalogue& Graphs() { return *graphs_; }

  // Window > Cascade: every child that is not minimised, restored from maximised, stacked
  // from the top-left corner one title bar apart. Resizable children get a size that shows
  // their content; fixed-size dialogs keep theirs.
  void CascadeChildren();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void CreateMenus();
  void CreateToolbar();
  void UpdateCaption();
  void UpdateResultButtons();
  void SetLrfdColumns();
  void CommitActiveChild();
  void PrepareFileMenu();
  void PrepareDataMenu();
  void PrepareComputationMenu();
  void PrepareWindowMenu();
  void PrepareGraphicsMenu();
  void ShowGraph(int index);
  void Show3DView();
  // Shows the 3D view's "Show 3D View" menu and its seven mouse-mode buttons while it exists.
  void Attach3DView(results::TDlgBlock* view);
  void Detach3DView();
  // A child that became active: a resizable one takes the place of a maximised child; a
  // fixed-size dialog opens at its own size in front of it.
  void ChildActivated(QMdiSubWindow* w);
  void OpenRecent(int index);
  void OpenDropped(const QString& file);
  void StartEditor(const QString& file);
  void SetUnits(int units);
  void SetDesignMethod(int nlrfd);
  bool LoadResults(const QString& plotFile, bool reportErrors);
  QString ProjectFileWithExtension(const char* ext) const;

  // Opens a data dialog (or brings it forward) after committing the active child.
  void OpenDialog(const std::function<void()>& open);
  // Every open data dialog reloads its fields (after a unit switch).
  void RefreshDialogs();

  project::Project project_;
  dialogs::DialogHost host_;
  std::unique_ptr<results::TGraphCatalogue> graphs_;
  std::array<QString, 10> prevFile_;
  QString wordProcessor_;
  QString libraryPath_;
  bool showOutput_ = false;
  bool showTzCurves_ = false;
  bool filesaved_ = true;
  bool running_ = false;
  // The reader the project was opened with (project::kFilterCurrent ...).
  int projectFilter_ = 1;
  // The last run of the engine in this session: for which project file, its status, and when
  // it started (result files older than that belong to an earlier run).
  struct TLastRun {
    std::string projectFile;
    int status = 0;
    std::filesystem::file_time_type started;
  };
  std::optional<TLastRun> lastRun_;
  // The parts and paper last chosen for the calculation report (while the program runs).
  report::TReportParts reportParts_;
  report::TPaper reportPaper_ = report::TPaper::Automatic;

  QMdiArea* mdi_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  // The 3D view whose menu and buttons are shown, its menu's entry in the menu bar, and its
  // buttons after a separator in the tool bar (the view owns the menu and the buttons).
  QPointer<results::TDlgBlock> view3d_;
  QPointer<QAction> view3dMenu_;
  QAction* view3dSeparator_ = nullptr;
  std::vector<QPointer<QAction>> view3dButtons_;
  QMenu* fileMenu_ = nullptr;
  QAction* reportItem_ = nullptr;  // File > Export Calculation Report (PDF)...
  QMenu* dataMenu_ = nullptr;
  QMenu* compMenu_ = nullptr;
  QMenu* windowMenu_ = nullptr;
  std::array<QAction*, 10> recentActions_{};
  QAction* recentSeparator_ = nullptr;
  QAction* unitsEnglish_ = nullptr;
  QAction* unitsSI_ = nullptr;
  QAction* methodASD_ = nullptr;
  QAction* methodLRFD_ = nullptr;
  QAction* factorOfSafety_ = nullptr;
  QAction* factorOfSafetyButton_ = nullptr;
  QAction* specifyLength_ = nullptr;
  QAction* specifyLoad_ = nullptr;
  QAction* multipleLengths_ = nullptr;
  QAction* designCharts_ = nullptr;
  QAction* editInput_ = nullptr;
  QAction* editNotes_ = nullptr;
  QAction* editOutput_ = nullptr;
  QAction* viewOutput_ = nullptr;
  QAction* combinedUltimate_ = nullptr;
  QAction* combinedFactored_ = nullptr;
  QAction* loadSettlement_ = nullptr;
  QAction* tzCurves_ = nullptr;
  QAction* qwCurves_ = nullptr;
  QAction* windowSeparator_ = nullptr;
  QMenu* graphicsMenu_ = nullptr;
  QAction* plotMenuAction_ = nullptr;  // the active graph window's menu in the menu bar
  std::vector<std::pair<QAction*, int>> graphItems_;  // entry and graph index
  QAction* combinedDepth_ = nullptr;
  QAction* combinedDepthD_ = nullptr;
  QAction* combinedSettle_ = nullptr;
  QAction* upperItem_ = nullptr;
  QAction* lowerItem_ = nullptr;
  QAction* tzItem_ = nullptr;
  QAction* qwItem_ = nullptr;
  QAction* tzAddItem_ = nullptr;
  QAction* chartSeparator_ = nullptr;
  std::array<QAction*, 10> chartItems_{};
  QAction* exportItem_ = nullptr;
  results::TDlgExport* exportDialog_ = nullptr;
  std::vector<QAction*> windowItems_;
};

}  // namespace korva
