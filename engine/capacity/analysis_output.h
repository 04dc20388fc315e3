// Writes what the capacity analysis produces: the report and its console echo, the plot
// data, and (through the load-settlement analysis) the load-transfer results.
#pragma once

#include "analysis.h"
#include "report.h"

namespace korva {

class AnalysisOutput : public CapacityListener {
 public:
  // `raw` is the project as read (the user's units), for the echo of input values.
  AnalysisOutput(Streams& out, const ProjectInput& raw) : out_(out), raw_(raw) {}

  void profile_ready(const CapacityState& st, const EstimationNotes& notes) override;
  void pass_start(const CapacityState& st, const PassResult& pass) override;
  void table_start(const CapacityState& st, const PassResult& pass) override;
  void row(const CapacityState& st, const PassResult& pass, const TableRow& row) override;
  void table_done(const CapacityState& st, const PassResult& pass) override;
  std::int32_t settlement(CapacityState& st, PassResult& pass) override;
  void pass_done(const CapacityState& st, const PassResult& pass, const MostEfficient& best) override;
  void run_done(const CapacityState& st, const MostEfficient& best, const PassResult* last) override;

 private:
  Streams& out_;
  const ProjectInput& raw_;
  double first_target_ = 0;
  int NC_ = 0;  // curve selector left by the last load-settlement computation
};

}  // namespace korva
