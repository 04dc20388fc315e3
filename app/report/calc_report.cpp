#include "calc_report.h"

#include <QBuffer>
#include <QByteArray>
#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <QTimeZone>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "engine_run.h"
#include "evaluator.h"
#include "graph_catalogue.h"
#include "graph_painter.h"
#include "plot_reader.h"
#include "program_data.h"
#include "project_tables.h"
#include "safe_write.h"
#include "side_picture.h"

namespace korva::report {

namespace fs = std::filesystem;
using results::GraphIndex;
using results::TGraphCatalogue;
using results::TGraphPlot;

// ---- Small helpers -------------------------------------------------------------------------

std::optional<TPaper> PaperFromName(std::string_view name) {
  std::string n(name);
  for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (n == "a4") return TPaper::A4;
  if (n == "letter") return TPaper::Letter;
  return std::nullopt;
}

TRunOutputs TRunOutputs::ForProject(const std::string& projectFile) {
  fs::path p(projectFile);
  TRunOutputs o;
  o.Report = fs::path(p).replace_extension(".kv8o").string();
  o.Plot = fs::path(p).replace_extension(".kv8p").string();
  o.Messages = fs::path(p).replace_extension(".kv8r").string();
  return o;
}

std::string ReportFileFor(const std::string& projectFile) {
  return fs::path(projectFile).replace_extension(".pdf").string();
}

std::string PageLabel(int page, int pages) {
  return "Page " + std::to_string(page) + " of " + std::to_string(pages);
}

std::optional<double> MovementAtLoad(const TReportCurve& curve, double load) {
  if (curve.Rows.empty() || !std::isfinite(load)) return std::nullopt;
  double q0 = 0, w0 = 0;
  for (const auto& row : curve.Rows) {
    const double q1 = row[0], w1 = row[1];
    if (load <= q1) {
      if (q1 <= q0) return w1;
      return w0 + (w1 - w0) * (load - q0) / (q1 - q0);
    }
    q0 = q1;
    w0 = w1;
  }
  return std::nullopt;
}

namespace {

QString Q(std::string_view s) {
  const QString u = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
  if (u.contains(QChar::ReplacementCharacter) && s.find("\xEF\xBF\xBD") == std::string_view::npos)
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
  return u;
}

std::string ReadText(const std::string& path, bool& ok,
                     const std::optional<fs::file_time_type>& notBefore = std::nullopt) {
  std::error_code ec;
  if (notBefore && fs::last_write_time(path, ec) < *notBefore) {
    ok = false;
    return {};
  }
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  if (!ok) return {};
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A number as the project holds it (shortest general form, "." always).
QString Num(double v) {
  if (!std::isfinite(v)) return QStringLiteral("-");
  return Q(project::FormatGeneral(v, 8));
}

// `v` with `digits` significant digits in fixed notation (exponent form beyond 1e6 or below
// 1e-4), locale-independent.
QString Significant(double v, int digits) {
  if (!std::isfinite(v)) return QStringLiteral("-");
  if (v == 0) return QStringLiteral("0");
  const double a = std::fabs(v);
  char buf[64];
  if (a >= 1e6 || a < 1e-4) {
    std::snprintf(buf, sizeof buf, "%.*E", digits - 1, v);
  } else {
    const int mag = static_cast<int>(std::floor(std::log10(a)));
    const int decimals = std::max(0, digits - 1 - mag);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  }
  return QString::fromLatin1(buf);
}

// A value of the report's soil echo (E10.3) written for reading: three significant digits.
QString Readable(const TPrinted& p) {
  if (!p.Value) return Q(p.Text);
  return Significant(*p.Value, 3);
}

QString Fixed(double v, int decimals) {
  if (!std::isfinite(v)) return QStringLiteral("-");
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return QString::fromLatin1(buf);
}

// The report's upper-case label in sentence case, units and abbreviations kept readable.
QString LabelText(std::string_view label) {
  static const std::pair<std::string_view, std::string_view> kLabels[] = {
      {"LATERAL EARTH-PRESSURE COEFFICIENT - Ko", "Lateral earth-pressure coefficient Ko"},
      {"SKIN FRICTION COEFFICIENT- BETA", "Side friction coefficient beta"},
      {"PRECONSOLIDATION STRESS EXPONENT - M", "Preconsolidation stress exponent m"},
      {"INTERNAL FRICTION ANGLE, DEG.", "Internal friction angle, deg"},
      {"BLOWS PER FOOT FROM STANDARD PENETRATION TEST", "SPT blow count N, blows/ft"},
      {"STRENGTH REDUCTION FACTOR-ALPHA", "Side resistance factor alpha"},
      {"END BEARING COEFFICIENT-Nc", "End bearing coefficient Nc"},
      {"POISSION RATIO OF GRAVEL", "Poisson's ratio"},
      {"ROCK QUALITY DESIGNATION (RQD) %", "Rock quality designation RQD, %"},
      {"LRFD RESISTANCE FACTOR (SIDE FRICTION)", "LRFD resistance factor, side"},
      {"LRFD RESISTANCE FACTOR (TIP RESISTANCE)", "LRFD resistance factor, base"},
  };
  for (const auto& [from, to] : kLabels)
    if (label == from) return Q(to);
  QString s = Q(label).toLower();
  s.replace(QStringLiteral("lb/sq ft"), QStringLiteral("lb/ft²"));
  s.replace(QStringLiteral("lb/cu ft"), QStringLiteral("lb/ft³"));
  s.replace(QStringLiteral("lb/sq in."), QStringLiteral("lb/in²"));
  s.replace(QStringLiteral("lb/sq in"), QStringLiteral("lb/in²"));
  s.replace(QStringLiteral("kn/sq m"), QStringLiteral("kN/m²"));
  s.replace(QStringLiteral("kn/cu m"), QStringLiteral("kN/m³"));
  s.replace(QStringLiteral(",ft"), QStringLiteral(", ft"));
  s.replace(QStringLiteral(",m"), QStringLiteral(", m"));
  s.replace(QStringLiteral(",lb"), QStringLiteral(", lb"));
  s.replace(QStringLiteral(",kN"), QStringLiteral(", kN"));
  if (!s.isEmpty()) s[0] = s[0].toUpper();
  return s;
}

std::string UserName() {
  if (const passwd* pw = getpwuid(getuid())) {
    std::string gecos = pw->pw_gecos ? pw->pw_gecos : "";
    gecos = gecos.substr(0, gecos.find(','));
    if (!gecos.empty()) return gecos;
    if (pw->pw_name && *pw->pw_name) return pw->pw_name;
  }
  if (const char* u = std::getenv("USER"); u && *u) return u;
  return "KORVA user";
}

// ---- Units ---------------------------------------------------------------------------------

struct Units {
  bool SI = false;
  QString Length() const { return SI ? QStringLiteral("m") : QStringLiteral("ft"); }
  QString Force() const { return SI ? QStringLiteral("kN") : QStringLiteral("tons"); }
  QString Movement() const { return SI ? QStringLiteral("m") : QStringLiteral("in"); }
  QString Stress() const { return SI ? QStringLiteral("kN/m²") : QStringLiteral("lb/ft²"); }
  QString Modulus() const { return SI ? QStringLiteral("kN/m²") : QStringLiteral("lb/in²"); }
  QString Settlement() const { return SI ? QStringLiteral("m") : QStringLiteral("in"); }
};

// ---- The page builder ----------------------------------------------------------------------

using Op = std::function<void(QPainter&)>;

struct Page {
  std::vector<Op> Ops;
};

enum class Align { Left, Right, Center };

struct Column {
  QString Head;
  double Width = 1;  // share of the table width
  Align Alignment = Align::Left;
};

struct Row {
  QStringList Cells;
  bool Group = false;  // one cell over the whole width, shaded
};

class Builder {
 public:
  Builder(QPdfWriter& writer, const QRect& content)
      : w_(writer), res_(writer.resolution()), area_(content) {
    sans_ = QFont(QStringLiteral("DejaVu Sans"));
    sans_.setStyleHint(QFont::SansSerif);
    // No ligatures: a reviewer's search for "profile" finds it, and copied text is plain.
    sans_.setStyleStrategy(QFont::PreferNoShaping);
    sans_.setPointSizeF(9.0);
    mono_ = QFont(QStringLiteral("DejaVu Sans Mono"));
    mono_.setStyleHint(QFont::Monospace);
    mono_.setStyleStrategy(QFont::PreferNoShaping);
    mono_.setPointSizeF(8.0);
    NewPage();
  }

  double Pt(double points) const { return points * res_ / 72.0; }
  const QRect& Area() const { return area_; }
  QPdfWriter& Writer() { return w_; }
  QFont Sans(double pt, bool bold = false) const {
    QFont f = sans_;
    f.setPointSizeF(pt);
    f.setBold(bold);
    return f;
  }
  QFont Mono(double pt) const {
    QFont f = mono_;
    f.setPointSizeF(pt);
    return f;
  }
  std::vector<Page>& Pages() { return pages_; }

  void NewPage() {
    pages_.emplace_back();
    y_ = area_.top();
  }
  // Starts a new page unless the current one is still empty.
  void FreshPage() {
    if (y_ > area_.top()) NewPage();
  }
  double Remaining() const { return area_.bottom() - y_; }
  void Need(double h) {
    if (y_ + h > area_.bottom() && y_ > area_.top()) NewPage();
  }
  void Space(double pt) {
    y_ += Pt(pt);
    if (y_ > area_.bottom()) NewPage();
  }
  void Add(Op op) { pages_.back().Ops.push_back(std::move(op)); }

  double TextHeight(const QString& text, const QFont& f, double width) const {
    const QFontMetricsF fm(f, &w_);
    return fm.boundingRect(QRectF(0, 0, width, 1e9), Qt::TextWordWrap | Qt::AlignLeft, text).height();
  }

  void Title(const QString& text) {
    const QFont f = Sans(15, true);
    const double h = TextHeight(text, f, area_.width());
    Need(h + Pt(40));
    const QRectF r(area_.left(), y_, area_.width(), h);
    Add([r, f, text](QPainter& p) {
      p.setFont(f);
      p.setPen(Qt::black);
      p.drawText(r, Qt::AlignLeft | Qt::TextWordWrap, text);
    });
    y_ += h + Pt(8);
  }

  void Heading(const QString& text, double size = 11.5) {
    const QFont f = Sans(size, true);
    const double h = TextHeight(text, f, area_.width());
    Need(h + Pt(60));  // keep a heading with what follows it
    y_ += Pt(6);
    const QRectF r(area_.left(), y_, area_.width(), h);
    const double line = Pt(0.6);
    Add([r, f, text, line](QPainter& p) {
      p.setFont(f);
      p.setPen(Qt::black);
      p.drawText(r, Qt::AlignLeft | Qt::TextWordWrap, text);
      p.setPen(QPen(QColor(0x80, 0x80, 0x80), line));
      p.drawLine(QPointF(r.left(), r.bottom() + line * 2), QPointF(r.right(), r.bottom() + line * 2));
    });
    y_ += h + Pt(6);
  }

  void Paragraph(const QString& text, double size = 9.0, bool bold = false) {
    const QFont f = Sans(size, bold);
    const double h = TextHeight(text, f, area_.width());
    Need(h);
    const QRectF r(area_.left(), y_, area_.width(), h);
    Add([r, f, text](QPainter& p) {
      p.setFont(f);
      p.setPen(Qt::black);
      p.drawText(r, Qt::AlignLeft | Qt::TextWordWrap, text);
    });
    y_ += h + Pt(4);
  }

  // Lines of fixed-width text, never wrapped; a line too wide is drawn smaller.
  void Monospace(const std::vector<QString>& lines, double size) {
    const QFont f = Mono(size);
    const QFontMetricsF fm(f, &w_);
    const double lh = fm.lineSpacing();
    for (const QString& line : lines) {
      Need(lh);
      const QPointF at(area_.left(), y_ + fm.ascent());
      Add([f, at, line](QPainter& p) {
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(at, line);
      });
      y_ += lh;
    }
  }

  void Table(const std::vector<Column>& cols, const std::vector<Row>& rows, double size = 8.5,
             const std::vector<QString>& notes = {}) {
    const QFont f = Sans(size);
    const QFont fb = Sans(size, true);
    const double pad = Pt(2.5);
    double total = 0;
    for (const Column& c : cols) total += c.Width;
    std::vector<double> x{static_cast<double>(area_.left())};
    for (const Column& c : cols) x.push_back(x.back() + area_.width() * c.Width / total);

    const auto rowHeight = [&](const QStringList& cells, const QFont& font, bool group) {
      double h = 0;
      if (group) return TextHeight(cells.value(0), font, area_.width() - 2 * pad) + 2 * pad;
      for (std::size_t i = 0; i < cols.size(); ++i)
        h = std::max(h, TextHeight(cells.value(static_cast<int>(i)), font, x[i + 1] - x[i] - 2 * pad));
      return h + 2 * pad;
    };
    QStringList head;
    for (const Column& c : cols) head << c.Head;
    const double hh = rowHeight(head, fb, false);
    const double line = Pt(0.5);

    const auto drawRow = [=, this](const QStringList& cells, const QFont& font, bool group, bool header,
                                   double top, double h) {
      std::vector<double> xs = x;
      std::vector<Align> al;
      for (const Column& c : cols) al.push_back(c.Alignment);
      Add([=](QPainter& p) {
        p.setFont(font);
        if (header || group) {
          p.fillRect(QRectF(xs.front(), top, xs.back() - xs.front(), h),
                     header ? QColor(0xe4, 0xe8, 0xee) : QColor(0xf3, 0xf3, 0xf3));
        }
        p.setPen(QPen(QColor(0xa0, 0xa0, 0xa0), line));
        p.drawLine(QPointF(xs.front(), top + h), QPointF(xs.back(), top + h));
        if (header) p.drawLine(QPointF(xs.front(), top), QPointF(xs.back(), top));
        p.setPen(Qt::black);
        if (group) {
          p.drawText(QRectF(xs.front() + pad, top + pad, xs.back() - xs.front() - 2 * pad, h - 2 * pad),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, cells.value(0));
          return;
        }
        for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
          const int flags = (al[i] == Align::Right    ? Qt::AlignRight
                             : al[i] == Align::Center ? Qt::AlignHCenter
                                                      : Qt::AlignLeft) |
                            (header ? Qt::AlignBottom : Qt::AlignTop) | Qt::TextWordWrap;
          p.drawText(QRectF(xs[i] + pad, top + pad, xs[i + 1] - xs[i] - 2 * pad, h - 2 * pad), flags,
                     cells.value(static_cast<int>(i)));
        }
      });
    };

    Need(hh + rowHeight(rows.empty() ? QStringList{} : rows.front().Cells, f, !rows.empty() && rows.front().Group));
    drawRow(head, fb, false, true, y_, hh);
    y_ += hh;
    for (const Row& r : rows) {
      const double h = rowHeight(r.Cells, r.Group ? fb : f, r.Group);
      if (y_ + h > area_.bottom()) {
        NewPage();
        drawRow(head, fb, false, true, y_, hh);
        y_ += hh;
      }
      drawRow(r.Cells, r.Group ? fb : f, r.Group, false, y_, h);
      y_ += h;
    }
    y_ += Pt(3);
    for (const QString& n : notes) Paragraph(n, size - 0.5);
    y_ += Pt(4);
  }

  // A key-value list as a two-column table without header.
  void KeyValues(const std::vector<std::pair<QString, QString>>& items, double size = 9.0) {
    const QFont f = Sans(size), fb = Sans(size, true);
    const double pad = Pt(2);
    const double keyW = area_.width() * 0.27;
    const double valW = area_.width() - keyW;
    for (const auto& [k, v] : items) {
      const double h = std::max(TextHeight(k, fb, keyW - 2 * pad), TextHeight(v, f, valW - 2 * pad)) + 2 * pad;
      Need(h);
      const QRectF kr(area_.left() + pad, y_ + pad, keyW - 2 * pad, h - 2 * pad);
      const QRectF vr(area_.left() + keyW + pad, y_ + pad, valW - 2 * pad, h - 2 * pad);
      Add([=](QPainter& p) {
        p.setPen(Qt::black);
        p.setFont(fb);
        p.drawText(kr, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, k);
        p.setFont(f);
        p.drawText(vr, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, v);
      });
      y_ += h;
    }
    y_ += Pt(6);
  }

  // A drawing of fixed height over the whole width.
  void Picture(double height, std::function<void(QPainter&, const QRect&)> draw) {
    Need(height);
    const QRect r(area_.left(), static_cast<int>(std::lround(y_)), area_.width(),
                  static_cast<int>(std::lround(height)));
    Add([r, draw](QPainter& p) { draw(p, r); });
    y_ += height;
  }

 private:
  QPdfWriter& w_;
  int res_;
  QRect area_;
  QFont sans_, mono_;
  std::vector<Page> pages_;
  double y_ = 0;
};

// ---- What the document is made from --------------------------------------------------------

struct Inputs {
  const project::Project* Project = nullptr;
  std::string ProjectFile;
  TReportFile Report;
  std::vector<TMessageBlock> Messages;
  std::vector<std::string> MessageLines;
  bool ReportRead = false;
  bool ProjectNewer = false;  // the project was saved after the run's report
  bool MessagesRead = false;
  std::unique_ptr<TGraphCatalogue> Graphs;
  results::PlotReadResult Plot;
  int Status = 0;
  Units U;
};

const project::TProgramData& Data(const Inputs& in) { return in.Project->data; }

bool Lrfd(const Inputs& in) { return Data(in).NLRFD == 1; }
bool Uplift(const Inputs& in) { return Data(in).KCYCL > 1; }

int PlotBlocks(const Inputs& in) {
  if (!in.Graphs || !in.Plot.ok) return 0;
  return (*in.Graphs)[results::kPltSkin].LineCount();
}

// The depth of a graph point's y (the plot holds elevations with the elevation axis).
double DepthOf(const Inputs& in, double y) {
  return Data(in).UseElevation == 1 ? Data(in).ValElevation - y : y;
}

TShaftSummary Summarise(const Inputs& in, std::size_t index) {
  const TReportPass& p = in.Report.Passes[index];
  TShaftSummary s;
  s.Case = p.Case;
  if (const auto* v = p.Find("DIAMETER OF STEM")) s.Stem = v->Value.Text;
  if (const auto* v = p.Find("DIAMETER OF BASE")) s.Base = v->Value.Text;
  s.NeedAnotherLayer = p.NeedAnotherLayer;
  const int decimals = in.U.SI ? 1 : 1;

  std::optional<double> length;
  const bool block = static_cast<int>(index) < PlotBlocks(in) && !p.NeedAnotherLayer;
  if (Data(in).METHOD == 2) {
    if (const auto* v = p.Find("SHAFT LENGTH")) length = v->Value.Value;
  } else if (block) {
    const TGraphPlot& g = (*in.Graphs)[results::kPltSkin];
    const auto& line = g.Lines(static_cast<int>(index));
    if (line.Count() > 0) length = DepthOf(in, line.Data.back().y);
  }

  const std::array<TPrinted, 8>* row = nullptr;
  if (length) {
    for (const auto& r : p.Rows)
      if (r[0].Value && std::fabs(*r[0].Value - *length) < 0.05) row = &r;
  }
  if (row) {
    s.Source = 0;
  } else if (length && block) {
    s.Source = 1;
    const auto last = [&](GraphIndex g) {
      const auto& line = (*in.Graphs)[g].Lines(static_cast<int>(index));
      return line.Count() > 0 ? line.Data.back().x : 0.0;
    };
    s.Length = Fixed(*length, decimals).toStdString();
    s.QS = Significant(last(results::kPltSkin), 4).toStdString();
    s.QB = Significant(last(results::kPltTip), 4).toStdString();
    s.QU = Significant(last(results::kPltTotal), 4).toStdString();
    s.Design = Significant(last(results::kFSpltTotal), 4).toStdString();
  } else if (!p.Rows.empty()) {
    s.Source = 2;
    row = &p.Rows.back();
  }
  if (row) {
    s.Length = (*row)[0].Text;
    s.QS = (*row)[2].Text;
    s.QB = (*row)[3].Text;
    s.QU = (*row)[4].Text;
    // The allowable total QDN (ASD) or the factored total LRFD QU, the table's last column.
    s.Design = (*row)[Lrfd(in) ? 7 : 6].Text;
    if (s.Source == 2 && !length && !p.NeedAnotherLayer) s.Source = 0;  // nothing better known
  }

  // Head movement at the design load (design by load) or at the allowable or factored
  // total of the shaft (design by length), on the trend curve or the socket curve.
  std::optional<double> load;
  if (Data(in).METHOD == 1 && in.Report.DesignLoad && in.Report.DesignLoad->Value) {
    load = *in.Report.DesignLoad->Value;
    s.LoadForMovement = in.Report.DesignLoad->Text;
  } else if (!s.Design.empty()) {
    bool ok = false;
    const double v = Q(s.Design).toDouble(&ok);
    if (ok) {
      load = v;
      s.LoadForMovement = s.Design;
    }
  }
  const TReportCurve* curve = nullptr;
  for (const auto& c : p.Curves)
    if (c.Name.rfind("TREND", 0) == 0 || c.Name == "SOCKET") {
      curve = &c;
      break;
    }
  if (!curve && !p.Curves.empty()) curve = &p.Curves.front();
  if (curve && load && !p.NeedAnotherLayer) {
    if (const auto m = MovementAtLoad(*curve, *load)) {
      s.Movement = Significant(*m, 3).toStdString();
    } else {
      s.MovementBeyondCurve = true;
      s.Movement = "> " + Significant(curve->Rows.back()[1], 3).toStdString();
    }
  }
  return s;
}

// ---- Sections ------------------------------------------------------------------------------

QString StatusText(int status) {
  return QString::number(status) + QStringLiteral(": ") + Q(DescribeStatus(status));
}

QString RunText(const Inputs& in) {
  if (in.Report.Date.empty()) return QStringLiteral("not recorded in the report");
  return Q(in.Report.Date) + QStringLiteral(" at ") + Q(in.Report.Time);
}

QString ShaftText(const Inputs& in) {
  const auto& d = Data(in);
  const Units& u = in.U;
  QString s;
  const double last = std::max(d.DSTART, d.DIALIM);
  if (last > d.DSTART + 1e-9) {
    // The engine steps the diameter by the design charts' increment, otherwise by 0.5 ft.
    const double step = d.IChart > 0 ? d.DIAMINCR : (u.SI ? 0.1524 : 0.5);
    s = QStringLiteral("Stem diameters %1 to %2 %3 in steps of %4 %3").arg(Num(d.DSTART), Num(last), u.Length(), Num(step));
  } else {
    s = QStringLiteral("Stem diameter %1 %2").arg(Num(d.DSTART), u.Length());
  }
  if (d.RATIO > 0)
    s += QStringLiteral("; belled: base to stem diameter ratio %1, bell angle %2°").arg(Num(d.RATIO), Num(d.BELANGL));
  else
    s += QStringLiteral("; straight (no bell)");
  s += QStringLiteral(". Side resistance ignored over the top %1 %2 and the bottom %3 %2. Concrete modulus Ec = %4 %5.")
           .arg(Num(d.TOPLENG), u.Length(), Num(d.BS), Num(d.EPILE), u.Modulus());
  return s;
}

QString MethodText(const Inputs& in) {
  const auto& d = Data(in);
  if (!Lrfd(in)) {
    QString s = QStringLiteral("Allowable stress design (ASD): factor of safety %1 on the ultimate side resistance, %2 on the ultimate base resistance")
                    .arg(Num(d.FST), Num(d.FSB));
    if (Uplift(in)) s += QStringLiteral(" (in uplift the base carries the shaft weight without a factor)");
    return s + QStringLiteral(".");
  }
  QStringList factors;
  const auto& D = in.Project->tables.D;
  for (int r = 0; r < D.RowCount(); ++r)
    factors << QStringLiteral("layer %1: %2 / %3")
                   .arg(r + 1)
                   .arg(Num(D.GetFloatValue(project::kColLrfdSideFriction, r)),
                        Num(D.GetFloatValue(project::kColLrfdEndBearing, r)));
  return QStringLiteral("Load and resistance factor design (LRFD), resistance factors side / base per layer: ") +
         factors.join(QStringLiteral("; ")) + QStringLiteral(".");
}

QString LoadingText(const Inputs& in) {
  const auto& d = Data(in);
  if (!Uplift(in)) return QStringLiteral("Compression");
  return QStringLiteral("Uplift; side resistance reduced by the factor %1").arg(Num(d.RCYCL));
}

QString ControlText(const Inputs& in) {
  const auto& d = Data(in);
  const Units& u = in.U;
  QString s;
  if (d.METHOD == 1)
    s = QStringLiteral("Design load %1 %2: the program finds the shaft length that carries it").arg(Num(d.LPD), u.Force());
  else
    s = QStringLiteral("Design length %1 %2: the capacity at that length").arg(Num(d.PD), u.Length());
  if (d.IPENT > 0)
    s += QStringLiteral("; shaft lengths varied from %1 down to %2 %3 in steps of %4 %3")
             .arg(Num(d.PD), Num(d.PDMIN), u.Length(), Num(d.PDINCR));
  if (d.IChart > 0)
    s += QStringLiteral("; design charts for lengths %1 down to %2 %3 in steps of %4 %3")
             .arg(Num(d.PD), Num(d.PDMIN), u.Length(), Num(d.PDINCR));
  return s + QStringLiteral(".");
}

void SummarySection(Builder& b, const Inputs& in) {
  const auto& d = Data(in);
  const Units& u = in.U;
  b.Title(QStringLiteral("Calculation summary"));
  b.KeyValues({
      {QStringLiteral("Project"), Q(d.Title)},
      {QStringLiteral("Project file"), Q(fs::path(in.ProjectFile).filename().string())},
      {QStringLiteral("Analysis run"), RunText(in)},
      {QStringLiteral("Units"), u.SI ? QStringLiteral("SI (m, kN, kN/m²)") : QStringLiteral("English (ft, in, lb, tons)")},
      {QStringLiteral("Design method"), MethodText(in)},
      {QStringLiteral("Loading"), LoadingText(in)},
      {QStringLiteral("Design control"), ControlText(in)},
      {QStringLiteral("Shaft"), ShaftText(in)},
      {QStringLiteral("Water table"), QStringLiteral("%1 %2 below the ground surface").arg(Num(d.WTD), u.Length())},
  });

  if (in.ProjectNewer)
    b.Paragraph(QStringLiteral("Note: the project file was saved after this run. The input pages show the project as saved; the results are those of the run."),
                9.0, true);

  b.Heading(QStringLiteral("Result per analysed shaft"));
  const QString qb = Uplift(in) ? QStringLiteral("WT") : QStringLiteral("QB");
  const QString design = Lrfd(in) ? QStringLiteral("LRFD QU") : QStringLiteral("QDN");
  const QString lengthHead = d.METHOD == 1 ? QStringLiteral("Length carrying the load") : QStringLiteral("Design length");
  std::vector<Column> cols = {
      {QStringLiteral("Case"), 0.6, Align::Right},
      {QStringLiteral("Stem (%1)").arg(u.Length()), 0.9, Align::Right},
      {QStringLiteral("Base (%1)").arg(u.Length()), 0.9, Align::Right},
      {lengthHead + QStringLiteral(" (%1)").arg(u.Length()), 1.3, Align::Right},
      {QStringLiteral("QS (%1)").arg(u.Force()), 1.0, Align::Right},
      {qb + QStringLiteral(" (%1)").arg(u.Force()), 1.0, Align::Right},
      {QStringLiteral("QU (%1)").arg(u.Force()), 1.0, Align::Right},
      {design + QStringLiteral(" (%1)").arg(u.Force()), 1.1, Align::Right},
      {QStringLiteral("Head movement (%1)").arg(u.Movement()), 1.2, Align::Right},
  };
  std::vector<Row> rows;
  bool fromPlot = false, lastRow = false, beyond = false, notReached = false;
  for (std::size_t i = 0; i < in.Report.Passes.size(); ++i) {
    const TShaftSummary s = Summarise(in, i);
    QString length = Q(s.Length);
    if (s.NeedAnotherLayer) {
      length = QStringLiteral("not reached");
      notReached = true;
    } else if (s.Source == 1) {
      length += QStringLiteral(" †");
      fromPlot = true;
    } else if (s.Source == 2) {
      length += QStringLiteral(" ‡");
      lastRow = true;
    }
    beyond = beyond || s.MovementBeyondCurve;
    rows.push_back({{QString::number(s.Case), Q(s.Stem), Q(s.Base), length, Q(s.QS), Q(s.QB), Q(s.QU), Q(s.Design),
                     s.Movement.empty() ? QStringLiteral("-") : Q(s.Movement)}});
  }
  std::vector<QString> notes;
  if (d.METHOD == 1)
    notes.push_back(QStringLiteral("Head movement: on the trend (averaged) load-settlement curve, or the socket curve, at the design load of %1 %2.")
                        .arg(in.Report.DesignLoad ? Q(in.Report.DesignLoad->Text) : Num(d.LPD), u.Force()));
  else
    notes.push_back(QStringLiteral("Head movement: on the trend (averaged) load-settlement curve, or the socket curve, at the %1 total %2 of the shaft.")
                        .arg(Lrfd(in) ? QStringLiteral("factored") : QStringLiteral("allowable"), design));
  if (fromPlot)
    notes.push_back(QStringLiteral("† The design length is not a row of the report's table at the print increment; the values are the plot data's at the design length (four significant digits)."));
  if (lastRow)
    notes.push_back(QStringLiteral("‡ The report's table ends below the design length; the values are those of its last row."));
  if (beyond) notes.push_back(QStringLiteral("> The load lies beyond the computed curve; the movement exceeds its last point."));
  if (notReached)
    notes.push_back(QStringLiteral("not reached: no length within the soil profile carries the design load (NEED ANOTHER SOIL LAYER); the values are those of the deepest printed row."));
  if (rows.empty())
    rows.push_back({{in.ReportRead ? QStringLiteral("The report holds no analysed shaft.")
                                   : QStringLiteral("The run wrote no report.")},
                    true});
  b.Table(cols, rows, 8.5, notes);

  if (!in.Report.MostEfficient.empty()) {
    std::vector<std::pair<QString, QString>> kv;
    for (const auto& v : in.Report.MostEfficient)
      kv.push_back({LabelText(v.Label), Q(v.Value.Text) + QStringLiteral(" ") + Q(v.Unit).toLower()});
    b.Heading(QStringLiteral("Most efficient shaft (largest QU per volume of concrete)"), 10.5);
    b.KeyValues(kv);
  }

  b.Heading(QStringLiteral("Status and messages"));
  b.Paragraph(QStringLiteral("Run status %1.").arg(StatusText(in.Status)));
  if (!in.MessagesRead) {
    b.Paragraph(QStringLiteral("The message file of the run could not be read."));
  } else if (in.Messages.empty()) {
    b.Paragraph(QStringLiteral("The engine wrote no warnings or errors."));
  } else {
    constexpr std::size_t kShown = 8;
    for (std::size_t i = 0; i < in.Messages.size() && i < kShown; ++i) {
      const TMessageBlock& m = in.Messages[i];
      std::vector<QString> lines;
      for (const auto& l : m.Lines) lines.push_back(Q(l));
      if (m.Count > 1) lines.push_back(QStringLiteral("     (written %1 times)").arg(m.Count));
      b.Monospace(lines, 7.5);
      b.Space(4);
    }
    if (in.Messages.size() > kShown)
      b.Paragraph(QStringLiteral("%1 further messages; the whole message file is in Appendix B.")
                      .arg(in.Messages.size() - kShown));
  }
}

// A layer's limit as entered; 0 (or less) sets none.
QString Limit(double v) { return v > 0 ? Num(v) : QStringLiteral("no limit"); }

void InputSection(Builder& b, const Inputs& in) {
  const auto& d = Data(in);
  const Units& u = in.U;
  const auto& D = in.Project->tables.D;
  b.FreshPage();
  b.Title(QStringLiteral("Input"));
  b.KeyValues({
      {QStringLiteral("Water table"), QStringLiteral("%1 %2 below the ground surface").arg(Num(d.WTD), u.Length())},
      {QStringLiteral("Number of layers"), QString::number(D.RowCount())},
  });

  b.Heading(QStringLiteral("Soil profile"));
  std::vector<Column> cols = {{QStringLiteral("Parameter"), 3.0, Align::Left},
                              {QStringLiteral("At the top"), 1.0, Align::Right},
                              {QStringLiteral("At the bottom"), 1.0, Align::Right}};
  std::vector<Row> rows;
  double top = 0;
  for (int r = 0; r < D.RowCount(); ++r) {
    const int code = D.GetIntValue(project::kColSoilType, r);
    const double bottom = D.GetFloatValue(project::kColDepthBottom, r);
    const QString type = code >= 1 && code <= project::kSoilTypeCount
                             ? Q(project::kSoilTypeNames[static_cast<std::size_t>(code - 1)])
                             : QStringLiteral("type %1").arg(code);
    rows.push_back({{QStringLiteral("Layer %1: %2, from %3 to %4 %5")
                         .arg(r + 1)
                         .arg(type, Num(top), Num(bottom), u.Length())},
                    true});
    top = bottom;
    const TReportLayer* layer = r < static_cast<int>(in.Report.Layers.size()) ? &in.Report.Layers[static_cast<std::size_t>(r)] : nullptr;
    if (!layer) {
      rows.push_back({{QStringLiteral("(not in the report)"), QString(), QString()}});
      continue;
    }
    if (!layer->Method.empty()) {
      QString m = Q(layer->Method);
      m.remove(QStringLiteral("SIDE FRICTION PROCEDURE"));
      while (!m.isEmpty() && (m[0] == ',' || m[0] == ':' || m[0] == ' ')) m.remove(0, 1);
      m = m.toLower();
      m.replace(QStringLiteral("kulhawy and chen"), QStringLiteral("Kulhawy and Chen"));
      m.replace(QStringLiteral("ko method"), QStringLiteral("Ko method"));
      rows.push_back({{QStringLiteral("Side friction procedure: ") + m, QString(), QString()}});
    }
    for (const TLayerValue& v : layer->Values) {
      if (v.Label.rfind("DEPTH", 0) == 0) continue;
      const auto cell = [](const TPrinted& p, bool est) {
        if (p.Text.empty()) return QString();
        return Readable(p) + (est ? QStringLiteral(" (*)") : QString());
      };
      rows.push_back({{LabelText(v.Label), cell(v.Top, v.TopEstimated), v.Single ? QString() : cell(v.Bottom, v.BottomEstimated)}});
    }
    for (const std::string& note : layer->Notes) rows.push_back({{Q(note), QString(), QString()}});
  }
  std::vector<QString> notes;
  if (in.Report.AnyEstimated) notes.push_back(QStringLiteral("(*) estimated by the program based on other parameters."));
  notes.push_back(QStringLiteral("Values as the analysis used them, with the three significant digits of the report's input echo."));
  b.Table(cols, rows, 8.5, notes);

  b.Heading(QStringLiteral("Limits"));
  std::vector<Row> limits;
  for (int r = 0; r < D.RowCount(); ++r)
    limits.push_back({{QString::number(r + 1), Limit(D.GetFloatValue(project::kColMaxSideFriction, r)),
                       Limit(D.GetFloatValue(project::kColMaxEndBearing, r))}});
  b.Table({{QStringLiteral("Layer"), 0.6, Align::Right},
           {QStringLiteral("Maximum unit side resistance (%1)").arg(u.Stress()), 2.0, Align::Right},
           {QStringLiteral("Maximum unit end bearing (%1)").arg(u.Stress()), 2.0, Align::Right}},
          limits);

  b.Heading(QStringLiteral("Control options"));
  std::vector<std::pair<QString, QString>> kv = {
      {QStringLiteral("Design control"), ControlText(in)},
      {QStringLiteral("Output increment"), QStringLiteral("%1 %2").arg(Num(d.PINC), u.Length())},
      {QStringLiteral("End bearing in sands"),
       d.IMOD == 1 ? QStringLiteral("linear from zero at the ground to the maximum values at 10 diameters")
                   : QStringLiteral("maximum values at any depth")},
      {QStringLiteral("Vertical axis of the graphs"),
       d.UseElevation == 1 ? QStringLiteral("elevation, top of shaft at %1 %2").arg(Num(d.ValElevation), u.Length())
                           : QStringLiteral("depth")},
  };
  if (d.IChart > 0) {
    QStringList s;
    for (int i = 0; i < d.NPOINTPD && i < static_cast<int>(d.PDSETT.size()); ++i) s << Num(d.PDSETT[static_cast<std::size_t>(i)]);
    kv.push_back({QStringLiteral("Design charts"),
                  QStringLiteral("diameter increment %1 %2; head movements %3 %4")
                      .arg(Num(d.DIAMINCR), u.Length(), s.join(QStringLiteral(", ")), u.Settlement())});
  }
  if (d.PrintTZCurves == 1) {
    QStringList s;
    const auto& T = in.Project->tables.TblTZDepth;
    for (int r = 0; r < T.RowCount(); ++r) s << Num(T.GetFloatValue(project::kColTZDepth, r));
    kv.push_back({QStringLiteral("Additional t-z curves"), QStringLiteral("at the depths %1 %2").arg(s.join(QStringLiteral(", ")), u.Length())});
  }
  b.KeyValues(kv);
}

void TablesSection(Builder& b, const Inputs& in) {
  const Units& u = in.U;
  b.FreshPage();
  b.Title(QStringLiteral("Resistance tables"));
  b.Paragraph(QStringLiteral("Per analysed shaft, the resistances at the output increment as in the report (lengths in %1, volumes in %2, resistances in %3).")
                  .arg(u.Length(), u.SI ? QStringLiteral("m³") : QStringLiteral("cubic yards"), u.Force()));
  const bool uplift = Uplift(in), lrfd = Lrfd(in);
  const QString qb = uplift ? QStringLiteral("WT") : QStringLiteral("QB");
  std::vector<Column> cols = {
      {QStringLiteral("Length"), 1, Align::Right}, {QStringLiteral("Volume"), 1, Align::Right},
      {QStringLiteral("QS"), 1, Align::Right},     {qb, 1, Align::Right},
      {QStringLiteral("QU"), 1, Align::Right},
      {lrfd ? QStringLiteral("LRFD QS") : QStringLiteral("QBD"), 1, Align::Right},
      {lrfd ? (uplift ? QStringLiteral("WT") : QStringLiteral("LRFD QB")) : QStringLiteral("QDN"), 1, Align::Right},
      {lrfd ? QStringLiteral("LRFD QU") : QStringLiteral("QU/volume"), 1, Align::Right},
  };
  for (const TReportPass& p : in.Report.Passes) {
    QString head = QStringLiteral("Case %1").arg(p.Case);
    if (const auto* v = p.Find("DIAMETER OF STEM")) head += QStringLiteral(": stem %1 %2").arg(Q(v->Value.Text), u.Length());
    if (const auto* v = p.Find("DIAMETER OF BASE")) head += QStringLiteral(", base %1 %2").arg(Q(v->Value.Text), u.Length());
    if (const auto* v = p.Find("SHAFT LENGTH")) head += QStringLiteral(", length %1 %2").arg(Q(v->Value.Text), u.Length());
    b.Heading(head, 10);
    std::vector<Row> rows;
    for (const auto& r : p.Rows) {
      Row row;
      for (const auto& c : r) row.Cells << Q(c.Text);
      rows.push_back(row);
    }
    std::vector<QString> notes;
    if (p.NeedAnotherLayer)
      notes.push_back(QStringLiteral("NEED ANOTHER SOIL LAYER: no length within the profile carries the design load."));
    if (rows.empty()) notes.push_back(QStringLiteral("No row at the output increment."));
    b.Table(cols, rows, 8.0, notes);
  }
}

// The graphs the document shows, in order.
std::vector<GraphIndex> ChosenGraphs(const Inputs& in, const TReportParts& parts) {
  std::vector<GraphIndex> out;
  if (!in.Graphs || !in.Plot.ok) return out;
  const int blocks = PlotBlocks(in);
  const bool three = in.Plot.SettleCurveCount.value_or(0) > 2;
  if (parts.CapacityGraphs) {
    out.push_back(results::kPltCombine);
    out.push_back(results::kPltCombineD);
    if (blocks > 1) {
      out.push_back(results::kPltTotal);
      out.push_back(results::kFSpltTotal);
    }
  }
  if (parts.SettlementGraphs) {
    if (three) out.push_back(results::kPltCombinedSettle);
    if (!three || blocks > 1) out.push_back(results::kPltAxial);
  }
  if (parts.TransferGraphs && in.Plot.showtzcurves) {
    if (Data(in).PrintTZCurves == 1) out.push_back(results::kPltTzAdd);
    out.push_back(results::kPltTz);
    out.push_back(results::kPltQw);
  }
  if (parts.DesignCharts && Data(in).IChart > 0)
    for (int n = 0; n < 10; ++n) out.push_back(static_cast<GraphIndex>(results::kPltChart1 + n));
  std::vector<GraphIndex> drawable;
  for (GraphIndex g : out) {
    const TGraphPlot& plot = (*in.Graphs)[g];
    if (plot.HasSomethingToDraw() && plot.Count() > 0 && results::ComputeBounds(plot)) drawable.push_back(g);
  }
  return drawable;
}

bool DepthGraph(GraphIndex g) {
  return g == results::kPltCombine || g == results::kPltCombineD || g == results::kPltTotal ||
         g == results::kFSpltTotal;
}

void GraphsSection(Builder& b, const Inputs& in, const std::vector<GraphIndex>& graphs) {
  if (graphs.empty()) return;
  b.FreshPage();
  b.Title(QStringLiteral("Graphs"));
  const double gap = b.Pt(10);
  const double height = (b.Area().height() - b.Pt(40) - 2 * b.Pt(16) - gap) / 2.0;
  const int fontHeight = static_cast<int>(std::lround(QFontMetricsF(b.Sans(9), &b.Writer()).height()));
  const int res = b.Writer().resolution();
  const auto& d = Data(in);
  for (GraphIndex index : graphs) {
    auto g = std::make_shared<TGraphPlot>((*in.Graphs)[index]);
    results::ActivateCurves(*g);
    g->ShowLegend = true;
    if (DepthGraph(index) && g->LayerLineCount() > 0) {
      g->ShowLayers = true;
      if (d.UseElevation == 1) {
        // The layer column follows the elevation axis.
        g->LayersTop = d.ValElevation;
        for (int i = 0; i < g->LayerLineCount(); ++i)
          if (g->LayerLines(i).Count() > 0) g->LayerData(i, 0).y = d.ValElevation - g->LayerData(i, 0).y;
      }
    }
    if (!results::ResetView(*g)) continue;
    b.Need(height + b.Pt(16));
    // A graph with a caption of its own (the design charts) shows it in the picture.
    if (g->UserCaption.empty()) b.Paragraph(Q(g->Caption), 9.5, true);
    b.Picture(height, [g, fontHeight, res](QPainter& p, const QRect& r) {
      results::TDrawArea area;
      area.Bounds = {r.left(), r.top(), r.right(), r.bottom()};
      area.PixelsPerInch = QPoint(res, res);
      area.FontHeight = fontHeight;
      area.PrintLegend = true;
      results::LayoutPage(area, *g);
      p.save();
      results::DrawPlot(p, *g, area);
      p.restore();
    });
    b.Space(10);
  }
}

void ElevationSection(Builder& b, project::Project& project) {
  const double pd = project.data.PD;
  const results::TSideGeometry geometry = results::BuildSideGeometry(project);
  project.data.PD = pd;  // the picture's stand-in for a missing length is not kept
  if (geometry.Empty()) return;
  b.FreshPage();
  b.Title(QStringLiteral("Elevation"));
  const results::TSideOptions options = results::SideOptions(project, true);
  QFont font = b.Sans(9);
  QPdfWriter* writer = &b.Writer();
  b.Picture(b.Remaining(), [geometry, options, font, writer](QPainter& p, const QRect& r) {
    const results::TSidePicture pic = results::LayoutSidePicture(geometry, options, r, font, writer);
    p.save();
    results::PaintSidePicture(p, pic);
    p.restore();
  });
}

void AppendixSection(Builder& b, const Inputs& in) {
  std::size_t widest = 80;
  for (const auto& l : in.Report.Lines) widest = std::max(widest, l.size());
  // The font size at which the widest line fills the width.
  const QFont probe = b.Mono(10);
  const double advance = QFontMetricsF(probe, &b.Writer()).horizontalAdvance(QString(80, QLatin1Char('M'))) / 80.0;
  const double size = std::min(9.0, 10.0 * b.Area().width() / (advance * static_cast<double>(widest)) * 0.99);

  b.FreshPage();
  if (in.ReportRead) {
  b.Title(QStringLiteral("Appendix A: the report of the run"));
  b.Paragraph(QStringLiteral("The engine's report %1, line for line.")
                  .arg(Q(fs::path(TRunOutputs::ForProject(in.ProjectFile).Report).filename().string())));
  std::vector<QString> lines;
  lines.reserve(in.Report.Lines.size());
  for (const auto& l : in.Report.Lines) lines.push_back(Q(l));
  while (!lines.empty() && lines.back().trimmed().isEmpty()) lines.pop_back();
  b.Monospace(lines, size);
  }

  if (in.MessagesRead && !in.MessageLines.empty()) {
    std::size_t w = 80;
    for (const auto& l : in.MessageLines) w = std::max(w, l.size());
    const double msize = std::min(9.0, 10.0 * b.Area().width() / (advance * static_cast<double>(w)) * 0.99);
    b.FreshPage();
    b.Title(QStringLiteral("Appendix B: the message file of the run"));
    std::vector<QString> mlines;
    for (const auto& l : in.MessageLines) mlines.push_back(Q(l));
    while (!mlines.empty() && mlines.back().trimmed().isEmpty()) mlines.pop_back();
    b.Monospace(mlines, msize);
  }
}

// ---- PDF information -----------------------------------------------------------------------

QByteArray PdfTextString(const QString& s) {
  QByteArray out = "<FEFF";
  for (const QChar c : s) out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
  return out + ">";
}

}  // namespace

QByteArray StampPdfInformation(const QByteArray& pdf, const std::string& author) {
  // The information dictionary is object 1, written first; later offsets shift by what is
  // inserted into it.
  const qsizetype objStart = pdf.indexOf("1 0 obj");
  const qsizetype dictEnd = objStart < 0 ? -1 : pdf.indexOf(">>", objStart);
  const qsizetype xref = pdf.lastIndexOf("\nxref\n");
  const qsizetype startxref = pdf.lastIndexOf("startxref\n");
  if (objStart < 0 || dictEnd < 0 || xref < 0 || startxref < 0 || dictEnd > xref) return pdf;
  QByteArray info = pdf.mid(objStart, dictEnd - objStart);
  if (!info.contains("/Producer")) return pdf;

  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
    bool ok = false;
    const qint64 secs = QByteArray(epoch).toLongLong(&ok);
    const qsizetype at = info.indexOf("/CreationDate (D:");
    if (ok && at >= 0) {
      const qsizetype end = info.indexOf(')', at);
      const QByteArray stamp =
          "/CreationDate (D:" +
          QDateTime::fromSecsSinceEpoch(secs, QTimeZone::utc()).toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "Z";
      if (end > at) info.replace(at, end - at, stamp);
    }
  }
  info += "/Author " + PdfTextString(Q(author)) + "\n";

  QByteArray out = pdf.left(objStart) + info + pdf.mid(dictEnd, xref + 1 - dictEnd);
  const qsizetype shift = static_cast<qsizetype>(out.size()) - (xref + 1);
  // The cross-reference table: "xref\n0 N\n" then N entries of 20 bytes.
  QByteArray tail = pdf.mid(xref + 1);
  const qsizetype firstEntry = tail.indexOf('\n', tail.indexOf('\n') + 1) + 1;
  const qsizetype trailer = tail.indexOf("trailer");
  if (firstEntry <= 0 || trailer < firstEntry) return pdf;
  for (qsizetype e = firstEntry; e + 20 <= trailer; e += 20) {
    if (tail.at(e + 17) != 'n') continue;
    const qint64 offset = tail.mid(e, 10).toLongLong();
    if (offset > objStart) tail.replace(e, 10, QByteArray::number(offset + shift).rightJustified(10, '0'));
  }
  const qsizetype sx = tail.lastIndexOf("startxref\n");
  const qsizetype sxEnd = tail.indexOf('\n', sx + 10);
  if (sx < 0 || sxEnd < 0) return pdf;
  tail.replace(sx + 10, sxEnd - (sx + 10), QByteArray::number(static_cast<qint64>(out.size())));
  return out + tail;
}

TReportResult RenderCalculationReport(const project::Project& projectIn, const std::string& projectFile,
                                      const TReportRequest& request, QByteArray& pdf) {
  TReportResult result;
  if (!request.Parts.Any()) {
    result.Error = "Nothing was chosen for the report.";
    return result;
  }
  // The elevation picture sets a missing shaft length while it is built, and restores it.
  project::Project& project = const_cast<project::Project&>(projectIn);
  const TRunOutputs files = TRunOutputs::ForProject(projectFile);

  Inputs in;
  in.Project = &project;
  in.ProjectFile = projectFile;
  const std::string reportText = ReadText(files.Report, in.ReportRead, request.NotBefore);
  in.Report = ParseReport(reportText);
  {
    std::error_code e1, e2;
    const auto projectTime = fs::last_write_time(projectFile, e1);
    const auto reportTime = fs::last_write_time(files.Report, e2);
    in.ProjectNewer = in.ReportRead && !e1 && !e2 && projectTime > reportTime + std::chrono::seconds(1);
  }
  const std::string messages = ReadText(files.Messages, in.MessagesRead, request.NotBefore);
  if (in.MessagesRead) {
    in.Messages = ParseMessages(messages);
    in.MessageLines = SplitLines(messages);
  }
  in.U.SI = project.data.fUnits == 2;
  in.Graphs = std::make_unique<TGraphCatalogue>();
  std::error_code ec;
  if (!request.NotBefore || fs::last_write_time(files.Plot, ec) >= *request.NotBefore)
    in.Plot = results::ReadPlotData(files.Plot, project, *in.Graphs, false);
  in.Status = request.Status.value_or(in.Report.NeedAnotherLayer ? 7 : 0);

  const TPaper paper = request.Paper == TPaper::Automatic ? (in.U.SI ? TPaper::A4 : TPaper::Letter) : request.Paper;

  QBuffer buffer(&pdf);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(600);
    writer.setPageSize(QPageSize(paper == TPaper::A4 ? QPageSize::A4 : QPageSize::Letter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    const QString title = QStringLiteral("%1: calculation report").arg(Q(project.data.Title).trimmed());
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("KORVA %1").arg(QString::fromLatin1(kProgramVersion)));

    const int res = writer.resolution();
    const auto mm = [res](double v) { return static_cast<int>(std::lround(v / 25.4 * res)); };
    const QRect page(0, 0, writer.width(), writer.height());
    const QRect content(mm(18), mm(22), page.width() - mm(18) - mm(15), page.height() - mm(22) - mm(20));

    Builder b(writer, content);
    if (request.Parts.Summary) SummarySection(b, in);
    if (request.Parts.Input) InputSection(b, in);
    if (request.Parts.Tables && in.ReportRead) TablesSection(b, in);
    GraphsSection(b, in, ChosenGraphs(in, request.Parts));
    if (request.Parts.Elevation) ElevationSection(b, project);
    if (request.Parts.Appendix && (in.ReportRead || in.MessagesRead)) AppendixSection(b, in);

    std::vector<Page>& pages = b.Pages();
    while (pages.size() > 1 && pages.back().Ops.empty()) pages.pop_back();
    const int count = static_cast<int>(pages.size());
    const QString left = QStringLiteral("KORVA %1").arg(QString::fromLatin1(kProgramVersion));
    const QString projectTitle = Q(project.data.Title).trimmed();
    const QString file = Q(fs::path(projectFile).filename().string());
    const QString run = RunText(in);
    const QFont hf = b.Sans(8);
    QPainter p;
    if (!p.begin(&writer)) {
      result.Error = "The PDF document could not be started.";
      return result;
    }
    for (int i = 0; i < count; ++i) {
      if (i > 0) writer.newPage();
      p.setFont(hf);
      p.setPen(QColor(0x30, 0x30, 0x30));
      const QFontMetricsF fm(hf, &writer);
      const double headerBase = mm(14);
      const double footerBase = page.height() - mm(12);
      const double half = content.width() * 0.8;
      p.drawText(QPointF(content.left(), headerBase), left);
      p.drawText(QPointF(content.right() - fm.horizontalAdvance(fm.elidedText(projectTitle, Qt::ElideRight, half)), headerBase),
                 fm.elidedText(projectTitle, Qt::ElideRight, half));
      p.setPen(QPen(QColor(0x90, 0x90, 0x90), b.Pt(0.5)));
      p.drawLine(QPointF(content.left(), headerBase + mm(2)), QPointF(content.right(), headerBase + mm(2)));
      p.drawLine(QPointF(content.left(), footerBase - fm.ascent() - mm(2)), QPointF(content.right(), footerBase - fm.ascent() - mm(2)));
      p.setPen(QColor(0x30, 0x30, 0x30));
      p.drawText(QPointF(content.left(), footerBase), file + QStringLiteral("  ·  run ") + run);
      const QString label = Q(PageLabel(i + 1, count));
      p.drawText(QPointF(content.right() - fm.horizontalAdvance(label), footerBase), label);
      for (const Op& op : pages[static_cast<std::size_t>(i)].Ops) op(p);
    }
    p.end();
    result.Pages = count;
  }
  buffer.close();
  pdf = StampPdfInformation(pdf, request.Author.empty() ? UserName() : request.Author);
  result.Ok = true;
  return result;
}

TReportResult WriteCalculationReport(const project::Project& project, const std::string& projectFile,
                                     const TReportRequest& request, const std::string& pdfFile) {
  QByteArray pdf;
  TReportResult r = RenderCalculationReport(project, projectFile, request, pdf);
  if (!r.Ok) return r;
  try {
    project::WriteFileReplacing(pdfFile, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
  } catch (const std::exception& e) {
    r.Ok = false;
    r.Error = e.what();
  }
  return r;
}

}  // namespace korva::report
