// The project's grid tables: the nine parameter-table templates, the layer table D and the
// depth list TblTZDepth, with their column definitions declared in code.
//
// The templates take their fixed identifiers (1..7, 31, 32) on construction; the layer
// table's nested-table column refers to them by identifier. Identifiers are unique among
// all live tables of the process, so only one ProjectTables should be alive at a time (a
// second one takes the identifiers over and the first one's layers would copy its
// templates).
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "grid_table.h"

namespace korva::project {

// Soil type codes (column 0 of D, 1-based index into kSoilTypeNames).
enum SoilType : int {
  kSoilSand = 1,
  kSoilClay = 2,
  kSoilShale = 3,
  kSoilStrongRock = 4,
  kSoilGravel = 5,  // decomposed rock / gravel
  kSoilWeakRock = 6,
  kSoilNewStrongRock = 7,
  kSoilGravellySand = 8,
  kSoilRollinsGravel = 9,
};
inline constexpr int kSoilTypeCount = 9;

// Choice names of the soil type column, in code order.
inline constexpr std::array<std::string_view, kSoilTypeCount> kSoilTypeNames = {
    "sand (FHWA Spec.)",
    "clay (FHWA Spec.)",
    "shale (Reese &Aurora)",
    "strong rock (FHWA-side frict. or end bear.)",
    "decomposed rock/gravel (FHWA Spec.)",
    "weak rock (FHWA Spec.)",
    "strong rock (side friction + end bearing)",
    "gravelly sand (Rollins et al)",
    "gravel (Rollins et al)",
};

// Identifier of the template table of each soil type code (index code - 1).
inline constexpr std::array<int, kSoilTypeCount> kTemplateIdentifiers = {1, 2, 3, 4, 5, 6, 7, 31, 32};

// Layer table D.
inline constexpr int kColSoilType = 0;
inline constexpr int kColDepthBottom = 1;
inline constexpr int kColLayerData = 2;
inline constexpr int kColMaxSideFriction = 3;
inline constexpr int kColMaxEndBearing = 4;
inline constexpr int kColLrfdSideFriction = 5;
inline constexpr int kColLrfdEndBearing = 6;
inline constexpr int kLayerColumnCount = 7;

// TblTZDepth.
inline constexpr int kColTZDepth = 0;

// Parameter tables: every one has exactly 2 rows (top and bottom of the layer).
inline constexpr int kParamRowTop = 0;
inline constexpr int kParamRowBottom = 1;

// tblDataSand (type 1).
inline constexpr int kSandUnitWeight = 0;
inline constexpr int kSandFrictionAngle = 1;
inline constexpr int kSandBlowCounts = 2;
inline constexpr int kSandKo = 3;
inline constexpr int kSandBeta = 4;
inline constexpr int kSandMethod = 5;  // 1 Ko, 2 Beta, 3 Chen and Kulhawy (2002)
inline constexpr int kSandInterfaceAngle = 6;
inline constexpr int kSandOCR = 7;  // preconsolidation stress exponent m (method 3)

// tblDataClay, tblDataShale (types 2, 3).
inline constexpr int kClayUnitWeight = 0;
inline constexpr int kClayCohesion = 1;
inline constexpr int kClayBlowCounts = 2;
inline constexpr int kClayAlpha = 3;
inline constexpr int kClayNc = 4;

// tblDataStrongRock, tblNewStrongRock (types 4, 7).
inline constexpr int kRockCompressiveStrength = 0;
inline constexpr int kRockConcreteStrength = 1;
inline constexpr int kRockDiscontinuitySpacing = 2;
inline constexpr int kRockDiscontinuityThickness = 3;
inline constexpr int kRockSocketDiameter = 4;
inline constexpr int kRockElasticModulus = 5;
inline constexpr int kRockRQD = 6;

// tblDataGravel (type 5).
inline constexpr int kGravelUnitWeight = 0;
inline constexpr int kGravelBlowCounts = 1;
inline constexpr int kGravelPoisson = 2;
inline constexpr int kGravelYoungsModulus = 3;
inline constexpr int kGravelSocketDiameter = 4;

// tblDataWeakRock (type 6).
inline constexpr int kWeakRockCompressiveStrength = 0;
inline constexpr int kWeakRockInterfaceCondition = 1;  // enumeration 1..4
inline constexpr int kWeakRockConcreteSlump = 2;
inline constexpr int kWeakRockInterfaceFriction = 3;
inline constexpr int kWeakRockSocketDiameter = 4;
inline constexpr int kWeakRockElasticModulus = 5;
inline constexpr int kWeakRockRQD = 6;

// tblDataGravellysand, tblRollinsGravel (types 8, 9).
inline constexpr int kRollinsUnitWeight = 0;
inline constexpr int kRollinsBlowCounts = 1;
inline constexpr int kRollinsBeta = 2;

struct ProjectTables {
  // Declares every table and resets them to their minimum rows (one sand layer, depth 0).
  ProjectTables();
  ProjectTables(const ProjectTables&) = delete;
  ProjectTables& operator=(const ProjectTables&) = delete;

  // Templates first (creation order), then the layer and depth tables.
  TGridTable tblDataSand;
  TGridTable tblDataClay;
  TGridTable tblDataShale;
  TGridTable tblDataStrongRock;
  TGridTable tblDataGravel;
  TGridTable tblDataWeakRock;
  TGridTable tblNewStrongRock;
  TGridTable tblDataGravellysand;
  TGridTable tblRollinsGravel;
  TGridTable D;           // "Soil Layer Data"
  TGridTable TblTZDepth;  // "Generated t-z curves"

  // Template of a soil type code 1..9 (EListError otherwise).
  TGridTable& Template(int soilType);
  // D, the nine templates, TblTZDepth.
  std::vector<TGridTable*> AllTables();

  // Writes the unit system to every table (each converts its values; D converts its
  // layers' parameter tables).
  void SetUnits(int units);
  int Units() const { return D.Units(); }
  // Any table reports a change (including the layers' parameter tables).
  bool Changed() const;
  void ResetChanged();
  // Every table to its MinRows with default values: D one sand layer with depth 0,
  // TblTZDepth one depth 0, each template its two default rows.
  void ResetToMinimum();
};

}  // namespace korva::project
