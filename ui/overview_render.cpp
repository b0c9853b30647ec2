#include "ui/overview_render.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace karovel::ui {

const char* const OverviewViewTooSmallMessage =
    "The view is too small for the overview: it needs more than 50 pixels in each direction";
const char* const OverviewNoExtentMessage =
    "The maps cover no area that could be drawn: together they span no longitude or no latitude";

namespace {

// Nearest integer, halves to even; clamped so that a far-off rectangle cannot overflow an int.
int RoundToPixel(double value) {
  const double limit = 1 << 24;
  return int(std::nearbyint(std::clamp(value, -limit, limit)));
}

}  // namespace

OverviewBounds MapBounds(const catalogue::MapEntry& entry) {
  OverviewBounds b;
  b.west = entry.originLon;
  b.east = entry.originLon + entry.imageWidth * entry.lonPerPixel;
  b.north = entry.originLat;
  b.south = entry.originLat + entry.imageHeight * entry.latPerPixel;
  return b;
}

std::optional<OverviewGeometry> LayOutOverview(const std::vector<OverviewBounds>& maps, int width, int height,
                                               std::string* refusal) {
  auto refuse = [&](const char* text) {
    if (refusal) *refusal = text;
    return std::nullopt;
  };
  if (width <= 50 || height <= 50) return refuse(OverviewViewTooSmallMessage);

  OverviewGeometry g;
  g.width = width;
  g.height = height;
  g.minLon = 180;
  g.maxLon = -180;
  g.maxLat = -90;
  g.minLat = 90;
  for (const OverviewBounds& m : maps) {
    if (m.west < g.minLon) g.minLon = m.west;
    if (m.east > g.maxLon) g.maxLon = m.east;
    if (m.north > g.maxLat) g.maxLat = m.north;
    if (m.south < g.minLat) g.minLat = m.south;
  }
  const double lonSpan = g.maxLon - g.minLon;
  const double latSpan = g.maxLat - g.minLat;
  if (!std::isfinite(lonSpan) || !std::isfinite(latSpan) || lonSpan == 0 || latSpan == 0)
    return refuse(OverviewNoExtentMessage);

  const double sx = (width - 50) / lonSpan;
  const double sy = (height - 50) / latSpan;
  const double s = std::min(std::fabs(sx), std::fabs(sy));
  if (!(s > 0) || !std::isfinite(s)) return refuse(OverviewNoExtentMessage);
  g.scale = s;
  g.degPerPixel = 1 / s;
  // The tighter direction keeps its 25 pixels; the other is centred.
  if (sx > s) g.offsetX += RoundToPixel((std::fabs(sx) - s) * lonSpan / 2);
  if (sy > s) g.offsetY += RoundToPixel((std::fabs(sy) - s) * latSpan / 2);
  return g;
}

OverviewRect MapRectangle(const OverviewGeometry& g, const OverviewBounds& m) {
  OverviewRect r;
  r.x1 = RoundToPixel(g.offsetX + (m.west - g.minLon) * g.scale);
  r.x2 = RoundToPixel(g.offsetX + (m.east - g.minLon) * g.scale);
  r.y1 = RoundToPixel(g.height - g.offsetY - (m.north - g.minLat) * g.scale);
  r.y2 = RoundToPixel(g.height - g.offsetY - (m.south - g.minLat) * g.scale);
  return r;
}

QImage DrawOverview(const OverviewGeometry& g, const std::vector<OverviewBounds>& maps,
                    const std::vector<std::string>& names, QFont font) {
  QImage picture(std::max(g.width, 1), std::max(g.height, 1), QImage::Format_RGB32);
  // 96 dots per inch, so that 10 points are the 13 pixels a desktop shows.
  picture.setDotsPerMeterX(3780);
  picture.setDotsPerMeterY(3780);
  picture.fill(OverviewSilver);

  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  font.setPointSize(10);
  font.setBold(true);
  font.setStyleStrategy(QFont::NoAntialias);
  painter.setFont(font);

  for (size_t i = 0; i < maps.size(); ++i) {
    const OverviewRect r = MapRectangle(g, maps[i]);
    // The outline covers columns x1 to x2 - 1 and rows y1 to y2 - 1, whatever the corners' order.
    const int left = std::min(r.x1, r.x2), right = std::max(r.x1, r.x2);
    const int top = std::min(r.y1, r.y2), bottom = std::max(r.y1, r.y2);
    if (right - left >= 1 && bottom - top >= 1) {
      const QRect box(left, top, right - left, bottom - top);
      // A pattern brush paints only its lines: what lies beneath shows between them.
      painter.setBackgroundMode(Qt::TransparentMode);
      painter.fillRect(box, QBrush(QColor(OverviewBlue), Qt::DiagCrossPattern));
      painter.setPen(QPen(QColor(Qt::black), 0));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
    }
    const QString name = i < names.size() ? QString::fromStdString(names[i]) : QString();
    if (!name.isEmpty()) {
      const QFontMetrics metrics(font, &picture);
      const QRect textBox(r.x1 + 1, r.y1 + 1, metrics.horizontalAdvance(name), metrics.height());
      painter.fillRect(textBox, QColor(OverviewSilver));
      painter.setPen(QColor(OverviewBlue));
      painter.drawText(textBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);
    }
  }
  return picture;
}

}  // namespace karovel::ui
