// The control file "names.dat" and the file names of one run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace korva {

struct RunNames {
  std::string VERSION = std::string(12, ' ');  // exactly 12 characters
  std::int32_t line2 = 0;                       // printed in the banners
  std::string input;                            // project file
  std::string report;                           // .kv8o
  std::string plot;                             // .kv8p
  std::string messages;                         // .kv8r
  std::string tz;                               // .kv8z
  std::string tz_scratch;                       // .kv8w
  std::string plot_scratch1;                    // .kv8t
  std::string plot_scratch2;                    // .kv8q
  std::string json;  // results as JSON (optional 11th line); empty: none
};

// Longest file name taken from "names.dat" or the console. Longer lines are cut.
inline constexpr std::size_t kMaxNameLength = 4096;

enum class NamesSource {
  kFile,             // every line read from "names.dat" (missing lines leave names empty)
  kConsole,          // "names.dat" could not be read: three names asked for on the console
  kConsoleFailed,    // the console gave no answer (end of input)
};

// Reads "names.dat" from `path`. When the file cannot be opened or read, asks for the input,
// report and plot file names on `console_out` and reads them from `console_in`.
NamesSource read_run_names(const std::string& path, RunNames& names, std::FILE* console_in,
                           std::FILE* console_out);

// The four parts of a file path as the report's file block shows them.
struct PathParts {
  std::string drive;      // up to 3 characters ("C:"); always empty on this platform
  std::string directory;  // up to 256 characters, with its leading and trailing "/"
  std::string base;       // up to 256 characters
  std::string extension;  // up to 5 characters, including the leading period
};
PathParts split_path(const std::string& path);

}  // namespace korva
