#pragma once
// Placing a map on the world-wide tile grid, cutting its image into 256 x 256 JPEG tiles, and the layer's
// tile data (.a00) and tile index (.tlm) files.
#include <cstdint>
#include <vector>

#include "base/progress.h"
#include "catalogue/map_catalogue.h"
#include "image/working_bitmap.h"

namespace karovel::rmp {

constexpr int TileSize = 256;
// The two-level tile index holds at most 99 keys and 100 leaves of 70 tiles.
constexpr int32_t MaxLayerTiles = 7099;

// Nearest integer, ties to the even one (12.5 gives 12, -2.5 gives -2).
double RoundHalfEven(double value);

struct TileGrid {
  double tileLonSpan = 0;  // degrees of longitude of one tile
  double tileLatSpan = 0;  // degrees of latitude of one tile, positive
  int latSign = 0;         // sign of latPerPixel; -1 for north up
  int32_t firstColumn = 0;
  int32_t firstRow = 0;
  int32_t firstPixelX = 0;  // image x of the first tile column's left edge (0 or negative)
  int32_t firstPixelY = 0;  // image y of the first tile row's top edge (0 or negative)
  int32_t tilesAcross = 0;
  int32_t tilesDown = 0;

  int64_t TileCount() const { return int64_t(tilesAcross) * tilesDown; }
  bool operator==(const TileGrid&) const = default;
};

struct TileRecord {
  int32_t jpegLength = 0;
  int32_t dataOffset = 0;  // of the tile's 4-byte placeholder in the tile data buffer
  int32_t imageX = 0;
  int32_t imageY = 0;
};

// Records in the order the tiles are made: row by row from the top, left to right.
using TileTable = std::vector<TileRecord>;

// Everything BuildTileData makes for one map. buffer holds, per tile in table order, 4 zero bytes and
// the tile's JPEG bytes.
struct TileData {
  TileGrid grid;
  std::vector<uint8_t> buffer;  // the TileDataBuffer
  TileTable table;
};

// The grid placement of a map whose image is width x height pixels. A calibration that cannot be placed
// (a zero or non-finite value, a grid position beyond 32 bits) throws std::domain_error.
TileGrid PlaceOnGrid(const catalogue::MapEntry& entry, int32_t width, int32_t height);

// Encodes one 256 x 256 RGB tile (3 bytes a pixel, row-major) as a baseline JFIF stream: library
// defaults for RGB input, quality 90 with forced baseline, floating-point DCT. Appends to out.
// Throws PlatformError when the encoder fails.
void EncodeTile(const uint8_t* rgb, std::vector<uint8_t>& out);

// Copies the 256 x 256 square whose top-left corner is image pixel (x, y) into tile (3 bytes a pixel);
// the parts of the square outside the bitmap are black.
void CutTile(const image::WorkingBitmap& bitmap, int32_t x, int32_t y, uint8_t* tile);

class TileStream;

// Cuts and encodes every tile of a map. progress.progressPercent climbs from its value on entry to the
// next multiple of round(100 / mapCount) above it, one UpdateProgress after every tile, on the calling
// thread and in tile order. An empty bitmap gives black tiles. threads: the number of encoding threads,
// 0 for every core; the bytes do not depend on it. stream: tiles of this bitmap already being encoded
// while it was decoded (used when it serves this bitmap and grid), or nullptr.
TileData BuildTileData(const catalogue::MapEntry& entry, const image::WorkingBitmap& bitmap, int mapCount,
                       Progress& progress, int threads = 0, TileStream* stream = nullptr);

// The .a00 file: the tile count, then per tile its length and its JPEG bytes.
std::vector<uint8_t> BuildA00(const TileData& tiles);
// The same, made in the tile data buffer itself, which is taken over (no second copy of the tiles).
std::vector<uint8_t> BuildA00(TileData&& tiles);

// The .tlm file of the same map: header, bounds and the two-level tree of tile entries. The layer must
// hold at most MaxLayerTiles tiles (std::length_error otherwise).
std::vector<uint8_t> BuildTlm(const catalogue::MapEntry& entry, const TileData& tiles);

}  // namespace karovel::rmp
