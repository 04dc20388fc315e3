#include "main_form.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QSettings>
#include <QStyle>
#include <QToolBar>
#include <QUrl>

#include <chrono>

#include "calc_report.h"
#include "engine_run.h"
#include "evaluator.h"
#include "project_file.h"
#include "run_check.h"
#include "elevation_view.h"
#include "export_dialog.h"
#include "graph_catalogue.h"
#include "icon_set.h"
#include "view3d.h"
#include "option_dialogs.h"
#include "table_form.h"
#include "soil_dialogs.h"
#include "value_dialogs.h"
#include "plot_form.h"
#include "plot_reader.h"
#include "report_dialog.h"

namespace korva {

namespace {

constexpr const char* kDefaultExtension = "kv8";  // of ".kv8d", as the file dialogs use it
constexpr const char* kOpenFilter =
    "KORVA 2017(*.kv8d);;KORVA 2012(*.kvd);;KORVA 6.0(*.kvd);;All Files(*.*)";
constexpr const char* kSaveFilter = "KORVA 2017(*.kv8d);;All File(*.*)";
// The program's title, the caption of its message boxes.
constexpr const char* kApplicationTitle = "Korva 2017";
constexpr const char* kUpdateUrl = "https://www.valtor.example/korva/update";

std::string Std(const QString& s) { return s.toStdString(); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

// The dialogs' "\r" line breaks become real ones on screen.
QString Lines(QString s) { return s.replace('\r', '\n'); }

// The program's settings: organisation "Valtor", application "KORVA", one group per version.
constexpr const char* kOrganisation = "Valtor";
constexpr const char* kApplication = "KORVA";

}  // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent), graphs_(std::make_unique<results::TGraphCatalogue>()) {
  // No application display name: the toolkit would append it to every window title.
  setAcceptDrops(true);
  libraryPath_ = QString::fromStdString(EngineLibraryPath().string());
  mdi_ = new QMdiArea(this);
  // A child window larger than the area is reached with the area's scroll bars.
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Which child follows a maximised one into the maximised state is decided by
  // ChildActivated: fixed-size dialogs never do.
  mdi_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
  setCentralWidget(mdi_);
  controls::TTableForm::SetMdiArea(mdi_);
  host_.project = &project_;
  host_.mdi = mdi_;
  host_.setChanged = [this] { SetDataChanged(true); };
  host_.information = [this](const QString& text) { information(text); };
  host_.settingsChanged = [this] { SetLrfdColumns(); };
  exportDialog_ = new results::TDlgExport(*graphs_, this);
  CreateMenus();
  CreateToolbar();
  // The active graph window's "Plot" menu joins the menu bar, before "Window".
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
    if (plotMenuAction_) menuBar()->removeAction(plotMenuAction_);
    plotMenuAction_ = nullptr;
    if (auto* form = w ? qobject_cast<results::TPlotForm*>(w->widget()) : nullptr)
      plotMenuAction_ = menuBar()->insertMenu(windowMenu_->menuAction(), form->PlotMenu());
  });
  connect(mdi_, &QMdiArea::subWindowActivated, this, &TMainForm::ChildActivated);

  askYesNoCancel = [this](const QString& text) {
    return QMessageBox::question(this, kApplicationTitle, text,
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  };
  // A message goes over the window it is about (a dialog's message over that dialog), which
  // has the focus again afterwards.
  information = [this](const QString& text) {
    dialogs::ShowMessageAbout(nullptr, [this, &text](QWidget* parent) {
      return QMessageBox::information(parent ? parent : this, kApplicationTitle, Lines(text));
    });
  };
  chooseSaveName = [this](const QString& title, const QString& preset) {
    QFileDialog dlg(this, title, QDir::currentPath() + "/" + preset, kSaveFilter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(kDefaultExtension + QString("d"));
    return dlg.exec() == QDialog::Accepted ? dlg.selectedFiles().value(0) : QString();
  };
  chooseOpenName = [this](int& filterIndex) {
    QFileDialog dlg(this, "Open", QDir::currentPath(), kOpenFilter);
    dlg.setFileMode(QFileDialog::ExistingFile);
    if (dlg.exec() != QDialog::Accepted) return QString();
    const QStringList filters = QString(kOpenFilter).split(";;");
    filterIndex = static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1;
    return dlg.selectedFiles().value(0);
  };
  chooseReportName = [this](const QString& preset) {
    QFileDialog dlg(this, "Export Calculation Report", preset, "PDF document (*.pdf)");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix("pdf");
    return dlg.exec() == QDialog::Accepted ? dlg.selectedFiles().value(0) : QString();
  };
  execDialog = [](QDialog& dialog) { return dialog.exec(); };
  openDocument = [](const QString& file) { return QDesktopServices::openUrl(QUrl::fromLocalFile(file)); };

  // The editor setting is read at creation; the recent files when the window is shown.
  wordProcessor_ = QSettings(kOrganisation, kApplication).value(QString(kVersion) + "/Word Processor").toString();
  UpdateCaption();
  SetLrfdColumns();
  UpdateResultButtons();
}

TMainForm::~TMainForm() {
  // The child windows use the project and the graphs, which go with this body: free them
  // first, with their activation and state signals no longer reaching this window.
  if (mdi_) {
    mdi_->disconnect(this);
    QList<QPointer<QMdiSubWindow>> children;
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
      w->disconnect(this);
      if (QWidget* content = w->widget()) content->disconnect(this);
      children << w;
    }
    for (const QPointer<QMdiSubWindow>& w : children) delete w.data();
  }
}

QString TMainForm::CaptionFor(const QString& fileName) {
  QString name = QFileInfo(fileName).fileName();
  const QString ext = "." + QFileInfo(name).suffix();
  if (ext.compare(QString(".") + kDefaultExtension, Qt::CaseInsensitive) == 0) {
    const int dot = static_cast<int>(name.indexOf('.'));
    if (dot >= 0) name.truncate(dot);
  }
  if (name.size() > 1 && name[0] >= 'a' && name[0] <= 'z') name[0] = name[0].toUpper();
  return QString("KORVA ") + kVersion + " - " + name;
}

bool TMainForm::MoveToFront(std::array<QString, 10>& list, const QString& file) {
  if (list[0] == file) return false;
  int found = -1;
  for (int i = 1; i < 10; ++i)
    if (list[static_cast<std::size_t>(i)] == file) found = i;
  const int last = found >= 0 ? found : 9;
  for (int i = last; i > 0; --i) list[static_cast<std::size_t>(i)] = list[static_cast<std::size_t>(i - 1)];
  list[0] = file;
  return true;
}

void TMainForm::CreateMenus() {
  fileMenu_ = menuBar()->addMenu("&File");
  fileMenu_->addAction(ToolIcon("document-new"), "&New", QKeySequence("Ctrl+N"), this, [this] { FileNew(); });
  fileMenu_->addAction(ToolIcon("document-open"), "&Open...", QKeySequence("Ctrl+O"), this, [this] { FileOpen(); });
  fileMenu_->addAction(ToolIcon("document-save"), "&Save", QKeySequence("Ctrl+S"), this, [this] { FileSave(); });
  fileMenu_->addAction("Save &As...", this, [this] { FileSaveAs(); });
  fileMenu_->addSeparator();
  reportItem_ = fileMenu_->addAction("Export Calculation &Report (PDF)...", this, [this] { ExportCalculationReport(); });
  fileMenu_->addSeparator();
  for (int i = 0; i < 10; ++i) {
    recentActions_[static_cast<std::size_t>(i)] = fileMenu_->addAction("", this, [this, i] { OpenRecent(i); });
    recentActions_[static_cast<std::size_t>(i)]->setVisible(false);
  }
  recentSeparator_ = fileMenu_->addSeparator();
  fileMenu_->addAction("E&xit", this, [this] { close(); });
  connect(fileMenu_, &QMenu::aboutToShow, this, [this] { PrepareFileMenu(); });

  dataMenu_ = menuBar()->addMenu("Da&ta");
  using namespace dialogs;
  dataMenu_->addAction(ToolIcon("title"), "&Title", this, [this] { OpenDialog([this] { TdlgTitle::Open(host_); }); });
  QMenu* units = dataMenu_->addMenu("&Units");
  auto* unitGroup = new QActionGroup(this);
  unitsEnglish_ = units->addAction("&English Units (lbs, ft, in)", this, [this] { SetUnits(1); });
  unitsSI_ = units->addAction("&SI Units (kN, m)", this, [this] { SetUnits(2); });
  for (QAction* a : {unitsEnglish_, unitsSI_}) {
    a->setCheckable(true);
    unitGroup->addAction(a);
  }
  QMenu* method = dataMenu_->addMenu("Design Method (ASD or LRFD)");
  methodASD_ = method->addAction("ASD (Allowable Stress Design)", this, [this] { SetDesignMethod(2); });
  methodLRFD_ = method->addAction("LRFD (Load Resistance Factor Design)", this, [this] { SetDesignMethod(1); });
  for (QAction* a : {methodASD_, methodLRFD_}) a->setCheckable(true);
  dataMenu_->addAction(ToolIcon("shaft"), "&Drilled-Shaft Properties", this,
                       [this] { OpenDialog([this] { TfrmShaftpeneta::Open(host_); }); });
  dataMenu_->addAction(ToolIcon("soil-layers"), "Soil &Layer Data", this, [this] { OpenDialog([this] { TDlgSoilLayers::Open(host_); }); });
  factorOfSafety_ = dataMenu_->addAction(ToolIcon("safety-factor"), "&Factor of Safety (Allowable Stress Design)", this,
                                         [this] { OpenDialog([this] { TfrmSafetyFactor::Open(host_); }); });
  QMenu* comp = dataMenu_->addMenu("&Computation Methods");
  // Choosing the method opens its dialog and closes the other one.
  auto closeChild = [this](auto* tag) {
    using T = std::remove_pointer_t<decltype(tag)>;
    for (QMdiSubWindow* w : mdi_->subWindowList())
      if (qobject_cast<T*>(w->widget())) w->close();
  };
  specifyLength_ = comp->addAction("Specify the shaft length", this, [this, closeChild] {
    project_.data.METHOD = 2;
    closeChild(static_cast<TfrmDesignLoad*>(nullptr));
    OpenDialog([this] { TfrmPenetration::Open(host_); });
  });
  specifyLoad_ = comp->addAction("Specify the design load", this, [this, closeChild] {
    project_.data.METHOD = 1;
    closeChild(static_cast<TfrmPenetration*>(nullptr));
    OpenDialog([this] { TfrmDesignLoad::Open(host_); });
  });
  for (QAction* a : {specifyLength_, specifyLoad_}) a->setCheckable(true);
  dataMenu_->addAction("&Water Table", this, [this] { OpenDialog([this] { TfrmWaterDepth::Open(host_); }); });
  dataMenu_->addSeparator();
  multipleLengths_ = dataMenu_->addAction("Evaluate Multiple Shaft Lengths", this,
                                          [this] { OpenDialog([this] { TfrmVaryLength::Open(host_); }); });
  designCharts_ = dataMenu_->addAction("ASD/LRFD Design Charts", this,
                                       [this] { OpenDialog([this] { TfrmDesignCharts::Open(host_); }); });
  dataMenu_->addSeparator();
  dataMenu_->addAction("Control &Options...", this, [this] {
    OpenDialog([this] {
      TDlgOptions::Open(host_, EditorSetting{[this] { return wordProcessor_; },
                                             [this](const QString& w) { wordProcessor_ = w; }});
    });
  });
  connect(dataMenu_, &QMenu::aboutToShow, this, [this] { PrepareDataMenu(); });

  compMenu_ = menuBar()->addMenu("&Computation");
  compMenu_->addAction(ToolIcon("run"), "&Run Analysis", this, [this] { CompRunClick(); });
  compMenu_->addSeparator();
  editInput_ = compMenu_->addAction("Edit I&nput Text", this, [this] { StartEditor(Q(project_.data.FileName)); });
  editNotes_ = compMenu_->addAction("Edit &Processor-Run Notes", this,
                                    [this] { StartEditor(ProjectFileWithExtension(".kv8r")); });
  editOutput_ = compMenu_->addAction(ToolIcon("view-output"), "Edit &Output Text", this,
                                     [this] { StartEditor(ProjectFileWithExtension(".kv8o")); });
  compMenu_->addSeparator();
  compMenu_->addAction(ToolIcon("soil-profile"), "&View Shaft Elevation", this, [this] {
    CommitActiveChild();
    results::TDlgSideView::Show(mdi_, project_);
  });
  compMenu_->addAction(ToolIcon("view-3d"), "3D View", this, [this] { Show3DView(); });
  connect(compMenu_, &QMenu::aboutToShow, this, [this] { PrepareComputationMenu(); });

  graphicsMenu_ = menuBar()->addMenu("&Graphics");
  using namespace results;
  auto graph = [this](const QString& caption, int index) {
    QAction* a = graphicsMenu_->addAction(caption, this, [this, index] { ShowGraph(index); });
    graphItems_.push_back({a, index});
    return a;
  };
  graph("Ultimate &Skin Friction vs Depth", kPltSkin);
  graph("Ultimate &Tip Resistance vs Depth", kPltTip);
  graph("Ultimate Total &Capacity vs Depth", kPltTotal);
  combinedDepth_ = graph("C&ombined Plots vs Depth (initial diameter)", kPltCombine);
  combinedDepth_->setIcon(ToolIcon("graph-ultimate"));
  graphicsMenu_->addSeparator();
  graph("ASD/LRFD Skin Friction vs Depth ", kFSpltSkin);
  graph("ASD/LRFD Tip Resistance vs Depth ", kFSpltTip);
  graph("ASD/LRFD Total Capacity vs Depth", kFSpltTotal);
  combinedDepthD_ = graph("Combined Plots vs Depth (initial diameter)", kPltCombineD);
  combinedDepthD_->setIcon(ToolIcon("graph-factored"));
  graphicsMenu_->addSeparator();
  graph("Axial Load vs Settlement (averaged)", kPltAxial)->setIcon(ToolIcon("graph-load-settlement"));
  upperItem_ = graph("Axial Load vs Settlement (upper bound)", kPltUpper);
  lowerItem_ = graph("Axial Load vs Settlement (lower bound)", kPltLower);
  combinedSettle_ = graph("Combined Plots of Load vs Settlement (initial diameter)", kPltCombinedSettle);
  graphicsMenu_->addSeparator();
  tzItem_ = graph("t-z curves (averaged, initial diameter)", kPltTz);
  tzItem_->setIcon(ToolIcon("graph-tz"));
  qwItem_ = graph("Q-w curves (averaged)", kPltQw);
  qwItem_->setIcon(ToolIcon("graph-qw"));
  tzAddItem_ = graph("Additional t-z curves (averaged, initial diameter)", kPltTzAdd);
  chartSeparator_ = graphicsMenu_->addSeparator();
  for (int k = 0; k < 10; ++k) chartItems_[static_cast<std::size_t>(k)] = graph(QString("Design Chart %1").arg(k + 1), kPltChart1 + k);
  graphicsMenu_->addSeparator();
  exportItem_ = graphicsMenu_->addAction("Export Plots to Excel", this, [this] { PrepareExportDialog().exec(); });
  connect(graphicsMenu_, &QMenu::aboutToShow, this, [this] { PrepareGraphicsMenu(); });

  // The result buttons of the toolbar show the graphs most often looked at.
  combinedUltimate_ = new QAction("Combined Plot (Ultimate)", this);
  combinedFactored_ = new QAction("Combined Plot (LRFD/ASD)", this);
  loadSettlement_ = new QAction("Load vs. Settlement", this);
  tzCurves_ = new QAction("t-z curves", this);
  qwCurves_ = new QAction("Q-w curves", this);
  connect(combinedUltimate_, &QAction::triggered, this, [this] { ShowGraph(kPltCombine); });
  connect(combinedFactored_, &QAction::triggered, this, [this] { ShowGraph(kPltCombineD); });
  connect(loadSettlement_, &QAction::triggered, this, [this] { ShowGraph(kPltAxial); });
  connect(tzCurves_, &QAction::triggered, this, [this] { ShowGraph(kPltTz); });
  connect(qwCurves_, &QAction::triggered, this, [this] { ShowGraph(kPltQw); });

  windowMenu_ = menuBar()->addMenu("&Window");
  windowMenu_->addAction("&Cascade", this, [this] { CascadeChildren(); });
  windowMenu_->addAction("&Arrange Icons", mdi_, &QMdiArea::tileSubWindows);
  windowSeparator_ = windowMenu_->addSeparator();
  for (int i = 0; i < 50; ++i) {
    QAction* a = windowMenu_->addAction("");
    a->setVisible(false);
    connect(a, &QAction::triggered, this, [this, i] {
      const auto list = mdi_->subWindowList();
      if (i < list.size()) mdi_->setActiveSubWindow(list[i]);
    });
    windowItems_.push_back(a);
  }
  connect(windowMenu_, &QMenu::aboutToShow, this, [this] { PrepareWindowMenu(); });

  QMenu* help = menuBar()->addMenu("&Help");
  // The manuals lie beside the program in a build tree and in the documentation directory
  // when installed; the desktop's PDF viewer shows them.
  auto manual = [this](const char* name, const QString& file) {
    const std::filesystem::path f = DocumentPath(Std(file));
    if (f.empty()) information(QString("The %1 (\"%2\") is not installed.").arg(name, file));
    else if (!openDocument(Q(f.string())))
      information(QString("The %1 is at\r%2\rNo program to show PDF documents was found.").arg(name, Q(f.string())));
  };
  help->addAction("&User's Manual", this, [manual] { manual("User's Manual", "Korva 2017 Users Manual.pdf"); });
  help->addAction("&Technical Manual", this,
                  [manual] { manual("Technical Manual", "Korva 2017 Technical Manual.pdf"); });
  help->addSeparator();
  help->addAction("&About...", this, [this] {
    const QString release =
        QLocale::system().toString(QDate::fromString(kReleaseDate, "MM/dd/yy").addYears(100), QLocale::ShortFormat);
    QMessageBox::about(this, "About KORVA",
                       QString("KORVA\nVersion %1\n\nA program for analyzing the axial capacity and short-term "
                               "settlement of drilled shafts under axial loading.\n\nToday: %2\nRelease date: %3")
                           .arg(kVersion, QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat), release));
  });
  help->addAction("&Check for Updates", this, [] {
    QUrl url(kUpdateUrl);
    url.setQuery(QString("KORVA;%1;%2;%3").arg(kVersion, kReleaseDate, QDate::currentDate().toString("MM/dd/yy")));
    QDesktopServices::openUrl(url);
  });

  for (QMenu* m : {fileMenu_, dataMenu_, compMenu_, windowMenu_, help})
    connect(m, &QMenu::aboutToShow, this, [this] { CommitActiveChild(); });
}

void TMainForm::CreateToolbar() {
  QToolBar* tb = addToolBar("Tools");
  toolbar_ = tb;
  tb->setObjectName("Tools");
  auto button = [tb](const QString& hint, const char* icon) {
    QAction* a = tb->addAction(ToolIcon(icon), hint);
    a->setToolTip(hint);
    return a;
  };
  connect(button("New File", "document-new"), &QAction::triggered, this, [this] { FileNew(); });
  connect(button("Open File", "document-open"), &QAction::triggered, this, [this] { FileOpen(); });
  connect(button("Save File", "document-save"), &QAction::triggered, this, [this] { FileSave(); });
  tb->addSeparator();
  using namespace dialogs;
  connect(button("Title", "title"), &QAction::triggered, this,
          [this] { OpenDialog([this] { TdlgTitle::Open(host_); }); });
  connect(button("Drilled Shaft Properties", "shaft"), &QAction::triggered, this,
          [this] { OpenDialog([this] { TfrmShaftpeneta::Open(host_); }); });
  connect(button("Soil Layer Data", "soil-layers"), &QAction::triggered, this,
          [this] { OpenDialog([this] { TDlgSoilLayers::Open(host_); }); });
  factorOfSafetyButton_ = button("Factor of Safety (ASD)", "safety-factor");
  connect(factorOfSafetyButton_, &QAction::triggered, this,
          [this] { OpenDialog([this] { TfrmSafetyFactor::Open(host_); }); });
  tb->addSeparator();
  connect(button("Run Data File", "run"), &QAction::triggered, this, [this] { CompRunClick(); });
  viewOutput_ = button("View Output", "view-output");
  connect(viewOutput_, &QAction::triggered, this, [this] { StartEditor(ProjectFileWithExtension(".kv8o")); });
  tb->addSeparator();
  connect(button("View Soil Profile", "soil-profile"), &QAction::triggered, this, [this] {
    CommitActiveChild();
    results::TDlgSideView::Show(mdi_, project_);
  });
  connect(button("3D View", "view-3d"), &QAction::triggered, this, [this] { Show3DView(); });
  tb->addSeparator();
  tb->addAction(combinedUltimate_);
  tb->addAction(combinedFactored_);
  tb->addAction(loadSettlement_);
  tb->addAction(tzCurves_);
  tb->addAction(qwCurves_);
  combinedUltimate_->setIcon(ToolIcon("graph-ultimate"));
  combinedFactored_->setIcon(ToolIcon("graph-factored"));
  loadSettlement_->setIcon(ToolIcon("graph-load-settlement"));
  tzCurves_->setIcon(ToolIcon("graph-tz"));
  qwCurves_->setIcon(ToolIcon("graph-qw"));
}

void TMainForm::StartUp(const QString& argument) {
  ReadRegister();
  bool opened = false;
  if (!argument.isEmpty()) {
    QString file = argument;
    if (!file.contains('.')) file += ".kv8d";
    if (QFileInfo::exists(file)) {
      const QString ext = "." + QFileInfo(file).suffix().toLower();
      if (ext == ".kv8d") {
        opened = OpenFileName(QFileInfo(file).absoluteFilePath(), project::kFilterCurrent);
      } else if (ext == ".kvd") {
        opened = OpenFileName(QFileInfo(file).absoluteFilePath(), project::kFilter2012);
      }
    }
  }
  if (!opened) project_.Create();
  UpdateCaption();
  SetLrfdColumns();
}

void TMainForm::UpdateCaption() { setWindowTitle(CaptionFor(Q(project_.data.FileName))); }

void TMainForm::UpdateResultButtons() {
  factorOfSafetyButton_->setEnabled(project_.data.NLRFD == 2);
  viewOutput_->setEnabled(showOutput_);
  reportItem_->setEnabled(showOutput_);
  for (QAction* a : {combinedUltimate_, combinedFactored_, loadSettlement_}) a->setEnabled(showOutput_);
  for (QAction* a : {tzCurves_, qwCurves_}) a->setEnabled(showOutput_ && showTzCurves_);
}

void TMainForm::SetLrfdColumns() {
  const int n = project_.data.NLRFD;
  if (n != 1 && n != 2) return;
  project::TGridTable& D = project_.tables.D;
  for (int c : {project::kColLrfdSideFriction, project::kColLrfdEndBearing}) D.GetColumn(c).SetVisible(n == 1);
}

void TMainForm::CommitActiveChild() {
  // A child dialog stores its values when it is deactivated; moving the focus to the main
  // window deactivates it.
  if (QMdiSubWindow* w = mdi_->activeSubWindow())
    if (auto* d = qobject_cast<dialogs::TDataDialog*>(w->widget())) d->StoreToModel();
}

bool TMainForm::QuerySaveChanges() {
  if (!DataChanged()) return true;
  const int answer = askYesNoCancel("Do you want to save any changes?");
  if (answer == QMessageBox::Cancel) return false;
  if (answer == QMessageBox::No) return true;
  FileSave();
  return project_.data.FileName != project::kNewProjectFileName;
}

void TMainForm::FileNew() {
  CommitActiveChild();
  if (QuerySaveChanges()) {
    HideAll();
    project_.Create();
    graphs_->ResetProjectTexts();  // titles typed for the last project's graphs go
    UpdateCaption();
  }
  showOutput_ = false;
  showTzCurves_ = false;
  lastRun_.reset();
  UpdateResultButtons();
  SetLrfdColumns();
}

void TMainForm::FileOpen() {
  CommitActiveChild();
  if (!QuerySaveChanges()) return;
  int filter = 1;
  const QString file = chooseOpenName(filter);
  if (!file.isEmpty()) OpenFileName(file, filter);
}

bool TMainForm::OpenFileName(const QString& file, int filterIndex) {
  const QString path = QFileInfo(file).absoluteFilePath();
  {
    // A file that cannot be read (deleted, moved, no permission) replaces nothing.
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) {
      information(path + ": " + probe.errorString());
      return false;
    }
  }
  HideAll();
  QDir::setCurrent(QFileInfo(path).absolutePath());
  const int filter = filterIndex == 1 ? project::kFilterCurrent
                     : filterIndex == 3 ? project::kFilter60
                                        : project::kFilter2012;
  const project::ReadResult r = project::CreateFromFile(project_, Std(path), filter);
  projectFilter_ = filter;
  graphs_->ResetProjectTexts();  // titles typed for the last project's graphs go
  if (!r.ok()) information(Q(r.error));
  UpdateCaption();
  showOutput_ = false;
  showTzCurves_ = false;
  lastRun_.reset();
  const QString plot = ProjectFileWithExtension(".kv8p");
  if (QFileInfo::exists(plot)) showOutput_ = LoadResults(plot, false);
  UpdateResultButtons();
  UpdatePrevFile(path);
  SetLrfdColumns();
  return true;
}

bool TMainForm::FileSave() {
  CommitActiveChild();
  const QString name = Q(project_.data.FileName);
  if (name == project::kNewProjectFileName || QFileInfo(name).suffix().toLower() != "kv8d") return FileSaveAs();
  try {
    project::Save(project_);
  } catch (const std::exception& e) {
    information(Q(e.what()));
    return false;
  }
  return true;
}

bool TMainForm::FileSaveAs() {
  QFileInfo info(Q(project_.data.FileName));
  QString preset = info.fileName();
  if (info.suffix().toLower() != "kv8d") preset = info.completeBaseName() + ".kv8d";
  const QString chosen = chooseSaveName("Save " + info.fileName() + " As", preset);
  bool written = false;
  if (!chosen.isEmpty()) {
    project_.data.FileName = Std(QFileInfo(chosen).absoluteFilePath());
    UpdateCaption();
    try {
      project::Save(project_);
      written = true;
    } catch (const std::exception& e) {
      information(Q(e.what()));
    }
    UpdateRegister();
  } else {
    filesaved_ = false;
  }
  showOutput_ = false;
  showTzCurves_ = false;
  UpdateResultButtons();
  HideAll();
  return written;
}

void TMainForm::HideAll() {
  for (QMdiSubWindow* w : mdi_->subWindowList()) w->close();
  if (auto* d = dialogs::TfrmVaryLength::Instance()) d->close();
  if (auto* d = dialogs::TfrmDesignCharts::Instance()) d->close();
}

int TMainForm::NumberPrevFile() const {
  int n = 0;
  for (const QString& f : prevFile_) n += !f.isEmpty();
  return n;
}

void TMainForm::UpdatePrevFile(const QString& file) {
  if (!MoveToFront(prevFile_, file)) return;
  UpdateRegister();
}

void TMainForm::UpdateRegister() {
  QSettings s(kOrganisation, kApplication);
  s.beginGroup(kVersion);
  s.setValue("Word Processor", wordProcessor_);
  for (int i = 0; i < 10; ++i) s.setValue(QString("File%1").arg(i + 1), prevFile_[static_cast<std::size_t>(i)]);
  s.endGroup();
  s.sync();
}

void TMainForm::ReadRegister() {
  QSettings s(kOrganisation, kApplication);
  if (s.status() != QSettings::NoError) {
    wordProcessor_.clear();
    prevFile_.fill(QString());
    return;
  }
  s.beginGroup(kVersion);
  const QString editor = s.value("Word Processor").toString();
  if (!editor.isEmpty()) wordProcessor_ = editor;
  for (int i = 0; i < 10; ++i)
    prevFile_[static_cast<std::size_t>(i)] = s.value(QString("File%1").arg(i + 1)).toString();
  s.endGroup();
}

void TMainForm::PrepareFileMenu() {
  const QString cwd = QDir::currentPath() + "/";
  const int n = NumberPrevFile();
  for (int i = 0; i < 10; ++i) {
    QAction* a = recentActions_[static_cast<std::size_t>(i)];
    QString name = prevFile_[static_cast<std::size_t>(i)];
    if (i < n && !name.isEmpty()) {
      const int at = static_cast<int>(name.indexOf(cwd));
      if (at >= 0) name = name.mid(at + cwd.size());
      a->setText(QString("&%1 %2").arg(i + 1).arg(name));
      a->setVisible(true);
    } else {
      a->setVisible(false);
    }
  }
  recentSeparator_->setVisible(n > 0);
  reportItem_->setEnabled(showOutput_);
}

void TMainForm::OpenRecent(int index) {
  const QString file = prevFile_[static_cast<std::size_t>(index)];
  if (file.isEmpty() || !QuerySaveChanges()) return;
  const QString ext = "." + QFileInfo(file).suffix().toLower();
  bool opened = true;
  if (ext == ".kv8d") opened = OpenFileName(file, project::kFilterCurrent);
  else if (ext == ".kvd") opened = OpenFileName(file, project::kFilter2012);
  if (opened) return;
  // An entry that no longer opens leaves the list.
  for (std::size_t i = static_cast<std::size_t>(index); i + 1 < prevFile_.size(); ++i) prevFile_[i] = prevFile_[i + 1];
  prevFile_.back().clear();
  UpdateRegister();
}

void TMainForm::PrepareDataMenu() {
  const project::TProgramData& d = project_.data;
  factorOfSafety_->setEnabled(d.NLRFD == 2);
  multipleLengths_->setCheckable(true);
  designCharts_->setCheckable(true);
  if (d.METHOD == 1) {
    multipleLengths_->setEnabled(false);
    designCharts_->setEnabled(false);
  } else {
    multipleLengths_->setChecked(d.IPENT == 1);
    designCharts_->setEnabled(d.IPENT == 0);
    designCharts_->setChecked(d.IChart == 1);
    multipleLengths_->setEnabled(d.IChart == 0);
  }
  unitsEnglish_->setChecked(d.fUnits == 1);
  unitsSI_->setChecked(d.fUnits == 2);
  methodLRFD_->setChecked(d.NLRFD == 1);
  methodASD_->setChecked(d.NLRFD == 2);
  specifyLoad_->setChecked(d.METHOD == 1);
  specifyLength_->setChecked(d.METHOD == 2);
}

void TMainForm::PrepareComputationMenu() {
  editInput_->setEnabled(QFileInfo::exists(Q(project_.data.FileName)));
  editNotes_->setEnabled(QFileInfo::exists(ProjectFileWithExtension(".kv8r")));
  editOutput_->setEnabled(QFileInfo::exists(ProjectFileWithExtension(".kv8o")));
}

void TMainForm::PrepareWindowMenu() {
  const auto list = mdi_->subWindowList();
  for (int i = 0; i < 50; ++i) {
    QAction* a = windowItems_[static_cast<std::size_t>(i)];
    if (i < list.size()) {
      a->setText(QString("&%1 %2").arg(i + 1).arg(list[i]->windowTitle()));
      a->setVisible(true);
    } else {
      a->setVisible(false);
    }
  }
  windowSeparator_->setVisible(!list.isEmpty());
}

bool TMainForm::GraphEntryEnabled(int index) const {
  for (const auto& [a, i] : graphItems_)
    if (i == index) return a->isEnabled() && a->isVisible();
  return false;
}

results::TDlgExport& TMainForm::PrepareExportDialog() {
  CommitActiveChild();
  // The list follows the Graphics menu as it was refreshed when it opened.
  exportDialog_->SetDefaultFile(ProjectFileWithExtension(".xlsx"));
  exportDialog_->Prepare([this](results::GraphIndex index) { return GraphEntryEnabled(index); });
  return *exportDialog_;
}

void TMainForm::PrepareGraphicsMenu() {
  using namespace results;
  const project::TProgramData& d = project_.data;
  const bool results = showOutput_ && QFileInfo::exists(ProjectFileWithExtension(".kv8p"));
  for (auto& [a, index] : graphItems_) a->setEnabled(results);
  exportItem_->setEnabled(results);
  if (d.ID2 == 0)
    for (QAction* a : {upperItem_, lowerItem_, combinedSettle_}) a->setEnabled(false);
  for (QAction* a : {tzItem_, qwItem_}) a->setEnabled(results && showTzCurves_);
  tzAddItem_->setEnabled(results && d.PrintTZCurves == 1 && (*graphs_)[kPltTzAdd].LineCount() > 0);
  const QString initial = d.IPENT == 1 ? "Initial Length" : "Initial Diameter";
  combinedDepth_->setText("Combined Plots vs Depth (" + initial + ")");
  combinedDepthD_->setText("Combined Plots vs Depth (" + initial + ")");
  combinedSettle_->setText("Combined Plots of Load vs Settlement (" + initial + ")");
  for (int k = 0; k < 10; ++k) {
    QAction* a = chartItems_[static_cast<std::size_t>(k)];
    a->setText(QString("Design Chart %1").arg(k + 1));
    const bool shown = d.IChart == 1 && d.NPOINTPD >= k + 1;
    a->setVisible(shown);
    a->setEnabled(results && shown);
    if (shown) {
      const double movement = d.PDSETT[static_cast<std::size_t>(k)];
      a->setText(QString("Design Chart (%1%2 movement)")
                     .arg(QString::fromStdString(project::FormatGeneral(movement, 15)), d.fUnits == 2 ? "-m" : "-in"));
    }
  }
  chartSeparator_->setVisible(d.IChart == 1 && d.NPOINTPD > 0);
}

void TMainForm::ShowGraph(int index) {
  if (index < 0 || index >= results::kGraphCount) return;
  results::TPlotForm::Show(mdi_, (*graphs_)[static_cast<results::GraphIndex>(index)]);
}

void TMainForm::Show3DView() {
  CommitActiveChild();
  results::TDlgBlock* view = results::TDlgBlock::Show(mdi_, project_);
  if (!view) return;
  view->SetCatalogue(graphs_.get());
  view->combinedPlotsAvailable = [this] {
    return showOutput_ && QFileInfo::exists(ProjectFileWithExtension(".kv8p"));
  };
  Attach3DView(view);
}

void TMainForm::Attach3DView(results::TDlgBlock* view) {
  if (!view || view3d_ == view) return;
  Detach3DView();
  view3d_ = view;
  view3dMenu_ = menuBar()->insertMenu(windowMenu_->menuAction(), view->ShowMenu());
  view3dSeparator_ = toolbar_->addSeparator();
  // Panning, Zooming, Rotating, Zoom Window, Zoom In, Zoom Out, Restart View.
  static const char* const kIcons[] = {"view3d-pan",      "view3d-zoom",    "view3d-rotate",  "view3d-zoom-window",
                                       "view3d-zoom-in", "view3d-zoom-out", "view3d-restart"};
  const auto& buttons = view->MouseActions();
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    QAction* a = buttons[i];
    if (i < std::size(kIcons)) a->setIcon(ToolIcon(kIcons[i]));
    toolbar_->addAction(a);
    view3dButtons_.emplace_back(a);
  }
  // Closing the view (or freeing it with its sub-window) takes its menu and buttons away.
  connect(view, &results::TDlgBlock::closed, this, [this] { Detach3DView(); });
  connect(view, &QObject::destroyed, this, [this] { Detach3DView(); });
}

void TMainForm::Detach3DView() {
  if (view3dMenu_) menuBar()->removeAction(view3dMenu_);
  view3dMenu_ = nullptr;
  for (const QPointer<QAction>& a : view3dButtons_)
    if (a) toolbar_->removeAction(a);
  view3dButtons_.clear();
  delete view3dSeparator_;
  view3dSeparator_ = nullptr;
  if (view3d_) disconnect(view3d_, nullptr, this, nullptr);
  view3d_ = nullptr;
}

namespace {

// A child whose size the user cannot change: the data dialogs.
bool FixedSize(const QMdiSubWindow* w) { return w->minimumSize() == w->maximumSize(); }

// The size of a resizable child that shows its content well in an area of `room`: two
// thirds of the area at least, or all of it but the steps of `others` cascaded windows.
QSize UsableSize(const QMdiSubWindow* w, QSize room, int step, int others) {
  const QSize size(std::max(room.width() * 2 / 3, room.width() - step * others),
                   std::max(room.height() * 2 / 3, room.height() - step * others));
  return size.boundedTo(room).expandedTo(w->minimumSize()).boundedTo(w->maximumSize());
}

// One step of the cascade: a title bar and a frame.
int CascadeStep(const QMdiSubWindow* w) {
  return w->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, w) +
         w->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, w);
}

}  // namespace

void TMainForm::ChildActivated(QMdiSubWindow* w) {
  if (!w) return;
  if (!w->property("korvaRestoreWatched").toBool()) {
    w->setProperty("korvaRestoreWatched", true);
    // A child shown maximised before it ever had a size of its own comes back from maximised
    // (or minimised) as a bare title bar; it gets a size that shows its content instead.
    QPointer<QMdiSubWindow> guard(w);
    connect(w, &QMdiSubWindow::windowStateChanged, this, [this, guard](Qt::WindowStates before, Qt::WindowStates now) {
      constexpr Qt::WindowStates kSized = Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen;
      if (!guard || FixedSize(guard) || (now & kSized) || !(before & kSized)) return;
      const QWidget* content = guard->widget();
      const QSize shown = content ? content->size() : guard->size();
      if (shown.width() >= 120 && shown.height() >= 80) return;
      guard->resize(UsableSize(guard, mdi_->viewport()->size(), CascadeStep(guard), 1));
    });
  }
  if (FixedSize(w)) {
    if (w->isMaximized()) w->showNormal();
    return;
  }
  if (w->isMaximized()) return;
  for (QMdiSubWindow* other : mdi_->subWindowList()) {
    if (other != w && other->isVisible() && other->isMaximized()) {
      other->showNormal();
      w->showMaximized();
      return;
    }
  }
}

void TMainForm::CascadeChildren() {
  QMdiSubWindow* active = mdi_->activeSubWindow();
  QList<QMdiSubWindow*> list;
  for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::StackingOrder))
    if (w->isVisible() && !w->isMinimized()) list << w;
  if (list.isEmpty()) return;
  for (QMdiSubWindow* w : list)
    if (w->isMaximized() || w->isFullScreen()) w->showNormal();
  const QSize room = mdi_->viewport()->size();
  const int step = CascadeStep(list.front());
  const int others = static_cast<int>(list.size()) - 1;
  int place = 0;
  for (QMdiSubWindow* w : list) {
    const QSize size = FixedSize(w) ? w->size() : UsableSize(w, room, step, others);
    QPoint at(place * step, place * step);
    // Back to the corner when the window would leave the area.
    if (place > 0 && (at.x() + size.width() > room.width() || at.y() + size.height() > room.height())) {
      place = 0;
      at = QPoint(0, 0);
    }
    w->setGeometry(QRect(at, size));
    w->raise();
    ++place;
  }
  if (active && list.contains(active)) {
    active->raise();
    mdi_->setActiveSubWindow(active);
  }
}

void TMainForm::SetUnits(int units) {
  if (units == project_.data.fUnits) return;
  CommitActiveChild();
  project_.data.SetUnits(units, project_.tables);
  SetDataChanged(true);
  RefreshDialogs();
}

void TMainForm::OpenDialog(const std::function<void()>& open) {
  CommitActiveChild();
  open();
}

void TMainForm::RefreshDialogs() {
  for (QMdiSubWindow* w : mdi_->subWindowList())
    if (auto* d = qobject_cast<dialogs::TDataDialog*>(w->widget())) d->LoadFromModel();
  // The two length-variation windows are top-level windows of their own.
  if (auto* d = dialogs::TfrmVaryLength::Instance()) d->LoadFromModel();
  if (auto* d = dialogs::TfrmDesignCharts::Instance()) d->LoadFromModel();
}

void TMainForm::SetDesignMethod(int nlrfd) {
  project_.data.NLRFD = nlrfd;
  SetDataChanged(true);
  SetLrfdColumns();
  UpdateResultButtons();
  RefreshDialogs();
}

QString TMainForm::ProjectFileWithExtension(const char* ext) const {
  QFileInfo info(Q(project_.data.FileName));
  return QDir(info.absolutePath()).filePath(info.completeBaseName() + ext);
}

void TMainForm::StartEditor(const QString& file) {
  bool ok;
  if (!wordProcessor_.isEmpty()) {
    QStringList args = QProcess::splitCommand(wordProcessor_);
    const QString program = args.isEmpty() ? QString() : args.takeFirst();
    args << file;
    ok = !program.isEmpty() && QProcess::startDetached(program, args);
  } else {
    ok = openDocument(file);
  }
  if (!ok) information("An error occurred in running the Word Processor");
}

bool TMainForm::LoadResults(const QString& plotFile, bool reportErrors) {
  const results::PlotReadResult r = results::ReadPlotData(Std(plotFile), project_, *graphs_, reportErrors);
  if (!r.message.empty()) information(Q(r.message));
  showTzCurves_ = r.showtzcurves;
  return r.ok;
}

void TMainForm::CompRunClick() {
  CommitActiveChild();
  // 1. Save first (Save As for a new project or one read from an older layout).
  filesaved_ = true;
  const QString name = Q(project_.data.FileName);
  if (name == project::kNewProjectFileName || QFileInfo(name).suffix().toLower() != "kv8d") {
    FileSaveAs();
  } else {
    try {
      project::Save(project_);
    } catch (const std::exception&) {
      QMessageBox::warning(this, kApplicationTitle, "An error occured during saving");
    }
  }
  // 2. Only a saved project runs.
  if (!filesaved_ || project_.data.FileName == project::kNewProjectFileName) return;
  if (running_) {
    information("Attempt to reinitialize DLL");
    return;
  }
  // What the engine would refuse is refused here, with its explanation, before any
  // result file of the last run is replaced.
  if (const std::string problem = project::AnalysisLimitProblem(project_); !problem.empty()) {
    information("THE PROJECT FILE CANNOT BE ANALYSED:\r" + Q(problem));
    return;
  }
  running_ = true;
  try {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // File times are kept at a coarser step on some file systems: a second of slack.
    const auto started = std::filesystem::file_time_type::clock::now() - std::chrono::seconds(1);
    const EngineRunResult r = RunEngine(Std(libraryPath_), project_.data.FileName, [this, started](std::int32_t status) {
      // The call ends: tell the user, then load what the engine wrote.
      QApplication::restoreOverrideCursor();
      lastRun_ = TLastRun{project_.data.FileName, status, started};
      information(status == 0
                      ? "Computations are completed.\rPlease, check output file for results or error messages."
                      : "Computations are completed, but there may be errors.\rPlease, check output file for results or error messages.");
      showOutput_ = false;
      showTzCurves_ = false;
      const QString plot = ProjectFileWithExtension(".kv8p");
      if (QFileInfo::exists(plot)) showOutput_ = LoadResults(plot, true);
      UpdateResultButtons();
    });
    QApplication::restoreOverrideCursor();
    if (r.outcome == EngineRunResult::kLibraryFailed) information("Attempt to initialize DLL failed");
    else HideAll();
  } catch (const std::exception& e) {
    QApplication::restoreOverrideCursor();
    information(Q(e.what()));
  }
  running_ = false;
}

namespace {

// The program's own files, which a report must never replace.
bool ProjectOrResultFile(const QString& file) {
  static const QStringList kOwn{"kv8d", "kvd", "kv8o", "kv8p", "kv8r", "kv8z", "kv8w", "kv8t", "kv8q"};
  return kOwn.contains(QFileInfo(file).suffix().toLower());
}

}  // namespace

void TMainForm::ExportCalculationReport() {
  CommitActiveChild();
  if (!showOutput_) return;
  const std::string projectFile = project_.data.FileName;
  const QString chosen = chooseReportName(Q(report::ReportFileFor(projectFile)));
  if (chosen.isEmpty()) return;
  QString pdf = QFileInfo(chosen).absoluteFilePath();
  if (QFileInfo(pdf).suffix().isEmpty()) pdf += pdf.endsWith('.') ? "pdf" : ".pdf";
  if (ProjectOrResultFile(pdf)) {
    information("The calculation report is not written over a project or result file:\r" + pdf);
    return;
  }

  results::TDlgCalcReport dialog(this);
  dialog.SetChoice(reportParts_, reportPaper_, showTzCurves_, project_.data.IChart > 0);
  if (execDialog(dialog) != QDialog::Accepted) return;
  reportParts_ = dialog.Choice();
  reportPaper_ = dialog.Paper();

  // The document describes the project as it was analysed: as its file holds it, read as the
  // batch runner reads it, so that both give the same pages.
  report::TReportRequest request;
  request.Parts = dialog.Parts();
  request.Paper = dialog.Paper();
  if (lastRun_ && lastRun_->projectFile == projectFile) {
    request.Status = lastRun_->status;
    request.NotBefore = lastRun_->started;
  }
  const int filter = QFileInfo(Q(projectFile)).suffix().toLower() == "kv8d" ? project::kFilterCurrent : projectFilter_;
  report::TReportResult written;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    project::Project analysed;
    const project::ReadResult r = project::CreateFromFile(analysed, projectFile, filter);
    if (r.ok()) written = report::WriteCalculationReport(analysed, projectFile, request, Std(pdf));
    else written.Error = r.error;
  } catch (const std::exception& e) {
    written.Ok = false;
    written.Error = e.what();
  }
  QApplication::restoreOverrideCursor();
  if (!written.Ok) {
    information("The calculation report was not written.\r" + Q(written.Error));
    return;
  }
  if (!openDocument(pdf))
    information("The calculation report was written to\r" + pdf + "\rNo program to show PDF documents was found.");
}

void TMainForm::closeEvent(QCloseEvent* e) {
  CommitActiveChild();
  if (!QuerySaveChanges()) {
    e->ignore();
    return;
  }
  UpdateRegister();
  HideAll();
  e->accept();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* e) {
  const QList<QUrl> urls = e->mimeData()->urls();
  if (urls.isEmpty()) return;
  OpenDropped(urls.first().toLocalFile());
}

void TMainForm::OpenDropped(const QString& file) {
  if (!QuerySaveChanges()) return;
  QDir::setCurrent(QFileInfo(file).absolutePath());
  const QString ext = "." + QFileInfo(file).suffix().toLower();
  if (ext == ".kv8d") OpenFileName(file, project::kFilterCurrent);
  else if (ext == ".kvd") OpenFileName(file, project::kFilter2012);
}

}  // namespace korva
