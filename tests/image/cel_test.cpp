// Autodesk Animator fixtures from our encoder: 6-bit and 8-bit palettes, several sizes.
#include <gtest/gtest.h>

#include <string>

#include "tests/image/decode_check.h"
#include "tests/support/legacy_writers.h"

namespace karovel::testing {
namespace {

struct CelSpec {
  const char* name;
  bool eightBitLevels;
  int width;
  int height;
};

class CelVariant : public ::testing::TestWithParam<CelSpec> {};

TEST_P(CelVariant, DecodesEveryPixel) {
  const CelSpec& spec = GetParam();
  RgbImage expected;
  std::vector<uint8_t> file = EncodeCel(spec.width, spec.height, spec.eightBitLevels, &expected);
  Decoded decoded = DecodeAs(file, "sprite.cel");
  ASSERT_EQ(decoded.family, "Autodesk images") << WhyNot(image::DecodeCel, file);
  EXPECT_TRUE(SamePixels(decoded.bitmap, expected));
}

INSTANTIATE_TEST_SUITE_P(Palettes, CelVariant,
                         ::testing::Values(CelSpec{"six_bit", false, 37, 11},
                                           CelSpec{"eight_bit", true, 37, 11},
                                           CelSpec{"screen", false, 320, 200},
                                           CelSpec{"one_pixel", false, 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Cel, SixBitLevelsSpanTheFullRange) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeCel(3, 1, false, &expected);
  // Indices 0, 7, 14; give them the levels 0, 63 and 32 in every channel.
  for (int c = 0; c < 3; ++c) file[32 + 0 * 3 + c] = 0, file[32 + 7 * 3 + c] = 63, file[32 + 14 * 3 + c] = 32;
  Decoded decoded = DecodeAs(file, "levels.cel");
  ASSERT_FALSE(decoded.bitmap.Empty());
  const uint8_t* row = decoded.bitmap.Row(0);
  EXPECT_EQ(std::vector<uint8_t>(row, row + 9),
            (std::vector<uint8_t>{0, 0, 0, 255, 255, 255, 130, 130, 130}));
}

TEST(Cel, FoundByContentUnderAnyName) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeCel(40, 9, false, &expected);
  for (const char* name : {"title.pic", "title.PIC", "title.dat", "title"}) {
    Decoded decoded = DecodeAs(file, name);
    EXPECT_EQ(decoded.family, "Autodesk images") << name;
    EXPECT_TRUE(SamePixels(decoded.bitmap, expected)) << name;
  }
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

TEST(Cel, DoesNotClaimOtherFiles) {
  RgbImage picture = PatternImage(33, 17);
  std::vector<std::pair<std::string, std::vector<uint8_t>>> others = {
      {"png", EncodePng(picture)},
      {"bmp", EncodeBmp24(picture)},
      {"cut", EncodeCut(2, 1, {1, 2})},
      {"pgm", Bytes("P5\n33 17\n255\n" + std::string(33 * 17, '\x40'))},
      {"text", Bytes(std::string(2000, 'x'))},
      {"zeros", std::vector<uint8_t>(4096, 0)},
  };
  for (const auto& [name, bytes] : others) EXPECT_FALSE(image::IsCel(bytes.data(), bytes.size())) << name;
}

TEST(Cel, RefusesWhatItCannotRead) {
  RgbImage expected;
  const std::vector<uint8_t> good = EncodeCel(20, 10, false, &expected);
  struct Patch {
    const char* what;
    size_t at;
    uint8_t value;
  };
  for (const Patch& p : {Patch{"depth", 10, 4}, Patch{"compression", 11, 1}, Patch{"width", 2, 0}}) {
    std::vector<uint8_t> file = good;
    file[p.at] = p.value;
    EXPECT_FALSE(image::IsCel(file.data(), file.size())) << p.what;
    EXPECT_EQ(DecodeAs(file, "bad.cel").family, "") << p.what;
  }
  std::vector<uint8_t> shortFile = good;
  shortFile.pop_back();
  EXPECT_FALSE(image::IsCel(shortFile.data(), shortFile.size()));
  EXPECT_EQ(DecodeAs(shortFile, "short.cel").family, "");
  std::vector<uint8_t> huge = good;
  huge[2] = huge[3] = huge[4] = huge[5] = 0xFF;  // 65535 x 65535 from a thousand bytes
  EXPECT_EQ(DecodeAs(huge, "huge.cel").family, "");
}

TEST(Cel, SurvivesTruncationAndCorruption) {
  RgbImage expected;
  BatterDecoder(image::DecodeCel, EncodeCel(21, 6, false, &expected), 71);
}

}  // namespace
}  // namespace karovel::testing
