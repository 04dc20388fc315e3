// Texts of numbers at the edges of what a double holds, with what every number reader of
// the system (the entry evaluator, the token reader of project and plot files, the
// engine's list-directed reader) makes of them. Long digit strings and huge exponents must
// neither overflow the reader's own arithmetic nor give a wrong value.
#pragma once

#include <cmath>
#include <string>
#include <vector>

namespace korva::test_data {

struct NumberText {
  enum Kind { kValue, kTooLarge, kNotANumber };
  std::string text;
  Kind kind;
  double value = 0;  // kValue: the value; kTooLarge: its sign (+1 or -1)
};

inline std::vector<NumberText> EdgeNumberTexts() {
  const std::string zeros(400, '0');
  return {
      // Found by fuzzing: the digit count plus this exponent overflowed a long long.
      {"10e00000000000000000000000000000000000000009223372036854775806", NumberText::kTooLarge, 1},
      {"-10e00000000000000000000000000000000000000009223372036854775806", NumberText::kTooLarge, -1},
      {"10e-00000000000000000000000000000000000000009223372036854775806", NumberText::kValue, 0},
      // Exponents at and beyond the 64-bit range, both signs.
      {"1e9223372036854775807", NumberText::kTooLarge, 1},
      {"1e9223372036854775808", NumberText::kTooLarge, 1},
      {"1e99999999999999999999999999999999999999", NumberText::kTooLarge, 1},
      {"1e-9223372036854775808", NumberText::kValue, 0},
      {"-1e-99999999999999999999999999999999999999", NumberText::kValue, -0.0},
      {"0.000001e99999999999999999999", NumberText::kTooLarge, 1},
      {"0e99999999999999999999999999", NumberText::kValue, 0},
      // The largest exponents a double has, and just beyond them.
      {"1.7976931348623157e308", NumberText::kValue, 1.7976931348623157e308},
      {"1.8e308", NumberText::kTooLarge, 1},
      {"-1e400", NumberText::kTooLarge, -1},
      {"1e-400", NumberText::kValue, 0},
      {"4.9e-324", NumberText::kValue, 4.9e-324},
      // Many leading zeros in the mantissa and in the exponent.
      {zeros + "1.5e2", NumberText::kValue, 150},
      {"0." + zeros + "1e400", NumberText::kValue, 0.1},
      {"0." + zeros + "1e" + zeros + "402", NumberText::kValue, 10},
      {"1" + zeros + "e-100", NumberText::kValue, 1e300},
      {"1" + zeros + "e-" + zeros + "390", NumberText::kValue, 1e10},
      {"1e" + zeros + "2", NumberText::kValue, 100},
      {std::string(400, '9'), NumberText::kTooLarge, 1},
      // A sign, a point or an exponent without digits.
      {"+", NumberText::kNotANumber},
      {"-", NumberText::kNotANumber},
      {"-.", NumberText::kNotANumber},
      {"+e5", NumberText::kNotANumber},
      {"-.e5", NumberText::kNotANumber},
      {"1e", NumberText::kNotANumber},
      {"1e+", NumberText::kNotANumber},
      {"1e-" + zeros, NumberText::kValue, 1},
  };
}

}  // namespace korva::test_data
