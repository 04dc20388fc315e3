#include "evaluator.h"

#include "common/number_texts.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace korva::project {
namespace {

const std::string kBlank = "Entry could not be evaluated:\rentry cannot be blank";
const std::string kParentheses = "Entry could not be evaluated:\r() (parentheses) do not match";
const std::string kInvalidExpression = "Entry could not be evaluated:\rinvalid expression";
const std::string kFactorial =
    "Entry could not be evaluated:\r! (factoral) applicable to integers only";
const std::string kHex = "Entry could not be evaluated:\rinvalid use of $ (hex function)";
const std::string kInvalidCharacters =
    "Entry could not be evaluated:\rinvalid character(s) in expression";

std::string ErrorOf(const std::string& entry) {
  try {
    EvaluateExpression(entry);
  } catch (const EAssignError& e) {
    return e.what();
  } catch (const EMathError& e) {
    return std::string("math: ") + e.what();
  }
  return "(no error)";
}

struct ValueCase {
  const char* entry;
  double value;
};

void ExpectValues(std::initializer_list<ValueCase> cases) {
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.entry);
    double value = 0;
    ASSERT_NO_THROW(value = EvaluateExpression(c.entry));
    EXPECT_NEAR(value, c.value, 1e-12 * std::max(1.0, std::fabs(c.value)));
  }
}

TEST(EvaluateExpression, OperatorsPrecedenceAndParentheses) {
  ExpectValues({
      {"2+3*4", 14},
      {"(2+3)*4", 20},
      {"2^3^2", 64},       // left to right
      {"-2^2", 4},         // the unary minus belongs to the operand
      {"2^-1", 0.5},
      {"2*-3", -6},
      {"8/2/2", 2},
      {"2-3-4", -5},
      {"10%3", 1},
      {"-7%2", -1},        // sign of the dividend
      {"7.9%2", 1},        // operands truncated
      {"10%3*2", 2},
      {"1&0", 0},
      {"1&2", 1},
      {"1|0", 1},
      {"0|0", 0},
      {"0|1&0", 0},        // "&" before "|"
      {"3=3", 1},
      {"1+1=2", 1},        // "=" last
      {"2=2=2", 0},        // (2=2)=2
      {" 2 +\t3 ", 5},
      {"((2))", 2},
      {"(((1+2)*3)-4)", 5},
      {"(0-3)^2", 9},      // "-3^2" once the result is back in the text
      {"2*(1-3)", -4},
      {"2(3)", 23},        // the result is put back as text
      {"1E-5", 1e-5},
      {"1e5*2", 2e5},
      {".5+1", 1.5},
  });
}

TEST(EvaluateExpression, FunctionsConstantsFactorialAndHex) {
  ExpectValues({
      {"sqrt16+1", 5},
      {"SQRT16", 4},
      {"sin(pi/2)", 1},
      {"sin(-pi/2)", -1},  // "-" right after a leading function name is unary
      {"abs-2", 2},
      {"sqrtsqrt16", 2},
      {"pi", 3.14159265358979323846},
      {"-PI", -3.14159265358979323846},
      {"e", 2.71828182845904523536},
      {"-e", -2.71828182845904523536},
      {"ln(e)", 1},
      {"arctanh0.5", std::atanh(0.5)},
      {"arctan1", std::atan(1.0)},
      {"cotan1", 1 / std::tan(1.0)},
      {"tanh1", std::tanh(1.0)},
      {"tan1", std::tan(1.0)},
      {"arccosh2", std::acosh(2.0)},
      {"arccos0.5", std::acos(0.5)},
      {"cosh1", std::cosh(1.0)},
      {"cos1", std::cos(1.0)},
      {"sec1", 1 / std::cos(1.0)},
      {"arcsinh1", std::asinh(1.0)},
      {"arcsin0.5", std::asin(0.5)},
      {"sinh1", std::sinh(1.0)},
      {"sin1", std::sin(1.0)},
      {"csc1", 1 / std::sin(1.0)},
      {"frac2.75", 0.75},
      {"frac-2.75", -0.75},
      {"int-2.75", -2},
      {"round2.5", 2},     // halves to the even neighbour
      {"round3.5", 4},
      {"round-2.5", -2},
      {"round2.6", 3},
      {"ceil1.2", 2},
      {"floor-1.2", -2},
      {"log1000", 3},
      {"sqrt2.25", 1.5},
      {"5!", 120},
      {"0!", 1},
      {"-3!", -6},
      {"3!!", 720},
      {"(2+1)!", 6},
      {"5!+1", 121},
      {"sin0!", std::sin(1.0)},
      {"$10", 16},
      {"$1F", 31},
      {"$ff", 255},
      {"$5!", 120},
  });
}

TEST(EvaluateExpression, FailuresCarryTheEvaluatorMessages) {
  const struct {
    const char* entry;
    const std::string& message;
  } cases[] = {
      {"", kBlank},
      {"()", kBlank},
      {"2*()", kBlank},
      {"2+", kInvalidExpression},
      {"   ", kInvalidExpression},
      {"(2+3", kInvalidCharacters},
      {"2+3)", kParentheses},
      {")(", kParentheses},
      {"e-1", kInvalidCharacters},   // the minus after "e" is unary: one operand "e-1"
      {"5--3", kInvalidCharacters},  // an empty operand between the two minus signs
      {"2-(0-3)", kInvalidCharacters},
      {"*2", kInvalidCharacters},
      {"2**3", kInvalidCharacters},
      {"1E+5", kInvalidCharacters},  // "+" always splits
      {"abc", kInvalidCharacters},
      {"1,5", kInvalidCharacters},
      {"sin", kInvalidCharacters},
      {"cosec1", kInvalidCharacters},  // "cos" of "ec1"
      {"infinity", kInvalidCharacters},
      {"2.5!", kFactorial},
      {"-0.5!", kFactorial},
      {"pi!", kFactorial},
      {"(1/0)!", "math: Floating point division by zero"},
      {"$", kHex},
      {"$G", kHex},
      {"$-1", kHex},
      {"$12345678901234567", kHex},  // more than 64 bits
      {"5%0", kInvalidExpression},
      {"5%0.5", kInvalidExpression},   // divisor truncates to 0
      {"1E19%2", kInvalidExpression},  // outside the 64-bit range
      {"2%-1E19", kInvalidExpression},
      {"(0/0)%2", "math: Floating point division by zero"},
      {"(1/0)%2", "math: Floating point division by zero"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    EXPECT_EQ(ErrorOf(c.entry), c.message);
  }
}

TEST(EvaluateExpression, ModuloAtTheEdgesOfTheIntegerRange) {
  EXPECT_EQ(EvaluateExpression("-9223372036854775808%-1"), 0.0);
  EXPECT_EQ(EvaluateExpression("-9223372036854775808%7"), -1.0);
  EXPECT_EQ(EvaluateExpression("9223372036854774784%10"), 4.0);
}

// Arithmetic without a real result is reported as such, never stored as a value.
TEST(EvaluateExpression, ArithmeticWithoutARealResultIsAnError) {
  EXPECT_EQ(ErrorOf("1/0"), "math: Floating point division by zero");
  EXPECT_EQ(ErrorOf("-1/0"), "math: Floating point division by zero");
  EXPECT_EQ(ErrorOf("0/0"), "math: Floating point division by zero");
  EXPECT_EQ(ErrorOf("ln0"), "math: Floating point overflow");
  EXPECT_EQ(ErrorOf("sqrt(0-1)"), "math: Invalid floating point operation");
  EXPECT_EQ(ErrorOf("170!*1000!"), "math: Floating point overflow");
  EXPECT_EQ(ErrorOf("1E999"), "math: Floating point overflow");
}

// Numbers beyond a double read as infinity (an entry then overflows), numbers too small
// as zero, and the reader's own arithmetic on long digit strings and exponents never
// overflows.
TEST(ParseDecimal, NumbersAtTheEdgesOfTheRange) {
  for (const test_data::NumberText& c : test_data::EdgeNumberTexts()) {
    SCOPED_TRACE(c.text.substr(0, 80));
    const std::optional<double> parsed = ParseDecimal(c.text);
    switch (c.kind) {
      case test_data::NumberText::kValue:
        ASSERT_TRUE(parsed);
        EXPECT_EQ(*parsed, c.value);
        EXPECT_EQ(EvaluateExpression(c.text), c.value);
        break;
      case test_data::NumberText::kTooLarge:
        ASSERT_TRUE(parsed);
        EXPECT_EQ(*parsed, c.value * HUGE_VAL);
        EXPECT_EQ(ErrorOf(c.text), "math: Floating point overflow");
        break;
      case test_data::NumberText::kNotANumber:
        EXPECT_FALSE(parsed);
        EXPECT_EQ(ErrorOf(c.text).rfind("Entry could not be evaluated:\r", 0), 0u) << ErrorOf(c.text);
        break;
    }
  }
}

TEST(EvaluateExpression, HostileEntriesDoNotExhaustTheStack) {
  const std::size_t depth = 100000;
  EXPECT_EQ(EvaluateExpression(std::string(depth, '(') + "1+1" + std::string(depth, ')')), 2.0);
  EXPECT_EQ(ErrorOf(std::string(depth, '(') + "1"), kInvalidCharacters);
  EXPECT_EQ(ErrorOf(std::string(depth, ')')), kParentheses);

  std::string functions;
  for (std::size_t i = 0; i < depth; ++i) functions += "abs";
  EXPECT_EQ(EvaluateExpression(functions + "2"), 2.0);
  EXPECT_EQ(EvaluateExpression("1" + std::string(depth, '!')), 1.0);
  // 720! overflows; the factorial of that is no integer.
  EXPECT_EQ(ErrorOf("3" + std::string(depth, '!')), kFactorial);

  std::string sum = "1";
  for (std::size_t i = 0; i < depth; ++i) sum += "+1";
  EXPECT_EQ(EvaluateExpression(sum), static_cast<double>(depth + 1));
  EXPECT_EQ(ErrorOf(std::string(depth, '-') + "1"), kInvalidCharacters);
  EXPECT_EQ(ErrorOf(std::string(1 << 20, '9') + "%2"), "math: Floating point overflow");
}

TEST(EvaluateOperand, ReadsOneOperand) {
  EXPECT_EQ(EvaluateOperand("--3"), 3.0);  // a double minus cancels
  EXPECT_EQ(EvaluateOperand("---3"), -3.0);
  EXPECT_EQ(EvaluateOperand("ABS-4"), 4.0);
  EXPECT_EQ(EvaluateOperand("$FF"), 255.0);
  EXPECT_THROW(EvaluateOperand("1e400"), EMathError);
  EXPECT_EQ(EvaluateOperand("1e-400"), 0.0);
  EXPECT_THROW(EvaluateOperand(""), EAssignError);
  EXPECT_THROW(EvaluateOperand("2+3"), EAssignError);
}

TEST(EvaluateExpression, DecimalPointWhateverTheLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8")) {
    GTEST_SKIP() << "no German locale installed";
  }
  EXPECT_EQ(EvaluateExpression("2.5*2"), 5.0);
  EXPECT_EQ(ErrorOf("2,5"), kInvalidCharacters);
  EXPECT_EQ(FormatGeneral(2.5), "2.5");
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(FormatGeneral, FixedOrScientificCorrectlyRounded) {
  const struct {
    double value;
    int digits;
    const char* text;
  } cases[] = {
      {2.5, 8, "2.5"},
      {0.1, 8, "0.1"},
      {0.00001, 8, "0.00001"},
      {0.000015, 8, "0.000015"},
      {1e-6, 8, "1E-6"},
      {-1.5e-7, 8, "-1.5E-7"},
      {123456789, 8, "1.2345679E8"},
      {12345678, 8, "12345678"},
      {99999999.7, 8, "1E8"},           // rounding adds a digit before the point
      {0.00000999999999, 8, "0.00001"},  // rounding lifts it to the fixed range
      {-3, 8, "-3"},
      {0, 8, "0"},
      {-0.0, 8, "0"},
      {100, 8, "100"},
      {1e100, 8, "1E100"},
      {5e-324, 8, "4.9406565E-324"},
      {123.456, 4, "123.5"},
      {12346, 4, "1.235E4"},
      {1.0 / 3.0, 18, "0.333333333333333315"},
      {0.1, 18, "0.100000000000000006"},
      {1e17, 18, "100000000000000000"},
      {1e18, 18, "1E18"},
      {std::numeric_limits<double>::infinity(), 8, "INF"},
      {-std::numeric_limits<double>::infinity(), 8, "-INF"},
      {std::numeric_limits<double>::quiet_NaN(), 8, "NAN"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatGeneral(c.value, c.digits), c.text);
  }
  EXPECT_EQ(FormatGeneral(2.5), "2.5");  // 8 digits by default
}

TEST(FormatGeneral, EighteenDigitsReadBackExactly) {
  for (double value : {1.0 / 3.0, -2.0 / 7.0, 1e-300, 6.02214076e23, 0.1 + 0.2, 1e-5 - 1e-20,
                       9007199254740993.0, -1.7976931348623157e308}) {
    SCOPED_TRACE(FormatGeneral(value, 18));
    EXPECT_EQ(EvaluateExpression(FormatGeneral(value, 18)), value);
  }
}

}  // namespace
}  // namespace korva::project
