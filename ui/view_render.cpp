#include "ui/view_render.h"

#include <QFont>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace karovel::ui {

QColor PointColour(int slot) {
  static const QColor colours[PointSlots] = {QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 128, 0),
                                             QColor(255, 255, 0), QColor(0, 255, 255)};
  return colours[std::clamp(slot, 0, PointSlots - 1)];
}

void RenderVisibleRect(const image::WorkingBitmap& bitmap, int32_t hPos, int32_t vPos, int viewWidth,
                       int viewHeight, QRgb background, QImage& target) {
  const int w = std::max(viewWidth, 0), h = std::max(viewHeight, 0);
  if (target.width() != w || target.height() != h || target.format() != QImage::Format_RGB888)
    target = QImage(w, h, QImage::Format_RGB888);
  if (w == 0 || h == 0) return;

  // Visible columns and rows of the view, in 64 bits: positions may lie far outside the image.
  const int64_t x0 = std::clamp<int64_t>(-int64_t(hPos), 0, w);
  const int64_t x1 = std::clamp<int64_t>(int64_t(bitmap.width) - hPos, x0, w);
  const int64_t y0 = std::clamp<int64_t>(-int64_t(vPos), 0, h);
  const int64_t y1 = std::clamp<int64_t>(int64_t(bitmap.height) - vPos, y0, h);
  const bool any = !bitmap.Empty() && bitmap.pixels && x1 > x0 && y1 > y0;

  // One row of background to copy from.
  std::vector<uint8_t> fill(size_t(w) * 3);
  for (int x = 0; x < w; ++x) {
    fill[size_t(x) * 3] = uint8_t(qRed(background));
    fill[size_t(x) * 3 + 1] = uint8_t(qGreen(background));
    fill[size_t(x) * 3 + 2] = uint8_t(qBlue(background));
  }
  for (int y = 0; y < h; ++y) {
    uint8_t* out = target.scanLine(y);
    if (!any || y < y0 || y >= y1) {
      std::memcpy(out, fill.data(), fill.size());
      continue;
    }
    std::memcpy(out, fill.data(), size_t(x0) * 3);
    const uint8_t* in = bitmap.Row(int32_t(vPos + y)) + size_t(hPos + x0) * 3;
    std::memcpy(out + x0 * 3, in, size_t(x1 - x0) * 3);
    std::memcpy(out + x1 * 3, fill.data(), size_t(w - x1) * 3);
  }
}

QRect LensSourceRect(int x, int y, int viewOffset, int lensSize) {
  const double quarter = lensSize / 4.0;
  auto corner = [&](int v, double d) { return int(std::nearbyint(v + viewOffset + d)) - viewOffset; };
  const int left = corner(x, -quarter), right = corner(x, quarter);
  const int top = corner(y, -quarter), bottom = corner(y, quarter);
  return QRect(left, top, right - left, bottom - top);
}

QImage ShownPixels(const QImage& viewPicture, const std::vector<Overlay>& overlays, QRect source,
                   QRgb outside) {
  QImage shown(source.size(), QImage::Format_RGB32);
  shown.fill(outside);
  QPainter painter(&shown);
  if (!viewPicture.isNull()) painter.drawImage(-source.topLeft(), viewPicture);
  for (const Overlay& overlay : overlays)
    if (overlay.picture) painter.drawImage(overlay.topLeft - source.topLeft(), *overlay.picture);
  return shown;
}

namespace {
void Invert(QImage& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
  QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
  line[x] ^= 0x00FFFFFFu;
}
}  // namespace

QImage RenderLens(const QImage& source, int lensSize) {
  QImage lens;
  if (source.isNull()) {
    lens = QImage(lensSize, lensSize, QImage::Format_RGB32);
    lens.fill(Qt::black);
  } else {
    lens = source.scaled(lensSize, lensSize, Qt::IgnoreAspectRatio, Qt::FastTransformation)
               .convertToFormat(QImage::Format_RGB32);
  }
  // Three strokes, each inverting its pixels once: where two cross, the pixel shows through again.
  const int mid = lensSize / 2;
  for (int x = 0; x < lensSize; ++x) Invert(lens, x, mid);
  for (int y = 0; y < lensSize; ++y) Invert(lens, mid, y);
  for (int x = 0; x < lensSize; ++x) {
    Invert(lens, x, 0);
    Invert(lens, x, lensSize - 1);
  }
  for (int y = 1; y < lensSize - 1; ++y) {
    Invert(lens, 0, y);
    Invert(lens, lensSize - 1, y);
  }
  return lens;
}

QImage MarkerPicture(int slot, bool withNumber) {
  QImage picture(MarkerSize, MarkerSize, QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::transparent);
  const QColor colour = PointColour(slot);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(colour, 2));
  painter.drawEllipse(QRectF(10, 10, 30, 30));
  painter.drawEllipse(QRectF(15, 15, 20, 20));
  painter.setPen(QPen(colour, 1));
  painter.drawEllipse(QRectF(20, 20, 10, 10));
  if (withNumber) {
    QFont font = painter.font();
    font.setPointSize(14);
    painter.setFont(font);
    painter.drawText(QRect(40, 0, MarkerSize - 40, MarkerSize / 2),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, QString::number(slot + 1));
  }
  return picture;
}

QImage TabIconImage(int slot) {
  return MarkerPicture(slot, false)
      .scaled(TabIconSize, TabIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace karovel::ui
