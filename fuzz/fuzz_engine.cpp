// The analysis engine on an arbitrary project file, in process: one Run per input whose
// directory is a scratch directory of this process, as IKORVA runs in the current directory.
// Every input must end with a run status; an internal error (an exception the engine did not
// turn into a message of its own) counts as a finding, as do sanitizer reports. A project the
// program reads is also run the program's way (saved in its layout first), and the plot data
// of a complete run must then load into the program's graphs.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "frame/run.h"
#include "frame/run_driver.h"
#include "plot_reader.h"
#include "project_file.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtensions[] = {".kv8d", ".kv8o", ".kv8p", ".kv8r",
                                       ".kv8z", ".kv8w", ".kv8t", ".kv8q"};

struct ScratchDir {
  fs::path dir;
  fs::path project;
  std::FILE* no_input = nullptr;
  std::FILE* no_output = nullptr;

  ScratchDir() {
    char tmpl[] = "/tmp/korva-fuzz-engine-XXXXXX";
    if (!mkdtemp(tmpl)) {
      std::perror("fuzz_engine: mkdtemp");
      std::abort();
    }
    dir = tmpl;
    project = dir / "fuzz.kv8d";
    // "names.dat" as the program writes it: version, project file layout, the run's files.
    std::ofstream names(dir / "names.dat", std::ios::binary);
    names << "2017.8.1\n8\n";
    for (const char* ext : kExtensions) names << (dir / (std::string("fuzz") + ext)).string() << "\n";
    names.close();
    no_input = std::fopen("/dev/null", "r");
    no_output = std::fopen("/dev/null", "w");
    if (!names || !no_input || !no_output) {
      std::fprintf(stderr, "fuzz_engine: cannot set up %s\n", dir.c_str());
      std::abort();
    }
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

ScratchDir& Scratch() {
  static ScratchDir scratch;
  return scratch;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Reports carry a fixed date, as in the tests.
  setenv("SOURCE_DATE_EPOCH", "1765324800", 1);
  Scratch();
  return 0;
}

namespace {

// Runs the engine on `text` as the project file of the scratch directory; returns the status.
std::int32_t RunEngine(ScratchDir& s, std::string_view text) {
  {
    std::ofstream f(s.project, std::ios::binary | std::ios::trunc);
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  korva::Run run;
  run.dir = s.dir.string();
  run.out[korva::kConsole].close();  // the console echo would only flood the fuzzer's output
  korva::RUN_DRIVER(run, s.no_input, s.no_output);

  // The scratch files and "TZDIAM.DAT" go after every run, as the runner deletes them, so that
  // no run sees what an earlier one left.
  std::error_code ec;
  for (const char* name : {"fuzz.kv8w", "fuzz.kv8t", "fuzz.kv8q", "TZDIAM.DAT"})
    fs::remove(s.dir / name, ec);

  switch (run.status) {
    case korva::kStatusOk:
    case korva::kStatusBeyondStrength:
    case korva::kStatusLengthBeyond:
    case korva::kStatusNeedLayer:
    case korva::kStatusBadInput:
      return run.status;
    default:
      std::fprintf(stderr, "fuzz_engine: run status %d\n", static_cast<int>(run.status));
      std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ScratchDir& s = Scratch();
  const std::string text(reinterpret_cast<const char*>(data), size);
  RunEngine(s, text);

  // The program's way: a project it reads is saved in its own layout, analysed, and the plot
  // data of a complete run is loaded into its graphs. (One project model for the process:
  // the tables' identifiers are process-wide.)
  static korva::project::Project project;
  if (!korva::project::ReadVersion8Text(project, text, s.project.string()).ok()) return 0;
  if (RunEngine(s, korva::project::ProjectFileText(project)) != korva::kStatusOk) return 0;
  korva::results::TGraphCatalogue graphs;
  const korva::results::PlotReadResult r =
      korva::results::ReadPlotData((s.dir / "fuzz.kv8p").string(), project, graphs, false);
  if (!r.ok) {
    std::fprintf(stderr, "fuzz_engine: the plot data of a complete run does not load: %s\n",
                 r.reader_error.c_str());
    std::abort();
  }
  return 0;
}
