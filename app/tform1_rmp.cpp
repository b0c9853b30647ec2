// "Create RMP": every calibrated map into one RMP file.
#include "app/tform1.h"
#include "base/file_io.h"
#include "mapfiles/map_file.h"
#include "rmp/build_rmp.h"
#include "ui/map_list_rules.h"

namespace karovel::app {

void TForm1::CreateROM1Click() {
  SaveDialog1.filter = ui::RmpFilter;
  SaveDialog1.defaultExtension = ui::RmpDefaultExtension;
  SaveDialog1.fileName.clear();
  SaveDialog1.initialDir = lastRmpDir;
  if (!SaveDialog1.Execute()) return;
  rmpFileName = mapfiles::WithDefaultExtension(SaveDialog1.fileName, SaveDialog1.defaultExtension);
  lastRmpDir = FolderPart(rmpFileName);

  if (ui::FirstUncalibratedRow(catalogue) != 0) {
    messages.Show(ui::AllMapsCalibratedMessage, "Error");
    return;
  }

  // The build reaches every image through the grid's row selection, which must load: a rename in
  // progress would swallow the first selection.
  StringGrid1->SetRowSelect(true);
  rowSelectLoads = true;
  const rmp::SelectMapFn selectRow =
      [this](int mapIndex, const image::RowsDecodedFn& rowsDecoded) -> const image::WorkingBitmap* {
    {
      // The map's tiles are encoded on worker threads while its picture is decoded.
      const image::RowsDecodedScope hook(imageHost, rowsDecoded);
      StringGrid1->SetRow(mapIndex + 1);
    }
    repaint();
    // A row whose image failed to load leaves the previous map selected: that is no image of this map.
    if (mapIndex >= catalogue.mapCount || catalogue.selectedMap != mapIndex) return nullptr;
    return imageHost.workingBitmap.get();
  };
  rmp::BuildRmp(catalogue, rmpFileName, messages, progress, selectRow);
}

}  // namespace karovel::app
