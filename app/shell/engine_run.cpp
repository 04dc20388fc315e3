#include "engine_run.h"

#include <unistd.h>

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "dynlib.h"

namespace fs = std::filesystem;

namespace korva {

RunFiles RunFiles::ForProject(const fs::path& project) {
  RunFiles f;
  f.project = fs::absolute(project).lexically_normal();
  auto with = [&](const char* ext) {
    fs::path p = f.project;
    p.replace_extension(ext);
    return p;
  };
  f.report = with(".kv8o");
  f.plot = with(".kv8p");
  f.messages = with(".kv8r");
  f.tz = with(".kv8z");
  f.tz_scratch = with(".kv8w");
  f.plot_scratch1 = with(".kv8t");
  f.plot_scratch2 = with(".kv8q");
  return f;
}

void WriteNamesFile(const fs::path& directory, const RunFiles& f) {
  const fs::path path = directory / "names.dat";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path.string());
  out << kProgramVersion << '\n' << kProjectFileFormat << '\n';
  for (const fs::path* p : {&f.project, &f.report, &f.plot, &f.messages, &f.tz, &f.tz_scratch,
                            &f.plot_scratch1, &f.plot_scratch2})
    out << p->string() << '\n';
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

fs::path ProgramDirectory() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path();
  return exe.parent_path();
}

EngineRunResult RunEngine(const fs::path& library, const fs::path& project,
                          const std::function<void(std::int32_t)>& after_call) {
  const RunFiles files = RunFiles::ForProject(project);
  const fs::path lib_path = fs::absolute(library);
  const fs::path dir = files.project.parent_path();
  std::error_code ec;
  fs::current_path(dir, ec);
  if (ec) throw std::runtime_error("cannot enter " + dir.string() + ": " + ec.message());
  WriteNamesFile(".", files);

  EngineRunResult result;
  TDynamicLibrary lib(lib_path.string());
  using EntryPoint = std::int32_t (*)(std::int32_t);
  EntryPoint entry = nullptr;
  try {
    lib.Open();
    entry = reinterpret_cast<EntryPoint>(lib.FindProcedure("IKORVA"));
    if (!entry) result.error = lib_path.string() + " has no export IKORVA";
  } catch (const EInitError& e) {
    result.error = std::string(e.what()) + ": " + e.detail();
  } catch (const EDLLError& e) {
    result.error = std::string(e.what()) + ": " + lib_path.string();
  }
  if (!entry) {
    result.outcome = EngineRunResult::kLibraryFailed;
    return result;
  }

  result.status = entry(1);
  if (after_call) after_call(result.status);

  for (const fs::path& p : {fs::path("TZDIAM.DAT"), files.tz_scratch, files.plot_scratch1,
                            files.plot_scratch2})
    fs::remove(p, ec);
  lib.Close();
  fs::remove("names.dat", ec);
  return result;
}

std::string DescribeStatus(std::int32_t status) {
  switch (status) {
    case 0: return "the analysis ran to its end";
    case 1: return "the engine was called with a wrong mode";
    case 2: return "a t-z curve depth lies beyond the strength curve";
    case 4: return "the shaft length lies beyond the strength curve";
    case 7: return "NEED ANOTHER SOIL LAYER: no length within the profile carries the design load";
    case 8: return "the run's files could not be set up";
    case 9: return "the project file could not be analysed";
    case 99: return "internal engine error";
    default: return "unknown status";
  }
}

}  // namespace korva
