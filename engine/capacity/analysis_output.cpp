#include "analysis_output.h"

#include "plot_records.h"

namespace korva {

namespace {

bool soil_tip(const CapacityState& st, const PassResult& pass) {
  if (pass.table.tip_layer < 0) return false;
  const int k = st.profile.layers[static_cast<std::size_t>(pass.table.tip_layer)].KSOIL;
  return k == kSand || k == kClay || k == kClayShale || k == kGravellySand || k == kGravel;
}

}  // namespace

void AnalysisOutput::profile_ready(const CapacityState& st, const EstimationNotes&) {
  report::input_echo(out_, raw_, st);
}

void AnalysisOutput::pass_start(const CapacityState&, const PassResult& pass) {
  if (pass.ICASE == 1) first_target_ = pass.plan.target_length;
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
  const bool soil = soil_tip(st, pass);
  if (pass.ICASE == 1 && soil && st.in.PrintTZCurves == 1) report::additional_tz_heading(out_);
  report::settlement_heading(out_);
  if (pass.ICASE == 1 && soil) plot::tz_records(out_, st.in.NLAYER);
  return 0;
}

void AnalysisOutput::pass_done(const CapacityState& st, const PassResult& pass,
                               const MostEfficient& best) {
  const ProjectInput& in = st.in;
  if (pass.g.DSTEM > in.DIALIM + 0.02 && best.any) report::most_efficient(out_, raw_, best);
  if (pass.plan.target_length >= first_target_ || in.IPENT > 0)
    plot::capacity_block(out_, st, pass, NC_);
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
}

}  // namespace korva
