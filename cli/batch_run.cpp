#include "batch_run.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "dynlib.h"
#include "report_reader.h"

extern char** environ;

namespace fs = std::filesystem;

namespace korva::cli {

namespace {

// The project's results are named after it; these are the engine's per-directory files.
constexpr const char* kDirectoryFiles[] = {"CHART.DAT", "TZDATA.DAT"};

// Moves `from` over `to`; across file systems by a copy beside `to` and a rename.
void moveInto(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (!ec) return;
  const fs::path part = to.parent_path() / ("." + to.filename().string() + ".part");
  fs::copy_file(from, part, fs::copy_options::overwrite_existing);
  fs::rename(part, to);
  fs::remove(from, ec);
}

}  // namespace

EngineRunResult RunEngineInPrivateDirectory(const fs::path& library, const fs::path& project,
                                            const fs::path& privateDir, const RunOptions& options) {
  const RunFiles real = RunFiles::ForProject(project);
  const fs::path dir = fs::absolute(privateDir).lexically_normal();
  // The engine reads the project where it is and writes its files under their own names in
  // the private directory; the report's file block shows the project's directory and the
  // files' names, as for a run in the project's directory.
  RunFiles files = RunFiles::ForProject(dir / real.project.filename());
  files.project = real.project;
  const EngineRunResult result = RunEngineIn(library, files, dir, {}, options);
  if (result.outcome == EngineRunResult::kLibraryFailed) return result;

  // An interruption now would leave the project with results of two runs: it waits.
  sigset_t hold, old;
  sigemptyset(&hold);
  sigaddset(&hold, SIGINT);
  sigaddset(&hold, SIGTERM);
  sigprocmask(SIG_BLOCK, &hold, &old);
  const std::string stem = real.project.stem().string() + ".";
  const fs::path home = real.project.parent_path();
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    const bool result_file = name.compare(0, stem.size(), stem) == 0;
    const bool directory_file =
        std::find(std::begin(kDirectoryFiles), std::end(kDirectoryFiles), name) != std::end(kDirectoryFiles);
    if (result_file || directory_file) moveInto(entry.path(), home / name);
  }
  sigprocmask(SIG_SETMASK, &old, nullptr);
  return result;
}

StdoutSilenced::StdoutSilenced(bool active) {
  if (!active) return;
  std::fflush(stdout);
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null < 0) return;
  saved_ = ::fcntl(1, F_DUPFD_CLOEXEC, 3);
  if (saved_ >= 0) ::dup2(null, 1);
  ::close(null);
}

StdoutSilenced::~StdoutSilenced() {
  if (saved_ < 0) return;
  std::fflush(stdout);
  ::dup2(saved_, 1);
  ::close(saved_);
}

std::string SummariseReport(const fs::path& report) {
  std::ifstream in(report, std::ios::binary);
  if (!in) return {};
  std::stringstream text;
  text << in.rdbuf();
  const report::TReportFile file = report::ParseReport(text.str());
  if (file.Passes.empty() || file.Passes.back().Rows.empty()) return {};
  const report::TReportPass& pass = file.Passes.back();
  const std::array<report::TPrinted, 8>* row = &pass.Rows.back();
  if (const auto* length = pass.Find("SHAFT LENGTH"); length && length->Value.Value) {
    for (const auto& r : pass.Rows)
      if (r[0].Value && std::abs(*r[0].Value - *length->Value.Value) < 0.05) row = &r;
  }
  // Column names and units from the table's heading lines.
  auto words = [](const std::string& line) {
    std::vector<std::string> w;
    std::istringstream s(line);
    for (std::string x; s >> x;) w.push_back(x);
    return w;
  };
  const std::vector<std::string> names = words(pass.Heading[0]);
  std::vector<std::string> units = words(pass.Heading[1]);
  for (std::string& u : units)
    if (u.size() >= 2 && u.front() == '(' && u.back() == ')') u = u.substr(1, u.size() - 2);
  auto unit = [&](std::size_t i) { return i < units.size() ? " " + units[i] : std::string(); };
  // The allowable total (QDN) of a design by factors of safety, the factored total of LRFD.
  const bool lrfd = pass.Heading[0].find("LRFD QU") != std::string::npos;
  const std::size_t design = lrfd ? 7 : 6;
  const std::string name = lrfd ? "LRFD QU" : names.size() > 6 ? names[6] : "QDN";
  return "length " + (*row)[0].Text + unit(0) + "  QU " + (*row)[4].Text + unit(4) + "  " + name +
         " " + (*row)[design].Text + unit(design);
}

namespace {

struct Job {
  std::string name;      // as given
  fs::path project;      // absolute
  fs::path scratch;      // private directory of the run (holds "run/" and "stderr")
  pid_t pid = -1;
  enum State { kWaiting, kRunning, kDone, kInterrupted } state = kWaiting;
  int exit = 0;          // exit status of the run; -signal when killed
  std::string error;     // why the run could not start
};

fs::path SelfExecutable() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? ProgramDirectory() / "korva2017-run" : exe;
}

// Starts the run of `job` with standard output discarded and standard error kept in the
// scratch directory. Returns false with `job.error` set when it cannot.
bool Start(Job& job, const fs::path& exe, const std::vector<std::string>& childArgs) {
  std::error_code ec;
  const fs::path home = job.project.parent_path();
  std::string tmpl = (home / ".korva-run-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) {
    job.error = "cannot make a private directory in " + home.string() + ": " + std::strerror(errno);
    return false;
  }
  job.scratch = tmpl;
  fs::create_directory(job.scratch / "run", ec);
  if (ec) {
    job.error = "cannot make a private directory: " + ec.message();
    return false;
  }
  std::vector<std::string> args = {exe.string(), "--private-dir", (job.scratch / "run").string()};
  args.insert(args.end(), childArgs.begin(), childArgs.end());
  args.push_back(job.project.string());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const std::string err = (job.scratch / "stderr").string();
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGINT, SIGTERM, SIGCHLD}) sigaddset(&defaults, s);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const int rc = posix_spawn(&job.pid, exe.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    job.error = "cannot start " + exe.string() + ": " + std::strerror(rc);
    return false;
  }
  job.state = Job::kRunning;
  return true;
}

// Passes on what the run wrote to standard error and removes its private directory.
void Finish(Job& job, bool forward) {
  std::error_code ec;
  if (job.scratch.empty()) return;
  if (forward) {
    std::ifstream in(job.scratch / "stderr", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    if (!s.empty()) {
      std::fwrite(s.data(), 1, s.size(), stderr);
      if (s.back() != '\n') std::fputc('\n', stderr);
    }
  }
  fs::remove_all(job.scratch, ec);
  job.scratch.clear();
}

std::string Outcome(const Job& job) {
  if (job.state == Job::kInterrupted || job.state == Job::kWaiting) return "interrupted";
  if (!job.error.empty()) return "not run";
  if (job.exit < 0) return "killed by signal " + std::to_string(-job.exit);
  if (job.exit == 0) return "complete";
  if (job.exit > 10) return "status " + std::to_string(job.exit - 10);
  if (job.exit == 3) return "no PDF";
  return "failed (exit " + std::to_string(job.exit) + ")";
}

}  // namespace

int RunBatch(const BatchOptions& options) {
  std::vector<Job> jobs(options.projects.size());
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    jobs[i].name = options.projects[i];
    jobs[i].project = fs::absolute(options.projects[i]).lexically_normal();
  }
  unsigned limit = options.jobs ? options.jobs : std::thread::hardware_concurrency();
  if (limit == 0) limit = 1;
  const fs::path exe = SelfExecutable();

  // Signals are taken one at a time from the pending set: a child's end or Ctrl+C.
  sigset_t wanted, old;
  sigemptyset(&wanted);
  for (int s : {SIGINT, SIGTERM, SIGCHLD}) sigaddset(&wanted, s);
  sigprocmask(SIG_BLOCK, &wanted, &old);

  std::size_t next = 0;
  unsigned running = 0;
  int stop = 0;
  for (;;) {
    while (!stop && running < limit && next < jobs.size()) {
      Job& job = jobs[next++];
      std::error_code ec;
      if (!fs::is_regular_file(job.project, ec)) {
        job.state = Job::kDone;
        job.exit = 2;
        job.error = "project file not found: " + job.name;
      } else if (Start(job, exe, options.childArgs)) {
        ++running;
        continue;
      } else {
        job.state = Job::kDone;
        job.exit = 2;
        Finish(job, false);
      }
      std::fprintf(stderr, "korva2017-run: %s\n", job.error.c_str());
    }
    if (running == 0) break;
    siginfo_t info;
    const int sig = sigwaitinfo(&wanted, &info);
    if (sig == SIGINT || sig == SIGTERM) {
      // A second interruption no longer waits for the runs to stop by themselves.
      const int forward = stop ? SIGKILL : sig;
      stop = sig;
      for (const Job& job : jobs)
        if (job.state == Job::kRunning) ::kill(job.pid, forward);
    }
    int st = 0;
    for (pid_t pid; (pid = ::waitpid(-1, &st, WNOHANG)) > 0;) {
      for (Job& job : jobs) {
        if (job.state != Job::kRunning || job.pid != pid) continue;
        --running;
        job.exit = WIFEXITED(st) ? WEXITSTATUS(st) : -WTERMSIG(st);
        job.state = stop && !WIFEXITED(st) ? Job::kInterrupted : Job::kDone;
        Finish(job, job.state == Job::kDone);
      }
    }
  }
  sigprocmask(SIG_SETMASK, &old, nullptr);

  std::size_t width = 0;
  for (const Job& job : jobs) width = std::max(width, job.name.size());
  int complete = 0, failed = 0, interrupted = 0, worst = 0;
  std::string failures;
  for (const Job& job : jobs) {
    std::string values;
    const bool ran = job.state == Job::kDone && job.error.empty() && (job.exit == 0 || job.exit == 3 || job.exit > 10);
    if (ran) values = SummariseReport(RunFiles::ForProject(job.project).report);
    std::string line = Outcome(job);
    if (!values.empty()) line += "  " + values;
    std::printf("%-*s  %s\n", static_cast<int>(width), job.name.c_str(), line.c_str());
    if (job.state != Job::kDone) {
      ++interrupted;
    } else if (job.exit == 0) {
      ++complete;
    } else {
      ++failed;
      worst = std::max(worst, job.exit > 0 ? job.exit : 1);
      failures += (failures.empty() ? "" : ", ") + job.name;
    }
  }
  std::printf("%zu project%s: %d complete, %d failed", jobs.size(), jobs.size() == 1 ? "" : "s",
              complete, failed);
  if (interrupted) std::printf(", %d interrupted", interrupted);
  std::printf("\n");
  std::fflush(stdout);
  if (failed) std::fprintf(stderr, "korva2017-run: failed: %s\n", failures.c_str());
  if (stop) {
    std::fprintf(stderr, "korva2017-run: interrupted; the finished projects' results are kept\n");
    return 130;
  }
  return failed ? worst : 0;
}

}  // namespace korva::cli
