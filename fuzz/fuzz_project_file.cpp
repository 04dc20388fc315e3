// The project file readers on arbitrary text: every input is read in the current layout, the
// 2012 layout and the 6.0 layout. Whatever a reader made of it, the project it leaves must be
// a valid model: written in the current layout, the text must read back without an error and
// write again to the same text (nothing read is lost on a save).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "project_file.h"

using namespace korva::project;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail, const std::string& text) {
  std::fprintf(stderr, "fuzz_project_file: %s\n%s\n--- written text ---\n%s\n", what,
               detail.c_str(), text.c_str());
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // One project for the whole process: the tables' identifiers are process-wide, so only one
  // project model is alive at a time (as in the program).
  static Project project;
  for (int layout : {kFilterCurrent, kFilter2012, kFilter60}) {
    if (layout == kFilterCurrent) {
      ReadVersion8Text(project, text, "fuzz.kv8d");
    } else {
      ReadPrevVersionsText(project, text, "fuzz.kvd", layout == kFilter2012);
    }
    const std::string written = ProjectFileText(project);
    const ReadResult again = ReadVersion8Text(project, written, "fuzz.kv8d");
    if (!again.ok()) Fail("the written project does not read back", again.error, written);
    const std::string rewritten = ProjectFileText(project);
    if (rewritten != written) Fail("the project read back writes differently", rewritten, written);
  }
  return 0;
}
