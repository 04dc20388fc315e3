// The numeric entry field and the data dialogs built on it, driven as the user would: typing,
// leaving fields, choosing options and closing the windows. Messages are caught through the
// host's `information` hook.
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

#include "data_edit.h"
#include "evaluator.h"
#include "option_dialogs.h"
#include "program_data.h"
#include "value_dialogs.h"

using korva::controls::TDataEdit;
using namespace korva::dialogs;

namespace {

// A main window stand-in: the project, an MDI area and the host whose messages are kept.
struct Env {
  korva::project::Project project;
  DialogHost host;
  QStringList messages;
  int changedCalls = 0;
  std::unique_ptr<QMdiArea> mdi = std::make_unique<QMdiArea>();

  Env() {
    host.project = &project;
    host.mdi = mdi.get();
    host.information = [this](const QString& m) { messages << m; };
    host.setChanged = [this] {
      ++changedCalls;
      project.SetDataChanged(true);
    };
    mdi->resize(1000, 800);
    mdi->show();
    mdi->activateWindow();
    if (!QTest::qWaitForWindowActive(mdi.get())) qWarning("main window stand-in not active");
  }
};

QString Fmt(double v) { return QString::fromStdString(korva::project::FormatGeneral(v, 8)); }

QMdiSubWindow* SubOf(QWidget* dialog) { return qobject_cast<QMdiSubWindow*>(dialog->parentWidget()); }

void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Types `text` into the field as a user would (replacing what is there).
void Type(QLineEdit* field, const QString& text) {
  field->setFocus();
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Delete);
  QTest::keyClicks(field, text);
}

}  // namespace

class TestValueDialogs : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();

  // TDataEdit
  void validation_data();
  void validation();
  void setterRules();
  void labelFollowsCaptionUnitsAndEnabled();
  void enterValidatesAndIsSwallowed();
  void operatorOverSelectionExtends();
  void leavingFieldValidates();

  // Project value dialogs
  void lengthAndLoadExcludeEachOther_data();
  void lengthAndLoadExcludeEachOther();
  void loadingTypeRules();
  void titleSetsChangedOnlyWhenDifferent();
  void shaftPropertiesLimitsAndUnits();
  void invalidActiveFieldKeepsDialogOpen();
  void unitRoundTripKeepsFullValues();
  void escapeClosesLikeTheCloseBox();

  // Options and length variation
  void controlOptions();
  void browseOffersProgramsAndAllFiles();
  void multipleShaftLengths();
  void designChartPoints();
  void badSettlementKeepsDialogOpen();

 private:
  QStringList defaultMessages_;
};

void TestValueDialogs::initTestCase() {
  // Fields outside a dialog report here instead of opening a message box.
  TDataEdit::DefaultInformation = [this](QWidget*, const QString& m) { defaultMessages_ << m; };
  TDlgOptions::ChooseEditorFile = [](QWidget*, const QString&) { return QString(); };
}

// ---------------------------------------------------------------------------------------
// TDataEdit

void TestValueDialogs::validation_data() {
  QTest::addColumn<double>("minVal");
  QTest::addColumn<double>("maxVal");
  QTest::addColumn<bool>("integerOnly");
  QTest::addColumn<QString>("entry");
  QTest::addColumn<QString>("shown");
  QTest::addColumn<QString>("message");

  const double lo = TDataEdit::kDefaultMinVal, hi = TDataEdit::kDefaultMaxVal;
  QTest::newRow("expression") << lo << hi << false << "2+3*4" << "14" << "";
  QTest::newRow("parentheses, blanks") << lo << hi << false << " (2 + 3) * 4 " << "20" << "";
  QTest::newRow("exponent") << lo << hi << false << "1E-5" << "0.00001" << "";
  QTest::newRow("above maximum") << 1.0 << 10.0 << false << "12" << "10"
                                 << "Entry must be less than or equal to 10";
  QTest::newRow("below minimum") << 1.0 << 10.0 << false << "0.5" << "1"
                                 << "Entry must be greater than or equal to 1";
  QTest::newRow("not whole") << lo << hi << true << "2.5" << "2.5" << "Entry must be an integer.";
  QTest::newRow("whole expression") << lo << hi << true << "7/2*2" << "7" << "";
  QTest::newRow("integer, invalid") << lo << hi << true << "abc" << "abc" << "Entry must be a valid integer.";
  QTest::newRow("empty") << lo << hi << false << "" << ""
                         << "Entry could not be evaluated:\nentry cannot be blank";
  QTest::newRow("trailing operator") << lo << hi << false << "2+" << "2+"
                                     << "Entry could not be evaluated:\ninvalid expression";
  QTest::newRow("division by zero") << lo << hi << false << "1/0" << "1/0" << "Floating point division by zero";
  // Numbers beyond a double are an overflow like any other, however long their exponent.
  const QString huge = QStringLiteral("10e00000000000000000000000000000000000000009223372036854775806");
  QTest::newRow("beyond a double") << lo << hi << false << huge << huge << "Floating point overflow";
  QTest::newRow("beyond a double, negative") << lo << hi << false << "-" + huge << "-" + huge
                                             << "Floating point overflow";
  QTest::newRow("below a double") << lo << hi << false << "10e-0000000000000000009223372036854775806"
                                  << "0" << "";
  QTest::newRow("integer beyond a double") << lo << hi << true << huge << huge
                                           << "Floating point overflow";
}

void TestValueDialogs::validation() {
  QFETCH(double, minVal);
  QFETCH(double, maxVal);
  QFETCH(bool, integerOnly);
  QFETCH(QString, entry);
  QFETCH(QString, shown);
  QFETCH(QString, message);

  TDataEdit field;
  QStringList messages;
  field.information = [&messages](const QString& m) { messages << m; };
  field.SetIntegerOnly(integerOnly);
  field.SetMaxVal(maxVal);
  field.SetMinVal(minVal);
  QSignalSpy exited(&field, &TDataEdit::exited);
  field.setText(entry);

  const bool ok = field.CloseQuery();
  QCOMPARE(ok, message.isEmpty());
  QCOMPARE(field.OK(), ok);
  QCOMPARE(field.text(), shown);
  QCOMPARE(messages, message.isEmpty() ? QStringList() : QStringList{message});
  QCOMPARE(exited.count(), 1);
}

void TestValueDialogs::setterRules() {
  TDataEdit field;
  QCOMPARE(field.text(), QString("0"));

  // Writing clamps to the range.
  field.SetMaxVal(30);
  field.SetNumber(40);
  QCOMPARE(field.text(), QString("30"));
  QCOMPARE(field.Number(), 30.0);

  // A new maximum below the shown number lowers it; a minimum above the maximum is cut.
  field.SetMaxVal(20);
  QCOMPARE(field.text(), QString("20"));
  field.SetMinVal(25);
  QCOMPARE(field.MinVal(), 20.0);
  field.SetMaxVal(5);
  QCOMPARE(field.MaxVal(), 20.0);

  // The integer rule brings the default range into 32 bits.
  TDataEdit whole;
  whole.SetIntegerOnly(true);
  QCOMPARE(whole.MaxVal(), 2147483647.0);
  QCOMPARE(whole.MinVal(), -2147483648.0);

  // Reading an invalid text throws the evaluator's error; TryNumber does not.
  whole.setText("2+");
  QVERIFY_THROWS_EXCEPTION(korva::project::EAssignError, whole.Number());
  double v = -1;
  QVERIFY(!whole.TryNumber(v));
  QCOMPARE(v, -1.0);

  // Hexadecimal display, read back by the evaluator.
  TDataEdit hex;
  hex.SetHex(true);
  hex.SetNumber(30.6);
  QCOMPARE(hex.text(), QString("$001F"));
  QCOMPARE(hex.Number(), 31.0);
  hex.SetNumber(0x12345);
  QCOMPARE(hex.text(), QString("$12345"));
}

void TestValueDialogs::labelFollowsCaptionUnitsAndEnabled() {
  QWidget form;
  auto* layout = new QVBoxLayout(&form);
  auto* field = new TDataEdit(&form);
  layout->addWidget(field->EditLabel());
  layout->addWidget(field);
  QLabel* label = field->EditLabel();
  QCOMPARE(label->buddy(), field);

  field->SetCaption("Cohesion");
  QCOMPARE(label->text(), QString("Cohesion"));

  struct Case {
    const char* units;
    int system;
    const char* text;
  };
  const Case cases[] = {
      {"F/L2^2", 1, "Cohesion (lbs/ft^2)"},
      {"F/L2^2", 2, "Cohesion (kN/m^2)"},
      {"F/L2^2", 3, "Cohesion (F/L2^2)"},
      {"L2", 0, "Cohesion (ft)"},  // clamped to English
      {"L2", 9, "Cohesion (L2)"},  // clamped to generic: shown as written
      {"F2", 2, "Cohesion (kN)"},
      {"deg", 2, "Cohesion (deg)"},
  };
  for (const Case& c : cases) {
    field->SetUnitsString(c.units);
    field->SetUnits(c.system);
    QCOMPARE(label->text(), QString(c.text));
  }
  field->SetUnits(9);
  QCOMPARE(field->Units(), 3);
  field->SetUnits(-1);
  QCOMPARE(field->Units(), 1);

  field->setEnabled(false);
  QVERIFY(!label->isEnabled());
  field->setEnabled(true);
  QVERIFY(label->isEnabled());

  // A replacing label takes over; the field's own label goes.
  QPointer<QLabel> own(label);
  auto* other = new QLabel(&form);
  field->SetEditLabel(other);
  QVERIFY(!own);
  QCOMPARE(other->text(), QString("Cohesion (deg)"));
}

void TestValueDialogs::enterValidatesAndIsSwallowed() {
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* field = new TDataEdit(&dialog);
  auto* button = new QPushButton("OK", &dialog);
  button->setDefault(true);
  layout->addWidget(field);
  layout->addWidget(button);
  QSignalSpy clicked(button, &QPushButton::clicked);
  dialog.show();
  QVERIFY(QTest::qWaitForWindowActive(&dialog));

  Type(field, "2*3");
  QTest::keyClick(field, Qt::Key_Return);
  QCOMPARE(field->text(), QString("6"));
  QCOMPARE(field->selectedText(), QString("6"));
  QCOMPARE(clicked.count(), 0);
  QVERIFY(dialog.isVisible());
}

void TestValueDialogs::operatorOverSelectionExtends() {
  TDataEdit field;
  field.setText("12");
  field.selectAll();
  QTest::keyClick(&field, '*');
  QTest::keyClicks(&field, "2");
  QCOMPARE(field.text(), QString("12*2"));

  // Other keys still replace the selection.
  field.selectAll();
  QTest::keyClicks(&field, "7");
  QCOMPARE(field.text(), QString("7"));
}

void TestValueDialogs::leavingFieldValidates() {
  defaultMessages_.clear();
  QWidget form;
  auto* layout = new QVBoxLayout(&form);
  auto* a = new TDataEdit(&form);
  auto* b = new TDataEdit(&form);
  layout->addWidget(a);
  layout->addWidget(b);
  form.show();
  QVERIFY(QTest::qWaitForWindowActive(&form));

  Type(a, "3*3");
  QTest::keyClick(a, Qt::Key_Tab);
  QCOMPARE(a->text(), QString("9"));
  QVERIFY(b->hasFocus());
  QVERIFY(defaultMessages_.isEmpty());

  // An invalid entry is reported once and takes the focus back.
  Type(a, "1/0");
  QTest::keyClick(a, Qt::Key_Tab);
  QCOMPARE(defaultMessages_, QStringList{"Floating point division by zero"});
  QVERIFY(a->hasFocus());
  QCOMPARE(a->text(), QString("1/0"));
}

// ---------------------------------------------------------------------------------------
// Project value dialogs

void TestValueDialogs::lengthAndLoadExcludeEachOther_data() {
  QTest::addColumn<bool>("lengthDialog");
  QTest::addColumn<QString>("entry");
  QTest::addColumn<double>("pd");
  QTest::addColumn<double>("lpd");
  QTest::newRow("length clears load") << true << "50" << 50.0 << 0.0;
  QTest::newRow("zero length keeps load") << true << "0" << 0.0 << 200.0;
  QTest::newRow("load clears length") << false << "300" << 0.0 << 300.0;
  QTest::newRow("zero load keeps length") << false << "0" << 40.0 << 0.0;
}

void TestValueDialogs::lengthAndLoadExcludeEachOther() {
  QFETCH(bool, lengthDialog);
  QFETCH(QString, entry);
  QFETCH(double, pd);
  QFETCH(double, lpd);

  Env env;
  env.project.data.PD = 40;
  env.project.data.LPD = 200;
  TLoadingDialog* dialog = lengthDialog ? static_cast<TLoadingDialog*>(TfrmPenetration::Open(env.host))
                                        : static_cast<TLoadingDialog*>(TfrmDesignLoad::Open(env.host));
  Type(dialog->Value(), entry);
  QVERIFY(SubOf(dialog)->close());
  QCOMPARE(env.project.data.PD, pd);
  QCOMPARE(env.project.data.LPD, lpd);
  QVERIFY(env.project.DataChanged());
  QVERIFY(env.messages.isEmpty());
}

void TestValueDialogs::loadingTypeRules() {
  Env env;
  auto& d = env.project.data;
  d.KCYCL = 2;
  d.RCYCL = 0.7;

  // Shaft length: the factor follows the loading type.
  TfrmPenetration* length = TfrmPenetration::Open(env.host);
  QVERIFY(length->Uplift()->isChecked());
  QCOMPARE(length->Factor()->text(), QString("0.7"));
  QVERIFY(length->Factor()->isEnabled());
  length->Compression()->click();
  QVERIFY(!length->Factor()->isEnabled());
  QVERIFY(!length->Factor()->EditLabel()->isEnabled());
  length->Uplift()->click();
  QVERIFY(length->Factor()->isEnabled());

  // The factor is limited to 1 and neither it nor the loading type marks a change.
  Type(length->Factor(), "1.5");
  QVERIFY(!length->Factor()->CloseQuery());
  QCOMPARE(env.messages, QStringList{"Entry must be less than or equal to 1"});
  length->Compression()->click();
  QCOMPARE(env.changedCalls, 0);

  // Compression stores a factor of 1 whatever the field shows.
  QVERIFY(SubOf(length)->close());
  QCOMPARE(d.KCYCL, 1);
  QCOMPARE(d.RCYCL, 1.0);
  FlushDeletes();
  QVERIFY(!TfrmPenetration::Instance());

  // Design load: the factor stays enabled with compression; uplift stores it.
  TfrmDesignLoad* load = TfrmDesignLoad::Open(env.host);
  QVERIFY(load->Compression()->isChecked());
  QVERIFY(load->Factor()->isEnabled());
  load->Uplift()->click();
  QVERIFY(load->Factor()->isEnabled());
  Type(load->Factor(), "0.8");
  QCOMPARE(env.changedCalls, 0);
  Type(load->Value(), "120");
  QVERIFY(env.changedCalls > 0);
  QCOMPARE(TfrmDesignLoad::Open(env.host), load);  // one instance
  QVERIFY(SubOf(load)->close());
  QCOMPARE(d.KCYCL, 2);
  QCOMPARE(d.RCYCL, 0.8);
  QCOMPARE(d.LPD, 120.0);
}

void TestValueDialogs::titleSetsChangedOnlyWhenDifferent() {
  Env env;
  env.project.data.Title = "Pier 4";
  TdlgTitle* title = TdlgTitle::Open(env.host);
  QCOMPARE(title->TitleEdit()->text(), QString("Pier 4"));
  QCOMPARE(title->TitleEdit()->maxLength(), 80);

  // Retyped as it was: nothing changes.
  Type(title->TitleEdit(), "Pier 4");
  QVERIFY(title->StoreToModel());
  QVERIFY(!env.project.DataChanged());

  Type(title->TitleEdit(), "Pier 5");
  QVERIFY(SubOf(title)->close());
  QCOMPARE(env.project.data.Title, std::string("Pier 5"));
  QVERIFY(env.project.DataChanged());
}

void TestValueDialogs::shaftPropertiesLimitsAndUnits() {
  Env env;
  auto& d = env.project.data;
  d.DSTART = 3;
  d.DIALIM = 6;
  d.EPILE = 4e6;
  TfrmShaftpeneta* shaft = TfrmShaftpeneta::Open(env.host);
  QCOMPARE(shaft->MinDiameter()->EditLabel()->text(), QString("Minimum Shaft Diameter, B, to be Considered (ft)"));
  QCOMPARE(shaft->Modulus()->EditLabel()->text(), QString::fromUtf8("&Modulus of Elasticity of Drilled Shaft  (lbs/in²)"));
  QCOMPARE(shaft->MinDiameter()->toolTip(), QString("Practical minimum value is 2 ft or 0.6 m"));
  QVERIFY(shaft->MaxDiameter()->isEnabled());

  // Above the limit: the maximum message, the field shows the limit and keeps the focus.
  Type(shaft->MinDiameter(), "40");
  QVERIFY(!SubOf(shaft)->close());
  QCOMPARE(env.messages, QStringList{"Entry must be less than or equal to 30"});
  QCOMPARE(shaft->MinDiameter()->text(), QString("30"));
  QCOMPARE(d.DSTART, 3.0);
  QVERIFY(TfrmShaftpeneta::Instance());

  // Later (after the user's next action) switching to SI shows converted values in metres.
  QCoreApplication::processEvents();
  d.SetUnits(2, env.project.tables);
  shaft->LoadFromModel();
  QCOMPARE(shaft->MinDiameter()->EditLabel()->text(), QString("Minimum Shaft Diameter, B, to be Considered (m)"));
  QCOMPARE(shaft->Modulus()->EditLabel()->text(), QString::fromUtf8("&Modulus of Elasticity of Drilled Shaft  (kN/m²)"));
  QCOMPARE(shaft->MinDiameter()->text(), Fmt(d.DSTART));
  QCOMPARE(shaft->MaxDiameter()->text(), Fmt(d.DIALIM));

  // Multiple shaft lengths use one diameter: no maximum.
  d.METHOD = 2;
  d.IPENT = 1;
  shaft->LoadFromModel();
  QVERIFY(!shaft->MaxDiameter()->isEnabled());
  QVERIFY(shaft->MaxDiameterNote()->isHidden());
}

// A unit switch stores the open dialog's fields, converts and shows the converted values
// with 8 digits; storing them again must not put the rounded text in place of the value.
void TestValueDialogs::unitRoundTripKeepsFullValues() {
  Env env;
  auto& d = env.project.data;
  d.DSTART = 2.5;
  d.EPILE = 3600000;
  d.TOPLENG = 1.0 / 3.0;
  TfrmShaftpeneta* shaft = TfrmShaftpeneta::Open(env.host);
  for (int units : {2, 1, 2, 1}) {
    QVERIFY(shaft->StoreToModel());
    d.SetUnits(units, env.project.tables);
    shaft->LoadFromModel();
  }
  QVERIFY(shaft->StoreToModel());
  QCOMPARE(shaft->Modulus()->text(), QString("3600000"));
  QVERIFY2(std::fabs(d.EPILE - 3600000) < 1e-6, qPrintable(QString::number(d.EPILE, 'g', 17)));
  QVERIFY(std::fabs(d.DSTART - 2.5) < 1e-12);
  QVERIFY(std::fabs(d.TOPLENG - 1.0 / 3.0) < 1e-12);

  // What the user types is taken as typed, even when it reads like the text shown before.
  Type(shaft->Modulus(), "3600000.4");
  QVERIFY(shaft->Modulus()->CloseQuery());
  QVERIFY(shaft->StoreToModel());
  QCOMPARE(d.EPILE, 3600000.4);
  Type(shaft->TopLength(), "0.33333333");
  QVERIFY(shaft->StoreToModel());
  QCOMPARE(d.TOPLENG, 0.33333333);
}

// Escape does what the close box does: the values are stored and the dialog goes, unless
// the active entry is invalid. The same for a child window and a top-level window.
void TestValueDialogs::escapeClosesLikeTheCloseBox() {
  Env env;
  auto& d = env.project.data;
  TfrmWaterDepth* water = TfrmWaterDepth::Open(env.host);
  Type(water->Depth(), "abc");
  QTest::keyClick(water->Depth(), Qt::Key_Escape);
  QCOMPARE(env.messages, QStringList{"Entry could not be evaluated:\ninvalid character(s) in expression"});
  QVERIFY(TfrmWaterDepth::Instance());
  QCoreApplication::processEvents();
  Type(water->Depth(), "7");
  QTest::keyClick(water->Depth(), Qt::Key_Escape);
  FlushDeletes();
  QVERIFY(!TfrmWaterDepth::Instance());
  QCOMPARE(d.WTD, 7.0);
  QVERIFY(env.mdi->subWindowList().isEmpty());

  d.METHOD = 2;
  TfrmVaryLength* vary = TfrmVaryLength::Open(env.host);
  QVERIFY(QTest::qWaitForWindowActive(vary));
  vary->Evaluate()->setChecked(true);
  Type(vary->MaxLength(), "80");
  QTest::keyClick(vary->MaxLength(), Qt::Key_Escape);
  FlushDeletes();
  QVERIFY(!TfrmVaryLength::Instance());
  QCOMPARE(d.PD, 80.0);
  QCOMPARE(d.IPENT, 1);
}

void TestValueDialogs::invalidActiveFieldKeepsDialogOpen() {
  Env env;
  env.project.data.WTD = 5;
  TfrmWaterDepth* water = TfrmWaterDepth::Open(env.host);
  QCOMPARE(water->Depth()->EditLabel()->text(), QString("&Depth of water table (ft)"));
  Type(water->Depth(), "abc");
  QVERIFY(!SubOf(water)->close());
  QCOMPARE(env.messages, QStringList{"Entry could not be evaluated:\ninvalid character(s) in expression"});
  QCOMPARE(env.project.data.WTD, 5.0);
  QCOMPARE(water->Depth()->text(), QString("abc"));

  // Another child window taking over: the entry is reported, the dialog comes back to the
  // front with the entry as typed.
  env.messages.clear();
  QCoreApplication::processEvents();  // the user's next action
  TfrmSafetyFactor::Open(env.host);
  QCOMPARE(env.messages, QStringList{"Entry could not be evaluated:\ninvalid character(s) in expression"});
  QCOMPARE(env.mdi->activeSubWindow(), SubOf(water));
  QCOMPARE(water->Depth()->text(), QString("abc"));
  QCOMPARE(env.project.data.WTD, 5.0);

  Type(water->Depth(), "12/2");
  QVERIFY(SubOf(water)->close());
  QCOMPARE(env.project.data.WTD, 6.0);
  FlushDeletes();
  QVERIFY(!TfrmWaterDepth::Instance());
}

// ---------------------------------------------------------------------------------------
// Options and length variation

void TestValueDialogs::controlOptions() {
  Env env;
  auto& d = env.project.data;
  d.UseElevation = 1;
  d.ValElevation = 100;
  d.IMOD = 0;
  QString editor = "/usr/bin/editor";
  TDlgOptions* options = TDlgOptions::Open(
      env.host, {[&editor] { return editor; }, [&editor](const QString& e) { editor = e; }});
  QCOMPARE(options->EditorPath()->text(), editor);
  QVERIFY(options->MaximumEndBearing()->isChecked());
  QVERIFY(options->Elevation()->isEnabled());
  QCOMPARE(options->Elevation()->text(), QString("100"));
  QVERIFY(!options->EditDepthsButton()->isEnabled());

  options->UseElevation()->click();
  QVERIFY(!options->Elevation()->isEnabled());
  options->PrintTZCurves()->click();
  QVERIFY(options->EditDepthsButton()->isEnabled());
  options->InterpolateEndBearing()->click();

  TDlgOptions::ChooseEditorFile = [](QWidget*, const QString& preset) {
    return preset == "/usr/bin/editor" ? QString("/opt/kate") : QString();
  };
  options->BrowseButton()->click();
  QCOMPARE(options->EditorPath()->text(), QString("/opt/kate"));
  TDlgOptions::ChooseEditorFile = [](QWidget*, const QString&) { return QString(); };

  // "Edit Depths" runs the depth table's own modal window.
  QString modalTitle;
  QTimer::singleShot(0, [&modalTitle] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      modalTitle = modal->windowTitle();
      modal->close();
    }
  });
  options->EditDepthsButton()->click();
  QVERIFY2(modalTitle.contains("Generated t-z curves"), qPrintable(modalTitle));

  Type(options->OutputIncrement(), "2.5");
  options->CloseButton()->click();
  FlushDeletes();
  QVERIFY(!TDlgOptions::Instance());
  QCOMPARE(d.UseElevation, 0);
  QCOMPARE(d.PrintTZCurves, 1);
  QCOMPARE(d.IMOD, 1);
  QCOMPARE(d.PINC, 2.5);
  QCOMPARE(editor, QString("/opt/kate"));
  QCOMPARE(env.changedCalls, 0);
}

// The editor's file dialog: "Programs" lists folders and executable files (programs have no
// extension here), "All Files" everything.
void TestValueDialogs::browseOffersProgramsAndAllFiles() {
  QTemporaryDir dir;
  QFile program(dir.filePath("myeditor"));
  QVERIFY(program.open(QIODevice::WriteOnly));
  program.write("#!/bin/sh\n");
  program.close();
  program.setPermissions(program.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
  QFile text(dir.filePath("notes.txt"));
  QVERIFY(text.open(QIODevice::WriteOnly));
  text.close();
  QDir(dir.path()).mkdir("tools");

  std::unique_ptr<QFileDialog> dlg(TDlgOptions::NewEditorFileDialog(nullptr, dir.filePath("myeditor")));
  QCOMPARE(dlg->nameFilters(), QStringList({"Programs (*)", "All Files (*)"}));
  QCOMPARE(dlg->selectedNameFilter(), QString("Programs (*)"));
  QCOMPARE(dlg->fileMode(), QFileDialog::ExistingFile);
  dlg->show();
  auto* list = dlg->findChild<QListView*>("listView");
  QVERIFY(list);
  auto shown = [&] {
    QStringList names;
    const QModelIndex root = list->rootIndex();
    for (int r = 0; r < list->model()->rowCount(root); ++r)
      names << list->model()->index(r, 0, root).data().toString();
    names.sort();
    return names;
  };
  QTRY_COMPARE(shown(), QStringList({"myeditor", "tools"}));
  dlg->selectNameFilter("All Files (*)");
  QTRY_COMPARE(shown(), QStringList({"myeditor", "notes.txt", "tools"}));
  dlg->selectNameFilter("Programs (*)");
  QTRY_COMPARE(shown(), QStringList({"myeditor", "tools"}));
}

void TestValueDialogs::multipleShaftLengths() {
  Env env;
  auto& d = env.project.data;
  d.IPENT = 1;
  d.PD = 60;
  d.PDMIN = 40;
  d.PDINCR = 3;
  TfrmVaryLength* vary = TfrmVaryLength::Open(env.host);
  QVERIFY(QTest::qWaitForWindowActive(vary));
  QVERIFY(vary->isWindow());
  QVERIFY(vary->Evaluate()->isChecked());
  QCOMPARE(vary->MinLength()->text(), QString("40"));
  QCOMPARE(vary->MaxLength()->EditLabel()->text(), QString("Maximum shaft &length  (ft)"));
  QVERIFY(vary->MaxLength()->isEnabled());

  vary->Evaluate()->click();
  for (TDataEdit* field : vary->Fields()) {
    QVERIFY(!field->isEnabled());
    QVERIFY(!field->EditLabel()->isEnabled());
  }
  for (QLabel* note : vary->Notes()) QVERIFY(!note->isEnabled());
  vary->Evaluate()->click();
  QVERIFY(vary->LengthIncrement()->isEnabled());

  Type(vary->LengthIncrement(), "5");
  vary->Evaluate()->click();
  QVERIFY(vary->close());
  QCOMPARE(d.IPENT, 0);
  QCOMPARE(d.PDINCR, 5.0);
  QVERIFY(!env.project.DataChanged());

  // SI: lengths in metres.
  d.SetUnits(2, env.project.tables);
  FlushDeletes();
  vary = TfrmVaryLength::Open(env.host);
  QCOMPARE(vary->MaxLength()->EditLabel()->text(), QString("Maximum shaft &length  (m)"));
  QVERIFY(!vary->Evaluate()->isChecked());
  QVERIFY(!vary->MaxLength()->isEnabled());
}

void TestValueDialogs::designChartPoints() {
  Env env;
  auto& d = env.project.data;
  d.IChart = 1;
  d.NPOINTPD = 3;
  d.PDSETT = {0.1, 0.25, 0.5, 7, 7, 7, 7, 7, 7, 7};
  TfrmDesignCharts* charts = TfrmDesignCharts::Open(env.host);
  QVERIFY(QTest::qWaitForWindowActive(charts));
  TSettlementGrid* grid = charts->Settlements();
  QCOMPARE(grid->horizontalHeaderItem(1)->text(), QString("Settlement (in)"));
  QCOMPARE(charts->ShownPoints(), 3);
  QCOMPARE(grid->item(2, 0)->text(), QString("3"));
  QCOMPARE(grid->item(1, 1)->text(), QString("0.25"));

  // Growing to 5 points shows new rows with "1".
  Type(charts->NumberOfPoints(), "5");
  QCOMPARE(charts->ShownPoints(), 5);
  QCOMPARE(grid->item(3, 1)->text(), QString("1"));
  QCOMPARE(grid->item(4, 1)->text(), QString("1"));

  // The arrow buttons step within 1..10; rows that come back keep their text.
  grid->item(4, 1)->setText("2");
  charts->DownButton()->click();
  QCOMPARE(charts->ShownPoints(), 4);
  charts->UpButton()->click();
  QCOMPARE(grid->item(4, 1)->text(), QString("2"));
  Type(charts->NumberOfPoints(), "11");
  QVERIFY(!charts->NumberOfPoints()->CloseQuery());
  QCOMPARE(env.messages, QStringList{"Entry must be less than or equal to 10"});
  QCOMPARE(charts->NumberOfPoints()->text(), QString("10"));
  QCOMPARE(charts->ShownPoints(), 10);
  charts->UpButton()->click();
  QCOMPARE(charts->NumberOfPoints()->text(), QString("10"));
  Type(charts->NumberOfPoints(), "5");

  // Unchecked: everything disabled, yet stored on close.
  charts->Compute()->click();
  QVERIFY(!grid->isEnabled());
  QVERIFY(!charts->UpButton()->isEnabled());
  QVERIFY(!charts->NumberOfPoints()->isEnabled());
  QVERIFY(charts->close());
  QCOMPARE(d.IChart, 0);
  QCOMPARE(d.NPOINTPD, 5);
  QCOMPARE(d.PDSETT[2], 0.5);
  QCOMPARE(d.PDSETT[3], 1.0);
  QCOMPARE(d.PDSETT[4], 2.0);
  QCOMPARE(d.PDSETT[5], 7.0);  // beyond the points: untouched

  // SI header.
  d.SetUnits(2, env.project.tables);
  FlushDeletes();
  charts = TfrmDesignCharts::Open(env.host);
  QCOMPARE(charts->Settlements()->horizontalHeaderItem(1)->text(), QString("Settlement (m)"));
  QCOMPARE(charts->DiameterIncrement()->EditLabel()->text(), QString("Shaft diameter increment (m)"));
}

void TestValueDialogs::badSettlementKeepsDialogOpen() {
  Env env;
  auto& d = env.project.data;
  d.IChart = 1;
  d.NPOINTPD = 3;
  d.PDSETT = {0.1, 0.25, 0.5, 1, 1, 1, 1, 1, 1, 1};
  TfrmDesignCharts* charts = TfrmDesignCharts::Open(env.host);
  QVERIFY(QTest::qWaitForWindowActive(charts));
  charts->Settlements()->item(0, 1)->setText("0.2");
  charts->Settlements()->item(1, 1)->setText("abc");
  charts->Settlements()->item(2, 1)->setText("0.9");

  QVERIFY(!charts->close());
  QCOMPARE(env.messages, QStringList{"'abc' is not a valid settlement (point 2)."});
  QVERIFY(TfrmDesignCharts::Instance());
  QCOMPARE(d.PDSETT[0], 0.2);   // stored before the bad cell
  QCOMPARE(d.PDSETT[2], 0.5);   // not reached
  QCOMPARE(charts->Settlements()->currentRow(), 1);
  QCOMPARE(charts->Settlements()->item(1, 1)->text(), QString("abc"));

  charts->Settlements()->item(1, 1)->setText("0.3");
  QVERIFY(charts->close());
  QCOMPARE(d.PDSETT[1], 0.3);
  QCOMPARE(d.PDSETT[2], 0.9);
}

QTEST_MAIN(TestValueDialogs)
#include "test_value_dialogs.moc"
