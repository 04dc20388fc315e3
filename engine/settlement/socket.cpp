// Load-settlement curves of shafts socketed into rock or an intermediate geomaterial.
//
// Glossary (units inside: ft, tons of 2000 lb, lb/ft2; EL, Ei, Em and Ec in ton/ft2):
//   D, DSTART  stem diameter of the pass and of the run; socket diameters scale by D/DSTART
//   Ds         socket diameter (ft); As = 0.7854 Ds2 its area (ft2)
//   L          shaft length, the tip depth (ft)
//   z_r, Ls    strong rock: depth of the rock top and socket length L - z_r (ft)
//   RQD        rock quality designation (percent); Ei intact and Em rock-mass modulus
//   I          settlement influence factor of the socket, from Ec/Em and Ls/Ds
//   r          socket movement over Ds; r_Q the ratio at which the socket reaches Qr
//   Qr, QsA    socket capacity and side resistance above the rock (tons)
//   rho        movement ratio w/D of the soil above the rock in the upward walk
//   eta        decomposed rock: slenderness Lp/D'; lambda the shaft/soil stiffness ratio;
//              zeta the log of the influence radius over the shaft radius; muL the
//              compressibility term of the shaft; K the head flexibility factor
//   P1, w1     decomposed rock: load (lb) and movement (ft) at the end of the linear range
//   La, Ls     weak rock: length above the socket and socket length (ft)
//
// Substitutes where a formula would divide by zero or leave its domain (the results stay
// finite):
//   all three   no profile, or a tip index outside it: the curve is left at zero.
//   all three   DSTART = 0: the socket diameter is not scaled (D/DSTART taken as 1).
//   strong rock Ls = 0: mean RQD and Ei are the tip layer's means of its top and bottom
//               values (the limit of the thickness-weighted means as Ls goes to 0).
//   strong rock Ds = 0: the stem diameter D is used, as the capacity analysis does for a
//               rock layer without a socket diameter.
//   strong rock Ds still 0 (D = 0): Ls/Ds taken beyond the last key of the influence table
//               when Ls > 0 (the limit of a slender socket), as 0 otherwise.
//   strong rock Em = 0: the influence factor is read on the Ec/Em = 5000 row, the limit of
//               an unbounded Ec/Em.
//   strong rock Em Ds2 = 0: the socket has no stiffness and never reaches r_Q; r = r_i and
//               the socket load Ps = 0.
//   strong rock Ec As = 0, or Ec D3 = 0 in the upward walk: the elastic shortening terms
//               are taken as 0 (the shaft is treated as rigid).
//   strong rock D = 0: no upward walk (w/D undefined); the socket rows stand.
//   decomposed  D' = 0 or E not positive (no EL and N = 0): no stiffness, so no movement
//               can be derived; the curve is left at zero.
//   decomposed  N not positive: E = 0 (above) and the base load Qb = 0 (its limit as N
//               goes to 0; a negative N has no real power).
//   decomposed  sigma_v' not positive: Qb = 0 (its limit as sigma_v' goes to 0; no stress,
//               no base resistance).
//   decomposed  BLOWS bottom = 0 (no EL): rho = 1 (no stiffness gradient can be formed).
//   decomposed  log argument not above 1 (zeta <= 0, or no logarithm at all): K = 0, the
//               limit as zeta goes to 0 from above; the linear range has no movement.
//   decomposed  lambda not positive (Ec <= 0): the rigid-shaft limit lambda -> infinity,
//               where muL = 0, tanh(muL)/muL = 1 and the 1/lambda term vanishes.
//   decomposed  muL = 0: tanh(muL)/muL taken as its limit 1.
//   decomposed  cosh(muL) beyond the double range: K / (2.1 cosh muL) taken as 0.
//   decomposed  1 - K / (2.1 cosh muL) = 0: the linear range runs up to the ultimate load,
//               P1 = 2000 Qs(tip) + Qb.
//   weak rock   Es Ds2 = 0 (Ec = 0 or Ds = 0): the shortening of the shaft above the socket
//               is taken as 0 (the shaft is treated as rigid).
#include "settlement/socket.h"

#include "table_lookup.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <string>

namespace korva {

namespace {

constexpr double kFtPerM = 3.2808;     // ft per m
constexpr double kKnPerTon = 8.896;    // kN per ton of 2000 lb
constexpr int kPoints = 15;            // points of a curve
constexpr int kWalkRounds = 1000;      // iteration limit per layer of the upward walk

// ---- Tables ------------------------------------------------------------------------------

// Em/Ei by RQD (percent).
constexpr std::array<double, 12> kRqdKeys{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 95, 100};
constexpr std::array<double, 12> kRqdRatio{0.1,  0.105, 0.11, 0.12, 0.13, 0.14,
                                           0.17, 0.2,   0.47, 0.73, 0.85, 1};

// Settlement influence factor I by Ls/Ds, one row per Ec/Em.
constexpr std::array<double, 10> kSlendernessKeys{0, 1, 2, 4, 5, 6, 8, 10, 12, 20};
constexpr std::array<double, 10> kInfluence10{1.1,   0.5,  0.44, 0.395, 0.385,
                                              0.375, 0.373, 0.37, 0.367, 0.365};
constexpr std::array<double, 10> kInfluence50{1.1,  0.45, 0.35,  0.28, 0.26,
                                              0.24, 0.23, 0.215, 0.205, 0.2};
constexpr std::array<double, 10> kInfluence100{1.1,  0.43, 0.34, 0.255, 0.235,
                                               0.21, 0.19, 0.18, 0.16,  0.155};
constexpr std::array<double, 10> kInfluence5000{1.1,  0.4,  0.33, 0.23, 0.21,
                                                0.19, 0.16, 0.13, 0.11, 0.085};
// Below Ec/Em = 10 and beyond Ls/Ds = 20 the factor is 0.385 (not the row's last 0.365).
constexpr double kInfluenceStiffSlender = 0.385;

// Mobilised side resistance over the ultimate by movement ratio w/D.
constexpr std::array<double, 21> kSideKeys{0,     0.001, 0.002, 0.003, 0.004, 0.005, 0.006,
                                           0.007, 0.008, 0.009, 0.010, 0.011, 0.012, 0.013,
                                           0.014, 0.015, 0.016, 0.017, 0.018, 0.019, 0.020};
constexpr std::array<double, 21> kSand1{0,    0.22, 0.4,  0.54, 0.67, 0.74, 0.82,
                                        0.87, 0.9,  0.92, 0.93, 0.93, 0.93, 0.93,
                                        0.92, 0.92, 0.92, 0.91, 0.91, 0.9,  0.9};
constexpr std::array<double, 21> kClay1{0,    0.29, 0.52, 0.7,  0.78, 0.84, 0.87,
                                        0.89, 0.89, 0.88, 0.87, 0.86, 0.85, 0.84,
                                        0.83, 0.82, 0.8,  0.78, 0.77, 0.76, 0.75};
constexpr std::array<double, 21> kSand2{0, 0.45, 0.76, 0.9, 0.95, 0.98, 1, 1, 1, 1, 1,
                                        1, 1,    1,    1,   1,    1,    1, 1, 1, 1};
constexpr std::array<double, 21> kClay2{0,    0.74, 0.92, 0.97, 1,    1.01, 1.02,
                                        1.02, 1.02, 1.01, 1.01, 1,    1,    0.99,
                                        0.98, 0.97, 0.96, 0.95, 0.94, 0.93, 0.92};


// ---- Shared pieces -----------------------------------------------------------------------

bool usable(const SocketInput& in) {
  return in.profile != nullptr && in.tip >= 0 &&
         in.tip < static_cast<int>(in.profile->layers.size());
}

// Side resistance down to the bottom of layer i (tons); 0 above the first layer or for a
// layer the caller left out.
double qs_at(const SocketInput& in, int i) {
  return i >= 0 && i < static_cast<int>(in.Qs.size()) ? in.Qs[static_cast<std::size_t>(i)]
                                                      : 0.0;
}

// A socket diameter as input scaled to the pass: BDS * D / DSTART (unscaled when DSTART = 0).
double scaled_diameter(double bds, const SocketInput& in) {
  return in.DSTART != 0 ? bds * in.D / in.DSTART : bds;
}

// Movements from ft to in (English) or m (SI), loads from tons to kN (SI). A row is
// converted only when its head movement is positive. `both_pairs`: columns 3 and 4 too.
void to_user_units(SocketCurve& c, bool si, bool both_pairs) {
  for (auto& row : c.rows) {
    if (!(row[1] > 0)) continue;
    if (si) {
      row[0] *= kKnPerTon;
      row[1] /= kFtPerM;
      if (both_pairs) {
        row[2] *= kKnPerTon;
        row[3] /= kFtPerM;
      }
    } else {
      row[1] *= 12.0;
      if (both_pairs) row[3] *= 12.0;
    }
  }
}

// Socket movement over Ds at point i (0-based): strong rock and weak rock.
double rock_movement_ratio(int i) {
  if (i < 12) return 0.00018 * std::pow(1.5, i);
  static constexpr double kLast[3] = {0.025, 0.05, 0.1};
  return kLast[i - 12];
}

double weak_rock_movement_ratio(int i) {
  if (i < 12) return 0.00009 * std::pow(1.5, i);
  static constexpr double kLast[3] = {0.0125, 0.025, 0.05};
  return kLast[i - 12];
}

// ---- Strong rock: the walk up through the soil above the rock -----------------------------

struct WalkResult {
  double P;  // load at the ground surface (tons)
  double w;  // head movement (ft)
};

// Carries the socket load Ps up from the rock top through layers `from` .. 0, each layer
// adding its side resistance mobilised at the movement ratio reached (curve family
// `family`). `head` is the socket's head movement (ft). Needs D != 0.
WalkResult walk_up(const SocketInput& in, int family, int from, double Ps, double head,
                   double Ds) {
  const auto& layers = in.profile->layers;
  const double D = in.D;
  const double rho0 = head / D;
  const double w0 = head * Ds / D;
  const double axial = in.Ec * 0.7854 * D * D * D;  // Ec A D: shortening over w/D
  double last_ratio = 0;  // reused by layers that are neither sand nor clay
  auto ratio_at = [&](int ksoil, double rho) {
    if (ksoil == kSand) last_ratio = side_ratio(family, true, rho);
    else if (ksoil == kClay || ksoil == kClayShale) last_ratio = side_ratio(family, false, rho);
    return last_ratio;
  };

  double P_b = Ps, rho = rho0;
  double P_t = P_b, rho_t = rho;
  for (int m = from; m >= 0; --m) {
    const ProfileLayer& layer = layers[static_cast<std::size_t>(m)];
    const double h = layer.XBOT - layer.XTOP;
    double Q = qs_at(in, m) - qs_at(in, m - 1);
    if (Q < 1e-20) Q = 0;
    const double f_b = ratio_at(layer.KSOIL, rho);
    double P_e = P_b + f_b * Q;
    const double tolerance = 0.1 * f_b * Q;
    for (int round = 0; round < kWalkRounds; ++round) {
      rho_t = rho + (axial != 0 ? P_e * h / axial : 0.0);
      const double f_t = ratio_at(layer.KSOIL, rho_t);
      P_t = P_b + (f_b + f_t) / 2 * Q;
      if (std::fabs(P_t - P_e) <= tolerance || Q <= 1e-20) break;
      P_e = P_t;
    }
    P_b = P_t;
    rho = rho_t;
  }
  return {P_t, w0 + (rho_t - rho0) * D};
}

}  // namespace

// ---- Lookups -----------------------------------------------------------------------------

double rock_mass_ratio(double rqd) { return lookup(kRqdKeys, kRqdRatio, rqd); }

double influence_factor(double ec_em, double ls_ds) {
  // Each row clamps to its own last value beyond Ls/Ds = 20.
  const auto row = [ls_ds](const std::array<double, 10>& values) {
    return lookup(kSlendernessKeys, values, ls_ds);
  };
  if (ec_em < 10) return ls_ds > 20 ? kInfluenceStiffSlender : row(kInfluence10);
  if (ec_em < 50) {
    const double i10 = row(kInfluence10);
    return i10 - (ec_em - 10) * (i10 - row(kInfluence50)) / 40;
  }
  if (ec_em < 100) {
    const double i50 = row(kInfluence50);
    return i50 - (ec_em - 50) * (i50 - row(kInfluence100)) / 50;
  }
  if (ec_em < 5000) {
    const double i100 = row(kInfluence100);
    return i100 - (ec_em - 100) * (i100 - row(kInfluence5000)) / 4900;
  }
  return row(kInfluence5000);
}

double side_ratio(int family, bool sand, double w_d) {
  if (family == 2) return lookup(kSideKeys, sand ? kSand2 : kClay2, w_d);
  return lookup(kSideKeys, sand ? kSand1 : kClay1, w_d);
}

// ---- Heading -----------------------------------------------------------------------------

void write_socket_heading(Streams& out) {
  const std::string indent(15, ' ');
  out.put(kReport, "\n\n" + indent + "       LOAD SETTLEMENT RELATIONSHIP      \n" + indent +
                       "------------------------------------------   ");
}

// ---- Strong rock -------------------------------------------------------------------------

SocketCurve ROCK_SOCKET(const SocketInput& in) {
  SocketCurve c;
  if (!usable(in)) return c;
  const auto& layers = in.profile->layers;
  const int tip = in.tip;
  const ProfileLayer& tip_layer = layers[static_cast<std::size_t>(tip)];

  // Rock statistics over the rock layers down to the tip, weighted by their length in the
  // shaft (the tip layer from its top to the tip).
  int n_r = 0;
  double sum_rqd = 0, sum_el = 0;
  for (int i = 0; i <= tip; ++i) {
    const ProfileLayer& layer = layers[static_cast<std::size_t>(i)];
    if (!(layer.v.SOIL > 3)) continue;
    ++n_r;
    const double t = (i == tip ? in.L : layer.XBOT) - layer.XTOP;
    sum_rqd += t * ((layer.v.RQD[0] + layer.v.RQD[1]) / 2);
    sum_el += t * ((layer.v.EL[0] + layer.v.EL[1]) / 2);
  }
  // The layer whose bottom is the rock top; -1 when the rock reaches the surface.
  const int above = tip - n_r;
  const double z_r = above >= 0 ? layers[static_cast<std::size_t>(above)].XBOT : 0.0;
  const bool soil_above = above >= 0 && z_r > 0;
  const double Ls = in.L - z_r;
  double rqd, Ei;
  if (Ls != 0) {
    rqd = sum_rqd / Ls;
    Ei = sum_el / Ls;
  } else {
    rqd = (tip_layer.v.RQD[0] + tip_layer.v.RQD[1]) / 2;
    Ei = (tip_layer.v.EL[0] + tip_layer.v.EL[1]) / 2;
  }

  // Socket diameter at the top of the tip layer.
  double Ds = scaled_diameter(tip_layer.v.BDS[0], in);
  if (Ds == 0) Ds = in.D;

  // Socket capacity and the side resistance above the rock.
  const double QsA = soil_above ? qs_at(in, above) : 0.0;
  const double Qr = qs_at(in, tip) - QsA + in.QB;

  const double Em = rqd == 100 ? Ei : Ei * rock_mass_ratio(rqd);
  double ls_ds;
  if (Ds != 0) ls_ds = Ls / Ds;
  else ls_ds = Ls > 0 ? kSlendernessKeys.back() + 1 : 0.0;
  const double I = influence_factor(Em != 0 ? in.Ec / Em : 5000.0, ls_ds);

  const double stiffness = Em * Ds * Ds;  // Em Ds2: Ps = stiffness r / I
  const bool reaches_capacity = stiffness != 0;
  const double r_Q = reaches_capacity ? Qr * I / stiffness : 0.0;
  const double As = 0.7854 * Ds * Ds;
  const double EcAs = in.Ec * As;
  const bool walk = soil_above && in.D != 0;

  for (int k = 1; k <= 2; ++k) {
    for (int i = 0; i < kPoints; ++i) {
      auto& row = c.rows[static_cast<std::size_t>(i)];
      const double r_i = rock_movement_ratio(i);
      const double r = reaches_capacity ? std::min(r_i, r_Q) : r_i;
      const double Ps = stiffness * r / I;
      // Side above the rock, mobilised by the head movement of the previous pass.
      const double W = row[1];
      const double S = W <= 0.017 ? QsA * W / 0.017 : QsA;
      row[0] = S + Ps;
      const double shortening = EcAs != 0 ? Ps * z_r / EcAs + Ps * Ls / EcAs : 0.0;
      row[1] = shortening + r * Ds;
      if (k == 1) {
        row[2] = Ps;
      } else {
        row[2] = row[0];
        row[3] = row[1];
      }
      if (walk) {
        const WalkResult top = walk_up(in, k, above, Ps, row[1], Ds);
        row[k == 1 ? 0 : 2] = top.P;
        row[k == 1 ? 1 : 3] = top.w;
      }
    }
  }
  to_user_units(c, in.si, true);
  return c;
}

// ---- Decomposed rock or gravel -----------------------------------------------------------

SocketCurve DECOMPOSED_ROCK_SOCKET(const SocketInput& in) {
  SocketCurve c;
  if (!usable(in)) return c;
  const auto& layers = in.profile->layers;
  const int tip = in.tip;
  const ProfileLayer& J = layers[static_cast<std::size_t>(tip)];
  const LayerInput& v = J.v;
  const double H = J.XBOT - J.XTOP;

  // Values at the tip step.
  const double N = interp(v.BLOWS, in.zrel_tip, H);
  const double Ds = scaled_diameter(interp(v.BDS, in.zrel_tip, H), in);
  const double Dp = Ds < 0.001 ? in.DSTART : Ds;  // D'

  // Vertical effective stress at the middle of the tip layer, unless the tip step lies
  // above L + 2 Ds, where the stress of the step is used.
  double stress = 0;
  for (int j = 0; j < tip; ++j) {
    const ProfileLayer& a = layers[static_cast<std::size_t>(j)];
    stress += (a.v.GAMMA[0] + a.v.GAMMA[1]) / 2 * (a.XBOT - a.XTOP);
  }
  stress += (v.GAMMA[0] + v.GAMMA[1]) / 4 * H;
  const double z_mid = (J.XTOP + J.XBOT) / 2;
  const double pore = z_mid >= in.WTD ? 62.4 * (z_mid - in.WTD) : 0.0;
  double sigv = stress - pore;
  if (in.z_tip < in.L + 2 * Ds) sigv = in.sigv_tip;

  // Embedded length in the geomaterial.
  double Lp = in.L - J.XTOP;
  if (Lp < 0.0001) Lp = J.XBOT;

  // Modulus (lb/ft2) and stiffness ratio.
  double E, rho;
  if (v.EL[1] > 0.001) {
    E = 2000 * v.EL[1];
    rho = (v.EL[0] + v.EL[1]) / (2 * v.EL[1]);
  } else {
    E = N > 0 ? 46545.4 * std::pow(N, 0.82) : 0.0;
    rho = v.BLOWS[1] != 0 ? v.BLOWS[0] / v.BLOWS[1] : 1.0;
  }
  if (!(Dp > 0) || !(E > 0)) return c;
  const double eta = Lp / Dp;

  // Head flexibility factor K of the compressible pile.
  const double lambda = 5200 * in.Ec / E;
  const double log_arg = 2 * eta * (0.25 + 2.5 * (1.5 * rho - 0.25));
  double K = 0;
  double muL = 0;
  if (log_arg > 1) {
    const double zeta = std::log(log_arg);
    if (lambda > 0) {
      muL = 2 * eta * std::sqrt(2 / (zeta * lambda));
      if (muL != 0) {
        K = 5.6 * (1 + 8 * eta * std::tanh(muL) / (4.7124 * lambda * muL)) /
            (26.666666 + 12.5664 * rho * eta * std::tanh(muL) / (zeta * muL));
      } else {
        K = 5.6 * (1 + 8 * eta / (4.7124 * lambda)) / (26.666666 + 12.5664 * rho * eta / zeta);
      }
    } else {
      K = 5.6 / (26.666666 + 12.5664 * rho * eta / zeta);
    }
  }
  const double ch = std::cosh(muL);
  const double base_share = std::isfinite(ch) ? K / (2.1 * ch) : 0.0;

  // Base resistance (lb).
  double Qb = 0;
  if (sigv > 0 && N > 0)
    Qb = 0.7854 * Dp * Dp * 2.1459 * sigv * std::pow(423.14 * N / sigv, 0.8);

  // Linear range up to P1, then the base yields up to the ultimate load.
  const double side_lb = 2000 * qs_at(in, tip);
  const double P1 = (1 - base_share) != 0 ? side_lb / (1 - base_share) : side_lb + Qb;
  const double w1 = K * P1 / (E * Dp);
  for (int i = 1; i <= 10; ++i) {
    auto& row = c.rows[static_cast<std::size_t>(i - 1)];
    row[0] = i * P1 / 10 / 2000;
    row[1] = i * w1 / 10;
  }
  const double dP = side_lb + Qb - P1;
  const double dw = 0.84 * dP / (Dp * 0.4 * E);
  for (int k = 1; k <= 4; ++k) {
    auto& row = c.rows[static_cast<std::size_t>(9 + k)];
    row[0] = (P1 + k * dP / 4) / 2000;
    row[1] = w1 + k * dw / 4;
  }
  c.rows[14][0] = c.rows[13][0];
  c.rows[14][1] = 1.2 * (w1 + dw);
  to_user_units(c, in.si, false);
  return c;
}

// ---- Weak rock ---------------------------------------------------------------------------

SocketCurve WEAK_ROCK_SOCKET(const SocketInput& in, WeakRockSums& sums) {
  SocketCurve c;
  if (!usable(in)) return c;
  const auto& layers = in.profile->layers;
  const ProfileLayer& J = layers[static_cast<std::size_t>(in.tip)];

  // Socket top: the top of the first layer with a type code above 5.
  double z1 = 0;
  for (const ProfileLayer& layer : layers)
    if (layer.v.SOIL > 5) {
      z1 = layer.XTOP;
      break;
    }
  const double Ls = in.L - z1;  // also the stiffness length Lx
  const double La = z1;

  WeakRockInput w;
  w.layer = J.v;
  w.top = J.XTOP;
  w.bottom = J.XBOT;
  w.z = in.L;
  w.z1 = z1;
  w.D = in.D;
  w.DSTART = in.DSTART;
  w.Ec = in.Ec;
  w.si = in.si;
  w.L = in.L;

  // Socket diameter at the tip, computed as weak_rock_quantities does.
  const TopBottom& bds = J.v.BDS;
  const double bds_tip = J.XBOT == J.XTOP
                             ? bds[0]
                             : bds[0] + (bds[1] - bds[0]) * (in.L - J.XTOP) / (J.XBOT - J.XTOP);
  const double Ds = in.DSTART != 0 ? bds_tip * in.D / in.DSTART : bds_tip;

  const double Es = in.Ec * 2000 / 144;  // lb/in2
  for (int i = 0; i < kPoints; ++i) {
    auto& row = c.rows[static_cast<std::size_t>(i)];
    const double move = Ds * weak_rock_movement_ratio(i);
    const WeakRockQuantities q = weak_rock_quantities(w, Ls, move, sums);
    const double side_lb =
        std::min(2000 * in.QS, 2000 * in.QsW + 3.1416 * q.Ds * Ls * q.f);
    const double P = (side_lb + q.base_load_lb) / 2000;
    row[0] = P;
    row[1] = move;
    if (!(move > 0)) continue;
    // Elastic shortening of the shaft above the socket (in).
    const double area_stiffness = Es * 113.097595 * (q.Ds * q.Ds);
    const double shortening_in = area_stiffness != 0 ? 24000 * La * P / area_stiffness : 0.0;
    if (in.si) {
      row[1] = move / kFtPerM + 0.0254 * shortening_in;
      row[0] = P * kKnPerTon;
    } else {
      row[1] = 12 * move + shortening_in;
    }
  }
  return c;
}

}  // namespace korva
