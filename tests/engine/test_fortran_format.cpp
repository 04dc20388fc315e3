#include "frame/fortran_format.h"

#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <clocale>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace korva::fmt;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// ---- Single edit descriptors -----------------------------------------------

struct IntCase {
  int w;
  long long v;
  int m;
  const char* expected;
};

TEST(FortranFormatDescriptors, Integer) {
  const IntCase cases[] = {
      {5, 42, 0, "   42"},
      {5, -42, 0, "  -42"},
      {1, 0, 0, "0"},
      {2, 5, 2, "05"},
      {4, -7, 3, "-007"},
      {3, 1000, 0, "***"},  // too wide
      {3, -100, 0, "***"},  // the sign needs a column too
      {3, -99, 0, "-99"},
      {3, 1000, 3, "***"},
      {0, -123, 0, "-123"},  // I0: minimal width
      {20, LLONG_MIN, 0, "-9223372036854775808"},
      {19, LLONG_MIN, 0, "*******************"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(I(c.w, c.v, c.m), c.expected) << "I" << c.w << "." << c.m << " of " << c.v;
}

struct RealCase {
  int w;
  int d;
  double v;
  const char* expected;
};

TEST(FortranFormatDescriptors, Fixed) {
  const RealCase cases[] = {
      {9, 2, 1234.567, "  1234.57"},
      // Rounding follows the exact binary value: 2.0005 is stored slightly
      // above the tie, 2.675 slightly below it.
      {10, 3, 2.0005, "     2.001"},
      {5, 2, 2.675, " 2.67"},
      // Exact binary ties go to the even digit.
      {6, 3, 0.0625, " 0.062"},
      {6, 3, 0.1875, " 0.188"},
      {5, 2, 0.125, " 0.12"},
      {4, 0, 2.5, "  2."},
      {4, 0, 3.5, "  4."},
      // Leading zero only when there is room for it.
      {10, 3, 0.5, "     0.500"},
      {4, 3, 0.5, ".500"},
      {6, 3, -0.5, "-0.500"},
      {5, 3, -0.5, "-.500"},
      {4, 3, -0.5, "****"},
      // A value that rounds to zero has no minus sign.
      {6, 2, -0.004, "  0.00"},
      {6, 2, -0.0, "  0.00"},
      {6, 2, -0.005, " -0.01"},  // stored just beyond -0.005
      {5, 0, 12.0, "  12."},
      {3, 0, -0.4, " 0."},
      {2, 0, 0.4, "0."},
      {1, 0, 0.4, "*"},
      {5, 1, 12345.6, "*****"},
      {7, 1, 12345.6, "12345.6"},
      {7, 1, -12345.6, "*******"},
      {25, 2, 1e20, " 100000000000000000000.00"},
      {8, 2, kNaN, "********"},
      {8, 2, kInf, "********"},
      {8, 2, -kInf, "********"},
      {0, 2, -3.14159, "-3.14"},  // F0.d: minimal width
      {0, 3, 0.5, "0.500"},
      {0, 2, kNaN, "NaN"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(F(c.w, c.d, c.v), c.expected) << "F" << c.w << "." << c.d << " of " << c.v;
}

TEST(FortranFormatDescriptors, Exponential) {
  const RealCase cases[] = {
      {10, 3, 1234.5, " 0.123E+04"},
      {10, 3, -1234.5, "-0.123E+04"},
      {10, 3, 0.0, " 0.000E+00"},
      {10, 3, -0.0, " 0.000E+00"},
      {10, 3, 0.9996, " 0.100E+01"},  // rounding carries into the exponent
      {10, 3, 1.0e-5, " 0.100E-04"},
      {10, 3, 1e-30, " 0.100E-29"},
      {10, 3, 6.02e23, " 0.602E+24"},
      {9, 2, 0.125, " 0.12E+00"},  // exact tie -> even
      {9, 2, 0.375, " 0.38E+00"},
      {24, 17, 0.1, " 0.10000000000000001E+00"},  // digits of the stored value
      // Leading zero dropped only when the field is too narrow.
      {9, 3, 1.0, "0.100E+01"},
      {8, 3, 1.0, ".100E+01"},
      {9, 3, -1234.5, "-.123E+04"},
      {7, 3, 1.0, "*******"},
      {8, 3, -1.0, "********"},
      // Exponents beyond 99 lose the letter and take three digits.
      {10, 3, -1.234e-100, "-0.123E-99"},
      {10, 3, 1e100, " 0.100+101"},
      {10, 3, 1.234e-101, " 0.123-100"},
      {10, 3, 1e-320, " 0.100-319"},  // subnormal
      {10, 3, kNaN, "**********"},
      {10, 3, -kInf, "**********"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(E(c.w, c.d, c.v), c.expected) << "E" << c.w << "." << c.d << " of " << c.v;
}

TEST(FortranFormatDescriptors, ExponentWidthDAndG) {
  EXPECT_EQ(E(12, 4, 12345.678, 3), " 0.1235E+005");
  EXPECT_EQ(E(10, 3, 1234.5, 1), "  0.123E+4");
  EXPECT_EQ(E(10, 3, 1e10, 1), "**********");   // exponent 11 needs two digits
  EXPECT_EQ(E(10, 3, 1e100, 2), "**********");  // explicit E2 has no three-digit form
  EXPECT_EQ(D(10, 3, -1234.5), "-0.123D+04");

  // G: F editing with d significant digits and 4 trailing blanks inside
  // 0.1 <= |v| < 10**d (after rounding), E editing outside.
  const RealCase g[] = {
      {10, 3, 12.345, "  12.3    "}, {10, 3, 0.0, "  0.00    "},   {10, 3, 0.09996, " 0.100    "},
      {10, 3, 0.05, " 0.500E-01"},   {10, 3, 999.6, " 0.100E+04"}, {10, 3, 1234.5, " 0.123E+04"},
      {6, 3, 123.4, "******"},
  };
  for (const auto& c : g)
    EXPECT_EQ(G(c.w, c.d, c.v), c.expected) << "G" << c.w << "." << c.d << " of " << c.v;
}

TEST(FortranFormatDescriptors, TextAndBlanks) {
  EXPECT_EQ(A("abc"), "abc");
  EXPECT_EQ(A("abcdef", 3), "abc");
  EXPECT_EQ(A("ab", 5), "   ab");
  EXPECT_EQ(A("", 2), "  ");
  EXPECT_EQ(A("abc", 0), "");
  EXPECT_EQ(X(3), "   ");
  EXPECT_EQ(X(0), "");
}

TEST(FortranFormatDescriptors, InvalidParametersThrow) {
  EXPECT_THROW(I(3, 1, 4), std::logic_error);  // m > w
  EXPECT_THROW(I(-1, 1), std::logic_error);
  EXPECT_THROW(F(-1, 2, 1.0), std::logic_error);
  EXPECT_THROW(F(10, -1, 1.0), std::logic_error);
  EXPECT_THROW(E(0, 3, 1.0), std::logic_error);
  EXPECT_THROW(E(10, 0, 1.0), std::logic_error);
  EXPECT_THROW(X(-2), std::logic_error);
  EXPECT_THROW(static_cast<void>(Arg(std::numeric_limits<unsigned long long>::max())),
               std::logic_error);
}

// ---- Whole formats -----------------------------------------------------------

struct FormatCase {
  const char* layout;
  std::vector<Arg> args;
  std::string expected;
};

TEST(FortranFormatLayout, Layouts) {
  const std::string owner = "xy";
  const FormatCase cases[] = {
      {"(5X,'Date:  ',A,1X,I2.2,', ',I4,5X,'Time:  ',I2.2,':',I2.2,':',I2.2)",
       {"MAR", 7, 2024, 9, 5, 30},
       "     Date:  MAR 07, 2024     Time:  09:05:30"},
      {"(/,3X,'LENGTH',10X,'DIAMETER, FT')", {}, "\n   LENGTH          DIAMETER, FT"},
      {"(5X,'A',/)", {}, "     A\n"},
      {"(//)", {}, "\n\n"},
      {"('a',2/,'b')", {}, "a\n\nb"},
      {"()", {}, ""},
      {"(8X,I5,I11,E16.4)", {3, 120, 1500.0}, "            3        120      0.1500E+04"},
      {"(40X,E17.4,E16.4)",
       {-2.5e-3, 0},
       std::string(40, ' ') + "      -0.2500E-02      0.0000E+00"},
      // Repeat counts, groups, X counts.
      {"(3X,' (FT) ',7F9.2)", {1.0, 2.5, -3.14159}, "    (FT)      1.00     2.50    -3.14"},
      {"(73('='))", {}, std::string(73, '=')},
      {"(2A3,2(1X,I2))", {"ab", "c", 1, 2}, " ab  c  1  2"},
      // Literals after the last data item are written; output stops at the
      // next data descriptor once the arguments are used up.
      {"(I3,' kips')", {5}, "  5 kips"},
      {"(I3,' kips',I3,' ft')", {5}, "  5 kips"},
      {"(1X,'Pile',I3)", {}, " Pile"},
      {"(3(I2,:,','))", {1, 2}, " 1, 2"},
      // Reversion: a new record starts at the last top-level group, with its
      // repeat count; nested groups are not reversion points.
      {"(I3,I4)", {1, 2, 3}, "  1   2\n  3"},
      {"(1X,'H',2(I2,'x'),'|')", {1, 2, 3, 4, 5, 6}, " H 1x 2x|\n 3x 4x|\n 5x 6x|"},
      {"(1X,'H',2(I2,'x'),'|')", {1, 2, 3, 4, 5}, " H 1x 2x|\n 3x 4x|\n 5x"},
      {"(2(I1,2(I1,'.')),'|')", {1, 2, 3, 4, 5, 6, 7, 8}, "12.3.45.6.|\n78."},
      {"(5(1X,E10.3))",
       {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0},
       "  0.100E+01  0.200E+01  0.300E+01  0.400E+01  0.500E+01\n  0.600E+01  0.700E+01"},
      // Positioning alone never lengthens a record.
      {"(I2,5X)", {1}, " 1"},
      {"(I2,5X,/,I2)", {1, 2}, " 1\n 2"},
      // Syntax variants: optional commas, blanks, lower case, no outer
      // parentheses, quotes, Hollerith, E/D/G forms.
      {"(5X'ABC'I2)", {7}, "     ABC 7"},
      {" ( 2X , 'a' ) ", {}, "  a"},
      {"(2x,i3,f6.2,e10.3,a)", {1, 2.0, 3.0, "z"}, "    1  2.00 0.300E+01z"},
      {"5X,'A'", {}, "     A"},
      {"(I1),'x'", {1}, "1x"},
      {"('It''s',1X,\"say \"\"hi\"\"\")", {}, "It's say \"hi\""},
      {"(1X,4Ha(b),I2)", {5}, " a(b) 5"},
      {"(E12.4E3,D10.3)", {12345.678, 1234.5}, " 0.1235E+005 0.123D+04"},
      {"(G5.2,G4.1,G10.3)", {42, "ab", 12.345}, "   42  ab  12.3    "},
      {"(F6.1,E10.3)", {3, -2}, "   3.0-0.200E+01"},  // integers accepted by F and E
      {"(A,A5,A2)", {owner, std::string_view("abc"), "hello"}, "xy  abche"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(format(c.layout, std::span<const Arg>(c.args)), c.expected) << c.layout;
}

TEST(FortranFormatLayout, LinesAndOverloads) {
  std::vector<std::string> lines{"kept"};
  format_lines(lines, "(/,5X,'A')", {});
  format_lines(lines, "(5(1X,E10.3))", {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0});
  const std::vector<std::string> expected{"kept", "", "     A",
                                          "  0.100E+01  0.200E+01  0.300E+01  0.400E+01  0.500E+01",
                                          "  0.600E+01  0.700E+01"};
  EXPECT_EQ(lines, expected);

  // A run-time row of values through the span overload, with reversion to
  // the start of a format that has no group.
  std::vector<Arg> row;
  for (int i = 1; i <= 9; ++i) row.emplace_back(i * 0.5);
  EXPECT_EQ(format("(3X,' (FT) ',7F6.2)", row),
            "    (FT)   0.50  1.00  1.50  2.00  2.50  3.00  3.50\n    (FT)   4.00  4.50");
}

TEST(FortranFormatLayout, ReusedBufferIsReparsed) {
  // Same data pointer and size, different text: the parsed-format cache
  // must not hand back the old layout.
  std::string layout = "(I3)";
  EXPECT_EQ(format(layout, {1}), "  1");
  layout[2] = '5';
  EXPECT_EQ(format(layout, {1}), "    1");
}

TEST(FortranFormatLayout, MalformedFormatsThrow) {
  const char* bad[] = {
      "",          "   ",      "(I5",     "(I5))",     "(,I5)",  "(I5,)",    "(I5,,I3)",
      "(F9)",      "(F9.)",    "(E10)",   "(I)",       "(Q5)",   "('abc)",   "(0X)",
      "(3'ab')",   "(I3.4)",   "(E10.0)", "(A0)",      "(2(I3)", "(ES10.3)", "(T10,I3)",
      "(SP,F8.2)", "(5H abc)", "(())",    "(E10.3E0)", "(3)",
  };
  for (const char* layout : bad)
    EXPECT_THROW(format(layout), std::logic_error) << '"' << layout << '"';
}

TEST(FortranFormatLayout, MisuseThrows) {
  // A real is never silently converted for I; text only goes to A or G.
  EXPECT_THROW(format("(I5)", {1.5}), std::logic_error);
  EXPECT_THROW(format("(F8.2)", {"abc"}), std::logic_error);
  EXPECT_THROW(format("(E10.3)", {"abc"}), std::logic_error);
  EXPECT_THROW(format("(A)", {3}), std::logic_error);
  EXPECT_THROW(format("(A)", {3.0}), std::logic_error);
  // Arguments that could never be written.
  EXPECT_THROW(format("(5X,'A')", {1}), std::logic_error);
  EXPECT_THROW(format("(I3,('x'))", {1, 2}), std::logic_error);

  try {
    format("(I3,1X,I5)", {1, 2.5});
    FAIL() << "expected std::logic_error";
  } catch (const std::logic_error& e) {
    const std::string msg = e.what();
    EXPECT_NE(msg.find("I5"), std::string::npos) << msg;
    EXPECT_NE(msg.find("real"), std::string::npos) << msg;
    EXPECT_NE(msg.find("argument 2"), std::string::npos) << msg;
  }
}

// ---- List-directed -------------------------------------------------------------

TEST(FortranFormatListDirected, Reals) {
  const struct {
    double v;
    const char* expected;
  } cases[] = {
      {0.0, " 0.0000000E+00"},
      {-0.0, " 0.0000000E+00"},
      {12.345, " 12.34500"},
      {0.5, " 0.5000000"},
      {0.1, " 0.1000000"},
      {-3.25, " -3.250000"},
      {1234567.0, " 1234567."},
      {9999999.0, " 9999999."},
      {0.01234567, " 0.1234567E-01"},
      {-2.5e7, " -0.2500000E+08"},
      // The fixed/E switch is decided after rounding to 7 digits.
      {0.099999999, " 0.1000000"},
      {0.09999999, " 0.9999999E-01"},  // already 7 digits: no carry
      {9999999.6, " 0.1000000E+08"},
      {1e-100, " 0.1000000E-99"},
      {1e200, " 0.1000000+201"},
      {kNaN, " NaN"},
      {kInf, " Infinity"},
      {-kInf, " -Infinity"},
  };
  for (const auto& c : cases) EXPECT_EQ(list_directed({c.v}), c.expected) << c.v;
}

TEST(FortranFormatListDirected, MixedRecord) {
  EXPECT_EQ(list_directed({"Pile", 3, -12, 2.5, 0.1f}), " Pile 3 -12 2.500000 0.1000000");
  EXPECT_EQ(list_directed({}), "");
}

TEST(FortranFormatLocale, OutputIgnoresLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_ALL, "de_DE.utf8") && !std::setlocale(LC_ALL, "de_DE.UTF-8"))
    GTEST_SKIP() << "no German locale installed";
  const std::string fixed = format("(F8.3,E11.3,I8)", {1234.5, 1234.5, 1234567});
  const std::string list = list_directed({12.345});
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(fixed, "1234.500  0.123E+04 1234567");
  EXPECT_EQ(list, " 12.34500");
}

}  // namespace

namespace korva::fmt {
namespace {

// The formatter's fast rounding must agree with the exact conversion everywhere: compare
// against std::to_chars on many values of every magnitude, ties included.
TEST(FortranFormatRounding, AgreesWithExactConversion) {
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  auto reference_e = [](double v, int d) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, d - 1);
    std::string s(buf, r.ptr);
    const std::size_t e = s.find('e');
    std::string digits;
    for (std::size_t i = 0; i < e; ++i)
      if (s[i] != '.') digits += s[i];
    int exp = std::stoi(s.substr(e + 1)) + 1;
    if (v == 0) exp = 0;
    char eb[16];
    std::snprintf(eb, sizeof eb, "%c%02d", exp < 0 ? '-' : '+', std::abs(exp) % 1000);
    return std::string(v < 0 ? "-" : "") + "0." + digits + "E" + eb;
  };
  auto reference_f = [](double v, int d) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, d);
    std::string s(buf, r.ptr);
    bool zero = s.find_first_not_of("0.") == std::string::npos;
    return std::string(v < 0 && !zero ? "-" : "") + s;
  };
  auto trim = [](std::string s) { return s.substr(s.find_first_not_of(' ')); };
  for (int i = 0; i < 200000; ++i) {
    const std::uint64_t bits = next();
    const int scale = static_cast<int>(bits % 40) - 20;  // 1e-20 .. 1e19
    double v = static_cast<double>(next() % 100000000) / 1e4 * std::pow(10.0, scale - 4);
    if (i % 7 == 0) v = std::round(v * 1000) / 1000 + 0.0005;  // near F ties
    if (i % 11 == 0) v = -v;
    EXPECT_EQ(trim(E(20, 3, v)), reference_e(v, 3)) << v;
    EXPECT_EQ(trim(E(20, 4, v)), reference_e(v, 4)) << v;
    if (std::fabs(v) < 1e9) {
      EXPECT_EQ(trim(F(30, 3, v)), reference_f(v, 3)) << v;
    }
    if (::testing::Test::HasFailure()) break;
  }
}

}  // namespace
}  // namespace korva::fmt
