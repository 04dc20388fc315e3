// One run of the analysis engine on a saved project file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace korva {

inline constexpr const char* kProgramVersion = "2017.8.1";
inline constexpr const char* kEngineLibraryName = "libKorva2017_DLL.so";
// The integer on line 2 of "names.dat": the layout of the project file handed to the engine.
inline constexpr int kProjectFileFormat = 8;

// The files of a run, all derived from the project path by replacing its extension.
struct RunFiles {
  std::filesystem::path project;
  std::filesystem::path report;         // .kv8o
  std::filesystem::path plot;           // .kv8p
  std::filesystem::path messages;       // .kv8r
  std::filesystem::path tz;             // .kv8z
  std::filesystem::path tz_scratch;     // .kv8w
  std::filesystem::path plot_scratch1;  // .kv8t
  std::filesystem::path plot_scratch2;  // .kv8q
  std::filesystem::path json;           // .json: the results as JSON, when asked for

  static RunFiles ForProject(const std::filesystem::path& project);
};

// What a run writes beyond the report and plot files.
struct RunOptions {
  bool json = false;  // the results as JSON (RunFiles::json)
};

// Writes the ten lines of "names.dat" into `directory`, and an eleventh with the JSON results
// path when `options.json` is set. Throws std::runtime_error on failure.
void WriteNamesFile(const std::filesystem::path& directory, const RunFiles& files,
                    const RunOptions& options = {});

// Directory of the running executable.
std::filesystem::path ProgramDirectory();

// The engine library the program and the runner load: the one beside the executable (a build
// tree) when it is there, else the one in the installed private library directory (relative to
// the executable's directory). When neither exists, the path beside the executable, for the
// message.
std::filesystem::path EngineLibraryPath();

// An installed document such as a manual: the file `name` beside the executable (a build tree)
// when it is there, else in the installed documentation directory; empty when neither has it.
std::filesystem::path DocumentPath(const std::string& name);

struct EngineRunResult {
  enum Outcome {
    kRan,            // IKORVA was called; `status` holds its result
    kLibraryFailed,  // the library could not be loaded or lacks IKORVA; `error` tells why
  } outcome = kRan;
  std::int32_t status = 0;
  std::string error;
};

// Runs the engine on `project` (an existing, saved project file):
//  1. makes the project's directory current and writes "names.dat" there;
//  2. loads `library` by its absolute path and looks up IKORVA (on failure "names.dat"
//     stays and nothing else happens);
//  3. calls IKORVA(1); then `after_call(status)` when given (the program reads the results);
//  4. deletes "TZDIAM.DAT" and the three scratch files, unloads the library and deletes
//     "names.dat".
// The current directory stays the project's directory. Throws std::runtime_error when
// "names.dat" cannot be written or the directory cannot be entered.
EngineRunResult RunEngine(const std::filesystem::path& library, const std::filesystem::path& project,
                          const std::function<void(std::int32_t)>& after_call = {},
                          const RunOptions& options = {});

// RunEngine with `files` as "names.dat" names them and `directory` as the current directory
// (where the engine's fixed-name files go and "names.dat" is written): the same steps 1 to 4.
EngineRunResult RunEngineIn(const std::filesystem::path& library, const RunFiles& files,
                            const std::filesystem::path& directory,
                            const std::function<void(std::int32_t)>& after_call = {},
                            const RunOptions& options = {});

// A short explanation of a run status, for messages.
std::string DescribeStatus(std::int32_t status);

}  // namespace korva
