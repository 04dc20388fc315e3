// The engine library as its clients use it (dlopen) and the batch runner.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/process.h"
#include "dynlib.h"
#include "engine_run.h"

namespace fs = std::filesystem;

namespace korva {
namespace {

using namespace test_process;

const fs::path kLibrary = kBin / kEngineLibraryName;
const fs::path kExample = kSource / "examples" / "clay-over-sand.kv8d";

class CurrentDir {
 public:
  explicit CurrentDir(const fs::path& d) : old_(fs::current_path()) { fs::current_path(d); }
  ~CurrentDir() { fs::current_path(old_); }

 private:
  fs::path old_;
};

TEST(EngineLibrary, ExportsIkorvaAlone) {
  const Shell nm = sh("nm -D --defined-only " + q(kLibrary) + " | awk '$2 ~ /^[TDBW]$/ {print $3}'");
  ASSERT_EQ(nm.code, 0) << nm.out;
  EXPECT_EQ(nm.out, "IKORVA\n");
}

TEST(EngineLibrary, WrongModesReturnOneAndCreateNoFile) {
  const fs::path dir = temp_dir();
  CurrentDir cd(dir);
  TDynamicLibrary lib(kLibrary.string());
  lib.Open();
  auto ikorva = reinterpret_cast<std::int32_t (*)(std::int32_t)>(lib.FindProcedure("IKORVA"));
  ASSERT_NE(ikorva, nullptr);
  EXPECT_EQ(ikorva(0), 1);
  EXPECT_EQ(ikorva(2), 1);
  EXPECT_EQ(ikorva(-1), 1);
  EXPECT_TRUE(fs::is_empty(dir));
  lib.Close();
  fs::remove_all(dir);
}

TEST(EngineLibrary, WrapperReportsItsErrors) {
  TDynamicLibrary missing("/nonexistent/libKorva2017_DLL.so");
  EXPECT_THROW(missing.Open(), EFileNotFoundError);
  EXPECT_THROW(missing.FindProcedure("IKORVA"), EDLLNotOpenError);
  const fs::path dir = temp_dir();
  std::ofstream(dir / "bad.so") << "not a library";
  TDynamicLibrary bad((dir / "bad.so").string());
  EXPECT_THROW(bad.Open(), EInitError);
  fs::remove_all(dir);
}

TEST(RunEngine, RunsTheExampleAndCleansUp) {
  const fs::path dir = temp_dir();
  fs::copy_file(kExample, dir / "example.kv8d");
  const fs::path old = fs::current_path();
  std::int32_t seen = -1;
  const EngineRunResult r =
      RunEngine(kLibrary, dir / "example.kv8d", [&](std::int32_t s) { seen = s; });
  fs::current_path(old);
  EXPECT_EQ(r.outcome, EngineRunResult::kRan);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(seen, 0);
  for (const char* kept : {"example.kv8d", "example.kv8o", "example.kv8p", "example.kv8r", "example.kv8z"})
    EXPECT_TRUE(fs::exists(dir / kept)) << kept;
  for (const char* gone : {"names.dat", "TZDIAM.DAT", "example.kv8w", "example.kv8t", "example.kv8q"})
    EXPECT_FALSE(fs::exists(dir / gone)) << gone;
  EXPECT_EQ(slurp(dir / "example.kv8d"), slurp(kExample));
  fs::remove_all(dir);
}

TEST(RunEngine, NamesFileHasTheTenLines) {
  const fs::path dir = temp_dir();
  const RunFiles f = RunFiles::ForProject(dir / "my project.kv8d");
  WriteNamesFile(dir, f);
  const std::string p = (dir / "my project").string();
  EXPECT_EQ(slurp(dir / "names.dat"), "2017.8.1\n8\n" + p + ".kv8d\n" + p + ".kv8o\n" + p +
                                          ".kv8p\n" + p + ".kv8r\n" + p + ".kv8z\n" + p +
                                          ".kv8w\n" + p + ".kv8t\n" + p + ".kv8q\n");
  fs::remove_all(dir);
}

TEST(RunEngine, MissingExportLeavesNamesFileAndCallsNothing) {
  const fs::path dir = temp_dir();
  fs::copy_file(kExample, dir / "example.kv8d");
  const fs::path old = fs::current_path();
  const EngineRunResult r = RunEngine("/lib/x86_64-linux-gnu/libm.so.6", dir / "example.kv8d");
  fs::current_path(old);
  EXPECT_EQ(r.outcome, EngineRunResult::kLibraryFailed);
  EXPECT_NE(r.error.find("IKORVA"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir / "names.dat"));
  EXPECT_FALSE(fs::exists(dir / "example.kv8o"));
  fs::remove_all(dir);
}

TEST(BatchRunner, RunsAProjectAndPrintsItsFiles) {
  const fs::path dir = temp_dir();
  fs::copy_file(kExample, dir / "ex.kv8d");
  const Shell r = sh("cd / && " + q(kRunner) + " " + q(dir / "ex.kv8d"));
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("KORVA run status 0"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find((dir / "ex.kv8o").string()), std::string::npos) << r.out;
  const std::string report = slurp(dir / "ex.kv8o");
  EXPECT_NE(report.find("KORVA for Windows, Version 2017.8.1"), std::string::npos);
  EXPECT_NE(report.find("Name of input data file     : ex.kv8d"), std::string::npos);
  EXPECT_NE(report.find("Time and Date of Analysis"), std::string::npos);
  EXPECT_NE(report.find("Example 1: 3 ft drilled shaft"), std::string::npos);
  for (const char* ext : {".kv8p", ".kv8r", ".kv8z"}) EXPECT_TRUE(fs::exists(dir / ("ex" + std::string(ext))));
  EXPECT_FALSE(fs::exists(dir / "names.dat"));
  fs::remove_all(dir);
}

TEST(BatchRunner, EveryBundledExampleRunsCleanly) {
  for (const auto& entry : fs::directory_iterator(kSource / "examples")) {
    if (entry.path().extension() != ".kv8d") continue;
    const fs::path dir = temp_dir();
    fs::copy_file(entry.path(), dir / "p.kv8d");
    const Shell r = sh(q(kRunner) + " " + q(dir / "p.kv8d"));
    EXPECT_EQ(r.code, 0) << entry.path() << "\n" << r.out;
    for (const char* ext : {".kv8o", ".kv8p", ".kv8r", ".kv8z"}) {
      const std::string text = slurp(dir / ("p" + std::string(ext)));
      for (const char* bad : {"nan", "NaN", "Infinity", "inf "})
        EXPECT_EQ(text.find(bad), std::string::npos) << entry.path() << ext << " holds " << bad;
    }
    fs::remove_all(dir);
  }
}

TEST(BatchRunner, ReportsBadUseWithExitCodeTwo) {
  const fs::path dir = temp_dir();
  fs::copy_file(kExample, dir / "ex.kv8d");
  const struct {
    std::string args;
    int code;
    const char* text;
  } cases[] = {
      {"--help", 0, "Usage: korva2017-run"},
      {"--version", 0, "korva2017-run 2017.8.1"},
      {"", 2, "Usage"},
      {"--frobnicate x.kv8d", 2, "unknown option"},
      {q(dir / "missing.kv8d"), 2, "project file not found"},
      {"--library /nonexistent.so " + q(dir / "ex.kv8d"), 2, "engine library not found"},
      {"--library /lib/x86_64-linux-gnu/libm.so.6 " + q(dir / "ex.kv8d"), 2, "no export IKORVA"},
  };
  for (const auto& c : cases) {
    const Shell r = sh(q(kRunner) + " " + c.args);
    EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.text), std::string::npos) << c.args << "\n" << r.out;
    // One line of error for the failures.
    if (c.code == 2 && c.args != "") {
      EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    }
  }
  fs::remove_all(dir);
}

TEST(BatchRunner, EngineStatusBecomesTheExitCode) {
  const fs::path dir = temp_dir();
  std::ofstream(dir / "bad.kv8d") << "Broken\n1\n2 1 1 five\n";
  const Shell r = sh(q(kRunner) + " " + q(dir / "bad.kv8d"));
  EXPECT_EQ(r.code, 19) << r.out;
  EXPECT_NE(r.out.find("status 9"), std::string::npos) << r.out;
  EXPECT_NE(slurp(dir / "bad.kv8r").find("\"five\" IS NOT A NUMBER"), std::string::npos);
  EXPECT_EQ(slurp(dir / "bad.kv8d"), "Broken\n1\n2 1 1 five\n");
  fs::remove_all(dir);
}

TEST(BatchRunner, CheckAndUpgradeProjectFiles) {
  const fs::path fixtures = kSource / "tests" / "fixtures" / "project";
  const fs::path dir = temp_dir();
  for (const char* f : {"old-2012.kvd", "old-60.kvd"}) fs::copy_file(fixtures / f, dir / f);
  fs::copy_file(kExample, dir / "ex.kv8d");
  std::ofstream(dir / "broken.kv8d") << "t\r\n1 \r\n2 1 1 1 1 2 0 0 0 0 0\r\n3 0 x 0 0 0 0\r\n";
  std::string too_many = "t\r\n1 \r\n2 1 1 1 1 2 0 0 0 0 0\r\n3 0 0 0 0 0 0\r\n31 10 60 2 3\r\n";
  for (int k = 1; k <= 31; ++k) too_many += std::to_string(2) + " " + std::to_string(k) + " \r\n0 120 0.0 1000 0 0 0 1 1 \r\n0 120 0.0 1000 0 0 0 1 1 \r\n0 0\r\n";
  std::ofstream(dir / "layers.kv8d") << too_many;
  const std::string before = slurp(dir / "broken.kv8d") + slurp(dir / "old-60.kvd");

  const struct {
    std::string args;
    int code;
    const char* text;
  } cases[] = {
      {"--check " + q(dir / "ex.kv8d"), 0, "ok"},
      {"--check " + q(dir / "old-2012.kvd"), 0, "ok"},
      {"--check " + q(dir / "old-60.kvd"), 0, "ok"},
      {"--check " + q(dir / "broken.kv8d"), 2, "Error on Line 4 Item 3 A floating point number was expected"},
      {"--check " + q(dir / "layers.kv8d"), 2, "31 SOIL LAYERS"},
      {"--check " + q(dir / "missing.kv8d"), 2, "not found"},
      {"--upgrade " + q(dir / "old-60.kvd") + " " + q(dir / "new60.kv8d"), 0, "written"},
      {"--upgrade " + q(dir / "old-2012.kvd") + " " + q(dir / "new2012.kv8d") + " --layout 2012", 0, "written"},
      {"--check " + q(dir / "new60.kv8d"), 0, "ok"},
      {"--upgrade " + q(dir / "broken.kv8d") + " " + q(dir / "never.kv8d") + " --layout 6.0", 2, "expected"},
      {"--upgrade " + q(dir / "old-60.kvd") + " " + q(dir / "old-60.kvd"), 2, "must not replace"},
      {"--upgrade " + q(dir / "old-60.kvd") + " " + q(dir / "x.kv8d") + " --layout 7", 2, "unknown layout"},
  };
  for (const auto& c : cases) {
    const Shell r = sh(q(kRunner) + " " + c.args);
    EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.text), std::string::npos) << c.args << "\n" << r.out;
  }
  EXPECT_FALSE(fs::exists(dir / "never.kv8d"));
  EXPECT_EQ(slurp(dir / "broken.kv8d") + slurp(dir / "old-60.kvd"), before);
  // The upgraded file is in the current layout and runs.
  EXPECT_EQ(slurp(dir / "new60.kv8d").substr(0, 30), "Old 6.0 project: one clay laye");
  const Shell run = sh(q(kRunner) + " " + q(dir / "new60.kv8d"));
  EXPECT_EQ(run.code, 0) << run.out;
  fs::remove_all(dir);
}

TEST(BatchRunner, OutputIsTheSameUnderAnyLocale) {
  const fs::path dir = temp_dir();
  fs::copy_file(kExample, dir / "ex.kv8d");
  std::string outputs[2];
  const char* locales[] = {"C", "de_DE.UTF-8"};
  for (int i = 0; i < 2; ++i) {
    const Shell r = sh("SOURCE_DATE_EPOCH=1765324800 LC_ALL=" + std::string(locales[i]) + " " +
                       q(kRunner) + " " + q(dir / "ex.kv8d"));
    ASSERT_EQ(r.code, 0) << r.out;
    for (const char* ext : {".kv8o", ".kv8p", ".kv8r", ".kv8z"}) outputs[i] += slurp(dir / ("ex" + std::string(ext)));
  }
  EXPECT_EQ(outputs[0], outputs[1]);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace korva
