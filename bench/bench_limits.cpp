// Time and peak memory of the largest projects the engine's bounds allow (30 layers to
// 500 ft, 150 t-z depths, 10 chart settlements, 500 shafts, a report row every half foot).
//   build/bin/bench_limits            (build with -DCMAKE_BUILD_TYPE=Release)
// Targets: each run under 2 s and under 100 MB of peak memory. Each project runs in a child
// process of its own, so that its peak memory is its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "frame/run_driver.h"
#include "scratch_run.h"

namespace fs = std::filesystem;

namespace {

constexpr double kTargetSeconds = 2.0;
constexpr double kTargetMegabytes = 100.0;

// Runs `project` in a scratch directory; the exit code is the run status.
[[noreturn]] void run_child(const fs::path& project) {
  const fs::path dir = prepare_run_dir(project);
  korva::Run run;
  run.dir = dir.string();
  run.out[korva::kConsole].close();
  korva::RUN_DRIVER(run, nullptr, nullptr);
  fs::remove_all(dir);
  std::_Exit(run.status);
}

bool measure(const char* name) {
  const fs::path project = fs::path(KORVA_SOURCE_DIR) / "bench" / name;
  const auto start = std::chrono::steady_clock::now();
  std::fflush(stdout);  // the child must not print the parent's buffered lines again
  const pid_t child = fork();
  if (child == 0) run_child(project);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double megabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
  const bool ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  const bool met = ran && seconds < kTargetSeconds && megabytes < kTargetMegabytes;
  std::printf("%-32s %6.2f s %8.1f MB peak  %s\n", name, seconds, megabytes,
              !ran ? "RUN FAILED" : met ? "within the targets" : "TARGET MISSED");
  return met;
}

}  // namespace

int main() {
  std::printf("targets: under %.0f s and %.0f MB per run\n", kTargetSeconds, kTargetMegabytes);
  bool all = true;
  for (const char* name : {"largest-design-charts.kv8d", "largest-length-variation.kv8d"}) all = measure(name) && all;
  return all ? 0 : 1;
}
