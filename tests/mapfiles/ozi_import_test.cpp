#include "mapfiles/ozi_import.h"

#include <gtest/gtest.h>

#include "base/platform_error.h"
#include "mapfiles/map_file.h"
#include "tests/mapfiles/mapfiles_fixture.h"

namespace karovel::mapfiles {
namespace {

using catalogue::ColFname;
using catalogue::ColMname;
using catalogue::ColName;
using catalogue::ColR;
using Message = RecordingMessageSink::Message;

// A full file as the mapping program writes it, with the lines the importer skips.
std::string OziFile(const std::string& imagePath, const std::string& datum = "WGS 84",
                    const std::string& mmpll1 = "MMPLL,1,  30.000000,  50.000000") {
  return "OziExplorer Map Data File Version 2.2\r\n"
         "valley\r\n" +
         imagePath +
         "\r\n"
         "1 ,Map Code,\r\n" +
         datum +
         ",WGS 84,   0.0000,   0.0000,WGS 84\r\n"
         "Reserved 1\r\n"
         "Reserved 2\r\n"
         "Magnetic Variation,,,E\r\n"
         "Map Projection,Latitude/Longitude,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No\r\n"
         "Point01,xy,    0,    0,in, deg,  50, 0.0000,N,  30, 0.0000,E, grid,   ,           ,           "
         ",N\r\n"
         "Point02,xy, 1000,  500,in, deg,  49,30.0000,N,  31, 0.0000,E, grid,   ,           ,           "
         ",N\r\n"
         "Point03,xy,     ,     ,in, deg,    ,        ,N,    ,        ,E, grid,   ,           ,           "
         ",N\r\n"
         "Projection Setup,,,,,,,,,,\r\n"
         "Map Feature = MF ; Map Comment = MC     These follow if they exist\r\n"
         "Track File = TF      These follow if they exist\r\n"
         "Moving Map Parameters = MM?    These follow if they exist\r\n"
         "MM0,Yes\r\n"
         "MMPNUM,4\r\n"
         "MMPXY,1,0,0\r\n"
         "MMPXY,2,1000,0\r\n"
         "MMPXY,3,1000,500\r\n"
         "MMPXY,4,0,500\r\n" +
         mmpll1 +
         "\r\n"
         "MMPLL,2,  31.000000,  50.000000\r\n"
         "MMPLL,3,  31.000000,  49.500000\r\n"
         "MMPLL,4,  30.000000,  49.500000\r\n"
         "MM1B,111.194926\r\n"
         "MOP,Map Open Position,0,0\r\n"
         "IWH,Map Image Width/Height,1001,501\r\n";
}

class OziImportTest : public ::testing::Test, public MapFilesFixture {};

TEST_F(OziImportTest, TheValleyExampleGivesACalibratedMap) {
  std::string picture = Picture("valley.ppm", 1001, 501);
  std::string file = Text("valley.map", OziFile(picture));
  ImportOziMap(catalogue, host, messages, file);
  ASSERT_EQ(catalogue.mapCount, 1);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(catalogue.grid1.Cell(1, ColName), "valley");
  EXPECT_EQ(catalogue.grid1.Cell(1, ColR), "Y");
  EXPECT_EQ(catalogue.grid2.Cell(1, ColMname), file);
  const catalogue::MapEntry& e = catalogue.entries[0];
  EXPECT_DOUBLE_EQ(e.lonPerPixel, 0.001);
  EXPECT_DOUBLE_EQ(e.latPerPixel, -0.001);
  EXPECT_DOUBLE_EQ(e.originLon, 30.0);
  EXPECT_DOUBLE_EQ(e.originLat, 50.0);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(catalogue.points[0][size_t(i)].active) << i;
  EXPECT_FALSE(catalogue.points[0][4].active);
  EXPECT_EQ(catalogue.points[0][2].pixelX, 1000);
  EXPECT_EQ(catalogue.points[0][2].latitude, 49.5);
}

TEST_F(OziImportTest, AWindowsPathIsFoundBesideTheMapFile) {
  Picture("valley.ppm", 1001, 501);
  std::string file = Text("moved.map", OziFile("C:\\maps\\valley.ppm"));
  ImportOziMap(catalogue, host, messages, file);
  ASSERT_EQ(catalogue.mapCount, 1);
  EXPECT_EQ(catalogue.grid1.Cell(1, ColName), "valley");
  EXPECT_EQ(catalogue.grid2.Cell(1, ColFname), dir.File("valley.ppm"));
}

TEST_F(OziImportTest, OtherDatumsAreRefused) {
  std::string picture = Picture("valley.ppm");
  for (const char* datum : {"WGS84", "wgs 84", "Pulkovo 1942 (1)"}) {
    messages.messages.clear();
    std::string file = Text("d.map", OziFile(picture, datum));
    ImportOziMap(catalogue, host, messages, file);
    EXPECT_EQ(catalogue.mapCount, 0) << datum;
    EXPECT_EQ(messages.messages,
              (std::vector<Message>{{"Map File " + file + " should be WGS 84, exit import", "Error"}}));
  }
}

TEST_F(OziImportTest, DamagedFilesAddNothing) {
  std::string picture = Picture("valley.ppm");
  std::string notOzi = Text("n.map", "Some other text\r\n");
  ImportOziMap(catalogue, host, messages, notOzi);
  EXPECT_EQ(messages.messages.back(), (Message{"Not OZIExplorer file: " + notOzi, "Error"}));

  std::string noImage = Text("e.map", OziFile(""));
  ImportOziMap(catalogue, host, messages, noImage);
  EXPECT_EQ(messages.messages.back(), (Message{CorruptedMessage(noImage), "Error"}));

  // The file ends before any MMPLL line.
  std::string full = OziFile(picture);
  std::string cut = Text("c.map", full.substr(0, full.find("MMPLL")));
  ImportOziMap(catalogue, host, messages, cut);
  EXPECT_EQ(messages.messages.back(), (Message{CorruptedMessage(cut), "Error"}));
  EXPECT_EQ(catalogue.mapCount, 0);
  for (const auto& p : catalogue.points[0]) EXPECT_FALSE(p.active);

  EXPECT_THROW(ImportOziMap(catalogue, host, messages, dir.File("none.map")), PlatformError);
}

TEST_F(OziImportTest, UnreadableCoordinatesLeaveThePointInactive) {
  std::string picture = Picture("valley.ppm", 1001, 501);
  std::string file = Text("b.map", OziFile(picture, "WGS 84", "MMPLL,1,30.0,50.0"));
  ImportOziMap(catalogue, host, messages, file);
  ASSERT_EQ(catalogue.mapCount, 1);
  EXPECT_EQ(messages.messages, (std::vector<Message>{{"Canot convert  to float", "Error"}}));
  EXPECT_FALSE(catalogue.points[0][0].active);
  EXPECT_EQ(catalogue.grid1.Cell(1, ColR), "Y");  // three points still fit
}

TEST(ParseMmpllLine, TheSeparatorComesFromEachNumber) {
  PointSet points{};
  RecordingMessageSink messages;
  for (char user : {'.', ','}) {
    points = {};
    EXPECT_TRUE(ParseMmpllLine("MMPLL,1,  30,500000,  50,250000", points, user, messages));
    EXPECT_EQ(points[0].longitude, 30.5);
    EXPECT_EQ(points[0].latitude, 50.25);
    EXPECT_TRUE(points[0].active);
    EXPECT_TRUE(ParseMmpllLine("MMPLL,2,  -8.25,  47", points, user, messages));
    EXPECT_EQ(points[1].longitude, -8.25);
    EXPECT_EQ(points[1].latitude, 47.0);
  }
  EXPECT_TRUE(messages.messages.empty());
}

TEST(ParseMmpLines, PointNumbersOutsideTheFiveTouchNothing) {
  PointSet points{};
  RecordingMessageSink messages;
  for (const char* line : {"MMPXY,0,5,5", "MMPXY,6,5,5", "MMPXY,-1,5,5", "MMPXY,x,5,5", "MMPXY,1,5"}) {
    EXPECT_FALSE(ParseMmpxyLine(line, points)) << line;
  }
  EXPECT_FALSE(ParseMmpllLine("MMPLL,6,  30.0,  50.0", points, '.', messages));
  for (const auto& p : points) {
    EXPECT_EQ(p.pixelX, 0);
    EXPECT_FALSE(p.active);
  }
  EXPECT_TRUE(ParseMmpxyLine("MMPXY,5, 12, 34 ", points));
  EXPECT_EQ(points[4].pixelX, 12);
  EXPECT_EQ(points[4].pixelY, 34);
  EXPECT_FALSE(points[4].active);
}

TEST(MapNameFromImagePath, CutsAtTheFirstOccurrenceOfTheExtension) {
  EXPECT_EQ(MapNameFromImagePath("C:\\maps\\valley.jpg"), "valley");
  EXPECT_EQ(MapNameFromImagePath("/maps/photo.tar.jpg"), "photo.tar");
  EXPECT_EQ(MapNameFromImagePath("/maps/a.jpg.jpg"), "a");
  EXPECT_EQ(MapNameFromImagePath("/maps/plain"), "plain");
  EXPECT_EQ(MapNameFromImagePath("C:\\maps\\"), "");
}

}  // namespace
}  // namespace karovel::mapfiles
