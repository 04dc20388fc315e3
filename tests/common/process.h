// Running the program's command-line tools from tests: a shell command with its exit code and
// output, a fresh scratch directory, and a file's bytes.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace korva::test_process {

#if defined(KORVA_BIN_DIR) && defined(KORVA_SOURCE_DIR)
// The build's programs and the source tree.
inline const std::filesystem::path kBin = KORVA_BIN_DIR;
inline const std::filesystem::path kSource = KORVA_SOURCE_DIR;
inline const std::filesystem::path kRunner = kBin / "korva2017-run";
#endif

inline std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::filesystem::path temp_dir() {
  char tmpl[] = "/tmp/korva-cli-XXXXXX";
  return mkdtemp(tmpl);
}

struct Shell {
  int code;
  std::string out;
};
// Runs a shell command and returns its exit code and its standard output and error.
inline Shell sh(const std::string& cmd) {
  Shell r{-1, {}};
  std::FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = pclose(p);
  r.code = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

// A path quoted for the shell.
inline std::string q(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

}  // namespace korva::test_process
