// The "Export to Excel" dialog: which graphs it offers, the enabling of its Generate button,
// and what the user is told after writing a workbook (the workbook itself is checked in
// test_workbook_export.cpp).
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "export_dialog.h"

using namespace korva::results;

class ExportDialogTest : public QObject {
  Q_OBJECT

  struct Hooks {
    QStringList infos, errors, opened, presets;
    QString answer;
  };
  static void hook(TDlgExport& d, Hooks& h) {
    d.chooseSaveName = [&h](const QString& preset) {
      h.presets << preset;
      return h.answer;
    };
    d.information = [&h](const QString& t) { h.infos << t; };
    d.error = [&h](const QString& t) { h.errors << t; };
    d.openFile = [&h](const QString& f) {
      h.opened << f;
      return true;
    };
  }

 private slots:
  void listsEnabledGraphsAndEnablesGenerate() {
    TGraphCatalogue graphs;
    TDlgExport d(graphs);
    // No graph available: an empty list and nothing to generate.
    d.Prepare([](GraphIndex) { return false; });
    QCOMPARE(d.List()->count(), 0);
    QVERIFY(!d.GenerateButton()->isEnabled());

    // Enabled graphs only, in the export order, checked; the load distribution never.
    d.Prepare([](GraphIndex i) { return i == kPltQw || i == kPltSkin || i == kPltLoad || i == kPltChart1 + 2; });
    QCOMPARE(d.Count(), 3);
    QCOMPARE(d.List()->item(0)->text(), QString("Ultimate Skin Friction vs Depth"));
    QCOMPARE(d.List()->item(1)->text(), QString("Q-w curves (averaged)"));
    QCOMPARE(d.List()->item(2)->text(), QString("Design Chart 3"));
    QCOMPARE(d.IndexAt(2), GraphIndex(kPltChart1 + 2));
    QVERIFY(d.GenerateButton()->isEnabled());
    QVERIFY(d.Markers()->isChecked());

    d.UnselectAll();
    QVERIFY(!d.GenerateButton()->isEnabled());
    d.List()->item(1)->setCheckState(Qt::Checked);  // a check by the user
    QVERIFY(d.GenerateButton()->isEnabled());
    d.List()->item(1)->setCheckState(Qt::Unchecked);
    QVERIFY(!d.GenerateButton()->isEnabled());
    d.SelectAll();
    for (int i = 0; i < d.List()->count(); ++i) QCOMPARE(d.List()->item(i)->checkState(), Qt::Checked);
    QVERIFY(d.GenerateButton()->isEnabled());
  }

  void generateWritesOpensAndReports() {
    TGraphCatalogue graphs;
    graphs[kPltSkin].AddLine({}, {{1, 0}, {2, 1}});
    for (int i = 0; i < 300; ++i) graphs[kPltTz].AddLine({}, {{0, 0}, {0.1, 1.0 * i}});
    TDlgExport d(graphs);
    Hooks h;
    hook(d, h);
    QTemporaryDir dir;
    d.SetDefaultFile(dir.filePath("pier.xlsx"));
    d.Prepare([](GraphIndex i) { return i == kPltSkin || i == kPltTz; });

    // Cancelled save dialog: nothing happens.
    d.Generate();
    QCOMPARE(h.presets, QStringList{dir.filePath("pier.xlsx")});
    QVERIFY(h.infos.isEmpty() && h.opened.isEmpty());

    // Only the first graph: the plain completion message; ".xlsx" is added to a bare name.
    h.answer = dir.filePath("first");
    d.List()->item(1)->setCheckState(Qt::Unchecked);
    d.Generate();
    QVERIFY(QFile::exists(dir.filePath("first.xlsx")));
    QCOMPARE(h.opened, QStringList{dir.filePath("first.xlsx")});
    QCOMPARE(h.infos, QStringList{"Export to Excel Completed\nPlease note that you need to save the excel file\n"});

    // Both: the t-z graph has more curves than a chart shows, and the message says so.
    d.SelectAll();
    h.answer = dir.filePath("both.xlsx");
    d.Generate();
    QCOMPARE(h.infos.last(), QString("Export to Excel Completed\nPlease note that you need to save the excel file\n"
                                     "Some plots show only 255 series because Excel limitation \nPlease check \n"));
    QVERIFY(h.errors.isEmpty());

    // A folder that does not exist: an error, no completion message, nothing opened.
    h.answer = dir.filePath("missing/book.xlsx");
    const auto infos = h.infos.size();
    d.Generate();
    QCOMPARE(h.errors.size(), 1);
    QVERIFY(h.errors.first().contains("missing/book.xlsx"));
    QCOMPARE(h.infos.size(), infos);
    QCOMPARE(h.opened.size(), 2);
  }
};

QTEST_MAIN(ExportDialogTest)
#include "test_export_dialog.moc"
