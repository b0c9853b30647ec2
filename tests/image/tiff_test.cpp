// TIFF and EPS fixtures written through libtiff's own writer, decoded through the loader.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "tests/image/decode_check.h"
#include "tests/support/family_writers.h"

namespace karovel::testing {
namespace {

using Sample = TiffSample;

// What each variant stores and what it must look like.
struct Variant {
  TiffSpec spec;
  Sample sample;
  std::function<void(int x, int y, uint8_t* rgb)> expected;
  int tolerance = 0;
};

const RgbImage& Pattern() {
  static const RgbImage image = PatternImage(64, 32, 3);
  return image;
}

uint32_t Rgb(int x, int y, int s) { return Pattern().At(x, y)[s]; }
uint32_t Bilevel(int x, int y) { return (x * x + y) % 5 == 0 ? 1 : 0; }

std::vector<Variant> Variants() {
  std::vector<Variant> v;
  auto rgbExpected = [](int x, int y, uint8_t* p) { std::memcpy(p, Pattern().At(x, y), 3); };
  auto rgb = [&](TiffSpec spec) { v.push_back({spec, Rgb, rgbExpected}); };
  rgb({"rgb_none"});
  rgb({"rgb_lzw", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW});
  rgb({"rgb_deflate", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_ADOBE_DEFLATE});
  rgb({"rgb_packbits", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_PACKBITS});
  rgb({"rgb_one_strip", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW, PLANARCONFIG_CONTIG, 1000});
  rgb({"rgb_tiles", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_NONE, PLANARCONFIG_CONTIG, 0, 16});
  rgb({"rgb_tiles_deflate", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_ADOBE_DEFLATE, PLANARCONFIG_CONTIG, 0, 16});
  rgb({"rgb_planes", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW, PLANARCONFIG_SEPARATE});
  rgb({"rgb_planes_tiles", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_NONE, PLANARCONFIG_SEPARATE, 0, 16});
  rgb({"rgb_bottom_up", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW, PLANARCONFIG_CONTIG, 4, 0,
       ORIENTATION_BOTLEFT});
  rgb({"bigtiff", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_NONE, PLANARCONFIG_CONTIG, 5, 0, ORIENTATION_TOPLEFT,
       true});
  v.push_back({{"rgb_16", PHOTOMETRIC_RGB, 16, 3, COMPRESSION_ADOBE_DEFLATE},
               [](int x, int y, int s) { return Rgb(x, y, s) * 257; },
               rgbExpected});
  TiffSpec rgba{"rgba", PHOTOMETRIC_RGB, 8, 4};
  rgba.alpha = true;
  v.push_back({rgba, [](int x, int y, int s) { return s == 3 ? 255u : Rgb(x, y, s); }, rgbExpected});

  auto grayExpected = [](int x, int y, uint8_t* p) { p[0] = p[1] = p[2] = Pattern().At(x, y)[0]; };
  v.push_back({{"gray_8", PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_LZW}, Rgb, grayExpected});
  v.push_back({{"gray_16", PHOTOMETRIC_MINISBLACK, 16, 1},
               [](int x, int y, int) { return Rgb(x, y, 0) * 257; },
               grayExpected});
  v.push_back({{"gray_white_is_zero", PHOTOMETRIC_MINISWHITE, 8, 1}, Rgb, [](int x, int y, uint8_t* p) {
                 p[0] = p[1] = p[2] = uint8_t(255 - Pattern().At(x, y)[0]);
               }});
  v.push_back({{"gray_4", PHOTOMETRIC_MINISBLACK, 4, 1},
               [](int x, int y, int) { return uint32_t(x + y) % 16; },
               [](int x, int y, uint8_t* p) { p[0] = p[1] = p[2] = uint8_t((x + y) % 16 * 17); }});

  auto bilevelExpected = [](int x, int y, uint8_t* p) { p[0] = p[1] = p[2] = Bilevel(x, y) ? 0 : 255; };
  auto bilevel = [&](const char* name, uint16_t compression) {
    v.push_back({{name, PHOTOMETRIC_MINISWHITE, 1, 1, compression, PLANARCONFIG_CONTIG, 1000},
                 [](int x, int y, int) { return Bilevel(x, y); },
                 bilevelExpected});
  };
  bilevel("bilevel", COMPRESSION_NONE);
  bilevel("bilevel_packbits", COMPRESSION_PACKBITS);
  bilevel("fax_group3", COMPRESSION_CCITTFAX3);
  bilevel("fax_group4", COMPRESSION_CCITTFAX4);
  bilevel("fax_modified_huffman", COMPRESSION_CCITTRLE);
  v.push_back({{"bilevel_black_is_zero", PHOTOMETRIC_MINISBLACK, 1, 1},
               [](int x, int y, int) { return Bilevel(x, y); },
               [](int x, int y, uint8_t* p) { p[0] = p[1] = p[2] = Bilevel(x, y) ? 255 : 0; }});

  for (uint16_t bits : {uint16_t(8), uint16_t(4), uint16_t(2)}) {
    TiffSpec spec{bits == 8   ? "palette_8"
                  : bits == 4 ? "palette_4"
                              : "palette_2",
                  PHOTOMETRIC_PALETTE, bits, 1, COMPRESSION_LZW};
    spec.palette = true;
    uint32_t colours = 1u << bits;
    v.push_back({spec, [colours](int x, int y, int) { return uint32_t(x * 7 + y) % colours; },
                 [colours](int x, int y, uint8_t* p) {
                   uint32_t i = uint32_t(x * 7 + y) % colours;
                   p[0] = uint8_t(i * 255 / (colours - 1));
                   p[1] = uint8_t(255 - i * 255 / (colours - 1));
                   p[2] = uint8_t(i * 37 % 256);
                 }});
  }

  v.push_back({{"cmyk", PHOTOMETRIC_SEPARATED, 8, 4, COMPRESSION_LZW},
               [](int x, int y, int s) { return s == 3 ? uint32_t(x * 5 % 256) : 255 - Rgb(x, y, s); },
               [](int x, int y, uint8_t* p) {
                 uint32_t k = 255 - uint32_t(x * 5 % 256);
                 for (int c = 0; c < 3; ++c) p[c] = uint8_t(k * Pattern().At(x, y)[c] / 255);
               }});
  v.push_back({{"jpeg", PHOTOMETRIC_YCBCR, 8, 3, COMPRESSION_JPEG, PLANARCONFIG_CONTIG, 16},
               [](int x, int y, int s) { return uint32_t(Pattern().At(x / 8 * 8, y / 8 * 8)[s]); },
               [](int x, int y, uint8_t* p) { std::memcpy(p, Pattern().At(x / 8 * 8, y / 8 * 8), 3); },
               12});
  return v;
}

class TiffVariant : public ::testing::TestWithParam<Variant> {};

TEST_P(TiffVariant, DecodesEveryPixel) {
  const Variant& variant = GetParam();
  std::vector<uint8_t> file = WriteTiff(variant.spec, variant.sample);
  Decoded decoded = DecodeAs(file, "picture.tif");
  ASSERT_EQ(decoded.family, "Tagged image file format images") << WhyNot(image::DecodeTiff, file);
  RgbImage expected{variant.spec.width, variant.spec.height,
                    std::vector<uint8_t>(size_t(variant.spec.width) * variant.spec.height * 3)};
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x) variant.expected(x, y, expected.At(x, y));
  EXPECT_TRUE(SamePixels(decoded.bitmap, expected, variant.tolerance));
}

INSTANTIATE_TEST_SUITE_P(Layouts, TiffVariant, ::testing::ValuesIn(Variants()),
                         [](const auto& info) { return std::string(info.param.spec.name); });

TEST(Tiff, FoundByContentWhateverTheName) {
  std::vector<uint8_t> file = WriteTiff({"plain"}, Rgb);
  for (const char* name : {"map.jpg", "map", "map.dat", "map.fax", "map.TIFF"}) {
    Decoded decoded = DecodeAs(file, name);
    EXPECT_EQ(decoded.family, "Tagged image file format images") << name;
    EXPECT_EQ(decoded.bitmap.width, 37) << name;
  }
}

TEST(Tiff, TakesTheFirstImageOfTheFile) {
  std::vector<uint8_t> file = WriteTiff({"pages"}, Rgb, 3);
  Decoded decoded = DecodeAs(file, "pages.tif");
  EXPECT_EQ(decoded.bitmap.width, 37);
  EXPECT_EQ(decoded.bitmap.height, 21);
}

TEST(Tiff, ReportsProgressByRowsUpToAHundred) {
  TiffSpec spec{"tall"};
  spec.height = 300;
  spec.width = 8;
  spec.rowsPerStrip = 7;
  std::vector<uint8_t> file = WriteTiff(spec, [](int x, int y, int s) { return uint32_t(x + y + s) % 256; });
  std::vector<int> seen;
  image::WorkingBitmap out;
  image::DecodeTiff({file.data(), file.size(), "tall.tif"}, out, [&](int p) { seen.push_back(p); });
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(seen.back(), 100);
  EXPECT_GT(seen.size(), 10u);
}

TEST(Tiff, RefusesSizesItsDataCannotBack) {
  // A valid header and directory whose uncompressed strip claims far more than the file holds.
  std::vector<uint8_t> file = WriteTiff({"small"}, Rgb);
  // Width and height are the first entries libtiff writes: patch them to 60000 x 60000.
  uint32_t ifd;
  std::memcpy(&ifd, &file[4], 4);
  uint16_t entries;
  std::memcpy(&entries, &file[ifd], 2);
  for (uint16_t i = 0; i < entries; ++i) {
    uint8_t* entry = &file[ifd + 2 + 12 * i];
    uint16_t tag;
    std::memcpy(&tag, entry, 2);
    if (tag == TIFFTAG_IMAGEWIDTH || tag == TIFFTAG_IMAGELENGTH) {
      uint16_t type;
      std::memcpy(&type, entry + 2, 2);
      if (type == TIFF_SHORT) {
        uint16_t big = 60000;
        std::memcpy(entry + 8, &big, 2);
      } else {
        uint32_t big = 60000;
        std::memcpy(entry + 8, &big, 4);
      }
    }
  }
  image::WorkingBitmap out;
  EXPECT_THROW(image::DecodeTiff({file.data(), file.size(), "x.tif"}, out, {}), image::DecodeError);
  EXPECT_TRUE(out.Empty());
}

// Found by the fuzzer: a 312-byte fax file of 32768 x 63509 pixels whose 64 strips all point at the
// same bytes. Counted once per strip they seemed to back a 6 GB picture; the file backs no more than
// itself, so it is refused before anything is allocated.
TEST(Tiff, StripsSharingTheirBytesBackNoMoreThanTheFile) {
  const std::vector<uint8_t> file = {
      0x49, 0x49, 0x2a, 0x00, 0xae, 0x00, 0x00, 0x00, 0x00, 0x13, 0x55, 0x6a, 0xd5, 0xab, 0x56, 0xad, 0x5a,
      0x1c, 0x00, 0x5f, 0x8e, 0x38, 0xe3, 0x8e, 0x38, 0x00, 0x11, 0x60, 0x01, 0x16, 0x00, 0x11, 0xd3, 0xa1,
      0x01, 0x00, 0x00, 0x00, 0x00, 0xa1, 0x12, 0x00, 0x00, 0xa1, 0xd3, 0xd3, 0xd0, 0x00, 0x9a, 0xab, 0x56,
      0xad, 0x5a, 0xb5, 0x6a, 0xd0, 0xe0, 0x02, 0xfc, 0x71, 0xc7, 0x1c, 0x71, 0xc0, 0x00, 0x8b, 0x00, 0x08,
      0xb0, 0x00, 0x8e, 0x9d, 0x0e, 0x9d, 0x0e, 0x9d, 0x0e, 0x9d, 0x0e, 0x9d, 0x0e, 0x9d, 0x0e, 0x9d, 0x0e,
      0x80, 0x04, 0xd5, 0x5a, 0xb5, 0x6a, 0xd5, 0xab, 0x56, 0x87, 0x00, 0x17, 0xe3, 0x8e, 0x38, 0xe3, 0x8e,
      0x00, 0x04, 0x58, 0x00, 0x45, 0x80, 0x04, 0x74, 0xe8, 0x74, 0xe8, 0x74, 0xe8, 0x74, 0xe8, 0x74, 0xe8,
      0x74, 0xe8, 0x74, 0xe8, 0x74, 0x00, 0x26, 0xaa, 0xd5, 0xab, 0x56, 0xad, 0x5a, 0xb4, 0x38, 0x00, 0xbf,
      0x1c, 0x71, 0xc7, 0x1c, 0x70, 0x00, 0x22, 0xc0, 0x02, 0x2c, 0x00, 0x23, 0xa7, 0x43, 0xa7, 0x43, 0xa7,
      0x43, 0xa7, 0x43, 0xa7, 0x43, 0xa7, 0x43, 0xa7, 0x43, 0xa0, 0x01, 0x35, 0x56, 0xad, 0x5a, 0xb5, 0x6a,
      0xd5, 0xa1, 0xc0, 0x00, 0x0b, 0x00, 0x00, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00,
      0x01, 0x01, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x15, 0xf8, 0x00, 0x00, 0x02, 0x01, 0x03, 0x00,
      0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03,
      0x00, 0x00, 0x00, 0x06, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x11, 0x01,
      0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00,
      0x00, 0x01, 0x00, 0x00, 0x00, 0x15, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
      0x16, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0xe8, 0x03, 0x00, 0x00, 0x17, 0x01, 0x04, 0x00, 0x01,
      0x00, 0x00, 0xa5, 0x00, 0x00, 0x00, 0x00, 0x1c, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  image::WorkingBitmap out;
  try {
    image::DecodeTiff({file.data(), file.size(), "fax.tif"}, out, {});
    ADD_FAILURE() << "decoded";
  } catch (const image::DecodeError& e) {
    EXPECT_NE(std::string(e.what()).find("shorter than its size"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(out.Empty());
}

TEST(Tiff, SurvivesTruncationAndCorruption) {
  BatterDecoder(image::DecodeTiff, WriteTiff({"rgb"}, Rgb), 11);
  BatterDecoder(
      image::DecodeTiff,
      WriteTiff({"lzw_tiles", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW, PLANARCONFIG_CONTIG, 0, 16}, Rgb), 12);
  BatterDecoder(
      image::DecodeTiff,
      WriteTiff({"fax", PHOTOMETRIC_MINISWHITE, 1, 1, COMPRESSION_CCITTFAX4, PLANARCONFIG_CONTIG, 1000},
                [](int x, int y, int) { return Bilevel(x, y); }),
      13);
}

TEST(Eps, DecodesTheTiffPreview) {
  std::vector<uint8_t> file = BinaryEps(WriteTiff({"preview", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW}, Rgb));
  for (const char* name : {"drawing.eps", "drawing.dat"}) {
    Decoded decoded = DecodeAs(file, name);
    ASSERT_EQ(decoded.family, "Encapsulated Postscript images") << name;
    RgbImage expected{37, 21, std::vector<uint8_t>(37 * 21 * 3)};
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 37; ++x) std::memcpy(expected.At(x, y), Pattern().At(x, y), 3);
    EXPECT_TRUE(SamePixels(decoded.bitmap, expected)) << name;
  }
}

TEST(Eps, FailsWithoutAPreview) {
  std::string text = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nshowpage\n";
  std::vector<uint8_t> plain(text.begin(), text.end());
  EXPECT_EQ(ChosenFamily(plain, "x.eps"), "Encapsulated Postscript images");
  EXPECT_EQ(DecodeAs(plain, "x.eps").family, "");

  std::vector<uint8_t> noPreview = BinaryEps(std::vector<uint8_t>(8, 0));
  for (int i = 20; i < 28; ++i) noPreview[i] = 0;
  EXPECT_EQ(DecodeAs(noPreview, "x.eps").family, "");

  std::vector<uint8_t> outside = BinaryEps(WriteTiff({"preview"}, Rgb));
  outside[24] = 0xFF, outside[25] = 0xFF, outside[26] = 0xFF;  // preview length past the end
  EXPECT_EQ(DecodeAs(outside, "x.eps").family, "");
}

TEST(Eps, SurvivesTruncationAndCorruption) {
  BatterDecoder(image::DecodeEps,
                BinaryEps(WriteTiff({"preview", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW}, Rgb)), 21);
}

}  // namespace
}  // namespace karovel::testing
