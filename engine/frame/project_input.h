// The project as the engine reads it from the project file.
//
// Units: `ProjectInput` as read holds the user's units (English: ft, tons, lb/ft3, lb/ft2,
// lb/in2; SI: m, kN, kN/m3, kN/m2). After `to_internal_units` it holds the engine's internal
// units: lengths in ft, loads in tons (2000 lb), unit weights in lb/ft3, strengths and limits
// in lb/ft2, moduli (EL, Ec) in tons/ft2.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "analysis_limits.h"

namespace korva {

// Soil type codes.
enum SoilType : int {
  kSand = 1,
  kClay = 2,
  kClayShale = 3,
  kStrongRockSideOrBase = 4,
  kDecomposedRock = 5,  // decomposed rock or gravel (cohesionless intermediate geomaterial)
  kWeakRock = 6,        // cohesive intermediate geomaterial
  kStrongRock = 7,      // strong rock taking side and base resistance
  kGravellySand = 8,
  kGravel = 9,
};

// A layer value at the layer's top [0] and bottom [1]; it varies linearly in between.
using TopBottom = std::array<double, 2>;

struct LayerInput {
  double SOIL = 0;   // soil type code as read (a real in the file)
  double DEPTH = 0;  // depth of the layer bottom

  TopBottom NC{};      // bearing capacity factor (clay, clay-shale); 0 = estimate
  TopBottom GAMMA{};   // total unit weight
  TopBottom PHI{};     // friction angle, degrees
  TopBottom CU{};      // undrained shear strength; for sand the interface angle DELTA
  TopBottom DELTA{};   // sand interface friction angle, degrees (0 = equal to PHI)
  TopBottom BLOWS{};   // SPT blow count N
  TopBottom TRANLM{};  // maximum unit side resistance (1e10 = no limit)
  TopBottom QMAX{};    // maximum unit base resistance (1e10 = no limit; negative fixes it)
  TopBottom COEF{};    // sand Ko, beta or exponent m (by ISIDE); clay alpha; gravel beta
  TopBottom QUR{};     // uniaxial compressive strength of rock
  TopBottom QUCON{};   // uniaxial compressive strength of concrete
  TopBottom CS{};      // spacing of discontinuities
  TopBottom DISCT{};   // thickness of discontinuities
  TopBottom BDS{};     // socket diameter
  TopBottom EL{};      // elastic modulus of intact rock (Young's modulus for type 5)
  TopBottom RQD{};     // rock quality designation, percent
  TopBottom NU{};      // Poisson's ratio (type 5)
  TopBottom ICOND{};   // weak rock interface condition 1..4
  TopBottom SLUMP{};   // concrete slump (in; m for SI input, kept as read)
  TopBottom WRDELTA{}; // weak rock interface friction angle, degrees
  double PHIS = 0;     // LRFD resistance factor, side
  double PHIT = 0;     // LRFD resistance factor, base
  double ISIDE = 0;    // sand side procedure: 1 Ko, 2 beta, 3 Chen and Kulhawy

  // The soil type as an integer code, 0 when the code read is not one of 1 to 9.
  int type() const {
    for (int t = 1; t <= 9; ++t)
      if (SOIL == t) return t;
    return 0;
  }
};

struct ProjectInput {
  std::string TITLE;  // 72 characters
  int IUNIT = 0;      // 2: SI input; anything else English
  bool si() const { return IUNIT == 2; }

  int METHOD = 0;  // 1: design load P given; 2: design depth DGH given
  int KCYCL = 0;   // 1 compression, 2 uplift
  double RCYCL = 0;
  double PINC = 0;  // depth interval of the printed depth table
  int IMOD = 0;
  int NLRFD = 0;
  int IPENT = 0;
  int IChart = 0;
  int UseElevation = 0;  // read and not used
  double ValElevation = 0;
  int PrintTZCurves = 0;

  double DSTART = 0, DIALIM = 0, RATIO = 0, BELANG = 0, TOPLEN = 0, BS = 0, Ec = 0;

  int NLAYER = 0;
  double WTD = 0;
  double P_DGH = 0;  // design load (METHOD 1) or design depth (METHOD 2), as one value
  double FST = 0, FSB = 0;

  double PDMIN = 0, PDINCR = 0, DIAMINCR = 0;
  int NPOINTPD = 0;
  std::vector<double> PDSETT;  // design-chart head movements (in; m for SI input)

  std::vector<LayerInput> layers;  // layers[0] is the top layer

  int NTZ = 0;
  std::vector<double> TZDEP;  // depths of additional t-z curves

  // Derived at the end of reading.
  double DIAEND = 0;         // end of the analysed diameter range, max(DSTART, DIALIM)
  double TARGET_LENGTH = 0;  // design depth (METHOD 2); 0 otherwise
};

}  // namespace korva
