// The installed layout: `cmake --install` into a scratch prefix, and the programs run from
// there find the engine library in its private directory, relative to their own location.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/process.h"
#include "engine_run.h"

namespace fs = std::filesystem;

namespace korva {
namespace {

using namespace test_process;

class Installed : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    prefix_ = new fs::path(temp_dir() / "prefix");
    const Shell r = sh(q(KORVA_CMAKE_COMMAND) + " --install " + q(KORVA_BUILD_DIR) + " --prefix " + q(*prefix_));
    ASSERT_EQ(r.code, 0) << r.out;
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(prefix_->parent_path(), ec);
    delete prefix_;
  }
  static fs::path Prefix() { return *prefix_; }
  // A copy of the bundled example in a fresh directory.
  static fs::path CopiedExample() {
    const fs::path dir = temp_dir();
    fs::copy_file(Prefix() / "share/korva2017/examples/clay-over-sand.kv8d", dir / "clay-over-sand.kv8d");
    return dir / "clay-over-sand.kv8d";
  }

 private:
  static fs::path* prefix_;
};
fs::path* Installed::prefix_ = nullptr;

TEST_F(Installed, RunnerFindsTheEngineInThePrivateLibraryDirectory) {
  const fs::path bin = Prefix() / "bin";
  ASSERT_TRUE(fs::is_regular_file(bin / "korva2017-run"));
  ASSERT_TRUE(fs::is_regular_file(bin / "korva2017"));
  EXPECT_FALSE(fs::exists(bin / kEngineLibraryName));
  bool found = false;
  for (const auto& e : fs::recursive_directory_iterator(Prefix() / "lib"))
    if (e.path().filename() == kEngineLibraryName && e.path().parent_path().filename() == "korva") found = true;
  EXPECT_TRUE(found) << "no lib/.../korva/" << kEngineLibraryName;

  const fs::path project = CopiedExample();
  const Shell r = sh(q(bin / "korva2017-run") + " -q " + q(project));
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_GT(fs::file_size(fs::path(project).replace_extension(".kv8o")), 1000u);
  fs::remove_all(project.parent_path());
}

// The library beside the program comes first (as in the build tree): an unloadable one there
// is what the runner tries, and says so; with none anywhere the message names the path beside.
TEST_F(Installed, LibraryBesideTheProgramComesFirst) {
  const fs::path dir = temp_dir();
  fs::create_directories(dir / "bin");
  fs::copy_file(Prefix() / "bin/korva2017-run", dir / "bin/korva2017-run");
  const fs::path project = CopiedExample();

  Shell r = sh(q(dir / "bin/korva2017-run") + " -q " + q(project));
  EXPECT_EQ(r.code, 2) << r.out;
  EXPECT_NE(r.out.find("engine library not found: " + (dir / "bin" / kEngineLibraryName).string()), std::string::npos)
      << r.out;

  std::ofstream(Prefix() / "bin" / kEngineLibraryName) << "not a library";
  r = sh(q(Prefix() / "bin/korva2017-run") + " -q " + q(project));
  fs::remove(Prefix() / "bin" / kEngineLibraryName);
  EXPECT_EQ(r.code, 2) << r.out;
  EXPECT_NE(r.out.find((Prefix() / "bin" / kEngineLibraryName).string()), std::string::npos) << r.out;
  fs::remove_all(dir);
  fs::remove_all(project.parent_path());
}

TEST_F(Installed, DesktopFilesManPagesAndExamples) {
  for (const char* f : {"share/applications/korva2017.desktop", "share/mime/packages/korva2017.xml",
                        "share/icons/hicolor/scalable/apps/korva2017.svg",
                        "share/icons/hicolor/48x48/apps/korva2017.png", "share/man/man1/korva2017.1.gz",
                        "share/man/man1/korva2017-run.1.gz", "share/doc/korva2017/copyright",
                        "share/korva2017/examples/every-soil-type-si.kv8d"})
    EXPECT_TRUE(fs::is_regular_file(Prefix() / f)) << f;
}

}  // namespace
}  // namespace korva
