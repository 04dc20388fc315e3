// Writing the calculation report (PDF) of the largest design-chart project: 20 diameters by
// 20 lengths, 400 analysed shafts with their tables, the graphs and the whole report.
//   build/bin/bench_report
// Target: under 5 s for the 400-shaft document.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QGuiApplication>
#include <QHashFunctions>

#include <filesystem>

#include "calc_report.h"
#include "frame/run_driver.h"
#include "program_data.h"
#include "project_file.h"
#include "scratch_run.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = KORVA_SOURCE_DIR;

void BM_CalculationReport(benchmark::State& state, const fs::path& project) {
  const fs::path dir = prepare_run_dir(project);
  korva::Run run;
  run.dir = dir.string();
  run.out[korva::kConsole].close();
  korva::RUN_DRIVER(run, nullptr, nullptr);
  if (run.status != 0) state.SkipWithError("the run failed");
  korva::project::Project p;
  const std::string file = (dir / "p.kv8d").string();
  if (!korva::project::CreateFromFile(p, file, korva::project::kFilterCurrent).ok())
    state.SkipWithError("the project could not be read");
  int pages = 0;
  qint64 bytes = 0;
  for (auto _ : state) {
    QByteArray pdf;
    const auto r = korva::report::RenderCalculationReport(p, file, {}, pdf);
    if (!r.Ok) state.SkipWithError(r.Error.c_str());
    pages = r.Pages;
    bytes = pdf.size();
  }
  state.counters["pages"] = pages;
  state.counters["bytes"] = static_cast<double>(bytes);
  fs::remove_all(dir);
}
BENCHMARK_CAPTURE(BM_CalculationReport, design_charts_20x20, kSource / "bench" / "design-charts-20x20.kv8d")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

// Fonts need the application object; the offscreen platform needs no display.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QHashSeed::setDeterministicGlobalSeed();
  int qargc = 1;
  QGuiApplication app(qargc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
