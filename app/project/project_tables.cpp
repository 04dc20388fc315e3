#include "project_tables.h"

#include <string>

namespace korva::project {

namespace {

void AddFloat(TGridTable& t, std::vector<std::string> heading, std::string units = {}, double def = 0.0) {
  auto& c = t.AddColumn<TFloatColumn>();
  c.SetHeading(std::move(heading));
  c.SetUnitsString(std::move(units));
  c.SetDefault(def);
}

// Blow counts and method codes. Limits apply to entry in the editing window only.
void AddInt(TGridTable& t, std::vector<std::string> heading, int def = 0, int minimum = INT32_MIN,
            int maximum = INT32_MAX) {
  auto& c = t.AddColumn<TIntColumn>();
  c.SetHeading(std::move(heading));
  c.SetDefault(def);
  c.SetMinimum(minimum);
  c.SetMaximum(maximum);
}

void AddEnum(TGridTable& t, std::vector<std::string> heading, std::vector<std::string> names) {
  auto& c = t.AddColumn<TEnumColumn>();
  c.SetHeading(std::move(heading));
  c.SetNames(std::move(names));
}

// Every parameter table has exactly two rows: top and bottom of the layer.
void DeclareParameterTable(TGridTable& t, int soilType) {
  t.SetCaption(std::string(kSoilTypeNames[soilType - 1]));
  t.SetMinRows(2);
  t.SetMaxRows(2);
  t.SetIdentifier(kTemplateIdentifiers[soilType - 1]);
}

void DeclareSand(TGridTable& t) {
  DeclareParameterTable(t, kSoilSand);
  AddFloat(t, {"Total Unit", "Weight"}, "F/L2^3");
  AddFloat(t, {"Friction", "Angle"});
  AddInt(t, {"Blow Counts", "-Optional-"}, 0, 0, 100);
  AddFloat(t, {"Ko"});
  AddFloat(t, {"Beta"});
  AddInt(t, {"Method"}, 1);
  AddFloat(t, {"Interface", "Angle"}, "degrees");
  AddFloat(t, {"OCR"});
}

void DeclareClay(TGridTable& t, int soilType) {
  DeclareParameterTable(t, soilType);
  AddFloat(t, {"Total Unit", "Weight"}, "F/L2^3");
  AddFloat(t, {"Cohesion"}, "F/L2^2");
  AddInt(t, {"Blow Counts", "-Optional-"}, 0, 0, 100);
  AddFloat(t, {"Alpha", "Factor"});
  AddFloat(t, {"Bearing Capacity", "Coefficient, Nc"});
}

void DeclareStrongRock(TGridTable& t, int soilType) {
  DeclareParameterTable(t, soilType);
  AddFloat(t, {"Rock Compressive", "Strength"}, "F/L2^2");
  AddFloat(t, {"Concrete Compressive", "Strength"}, "F/L2^2");
  AddFloat(t, {"Discontinuity", "Spacing"}, "L2");
  AddFloat(t, {"Discontinuity", "Thickness"}, "L2");
  AddFloat(t, {"Socket", "Diameter"}, "L2");
  AddFloat(t, {"Elastic", "Modulus"}, "F/L^2");
  AddFloat(t, {"RQD, %"});
}

void DeclareGravel(TGridTable& t) {
  DeclareParameterTable(t, kSoilGravel);
  AddFloat(t, {"Total Unit", "Weight"}, "F/L2^3");
  AddInt(t, {"Blow Counts", "(SPT Test)"}, 0, 0, 100);
  AddFloat(t, {"Poisson's", "Ratio"});
  AddFloat(t, {"Young's Modulus", "-optional-"}, "F/L^2");
  AddFloat(t, {"Socket", "Diameter"}, "L2");
}

void DeclareWeakRock(TGridTable& t) {
  DeclareParameterTable(t, kSoilWeakRock);
  AddFloat(t, {"Rock Compressive", "Strength"}, "F/L2^2");
  AddEnum(t, {"Interface", "Condition"},
          {"Rough Surface w/closed joints", "Smooth Surface w/closed joints", "Rough Surface w/open joints",
           "Smooth Surface w/open joints"});
  AddFloat(t, {"Concrete", "Slump"}, "L");
  AddFloat(t, {"Interface Friction", "Angle, Deg."});
  AddFloat(t, {"Socket", "Diameter"}, "L2");
  AddFloat(t, {"Elastic Modulus", "of Rock Core"}, "F/L^2");
  AddFloat(t, {"RQD (%)"});
}

void DeclareRollins(TGridTable& t, int soilType) {
  DeclareParameterTable(t, soilType);
  AddFloat(t, {"Total Unit", "Weight"}, "F/L2^3");
  AddInt(t, {"Blow", "Counts"});
  AddFloat(t, {"Beta", "(optional)"});
}

void DeclareLayers(TGridTable& d) {
  d.SetCaption("Soil Layer Data");
  d.SetTopLeft("Layer");
  d.SetMinRows(1);
  d.SetMaxRows(20);
  std::vector<std::string> names(kSoilTypeNames.begin(), kSoilTypeNames.end());
  AddEnum(d, {"Soil Type"}, std::move(names));
  AddFloat(d, {"Depth at Bottom", "of each Layer"}, "L2");
  auto& layer = d.AddColumn<TTableColumn>();  // one template entry per soil type
  layer.SetHeading({"Layer Data"});
  for (int i = 0; i < kSoilTypeCount; ++i) layer.Templates().Set(i, {true, kTemplateIdentifiers[i]});
  AddFloat(d, {"Max. Side", "Friction"}, "F/L2^2");
  AddFloat(d, {"Max. End", "Bearing"}, "F/L2^2");
  AddFloat(d, {"LRFD Resistance Factor", "(Side Friction)"}, "", 1.0);
  AddFloat(d, {"LRFD Resistance Factor", "(End Bearing)"}, "", 1.0);
}

void DeclareDepths(TGridTable& t) {
  t.SetCaption("Generated t-z curves");
  t.SetMinRows(1);
  t.SetMaxRows(20);
  AddFloat(t, {"Depth"}, "L2");
}

}  // namespace

ProjectTables::ProjectTables() {
  DeclareSand(tblDataSand);
  DeclareClay(tblDataClay, kSoilClay);
  DeclareClay(tblDataShale, kSoilShale);
  DeclareStrongRock(tblDataStrongRock, kSoilStrongRock);
  DeclareGravel(tblDataGravel);
  DeclareWeakRock(tblDataWeakRock);
  DeclareStrongRock(tblNewStrongRock, kSoilNewStrongRock);
  DeclareRollins(tblDataGravellysand, kSoilGravellySand);
  DeclareRollins(tblRollinsGravel, kSoilRollinsGravel);
  DeclareLayers(D);
  DeclareDepths(TblTZDepth);
  ResetToMinimum();
}

TGridTable& ProjectTables::Template(int soilType) {
  TGridTable* templates[kSoilTypeCount] = {&tblDataSand,       &tblDataClay,     &tblDataShale,
                                           &tblDataStrongRock, &tblDataGravel,   &tblDataWeakRock,
                                           &tblNewStrongRock,  &tblDataGravellysand, &tblRollinsGravel};
  if (soilType < 1 || soilType > kSoilTypeCount) throw EListError("Index out of bounds");
  return *templates[soilType - 1];
}

std::vector<TGridTable*> ProjectTables::AllTables() {
  return {&D,
          &tblDataSand,
          &tblDataClay,
          &tblDataShale,
          &tblDataStrongRock,
          &tblDataGravel,
          &tblDataWeakRock,
          &tblNewStrongRock,
          &tblDataGravellysand,
          &tblRollinsGravel,
          &TblTZDepth};
}

void ProjectTables::SetUnits(int units) {
  for (TGridTable* t : AllTables()) t->SetUnits(units);
}

bool ProjectTables::Changed() const {
  for (TGridTable* t : const_cast<ProjectTables*>(this)->AllTables())
    if (t->Changed()) return true;
  return false;
}

void ProjectTables::ResetChanged() {
  for (TGridTable* t : AllTables()) t->ResetChanged();
}

void ProjectTables::ResetToMinimum() {
  // Emptying first makes the remaining rows fresh rows with the column defaults. The
  // templates go before D, whose new layer copies the sand template.
  std::vector<TGridTable*> order = {&tblDataSand,   &tblDataClay,      &tblDataShale,
                                    &tblDataStrongRock, &tblDataGravel, &tblDataWeakRock,
                                    &tblNewStrongRock, &tblDataGravellysand, &tblRollinsGravel,
                                    &D,             &TblTZDepth};
  for (TGridTable* t : order) {
    t->SetRowCount(0);
    t->SetRowCount(t->MinRows());
  }
}

}  // namespace korva::project
