#include "analysis_output.h"

#include "frame/message_texts.h"
#include "plot_records.h"
#include "resistance.h"
#include "settlement/socket.h"

namespace korva {

namespace {

bool is_soil(int k) {
  return k == kSand || k == kClay || k == kClayShale || k == kGravellySand || k == kGravel;
}

// The depth-table step of a shaft length (ft): the whole feet of the length, or -1 when the
// length lies outside the table (above the ground, or not a number) so that no step is
// looked up for it.
std::ptrdiff_t depth_step(double length, const std::vector<double>& table) {
  if (!(length >= 0 && length < static_cast<double>(table.size()))) return -1;
  return static_cast<std::ptrdiff_t>(length);
}

double base_at_design(const PassResult& pass) {
  const int L = static_cast<int>(pass.table.rows.back().LENGTH);
  return average_base(pass.t.QB, pass.t.ROCKSTEP, L, pass.t.NZONE, pass.g.DSTEM);
}

// The inputs of the t-z analysis of a pass, in inches, pounds and psi.
SettlementInput settlement_input(const CapacityState& st, const PassResult& pass,
                                 const ProjectInput& raw) {
  const ProjectInput& in = st.in;
  SettlementInput s;
  TransferInput& t = s.t;
  t.D = pass.g.DSTEM * 12;
  t.Db = pass.g.BD * 12;
  t.QB = base_at_design(pass) * 2000;
  t.L = pass.table.rows.back().LENGTH * 12;
  for (std::size_t j = 0; j < st.profile.layers.size(); ++j) {
    const ProfileLayer& L = st.profile.layers[j];
    t.KSOIL.push_back(L.KSOIL);
    t.XTOP.push_back(L.XTOP * 12);
    t.XBOT.push_back(L.XBOT * 12);
    t.F_top.push_back(pass.t.layers[j].FS_first * 2000 / 144);
    t.F_bot.push_back(pass.t.layers[j].FS_last * 2000 / 144);
  }
  // The capacity profile: the depth steps of the table rows.
  for (const TableRow& r : pass.table.rows) {
    const std::ptrdiff_t i = depth_step(r.LENGTH, pass.t.depth_in);
    if (i >= 0 && pass.t.depth_in[static_cast<std::size_t>(i)] > 0) {
      t.P.push_back(pass.t.depth_in[static_cast<std::size_t>(i)]);
      t.f.push_back(pass.t.FS_psi[static_cast<std::size_t>(i)]);
    }
  }
  s.E = in.si() ? raw.Ec / 6.894 : raw.Ec;
  s.Hb = pass.g.HB;
  s.TOPLEN = in.TOPLEN;
  s.si = in.si();
  s.IUNIT = raw.IUNIT;
  s.IVDIA = pass.plan.IVDIA;
  s.IVLEN = pass.plan.IVLEN;
  s.ICASE = pass.ICASE;
  s.chart = in.IChart > 0;
  s.PDSETT = raw.PDSETT;
  return s;
}

SocketInput socket_input(const CapacityState& st, const PassResult& pass) {
  SocketInput s;
  s.profile = &st.profile;
  s.tip = pass.table.tip_layer;
  s.D = pass.g.DSTEM;
  s.DSTART = st.in.DSTART;
  s.L = pass.table.rows.back().LENGTH;
  s.Ec = st.in.Ec;
  s.WTD = st.profile.WTD;
  s.si = st.in.si();
  s.QS = pass.table.rows.back().QS;
  s.QB = base_at_design(pass);
  double carried = 0;
  for (std::size_t j = 0; j < st.profile.layers.size(); ++j) {
    if (pass.t.layers[j].any) carried = pass.t.layers[j].QS_last;
    s.Qs.push_back(static_cast<int>(j) == s.tip ? s.QS : carried);
  }
  s.QsW = pass.t.QsW;
  // The last depth step of the pass: the step of the design length.
  const std::ptrdiff_t i = depth_step(s.L, pass.t.depth_in);
  const double z = i >= 0 && pass.t.depth_in[static_cast<std::size_t>(i)] > 0
                       ? pass.t.depth_in[static_cast<std::size_t>(i)] / 12
                       : s.L;
  int J = 0;
  while (J + 1 < static_cast<int>(st.profile.layers.size()) &&
         !(z <= st.profile.layers[static_cast<std::size_t>(J)].XBOT))
    ++J;
  s.z_tip = z;
  s.zrel_tip = z - st.profile.layers[static_cast<std::size_t>(J)].XTOP;
  s.sigv_tip = EFFSTRESS(stress_points(st.profile), st.profile, z);
  return s;
}

}  // namespace

AnalysisOutput::AnalysisOutput(Streams& out, const ProjectInput& raw, std::string tzdata,
                               std::string tzdiam)
    : out_(out), raw_(raw), tzdata_(std::move(tzdata)) {
  ls_.tzdiam_path = std::move(tzdiam);
}

void AnalysisOutput::profile_ready(const CapacityState& st, const EstimationNotes&) {
  report::input_echo(out_, raw_, st);
}

void AnalysisOutput::pass_start(const CapacityState&, const PassResult& pass) {
  if (pass.ICASE == 1) first_target_ = pass.plan.target_length;
  pass_single_curve_ = false;
  pass_has_curve_ = false;
  report::pass_header(out_, raw_, pass);
}

void AnalysisOutput::table_start(const CapacityState&, const PassResult&) {
  report::table_heading(out_, raw_);
}

void AnalysisOutput::row(const CapacityState&, const PassResult&, const TableRow& row) {
  out_.put(kConsole, report::row_line(raw_, row));
}

void AnalysisOutput::table_done(const CapacityState& st, const PassResult& pass) {
  for (const TableRow& r : report::print_rows(st, pass)) out_.put(kReport, report::row_line(raw_, r));
}

std::int32_t AnalysisOutput::settlement(CapacityState& st, PassResult& pass) {
  const int tip = st.profile.layers[static_cast<std::size_t>(pass.table.tip_layer)].KSOIL;
  if (is_soil(tip)) {
    const SettlementInput in = settlement_input(st, pass, raw_);
    if (in.t.P.empty() || !(in.t.D > 0)) {
      out_.put(kMessages, std::string("\n     ") + msg::kCaseWithoutCurve1 + std::to_string(pass.ICASE) +
                              msg::kCaseWithoutCurve2 + "\n");
      // The first case carries the t-z part of the plot data: without curves it still
      // gives their counts (none), so that the q-w curves of later cases are read as such.
      if (pass.ICASE == 1) {
        if (st.in.PrintTZCurves == 1) out_.list(kPlotScratch1, {0});
        plot::tz_records(out_, 0);
        tz_part_started_ = true;
      }
      return 0;
    }
    if (pass.ICASE == 1 && st.in.PrintTZCurves == 1) {
      report::additional_tz_heading(out_);
      for (int sel : {kTrend, kUpperBound, kLowerBound}) {
        const int status = TZ_AT_DEPTHS(in, st.in.TZDEP, sel, out_, &ls_);
        if (status > 0) return status;
      }
    }
    report::settlement_heading(out_);
    if (pass.ICASE == 1) plot::tz_records(out_, st.in.NLAYER);
    for (int sel : {kTrend, kUpperBound, kLowerBound}) {
      const int status = LOAD_SETTLEMENT(ls_, in, sel, out_);
      if (status > 0) return status;
    }
    pass_has_curve_ = true;
    return 0;
  }

  report::settlement_heading(out_);
  const SocketInput in = socket_input(st, pass);
  SocketCurve curve;
  if (tip == kStrongRockSideOrBase || tip == kStrongRock) {
    curve = ROCK_SOCKET(in);
  } else if (tip == kDecomposedRock) {
    curve = DECOMPOSED_ROCK_SOCKET(in);
  } else if (tip == kWeakRock) {
    st.weak_rock = {};
    curve = WEAK_ROCK_SOCKET(in, st.weak_rock);
  } else {
    return 0;  // a tip layer of unknown type has no curve
  }
  write_socket_heading(out_);
  ls_.curves[0] = curve.rows;
  pass_single_curve_ = true;
  pass_has_curve_ = true;
  return 0;
}

void AnalysisOutput::pass_done(const CapacityState& st, const PassResult& pass,
                               const MostEfficient& best) {
  const ProjectInput& in = st.in;
  if (pass.g.DSTEM > in.DIALIM + 0.02 && best.any) report::most_efficient(out_, raw_, best);

  if (in.IChart > 0 && !pass.table.rows.empty()) {
    const std::size_t j = static_cast<std::size_t>(pass.plan.IVDIA - 1);
    const std::size_t k = static_cast<std::size_t>(pass.plan.IVLEN - 1);
    if (chart_diameters_in_.size() <= j) chart_diameters_in_.resize(j + 1, 0.0);
    if (chart_lengths_in_.size() <= k) chart_lengths_in_.resize(k + 1, 0.0);
    chart_diameters_in_[j] = pass.g.DSTEM * 12;
    chart_lengths_in_[k] = pass.table.rows.back().LENGTH * 12;
  }

  const bool block = pass.plan.target_length >= first_target_ || in.IPENT > 0;
  // Every block carries the NC of the first block and its number of rows, so that the
  // rows of every block can be read with the count of the first.
  const int pass_nc = ls_.selector;
  if (block && first_block_nc_ < 0) first_block_nc_ = pass_nc;
  if (block) plot::capacity_block(out_, st, pass, first_block_nc_);
  if (pass_has_curve_) {
    const CurveRows& trend = ls_.curves[0];
    if (pass_single_curve_) {
      const bool si = in.si();
      out_.write(kReport, si ? "(/,22X,'TOP  LOAD     TOP MOVEMENT        ',/,22X,'   kN              M             ')"
                             : "(/,22X,'TOP  LOAD     TOP MOVEMENT     ',/,22X,'   TONS             IN.       ')");
      const int copies = block && first_block_nc_ > 1 ? 3 : 1;
      for (const auto& r : trend) {
        if (block && copies == 1) out_.write(kPlot, "(4(1X,E10.3))", {r[0], r[1], r[2], r[3]});
        out_.write(kReport, "(13X,2(E17.4))", {r[0], r[1]});
      }
      if (block && copies == 3)
        for (int c = 0; c < 3; ++c)
          for (const auto& r : trend) out_.write(kPlot, "(4(1X,E10.3))", {r[0], r[1], r[2], r[3]});
    } else if (block) {
      const int curves = first_block_nc_ > 1 ? 3 : 1;
      for (int c = 0; c < curves; ++c)
        for (const auto& r : ls_.curves[static_cast<std::size_t>(c)])
          out_.write(kPlot, "(4(1X,E10.3))", {r[0], r[1], r[2], r[3]});
    }
  } else if (block) {
    // A pass without a load-settlement curve (no length or diameter to compute one, or a tip
    // layer of unknown type) still carries the rows its block promises, all at the origin,
    // so that the program reads every block of the file alike.
    const int curves = first_block_nc_ > 1 ? 3 : 1;
    const CurveRows none{};
    for (int c = 0; c < curves; ++c)
      for (const auto& r : none) out_.write(kPlot, "(4(1X,E10.3))", {r[0], r[1], r[2], r[3]});
  }
  if (in.METHOD == 2 &&
      (pass.table.rows.empty() || pass.table.rows.back().LENGTH < pass.target_length)) {
    report::length_note(out_);
  }
}

void AnalysisOutput::run_done(const CapacityState& st, const MostEfficient&, const PassResult* last) {
  if (last && !st.profile.layers.empty() && st.profile.layers.back().KSOIL == kStrongRockSideOrBase &&
      last->t.last_rock_qu >= 0 && last->t.last_rock_qu < 144000) {
    report::rock_note(out_);
  }
  if (st.in.IChart > 0) {
    report::DesignCharts c;
    c.settlements = raw_.PDSETT;
    c.diameters_in = chart_diameters_in_;
    c.lengths_in = chart_lengths_in_;
    c.Q.assign(c.settlements.size(),
               std::vector<std::vector<double>>(c.diameters_in.size(),
                                                std::vector<double>(c.lengths_in.size(), 0.0)));
    const ChartData& computed = ls_.charts;
    for (std::size_t m = 0; m < c.Q.size() && m < computed.Q.size(); ++m)
      for (std::size_t j = 0; j < c.diameters_in.size() && j < computed.Q[m].size(); ++j)
        for (std::size_t k = 0; k < c.lengths_in.size() && k < computed.Q[m][j].size(); ++k)
          c.Q[m][j][k] = computed.Q[m][j][k];
    plot::design_chart_block(out_, st.in.si(), c);
    report::design_chart_section(out_, raw_, c);
  }
}

void AnalysisOutput::finish() {
  ls_.trace.write(tzdata_);
  // A t-z part whose cases all lacked a curve still ends with the count of its q-w curves.
  if (tz_part_started_ && ls_.qw_curves == 0) {
    out_[kTzDiam].open_on_write(ls_.tzdiam_path);
    out_.list(kTzDiam, {0});
    out_[kTzDiam].close();
  }
}

}  // namespace korva
