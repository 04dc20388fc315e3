// The run driver: files, banners, the analysis, and the merge of the scratch files.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>

#include "run.h"

namespace korva {

// Performs one complete run in the current directory and leaves its status in run.status.
// Console fallback prompts go to `console_out`, answers come from `console_in`.
void RUN_DRIVER(Run& run, std::FILE* console_in = stdin, std::FILE* console_out = stdout);

// The analysis proper (reading the project, capacity, load-settlement).
void MAIN_ANALYSIS(Run& run);

// Writes the date-and-time block to the report and the t-z file.
void WRITE_RUN_DATE(Run& run);

// The local time of the run, or the time given by SOURCE_DATE_EPOCH (UTC) when it is set,
// so that reports can be compared byte for byte.
std::tm run_clock();

// Appends every line of `source` to `out`, cut or blank-padded to exactly 80 columns.
// A missing source contributes nothing and gives false.
bool append_80_columns(const std::string& source, TextFile& out);

}  // namespace korva
