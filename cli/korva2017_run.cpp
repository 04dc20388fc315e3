// korva2017-run: runs the KORVA analysis engine on a project file from the shell.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <chrono>
#include <string>

#include <QGuiApplication>
#include <QHashFunctions>

#include "batch_run.h"
#include "calc_report.h"
#include "engine_run.h"
#include "project_check.h"
#include "project_file.h"

namespace fs = std::filesystem;

namespace {

// Exit codes: 0 complete; 2 the runner itself failed (usage, project, library);
// 10 + the engine's status when the engine ended with a status other than 0.
constexpr int kExitUsage = 2;
// The analysis ran, but the calculation report (--pdf) could not be written.
constexpr int kExitReport = 3;
constexpr int kExitStatusBase = 10;

void usage(std::FILE* to) {
  std::fprintf(to,
               "Usage: korva2017-run [--library PATH] [-q] [--json] [--pdf] [--paper a4|letter] PROJECT.kv8d\n"
               "       korva2017-run [-j N] [--library PATH] [--json] [--pdf] [--paper a4|letter]\n"
               "                     PROJECT...\n"
               "       korva2017-run --check FILE\n"
               "       korva2017-run --upgrade OLD.kvd NEW.kv8d [--layout 2012|6.0]\n"
               "\n"
               "Runs the KORVA drilled-shaft analysis on a project file. The engine writes\n"
               "its results beside the project:\n"
               "  .kv8o  report            .kv8p  plot data for the program's graphs\n"
               "  .kv8r  run-time messages  .kv8z  t-z and Q-w curves\n"
               "\n"
               "--check reads a project file (any layout, chosen by extension and content) and\n"
               "prints \"ok\" or the first problem with its line and item. --upgrade reads an\n"
               "older project file and writes it in the current layout. Neither alters its input.\n"
               "\n"
               "Options:\n"
               "  --library PATH  engine library to load (default: %s beside this program,\n"
               "                  else the one installed with it)\n"
               "  --json          also write the results as JSON, PROJECT.json beside the project\n"
               "                  (see docs/results-json.md)\n"
               "  --pdf           after the run, write the calculation report PROJECT.pdf beside\n"
               "                  the project: summary, input, tables, graphs, elevation and the\n"
               "                  whole report; also after a run that ended with a status\n"
               "  --paper SIZE    paper of the PDF: a4 or letter (default: letter for English\n"
               "                  units, a4 for SI)\n"
               "  -q, --quiet     do not echo the report on standard output\n"
               "  -j N, --jobs N  with several projects: at most N runs at a time (default: the\n"
               "                  number of processors)\n"
               "  --help          show this help\n"
               "  --version       show the version\n"
               "\n"
               "Exit status: 0 when the analysis ran to its end; 2 when the project, the\n"
               "engine library or its entry point is missing; 3 when the run ended but the\n"
               "PDF could not be written; otherwise 10 + the engine's\n"
               "run status (12, 14: beyond the strength curve; 17: need another soil layer;\n"
               "18: run files could not be set up; 19: project file could not be analysed).\n"
               "\n"
               "Several projects: each runs in a process of its own, in a private directory, so\n"
               "that projects in one directory do not disturb each other; its results are those\n"
               "of the project run alone. The report is not echoed. CHART.DAT and TZDATA.DAT,\n"
               "one per directory, are those of the run that finished last. One line per\n"
               "project (status, design length, QU and the allowable or factored total) and a\n"
               "total follow. Exit status: 0 when every run completed, else the largest exit\n"
               "status of a failed run; 130 when interrupted (Ctrl+C), which stops the runs and\n"
               "keeps the results of those that had finished.\n",
               korva::kEngineLibraryName);
}

int check(const std::string& file) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) {
    std::fprintf(stderr, "korva2017-run: project file not found: %s\n", file.c_str());
    return kExitUsage;
  }
  std::string problem = korva::project::CheckProject(file);
  if (problem.empty()) {
    std::printf("ok\n");
    return 0;
  }
  for (char& c : problem)
    if (c == '\r') c = ' ';
  std::fprintf(stderr, "%s: %s\n", file.c_str(), problem.c_str());
  return kExitUsage;
}

int upgrade(const std::string& from, const std::string& to, const std::string& layout) {
  namespace kp = korva::project;
  std::error_code ec;
  if (!fs::is_regular_file(from, ec)) {
    std::fprintf(stderr, "korva2017-run: project file not found: %s\n", from.c_str());
    return kExitUsage;
  }
  if (fs::exists(to, ec) && fs::equivalent(from, to, ec)) {
    std::fprintf(stderr, "korva2017-run: the new file must not replace the old one: %s\n", to.c_str());
    return kExitUsage;
  }
  int filter = kp::DetectFilter(from);
  if (layout == "2012") filter = kp::kFilter2012;
  else if (layout == "6.0") filter = kp::kFilter60;
  else if (!layout.empty()) {
    std::fprintf(stderr, "korva2017-run: unknown layout %s (2012 or 6.0)\n", layout.c_str());
    return kExitUsage;
  }
  kp::Project project;
  const kp::ReadResult r = kp::CreateFromFile(project, from, filter);
  if (!r.ok()) {
    std::string msg = r.error;
    for (char& c : msg)
      if (c == '\r') c = ' ';
    std::fprintf(stderr, "%s: %s\n", from.c_str(), msg.c_str());
    return kExitUsage;
  }
  try {
    kp::Save(project, to);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korva2017-run: %s\n", e.what());
    return kExitUsage;
  }
  std::printf("written %s\n", to.c_str());
  return 0;
}

}  // namespace

// Writes PROJECT.pdf from the project and the files of the run that started at `started`.
bool writePdf(const fs::path& projectFile, int status, korva::report::TPaper paper,
              fs::file_time_type started) {
  namespace kp = korva::project;
  kp::Project project;
  const kp::ReadResult r = kp::CreateFromFile(project, projectFile.string(), kp::DetectFilter(projectFile.string()));
  if (!r.ok()) {
    std::fprintf(stderr, "korva2017-run: no PDF: %s\n", r.error.c_str());
    return false;
  }
  // The PDF is drawn without a display; a fixed hash seed keeps the order in which the
  // fonts are written, so that the same project gives the same bytes.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QHashSeed::setDeterministicGlobalSeed();
  int argc = 1;
  char name[] = "korva2017-run";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  korva::report::TReportRequest request;
  request.Status = status;
  request.Paper = paper;
  request.NotBefore = started;
  const std::string pdf = korva::report::ReportFileFor(projectFile.string());
  const korva::report::TReportResult w = korva::report::WriteCalculationReport(project, projectFile.string(), request, pdf);
  if (!w.Ok) {
    std::fprintf(stderr, "korva2017-run: the PDF could not be written: %s\n", w.Error.c_str());
    return false;
  }
  std::printf("  %-10s %s (%d pages)\n", "pdf", pdf.c_str(), w.Pages);
  return true;
}

int main(int argc, char** argv) {
  std::string project;
  std::string library;
  bool pdf = false;
  bool json = false;
  korva::report::TPaper paper = korva::report::TPaper::Automatic;
  // Several projects run as a batch; each run of a batch is this program on one project
  // with --private-dir, its engine working in that directory.
  korva::cli::BatchOptions batch;
  bool quiet = false;
  std::string privateDir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      usage(stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("korva2017-run %s\n", korva::kProgramVersion);
      return 0;
    }
    if (arg == "--check") {
      if (i + 2 != argc) {
        std::fprintf(stderr, "korva2017-run: --check takes one file (try --help)\n");
        return kExitUsage;
      }
      return check(argv[i + 1]);
    }
    if (arg == "--upgrade") {
      std::string layout;
      if (i + 5 == argc && std::string(argv[i + 3]) == "--layout") layout = argv[i + 4];
      else if (i + 3 != argc) {
        std::fprintf(stderr, "korva2017-run: --upgrade takes OLD NEW [--layout 2012|6.0] (try --help)\n");
        return kExitUsage;
      }
      return upgrade(argv[i + 1], argv[i + 2], layout);
    }
    if (arg == "--library" && i + 1 < argc) {
      library = argv[++i];
      batch.childArgs.insert(batch.childArgs.end(), {"--library", fs::absolute(library).string()});
    } else if (arg == "-j" || arg.rfind("--jobs", 0) == 0 || (arg.size() > 2 && arg.rfind("-j", 0) == 0)) {
      std::string n = arg == "-j" || arg == "--jobs" ? (i + 1 < argc ? argv[++i] : "")
                      : arg.rfind("--jobs=", 0) == 0 ? arg.substr(7) : arg.substr(2);
      char* end = nullptr;
      const long v = n.empty() ? 0 : std::strtol(n.c_str(), &end, 10);
      if (v < 1 || v > 1024 || *end != '\0') {
        std::fprintf(stderr, "korva2017-run: -j takes the number of runs at a time (try --help)\n");
        return kExitUsage;
      }
      batch.jobs = static_cast<unsigned>(v);
    } else if (arg == "-q" || arg == "--quiet") {
      quiet = true;
    } else if (arg == "--private-dir" && i + 1 < argc) {
      privateDir = argv[++i];
    } else if (arg == "--json") {
      json = true;
      batch.childArgs.push_back(arg);
    } else if (arg == "--pdf") {
      pdf = true;
      batch.childArgs.push_back(arg);
    } else if (arg == "--paper") {
      const auto p = i + 1 < argc ? korva::report::PaperFromName(argv[i + 1]) : std::nullopt;
      if (!p) {
        std::fprintf(stderr, "korva2017-run: --paper takes a4 or letter (try --help)\n");
        return kExitUsage;
      }
      paper = *p;
      batch.childArgs.insert(batch.childArgs.end(), {arg, argv[i + 1]});
      ++i;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "korva2017-run: unknown option %s (try --help)\n", arg.c_str());
      return kExitUsage;
    } else {
      batch.projects.push_back(arg);
    }
  }
  if (batch.projects.empty()) {
    usage(stderr);
    return kExitUsage;
  }
  if (batch.projects.size() > 1) {
    if (!privateDir.empty()) {
      std::fprintf(stderr, "korva2017-run: --private-dir takes one project\n");
      return kExitUsage;
    }
    std::error_code ec;
    if (!library.empty() && !fs::is_regular_file(library, ec)) {
      std::fprintf(stderr, "korva2017-run: engine library not found: %s\n", library.c_str());
      return kExitUsage;
    }
    return korva::cli::RunBatch(batch);
  }
  project = batch.projects.front();

  std::error_code ec;
  if (!fs::is_regular_file(project, ec)) {
    std::fprintf(stderr, "korva2017-run: project file not found: %s\n", project.c_str());
    return kExitUsage;
  }
  const fs::path lib = library.empty() ? korva::EngineLibraryPath()
                                       : fs::absolute(library);
  if (!fs::is_regular_file(lib, ec)) {
    std::fprintf(stderr, "korva2017-run: engine library not found: %s\n", lib.c_str());
    return kExitUsage;
  }

  try {
    const korva::RunFiles files = korva::RunFiles::ForProject(project);
    const fs::path absolute = fs::absolute(project);
    // File times are kept at a coarser step on some file systems: a second of slack.
    const fs::file_time_type started = fs::file_time_type::clock::now() - std::chrono::seconds(1);
    korva::EngineRunResult r;
    {
      korva::cli::StdoutSilenced silenced(quiet);
      r = privateDir.empty() ? korva::RunEngine(lib, files.project, {}, korva::RunOptions{json})
                             : korva::cli::RunEngineInPrivateDirectory(lib, files.project, privateDir,
                                                                       korva::RunOptions{json});
    }
    if (r.outcome == korva::EngineRunResult::kLibraryFailed) {
      std::fprintf(stderr, "korva2017-run: %s\n", r.error.c_str());
      return kExitUsage;
    }
    std::fflush(stdout);
    std::printf("\nKORVA run status %d: %s\n", r.status, korva::DescribeStatus(r.status).c_str());
    const std::pair<const char*, const fs::path*> outputs[] = {
        {"report", &files.report},
        {"plot data", &files.plot},
        {"messages", &files.messages},
        {"t-z curves", &files.tz}};
    for (const auto& [what, path] : outputs) {
      if (fs::exists(*path, ec)) std::printf("  %-10s %s\n", what, path->c_str());
    }
    if (json && fs::exists(files.json, ec)) std::printf("  %-10s %s\n", "json", files.json.c_str());
    const bool pdfWritten = !pdf || writePdf(absolute, r.status, paper, started);
    if (r.status != 0) {
      std::fprintf(stderr, "korva2017-run: the analysis ended with status %d (%s); see %s\n",
                   r.status, korva::DescribeStatus(r.status).c_str(), files.messages.c_str());
      return kExitStatusBase + r.status;
    }
    return pdfWritten ? 0 : kExitReport;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korva2017-run: %s\n", e.what());
    return kExitUsage;
  }
}
