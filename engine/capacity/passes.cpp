#include "passes.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "frame/message_texts.h"
#include "resistance.h"

namespace korva {

namespace {

constexpr double kWater = 62.4;      // lb/ft3
constexpr double kDegrees = 57.29;   // degrees per radian, as the capacity analysis uses it

// Interpolated rock value; a result below both end values (a step beyond the layer's
// bottom) takes the layer's top value.
double rock_value(const TopBottom& v, double zrel, double h) {
  const double x = interp(v, zrel, h);
  return (x < v[0] && x < v[1]) ? v[0] : x;
}

void message(Streams& out, const std::string& text) { out.put(kMessages, text); }

const std::string kUnitWeightError =
    std::string("\n\n") + msg::kErrorBanner + "\n" + msg::kTotalUnitWeight + "\n\n";

const std::string kSandInputError =
    std::string("\n\n") + msg::kErrorBanner + "\n" + msg::kSandNeedsNOrPhi + "\n\n";

const std::string kClayNWarning =
    std::string("\n\n") + msg::kWarningBanner + "\n" + msg::kClayFromN + "\n\n";

template <class T>
T& grow(std::vector<T>& v, int i) {
  if (i >= static_cast<int>(v.size())) v.resize(static_cast<std::size_t>(i) + 1, T{});
  return v[static_cast<std::size_t>(i)];
}

}  // namespace

CapacityState make_capacity_state(const ProjectInput& in, SoilProfile profile, Streams& out) {
  CapacityState st;
  st.in = in;
  st.profile = std::move(profile);
  st.target_length = in.TARGET_LENGTH;
  st.FST = in.FST;
  st.FSB = in.FSB;
  if (in.KCYCL == 2) st.FSB = 1;  // uplift takes the shaft weight without a factor
  for (double* fs : {&st.FST, &st.FSB}) {
    if (!(*fs > 0)) {
      message(out, std::string("\n     ") + msg::kWarningBanner + "\n     " +
                       msg::kSafetyFactorNotPositive + "\n");
      *fs = 1;
    }
  }
  return st;
}

PassGeometry pass_geometry(const ProjectInput& in, double DSTEM, bool* bad_bell) {
  PassGeometry g;
  g.DSTEM = DSTEM;
  g.DRATIO = in.DSTART > 0 ? DSTEM / in.DSTART : 1.0;
  const limits::ShaftBase base = limits::BaseOf(DSTEM, in.RATIO, in.BELANG);
  if (in.RATIO != 0 && !base.belled && bad_bell) *bad_bell = true;
  g.belled = base.belled;
  g.BD = base.BD;
  g.AB = kPi / 4 * g.BD * g.BD;
  if (g.belled) {
    g.TOE = base.TOE;
    g.HB = base.HB;
    g.VU = (g.AB * g.TOE + kPi * (g.HB - g.TOE) / 3 *
                               ((DSTEM * DSTEM + g.BD * g.BD) / 4 + DSTEM * g.BD / 4)) /
           27;
  }
  g.AS1 = 0.36 * kPi * DSTEM * DSTEM;
  g.BEX = std::floor(in.BS + 0.5) + g.HB;
  g.NZONE = static_cast<int>(2 * g.BD);
  return g;
}

int layer_at(const SoilProfile& p, double z) {
  for (std::size_t i = 0; i < p.layers.size(); ++i)
    if (p.layers[i].XBOT > z) return static_cast<int>(i);
  return static_cast<int>(p.layers.size()) - 1;
}

DepthTables depth_loop(CapacityState& st, const PassGeometry& g, Streams& out) {
  const ProjectInput& in = st.in;
  SoilProfile& prof = st.profile;
  round_layer_depths(prof);
  const std::vector<StressPoint> points = stress_points(prof);

  DepthTables t;
  t.AB = g.AB;
  t.NZONE = g.NZONE;
  t.layers.resize(prof.layers.size());
  t.QBU.assign(prof.layers.size(), 0.0);
  double AB = g.AB;
  double QS = 0, QSL = 0;
  double COEF = 0, NC = 0;  // carried from step to step where a layer gives none

  // Socket top of the weak-rock method: the first layer with a type code above 5.
  double z1 = 0;
  for (const ProfileLayer& L : prof.layers)
    if (L.v.SOIL > 5) {
      z1 = L.XTOP;
      break;
    }

  bool zero_socket_noted = false;
  std::vector<char> written;  // step indexes a step wrote
  for (std::size_t I = 0; I < prof.layers.size(); ++I) {
    ProfileLayer& layer = prof.layers[I];
    const LayerInput& v = layer.v;
    const int K = layer.KSOIL;
    if (layer.XBOT <= in.TOPLEN) continue;
    const double start = std::max(layer.XTOP, in.TOPLEN);
    const int steps = static_cast<int>(layer.XBOT) - static_cast<int>(start);
    const double H = layer.XBOT - layer.XTOP;
    for (int k = 1; k <= steps; ++k) {
      const double z = start + k;
      const double ZREL = z - layer.XTOP;

      // Working values at z.
      if (layer.COEFEST) {
        if (K == kSand && v.ISIDE == 2) COEF = sand_beta(z, interp(v.BLOWS, ZREL, H));
        else if (K == kGravellySand) COEF = gravelly_sand_beta(z);
        else if (K == kGravel) COEF = gravel_beta(z);
        else COEF = std::clamp(interp(v.COEF, ZREL, H), 0.25, 1.2);
      } else if (v.COEF[0] > 1e-5 && v.COEF[1] > 1e-5) {
        COEF = interp(v.COEF, ZREL, H);
      }
      const double N = interp(v.BLOWS, ZREL, H);
      double phi_deg = interp(v.PHI, ZREL, H);
      const double CU = interp(v.CU, ZREL, H);
      const double GAMMA = interp(v.GAMMA, ZREL, H);
      if (v.NC[0] > 1e-5 && v.NC[1] > 1e-5) NC = interp(v.NC, ZREL, H);
      if (K == kSand) NC = 0;
      const double TRANLM = interp(v.TRANLM, ZREL, H) / 2000;
      const double QMAX = interp(v.QMAX, ZREL, H) / 2000;
      double delta_deg = interp(v.DELTA, ZREL, H);
      if (delta_deg == 0) delta_deg = phi_deg;
      double phi = phi_deg / kDegrees;
      const double delta = K == kSand ? delta_deg / kDegrees : 0.0;
      const double SIGV = EFFSTRESS(points, prof, z);

      if ((K == kSand || K == kClay || K == kClayShale || K == kDecomposedRock) && GAMMA < 50)
        message(out, kUnitWeightError);
      if (K == kSand && N < 0.001 && phi_deg < 0.001) message(out, kSandInputError);

      // Strength term C (lb/ft2) and, in rock, the socket.
      double C = 0;
      double socket_perim = 0;
      double socket_d = 0;
      double qu_min = 0;
      if (K == kClay || K == kClayShale) {
        C = CU;
      } else if (K >= kStrongRockSideOrBase && K <= kStrongRock) {
        qu_min = std::min(rock_value(v.QUR, ZREL, H), rock_value(v.QUCON, ZREL, H));
        if (qu_min <= 40320) {
          COEF = 0.15;
          C = qu_min;
        } else {
          COEF = 2.5;
          C = 144 * std::sqrt(qu_min / 144);
        }
        if (K == kStrongRockSideOrBase && in.KCYCL == 1 && qu_min > 144000) C = 0;
        socket_d = rock_value(v.BDS, ZREL, H) * g.DRATIO;
        socket_perim = kPi * socket_d;
      }

      double FBASE = SIGV * std::tan(delta) + C;
      double QB_step = 0;
      bool QB_set = false;
      if (K == kSand && phi <= 1e-5) {
        phi_deg = PHIFROMN(N, SIGV);
        phi = phi_deg / kDegrees;
        FBASE = SIGV * std::tan(phi) + C;
      } else if (K == kClay && CU < 1e-5) {
        FBASE = 200 * N;
        out.put(kReport, kClayNWarning);
      } else if (K == kClayShale && CU < 1e-5) {
        FBASE = 2000 * N / 53;
      } else if (K == kDecomposedRock || K == kWeakRock) {
        if (in.METHOD == 1) st.target_length = (layer.XTOP + layer.XBOT) / 2 + in.TOPLEN;
        if (K == kDecomposedRock) {
          double B = interp(v.BDS, ZREL, H) * g.DRATIO;
          if (B < 0.001) B = in.DSTART;
          double s;
          if (z < st.target_length + 2 * B) {
            s = SIGV;
          } else {
            // Stress at the middle of the layer from the mean unit weights.
            s = 0;
            for (std::size_t j = 0; j < I; ++j) {
              const ProfileLayer& a = prof.layers[j];
              s += (a.v.GAMMA[0] + a.v.GAMMA[1]) / 2 * (a.XBOT - a.XTOP);
            }
            s += (v.GAMMA[0] + v.GAMMA[1]) / 4 * H;
            const double zm = (layer.XTOP + layer.XBOT) / 2;
            if (zm >= st.profile.WTD) s -= kWater * (zm - st.profile.WTD);
          }
          const IgmSandResult r = IGMSAND(s, N, B);
          if (r.no_stress)
            message(out, std::string("\n     ") + msg::kNoEffectiveStress1 + std::to_string(z) +
                             msg::kNoEffectiveStress2 + "\n");
          FBASE = r.FBASE;
          QB_step = r.QB;
        } else {
          WeakRockInput w;
          w.layer = v;
          w.top = layer.XTOP;
          w.bottom = layer.XBOT;
          w.z = z;
          w.z1 = z1;
          w.D = g.DSTEM;
          w.DSTART = in.DSTART;
          w.Ec = in.Ec;
          w.si = in.si();
          w.L = st.target_length;
          const WeakRockSide r = WEAK_ROCK_SIDE(w, st.weak_rock);
          write_weak_rock_warnings(out, r);
          FBASE = r.FBASE;
          QB_step = r.QB;
        }
        QB_set = true;
      }

      // Side resistance of the step.
      double FS = 0;
      DepthStep step;
      step.z = z;
      step.layer = static_cast<int>(I);
      step.SIGV = SIGV;
      step.angle_deg = K == kSand ? delta_deg : phi_deg;
      if (COEF > 0) {
        if (in.KCYCL == 2) {
          FBASE *= in.RCYCL;
          if (in.RATIO > 1) FBASE *= in.RATIO;
        }
        if ((K == kSand && v.ISIDE == 2) || K == kGravellySand || K == kGravel) {
          // Beta method on the effective stress at the middle of the step.
          double sm = z <= st.profile.WTD ? SIGV - 0.5 * GAMMA : SIGV - 0.5 * (GAMMA - kWater);
          if (in.KCYCL == 2) sm *= in.RCYCL;
          FS = COEF * sm / 2000;
          if (K != kGravel) FS = std::min(FS, 2.1);
          step.method = DepthStep::kBeta;
          step.COEF = COEF;
        } else if (K == kSand && v.ISIDE == 1) {
          FS = COEF * FBASE / 2000;  // Ko method
          step.method = DepthStep::kKo;
          step.COEF = COEF;
        } else if (K == kSand) {
          // Chen and Kulhawy (2002): K from the overconsolidation ratio and phi. Sand methods
          // other than 1 and 2 are taken as this one, as the project writer stores them.
          const double m = interp(v.COEF, ZREL, H);
          const double sinp = std::sin(phi);
          const double kp = std::pow(std::tan(kPi / 4 + phi / 2), 2);
          double Kc = kp;  // no stress: OCR unbounded, K at its passive limit
          if (SIGV > 0) {
            const double OCR = std::max(1.0, 994.37897 * std::pow(std::max(N, 0.0), m) / SIGV);
            Kc = std::min((1 - sinp) * std::pow(OCR, sinp), kp);
          }
          FS = Kc * FBASE / 2000;
          step.method = DepthStep::kKChenKulhawy;
          step.COEF = Kc;
          step.angle_deg = phi_deg;
        } else if (K == kDecomposedRock || K == kWeakRock) {
          FS = FBASE / 2000;
          step.method = DepthStep::kGeomaterial;
        } else if (K != 0) {
          FS = COEF * FBASE / 2000;  // alpha method in clay; rock
          step.method = K == kClay || K == kClayShale ? DepthStep::kAlpha : DepthStep::kRock;
          step.COEF = COEF;
        }
        if (TRANLM > 0.0001) FS = std::min(FS, TRANLM);
        if (TRANLM > 0.0001) step.FS_limit = TRANLM;
        step.COEF_estimated = layer.COEFEST || layer.marks.COEF[0] || layer.marks.COEF[1];
        double PERIM = kPi * g.DSTEM;
        if (K >= kStrongRockSideOrBase && K <= kStrongRock && socket_perim >= 0.001)
          PERIM = socket_perim;
        QSL += v.PHIS * PERIM * FS;
        QS += PERIM * FS;
      }
      if (K == kWeakRock && !t.weak_rock_met) {
        t.weak_rock_met = true;
        t.QsW = QS;
      }

      // Base resistance of a base at z.
      int rockstep = 1;
      double QB = QB_step;
      if (!QB_set) {
        if (K == kClay || K == kClayShale) {
          const bool has_cu = v.CU[0] > 1e-5 || v.CU[1] > 1e-5;
          const double cu = has_cu ? CU / 2000 : N / 10;
          QB = clay_base(NC, cu, g.BD, AB, z, K == kClayShale);
        } else if (K == kStrongRockSideOrBase || K == kStrongRock) {
          double B = socket_d;
          if (B < 0.001) {
            // No socket diameter given: the stem diameter stands in, so the base formula
            // and the averaging zone below it stay defined.
            B = g.DSTEM;
            if (!zero_socket_noted) {
              zero_socket_noted = true;
              message(out, std::string("\n     ") + msg::kNoSocketDiameter1 + std::to_string(I + 1) +
                               msg::kNoSocketDiameter2 + "\n");
            }
          }
          const double s = rock_value(v.CS, ZREL, H);
          const double tj = interp(v.DISCT, ZREL, H);
          const double qu = rock_value(v.QUR, ZREL, H);
          QB = rock_base(qu, B, s, tj);
          AB = 0.7854 * B * B;
          if (K == kStrongRockSideOrBase && qu_min <= 144000) QB = 0;
          rockstep = 0;
          t.NZONE = static_cast<int>(2 * B);
          t.last_rock_qu = qu_min;
        } else if (K == kSand || K == kGravellySand || K == kGravel) {
          const GranBase gb = GRANBASE(N, phi_deg, g.BD, AB, z, in.IMOD);
          QB = gb.QB;
          t.QBU[I] = gb.QBU;
        }
      }
      QB = limit_base(QB, QMAX, AB);
      if (in.KCYCL == 2) QB = 0;

      // Store the step.
      step.FS = FS;
      step.QS = QS;
      step.QB = QB;
      step.AB = AB;
      t.steps.push_back(step);
      const int idx = static_cast<int>(std::lround(z + g.BEX));
      const int d = static_cast<int>(std::lround(z));
      if (idx >= 0) {
        grow(written, idx) = 1;
        grow(t.QS, idx) = QS;
        grow(t.QSL, idx) = QSL;
        grow(t.FS, idx) = FS;
        grow(t.FS_psi, idx) = FS * 2000 / 144;
        grow(t.depth_in, idx) = z * 12;
        t.deepest_index = std::max(t.deepest_index, idx);
      }
      if (d >= 0) {
        grow(t.QB, d) = QB;
        grow(t.ROCKSTEP, d) = rockstep;
      }
      LayerSteps& ls = t.layers[I];
      const double qba = AB > 0 ? QB / AB : 0;
      if (!ls.any) {
        ls.any = true;
        ls.FS_first = FS;
        ls.QBA_first = qba;
      }
      ls.FS_last = FS;
      ls.QBA_last = qba;
      ls.QS_last = QS;
    }
  }
  t.AB = AB;

  // Indexes that no step reached (a fractional top length can skip one) carry the running
  // sums of the step before them.
  for (std::size_t i = 1; i < t.QS.size(); ++i) {
    if (!grow(written, static_cast<int>(i))) {
      t.QS[i] = t.QS[i - 1];
      t.QSL[i] = t.QSL[i - 1];
    }
  }
  return t;
}

// Volume (ft3) of the bell of a shaft `L` ft long below depth `z`: the part of its cone
// (from the stem's diameter at L - HB to the base diameter at L - TOE) and of its toe (the
// base diameter from L - TOE to L) that lies deeper than z.
static double bell_volume_below(const PassGeometry& g, int L, double z) {
  const double top = L - g.HB, cone_bottom = L - g.TOE;
  double v = g.AB * (L - std::max(z, cone_bottom));
  if (z < cone_bottom && g.HB > g.TOE) {
    const double z1 = std::max(z, top);
    const double d1 = g.DSTEM + (g.BD - g.DSTEM) * (z1 - top) / (g.HB - g.TOE);
    v += kPi / 12 * (cone_bottom - z1) * (d1 * d1 + d1 * g.BD + g.BD * g.BD);
  }
  return v;
}

TableRow table_row(const CapacityState& st, const PassGeometry& g, const DepthTables& t, int L) {
  const ProjectInput& in = st.in;
  auto at = [](const std::vector<double>& v, int i) {
    return i >= 0 && i < static_cast<int>(v.size()) ? v[static_cast<std::size_t>(i)] : 0.0;
  };
  TableRow r;
  r.LENGTH = L;
  r.VOLUME = (L - g.HB) * kPi / 4 * g.DSTEM * g.DSTEM / 27 + g.VU;
  r.QS = at(t.QS, L);
  const ProfileLayer& tip = st.profile.layers[static_cast<std::size_t>(layer_at(st.profile, L))];
  if (in.KCYCL == 2) {
    // Uplift: the shaft's weight (150 lb/ft3 concrete, 4050 lb/yd3), buoyant below the water:
    // less the water (62.4 lb/ft3, 0.02450448 tons per foot of a stem of unit diameter) that
    // the stem and the bell displace below the water table.
    double WT = r.VOLUME * 4050 / 2000;
    const double WTD = st.profile.WTD;
    const double stem_bottom = L - g.HB;
    if (stem_bottom > WTD) WT -= (stem_bottom - WTD) * 0.02450448 * g.DSTEM * g.DSTEM;
    if (g.belled && L > WTD) WT -= bell_volume_below(g, L, WTD) * (0.02450448 / (kPi / 4));
    r.QB = WT;
    r.LRFD_QB = WT;
  } else {
    r.QB = average_base(t.QB, t.ROCKSTEP, L, t.NZONE, g.DSTEM);
    r.LRFD_QB = r.QB * tip.v.PHIT;
  }
  r.QU = r.QS + r.QB;
  r.QBD = r.QS + r.QB / st.FSB;
  r.QDN = r.QS / st.FST + r.QB / st.FSB;
  r.QU_VOLUME = r.VOLUME != 0 ? r.QU / r.VOLUME : 0;
  r.LRFD_QS = at(t.QSL, L);
  r.LRFD_QU = r.LRFD_QS + r.LRFD_QB;
  return r;
}

std::vector<PassPlan> plan_passes(const ProjectInput& in, double first_target) {
  std::vector<PassPlan> plan;
  const bool vary_length = in.IPENT > 0 || in.IChart > 0;
  const double dstep = in.IChart > 0 ? in.DIAMINCR : 0.5;
  double target = first_target;
  for (int IVLEN = 1;; ++IVLEN) {
    double DSTEM = in.DSTART;
    for (int IVDIA = 1;; ++IVDIA) {
      // The input check refuses projects beyond these counts; they also bound the loops.
      if (IVLEN > kMaxLengths || IVDIA > (in.IChart > 0 ? kMaxChartDiameters : kMaxDiameters) ||
          plan.size() >= static_cast<std::size_t>(kMaxPasses))
        return plan;
      plan.push_back({target, DSTEM, IVLEN, IVDIA});
      DSTEM += dstep;
      // A step that does not advance would never end the loop.
      if (!(DSTEM < in.DIAEND + 0.02) || !(dstep > 0)) break;
    }
    if (!vary_length) break;
    target -= in.PDINCR;
    if (!(target > in.PDMIN - 0.02) || !(in.PDINCR > 0)) break;
  }
  return plan;
}

int blocks_for_pass(const ProjectInput& in, const std::vector<PassPlan>& plan, std::size_t index) {
  if (in.IPENT > 0) return static_cast<int>(plan.size() - index);
  int n = 0;
  for (const PassPlan& p : plan) n += p.IVLEN == 1;
  return n;
}

}  // namespace korva
