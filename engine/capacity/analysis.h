// The controlling loop of the capacity analysis: estimation, then one pass per shaft
// length and stem diameter, with design control and the most efficient shaft.
#pragma once

#include <cstdint>

#include "passes.h"

namespace korva {

struct PassResult {
  PassPlan plan;
  int ICASE = 0;
  int NB = 1;  // capacity blocks of the plot data as counted for this pass
  PassGeometry g;
  DepthTables t;
  PassTable table;
  double target_length = 0;  // target length used by the pass
};

struct MostEfficient {
  bool any = false;
  double DSTEM = 0, BD = 0, LENGTH = 0, VOLUME = 0, QU = 0, QU_VOLUME = 0;
};

// Receives the stages of the analysis in order; the report, plot and load-settlement
// writers hook in here. Every function has a do-nothing default.
class CapacityListener {
 public:
  virtual ~CapacityListener() = default;
  // After the estimation pass, before the first pass.
  virtual void profile_ready(const CapacityState&, const EstimationNotes&) {}
  // A pass begins: its geometry is known, its depth loop follows.
  virtual void pass_start(const CapacityState&, const PassResult&) {}
  // The depth loop of the pass is done; its table rows follow.
  virtual void table_start(const CapacityState&, const PassResult&) {}
  // One row of the pass table, as it is computed.
  virtual void row(const CapacityState&, const PassResult&, const TableRow&) {}
  // The pass table is complete (up to the design length).
  virtual void table_done(const CapacityState&, const PassResult&) {}
  // Load-settlement of the pass; a status above 0 ends the analysis.
  virtual std::int32_t settlement(CapacityState&, PassResult&) { return 0; }
  // The pass is complete and the most efficient shaft is updated.
  virtual void pass_done(const CapacityState&, const PassResult&, const MostEfficient&) {}
  // After the last pass.
  virtual void run_done(const CapacityState&, const MostEfficient&, const PassResult* /*last*/) {}
};

// Runs the capacity analysis on a project read and converted to internal units. Returns
// the run status (0, or 7 when the design load is never reached, or a load-settlement
// status).
std::int32_t run_capacity(const ProjectInput& in, Streams& out, CapacityListener& listener);

}  // namespace korva
