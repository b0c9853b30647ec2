#pragma once
// The overview drawing: every calibrated map as a hatched rectangle at its place, all at one scale that
// fits the view with a margin of 25 pixels.
#include <QFont>
#include <QImage>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/map_catalogue.h"

namespace karovel::ui {

struct OverviewBounds {
  double west = 0, east = 0, north = 0, south = 0;
};

// Bounds as the map's calibration gives them (north-up images have south < north).
OverviewBounds MapBounds(const catalogue::MapEntry& entry);

// Where the drawing went; kept by the window for the cursor read-out.
struct OverviewGeometry {
  double minLon = 0, maxLon = 0, minLat = 0, maxLat = 0;
  double scale = 0;        // pixels per degree
  double degPerPixel = 0;  // 1 / scale
  int offsetX = 25, offsetY = 25;
  int width = 0, height = 0;  // the view's size
};

extern const char* const OverviewViewTooSmallMessage;
extern const char* const OverviewNoExtentMessage;

// Common bounds, scale and margins for a view of width x height. Refuses (empty result, *refusal set to
// the text for a "Warning" box) a view of 50 pixels or less in either direction, and maps that together
// span no longitude or no latitude, where no scale exists.
std::optional<OverviewGeometry> LayOutOverview(const std::vector<OverviewBounds>& maps, int width, int height,
                                               std::string* refusal);

// The rectangle corners (x1, y1) north-west and (x2, y2) south-east of one map, in view pixels.
struct OverviewRect {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
OverviewRect MapRectangle(const OverviewGeometry& geometry, const OverviewBounds& map);

// The picture: silver, then each map in order with a black outline, a transparent blue diagonal-cross
// hatch, and its name in bold blue on silver at (x1 + 1, y1 + 1). names[i] belongs to maps[i].
QImage DrawOverview(const OverviewGeometry& geometry, const std::vector<OverviewBounds>& maps,
                    const std::vector<std::string>& names, QFont font = QFont());

inline constexpr QRgb OverviewSilver = 0xFFC0C0C0;
inline constexpr QRgb OverviewBlue = 0xFF0000FF;

}  // namespace karovel::ui
