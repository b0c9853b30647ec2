#include "rmp/tile_grid.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "base/byte_writer.h"
#include "base/platform_error.h"

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

namespace {

// Hands out the tiles of one map to encoding threads and gives the encoded tiles back in tile order.
// At most `window` tiles are encoded ahead of the one the caller waits for, which bounds the memory.
class ParallelEncoder {
 public:
  ParallelEncoder(const image::WorkingBitmap& bitmap, const TileGrid& grid, int threads)
      : bitmap_(bitmap),
        grid_(grid),
        total_(grid.TileCount()),
        window_(int64_t(threads) * 4),
        ring_(size_t(window_)) {
    workers_.reserve(size_t(threads));
    // When the system gives fewer threads, the ones started do the work; with none the caller encodes.
    for (int i = 0; i < threads; ++i) {
      try {
        workers_.emplace_back([this] { Work(); });
      } catch (const std::system_error&) {
        if (workers_.empty()) throw;
        break;
      }
    }
  }
  ~ParallelEncoder() { Stop(); }
  ParallelEncoder(const ParallelEncoder&) = delete;
  ParallelEncoder& operator=(const ParallelEncoder&) = delete;

  // The JPEG bytes of tile t; tiles are taken in order 0, 1, 2, ...
  std::vector<uint8_t> Take(int64_t t) {
    std::unique_lock<std::mutex> lock(mutex_);
    Slot& slot = ring_[size_t(t % window_)];
    ready_.wait(lock, [&] { return slot.ready || error_; });
    if (error_) std::rethrow_exception(error_);
    std::vector<uint8_t> jpeg = std::move(slot.jpeg);
    slot.ready = false;
    consumed_ = t + 1;
    space_.notify_all();
    return jpeg;
  }

 private:
  struct Slot {
    std::vector<uint8_t> jpeg;
    bool ready = false;
  };

  void Work() {
    std::vector<uint8_t> tile(size_t(TileSize) * TileSize * 3);
    for (;;) {
      int64_t t;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        space_.wait(lock, [&] { return stop_ || next_ >= total_ || next_ < consumed_ + window_; });
        if (stop_ || next_ >= total_) return;
        t = next_++;
      }
      try {
        const int32_t x = grid_.firstPixelX + int32_t(t % grid_.tilesAcross) * TileSize;
        const int32_t y = grid_.firstPixelY + int32_t(t / grid_.tilesAcross) * TileSize;
        CutTile(bitmap_, x, y, tile.data());
        std::vector<uint8_t> jpeg;
        EncodeTile(tile.data(), jpeg);
        std::lock_guard<std::mutex> lock(mutex_);
        Slot& slot = ring_[size_t(t % window_)];
        slot.jpeg = std::move(jpeg);
        slot.ready = true;
        ready_.notify_all();
      } catch (...) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!error_) error_ = std::current_exception();
        stop_ = true;
        ready_.notify_all();
        space_.notify_all();
        return;
      }
    }
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    space_.notify_all();
    for (std::thread& w : workers_)
      if (w.joinable()) w.join();
  }

  const image::WorkingBitmap& bitmap_;
  const TileGrid& grid_;
  const int64_t total_;
  const int64_t window_;
  std::mutex mutex_;
  std::condition_variable ready_, space_;
  std::vector<Slot> ring_;
  int64_t next_ = 0, consumed_ = 0;
  bool stop_ = false;
  std::exception_ptr error_;
  std::vector<std::thread> workers_;
};

}  // namespace

TileData BuildTileData(const catalogue::MapEntry& entry, const image::WorkingBitmap& bitmap, int mapCount,
                       Progress& progress, int threads) {
  TileData data;
  data.grid = PlaceOnGrid(entry, bitmap.width, bitmap.height);
  const TileGrid& g = data.grid;
  const int64_t total = g.TileCount();
  data.table.reserve(size_t(total));

  const int32_t p0 = progress.progressPercent;
  const int32_t step = RoundToInt(100.0 / mapCount);
  const int32_t share = (p0 / step + 1) * step - p0;

  if (threads <= 0) threads = int(std::max(1u, std::thread::hardware_concurrency()));
  threads = int(std::min<int64_t>(threads, total));
  // One thread encodes inline; more encode ahead while this thread collects the tiles in order.
  std::optional<ParallelEncoder> encoder;
  if (threads > 1) {
    try {
      encoder.emplace(bitmap, g, threads);
    } catch (const std::system_error&) {
      threads = 1;
    }
  }
  std::vector<uint8_t> tile(threads > 1 ? 0 : size_t(TileSize) * TileSize * 3);
  std::vector<uint8_t> jpeg;

  int32_t x = g.firstPixelX, y = g.firstPixelY;
  for (int64_t t = 1; t <= total; ++t) {
    if (encoder) {
      jpeg = encoder->Take(t - 1);
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
