// Analysis passes of the capacity analysis: shaft geometry, the one-foot depth loop with
// side and base resistance, and the table of resistances per shaft length.
//
// Units (internal): ft, tons, lb/ft2 (tons/ft2 for unit resistances), cubic yards.
#pragma once

#include <cmath>
#include <vector>

#include "frame/project_input.h"
#include "frame/streams.h"
#include "profile.h"
#include "settlement/weak_rock.h"

namespace korva {

// State of the capacity analysis that lasts for the whole run.
struct CapacityState {
  ProjectInput in;           // internal units
  SoilProfile profile;       // estimated values; depths rounded by the first depth loop
  double target_length = 0;  // design depth; the geomaterial steps move it when METHOD = 1
  double FSB = 0;            // factor of safety on base resistance (1 in uplift)
  double FST = 0;            // factor of safety on side resistance
  WeakRockSums weak_rock;    // running sums of the weak-rock method, cleared per pass
};

// Prepares the run state: estimation pass done by the caller, factors of safety checked
// (a factor that is not positive is replaced by 1, with a message).
CapacityState make_capacity_state(const ProjectInput& in, SoilProfile profile, Streams& out);

struct PassGeometry {
  double DSTEM = 0;   // stem diameter
  double DRATIO = 1;  // DSTEM/DSTART, multiplier of rock socket diameters
  double BD = 0;      // base diameter
  double AB = 0;      // base area
  double TOE = 0;     // height of the cylindrical bell toe
  double HB = 0;      // end of stem to base
  double VU = 0;      // underream volume, cubic yards
  double AS1 = 0;     // area of one percent steel, in2
  double BEX = 0;     // length excluded at the bottom (rounded BS + HB)
  int NZONE = 0;      // averaging steps below the base
  bool belled = false;
};

// Geometry of a pass with stem diameter DSTEM. A belled shaft whose bell angle is not
// positive cannot be drawn; it is analysed as a straight shaft (`bad_bell` set).
PassGeometry pass_geometry(const ProjectInput& in, double DSTEM, bool* bad_bell = nullptr);

// What the load-settlement analysis needs of one layer in a pass.
struct LayerSteps {
  bool any = false;
  double FS_first = 0, FS_last = 0;    // unit side resistance at the first and last step, tons/ft2
  double QBA_first = 0, QBA_last = 0;  // QB/AB at the first and last step, tons/ft2
  double QS_last = 0;  // running side resistance at the layer's last step, tons
};

// One one-foot step of the depth loop as computed, for the calculation trace.
struct DepthStep {
  enum Coefficient { kNone, kBeta, kKo, kKChenKulhawy, kAlpha, kRock, kGeomaterial };
  double z = 0;          // depth, ft
  int layer = 0;         // index into the profile
  double SIGV = 0;       // effective vertical stress, lb/ft2
  Coefficient method = kNone;
  double COEF = 0;       // the side coefficient used (beta, Ko, K, alpha or the rock factor)
  bool COEF_estimated = false;
  double angle_deg = 0;  // friction angle (Ko and K methods) or interface angle, degrees
  double FS = 0;         // unit side resistance, tons/ft2
  double FS_limit = 0;   // limit of the unit side resistance, tons/ft2 (0: none)
  double QS = 0;         // cumulative side resistance, tons
  double QB = 0;         // base resistance of a base at z, tons
  double AB = 0;         // base area at z, ft2
};

// Results of the depth loop of one pass.
struct DepthTables {
  std::vector<DepthStep> steps;  // every step in order of depth
  // By step index (z + BEX, rounded): running side resistance and unit side resistance.
  std::vector<double> QS, QSL, FS, FS_psi, depth_in;
  // By depth (ft): base resistance of a base at that depth and the soil/rock flag.
  std::vector<double> QB;
  std::vector<int> ROCKSTEP;  // 0 rock of type 4 or 7, 1 otherwise
  int deepest_index = -1;     // step index of the deepest step
  int NZONE = 0;              // after the loop (rock steps change it)
  double AB = 0;              // after the loop (rock steps change it)
  std::vector<LayerSteps> layers;
  double QsW = 0;             // QS reached at the first weak-rock step
  bool weak_rock_met = false;
  double last_rock_qu = -1;   // min(rock, concrete strength) at the last rock step, lb/ft2
  std::vector<double> QBU;    // unit base resistance of granular layers, per layer
};

// The depth loop of one pass (rounds the layer depths first). Writes the per-step messages
// to the message file and the report as they arise.
DepthTables depth_loop(CapacityState& st, const PassGeometry& g, Streams& out);

// One row of the result table.
struct TableRow {
  double LENGTH = 0, VOLUME = 0, QS = 0, QB = 0, QU = 0, QBD = 0, QDN = 0, QU_VOLUME = 0;
  double LRFD_QS = 0, LRFD_QB = 0, LRFD_QU = 0;
};

// The row of a shaft of length L (whole feet).
TableRow table_row(const CapacityState& st, const PassGeometry& g, const DepthTables& t, int L);

// Index of the layer that contains depth z: the first whose bottom lies below z, else the last.
int layer_at(const SoilProfile& p, double z);

// The result table of a pass, up to its design length.
struct PassTable {
  int Lfirst = 0;
  int Llast = -1;
  std::vector<TableRow> rows;  // Lfirst .. design length (or Llast)
  bool design_reached = false; // METHOD 1: a row carried the design load; METHOD 2: target reached
  int tip_layer = -1;          // layer containing the design length
};

// Builds the rows and applies the design control. `console_row` is called for every row
// as it is computed.
template <class RowSink>
PassTable build_table(const CapacityState& st, const PassGeometry& g, const DepthTables& t,
                      RowSink&& console_row);

// Position of a pass in the loops over lengths and diameters.
struct PassPlan {
  double target_length;
  double DSTEM;
  int IVLEN, IVDIA;
};

// The sequence of passes of a run: lengths (outer) and diameters (inner), with the
// length and diameter limits of analysis_limits.h. `first_target` is the target length of the first pass.
std::vector<PassPlan> plan_passes(const ProjectInput& in, double first_target);

// Number of capacity blocks NB that the header of pass `index` of `plan` carries: with a
// length variation (IPENT) the blocks from this pass to the end, otherwise the blocks of
// the first target length. Counted from the plan itself, so that NB always matches the
// blocks written (the range/step quotient can fall short by one through rounding or the
// loops' 0.02 ft tolerance).
int blocks_for_pass(const ProjectInput& in, const std::vector<PassPlan>& plan, std::size_t index);

// ---- template implementation ----

template <class RowSink>
PassTable build_table(const CapacityState& st, const PassGeometry& g, const DepthTables& t,
                      RowSink&& console_row) {
  PassTable tab;
  tab.Lfirst = static_cast<int>(std::lround(std::trunc(st.in.BS) + g.HB + st.in.TOPLEN)) + 1;
  tab.Llast = t.deepest_index - static_cast<int>(g.BEX) - t.NZONE - 1;
  for (int L = tab.Lfirst; L <= tab.Llast; ++L) {
    const TableRow row = table_row(st, g, t, L);
    tab.rows.push_back(row);
    console_row(row);
    if (st.in.METHOD == 1 ? row.QDN > st.in.P_DGH : !(L < st.target_length)) {
      tab.design_reached = true;
      break;
    }
  }
  if (!tab.rows.empty()) tab.tip_layer = layer_at(st.profile, tab.rows.back().LENGTH);
  return tab;
}

}  // namespace korva
