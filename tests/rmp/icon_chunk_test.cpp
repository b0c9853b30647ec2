#include "rmp/icon_chunk.h"

#include <gtest/gtest.h>

#include <string>

#include "base/byte_reader.h"

namespace karovel::rmp {
namespace {

struct RecordCase {
  uint32_t id, position;
  int16_t x, y;
  uint16_t width, height;
  uint8_t bitsPerPixel;
  uint32_t imagePlane, maskPlane;
};

const RecordCase Records[] = {
    {0x100, 116, -3, 2, 16, 16, 2, 144, 208},       {0x101, 272, -3, 2, 16, 16, 2, 300, 364},
    {0x102, 428, -3, -3, 16, 16, 2, 456, 520},      {0x103, 584, -2, -3, 16, 16, 2, 612, 676},
    {0x104, 740, -6, -6, 16, 16, 2, 768, 832},      {0x105, 896, -6, -6, 16, 16, 2, 924, 988},
    {0x106, 1052, 6, -6, 16, 16, 2, 1080, 1144},    {0x107, 1208, -4, -4, 24, 24, 2, 1236, 1380},
    {0x7FFFFFF0, 1524, 0, 0, 1, 64, 8, 1552, 1616}, {0x7FFFFFF1, 1680, 0, 0, 1, 24, 8, 1708, 1732},
};

class IconRecords : public ::testing::TestWithParam<size_t> {};

TEST_P(IconRecords, TableAndHeaderAgree) {
  const auto& chunk = IconChunk();
  ByteReader r(chunk.data(), chunk.size());
  const size_t i = GetParam();
  const RecordCase& c = Records[i];
  EXPECT_EQ(r.U32LEAt(36 + 8 * i), c.id);
  EXPECT_EQ(r.U32LEAt(40 + 8 * i), c.position);
  EXPECT_EQ(r.U32LEAt(c.position), c.id);
  EXPECT_EQ(int16_t(r.U16LEAt(c.position + 4)), c.x);
  EXPECT_EQ(int16_t(r.U16LEAt(c.position + 6)), c.y);
  EXPECT_EQ(r.U32LEAt(c.position + 8), c.imagePlane);
  EXPECT_EQ(r.U32LEAt(c.position + 12), c.maskPlane);
  EXPECT_EQ(r.U32LEAt(c.position + 16), 0xFFFFFFFFu);
  EXPECT_EQ(r.U16LEAt(c.position + 20), c.width);
  EXPECT_EQ(r.U16LEAt(c.position + 22), c.height);
  EXPECT_EQ(r.U8At(c.position + 24), 4);
  EXPECT_EQ(r.U8At(c.position + 25), c.bitsPerPixel);
  EXPECT_EQ(r.U16LEAt(c.position + 26), 0);
  const size_t end = i + 1 < 10 ? Records[i + 1].position : 1756;
  EXPECT_EQ(c.maskPlane + (c.maskPlane - c.imagePlane), end);
  if (c.bitsPerPixel == 8) {
    for (size_t b = 0; b < c.height; ++b) EXPECT_EQ(r.U8At(c.maskPlane + b), b % 7 == 0 ? 0x00 : 0xFF) << b;
  } else if (c.id != 0x100) {
    // Two-bit pixels are 0 or 3 only.
    for (size_t b = c.imagePlane; b < end; ++b)
      for (int shift = 0; shift < 8; shift += 2) {
        const int px = (r.U8At(b) >> shift) & 3;
        EXPECT_TRUE(px == 0 || px == 3) << b;
      }
  }
}

INSTANTIATE_TEST_SUITE_P(All, IconRecords, ::testing::Range<size_t>(0, 10));

TEST(IconChunk, HeaderTextAndFields) {
  const auto& chunk = IconChunk();
  const std::string text(chunk.begin(), chunk.begin() + 32);
  EXPECT_EQ(text, std::string("Icon file version 1.0.0\0\0\0\0\0\0\0\0\0", 32));
  EXPECT_EQ(ByteReader(chunk.data(), chunk.size()).U32LEAt(32), 10u);
  for (size_t i = 144; i < 154; ++i) EXPECT_EQ(chunk[i], 0xFF);
  EXPECT_EQ(std::string(chunk.begin() + 154, chunk.begin() + 181), "      Karovel              ");
  for (size_t i = 181; i < 186; ++i) EXPECT_EQ(chunk[i], 0xFF);
  const std::string credit(chunk.begin() + 186, chunk.begin() + 223);
  EXPECT_EQ(credit.substr(0, 6), "      ");
  for (char ch : credit) EXPECT_TRUE(ch >= 0x20 && ch < 0x7F);
  EXPECT_EQ(chunk[223], 0xFF);
  // Spot checks of the pictures: first mask row of 0x100 after the text, the disc, the star's centre row.
  EXPECT_EQ(chunk[224], 0x00);
  EXPECT_EQ(chunk[227], 0x3F);
  EXPECT_EQ(chunk[300 + 4 * 4], 0x3F);
  EXPECT_EQ(chunk[1236 + 6 * 8], 0x3F);
  EXPECT_EQ(chunk[1236 + 6 * 8 + 1], 0xF0);
  EXPECT_EQ(chunk[1755], 0xFF);
}

}  // namespace
}  // namespace karovel::rmp
