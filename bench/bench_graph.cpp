// Painting a full graph: 100 curves of 500 points each into a window-sized image, the
// work of one repaint of the graph window (every paint redraws everything). The target is
// one frame, under 16 ms per paint.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <vector>

#include "graph_catalogue.h"
#include "graph_painter.h"

namespace {

using namespace korva::results;

// Capacity-versus-depth-like curves that fan out across the whole graph area.
TGraphPlot BigGraph(int curves, int points) {
  TGraphPlot g;
  DefineGraph(g, kPltTotal);
  g.LimitActive = false;  // draw all of them
  for (int c = 0; c < curves; ++c) {
    std::vector<TFloatPoint> pts;
    pts.reserve(static_cast<std::size_t>(points));
    for (int j = 0; j < points; ++j) {
      const double depth = 100.0 * j / (points - 1);
      pts.push_back({(c + 1) * 12.0 * std::sqrt(depth) + 5.0 * std::sin(depth + c), depth});
    }
    g.AddLine({}, std::move(pts));
  }
  ResetView(g);
  return g;
}

void Paint(benchmark::State& state, TGraphPlot& g, int width, int height, int ppi) {
  const TDrawArea area = LayoutWindow(width, height, {ppi, ppi}, 14 * ppi / 96, g);
  QImage img(width, height, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&img);
    DrawPlot(p, g, area);
    p.end();
    benchmark::DoNotOptimize(img.constBits());
  }
  state.counters["segments"] = static_cast<double>(g.LineCount()) * (g.Count() - 1);
}

// The default display: a marker at every point.
void BM_PaintWindow_MarkersEveryPoint(benchmark::State& state) {
  TGraphPlot g = BigGraph(100, 500);
  Paint(state, g, 1200, 800, 96);
}
BENCHMARK(BM_PaintWindow_MarkersEveryPoint)->Unit(benchmark::kMillisecond);

void BM_PaintWindow_NoMarkers(benchmark::State& state) {
  TGraphPlot g = BigGraph(100, 500);
  g.Markers = 0;
  Paint(state, g, 1200, 800, 96);
}
BENCHMARK(BM_PaintWindow_NoMarkers)->Unit(benchmark::kMillisecond);

// Thick lines (Line Width 4) and markers every 10 points.
void BM_PaintWindow_WideLines(benchmark::State& state) {
  TGraphPlot g = BigGraph(100, 500);
  g.WidthLine = 4;
  g.Markers = 10;
  Paint(state, g, 1200, 800, 96);
}
BENCHMARK(BM_PaintWindow_WideLines)->Unit(benchmark::kMillisecond);

// A letter page at 300 dpi (pens 2 pixels wide), as the printer renders it.
void BM_PaintPage300dpi(benchmark::State& state) {
  TGraphPlot g = BigGraph(100, 500);
  Paint(state, g, 2400, 3000, 300);
}
BENCHMARK(BM_PaintPage300dpi)->Unit(benchmark::kMillisecond);

}  // namespace

// Fonts need the application object; the offscreen platform needs no display.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qargc = 1;
  QGuiApplication app(qargc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
