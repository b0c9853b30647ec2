// Bitmap fixtures from a small encoder of our own: every depth, both run-length kinds, bit fields, both
// row orders, the OS/2 headers and packed DIBs.
#include <gtest/gtest.h>

#include <string>

#include "tests/image/decode_check.h"

namespace karovel::testing {
namespace {

struct BmpSpec {
  const char* name;
  uint16_t bits;
  uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  uint32_t headerSize = 40;
  bool topDown = false;
  uint32_t masks[3] = {0, 0, 0};  // bit fields
  uint32_t paletteSize = 0;       // 0: the full palette of the depth
  bool packed = false;            // no file header
  int width = 37;
  int height = 11;
};

void Put16(std::vector<uint8_t>& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

void PaletteColour(int i, uint8_t* rgb) {
  rgb[0] = uint8_t(i * 13);
  rgb[1] = uint8_t(255 - i);
  rgb[2] = uint8_t(i * 7 + 3);
}

// Blocks, noise and two alternating colours: runs (of nibble pairs too) next to literal stretches.
int Index(const BmpSpec& spec, int x, int y) {
  int colours = spec.paletteSize ? int(spec.paletteSize) : 1 << spec.bits;
  int v = x < spec.width / 2 ? x / 4 + y : x < spec.width * 3 / 4 ? x * 3 + y * 5 : x % 2 * 5 + y;
  return v % colours;
}

uint32_t Scale(uint32_t value8, uint32_t mask) {  // an 8-bit channel stored into a mask
  if (!mask) return 0;
  int shift = __builtin_ctz(mask);
  uint32_t max = mask >> shift;
  return ((value8 * max + 127) / 255) << shift;
}
uint8_t Unscale(uint32_t stored, uint32_t mask) {
  if (!mask) return 0;
  int shift = __builtin_ctz(mask);
  uint64_t max = mask >> shift;
  return uint8_t((((stored & mask) >> shift) * 255 + max / 2) / max);
}

// Run-length encoding of one row of indices: repeats (a pair of alternating nibbles for RLE4) as runs,
// other stretches of three or more as literal runs padded to 16 bits.
void EncodeRleRow(const std::vector<int>& row, bool four, std::vector<uint8_t>& out) {
  size_t w = row.size();
  auto runAt = [&](size_t i) {
    size_t n = 1;
    while (i + n < w && n < 255 && row[i + n] == (four && n % 2 ? row[i + 1] : row[i])) ++n;
    return n;
  };
  for (size_t i = 0; i < w;) {
    size_t n = runAt(i);
    size_t j = i;
    while (j < w && j - i < 254 && runAt(j) < 3) ++j;
    if (n >= 3 || j - i < 3) {
      out.push_back(uint8_t(n));
      out.push_back(uint8_t(four ? (row[i] << 4) | (n > 1 ? row[i + 1] : 0) : row[i]));
      i += n;
      continue;
    }
    size_t literal = j - i;
    out.push_back(0);
    out.push_back(uint8_t(literal));
    size_t start = out.size();
    for (size_t k = 0; k < literal; ++k) {
      if (!four)
        out.push_back(uint8_t(row[i + k]));
      else if (k % 2 == 0)
        out.push_back(uint8_t(row[i + k] << 4));
      else
        out.back() |= uint8_t(row[i + k]);
    }
    if ((out.size() - start) % 2) out.push_back(0);
    i = j;
  }
}

std::vector<uint8_t> EncodeBmp(const BmpSpec& spec, RgbImage* expected) {
  const RgbImage source = PatternImage(spec.width, spec.height, 3);
  *expected = RgbImage{spec.width, spec.height, std::vector<uint8_t>(source.pixels.size())};
  const bool core = spec.headerSize == 12;
  const bool indexed = spec.bits <= 8;
  uint32_t masks[3] = {spec.masks[0], spec.masks[1], spec.masks[2]};
  if (spec.compression != 3 && spec.bits == 16) masks[0] = 0x7C00, masks[1] = 0x3E0, masks[2] = 0x1F;
  if (spec.compression != 3 && spec.bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;

  std::vector<uint8_t> pixels;
  const size_t stride = (size_t(spec.width) * spec.bits + 31) / 32 * 4;
  for (int n = 0; n < spec.height; ++n) {
    int y = spec.topDown ? n : spec.height - 1 - n;
    std::vector<int> indices;
    size_t start = pixels.size();
    for (int x = 0; x < spec.width; ++x) {
      uint8_t* want = expected->At(x, y);
      const uint8_t* rgb = source.At(x, y);
      if (indexed) {
        indices.push_back(Index(spec, x, y));
        PaletteColour(indices.back(), want);
      } else if (spec.bits == 24) {
        pixels.insert(pixels.end(), {rgb[2], rgb[1], rgb[0]});
        std::copy(rgb, rgb + 3, want);
      } else {
        uint32_t v = Scale(rgb[0], masks[0]) | Scale(rgb[1], masks[1]) | Scale(rgb[2], masks[2]);
        for (int c = 0; c < 3; ++c) want[c] = Unscale(v, masks[c]);
        v |= ~(masks[0] | masks[1] | masks[2]) & 0xA5A5A5A5u;  // bits outside the masks are ignored
        if (spec.bits == 16)
          Put16(pixels, v);
        else
          Put32(pixels, v);
      }
    }
    if (spec.compression == 1 || spec.compression == 2) {
      EncodeRleRow(indices, spec.compression == 2, pixels);
      pixels.insert(pixels.end(), {0, uint8_t(n + 1 == spec.height ? 1 : 0)});
      continue;
    }
    if (indexed) {
      for (int x = 0; x < spec.width; ++x) {
        size_t bit = size_t(x) * spec.bits;
        if (bit % 8 == 0) pixels.push_back(0);
        pixels.back() |= uint8_t(indices[x] << (8 - spec.bits - bit % 8));
      }
    }
    pixels.resize(start + stride, 0);
  }

  std::vector<uint8_t> palette;
  uint32_t colours = indexed ? (spec.paletteSize ? spec.paletteSize : 1u << spec.bits) : 0;
  for (uint32_t i = 0; i < colours; ++i) {
    uint8_t rgb[3];
    PaletteColour(int(i), rgb);
    palette.insert(palette.end(), {rgb[2], rgb[1], rgb[0]});
    if (!core) palette.push_back(0);
  }

  std::vector<uint8_t> info;
  Put32(info, spec.headerSize);
  if (core) {
    Put16(info, uint32_t(spec.width));
    Put16(info, uint32_t(spec.height));
    Put16(info, 1);
    Put16(info, spec.bits);
  } else {
    Put32(info, uint32_t(spec.width));
    Put32(info, uint32_t(spec.topDown ? -spec.height : spec.height));
    Put16(info, 1);
    Put16(info, spec.bits);
    Put32(info, spec.compression);
    Put32(info, uint32_t(pixels.size()));
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, spec.paletteSize);
    Put32(info, 0);
    if (spec.headerSize >= 52)
      for (uint32_t m : spec.masks) Put32(info, spec.compression == 3 ? m : 0);
    info.resize(spec.headerSize, 0);  // OS/2 2.x headers may stop after any field
    if (spec.headerSize == 40 && spec.compression == 3)
      for (uint32_t m : spec.masks) Put32(info, m);
  }

  std::vector<uint8_t> file;
  uint32_t offset = uint32_t(14 + info.size() + palette.size());  // unused by packed DIBs
  if (!spec.packed) {
    file = {'B', 'M'};
    Put32(file, uint32_t(offset + pixels.size()));
    Put32(file, 0);
    Put32(file, offset);
  }
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), palette.begin(), palette.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

class BmpVariant : public ::testing::TestWithParam<BmpSpec> {};

TEST_P(BmpVariant, DecodesEveryPixel) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeBmp(GetParam(), &expected);
  Decoded decoded = DecodeAs(file, GetParam().packed ? "picture.dib" : "picture.bmp");
  ASSERT_EQ(decoded.family, "Windows bitmaps") << WhyNot(image::DecodeBmp, file);
  EXPECT_TRUE(SamePixels(decoded.bitmap, expected));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, BmpVariant,
    ::testing::Values(BmpSpec{"bits_1", 1}, BmpSpec{"bits_4", 4}, BmpSpec{"bits_8", 8},
                      BmpSpec{"bits_16_555", 16}, BmpSpec{"bits_24", 24}, BmpSpec{"bits_32", 32},
                      BmpSpec{"top_down_8", 8, 0, 40, true}, BmpSpec{"top_down_24", 24, 0, 40, true},
                      BmpSpec{"bits_16_565", 16, 3, 40, false, {0xF800, 0x7E0, 0x1F}},
                      BmpSpec{"bits_16_444_v5", 16, 3, 124, false, {0xF00, 0xF0, 0xF}},
                      BmpSpec{"bits_32_bgr_fields", 32, 3, 40, true, {0xFF, 0xFF00, 0xFF0000}},
                      BmpSpec{"bits_32_10_bit_v4", 32, 3, 108, false, {0x3FF00000, 0xFFC00, 0x3FF}},
                      BmpSpec{
                          "bits_32_v3_fields_in_header", 32, 3, 56, false, {0xFF000000, 0xFF0000, 0xFF00}},
                      BmpSpec{"rle8", 8, 1}, BmpSpec{"rle4", 4, 2}, BmpSpec{"rle8_top_down", 8, 1, 40, true},
                      BmpSpec{"rle4_wide", 4, 2, 40, false, {}, 0, false, 600, 3},
                      BmpSpec{"short_palette", 8, 0, 40, false, {}, 20}, BmpSpec{"os2_1_bits_1", 1, 0, 12},
                      BmpSpec{"os2_1_bits_4", 4, 0, 12}, BmpSpec{"os2_1_bits_8", 8, 0, 12},
                      BmpSpec{"os2_1_bits_24", 24, 0, 12}, BmpSpec{"os2_2_bits_8", 8, 0, 64},
                      BmpSpec{"os2_2_short_header", 4, 0, 16},
                      BmpSpec{"packed_dib", 8, 0, 40, false, {}, 0, true},
                      BmpSpec{"one_pixel", 24, 0, 40, false, {}, 0, false, 1, 1},
                      BmpSpec{"odd_width_1", 1, 0, 40, false, {}, 0, false, 33, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// A hand-made RLE8 stream: a run, a literal, a delta over the rest of the row and the next row's start,
// a run past the row's end (clipped), and an early end of the bitmap. Skipped pixels keep colour 0.
TEST(Bmp, RunLengthEscapes) {
  const std::vector<uint8_t> rle = {3, 1, 0, 3, 2, 3, 1, 0,  // row 0: 1 1 1 2 3 1
                                    0, 2, 2, 1,              // delta: x 8, y 1
                                    0, 0,                    // end of row 1
                                    9, 4,                    // row 2: 4 x 6 (clipped)
                                    0, 1};                   // end: row 3 untouched
  std::vector<uint8_t> f = {'B', 'M'};
  Put32(f, 0);
  Put32(f, 0);
  Put32(f, 14 + 40 + 5 * 4);
  Put32(f, 40);
  Put32(f, 6);
  Put32(f, 4);
  Put16(f, 1);
  Put16(f, 8);
  Put32(f, 1);
  Put32(f, uint32_t(rle.size()));
  Put32(f, 0);
  Put32(f, 0);
  Put32(f, 5);
  Put32(f, 0);
  const uint8_t colours[5][3] = {{9, 9, 9}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {50, 60, 70}};
  for (auto& c : colours) f.insert(f.end(), {c[2], c[1], c[0], 0});
  f.insert(f.end(), rle.begin(), rle.end());
  const int rows[4][6] = {{0, 0, 0, 0, 0, 0}, {4, 4, 4, 4, 4, 4}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 2, 3, 1}};
  RgbImage expected{6, 4, std::vector<uint8_t>(6 * 4 * 3)};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) std::copy(colours[rows[y][x]], colours[rows[y][x]] + 3, expected.At(x, y));
  Decoded decoded = DecodeAs(f, "escapes.rle");
  ASSERT_EQ(decoded.family, "Windows bitmaps") << WhyNot(image::DecodeBmp, f);
  EXPECT_TRUE(SamePixels(decoded.bitmap, expected));
}

TEST(Bmp, FoundByExtensionOnly) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeBmp({"bits_24", 24}, &expected);
  for (const char* name : {"a.BMP", "a.Dib", "a.rle"})
    EXPECT_EQ(DecodeAs(file, name).family, "Windows bitmaps") << name;
  EXPECT_EQ(DecodeAs(file, "a.dat").family, "");
  EXPECT_EQ(DecodeAs(file, "bmp").family, "");
}

// Sizes the data cannot back are refused before anything is allocated; short files fail cleanly.
TEST(Bmp, RefusesWhatTheDataCannotHold) {
  RgbImage expected;
  for (BmpSpec spec : {BmpSpec{"bits_24", 24}, BmpSpec{"rle8", 8, 1}, BmpSpec{"bits_1", 1}}) {
    std::vector<uint8_t> file = EncodeBmp(spec, &expected);
    std::vector<uint8_t> huge = file;
    for (int at : {18, 22}) {  // width and height: 100000 x 100000
      huge[at] = 0xA0, huge[at + 1] = 0x86, huge[at + 2] = 0x01, huge[at + 3] = 0;
    }
    EXPECT_EQ(DecodeAs(huge, "huge.bmp").family, "") << spec.name;
    std::vector<uint8_t> negative = file;  // width -1, height INT32_MIN
    negative[18] = negative[19] = negative[20] = negative[21] = 0xFF;
    EXPECT_EQ(DecodeAs(negative, "negative.bmp").family, "") << spec.name;
    negative = file;
    negative[22] = negative[23] = negative[24] = 0, negative[25] = 0x80;
    EXPECT_EQ(DecodeAs(negative, "negative.bmp").family, "") << spec.name;
  }
  std::vector<uint8_t> file = EncodeBmp({"bits_24", 24}, &expected);
  file.resize(file.size() - 200);
  EXPECT_EQ(DecodeAs(file, "short.bmp").family, "");
  file.resize(30);
  EXPECT_EQ(DecodeAs(file, "header.bmp").family, "");
}

TEST(Bmp, SurvivesDamage) {
  RgbImage expected;
  for (BmpSpec spec :
       {BmpSpec{"bits_8", 8}, BmpSpec{"rle4", 4, 2}, BmpSpec{"rle8", 8, 1},
        BmpSpec{"bits_16_565", 16, 3, 40, false, {0xF800, 0x7E0, 0x1F}}, BmpSpec{"os2", 4, 0, 12}})
    BatterDecoder(image::DecodeBmp, EncodeBmp(spec, &expected));
}

}  // namespace
}  // namespace karovel::testing
