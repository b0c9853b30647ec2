#include <gtest/gtest.h>

#include "base/byte_reader.h"
#include "rmp/tile_grid.h"

namespace karovel::rmp {
namespace {

using catalogue::MapEntry;

MapEntry WorkedExample() {
  MapEntry e;
  e.originLon = 10.0;
  e.originLat = 50.0;
  e.lonPerPixel = 0.001;
  e.latPerPixel = -0.001;
  e.imageWidth = 300;
  e.imageHeight = 200;
  e.calibrated = true;
  return e;
}

// A layer of across x down tiles at grid (100, 200) whose tile t (table order) is 10 + t bytes long.
TileData Layer(int32_t across, int32_t down) {
  TileData d;
  d.grid.tileLonSpan = d.grid.tileLatSpan = 0.256;
  d.grid.latSign = -1;
  d.grid.firstColumn = 100;
  d.grid.firstRow = 200;
  d.grid.tilesAcross = across;
  d.grid.tilesDown = down;
  int32_t offset = 0;
  for (int32_t t = 0; t < across * down; ++t) {
    d.table.push_back({10 + t, offset, 0, 0});
    offset += 4 + 10 + t;
  }
  return d;
}

constexpr size_t Block(int n) { return 4188 + 1992 * size_t(n); }

struct Entry {
  int32_t column, row, reserved, offset;
};

Entry EntryAt(const ByteReader& r, size_t at) {
  return {r.I32LEAt(at), r.I32LEAt(at + 4), r.I32LEAt(at + 8), r.I32LEAt(at + 12)};
}

// The entry that tile k (column-by-column numbering) must have in a Layer().
Entry Expected(const TileData& d, int32_t k) {
  const int32_t a = k / d.grid.tilesDown, b = k % d.grid.tilesDown;
  const TileRecord& rec = d.table[size_t(b * d.grid.tilesAcross + a)];
  return {100 + a, 200 + b, 0, rec.dataOffset + 4};
}

void ExpectEntry(const ByteReader& r, size_t at, const Entry& e) {
  const Entry got = EntryAt(r, at);
  EXPECT_EQ(got.column, e.column) << at;
  EXPECT_EQ(got.row, e.row) << at;
  EXPECT_EQ(got.reserved, 0) << at;
  EXPECT_EQ(got.offset, e.offset) << at;
}

bool AllZero(const std::vector<uint8_t>& f, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (f[i] != 0) return false;
  return true;
}

TEST(BuildTlm, WorkedExampleHeaderAndLeaf) {
  TileData d = Layer(2, 2);
  d.grid.firstColumn = 742;
  d.grid.firstRow = 156;
  const std::vector<uint8_t> f = BuildTlm(WorkedExample(), d);
  ASSERT_EQ(f.size(), 10164u);
  ByteReader r(f.data(), f.size());
  EXPECT_EQ(r.I32LEAt(0), 1);
  EXPECT_EQ(r.I32LEAt(4), 4);
  EXPECT_EQ(f[8], 0x00);
  EXPECT_EQ(f[9], 0x01);
  EXPECT_EQ(f[10], 0x00);
  EXPECT_EQ(f[11], 0x01);
  EXPECT_EQ(r.I32LEAt(12), 1);
  EXPECT_EQ(r.F64LEAt(16), 0.256);
  EXPECT_EQ(r.F64LEAt(24), 0.256);
  EXPECT_EQ(r.F64LEAt(32), 10.0);
  EXPECT_EQ(r.F64LEAt(40), -50.0);
  EXPECT_EQ(r.F64LEAt(48), 10.3);
  EXPECT_EQ(r.F64LEAt(56), -49.8);
  EXPECT_TRUE(AllZero(f, 64, 152));
  EXPECT_EQ(r.I32LEAt(152), 256);
  EXPECT_EQ(r.I32LEAt(156), 10164);
  EXPECT_EQ(r.I32LEAt(256), 1);
  EXPECT_EQ(r.I32LEAt(260), 99);
  EXPECT_EQ(r.I32LEAt(264), 3932);
  EXPECT_TRUE(AllZero(f, 268, Block(0)));
  EXPECT_EQ(r.I32LEAt(Block(0)), 4);
  EXPECT_EQ(r.I32LEAt(Block(0) + 4), 65540);
  const int32_t l0 = 10, l1 = 11, l2 = 12;
  // Column by column: the second entry is the tile below the first.
  ExpectEntry(r, Block(0) + 8, {742, 156, 0, 4});
  ExpectEntry(r, Block(0) + 24, {742, 157, 0, 12 + l0 + l1});
  ExpectEntry(r, Block(0) + 40, {743, 156, 0, 8 + l0});
  ExpectEntry(r, Block(0) + 56, {743, 157, 0, 16 + l0 + l1 + l2});
  EXPECT_TRUE(AllZero(f, Block(0) + 72, f.size()));
}

TEST(BuildTlm, EdgesRoundToAThousandthAndFollowLatSign) {
  MapEntry e = WorkedExample();
  e.originLon = 10.0004;
  e.latPerPixel = 0.001;  // rows count northward: latitudes are stored as they are
  TileData d = Layer(1, 1);
  d.grid.latSign = 1;
  const std::vector<uint8_t> f = BuildTlm(e, d);
  ByteReader r(f.data(), f.size());
  EXPECT_EQ(r.F64LEAt(32), 10.0);
  EXPECT_EQ(r.F64LEAt(40), 50.0);
  EXPECT_EQ(r.F64LEAt(48), 10.3);
  EXPECT_EQ(r.F64LEAt(56), 50.2);
}

struct TreeCase {
  int32_t across, down;
  size_t length;
  int32_t rootReference;
};

void PrintTo(const TreeCase& c, std::ostream* os) { *os << c.across << "x" << c.down; }

class TreeShape : public ::testing::TestWithParam<TreeCase> {};

// Leaves are blocks 0, 2, 3, ...; block 1 is the root; the keys sit between the leaves in k order.
TEST_P(TreeShape, EveryTileOnceInOrder) {
  const TreeCase& c = GetParam();
  const TileData d = Layer(c.across, c.down);
  const int32_t n = c.across * c.down;
  const std::vector<uint8_t> f = BuildTlm(WorkedExample(), d);
  ASSERT_EQ(f.size(), c.length);
  ByteReader r(f.data(), f.size());
  EXPECT_EQ(r.I32LEAt(4), n);
  EXPECT_EQ(r.I32LEAt(156), int32_t(c.length));
  EXPECT_EQ(r.I32LEAt(264), c.rootReference);
  int32_t k = 0;
  int leaf = 0, keys = 0;
  while (k < n) {
    const int32_t m = std::min(n - k, 70);
    EXPECT_EQ(r.I32LEAt(Block(leaf)), m);
    EXPECT_EQ(r.I32LEAt(Block(leaf) + 4), m + 65536);
    for (int32_t s = 0; s < m; ++s) ExpectEntry(r, Block(leaf) + 8 + 16 * size_t(s), Expected(d, k + s));
    EXPECT_TRUE(AllZero(f, Block(leaf) + 8 + 16 * size_t(m), Block(leaf + 1)));
    k += m;
    if (k < n) {
      ++keys;
      ExpectEntry(r, Block(1) + 8 + 16 * size_t(keys - 1), Expected(d, k));
      EXPECT_EQ(r.I32LEAt(Block(1) + 1592 + 4 * size_t(keys)), int32_t(Block(keys + 1) - 256));
      ++k;
      leaf = leaf == 0 ? 2 : leaf + 1;
    }
  }
  if (keys > 0) {
    EXPECT_EQ(r.I32LEAt(Block(1)), n);
    EXPECT_EQ(r.I32LEAt(Block(1) + 4), keys);
    EXPECT_EQ(r.I32LEAt(Block(1) + 1592), 3932);
    EXPECT_TRUE(AllZero(f, Block(1) + 8 + 16 * size_t(keys), Block(1) + 1592));
    EXPECT_TRUE(AllZero(f, Block(1) + 1592 + 4 * size_t(keys + 1), Block(2)));
  }
  // Two zero blocks after the last one used (and the unwritten leaf when the last tile is a key).
  EXPECT_TRUE(AllZero(f, f.size() - 2 * 1992, f.size()));
}

INSTANTIATE_TEST_SUITE_P(Sizes, TreeShape,
                         ::testing::Values(TreeCase{1, 1, 10164, 3932}, TreeCase{7, 10, 10164, 3932},
                                           TreeCase{71, 1, 14148, 5924}, TreeCase{8, 9, 14148, 5924},
                                           TreeCase{20, 10, 16140, 5924}, TreeCase{7099, 1, 209364, 5924},
                                           TreeCase{1, 142, 16140, 5924}));

TEST(BuildTlm, SeventyTwoAndTwoHundredTilesInDetail) {
  {
    const TileData d = Layer(8, 9);
    const std::vector<uint8_t> f = BuildTlm(WorkedExample(), d);
    ByteReader r(f.data(), f.size());
    EXPECT_EQ(r.I32LEAt(Block(1) + 1592), 3932);
    EXPECT_EQ(r.I32LEAt(Block(1) + 1596), 7916);
    EXPECT_EQ(r.I32LEAt(8172), 1);
    EXPECT_EQ(r.I32LEAt(8176), 65537);
  }
  {
    const TileData d = Layer(20, 10);
    const std::vector<uint8_t> f = BuildTlm(WorkedExample(), d);
    ByteReader r(f.data(), f.size());
    EXPECT_EQ(r.I32LEAt(Block(3)), 58);
    EXPECT_EQ(r.I32LEAt(Block(3) + 4), 65594);
    const Entry key0 = EntryAt(r, Block(1) + 8), key1 = EntryAt(r, Block(1) + 24);
    EXPECT_EQ(key0.column, 107);
    EXPECT_EQ(key0.row, 200);
    EXPECT_EQ(key1.column, 114);
    EXPECT_EQ(key1.row, 201);
    EXPECT_EQ(r.I32LEAt(Block(1) + 1592 + 8), 9908);
  }
  {
    // 71 tiles: the child after the only key is never written.
    const std::vector<uint8_t> f = BuildTlm(WorkedExample(), Layer(71, 1));
    EXPECT_TRUE(AllZero(f, Block(2), f.size()));
  }
}

TEST(BuildTlm, RefusesMoreTilesThanTheTreeHolds) {
  EXPECT_THROW(BuildTlm(WorkedExample(), Layer(7100, 1)), std::length_error);
}

}  // namespace
}  // namespace karovel::rmp
