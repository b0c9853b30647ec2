// Paintshop Pro fixtures from our encoder: both block layouts, three storages, 8 and 24 bits, layers
// placed on the canvas, the composite when there is no layer.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/image/decode_check.h"
#include "tests/support/legacy_writers.h"

namespace karovel::testing {

// Test names instead of raw bytes in failure reports.
void PrintTo(const PspSpec& spec, std::ostream* os) { *os << spec.name; }

namespace {

PspSpec Spec(const char* name, uint16_t major, uint16_t compression, int depth) {
  PspSpec spec;
  spec.name = name, spec.major = major, spec.compression = compression, spec.depth = depth;
  return spec;
}

std::vector<PspSpec> Variants() {
  std::vector<PspSpec> out;
  const char* names[2][2][3] = {
      {{"v3_8_raw", "v3_8_rle", "v3_8_lz77"}, {"v3_24_raw", "v3_24_rle", "v3_24_lz77"}},
      {{"v6_8_raw", "v6_8_rle", "v6_8_lz77"}, {"v6_24_raw", "v6_24_rle", "v6_24_lz77"}}};
  for (int version = 0; version < 2; ++version)
    for (int deep = 0; deep < 2; ++deep)
      for (uint16_t compression = 0; compression < 3; ++compression)
        out.push_back(Spec(names[version][deep][compression], version ? 6 : 3, compression, deep ? 24 : 8));
  PspSpec s = Spec("padded_rows", 4, 0, 24);
  s.paddedRows = true;
  out.push_back(s);
  s = Spec("padded_rows_8", 3, 0, 8);
  s.paddedRows = true;
  out.push_back(s);
  s = Spec("greyscale", 6, 1, 8);
  s.greyscale = true;
  out.push_back(s);
  s = Spec("layer_inside_canvas", 6, 2, 24);
  s.layerLeft = 5, s.layerTop = 3, s.layerWidth = 20, s.layerHeight = 6;
  out.push_back(s);
  s = Spec("saved_part_of_layer", 3, 1, 8);
  s.layerLeft = 4, s.layerTop = 2, s.savedLeft = 2, s.savedTop = 1, s.layerWidth = 9, s.layerHeight = 4;
  out.push_back(s);
  s = Spec("layer_beyond_canvas", 6, 0, 24);
  s.layerLeft = 30, s.layerTop = 8, s.layerWidth = 20, s.layerHeight = 6;
  out.push_back(s);
  s = Spec("vector_layer_first", 6, 1, 24);
  s.otherLayerFirst = true;
  out.push_back(s);
  s = Spec("old_floating_layer_first", 3, 2, 8);
  s.otherLayerFirst = true;
  out.push_back(s);
  for (uint16_t compression = 0; compression < 3; ++compression) {
    s = Spec(compression == 0   ? "composite_raw"
             : compression == 1 ? "composite_rle"
                                : "composite_lz77",
             6, compression, 24);
    s.composite = true;
    out.push_back(s);
  }
  s = Spec("composite_8", 5, 1, 8);
  s.composite = true;
  out.push_back(s);
  s = Spec("wide", 6, 1, 24);
  s.width = 700, s.height = 3;
  out.push_back(s);
  s = Spec("one_pixel", 6, 2, 8);
  s.width = s.height = 1;
  out.push_back(s);
  return out;
}

class PspVariant : public ::testing::TestWithParam<PspSpec> {};

TEST_P(PspVariant, DecodesEveryPixel) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodePsp(GetParam(), &expected);
  Decoded decoded = DecodeAs(file, "layers.psp");
  ASSERT_EQ(decoded.family, "Paintshop Pro images") << WhyNot(image::DecodePsp, file);
  EXPECT_TRUE(SamePixels(decoded.bitmap, expected));
}

INSTANTIATE_TEST_SUITE_P(Layouts, PspVariant, ::testing::ValuesIn(Variants()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Psp, FoundByContentUnderAnyName) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodePsp(Spec("rle", 6, 1, 24), &expected);
  for (const char* name : {"layers.dat", "layers", "layers.PSP", "layers.tga"}) {
    Decoded decoded = DecodeAs(file, name);
    EXPECT_EQ(decoded.family, "Paintshop Pro images") << name;
    EXPECT_TRUE(SamePixels(decoded.bitmap, expected)) << name;
  }
}

TEST(Psp, DoesNotClaimOtherFiles) {
  RgbImage picture = PatternImage(33, 17), ignored;
  const std::vector<uint8_t> good = EncodePsp(Spec("x", 6, 0, 8), &ignored);
  std::vector<uint8_t> altered = good;
  altered[5] = 'S';  // "Paint Shop Pro Image File" with one letter changed
  std::vector<std::pair<std::string, std::vector<uint8_t>>> others = {
      {"png", EncodePng(picture)},
      {"bmp", EncodeBmp24(picture)},
      {"cel", EncodeCel(40, 60, false, &ignored)},
      {"pcd", EncodePcd(PcdPicture(), 0)},
      {"short signature", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
      {"other signature", altered},
  };
  for (const auto& [name, bytes] : others) EXPECT_FALSE(image::IsPsp(bytes.data(), bytes.size())) << name;
}

TEST(Psp, RefusesWhatItCannotRead) {
  RgbImage expected;
  const std::vector<uint8_t> good = EncodePsp(Spec("raw", 6, 0, 24), &expected);
  auto fails = [](std::vector<uint8_t> file, const char* what) {
    EXPECT_EQ(DecodeAs(file, "bad.psp").family, "") << what;
  };
  std::vector<uint8_t> file = good;
  file[32] = 2;  // version 2: before the block layouts we know
  fails(file, "version");
  PspSpec jpeg = Spec("jpeg", 6, 3, 24);
  jpeg.composite = true;
  fails(EncodePsp(jpeg, &expected), "JPEG composite");
  fails(EncodePsp(Spec("four bits", 6, 0, 4), &expected), "4 bits");
  file = good;
  file[36] = 'X';  // first block header
  fails(file, "block header");
  file = good;
  file.resize(file.size() - 1);  // the blue channel loses its last byte
  fails(file, "truncated");
  file = good;
  const size_t attributes = 36 + 10 + 4;
  file[attributes + 2] = file[attributes + 3] = 0x7F;  // a canvas far larger than any data could fill
  fails(file, "huge canvas");
}

TEST(Psp, SurvivesTruncationAndCorruption) {
  RgbImage expected;
  BatterDecoder(image::DecodePsp, EncodePsp(Spec("rle", 6, 1, 24), &expected), 101);
  BatterDecoder(image::DecodePsp, EncodePsp(Spec("lz77", 3, 2, 8), &expected), 102);
  PspSpec composite = Spec("composite", 6, 0, 8);
  composite.composite = true;
  BatterDecoder(image::DecodePsp, EncodePsp(composite, &expected), 103);
}

}  // namespace
}  // namespace karovel::testing
