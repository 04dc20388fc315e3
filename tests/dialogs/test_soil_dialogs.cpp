// The soil layer dialog and the layer parameter dialog, driven through their controls
// against a real project model.
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

#include "data_edit.h"
#include "program_data.h"
#include "soil_dialogs.h"

using korva::controls::TDataEdit;
using korva::dialogs::DialogHost;
using korva::dialogs::TDlgSoilLayers;
using korva::dialogs::TDlgSoils;
using namespace korva::project;

class SoilDialogsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Project> project;
  std::unique_ptr<QMdiArea> mdi;
  DialogHost host;
  QStringList messages;
  int changes = 0;

  TDlgSoilLayers* openLayers() {
    auto* dlg = qobject_cast<TDlgSoilLayers*>(TDlgSoilLayers::Open(host));
    dlg->askYesNo = [](const QString&) { return true; };
    return dlg;
  }
  TGridTable* layerTable(int layer) { return project->tables.D.GetDataValue(kColLayerData, layer); }

  // Picks a soil type in a layer's drop-down list as the user does.
  static void chooseType(TDlgSoilLayers* dlg, int layer, int type) {
    QComboBox* box = dlg->TypeBox(layer);
    box->setCurrentIndex(type - 1);
    emit box->activated(type - 1);
  }
  // Types an entry into a field and presses Enter.
  static void typeInto(TDataEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
  }
  // A parameter dialog for a layer, shown without a modal loop.
  TDlgSoils* parameters(int layer, int type) {
    auto* d = new TDlgSoils(host, nullptr);
    d->LayerNumber = layer + 1;
    d->LayerType = type;
    d->LoadFromModel();
    d->show();
    return d;
  }

 private slots:
  void init() {
    messages.clear();
    changes = 0;
    project = std::make_unique<Project>();
    mdi = std::make_unique<QMdiArea>();
    mdi->resize(1100, 800);
    mdi->show();
    host = DialogHost{project.get(), mdi.get(), [this] { ++changes; },
                      [this](const QString& m) { messages << m; }, {}};
  }
  void cleanup() {
    delete TDlgSoils::Instance();
    mdi.reset();
    project.reset();
  }

  // The dialog allows 40 layers; the analysis takes 30, which the user is told once the
  // profile grows beyond it.
  void layerLimits() {
    TDlgSoilLayers* dlg = openLayers();
    QCOMPARE(dlg->LayerCount(), 1);
    while (dlg->LayerCount() < 30) dlg->AddButton()->click();
    QVERIFY(messages.isEmpty());
    dlg->AddButton()->click();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains("31 soil layers"));
    QVERIFY(messages[0].contains("at most 30"));

    while (dlg->AddButton()->isEnabled()) dlg->AddButton()->click();
    QCOMPARE(dlg->LayerCount(), 40);
    QCOMPARE(project->tables.D.RowCount(), 40);
    QCOMPARE(messages.size(), 1);  // told once, when the profile passed 30
    QVERIFY(!dlg->InsertButton()->isEnabled());  // inserting would make 41
    QVERIFY(dlg->DeleteButton()->isEnabled());
    dlg->InsertLayer();
    QCOMPARE(dlg->LayerCount(), 40);
    QVERIFY(messages.last().contains("at most 40"));

    dlg->ConfirmDeletion()->setChecked(false);
    while (dlg->DeleteButton()->isEnabled()) dlg->DeleteButton()->click();
    QCOMPARE(dlg->LayerCount(), 0);
    QCOMPARE(project->tables.D.RowCount(), 0);
    QVERIFY(dlg->AddButton()->isEnabled());
    QVERIFY(!dlg->InsertButton()->isEnabled());
    // Inserting through 30 warns as well.
    while (dlg->LayerCount() < 30) dlg->AddButton()->click();
    messages.clear();
    dlg->SetFocusLayer(3);
    dlg->InsertButton()->click();
    QCOMPARE(messages.size(), 1);
  }

  void deleteAsksWhenConfirming() {
    TDlgSoilLayers* dlg = openLayers();
    dlg->AddButton()->click();
    dlg->AddButton()->click();
    for (int layer = 0; layer < 3; ++layer) typeInto(dlg->Field(layer, TDlgSoilLayers::kGridDepth), QString::number(10 * (layer + 1)));
    chooseType(dlg, 2, kSoilClay);

    QStringList questions;
    bool answer = false;
    dlg->askYesNo = [&](const QString& q) {
      questions << q;
      return answer;
    };
    dlg->SetFocusLayer(1);
    dlg->DeleteButton()->click();
    QCOMPARE(questions, QStringList{"Do you want to delete soil layer in row 2"});
    QCOMPARE(dlg->LayerCount(), 3);

    answer = true;
    dlg->DeleteButton()->click();
    QCOMPARE(dlg->LayerCount(), 2);
    QCOMPARE(dlg->CellText(1, TDlgSoilLayers::kGridDepth), QString("30"));
    QCOMPARE(dlg->CellText(1, TDlgSoilLayers::kGridType), QString("2"));
    QCOMPARE(dlg->Field(1, TDlgSoilLayers::kGridDepth)->text(), QString("30"));
    QCOMPARE(dlg->TypeBox(1)->currentIndex(), 1);
    QCOMPARE(project->tables.D.GetIntValue(kColSoilType, 1), int(kSoilClay));

    // Unchecked: the focus layer goes without a question; the focus stays on the last row.
    dlg->ConfirmDeletion()->setChecked(false);
    dlg->DeleteButton()->click();
    QCOMPARE(questions.size(), 2);
    QCOMPARE(dlg->LayerCount(), 1);
    QCOMPARE(dlg->FocusLayer(), 0);
    QCOMPARE(dlg->CellText(0, TDlgSoilLayers::kGridDepth), QString("10"));
  }

  // Typed values wait in the grid and reach D when the dialog is left or closed; an
  // invalid entry keeps the dialog open and stores nothing.
  void enteredValuesAndClose() {
    project->tables.D.SetFloatValue(kColMaxEndBearing, 0, 1.0 / 3.0);
    TDlgSoilLayers* dlg = openLayers();
    // A field left without typing writes nothing back: the model keeps all its digits.
    QVERIFY(dlg->Field(0, TDlgSoilLayers::kGridEndBearing)->CloseQuery());
    QPointer<TDlgSoilLayers> alive(dlg);
    TDataEdit* depth = dlg->Field(0, TDlgSoilLayers::kGridDepth);
    typeInto(depth, "2*7.5");
    QCOMPARE(dlg->CellText(0, TDlgSoilLayers::kGridDepth), QString("15"));
    QCOMPARE(project->tables.D.GetFloatValue(kColDepthBottom, 0), 0.0);

    TDataEdit* side = dlg->Field(0, TDlgSoilLayers::kGridSideFriction);
    side->setFocus();
    typeInto(side, "2+");
    messages.clear();
    dlg->CloseButton()->click();
    QVERIFY(alive);
    QVERIFY(!messages.isEmpty());
    QVERIFY(messages.last().contains("invalid expression"));
    QCOMPARE(project->tables.D.GetFloatValue(kColDepthBottom, 0), 0.0);
    // Coming back to the dialog keeps the entries for correction.
    dlg->LoadFromModel();
    QCOMPARE(side->text(), QString("2+"));
    QCOMPARE(dlg->CellText(0, TDlgSoilLayers::kGridDepth), QString("15"));

    typeInto(side, "1/3");
    dlg->CloseButton()->click();
    QVERIFY(!TDlgSoilLayers::Instance());
    QTRY_VERIFY(!alive);
    QCOMPARE(project->tables.D.GetFloatValue(kColDepthBottom, 0), 15.0);
    QCOMPARE(project->tables.D.GetFloatValue(kColMaxSideFriction, 0), 0.33333333);  // as shown
    QCOMPARE(project->tables.D.GetFloatValue(kColMaxEndBearing, 0), 1.0 / 3.0);
    QVERIFY(changes > 0);
  }

  void lrfdColumns() {
    project->data.NLRFD = 2;
    project->tables.D.SetFloatValue(kColLrfdSideFriction, 0, 0.5);
    TDlgSoilLayers* dlg = openLayers();
    QCOMPARE(dlg->Grid()->columnCount(), 5);
    QVERIFY(!dlg->Field(0, TDlgSoilLayers::kGridLrfdSide));
    typeInto(dlg->Field(0, TDlgSoilLayers::kGridDepth), "20");
    QVERIFY(dlg->StoreToModel());
    QCOMPARE(project->tables.D.GetFloatValue(kColLrfdSideFriction, 0), 0.5);  // ASD leaves factors alone

    project->data.NLRFD = 1;
    dlg->LoadFromModel();
    QCOMPARE(dlg->Grid()->columnCount(), 7);
    QCOMPARE(dlg->Grid()->horizontalHeaderItem(TDlgSoilLayers::kGridLrfdEnd)->text(),
             QString("LRFD Res. Factor\n (End Bearing) "));
    QCOMPARE(dlg->Field(0, TDlgSoilLayers::kGridDepth)->text(), QString("20"));
    QCOMPARE(dlg->Field(0, TDlgSoilLayers::kGridLrfdSide)->text(), QString("0.5"));
    typeInto(dlg->Field(0, TDlgSoilLayers::kGridLrfdEnd), "0.7");
    dlg->AddButton()->click();
    QVERIFY(dlg->StoreToModel());
    QCOMPARE(project->tables.D.GetFloatValue(kColLrfdEndBearing, 0), 0.7);
    QCOMPARE(project->tables.D.GetFloatValue(kColLrfdSideFriction, 1), 1.0);
    QCOMPARE(dlg->CellText(1, TDlgSoilLayers::kGridLrfdEnd), QString("1"));

    project->data.fUnits = 2;
    project->data.NLRFD = 2;
    dlg->LoadFromModel();
    QCOMPARE(dlg->Grid()->columnCount(), 5);
    QVERIFY(dlg->Grid()->horizontalHeaderItem(TDlgSoilLayers::kGridDepth)->text().contains("(m)"));
  }

  void carryOverClaySandClay() {
    TDlgSoilLayers* dlg = openLayers();
    chooseType(dlg, 0, kSoilClay);
    QCOMPARE(dlg->CellText(0, TDlgSoilLayers::kGridType), QString("2"));
    TGridTable* clay = layerTable(0);
    for (int r = 0; r < 2; ++r) {
      clay->SetFloatValue(kClayUnitWeight, r, 110 + r);
      clay->SetFloatValue(kClayCohesion, r, 900 + r);
      clay->SetIntValue(kClayBlowCounts, r, 7 + r);
      clay->SetFloatValue(kClayAlpha, r, 0.5);
    }

    chooseType(dlg, 0, kSoilSand);
    TGridTable* sand = layerTable(0);
    QCOMPARE(sand->ColCount(), 8);
    for (int r = 0; r < 2; ++r) {
      QCOMPARE(sand->GetFloatValue(kSandUnitWeight, r), 110.0 + r);
      QCOMPARE(sand->GetIntValue(kSandBlowCounts, r), 7 + r);
      QCOMPARE(sand->GetIntValue(kSandMethod, r), 1);  // clay has no method: the default stays
      QCOMPARE(sand->GetFloatValue(kSandFrictionAngle, r), 0.0);
    }

    chooseType(dlg, 0, kSoilClay);
    TGridTable* again = layerTable(0);
    for (int r = 0; r < 2; ++r) {
      QCOMPARE(again->GetFloatValue(kClayUnitWeight, r), 110.0 + r);
      QCOMPARE(again->GetIntValue(kClayBlowCounts, r), 7 + r);
      QCOMPARE(again->GetFloatValue(kClayCohesion, r), 0.0);
      QCOMPARE(again->GetFloatValue(kClayAlpha, r), 0.0);
    }
    QCOMPARE(dlg->FocusLayer(), 0);
  }

  void carryOverBetweenTypes() {
    struct Value {
      int col;
      double top, bottom;
    };
    struct Case {
      const char* name;
      int from, to;
      std::vector<Value> given, expected;
    };
    const std::vector<Case> cases = {
        {"strong rock to side+end rock keeps all 14",
         kSoilStrongRock,
         kSoilNewStrongRock,
         {{0, 1, 2}, {1, 3, 4}, {2, 5, 6}, {3, 7, 8}, {4, 9, 10}, {5, 11, 12}, {6, 13, 14}},
         {{0, 1, 2}, {1, 3, 4}, {2, 5, 6}, {3, 7, 8}, {4, 9, 10}, {5, 11, 12}, {6, 13, 14}}},
        {"weak rock to strong rock",
         kSoilWeakRock,
         kSoilStrongRock,
         {{kWeakRockCompressiveStrength, 500, 600}, {kWeakRockConcreteSlump, 7, 8}, {kWeakRockSocketDiameter, 3, 4},
          {kWeakRockElasticModulus, 9e5, 1e6}, {kWeakRockRQD, 70, 80}},
         {{kRockCompressiveStrength, 500, 600}, {kRockConcreteStrength, 0, 0}, {kRockSocketDiameter, 3, 4},
          {kRockElasticModulus, 9e5, 1e6}, {kRockRQD, 70, 80}}},
        {"sand method becomes the interface condition",
         kSoilSand,
         kSoilWeakRock,
         {{kSandMethod, 3, 2}, {kSandInterfaceAngle, 28, 29}, {kSandUnitWeight, 120, 120}},
         {{kWeakRockInterfaceCondition, 3, 2}, {kWeakRockInterfaceFriction, 28, 29}}},
        {"condition 4 is no sand method",
         kSoilWeakRock,
         kSoilSand,
         {{kWeakRockInterfaceCondition, 4, 2}},
         {{kSandMethod, 1, 2}}},
        {"clay gives weak rock the default condition", kSoilClay, kSoilWeakRock, {}, {{kWeakRockInterfaceCondition, 1, 1}}},
        {"gravel beta to sand", kSoilRollinsGravel, kSoilSand,
         {{kRollinsUnitWeight, 125, 126}, {kRollinsBlowCounts, 30, 31}, {kRollinsBeta, 0.8, 0.7}},
         {{kSandUnitWeight, 125, 126}, {kSandBlowCounts, 30, 31}, {kSandBeta, 0.8, 0.7}}},
    };
    TDlgSoilLayers* dlg = openLayers();
    for (const Case& c : cases) {
      chooseType(dlg, 0, c.from);
      for (const Value& v : c.given) {
        SetCellNumberForTest(layerTable(0), v.col, 0, v.top);
        SetCellNumberForTest(layerTable(0), v.col, 1, v.bottom);
      }
      chooseType(dlg, 0, c.to);
      for (const Value& v : c.expected) {
        QVERIFY2(numberAt(layerTable(0), v.col, 0) == v.top, c.name);
        QVERIFY2(numberAt(layerTable(0), v.col, 1) == v.bottom, c.name);
      }
    }
  }

  // Insert and delete move whole layers, parameter tables included.
  void insertKeepsChenKulhawyExponent() {
    TDlgSoilLayers* dlg = openLayers();
    TGridTable* sand = layerTable(0);
    for (int r = 0; r < 2; ++r) {
      sand->SetIntValue(kSandMethod, r, 3);
      sand->SetFloatValue(kSandOCR, r, r == 0 ? 0.6 : 0.8);
    }
    typeInto(dlg->Field(0, TDlgSoilLayers::kGridDepth), "12");
    dlg->AddButton()->click();
    chooseType(dlg, 1, kSoilClay);

    dlg->SetFocusLayer(0);
    dlg->InsertButton()->click();
    QCOMPARE(dlg->LayerCount(), 3);
    QCOMPARE(dlg->FocusLayer(), 0);
    QCOMPARE(dlg->CellText(0, TDlgSoilLayers::kGridDepth), QString("0"));
    QCOMPARE(dlg->CellText(1, TDlgSoilLayers::kGridDepth), QString("12"));
    QCOMPARE(dlg->CellText(2, TDlgSoilLayers::kGridType), QString("2"));
    QCOMPARE(dlg->EditButton(2)->text(), QString("Edit Layer 3"));
    QCOMPARE(layerTable(0)->GetIntValue(kSandMethod, 0), 1);
    QCOMPARE(layerTable(0)->GetFloatValue(kSandOCR, 0), 0.0);
    QCOMPARE(layerTable(1)->GetIntValue(kSandMethod, 1), 3);
    QCOMPARE(layerTable(1)->GetFloatValue(kSandOCR, 0), 0.6);
    QCOMPARE(layerTable(1)->GetFloatValue(kSandOCR, 1), 0.8);
    QCOMPARE(project->tables.D.GetIntValue(kColSoilType, 2), int(kSoilClay));

    dlg->ConfirmDeletion()->setChecked(false);
    dlg->DeleteButton()->click();
    QCOMPARE(layerTable(0)->GetFloatValue(kSandOCR, 1), 0.8);
    QVERIFY(dlg->StoreToModel());
    QCOMPARE(project->tables.D.GetFloatValue(kColDepthBottom, 0), 12.0);
  }

  // The edit button opens the modal parameter dialog of its layer; an invalid entry keeps
  // it open, a valid one is stored on Close.
  void editButtonOpensParameterDialog() {
    TDlgSoilLayers* dlg = openLayers();
    dlg->AddButton()->click();
    chooseType(dlg, 1, kSoilShale);
    // A failing check leaves the modal dialog open: the guard ends it.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { delete TDlgSoils::Instance(); });
    guard.start(10000);
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
      TDlgSoils* d = TDlgSoils::Instance();
      QVERIFY(d && d->isModal());
      QCOMPARE(d->windowTitle(), QString("Data for Layer 2"));
      QCOMPARE(d->VisibleTab(), QString("Clay"));
      QCOMPARE(d->Title(), QString("Shale (Reese and Aurora)"));
      TDataEdit* weight = d->TopField(TDlgSoils::kPageClay, 0);
      weight->setFocus();
      weight->setText("2+");
      messages.clear();
      d->CloseButton(TDlgSoils::kPageClay)->click();
      QCOMPARE(TDlgSoils::Instance(), d);
      QCOMPARE(messages, QStringList{"Entry could not be evaluated:\ninvalid expression"});
      QCOMPARE(layerTable(1)->GetFloatValue(kClayUnitWeight, 0), 0.0);
      weight->setText("115");
      d->CloseButton(TDlgSoils::kPageClay)->click();
      ran = true;
    });
    dlg->EditButton(1)->click();
    QVERIFY(ran);
    QVERIFY(!TDlgSoils::Instance());
    QCOMPARE(layerTable(1)->GetFloatValue(kClayUnitWeight, 0), 115.0);
    QCOMPARE(dlg->FocusLayer(), 1);
  }

  void pageAndTitle_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QString>("title");
    QTest::newRow("sand") << 1 << int(TDlgSoils::kPageSand) << "Sand" << "Sand (FHWA Spec.)";
    QTest::newRow("shale") << 3 << int(TDlgSoils::kPageClay) << "Clay" << "Shale (Reese and Aurora)";
    QTest::newRow("side+end rock") << 7 << int(TDlgSoils::kPageRock) << "Rock"
                                   << "Strong Rock (FHWA Spec. - side friction + end bearing)";
    QTest::newRow("decomposed") << 5 << int(TDlgSoils::kPageDecomposedRock) << "Decomp. Rock"
                                << "Decomposed Rock/Gravel (FHWA Spec.)";
    QTest::newRow("gravelly sand") << 8 << int(TDlgSoils::kPageGravel) << "Gravel" << "Gravelly Sand (Rollins et al)";
    QTest::newRow("unknown") << 0 << int(TDlgSoils::kPageGravel) << "" << "";
  }
  void pageAndTitle() {
    QFETCH(int, type);
    QFETCH(int, page);
    QFETCH(QString, tab);
    QFETCH(QString, title);
    TDlgSoils* d = parameters(0, type);
    QCOMPARE(int(d->CurrentPage()), page);
    QCOMPARE(d->VisibleTab(), tab);
    QCOMPARE(d->Title(), title);
    d->close();  // a layer of an unknown type has no table to store into: closing still works
    QVERIFY(!TDlgSoils::Instance());
  }

  void sandMethodRules_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<QList<bool>>("enabled");  // Ko, Beta, m, interface angle
    QTest::addColumn<QList<bool>>("notes");    // (*) Beta, (**) m, (***) friction, interface
    QTest::newRow("Ko") << 1 << QList<bool>{true, false, false, true} << QList<bool>{false, false, true, true};
    QTest::newRow("Beta") << 2 << QList<bool>{false, true, false, false} << QList<bool>{true, false, true, true};
    QTest::newRow("Chen and Kulhawy") << 3 << QList<bool>{false, false, true, true}
                                      << QList<bool>{false, true, false, true};
  }
  void sandMethodRules() {
    QFETCH(int, method);
    QFETCH(QList<bool>, enabled);
    QFETCH(QList<bool>, notes);
    layerTable(0)->SetIntValue(kSandMethod, 0, method);
    TDlgSoils* d = parameters(0, kSoilSand);
    QVERIFY(d->MethodButton(TDlgSoils::Method(method))->isChecked());
    const int rows[] = {TDlgSoils::kSandRowKo, TDlgSoils::kSandRowBeta, TDlgSoils::kSandRowExponent,
                        TDlgSoils::kSandRowInterfaceAngle};
    for (int i = 0; i < 4; ++i) {
      QCOMPARE(d->TopField(TDlgSoils::kPageSand, rows[i])->isEnabled(), enabled[i]);
      QCOMPARE(d->BottomField(TDlgSoils::kPageSand, rows[i])->isEnabled(), enabled[i]);
    }
    QVERIFY(d->TopField(TDlgSoils::kPageSand, TDlgSoils::kSandRowInterfaceAngle)->isHidden());
    const QLabel* labels[] = {d->BetaNote(), d->ExponentNote(), d->FrictionNote(), d->InterfaceNote()};
    for (int i = 0; i < 4; ++i) QCOMPARE(!labels[i]->isHidden(), notes[i]);
    d->close();
  }

  // Close stores the chosen method in both rows and clears the other procedures' values.
  void sandCloseStoresMethod_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("clicked");  // 0: no button touched
    QTest::addColumn<int>("method");
    QTest::addColumn<QList<int>>("zeroed");
    QTest::newRow("Ko to Beta") << 1 << 2 << 2 << QList<int>{kSandKo, kSandInterfaceAngle, kSandOCR};
    QTest::newRow("stored 0 closes as Ko") << 0 << 0 << 1 << QList<int>{kSandBeta, kSandOCR};
    QTest::newRow("Beta to Chen and Kulhawy") << 2 << 3 << 3 << QList<int>{kSandBeta, kSandKo};
  }
  void sandCloseStoresMethod() {
    QFETCH(int, stored);
    QFETCH(int, clicked);
    QFETCH(int, method);
    QFETCH(QList<int>, zeroed);
    TGridTable* sand = layerTable(0);
    const int valueColumns[] = {kSandKo, kSandBeta, kSandOCR, kSandInterfaceAngle, kSandFrictionAngle};
    for (int r = 0; r < 2; ++r) {
      sand->SetIntValue(kSandMethod, r, stored);
      for (int c : valueColumns) sand->SetFloatValue(c, r, c + 0.25 * (r + 1));
    }
    TDlgSoils* d = parameters(0, kSoilSand);
    if (clicked) d->MethodButton(TDlgSoils::Method(clicked))->click();
    changes = 0;
    d->CloseButton(TDlgSoils::kPageSand)->click();
    QVERIFY(!TDlgSoils::Instance());
    QCOMPARE(changes, 1);
    for (int r = 0; r < 2; ++r) {
      QCOMPARE(sand->GetIntValue(kSandMethod, r), method);
      for (int c : valueColumns)
        QCOMPARE(sand->GetFloatValue(c, r), zeroed.contains(c) ? 0.0 : c + 0.25 * (r + 1));
    }
  }

  void blowCountsRoundHalvesToEven_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::newRow("sand") << int(kSoilSand) << int(TDlgSoils::kSandRowBlowCounts) << kSandBlowCounts;
    QTest::newRow("clay") << int(kSoilClay) << 2 << kClayBlowCounts;
    QTest::newRow("decomposed rock") << int(kSoilGravel) << 1 << kGravelBlowCounts;
    QTest::newRow("gravel") << int(kSoilRollinsGravel) << 1 << kRollinsBlowCounts;
  }
  void blowCountsRoundHalvesToEven() {
    QFETCH(int, type);
    QFETCH(int, row);
    QFETCH(int, column);
    project->tables.D.SetIntValue(kColSoilType, 0, type);
    TDlgSoils* d = parameters(0, type);
    const TDlgSoils::Page page = TDlgSoils::PageOf(type);
    d->TopField(page, row)->setText("12.5");
    d->BottomField(page, row)->setText("27/2");
    d->close();
    QCOMPARE(layerTable(0)->GetIntValue(column, 0), 12);
    QCOMPARE(layerTable(0)->GetIntValue(column, 1), 14);

    d = parameters(0, type);
    QCOMPARE(d->TopField(page, row)->text(), QString("12"));
    d->TopField(page, row)->setText("-2.5");
    d->BottomField(page, row)->setText("1e12");  // no integer can hold it
    d->close();
    QCOMPARE(TDlgSoils::Instance(), d);
    QVERIFY(messages.last().startsWith("Entry must be less than or equal to"));
    QCOMPARE(layerTable(0)->GetIntValue(column, 1), 14);
    d->BottomField(page, row)->setText("0.5");
    d->close();
    QCOMPARE(layerTable(0)->GetIntValue(column, 0), -2);
    QCOMPARE(layerTable(0)->GetIntValue(column, 1), 0);
  }

  void weakRockConditionAndCopy() {
    project->tables.D.SetIntValue(kColSoilType, 0, kSoilWeakRock);
    TGridTable* rock = layerTable(0);
    rock->SetIntValue(kWeakRockInterfaceCondition, 0, 0);
    rock->SetIntValue(kWeakRockInterfaceCondition, 1, 0);
    TDlgSoils* d = parameters(0, kSoilWeakRock);
    QCOMPARE(d->TopCondition()->currentIndex(), -1);
    QCOMPARE(d->BottomCondition()->currentIndex(), -1);
    d->close();
    QCOMPARE(rock->GetIntValue(kWeakRockInterfaceCondition, 0), 0);

    d = parameters(0, kSoilWeakRock);
    d->TopCondition()->setCurrentIndex(2);
    for (int row = 1; row <= 6; ++row) d->TopField(TDlgSoils::kPageWeakRock, row)->setText(QString::number(row * 10));
    d->CopyButton(TDlgSoils::kPageWeakRock)->click();
    d->close();
    QCOMPARE(rock->GetIntValue(kWeakRockInterfaceCondition, 1), 3);
    QCOMPARE(rock->GetFloatValue(kWeakRockCompressiveStrength, 1), 10.0);
    QCOMPARE(rock->GetFloatValue(kWeakRockRQD, 1), 60.0);
  }

  // Copy includes the sand page's hidden interface angle; labels follow the unit system.
  void sandCopyAndUnits() {
    project->data.fUnits = 2;
    TDlgSoils* d = parameters(0, kSoilSand);
    QCOMPARE(d->TopField(TDlgSoils::kPageSand, 0)->EditLabel()->text(), QString("1. Total Unit Weight (kN/m^3)"));
    for (int row = 0; row < 7; ++row) d->TopField(TDlgSoils::kPageSand, row)->setText(QString::number(row + 1));
    d->CopyButton(TDlgSoils::kPageSand)->click();
    QCOMPARE(d->BottomField(TDlgSoils::kPageSand, TDlgSoils::kSandRowInterfaceAngle)->text(), QString("7"));
    d->close();
    TGridTable* sand = layerTable(0);
    QCOMPARE(sand->GetFloatValue(kSandInterfaceAngle, 1), 7.0);  // kept with the Ko method
    QCOMPARE(sand->GetFloatValue(kSandKo, 1), 2.0);
    QCOMPARE(sand->GetFloatValue(kSandBeta, 1), 0.0);
  }

 private:
  static void SetCellNumberForTest(TGridTable* t, int col, int row, double v) {
    if (t->GetColumn(col).Kind() == ColumnKind::Float) t->SetFloatValue(col, row, v);
    else t->SetIntValue(col, row, static_cast<int>(v));
  }
  static double numberAt(TGridTable* t, int col, int row) {
    return t->GetColumn(col).Kind() == ColumnKind::Float ? t->GetFloatValue(col, row) : t->GetIntValue(col, row);
  }
};

QTEST_MAIN(SoilDialogsTest)
#include "test_soil_dialogs.moc"
