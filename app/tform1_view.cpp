// The image view: redraw, scrolling, dragging, the lens and the cursor read-out.
#include <QPalette>
#include <algorithm>
#include <vector>

#include "app/tform1.h"
#include "ui/view_render.h"

namespace karovel::app {

namespace {

// Widget coordinates stay far inside int; a marker this far out is off the view either way.
int ClampCoordinate(int64_t v) { return int(std::clamp<int64_t>(v, -1000000, 1000000)); }

void SetClamped(QScrollBar* bar, int64_t value) {
  bar->setValue(int(std::clamp<int64_t>(value, bar->minimum(), bar->maximum())));
}

}  // namespace

QRgb TForm1::ViewBackground() const { return palette().color(QPalette::Window).rgb(); }

void TForm1::RedrawView() {
  if (!imageHost.workingBitmap) return;
  QImage picture;
  ui::RenderVisibleRect(*imageHost.workingBitmap, HPos(), VPos(), Image1->width(), Image1->height(),
                        ViewBackground(), picture);
  Image1->SetPicture(picture);
  Image2->show();
  for (int k = 0; k < catalogue::MaxReferencePoints; ++k) PlaceMarker(catalogue.selectedMap, k);
}

void TForm1::SetScrollRanges() {
  if (!imageHost.workingBitmap) return;
  const int64_t W = imageHost.workingBitmap->width, H = imageHost.workingBitmap->height;
  int64_t vMax = H - Image1->height() + 99;
  int64_t hMax = W - Image1->width() + 99;
  if (vMax < 0 || hMax < 0) {
    vMax = H / 2;
    hMax = W / 2;
  }
  SCScrollbar1->setMaximum(int(vMax));
  SCScrollbar2->setMaximum(int(hMax));
  SCScrollbar1->setMinimum(-100);
  SCScrollbar2->setMinimum(-100);
}

void TForm1::PlaceMarker(int map, int point) {
  if (map < 0 || map >= catalogue::MaxMaps || point < 0 || point >= catalogue::MaxReferencePoints) return;
  ui::ImageWidget* marker = markers[size_t(point)];
  if (!marker) return;
  const catalogue::ReferencePoint& p = catalogue.points[size_t(map)][size_t(point)];
  if (!p.active) {
    marker->hide();
    return;
  }
  const int64_t left = int64_t(Image1->x()) + p.pixelX - HPos() - ui::MarkerCentre;
  const int64_t top = int64_t(Image1->y()) + p.pixelY - VPos() - ui::MarkerCentre;
  marker->move(ClampCoordinate(left), ClampCoordinate(top));
  marker->show();
}

void TForm1::Image1MouseDown(Qt::MouseButton /*button*/, int x, int y) {
  if (overviewMode) {
    overviewMode = false;
    bool canSelect = true;
    StringGrid1SelectCell(StringGrid1->Col(), StringGrid1->Row(), canSelect);
  }
  pressX = x;
  pressY = y;
  pressHPos = HPos();
  pressVPos = VPos();
}

QImage TForm1::LensPicture(int x, int y) const {
  const QRect square = ui::LensSourceRect(x, y, Image1->x());
  std::vector<ui::Overlay> overlays;
  for (const ui::ImageWidget* marker : markers)
    if (marker && !marker->isHidden())
      overlays.push_back({marker->pos() - Image1->pos(), &marker->Picture()});
  return ui::RenderLens(ui::ShownPixels(Image1->Picture(), overlays, square, ViewBackground()));
}

void TForm1::Image1MouseMove(Qt::MouseButtons buttons, int x, int y) {
  if (buttons & Qt::LeftButton) {
    SetClamped(SCScrollbar2, int64_t(pressHPos) - (int64_t(x) - pressX));
    SetClamped(SCScrollbar1, int64_t(pressVPos) - (int64_t(y) - pressY));
    RedrawView();
    return;
  }
  if (!imageHost.workingBitmap) return;

  Image2->SetPicture(LensPicture(x, y));
  Image2->show();

  int64_t px = int64_t(x) + HPos(), py = int64_t(y) + VPos();
  if (overviewMode) {
    px = int64_t(x) - overviewOffsetX;
    py = int64_t(y) - overviewOffsetY;
  }
  SCStatusBar1->SetPanelText(0, QStringLiteral("X:") + QString::number(px));
  SCStatusBar1->SetPanelText(1, QStringLiteral("Y:") + QString::number(py));

  if (catalogue.grid1.Cell(StringGrid1->Row(), catalogue::ColR) != "Y") {
    SCStatusBar2->SetPanelText(0, QString());
    SCStatusBar2->SetPanelText(1, QString());
    return;
  }
  double latitude, longitude;
  if (overviewMode) {
    latitude = overviewMaxLat - double(py) * overviewDegPerPixel;
    longitude = overviewMinLon + double(px) * overviewDegPerPixel;
  } else {
    const catalogue::MapEntry& entry =
        catalogue.entries[size_t(std::clamp(catalogue.selectedMap, 0, catalogue::MaxMaps - 1))];
    latitude = double(py) * entry.latPerPixel + entry.originLat;
    longitude = double(px) * entry.lonPerPixel + entry.originLon;
  }
  const int format = SCRadioGroup1->ItemIndex();
  SCStatusBar2->SetPanelText(0, QString::fromStdString(catalogue::FormatCursorLatitude(
                                    latitude, format, catalogue.decimalSeparator)));
  SCStatusBar2->SetPanelText(1, QString::fromStdString(catalogue::FormatCursorLongitude(
                                    longitude, format, catalogue.decimalSeparator)));
}

void TForm1::SCScrollbar1Change() {
  if (imageHost.workingBitmap) RedrawView();
}

void TForm1::SCScrollbar2Change() {
  if (imageHost.workingBitmap) RedrawView();
}

}  // namespace karovel::app
