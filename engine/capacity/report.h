// The capacity report (stream 6) and its console echo (stream 0).
//
// Values that were read are printed as read; computed values are converted from the
// internal English units into the user's system (SI: m, kN, m3, kN/m3, m2).
#pragma once

#include <vector>

#include "analysis.h"
#include "frame/streams.h"

namespace korva::report {

// Conversion of computed values (internal units) into the units the report prints.
struct Units {
  bool si = false;
  double length(double ft) const { return si ? ft / 3.2808 : ft; }
  double load(double tons) const { return si ? tons / 0.1124 : tons; }
  double volume(double yd3) const { return si ? yd3 / 1.3078 : yd3; }
  double load_per_volume(double t_yd3) const { return si ? t_yd3 / 0.08594586 : t_yd3; }
  double steel_area(double in2) const { return si ? in2 * 0.00064516 : in2; }
};

// Echo of the input: factors of safety, soil information with one block per layer, the
// estimation note, the shaft, the length variation and design-chart options, and the
// "COMPUTATION RESULTS" heading. `raw` holds the values as read, `st` the estimated profile.
void input_echo(Streams& out, const ProjectInput& raw, const CapacityState& st);

// One layer block of the soil information (report only). `k` counts from 1.
void layer_block(Streams& out, const ProjectInput& raw, const ProfileLayer& est, int k);

// Pass header and shaft block (console and report), and the design length (report).
void pass_header(Streams& out, const ProjectInput& raw, const PassResult& pass);

// Legend and heading of the result table (console and report).
void table_heading(Streams& out, const ProjectInput& raw);

// One table row as the console shows it (also the layout of the report rows).
std::string row_line(const ProjectInput& raw, const TableRow& row);

// The report rows at the print interval PINC, interpolated in length between table rows.
std::vector<TableRow> print_rows(const CapacityState& st, const PassResult& pass);

// Additional t-z heading and note (first pass with a soil tip and t-z curves asked for).
void additional_tz_heading(Streams& out);

// "AXIAL LOAD VS SETTLEMENT CURVES" heading.
void settlement_heading(Streams& out);

// The most efficient shaft of the run (console and report).
void most_efficient(Streams& out, const ProjectInput& raw, const MostEfficient& best);

// Console note when the design depth lies below the last table row.
void length_note(Streams& out);

// Rock with a compressive strength below 1000 lb/in2 at the end of the profile.
void rock_note(Streams& out);

// Design-chart results: head loads Q[i][j][k] (lb) for settlement i, stem diameter j
// (in) and shaft length k (in), lengths from the longest (first analysed) to the shortest.
struct DesignCharts {
  std::vector<double> settlements;           // as entered (in, or m for SI projects)
  std::vector<double> diameters_in;          // stem diameters, in
  std::vector<double> lengths_in;            // shaft lengths, in, in the order analysed
  std::vector<std::vector<std::vector<double>>> Q;  // [settlement][diameter][length], lb
};

// The design-chart section: per settlement the diameters in groups of at most seven.
// SI projects print m and kN (lengths and diameters in * 0.0254, loads lb * 0.004448).
void design_chart_section(Streams& out, const ProjectInput& raw, const DesignCharts& charts);

}  // namespace korva::report
