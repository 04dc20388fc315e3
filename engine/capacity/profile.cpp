#include "profile.h"

#include <algorithm>
#include <cmath>

namespace korva {

namespace {

constexpr double kWater = 62.4;  // unit weight of water, lb/ft3

// A chart curve: (N, angle) points, linear in between, flat beyond its ends.
struct CurvePoint {
  double n, angle;
};

template <std::size_t K>
double curve_at(const std::array<CurvePoint, K>& c, double n) {
  if (n <= c.front().n) return c.front().angle;
  for (std::size_t i = 1; i < K; ++i)
    if (n <= c[i].n)
      return c[i - 1].angle + (c[i].angle - c[i - 1].angle) * (n - c[i - 1].n) / (c[i].n - c[i - 1].n);
  return c.back().angle;
}

// Friction angle against SPT blow count for effective overburden pressures of 0, 20 and
// 40 lb/in2 (Gibbs and Holtz chart as used for drilled shafts in sand).
constexpr std::array<CurvePoint, 7> kPhi0{{{0, 0}, {2, 32}, {4, 34}, {6, 36}, {10, 38}, {15, 42}, {20, 45}}};
constexpr std::array<CurvePoint, 11> kPhi20{{{6, 30}, {10, 32}, {15, 34}, {20, 36}, {25, 37}, {30, 39},
                                             {35, 40}, {40, 41}, {45, 42}, {50, 44}, {55, 45}}};
constexpr std::array<CurvePoint, 17> kPhi40{{{10, 31}, {15, 32}, {20, 34}, {25, 35}, {30, 36}, {35, 36},
                                             {40, 37}, {45, 38}, {50, 39}, {55, 39}, {60, 40}, {65, 41},
                                             {70, 42}, {75, 42}, {80, 43}, {85, 44}, {90, 44}}};

const char* const kClayWarning =
    "       ..........WARNING..........\n"
    "       THE SHEAR STRENGTH OF THIS MATERIAL MAY BE TOO HIGH\n"
    "       FOR USING CLAY CRITERIA. DESIGN AS INTERMEDIATE\n"
    "       GEOMATERIALS IS RECOMMENDED.\n"
    "\n";

}  // namespace

std::vector<StressPoint> stress_points(const SoilProfile& profile) {
  std::vector<StressPoint> points;
  double cum = 0;
  for (const ProfileLayer& L : profile.layers) {
    const double thickness = L.XBOT - L.XTOP;
    const int n = thickness > 0 ? static_cast<int>(thickness) : 0;
    for (int k = 1; k <= n; ++k) {
      const double depth = L.XTOP + k;
      const double gamma = L.v.GAMMA[0] + k * (L.v.GAMMA[1] - L.v.GAMMA[0]) / n;
      cum += depth <= profile.WTD ? gamma : gamma - kWater;
      points.push_back({depth, cum});
    }
  }
  return points;
}

double EFFSTRESS(const std::vector<StressPoint>& points, const SoilProfile& profile, double z) {
  if (profile.layers.empty() || z > profile.layers.back().XBOT) return 0;
  if (points.empty()) return 0;
  if (points.size() == 1) {
    // A profile one foot deep: the stress grows linearly from the surface.
    const StressPoint& p = points.front();
    return p.depth > 0 ? p.stress * z / p.depth : p.stress;
  }
  // The first point from the second on that lies deeper than z, and the one before it;
  // at or below the last point the last two points are used.
  std::size_t i = 1;
  while (i < points.size() - 1 && !(points[i].depth > z)) ++i;
  const StressPoint& a = points[i - 1];
  const StressPoint& b = points[i];
  if (b.depth == a.depth) return 0.5 * (a.stress + b.stress);
  return a.stress + (b.stress - a.stress) * (z - a.depth) / (b.depth - a.depth);
}

double PHIFROMN(double N, double SIGV) {
  const double p = SIGV / 144.0;  // lb/in2
  if (p <= 20) {
    if (N < 6) {
      const double c0 = curve_at(kPhi0, N);
      return c0 - (p / 20) * (c0 - 30);
    }
    if (N <= 20) {
      const double c0 = curve_at(kPhi0, N);
      return c0 - (p / 20) * (c0 - curve_at(kPhi20, N));
    }
    if (N <= 55) {
      const double c20 = curve_at(kPhi20, N);
      return c20 + ((20 - p) / 20) * (45 - c20);
    }
    return 45;
  }
  if (p < 40) {
    if (N <= 6) return 5 * N;
    if (N < 10) return 30 + 0.5 * (N - 6);
    if (N <= 55) {
      const double c20 = curve_at(kPhi20, N);
      return c20 - ((p - 20) / 20) * (c20 - curve_at(kPhi40, N));
    }
    if (N <= 90) {
      const double c40 = curve_at(kPhi40, N);
      return c40 + ((40 - p) / 20) * (45 - c40);
    }
    return 45;
  }
  if (N <= 10) return 3 * N;
  // Beyond N = 90 the 40 lb/in2 chart ends; it is continued flat at its last angle (44),
  // the lower and therefore safer of the values next to it.
  return curve_at(kPhi40, N);
}

double clay_alpha(double CU) {
  const double x = CU / 2116.8;
  if (x <= 1.5) return 0.55;
  if (x < 2.5) return 0.55 - 0.1 * (x - 1.5);
  return 0.4;
}

double clay_nc(double z, double DSTART, int KSOIL) {
  const double limit = KSOIL == kClayShale ? 7.0 : 9.0;
  // A zero diameter makes z/DSTART unbounded: the factor then stands at its limit.
  if (!(DSTART > 0)) return limit;
  return std::min(limit, 6 * (1 + 0.2 * z / DSTART));
}

double sand_beta(double z, double N) {
  double beta = 1.5 - 0.135 * std::sqrt(std::max(z, 0.0));
  if (N > 0 && N < 15) beta = beta * N / 15;
  return std::clamp(beta, 0.25, 1.2);
}

double gravelly_sand_beta(double z) {
  return std::clamp(2.0 - 0.15 * std::pow(std::max(0.3048 * z, 0.0), 0.75), 0.25, 1.8);
}

double gravel_beta(double z) { return std::clamp(3.4 * std::exp(-0.025908 * z), 0.25, 3.0); }

SoilProfile estimate_profile(const ProjectInput& input, EstimationNotes& notes) {
  SoilProfile prof;
  prof.WTD = input.WTD;
  double top = 0;
  for (const LayerInput& in : input.layers) {
    ProfileLayer L;
    L.v = in;
    L.KSOIL = in.type();
    L.XTOP = top;
    L.XBOT = in.DEPTH;
    top = in.DEPTH;
    prof.layers.push_back(L);
  }
  const std::vector<StressPoint> points = stress_points(prof);
  auto depth_of = [](const ProfileLayer& L, int e) { return e == 0 ? L.XTOP : L.XBOT; };

  // First pass: sand and clay parameters from the other parameters of the layer.
  //
  // A side coefficient estimated here (sand beta, clay and clay-shale alpha) is computed at
  // the layer's top and bottom for the report's echo only. The layer still takes the second
  // pass and is re-estimated at every depth step: beta = 1.5 - 0.135 sqrt(z) (times N/15 in
  // loose sand) is curved in z, and so is N/15 where the blow count varies, so a straight
  // line between the two end values would overstate side resistance inside a thick layer.
  // Alpha keeps its interpolated value per step, but the second pass is where the warning
  // on a clay too strong for the alpha method is written.
  std::vector<bool> coef_estimated(prof.layers.size(), false);
  for (std::size_t I = 0; I < prof.layers.size(); ++I) {
    ProfileLayer& L = prof.layers[I];
    LayerInput& v = L.v;
    if (L.KSOIL == kSand) {
      if (v.ISIDE == 2 && v.COEF[0] < 1e-8 && v.COEF[1] < 1e-8) {
        for (int e = 0; e < 2; ++e) {
          v.COEF[e] = sand_beta(depth_of(L, e), v.BLOWS[e]);
          L.marks.COEF[e] = true;
        }
        coef_estimated[I] = true;
      }
      if (v.BLOWS[0] > 0 || v.BLOWS[1] > 0) {
        for (int e = 0; e < 2; ++e) {
          v.PHI[e] = PHIFROMN(v.BLOWS[e], EFFSTRESS(points, prof, depth_of(L, e)));
          L.marks.PHI[e] = true;
        }
      }
      if (v.DELTA[0] <= 1e-8 && v.DELTA[1] <= 1e-8) {
        v.DELTA = v.PHI;
        L.marks.DELTA = {true, true};
      }
      if (v.ISIDE == 3) prof.ANYEST = true;
    } else if (L.KSOIL == kClay || L.KSOIL == kClayShale) {
      if (v.COEF[0] <= 1e-8 && v.COEF[1] <= 1e-8) {
        for (int e = 0; e < 2; ++e) v.COEF[e] = clay_alpha(v.CU[e]);
        L.marks.COEF = {true, true};
        coef_estimated[I] = true;
      }
      if (v.NC[0] <= 1e-8 && v.NC[1] <= 1e-8) {
        for (int e = 0; e < 2; ++e) v.NC[e] = clay_nc(depth_of(L, e), input.DSTART, L.KSOIL);
        L.marks.NC = {true, true};
      }
    }
  }

  // Second pass: every layer whose side coefficient was estimated above or is still
  // missing gets one (the same end values for the layers of the first pass), and keeps
  // re-estimating it at each depth step.
  for (std::size_t I = 0; I < prof.layers.size(); ++I) {
    ProfileLayer& L = prof.layers[I];
    LayerInput& v = L.v;
    if (!coef_estimated[I] && !(v.COEF[0] < 1e-5 && v.COEF[1] < 1e-5)) continue;
    L.COEFEST = true;
    for (int e = 0; e < 2; ++e) {
      const double z = depth_of(L, e);
      switch (L.KSOIL) {
        case kSand:
          v.COEF[e] = v.ISIDE == 2 ? sand_beta(z, v.BLOWS[e]) : std::clamp(v.COEF[e], 0.25, 1.2);
          L.marks.COEF[e] = v.ISIDE != 1;  // the report shows Ko without a mark
          break;
        case kGravellySand:
          v.COEF[e] = gravelly_sand_beta(z);
          L.marks.COEF[e] = true;
          break;
        case kGravel:
          v.COEF[e] = gravel_beta(z);
          L.marks.COEF[e] = true;
          break;
        case kClay:
        case kClayShale:
          v.COEF[e] = clay_alpha(v.CU[e]);
          L.marks.COEF[e] = true;
          if (v.CU[e] / 2116.8 >= 2.5) notes.report.push_back(kClayWarning);
          break;
        case kStrongRockSideOrBase:
        case kDecomposedRock:
        case kWeakRock:
        case kStrongRock:
          v.COEF[e] = std::clamp(v.COEF[e], 0.25, 1.2);
          break;
        default:
          break;
      }
    }
  }

  // Third pass: Nc of clay and clay-shale left (nearly) zero.
  for (ProfileLayer& L : prof.layers) {
    LayerInput& v = L.v;
    if ((L.KSOIL == kClay || L.KSOIL == kClayShale) && v.NC[0] <= 1e-5 && v.NC[1] <= 1e-5) {
      for (int e = 0; e < 2; ++e) v.NC[e] = clay_nc(depth_of(L, e), input.DSTART, L.KSOIL);
      L.marks.NC = {true, true};
    }
  }

  for (const ProfileLayer& L : prof.layers) {
    const EstimationMarks& m = L.marks;
    for (int e = 0; e < 2; ++e)
      if (m.PHI[e] || m.DELTA[e] || m.COEF[e] || m.NC[e]) prof.ANYEST = true;
  }
  return prof;
}

void round_layer_depths(SoilProfile& profile) {
  double top = 0;
  for (ProfileLayer& L : profile.layers) {
    L.XTOP = top;
    L.XBOT = std::floor(L.XBOT + 0.5);
    top = L.XBOT;
  }
}

}  // namespace korva
