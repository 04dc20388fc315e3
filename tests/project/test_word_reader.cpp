#include "word_reader.h"

#include "common/number_texts.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <clocale>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace korva::project {
namespace {

const std::string kIncomplete = "This file either invalid or incomplete.";

std::string ErrorOf(void (*read)(TWordReader&), TWordReader& reader) {
  try {
    read(reader);
  } catch (const EInOutError& e) {
    return e.what();
  }
  return "(no error)";
}

std::vector<std::string> WordsOfLine(TWordReader& reader) {
  std::vector<std::string> words;
  int count = reader.GetWordCount(reader.Line());
  for (int i = 0; i < count; ++i) words.push_back(reader.ReadWord());
  return words;
}

TEST(WordReader, SplitsLinesIntoWordsAtBlanksAndTabs) {
  const struct {
    const char* line;
    std::vector<std::string> words;
  } cases[] = {
      {"  1.5\t2  ", {"1.5", "2"}},
      {"a \t b", {"a", "b"}},
      {"\t\tsingle", {"single"}},
      {"x,y;z", {"x,y;z"}},
      {"", {}},
      {" \t ", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    TWordReader reader = TWordReader::FromText(c.line);
    EXPECT_EQ(reader.GetLineCount(), 1);
    EXPECT_EQ(WordsOfLine(reader), c.words);
  }
}

TEST(WordReader, HandsOutWordsAcrossLineEnds) {
  TWordReader reader = TWordReader::FromText("Title line\n1 2.5 -3E-1\n7\n");
  EXPECT_EQ(reader.GetLineCount(), 3);
  EXPECT_EQ(reader.NumberLines(), 3);
  EXPECT_EQ(reader.GetWordCount(1), 3);
  EXPECT_EQ(reader.GetWordCount(3), 0);
  EXPECT_EQ(reader.GetWordCount(-1), 0);

  EXPECT_TRUE(reader.GetAtStartOfLine());
  EXPECT_EQ(reader.WordsLeft(), 6);
  EXPECT_EQ(reader.ReadWord(), "Title");
  EXPECT_FALSE(reader.GetAtStartOfLine());
  EXPECT_EQ(reader.ReadWord(), "line");
  EXPECT_EQ(reader.WordsLeft(), 4);  // the end of a line is not a word
  EXPECT_EQ(reader.ReadInteger(), 1);
  EXPECT_EQ(reader.GetCurrentLineWordCount(), 3);
  EXPECT_EQ(reader.ReadFloat(), 2.5);
  EXPECT_EQ(reader.ReadFloat(), -0.3);
  EXPECT_EQ(reader.ReadInteger(), 7);
  EXPECT_EQ(reader.Line(), 2);
  EXPECT_EQ(reader.Item(), 1);
  EXPECT_EQ(reader.WordsLeft(), 0);
  EXPECT_FALSE(reader.Eof());

  EXPECT_EQ(ErrorOf([](TWordReader& r) { r.ReadWord(); }, reader), kIncomplete);
  EXPECT_TRUE(reader.Eof());
  EXPECT_EQ(reader.WordsLeft(), 0);
  EXPECT_EQ(ErrorOf([](TWordReader& r) { r.ReadFloat(); }, reader), kIncomplete);
}

TEST(WordReader, ConversionErrorsReportLineAndItem) {
  const char* text = "a\nb\nc\nx y abc\n";
  TWordReader reader = TWordReader::FromText(text);
  for (int i = 0; i < 5; ++i) reader.ReadWord();
  EXPECT_EQ(ErrorOf([](TWordReader& r) { r.ReadFloat(); }, reader),
            "Error on Line 4 Item 3\rA floating point number was expected but not found.");

  TWordReader integers = TWordReader::FromText("a\nb\nc\nx y 2.5\n");
  for (int i = 0; i < 5; ++i) integers.ReadWord();
  EXPECT_EQ(ErrorOf([](TWordReader& r) { r.ReadInteger(); }, integers),
            "Error on Line 4 Item 3\rAn integer was expected but not found.");
}

TEST(WordReader, NumberConversion) {
  const struct {
    const char* word;
    bool is_float;
    double value;
    bool is_integer;
  } cases[] = {
      {"3", true, 3, true},
      {"3.0", true, 3, true},
      {"1E1", true, 10, true},
      {"+7", true, 7, true},
      {"-2147483648", true, -2147483648.0, true},
      {"2147483647", true, 2147483647.0, true},
      {"2147483648", true, 2147483648.0, false},
      {"-2147483649", true, -2147483649.0, false},
      {"2.5", true, 2.5, false},
      {".5", true, 0.5, false},
      {"-1.25E-3", true, -0.00125, false},
      {"1,5", false, 0, false},
      {"1e", false, 0, false},
      {"abc", false, 0, false},
      {"nan", false, 0, false},
      {"inf", false, 0, false},
      {"0x10", false, 0, false},
      {"--1", false, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    TWordReader reader = TWordReader::FromText(std::string(c.word) + " " + c.word);
    if (c.is_float) {
      EXPECT_EQ(reader.ReadFloat(), c.value);
    } else {
      EXPECT_THROW(reader.ReadFloat(), EInOutError);
    }
    if (c.is_integer) {
      EXPECT_EQ(reader.ReadInteger(), static_cast<int>(c.value));
    } else {
      EXPECT_THROW(reader.ReadInteger(), EInOutError);
    }
  }
}

// A number beyond a double is refused with its line and item (it would be stored as
// infinity); one too small reads as zero.
TEST(WordReader, NumbersAtTheEdgesOfTheRange) {
  for (const test_data::NumberText& c : test_data::EdgeNumberTexts()) {
    SCOPED_TRACE(c.text.substr(0, 80));
    TWordReader reader = TWordReader::FromText("1\n2 " + c.text);
    reader.ReadFloat();
    reader.ReadFloat();
    switch (c.kind) {
      case test_data::NumberText::kValue:
        EXPECT_EQ(reader.ReadFloat(), c.value);
        break;
      case test_data::NumberText::kTooLarge:
        EXPECT_EQ(ErrorOf([](TWordReader& r) { r.ReadFloat(); }, reader),
                  "Error on Line 2 Item 2\rThe number is out of range (its magnitude exceeds "
                  "1.7E+308).");
        break;
      case test_data::NumberText::kNotANumber:
        EXPECT_EQ(ErrorOf([](TWordReader& r) { r.ReadFloat(); }, reader),
                  "Error on Line 2 Item 2\rA floating point number was expected but not found.");
        break;
    }
  }
}

TEST(WordReader, LinesWithoutWordsArePassedOver) {
  TWordReader reader = TWordReader::FromText("1\n\n  \t\n2\n\n");
  EXPECT_EQ(reader.ReadInteger(), 1);
  EXPECT_EQ(reader.ReadInteger(), 2);
  EXPECT_EQ(reader.Line(), 3);
  EXPECT_EQ(ErrorOf([](TWordReader& r) { r.ReadInteger(); }, reader), kIncomplete);

  TWordReader leading = TWordReader::FromText("\n\n5");
  EXPECT_EQ(leading.ReadInteger(), 5);

  TWordReader empty = TWordReader::FromText("");
  EXPECT_EQ(empty.GetLineCount(), 1);
  EXPECT_EQ(empty.GetCurrentLineWordCount(), 0);
  EXPECT_EQ(ErrorOf([](TWordReader& r) { r.ReadWord(); }, empty), kIncomplete);
}

TEST(WordReader, LineEndsAndWholeLines) {
  TWordReader reader = TWordReader::FromText("  1 2\r\nabc def\r\n\r\nlast");
  EXPECT_EQ(reader.GetLineCount(), 4);
  std::string line;
  reader.ReadLine(line);
  EXPECT_EQ(line, "  1 2");  // as read, without the line end
  EXPECT_TRUE(reader.GetAtStartOfLine());
  EXPECT_EQ(reader.ReadWord(), "abc");
  EXPECT_EQ(reader.ReadWord(), "def");  // no CR left on the last word
  reader.ReadLine(line);                // the rest of "abc def" is dropped
  EXPECT_EQ(line, "abc def");
  reader.ReadLine(line);
  EXPECT_EQ(line, "");
  EXPECT_EQ(reader.CountWordsLine(), 1);
  EXPECT_TRUE(reader.Eof());
  EXPECT_EQ(reader.GetCurrentLineWordCount(), 0);
  EXPECT_EQ(ErrorOf([](TWordReader& r) {
              std::string s;
              r.ReadLine(s);
            }, reader),
            kIncomplete);
  EXPECT_EQ(ErrorOf([](TWordReader& r) { r.CountWordsLine(); }, reader), kIncomplete);
}

TEST(WordReader, CountWordsLineSkipsTheRestOfTheLine) {
  TWordReader reader = TWordReader::FromText("a b c\nd\n");
  EXPECT_EQ(reader.ReadWord(), "a");
  EXPECT_EQ(reader.CountWordsLine(), 3);
  EXPECT_EQ(reader.ReadWord(), "d");
}

TEST(WordReader, ReadWordsStopsBeforeTheFirstNumber) {
  TWordReader reader = TWordReader::FromText("Stiff clay  layer\n 2.5 3\nwords only");
  std::string text = "old";
  reader.ReadWords(text);
  EXPECT_EQ(text, "Stiff clay layer");
  EXPECT_EQ(reader.ReadFloat(), 2.5);  // the number is left for the next read
  reader.ReadWords(text);
  EXPECT_EQ(text, "");
  EXPECT_EQ(reader.ReadInteger(), 3);
  EXPECT_EQ(ErrorOf([](TWordReader& r) {
              std::string s;
              r.ReadWords(s);
            }, reader),
            kIncomplete);
}

TEST(WordReader, ReadsFilesAndReportsOpenErrors) {
  std::string path = testing::TempDir() + "korva_word_reader_test.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "6.0 3\r\nname\r\n";
  }
  TWordReader reader(path);
  EXPECT_EQ(reader.GetLineCount(), 2);
  EXPECT_EQ(reader.ReadFloat(), 6.0);
  EXPECT_EQ(reader.ReadInteger(), 3);
  EXPECT_EQ(reader.ReadWord(), "name");
  std::remove(path.c_str());

  try {
    TWordReader missing(testing::TempDir() + "korva_no_such_file.txt");
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(std::string(e.what()), std::strerror(ENOENT));
  }
  EXPECT_THROW(TWordReader(testing::TempDir()), EInOutError);  // a directory
}

TEST(WordReader, DecimalPointWhateverTheLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8")) {
    GTEST_SKIP() << "no German locale installed";
  }
  TWordReader reader = TWordReader::FromText("2.5 2,5");
  EXPECT_EQ(reader.ReadFloat(), 2.5);
  EXPECT_THROW(reader.ReadFloat(), EInOutError);
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace korva::project
