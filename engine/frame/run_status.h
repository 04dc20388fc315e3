// Run status returned by IKORVA.
#pragma once

#include <cstdint>

namespace korva {

// 0, 1, 2, 4 and 7 are the statuses the desktop program has always known;
// 8, 9 and 99 report runs that could not be carried out at all.
enum RunStatus : std::int32_t {
  kStatusOk = 0,              // the analysis ran to its end
  kStatusWrongMode = 1,       // IKORVA was called with a mode other than 1
  kStatusBeyondStrength = 2,  // a t-z depth lies beyond the strength curve
  kStatusLengthBeyond = 4,    // the shaft length lies beyond the strength curve
  kStatusNeedLayer = 7,       // no length within the profile carries the design load
  kStatusNoRunFiles = 8,      // "names.dat" and the console gave no usable file names, or an
                              // output file could not be created
  kStatusBadInput = 9,        // the project file is missing, unreadable, malformed or larger
                              // than the engine's tables
  kStatusInternalError = 99,  // an unexpected internal failure; see the message file
};

// A short explanation of a run status, for messages and the results file.
inline const char* describe_run_status(std::int32_t status) {
  switch (status) {
    case kStatusOk: return "the analysis ran to its end";
    case kStatusWrongMode: return "the engine was called with a wrong mode";
    case kStatusBeyondStrength: return "a t-z curve depth lies beyond the strength curve";
    case kStatusLengthBeyond: return "the shaft length lies beyond the strength curve";
    case kStatusNeedLayer:
      return "NEED ANOTHER SOIL LAYER: no length within the profile carries the design load";
    case kStatusNoRunFiles: return "the run's files could not be set up";
    case kStatusBadInput: return "the project file could not be analysed";
    case kStatusInternalError: return "internal engine error";
    default: return "unknown status";
  }
}

}  // namespace korva
