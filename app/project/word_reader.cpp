// Token reader: whole-file loading, word splitting and number conversion.
#include "word_reader.h"

#include "evaluator.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace korva::project {
namespace {

constexpr std::string_view kIncomplete = "This file either invalid or incomplete.";
constexpr std::string_view kOutOfRange =
    "The number is out of range (its magnitude exceeds 1.7E+308).";

// Blanks and control characters are trimmed from the ends of a line.
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsTrimmed(s[i])) ++i;
  return s.substr(i);
}

std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  while (!s.empty() && IsTrimmed(s.back())) s.remove_suffix(1);
  return s;
}

// A word read as a number: the evaluator's decimal reader.
std::optional<double> ParseNumber(std::string_view word) { return ParseDecimal(word); }

TWordContainer SplitLine(std::string_view line) {
  TWordContainer container;
  container.OrigString = std::string(line);
  std::string_view rest = Trim(line);
  while (!rest.empty()) {
    std::size_t gap = rest.find_first_of(" \t");
    if (gap == std::string_view::npos) {
      container.Words.emplace_back(rest);
      break;
    }
    container.Words.emplace_back(rest.substr(0, gap));
    rest = TrimLeft(rest.substr(gap));
  }
  return container;
}

}  // namespace

TWordReader::TWordReader(const std::string& file_name) {
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  errno = 0;
  std::unique_ptr<std::FILE, Closer> file(std::fopen(file_name.c_str(), "rb"));
  if (!file) throw EInOutError(std::strerror(errno != 0 ? errno : ENOENT));
  std::string text;
  char buffer[65536];
  for (;;) {
    std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
    text.append(buffer, n);
    if (n < sizeof buffer) break;
  }
  if (std::ferror(file.get())) throw EInOutError(std::strerror(errno != 0 ? errno : EIO));
  Load(text);
}

TWordReader TWordReader::FromText(std::string_view text) {
  TWordReader reader;
  reader.Load(text);
  return reader;
}

void TWordReader::Load(std::string_view text) {
  // Lines end at LF; the CR of a CR LF end is not part of the line. A last line without
  // a line end still counts, and an empty file is one empty line.
  lines_.clear();
  std::size_t start = 0;
  do {
    std::size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos
                                                                            : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.push_back(SplitLine(line));
    start = end == std::string_view::npos ? text.size() + 1 : end + 1;
  } while (start < text.size());
  line_ = 0;
  item_ = 0;
}

void TWordReader::SeekWord() {
  while (line_ < static_cast<int>(lines_.size()) &&
         item_ >= static_cast<int>(lines_[line_].Words.size())) {
    ++line_;
    item_ = 0;
  }
  if (line_ >= static_cast<int>(lines_.size())) throw EInOutError(std::string(kIncomplete));
}

std::string TWordReader::ReadWord() {
  SeekWord();
  return lines_[line_].Words[item_++];
}

void TWordReader::FailAt(std::string_view message) const {
  // The word just read is the `item_`-th (1-based) of line `line_` + 1.
  std::string text = "Error on Line " + std::to_string(line_ + 1) + " Item " +
                     std::to_string(item_) + "\r";
  text += message;
  throw EInOutError(text);
}

std::int64_t TWordReader::WordsLeft() const {
  std::int64_t n = 0;
  for (std::size_t i = static_cast<std::size_t>(line_); i < lines_.size(); ++i)
    n += static_cast<std::int64_t>(lines_[i].Words.size());
  return line_ < static_cast<int>(lines_.size()) ? n - item_ : n;
}

double TWordReader::ReadFloat() {
  std::optional<double> value = ParseNumber(ReadWord());
  if (!value) FailAt("A floating point number was expected but not found.");
  // A number beyond the range of a double would be stored as infinity and written back
  // as text no reader takes: it is refused here.
  if (!std::isfinite(*value)) FailAt(kOutOfRange);
  return *value;
}

int TWordReader::ReadInteger() {
  std::optional<double> value = ParseNumber(ReadWord());
  if (!value || *value != std::trunc(*value) || *value < -2147483648.0 || *value > 2147483647.0) {
    FailAt("An integer was expected but not found.");
  }
  return static_cast<int>(*value);
}

void TWordReader::ReadLine(std::string& s) {
  if (line_ >= static_cast<int>(lines_.size())) throw EInOutError(std::string(kIncomplete));
  s = lines_[line_].OrigString;
  ++line_;
  item_ = 0;
}

void TWordReader::ReadWords(std::string& s) {
  s.clear();
  for (;;) {
    SeekWord();
    const std::string& word = lines_[line_].Words[item_];
    if (ParseNumber(word)) return;
    if (!s.empty()) s += ' ';
    s += word;
    ++item_;
  }
}

int TWordReader::CountWordsLine() {
  if (line_ >= static_cast<int>(lines_.size())) throw EInOutError(std::string(kIncomplete));
  int count = static_cast<int>(lines_[line_].Words.size());
  ++line_;
  item_ = 0;
  return count;
}

int TWordReader::GetCurrentLineWordCount() const {
  return GetWordCount(line_);
}

int TWordReader::GetWordCount(int i) const {
  if (i < 0 || i >= static_cast<int>(lines_.size())) return 0;
  return static_cast<int>(lines_[i].Words.size());
}

}  // namespace korva::project
