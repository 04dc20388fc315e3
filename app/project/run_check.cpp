#include "run_check.h"

#include <algorithm>

#include "frame/analysis_limits.h"
#include "project_tables.h"

namespace korva::project {

std::string AnalysisLimitProblem(const Project& project) {
  const TProgramData& m = project.data;
  const ProjectTables& t = project.tables;
  const bool si = m.fUnits == 2;
  // The engine works in ft; SI lengths are converted with its factor.
  const double ft = si ? limits::kFtPerMetre : 1.0;

  limits::Extent e;
  e.METHOD = m.PD > 0 ? 2 : 1;
  const int IPENT = e.METHOD == 2 ? m.IPENT : 0;
  const int IChart = e.METHOD == 2 ? m.IChart : 0;
  e.layers = t.D.RowCount();
  for (int r = 0; r < t.D.RowCount(); ++r)
    e.profile_bottom_ft = std::max(e.profile_bottom_ft, t.D.GetFloatValue(kColDepthBottom, r) * ft);
  e.settlements = IChart > 0 ? m.NPOINTPD : 0;
  e.tz_depths = m.PrintTZCurves == 1 ? t.TblTZDepth.RowCount() : 0;
  e.vary_length = IPENT > 0 || IChart > 0;
  e.charts = IChart > 0;

  const double design = e.METHOD == 1 ? m.LPD : m.PD;
  double PDMIN = m.PDMIN, PDINCR = m.PDINCR, DIAMINCR = m.DIAMINCR;
  if (e.vary_length)
    limits::ApplyVariationDefaults(e.charts, si, design, 6 * m.DSTART + m.TOPLENG + m.BS, PDMIN, PDINCR,
                                   &DIAMINCR);
  const double DIALIM = IPENT == 1 ? m.DSTART : m.DIALIM;
  e.first_length_ft = e.METHOD == 2 ? m.PD * ft : 0.0;
  e.min_length_ft = PDMIN * ft;
  e.length_step_ft = PDINCR * ft;
  e.d_start_ft = m.DSTART * ft;
  e.d_end_ft = std::max(m.DSTART, DIALIM) * ft;
  e.chart_d_step_ft = DIAMINCR * ft;
  e.print_step_ft = m.PINC * ft;
  e.top_length_ft = m.TOPLENG * ft;
  e.bottom_length_ft = m.BS * ft;
  // The engine reads a ratio of 1 as a straight shaft.
  e.bell_ratio = m.RATIO == 1 ? 0 : m.RATIO;
  e.bell_angle_deg = m.BELANGL;
  return limits::FirstProblem(e);
}

}  // namespace korva::project
