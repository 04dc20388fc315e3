// Grid table component and the project's tables.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "grid_table.h"
#include "project_tables.h"

using namespace korva::project;

namespace {

constexpr double kFtPerM = 3.280839895;

template <class E, class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  return "<no exception>";
}

// Records OnCellChange calls of a table.
struct CellLog {
  std::vector<std::pair<int, int>> calls;
  void Hook(TGridTable& t) {
    t.OnCellChange = [this](int c, int r) { calls.emplace_back(c, r); };
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Table basics and row groups

TEST(GridTable, NewTableDefaultsAndOwnerUnits) {
  TGridTable t;
  EXPECT_EQ(t.MinRows(), 1);
  EXPECT_EQ(t.MaxRows(), 0);
  EXPECT_EQ(t.RowGroup(), 1);
  EXPECT_EQ(t.RowCount(), 0);
  EXPECT_EQ(t.Units(), 1);
  EXPECT_EQ(t.ID(), 0);

  t.SetUnits(2);
  TGridTable child(&t);
  EXPECT_EQ(child.Units(), 2);
}

TEST(GridTable, RowCountRowGroupAndMinRowsWrites) {
  TGridTable t;
  t.AddColumn<TEnumColumn>();
  t.AddColumn<TIntColumn>();
  t.AddColumn<TFloatColumn>();
  t.AddColumn<TTableColumn>();
  t.AddColumn<TStringColumn>();
  t.SetRowCount(3);
  for (int c = 0; c < t.ColCount(); ++c) EXPECT_EQ(t.GetColumn(c).Count(), 3);

  t.SetRowCount(-3);
  EXPECT_EQ(t.RowCount(), 0);
  for (int c = 0; c < t.ColCount(); ++c) EXPECT_EQ(t.GetColumn(c).Count(), 0);
  EXPECT_FALSE(t.CellExists(0, 0));

  t.SetRowGroup(0);
  EXPECT_EQ(t.RowGroup(), 1);

  EXPECT_EQ(MessageOf<EGridError>([&] { t.SetMinRows(0); }), "Value must be greater than 0");
  EXPECT_EQ(t.MinRows(), 1);

  // A column added later receives the table's rows; a partial last group keeps the count.
  t.SetRowGroup(2);
  t.SetRowCount(3);
  auto& late = t.AddColumn<TIntColumn>();
  EXPECT_EQ(late.Count(), 3);
}

TEST(GridTable, RowGroupsInsertAndDeleteWholeGroups) {
  TGridTable t;
  auto& c = t.AddColumn<TIntColumn>();
  c.SetDefault(-1);
  t.SetRowGroup(2);
  t.SetRowCount(6);
  for (int r = 0; r < 6; ++r) c.SetIntValue(r, r);
  int major = 0;
  t.OnMajorChange = [&] { ++major; };

  t.InsertRowGroup(3);  // group of row 3 starts at row 2
  std::vector<int> got;
  for (int r = 0; r < t.RowCount(); ++r) got.push_back(c.GetIntValue(r));
  EXPECT_EQ(got, (std::vector<int>{0, 1, -1, -1, 2, 3, 4, 5}));

  t.DeleteRowGroup(5);  // rows 4 and 5
  got.clear();
  for (int r = 0; r < t.RowCount(); ++r) got.push_back(c.GetIntValue(r));
  EXPECT_EQ(got, (std::vector<int>{0, 1, -1, -1, 4, 5}));

  std::vector<int> labels;
  for (int r = 0; r < t.RowCount(); ++r) labels.push_back(t.GroupNumber(r));
  EXPECT_EQ(labels, (std::vector<int>{1, 1, 2, 2, 3, 3}));
  EXPECT_EQ(major, 2);

  t.AddRowGroup();
  EXPECT_EQ(t.RowCount(), 8);
  EXPECT_EQ(c.GetIntValue(7), -1);

  EXPECT_THROW(t.InsertRowGroup(9), EListError);
  EXPECT_THROW(t.DeleteRowGroup(8), EListError);
  EXPECT_THROW(t.DeleteRowGroup(-1), EListError);
}

TEST(GridTable, SameGroupColumnSetsWholeGroupWithEventPerRow) {
  TGridTable t;
  t.AddColumn<TIntColumn>();
  auto& shared = t.AddColumn<TFloatColumn>();
  shared.SetSameGroup(true);
  t.SetRowGroup(2);
  t.SetRowCount(4);
  CellLog log;
  log.Hook(t);

  t.SetFloatValue(1, 3, 7.5);
  EXPECT_EQ(t.GetFloatValue(1, 2), 7.5);
  EXPECT_EQ(t.GetFloatValue(1, 3), 7.5);
  EXPECT_EQ(t.GetFloatValue(1, 1), 0.0);
  EXPECT_EQ(log.calls, (std::vector<std::pair<int, int>>{{1, 2}, {1, 3}}));
}

TEST(GridTable, BadIndicesAndWrongKindsThrow) {
  TGridTable t;
  t.AddColumn<TIntColumn>();
  t.AddColumn<TStringColumn>().SetVisible(false);
  t.SetRowCount(2);

  EXPECT_EQ(MessageOf<EInvalidCast>([&] { t.GetFloatValue(0, 0); }), "Data of wrong type");
  EXPECT_THROW(t.SetFloatValue(0, 0, 1.0), EInvalidCast);
  EXPECT_THROW(t.GetIntValue(1, 0), EInvalidCast);
  EXPECT_THROW(t.GetDataValue(0, 0), EInvalidCast);
  EXPECT_THROW(t.Col<TFloatColumn>(0), EInvalidCast);

  EXPECT_THROW(t.GetIntValue(2, 0), EListError);
  EXPECT_THROW(t.GetIntValue(-1, 0), EListError);
  EXPECT_THROW(t.GetIntValue(0, 2), EListError);
  EXPECT_THROW(t.SetStringValue(1, -1, "x"), EListError);
  EXPECT_THROW(t.GetData(0, 5), EListError);
  EXPECT_THROW(t.DeleteColumn(3), EListError);
  EXPECT_THROW(t.GetColumn(0).GetDisplayHeadings(0), EListError);

  EXPECT_EQ(t.VisibleColCount(), 1);
  EXPECT_EQ(&t.VisibleColumn(0), &t.GetColumn(0));
  EXPECT_EQ(MessageOf<EListError>([&] { t.VisibleColumn(1); }), "Index out of bounds");

  EXPECT_TRUE(t.CellExists(1, 1));
  EXPECT_FALSE(t.CellExists(1, 2));
  EXPECT_FALSE(t.CellExists(2, 0));
}

TEST(GridTable, CellHandleFollowsItsRow) {
  TGridTable t;
  t.AddColumn<TFloatColumn>();
  t.SetRowCount(2);
  TData& d = t.GetData(0, 1);
  d.SetFloat(4.25);
  t.InsertRowGroup(0);
  EXPECT_EQ(d.Row(), 2);
  EXPECT_EQ(d.Float(), 4.25);
  EXPECT_EQ(d.Value(), "4.25");
  d.SetValue("2*3");
  EXPECT_EQ(t.GetFloatValue(0, 2), 6.0);
  EXPECT_THROW(d.Int(), EInvalidCast);
}

// ---------------------------------------------------------------------------------------
// Text entry

struct EntryCase {
  const char* text;
  bool window;
  int expected;           // stored value when no error
  const char* error;      // EAssignError message, or nullptr
};

TEST(GridTableEntry, IntegerColumnChecksOnlyWithWindow) {
  const EntryCase cases[] = {
      {"2.5", true, 0, "Entry must be an integer."},
      {"2.5", false, 2, nullptr},  // ties to even
      {"3.5", false, 4, nullptr},
      {"3.00000000001", true, 3, nullptr},
      {"101", true, 0, "Entry must be between 0 and 100."},
      {"-1", true, 0, "Entry must be between 0 and 100."},
      {"101", false, 101, nullptr},
      {"", false, 0, "Entry cannot be blank."},
      {"1e12", false, 0, "Entry must be between -2147483648 and 2147483647."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + (c.window ? " with window" : " without window"));
    TGridTable t;
    auto& col = t.AddColumn<TIntColumn>();
    col.SetMinimum(0);
    col.SetMaximum(100);
    t.SetRowCount(1);
    t.SetWindowOpen(c.window);
    if (c.error) {
      EXPECT_EQ(MessageOf<EAssignError>([&] { t.SetStringValue(0, 0, c.text); }), c.error);
      EXPECT_EQ(t.GetIntValue(0, 0), 0);
    } else {
      t.SetStringValue(0, 0, c.text);
      EXPECT_EQ(t.GetIntValue(0, 0), c.expected);
    }
  }
}

TEST(GridTableEntry, EnumerationSameValueRaisesNoEvent) {
  TGridTable t;
  auto& e = t.AddColumn<TEnumColumn>();
  e.SetNames({"a", "b", "c"});
  t.SetRowCount(1);
  t.SetIntValue(0, 0, 3);
  CellLog log;
  log.Hook(t);

  t.SetStringValue(0, 0, "3");
  EXPECT_TRUE(log.calls.empty());
  t.SetStringValue(0, 0, "7");  // not compared with the number of choices
  EXPECT_EQ(t.GetIntValue(0, 0), 7);
  EXPECT_EQ(log.calls.size(), 1u);

  for (const char* bad : {"2.5", "1e10"})
    EXPECT_EQ(MessageOf<EAssignError>([&] { t.SetStringValue(0, 0, bad); }), "Value must be an integer.") << bad;
  EXPECT_EQ(MessageOf<EAssignError>([&] { t.SetStringValue(0, 0, ""); }), "Entry cannot be blank.");
  EXPECT_EQ(t.GetStringValue(0, 0), "7");
}

TEST(GridTableEntry, RealTextAndNestedColumns) {
  TGridTable t;
  t.AddColumn<TFloatColumn>();
  t.AddColumn<TStringColumn>().SetDefault("none");
  t.AddColumn<TTableColumn>();
  t.SetRowCount(1);

  t.SetStringValue(0, 0, "1/3");
  EXPECT_DOUBLE_EQ(t.GetFloatValue(0, 0), 1.0 / 3.0);
  EXPECT_EQ(t.GetStringValue(0, 0), "0.33333333");
  EXPECT_THROW(t.SetStringValue(0, 0, "1+"), EAssignError);
  EXPECT_DOUBLE_EQ(t.GetFloatValue(0, 0), 1.0 / 3.0);

  EXPECT_EQ(t.GetStringValue(1, 0), "none");
  t.SetStringValue(1, 0, " 12 x ");
  EXPECT_EQ(t.GetStringValue(1, 0), " 12 x ");

  EXPECT_NO_THROW(t.SetStringValue(2, 0, "anything"));
  EXPECT_EQ(t.GetStringValue(2, 0), "");
}

// ---------------------------------------------------------------------------------------
// Units and headings

TEST(GridTableUnits, RealColumnConvertsOnceAndBack) {
  TGridTable t;
  auto& len = t.AddColumn<TFloatColumn>();
  len.SetUnitsString("L2");
  t.AddColumn<TFloatColumn>();  // dimensionless
  t.SetRowCount(1);
  t.SetFloatValue(0, 0, 10.0);
  t.SetFloatValue(1, 0, 10.0);
  int major = 0;
  t.OnMajorChange = [&] { ++major; };

  t.SetUnits(2);
  EXPECT_NEAR(t.GetFloatValue(0, 0), 10.0 / kFtPerM, 1e-12);
  EXPECT_NEAR(t.GetFloatValue(0, 0), 3.048, 1e-9);
  EXPECT_EQ(t.GetFloatValue(1, 0), 10.0);
  t.SetUnits(2);
  EXPECT_NEAR(t.GetFloatValue(0, 0), 3.048, 1e-9);
  EXPECT_EQ(major, 1);

  t.SetUnits(1);
  EXPECT_NEAR(t.GetFloatValue(0, 0), 10.0, 1e-12);
}

TEST(GridTableUnits, HeadingShowsUnitsOnLastLine) {
  TGridTable t;
  auto& depth = t.AddColumn<TFloatColumn>();
  depth.SetHeading({"Depth at Bottom", "of each Layer"});
  depth.SetUnitsString("L2");
  auto& plain = t.AddColumn<TFloatColumn>();
  plain.SetHeading({"Ratio"});
  auto& hidden = t.AddColumn<TIntColumn>();
  hidden.SetHeading({"a", "b", "c"});
  hidden.SetVisible(false);

  EXPECT_EQ(depth.GetDisplayHeadings(0), "Depth at Bottom");
  EXPECT_EQ(depth.GetDisplayHeadings(1), "of each Layer (ft)  ");
  EXPECT_EQ(plain.GetDisplayHeadings(0), "Ratio");
  t.SetUnits(2);
  EXPECT_EQ(depth.GetDisplayHeadings(1), "of each Layer (m)  ");
  EXPECT_EQ(t.HeadingRows(), 2);
  hidden.SetVisible(true);
  EXPECT_EQ(t.HeadingRows(), 3);
}

// ---------------------------------------------------------------------------------------
// Top-depth pairs

class TopDepthPair : public ::testing::Test {
 protected:
  void SetUp() override {
    t.AddColumn<TFloatColumn>().SetTopDepth(true);
    t.AddColumn<TFloatColumn>();
    t.SetRowCount(3);
    for (int r = 0; r < 3; ++r) t.SetFloatValue(1, r, 10.0 * (r + 1));  // bottoms 10, 20, 30
  }
  std::vector<double> Column(int c) const {
    std::vector<double> v;
    for (int r = 0; r < t.RowCount(); ++r) v.push_back(t.GetFloatValue(c, r));
    return v;
  }
  TGridTable t;
};

TEST_F(TopDepthPair, SettingEitherSideKeepsLayersContinuous) {
  EXPECT_EQ(Column(0), (std::vector<double>{0, 10, 20}));
  t.SetFloatValue(0, 2, 25);  // the top of row 2 moves the bottom of row 1
  EXPECT_EQ(Column(1), (std::vector<double>{10, 25, 30}));
}

TEST_F(TopDepthPair, DeletingMiddleRowJoinsNeighbours) {
  t.DeleteRowGroup(1);
  EXPECT_EQ(Column(0), (std::vector<double>{0, 10}));
  EXPECT_EQ(Column(1), (std::vector<double>{10, 30}));
}

TEST_F(TopDepthPair, InsertedRowStartsAtPreviousBottom) {
  t.InsertRowGroup(1);
  EXPECT_EQ(Column(0), (std::vector<double>{0, 10, 10, 20}));
  EXPECT_EQ(Column(1), (std::vector<double>{10, 10, 20, 30}));
}

TEST(GridTableTopDepth, NextColumnMustBeReal) {
  TGridTable t;
  t.AddColumn<TFloatColumn>().SetTopDepth(true);
  t.AddColumn<TIntColumn>();
  EXPECT_EQ(MessageOf<EGridError>([&] { t.SetRowCount(1); }),
            "If column if a topdepth then the next column must be a float column");
}

// ---------------------------------------------------------------------------------------
// Nested tables and the registry

namespace {

// Two templates and a layer-like table whose column 0 selects among them.
class NestedFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    tmplA.SetCaption("A");
    tmplA.SetMinRows(2);
    tmplA.AddColumn<TFloatColumn>().SetUnitsString("L2");
    tmplA.AddColumn<TIntColumn>().SetDefault(1);
    tmplA.SetIdentifier(9001);
    tmplB.SetCaption("B");
    tmplB.AddColumn<TStringColumn>();
    tmplB.SetIdentifier(9002);

    owner.AddColumn<TEnumColumn>().SetNames({"a", "b", "missing"});
    auto& nested = owner.AddColumn<TTableColumn>();
    ASSERT_EQ(nested.Templates().Count(), 3);
    nested.Templates().Set(0, {true, 9001});
    nested.Templates().Set(1, {true, 9002});
    nested.Templates().Set(2, {true, 9999});
    owner.SetRowCount(2);
  }
  TTableColumn& Nested() { return owner.Col<TTableColumn>(1); }
  TGridTable tmplA, tmplB, owner;
};

struct Counted : TRowObject {
  explicit Counted(int* alive) : alive(alive) { ++*alive; }
  ~Counted() override { --*alive; }
  int* alive;
};

}  // namespace

TEST_F(NestedFixture, TypeSelectsFreshCopyOfTemplate) {
  TGridTable* first = owner.GetDataValue(1, 1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Caption(), "A");
  EXPECT_EQ(first->ID(), 2);
  EXPECT_EQ(first->RowCount(), 2);
  EXPECT_EQ(first->GetIntValue(1, 1), 1);
  EXPECT_EQ(Nested().GetButtonCaption(1), "2: A");

  owner.SetIntValue(0, 1, 2);
  TGridTable* second = owner.GetDataValue(1, 1);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Caption(), "B");
  EXPECT_EQ(second->ColCount(), 1);
  EXPECT_EQ(second->ID(), 2);
  EXPECT_EQ(second->RowCount(), 1);

  // Back to type 1: the values entered before are gone.
  owner.SetIntValue(0, 1, 1);
  owner.GetDataValue(1, 1)->SetFloatValue(0, 0, 5.0);
  owner.SetStringValue(0, 1, "1");  // same type: nothing replaced
  EXPECT_EQ(owner.GetDataValue(1, 1)->GetFloatValue(0, 0), 5.0);
  owner.SetIntValue(0, 1, 2);
  owner.SetIntValue(0, 1, 1);
  EXPECT_EQ(owner.GetDataValue(1, 1)->GetFloatValue(0, 0), 0.0);
}

TEST_F(NestedFixture, UnresolvedTemplateLeavesRowEmpty) {
  for (int type : {3, 0, 4, -5}) {
    owner.SetIntValue(0, 0, type);
    EXPECT_EQ(owner.GetDataValue(1, 0), nullptr) << type;
    EXPECT_EQ(Nested().GetButtonCaption(0), "1: ") << type;
    EXPECT_EQ(Nested().ButtonClick(0), nullptr);
  }
}

TEST_F(NestedFixture, InitRowFallbackAndFailingSetRow) {
  int alive = 0;
  std::vector<int> initTypes;
  owner.OnInitRow = [&](TGridTable&, int col, int, int type, std::unique_ptr<TRowObject>& obj) {
    EXPECT_EQ(col, 1);
    initTypes.push_back(type);
    obj = std::make_unique<Counted>(&alive);
  };
  owner.OnGetButtonCaption = [](TGridTable&, int, int, TRowObject*, std::string& cap) { cap = "custom"; };
  owner.SetIntValue(0, 0, 3);
  EXPECT_EQ(alive, 1);
  EXPECT_EQ(owner.GetDataValue(1, 0), nullptr);
  EXPECT_NE(Nested().GetObjValue(0), nullptr);
  EXPECT_EQ(Nested().GetButtonCaption(0), "1: custom");
  EXPECT_EQ(initTypes, std::vector<int>{3});

  owner.OnSetRow = [](TGridTable&, int, TRowObject*, int) { throw std::runtime_error("refused"); };
  EXPECT_THROW(owner.SetIntValue(0, 1, 3), std::runtime_error);
  EXPECT_EQ(alive, 1);  // the refused object is freed, row 0's object stays

  owner.OnSetRow = nullptr;
  owner.SetIntValue(0, 0, 1);  // back to a template: the custom object is freed
  EXPECT_EQ(alive, 0);
}

TEST_F(NestedFixture, InsertAndDeleteRenumberNestedTables) {
  owner.InsertRowGroup(0);
  ASSERT_EQ(owner.RowCount(), 3);
  for (int r = 0; r < 3; ++r) {
    ASSERT_NE(owner.GetDataValue(1, r), nullptr);
    EXPECT_EQ(owner.GetDataValue(1, r)->ID(), r + 1);
  }
  owner.SetIntValue(0, 2, 2);
  owner.DeleteRowGroup(0);
  EXPECT_EQ(owner.GetDataValue(1, 1)->Caption(), "B");
  EXPECT_EQ(owner.GetDataValue(1, 1)->ID(), 2);
  EXPECT_EQ(owner.GetDataValue(1, 0)->ID(), 1);
}

TEST_F(NestedFixture, UnitsAndChangesReachNestedTables) {
  TGridTable* n = owner.GetDataValue(1, 0);
  n->SetFloatValue(0, 0, 10.0);
  owner.SetUnits(2);
  EXPECT_NEAR(n->GetFloatValue(0, 0), 3.048, 1e-9);
  EXPECT_EQ(n->Units(), 2);
  // A fresh copy made now lives in the owner's unit system.
  owner.SetIntValue(0, 1, 2);
  EXPECT_EQ(owner.GetDataValue(1, 1)->Units(), 2);

  EXPECT_FALSE(owner.Changed());
  n->SetFloatValue(0, 1, 1.0);  // program code does not mark changes
  EXPECT_FALSE(owner.Changed());
  n->SetChanged(true);
  EXPECT_TRUE(owner.Changed());
  owner.ResetChanged();
  EXPECT_FALSE(n->Changed());
  EXPECT_FALSE(owner.Changed());
}

TEST_F(NestedFixture, ChoiceListChangesResizeTemplates) {
  owner.GetColumn(0).AddEnumStr("d");
  EXPECT_EQ(Nested().Templates().Count(), 4);
  EXPECT_EQ(Nested().Templates().Elements(3), nullptr);
  owner.GetColumn(0).DelEnumStr(0);
  EXPECT_EQ(Nested().Templates().Count(), 3);
  EXPECT_EQ(Nested().Templates().Elements(0), &tmplA);  // entries drop from the end
  EXPECT_THROW(Nested().Templates().Elements(3), EListError);
}

TEST_F(NestedFixture, CreateCopyAndCloneOfTemplates) {
  tmplA.SetRowGroup(2);
  tmplA.SetMaxRows(4);
  tmplA.SetTopLeft("Row");
  auto copy = TGridTable::CreateCopy(&owner, 7, tmplA);
  EXPECT_EQ(copy->ID(), 7);
  EXPECT_EQ(copy->MaxRows(), 4);
  EXPECT_EQ(copy->TopLeft(), "Row");
  EXPECT_EQ(copy->RowGroup(), 1);
  EXPECT_NE(copy->Identifier(), tmplA.Identifier());
  EXPECT_EQ(copy->Col<TFloatColumn>(0).UnitsString(), "L2");

  // Cloning the nested column pins its templates to the registry positions of now.
  auto copyOfOwner = TGridTable::CreateCopy(nullptr, 1, owner);
  const TGridTableList& pinned = copyOfOwner->Col<TTableColumn>(1).Templates();
  EXPECT_FALSE(pinned.At(0).by_identifier);
  EXPECT_EQ(pinned.Elements(0), &tmplA);
  EXPECT_EQ(pinned.TableIndices(2), -1);
  EXPECT_EQ(copyOfOwner->GetDataValue(1, 0)->Caption(), "A");
}

TEST_F(NestedFixture, SelfReferringTemplateFailsCleanly) {
  owner.SetIntValue(0, 0, 2);
  Nested().Templates().Set(0, {true, owner.Identifier()});
  EXPECT_THROW(owner.SetIntValue(0, 0, 1), EGridError);
}

TEST(GridTableRegistry, SettingIdentifierSwapsWithHolder) {
  TGridTable a, b;
  const int idA = a.Identifier(), idB = b.Identifier();
  EXPECT_NE(idA, idB);
  EXPECT_EQ(TGridTable::FindByIdentifier(idB), &b);

  a.SetIdentifier(idB);
  EXPECT_EQ(a.Identifier(), idB);
  EXPECT_EQ(b.Identifier(), idA);
  EXPECT_EQ(TGridTable::FindByIdentifier(idB), &a);

  a.SetIdentifier(-4);
  EXPECT_EQ(a.Identifier(), idB);

  const int pos = TGridTable::RegistryIndexOf(&b);
  ASSERT_GE(pos, 0);
  EXPECT_EQ(TGridTable::RegistryAt(pos), &b);
  EXPECT_EQ(TGridTable::RegistryAt(-1), nullptr);
  EXPECT_EQ(TGridTable::RegistryAt(TGridTable::RegistryCount()), nullptr);
}

TEST(GridTableRegistry, DestroyedTableLeavesRegistry) {
  int id;
  {
    TGridTable gone;
    id = gone.Identifier();
    EXPECT_EQ(TGridTable::FindByIdentifier(id), &gone);
  }
  EXPECT_EQ(TGridTable::FindByIdentifier(id), nullptr);
}

// ---------------------------------------------------------------------------------------
// Project tables

TEST(ProjectTables, NewProjectHasOneDefaultSandLayer) {
  ProjectTables p;
  ASSERT_EQ(p.D.RowCount(), 1);
  EXPECT_EQ(p.D.Caption(), "Soil Layer Data");
  EXPECT_EQ(p.D.GetIntValue(kColSoilType, 0), kSoilSand);
  EXPECT_EQ(p.D.GetFloatValue(kColDepthBottom, 0), 0.0);
  EXPECT_EQ(p.D.GetFloatValue(kColMaxSideFriction, 0), 0.0);
  EXPECT_EQ(p.D.GetFloatValue(kColLrfdSideFriction, 0), 1.0);
  EXPECT_EQ(p.D.GetFloatValue(kColLrfdEndBearing, 0), 1.0);

  TGridTable* sand = p.D.GetDataValue(kColLayerData, 0);
  ASSERT_NE(sand, nullptr);
  ASSERT_EQ(sand->RowCount(), 2);
  ASSERT_EQ(sand->ColCount(), 8);
  EXPECT_EQ(sand->ID(), 1);
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < sand->ColCount(); ++c) {
      const double v = sand->GetColumn(c).Kind() == ColumnKind::Int ? sand->GetIntValue(c, r)
                                                                     : sand->GetFloatValue(c, r);
      EXPECT_EQ(v, c == kSandMethod ? 1.0 : 0.0) << "row " << r << " col " << c;
    }
  }
  ASSERT_EQ(p.TblTZDepth.RowCount(), 1);
  EXPECT_EQ(p.TblTZDepth.GetFloatValue(kColTZDepth, 0), 0.0);
  EXPECT_EQ(p.D.GetColumn(kColDepthBottom).GetDisplayHeadings(1), "of each Layer (ft)  ");
  EXPECT_FALSE(p.Changed());
}

TEST(ProjectTables, EverySoilTypeCopiesItsTemplate) {
  ProjectTables p;
  const int columns[kSoilTypeCount] = {8, 5, 5, 7, 5, 7, 7, 3, 3};
  for (int type = 1; type <= kSoilTypeCount; ++type) {
    SCOPED_TRACE(type);
    EXPECT_EQ(TGridTable::FindByIdentifier(kTemplateIdentifiers[type - 1]), &p.Template(type));
    p.D.SetIntValue(kColSoilType, 0, type);
    TGridTable* layer = p.D.GetDataValue(kColLayerData, 0);
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->ColCount(), columns[type - 1]);
    EXPECT_EQ(layer->RowCount(), 2);
    EXPECT_EQ(layer->Caption(), kSoilTypeNames[type - 1]);
  }
  EXPECT_THROW(p.Template(10), EListError);
  EXPECT_EQ(p.D.GetColumn(kColSoilType).GetEnumCount(), kSoilTypeCount);
  EXPECT_EQ(p.D.GetColumn(kColSoilType).GetEnumStr(7), "gravelly sand (Rollins et al)");
}

TEST(ProjectTables, UnitSwitchConvertsLayersAndTheirParameters) {
  ProjectTables p;
  p.D.AddRowGroup();
  p.D.SetIntValue(kColSoilType, 1, kSoilClay);
  p.D.SetFloatValue(kColDepthBottom, 1, 10.0);
  TGridTable* clay = p.D.GetDataValue(kColLayerData, 1);
  clay->SetFloatValue(kClayUnitWeight, 0, 120.0);  // lbs/ft^3
  clay->SetFloatValue(kClayAlpha, 0, 0.55);        // dimensionless
  clay->SetIntValue(kClayBlowCounts, 0, 12);
  p.TblTZDepth.SetFloatValue(kColTZDepth, 0, 20.0);

  p.SetUnits(2);
  EXPECT_EQ(p.Units(), 2);
  EXPECT_NEAR(p.D.GetFloatValue(kColDepthBottom, 1), 3.048, 1e-9);
  EXPECT_NEAR(clay->GetFloatValue(kClayUnitWeight, 0), 120.0 * 0.15708746, 1e-5);  // kN/m^3
  EXPECT_EQ(clay->GetFloatValue(kClayAlpha, 0), 0.55);
  EXPECT_EQ(clay->GetIntValue(kClayBlowCounts, 0), 12);
  EXPECT_NEAR(p.TblTZDepth.GetFloatValue(kColTZDepth, 0), 6.096, 1e-9);
  EXPECT_EQ(p.tblDataClay.Units(), 2);
  EXPECT_EQ(clay->GetColumn(kClayUnitWeight).GetDisplayHeadings(1), "Weight (kN/m^3)  ");

  p.SetUnits(1);
  EXPECT_NEAR(clay->GetFloatValue(kClayUnitWeight, 0), 120.0, 1e-9);
  EXPECT_NEAR(p.D.GetFloatValue(kColDepthBottom, 1), 10.0, 1e-12);
}

TEST(ProjectTables, ChangesPropagateFromParameterTables) {
  ProjectTables p;
  p.D.GetDataValue(kColLayerData, 0)->SetChanged(true);
  EXPECT_TRUE(p.D.Changed());
  EXPECT_TRUE(p.Changed());
  p.ResetChanged();
  EXPECT_FALSE(p.Changed());
  EXPECT_FALSE(p.D.GetDataValue(kColLayerData, 0)->Changed());

  p.TblTZDepth.SetChanged(true);
  EXPECT_TRUE(p.Changed());
}

TEST(ProjectTables, ResetToMinimumRestoresDefaults) {
  ProjectTables p;
  p.D.SetIntValue(kColSoilType, 0, kSoilWeakRock);
  p.D.SetFloatValue(kColDepthBottom, 0, 12.0);
  p.D.AddRowGroup();
  p.TblTZDepth.AddRowGroup();
  p.TblTZDepth.SetFloatValue(kColTZDepth, 0, 3.0);

  p.ResetToMinimum();
  ASSERT_EQ(p.D.RowCount(), 1);
  EXPECT_EQ(p.D.GetIntValue(kColSoilType, 0), kSoilSand);
  EXPECT_EQ(p.D.GetFloatValue(kColDepthBottom, 0), 0.0);
  EXPECT_EQ(p.D.GetDataValue(kColLayerData, 0)->Caption(), kSoilTypeNames[0]);
  ASSERT_EQ(p.TblTZDepth.RowCount(), 1);
  EXPECT_EQ(p.TblTZDepth.GetFloatValue(kColTZDepth, 0), 0.0);
}
