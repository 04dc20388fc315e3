#!/usr/bin/env python3
"""Draws the figures of the technical manual (docs/images/tm-*.svg).

The curve values are copied from the engine's tables:
  engine/settlement/load_transfer.cpp  normalized side (t-z) and base (q-w) load transfer
  engine/capacity/profile.cpp          friction angle from the SPT blow count
  engine/capacity/resistance.cpp       weights of the averaging zone below the base
Run it from any directory: python3 docs/images/make_tm_figures.py
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))

# ---- engine tables (copied) ----------------------------------------------------------
CLAY_ZETA = [0, 0.001, 0.002, 0.003, 0.005, 0.006, 0.008, 0.012, 0.016, 0.02]
CLAY_TAU = [
    [0, 0.51, 0.72, 0.9, 0.925, 0.945, 0.955, 0.925, 0.9, 0.835],
    [0, 0.74, 0.92, 0.97, 1.01, 1.02, 1.02, 1.0, 0.96, 0.92],
    [0, 0.29, 0.52, 0.7, 0.84, 0.87, 0.89, 0.85, 0.8, 0.75],
]
SAND_ZETA = [0, 0.001, 0.002, 0.003, 0.005, 0.006, 0.008, 0.012, 0.016, 0.1]
SAND_TAU = [
    [0, 0.335, 0.58, 0.72, 0.86, 0.91, 0.95, 0.965, 0.96, 0.95],
    [0, 0.45, 0.76, 0.9, 0.98, 1.0, 1.0, 1.0, 1.0, 1.0],
    [0, 0.22, 0.4, 0.54, 0.74, 0.82, 0.9, 0.93, 0.92, 0.9],
]
BASE_OMEGA = [0, 0.005, 0.01, 0.015, 0.025, 0.03, 0.04, 0.05, 0.07, 0.1]
CLAY_KAPPA = [
    [0, 0.395, 0.56, 0.7, 0.865, 0.9, 0.95, 0.97, 0.98, 0.991],
    [0, 0.59, 0.75, 0.86, 0.96, 0.98, 0.995, 0.995, 0.994, 0.992],
    [0, 0.2, 0.37, 0.54, 0.77, 0.82, 0.9, 0.94, 0.97, 0.99],
]
SAND_KAPPA = [
    [0, 0.175, 0.345, 0.485, 0.64, 0.73, 0.88, 1.015, 1.195, 1.46],
    [0, 0.25, 0.48, 0.67, 0.76, 0.84, 0.96, 1.08, 1.28, 1.61],
    [0, 0.1, 0.21, 0.3, 0.52, 0.62, 0.8, 0.95, 1.11, 1.32],
]
PHI0 = [(0, 0), (2, 32), (4, 34), (6, 36), (10, 38), (15, 42), (20, 45)]
PHI20 = [(6, 30), (10, 32), (15, 34), (20, 36), (25, 37), (30, 39), (35, 40), (40, 41),
         (45, 42), (50, 44), (55, 45)]
PHI40 = [(10, 31), (15, 32), (20, 34), (25, 35), (30, 36), (35, 36), (40, 37), (45, 38),
         (50, 39), (55, 39), (60, 40), (65, 41), (70, 42), (75, 42), (80, 43), (85, 44),
         (90, 44)]

LINES = [("Trend", "#1f4e9a", ""), ("Upper bound", "#2a8a3a", "6,3"),
         ("Lower bound", "#b03a2e", "2,2")]
FONT = 'font-family="DejaVu Sans, sans-serif"'


def svg(width, height, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n'
            f'<rect x="0" y="0" width="{width}" height="{height}" fill="white"/>\n'
            + "\n".join(body) + "\n</svg>\n")


def text(x, y, s, size=11, anchor="start", weight="normal", rotate=None, color="#111"):
    s = s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    tr = f' transform="rotate({rotate} {x} {y})"' if rotate is not None else ""
    return (f'<text x="{x:.1f}" y="{y:.1f}" {FONT} font-size="{size}" fill="{color}" '
            f'text-anchor="{anchor}" font-weight="{weight}"{tr}>{s}</text>')


def line(x1, y1, x2, y2, color="#111", width=1.0, dash=""):
    d = f' stroke-dasharray="{dash}"' if dash else ""
    return (f'<line x1="{x1:.1f}" y1="{y1:.1f}" x2="{x2:.1f}" y2="{y2:.1f}" '
            f'stroke="{color}" stroke-width="{width}"{d}/>')


def polyline(points, color="#111", width=1.6, dash="", fill="none"):
    d = f' stroke-dasharray="{dash}"' if dash else ""
    p = " ".join(f"{x:.1f},{y:.1f}" for x, y in points)
    return f'<polyline points="{p}" fill="{fill}" stroke="{color}" stroke-width="{width}"{d}/>'


def rect(x, y, w, h, fill="none", stroke="#111", width=1.0, dash=""):
    d = f' stroke-dasharray="{dash}"' if dash else ""
    return (f'<rect x="{x:.1f}" y="{y:.1f}" width="{w:.1f}" height="{h:.1f}" fill="{fill}" '
            f'stroke="{stroke}" stroke-width="{width}"{d}/>')


def arrow_v(x, y1, y2, color="#111"):
    """A dimension line from y1 to y2 with arrow heads at both ends."""
    out = [line(x, y1, x, y2, color, 0.9)]
    for y, s in ((y1, 1), (y2, -1)):
        out.append(f'<polygon points="{x:.1f},{y:.1f} {x - 3:.1f},{y + 7 * s:.1f} '
                   f'{x + 3:.1f},{y + 7 * s:.1f}" fill="{color}"/>')
    return out


def arrow_h(x1, x2, y, color="#111"):
    out = [line(x1, y, x2, y, color, 0.9)]
    for x, s in ((x1, 1), (x2, -1)):
        out.append(f'<polygon points="{x:.1f},{y:.1f} {x + 7 * s:.1f},{y - 3:.1f} '
                   f'{x + 7 * s:.1f},{y + 3:.1f}" fill="{color}"/>')
    return out


def panel(x0, y0, w, h, xmax, ymax, xticks, yticks, xlabel, ylabel, title, curves):
    """A graph panel; curves: list of (xs, ys, color, dash)."""
    out = [rect(x0, y0, w, h, stroke="#333")]
    sx = lambda v: x0 + w * v / xmax
    sy = lambda v: y0 + h - h * v / ymax
    for t in xticks:
        out.append(line(sx(t), y0, sx(t), y0 + h, "#ddd", 0.6))
        out.append(text(sx(t), y0 + h + 14, f"{t:g}", 10, "middle"))
    for t in yticks:
        out.append(line(x0, sy(t), x0 + w, sy(t), "#ddd", 0.6))
        out.append(text(x0 - 4, sy(t) + 4, f"{t:g}", 10, "end"))
    out.append(rect(x0, y0, w, h, stroke="#333"))
    for xs, ys, color, dash in curves:
        pts, marks = [], []
        for i, (a, b) in enumerate(zip(xs, ys)):
            if a <= xmax * 1.0001:
                pts.append((sx(a), sy(b)))
                marks.append(pts[-1])
            elif i > 0 and xs[i - 1] < xmax:
                # A segment that leaves the panel ends at its edge.
                f = (xmax - xs[i - 1]) / (a - xs[i - 1])
                pts.append((sx(xmax), sy(ys[i - 1] + f * (b - ys[i - 1]))))
        out.append(polyline(pts, color, 1.7, dash))
        for p in marks:
            out.append(f'<circle cx="{p[0]:.1f}" cy="{p[1]:.1f}" r="2" fill="{color}"/>')
    out.append(text(x0 + w / 2, y0 - 8, title, 12, "middle", "bold"))
    out.append(text(x0 + w / 2, y0 + h + 30, xlabel, 11, "middle"))
    out.append(text(x0 - 36, y0 + h / 2, ylabel, 11, "middle", rotate=-90))
    return out


def load_transfer_figure():
    body = []
    W, H = 300, 190
    specs = [
        (70, 30, 0.02, 1.1, [0, 0.005, 0.01, 0.015, 0.02], [0, 0.2, 0.4, 0.6, 0.8, 1.0],
         "Settlement / diameter of shaft, w/D", "Side load transfer / ultimate, f/fmax",
         "Side, clay and all other types", CLAY_ZETA, CLAY_TAU),
        (450, 30, 0.02, 1.1, [0, 0.005, 0.01, 0.015, 0.02], [0, 0.2, 0.4, 0.6, 0.8, 1.0],
         "Settlement / diameter of shaft, w/D", "Side load transfer / ultimate, f/fmax",
         "Side, sand (type 1)", SAND_ZETA, SAND_TAU),
        (70, 300, 0.1, 1.7, [0, 0.02, 0.04, 0.06, 0.08, 0.1], [0, 0.4, 0.8, 1.2, 1.6],
         "Settlement of base / diameter of base, w/Db", "Base load / ultimate, Q/QB",
         "Base, clay and other types", BASE_OMEGA, CLAY_KAPPA),
        (450, 300, 0.1, 1.7, [0, 0.02, 0.04, 0.06, 0.08, 0.1], [0, 0.4, 0.8, 1.2, 1.6],
         "Settlement of base / diameter of base, w/Db", "Base load / ultimate, Q/QB",
         "Base, sand, gravelly sand, gravel", BASE_OMEGA, SAND_KAPPA),
    ]
    for x0, y0, xm, ym, xt, yt, xl, yl, title, keys, rows in specs:
        curves = [(keys, rows[i], LINES[i][1], LINES[i][2]) for i in range(3)]
        body += panel(x0, y0, W, H, xm, ym, xt, yt, xl, yl, title, curves)
    # Legend.
    lx, ly = 260, 560
    for i, (name, color, dash) in enumerate(LINES):
        x = lx + i * 140
        body.append(line(x, ly, x + 30, ly, color, 2, dash))
        body.append(text(x + 36, ly + 4, name, 12))
    body.append(text(400, 588, "The sand side table ends at w/D = 0.1 (0.95, 1.0 and 0.9 of fmax),"
                     " beyond the panel's edge.", 11, "middle", color="#444"))
    return svg(800, 600, body)


def phi_figure():
    body = []
    x0, y0, w, h = 70, 30, 560, 300
    xmax, ymax = 100, 50
    sx = lambda v: x0 + w * v / xmax
    sy = lambda v: y0 + h - h * (v - 25) / (ymax - 25)
    for t in range(0, 101, 10):
        body.append(line(sx(t), y0, sx(t), y0 + h, "#ddd", 0.6))
        body.append(text(sx(t), y0 + h + 14, str(t), 9, "middle"))
    for t in range(25, 51, 5):
        body.append(line(x0, sy(t), x0 + w, sy(t), "#ddd", 0.6))
        body.append(text(x0 - 5, sy(t) + 3, str(t), 9, "end"))
    body.append(rect(x0, y0, w, h, stroke="#333"))

    def curve(pts, color, dash, label, lx, ly):
        # Flat beyond the chart's last point, as the engine reads it.
        pts = list(pts) + [(xmax, pts[-1][1])]
        pts = [(a, max(b, 25)) for a, b in pts if a >= 0]
        body.append(polyline([(sx(a), sy(b)) for a, b in pts], color, 1.8, dash))
        body.append(text(sx(lx), sy(ly), label, 10, color=color))

    curve([p for p in PHI0 if p[0] >= 2], "#1f4e9a", "", "0 lb/in2", 8, 45.8)
    curve(PHI20, "#2a8a3a", "6,3", "20 lb/in2", 58, 45.8)
    curve(PHI40, "#b03a2e", "2,2", "40 lb/in2", 70, 40.6)
    body.append(text(x0 + w / 2, y0 + h + 32, "SPT blow count N (blows per foot)", 10, "middle"))
    body.append(text(x0 - 36, y0 + h / 2, "Friction angle, degrees", 10, "middle", rotate=-90))
    body.append(text(x0 + w / 2, y0 - 10, "Friction angle against N for three effective "
                     "overburden pressures", 11, "middle", "bold"))
    return svg(700, 380, body)


def shaft_figure():
    b = []
    ft = 10.0  # px per ft
    gx, gy = 230, 60  # shaft axis x, ground y
    D, BD, L = 3.0, 7.0, 40.0
    TOPLEN, BS = 5.0, 3.0
    theta = 30.0  # bell angle from the vertical, degrees
    import math
    TOE = 0.25 if D <= 3.52 else 0.5
    HB = (BD - D) / (2 * math.tan(math.radians(theta))) + TOE
    y = lambda z: gy + z * ft
    hx = 13.0  # px per ft across the shaft (the widths are drawn larger than the depths)
    half = D / 2 * hx
    bhalf = BD / 2 * hx
    stem_end = L - HB
    # Soil and ground.
    b.append(rect(40, gy, 600, (L + 2 * BD + 4) * ft, fill="#f6f1e4", stroke="none"))
    b.append(line(40, gy, 640, gy, "#333", 1.5))
    b.append(text(44, gy - 6, "Ground surface, z = 0", 12))
    wt = 12.0
    b.append(line(40, y(wt), 640, y(wt), "#2060c0", 1.0, "8,4"))
    b.append(text(44, y(wt) - 4, "Water table, z = WTD", 12, color="#2060c0"))
    # Shaft outline: stem, cone, toe.
    pts = [(gx - half, y(0)), (gx - half, y(stem_end)), (gx - bhalf, y(L - TOE)),
           (gx - bhalf, y(L)), (gx + bhalf, y(L)), (gx + bhalf, y(L - TOE)),
           (gx + half, y(stem_end)), (gx + half, y(0))]
    b.append(polyline(pts + [pts[0]], "#333", 1.5, fill="#d8d8d8"))
    # Zones on the stem.
    b.append(rect(gx - half, y(0), 2 * half, TOPLEN * ft, fill="#f3c9c0", stroke="#333"))
    b.append(rect(gx - half, y(stem_end - BS), 2 * half, BS * ft, fill="#f3c9c0", stroke="#333"))
    b.append(rect(gx - half, y(TOPLEN), 2 * half, (stem_end - BS - TOPLEN) * ft, fill="#bcd3ee",
                  stroke="#333"))
    # One-foot steps along the left of the shaft.
    for k in range(1, int(L + 2 * BD) + 1):
        x1 = gx - half - (6 if k % 5 == 0 else 3)
        b.append(line(x1, y(k), gx - half, y(k), "#555", 0.6))
    # Averaging zone below the base.
    z0, z1 = L, L + 2 * BD
    b.append(rect(gx - bhalf, y(z0), 2 * bhalf, (z1 - z0) * ft, fill="#e3efd9", stroke="#2a8a3a",
                  dash="5,3"))
    b.append(text(gx - bhalf - 8, y(z0 + BD) - 2, "averaging zone,", 12, "end", color="#2a6a2a"))
    b.append(text(gx - bhalf - 8, y(z0 + BD) + 12, "2 BD deep", 12, "end", color="#2a6a2a"))
    # Weight of the averaging zone, drawn to the right.
    wx = gx + bhalf + 20
    pts = []
    n = 40
    for j in range(n + 1):
        x = j / n
        wgt = 1.2 * x if x <= 0.5 else 0.4 * (2 - x)
        pts.append((wx + wgt * 80, y(z0 + x * (z1 - z0))))
    b.append(line(wx, y(z0), wx, y(z1), "#2a8a3a", 0.8))
    b.append(polyline(pts, "#2a8a3a", 1.5))
    b.append(text(wx + 64, y(z0 + BD) + 4, "weight", 12, color="#2a6a2a"))
    b.append(text(wx + 64, y(z0 + BD) + 18, "0.6 at 1 BD", 12, color="#2a6a2a"))
    # Dimensions on the right.
    dx = 470
    dims = [(0, TOPLEN, "TOPLEN (top length)"), (TOPLEN, stem_end - BS, "side resistance zone"),
            (stem_end - BS, stem_end, "BS (bottom length)"), (stem_end, L, "HB (bell height)")]
    for za, zb, label in dims:
        b += arrow_v(dx, y(za), y(zb))
        b.append(line(gx + half + 2, y(za), dx + 4, y(za), "#999", 0.5, "2,2"))
        b.append(text(dx + 8, y((za + zb) / 2) + 4, label, 12))
    b.append(line(gx + bhalf + 2, y(L), dx + 4, y(L), "#999", 0.5, "2,2"))
    b += arrow_v(dx - 30, y(0), y(L))
    b.append(text(dx - 34, y(L / 2), "shaft length L", 12, "middle", rotate=-90))
    # Diameters.
    b += arrow_h(gx - half, gx + half, y(2.5))
    b.append(text(gx - half - 8, y(2.5) + 4, "D (stem)", 12, "end"))
    b += arrow_h(gx - bhalf, gx + bhalf, y(L) + 8)
    b.append(text(gx - bhalf - 6, y(L) + 12, "BD (base)", 12, "end"))
    b.append(text(gx + half + 8, y(stem_end - 1.0), f"bell angle θ", 12))
    b.append(text(gx - bhalf - 6, y(L - TOE) - 4, "toe", 12, "end"))
    # Depth axis.
    b.append(text(60, y(L + 2 * BD + 2), "z (depth, ft), one tick per one-foot step", 12))
    b.append(text(340, 24, "Zones of a belled shaft in the capacity analysis", 14, "middle", "bold"))
    return svg(680, int(y(L + 2 * BD + 4)) + 10, b)


def main():
    for name, make in (("tm-load-transfer.svg", load_transfer_figure),
                       ("tm-phi-from-n.svg", phi_figure),
                       ("tm-shaft-zones.svg", shaft_figure)):
        with open(os.path.join(HERE, name), "w", encoding="utf-8") as f:
            f.write(make())
        print("wrote", name)


if __name__ == "__main__":
    main()
