// A scratch directory for one engine run of the benchmarks: a copy of the project as p.kv8d
// and the "names.dat" the program would write for it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

inline std::filesystem::path prepare_run_dir(const std::filesystem::path& project) {
  char tmpl[] = "/tmp/korva-bench-XXXXXX";
  const std::filesystem::path dir = mkdtemp(tmpl);
  std::filesystem::copy_file(project, dir / "p.kv8d");
  std::ofstream names(dir / "names.dat");
  names << "2017.8.1\n8\n";
  for (const char* ext : {".kv8d", ".kv8o", ".kv8p", ".kv8r", ".kv8z", ".kv8w", ".kv8t", ".kv8q"})
    names << (dir / (std::string("p") + ext)).string() << "\n";
  return dir;
}
