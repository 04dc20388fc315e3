// TGridTable: the program's non-visual table component.
//
// A table holds typed columns that all have RowCount rows. It stores the project's tabular
// input (the layer table, one parameter table per layer nested inside it, the t-z depth
// list) and gives typed cell access with text entry and validation, unit conversion of real
// columns, rows added/inserted/deleted in groups, nested tables copied from templates chosen
// by a row's enumerated type, and change tracking. The editing window lives in the GUI; the
// table only knows whether it exists (SetWindowOpen).
//
// Table registry: every live table is listed process-wide in creation order and gets an
// identifier from a counter that starts at 0. Templates of nested-table columns refer to
// tables by identifier (or by registry position). The registry is guarded by one mutex, so
// tables may be created and destroyed on any thread; a single table and the tables it
// reaches (its nested tables, its templates) must still be used by one thread at a time.
//
// Index errors throw EListError; typed access a column kind does not support throws
// EInvalidCast; text entry errors throw EAssignError (evaluator.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "evaluator.h"

namespace korva::project {

// General failure of a table operation (bad MinRows, broken top-depth pair, ...).
class EGridError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Typed access that the column kind does not support: "Data of wrong type".
class EInvalidCast : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A column, row, template or registry index out of range: "Index out of bounds".
class EListError : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

class TGridTable;
class TColumn;

// An object held by a row of a nested-table column. Normally a nested TGridTable; the
// OnInitRow event may supply any other object derived from this.
class TRowObject {
 public:
  virtual ~TRowObject() = default;
};

// Column kinds with the index they have in the column-definition stream.
enum class ColumnKind : int { Enum = 0, Int = 1, Float = 2, Table = 3, String = 4 };

// Handle of one cell. It holds only its column; its row is its position in the column's
// handle list, looked up on every access, so a handle follows its cell when rows are
// inserted or deleted before it. A handle is freed together with its row.
class TData {
 public:
  explicit TData(TColumn& col) : base_col_(&col) {}
  TColumn& BaseCol() const { return *base_col_; }
  int Row() const;

  int Int() const;
  void SetInt(int value);
  double Float() const;
  void SetFloat(double value);
  TGridTable* Data() const;  // the nested table (nullptr when the row holds none)
  std::string Value() const;
  void SetValue(std::string_view text);

 private:
  TColumn* base_col_;
};

// ---------------------------------------------------------------------------------------
// Columns

class TColumn {
 public:
  virtual ~TColumn();
  TColumn(const TColumn&) = delete;
  TColumn& operator=(const TColumn&) = delete;

  virtual ColumnKind Kind() const = 0;
  TGridTable& Owner() const { return *owner_; }
  int Count() const { return static_cast<int>(data_.size()); }  // rows

  // Heading lines, top to bottom.
  const std::vector<std::string>& Heading() const { return heading_; }
  void SetHeading(std::vector<std::string> lines) { heading_ = std::move(lines); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  // All rows of a row group share one value: setting any row sets every row of its group.
  bool SameGroup() const { return same_group_; }
  void SetSameGroup(bool v) { same_group_ = v; }

  // Heading lines as shown (a real column with units shows its last line with the unit).
  virtual int GetDisplayHeadingCount() const;
  virtual std::string GetDisplayHeadings(int iLine) const;

  // Typed access by row; kinds that do not support an accessor throw EInvalidCast.
  virtual double GetFloatValue(int iRow) const;
  virtual void SetFloatValue(int iRow, double value);
  virtual int GetIntValue(int iRow) const;
  virtual void SetIntValue(int iRow, int value);
  virtual TGridTable* GetDataValue(int iRow) const;
  virtual TRowObject* GetObjValue(int iRow) const;
  // Display text of a cell ("" in the base).
  virtual std::string GetStringValue(int iRow) const;
  // Text entry with validation (does nothing in the base); throws EAssignError.
  virtual void SetStringValue(int iRow, std::string_view text);

  virtual bool GetChanged() const { return false; }
  virtual void HideDetails() {}
  virtual void ResetDetailsChanged() {}
  // Converts stored values from the owner's current unit system to `newUnits`.
  virtual void ConvertUnits(int newUnits) { (void)newUnits; }
  virtual bool HasControl() const { return false; }

  // A new column of the same kind owned by `newOwner` with the same heading lines,
  // Visible and kind data (SameGroup is not copied). Not yet attached to newOwner.
  virtual std::unique_ptr<TColumn> Clone(TGridTable& newOwner) const = 0;

  // Choice list of an enumeration column; do nothing (or return 0 / "") on other kinds.
  int GetEnumCount() const;
  std::string GetEnumStr(int i) const;
  void SetEnumStr(int i, std::string name);
  void AddEnumStr(std::string name);
  void DelEnumStr(int i);
  void ClearEnumStr();

  // Cell handle of a row (throws EListError for a bad row).
  TData& GetData(int iRow) const;
  // Index of a handle in this column, -1 if it is not one of its handles.
  int IndexOfData(const TData* d) const;

  // Group size answered by the owning table.
  int GetRowGroup() const;

 protected:
  explicit TColumn(TGridTable& owner);

  // Inserts `count` rows at `first` (values by kind, then handles). No cell-change event.
  virtual void InsertRows(int first, int count);
  // Deletes one row.
  virtual void DeleteRow(int iRow);
  // Kind hooks for the two operations above: create/remove the value storage.
  virtual void InsertValues(int first, int count) = 0;
  virtual void DeleteValue(int iRow) = 0;

  void CheckRow(int iRow) const;
  // Raises the column's cell-change notification for a row (the owner reacts).
  void CellChanged(int iRow);
  // Rows written when setting row iRow: its whole group when SameGroup, else iRow only.
  std::pair<int, int> SetRange(int iRow) const;
  void CopyBaseTo(TColumn& other) const;
  [[noreturn]] static void WrongType();

 private:
  friend class TGridTable;
  TGridTable* owner_;
  std::vector<std::unique_ptr<TData>> data_;
  std::vector<std::string> heading_;
  bool same_group_ = false;
  bool visible_ = true;
};

// Kind 0: integer per row, 1-based index into Names; new rows 1.
class TEnumColumn : public TColumn {
 public:
  static constexpr ColumnKind kKind = ColumnKind::Enum;
  explicit TEnumColumn(TGridTable& owner) : TColumn(owner) {}
  ColumnKind Kind() const override { return kKind; }

  const std::vector<std::string>& Names() const { return names_; }
  void SetNames(std::vector<std::string> names);
  // Raised after the choice list changed (the owning table reacts as well).
  std::function<void(TEnumColumn&)> OnNamesChange;

  int GetIntValue(int iRow) const override;
  // Equal value: nothing happens and no event is raised.
  void SetIntValue(int iRow, int value) override;
  std::string GetStringValue(int iRow) const override;
  // Evaluated; must be a whole number (within 1e-10) in the 32-bit range, else
  // "Value must be an integer."; not compared with the number of choices.
  void SetStringValue(int iRow, std::string_view text) override;
  std::unique_ptr<TColumn> Clone(TGridTable& newOwner) const override;

 protected:
  void InsertValues(int first, int count) override;
  void DeleteValue(int iRow) override;

 private:
  friend class TColumn;
  void NamesChanged();
  std::vector<std::string> names_;
  std::vector<int> values_;
};

// Kind 1: integer per row; new rows Default.
class TIntColumn : public TColumn {
 public:
  static constexpr ColumnKind kKind = ColumnKind::Int;
  explicit TIntColumn(TGridTable& owner) : TColumn(owner) {}
  ColumnKind Kind() const override { return kKind; }

  int Default() const { return default_; }
  void SetDefault(int v) { default_ = v; }
  int Minimum() const { return minimum_; }
  void SetMinimum(int v) { minimum_ = v; }
  int Maximum() const { return maximum_; }
  void SetMaximum(int v) { maximum_ = v; }

  int GetIntValue(int iRow) const override;
  void SetIntValue(int iRow, int value) override;  // no range check
  std::string GetStringValue(int iRow) const override;
  // Evaluated. Only while the owner's editing window exists: a signed fractional part
  // above 1e-10 gives "Entry must be an integer.", a value outside Minimum..Maximum
  // "Entry must be between %d and %d.". The value rounded (ties to even) is then set.
  void SetStringValue(int iRow, std::string_view text) override;
  std::unique_ptr<TColumn> Clone(TGridTable& newOwner) const override;

 protected:
  void InsertValues(int first, int count) override;
  void DeleteValue(int iRow) override;

 private:
  int default_ = 0;
  int minimum_ = INT32_MIN;
  int maximum_ = INT32_MAX;
  std::vector<int> values_;
};

// Kind 2: real per row, in the owner's unit system, described by UnitsString.
class TFloatColumn : public TColumn {
 public:
  static constexpr ColumnKind kKind = ColumnKind::Float;
  explicit TFloatColumn(TGridTable& owner) : TColumn(owner) {}
  ColumnKind Kind() const override { return kKind; }

  double Default() const { return default_; }
  void SetDefault(double v) { default_ = v; }
  // This column holds each row's top depth; the next column (a real column) the bottom.
  bool TopDepth() const { return top_depth_; }
  void SetTopDepth(bool v) { top_depth_ = v; }
  const std::string& UnitsString() const { return units_string_; }
  void SetUnitsString(std::string s) { units_string_ = std::move(s); }

  std::string GetDisplayHeadings(int iLine) const override;
  double GetFloatValue(int iRow) const override;
  // Sets the row (or its group), then keeps a top-depth pair continuous.
  void SetFloatValue(int iRow, double value) override;
  std::string GetStringValue(int iRow) const override;  // FormatGeneral(value, 8)
  void SetStringValue(int iRow, std::string_view text) override;
  void ConvertUnits(int newUnits) override;
  std::unique_ptr<TColumn> Clone(TGridTable& newOwner) const override;

 protected:
  void InsertValues(int first, int count) override;
  void DeleteValue(int iRow) override;
  void DeleteRow(int iRow) override;

 private:
  void Store(int iRow, double value);  // set + cell-change event, no linking
  TFloatColumn* NextFloat() const;     // the column after this one when it is real
  TFloatColumn* TopDepthBefore() const;  // the column before this one when it is top depth
  double default_ = 0.0;
  bool top_depth_ = false;
  std::string units_string_;
  std::vector<double> values_;
};

// Kind 4: text per row; new rows Default.
class TStringColumn : public TColumn {
 public:
  static constexpr ColumnKind kKind = ColumnKind::String;
  explicit TStringColumn(TGridTable& owner) : TColumn(owner) {}
  ColumnKind Kind() const override { return kKind; }

  const std::string& Default() const { return default_; }
  void SetDefault(std::string v) { default_ = std::move(v); }
  double MinWidth() const { return min_width_; }  // inches
  void SetMinWidth(double v) { min_width_ = v; }

  std::string GetStringValue(int iRow) const override;
  void SetStringValue(int iRow, std::string_view text) override;  // stored unchanged
  std::unique_ptr<TColumn> Clone(TGridTable& newOwner) const override;

 protected:
  void InsertValues(int first, int count) override;
  void DeleteValue(int iRow) override;

 private:
  std::string default_;
  double min_width_ = 1.0;
  std::vector<std::string> values_;
};

// Template list of a nested-table column. An entry either holds an identifier (resolved at
// every access) or a registry position.
class TGridTableList {
 public:
  struct Entry {
    bool by_identifier = false;
    int value = -1;
  };
  int Count() const { return static_cast<int>(entries_.size()); }
  const Entry& At(int i) const;
  void Set(int i, Entry e);
  // Resolved registry position of entry i, -1 when nothing matches.
  int TableIndices(int i) const;
  // The table entry i resolves to, or nullptr.
  TGridTable* Elements(int i) const;
  void AddTable(const TGridTable* table);  // stored as its registry position (-1: none)
  void AddPosition(int position);
  void AddIdentifier(int identifier);
  void Clear() { entries_.clear(); }
  // Appends empty entries (resolving to nothing) or drops entries from the end.
  void Resize(int count);

 private:
  std::vector<Entry> entries_;
};

// Kind 3: an owned object per row, normally a nested table copied from a template chosen
// by the row's type (column 0 of the owner when that is an enumeration column, else 1).
// The column's events are raised through the owning table's events with the column index.
class TTableColumn : public TColumn {
 public:
  static constexpr ColumnKind kKind = ColumnKind::Table;
  explicit TTableColumn(TGridTable& owner) : TColumn(owner) {}
  ~TTableColumn() override;
  ColumnKind Kind() const override { return kKind; }

  TGridTableList& Templates() { return templates_; }
  const TGridTableList& Templates() const { return templates_; }

  // Makes the row's object anew for its type: a copy of the resolved template (ID = row
  // + 1), else the owner's OnInitRow + OnSetRow, else nothing.
  void UpdateDataValue(int iRow);
  // "%d: %s" with the row number and the nested table's caption (or OnGetButtonCaption).
  std::string GetButtonCaption(int iRow) const;
  // A row's button was pressed: returns the nested table for the GUI to show (modal when
  // the owner's window is modal); for a row without nested table raises OnButtonClick and
  // returns nullptr.
  TGridTable* ButtonClick(int iRow);

  TGridTable* GetDataValue(int iRow) const override;  // nullptr: no nested table
  TRowObject* GetObjValue(int iRow) const override;
  void SetStringValue(int iRow, std::string_view text) override;  // ignored
  bool GetChanged() const override;
  void HideDetails() override;
  void ResetDetailsChanged() override;
  void ConvertUnits(int newUnits) override;
  bool HasControl() const override { return true; }
  // Template entries are copied as the registry positions they resolve to now.
  std::unique_ptr<TColumn> Clone(TGridTable& newOwner) const override;

 protected:
  void InsertRows(int first, int count) override;
  void DeleteRow(int iRow) override;
  void InsertValues(int first, int count) override;
  void DeleteValue(int iRow) override;

 private:
  void Renumber(int from);
  int MyIndex() const;
  TGridTableList templates_;
  std::vector<std::unique_ptr<TRowObject>> values_;
};

// ---------------------------------------------------------------------------------------
// The table

class TGridTable : public TRowObject {
 public:
  // Events of nested-table columns, re-raised with the column index.
  using TButtonClickEvent = std::function<void(TGridTable& sender, int aCol, int aRow, TRowObject* aData)>;
  using TGetButtonCaptionEvent =
      std::function<void(TGridTable& sender, int aCol, int aRow, TRowObject* aData, std::string& aCaption)>;
  using TGetChangedEvent =
      std::function<void(TGridTable& sender, int aCol, int aRow, TRowObject* aData, bool& aChanged)>;
  using THideEvent = std::function<void(TGridTable& sender, int aCol, int aRow, TRowObject* aData)>;
  using TInitRowEvent = std::function<void(TGridTable& sender, int aCol, int aRow, int aEnumType,
                                           std::unique_ptr<TRowObject>& aData)>;
  using TResetChangedEvent = std::function<void(TGridTable& sender, int aCol, int aRow, TRowObject* aData)>;
  using TSetRowEvent = std::function<void(TGridTable& sender, int aCol, TRowObject* aData, int aRow)>;
  using TSetUnitsEvent =
      std::function<void(TGridTable& sender, int aCol, int aRow, TRowObject* aData, int aValue)>;

  // Empty table: Units = unitsFrom's Units when given, else 1; registered with a new
  // identifier.
  explicit TGridTable(const TGridTable* unitsFrom = nullptr);
  ~TGridTable() override;
  TGridTable(const TGridTable&) = delete;
  TGridTable& operator=(const TGridTable&) = delete;

  // A new table built from a template: Caption, Comments, TopLeft, MinRows, MaxRows and
  // every column cloned; ID = iRowNumber; RowCount = MinRows. Units from `owner`.
  static std::unique_ptr<TGridTable> CreateCopy(const TGridTable* owner, int iRowNumber,
                                                const TGridTable& source);

  // --- registry ---
  int Identifier() const;
  // v >= 0: every other table holding v takes this table's old identifier, then this takes
  // v. Negative values are ignored.
  void SetIdentifier(int v);
  // Earliest-created live table holding `identifier`, or nullptr.
  static TGridTable* FindByIdentifier(int identifier);
  static int RegistryIndexOfIdentifier(int identifier);  // -1 when none
  static int RegistryIndexOf(const TGridTable* table);   // -1 when not live
  static TGridTable* RegistryAt(int position);           // nullptr when out of range
  static int RegistryCount();

  // --- properties ---
  int ID() const { return id_; }
  void SetID(int v);
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v) { caption_ = std::move(v); }
  const std::string& Comments() const { return comments_; }
  void SetComments(std::string v) { comments_ = std::move(v); }
  const std::string& TopLeft() const { return top_left_; }
  void SetTopLeft(std::string v) { top_left_ = std::move(v); }
  int MinRows() const { return min_rows_; }
  // v <= 0 throws EGridError "Value must be greater than 0" and stores nothing.
  void SetMinRows(int v);
  int MaxRows() const { return max_rows_; }  // 0: no limit
  void SetMaxRows(int v) { max_rows_ = v < 0 ? 0 : v; }
  int RowGroup() const { return row_group_; }
  void SetRowGroup(int v) { row_group_ = v < 1 ? 1 : v; }
  // 1-based group number of a row (the row label the editing window shows).
  int GroupNumber(int iRow) const { return iRow / row_group_ + 1; }

  // --- rows ---
  int RowCount() const { return row_count_; }
  // max(0, v); columns delete rows from their end or insert groups at it (the last group
  // may be partial so that every column has exactly RowCount rows). No event.
  void SetRowCount(int v);
  void AddRowGroup();
  // Inserts RowGroup rows at the first row of the group holding iRow (0 <= iRow <= RowCount).
  void InsertRowGroup(int iRow);
  // Deletes the rows of the group holding index.
  void DeleteRowGroup(int index);

  // --- columns ---
  int ColCount() const { return static_cast<int>(columns_.size()); }
  TColumn& GetColumn(int index) const;
  TColumn& Columns(int index) const { return GetColumn(index); }
  int IndexOf(const TColumn* column) const;  // -1 when not a column of this table
  TColumn& AddColumn(ColumnKind kind);
  TColumn& InsertColumn(int iColumn, ColumnKind kind);  // 0 <= iColumn <= ColCount
  void DeleteColumn(int iColumn);
  // A new column of `kind` takes the old one's heading, Visible, SameGroup and place.
  TColumn& ReplaceColumn(int iColumn, ColumnKind kind);
  template <class C> C& AddColumn() { return static_cast<C&>(AddColumn(C::kKind)); }
  template <class C> C& InsertColumn(int i) { return static_cast<C&>(InsertColumn(i, C::kKind)); }
  template <class C> C& ReplaceColumn(int i) { return static_cast<C&>(ReplaceColumn(i, C::kKind)); }
  // Typed column (throws EInvalidCast when the column is of another kind).
  template <class C> C& Col(int index) const {
    auto* c = dynamic_cast<C*>(&GetColumn(index));
    if (!c) throw EInvalidCast("Data of wrong type");
    return *c;
  }
  // The n-th visible column (EListError "Index out of bounds" outside the range).
  TColumn& VisibleColumn(int n) const;
  int VisibleColCount() const;
  // Gives every nested-table column as many template entries as column 0 has choices
  // (when column 0 is an enumeration column, else one).
  void SyncTemplates();

  // --- cells ---
  bool CellExists(int iCol, int iRow) const;
  TData& GetData(int aCol, int aRow) const;
  double GetFloatValue(int iCol, int iRow) const;
  void SetFloatValue(int iCol, int iRow, double value);
  int GetIntValue(int iCol, int iRow) const;
  void SetIntValue(int iCol, int iRow, int value);
  TGridTable* GetDataValue(int iCol, int iRow) const;
  std::string GetStringValue(int iCol, int iRow) const;
  void SetStringValue(int iCol, int iRow, std::string_view text);

  // --- units ---
  int Units() const { return units_; }
  // A different value converts every column, stores v, fires OnMajorChange; the same value
  // does nothing.
  void SetUnits(int v);

  // --- change tracking ---
  // fChanged set, or a column (a nested table) reports a change.
  bool Changed() const;
  // true sets the own flag; false is ResetChanged.
  void SetChanged(bool v);
  // Clears the own flag and every nested table's.
  void ResetChanged();

  // --- headings ---
  // The greatest number of heading lines among the visible columns.
  int HeadingRows() const;

  // --- editing window state (owned by the GUI) ---
  bool WindowOpen() const { return window_open_; }
  bool IsModal() const { return window_open_ && window_modal_; }
  void SetWindowOpen(bool open, bool modal = false);
  // Hides the window (OnHideWindow) and the nested tables' windows.
  void Hide();

  // --- events ---
  std::function<void()> OnMajorChange;               // after every structural change
  std::function<void(int iCol, int iRow)> OnCellChange;  // after every cell change
  std::function<void()> OnHideWindow;                // Hide() asks the GUI to hide
  std::function<void()> OnCaptionChange;             // ID changed while the window exists
  TButtonClickEvent OnButtonClick;
  TGetButtonCaptionEvent OnGetButtonCaption;
  TGetChangedEvent OnGetChanged;
  THideEvent OnHide;
  TInitRowEvent OnInitRow;
  TResetChangedEvent OnResetChanged;
  TSetRowEvent OnSetRow;
  TSetUnitsEvent OnSetUnits;

 private:
  friend class TColumn;
  friend class TEnumColumn;
  void MajorChange();
  void ColumnCellChanged(TColumn& col, int iRow);
  void ColumnNamesChanged(TEnumColumn& col);
  TColumn& Attach(std::unique_ptr<TColumn> col, int position);
  static std::unique_ptr<TColumn> MakeColumn(TGridTable& owner, ColumnKind kind);
  void CheckCol(int iCol) const;

  int id_ = 0;
  std::string caption_;
  bool changed_ = false;
  std::string comments_;
  int identifier_ = 0;
  int min_rows_ = 1;
  int max_rows_ = 0;
  int row_count_ = 0;
  int row_group_ = 1;
  std::string top_left_;
  int units_ = 1;
  bool window_open_ = false;
  bool window_modal_ = false;
  std::vector<std::unique_ptr<TColumn>> columns_;
};

}  // namespace korva::project
