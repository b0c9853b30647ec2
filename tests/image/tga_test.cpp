// TGA fixtures from a small encoder of our own: every pixel kind, both compressions, every origin.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/image/decode_check.h"
#include "tests/support/family_writers.h"

namespace karovel::testing {
namespace {

class TgaVariant : public ::testing::TestWithParam<TgaSpec> {};

TEST_P(TgaVariant, DecodesEveryPixel) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeTga(GetParam(), &expected);
  Decoded decoded = DecodeAs(file, "picture.tga");
  ASSERT_EQ(decoded.family, "Truevision images") << WhyNot(image::DecodeTga, file);
  EXPECT_TRUE(SamePixels(decoded.bitmap, expected));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TgaVariant,
    ::testing::Values(TgaSpec{"true_24", 2, 24}, TgaSpec{"true_32", 2, 32}, TgaSpec{"true_16", 2, 16},
                      TgaSpec{"true_15", 2, 15}, TgaSpec{"gray_8", 3, 8}, TgaSpec{"gray_16", 3, 16},
                      TgaSpec{"mapped_24", 1, 8, 24}, TgaSpec{"mapped_32", 1, 8, 32},
                      TgaSpec{"mapped_16", 1, 8, 16}, TgaSpec{"mapped_15_offset", 1, 8, 15, 0, false, 30},
                      TgaSpec{"top_down", 2, 24, 0, 0x20}, TgaSpec{"right_to_left", 2, 24, 0, 0x10},
                      TgaSpec{"top_right", 3, 8, 0, 0x30}, TgaSpec{"rle_24", 10, 24},
                      TgaSpec{"rle_32_top_down", 10, 32, 0, 0x28}, TgaSpec{"rle_16", 10, 16},
                      TgaSpec{"rle_gray", 11, 8}, TgaSpec{"rle_mapped", 9, 8, 24},
                      TgaSpec{"rle_across_rows", 10, 24, 0, 0, true},
                      TgaSpec{"rle_mapped_across_rows", 9, 8, 32, 0x20, true},
                      TgaSpec{"one_pixel", 2, 24, 0, 0, false, 0, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Tga, FoundByContentUnderAnyName) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeTga({"rle", 10, 24}, &expected);
  for (const char* name : {"map.dat", "map", "map.png", "map.VDA"}) {
    Decoded decoded = DecodeAs(file, name);
    EXPECT_EQ(decoded.family, "Truevision images") << name;
    EXPECT_TRUE(SamePixels(decoded.bitmap, expected)) << name;
  }
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// Files of other families, and text, are not taken for TGA even though TGA is tested first.
TEST(Tga, DoesNotClaimOtherFiles) {
  RgbImage picture = PatternImage(33, 17);
  std::vector<std::pair<std::string, std::vector<uint8_t>>> others = {
      {"png", EncodePng(picture)},
      {"jpeg", EncodeJpeg(picture)},
      {"bmp", EncodeBmp24(picture)},
      {"gif", Bytes(std::string("GIF89a\x21\0\x11\0\x80\0\0", 13) + std::string(40, '\0'))},
      {"tiff le", Bytes(std::string("II*\0\x08\0\0\0", 8) + std::string(200, '\0'))},
      {"tiff be", Bytes(std::string("MM\0*\0\0\0\x08", 8) + std::string(200, '\0'))},
      {"pcx", Bytes(std::string("\x0A\x05\x01\x08\0\0\0\0\x20\0\x10\0", 12) + std::string(2000, '\0'))},
      {"sgi", Bytes(std::string("\x01\xDA\x01\x01\0\x03\0\x20\0\x10\0\x03", 12) + std::string(2000, '\0'))},
      {"psd", Bytes(std::string("8BPS\0\x01", 6) + std::string(2000, '\0'))},
      {"text", Bytes(std::string("Map of the valley, drawn 1921\r\n") + std::string(3000, 'x'))},
      {"pgm", Bytes("P5\n33 17\n255\n" + std::string(33 * 17, '\x40'))},
      {"zeros", std::vector<uint8_t>(4096, 0)},
  };
  for (const auto& [name, bytes] : others) EXPECT_FALSE(image::IsTga(bytes.data(), bytes.size())) << name;
}

TEST(Tga, RefusesHeadersItsDataCannotBack) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeTga({"true_24", 2, 24}, &expected);
  file.resize(file.size() - 200);  // a truncated picture is not a TGA by content
  EXPECT_FALSE(image::IsTga(file.data(), file.size()));
  EXPECT_EQ(DecodeAs(file, "short.tga").family, "");
  std::vector<uint8_t> huge = EncodeTga({"rle", 10, 24}, &expected);
  huge[12] = huge[13] = huge[14] = huge[15] = 0xFF;  // 65535 x 65535 from a few hundred bytes
  EXPECT_EQ(DecodeAs(huge, "huge.tga").family, "");
}

TEST(Tga, SurvivesTruncationAndCorruption) {
  RgbImage expected;
  BatterDecoder(image::DecodeTga, EncodeTga({"rle", 10, 24, 0, 0, true}, &expected), 31);
  BatterDecoder(image::DecodeTga, EncodeTga({"mapped", 9, 8, 16}, &expected), 32);
  BatterDecoder(image::DecodeTga, EncodeTga({"plain", 2, 16}, &expected), 33);
}

}  // namespace
}  // namespace karovel::testing
