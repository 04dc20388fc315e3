// The calculation report: reading the run's report and message file back, and the PDF the
// batch runner writes, checked from the PDF itself (pdfinfo, pdftotext, pdffonts).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "calc_report.h"
#include "common/process.h"
#include "report_reader.h"

namespace fs = std::filesystem;

namespace korva::report {
namespace {

using namespace test_process;

const fs::path kGolden = kSource / "tests" / "fixtures" / "golden";

// Runs of blanks reduced to one, ends trimmed.
std::string Collapse(const std::string& s) {
  std::string out;
  bool blank = false;
  for (char c : s) {
    if (c == ' ' || c == '\t' || c == '\f' || c == '\r') {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  for (const std::string& l : SplitLines(text)) out.push_back(l);
  return out;
}

// ---- Reading the report back -------------------------------------------------------------------

TEST(ReportReader, ReadsPassesTablesLayersAndCurvesOfARun) {
  const TReportFile r = ParseReport(slurp(kGolden / "clay-en-asd.kv8o"));
  EXPECT_FALSE(r.SI);
  EXPECT_FALSE(r.Date.empty());
  EXPECT_FALSE(r.Time.empty());
  ASSERT_FALSE(r.Layers.empty());
  EXPECT_EQ(r.Layers[0].Number, 1);
  EXPECT_EQ(r.Layers[0].Kind, "CLAY");
  ASSERT_FALSE(r.Passes.empty());
  const TReportPass& p = r.Passes.front();
  EXPECT_EQ(p.Case, 1);
  ASSERT_NE(p.Find("DIAMETER OF STEM"), nullptr);
  EXPECT_EQ(p.Find("DIAMETER OF STEM")->Unit, "FT.");
  ASSERT_FALSE(p.Rows.empty());
  EXPECT_NE(p.Heading[0].find("LENGTH  VOLUME"), std::string::npos);
  // Every table row of the report is read, with its printed texts.
  std::size_t printed = 0;
  const std::regex row(R"(^ +\d+\.\d( +-?\d+\.\d+){7}$)");
  for (const auto& l : r.Lines) printed += std::regex_match(l, row) ? 1 : 0;
  std::size_t read = 0;
  for (const auto& pass : r.Passes) read += pass.Rows.size();
  EXPECT_EQ(read, printed);
  for (const auto& cell : p.Rows.front()) EXPECT_TRUE(cell.Value.has_value()) << cell.Text;
  // Three load-settlement curves of 15 rows for a soil tip.
  ASSERT_EQ(p.Curves.size(), 3u);
  EXPECT_EQ(p.Curves[0].Name, "TREND (AVERAGED)");
  EXPECT_EQ(p.Curves[2].Name, "LOWER-BOUND");
  for (const auto& c : p.Curves) EXPECT_EQ(c.Rows.size(), 15u);
}

TEST(ReportReader, MarksEstimatedValuesAndReadsSiAndLrfd) {
  const TReportFile est = ParseReport(slurp(kGolden / "estimated-coefficients.kv8o"));
  EXPECT_TRUE(est.AnyEstimated);
  int marked = 0;
  for (const auto& layer : est.Layers)
    for (const auto& v : layer.Values) marked += v.TopEstimated + v.BottomEstimated;
  EXPECT_GT(marked, 0);

  const TReportFile si = ParseReport(slurp(kGolden / "sand-si-lrfd.kv8o"));
  EXPECT_TRUE(si.SI);
  ASSERT_FALSE(si.Layers.empty());
  bool lrfd = false;
  for (const auto& v : si.Layers[0].Values) lrfd = lrfd || (v.Single && v.Label.rfind("LRFD", 0) == 0);
  EXPECT_TRUE(lrfd);
  for (const auto& v : si.Layers[0].Values) {
    if (v.Single) continue;
    EXPECT_FALSE(v.Top.Text.empty()) << v.Label;
    EXPECT_FALSE(v.Bottom.Text.empty()) << v.Label;
  }
  ASSERT_FALSE(si.Passes.empty());
  EXPECT_NE(si.Passes[0].Find("SHAFT LENGTH"), nullptr);
}

TEST(ReportReader, ToleratesTruncatedAndForeignText) {
  const std::string full = slurp(kGolden / "clay-en-asd.kv8o");
  for (std::size_t cut : {std::size_t{0}, full.size() / 7, full.size() / 3, full.size() / 2, full.size() - 5}) {
    const TReportFile r = ParseReport(std::string_view(full).substr(0, cut));
    for (const auto& p : r.Passes)
      for (const auto& c : p.Curves) EXPECT_LE(c.Rows.size(), 15u);
  }
  const TReportFile junk = ParseReport("LAYER NO\n- CASE ANALYZED\nRESULT FROM\n   LENGTH  VOLUME\n**\n");
  EXPECT_TRUE(junk.Layers.empty() || junk.Layers[0].Values.empty());
}

TEST(ReportReader, MessagesAreBlocksWithoutTraceLinesAndRepeatsCounted) {
  const std::string text =
      " 15 52 1 52\n\n\n     *****WARNING*****\n     PLEASE PROVIDE THE SOIL DEPTH\n\n"
      " 15 52 1 52\n     *****WARNING*****\n     PLEASE PROVIDE THE SOIL DEPTH\n\n"
      "       Diameter (FT) =      0.30\n";
  const std::vector<TMessageBlock> m = ParseMessages(text);
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].Count, 2);
  ASSERT_EQ(m[0].Lines.size(), 2u);
  EXPECT_EQ(m[0].Lines[1], "     PLEASE PROVIDE THE SOIL DEPTH");
  EXPECT_EQ(m[1].Count, 1);
  EXPECT_TRUE(ParseMessages(" 15 52 1 52\n 15 52 1 52\n").empty());
}

TEST(CalculationReport, HeadMovementIsInterpolatedOnTheCurveThroughTheOrigin) {
  TReportCurve c;
  c.Rows = {{10, 0.1, 0, 0}, {30, 0.5, 0, 0}, {30, 0.6, 0, 0}, {40, 1.0, 0, 0}};
  const struct {
    double load;
    std::optional<double> movement;
  } cases[] = {{0, 0.0}, {5, 0.05}, {10, 0.1}, {20, 0.3}, {30, 0.5}, {35, 0.8}, {40, 1.0}, {40.5, std::nullopt}};
  for (const auto& k : cases) {
    const auto m = MovementAtLoad(c, k.load);
    ASSERT_EQ(m.has_value(), k.movement.has_value()) << k.load;
    if (m) EXPECT_NEAR(*m, *k.movement, 1e-12) << k.load;
  }
  EXPECT_FALSE(MovementAtLoad(TReportCurve{}, 1.0));
  EXPECT_FALSE(MovementAtLoad(c, std::nan("")));
  EXPECT_EQ(PageLabel(3, 12), "Page 3 of 12");
  EXPECT_EQ(PaperFromName("A4"), TPaper::A4);
  EXPECT_EQ(PaperFromName("letter"), TPaper::Letter);
  EXPECT_FALSE(PaperFromName("legal"));
}

// ---- The runner's PDF ------------------------------------------------------------------------

struct Pdf {
  std::map<std::string, std::string> info;  // pdfinfo's fields
  std::vector<std::string> pages;           // pdftotext -layout, page by page
  std::string fonts;
  std::string errors;                       // what the poppler tools complained about
};

Pdf ReadPdf(const fs::path& file) {
  Pdf pdf;
  const Shell info = sh("pdfinfo " + q(file));
  for (const std::string& l : Lines(info.out)) {
    const std::size_t colon = l.find(':');
    if (colon == std::string::npos) continue;
    pdf.info[l.substr(0, colon)] = Collapse(l.substr(colon + 1));
  }
  if (info.code != 0) pdf.errors += info.out;
  const Shell text = sh("pdftotext -layout " + q(file) + " -");
  if (text.code != 0 || text.out.find("Syntax Error") != std::string::npos) pdf.errors += text.out;
  std::string page;
  for (char c : text.out) {
    if (c == '\f') {
      pdf.pages.push_back(page);
      page.clear();
    } else {
      page += c;
    }
  }
  if (!page.empty()) pdf.pages.push_back(page);
  pdf.fonts = sh("pdffonts " + q(file)).out;
  return pdf;
}

// The resistance row of the report's table at the design length of each pass.
std::vector<std::vector<std::string>> DesignRows(const std::string& report) {
  std::vector<std::vector<std::string>> out;
  std::string length;
  std::vector<std::string> current;
  const std::regex shaftLength(R"(SHAFT LENGTH += +([0-9.]+))");
  const std::regex row(R"(^ +(\d+\.\d)(( +-?\d+\.\d+){7})$)");
  for (const std::string& l : Lines(report)) {
    std::smatch m;
    if (l.find("- CASE ANALYZED") != std::string::npos) {
      if (!current.empty()) out.push_back(current);
      current.clear();
    }
    if (std::regex_search(l, m, shaftLength)) {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.1f", std::stod(m[1]));
      length = buf;
    }
    if (std::regex_match(l, m, row) && m[1] == length) {
      current.clear();
      std::istringstream in(l);
      for (std::string w; in >> w;) current.push_back(w);
    }
  }
  if (!current.empty()) out.push_back(current);
  return out;
}

struct Example {
  const char* file;
  const char* paper;  // pdfinfo's paper name
  std::vector<std::string> texts;  // on the summary or input pages
};

class RunnerPdf : public ::testing::TestWithParam<Example> {};

TEST_P(RunnerPdf, SummaryInputAppendixAndFontsComeFromTheRun) {
  const Example& ex = GetParam();
  const fs::path dir = temp_dir();
  fs::copy_file(kSource / "examples" / ex.file, dir / ex.file);
  const fs::path project = dir / ex.file;
  const Shell run = sh(q(kRunner) + " --pdf " + q(project));
  ASSERT_EQ(run.code, 0) << run.out;
  const fs::path pdfFile = fs::path(project).replace_extension(".pdf");
  ASSERT_TRUE(fs::exists(pdfFile)) << run.out;
  EXPECT_NE(run.out.find(pdfFile.string()), std::string::npos) << run.out;

  Pdf pdf = ReadPdf(pdfFile);
  EXPECT_EQ(pdf.errors, "");
  const std::string report = slurp(fs::path(project).replace_extension(".kv8o"));
  const std::string title = Collapse(Lines(slurp(project)).front());
  EXPECT_NE(pdf.info["Title"].find(title), std::string::npos) << pdf.info["Title"];
  EXPECT_FALSE(pdf.info["Author"].empty());
  EXPECT_NE(pdf.info["Page size"].find(ex.paper), std::string::npos) << pdf.info["Page size"];
  ASSERT_EQ(std::to_string(pdf.pages.size()), pdf.info["Pages"]);

  // Every page: the header with the program and the project, the footer "Page x of y".
  for (std::size_t i = 0; i < pdf.pages.size(); ++i) {
    const std::string page = Collapse(pdf.pages[i]);
    EXPECT_NE(page.find("KORVA 2017.8.1"), std::string::npos) << "page " << i + 1;
    EXPECT_NE(page.find(ex.file), std::string::npos) << "page " << i + 1;
    EXPECT_NE(page.find(PageLabel(static_cast<int>(i) + 1, static_cast<int>(pdf.pages.size()))), std::string::npos)
        << "page " << i + 1;
  }

  // The summary shows, per analysed shaft, the report's values at the design length.
  std::string summary;
  for (const std::string& l : Lines(pdf.pages.front())) summary += Collapse(l) + "\n";
  const auto rows = DesignRows(report);
  ASSERT_FALSE(rows.empty());
  for (const auto& r : rows) {
    // Length, QS, QB (or WT), QU, then the allowable total QDN (ASD, column 7) or the
    // factored total LRFD QU (LRFD, column 8).
    const bool lrfd = report.find("LRFD QU") != std::string::npos;
    const std::string expected = r[0] + " " + r[2] + " " + r[3] + " " + r[4] + " " + r[lrfd ? 7 : 6];
    EXPECT_NE(summary.find(expected), std::string::npos) << expected << "\n" << summary;
  }
  EXPECT_NE(summary.find("Run status 0"), std::string::npos);

  std::string all;
  for (const auto& p : pdf.pages) all += Collapse(p) + "\n";
  for (const std::string& t : ex.texts) EXPECT_NE(all.find(t), std::string::npos) << t;

  // The appendix holds every line of the report, whole.
  std::set<std::string> shown;
  for (const auto& p : pdf.pages)
    for (const std::string& l : Lines(p)) shown.insert(Collapse(l));
  int missing = 0;
  for (const std::string& l : Lines(report)) {
    const std::string c = Collapse(l);
    if (c.empty() || shown.count(c)) continue;
    if (++missing <= 5) ADD_FAILURE() << "report line not in the PDF: " << l;
  }
  EXPECT_EQ(missing, 0);

  // Embedded fonts only.
  const auto fontLines = Lines(pdf.fonts);
  ASSERT_GT(fontLines.size(), 2u) << pdf.fonts;
  for (std::size_t i = 2; i < fontLines.size(); ++i) {
    if (Collapse(fontLines[i]).empty()) continue;
    EXPECT_NE(fontLines[i].find(" yes "), std::string::npos) << fontLines[i];
  }
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    BundledExamples, RunnerPdf,
    ::testing::Values(
        Example{"clay-over-sand.kv8d", "letter",
                {"Soil profile", "Layer 1: clay (FHWA Spec.), from 0 to 30 ft", "Side resistance factor alpha 0.550 (*)",
                 "Allowable stress design", "Combined Plots vs Depth", "Soil-Pile Profile", "Appendix A"}},
        Example{"every-soil-type-si.kv8d", "A4",
                {"Soil profile", "SI (m, kN, kN/m²)", "Uplift", "Load and resistance factor design",
                 "LRFD resistance factor, side", "gravel (Rollins et al)"}},
        Example{"design-charts.kv8d", "letter", {"Design Chart (0.25-in movement)", "Design Chart (1-in movement)", "Design charts"}}),
    [](const auto& info) {
      std::string n = fs::path(info.param.file).stem().string();
      std::replace(n.begin(), n.end(), '-', '_');
      return n;
    });

TEST(RunnerPdfOptions, PaperStatusDeterminismAndAFailedWrite) {
  const fs::path dir = temp_dir();
  fs::copy_file(kSource / "examples" / "clay-over-sand.kv8d", dir / "a.kv8d");
  // The chosen paper wins over the units' default.
  ASSERT_EQ(sh(q(kRunner) + " --pdf --paper a4 " + q(dir / "a.kv8d")).code, 0);
  EXPECT_NE(ReadPdf(dir / "a.pdf").info["Page size"].find("A4"), std::string::npos);
  EXPECT_EQ(sh(q(kRunner) + " --pdf --paper legal " + q(dir / "a.kv8d")).code, 2);

  // The same project gives the same bytes (SOURCE_DATE_EPOCH fixes the dates).
  ASSERT_EQ(sh(q(kRunner) + " --pdf " + q(dir / "a.kv8d")).code, 0);
  const std::string first = slurp(dir / "a.pdf");
  ASSERT_EQ(sh(q(kRunner) + " --pdf " + q(dir / "a.kv8d")).code, 0);
  EXPECT_TRUE(first == slurp(dir / "a.pdf")) << "two runs gave different PDF bytes";
  EXPECT_NE(ReadPdf(dir / "a.pdf").info["CreationDate"].find("2025"), std::string::npos);

  // A design load no length carries: status 7, and the PDF still has the summary with it.
  std::string text = slurp(dir / "a.kv8d");
  text.replace(text.find("2 1 1 5"), 7, "1 1 1 5");    // design by load
  text.replace(text.find("2 12 60 2 2.5"), 13, "2 12 99000 2 2.5");
  std::ofstream(dir / "b.kv8d", std::ios::binary) << text;
  const Shell seven = sh(q(kRunner) + " --pdf " + q(dir / "b.kv8d"));
  EXPECT_EQ(seven.code, 17) << seven.out;
  const Pdf b = ReadPdf(dir / "b.pdf");
  ASSERT_FALSE(b.pages.empty()) << seven.out;
  EXPECT_NE(Collapse(b.pages.front()).find("Run status 7: NEED ANOTHER SOIL LAYER"), std::string::npos);
  EXPECT_NE(Collapse(b.pages.front()).find("not reached"), std::string::npos);

  // A PDF that cannot be written: exit 3, a message, and what was there stays.
  fs::create_directory(dir / "c.pdf");
  std::ofstream(dir / "c.pdf" / "keep.txt") << "kept";
  fs::copy_file(dir / "a.kv8d", dir / "c.kv8d");
  const Shell blocked = sh(q(kRunner) + " --pdf " + q(dir / "c.kv8d"));
  EXPECT_EQ(blocked.code, 3) << blocked.out;
  EXPECT_NE(blocked.out.find("the PDF could not be written"), std::string::npos) << blocked.out;
  EXPECT_EQ(slurp(dir / "c.pdf" / "keep.txt"), "kept");
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find(".c.pdf"), std::string::npos) << e.path();
  fs::remove_all(dir);
}

}  // namespace
}  // namespace korva::report
