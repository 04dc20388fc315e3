// The project: its scalar settings (TProgramData), its tables, and change tracking.
//
// Lengths are in ft (English) or m (SI); EPILE in lb/in2 or kN/m2; LPD in tons or kN;
// PDSETT in in or m. Switching the unit system converts the stored values.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "project_tables.h"

namespace korva::project {

inline constexpr const char* kNewProjectFileName = "NewKorva.kv8d";

class TProgramData {
 public:
  // A model with the defaults of a new project (English units, one sand layer is the
  // tables' business).
  TProgramData();

  // The unit system (1 English, 2 SI). Setting it converts the scalar values and the
  // tables' values; see SetUnits.
  int Units() const { return fUnits; }
  // Switches to unit system v (clamped to 1..2): converts the scalar fields and passes the
  // switch to every table. The same system converts nothing.
  void SetUnits(int v, ProjectTables& tables);

  // The default design-chart settlements: 0.1, 0.25, 0.5, 0.75 and six times 1 inch, in
  // metres when the model is in SI units.
  void InitPDSET();

  int fUnits = 1;
  std::string FileName = kNewProjectFileName;
  std::string Title = "New Pile";
  double PINC = 1.0;
  int PrintTZCurves = 0;
  int METHOD = 2;
  int KCYCL = 1;
  double RCYCL = 1.0;
  double DSTART = 0;
  double DIALIM = 0;
  double RATIO = 0;
  double BELANGL = 0;
  double TOPLENG = 0;
  double BS = 0;
  double EPILE = 0;
  double WTD = 0;
  double PD = 0;
  double PDMIN = 0;
  double PDINCR = 0;
  double DIAMINCR = 0;
  int NPOINTPD = 5;
  std::array<double, 10> PDSETT{};
  double FST = 2.5;
  double FSB = 3.0;
  double LPD = 0;
  double ValElevation = 0;
  int UseElevation = 0;
  int ID2 = 1;
  int IPENT = 0;
  int IChart = 0;
  int IMOD = 1;
  int Yesnewversion = 1;
  int NLRFD = 2;

  // Unit-switch factors (English units per SI unit).
  static constexpr double kLengthFactor = 3.280839895;
  static constexpr double kInchFactor = 39.37007874;
  static constexpr double kForceFactor = 224.8089237;
  static constexpr double kTonsFactor = 0.1124044745;
};

// A project as the program holds it: the model, its tables and its changed flag.
class Project {
 public:
  Project();
  // A new project: default model, tables at their minimum rows, unchanged.
  void Create();

  TProgramData data;
  ProjectTables tables;

  // True when the project's own flag is set or any table reports a change.
  bool DataChanged() const { return changed_ || tables.Changed(); }
  // true sets the flag; false clears it and the change marks of every table.
  void SetDataChanged(bool v);

 private:
  bool changed_ = false;
};

}  // namespace korva::project
