#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/support/image_writers.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/command_outcome.h"

namespace karovel::tools {
namespace {

using testing::EncodeGif;
using testing::EncodePng;
using testing::PatternImage;
using testing::TempDir;
using testing::WriteFile;

Outcome Image(const Args& args) { return RunCaptured(RunImage, args); }

class ImageCommandTest : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(ImageCommandTest, OneLinePerFileAndTheMessageForFailures) {
  const std::string bmp = dir.File("a.bmp"), png = dir.File("b.jpg"), gif = dir.File("c.gif");
  const std::string ico = dir.File("d.ico");
  testing::WriteBmpFile(bmp, 7, 3);
  WriteFile(png, EncodePng(PatternImage(12, 34)));
  testing::GifFrame frame;
  frame.left = frame.top = 1, frame.width = frame.height = 2, frame.indices = {0, 1, 1, 0};
  WriteFile(gif, EncodeGif(5, 6, {0, 0, 0, 255, 255, 255}, 0, {frame}));
  WriteFile(ico, {0, 0, 1, 0});
  Outcome run = Image({bmp, ico, png, gif});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, bmp + "\tWindows bitmaps\t7x3\n" + png + "\tPortable network graphic images\t12x34\n" +
                         gif + "\tGIF\t5x6\n");
  EXPECT_EQ(run.err, "Error: Cannot load image\r\nd.ico\n");

  run = Image({bmp});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
}

TEST_F(ImageCommandTest, WritesThePixelsAsPpm) {
  const std::string png = dir.File("p.png"), out = dir.File("out.ppm");
  testing::RgbImage picture = PatternImage(9, 4, 3);
  WriteFile(png, EncodePng(picture));
  Outcome run = Image({png, "--ppm", out});
  EXPECT_EQ(run.status, 0) << run.err;
  std::vector<uint8_t> expected = {'P', '6', '\n', '9', ' ', '4', '\n', '2', '5', '5', '\n'};
  expected.insert(expected.end(), picture.pixels.begin(), picture.pixels.end());
  EXPECT_EQ(testing::ReadFile(out), expected);

  EXPECT_EQ(Image({"--ppm=" + dir.File("second.ppm"), png}).status, 0);
  EXPECT_EQ(testing::ReadFile(dir.File("second.ppm")), expected);
}

// A file that fails leaves no PPM behind, and an output that cannot be written is reported.
TEST_F(ImageCommandTest, PpmFailures) {
  const std::string out = dir.File("out.ppm");
  WriteFile(dir.File("bad.png"), {0x89, 'P', 'N', 'G'});
  Outcome run = Image({dir.File("bad.png"), "--ppm", out});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Error: Cannot load image\r\nbad.png\n");
  struct stat st;
  EXPECT_NE(::stat(out.c_str(), &st), 0);

  testing::WriteBmpFile(dir.File("ok.bmp"), 2, 2);
  run = Image({dir.File("ok.bmp"), "--ppm", dir.File("no/such/folder/out.ppm")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Cannot create file"), std::string::npos) << run.err;
}

TEST_F(ImageCommandTest, WrongUsage) {
  testing::WriteBmpFile(dir.File("a.bmp"), 2, 2);
  const std::string a = dir.File("a.bmp");
  for (const Args& args :
       {Args{}, Args{"--bogus", a}, Args{a, "--ppm"}, Args{a, a, "--ppm", dir.File("x.ppm")},
        Args{a, "--ppm", dir.File("x.ppm"), "--ppm", dir.File("y.ppm")}, Args{"--ppm="}}) {
    Outcome run = Image(args);
    EXPECT_EQ(run.status, 2) << ::testing::PrintToString(args);
    EXPECT_NE(run.err.find("usage: karovel-rmp image"), std::string::npos);
    EXPECT_EQ(run.out, "");
  }
  Outcome help = Image({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: karovel-rmp image FILE... [--ppm OUT]"), std::string::npos);
  // After "--" a name starting with a dash is a file.
  Outcome dashed = Image({"--", "-odd.bmp"});
  EXPECT_EQ(dashed.status, 1);
  EXPECT_EQ(dashed.err, "Error: Cannot load image\r\n-odd.bmp\n");
}

}  // namespace
}  // namespace karovel::tools
