#include "rmp/tile_grid.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "base/byte_reader.h"
#include "rmp/tile_stream.h"
#include "tests/support/image_writers.h"

namespace karovel::rmp {
namespace {

using catalogue::MapEntry;

MapEntry Entry(double lon, double lat, double lonPerPixel, double latPerPixel, int w, int h) {
  MapEntry e;
  e.originLon = lon;
  e.originLat = lat;
  e.lonPerPixel = lonPerPixel;
  e.latPerPixel = latPerPixel;
  e.imageWidth = w;
  e.imageHeight = h;
  e.calibrated = true;
  return e;
}

MapEntry WorkedExample(int w = 300, int h = 200) { return Entry(10.0, 50.0, 0.001, -0.001, w, h); }

image::WorkingBitmap Bitmap(const testing::RgbImage& picture) {
  image::WorkingBitmap b;
  EXPECT_TRUE(image::AllocateBitmap(b, picture.width, picture.height));
  std::copy(picture.pixels.begin(), picture.pixels.end(), b.pixels.get());
  return b;
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(12.5), 12);
  EXPECT_EQ(RoundHalfEven(37.5), 38);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(-48.0000001), -48);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(-0.6), -1);
}

TEST(PlaceOnGrid, WorkedExample) {
  const TileGrid g = PlaceOnGrid(WorkedExample(), 300, 200);
  EXPECT_DOUBLE_EQ(g.tileLonSpan, 0.256);
  EXPECT_DOUBLE_EQ(g.tileLatSpan, 0.256);
  EXPECT_EQ(g.latSign, -1);
  EXPECT_EQ(g.firstColumn, 742);
  EXPECT_EQ(g.firstPixelX, -48);
  EXPECT_EQ(g.firstRow, 156);
  EXPECT_EQ(g.firstPixelY, -64);
  EXPECT_EQ(g.tilesAcross, 2);
  EXPECT_EQ(g.tilesDown, 2);
}

struct PlacementCase {
  const char* what;
  MapEntry entry;
  int32_t firstColumn, firstPixelX, firstRow, firstPixelY, tilesAcross, tilesDown;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.what; }

class Placement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, Fields) {
  const PlacementCase& c = GetParam();
  const TileGrid g = PlaceOnGrid(c.entry, c.entry.imageWidth, c.entry.imageHeight);
  EXPECT_EQ(g.firstColumn, c.firstColumn);
  EXPECT_EQ(g.firstPixelX, c.firstPixelX);
  EXPECT_EQ(g.firstRow, c.firstRow);
  EXPECT_EQ(g.firstPixelY, c.firstPixelY);
  EXPECT_EQ(g.tilesAcross, c.tilesAcross);
  EXPECT_EQ(g.tilesDown, c.tilesDown);
}

// 1/256 degrees a pixel puts grid lines on whole degrees; -180 + 0.5 + 2.5 pixels is a tie.
INSTANTIATE_TEST_SUITE_P(
    Cases, Placement,
    ::testing::Values(
        // The third column starts at x = 464 = W and holds no pixel.
        PlacementCase{"wide", WorkedExample(464, 200), 742, -48, 156, -64, 3, 2},
        PlacementCase{"onGridLine", Entry(-179.0, 45.0, 1.0 / 256, -1.0 / 256, 256, 256), 1, 0, 45, 0, 2, 2},
        // (c * span - 180 - lon) / lonPerPixel = -2.5 and -3.5: ties to even.
        PlacementCase{"tieEven", Entry(-180 + 2.5 / 256, 90 - 3.5 / 256, 1.0 / 256, -1.0 / 256, 10, 10), 0,
                      -2, 0, -4, 1, 1},
        // North up below the equator, and rows counted northward from the South Pole.
        PlacementCase{"south", Entry(10.0, -20.0, 0.001, -0.001, 300, 200), 742, -48, 429, -176, 2, 2},
        PlacementCase{"positiveLatPerPixel", Entry(10.0, 50.0, 0.001, 0.001, 300, 200), 742, -48, 546, -224,
                      2, 2}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.what); });

TEST(CutTile, CopiesOneToOneAndFillsBlackOutside) {
  const testing::RgbImage picture = testing::PatternImage(300, 200);
  const image::WorkingBitmap bitmap = Bitmap(picture);
  std::vector<uint8_t> tile(256 * 256 * 3, 0x55);
  CutTile(bitmap, -48, -64, tile.data());
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const uint8_t* px = &tile[(size_t(y) * 256 + size_t(x)) * 3];
      const int sx = x - 48, sy = y - 64;
      if (sx < 0 || sy < 0 || sx >= 300 || sy >= 200) {
        ASSERT_EQ(px[0] | px[1] | px[2], 0) << x << "," << y;
      } else {
        ASSERT_EQ(0, std::memcmp(px, picture.At(sx, sy), 3)) << x << "," << y;
      }
    }
  CutTile(bitmap, 464, 0, tile.data());
  EXPECT_EQ(std::count(tile.begin(), tile.end(), 0), long(tile.size()));
}

// Decodes a tile stream; fills the facts a test looks at.
struct DecodedTile {
  bool ok = false;
  bool progressive = false;
  bool jfif = false;
  int components = 0;
  int sampling[3][2] = {};
  int width = 0, height = 0;
  std::vector<uint16_t> luminance, chrominance;  // natural order
  std::vector<uint8_t> rgb;
};

struct TestJpegError {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

extern "C" void TestJpegExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<TestJpegError*>(cinfo->err)->jump, 1);
}

// No C++ object with a destructor lives in this frame across setjmp.
bool DecodeRaw(const uint8_t* data, size_t size, DecodedTile* out) {
  jpeg_decompress_struct cinfo;
  TestJpegError err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = TestJpegExit;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  out->progressive = cinfo.progressive_mode;
  out->jfif = cinfo.saw_JFIF_marker;
  out->components = cinfo.num_components;
  for (int c = 0; c < cinfo.num_components && c < 3; ++c) {
    out->sampling[c][0] = cinfo.comp_info[c].h_samp_factor;
    out->sampling[c][1] = cinfo.comp_info[c].v_samp_factor;
  }
  for (int i = 0; i < 64; ++i) {
    out->luminance[size_t(i)] = cinfo.quant_tbl_ptrs[0] ? cinfo.quant_tbl_ptrs[0]->quantval[i] : 0;
    out->chrominance[size_t(i)] = cinfo.quant_tbl_ptrs[1] ? cinfo.quant_tbl_ptrs[1]->quantval[i] : 0;
  }
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  out->width = int(cinfo.output_width);
  out->height = int(cinfo.output_height);
  if (out->width != 256 || out->height != 256 || cinfo.output_components != 3) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out->rgb.data() + size_t(cinfo.output_scanline) * 256 * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

DecodedTile Decode(const uint8_t* data, size_t size) {
  DecodedTile t;
  t.luminance.resize(64);
  t.chrominance.resize(64);
  t.rgb.resize(256 * 256 * 3);
  t.ok = DecodeRaw(data, size, &t);
  return t;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
  if (sum == 0) return 99;
  return 10 * std::log10(255.0 * 255.0 / (sum / double(a.size())));
}

// The standard tables (natural order) scaled for quality 90: (q * 20 + 50) / 100, at least 1.
std::vector<uint16_t> Quality90(const int (&base)[64]) {
  std::vector<uint16_t> t;
  for (int q : base) t.push_back(uint16_t(std::max(1, (q * 20 + 50) / 100)));
  return t;
}

const int StdLuminance[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                              14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                              18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                              49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const int StdChrominance[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// Smooth colour areas crossed by darker bands.
testing::RgbImage MapLikePicture(int width, int height) {
  testing::RgbImage p{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* px = p.At(x, y);
      // Roads darken the ground without changing its hue, as shaded relief does.
      const double shade = (x + 2 * y) % 97 < 4 ? 0.6 : 1.0;
      px[0] = uint8_t(shade * (200 + 40 * std::sin(x / 37.0)));
      px[1] = uint8_t(shade * (190 + 40 * std::sin(y / 29.0)));
      px[2] = uint8_t(shade * (180 + 30 * std::sin((x + y) / 53.0)));
    }
  return p;
}

class TileStreams : public ::testing::Test {
 protected:
  void SetUp() override {
    picture = MapLikePicture(300, 200);
    bitmap = Bitmap(picture);
    Progress progress;
    progress.progressPercent = 5;
    tiles = BuildTileData(WorkedExample(), bitmap, 3, progress, 1);
  }
  testing::RgbImage picture;
  image::WorkingBitmap bitmap;
  TileData tiles;
};

TEST_F(TileStreams, RecordsAndBufferFollowTheTileOrder) {
  ASSERT_EQ(tiles.table.size(), 4u);
  const int32_t xs[] = {-48, 208, -48, 208}, ys[] = {-64, -64, 192, 192};
  size_t offset = 0;
  for (size_t t = 0; t < 4; ++t) {
    const TileRecord& r = tiles.table[t];
    EXPECT_EQ(r.imageX, xs[t]);
    EXPECT_EQ(r.imageY, ys[t]);
    EXPECT_EQ(size_t(r.dataOffset), offset);
    EXPECT_EQ(ByteReader(tiles.buffer.data(), tiles.buffer.size()).U32LEAt(offset), 0u);
    offset += 4 + size_t(r.jpegLength);
  }
  EXPECT_EQ(offset, tiles.buffer.size());
}

TEST_F(TileStreams, EveryTileIsBaselineJfifOfItsCrop) {
  std::vector<uint8_t> crop(256 * 256 * 3);
  for (const TileRecord& r : tiles.table) {
    const uint8_t* stream = tiles.buffer.data() + r.dataOffset + 4;
    ASSERT_GT(r.jpegLength, 4);
    EXPECT_EQ(stream[0], 0xFF);
    EXPECT_EQ(stream[1], 0xD8);
    // The frame header is SOF0, baseline sequential.
    bool sof0 = false;
    for (int32_t i = 2; i + 1 < r.jpegLength; ++i)
      if (stream[i] == 0xFF && stream[i + 1] == 0xC0) sof0 = true;
    EXPECT_TRUE(sof0);
    const DecodedTile d = Decode(stream, size_t(r.jpegLength));
    ASSERT_TRUE(d.ok);
    EXPECT_TRUE(d.jfif);
    EXPECT_FALSE(d.progressive);
    EXPECT_EQ(d.components, 3);
    EXPECT_EQ(d.sampling[0][0], 2);
    EXPECT_EQ(d.sampling[0][1], 2);
    EXPECT_EQ(d.sampling[1][0] * d.sampling[1][1] * d.sampling[2][0] * d.sampling[2][1], 1);
    EXPECT_EQ(d.luminance, Quality90(StdLuminance));
    EXPECT_EQ(d.chrominance, Quality90(StdChrominance));
    CutTile(bitmap, r.imageX, r.imageY, crop.data());
    EXPECT_GT(Psnr(d.rgb, crop), 40.0) << r.imageX << "," << r.imageY;
  }
}

TEST_F(TileStreams, A00HoldsCountLengthsAndStreams) {
  const std::vector<uint8_t> a00 = BuildA00(tiles);
  int32_t l[4];
  for (int t = 0; t < 4; ++t) l[t] = tiles.table[size_t(t)].jpegLength;
  ASSERT_EQ(a00.size(), size_t(20 + l[0] + l[1] + l[2] + l[3]));
  ByteReader r(a00.data(), a00.size());
  EXPECT_EQ(r.I32LEAt(0), 4);
  const size_t fields[] = {4, size_t(8 + l[0]), size_t(12 + l[0] + l[1]), size_t(16 + l[0] + l[1] + l[2])};
  for (int t = 0; t < 4; ++t) {
    EXPECT_EQ(r.I32LEAt(fields[t]), l[t]);
    EXPECT_EQ(fields[t], size_t(tiles.table[size_t(t)].dataOffset) + 4);
    EXPECT_EQ(0, std::memcmp(a00.data() + fields[t] + 4, tiles.buffer.data() + fields[t], size_t(l[t])));
  }
  // Made in place from the tile buffer: the same bytes.
  TileData taken = tiles;
  EXPECT_TRUE(BuildA00(std::move(taken)) == a00);
  EXPECT_TRUE(taken.buffer.empty());
}

TEST(BuildTileData, ProgressClimbsToTheNextStep) {
  const image::WorkingBitmap bitmap = Bitmap(testing::PatternImage(300, 200));
  Progress progress;
  progress.progressPercent = 5;
  std::vector<int32_t> seen;
  progress.show = [&](int32_t percent, bool) { seen.push_back(percent); };
  BuildTileData(WorkedExample(), bitmap, 3, progress, 1);
  EXPECT_EQ(seen, (std::vector<int32_t>{12, 19, 26, 33}));
}

TEST(BuildTileData, AnEmptyBitmapGivesBlackTiles) {
  Progress progress;
  progress.progressPercent = 5;
  const TileData tiles = BuildTileData(WorkedExample(), image::WorkingBitmap{}, 1, progress, 1);
  // (48 div 256 + 1) x (64 div 256 + 1)
  ASSERT_EQ(tiles.table.size(), 1u);
  const DecodedTile d = Decode(tiles.buffer.data() + 4, size_t(tiles.table[0].jpegLength));
  ASSERT_TRUE(d.ok);
  EXPECT_LE(*std::max_element(d.rgb.begin(), d.rgb.end()), 2);
}

}  // namespace
}  // namespace karovel::rmp

namespace karovel::rmp {
namespace {

struct EncodeRun {
  TileData tiles;
  std::vector<int32_t> progress;
  bool onCallingThread = true;
};

EncodeRun Encode(const image::WorkingBitmap& bitmap, int threads) {
  EncodeRun run;
  Progress progress;
  progress.progressPercent = 33;
  const std::thread::id caller = std::this_thread::get_id();
  progress.show = [&](int32_t p, bool) {
    run.progress.push_back(p);
    if (std::this_thread::get_id() != caller) run.onCallingThread = false;
  };
  run.tiles = BuildTileData(WorkedExample(), bitmap, 3, progress, threads);
  return run;
}

class ThreadCount : public ::testing::TestWithParam<int> {};

TEST_P(ThreadCount, SameBytesAndProgressAsOneThread) {
  // 7 x 5 tiles of different content, so a tile out of place changes the bytes.
  static const image::WorkingBitmap bitmap = Bitmap(MapLikePicture(1700, 1100));
  static const EncodeRun serial = Encode(bitmap, 1);
  const EncodeRun run = Encode(bitmap, GetParam());
  ASSERT_EQ(run.tiles.table.size(), 35u);
  EXPECT_TRUE(run.tiles.buffer == serial.tiles.buffer);
  for (size_t t = 0; t < run.tiles.table.size(); ++t) {
    EXPECT_EQ(run.tiles.table[t].jpegLength, serial.tiles.table[t].jpegLength) << t;
    EXPECT_EQ(run.tiles.table[t].dataOffset, serial.tiles.table[t].dataOffset) << t;
    EXPECT_EQ(run.tiles.table[t].imageX, serial.tiles.table[t].imageX) << t;
    EXPECT_EQ(run.tiles.table[t].imageY, serial.tiles.table[t].imageY) << t;
  }
  EXPECT_EQ(run.progress, serial.progress);
  EXPECT_TRUE(run.onCallingThread);
}

INSTANTIATE_TEST_SUITE_P(Threads, ThreadCount, ::testing::Values(2, 3, 8, 0));

TEST(BuildTileData, AFailingProgressSinkEndsTheWorkersCleanly) {
  const image::WorkingBitmap bitmap = Bitmap(MapLikePicture(1700, 1100));
  Progress progress;
  progress.progressPercent = 5;
  int calls = 0;
  progress.show = [&](int32_t, bool) {
    if (++calls == 3) throw std::runtime_error("stop");
  };
  EXPECT_THROW(BuildTileData(WorkedExample(), bitmap, 1, progress, 4), std::runtime_error);
  EXPECT_EQ(calls, 3);
}

// A picture decoded band by band while its tiles are encoded: no tile is cut before the rows it covers
// are final, and the bytes and progress are those of one thread. The rows not yet reported hold other
// pixels, which a tile cut too early would carry.
TEST(TileStream, TilesWaitForTheRowsTheyCover) {
  static const image::WorkingBitmap finished = Bitmap(MapLikePicture(1700, 1100));
  const EncodeRun serial = Encode(finished, 1);
  image::WorkingBitmap bitmap;
  ASSERT_TRUE(image::AllocateBitmap(bitmap, finished.width, finished.height));
  std::memset(bitmap.pixels.get(), 0x5A, bitmap.RowBytes() * size_t(bitmap.height));

  TileStream stream(3);
  const MapEntry entry = WorkedExample();
  stream.Begin(&entry);
  // The first tile row ends at row 192 (the grid starts 64 rows above the picture); a smaller count
  // after a larger one takes nothing back.
  // Rows are written only before they are reported, as a decoder does.
  int32_t final = 0;
  auto decodeTo = [&](int32_t rows) {
    if (rows <= final) return;
    std::memcpy(bitmap.Row(final), finished.Row(final), bitmap.RowBytes() * size_t(rows - final));
    final = rows;
  };
  for (int32_t rows : {0, 100, 192, 191, 500}) {
    decodeTo(rows);
    stream.RowsDecoded(&bitmap, rows);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  decodeTo(bitmap.height);
  stream.RowsDecoded(&bitmap, bitmap.height);

  EncodeRun run;
  Progress progress;
  progress.progressPercent = 33;
  progress.show = [&](int32_t p, bool) { run.progress.push_back(p); };
  ASSERT_TRUE(stream.Serves(bitmap, PlaceOnGrid(entry, bitmap.width, bitmap.height)));
  run.tiles = BuildTileData(entry, bitmap, 3, progress, 3, &stream);
  EXPECT_TRUE(run.tiles.buffer == serial.tiles.buffer);
  EXPECT_EQ(run.progress, serial.progress);
}

// The loader's nullptr ends the work on a bitmap before it is released (the sanitizer build sees any
// read after that); a stream that cannot serve a picture stays idle and BuildTileData encodes alone.
TEST(TileStream, StopsBeforeTheBitmapGoesAndStaysIdleWhenItCannotServe) {
  const MapEntry entry = WorkedExample();
  TileStream stream(4);
  stream.Begin(&entry);
  auto bitmap = std::make_unique<image::WorkingBitmap>(Bitmap(MapLikePicture(1700, 1100)));
  stream.RowsDecoded(bitmap.get(), 300);
  EXPECT_TRUE(stream.Serves(*bitmap, PlaceOnGrid(entry, 1700, 1100)));
  stream.RowsDecoded(nullptr, 0);
  EXPECT_FALSE(stream.Serves(*bitmap, PlaceOnGrid(entry, 1700, 1100)));
  std::memset(bitmap->pixels.get(), 0, bitmap->RowBytes() * size_t(bitmap->height));
  bitmap.reset();

  const image::WorkingBitmap small = Bitmap(MapLikePicture(300, 200));
  MapEntry offGrid = entry;
  offGrid.lonPerPixel = 0;
  for (const MapEntry* e : std::initializer_list<const MapEntry*>{nullptr, &offGrid}) {
    stream.Begin(e);
    stream.RowsDecoded(&small, small.height);
    EXPECT_FALSE(stream.Serves(small, PlaceOnGrid(entry, 300, 200)));
  }
  TileStream one(1);
  one.Begin(&entry);
  one.RowsDecoded(&small, small.height);
  EXPECT_FALSE(one.Serves(small, PlaceOnGrid(entry, 300, 200)));

  // A stream serving another grid is passed by: the tiles are this entry's.
  stream.Begin(&entry);
  stream.RowsDecoded(&small, small.height);
  Progress quiet;
  quiet.progressPercent = 5;
  const TileData alone = BuildTileData(entry, small, 1, quiet, 1);
  MapEntry shifted = entry;
  shifted.originLon += 0.01;
  quiet.progressPercent = 5;
  const TileData other = BuildTileData(shifted, small, 1, quiet, 2, &stream);
  quiet.progressPercent = 5;
  const TileData shiftedAlone = BuildTileData(shifted, small, 1, quiet, 1);
  EXPECT_TRUE(other.buffer == shiftedAlone.buffer);
  EXPECT_FALSE(other.buffer == alone.buffer);
  // small goes before the stream does: its workers stop first.
  stream.RowsDecoded(nullptr, 0);
}

}  // namespace
}  // namespace karovel::rmp
