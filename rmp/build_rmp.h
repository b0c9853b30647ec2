#pragma once
// Writing the whole catalogue as one RMP file: per map its tile index topoK.tlm and tile data topoK.a00,
// with the layer list rmp.ini first and the icon chunk last.
#include <cstdint>
#include <functional>
#include <string>

#include "base/message_sink.h"
#include "base/progress.h"
#include "catalogue/map_catalogue.h"
#include "image/working_bitmap.h"
#include "rmp/rmp_archive.h"

namespace karovel::rmp {

// Makes map i (0-based) the selected map and loads its image into the working bitmap, as selecting grid
// row i + 1 does (the window also repaints itself there, so the new selection shows); returns that
// bitmap, or nullptr (or an empty bitmap) when the image could not be loaded, after the loader has told
// the user. BuildRmp first calls it once with i == mapCount (the row after the last map, which holds no
// map; the result is ignored) so that selecting row 1 afterwards really loads map 0. The window passes
// its row selection; karovel-rmp loads the file directly. A load gives the loader rowsDecoded as its hook
// (ImageHost::rowsDecoded), so that the map's tiles are encoded while the rest of its picture is decoded.
using SelectMapFn =
    std::function<const image::WorkingBitmap*(int mapIndex, const image::RowsDecodedFn& rowsDecoded)>;

class TileStream;

struct BuildOptions {
  int threads = 0;                      // tile encoding threads, 0 for every core
  uint64_t sizeLimit = MaxRmpFileSize;  // lowered by tests
  // The stream the maps' tiles are encoded by (made with the same threads), when the caller began one
  // before the build: karovel-rmp starts on the last map's tiles while it reads the map files. nullptr:
  // the build makes its own.
  TileStream* tiles = nullptr;
};

// Builds the RMP file of every map of the catalogue, in catalogue order, and writes it to path
// completely or not at all; progress is driven as the progress bar expects. The caller has checked that
// every map is calibrated. Returns true when the file was written. Returns false, writing nothing, when
// a map's image cannot be loaded (the loader's message is the only one), or a map needs more tiles than
// a layer holds or cannot be placed on the tile grid (an "Error" message). Platform failures (out of
// memory, file not creatable, write error, a file past 4 GiB) throw PlatformError; nothing is written
// then either, and the progress keeps its last state.
bool BuildRmp(const catalogue::MapCatalogue& catalogue, const std::string& path, MessageSink& messages,
              Progress& progress, const SelectMapFn& selectMap, const BuildOptions& options = {});

// The "Error" texts for a map that does not fit one layer and for one that cannot be placed at all.
std::string TooManyTilesMessage(const std::string& mapName, int64_t tiles);
std::string OffTheGridMessage(const std::string& mapName);

}  // namespace karovel::rmp
