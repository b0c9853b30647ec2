#include "rmp/tile_stream.h"

#include <algorithm>
#include <system_error>

namespace karovel::rmp {

int EncodingThreads(int threads) {
  return threads > 0 ? threads : int(std::max(1u, std::thread::hardware_concurrency()));
}

TileStream::TileStream(int threads) : threads_(EncodingThreads(threads)) {}

TileStream::~TileStream() { Stop(); }

void TileStream::Begin(const catalogue::MapEntry* entry) {
  if (entry)
    entry_ = *entry;
  else
    entry_.reset();
}

void TileStream::RowsDecoded(const image::WorkingBitmap* bitmap, int32_t rows) noexcept {
  if (!bitmap) {
    Stop();
    return;
  }
  if (threads_ < 2 || !entry_) return;
  try {
    if (bitmap != bitmap_) {
      Stop();
      if (bitmap->Empty()) return;
      const TileGrid grid = PlaceOnGrid(*entry_, bitmap->width, bitmap->height);
      // The build refuses such a map before it wants any tile.
      if (grid.TileCount() > MaxLayerTiles) return;
      Start(*bitmap, grid);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (rows > rows_) {
      rows_ = std::min(rows, bitmap_->height);
      work_.notify_all();
    }
  } catch (...) {
    Stop();
  }
}

bool TileStream::Serves(const image::WorkingBitmap& bitmap, const TileGrid& grid) {
  return bitmap_ == &bitmap && grid_ == grid;
}

std::pair<int64_t, size_t> TileStream::Encoded() {
  std::lock_guard<std::mutex> lock(mutex_);
  return {encodedTiles_, encodedBytes_};
}

std::vector<uint8_t> TileStream::Take(int64_t t) {
  std::unique_lock<std::mutex> lock(mutex_);
  Slot& slot = slots_.at(size_t(t));
  ready_.wait(lock, [&] { return slot.ready || error_; });
  if (error_) std::rethrow_exception(error_);
  std::vector<uint8_t> jpeg = std::move(slot.jpeg);
  slot.jpeg = {};
  return jpeg;
}

void TileStream::Start(const image::WorkingBitmap& bitmap, const TileGrid& grid) {
  const int64_t total = grid.TileCount();
  bitmap_ = &bitmap;
  grid_ = grid;
  rows_ = 0;
  next_ = 0;
  encodedTiles_ = 0;
  encodedBytes_ = 0;
  stop_ = false;
  slots_.assign(size_t(total), Slot{});
  const int threads = int(std::min<int64_t>(threads_, total));
  workers_.reserve(size_t(threads));
  // When the system gives fewer threads, the ones started do the work.
  for (int i = 0; i < threads; ++i) {
    try {
      workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;
    }
  }
  if (workers_.empty()) Stop();
}

void TileStream::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  work_.notify_all();
  for (std::thread& w : workers_) w.join();
  workers_.clear();
  bitmap_ = nullptr;
  slots_ = {};
  error_ = nullptr;
}

int32_t TileStream::RowsNeeded(int64_t t) const {
  const int64_t bottom = int64_t(grid_.firstPixelY) + (t / grid_.tilesAcross + 1) * TileSize;
  return int32_t(std::clamp<int64_t>(bottom, 0, bitmap_->height));
}

void TileStream::Work() {
  std::vector<uint8_t> tile(size_t(TileSize) * TileSize * 3);
  const int64_t total = grid_.TileCount();
  for (;;) {
    int64_t t;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      work_.wait(lock, [&] { return stop_ || (next_ < total && RowsNeeded(next_) <= rows_); });
      if (stop_) return;
      t = next_++;
    }
    try {
      const int32_t x = grid_.firstPixelX + int32_t(t % grid_.tilesAcross) * TileSize;
      const int32_t y = grid_.firstPixelY + int32_t(t / grid_.tilesAcross) * TileSize;
      CutTile(*bitmap_, x, y, tile.data());
      std::vector<uint8_t> jpeg;
      EncodeTile(tile.data(), jpeg);
      std::lock_guard<std::mutex> lock(mutex_);
      Slot& slot = slots_[size_t(t)];
      encodedTiles_ += 1;
      encodedBytes_ += jpeg.size();
      slot.jpeg = std::move(jpeg);
      slot.ready = true;
      ready_.notify_all();
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!error_) error_ = std::current_exception();
      stop_ = true;
      ready_.notify_all();
      work_.notify_all();
      return;
    }
  }
}

}  // namespace karovel::rmp
