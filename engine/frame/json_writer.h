// A small JSON emitter for the results file: objects, arrays, strings, integers, booleans
// and numbers. Numbers are written in the shortest form that reads back to the same double
// (std::to_chars, independent of the locale); a value that is not finite is written as null.
// Objects and arrays of containers are indented; arrays of plain values stay on one line.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korva {

class JsonWriter {
 public:
  JsonWriter& begin_object() { return open('{', false); }
  JsonWriter& end_object() { return close('}'); }
  JsonWriter& begin_array() { return open('[', true); }
  JsonWriter& end_array() { return close(']'); }

  // The key of the next member of the current object.
  JsonWriter& key(std::string_view k) {
    separate(true);
    string_literal(k);
    out_ += ": ";
    after_key_ = true;
    return *this;
  }

  JsonWriter& value(double v) {
    scalar();
    if (!std::isfinite(v)) {
      out_ += "null";
      return *this;
    }
    if (v == 0) v = 0;  // no "-0"
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out_.append(buf, r.ptr);
    return *this;
  }
  JsonWriter& value(int v) { return integer(v); }
  JsonWriter& value(std::int64_t v) { return integer(v); }
  JsonWriter& value(std::size_t v) { return integer(static_cast<std::int64_t>(v)); }
  JsonWriter& value(bool v) {
    scalar();
    out_ += v ? "true" : "false";
    return *this;
  }
  JsonWriter& value(std::string_view s) {
    scalar();
    string_literal(s);
    return *this;
  }
  JsonWriter& value(const char* s) { return value(std::string_view(s)); }
  JsonWriter& value(const std::string& s) { return value(std::string_view(s)); }
  JsonWriter& null() {
    scalar();
    out_ += "null";
    return *this;
  }
  // A member: key and value.
  template <class T>
  JsonWriter& member(std::string_view k, const T& v) {
    key(k);
    return value(v);
  }
  // An array of plain values on one line.
  template <class Range>
  JsonWriter& array(const Range& values) {
    begin_array();
    for (const auto& v : values) value(v);
    return end_array();
  }
  // Text that is already a JSON value, as this writer writes them; its lines are indented
  // to the current level.
  JsonWriter& raw(std::string_view json) {
    scalar();
    for (const char c : json) {
      out_ += c;
      if (c == '\n') out_.append(levels_.size() * 2, ' ');
    }
    return *this;
  }

  const std::string& str() const { return out_; }

 private:
  struct Level {
    bool array;
    bool first = true;
    bool multiline = false;  // an object, or an array that holds containers
  };

  JsonWriter& open(char c, bool array) {
    if (!levels_.empty() && levels_.back().array) {
      // A container inside an array: the array is written one element per line.
      levels_.back().multiline = true;
      separate(true);
    } else {
      scalar_prefix();
    }
    out_ += c;
    levels_.push_back({array, true, !array});
    return *this;
  }

  JsonWriter& close(char c) {
    const Level l = levels_.back();
    levels_.pop_back();
    if (l.multiline && !l.first) newline();
    out_ += c;
    if (levels_.empty()) out_ += '\n';
    return *this;
  }

  // Before a value: the separator from the previous element of an array.
  void scalar() { scalar_prefix(); }

  void scalar_prefix() {
    if (after_key_) {
      after_key_ = false;
      return;
    }
    if (levels_.empty()) return;
    Level& l = levels_.back();
    if (!l.first) out_ += l.multiline ? "," : ", ";
    if (l.multiline) newline();
    l.first = false;
  }

  // Before a key, or a container inside an array: comma and a new line.
  void separate(bool) {
    if (after_key_) {
      after_key_ = false;
      return;
    }
    if (levels_.empty()) return;
    Level& l = levels_.back();
    if (!l.first) out_ += ',';
    newline();
    l.first = false;
  }

  void newline() {
    out_ += '\n';
    out_.append(levels_.size() * 2, ' ');
  }

  JsonWriter& integer(std::int64_t v) {
    scalar();
    out_ += std::to_string(v);
    return *this;
  }

  // Length of the valid UTF-8 sequence at s[i], or 0.
  static std::size_t utf8_length(std::string_view s, std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    return n;
  }

  void string_literal(std::string_view s) {
    out_ += '"';
    for (std::size_t i = 0; i < s.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(s[i]);
      if (c >= 0x80) {
        if (const std::size_t n = utf8_length(s, i)) {
          out_.append(s.substr(i, n));
          i += n - 1;
          continue;
        }
      }
      switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default:
          if (c < 0x20 || c == 0x7f) {
            static const char hex[] = "0123456789abcdef";
            out_ += "\\u00";
            out_ += hex[c >> 4];
            out_ += hex[c & 15];
          } else if (c >= 0x80) {
            // A byte that starts no UTF-8 sequence (a Latin-1 file name, say) is written as
            // the character of that code, so that the document stays UTF-8.
            out_ += static_cast<char>(0xC0 | (c >> 6));
            out_ += static_cast<char>(0x80 | (c & 0x3F));
          } else {
            out_ += static_cast<char>(c);
          }
      }
    }
    out_ += '"';
  }

  std::string out_;
  std::vector<Level> levels_;
  bool after_key_ = false;
};

}  // namespace korva
