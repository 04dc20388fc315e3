// All state of one engine run. IKORVA creates one Run, carries it through the run
// driver and the analysis, and destroys it; nothing survives between runs.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "project_input.h"
#include "run_names.h"
#include "run_status.h"
#include "streams.h"

namespace korva {

struct Run {
  // Directory that stands for the current directory: "names.dat", "CHART.DAT", "TZDATA.DAT",
  // "TZDIAM.DAT" and relative file names are found there. Empty means the process's current
  // directory, which is what IKORVA uses; tests give each run a directory of its own.
  std::string dir;

  // `name` resolved against `dir`.
  std::string local(const std::string& name) const {
    if (dir.empty() || name.empty() || name.front() == '/') return name;
    return dir + "/" + name;
  }

  RunNames names;
  Streams out;
  std::int32_t status = kStatusOk;

  // The project file's lines (stream 5), read once when the run's files are opened.
  std::vector<std::string> input_lines;
  bool input_readable = false;

  ProjectInput input_as_read;  // the user's units, for the report's echo of the input
  ProjectInput input;          // internal units

  // The analysis part of the JSON results (members without braces), when asked for.
  std::string json_members;

  // Time of the analysis shown in the date block (SOURCE_DATE_EPOCH when set).
  std::tm run_time{};
};

}  // namespace korva
