// Units of measure: the unit systems, the names of unit strings and their conversion factors.
//
// A unit string is free text in which the symbols F, F1, F2, F4, F5, F6 (force and related)
// and L, L1, L2, L3 (length and related) stand for units, e.g. "L2" (ft or m), "F/L2^2"
// (lbs/ft^2 or kN/m^2). An empty string is dimensionless; text without symbols ("deg") is
// shown unchanged and never converted.
#pragma once

#include <string>
#include <string_view>

namespace korva::project {

enum UnitSystem : int { kEnglish = 1, kSI = 2, kGeneric = 3 };

// Display name for grid columns and graphs: every symbol replaced by its name in `system`.
std::string UnitDisplayName(std::string_view unit_string, int system);

// Display name for numeric entry fields: one force symbol and one length symbol replaced.
std::string UnitEntryDisplayName(std::string_view unit_string, int system);

// Factor that converts a value stored with `unit_string` from system `from` to system `to`
// (1 for any pair other than English to SI or SI to English).
double UnitConversionFactor(std::string_view unit_string, int from, int to);

}  // namespace korva::project
