#pragma once
// The list of maps: per-map records in fixed slots and the text cells of the two map grids, in step row
// by row (map i is grid row i + 1; row 0 is the header).
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "base/message_sink.h"
#include "catalogue/cell_table.h"
#include "image/image_loader.h"

namespace karovel::catalogue {

constexpr int MaxMaps = 21;
constexpr int MaxReferencePoints = 5;

struct MapEntry {
  double originLon = 0;    // longitude of pixel column 0
  double originLat = 0;    // latitude of pixel row 0
  double lonPerPixel = 0;  // X scale
  double latPerPixel = 0;  // Y scale, negative for north up
  int32_t imageWidth = 0;
  int32_t imageHeight = 0;
  bool calibrated = false;
};

struct ReferencePoint {
  int32_t pixelX = 0;
  int32_t pixelY = 0;
  double latitude = 0;
  double longitude = 0;
  bool active = false;
};

// StringGrid1 columns.
constexpr int ColName = 0, ColSize = 1, ColMB = 2, ColR = 3;
// StringGrid2 columns.
constexpr int ColFname = 0, ColMname = 1;
constexpr int InitialGridRows = 10;
constexpr int NameLength = 10;

struct MapCatalogue {
  int32_t mapCount = 0;
  std::array<MapEntry, MaxMaps> entries{};
  std::array<std::array<ReferencePoint, MaxReferencePoints>, MaxMaps> points{};
  int32_t selectedMap = 0;
  CellTable grid1{4};  // StringGrid1: "Img Name", "Size", "MB", "R"
  CellTable grid2{2};  // StringGrid2: "Fname", "Mname"
  char decimalSeparator = '.';  // the user's; used for the "MB" cells

  MapCatalogue() { WriteHeaders(); }
  void WriteHeaders();
  void ClearSlot(int index);
  bool HasMap(int row) const { return row >= 1 && row <= mapCount; }
};

// Text shown when the catalogue is full and another map would be added.
extern const char* const CatalogueFullMessage;

// The "MB" cell text of a width x height image.
std::string MegabytesText(int32_t width, int32_t height, char decimalSeparator);

// Appends one map: loads the image, fills row mapCount + 1, takes over the free slot's points and
// calibration. Returns false and adds nothing when the catalogue is full (with CatalogueFullMessage,
// caption "Error") or the image cannot be loaded (the loader has told the user); the free slot is then
// zero again.
bool AddMap(MapCatalogue& catalogue, image::ImageHost& host, MessageSink& messages,
            const std::string& imagePath, const std::string& name, const std::string& mapFileName);

// Removes the map of a grid row; nothing when the row holds no map. selectRow is the window's row
// selection for the row afterwards (it may be empty): it is called with the row when a map now occupies
// it, and with 0 when the point editor must be emptied instead.
void RemoveMap(MapCatalogue& catalogue, int row, const std::function<void(int row)>& selectRow = {});

// Removes all maps: cells cleared, both grids back to 10 rows with headers, every slot zero,
// mapCount and selectedMap 0. The window does the rest (bitmap, scroll positions, panel).
void ClearCatalogue(MapCatalogue& catalogue);

// Drops the calibration of the map in a grid row (1 to mapCount); other rows change nothing.
void Uncalibrate(MapCatalogue& catalogue, int row);

}  // namespace karovel::catalogue
