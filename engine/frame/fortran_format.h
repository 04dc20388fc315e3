// Fixed-column report text built from Fortran FORMAT notation.
//
// The engine's report writers describe each line layout with a FORMAT string
// such as "(3X,' (FT) ',7F9.2)" and hand the values over as a list of Arg.
// All numeric conversion is done with std::to_chars and hand-written digit
// code: no iostreams and no locale, so the text is identical under any LC_ALL.
//
// Rounding: F, E, D, G and list-directed reals are correctly rounded from the
// exact binary value of the double, with exact ties going to the even digit
// (what std::to_chars does). 2.0005 is stored as 2.000499999..., so F10.3
// writes "     2.000"; 0.125 is an exact tie, so F5.2 writes " 0.12".
//
// Errors: malformed formats, unsupported descriptors, wrong argument types
// and similar misuse are programming errors and throw std::logic_error.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korva::fmt {

// One value handed to a format: integer, real or text. Text arguments only
// refer to the caller's characters; they must outlive the format call (any
// temporary in the call expression does).
class Arg {
 public:
  enum class Kind : unsigned char { Integer, Real, Text };

  Arg(int v) noexcept : kind_(Kind::Integer), int_(v) {}
  Arg(long v) noexcept : kind_(Kind::Integer), int_(v) {}
  Arg(long long v) noexcept : kind_(Kind::Integer), int_(v) {}
  Arg(unsigned v) noexcept : kind_(Kind::Integer), int_(v) {}
  // Throws std::logic_error for values above the long long range.
  Arg(unsigned long v);
  Arg(unsigned long long v);
  Arg(double v) noexcept : kind_(Kind::Real), real_(v) {}
  Arg(float v) noexcept : kind_(Kind::Real), real_(v) {}
  Arg(const char* s) noexcept
      : kind_(Kind::Text), text_(s ? std::string_view(s) : std::string_view()) {}
  Arg(std::string_view s) noexcept : kind_(Kind::Text), text_(s) {}
  Arg(const std::string& s) noexcept : kind_(Kind::Text), text_(s) {}

  Kind kind() const noexcept { return kind_; }
  long long integer() const noexcept { return int_; }
  double real() const noexcept { return real_; }
  std::string_view text() const noexcept { return text_; }

 private:
  Kind kind_;
  long long int_ = 0;
  double real_ = 0.0;
  std::string_view text_;
};

// ---- Single edit descriptors; each returns exactly the field text ----------

// Iw / Iw.m: right-aligned integer, at least m digits (leading zeros).
// w = 0 is the minimal width (I0). Too wide: w asterisks.
std::string I(int w, long long v, int m = 0);

// Fw.d: fixed point with d decimals. The "0" before the point is dropped only
// when the field is too narrow for it; a value that rounds to zero carries no
// minus sign. w = 0 is the minimal width (F0.d). Too wide, NaN or infinity:
// w asterisks.
std::string F(int w, int d, double v);

// Ew.d (and Ew.dEe when e > 0): mantissa 0.ddd, letter E, signed exponent.
// With e = 0 the exponent has two digits, or three without the letter when
// it exceeds 99 ("0.123+100"). Zero (also -0.0) is written without a sign.
std::string E(int w, int d, double v, int e = 0);

// Dw.d: as Ew.d with the letter D.
std::string D(int w, int d, double v);

// Gw.d for reals: F editing with d significant digits followed by 4 blanks
// when 0.1 <= |v| < 10**d after rounding, E editing otherwise.
std::string G(int w, int d, double v);

// nX: n blanks.
std::string X(int n);

// A / Aw: the whole text (w < 0), or the text in w columns: cut to its first
// w characters when longer, right-aligned when shorter.
std::string A(std::string_view s, int w = -1);

// ---- Whole formats ---------------------------------------------------------------
//
// Supported items, separated by commas (optional between items, as Fortran
// allows) and blanks: nX, 'text', "text", nHtext, /, n/, :, groups r(...),
// and the data descriptors Iw, Iw.m, Fw.d, Ew.d, Ew.dEe, Dw.d, Gw.d, Gw.dEe,
// A, Aw with optional repeat counts (7F9.2). Letters may be lower case.
//
// Data descriptors take the arguments left to right. I needs an integer
// argument; F, E and D take reals or integers; A needs text; G takes any.
// When the arguments run out, output stops at the next data descriptor (or
// ':') or at the end of the format. When the format ends with arguments left,
// a new record starts at the last top-level group (with its repeat count), or
// at the start of the format if it has no group.

// Records are separated by '\n'; there is no trailing '\n'.
std::string format(std::string_view layout, std::initializer_list<Arg> args = {});
std::string format(std::string_view layout, std::span<const Arg> args);

// Same, appending each record as one line.
void format_lines(std::vector<std::string>& out, std::string_view layout,
                  std::initializer_list<Arg> args = {});
void format_lines(std::vector<std::string>& out, std::string_view layout,
                  std::span<const Arg> args);

// List-directed output of one record (WRITE(u,*) style): each item preceded by
// one blank; integers in plain decimal; text as is; reals with 7 significant
// digits, fixed for 0.1 <= |x| < 1e7 after rounding ("12.34500", "1234567.")
// and 0.ddddddd E form otherwise ("0.1234567E-01"); zero is "0.0000000E+00";
// NaN and infinities are "NaN", "Infinity", "-Infinity".
std::string list_directed(std::initializer_list<Arg> args);
std::string list_directed(std::span<const Arg> args);

}  // namespace korva::fmt
