// The soil profile of the capacity analysis: estimation of parameters the user left at
// zero, effective vertical stress, and the friction angle from blow counts.
//
// Units (internal): depths in ft, unit weights in lb/ft3, stresses in lb/ft2, angles in
// degrees unless a name says radians.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "frame/project_input.h"

namespace korva {

// Which reported values the estimation pass filled in ("  (*)" in the report).
struct EstimationMarks {
  std::array<bool, 2> PHI{};    // friction angle, top and bottom
  std::array<bool, 2> DELTA{};  // interface angle
  std::array<bool, 2> COEF{};   // beta, alpha, Ko or exponent m
  std::array<bool, 2> NC{};     // bearing capacity factor
};

struct ProfileLayer {
  LayerInput v;       // values in internal units, estimated values filled in
  int KSOIL = 0;      // soil type 1..9, 0 for an unknown code
  double XTOP = 0;    // top depth, ft
  double XBOT = 0;    // bottom depth, ft (rounded to whole feet by the depth loop)
  bool COEFEST = false;  // COEF was estimated and is re-estimated at every depth step
  EstimationMarks marks;
};

struct SoilProfile {
  std::vector<ProfileLayer> layers;  // layers[0] is the top layer
  double WTD = 0;                    // water table depth, ft
  bool ANYEST = false;               // at least one value was estimated
};

// One point of the effective stress profile: a whole-foot depth inside a layer.
struct StressPoint {
  double depth;   // ft
  double stress;  // cumulative effective vertical stress, lb/ft2
};

// Effective vertical stress points of a profile: one per whole foot of every layer, the
// unit weight varying linearly across the layer; below the water table the unit weight of
// water (62.4 lb/ft3) is subtracted.
std::vector<StressPoint> stress_points(const SoilProfile& profile);

// EFFSTRESS: effective vertical stress (lb/ft2) at depth z (ft), interpolated between the
// stress points (extrapolated above the first); 0 below the bottom of the last layer.
double EFFSTRESS(const std::vector<StressPoint>& points, const SoilProfile& profile, double z);

// PHIFROMN: friction angle (degrees) of sand from the SPT blow count N and the effective
// vertical stress SIGV (lb/ft2), from three charts for 0, 20 and 40 lb/in2.
double PHIFROMN(double N, double SIGV);

// Clay and clay-shale adhesion factor alpha from the undrained strength CU (lb/ft2).
double clay_alpha(double CU);

// Bearing capacity factor Nc of clay (limit 9) or clay-shale (limit 7) at depth z for the
// shaft diameter DSTART; the limit itself when DSTART is not positive.
double clay_nc(double z, double DSTART, int KSOIL);

// Sand beta (beta method) at depth z with blow count N.
double sand_beta(double z, double N);
// Beta of gravelly sand and of gravel at depth z (Rollins et al. 2005).
double gravelly_sand_beta(double z);
double gravel_beta(double z);

// Messages that the estimation pass writes to the report.
struct EstimationNotes {
  std::vector<std::string> report;  // clay strength warnings, in order
};

// Builds the working profile from the input (internal units) and runs the estimation
// pass: missing beta, friction and interface angles of sand, alpha and Nc of clay and
// clay-shale, coefficients of the other types.
SoilProfile estimate_profile(const ProjectInput& input, EstimationNotes& notes);

// Rounds the layer bottoms to whole feet (a fraction of 0.5 or more rounds up); each layer
// top becomes the previous layer's rounded bottom.
void round_layer_depths(SoilProfile& profile);

// Linear interpolation of a top/bottom pair at `zrel` below the top of a layer `h` thick.
inline double interp(const TopBottom& v, double zrel, double h) {
  return h != 0 ? v[0] + (v[1] - v[0]) * zrel / h : v[0];
}

}  // namespace korva
