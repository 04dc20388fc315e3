#include "run_driver.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <vector>

#include "json_writer.h"
#include "message_texts.h"
#include "text_file.h"

namespace korva {

namespace {

constexpr const char* kEngineVersion = "2017.8.1";

constexpr const char* kMonths[] = {"January", "February", "March",     "April",
                                   "May",     "June",     "July",      "August",
                                   "September", "October", "November", "December"};

void write_banner(Run& run, int unit) {
  Streams& out = run.out;
  out.write(unit, "(5X,73('='))");
  out.put(unit, "");
  out.write(unit, "(20X,'  KORVA for Windows, Version ',A12)", {run.names.VERSION});
  out.put(unit, "");
  out.write(unit, "(20X,'Project File Format :',I10)", {run.names.line2});
  out.put(unit, "");
  out.write(unit, "(20X,'VERTICALLY LOADED DRILLED SHAFT ANALYSIS')");
  out.write(unit, "(20X,'Axial capacity and load-settlement of drilled shafts.')");
  out.write(unit, "(20X,'Results are for review by a qualified engineer.')");
  out.put(unit, "");
  out.write(unit, "(5X,73('='))");
  out.put(unit, "\n");
}

void write_file_block(Run& run) {
  const PathParts in = split_path(run.names.input);
  auto name = [](const std::string& path) {
    PathParts p = split_path(path);
    return p.base + p.extension;
  };
  Streams& out = run.out;
  out.write(kReport, "(5X,'Path to file locations      : ',A,A)", {in.drive, in.directory});
  out.write(kReport, "(5X,'Name of input data file     : ',A)", {in.base + in.extension});
  out.write(kReport, "(5X,'Name of output file         : ',A)", {name(run.names.report)});
  out.write(kReport, "(5X,'Name of plot output file    : ',A)", {name(run.names.plot)});
  out.write(kReport, "(5X,'Name of runtime file        : ',A)", {name(run.names.messages)});
  out.put(kReport, "\n");
}

// Opens an output unit. An empty name leaves the unit closed (its output is dropped);
// a name that cannot be opened is an error of the run, added to `failures`.
void open_output(Run& run, int unit, const std::string& path, std::string& failures) {
  if (path.empty() || run.out[unit].open(path)) return;
  const std::string why = std::strerror(errno);
  std::fprintf(stderr, "KORVA engine: cannot create \"%s\": %s\n", path.c_str(), why.c_str());
  failures += std::string("\n     ") + msg::kCannotCreateFile1 + path + msg::kCannotCreateFile2 + why;
}

void report_failure(Run& run, const std::string& text) {
  const std::string block = std::string("\n\n     ") + msg::kErrorBanner + "\n     " + text +
                            "\n     " + msg::kAnalysisStopped + "\n";
  run.out.put(kMessages, block);
  run.out.put(kReport, block);
  std::fprintf(stderr, "KORVA engine: %s\n", text.c_str());
}

// A stable code for a message: the words of its first line of text, lower case, joined by
// "_" (at most eight), with numbers and quoted names left out.
std::string message_code(const std::string& line) {
  std::string code, word;
  bool quoted = false;
  int words = 0;
  auto flush = [&] {
    const bool number = !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
    if (!word.empty() && !number && words++ < 8) code += (code.empty() ? "" : "_") + word;
    word.clear();
  };
  for (const char ch : line) {
    if (ch == '"') {
      flush();
      quoted = !quoted;
      continue;
    }
    if (quoted) continue;
    const unsigned char c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) && c < 0x80) word += static_cast<char>(std::tolower(c));
    else flush();
  }
  flush();
  return code.empty() ? "message" : code;
}

// The message file's blocks (separated by blank lines) with their severity and code.
void write_messages(JsonWriter& j, const std::string& path) {
  std::vector<std::string> lines;
  j.key("messages").begin_array();
  if (path.empty() || !read_lines(path, lines)) {
    j.end_array();
    return;
  }
  std::vector<std::vector<std::string>> blocks(1);
  for (std::string l : lines) {
    while (!l.empty() && (l.back() == ' ' || l.back() == '\r')) l.pop_back();
    if (l.find_first_not_of(' ') == std::string::npos) {
      if (!blocks.back().empty()) blocks.emplace_back();
    } else {
      blocks.back().push_back(l.substr(l.find_first_not_of(' ')));
    }
  }
  // A block may start with a heading ("ERROR MESSAGE", or a banner of asterisks around a
  // word) and rules; a banner standing alone heads the next block. Lines of numbers alone are
  // records of the run, not messages.
  auto numbers_only = [](const std::string& l) {
    return l.find_first_not_of("0123456789+-.Ee ") == std::string::npos;
  };
  auto rule = [](const std::string& l) { return l.find_first_not_of("-=* ") == std::string::npos; };
  std::string carried;  // severity named by a lone banner
  for (const auto& b : blocks) {
    std::vector<std::string> text_lines;
    for (const std::string& l : b)
      if (!numbers_only(l)) text_lines.push_back(l);
    if (text_lines.empty()) continue;
    std::string severity = carried;
    carried.clear();
    std::string code_line;
    bool heading_only = true;
    for (const std::string& l : text_lines) {
      std::string upper;
      for (char ch : l) if (ch != '*') upper += ch;
      const bool banner = l.front() == '*' && l.back() == '*';
      if (rule(l)) continue;
      if (banner || upper == "ERROR MESSAGE" || upper == "WARNING MESSAGE") {
        if (upper.find("ERROR") != std::string::npos) severity = "error";
        else if (upper.find("WARNING") != std::string::npos) severity = "warning";
        else if (!upper.empty()) severity = message_code(upper);
        continue;
      }
      heading_only = false;
      if (l.find('=') != std::string::npos && code_line.empty()) continue;  // a value line
      if (code_line.empty()) code_line = l;
    }
    if (heading_only) {
      carried = severity;
      continue;
    }
    if (code_line.empty()) code_line = text_lines.back();
    if (severity.empty()) severity = code_line.rfind("NOTE", 0) == 0 ? "note" : "message";
    std::string text;
    for (const std::string& l : text_lines) text += (text.empty() ? "" : "\n") + l;
    j.begin_object();
    j.member("severity", severity);
    j.member("code", message_code(code_line));
    j.member("text", text);
    j.end_object();
  }
  j.end_array();
}

void write_json(const Run& run) {
  JsonWriter j;
  j.begin_object();
  j.member("format", "korva-results");
  j.member("version", 1);
  std::string program = run.names.VERSION;
  while (!program.empty() && program.back() == ' ') program.pop_back();
  j.member("program_version", program);
  j.member("engine_version", kEngineVersion);
  j.member("project_file", run.names.input);
  j.key("status").begin_object();
  j.member("code", static_cast<int>(run.status));
  j.member("meaning", describe_run_status(run.status));
  j.end_object();
  write_messages(j, run.names.messages);
  j.end_object();
  std::string doc = j.str();
  doc.resize(doc.size() - 3);  // "\n}\n"
  // A project that was not analysed has no results: the same keys, empty.
  doc += ",\n" + (run.json_members.empty()
                      ? std::string("  \"units\": null,\n  \"project\": null,\n  \"passes\": [],\n"
                                    "  \"design_charts\": null,\n  \"most_efficient_shaft\": null")
                      : run.json_members);
  doc += "\n}\n";
  std::FILE* f = std::fopen(run.names.json.c_str(), "wb");
  bool ok = f != nullptr;
  if (f) {
    ok = std::fwrite(doc.data(), 1, doc.size(), f) == doc.size();
    ok = std::fclose(f) == 0 && ok;
  }
  if (!ok) {
    std::fprintf(stderr, "KORVA engine: cannot write \"%s\": %s\n", run.names.json.c_str(),
                 std::strerror(errno));
  }
}

}  // namespace

std::tm run_clock() {
  std::tm tm{};
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
    char* end = nullptr;
    errno = 0;
    const long long secs = std::strtoll(epoch, &end, 10);
    if (errno == 0 && end && *end == '\0') {
      const std::time_t t = static_cast<std::time_t>(secs);
      if (gmtime_r(&t, &tm)) return tm;
    }
  }
  const std::time_t now = std::time(nullptr);
  localtime_r(&now, &tm);
  return tm;
}

void WRITE_RUN_DATE(Run& run) {
  const std::tm& t = run.run_time;
  const int month = (t.tm_mon >= 0 && t.tm_mon < 12) ? t.tm_mon : 0;
  for (int unit : {kReport, kTzFile}) {
    Streams& out = run.out;
    out.write(unit, "(5X,73('-'))");
    out.write(unit, "(26X,'Time and Date of Analysis')");
    out.write(unit, "(5X,73('-'))");
    out.put(unit, "");
    out.write(unit, "(15X,'Date:  ',A,1X,I2.2,', ',I4,5X,'Time:  ',I2.2,':',I2.2,':',I2.2)",
              {kMonths[month], t.tm_mday, t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec});
  }
  run.out.put(kReport, "");
  run.out.put(kTzFile, "");
}

bool append_80_columns(const std::string& source, TextFile& out) {
  std::vector<std::string> lines;
  if (!read_lines(source, lines)) return false;
  for (std::string& l : lines) {
    l.resize(80, ' ');
    out.line(l);
  }
  return true;
}

void RUN_DRIVER(Run& run, std::FILE* console_in, std::FILE* console_out) {
  Streams& out = run.out;
  out.put(kConsole, " VERTICALLY LOADED DRILLED SHAFT ANALYSIS PROGRAM KORVA");
  out.put(kConsole, std::string(" Engine version ") + kEngineVersion + "\n\n");
  out[kConsole].flush();

  const NamesSource source =
      read_run_names(run.local("names.dat"), run.names, console_in, console_out);
  for (std::string* name : {&run.names.input, &run.names.report, &run.names.plot,
                            &run.names.messages, &run.names.tz, &run.names.tz_scratch,
                            &run.names.plot_scratch1, &run.names.plot_scratch2, &run.names.json})
    *name = run.local(*name);
  if (source == NamesSource::kConsoleFailed) {
    std::fprintf(stderr,
                 "KORVA engine: \"names.dat\" could not be read and the console gave no file "
                 "names; nothing was analysed.\n");
    if (!run.names.report.empty() && out[kReport].open(run.names.report)) {
      report_failure(run, msg::kNoFileNames);
      out[kReport].close();
    }
    run.status = kStatusNoRunFiles;
    return;
  }
  std::string failures;
  if (source == NamesSource::kFile) open_output(run, kChart, run.local("CHART.DAT"), failures);

  run.run_time = run_clock();
  run.input_readable = read_lines(run.names.input, run.input_lines);
  const RunNames& n = run.names;
  open_output(run, kReport, n.report, failures);
  open_output(run, kPlot, n.plot, failures);
  open_output(run, kMessages, n.messages, failures);
  open_output(run, kTzFile, n.tz, failures);
  open_output(run, kTzScratch, n.tz_scratch, failures);
  open_output(run, kPlotScratch1, n.plot_scratch1, failures);
  open_output(run, kPlotScratch2, n.plot_scratch2, failures);

  write_banner(run, kReport);
  write_banner(run, kTzFile);
  write_file_block(run);
  WRITE_RUN_DATE(run);

  if (!failures.empty()) {
    report_failure(run, msg::kOutputFileNotCreated + failures);
    run.status = kStatusNoRunFiles;
  } else {
    try {
      MAIN_ANALYSIS(run);
    } catch (const std::exception& e) {
      report_failure(run, msg::kInternalError + std::string(e.what()));
      run.status = kStatusInternalError;
    }
  }

  // Merge the scratch files into the t-z and plot files, 80 columns per line.
  out[kTzScratch].close();
  out[kPlotScratch1].close();
  out[kPlotScratch2].close();
  if (out[kTzFile].is_open()) append_80_columns(n.tz_scratch, out[kTzFile]);
  if (out[kPlot].is_open()) {
    append_80_columns(n.plot_scratch1, out[kPlot]);
    // "TZDIAM.DAT" is created empty when absent, as opening it for the merge does.
    const std::string diam = run.local("TZDIAM.DAT");
    if (!append_80_columns(diam, out[kPlot]) && out[kTzDiam].open(diam)) out[kTzDiam].close();
    append_80_columns(n.plot_scratch2, out[kPlot]);
  }
  for (int unit : {kReport, kPlot, kMessages, kChart, kTzFile}) out[unit].close();
  out[kConsole].flush();
  if (!n.json.empty()) write_json(run);
}

}  // namespace korva
