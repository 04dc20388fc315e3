#include "text_file.h"

#include <cerrno>
#include <sys/stat.h>

namespace korva {

bool TextFile::open(const std::string& path) {
  close();
  path_ = path;
  if (path.empty()) return false;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
  file_ = f;
  owns_ = true;
  failed_ = false;
  return true;
}

void TextFile::open_on_write(const std::string& path) {
  close();
  path_ = path;
  pending_ = !path.empty();
}

void TextFile::attach_stdout() {
  close();
  file_ = stdout;
  owns_ = false;
  path_.clear();
}

void TextFile::close() {
  pending_ = false;
  if (!file_) return;
  if (owns_) {
    if (std::fclose(file_) != 0) failed_ = true;
  } else {
    std::fflush(file_);
  }
  file_ = nullptr;
  owns_ = false;
}

void TextFile::line(std::string_view text) {
  if (pending_) {
    pending_ = false;
    if (!open(path_)) failed_ = true;
  }
  if (!file_) return;
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size())
    failed_ = true;
  if (std::fputc('\n', file_) == EOF) failed_ = true;
}

void TextFile::flush() {
  if (file_ && std::fflush(file_) != 0) failed_ = true;
}

bool read_lines(const std::string& path, std::vector<std::string>& lines) {
  lines.clear();
  if (path.empty()) return false;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string text;
  char buf[1 << 15];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) return false;

  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.emplace_back(text, start, stop - start);
    start = end + 1;
  }
  return true;
}

}  // namespace korva
