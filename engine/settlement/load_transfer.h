// Normalised load-transfer curves of drilled shafts in soil: side t-z curves at five depths
// per layer and the base q-w curve, from tables of movement over diameter against
// mobilised over ultimate resistance (Reese and O'Neill trend, upper-bound and lower-bound
// lines for sand and clay).
//
// Units: depths and movements in in, unit side load transfer in lb/in2 (psi), loads in lb.
#pragma once

#include <array>
#include <vector>

namespace korva {

// Curve selector: which line of the normalised tables a computation uses.
enum CurveLine : int { kTrend = 1, kUpperBound = 2, kLowerBound = 3 };

// What the curve builders read of a pass.
struct TransferInput {
  double D = 0;   // stem diameter, in
  double Db = 0;  // base diameter, in (D without a bell)
  double QB = 0;  // ultimate base resistance at the shaft length, lb
  double L = 0;   // shaft length, in
  std::vector<int> KSOIL;               // soil type per layer
  std::vector<double> XTOP, XBOT;       // layer top and bottom, in
  std::vector<double> F_top, F_bot;     // ultimate unit side resistance at layer top/bottom, psi
  std::vector<double> P, f;             // capacity profile: depths (in) and resistances (psi)
};

// The strength curve: for each layer the points (top, F_top) and (bottom, F_bot).
struct StrengthCurve {
  std::vector<double> X, F;
};
StrengthCurve strength_curve(const TransferInput& in);

// STRENGTH_AT: unit side resistance at depth x. A depth 0.1 in or more below the deepest
// point sets *beyond and gives 0.
double STRENGTH_AT(const StrengthCurve& s, double x, bool* beyond);

// PROFILE_AT: unit side resistance at depth x from the capacity profile (from (0, 0)).
double PROFILE_AT(const TransferInput& in, double x);

// Contiguous layer bounds: XB(j) = bottom (top + 0.1 for a layer without thickness),
// XT(1) = top of the first layer, XT(j) = XB(j - 1).
struct LayerBounds {
  std::vector<double> XT, XB;
};
LayerBounds layer_bounds(const TransferInput& in);

// The five depths of the t-z curves of each layer, in layer order.
std::vector<double> tz_depths(const LayerBounds& b);

struct TzCurve {
  double depth = 0;  // in
  int soil = 0;      // soil type of the layer
  double FMAX = 0;   // ultimate unit side resistance, psi
  std::array<double, 10> Z{}, T{};  // movement (in), load transfer (psi)
};

// Fills the points of a side curve: the sand table for soil type 1, the clay table for
// every other type.
void SIDE_TZ_SAND(TzCurve& c, double D, int selector);
void SIDE_TZ_CLAY(TzCurve& c, double D, int selector);
void side_curve(TzCurve& c, double D, int selector);

struct QwCurve {
  std::array<double, 10> W{}, Q{};  // base movement (in), base load (lb)
};
QwCurve BASE_QW_SAND(double D, double Db, double QB, int selector);
QwCurve BASE_QW_CLAY(double D, double Db, double QB, int selector);

// Load transfer of one curve at movement w.
double curve_transfer(const TzCurve& c, double w);

// The curves that serve depth d: the first curve J at or below d alone, or J - 1 and J for
// interpolation in depth. `second` is -1 when one curve serves.
struct CurvePick {
  int first = 0;
  int second = -1;
  double weight = 0;  // share of `second` in the interpolation
};
CurvePick pick_curves(const std::vector<TzCurve>& curves, double d);

// Load transfer at depth d and movement w.
double tz_transfer(const std::vector<TzCurve>& curves, const CurvePick& pick, double w);

// Base load at base movement w; beyond the last point along the line through the origin.
double qw_load(const QwCurve& q, double w);

}  // namespace korva
