#include "rmp/tile_grid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>

#include "base/byte_writer.h"
#include "base/platform_error.h"
#include "rmp/tile_stream.h"

namespace karovel::rmp {

double RoundHalfEven(double value) {
  const double lower = std::floor(value);
  const double fraction = value - lower;
  if (fraction < 0.5) return lower;
  if (fraction > 0.5) return lower + 1;
  return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

namespace {

int32_t RoundToInt(double value) { return static_cast<int32_t>(RoundHalfEven(value)); }

// A grid value that must fit int32; calibrations from map files are not checked on the way in.
int32_t GridInt(double value) {
  if (!(std::fabs(value) < 2147483647.0)) throw std::domain_error("calibration off the tile grid");
  return static_cast<int32_t>(value);
}

}  // namespace

TileGrid PlaceOnGrid(const catalogue::MapEntry& entry, int32_t width, int32_t height) {
  if (!std::isfinite(entry.originLon) || !std::isfinite(entry.originLat) ||
      !std::isfinite(entry.lonPerPixel) || !std::isfinite(entry.latPerPixel) || entry.lonPerPixel == 0 ||
      entry.latPerPixel == 0)
    throw std::domain_error("calibration off the tile grid");
  TileGrid g;
  g.tileLonSpan = entry.lonPerPixel * TileSize;
  g.firstColumn = GridInt(std::trunc((180 + entry.originLon) / g.tileLonSpan));
  g.firstPixelX =
      GridInt(RoundHalfEven((g.firstColumn * g.tileLonSpan - 180 - entry.originLon) / entry.lonPerPixel));
  g.latSign = entry.latPerPixel > 0 ? 1 : -1;
  g.tileLatSpan = std::fabs(entry.latPerPixel * TileSize);
  g.firstRow = GridInt(std::trunc((g.latSign * entry.originLat + 90) / g.tileLatSpan));
  g.firstPixelY = GridInt(RoundHalfEven((g.firstRow * g.tileLatSpan - 90 - g.latSign * entry.originLat) /
                                        std::fabs(entry.latPerPixel)));
  g.tilesAcross = GridInt(double((int64_t(width) - g.firstPixelX) / TileSize + 1));
  g.tilesDown = GridInt(double((int64_t(height) - g.firstPixelY) / TileSize + 1));
  // A first pixel right of or below the image start (a scale with the wrong sign) gives no tiles.
  if (g.tilesAcross < 1 || g.tilesDown < 1) throw std::domain_error("calibration off the tile grid");
  return g;
}

void CutTile(const image::WorkingBitmap& bitmap, int32_t x, int32_t y, uint8_t* tile) {
  const size_t tileRow = size_t(TileSize) * 3;
  const int32_t x0 = std::max(x, 0), x1 = std::min<int64_t>(int64_t(x) + TileSize, bitmap.width);
  const int32_t y0 = std::max(y, 0), y1 = std::min<int64_t>(int64_t(y) + TileSize, bitmap.height);
  if (x0 >= x1 || y0 >= y1) {
    std::memset(tile, 0, tileRow * TileSize);
    return;
  }
  const size_t left = size_t(x0 - x) * 3, copied = size_t(x1 - x0) * 3;
  const size_t right = tileRow - left - copied;
  for (int32_t row = 0; row < TileSize; ++row) {
    uint8_t* out = tile + size_t(row) * tileRow;
    const int32_t sy = y + row;
    if (sy < y0 || sy >= y1) {
      std::memset(out, 0, tileRow);
      continue;
    }
    std::memset(out, 0, left);
    std::memcpy(out + left, bitmap.Row(sy) + size_t(x0) * 3, copied);
    std::memset(out + left + copied, 0, right);
  }
}

TileData BuildTileData(const catalogue::MapEntry& entry, const image::WorkingBitmap& bitmap, int mapCount,
                       Progress& progress, int threads, TileStream* stream) {
  TileData data;
  data.grid = PlaceOnGrid(entry, bitmap.width, bitmap.height);
  const TileGrid& g = data.grid;
  const int64_t total = g.TileCount();
  data.table.reserve(size_t(total));

  const int32_t p0 = progress.progressPercent;
  const int32_t step = RoundToInt(100.0 / mapCount);
  const int32_t share = (p0 / step + 1) * step - p0;

  // Several threads encode ahead while this thread collects the tiles in order; with one (or when no
  // thread can be had) this thread encodes. A stream may have begun while the picture was decoded.
  std::optional<TileStream> own;
  if (stream && stream->Serves(bitmap, g)) {
    stream->RowsDecoded(&bitmap, bitmap.height);  // every row is final now
  } else {
    stream = nullptr;
    if (std::min<int64_t>(EncodingThreads(threads), total) > 1) {
      own.emplace(threads);
      own->Begin(&entry);
      own->RowsDecoded(&bitmap, bitmap.height);
      if (own->Serves(bitmap, g)) stream = &*own;
    }
  }
  if (stream) {
    // Tiles encoded while the picture was decoded wait in the stream. Sizing the buffer from them
    // spares its growth copies, which would hold the tiles twice or three times; the 4 bytes in front
    // are the .a00's count field, so that BuildA00 needs no new block either.
    const auto [done, bytes] = stream->Encoded();
    if (done > 0) {
      const double perTile = double(bytes) / double(done) * 1.25;
      const double estimate = double(4 + 4 * total) + double(bytes) + perTile * double(total - done);
      data.buffer.reserve(size_t(std::min(estimate, double(std::numeric_limits<int32_t>::max()))));
    }
  }
  std::vector<uint8_t> tile(stream ? 0 : size_t(TileSize) * TileSize * 3);
  std::vector<uint8_t> jpeg;

  int32_t x = g.firstPixelX, y = g.firstPixelY;
  for (int64_t t = 1; t <= total; ++t) {
    if (stream) {
      jpeg = stream->Take(t - 1);
    } else {
      CutTile(bitmap, x, y, tile.data());
      jpeg.clear();
      EncodeTile(tile.data(), jpeg);
    }
    const size_t offset = data.buffer.size();
    if (offset + 4 + jpeg.size() > size_t(std::numeric_limits<int32_t>::max()))
      throw PlatformError("The tiles of one map take more than 2 GiB");
    data.buffer.insert(data.buffer.end(), 4, 0);
    data.buffer.insert(data.buffer.end(), jpeg.begin(), jpeg.end());
    data.table.push_back({int32_t(jpeg.size()), int32_t(offset), x, y});
    x += TileSize;
    if (x > bitmap.width) {
      x = g.firstPixelX;
      y += TileSize;
    }
    progress.progressPercent = RoundToInt(double(t * share) / double(total)) + p0;
    progress.UpdateProgress();
  }
  return data;
}

namespace {

// out holds the count field and then the tile data buffer; the placeholders become the lengths.
void FillA00Fields(std::vector<uint8_t>& out, const TileTable& table) {
  const uint32_t count = uint32_t(table.size());
  for (int i = 0; i < 4; ++i) out[size_t(i)] = uint8_t(count >> (8 * i));
  for (const TileRecord& r : table) {
    uint8_t* field = out.data() + 4 + size_t(r.dataOffset);
    for (int i = 0; i < 4; ++i) field[i] = uint8_t(uint32_t(r.jpegLength) >> (8 * i));
  }
}

}  // namespace

std::vector<uint8_t> BuildA00(const TileData& tiles) {
  std::vector<uint8_t> out(4 + tiles.buffer.size());
  std::memcpy(out.data() + 4, tiles.buffer.data(), tiles.buffer.size());
  FillA00Fields(out, tiles.table);
  return out;
}

std::vector<uint8_t> BuildA00(TileData&& tiles) {
  std::vector<uint8_t> out = std::move(tiles.buffer);
  tiles.buffer = {};
  out.insert(out.begin(), 4, 0);
  FillA00Fields(out, tiles.table);
  return out;
}

namespace {

constexpr size_t BlockSize = 1992;
constexpr size_t FirstBlock = 4188;  // file offset of block 0
constexpr size_t TreeHeader = 256;   // block references count from here
constexpr int LeafEntries = 70;
constexpr int RootKeys = 99;

size_t BlockAt(int n) { return FirstBlock + BlockSize * size_t(n); }
int32_t BlockReference(int n) { return int32_t(BlockAt(n) - TreeHeader); }

}  // namespace

std::vector<uint8_t> BuildTlm(const catalogue::MapEntry& entry, const TileData& tiles) {
  const TileGrid& g = tiles.grid;
  const int64_t count64 = g.TileCount();
  if (count64 > MaxLayerTiles) throw std::length_error("a layer of more than 7099 tiles");
  const int32_t n = int32_t(count64);

  ByteWriter out;
  out.I32(1);
  out.I32(n);
  out.U16(256);
  out.U16(256);
  out.I32(1);
  out.F64(g.tileLatSpan);
  out.F64(g.tileLonSpan);
  out.F64(RoundHalfEven(entry.originLon * 1000) / 1000);
  out.F64(RoundHalfEven(g.latSign * entry.originLat * 1000) / 1000);
  out.F64(RoundHalfEven((entry.imageWidth * entry.lonPerPixel + entry.originLon) * 1000) / 1000);
  out.F64(RoundHalfEven((entry.imageHeight * entry.latPerPixel + entry.originLat) * g.latSign * 1000) / 1000);
  out.ZeroFillTo(4192);

  auto putEntry = [&](size_t at, int32_t k) {
    const int32_t a = k / g.tilesDown, b = k % g.tilesDown;
    const TileRecord& r = tiles.table[size_t(b) * size_t(g.tilesAcross) + size_t(a)];
    out.PutI32At(at, g.firstColumn + a);
    out.PutI32At(at + 4, g.firstRow + b);
    out.PutI32At(at + 8, 0);
    out.PutI32At(at + 12, r.dataOffset + 4);
  };

  int32_t k = 0;
  int leaf = 0;
  int32_t keys = 0;
  const size_t root = BlockAt(1);
  while (k < n) {
    const int32_t m = std::min(n - k, int32_t(LeafEntries));
    const size_t block = BlockAt(leaf);
    out.ZeroFillTo(block + BlockSize);
    for (int32_t s = 0; s < m; ++s) putEntry(block + 8 + 16 * size_t(s), k + s);
    out.PutI32At(block, m);
    out.PutI32At(block + 4, m + 65536);
    k += m;
    if (k < n) {
      out.ZeroFillTo(root + BlockSize);
      out.PutI32At(root, n);
      keys += 1;
      if (keys > RootKeys) throw std::length_error("a layer of more than 7099 tiles");
      out.PutI32At(root + 4, keys);
      putEntry(root + 8 + 16 * size_t(keys - 1), k);
      k += 1;
      if (keys == 1) out.PutI32At(root + 1592, BlockReference(0));
      out.PutI32At(root + 1592 + 4 * size_t(keys), BlockReference(keys + 1));
      leaf = leaf == 0 ? 2 : leaf + 1;
    }
  }
  // The tree always ends with two all-zero blocks after the last one used.
  out.ZeroFillTo(BlockAt(leaf) + 3 * BlockSize);
  out.PutI32At(152, int32_t(TreeHeader));
  out.PutI32At(156, int32_t(out.Size()));
  out.PutI32At(256, 1);
  out.PutI32At(260, RootKeys);
  out.PutI32At(264, leaf == 0 ? BlockReference(0) : BlockReference(1));
  return out.Release();
}

}  // namespace karovel::rmp
