// The bounds of the engine's tables and pass loops, and the explanation given when a project
// goes beyond them. Header only: the engine refuses such a project with these texts, and the
// desktop program checks a project against the same bounds before it starts a run.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>

#include "message_texts.h"

namespace korva {

// Engine table sizes: a project beyond them is refused before any table is filled.
inline constexpr int kMaxLayers = 30;
inline constexpr int kMaxTzDepths = 150;
inline constexpr int kMaxSettlements = 10;
inline constexpr int kMaxChartDiameters = 20;
inline constexpr double kMaxProfileDepthFt = 500.0;
// Pass loops: shaft lengths of a length variation or of the design charts, and stem
// diameters of a diameter range without design charts (one every half foot).
inline constexpr int kMaxLengths = 100;
inline constexpr int kMaxDiameters = 100;
// Shafts analysed in one run (lengths times diameters): keeps the largest project within a
// few seconds and its report within some tens of megabytes.
inline constexpr int kMaxPasses = 500;
// Report rows per shaft at the print increment: one every half foot of the deepest profile.
inline constexpr int kMaxPrintRows = 1001;

namespace limits {

// The engine's factor from metres to feet.
inline constexpr double kFtPerMetre = 3.2808;
// Tolerance of the pass loops' end tests, ft.
inline constexpr double kLoopTolerance = 0.02;
// Diameter step of a diameter range without design charts, ft.
inline constexpr double kDiameterStepFt = 0.5;

// Defaults of the length-variation or design-chart line for entries left at zero, in the
// project's units: the shortest length 0.7 (variation) or 0.3 (charts) of the design depth,
// the length step 3 ft or 1 m, the chart diameter step 0.5 ft or 0.15 m; the shortest length
// is never below six diameters plus the top length and the bell height.
inline void ApplyVariationDefaults(bool charts, bool si, double design_depth, double min_length, double& PDMIN,
                                   double& PDINCR, double* DIAMINCR) {
  if (PDMIN == 0) PDMIN = (charts ? 0.3 : 0.7) * design_depth;
  if (PDINCR == 0) PDINCR = si ? 1.0 : 3.0;
  if (charts && DIAMINCR && *DIAMINCR == 0) *DIAMINCR = si ? 0.15 : 0.5;
  if (PDMIN < min_length) PDMIN = min_length;
}

// The base of a shaft of stem diameter `D` (ft): the base diameter BD, the bell height HB
// (cone plus toe) and whether it has a bell at all. A bell needs a ratio other than 0 and an
// angle above 0 degrees (the capacity analysis takes 57.29 degrees per radian).
struct ShaftBase {
  bool belled = false;
  double BD = 0, HB = 0, TOE = 0;
};
inline ShaftBase BaseOf(double D, double ratio, double angle_deg) {
  ShaftBase b;
  const double theta = angle_deg / 57.29;
  b.belled = ratio != 0 && std::tan(theta) > 0;
  b.BD = b.belled ? ratio * D : D;
  if (b.belled) {
    b.TOE = D <= 3.52 ? 0.25 : 0.5;
    b.HB = (b.BD - D) / (2 * std::tan(theta)) + b.TOE;
  }
  return b;
}

// What the bounds depend on, after the defaults, with lengths in ft.
struct Extent {
  int METHOD = 2;
  int layers = 0;
  double profile_bottom_ft = 0;
  int settlements = 0;  // design-chart settlements (0 without design charts)
  int tz_depths = 0;    // depths of additional t-z curves (0 without)
  bool vary_length = false;  // length variation or design charts
  bool charts = false;
  double first_length_ft = 0;  // target length of the first pass
  double min_length_ft = 0;
  double length_step_ft = 0;
  double d_start_ft = 0;
  double d_end_ft = 0;
  double chart_d_step_ft = 0;
  double print_step_ft = 0;
  double top_length_ft = 0;
  double bottom_length_ft = 0;  // BS
  double bell_ratio = 0;
  double bell_angle_deg = 0;
};

// Number of target lengths the passes run through, counted as the pass loop steps; more
// than `cap` gives cap + 1 (a step that does not shorten the shaft never ends).
inline int LengthCount(const Extent& e, int cap) {
  if (!e.vary_length) return 1;
  if (!(e.length_step_ft > 0)) return cap + 1;
  int n = 0;
  double target = e.first_length_ft;
  do {
    ++n;
    target -= e.length_step_ft;
  } while (target > e.min_length_ft - kLoopTolerance && n <= cap);
  return n;
}

// Number of stem diameters per length, counted as the pass loop steps; more than `cap`
// gives cap + 1.
inline int DiameterCount(const Extent& e, int cap) {
  const double step = e.charts ? e.chart_d_step_ft : kDiameterStepFt;
  if (!(step > 0)) return cap + 1;
  int n = 0;
  double d = e.d_start_ft;
  do {
    ++n;
    d += step;
  } while (d < e.d_end_ft + kLoopTolerance && n <= cap);
  return n;
}

inline std::string LayerCountProblem(int n) {
  return msg::kLayerCount1 + std::to_string(n) + msg::kLayerCount2 + std::to_string(kMaxLayers) +
         msg::kLayerCount3;
}

inline std::string SettlementCountProblem(int n) {
  return msg::kAsksFor + std::to_string(n) + msg::kSettlementCount + std::to_string(kMaxSettlements) + ".";
}

inline std::string TzDepthCountProblem(int n) {
  return msg::kAsksFor + std::to_string(n) + msg::kTzDepthCount + std::to_string(kMaxTzDepths) + ".";
}

// The first bound the project goes beyond, in the engine's words; empty when it is within
// all of them.
inline std::string FirstProblem(const Extent& e) {
  if (e.METHOD != 1 && e.METHOD != 2)
    return msg::kMethodIs + std::to_string(e.METHOD) + msg::kMethodMustBe;
  if (e.layers < 1 || e.layers > kMaxLayers) return LayerCountProblem(e.layers);
  if (e.charts && e.settlements > kMaxSettlements) return SettlementCountProblem(e.settlements);
  if (e.tz_depths > kMaxTzDepths) return TzDepthCountProblem(e.tz_depths);
  if (!(std::floor(e.profile_bottom_ft + 0.5) <= kMaxProfileDepthFt)) {
    const double reach = std::isfinite(e.profile_bottom_ft) && e.profile_bottom_ft < 1e9 ? e.profile_bottom_ft + 0.5 : 1e9;
    return msg::kProfileReaches1 + std::to_string(static_cast<long>(reach)) + msg::kProfileReaches2;
  }
  if (e.vary_length && !(e.length_step_ft > 0)) return msg::kLengthStepNotPositive;
  if (e.charts) {
    if (!(e.chart_d_step_ft > 0)) return msg::kChartStepNotPositive;
    if (DiameterCount(e, kMaxChartDiameters) > kMaxChartDiameters)
      return msg::kChartDiameters1 + std::to_string(kMaxChartDiameters) + msg::kChartDiameters2;
  } else if (DiameterCount(e, kMaxDiameters) > kMaxDiameters) {
    return msg::kDiameterRange1 + std::to_string(kMaxDiameters) + msg::kDiameterRange2;
  }
  if (LengthCount(e, kMaxLengths) > kMaxLengths)
    return msg::kLengthVariation1 + std::to_string(kMaxLengths) + msg::kLengthVariation2;
  if (const int n = LengthCount(e, kMaxLengths) * DiameterCount(e, kMaxDiameters); n > kMaxPasses)
    return msg::kPassCount1 + std::to_string(n) + msg::kPassCount2 + std::to_string(kMaxPasses) + ".";
  if (e.print_step_ft > 0 && !(e.profile_bottom_ft / e.print_step_ft + 1 <= kMaxPrintRows))
    return msg::kPrintRows1 + std::to_string(kMaxPrintRows) + msg::kPrintRows2;
  // The depth tables hold the profile and, below a base, the bottom length and the bell
  // (their index runs that far below the tip) and the averaging zone of two base diameters.
  // A bell narrower than its stem has no shape (negative bell height and volume).
  if (e.bell_ratio != 0 && !(e.bell_ratio >= 1))
    return msg::kBellRatio;
  if (!(e.top_length_ft <= kMaxProfileDepthFt))
    return msg::kTopLengthTooDeep;
  for (const double D : {e.d_start_ft, std::max(e.d_start_ft, e.d_end_ft)}) {
    const ShaftBase b = BaseOf(D, e.bell_ratio, e.bell_angle_deg);
    if (!(std::floor(e.bottom_length_ft + 0.5) + b.HB <= kMaxProfileDepthFt))
      return msg::kBottomLengthTooDeep;
    if (!(2 * std::fabs(b.BD) <= kMaxProfileDepthFt))
      return msg::kBaseDiameterTooLarge;
  }
  return {};
}

}  // namespace limits
}  // namespace korva
