// The main window's commands, driven as the user would, with the dialogs answered by the test.
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "main_form.h"
#include "project_file.h"

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
    const QString project = dir.filePath("example.kv8d");
    QFile::copy(QString(KORVA_SOURCE_DIR) + "/examples/clay-over-sand.kv8d", project);
    TMainForm f;
    answerWith(f, QMessageBox::No);
    f.SetLibraryPath(QString(KORVA_BIN_DIR) + "/libKorva2017_DLL.so");
    f.OpenFileName(project, 1);
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
};

QTEST_MAIN(MainFormTest)
#include "test_main_form.moc"
