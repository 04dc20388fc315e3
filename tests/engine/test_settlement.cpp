// Load-transfer curves and the load-settlement computation of shafts in soil.
#include <gtest/gtest.h>

#include <cmath>

#include "settlement/load_settlement.h"
#include "settlement/load_transfer.h"

namespace korva {
namespace {

TransferInput one_layer(int soil, double top_ft, double bottom_ft, double D_ft) {
  TransferInput t;
  t.D = D_ft * 12;
  t.Db = t.D;
  t.KSOIL = {soil};
  t.XTOP = {top_ft * 12};
  t.XBOT = {bottom_ft * 12};
  t.F_top = {5};
  t.F_bot = {10};
  return t;
}

TEST(TzDepths, FiveDepthsPerLayer) {
  const TransferInput sand = one_layer(1, 0, 40, 3);
  const std::vector<double> d = tz_depths(layer_bounds(sand));
  ASSERT_EQ(d.size(), 5u);
  const double expected[] = {0, 120, 240, 359.995, 479.99};
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(d[i], expected[i], 1e-9);

  TzCurve c;
  c.soil = 1;
  c.FMAX = 10;
  side_curve(c, sand.D, kTrend);
  EXPECT_NEAR(c.Z[1], 0.036, 1e-12);
  EXPECT_NEAR(c.T[1], 3.35, 1e-12);

  // A clay layer below: its first curve lies 12.01 in below the boundary; a layer without
  // thickness gets 0.1 in.
  TransferInput two = sand;
  two.KSOIL.push_back(2);
  two.XTOP.push_back(480);
  two.XBOT.push_back(720);
  two.KSOIL.push_back(2);
  two.XTOP.push_back(720);
  two.XBOT.push_back(720);
  const LayerBounds b = layer_bounds(two);
  EXPECT_EQ(b.XB[2], 720.1);
  const std::vector<double> d2 = tz_depths(b);
  EXPECT_NEAR(d2[5], 492.01, 1e-9);
  EXPECT_NEAR(d2[10], 732.01, 1e-9);  // below the thin layer's middle: not increasing
  EXPECT_GT(d2[10], d2[11]);
}

TEST(SideCurves, TablesByTypeAndLine) {
  TzCurve clay;
  clay.soil = 5;  // every type but sand takes the clay table
  clay.FMAX = 10;
  side_curve(clay, 36, kUpperBound);
  EXPECT_NEAR(clay.T[5], 10.2, 1e-12);  // above FMAX
  EXPECT_NEAR(clay.Z[9], 0.72, 1e-12);
  side_curve(clay, 36, kLowerBound);
  EXPECT_NEAR(clay.T[1], 2.9, 1e-12);
  TzCurve sand;
  sand.soil = 1;
  sand.FMAX = 10;
  side_curve(sand, 36, kTrend);
  EXPECT_NEAR(sand.Z[9], 3.6, 1e-12);
  EXPECT_NEAR(sand.T[9], 9.5, 1e-12);
}

TEST(BaseCurves, ScaledByTheLargerDiameter) {
  const QwCurve bell = BASE_QW_CLAY(36, 72, 1000, kTrend);
  EXPECT_NEAR(bell.W[7], 3.6, 1e-12);  // 5 % of 72 in
  EXPECT_NEAR(bell.Q[9], 991, 1e-9);
  const QwCurve sand = BASE_QW_SAND(36, 0, 1000, kTrend);
  EXPECT_NEAR(sand.W[9], 3.6, 1e-12);
  EXPECT_NEAR(sand.Q[9], 1460, 1e-9);  // the sand table exceeds 1
  // Beyond the last point the line through the origin continues.
  EXPECT_NEAR(qw_load(sand, 7.2), 2920, 1e-9);
  EXPECT_NEAR(qw_load(sand, 0.09), 175 / 2.0, 1e-9);  // halfway to the second point
}

TEST(StrengthAndProfile, LookupsAndTheBeyondCheck) {
  TransferInput t = one_layer(2, 0, 10, 3);
  t.P = {12, 24};
  t.f = {2, 4};
  const StrengthCurve s = strength_curve(t);
  bool beyond = false;
  EXPECT_NEAR(STRENGTH_AT(s, 60, &beyond), 7.5, 1e-12);
  EXPECT_NEAR(STRENGTH_AT(s, 120.05, &beyond), 5 + 5 * 120.05 / 120, 1e-12);  // just below: the last pair
  EXPECT_FALSE(beyond);
  EXPECT_EQ(STRENGTH_AT(s, 120.2, &beyond), 0);
  EXPECT_TRUE(beyond);
  EXPECT_NEAR(PROFILE_AT(t, 6), 1, 1e-12);    // from (0, 0)
  EXPECT_NEAR(PROFILE_AT(t, 18), 3, 1e-12);
  EXPECT_NEAR(PROFILE_AT(t, 24), 4, 1e-12);
  EXPECT_NEAR(PROFILE_AT(t, 100), 4, 1e-12);  // below the profile: its last value
}

TEST(TzLookup, CurveChoiceAndInterpolation) {
  std::vector<TzCurve> curves(4);
  const double depths[] = {12, 24, 48, 60};
  for (int i = 0; i < 4; ++i) {
    curves[i].depth = depths[i];
    curves[i].soil = 2;
    curves[i].FMAX = 10 * (i + 1);
    side_curve(curves[i], 36, kTrend);
  }
  const double w = 0.036;  // the second point of every curve: t = 0.51 FMAX
  EXPECT_NEAR(tz_transfer(curves, pick_curves(curves, 6), w), 5.1, 1e-12);    // above: first curve
  EXPECT_NEAR(tz_transfer(curves, pick_curves(curves, 24), w), 10.2, 1e-12);  // exact depth
  EXPECT_NEAR(tz_transfer(curves, pick_curves(curves, 36), w), 12.75, 1e-12); // halfway 24..48
  EXPECT_NEAR(tz_transfer(curves, pick_curves(curves, 90), w), 20.4, 1e-12);  // below: last curve
  EXPECT_NEAR(tz_transfer(curves, pick_curves(curves, 54), w), 20.4, 1e-12);  // last curve alone
  EXPECT_NEAR(curve_transfer(curves[0], 0.054), (5.1 + 7.2) / 2, 1e-12);
  EXPECT_NEAR(curve_transfer(curves[0], 5), 8.35, 1e-12);  // beyond the curve: its last point
}

TEST(TipMovements, AdjustedLastThree) {
  const auto d36 = tip_movements(36);
  EXPECT_EQ(d36[12], 0.625);
  EXPECT_NEAR(d36[13], 0.9, 1e-12);
  EXPECT_NEAR(d36[14], 1.8, 1e-12);
  const auto d24 = tip_movements(24);
  EXPECT_EQ(d24[12], 0.625);
  EXPECT_NEAR(d24[13], 0.78125, 1e-12);
  EXPECT_NEAR(d24[14], 1.2, 1e-12);
}

TEST(DesignSettlements, TipMovementForAHeadMovement) {
  CurveRows rows{};
  for (int i = 0; i < 15; ++i) rows[i] = {0, 0.1 * (i + 1), 0, 0.05 * (i + 1)};
  EXPECT_EQ(tip_movement_for(rows, 0.05), 0);                   // below the first row
  EXPECT_NEAR(tip_movement_for(rows, 0.3), 0.15, 1e-12);        // on a row
  EXPECT_NEAR(tip_movement_for(rows, 0.35), 0.175, 1e-12);      // between rows
  EXPECT_NEAR(tip_movement_for(rows, 1.7), 0.85, 1e-12);        // beyond: extrapolated
  rows[5][1] = rows[4][1];                                      // equal head movements
  EXPECT_NEAR(tip_movement_for(rows, 0.5), (0.25 + 0.3) / 2, 1e-12);
}

}  // namespace
}  // namespace korva
