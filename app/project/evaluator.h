// The expression evaluator behind every numeric entry: arithmetic, comparison and logic
// operators, functions, constants, factorial and hexadecimal operands.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korva::project {

// An entry that cannot be taken as a value; the message is shown to the user as it stands
// ("\r" separates its lines).
class EAssignError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Arithmetic that has no real result: a division by zero, an overflow, the logarithm of 0.
// Not an entry error: the program reports it as an error of the calculation.
class EMathError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Evaluates an entry; throws EAssignError with the evaluator's messages, EMathError for
// arithmetic without a real result. Numbers are read
// with "." as the decimal separator whatever the locale.
double EvaluateExpression(std::string_view text);

// Evaluates one operand (number, constant, function application, factorial, hex).
double EvaluateOperand(std::string_view operand);

// A decimal number with "." as separator, optional sign and exponent ("1.5", "-.5",
// "1E-5"); the whole text must convert. Values beyond the range of a double become
// infinity or 0; "inf" and "nan" are not numbers. Locale-independent.
std::optional<double> ParseDecimal(std::string_view text);

// A real in general format with `digits` significant digits and "." as decimal separator:
// no trailing zeros, exponent only where the general format needs one ("2.5", "0.00001",
// "1E-6", "1.2345679E8", "-3"). The project file and the tables use 8 digits.
std::string FormatGeneral(double value, int digits = 8);

}  // namespace korva::project
