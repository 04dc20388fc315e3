// The expression evaluator behind every numeric entry on arbitrary text, and the general
// number format on its result. An entry error (EAssignError) or arithmetic without a real
// result (EMathError) is the evaluator's answer to bad input; anything else is a finding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "evaluator.h"

using namespace korva::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  double value = 0;
  try {
    value = EvaluateExpression(text);
  } catch (const EAssignError&) {
    return 0;
  } catch (const EMathError&) {
    return 0;
  }
  // A value the evaluator hands out is a real number.
  if (!std::isfinite(value)) {
    std::fprintf(stderr, "EvaluateExpression gave %g\n", value);
    __builtin_trap();
  }
  // The general format reads back as a number; with 18 digits it gives the value exactly.
  for (int digits : {1, 8, 15, 18}) {
    const std::string formatted = FormatGeneral(value, digits);
    const std::optional<double> back = ParseDecimal(formatted);
    if (!back || (digits == 18 && *back != value)) {
      std::fprintf(stderr, "FormatGeneral(%.17g, %d) = \"%s\" does not read back\n", value,
                   digits, formatted.c_str());
      __builtin_trap();
    }
  }
  return 0;
}
