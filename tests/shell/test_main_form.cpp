// The main window's commands, driven as the user would, with the dialogs answered by the test.
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QCheckBox>
#include <QToolBar>
#include <QtTest>

#include <memory>

#include "main_form.h"
#include "menu_commands.h"
#include "export_dialog.h"
#include "graph_catalogue.h"
#include "data_edit.h"
#include "project_file.h"
#include "soil_dialogs.h"
#include "option_dialogs.h"
#include "value_dialogs.h"
#include "view3d.h"

using korva::TMainForm;

class MainFormTest : public QObject {
  Q_OBJECT

 private:
  QStringList messages;

  void answerWith(TMainForm& f, int answer, const QString& saveName = {}) {
    f.askYesNoCancel = [answer](const QString&) { return answer; };
    f.information = [this](const QString& t) { messages << t; };
    f.chooseSaveName = [saveName](const QString&, const QString&) { return saveName; };
  }

  // The bundled example copied to `dir` as example.kv8d and opened in `f`, not yet run.
  void openExample(const QTemporaryDir& dir, TMainForm& f) {
    const QString project = dir.filePath("example.kv8d");
    QFile::copy(QString(KORVA_SOURCE_DIR) + "/examples/clay-over-sand.kv8d", project);
    answerWith(f, QMessageBox::No);
    f.SetLibraryPath(QString(KORVA_BIN_DIR) + "/libKorva2017_DLL.so");
    f.OpenFileName(project, 1);
  }

  static QByteArray read(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init() { messages.clear(); }

  void caption_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("caption");
    QTest::newRow("project") << "/work/example.kv8d" << "KORVA 2017.8.1 - Example.kv8d";
    QTest::newRow("dialog extension") << "/work/example.kv8" << "KORVA 2017.8.1 - Example";
    QTest::newRow("new") << "NewKorva.kv8d" << "KORVA 2017.8.1 - NewKorva.kv8d";
    QTest::newRow("one letter") << "/w/a" << "KORVA 2017.8.1 - a";
    QTest::newRow("upper already") << "/w/Pier 3.kvd" << "KORVA 2017.8.1 - Pier 3.kvd";
  }
  void caption() {
    QFETCH(QString, file);
    QFETCH(QString, caption);
    QCOMPARE(TMainForm::CaptionFor(file), caption);
  }

  void recentFilesMove() {
    std::array<QString, 10> list;
    for (int i = 0; i < 10; ++i) list[i] = QString("f%1").arg(i);
    QVERIFY(!TMainForm::MoveToFront(list, "f0"));  // already first: unchanged
    QVERIFY(TMainForm::MoveToFront(list, "f4"));
    QCOMPARE(list[0], QString("f4"));
    QCOMPARE(list[1], QString("f0"));
    QCOMPARE(list[4], QString("f3"));
    QCOMPARE(list[5], QString("f5"));
    QVERIFY(TMainForm::MoveToFront(list, "new"));
    QCOMPARE(list[0], QString("new"));
    QCOMPARE(list[9], QString("f8"));  // the last entry drops out
  }

  void askToSave() {
    TMainForm f;
    QVERIFY(f.QuerySaveChanges());  // unchanged: no question
    f.SetDataChanged(true);
    answerWith(f, QMessageBox::Cancel);
    QVERIFY(!f.QuerySaveChanges());
    answerWith(f, QMessageBox::No);
    QVERIFY(f.QuerySaveChanges());
    // Yes on a never-saved project opens Save As; cancelling it keeps the program waiting.
    answerWith(f, QMessageBox::Yes, QString());
    QVERIFY(!f.QuerySaveChanges());
  }

  void saveOfNewProjectGoesToSaveAs() {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    TMainForm f;
    answerWith(f, QMessageBox::Yes, QString());
    QVERIFY(!f.FileSave());
    QCOMPARE(QString::fromStdString(f.Project().data.FileName), QString("NewKorva.kv8d"));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

    answerWith(f, QMessageBox::Yes, dir.filePath("pier.kv8d"));
    QVERIFY(f.FileSave());
    QVERIFY(QFile::exists(dir.filePath("pier.kv8d")));
    QCOMPARE(f.windowTitle(), QString("KORVA 2017.8.1 - Pier.kv8d"));
  }

  void runKeepsExactlyTheResultFiles() {
    QTemporaryDir dir;
    TMainForm f;
    openExample(dir, f);
    QVERIFY(!f.ShowOutput());
    f.CompRunClick();
    QVERIFY2(messages.size() >= 1, "no completion message");
    QVERIFY(messages.first().startsWith("Computations are completed."));
    QStringList files = QDir(dir.path()).entryList(QDir::Files);
    files.sort();
    QCOMPARE(files, QStringList({"CHART.DAT", "TZDATA.DAT", "example.kv8d", "example.kv8o",
                                 "example.kv8p", "example.kv8r", "example.kv8z"}));
    QVERIFY(f.ShowOutput());
    QVERIFY(f.ShowTzCurves());
  }

  // After a run of the bundled example the export offers what the Graphics menu offers and
  // writes a workbook with a data sheet and a chart sheet per graph.
  void exportAfterRun() {
    using namespace korva::results;
    QTemporaryDir dir;
    TMainForm f;
    openExample(dir, f);
    QMenu* m = f.GraphicsMenu();
    QVERIFY(!entry(m, "Export Plots to Excel")->isEnabled());
    f.CompRunClick();
    m = f.GraphicsMenu();
    QVERIFY(entry(m, "Export Plots to Excel")->isEnabled());

    TDlgExport& d = f.PrepareExportDialog();
    int enabled = 0;
    for (GraphIndex i : TDlgExport::kExportable) enabled += f.GraphEntryEnabled(i);
    QCOMPARE(d.Count(), enabled);
    QVERIFY(d.Count() > 0);
    QStringList infos, opened;
    QString preset;
    d.chooseSaveName = [&preset](const QString& p) { return preset = p; };
    d.information = [&infos](const QString& t) { infos << t; };
    d.openFile = [&opened](const QString& file) {
      opened << file;
      return false;  // no spreadsheet program on this machine
    };
    d.Generate();
    QCOMPARE(QFileInfo(preset).canonicalFilePath(), QFileInfo(dir.filePath("example.xlsx")).canonicalFilePath());
    QCOMPARE(opened, QStringList{preset});
    QCOMPARE(infos.size(), 1);
    QVERIFY(infos.first().startsWith("Export to Excel Completed"));
    QProcess unzip;
    unzip.start("unzip", {"-Z1", dir.filePath("example.xlsx")});
    if (unzip.waitForFinished() && unzip.exitCode() == 0) {
      const QString parts = QString::fromUtf8(unzip.readAllStandardOutput());
      QCOMPARE(parts.count("xl/worksheets/sheet"), d.Count() + 1);
      QCOMPARE(parts.count(QRegularExpression("xl/chartsheets/sheet\\d+\\.xml")), d.Count());
    }

    // Without the plot data file the export is off like every graph.
    QFile::remove(dir.filePath("example.kv8p"));
    QVERIFY(!entry(f.GraphicsMenu(), "Export Plots to Excel")->isEnabled());
  }

  // A graph title typed for one project's results does not follow onto the next project
  // opened or created; the graph's display settings do.
  void graphTitlesBelongToTheirProject() {
    using namespace korva::results;
    QTemporaryDir dir, other;
    TMainForm f;
    openExample(dir, f);
    f.CompRunClick();
    QVERIFY(f.ShowOutput());
    TGraphPlot& combined = f.Graphs()[kPltCombine];
    combined.UserCaption = "Pier 3, boring B-2";
    combined.Lines(0).SetLineName("Side (B-2)");
    combined.WidthLine = 4;
    openExample(other, f);
    f.CompRunClick();
    QVERIFY(f.ShowOutput());
    QCOMPARE(combined.UserCaption, std::string());
    QCOMPARE(combined.LineName(0), std::string("  Skin Friction"));
    QCOMPARE(combined.WidthLine, 4);
    combined.UserCaption = "Pier 4";
    f.FileNew();
    QCOMPARE(combined.UserCaption, std::string());
  }

  void missingLibraryIsReported() {
    QTemporaryDir dir;
    const QString project = dir.filePath("example.kv8d");
    QFile::copy(QString(KORVA_SOURCE_DIR) + "/examples/clay-over-sand.kv8d", project);
    TMainForm f;
    answerWith(f, QMessageBox::No);
    f.OpenFileName(project, 1);
    const QByteArray before = read(project);
    f.SetLibraryPath(dir.filePath("no-such-library.so"));
    f.CompRunClick();
    QVERIFY(messages.contains("Attempt to initialize DLL failed"));
    QVERIFY(!QFile::exists(dir.filePath("example.kv8o")));
    // The project was saved again before the attempt; its content is the same project.
    korva::project::Project again;
    QVERIFY(korva::project::ReadVersion8(again, project.toStdString()).ok());
    QCOMPARE(again.data.Title, f.Project().data.Title);
    QVERIFY(!before.isEmpty());
  }

  // Runs a project file's text in a fresh directory and returns the window after the run.
  std::unique_ptr<TMainForm> runProject(QTemporaryDir& dir, const QByteArray& text) {
    const QString project = dir.filePath("p.kv8d");
    QFile f(project);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    f.close();
    auto form = std::make_unique<TMainForm>();
    answerWith(*form, QMessageBox::No);
    form->SetLibraryPath(QString(KORVA_BIN_DIR) + "/libKorva2017_DLL.so");
    form->OpenFileName(project, 1);
    form->CompRunClick();
    return form;
  }

  // A project the engine would refuse is refused before the run, in the engine's words,
  // and the results of the last run stay as they were.
  void refusedBeforeTheRun() {
    QTemporaryDir dir;
    auto form = runProject(dir,
        "wide\r\n1 \r\n2 1 1 5 1 2 0 0 0 0 0\r\n3 1000000 0 0 5 3 3600000\r\n1 12 40 2 2.5\r\n"
        "2 60 \r\n0 115 0.0 1000 0 0 0 1 1 \r\n0 120 0.0 2000 0 0 0 1 1 \r\n0 0\r\n");
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith("THE PROJECT FILE CANNOT BE ANALYSED:\rTHE DIAMETER RANGE WOULD ANALYSE MORE "
                                         "THAN 100 DIAMETERS"),
             qPrintable(messages.first()));
    QVERIFY(!QFile::exists(dir.filePath("p.kv8o")));
    QVERIFY(!form->ShowOutput());
  }

  static QAction* entry(QMenu* m, const QString& prefix) {
    for (QAction* a : m->actions())
      if (a->text().startsWith(prefix)) return a;
    return nullptr;
  }

  void graphicsMenuRules() {
    QTemporaryDir dir;
    // A rock socket has no bound curves: those entries are off, the averaged one is on.
    auto rock = runProject(dir,
        "rock\r\n1 \r\n2 1 1 5 1 2 0 0 0 0 0\r\n3 0 0 0 5 0 3600000\r\n2 10 40 2 2.5\r\n"
        "2 25 \r\n0 120 0.0 1500 0 0 0 1 1 \r\n0 125 0.0 2500 0 0 0 1 1 \r\n0 0\r\n"
        "7 80 \r\n200000 5000 1 0 3 0 2000000 80 0 1 1 \r\n200000 5000 1 0 3 0 2000000 80 0 1 1 \r\n");
    QVERIFY(rock->ShowOutput());
    QMenu* m = rock->GraphicsMenu();
    QVERIFY(entry(m, "Axial Load vs Settlement (averaged)")->isEnabled());
    QVERIFY(!entry(m, "Axial Load vs Settlement (upper bound)")->isEnabled());
    QVERIFY(!entry(m, "Axial Load vs Settlement (lower bound)")->isEnabled());
    QVERIFY(!entry(m, "Combined Plots of Load vs Settlement")->isEnabled());
    QVERIFY(!entry(m, "t-z curves")->isEnabled());
    QVERIFY(!entry(m, "Design Chart 1")->isVisible());
    // Without the plot data file the whole menu is off.
    QFile::remove(dir.filePath("p.kv8p"));
    m = rock->GraphicsMenu();
    QVERIFY(!entry(m, "Ultimate &Skin Friction vs Depth")->isEnabled());
    QVERIFY(!entry(m, "Axial Load vs Settlement (averaged)")->isEnabled());

    // Design charts with three movements: three entries with their movements.
    QTemporaryDir dir2;
    auto charts = runProject(dir2,
        "charts\r\n1 \r\n2 1 1 5 1 2 0 1 0 0 0\r\n3 3.5 0 0 5 3 3600000\r\n2 12 50 2 2.5\r\n"
        "40 5 0.5 3\r\n0.25 0.5 1 \r\n2 30 \r\n0 115 0.0 1000 0 0 0 1 1 \r\n0 120 0.0 2200 0 0 0 1 1 \r\n"
        "0 0\r\n1 80 \r\n0.0 120 0 0 18 0 0 1 1 \r\n0.0 125 0 0 35 0 0 1 1 \r\n2 \r\n0 0 \r\n");
    QVERIFY(charts->ShowOutput());
    m = charts->GraphicsMenu();
    QAction* first = entry(m, "Design Chart (0.25-in movement)");
    QVERIFY(first && first->isVisible() && first->isEnabled());
    QVERIFY(entry(m, "Design Chart (1-in movement)"));
    QVERIFY(!entry(m, "Design Chart 4")->isVisible());
    QVERIFY(entry(m, "t-z curves")->isEnabled());
    QVERIFY(entry(m, "Combined Plots vs Depth (Initial Diameter)"));
  }

  // A new user's project from nothing, entered through the dialogs: title, shaft, three
  // layers of different soil types, water table, length; saved, run, and a report.
  void newProjectThroughTheDialogs() {
    using namespace korva::dialogs;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    TMainForm f;
    answerWith(f, QMessageBox::No, dir.filePath("pier.kv8d"));
    f.show();
    QMenu* data = nullptr;
    for (QAction* a : f.menuBar()->actions())
      if (a->text() == "Da&ta") data = a->menu();
    QVERIFY(data);
    auto command = [&](const QString& caption) {
      emit data->aboutToShow();
      for (QAction* a : data->actions()) {
        if (a->text() == caption) {
          QVERIFY2(a->isEnabled(), qPrintable(caption));
          a->trigger();
          return;
        }
      }
      QFAIL(qPrintable("no command " + caption));
    };
    auto type = [](korva::controls::TDataEdit* e, const QString& text) {
      e->selectAll();
      QTest::keyClicks(e, text);
      QVERIFY(e->CloseQuery());
    };

    command("&Title");
    TdlgTitle::Instance()->TitleEdit()->setText("Pier 3, clay over sand over gravel");
    QVERIFY(TdlgTitle::Instance()->StoreToModel());

    command("&Drilled-Shaft Properties");
    auto* shaft = TfrmShaftpeneta::Instance();
    type(shaft->MinDiameter(), "3");
    type(shaft->TopLength(), "5");
    type(shaft->BottomLength(), "3");
    type(shaft->Modulus(), "3600000");
    QVERIFY(shaft->StoreToModel());

    command("Soil &Layer Data");
    auto* soils = static_cast<TDlgSoilLayers*>(TDlgSoilLayers::Instance());
    QVERIFY(soils);
    soils->AddLayer();
    soils->AddLayer();
    QCOMPARE(soils->LayerCount(), 3);
    soils->ChangeSoilType(0, 2);  // clay
    soils->ChangeSoilType(1, 1);  // sand
    soils->ChangeSoilType(2, 9);  // gravel
    type(soils->Field(0, TDlgSoilLayers::kGridDepth), "20");
    type(soils->Field(1, TDlgSoilLayers::kGridDepth), "45");
    type(soils->Field(2, TDlgSoilLayers::kGridDepth), "90");
    QVERIFY(soils->StoreToModel());
    // The layers' parameters (the parameter dialog is modal and has tests of its own).
    korva::project::TGridTable& D = f.Project().tables.D;
    for (int r = 0; r < 2; ++r) {
      D.GetDataValue(korva::project::kColLayerData, 0)->SetFloatValue(korva::project::kClayUnitWeight, r, 118);
      D.GetDataValue(korva::project::kColLayerData, 0)->SetFloatValue(korva::project::kClayCohesion, r, 1200 + 800 * r);
      D.GetDataValue(korva::project::kColLayerData, 1)->SetFloatValue(korva::project::kSandUnitWeight, r, 120);
      D.GetDataValue(korva::project::kColLayerData, 1)->SetIntValue(korva::project::kSandBlowCounts, r, 20 + 10 * r);
      D.GetDataValue(korva::project::kColLayerData, 2)->SetFloatValue(korva::project::kRollinsUnitWeight, r, 130);
      D.GetDataValue(korva::project::kColLayerData, 2)->SetIntValue(korva::project::kRollinsBlowCounts, r, 40 + 5 * r);
    }

    command("&Water Table");
    type(TfrmWaterDepth::Instance()->Depth(), "10");
    QVERIFY(TfrmWaterDepth::Instance()->StoreToModel());

    emit data->aboutToShow();
    for (QAction* a : data->findChildren<QAction*>())
      if (a->text() == "Specify the shaft length") a->trigger();
    auto* length = TfrmPenetration::Instance();
    QVERIFY(length);
    type(length->Value(), "60");
    QVERIFY(length->StoreToModel());
    QCOMPARE(f.Project().data.PD, 60.0);

    f.SetLibraryPath(QString(KORVA_BIN_DIR) + "/libKorva2017_DLL.so");
    f.CompRunClick();
    QVERIFY(QFile::exists(dir.filePath("pier.kv8d")));
    const QByteArray report = read(dir.filePath("pier.kv8o"));
    QVERIFY(report.contains("Pier 3, clay over sand over gravel"));
    QVERIFY(report.contains("LAYER NO 1----CLAY"));
    QVERIFY(report.contains("LAYER NO  3----GRAVEL"));
    QVERIFY(report.contains("AXIAL LOAD VS SETTLEMENT CURVES"));
    QVERIFY(messages.contains("Computations are completed.\rPlease, check output file for results or error messages."));
    QVERIFY(f.ShowOutput());
  }

  // Changing a value, then Open, No to saving and Cancel in the Open dialog: nothing changes,
  // the results of the run stay available.
  void cancelledOpenKeepsEverything() {
    QTemporaryDir dir;
    TMainForm f;
    openExample(dir, f);
    f.CompRunClick();
    QVERIFY(f.ShowOutput());
    QMenu* m = f.GraphicsMenu();
    QVERIFY(entry(m, "Ultimate &Skin Friction vs Depth")->isEnabled());
    f.show();
    korva::testing_shell::DataCommand(f, "&Water Table");
    auto* water = korva::dialogs::TfrmWaterDepth::Instance();
    water->Depth()->selectAll();
    QTest::keyClicks(water->Depth(), "12");
    QVERIFY(f.DataChanged());
    int asked = 0;
    f.askYesNoCancel = [&asked](const QString&) {
      ++asked;
      return int(QMessageBox::No);
    };
    f.chooseOpenName = [](int&) { return QString(); };
    const auto title = f.Project().data.Title;
    f.FileOpen();
    QCOMPARE(asked, 1);
    QVERIFY(f.ShowOutput());
    QVERIFY(f.DataChanged());
    QCOMPARE(f.Project().data.Title, title);
    QCOMPARE(f.Project().data.WTD, 12.0);
    m = f.GraphicsMenu();
    QVERIFY(entry(m, "Ultimate &Skin Friction vs Depth")->isEnabled());
    QVERIFY(entry(m, "Export Plots to Excel")->isEnabled());
    f.HideAll();
  }

  // A recent file that was deleted: the message, the current project kept (a later Save
  // writes it where it came from), the entry gone from the list and the settings.
  void deletedRecentFileKeepsProject() {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    TMainForm f;
    const QString gone = dir.filePath("gone.kv8d");
    QFile::copy(QString(KORVA_SOURCE_DIR) + "/examples/clay-over-sand.kv8d", gone);
    openExample(dir, f);  // example.kv8d, now first; gone.kv8d second
    f.OpenFileName(gone, 1);
    f.OpenFileName(dir.filePath("example.kv8d"), 1);
    QCOMPARE(f.NumberPrevFile(), 2);
    QVERIFY(QFile::remove(gone));
    f.Project().data.Title = "edited";
    f.SetDataChanged(true);
    const auto file = f.Project().data.FileName;
    const int layers = f.Project().tables.D.RowCount();

    QAction* item = entry(f.FileMenu(), "&2 ");
    QVERIFY(item && item->isVisible());
    item->trigger();  // answered No to saving
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith(QFileInfo(gone).absoluteFilePath() + ": "), qPrintable(messages.first()));
    QCOMPARE(f.Project().data.FileName, file);
    QCOMPARE(f.Project().data.Title, std::string("edited"));
    QCOMPARE(f.Project().tables.D.RowCount(), layers);
    QVERIFY(f.DataChanged());
    QCOMPARE(f.NumberPrevFile(), 1);
    QCOMPARE(f.PrevFile()[0], QFileInfo(dir.filePath("example.kv8d")).absoluteFilePath());
    QVERIFY(!entry(f.FileMenu(), "&2 ")->isVisible());
    TMainForm again;
    again.ReadRegister();
    QCOMPARE(again.NumberPrevFile(), 1);
    QVERIFY(f.FileSave());
    QVERIFY(!QFile::exists(gone));
    korva::project::Project saved;
    QVERIFY(korva::project::ReadVersion8(saved, file).ok());
    QCOMPARE(saved.data.Title, std::string("edited"));
  }

  // Window titles are the program's own: the toolkit appends an application display name
  // to every top-level title when one is set.
  void noDisplayNameAppendedToTitles() {
    TMainForm f;
    QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
  }

  // The default main window: the soil-layer dialog's Close button can be reached (the area
  // scrolls), and the design-chart window lies inside the screen's work area.
  void windowsOpenInsideTheWorkArea() {
    using namespace korva::dialogs;
    // The offscreen screen is 800 x 600; the window is smaller than the soil-layer dialog.
    TMainForm f;
    f.resize(760, 520);
    f.move(0, 0);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    korva::testing_shell::DataCommand(f, "Soil &Layer Data");
    auto* soils = TDlgSoilLayers::Instance();
    QVERIFY(soils);
    auto* sub = qobject_cast<QMdiSubWindow*>(soils->parentWidget());
    QVERIFY(sub);
    QMdiArea* area = sub->mdiArea();
    QVERIFY(sub->x() >= 0 && sub->y() >= 0);
    auto* close = soils->findChild<QPushButton*>(QString(), Qt::FindChildrenRecursively);
    for (QPushButton* b : soils->findChildren<QPushButton*>())
      if (b->text() == "Close") close = b;
    QVERIFY(close && close->text() == "Close");
    area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
    area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    const QRect button(close->mapTo(area->viewport(), QPoint(0, 0)), close->size());
    QVERIFY2(area->viewport()->rect().contains(button),
             qPrintable(QString("Close at %1,%2 %3x%4 in a %5x%6 area")
                            .arg(button.x()).arg(button.y()).arg(button.width()).arg(button.height())
                            .arg(area->viewport()->width()).arg(area->viewport()->height())));

    // Design charts over a main window near the bottom of the screen.
    const QRect work = f.screen()->availableGeometry();
    f.move(work.left(), work.bottom() - 200);
    f.Project().data.METHOD = 2;
    korva::testing_shell::DataCommand(f, "ASD/LRFD Design Charts");
    auto* charts = TfrmDesignCharts::Instance();
    QVERIFY(charts);
    QVERIFY(QTest::qWaitForWindowExposed(charts));
    QVERIFY2(work.contains(charts->frameGeometry()),
             qPrintable(QString("%1,%2 %3x%4").arg(charts->x()).arg(charts->y()).arg(charts->width()).arg(charts->height())));
    f.HideAll();
  }

  void startUpWithArgumentWithoutDot() {
    QTemporaryDir dir;
    QFile::copy(QString(KORVA_SOURCE_DIR) + "/examples/clay-over-sand.kv8d", dir.filePath("example.kv8d"));
    QDir::setCurrent(dir.path());
    TMainForm f;
    answerWith(f, QMessageBox::No);
    f.StartUp("example");
    QCOMPARE(f.windowTitle(), QString("KORVA 2017.8.1 - Example.kv8d"));
    QCOMPARE(f.PrevFile()[0], QFileInfo(dir.filePath("example.kv8d")).absoluteFilePath());
  }

  static QStringList menuTitles(TMainForm& f) {
    QStringList titles;
    for (QAction* top : f.menuBar()->actions()) titles << top->text();
    return titles;
  }
  // The tool bar buttons with this hint.
  static QList<QAction*> toolButtons(TMainForm& f, const QString& hint) {
    QList<QAction*> found;
    for (QAction* a : f.findChild<QToolBar*>("Tools")->actions())
      if (a->toolTip() == hint) found << a;
    return found;
  }

  // The 3D view's menu and its seven mouse-mode buttons are there while the view exists,
  // whichever way it was opened, and reach the view; "Combined Plots" draws the diagrams
  // beside the shaft. Closing the view takes them away again.
  void view3dMenuAndButtons() {
    using namespace korva::results;
    QTemporaryDir dir;
    TMainForm f;
    openExample(dir, f);
    f.CompRunClick();
    f.show();
    const QStringList modes{"Panning", "Zooming", "Rotating", "Zoom Window",
                            "Zoom In", "Zoom Out", "Restart View"};
    auto buttonsShown = [&](int times) {
      for (const QString& hint : modes)
        QVERIFY2(toolButtons(f, hint).size() == times, qPrintable(hint));
      QCOMPARE(menuTitles(f).count("Show 3D View"), times);
    };
    buttonsShown(0);
    QAction* open = korva::testing_shell::MenuCommand(f, "&Computation", "3D View");
    QVERIFY(open);
    open->trigger();
    buttonsShown(1);
    const QStringList titles = menuTitles(f);
    QCOMPARE(titles.indexOf("Show 3D View") + 1, titles.indexOf("&Window"));

    auto* mdi = f.findChild<QMdiArea*>();
    TDlgBlock* view = TDlgBlock::Find(mdi);
    QVERIFY(view);
    toolButtons(f, "Zoom In").first()->trigger();
    QCOMPARE(view->View.Z, kZoomStep);
    toolButtons(f, "Restart View").first()->trigger();
    QCOMPARE(view->View.Z, 1.0);
    toolButtons(f, "Zoom Window").first()->trigger();
    QCOMPARE(view->Navigator.MouseOption, int(kMouseZoomWindow));
    QAction* layers = korva::testing_shell::MenuCommand(f, "Show 3D View", "Soil Layers");
    QVERIFY(layers && layers->isChecked());
    layers->trigger();
    QVERIFY(!view->Flags.ShowSoilLayers);

    QAction* combined = korva::testing_shell::MenuCommand(f, "Show 3D View", "Combined Plots");
    QVERIFY(combined && combined->isEnabled());
    combined->trigger();
    QPointer<TDlgPileDiagrams> diagrams = view->CombinedPlotsDialog();
    QVERIFY(diagrams);
    diagrams->ShowPlots()->click();
    QVERIFY(view->Flags.Combined.ShowUltimateEffects);
    int strips = 0;
    for (const TPrimitive& prim : view->ShaftList().prims) {
      if (prim.kind != TPrimKind::LineStrip) continue;
      ++strips;
      for (const TVec3& v : prim.points) QVERIFY(v.x >= view->Input().D - 1e-9);  // beside the shaft
    }
    QVERIFY(strips > 0);
    diagrams->close();

    qobject_cast<QMdiSubWindow*>(view->parentWidget())->close();
    QTRY_VERIFY(!TDlgBlock::Find(mdi));
    buttonsShown(0);
    // The tool bar button opens it as well; opening it again adds nothing twice.
    toolButtons(f, "3D View").first()->trigger();
    buttonsShown(1);
    toolButtons(f, "3D View").first()->trigger();
    buttonsShown(1);
    f.FileNew();  // closes every child
    QTRY_VERIFY(!TDlgBlock::Find(mdi));
    buttonsShown(0);
  }

  // While a child is maximised a fixed-size dialog opens at its own size in front of it; a
  // resizable child takes the maximised place. Restored and cascaded windows show their
  // content instead of a bare title bar.
  void childWindowsWhileMaximised() {
    QTemporaryDir dir;
    TMainForm f;
    openExample(dir, f);
    f.CompRunClick();
    f.resize(1000, 750);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    auto* mdi = f.findChild<QMdiArea*>();
    toolButtons(f, "3D View").first()->trigger();
    QMdiSubWindow* view = mdi->activeSubWindow();
    QVERIFY(view && view->isMaximized());

    korva::testing_shell::MenuCommand(f, "Da&ta", "&Title")->trigger();
    QMdiSubWindow* title = mdi->activeSubWindow();
    QVERIFY(title && title != view && title->minimumSize() == title->maximumSize());
    QVERIFY(!title->isMaximized());
    QCOMPARE(title->size(), title->minimumSize());
    QVERIFY(view->isMaximized());

    toolButtons(f, "Combined Plot (Ultimate)").first()->trigger();
    QMdiSubWindow* graph = mdi->activeSubWindow();
    QVERIFY(graph && graph != view && graph != title);
    QVERIFY(graph->isMaximized());
    QVERIFY(!view->isMaximized());
    auto usable = [](QMdiSubWindow* w) {
      return w->widget()->width() >= 300 && w->widget()->height() >= 200;
    };
    QVERIFY2(usable(view), qPrintable(QString("3D view restored to %1 x %2").arg(view->width()).arg(view->height())));
    graph->showNormal();
    QVERIFY2(usable(graph), qPrintable(QString("graph restored to %1 x %2").arg(graph->width()).arg(graph->height())));
    graph->showMaximized();

    korva::testing_shell::MenuCommand(f, "&Window", "&Cascade")->trigger();
    const QRect room = mdi->viewport()->rect();
    const QList<QMdiSubWindow*> order = mdi->subWindowList(QMdiArea::StackingOrder);
    QCOMPARE(order.size(), 3);
    for (QMdiSubWindow* w : order) {
      QVERIFY(!w->isMaximized());
      QVERIFY(room.contains(w->geometry()));
      if (w == title) {
        QCOMPARE(w->size(), w->minimumSize());
      } else {
        QVERIFY2(w->width() >= room.width() / 2 && w->height() >= room.height() / 2,
                 qPrintable(w->windowTitle()));
      }
    }
    QVERIFY(order[0]->y() < order[1]->y() && order[1]->y() < order[2]->y());
    QCOMPARE(mdi->activeSubWindow(), graph);
  }
};

QTEST_MAIN(MainFormTest)
#include "test_main_form.moc"
