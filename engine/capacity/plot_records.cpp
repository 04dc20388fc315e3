#include "plot_records.h"

namespace korva::plot {

void capacity_block(Streams& out, const CapacityState& st, const PassResult& pass, int NC) {
  const ProjectInput& in = st.in;
  const report::Units U{in.si()};
  const std::vector<TableRow>& rows = pass.table.rows;
  out.list(kPlot, {pass.NB, static_cast<int>(rows.size()) + 2, NC});
  out.put(kPlot, "   0.0  0.0  0.0  0.0  0.0 0.0  0.0  ");
  const double first = rows.empty() ? 0.0 : U.length(rows.front().LENGTH);
  std::string second(" ");
  second += fmt::E(10, 3, first);
  second += "   0.0   0.0  0.0 0.0  0.0  0.0 ";
  out.put(kPlot, second);
  const bool lrfd = in.NLRFD == 1;
  for (const TableRow& r : rows) {
    const double v5 = lrfd ? r.LRFD_QS : r.QS / st.FST;
    const double v6 = lrfd ? r.LRFD_QB : r.QB / st.FSB;
    const double v7 = lrfd ? v5 + v6 : r.QDN;
    out.write(kPlot, "(5(1X,E10.3))",
              {U.length(r.LENGTH), U.load(r.QS), U.load(r.QB), U.load(r.QU), U.load(v5),
               U.load(v6), U.load(v7)});
  }
}

void tz_records(Streams& out, int NLAYER) {
  out.write(kTzScratch, "(/,/,8X,'QW CURVE DATA',/,8X,13('-'))");
  out.write(kTzFile, "(/,/,8X,'TZ CURVE DATA',/,8X,13('-'),/,/)");
  out.list(kPlotScratch1, {5 * NLAYER});
}

void design_chart_block(Streams& out, bool si, const report::DesignCharts& c) {
  const double length_factor = si ? 0.0254 : 1.0;      // in -> m
  const double load_factor = si ? 4.448 / 1000 : 1.0;  // lb -> kN
  out.list(kPlot, {static_cast<int>(c.settlements.size()), static_cast<int>(c.diameters_in.size()),
                   static_cast<int>(c.lengths_in.size())});
  for (std::size_t i = 0; i < c.settlements.size(); ++i) {
    out.list(kPlot, {c.settlements[i]});
    for (std::size_t j = 0; j < c.diameters_in.size(); ++j) {
      out.list(kPlot, {c.diameters_in[j] * length_factor});
      for (std::size_t k = 0; k < c.lengths_in.size(); ++k)
        out.list(kPlot, {c.lengths_in[k] * length_factor, c.Q[i][j][k] * load_factor});
    }
  }
}

}  // namespace korva::plot
