// TIFF and EPS fixtures written through libtiff's own writer, decoded through the loader.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "tests/image/decode_check.h"

namespace karovel::testing {
namespace {

using Sample = std::function<uint32_t(int x, int y, int s)>;

struct TiffSpec {
  const char* name;
  uint16_t photometric = PHOTOMETRIC_RGB;
  uint16_t bits = 8;
  uint16_t samples = 3;
  uint16_t compression = COMPRESSION_NONE;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint32_t rowsPerStrip = 5;
  uint32_t tile = 0;  // tile width and height; 0: strips
  uint16_t orientation = ORIENTATION_TOPLEFT;
  bool big = false;
  bool alpha = false;
  bool palette = false;
  int width = 37;
  int height = 21;
};

// The bytes of one row: all samples interleaved, or one sample plane; samples packed from the top bit.
std::vector<uint8_t> PackRow(const TiffSpec& spec, const Sample& sample, int y, int plane) {
  int perPixel = plane < 0 ? spec.samples : 1;
  size_t bits = size_t(spec.width) * perPixel * spec.bits;
  std::vector<uint8_t> row((bits + 7) / 8);
  size_t at = 0;
  for (int x = 0; x < spec.width; ++x)
    for (int s = 0; s < perPixel; ++s) {
      uint32_t v = sample(x, y, plane < 0 ? s : plane);
      if (spec.bits == 16) {
        uint16_t w = uint16_t(v);
        std::memcpy(&row[at / 8], &w, 2);  // native order, as libtiff expects from its writer
      } else {
        for (int b = spec.bits - 1; b >= 0; --b, ++at)
          if ((v >> b) & 1) row[at / 8] |= uint8_t(0x80 >> (at % 8));
        continue;
      }
      at += 16;
    }
  return row;
}

void WriteDirectory(TIFF* tif, const TiffSpec& spec, const Sample& sample) {
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(spec.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(spec.height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, spec.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spec.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, spec.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, spec.planar);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, spec.compression);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, spec.orientation);
  if (spec.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
  if (spec.alpha) {
    uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (spec.compression == COMPRESSION_JPEG) {
    TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 95);
    TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, 1, 1);  // no chroma blur across the test's blocks
  }
  if (spec.palette) {
    std::vector<uint16_t> r(size_t(1) << spec.bits), g(r.size()), b(r.size());
    for (size_t i = 0; i < r.size(); ++i) {
      r[i] = uint16_t(i * 255 / (r.size() - 1) * 257);
      g[i] = uint16_t((255 - i * 255 / (r.size() - 1)) * 257);
      b[i] = uint16_t((i * 37 % 256) * 257);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
  }
  int planes = spec.planar == PLANARCONFIG_SEPARATE ? spec.samples : 1;
  bool flip = spec.orientation == ORIENTATION_BOTLEFT;
  auto fileRow = [&](int r, int plane) { return PackRow(spec, sample, flip ? spec.height - 1 - r : r, plane); };
  if (spec.tile) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, spec.tile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, spec.tile);
    size_t pixelBytes = size_t(spec.bits / 8) * (planes == 1 ? spec.samples : 1);
    for (int plane = 0; plane < planes; ++plane)
      for (uint32_t ty = 0; ty < uint32_t(spec.height); ty += spec.tile)
        for (uint32_t tx = 0; tx < uint32_t(spec.width); tx += spec.tile) {
          std::vector<uint8_t> buffer(spec.tile * spec.tile * pixelBytes);
          for (uint32_t r = 0; r < spec.tile && ty + r < uint32_t(spec.height); ++r) {
            std::vector<uint8_t> row = fileRow(int(ty + r), planes == 1 ? -1 : plane);
            size_t n = std::min<size_t>(spec.tile, spec.width - tx) * pixelBytes;
            std::memcpy(&buffer[r * spec.tile * pixelBytes], &row[tx * pixelBytes], n);
          }
          ASSERT_GE(TIFFWriteTile(tif, buffer.data(), tx, ty, 0, uint16_t(plane)), 0);
        }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, spec.rowsPerStrip);
    for (int plane = 0; plane < planes; ++plane)
      for (int r = 0; r < spec.height; ++r) {
        std::vector<uint8_t> row = fileRow(r, planes == 1 ? -1 : plane);
        ASSERT_EQ(TIFFWriteScanline(tif, row.data(), uint32_t(r), uint16_t(plane)), 1);
      }
  }
}

std::vector<uint8_t> WriteTiff(const TiffSpec& spec, const Sample& sample, int pages = 1) {
  TempDir dir;
  std::string path = dir.File("written.tif");
  TIFF* tif = TIFFOpen(path.c_str(), spec.big ? "w8" : "w");
  EXPECT_NE(tif, nullptr);
  if (!tif) return {};
  for (int page = 0; page < pages; ++page) {
    TiffSpec pageSpec = spec;
    pageSpec.width += page * 3;  // later pages differ in size, so taking one of them shows
    WriteDirectory(tif, pageSpec, sample);
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  return ReadFile(path);
}

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
               [](int x, int y, int s) { return Rgb(x, y, s) * 257; }, rgbExpected});
  TiffSpec rgba{"rgba", PHOTOMETRIC_RGB, 8, 4};
  rgba.alpha = true;
  v.push_back({rgba, [](int x, int y, int s) { return s == 3 ? 255u : Rgb(x, y, s); }, rgbExpected});

  auto grayExpected = [](int x, int y, uint8_t* p) { p[0] = p[1] = p[2] = Pattern().At(x, y)[0]; };
  v.push_back({{"gray_8", PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_LZW}, Rgb, grayExpected});
  v.push_back({{"gray_16", PHOTOMETRIC_MINISBLACK, 16, 1},
               [](int x, int y, int) { return Rgb(x, y, 0) * 257; }, grayExpected});
  v.push_back({{"gray_white_is_zero", PHOTOMETRIC_MINISWHITE, 8, 1}, Rgb,
               [](int x, int y, uint8_t* p) { p[0] = p[1] = p[2] = uint8_t(255 - Pattern().At(x, y)[0]); }});
  v.push_back({{"gray_4", PHOTOMETRIC_MINISBLACK, 4, 1}, [](int x, int y, int) { return uint32_t(x + y) % 16; },
               [](int x, int y, uint8_t* p) { p[0] = p[1] = p[2] = uint8_t((x + y) % 16 * 17); }});

  auto bilevelExpected = [](int x, int y, uint8_t* p) { p[0] = p[1] = p[2] = Bilevel(x, y) ? 0 : 255; };
  auto bilevel = [&](const char* name, uint16_t compression) {
    v.push_back({{name, PHOTOMETRIC_MINISWHITE, 1, 1, compression, PLANARCONFIG_CONTIG, 1000},
                 [](int x, int y, int) { return Bilevel(x, y); }, bilevelExpected});
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
    TiffSpec spec{bits == 8 ? "palette_8" : bits == 4 ? "palette_4" : "palette_2", PHOTOMETRIC_PALETTE, bits, 1,
                  COMPRESSION_LZW};
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
               [](int x, int y, uint8_t* p) { std::memcpy(p, Pattern().At(x / 8 * 8, y / 8 * 8), 3); }, 12});
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

TEST(Tiff, SurvivesTruncationAndCorruption) {
  BatterDecoder(image::DecodeTiff, WriteTiff({"rgb"}, Rgb), 11);
  BatterDecoder(image::DecodeTiff,
                WriteTiff({"lzw_tiles", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW, PLANARCONFIG_CONTIG, 0, 16}, Rgb),
                12);
  BatterDecoder(image::DecodeTiff,
                WriteTiff({"fax", PHOTOMETRIC_MINISWHITE, 1, 1, COMPRESSION_CCITTFAX4, PLANARCONFIG_CONTIG, 1000},
                          [](int x, int y, int) { return Bilevel(x, y); }),
                13);
}

// EPS: a binary header in front of PostScript text and a TIFF preview.
std::vector<uint8_t> BinaryEps(const std::vector<uint8_t>& tiff) {
  std::string postscript = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 37 21\nshowpage\n";
  std::vector<uint8_t> file(30 + postscript.size() + tiff.size(), 0);
  const uint8_t magic[4] = {0xC5, 0xD0, 0xD3, 0xC6};
  std::memcpy(file.data(), magic, 4);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(v >> (8 * i));
  };
  put32(4, 30);
  put32(8, uint32_t(postscript.size()));
  put32(20, uint32_t(30 + postscript.size()));
  put32(24, uint32_t(tiff.size()));
  file[28] = file[29] = 0xFF;  // no checksum
  std::memcpy(&file[30], postscript.data(), postscript.size());
  if (!tiff.empty()) std::memcpy(&file[30 + postscript.size()], tiff.data(), tiff.size());
  return file;
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
  BatterDecoder(image::DecodeEps, BinaryEps(WriteTiff({"preview", PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW}, Rgb)),
                21);
}

}  // namespace
}  // namespace karovel::testing
