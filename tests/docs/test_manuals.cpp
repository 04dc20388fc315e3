// The manuals document the program: the user's manual names every dialog caption, soil and rock
// type, batch-runner option, engine message and run status, listed here from the program's own
// tables (a new text without documentation fails), and the technical manual names the methods it
// follows. Both PDFs open, have a table of contents and numbered pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "common/process.h"
#include "frame/message_texts.h"
#include "frame/run_status.h"
#include "project_tables.h"

namespace fs = std::filesystem;

namespace korva {
namespace {

using namespace test_process;

const fs::path kUsers = KORVA_USERS_MANUAL;
const fs::path kTechnical = KORVA_TECHNICAL_MANUAL;

// Text for comparing: typographic quotes and dashes as typed, and no white space at all, so a
// line break, a justified gap or a hyphen at a line end (kept in both) changes nothing.
std::string Squeezed(const std::string& s) {
  static const std::vector<std::pair<std::string, std::string>> kTypography = {
      {"\u201c", "\""}, {"\u201d", "\""}, {"\u2018", "'"}, {"\u2019", "'"}, {"\u2032", "'"},
      {"\u2013", "--"}, {"\u2014", "---"}, {"\u2212", "-"}, {"\u00a0", " "}, {"\u2011", "-"}};
  std::string t = s;
  for (const auto& [from, to] : kTypography)
    for (std::size_t at = 0; (at = t.find(from, at)) != std::string::npos; at += to.size()) t.replace(at, from.size(), to);
  std::string out;
  for (char c : t)
    if (!std::isspace(static_cast<unsigned char>(c))) out += c;
  return out;
}

std::string PdfText(const fs::path& pdf) {
  const Shell r = sh("pdftotext -enc UTF-8 " + q(pdf) + " -");
  EXPECT_EQ(r.code, 0) << r.out;
  return r.out;
}

// The texts of `wanted` that `text` lacks, one per line.
std::string Missing(const std::string& text, const std::vector<std::string>& wanted) {
  const std::string have = Squeezed(text);
  std::string missing;
  std::set<std::string> seen;
  for (const std::string& w : wanted) {
    const std::string s = Squeezed(w);
    if (s.size() < 4 || !seen.insert(s).second) continue;
    if (have.find(s) == std::string::npos) missing += "  " + w + "\n";
  }
  return missing;
}

// The fixed captions the program's windows and dialogs set (the part before a number or name
// filled in at run time), from the sources of the program.
std::vector<std::string> DialogCaptions() {
  // A caption string: "...", QStringLiteral("..."), tr("...") or QString("...").
  const std::string text = R"re(\s*(?:QStringLiteral\(|tr\(|QString\()?"([^"]+)")re";
  const std::vector<std::regex> forms = {
      std::regex(R"re(setWindowTitle\()re" + text),                    // a window's own
      std::regex(R"re((?:kTitle|kCaption)\w*\s*=)re" + text),          // a named caption
      std::regex(R"re(SetCaption\()re" + text),                        // a table's window
      std::regex(R"re(QFileDialog\s*\w*\s*\(\s*\w+\s*,)re" + text),  // file dialogs
      std::regex(R"re(chooseSaveName\()re" + text),
      std::regex(R"re(QMessageBox::about\(\s*\w+\s*,)re" + text)};
  std::vector<std::string> captions;
  for (const auto& e : fs::recursive_directory_iterator(kSource / "app")) {
    if (e.path().extension() != ".cpp" && e.path().extension() != ".h") continue;
    const std::string src = slurp(e.path());
    for (const std::regex* re : {&forms[0], &forms[1], &forms[2], &forms[3], &forms[4], &forms[5]})
      for (std::sregex_iterator m(src.begin(), src.end(), *re), end; m != end; ++m) {
        std::string c = (*m)[1].str();
        c = c.substr(0, c.find('%'));
        while (!c.empty() && c.back() == ' ') c.pop_back();
        captions.push_back(c);
      }
  }
  return captions;
}

// The options the batch runner's help lists.
std::vector<std::string> RunnerOptions() {
  const Shell help = sh(q(kRunner) + " --help");
  EXPECT_EQ(help.code, 0) << help.out;
  const std::regex option(R"((?:^|[\s\[,(])(--?[a-z][a-z-]*))");
  std::vector<std::string> options;
  for (std::sregex_iterator m(help.out.begin(), help.out.end(), option), end; m != end; ++m)
    options.push_back((*m)[1].str());
  EXPECT_GE(options.size(), 10u) << help.out;
  return options;
}

TEST(Manuals, OpenWithContentsAndPageNumbers) {
  for (const fs::path& pdf : {kUsers, kTechnical}) {
    const Shell info = sh("pdfinfo " + q(pdf));
    ASSERT_EQ(info.code, 0) << pdf << "\n" << info.out;
    std::smatch pages;
    ASSERT_TRUE(std::regex_search(info.out, pages, std::regex(R"(Pages:\s+(\d+))"))) << info.out;
    EXPECT_GE(std::stoi(pages[1].str()), 10) << pdf;
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("Contents"), std::string::npos) << pdf;
    EXPECT_NE(text.find("Page 2 of " + pages[1].str()), std::string::npos) << pdf;
  }
}

TEST(Manuals, UsersManualDocumentsEveryCaptionTypeOptionAndMessage) {
  const std::string text = PdfText(kUsers);
  std::vector<std::string> wanted = DialogCaptions();
  EXPECT_GE(wanted.size(), 20u);
  for (std::string_view name : project::kSoilTypeNames) wanted.emplace_back(name);
  for (const std::string& o : RunnerOptions()) wanted.push_back(o);
  for (const msg::MessageText& m : msg::kAllMessageTexts) {
    // Each line of a message on its own: the manual may lay a long message out differently.
    std::string t(m.text);
    for (std::size_t start = 0, end; start <= t.size(); start = end + 1) {
      end = t.find('\n', start);
      if (end == std::string::npos) end = t.size();
      wanted.push_back(t.substr(start, end - start));
    }
  }
  for (std::int32_t status : {kStatusOk, kStatusWrongMode, kStatusBeyondStrength, kStatusLengthBeyond,
                              kStatusNeedLayer, kStatusNoRunFiles, kStatusBadInput, kStatusInternalError})
    wanted.emplace_back(describe_run_status(status));
  // Options are short: they must appear as written, with their dashes.
  const std::string missing = Missing(text, wanted);
  EXPECT_EQ(missing, "") << "the user's manual does not mention:\n" << missing;
}

TEST(Manuals, TechnicalManualNamesTheMethods) {
  const std::string text = PdfText(kTechnical);
  const std::string have = Squeezed(text);
  std::string missing;
  const std::vector<std::vector<std::string>> methods = {
      {"FHWA"}, {"Reese and Aurora", "Aurora and Reese"}, {"Kulhawy and Chen", "Chen and Kulhawy"},
      {"Rollins et al."}, {"beta"}, {"alpha"}, {"Nc"}, {"LRFD"}, {"uplift"}, {"belled"},
      {"design chart"}, {"weak rock", "weak-rock"}, {"socket"}, {"load-transfer", "load transfer"},
      {"Verification problems"}};
  for (const auto& forms : methods) {
    bool found = false;
    for (const std::string& f : forms) found = found || have.find(Squeezed(f)) != std::string::npos;
    if (!found) missing += "  " + forms.front() + "\n";
  }
  EXPECT_EQ(missing, "") << "the technical manual does not mention:\n" << missing;
}

}  // namespace
}  // namespace korva
