// The capacity records of the plot data file (stream 2) and the small records the
// capacity analysis writes into the t-z streams.
#pragma once

#include <vector>

#include "analysis.h"
#include "frame/streams.h"
#include "report.h"

namespace korva::plot {

// One capacity block: header (NB, NP, NC), the two literal first points, and one
// seven-value point per table row, in the user's units. The load-settlement rows follow
// separately.
void capacity_block(Streams& out, const CapacityState& st, const PassResult& pass, int NC);

// First pass with a soil tip: the Q-w heading (stream 7), the t-z heading (stream 9) and
// the number of t-z curves, five per layer (stream 19).
void tz_records(Streams& out, int NLAYER);

// Design-chart block (section B): NS, ND, NL, then per settlement its value, per diameter
// its value and per length the length and the head load. English projects carry inches
// and pounds; SI projects metres and kilonewtons (settlements as entered).
void design_chart_block(Streams& out, bool si, const report::DesignCharts& charts);

}  // namespace korva::plot
