#include "units.h"

#include <gtest/gtest.h>

#include <string>

namespace korva::project {
namespace {

struct NameCase {
  const char* unit;
  const char* english;
  const char* si;
  const char* generic;
};

// Both naming rules must agree on every unit string in use.
TEST(UnitNames, DisplayAndEntryRulesNameEverySymbol) {
  const NameCase cases[] = {
      {"", "", "", ""},
      {"deg", "deg", "deg", "deg"},
      {"F", "lbs", "kN", "F"},
      {"F1", "kips", "kN", "F"},
      {"F2", "tons", "kN", "F"},
      {"F4", "lb-sec2/in", "Mg", "M"},
      {"F5", "sec", "sec", "T"},
      {"F6", "slug", "Mg", "F"},
      {"L", "in", "m", "L"},
      {"L1", "in", "mm", "L"},
      {"L2", "ft", "m", "L"},
      {"L3", "rad", "rad", "L"},
      {"F/L2^2", "lbs/ft^2", "kN/m^2", "F/L^2"},
      {"F/L2^3", "lbs/ft^3", "kN/m^3", "F/L^3"},
      {"F/L^2", "lbs/in^2", "kN/m^2", "F/L^2"},
      {"F1-L2", "kips-ft", "kN-m", "F-L"},
      {"F2/L2", "tons/ft", "kN/m", "F/L"},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.unit);
    EXPECT_EQ(UnitDisplayName(c.unit, kEnglish), c.english);
    EXPECT_EQ(UnitDisplayName(c.unit, kSI), c.si);
    EXPECT_EQ(UnitDisplayName(c.unit, kGeneric), c.generic);
    EXPECT_EQ(UnitEntryDisplayName(c.unit, kEnglish), c.english);
    EXPECT_EQ(UnitEntryDisplayName(c.unit, kSI), c.si);
  }
}

TEST(UnitNames, EntryRuleLeavesGenericSystemUnchanged) {
  EXPECT_EQ(UnitEntryDisplayName("F/L2^2", kGeneric), "F/L2^2");
  EXPECT_EQ(UnitEntryDisplayName("F4", kGeneric), "F4");
}

TEST(UnitNames, InsertedNamesAreNotReplacedAgain) {
  // The generic name of "F" is "F" itself: rescanning an inserted name would never end.
  EXPECT_EQ(UnitDisplayName("F2F2", kGeneric), "FF");
  EXPECT_EQ(UnitDisplayName("F4/L", kEnglish), "lb-sec2/in/in");
}

TEST(UnitNames, EntryRuleReplacesOnlyTheFirstCodedForceAndLength) {
  // Only one force and one length symbol: the first coded one found wins and a bare
  // letter beside it stays.
  EXPECT_EQ(UnitEntryDisplayName("F1/F", kEnglish), "kips/F");
  EXPECT_EQ(UnitEntryDisplayName("L2*L1", kSI), "m*L1");
  EXPECT_EQ(UnitEntryDisplayName("F6/F5", kEnglish), "slug/F5");
}

struct FactorCase {
  const char* unit;
  int from;
  int to;
  double factor;
};

TEST(UnitConversion, FactorsFollowTheFractionRule) {
  const double F = 224.8089237, F1 = 0.2248089237, F2 = 0.1124044745, F4 = 5.7101483,
               F6 = 68.364249, L = 39.37007874, L1 = 0.03937007874, L2 = 3.280839895;
  const FactorCase cases[] = {
      {"F/L2^2", kEnglish, kSI, L2 * L2 / F},
      {"F/L2^2", kSI, kEnglish, F / (L2 * L2)},
      {"F/L2^3", kEnglish, kSI, L2 * L2 * L2 / F},
      {"F/L^2", kEnglish, kSI, L * L / F},
      {"L2", kSI, kEnglish, L2},
      {"L2", kEnglish, kSI, 1 / L2},
      {"L1", kSI, kEnglish, L1},
      {"L", kSI, kEnglish, L},
      {"F", kSI, kEnglish, F},
      {"F1", kSI, kEnglish, F1},
      {"F2", kSI, kEnglish, F2},
      {"F4", kSI, kEnglish, F4},
      {"F6", kSI, kEnglish, F6},
      {"F0", kSI, kEnglish, F},
      {"L0", kSI, kEnglish, L},
      {"F5", kSI, kEnglish, 1.0},
      {"L3", kSI, kEnglish, 1.0},
      {"F1-L2", kSI, kEnglish, F1 * L2},   // force, separator, length
      {"F^2", kSI, kEnglish, F * F},       // power on the force term
      {"1/L2", kSI, kEnglish, 1 / L2},     // no force term in the numerator
      {"F3", kSI, kEnglish, F},            // 3 is no force code: a separator
      {"", kEnglish, kSI, 1.0},
      {"deg", kEnglish, kSI, 1.0},
      {"F/L2^2", kEnglish, kEnglish, 1.0},
      {"F/L2^2", kSI, kSI, 1.0},
      {"F/L2^2", kGeneric, kSI, 1.0},
      {"F/L2^2", kEnglish, kGeneric, 1.0},
  };
  for (const FactorCase& c : cases) {
    SCOPED_TRACE(std::string(c.unit) + " " + std::to_string(c.from) + "->" + std::to_string(c.to));
    EXPECT_NEAR(UnitConversionFactor(c.unit, c.from, c.to), c.factor, 1e-12 * c.factor);
  }
}

TEST(UnitConversion, WorkedExamples) {
  EXPECT_NEAR(UnitConversionFactor("F/L2^2", kEnglish, kSI), 0.0478802631, 5e-11);
  EXPECT_NEAR(UnitConversionFactor("L2", kSI, kEnglish), 3.280839895, 1e-15);
  EXPECT_NEAR(UnitConversionFactor("F/L^2", kEnglish, kSI), 6.8947579, 5e-8);
}

TEST(UnitConversion, RoundTripReturnsTheValue) {
  for (const char* unit : {"F/L2^3", "F/L2^2", "F4", "L1", "F1-L2", ""}) {
    SCOPED_TRACE(unit);
    double value = 123.456;
    double there = value * UnitConversionFactor(unit, kEnglish, kSI);
    double back = there * UnitConversionFactor(unit, kSI, kEnglish);
    EXPECT_NEAR(back, value, 1e-12 * value);
  }
}

}  // namespace
}  // namespace korva::project
