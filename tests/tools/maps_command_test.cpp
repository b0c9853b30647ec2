#include <gtest/gtest.h>

#include "tests/mapfiles/mapfiles_fixture.h"
#include "tests/tools/command_outcome.h"

namespace karovel::tools {
namespace {

Outcome Maps(const Args& args) { return RunCaptured(RunMaps, args); }

class MapsCommandTest : public ::testing::Test, public mapfiles::MapFilesFixture {};

TEST_F(MapsCommandTest, ConvertsAnOziFileToTheMapFileRecord) {
  std::string picture = Picture("valley.ppm", 1001, 501);
  std::string ozi =
      Text("valley.map", "OziExplorer Map Data File Version 2.2\r\nvalley\r\n" + picture +
                             "\r\n1 ,Map Code,\r\nWGS 84,WGS 84,   0.0000,   0.0000,WGS 84\r\n"
                             "MMPXY,1,0,0\r\nMMPXY,2,1000,500\r\n"
                             "MMPLL,1,  30.000000,  50.000000\r\nMMPLL,2,  31.000000,  49.500000\r\n");
  // Other files are skipped silently, a capitalised extension included.
  Outcome run = Maps({ozi, Text("notes.txt", "x"), Text("b.GMAP", "x")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "Path=" + picture +
                         "\r\nWexaname=valley\r\nCalib=1\r\n"
                         " 3.00000000000000E+0001  5.00000000000000E+0001  1.00000000000000E-0003 "
                         "-1.00000000000000E-0003\r\n"
                         "0 0 50.00000000 30.00000000 1\r\n"
                         "1000 500 49.50000000 31.00000000 1\r\n"
                         "0 0  0.00000000  0.00000000 0\r\n"
                         "0 0  0.00000000  0.00000000 0\r\n"
                         "0 0  0.00000000  0.00000000 0\r\n");
}

TEST_F(MapsCommandTest, MessagesGoToStderrAndSetTheStatus) {
  std::string bad = Text("bad.map", "nothing here\r\n");
  Outcome run = Maps({bad});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "Error: Not OZIExplorer file: " + bad + "\n");

  run = Maps({dir.File("missing.gmap")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err, "");
}

TEST_F(MapsCommandTest, WrongUsage) {
  EXPECT_EQ(Maps({}).status, 2);
  EXPECT_EQ(Maps({"--bogus"}).status, 2);
  Outcome help = Maps({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: karovel-rmp maps"), std::string::npos);
}

}  // namespace
}  // namespace karovel::tools
