#include "list_reader.h"

#include "decimal_magnitude.h"
#include "message_texts.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace korva {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// One value field of a record: either a token or a null value (",,") or an end ("/").
struct Field {
  enum Kind { kValue, kNull, kSlash } kind;
  std::string_view text;  // the value without its repeat count
  long repeat = 1;
};

// Splits a record into fields. Blanks separate values; a comma with optional blanks
// around it separates values too, and two commas in a row enclose a null value.
class FieldScanner {
 public:
  explicit FieldScanner(std::string_view line) : s_(line) {}

  // Returns false at the end of the record.
  bool next(Field& f) {
    // Skip blanks; one comma after a value is a separator, a further comma a null value.
    while (pos_ < s_.size() && is_blank(s_[pos_])) ++pos_;
    if (pos_ < s_.size() && s_[pos_] == ',') {
      if (after_value_) {
        after_value_ = false;
        ++pos_;
        while (pos_ < s_.size() && is_blank(s_[pos_])) ++pos_;
        if (pos_ >= s_.size()) return false;
        if (s_[pos_] != ',') return next(f);
      }
      ++pos_;
      f = {Field::kNull, {}, 1};
      after_value_ = false;
      return true;
    }
    if (pos_ >= s_.size()) return false;
    if (s_[pos_] == '/') {
      f = {Field::kSlash, {}, 1};
      pos_ = s_.size();
      return true;
    }
    std::size_t start = pos_;
    while (pos_ < s_.size() && !is_blank(s_[pos_]) && s_[pos_] != ',' && s_[pos_] != '/') ++pos_;
    std::string_view tok = s_.substr(start, pos_ - start);
    after_value_ = true;
    f = {Field::kValue, tok, 1};
    // "r*value" or "r*" (r null values).
    std::size_t star = tok.find('*');
    if (star != std::string_view::npos && star > 0) {
      long r = 0;
      auto [p, ec] = std::from_chars(tok.data(), tok.data() + star, r);
      if (ec == std::errc() && p == tok.data() + star && r > 0) {
        f.repeat = r;
        f.text = tok.substr(star + 1);
        if (f.text.empty()) f.kind = Field::kNull;
      }
    }
    return true;
  }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;
  bool after_value_ = false;
};

std::string quoted(std::string_view tok) {
  std::string s = "\"";
  s.append(tok.substr(0, 40));
  if (tok.size() > 40) s += "...";
  s += "\"";
  return s;
}

enum class RealText { kNumber, kNotANumber, kTooLarge };

RealText read_real(std::string_view tok, double& value) {
  if (tok.empty()) return RealText::kNotANumber;
  std::string buf(tok);
  std::size_t i = 0;
  if (buf[0] == '+') buf.erase(0, 1);
  else if (buf[0] == '-') i = 1;
  if (i >= buf.size()) return RealText::kNotANumber;
  // Fortran also writes exponents with D or Q.
  bool digits = false;
  for (char& c : buf) {
    if (c == 'd' || c == 'D' || c == 'q' || c == 'Q') c = 'E';
    if (c >= '0' && c <= '9') digits = true;
  }
  if (!digits) return RealText::kNotANumber;
  // Only digits, one point, and an exponent part are allowed ("inf" and "nan" are not).
  for (std::size_t k = i; k < buf.size(); ++k) {
    char c = buf[k];
    if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
      return RealText::kNotANumber;
  }
  double v = 0;
  auto [p, ec] = std::from_chars(buf.data(), buf.data() + buf.size(), v);
  if (p != buf.data() + buf.size()) return RealText::kNotANumber;
  if (ec == std::errc::result_out_of_range) {
    // Too small for a double reads as zero, as the program reads it; too large is refused.
    if (DecimalOverflows(std::string_view(buf).substr(i))) return RealText::kTooLarge;
    v = i == 1 ? -0.0 : 0.0;
  } else if (ec != std::errc() || !std::isfinite(v)) {
    return RealText::kNotANumber;
  }
  value = v;
  return RealText::kNumber;
}

}  // namespace

bool parse_fortran_real(std::string_view tok, double& value) {
  return read_real(tok, value) == RealText::kNumber;
}

bool parse_fortran_int(std::string_view tok, int& value) {
  if (!tok.empty() && tok[0] == '+') tok.remove_prefix(1);
  if (tok.empty()) return false;
  int v = 0;
  auto [p, ec] = std::from_chars(tok.data(), tok.data() + tok.size(), v);
  if (ec != std::errc() || p != tok.data() + tok.size()) return false;
  value = v;
  return true;
}

std::string ListReader::read_text(std::size_t width, std::string_view what) {
  if (next_ >= lines_.size()) fail_eof(std::string(what));
  std::string s = lines_[next_++].substr(0, width);
  s.resize(width, ' ');
  return s;
}

void ListReader::read(std::initializer_list<Item> items) { read_items(items.begin(), items.end()); }
void ListReader::read(const std::vector<Item>& items) { read_items(items.begin(), items.end()); }

template <class It>
void ListReader::read_items(It first, It last) {
  if (first == last) {
    // A read of no variables still consumes one line.
    if (next_ >= lines_.size()) fail_eof(msg::kAnEmptyList);
    ++next_;
    return;
  }
  It item = first;
  while (item != last) {
    if (next_ >= lines_.size()) fail_eof(item->what);
    const std::size_t line_no = next_ + 1;
    FieldScanner scan(lines_[next_++]);
    Field f;
    while (item != last && scan.next(f)) {
      if (f.kind == Field::kSlash) return;
      for (long r = 0; r < f.repeat && item != last; ++r, ++item) {
        if (f.kind == Field::kNull) continue;
        const char* problem = nullptr;
        if (item->kind == Item::kInt) {
          if (!parse_fortran_int(f.text, *static_cast<int*>(item->target)))
            problem = msg::kNotAnInteger;
        } else {
          switch (read_real(f.text, *static_cast<double*>(item->target))) {
            case RealText::kNumber: break;
            case RealText::kNotANumber: problem = msg::kNotANumber; break;
            case RealText::kTooLarge: problem = msg::kTooLargeANumber; break;
          }
        }
        if (problem) {
          throw InputError(msg::kLine + std::to_string(line_no) + ": " + quoted(f.text) + problem +
                           msg::kExpected + item->what + ".");
        }
      }
    }
  }
}

void ListReader::fail_eof(const std::string& what) const {
  throw InputError(msg::kFileEndsAfterLine + std::to_string(lines_.size()) + msg::kExpected + what +
                   ".");
}

}  // namespace korva
