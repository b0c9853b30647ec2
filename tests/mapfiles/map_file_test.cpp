#include "mapfiles/map_file.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>

#include "base/file_io.h"
#include "base/platform_error.h"
#include "catalogue/calibration.h"
#include "mapfiles/load_map_files.h"
#include "tests/mapfiles/mapfiles_fixture.h"

namespace karovel::mapfiles {
namespace {

using catalogue::ColFname;
using catalogue::ColMname;
using catalogue::ColName;
using catalogue::ColR;
using Message = RecordingMessageSink::Message;

const char* const ValleyRecord =
    "Path=%PATH%\r\n"
    "Wexaname=valley\r\n"
    "Calib=1\r\n"
    " 3.00000000000000E+0001  5.00000000000000E+0001  1.00000000000000E-0003 -1.00000000000000E-0003\r\n"
    "0 0 50.00000000 30.00000000 1\r\n"
    "1000 500 49.50000000 31.00000000 1\r\n"
    "0 0  0.00000000  0.00000000 0\r\n"
    "0 0  0.00000000  0.00000000 0\r\n"
    "0 0  0.00000000  0.00000000 0\r\n";

std::string WithPath(std::string text, const std::string& path) {
  for (size_t at; (at = text.find("%PATH%")) != std::string::npos;) text.replace(at, 6, path);
  return text;
}

std::string UncalibratedRecord(const std::string& path, const std::string& name) {
  return "Path=" + path + "\r\nWexaname=" + name + "\r\nCalib=0\r\n" +
         "0 0  0.00000000  0.00000000 0\r\n"
         "0 0  0.00000000  0.00000000 0\r\n"
         "0 0  0.00000000  0.00000000 0\r\n"
         "0 0  0.00000000  0.00000000 0\r\n"
         "0 0  0.00000000  0.00000000 0\r\n";
}

class MapFileTest : public ::testing::Test, public MapFilesFixture {
 protected:
  // The valley map of the worked example, added and calibrated through its two points.
  void AddValley(const std::string& picture) {
    auto& p = catalogue.points[0];
    p[0] = {0, 0, 50.0, 30.0, true};
    p[1] = {1000, 500, 49.5, 31.0, true};
    ASSERT_TRUE(catalogue::AddMap(catalogue, host, messages, picture, "valley", ""));
    catalogue::Calibrate(catalogue, 0, messages);
  }
};

TEST_F(MapFileTest, TheCalibratedRecordIsWrittenByteForByte) {
  std::string picture = Picture("valley.ppm", 1001, 501);
  AddValley(picture);
  ASSERT_TRUE(catalogue.entries[0].calibrated);
  EXPECT_EQ(MapFileText(catalogue, 1, 1), WithPath(ValleyRecord, picture));
}

TEST_F(MapFileTest, EmptyRangesAndRowsWithoutMaps) {
  EXPECT_EQ(MapFileText(catalogue, 1, 0), "");
  EXPECT_EQ(MapFileText(catalogue, 2, 2), UncalibratedRecord("", ""));
}

TEST_F(MapFileTest, TwoRecordsGiveTwoMapsInOrderWithTheMapFileAsMname) {
  std::string a = Picture("a.ppm"), b = Picture("b.ppm");
  std::string file = Text(
      "two.gmap", WithPath(ValleyRecord, a) + "\r\nfree text between\r\n" + UncalibratedRecord(b, "second"));
  ReadMapFile(catalogue, host, messages, file);
  ASSERT_EQ(catalogue.mapCount, 2);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(catalogue.grid1.Cell(1, ColName), "valley");
  EXPECT_EQ(catalogue.grid1.Cell(2, ColName), "second");
  EXPECT_EQ(catalogue.grid2.Cell(1, ColFname), a);
  EXPECT_EQ(catalogue.grid2.Cell(2, ColMname), file);
  EXPECT_EQ(catalogue.grid1.Cell(1, ColR), "Y");
  EXPECT_EQ(catalogue.grid1.Cell(2, ColR), "N");
  // Read as stored, without a new fit.
  EXPECT_EQ(catalogue.entries[0].originLon, 30.0);
  EXPECT_EQ(catalogue.entries[0].latPerPixel, -0.001);
  EXPECT_TRUE(catalogue.points[0][1].active);
  EXPECT_EQ(catalogue.points[0][1].pixelX, 1000);
  EXPECT_FALSE(catalogue.points[1][0].active);
}

TEST_F(MapFileTest, LineFeedsAloneAndWrappedNumbersReadTheSame) {
  std::string a = Picture("a.ppm");
  std::string text = WithPath(ValleyRecord, a);
  std::string lf;
  for (char c : text)
    if (c != '\r') lf += c;
  // The fourth line spread over two lines, with tabs.
  size_t at = lf.find("  5.0");
  lf.replace(at, 2, "\n\t");
  ReadMapFile(catalogue, host, messages, Text("lf.gmap", lf));
  ASSERT_EQ(catalogue.mapCount, 1);
  EXPECT_EQ(catalogue.entries[0].originLat, 50.0);
  EXPECT_EQ(catalogue.points[0][1].latitude, 49.5);
}

TEST_F(MapFileTest, SaveAndLoadKeepsTheCalibrationToFifteenDigits) {
  std::string picture = Picture("m.ppm", 300, 200);
  auto& p = catalogue.points[0];
  p[0] = {3, 7, 47.123456789, 8.987654321, true};
  p[1] = {290, 180, 46.9876543, 9.1234567, true};
  p[2] = {150, 20, 47.1, 9.0, true};
  ASSERT_TRUE(catalogue::AddMap(catalogue, host, messages, picture, "m", ""));
  catalogue::Calibrate(catalogue, 0, messages);
  const catalogue::MapEntry before = catalogue.entries[0];
  std::string file = dir.File("saved.gmap");
  WriteMapFileRows(catalogue, 1, 1, file);

  catalogue::MapCatalogue again;
  ReadMapFile(again, host, messages, file);
  ASSERT_EQ(again.mapCount, 1);
  const catalogue::MapEntry& after = again.entries[0];
  for (auto [x, y] : {std::pair{before.originLon, after.originLon},
                      {before.originLat, after.originLat},
                      {before.lonPerPixel, after.lonPerPixel},
                      {before.latPerPixel, after.latPerPixel}})
    EXPECT_NEAR(y, x, std::abs(x) * 1e-14);
  EXPECT_EQ(again.grid1.Cell(1, ColR), "Y");
  EXPECT_EQ(again.points[0][0].pixelX, 3);
  EXPECT_EQ(again.points[0][0].latitude, 47.12345679);
  EXPECT_EQ(again.points[0][1].longitude, 9.1234567);
}

TEST_F(MapFileTest, ALongNameIsCutWhenAddedAndSavedCut) {
  std::string a = Picture("a.ppm");
  ReadMapFile(catalogue, host, messages, Text("n.gmap", UncalibratedRecord(a, "ABCDEFGHIJKLMNOP")));
  ASSERT_EQ(catalogue.mapCount, 1);
  EXPECT_EQ(catalogue.grid1.Cell(1, ColName), "ABCDEFGHIJ");
  EXPECT_NE(MapFileText(catalogue, 1, 1).find("\r\nWexaname=ABCDEFGHIJ\r\n"), std::string::npos);
}

TEST_F(MapFileTest, ABadFlagStopsTheFileAndKeepsEarlierRecords) {
  std::string a = Picture("a.ppm");
  std::string bad = UncalibratedRecord(a, "bad");
  size_t third = bad.find("0 0  0.00000000  0.00000000 0\r\n", bad.find("Calib"));
  for (int i = 0; i < 2; ++i) third = bad.find("\r\n", third) + 2;
  bad.replace(bad.find(" 0\r\n", third), 4, " 2\r\n");
  std::string file = Text("flag.gmap", UncalibratedRecord(a, "good") + bad + UncalibratedRecord(a, "later"));
  ReadMapFile(catalogue, host, messages, file);
  EXPECT_EQ(catalogue.mapCount, 1);
  EXPECT_EQ(catalogue.grid1.Cell(1, ColName), "good");
  EXPECT_EQ(messages.messages, (std::vector<Message>{{CorruptedMessage(file), "Error"}}));
  EXPECT_EQ(CorruptedMessage("x.gmap"), "Map File x.gmap corrupted, exit import");
}

TEST_F(MapFileTest, AMissingNameLineIsCorrupted) {
  std::string a = Picture("a.ppm");
  std::string file = Text("noname.gmap", "Path=" + a + "\r\nCalib=0\r\n");
  ReadMapFile(catalogue, host, messages, file);
  EXPECT_EQ(catalogue.mapCount, 0);
  EXPECT_EQ(messages.messages, (std::vector<Message>{{CorruptedMessage(file), "Error"}}));
}

TEST_F(MapFileTest, AnUnreadableNumberThrowsAndClearsTheSlot) {
  std::string a = Picture("a.ppm");
  std::string text = WithPath(ValleyRecord, a);
  text.replace(text.find("1000 500"), 4, "1x00");
  std::string file = Text("num.gmap", UncalibratedRecord(a, "first") + text);
  try {
    ReadMapFile(catalogue, host, messages, file);
    FAIL() << "no error";
  } catch (const PlatformError& e) {
    EXPECT_STREQ(e.what(), "Invalid numeric input");
  }
  EXPECT_EQ(catalogue.mapCount, 1);
  EXPECT_FALSE(catalogue.entries[1].calibrated);
  EXPECT_EQ(catalogue.entries[1].originLon, 0);
  EXPECT_FALSE(catalogue.points[1][0].active);
}

TEST_F(MapFileTest, AMissingImageSkipsOnlyThatRecord) {
  std::string a = Picture("a.ppm");
  std::string file =
      Text("m.gmap", UncalibratedRecord(dir.File("gone.ppm"), "gone") + UncalibratedRecord(a, "here"));
  ReadMapFile(catalogue, host, messages, file);
  ASSERT_EQ(catalogue.mapCount, 1);
  EXPECT_EQ(catalogue.grid1.Cell(1, ColName), "here");
  EXPECT_EQ(messages.messages, (std::vector<Message>{{"Cannot load image\r\ngone.ppm", "Error"}}));
}

TEST_F(MapFileTest, AFileThatCannotBeOpenedThrows) {
  EXPECT_THROW(ReadMapFile(catalogue, host, messages, dir.File("none.gmap")), PlatformError);
  EXPECT_EQ(catalogue.mapCount, 0);
}

TEST_F(MapFileTest, TheWrittenFileIgnoresTheLocale) {
  std::string picture = Picture("valley.ppm", 1001, 501);
  AddValley(picture);
  std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
  std::string text = MapFileText(catalogue, 1, 1);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(text, WithPath(ValleyRecord, picture));
  if (!comma) GTEST_SKIP() << "no comma locale installed";
}

TEST_F(MapFileTest, AFailedWriteLeavesThePreviousFile) {
  std::string picture = Picture("valley.ppm", 1001, 501);
  AddValley(picture);
  std::string file = Text("keep.gmap", "previous contents");
  // The writer stopped between the temporary file and the rename.
  karovel::beforeAtomicRename = [](const std::string&) { throw PlatformError("Stream write error"); };
  EXPECT_THROW(WriteMapFileRows(catalogue, 1, 1, file), PlatformError);
  karovel::beforeAtomicRename = nullptr;
  EXPECT_EQ(karovel::testing::ReadTextFile(file), "previous contents");
  size_t entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) entries += e.is_regular_file();
  EXPECT_EQ(entries, 2u);  // the picture and the old map file, no temporary left
  WriteMapFileRows(catalogue, 1, 1, file);
  EXPECT_EQ(karovel::testing::ReadTextFile(file), WithPath(ValleyRecord, picture));
}

TEST_F(MapFileTest, OnlyExactCaseExtensionsAreMapFiles) {
  EXPECT_EQ(KindOfMapFile("/a/b.gmap"), MapFileKind::MapFile);
  EXPECT_EQ(KindOfMapFile("/a/b.map"), MapFileKind::OziMap);
  EXPECT_EQ(KindOfMapFile("/a/b.GMAP"), MapFileKind::None);
  EXPECT_EQ(KindOfMapFile("/a/b.Map"), MapFileKind::None);
  EXPECT_EQ(KindOfMapFile("/a/b.jpg"), MapFileKind::None);
}

}  // namespace
}  // namespace karovel::mapfiles
