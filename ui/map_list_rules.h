#pragma once
// The toolkit-free rules of the map list commands: dialog filters, the name an imported image gets, the
// calibration check on the grid's "R" cells.
#include <string>

#include "catalogue/map_catalogue.h"

namespace karovel::ui {

// Import Image(s): the loader's filter plus a GIF entry of its own.
std::string ImageImportFilter();

inline constexpr const char* MapImportFilter =
    "Wexa map files (*.gmap)|*.gmap| OZI map files (WGS8 only)(*.map)|*.map";
inline constexpr const char* MapImportDefaultExtension = "*.gmap";

inline constexpr const char* RmpFilter = "RMP map (*.rmp)|*.rmp";
inline constexpr const char* RmpDefaultExtension = "*.rmp";

inline constexpr const char* AllMapsCalibratedMessage = "All maps should be calibrated";

// The map name of an imported image: the file name without its folder, minus its last 4 characters (a
// dot and a three-letter extension), so "photo.jpeg" gives "photo.". Characters, not bytes: a UTF-8
// letter is never split. Shorter names give "".
std::string NameFromImageFile(const std::string& path);

// The first map row (1 to mapCount) whose "R" cell is not exactly "Y", or 0 when every row reads "Y".
int FirstUncalibratedRow(const catalogue::MapCatalogue& catalogue);

}  // namespace karovel::ui
