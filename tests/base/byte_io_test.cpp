#include <gtest/gtest.h>

#include "base/byte_reader.h"
#include "base/byte_writer.h"

namespace karovel {
namespace {

TEST(ByteWriter, WritesLittleEndianAndPatchesInPlace) {
  ByteWriter w;
  w.U16(0x4A4A);
  w.U32(0x01020304);
  w.I32(-2);
  w.F64(0.256);
  w.PutU32At(2, 0xAABBCCDD);
  const std::vector<uint8_t>& b = w.Bytes();
  ASSERT_EQ(b.size(), 18u);
  EXPECT_EQ(b[0], 0x4A);
  EXPECT_EQ(b[2], 0xDD);
  EXPECT_EQ(b[5], 0xAA);
  EXPECT_EQ(b[6], 0xFE);
  EXPECT_EQ(b[9], 0xFF);
  ByteReader r(b.data(), b.size());
  EXPECT_EQ(r.F64LEAt(10), 0.256);
  EXPECT_THROW(w.PutU32At(15, 1), std::out_of_range);
}

TEST(ByteReader, RefusesEveryReadPastTheEnd) {
  const uint8_t data[] = {1, 2, 3, 4, 5};
  ByteReader r(data, sizeof data);
  EXPECT_EQ(r.U32LE(), 0x04030201u);
  EXPECT_THROW(r.U16LE(), ReadError);
  EXPECT_EQ(r.Position(), 4u);  // a refused read does not move
  EXPECT_EQ(r.U8(), 5);
  EXPECT_TRUE(r.AtEnd());
  EXPECT_THROW(r.Take(1), ReadError);
  EXPECT_THROW(r.Seek(6), ReadError);
  EXPECT_THROW(r.U32LEAt(2), ReadError);
  EXPECT_THROW(r.U32LEAt(SIZE_MAX - 1), ReadError);  // no wrap-around of pos + n
  ByteReader s(data, sizeof data);
  EXPECT_EQ(s.U32BE(), 0x01020304u);
  EXPECT_THROW(s.Sub(2), ReadError);
}

}  // namespace
}  // namespace karovel
