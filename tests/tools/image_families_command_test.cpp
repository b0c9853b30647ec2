// karovel-rmp image names the family and the size of a file of every family of the format table.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <set>
#include <string>

#include "image/image_family.h"
#include "tests/support/family_writers.h"
#include "tests/support/legacy_writers.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/command_outcome.h"

namespace karovel::testing {
namespace {

struct FamilyFile {
  const char* family;
  const char* name;
  std::function<std::vector<uint8_t>()> bytes;
  int width;
  int height;
};

void PrintTo(const FamilyFile& file, std::ostream* os) { *os << file.name; }

std::vector<uint8_t> Tiff() {
  return WriteTiff({"strips"}, [](int x, int y, int s) { return uint32_t(x * 5 + y * 3 + s * 70) % 256; });
}

std::vector<uint8_t> Psd() {
  PsdPicture p;
  p.width = 45, p.height = 6;
  for (int c = 0; c < 3; ++c) p.planes.push_back(std::vector<uint32_t>(45 * 6, uint32_t(c * 90)));
  return EncodePsd(p, 1);
}

std::vector<uint8_t> Gif() {
  GifFrame frame;
  frame.left = 2, frame.top = 1, frame.width = 20, frame.height = 10;
  frame.indices.assign(200, 1);
  return EncodeGif(25, 14, {0, 0, 0, 255, 255, 255}, 0, {frame});
}

// One file of every family that can become a map image, in the order of the table.
std::vector<FamilyFile> Files() {
  RgbImage ignored;
  return {
      {"Windows bitmaps", "a.bmp", [] { return EncodeBmp24(PatternImage(31, 17)); }, 31, 17},
      {"JPG images", "b.jpeg", [] { return EncodeJpeg(PatternImage(40, 24)); }, 40, 24},
      {"Truevision images", "c.tga",
       [] {
         RgbImage e;
         return EncodeTga({"rle", 10, 24}, &e);
       },
       29, 13},
      {"Tagged image file format images", "d.tif", Tiff, 37, 21},
      {"Encapsulated Postscript images", "e.eps", [] { return BinaryEps(Tiff()); }, 37, 21},
      {"ZSoft Paintbrush images", "f.pcx",
       [] {
         RgbImage e;
         return EncodePcx({"vga", 8, 1}, &e);
       },
       27, 11},
      {"Alias/Wavefront images", "g.rla",
       [] {
         RgbImage e;
         return EncodeRla({"rgb"}, &e);
       },
       31, 12},
      {"SGI images", "h.sgi",
       [] {
         RgbImage e;
         return EncodeSgi({"rle", 3, 1, true}, &e);
       },
       23, 9},
      {"Photoshop images", "i.psd", Psd, 45, 6},
      {"Portable map images", "j.ppm", [] { return EncodePnm(PatternImage(33, 17), 6, 255); }, 33, 17},
      {"Autodesk images", "k.cel",
       [] {
         RgbImage e;
         return EncodeCel(40, 9, false, &e);
       },
       40, 9},
      {"Kodak Photo-CD images", "l.pcd", [] { return EncodePcd(PcdPicture(), 1); }, 512, 768},
      {"Dr. Halo images", "m.cut", [] { return EncodeCut(50, 4, std::vector<uint8_t>(200, 3)); }, 50, 4},
      {"Paintshop Pro images", "n.psp",
       [] {
         RgbImage e;
         PspSpec s;
         s.compression = 2;
         return EncodePsp(s, &e);
       },
       37, 11},
      {"Portable network graphic images", "o.png", [] { return EncodePng(PatternImage(21, 13)); }, 21, 13},
      {"GIF", "p.gif", Gif, 25, 14},
  };
}

using tools::Outcome;

Outcome Image(const tools::Args& args) { return tools::RunCaptured(tools::RunImage, args); }

class ImageCommandTable : public ::testing::TestWithParam<FamilyFile> {};

TEST_P(ImageCommandTable, ReportsFamilyAndSize) {
  const FamilyFile& file = GetParam();
  TempDir dir;
  const std::string path = dir.File(file.name);
  WriteFile(path, file.bytes());
  Outcome run = Image({path});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, path + "\t" + file.family + "\t" + std::to_string(file.width) + "x" +
                         std::to_string(file.height) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Table, ImageCommandTable, ::testing::ValuesIn(Files()), [](const auto& info) {
  std::string name = info.param.name;
  return name.substr(name.find('.') + 1);
});

TEST(ImageCommandFamilies, EveryUsableFamilyOfTheTableHasAFile) {
  std::set<std::string> covered;
  for (const FamilyFile& file : Files()) covered.insert(file.family);
  for (const image::ImageFamily& family : image::ImageFamilies())
    EXPECT_EQ(covered.count(family.description), family.decode ? 1u : 0u) << family.description;
}

TEST(ImageCommandFamilies, IconsAndMetafilesAreRefused) {
  TempDir dir;
  for (const char* name : {"q.ico", "r.wmf", "s.emf"}) {
    const std::string path = dir.File(name);
    WriteFile(path, EncodeBmp24(PatternImage(8, 8)));
    // A bitmap under these names is still found by extension, and these families cannot be shown.
    Outcome run = Image({path});
    EXPECT_EQ(run.status, 1) << name;
    EXPECT_EQ(run.out, "") << name;
    EXPECT_NE(run.err.find(std::string("Cannot load image\r\n") + name), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace karovel::testing
