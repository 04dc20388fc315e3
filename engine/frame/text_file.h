// Sequential text files behind the engine's numbered streams.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace korva {

// A text file opened for writing from its start (an existing file is overwritten,
// a missing one created). Lines end with '\n'. Output is buffered.
class TextFile {
 public:
  TextFile() = default;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  ~TextFile() { close(); }

  // Opens `path` for writing; returns false (and stays closed) when it cannot.
  bool open(const std::string& path);
  // Opens `path` so that it is replaced only when something is written: a file opened and
  // closed without a write keeps its earlier content (as a Fortran sequential file does).
  void open_on_write(const std::string& path);
  // Writes to the process's standard output instead of a file.
  void attach_stdout();
  void close();
  bool is_open() const { return file_ != nullptr || pending_; }
  const std::string& path() const { return path_; }

  // Writes `text` followed by a line end. `text` may hold several records separated by '\n'.
  // Writing to a closed file does nothing.
  void line(std::string_view text);
  void flush();
  // True when a write to the file failed (disk full, device error).
  bool failed() const { return failed_; }

 private:
  std::FILE* file_ = nullptr;
  bool owns_ = false;
  bool pending_ = false;  // opened with open_on_write, not yet created
  bool failed_ = false;
  std::string path_;
};

// Reads a whole text file as lines without their line ends ("\n" or "\r\n").
// Returns false when the file cannot be opened or read.
bool read_lines(const std::string& path, std::vector<std::string>& lines);

}  // namespace korva
