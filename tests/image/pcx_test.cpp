// PCX fixtures from a small encoder of our own: every plane layout, both palettes, runs across lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/image/decode_check.h"
#include "tests/support/family_writers.h"

namespace karovel::testing {
namespace {

class PcxVariant : public ::testing::TestWithParam<PcxSpec> {};

TEST_P(PcxVariant, DecodesEveryPixel) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodePcx(GetParam(), &expected);
  Decoded decoded = DecodeAs(file, "picture.pcx");
  ASSERT_EQ(decoded.family, "ZSoft Paintbrush images") << WhyNot(image::DecodePcx, file);
  EXPECT_TRUE(SamePixels(decoded.bitmap, expected));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, PcxVariant,
    ::testing::Values(PcxSpec{"mono", 1, 1}, PcxSpec{"planes_2", 1, 2}, PcxSpec{"planes_3", 1, 3},
                      PcxSpec{"ega_16", 1, 4}, PcxSpec{"ega_16_default_palette", 1, 4, 3},
                      PcxSpec{"packed_2", 2, 1}, PcxSpec{"packed_4", 4, 1}, PcxSpec{"vga_256", 8, 1},
                      PcxSpec{"gray_without_palette", 8, 1, 5, false}, PcxSpec{"rgb_24", 8, 3},
                      PcxSpec{"rgba_32", 8, 4}, PcxSpec{"runs_across_lines", 8, 1, 5, true, true},
                      PcxSpec{"rgb_runs_across_lines", 8, 3, 5, true, true},
                      PcxSpec{"wide", 8, 3, 5, true, false, 300, 3},
                      PcxSpec{"one_pixel", 1, 1, 5, true, false, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Pcx, FoundByContentUnderAnyName) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodePcx({"vga", 8, 1}, &expected);
  for (const char* name : {"scan.dat", "scan", "scan.SCR", "scan.pcc"}) {
    Decoded decoded = DecodeAs(file, name);
    EXPECT_EQ(decoded.family, "ZSoft Paintbrush images") << name;
    EXPECT_TRUE(SamePixels(decoded.bitmap, expected)) << name;
  }
}

TEST(Pcx, RefusesImplausibleHeaders) {
  RgbImage expected;
  const std::vector<uint8_t> good = EncodePcx({"rgb", 8, 3}, &expected);
  struct Patch {
    const char* what;
    size_t at;
    uint8_t value;
  };
  for (const Patch& patch :
       {Patch{"version", 1, 1}, Patch{"encoding", 2, 0}, Patch{"bits", 3, 3}, Patch{"planes", 65, 2},
        Patch{"line too short", 66, 2}, Patch{"xmax below xmin", 4, 200}}) {
    std::vector<uint8_t> file = good;
    file[patch.at] = patch.value;
    EXPECT_FALSE(image::IsPcx(file.data(), file.size())) << patch.what;
  }
  std::vector<uint8_t> huge = good;
  huge[8] = 0xFE, huge[9] = huge[10] = huge[11] = 0xFF,
  huge[66] = huge[67] = 0xFF;  // far more than the data holds
  EXPECT_EQ(DecodeAs(huge, "huge.pcx").family, "");
}

TEST(Pcx, SurvivesTruncationAndCorruption) {
  RgbImage expected;
  BatterDecoder(image::DecodePcx, EncodePcx({"vga", 8, 1, 5, true, true}, &expected), 41);
  BatterDecoder(image::DecodePcx, EncodePcx({"ega", 1, 4}, &expected), 42);
  BatterDecoder(image::DecodePcx, EncodePcx({"packed", 2, 1}, &expected), 43);
}

}  // namespace
}  // namespace karovel::testing
