#include "catalogue/map_catalogue.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "catalogue/calibration.h"
#include "tests/support/temp_dir.h"

namespace karovel::catalogue {
namespace {

using Message = RecordingMessageSink::Message;
using karovel::testing::TempDir;

bool IsZero(const MapEntry& e) {
  return e.originLon == 0 && e.originLat == 0 && e.lonPerPixel == 0 && e.latPerPixel == 0 &&
         e.imageWidth == 0 && e.imageHeight == 0 && !e.calibrated;
}

bool IsZero(const ReferencePoint& p) {
  return p.pixelX == 0 && p.pixelY == 0 && p.latitude == 0 && p.longitude == 0 && !p.active;
}

bool Same(const MapEntry& a, const MapEntry& b) {
  return a.originLon == b.originLon && a.originLat == b.originLat && a.lonPerPixel == b.lonPerPixel &&
         a.latPerPixel == b.latPerPixel && a.imageWidth == b.imageWidth && a.imageHeight == b.imageHeight &&
         a.calibrated == b.calibrated;
}

bool Same(const ReferencePoint& a, const ReferencePoint& b) {
  return a.pixelX == b.pixelX && a.pixelY == b.pixelY && a.latitude == b.latitude &&
         a.longitude == b.longitude && a.active == b.active;
}

template <typename T, size_t N>
bool Same(const std::array<T, N>& a, const std::array<T, N>& b) {
  for (size_t i = 0; i < N; ++i)
    if (!Same(a[i], b[i])) return false;
  return true;
}

// Rows 1 to mapCount hold maps and the rows after them are empty; free slots are zero; "R" follows
// calibrated.
void ExpectInvariants(const MapCatalogue& c) {
  for (int row = 1; row <= c.mapCount; ++row) {
    EXPECT_FALSE(c.grid2.Cell(row, ColFname).empty()) << "row " << row;
    EXPECT_EQ(c.grid1.Cell(row, ColR), c.entries[size_t(row - 1)].calibrated ? "Y" : "N") << "row " << row;
  }
  for (int row = c.mapCount + 1; row < c.grid1.RowCount(); ++row)
    for (int col = 0; col < c.grid1.ColumnCount(); ++col) EXPECT_EQ(c.grid1.Cell(row, col), "") << row;
  for (int row = c.mapCount + 1; row < c.grid2.RowCount(); ++row)
    for (int col = 0; col < c.grid2.ColumnCount(); ++col) EXPECT_EQ(c.grid2.Cell(row, col), "") << row;
  for (int slot = c.mapCount; slot < MaxMaps; ++slot) {
    EXPECT_TRUE(IsZero(c.entries[size_t(slot)])) << "slot " << slot;
    for (const ReferencePoint& p : c.points[size_t(slot)]) EXPECT_TRUE(IsZero(p)) << "slot " << slot;
  }
  EXPECT_EQ(c.grid1.RowCount(), c.grid2.RowCount());
}

// A binary portable pixmap: the quickest image the loader reads.
void WritePpm(const std::string& path, int width, int height) {
  std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  std::vector<uint8_t> bytes(header.begin(), header.end());
  bytes.resize(bytes.size() + size_t(width) * size_t(height) * 3, 0x80);
  karovel::testing::WriteFile(path, bytes);
}

struct CatalogueFixture : ::testing::Test {
  CatalogueFixture() { host.messages = &messages; }

  // Adds a map of a small image whose size tells the maps apart: map k is (k + 1) x 2.
  bool Add(int k, const std::string& name = "") {
    std::string path = dir.File("map" + std::to_string(k) + ".ppm");
    WritePpm(path, k + 1, 2);
    return AddMap(catalogue, host, messages, path, name.empty() ? "map" + std::to_string(k) : name, "");
  }
  void AddMaps(int count) {
    for (int k = 0; k < count; ++k) ASSERT_TRUE(Add(k));
  }
  // Gives map k a recognisable point and calibration.
  void Mark(int k) {
    catalogue.points[size_t(k)][2] = ReferencePoint{k, 10 * k, 40.0 + k, 8.0 + k, true};
    catalogue.entries[size_t(k)].originLon = 100 + k;
  }
  std::string Name(int row) const { return catalogue.grid1.Cell(row, ColName); }

  TempDir dir;
  MapCatalogue catalogue;
  image::ImageHost host;
  RecordingMessageSink messages;
};

TEST(MapCatalogue, StartsWithHeadersAndTenRows) {
  MapCatalogue c;
  EXPECT_EQ(c.grid1.RowCount(), 10);
  EXPECT_EQ(c.grid2.RowCount(), 10);
  const char* headers1[] = {"Img Name", "Size", "MB", "R"};
  for (int col = 0; col < 4; ++col) EXPECT_EQ(c.grid1.Cell(0, col), headers1[col]);
  EXPECT_EQ(c.grid2.Cell(0, ColFname), "Fname");
  EXPECT_EQ(c.grid2.Cell(0, ColMname), "Mname");
  ExpectInvariants(c);
}

struct MegabytesCase {
  int width, height;
  const char* text;  // with '.'
};

class MegabytesTest : public ::testing::TestWithParam<std::tuple<MegabytesCase, char>> {};

TEST_P(MegabytesTest, TwoDecimalsAtMostFourSignificantDigits) {
  const auto& [c, sep] = GetParam();
  std::string expected = c.text;
  for (char& ch : expected)
    if (ch == '.') ch = sep;
  EXPECT_EQ(MegabytesText(c.width, c.height, sep), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, MegabytesTest,
    ::testing::Combine(::testing::Values(MegabytesCase{1024, 768, "0.75"}, MegabytesCase{2000, 3000, "5.72"},
                                         MegabytesCase{1000, 1294, "1.23"},  // 1.23454...
                                         MegabytesCase{1, 1, "0.00"},
                                         MegabytesCase{100000, 100000, "9537.00"},
                                         MegabytesCase{65536, 65536, "4096.00"}),
                       ::testing::Values('.', ',')));

TEST_F(CatalogueFixture, AddMapFillsTheNextRow) {
  std::string path = dir.File("big.ppm");
  WritePpm(path, 1024, 768);
  catalogue.decimalSeparator = ',';
  ASSERT_TRUE(AddMap(catalogue, host, messages, path, "Fourteen chars", ""));
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(catalogue.mapCount, 1);
  EXPECT_EQ(catalogue.grid1.Cell(1, ColName), "Fourteen c");
  EXPECT_EQ(catalogue.grid1.Cell(1, ColSize), "1024x768");
  EXPECT_EQ(catalogue.grid1.Cell(1, ColMB), "0,75");
  EXPECT_EQ(catalogue.grid1.Cell(1, ColR), "N");
  EXPECT_EQ(catalogue.grid2.Cell(1, ColFname), path);
  EXPECT_EQ(catalogue.grid2.Cell(1, ColMname), " ");
  EXPECT_EQ(catalogue.entries[0].imageWidth, 1024);
  EXPECT_EQ(catalogue.entries[0].imageHeight, 768);
  EXPECT_EQ(catalogue.grid1.RowCount(), 11);
  EXPECT_EQ(catalogue.grid2.RowCount(), 11);
  ASSERT_TRUE(host.workingBitmap);
  EXPECT_EQ(host.workingBitmap->width, 1024);
  ExpectInvariants(catalogue);
}

TEST_F(CatalogueFixture, AnEmptyNameBecomesASpaceAndAMapFileNameIsKept) {
  std::string path = dir.File("a.ppm");
  WritePpm(path, 3, 3);
  ASSERT_TRUE(AddMap(catalogue, host, messages, path, "", "/maps/a.gmap"));
  EXPECT_EQ(catalogue.grid1.Cell(1, ColName), " ");
  EXPECT_EQ(catalogue.grid2.Cell(1, ColMname), "/maps/a.gmap");
  ASSERT_TRUE(AddMap(catalogue, host, messages, path, "exactly 10", ""));
  EXPECT_EQ(catalogue.grid1.Cell(2, ColName), "exactly 10");
  // Characters, not bytes: a letter outside ASCII is never cut in half.
  ASSERT_TRUE(AddMap(catalogue, host, messages, path, "Z\xC3\xBCrich-Nord-West", ""));
  EXPECT_EQ(catalogue.grid1.Cell(3, ColName), "Z\xC3\xBCrich-Nor");
  ASSERT_TRUE(
      AddMap(catalogue, host, messages, path, "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", ""));
  EXPECT_EQ(catalogue.grid1.Cell(4, ColName), "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC");
}

TEST_F(CatalogueFixture, AddMapTakesOverWhatAMapFileReaderPutInTheFreeSlot) {
  AddMaps(1);
  catalogue.entries[1] = MapEntry{8.5, 47.5, 0.001, -0.001, 0, 0, true};
  catalogue.points[1][3] = ReferencePoint{5, 6, 47.0, 8.0, true};
  ASSERT_TRUE(Add(1));
  EXPECT_EQ(catalogue.grid1.Cell(2, ColR), "Y");
  EXPECT_EQ(catalogue.entries[1].originLon, 8.5);
  EXPECT_EQ(catalogue.entries[1].latPerPixel, -0.001);
  EXPECT_EQ(catalogue.entries[1].imageWidth, 2);
  EXPECT_TRUE(catalogue.points[1][3].active);
  ExpectInvariants(catalogue);
}

TEST_F(CatalogueFixture, AnImageThatDoesNotLoadAddsNothingAndClearsTheFreeSlot) {
  AddMaps(2);
  catalogue.entries[2].calibrated = true;
  catalogue.points[2][0] = ReferencePoint{1, 2, 3.0, 4.0, true};
  std::string path = dir.File("broken.ppm");
  karovel::testing::WriteTextFile(path, "not an image");
  EXPECT_FALSE(AddMap(catalogue, host, messages, path, "broken", "x.gmap"));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], (Message{"Cannot load image\r\nbroken.ppm", "Error"}));
  EXPECT_EQ(catalogue.mapCount, 2);
  EXPECT_EQ(catalogue.grid1.RowCount(), 12);
  ExpectInvariants(catalogue);
  // The next import starts from a clean slot.
  ASSERT_TRUE(Add(2));
  EXPECT_EQ(catalogue.grid1.Cell(3, ColR), "N");
  EXPECT_FALSE(catalogue.points[2][0].active);
}

TEST_F(CatalogueFixture, TheTwentySecondMapIsRefusedAndNothingChanges) {
  AddMaps(MaxMaps);
  EXPECT_EQ(catalogue.mapCount, 21);
  EXPECT_TRUE(messages.messages.empty());
  const auto entries = catalogue.entries;
  const auto points = catalogue.points;
  const int rows = catalogue.grid1.RowCount();
  const uint8_t* bitmap = host.workingBitmap->pixels.get();
  int changes = 0;
  catalogue.grid1.cellChanged = catalogue.grid2.cellChanged = [&](int, int) { ++changes; };
  catalogue.grid1.rowCountChanged = catalogue.grid2.rowCountChanged = [&] { ++changes; };

  EXPECT_FALSE(Add(21));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], (Message{"The map list is full: at most 21 maps", "Error"}));
  EXPECT_EQ(catalogue.mapCount, 21);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(catalogue.grid1.RowCount(), rows);
  EXPECT_TRUE(Same(entries, catalogue.entries));
  EXPECT_TRUE(Same(points, catalogue.points));
  EXPECT_EQ(host.workingBitmap->pixels.get(), bitmap);  // not even decoded
  EXPECT_EQ(Name(21), "map20");
}

TEST_F(CatalogueFixture, RemovingAMiddleRowMovesTheLaterMapsUp) {
  AddMaps(5);
  for (int k = 0; k < 5; ++k) Mark(k);
  std::vector<int> selected;
  RemoveMap(catalogue, 3, [&](int row) { selected.push_back(row); });
  EXPECT_EQ(catalogue.mapCount, 4);
  EXPECT_EQ(Name(1), "map0");
  EXPECT_EQ(Name(2), "map1");
  EXPECT_EQ(Name(3), "map3");
  EXPECT_EQ(Name(4), "map4");
  EXPECT_EQ(catalogue.grid1.Cell(3, ColSize), "4x2");
  EXPECT_EQ(catalogue.grid2.Cell(4, ColFname), dir.File("map4.ppm"));
  EXPECT_EQ(catalogue.entries[2].imageWidth, 4);
  EXPECT_EQ(catalogue.entries[2].originLon, 103);
  EXPECT_EQ(catalogue.points[3][2].pixelY, 40);
  EXPECT_EQ(catalogue.entries[1].originLon, 101);  // maps before are untouched
  EXPECT_EQ(selected, std::vector<int>{3});
  EXPECT_EQ(catalogue.grid1.RowCount(), 15);  // a removal keeps the row count
  ExpectInvariants(catalogue);
}

TEST_F(CatalogueFixture, RemovingTheFirstAndTheLastRow) {
  AddMaps(5);
  for (int k = 0; k < 5; ++k) Mark(k);
  std::vector<int> selected;
  auto select = [&](int row) { selected.push_back(row); };
  RemoveMap(catalogue, 1, select);
  EXPECT_EQ(Name(1), "map1");
  EXPECT_EQ(catalogue.entries[0].originLon, 101);
  RemoveMap(catalogue, 4, select);  // the last of four: the point editor is emptied
  EXPECT_EQ(catalogue.mapCount, 3);
  EXPECT_EQ(Name(3), "map3");
  EXPECT_EQ(selected, (std::vector<int>{1, 0}));
  ExpectInvariants(catalogue);
  RemoveMap(catalogue, 1, select);
  RemoveMap(catalogue, 1, select);
  RemoveMap(catalogue, 1, select);
  EXPECT_EQ(catalogue.mapCount, 0);
  EXPECT_EQ(selected.back(), 0);
  ExpectInvariants(catalogue);
}

TEST_F(CatalogueFixture, RemovingARowWithoutAMapDoesNothing) {
  AddMaps(3);
  Mark(1);
  int calls = 0;
  for (int row : {0, -1, 4, 9, 100}) RemoveMap(catalogue, row, [&](int) { ++calls; });
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(catalogue.mapCount, 3);
  EXPECT_EQ(Name(3), "map2");
  EXPECT_EQ(catalogue.entries[1].originLon, 101);
  RemoveMap(catalogue, 2);  // no selection callback given
  EXPECT_EQ(Name(2), "map2");
  ExpectInvariants(catalogue);
}

TEST_F(CatalogueFixture, ClearingEmptiesEverything) {
  AddMaps(12);
  for (int k = 0; k < 12; ++k) Mark(k);
  catalogue.selectedMap = 7;
  ClearCatalogue(catalogue);
  EXPECT_EQ(catalogue.mapCount, 0);
  EXPECT_EQ(catalogue.selectedMap, 0);
  EXPECT_EQ(catalogue.grid1.RowCount(), 10);
  EXPECT_EQ(catalogue.grid2.RowCount(), 10);
  EXPECT_EQ(catalogue.grid1.Cell(0, ColName), "Img Name");
  EXPECT_EQ(catalogue.grid2.Cell(0, ColMname), "Mname");
  ExpectInvariants(catalogue);
  ASSERT_TRUE(Add(0));
  EXPECT_EQ(Name(1), "map0");
  EXPECT_EQ(catalogue.grid1.RowCount(), 11);
}

TEST_F(CatalogueFixture, UncalibrateDropsTheFitAndCalibrateRestoresIt) {
  AddMaps(2);
  catalogue.points[1][0] = ReferencePoint{0, 0, 50.0, 30.0, true};
  catalogue.points[1][1] = ReferencePoint{1000, 500, 49.5, 31.0, true};
  Calibrate(catalogue, 1, messages);
  ASSERT_EQ(catalogue.grid1.Cell(2, ColR), "Y");
  const auto points = catalogue.points[1];

  for (int row : {0, 3, -1}) Uncalibrate(catalogue, row);
  EXPECT_TRUE(catalogue.entries[1].calibrated);

  Uncalibrate(catalogue, 2);
  const MapEntry& e = catalogue.entries[1];
  EXPECT_EQ(catalogue.grid1.Cell(2, ColR), "N");
  EXPECT_TRUE(e.originLon == 0 && e.originLat == 0 && e.lonPerPixel == 0 && e.latPerPixel == 0 &&
              !e.calibrated);
  EXPECT_EQ(e.imageWidth, 2);
  EXPECT_EQ(e.imageHeight, 2);
  EXPECT_TRUE(Same(points, catalogue.points[1]));
  ExpectInvariants(catalogue);

  Calibrate(catalogue, 1, messages);
  EXPECT_EQ(catalogue.grid1.Cell(2, ColR), "Y");
  EXPECT_EQ(e.imageWidth, 2);
  EXPECT_DOUBLE_EQ(e.lonPerPixel, 0.001);
  EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
}  // namespace karovel::catalogue
