// TTableForm: the window in which a TGridTable shows and edits its own cells.
//
// The window holds a string grid, the buttons "&Add Row", "&Insert Row" and "&Delete Row",
// an optional comment line and an optional help picture. Enumeration columns get a drop-down
// list and nested-table columns a push button in each of their cells.
//
// Grid layout (QTableWidget): the horizontal header holds the heading lines of the visible
// columns (the "heading rows", which stay in place while the grid scrolls), the vertical
// header holds the row-group numbers (the "row-number column") and the top-left corner shows
// the table's TopLeft text. Grid column c is the c-th visible table column, grid row r is
// table row r.
//
// Opening:
//   TTableForm::Show(table)                  MDI child of the area given to SetMdiArea (a
//                                            separate window when none is set)
//   TTableForm::Show(table, formParent)      embedded at (0, 0) in formParent, without border
//   TTableForm::ShowModal(table, parent)     a modal dialog; returns when it is closed
//   TTableForm::EditModal(table, parent)     the same; true when the window closed with its
//                                            current cell committed
// A table has at most one window; Show on a table that has one brings it to the front.
// Nothing opens for a table without a visible column.
//
// Editing: leaving a cell (mouse, keys, Enter, a button, closing) gives its text to the
// table's SetStringValue. An entry error is shown through `information`; the cell keeps the
// typed text, the stored value stays, and the cursor stays in the cell (closing is refused).
// Enter moves one row down, from the last row to the top of the next column, and from the
// last cell back to the first column.
//
// While a window exists it holds the table's OnMajorChange, OnCellChange, OnHideWindow and
// OnCaptionChange (handlers set before keep being called after the window's own and are put
// back when it closes), and the table's SetWindowOpen reflects it. TGridTable::Hide() closes
// it without asking; a table destroyed while its window is open (a nested table whose row
// is deleted or whose type changes) closes its window too.
//
// Size: the window is sized to ColumnsVisible whole columns and RowsVisible whole rows, at
// first all columns and at most ten rows, with a scroll bar only in the direction where not
// everything is shown. Adding rows lets it grow to ten rows, then it scrolls to the new rows.
// When the user resizes the window, the proposed size is snapped to whole rows and columns
// (SnapSize). Qt has no hook into the resize drag itself, so the snap follows the host's
// resize events: the dragged edge is told by which edges moved, and the snap runs once the
// drag has rested for a moment (a window manager owns a top-level frame while it is being
// dragged; resizing it back on every step would fight the drag).
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QDialog;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QPixmap;
class QPushButton;
class QTableWidget;
class QTimer;

namespace korva::project {
class TGridTable;
}

namespace korva::controls {

class TTableGrid;
struct TTableWatch;

class TTableForm : public QWidget {
  Q_OBJECT

 public:
  // ---- Opening and closing a table's window ------------------------------------------------

  // Opens (or raises) the table's window as described above; nullptr when the table has no
  // visible column.
  static TTableForm* Show(project::TGridTable& table, QWidget* formParent = nullptr);
  // Runs the table's window modally. Returns true when the window was closed by the user
  // with its current cell committed; false when nothing was shown (no visible column, or
  // the table already has a window) or the window was closed by the table (Hide).
  static bool ShowModal(project::TGridTable& table, QWidget* parent = nullptr);
  static bool EditModal(project::TGridTable& table, QWidget* parent = nullptr) {
    return ShowModal(table, parent);
  }
  // The table's window, or nullptr.
  static TTableForm* Find(const project::TGridTable& table);
  static bool FormVisible(const project::TGridTable& table) { return Find(table) != nullptr; }
  // When the window exists: closes it without asking and opens it again (non-modal).
  static void Update(project::TGridTable& table);
  // When the window exists: asks it to close (refused while the current cell is invalid).
  static bool Updater(project::TGridTable& table);
  // Size of the table's window (its frame included when it is an MDI child); 0 without one.
  static int FormWidth(const project::TGridTable& table);
  static int FormHeight(const project::TGridTable& table);

  // MDI area in which Show places non-embedded windows (the main window sets it).
  static void SetMdiArea(QMdiArea* area);

  // Shows an information message with an OK button (QMessageBox by default; tests replace
  // it). Used for entry errors and for failures of table operations.
  static std::function<void(QWidget* parent, const QString& text)> information;

  ~TTableForm() override;

  // ---- State -------------------------------------------------------------------------------

  // The table shown; nullptr after the window was detached from it.
  project::TGridTable* Data() const { return table_; }
  bool IsModal() const { return modal_; }
  int HeadingRows() const { return heading_rows_; }
  // Numbers of data columns and rows the window is sized to show.
  int ColumnsVisible() const { return columns_visible_; }
  int RowsVisible() const { return rows_visible_; }
  // First data column / row shown (the grid's scroll position).
  int LeftDataColumn() const;
  int TopDataRow() const;
  // The window the user moves and resizes: the MDI child frame, the modal dialog, or this
  // widget (separate or embedded window).
  QWidget* HostWindow() const;

  // ---- Parts (for the program and for tests) -----------------------------------------------

  QTableWidget* Grid() const;
  QPushButton* BtnAdd() const { return btn_add_; }
  QPushButton* BtnIns() const { return btn_ins_; }
  QPushButton* BtnDel() const { return btn_del_; }
  QLabel* CommentsLabel() const { return lbl_comments_; }
  QLabel* HelpImage() const { return img_help_; }
  // The drop-down list / push button over a cell (grid column = visible column), or nullptr.
  QComboBox* ComboAt(int row, int gridColumn) const;
  QPushButton* ButtonAt(int row, int gridColumn) const;
  // The text in the top-left corner (the table's TopLeft).
  QString TopLeftText() const { return top_left_; }
  void SetHelpPicture(const QPixmap& picture);

  // ---- Operations --------------------------------------------------------------------------

  // Gives the current cell's text to the table (an open cell editor is read first). An
  // entry error is shown and returns false; the cell keeps the typed text.
  bool CommitCell();
  // Rebuilds the grid from the table (row count, headings, texts, in-cell controls, buttons)
  // and lays the window out.
  void RefreshAll();
  // Shows the stored value of one cell.
  void RefreshCell(int iCol, int iRow);
  // Sizes the grid to ColumnsVisible x RowsVisible and places the other parts under it.
  void ArrangeControls();
  // Enter: one row down; after the last row the top of the next column; after the last
  // cell the first column. Columns covered by lists or buttons are passed over.
  void MoveNext();

  // Edge being dragged while the user resizes the window.
  enum class SizingEdge { Left, Right, Top, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };
  // Snaps a proposed size of HostWindow() to whole rows and columns: chooses between the
  // layouts without scroll bars, with a vertical, a horizontal or both bars the one that
  // leaves least outside the proposed rectangle, scrolls the grid, sets ColumnsVisible and
  // RowsVisible and resizes the window (keeping the edge opposite the dragged one in place).
  // Returns the chosen window size.
  QSize SnapSize(QSize proposed, SizingEdge edge);

 signals:
  // After every layout (ArrangeControls).
  void arranged();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  friend class TTableGrid;
  friend class TModalHost;
  friend struct TTableWatch;

  TTableForm(project::TGridTable& table, bool modal, QWidget* parent);
  // Runs a window modally; `idPrefix` is the ID text of the window it was opened from.
  static bool RunModal(project::TGridTable& table, QWidget* parent, const QString& idPrefix);

  void FormShow();
  void Detach();             // releases the table (hooks, window state, registry)
  void CloseWithoutQuery();  // the table hides its window
  bool Alive() const;        // the table still exists
  bool QueryClose();         // commit the current cell before closing
  void HookTable();
  void UpdateCaption();
  QString IdText() const;
  // Cell navigation veto: commits the cell being left; false refuses the move.
  bool AllowMove(int fromRow, int fromCol, int toRow, int toCol);
  void RewriteAllCells();
  void ShowError(const QString& text);
  bool ColumnHasControls(int gridColumn) const;
  int TableColumnIndex(int gridColumn) const;
  void RefreshControlsOfRow(int row);
  void UpdateControl(QWidget* w, int row, int gridColumn);
  void ComboChosen(QComboBox* combo, int index);
  bool EnterControl(QWidget* w);
  void NestedButtonClicked(QPushButton* button);
  void Orphan();  // the table was destroyed
  void BtnAddClick();
  void BtnInsClick();
  void BtnDelClick();
  void EditRowGroup(const std::function<void(project::TGridTable&, int)>& edit);
  void SetClientSize(int w, int h);
  QSize FrameExtra() const;
  void ApplyScroll();
  void UserResized(QRect oldGeometry, QRect newGeometry);
  int Margin() const;
  int RowHeight() const;

  project::TGridTable* table_ = nullptr;
  bool modal_ = false;
  bool detached_ = false;
  bool closing_without_query_ = false;
  bool committed_on_close_ = false;
  bool refreshing_ = false;
  bool arranging_ = false;
  bool showing_error_ = false;
  int heading_rows_ = 0;
  int columns_visible_ = 0;
  int rows_visible_ = 0;
  int top_row_ = 0;  // wanted scroll position
  int left_col_ = 0;
  QString top_left_;
  QString id_prefix_;  // ID text of the owning table's window (nested tables)

  TTableGrid* grid_ = nullptr;
  QPushButton* btn_add_ = nullptr;
  QPushButton* btn_ins_ = nullptr;
  QPushButton* btn_del_ = nullptr;
  QLabel* lbl_comments_ = nullptr;
  QLabel* img_help_ = nullptr;
  QMdiSubWindow* sub_window_ = nullptr;
  QDialog* modal_host_ = nullptr;
  QTimer* snap_timer_ = nullptr;
  QRect snap_old_geometry_;
  QRect snap_new_geometry_;
  bool resizing_by_program_ = false;
  bool mdi_active_ = false;  // the active MDI child
  // Lives inside the table's OnHideWindow handler: its end tells that the table is gone.
  std::weak_ptr<TTableWatch> watch_;

  // Saved table handlers, restored when the window closes.
  std::function<void()> saved_major_change_;
  std::function<void(int, int)> saved_cell_change_;
  std::function<void()> saved_hide_window_;
  std::function<void()> saved_caption_change_;
};

}  // namespace korva::controls
