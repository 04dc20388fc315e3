// Load-settlement curves of rock sockets: table lookups, the strong-rock socket with the
// walk up through the soil above it, decomposed rock, weak rock, unit conversion, the
// report heading and the substitutes for zero inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "settlement/socket.h"

namespace fs = std::filesystem;

namespace korva {
namespace {

void expect_close(double actual, double expected, const std::string& what) {
  EXPECT_NEAR(actual, expected, 1e-10 * std::max(1.0, std::fabs(expected))) << what;
}

// ---- Fixture -----------------------------------------------------------------------------

ProfileLayer make_layer(int soil, double top, double bottom) {
  ProfileLayer l;
  l.v.SOIL = soil;
  l.v.DEPTH = bottom;
  l.KSOIL = l.v.type();
  l.XTOP = top;
  l.XBOT = bottom;
  return l;
}

ProfileLayer rock_layer(int soil, double top, double bottom, double rqd, double el,
                        TopBottom bds) {
  ProfileLayer l = make_layer(soil, top, bottom);
  l.v.RQD = {rqd, rqd};
  l.v.EL = {el, el};
  l.v.BDS = bds;
  return l;
}

// A profile and the socket input that points at it.
struct Shaft {
  SoilProfile profile;
  SocketInput in;
  SocketInput input() const {
    SocketInput c = in;
    c.profile = &profile;
    return c;
  }
};

// Clay 0-10 ft over strong rock 10-30 ft (RQD 100, Ei 5000 ton/ft2, 3 ft socket), shaft
// 16 ft long and 3 ft across, Ec 250000 ton/ft2: Ec/Em = 50, Ls/Ds = 6/3 = 2, I = 0.35.
Shaft rock_under_clay() {
  Shaft s;
  s.profile.layers = {make_layer(kClay, 0, 10),
                      rock_layer(kStrongRock, 10, 30, 100, 5000, {3, 3})};
  s.profile.WTD = 100;
  s.in.tip = 1;
  s.in.D = 3;
  s.in.DSTART = 3;
  s.in.L = 16;
  s.in.Ec = 250000;
  s.in.Qs = {20, 120};
  s.in.QB = 300;
  s.in.QS = 120;
  return s;
}

// Rock from the surface: type 4 (0-4 ft, RQD 80, Ei 4000, BDS 9) over type 7 (4-30 ft,
// RQD 100, Ei 6000, BDS 2.5 at its top and 4 at its bottom). Shaft 10 ft, stem 5 ft,
// starting diameter 2.5 ft, so Ds = 2.5 * 5/2.5 = 5 ft from the tip layer's top BDS.
Shaft rock_from_surface() {
  Shaft s;
  s.profile.layers = {rock_layer(kStrongRockSideOrBase, 0, 4, 80, 4000, {9, 9}),
                      rock_layer(kStrongRock, 4, 30, 100, 6000, {2.5, 4})};
  s.in.tip = 1;
  s.in.D = 5;
  s.in.DSTART = 2.5;
  s.in.L = 10;
  s.in.Ec = 300000;
  s.in.Qs = {30, 90};
  s.in.QB = 100;
  return s;
}

// Sand 0-10 ft (120 lb/ft3) over decomposed rock 10-30 ft (130 lb/ft3, N 40 to 60, 3 ft
// socket, no EL); water at 5 ft; shaft 20 ft, 3 ft across; tip step at 20 ft, 10 ft into
// the layer, with an effective stress of 1800 lb/ft2.
Shaft decomposed_rock() {
  Shaft s;
  ProfileLayer sand = make_layer(kSand, 0, 10);
  sand.v.GAMMA = {120, 120};
  ProfileLayer rock = make_layer(kDecomposedRock, 10, 30);
  rock.v.GAMMA = {130, 130};
  rock.v.BLOWS = {40, 60};
  rock.v.BDS = {3, 3};
  s.profile.layers = {sand, rock};
  s.profile.WTD = 5;
  s.in.tip = 1;
  s.in.D = 3;
  s.in.DSTART = 3;
  s.in.L = 20;
  s.in.Ec = 250000;
  s.in.WTD = 5;
  s.in.Qs = {10, 150};
  s.in.QS = 150;
  s.in.z_tip = 20;
  s.in.zrel_tip = 10;
  s.in.sigv_tip = 1800;
  return s;
}

// Clay 0-10 ft over weak rock 10-40 ft (qu 20830 lb/ft2, EL 1000 ton/ft2, RQD 85, ICOND 2,
// 4 ft socket); shaft 30 ft: socket top z1 = 10, Ls = 20, La = 10.
Shaft weak_rock() {
  Shaft s;
  ProfileLayer rock = make_layer(kWeakRock, 10, 40);
  LayerInput& v = rock.v;
  v.QUR = {20830, 20830};
  v.EL = {1000, 1000};
  v.RQD = {85, 85};
  v.WRDELTA = {30, 30};
  v.SLUMP = {6.89, 6.89};
  v.BDS = {4, 4};
  v.ICOND = {2, 2};
  s.profile.layers = {make_layer(kClay, 0, 10), rock};
  s.in.tip = 1;
  s.in.D = 4;
  s.in.DSTART = 4;
  s.in.L = 30;
  s.in.Ec = 288000;
  s.in.QS = 500;
  s.in.QsW = 12;
  return s;
}

// ---- Lookups -----------------------------------------------------------------------------

TEST(SocketLookups, InfluenceFactor) {
  struct Case {
    double ec_em, ls_ds, expected;
  };
  const Case cases[] = {
      {50, 4, 0.28},                            // on a row at a key
      {30, 4, 0.395 - 20 * (0.395 - 0.28) / 40},  // 0.3375
      {5, 25, 0.385},                           // below 10, beyond 20: 0.385, not 0.365
      {5, 20, 0.365},                           // at 20 the row's own value
      {5, 3, 0.4175},                           // row 10 between keys 2 and 4
      {5, -1, 1.1},
      {10, 25, 0.365},                          // interpolated rows end at their 20 value
      {30, 25, 0.365 - 20 * (0.365 - 0.2) / 40},
      {75, 2, 0.345},
      {2550, 1, 0.415},
      {5000, 4, 0.23},
      {6000, 25, 0.085},
  };
  for (const Case& c : cases)
    expect_close(influence_factor(c.ec_em, c.ls_ds), c.expected,
                 "Ec/Em " + std::to_string(c.ec_em) + ", Ls/Ds " + std::to_string(c.ls_ds));
}

TEST(SocketLookups, RockMassRatioAndSideRatio) {
  const double rqd[][2] = {{100, 1}, {120, 1}, {95, 0.85}, {92, 0.778}, {85, 0.6},
                           {0, 0.1}, {-5, 0.1}, {65, 0.185}};
  for (const auto& c : rqd)
    expect_close(rock_mass_ratio(c[0]), c[1], "RQD " + std::to_string(c[0]));

  struct Side {
    int family;
    bool sand;
    double w_d, expected;
  };
  const Side side[] = {
      {1, true, 0.0015, 0.31},  {1, false, 0.0015, 0.405}, {2, true, 0.0025, 0.83},
      {2, false, 0.004, 1},     {1, false, 0.008, 0.89},   {1, true, 0.02, 0.9},
      {2, false, 0.03, 0.92},   {1, false, 0.05, 0.75},    {2, true, -0.001, 0},
      {2, false, 0.0165, 0.955},
  };
  for (const Side& c : side)
    expect_close(side_ratio(c.family, c.sand, c.w_d), c.expected,
                 "family " + std::to_string(c.family) + (c.sand ? " sand " : " clay ") +
                     std::to_string(c.w_d));
}

// ---- Strong rock -------------------------------------------------------------------------

// Point 1 by hand: r = 0.00018 (below r_Q = 400 * 0.35 / (5000 * 9) = 0.0031111),
// Ps = 5000 * 9 * 0.00018 / 0.35 = 23.142857 tons; socket head movement
// Ps * (10 + 6) / (250000 * 0.7854 * 9) + 0.00018 * 3 = 0.00074954 ft.
// Pass 1 walks up the clay (Q = 20 tons, family 1): rho = 0.00074954/3 = 0.00024985,
// f_b = 0.29 * 0.24985 = 0.072455, P_e = 24.591965; rho_t = rho + P_e * 10 / (250000 *
// 0.7854 * 27) = 0.00029623, f_t = 0.085908, P_t = 24.726488 (within 0.1 * f_b * Q = 0.145);
// head movement 0.00074954 + (rho_t - rho) * 3 = 0.00088870 ft.
// Pass 2: S = 20 * 0.00088870 / 0.017 = 1.045530, column 1 = S + Ps = 24.188387; the walk
// with family 2 (f_b = 0.74 * 0.24985 = 0.184886) needs two rounds: P_t = 27.220462, head
// movement 0.00090354 ft.
TEST(RockSocket, UnderClayHandCheckedFirstPoint) {
  const Shaft s = rock_under_clay();
  const SocketCurve c = ROCK_SOCKET(s.input());
  expect_close(c.rows[0][0], 24.1883866582714, "head load");
  expect_close(c.rows[0][1], 0.00074953836079886 * 12, "head movement, in");
  expect_close(c.rows[0][2], 27.2204620576454, "walk load, family 2");
  expect_close(c.rows[0][3], 0.00090354471276396 * 12, "walk movement, in");

  // A 4 ft socket under the 3 ft stem: Ls/Ds = 1.5, I = 0.4, Ps = 5000 * 16 * 0.00018/0.4 =
  // 36 tons; the walk starts from w/D = head/3 and the movement head * 4/3.
  Shaft wide = s;
  wide.profile.layers[1].v.BDS = {4, 4};
  const SocketCurve w = ROCK_SOCKET(wide.input());
  expect_close(w.rows[0][0], 37.6696831545234, "wide socket head load");
  expect_close(w.rows[0][1], 0.0108401527883881, "wide socket head movement, in");
  expect_close(w.rows[0][2], 41.0290996751774, "wide socket walk load");
  expect_close(w.rows[0][3], 0.0172391217860816, "wide socket walk movement, in");
}

// r_i passes r_Q = 0.0031111 at point 9 (0.00018 * 1.5^8 = 0.0046); every later point is
// the capacity point, and the earlier ones are not.
TEST(RockSocket, RepeatsTheCapacityPointOnceReached) {
  const Shaft s = rock_under_clay();
  const SocketCurve c = ROCK_SOCKET(s.input());
  EXPECT_LT(c.rows[7][0], c.rows[8][0]);
  for (int i = 9; i < 15; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(c.rows[i][j], c.rows[8][j]) << i << "," << j;
  expect_close(c.rows[8][0], 418.010535365888, "capacity point head load");
  expect_close(c.rows[8][3], 0.183984630547554, "capacity point walk movement");
}

// Rock at the first layer: no walk, columns 3 and 4 copy 1 and 2, and the capacity point
// carries exactly Qr = 90 + 100 = 190 tons.
// Statistics over both rock layers: Ls = 10, mean RQD (4 * 80 + 6 * 100)/10 = 92 -> Em/Ei
// 0.778; Ei (4 * 4000 + 6 * 6000)/10 = 5200; Em = 4045.6. Ds = 5 (tip layer's top BDS);
// Ls/Ds = 2; Ec/Em = 74.1546 -> I = 0.35 - 24.1546 * 0.01/50 = 0.3451691.
// Point 1: Ps = 4045.6 * 25 * 0.00018 / I = 52.742848; movement Ps * 10 / (300000 * 0.7854
// * 25) + 0.0009 = 0.00098954 ft.
TEST(RockSocket, RockFromTheSurface) {
  const Shaft s = rock_from_surface();
  const SocketCurve c = ROCK_SOCKET(s.input());
  expect_close(c.rows[0][0], 52.7428482056923, "point 1 load");
  expect_close(c.rows[0][1], 0.0118744659680304, "point 1 movement, in");
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(c.rows[i][2], c.rows[i][0]) << i;
    EXPECT_EQ(c.rows[i][3], c.rows[i][1]) << i;
  }
  for (int i = 4; i < 15; ++i) expect_close(c.rows[i][0], 190, "capacity point " + std::to_string(i));
  expect_close(c.rows[14][1], 0.0427763879024319, "capacity point movement, in");
}

// In the walk a layer that is neither sand nor clay reuses the ratio found last. Point 1,
// the unknown-type layer on top of the clay of the fixture (Qs 8 tons there, 12 in the clay).
TEST(RockSocket, WalkReusesTheLastRatioForOtherSoils) {
  struct Case {
    int top_soil;
    double load1, load3, move3;
  };
  const Case cases[] = {
      {0, 24.1867632519169, 27.0883846097225, 0.0107752896412083},
      {kSand, 24.1862553017196, 26.4981569490756, 0.0107537248848963},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.top_soil);
    Shaft s = rock_under_clay();
    s.profile.layers.insert(s.profile.layers.begin(), make_layer(k.top_soil, 0, 5));
    s.profile.layers[1].XTOP = 5;
    s.in.tip = 2;
    s.in.Qs = {8, 20, 120};
    const SocketCurve c = ROCK_SOCKET(s.input());
    expect_close(c.rows[0][0], k.load1, "head load");
    expect_close(c.rows[0][2], k.load3, "walk load");
    expect_close(c.rows[0][3], k.move3, "walk movement");
  }
}

// Directly above the rock a layer that is neither sand nor clay finds no ratio yet: it
// takes 0, so the walk carries the socket load Ps = 23.142857 tons unchanged.
TEST(RockSocket, WalkStartsWithRatioZero) {
  Shaft s = rock_under_clay();
  s.profile.layers[0] = make_layer(0, 0, 10);
  const SocketCurve c = ROCK_SOCKET(s.input());
  expect_close(c.rows[0][2], 5000 * 9 * 0.00018 / 0.35, "walk load");
}

// A socket without a diameter takes the stem diameter; here both are 3 ft.
TEST(RockSocket, ZeroSocketDiameterTakesTheStem) {
  const Shaft s = rock_under_clay();
  Shaft t = s;
  t.profile.layers[1].v.BDS = {0, 0};
  const SocketCurve a = ROCK_SOCKET(s.input());
  const SocketCurve b = ROCK_SOCKET(t.input());
  for (int i = 0; i < 15; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(b.rows[i][j], a.rows[i][j]) << i << "," << j;
}

// ---- Decomposed rock ---------------------------------------------------------------------

// N = 50 at the tip; E = 46545.4 * 50^0.82 = 1150885.64 lb/ft2, rho = 40/60; Lp = 10, eta =
// 3.3333; lambda = 1129.565, zeta = ln(2 eta * 1.75) = 2.650892, muL = 0.172295,
// K = 0.1517005; P1 = 300000 / (1 - K/(2.1 cosh muL)) = 322990.19 lb, w1 = 0.0141913 ft.
// Qb = 0.7854 * 9 * 2.1459 * 1800 * (423.14 * 50/1800)^0.8 = 196047.21 lb; point 14 carries
// 150 + Qb/2000 = 248.0236 tons.
// Middle-of-layer stress (tip step below L + 2 Ds): 120 * 10 + 130/4 * 20 - 62.4 * 15 = 1564.
// With EL 2000/3000 ton/ft2: E = 6e6 lb/ft2 and rho = 5/6.
TEST(DecomposedRockSocket, LinearRangeThenBaseYield) {
  struct Case {
    const char* what;
    double z_tip;
    TopBottom el;
    double load1, move1, load11, move11, load14, move14, move15;
  };
  const Case cases[] = {
      {"stress of the tip step", 20, {0, 0}, 16.1495095432007, 0.0170295892598064,
       183.127222253167, 0.486069865832922, 248.023602716648, 1.4333917855375,
       1.72007014264499},
      {"stress at the middle of the layer", 27, {0, 0}, 16.1495095432007,
       0.0170295892598064, 182.448000783531, 0.47615496176701, 245.306716838103,
       1.39373216927385, 1.67247860312862},
      {"modulus from EL", 20, {2000, 3000}, 16.0754748300803, 0.00322620169050244,
       182.571961904764, 0.0933502149961157, 248.023602716648, 0.276614809269389,
       0.331937771123267},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Shaft s = decomposed_rock();
    s.in.z_tip = k.z_tip;
    s.profile.layers[1].v.EL = k.el;
    const SocketCurve c = DECOMPOSED_ROCK_SOCKET(s.input());
    expect_close(c.rows[0][0], k.load1, "point 1 load");
    expect_close(c.rows[0][1], k.move1, "point 1 movement");
    for (int i = 1; i < 10; ++i) {
      expect_close(c.rows[i][0], (i + 1) * c.rows[0][0], "load " + std::to_string(i + 1));
      expect_close(c.rows[i][1], (i + 1) * c.rows[0][1], "movement " + std::to_string(i + 1));
    }
    expect_close(c.rows[10][0], k.load11, "point 11 load");
    expect_close(c.rows[10][1], k.move11, "point 11 movement");
    expect_close(c.rows[13][0], k.load14, "point 14 load");
    expect_close(c.rows[13][1], k.move14, "point 14 movement");
    EXPECT_EQ(c.rows[14][0], c.rows[13][0]);
    expect_close(c.rows[14][1], k.move15, "point 15 movement");
    for (const auto& row : c.rows) EXPECT_TRUE(row[2] == 0 && row[3] == 0);
  }
}

// ---- Weak rock ---------------------------------------------------------------------------

// Each point is the weak-rock quantities at the tip for Lx = Ls = 20 ft and w = Ds r_i, with
// the shortening of the 10 ft above the socket: Es = 288000 * 2000/144 lb/in2.
TEST(WeakRockSocket, PointsFromTheWeakRockQuantities) {
  struct Case {
    double QS;
    bool si;
  };
  for (const Case k : {Case{500, false}, Case{20, false}, Case{500, true}}) {
    SCOPED_TRACE(std::to_string(k.QS) + (k.si ? " SI" : ""));
    Shaft s = weak_rock();
    s.in.QS = k.QS;
    s.in.si = k.si;
    if (k.si) s.profile.layers[1].v.SLUMP = {6.89 * 25.4 / 1000, 6.89 * 25.4 / 1000};
    WeakRockSums sums;
    const SocketCurve c = WEAK_ROCK_SOCKET(s.input(), sums);
    EXPECT_EQ(sums.count, 15);

    WeakRockInput w;
    w.layer = s.profile.layers[1].v;
    w.top = 10;
    w.bottom = 40;
    w.z = 30;
    w.z1 = 10;
    w.D = 4;
    w.DSTART = 4;
    w.Ec = 288000;
    w.si = k.si;
    w.L = 30;
    const double ratios[][2] = {{0, 0.00009}, {4, 0.00009 * 1.5 * 1.5 * 1.5 * 1.5}, {14, 0.05}};
    for (const auto& r : ratios) {
      const int i = static_cast<int>(r[0]);
      const double move = 4 * r[1];
      WeakRockSums fresh;
      const WeakRockQuantities q = weak_rock_quantities(w, 20, move, fresh);
      const double side = std::min(2000 * k.QS, 2000 * 12 + 3.1416 * 4 * 20 * q.f);
      const double P = (side + q.base_load_lb) / 2000;
      const double shortening = 24000 * 10 * P / (288000 * 2000.0 / 144 * 113.097595 * 16);
      const std::string at = "point " + std::to_string(i + 1);
      if (k.si) {
        expect_close(c.rows[i][0], P * 8.896, at + " load, kN");
        expect_close(c.rows[i][1], move / 3.2808 + 0.0254 * shortening, at + " movement, m");
      } else {
        expect_close(c.rows[i][0], P, at + " load");
        expect_close(c.rows[i][1], 12 * move + shortening, at + " movement, in");
      }
      EXPECT_TRUE(c.rows[i][2] == 0 && c.rows[i][3] == 0);
    }
  }
}

// ---- Units -------------------------------------------------------------------------------

// SI rows are the English rows with loads times 8.896 and movements (in) / 12 / 3.2808.
TEST(SocketUnits, SiConversionFactors) {
  struct Case {
    const char* what;
    SocketCurve (*method)(const SocketInput&);
    Shaft shaft;
  };
  const Case cases[] = {
      {"strong rock under clay", ROCK_SOCKET, rock_under_clay()},
      {"strong rock from the surface", ROCK_SOCKET, rock_from_surface()},
      {"decomposed rock", DECOMPOSED_ROCK_SOCKET, decomposed_rock()},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Shaft si = k.shaft;
    si.in.si = true;
    const SocketCurve en = k.method(k.shaft.input());
    const SocketCurve m = k.method(si.input());
    for (int i = 0; i < 15; ++i) {
      ASSERT_GT(en.rows[i][1], 0);
      for (int j : {0, 2}) expect_close(m.rows[i][j], en.rows[i][j] * 8.896, "load");
      for (int j : {1, 3})
        expect_close(m.rows[i][j], en.rows[i][j] / 12 / 3.2808, "movement");
    }
  }
}

// ---- Heading -----------------------------------------------------------------------------

TEST(SocketHeading, TwoEmptyLinesTitleAndRule) {
  char tmpl[] = "/tmp/korva-socket-XXXXXX";
  const fs::path dir = mkdtemp(tmpl);
  {
    Streams out;
    ASSERT_TRUE(out[kReport].open((dir / "report").string()));
    write_socket_heading(out);
  }
  std::vector<std::string> lines;
  ASSERT_TRUE(read_lines((dir / "report").string(), lines));
  const std::vector<std::string> expected = {
      "", "",
      "                      LOAD SETTLEMENT RELATIONSHIP      ",
      "               ------------------------------------------   "};
  EXPECT_EQ(lines, expected);
  fs::remove_all(dir);
}

// ---- Zero inputs -------------------------------------------------------------------------

void expect_finite(const SocketCurve& c) {
  for (int i = 0; i < 15; ++i)
    for (int j = 0; j < 4; ++j)
      EXPECT_TRUE(std::isfinite(c.rows[i][j])) << i << "," << j << ": " << c.rows[i][j];
}

Shaft all_zero(int soil) {
  Shaft s;
  s.profile.layers = {make_layer(soil, 0, 0)};
  return s;
}

TEST(SocketZeroInputs, ResultsStayFinite) {
  struct Case {
    const char* what;
    Shaft shaft;
    void (*change)(Shaft&);
  };
  auto none = [](Shaft&) {};
  const Case rock[] = {
      {"everything zero", all_zero(kStrongRock), none},
      {"zero EL", rock_under_clay(), [](Shaft& s) { s.profile.layers[1].v.EL = {0, 0}; }},
      {"zero Ec", rock_under_clay(), [](Shaft& s) { s.in.Ec = 0; }},
      {"zero diameters",
       rock_under_clay(),
       [](Shaft& s) {
         s.in.D = s.in.DSTART = 0;
         s.profile.layers[1].v.BDS = {0, 0};
       }},
      {"tip at the rock top", rock_under_clay(), [](Shaft& s) { s.in.L = 10; }},
      {"no side resistances", rock_under_clay(), [](Shaft& s) { s.in.Qs.clear(); }},
  };
  for (const Case& k : rock) {
    SCOPED_TRACE(std::string("strong rock: ") + k.what);
    Shaft s = k.shaft;
    k.change(s);
    expect_finite(ROCK_SOCKET(s.input()));
  }

  const Case decomposed[] = {
      {"everything zero", all_zero(kDecomposedRock), none},
      {"zero blow count", decomposed_rock(),
       [](Shaft& s) { s.profile.layers[1].v.BLOWS = {0, 0}; }},
      {"zero blow count at the bottom", decomposed_rock(),
       [](Shaft& s) { s.profile.layers[1].v.BLOWS = {40, 0}; }},
      {"zero blow count at the top (no logarithm)", decomposed_rock(),
       [](Shaft& s) { s.profile.layers[1].v.BLOWS = {0, 60}; }},
      {"zero Ec", decomposed_rock(), [](Shaft& s) { s.in.Ec = 0; }},
      {"zero stress", decomposed_rock(), [](Shaft& s) { s.in.sigv_tip = 0; }},
      {"zero diameters",
       decomposed_rock(),
       [](Shaft& s) {
         s.in.DSTART = 0;
         s.profile.layers[1].v.BDS = {0, 0};
       }},
      {"zero embedded length and thickness",
       decomposed_rock(),
       [](Shaft& s) {
         s.profile.layers = {make_layer(kDecomposedRock, 0, 0)};
         s.profile.layers[0].v.BLOWS = {40, 60};
         s.in.tip = 0;
         s.in.L = 0;
       }},
  };
  for (const Case& k : decomposed) {
    SCOPED_TRACE(std::string("decomposed rock: ") + k.what);
    Shaft s = k.shaft;
    k.change(s);
    expect_finite(DECOMPOSED_ROCK_SOCKET(s.input()));
  }

  const Case weak[] = {
      {"everything zero", all_zero(kWeakRock), none},
      {"zero Ec", weak_rock(), [](Shaft& s) { s.in.Ec = 0; }},
      {"zero socket diameter", weak_rock(),
       [](Shaft& s) { s.profile.layers[1].v.BDS = {0, 0}; }},
  };
  for (const Case& k : weak) {
    SCOPED_TRACE(std::string("weak rock: ") + k.what);
    Shaft s = k.shaft;
    k.change(s);
    WeakRockSums sums;
    expect_finite(WEAK_ROCK_SOCKET(s.input(), sums));
  }
}

// zeta <= 0 or no logarithm (BLOWS top 0 makes rho = 0 and the argument negative; a socket
// 0.5 ft into the layer gives 2 * 0.5/3 * 2.125 = 0.708 < 1): K = 0, so points 1..10 carry
// i/10 of the side resistance (150 tons) without movement. Rows without movement are not
// converted, so in SI they keep their loads in tons while the rest are in kN.
TEST(DecomposedRockSocket, NoPositiveLogarithmGivesARigidLinearRange) {
  struct Case {
    const char* what;
    TopBottom blows;
    double L;
  };
  for (const Case& k : {Case{"BLOWS top 0", {0, 60}, 20}, Case{"short socket", {40, 60}, 10.5}}) {
    SCOPED_TRACE(k.what);
    Shaft s = decomposed_rock();
    s.profile.layers[1].v.BLOWS = k.blows;
    s.in.L = s.in.z_tip = k.L;
    s.in.zrel_tip = k.L - 10;
    s.in.si = true;
    const SocketCurve c = DECOMPOSED_ROCK_SOCKET(s.input());
    for (int i = 0; i < 10; ++i) {
      expect_close(c.rows[i][0], 15.0 * (i + 1), "load " + std::to_string(i + 1));
      EXPECT_EQ(c.rows[i][1], 0) << i;
    }
    Shaft en = s;
    en.in.si = false;
    const SocketCurve e = DECOMPOSED_ROCK_SOCKET(en.input());
    for (int i = 10; i < 15; ++i) {
      ASSERT_GT(e.rows[i][1], 0);
      expect_close(c.rows[i][0], e.rows[i][0] * 8.896, "load, kN");
    }
  }
}

// A tip at the very top of the layer embeds the depth of the layer bottom (30 ft): the same
// curve as a shaft 30 ft into the layer with the same tip-step values (both take the
// stress of the tip step).
TEST(DecomposedRockSocket, TipAtTheLayerTopEmbedsTheLayerBottomDepth) {
  Shaft at_top = decomposed_rock();
  at_top.in.L = at_top.in.z_tip = 10;
  at_top.in.zrel_tip = 0;
  Shaft deep = at_top;
  deep.in.L = 40;
  const SocketCurve a = DECOMPOSED_ROCK_SOCKET(at_top.input());
  const SocketCurve b = DECOMPOSED_ROCK_SOCKET(deep.input());
  ASSERT_GT(a.rows[0][1], 0);
  for (int i = 0; i < 15; ++i)
    for (int j = 0; j < 2; ++j) EXPECT_EQ(a.rows[i][j], b.rows[i][j]) << i << "," << j;
}

// A decomposed-rock socket without stiffness (no EL, N = 0) has no curve; a tip outside the
// profile gives none either.
TEST(SocketZeroInputs, NoCurveWithoutStiffnessOrTip) {
  Shaft s = decomposed_rock();
  s.profile.layers[1].v.BLOWS = {0, 0};
  for (const auto& row : DECOMPOSED_ROCK_SOCKET(s.input()).rows)
    EXPECT_TRUE(row[0] == 0 && row[1] == 0);

  Shaft t = rock_under_clay();
  t.in.tip = 2;
  WeakRockSums sums;
  for (const SocketCurve& c : {ROCK_SOCKET(t.input()), DECOMPOSED_ROCK_SOCKET(t.input()),
                               WEAK_ROCK_SOCKET(t.input(), sums)})
    for (const auto& row : c.rows) EXPECT_TRUE(row[0] == 0 && row[1] == 0);
}

}  // namespace
}  // namespace korva
