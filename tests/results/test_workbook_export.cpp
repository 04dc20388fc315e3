// The spreadsheet export, checked in the written package: the workbook is a zip of XML
// parts, read back here with minizip and inspected part by part.
#include <gtest/gtest.h>
#include <minizip/unzip.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

#include "graph_catalogue.h"
#include "workbook_export.h"

namespace fs = std::filesystem;
using namespace korva::results;

namespace {

std::map<std::string, std::string> ReadPackage(const std::string& path) {
  std::map<std::string, std::string> parts;
  unzFile z = unzOpen64(path.c_str());
  if (!z) return parts;
  for (int rc = unzGoToFirstFile(z); rc == UNZ_OK; rc = unzGoToNextFile(z)) {
    unz_file_info64 info{};
    char name[512];
    unzGetCurrentFileInfo64(z, &info, name, sizeof name, nullptr, 0, nullptr, 0);
    std::string data(static_cast<std::size_t>(info.uncompressed_size), '\0');
    unzOpenCurrentFile(z);
    if (!data.empty()) unzReadCurrentFile(z, data.data(), static_cast<unsigned>(data.size()));
    EXPECT_EQ(unzCloseCurrentFile(z), UNZ_OK) << name;
    parts[name] = data;
  }
  unzClose(z);
  return parts;
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

std::vector<std::string> AllMatches(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    found.push_back((*it)[1].str());
  return found;
}

// The workbook's sheets in order: name and the part that holds it.
struct Sheet {
  std::string name;
  std::string part;  // "xl/worksheets/sheet1.xml" or "xl/chartsheets/sheet1.xml"
};

std::vector<Sheet> Sheets(const std::map<std::string, std::string>& parts) {
  std::map<std::string, std::string> targets;
  const std::string& rels = parts.at("xl/_rels/workbook.xml.rels");
  const std::regex rel("<Relationship Id=\"(rId\\d+)\" Type=\"[^\"]*\" Target=\"([^\"]*)\"/>");
  for (auto it = std::sregex_iterator(rels.begin(), rels.end(), rel); it != std::sregex_iterator(); ++it)
    targets[(*it)[1]] = "xl/" + (*it)[2].str();
  std::vector<Sheet> sheets;
  const std::string& wb = parts.at("xl/workbook.xml");
  const std::regex sheet("<sheet name=\"([^\"]*)\" sheetId=\"\\d+\" r:id=\"(rId\\d+)\"/>");
  for (auto it = std::sregex_iterator(wb.begin(), wb.end(), sheet); it != std::sregex_iterator(); ++it)
    sheets.push_back({(*it)[1], targets[(*it)[2]]});
  return sheets;
}

// The chart part drawn on a chart sheet (chart sheet -> drawing -> chart).
std::string ChartOf(const std::map<std::string, std::string>& parts, const std::string& chartsheet) {
  const fs::path cs(chartsheet);
  const std::string rels = parts.at((cs.parent_path() / "_rels" / (cs.filename().string() + ".rels")).string());
  const std::string drawing = "xl/drawings/" + fs::path(AllMatches(rels, "Target=\"([^\"]*)\"").at(0)).filename().string();
  const fs::path d(drawing);
  const std::string drels = parts.at((d.parent_path() / "_rels" / (d.filename().string() + ".rels")).string());
  return parts.at("xl/charts/" + fs::path(AllMatches(drels, "Target=\"([^\"]*)\"").at(0)).filename().string());
}

class WorkbookExport : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("korva-xlsx-test-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string File(const char* name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST(ColumnLetters, OneAndTwoLetters) {
  const std::pair<int, const char*> cases[] = {{1, "A"},   {26, "Z"},   {27, "AA"}, {52, "AZ"}, {53, "BA"},
                                               {509, "SO"}, {510, "SP"}, {600, "WB"}, {702, "ZZ"}, {0, ""},
                                               {703, ""}};
  for (const auto& [index, letters] : cases) EXPECT_EQ(ColumnLetters(index), letters) << index;
}

TEST_F(WorkbookExport, TwoGraphsGiveLegendDataAndChartSheetsInOrder) {
  TGraphCatalogue graphs;
  TGraphPlot& skin = graphs[kPltSkin];
  skin.AddLine("Diameter = 3 ft", {{0.1, 0}, {12.5, 1}, {30.25, 2}});
  skin.AddLine({}, {{0.2, 0}, {20, 1}, {40, 2}});
  TGraphPlot& qw = graphs[kPltQw];
  qw.AddLine("Trend", {{0, 0}, {0.5, 10}});
  // Numbers must not depend on the locale the program runs in.
  const std::string old = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  const WorkbookResult r = WriteWorkbook(File("two.xlsx"), {&skin, &qw}, false);
  std::setlocale(LC_ALL, old.c_str());
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_FALSE(r.more255);

  const auto parts = ReadPackage(File("two.xlsx"));
  const auto sheets = Sheets(parts);
  ASSERT_EQ(sheets.size(), 5u);
  const char* names[] = {"Legend", "Page_1", "Plot_1", "Page_2", "Plot_2"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(sheets[i].name, names[i]);
    EXPECT_EQ(sheets[i].part.find(i == 2 || i == 4 ? "xl/chartsheets/" : "xl/worksheets/"), 0u) << sheets[i].part;
  }

  // Legend: header row, numbers, captions, links to the data sheets, chart sheet names.
  const std::string& strings = parts.at("xl/sharedStrings.xml");
  for (const char* text : {"     N    ", "                             Plot Name                             ",
                           "  Sheet Name  ", "  Chart Name  ", "          Status          ",
                           "Ultimate Skin Friction vs Depth", "Q-w curves (averaged)", "Complete", "Plot_2",
                           "Ultimate Skin Friction  (tons)", "Diameter = 3 ft", "Curve #2", "Legend!A1"})
    EXPECT_NE(strings.find(">" + std::string(text) + "<"), std::string::npos) << text;
  const std::string& legend = parts.at(sheets[0].part);
  EXPECT_EQ(AllMatches(legend, "<hyperlink ref=\"(D\\d+)\""), (std::vector<std::string>{"D3", "D4"}));
  EXPECT_EQ(AllMatches(legend, "location=\"([^\"]*)\""), (std::vector<std::string>{"Page_1!A1", "Page_2!A1"}));
  EXPECT_EQ(CountOf(legend, "<c r=\"B3\" t=\"s\""), 1);  // the number as text

  // Data sheet: back link in G1, values as numbers in their shortest form, whatever the locale.
  const std::string& page1 = parts.at(sheets[1].part);
  EXPECT_NE(page1.find("<hyperlink ref=\"G1\" location=\"Legend!A1\""), std::string::npos);
  EXPECT_NE(page1.find("<c r=\"A6\"><v>0.1</v></c>"), std::string::npos) << page1;
  EXPECT_NE(page1.find("<c r=\"A8\"><v>30.25</v></c>"), std::string::npos);
  EXPECT_NE(page1.find("<c r=\"C7\"><v>20</v></c>"), std::string::npos);

  // Charts: scatter with lines, a series per curve over the rows of the data, no markers,
  // titled axes with major grid lines, legend framed black on white, no chart title.
  const std::string chart1 = ChartOf(parts, sheets[2].part);
  const std::string chart2 = ChartOf(parts, sheets[4].part);
  for (const std::string* c : {&chart1, &chart2}) {
    EXPECT_NE(c->find("<c:scatterStyle val=\"lineMarker\"/>"), std::string::npos);
    EXPECT_EQ(CountOf(*c, "<c:majorGridlines"), 2);
    EXPECT_NE(c->find("<c:autoTitleDeleted val=\"1\"/>"), std::string::npos);
    EXPECT_NE(c->find("<c:legend><c:legendPos val=\"r\"/><c:layout/><c:spPr><a:solidFill><a:srgbClr val=\"FFFFFF\"/>"
                      "</a:solidFill><a:ln><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill></a:ln></c:spPr>"),
              std::string::npos)
        << *c;
  }
  EXPECT_EQ(AllMatches(chart1, "<c:f>([^<]*)</c:f>"),
            (std::vector<std::string>{"Page_1!$A$6:$A$8", "Page_1!$B$6:$B$8", "Page_1!$C$6:$C$8",
                                      "Page_1!$D$6:$D$8"}));
  EXPECT_EQ(AllMatches(chart1, "<c:tx><c:v>([^<]*)</c:v></c:tx>"),
            (std::vector<std::string>{"Diameter = 3 ft", "Curve #2"}));
  EXPECT_EQ(CountOf(chart1, "<c:symbol val=\"none\"/>"), 2);
  EXPECT_NE(chart1.find(">Ultimate Skin Friction  (tons)<"), std::string::npos);
  EXPECT_NE(chart1.find(">Depth  (ft)<"), std::string::npos);
  // The depth graph's value axis runs downward; the Q-w graph's does not.
  EXPECT_EQ(AllMatches(chart1, "<c:orientation val=\"(\\w+)\"/>"), (std::vector<std::string>{"minMax", "maxMin"}));
  EXPECT_EQ(AllMatches(chart2, "<c:orientation val=\"(\\w+)\"/>"), (std::vector<std::string>{"minMax", "minMax"}));
  EXPECT_NE(chart2.find(">Tip Displacement, w (in)<"), std::string::npos);
}

TEST_F(WorkbookExport, ThreeHundredCurvesKeepAllDataAndChart255) {
  TGraphPlot g;
  DefineGraph(g, kPltTz);
  for (int i = 0; i < 300; ++i) g.AddLine({}, {{0, 0}, {0.1 * i, 1.0 * i}});
  const WorkbookResult r = WriteWorkbook(File("many.xlsx"), {&g}, true);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.more255);
  const auto parts = ReadPackage(File("many.xlsx"));
  const auto sheets = Sheets(parts);
  ASSERT_EQ(sheets.size(), 3u);
  const std::string& page = parts.at(sheets[1].part);
  EXPECT_NE(page.find("<dimension ref=\"A1:WB7\"/>"), std::string::npos);  // 600 columns
  EXPECT_NE(page.find("<c r=\"WB7\"><v>299</v></c>"), std::string::npos);
  const std::string chart = ChartOf(parts, sheets[2].part);
  EXPECT_EQ(CountOf(chart, "<c:ser>"), 255);
  const auto ranges = AllMatches(chart, "<c:f>([^<]*)</c:f>");
  ASSERT_EQ(ranges.size(), 510u);
  EXPECT_EQ(ranges[508], "Page_1!$SO$6:$SO$7");
  EXPECT_EQ(ranges[509], "Page_1!$SP$6:$SP$7");
  EXPECT_EQ(CountOf(chart, "<c:symbol val=\"none\"/>"), 0);  // markers kept
}

TEST_F(WorkbookExport, SeriesOfShortCurvesRunToTheLongestCurve) {
  TGraphPlot g;
  DefineGraph(g, kPltAxial);
  g.AddLine("short", {{0, 0}, {1, 0.1}, {2, 0.2}});
  g.AddLine("long", {{0, 0}, {1, 0.1}, {2, 0.2}, {3, 0.3}, {4, 0.4}, {5, 0.5}, {6, 0.6}});
  const WorkbookResult r = WriteWorkbook(File("lengths.xlsx"), {&g}, true);
  ASSERT_TRUE(r.ok) << r.error;
  const auto parts = ReadPackage(File("lengths.xlsx"));
  const auto sheets = Sheets(parts);
  EXPECT_EQ(AllMatches(ChartOf(parts, sheets[2].part), "<c:f>([^<]*)</c:f>"),
            (std::vector<std::string>{"Page_1!$A$6:$A$12", "Page_1!$B$6:$B$12", "Page_1!$C$6:$C$12",
                                      "Page_1!$D$6:$D$12"}));
  const std::string& page = parts.at(sheets[1].part);
  EXPECT_EQ(page.find("<c r=\"A9\""), std::string::npos);  // the short curve ends at row 8
  EXPECT_NE(page.find("<c r=\"C12\"><v>6</v></c>"), std::string::npos);
}

TEST_F(WorkbookExport, FailuresLeaveNoFileAndKeepAnOldOne) {
  TGraphPlot g;
  DefineGraph(g, kPltSkin);
  g.AddLine({}, {{1, 0}, {2, 1}});

  // A folder that does not exist.
  const WorkbookResult missing = WriteWorkbook(File("nowhere/book.xlsx"), {&g}, true);
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.error.find("nowhere/book.xlsx"), std::string::npos) << missing.error;

  // The disk fills up while writing: the old workbook stays byte for byte, nothing is left.
  const std::string target = File("book.xlsx");
  { std::ofstream(target) << "the old workbook"; }
  for (int i = 0; i < 2000; ++i) g.AddLine({}, {{1.0 * i, 0}, {2.0 * i, 1}});
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit lim{20000, 20000};
    setrlimit(RLIMIT_FSIZE, &lim);
    const WorkbookResult full = WriteWorkbook(target, {&g}, true);
    _exit(!full.ok && !full.error.empty() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failed write was not reported";
  std::ifstream in(target);
  EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == "the old workbook") << "the old file changed";
  for (const auto& e : fs::directory_iterator(dir_)) EXPECT_EQ(e.path(), target) << "left " << e.path();
}

}  // namespace
