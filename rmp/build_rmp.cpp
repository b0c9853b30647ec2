#include "rmp/build_rmp.h"

#include <new>
#include <optional>
#include <stdexcept>

#include "base/platform_error.h"
#include "rmp/icon_chunk.h"
#include "rmp/tile_grid.h"
#include "rmp/tile_stream.h"

namespace karovel::rmp {

std::string TooManyTilesMessage(const std::string& mapName, int64_t tiles) {
  return "Map \"" + mapName + "\" needs " + std::to_string(tiles) + " tiles, but one layer holds at most " +
         std::to_string(MaxLayerTiles) + " tiles";
}

std::string OffTheGridMessage(const std::string& mapName) {
  return "Map \"" + mapName + "\" cannot be placed on the tile grid: its calibration has a zero scale or " +
         "a value out of range";
}

namespace {

std::string MapName(const catalogue::MapCatalogue& catalogue, int i) {
  return catalogue.grid1.Cell(i + 1, catalogue::ColName);
}

// Refuses a map that cannot be placed on the grid (a map file may say "calibrated" with a zero scale) or
// would overflow the tile index; the grid depends only on the calibration and the image size.
bool FitsOneLayer(const catalogue::MapCatalogue& catalogue, int i, int32_t width, int32_t height,
                  MessageSink& messages) {
  int64_t tiles = 0;
  try {
    tiles = PlaceOnGrid(catalogue.entries[size_t(i)], width, height).TileCount();
  } catch (const std::domain_error&) {
    messages.Show(OffTheGridMessage(MapName(catalogue, i)), "Error");
    return false;
  }
  if (tiles <= MaxLayerTiles) return true;
  messages.Show(TooManyTilesMessage(MapName(catalogue, i), tiles), "Error");
  return false;
}

void EndProgress(Progress& progress) {
  progress.progressVisible = false;
  progress.progressPercent = 5;
  progress.UpdateProgress();
}

}  // namespace

bool BuildRmp(const catalogue::MapCatalogue& catalogue, const std::string& path, MessageSink& messages,
              Progress& progress, const SelectMapFn& selectMap, const BuildOptions& options) {
  const int n = catalogue.mapCount;
  // Every layer must fit its index before any work is done.
  for (int i = 0; i < n; ++i) {
    const catalogue::MapEntry& e = catalogue.entries[size_t(i)];
    if (!FitsOneLayer(catalogue, i, e.imageWidth, e.imageHeight, messages)) return false;
  }
  try {
    std::optional<TileStream> own;
    TileStream& stream = options.tiles ? *options.tiles : own.emplace(options.threads);
    const image::RowsDecodedFn rowsDecoded = stream.Hook();
    RmpArchive archive;
    archive.sizeLimit = options.sizeLimit;
    progress.progressVisible = true;
    progress.progressPercent = 5;
    progress.UpdateProgress();

    std::string ini = BuildLayerIni("topo", n);
    ini.push_back('\0');
    archive.AddEntry("rmp", "ini", reinterpret_cast<const uint8_t*>(ini.data()), ini.size());

    stream.Begin(nullptr);
    selectMap(n, rowsDecoded);
    for (int i = 0; i < n; ++i) {
      const std::string name = "topo" + std::to_string(i + 1);
      const int32_t p = progress.progressPercent;
      const catalogue::MapEntry& entry = catalogue.entries[size_t(i)];
      stream.Begin(&entry);
      const image::WorkingBitmap* bitmap = selectMap(i, rowsDecoded);
      progress.progressVisible = true;
      progress.progressPercent = p;
      progress.UpdateProgress();
      // A layer cut from a missing image would be black: stop instead.
      if (!bitmap || bitmap->Empty()) {
        EndProgress(progress);
        return false;
      }
      // The file may have changed since the map was added.
      if (!FitsOneLayer(catalogue, i, bitmap->width, bitmap->height, messages)) {
        EndProgress(progress);
        return false;
      }
      {
        // The layer's buffers live only until its two entries are in the archive.
        // The .a00 is made in the tile buffer and moved into the archive: one copy of the tiles.
        TileData tiles = BuildTileData(entry, *bitmap, n, progress, options.threads, &stream);
        archive.AddEntry(name, "tlm", BuildTlm(entry, tiles));
        archive.AddEntry(name, "a00", BuildA00(std::move(tiles)));
      }
      progress.progressPercent = static_cast<int32_t>(RoundHalfEven(100.0 / n * (i + 1)));
      progress.UpdateProgress();
    }
    archive.AddEntry("chunk", "ics", IconChunk().data(), IconChunk().size());
    archive.WriteToFile(path);
  } catch (const std::bad_alloc&) {
    throw PlatformError("Out of memory while expanding memory stream");
  }
  EndProgress(progress);
  return true;
}

}  // namespace karovel::rmp
