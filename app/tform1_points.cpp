// The point panel: markers and tabs, the point edits, the format switch, Calibrate and Remove.
#include <QPixmap>

#include "app/tform1.h"
#include "catalogue/calibration.h"
#include "ui/view_render.h"

namespace karovel::app {

namespace {

// The window's masks read "pattern;1;0": "9" takes one digit and every other character is fixed and part
// of the text. The line edit's mask language knows more special characters, so fixed ones are escaped.
// Unfilled positions are blanks: a typed 0 then never reads as an unfilled position, and the shown
// text reads them as spaces, which the coordinate parsers take as zeros.
QString LineEditMask(const std::string& mask) {
  QString out;
  for (const char c : mask.substr(0, mask.find(';'))) {
    if (c != '9' && QStringLiteral("AaNnXx0DdHhBb#<>!{}[]\\;").contains(QLatin1Char(c)))
      out += QLatin1Char('\\');
    out += QLatin1Char(c);
  }
  return out + QStringLiteral("; ");
}

// The edit's text with every position of its mask, unfilled ones as spaces.
std::string CoordinateEditText(const QLineEdit* edit) { return edit->displayText().toStdString(); }

}  // namespace

void TForm1::BuildMarkers() {
  ImageList1.clear();
  SCTabControl1->ClearTabs();
  SCTabControl1->Tabs()->setIconSize(QSize(ui::TabIconSize, ui::TabIconSize));
  for (int i = 0; i < catalogue::MaxReferencePoints; ++i) {
    ui::ImageWidget*& marker = markers[size_t(i)];
    if (!marker) {
      marker = new ui::ImageWidget(Panel3);
      marker->setObjectName(QStringLiteral("Marker%1").arg(i + 1));
      marker->setAttribute(Qt::WA_TransparentForMouseEvents);
      marker->setMouseTracking(false);
      marker->resize(ui::MarkerSize, ui::MarkerSize);
    }
    marker->hide();
    marker->SetPicture(ui::MarkerPicture(i));
    marker->raise();  // above the view and the lens
    ImageList1.push_back(QIcon(QPixmap::fromImage(ui::TabIconImage(i))));
    SCTabControl1->AddTab(QString::number(i + 1), ImageList1.back());
  }
}

void TForm1::ShowReferencePoint(int map, int point) {
  if (map < 0 || map >= catalogue::MaxMaps || point < 0 || point >= catalogue::MaxReferencePoints) return;
  // Every assignment echoes through the panel's handlers, which may write into the current point.
  const catalogue::ReferencePoint& p = catalogue.points[size_t(map)][size_t(point)];
  SCMaskEdit3->setText(QString::number(p.pixelX));
  SCMaskEdit4->setText(QString::number(p.pixelY));
  ShowCoordinates(p.latitude, p.longitude);
  SCCheckbox1->setChecked(p.active);
}

void TForm1::ShowCoordinates(double latitude, double longitude) {
  const int format = SCRadioGroup1->ItemIndex();
  const catalogue::CoordinateText lat =
      catalogue::FormatLatitude(latitude, format, catalogue.decimalSeparator);
  SCCombobox1->setCurrentIndex(lat.hemisphereItem);
  SCMaskEdit1->setText(QString::fromStdString(lat.text));
  const catalogue::CoordinateText lon =
      catalogue::FormatLongitude(longitude, format, catalogue.decimalSeparator);
  SCCombobox2->setCurrentIndex(lon.hemisphereItem);
  SCMaskEdit2->setText(QString::fromStdString(lon.text));
}

void TForm1::ApplyCoordinateMasks(int format) {
  const size_t f = size_t(std::clamp(format, 0, 2));
  SCMaskEdit1->setInputMask(LineEditMask(coordinateMasks.latitudeMasks[f]));
  SCMaskEdit2->setInputMask(LineEditMask(coordinateMasks.longitudeMasks[f]));
}

catalogue::ReferencePoint* TForm1::CurrentReferencePoint() {
  const int point = CurrentPoint();
  const int map = catalogue.selectedMap;
  if (point < 0 || point >= catalogue::MaxReferencePoints || map < 0 || map >= catalogue::MaxMaps)
    return nullptr;
  return &catalogue.points[size_t(map)][size_t(point)];
}

void TForm1::SCTabControl1Change() {
  if (CurrentPoint() < 0) return;
  ShowReferencePoint(catalogue.selectedMap, CurrentPoint());
}

namespace {
bool ReadPixel(const QLineEdit* edit, int32_t& value) {
  bool ok = false;
  const int v = edit->text().trimmed().toInt(&ok, 10);
  if (ok) value = v;
  return ok;
}
}  // namespace

void TForm1::SCMaskEdit3Change() {
  catalogue::ReferencePoint* p = CurrentReferencePoint();
  if (fillingEditors || !p) return;
  if (ReadPixel(SCMaskEdit3, p->pixelX)) PlaceMarker(catalogue.selectedMap, CurrentPoint());
}

void TForm1::SCMaskEdit4Change() {
  catalogue::ReferencePoint* p = CurrentReferencePoint();
  if (fillingEditors || !p) return;
  if (ReadPixel(SCMaskEdit4, p->pixelY)) PlaceMarker(catalogue.selectedMap, CurrentPoint());
}

void TForm1::SCMaskEdit1Enter() { latitudeEntered = true; }

void TForm1::SCMaskEdit2Enter() { longitudeEntered = true; }

void TForm1::SCMaskEdit1Change() {
  catalogue::ReferencePoint* p = CurrentReferencePoint();
  if (fillingEditors || !latitudeEntered || !p) return;
  p->latitude = catalogue::ParseLatitude(CoordinateEditText(SCMaskEdit1), SCCombobox1->currentIndex(),
                                         SCRadioGroup1->ItemIndex(), catalogue.decimalSeparator);
}

void TForm1::SCMaskEdit2Change() {
  catalogue::ReferencePoint* p = CurrentReferencePoint();
  if (fillingEditors || !longitudeEntered || !p) return;
  p->longitude = catalogue::ParseLongitude(CoordinateEditText(SCMaskEdit2), SCCombobox2->currentIndex(),
                                           SCRadioGroup1->ItemIndex(), catalogue.decimalSeparator);
}

void TForm1::SCCombobox1Change() {
  catalogue::ReferencePoint* p = CurrentReferencePoint();
  if (fillingEditors || !p) return;
  p->latitude = catalogue::ApplyHemisphere(p->latitude, SCCombobox1->currentIndex());
}

void TForm1::SCCombobox2Change() {
  catalogue::ReferencePoint* p = CurrentReferencePoint();
  if (fillingEditors || !p) return;
  p->longitude = catalogue::ApplyHemisphere(p->longitude, SCCombobox2->currentIndex());
}

void TForm1::SCCheckBox1Click() {
  catalogue::ReferencePoint* p = CurrentReferencePoint();
  if (fillingEditors || !p) return;
  p->active = SCCheckbox1->isChecked();
  PlaceMarker(catalogue.selectedMap, CurrentPoint());
}

void TForm1::SCRadioGroup1Click() {
  latitudeEntered = false;
  longitudeEntered = false;
  ApplyCoordinateMasks(SCRadioGroup1->ItemIndex());
  const catalogue::ReferencePoint* p = CurrentReferencePoint();
  if (!p) return;
  const double latitude = p->latitude, longitude = p->longitude;
  ShowCoordinates(latitude, longitude);
}

void TForm1::Image1DblClick() {
  catalogue::ReferencePoint* p = CurrentReferencePoint();
  if (!imageHost.workingBitmap || !p) return;
  p->pixelX = HPos() + pressX;
  p->pixelY = VPos() + pressY;
  SCMaskEdit3->setText(QString::number(p->pixelX));
  SCMaskEdit4->setText(QString::number(p->pixelY));
  p->active = true;
  PlaceMarker(catalogue.selectedMap, CurrentPoint());
  SCCheckbox1->setChecked(true);
}

void TForm1::SCButton1Click() {
  const int row = StringGrid1->Row();
  if (catalogue.HasMap(row)) catalogue::Calibrate(catalogue, row - 1, messages);
}

void TForm1::SCButton2Click() {
  const int row = StringGrid1->Row();
  if (catalogue.HasMap(row)) catalogue::Uncalibrate(catalogue, row);
}

}  // namespace karovel::app
