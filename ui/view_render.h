#pragma once
// Pictures of the image view: the visible part of the working bitmap, the magnifier lens, the point
// markers and their tab icons. Plain QImage work, no widgets, so the window and the benchmarks share it.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <vector>

#include "image/working_bitmap.h"

namespace karovel::ui {

constexpr int LensSize = 75;
constexpr int MarkerSize = 50;
constexpr int MarkerCentre = 25;
constexpr int TabIconSize = 25;
constexpr int PointSlots = 5;

// Ring, number and icon colour of a point slot (0 to 4).
QColor PointColour(int slot);

// Fills target (made view-sized in RGB888 when its size or format differ) so that view pixel (x, y)
// shows image pixel (x + hPos, y + vPos); pixels whose source lies outside the image get background.
// Only the visible rows and columns are touched, whatever the size of the image.
void RenderVisibleRect(const image::WorkingBitmap& bitmap, int32_t hPos, int32_t vPos, int viewWidth,
                       int viewHeight, QRgb background, QImage& target);

// The square the lens magnifies for the cursor at view (x, y): corners at x + viewOffset -+ L/4 in
// client coordinates, rounded, given back in view coordinates (38 x 38 pixels for the 75-pixel lens).
QRect LensSourceRect(int x, int y, int viewOffset = 2, int lensSize = LensSize);

// One overlay drawn over the shown picture: a marker picture with its top-left view position.
struct Overlay {
  QPoint topLeft;
  const QImage* picture = nullptr;
};

// What the window shows in `source` (view coordinates): the view's picture with the overlays on top,
// `outside` where the square leaves the picture.
QImage ShownPixels(const QImage& viewPicture, const std::vector<Overlay>& overlays, QRect source,
                   QRgb outside);

// The lens picture: source stretched to lensSize x lensSize (nearest pixel), then the cross-hair and
// the frame inverted, as a not-xor pen inverts what lies beneath each line.
QImage RenderLens(const QImage& source, int lensSize = LensSize);

// Marker of a slot: 50 x 50, transparent but for three rings in the slot colour around (25, 25), with
// or without the slot's number at the top right.
QImage MarkerPicture(int slot, bool withNumber = true);

// The tab icon of a slot: the rings scaled to 25 x 25.
QImage TabIconImage(int slot);

}  // namespace karovel::ui
