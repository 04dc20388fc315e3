// Expression evaluator of the numeric entries and the general number format.
//
// The evaluator works on text: every intermediate result (a parenthesised part, each
// reduced operator) is put back into the expression as a number in general format with
// 18 significant digits, which reproduces a double exactly. Parentheses are resolved with
// an explicit stack and operands are reduced pass by pass, so neither deep nesting nor a
// long chain of function names or "!" uses the call stack.
#include "evaluator.h"

#include "frame/decimal_magnitude.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace korva::project {
namespace {

constexpr double kPi = 3.1415926535897932385;
constexpr double kE = 2.71828182845904523536;

[[noreturn]] void Fail(std::string_view reason) {
  std::string message = "Entry could not be evaluated:\r";
  message += reason;
  throw EAssignError(message);
}

constexpr std::string_view kBlank = "entry cannot be blank";
constexpr std::string_view kParentheses = "() (parentheses) do not match";
constexpr std::string_view kInvalidExpression = "invalid expression";
constexpr std::string_view kFactorial = "! (factoral) applicable to integers only";
constexpr std::string_view kHex = "invalid use of $ (hex function)";
constexpr std::string_view kInvalidCharacters = "invalid character(s) in expression";

// Names are tried in this order; a longer name comes before its prefix ("arctanh"
// before "arctan", "cosh" before "cos").
enum class Function {
  kArcTanH, kArcTan, kCotan, kTanH, kTan, kArcCosH, kArcCos, kCosH, kCos, kSec,
  kArcSinH, kArcSin, kSinH, kSin, kCsc, kAbs, kFrac, kInt, kLn, kRound, kCeil,
  kFloor, kLog, kSqrt
};

struct FunctionName {
  std::string_view name;
  Function function;
};

constexpr std::array<FunctionName, 24> kFunctions = {{
    {"arctanh", Function::kArcTanH}, {"arctan", Function::kArcTan},
    {"cotan", Function::kCotan},     {"tanh", Function::kTanH},
    {"tan", Function::kTan},         {"arccosh", Function::kArcCosH},
    {"arccos", Function::kArcCos},   {"cosh", Function::kCosH},
    {"cos", Function::kCos},         {"sec", Function::kSec},
    {"arcsinh", Function::kArcSinH}, {"arcsin", Function::kArcSin},
    {"sinh", Function::kSinH},       {"sin", Function::kSin},
    {"csc", Function::kCsc},         {"abs", Function::kAbs},
    {"frac", Function::kFrac},       {"int", Function::kInt},
    {"ln", Function::kLn},           {"round", Function::kRound},
    {"ceil", Function::kCeil},       {"floor", Function::kFloor},
    {"log", Function::kLog},         {"sqrt", Function::kSqrt},
}};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Round to the nearest integer, an exact half to the even neighbour.
double RoundHalfEven(double x) {
  if (!std::isfinite(x)) return x;
  double floor = std::floor(x);
  double rest = x - floor;
  if (rest < 0.5) return floor;
  if (rest > 0.5) return floor + 1.0;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

double Apply(Function function, double x) {
  switch (function) {
    case Function::kArcTanH: return std::atanh(x);
    case Function::kArcTan: return std::atan(x);
    case Function::kCotan: return std::cos(x) / std::sin(x);
    case Function::kTanH: return std::tanh(x);
    case Function::kTan: return std::tan(x);
    case Function::kArcCosH: return std::acosh(x);
    case Function::kArcCos: return std::acos(x);
    case Function::kCosH: return std::cosh(x);
    case Function::kCos: return std::cos(x);
    case Function::kSec: return 1.0 / std::cos(x);
    case Function::kArcSinH: return std::asinh(x);
    case Function::kArcSin: return std::asin(x);
    case Function::kSinH: return std::sinh(x);
    case Function::kSin: return std::sin(x);
    case Function::kCsc: return 1.0 / std::sin(x);
    case Function::kAbs: return std::fabs(x);
    case Function::kFrac: return x - std::trunc(x);
    case Function::kInt: return std::trunc(x);
    case Function::kLn: return std::log(x);
    case Function::kRound: return RoundHalfEven(x);
    case Function::kCeil: return std::ceil(x);
    case Function::kFloor: return std::floor(x);
    case Function::kLog: return std::log10(x);
    case Function::kSqrt: return std::sqrt(x);
  }
  return x;
}

const FunctionName* LeadingFunction(std::string_view operand) {
  for (const FunctionName& f : kFunctions) {
    if (operand.size() >= f.name.size() && EqualsNoCase(operand.substr(0, f.name.size()), f.name)) {
      return &f;
    }
  }
  return nullptr;
}

}  // namespace

std::optional<double> ParseDecimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || !(IsDigit(text[0]) || text[0] == '.')) return std::nullopt;
  double value = 0.0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
  if (ptr != end) return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    value = DecimalOverflows(text) ? HUGE_VAL : 0.0;
  } else if (ec != std::errc()) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

namespace {

// "$" followed by up to 16 hexadecimal digits.
std::optional<double> ParseHex(std::string_view digits) {
  if (digits.empty() || digits.size() > 16) return std::nullopt;
  std::uint64_t value = 0;
  const char* end = digits.data() + digits.size();
  auto [ptr, ec] = std::from_chars(digits.data(), end, value, 16);
  if (ptr != end || ec != std::errc()) return std::nullopt;
  return static_cast<double>(value);
}

// |x|·(|x|-1)·...·1 with the sign of x; stops once the product has overflowed.
double Factorial(double x) {
  if (!std::isfinite(x) || x != std::trunc(x)) Fail(kFactorial);
  double n = std::fabs(x);
  double product = 1.0;
  for (double k = n; k > 1.0 && std::isfinite(product); k -= 1.0) product *= k;
  return x < 0 ? -product : product;
}

// An operand that is neither a constant nor begins with a function name: factorial,
// hexadecimal or decimal number. `operand` is free of "--" and in lower case.
double EvaluatePlainOperand(std::string_view operand) {
  std::size_t factorials = 0;
  while (!operand.empty() && operand.back() == '!') {
    operand.remove_suffix(1);
    ++factorials;
  }
  double value = 0.0;
  if (factorials > 0 && (operand == "pi" || operand == "-pi")) {
    value = operand[0] == '-' ? -kPi : kPi;
  } else if (factorials > 0 && (operand == "e" || operand == "-e")) {
    value = operand[0] == '-' ? -kE : kE;
  } else if (!operand.empty() && operand[0] == '$') {
    std::optional<double> hex = ParseHex(operand.substr(1));
    if (!hex) Fail(kHex);
    value = *hex;
  } else {
    std::optional<double> number = ParseDecimal(operand);
    if (!number) Fail(kInvalidCharacters);
    value = *number;
  }
  for (std::size_t i = 0; i < factorials; ++i) value = Factorial(value);
  return value;
}

bool IsOperator(char c) {
  switch (c) {
    case '^': case '*': case '/': case '%': case '&': case '+': case '-': case '|': case '=':
      return true;
    default:
      return false;
  }
}

// A "-" that belongs to its operand rather than subtracting.
bool IsUnaryMinus(std::string_view text, std::size_t i) {
  if (i == 0) return true;
  std::string_view before = text.substr(0, i);
  if (before == "!" || before == "$") return true;
  if (before.size() <= 7) {  // the longest function name
    for (const FunctionName& f : kFunctions) {
      if (EqualsNoCase(before, f.name)) return true;
    }
  }
  switch (text[i - 1]) {
    case '%': case '&': case '*': case '+': case '/': case '=': case 'E': case '^': case 'e':
    case '|': case '~':
      return true;
    default:
      return false;
  }
}

std::int64_t TruncateToInt64(double x) {
  // 2^63 is the first value above the range; NaN fails both comparisons.
  if (!(x >= -9223372036854775808.0 && x < 9223372036854775808.0)) Fail(kInvalidExpression);
  return static_cast<std::int64_t>(x);
}

double ReduceRaw(double a, char op, double b);

// Arithmetic that leaves the real numbers (a division by zero, the logarithm of 0, an
// overflow) is an error of its own, not a value: the program reports it and stores nothing.
double Checked(double r, char op, double b) {
  if (std::isfinite(r)) return r;
  if (op == '/' && b == 0) throw EMathError("Floating point division by zero");
  if (std::isnan(r)) throw EMathError("Invalid floating point operation");
  throw EMathError("Floating point overflow");
}

double Reduce(double a, char op, double b) { return Checked(ReduceRaw(a, op, b), op, b); }

double ReduceRaw(double a, char op, double b) {
  switch (op) {
    case '^': return std::pow(a, b);
    case '*': return a * b;
    case '/': return a / b;
    case '%': {
      std::int64_t dividend = TruncateToInt64(a);
      std::int64_t divisor = TruncateToInt64(b);
      if (divisor == 0) Fail(kInvalidExpression);
      if (divisor == -1) return 0.0;  // INT64_MIN % -1 overflows
      return static_cast<double>(dividend % divisor);
    }
    case '&': return (a != 0.0 && b != 0.0) ? 1.0 : 0.0;
    case '+': return a + b;
    case '-': return a - b;
    case '|': return (a != 0.0 || b != 0.0) ? 1.0 : 0.0;
    case '=': return a == b ? 1.0 : 0.0;
    default: return 0.0;
  }
}

bool InPass(char op, int pass) {
  switch (pass) {
    case 0: return op == '^';
    case 1: return op == '*' || op == '/' || op == '%' || op == '&';
    case 2: return op == '+' || op == '-' || op == '|';
    default: return op == '=';
  }
}

// Evaluates text free of blanks and parentheses pairs.
double EvaluateFlat(std::string_view text) {
  std::vector<std::string> operands;
  std::vector<char> operators;
  std::string current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (IsOperator(c) && !(c == '-' && IsUnaryMinus(text, i))) {
      operands.push_back(std::move(current));
      current.clear();
      operators.push_back(c);
    } else {
      current += c;
    }
  }
  if (!current.empty()) operands.push_back(std::move(current));
  if (operands.size() != operators.size() + 1) Fail(kInvalidExpression);

  // Four passes, each left to right; a reduction replaces "a op b" by its result.
  for (int pass = 0; pass < 4; ++pass) {
    std::vector<std::string> kept_operands;
    std::vector<char> kept_operators;
    kept_operands.reserve(operands.size());
    kept_operators.reserve(operators.size());
    kept_operands.push_back(std::move(operands[0]));
    for (std::size_t i = 0; i < operators.size(); ++i) {
      if (InPass(operators[i], pass)) {
        double a = EvaluateOperand(kept_operands.back());
        double b = EvaluateOperand(operands[i + 1]);
        kept_operands.back() = FormatGeneral(Reduce(a, operators[i], b), 18);
      } else {
        kept_operators.push_back(operators[i]);
        kept_operands.push_back(std::move(operands[i + 1]));
      }
    }
    operands = std::move(kept_operands);
    operators = std::move(kept_operators);
  }
  return EvaluateOperand(operands[0]);
}

}  // namespace

double EvaluateExpression(std::string_view text) {
  if (text.empty()) Fail(kBlank);

  // Parentheses, innermost first: each ")" closes the last "(" still open before it, the
  // part between them is evaluated and its result replaces the parenthesised text.
  std::string out;
  out.reserve(text.size());
  std::vector<std::size_t> open;
  for (char c : text) {
    if (c == ' ' || c == '\t') continue;
    if (c == '(') {
      open.push_back(out.size());
      out += c;
    } else if (c == ')') {
      if (open.empty()) Fail(kParentheses);
      std::size_t start = open.back();
      open.pop_back();
      std::string_view inner(out.data() + start + 1, out.size() - start - 1);
      if (inner.empty()) Fail(kBlank);
      std::string value = FormatGeneral(EvaluateFlat(inner), 18);
      out.resize(start);
      out += value;
    } else {
      out += c;
    }
  }
  return EvaluateFlat(out);
}

double EvaluateOperand(std::string_view operand) {
  // A double minus cancels.
  std::string text;
  text.reserve(operand.size());
  for (std::size_t i = 0; i < operand.size(); ++i) {
    if (operand[i] == '-' && i + 1 < operand.size() && operand[i + 1] == '-') {
      ++i;
      continue;
    }
    text += Lower(operand[i]);
  }

  // Function names in front apply to the rest of the operand, the innermost first.
  std::vector<Function> functions;
  std::string_view rest = text;
  double value = 0.0;
  for (;;) {
    if (rest == "pi" || rest == "-pi") {
      value = rest[0] == '-' ? -kPi : kPi;
      break;
    }
    if (rest == "e" || rest == "-e") {
      value = rest[0] == '-' ? -kE : kE;
      break;
    }
    if (const FunctionName* f = LeadingFunction(rest)) {
      functions.push_back(f->function);
      rest.remove_prefix(f->name.size());
      continue;
    }
    value = EvaluatePlainOperand(rest);
    break;
  }
  for (auto it = functions.rbegin(); it != functions.rend(); ++it) value = Checked(Apply(*it, value), 0, 1);
  return Checked(value, 0, 1);
}

std::string FormatGeneral(double value, int digits) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0.0) return "0";
  if (digits < 1) digits = 1;
  if (digits > 40) digits = 40;

  // Correctly rounded mantissa digits and decimal exponent: "d.ddde+x".
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                 std::chars_format::scientific, digits - 1);
  (void)ec;
  std::string_view scientific(buffer, static_cast<std::size_t>(end - buffer));
  std::size_t e = scientific.find('e');
  std::string mantissa;
  for (char c : scientific.substr(0, e)) {
    if (c != '.') mantissa += c;
  }
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  int exponent = 0;
  std::string_view exponent_text = scientific.substr(e + 1);
  if (!exponent_text.empty() && exponent_text[0] == '+') exponent_text.remove_prefix(1);
  std::from_chars(exponent_text.data(), exponent_text.data() + exponent_text.size(), exponent);

  std::string result = value < 0 ? "-" : "";
  if (exponent >= -5 && exponent < digits) {
    if (exponent < 0) {
      result += "0.";
      result.append(static_cast<std::size_t>(-exponent - 1), '0');
      result += mantissa;
    } else {
      std::size_t whole = static_cast<std::size_t>(exponent) + 1;
      if (mantissa.size() <= whole) {
        result += mantissa;
        result.append(whole - mantissa.size(), '0');
      } else {
        result.append(mantissa, 0, whole);
        result += '.';
        result.append(mantissa, whole, std::string::npos);
      }
    }
  } else {
    result += mantissa[0];
    if (mantissa.size() > 1) {
      result += '.';
      result.append(mantissa, 1, std::string::npos);
    }
    result += 'E';
    char exponent_buffer[16];
    auto [exponent_end, exponent_ec] =
        std::to_chars(exponent_buffer, exponent_buffer + sizeof exponent_buffer, exponent);
    (void)exponent_ec;
    result.append(exponent_buffer, exponent_end);
  }
  return result;
}

}  // namespace korva::project
