// Range of a decimal number's text: whether a number that does not fit a double is too
// large or too small. Shared by the engine's list-directed reader and the program's number
// reader, so that both give the same answer for the same text.
#pragma once

#include <cstddef>
#include <string_view>

namespace korva {

namespace decimal_detail {

// Decimal magnitudes are kept within +-kBound: far beyond any double (whose decimal
// exponents lie within -324..308), yet the sum of two of them stays far inside a long long
// whatever the length of the digit strings or the value of the exponent.
inline constexpr long long kBound = 1LL << 40;

inline constexpr long long Saturated(std::size_t count) {
  return count > static_cast<std::size_t>(kBound) ? kBound : static_cast<long long>(count);
}

// The value of an exponent (optional sign, then digits), saturated at +-kBound; leading
// zeros do not count, and reading stops at the first character that is not a digit.
inline constexpr long long SaturatedExponent(std::string_view exponent) {
  bool negative = false;
  if (!exponent.empty() && (exponent[0] == '-' || exponent[0] == '+')) {
    negative = exponent[0] == '-';
    exponent.remove_prefix(1);
  }
  long long value = 0;
  for (char c : exponent) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value >= kBound) return negative ? -kBound : kBound;
  }
  return negative ? -value : value;
}

}  // namespace decimal_detail

// For the text of a decimal number without its sign ("123.45E-6"; the exponent letter may
// be "e" or "E") whose value a double cannot represent: whether it is too large (true)
// rather than too small (false). The position of the first significant digit plus the
// exponent decides; no arithmetic on the digit count or the exponent can overflow.
inline constexpr bool DecimalOverflows(std::string_view digits) {
  using decimal_detail::Saturated;
  const std::size_t e = digits.find_first_of("eE");
  const std::string_view mantissa = digits.substr(0, e);
  long long magnitude = 0;
  const std::size_t point = mantissa.find('.');
  const std::string_view whole = mantissa.substr(0, point);
  const std::size_t first = whole.find_first_not_of('0');
  if (first != std::string_view::npos) {
    magnitude = Saturated(whole.size() - first);
  } else if (point != std::string_view::npos) {
    const std::string_view fraction = mantissa.substr(point + 1);
    const std::size_t nonzero = fraction.find_first_not_of('0');
    magnitude = -Saturated(nonzero == std::string_view::npos ? fraction.size() : nonzero);
  }
  if (e != std::string_view::npos) magnitude += decimal_detail::SaturatedExponent(digits.substr(e + 1));
  return magnitude > 0;
}

}  // namespace korva
