// Help > User's Manual and Help > Technical Manual: each opens its PDF, found beside the program
// (as in this build tree), with the desktop's viewer; without a viewer a note tells where it is.
#include <QFile>
#include <QtTest>

#include "engine_run.h"
#include "main_form.h"
#include "menu_commands.h"

using korva::TMainForm;

class HelpMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void opensEachManual_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("file");
    QTest::newRow("user's") << "&User's Manual" << "Korva 2017 Users Manual.pdf";
    QTest::newRow("technical") << "&Technical Manual" << "Korva 2017 Technical Manual.pdf";
  }
  void opensEachManual() {
    QFETCH(QString, entry);
    QFETCH(QString, file);
    TMainForm f;
    QStringList opened, messages;
    f.information = [&](const QString& t) { messages << t; };
    f.openDocument = [&](const QString& doc) {
      opened << doc;
      return true;
    };
    QAction* a = korva::testing_shell::MenuCommand(f, "&Help", entry);
    QVERIFY(a);
    a->trigger();
    QCOMPARE(messages, QStringList());
    QCOMPARE(opened.size(), 1);
    QCOMPARE(QFileInfo(opened[0]).fileName(), file);
    QFile pdf(opened[0]);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");

    // No viewer: one note that names the file.
    f.openDocument = [](const QString&) { return false; };
    a->trigger();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains(opened[0]));
    QVERIFY(messages[0].contains("No program to show PDF documents was found."));
  }

  void documentNotInstalled() { QVERIFY(korva::DocumentPath("No Such Manual.pdf").empty()); }
};

QTEST_MAIN(HelpMenuTest)
#include "test_help_menu.moc"
