// Photo-CD fixtures from our encoder: the Base image in each of the four orientations.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/image/decode_check.h"
#include "tests/support/legacy_writers.h"

namespace karovel::testing {
namespace {

// The stored picture as it must look after the recorded quarter turns (1 left, 2 half, 3 right).
RgbImage Turned(const RgbImage& stored, int turns) {
  const bool upright = turns % 2 == 1;
  RgbImage out{upright ? stored.height : stored.width, upright ? stored.width : stored.height,
               std::vector<uint8_t>(stored.pixels.size())};
  for (int y = 0; y < stored.height; ++y)
    for (int x = 0; x < stored.width; ++x) {
      int ox = x, oy = y;
      if (turns == 1) ox = y, oy = stored.width - 1 - x;
      if (turns == 2) ox = stored.width - 1 - x, oy = stored.height - 1 - y;
      if (turns == 3) ox = stored.height - 1 - y, oy = x;
      std::memcpy(out.At(ox, oy), stored.At(x, y), 3);
    }
  return out;
}

class PcdOrientation : public ::testing::TestWithParam<int> {};

TEST_P(PcdOrientation, DecodesTheBaseImageUpright) {
  const RgbImage stored = PcdPicture(GetParam() + 1);
  std::vector<uint8_t> file = EncodePcd(stored, GetParam());
  Decoded decoded = DecodeAs(file, "holiday.pcd");
  ASSERT_EQ(decoded.family, "Kodak Photo-CD images") << WhyNot(image::DecodePcd, file);
  // Within the rounding of the 8-bit luma and colour difference codes.
  EXPECT_TRUE(SamePixels(decoded.bitmap, Turned(stored, GetParam()), 2));
}

INSTANTIATE_TEST_SUITE_P(Turns, PcdOrientation, ::testing::Values(0, 1, 2, 3),
                         [](const auto& info) { return "turns_" + std::to_string(info.param); });

TEST(Pcd, PhotoYccLevels) {
  RgbImage stored = PcdPicture();
  std::vector<uint8_t> file = EncodePcd(stored, 0);
  // First luma pair of the first two pixels and their one chroma sample.
  const size_t base = 0x30000;
  struct Case {
    uint8_t y, c1, c2;
    uint8_t rgb[3];
  };
  for (const Case& c : {Case{0, 156, 137, {0, 0, 0}}, Case{188, 156, 137, {255, 255, 255}},
                        Case{100, 156, 137, {136, 136, 136}}, Case{255, 255, 255, {255, 194, 255}},
                        Case{100, 200, 100, {68, 151, 233}}, Case{10, 0, 0, {0, 208, 0}}}) {
    file[base] = file[base + 1] = c.y;
    file[base + 1536] = c.c1;
    file[base + 1536 + 384] = c.c2;
    Decoded decoded = DecodeAs(file, "levels.pcd");
    ASSERT_FALSE(decoded.bitmap.Empty());
    EXPECT_EQ(std::vector<uint8_t>(decoded.bitmap.Row(0), decoded.bitmap.Row(0) + 3),
              std::vector<uint8_t>(c.rgb, c.rgb + 3))
        << int(c.y) << " " << int(c.c1) << " " << int(c.c2);
  }
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

TEST(Pcd, FoundByContentAndClaimsNothingElse) {
  const RgbImage stored = PcdPicture();
  std::vector<uint8_t> file = EncodePcd(stored, 0);
  for (const char* name : {"disc.dat", "disc", "disc.PCD"})
    EXPECT_EQ(ChosenFamily(file, name), "Kodak Photo-CD images") << name;
  RgbImage picture = PatternImage(33, 17);
  std::vector<std::pair<std::string, std::vector<uint8_t>>> others = {
      {"png", EncodePng(picture)},
      {"bmp", EncodeBmp24(picture)},
      {"cel", EncodeCel(40, 60, false, &picture)},
      {"text", Bytes(std::string(5000, 'x'))},
      {"signature elsewhere", Bytes("PCD_IPI" + std::string(5000, 'x'))},
  };
  for (const auto& [name, bytes] : others) EXPECT_FALSE(image::IsPcd(bytes.data(), bytes.size())) << name;
}

TEST(Pcd, RefusesAPackWithoutItsBaseImage) {
  std::vector<uint8_t> file = EncodePcd(PcdPicture(), 1);
  file.pop_back();
  EXPECT_EQ(DecodeAs(file, "short.pcd").family, "");
  file.resize(0x1000);  // attributes only
  EXPECT_EQ(DecodeAs(file, "attributes.pcd").family, "");
}

TEST(Pcd, SurvivesTruncationAndCorruption) {
  BatterDecoder(image::DecodePcd, EncodePcd(PcdPicture(), 3), 91, 60);
}

}  // namespace
}  // namespace karovel::testing
