#include "table_form.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <exception>
#include <set>
#include <unordered_map>

#include "grid_table.h"

namespace korva::controls {

using project::ColumnKind;
using project::TColumn;
using project::TGridTable;
using project::TTableColumn;

namespace {

// Rows shown at most when a window opens or grows by added rows.
constexpr int kMaxInitialRows = 10;
// Entries the drop-down lists show without scrolling.
constexpr int kListEntries = 11;
// Quiet time after the last interactive resize step before the window snaps. A window
// manager owns the size while the user drags a top-level frame; resizing it back on every
// step would fight the drag, so the snap follows once the drag rests.
constexpr int kSnapDelayMs = 150;

const char* const kRowProperty = "korvaRow";
const char* const kColProperty = "korvaGridColumn";

std::unordered_map<const TGridTable*, TTableForm*>& Forms() {
  static std::unordered_map<const TGridTable*, TTableForm*> forms;
  return forms;
}

QPointer<QMdiArea>& MdiAreaRef() {
  static QPointer<QMdiArea> area;
  return area;
}

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// Width of a table column in pixels: the widest shown heading line followed by two blanks
// (plus the header's own text margins), at least a floor by kind; P = pixels per inch.
int ColumnMinWidth(const TColumn& c, const QFontMetrics& fm, int P, int headerMargins) {
  int w = 0;
  for (int i = 0; i < c.GetDisplayHeadingCount(); ++i)
    w = std::max(w, fm.horizontalAdvance(Q(c.GetDisplayHeadings(i)) + QStringLiteral("  ")));
  w += headerMargins;
  switch (c.Kind()) {
    case ColumnKind::Enum:
      return std::max(w, 3 * P / 2);
    case ColumnKind::Int:
    case ColumnKind::Float:
      return std::max(w, P / 2);
    case ColumnKind::Table:
      return std::max(w, 2 * P);
    case ColumnKind::String: {
      const auto* s = dynamic_cast<const project::TStringColumn*>(&c);
      return std::max(w, static_cast<int>(std::lround(P * (s ? s->MinWidth() : 1.0))));
    }
  }
  return w;
}

// ---- Size snapping --------------------------------------------------------------------------

struct SnapInput {
  int frameW = 0, frameH = 0;  // window size minus client size
  int margin = 0;              // M
  int gridChromeW = 0;         // grid frame + row-number column
  int gridChromeH = 0;         // grid frame + heading rows
  int buttonRowW = 0;          // left of "Add" to right of "Delete"
  int partsH = 0;              // buttons, comment line, picture (each with its margin)
  int vbarW = 0, hbarH = 0;
  std::vector<int> colW;  // data column widths
  int rowH = 0;           // R
  int rows = 0;           // data rows
  int left = 0, top = 0, colsVisible = 0, rowsVisible = 0;
  int W = 0, H = 0;             // proposed window size
  bool widthEdgeOnly = false;   // left or right edge dragged
  bool heightEdgeOnly = false;  // top or bottom edge dragged
};

struct SnapResult {
  int w = 0, h = 0;
  int left = 0, top = 0, cols = 0, rows = 0;
};

SnapResult Snap(const SnapInput& in) {
  const int n = static_cast<int>(in.colW.size());
  const int B = in.frameW + 2 * in.margin + in.buttonRowW;
  SnapResult best;
  long long bestCost = -1;
  // Order decides ties: no bar, vertical, horizontal, both.
  for (int k = 0; k < 4; ++k) {
    const bool vbar = k == 1 || k == 3;
    const bool hbar = k >= 2;
    SnapResult r;
    int w = in.frameW + 2 * in.margin + in.gridChromeW + (vbar ? in.vbarW : 0);
    if (!hbar) {
      for (int c = 0; c < n; ++c) w += in.colW[c];
      r.left = 0;
      r.cols = n;
    } else if (in.heightEdgeOnly) {
      r.left = std::clamp(in.left, 0, std::max(0, n - 1));
      r.cols = std::clamp(in.colsVisible, 1, std::max(1, n - r.left));
      for (int c = r.left; c < r.left + r.cols && c < n; ++c) w += in.colW[c];
    } else {
      // Whole columns from the left data column rightwards, then leftwards, while they fit
      // the proposed width; the button row is always reached and one column always shown.
      r.left = std::clamp(in.left, 0, std::max(0, n - 1));
      r.cols = 0;
      for (int c = r.left; c < n; ++c) {
        if (r.cols > 0 && w >= B && w + in.colW[c] >= in.W) break;
        w += in.colW[c];
        ++r.cols;
      }
      for (int c = r.left - 1; c >= 0; --c) {
        if (w >= B && w + in.colW[c] >= in.W) break;
        w += in.colW[c];
        ++r.cols;
        r.left = c;
      }
    }
    w = std::max(w, B);

    int h = in.frameH + 2 * in.margin + in.gridChromeH + in.partsH + (hbar ? in.hbarH : 0);
    if (!vbar) {
      h += in.rowH * in.rows;
      r.top = 0;
      r.rows = in.rows;
    } else if (in.widthEdgeOnly) {
      r.top = in.top;
      r.rows = std::max(1, in.rowsVisible);
      h += in.rowH * r.rows;
    } else {
      r.top = in.top;
      r.rows = 1;
      h += in.rowH;
      while (r.rows < in.rows && h + in.rowH < in.H) {
        h += in.rowH;
        ++r.rows;
      }
      while (r.top > 0 && r.top + r.rows > in.rows) --r.top;
    }
    r.w = w;
    r.h = h;

    long long cost = 0;
    const long long W = in.W, H = in.H;
    if (w > W && h > H)
      cost = static_cast<long long>(w) * h - W * H;
    else if (w > W)
      cost = (w - W) * H;
    else if (h > H)
      cost = (h - H) * W;
    if (bestCost < 0 || cost < bestCost) {
      bestCost = cost;
      best = r;
    }
  }
  return best;
}

}  // namespace

std::function<void(QWidget*, const QString&)> TTableForm::information = [](QWidget* parent,
                                                                           const QString& text) {
  QMessageBox::information(parent, QStringLiteral("Information"), text, QMessageBox::Ok);
};

// ---- The grid ---------------------------------------------------------------------------------

// The string grid: a QTableWidget that asks the window before its current cell moves (the
// cell being left is committed first), handles Enter, and gives the window access to the
// open cell editor.
class TTableGrid : public QTableWidget {
 public:
  explicit TTableGrid(TTableForm* form) : QTableWidget(form), form_(form) {}

  // Writes the open editor's text into its cell.
  void FlushEditor() {
    if (editor_) commitData(editor_);
  }
  // Closes the open editor without writing its text.
  void DropEditor() {
    if (editor_) closeEditor(editor_, QAbstractItemDelegate::NoHint);
    editor_ = nullptr;
  }
  bool Editing() const { return editor_ != nullptr; }
  void Relayout() { updateGeometries(); }
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
    if (editor == editor_) editor_ = nullptr;
    QTableWidget::closeEditor(editor, hint);
  }
  bool AllowMove(const QModelIndex& from, const QModelIndex& to) {
    return form_->AllowMove(from.row(), from.column(), to.row(), to.column());
  }
  bool Refreshing() const { return form_->refreshing_; }
  void EnterPressed() { form_->MoveNext(); }

  QPointer<QWidget> editor_;
  bool bypass_veto_ = false;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && state() != EditingState) {
      form_->MoveNext();
      return;
    }
    QTableWidget::keyPressEvent(e);
  }
  void resizeEvent(QResizeEvent* e) override {
    QTableWidget::resizeEvent(e);
    form_->ApplyScroll();
  }
  void showEvent(QShowEvent* e) override {
    QTableWidget::showEvent(e);
    form_->ApplyScroll();
  }

 private:
  TTableForm* form_;
};

// Selection model that lets the window refuse a move of the current cell. While a move is
// refused, selection changes that came with it (a mouse press selects as well) are dropped.
class TVetoSelectionModel : public QItemSelectionModel {
 public:
  TVetoSelectionModel(QAbstractItemModel* model, TTableGrid* grid)
      : QItemSelectionModel(model, grid), grid_(grid) {}

  using QItemSelectionModel::select;

  void setCurrentIndex(const QModelIndex& index,
                       QItemSelectionModel::SelectionFlags command) override {
    const QModelIndex cur = currentIndex();
    if (!grid_->bypass_veto_ && !grid_->Refreshing() && index.isValid() && index != cur &&
        !grid_->AllowMove(cur, index)) {
      vetoed_ = true;
      return;
    }
    vetoed_ = false;
    QItemSelectionModel::setCurrentIndex(index, command);
  }
  void select(const QItemSelection& selection,
              QItemSelectionModel::SelectionFlags command) override {
    if (vetoed_) return;
    QItemSelectionModel::select(selection, command);
  }

 private:
  TTableGrid* grid_;
  bool vetoed_ = false;
};

// Cell editor delegate: remembers the open editor and turns Enter into "next cell".
class TTableCellDelegate : public QStyledItemDelegate {
 public:
  explicit TTableCellDelegate(TTableGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
    grid_->editor_ = w;
    return w;
  }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        grid_->EnterPressed();
        return true;
      }
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

 private:
  TTableGrid* grid_;
};

// The dialog a modal window runs in. Closing it (close box, Escape) first commits the
// current cell; an entry error keeps it open.
class TModalHost : public QDialog {
 public:
  explicit TModalHost(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
  }
  void done(int r) override {
    if (form_ && !form_->closing_without_query_) {
      if (!form_->QueryClose()) return;
      form_->committed_on_close_ = true;
    }
    QDialog::done(r);
  }
  QPointer<TTableForm> form_;

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QDialog::resizeEvent(e);
    if (form_) form_->setGeometry(rect());
  }
};

// Held only by the handler the window puts into the table's OnHideWindow: the table frees it
// with its handlers, which tells the window that its table is gone (a nested table goes
// when its row is deleted or its type changes).
struct TTableWatch {
  QPointer<TTableForm> form;
  bool released = false;
  ~TTableWatch() {
    if (!released && form) form->Orphan();
  }
};

// ---- Opening and closing ----------------------------------------------------------------------

TTableForm::TTableForm(TGridTable& table, bool modal, QWidget* parent)
    : QWidget(parent), table_(&table), modal_(modal) {
  grid_ = new TTableGrid(this);
  grid_->setSelectionModel(new TVetoSelectionModel(grid_->model(), grid_));
  grid_->setItemDelegate(new TTableCellDelegate(grid_));
  grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
  // The cell editor opens as soon as a cell becomes current.
  grid_->setEditTriggers(QAbstractItemView::AllEditTriggers);
  grid_->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
  grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  grid_->setWordWrap(false);
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
  grid_->horizontalHeader()->setHighlightSections(false);
  grid_->horizontalHeader()->setSectionsClickable(false);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->verticalHeader()->setHighlightSections(false);
  grid_->verticalHeader()->setSectionsClickable(false);
  grid_->verticalHeader()->setMinimumSectionSize(1);
  grid_->verticalHeader()->setDefaultSectionSize(RowHeight());
  grid_->setCornerButtonEnabled(false);
  if (auto* corner = grid_->findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly))
    corner->installEventFilter(this);

  connect(grid_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
    if (refreshing_ || arranging_ || !grid_->isVisible()) return;
    // Scrolling sideways brings columns of other widths into view: size to them.
    left_col_ = v;
    ArrangeControls();
  });
  connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
    if (refreshing_ || arranging_ || !grid_->isVisible()) return;
    top_row_ = v;
  });

  btn_add_ = new QPushButton(QStringLiteral("&Add Row"), this);
  btn_ins_ = new QPushButton(QStringLiteral("&Insert Row"), this);
  btn_del_ = new QPushButton(QStringLiteral("&Delete Row"), this);
  const int P = std::max(1, logicalDpiX());
  for (QPushButton* b : {btn_add_, btn_ins_, btn_del_}) {
    const QSize hint = b->sizeHint();
    b->setFixedSize(std::max(81 * P / 96, hint.width()), std::max(21 * P / 96, hint.height()));
    b->setAutoDefault(false);
  }
  connect(btn_add_, &QPushButton::clicked, this, [this] { BtnAddClick(); });
  connect(btn_ins_, &QPushButton::clicked, this, [this] { BtnInsClick(); });
  connect(btn_del_, &QPushButton::clicked, this, [this] { BtnDelClick(); });

  lbl_comments_ = new QLabel(this);
  lbl_comments_->hide();
  img_help_ = new QLabel(this);
  img_help_->hide();

  snap_timer_ = new QTimer(this);
  snap_timer_->setSingleShot(true);
  snap_timer_->setInterval(kSnapDelayMs);
  connect(snap_timer_, &QTimer::timeout, this, [this] {
    QWidget* host = HostWindow();
    UserResized(snap_old_geometry_, host->geometry());
  });
}

TTableForm::~TTableForm() {
  Detach();
}

TTableForm* TTableForm::Find(const TGridTable& table) {
  auto it = Forms().find(&table);
  return it == Forms().end() ? nullptr : it->second;
}

void TTableForm::SetMdiArea(QMdiArea* area) {
  MdiAreaRef() = area;
}

TTableForm* TTableForm::Show(TGridTable& table, QWidget* formParent) {
  if (table.VisibleColCount() == 0) return nullptr;
  if (TTableForm* f = Find(table)) {
    if (f->sub_window_ && f->sub_window_->mdiArea())
      f->sub_window_->mdiArea()->setActiveSubWindow(f->sub_window_);
    f->HostWindow()->raise();
    f->HostWindow()->activateWindow();
    return f;
  }
  auto* f = new TTableForm(table, false, nullptr);
  if (formParent) {
    f->setParent(formParent, Qt::Widget);
    f->move(0, 0);
    f->setAttribute(Qt::WA_DeleteOnClose);
  } else if (QMdiArea* area = MdiAreaRef()) {
    f->sub_window_ =
        area->addSubWindow(f, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    f->sub_window_->setAttribute(Qt::WA_DeleteOnClose);
    f->sub_window_->installEventFilter(f);
    connect(area, &QMdiArea::subWindowActivated, f, [f](QMdiSubWindow* w) {
      // Another child became active: leaving the window commits its cell; an entry error
      // brings the window back.
      const bool wasActive = f->mdi_active_;
      f->mdi_active_ = w == f->sub_window_;
      if (!w || !wasActive || f->mdi_active_ || f->showing_error_ || f->detached_) return;
      if (!f->CommitCell() && f->sub_window_ && f->sub_window_->mdiArea())
        f->sub_window_->mdiArea()->setActiveSubWindow(f->sub_window_);
    });
  } else {
    f->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                      Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    f->setAttribute(Qt::WA_DeleteOnClose);
  }
  f->FormShow();
  if (f->sub_window_)
    f->sub_window_->show();
  else
    f->show();
  f->ArrangeControls();  // the frame is known now
  return f;
}

bool TTableForm::ShowModal(TGridTable& table, QWidget* parent) {
  return RunModal(table, parent, QString());
}

bool TTableForm::RunModal(TGridTable& table, QWidget* parent, const QString& idPrefix) {
  if (table.VisibleColCount() == 0 || Find(table)) return false;
  QPointer<TModalHost> host = new TModalHost(parent);
  QPointer<TTableForm> form = new TTableForm(table, true, host);
  host->form_ = form;
  form->modal_host_ = host;
  form->id_prefix_ = idPrefix;
  host->installEventFilter(form);
  form->FormShow();
  host->exec();
  bool committed = false;
  if (form) {
    committed = form->committed_on_close_;
    form->Detach();
  }
  delete host.data();
  return committed;
}

void TTableForm::Update(TGridTable& table) {
  if (!Find(table)) return;
  table.Hide();
  Show(table);
}

bool TTableForm::Updater(TGridTable& table) {
  TTableForm* f = Find(table);
  return f ? f->HostWindow()->close() : true;
}

int TTableForm::FormWidth(const TGridTable& table) {
  TTableForm* f = Find(table);
  return f ? f->HostWindow()->width() : 0;
}

int TTableForm::FormHeight(const TGridTable& table) {
  TTableForm* f = Find(table);
  return f ? f->HostWindow()->height() : 0;
}

QWidget* TTableForm::HostWindow() const {
  if (sub_window_) return sub_window_;
  if (modal_host_) return modal_host_;
  return const_cast<TTableForm*>(this);
}

QTableWidget* TTableForm::Grid() const {
  return grid_;
}

bool TTableForm::Alive() const {
  return table_ && !detached_ && TGridTable::RegistryIndexOf(table_) >= 0;
}

void TTableForm::HookTable() {
  TGridTable& t = *table_;
  saved_major_change_ = t.OnMajorChange;
  saved_cell_change_ = t.OnCellChange;
  saved_hide_window_ = t.OnHideWindow;
  saved_caption_change_ = t.OnCaptionChange;
  // Handlers set before keep running after the window's own.
  t.OnMajorChange = [this, prev = saved_major_change_] {
    RefreshAll();
    if (prev) prev();
  };
  t.OnCellChange = [this, prev = saved_cell_change_](int iCol, int iRow) {
    RefreshCell(iCol, iRow);
    if (prev) prev(iCol, iRow);
  };
  auto watch = std::make_shared<TTableWatch>();
  watch->form = this;
  watch_ = watch;
  t.OnHideWindow = [this, watch] {
    (void)watch;
    CloseWithoutQuery();
  };
  t.OnCaptionChange = [this, prev = saved_caption_change_] {
    UpdateCaption();
    if (prev) prev();
  };
}

void TTableForm::FormShow() {
  TGridTable& t = *table_;
  Forms()[table_] = this;
  HookTable();
  t.SetWindowOpen(true, modal_);
  if (t.RowCount() < t.MinRows()) t.SetRowCount(t.MinRows());
  UpdateCaption();
  top_left_ = Q(t.TopLeft());
  lbl_comments_->setText(Q(t.Comments()));
  lbl_comments_->setVisible(!t.Comments().empty());
  lbl_comments_->adjustSize();
  columns_visible_ = t.VisibleColCount();
  rows_visible_ = std::min(t.RowCount(), kMaxInitialRows);
  top_row_ = 0;
  left_col_ = 0;
  RefreshAll();
  // The first cell that takes text becomes current.
  for (int c = 0; c < grid_->columnCount(); ++c) {
    if (ColumnHasControls(c)) continue;
    if (grid_->rowCount() > 0) {
      QScopedValueRollback bypass(grid_->bypass_veto_, true);
      grid_->setCurrentCell(0, c);
    }
    break;
  }
}

void TTableForm::Detach() {
  if (detached_) return;
  const bool alive = Alive();
  detached_ = true;
  auto it = Forms().find(table_);
  if (it != Forms().end() && it->second == this) Forms().erase(it);
  if (auto watch = watch_.lock()) watch->released = true;
  if (alive) {
    TGridTable& t = *table_;
    t.OnMajorChange = saved_major_change_;
    t.OnCellChange = saved_cell_change_;
    t.OnHideWindow = saved_hide_window_;
    t.OnCaptionChange = saved_caption_change_;
    t.SetWindowOpen(false);
  }
  table_ = nullptr;
}

void TTableForm::CloseWithoutQuery() {
  closing_without_query_ = true;
  Detach();
  if (modal_host_)
    modal_host_->done(QDialog::Rejected);
  else
    HostWindow()->close();
}

void TTableForm::Orphan() {
  // The table is gone: let go of it without touching it.
  if (detached_) return;
  detached_ = true;
  auto it = Forms().find(table_);
  if (it != Forms().end() && it->second == this) Forms().erase(it);
  table_ = nullptr;
  CloseWithoutQuery();
}

bool TTableForm::QueryClose() {
  return !Alive() || CommitCell();
}

void TTableForm::closeEvent(QCloseEvent* e) {
  if (!closing_without_query_ && !QueryClose()) {
    e->ignore();
    return;
  }
  committed_on_close_ = !closing_without_query_;
  Detach();
  e->accept();
}

QString TTableForm::IdText() const {
  QString text = id_prefix_;
  if (table_ && table_->ID() != 0) text += QStringLiteral(" %1").arg(table_->ID());
  return text;
}

void TTableForm::UpdateCaption() {
  if (!Alive()) return;
  const QString caption = (Q(table_->Caption()) + QLatin1Char(' ') + IdText()).trimmed();
  setWindowTitle(caption);
  if (modal_host_) modal_host_->setWindowTitle(caption);
  if (sub_window_) sub_window_->setWindowTitle(caption);
}

void TTableForm::SetHelpPicture(const QPixmap& picture) {
  img_help_->setPixmap(picture);
  img_help_->setVisible(!picture.isNull());
  img_help_->adjustSize();
  ArrangeControls();
}

// ---- Cells ------------------------------------------------------------------------------------

int TTableForm::TableColumnIndex(int gridColumn) const {
  return table_->IndexOf(&table_->VisibleColumn(gridColumn));
}

bool TTableForm::ColumnHasControls(int gridColumn) const {
  if (!Alive() || gridColumn < 0 || gridColumn >= table_->VisibleColCount()) return false;
  const ColumnKind k = table_->VisibleColumn(gridColumn).Kind();
  return k == ColumnKind::Enum || k == ColumnKind::Table;
}

int TTableForm::LeftDataColumn() const {
  return left_col_;
}
int TTableForm::TopDataRow() const {
  return top_row_;
}

QComboBox* TTableForm::ComboAt(int row, int gridColumn) const {
  return qobject_cast<QComboBox*>(grid_->cellWidget(row, gridColumn));
}

QPushButton* TTableForm::ButtonAt(int row, int gridColumn) const {
  return qobject_cast<QPushButton*>(grid_->cellWidget(row, gridColumn));
}

void TTableForm::ShowError(const QString& text) {
  if (showing_error_) return;
  QScopedValueRollback guard(showing_error_, true);
  if (information) information(HostWindow(), text);
}

bool TTableForm::CommitCell() {
  if (!Alive()) return true;
  const QModelIndex cur = grid_->currentIndex();
  if (!cur.isValid() || cur.row() >= table_->RowCount() ||
      cur.column() >= table_->VisibleColCount())
    return true;
  table_->SetChanged(true);
  if (ColumnHasControls(cur.column())) return true;
  const bool editing = grid_->Editing();
  grid_->FlushEditor();
  QTableWidgetItem* item = grid_->item(cur.row(), cur.column());
  const std::string text = item ? item->text().toStdString() : std::string();
  const int iCol = TableColumnIndex(cur.column());
  try {
    // An unchanged text is not entered again: the cell shows the value rounded to eight
    // digits, and entering that would round the stored value.
    if (text != table_->GetStringValue(iCol, cur.row()))
      table_->SetStringValue(iCol, cur.row(), text);
  } catch (const std::exception& e) {
    ShowError(QString::fromUtf8(e.what()));
    // The cell keeps the typed text, and its editor stays (or opens again) on it.
    if (!grid_->Editing() && grid_->currentIndex() == cur && grid_->isVisible()) grid_->edit(cur);
    return false;
  }
  if (editing) {
    grid_->DropEditor();
    if (Alive()) RefreshCell(iCol, cur.row());
  }
  return true;
}

bool TTableForm::AllowMove(int fromRow, int fromCol, int toRow, int toCol) {
  (void)fromRow;
  (void)fromCol;
  if (!Alive()) return true;
  // Cells under a list or a button cannot become current by navigation.
  if (ColumnHasControls(toCol) || toRow < 0) return false;
  if (!CommitCell()) return false;
  grid_->DropEditor();
  // A formula shows its value, linked cells (top and bottom depths) their new values.
  RewriteAllCells();
  return true;
}

void TTableForm::RewriteAllCells() {
  if (!Alive()) return;
  for (int c = 0; c < grid_->columnCount(); ++c) {
    if (ColumnHasControls(c)) continue;
    const int iCol = TableColumnIndex(c);
    for (int r = 0; r < grid_->rowCount() && r < table_->RowCount(); ++r) {
      const QString text = Q(table_->GetStringValue(iCol, r));
      QTableWidgetItem* item = grid_->item(r, c);
      if (!item)
        grid_->setItem(r, c, new QTableWidgetItem(text));
      else if (item->text() != text)
        item->setText(text);
    }
  }
}

void TTableForm::RefreshCell(int iCol, int iRow) {
  if (!Alive() || iCol < 0 || iCol >= table_->ColCount()) return;
  TColumn& col = table_->GetColumn(iCol);
  if (col.Visible() && iRow >= 0 && iRow < grid_->rowCount() && !col.HasControl() &&
      col.Kind() != ColumnKind::Enum) {
    int g = 0;
    for (int c = 0; c < iCol; ++c) g += table_->GetColumn(c).Visible() ? 1 : 0;
    if (g < grid_->columnCount()) {
      const QString text = Q(col.GetStringValue(iRow));
      if (QTableWidgetItem* item = grid_->item(iRow, g))
        item->setText(text);
      else
        grid_->setItem(iRow, g, new QTableWidgetItem(text));
    }
  }
  // A changed type in column 0 replaces the row's nested table: its button takes the new
  // caption (a window open on the old table closes as that table goes).
  RefreshControlsOfRow(iRow);
}

// ---- In-cell controls -------------------------------------------------------------------------

void TTableForm::UpdateControl(QWidget* w, int row, int gridColumn) {
  w->setProperty(kRowProperty, row);
  w->setProperty(kColProperty, gridColumn);
  TColumn& col = table_->VisibleColumn(gridColumn);
  if (auto* combo = qobject_cast<QComboBox*>(w)) {
    QSignalBlocker block(combo);
    QStringList names;
    for (int i = 0; i < col.GetEnumCount(); ++i) names << Q(col.GetEnumStr(i));
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
    if (shown != names) {
      combo->clear();
      combo->addItems(names);
    }
    const int index = col.GetIntValue(row) - 1;
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
  } else if (auto* button = qobject_cast<QPushButton*>(w)) {
    if (auto* tc = dynamic_cast<TTableColumn*>(&col)) button->setText(Q(tc->GetButtonCaption(row)));
  }
}

void TTableForm::RefreshControlsOfRow(int row) {
  if (!Alive() || row < 0 || row >= grid_->rowCount()) return;
  for (int c = 0; c < grid_->columnCount(); ++c)
    if (QWidget* w = grid_->cellWidget(row, c)) UpdateControl(w, row, c);
}

bool TTableForm::EnterControl(QWidget* w) {
  const int row = w->property(kRowProperty).toInt();
  const int g = w->property(kColProperty).toInt();
  const QModelIndex cur = grid_->currentIndex();
  if (cur.row() == row && cur.column() == g) return true;
  if (!CommitCell()) {
    grid_->setFocus();
    return false;
  }
  grid_->DropEditor();
  {
    // The control's cell becomes the current cell.
    QScopedValueRollback bypass(grid_->bypass_veto_, true);
    grid_->setCurrentCell(row, g, QItemSelectionModel::ClearAndSelect);
  }
  RewriteAllCells();
  return true;
}

void TTableForm::ComboChosen(QComboBox* combo, int index) {
  if (!Alive()) return;
  const int row = combo->property(kRowProperty).toInt();
  const int g = combo->property(kColProperty).toInt();
  if (row < 0 || row >= table_->RowCount()) {
    ShowError(QStringLiteral("Unexpected row for combobox"));
    return;
  }
  try {
    const int iCol = TableColumnIndex(g);
    table_->SetChanged(true);
    if (index >= 0 && table_->GetIntValue(iCol, row) != index + 1)
      table_->SetIntValue(iCol, row, index + 1);
  } catch (const std::exception& e) {
    ShowError(QString::fromUtf8(e.what()));
  }
  // The list shows what is stored (also when the change was refused).
  if (Alive() && row < grid_->rowCount() && grid_->cellWidget(row, g) == combo)
    UpdateControl(combo, row, g);
}

void TTableForm::NestedButtonClicked(QPushButton* button) {
  if (!Alive() || !CommitCell()) return;
  const int row = button->property(kRowProperty).toInt();
  const int g = button->property(kColProperty).toInt();
  TGridTable* nested = nullptr;
  try {
    auto* tc = dynamic_cast<TTableColumn*>(&table_->VisibleColumn(g));
    if (!tc) return;
    nested = tc->ButtonClick(row);
  } catch (const std::exception& e) {
    ShowError(QString::fromUtf8(e.what()));
    return;
  }
  if (!nested || nested->VisibleColCount() == 0) return;
  // A nested table's caption follows this window's ID text.
  const QString prefix = IdText();
  if (modal_) {
    RunModal(*nested, HostWindow(), prefix);
  } else if (!Find(*nested)) {
    if (TTableForm* f = Show(*nested)) {
      f->id_prefix_ = prefix;
      f->UpdateCaption();
    }
  } else {
    Show(*nested);  // brings it to the front
  }
  if (Alive()) RefreshControlsOfRow(row);
}

// ---- Refreshing and layout --------------------------------------------------------------------

int TTableForm::Margin() const {
  return std::max(1, logicalDpiX() / 20);
}

int TTableForm::RowHeight() const {
  return fontMetrics().height() + 8;
}

void TTableForm::RefreshAll() {
  if (!Alive()) return;
  {
    QScopedValueRollback guard(refreshing_, true);
    TGridTable& t = *table_;
    const int vis = t.VisibleColCount();
    const int rows = t.RowCount();
    columns_visible_ = std::min(columns_visible_, vis);
    rows_visible_ = std::min(rows_visible_, rows);
    heading_rows_ = t.HeadingRows();
    top_row_ = std::clamp(top_row_, 0, std::max(0, rows - 1));
    left_col_ = std::clamp(left_col_, 0, std::max(0, vis - 1));

    grid_->setColumnCount(vis);
    grid_->setRowCount(rows);

    // Row-number column: the group number of each row; wide enough for TopLeft and two blanks.
    QStringList numbers;
    for (int r = 0; r < rows; ++r) numbers << QString::number(t.GroupNumber(r));
    grid_->setVerticalHeaderLabels(numbers);
    const QFontMetrics fm(grid_->font());
    const int P = std::max(1, logicalDpiX());
    const int headerMargins =
        2 * grid_->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid_);
    int fixedW =
        std::max(fm.horizontalAdvance(top_left_ + QStringLiteral("  ")) + headerMargins, P / 3);
    fixedW = std::max(fixedW,
                      fm.horizontalAdvance(QString::number(rows > 0 ? t.GroupNumber(rows - 1) : 1) +
                                           QStringLiteral("  ")) +
                          headerMargins);
    grid_->verticalHeader()->setFixedWidth(fixedW);

    for (int c = 0; c < vis; ++c) {
      TColumn& col = t.VisibleColumn(c);
      grid_->setColumnWidth(c, ColumnMinWidth(col, fm, P, headerMargins));
      QStringList lines;
      for (int k = 0; k < heading_rows_; ++k)
        lines << (k < col.GetDisplayHeadingCount() ? Q(col.GetDisplayHeadings(k))
                                                   : QStringLiteral(" "));
      const QString heading = lines.join(QLatin1Char('\n'));
      if (QTableWidgetItem* h = grid_->horizontalHeaderItem(c))
        h->setText(heading);
      else
        grid_->setHorizontalHeaderItem(c, new QTableWidgetItem(heading));

      const bool controls = col.Kind() == ColumnKind::Enum || col.Kind() == ColumnKind::Table;
      for (int r = 0; r < rows; ++r) {
        QTableWidgetItem* item = grid_->item(r, c);
        if (!item) {
          item = new QTableWidgetItem;
          grid_->setItem(r, c, item);
        }
        if (!controls) {
          item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
          item->setText(Q(col.GetStringValue(r)));
          if (grid_->cellWidget(r, c)) grid_->removeCellWidget(r, c);
          continue;
        }
        // Not enabled: keyboard navigation passes over the cells under lists and buttons.
        item->setFlags(Qt::NoItemFlags);
        item->setText(QString());
        QWidget* w = grid_->cellWidget(r, c);
        const bool wantCombo = col.Kind() == ColumnKind::Enum;
        if (w && (wantCombo ? qobject_cast<QComboBox*>(w) == nullptr
                            : qobject_cast<QPushButton*>(w) == nullptr))
          w = nullptr;
        if (!w) {
          if (wantCombo) {
            auto* combo = new QComboBox;
            combo->setMaxVisibleItems(kListEntries);
            combo->setFocusPolicy(Qt::StrongFocus);
            connect(combo, &QComboBox::activated, this,
                    [this, combo](int i) { ComboChosen(combo, i); });
            w = combo;
          } else {
            auto* button = new QPushButton;
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this,
                    [this, button] { NestedButtonClicked(button); });
            w = button;
          }
          w->installEventFilter(this);
          grid_->setCellWidget(r, c, w);
        }
        UpdateControl(w, r, c);
      }
    }

    if (heading_rows_ > 0) {
      grid_->horizontalHeader()->show();
      grid_->horizontalHeader()->setMinimumHeight(0);
      grid_->horizontalHeader()->setMaximumHeight(QWIDGETSIZE_MAX);
      grid_->horizontalHeader()->setFixedHeight(grid_->horizontalHeader()->sizeHint().height());
    } else {
      grid_->horizontalHeader()->hide();
    }

    const bool buttons = t.MinRows() != t.MaxRows();
    for (QPushButton* b : {btn_add_, btn_ins_, btn_del_}) b->setVisible(buttons);
    // Rows come and go in whole groups; a group that would pass a limit is refused.
    const bool canAdd = t.MaxRows() == 0 || rows + t.RowGroup() <= t.MaxRows();
    btn_add_->setEnabled(canAdd);
    btn_ins_->setEnabled(canAdd);
    btn_del_->setEnabled(rows - t.RowGroup() >= t.MinRows());
  }
  ArrangeControls();
}

QSize TTableForm::FrameExtra() const {
  if (!sub_window_) return {0, 0};
  if (sub_window_->isVisible() && sub_window_->widget() == this)
    return sub_window_->size() - size();
  const QMargins m = sub_window_->contentsMargins();
  QMargins lm;
  if (sub_window_->layout()) lm = sub_window_->layout()->contentsMargins();
  return {m.left() + m.right() + lm.left() + lm.right(),
          m.top() + m.bottom() + lm.top() + lm.bottom()};
}

void TTableForm::SetClientSize(int w, int h) {
  QScopedValueRollback guard(resizing_by_program_, true);
  if (sub_window_) {
    const QSize extra = FrameExtra();
    sub_window_->resize(w + extra.width(), h + extra.height());
    if (sub_window_->layout()) sub_window_->layout()->activate();
  } else if (modal_host_) {
    modal_host_->resize(w, h);
  }
  resize(w, h);
}

void TTableForm::ApplyScroll() {
  if (!grid_) return;
  QScopedValueRollback guard(arranging_, true);
  grid_->Relayout();
  grid_->verticalScrollBar()->setValue(top_row_);
  grid_->horizontalScrollBar()->setValue(left_col_);
}

void TTableForm::ArrangeControls() {
  if (arranging_ || !grid_) return;
  {
    QScopedValueRollback guard(arranging_, true);
    const int M = Margin();
    const int cols = grid_->columnCount();
    const int rows = grid_->rowCount();
    const bool vbar = rows_visible_ < rows;
    const bool hbar = columns_visible_ < cols;
    grid_->setVerticalScrollBarPolicy(vbar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    grid_->setHorizontalScrollBarPolicy(hbar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);

    left_col_ = std::clamp(left_col_, 0, std::max(0, cols - std::max(1, columns_visible_)));
    top_row_ = std::clamp(top_row_, 0, std::max(0, rows - rows_visible_));

    const int fw = grid_->frameWidth();
    int gw = 2 * fw + grid_->verticalHeader()->width();
    for (int c = left_col_; c < left_col_ + columns_visible_ && c < cols; ++c)
      gw += grid_->columnWidth(c);
    if (vbar) gw += grid_->verticalScrollBar()->sizeHint().width();
    const int headerH =
        grid_->horizontalHeader()->isHidden() ? 0 : grid_->horizontalHeader()->height();
    int gh = 2 * fw + headerH + RowHeight() * rows_visible_;
    if (hbar) gh += grid_->horizontalScrollBar()->sizeHint().height();
    grid_->setGeometry(M, M, gw, gh);

    const int btnTop = grid_->geometry().bottom() + 1 + M;
    btn_add_->move(M, btnTop);
    btn_ins_->move(btn_add_->geometry().right() + 1 + M, btnTop);
    btn_del_->move(btn_ins_->geometry().right() + 1 + M, btnTop);
    const bool buttons = !btn_add_->isHidden();
    const int lblTop = btnTop + (buttons ? btn_add_->height() + M : 0);
    lbl_comments_->adjustSize();
    lbl_comments_->move(M, lblTop);
    const bool label = !lbl_comments_->isHidden();
    const int imgTop = lblTop + (label ? lbl_comments_->height() + M : 0);
    img_help_->move(M, imgTop);
    const int picH = img_help_->pixmap().isNull() ? 0 : img_help_->height();
    const int clientH = imgTop + (picH > 0 ? picH + M : 0);
    int right = grid_->geometry().right() + 1;
    if (buttons) right = std::max(right, btn_del_->geometry().right() + 1);
    const int clientW = right + M;
    SetClientSize(clientW, clientH);
  }
  ApplyScroll();
  emit arranged();
}

bool TTableForm::eventFilter(QObject* watched, QEvent* e) {
  // The top-left corner of the grid shows the table's TopLeft text.
  if (e->type() == QEvent::Paint && watched->parent() == grid_ &&
      qobject_cast<QAbstractButton*>(watched)) {
    auto* corner = static_cast<QWidget*>(watched);
    QPainter p(corner);
    QStyleOptionHeader opt;
    opt.initFrom(corner);
    // The corner button is disabled (no select-all), its text is drawn as enabled.
    opt.state |= QStyle::State_Enabled | QStyle::State_Raised;
    opt.palette.setCurrentColorGroup(QPalette::Active);
    opt.rect = corner->rect();
    opt.position = QStyleOptionHeader::OnlyOneSection;
    opt.text = top_left_;
    opt.textAlignment = Qt::AlignLeft | Qt::AlignTop;
    corner->style()->drawControl(QStyle::CE_Header, &opt, &p, corner);
    return true;
  }
  // In-cell controls: entering one first commits the cell being left; an entry error keeps
  // the cursor there and the press is dropped.
  if (auto* w = qobject_cast<QWidget*>(watched); w && w->property(kRowProperty).isValid()) {
    const bool press = e->type() == QEvent::MouseButtonPress;
    const bool keyFocus = e->type() == QEvent::FocusIn &&
                          static_cast<QFocusEvent*>(e)->reason() != Qt::MouseFocusReason &&
                          static_cast<QFocusEvent*>(e)->reason() != Qt::PopupFocusReason &&
                          static_cast<QFocusEvent*>(e)->reason() != Qt::ActiveWindowFocusReason;
    if ((press || keyFocus) && Alive() && !EnterControl(w)) return press;
    return false;
  }
  // The window the user sizes: snap once the drag rests; a non-modal window commits its
  // cell when it stops being the active window.
  if (watched == sub_window_ || watched == modal_host_) {
    if (e->type() == QEvent::Resize && !resizing_by_program_ && HostWindow()->isVisible()) {
      if (!snap_timer_->isActive()) {
        auto* re = static_cast<QResizeEvent*>(e);
        snap_old_geometry_ = QRect(HostWindow()->pos(), re->oldSize());
      }
      snap_timer_->start();
    }
    return false;
  }
  return QWidget::eventFilter(watched, e);
}

void TTableForm::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  // A separate window is its own host.
  if (HostWindow() == this && isWindow() && !resizing_by_program_ && isVisible()) {
    if (!snap_timer_->isActive()) snap_old_geometry_ = QRect(pos(), e->oldSize());
    snap_timer_->start();
  }
}

// ---- Navigation and row buttons ---------------------------------------------------------------

void TTableForm::MoveNext() {
  if (!Alive()) return;
  const int rows = grid_->rowCount();
  const int cols = grid_->columnCount();
  if (rows == 0 || cols == 0) return;
  const auto nextTextColumn = [&](int from) {
    for (int c = from; c < cols; ++c)
      if (!ColumnHasControls(c)) return c;
    return -1;
  };
  const QModelIndex cur = grid_->currentIndex();
  int r = cur.isValid() ? cur.row() + 1 : 0;
  int c = cur.isValid() ? cur.column() : 0;
  if (!cur.isValid() || r >= rows || ColumnHasControls(c)) {
    r = 0;
    c = cur.isValid() ? nextTextColumn(c + 1) : nextTextColumn(0);
    if (c < 0) c = nextTextColumn(0);
  }
  if (c < 0) {
    CommitCell();  // no column takes text: only commit
    return;
  }
  if (cur.isValid() && r == cur.row() && c == cur.column()) {
    // The only text cell: there is no move that would commit it, so commit here; an entry
    // error keeps the typed text in the open editor.
    if (CommitCell() && Alive() && grid_->isVisible() && !grid_->Editing()) grid_->edit(cur);
    return;
  }
  grid_->setCurrentCell(r, c);
}

void TTableForm::BtnAddClick() {
  if (!Alive() || !CommitCell()) return;
  TGridTable& t = *table_;
  QString error;
  {
    // The table's major-change notification is held back while the rows are added; the
    // window refreshes once afterwards.
    auto held = std::move(t.OnMajorChange);
    t.OnMajorChange = nullptr;
    try {
      if (rows_visible_ == t.RowCount())
        rows_visible_ =
            std::max(rows_visible_, std::min(rows_visible_ + t.RowGroup(), kMaxInitialRows));
      t.AddRowGroup();
      if (top_row_ + rows_visible_ < t.RowCount()) top_row_ = t.RowCount() - rows_visible_;
    } catch (const std::exception& e) {
      error = QString::fromUtf8(e.what());
    }
    if (!detached_) t.OnMajorChange = std::move(held);
  }
  if (!Alive()) return;
  t.SetChanged(true);
  RefreshAll();
  if (!error.isEmpty()) ShowError(error);
}

// Commits the cell, marks the table changed and applies `edit` to the current row group;
// a row outside the table or an edit the table refuses is reported.
void TTableForm::EditRowGroup(const std::function<void(TGridTable&, int)>& edit) {
  if (!Alive() || !CommitCell()) return;
  TGridTable& t = *table_;
  t.SetChanged(true);
  const int row = grid_->currentRow();
  if (row < 0 || row >= t.RowCount()) {
    ShowError(QStringLiteral("Grid.Row not in valid range"));
    return;
  }
  try {
    edit(t, row);
  } catch (const std::exception& e) {
    ShowError(QString::fromUtf8(e.what()));
    RefreshAll();
  }
}

void TTableForm::BtnInsClick() {
  EditRowGroup([this](TGridTable& t, int row) {
    if (t.RowCount() == rows_visible_)
      rows_visible_ =
          std::max(rows_visible_, std::min(rows_visible_ + t.RowGroup(), kMaxInitialRows));
    t.InsertRowGroup(row);
  });
}

void TTableForm::BtnDelClick() {
  EditRowGroup([](TGridTable& t, int row) { t.DeleteRowGroup(row); });
}

// ---- Snapping the window size -----------------------------------------------------------------

void TTableForm::UserResized(QRect oldGeometry, QRect newGeometry) {
  if (!Alive() || newGeometry.size() == oldGeometry.size()) return;
  const bool leftMoved = newGeometry.left() != oldGeometry.left();
  const bool topMoved = newGeometry.top() != oldGeometry.top();
  const bool wChanged = newGeometry.width() != oldGeometry.width();
  const bool hChanged = newGeometry.height() != oldGeometry.height();
  SizingEdge edge;
  if (wChanged && hChanged) {
    edge = topMoved ? (leftMoved ? SizingEdge::TopLeft : SizingEdge::TopRight)
                    : (leftMoved ? SizingEdge::BottomLeft : SizingEdge::BottomRight);
  } else if (wChanged) {
    edge = leftMoved ? SizingEdge::Left : SizingEdge::Right;
  } else {
    edge = topMoved ? SizingEdge::Top : SizingEdge::Bottom;
  }
  SnapSize(newGeometry.size(), edge);
}

QSize TTableForm::SnapSize(QSize proposed, SizingEdge edge) {
  QWidget* host = HostWindow();
  if (!Alive() || grid_->columnCount() < 1) return host->size();
  const int M = Margin();
  SnapInput in;
  const QSize extra = host->size() - size();
  in.frameW = std::max(0, extra.width());
  in.frameH = std::max(0, extra.height());
  in.margin = M;
  const int fw = grid_->frameWidth();
  in.gridChromeW = 2 * fw + grid_->verticalHeader()->width();
  in.gridChromeH =
      2 * fw + (grid_->horizontalHeader()->isHidden() ? 0 : grid_->horizontalHeader()->height());
  const bool buttons = !btn_add_->isHidden();
  in.buttonRowW = buttons ? btn_del_->geometry().right() + 1 - btn_add_->geometry().left() : 0;
  in.partsH = (buttons ? M + btn_add_->height() : 0) +
              (!lbl_comments_->isHidden() ? M + lbl_comments_->height() : 0) +
              (!img_help_->pixmap().isNull() ? M + img_help_->height() : 0);
  in.vbarW = grid_->verticalScrollBar()->sizeHint().width();
  in.hbarH = grid_->horizontalScrollBar()->sizeHint().height();
  for (int c = 0; c < grid_->columnCount(); ++c) in.colW.push_back(grid_->columnWidth(c));
  in.rowH = RowHeight();
  in.rows = grid_->rowCount();
  in.left = left_col_;
  in.top = top_row_;
  in.colsVisible = columns_visible_;
  in.rowsVisible = rows_visible_;
  in.W = proposed.width();
  in.H = proposed.height();
  in.widthEdgeOnly = edge == SizingEdge::Left || edge == SizingEdge::Right;
  in.heightEdgeOnly = edge == SizingEdge::Top || edge == SizingEdge::Bottom;
  const SnapResult r = Snap(in);

  // The edge opposite the dragged one stays where the proposed rectangle has it.
  const QRect proposedRect(host->pos(), proposed);
  left_col_ = r.left;
  top_row_ = r.top;
  columns_visible_ = r.cols;
  rows_visible_ = r.rows;
  snap_timer_->stop();
  ArrangeControls();
  snap_timer_->stop();
  const bool movesLeft =
      edge == SizingEdge::Left || edge == SizingEdge::TopLeft || edge == SizingEdge::BottomLeft;
  const bool movesTop =
      edge == SizingEdge::Top || edge == SizingEdge::TopLeft || edge == SizingEdge::TopRight;
  QPoint pos = proposedRect.topLeft();
  if (movesLeft) pos.setX(proposedRect.right() + 1 - host->width());
  if (movesTop) pos.setY(proposedRect.bottom() + 1 - host->height());
  if (pos != host->pos()) {
    QScopedValueRollback guard(resizing_by_program_, true);
    host->move(pos);
  }
  return host->size();
}

}  // namespace korva::controls
