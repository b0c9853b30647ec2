#include "ui/overview_render.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>

namespace karovel::ui {
namespace {

// Text needs a running application for its fonts.
void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "overview_test";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

constexpr QRgb Black = 0xFF000000;

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000; }

OverviewBounds Box(double west, double east, double north, double south) {
  return OverviewBounds{west, east, north, south};
}

TEST(OverviewBoundsTest, FollowTheCalibrationModel) {
  catalogue::MapEntry e;
  e.originLon = 30;
  e.originLat = 50;
  e.lonPerPixel = 0.001;
  e.latPerPixel = -0.002;
  e.imageWidth = 1000;
  e.imageHeight = 250;
  OverviewBounds b = MapBounds(e);
  EXPECT_DOUBLE_EQ(b.west, 30);
  EXPECT_DOUBLE_EQ(b.east, 31);
  EXPECT_DOUBLE_EQ(b.north, 50);
  EXPECT_DOUBLE_EQ(b.south, 49.5);
}

struct LayoutCase {
  const char* label;
  std::vector<OverviewBounds> maps;
  int width, height;
  double scale;
  int offsetX, offsetY;
};

class OverviewLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(OverviewLayoutTest, ScaleAndMargins) {
  const LayoutCase& c = GetParam();
  std::string refusal;
  auto g = LayOutOverview(c.maps, c.width, c.height, &refusal);
  ASSERT_TRUE(g) << refusal;
  EXPECT_DOUBLE_EQ(g->scale, c.scale);
  EXPECT_DOUBLE_EQ(g->degPerPixel, 1 / c.scale);
  EXPECT_EQ(g->offsetX, c.offsetX);
  EXPECT_EQ(g->offsetY, c.offsetY);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OverviewLayoutTest,
    ::testing::Values(
        // 2 x 0.5 degrees in 665 x 558: the width binds; 25 + round(708.5 * 0.5 / 2 = 177.125).
        LayoutCase{"wide", {Box(10, 12, 50, 49.5)}, 665, 558, 307.5, 25, 202},
        // 0.5 x 2 degrees: the height binds; 25 + round((1230 - 254) * 0.5 / 2 = 244).
        LayoutCase{"tall", {Box(10, 10.5, 51, 49)}, 665, 558, 254, 269, 25},
        // 100 x 100 pixels per degree square in a 150 x 150 view: both directions bind.
        LayoutCase{"square", {Box(0, 1, 1, 0)}, 150, 150, 100, 25, 25},
        // Halves go to the even neighbour: (792 - 100) * 0.25 / 2 = 86.5 gives 86, 87.5 gives 88.
        LayoutCase{"half down to even", {Box(0, 0.25, 1, 0)}, 248, 150, 100, 111, 25},
        LayoutCase{"half up to even", {Box(0, 0.25, 1, 0)}, 250, 150, 100, 113, 25},
        // Two maps with a gap span the union of both.
        LayoutCase{"gap", {Box(0, 1, 1, 0), Box(3, 4, 1, 0)}, 450, 150, 100, 25, 25},
        // No maps: the starting bounds stand, both raw scales are negative, the margins stay 25.
        LayoutCase{"empty", {}, 665, 558, 615.0 / 360, 25, 25}),
    [](const auto& info) {
      std::string s = info.param.label;
      for (char& ch : s)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return s;
    });

TEST(OverviewLayoutRefusalTest, DegenerateViewsAndMaps) {
  struct Case {
    std::vector<OverviewBounds> maps;
    int width, height;
    const char* message;
  };
  const Case cases[] = {
      {{Box(0, 1, 1, 0)}, 50, 400, OverviewViewTooSmallMessage},
      {{Box(0, 1, 1, 0)}, 400, 50, OverviewViewTooSmallMessage},
      {{Box(0, 1, 1, 0)}, 0, 0, OverviewViewTooSmallMessage},
      {{Box(5, 5, 1, 0)}, 400, 400, OverviewNoExtentMessage},                            // no width
      {{Box(0, 1, 3, 3)}, 400, 400, OverviewNoExtentMessage},                            // no height
      {{Box(0, 1e308, 1, 0), Box(-1e308, 0, 1, 0)}, 400, 400, OverviewNoExtentMessage},  // overflow
  };
  for (const Case& c : cases) {
    std::string refusal;
    EXPECT_FALSE(LayOutOverview(c.maps, c.width, c.height, &refusal));
    EXPECT_EQ(refusal, c.message);
  }
  EXPECT_TRUE(LayOutOverview({Box(0, 1, 1, 0)}, 51, 51, nullptr));
}

TEST(OverviewLayoutTest, ReadOutAtTheMarginsGivesNorthWestBounds) {
  std::vector<OverviewBounds> maps = {Box(10, 12, 50, 49.5), Box(11, 13.5, 49.8, 48)};
  auto g = LayOutOverview(maps, 665, 558, nullptr);
  ASSERT_TRUE(g);
  // The read-out inverts the drawing from the margins: px = x - offsetX, py = y - offsetY.
  EXPECT_DOUBLE_EQ(g->minLon + 0 * g->degPerPixel, 10);
  EXPECT_DOUBLE_EQ(g->maxLat - 0 * g->degPerPixel, 50);
  // And the north-west corner of the union lands on that very pixel.
  OverviewRect r = MapRectangle(*g, Box(10, 13.5, 50, 48));
  // The drawing agrees with the read-out to within a pixel.
  EXPECT_NEAR(r.x1, g->offsetX, 1);
  EXPECT_NEAR(r.y1, g->offsetY, 1);
  EXPECT_NEAR(g->height - 2 * g->offsetY, (50 - 48) * g->scale, 1);
}

class OverviewDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureApplication(); }
};

TEST_F(OverviewDrawingTest, SingleWideMapIsCentredVertically) {
  std::vector<OverviewBounds> maps = {Box(10, 12, 50, 49.5)};
  auto g = LayOutOverview(maps, 665, 558, nullptr);
  ASSERT_TRUE(g);
  QImage picture = DrawOverview(*g, maps, {""});
  ASSERT_EQ(picture.size(), QSize(665, 558));
  OverviewRect r = MapRectangle(*g, maps[0]);
  EXPECT_EQ(r.x1, 25);
  EXPECT_EQ(r.x2, 640);
  EXPECT_EQ(558 - r.y2, r.y1);  // equal margins above and below
  // Outline at x1..x2-1 and y1..y2-1; silver just outside it.
  EXPECT_EQ(At(picture, r.x1, (r.y1 + r.y2) / 2), Black);
  EXPECT_EQ(At(picture, r.x2 - 1, (r.y1 + r.y2) / 2), Black);
  EXPECT_EQ(At(picture, (r.x1 + r.x2) / 2, r.y1), Black);
  EXPECT_EQ(At(picture, (r.x1 + r.x2) / 2, r.y2 - 1), Black);
  EXPECT_EQ(At(picture, r.x1 - 1, (r.y1 + r.y2) / 2), OverviewSilver);
  EXPECT_EQ(At(picture, r.x2, (r.y1 + r.y2) / 2), OverviewSilver);
  EXPECT_EQ(At(picture, (r.x1 + r.x2) / 2, r.y1 - 1), OverviewSilver);
  EXPECT_EQ(At(picture, 5, 5), OverviewSilver);
  // The inside is hatched: blue lines with silver between them, nothing else.
  int blue = 0, silver = 0, other = 0;
  for (int y = r.y1 + 20; y < r.y2 - 20; ++y)
    for (int x = r.x1 + 20; x < r.x2 - 20; ++x) {
      QRgb p = At(picture, x, y);
      (p == OverviewBlue ? blue : p == OverviewSilver ? silver : other)++;
    }
  EXPECT_EQ(other, 0);
  EXPECT_GT(blue, 0);
  EXPECT_GT(silver, blue);
}

TEST_F(OverviewDrawingTest, GapBetweenMapsStaysSilver) {
  std::vector<OverviewBounds> maps = {Box(0, 1, 1, 0), Box(3, 4, 1, 0)};
  auto g = LayOutOverview(maps, 450, 150, nullptr);
  ASSERT_TRUE(g);
  QImage picture = DrawOverview(*g, maps, {"", ""});
  OverviewRect a = MapRectangle(*g, maps[0]), b = MapRectangle(*g, maps[1]);
  EXPECT_EQ(b.x1 - a.x1, 300);  // three degrees at 100 pixels each
  EXPECT_EQ(a.x2 - a.x1, b.x2 - b.x1);
  for (int y = a.y1; y < a.y2; ++y)
    for (int x = a.x2; x < b.x1; ++x) ASSERT_EQ(At(picture, x, y), OverviewSilver) << x << "," << y;
}

TEST_F(OverviewDrawingTest, OverlappingMapsShowThroughEachOther) {
  // The second map covers the right half of the first.
  std::vector<OverviewBounds> maps = {Box(0, 2, 2, 0), Box(1, 3, 1.5, 0.5)};
  auto g = LayOutOverview(maps, 350, 250, nullptr);
  ASSERT_TRUE(g);
  QImage picture = DrawOverview(*g, maps, {"", ""});
  OverviewRect a = MapRectangle(*g, maps[0]), b = MapRectangle(*g, maps[1]);
  ASSERT_LT(b.x1, a.x2);
  // The first's right outline runs through the second's inside and is still there between the second's
  // hatch lines.
  int black = 0, rows = 0;
  for (int y = b.y1 + 2; y < b.y2 - 2; ++y, ++rows)
    if (At(picture, a.x2 - 1, y) == Black) ++black;
  EXPECT_GT(black, rows / 2);
  // The second's outline is drawn over the first's hatch.
  for (int x = b.x1; x < a.x2 - 1; ++x) ASSERT_EQ(At(picture, x, b.y1), Black) << x;
  // Inside the overlap only hatch and silver show.
  for (int y = b.y1 + 2; y < b.y2 - 2; ++y)
    for (int x = b.x1 + 2; x < a.x2 - 3; ++x) {
      QRgb p = At(picture, x, y);
      ASSERT_TRUE(p == OverviewBlue || p == OverviewSilver) << x << "," << y;
    }
}

TEST_F(OverviewDrawingTest, NameInBoldBlueOnSilverAtTheCorner) {
  std::vector<OverviewBounds> maps = {Box(0, 2, 1, 0)};
  auto g = LayOutOverview(maps, 450, 250, nullptr);
  ASSERT_TRUE(g);
  QImage named = DrawOverview(*g, maps, {"Valley"});
  QImage other = DrawOverview(*g, maps, {"Ridge"});
  QImage bare = DrawOverview(*g, maps, {""});
  OverviewRect r = MapRectangle(*g, maps[0]);
  QFont font;
  font.setPointSize(10);
  font.setBold(true);
  const QFontMetrics metrics(font, &named);
  const int textWidth = metrics.horizontalAdvance("Valley"), textHeight = metrics.height();
  int blue = 0;
  for (int y = r.y1 + 1; y < r.y1 + 1 + textHeight; ++y)
    for (int x = r.x1 + 1; x < r.x1 + 1 + textWidth; ++x) {
      QRgb p = At(named, x, y);
      ASSERT_TRUE(p == OverviewBlue || p == OverviewSilver) << "hatch under the name at " << x << "," << y;
      if (p == OverviewBlue) ++blue;
    }
  EXPECT_GT(blue, 20);
  EXPECT_NE(named, other);
  // Away from the text the pictures agree.
  EXPECT_EQ(named.copy(0, r.y1 + 1 + textHeight, 450, 250 - r.y1 - 1 - textHeight),
            bare.copy(0, r.y1 + 1 + textHeight, 450, 250 - r.y1 - 1 - textHeight));
}

TEST_F(OverviewDrawingTest, EmptyCatalogueIsPlainSilver) {
  auto g = LayOutOverview({}, 300, 200, nullptr);
  ASSERT_TRUE(g);
  QImage picture = DrawOverview(*g, {}, {});
  QImage silver(300, 200, QImage::Format_RGB32);
  silver.fill(OverviewSilver);
  silver.setDotsPerMeterX(picture.dotsPerMeterX());
  silver.setDotsPerMeterY(picture.dotsPerMeterY());
  EXPECT_EQ(picture, silver);
}

}  // namespace
}  // namespace karovel::ui
