// The map list: row selection, renaming, imports, saves and removal.
#include "app/tform1.h"

namespace karovel::app {

void TForm1::SelectMap(int /*row*/) {}

void TForm1::ClearMapDisplay() {}

void TForm1::StringGrid1SelectCell(int /*column*/, int /*row*/, bool& /*canSelect*/) {}

void TForm1::StringGrid1MouseUp(Qt::MouseButton /*button*/, int /*x*/, int /*y*/) {}

void TForm1::StringGrid1DblClick() {}

void TForm1::ImportImages1Click() {}

void TForm1::I1Click() {}

void TForm1::ExportSelectedMap1Click() {}

void TForm1::ExportAllMaps1Click() {}

void TForm1::RemoveSelected1Click() {}

void TForm1::RemoveAll1Click() {}

}  // namespace karovel::app
