#!/usr/bin/env python3
"""Verification problems of KORVA: hand calculations against the program's results.

Usage: verify.py --runner PATH [--markdown OUT.md] [--keep DIR]

Each problem (*.kv8d beside this script) is copied to a scratch directory and run with
`PATH -q --json`. The script reads the JSON results and recomputes, from the published
formulas coded below, the effective stress, unit and cumulative side resistance at chosen
depth steps, the base resistance, the capacity and points of the load-transfer curves.
Each hand value is compared with the program's value within a relative tolerance of 0.5 %
(the program takes pi as 3.142 and 57.29 degrees per radian, and converts SI input with
rounded factors). The script exits 1 when any check differs.

Python 3 standard library only.
"""

import argparse
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TOL = 0.005          # relative tolerance
GW = 62.4            # unit weight of water, lb/ft3
PA = 2115.7          # atmospheric pressure, lb/ft2 (2116.8 in the alpha rule of clay)
GC = 150.0           # unit weight of concrete, lb/ft3

# Normalised load-transfer curves (Reese and O'Neill 1988, trend line): side w/D against
# f/fmax, base w/B against Q/Qmax.
SAND_SIDE = ([0, 0.001, 0.002, 0.003, 0.005, 0.006, 0.008, 0.012, 0.016, 0.1],
             [0, 0.335, 0.58, 0.72, 0.86, 0.91, 0.95, 0.965, 0.96, 0.95])
CLAY_SIDE = ([0, 0.001, 0.002, 0.003, 0.005, 0.006, 0.008, 0.012, 0.016, 0.02],
             [0, 0.51, 0.72, 0.9, 0.925, 0.945, 0.955, 0.925, 0.9, 0.835])
BASE_W = [0, 0.005, 0.01, 0.015, 0.025, 0.03, 0.04, 0.05, 0.07, 0.1]
SAND_BASE = [0, 0.175, 0.345, 0.485, 0.64, 0.73, 0.88, 1.015, 1.195, 1.46]
CLAY_BASE = [0, 0.395, 0.56, 0.7, 0.865, 0.9, 0.95, 0.97, 0.98, 0.991]

def f(x, d=2):
    return f"{x:.{d}f}"


class Problem:
    def __init__(self, name, res):
        self.name = name
        self.res = res
        self.p = res["passes"][0]
        self.u = res["units"]
        self.title = res["project"]["title"]
        self.data = []     # (item, value)
        self.steps = []    # markdown lines of the hand calculation
        self.checks = []   # (quantity, hand, program, unit, decimals)

    # program values
    def step(self, z):
        return min(self.p["trace"], key=lambda s: abs(s["depth"] - z))

    def row(self):
        return self.p["rows"][-1]

    def check(self, q, hand, prog, unit, d=2):
        self.checks.append((q, hand, prog, unit, d))

    def say(self, line):
        self.steps.append(line)


# ---- shared formulas -------------------------------------------------------------------

def stress(z, layers, wtd):
    """Effective vertical stress (lb/ft2) at whole-foot depth z: sum of one-foot slices."""
    s = 0.0
    for k in range(1, int(round(z)) + 1):
        g = next(L["gamma"] for L in layers if L["bottom"] >= k)
        s += g if k <= wtd else g - GW
    return s


def zone_weights(n):
    """Weights of the base averaging zone of n one-foot steps below the base."""
    w = []
    for j in range(n):
        x = j / n
        w.append(1.2 * x if x <= 0.5 else 0.6 * (2 - x) / 1.5)
    return w


def base_average(qb_at, L, n):
    w = zone_weights(n)
    return sum(wi * qb_at(L + 1 + j) for j, wi in enumerate(w)) / sum(w)


def interp(xs, ys, x):
    for i in range(1, len(xs)):
        if x <= xs[i]:
            return ys[i - 1] + (ys[i] - ys[i - 1]) * (x - xs[i - 1]) / (xs[i] - xs[i - 1])
    return ys[-1]


def area(d):
    return math.pi * d * d / 4


def common_capacity(P, fs_of, QB, L, Ltop, Lbot, D, perim=None, fss=2.0, fsb=3.0, explain=""):
    """Side resistance sum, capacity and allowable load (English units)."""
    perim = perim if perim is not None else math.pi * D
    zs = range(Ltop + 1, Lbot + 1)
    QS = sum(perim * fs_of(z) for z in zs) / 2000
    P.say(f"Side resistance: QS = Σ π·D·f_s(z)·1 ft over the steps z = {Ltop + 1} … {Lbot} ft "
          f"{explain}= **{f(QS)} tons** (π·D = {f(perim, 3)} ft).")
    P.check(f"QS at L = {L} ft", QS, P.row()["qs"], "tons")
    QU = QS + QB
    P.say(f"Ultimate capacity: QU = QS + QB = {f(QS)} + {f(QB)} = **{f(QU)} tons**; allowable "
          f"load QS/FSs + QB/FSb = {f(QS)}/{f(fss, 1)} + {f(QB)}/{f(fsb, 1)} = **{f(QS / fss + QB / fsb)} tons**.")
    P.check("QB (base resistance)", QB, P.row()["qb"], "tons")
    P.check("QU = QS + QB", QU, P.row()["qu"], "tons")
    P.check("allowable", QS / fss + QB / fsb, P.row()["allowable"], "tons")
    return QS


def load_transfer_checks(P, fs_at_depth, QB, D, Db, sand_base, sand_side, layer_curve=2,
                         si=False):
    """One side and one base point of the normalised curves (trend line)."""
    ls = P.p["load_settlement"]
    c = ls["t_z_curves"][0]["curves"][layer_curve]
    depth = c["depth"]
    fmax = fs_at_depth(depth)  # in the JSON's load-transfer unit
    zeta, tau = sand_side if sand_side else CLAY_SIDE
    t = tau[4] * fmax
    lt_unit = P.u["load_transfer"]
    mv = P.u["movement"]
    dm = D if si else D * 12
    P.say(f"Side load transfer (trend line, {'sand' if sand_side else 'clay'} curve) at depth "
          f"{f(depth, 2)} {P.u['length']}: f_max = {f(fmax, 3)} {lt_unit}; at w/D = {zeta[4]} "
          f"(w = {f(zeta[4] * dm, 3)} {mv}) f = {tau[4]}·f_max = **{f(t, 3)} {lt_unit}**.")
    P.check("f_max of the t-z curve", fmax, c["max_load_transfer"], lt_unit, 3)
    P.check("t-z point at w/D = 0.005", t, c["load_transfer"][4], lt_unit, 3)
    P.check("t-z movement at w/D = 0.005", zeta[4] * dm, c["movement"][4], mv, 4)
    kappa = SAND_BASE if sand_base else CLAY_BASE
    B = max(D, Db) if si else max(D, Db) * 12
    qw = ls["q_w_curves"][0]
    Q = kappa[2] * QB
    P.say(f"Base load transfer ({'sand' if sand_base else 'clay'} curve) at w/B = 1 % "
          f"(w = {f(0.01 * B, 3)} {mv}): Q = {kappa[2]}·QB = {kappa[2]}·{f(QB)} = "
          f"**{f(Q)} {P.u['settlement_load']}**.")
    P.check("base load at w/B = 1 %", Q, qw["load"][2], P.u["settlement_load"])
    P.check("base movement at w/B = 1 %", 0.01 * B, qw["movement"][2], mv, 4)


def stress_checks(P, zs, layers, wtd):
    for z in zs:
        s = stress(z, layers, wtd)
        parts = []
        for L in layers:
            top = L["top"]
            h = min(z, L["bottom"]) - top
            if h <= 0:
                continue
            dry = max(0, min(z, L["bottom"], wtd) - top)
            wet = h - dry
            if dry:
                parts.append(f"{f(dry, 0)}·{f(L['gamma'], 1)}")
            if wet:
                parts.append(f"{f(wet, 0)}·({f(L['gamma'], 1)} − 62.4)")
        P.say(f"σ′v({f(z, 0)} ft) = {' + '.join(parts)} = **{f(s, 1)} lb/ft²**.")
        P.check(f"σ′v at {f(z, 0)} ft", s, P.step(z)["effective_stress"], "lb/ft²", 1)


def data_table(P, rows):
    P.data = rows


# ---- problems --------------------------------------------------------------------------

def beta_sand(z, N):
    b = 1.5 - 0.135 * math.sqrt(z)
    if 0 < N < 15:
        b *= N / 15
    return min(1.2, max(0.25, b))


def p01(P):
    D, L, wtd = 3.0, 30, 20.0
    layers = [dict(top=0, bottom=10, gamma=120.0, N=10), dict(top=10, bottom=40, gamma=125.0, N=30)]
    data_table(P, [("Shaft", "D = 3 ft, L = 30 ft, no exclusions"), ("Water table", "20 ft"),
                   ("Layer 1, sand 0–10 ft", "γ = 120 lb/ft³, N = 10 (loose)"),
                   ("Layer 2, sand 10–40 ft", "γ = 125 lb/ft³, N = 30 (dense)"),
                   ("Side procedure", "β method, β estimated"), ("FSs, FSb", "2, 3")])
    P.say("Method: O'Neill and Reese (1999). f_s = β·σ′v,mid with β = 1.5 − 0.135·√z (z in ft), "
          "multiplied by N/15 where N < 15, 0.25 ≤ β ≤ 1.2, f_s ≤ 2.1 tons/ft²; σ′v,mid is the "
          "stress at the middle of the one-foot step, σ′v(z) − γ′/2. Base: q_b = 0.6·N tons/ft² ≤ 30.")
    stress_checks(P, [10, 30], layers, wtd)

    def lay(z):
        return next(Lr for Lr in layers if Lr["bottom"] >= z)

    def fs(z):
        Lr = lay(z)
        g = Lr["gamma"] if z <= wtd else Lr["gamma"] - GW
        return min(4200.0, beta_sand(z, Lr["N"]) * (stress(z, layers, wtd) - g / 2))

    for z in (5, 10, 25):
        Lr = lay(z)
        b = beta_sand(z, Lr["N"])
        g = Lr["gamma"] if z <= wtd else Lr["gamma"] - GW
        extra = f"·({Lr['N']}/15)" if Lr["N"] < 15 else ""
        P.say(f"z = {z} ft: β = (1.5 − 0.135·√{z}){extra} = {f(b, 4)}; σ′v,mid = "
              f"{f(stress(z, layers, wtd), 1)} − {f(g, 1)}/2 = {f(stress(z, layers, wtd) - g / 2, 1)}; "
              f"f_s = **{f(fs(z), 1)} lb/ft²**.")
        P.check(f"f_s at {z} ft", fs(z), P.step(z)["unit_side_resistance"], "lb/ft²", 1)
    for z in (10, 25):
        qs = sum(math.pi * D * fs(k) for k in range(1, z + 1)) / 2000
        P.check(f"cumulative QS at {z} ft", qs, P.step(z)["side_resistance"], "tons")
    qb = 0.6 * 30
    QB = qb * area(D)
    P.say(f"Base in layer 2: q_b = 0.6·30 = {f(qb, 1)} tons/ft², uniform below the base, so the "
          f"averaged base resistance QB = q_b·π·D²/4 = {f(qb, 1)}·{f(area(D), 3)} = **{f(QB)} tons**.")
    common_capacity(P, fs, QB, L, 0, L, D)
    load_transfer_checks(P, lambda d: interp([math.floor(d), math.floor(d) + 1],
                                             [fs(math.floor(d)), fs(math.floor(d) + 1)], d) / 144,
                         QB, D, D, True, SAND_SIDE)


def p02(P):
    D, L, wtd, K0, phi = 3.0, 30, 10.0, 0.8, 32.0
    layers = [dict(top=0, bottom=40, gamma=115.0)]
    data_table(P, [("Shaft", "D = 3 ft, L = 30 ft"), ("Water table", "10 ft"),
                   ("Sand 0–40 ft", "γ = 115 lb/ft³, φ′ = 32°, δ = φ′, no N"),
                   ("Side procedure", "Ko method, K = 0.8"), ("FSs, FSb", "2, 3")])
    P.say("Method: f_s = K·σ′v·tan δ at the depth of the step, δ = φ′ (Reese and O'Neill 1988). "
          "Base from φ′ where no N is given: q_b = 2.667·(φ′ − 30) tons/ft² for 30° < φ′ ≤ 36°.")
    stress_checks(P, [10, 30], layers, wtd)
    t = math.tan(math.radians(phi))

    def fs(z):
        return K0 * stress(z, layers, wtd) * t

    for z in (5, 20, 30):
        P.say(f"z = {z} ft: f_s = {K0}·{f(stress(z, layers, wtd), 1)}·tan 32° = **{f(fs(z), 1)} lb/ft²**.")
        P.check(f"f_s at {z} ft", fs(z), P.step(z)["unit_side_resistance"], "lb/ft²", 1)
    qb = 2.667 * (phi - 30)
    QB = qb * area(D)
    P.say(f"Base: q_b = 2.667·(32 − 30) = {f(qb, 3)} tons/ft²; QB = {f(qb, 3)}·{f(area(D), 3)} = **{f(QB)} tons**.")
    common_capacity(P, fs, QB, L, 0, L, D)
    load_transfer_checks(P, lambda d: fs(d) / 144, QB, D, D, True, SAND_SIDE)


def p03(P):
    D, L, wtd, N, m = 3.0, 30, 100.0, 15, 0.6
    layers = [dict(top=0, bottom=40, gamma=120.0)]
    data_table(P, [("Shaft", "D = 3 ft, L = 30 ft"), ("Water table", "below the profile"),
                   ("Sand 0–40 ft", "γ = 120 lb/ft³, N = 15"),
                   ("Side procedure", "Chen and Kulhawy, m = 0.6"), ("FSs, FSb", "2, 3")])
    P.say("Method: Chen and Kulhawy (2002). OCR = 0.47·p_a·N^m/σ′v (≥ 1), "
          "K = (1 − sin φ′)·OCR^sin φ′ ≤ K_p = tan²(45° + φ′/2), f_s = K·σ′v·tan φ′. φ′ is read from "
          "the Gibbs and Holtz chart at the layer's top and bottom and varies linearly between.")
    stress_checks(P, [10, 30], layers, wtd)
    # Gibbs and Holtz chart at N = 15: 42° at 0, 34° at 20 and 32° at 40 lb/in2.
    s_bot = stress(40, layers, wtd)
    p_bot = s_bot / 144
    phi_top = 42.0
    phi_bot = 34 - (p_bot - 20) / 20 * (34 - 32)
    P.say(f"φ′ at the top (σ′v = 0): 42°. At the bottom σ′v = {f(s_bot, 0)} lb/ft² = {f(p_bot, 2)} lb/in²: "
          f"φ′ = 34 − ({f(p_bot, 2)} − 20)/20·(34 − 32) = {f(phi_bot, 3)}° (chart at N = 15: 42°, 34°, 32° at 0, 20, 40 lb/in²).")

    def phi(z):
        return phi_top + (phi_bot - phi_top) * z / 40

    def K(z):
        s = stress(z, layers, wtd)
        sp = math.sin(math.radians(phi(z)))
        ocr = max(1.0, 0.47 * PA * N ** m / s)
        kp = math.tan(math.radians(45 + phi(z) / 2)) ** 2
        return min((1 - sp) * ocr ** sp, kp), ocr

    def fs(z):
        return K(z)[0] * stress(z, layers, wtd) * math.tan(math.radians(phi(z)))

    for z in (5, 20, 30):
        k, ocr = K(z)
        P.say(f"z = {z} ft: φ′ = {f(phi(z), 3)}°, OCR = 0.47·2115.7·15^0.6/{f(stress(z, layers, wtd), 0)} = "
              f"{f(ocr, 3)}, K = {f(k, 4)}, f_s = **{f(fs(z), 1)} lb/ft²**.")
        P.check(f"K at {z} ft", k, P.step(z)["side_coefficient"], "", 4)
        P.check(f"f_s at {z} ft", fs(z), P.step(z)["unit_side_resistance"], "lb/ft²", 1)
    qb = 0.6 * N
    QB = qb * area(D)
    P.say(f"Base: q_b = 0.6·15 = {f(qb, 1)} tons/ft²; QB = **{f(QB)} tons**.")
    common_capacity(P, fs, QB, L, 0, L, D)
    load_transfer_checks(P, lambda d: fs(d) / 144, QB, D, D, True, SAND_SIDE)


def clay_alpha(cu):
    x = cu / 2116.8
    return 0.55 if x <= 1.5 else (0.55 - 0.1 * (x - 1.5) if x < 2.5 else 0.4)


def clay_problem(P, shale):
    D, L = 3.0, 30
    cu = 4000.0 if shale else 1500.0
    gamma = 125.0 if shale else 120.0
    top, bs = (0, 0) if shale else (5, 3)
    bottom = 40 if shale else 45
    limit = 7 if shale else 9
    name = "clay-shale" if shale else "clay"
    data_table(P, [("Shaft", f"D = 3 ft, L = 30 ft, {top} ft excluded at the top, {bs} ft at the bottom"),
                   ("Water table", "below the profile"),
                   (f"{name.capitalize()} 0–{bottom} ft", f"γ = {f(gamma, 0)} lb/ft³, c_u = {f(cu, 0)} lb/ft²"),
                   ("α and Nc", "estimated"), ("FSs, FSb", "2, 3")])
    P.say(f"Method: O'Neill and Reese (1999). f_s = α·c_u with α = 0.55 for c_u/p_a ≤ 1.5, "
          f"0.55 − 0.1·(c_u/p_a − 1.5) up to 2.5 (p_a = 2116.8 lb/ft²); base q_b = N_c·c_u with "
          f"N_c = 6·(1 + 0.2·z/D) ≤ {limit}" + ("" if shale else ", q_b ≤ 40 tons/ft²") + ".")
    layers = [dict(top=0, bottom=bottom, gamma=gamma)]
    stress_checks(P, [10, 30], layers, 1e9)
    a = clay_alpha(cu)
    P.say(f"α = {f(a, 4)} (c_u/p_a = {f(cu / 2116.8, 3)}); f_s = {f(a, 4)}·{f(cu, 0)} = **{f(a * cu, 1)} lb/ft²**.")
    for z in (10, 25):
        P.check(f"f_s at {z} ft", a * cu, P.step(z)["unit_side_resistance"], "lb/ft²", 1)
    for z in (10, 25):
        qs = sum(math.pi * D * a * cu for k in range(top + 1, z + 1)) / 2000
        P.check(f"cumulative QS at {z} ft", qs, P.step(z)["side_resistance"], "tons")

    # Nc estimated at the layer's ends and interpolated between them (technical manual, base
    # resistance of clay); the classic reading takes the formula at the base's depth.
    nc_top = min(limit, 6.0)
    nc_bot = min(limit, 6 * (1 + 0.2 * bottom / D))

    def nc_at(z):
        return nc_top + (nc_bot - nc_top) * z / bottom

    def qb_at(z, nc_of=nc_at):
        q = nc_of(z) * cu / 2000
        if not shale:
            q = min(q, 40)
        return q * area(D)

    n = int(2 * D)
    QB = base_average(qb_at, L, n)
    classic = base_average(lambda z: qb_at(z, lambda d: min(limit, 6 * (1 + 0.2 * d / D))), L, n)
    P.say(f"N_c estimated at the layer's ends: top (z = 0) min({limit}, 6) = {f(nc_top, 2)}, bottom "
          f"(z = {bottom} ft) min({limit}, 6·(1 + 0.2·{bottom}/3)) = {f(nc_bot, 2)}, interpolated "
          f"between them: N_c = {f(nc_at(L + 1), 3)} … {f(nc_at(L + n), 3)} over the {n} steps "
          f"z = {L + 1} … {L + n} ft below the base.")
    P.say(f"Base: QB = Σ w·N_c(z)·c_u·A_b / Σ w over those steps (A_b = {f(area(D), 3)} ft²) = "
          f"**{f(QB)} tons**. The classic reading, N_c = 6·(1 + 0.2·z/D) ≤ {limit} at each depth "
          f"({f(min(limit, 6 * (1 + 0.2 * L / D)), 2)} at the base), gives {f(classic)} tons: KORVA's "
          f"interpolated N_c is {f((classic - QB) / classic * 100, 1)} % lower, on the safe side "
          f"(see \"The estimated Nc of clay is interpolated between the layer's ends\").")
    common_capacity(P, lambda z: a * cu, QB, L, top, L - bs, D,
                    explain=f"(the bottom {bs} ft excluded) " if bs else "")
    load_transfer_checks(P, lambda d: a * cu / 144, QB, D, D, False, None, layer_curve=2)


def p04(P):
    clay_problem(P, False)


def p05(P):
    clay_problem(P, True)


def p06(P):
    D, L = 3.0, 30
    layers = [dict(top=0, bottom=15, gamma=125.0, N=25), dict(top=15, bottom=40, gamma=130.0, N=40)]
    data_table(P, [("Shaft", "D = 3 ft, L = 30 ft"), ("Water table", "below the profile"),
                   ("Gravelly sand 0–15 ft", "γ = 125 lb/ft³, N = 25"),
                   ("Gravel 15–40 ft", "γ = 130 lb/ft³, N = 40"), ("β", "estimated"), ("FSs, FSb", "2, 3")])
    P.say("Method: Rollins et al. (2005), z in m: gravelly sand β = 2.0 − 0.15·z^0.75 "
          "(0.25 ≤ β ≤ 1.8, f_s ≤ 2.1 tons/ft²), gravel β = 3.4·e^(−0.085·z) (0.25 ≤ β ≤ 3.0); "
          "f_s = β·σ′v,mid (stress at the middle of the step). Base q_b = 0.6·N tons/ft².")
    stress_checks(P, [10, 30], layers, 1e9)

    def beta(z):
        zm = 0.3048 * z
        if z <= 15:
            return min(1.8, max(0.25, 2.0 - 0.15 * zm ** 0.75))
        return min(3.0, max(0.25, 3.4 * math.exp(-0.085 * zm)))

    def fs(z):
        g = next(Lr["gamma"] for Lr in layers if Lr["bottom"] >= z)
        v = beta(z) * (stress(z, layers, 1e9) - g / 2)
        return min(v, 4200.0) if z <= 15 else v

    for z in (10, 20, 30):
        P.say(f"z = {z} ft ({f(0.3048 * z, 3)} m): β = {f(beta(z), 4)}, f_s = **{f(fs(z), 1)} lb/ft²**.")
        P.check(f"f_s at {z} ft", fs(z), P.step(z)["unit_side_resistance"], "lb/ft²", 1)
    qb = 0.6 * 40
    QB = qb * area(D)
    P.say(f"Base in gravel: q_b = 0.6·40 = {f(qb, 1)} tons/ft²; QB = **{f(QB)} tons**.")
    common_capacity(P, fs, QB, L, 0, L, D)
    # Side curves: the clay table for every type but sand; base: the sand table.
    load_transfer_checks(P, lambda d: interp([math.floor(d), math.floor(d) + 1],
                                             [fs(math.floor(d)), fs(math.floor(d) + 1)], d) / 144,
                         QB, D, D, True, None)


def p07(P):
    D, L, qu, quc, s, t = 3.0, 20, 144000.0, 576000.0, 3.0, 0.0
    data_table(P, [("Shaft", "D = 3 ft, socket 3 ft, L = 20 ft"),
                   ("Strong rock 0–30 ft", "q_u = 1000 lb/in², concrete 4000 lb/in²"),
                   ("Discontinuities", "spacing 3 ft, closed"), ("FSs, FSb", "2, 3")])
    qm = min(qu, quc) / 144
    fs = 2.5 * math.sqrt(qm) * 144
    P.say(f"Side (Horvath and Kenney 1979): f_s = 2.5·√q_u (lb/in²) with q_u the lower of rock and "
          f"concrete, {f(qm, 0)} lb/in²: f_s = 2.5·√{f(qm, 0)} = {f(fs / 144, 2)} lb/in² = **{f(fs, 1)} lb/ft²**.")
    for z in (5, 15):
        P.check(f"f_s at {z} ft", fs, P.step(z)["unit_side_resistance"], "lb/ft²", 1)
    ksp = (3 + s / D) / (10 * math.sqrt(1 + 300 * t / s))
    qb = 3 * qu * ksp
    QB = qb / 2000 * area(D)
    P.say(f"Base (Canadian Foundation Engineering Manual): q_b = 3·q_u·K_sp, K_sp = (3 + s/B)/(10·√(1 + 300·t/s)) = "
          f"(3 + {f(s / D, 2)})/10 = {f(ksp, 3)}; q_b = 3·{f(qu, 0)}·{f(ksp, 3)} = {f(qb, 0)} lb/ft²; "
          f"QB = {f(qb / 2000, 1)}·{f(area(D), 3)} = **{f(QB)} tons**.")
    P.check("q_b at 20 ft", qb, P.step(20)["unit_base_resistance"], "lb/ft²", 0)
    for z in (10,):
        P.check(f"cumulative QS at {z} ft", math.pi * D * fs * z / 2000, P.step(z)["side_resistance"], "tons")
    common_capacity(P, lambda z: fs, QB, L, 0, L, D)
    sv = P.p["load_settlement"]["socket_values"]
    P.check("socket side resistance", math.pi * D * fs * L / 2000, sv["side_resistance"], "tons")
    P.check("socket base resistance", QB, sv["base_resistance"], "tons")


def p08(P):
    D, L, N, gamma = 3.0, 25, 60, 125.0
    layers = [dict(top=0, bottom=40, gamma=gamma)]
    data_table(P, [("Shaft", "D = 3 ft, socket 3 ft, L = 25 ft"), ("Water table", "below the profile"),
                   ("Decomposed rock 0–40 ft", "γ = 125 lb/ft³, N = 60"), ("FSs, FSb", "2, 3")])
    P.say("Method: cohesionless intermediate geomaterial (O'Neill and Reese 1999, after Mayne and Harris): "
          "φ′ = arctan[(N/(12.2 + 20.3·σ′v/p_a))^0.34], K = (1 − sin φ′)·(0.2·p_a·N/σ′v)^sin φ′, "
          "f_s = K·σ′v·tan(0.75·φ′) as the program takes it; base q_b = 0.59·(N·p_a/σ′v)^0.8·σ′v. "
          "Below L + 2B the stress is that at the middle of the layer.")
    stress_checks(P, [10, 25], layers, 1e9)

    def parts(s):
        phi = math.atan((N / (12.2 + 20.3 * s / PA)) ** 0.34)
        K = (1 - math.sin(phi)) * (0.2 * PA * N / s) ** math.sin(phi)
        return phi, K, K * s * math.tan(0.75 * phi)

    def fs(z):
        return parts(stress(z, layers, 1e9))[2]

    for z in (10, 25):
        phi, K, v = parts(stress(z, layers, 1e9))
        P.say(f"z = {z} ft: φ′ = {f(math.degrees(phi), 3)}°, K = {f(K, 4)}, f_s = **{f(v, 1)} lb/ft²**.")
        P.check(f"f_s at {z} ft", v, P.step(z)["unit_side_resistance"], "lb/ft²", 1)

    def qb_at(z):
        s = stress(z, layers, 1e9) if z < L + 2 * D else gamma * 20
        return 0.59 * (N * PA / s) ** 0.8 * s / 2000 * area(D)

    QB = base_average(qb_at, L, int(2 * D))
    w = zone_weights(int(2 * D))
    P.say(f"Base: QB averaged over the {int(2 * D)} steps below the base with weights "
          f"{', '.join(f(x, 3) for x in w)}: QB(26 ft) = {f(qb_at(26))}, QB(31 ft) = {f(qb_at(31))} tons; "
          f"average **{f(QB)} tons**.")
    common_capacity(P, fs, QB, L, 0, L, D)


def p09(P):
    D, L, qu, EL, Ec = 3.0, 20, 20000.0, 200000.0, 3600000.0
    data_table(P, [("Shaft", "D = 3 ft, socket 3 ft, L = 20 ft, E_c = 3 600 000 lb/in²"),
                   ("Weak rock 0–30 ft", "q_u = 20 000 lb/ft², E_i = 200 000 lb/in², RQD 100"),
                   ("Interface", "smooth (condition 1), slump 9 in"), ("FSs, FSb", "2, 3")])
    zc = min(40, L / 2)
    sn = GC * zc * 1.0
    n = sn / qu
    fa = qu / 2
    Em = EL * 144
    w = 0.05 * D
    e = math.log10(Ec / EL)
    P.say(f"Method: cohesive intermediate geomaterial, smooth socket (O'Neill et al. 1996). σ_n = M·γ_c·z_c = "
          f"1.0·150·{f(zc, 1)} = {f(sn, 0)} lb/ft²; n = σ_n/q_u = {f(n, 4)}; f_a = q_u/2 = {f(fa, 0)} lb/ft²; "
          f"E_m = E_i (RQD 100) ; movement w = 0.05·D = {f(w, 3)} ft; e = log₁₀(E_c/E_m) = {f(e, 4)}.")
    P.say("At depth z the socket length L_x = max(z, 3 ft), s = √(L_x/D), Ω = 1.14·s − 0.44 − 0.05·(s − 1)·e, "
          "Γ = 0.37·s + 0.13 − 0.15·(s − 1)·e, θ = E_m·Ω·w/(π·L_x·Γ·f_a); f = f_a·θ for θ ≤ n, else "
          "f = f_a·[n + (θ − n)(1 − n)/(θ − 2n + 1)]. Base q_b = 2.5·q_u (the movement term is larger).")

    def fs(z):
        Lx = max(z, 3.0)
        s = math.sqrt(Lx / D)
        Om = 1.14 * s - 0.44 - 0.05 * (s - 1) * e
        Ga = 0.37 * s + 0.13 - 0.15 * (s - 1) * e
        th = Em * Om * w / (math.pi * Lx * Ga * fa)
        v = fa * th if th <= n else fa * (n + (th - n) * (1 - n) / (th - 2 * n + 1))
        return v, Om, Ga, th

    for z in (10, 20):
        v, Om, Ga, th = fs(z)
        P.say(f"z = {z} ft: Ω = {f(Om, 4)}, Γ = {f(Ga, 4)}, θ = {f(th, 3)}, f = **{f(v, 1)} lb/ft²**.")
        P.check(f"f_s at {z} ft", v, P.step(z)["unit_side_resistance"], "lb/ft²", 1)
    QB = 2.5 * qu / 2000 * area(D)
    P.say(f"Base: q_b = 2.5·{f(qu, 0)} = {f(2.5 * qu, 0)} lb/ft²; QB = **{f(QB)} tons**.")
    common_capacity(P, lambda z: fs(z)[0], QB, L, 0, L, D)


def p10(P):
    D, ratio, ang, L, wtd, R, N, gamma = 3.0, 2.0, 45.0, 25, 15.0, 0.75, 20, 120.0
    layers = [dict(top=0, bottom=40, gamma=gamma)]
    BD = ratio * D
    toe = 0.25
    HB = (BD - D) / (2 * math.tan(math.radians(ang))) + toe
    bex = round(HB)
    data_table(P, [("Shaft", "stem 3 ft, bell 6 ft at 45°, L = 25 ft"), ("Loading", "uplift, reduction 0.75"),
                   ("Water table", "15 ft"), ("Sand 0–40 ft", "γ = 120 lb/ft³, N = 20, β method"),
                   ("FSs", "2")])
    P.say(f"Method: uplift side resistance f_s = R·β·σ′v,mid (R = {R}); no side resistance over the "
          f"bell height H_B = (B − D)/(2·tan 45°) + toe = {f(HB, 3)} ft (toe {toe} ft), so the steps "
          f"end at {L} − {bex} = {L - bex} ft. The base takes the shaft's buoyant weight (150 lb/ft³).")
    stress_checks(P, [10, 23], layers, wtd)

    def fs(z):
        g = gamma if z <= wtd else gamma - GW
        return R * beta_sand(z, N) * (stress(z, layers, wtd) - g / 2)

    for z in (10, 23):
        P.say(f"z = {z} ft: β = {f(beta_sand(z, N), 4)}, f_s = {R}·β·σ′v,mid = **{f(fs(z), 1)} lb/ft²**.")
        P.check(f"f_s at {z} ft", fs(z), P.step(z)["unit_side_resistance"], "lb/ft²", 1)
    Ab = area(BD)
    Vbell = Ab * toe + math.pi * (HB - toe) / 3 * (D * D / 4 + BD * BD / 4 + D * BD / 4)
    V = (L - HB) * area(D) + Vbell
    Vw = (L - HB - wtd) * area(D) + Vbell
    W = (GC * V - GW * Vw) / 2000
    P.say(f"Volume: stem ({L} − {f(HB, 3)})·{f(area(D), 3)} + bell {f(Vbell, 2)} = {f(V, 2)} ft³ = "
          f"{f(V / 27, 3)} yd³; below the water {f(Vw, 2)} ft³. Buoyant weight W = (150·{f(V, 2)} − "
          f"62.4·{f(Vw, 2)})/2000 = **{f(W)} tons**.")
    P.check("concrete volume", V / 27, P.row()["volume"], "yd³", 3)
    QS = sum(math.pi * D * fs(z) for z in range(1, L - bex + 1)) / 2000
    P.say(f"QS = Σ π·D·f_s over 1 … {L - bex} ft = **{f(QS)} tons**; uplift capacity QS + W = "
          f"**{f(QS + W)} tons**; allowable QS/2 + W = **{f(QS / 2 + W)} tons**.")
    P.check(f"QS at L = {L} ft", QS, P.row()["qs"], "tons")
    P.check("shaft weight W", W, P.row()["qb"], "tons")
    P.check("QU = QS + W", QS + W, P.row()["qu"], "tons")
    P.check("allowable", QS / 2 + W, P.row()["allowable"], "tons")


def p11(P):
    D, cu, gamma, nc, phis, phib = 1.0, 75.0, 18.0, 9.0, 0.45, 0.40
    L = P.row()["length"]
    data_table(P, [("Shaft", f"D = 1 m, L = {f(L, 3)} m (30 ft)"), ("Water table", "20 m"),
                   ("Clay 0–15 m", "γ = 18 kN/m³, c_u = 75 kPa, N_c = 9"),
                   ("Design", "LRFD, φ_s = 0.45, φ_b = 0.40")])
    P.say("Method: as the clay problem, in SI units; the program works in one-foot (0.3048 m) steps. "
          "Factored resistance = φ_s·QS + φ_b·QB.")
    for z in (3.048, 6.096):
        st = P.step(z)
        P.say(f"σ′v({f(st['depth'], 3)} m) = 18·{f(st['depth'], 3)} = **{f(gamma * st['depth'], 2)} kPa**.")
        P.check(f"σ′v at {f(z, 3)} m", gamma * st["depth"], st["effective_stress"], "kPa")
    a = clay_alpha(cu * 20.885)
    fs = a * cu
    P.say(f"α = {a} (c_u/p_a = {f(cu / 101.3, 3)}); f_s = {a}·75 = **{f(fs, 2)} kPa**.")
    P.check("f_s at 3.048 m", fs, P.step(3.048)["unit_side_resistance"], "kPa")
    z = P.step(6.096)["depth"]
    P.check("cumulative QS at 6.096 m", fs * math.pi * D * z, P.step(6.096)["side_resistance"], "kN", 1)
    QS = fs * math.pi * D * L
    QB = nc * cu * area(D)
    P.say(f"QS = f_s·π·D·L = {f(fs, 2)}·π·1·{f(L, 3)} = **{f(QS, 1)} kN**; QB = 9·75·π·1²/4 = **{f(QB, 1)} kN**.")
    P.say(f"Factored: {phis}·{f(QS, 1)} + {phib}·{f(QB, 1)} = **{f(phis * QS + phib * QB, 1)} kN**.")
    r = P.row()
    P.check("QS", QS, r["qs"], "kN", 1)
    P.check("QB", QB, r["qb"], "kN", 1)
    P.check("factored QS", phis * QS, r["factored_qs"], "kN", 1)
    P.check("factored QB", phib * QB, r["factored_qb"], "kN", 1)
    P.check("factored QU", phis * QS + phib * QB, r["factored_qu"], "kN", 1)
    load_transfer_checks(P, lambda d: fs, QB, D, D, False, None, si=True)


PROBLEMS = [
    ("01-sand-beta", p01), ("02-sand-ko", p02), ("03-sand-chen-kulhawy", p03), ("04-clay", p04),
    ("05-clay-shale", p05), ("06-gravel", p06), ("07-strong-rock", p07),
    ("08-decomposed-rock", p08), ("09-weak-rock", p09), ("10-belled-uplift", p10),
    ("11-si-lrfd", p11),
]


# ---- running, comparing, writing -------------------------------------------------------

def run(runner, name, scratch):
    src = os.path.join(HERE, name + ".kv8d")
    dst = os.path.join(scratch, name + ".kv8d")
    shutil.copyfile(src, dst)
    proc = subprocess.run([runner, "-q", "--json", dst], cwd=scratch,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    path = os.path.join(scratch, name + ".json")
    if proc.returncode != 0 or not os.path.exists(path):
        raise RuntimeError(f"{name}: the runner returned {proc.returncode}: "
                           f"{proc.stderr.decode(errors='replace').strip()}")
    with open(path, encoding="utf-8") as fh:
        return json.load(fh)


def differs(hand, prog):
    if prog is None:
        return True
    scale = max(abs(hand), abs(prog))
    return abs(hand - prog) > TOL * scale + 1e-9


def diff_text(hand, prog, unit, d):
    if abs(hand) > 1e-12:
        r = (prog - hand) / abs(hand) * 100
        return f"{0.0 if abs(r) < 0.005 else r:+.2f} %"
    return f"{f(prog - hand, d)} {unit}".strip()


def markdown(problems, runner_name):
    out = ["# Verification problems", "",
           "The problems below are small projects in examples/verification of the source "
           "distribution, each with one kind of layer, round numbers and a short shaft. The script "
           "examples/verification/verify.py runs each with the batch runner (`korva2017-run -q --json`), "
           "reads the results file and repeats the calculation by hand from the published formulas. "
           "Every hand value is compared with KORVA's value; they agree when they differ by no more than "
           f"{TOL * 100:.1f} % (KORVA takes π as 3.142 and 57.29° per radian, and converts SI input with "
           "rounded factors). The test suite runs the script on every build; all numbers in this "
           "chapter are written by it.", "",
           "KORVA computes side resistance in one-foot steps: the unit side resistance at the bottom "
           "of each step times the perimeter and one foot. The base resistance of a shaft of length L "
           "is the weighted mean of the base resistances over 2B one-foot steps below the base.", ""]
    for P in problems:
        head = P.title.split(": ", 1)[-1]
        out += [f"## {head[:1].upper() + head[1:]}", ""]
        out += [f"Project {P.name}.kv8d: *{P.title}*.", "", "| Item | Value |", "| --- | --- |"]
        out += [f"| {a} | {b} |" for a, b in P.data]
        out += ["", "Hand calculation:", ""]
        out += [f"- {s}" for s in P.steps]
        out += ["", "| Quantity | Hand calculation | KORVA | Difference |", "| --- | ---: | ---: | ---: |"]
        for q, hand, prog, unit, d in P.checks:
            out.append(f"| {q} | {f(hand, d)} {unit} | {f(prog, d)} {unit} | {diff_text(hand, prog, unit, d)} |")
        out.append("")
    return "\n".join(out) + "\n"


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--runner", required=True)
    ap.add_argument("--markdown")
    ap.add_argument("--keep")
    args = ap.parse_args()
    runner = os.path.abspath(args.runner)
    scratch = os.path.abspath(args.keep) if args.keep else tempfile.mkdtemp(prefix="korva-verify-")
    os.makedirs(scratch, exist_ok=True)
    failures, problems = [], []
    try:
        for name, fn in PROBLEMS:
            try:
                P = Problem(name, run(runner, name, scratch))
                fn(P)
            except Exception as e:  # a problem that cannot run or be read is a failure
                failures.append(f"{name}: {e}")
                print(f"FAIL {name}: {e}")
                continue
            problems.append(P)
            for q, hand, prog, unit, d in P.checks:
                bad = differs(hand, prog)
                tag = "FAIL " if bad else "ok   "
                print(f"{tag} {name}: {q}: hand {f(hand, d)} {unit}, KORVA "
                      f"{f(prog, d) if prog is not None else 'none'} {unit}")
                if bad:
                    failures.append(f"{name}: {q}")
        if args.markdown:
            with open(args.markdown, "w", encoding="utf-8") as fh:
                fh.write(markdown(problems, os.path.basename(runner)))
    finally:
        if not args.keep:
            shutil.rmtree(scratch, ignore_errors=True)
    if failures:
        print("\nDiffering: " + "; ".join(failures))
        return 1
    print(f"\nAll checks agree within {TOL * 100:.1f} %.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
