// Unit side and base resistance formulas of the capacity analysis, one depth step at a time.
//
// Glossary (internal units): z depth (ft); SIGV effective vertical stress (lb/ft2);
// N SPT blow count; B, BD, Ds diameters (ft); AB base area (ft2); qu compressive strength
// (lb/ft2); QB base resistance (tons); QBU unit base resistance (tons/ft2).
#pragma once

#include <vector>

namespace korva {

inline constexpr double kPi = 3.142;  // pi as the capacity analysis uses it

// Decomposed rock or gravel (cohesionless intermediate geomaterial), FHWA (Mayne and
// Harris): friction angle and earth pressure from N and the effective stress.
struct IgmSandResult {
  double FBASE = 0;  // unit side term before the coefficient, lb/ft2
  double QB = 0;     // base resistance, tons
  bool no_stress = false;  // the effective stress was not positive: no resistance taken
};
// s: effective vertical stress (lb/ft2); N: blow count; B: socket diameter (ft).
IgmSandResult IGMSAND(double s, double N, double B);

// Base resistance of sand, gravelly sand and gravel (FHWA, from N or from phi), before
// the QMAX limits. `phi_deg` is the step's friction angle in degrees.
struct GranBase {
  double QB = 0;   // tons
  double QBU = 0;  // unit base resistance, tons/ft2
};
GranBase GRANBASE(double N, double phi_deg, double BD, double AB, double z, int IMOD);

// Base resistance of clay (limit 40 tons/ft2) and clay-shale (no limit), with the
// reduction for bases larger than 6.25 ft. cu in tons/ft2.
double clay_base(double Nc, double cu, double BD, double AB, double z, bool shale);

// Base resistance of strong rock (Canadian Foundation Engineering Manual, from spacing
// and thickness of discontinuities). Returns tons. s and t in ft, qu in lb/ft2, B in ft.
// A spacing of zero means fully broken rock: no base resistance when joints have a
// thickness, and no joint term when they have none.
double rock_base(double qu, double B, double s, double t);

// Applies the QMAX limits (tons/ft2, negative fixes the unit base resistance) to QB.
double limit_base(double QB, double QMAX, double AB);

// Base resistance averaged over NZONE one-foot steps below a base at depth Lb. QB and
// ROCKSTEP are indexed by depth (ft). Uses QB(Lb) for stems under 1 ft and, as a
// substitute, for zones of fewer than two steps (whose weights would all be zero).
double average_base(const std::vector<double>& QB, const std::vector<int>& ROCKSTEP, int Lb,
                    int NZONE, double DSTEM, bool* short_zone = nullptr);

}  // namespace korva
