// File > Export Calculation Report (PDF)...: when it is offered, what it asks, what it writes
// (the same pages as the batch runner's --pdf), and what happens when the file cannot be
// written or no program shows it.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "main_form.h"
#include "project_file.h"
#include "report_dialog.h"

using korva::TMainForm;
using korva::results::TDlgCalcReport;
using korva::report::TPaper;
using korva::report::TReportParts;

namespace {

constexpr const char* kEntry = "Export Calculation &Report (PDF)...";

QAction* ReportEntry(TMainForm& f) {
  for (QAction* a : f.FileMenu()->actions())
    if (a->text() == kEntry) return a;
  return nullptr;
}

QByteArray Read(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

// The pages of a PDF as `pdftotext -layout` prints them.
QStringList PageTexts(const QString& pdf) {
  QProcess p;
  p.start(QStandardPaths::findExecutable("pdftotext"), {"-layout", pdf, "-"});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
  QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split('\f');
  if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
  return pages;
}

// A page's lines without those that name `directory` (where the files are).
QStringList WithoutDirectory(const QString& page, const QString& directory) {
  QStringList kept;
  for (const QString& line : page.split('\n'))
    if (!line.contains(directory)) kept << line;
  return kept;
}

}  // namespace

class ReportCommandTest : public QObject {
  Q_OBJECT

 private:
  QStringList messages;
  QStringList opened;
  QStringList presets;
  int dialogsShown = 0;
  // What the parts dialog does when shown: by default it is accepted as it stands.
  std::function<int(TDlgCalcReport&)> onDialog;
  // A directory holding the example as analysed by the program (example.kv8d and results).
  std::unique_ptr<QTemporaryDir> analysed;

  // The window's questions answered by the test; the save dialog returns `pdf`.
  void hook(TMainForm& f, const QString& pdf) {
    f.askYesNoCancel = [](const QString&) { return QMessageBox::No; };
    f.information = [this](const QString& t) { messages << t; };
    f.chooseSaveName = [](const QString&, const QString&) { return QString(); };
    f.chooseReportName = [this, pdf](const QString& preset) {
      presets << preset;
      return pdf;
    };
    f.execDialog = [this](QDialog& d) {
      ++dialogsShown;
      auto* dialog = qobject_cast<TDlgCalcReport*>(&d);
      if (!dialog) return int(QDialog::Rejected);
      return onDialog ? onDialog(*dialog) : int(QDialog::Accepted);
    };
    f.openDocument = [this](const QString& file) {
      opened << file;
      return true;
    };
    f.SetLibraryPath(QString(KORVA_BIN_DIR) + "/libKorva2017_DLL.so");
  }

  static QString copyExample(const QTemporaryDir& dir) {
    const QString project = dir.filePath("example.kv8d");
    QFile::copy(QString(KORVA_SOURCE_DIR) + "/examples/clay-over-sand.kv8d", project);
    return project;
  }

  // The example run once by the program; later tests open its results.
  void ensureAnalysed() {
    if (analysed) return;
    analysed = std::make_unique<QTemporaryDir>();
    TMainForm f;
    hook(f, {});
    f.OpenFileName(copyExample(*analysed), 1);
    f.CompRunClick();
    QVERIFY(f.ShowOutput());
    messages.clear();  // the completion message
  }

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    // The engine's date block and the PDF's creation date take this time: both documents
    // show the same run time.
    if (qEnvironmentVariableIsEmpty("SOURCE_DATE_EPOCH")) qputenv("SOURCE_DATE_EPOCH", "1765324800");
    QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(), "pdftotext (poppler-utils) is needed");
  }
  void init() {
    messages.clear();
    opened.clear();
    presets.clear();
    dialogsShown = 0;
    onDialog = nullptr;
  }

  // The entry sits after Save As, before the recent files and Exit, and is enabled exactly
  // while results are loaded: not for a new project or one without results, after a run,
  // not after File > New, again when a project with results opens, not when they fail to load.
  void entryFollowsLoadedResults() {
    QTemporaryDir dir;
    TMainForm f;
    hook(f, {});
    QAction* entry = ReportEntry(f);
    QVERIFY(entry);
    const QList<QAction*> actions = f.FileMenu()->actions();
    const auto at = [&](const QString& text) {
      for (int i = 0; i < actions.size(); ++i)
        if (actions[i]->text() == text) return i;
      return -1;
    };
    QVERIFY(at("Save &As...") < at(kEntry));
    QVERIFY(at(kEntry) < at("E&xit"));
    QVERIFY(actions[at(kEntry) - 1]->isSeparator());
    QVERIFY(actions[at(kEntry) + 1]->isSeparator());
    QVERIFY(!entry->isEnabled());

    const QString project = copyExample(dir);
    f.OpenFileName(project, 1);
    QVERIFY(!ReportEntry(f)->isEnabled());
    f.CompRunClick();
    QVERIFY(f.ShowOutput());
    QVERIFY(ReportEntry(f)->isEnabled());
    f.FileNew();
    QVERIFY(!ReportEntry(f)->isEnabled());
    f.OpenFileName(project, 1);
    QVERIFY(ReportEntry(f)->isEnabled());

    // A plot data file that does not read leaves the command off.
    QFile plot(dir.filePath("example.kv8p"));
    QVERIFY(plot.open(QIODevice::WriteOnly | QIODevice::Truncate));
    plot.write("not a plot file\n");
    plot.close();
    f.OpenFileName(project, 1);
    QVERIFY(!f.ShowOutput());
    QVERIFY(!ReportEntry(f)->isEnabled());
  }

  // The program's document has the pages of the batch runner's for the same project: the
  // window runs the example and exports with the defaults; the runner analyses a second copy
  // with --pdf. Only the lines naming the directory differ.
  void sameDocumentAsRunner() {
    QTemporaryDir mine;
    TMainForm f;
    hook(f, mine.filePath("report"));  // typed without a suffix
    const QString project = copyExample(mine);
    f.OpenFileName(project, 1);
    f.CompRunClick();
    QVERIFY(f.ShowOutput());
    QVERIFY(f.ShowTzCurves());
    messages.clear();

    onDialog = [&f](TDlgCalcReport& d) {
      // The defaults: every part that the results have, checked; the paper chosen by units.
      [&] {
        QCOMPARE(d.windowTitle(), QString("Calculation Report"));
        QCOMPARE(d.PartBox(0)->text(), QString("Summary"));
        QCOMPARE(d.PartBox(5)->text(), QString("t-z and q-w curves"));
        QCOMPARE(d.PartBox(6)->text(), QString("Design charts"));
        for (int i = 0; i < TDlgCalcReport::kPartCount; ++i) {
          const bool charts = i == 6;
          QCOMPARE(d.PartBox(i)->isEnabled(), !charts || f.Project().data.IChart > 0);
          QCOMPARE(d.PartBox(i)->isChecked(), d.PartBox(i)->isEnabled());
        }
        QCOMPARE(d.PaperBox()->currentText(), QString("Automatic (Letter for English units, A4 for SI)"));
        QVERIFY(d.OkButton()->isEnabled());
      }();
      return int(QDialog::Accepted);
    };
    ReportEntry(f)->trigger();
    QCOMPARE(dialogsShown, 1);
    QCOMPARE(presets, QStringList{mine.filePath("example.pdf")});
    QCOMPARE(messages, QStringList());
    const QString pdf = mine.filePath("report.pdf");
    QCOMPARE(opened, QStringList{pdf});
    QVERIFY(Read(pdf).startsWith("%PDF"));

    QTemporaryDir theirs;
    const QString second = copyExample(theirs);
    QProcess runner;
    runner.setWorkingDirectory(theirs.path());
    runner.start(QString(KORVA_BIN_DIR) + "/korva2017-run", {"--pdf", second});
    QVERIFY(runner.waitForFinished(300000));
    QVERIFY2(runner.exitCode() == 0, runner.readAllStandardError().constData());

    const QStringList a = PageTexts(pdf);
    const QStringList b = PageTexts(theirs.filePath("example.pdf"));
    QVERIFY(a.size() > 5);
    QCOMPARE(a.size(), b.size());
    int directoryLines = 0;
    for (int i = 0; i < a.size(); ++i) {
      const QStringList pa = WithoutDirectory(a[i], mine.path());
      const QStringList pb = WithoutDirectory(b[i], theirs.path());
      directoryLines += static_cast<int>(a[i].count('\n') - pa.size() + 1);
      QCOMPARE(pa.size(), pb.size());
      for (int l = 0; l < pa.size(); ++l)
        QVERIFY2(pa[l] == pb[l], qPrintable(QString("page %1 line %2:\n%3\n%4").arg(i + 1).arg(l + 1).arg(pa[l], pb[l])));
    }
    QVERIFY(directoryLines >= 1);  // the appendix names the directory
    QVERIFY(a.join("\n").contains("December 10, 2025"));  // the run time of SOURCE_DATE_EPOCH
  }

  // The dialog's choice: OK needs a part; the parts and the paper are written as chosen and
  // offered again at the next command; Cancel writes nothing.
  void partsAndPaperAsChosen() {
    ensureAnalysed();
    TMainForm f;
    QTemporaryDir out;
    hook(f, out.filePath("summary.pdf"));
    f.OpenFileName(analysed->filePath("example.kv8d"), 1);
    QVERIFY(ReportEntry(f)->isEnabled());

    onDialog = [](TDlgCalcReport& d) {
      [&] {
        for (int i = 0; i < TDlgCalcReport::kPartCount; ++i) d.PartBox(i)->setChecked(false);
        QVERIFY(!d.OkButton()->isEnabled());
        d.PartBox(0)->setChecked(true);
        QVERIFY(d.OkButton()->isEnabled());
        d.PaperBox()->setCurrentIndex(1);  // A4
      }();
      return int(QDialog::Accepted);
    };
    ReportEntry(f)->trigger();
    QCOMPARE(messages, QStringList());
    const QByteArray summary = Read(out.filePath("summary.pdf"));
    QVERIFY(summary.contains("/MediaBox [0 0 595"));  // A4 for an English-unit project
    const int summaryPages = static_cast<int>(PageTexts(out.filePath("summary.pdf")).size());
    QVERIFY(summaryPages >= 1);

    // Offered again as left; Cancel writes nothing.
    onDialog = [](TDlgCalcReport& d) {
      [&] {
        QVERIFY(d.PartBox(0)->isChecked());
        for (int i = 1; i < TDlgCalcReport::kPartCount; ++i) QVERIFY(!d.PartBox(i)->isChecked());
        QCOMPARE(d.Paper(), TPaper::A4);
      }();
      return int(QDialog::Rejected);
    };
    hook(f, out.filePath("cancelled.pdf"));
    ReportEntry(f)->trigger();
    QCOMPARE(dialogsShown, 2);
    QVERIFY(!QFile::exists(out.filePath("cancelled.pdf")));
    QCOMPARE(opened, QStringList{out.filePath("summary.pdf")});

    // Everything on Letter: more pages than the summary alone.
    onDialog = [](TDlgCalcReport& d) {
      for (int i = 0; i < TDlgCalcReport::kPartCount; ++i) d.PartBox(i)->setChecked(true);
      d.PaperBox()->setCurrentIndex(2);
      return int(QDialog::Accepted);
    };
    hook(f, out.filePath("all.pdf"));
    ReportEntry(f)->trigger();
    QVERIFY(Read(out.filePath("all.pdf")).contains("/MediaBox [0 0 612"));
    QVERIFY(PageTexts(out.filePath("all.pdf")).size() > summaryPages);
  }

  // A disabled box (the results have no such curves) is off in what is written and keeps
  // its value for the next project that has them.
  void unavailablePartsKeepTheirChoice() {
    TDlgCalcReport d;
    TReportParts parts;
    parts.Appendix = false;
    d.SetChoice(parts, TPaper::Letter, false, false);
    QVERIFY(!d.PartBox(5)->isEnabled() && !d.PartBox(5)->isChecked());
    QVERIFY(!d.PartBox(6)->isEnabled() && !d.PartBox(6)->isChecked());
    QVERIFY(!d.PartBox(8)->isChecked());
    QVERIFY(!d.Parts().TransferGraphs && !d.Parts().DesignCharts && !d.Parts().Appendix);
    QVERIFY(d.Choice().TransferGraphs && d.Choice().DesignCharts && !d.Choice().Appendix);
    QCOMPARE(d.Paper(), TPaper::Letter);
    // Only unavailable parts chosen: nothing to write.
    TReportParts only;
    only = TReportParts{false, false, false, false, false, true, true, false, false};
    d.SetChoice(only, TPaper::Automatic, false, false);
    QVERIFY(!d.OkButton()->isEnabled());
    d.SetChoice(only, TPaper::Automatic, true, true);
    QVERIFY(d.OkButton()->isEnabled());
    QVERIFY(d.Parts().TransferGraphs && d.Parts().DesignCharts);
  }

  // A file that cannot be written: the writer's message, the old file as it was, no
  // temporary file left, nothing opened. A name over the project is refused before anything
  // is asked; with no program to show the document, a short note and nothing more.
  void failuresKeepWhatWasThere() {
    ensureAnalysed();
    TMainForm f;
    QTemporaryDir out;
    hook(f, {});
    f.OpenFileName(analysed->filePath("example.kv8d"), 1);

    // The target is a directory (with a file in it).
    const QString folder = out.filePath("folder.pdf");
    QVERIFY(QDir().mkdir(folder));
    QFile inner(folder + "/keep.txt");
    QVERIFY(inner.open(QIODevice::WriteOnly));
    inner.write("kept");
    inner.close();
    hook(f, folder);
    ReportEntry(f)->trigger();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("The calculation report was not written.\rCannot write " + folder), qPrintable(messages[0]));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(Read(folder + "/keep.txt"), QByteArray("kept"));

    // An old report whose replacement cannot be made beside it (the temporary name would
    // be too long, which stops root as well as anyone): it stays byte for byte.
    const QString old = out.filePath(QString(246, 'r') + ".pdf");
    QFile oldFile(old);
    QVERIFY(oldFile.open(QIODevice::WriteOnly));
    oldFile.write("%PDF-1.4 old report");
    oldFile.close();
    messages.clear();
    hook(f, old);
    ReportEntry(f)->trigger();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].startsWith("The calculation report was not written.\rCannot write "));
    QCOMPARE(Read(old), QByteArray("%PDF-1.4 old report"));
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"folder.pdf", QFileInfo(old).fileName()}));
    QCOMPARE(opened, QStringList());

    // The project file itself is never the target.
    messages.clear();
    dialogsShown = 0;
    const QString project = analysed->filePath("example.kv8d");
    const QByteArray before = Read(project);
    hook(f, project);
    ReportEntry(f)->trigger();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].startsWith("The calculation report is not written over a project or result file"));
    QCOMPARE(dialogsShown, 0);
    QCOMPARE(Read(project), before);

    // Cancelling the save dialog asks nothing more.
    messages.clear();
    hook(f, QString());
    ReportEntry(f)->trigger();
    QCOMPARE(dialogsShown, 0);
    QCOMPARE(messages, QStringList());

    // No program opens PDF documents: the file is there, one short note names it.
    hook(f, out.filePath("shown.pdf"));
    f.openDocument = [](const QString&) { return false; };
    ReportEntry(f)->trigger();
    QVERIFY(Read(out.filePath("shown.pdf")).startsWith("%PDF"));
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains(out.filePath("shown.pdf")));
    QVERIFY(messages[0].contains("No program to show PDF documents was found."));
  }
};

QTEST_MAIN(ReportCommandTest)
#include "test_report_command.moc"
