// GIF fixtures written through giflib: the first frame on its logical screen.
#include <gtest/gtest.h>

#include <string>

#include "tests/image/decode_check.h"

namespace karovel::testing {
namespace {

std::vector<uint8_t> Palette(int colours, int seed) {
  std::vector<uint8_t> p;
  for (int i = 0; i < colours; ++i)
    p.insert(p.end(), {uint8_t(i * seed), uint8_t(255 - i), uint8_t(i * 5 + seed)});
  return p;
}

GifFrame Frame(int left, int top, int width, int height, int colours, int seed = 1) {
  GifFrame f;
  f.left = left, f.top = top, f.width = width, f.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) f.indices.push_back(uint8_t((x * 3 + y * 7 + seed) % colours));
  return f;
}

// The picture a decoder must give: the canvas in the background colour, the first frame drawn on it.
RgbImage Expected(int width, int height, const std::vector<uint8_t>& global, int background,
                  const GifFrame& f) {
  RgbImage image{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) std::copy_n(&global[size_t(background) * 3], 3, image.At(x, y));
  const std::vector<uint8_t>& palette = f.localPalette.empty() ? global : f.localPalette;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x)
      std::copy_n(&palette[size_t(f.indices[size_t(y) * f.width + x]) * 3], 3,
                  image.At(f.left + x, f.top + y));
  return image;
}

struct GifCase {
  const char* name;
  int screenWidth, screenHeight;
  int colours;
  int background;
  GifFrame first;
  bool localPalette = false;
  bool secondFrame = false;
};

class GifVariant : public ::testing::TestWithParam<GifCase> {};

TEST_P(GifVariant, FirstFrameOnTheScreen) {
  GifCase c = GetParam();
  std::vector<uint8_t> global = Palette(c.colours, 3);
  if (c.localPalette) c.first.localPalette = Palette(c.colours, 7);
  std::vector<GifFrame> frames = {c.first};
  if (c.secondFrame) frames.push_back(Frame(0, 0, c.screenWidth, c.screenHeight, c.colours, 5));
  std::vector<uint8_t> file = EncodeGif(c.screenWidth, c.screenHeight, global, c.background, frames);
  int width = std::max(c.screenWidth, c.first.left + c.first.width);
  int height = std::max(c.screenHeight, c.first.top + c.first.height);
  Decoded decoded = DecodeAs(file, "animation.gif");
  ASSERT_EQ(decoded.family, "GIF") << WhyNot(image::DecodeGif, file);
  EXPECT_TRUE(SamePixels(decoded.bitmap, Expected(width, height, global, c.background, c.first)));
}

GifFrame Transparent(GifFrame f, int index) {
  f.transparentIndex = index;
  return f;
}
GifFrame Interlaced(GifFrame f) {
  f.interlace = true;
  return f;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, GifVariant,
    ::testing::Values(GifCase{"full_screen", 31, 17, 256, 0, Frame(0, 0, 31, 17, 256)},
                      GifCase{"two_colours", 30, 9, 2, 1, Frame(0, 0, 30, 9, 2)},
                      GifCase{"smaller_frame", 40, 30, 16, 5, Frame(7, 3, 20, 11, 16)},
                      GifCase{"local_palette", 40, 30, 32, 9, Frame(12, 19, 28, 11, 32), true},
                      GifCase{"interlaced", 13, 29, 64, 0, Interlaced(Frame(0, 0, 13, 29, 64))},
                      GifCase{"interlaced_smaller", 20, 40, 64, 2, Interlaced(Frame(3, 5, 10, 30, 64))},
                      GifCase{"transparent_index_keeps_colour", 20, 20, 8, 0,
                              Transparent(Frame(0, 0, 20, 20, 8), 3)},
                      GifCase{"animated", 24, 16, 128, 0, Frame(0, 0, 24, 16, 128), false, true},
                      GifCase{"animated_small_first", 24, 16, 128, 4, Frame(2, 2, 5, 5, 128), false, true},
                      GifCase{"frame_past_screen", 10, 10, 4, 1, Frame(6, 4, 8, 9, 4)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Gif, FoundByExtensionOnly) {
  std::vector<uint8_t> file = EncodeGif(8, 8, Palette(4, 1), 0, {Frame(0, 0, 8, 8, 4)});
  EXPECT_EQ(DecodeAs(file, "a.GIF").family, "GIF");
  EXPECT_EQ(DecodeAs(file, "a.png").family, "");
  EXPECT_EQ(DecodeAs(file, "gif").family, "");
}

TEST(Gif, DamageFailsCleanly) {
  std::vector<uint8_t> file = EncodeGif(40, 30, Palette(16, 1), 2, {Interlaced(Frame(4, 4, 30, 20, 16))});
  for (size_t keep : {file.size() - 8, file.size() / 2, size_t(13), size_t(6)})
    EXPECT_EQ(DecodeAs(std::vector<uint8_t>(file.begin(), file.begin() + long(keep)), "cut.gif").family, "")
        << keep;
  std::vector<uint8_t> huge = EncodeGif(65535, 65535, Palette(2, 1), 0, {Frame(0, 0, 1, 1, 2)});
  EXPECT_NE(WhyNot(image::DecodeGif, huge).find("too large"), std::string::npos);
  std::vector<uint8_t> noFrame = file;  // the trailer right after the screen and its colours
  noFrame.resize(13 + 16 * 3);
  noFrame.push_back(0x3B);
  EXPECT_EQ(DecodeAs(noFrame, "empty.gif").family, "");
  BatterDecoder(image::DecodeGif, file);
}

}  // namespace
}  // namespace karovel::testing
