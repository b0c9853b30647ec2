// Dr. Halo fixtures from our encoder: with a palette file beside the picture, without one, damaged.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/image/decode_check.h"
#include "tests/support/legacy_writers.h"

namespace karovel::testing {
namespace {

// Blocky indices below 'colours', so rows have runs and literals.
std::vector<uint8_t> Indices(int width, int height, int colours) {
  std::vector<uint8_t> out;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      out.push_back(uint8_t(((x / 4) * 3 + y + (x % 3 == 0 ? x : 0)) % colours));
  return out;
}

std::vector<uint16_t> PaletteLevels(int colours, uint16_t maxLevel) {
  std::vector<uint16_t> rgb;
  for (int i = 0; i < colours; ++i)
    rgb.insert(rgb.end(), {uint16_t(i * 37 % (maxLevel + 1)), uint16_t(maxLevel - i % (maxLevel + 1)),
                           uint16_t(i * maxLevel / colours)});
  return rgb;
}

RgbImage Expected(int width, int height, const std::vector<uint8_t>& indices, const uint8_t (*colour)[3]) {
  RgbImage image{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) std::memcpy(image.At(x, y), colour[indices[size_t(y) * width + x]], 3);
  return image;
}

// Decodes name in a folder that also holds the given side files.
Decoded DecodeWith(const std::vector<uint8_t>& bytes, const std::string& name,
                   const std::vector<std::pair<std::string, std::vector<uint8_t>>>& beside) {
  TempDir dir;
  for (const auto& [file, content] : beside) WriteFile(dir.File(file), content);
  WriteFile(dir.File(name), bytes);
  Decoded result;
  if (const image::ImageFamily* family = image::DecodeImageFile(dir.File(name), result.bitmap))
    result.family = family->description;
  return result;
}

struct CutSpec {
  const char* name;
  int colours;
  uint16_t maxLevel;
  const char* paletteName;
  int width = 300;
  int height = 7;
};

class CutWithPalette : public ::testing::TestWithParam<CutSpec> {};

TEST_P(CutWithPalette, TakesTheColoursOfThePaletteFile) {
  const CutSpec& spec = GetParam();
  std::vector<uint8_t> indices = Indices(spec.width, spec.height, spec.colours);
  std::vector<uint16_t> levels = PaletteLevels(spec.colours, spec.maxLevel);
  uint8_t colour[256][3] = {};
  for (int i = 0; i < spec.colours; ++i)
    for (int c = 0; c < 3; ++c)
      colour[i][c] = uint8_t((levels[size_t(i) * 3 + c] * 255 + spec.maxLevel / 2) / spec.maxLevel);
  std::vector<uint8_t> file = EncodeCut(spec.width, spec.height, indices);
  ASSERT_EQ(ChosenFamily(file, "scan.cut"), "Dr. Halo images");
  Decoded decoded =
      DecodeWith(file, "scan.cut", {{spec.paletteName, EncodeHaloPalette(levels, spec.maxLevel)}});
  ASSERT_EQ(decoded.family, "Dr. Halo images") << WhyNot(image::DecodeCut, file);
  EXPECT_TRUE(SamePixels(decoded.bitmap, Expected(spec.width, spec.height, indices, colour)));
}

// 256 entries fill the first 512-byte block of the palette file and spill into two more.
INSTANTIATE_TEST_SUITE_P(Palettes, CutWithPalette,
                         ::testing::Values(CutSpec{"full_8bit", 256, 255, "scan.pal"},
                                           CutSpec{"full_6bit", 256, 63, "scan.pal"},
                                           CutSpec{"sixteen", 16, 255, "scan.pal"},
                                           CutSpec{"upper_case_name", 16, 63, "scan.PAL"},
                                           CutSpec{"one_pixel", 2, 255, "scan.pal", 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Cut, GrayRampWithoutAUsablePalette) {
  std::vector<uint8_t> indices = Indices(50, 4, 16);
  uint8_t gray[256][3] = {};
  for (int i = 0; i < 16; ++i) std::memset(gray[i], i * 17, 3);  // 15 becomes white
  const RgbImage expected = Expected(50, 4, indices, gray);
  std::vector<uint8_t> file = EncodeCut(50, 4, indices);
  EXPECT_TRUE(SamePixels(DecodeWith(file, "plan.cut", {}).bitmap, expected));
  std::vector<uint8_t> damaged = EncodeHaloPalette(PaletteLevels(16, 255), 255);
  damaged[0] = 'X';
  EXPECT_TRUE(SamePixels(DecodeWith(file, "plan.cut", {{"plan.pal", damaged}}).bitmap, expected));
  std::vector<uint8_t> cut = EncodeHaloPalette(PaletteLevels(16, 255), 255);
  cut.resize(60);
  EXPECT_TRUE(SamePixels(DecodeWith(file, "plan.cut", {{"plan.pal", cut}}).bitmap, expected));
  // A palette of another picture does not count.
  EXPECT_TRUE(SamePixels(
      DecodeWith(file, "plan.cut", {{"other.pal", EncodeHaloPalette(PaletteLevels(16, 255), 255)}}).bitmap,
      expected));
}

TEST(Cut, LoadsOnlyByItsExtension) {
  std::vector<uint8_t> file = EncodeCut(40, 5, Indices(40, 5, 8));
  EXPECT_EQ(DecodeAs(file, "plan.cut").family, "Dr. Halo images");
  EXPECT_EQ(DecodeAs(file, "plan.CUT").family, "Dr. Halo images");
  EXPECT_EQ(DecodeAs(file, "plan.dat").family, "");
  EXPECT_EQ(DecodeAs(file, "plan").family, "");
}

TEST(Cut, RowsLongerOrShorterThanTheWidth) {
  // Row 0 runs on past the width (cut off), row 1 ends after two pixels (rest index 0).
  std::vector<uint8_t> file = {4, 0, 2, 0, 0, 0};
  file.insert(file.end(), {5, 0, 0x86, 3, 1, 2, 0});
  file.insert(file.end(), {4, 0, 2, 1, 2, 0});
  Decoded decoded = DecodeWith(file, "odd.cut", {});
  ASSERT_EQ(decoded.family, "Dr. Halo images");
  uint8_t gray[256][3] = {};
  for (int i = 0; i < 4; ++i) std::memset(gray[i], i * 85, 3);
  EXPECT_TRUE(SamePixels(decoded.bitmap, Expected(4, 2, {3, 3, 3, 3, 1, 2, 0, 0}, gray)));
}

TEST(Cut, RefusesWhatTheDataCannotBack) {
  std::vector<uint8_t> file = EncodeCut(40, 5, Indices(40, 5, 8));
  std::vector<uint8_t> huge = file;
  huge[0] = huge[1] = huge[2] = huge[3] = 0xFF;
  EXPECT_EQ(DecodeAs(huge, "huge.cut").family, "");
  std::vector<uint8_t> empty = file;
  empty[0] = empty[1] = 0;
  EXPECT_EQ(DecodeAs(empty, "empty.cut").family, "");
  file.pop_back();  // the last row loses its closing zero
  EXPECT_EQ(DecodeAs(file, "short.cut").family, "");
}

TEST(Cut, SurvivesTruncationAndCorruption) {
  BatterDecoder(image::DecodeCut, EncodeCut(130, 6, Indices(130, 6, 16)), 81);
}

}  // namespace
}  // namespace karovel::testing
