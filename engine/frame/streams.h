// The engine's numbered output streams.
//
// Unit numbers are the engine's names for its files:
//   0 console, 2 plot data (.kv8p), 3 "CHART.DAT", 4 message file (.kv8r), 6 report (.kv8o),
//   7 t-z scratch (.kv8w), 8 "TZDATA.DAT", 9 t-z file (.kv8z), 17 plot scratch 2 (.kv8q),
//   18 "TZDIAM.DAT", 19 plot scratch 1 (.kv8t).
// The project file (unit 5) is read through ListReader instead.
#pragma once

#include <array>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "fortran_format.h"
#include "text_file.h"

namespace korva {

enum Unit : int {
  kConsole = 0,
  kPlot = 2,
  kChart = 3,
  kMessages = 4,
  kInput = 5,
  kReport = 6,
  kTzScratch = 7,
  kTzTrace = 8,
  kTzFile = 9,
  kPlotScratch2 = 17,
  kTzDiam = 18,
  kPlotScratch1 = 19,
};

class Streams {
 public:
  static constexpr int kUnits = 20;

  Streams() { units_[kConsole].attach_stdout(); }

  TextFile& operator[](int unit) { return units_.at(static_cast<std::size_t>(unit)); }

  // Writes one or more records ('\n'-separated) to a unit; a closed unit swallows them.
  void put(int unit, std::string_view text) { (*this)[unit].line(text); }

  // Writes the records of a FORMAT layout applied to the arguments.
  void write(int unit, std::string_view spec, std::initializer_list<fmt::Arg> args = {}) {
    (*this)[unit].line(fmt::format(spec, args));
  }

  void write(int unit, std::string_view spec, std::span<const fmt::Arg> args) {
    (*this)[unit].line(fmt::format(spec, args));
  }

  // Writes the same records to the console and then to the report, as the report's echoed
  // sections are.
  void echo(std::string_view spec, std::initializer_list<fmt::Arg> args = {}) {
    const std::string text = fmt::format(spec, args);
    (*this)[0].line(text);
    (*this)[6].line(text);
  }

  // Writes one list-directed record.
  void list(int unit, std::initializer_list<fmt::Arg> args) {
    (*this)[unit].line(fmt::list_directed(args));
  }

 private:
  std::array<TextFile, kUnits> units_;
};

}  // namespace korva
