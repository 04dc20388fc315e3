#include "fortran_format.h"

#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace korva::fmt {

namespace {

// Largest d accepted for F/E/D/G. Keeps every conversion inside fixed-size
// stack buffers (a double has at most 309 integer digits).
constexpr int kMaxDecimals = 100;
// Largest width, repeat count or literal length accepted by the parser.
constexpr int kMaxCount = 1'000'000;

[[noreturn]] void fail(const std::string& msg) {
  throw std::logic_error("fortran format: " + msg);
}

void put_stars(std::string& out, int w) {
  out.append(static_cast<std::size_t>(w), '*');
}

void check_width(int w, const char* what) {
  if (w < 0 || w > kMaxCount)
    fail(std::string(what) + ": invalid field width " + std::to_string(w));
}

void check_decimals(int d, int min, const char* what) {
  if (d < min || d > kMaxDecimals)
    fail(std::string(what) + ": invalid number of digits " + std::to_string(d));
}

// ---- Integer ---------------------------------------------------------------

void put_int(std::string& out, int w, long long v, int m) {
  const bool neg = v < 0;
  const unsigned long long mag =
      neg ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  char digits[24];
  const auto res = std::to_chars(digits, digits + sizeof digits, mag);
  const int ndig = static_cast<int>(res.ptr - digits);
  const int zeros = m > ndig ? m - ndig : 0;
  const int len = (neg ? 1 : 0) + zeros + ndig;
  if (w == 0) w = len;
  if (len > w) return put_stars(out, w);
  out.append(static_cast<std::size_t>(w - len), ' ');
  if (neg) out.push_back('-');
  out.append(static_cast<std::size_t>(zeros), '0');
  out.append(digits, static_cast<std::size_t>(ndig));
}

// ---- Fixed -----------------------------------------------------------------

void put_nonfinite_word(std::string& out, double v) {
  if (std::isnan(v))
    out += "NaN";
  else
    out += v < 0 ? "-Infinity" : "Infinity";
}

// Fast correctly rounded decimal digits for the common case. Scales a positive value by a
// power of ten that long double holds exactly (10^0 .. 10^27), so the scaled value is off
// by less than 1e-6 of a unit; rounding to the nearest integer is then certain unless the
// fraction lies within 1e-6 of one half, where the exact (slower) conversion takes over.
// Returns false when the fast path does not apply.
bool scaled_round(double a, int pow10, unsigned long long& r) {
  static constexpr long double kPow[] = {
      1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
      1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
      1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
  if (pow10 < -27 || pow10 > 27) return false;
  const long double s = pow10 >= 0 ? a * kPow[pow10] : a / kPow[-pow10];
  if (!(s < 1e12L)) return false;
  const long double f = std::floor(s);
  const long double frac = s - f;
  if (std::fabs(frac - 0.5L) < 1e-6L) return false;
  r = static_cast<unsigned long long>(f) + (frac > 0.5L ? 1 : 0);
  return true;
}

void put_fixed(std::string& out, int w, int d, double v) {
  if (!std::isfinite(v)) {
    if (w == 0) return put_nonfinite_word(out, v);
    return put_stars(out, w);
  }
  char buf[320 + kMaxDecimals];
  std::size_t n = 0;
  unsigned long long r = 0;
  if (d <= 18 && scaled_round(std::fabs(v), d, r)) {
    // Digits of r with the point d places from the right ("0." before small values).
    char digits[24];
    int nd = 0;
    do {
      digits[nd++] = static_cast<char>('0' + r % 10);
      r /= 10;
    } while (r > 0);
    while (nd < d + 1) digits[nd++] = '0';
    for (int i = nd - 1; i >= 0; --i) {
      buf[n++] = digits[i];
      if (i == d && d > 0) buf[n++] = '.';
    }
  } else {
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, d);
    if (res.ec != std::errc{}) fail("F conversion failed");
    n = static_cast<std::size_t>(res.ptr - buf);
  }
  const char* text = buf;

  bool zero = true;
  for (std::size_t i = 0; i < n; ++i)
    if (text[i] != '0' && text[i] != '.') {
      zero = false;
      break;
    }
  const bool neg = std::signbit(v) && !zero;
  const bool point_needed =
      d == 0;  // to_chars writes "12" for 12.0 with d = 0; Fortran wants "12."

  std::size_t len = n + (neg ? 1 : 0) + (point_needed ? 1 : 0);
  if (w == 0) w = static_cast<int>(len);
  // The "0" before the point is optional; drop it when the field is too
  // narrow. With d = 0 it is the only digit and stays.
  if (len > static_cast<std::size_t>(w) && d > 0 && n >= 2 && text[0] == '0' && text[1] == '.') {
    ++text;
    --n;
    --len;
  }
  if (len > static_cast<std::size_t>(w)) return put_stars(out, w);
  out.append(static_cast<std::size_t>(w) - len, ' ');
  if (neg) out.push_back('-');
  out.append(text, n);
  if (point_needed) out.push_back('.');
}

// ---- Scientific ------------------------------------------------------------

// Significant digits of a positive finite value rounded to p digits, with the
// exponent of the 0.ddd form (value = 0.ddd * 10**exp).
struct Digits {
  char d[kMaxDecimals + 8];
  int n = 0;
  int exp = 0;
};

void sig_digits(double a, int p, Digits& out) {
  if (a > 0 && p >= 1 && p <= 9) {
    // Fast path: a = 0.ddd * 10^exp with p digits, from a scaled integer.
    int e = static_cast<int>(std::floor(std::log10(a)));  // a in [10^e, 10^(e+1)), +-1
    unsigned long long r = 0;
    unsigned long long lo = 1;
    for (int i = 1; i < p; ++i) lo *= 10;
    const unsigned long long hi = lo * 10;
    bool ok = scaled_round(a, p - 1 - e, r);
    if (ok && r < lo) {  // log10 overestimated the exponent
      --e;
      ok = scaled_round(a, p - 1 - e, r);
    } else if (ok && r > hi) {  // underestimated
      ++e;
      ok = scaled_round(a, p - 1 - e, r);
    }
    if (ok && r == hi) {  // rounded up into the next decade
      r = lo;
      ++e;
    }
    if (ok && r >= lo && r < hi) {
      for (int i = p - 1; i >= 0; --i) {
        out.d[i] = static_cast<char>('0' + r % 10);
        r /= 10;
      }
      out.n = p;
      out.exp = e + 1;
      return;
    }
  }
  char buf[kMaxDecimals + 16];
  const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, p - 1);
  if (res.ec != std::errc{}) fail("E conversion failed");
  const char* s = buf;
  out.n = 0;
  for (; s < res.ptr && *s != 'e'; ++s)
    if (*s != '.') out.d[out.n++] = *s;
  // s points at 'e', followed by a sign and at least two digits.
  const bool eneg = s[1] == '-';
  int e = 0;
  for (const char* q = s + 2; q < res.ptr; ++q) e = e * 10 + (*q - '0');
  out.exp = (eneg ? -e : e) + 1;
  if (a == 0.0) out.exp = 0;
}

// Exponent part: letter, sign and digits. With edigits = 0 the form is two
// digits, or three digits without the letter beyond 99. Returns false when
// the exponent does not fit.
bool exponent_part(char* dst, int& len, int exp, int edigits, char letter) {
  const int mag = exp < 0 ? -exp : exp;
  const char sign = exp < 0 ? '-' : '+';
  len = 0;
  int ndig = 0;
  if (edigits == 0) {
    if (mag <= 99) {
      dst[len++] = letter;
      ndig = 2;
    } else if (mag <= 999) {
      ndig = 3;
    } else {
      return false;
    }
  } else {
    int lim = 1;
    for (int i = 0; i < edigits && lim <= 1000; ++i) lim *= 10;
    if (mag >= lim) return false;
    dst[len++] = letter;
    ndig = edigits;
  }
  dst[len++] = sign;
  for (int i = ndig - 1, m = mag; i >= 0; --i, m /= 10)
    dst[len + i] = static_cast<char>('0' + m % 10);
  len += ndig;
  return true;
}

void put_exp(std::string& out, int w, int d, int edigits, double v, char letter) {
  if (!std::isfinite(v)) return put_stars(out, w);
  Digits dg;
  sig_digits(std::fabs(v), d, dg);
  char ebuf[16];
  int elen = 0;
  if (!exponent_part(ebuf, elen, dg.exp, edigits, letter)) return put_stars(out, w);
  const bool neg = std::signbit(v) && v != 0.0;
  int len = (neg ? 1 : 0) + 2 + d + elen;  // [-]0.ddd + exponent
  bool lead_zero = true;
  if (len > w) {
    lead_zero = false;
    --len;
  }
  if (len > w) return put_stars(out, w);
  out.append(static_cast<std::size_t>(w - len), ' ');
  if (neg) out.push_back('-');
  if (lead_zero) out.push_back('0');
  out.push_back('.');
  out.append(dg.d, static_cast<std::size_t>(dg.n));
  out.append(ebuf, static_cast<std::size_t>(elen));
}

// Gw.d for a real: F editing with d significant digits and the exponent
// width left blank when 0.1 <= |v| < 10**d after rounding, else E editing.
void put_general(std::string& out, int w, int d, int edigits, double v) {
  if (!std::isfinite(v)) return put_stars(out, w);
  const int trail = edigits > 0 ? edigits + 2 : 4;
  int decimals = -1;
  if (v == 0.0) {
    decimals = d - 1;
  } else {
    Digits dg;
    sig_digits(std::fabs(v), d, dg);
    if (dg.exp >= 0 && dg.exp <= d) decimals = d - dg.exp;
  }
  if (decimals < 0) return put_exp(out, w, d, edigits, v, 'E');
  if (w - trail < 1) return put_stars(out, w);
  const std::size_t start = out.size();
  put_fixed(out, w - trail, decimals, v);
  if (out[start] == '*') {
    out.resize(start);
    return put_stars(out, w);
  }
  out.append(static_cast<std::size_t>(trail), ' ');
}

// ---- Text ------------------------------------------------------------------

void put_text(std::string& out, std::string_view s, int w) {
  if (w < 0) {
    out.append(s);
  } else if (s.size() >= static_cast<std::size_t>(w)) {
    out.append(s.substr(0, static_cast<std::size_t>(w)));
  } else {
    out.append(static_cast<std::size_t>(w) - s.size(), ' ');
    out.append(s);
  }
}

// ---- List-directed reals ---------------------------------------------------

void put_list_real(std::string& out, double v) {
  if (!std::isfinite(v)) return put_nonfinite_word(out, v);
  if (v == 0.0) {
    out += "0.0000000E+00";
    return;
  }
  constexpr int kSig = 7;
  Digits dg;
  sig_digits(std::fabs(v), kSig, dg);
  if (v < 0) out.push_back('-');
  if (dg.exp >= 0 && dg.exp <= kSig) {
    if (dg.exp == 0) out.push_back('0');
    out.append(dg.d, static_cast<std::size_t>(dg.exp));
    out.push_back('.');
    out.append(dg.d + dg.exp, static_cast<std::size_t>(kSig - dg.exp));
    return;
  }
  char ebuf[16];
  int elen = 0;
  exponent_part(ebuf, elen, dg.exp, 0, 'E');  // a double's exponent always fits in three digits
  out += "0.";
  out.append(dg.d, static_cast<std::size_t>(kSig));
  out.append(ebuf, static_cast<std::size_t>(elen));
}

// ---- Parsed format ---------------------------------------------------------

enum class Op : unsigned char {
  Literal,  // text in the pool
  Blanks,   // nX
  Slash,    // rep record ends
  Colon,    // stop here when the arguments are used up
  Group,    // rep times the nodes up to `end`
  Int,      // Iw.m
  Fixed,    // Fw.d
  Exp,      // Ew.dEe / Dw.d (letter)
  General,  // Gw.dEe
  Text,     // A / Aw (w = -1 for plain A)
};

struct Node {
  Op op;
  char letter = 0;  // descriptor letter as written (for messages) / exponent letter
  int rep = 1;
  int w = 0;
  int d = 0;                       // d for F/E/D/G, m for I
  int e = 0;                       // exponent digits for E/G (0: default form)
  std::uint32_t end = 0;           // Group: index past its last node
  std::uint32_t off = 0, len = 0;  // Literal: slice of the pool
};

struct Program {
  std::vector<Node> nodes;
  std::string pool;
  std::uint32_t revert = 0;      // where format reversion resumes
  bool has_data = false;         // any data descriptor at all
  bool revert_has_data = false;  // any data descriptor from `revert` on
};

bool is_data(Op op) {
  return op == Op::Int || op == Op::Fixed || op == Op::Exp || op == Op::General || op == Op::Text;
}

char upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

class Parser {
 public:
  explicit Parser(std::string_view layout) : s_(layout) {}

  Program parse() {
    std::size_t b = 0, e = s_.size();
    while (b < e && is_blank(s_[b])) ++b;
    while (e > b && is_blank(s_[e - 1])) --e;
    if (b == e) fail("empty format");
    end_ = e;
    bool parsed = false;
    if (s_[b] == '(') {
      // Outer parentheses around the whole format: parse their contents
      // as the top level. If the first group closes before the end, the
      // format was written without them; parse again from the start.
      top_ = 1;
      pos_ = b + 1;
      list(1);
      skip_blanks();
      parsed = pos_ == end_;
    }
    if (!parsed) {
      prog_ = Program{};
      top_ = 0;
      pos_ = b;
      list(0);
    }
    for (std::size_t i = 0; i < prog_.nodes.size(); ++i) {
      if (!is_data(prog_.nodes[i].op)) continue;
      prog_.has_data = true;
      if (i >= prog_.revert) prog_.revert_has_data = true;
    }
    return std::move(prog_);
  }

 private:
  static bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

  [[noreturn]] void error(const std::string& what) const {
    fail(what + " at position " + std::to_string(pos_ + 1) + " in \"" + std::string(s_) + "\"");
  }

  void skip_blanks() {
    while (pos_ < end_ && is_blank(s_[pos_])) ++pos_;
  }

  int number() {
    if (pos_ >= end_ || !is_digit(s_[pos_])) error("number expected");
    long long v = 0;
    while (pos_ < end_ && is_digit(s_[pos_])) {
      v = v * 10 + (s_[pos_++] - '0');
      if (v > kMaxCount) error("number too large");
    }
    return static_cast<int>(v);
  }

  void list(int depth) {
    bool need_item = false;  // just after a comma
    bool empty = true;
    for (;;) {
      skip_blanks();
      if (pos_ >= end_) {
        if (depth > 0) error("missing ')'");
        if (need_item) error("comma at end of format");
        return;
      }
      const char c = s_[pos_];
      if (c == ')') {
        if (depth == 0) error("unbalanced ')'");
        if (need_item) error("comma before ')'");
        if (empty && depth > top_) error("empty group");
        ++pos_;
        return;
      }
      if (c == ',') {
        if (empty || need_item) error("misplaced comma");
        need_item = true;
        ++pos_;
        continue;
      }
      item(depth);
      need_item = false;
      empty = false;
    }
  }

  void item(int depth) {
    int rep = 1;
    bool counted = false;
    if (is_digit(s_[pos_])) {
      rep = number();
      counted = true;
      if (rep == 0) error("zero repeat count");
      skip_blanks();
      if (pos_ >= end_) error("edit descriptor expected after count");
    }
    const char c = s_[pos_];
    const char u = upper(c);
    if (c == '(') {
      ++pos_;
      const std::size_t at = prog_.nodes.size();
      if (depth == top_) prog_.revert = static_cast<std::uint32_t>(at);
      Node g{Op::Group};
      g.rep = rep;
      prog_.nodes.push_back(g);
      list(depth + 1);
      prog_.nodes[at].end = static_cast<std::uint32_t>(prog_.nodes.size());
      return;
    }
    if (c == '\'' || c == '"') {
      if (counted) error("repeat count on a quoted literal (use a group: n('...'))");
      return literal(c);
    }
    if (c == '/') {
      ++pos_;
      Node n{Op::Slash};
      n.rep = rep;
      prog_.nodes.push_back(n);
      return;
    }
    if (c == ':') {
      if (counted) error("count on ':'");
      ++pos_;
      prog_.nodes.push_back(Node{Op::Colon});
      return;
    }
    if (u == 'X') {
      ++pos_;
      Node n{Op::Blanks};
      n.w = rep;
      prog_.nodes.push_back(n);
      return;
    }
    if (u == 'H') {
      if (!counted) error("H edit descriptor without a count");
      ++pos_;
      if (end_ - pos_ < static_cast<std::size_t>(rep)) error("H edit descriptor runs past the end");
      add_literal(s_.substr(pos_, static_cast<std::size_t>(rep)));
      pos_ += static_cast<std::size_t>(rep);
      return;
    }
    data(u, rep);
  }

  void add_literal(std::string_view text) {
    Node n{Op::Literal};
    n.off = static_cast<std::uint32_t>(prog_.pool.size());
    n.len = static_cast<std::uint32_t>(text.size());
    prog_.pool.append(text);
    prog_.nodes.push_back(n);
  }

  void literal(char quote) {
    ++pos_;
    std::string text;
    for (;;) {
      if (pos_ >= end_) error("unterminated literal");
      const char c = s_[pos_++];
      if (c != quote) {
        text.push_back(c);
      } else if (pos_ < end_ && s_[pos_] == quote) {
        text.push_back(quote);  // doubled quote stands for one quote
        ++pos_;
      } else {
        break;
      }
    }
    add_literal(text);
  }

  void data(char u, int rep) {
    const std::size_t at = pos_;
    ++pos_;
    Node n{Op::Int};
    n.letter = u;
    n.rep = rep;
    const auto has = [&](char ch) { return pos_ < end_ && upper(s_[pos_]) == ch; };
    const auto digit_next = [&] { return pos_ < end_ && is_digit(s_[pos_]); };
    switch (u) {
      case 'I':
        n.op = Op::Int;
        n.w = number();
        if (has('.')) {
          ++pos_;
          n.d = number();
          if (n.w > 0 && n.d > n.w) error("Iw.m with m > w");
        }
        break;
      case 'F':
        n.op = Op::Fixed;
        n.w = number();
        if (!has('.')) error("F edit descriptor needs .d");
        ++pos_;
        n.d = number();
        break;
      case 'E':
      case 'D':
      case 'G':
        if (u == 'E' && (has('S') || has('N'))) {
          pos_ = at;
          error("unsupported edit descriptor");
        }
        n.op = u == 'G' ? Op::General : Op::Exp;
        n.w = number();
        if (!has('.')) error(std::string(1, u) + " edit descriptor needs .d");
        ++pos_;
        n.d = number();
        if (u != 'D' && has('E')) {
          ++pos_;
          n.e = number();
          if (n.e == 0 || n.e > 4) error("invalid exponent width");
        }
        if (n.w == 0) error("zero width");
        if (n.d == 0) error("E, D and G need at least one digit");
        break;
      case 'A':
        n.op = Op::Text;
        n.w = digit_next() ? number() : -1;
        if (n.w == 0) error("zero width");
        break;
      default:
        pos_ = at;
        error("unsupported edit descriptor");
    }
    if (n.op != Op::Int && n.op != Op::Text && n.d > kMaxDecimals) error("too many digits");
    prog_.nodes.push_back(n);
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  int top_ = 0;  // list depth of the format's top level
  Program prog_;
};

// Parsed formats are cached per thread. The engine passes string literals,
// so a format's data pointer and size identify a format cheaply; the text is
// compared too, so a reused buffer with different contents is never confused.
struct CacheSlot {
  const char* ptr = nullptr;
  std::size_t size = 0;
  std::string text;
  Program prog;
};

const Program& compiled(std::string_view layout) {
  constexpr std::size_t kSlots = 64;
  thread_local std::array<CacheSlot, kSlots> cache;
  std::uint64_t h = reinterpret_cast<std::uintptr_t>(layout.data());
  h ^= layout.size() * 0x9E3779B97F4A7C15ULL;
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ULL;
  h ^= h >> 32;
  CacheSlot& slot = cache[h % kSlots];
  if (slot.ptr == layout.data() && slot.size == layout.size() && slot.ptr != nullptr &&
      std::string_view(slot.text) == layout)
    return slot.prog;
  Program prog = Parser(layout).parse();  // may throw: leave the slot untouched
  slot.prog = std::move(prog);
  slot.text.assign(layout);
  slot.ptr = layout.data();
  slot.size = layout.size();
  return slot.prog;
}

const char* kind_name(Arg::Kind k) {
  switch (k) {
    case Arg::Kind::Integer:
      return "an integer";
    case Arg::Kind::Real:
      return "a real";
    case Arg::Kind::Text:
      return "text";
  }
  return "?";
}

std::string describe(const Node& n) {
  std::string s(1, n.letter);
  if (n.op == Op::Text) {
    if (n.w >= 0) s += std::to_string(n.w);
    return s;
  }
  s += std::to_string(n.w);
  if (n.op != Op::Int || n.d > 0) s += '.' + std::to_string(n.d);
  if (n.e > 0) s += 'E' + std::to_string(n.e);
  return s;
}

// Runs a parsed format over the arguments. Records go to `lines` when given,
// otherwise into `cur` separated by '\n'.
class Runner {
 public:
  Runner(const Program& p, std::string_view layout, std::span<const Arg> args, std::string& cur,
         std::vector<std::string>* lines)
      : p_(p), layout_(layout), args_(args), cur_(cur), lines_(lines) {}

  void run() {
    if (!args_.empty() && !p_.has_data)
      fail("arguments given to a format without data edit descriptors: \"" + std::string(layout_) +
           "\"");
    const auto n = static_cast<std::uint32_t>(p_.nodes.size());
    if (!range(0, n)) return;
    if (next_ < args_.size() && !p_.revert_has_data)
      fail("format reversion would never use the remaining arguments: \"" + std::string(layout_) +
           "\"");
    while (next_ < args_.size()) {
      end_record();
      if (!range(p_.revert, n)) return;
    }
  }

  void finish() {
    if (lines_) lines_->push_back(std::move(cur_));
  }

 private:
  // Blanks of nX are written only when something follows them in the record: positioning
  // alone never lengthens a record, as in Fortran.
  void flush_blanks() {
    cur_.append(pending_blanks_, ' ');
    pending_blanks_ = 0;
  }

  void end_record() {
    pending_blanks_ = 0;
    if (lines_) {
      lines_->push_back(std::move(cur_));
      cur_.clear();
    } else {
      cur_.push_back('\n');
    }
  }

  // Returns false when output stops because the arguments are used up.
  bool range(std::uint32_t b, std::uint32_t e) {
    for (std::uint32_t i = b; i < e; ++i) {
      const Node& n = p_.nodes[i];
      switch (n.op) {
        case Op::Literal:
          flush_blanks();
          cur_.append(p_.pool, n.off, n.len);
          break;
        case Op::Blanks:
          pending_blanks_ += static_cast<std::size_t>(n.w);
          break;
        case Op::Slash:
          for (int r = 0; r < n.rep; ++r) end_record();
          break;
        case Op::Colon:
          if (next_ >= args_.size()) return false;
          break;
        case Op::Group:
          for (int r = 0; r < n.rep; ++r)
            if (!range(i + 1, n.end)) return false;
          i = n.end - 1;
          break;
        default:
          for (int r = 0; r < n.rep; ++r) {
            if (next_ >= args_.size()) return false;
            emit(n, args_[next_]);
            ++next_;
          }
          break;
      }
    }
    return true;
  }

  [[noreturn]] void mismatch(const Node& n, const Arg& a) const {
    fail(describe(n) + " edit descriptor given " + kind_name(a.kind()) + " (argument " +
         std::to_string(next_ + 1) + ") in \"" + std::string(layout_) + "\"");
  }

  double real_of(const Node& n, const Arg& a) const {
    if (a.kind() == Arg::Kind::Real) return a.real();
    if (a.kind() == Arg::Kind::Integer) return static_cast<double>(a.integer());
    mismatch(n, a);
  }

  void emit(const Node& n, const Arg& a) {
    flush_blanks();
    switch (n.op) {
      case Op::Int:
        if (a.kind() != Arg::Kind::Integer) mismatch(n, a);
        put_int(cur_, n.w, a.integer(), n.d);
        break;
      case Op::Fixed:
        put_fixed(cur_, n.w, n.d, real_of(n, a));
        break;
      case Op::Exp:
        put_exp(cur_, n.w, n.d, n.e, real_of(n, a), n.letter);
        break;
      case Op::General:
        if (a.kind() == Arg::Kind::Integer)
          put_int(cur_, n.w, a.integer(), 0);
        else if (a.kind() == Arg::Kind::Text)
          put_text(cur_, a.text(), n.w);
        else
          put_general(cur_, n.w, n.d, n.e, a.real());
        break;
      case Op::Text:
        if (a.kind() != Arg::Kind::Text) mismatch(n, a);
        put_text(cur_, a.text(), n.w);
        break;
      default:
        break;
    }
  }

  const Program& p_;
  std::string_view layout_;
  std::span<const Arg> args_;
  std::string& cur_;
  std::vector<std::string>* lines_;
  std::size_t next_ = 0;
  std::size_t pending_blanks_ = 0;
};

}  // namespace

// ---- Arg -------------------------------------------------------------------

Arg::Arg(unsigned long v) : Arg(static_cast<unsigned long long>(v)) {}

Arg::Arg(unsigned long long v) : kind_(Kind::Integer) {
  if (v > static_cast<unsigned long long>(LLONG_MAX)) fail("unsigned argument out of range");
  int_ = static_cast<long long>(v);
}

// ---- Single descriptors ----------------------------------------------------

std::string I(int w, long long v, int m) {
  check_width(w, "I");
  if (m < 0 || (w > 0 && m > w)) fail("Iw.m: invalid m " + std::to_string(m));
  std::string s;
  put_int(s, w, v, m);
  return s;
}

std::string F(int w, int d, double v) {
  check_width(w, "F");
  check_decimals(d, 0, "F");
  std::string s;
  put_fixed(s, w, d, v);
  return s;
}

std::string E(int w, int d, double v, int e) {
  check_width(w, "E");
  if (w == 0) fail("E: zero width");
  check_decimals(d, 1, "E");
  if (e < 0 || e > 4) fail("E: invalid exponent width " + std::to_string(e));
  std::string s;
  put_exp(s, w, d, e, v, 'E');
  return s;
}

std::string D(int w, int d, double v) {
  check_width(w, "D");
  if (w == 0) fail("D: zero width");
  check_decimals(d, 1, "D");
  std::string s;
  put_exp(s, w, d, 0, v, 'D');
  return s;
}

std::string G(int w, int d, double v) {
  check_width(w, "G");
  if (w == 0) fail("G: zero width");
  check_decimals(d, 1, "G");
  std::string s;
  put_general(s, w, d, 0, v);
  return s;
}

std::string X(int n) {
  check_width(n, "X");
  return std::string(static_cast<std::size_t>(n), ' ');
}

std::string A(std::string_view s, int w) {
  if (w > kMaxCount) fail("A: invalid field width " + std::to_string(w));
  std::string out;
  put_text(out, s, w < 0 ? -1 : w);
  return out;
}

// ---- Whole formats ---------------------------------------------------------

std::string format(std::string_view layout, std::span<const Arg> args) {
  std::string out;
  Runner r(compiled(layout), layout, args, out, nullptr);
  r.run();
  return out;
}

std::string format(std::string_view layout, std::initializer_list<Arg> args) {
  return format(layout, std::span<const Arg>(args.begin(), args.size()));
}

void format_lines(std::vector<std::string>& out, std::string_view layout,
                  std::span<const Arg> args) {
  std::string cur;
  Runner r(compiled(layout), layout, args, cur, &out);
  r.run();
  r.finish();
}

void format_lines(std::vector<std::string>& out, std::string_view layout,
                  std::initializer_list<Arg> args) {
  format_lines(out, layout, std::span<const Arg>(args.begin(), args.size()));
}

std::string list_directed(std::span<const Arg> args) {
  std::string out;
  for (const Arg& a : args) {
    out.push_back(' ');
    switch (a.kind()) {
      case Arg::Kind::Integer:
        put_int(out, 0, a.integer(), 0);
        break;
      case Arg::Kind::Real:
        put_list_real(out, a.real());
        break;
      case Arg::Kind::Text:
        out.append(a.text());
        break;
    }
  }
  return out;
}

std::string list_directed(std::initializer_list<Arg> args) {
  return list_directed(std::span<const Arg>(args.begin(), args.size()));
}

}  // namespace korva::fmt
