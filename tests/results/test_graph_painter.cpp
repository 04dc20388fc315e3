// Graph drawing: axis bounds and steps, ticks, the value/pixel mapping, zooming, curve
// colours and markers, layout, and rendered images checked against the mapping.
#include "graph_painter.h"

#include "evaluator.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPicture>
#include <QPolygonF>
#include <QTextItem>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korva::results {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Fonts need the application object; the tests run on the offscreen platform. The object
// lives from before the first test to after the last one.
class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QGuiApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QGuiApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[19] = "test_graph_painter";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QGuiApplication> app_;
};
const auto* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

using GraphPainterTest = ::testing::Test;

TGraphPlot GraphWith(std::initializer_list<std::vector<TFloatPoint>> curves) {
  TGraphPlot g;
  for (const auto& c : curves) g.AddLine({}, c);
  return g;
}

// ---- Bounds -------------------------------------------------------------------------------

TEST(AxisStepTest, RoundingStepOfARange) {
  struct Case {
    double range, step;
  };
  for (const Case c : {Case{250, 10}, Case{500, 100}, Case{7, 1}, Case{2.9, 0.1}, Case{3, 1},
                       Case{300, 100}, Case{0.3, 0.1}, Case{1000, 100}, Case{0.02, 0.001},
                       Case{0.05, 0.01}, Case{0, 0}, Case{-5, 0}, Case{kInf, 0}, Case{kNaN, 0}}) {
    EXPECT_DOUBLE_EQ(AxisStep(c.range), c.step) << "range " << c.range;
  }
}

TEST(ComputeBoundsTest, DataRangesRoundedOutwardWithTheOrigin) {
  struct Case {
    const char* what;
    std::vector<TFloatPoint> points;
    TFloatRect want;
  };
  const Case cases[] = {
      {"positive data from 2 to 7 start at 0", {{1, 2}, {3, 7}}, {0, 3, 0, 7}},
      {"maximum 243 with step 10", {{0.5, 100}, {2.7, 243}}, {0, 2.7, 0, 250}},
      {"negative values round away from zero", {{-13, -13}, {200, 200}}, {-20, 200, -20, 200}},
      {"all y zero widened by 0.01", {{1, 0}, {5, 0}}, {0, 5, -0.01, 0.01}},
      {"single point at the origin", {{0, 0}}, {-0.01, 0.01, -0.01, 0.01}},
      {"NaN and inf points ignored", {{kNaN, 5}, {2, kInf}, {3, 7}, {-kInf, kNaN}}, {0, 3, 0, 7}},
  };
  for (const Case& c : cases) {
    const TGraphPlot g = GraphWith({c.points});
    const auto b = ComputeBounds(g);
    ASSERT_TRUE(b.has_value()) << c.what;
    EXPECT_NEAR(b->Left, c.want.Left, 1e-12) << c.what;
    EXPECT_NEAR(b->Right, c.want.Right, 1e-12) << c.what;
    EXPECT_NEAR(b->Top, c.want.Top, 1e-12) << c.what;
    EXPECT_NEAR(b->Bottom, c.want.Bottom, 1e-12) << c.what;
  }
}

TEST(ComputeBoundsTest, EveryCurveCountsAndReversalSwapsTopAndBottom) {
  TGraphPlot g = GraphWith({{{0, 10}, {1, 20}}, {{0, 95}, {1, 30}}});
  g.Lines(1).Active = false;  // inactive curves still count
  g.Yreversed = true;
  const auto b = ComputeBounds(g);
  ASSERT_TRUE(b.has_value());
  EXPECT_DOUBLE_EQ(b->Top, 100);
  EXPECT_DOUBLE_EQ(b->Bottom, 0);
}

// Elevations (312.5 down to 232.5 ft) fill the axis instead of running down to 0.
TEST(ComputeBoundsTest, ElevationsSpanTheirDataOnly) {
  TGraphPlot g = GraphWith({{{0, 312.5}, {50, 290}, {120, 232.5}}});
  g.Yreversed = true;
  g.YSpansData = true;
  auto b = ComputeBounds(g);
  ASSERT_TRUE(b.has_value());
  EXPECT_DOUBLE_EQ(b->Top, 320);     // drawn at the top: the highest elevation, rounded out
  EXPECT_DOUBLE_EQ(b->Bottom, 230);  // step 10 for a range of 80
  EXPECT_DOUBLE_EQ(b->Left, 0);      // x still from the origin
  EXPECT_DOUBLE_EQ(b->Right, 120);
  // Negative elevations (below a datum): each bound rounds away from the data.
  g = GraphWith({{{0, -42.5}, {10, -102.5}}});
  g.Yreversed = true;
  g.YSpansData = true;
  b = ComputeBounds(g);
  ASSERT_TRUE(b.has_value());
  EXPECT_DOUBLE_EQ(b->Top, -40);
  EXPECT_DOUBLE_EQ(b->Bottom, -110);
}

TEST(ComputeBoundsTest, EmptyGraphAndUnusableRange) {
  const auto empty = ComputeBounds(TGraphPlot{});
  ASSERT_TRUE(empty.has_value());
  EXPECT_DOUBLE_EQ(empty->Top, -0.01);
  EXPECT_DOUBLE_EQ(empty->Bottom, 0.01);

  // A y span that overflows has no step: the window does not open, the view is kept.
  TGraphPlot g = GraphWith({{{0, -1e308}, {1, 1e308}}});
  EXPECT_FALSE(ComputeBounds(g).has_value());
  g.View.LogicBounds = {1, 2, 3, 4};
  EXPECT_FALSE(ResetView(g));
  EXPECT_DOUBLE_EQ(g.View.LogicBounds.Left, 1);
}

// ---- Ticks --------------------------------------------------------------------------------

TEST(MajorSpacingTest, FirstDigitRule) {
  struct Case {
    double raw, spacing;
  };
  for (const Case c : {Case{1, 1}, Case{1.9, 1}, Case{2, 2}, Case{4.9, 2}, Case{5, 5},
                       Case{8.9, 5}, Case{9, 10}, Case{0.09, 0.1}, Case{25, 20}, Case{0.03, 0.02}, Case{0, 0},
                       Case{kNaN, 0}}) {
    EXPECT_NEAR(MajorSpacing(c.raw), c.spacing, 1e-12) << "raw " << c.raw;
  }
}

TEST(ComputeMarksTest, SpacingAndIndexRanges) {
  const TPixelRect area{0, 0, 600, 600};  // 10 major ticks at most with h = 10
  struct Case {
    const char* what;
    TFloatRect bounds;
    bool reversed;
    double sx, sy;
    long long startX, finishX, startY, finishY;
  };
  const Case cases[] = {
      {"positive ranges", {0, 250, 0, 50}, false, 4, 1, 0, 62, 0, 50},
      {"negative lower ends", {-20, 230, -13, 37}, false, 4, 1, -5, 57, -13, 37},
      {"reversed y", {0, 250, 50, 0}, true, 4, 1, 0, 62, 0, 50},
      {"zoomed away from the origin", {100, 150, -90, -40}, false, 1, 1, 0, 150, -90, 0},
      {"tick on a fractional bound", {0, 0.7, -0.3, 0.4}, false, 0.01, 0.01, 0, 70, -30, 40},
  };
  for (const Case& c : cases) {
    const TMarks m = ComputeMarks(area, 10, c.bounds, c.reversed);
    ASSERT_TRUE(m.Any) << c.what;
    EXPECT_NEAR(m.MarkSpacing.x, c.sx, 1e-12) << c.what;
    EXPECT_NEAR(m.MarkSpacing.y, c.sy, 1e-12) << c.what;
    EXPECT_EQ(m.Start.x, c.startX) << c.what;
    EXPECT_EQ(m.Finish.x, c.finishX) << c.what;
    EXPECT_EQ(m.Start.y, c.startY) << c.what;
    EXPECT_EQ(m.Finish.y, c.finishY) << c.what;
  }
}

TEST(ComputeMarksTest, NoTicksWithoutRoom) {
  const TFloatRect b{0, 100, 0, 100};
  EXPECT_FALSE(ComputeMarks({0, 0, 600, 59}, 10, b, false).Any);  // below one tick per 6h
  EXPECT_FALSE(ComputeMarks({0, 0, 59, 600}, 10, b, false).Any);
  EXPECT_FALSE(ComputeMarks({0, 0, 600, 600}, 0, b, false).Any);  // no text height
  EXPECT_FALSE(ComputeMarks({0, 0, 600, 600}, 10, {5, 5, 0, 100}, false).Any);
  EXPECT_FALSE(ComputeMarks({0, 0, 600, 600}, 10, {0, kInf, 0, 100}, false).Any);
  EXPECT_TRUE(ComputeMarks({0, 0, 600, 60}, 10, b, false).Any);
}

// ---- Mapping ------------------------------------------------------------------------------

TEST(MappingTest, ValueToPixelForEveryOrientation) {
  const TPixelRect ga{100, 50, 700, 450};
  const TFloatRect up{0, 60, 0, 40}, reversed{0, 60, 40, 0};
  EXPECT_EQ(ToPixel(ga, up, true, {30, 10}), QPoint(400, 150));  // y grows downward
  EXPECT_EQ(ToPixel(ga, up, false, {30, 10}), QPoint(400, 350));  // y grows upward
  EXPECT_EQ(ToPixel(ga, up, true, {0, 0}), QPoint(100, 50));
  EXPECT_EQ(ToPixel(ga, up, true, {60, 40}), QPoint(700, 450));
  // Reversed: the larger value (Top) at the upper edge.
  EXPECT_EQ(ToPixel(ga, reversed, true, {0, 40}), QPoint(100, 50));
  EXPECT_EQ(ToPixel(ga, reversed, true, {0, 30}), QPoint(100, 150));
  EXPECT_EQ(ToPixel(ga, reversed, false, {0, 40}), QPoint(100, 450));
}

TEST(MappingTest, RoundsHalfToEven) {
  const TPixelRect ga{0, 0, 4, 4};
  const TFloatRect b{0, 8, 0, 8};
  EXPECT_EQ(ToPixel(ga, b, true, {1, 1}), QPoint(0, 0));  // 0.5
  EXPECT_EQ(ToPixel(ga, b, true, {3, 3}), QPoint(2, 2));  // 1.5
  EXPECT_EQ(ToPixel(ga, b, true, {5, 5}), QPoint(2, 2));  // 2.5
}

TEST(MappingTest, PixelToValueInvertsEveryPixel) {
  const TPixelRect ga{10, 20, 130, 110};
  for (const TFloatRect& b : {TFloatRect{-3, 9, 0, 45}, TFloatRect{0, 120, 250, 100}}) {
    for (bool onTop : {true, false}) {
      for (int x = ga.Left; x <= ga.Right; x += 7) {
        for (int y = ga.Top; y <= ga.Bottom; y += 5) {
          const TFloatPoint v = ToValue(ga, b, onTop, {x, y});
          ASSERT_EQ(ToPixel(ga, b, onTop, v), QPoint(x, y)) << onTop << " " << b.Top;
        }
      }
    }
  }
  const TFloatRect b{0, 60, 40, 0};
  const TFloatPoint top = ToValue(ga, b, true, {ga.Left, ga.Top});
  EXPECT_DOUBLE_EQ(top.y, 40);  // reversed: the upper edge reads the larger value
}

TEST(MappingTest, OutsideAndDegenerateInput) {
  const TPixelRect ga{100, 50, 700, 450};
  const TFloatRect b{0, 60, 0, 40};
  // Left or right of the area reads (0, 0); above or below is still converted.
  for (QPoint p : {QPoint(99, 200), QPoint(701, 200)}) {
    const TFloatPoint v = ToValue(ga, b, true, p);
    EXPECT_EQ(v.x, 0.0);
    EXPECT_EQ(v.y, 0.0);
  }
  EXPECT_DOUBLE_EQ(ToValue(ga, b, true, {100, 30}).y, -2.0);
  EXPECT_EQ(ToValue({5, 5, 5, 5}, b, true, {5, 5}).x, 0.0);  // empty area

  // Values or bounds that cannot be placed go to the area's first edge.
  EXPECT_EQ(ToPixel(ga, b, true, {kNaN, kInf}), QPoint(100, 50));
  EXPECT_EQ(ToPixel(ga, {5, 5, 3, 3}, false, {5, 3}), QPoint(100, 450));
  const QPoint far = ToPixel(ga, b, true, {1e300, -1e300});
  EXPECT_GT(far.x(), 700);
  EXPECT_LT(far.y(), 50);
}

TEST(MappingTest, HitTestAndClampIncludeTheFrame) {
  TDrawArea a;
  a.GraphArea = {100, 50, 700, 450};
  EXPECT_TRUE(InGraphArea(a, {100, 50}));
  EXPECT_TRUE(InGraphArea(a, {700, 450}));
  EXPECT_FALSE(InGraphArea(a, {701, 200}));
  EXPECT_FALSE(InGraphArea(a, {300, 49}));
  EXPECT_EQ(ClampToGraphArea(a, {-5, 900}), QPoint(100, 450));
  EXPECT_EQ(ClampToGraphArea(a, {300, 200}), QPoint(300, 200));
}

// ---- Zooming ------------------------------------------------------------------------------

TEST(ZoomTest, BoxIsAtLeastOneTwentiethAndStaysInside) {
  const TFloatRect full{0, 200, 0, 100};
  // Narrow box in the middle: exactly 1/20 of each full range around its centre.
  TFloatRect z = ZoomToBox(full, {99, 49}, {101, 51});
  EXPECT_DOUBLE_EQ(z.Left, 95);
  EXPECT_DOUBLE_EQ(z.Right, 105);
  EXPECT_DOUBLE_EQ(z.Top, 47.5);
  EXPECT_DOUBLE_EQ(z.Bottom, 52.5);
  // Narrow box at the edge is shifted back inside; corners in either order.
  z = ZoomToBox(full, {1, 99}, {0, 100});
  EXPECT_DOUBLE_EQ(z.Left, 0);
  EXPECT_DOUBLE_EQ(z.Right, 10);
  EXPECT_DOUBLE_EQ(z.Top, 95);
  EXPECT_DOUBLE_EQ(z.Bottom, 100);
  // A large box is taken as it is.
  z = ZoomToBox(full, {150, 10}, {20, 60});
  EXPECT_DOUBLE_EQ(z.Left, 20);
  EXPECT_DOUBLE_EQ(z.Right, 150);
  EXPECT_DOUBLE_EQ(z.Top, 10);
  EXPECT_DOUBLE_EQ(z.Bottom, 60);
}

TEST(ZoomTest, ReversedAxisStaysReversed) {
  const TFloatRect full{0, 200, 100, 0};
  const TFloatRect z = ZoomToBox(full, {10, 80}, {60, 20});
  EXPECT_DOUBLE_EQ(z.Top, 80);
  EXPECT_DOUBLE_EQ(z.Bottom, 20);
  const TFloatRect out = ZoomOutAt(full, z, {30, 99});
  EXPECT_DOUBLE_EQ(out.Top, 100);  // clamped to the full range, still reversed
  EXPECT_DOUBLE_EQ(out.Bottom, 0);
}

TEST(ZoomTest, ZoomOutDoublesUpToTheFullRange) {
  const TFloatRect full{0, 200, 0, 100};
  const TFloatRect same = ZoomOutAt(full, full, {20, 90});
  EXPECT_DOUBLE_EQ(same.Left, 0);
  EXPECT_DOUBLE_EQ(same.Right, 200);
  EXPECT_DOUBLE_EQ(same.Top, 0);
  EXPECT_DOUBLE_EQ(same.Bottom, 100);

  const TFloatRect out = ZoomOutAt(full, {90, 110, 40, 50}, {100, 45});
  EXPECT_DOUBLE_EQ(out.Left, 80);
  EXPECT_DOUBLE_EQ(out.Right, 120);
  EXPECT_DOUBLE_EQ(out.Top, 35);
  EXPECT_DOUBLE_EQ(out.Bottom, 55);
  const TFloatRect edge = ZoomOutAt(full, {0, 20, 0, 10}, {1, 1});
  EXPECT_DOUBLE_EQ(edge.Left, 0);
  EXPECT_DOUBLE_EQ(edge.Right, 40);
}

// ---- Colours, markers, layout ------------------------------------------------------------

TEST(ColourTest, ActiveCurvesTakeTheColours) {
  EXPECT_EQ(LineColor(0), QColor(0, 0, 0));
  EXPECT_EQ(LineColor(3), QColor(0, 128, 0));
  // The light entries are darkened to half the lightness of white, their hue kept.
  EXPECT_EQ(LineColor(13), QColor(128, 128, 128));   // silver
  EXPECT_EQ(LineColor(15), QColor(144, 144, 0));     // yellow
  EXPECT_EQ(LineColor(16), QColor(0, 182, 182));     // aqua
  for (int i = 0; i < kLineColorCount; ++i) {
    const QColor c = LineColor(i);
    EXPECT_LE(0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue(), 0.5 * 255 + 0.5) << i;
    const QColor table = QColor::fromRgb(kLineColors[static_cast<std::size_t>(i)]);
    if (table.hsvSaturation() > 0) {
      EXPECT_NEAR(c.hsvHue(), table.hsvHue(), 1) << i;
    }
  }
  EXPECT_EQ(LineColor(17), LineColor(0));
  EXPECT_EQ(LineColor(-1), LineColor(16));

  TGraphPlot g;
  g.SetLineCount(25);
  ActivateCurves(g);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(g.Lines(i).Active, i < 20) << i;
  EXPECT_EQ(ColorOrdinal(g, 17), 17);
  EXPECT_EQ(LineColor(ColorOrdinal(g, 17)), QColor(0, 0, 0));  // the 18th curve is black
  EXPECT_EQ(ColorOrdinal(g, 22), -1);

  g.Lines(5).Active = false;  // later curves move up one colour
  EXPECT_EQ(ColorOrdinal(g, 5), -1);
  EXPECT_EQ(ColorOrdinal(g, 6), 5);

  g.LimitActive = false;
  ActivateCurves(g);
  EXPECT_TRUE(g.Lines(24).Active);
}

TEST(MarkerTest, ShapesRepeatEveryTenAndPointTheRightWay) {
  EXPECT_EQ(MarkerShape(0), 1);
  EXPECT_EQ(MarkerShape(10), 1);
  EXPECT_EQ(MarkerShape(9), 10);
  EXPECT_EQ(MarkerShape(23), 4);
  EXPECT_EQ(MarkerOutline(0, {96, 96}), MarkerOutline(10, {96, 96}));

  // Radius 3 pixels at 96 dpi. Shape 1: triangle pointing down.
  const QVector<QPoint> down = MarkerOutline(0, {96, 96});
  ASSERT_EQ(down.size(), 4);
  EXPECT_EQ(down[0], QPoint(0, 3));
  EXPECT_LT(down[1].y(), 0);
  EXPECT_LT(down[1].x(), 0);
  EXPECT_GT(down[2].x(), 0);
  EXPECT_EQ(down.back(), down.front());
  // Shape 2: upright square.
  EXPECT_EQ(MarkerOutline(1, {96, 96}),
            (QVector<QPoint>{{2, -2}, {2, 2}, {-2, 2}, {-2, -2}, {2, -2}}));
  // Shapes 3..10: s corners, the first straight up; the radius follows each resolution.
  for (int i = 2; i < 10; ++i) {
    const QVector<QPoint> o = MarkerOutline(i, {96, 192});
    EXPECT_EQ(o.size(), i + 2) << i;
    EXPECT_EQ(o.front(), QPoint(0, -6)) << i;
    EXPECT_EQ(o.back(), o.front()) << i;
  }
  EXPECT_EQ(MarkerOutline(3, {600, 600})[1], QPoint(19, 0));  // diamond at printer size
}

TEST(LayoutTest, WindowAndPageAreas) {
  TGraphPlot g;
  EXPECT_EQ(ScaledTextHeight(14, 10), 14);
  EXPECT_EQ(ScaledTextHeight(14, 15), 21);
  EXPECT_EQ(ScaledTextHeight(-11, 25), 27);

  // h = 14 at 96 dpi: 2h + 12 + 1 = 41 on the label sides, 24 + 7 = 31 on the others.
  TDrawArea a = LayoutWindow(800, 600, {96, 96}, 14, g);
  EXPECT_EQ(a.Bounds.Right, 800);
  EXPECT_EQ(a.GraphArea.Left, 41);
  EXPECT_EQ(a.GraphArea.Right, 769);
  EXPECT_EQ(a.GraphArea.Top, 41);
  EXPECT_EQ(a.GraphArea.Bottom, 569);

  g.XOnTop = false;
  g.UserCaption = "title";
  a = LayoutWindow(800, 600, {96, 96}, 14, g);
  EXPECT_EQ(a.GraphArea.Top, 31);
  EXPECT_EQ(a.GraphArea.Bottom, 600 - 41 - 14);

  g.XOnTop = true;
  g.UserCaptionOnTop = true;
  g.ShowLayers = true;
  a = LayoutWindow(800, 600, {96, 96}, 14, g);
  EXPECT_EQ(a.GraphArea.Top, 41 + 15);
  EXPECT_EQ(a.GraphArea.Right, 769 - 96);
  EXPECT_EQ(a.LayersArea.Left, 769 - 96 + 19);
  EXPECT_EQ(a.LayersArea.Right, 769);
  EXPECT_EQ(a.LayersArea.Top, a.GraphArea.Top);
  EXPECT_EQ(a.LayersArea.Bottom, a.GraphArea.Bottom);

  // A page: the print room on the label sides, the window's room (ppi / 4 + h / 2) on the
  // others, for the labels at the last ticks.
  TDrawArea page;
  page.Bounds = {50, 60, 4000, 5000};
  page.PixelsPerInch = {600, 600};
  page.FontHeight = 60;
  g.ShowLayers = false;
  LayoutPage(page, g);
  EXPECT_EQ(page.GraphArea.Left, 50 + 120 + 75 + 7);
  EXPECT_EQ(page.GraphArea.Right, 4000 - 150 - 30);
  EXPECT_EQ(page.GraphArea.Top, 60 + 202 + 150);
  EXPECT_EQ(page.GraphArea.Bottom, 5000 - 150 - 30);
  g.XOnTop = false;
  g.UserCaption.clear();
  LayoutPage(page, g);
  EXPECT_EQ(page.GraphArea.Top, 60 + 30 + 150);
  EXPECT_EQ(page.GraphArea.Bottom, 5000 - 202);
}

TEST(SoilPatternTest, SizesAndBrushes) {
  struct Case {
    int code;
    QSize screen, printer;
  };
  for (const Case c : {Case{7, {80, 80}, {96, 96}}, Case{8, {30, 42}, {96, 69}},
                       Case{9, {30, 42}, {96, 69}}, Case{10, {30, 42}, {96, 69}},
                       Case{11, {80, 80}, {96, 192}}, Case{12, {80, 80}, {96, 192}}}) {
    const QImage s = SoilPattern(c.code, false), p = SoilPattern(c.code, true);
    EXPECT_EQ(s.size(), c.screen) << c.code;
    EXPECT_EQ(p.size(), c.printer) << c.code;
    // Something drawn, not all black.
    int black = 0;
    for (int y = 0; y < s.height(); ++y)
      for (int x = 0; x < s.width(); ++x) black += s.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_GT(black, 0) << c.code;
    EXPECT_LT(black, s.width() * s.height() / 2) << c.code;
    EXPECT_EQ(LayerBrush(c.code, false).style(), Qt::TexturePattern);
  }
  EXPECT_TRUE(SoilPattern(6, false).isNull());
  EXPECT_EQ(LayerBrush(1, false).style(), Qt::BDiagPattern);
  EXPECT_EQ(LayerBrush(4, true).style(), Qt::DiagCrossPattern);
  EXPECT_EQ(LayerBrush(6, false).style(), Qt::VerPattern);
  EXPECT_EQ(LayerBrush(0, false).style(), Qt::NoBrush);
  EXPECT_EQ(LayerBrush(13, false).style(), Qt::NoBrush);
}

// ---- Rendering ----------------------------------------------------------------------------

constexpr QRgb kWhite = 0xffffffff;

QImage Render(TGraphPlot& g, TDrawArea& a, int w = 800, int h = 600) {
  a = LayoutWindow(w, h, {96, 96}, 14, g);
  QImage img(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32);
  img.fill(Qt::red);  // anything the painter leaves alone stays red
  QPainter p(&img);
  DrawPlot(p, g, a);
  return img;
}

bool HasPixel(const QImage& img, const QRect& r, const std::function<bool(QColor)>& is) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (img.rect().contains(x, y) && is(img.pixelColor(x, y))) return true;
  return false;
}

bool HasColour(const QImage& img, const QRect& r, QRgb c) {
  return HasPixel(img, r, [c](QColor p) { return p.rgb() == c; });
}

TEST_F(GraphPainterTest, CurveAndFrameWhereTheMappingSays) {
  for (bool onTop : {true, false}) {
    for (bool reversed : {false, true}) {
      // Curve 0 hidden (still takes black), curve 1 drawn blue across it.
      TGraphPlot g = GraphWith({{{0, 0}, {100, 50}}, {{10, 45}, {90, 5}}});
      g.Lines(0).Visible = false;
      g.Markers = 0;
      g.XOnTop = onTop;
      g.Yreversed = reversed;
      ASSERT_TRUE(ResetView(g));
      TDrawArea a;
      const QImage img = Render(g, a);
      const TPixelRect& ga = a.GraphArea;
      const std::string what = std::string(onTop ? "on top" : "bottom") + (reversed ? " reversed" : "");

      const QPoint mid = ToPixel(a, g, {50, 25});
      EXPECT_EQ(img.pixel(mid), qRgb(0, 0, 255)) << what;
      const QPoint from = ToPixel(a, g, {10, 45}), to = ToPixel(a, g, {90, 5});
      EXPECT_EQ(img.pixel(from), qRgb(0, 0, 255)) << what;
      EXPECT_TRUE(HasColour(img, QRect(to - QPoint(1, 1), QSize(3, 3)), qRgb(0, 0, 255))) << what;
      // The hidden curve (y = x / 2) is not drawn, away from grid lines.
      const QPoint hidden = ToPixel(a, g, {23, 11.5});
      EXPECT_FALSE(HasColour(img, QRect(hidden - QPoint(1, 1), QSize(3, 3)), qRgb(0, 0, 0))) << what;

      // Frame on the pixels Left..Right and Top..Bottom; background elsewhere.
      const int my = (ga.Top + ga.Bottom) / 2 + 1, mx = (ga.Left + ga.Right) / 2 + 1;
      for (QPoint p : {QPoint(ga.Left, my), QPoint(ga.Right, my), QPoint(mx, ga.Top),
                       QPoint(mx, ga.Bottom)}) {
        EXPECT_EQ(img.pixel(p), qRgb(0, 0, 0)) << what << " " << p.x() << "," << p.y();
      }
      EXPECT_EQ(img.pixel(ga.Right + 1, my), kWhite) << what;
      EXPECT_EQ(img.pixel(0, 0), kWhite) << what;
      EXPECT_EQ(img.pixel(799, 599), kWhite) << what;
      // The view's ticks were computed for this paint.
      EXPECT_TRUE(g.View.Marks.Any) << what;
      EXPECT_LE(g.View.Marks.Start.y, g.View.Marks.Finish.y) << what;
    }
  }
}

TEST_F(GraphPainterTest, InactiveCurvesUseNoColourAndMarkersFollowTheirPeriod) {
  TGraphPlot g = GraphWith({{{0, 0}, {100, 100}}, {{0, 50}, {33, 50}, {100, 50}}});
  g.Lines(0).Active = false;  // curve 1 takes colour ordinal 0: black
  g.Markers = 2;              // markers on points 0 and 2, not on point 1
  ASSERT_TRUE(ResetView(g));
  TDrawArea a;
  const QImage img = Render(g, a);
  const QPoint p1 = ToPixel(a, g, {33, 50});
  EXPECT_EQ(img.pixel(p1), qRgb(0, 0, 0));
  // Curve index 1 has shape 2 (a square of radius 3 at 96 dpi): its top side lies 2 pixels
  // above a marked point.
  const QPoint p0 = ToPixel(a, g, {0, 50}) + QPoint(1, 0);
  EXPECT_EQ(img.pixel(p0 + QPoint(0, -2)), qRgb(0, 0, 0));
  EXPECT_NE(img.pixel(p1 + QPoint(0, -2)), qRgb(0, 0, 0));
  // The inactive diagonal is not drawn.
  const QPoint diagonal = ToPixel(a, g, {25, 25});
  EXPECT_FALSE(HasColour(img, QRect(diagonal - QPoint(1, 1), QSize(3, 3)), qRgb(0, 0, 0)));
}

// Markers are stamped on pixel targets and drawn as outlines on vector targets (printer);
// a picture recorded through the vector path and replayed must give the same pixels.
TEST_F(GraphPainterTest, PixelAndVectorTargetsDrawTheSame) {
  for (int width : {1, 4}) {
    TGraphPlot g;
    g.XCaption = "Load";
    g.YCaption = "Depth";
    g.WidthLine = width;
    for (int c = 0; c < 12; ++c) {
      std::vector<TFloatPoint> pts;
      for (int j = 0; j <= 30; ++j) pts.push_back({(c + 1) * 10.0 * std::sqrt(j), j * 1.0});
      g.AddLine({}, pts);
    }
    ASSERT_TRUE(ResetView(g));
    const TDrawArea a = LayoutWindow(700, 500, {96, 96}, 14, g);
    QImage direct(700, 500, QImage::Format_RGB32), replayed(700, 500, QImage::Format_RGB32);
    {
      QPainter p(&direct);
      DrawPlot(p, g, a);
    }
    QPicture picture;
    {
      QPainter p(&picture);
      DrawPlot(p, g, a);
    }
    replayed.fill(Qt::white);
    {
      QPainter p(&replayed);
      picture.play(&p);
    }
    EXPECT_TRUE(direct == replayed) << "pen width " << width;
  }
}

TEST_F(GraphPainterTest, LegendBoxAndLayerColumn) {
  TGraphPlot g = GraphWith({{{0, 0}, {100, 40}}, {{0, 10}, {100, 30}}});
  g.ShowLayers = true;
  g.SetLayerLineCount(2);
  g.LayerLines(0).Data = {{3, 20}};   // cross hatch down to depth 20
  g.LayerLines(1).Data = {{0, 40}};   // no fill below
  g.LayerLines(0).SetLineName(" SAND ");
  ASSERT_TRUE(ResetView(g));
  TDrawArea a = LayoutWindow(800, 600, {96, 96}, 14, g);
  a.PrintLegend = true;
  a.MessedUp = true;
  a.LegendPlace = QPointF(1, 0.5);  // the user put the legend at the middle of the right side
  QImage img(800, 600, QImage::Format_RGB32);
  QRect legend;
  {
    QPainter p(&img);
    DrawPlot(p, g, a);
    legend = PrintedLegendRect(p, g, a);
  }
  const TPixelRect& la = a.LayersArea;
  const int row20 = ToPixel(a, g, {0, 20}).y();
  const int row40 = ToPixel(a, g, {0, 40}).y();
  // Layer 1 is hatched near its bottom corner, layer 2 is empty inside its outline.
  EXPECT_TRUE(HasColour(img, QRect(la.Left + 2, row20 - 12, 10, 10), qRgb(0, 0, 0)));
  EXPECT_FALSE(HasColour(img, QRect(la.Left + 2, row20 + 3, 10, 10), qRgb(0, 0, 0)));
  EXPECT_EQ(img.pixel(la.Left, (row20 + row40) / 2), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(la.Left - 2, (row20 + row40) / 2), kWhite);  // the gap to the graph

  // The legend box takes the legend's place: at the right side of the graph area, centred
  // on its height. It is outlined in black, filled white, and holds the names in curve
  // colours.
  const TPixelRect& ga = a.GraphArea;
  EXPECT_EQ(legend.right(), ga.Right - LegendInset(a.PixelsPerInch));
  EXPECT_NEAR(legend.center().y(), (ga.Top + ga.Bottom) / 2, 1);
  const int x0 = legend.left(), y0 = legend.top();
  EXPECT_EQ(img.pixel(x0 + 5, y0), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(x0, y0 + 5), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(x0 - 1, y0 + 5), kWhite);
  const QRect box(x0 + 1, y0 + 1, 150, 45);
  EXPECT_TRUE(HasPixel(img, box, [](QColor c) {
    return c.blue() > 200 && c.red() < 80 && c.green() < 80;  // curve 2's name
  }));
}

TEST_F(GraphPainterTest, BadInputDrawsSomethingSensibleOrNothing) {
  struct Case {
    const char* what;
    std::vector<std::vector<TFloatPoint>> curves;
    int width, height;
  };
  const Case cases[] = {
      {"no curves", {}, 800, 600},
      {"one point", {{{3, 4}}}, 800, 600},
      {"all equal values", {{{0, 0}, {0, 0}, {0, 0}}}, 800, 600},
      {"NaN and inf points", {{{kNaN, 1}, {2, kInf}, {3, 3}, {-kInf, kNaN}, {5, 1}}}, 800, 600},
      {"empty second curve", {{{0, 0}, {1, 1}}, {}}, 800, 600},
      {"huge values", {{{-1e300, 1e300}, {1e300, -1e300}}}, 800, 600},
      {"tiny target", {{{0, 0}, {1, 1}}}, 50, 40},
      {"zero-size target", {{{0, 0}, {1, 1}}}, 0, 0},
      {"window barely an inch", {{{0, 0}, {1, 1}}}, 96, 96},
  };
  for (const Case& c : cases) {
    TGraphPlot g;
    for (const auto& curve : c.curves) g.AddLine({}, curve);
    g.ShowLayers = true;
    g.SetLayerLineCount(1);
    g.LayerLines(0).Data = {{kNaN, kNaN}};
    TDrawArea a;
    const QImage img = Render(g, a, c.width, c.height);
    if (c.width > 0) {
      EXPECT_EQ(img.pixel(0, 0), kWhite) << c.what;
    }
  }
  // A target below one inch stays white.
  TGraphPlot g = GraphWith({{{0, 0}, {1, 1}}});
  TDrawArea a;
  const QImage img = Render(g, a, 95, 300);
  EXPECT_FALSE(HasColour(img, img.rect(), qRgb(0, 0, 0)));
  EXPECT_FALSE(HasColour(img, img.rect(), qRgb(255, 0, 0)));
}

// ---- What a page or picture holds -----------------------------------------------------------

// A paint device that records what is drawn on it, in device pixels and without any
// clipping, so that a test sees what would fall off the edge of a page.
class InkRecorder : public QPaintDevice {
 public:
  struct Ink {
    QRectF rect;  // what the stroke, fill, image or text covers
    QPen pen;
    QBrush brush;
    QString text;  // for text
    bool outline = false;  // a rectangle outline (frame, legend box)
  };

  InkRecorder(QSize size, int dpi) : size_(size), dpi_(dpi), engine_(this) {}
  QPaintEngine* paintEngine() const override { return &engine_; }
  std::vector<Ink> inks;

  // The texts drawn, each with its rectangle.
  std::vector<Ink> Texts() const {
    std::vector<Ink> t;
    for (const Ink& i : inks)
      if (!i.text.isEmpty()) t.push_back(i);
    return t;
  }
  const Ink* Text(const QString& s) const {
    for (const Ink& i : inks)
      if (i.text == s) return &i;
    return nullptr;
  }

 protected:
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth: return size_.width();
      case PdmHeight: return size_.height();
      case PdmWidthMM: return size_.width() * 254 / (10 * dpi_);
      case PdmHeightMM: return size_.height() * 254 / (10 * dpi_);
      case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return dpi_;
      case PdmDepth: return 32;
      case PdmNumColors: return INT_MAX;
      case PdmDevicePixelRatio: return 1;
      case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
      default: return 0;
    }
  }

 private:
  class Engine : public QPaintEngine {
   public:
    explicit Engine(InkRecorder* r) : QPaintEngine(QPaintEngine::AllFeatures), r_(r) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState& s) override {
      if (s.state() & DirtyPen) pen_ = s.pen();
      if (s.state() & DirtyBrush) brush_ = s.brush();
      if (s.state() & DirtyTransform) transform_ = s.transform();
    }
    void drawLines(const QLineF* lines, int n) override {
      for (int i = 0; i < n; ++i) Stroke(QRectF(lines[i].p1(), lines[i].p2()).normalized());
    }
    void drawLines(const QLine* lines, int n) override {
      for (int i = 0; i < n; ++i) Stroke(QRectF(QPointF(lines[i].p1()), QPointF(lines[i].p2())).normalized());
    }
    void drawRects(const QRectF* rects, int n) override {
      for (int i = 0; i < n; ++i) Shape(rects[i], true);
    }
    void drawRects(const QRect* rects, int n) override {
      for (int i = 0; i < n; ++i) Shape(QRectF(rects[i]), true);
    }
    void drawPolygon(const QPointF* pts, int n, PolygonDrawMode mode) override {
      const QPolygonF poly(QList<QPointF>(pts, pts + n));
      if (mode == PolylineMode) Stroke(poly.boundingRect()); else Shape(poly.boundingRect(), false);
    }
    void drawPolygon(const QPoint* pts, int n, PolygonDrawMode mode) override {
      QPolygonF poly;
      for (int i = 0; i < n; ++i) poly << QPointF(pts[i]);
      if (mode == PolylineMode) Stroke(poly.boundingRect()); else Shape(poly.boundingRect(), false);
    }
    void drawPath(const QPainterPath& path) override { Shape(path.boundingRect(), false); }
    void drawPoints(const QPointF* pts, int n) override {
      for (int i = 0; i < n; ++i) Stroke(QRectF(pts[i], QSizeF(0, 0)));
    }
    void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override { Add(r); }
    void drawImage(const QRectF& r, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
      Add(r);
    }
    void drawTiledPixmap(const QRectF& r, const QPixmap&, const QPointF&) override { Add(r); }
    void drawTextItem(const QPointF& p, const QTextItem& ti) override {
      const QRectF box(p.x(), p.y() - ti.ascent(), ti.width(), ti.ascent() + ti.descent());
      InkRecorder::Ink ink{transform_.mapRect(box), pen_, brush_, ti.text()};
      r_->inks.push_back(ink);
    }

   private:
    void Add(const QRectF& r, bool outline = false, qreal grow = 0.0) {
      InkRecorder::Ink ink{transform_.mapRect(r).adjusted(-grow, -grow, grow, grow), pen_, brush_, {}, outline};
      r_->inks.push_back(ink);
    }
    qreal HalfPen() const { return pen_.style() == Qt::NoPen ? 0.0 : std::max<qreal>(pen_.widthF(), 1.0) / 2; }
    void Stroke(const QRectF& r) {
      if (pen_.style() != Qt::NoPen) Add(r, false, HalfPen());
    }
    // A filled shape; a white fill with no pen is background and no ink.
    void Shape(const QRectF& r, bool rect) {
      const bool fill = brush_.style() != Qt::NoBrush && brush_.color() != Qt::white;
      if (pen_.style() == Qt::NoPen && !fill) return;
      Add(r, rect && pen_.style() != Qt::NoPen, HalfPen());
    }

    InkRecorder* r_;
    QPen pen_;
    QBrush brush_;
    QTransform transform_;
  };

  QSize size_;
  int dpi_;
  mutable Engine engine_;
};

// A graph like the bundled example's combined capacity plot: three curves from the surface
// to 60 ft, the total reaching 680 tons (axis to 700), named as the loader names them.
TGraphPlot CombinedCapacity() {
  TGraphPlot g;
  g.XCaption = "Ultimate Axial Capacity";
  g.XUnits = "F2";
  g.YCaption = "Depth";
  g.YUnits = "L2";
  std::vector<TFloatPoint> skin, tip, total;
  for (int d = 0; d <= 60; ++d) {
    skin.push_back({d * d * 0.1, double(d)});
    tip.push_back({40 + d * 1.5, double(d)});
    total.push_back({40 + d * 1.5 + d * d * 0.1 + d * 2.5, double(d)});
  }
  g.AddLine("  Skin Friction", skin);
  g.AddLine("  Tip Resistance", tip);
  g.AddLine("  Total Capacity", total);
  return g;
}

// Every label, the whole legend and the complete frame lie on a printed page and on a saved
// picture, the grid is a thin light dotted line, and the legend hides no curve: for the
// legend placed by itself and for one the user put at the lower right corner, at the
// default and the largest text size.
TEST_F(GraphPainterTest, PageAndPictureHoldEveryLabelTheLegendAndTheFrame) {
  struct Case {
    const char* what;
    bool page;        // printer page (600 dpi), else a 6 x 4 in picture at 72 ppi
    int sizeFont;
    std::optional<QPointF> place;
    bool xOnTop;
  };
  const Case cases[] = {
      {"page", true, 10, std::nullopt, true},
      {"page, legend put at lower right", true, 10, QPointF(1, 1), true},
      {"page, 4 x text", true, 40, std::nullopt, true},
      {"page, x axis at the bottom", true, 10, QPointF(1, 0), false},
      {"picture", false, 10, std::nullopt, true},
      {"picture, legend put at lower right, 2 x text", false, 20, QPointF(1, 1), true},
  };
  for (const Case& c : cases) {
    TGraphPlot g = CombinedCapacity();
    g.SizeFont = c.sizeFont;
    g.XOnTop = c.xOnTop;
    ASSERT_TRUE(ResetView(g));
    ASSERT_DOUBLE_EQ(g.View.LogicBounds.Right, 700);
    ASSERT_DOUBLE_EQ(g.View.LogicBounds.Bottom, 60);

    // A letter page less 1 inch margins at 600 dpi, or the picture laid out as the window.
    InkRecorder rec(c.page ? QSize(3900, 5400) : QSize(432, 288), c.page ? 600 : 72);
    TDrawArea a;
    if (c.page) {
      a = PageArea(rec, g);
    } else {
      a = LayoutWindow(432, 288, {96, 96}, DeviceFontHeight(rec), g);
      a.MessedUp = true;
      a.PrintLegend = true;
    }
    a.LegendPlace = c.place;
    QRect legend;
    {
      QPainter p(&rec);
      DrawPlot(p, g, a);
      legend = PrintedLegendRect(p, g, a);
    }
    const QRectF page(a.Bounds.Left, a.Bounds.Top, a.Bounds.Width(), a.Bounds.Height());
    for (const InkRecorder::Ink& ink : rec.inks) {
      EXPECT_TRUE(page.adjusted(-0.5, -0.5, 0.5, 0.5).contains(ink.rect))
          << c.what << ": " << ink.text.toStdString() << " at " << ink.rect.x() << ","
          << ink.rect.y() << " " << ink.rect.width() << "x" << ink.rect.height();
    }
    // The labels of the outermost major ticks are drawn whole ("700" and "60" at the
    // default size, not "70" and "0").
    const TMarks& m = g.View.Marks;
    ASSERT_TRUE(m.Any) << c.what;
    const auto lastLabel = [](long long finish, double spacing) {
      return QString::fromStdString(project::FormatGeneral(double(finish / 5 * 5) * spacing, 4));
    };
    if (c.sizeFont == 10) {
      EXPECT_EQ(lastLabel(m.Finish.x, m.MarkSpacing.x), "700") << c.what;
      EXPECT_EQ(lastLabel(m.Finish.y, m.MarkSpacing.y), "60") << c.what;
    }
    EXPECT_TRUE(rec.Text(lastLabel(m.Finish.x, m.MarkSpacing.x))) << c.what;
    EXPECT_TRUE(rec.Text(lastLabel(m.Finish.y, m.MarkSpacing.y))) << c.what;

    // The frame is drawn as one rectangle on the graph area.
    const TPixelRect& ga = a.GraphArea;
    bool frame = false;
    for (const InkRecorder::Ink& ink : rec.inks)
      frame |= ink.outline && ink.pen.color() == Qt::black &&
               std::abs(ink.rect.center().y() - (ga.Top + ga.Bottom) / 2.0) < 2 &&
               ink.rect.height() >= ga.Height() && ink.rect.width() >= ga.Width();
    EXPECT_TRUE(frame) << c.what;

    // The legend box holds every name whole and hides no curve.
    for (const char* name : {"  Skin Friction", "  Tip Resistance", "  Total Capacity"}) {
      const InkRecorder::Ink* t = rec.Text(name);
      ASSERT_TRUE(t) << c.what << ": " << name;
      EXPECT_TRUE(QRectF(legend).contains(t->rect)) << c.what << ": " << name;
    }
    EXPECT_TRUE(page.contains(QRectF(legend))) << c.what;
    // Also a box the user put at the lower right, where the curves end, moves to the
    // nearest free place; a legend in 4 x text finds no free room on this page.
    if (c.sizeFont <= 20) {
      EXPECT_EQ(HiddenCurvePieces(a, g, legend), 0) << c.what;
    }

    // The grid: dotted, light grey, about 1/200 inch wide.
    int grid = 0;
    for (const InkRecorder::Ink& ink : rec.inks) {
      if (ink.pen.style() != Qt::DotLine) continue;
      ++grid;
      EXPECT_GT(qGray(ink.pen.color().rgb()), 128) << c.what;
      EXPECT_LE(ink.pen.widthF(), a.PixelsPerInch.x() / 150.0 + 1) << c.what;
    }
    EXPECT_GT(grid, 4) << c.what;
  }
}

// The legend goes where it hides no curve; the user's place maps to the same place of the
// graph area at any size.
TEST(LegendPlaceTest, FreePlaceAndUserPlace) {
  TGraphPlot g = CombinedCapacity();
  ASSERT_TRUE(ResetView(g));
  const TDrawArea a = LayoutWindow(800, 600, {96, 96}, 14, g);
  const QSize size(140, 60);
  // The curves end at the lower right (the tip values): the legend goes elsewhere.
  EXPECT_GT(HiddenCurvePieces(a, g, QRect(LegendCorner(a, size, {1, 1}), size)), 0);
  const QPointF free = FreeLegendPlace(a, g, size);
  EXPECT_EQ(HiddenCurvePieces(a, g, QRect(LegendCorner(a, size, free), size)), 0);
  // Inside the graph area, clear of the ticks.
  const QRect r(LegendCorner(a, size, free), size);
  const int inset = LegendInset(a.PixelsPerInch);
  EXPECT_GE(r.left(), a.GraphArea.Left + inset);
  EXPECT_LE(r.right(), a.GraphArea.Right - inset);
  EXPECT_GE(r.top(), a.GraphArea.Top + inset);
  EXPECT_LE(r.bottom(), a.GraphArea.Bottom - inset);
  // The user's place is kept when free; else the nearest free place is taken.
  EXPECT_EQ(FreeLegendPlace(a, g, size, QPointF(1, 0)), QPointF(1, 0));
  const QPointF moved = FreeLegendPlace(a, g, size, QPointF(1, 1));
  EXPECT_EQ(HiddenCurvePieces(a, g, QRect(LegendCorner(a, size, moved), size)), 0);
  EXPECT_GT(moved.x() + moved.y(), 1.0);  // still towards the lower right
  // Hidden curves need no room.
  for (int i = 0; i < g.LineCount(); ++i) g.Lines(i).Visible = false;
  EXPECT_EQ(FreeLegendPlace(a, g, size), QPointF(1, 1));

  // Corner and place are inverse; the corners of the room map to 0 and 1.
  const TDrawArea small = LayoutWindow(300, 200, {96, 96}, 14, g);
  for (QPointF place : {QPointF(0, 0), QPointF(1, 1), QPointF(0.25, 0.75), QPointF(-0.2, 1.1)}) {
    const QPointF back = LegendPlaceOf(small, size, LegendCorner(small, size, place));
    EXPECT_NEAR(back.x(), place.x(), 0.01);
    EXPECT_NEAR(back.y(), place.y(), 0.01);
  }
  const QPoint lowerRight = LegendCorner(a, size, {1, 1});
  EXPECT_EQ(lowerRight + QPoint(size.width(), size.height()),
            QPoint(a.GraphArea.Right - inset + 1, a.GraphArea.Bottom - inset + 1));
  // A legend larger than the room sits at its upper left.
  EXPECT_EQ(LegendPlaceOf(small, QSize(1000, 1000), {5, 5}), QPointF(0, 0));
}

// A thick layer whose bottom lies below the end of the depth axis gets its name in the
// middle of the part the column shows.
TEST_F(GraphPainterTest, LayerNameCentredOnTheShownPart) {
  TGraphPlot g = GraphWith({{{0, 0}, {100, 40}}});
  g.ShowLayers = true;
  g.SetLayerLineCount(2);
  g.LayerLines(0).Data = {{1, 10}};
  g.LayerLines(0).SetLineName(" CLAY ");
  g.LayerLines(1).Data = {{7, 200}};  // to 200 ft; the axis ends at 40
  g.LayerLines(1).SetLineName(" SAND ");
  ASSERT_TRUE(ResetView(g));
  ASSERT_DOUBLE_EQ(g.View.LogicBounds.Bottom, 40);
  InkRecorder rec(QSize(800, 600), 96);
  const TDrawArea a = LayoutWindow(800, 600, {96, 96}, 14, g);
  {
    QPainter p(&rec);
    DrawPlot(p, g, a);
  }
  const InkRecorder::Ink* clay = rec.Text(" CLAY ");
  const InkRecorder::Ink* sand = rec.Text(" SAND ");
  ASSERT_TRUE(clay && sand);
  const int row10 = ToPixel(a, g, {0, 10}).y();
  EXPECT_NEAR(clay->rect.center().y(), (ToPixel(a, g, {0, 0}).y() + row10) / 2.0, 2);
  EXPECT_NEAR(sand->rect.center().y(), (row10 + a.LayersArea.Bottom) / 2.0, 2);
  EXPECT_TRUE(QRectF(a.LayersArea.ToQRect()).contains(sand->rect));
}

TEST_F(GraphPainterTest, FontFallsBackToAnInstalledSerif) {
  const QString family = PlotFontFamily();
  EXPECT_FALSE(family.isEmpty());
  const QFont f = PlotFont(21, true);
  EXPECT_EQ(f.pixelSize(), 21);
  EXPECT_EQ(f.weight(), QFont::Bold);
  EXPECT_EQ(PlotFont(0, false).pixelSize(), 1);
}

}  // namespace
}  // namespace korva::results
