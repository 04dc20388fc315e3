// The program's windows on a display with a window manager: where messages appear and where
// the focus goes after them, the titles the window manager shows, and where new windows open.
// Run by with_window_manager.sh (a virtual display with openbox).
#include <QCheckBox>
#include <QMessageBox>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include "data_edit.h"
#include "main_form.h"
#include "menu_commands.h"
#include "option_dialogs.h"
#include "value_dialogs.h"

using korva::TMainForm;
using namespace korva::dialogs;

namespace {

using korva::testing_shell::DataCommand;

// The title the window manager shows for a window.
QString ShownTitle(QWidget* w) {
  QProcess p;
  p.start("xprop", {"-id", QString::number(w->winId()), "_NET_WM_NAME"});
  if (!p.waitForFinished(5000) || p.exitCode() != 0) return QString("(xprop failed)");
  const QString out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
  const int q = static_cast<int>(out.indexOf('"'));
  return q < 0 ? out : out.mid(q + 1, out.size() - q - 2);
}

}  // namespace

class WindowManagerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  // A message about an entry in one of the two top-level windows appears over that window;
  // afterwards that window and its field have the focus, so typing goes on there (not into
  // the main window's Project Title). The box and the windows carry their own titles.
  void messageKeepsTheWindowAndField_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("caption");
    QTest::newRow("design charts") << "ASD/LRFD Design Charts" << "LRFD Design Charts";
    QTest::newRow("multiple lengths") << "Evaluate Multiple Shaft Lengths" << "Multiple Shaft Lengths";
  }
  void messageKeepsTheWindowAndField() {
    QFETCH(QString, command);
    QFETCH(QString, caption);
    TMainForm f;
    f.askYesNoCancel = [](const QString&) { return int(QMessageBox::No); };
    f.resize(1100, 700);
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.Project().data.METHOD = 2;
    DataCommand(f, "&Title");
    QLineEdit* title = TdlgTitle::Instance()->TitleEdit();
    title->setFocus();
    const QString titleText = title->text();
    DataCommand(f, command);
    TTopLevelDialog* window = TfrmDesignCharts::Instance();
    korva::controls::TDataEdit* field = nullptr;
    // The analysis switched on (the window loads its check box from the project).
    if (auto* c = TfrmDesignCharts::Instance()) {
      f.Project().data.IChart = 1;
      field = c->MaxLength();
    } else if (auto* v = TfrmVaryLength::Instance()) {
      window = v;
      f.Project().data.IPENT = 1;
      field = v->MaxLength();
    }
    if (window) window->LoadFromModel();
    QVERIFY(window && field);
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(window->windowTitle(), caption);
    QCOMPARE(ShownTitle(window), caption);
    QCOMPARE(ShownTitle(&f), f.windowTitle());

    window->activateWindow();
    field->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));
    field->selectAll();
    QTest::keyClicks(field, "abc");
    QPointer<QWidget> boxParent;
    QString boxTitle, boxShownTitle;
    QTimer::singleShot(300, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      boxParent = box->parentWidget();
      boxTitle = box->windowTitle();
      boxShownTitle = ShownTitle(box);
      box->accept();
    });
    QTest::keyClick(field, Qt::Key_Return);  // the entry is checked: a message
    QCOMPARE(boxParent.data(), static_cast<QWidget*>(window));
    QCOMPARE(boxTitle, QString("Korva 2017"));
    QCOMPARE(boxShownTitle, QString("Korva 2017"));
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(window));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));
    QTest::keyClicks(QApplication::focusWidget(), "7");
    QCOMPARE(title->text(), titleText);
    window->close();
    f.HideAll();
  }

  // The design-chart window of a main window low on the screen opens inside the work area.
  void designChartsOpenInsideTheWorkArea() {
    TMainForm f;
    f.resize(1100, 700);
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    const QRect work = f.screen()->availableGeometry();
    f.move(work.left() + 20, work.bottom() - 250);
    QTest::qWait(200);
    f.Project().data.METHOD = 2;
    DataCommand(f, "ASD/LRFD Design Charts");
    auto* charts = TfrmDesignCharts::Instance();
    QVERIFY(charts);
    QVERIFY(QTest::qWaitForWindowActive(charts));
    QTest::qWait(200);
    QVERIFY2(work.contains(charts->frameGeometry()),
             qPrintable(QString("%1,%2 %3x%4 outside %5x%6")
                            .arg(charts->frameGeometry().x()).arg(charts->frameGeometry().y())
                            .arg(charts->frameGeometry().width()).arg(charts->frameGeometry().height())
                            .arg(work.width()).arg(work.height())));
    charts->close();
    f.HideAll();
  }
};

QTEST_MAIN(WindowManagerTest)
#include "test_window_manager.moc"
