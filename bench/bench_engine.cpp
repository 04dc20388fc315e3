// Time of whole engine runs, and of writing the same output with plain buffered writes.
//   build/bin/bench_engine
// Targets: the 20 x 20 design-chart project in under 0.5 s on one core, and the engine no
// more than 3 times slower than writing its own output.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "frame/run_driver.h"
#include "scratch_run.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = KORVA_SOURCE_DIR;

void run_once(const fs::path& dir, benchmark::State& state) {
  korva::Run run;
  run.dir = dir.string();
  run.out[korva::kConsole].close();
  korva::RUN_DRIVER(run, nullptr, nullptr);
  if (run.status != 0) state.SkipWithError("the run failed");
}

void BM_Run(benchmark::State& state, const fs::path& project) {
  const fs::path dir = prepare_run_dir(project);
  for (auto _ : state) run_once(dir, state);
  fs::remove_all(dir);
}

// Writes the bytes a run produced (every file it wrote, scratch files included) with
// buffered fwrite calls of one line each.
void BM_WriteSameOutput(benchmark::State& state, const fs::path& project) {
  const fs::path dir = prepare_run_dir(project);
  run_once(dir, state);
  std::vector<std::string> lines;
  std::size_t bytes = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.path().filename() == "p.kv8d" || e.path().filename() == "names.dat") continue;
    std::ifstream in(e.path());
    for (std::string l; std::getline(in, l);) {
      bytes += l.size() + 1;
      lines.push_back(std::move(l));
    }
  }
  const std::string out = (dir / "copy.txt").string();
  for (auto _ : state) {
    std::FILE* f = std::fopen(out.c_str(), "wb");
    for (const std::string& l : lines) {
      std::fwrite(l.data(), 1, l.size(), f);
      std::fputc('\n', f);
    }
    std::fclose(f);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  fs::remove_all(dir);
}

const fs::path kExample = kSource / "examples" / "clay-over-sand.kv8d";
const fs::path kCharts = kSource / "bench" / "design-charts-20x20.kv8d";

BENCHMARK_CAPTURE(BM_Run, example, kExample)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteSameOutput, example, kExample)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Run, design_charts_20x20, kCharts)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteSameOutput, design_charts_20x20, kCharts)->Unit(benchmark::kMillisecond);

}  // namespace
