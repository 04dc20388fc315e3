#include "run_names.h"

#include <charconv>
#include <vector>

#include "text_file.h"

namespace korva {

namespace {

std::string name_from_line(const std::string& line) {
  std::string s = line.substr(0, kMaxNameLength);
  // Trailing blanks are padding, as in a fixed-width field.
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

// The first value of a line as an integer; 0 when the line holds none.
std::int32_t first_integer(const std::string& line) {
  std::size_t i = line.find_first_not_of(" \t,");
  if (i == std::string::npos) return 0;
  if (line[i] == '+') ++i;
  std::int32_t v = 0;
  auto [p, ec] = std::from_chars(line.data() + i, line.data() + line.size(), v);
  if (ec != std::errc()) return 0;
  (void)p;
  return v;
}

void say(std::FILE* out, const char* text) {
  if (out) std::fputs(text, out);
}

// Reads one answer line from the console; false at end of input or on a read error.
bool ask(std::FILE* in, std::FILE* out, const char* prompt, std::string& answer) {
  say(out, prompt);
  say(out, " ENTER >");
  if (out) std::fflush(out);
  answer.clear();
  if (!in) return false;
  int c;
  bool any = false;
  while ((c = std::fgetc(in)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (answer.size() < kMaxNameLength) answer.push_back(static_cast<char>(c));
  }
  say(out, "\n");
  if (!any) return false;
  if (!answer.empty() && answer.back() == '\r') answer.pop_back();
  answer = name_from_line(answer);
  return true;
}

}  // namespace

NamesSource read_run_names(const std::string& path, RunNames& names, std::FILE* console_in,
                           std::FILE* console_out) {
  std::vector<std::string> lines;
  if (read_lines(path, lines)) {
    auto line = [&](std::size_t i) -> const std::string* {
      return i < lines.size() ? &lines[i] : nullptr;
    };
    if (auto* l = line(0)) {
      names.VERSION = l->substr(0, 12);
      names.VERSION.resize(12, ' ');
    }
    if (auto* l = line(1)) names.line2 = first_integer(*l);
    std::string* fields[] = {&names.input,      &names.report,      &names.plot,
                             &names.messages,   &names.tz,          &names.tz_scratch,
                             &names.plot_scratch1, &names.plot_scratch2, &names.json};
    for (std::size_t k = 0; k < 9; ++k)
      if (auto* l = line(k + 2)) *fields[k] = name_from_line(*l);
    return NamesSource::kFile;
  }

  // The control file could not be read: ask for the three essential names.
  say(console_out, "\n       ENTER THE NAME FOR THE INPUT FILE\n");
  if (!ask(console_in, console_out, "", names.input)) return NamesSource::kConsoleFailed;
  say(console_out, "\n       ENTER A NAME FOR THE OUTPUT FILE:\n");
  if (!ask(console_in, console_out, "", names.report)) return NamesSource::kConsoleFailed;
  say(console_out, "\n\n       ENTER A FILE NAME FOR YOUR GRAPHIC DATA FILE.\n");
  if (!ask(console_in, console_out, "", names.plot)) return NamesSource::kConsoleFailed;
  return NamesSource::kConsole;
}

PathParts split_path(const std::string& path) {
  PathParts parts;
  const std::size_t slash = path.find_last_of('/');
  std::string file = path;
  if (slash != std::string::npos) {
    parts.directory = path.substr(0, slash + 1).substr(0, 256);
    file = path.substr(slash + 1);
  }
  const std::size_t dot = file.find_last_of('.');
  if (dot != std::string::npos) {
    parts.extension = file.substr(dot, 5);
    file.resize(dot);
  }
  parts.base = file.substr(0, 256);
  auto rtrim = [](std::string& s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
  };
  rtrim(parts.directory);
  rtrim(parts.base);
  rtrim(parts.extension);
  return parts;
}

}  // namespace korva
