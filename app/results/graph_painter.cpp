#include "graph_painter.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLine>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <optional>
#include <vector>

#include "evaluator.h"

namespace korva::results {

const std::array<QRgb, kLineColorCount> kLineColors = {
    qRgb(0, 0, 0),       qRgb(0, 0, 255),     qRgb(255, 0, 0),     qRgb(0, 128, 0),
    qRgb(128, 0, 128),   qRgb(128, 0, 0),     qRgb(0, 0, 128),     qRgb(255, 0, 255),
    qRgb(128, 128, 0),   qRgb(0, 128, 128),   qRgb(128, 128, 128), qRgb(0, 255, 0),
    qRgb(128, 128, 128), qRgb(192, 192, 192), qRgb(192, 192, 192), qRgb(255, 255, 0),
    qRgb(0, 255, 255),
};

namespace {

// Only the first 20 curves are active in a new window when the graph limits them.
constexpr int kActiveLimit = 20;
// Pixel coordinates are kept within this distance of the origin: the rasteriser's fixed
// point range is far larger than any sensible target, and a curve zoomed in 20 times stays
// well inside it.
constexpr double kPixelLimit = 1.0e7;
// Tick index ranges beyond this are not drawn (only hand-made bounds far from the origin
// relative to their own range can reach it).
constexpr double kTickIndexLimit = 1.0e15;

bool Finite(TFloatPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Round half to even, the rounding of the layout and mapping rules, kept in pixel range.
int RoundPixel(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::nearbyint(std::clamp(v, -kPixelLimit, kPixelLimit)));
}

// A quotient that is an integer but for floating point noise is taken as that integer, so
// that a bound already on a step (0.3 / 0.1) is not pushed out by one more step.
double SnapToInteger(double v) {
  const double r = std::nearbyint(v);
  return std::fabs(v - r) <= 1e-9 * std::max(1.0, std::fabs(r)) ? r : v;
}

// Widens an empty range by 0.01 each way, then rounds both ends outward to `step` of the
// widened range. Returns the step (0: the range has none and stays as it is).
double ScaleAxis(double& lo, double& hi, bool outward) {
  if (hi == lo) {
    hi += 0.01;
    lo -= 0.01;
  }
  const double step = AxisStep(hi - lo);
  if (step == 0.0) return 0.0;
  if (outward) {
    // A range that need not hold the origin: each bound rounds away from the data.
    lo = step * std::floor(SnapToInteger(lo / step));
    hi = step * std::ceil(SnapToInteger(hi / step));
  } else {
    lo = step * RoundOut(SnapToInteger(lo / step));
    hi = step * RoundOut(SnapToInteger(hi / step));
  }
  return step;
}

// Tick positions within this fraction of a spacing of a bound count as on the bound, so
// that 70 x 0.01 (0.7000000000000001) is a tick of a range ending at 0.7.
constexpr double kTickSlack = 1e-9;

// Smallest k <= 0 with k * spacing >= lo (the result of stepping down from 0).
long long FirstTick(double lo, double spacing) {
  if (lo > 0.0) return 0;
  const double limit = lo - kTickSlack * spacing;
  auto k = static_cast<long long>(std::ceil(lo / spacing));
  while (static_cast<double>(k - 1) * spacing >= limit) --k;
  while (k < 0 && static_cast<double>(k) * spacing < limit) ++k;
  return std::min(k, 0LL);
}

// Largest k >= 0 with k * spacing <= hi (the result of stepping up from 0).
long long LastTick(double hi, double spacing) {
  if (hi < 0.0) return 0;
  const double limit = hi + kTickSlack * spacing;
  auto k = static_cast<long long>(std::floor(hi / spacing));
  while (static_cast<double>(k + 1) * spacing <= limit) ++k;
  while (k > 0 && static_cast<double>(k) * spacing > limit) --k;
  return std::max(k, 0LL);
}

// Keeps [lo, hi] (lo <= hi) inside [fullLo, fullHi] by shifting it, its size unchanged.
void ShiftInside(double& lo, double& hi, double fullLo, double fullHi) {
  if (lo < fullLo) {
    hi += fullLo - lo;
    lo = fullLo;
  } else if (hi > fullHi) {
    lo -= hi - fullHi;
    hi = fullHi;
  }
}

// One axis of a rubber-band zoom on ascending ranges.
void ZoomAxis(double a, double b, double fullLo, double fullHi, double& lo, double& hi) {
  lo = std::min(a, b);
  hi = std::max(a, b);
  const double full = fullHi - fullLo;
  if (full > 20.0 * (hi - lo)) {
    const double mid = (lo + hi) / 2.0;
    lo = mid - full / 40.0;
    hi = mid + full / 40.0;
  }
  ShiftInside(lo, hi, fullLo, fullHi);
}

// One axis of a zoom out on ascending ranges.
void ZoomOutAxis(double at, double fullLo, double fullHi, double& lo, double& hi) {
  const double p = std::min(hi - lo, (fullHi - fullLo) / 2.0);
  // Clamped by hand: with p at half the full range the interval is a single point.
  const double centre = std::max(fullLo + p, std::min(at, fullHi - p));
  lo = centre - p;
  hi = centre + p;
}

// Font height of `font` in pixels on `device` (its pixel size, or its point size there).
int FontPixelHeight(const QFont& font, const QPaintDevice& device) {
  if (font.pixelSize() > 0) return font.pixelSize();
  return static_cast<int>(std::lround(font.pointSizeF() * device.logicalDpiY() / 72.0));
}

// ---- Soil patterns, drawn black on white into tiles that repeat seamlessly -------------

QImage BlankTile(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  return img;
}

// Sand: scattered dots from a fixed pseudo-random sequence, wrapped at the tile edges.
QImage SandTile(int w, int h, int dot) {
  QImage img = BlankTile(w, h);
  std::uint32_t seed = 12345u;
  auto next = [&seed](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(n));
  };
  const int dots = w * h / 90;
  for (int i = 0; i < dots; ++i) {
    const int x = next(w), y = next(h);
    for (int dy = 0; dy < dot; ++dy)
      for (int dx = 0; dx < dot; ++dx) img.setPixel((x + dx) % w, (y + dy) % h, qRgb(0, 0, 0));
  }
  return img;
}

// Draws a horizontal dash from x0 to x1 (exclusive) on row y, wrapping around the tile.
void HDash(QImage& img, int x0, int x1, int y, int thick) {
  const int w = img.width(), h = img.height();
  for (int t = 0; t < thick; ++t)
    for (int x = x0; x < x1; ++x) img.setPixel(((x % w) + w) % w, (y + t) % h, qRgb(0, 0, 0));
}

void VDash(QImage& img, int x, int y0, int y1, int thick) {
  const int w = img.width(), h = img.height();
  for (int t = 0; t < thick; ++t)
    for (int y = y0; y < y1; ++y) img.setPixel((x + t) % w, ((y % h) + h) % h, qRgb(0, 0, 0));
}

// Clay: rows of long dashes, every other row offset by half a dash.
QImage ClayTile(int w, int h, int thick) {
  QImage img = BlankTile(w, h);
  const int rows = 3;
  for (int r = 0; r < rows; ++r) {
    const int y = h * r / rows + h / (2 * rows);
    const int shift = (r % 2) * w / 4;
    HDash(img, shift, shift + w * 2 / 5, y, thick);
    HDash(img, shift + w / 2, shift + w / 2 + w * 2 / 5, y, thick);
  }
  return img;
}

// Silt: a row of short dashes and a row of dots in turn.
QImage SiltTile(int w, int h, int thick) {
  QImage img = BlankTile(w, h);
  const int rows = 4;
  for (int r = 0; r < rows; ++r) {
    const int y = h * r / rows + h / (2 * rows);
    if (r % 2 == 0) {
      HDash(img, w / 10, w * 4 / 10, y, thick);
      HDash(img, w * 6 / 10, w * 9 / 10, y, thick);
    } else {
      HDash(img, w / 4, w / 4 + thick, y, thick);
      HDash(img, w * 3 / 4, w * 3 / 4 + thick, y, thick);
    }
  }
  return img;
}

// Gravel: small rings in two offset rows.
QImage GravelTile(int w, int h, int thick) {
  QImage img = BlankTile(w, h);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(Qt::black, thick));
  const int rx = std::max(2, w / 6), ry = std::max(2, h / 8);
  p.drawEllipse(QPoint(w / 4, h / 4), rx, ry);
  p.drawEllipse(QPoint(w * 3 / 4, h * 3 / 4), rx, ry);
  return img;
}

// Rock: blocks, horizontal joints with staggered vertical joints.
QImage RockTile(int w, int h, int thick) {
  QImage img = BlankTile(w, h);
  const int rows = std::max(2, h / (w / 2));
  for (int r = 0; r < rows; ++r) {
    const int y0 = h * r / rows, y1 = h * (r + 1) / rows;
    HDash(img, 0, w, y0, thick);
    const int x = (r % 2 == 0) ? w / 4 : w * 3 / 4;
    VDash(img, x, y0, y1, thick);
  }
  return img;
}

// Shale: thin laminae with short gaps at staggered places.
QImage ShaleTile(int w, int h, int thick) {
  QImage img = BlankTile(w, h);
  const int rows = std::max(4, h / std::max(1, w / 8));
  for (int r = 0; r < rows; ++r) {
    const int y = h * r / rows;
    const int gap = (r * 37) % w;
    HDash(img, gap + w / 8, gap + w, y, thick);
  }
  return img;
}

QImage MakePattern(int code, bool printer) {
  const int thick = printer ? 2 : 1;
  switch (code) {
    case 7: return printer ? SandTile(96, 96, 2) : SandTile(80, 80, 1);
    case 8: return printer ? ClayTile(96, 69, thick) : ClayTile(30, 42, thick);
    case 9: return printer ? SiltTile(96, 69, thick) : SiltTile(30, 42, thick);
    case 10: return printer ? GravelTile(96, 69, thick) : GravelTile(30, 42, thick);
    case 11: return printer ? RockTile(96, 192, thick) : RockTile(80, 80, thick);
    case 12: return printer ? ShaleTile(96, 192, thick) : ShaleTile(80, 80, thick);
    default: return {};
  }
}

// ---- Drawing steps --------------------------------------------------------------------------

// Line widths that look the same on every target: one pixel on the screen, the same
// fraction of an inch on a printer page (a 1200 dpi page would otherwise get lines of a
// 1/1200 inch that viewers draw as heavy black ones).
// The frame and the tick marks: 1/96 inch.
int FrameWidth(int ppi) { return std::max(1, (ppi + 48) / 96); }
// The dotted grid: 1/200 inch, in a light grey (a 1 pixel dotted black line on the
// screen is seen as a light grey line; a printed one must look the same).
int GridWidth(int ppi) { return std::max(1, (ppi + 100) / 200); }
const QColor kGridColour(150, 150, 150);

// The start of a span of `length` pixels moved, when needed, so that the span lies within
// lo..hi (hi exclusive); a span longer than lo..hi starts at lo.
int KeepWithin(int start, int length, int lo, int hi) {
  if (start + length > hi) start = hi - length;
  return std::max(start, lo);
}

struct Target {
  QPainter& p;
  TGraphPlot& graph;
  const TDrawArea& area;
  int ppx = 0, ppy = 0;
  int H = 0;  // base font height
  int h = 0;  // scaled text height
  int curveWidth = 1;
};

QRect InclusiveRect(const TPixelRect& r) {
  return QRect(QPoint(r.Left, r.Top), QPoint(r.Right, r.Bottom)).normalized();
}

// Text with its top-left corner at (x, top).
void TextAt(QPainter& p, int x, int top, const QString& s) {
  p.drawText(x, top + p.fontMetrics().ascent(), s);
}

// Text reading upward whose upper side (before the rotation) starts at (x, y).
void TextUp(QPainter& p, int x, int y, const QString& s) {
  p.save();
  p.translate(x, y);
  p.rotate(-90.0);
  p.drawText(0, p.fontMetrics().ascent(), s);
  p.restore();
}

// A line from a towards b that leaves out b, as a move-to/line-to pair draws it.
void OpenLine(QPainter& p, int x0, int y0, int x1, int y1) {
  if (x0 == x1 && y0 == y1) return;
  const int sx = (x1 > x0) - (x1 < x0), sy = (y1 > y0) - (y1 < y0);
  p.drawLine(x0, y0, x1 - sx, y1 - sy);
}

// GDI-style rectangle outline (and fill) from (l, t) to (r, b), the right and bottom
// edges excluded.
void RectangleTo(QPainter& p, int l, int t, int r, int b) {
  QRect rect = QRect(QPoint(std::min(l, r), std::min(t, b)),
                     QPoint(std::max(l, r) - 1, std::max(t, b) - 1));
  if (rect.width() <= 0 || rect.height() <= 0) return;
  p.drawRect(rect.adjusted(0, 0, -1, -1));
}

void DrawCaptions(Target& t) {
  if (t.h <= 0) return;
  QPainter& p = t.p;
  const TGraphPlot& g = t.graph;
  const TPixelRect& b = t.area.Bounds;
  p.setFont(PlotFont(t.h, true));
  p.setPen(Qt::black);
  const QFontMetrics fm = p.fontMetrics();
  const bool user = !g.UserCaption.empty();
  const int centre = std::abs(b.Left + b.Right);

  // A caption longer than the target is drawn in a font small enough to fit it.
  const QFont font = p.font();
  const auto fit = [&](const QString& s, int room) {
    const int w = fm.horizontalAdvance(s);
    QFont f = font;
    if (w > room && room > 0)
      f.setPixelSize(std::max(1, static_cast<int>(static_cast<long long>(t.h) * room / w)));
    p.setFont(f);
    return p.fontMetrics().horizontalAdvance(s);
  };
  // Centred on the target, and kept on it when wider than the room either side.
  const auto left = [&](const QString& s) {
    const int w = fit(s, b.Width());
    return KeepWithin((centre - w) / 2, w, b.Left, b.Right);
  };
  const QString x = QString::fromStdString(g.XAxisCaption());
  int top = 0;
  if (g.XOnTop) {
    top = b.Top + (user && g.UserCaptionOnTop ? t.h / 8 + t.h : 0);
  } else {
    top = b.Bottom - fm.height() - (user && !g.UserCaptionOnTop ? t.h / 8 + t.h : 0);
  }
  TextAt(p, left(x), top, x);

  if (user) {
    const QString u = QString::fromStdString(g.UserCaption);
    TextAt(p, left(u), g.UserCaptionOnTop ? b.Top : b.Bottom - fm.height(), u);
  }

  // Reading upward from its origin: the text covers origin - width .. origin.
  const QString y = QString::fromStdString(g.YAxisCaption());
  const int w = fit(y, b.Height());
  TextUp(p, b.Left, KeepWithin((b.Bottom + b.Top + w) / 2 - w, w, b.Top, b.Bottom) + w, y);
  p.setFont(font);
}

QString TickLabel(double v) {
  return QString::fromStdString(project::FormatGeneral(v, 4));
}

void DrawMarks(Target& t, const TMarks& marks) {
  if (!marks.Any) return;
  QPainter& p = t.p;
  const TGraphPlot& g = t.graph;
  const TPixelRect& ga = t.area.GraphArea;
  const TFloatRect& v = g.View.LogicBounds;
  const QPen solid(Qt::black, FrameWidth(t.ppx), Qt::SolidLine);
  // Wide dots get flat ends: square ones would lengthen every dot into its gap.
  const int gridWidth = GridWidth(t.ppx);
  const QPen dotted(kGridColour, gridWidth, Qt::DotLine,
                    gridWidth > 1 ? Qt::FlatCap : Qt::SquareCap);
  const TPixelRect& b = t.area.Bounds;
  p.setBrush(Qt::NoBrush);
  if (t.h > 0) p.setFont(PlotFont(t.h, false));
  const QFontMetrics fm = p.fontMetrics();
  const int tick = t.ppy / 16, tickX = t.ppx / 16;

  // Only the indices whose ticks can fall inside the area are visited.
  if (marks.Finish.x > marks.Start.x) {
    const double sp = marks.MarkSpacing.x;
    const long long from = std::max(marks.Start.x, FirstTick(std::min(v.Left, v.Right), sp) - 1);
    const long long to = std::min(marks.Finish.x, LastTick(std::max(v.Left, v.Right), sp) + 1);
    for (long long k = from; k <= to; ++k) {
      const double value = static_cast<double>(k) * sp;
      const int px = ToPixel(ga, v, g.XOnTop, {value, v.Top}).x();
      if (px < ga.Left || px > ga.Right) continue;
      if (k % 5 == 0) {
        p.setPen(dotted);
        p.drawLine(px, ga.Top, px, ga.Bottom);
        if (t.h > 0) {
          const QString s = TickLabel(value);
          const int top = g.XOnTop ? ga.Top - fm.height() - t.ppy / 32 : ga.Bottom + t.ppy / 16;
          const int w = fm.horizontalAdvance(s);
          p.setPen(Qt::black);
          // Centred on the tick; the labels of the outermost ticks stay on the target.
          TextAt(p, KeepWithin(px - w / 2, w, b.Left, b.Right), top, s);
        }
      }
      p.setPen(solid);
      if (g.XOnTop)
        OpenLine(p, px, ga.Top, px, ga.Top + tick);
      else
        OpenLine(p, px, ga.Bottom, px, ga.Bottom - tick);
    }
  }

  if (marks.Finish.y > marks.Start.y) {
    const double sp = marks.MarkSpacing.y;
    const long long from = std::max(marks.Start.y, FirstTick(std::min(v.Top, v.Bottom), sp) - 1);
    const long long to = std::min(marks.Finish.y, LastTick(std::max(v.Top, v.Bottom), sp) + 1);
    for (long long k = from; k <= to; ++k) {
      const double value = static_cast<double>(k) * sp;
      const int py = ToPixel(ga, v, g.XOnTop, {v.Left, value}).y();
      if (py < ga.Top || py > ga.Bottom) continue;
      if (k % 5 == 0) {
        p.setPen(dotted);
        p.drawLine(ga.Left, py, ga.Right, py);
        if (t.h > 0) {
          const QString s = TickLabel(value);
          const int w = fm.horizontalAdvance(s);
          p.setPen(Qt::black);
          TextUp(p, ga.Left - fm.height() - t.ppx / 32,
                 KeepWithin(py + w / 2 - w, w, b.Top, b.Bottom) + w, s);
        }
      }
      p.setPen(solid);
      OpenLine(p, ga.Left, py, ga.Left + tickX, py);
    }
  }
}

// Adds the outline of marker `index` centred at c to `lines`.
void AddMarker(QVector<QLine>& lines, const QVector<QPoint>& outline, QPoint c) {
  for (qsizetype i = 1; i < outline.size(); ++i) lines.append(QLine(c + outline[i - 1], c + outline[i]));
}

// On pixel targets (window, bitmap) markers are drawn as one pre-rendered stamp per curve:
// copying a few pixels is several times cheaper than the rasteriser's setup for each short
// outline line, and gives the same pixels since the stamp is drawn with the same pen at an
// integer offset. Vector targets (printer, PDF) get the outlines as lines.
bool CanStamp(const QPainter& p) {
  const QPaintEngine* engine = p.paintEngine();
  return engine != nullptr && engine->type() == QPaintEngine::Raster &&
         p.worldTransform().type() <= QTransform::TxTranslate &&
         !p.testRenderHint(QPainter::Antialiasing);
}

struct MarkerStamp {
  QImage image;
  QPoint centre;  // the marker centre inside the image
};

MarkerStamp MakeStamp(const QVector<QPoint>& outline, const QPen& pen) {
  int extent = 0;
  for (QPoint v : outline) extent = std::max({extent, std::abs(v.x()), std::abs(v.y())});
  extent += pen.width() + 1;
  MarkerStamp stamp;
  stamp.centre = QPoint(extent, extent);
  stamp.image = QImage(2 * extent + 1, 2 * extent + 1, QImage::Format_ARGB32_Premultiplied);
  stamp.image.fill(Qt::transparent);
  QPainter sp(&stamp.image);
  sp.setPen(pen);
  QVector<QLine> lines;
  AddMarker(lines, outline, stamp.centre);
  sp.drawLines(lines);
  return stamp;
}

void DrawLines(Target& t) {
  QPainter& p = t.p;
  const TGraphPlot& g = t.graph;
  const TPixelRect& ga = t.area.GraphArea;
  if (g.LineCount() == 0 || g.Lines(0).Count() < 2) return;
  if (ga.Width() <= 0 || ga.Height() <= 0) return;
  p.setClipRect(InclusiveRect(ga));
  const TFloatRect& v = g.View.LogicBounds;
  const int every = g.Markers;

  QVector<QPoint> run;
  QVector<QLine> markers;
  QVector<QPoint> centres;
  std::array<QVector<QPoint>, 10> outlines;
  for (int s = 0; s < 10; ++s) outlines[static_cast<std::size_t>(s)] = MarkerOutline(s, t.area.PixelsPerInch);
  const bool stamp = every > 0 && CanStamp(p);

  int ordinal = 0;
  for (int i = 0; i < g.LineCount(); ++i) {
    const TLine& line = g.Lines(i);
    if (!line.Active) continue;
    if (line.Visible && !line.Data.empty()) {
      const QColor colour = LineColor(ordinal);
      // Mitred joins: round ones look the same on data curves but make wide pens twice
      // as slow to stroke (an arc at every point).
      QPen pen(colour, t.curveWidth, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
      p.setPen(pen);
      p.setBrush(colour);
      const QVector<QPoint>& outline = outlines[static_cast<std::size_t>(i % 10)];
      run.clear();
      markers.clear();
      centres.clear();
      QPoint lastMarker(std::numeric_limits<int>::min(), 0);
      auto flush = [&] {
        if (run.size() >= 2) p.drawPolyline(run.constData(), static_cast<int>(run.size()));
        run.clear();
      };
      for (std::size_t j = 0; j < line.Data.size(); ++j) {
        const TFloatPoint pt = line.Data[j];
        if (!Finite(pt)) {
          // A point that cannot be placed breaks the curve.
          flush();
          continue;
        }
        const QPoint px = ToPixel(ga, v, g.XOnTop, pt);
        if (run.isEmpty() || run.back() != px) run.append(px);
        if (every > 0 && j % static_cast<std::size_t>(every) == 0 && px != lastMarker) {
          if (stamp)
            centres.append(px);
          else
            AddMarker(markers, outline, px);
          lastMarker = px;
        }
      }
      flush();
      if (!markers.isEmpty()) p.drawLines(markers.constData(), static_cast<int>(markers.size()));
      if (!centres.isEmpty()) {
        const MarkerStamp m = MakeStamp(outline, pen);
        for (QPoint c : centres) p.drawImage(c - m.centre, m.image);
      }
    }
    ++ordinal;
  }
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.setClipRect(t.area.Bounds.ToQRect());
}

// The names of the printed legend box: the visible active curves, with their legend index
// (the position among the active curves, which gives colour and marker).
struct LegendEntry {
  int index;
  QString name;
};

std::vector<LegendEntry> PrintedLegendEntries(const TGraphPlot& g) {
  std::vector<LegendEntry> entries;
  int entry = 0;
  for (int i = 0; i < g.LineCount(); ++i) {
    const TLine& line = g.Lines(i);
    if (!line.Active) continue;
    if (line.Visible) entries.push_back({entry, QString::fromStdString(g.LineName(i))});
    ++entry;
  }
  return entries;
}

// The box around the entries: the widest name plus 3/16 inch, one line and 1/32 inch per
// entry plus 1/32 inch.
QSize LegendBoxSize(const std::vector<LegendEntry>& entries, const QFontMetrics& fm, QPoint ppi) {
  int widest = 0;
  for (const LegendEntry& e : entries)
    widest = std::max({widest, fm.horizontalAdvance(e.name), fm.boundingRect(e.name).right() + 1});
  const int n = static_cast<int>(entries.size());
  return QSize(widest + 3 * ppi.x() / 16, n * (ppi.y() / 32 + fm.height()) + ppi.y() / 32);
}

// The box at the user's place (or where it hides no curve), kept inside the target.
QRect PlaceLegendBox(const TDrawArea& a, const TGraphPlot& g, QSize size) {
  const QPointF place = FreeLegendPlace(a, g, size, a.LegendPlace);
  const QPoint c = LegendCorner(a, size, place);
  const TPixelRect& b = a.Bounds;
  return QRect(QPoint(KeepWithin(c.x(), size.width(), b.Left, b.Right),
                      KeepWithin(c.y(), size.height(), b.Top, b.Bottom)),
               size);
}

int BaseFontHeight(const QPainter& p, const TDrawArea& area) {
  if (area.FontHeight > 0) return area.FontHeight;
  return p.device() ? FontPixelHeight(p.font(), *p.device()) : 0;
}

void DrawLegend(Target& t) {
  QPainter& p = t.p;
  const TGraphPlot& g = t.graph;
  const TDrawArea& a = t.area;
  if (t.h > 0) p.setFont(PlotFont(t.h, false));
  const QFontMetrics fm = p.fontMetrics();
  const std::vector<LegendEntry> entries = PrintedLegendEntries(g);
  if (entries.empty()) return;  // nothing to explain
  const int ht = fm.height();
  const QRect box = PlaceLegendBox(a, g, LegendBoxSize(entries, fm, a.PixelsPerInch));
  const int x0 = box.left(), y0 = box.top();

  p.setPen(QPen(Qt::black, FrameWidth(t.ppx)));
  p.setBrush(Qt::white);
  RectangleTo(p, x0, y0, x0 + box.width(), y0 + box.height());

  const int x = x0 + t.ppx / 16;
  int y = y0 + t.ppy / 32;
  const QPen markerPen(Qt::black, t.curveWidth, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
  for (const LegendEntry& e : entries) {
    p.setPen(markerPen);
    p.setBrush(Qt::NoBrush);
    const QVector<QPoint> outline = MarkerOutline(e.index, a.PixelsPerInch);
    QVector<QLine> lines;
    AddMarker(lines, outline, QPoint(x, y + ht / 2));
    p.drawLines(lines);
    if (t.h > 0) {
      p.setPen(LineColor(e.index));
      TextAt(p, x + t.ppx / 16, y, e.name);
    }
    y += t.ppy / 32 + ht;
  }
  p.setPen(Qt::black);
}

void DrawLayers(Target& t) {
  QPainter& p = t.p;
  const TGraphPlot& g = t.graph;
  const TPixelRect& la = t.area.LayersArea;
  const int n = g.LayerLineCount();
  if (n == 0) return;
  for (int i = 0; i < n; ++i)
    if (g.LayerLines(i).Count() < 1) return;
  if (la.Width() <= 0 || la.Height() <= 0) return;

  p.setClipRect(la.ToQRect());
  const TFloatRect& v = g.View.LogicBounds;
  const TPixelRect& ga = t.area.GraphArea;
  const bool printer = t.area.PrintLegend && !t.area.MessedUp;
  if (t.H > 0) p.setFont(PlotFont(t.H, false));
  const QFontMetrics fm = p.fontMetrics();

  int top = ToPixel(ga, v, g.XOnTop, {v.Left, g.LayersTop}).y();
  for (int i = 0; i < n; ++i) {
    const TFloatPoint pt = g.LayerData(i, 0);
    const int yb = ToPixel(ga, v, g.XOnTop, {v.Left, pt.y}).y();
    const int code = std::isfinite(pt.x) && std::fabs(pt.x) < 1e6 ? static_cast<int>(std::lround(pt.x)) : 0;
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(LayerBrush(code, printer));
    // Hatches and patterns on white, as on the rest of the page.
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(Qt::white);
    RectangleTo(p, la.Left, top, la.Right - 1, i + 1 < n ? yb + 1 : yb);

    // The name is centred on the part of the layer the column shows, so that a thick
    // layer below the end of the depth axis (or above a zoomed view) still shows it.
    const QString name = QString::fromStdString(g.LayerLines(i).LineName(g.CurveName));
    const int shownTop = std::max(std::min(top, yb), la.Top);
    const int shownBottom = std::min(std::max(top, yb), la.Bottom);
    if (t.H > 0 && !name.isEmpty() && shownBottom > shownTop) {
      p.setPen(Qt::black);
      TextAt(p, (la.Left + la.Right - fm.horizontalAdvance(name)) / 2,
             (shownTop + shownBottom - fm.height()) / 2, name);
    }
    p.setBackgroundMode(Qt::TransparentMode);
    top = yb;
  }
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.setClipRect(t.area.Bounds.ToQRect());
}

bool UsableBounds(const TFloatRect& b) {
  return std::isfinite(b.Left) && std::isfinite(b.Right) && std::isfinite(b.Top) &&
         std::isfinite(b.Bottom) && b.Left != b.Right && b.Top != b.Bottom;
}

}  // namespace

// ---- Colours, fonts, markers and patterns ------------------------------------------------

QColor ReadableOnWhite(QRgb rgb) {
  // Lightness as the eye sees it; silver (0.75), yellow (0.89), aqua (0.70) and lime (0.59)
  // are scaled down to 0.5, where a thin line on white still reads clearly.
  constexpr double kMaxLuma = 0.5;
  const double luma = (0.299 * qRed(rgb) + 0.587 * qGreen(rgb) + 0.114 * qBlue(rgb)) / 255.0;
  if (luma <= kMaxLuma) return QColor::fromRgb(rgb);
  const double f = kMaxLuma / luma;
  const auto scale = [f](int c) { return static_cast<int>(std::lround(c * f)); };
  return QColor(scale(qRed(rgb)), scale(qGreen(rgb)), scale(qBlue(rgb)));
}

QColor LineColor(int ordinal) {
  const int i = ((ordinal % kLineColorCount) + kLineColorCount) % kLineColorCount;
  return ReadableOnWhite(kLineColors[static_cast<std::size_t>(i)]);
}

int ColorOrdinal(const TGraphPlot& graph, int curve) {
  if (curve < 0 || curve >= graph.LineCount() || !graph.Lines(curve).Active) return -1;
  int ordinal = 0;
  for (int i = 0; i < curve; ++i)
    if (graph.Lines(i).Active) ++ordinal;
  return ordinal;
}

void ActivateCurves(TGraphPlot& graph) {
  for (int i = 0; i < graph.LineCount(); ++i)
    graph.Lines(i).Active = !graph.LimitActive || i < kActiveLimit;
}

QString PlotFontFamily() {
  // The font database needs the application object; without one the generic name is
  // left to the platform.
  if (QGuiApplication::instance() == nullptr) return QStringLiteral("serif");
  static const QString family = [] {
    const QStringList installed = QFontDatabase::families();
    for (const QString& name : {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")})
      if (installed.contains(name, Qt::CaseInsensitive)) return name;
    QFont probe(QStringLiteral("serif"));
    probe.setStyleHint(QFont::Serif);
    return QFontInfo(probe).family();
  }();
  return family;
}

QFont PlotFont(int pixelHeight, bool bold) {
  QFont font(PlotFontFamily());
  font.setStyleHint(QFont::Serif);
  font.setPixelSize(std::max(1, pixelHeight));
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  return font;
}

int DeviceFontHeight(const QPaintDevice& device) {
  return FontPixelHeight(QGuiApplication::font(), device);
}

int ScaledTextHeight(int baseHeight, int sizeFont) {
  return std::abs(static_cast<int>(static_cast<long long>(baseHeight) * sizeFont / 10));
}

int MarkerShape(int index) {
  return ((index % 10) + 10) % 10 + 1;
}

QVector<QPoint> MarkerOutline(int index, QPoint pixelsPerInch) {
  const int s = MarkerShape(index);
  QVector<double> angles;
  if (s == 1) {
    angles = {180.0, 300.0, 60.0, 180.0};  // triangle pointing down
  } else if (s == 2) {
    angles = {45.0, 135.0, 225.0, 315.0, 45.0};  // upright square
  } else {
    for (int k = 0; k <= s; ++k) angles.append(360.0 * (k % s) / s);
  }
  const double rx = pixelsPerInch.x() / 32.0, ry = pixelsPerInch.y() / 32.0;
  QVector<QPoint> outline;
  outline.reserve(angles.size());
  for (double deg : angles) {
    const double theta = deg * std::numbers::pi / 180.0;
    outline.append(QPoint(static_cast<int>(std::nearbyint(std::sin(theta) * rx)),
                          -static_cast<int>(std::nearbyint(std::cos(theta) * ry))));
  }
  return outline;
}

QImage SoilPattern(int code, bool printer) {
  if (code < 7 || code > 12) return {};
  // Drawn once per kind; QImage copies share the pixels.
  static const std::array<QImage, 6> screen = [] {
    std::array<QImage, 6> a;
    for (int c = 7; c <= 12; ++c) a[static_cast<std::size_t>(c - 7)] = MakePattern(c, false);
    return a;
  }();
  static const std::array<QImage, 6> print = [] {
    std::array<QImage, 6> a;
    for (int c = 7; c <= 12; ++c) a[static_cast<std::size_t>(c - 7)] = MakePattern(c, true);
    return a;
  }();
  return (printer ? print : screen)[static_cast<std::size_t>(code - 7)];
}

QBrush LayerBrush(int code, bool printer) {
  switch (code) {
    case 1: return QBrush(Qt::black, Qt::BDiagPattern);
    case 2: return QBrush(Qt::black, Qt::FDiagPattern);
    case 3: return QBrush(Qt::black, Qt::CrossPattern);
    case 4: return QBrush(Qt::black, Qt::DiagCrossPattern);
    case 5: return QBrush(Qt::black, Qt::HorPattern);
    case 6: return QBrush(Qt::black, Qt::VerPattern);
    default: break;
  }
  if (code >= 7 && code <= 12) return QBrush(SoilPattern(code, printer));
  return QBrush(Qt::NoBrush);
}

// ---- Layout --------------------------------------------------------------------------------

namespace {

void LayoutLayers(TDrawArea& a, const TGraphPlot& graph) {
  if (!graph.ShowLayers) {
    a.LayersArea = {};
    return;
  }
  const int ppx = a.PixelsPerInch.x();
  const int r = a.GraphArea.Right;
  a.GraphArea.Right = r - ppx;
  a.LayersArea = {r - ppx + ppx / 5, a.GraphArea.Top, r, a.GraphArea.Bottom};
}

}  // namespace

TDrawArea LayoutWindow(int width, int height, QPoint pixelsPerInch, int baseFontHeight,
                       const TGraphPlot& graph) {
  TDrawArea a;
  a.PixelsPerInch = pixelsPerInch;
  a.FontHeight = baseFontHeight;
  const int h = ScaledTextHeight(baseFontHeight, graph.SizeFont);
  const int ppx = pixelsPerInch.x(), ppy = pixelsPerInch.y();
  a.Bounds = {0, 0, width, height};
  TPixelRect& g = a.GraphArea;
  g.Left = 2 * h + ppx / 8 + h / 8;
  g.Right = width - ppx / 4 - h / 2;
  if (graph.XOnTop) {
    g.Top = 2 * h + ppy / 8 + h / 8;
    g.Bottom = height - ppy / 4 - h / 2;
  } else {
    g.Top = h / 2 + ppy / 4;
    g.Bottom = height - 2 * h - ppy / 8 - h / 8;
  }
  if (!graph.UserCaption.empty()) {
    if (graph.UserCaptionOnTop)
      g.Top += h / 8 + h;
    else
      g.Bottom -= h;
  }
  LayoutLayers(a, graph);
  return a;
}

void LayoutPage(TDrawArea& a, const TGraphPlot& graph) {
  const int h = ScaledTextHeight(a.FontHeight, graph.SizeFont);
  const int ppx = a.PixelsPerInch.x(), ppy = a.PixelsPerInch.y();
  const TPixelRect& b = a.Bounds;
  TPixelRect& g = a.GraphArea;
  const int room = 2 * h + ppx / 8 + h / 8;
  g.Left = b.Left + room;
  // Half a tick label beyond the last tick, as in the window.
  g.Right = b.Right - ppx / 4 - h / 2;
  if (graph.XOnTop) {
    g.Top = b.Top + room;
    g.Bottom = b.Bottom - ppy / 4 - h / 2;
  } else {
    g.Top = b.Top + h / 2 + ppy / 4;
    g.Bottom = b.Bottom - room;
  }
  if (!graph.UserCaption.empty()) {
    if (graph.UserCaptionOnTop)
      g.Top += ppy / 4;
    else
      g.Bottom -= ppy / 2;
  }
  LayoutLayers(a, graph);
}

TDrawArea PageArea(const QPaintDevice& page, const TGraphPlot& graph) {
  TDrawArea a;
  a.Bounds = {0, 0, page.width(), page.height()};
  a.PixelsPerInch = QPoint(page.logicalDpiX(), page.logicalDpiY());
  a.FontHeight = DeviceFontHeight(page);
  LayoutPage(a, graph);
  a.MessedUp = false;
  a.PrintLegend = true;
  return a;
}

// ---- Legend placement --------------------------------------------------------------------------

namespace {

// The graph area less the legend inset: where a legend inside the graph goes.
QRect LegendRoom(const TDrawArea& a) {
  const TPixelRect& g = a.GraphArea;
  const int inset = LegendInset(a.PixelsPerInch);
  return QRect(QPoint(g.Left + inset, g.Top + inset), QPoint(g.Right - inset, g.Bottom - inset));
}

// Whether the segment p-q passes through `r` (inclusive edges): Liang-Barsky clipping.
bool SegmentMeetsRect(QPointF p, QPointF q, const QRectF& r) {
  double t0 = 0.0, t1 = 1.0;
  const double dx = q.x() - p.x(), dy = q.y() - p.y();
  const double edges[4][2] = {{-dx, p.x() - r.left()},
                              {dx, r.right() - p.x()},
                              {-dy, p.y() - r.top()},
                              {dy, r.bottom() - p.y()}};
  for (const auto& e : edges) {
    const double num = e[1], den = e[0];
    if (den == 0.0) {
      if (num < 0.0) return false;
      continue;
    }
    const double t = num / den;
    if (den < 0.0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
  }
  return t0 <= t1;
}

}  // namespace

int LegendInset(QPoint pixelsPerInch) {
  return pixelsPerInch.y() / 16 + FrameWidth(pixelsPerInch.x()) + 1;
}

QPoint LegendCorner(const TDrawArea& area, QSize size, QPointF place) {
  const QRect room = LegendRoom(area);
  const auto at = [](int from, int free, double f) {
    if (!std::isfinite(f)) f = 0.0;
    return from + static_cast<int>(std::lround(std::clamp(f, -1e3, 1e3) * std::max(0, free)));
  };
  return QPoint(at(room.left(), room.width() - size.width(), place.x()),
                at(room.top(), room.height() - size.height(), place.y()));
}

QPointF LegendPlaceOf(const TDrawArea& area, QSize size, QPoint corner) {
  const QRect room = LegendRoom(area);
  const auto fraction = [](int from, int free, int pos) {
    return free > 0 ? static_cast<double>(pos - from) / free : 0.0;
  };
  return QPointF(fraction(room.left(), room.width() - size.width(), corner.x()),
                 fraction(room.top(), room.height() - size.height(), corner.y()));
}

int HiddenCurvePieces(const TDrawArea& area, const TGraphPlot& g, const QRect& rect) {
  const TPixelRect& ga = area.GraphArea;
  const TFloatRect& v = g.View.LogicBounds;
  // Markers reach 1/32 inch around their point, and lines are as wide as their pen.
  const double reach = area.PixelsPerInch.x() / 32.0 + 2.0;
  const QRectF r = QRectF(rect).adjusted(-reach, -reach, reach, reach);
  const QRectF graph(QPointF(ga.Left, ga.Top), QPointF(ga.Right, ga.Bottom));
  int hidden = 0;
  for (int i = 0; i < g.LineCount(); ++i) {
    const TLine& line = g.Lines(i);
    if (!line.Active || !line.Visible) continue;
    std::optional<QPointF> last;
    for (const TFloatPoint& pt : line.Data) {
      if (!Finite(pt)) {
        last.reset();
        continue;
      }
      const QPointF px = ToPixel(ga, v, g.XOnTop, pt);
      // Only what the graph area shows counts (curves are clipped to it).
      if (last ? SegmentMeetsRect(*last, px, r) && SegmentMeetsRect(*last, px, graph)
               : r.contains(px) && graph.contains(px))
        ++hidden;
      last = px;
    }
  }
  return hidden;
}

QPointF FreeLegendPlace(const TDrawArea& area, const TGraphPlot& graph, QSize size,
                        std::optional<QPointF> near) {
  const auto hidden = [&](QPointF place) {
    return HiddenCurvePieces(area, graph, QRect(LegendCorner(area, size, place), size));
  };
  if (near) {
    if (hidden(*near) == 0) return *near;
    // The free place whose corner lies closest to the user's.
    constexpr int kSteps = 12;
    const QPoint from = LegendCorner(area, size, *near);
    std::optional<QPointF> best;
    double bestDistance = 0.0;
    for (int j = 0; j <= kSteps; ++j) {
      for (int i = 0; i <= kSteps; ++i) {
        const QPointF place(double(i) / kSteps, double(j) / kSteps);
        const QPoint d = LegendCorner(area, size, place) - from;
        const double distance = std::hypot(double(d.x()), double(d.y()));
        if (best && distance >= bestDistance) continue;
        if (hidden(place) == 0) {
          best = place;
          bestDistance = distance;
        }
      }
    }
    return best ? *best : *near;
  }
  std::vector<QPointF> places = {{1, 1}, {1, 0}, {0, 1}, {0, 0}};
  constexpr int kSteps = 6;
  for (int j = 0; j <= kSteps; ++j)
    for (int i = kSteps; i >= 0; --i) places.emplace_back(double(i) / kSteps, double(j) / kSteps);
  QPointF best = places.front();
  int fewest = std::numeric_limits<int>::max();
  for (QPointF place : places) {
    const int n = hidden(place);
    if (n < fewest) {
      fewest = n;
      best = place;
      if (n == 0) break;
    }
  }
  return best;
}

QRect PrintedLegendRect(QPainter& painter, TGraphPlot& graph, const TDrawArea& area) {
  const int h = ScaledTextHeight(BaseFontHeight(painter, area), graph.SizeFont);
  const QFont font = h > 0 ? PlotFont(h, false) : painter.font();
  const QFontMetrics fm(font, painter.device());
  if (!UsableBounds(graph.View.LogicBounds)) ResetView(graph);
  return PlaceLegendBox(area, graph,
                        LegendBoxSize(PrintedLegendEntries(graph), fm, area.PixelsPerInch));
}

// ---- Bounds and zooming ----------------------------------------------------------------------

double RoundOut(double v) {
  return v > 0.0 ? std::ceil(v) : std::floor(v);
}

double AxisStep(double range) {
  if (!(range > 0.0) || !std::isfinite(range)) return 0.0;
  const double decade = std::floor(std::log10(range));
  const double step = std::pow(10.0, decade);
  if (!(step > 0.0) || !std::isfinite(step)) return 0.0;
  // Fractional part of log10(range) below log10(3), i.e. the mantissa below 3; the
  // comparison on the mantissa keeps exact multiples of 3 (0.3, 300) on the upper side.
  return range / step < 3.0 * (1.0 - 1e-12) ? step / 10.0 : step;
}

std::optional<TFloatRect> ComputeBounds(const TGraphPlot& graph) {
  TFloatRect b;
  // Elevations lie far from 0: their range starts at the first point instead of the origin,
  // so that the shaft's depth fills the axis.
  bool first = graph.YSpansData;
  for (int i = 0; i < graph.LineCount(); ++i) {
    for (const TFloatPoint& pt : graph.Lines(i).Data) {
      if (!Finite(pt)) continue;
      if (first) {
        b.Top = b.Bottom = pt.y;
        first = false;
      }
      if (pt.x < b.Left)
        b.Left = pt.x;
      else if (pt.x > b.Right)
        b.Right = pt.x;
      if (pt.y < b.Top)
        b.Top = pt.y;
      else if (pt.y > b.Bottom)
        b.Bottom = pt.y;
    }
  }
  if (ScaleAxis(b.Top, b.Bottom, graph.YSpansData) == 0.0) return std::nullopt;
  if (graph.Yreversed) std::swap(b.Top, b.Bottom);
  ScaleAxis(b.Left, b.Right, false);
  return b;
}

bool ResetView(TGraphPlot& graph) {
  const std::optional<TFloatRect> b = ComputeBounds(graph);
  if (!b) return false;
  graph.View.LogicBounds = *b;
  graph.View.MaxLogicBounds = *b;
  return true;
}

TFloatRect ZoomToBox(const TFloatRect& full, TFloatPoint a, TFloatPoint b) {
  TFloatRect r;
  ZoomAxis(a.x, b.x, std::min(full.Left, full.Right), std::max(full.Left, full.Right), r.Left,
           r.Right);
  double lo = 0.0, hi = 0.0;
  ZoomAxis(a.y, b.y, std::min(full.Top, full.Bottom), std::max(full.Top, full.Bottom), lo, hi);
  const bool reversed = full.Top > full.Bottom;
  r.Top = reversed ? hi : lo;
  r.Bottom = reversed ? lo : hi;
  return r;
}

TFloatRect ZoomOutAt(const TFloatRect& full, const TFloatRect& current, TFloatPoint at) {
  TFloatRect r;
  r.Left = std::min(current.Left, current.Right);
  r.Right = std::max(current.Left, current.Right);
  ZoomOutAxis(at.x, std::min(full.Left, full.Right), std::max(full.Left, full.Right), r.Left,
              r.Right);
  double lo = std::min(current.Top, current.Bottom), hi = std::max(current.Top, current.Bottom);
  ZoomOutAxis(at.y, std::min(full.Top, full.Bottom), std::max(full.Top, full.Bottom), lo, hi);
  const bool reversed = full.Top > full.Bottom;
  r.Top = reversed ? hi : lo;
  r.Bottom = reversed ? lo : hi;
  return r;
}

// ---- Ticks and mapping -----------------------------------------------------------------------

double MajorSpacing(double raw) {
  if (!(raw > 0.0) || !std::isfinite(raw)) return 0.0;
  const double e = std::pow(10.0, std::floor(std::log10(raw)));
  if (!(e > 0.0) || !std::isfinite(e)) return 0.0;
  // The first digit; a quotient a hair below a whole number (0.09 / 0.01) counts as it.
  const double f = std::trunc(raw / e + 1e-9);
  if (f < 2.0) return e;
  if (f < 5.0) return 2.0 * e;
  if (f < 9.0) return 5.0 * e;
  return 10.0 * e;
}

TMarks ComputeMarks(const TPixelRect& graphArea, int h, const TFloatRect& bounds,
                    [[maybe_unused]] bool yreversed) {
  TMarks m;
  if (h <= 0) return m;
  const long long nx = std::abs(static_cast<long long>(graphArea.Width())) / (6LL * h);
  const long long ny = std::abs(static_cast<long long>(graphArea.Height())) / (6LL * h);
  if (nx == 0 || ny == 0) return m;
  // Bottom - Top, or Top - Bottom on a reversed axis: the span either way, so that a view
  // whose orientation disagrees with the flag still gets ticks.
  const double yrange = std::fabs(bounds.Bottom - bounds.Top);
  const double sx = MajorSpacing((bounds.Right - bounds.Left) / static_cast<double>(nx)) / 5.0;
  const double sy = MajorSpacing(yrange / static_cast<double>(ny)) / 5.0;
  if (!(sx > 0.0) || !(sy > 0.0)) return m;

  const double ylo = std::min(bounds.Top, bounds.Bottom), yhi = std::max(bounds.Top, bounds.Bottom);
  for (double q : {bounds.Left / sx, bounds.Right / sx, ylo / sy, yhi / sy})
    if (!(std::fabs(q) < kTickIndexLimit)) return m;

  m.Any = true;
  m.MarkSpacing = {sx, sy};
  m.Start = {FirstTick(bounds.Left, sx), FirstTick(ylo, sy)};
  m.Finish = {LastTick(bounds.Right, sx), LastTick(yhi, sy)};
  return m;
}

QPoint ToPixel(const TPixelRect& ga, const TFloatRect& b, bool xOnTop, TFloatPoint value) {
  const auto fraction = [](double v, double from, double to) {
    const double span = to - from;
    if (!std::isfinite(v) || !std::isfinite(span) || span == 0.0) return 0.0;
    const double f = (v - from) / span;
    return std::isfinite(f) ? f : 0.0;
  };
  const int px = ga.Left + RoundPixel(fraction(value.x, b.Left, b.Right) * ga.Width());
  const int d = RoundPixel(fraction(value.y, b.Top, b.Bottom) * ga.Height());
  return QPoint(px, xOnTop ? ga.Top + d : ga.Bottom - d);
}

TFloatPoint ToValue(const TPixelRect& ga, const TFloatRect& b, bool xOnTop, QPoint pixel) {
  if (pixel.x() < ga.Left || pixel.x() > ga.Right || ga.Width() == 0) return {};
  TFloatPoint v;
  v.x = b.Left + static_cast<double>(pixel.x() - ga.Left) / ga.Width() * (b.Right - b.Left);
  if (ga.Height() == 0) {
    v.y = b.Top;
  } else {
    const int d = xOnTop ? pixel.y() - ga.Top : ga.Bottom - pixel.y();
    v.y = b.Top + static_cast<double>(d) / ga.Height() * (b.Bottom - b.Top);
  }
  return v;
}

QPoint ToPixel(const TDrawArea& area, const TGraphPlot& graph, TFloatPoint value) {
  return ToPixel(area.GraphArea, graph.View.LogicBounds, graph.XOnTop, value);
}

TFloatPoint ToValue(const TDrawArea& area, const TGraphPlot& graph, QPoint pixel) {
  return ToValue(area.GraphArea, graph.View.LogicBounds, graph.XOnTop, pixel);
}

bool InGraphArea(const TDrawArea& area, QPoint pixel) {
  return area.GraphArea.Contains(pixel);
}

QPoint ClampToGraphArea(const TDrawArea& area, QPoint pixel) {
  const TPixelRect& g = area.GraphArea;
  const int x = std::max(std::min(g.Left, g.Right), std::min(pixel.x(), std::max(g.Left, g.Right)));
  const int y = std::max(std::min(g.Top, g.Bottom), std::min(pixel.y(), std::max(g.Top, g.Bottom)));
  return QPoint(x, y);
}

// ---- Drawing -----------------------------------------------------------------------------

void DrawPlot(QPainter& painter, TGraphPlot& graph, const TDrawArea& area) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setClipping(false);

  Target t{painter, graph, area};
  t.ppx = area.PixelsPerInch.x();
  t.ppy = area.PixelsPerInch.y();
  t.H = BaseFontHeight(painter, area);
  t.h = ScaledTextHeight(t.H, graph.SizeFont);

  // Background.
  const QRect bounds = area.Bounds.ToQRect();
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  if (bounds.isValid()) painter.fillRect(bounds, Qt::white);
  const long long width = (static_cast<long long>(std::nearbyint(t.ppx / 300.0)) + 1) * graph.WidthLine;
  t.curveWidth = static_cast<int>(std::clamp(width, 1LL, 1000LL));

  if (area.Bounds.Width() < t.ppx || area.Bounds.Height() < t.ppy || !bounds.isValid()) {
    painter.restore();
    return;
  }
  painter.setClipRect(bounds);

  if (!UsableBounds(graph.View.LogicBounds)) ResetView(graph);

  DrawCaptions(t);
  graph.View.Marks = ComputeMarks(area.GraphArea, t.h, graph.View.LogicBounds, graph.Yreversed);
  DrawMarks(t, graph.View.Marks);
  DrawLines(t);
  if (area.PrintLegend) DrawLegend(t);
  if (graph.ShowLayers) DrawLayers(t);

  painter.setClipRect(bounds);
  painter.setPen(QPen(Qt::black, FrameWidth(t.ppx), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.setBrush(Qt::NoBrush);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  const TPixelRect& ga = area.GraphArea;
  if (ga.Width() >= 0 && ga.Height() >= 0)
    painter.drawRect(QRect(ga.Left, ga.Top, ga.Width(), ga.Height()));
  painter.restore();
}

}  // namespace korva::results
