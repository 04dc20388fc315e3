// Token reader of the project file and the engine's plot data file.
//
// The whole file is loaded at once as lines of words (split at blanks and tabs) and the
// words are handed out one after another as text, reals or integers, across line ends.
// The position (`Line`, `Item`) is what the error messages report.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korva::project {

// A file that cannot be read or does not hold what the reader expects.
class EInOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The words of one line in order and the line as read (without its line end).
struct TWordContainer {
  std::vector<std::string> Words;
  std::string OrigString;
};

class TWordReader {
 public:
  // Reads the whole file; a file that cannot be opened or read throws EInOutError with
  // the system's error text.
  explicit TWordReader(const std::string& file_name);

  // A reader over text already in memory (LF or CR LF line ends).
  static TWordReader FromText(std::string_view text);

  // The next word. Lines without words are passed over; when no word is left, throws
  // "This file either invalid or incomplete.".
  std::string ReadWord();
  // The next word as a real ("." as decimal separator whatever the locale).
  double ReadFloat();
  // The next word as a whole number in the 32-bit range; "3.0" and "1E1" are accepted.
  int ReadInteger();
  // The current line as read; the position moves to the start of the next line.
  void ReadLine(std::string& s);
  // Words joined by one blank up to the first word that is a number, which is left for
  // the next read.
  void ReadWords(std::string& s);
  // Words of the current line; the position moves to the start of the next line.
  int CountWordsLine();

  // All lines consumed. (Named Eof: EOF is a macro of the C library.)
  bool Eof() const { return line_ == static_cast<int>(lines_.size()); }

  int GetCurrentLineWordCount() const;
  int GetWordCount(int i) const;
  int GetLineCount() const { return static_cast<int>(lines_.size()); }
  int NumberLines() const { return GetLineCount(); }
  bool GetAtStartOfLine() const { return item_ == 0; }

  // Index of the current line and of the next word on it, both from 0.
  int Line() const { return line_; }
  int Item() const { return item_; }

  // Words not yet read, so that a count read from the file can be checked against what the
  // rest of the file can hold before anything is sized by it.
  std::int64_t WordsLeft() const;

  // Throws EInOutError for the word just read: "Error on Line L Item I", "\r", `message`.
  [[noreturn]] void FailAt(std::string_view message) const;

 private:
  TWordReader() = default;
  void Load(std::string_view text);
  // Moves to the next word, passing over ends of lines and lines without words.
  void SeekWord();

  std::vector<TWordContainer> lines_;
  int line_ = 0;
  int item_ = 0;
};

}  // namespace korva::project
