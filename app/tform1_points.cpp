// The point panel: markers and tabs, the point edits, the format switch, Calibrate and Remove.
#include "app/tform1.h"

namespace karovel::app {

void TForm1::BuildMarkers() {
  ImageList1.clear();
  SCTabControl1->ClearTabs();
  for (int i = 0; i < catalogue::MaxReferencePoints; ++i) SCTabControl1->AddTab(QString::number(i + 1));
}

void TForm1::ShowReferencePoint(int /*map*/, int /*point*/) {}

void TForm1::ApplyCoordinateMasks(int /*format*/) {}

void TForm1::SCTabControl1Change() {}

void TForm1::SCMaskEdit3Change() {}

void TForm1::SCMaskEdit4Change() {}

void TForm1::SCMaskEdit1Enter() {}

void TForm1::SCMaskEdit2Enter() {}

void TForm1::SCMaskEdit1Change() {}

void TForm1::SCMaskEdit2Change() {}

void TForm1::SCCombobox1Change() {}

void TForm1::SCCombobox2Change() {}

void TForm1::SCCheckBox1Click() {}

void TForm1::SCRadioGroup1Click() {}

void TForm1::Image1DblClick() {}

void TForm1::SCButton1Click() {}

void TForm1::SCButton2Click() {}

}  // namespace karovel::app
