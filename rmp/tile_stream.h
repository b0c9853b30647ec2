#pragma once
// Encoding the tiles of one map on worker threads, each tile as soon as the picture rows it covers are
// decoded, so that the encoding overlaps the decode of the rest of the picture.
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "catalogue/map_catalogue.h"
#include "image/image_family.h"
#include "rmp/tile_grid.h"

namespace karovel::rmp {

// The decoding thread feeds RowsDecoded (the image loader's hook); BuildTileData takes the tiles in
// order on its own thread. Whoever feeds a stream routes every release of the bitmap it was given
// through RowsDecoded(nullptr, 0) first, so that no worker reads a released bitmap.
class TileStream {
 public:
  // threads: encoding threads, 0 for every core; with one the stream stays idle and BuildTileData
  // encodes on its own thread.
  explicit TileStream(int threads);
  ~TileStream();
  TileStream(const TileStream&) = delete;
  TileStream& operator=(const TileStream&) = delete;

  // The next picture decoded belongs to this map (nullptr: to none that is streamed). Work under way
  // for the current picture goes on until the next RowsDecoded(nullptr, 0).
  void Begin(const catalogue::MapEntry* entry);
  // The loader's hook. Never throws: a picture that cannot be streamed (no calibration, off the grid,
  // too many tiles, no thread to be had) is left to BuildTileData.
  void RowsDecoded(const image::WorkingBitmap* bitmap, int32_t rows) noexcept;
  image::RowsDecodedFn Hook() {
    return [this](const image::WorkingBitmap* b, int32_t rows) { RowsDecoded(b, rows); };
  }

  // For BuildTileData: whether the tiles of this bitmap, placed on this grid, are being encoded.
  bool Serves(const image::WorkingBitmap& bitmap, const TileGrid& grid);
  // How many tiles are encoded so far and their JPEG bytes (to size the tile buffer once).
  std::pair<int64_t, size_t> Encoded();
  // The JPEG bytes of tile t, waiting for them; tiles are taken in order 0, 1, 2, ... Rethrows a
  // worker's failure.
  std::vector<uint8_t> Take(int64_t t);

 private:
  struct Slot {
    std::vector<uint8_t> jpeg;
    bool ready = false;
  };

  void Start(const image::WorkingBitmap& bitmap, const TileGrid& grid);
  void Stop();
  void Work();
  int32_t RowsNeeded(int64_t t) const;

  const int threads_;
  std::optional<catalogue::MapEntry> entry_;
  const image::WorkingBitmap* bitmap_ = nullptr;  // the picture being tiled, nullptr when idle
  TileGrid grid_;

  std::mutex mutex_;
  std::condition_variable work_, ready_;
  int32_t rows_ = 0;  // rows of bitmap_ that are final
  int64_t next_ = 0;  // the next tile a worker takes
  int64_t encodedTiles_ = 0;
  size_t encodedBytes_ = 0;
  std::vector<Slot> slots_;
  bool stop_ = false;
  std::exception_ptr error_;
  std::vector<std::thread> workers_;
};

// 0 gives every core.
int EncodingThreads(int threads);

}  // namespace karovel::rmp
