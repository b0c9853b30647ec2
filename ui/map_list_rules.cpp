#include "ui/map_list_rules.h"

#include "base/file_io.h"
#include "image/image_loader.h"

namespace karovel::ui {

std::string ImageImportFilter() { return image::ImageFileFilter() + "|CompuServe Bitmap(*.gif)|*.gif"; }

std::string NameFromImageFile(const std::string& path) {
  std::string name = FileNamePart(path);
  for (int removed = 0; removed < 4 && !name.empty(); ++removed) {
    size_t start = name.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(name[start]) & 0xC0) == 0x80) --start;
    name.erase(start);
  }
  return name;
}

int FirstUncalibratedRow(const catalogue::MapCatalogue& catalogue) {
  for (int row = 1; row <= catalogue.mapCount; ++row)
    if (catalogue.grid1.Cell(row, catalogue::ColR) != "Y") return row;
  return 0;
}

}  // namespace karovel::ui
