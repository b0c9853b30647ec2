#include "catalogue/map_catalogue.h"

#include "catalogue/coordinate_format.h"

namespace karovel::catalogue {

const char* const CatalogueFullMessage = "The map list is full: at most 21 maps";

namespace {

// A cell never receives an empty text: it gets a single space instead.
std::string CellText(const std::string& text) { return text.empty() ? std::string(" ") : text; }

// The first count characters of a UTF-8 text; a character is never split.
std::string FirstCharacters(const std::string& text, int count) {
  size_t end = 0;
  for (int taken = 0; end < text.size() && taken < count; ++taken) {
    ++end;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  }
  return text.substr(0, end);
}

}  // namespace

void MapCatalogue::WriteHeaders() {
  grid1.SetCell(0, ColName, "Img Name");
  grid1.SetCell(0, ColSize, "Size");
  grid1.SetCell(0, ColMB, "MB");
  grid1.SetCell(0, ColR, "R");
  grid2.SetCell(0, ColFname, "Fname");
  grid2.SetCell(0, ColMname, "Mname");
}

void MapCatalogue::ClearSlot(int index) {
  if (index < 0 || index >= MaxMaps) return;
  entries[size_t(index)] = MapEntry{};
  points[size_t(index)].fill(ReferencePoint{});
}

std::string MegabytesText(int32_t width, int32_t height, char decimalSeparator) {
  // One rounding, locale-independent: printf would round twice and follow LC_NUMERIC.
  const double mb = (double(int64_t(width) * int64_t(height)) + 512) / 1048576.0;
  return FormatFixedSignificant(mb, 4, 2, decimalSeparator);
}

bool AddMap(MapCatalogue& catalogue, image::ImageHost& host, MessageSink& messages,
            const std::string& imagePath, const std::string& name, const std::string& mapFileName) {
  if (catalogue.mapCount >= MaxMaps) {
    messages.Show(CatalogueFullMessage, "Error");
    return false;
  }
  const int slot = catalogue.mapCount;
  if (!image::LoadWorkingImage(host, imagePath)) {
    catalogue.ClearSlot(slot);
    return false;
  }
  const int row = slot + 1;
  catalogue.grid2.SetCell(row, ColFname, CellText(imagePath));
  catalogue.grid2.SetCell(row, ColMname, CellText(mapFileName));
  catalogue.grid1.SetCell(row, ColName, CellText(FirstCharacters(name, NameLength)));
  catalogue.grid1.SetRowCount(catalogue.grid1.RowCount() + 1);
  catalogue.grid2.SetRowCount(catalogue.grid2.RowCount() + 1);
  MapEntry& entry = catalogue.entries[size_t(slot)];
  entry.imageWidth = host.workingBitmap->width;
  entry.imageHeight = host.workingBitmap->height;
  catalogue.grid1.SetCell(row, ColSize,
                          std::to_string(entry.imageWidth) + "x" + std::to_string(entry.imageHeight));
  catalogue.grid1.SetCell(row, ColMB,
                          MegabytesText(entry.imageWidth, entry.imageHeight, catalogue.decimalSeparator));
  catalogue.grid1.SetCell(row, ColR, entry.calibrated ? "Y" : "N");
  catalogue.mapCount += 1;
  return true;
}

void RemoveMap(MapCatalogue& catalogue, int row, const std::function<void(int row)>& selectRow) {
  if (!catalogue.HasMap(row)) return;
  for (int k = row; k <= catalogue.mapCount; ++k) {
    for (int c = 0; c < catalogue.grid1.ColumnCount(); ++c)
      catalogue.grid1.SetCell(k, c, catalogue.grid1.Cell(k + 1, c));
    for (int c = 0; c < catalogue.grid2.ColumnCount(); ++c)
      catalogue.grid2.SetCell(k, c, catalogue.grid2.Cell(k + 1, c));
  }
  for (int k = row; k <= catalogue.mapCount - 1; ++k) {
    catalogue.entries[size_t(k - 1)] = catalogue.entries[size_t(k)];
    catalogue.points[size_t(k - 1)] = catalogue.points[size_t(k)];
  }
  catalogue.ClearSlot(catalogue.mapCount - 1);
  catalogue.mapCount -= 1;
  if (selectRow) selectRow(catalogue.HasMap(row) ? row : 0);
}

void ClearCatalogue(MapCatalogue& catalogue) {
  catalogue.grid1.ClearAll();
  catalogue.grid2.ClearAll();
  catalogue.grid1.SetRowCount(InitialGridRows);
  catalogue.grid2.SetRowCount(InitialGridRows);
  catalogue.WriteHeaders();
  catalogue.mapCount = 0;
  for (int i = 0; i < MaxMaps; ++i) catalogue.ClearSlot(i);
  catalogue.selectedMap = 0;
}

void Uncalibrate(MapCatalogue& catalogue, int row) {
  if (!catalogue.HasMap(row)) return;
  MapEntry& entry = catalogue.entries[size_t(row - 1)];
  entry.originLon = entry.originLat = entry.lonPerPixel = entry.latPerPixel = 0;
  entry.calibrated = false;
  catalogue.grid1.SetCell(row, ColR, "N");
}

}  // namespace karovel::catalogue
