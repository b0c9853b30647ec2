#pragma once
// The program's own text map file (.gmap): one record per map, lines ending in CR LF, numbers always
// with the point as decimal separator.
#include <cstdint>
#include <string>

#include "base/message_sink.h"
#include "catalogue/map_catalogue.h"
#include "image/image_loader.h"

namespace karovel::mapfiles {

// What the save dialog of the window is given.
inline constexpr const char* MapFileFilter = "Wexa map files (*.gmap)|*.gmap";
inline constexpr const char* MapFileDefaultExtension = "*.gmap";

// The number forms of the file.
std::string IntegerText(int32_t value);
// 8 decimals, right-aligned in 11 characters; longer numbers are written whole.
std::string FixedText(double value);
// 23 characters: sign column, d.dddddddddddddd, "E", exponent sign, 4 exponent digits. The mantissa is
// the exact value of the double rounded half up (away from zero) at the 15th significant digit.
std::string RealText(double value);

// The records of grid rows firstRow to lastRow, in row order (empty when firstRow > lastRow). A row
// without a map gives a record with the row's (empty) cells, "Calib=0" and five zero point lines.
std::string MapFileText(const catalogue::MapCatalogue& catalogue, int firstRow, int lastRow);

// Writes those records to path completely or not at all; on failure the previous file is untouched and
// PlatformError is thrown.
void WriteMapFileRows(const catalogue::MapCatalogue& catalogue, int firstRow, int lastRow,
                      const std::string& path);

// The name the save dialog completes: extension (".gmap" or "*.gmap") appended when the file name
// part of path has none.
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

// The part of line after the first occurrence of key ("" when key does not occur).
std::string ValueAfterKey(const std::string& key, const std::string& line);

// Adds one map per record of the file, each with fileName as its "Mname". Damaged records stop the
// reading with "Map File <fileName> corrupted, exit import" (caption "Error"); maps added before stay.
// Throws PlatformError when the file cannot be read or a number cannot be read ("Invalid numeric
// input"; the current record is not added).
void ReadMapFile(catalogue::MapCatalogue& catalogue, image::ImageHost& host, MessageSink& messages,
                 const std::string& fileName);

// "Map File " + fileName + " corrupted, exit import".
std::string CorruptedMessage(const std::string& fileName);

}  // namespace karovel::mapfiles
