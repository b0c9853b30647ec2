#include "ui/view_render.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>
#include <tuple>

#include "tests/support/image_writers.h"

namespace karovel::ui {
namespace {

constexpr QRgb Background = 0xFFD4D0C8u;

// Fonts need an application object; window tests may have made one already.
void EnsureApplication() {
  static int argc = 1;
  static char name[] = "view_render_test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QApplication(argc, argv);
}

image::WorkingBitmap BitmapOf(const testing::RgbImage& picture) {
  image::WorkingBitmap bitmap;
  EXPECT_TRUE(image::AllocateBitmap(bitmap, picture.width, picture.height));
  std::memcpy(bitmap.pixels.get(), picture.pixels.data(), picture.pixels.size());
  return bitmap;
}

QRgb ExpectedAt(const testing::RgbImage& picture, int64_t x, int64_t y) {
  if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return Background;
  const uint8_t* p = picture.At(int(x), int(y));
  return qRgb(p[0], p[1], p[2]);
}

// hPos, vPos over a 50 x 35 image in a 40 x 30 view.
class VisibleRectTest : public ::testing::TestWithParam<std::tuple<int32_t, int32_t>> {};

TEST_P(VisibleRectTest, EveryViewPixelShowsItsImagePixelOrBackground) {
  const auto [hPos, vPos] = GetParam();
  const testing::RgbImage picture = testing::PatternImage(50, 35, 7);
  const image::WorkingBitmap bitmap = BitmapOf(picture);
  QImage view;
  RenderVisibleRect(bitmap, hPos, vPos, 40, 30, Background, view);
  ASSERT_EQ(view.size(), QSize(40, 30));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(view.pixel(x, y), ExpectedAt(picture, int64_t(x) + hPos, int64_t(y) + vPos))
          << "view (" << x << ", " << y << ")";
}

INSTANTIATE_TEST_SUITE_P(Positions, VisibleRectTest,
                         ::testing::Values(std::make_tuple(0, 0), std::make_tuple(-100, -100),
                                           std::make_tuple(-10, -5), std::make_tuple(20, 15),
                                           std::make_tuple(45, 30), std::make_tuple(-3, 20),
                                           std::make_tuple(49, 34), std::make_tuple(50, 0),
                                           std::make_tuple(2000000000, -2000000000),
                                           std::make_tuple(-2147483647, 2147483647)));

TEST(VisibleRect, FullViewAtMinusHundredHasBackgroundBandsLeftAndTop) {
  const testing::RgbImage picture = testing::PatternImage(500, 400, 3);
  const image::WorkingBitmap bitmap = BitmapOf(picture);
  QImage view;
  RenderVisibleRect(bitmap, -100, -100, 665, 558, Background, view);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(view.pixel(i, 300), Background);
    EXPECT_EQ(view.pixel(300, i), Background);
  }
  EXPECT_EQ(view.pixel(100, 100), ExpectedAt(picture, 0, 0));
  EXPECT_EQ(view.pixel(599, 499), ExpectedAt(picture, 499, 399));
  EXPECT_EQ(view.pixel(600, 499), Background);
  EXPECT_EQ(view.pixel(599, 500), Background);
}

TEST(VisibleRect, ReusedTargetFollowsTheViewSizeAndNoBitmapGivesBackground) {
  const image::WorkingBitmap bitmap = BitmapOf(testing::PatternImage(8, 8));
  QImage view(5, 5, QImage::Format_ARGB32);
  RenderVisibleRect(bitmap, 0, 0, 12, 9, Background, view);
  EXPECT_EQ(view.size(), QSize(12, 9));
  EXPECT_EQ(view.format(), QImage::Format_RGB888);
  EXPECT_EQ(view.pixel(11, 8), Background);

  image::WorkingBitmap empty;
  RenderVisibleRect(empty, 0, 0, 4, 4, Background, view);
  EXPECT_EQ(view.pixel(0, 0), Background);
  RenderVisibleRect(bitmap, 0, 0, 0, 4, Background, view);
  EXPECT_TRUE(view.isNull());
}

TEST(Lens, SourceSquareIs38PixelsAroundTheCursor) {
  for (const QPoint cursor : {QPoint(0, 0), QPoint(100, 57), QPoint(-5, 664)}) {
    const QRect square = LensSourceRect(cursor.x(), cursor.y());
    EXPECT_EQ(square, QRect(cursor.x() - 19, cursor.y() - 19, 38, 38)) << cursor.x() << "," << cursor.y();
  }
}

TEST(Lens, StretchesTheSquareAndInvertsCrossHairAndFrame) {
  QImage source(38, 38, QImage::Format_RGB32);
  for (int y = 0; y < 38; ++y)
    for (int x = 0; x < 38; ++x) source.setPixel(x, y, qRgb(x * 6, y * 6, 77));
  const QImage lens = RenderLens(source);
  ASSERT_EQ(lens.size(), QSize(75, 75));
  auto inverted = [](QRgb c) { return qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c)); };
  // Nearest pixel: lens pixel i shows source pixel i * 38 / 75.
  EXPECT_EQ(lens.pixel(10, 10), source.pixel(5, 5));
  EXPECT_EQ(lens.pixel(60, 20), source.pixel(30, 10));
  // Lines and frame are inverted once...
  EXPECT_EQ(lens.pixel(10, 37), inverted(source.pixel(5, 18)));
  EXPECT_EQ(lens.pixel(37, 60), inverted(source.pixel(18, 30)));
  EXPECT_EQ(lens.pixel(0, 0), inverted(source.pixel(0, 0)));
  EXPECT_EQ(lens.pixel(74, 74), inverted(source.pixel(37, 37)));
  EXPECT_EQ(lens.pixel(74, 10), inverted(source.pixel(37, 5)));
  // ...and where two strokes cross the pixel shows through again.
  EXPECT_EQ(lens.pixel(37, 37), source.pixel(18, 18));
  EXPECT_EQ(lens.pixel(0, 37), source.pixel(0, 18));
  EXPECT_EQ(lens.pixel(37, 74), source.pixel(18, 37));
}

TEST(Lens, ShownPixelsPutOverlaysOverThePictureAndOutsideBeyondIt) {
  QImage picture(20, 20, QImage::Format_RGB888);
  picture.fill(qRgb(10, 20, 30));
  QImage overlay(4, 4, QImage::Format_ARGB32_Premultiplied);
  overlay.fill(Qt::transparent);
  overlay.setPixel(1, 1, qRgb(255, 0, 0));
  const QImage shown = ShownPixels(picture, {{QPoint(5, 5), &overlay}}, QRect(-2, 3, 10, 10), Background);
  EXPECT_EQ(shown.pixel(0, 0), Background);        // view (-2, 3)
  EXPECT_EQ(shown.pixel(2, 0), qRgb(10, 20, 30));  // view (0, 3)
  EXPECT_EQ(shown.pixel(8, 3), qRgb(255, 0, 0));   // view (6, 6)
  EXPECT_EQ(shown.pixel(7, 2), qRgb(10, 20, 30));  // transparent part of the overlay
}

class MarkerTest : public ::testing::TestWithParam<int> {
 protected:
  static void SetUpTestSuite() { EnsureApplication(); }
};

TEST_P(MarkerTest, RingsInTheSlotColourWithTransparentCentreAndNumberTopRight) {
  const int slot = GetParam();
  const QImage marker = MarkerPicture(slot);
  ASSERT_EQ(marker.size(), QSize(50, 50));
  const QColor colour = PointColour(slot);
  // Top of each ring on column 25: outer (diameter 30, width 2), middle (20, width 2), inner (10).
  for (int y : {10, 15}) {
    const QColor c = QColor::fromRgba(marker.pixel(25, y));
    EXPECT_GT(c.alpha(), 200) << "row " << y;
    EXPECT_NEAR(c.red(), colour.red(), 40);
    EXPECT_NEAR(c.green(), colour.green(), 40);
    EXPECT_NEAR(c.blue(), colour.blue(), 40);
  }
  EXPECT_GT(qAlpha(marker.pixel(25, 20)), 60);
  for (const QPoint clear :
       {QPoint(25, 25), QPoint(25, 12), QPoint(25, 17), QPoint(0, 0), QPoint(49, 49), QPoint(5, 25)})
    EXPECT_EQ(qAlpha(marker.pixel(clear)), 0) << clear.x() << "," << clear.y();

  auto inkTopRight = [](const QImage& m) {
    int ink = 0;
    for (int y = 0; y < 25; ++y)
      for (int x = 41; x < 50; ++x) ink += qAlpha(m.pixel(x, y)) > 0;
    return ink;
  };
  EXPECT_GT(inkTopRight(marker), 5);
  EXPECT_EQ(inkTopRight(MarkerPicture(slot, false)), 0);

  const QImage icon = TabIconImage(slot);
  EXPECT_EQ(icon.size(), QSize(25, 25));
  EXPECT_EQ(qAlpha(icon.pixel(12, 12)), 0);
  EXPECT_GT(qAlpha(icon.pixel(12, 5)), 100);
}

INSTANTIATE_TEST_SUITE_P(Slots, MarkerTest, ::testing::Range(0, PointSlots));

TEST(Marker, SlotColours) {
  EXPECT_EQ(PointColour(0), QColor(255, 0, 0));
  EXPECT_EQ(PointColour(1), QColor(0, 0, 255));
  EXPECT_EQ(PointColour(2), QColor(0, 128, 0));
  EXPECT_EQ(PointColour(3), QColor(255, 255, 0));
  EXPECT_EQ(PointColour(4), QColor(0, 255, 255));
}

}  // namespace
}  // namespace karovel::ui
