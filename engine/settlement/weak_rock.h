// Weak rock (soil type 6, a cohesive intermediate geomaterial): unit side resistance, its
// mobilisation with socket movement, and the base resistance of a rock socket, after the
// method of O'Neill and Reese for cohesive intermediate geomaterials (FHWA drilled-shaft
// manual).
//
// Units: ft, tons (2000 lb) and lb/ft2; the intact and mass moduli (EL, Ei, Em) and the
// concrete modulus Ec in ton/ft2; the concrete slump in inches.
//
// Glossary:
//   z1      depth of the top of the first layer whose soil type code is above 5 (socket top)
//   Lx      socket length used for the stiffness terms (ft)
//   Ds      socket diameter at depth z, the layer's BDS scaled by D/DSTART (ft)
//   w       socket movement (ft)
//   qu      uniaxial compressive strength of the rock (lb/ft2)
//   ICOND   interface condition 1..4: 1 and 3 take fa = qu/2 and n = sigma_n/qu, 2 and 4
//           the alpha factor and the n chart; 1 and 2 reduce the modulus by RQD row A,
//           3 and 4 by row B
//   zc      depth over which the fluid concrete acts (ft)
//   M       fluid-concrete factor on the hydrostatic pressure of the concrete
//   sigma_n normal stress of the fluid concrete on the socket wall (lb/ft2)
//   pa      atmospheric pressure, 2115.7 lb/ft2
//   alpha   side-resistance factor of rough sockets
//   fa      unit side resistance before the joint reduction; fa_r after it (lb/ft2)
//   Ei, Em  intact modulus (running mean over the calls) and rock-mass modulus (ton/ft2)
//   n       fraction of fa_r at which the side curve leaves its linear part
//   Omega, Gamma  socket stiffness coefficients from sqrt(Lx/Ds) and log10(Ec/Em)
//   theta   normalised socket movement; f the mobilised unit side resistance (lb/ft2)
//   K       base stiffness term; qb the unit base resistance (lb/ft2)
#pragma once

#include <string>
#include <vector>

#include "frame/project_input.h"
#include "frame/streams.h"

namespace korva {

// Kept between the calls of one analysis pass; the caller clears it once per pass.
struct WeakRockSums {
  double count = 0;   // number of calls (a real)
  double sum_el = 0;  // sum of the intact moduli EL at the calls' depths (ton/ft2)
};

// One weak-rock evaluation. `layer` holds the layer in internal units (QUR lb/ft2, BDS ft,
// EL ton/ft2; SLUMP in inches, or in metres when `si` is set).
struct WeakRockInput {
  LayerInput layer;
  double top = 0;     // depth of the layer top (ft)
  double bottom = 0;  // depth of the layer bottom (ft)
  double z = 0;       // depth of the evaluation, within the layer (ft)
  double z1 = 0;      // depth of the socket top (ft)
  double D = 0;       // current stem diameter (ft)
  double DSTART = 0;  // starting diameter of the analysis (ft); Ds = BDS * D / DSTART
  double Ec = 0;      // modulus of the concrete (ton/ft2)
  bool si = false;    // SI input: SLUMP is in metres
  double L = 0;       // target shaft length (ft)
};

// Substitutes made where a formula would divide by zero or leave its domain. Each is a bit
// in WeakRockQuantities::guards; weak_rock_guard_notes() gives the message-file text.
enum WeakRockGuard : unsigned {
  kWrGuardLayerThickness = 1u << 0,   // layer bottom == top: the top values are used
  kWrGuardDstartZero = 1u << 1,       // DSTART = 0: Ds = BDS (D/DSTART taken as 1)
  kWrGuardCountZero = 1u << 2,        // call count not positive: Ei = EL(z)
  kWrGuardQuZero = 1u << 3,           // qu = 0 (ICOND 1, 3): n = 1
  kWrGuardSigmaZero = 1u << 4,        // sigma_n = 0 (ICOND 2, 4): n from the 3000 column
  kWrGuardDsZero = 1u << 5,           // Ds = 0: Lx/Ds taken as 1
  kWrGuardNegativeRatio = 1u << 6,    // Lx/Ds < 0: taken as 0
  kWrGuardModulusRatio = 1u << 7,     // Ec/Em not positive or Em = 0: e = 0 (Ec/Em taken as 1)
  kWrGuardTheta = 1u << 8,            // fa_r * Lx * Gamma = 0: theta = 0, f = fa_r (0 at w = 0)
  kWrGuardHyperbola = 1u << 9,        // theta - 2n + 1 = 0 (n > 1): f = fa_r
  kWrGuardBaseLength = 1u << 10,      // Lx = 0 (Gamma > 0): K = 0
  kWrGuardBaseBracket = 1u << 11,     // negative base of the power in K: K = 0
  kWrGuardNegativeMovement = 1u << 12 // w < 0: the base movement term is taken as 0
};

// Chart lookups (linear interpolation, clamped to the first and last row and column).
// FLUID_FACTOR: M from the slump (in) and zc (ft).
double FLUID_FACTOR(double slump_in, double zc);
// SIDE_ALPHA: alpha from sigma_n/pa and qu (lb/ft2).
double SIDE_ALPHA(double sn_pa, double qu);
// N_FACTOR: n from 2000 Em/sigma_n and qu/pa.
double N_FACTOR(double em_sn, double qu_pa);

// The shared weak-rock quantities at one depth, for a socket length Lx and movement w.
struct WeakRockQuantities {
  double slump_in = 0;        // concrete slump (in)
  double rqd = 0;             // RQD (percent)
  double qu = 0;              // lb/ft2
  double el = 0;              // intact modulus at z (ton/ft2)
  double phic = 0;            // interface friction angle (radians)
  int icond = 0;              // interface condition
  double Ds = 0;              // ft
  double Ei = 0;              // running mean of EL (ton/ft2)
  double zc = 0;              // ft
  double M = 0;
  double sigma_n = 0;         // lb/ft2
  double alpha = 0;
  double fa = 0;              // lb/ft2
  double modulus_factor = 0;  // Em/Ei
  double side_reduction = 0;  // fa_r/fa
  double fa_r = 0;            // lb/ft2
  double Em = 0;              // ton/ft2
  double n = 0;
  double s = 0;               // sqrt(Lx/Ds)
  double e = 0;               // log10(Ec/Em)
  double Omega = 0;
  double Gamma = 0;
  double theta = 0;
  double f = 0;               // lb/ft2
  double K = 0;
  double qb = 0;              // lb/ft2
  double base_load_lb = 0;    // 0.7854 Ds2 qb (lb)
  unsigned guards = 0;        // WeakRockGuard bits
};

// Computes the weak-rock quantities at in.z for the socket length Lx (ft) and movement w (ft);
// adds EL(z) to the running mean in `sums`.
WeakRockQuantities weak_rock_quantities(const WeakRockInput& in, double Lx, double w,
                                        WeakRockSums& sums);

// The capacity analysis's weak-rock step result.
struct WeakRockSide {
  WeakRockQuantities q;  // at the step's Lx and w = 0.05 Ds
  double z = 0;          // depth of the step (ft)
  double Lx = 0;         // z - z1, at least the layer's bottom BDS (ft)
  double Ls = 0;         // L - z1 (ft)
  double w = 0;          // 0.05 Ds (ft)
  double FBASE = 0;      // unit side term: fa_r for ICOND 2 and 4, f otherwise (lb/ft2)
  double QB = 0;         // base resistance (tons)

  // Range checks of the method.
  bool length_warning = false;    // Ls/Ds <= 2 or Lx/Ds > 20
  double length_ratio = 0;        // the ratio shown: Ls/Ds when it is out of range, else Lx/Ds
  bool modulus_warning = false;   // Ec/Em below 10 or above 500
  double modulus_ratio = 0;       // Ec/Em (0 when Em = 0)
  bool diameter_warning = false;  // Ds below 1.64 ft (value: q.Ds)
};

// WEAK_ROCK_SIDE: the weak-rock quantities at a one-foot depth step of the capacity analysis,
// with the range checks of the method.
WeakRockSide WEAK_ROCK_SIDE(const WeakRockInput& in, WeakRockSums& sums);

// The message-file lines for the substitutes recorded in `guards`, one per bit set.
std::vector<std::string> weak_rock_guard_notes(unsigned guards);

// Writes each range warning of `side` to the message file and then to the report, and the
// notes of its substitutes to the message file.
void write_weak_rock_warnings(Streams& out, const WeakRockSide& side);

}  // namespace korva
