#include "catalogue/calibration.h"

#include <gtest/gtest.h>

#include <climits>

namespace karovel::catalogue {
namespace {

using Message = RecordingMessageSink::Message;

// Three maps in the grid rows; calibration needs no images.
struct CalibrationFixture : ::testing::Test {
  void SetUp() override {
    catalogue.mapCount = 3;
    for (int row = 1; row <= 3; ++row) {
      catalogue.grid1.SetCell(row, ColName, "map" + std::to_string(row));
      catalogue.grid1.SetCell(row, ColR, "N");
    }
  }
  ReferencePoint& Point(int map, int k) { return catalogue.points[size_t(map)][size_t(k)]; }
  void SetPoint(int map, int k, int x, int y, double lat, double lon, bool active = true) {
    Point(map, k) = ReferencePoint{x, y, lat, lon, active};
  }
  const MapEntry& Entry(int map) const { return catalogue.entries[size_t(map)]; }
  const std::string& R(int map) const { return catalogue.grid1.Cell(map + 1, ColR); }
  // The standard two-point fit of the examples: 0.001 / -0.001 from 30 E, 50 N.
  void SetStandardPoints(int map) {
    SetPoint(map, 0, 0, 0, 50.0, 30.0);
    SetPoint(map, 1, 1000, 500, 49.5, 31.0);
  }

  MapCatalogue catalogue;
  RecordingMessageSink messages;
};

TEST_F(CalibrationFixture, TwoPointsGiveTheLineThroughBoth) {
  SetStandardPoints(1);
  Calibrate(catalogue, 1, messages);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_DOUBLE_EQ(Entry(1).lonPerPixel, 0.001);
  EXPECT_DOUBLE_EQ(Entry(1).latPerPixel, -0.001);
  EXPECT_DOUBLE_EQ(Entry(1).originLon, 30.0);
  EXPECT_DOUBLE_EQ(Entry(1).originLat, 50.0);
  EXPECT_TRUE(Entry(1).calibrated);
  EXPECT_EQ(R(1), "Y");
  // Other maps are not touched.
  EXPECT_EQ(R(0), "N");
  EXPECT_EQ(Entry(0).lonPerPixel, 0);
}

TEST_F(CalibrationFixture, InactivePointsAreIgnoredWhateverTheyHold) {
  SetStandardPoints(0);
  Calibrate(catalogue, 0, messages);
  const MapEntry reference = Entry(0);
  SetStandardPoints(2);
  SetPoint(2, 2, 7, 7, 1e300, -1e300, false);
  SetPoint(2, 3, INT_MAX, INT_MIN, 0.0, 0.0, false);
  SetPoint(2, 4, 500, 500, 10.0, 10.0, false);
  Calibrate(catalogue, 2, messages);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(Entry(2).lonPerPixel, reference.lonPerPixel);
  EXPECT_EQ(Entry(2).latPerPixel, reference.latPerPixel);
  EXPECT_EQ(Entry(2).originLon, reference.originLon);
  EXPECT_EQ(Entry(2).originLat, reference.originLat);
  EXPECT_EQ(R(2), "Y");
}

// The sums and formulas in their stated order give these exact bits.
TEST_F(CalibrationFixture, FiveAwkwardPointsMatchAHandComputationBitForBit) {
  const int xs[5] = {17, 2093, 1501, 40, INT_MAX};
  const int ys[5] = {-3, 1777, 4099, 2600, 123456789};
  const double lats[5] = {47.123456789, 46.98765, 46.5, 46.7071, -12.25};
  const double lons[5] = {8.5, 8.987654321, 8.7, 8.01, 199.75};
  for (int k = 0; k < 5; ++k) SetPoint(0, k, xs[k], ys[k], lats[k], lons[k]);
  Calibrate(catalogue, 0, messages);

  double n = 0, sx = 0, sxx = 0, sl = 0, sxl = 0, sy = 0, syy = 0, sp = 0, syp = 0;
  for (int k = 0; k < 5; ++k) {
    double x = xs[k], y = ys[k];
    n += 1;
    sx += x;
    sxx += x * x;
    sl += lons[k];
    sxl += x * lons[k];
    sy += y;
    syy += y * y;
    sp += lats[k];
    syp += y * lats[k];
  }
  const double lonPerPixel = (n * sxl - sx * sl) / (n * sxx - sx * sx);
  const double latPerPixel = (n * syp - sy * sp) / (n * syy - sy * sy);
  EXPECT_EQ(Entry(0).lonPerPixel, lonPerPixel);
  EXPECT_EQ(Entry(0).latPerPixel, latPerPixel);
  EXPECT_EQ(Entry(0).originLon, (sl - lonPerPixel * sx) / n);
  EXPECT_EQ(Entry(0).originLat, (sp - latPerPixel * sy) / n);
  EXPECT_EQ(R(0), "Y");
}

class TooFewPointsTest : public CalibrationFixture, public ::testing::WithParamInterface<bool> {};
INSTANTIATE_TEST_SUITE_P(CalibratedBefore, TooFewPointsTest, ::testing::Bool());

TEST_P(TooFewPointsTest, OneActivePointFailsAndKeepsTheValues) {
  if (GetParam()) {
    SetStandardPoints(1);
    Calibrate(catalogue, 1, messages);
    ASSERT_EQ(R(1), "Y");
  }
  const MapEntry before = Entry(1);
  Point(1, 1).active = false;
  SetPoint(1, 4, 10, 10, 1.0, 1.0, false);
  Calibrate(catalogue, 1, messages);
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], (Message{"There must be at least 2 Reference Points", "Error"}));
  EXPECT_FALSE(Entry(1).calibrated);
  EXPECT_EQ(R(1), "N");
  EXPECT_EQ(Entry(1).lonPerPixel, before.lonPerPixel);
  EXPECT_EQ(Entry(1).latPerPixel, before.latPerPixel);
  EXPECT_EQ(Entry(1).originLon, before.originLon);
  EXPECT_EQ(Entry(1).originLat, before.originLat);
}

TEST_F(CalibrationFixture, NoActivePointFailsTheSameWay) {
  Calibrate(catalogue, 0, messages);
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].text, "There must be at least 2 Reference Points");
  EXPECT_EQ(R(0), "N");
}

TEST_F(CalibrationFixture, EqualLatitudesStoreTheFitButFail) {
  SetPoint(0, 0, 0, 0, 50.0, 30.0);
  SetPoint(0, 1, 1000, 500, 50.0, 31.0);
  Calibrate(catalogue, 0, messages);
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], (Message{"Calibration error, XScale or YScale =0", "Error"}));
  EXPECT_FALSE(Entry(0).calibrated);
  EXPECT_EQ(R(0), "N");
  EXPECT_EQ(Entry(0).latPerPixel, 0.0);
  EXPECT_DOUBLE_EQ(Entry(0).lonPerPixel, 0.001);
  EXPECT_DOUBLE_EQ(Entry(0).originLon, 30.0);
  EXPECT_EQ(Entry(0).originLat, 50.0);
}

TEST_F(CalibrationFixture, RecalibrationReplacesAllFourValues) {
  SetStandardPoints(0);
  Calibrate(catalogue, 0, messages);
  const MapEntry before = Entry(0);
  SetPoint(0, 1, 2000, 250, 49.0, 32.5);
  SetPoint(0, 2, 500, 1000, 48.0, 30.5);
  Calibrate(catalogue, 0, messages);
  EXPECT_TRUE(messages.messages.empty());

  MapCatalogue fresh;
  fresh.mapCount = 1;
  fresh.points[0] = catalogue.points[0];
  Calibrate(fresh, 0, messages);
  EXPECT_EQ(Entry(0).lonPerPixel, fresh.entries[0].lonPerPixel);
  EXPECT_EQ(Entry(0).latPerPixel, fresh.entries[0].latPerPixel);
  EXPECT_EQ(Entry(0).originLon, fresh.entries[0].originLon);
  EXPECT_EQ(Entry(0).originLat, fresh.entries[0].originLat);
  EXPECT_NE(Entry(0).lonPerPixel, before.lonPerPixel);
  EXPECT_NE(Entry(0).latPerPixel, before.latPerPixel);
  EXPECT_NE(Entry(0).originLon, before.originLon);
  EXPECT_NE(Entry(0).originLat, before.originLat);
  EXPECT_EQ(R(0), "Y");
}

struct DegenerateCase {
  const char* name;
  int x1, y1;  // second point; the first is (100, 200)
};

class ZeroDenominatorTest : public CalibrationFixture,
                            public ::testing::WithParamInterface<DegenerateCase> {};
INSTANTIATE_TEST_SUITE_P(Cases, ZeroDenominatorTest,
                         ::testing::Values(DegenerateCase{"SameColumn", 100, 900},
                                           DegenerateCase{"SameRow", 700, 200},
                                           DegenerateCase{"SamePixel", 100, 200}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(ZeroDenominatorTest, FailsCleanlyAndKeepsThePreviousFit) {
  SetStandardPoints(2);
  Calibrate(catalogue, 2, messages);
  ASSERT_EQ(R(2), "Y");
  const MapEntry before = Entry(2);
  SetPoint(2, 0, 100, 200, 50.0, 30.0);
  SetPoint(2, 1, GetParam().x1, GetParam().y1, 49.0, 31.0);
  SetPoint(2, 2, GetParam().x1, GetParam().y1, 49.0, 31.0);  // more points on the same line
  Calibrate(catalogue, 2, messages);
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0],
            (Message{"Calibration error, reference points must differ in X and in Y", "Error"}));
  EXPECT_FALSE(Entry(2).calibrated);
  EXPECT_EQ(R(2), "N");
  EXPECT_EQ(Entry(2).lonPerPixel, before.lonPerPixel);
  EXPECT_EQ(Entry(2).latPerPixel, before.latPerPixel);
  EXPECT_EQ(Entry(2).originLon, before.originLon);
  EXPECT_EQ(Entry(2).originLat, before.originLat);
}

TEST_F(CalibrationFixture, AnIndexWithoutAMapDoesNothing) {
  for (int map = 0; map < MaxMaps; ++map) SetStandardPoints(map);
  for (int index : {-1, 3, 20, 21, 1000}) Calibrate(catalogue, index, messages);
  EXPECT_TRUE(messages.messages.empty());
  for (int map = 0; map < MaxMaps; ++map) EXPECT_FALSE(Entry(map).calibrated) << map;
  EXPECT_EQ(catalogue.grid1.Cell(4, ColR), "");
}

}  // namespace
}  // namespace karovel::catalogue
