// The engine library's only export.
#pragma once

#include <cstdint>

extern "C" {
// Runs one complete analysis when `mode` is 1 and returns the run status (0 = complete).
// Any other mode returns 1 without touching a file. Reads "names.dat" in the current
// directory. Never throws.
__attribute__((visibility("default"))) std::int32_t IKORVA(std::int32_t mode);
}
