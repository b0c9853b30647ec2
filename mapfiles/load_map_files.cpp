#include "mapfiles/load_map_files.h"

#include "base/file_io.h"
#include "mapfiles/map_file.h"
#include "mapfiles/ozi_import.h"

namespace karovel::mapfiles {

MapFileKind KindOfMapFile(const std::string& fileName) {
  std::string name = FileNamePart(fileName);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return MapFileKind::None;
  std::string extension = name.substr(dot);
  if (extension == ".gmap") return MapFileKind::MapFile;
  if (extension == ".map") return MapFileKind::OziMap;
  return MapFileKind::None;
}

void LoadMapFiles(catalogue::MapCatalogue& catalogue, image::ImageHost& host, MessageSink& messages,
                  const std::vector<std::string>& fileNames) {
  for (const std::string& fileName : fileNames) {
    switch (KindOfMapFile(fileName)) {
      case MapFileKind::MapFile:
        ReadMapFile(catalogue, host, messages, fileName);
        break;
      case MapFileKind::OziMap:
        ImportOziMap(catalogue, host, messages, fileName);
        break;
      case MapFileKind::None:
        break;
    }
  }
}

}  // namespace karovel::mapfiles
