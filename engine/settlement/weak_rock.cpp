// Weak rock (cohesive intermediate geomaterial): side and base resistance of a rock socket.
#include "settlement/weak_rock.h"

#include "table_lookup.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace korva {

namespace {

constexpr double kPa = 2115.7;  // atmospheric pressure (lb/ft2)

// ---- FHWA weak-rock charts -------------------------------------------------------------

// Fluid-concrete factor M: rows by slump (in), columns by zc (ft).
constexpr std::array<double, 3> kSlumpKeys{5, 6.89, 8.86};
constexpr std::array<double, 4> kZcKeys{0, 13.12, 26.25, 39.37};
constexpr std::array<std::array<double, 4>, 3> kFluidFactor{{
    {1, 0.52, 0.47, 0.35},
    {1, 0.96, 0.75, 0.65},
    {1, 1, 1, 0.9},
}};

// Side-resistance factor alpha: rows by qu (lb/ft2), columns by sigma_n/pa.
constexpr std::array<double, 6> kAlphaQuKeys{10415, 20830, 41660, 62490, 83320, 104150};
constexpr std::array<double, 7> kAlphaSnKeys{1, 2, 3, 4, 5, 6, 7};
constexpr std::array<std::array<double, 7>, 6> kSideAlpha{{
    {0.2, 0.34, 0.45, 0.5, 0.5, 0.5, 0.5},
    {0.145, 0.235, 0.3, 0.36, 0.4, 0.44, 0.47},
    {0.107, 0.16, 0.208, 0.245, 0.26, 0.275, 0.29},
    {0.085, 0.14, 0.16, 0.185, 0.21, 0.22, 0.225},
    {0.07, 0.118, 0.14, 0.155, 0.16, 0.168, 0.172},
    {0.066, 0.1, 0.122, 0.14, 0.15, 0.153, 0.156},
}};

// Factor n: rows by qu/pa, columns by 2000 Em/sigma_n.
constexpr std::array<double, 6> kNQuKeys{5, 14, 24, 28, 36, 48};
constexpr std::array<double, 7> kNEmKeys{400, 500, 600, 1000, 1500, 2000, 3000};
constexpr std::array<std::array<double, 7>, 6> kNFactor{{
    {0.5, 0.5, 0.5, 0.46, 0.42, 0.405, 0.4},
    {0.5, 0.48, 0.45, 0.38, 0.35, 0.375, 0.24},
    {0.472, 0.42, 0.375, 0.29, 0.255, 0.145, 0.075},
    {0.458, 0.4, 0.345, 0.26, 0.22, 0.11, 0},
    {0.43, 0.36, 0.29, 0.18, 0.15, 0.04, 0},
    {0.4, 0.3, 0.21, 0.08, 0.05, 0.018, 0},
}};

// Modulus factor Em/Ei by RQD (percent): row A for ICOND 1 and 2, row B otherwise.
constexpr std::array<double, 4> kRqdKeys{20, 50, 70, 100};
constexpr std::array<double, 4> kModulusFactorA{0.05, 0.15, 0.7, 1};
constexpr std::array<double, 4> kModulusFactorB{0.05, 0.1, 0.3, 0.6};

// Side reduction fa_r/fa by the modulus factor.
constexpr std::array<double, 6> kModulusFactorKeys{0.02, 0.05, 0.1, 0.3, 0.5, 1};
constexpr std::array<double, 6> kSideReduction{0.3, 0.45, 0.55, 0.7, 0.8, 1};

// ---- Lookups ---------------------------------------------------------------------------

using korva::lookup;

// Two-dimensional lookup: interpolates along the rows within the two neighbouring columns,
// then between those columns. Outside the first or last column only that column is used.
template <std::size_t R, std::size_t C>
double lookup(const std::array<double, R>& row_keys, const std::array<double, C>& column_keys,
              const std::array<std::array<double, C>, R>& table, double row_key,
              double column_key) {
  auto column = [&](std::size_t j) {
    std::array<double, R> values{};
    for (std::size_t i = 0; i < R; ++i) values[i] = table[i][j];
    return lookup(row_keys, values, row_key);
  };
  if (column_key <= column_keys[0]) return column(0);
  if (column_key >= column_keys[C - 1]) return column(C - 1);
  const std::size_t j = interval(column_keys, column_key);
  const double a = column(j);
  const double b = column(j + 1);
  return a + (b - a) * (column_key - column_keys[j]) / (column_keys[j + 1] - column_keys[j]);
}

// ---- Layer values ----------------------------------------------------------------------

// The value at depth z, linear between the layer's top and bottom values. A layer of zero
// thickness has no gradient: its top value is used.
double at_depth(const TopBottom& v, const WeakRockInput& in, unsigned& guards) {
  if (in.bottom == in.top) {
    guards |= kWrGuardLayerThickness;
    return v[0];
  }
  return v[0] + (v[1] - v[0]) * (in.z - in.top) / (in.bottom - in.top);
}

// Socket diameter at z: BDS scaled by D/DSTART. With DSTART = 0 the scale is undefined and
// the diameter is taken as given (scale 1).
double socket_diameter(const WeakRockInput& in, unsigned& guards) {
  const double bds = at_depth(in.layer.BDS, in, guards);
  if (in.DSTART == 0) {
    guards |= kWrGuardDstartZero;
    return bds;
  }
  return bds * in.D / in.DSTART;
}

// ICOND from the top record, rounded; values outside 1..4 are returned as 0 and so follow
// the "otherwise" branches of every ICOND choice.
int interface_condition(const LayerInput& layer) {
  const double r = std::round(layer.ICOND[0]);
  return (r >= 1 && r <= 4) ? static_cast<int>(r) : 0;
}

}  // namespace

double FLUID_FACTOR(double slump_in, double zc) {
  return lookup(kSlumpKeys, kZcKeys, kFluidFactor, slump_in, zc);
}

double SIDE_ALPHA(double sn_pa, double qu) {
  return lookup(kAlphaQuKeys, kAlphaSnKeys, kSideAlpha, qu, sn_pa);
}

// Beyond 2000 Em/sigma_n = 3000, where the chart ends, the 3000 column is used (our choice:
// the chart gives no trend to extend).
double N_FACTOR(double em_sn, double qu_pa) {
  return lookup(kNQuKeys, kNEmKeys, kNFactor, qu_pa, em_sn);
}

WeakRockQuantities weak_rock_quantities(const WeakRockInput& in, double Lx, double w,
                                        WeakRockSums& sums) {
  WeakRockQuantities q;
  unsigned& g = q.guards;
  const LayerInput& layer = in.layer;

  // Values at z. SI input gives the slump in metres.
  const double slump = at_depth(layer.SLUMP, in, g);
  q.slump_in = in.si ? slump * 1000.0 / 25.4 : slump;
  q.rqd = at_depth(layer.RQD, in, g);
  q.qu = at_depth(layer.QUR, in, g);
  q.el = at_depth(layer.EL, in, g);
  q.phic = at_depth(layer.WRDELTA, in, g) * 3.1416 / 180.0;
  q.icond = interface_condition(layer);
  q.Ds = socket_diameter(in, g);
  const bool half_qu = q.icond == 1 || q.icond == 3;

  // Running mean of the intact modulus. The count is positive after this call unless the
  // caller handed in a negative one; then the mean is replaced by EL at this depth.
  sums.count += 1.0;
  sums.sum_el += q.el;
  if (sums.count > 0) {
    q.Ei = sums.sum_el / sums.count;
  } else {
    g |= kWrGuardCountZero;
    q.Ei = q.el;
  }

  // Normal stress of the fluid concrete.
  q.zc = std::min(40.0, (in.L + in.z1) / 2.0);
  q.M = FLUID_FACTOR(q.slump_in, q.zc);
  q.sigma_n = 150.0 * q.zc * q.M;

  // Unit side resistance, then its reduction for the joints of the rock mass.
  q.alpha = SIDE_ALPHA(q.sigma_n / kPa, q.qu);
  q.fa = half_qu ? q.qu / 2.0 : q.alpha * q.qu * std::tan(q.phic) / 0.57735187;
  const bool row_a = q.icond == 1 || q.icond == 2;
  q.modulus_factor = lookup(kRqdKeys, row_a ? kModulusFactorA : kModulusFactorB, q.rqd);
  q.side_reduction = lookup(kModulusFactorKeys, kSideReduction, q.modulus_factor);
  q.fa_r = q.fa * q.side_reduction;
  q.Em = q.Ei * q.modulus_factor;

  // n. qu = 0: sigma_n/qu is unbounded; n = 1, its largest meaningful value (the side curve
  // then rises linearly to fa_r, which is 0 here anyway). sigma_n = 0: 2000 Em/sigma_n is
  // beyond the chart; the 3000 column is used, as for any value past its end.
  if (half_qu) {
    if (q.qu == 0) {
      g |= kWrGuardQuZero;
      q.n = 1.0;
    } else {
      q.n = q.sigma_n / q.qu;
    }
  } else if (q.sigma_n == 0) {
    g |= kWrGuardSigmaZero;
    q.n = N_FACTOR(3000.0, q.qu / kPa);
  } else {
    q.n = N_FACTOR(2000.0 * q.Em / q.sigma_n, q.qu / kPa);
  }

  // Slenderness Lx/Ds. Ds = 0: taken as 1, where Omega = 0.70 and Gamma = 0.50 whatever the
  // modulus ratio (a socket without diameter has no side or base area, so the terms only
  // need to stay finite and sensible). A negative ratio (negative length or diameter) is
  // taken as 0 so that its square root exists.
  double ratio = 1.0;
  if (q.Ds == 0) {
    g |= kWrGuardDsZero;
  } else {
    ratio = Lx / q.Ds;
  }
  if (ratio < 0) {
    g |= kWrGuardNegativeRatio;
    ratio = 0.0;
  }
  q.s = std::sqrt(ratio);

  // e = log10(Ec/Em). With Em = 0 (or a ratio that is not positive) the logarithm does not
  // exist; e = 0 (Ec/Em taken as 1) drops the modulus terms from Omega and Gamma. theta and
  // K are proportional to Em, so they are 0 when Em is.
  const double ec_em = q.Em != 0 ? in.Ec / q.Em : 0.0;
  if (ec_em > 0 && std::isfinite(ec_em)) {
    q.e = std::log10(ec_em);
  } else {
    g |= kWrGuardModulusRatio;
    q.e = 0.0;
  }
  q.Omega = 1.14 * q.s - 0.44 - 0.05 * (q.s - 1.0) * q.e;
  q.Gamma = 0.37 * q.s + 0.13 - 0.15 * (q.s - 1.0) * q.e;

  // Side curve. When fa_r, Lx or Gamma is 0, theta = movement / 0 is unbounded: theta is
  // reported as 0 and f taken as fa_r, the limit of the curve for an unbounded theta (f = 0
  // when the movement term is 0 as well). The hyperbolic branch can only meet a zero
  // denominator theta - 2n + 1 when n > 1; f is then taken as fa_r.
  const double movement = 2000.0 * q.Em * q.Omega * w;
  const double resistance = q.fa_r * 3.1416 * Lx * q.Gamma;
  if (resistance == 0) {
    g |= kWrGuardTheta;
    q.theta = 0.0;
    q.f = movement != 0 ? q.fa_r : 0.0;
  } else {
    q.theta = movement / resistance;
    if (q.theta <= q.n) {
      q.f = q.fa_r * q.theta;
    } else {
      const double d = q.theta - 2.0 * q.n + 1.0;
      if (d == 0) {
        g |= kWrGuardHyperbola;
        q.f = q.fa_r;
      } else {
        q.f = q.fa_r * (q.n + (q.theta - q.n) * (1.0 - q.n) / d);
      }
    }
  }

  // Base. K = 0 when Gamma <= 0. Lx = 0: K = 0, its limit as Lx goes to 0 (K grows as
  // Lx^0.33). A negative bracket has no real power 0.67: taken as 0, so K = 0.
  if (q.Gamma > 0) {
    if (Lx == 0) {
      g |= kWrGuardBaseLength;
      q.K = 0.0;
    } else {
      double bracket =
          200.0 * (1.0 + ratio) * (q.s - q.Omega) / (957.5597 * Lx * q.Gamma);
      if (bracket < 0) {
        g |= kWrGuardBaseBracket;
        bracket = 0.0;
      }
      q.K = 2.0 * 0.64159197 * q.Em * ratio * std::pow(bracket, 0.67) / (1.0 + ratio);
    }
  } else {
    q.K = 0.0;
  }
  // A negative movement has no real power 0.67: the base movement term is taken as 0.
  double w_mm = 304.8 * w;
  if (w_mm < 0) {
    g |= kWrGuardNegativeMovement;
    w_mm = 0.0;
  }
  q.qb = std::min(2.5 * q.qu, 20.88 * q.K * std::pow(w_mm, 0.67));
  q.base_load_lb = 0.7854 * (q.Ds * q.Ds) * q.qb;
  return q;
}

WeakRockSide WEAK_ROCK_SIDE(const WeakRockInput& in, WeakRockSums& sums) {
  WeakRockSide r;
  r.z = in.z;
  // Lx is at least the layer's socket diameter as input (not scaled by D/DSTART).
  r.Lx = std::max(in.z - in.z1, in.layer.BDS[1]);
  r.Ls = in.L - in.z1;
  unsigned ds_guards = 0;  // the same substitutes are recorded again by weak_rock_quantities
  r.w = 0.05 * socket_diameter(in, ds_guards);
  r.q = weak_rock_quantities(in, r.Lx, r.w, sums);
  const WeakRockQuantities& q = r.q;

  // Ds = 0: the slenderness ratios do not exist and the L/D check is not made; the
  // diameter check reports the zero diameter.
  if (q.Ds != 0) {
    const double ls_ds = r.Ls / q.Ds;
    const double lx_ds = r.Lx / q.Ds;
    if (ls_ds <= 2.0) {
      r.length_warning = true;
      r.length_ratio = ls_ds;
    } else if (lx_ds > 20.0) {
      r.length_warning = true;
      r.length_ratio = lx_ds;
    }
  }
  // Em = 0: Ec/Em does not exist; shown as 0, which also raises the warning.
  r.modulus_ratio = q.Em != 0 ? in.Ec / q.Em : 0.0;
  r.modulus_warning = r.modulus_ratio < 10.0 || r.modulus_ratio > 500.0;
  r.diameter_warning = q.Ds < 1.64;

  r.FBASE = (q.icond == 2 || q.icond == 4) ? q.fa_r : q.f;
  r.QB = q.base_load_lb / 2000.0;
  return r;
}

std::vector<std::string> weak_rock_guard_notes(unsigned guards) {
  struct Note {
    unsigned bit;
    const char* text;
  };
  static constexpr Note kNotes[] = {
      {kWrGuardLayerThickness, "LAYER OF ZERO THICKNESS: THE VALUES AT ITS TOP ARE USED."},
      {kWrGuardDstartZero, "STARTING DIAMETER IS ZERO: SOCKET DIAMETER NOT SCALED BY D/DSTART."},
      {kWrGuardCountZero, "NO CALLS COUNTED: INTACT MODULUS EI TAKEN AS EL AT THIS DEPTH."},
      {kWrGuardQuZero, "QU IS ZERO: SIGMA_N/QU UNDEFINED, N TAKEN AS 1."},
      {kWrGuardSigmaZero, "SIGMA_N IS ZERO: EM/SIGMA_N UNDEFINED, N READ AT EM/SIGMA_N = 3000."},
      {kWrGuardDsZero, "SOCKET DIAMETER IS ZERO: LX/DS UNDEFINED, TAKEN AS 1."},
      {kWrGuardNegativeRatio, "NEGATIVE SOCKET LENGTH/DIAMETER TAKEN AS 0."},
      {kWrGuardModulusRatio, "EM IS ZERO OR EC/EM NOT POSITIVE: LOG10(EC/EM) TAKEN AS 0."},
      {kWrGuardTheta, "FA_R*LX*GAMMA IS ZERO: THETA UNDEFINED, SIDE RESISTANCE TAKEN AS FA_R."},
      {kWrGuardHyperbola, "THETA-2N+1 IS ZERO (N ABOVE 1): SIDE RESISTANCE TAKEN AS FA_R."},
      {kWrGuardBaseLength, "SOCKET LENGTH IS ZERO: BASE STIFFNESS K TAKEN AS 0."},
      {kWrGuardBaseBracket, "NEGATIVE BASE STIFFNESS TERM: K TAKEN AS 0."},
      {kWrGuardNegativeMovement, "NEGATIVE MOVEMENT: BASE MOVEMENT TERM TAKEN AS 0."},
  };
  std::vector<std::string> notes;
  for (const Note& n : kNotes)
    if (guards & n.bit) notes.emplace_back(n.text);
  return notes;
}

namespace {

// The frame of a range warning: heading, rule, value line, message lines, two empty lines.
std::string range_warning(const std::string& label, double value,
                          std::initializer_list<const char*> message) {
  std::string text = "                     ERROR MESSAGE                \n   ";
  text += std::string(60, '-');
  text += '\n' + label + fmt::F(9, 2, value);
  for (const char* line : message) text += std::string("\n") + line;
  text += "\n\n";
  return text;
}

}  // namespace

void write_weak_rock_warnings(Streams& out, const WeakRockSide& side) {
  std::vector<std::string> blocks;
  if (side.length_warning)
    blocks.push_back(range_warning("                SOCKET LENGTH/SOCKET DIAMETER = ",
                                   side.length_ratio,
                                   {"     L/D SHOULD BE GREATER THAN 2.0 AND LESS THAN 20.0"}));
  if (side.modulus_warning)
    blocks.push_back(range_warning("                         Ec/Em = ", side.modulus_ratio,
                                   {"     Ec/Em SHOULD BE GREATER THAN 10.0 AND LESS THAN 500.0"}));
  if (side.diameter_warning)
    blocks.push_back(range_warning("                         Diameter (FT) = ", side.q.Ds,
                                   {"     SOCKET DIAMETER SHOULD BE GREATER THAN 0.5 m or 1.64 ft",
                                    "     AND LESS THAN 1.53 m or 5 ft."}));
  for (const std::string& b : blocks) {
    out.put(kMessages, b);
    out.put(kReport, b);
  }
  for (const std::string& note : weak_rock_guard_notes(side.q.guards))
    out.put(kMessages, "     WEAK ROCK AT DEPTH" + fmt::F(9, 2, side.z) + " FT: " + note);
}

}  // namespace korva
