#include "load_transfer.h"

#include <algorithm>

namespace korva {

namespace {

using Row = std::array<double, 10>;

// Side load transfer: movement over diameter and mobilised over ultimate side resistance.
constexpr Row kClayZeta{0, 0.001, 0.002, 0.003, 0.005, 0.006, 0.008, 0.012, 0.016, 0.02};
constexpr std::array<Row, 3> kClayTau{{
    {0, 0.51, 0.72, 0.9, 0.925, 0.945, 0.955, 0.925, 0.9, 0.835},
    {0, 0.74, 0.92, 0.97, 1.01, 1.02, 1.02, 1.0, 0.96, 0.92},
    {0, 0.29, 0.52, 0.7, 0.84, 0.87, 0.89, 0.85, 0.8, 0.75},
}};
constexpr Row kSandZeta{0, 0.001, 0.002, 0.003, 0.005, 0.006, 0.008, 0.012, 0.016, 0.1};
constexpr std::array<Row, 3> kSandTau{{
    {0, 0.335, 0.58, 0.72, 0.86, 0.91, 0.95, 0.965, 0.96, 0.95},
    {0, 0.45, 0.76, 0.9, 0.98, 1.0, 1.0, 1.0, 1.0, 1.0},
    {0, 0.22, 0.4, 0.54, 0.74, 0.82, 0.9, 0.93, 0.92, 0.9},
}};

// Base load transfer: movement over base diameter and mobilised over ultimate base resistance.
constexpr Row kBaseOmega{0, 0.005, 0.01, 0.015, 0.025, 0.03, 0.04, 0.05, 0.07, 0.1};
constexpr std::array<Row, 3> kClayKappa{{
    {0, 0.395, 0.56, 0.7, 0.865, 0.9, 0.95, 0.97, 0.98, 0.991},
    {0, 0.59, 0.75, 0.86, 0.96, 0.98, 0.995, 0.995, 0.994, 0.992},
    {0, 0.2, 0.37, 0.54, 0.77, 0.82, 0.9, 0.94, 0.97, 0.99},
}};
constexpr std::array<Row, 3> kSandKappa{{
    {0, 0.175, 0.345, 0.485, 0.64, 0.73, 0.88, 1.015, 1.195, 1.46},
    {0, 0.25, 0.48, 0.67, 0.76, 0.84, 0.96, 1.08, 1.28, 1.61},
    {0, 0.1, 0.21, 0.3, 0.52, 0.62, 0.8, 0.95, 1.11, 1.32},
}};

std::size_t line_index(int selector) {
  return static_cast<std::size_t>(std::clamp(selector, 1, 3) - 1);
}

// Linear interpolation between two points; a reversed or empty interval gives the mean.
double between(double a, double fa, double b, double fb, double x) {
  if (!(b - a > 0)) return (fa + fb) / 2;
  return fa + (x - a) * (fb - fa) / (b - a);
}

QwCurve base_curve(const std::array<Row, 3>& kappa, double D, double Db, double QB, int selector) {
  QwCurve q;
  const double B = std::max(D, Db);
  const Row& k = kappa[line_index(selector)];
  for (std::size_t i = 0; i < 10; ++i) {
    q.W[i] = kBaseOmega[i] * B;
    q.Q[i] = k[i] * QB;
  }
  return q;
}

}  // namespace

StrengthCurve strength_curve(const TransferInput& in) {
  StrengthCurve s;
  for (std::size_t j = 0; j < in.XTOP.size(); ++j) {
    s.X.push_back(in.XTOP[j]);
    s.F.push_back(in.F_top[j]);
    s.X.push_back(in.XBOT[j]);
    s.F.push_back(in.F_bot[j]);
  }
  return s;
}

double STRENGTH_AT(const StrengthCurve& s, double x, bool* beyond) {
  const std::size_t n = s.X.size();
  if (n == 0) return 0;
  if (n == 1) return s.F[0];
  std::size_t k = 1;
  while (k < n && !(x < s.X[k])) ++k;
  if (k == n) {
    if (x - s.X[n - 1] >= 0.1) {
      if (beyond) *beyond = true;
      return 0;
    }
    k = n - 1;
  }
  return between(s.X[k - 1], s.F[k - 1], s.X[k], s.F[k], x);
}

double PROFILE_AT(const TransferInput& in, double x) {
  const std::size_t N = in.P.size();
  if (N == 0) return 0;
  std::size_t i = 0;  // index into P/f of point i + 1
  while (i < N && !(x < in.P[i])) ++i;
  if (i == N) {
    if (x > in.P[N - 1]) return in.f[N - 1];
    i = N - 1;
  }
  const double a = i == 0 ? 0.0 : in.P[i - 1];
  const double fa = i == 0 ? 0.0 : in.f[i - 1];
  return between(a, fa, in.P[i], in.f[i], x);
}

LayerBounds layer_bounds(const TransferInput& in) {
  LayerBounds b;
  const std::size_t n = in.XTOP.size();
  b.XT.resize(n);
  b.XB.resize(n);
  for (std::size_t j = 0; j < n; ++j) {
    b.XB[j] = in.XBOT[j] - in.XTOP[j] < 1e-12 ? in.XTOP[j] + 0.1 : in.XBOT[j];
    b.XT[j] = j == 0 ? in.XTOP[0] : b.XB[j - 1];
  }
  return b;
}

std::vector<double> tz_depths(const LayerBounds& b) {
  std::vector<double> d;
  for (std::size_t j = 0; j < b.XT.size(); ++j) {
    const double m = (b.XT[j] + b.XB[j]) / 2;
    d.push_back(j == 0 ? b.XT[0] : b.XT[j] + 12.01);  // one foot below a layer boundary
    d.push_back((b.XT[j] + m) / 2);
    d.push_back(m);
    d.push_back((m + b.XB[j] - 0.01) / 2);
    d.push_back(b.XB[j] - 0.01);
  }
  return d;
}

void SIDE_TZ_SAND(TzCurve& c, double D, int selector) {
  const Row& tau = kSandTau[line_index(selector)];
  for (std::size_t k = 0; k < 10; ++k) {
    c.Z[k] = kSandZeta[k] * D;
    c.T[k] = tau[k] * c.FMAX;
  }
}

void SIDE_TZ_CLAY(TzCurve& c, double D, int selector) {
  const Row& tau = kClayTau[line_index(selector)];
  for (std::size_t k = 0; k < 10; ++k) {
    c.Z[k] = kClayZeta[k] * D;
    c.T[k] = tau[k] * c.FMAX;
  }
}

void side_curve(TzCurve& c, double D, int selector) {
  if (c.soil == 1) SIDE_TZ_SAND(c, D, selector);
  else SIDE_TZ_CLAY(c, D, selector);
}

QwCurve BASE_QW_SAND(double D, double Db, double QB, int selector) {
  return base_curve(kSandKappa, D, Db, QB, selector);
}

QwCurve BASE_QW_CLAY(double D, double Db, double QB, int selector) {
  return base_curve(kClayKappa, D, Db, QB, selector);
}

double curve_transfer(const TzCurve& c, double w) {
  std::size_t k = 0;
  while (k < 9 && c.Z[k] < w) ++k;
  if (c.Z[k] == w || k == 0 || (k == 9 && c.Z[9] < w)) return c.T[k];
  return between(c.Z[k - 1], c.T[k - 1], c.Z[k], c.T[k], w);
}

CurvePick pick_curves(const std::vector<TzCurve>& curves, double d) {
  CurvePick p;
  const int n = static_cast<int>(curves.size());
  int J = 0;
  while (J < n - 1 && !(curves[static_cast<std::size_t>(J)].depth >= d)) ++J;
  p.first = J;
  // One curve serves: an exact depth, the last curve (also below it), or the first curve
  // (above it there is no curve to interpolate from).
  if (curves[static_cast<std::size_t>(J)].depth == d || J == n - 1 || J == 0) return p;
  const double d0 = curves[static_cast<std::size_t>(J - 1)].depth;
  const double d1 = curves[static_cast<std::size_t>(J)].depth;
  p.first = J - 1;
  p.second = J;
  p.weight = (d - d0) / (d1 - d0);
  return p;
}

double tz_transfer(const std::vector<TzCurve>& curves, const CurvePick& pick, double w) {
  const double t0 = curve_transfer(curves[static_cast<std::size_t>(pick.first)], w);
  if (pick.second < 0) return t0;
  const double t1 = curve_transfer(curves[static_cast<std::size_t>(pick.second)], w);
  return t0 + pick.weight * (t1 - t0);
}

double qw_load(const QwCurve& q, double w) {
  if (w > q.W[9]) return q.W[9] > 0 ? q.Q[9] * w / q.W[9] : q.Q[9];
  std::size_t k = 1;
  while (k < 9 && q.W[k] < w) ++k;
  return between(q.W[k - 1], q.Q[k - 1], q.W[k], q.Q[k], w);
}

}  // namespace korva
