// PNG fixtures written through libpng's row interface: every colour type and bit depth, Adam7, tRNS.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <string>

#include "tests/image/decode_check.h"

namespace karovel::testing {
namespace {

struct PngSpec {
  const char* name;
  int colorType;
  int depth;
  bool interlaced = false;
  bool transparency = false;  // a tRNS chunk
  int width = 23;
  int height = 19;
};

int Samples(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
      return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    default:
      return 4;
  }
}

// Sample s of pixel (x, y), as stored at the given depth (0 to 2^depth - 1).
unsigned Sample(const PngSpec& spec, int x, int y, int s) {
  unsigned max = (1u << spec.depth) - 1;
  if (spec.colorType == PNG_COLOR_TYPE_PALETTE) {
    unsigned colours = std::min(max + 1, 200u);
    return unsigned(x * 7 + y * 3) % colours;
  }
  uint32_t v = uint32_t(x * 2749 + y * 7919 + s * 104729) * 2654435761u;
  return (v >> 7) & max;
}

void PaletteColour(unsigned i, uint8_t* rgb) {
  rgb[0] = uint8_t(i * 11);
  rgb[1] = uint8_t(i * 3 + 40);
  rgb[2] = uint8_t(255 - i);
}

// What the decoder must give for a stored sample: scaled to 8 bits with rounding.
uint8_t To8(unsigned v, int depth) {
  unsigned max = (1u << depth) - 1;
  return uint8_t((v * 255 + max / 2) / max);
}

void PngError(png_structp, png_const_charp message) { throw std::runtime_error(message); }
void PngWarning(png_structp, png_const_charp) {}
void PngWrite(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void PngFlush(png_structp) {}

std::vector<uint8_t> EncodePngVariant(const PngSpec& spec, RgbImage* expected) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_IHDR(png, info, png_uint_32(spec.width), png_uint_32(spec.height), spec.depth, spec.colorType,
               spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette(256);
  for (unsigned i = 0; i < 256; ++i) {
    uint8_t rgb[3];
    PaletteColour(i, rgb);
    palette[i] = png_color{rgb[0], rgb[1], rgb[2]};
  }
  if (spec.colorType == PNG_COLOR_TYPE_PALETTE)
    png_set_PLTE(png, info, palette.data(), std::min(1 << spec.depth, 200));
  if (spec.transparency) {
    // Index 0 fully transparent, and the colour of pixel (1, 0) as the transparent colour.
    png_byte alphas[4] = {0, 128, 0, 255};
    png_color_16 colour{};
    colour.gray = png_uint_16(Sample(spec, 1, 0, 0));
    colour.red = png_uint_16(Sample(spec, 1, 0, 0));
    colour.green = png_uint_16(Sample(spec, 1, 0, 1));
    colour.blue = png_uint_16(Sample(spec, 1, 0, 2));
    int count = spec.colorType == PNG_COLOR_TYPE_PALETTE ? std::min(4, 1 << spec.depth) : 0;
    png_set_tRNS(png, info, alphas, count, &colour);
  }
  png_write_info(png, info);

  const int samples = Samples(spec.colorType);
  *expected = RgbImage{spec.width, spec.height, std::vector<uint8_t>(size_t(spec.width) * spec.height * 3)};
  std::vector<std::vector<png_byte>> rows(size_t(spec.height));
  for (int y = 0; y < spec.height; ++y) {
    std::vector<png_byte>& row = rows[size_t(y)];
    row.assign((size_t(spec.width) * samples * spec.depth + 7) / 8, 0);
    size_t bit = 0;
    for (int x = 0; x < spec.width; ++x) {
      for (int s = 0; s < samples; ++s, bit += size_t(spec.depth)) {
        unsigned v = Sample(spec, x, y, s);
        if (spec.depth == 16) {
          row[bit / 8] = png_byte(v >> 8);
          row[bit / 8 + 1] = png_byte(v);
        } else {
          row[bit / 8] |= png_byte(v << (8 - spec.depth - bit % 8));
        }
      }
      uint8_t* want = expected->At(x, y);
      if (spec.colorType == PNG_COLOR_TYPE_PALETTE) {
        PaletteColour(Sample(spec, x, y, 0), want);
      } else if (samples <= 2) {
        want[0] = want[1] = want[2] = To8(Sample(spec, x, y, 0), spec.depth);
      } else {
        for (int c = 0; c < 3; ++c) want[c] = To8(Sample(spec, x, y, c), spec.depth);
      }
    }
  }
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

class PngVariant : public ::testing::TestWithParam<PngSpec> {};

TEST_P(PngVariant, DecodesEveryPixel) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodePngVariant(GetParam(), &expected);
  Decoded decoded = DecodeAs(file, "picture.png");
  ASSERT_EQ(decoded.family, "Portable network graphic images") << WhyNot(image::DecodePng, file);
  EXPECT_TRUE(SamePixels(decoded.bitmap, expected));
}

std::vector<PngSpec> AllVariants() {
  std::vector<PngSpec> specs;
  struct Kind {
    const char* name;
    int colorType;
    std::vector<int> depths;
  };
  const Kind kinds[] = {{"gray", PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}},
                        {"palette", PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},
                        {"rgb", PNG_COLOR_TYPE_RGB, {8, 16}},
                        {"gray_alpha", PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
                        {"rgba", PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}}};
  static std::vector<std::string> names;  // the specs point into it
  names.reserve(64);
  for (const Kind& kind : kinds)
    for (int depth : kind.depths)
      for (int variant = 0; variant < 3; ++variant) {
        bool alphaType = kind.colorType & PNG_COLOR_MASK_ALPHA;
        if (variant == 2 && alphaType) continue;  // tRNS is not allowed with an alpha channel
        names.push_back(std::string(kind.name) + "_" + std::to_string(depth) +
                        (variant == 1   ? "_interlaced"
                         : variant == 2 ? "_trns"
                                        : ""));
        specs.push_back(PngSpec{names.back().c_str(), kind.colorType, depth, variant == 1, variant == 2});
      }
  specs.push_back(PngSpec{"one_pixel_interlaced", PNG_COLOR_TYPE_RGB, 8, true, false, 1, 1});
  specs.push_back(PngSpec{"thin_interlaced", PNG_COLOR_TYPE_PALETTE, 2, true, false, 3, 40});
  return specs;
}

INSTANTIATE_TEST_SUITE_P(Kinds, PngVariant, ::testing::ValuesIn(AllVariants()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Png, FoundByContentUnderAnyName) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodePngVariant({"rgb", PNG_COLOR_TYPE_RGB, 8}, &expected);
  for (const char* name : {"map.jpg", "map", "map.bmp", "MAP.PNG"}) {
    Decoded decoded = DecodeAs(file, name);
    EXPECT_EQ(decoded.family, "Portable network graphic images") << name;
    EXPECT_TRUE(SamePixels(decoded.bitmap, expected)) << name;
  }
}

TEST(Png, DamageFailsCleanly) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodePngVariant({"rgb", PNG_COLOR_TYPE_RGB, 8, true}, &expected);
  std::vector<uint8_t> cut(file.begin(), file.begin() + long(file.size() / 2));
  EXPECT_EQ(DecodeAs(cut, "cut.png").family, "");
  std::vector<uint8_t> huge = file;  // 1000000 x 1000000 in the header, CRC fixed
  for (int at : {16, 20}) huge[at] = 0x00, huge[at + 1] = 0x0F, huge[at + 2] = 0x42, huge[at + 3] = 0x40;
  uLong crc = crc32(0, huge.data() + 12, 17);
  for (int i = 0; i < 4; ++i) huge[29 + i] = uint8_t(crc >> (24 - 8 * i));
  EXPECT_EQ(DecodeAs(huge, "huge.png").family, "");
  EXPECT_NE(WhyNot(image::DecodePng, huge).find("too large"), std::string::npos);
  // zlib's own checksum is not verified (for speed), so a changed byte of the pixel data must still
  // fail on its chunk's CRC.
  std::vector<uint8_t> flipped = file;
  const std::string idat = "IDAT";
  auto at = std::search(flipped.begin(), flipped.end(), idat.begin(), idat.end());
  ASSERT_NE(at, flipped.end());
  at[4 + 10] ^= 0x20;
  EXPECT_EQ(DecodeAs(flipped, "flipped.png").family, "");
  BatterDecoder(image::DecodePng, EncodePngVariant({"palette", PNG_COLOR_TYPE_PALETTE, 4, true}, &expected));
  BatterDecoder(image::DecodePng, file, 2, 150);
}

}  // namespace
}  // namespace karovel::testing
