#include "json_results.h"

#include "frame/json_writer.h"
#include "report.h"
#include "resistance.h"

namespace korva {

namespace {

constexpr double kPsfPerKpa = 20.885;   // kN/m2 to lb/ft2
constexpr double kPcfPerKnm3 = 6.3659;  // kN/m3 to lb/ft3

const char* type_name(int k) {
  switch (k) {
    case kSand: return "sand";
    case kClay: return "clay";
    case kClayShale: return "clay-shale";
    case kStrongRockSideOrBase: return "strong rock (side or base)";
    case kDecomposedRock: return "decomposed rock or gravel";
    case kWeakRock: return "weak rock";
    case kStrongRock: return "strong rock";
    case kGravellySand: return "gravelly sand";
    case kGravel: return "gravel";
    default: return "unknown";
  }
}

bool is_soil(int k) {
  return k == kSand || k == kClay || k == kClayShale || k == kGravellySand || k == kGravel;
}

const char* coefficient_name(DepthStep::Coefficient c) {
  switch (c) {
    case DepthStep::kBeta: return "beta";
    case DepthStep::kKo: return "ko";
    case DepthStep::kKChenKulhawy: return "k_chen_kulhawy";
    case DepthStep::kAlpha: return "alpha";
    case DepthStep::kRock: return "rock";
    case DepthStep::kGeomaterial: return "geomaterial";
    default: return "none";
  }
}

// Conversions from internal units to the units the project is written in.
struct Conv {
  report::Units U;
  bool si() const { return U.si; }
  double length(double ft) const { return U.length(ft); }
  double load(double tons) const { return U.load(tons); }
  double volume(double yd3) const { return U.volume(yd3); }
  double stress(double psf) const { return si() ? psf / kPsfPerKpa : psf; }
  double stress_tsf(double tsf) const { return stress(tsf * 2000); }
  double unit_weight(double pcf) const { return si() ? pcf / kPcfPerKnm3 : pcf; }
  // Moduli are held in tons/ft2.
  double modulus(double tsf) const { return tsf / (si() ? 20.885 / 2000.0 : 144.0 / 2000.0); }
  double load_per_volume(double t_yd3) const { return U.load_per_volume(t_yd3); }
  double inches(double in) const { return si() ? in * 0.0254 : in / 12; }     // to ft or m
  double chart_load(double lb) const { return si() ? lb * 0.004448 : lb / 2000; }
};

enum Kind { kLen, kStress, kWeight, kModulus, kPlain };

double convert(const Conv& c, Kind k, double v) {
  switch (k) {
    case kLen: return c.length(v);
    case kStress: return c.stress(v);
    case kWeight: return c.unit_weight(v);
    case kModulus: return c.modulus(v);
    default: return v;
  }
}

void row_object(JsonWriter& j, const Conv& c, const TableRow& r) {
  j.begin_object();
  j.member("length", c.length(r.LENGTH));
  j.member("volume", c.volume(r.VOLUME));
  j.member("qs", c.load(r.QS));
  j.member("qb", c.load(r.QB));
  j.member("qu", c.load(r.QU));
  j.member("qs_plus_qb_over_fsb", c.load(r.QBD));
  j.member("allowable", c.load(r.QDN));
  j.member("qu_per_volume", c.load_per_volume(r.QU_VOLUME));
  j.member("factored_qs", c.load(r.LRFD_QS));
  j.member("factored_qb", c.load(r.LRFD_QB));
  j.member("factored_qu", c.load(r.LRFD_QU));
  j.end_object();
}

const char* const kLines[] = {"trend", "upper", "lower"};

// Side curves by curve line: depth, soil type, ultimate unit side resistance and the points.
void tz_curves(JsonWriter& j, bool si, const std::array<std::vector<TzCurve>, 3>& by_line) {
  const double depth = si ? 0.0254 : 1.0 / 12, transfer = si ? 6.895 : 1.0, move = si ? 0.0254 : 1.0;
  j.begin_array();
  for (std::size_t k = 0; k < 3; ++k) {
    if (by_line[k].empty()) continue;
    j.begin_object();
    j.member("line", kLines[k]);
    j.key("curves").begin_array();
    for (const TzCurve& c : by_line[k]) {
      j.begin_object();
      j.member("depth", c.depth * depth);
      j.member("soil_type", c.soil);
      j.member("max_load_transfer", c.FMAX * transfer);
      j.key("movement").begin_array();
      for (double z : c.Z) j.value(z * move);
      j.end_array();
      j.key("load_transfer").begin_array();
      for (double t : c.T) j.value(t * transfer);
      j.end_array();
      j.end_object();
    }
    j.end_array();
    j.end_object();
  }
  j.end_array();
}

void curve_rows(JsonWriter& j, const CurveRows& rows) {
  j.begin_array();
  for (const auto& r : rows) {
    j.begin_object();
    j.member("head_load", r[0]);
    j.member("head_movement", r[1]);
    j.member("tip_load", r[2]);
    j.member("tip_movement", r[3]);
    j.end_object();
  }
  j.end_array();
}

}  // namespace

JsonResults::JsonResults(const ProjectInput& raw, const AnalysisOutput& report)
    : raw_(raw), report_(report), si_(raw.si()) {}

void JsonResults::profile_ready(const CapacityState& st, const EstimationNotes&) {
  const Conv c{{si_}};
  const ProjectInput& in = st.in;
  toplen_ = in.TOPLEN;
  method_ = in.METHOD;
  JsonWriter j;
  j.begin_object();
  std::string title = raw_.TITLE;
  while (!title.empty() && title.back() == ' ') title.pop_back();
  j.member("title", title);
  j.member("unit_system", si_ ? "si" : "english");
  j.member("method", in.METHOD == 1 ? "design_load" : "design_depth");
  if (in.METHOD == 1) j.member("design_load", c.load(in.P_DGH));
  else j.member("design_depth", c.length(in.TARGET_LENGTH));
  j.member("loading", in.KCYCL == 2 ? "uplift" : "compression");
  j.member("uplift_reduction", in.RCYCL);
  j.member("design", in.NLRFD == 1 ? "lrfd" : "asd");
  j.member("factor_of_safety_side", st.FST);
  j.member("factor_of_safety_base", st.FSB);
  j.member("print_increment", c.length(in.PINC));
  j.key("shaft").begin_object();
  j.member("diameter_min", c.length(in.DSTART));
  j.member("diameter_max", c.length(in.DIAEND));
  j.member("base_to_stem_ratio", in.RATIO);
  j.member("bell_angle", in.BELANG);
  j.member("exclusion_top", c.length(in.TOPLEN));
  j.member("exclusion_bottom", c.length(in.BS));
  j.member("concrete_modulus", c.modulus(in.Ec));
  j.end_object();
  j.member("water_table_depth", c.length(st.profile.WTD));
  j.member("estimated_values", st.profile.ANYEST);
  j.key("layers").begin_array();
  struct Param {
    const char* key;
    TopBottom LayerInput::*value;
    Kind kind;
    const std::array<bool, 2> EstimationMarks::*mark;
  };
  static const Param params[] = {
      {"unit_weight", &LayerInput::GAMMA, kWeight, nullptr},
      {"friction_angle", &LayerInput::PHI, kPlain, &EstimationMarks::PHI},
      {"undrained_shear_strength", &LayerInput::CU, kStress, nullptr},
      {"interface_angle", &LayerInput::DELTA, kPlain, &EstimationMarks::DELTA},
      {"blow_count", &LayerInput::BLOWS, kPlain, nullptr},
      {"side_resistance_limit", &LayerInput::TRANLM, kStress, nullptr},
      {"base_resistance_limit", &LayerInput::QMAX, kStress, nullptr},
      {"side_coefficient", &LayerInput::COEF, kPlain, &EstimationMarks::COEF},
      {"bearing_capacity_factor", &LayerInput::NC, kPlain, &EstimationMarks::NC},
      {"rock_strength", &LayerInput::QUR, kStress, nullptr},
      {"concrete_strength", &LayerInput::QUCON, kStress, nullptr},
      {"discontinuity_spacing", &LayerInput::CS, kLen, nullptr},
      {"discontinuity_thickness", &LayerInput::DISCT, kLen, nullptr},
      {"socket_diameter", &LayerInput::BDS, kLen, nullptr},
      {"rock_modulus", &LayerInput::EL, kModulus, nullptr},
      {"rqd", &LayerInput::RQD, kPlain, nullptr},
      {"poissons_ratio", &LayerInput::NU, kPlain, nullptr},
      {"interface_condition", &LayerInput::ICOND, kPlain, nullptr},
      {"concrete_slump", &LayerInput::SLUMP, kPlain, nullptr},
      {"weak_rock_interface_angle", &LayerInput::WRDELTA, kPlain, nullptr},
  };
  int n = 0;
  for (const ProfileLayer& L : st.profile.layers) {
    j.begin_object();
    j.member("number", ++n);
    j.member("type_code", L.v.SOIL);
    j.member("type", type_name(L.KSOIL));
    j.member("top", c.length(L.XTOP));
    j.member("bottom", c.length(L.XBOT));
    if (L.KSOIL == kSand) j.member("side_procedure", static_cast<int>(L.v.ISIDE));
    j.member("side_coefficient_by_depth", L.COEFEST);
    j.member("resistance_factor_side", L.v.PHIS);
    j.member("resistance_factor_base", L.v.PHIT);
    j.key("parameters").begin_object();
    for (const Param& p : params) {
      const TopBottom& v = L.v.*(p.value);
      j.key(p.key).begin_object();
      j.member("top", convert(c, p.kind, v[0]));
      j.member("bottom", convert(c, p.kind, v[1]));
      j.member("top_estimated", p.mark ? (L.marks.*(p.mark))[0] : false);
      j.member("bottom_estimated", p.mark ? (L.marks.*(p.mark))[1] : false);
      j.end_object();
    }
    j.end_object();
    j.end_object();
  }
  j.end_array();
  j.end_object();
  project_ = j.str();
}

void JsonResults::table_done(const CapacityState& st, const PassResult& pass) {
  StoredPass s;
  s.pass = pass;
  s.print_rows = report::print_rows(st, pass);
  passes_.push_back(std::move(s));
}

std::int32_t JsonResults::settlement(CapacityState& st, PassResult& pass) {
  if (passes_.empty()) return 0;
  StoredPass& s = passes_.back();
  const int tip = st.profile.layers[static_cast<std::size_t>(pass.table.tip_layer)].KSOIL;
  s.settled = report_.pass_has_curve();
  if (!s.settled) return 0;
  const SettlementRun& ls = report_.settlement_run();
  s.socket = !is_soil(tip);
  s.socket_type = tip;
  s.curves = ls.curves;
  s.socket_qsw = pass.t.QsW;
  s.weak_rock_calls = st.weak_rock.count;
  s.weak_rock_sum_el = st.weak_rock.sum_el;
  if (!s.socket) {
    s.side_curves = ls.side_curves;
    s.base_curves = ls.base_curves;
    if (pass.ICASE == 1 && st.in.PrintTZCurves == 1) s.additional_tz = ls.additional_tz;
  }
  return 0;
}

void JsonResults::pass_done(const CapacityState&, const PassResult&, const MostEfficient&) {
  if (!passes_.empty()) passes_.back().done = true;
}

void JsonResults::run_done(const CapacityState& st, const MostEfficient& best, const PassResult*) {
  const Conv c{{si_}};
  if (best.any) {
    JsonWriter j;
    j.begin_object();
    j.member("stem_diameter", c.length(best.DSTEM));
    j.member("base_diameter", c.length(best.BD));
    j.member("length", c.length(best.LENGTH));
    j.member("volume", c.volume(best.VOLUME));
    j.member("qu", c.load(best.QU));
    j.member("qu_per_volume", c.load_per_volume(best.QU_VOLUME));
    j.end_object();
    best_ = j.str();
  }
  if (st.in.IChart > 0) {
    // Diameters and lengths by their index in the loops, as the passes analysed them.
    std::vector<double> d_in, l_in;
    for (const StoredPass& s : passes_) {
      if (!s.done || s.pass.table.rows.empty()) continue;
      const std::size_t jd = static_cast<std::size_t>(s.pass.plan.IVDIA - 1);
      const std::size_t kl = static_cast<std::size_t>(s.pass.plan.IVLEN - 1);
      if (d_in.size() <= jd) d_in.resize(jd + 1, 0.0);
      if (l_in.size() <= kl) l_in.resize(kl + 1, 0.0);
      d_in[jd] = s.pass.g.DSTEM * 12;
      l_in[kl] = s.pass.table.rows.back().LENGTH * 12;
    }
    const ChartData& q = report_.settlement_run().charts;
    JsonWriter j;
    j.begin_object();
    j.key("settlements").array(raw_.PDSETT);
    j.key("diameters").begin_array();
    for (double d : d_in) j.value(c.inches(d));
    j.end_array();
    j.key("lengths").begin_array();
    for (double l : l_in) j.value(c.inches(l));
    j.end_array();
    // loads[settlement][diameter][length]
    j.key("loads").begin_array();
    for (std::size_t m = 0; m < raw_.PDSETT.size(); ++m) {
      j.begin_array();
      for (std::size_t jd = 0; jd < d_in.size(); ++jd) {
        j.begin_array();
        for (std::size_t kl = 0; kl < l_in.size(); ++kl) {
          const bool have = m < q.Q.size() && jd < q.Q[m].size() && kl < q.Q[m][jd].size();
          j.value(c.chart_load(have ? q.Q[m][jd][kl] : 0.0));
        }
        j.end_array();
      }
      j.end_array();
    }
    j.end_array();
    j.end_object();
    charts_ = j.str();
  }
}

std::string JsonResults::members() const {
  const Conv c{{si_}};
  JsonWriter j;
  j.begin_object();
  j.key("units").begin_object();
  j.member("length", si_ ? "m" : "ft");
  j.member("volume", si_ ? "m3" : "yd3");
  j.member("load", si_ ? "kN" : "tons");
  j.member("load_per_volume", si_ ? "kN/m3" : "tons/yd3");
  j.member("stress", si_ ? "kN/m2" : "lb/ft2");
  j.member("unit_weight", si_ ? "kN/m3" : "lb/ft3");
  j.member("modulus", si_ ? "kN/m2" : "lb/in2");
  j.member("angle", "degrees");
  j.member("settlement_load", si_ ? "kN" : "tons");
  j.member("movement", si_ ? "m" : "in");
  j.member("load_transfer", si_ ? "kN/m2" : "lb/in2");
  j.end_object();
  j.key("project");
  if (project_.empty()) j.null();
  else j.raw(std::string_view(project_).substr(0, project_.size() - 1));

  j.key("passes").begin_array();
  for (const StoredPass& s : passes_) {
    const PassResult& p = s.pass;
    j.begin_object();
    j.member("case", p.ICASE);
    j.member("length_index", p.plan.IVLEN);
    j.member("diameter_index", p.plan.IVDIA);
    j.member("stem_diameter", c.length(p.g.DSTEM));
    j.member("base_diameter", c.length(p.g.BD));
    j.member("belled", p.g.belled);
    j.member("bell_height", c.length(p.g.HB));
    j.member("exclusion_top", c.length(toplen_));
    j.member("exclusion_bottom", c.length(p.g.BEX));
    j.member("target_length", c.length(p.target_length));
    const bool any = !p.table.rows.empty();
    if (any) j.member("design_length", c.length(p.table.rows.back().LENGTH));
    else j.key("design_length").null();
    j.member("design_reached", p.table.design_reached);
    if (any) j.member("tip_layer", p.table.tip_layer + 1);
    else j.key("tip_layer").null();
    // A pass that did not end stopped in its load-settlement analysis, or (design load not
    // carried) for want of another layer.
    const bool need_layer = method_ == 1 && !p.table.design_reached;
    j.member("status", s.done ? "complete" : need_layer ? "need_another_layer" : "settlement_stopped");
    j.key("rows").begin_array();
    for (const TableRow& r : p.table.rows) row_object(j, c, r);
    j.end_array();
    j.key("report_rows").begin_array();
    for (const TableRow& r : s.print_rows) row_object(j, c, r);
    j.end_array();

    j.key("load_settlement");
    if (!s.settled || !s.done) {
      j.null();
    } else if (s.socket) {
      j.begin_object();
      const char* method = s.socket_type == kDecomposedRock ? "decomposed_rock"
                           : s.socket_type == kWeakRock     ? "weak_rock"
                                                            : "rock";
      j.member("method", method);
      // What the socket method starts from: the side and base resistance at the design
      // length and, for weak rock, the side resistance above the rock and the mean intact
      // modulus of the rock over the depth steps of the method.
      const TableRow& last = p.table.rows.back();
      j.key("socket_values").begin_object();
      j.member("socket_length", c.length(last.LENGTH));
      j.member("side_resistance", c.load(last.QS));
      j.member("base_resistance", c.load(last.QB));
      if (s.socket_type == kWeakRock) {
        j.member("side_resistance_above_weak_rock", c.load(s.socket_qsw));
        j.member("weak_rock_steps", s.weak_rock_calls);
        if (s.weak_rock_calls > 0)
          j.member("weak_rock_mean_modulus", c.modulus(s.weak_rock_sum_el / s.weak_rock_calls));
        else j.key("weak_rock_mean_modulus").null();
      }
      j.end_object();
      j.key("curves").begin_array();
      j.begin_object();
      j.member("line", "socket");
      j.key("rows");
      curve_rows(j, s.curves[0]);
      j.end_object();
      j.end_array();
      j.end_object();
    } else {
      j.begin_object();
      j.member("method", "t_z");
      j.key("curves").begin_array();
      for (int k = 0; k < 3; ++k) {
        j.begin_object();
        j.member("line", kLines[k]);
        j.key("rows");
        curve_rows(j, s.curves[static_cast<std::size_t>(k)]);
        j.end_object();
      }
      j.end_array();
      j.key("t_z_curves");
      tz_curves(j, si_, s.side_curves);
      j.key("q_w_curves").begin_array();
      for (std::size_t k = 0; k < 3; ++k) {
        j.begin_object();
        j.member("line", kLines[k]);
        j.key("movement").begin_array();
        for (double w : s.base_curves[k].W) j.value(si_ ? w * 0.0254 : w);
        j.end_array();
        j.key("load").begin_array();
        for (double q : s.base_curves[k].Q) j.value(si_ ? q * 0.004448 : q / 2000);
        j.end_array();
        j.end_object();
      }
      j.end_array();
      j.end_object();
    }
    j.key("additional_t_z_curves");
    tz_curves(j, si_, s.additional_tz);

    j.key("trace").begin_array();
    for (const DepthStep& d : p.t.steps) {
      j.begin_object();
      j.member("depth", c.length(d.z));
      j.member("layer", d.layer + 1);
      j.member("effective_stress", c.stress(d.SIGV));
      j.member("side_method", coefficient_name(d.method));
      if (d.method == DepthStep::kNone || d.method == DepthStep::kGeomaterial)
        j.key("side_coefficient").null();
      else j.member("side_coefficient", d.COEF);
      j.member("side_coefficient_estimated", d.COEF_estimated);
      j.member("angle", d.angle_deg);
      j.member("unit_side_resistance", c.stress_tsf(d.FS));
      // A limit of 1e10 lb/ft2 or more stands for none.
      if (d.FS_limit > 0 && d.FS_limit * 2000 < 1e9) j.member("unit_side_resistance_limit", c.stress_tsf(d.FS_limit));
      else j.key("unit_side_resistance_limit").null();
      j.member("side_resistance", c.load(d.QS));
      j.member("base_resistance", c.load(d.QB));
      j.member("unit_base_resistance", d.AB > 0 ? c.stress_tsf(d.QB / d.AB) : 0.0);
      const int L = static_cast<int>(d.z + 0.5);
      j.member("averaged_base_resistance",
               c.load(average_base(p.t.QB, p.t.ROCKSTEP, L, p.t.NZONE, p.g.DSTEM)));
      j.end_object();
    }
    j.end_array();
    j.end_object();
  }
  j.end_array();
  j.key("design_charts").raw(charts_ == "null" ? charts_ : charts_.substr(0, charts_.size() - 1));
  j.key("most_efficient_shaft").raw(best_ == "null" ? best_ : best_.substr(0, best_.size() - 1));
  j.end_object();
  std::string s = j.str();
  // Without the enclosing braces and their line ends.
  return s.substr(2, s.size() - 5);
}

}  // namespace korva
