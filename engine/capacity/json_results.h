// The results of the capacity analysis as JSON: the project as analysed, every pass with its
// table, load-settlement curves and calculation trace, the design charts and the most
// efficient shaft. The writer listens beside the report writer (AnalysisOutput) and reads the
// load-settlement results that the report writer's run leaves, so nothing is computed twice.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "analysis.h"
#include "analysis_output.h"

namespace korva {

// Forwards every stage to several listeners in order. The load-settlement stage stops at the
// first listener that returns a status above 0.
class ListenerFanOut : public CapacityListener {
 public:
  explicit ListenerFanOut(std::vector<CapacityListener*> to) : to_(std::move(to)) {}
  void profile_ready(const CapacityState& st, const EstimationNotes& n) override {
    for (auto* l : to_) l->profile_ready(st, n);
  }
  void pass_start(const CapacityState& st, const PassResult& p) override {
    for (auto* l : to_) l->pass_start(st, p);
  }
  void table_start(const CapacityState& st, const PassResult& p) override {
    for (auto* l : to_) l->table_start(st, p);
  }
  void row(const CapacityState& st, const PassResult& p, const TableRow& r) override {
    for (auto* l : to_) l->row(st, p, r);
  }
  void table_done(const CapacityState& st, const PassResult& p) override {
    for (auto* l : to_) l->table_done(st, p);
  }
  std::int32_t settlement(CapacityState& st, PassResult& p) override {
    for (auto* l : to_)
      if (const std::int32_t s = l->settlement(st, p); s > 0) return s;
    return 0;
  }
  void pass_done(const CapacityState& st, const PassResult& p, const MostEfficient& b) override {
    for (auto* l : to_) l->pass_done(st, p, b);
  }
  void run_done(const CapacityState& st, const MostEfficient& b, const PassResult* last) override {
    for (auto* l : to_) l->run_done(st, b, last);
  }

 private:
  std::vector<CapacityListener*> to_;
};

class JsonResults : public CapacityListener {
 public:
  // `raw` is the project as read; `report` is the report writer whose load-settlement
  // results are read (it must come before this listener in the fan-out).
  JsonResults(const ProjectInput& raw, const AnalysisOutput& report);

  void profile_ready(const CapacityState& st, const EstimationNotes& notes) override;
  void table_done(const CapacityState& st, const PassResult& pass) override;
  std::int32_t settlement(CapacityState& st, PassResult& pass) override;
  void pass_done(const CapacityState& st, const PassResult& pass, const MostEfficient& best) override;
  void run_done(const CapacityState& st, const MostEfficient& best, const PassResult* last) override;

  // The members "units", "project", "passes", "design_charts" and "most_efficient_shaft"
  // as JSON text (without the enclosing braces), written as far as the analysis went.
  std::string members() const;

 private:
  struct StoredPass {
    PassResult pass;
    std::vector<TableRow> print_rows;
    bool settled = false;    // the load-settlement stage ran for the pass
    bool done = false;       // the pass ran to its end
    bool socket = false;     // the curve came from a socket method
    int socket_type = 0;
    std::array<CurveRows, 3> curves{};
    double socket_qsw = 0;                 // side resistance above the weak rock
    double weak_rock_calls = 0, weak_rock_sum_el = 0;  // the weak-rock method's sums
    std::array<std::vector<TzCurve>, 3> side_curves;  // t-z analysis only
    std::array<QwCurve, 3> base_curves{};
    std::array<std::vector<TzCurve>, 3> additional_tz;  // the first case, when asked for
  };

  const ProjectInput& raw_;
  const AnalysisOutput& report_;
  std::string project_;  // the project object as analysed
  std::vector<StoredPass> passes_;
  std::string charts_ = "null", best_ = "null";
  bool si_ = false;
  double toplen_ = 0;
  int method_ = 0;
};

}  // namespace korva
