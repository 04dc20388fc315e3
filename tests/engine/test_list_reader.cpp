// Free-format reads of the project file.
#include <gtest/gtest.h>

#include "frame/list_reader.h"

#include "common/number_texts.h"

namespace korva {
namespace {

struct ReadCase {
  const char* name;
  std::vector<std::string> lines;
  std::vector<double> expect;  // values of four reals after one read of four
  std::size_t line_after;      // line number after the read
};

TEST(ListReader, ReadsFourRealsLikeAListDirectedRead) {
  const ReadCase cases[] = {
      {"blanks", {"1 2 3 4"}, {1, 2, 3, 4}, 1},
      {"commas", {"1,2,3,4"}, {1, 2, 3, 4}, 1},
      {"comma with blanks", {"1 , 2 ,3, 4 "}, {1, 2, 3, 4}, 1},
      {"rest of line skipped", {"1 2 3 4 5 6", "9"}, {1, 2, 3, 4}, 1},
      {"continues on next lines", {"1 2", "", "3", "4 8"}, {1, 2, 3, 4}, 4},
      {"fortran exponents", {"1.5E3 -2.5d-1 .5 +7."}, {1500, -0.25, 0.5, 7}, 1},
      {"repeat count", {"2*0.5 3 4"}, {0.5, 0.5, 3, 4}, 1},
      {"null values keep defaults", {"1,,3,4"}, {1, -1, 3, 4}, 1},
      {"leading comma is a null value", {",2 3 4"}, {-1, 2, 3, 4}, 1},
      {"slash ends the read", {"1 2 / 3 4"}, {1, 2, -1, -1}, 1},
      {"carriage return and tabs", {"1\t2\t3\t4\r"}, {1, 2, 3, 4}, 1},
  };
  for (const ReadCase& c : cases) {
    ListReader in(c.lines);
    std::vector<double> v(4, -1.0);
    in.read({{&v[0], "A"}, {&v[1], "B"}, {&v[2], "C"}, {&v[3], "D"}});
    EXPECT_EQ(v, c.expect) << c.name;
    EXPECT_EQ(in.line_number(), c.line_after) << c.name;
  }
}

TEST(ListReader, EveryReadStartsOnANewLine) {
  // Three values on one line are not three reads: each read takes its own line.
  ListReader in({"1 2 3", "4", "5"});
  double a = 0, b = 0, c = 0;
  in.read({{&a, "A"}});
  in.read({{&b, "B"}});
  in.read({{&c, "C"}});
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 4);
  EXPECT_EQ(c, 5);
}

TEST(ListReader, AReadOfNoValuesConsumesOneLine) {
  ListReader in({"", "7"});
  in.read(std::vector<ListReader::Item>{});
  int n = 0;
  in.read({{&n, "N"}});
  EXPECT_EQ(n, 7);
}

TEST(ListReader, TitleIsCutAndPadded) {
  ListReader in({std::string(100, 'x'), "short"});
  EXPECT_EQ(in.read_text(72, "TITLE"), std::string(72, 'x'));
  EXPECT_EQ(in.read_text(8, "TITLE"), "short   ");
}

// The engine reads every number text as the program does: too small is zero, too large
// is refused with its own message, and long digit strings or exponents overflow nothing.
TEST(ListReader, NumbersAtTheEdgesOfTheRange) {
  for (const test_data::NumberText& c : test_data::EdgeNumberTexts()) {
    SCOPED_TRACE(c.text.substr(0, 80));
    ListReader in({"7 " + c.text});
    double a = 0, b = -1;
    std::string error;
    try {
      in.read({{&a, "A"}, {&b, "B"}});
    } catch (const InputError& e) {
      error = e.what();
    }
    const std::string quoted =
        "\"" + c.text.substr(0, 40) + (c.text.size() > 40 ? "...\"" : "\"");
    switch (c.kind) {
      case test_data::NumberText::kValue:
        EXPECT_EQ(error, "");
        EXPECT_EQ(b, c.value);
        EXPECT_EQ(std::signbit(b), std::signbit(c.value));
        break;
      case test_data::NumberText::kTooLarge:
        EXPECT_EQ(error, "LINE 1: " + quoted + " IS TOO LARGE A NUMBER; EXPECTED B.");
        break;
      case test_data::NumberText::kNotANumber:
        EXPECT_EQ(error, "LINE 1: " + quoted + " IS NOT A NUMBER; EXPECTED B.");
        break;
    }
  }
}

TEST(ListReader, FailuresNameTheValueAndTheLine) {
  struct Bad {
    std::vector<std::string> lines;
    bool integer;
    const char* message_part;
  };
  const Bad cases[] = {
      {{"1 2", "abc"}, false, "LINE 2: \"abc\" IS NOT A NUMBER; EXPECTED C"},
      {{"1 2.5"}, true, "LINE 1: \"2.5\" IS NOT AN INTEGER; EXPECTED B"},
      {{"1 99999999999"}, true, "IS NOT AN INTEGER"},
      {{"1 nan 3"}, false, "\"nan\" IS NOT A NUMBER"},
      {{"1 inf 3"}, false, "\"inf\" IS NOT A NUMBER"},
      {{"1 1e999 3"}, false, "\"1e999\" IS TOO LARGE A NUMBER; EXPECTED B"},
      {{"1 2"}, false, "THE PROJECT FILE ENDS AFTER LINE 1; EXPECTED C"},
      {{}, false, "ENDS AFTER LINE 0; EXPECTED A"},
  };
  for (const Bad& c : cases) {
    ListReader in(c.lines);
    try {
      if (c.integer) {
        int a, b, d;
        in.read({{&a, "A"}, {&b, "B"}, {&d, "C"}});
      } else {
        double a, b, d;
        in.read({{&a, "A"}, {&b, "B"}, {&d, "C"}});
      }
      ADD_FAILURE() << "no error for " << c.message_part;
    } catch (const InputError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace korva
