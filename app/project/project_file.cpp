#include "project_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

#include "evaluator.h"
#include "safe_write.h"
#include "word_reader.h"

namespace fs = std::filesystem;

namespace korva::project {

namespace {

// Full item counts of a parameter line by soil type (RS and RE are read only from a line
// that holds all of them).
int full_item_count(int type) {
  switch (type) {
    case kSoilStrongRock:
    case kSoilWeakRock:
    case kSoilNewStrongRock:
      return 11;
    case kSoilGravellySand:
    case kSoilRollinsGravel:
      return 7;
    default:
      return 9;
  }
}

// Builds the lines of the file; every line ends with CR LF.
class Writer {
 public:
  // Items separated by one blank; `trailing` adds the blank after the last item.
  void item(const std::string& s) {
    if (!line_.empty() && line_.back() != ' ') line_ += ' ';
    line_ += s;
  }
  void real(double v) { item(FormatGeneral(v, 8)); }
  void integer(int v) { item(std::to_string(v)); }
  void end(bool trailing = false) {
    if (trailing) line_ += ' ';
    text_ += line_;
    text_ += "\r\n";
    line_.clear();
  }
  std::string text() { return std::move(text_); }

 private:
  std::string line_, text_;
};

void write_layer(Writer& w, ProjectTables& t, int row, TProgramData& d) {
  TGridTable& D = t.D;
  const int type = D.GetIntValue(kColSoilType, row);
  w.integer(type);
  w.real(D.GetFloatValue(kColDepthBottom, row));
  w.end(true);
  TGridTable* p = D.GetDataValue(kColLayerData, row);
  if (type < 1 || type > kSoilTypeCount || !p) return;
  if (type >= kSoilStrongRock && type <= kSoilNewStrongRock) d.ID2 = 0;
  const double MS = D.GetFloatValue(kColMaxSideFriction, row);
  const double ME = D.GetFloatValue(kColMaxEndBearing, row);
  const double RS = D.GetFloatValue(kColLrfdSideFriction, row);
  const double RE = D.GetFloatValue(kColLrfdEndBearing, row);
  auto f = [p](int col, int r) { return p->GetFloatValue(col, r); };
  auto i = [p](int col, int r) { return p->GetIntValue(col, r); };
  for (int r = kParamRowTop; r <= kParamRowBottom; ++r) {
    switch (type) {
      case kSoilSand:
        w.item("0.0");
        w.real(f(kSandUnitWeight, r));
        w.real(f(kSandFrictionAngle, r));
        w.real(f(kSandInterfaceAngle, r));
        w.integer(i(kSandBlowCounts, r));
        w.real(MS);
        w.real(ME);
        break;
      case kSoilClay:
      case kSoilShale:
        w.real(f(kClayNc, r));
        w.real(f(kClayUnitWeight, r));
        w.item("0.0");
        w.real(f(kClayCohesion, r));
        w.integer(i(kClayBlowCounts, r));
        w.real(MS);
        w.real(ME);
        break;
      case kSoilStrongRock:
      case kSoilNewStrongRock:
        w.real(f(kRockCompressiveStrength, r));
        w.real(f(kRockConcreteStrength, r));
        w.real(f(kRockDiscontinuitySpacing, r));
        w.real(f(kRockDiscontinuityThickness, r));
        w.real(f(kRockSocketDiameter, r));
        w.real(MS);
        w.real(f(kRockElasticModulus, r));
        w.real(f(kRockRQD, r));
        w.real(ME);
        break;
      case kSoilGravel:
        w.real(f(kGravelUnitWeight, r));
        w.integer(i(kGravelBlowCounts, r));
        w.real(f(kGravelPoisson, r));
        w.real(f(kGravelYoungsModulus, r));
        w.real(f(kGravelSocketDiameter, r));
        w.real(MS);
        w.real(ME);
        break;
      case kSoilWeakRock:
        w.real(f(kWeakRockCompressiveStrength, r));
        w.integer(i(kWeakRockInterfaceCondition, r));
        w.real(f(kWeakRockConcreteSlump, r));
        w.real(f(kWeakRockInterfaceFriction, r));
        w.real(f(kWeakRockSocketDiameter, r));
        w.real(MS);
        w.real(f(kWeakRockElasticModulus, r));
        w.real(f(kWeakRockRQD, r));
        w.real(ME);
        break;
      default:  // gravelly sand, gravel
        w.real(f(kRollinsUnitWeight, r));
        w.integer(i(kRollinsBlowCounts, r));
        w.real(f(kRollinsBeta, r));
        w.real(MS);
        w.real(ME);
        break;
    }
    w.real(RS);
    w.real(RE);
    w.end(true);
  }
  if (type == kSoilSand) {
    const int method = i(kSandMethod, kParamRowBottom);
    const int written = method == 1 || method == 2 ? method : 3;
    w.integer(written);
    w.end(true);
    const int col = written == 1 ? kSandKo : written == 2 ? kSandBeta : kSandOCR;
    w.real(f(col, kParamRowTop));
    w.real(f(col, kParamRowBottom));
    w.end(true);
  } else if (type == kSoilClay || type == kSoilShale) {
    w.real(f(kClayAlpha, kParamRowTop));
    w.real(f(kClayAlpha, kParamRowBottom));
    w.end(false);
  }
}

// Reading state shared by the two readers.
struct Reader {
  Project& project;
  TWordReader& in;
  bool current;  // current layout (else an older one)
  bool is_new;   // the 2012 layout among the older ones

  TProgramData& d() { return project.data; }
  ProjectTables& t() { return project.tables; }

  // A row count read from the file, checked before a table is sized by it: never negative,
  // and no larger than the rest of the file can hold with `words_each` words per row (so a
  // damaged count cannot make the reader allocate without bound).
  int read_count(int words_each, std::string_view what) {
    const int n = in.ReadInteger();
    if (n < 0 || static_cast<std::int64_t>(n) * words_each > in.WordsLeft())
      in.FailAt(std::string(what) + " is out of range.");
    return n;
  }

  void read() {
    TProgramData& m = d();
    std::string title;
    in.ReadLine(title);
    while (!title.empty() && (title.back() == '\r' || title.back() == '\n')) title.pop_back();
    m.Title = title;
    m.SetUnits(in.ReadInteger(), t());
    m.METHOD = in.ReadInteger();
    m.KCYCL = in.ReadInteger();
    m.RCYCL = in.ReadFloat();
    m.PINC = in.ReadFloat();
    m.IMOD = 1;
    if (current) {
      m.Yesnewversion = 1;
      m.IMOD = in.ReadInteger();
      m.NLRFD = in.ReadInteger();
      m.IPENT = in.ReadInteger();
      m.IChart = in.ReadInteger();
      m.UseElevation = in.ReadInteger();
      m.ValElevation = in.ReadFloat();
      if (in.GetCurrentLineWordCount() == 11) m.PrintTZCurves = in.ReadInteger();
    } else if (is_new) {
      m.Yesnewversion = 1;
      m.IMOD = in.ReadInteger();
      m.NLRFD = in.ReadInteger();
    } else {
      m.Yesnewversion = 0;
      if (in.GetCurrentLineWordCount() == 5) m.IMOD = in.ReadInteger();
    }
    m.DSTART = in.ReadFloat();
    m.DIALIM = in.ReadFloat();
    m.RATIO = in.ReadFloat();
    m.BELANGL = in.ReadFloat();
    m.TOPLENG = in.ReadFloat();
    m.BS = in.ReadFloat();
    m.EPILE = in.ReadFloat();
    // Each layer has at least its soil type and its bottom depth.
    const int layers = read_count(2, "The number of soil layers");
    t().D.SetRowCount(layers);
    m.WTD = in.ReadFloat();
    if (m.METHOD == 1) {
      m.LPD = in.ReadFloat();
      m.PD = 0;
    } else {
      m.PD = in.ReadFloat();
      m.LPD = 0;
    }
    m.FST = in.ReadFloat();
    m.FSB = in.ReadFloat();
    if (current) {
      if (m.IPENT > 0) {
        m.PDMIN = in.ReadFloat();
        m.PDINCR = in.ReadFloat();
      }
      m.InitPDSET();
      if (m.IChart > 0) {
        m.PDMIN = in.ReadFloat();
        m.PDINCR = in.ReadFloat();
        m.DIAMINCR = in.ReadFloat();
        // The settlement list holds ten entries; further values are read and dropped. The
        // model takes the count it can hold at once, so that it stays valid when the list
        // turns out to be cut short.
        const int count = in.ReadInteger();
        m.NPOINTPD = std::clamp(count, 0, static_cast<int>(m.PDSETT.size()));
        for (int k = 0; k < count; ++k) {
          const double s = in.ReadFloat();
          if (k < static_cast<int>(m.PDSETT.size())) m.PDSETT[static_cast<std::size_t>(k)] = s;
        }
      }
    }
    for (int row = 0; row < t().D.RowCount(); ++row) read_layer(row);
    if (current && m.PrintTZCurves == 1) {
      TGridTable& z = t().TblTZDepth;
      z.SetRowCount(read_count(1, "The number of t-z curve depths"));
      for (int r = 0; r < z.RowCount(); ++r) z.SetFloatValue(kColTZDepth, r, in.ReadFloat());
    }
  }

  void read_layer(int row) {
    TGridTable& D = t().D;
    const int type = in.ReadInteger();
    D.SetIntValue(kColSoilType, row, type);
    D.SetFloatValue(kColDepthBottom, row, in.ReadFloat());
    TGridTable* p = D.GetDataValue(kColLayerData, row);
    if (type < 1 || type > kSoilTypeCount || !p) return;
    const int full = full_item_count(type);
    auto setf = [p](int col, int r, double v) { p->SetFloatValue(col, r, v); };
    auto seti = [p](int col, int r, int v) { p->SetIntValue(col, r, v); };
    for (int r = kParamRowTop; r <= kParamRowBottom; ++r) {
      double MS = 0, ME = 0;
      switch (type) {
        case kSoilSand:
          in.ReadWord();  // placeholder
          setf(kSandUnitWeight, r, in.ReadFloat());
          setf(kSandFrictionAngle, r, in.ReadFloat());
          if (current) setf(kSandInterfaceAngle, r, in.ReadFloat());
          else in.ReadWord();  // the older layouts do not keep the interface angle
          seti(kSandBlowCounts, r, in.ReadInteger());
          MS = in.ReadFloat();
          ME = in.ReadFloat();
          break;
        case kSoilClay:
        case kSoilShale:
          setf(kClayNc, r, in.ReadFloat());
          setf(kClayUnitWeight, r, in.ReadFloat());
          in.ReadWord();  // placeholder
          setf(kClayCohesion, r, in.ReadFloat());
          seti(kClayBlowCounts, r, in.ReadInteger());
          MS = in.ReadFloat();
          ME = in.ReadFloat();
          break;
        case kSoilStrongRock:
        case kSoilNewStrongRock:
          setf(kRockCompressiveStrength, r, in.ReadFloat());
          setf(kRockConcreteStrength, r, in.ReadFloat());
          setf(kRockDiscontinuitySpacing, r, in.ReadFloat());
          setf(kRockDiscontinuityThickness, r, in.ReadFloat());
          setf(kRockSocketDiameter, r, in.ReadFloat());
          MS = in.ReadFloat();
          setf(kRockElasticModulus, r, in.ReadFloat());
          setf(kRockRQD, r, in.ReadFloat());
          ME = in.ReadFloat();
          break;
        case kSoilGravel:
          setf(kGravelUnitWeight, r, in.ReadFloat());
          seti(kGravelBlowCounts, r, in.ReadInteger());
          setf(kGravelPoisson, r, in.ReadFloat());
          setf(kGravelYoungsModulus, r, in.ReadFloat());
          setf(kGravelSocketDiameter, r, in.ReadFloat());
          MS = in.ReadFloat();
          ME = in.ReadFloat();
          break;
        case kSoilWeakRock:
          setf(kWeakRockCompressiveStrength, r, in.ReadFloat());
          seti(kWeakRockInterfaceCondition, r, in.ReadInteger());
          setf(kWeakRockConcreteSlump, r, in.ReadFloat());
          setf(kWeakRockInterfaceFriction, r, in.ReadFloat());
          setf(kWeakRockSocketDiameter, r, in.ReadFloat());
          MS = in.ReadFloat();
          setf(kWeakRockElasticModulus, r, in.ReadFloat());
          setf(kWeakRockRQD, r, in.ReadFloat());
          ME = in.ReadFloat();
          break;
        default:  // gravelly sand, gravel
          setf(kRollinsUnitWeight, r, in.ReadFloat());
          seti(kRollinsBlowCounts, r, in.ReadInteger());
          setf(kRollinsBeta, r, in.ReadFloat());
          MS = in.ReadFloat();
          ME = in.ReadFloat();
          break;
      }
      D.SetFloatValue(kColMaxSideFriction, row, MS);
      D.SetFloatValue(kColMaxEndBearing, row, ME);
      if (in.GetCurrentLineWordCount() == full) {
        D.SetFloatValue(kColLrfdSideFriction, row, in.ReadFloat());
        D.SetFloatValue(kColLrfdEndBearing, row, in.ReadFloat());
      }
    }
    if (type == kSoilSand) {
      const int method = in.ReadInteger();
      seti(kSandMethod, kParamRowTop, method);
      seti(kSandMethod, kParamRowBottom, method);
      const int col = method == 1   ? kSandKo
                      : method == 2 ? kSandBeta
                      : current     ? kSandOCR
                                    : kSandBeta;  // older layouts: Ko or Beta
      for (int r = kParamRowTop; r <= kParamRowBottom; ++r) setf(col, r, in.ReadFloat());
    } else if (type == kSoilClay || type == kSoilShale) {
      for (int r = kParamRowTop; r <= kParamRowBottom; ++r) setf(kClayAlpha, r, in.ReadFloat());
    }
  }
};

// Prepares a project for a reader: model zeroed (as a fresh object), English units, every
// table emptied.
void start_reading(Project& project, const std::string& path) {
  for (TGridTable* t : project.tables.AllTables()) t->SetRowCount(0);
  project.tables.SetUnits(1);
  TProgramData& m = project.data;
  m = TProgramData();
  // A model filled by a reader starts from zeros, not from the new-project defaults.
  m.Title.clear();
  m.PINC = 0;
  m.METHOD = 0;
  m.KCYCL = 0;
  m.RCYCL = 0;
  m.NPOINTPD = 0;
  m.PDSETT.fill(0);
  m.FST = 0;
  m.FSB = 0;
  m.ID2 = 0;
  m.IMOD = 0;
  m.Yesnewversion = 0;
  m.NLRFD = 0;
  m.fUnits = 1;
  m.FileName = path;
}

// Whatever happened: tables at least at their minimum rows, the project unchanged.
void finish_reading(Project& project) {
  for (TGridTable* t : project.tables.AllTables())
    if (t->RowCount() < t->MinRows()) t->SetRowCount(t->MinRows());
  project.SetDataChanged(false);
}

ReadResult read_text(Project& project, const std::string& text, const std::string& path,
                     bool current, bool is_new) {
  ReadResult result;
  start_reading(project, path);
  try {
    TWordReader in = TWordReader::FromText(text);
    Reader r{project, in, current, is_new};
    r.read();
  } catch (const std::exception& e) {
    result.error = e.what();
  }
  finish_reading(project);
  return result;
}

// Reads a whole file; an unreadable file gives its system message.
bool load(const std::string& path, std::string& text, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = std::strerror(errno);
    return false;
  }
  char buf[1 << 15];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) error = "read error";
  return ok;
}

ReadResult read_file(Project& project, const std::string& path, bool current, bool is_new) {
  std::string text, error;
  if (!load(path, text, error)) {
    start_reading(project, path);
    finish_reading(project);
    return {path + ": " + error};
  }
  return read_text(project, text, path, current, is_new);
}

}  // namespace

std::string ProjectFileText(Project& project) {
  TProgramData& m = project.data;
  ProjectTables& t = project.tables;
  Writer w;
  w.item(m.Title);
  w.end();
  w.integer(m.fUnits);
  w.end(true);

  m.METHOD = m.PD > 0 ? 2 : 1;
  if (m.METHOD == 1) {
    m.PD = 0;
    m.IPENT = 0;
    m.IChart = 0;
  } else {
    m.LPD = 0;
  }
  for (int v : {m.METHOD, m.KCYCL}) w.integer(v);
  w.real(m.RCYCL);
  w.real(m.PINC);
  for (int v : {m.IMOD, m.NLRFD, m.IPENT, m.IChart, m.UseElevation}) w.integer(v);
  w.real(m.ValElevation);
  w.integer(m.PrintTZCurves);
  w.end();
  m.Yesnewversion = 1;
  if (m.IPENT == 1) m.DIALIM = m.DSTART;  // one diameter for multiple shaft lengths
  for (double v : {m.DSTART, m.DIALIM, m.RATIO, m.BELANGL, m.TOPLENG, m.BS, m.EPILE}) w.real(v);
  w.end();
  w.integer(t.D.RowCount());
  w.real(m.WTD);
  w.real(m.METHOD == 1 ? m.LPD : m.PD);
  w.real(m.FST);
  w.real(m.FSB);
  w.end();
  if (m.IPENT > 0) {
    w.real(m.PDMIN);
    w.real(m.PDINCR);
    w.end();
  }
  if (m.IChart > 0) {
    w.real(m.PDMIN);
    w.real(m.PDINCR);
    w.real(m.DIAMINCR);
    // The count written is the count of values that follow it.
    const int n = std::clamp(m.NPOINTPD, 0, static_cast<int>(m.PDSETT.size()));
    w.integer(n);
    w.end();
    for (int k = 0; k < n; ++k) w.real(m.PDSETT[static_cast<std::size_t>(k)]);
    w.end(n > 0);
  }
  for (int row = 0; row < t.D.RowCount(); ++row) write_layer(w, t, row, m);
  if (m.PrintTZCurves == 1) {
    w.integer(t.TblTZDepth.RowCount());
    w.end();
    for (int r = 0; r < t.TblTZDepth.RowCount(); ++r) {
      w.real(t.TblTZDepth.GetFloatValue(kColTZDepth, r));
      w.end();
    }
  }
  return w.text();
}

void Save(Project& project, const std::string& path_in) {
  const std::string path = path_in.empty() ? project.data.FileName : path_in;
  const std::string text = ProjectFileText(project);
  WriteFileReplacing(path, text);
  project.data.FileName = path;
  project.SetDataChanged(false);
}

ReadResult ReadVersion8Text(Project& project, const std::string& text, const std::string& path) {
  return read_text(project, text, path, true, true);
}

ReadResult ReadPrevVersionsText(Project& project, const std::string& text, const std::string& path,
                                bool IsNewVer) {
  ReadResult r = read_text(project, text, path, false, IsNewVer);
  return r;
}

ReadResult ReadVersion8(Project& project, const std::string& path) {
  return read_file(project, path, true, true);
}

ReadResult ReadPrevVersions(Project& project, const std::string& path, bool IsNewVer) {
  return read_file(project, path, false, IsNewVer);
}

ReadResult CreateFromFile(Project& project, const std::string& path, int filter) {
  if (filter == kFilterCurrent) return ReadVersion8(project, path);
  ReadResult r = ReadPrevVersions(project, path, filter != kFilter60);
  project.data.InitPDSET();
  return r;
}

}  // namespace korva::project
