// Several projects at once: each project runs in a child process of its own, in a private
// directory, so that the engine's fixed-name files of projects in one directory never meet.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "engine_run.h"

namespace korva::cli {

// Runs the engine on `project` as RunEngine does, but with `privateDir` as the current
// directory: "names.dat", "TZDIAM.DAT", "CHART.DAT", "TZDATA.DAT" and the run's scratch files
// live there, and the results are written there under their own names. The report names the
// project's own directory and files, so the results are those of the project run in its own
// directory. When the engine ran, the results (the project's name with any extension) and
// "CHART.DAT" and "TZDATA.DAT" are moved into the project's directory.
EngineRunResult RunEngineInPrivateDirectory(const std::filesystem::path& library,
                                            const std::filesystem::path& project,
                                            const std::filesystem::path& privateDir,
                                            const RunOptions& options = {});

// Redirects standard output to /dev/null while it lives (the engine's console echo).
class StdoutSilenced {
 public:
  explicit StdoutSilenced(bool active);
  ~StdoutSilenced();
  StdoutSilenced(const StdoutSilenced&) = delete;
  StdoutSilenced& operator=(const StdoutSilenced&) = delete;

 private:
  int saved_ = -1;
};

struct BatchOptions {
  std::vector<std::string> projects;
  unsigned jobs = 0;                   // 0: the number of processors
  std::vector<std::string> childArgs;  // options passed to each run (--library, --pdf, ...)
};

// Runs every project in a child process of this program, at most `jobs` at a time, prints
// one summary line per project and a total, and returns the exit status: 0 when every run
// completed, else the largest exit status of a failed run (or 1); 130 when interrupted.
int RunBatch(const BatchOptions& options);

// The summary of one run's report: design length, QU and the allowable or factored total with
// their units, read from the last analysed shaft (at its shaft length when the table has that
// row, else the table's last row). Empty when the report has no table.
std::string SummariseReport(const std::filesystem::path& report);

}  // namespace korva::cli
