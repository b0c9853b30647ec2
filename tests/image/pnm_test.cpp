#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/decoders.h"
#include "image/image_loader.h"
#include "tests/image/robust_decode.h"
#include "tests/support/family_writers.h"
#include "tests/support/image_writers.h"
#include "tests/support/temp_dir.h"

namespace karovel::image {
namespace {

using karovel::testing::EncodePnm;

using karovel::testing::RgbImage;

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

uint8_t Expected(uint8_t v, uint32_t maxval) {
  uint32_t s = (uint32_t(v) * maxval + 127) / 255;
  return uint8_t((uint64_t(s) * 255 + maxval / 2) / maxval);
}

WorkingBitmap Decode(const std::vector<uint8_t>& bytes) {
  WorkingBitmap out;
  DecodePnm(DecodeInput{bytes.data(), bytes.size(), "x.pnm"}, out, {});
  return out;
}

struct SampleCase {
  int kind;
  uint32_t maxval;
};

class PnmSamples : public ::testing::TestWithParam<SampleCase> {};

TEST_P(PnmSamples, DecodesEveryPixel) {
  const SampleCase c = GetParam();
  RgbImage image = karovel::testing::PatternImage(13, 9, 3);
  WorkingBitmap out = Decode(EncodePnm(image, c.kind, c.maxval));
  ASSERT_EQ(out.width, 13);
  ASSERT_EQ(out.height, 9);
  const bool colour = c.kind == 3 || c.kind == 6;
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 13; ++x)
      for (int k = 0; k < 3; ++k)
        ASSERT_EQ(out.Row(y)[x * 3 + k], Expected(image.At(x, y)[colour ? k : 0], c.maxval))
            << "x " << x << " y " << y << " channel " << k;
}

INSTANTIATE_TEST_SUITE_P(Kinds, PnmSamples,
                         ::testing::Values(SampleCase{2, 255}, SampleCase{3, 255}, SampleCase{5, 255},
                                           SampleCase{6, 255}, SampleCase{5, 15}, SampleCase{6, 1000},
                                           SampleCase{5, 65535}, SampleCase{3, 65535}, SampleCase{6, 256}));

TEST(Pnm, BitmapsMakeOneBlack) {
  // P1 digits may run together; P4 rows are padded to whole bytes.
  WorkingBitmap text = Decode(Bytes("P1 # c\n3 2\n101\n0 1 0"));
  WorkingBitmap packed = Decode({'P', '4', '\n', '3', ' ', '2', '\n', 0xA0, 0x40});
  for (const WorkingBitmap* out : {&text, &packed}) {
    ASSERT_EQ(out->width, 3);
    ASSERT_EQ(out->height, 2);
    const uint8_t want[2][3] = {{0, 255, 0}, {255, 0, 255}};
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x)
        for (int k = 0; k < 3; ++k) EXPECT_EQ(out->Row(y)[x * 3 + k], want[y][x]);
  }
}

TEST(Pnm, RefusesBadHeadersAndShortData) {
  for (const char* bad :
       {"P5\n0 3\n255\n", "P5\n2 2\n0\n1234", "P5\n2 2\n65536\n12345678", "P6\n2 2\n255\nabcdefghijk",
        "P2\n2 2\n255\n1 2 3", "P5\n99999999999 1\n255\n", "P1\n2 1\n1 2", "P5\n2 2\n255"}) {
    WorkingBitmap out;
    std::vector<uint8_t> b = Bytes(bad);
    EXPECT_ANY_THROW(DecodePnm(DecodeInput{b.data(), b.size(), "x.pgm"}, out, {})) << bad;
  }
}

TEST(Pnm, FoundByContentWhateverTheName) {
  karovel::testing::TempDir dir;
  RgbImage image = karovel::testing::PatternImage(4, 3);
  karovel::testing::WriteFile(dir.File("map.dat"), EncodePnm(image, 6, 255));
  WorkingBitmap out;
  const ImageFamily* family = DecodeImageFile(dir.File("map.dat"), out);
  ASSERT_NE(family, nullptr);
  EXPECT_EQ(family->description, "Portable map images");
  EXPECT_EQ(out.width, 4);
  EXPECT_FALSE(IsPnm(reinterpret_cast<const uint8_t*>("P7\n"), 3));
  EXPECT_FALSE(IsPnm(reinterpret_cast<const uint8_t*>("P6x"), 3));
}

TEST(Pnm, DamagedFilesFailCleanly) {
  RgbImage image = karovel::testing::PatternImage(12, 7);
  for (auto [kind, maxval] : {std::pair{3, 255u}, std::pair{6, 65535u}, std::pair{1, 1u}}) {
    std::vector<uint8_t> bytes =
        kind == 1 ? Bytes("P1\n4 3\n1010\n0101\n1111\n") : EncodePnm(image, kind, maxval);
    karovel::testing::ExpectRobust(DecodePnm, bytes, "x.ppm");
  }
}

}  // namespace
}  // namespace karovel::image
