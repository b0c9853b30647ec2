#pragma once
// Reading the map files chosen in one "Import Map(s)" command.
#include <string>
#include <vector>

#include "base/message_sink.h"
#include "catalogue/map_catalogue.h"
#include "image/image_loader.h"

namespace karovel::mapfiles {

enum class MapFileKind { None, MapFile, OziMap };

// By the exact-case extension of the file name: ".gmap" or ".map"; anything else is None.
MapFileKind KindOfMapFile(const std::string& fileName);

// Reads each file in order as "Import Map(s)" does: .gmap files with ReadMapFile, .map files with
// ImportOziMap, others skipped silently. Each map's image is loaded into host on the way. Messages go to
// messages; a PlatformError (unreadable file, "Invalid numeric input") propagates and ends the whole
// import there, with the maps added before it kept in the catalogue.
void LoadMapFiles(catalogue::MapCatalogue& catalogue, image::ImageHost& host, MessageSink& messages,
                  const std::vector<std::string>& fileNames);

}  // namespace karovel::mapfiles
