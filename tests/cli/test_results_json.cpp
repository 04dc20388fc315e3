// korva2017-run --json: the results file of every bundled example and test fixture against
// its schema, the report's rows, the plot file's blocks and the calculation trace
// (tests/cli/check_results_json.py), the same bytes in any locale, and no file without --json.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/process.h"

namespace fs = std::filesystem;

namespace korva {
namespace {

using namespace test_process;

const fs::path kSchema = kSource / "docs" / "results-json.schema.json";
const fs::path kChecker = kSource / "tests" / "cli" / "check_results_json.py";

std::vector<fs::path> projects() {
  std::vector<fs::path> v;
  for (const fs::path dir : {kSource / "examples", kSource / "tests" / "fixtures" / "golden"})
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().extension() == ".kv8d") v.push_back(e.path());
  std::sort(v.begin(), v.end());
  return v;
}

// Runs the runner with --json on a copy of `project` in a fresh directory; returns the copy.
fs::path run_copy(const fs::path& project, const std::string& env = "", bool json = true) {
  const fs::path dir = temp_dir();
  const fs::path copy = dir / project.filename();
  fs::copy_file(project, copy);
  const Shell r = sh(env + " " + q(kRunner) + " -q " + (json ? "--json " : "") + q(copy));
  EXPECT_EQ(r.code, 0) << project << "\n" << r.out;
  return copy;
}

fs::path with(fs::path p, const char* ext) { return p.replace_extension(ext); }

TEST(ResultsJson, EveryExampleAndFixtureAgreesWithSchemaReportPlotAndTrace) {
  ASSERT_EQ(sh("python3 -c 'import json'").code, 0) << "python3 is needed for this check";
  const std::vector<fs::path> all = projects();
  ASSERT_GE(all.size(), 7u);
  for (const fs::path& p : all) {
    const fs::path copy = run_copy(p);
    ASSERT_TRUE(fs::exists(with(copy, ".json"))) << p;
    const Shell c = sh("python3 " + q(kChecker) + " " + q(kSchema) + " " + q(with(copy, ".json")) +
                       " " + q(with(copy, ".kv8o")) + " " + q(with(copy, ".kv8p")));
    EXPECT_EQ(c.code, 0) << p << "\n" << c.out;
    fs::remove_all(copy.parent_path());
  }
}

TEST(ResultsJson, AdditionalTzCurvesAgreeWithTheReport) {
  // The clay fixture with t-z curves asked for at 10 and 20 ft.
  const fs::path dir = temp_dir();
  const fs::path project = dir / "tz.kv8d";
  ASSERT_EQ(sh("sed '3s/.*/1 1 1 5 1 2 0 0 0 0 1/' " +
               q(kSource / "tests" / "fixtures" / "golden" / "clay-en-asd.kv8d") + " > " + q(project) +
               " && printf '2\\n10\\n20\\n' >> " + q(project)).code, 0);
  const fs::path copy = run_copy(project);
  const std::string json = slurp(with(copy, ".json"));
  EXPECT_NE(json.find("\"additional_t_z_curves\": [\n        {\n          \"line\": \"trend\""),
            std::string::npos);
  const Shell c = sh("python3 " + q(kChecker) + " " + q(kSchema) + " " + q(with(copy, ".json")) +
                     " " + q(with(copy, ".kv8o")) + " " + q(with(copy, ".kv8p")));
  EXPECT_EQ(c.code, 0) << c.out;
  fs::remove_all(dir);
  fs::remove_all(copy.parent_path());
}

TEST(ResultsJson, ASocketInRockHasItsCurveAndStartingValues) {
  const fs::path dir = temp_dir();
  const fs::path project = dir / "rock.kv8d";
  std::ofstream(project) << "Socket in strong rock\n1 \n2 1 1 5 1 2 0 0 0 0 0\n3 0 0 0 5 0 3600000\n"
                            "2 10 40 2 2.5\n2 25 \n0 120 0.0 1500 0 0 0 1 1 \n"
                            "0 125 0.0 2500 0 0 0 1 1 \n0 0\n7 80 \n"
                            "200000 5000 1 0 3 0 2000000 80 0 1 1 \n"
                            "200000 5000 1 0 3 0 2000000 80 0 1 1 \n";
  const fs::path copy = run_copy(project);
  const std::string json = slurp(with(copy, ".json"));
  EXPECT_NE(json.find("\"method\": \"rock\",\n        \"socket_values\": {"), std::string::npos);
  EXPECT_NE(json.find("\"line\": \"socket\""), std::string::npos);
  const Shell c = sh("python3 " + q(kChecker) + " " + q(kSchema) + " " + q(with(copy, ".json")) +
                     " " + q(with(copy, ".kv8o")) + " " + q(with(copy, ".kv8p")));
  EXPECT_EQ(c.code, 0) << c.out;
  fs::remove_all(dir);
  fs::remove_all(copy.parent_path());
}

TEST(ResultsJson, TheCheckFindsAWrongValue) {
  const fs::path copy = run_copy(kSource / "tests" / "fixtures" / "golden" / "clay-en-asd.kv8d");
  const fs::path json = with(copy, ".json");
  // A changed allowable capacity in a report row and a string status code.
  ASSERT_EQ(sh("python3 -c \"import json,sys; d=json.load(open(sys.argv[1])); "
               "d['passes'][0]['report_rows'][1]['allowable'] += 0.01; d['status']['code'] = '0'; "
               "json.dump(d, open(sys.argv[1], 'w'))\" " + q(json)).code, 0);
  const Shell c = sh("python3 " + q(kChecker) + " " + q(kSchema) + " " + q(json) + " " +
                     q(with(copy, ".kv8o")) + " " + q(with(copy, ".kv8p")));
  EXPECT_EQ(c.code, 1) << c.out;
  EXPECT_NE(c.out.find("$.status.code"), std::string::npos) << c.out;
  EXPECT_NE(c.out.find("report row 15.0"), std::string::npos) << c.out;
  fs::remove_all(copy.parent_path());
}

TEST(ResultsJson, SameBytesUnderGermanAndCLocales) {
  if (sh("locale -a | grep -qi '^de_DE.utf-\\?8$'").code != 0)
    GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
  for (const char* name : {"every-soil-type-si.kv8d", "design-charts.kv8d"}) {
    const fs::path copy = run_copy(kSource / "examples" / name, "LC_ALL=C");
    const std::string c = slurp(with(copy, ".json"));
    ASSERT_EQ(sh("LC_ALL=de_DE.UTF-8 " + q(kRunner) + " -q --json " + q(copy)).code, 0);
    EXPECT_EQ(slurp(with(copy, ".json")), c) << name;
    fs::remove_all(copy.parent_path());
  }
}

TEST(ResultsJson, WithoutTheOptionNoJsonAndTheSameReport) {
  const fs::path p = kSource / "examples" / "clay-over-sand.kv8d";
  const fs::path dir = temp_dir();
  const fs::path copy = dir / p.filename();
  fs::copy_file(p, copy);
  ASSERT_EQ(sh(q(kRunner) + " -q " + q(copy)).code, 0);
  EXPECT_FALSE(fs::exists(with(copy, ".json")));
  const std::string report = slurp(with(copy, ".kv8o"));
  const std::string plot = slurp(with(copy, ".kv8p"));
  const Shell r = sh(q(kRunner) + " --json " + q(copy));
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("  json       " + with(copy, ".json").string()), std::string::npos) << r.out;
  EXPECT_EQ(slurp(with(copy, ".kv8o")), report);
  EXPECT_EQ(slurp(with(copy, ".kv8p")), plot);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace korva
