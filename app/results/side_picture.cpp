#include "side_picture.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

#include "evaluator.h"
#include "graph_painter.h"
#include "program_data.h"
#include "project_tables.h"

namespace korva::results {

namespace {

// The bell angle is converted with this value of pi, as the view has always drawn it.
constexpr double kPi = 3.1416;

QString Num(double v) { return QString::fromStdString(project::FormatGeneral(v, 15)); }

int RoundI(double v) { return static_cast<int>(std::lround(v)); }

bool Finite(double v) { return std::isfinite(v); }

QString DepthPrefix(const TSideLayer& layer) {
  return QStringLiteral("depth= %1 - %2; ").arg(Num(layer.DepthTop), Num(layer.DepthBottom));
}

}  // namespace

// ---- Geometry -----------------------------------------------------------------------------

TSideGeometry BuildSideGeometry(project::Project& project) {
  TSideGeometry g;
  const project::TGridTable& D = project.tables.D;
  if (D.RowCount() <= 0) return g;

  double top = 0.0;
  for (int r = 0; r < D.RowCount(); ++r) {
    TSideLayer layer;
    layer.Code = D.GetIntValue(project::kColSoilType, r);
    layer.DepthTop = top;
    layer.DepthBottom = D.GetFloatValue(project::kColDepthBottom, r);
    top = layer.DepthBottom;
    g.Layers.push_back(layer);
  }
  const double lastDepth = g.Layers.back().DepthBottom;

  project::TProgramData& data = project.data;
  if (data.PD < 0.0001) data.PD = lastDepth;

  const double d = data.DSTART;
  g.Diameter = d;
  const double shaftBottom = data.PD + 2.0 * d;
  g.Data.push_back({{-d / 2, 0.0}, {d / 2, 0.0}, {-d / 2, shaftBottom}, {d / 2, shaftBottom}});

  if (data.BELANGL > 0) {
    const double e = (data.RATIO - 1.0) * d / 2.0;
    const double a = data.BELANGL * kPi / 180.0;
    g.HasBell = true;
    g.BellStart = shaftBottom - e * std::cos(a) / std::sin(a);
    g.BellEnd = shaftBottom;
    const double half = data.RATIO * d / 2.0;
    g.Data.push_back({{-d / 2, g.BellStart}, {d / 2, g.BellStart}, {-half, g.BellEnd}, {half, g.BellEnd}});
  }

  const TSideQuad& first = g.Data.front();
  g.DLeft = first.TopLeft.x;
  g.DRight = first.TopRight.x;
  g.DTop = first.TopLeft.y;
  g.DBottom = first.BottomLeft.y;
  for (const TSideQuad& q : g.Data) {
    g.DLeft = std::min({g.DLeft, q.TopLeft.x, q.BottomLeft.x});
    g.DRight = std::max({g.DRight, q.TopRight.x, q.BottomRight.x});
    g.DTop = std::min({g.DTop, q.TopLeft.y, q.TopRight.y});
    g.DBottom = std::max({g.DBottom, q.BottomLeft.y, q.BottomRight.y});
  }
  // The drawing reaches down to the last layer's lower boundary, so that it is seen.
  if (lastDepth + 2.0 * d > g.DBottom) g.DBottom = lastDepth + 2.0 * d;
  return g;
}

TSideExtent FitSideExtent(const TSideGeometry& g, int width, int height) {
  TSideExtent x{g.DLeft, g.DRight, g.DTop, g.DBottom, false, 1.0};
  const double dw = g.DRight - g.DLeft;
  const double dh = g.DBottom - g.DTop;
  if (width <= 0 || height <= 0 || !Finite(dw) || !Finite(dh) || dw <= 0 || dh <= 0) {
    x.NoDraw = true;
    return x;
  }
  const double r = (static_cast<double>(width) / height) / (dw / dh);
  if (!Finite(r) || r <= 0) {
    x.NoDraw = true;
    return x;
  }
  x.Scale = r;
  if (r >= 1) {
    x.Left *= r;
    x.Right *= r;
  } else {
    x.Top /= r;
    x.Bottom /= r;
  }
  if (!Finite(x.Left) || !Finite(x.Right) || !Finite(x.Top) || !Finite(x.Bottom) ||
      x.Right <= x.Left || x.Bottom <= x.Top)
    x.NoDraw = true;
  return x;
}

bool SideLabelBelowTop(int code) { return code == 1 || code == 2 || code == 8 || code == 9; }

QString SideLayerLabel(const TSideLayer& layer, bool page) {
  QString name;
  switch (layer.Code) {
    case 1: name = QStringLiteral("Sand"); break;
    case 2: name = QStringLiteral("Clay"); break;
    case 3: name = QStringLiteral("Shale"); break;
    case 4:
    case 7: name = QStringLiteral("Strong Rock"); break;
    case 5: name = QStringLiteral("Decomposed Rock"); break;
    case 6: name = page ? QStringLiteral("Soft Rock") : QStringLiteral("Weak Rock"); break;
    case 8: name = QStringLiteral("Gravelly Sand"); break;
    case 9: name = QStringLiteral("Gravel"); break;
    default: return QString();
  }
  return DepthPrefix(layer) + name;
}

TSideOptions SideOptions(const project::Project& project, bool page) {
  TSideOptions o;
  const project::TProgramData& d = project.data;
  o.Page = page;
  o.UseElevation = d.UseElevation == 1;
  o.ValElevation = d.ValElevation;
  o.WaterDepth = d.WTD;
  o.SI = d.Units() == 2;
  o.Title = QString::fromStdString(d.Title);
  return o;
}

// ---- The picture --------------------------------------------------------------------------

namespace {

// Light tints by soil type, dark enough to tell the bands apart, light enough for black text.
QColor SoilColor(int code) {
  switch (code) {
    case 1: return QColor(0xf4, 0xe4, 0xa8);  // sand
    case 2: return QColor(0xd9, 0xc4, 0xa0);  // clay
    case 3: return QColor(0xc9, 0xcc, 0xd6);  // shale
    case 4:
    case 7: return QColor(0xbd, 0xbd, 0xc2);  // strong rock
    case 5: return QColor(0xdc, 0xcf, 0xbc);  // decomposed rock
    case 6: return QColor(0xd3, 0xda, 0xe0);  // weak rock
    case 8: return QColor(0xec, 0xd8, 0x9c);  // gravelly sand
    case 9: return QColor(0xe2, 0xd2, 0xb4);  // gravel
    default: return QColor(0xee, 0xee, 0xee);
  }
}

const QColor kWater(0x1f, 0x5f, 0xc8);
const QColor kFrame(0x40, 0x40, 0x40);

// The ticks of the vertical axis between depth 0 (the ground) and `bottom`, with at least
// `minRows` pixels between them. With elevations the ticks fall on round elevations.
std::vector<TSideTick> AxisTicks(const TSideOptions& o, double bottom, double rowsPerUnit,
                                 int minRows, const std::function<int(double)>& rowOf) {
  std::vector<TSideTick> ticks;
  if (!(bottom > 0) || !(rowsPerUnit > 0) || !Finite(bottom)) return ticks;
  const double step = MajorSpacing(minRows / rowsPerUnit);
  if (!(step > 0)) return ticks;
  // Values run from v0 (the ground) to v1 (the bottom); depth = sign * (value - base).
  const double base = o.UseElevation ? o.ValElevation : 0.0;
  const double sign = o.UseElevation ? -1.0 : 1.0;
  const double lo = o.UseElevation ? base - bottom : 0.0;
  const double hi = o.UseElevation ? base : bottom;
  const double slack = step * 1e-9;
  const double first = std::ceil((lo - slack) / step);
  const double last = std::floor((hi + slack) / step);
  if (!Finite(first) || !Finite(last) || last - first > 1000) return ticks;
  for (double k = first; k <= last; k += 1) {
    TSideTick t;
    t.Value = k * step;
    if (std::fabs(t.Value) < slack) t.Value = 0.0;
    t.Depth = sign * (t.Value - base);
    t.Row = rowOf(t.Depth);
    t.Label.Text = Num(t.Value);
    ticks.push_back(t);
  }
  if (o.UseElevation) std::reverse(ticks.begin(), ticks.end());
  return ticks;
}

}  // namespace

QPoint TSidePicture::ToPixel(double x, double y) const {
  const TSideExtent& e = Extent;
  if (Empty() || e.Right <= e.Left || e.Bottom <= e.Top) return QPoint();
  // The extent spans the plot from its first to its last pixel.
  return QPoint(Plot.left() + RoundI((Plot.width() - 1) * (x - e.Left) / (e.Right - e.Left)),
                Plot.top() + RoundI((Plot.height() - 1) * (y - e.Top) / (e.Bottom - e.Top)));
}

std::vector<TSideText> TSidePicture::Texts() const {
  std::vector<TSideText> all = Header;
  for (const TSideTick& t : Ticks) all.push_back(t.Label);
  if (!AxisTitle.Text.isEmpty()) all.push_back(AxisTitle);
  for (const TSideBand& b : Bands) all.insert(all.end(), b.Label.begin(), b.Label.end());
  if (HasWater) all.push_back(WaterLabel);
  return all;
}

TSidePicture LayoutSidePicture(const TSideGeometry& g, const TSideOptions& o, const QRect& area,
                               const QFont& font, QPaintDevice* device) {
  TSidePicture pic;
  pic.Area = area;
  pic.Font = font;
  pic.TitleFont = font;
  pic.TitleFont.setBold(true);
  if (font.pixelSize() > 0)
    pic.TitleFont.setPixelSize(RoundI(font.pixelSize() * 1.4));
  else
    pic.TitleFont.setPointSizeF(font.pointSizeF() * 1.4);
  const QFontMetrics fm(font, device);
  const QFontMetrics tfm(pic.TitleFont, device);
  const int th = fm.height();
  pic.TextHeight = th;
  pic.Line = std::max(1, RoundI(th / 16.0));
  pic.Extent.NoDraw = true;
  if (g.Empty() || area.width() <= 0 || area.height() <= 0) return pic;

  int top = area.top() + th / 2;
  if (o.Page) {
    pic.Header.push_back({QStringLiteral("Soil-Pile Profile"),
                          QRect(area.left(), top, area.width(), tfm.height())});
    top += tfm.height();
    if (!o.Title.trimmed().isEmpty()) {
      pic.Header.push_back({o.Title.trimmed(), QRect(area.left(), top, area.width(), th)});
      top += th;
    }
    top += th;
  }
  const QString unit = o.SI ? QStringLiteral("m") : QStringLiteral("ft");
  pic.AxisTitle.Text =
      (o.UseElevation ? QStringLiteral("Elevation (%1)") : QStringLiteral("Depth (%1)")).arg(unit);

  const double ground = g.GroundY();
  const double bottomDepth = g.DBottom - ground;
  const int tickLength = std::max(3, th / 3);
  // The axis column holds the upright title, the tick labels and the ticks. Its width
  // depends on the labels, which depend on the scale: two passes settle it.
  int labelWidth = fm.horizontalAdvance(QStringLiteral("0000"));
  for (int pass = 0; pass < 2; ++pass) {
    const int axisWidth = th + th / 2 + labelWidth + tickLength + th / 3;
    pic.Plot = QRect(QPoint(area.left() + axisWidth, top),
                     QPoint(area.right() - th, area.bottom() - th));
    if (pic.Plot.width() < 2 * th || pic.Plot.height() < 2 * th) {
      pic.Plot = QRect();
      return pic;
    }
    pic.Extent = FitSideExtent(g, pic.Plot.width() - 1, pic.Plot.height() - 1);
    if (pic.Extent.NoDraw) return pic;
    const double rowsPerUnit = (pic.Plot.height() - 1) / (pic.Extent.Bottom - pic.Extent.Top);
    pic.Ticks = AxisTicks(o, bottomDepth, rowsPerUnit, 3 * th,
                          [&](double z) { return pic.ToPixel(0, z + ground).y(); });
    int widest = 0;
    for (const TSideTick& t : pic.Ticks) widest = std::max(widest, fm.horizontalAdvance(t.Label.Text));
    if (widest <= labelWidth && pass == 0) break;
    labelWidth = std::max(labelWidth, widest);
  }
  const QRect& plot = pic.Plot;
  for (TSideTick& t : pic.Ticks)
    t.Label.Rect = QRect(plot.left() - tickLength - th / 4 - labelWidth, t.Row - th / 2,
                         labelWidth, th);
  // The axis title, upright, centred along the drawing's depth range.
  const int axisTop = pic.ToPixel(0, 0).y();
  const int axisBottom = pic.ToPixel(0, g.DBottom).y();
  pic.AxisTitle.Rect = QRect(area.left() + th / 4, axisTop, th, std::max(th, axisBottom - axisTop));

  // The shaft stands on the axis of the drawing. When the layer labels do not fit on its
  // left, it moves right (at the same scale) to make room for them.
  const int pad = std::max(2, th / 3);
  {
    int oneLine = 0, split = 0;
    for (const TSideLayer& layer : g.Layers) {
      const QString text = SideLayerLabel(layer, o.Page);
      if (text.isEmpty()) continue;
      oneLine = std::max(oneLine, fm.horizontalAdvance(text));
      const int cut = text.indexOf(QStringLiteral("; "));
      split = std::max({split, fm.horizontalAdvance(text.left(cut + 1)),
                        fm.horizontalAdvance(text.mid(cut + 2))});
    }
    const int shaftWidth = pic.ToPixel(g.DRight, 0).x() - pic.ToPixel(g.DLeft, 0).x();
    const int leftRoom = pic.ToPixel(g.DLeft, 0).x() - pic.Plot.left() - 2 * pad;
    const int mostRoom = pic.Plot.width() - shaftWidth - 5 * pad;
    // (two pixels over, against rounding when the shaft is mapped again)
    const int wanted = (oneLine <= mostRoom ? oneLine : std::min(split, mostRoom)) + 2;
    if (wanted > leftRoom) {
      const double shift = (wanted - leftRoom) * (pic.Extent.Right - pic.Extent.Left) /
                           std::max(1, pic.Plot.width() - 1);
      pic.Extent.Left -= shift;
      pic.Extent.Right -= shift;
    }
  }

  // The shaft, and the room beside it for the labels.
  for (const TSideQuad& q : g.Data) {
    QPolygon poly;
    poly << pic.ToPixel(q.TopLeft.x, q.TopLeft.y) << pic.ToPixel(q.TopRight.x, q.TopRight.y)
         << pic.ToPixel(q.BottomRight.x, q.BottomRight.y)
         << pic.ToPixel(q.BottomLeft.x, q.BottomLeft.y);
    pic.Shaft.push_back(poly);
  }
  pic.ShaftLeft = pic.ToPixel(g.DLeft, 0).x();
  pic.ShaftRight = pic.ToPixel(g.DRight, 0).x();
  const int leftRoom = pic.ShaftLeft - plot.left() - 2 * pad;
  const int rightRoom = plot.right() - pic.ShaftRight - 2 * pad;

  pic.GroundRow = pic.ToPixel(0, ground).y();
  int labelBottom = plot.top();
  for (const TSideLayer& layer : g.Layers) {
    TSideBand band;
    band.Color = SoilColor(layer.Code);
    const int y0 = pic.ToPixel(0, layer.DepthTop + ground).y();
    const int y1 = pic.ToPixel(0, layer.DepthBottom + ground).y();
    band.Band = QRect(QPoint(plot.left(), std::min(y0, y1)), QPoint(plot.right(), std::max(y0, y1)));
    const QString text = SideLayerLabel(layer, o.Page);
    if (!text.isEmpty()) {
      // Beside the shaft, on the left when it fits; else on the side with more room, split
      // after the depths when one line is too long.
      const bool left = fm.horizontalAdvance(text) <= leftRoom || leftRoom >= rightRoom;
      const int room = std::max(th, left ? leftRoom : rightRoom);
      const int x = left ? plot.left() + pad : pic.ShaftRight + pad;
      QStringList lines;
      if (fm.horizontalAdvance(text) <= room) {
        lines << text;
      } else {
        const int cut = text.indexOf(QStringLiteral("; "));
        lines << text.left(cut + 1) << text.mid(cut + 2);
      }
      int y = std::max(band.Band.top() + th / 2, labelBottom + 1);
      // A label pushed below the drawing by the ones above (a very short window) is left out.
      if (y + th * static_cast<int>(lines.size()) <= plot.bottom()) {
        for (const QString& line : lines) {
          band.Label.push_back({fm.elidedText(line, Qt::ElideRight, room), QRect(x, y, room, th)});
          y += th;
        }
        labelBottom = y;
      }
    }
    pic.Bands.push_back(band);
  }

  // Strokes below the ground line, clear of the shaft.
  const int step = std::max(6, RoundI(1.2 * th));
  const int dx = std::max(3, RoundI(0.5 * th));
  const int dy = std::max(2, RoundI(0.35 * th));
  for (int x = plot.left() + step / 2; x + dx <= plot.right(); x += step) {
    if (x + dx >= pic.ShaftLeft - pic.Line && x <= pic.ShaftRight + pic.Line) continue;
    pic.Hatch.emplace_back(x, pic.GroundRow, x + dx, pic.GroundRow + dy);
  }

  // The water table, when it lies in the drawing.
  if (Finite(o.WaterDepth) && o.WaterDepth >= 0 && o.WaterDepth <= bottomDepth) {
    pic.HasWater = true;
    pic.WaterRow = pic.ToPixel(0, o.WaterDepth + ground).y();
    QString text = QStringLiteral("Water Table (depth= %1)").arg(Num(o.WaterDepth));
    // Without room for its depth, which the axis shows, the line is named alone.
    if (fm.horizontalAdvance(text) + 2 > std::max(leftRoom, rightRoom - th))
      text = QStringLiteral("Water Table");
    // Above the line right of the shaft, beside its mark; on the left when there is no
    // room there, and below the line when a layer label is in the way.
    const int width = fm.horizontalAdvance(text) + 2;
    QRect r;
    if (width <= rightRoom - th) {
      r = QRect(plot.right() - pad - th - width, pic.WaterRow - th - pic.Line, width, th);
    } else {
      const int w = std::min(width, std::max(th, leftRoom));
      r = QRect(plot.left() + pad, pic.WaterRow - th - pic.Line, w, th);
    }
    // Below the line instead when a layer boundary or label is in the way above it.
    auto clashes = [&](const QRect& at) {
      for (const TSideBand& b : pic.Bands) {
        if (b.Band.bottom() >= at.top() && b.Band.bottom() <= at.bottom()) return true;
        for (const TSideText& t : b.Label)
          if (t.Rect.intersects(at)) return true;
      }
      return false;
    };
    const QRect below = r.translated(0, th + 2 * pic.Line + 1);
    if (clashes(r) && !clashes(below)) r = below;
    pic.WaterLabel = {fm.elidedText(text, Qt::ElideRight, r.width()), r};
  }
  return pic;
}

void PaintSidePicture(QPainter& p, const TSidePicture& pic) {
  p.save();
  p.fillRect(pic.Area, Qt::white);
  p.setFont(pic.Font);
  p.setPen(Qt::black);
  if (!pic.Header.empty()) {
    p.setFont(pic.TitleFont);
    p.drawText(pic.Header.front().Rect, Qt::AlignHCenter | Qt::AlignTop, pic.Header.front().Text);
    p.setFont(pic.Font);
    for (std::size_t i = 1; i < pic.Header.size(); ++i)
      p.drawText(pic.Header[i].Rect, Qt::AlignHCenter | Qt::AlignTop, pic.Header[i].Text);
  }
  if (pic.Empty()) {
    p.restore();
    return;
  }
  const QRect& plot = pic.Plot;
  const int lw = pic.Line;

  p.save();
  p.setClipRect(plot);
  for (const TSideBand& b : pic.Bands) p.fillRect(b.Band, b.Color);
  p.setPen(QPen(Qt::black, lw));
  p.drawLine(plot.left(), pic.GroundRow, plot.right(), pic.GroundRow);
  for (const QLine& l : pic.Hatch) p.drawLine(l);
  for (const TSideBand& b : pic.Bands) p.drawLine(plot.left(), b.Band.bottom(), plot.right(), b.Band.bottom());
  if (pic.HasWater) {
    p.setPen(QPen(kWater, lw, Qt::DashLine));
    p.drawLine(plot.left(), pic.WaterRow, plot.right(), pic.WaterRow);
    // The water table mark, a small triangle standing on the line.
    const int s = std::max(4, pic.TextHeight / 2);
    const int x = plot.right() - std::max(2, pic.TextHeight / 3) - s;
    QPolygon tri;
    tri << QPoint(x - s / 2, pic.WaterRow - s) << QPoint(x + s / 2, pic.WaterRow - s)
        << QPoint(x, pic.WaterRow);
    p.setPen(QPen(kWater, lw));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(tri);
  }
  p.setPen(QPen(Qt::black, lw, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(Qt::black);
  for (const QPolygon& poly : pic.Shaft) p.drawPolygon(poly);
  p.setBrush(Qt::NoBrush);
  p.setPen(Qt::black);
  // Texts on a ground of their own, so that no line runs through them.
  const QFontMetrics fm(pic.Font, p.device());
  auto textGround = [&](const TSideText& t, Qt::Alignment align) {
    const int w = std::min(t.Rect.width(), fm.horizontalAdvance(t.Text) + 2);
    return QRect(align & Qt::AlignRight ? t.Rect.right() - w + 1 : t.Rect.left(), t.Rect.top(), w,
                 t.Rect.height());
  };
  for (const TSideBand& b : pic.Bands)
    for (const TSideText& t : b.Label) {
      p.fillRect(textGround(t, Qt::AlignLeft), b.Color);
      p.drawText(t.Rect, Qt::AlignLeft | Qt::AlignTop, t.Text);
    }
  if (pic.HasWater) {
    p.fillRect(textGround(pic.WaterLabel, Qt::AlignRight), QColor(255, 255, 255, 200));
    p.setPen(kWater);
    p.drawText(pic.WaterLabel.Rect, Qt::AlignRight | Qt::AlignTop, pic.WaterLabel.Text);
  }
  p.restore();

  // Frame, axis and its labels.
  p.setPen(QPen(kFrame, lw));
  p.setBrush(Qt::NoBrush);
  p.drawRect(plot);
  const int tickLength = std::max(3, pic.TextHeight / 3);
  p.setPen(QPen(Qt::black, lw));
  for (const TSideTick& t : pic.Ticks) {
    p.drawLine(plot.left() - tickLength, t.Row, plot.left(), t.Row);
    p.drawText(t.Label.Rect, Qt::AlignRight | Qt::AlignVCenter, t.Label.Text);
  }
  const QRect& r = pic.AxisTitle.Rect;
  p.save();
  p.translate(r.center());
  p.rotate(-90);
  p.drawText(QRect(-r.height() / 2, -r.width() / 2, r.height(), r.width()), Qt::AlignCenter,
             pic.AxisTitle.Text);
  p.restore();
  p.restore();
}

}  // namespace korva::results
