// TGA fixtures from a small encoder of our own: every pixel kind, both compressions, every origin.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/image/decode_check.h"

namespace karovel::testing {
namespace {

struct TgaSpec {
  const char* name;
  uint8_t imageType;      // 1, 2, 3, or +8 for run-length data
  uint8_t pixelBits;      // 8, 15, 16, 24, 32
  uint8_t mapBits = 0;    // colour map entry size; 0: no map
  uint8_t descriptor = 0; // 0x20 top-down, 0x10 right-to-left
  bool packetsCrossRows = false;
  uint16_t mapFirst = 0;
  int width = 29;
  int height = 13;
};

// Blocky, so run-length packets have runs to find.
const RgbImage& Source() {
  static const RgbImage image = [] {
    RgbImage pattern = PatternImage(64, 32, 5), blocky = pattern;
    for (int y = 0; y < blocky.height; ++y)
      for (int x = 0; x < blocky.width; ++x) std::memcpy(blocky.At(x, y), pattern.At(x / 3 * 3, y), 3);
    return blocky;
  }();
  return image;
}

int PaletteIndex(int x, int y) { return (x / 3 + y * 5) % 200; }
void PaletteColour(int i, uint8_t* rgb) {
  rgb[0] = uint8_t(i);
  rgb[1] = uint8_t(255 - i);
  rgb[2] = uint8_t(i * 7);
}

uint8_t Five(uint8_t c) { return uint8_t(c >> 3); }
uint8_t FromFive(uint8_t c5) { return uint8_t((c5 << 3) | (c5 >> 2)); }

void StoreColour(const uint8_t* rgb, uint8_t bits, std::vector<uint8_t>& out) {
  if (bits <= 16) {
    unsigned v = (Five(rgb[0]) << 10) | (Five(rgb[1]) << 5) | Five(rgb[2]) | (bits == 16 ? 0x8000 : 0);
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
  } else {
    out.insert(out.end(), {rgb[2], rgb[1], rgb[0]});
    if (bits == 32) out.push_back(0x80);
  }
}

// The stored pixel of picture position (x, y), and the colour it must decode to.
std::vector<uint8_t> StoredPixel(const TgaSpec& spec, int x, int y, uint8_t* expected) {
  std::vector<uint8_t> p;
  switch (spec.imageType & 7) {
    case 1: {
      int i = PaletteIndex(x, y);
      p.push_back(uint8_t(i + spec.mapFirst));
      PaletteColour(i, expected);
      if (spec.mapBits <= 16)
        for (int c = 0; c < 3; ++c) expected[c] = FromFive(Five(expected[c]));
      break;
    }
    case 3:
      p.push_back(Source().At(x, y)[1]);
      if (spec.pixelBits == 16) p.push_back(0xFF);
      expected[0] = expected[1] = expected[2] = Source().At(x, y)[1];
      break;
    default:
      StoreColour(Source().At(x, y), spec.pixelBits, p);
      for (int c = 0; c < 3; ++c)
        expected[c] = spec.pixelBits <= 16 ? FromFive(Five(Source().At(x, y)[c])) : Source().At(x, y)[c];
  }
  return p;
}

void AppendRle(const std::vector<std::vector<uint8_t>>& pixels, std::vector<uint8_t>& out) {
  for (size_t i = 0; i < pixels.size();) {
    size_t run = 1;
    while (i + run < pixels.size() && run < 128 && pixels[i + run] == pixels[i]) ++run;
    if (run >= 2) {
      out.push_back(uint8_t(0x80 | (run - 1)));
      out.insert(out.end(), pixels[i].begin(), pixels[i].end());
      i += run;
      continue;
    }
    size_t raw = 1;
    while (i + raw < pixels.size() && raw < 128 && pixels[i + raw] != pixels[i + raw - 1]) ++raw;
    if (i + raw < pixels.size() && raw > 1) --raw;  // leave the start of the next run to it
    out.push_back(uint8_t(raw - 1));
    for (size_t k = 0; k < raw; ++k) out.insert(out.end(), pixels[i + k].begin(), pixels[i + k].end());
    i += raw;
  }
}

std::vector<uint8_t> EncodeTga(const TgaSpec& spec, RgbImage* expected) {
  const std::string id = "karovel test";
  uint16_t mapLength = spec.mapBits ? 200 : 0;
  std::vector<uint8_t> f = {uint8_t(id.size()), uint8_t(spec.mapBits ? 1 : 0), spec.imageType,
                            uint8_t(spec.mapFirst), uint8_t(spec.mapFirst >> 8), uint8_t(mapLength),
                            uint8_t(mapLength >> 8), spec.mapBits, 0, 0, 0, 0,
                            uint8_t(spec.width), uint8_t(spec.width >> 8), uint8_t(spec.height),
                            uint8_t(spec.height >> 8), spec.pixelBits, spec.descriptor};
  f.reserve(size_t(spec.width) * spec.height * 8 + 4096);
  f.insert(f.end(), id.begin(), id.end());
  for (int i = 0; i < mapLength; ++i) {
    uint8_t rgb[3];
    PaletteColour(i, rgb);
    StoreColour(rgb, spec.mapBits, f);
  }
  *expected = RgbImage{spec.width, spec.height, std::vector<uint8_t>(size_t(spec.width) * spec.height * 3)};
  bool topDown = spec.descriptor & 0x20, rightToLeft = spec.descriptor & 0x10;
  std::vector<std::vector<uint8_t>> stream;
  for (int r = 0; r < spec.height; ++r) {
    std::vector<std::vector<uint8_t>> row;
    for (int c = 0; c < spec.width; ++c) {
      int x = rightToLeft ? spec.width - 1 - c : c, y = topDown ? r : spec.height - 1 - r;
      row.push_back(StoredPixel(spec, x, y, expected->At(x, y)));
    }
    if (spec.imageType < 8) {
      for (auto& p : row) f.insert(f.end(), p.begin(), p.end());
    } else if (spec.packetsCrossRows) {
      stream.insert(stream.end(), row.begin(), row.end());
    } else {
      AppendRle(row, f);
    }
  }
  if (!stream.empty()) AppendRle(stream, f);
  const char footer[] = "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.";
  f.insert(f.end(), footer, footer + sizeof footer);
  return f;
}

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
                      TgaSpec{"mapped_24", 1, 8, 24}, TgaSpec{"mapped_32", 1, 8, 32}, TgaSpec{"mapped_16", 1, 8, 16},
                      TgaSpec{"mapped_15_offset", 1, 8, 15, 0, false, 30}, TgaSpec{"top_down", 2, 24, 0, 0x20},
                      TgaSpec{"right_to_left", 2, 24, 0, 0x10}, TgaSpec{"top_right", 3, 8, 0, 0x30},
                      TgaSpec{"rle_24", 10, 24}, TgaSpec{"rle_32_top_down", 10, 32, 0, 0x28},
                      TgaSpec{"rle_16", 10, 16}, TgaSpec{"rle_gray", 11, 8}, TgaSpec{"rle_mapped", 9, 8, 24},
                      TgaSpec{"rle_across_rows", 10, 24, 0, 0, true}, TgaSpec{"rle_mapped_across_rows", 9, 8, 32, 0x20, true},
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
