// Time of whole engine runs on the bundled examples.
//   build/bin/bench_engine
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "frame/run_driver.h"

namespace fs = std::filesystem;

namespace {

// A scratch directory with a copy of a project and its "names.dat".
fs::path prepare(const fs::path& project) {
  char tmpl[] = "/tmp/korva-bench-XXXXXX";
  const fs::path dir = mkdtemp(tmpl);
  fs::copy_file(project, dir / "p.kv8d");
  std::ofstream names(dir / "names.dat");
  names << "2017.8.1\n8\n";
  for (const char* ext : {".kv8d", ".kv8o", ".kv8p", ".kv8r", ".kv8z", ".kv8w", ".kv8t", ".kv8q"})
    names << (dir / (std::string("p") + ext)).string() << "\n";
  return dir;
}

void BM_ExampleRun(benchmark::State& state) {
  const fs::path dir = prepare(fs::path(KORVA_SOURCE_DIR) / "examples" / "clay-over-sand.kv8d");
  for (auto _ : state) {
    korva::Run run;
    run.dir = dir.string();
    run.out[korva::kConsole].close();
    korva::RUN_DRIVER(run, nullptr, nullptr);
    if (run.status != 0) state.SkipWithError("the example run failed");
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_ExampleRun)->Unit(benchmark::kMillisecond);

}  // namespace
