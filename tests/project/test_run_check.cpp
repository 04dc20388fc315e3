// The program's check before a run refuses exactly what the engine refuses, in the
// engine's words: both read the same project files, one into the model, one into the
// engine's input.
#include <gtest/gtest.h>

#include <sstream>

#include "frame/input_reader.h"
#include "frame/streams.h"
#include "project_file.h"
#include "run_check.h"

namespace {

std::string EngineProblem(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  korva::Streams out;
  out[korva::kConsole].close();
  try {
    korva::ListReader reader(lines);
    korva::check_limits(korva::to_internal_units(korva::read_project(reader, out)));
  } catch (const korva::InputError& e) {
    return e.what();
  }
  return {};
}

std::string With(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string Layers(int n, int thickness) {
  std::string s;
  for (int k = 1; k <= n; ++k)
    s += "2 " + std::to_string(k * thickness) + " \n0 115 0.0 1000 0 0 0 1 1 \n0 120 0.0 2000 0 0 0 1 1 \n0 0\n";
  return s;
}

const std::string kBase =
    "Check before the run\n1 \n2 1 1 5 1 2 0 0 0 0 0\n3 0 0 0 5 3 3600000\n1 12 40 2 2.5\n" + Layers(1, 60);

TEST(AnalysisLimitProblem, AgreesWithTheEngine) {
  const std::string variation = With(kBase, "0 0 0 0 0\n", "1 0 0 0 0\n");
  const std::string charts = With(kBase, "0 0 0 0 0\n", "0 1 0 0 0\n");
  const struct {
    const char* name;
    std::string text;
    const char* problem;  // part of the engine's message; empty: the project runs
  } cases[] = {
      {"within every bound", kBase, ""},
      {"SI within every bound", With(kBase, "\n1 \n", "\n2 \n"), ""},
      {"31 layers", With(kBase, "\n1 12 40", "\n31 12 40").substr(0, kBase.find("2 60")) + Layers(31, 5),
       "31 SOIL LAYERS"},
      {"profile of 501 ft", With(kBase, "2 60 ", "2 501 "), "REACHES 501 FT"},
      {"SI profile of 153 m", With(With(kBase, "\n1 \n", "\n2 \n"), "2 60 ", "2 153 "), "REACHES 502 FT"},
      {"151 t-z depths", "", "151 T-Z CURVE DEPTHS"},
      {"length step 1e-30", With(variation, "2.5\n", "2.5\n20 1e-30\n"), "MORE THAN 100 SHAFT LENGTHS"},
      {"100 lengths", With(With(variation, "1 12 40 2 2.5\n", "1 12 400 2 2.5\n103 3\n"), "2 60 ", "2 450 "), ""},
      {"101 lengths", With(With(variation, "1 12 40 2 2.5\n", "1 12 400 2 2.5\n100 3\n"), "2 60 ", "2 450 "),
       "MORE THAN 100 SHAFT LENGTHS"},
      {"length step defaulted", With(variation, "2.5\n", "2.5\n0 0\n"), ""},
      {"chart length step 1e-30", With(charts, "2.5\n", "2.5\n20 1e-30 0.5 1\n0.5\n"),
       "MORE THAN 100 SHAFT LENGTHS"},
      {"21 chart diameters", With(With(charts, "3 0 0 0 5 3", "3 5 0 0 5 3"), "2.5\n", "2.5\n0 0 0.1 1\n0.5\n"),
       "MORE THAN 20 DIAMETERS"},
      {"520 shafts of design charts",
       With(With(With(charts, "3 0 0 0 5 3", "2 11.5 0 0 5 3"), "1 12 40 2 2.5\n", "1 12 480 2 2.5\n405 3 0.5 1\n0.5\n"),
            "2 60 ", "2 490 "),
       "THE ANALYSIS WOULD RUN 520 SHAFTS"},
      {"diameter range of a million feet", With(kBase, "3 0 0 0 5 3", "3 1000000 0 0 5 3"),
       "MORE THAN 100 DIAMETERS"},
      // The base of the shaft beyond the depth tables (fuzzer findings: the tables grew
      // towards the bottom length or the bell for minutes).
      {"bottom length of 16000030 ft", With(kBase, "3 0 0 0 5 3", "3 0 0 0 5 16000030"), "BOTTOM LENGTH AND THE BELL"},
      {"bell ratio 5e6", With(kBase, "3 0 0 0 5 3", "3 0 5000000 30 5 3"), "BOTTOM LENGTH AND THE BELL"},
      {"bell angle 1e-9 degrees", With(kBase, "3 0 0 0 5 3", "3 0 3 1e-9 5 3"), "BOTTOM LENGTH AND THE BELL"},
      {"bell ratio 0.4", With(kBase, "3 0 0 0 5 3", "3 0 0.4 30 5 3"), "AT LEAST 1"},
      {"bell of 2.5 ratio at 30 degrees", With(kBase, "3 0 0 0 5 3", "3 0 2.5 30 5 3"), ""},
      {"top length of 1e9 ft", With(kBase, "3 0 0 0 5 3", "3 0 0 0 1e9 3"), "TOP LENGTH"},
      {"stem of 300 ft", With(kBase, "3 0 0 0 5 3", "300 0 0 0 5 3"), "BASE DIAMETER ABOVE 250 FT"},
      {"print step 1e-30", With(kBase, "2 1 1 5 1", "2 1 1 1e-30 1"), "PRINT INCREMENT"},
      {"print step 0.5 ft over 500 ft", With(With(kBase, "2 1 1 5 1", "2 1 1 0.5 1"), "2 60 ", "2 500 "), ""},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    if (std::string(c.name) == "151 t-z depths") {
      text = With(kBase, "0 0 0 0 0\n", "0 0 0 0 1\n") + "151\n";
      for (int i = 1; i <= 151; ++i) text += std::to_string(0.2 * i) + "\n";
    }
    const std::string engine = EngineProblem(text);
    if (*c.problem) EXPECT_NE(engine.find(c.problem), std::string::npos) << c.name << ": " << engine;
    else EXPECT_EQ(engine, "") << c.name;

    korva::project::Project p;
    const auto read = korva::project::ReadVersion8Text(p, text, "check.kv8d");
    ASSERT_TRUE(read.ok()) << c.name << ": " << read.error;
    EXPECT_EQ(korva::project::AnalysisLimitProblem(p), engine) << c.name;
    // The file the program writes for the run is refused by the engine in the same words.
    EXPECT_EQ(EngineProblem(korva::project::ProjectFileText(p)), engine) << c.name;
  }
}

}  // namespace
