#include "engine_run.h"

#include <unistd.h>

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "dynlib.h"
#include "frame/run_status.h"

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
  f.json = with(".json");
  return f;
}

void WriteNamesFile(const fs::path& directory, const RunFiles& f, const RunOptions& options) {
  const fs::path path = directory / "names.dat";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path.string());
  out << kProgramVersion << '\n' << kProjectFileFormat << '\n';
  for (const fs::path* p : {&f.project, &f.report, &f.plot, &f.messages, &f.tz, &f.tz_scratch,
                            &f.plot_scratch1, &f.plot_scratch2})
    out << p->string() << '\n';
  if (options.json) out << f.json.string() << '\n';
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

fs::path ProgramDirectory() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path();
  return exe.parent_path();
}

namespace {

// The file `name` beside the executable (a build tree) or, when not there, in the installed
// directory `installed` (relative to the executable's directory; null when not configured);
// empty when neither has it.
fs::path BesideOrInstalled(const fs::path& name, const char* installed) {
  const fs::path dir = ProgramDirectory();
  std::error_code ec;
  if (fs::is_regular_file(dir / name, ec)) return dir / name;
  if (installed) {
    const fs::path there = (dir / installed / name).lexically_normal();
    if (fs::is_regular_file(there, ec)) return there;
  }
  return {};
}

#ifdef KORVA_PRIVATE_LIBDIR
constexpr const char* kPrivateLibDir = KORVA_PRIVATE_LIBDIR;
#else
constexpr const char* kPrivateLibDir = nullptr;
#endif
#ifdef KORVA_DOCDIR
constexpr const char* kDocDir = KORVA_DOCDIR;
#else
constexpr const char* kDocDir = nullptr;
#endif

}  // namespace

fs::path EngineLibraryPath() {
  const fs::path found = BesideOrInstalled(kEngineLibraryName, kPrivateLibDir);
  return found.empty() ? ProgramDirectory() / kEngineLibraryName : found;
}

fs::path DocumentPath(const std::string& name) { return BesideOrInstalled(name, kDocDir); }

EngineRunResult RunEngine(const fs::path& library, const fs::path& project,
                          const std::function<void(std::int32_t)>& after_call,
                          const RunOptions& options) {
  const RunFiles files = RunFiles::ForProject(project);
  return RunEngineIn(library, files, files.project.parent_path(), after_call, options);
}

EngineRunResult RunEngineIn(const fs::path& library, const RunFiles& files, const fs::path& dir,
                            const std::function<void(std::int32_t)>& after_call,
                            const RunOptions& options) {
  const fs::path lib_path = fs::absolute(library);
  std::error_code ec;
  fs::current_path(dir, ec);
  if (ec) throw std::runtime_error("cannot enter " + dir.string() + ": " + ec.message());
  WriteNamesFile(".", files, options);

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

std::string DescribeStatus(std::int32_t status) { return describe_run_status(status); }

}  // namespace korva
