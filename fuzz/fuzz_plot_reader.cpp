// The plot data reader on arbitrary text, against a few project models: a new project, the
// bundled example clay-over-sand.kv8d as read, and that example with every setting the
// reader branches on switched (design charts, length variation, additional t-z curves,
// elevation axis, uplift, LRFD, SI units, the older layout). A reading error is the reader's
// answer to a damaged file; anything else is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "plot_reader.h"
#include "project_file.h"

using namespace korva;

namespace {

std::string ExampleText() {
  const std::string path = std::string(KORVA_SOURCE_DIR) + "/examples/clay-over-sand.kv8d";
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  if (!in || s.str().empty()) {
    std::fprintf(stderr, "fuzz_plot_reader: cannot read %s\n", path.c_str());
    std::abort();
  }
  return s.str();
}

enum class Model { kNew, kExample, kExampleSwitched, kExampleOlderLayout };

// Sets the one project model of the process (see fuzz_project_file.cpp) to `model`.
void Prepare(project::Project& p, Model model) {
  static const std::string example = ExampleText();
  if (model == Model::kNew) {
    p.Create();
    return;
  }
  const project::ReadResult r = project::ReadVersion8Text(p, example, "clay-over-sand.kv8d");
  if (!r.ok()) {
    std::fprintf(stderr, "fuzz_plot_reader: the example does not read: %s\n", r.error.c_str());
    std::abort();
  }
  project::TProgramData& m = p.data;
  if (model == Model::kExampleSwitched) {
    m.SetUnits(2, p.tables);
    m.IChart = 1;
    m.IPENT = 1;
    m.PrintTZCurves = 1;
    m.UseElevation = 1;
    m.ValElevation = 100;
    m.KCYCL = 2;
    m.NLRFD = 1;
  } else if (model == Model::kExampleOlderLayout) {
    m.Yesnewversion = 0;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static project::Project project;
  for (Model model : {Model::kNew, Model::kExample, Model::kExampleSwitched,
                      Model::kExampleOlderLayout}) {
    Prepare(project, model);
    results::TGraphCatalogue graphs;
    const results::PlotReadResult r = results::ReadPlotDataText(text, project, graphs, true);
    if (r.ok != r.message.empty() || (!r.ok && r.reader_error.empty())) {
      std::fprintf(stderr, "fuzz_plot_reader: inconsistent result (ok %d, \"%s\", \"%s\")\n",
                   r.ok, r.message.c_str(), r.reader_error.c_str());
      __builtin_trap();
    }
  }
  return 0;
}
