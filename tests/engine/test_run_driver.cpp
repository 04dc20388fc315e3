// The run driver: control file, streams, banners, date block, merge of scratch files.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "frame/run_driver.h"

namespace fs = std::filesystem;

namespace korva {
namespace {

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void spit(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

const char* kProject =
    "Driver test: 3 ft shaft in clay\n"
    "1 \n"
    "2 1 1 5 1 2 0 0 0 0 0\n"
    "3 0 0 0 5 3 3600000\n"
    "1 12 40 2 2.5\n"
    "2 60 \n"
    "0 115 0.0 1000 0 0 0 1 1 \n"
    "0 120 0.0 2000 0 0 0 1 1 \n"
    "0 0\n";

// A shaft socketed in strong rock: no t-z analysis, so nothing writes "TZDIAM.DAT".
const char* kRockProject =
    "Driver test: 3 ft shaft socketed in rock\n"
    "1 \n"
    "2 1 1 5 1 2 0 0 0 0 0\n"
    "3 0 0 0 5 0 3600000\n"
    "2 10 40 2 2.5\n"
    "2 25 \n"
    "0 120 0.0 1500 0 0 0 1 1 \n"
    "0 125 0.0 2500 0 0 0 1 1 \n"
    "0 0\n"
    "7 80 \n"
    "200000 5000 1 0 3 0 2000000 80 0 1 1 \n"
    "200000 5000 1 0 3 0 2000000 80 0 1 1 \n";

// A scratch directory holding a project and its "names.dat".
class RunDir : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SOURCE_DATE_EPOCH", "1765324800", 1);  // 2025-12-10 00:00:00 UTC
    char tmpl[] = "/tmp/korva-driver-XXXXXX";
    dir_ = mkdtemp(tmpl);
    spit(dir_ / "proj.kv8d", kProject);
    write_names("2017.8.1");
  }
  void TearDown() override { fs::remove_all(dir_); }

  void write_names(const std::string& version, int lines = 10) {
    std::string text = version + "\n8\n";
    for (const char* ext : {".kv8d", ".kv8o", ".kv8p", ".kv8r", ".kv8z", ".kv8w", ".kv8t", ".kv8q"})
      text += (dir_ / (std::string("proj") + ext)).string() + "\n";
    std::istringstream in(text);
    std::string cut, l;
    for (int i = 0; i < lines && std::getline(in, l); ++i) cut += l + "\n";
    spit(dir_ / "names.dat", cut);
  }

  std::int32_t run(const char* console_answers = "") {
    korva::Run r;
    r.dir = dir_.string();
    r.out[kConsole].close();
    std::FILE* in = *console_answers ? fmemopen(const_cast<char*>(console_answers),
                                                std::strlen(console_answers), "r")
                                     : std::fopen("/dev/null", "r");
    std::FILE* out = std::fopen("/dev/null", "w");
    RUN_DRIVER(r, in, out);
    std::fclose(in);
    std::fclose(out);
    return r.status;
  }

  std::string file(const char* ext) { return slurp(dir_ / (std::string("proj") + ext)); }

  fs::path dir_;
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

TEST_F(RunDir, ReportBeginsWithBannerFileBlockDateAndTitle) {
  ASSERT_EQ(run(), 0);
  const std::string eq = "     " + std::string(73, '=');
  const std::string dash = "     " + std::string(73, '-');
  const std::string d = (dir_ / "").string();
  const std::vector<std::string> expected = {
      eq,
      "",
      std::string(20, ' ') + "  KORVA for Windows, Version 2017.8.1    ",
      "",
      std::string(20, ' ') + "Project File Format :         8",
      "",
      std::string(20, ' ') + "VERTICALLY LOADED DRILLED SHAFT ANALYSIS",
      std::string(20, ' ') + "Axial capacity and load-settlement of drilled shafts.",
      std::string(20, ' ') + "Results are for review by a qualified engineer.",
      "",
      eq,
      "",
      "",
      "     Path to file locations      : " + d,
      "     Name of input data file     : proj.kv8d",
      "     Name of output file         : proj.kv8o",
      "     Name of plot output file    : proj.kv8p",
      "     Name of runtime file        : proj.kv8r",
      "",
      "",
      dash,
      std::string(26, ' ') + "Time and Date of Analysis",
      dash,
      "",
      std::string(15, ' ') + "Date:  December 10, 2025     Time:  00:00:00",
      "",
      "     Driver test: 3 ft shaft in clay" + std::string(72 - 31, ' '),
  };
  const std::vector<std::string> report = lines_of(file(".kv8o"));
  ASSERT_GE(report.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(report[i], expected[i]) << i;

  // The t-z file has the same banner and date block, then the title and its note.
  const std::vector<std::string> tz = lines_of(file(".kv8z"));
  ASSERT_GE(tz.size(), 26u);
  EXPECT_EQ(tz[2], expected[2]);
  EXPECT_EQ(tz[13], dash);
  EXPECT_EQ(tz[17], expected[24]);
  EXPECT_EQ(tz[18], "");
  EXPECT_EQ(tz[19], "");
  EXPECT_EQ(tz[20], expected[26]);
  EXPECT_EQ(tz[23], "     NOTE: TZ AND QW CURVES DATA ARE AVAILABLE ONLY FOR SAND AND CLAY LAYERS.");
}

TEST_F(RunDir, VersionIsCutOrPaddedToTwelveCharacters) {
  write_names("2017.8.1-build-long-text");
  run();
  EXPECT_EQ(lines_of(file(".kv8o"))[2], std::string(20, ' ') + "  KORVA for Windows, Version 2017.8.1-bui");
  EXPECT_EQ(lines_of(file(".kv8z"))[2], std::string(20, ' ') + "  KORVA for Windows, Version 2017.8.1-bui");
}

std::size_t count_80_column_lines(const std::vector<std::string>& lines) {
  std::size_t n = 0;
  for (const std::string& l : lines) n += l.size() == 80;
  return n;
}

TEST_F(RunDir, TzDiamLinesAreMergedAtEightyColumns) {
  spit(dir_ / "proj.kv8d", kRockProject);
  spit(dir_ / "TZDIAM.DAT", std::string(100, 'a') + "\n" + std::string(10, 'b') + "\r\n");
  ASSERT_EQ(run(), 0);
  const std::vector<std::string> plot = lines_of(file(".kv8p"));
  // The capacity block with its 15 rows, then "TZDIAM.DAT" cut and padded to 80 columns.
  ASSERT_GE(plot.size(), 2u);
  EXPECT_EQ(plot[plot.size() - 2], std::string(80, 'a'));
  EXPECT_EQ(plot.back(), std::string(10, 'b') + std::string(70, ' '));
  EXPECT_EQ(count_80_column_lines(plot), 2u);
}

TEST_F(RunDir, AbsentTzDiamIsCreatedEmptyAndAddsNothing) {
  spit(dir_ / "proj.kv8d", kRockProject);
  ASSERT_EQ(run(), 0);
  const std::vector<std::string> plot = lines_of(file(".kv8p"));
  ASSERT_FALSE(plot.empty());
  EXPECT_EQ(plot.front().substr(0, 3), " 1 ");  // a capacity block first
  EXPECT_EQ(count_80_column_lines(plot), 0u);
  ASSERT_TRUE(fs::exists(dir_ / "TZDIAM.DAT"));
  EXPECT_EQ(fs::file_size(dir_ / "TZDIAM.DAT"), 0u);
  EXPECT_TRUE(fs::exists(dir_ / "CHART.DAT"));
  EXPECT_TRUE(fs::exists(dir_ / "names.dat"));  // the engine deletes no file
}

TEST(Merge, ScratchLinesBecomeExactlyEightyColumns) {
  char tmpl[] = "/tmp/korva-merge-XXXXXX";
  const fs::path dir = mkdtemp(tmpl);
  spit(dir / "src", "x\n" + std::string(81, 'y') + "\n\n");
  {
    TextFile out;
    ASSERT_TRUE(out.open((dir / "dst").string()));
    out.line("head");
    EXPECT_TRUE(append_80_columns((dir / "src").string(), out));
    EXPECT_FALSE(append_80_columns((dir / "missing").string(), out));
  }
  EXPECT_EQ(slurp(dir / "dst"), "head\nx" + std::string(79, ' ') + "\n" + std::string(80, 'y') +
                                    "\n" + std::string(80, ' ') + "\n");
  fs::remove_all(dir);
}

// `text` with the first `from` replaced by `to`.
std::string with(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST_F(RunDir, BadProjectsEndWithAMessageAndStatusNine) {
  const struct {
    const char* name;
    std::string text;
    const char* message;
  } cases[] = {
      {"truncated", std::string(kProject).substr(0, std::string(kProject).find("0 120")),
       "EXPECTED NC AT THE BOTTOM OF LAYER 1"},
      {"word for number", "t\n1\n2 1 1 five 1 2 0 0 0 0 0\n", "\"five\" IS NOT A NUMBER; EXPECTED PINC"},
      {"31 layers", "t\n1\n2 1 1 5 1 2 0 0 0 0 0\n3 0 0 0 5 3 3600000\n31 12 40 2 2.5\n",
       "31 SOIL LAYERS"},
      // Hostile counts: each would keep the pass or print loops going (almost) for ever.
      {"length step 1e-30", with(with(kProject, "0 0 0 0 0\n", "1 0 0 0 0\n"), "2.5\n", "2.5\n20 1e-30\n"),
       "MORE THAN 100 SHAFT LENGTHS"},
      {"chart length step 1e-30",
       with(with(kProject, "0 0 0 0 0\n", "0 1 0 0 0\n"), "2.5\n", "2.5\n20 1e-30 0.5 1\n0.5\n"),
       "MORE THAN 100 SHAFT LENGTHS"},
      {"diameter range of a million feet", with(kProject, "3 0 0 0 5 3", "3 1000000 0 0 5 3"),
       "MORE THAN 100 DIAMETERS"},
      {"print step 1e-30", with(kProject, "2 1 1 5 1", "2 1 1 1e-30 1"), "PRINT INCREMENT"},
      {"bell ratio 5e6", with(kProject, "3 0 0 0 5 3", "3 0 5000000 30 5 3"), "BOTTOM LENGTH AND THE BELL"},
  };
  for (const auto& c : cases) {
    spit(dir_ / "proj.kv8d", c.text);
    EXPECT_EQ(run(), kStatusBadInput) << c.name;
    const std::string report = file(".kv8o");
    const std::string messages = file(".kv8r");
    EXPECT_NE(report.find("THE PROJECT FILE CANNOT BE ANALYSED"), std::string::npos) << c.name;
    EXPECT_NE(report.find(c.message), std::string::npos) << c.name << "\n" << report;
    EXPECT_NE(messages.find(c.message), std::string::npos) << c.name;
    EXPECT_EQ(slurp(dir_ / "proj.kv8d"), c.text) << "the project file stays intact";
  }
}

TEST_F(RunDir, MissingProjectIsReported) {
  fs::remove(dir_ / "proj.kv8d");
  EXPECT_EQ(run(), kStatusBadInput);
  EXPECT_NE(file(".kv8r").find("CANNOT BE READ"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "proj.kv8d"));
}

TEST_F(RunDir, ShortNamesFileLeavesLaterNamesEmpty) {
  write_names("2017.8.1", 4);  // version, integer, project, report
  EXPECT_EQ(run(), 0);
  EXPECT_FALSE(file(".kv8o").empty());
  EXPECT_FALSE(fs::exists(dir_ / "proj.kv8p"));
}

TEST_F(RunDir, ConsoleFallbackEndsCleanlyWithoutAnswers) {
  fs::remove(dir_ / "names.dat");
  EXPECT_EQ(run(""), kStatusNoRunFiles);
  // Only the input name answered: still no report name, still a clean end.
  EXPECT_EQ(run((dir_ / "proj.kv8d").string().c_str()), kStatusNoRunFiles);
}

TEST_F(RunDir, ConsoleFallbackRunsWithTheThreeNames) {
  fs::remove(dir_ / "names.dat");
  const std::string answers = (dir_ / "proj.kv8d").string() + "\n" +
                              (dir_ / "proj.kv8o").string() + "\n" + (dir_ / "proj.kv8p").string() +
                              "\n";
  EXPECT_EQ(run(answers.c_str()), 0);
  EXPECT_NE(file(".kv8o").find("Driver test"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "CHART.DAT"));  // not opened on this path
}

TEST_F(RunDir, UncreatableOutputFileGivesStatusEight) {
  std::string text = slurp(dir_ / "names.dat");
  const std::string plot = (dir_ / "proj.kv8p").string();
  text.replace(text.find(plot), plot.size(), (dir_ / "no-such-dir" / "proj.kv8p").string());
  spit(dir_ / "names.dat", text);
  EXPECT_EQ(run(), kStatusNoRunFiles);
  EXPECT_NE(file(".kv8r").find("CANNOT CREATE THE FILE"), std::string::npos);
}

// The optional eleventh line of "names.dat" names the JSON results file.
TEST_F(RunDir, EleventhNamesLineAsksForJsonResults) {
  ASSERT_EQ(run(), 0);  // ten lines: no JSON
  const std::string report = file(".kv8o");
  EXPECT_FALSE(fs::exists(dir_ / "proj.json"));

  spit(dir_ / "names.dat", slurp(dir_ / "names.dat") + "\n");  // an empty eleventh line
  ASSERT_EQ(run(), 0);
  EXPECT_FALSE(fs::exists(dir_ / "proj.json"));

  std::string names = slurp(dir_ / "names.dat");
  names.pop_back();
  spit(dir_ / "names.dat", names + (dir_ / "proj.json").string() + "\n");
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(file(".kv8o"), report);  // the JSON changes nothing else
  const std::string json = file(".json");
  EXPECT_EQ(json.rfind("{\n  \"format\": \"korva-results\",\n  \"version\": 1,", 0), 0u) << json.substr(0, 200);
  EXPECT_NE(json.find("\"meaning\": \"the analysis ran to its end\""), std::string::npos);
  EXPECT_NE(json.find("\"side_method\": \"alpha\""), std::string::npos);
  EXPECT_EQ(json.back(), '\n');
}

TEST_F(RunDir, JsonOfAProjectThatCannotBeAnalysedHasItsStatusAndMessage) {
  spit(dir_ / "proj.kv8d", "Broken\n1\nnot numbers\n");
  spit(dir_ / "names.dat", slurp(dir_ / "names.dat") + (dir_ / "proj.json").string() + "\n");
  ASSERT_EQ(run(), kStatusBadInput);
  const std::string json = file(".json");
  EXPECT_NE(json.find("\"code\": 9,\n    \"meaning\": \"the project file could not be analysed\""),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"severity\": \"error\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"project\": null"), std::string::npos) << json;
  EXPECT_NE(json.find("\"passes\": []"), std::string::npos) << json;
}

TEST_F(RunDir, JsonDoesNotDependOnTheLocale) {
  spit(dir_ / "proj.kv8d", kRockProject);
  spit(dir_ / "names.dat", slurp(dir_ / "names.dat") + (dir_ / "proj.json").string() + "\n");
  ASSERT_EQ(run(), 0);
  const std::string c_json = file(".json");
  ASSERT_NE(c_json.find("\"method\": \"rock\""), std::string::npos);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  run();
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(file(".json"), c_json);
}

TEST_F(RunDir, ResultsDoNotDependOnTheLocale) {
  ASSERT_EQ(run(), 0);
  const std::string c_report = file(".kv8o");
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  run();
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(file(".kv8o"), c_report);
}

TEST_F(RunDir, TwoRunsInTwoDirectoriesDoNotShareState) {
  ASSERT_EQ(run(), 0);
  const std::string alone = file(".kv8o");
  char tmpl[] = "/tmp/korva-driver2-XXXXXX";
  const fs::path other = mkdtemp(tmpl);
  spit(other / "proj.kv8d", kProject);
  std::string names = slurp(dir_ / "names.dat");
  for (std::size_t p; (p = names.find(dir_.string())) != std::string::npos;)
    names.replace(p, dir_.string().size(), other.string());
  spit(other / "names.dat", names);

  auto go = [](const fs::path& d, std::int32_t* status) {
    korva::Run r;
    r.dir = d.string();
    r.out[kConsole].close();
    RUN_DRIVER(r, nullptr, nullptr);
    *status = r.status;
  };
  std::int32_t s1 = -1, s2 = -1;
  std::thread a(go, dir_, &s1), b(go, other, &s2);
  a.join();
  b.join();
  EXPECT_EQ(s1, 0);
  EXPECT_EQ(s2, 0);
  std::string second = slurp(other / "proj.kv8o");
  for (std::size_t p; (p = second.find(other.string())) != std::string::npos;)
    second.replace(p, other.string().size(), dir_.string());
  EXPECT_EQ(file(".kv8o"), alone);
  EXPECT_EQ(second, alone);
  fs::remove_all(other);
}

}  // namespace
}  // namespace korva
