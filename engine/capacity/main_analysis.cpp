// MAIN_ANALYSIS: reads the project and runs the analysis passes.
#include "analysis_output.h"
#include "json_results.h"
#include "frame/input_reader.h"
#include "frame/message_texts.h"
#include "frame/run_driver.h"

namespace korva {

namespace {

void report_input_error(Run& run, const std::string& text) {
  const std::string block = std::string("\n\n     ") + msg::kErrorBanner + "\n     " +
                            msg::kProjectCannotBeAnalysed + "\n     " + text + "\n     " +
                            msg::kAnalysisStopped + "\n";
  run.out.put(kMessages, block);
  run.out.put(kReport, block);
  run.out.put(kConsole, block);
  run.status = kStatusBadInput;
}

}  // namespace

void MAIN_ANALYSIS(Run& run) {
  if (!run.input_readable) {
    report_input_error(run, msg::kProjectFileUnreadable1 + run.names.input + msg::kProjectFileUnreadable2);
    return;
  }
  try {
    ListReader in(run.input_lines);
    run.input_as_read = read_project(in, run.out);
    run.input = to_internal_units(run.input_as_read);
    check_limits(run.input);
  } catch (const InputError& e) {
    report_input_error(run, e.what());
    return;
  }
  AnalysisOutput output(run.out, run.input_as_read, run.local("TZDATA.DAT"),
                        run.local("TZDIAM.DAT"));
  if (run.names.json.empty()) {
    run.status = run_capacity(run.input, run.out, output);
  } else {
    // One computation, two writers: the JSON writer reads what the report writer's
    // load-settlement run leaves.
    JsonResults json(run.input_as_read, output);
    ListenerFanOut both({&output, &json});
    try {
      run.status = run_capacity(run.input, run.out, both);
    } catch (...) {
      run.json_members = json.members();
      throw;
    }
    run.json_members = json.members();
  }
  output.finish();
}

}  // namespace korva
