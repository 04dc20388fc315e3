// Checks and conversions of project files for the batch runner.
#pragma once

#include <string>

#include "project_file.h"

namespace korva::project {

// The layout a file is in: by extension (.kv8d current, .kvd older) and, for an older file,
// by its content (six items on the third line: the 2012 layout, else the 6.0 layout).
int DetectFilter(const std::string& path);

// Reads a project in the layout of `filter` (0: detected) and reports the first problem:
// the reader's message with its line and item, or the reason the analysis engine would
// refuse the project. Empty when the project is fine.
std::string CheckProject(const std::string& path, int filter = 0);

}  // namespace korva::project
