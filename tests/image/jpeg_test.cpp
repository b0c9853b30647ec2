// JPEG fixtures written through libjpeg: colour, gray, CMYK and YCCK (with and without Adobe's marker),
// subsampled and progressive. Lossy, so pixels are compared with a small tolerance on smooth pictures.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/image/decode_check.h"

namespace karovel::testing {
namespace {

enum class Space { Rgb, Gray, Cmyk, Ycck };

struct JpegSpec {
  const char* name;
  Space space = Space::Rgb;
  bool adobe = true;  // CMYK and YCCK: Adobe's marker, which means inverted inks
  bool subsampled = false;
  bool progressive = false;
  int width = 61;
  int height = 37;
  int tolerance = 3;
};

// Smooth (ramps folded back rather than wrapped), so that a near-lossless JPEG comes back within a few
// levels.
int Fold(int v) { return v % 400 < 200 ? v % 400 : 400 - v % 400; }
uint8_t Channel(int x, int y, int c) {
  switch (c) {
    case 0:
      return uint8_t(40 + Fold(x * 2));
    case 1:
      return uint8_t(30 + Fold(y * 3));
    case 2:
      return uint8_t(128 + Fold(x + 400 - y) / 4);
    default:
      return uint8_t(250 - Fold(x + y) / 2);
  }
}

std::vector<uint8_t> EncodeJpegVariant(const JpegSpec& spec, RgbImage* expected) {
  const bool cmyk = spec.space == Space::Cmyk || spec.space == Space::Ycck;
  const int components = spec.space == Space::Gray ? 1 : cmyk ? 4 : 3;
  *expected = RgbImage{spec.width, spec.height, std::vector<uint8_t>(size_t(spec.width) * spec.height * 3)};
  std::vector<uint8_t> samples;
  for (int y = 0; y < spec.height; ++y)
    for (int x = 0; x < spec.width; ++x) {
      uint8_t* want = expected->At(x, y);
      for (int c = 0; c < components; ++c) samples.push_back(Channel(x, y, c));
      if (spec.space == Space::Gray) {
        want[0] = want[1] = want[2] = Channel(x, y, 0);
      } else if (cmyk) {
        // Adobe stores inks inverted: the stored value is the light left, 255 meaning no ink.
        auto light = [&](int c) { return spec.adobe ? Channel(x, y, c) : 255 - Channel(x, y, c); };
        for (int c = 0; c < 3; ++c) want[c] = uint8_t((light(c) * light(3) + 127) / 255);
      } else {
        for (int c = 0; c < 3; ++c) want[c] = Channel(x, y, c);
      }
    }

  const J_COLOR_SPACE space = spec.space == Space::Gray ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
  return EncodeJpegSamples(samples.data(), spec.width, spec.height, components, space,
                           spec.subsampled ? 95 : 100, [&](jpeg_compress_struct& cinfo) {
                             if (spec.space == Space::Ycck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
                             if (cmyk) cinfo.write_Adobe_marker = spec.adobe;
                             if (!spec.subsampled)
                               for (int c = 0; c < cinfo.num_components; ++c)
                                 cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
                             if (spec.progressive) jpeg_simple_progression(&cinfo);
                           });
}

class JpegVariant : public ::testing::TestWithParam<JpegSpec> {};

TEST_P(JpegVariant, DecodesAtFullSize) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeJpegVariant(GetParam(), &expected);
  Decoded decoded = DecodeAs(file, "photo.jpg");
  ASSERT_EQ(decoded.family, "JPG images") << WhyNot(image::DecodeJpeg, file);
  EXPECT_TRUE(SamePixels(decoded.bitmap, expected, GetParam().tolerance));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, JpegVariant,
    ::testing::Values(JpegSpec{"ycbcr"},
                      JpegSpec{"ycbcr_subsampled", Space::Rgb, true, true, false, 61, 37, 6},
                      JpegSpec{"progressive", Space::Rgb, true, false, true}, JpegSpec{"gray", Space::Gray},
                      JpegSpec{"gray_progressive", Space::Gray, true, false, true},
                      JpegSpec{"adobe_cmyk", Space::Cmyk, true, false, false, 61, 37, 4},
                      JpegSpec{"adobe_ycck", Space::Ycck, true, false, false, 61, 37, 4},
                      JpegSpec{"plain_cmyk", Space::Cmyk, false, false, false, 61, 37, 4},
                      JpegSpec{"tall", Space::Rgb, true, true, false, 5, 300, 6},
                      JpegSpec{"one_pixel", Space::Rgb, true, false, false, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Jpeg, EveryJpegExtensionAnyCase) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeJpegVariant({"ycbcr"}, &expected);
  for (const char* name : {"a.jpg", "a.JPG", "a.jpeg", "a.Jpe", "a.jfif"})
    EXPECT_EQ(DecodeAs(file, name).family, "JPG images") << name;
  EXPECT_EQ(DecodeAs(file, "a.gif").family, "");
}

size_t StartOfFrame(const std::vector<uint8_t>& file) {
  for (size_t i = 2; i + 9 < file.size(); ++i)
    if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) return i;
  return 0;
}

TEST(Jpeg, DamageFailsCleanly) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeJpegVariant({"ycbcr"}, &expected);
  // Cut anywhere in the scan data: libjpeg would quietly fill the rest in gray.
  for (size_t keep : {file.size() - 2, file.size() / 2, size_t(200)})
    EXPECT_EQ(DecodeAs(std::vector<uint8_t>(file.begin(), file.begin() + long(keep)), "cut.jpg").family, "")
        << keep;
  std::vector<uint8_t> huge = file;  // 65000 x 65000 from a few kilobytes
  size_t sof = StartOfFrame(huge);
  ASSERT_NE(sof, 0u);
  huge[sof + 5] = huge[sof + 7] = 0xFD;
  huge[sof + 6] = huge[sof + 8] = 0xE8;
  EXPECT_NE(WhyNot(image::DecodeJpeg, huge).find("too large"), std::string::npos);
  EXPECT_EQ(DecodeAs(std::vector<uint8_t>{0xFF, 0xD8, 0xFF}, "tiny.jpg").family, "");
  BatterDecoder(image::DecodeJpeg, file, 3, 200);
  BatterDecoder(image::DecodeJpeg, EncodeJpegVariant({"p", Space::Ycck, true, true, true}, &expected), 4,
                100);
}

}  // namespace
}  // namespace karovel::testing
