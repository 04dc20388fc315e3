#include "analysis.h"

#include "frame/message_texts.h"
#include "frame/run_status.h"

namespace korva {

std::int32_t run_capacity(const ProjectInput& in, Streams& out, CapacityListener& listener) {
  EstimationNotes notes;
  SoilProfile profile = estimate_profile(in, notes);
  for (const std::string& n : notes.report) out.put(kReport, n);
  if (!(in.DSTART > 0)) {
    out.put(kMessages, std::string("\n     ") + msg::kWarningBanner + "\n     " +
                           msg::kZeroMinimumDiameter + "\n");
  }
  CapacityState st = make_capacity_state(in, std::move(profile), out);
  listener.profile_ready(st, notes);

  MostEfficient best;
  PassResult last;
  bool any_pass = false;
  int ICASE = 0;
  bool bad_bell_noted = false;
  const std::vector<PassPlan> plans = plan_passes(in, st.target_length);
  for (std::size_t index = 0; index < plans.size(); ++index) {
    const PassPlan& plan = plans[index];
    PassResult pass;
    pass.plan = plan;
    pass.ICASE = ++ICASE;
    // With a design load the target length only serves the geomaterial methods and keeps
    // the value they left; a length variation runs its lengths by design depth alone.
    if (in.METHOD == 2) st.target_length = plan.target_length;
    pass.target_length = st.target_length;
    pass.NB = blocks_for_pass(in, plans, index);
    bool bad_bell = false;
    pass.g = pass_geometry(in, plan.DSTEM, &bad_bell);
    if (bad_bell && !bad_bell_noted) {
      bad_bell_noted = true;
      out.put(kMessages, std::string("\n     ") + msg::kWarningBanner + "\n     " +
                             msg::kBellWithoutAngle + "\n");
    }
    listener.pass_start(st, pass);

    pass.t = depth_loop(st, pass.g, out);
    listener.table_start(st, pass);
    pass.table = build_table(st, pass.g, pass.t,
                             [&](const TableRow& r) { listener.row(st, pass, r); });
    if (pass.table.Llast < 0) {
      out.put(kMessages, std::string("\n       ") + msg::kIncreaseSoilDepth);
    }
    listener.table_done(st, pass);

    if (in.METHOD == 1 && !pass.table.design_reached) {
      const std::string line = std::string("\n   *********** ") + msg::kNeedAnotherLayer + " ************";
      out.put(kConsole, line);
      out.put(kMessages, line);
      out.put(kReport, line);
      return kStatusNeedLayer;
    }

    if (!pass.table.rows.empty()) {
      const std::int32_t status = listener.settlement(st, pass);
      if (status > 0) return status;
    }
    st.weak_rock = {};

    if (!pass.table.rows.empty()) {
      const TableRow& r = pass.table.rows.back();
      if (!best.any || r.QU_VOLUME > best.QU_VOLUME) {
        best = {true, pass.g.DSTEM, pass.g.BD, r.LENGTH, r.VOLUME, r.QU, r.QU_VOLUME};
      }
    }
    listener.pass_done(st, pass, best);
    last = std::move(pass);
    any_pass = true;
  }
  listener.run_done(st, best, any_pass ? &last : nullptr);
  return kStatusOk;
}

}  // namespace korva
