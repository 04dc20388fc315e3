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

}  // namespace korva
