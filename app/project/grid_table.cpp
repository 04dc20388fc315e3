#include "grid_table.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <utility>

#include "units.h"

namespace korva::project {

namespace {

constexpr const char* kWrongType = "Data of wrong type";
constexpr const char* kOutOfBounds = "Index out of bounds";

// Process-wide list of live tables in creation order plus the identifier counter. Never
// destroyed, so tables that outlive static destruction can still leave it.
struct Registry {
  std::mutex mutex;
  std::vector<TGridTable*> tables;
  int counter = 0;
};

Registry& Reg() {
  static Registry* registry = new Registry;
  return *registry;
}

// Evaluates the text of a numeric entry. Evaluator errors pass unchanged; any other
// conversion failure becomes "<text> is not a valid number.".
double EvaluateEntry(std::string_view text) {
  if (text.empty()) throw EAssignError("Entry cannot be blank.");
  double v;
  try {
    v = EvaluateExpression(text);
  } catch (const EAssignError&) {
    throw;
  } catch (const std::exception&) {
    throw EAssignError(std::string(text) + " is not a valid number.");
  }
  if (!std::isfinite(v)) throw EAssignError(std::string(text) + " is not a valid number.");
  return v;
}

bool InIntRange(double v) {
  return v >= static_cast<double>(std::numeric_limits<int>::min()) &&
         v <= static_cast<double>(std::numeric_limits<int>::max());
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TData

int TData::Row() const {
  int r = base_col_->IndexOfData(this);
  if (r < 0) throw EListError(kOutOfBounds);
  return r;
}
int TData::Int() const { return base_col_->GetIntValue(Row()); }
void TData::SetInt(int value) { base_col_->SetIntValue(Row(), value); }
double TData::Float() const { return base_col_->GetFloatValue(Row()); }
void TData::SetFloat(double value) { base_col_->SetFloatValue(Row(), value); }
TGridTable* TData::Data() const { return base_col_->GetDataValue(Row()); }
std::string TData::Value() const { return base_col_->GetStringValue(Row()); }
void TData::SetValue(std::string_view text) { base_col_->SetStringValue(Row(), text); }

// ---------------------------------------------------------------------------------------
// TColumn

TColumn::TColumn(TGridTable& owner) : owner_(&owner) {}
TColumn::~TColumn() = default;

void TColumn::WrongType() { throw EInvalidCast(kWrongType); }

void TColumn::CheckRow(int iRow) const {
  if (iRow < 0 || iRow >= Count()) throw EListError(kOutOfBounds);
}

int TColumn::GetDisplayHeadingCount() const { return static_cast<int>(heading_.size()); }

std::string TColumn::GetDisplayHeadings(int iLine) const {
  if (iLine < 0 || iLine >= static_cast<int>(heading_.size())) throw EListError(kOutOfBounds);
  return heading_[iLine];
}

double TColumn::GetFloatValue(int) const { WrongType(); }
void TColumn::SetFloatValue(int, double) { WrongType(); }
int TColumn::GetIntValue(int) const { WrongType(); }
void TColumn::SetIntValue(int, int) { WrongType(); }
TGridTable* TColumn::GetDataValue(int) const { WrongType(); }
TRowObject* TColumn::GetObjValue(int) const { WrongType(); }
std::string TColumn::GetStringValue(int iRow) const {
  CheckRow(iRow);
  return {};
}
void TColumn::SetStringValue(int iRow, std::string_view) { CheckRow(iRow); }

int TColumn::GetEnumCount() const {
  auto* e = dynamic_cast<const TEnumColumn*>(this);
  return e ? static_cast<int>(e->names_.size()) : 0;
}

std::string TColumn::GetEnumStr(int i) const {
  auto* e = dynamic_cast<const TEnumColumn*>(this);
  if (!e) return {};
  if (i < 0 || i >= static_cast<int>(e->names_.size())) throw EListError(kOutOfBounds);
  return e->names_[i];
}

void TColumn::SetEnumStr(int i, std::string name) {
  auto* e = dynamic_cast<TEnumColumn*>(this);
  if (!e) return;
  if (i < 0 || i >= static_cast<int>(e->names_.size())) throw EListError(kOutOfBounds);
  e->names_[i] = std::move(name);
  e->NamesChanged();
}

void TColumn::AddEnumStr(std::string name) {
  if (auto* e = dynamic_cast<TEnumColumn*>(this)) {
    e->names_.push_back(std::move(name));
    e->NamesChanged();
  }
}

void TColumn::DelEnumStr(int i) {
  auto* e = dynamic_cast<TEnumColumn*>(this);
  if (!e) return;
  if (i < 0 || i >= static_cast<int>(e->names_.size())) throw EListError(kOutOfBounds);
  e->names_.erase(e->names_.begin() + i);
  e->NamesChanged();
}

void TColumn::ClearEnumStr() {
  if (auto* e = dynamic_cast<TEnumColumn*>(this)) {
    e->names_.clear();
    e->NamesChanged();
  }
}

TData& TColumn::GetData(int iRow) const {
  CheckRow(iRow);
  return *data_[iRow];
}

int TColumn::IndexOfData(const TData* d) const {
  for (size_t i = 0; i < data_.size(); ++i)
    if (data_[i].get() == d) return static_cast<int>(i);
  return -1;
}

int TColumn::GetRowGroup() const { return owner_->RowGroup(); }

void TColumn::InsertRows(int first, int count) {
  if (first < 0 || first > Count() || count < 0) throw EListError(kOutOfBounds);
  InsertValues(first, count);
  std::vector<std::unique_ptr<TData>> handles;
  for (int k = 0; k < count; ++k) handles.push_back(std::make_unique<TData>(*this));
  data_.insert(data_.begin() + first, std::make_move_iterator(handles.begin()),
               std::make_move_iterator(handles.end()));
}

void TColumn::DeleteRow(int iRow) {
  CheckRow(iRow);
  DeleteValue(iRow);
  data_.erase(data_.begin() + iRow);
}

void TColumn::CellChanged(int iRow) { owner_->ColumnCellChanged(*this, iRow); }

std::pair<int, int> TColumn::SetRange(int iRow) const {
  if (!same_group_) return {iRow, iRow + 1};
  int g = GetRowGroup();
  int first = g * (iRow / g);
  return {first, std::min(first + g, Count())};
}

void TColumn::CopyBaseTo(TColumn& other) const {
  other.heading_ = heading_;
  other.visible_ = visible_;
}

// ---------------------------------------------------------------------------------------
// TEnumColumn

void TEnumColumn::SetNames(std::vector<std::string> names) {
  names_ = std::move(names);
  NamesChanged();
}

void TEnumColumn::NamesChanged() {
  Owner().ColumnNamesChanged(*this);
  if (OnNamesChange) OnNamesChange(*this);
}

int TEnumColumn::GetIntValue(int iRow) const {
  CheckRow(iRow);
  return values_[iRow];
}

void TEnumColumn::SetIntValue(int iRow, int value) {
  CheckRow(iRow);
  auto [first, last] = SetRange(iRow);
  for (int i = first; i < last && i < Count(); ++i) {
    if (values_[i] == value) continue;
    values_[i] = value;
    CellChanged(i);
  }
}

std::string TEnumColumn::GetStringValue(int iRow) const { return std::to_string(GetIntValue(iRow)); }

void TEnumColumn::SetStringValue(int iRow, std::string_view text) {
  CheckRow(iRow);
  double v = EvaluateEntry(text);
  double r = std::nearbyint(v);
  if (std::fabs(v - r) > 1e-10 || !InIntRange(r)) throw EAssignError("Value must be an integer.");
  SetIntValue(iRow, static_cast<int>(r));
}

std::unique_ptr<TColumn> TEnumColumn::Clone(TGridTable& newOwner) const {
  auto c = std::make_unique<TEnumColumn>(newOwner);
  CopyBaseTo(*c);
  c->names_ = names_;
  return c;
}

void TEnumColumn::InsertValues(int first, int count) { values_.insert(values_.begin() + first, count, 1); }
void TEnumColumn::DeleteValue(int iRow) { values_.erase(values_.begin() + iRow); }

// ---------------------------------------------------------------------------------------
// TIntColumn

int TIntColumn::GetIntValue(int iRow) const {
  CheckRow(iRow);
  return values_[iRow];
}

void TIntColumn::SetIntValue(int iRow, int value) {
  CheckRow(iRow);
  auto [first, last] = SetRange(iRow);
  for (int i = first; i < last && i < Count(); ++i) {
    values_[i] = value;
    CellChanged(i);
  }
}

std::string TIntColumn::GetStringValue(int iRow) const { return std::to_string(GetIntValue(iRow)); }

void TIntColumn::SetStringValue(int iRow, std::string_view text) {
  CheckRow(iRow);
  double v = EvaluateEntry(text);
  if (Owner().WindowOpen()) {
    if (v - std::trunc(v) > 1e-10) throw EAssignError("Entry must be an integer.");
    if (v < minimum_ || v > maximum_)
      throw EAssignError("Entry must be between " + std::to_string(minimum_) + " and " +
                         std::to_string(maximum_) + ".");
  }
  double r = std::nearbyint(v);
  // Without the window nothing is checked, but a value beyond the 32-bit range cannot be
  // stored at all.
  if (!InIntRange(r))
    throw EAssignError("Entry must be between " + std::to_string(std::numeric_limits<int>::min()) +
                       " and " + std::to_string(std::numeric_limits<int>::max()) + ".");
  SetIntValue(iRow, static_cast<int>(r));
}

std::unique_ptr<TColumn> TIntColumn::Clone(TGridTable& newOwner) const {
  auto c = std::make_unique<TIntColumn>(newOwner);
  CopyBaseTo(*c);
  c->default_ = default_;
  c->minimum_ = minimum_;
  c->maximum_ = maximum_;
  return c;
}

void TIntColumn::InsertValues(int first, int count) {
  values_.insert(values_.begin() + first, count, default_);
}
void TIntColumn::DeleteValue(int iRow) { values_.erase(values_.begin() + iRow); }

// ---------------------------------------------------------------------------------------
// TFloatColumn

TFloatColumn* TFloatColumn::NextFloat() const {
  int me = Owner().IndexOf(this);
  if (me < 0 || me + 1 >= Owner().ColCount()) return nullptr;
  return dynamic_cast<TFloatColumn*>(&Owner().GetColumn(me + 1));
}

TFloatColumn* TFloatColumn::TopDepthBefore() const {
  int me = Owner().IndexOf(this);
  if (me < 1) return nullptr;
  auto* prev = dynamic_cast<TFloatColumn*>(&Owner().GetColumn(me - 1));
  return prev && prev->top_depth_ ? prev : nullptr;
}

std::string TFloatColumn::GetDisplayHeadings(int iLine) const {
  std::string line = TColumn::GetDisplayHeadings(iLine);
  if (units_string_.empty() || iLine != GetDisplayHeadingCount() - 1) return line;
  return line + " (" + UnitDisplayName(units_string_, Owner().Units()) + ")  ";
}

double TFloatColumn::GetFloatValue(int iRow) const {
  CheckRow(iRow);
  return values_[iRow];
}

void TFloatColumn::Store(int iRow, double value) {
  values_[iRow] = value;
  CellChanged(iRow);
}

void TFloatColumn::SetFloatValue(int iRow, double value) {
  CheckRow(iRow);
  if (SameGroup()) {
    auto [first, last] = SetRange(iRow);
    for (int i = first; i < last && i < Count(); ++i) Store(i, value);
    return;
  }
  Store(iRow, value);
  // Keep a top-depth pair continuous: top of row r = bottom of row r - 1.
  if (top_depth_) {
    TFloatColumn* next = NextFloat();
    if (next && iRow >= 1 && iRow - 1 < next->Count()) next->Store(iRow - 1, value);
  }
  TFloatColumn* top = TopDepthBefore();
  if (top && iRow + 1 < top->Count()) top->Store(iRow + 1, value);
}

std::string TFloatColumn::GetStringValue(int iRow) const { return FormatGeneral(GetFloatValue(iRow), 8); }

void TFloatColumn::SetStringValue(int iRow, std::string_view text) {
  CheckRow(iRow);
  SetFloatValue(iRow, EvaluateEntry(text));
}

void TFloatColumn::ConvertUnits(int newUnits) {
  double f = UnitConversionFactor(units_string_, Owner().Units(), newUnits);
  for (int i = 0; i < Count(); ++i) Store(i, values_[i] * f);
}

std::unique_ptr<TColumn> TFloatColumn::Clone(TGridTable& newOwner) const {
  auto c = std::make_unique<TFloatColumn>(newOwner);
  CopyBaseTo(*c);
  c->default_ = default_;
  c->top_depth_ = top_depth_;
  c->units_string_ = units_string_;
  return c;
}

void TFloatColumn::InsertValues(int first, int count) {
  std::vector<double> fresh(count, default_);
  if (top_depth_) {
    int me = Owner().IndexOf(this);
    if (me >= 0 && me + 1 < Owner().ColCount()) {
      auto* next = dynamic_cast<TFloatColumn*>(&Owner().GetColumn(me + 1));
      if (!next) throw EGridError("If column if a topdepth then the next column must be a float column");
      // The next column has not received the new rows yet.
      for (int k = 0; k < count; ++k) {
        int r = first + k;
        if (r >= 1 && r <= next->Count() - 1) fresh[k] = next->values_[r - 1];
      }
    }
  } else if (TFloatColumn* top = TopDepthBefore()) {
    // The top-depth column already holds the new rows.
    for (int k = 0; k < count; ++k) {
      int r = first + k;
      if (r + 1 < top->Count()) fresh[k] = top->values_[r + 1];
    }
  }
  values_.insert(values_.begin() + first, fresh.begin(), fresh.end());
}

void TFloatColumn::DeleteValue(int iRow) { values_.erase(values_.begin() + iRow); }

void TFloatColumn::DeleteRow(int iRow) {
  CheckRow(iRow);
  if (top_depth_ && iRow > 0 && iRow < Count() - 1) {
    TFloatColumn* next = NextFloat();
    if (next && iRow - 1 < next->Count()) Store(iRow + 1, next->values_[iRow - 1]);
  }
  TColumn::DeleteRow(iRow);
}

// ---------------------------------------------------------------------------------------
// TStringColumn

std::string TStringColumn::GetStringValue(int iRow) const {
  CheckRow(iRow);
  return values_[iRow];
}

void TStringColumn::SetStringValue(int iRow, std::string_view text) {
  CheckRow(iRow);
  auto [first, last] = SetRange(iRow);
  for (int i = first; i < last && i < Count(); ++i) {
    values_[i] = std::string(text);
    CellChanged(i);
  }
}

std::unique_ptr<TColumn> TStringColumn::Clone(TGridTable& newOwner) const {
  auto c = std::make_unique<TStringColumn>(newOwner);
  CopyBaseTo(*c);
  c->default_ = default_;
  c->min_width_ = min_width_;
  return c;
}

void TStringColumn::InsertValues(int first, int count) {
  values_.insert(values_.begin() + first, count, default_);
}
void TStringColumn::DeleteValue(int iRow) { values_.erase(values_.begin() + iRow); }

// ---------------------------------------------------------------------------------------
// TGridTableList

const TGridTableList::Entry& TGridTableList::At(int i) const {
  if (i < 0 || i >= Count()) throw EListError(kOutOfBounds);
  return entries_[i];
}

void TGridTableList::Set(int i, Entry e) {
  if (i < 0 || i >= Count()) throw EListError(kOutOfBounds);
  entries_[i] = e;
}

int TGridTableList::TableIndices(int i) const {
  const Entry& e = At(i);
  if (e.by_identifier) return TGridTable::RegistryIndexOfIdentifier(e.value);
  return e.value >= 0 && e.value < TGridTable::RegistryCount() ? e.value : -1;
}

TGridTable* TGridTableList::Elements(int i) const {
  const Entry& e = At(i);
  if (e.by_identifier) return TGridTable::FindByIdentifier(e.value);
  return TGridTable::RegistryAt(e.value);
}

void TGridTableList::AddTable(const TGridTable* table) {
  AddPosition(table ? TGridTable::RegistryIndexOf(table) : -1);
}
void TGridTableList::AddPosition(int position) { entries_.push_back({false, position}); }
void TGridTableList::AddIdentifier(int identifier) { entries_.push_back({true, identifier}); }
void TGridTableList::Resize(int count) { entries_.resize(std::max(0, count), Entry{}); }

// ---------------------------------------------------------------------------------------
// TTableColumn

TTableColumn::~TTableColumn() = default;

int TTableColumn::MyIndex() const { return Owner().IndexOf(this); }

TGridTable* TTableColumn::GetDataValue(int iRow) const {
  return dynamic_cast<TGridTable*>(GetObjValue(iRow));
}

TRowObject* TTableColumn::GetObjValue(int iRow) const {
  CheckRow(iRow);
  return values_[iRow].get();
}

void TTableColumn::SetStringValue(int iRow, std::string_view) { CheckRow(iRow); }

void TTableColumn::UpdateDataValue(int iRow) {
  CheckRow(iRow);
  TGridTable& own = Owner();
  int type = 1;
  if (own.ColCount() > 0) {
    TColumn& c0 = own.GetColumn(0);
    if (c0.Kind() == ColumnKind::Enum && iRow < c0.Count()) type = c0.GetIntValue(iRow);
  }
  TGridTable* tmpl = type >= 1 && type <= templates_.Count() ? templates_.Elements(type - 1) : nullptr;
  std::unique_ptr<TRowObject> obj;
  if (tmpl) {
    obj = TGridTable::CreateCopy(&own, iRow + 1, *tmpl);
  } else if (own.OnInitRow) {
    int col = MyIndex();
    own.OnInitRow(own, col, iRow, type, obj);
    // A failing OnSetRow frees the new object (obj goes out of scope) and passes on.
    if (own.OnSetRow) own.OnSetRow(own, col, obj.get(), iRow);
  }
  // Event handlers may have changed the table meanwhile.
  CheckRow(iRow);
  values_[iRow] = std::move(obj);
}

std::string TTableColumn::GetButtonCaption(int iRow) const {
  CheckRow(iRow);
  std::string text;
  if (auto* t = dynamic_cast<TGridTable*>(values_[iRow].get())) {
    text = t->Caption();
  } else if (Owner().OnGetButtonCaption) {
    Owner().OnGetButtonCaption(Owner(), MyIndex(), iRow, values_[iRow].get(), text);
  }
  return std::to_string(iRow + 1) + ": " + text;
}

TGridTable* TTableColumn::ButtonClick(int iRow) {
  CheckRow(iRow);
  if (auto* t = dynamic_cast<TGridTable*>(values_[iRow].get())) return t;
  if (Owner().OnButtonClick) Owner().OnButtonClick(Owner(), MyIndex(), iRow, values_[iRow].get());
  return nullptr;
}

bool TTableColumn::GetChanged() const {
  for (int r = 0; r < Count(); ++r) {
    if (auto* t = dynamic_cast<TGridTable*>(values_[r].get())) {
      if (t->Changed()) return true;
    } else if (Owner().OnGetChanged) {
      bool changed = false;
      Owner().OnGetChanged(Owner(), MyIndex(), r, values_[r].get(), changed);
      if (changed) return true;
    }
  }
  return false;
}

void TTableColumn::HideDetails() {
  for (int r = 0; r < Count(); ++r) {
    if (auto* t = dynamic_cast<TGridTable*>(values_[r].get())) t->Hide();
    else if (Owner().OnHide) Owner().OnHide(Owner(), MyIndex(), r, values_[r].get());
  }
}

void TTableColumn::ResetDetailsChanged() {
  for (int r = 0; r < Count(); ++r) {
    if (auto* t = dynamic_cast<TGridTable*>(values_[r].get())) t->ResetChanged();
    else if (Owner().OnResetChanged) Owner().OnResetChanged(Owner(), MyIndex(), r, values_[r].get());
  }
}

void TTableColumn::ConvertUnits(int newUnits) {
  for (int r = 0; r < Count(); ++r) {
    if (auto* t = dynamic_cast<TGridTable*>(values_[r].get())) t->SetUnits(newUnits);
    else if (Owner().OnSetUnits) Owner().OnSetUnits(Owner(), MyIndex(), r, values_[r].get(), newUnits);
  }
}

std::unique_ptr<TColumn> TTableColumn::Clone(TGridTable& newOwner) const {
  auto c = std::make_unique<TTableColumn>(newOwner);
  CopyBaseTo(*c);
  for (int i = 0; i < templates_.Count(); ++i) c->templates_.AddPosition(templates_.TableIndices(i));
  return c;
}

void TTableColumn::InsertRows(int first, int count) {
  TColumn::InsertRows(first, count);
  for (int r = first; r < first + count; ++r) UpdateDataValue(r);
  Renumber(first + count);
}

void TTableColumn::DeleteRow(int iRow) {
  TColumn::DeleteRow(iRow);
  Renumber(iRow);
}

void TTableColumn::Renumber(int from) {
  for (int r = std::max(0, from); r < Count(); ++r) {
    if (auto* t = dynamic_cast<TGridTable*>(values_[r].get())) t->SetID(r + 1);
    else if (Owner().OnSetRow) Owner().OnSetRow(Owner(), MyIndex(), values_[r].get(), r);
  }
}

void TTableColumn::InsertValues(int first, int count) {
  std::vector<std::unique_ptr<TRowObject>> empty(static_cast<size_t>(count));
  values_.insert(values_.begin() + first, std::make_move_iterator(empty.begin()),
                 std::make_move_iterator(empty.end()));
}
void TTableColumn::DeleteValue(int iRow) { values_.erase(values_.begin() + iRow); }

// ---------------------------------------------------------------------------------------
// TGridTable: registry

TGridTable::TGridTable(const TGridTable* unitsFrom) {
  if (unitsFrom) units_ = unitsFrom->units_;
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  identifier_ = reg.counter++;
  reg.tables.push_back(this);
}

TGridTable::~TGridTable() {
  // Nested tables go with the columns; no events are raised on the way out.
  columns_.clear();
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  std::erase(reg.tables, this);
}

int TGridTable::Identifier() const {
  std::lock_guard lock(Reg().mutex);
  return identifier_;
}

void TGridTable::SetIdentifier(int v) {
  if (v < 0) return;
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  for (TGridTable* t : reg.tables)
    if (t != this && t->identifier_ == v) t->identifier_ = identifier_;
  identifier_ = v;
}

TGridTable* TGridTable::FindByIdentifier(int identifier) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  for (TGridTable* t : reg.tables)
    if (t->identifier_ == identifier) return t;
  return nullptr;
}

int TGridTable::RegistryIndexOfIdentifier(int identifier) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  for (size_t i = 0; i < reg.tables.size(); ++i)
    if (reg.tables[i]->identifier_ == identifier) return static_cast<int>(i);
  return -1;
}

int TGridTable::RegistryIndexOf(const TGridTable* table) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  auto it = std::find(reg.tables.begin(), reg.tables.end(), table);
  return it == reg.tables.end() ? -1 : static_cast<int>(it - reg.tables.begin());
}

TGridTable* TGridTable::RegistryAt(int position) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  if (position < 0 || position >= static_cast<int>(reg.tables.size())) return nullptr;
  return reg.tables[position];
}

int TGridTable::RegistryCount() {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  return static_cast<int>(reg.tables.size());
}

std::unique_ptr<TGridTable> TGridTable::CreateCopy(const TGridTable* owner, int iRowNumber,
                                                   const TGridTable& source) {
  // A template whose rows copy templates that lead back to itself would recurse forever.
  static thread_local int depth = 0;
  if (depth >= 32) throw EGridError("Nested table templates refer to each other");
  struct DepthGuard {
    DepthGuard() { ++depth; }
    ~DepthGuard() { --depth; }
  } guard;

  auto t = std::make_unique<TGridTable>(owner);
  t->caption_ = source.caption_;
  t->comments_ = source.comments_;
  t->top_left_ = source.top_left_;
  t->row_count_ = 0;
  t->min_rows_ = source.min_rows_;
  t->max_rows_ = source.max_rows_;
  for (const auto& c : source.columns_) t->Attach(c->Clone(*t), t->ColCount());
  t->SetID(iRowNumber);
  t->SetRowCount(t->min_rows_);
  t->MajorChange();
  return t;
}

// ---------------------------------------------------------------------------------------
// TGridTable: properties, rows, columns

void TGridTable::SetID(int v) {
  id_ = v;
  if (window_open_ && OnCaptionChange) OnCaptionChange();
}

void TGridTable::SetMinRows(int v) {
  if (v <= 0) throw EGridError("Value must be greater than 0");
  min_rows_ = v;
}

void TGridTable::MajorChange() {
  if (OnMajorChange) OnMajorChange();
}

void TGridTable::SetRowCount(int v) {
  row_count_ = std::max(0, v);
  for (auto& c : columns_) {
    while (c->Count() > row_count_) c->DeleteRow(c->Count() - 1);
    while (c->Count() < row_count_) c->InsertRows(c->Count(), std::min(row_group_, row_count_ - c->Count()));
  }
}

void TGridTable::AddRowGroup() {
  row_count_ += row_group_;
  for (auto& c : columns_) c->InsertRows(c->Count(), row_group_);
  MajorChange();
}

void TGridTable::InsertRowGroup(int iRow) {
  if (iRow < 0 || iRow > row_count_) throw EListError(kOutOfBounds);
  int first = std::min(row_group_ * (iRow / row_group_), row_count_);
  row_count_ += row_group_;
  for (auto& c : columns_) c->InsertRows(std::min(first, c->Count()), row_group_);
  MajorChange();
}

void TGridTable::DeleteRowGroup(int index) {
  if (index < 0 || index >= row_count_) throw EListError(kOutOfBounds);
  int first = row_group_ * (index / row_group_);
  int n = std::min(row_group_, row_count_ - first);
  row_count_ -= n;
  for (auto& c : columns_)
    for (int k = 0; k < n && first < c->Count(); ++k) c->DeleteRow(first);
  MajorChange();
}

void TGridTable::CheckCol(int iCol) const {
  if (iCol < 0 || iCol >= ColCount()) throw EListError(kOutOfBounds);
}

TColumn& TGridTable::GetColumn(int index) const {
  CheckCol(index);
  return *columns_[index];
}

int TGridTable::IndexOf(const TColumn* column) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].get() == column) return static_cast<int>(i);
  return -1;
}

std::unique_ptr<TColumn> TGridTable::MakeColumn(TGridTable& owner, ColumnKind kind) {
  switch (kind) {
    case ColumnKind::Enum: return std::make_unique<TEnumColumn>(owner);
    case ColumnKind::Int: return std::make_unique<TIntColumn>(owner);
    case ColumnKind::Float: return std::make_unique<TFloatColumn>(owner);
    case ColumnKind::Table: return std::make_unique<TTableColumn>(owner);
    case ColumnKind::String: return std::make_unique<TStringColumn>(owner);
  }
  throw EGridError("Error Column Class not defined");
}

TColumn& TGridTable::Attach(std::unique_ptr<TColumn> col, int position) {
  TColumn* c = col.get();
  columns_.insert(columns_.begin() + position, std::move(col));
  try {
    while (c->Count() < row_count_) c->InsertRows(c->Count(), std::min(row_group_, row_count_ - c->Count()));
  } catch (...) {
    columns_.erase(columns_.begin() + IndexOf(c));
    throw;
  }
  return *c;
}

TColumn& TGridTable::AddColumn(ColumnKind kind) { return InsertColumn(ColCount(), kind); }

TColumn& TGridTable::InsertColumn(int iColumn, ColumnKind kind) {
  if (iColumn < 0 || iColumn > ColCount()) throw EListError(kOutOfBounds);
  TColumn& c = Attach(MakeColumn(*this, kind), iColumn);
  SyncTemplates();
  MajorChange();
  return c;
}

void TGridTable::DeleteColumn(int iColumn) {
  CheckCol(iColumn);
  columns_.erase(columns_.begin() + iColumn);
  MajorChange();
}

TColumn& TGridTable::ReplaceColumn(int iColumn, ColumnKind kind) {
  CheckCol(iColumn);
  std::unique_ptr<TColumn> fresh = MakeColumn(*this, kind);
  TColumn* c = fresh.get();
  c->heading_ = columns_[iColumn]->heading_;
  c->visible_ = columns_[iColumn]->visible_;
  c->same_group_ = columns_[iColumn]->same_group_;
  std::unique_ptr<TColumn> old = std::exchange(columns_[iColumn], std::move(fresh));
  try {
    while (c->Count() < row_count_) c->InsertRows(c->Count(), std::min(row_group_, row_count_ - c->Count()));
  } catch (...) {
    columns_[iColumn] = std::move(old);
    throw;
  }
  old.reset();
  SyncTemplates();
  MajorChange();
  return *c;
}

int TGridTable::VisibleColCount() const {
  return static_cast<int>(std::count_if(columns_.begin(), columns_.end(), [](const auto& c) { return c->Visible(); }));
}

TColumn& TGridTable::VisibleColumn(int n) const {
  if (n >= 0) {
    for (const auto& c : columns_)
      if (c->Visible() && n-- == 0) return *c;
  }
  throw EListError(kOutOfBounds);
}

void TGridTable::SyncTemplates() {
  int wanted = 1;
  if (!columns_.empty() && columns_[0]->Kind() == ColumnKind::Enum) wanted = columns_[0]->GetEnumCount();
  for (auto& c : columns_)
    if (auto* t = dynamic_cast<TTableColumn*>(c.get())) t->Templates().Resize(wanted);
}

void TGridTable::ColumnNamesChanged(TEnumColumn& col) {
  if (IndexOf(&col) == 0) SyncTemplates();
}

void TGridTable::ColumnCellChanged(TColumn& col, int iRow) {
  int idx = IndexOf(&col);
  if (idx < 0) return;
  // The type in column 0 selects the nested table of the row.
  if (idx == 0 && col.Kind() == ColumnKind::Enum) {
    for (auto& c : columns_) {
      if (auto* t = dynamic_cast<TTableColumn*>(c.get())) {
        if (iRow < t->Count()) t->UpdateDataValue(iRow);
        break;
      }
    }
  }
  if (OnCellChange) OnCellChange(idx, iRow);
}

// ---------------------------------------------------------------------------------------
// TGridTable: cells, units, change tracking, headings, window

bool TGridTable::CellExists(int iCol, int iRow) const {
  return iCol >= 0 && iCol < ColCount() && iRow >= 0 && iRow < columns_[iCol]->Count();
}

TData& TGridTable::GetData(int aCol, int aRow) const { return GetColumn(aCol).GetData(aRow); }
double TGridTable::GetFloatValue(int iCol, int iRow) const { return GetColumn(iCol).GetFloatValue(iRow); }
void TGridTable::SetFloatValue(int iCol, int iRow, double value) { GetColumn(iCol).SetFloatValue(iRow, value); }
int TGridTable::GetIntValue(int iCol, int iRow) const { return GetColumn(iCol).GetIntValue(iRow); }
void TGridTable::SetIntValue(int iCol, int iRow, int value) { GetColumn(iCol).SetIntValue(iRow, value); }
TGridTable* TGridTable::GetDataValue(int iCol, int iRow) const { return GetColumn(iCol).GetDataValue(iRow); }
std::string TGridTable::GetStringValue(int iCol, int iRow) const { return GetColumn(iCol).GetStringValue(iRow); }
void TGridTable::SetStringValue(int iCol, int iRow, std::string_view text) {
  GetColumn(iCol).SetStringValue(iRow, text);
}

void TGridTable::SetUnits(int v) {
  if (v == units_) return;
  for (auto& c : columns_) c->ConvertUnits(v);
  units_ = v;
  MajorChange();
}

bool TGridTable::Changed() const {
  if (changed_) return true;
  return std::any_of(columns_.begin(), columns_.end(), [](const auto& c) { return c->GetChanged(); });
}

void TGridTable::SetChanged(bool v) {
  if (v) changed_ = true;
  else ResetChanged();
}

void TGridTable::ResetChanged() {
  changed_ = false;
  for (auto& c : columns_) c->ResetDetailsChanged();
}

int TGridTable::HeadingRows() const {
  int rows = 0;
  for (const auto& c : columns_)
    if (c->Visible()) rows = std::max(rows, c->GetDisplayHeadingCount());
  return rows;
}

void TGridTable::SetWindowOpen(bool open, bool modal) {
  window_open_ = open;
  window_modal_ = open && modal;
}

void TGridTable::Hide() {
  if (OnHideWindow) OnHideWindow();
  for (auto& c : columns_) c->HideDetails();
}

}  // namespace korva::project
