#include "workbook_export.h"

#include <locale.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>

#include "safe_write.h"

namespace fs = std::filesystem;

namespace korva::results {

std::string ColumnLetters(int index) {
  if (index < 1 || index > 702) return {};
  if (index <= 26) return std::string(1, static_cast<char>('A' + index - 1));
  return {static_cast<char>('A' + (index - 1) / 26 - 1), static_cast<char>('A' + (index - 1) % 26)};
}

namespace {

// The workbook library prints numbers with the C library's formatting, which follows the
// locale of the calling thread. For the duration of a write the thread (only) uses the
// C locale, so "1.5" never becomes "1,5" in the file.
class ThreadCLocale {
 public:
  ThreadCLocale() : c_(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))) {
    if (c_) old_ = uselocale(c_);
  }
  ~ThreadCLocale() {
    if (c_) {
      uselocale(old_);
      freelocale(c_);
    }
  }
  ThreadCLocale(const ThreadCLocale&) = delete;
  ThreadCLocale& operator=(const ThreadCLocale&) = delete;

 private:
  locale_t c_;
  locale_t old_ = LC_GLOBAL_LOCALE;
};

// A uniquely named file in the temporary directory, removed when it goes out of scope.
class ScratchFile {
 public:
  ScratchFile() {
    std::error_code ec;
    fs::path dir = fs::temp_directory_path(ec);
    if (ec) dir = "/tmp";
    std::string tmpl = (dir / "korva-xlsx-XXXXXX").string();
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) throw std::runtime_error("Cannot create a temporary file in " + dir.string() + ": " + std::strerror(errno));
    ::close(fd);
    path_ = tmpl;
  }
  ~ScratchFile() { std::remove(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void Check(lxw_error err, const char* what) {
  if (err != LXW_NO_ERROR) throw std::runtime_error(std::string(what) + ": " + lxw_strerror(err));
}

const char* const kLegendHeaders[] = {
    "     N    ",
    "                             Plot Name                             ",
    "  Sheet Name  ",
    "  Chart Name  ",
    "          Status          ",
};

// Builds the workbook with the spreadsheet library into `file`.
bool BuildWorkbook(const std::string& file, const std::vector<const TGraphPlot*>& graphs, bool markers) {
  bool more255 = false;
  lxw_workbook* wb = workbook_new(file.c_str());
  if (!wb) throw std::runtime_error("The workbook could not be created (out of memory).");
  struct Closer {
    lxw_workbook* wb;
    bool closed = false;
    ~Closer() {
      if (!closed) {
        // Frees the workbook; the half-built file is a scratch file removed by the caller.
        workbook_close(wb);
      }
    }
  } closer{wb};

  lxw_worksheet* legend = workbook_add_worksheet(wb, "Legend");
  lxw_format* header = workbook_add_format(wb);
  format_set_bold(header);
  format_set_align(header, LXW_ALIGN_VERTICAL_CENTER);
  // Column widths follow the longest text of each column (B..F), as an auto-fit would.
  std::size_t widths[5];
  for (int c = 0; c < 5; ++c) {
    Check(worksheet_write_string(legend, 1, static_cast<lxw_col_t>(1 + c), kLegendHeaders[c], header),
          "Legend header");
    widths[c] = std::strlen(kLegendHeaders[c]);
  }

  int k = 0;
  for (const TGraphPlot* g : graphs) {
    if (!g) continue;
    ++k;
    const std::string page = "Page_" + std::to_string(k);
    const std::string plot = "Plot_" + std::to_string(k);
    const auto row = static_cast<lxw_row_t>(k + 1);
    const std::string number = std::to_string(k);
    Check(worksheet_write_string(legend, row, 1, number.c_str(), nullptr), "Legend");
    Check(worksheet_write_string(legend, row, 2, g->Caption.c_str(), nullptr), "Legend");
    Check(worksheet_write_url_opt(legend, row, 3, ("internal:" + page + "!A1").c_str(), nullptr, page.c_str(),
                                  nullptr),
          "Legend");
    Check(worksheet_write_string(legend, row, 4, plot.c_str(), nullptr), "Legend");
    Check(worksheet_write_string(legend, row, 5, "Complete", nullptr), "Legend");
    widths[0] = std::max(widths[0], number.size());
    widths[1] = std::max(widths[1], g->Caption.size());

    // Data sheet: captions, the way back to the legend, then two columns per curve.
    lxw_worksheet* ws = workbook_add_worksheet(wb, page.c_str());
    if (!ws) throw std::runtime_error("The sheet " + page + " could not be added.");
    Check(worksheet_write_url_opt(ws, 0, 6, "internal:Legend!A1", nullptr, "Legend!A1", nullptr), page.c_str());
    Check(worksheet_write_string(ws, 0, 0, g->Caption.c_str(), nullptr), page.c_str());
    Check(worksheet_write_string(ws, 1, 0, "X", nullptr), page.c_str());
    Check(worksheet_write_string(ws, 1, 1, g->XAxisCaption().c_str(), nullptr), page.c_str());
    Check(worksheet_write_string(ws, 2, 0, "Y", nullptr), page.c_str());
    Check(worksheet_write_string(ws, 2, 1, g->YAxisCaption().c_str(), nullptr), page.c_str());
    int longest = 0;
    for (int i = 0; i < g->LineCount(); ++i) {
      const auto c = static_cast<lxw_col_t>(2 * i);
      Check(worksheet_write_string(ws, 3, c, g->LineName(i).c_str(), nullptr), page.c_str());
      Check(worksheet_write_string(ws, 4, c, "X", nullptr), page.c_str());
      Check(worksheet_write_string(ws, 4, c + 1, "Y", nullptr), page.c_str());
      const TLine& line = g->Lines(i);
      longest = std::max(longest, line.Count());
      for (int j = 0; j < line.Count(); ++j) {
        const TFloatPoint& p = line.Data[static_cast<std::size_t>(j)];
        const auto r = static_cast<lxw_row_t>(5 + j);
        // A value without a number (never written by the engine) stays an empty cell.
        if (std::isfinite(p.x)) Check(worksheet_write_number(ws, r, c, p.x, nullptr), page.c_str());
        if (std::isfinite(p.y)) Check(worksheet_write_number(ws, r, c + 1, p.y, nullptr), page.c_str());
      }
    }

    // Chart sheet: one series per curve up to the chart limit, each over the rows of the
    // longest curve (shorter curves end in empty cells).
    lxw_chart* chart = workbook_add_chart(wb, LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS);
    if (!chart) throw std::runtime_error("The chart " + plot + " could not be added.");
    const int series = std::min(g->LineCount(), kMaxChartSeries);
    if (g->LineCount() > kMaxChartSeries) more255 = true;
    const std::string last_row = std::to_string(5 + std::max(longest, 1));
    auto range = [&](int column) {
      const std::string letters = ColumnLetters(column);
      return "=" + page + "!$" + letters + "$6:$" + letters + "$" + last_row;
    };
    for (int i = 0; i < std::max(series, 1); ++i) {
      lxw_chart_series* s = chart_add_series(chart, range(2 * i + 1).c_str(), range(2 * i + 2).c_str());
      if (!s) throw std::runtime_error("A series of " + plot + " could not be added.");
      if (i < series) {
        const std::string name = g->LineName(i);
        // A name starting with "=" would be taken for a cell reference; use the name cell.
        if (!name.empty() && name[0] == '=')
          chart_series_set_name_range(s, page.c_str(), 3, static_cast<lxw_col_t>(2 * i));
        else
          chart_series_set_name(s, name.c_str());
      }
      if (!markers) chart_series_set_marker_type(s, LXW_CHART_MARKER_NONE);
    }
    chart_title_off(chart);
    chart_axis_set_name(chart->x_axis, g->XAxisCaption().c_str());
    chart_axis_set_name(chart->y_axis, g->YAxisCaption().c_str());
    chart_axis_major_gridlines_set_visible(chart->x_axis, LXW_TRUE);
    chart_axis_major_gridlines_set_visible(chart->y_axis, LXW_TRUE);
    // Depth plots grow downward: the value axis runs from top to bottom.
    if (g->XOnTop) chart_axis_set_reverse(chart->y_axis);
    lxw_chartsheet* cs = workbook_add_chartsheet(wb, plot.c_str());
    if (!cs) throw std::runtime_error("The sheet " + plot + " could not be added.");
    Check(chartsheet_set_chart(cs, chart), plot.c_str());
  }
  for (int c = 0; c < 5; ++c)
    Check(worksheet_set_column(legend, static_cast<lxw_col_t>(1 + c), static_cast<lxw_col_t>(1 + c),
                               static_cast<double>(widths[c]) + 2.0, nullptr),
          "Legend");

  closer.closed = true;
  Check(workbook_close(wb), "The workbook could not be written");
  return more255;
}

// The legend of a chart gets a black border on a white ground.
std::string FrameLegend(std::string xml) {
  static const std::string kFrame =
      "<c:spPr><a:solidFill><a:srgbClr val=\"FFFFFF\"/></a:solidFill>"
      "<a:ln><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill></a:ln></c:spPr>";
  const std::size_t begin = xml.find("<c:legend>");
  if (begin == std::string::npos) return xml;
  const std::size_t end = xml.find("</c:legend>", begin);
  if (end == std::string::npos) return xml;
  // The shape properties come before the text properties of the legend.
  std::size_t at = xml.find("<c:txPr>", begin);
  if (at == std::string::npos || at > end) at = end;
  xml.insert(at, kFrame);
  return xml;
}

bool EndsWith(const std::string& text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Whether an XML part is complete: it closes the element it opened first. The spreadsheet
// library does not notice when its scratch files cannot be written in full (a full disk),
// and would pack the cut-off parts into a workbook no program can open.
bool CompleteXml(const std::string& xml) {
  std::size_t at = xml.find('<');
  while (at != std::string::npos && at + 1 < xml.size() && (xml[at + 1] == '?' || xml[at + 1] == '!'))
    at = xml.find('<', at + 1);
  if (at == std::string::npos) return false;
  const std::size_t name_end = xml.find_first_of(" \t\r\n/>", at + 1);
  if (name_end == std::string::npos) return false;
  const std::string root = xml.substr(at + 1, name_end - at - 1);
  std::size_t last = xml.find_last_not_of(" \t\r\n");
  if (last == std::string::npos) return false;
  const std::string text = xml.substr(0, last + 1);
  // A root element closed at once ("<root/>") is complete as well.
  return EndsWith(text, "</" + root + ">") || (EndsWith(text, "/>") && xml.find('<', at + 1) == std::string::npos);
}

bool IsChartPart(const std::string& name) {
  return name.rfind("xl/charts/chart", 0) == 0 && EndsWith(name, ".xml");
}

// Copies the package `from` to `to`, entry by entry, framing the chart legends on the way.
void CopyPackage(const std::string& from, const std::string& to) {
  unzFile in = unzOpen64(from.c_str());
  if (!in) throw std::runtime_error("The workbook just written could not be read back.");
  zipFile out = zipOpen64(to.c_str(), APPEND_STATUS_CREATE);
  if (!out) {
    unzClose(in);
    throw std::runtime_error("Cannot create a temporary file: " + std::string(std::strerror(errno)));
  }
  std::string failure;
  for (int rc = unzGoToFirstFile(in); rc == UNZ_OK && failure.empty(); rc = unzGoToNextFile(in)) {
    unz_file_info64 info{};
    char name[1024];
    if (unzGetCurrentFileInfo64(in, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(in) != UNZ_OK) {
      failure = "The workbook just written could not be read back.";
      break;
    }
    std::string data(static_cast<std::size_t>(info.uncompressed_size), '\0');
    const int got = data.empty() ? 0 : unzReadCurrentFile(in, data.data(), static_cast<unsigned>(data.size()));
    if (unzCloseCurrentFile(in) != UNZ_OK || got != static_cast<int>(data.size())) {
      failure = "The workbook just written could not be read back.";
      break;
    }
    const std::string part = name;
    if ((EndsWith(part, ".xml") || EndsWith(part, ".rels")) && !CompleteXml(data)) {
      failure = "The workbook could not be written in full (" + part + " is incomplete; is the disk full?).";
      break;
    }
    if (IsChartPart(part)) data = FrameLegend(std::move(data));
    zip_fileinfo zi{};
    zi.tmz_date.tm_sec = info.tmu_date.tm_sec;
    zi.tmz_date.tm_min = info.tmu_date.tm_min;
    zi.tmz_date.tm_hour = info.tmu_date.tm_hour;
    zi.tmz_date.tm_mday = info.tmu_date.tm_mday;
    zi.tmz_date.tm_mon = info.tmu_date.tm_mon;
    zi.tmz_date.tm_year = info.tmu_date.tm_year;
    if (zipOpenNewFileInZip(out, name, &zi, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION) !=
            ZIP_OK ||
        zipWriteInFileInZip(out, data.data(), static_cast<unsigned>(data.size())) != ZIP_OK ||
        zipCloseFileInZip(out) != ZIP_OK) {
      failure = "Cannot write a temporary file: " + std::string(std::strerror(errno ? errno : EIO));
    }
  }
  unzClose(in);
  if (zipClose(out, nullptr) != ZIP_OK && failure.empty())
    failure = "Cannot write a temporary file: " + std::string(std::strerror(errno ? errno : EIO));
  if (!failure.empty()) throw std::runtime_error(failure);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) throw std::runtime_error("Cannot read the temporary file " + path + ".");
  return bytes;
}

}  // namespace

WorkbookResult WriteWorkbook(const std::string& path, const std::vector<const TGraphPlot*>& graphs, bool markers) {
  WorkbookResult result;
  try {
    ThreadCLocale c_numbers;
    ScratchFile built;
    ScratchFile framed;
    result.more255 = BuildWorkbook(built.path(), graphs, markers);
    CopyPackage(built.path(), framed.path());
    project::WriteFileReplacing(path, ReadAll(framed.path()));
    result.ok = true;
  } catch (const std::exception& e) {
    result.ok = false;
    result.error = e.what();
  }
  return result;
}

}  // namespace korva::results
