// Free-format ("list-directed") reading of the project file.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korva {

// A project file that cannot be read as the engine expects it. The message names the
// value and the line, in the engine's message style (upper case).
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads values the way a Fortran list-directed READ does, one read statement at a time:
// - every read starts on a new line and consumes at least that whole line;
// - values are separated by blanks, tabs or a comma (with optional blanks around it);
// - a read whose line holds too few values continues on the next lines, blank lines
//   included; values left on the last line used are skipped;
// - "r*v" repeats v r times, an empty value between two commas or "r*" leaves the
//   variable unchanged, and "/" ends the read leaving the remaining variables unchanged;
// - reals accept "1", "-2.5", ".5", "1.5E3", "1.5d3"; integers accept an optional sign
//   and digits only.
// Failures throw InputError naming the value and the line.
class ListReader {
 public:
  // One variable of a read statement, with the name used in error messages.
  struct Item {
    enum Kind { kInt, kReal } kind;
    void* target;
    std::string what;
    Item(int* p, std::string w) : kind(kInt), target(p), what(std::move(w)) {}
    Item(double* p, std::string w) : kind(kReal), target(p), what(std::move(w)) {}
  };

  ListReader() = default;
  explicit ListReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // Reads the next line as text: its first `width` characters, padded with blanks.
  std::string read_text(std::size_t width, std::string_view what);
  // One read statement over the given variables. A read of no variables consumes a line.
  void read(std::initializer_list<Item> items);
  void read(const std::vector<Item>& items);

  // 1-based number of the last line consumed (0 before the first read).
  std::size_t line_number() const { return next_; }

 private:
  template <class It>
  void read_items(It first, It last);
  [[noreturn]] void fail_eof(const std::string& what) const;

  std::vector<std::string> lines_;
  std::size_t next_ = 0;  // index of the next unread line
};

// Parses a whole token as a real the way a list-directed read does (locale-independent).
bool parse_fortran_real(std::string_view token, double& value);
// Parses a whole token as a 32-bit integer.
bool parse_fortran_int(std::string_view token, int& value);

}  // namespace korva
