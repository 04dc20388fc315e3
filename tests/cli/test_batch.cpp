// The runner on several projects at once: private directories, the summary, -q, Ctrl+C.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "common/process.h"

extern char** environ;

namespace fs = std::filesystem;

namespace korva {
namespace {

using namespace test_process;

const fs::path kExample = kSource / "examples" / "clay-over-sand.kv8d";
const char* const kResults[] = {".kv8o", ".kv8p", ".kv8r", ".kv8z"};

// The example with its shaft length changed, or made a design by load that no length reaches.
std::string Variant(const std::string& length, bool unreachableLoad = false) {
  std::string text = slurp(kExample);
  text.replace(text.find("2 12 60 2 2.5"), 13, "2 12 " + length + " 2 2.5");
  if (unreachableLoad) text.replace(text.find("2 1 1 5"), 7, "1 1 1 5");
  return text;
}

std::map<std::string, std::string> Results(const fs::path& dir, const std::string& stem,
                                           bool json = false) {
  std::map<std::string, std::string> r;
  for (const char* ext : kResults) r[ext] = slurp(dir / (stem + ext));
  if (json) r[".json"] = slurp(dir / (stem + ".json"));
  return r;
}

// What the engine and the runner leave behind besides results.
std::vector<std::string> Leftovers(const fs::path& dir) {
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name.rfind(".korva-run", 0) == 0 || name == "names.dat" || name == "TZDIAM.DAT" ||
        name.find(".part") != std::string::npos)
      left.push_back(name);
  }
  return left;
}

TEST(BatchRuns, ProjectsInOneDirectoryGiveTheResultsOfEachRunAlone) {
  const fs::path dir = temp_dir();
  std::ofstream(dir / "a.kv8d", std::ios::binary) << Variant("60");
  std::ofstream(dir / "b.kv8d", std::ios::binary) << Variant("40");
  const Shell batch = sh(q(kRunner) + " -j 2 --json " + q(dir / "a.kv8d") + " " + q(dir / "b.kv8d"));
  ASSERT_EQ(batch.code, 0) << batch.out;
  // No report echo; one line per project in the order given, with its values, and a total.
  EXPECT_EQ(batch.out.find("VERTICALLY LOADED"), std::string::npos) << batch.out;
  const std::string a = (dir / "a.kv8d").string(), b = (dir / "b.kv8d").string();
  EXPECT_EQ(batch.out, a + "  complete  length 60.0 FT  QU 479.82 TONS  QDN 227.33 TONS\n" +
                       b + "  complete  length 40.0 FT  QU 269.69 TONS  QDN 125.15 TONS\n" +
                       "2 projects: 2 complete, 0 failed\n");
  EXPECT_TRUE(Leftovers(dir).empty()) << Leftovers(dir).front();
  const auto batchA = Results(dir, "a", true), batchB = Results(dir, "b", true);
  const std::string chart = slurp(dir / "CHART.DAT");
  EXPECT_TRUE(fs::exists(dir / "CHART.DAT"));

  for (const char* stem : {"a", "b"}) {
    const Shell alone = sh(q(kRunner) + " --json " + q(dir / (std::string(stem) + ".kv8d")));
    ASSERT_EQ(alone.code, 0) << alone.out;
    EXPECT_NE(alone.out.find("VERTICALLY LOADED"), std::string::npos);
    const auto& before = stem[0] == 'a' ? batchA : batchB;
    for (const auto& [ext, text] : Results(dir, stem, true)) {
      EXPECT_FALSE(text.empty()) << stem << ext;
      EXPECT_TRUE(text == before.at(ext)) << stem << ext << " differs from the batch's";
    }
  }
  EXPECT_EQ(slurp(dir / "CHART.DAT"), chart);
  fs::remove_all(dir);
}

TEST(BatchRuns, AFailedRunIsNamedAndTheOthersKeepTheirResults) {
  const fs::path dir = temp_dir();
  std::ofstream(dir / "a.kv8d", std::ios::binary) << Variant("60");
  std::ofstream(dir / "deep.kv8d", std::ios::binary) << Variant("99000", true);
  std::ofstream(dir / "c.kv8d", std::ios::binary) << Variant("40");
  // LRFD: the summary gives the factored total, the table's last column.
  std::string lrfd = Variant("60");
  lrfd.replace(lrfd.find("2 1 1 5 1 2"), 11, "2 1 1 5 1 1");
  for (std::size_t at; (at = lrfd.find(" 1 1 \n")) != std::string::npos;) lrfd.replace(at, 6, " 0.55 0.5 \n");
  std::ofstream(dir / "lrfd.kv8d", std::ios::binary) << lrfd;
  const Shell r = sh("cd " + q(dir) + " && " + q(kRunner) + " -j 1 a.kv8d deep.kv8d missing.kv8d c.kv8d lrfd.kv8d");
  EXPECT_EQ(r.code, 17) << r.out;  // the largest failure: 10 + status 7
  EXPECT_NE(r.out.find("a.kv8d        complete  length 60.0 FT"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("deep.kv8d     status 7  length"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("missing.kv8d  not run"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("c.kv8d        complete  length 40.0 FT"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("lrfd.kv8d     complete  length 60.0 FT  QU 479.82 TONS  LRFD QU 257.61 TONS\n"),
            std::string::npos) << r.out;
  EXPECT_NE(r.out.find("5 projects: 3 complete, 2 failed\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("korva2017-run: failed: deep.kv8d, missing.kv8d"), std::string::npos) << r.out;
  // The run's own message is passed on.
  EXPECT_NE(r.out.find("ended with status 7"), std::string::npos) << r.out;
  EXPECT_NE(slurp(dir / "deep.kv8o").find("NEED ANOTHER SOIL LAYER"), std::string::npos);
  for (const char* stem : {"a", "c"})
    for (const auto& [ext, text] : Results(dir, stem)) EXPECT_FALSE(text.empty()) << stem << ext;
  EXPECT_TRUE(Leftovers(dir).empty());

  // Bad use of -j is refused before anything runs.
  for (const char* bad : {"-j 0", "-j x", "-j"}) {
    const Shell u = sh(q(kRunner) + " " + bad + " " + q(dir / "a.kv8d") + " " + q(dir / "c.kv8d"));
    EXPECT_EQ(u.code, 2) << bad << "\n" << u.out;
  }
  fs::remove_all(dir);
}

TEST(BatchRuns, QuietKeepsTheReportOffStandardOutput) {
  const fs::path dir = temp_dir();
  fs::copy_file(kExample, dir / "ex.kv8d");
  const Shell loud = sh(q(kRunner) + " " + q(dir / "ex.kv8d"));
  const auto loudResults = Results(dir, "ex");
  const Shell quiet = sh(q(kRunner) + " -q " + q(dir / "ex.kv8d"));
  ASSERT_EQ(quiet.code, 0) << quiet.out;
  EXPECT_NE(loud.out.find("VERTICALLY LOADED"), std::string::npos);
  EXPECT_EQ(quiet.out.find("VERTICALLY LOADED"), std::string::npos) << quiet.out;
  EXPECT_EQ(quiet.out.find("479.82"), std::string::npos) << quiet.out;
  // The runner's own lines stay, and after them anything printed still reaches the terminal.
  const std::string tail = loud.out.substr(loud.out.find("\nKORVA run status"));
  EXPECT_EQ(quiet.out, tail);
  EXPECT_EQ(Results(dir, "ex"), loudResults);
  fs::remove_all(dir);
}

TEST(BatchRuns, AnInterruptedBatchKeepsTheFinishedProjects) {
  const fs::path dir = temp_dir();
  const fs::path logs = temp_dir();
  constexpr int kProjects = 6;
  std::vector<std::string> args = {kRunner.string(), "-j", "1"};
  for (int i = 1; i <= kProjects; ++i) {
    const std::string name = "p" + std::to_string(i) + ".kv8d";
    fs::copy_file(kSource / "bench" / "design-charts-20x20.kv8d", dir / name);
    args.push_back((dir / name).string());
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, (logs / "out").c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, (logs / "err").c_str(), O_WRONLY | O_CREAT, 0600);
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, kRunner.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);

  // Once the first project's results are in place, Ctrl+C.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  auto finished = [&] {
    for (const char* ext : kResults)
      if (!fs::exists(dir / ("p1" + std::string(ext)))) return false;
    return true;
  };
  while (!finished() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(finished());
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ::kill(pid, SIGINT);
  int st = 0;
  ASSERT_EQ(::waitpid(pid, &st, 0), pid);
  ASSERT_TRUE(WIFEXITED(st));
  EXPECT_EQ(WEXITSTATUS(st), 130) << slurp(logs / "out") << slurp(logs / "err");
  EXPECT_NE(slurp(logs / "out").find(", 0 failed, "), std::string::npos) << slurp(logs / "out");
  EXPECT_NE(slurp(logs / "err").find("interrupted"), std::string::npos);

  EXPECT_TRUE(Leftovers(dir).empty()) << Leftovers(dir).front();
  EXPECT_FALSE(fs::exists(dir / "p6.kv8o"));  // never started
  // The finished project's results are whole: those of the project run alone.
  const auto kept = Results(dir, "p1");
  ASSERT_EQ(sh(q(kRunner) + " -q " + q(dir / "p1.kv8d")).code, 0);
  EXPECT_TRUE(Results(dir, "p1") == kept) << "the interrupted batch left p1's results changed";
  fs::remove_all(dir);
  fs::remove_all(logs);
}

}  // namespace
}  // namespace korva
