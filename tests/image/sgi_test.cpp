// SGI fixtures from a small encoder of our own: 1 to 4 channels, 8 and 16 bits, verbatim and RLE.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/image/decode_check.h"
#include "tests/support/family_writers.h"

namespace karovel::testing {
namespace {

void Put16(std::vector<uint8_t>& f, size_t at, uint32_t v) {
  f[at] = uint8_t(v >> 8);
  f[at + 1] = uint8_t(v);
}
void Put32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (24 - 8 * i));
}

class SgiVariant : public ::testing::TestWithParam<SgiSpec> {};

TEST_P(SgiVariant, DecodesEveryPixel) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeSgi(GetParam(), &expected);
  Decoded decoded = DecodeAs(file, "picture.sgi");
  ASSERT_EQ(decoded.family, "SGI images") << WhyNot(image::DecodeSgi, file);
  EXPECT_TRUE(SamePixels(decoded.bitmap, expected));
}

INSTANTIATE_TEST_SUITE_P(Layouts, SgiVariant,
                         ::testing::Values(SgiSpec{"gray", 1}, SgiSpec{"gray_alpha", 2}, SgiSpec{"rgb", 3},
                                           SgiSpec{"rgba", 4}, SgiSpec{"gray_16", 1, 2},
                                           SgiSpec{"rgb_16", 3, 2}, SgiSpec{"rle_gray", 1, 1, true},
                                           SgiSpec{"rle_gray_alpha", 2, 1, true},
                                           SgiSpec{"rle_rgb", 3, 1, true}, SgiSpec{"rle_rgba", 4, 1, true},
                                           SgiSpec{"rle_rgb_16", 3, 2, true},
                                           SgiSpec{"rle_shared_rows", 3, 1, true, true, 23, 10},
                                           SgiSpec{"rle_wide", 3, 1, true, false, 400, 3},
                                           SgiSpec{"two_dimensions", 1, 1, false, false, 23, 9, 2},
                                           SgiSpec{"one_row", 1, 1, true, false, 23, 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Sgi, FoundByContentUnderAnyName) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeSgi({"rgb", 3, 1, true}, &expected);
  for (const char* name : {"relief.dat", "relief", "relief.BW", "relief.rgba"}) {
    Decoded decoded = DecodeAs(file, name);
    EXPECT_EQ(decoded.family, "SGI images") << name;
    EXPECT_TRUE(SamePixels(decoded.bitmap, expected)) << name;
  }
}

TEST(Sgi, RefusesWhatTheDataCannotBack) {
  RgbImage expected;
  std::vector<uint8_t> verbatim = EncodeSgi({"rgb", 3}, &expected);
  verbatim.pop_back();
  EXPECT_EQ(DecodeAs(verbatim, "short.sgi").family, "");
  std::vector<uint8_t> rle = EncodeSgi({"rle", 3, 1, true}, &expected);
  Put16(rle, 8, 60000);  // row tables far longer than the file
  EXPECT_EQ(DecodeAs(rle, "tall.sgi").family, "");
  rle = EncodeSgi({"rle", 3, 1, true}, &expected);
  Put32(rle, 512 + 4, uint32_t(rle.size()));  // a record starting at the end
  EXPECT_EQ(DecodeAs(rle, "outside.sgi").family, "");
  for (size_t at : {size_t(2), size_t(3), size_t(10)}) {
    std::vector<uint8_t> odd = EncodeSgi({"rgb", 3}, &expected);
    odd[at] = 7;  // storage, bytes per channel, channels
    EXPECT_FALSE(image::IsSgi(odd.data(), odd.size())) << at;
  }
}

TEST(Sgi, SurvivesTruncationAndCorruption) {
  RgbImage expected;
  BatterDecoder(image::DecodeSgi, EncodeSgi({"rle", 4, 1, true}, &expected), 51);
  BatterDecoder(image::DecodeSgi, EncodeSgi({"rle16", 3, 2, true, true, 23, 10}, &expected), 52);
  BatterDecoder(image::DecodeSgi, EncodeSgi({"plain", 3}, &expected), 53);
}

}  // namespace
}  // namespace karovel::testing
