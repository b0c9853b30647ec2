// The overview drawing of all maps.
#include "app/tform1.h"
#include "ui/map_list_rules.h"
#include "ui/overview_render.h"

namespace karovel::app {

void TForm1::Overview1Click() {
  // The grid's "R" cells decide, not the maps' flags.
  if (ui::FirstUncalibratedRow(catalogue) != 0) {
    messages.Show(ui::AllMapsCalibratedMessage, "Warning");
    return;
  }
  std::vector<ui::OverviewBounds> maps;
  std::vector<std::string> names;
  for (int i = 0; i < catalogue.mapCount; ++i) {
    maps.push_back(ui::MapBounds(catalogue.entries[size_t(i)]));
    names.push_back(catalogue.grid1.Cell(i + 1, catalogue::ColName));
  }
  std::string refusal;
  const auto geometry = ui::LayOutOverview(maps, Image1->width(), Image1->height(), &refusal);
  if (!geometry) {
    messages.Show(refusal, "Warning");
    return;
  }
  overviewMinLon = geometry->minLon;
  overviewMaxLat = geometry->maxLat;
  overviewDegPerPixel = geometry->degPerPixel;
  overviewOffsetX = geometry->offsetX;
  overviewOffsetY = geometry->offsetY;
  ClearMapDisplay();
  Image1->SetPicture(ui::DrawOverview(*geometry, maps, names, Image1->font()));
  overviewMode = true;
}

}  // namespace karovel::app
