// RLA fixtures from a small encoder of our own: colour and gray, matte channels, active windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/image/decode_check.h"
#include "tests/support/family_writers.h"

namespace karovel::testing {
namespace {

void Put16(std::vector<uint8_t>& f, size_t at, int v) {
  f[at] = uint8_t(v >> 8);
  f[at + 1] = uint8_t(v);
}

class RlaVariant : public ::testing::TestWithParam<RlaSpec> {};

TEST_P(RlaVariant, DecodesEveryPixel) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeRla(GetParam(), &expected);
  Decoded decoded = DecodeAs(file, "render.rla");
  ASSERT_EQ(decoded.family, "Alias/Wavefront images") << WhyNot(image::DecodeRla, file);
  EXPECT_TRUE(SamePixels(decoded.bitmap, expected));
}

INSTANTIATE_TEST_SUITE_P(Layouts, RlaVariant,
                         ::testing::Values(RlaSpec{"rgb"}, RlaSpec{"rgb_matte", 3, 1}, RlaSpec{"gray", 1},
                                           RlaSpec{"gray_matte", 1, 1}, RlaSpec{"active_window", 3, 1, 7, 5},
                                           RlaSpec{"shared_rows", 3, 0, 0, 0, true},
                                           RlaSpec{"wide", 3, 0, 0, 0, false, 700, 2},
                                           RlaSpec{"one_pixel", 3, 0, 0, 0, false, 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Rla, FoundByContentUnderAnyName) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeRla({"rgb", 3, 1}, &expected);
  for (const char* name : {"render.dat", "render", "render.RPF"}) {
    Decoded decoded = DecodeAs(file, name);
    EXPECT_EQ(decoded.family, "Alias/Wavefront images") << name;
    EXPECT_TRUE(SamePixels(decoded.bitmap, expected)) << name;
  }
}

TEST(Rla, RefusesImplausibleHeadersAndTables) {
  RgbImage expected;
  const std::vector<uint8_t> good = EncodeRla({"rgb"}, &expected);
  struct Patch {
    const char* what;
    size_t at;
    int value;
  };
  for (const Patch& p :
       {Patch{"active right before left", 10, -3}, Patch{"active outside the window", 14, 3000},
        Patch{"channels", 20, 2}, Patch{"storage", 18, 9}, Patch{"matte", 22, 40}}) {
    std::vector<uint8_t> file = good;
    Put16(file, p.at, p.value);
    EXPECT_FALSE(image::IsRla(file.data(), file.size())) << p.what;
  }
  std::vector<uint8_t> outside = good;
  outside[740] = 0x7F;  // first scanline offset far past the end
  EXPECT_EQ(DecodeAs(outside, "x.rla").family, "");
  std::vector<uint8_t> deep = good;
  Put16(deep, 658, 16);  // 16-bit channels are not read
  EXPECT_EQ(DecodeAs(deep, "x.rla").family, "");
}

TEST(Rla, SurvivesTruncationAndCorruption) {
  RgbImage expected;
  BatterDecoder(image::DecodeRla, EncodeRla({"rgb", 3, 1}, &expected), 61);
  BatterDecoder(image::DecodeRla, EncodeRla({"shared", 1, 0, 0, 0, true}, &expected), 62);
}

}  // namespace
}  // namespace karovel::testing
