// Load-settlement curve of a drilled shaft in soil from its t-z and q-w curves: for each of
// 15 assumed tip movements the shaft is walked from the tip to the head, segment by
// segment, balancing load transfer, axial load and elastic shortening.
//
// Units inside: in, lb, lb/in2 (psi). Results are converted to the user's units
// (English: tons and in; SI: kN and m).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "frame/streams.h"
#include "load_transfer.h"

namespace korva {

// Fifteen rows of head load, head movement, tip load and tip movement.
using CurveRows = std::array<std::array<double, 4>, 15>;

struct SettlementInput {
  TransferInput t;          // curves' inputs (in, lb, psi)
  double E = 0;             // concrete modulus, psi
  double Hb = 0;            // bell height, ft
  double TOPLEN = 0;        // top length without side transfer, ft
  bool si = false;
  int IUNIT = 1;            // the unit code as read
  int IVDIA = 1, IVLEN = 1, ICASE = 1;
  bool chart = false;              // compute the design-chart loads
  std::vector<double> PDSETT;      // design head movements as entered (in, or m for SI)
};

// Design-chart loads of the run: Q[m][j][k] (lb) for settlement m, diameter index j and
// length index k, with the diameters and lengths (in) of the passes that computed them.
struct ChartData {
  std::vector<double> diameters_in;  // by diameter index
  std::vector<double> lengths_in;    // by length index
  std::vector<std::vector<std::vector<double>>> Q;
  void store(std::size_t m, std::size_t j, std::size_t k, double q, std::size_t settlements);
};

// The trace of the latest load-settlement call ("TZDATA.DAT"). Every call replaces the
// file, so only the last call's trace is kept: the call's numbers are recorded in memory
// and formatted once, at the end of the run.
class TraceRecorder {
 public:
  struct Segment {
    double bottom, Pbot, wbot, mid, t, side, Pmid, shortening, wmid;
  };
  struct Movement {
    double WT = 0, PT = 0;
    std::size_t first = 0, count = 0;  // its segments in the recorder's segment list
    double head = 0, Ptop = 0, wtop = 0;
  };

  // Starts the trace of a call.
  void begin(bool si, bool first_length);
  // The side curves (recorded after all were built).
  void curves(const std::vector<TzCurve>& c) { curves_ = c; stage_ = 1; }
  // The base curve.
  void base(const QwCurve& q) { qw_ = q; stage_ = 2; }
  Movement& movement(double WT, double PT);
  void segment(const Segment& s) {
    segments_.push_back(s);
    ++movements_.back().count;
  }
  Movement& movement_back() { return movements_.back(); }
  void end() { ended_ = true; }

  // Writes the recorded trace to `path` (nothing when no call was recorded).
  void write(const std::string& path) const;

 private:
  bool active_ = false;
  bool si_ = false, first_length_ = false, ended_ = false;
  int stage_ = 0;  // 0 note only, 1 side curves, 2 base curve
  std::vector<TzCurve> curves_;
  QwCurve qw_;
  std::vector<Movement> movements_;
  std::vector<Segment> segments_;
};

// State of the load-settlement analysis over a run.
struct SettlementRun {
  std::array<CurveRows, 3> curves{};  // converted rows by curve line (trend, upper, lower)
  int selector = 0;                   // curve line of the latest call
  ChartData charts;
  TraceRecorder trace;
  std::string tzdiam_path = "TZDIAM.DAT";
  // q-w curves written to the plot data so far: "TZDIAM.DAT" carries their number, which
  // the plot reader takes as the count of the curves that follow. (The diameter index is
  // not that count when a diameter gives no curve, as a zero diameter does.)
  int qw_curves = 0;
  // The curves of the latest call for each curve line (trend, upper, lower), in, lb and psi,
  // and the additional t-z curves at the user's depths.
  std::array<std::vector<TzCurve>, 3> side_curves;
  std::array<QwCurve, 3> base_curves{};
  std::array<std::vector<TzCurve>, 3> additional_tz;
};

// LOAD_SETTLEMENT for one curve line. Returns 0, or 2 / 4 when a depth or the shaft
// length lies beyond the strength curve.
int LOAD_SETTLEMENT(SettlementRun& run, const SettlementInput& in, int selector, Streams& out);

// TZ_AT_DEPTHS: side t-z curves at the user's depths (ft) for one curve line, to the
// report and, for the trend line, to plot scratch file 1. Returns 0 or 2.
// The curves are kept in `run->additional_tz` when `run` is given.
int TZ_AT_DEPTHS(const SettlementInput& in, const std::vector<double>& depths_ft, int selector,
                 Streams& out, SettlementRun* run = nullptr);

// The 15 assumed tip movements (in) of a stem of diameter D (in).
std::array<double, 15> tip_movements(double D);

// The tip movement that gives head movement S in a converted curve (step of the design
// settlements).
double tip_movement_for(const CurveRows& rows, double S);

}  // namespace korva
