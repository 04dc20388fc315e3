// The grid editing window driven as the user would: typing into cells and leaving them,
// the row buttons, the drop-down lists and nested-table buttons, Enter, the first size and
// the snapping of a resized window. Messages are caught through the window's hook.
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

#include "grid_table.h"
#include "program_data.h"
#include "table_form.h"

using korva::controls::TTableForm;
using korva::project::TEnumColumn;
using korva::project::TFloatColumn;
using korva::project::TGridTable;
using korva::project::TIntColumn;
using korva::project::TStringColumn;
using korva::project::TTableColumn;

namespace {

QStringList g_messages;

// Depth list: a real, an integer (0..10) and a text column; row r holds depth r * 1.5.
std::unique_ptr<TGridTable> DepthTable(int rows) {
  auto t = std::make_unique<TGridTable>();
  t->SetCaption("Depths");
  t->SetTopLeft("No.");
  t->AddColumn<TFloatColumn>().SetHeading({"Depth"});
  auto& n = t->AddColumn<TIntColumn>();
  n.SetHeading({"Points"});
  n.SetMinimum(0);
  n.SetMaximum(10);
  t->AddColumn<TStringColumn>().SetHeading({"Note"});
  t->SetRowCount(rows);
  for (int r = 0; r < rows; ++r) t->SetFloatValue(0, r, r * 1.5);
  return t;
}

// Opens the table's window, waits until it shows and makes it active.
TTableForm* Open(TGridTable& t) {
  TTableForm* f = TTableForm::Show(t);
  if (!f) return nullptr;
  f->HostWindow()->activateWindow();
  if (!QTest::qWaitForWindowExposed(f->HostWindow())) return nullptr;
  return f;
}

// The message the table itself gives for an entry while its window is open.
QString TableMessage(int col, const std::string& text) {
  auto t = DepthTable(1);
  t->SetWindowOpen(true);
  try {
    t->SetStringValue(col, 0, text);
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  }
  return QString();
}

// Opens the cell's editor (making the cell current first) and types `text` into it.
QLineEdit* TypeInto(TTableForm& f, int row, int col, const QString& text) {
  QTableWidget* g = f.Grid();
  if (g->currentRow() != row || g->currentColumn() != col) g->setCurrentCell(row, col);
  if (!g->indexWidget(g->model()->index(row, col))) g->editItem(g->item(row, col));
  auto* editor = qobject_cast<QLineEdit*>(g->indexWidget(g->model()->index(row, col)));
  if (editor) editor->setText(text);
  return editor;
}

void PressEnter(TTableForm& f) {
  QTableWidget* g = f.Grid();
  QWidget* editor = g->indexWidget(g->currentIndex());
  QTest::keyClick(editor ? editor : g->viewport(), Qt::Key_Return);
}

void ClickCell(TTableForm& f, int row, int col) {
  QTableWidget* g = f.Grid();
  const QRect r = g->visualRect(g->model()->index(row, col));
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
}

QStringList RowLabels(const TTableForm& f) {
  QStringList labels;
  for (int r = 0; r < f.Grid()->rowCount(); ++r) labels << f.Grid()->verticalHeaderItem(r)->text();
  return labels;
}

// Layer table: column 0 chooses Sand (1) or Clay (2), column 1 holds a copy of the chosen
// type's parameter table, column 2 the thickness.
struct LayerTables {
  TGridTable sand, clay, layers;
  LayerTables(int rows) {
    for (auto* p : {&sand, &clay}) {
      p->AddColumn<TFloatColumn>().SetHeading({"Value"});
      p->SetMinRows(2);
    }
    sand.SetCaption("Sand parameters");
    clay.SetCaption("Clay parameters");
    auto& type = layers.AddColumn<TEnumColumn>();
    type.SetHeading({"Soil", "type"});
    type.SetNames({"Sand", "Clay"});
    auto& params = layers.AddColumn<TTableColumn>();
    params.SetHeading({"Parameters"});
    params.Templates().Set(0, {true, sand.Identifier()});
    params.Templates().Set(1, {true, clay.Identifier()});
    layers.AddColumn<TFloatColumn>().SetHeading({"Thickness"});
    layers.SetCaption("Layers");
    layers.SetTopLeft("Layer");
    layers.SetRowCount(rows);
  }
};

}  // namespace

class TestTableForm : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    g_messages.clear();
    TTableForm::information = [](QWidget*, const QString& text) { g_messages << text; };
  }
  void cleanup() {
    // Windows whose tables went with the test close themselves; anything left goes here.
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) windows << w;
    for (auto& w : windows) delete w.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // ---- Editing cells ----

  void enteredTextCommitsThroughTable_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");  // cell text after leaving it
    QTest::addColumn<bool>("refused");
    QTest::newRow("real") << 0 << "2.5"
                          << "2.5" << false;
    QTest::newRow("real formula") << 0 << "1/4"
                                  << "0.25" << false;
    QTest::newRow("real garbage") << 0 << "abc"
                                  << "abc" << true;
    QTest::newRow("real blank") << 0 << ""
                                << "" << true;
    QTest::newRow("real division by zero") << 0 << "1/0"
                                           << "1/0" << true;
    QTest::newRow("integer") << 1 << "7"
                             << "7" << false;
    QTest::newRow("integer fraction") << 1 << "2.5"
                                      << "2.5" << true;
    QTest::newRow("integer above max") << 1 << "11"
                                       << "11" << true;
    QTest::newRow("text") << 2 << "soft clay"
                          << "soft clay" << false;
  }
  void enteredTextCommitsThroughTable() {
    QFETCH(int, col);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(bool, refused);
    auto t = DepthTable(3);
    const std::string before = t->GetStringValue(col, 1);
    TTableForm* f = Open(*t);
    QVERIFY(f);
    QVERIFY(TypeInto(*f, 1, col, text));
    PressEnter(*f);

    QCOMPARE(f->Grid()->item(1, col)->text(), shown);
    if (!refused) {
      QVERIFY(g_messages.isEmpty());
      QCOMPARE(QString::fromStdString(t->GetStringValue(col, 1)), shown);
      QCOMPARE(f->Grid()->currentRow(), 2);  // moved on
    } else {
      QCOMPARE(g_messages, QStringList{TableMessage(col, text.toStdString())});
      QVERIFY(!g_messages.first().isEmpty());
      QCOMPARE(t->GetStringValue(col, 1), before);  // stored value kept
      QCOMPARE(f->Grid()->currentRow(), 1);         // cursor stays
      QCOMPARE(f->Grid()->currentColumn(), col);
    }
    QVERIFY(t->Changed());
  }

  // Enter on the only cell of a table (the depth list starts with one depth) has nowhere to
  // move, yet the entry is checked as in a longer table.
  void enterChecksTheOnlyCell_data() {
    QTest::addColumn<int>("rows");
    QTest::newRow("one depth") << 1;
    QTest::newRow("three depths") << 3;
  }
  void enterChecksTheOnlyCell() {
    QFETCH(int, rows);
    korva::project::Project project;
    TGridTable& depths = project.tables.TblTZDepth;
    depths.SetRowCount(rows);
    depths.SetFloatValue(0, rows - 1, 12);
    TTableForm* f = Open(depths);
    QVERIFY(f);
    QVERIFY(TypeInto(*f, rows - 1, 0, ""));
    PressEnter(*f);
    QCOMPARE(g_messages, QStringList{"Entry cannot be blank."});
    QCOMPARE(depths.GetFloatValue(0, rows - 1), 12.0);
    QCOMPARE(f->Grid()->currentRow(), rows - 1);
    QVERIFY(!TTableForm::Updater(depths));  // closing is refused as well

    g_messages.clear();
    QVERIFY(TypeInto(*f, rows - 1, 0, "2*7"));
    PressEnter(*f);
    QVERIFY(g_messages.isEmpty());
    QCOMPARE(depths.GetFloatValue(0, rows - 1), 14.0);
    QCOMPARE(f->Grid()->item(rows - 1, 0)->text(), QString("14"));
    QVERIFY(TTableForm::Updater(depths));
    QTRY_VERIFY(!TTableForm::Find(depths));
  }

  void invalidCellBlocksLeavingUntilCorrected() {
    auto t = DepthTable(3);
    TTableForm* f = Open(*t);
    QVERIFY(f);
    TypeInto(*f, 0, 0, "12x");
    // A click on another cell, a row button and closing are all refused.
    ClickCell(*f, 2, 2);
    QCOMPARE(f->Grid()->currentRow(), 0);
    QCOMPARE(f->Grid()->currentColumn(), 0);
    QTest::mouseClick(f->BtnAdd(), Qt::LeftButton);
    QCOMPARE(t->RowCount(), 3);
    QVERIFY(!TTableForm::Updater(*t));
    QVERIFY(TTableForm::Find(*t) == f);
    QCOMPARE(g_messages.size(), 3);
    QCOMPARE(g_messages.first(), TableMessage(0, "12x"));
    QCOMPARE(f->Grid()->item(0, 0)->text(), QString("12x"));  // the typed text is kept
    QCOMPARE(t->GetFloatValue(0, 0), 0.0);

    // Corrected, the click goes through; linked display refreshes on the way.
    TypeInto(*f, 0, 0, "12");
    ClickCell(*f, 2, 2);
    QCOMPARE(f->Grid()->currentRow(), 2);
    QCOMPARE(t->GetFloatValue(0, 0), 12.0);
    QVERIFY(TTableForm::Updater(*t));
    QTRY_VERIFY(!TTableForm::Find(*t));
    QVERIFY(!t->WindowOpen());
  }

  void unchangedCellKeepsFullPrecision() {
    auto t = DepthTable(2);
    t->SetFloatValue(0, 0, 1.0 / 3.0);
    TTableForm* f = Open(*t);
    QVERIFY(f);
    QCOMPARE(f->Grid()->item(0, 0)->text(), QString("0.33333333"));
    TypeInto(*f, 0, 0, "0.33333333");  // the text as shown
    PressEnter(*f);
    QCOMPARE(t->GetFloatValue(0, 0), 1.0 / 3.0);
  }

  void modalWindowCommitsOnClose() {
    auto t = DepthTable(2);
    bool refused = false;
    QTimer::singleShot(0, [&] {
      auto* host = QApplication::activeModalWidget();
      auto* f = host ? host->findChild<TTableForm*>() : nullptr;
      if (!f) return;
      TypeInto(*f, 1, 0, "bad");
      refused = !host->close();  // refused: the cell holds an entry error
      TypeInto(*f, 1, 0, "2*4");
      host->close();
    });
    QVERIFY(TTableForm::EditModal(*t, nullptr));
    QVERIFY(refused);
    QCOMPARE(g_messages, QStringList{TableMessage(0, "bad")});
    QCOMPARE(t->GetFloatValue(0, 1), 8.0);
    QVERIFY(!t->WindowOpen());
    QVERIFY(!TTableForm::Find(*t));

    // The table hiding its window ends the modal run without commit.
    QTimer::singleShot(0, [&] { t->Hide(); });
    QVERIFY(!TTableForm::ShowModal(*t, nullptr));
    QVERIFY(!TTableForm::Find(*t));
  }

  // ---- Rows ----

  void rowButtonsFollowLimits_data() {
    QTest::addColumn<int>("minRows");
    QTest::addColumn<int>("maxRows");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("canAdd");
    QTest::addColumn<bool>("canDelete");
    QTest::newRow("fixed row count") << 2 << 2 << 2 << false << false << false;
    QTest::newRow("at maximum") << 1 << 20 << 20 << true << false << true;
    QTest::newRow("at minimum") << 1 << 0 << 1 << true << true << false;
    QTest::newRow("between") << 2 << 5 << 3 << true << true << true;
  }
  void rowButtonsFollowLimits() {
    QFETCH(int, minRows);
    QFETCH(int, maxRows);
    QFETCH(int, rows);
    QFETCH(bool, visible);
    QFETCH(bool, canAdd);
    QFETCH(bool, canDelete);
    auto t = DepthTable(rows);
    t->SetMinRows(minRows);
    t->SetMaxRows(maxRows);
    TTableForm* f = Open(*t);
    QVERIFY(f);
    for (QPushButton* b : {f->BtnAdd(), f->BtnIns(), f->BtnDel()})
      QCOMPARE(b->isVisible(), visible);
    QCOMPARE(f->BtnAdd()->isEnabled(), canAdd);
    QCOMPARE(f->BtnIns()->isEnabled(), canAdd);
    QCOMPARE(f->BtnDel()->isEnabled(), canDelete);
    // The buttons never take the table past its limits.
    if (visible) {
      for (int i = 0; i < 25 && f->BtnAdd()->isEnabled(); ++i)
        QTest::mouseClick(f->BtnAdd(), Qt::LeftButton);
      QVERIFY(maxRows == 0 || t->RowCount() == maxRows);
      for (int i = 0; i < 25 && f->BtnDel()->isEnabled(); ++i)
        QTest::mouseClick(f->BtnDel(), Qt::LeftButton);
      QCOMPARE(t->RowCount(), minRows);
      QCOMPARE(f->Grid()->rowCount(), minRows);
    }
  }

  void openingRaisesRowCountToMinimum() {
    auto t = DepthTable(1);
    t->SetMinRows(4);
    TTableForm* f = Open(*t);
    QVERIFY(f);
    QCOMPARE(t->RowCount(), 4);
    QCOMPARE(f->Grid()->rowCount(), 4);
  }

  void insertAndDeleteWholeRowGroups() {
    auto t = DepthTable(6);
    t->SetRowGroup(2);
    TTableForm* f = Open(*t);
    QVERIFY(f);
    QCOMPARE(RowLabels(*f), (QStringList{"1", "1", "2", "2", "3", "3"}));
    QCOMPARE(f->TopLeftText(), QString("No."));

    // Insert at row 3: two new rows at 2 and 3, before the current row's group.
    ClickCell(*f, 3, 0);
    QTest::mouseClick(f->BtnIns(), Qt::LeftButton);
    QCOMPARE(t->RowCount(), 8);
    QCOMPARE(RowLabels(*f), (QStringList{"1", "1", "2", "2", "3", "3", "4", "4"}));
    QCOMPARE(t->GetFloatValue(0, 1), 1.5);
    QCOMPARE(t->GetFloatValue(0, 4), 3.0);  // old row 2
    QCOMPARE(f->Grid()->item(4, 0)->text(), QString("3"));

    // Delete at row 5: the group of rows 4 and 5 (old rows 2 and 3) goes.
    t->ResetChanged();
    ClickCell(*f, 5, 0);
    QTest::mouseClick(f->BtnDel(), Qt::LeftButton);
    QCOMPARE(t->RowCount(), 6);
    QCOMPARE(t->GetFloatValue(0, 4), 6.0);  // old row 4
    QCOMPARE(f->Grid()->item(4, 0)->text(), QString("6"));
    QVERIFY(t->Changed());
  }

  void addRowGrowsWindowUpToTenRows() {
    auto t = DepthTable(4);
    TTableForm* f = Open(*t);
    QVERIFY(f);
    QCOMPARE(f->RowsVisible(), 4);
    const int rowH = f->Grid()->rowHeight(0);
    QTest::mouseClick(f->BtnAdd(), Qt::LeftButton);
    QCOMPARE(t->RowCount(), 5);
    QCOMPARE(f->RowsVisible(), 5);
    QCOMPARE(f->Grid()->viewport()->height(), 5 * rowH);

    for (int i = 0; i < 5; ++i) QTest::mouseClick(f->BtnAdd(), Qt::LeftButton);
    QCOMPARE(f->RowsVisible(), 10);
    const int height = f->HostWindow()->height();
    // Past ten rows the window keeps its size and scrolls to the new row.
    QTest::mouseClick(f->BtnAdd(), Qt::LeftButton);
    QCOMPARE(t->RowCount(), 11);
    QCOMPARE(f->RowsVisible(), 10);
    QCOMPARE(f->HostWindow()->height(), height);
    QCOMPARE(f->TopDataRow(), 1);
    QCOMPARE(f->Grid()->rowAt(0), 1);
    QVERIFY(f->Grid()->verticalScrollBar()->isVisible());
  }

  // ---- In-cell controls ----

  void listAndNestedTableButton() {
    LayerTables lt(2);
    TTableForm* f = Open(lt.layers);
    QVERIFY(f);
    QComboBox* list = f->ComboAt(1, 0);
    QVERIFY(list);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentText(), QString("Sand"));
    QCOMPARE(f->ButtonAt(1, 1)->text(), QString("2: Sand parameters"));
    TGridTable* oldParams = lt.layers.GetDataValue(1, 1);

    // Choosing Clay stores 2 and gives the row a fresh copy of the Clay template.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(lt.layers.GetIntValue(0, 1), 2);
    QCOMPARE(f->ButtonAt(1, 1)->text(), QString("2: Clay parameters"));
    QVERIFY(lt.layers.GetDataValue(1, 1) != oldParams);
    QCOMPARE(lt.layers.GetDataValue(1, 1)->ID(), 2);
    // Program code setting the value shows in the list.
    lt.layers.SetIntValue(0, 1, 1);
    QCOMPARE(list->currentText(), QString("Sand"));

    // The button opens the row's table in its own window, captioned with the row number.
    QTest::mouseClick(f->ButtonAt(0, 1), Qt::LeftButton);
    TGridTable* params = lt.layers.GetDataValue(1, 0);
    TTableForm* child = TTableForm::Find(*params);
    QVERIFY(child);
    QCOMPARE(child->windowTitle(), QString("Sand parameters  1"));
    QCOMPARE(child->Grid()->rowCount(), 2);
    // Its row's type changing frees that table: the window closes instead of dangling.
    QPointer<QWidget> childHost = child->HostWindow();
    lt.layers.SetIntValue(0, 0, 2);
    QVERIFY(!child->Data());
    QTRY_VERIFY(!childHost);
  }

  void controlsAreEnteredOnlyAfterCommit() {
    LayerTables lt(2);
    TTableForm* f = Open(lt.layers);
    QVERIFY(f);
    // Cells under lists and buttons cannot become current by navigation.
    f->Grid()->setCurrentCell(1, 2);
    f->Grid()->setCurrentCell(1, 1);
    QCOMPARE(f->Grid()->currentColumn(), 2);

    // With an entry error pending, pressing a list or a button only shows the error.
    TypeInto(*f, 0, 2, "x");
    QTest::mouseClick(f->ComboAt(1, 0), Qt::LeftButton);
    QTest::mouseClick(f->ButtonAt(1, 1), Qt::LeftButton);
    QCOMPARE(g_messages, (QStringList{TableMessage(0, "x"), TableMessage(0, "x")}));
    QVERIFY(!TTableForm::Find(*lt.layers.GetDataValue(1, 1)));
    QCOMPARE(f->Grid()->currentColumn(), 2);
    QCOMPARE(f->Grid()->currentRow(), 0);

    // Corrected, entering the list stores the cell and makes the list's cell current.
    TypeInto(*f, 0, 2, "3");
    QTest::mouseClick(f->ComboAt(1, 0), Qt::LeftButton);
    QCOMPARE(lt.layers.GetFloatValue(2, 0), 3.0);
    QCOMPARE(f->Grid()->currentColumn(), 0);
    QCOMPARE(f->Grid()->currentRow(), 1);
    QCOMPARE(g_messages.size(), 2);
  }

  void nestedTableOfModalWindowIsModal() {
    LayerTables lt(1);
    QString caption;
    bool nestedModal = false;
    QTimer::singleShot(0, [&] {
      auto* f = QApplication::activeModalWidget()->findChild<TTableForm*>();
      QTimer::singleShot(0, [&] {
        auto* host = QApplication::activeModalWidget();
        auto* nested = host->findChild<TTableForm*>();
        caption = host->windowTitle();
        nestedModal = nested->IsModal();
        host->close();
      });
      QTest::mouseClick(f->ButtonAt(0, 1), Qt::LeftButton);
      f->HostWindow()->close();
    });
    QVERIFY(TTableForm::ShowModal(lt.layers, nullptr));
    QVERIFY(nestedModal);
    QCOMPARE(caption, QString("Sand parameters  1"));
  }

  // ---- Navigation ----

  void enterWalksDownColumnsPassingLists() {
    LayerTables lt(3);
    lt.layers.SetCaption("Layers");
    auto t = DepthTable(3);
    for (auto* table : {t.get(), &lt.layers}) {
      TTableForm* f = Open(*table);
      QVERIFY(f);
      // Text columns of each table: the depth table all three, the layer table only the last.
      const QList<int> cols = table == t.get() ? QList<int>{0, 1, 2} : QList<int>{2};
      f->Grid()->setCurrentCell(0, cols.first());
      QList<QPoint> visited;
      for (int i = 0; i < 3 * cols.size(); ++i) {
        PressEnter(*f);
        visited << QPoint(f->Grid()->currentColumn(), f->Grid()->currentRow());
      }
      QList<QPoint> expected;
      for (int i = 1; i <= 3 * cols.size(); ++i) {
        const int k = i % (3 * cols.size());
        expected << QPoint(cols[k / 3], k % 3);
      }
      QCOMPARE(visited, expected);
      QVERIFY(g_messages.isEmpty());
    }
  }

  // ---- Size ----

  void opensWithAtMostTenRows_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("shown");
    QTest::newRow("3 rows") << 3 << 3;
    QTest::newRow("10 rows") << 10 << 10;
    QTest::newRow("25 rows") << 25 << 10;
  }
  void opensWithAtMostTenRows() {
    QFETCH(int, rows);
    QFETCH(int, shown);
    auto t = DepthTable(rows);
    TTableForm* f = Open(*t);
    QVERIFY(f);
    QTableWidget* g = f->Grid();
    QCOMPARE(f->RowsVisible(), shown);
    QCOMPARE(g->viewport()->height(), shown * g->rowHeight(0));
    QCOMPARE(g->verticalScrollBar()->isVisible(), rows > shown);
    // All columns, whole.
    int widths = 0;
    for (int c = 0; c < g->columnCount(); ++c) widths += g->columnWidth(c);
    QCOMPARE(g->viewport()->width(), widths);
    QVERIFY(!g->horizontalScrollBar()->isVisible());
    // Buttons under the grid, inside the window.
    QVERIFY(f->BtnAdd()->geometry().top() > g->geometry().bottom());
    QVERIFY(f->rect().contains(f->BtnDel()->geometry()));
  }

  void resizingSnapsToWholeRowsAndColumns() {
    auto t = std::make_unique<TGridTable>();
    for (int c = 0; c < 12; ++c)
      t->AddColumn<TFloatColumn>().SetHeading({"Column with a long heading " + std::to_string(c)});
    t->SetRowCount(25);
    TTableForm* f = Open(*t);
    QVERIFY(f);
    QTableWidget* g = f->Grid();
    const QSize full = f->HostWindow()->size();
    const auto shownWidth = [&] {
      int w = 0;
      for (int c = f->LeftDataColumn(); c < f->LeftDataColumn() + f->ColumnsVisible(); ++c)
        w += g->columnWidth(c);
      return w;
    };

    // Half the width: whole columns only, with a horizontal scroll bar, inside the proposal.
    QSize s = f->SnapSize(QSize(full.width() / 2, full.height()), TTableForm::SizingEdge::Right);
    QVERIFY(f->ColumnsVisible() < 12);
    QVERIFY(s.width() <= full.width() / 2);
    QVERIFY(g->horizontalScrollBar()->isVisible());
    QCOMPARE(g->viewport()->width(), shownWidth());

    // Very narrow: never narrower than the button row, with the fewest whole columns that
    // reach it.
    s = f->SnapSize(QSize(40, full.height()), TTableForm::SizingEdge::Right);
    QVERIFY(f->rect().contains(f->BtnDel()->geometry()));
    QCOMPARE(g->viewport()->width(), shownWidth());
    const int lastShown = f->LeftDataColumn() + f->ColumnsVisible() - 1;
    QVERIFY(g->geometry().right() - g->columnWidth(lastShown) < f->BtnDel()->geometry().right());

    // Lower: whole rows, the dragged bottom edge decides.
    const int rowH = g->rowHeight(0);
    s = f->SnapSize(QSize(full.width(), full.height() - 4 * rowH - rowH / 2),
                    TTableForm::SizingEdge::Bottom);
    QCOMPARE(f->RowsVisible(), 5);
    QCOMPARE(g->viewport()->height(), 5 * rowH);

    // The user dragging the frame snaps too, once the drag rests.
    f->HostWindow()->resize(full.width(), s.height() + 3 * rowH + rowH / 2);
    QTRY_COMPARE(f->RowsVisible(), 8);
    QCOMPARE(g->viewport()->height(), 8 * rowH);
  }

  void mdiChildSizesWithItsFrameAndCommitsWhenLeft() {
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    TTableForm::SetMdiArea(&area);
    auto t = DepthTable(25);
    TTableForm* f = TTableForm::Show(*t);
    TTableForm::SetMdiArea(nullptr);
    QVERIFY(f);
    auto* sub = qobject_cast<QMdiSubWindow*>(f->HostWindow());
    QVERIFY(sub);
    QCOMPARE(sub->windowTitle(), QString("Depths"));
    QCOMPARE(TTableForm::FormWidth(*t), sub->width());
    const int rowH = f->Grid()->rowHeight(0);
    QCOMPARE(f->Grid()->viewport()->height(), 10 * rowH);

    const QSize s =
        f->SnapSize(sub->size() - QSize(0, 3 * rowH + rowH / 2), TTableForm::SizingEdge::Bottom);
    QCOMPARE(f->RowsVisible(), 6);
    QCOMPARE(f->Grid()->viewport()->height(), 6 * rowH);
    QCOMPARE(s, sub->size());

    // Another child becoming active commits the cell; an entry error brings this one back.
    QMdiSubWindow* other = area.addSubWindow(new QWidget);
    other->show();
    area.setActiveSubWindow(sub);
    TypeInto(*f, 0, 0, "zz");
    area.setActiveSubWindow(other);
    QCOMPARE(g_messages, QStringList{TableMessage(0, "zz")});
    QCOMPARE(area.activeSubWindow(), sub);
    TypeInto(*f, 0, 0, "4");
    area.setActiveSubWindow(other);
    QCOMPARE(area.activeSubWindow(), other);
    QCOMPARE(t->GetFloatValue(0, 0), 4.0);
  }

  // ---- Opening and closing ----

  void opensOncePerTableAndGivesBackTheHandlers() {
    auto t = DepthTable(2);
    int majorChanges = 0;
    t->OnMajorChange = [&] { ++majorChanges; };
    TGridTable empty;
    QVERIFY(!TTableForm::Show(empty));  // no visible column

    QWidget parent;
    parent.resize(600, 400);
    TTableForm* f = TTableForm::Show(*t, &parent);
    QVERIFY(f);
    QCOMPARE(f->parentWidget(), &parent);
    QCOMPARE(f->pos(), QPoint(0, 0));
    QCOMPARE(TTableForm::Show(*t), f);
    QVERIFY(t->WindowOpen());
    QVERIFY(!t->IsModal());
    QCOMPARE(TTableForm::FormWidth(*t), f->width());
    t->AddRowGroup();  // the window follows, and so does the handler set before
    QCOMPARE(f->Grid()->rowCount(), 3);
    QCOMPARE(majorChanges, 1);

    QPointer<TTableForm> guard = f;
    t->Hide();
    QVERIFY(!TTableForm::Find(*t));
    QVERIFY(!t->WindowOpen());
    QCOMPARE(TTableForm::FormWidth(*t), 0);
    t->AddRowGroup();
    QCOMPARE(majorChanges, 2);
    QTRY_VERIFY(!guard);
  }
};

QTEST_MAIN(TestTableForm)
#include "test_table_form.moc"
