#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/decoders.h"
#include "image/image_loader.h"
#include "tests/image/robust_decode.h"
#include "tests/support/family_writers.h"
#include "tests/support/temp_dir.h"

namespace karovel::image {
namespace {

using karovel::testing::EncodePsd;
using karovel::testing::PsdPicture;

uint32_t Sample(int c, int x, int y, uint32_t modulus) {
  // Mostly smooth, with flat stretches for the runs.
  return uint32_t((x < 20 ? 7 * c + 3 : x * 37 + y * 11 + c * 53)) % modulus;
}

PsdPicture Picture(uint16_t mode, uint16_t depth, int channels, int width = 45, int height = 6) {
  PsdPicture p;
  p.mode = mode;
  p.depth = depth;
  p.width = width;
  p.height = height;
  const uint32_t modulus = depth == 1 ? 2 : depth == 16 ? 65536 : 256;
  for (int c = 0; c < channels; ++c) {
    std::vector<uint32_t> plane;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        plane.push_back(depth == 16 ? std::min(Sample(c, x, y, 256) * 257 + uint32_t(x % 200), 65535u)
                                    : Sample(c, x, y, modulus));
    p.planes.push_back(plane);
  }
  if (mode == 2)
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < 256; ++i) p.colourData.push_back(uint8_t(c == 0 ? i : c == 1 ? 255 - i : i * 7));
  return p;
}

// What one pixel must look like.
void ExpectedPixel(const PsdPicture& p, int x, int y, uint8_t rgb[3]) {
  auto at = [&](int c) {
    uint32_t v = p.planes[size_t(c)][size_t(y) * p.width + x];
    return p.depth == 16 ? uint8_t((v * 255 + 32767) / 65535) : uint8_t(v);
  };
  switch (p.mode) {
    case 0:
      rgb[0] = rgb[1] = rgb[2] = at(0) ? 0 : 255;
      break;
    case 2:
      for (int c = 0; c < 3; ++c) rgb[c] = p.colourData[size_t(c) * 256 + at(0)];
      break;
    case 3:
      for (int c = 0; c < 3; ++c) rgb[c] = at(c);
      break;
    case 4:
      for (int c = 0; c < 3; ++c) rgb[c] = uint8_t((at(c) * at(3) + 127) / 255);
      break;
    default:
      rgb[0] = rgb[1] = rgb[2] = at(0);
  }
}

struct PsdCase {
  const char* name;
  uint16_t mode, depth;
  int channels;
};

class PsdModes : public ::testing::TestWithParam<std::tuple<PsdCase, uint16_t>> {};

TEST_P(PsdModes, DecodesTheComposite) {
  const auto [c, compression] = GetParam();
  const PsdPicture p = Picture(c.mode, c.depth, c.channels);
  const std::vector<uint8_t> file = EncodePsd(p, compression);
  WorkingBitmap out;
  DecodePsd(DecodeInput{file.data(), file.size(), "x.psd"}, out, {});
  ASSERT_EQ(out.width, p.width);
  ASSERT_EQ(out.height, p.height);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      uint8_t want[3];
      ExpectedPixel(p, x, y, want);
      for (int k = 0; k < 3; ++k) ASSERT_EQ(out.Row(y)[x * 3 + k], want[k]) << x << "," << y << " ch " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    All, PsdModes,
    ::testing::Combine(::testing::Values(PsdCase{"Bitmap", 0, 1, 1}, PsdCase{"Gray", 1, 8, 1},
                                         PsdCase{"GrayAlpha16", 1, 16, 2}, PsdCase{"Indexed", 2, 8, 1},
                                         PsdCase{"Rgb", 3, 8, 3}, PsdCase{"RgbAlpha", 3, 8, 4},
                                         PsdCase{"Rgb16", 3, 16, 3}, PsdCase{"Cmyk", 4, 8, 4},
                                         PsdCase{"Cmyk16", 4, 16, 5}),
                       ::testing::Values(uint16_t(0), uint16_t(1))),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "Rle" : "Raw");
    });

TEST(Psd, CmykFromInvertedInk) {
  // Stored values are 255 minus the ink: no ink is white, full black ink is black whatever the rest.
  PsdPicture p = Picture(4, 8, 4, 2, 1);
  p.planes = {{255, 0}, {255, 255}, {255, 255}, {255, 255}};
  std::vector<uint8_t> file = EncodePsd(p, 0);
  WorkingBitmap out;
  DecodePsd(DecodeInput{file.data(), file.size(), "x.psd"}, out, {});
  const uint8_t want[6] = {255, 255, 255, 0, 255, 255};  // second pixel: full cyan
  EXPECT_EQ(std::vector<uint8_t>(out.Row(0), out.Row(0) + 6), std::vector<uint8_t>(want, want + 6));
  p.planes[3] = {0, 0};
  file = EncodePsd(p, 1);
  DecodePsd(DecodeInput{file.data(), file.size(), "x.psd"}, out, {});
  EXPECT_EQ(std::vector<uint8_t>(out.Row(0), out.Row(0) + 6), std::vector<uint8_t>(6, 0));
}

TEST(Psd, RefusesWhatItCannotShow) {
  auto fails = [](std::vector<uint8_t> file) {
    WorkingBitmap out;
    EXPECT_ANY_THROW(DecodePsd(DecodeInput{file.data(), file.size(), "x.psd"}, out, {}));
    EXPECT_TRUE(out.Empty());
  };
  fails(EncodePsd(Picture(3, 8, 2), 0));   // RGB with two channels
  fails(EncodePsd(Picture(9, 8, 3), 0));   // Lab
  fails(EncodePsd(Picture(3, 32, 3), 0));  // 32-bit float
  std::vector<uint8_t> zip = EncodePsd(Picture(3, 8, 3), 0);
  zip[26 + 4 + 4 + 14 + 4 + 8 + 1] = 2;  // compression 2
  fails(zip);
  // A row table claiming more rows than the data holds.
  std::vector<uint8_t> tall = EncodePsd(Picture(3, 8, 3, 30000, 2), 1);
  tall[16] = 0x01;  // height 400: the table fits, the rows cannot
  tall[17] = 0x90;
  fails(tall);
}

TEST(Psd, FoundByContentUnderAnyName) {
  karovel::testing::TempDir dir;
  karovel::testing::WriteFile(dir.File("scan.tga"), EncodePsd(Picture(3, 8, 3), 1));
  WorkingBitmap out;
  const ImageFamily* family = DecodeImageFile(dir.File("scan.tga"), out);
  ASSERT_NE(family, nullptr);
  EXPECT_EQ(family->description, "Photoshop images");
  EXPECT_EQ(out.width, 45);
  EXPECT_EQ(out.height, 6);
}

TEST(Psd, DamagedFilesFailCleanly) {
  karovel::testing::ExpectRobust(DecodePsd, EncodePsd(Picture(3, 8, 3, 40, 5), 1), "x.psd");
  karovel::testing::ExpectRobust(DecodePsd, EncodePsd(Picture(2, 8, 1, 40, 5), 0), "x.psd");
  karovel::testing::ExpectRobust(DecodePsd, EncodePsd(Picture(4, 16, 4, 9, 5), 1), "x.psd", 400, 300, 11);
}

}  // namespace
}  // namespace karovel::image
