#include "load_settlement.h"

#include <algorithm>
#include <cmath>

#include "frame/text_file.h"

namespace korva {

namespace {

constexpr int kMaxSegmentRounds = 1000;  // repetitions of a segment before it is accepted
constexpr int kMaxChartRounds = 100;     // the same for the design-chart walk
constexpr double kTolerance = 1e-5;      // in

struct Labels {
  const char* depth;
  const char* movement;
  const char* force;
  const char* stress;
  const char* area;
};

// SET_UNIT_LABELS
Labels unit_labels(bool si) {
  return si ? Labels{" M.", " M.", "KN.", "KPA", " SQ M"} : Labels{"IN.", "IN.", "TON", "PSI", "SQ IN"};
}

constexpr const char* kTzHeading =
    "(/,/,8X,'T-Z CURVE   NO. OF   DEPTH TO CURVE   LOAD TRANSFER   PILE MOVEMENT')";
constexpr const char* kTzUnits = "(11X,'NO.',6X,'POINTS',8X,A3,14X,A3,13X,A3,/)";
constexpr const char* kQwHeading = "(/,8X,'TIP   LOAD',8X,'TIP MOVEMENT',/,12X,A3,15X,A3,/)";

const char* line_title(int selector) {
  switch (selector) {
    case kUpperBound: return "RESULT FROM UPPER-BOUND LINE";
    case kLowerBound: return "RESULT FROM LOWER-BOUND LINE";
    default: return "RESULT FROM TREND (AVERAGED) LINE";
  }
}

// Axial stiffness E*A (lb) at depth d (in): constant down to the top of the bell, then
// linear to E*Ab at the tip.
struct Stiffness {
  double x1, EA, EAb, L;
  double at(double d) const {
    if (d <= x1 || !(L - x1 > 0)) return EA;
    return EA + (EAb - EA) * (d - x1) / (L - x1);
  }
};

// One segment of the walk from the tip to the head.
struct SegmentResult {
  double t, side, Ptop, Pmid, shortening, wtop, wmid;
  bool converged;
};

SegmentResult walk_segment(const std::vector<TzCurve>& curves, const CurvePick& pick, double Pbot, double wbot, double perimeter_seg, double seg, double EA,
                           bool no_side, int max_rounds) {
  SegmentResult r{};
  // A stiffness of zero (no concrete modulus) makes the shaft rigid: no shortening.
  const double flex = EA > 0 ? 1.0 / EA : 0.0;
  const double quarter = 0.25 * seg;
  double w_est = wbot;
  for (int round = 1;; ++round) {
    r.t = no_side ? 0.0 : tz_transfer(curves, pick, w_est);
    r.side = r.t * perimeter_seg;
    r.Ptop = Pbot + r.side;
    r.Pmid = Pbot + r.side / 2;
    r.shortening = seg * r.Pmid * flex;
    r.wtop = wbot + r.shortening;
    const double w_new = wbot + ((Pbot + r.Ptop) / 2 + Pbot) * quarter * flex;
    if (std::fabs(w_new - w_est) <= kTolerance) {
      r.wmid = w_est;
      r.converged = true;
      return r;
    }
    w_est = w_new;
    if (round >= max_rounds) {
      r.wmid = w_est;
      r.converged = false;
      return r;
    }
  }
}

std::string strength_warning(double x, bool length_check) {
  return fmt::format(length_check
                         ? "(/,29X,'**** WARNING ****',/,5X,'THE VALUE OF X =',E9.2,' IS BEYOND THE EXTENT OF THE INPUT STRENGTH CURVE')"
                         : "(/,29X,'**** WARNING ****',/,5X,'THE VALUE OF X =',E10.3,' IS BEYOND THE EXTENT OF THE INPUT STRENGTH CURVE 1')",
                     {x});
}

// The side curves of a call: FMAX from the strength curve and the capacity profile.
// Returns false (after the warning) when a depth lies beyond the strength curve.
bool build_side_curves(const TransferInput& t, const std::vector<double>& depths,
                       const std::vector<int>& soils, int selector, std::vector<TzCurve>& curves,
                       Streams& out) {
  const StrengthCurve s = strength_curve(t);
  curves.assign(depths.size(), TzCurve{});
  for (std::size_t J = 0; J < depths.size(); ++J) {
    TzCurve& c = curves[J];
    c.depth = depths[J];
    c.soil = soils[J];
    bool beyond = false;
    c.FMAX = STRENGTH_AT(s, c.depth, &beyond);
    if (beyond) {
      out.put(kReport, strength_warning(c.depth, false));
      return false;
    }
    // Every curve but the last takes the capacity profile; the last, which may lie below
    // the tip, the strength curve.
    if (J + 1 < depths.size()) c.FMAX = PROFILE_AT(t, c.depth);
    side_curve(c, t.D, selector);
  }
  return true;
}

}  // namespace

void ChartData::store(std::size_t m, std::size_t j, std::size_t k, double q, std::size_t settlements) {
  if (Q.size() < settlements) Q.resize(settlements);
  for (auto& per_m : Q) {
    if (per_m.size() <= j) per_m.resize(j + 1);
    for (auto& per_j : per_m)
      if (per_j.size() <= k) per_j.resize(k + 1, 0.0);
  }
  Q[m][j][k] = q;
}

void TraceRecorder::begin(bool si, bool first_length) {
  active_ = true;
  si_ = si;
  first_length_ = first_length;
  ended_ = false;
  stage_ = 0;
  curves_.clear();
  movements_.clear();
  segments_.clear();
}

TraceRecorder::Movement& TraceRecorder::movement(double WT, double PT) {
  Movement m;
  m.WT = WT;
  m.PT = PT;
  m.first = segments_.size();
  movements_.push_back(m);
  return movements_.back();
}

void TraceRecorder::write(const std::string& path) const {
  if (!active_) return;
  TextFile f;
  if (!f.open(path)) return;
  const Labels lab = unit_labels(si_);
  f.line(fmt::format("(5X,'NOTE: TZ CURVE DATA ARE AVAILABLE FOR SAND AND CLAY LAYERS ONLY.',/,/)"));
  if (stage_ >= 1) {
    const double depth_factor = si_ ? 0.0254 : 1.0;
    const double t_factor = si_ ? 6.895 : 1.0;
    const double z_factor = si_ ? 0.0254 : 1.0;
    f.line(fmt::format(kTzHeading));
    f.line(fmt::format(kTzUnits, {lab.depth, lab.stress, lab.movement}));
    for (std::size_t J = 0; J < curves_.size(); ++J) {
      const TzCurve& c = curves_[J];
      f.line(fmt::format("(8X,I5,I11,E16.4)", {static_cast<int>(J + 1), 10, c.depth * depth_factor}));
      for (std::size_t k = 0; k < 10; ++k)
        f.line(fmt::format("(40X,E17.4,E16.4)", {c.T[k] * t_factor, c.Z[k] * z_factor}));
    }
  }
  if (stage_ >= 2) {
    const double q_factor = si_ ? 4.448 / 1000 : 1.0 / 2000;
    const double w_factor = si_ ? 0.0254 : 1.0;
    if (first_length_) f.line(fmt::format(kQwHeading, {lab.force, lab.movement}));
    for (std::size_t k = 0; k < 10; ++k)
      f.line(fmt::format("(E18.4,E19.4)", {qw_.Q[k] * q_factor, qw_.W[k] * w_factor}));
  }
  for (const Movement& m : movements_) {
    f.line("1");
    f.line(fmt::format("(/,/,/,8X,'ASSUMED TIP MOVEMENT',8X,'TIP   LOAD')"));
    f.line(fmt::format("(17X,A3,20X,A3)", {"IN.", "LB."}));
    f.line(fmt::format("(E23.4,E23.4)", {m.WT, m.PT}));
    f.line(fmt::format("(/,/,/,3X,A7,A9,A10,A10,A10,A10,A10,A10)",
                       {"DEPTH", "LOAD", "LOAD", "TOTAL", "AVG", "COMP", "TOTAL", "AVG"}));
    f.line(fmt::format("(3X,A7,A9,A10,A10,A10,A10,A10,A10)",
                       {"", "TRANSFER", "INCR", "LOAD", "LOAD", "OF INCR", "MVMNT", "MVMNT"}));
    f.line(fmt::format("(3X,A7,A9,A10,A10,A10,A10,A10,A10)",
                       {"IN.", "PSI", "LB.", "LB.", "LB.", "IN.", "IN.", "IN."}));
    for (std::size_t i = m.first; i < m.first + m.count; ++i) {
      const Segment& s = segments_[i];
      f.line(fmt::format("(3X,F7.2,9X,10X,E10.3,20X,E10.3)", {s.bottom, s.Pbot, s.wbot}));
      f.line(fmt::format("(3X,F7.2,F9.2,E10.3,10X,2E10.3,10X,E10.3)",
                         {s.mid, s.t, s.side, s.Pmid, s.shortening, s.wmid}));
    }
    f.line(fmt::format("(3X,F7.2,9X,10X,E10.3,20X,E10.3)", {m.head, m.Ptop, m.wtop}));
  }
  if (ended_) f.line("1");
}

std::array<double, 15> tip_movements(double D) {
  double a = 0.01 * D, b = 0.025 * D, c = 0.05 * D;
  if (a < 0.5) a = 0.625;
  if (b < a) b = 1.25 * a;
  if (c < b) c = 1.25 * b;
  return {0.00001, 0.00005, 0.0001, 0.005, 0.0075, 0.01, 0.025, 0.05,
          0.075,   0.1,     0.25,   0.5,   a,      b,    c};
}

double tip_movement_for(const CurveRows& rows, double S) {
  auto wtop = [&](int i) { return rows[static_cast<std::size_t>(i)][1]; };
  auto WT = [&](int i) { return rows[static_cast<std::size_t>(i)][3]; };
  if (S < wtop(0)) return 0;
  if (S > wtop(14)) {
    const double dw = wtop(14) - wtop(13);
    return dw != 0 ? WT(14) + (S - wtop(14)) * (WT(14) - WT(13)) / dw : WT(14);
  }
  int k = 1;
  while (k < 14 && !(S <= wtop(k))) ++k;
  if (S == wtop(k)) return (k < 14 && wtop(k) == wtop(k + 1)) ? (WT(k) + WT(k + 1)) / 2 : WT(k);
  const double dw = wtop(k) - wtop(k - 1);
  return dw != 0 ? WT(k - 1) + (S - wtop(k - 1)) * (WT(k) - WT(k - 1)) / dw : WT(k);
}

int LOAD_SETTLEMENT(SettlementRun& run, const SettlementInput& in, int selector, Streams& out) {
  const TransferInput& t = in.t;
  const Labels lab = unit_labels(in.si);
  const bool first_length = in.IVLEN == 1;
  const bool first_diameter = in.IVDIA == 1;
  const bool tz_out = first_length && first_diameter;
  const double to_user_len = in.si ? 0.0254 : 1.0 / 12;  // in -> m or ft
  TraceRecorder& trace = run.trace;
  run.selector = selector;
  trace.begin(in.si, first_length);
  // "TZDIAM.DAT" is replaced only when written to.
  out[kTzDiam].open_on_write(run.tzdiam_path);

  // Stiffness table, tolerance and tip area.
  const double A = 0.7854 * t.D * t.D;
  const double Ab = 0.7854 * t.Db * t.Db;
  const Stiffness stiff{t.L - 12 * in.Hb, in.E * A, in.E * Ab, t.L};
  const double tip_area = t.D < t.Db ? Ab : A;

  if (first_length) {
    if (selector == kTrend) {
      out.write(kTzScratch, "(/,/,/,8X,'VARIATION DIAMETER       =',I10)", {in.IVDIA});
      out.list(kTzDiam, {++run.qw_curves});
      const char* u = in.si ? "M" : "FT";
      const std::string lines =
          fmt::format("(8X,'SHAFT DIAMETER           =',F10.4,2X,A,/,8X,'SHAFT LENGTH             =',F10.4,2X,A)",
                      {t.D * to_user_len, u, t.L * to_user_len, u});
      out.put(kTzScratch, lines);
      out.write(kPlotScratch2, "(I5,F10.2,I5)", {in.IVDIA, t.D * to_user_len, 10});
      if (first_diameter) {
        out.put(kTzFile, lines);
        out.write(kTzFile, "(/,/,8X,A)", {line_title(selector)});
      }
      out.write(kTzScratch, "(/,/,8X,A)", {line_title(selector)});
    } else {
      if (first_diameter) out.write(kTzFile, "(/,/,8X,A)", {line_title(selector)});
      out.write(kTzScratch, "(/,/,8X,A)", {line_title(selector)});
    }
  }
  // Side curves.
  const LayerBounds bounds = layer_bounds(t);
  const std::vector<double> depths = tz_depths(bounds);
  std::vector<int> soils;
  for (int k : t.KSOIL)
    for (int i = 0; i < 5; ++i) soils.push_back(k);
  std::vector<TzCurve> curves;
  if (!build_side_curves(t, depths, soils, selector, curves, out)) return 2;

  // t-z output.
  trace.curves(curves);
  run.side_curves[static_cast<std::size_t>(std::clamp(selector, 1, 3) - 1)] = curves;
  if (tz_out) {
    const double depth_factor = in.si ? 0.0254 : 1.0 / 12;
    const double t_factor = in.si ? 6.895 : 1.0;
    const double z_factor = in.si ? 0.0254 : 1.0;
    out.write(kTzFile, kTzHeading);
    out.write(kTzFile, kTzUnits, {in.si ? " M." : "FT.", lab.stress, lab.movement});
    for (std::size_t J = 0; J < curves.size(); ++J) {
      const TzCurve& c = curves[J];
      const int number = static_cast<int>(J + 1);
      out.write(kTzFile, "(8X,I5,I11,E16.4)", {number, 10, c.depth * depth_factor});
      if (selector == kTrend) out.write(kPlotScratch1, "(2I5,F10.2)", {number, 10, c.depth * depth_factor});
      for (std::size_t k = 0; k < 10; ++k) {
        out.write(kTzFile, "(40X,E17.4,E16.4)", {c.T[k] * t_factor, c.Z[k] * z_factor});
        if (selector == kTrend) out.list(kPlotScratch1, {c.T[k] * t_factor, c.Z[k] * z_factor});
      }
    }
  }

  // Base curve, by the soil type of the deepest layer.
  const int last_soil = t.KSOIL.empty() ? 0 : t.KSOIL.back();
  QwCurve qw;
  if (last_soil == 1) {
    qw = BASE_QW_SAND(t.D, t.Db, t.QB, selector);
  } else {
    const StrengthCurve s = strength_curve(t);
    if (!s.X.empty() && t.L > s.X.back()) {
      const std::string w = strength_warning(t.L, true);
      out.put(kReport, w);
      out.put(kMessages, w);
      return 4;
    }
    qw = BASE_QW_CLAY(t.D, t.Db, t.QB, selector);
    if (last_soil == 8 || last_soil == 9) qw = BASE_QW_SAND(t.D, t.Db, t.QB, selector);
  }

  // q-w output.
  const double q_factor = in.si ? 4.448 / 1000 : 1.0 / 2000;
  const double w_factor = in.si ? 0.0254 : 1.0;
  trace.base(qw);
  run.base_curves[static_cast<std::size_t>(std::clamp(selector, 1, 3) - 1)] = qw;
  if (first_length) {
    out.write(kTzScratch, kQwHeading, {lab.force, lab.movement});
    for (std::size_t k = 0; k < 10; ++k) {
      out.write(kTzScratch, "(E18.4,E19.4)", {qw.Q[k] * q_factor, qw.W[k] * w_factor});
      if (selector == kTrend) out.list(kPlotScratch2, {qw.Q[k] * q_factor, qw.W[k] * w_factor});
    }
  }

  // The walk from tip to head for each assumed tip movement.
  const std::size_t NSEG = t.P.size();
  const double seg = NSEG > 0 ? t.L / static_cast<double>(NSEG) : 0.0;
  const double perimeter_seg = t.D * 3.1416 * seg;
  std::vector<CurvePick> picks(NSEG);
  std::vector<double> mid(NSEG);
  for (std::size_t s = 0; s < NSEG; ++s) {
    mid[s] = t.L - (static_cast<double>(s) + 0.5) * seg;
    picks[s] = pick_curves(curves, mid[s]);
  }
  const std::array<double, 15> tips = tip_movements(t.D);
  CurveRows table{};
  bool reported_divergence = false;
  for (std::size_t i = 0; i < 15; ++i) {
    const double WT = tips[i];
    const double PT = qw_load(qw, WT);
    trace.movement(WT, PT);
    if (i == 0) out.list(kMessages, {15, static_cast<int>(NSEG), in.IUNIT, static_cast<int>(NSEG)});
    double Pbot = PT, wbot = WT;
    for (std::size_t s = 0; s < NSEG; ++s) {
      const double d = mid[s];
      const bool no_side = d < in.TOPLEN * 12;
      const SegmentResult r = walk_segment(curves, picks[s], Pbot, wbot, perimeter_seg, seg,
                                           stiff.at(d), no_side, kMaxSegmentRounds);
      if (!r.converged && !reported_divergence) {
        reported_divergence = true;
        out.put(kMessages,
                fmt::format("(/,5X,'NOTE: A SHAFT SEGMENT DID NOT CONVERGE IN ',I4,' ROUNDS;',"
                            "' THE LAST ESTIMATE IS USED.',/,5X,'CASE',I4,', ',A,', TIP MOVEMENT',"
                            "E11.4,' IN., SEGMENT DEPTH',F10.2,' IN.')",
                            {kMaxSegmentRounds, in.ICASE, line_title(selector), WT, d}));
      }
      trace.segment({d + 0.5 * seg, Pbot, wbot, d, r.t, r.side, r.Pmid, r.shortening, r.wmid});
      Pbot = r.Ptop;
      wbot = r.wtop;
    }
    TraceRecorder::Movement& m = trace.movement_back();
    m.head = t.L - static_cast<double>(NSEG) * seg;
    m.Ptop = Pbot;
    m.wtop = wbot;
    table[i] = {Pbot, wbot, PT, WT};
  }
  trace.end();

  // Result table in the user's units; it becomes this line's plot rows.
  const char* head =
      "(/,8X,'TOP  LOAD     TOP MOVEMENT       TIP LOAD  ',4X,'TIP  MOVEMENT',/,11X,A3,13X,A3,14X,A3,12X,A3)";
  out.write(kReport, "(/,/,8X,A)", {line_title(selector)});
  out.write(kReport, head, {lab.force, lab.movement, lab.force, lab.movement});
  CurveRows& rows = run.curves[static_cast<std::size_t>(std::clamp(selector, 1, 3) - 1)];
  for (std::size_t i = 0; i < 15; ++i) {
    const auto& r = table[i];
    if (in.si) rows[i] = {r[0] * 4.448 / 1000, r[1] / 39.37, r[2] * 4.448 / 1000, r[3] / 39.37};
    else rows[i] = {r[0] / 2000, r[1], r[2] / 2000, r[3]};
    out.write(kReport, "(E17.4,3E16.4)", {rows[i][0], rows[i][1], rows[i][2], rows[i][3]});
  }

  // Design settlements: the tip movement of each design head movement, then (trend line)
  // the design-chart loads.
  if (in.chart && !in.PDSETT.empty()) {
    std::vector<double> tip_at;
    for (double S : in.PDSETT) tip_at.push_back(tip_movement_for(rows, S));
    if (selector == kTrend) {
      const std::size_t j = static_cast<std::size_t>(in.IVDIA - 1);
      const std::size_t k = static_cast<std::size_t>(in.IVLEN - 1);
      ChartData& ch = run.charts;
      if (ch.diameters_in.size() <= j) ch.diameters_in.resize(j + 1, 0.0);
      if (ch.lengths_in.size() <= k) ch.lengths_in.resize(k + 1, 0.0);
      ch.diameters_in[j] = t.D;
      ch.lengths_in[k] = t.L;
      CurveRows design{};
      for (std::size_t m = 0; m < in.PDSETT.size(); ++m) {
        // Tip movements found in a converted SI table are metres; the walk works in inches.
        const double tip = in.si ? tip_at[m] * 39.37 : tip_at[m];
        const double PT = tip > 1e-10 ? qw_load(qw, tip) : 0.0;
        if (m == 0)
          out.list(kChart, {static_cast<int>(in.PDSETT.size()), static_cast<int>(NSEG), t.D, t.L,
                            in.IVDIA, in.IVLEN});
        out.list(kChart, {in.IVDIA, t.D, tip, tip_area});
        double Pbot = PT, wbot = tip;
        SegmentResult r{};
        double d = 0;
        for (std::size_t s = 0; s < NSEG; ++s) {
          d = mid[s];
          r = walk_segment(curves, picks[s], Pbot, wbot, perimeter_seg, seg, stiff.at(d), false,
                           kMaxChartRounds);
          Pbot = r.Ptop;
          wbot = r.wtop;
        }
        out.write(kChart, "(3X,E10.3,3X,E10.3,3X,E10.3)", {d, r.Pmid, r.wmid});
        ch.store(m, j, k, r.Pmid, in.PDSETT.size());
        if (m < 15) design[m] = {Pbot, wbot, PT, tip};
      }
      out.write(kReport, "(/,/,8X,'RESULT FOR DEFINED SETTLEMENTS ')");
      out.write(kReport, head, {lab.force, lab.movement, lab.force, lab.movement});
      for (std::size_t m = 0; m < in.PDSETT.size() && m < 15; ++m) {
        const auto& r = design[m];
        if (in.si)
          out.write(kReport, "(E17.4,3E16.4)", {r[0] * 4.448 / 1000, r[1] / 39.37, r[2] * 4.448 / 1000, r[3] / 39.37});
        else
          out.write(kReport, "(E17.4,3E16.4)", {r[0] / 2000, r[1], r[2] / 2000, r[3]});
      }
    }
  }
  out[kTzDiam].close();
  return 0;
}

int TZ_AT_DEPTHS(const SettlementInput& in, const std::vector<double>& depths_ft, int selector,
                 Streams& out, SettlementRun* run) {
  const TransferInput& t = in.t;
  const Labels lab = unit_labels(in.si);
  if (selector == kTrend) out.list(kPlotScratch1, {static_cast<int>(depths_ft.size())});
  const StrengthCurve s = strength_curve(t);
  const LayerBounds b = layer_bounds(t);
  const std::size_t n = b.XT.size();
  std::vector<TzCurve> curves(depths_ft.size());
  for (std::size_t i = 0; i < depths_ft.size(); ++i) {
    TzCurve& c = curves[i];
    c.depth = depths_ft[i] * 12;
    // The soil type of the layer holding the depth (the first above, the last below).
    std::size_t j = 0;
    if (n > 0 && c.depth > b.XT[0]) {
      while (j < n - 1 && !(c.depth <= b.XB[j])) ++j;
    }
    c.soil = n > 0 ? t.KSOIL[j] : 0;
    bool beyond = false;
    c.FMAX = STRENGTH_AT(s, c.depth, &beyond);
    if (beyond) {
      out.put(kReport, strength_warning(c.depth, false));
      return 2;
    }
    if (i + 1 < depths_ft.size()) c.FMAX = PROFILE_AT(t, c.depth);
    side_curve(c, t.D, selector);
  }

  const double depth_factor = in.si ? 0.0254 : 1.0 / 12;
  const double t_factor = in.si ? 6.895 : 1.0;
  const double z_factor = in.si ? 0.0254 : 1.0;
  out.write(kReport, "(/,/,8X,A)", {line_title(selector)});
  out.write(kReport, "(/,/,8X,'T-Z CURVE   NO. OF   DEPTH TO CURVE   LOAD TRANSFER   PILE MOVEMENT')");
  out.write(kReport, "(11X,'NO.',6X,'POINTS',8X,A3,14X,A3,13X,A3,/)",
            {in.si ? " M." : "FT.", lab.stress, lab.movement});
  if (run) run->additional_tz[static_cast<std::size_t>(std::clamp(selector, 1, 3) - 1)] = curves;
  for (std::size_t i = 0; i < curves.size(); ++i) {
    const TzCurve& c = curves[i];
    const std::string line =
        fmt::format("(8X,I5,I11,E16.4)", {static_cast<int>(i + 1), 10, c.depth * depth_factor});
    out.put(kReport, line);
    if (selector == kTrend) out.put(kPlotScratch1, line);
    for (std::size_t k = 0; k < 10; ++k) {
      out.write(kReport, "(40X,E17.4,E16.4)", {c.T[k] * t_factor, c.Z[k] * z_factor});
      if (selector == kTrend) out.list(kPlotScratch1, {c.T[k] * t_factor, c.Z[k] * z_factor});
    }
  }
  return 0;
}

}  // namespace korva
