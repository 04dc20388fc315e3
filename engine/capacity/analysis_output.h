// Writes what the analysis produces: the report and its console echo, the plot data, and
// the load-settlement curves of each pass (t-z analysis for a soil tip, a socket method
// for a rock or geomaterial tip).
#pragma once

#include <string>

#include "analysis.h"
#include "report.h"
#include "settlement/load_settlement.h"

namespace korva {

class AnalysisOutput : public CapacityListener {
 public:
  // `raw` is the project as read (the user's units), for the echo of input values.
  // `tzdata` and `tzdiam` are the paths of "TZDATA.DAT" and "TZDIAM.DAT".
  AnalysisOutput(Streams& out, const ProjectInput& raw, std::string tzdata = "TZDATA.DAT",
                 std::string tzdiam = "TZDIAM.DAT");

  void profile_ready(const CapacityState& st, const EstimationNotes& notes) override;
  void pass_start(const CapacityState& st, const PassResult& pass) override;
  void table_start(const CapacityState& st, const PassResult& pass) override;
  void row(const CapacityState& st, const PassResult& pass, const TableRow& row) override;
  void table_done(const CapacityState& st, const PassResult& pass) override;
  std::int32_t settlement(CapacityState& st, PassResult& pass) override;
  void pass_done(const CapacityState& st, const PassResult& pass, const MostEfficient& best) override;
  void run_done(const CapacityState& st, const MostEfficient& best, const PassResult* last) override;

  // Ends the run's output whatever its status: writes the trace of the last t-z call.
  void finish();

  const SettlementRun& settlement_run() const { return ls_; }
  // Whether the latest pass got a load-settlement curve (the curves in settlement_run()
  // are the pass's own).
  bool pass_has_curve() const { return pass_has_curve_; }

 private:
  Streams& out_;
  const ProjectInput& raw_;
  std::string tzdata_;
  double first_target_ = 0;
  SettlementRun ls_;
  bool pass_single_curve_ = false;  // the pass's curve came from a socket method
  bool pass_has_curve_ = false;
  int first_block_nc_ = -1;         // NC of the first capacity block, carried by every block
  bool tz_part_started_ = false;  // the first case wrote the t-z counts without curves
  std::vector<double> chart_diameters_in_, chart_lengths_in_;  // by diameter / length index
};

}  // namespace korva
