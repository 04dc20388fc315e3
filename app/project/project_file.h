// The project file (.kv8d) and the two older layouts (.kvd), read and written.
//
// Current layout, one item per word, CR LF line ends, reals in general format with 8
// significant digits and "." whatever the locale. The analysis engine reads the same file.
#pragma once

#include <string>

#include "program_data.h"

namespace korva::project {

// Which reader a file is opened with: the Open dialog's filter index.
enum FileFilter : int {
  kFilterCurrent = 1,  // ReadVersion8
  kFilter2012 = 2,     // ReadPrevVersions, IsNewVer true
  kFilter60 = 3,       // ReadPrevVersions, IsNewVer false
};

// Writes the project to `path` (the model's FileName when empty). The model is normalised
// first (METHOD from PD, IPENT/IChart cleared for a design load, DIALIM = DSTART for
// multiple lengths). The file is written to a temporary file beside it and renamed over the
// old one only when everything was written, so a failed save leaves the old file intact.
// Throws std::runtime_error with the system's message on failure. Clears the changed flag.
void Save(Project& project, const std::string& path = {});

// The text Save writes (without touching the disk); normalises the model as Save does.
std::string ProjectFileText(Project& project);

// Result of reading a file: empty `error` when the whole file was read; otherwise the
// reader's message (with its line and item where it has them). The project always holds a
// valid model afterwards: what was read, defaults for the rest, tables at least at their
// minimum rows, unchanged.
struct ReadResult {
  std::string error;
  bool ok() const { return error.empty(); }
};

ReadResult ReadVersion8(Project& project, const std::string& path);
ReadResult ReadPrevVersions(Project& project, const std::string& path, bool IsNewVer);
// Reads a file with the reader that `filter` selects; older layouts get the default
// design-chart settlements.
ReadResult CreateFromFile(Project& project, const std::string& path, int filter);

// The same readers on text held in memory (tests, the batch checks).
ReadResult ReadVersion8Text(Project& project, const std::string& text, const std::string& path);
ReadResult ReadPrevVersionsText(Project& project, const std::string& text, const std::string& path,
                                bool IsNewVer);

}  // namespace korva::project
