#include "catalogue/calibration.h"

namespace karovel::catalogue {

const char* const TooFewPointsMessage = "There must be at least 2 Reference Points";
const char* const ZeroScaleMessage = "Calibration error, XScale or YScale =0";
const char* const SameColumnOrRowMessage = "Calibration error, reference points must differ in X and in Y";

namespace {

void MarkUncalibrated(MapCatalogue& catalogue, int index) {
  catalogue.entries[size_t(index)].calibrated = false;
  catalogue.grid1.SetCell(index + 1, ColR, "N");
}

}  // namespace

void Calibrate(MapCatalogue& catalogue, int index, MessageSink& messages) {
  if (index < 0 || index >= catalogue.mapCount || index >= MaxMaps) return;
  double n = 0, sx = 0, sxx = 0, sLon = 0, sxLon = 0, sy = 0, syy = 0, sLat = 0, syLat = 0;
  for (const ReferencePoint& p : catalogue.points[size_t(index)]) {
    if (!p.active) continue;
    const double x = p.pixelX, y = p.pixelY;
    n += 1;
    sx += x;
    sxx += x * x;
    sLon += p.longitude;
    sxLon += x * p.longitude;
    sy += y;
    syy += y * y;
    sLat += p.latitude;
    syLat += y * p.latitude;
  }
  if (n < 2) {
    MarkUncalibrated(catalogue, index);
    messages.Show(TooFewPointsMessage, "Error");
    return;
  }
  // All points in one column or one row leave a slope undetermined: fail before touching the entry.
  const double xDenominator = n * sxx - sx * sx;
  const double yDenominator = n * syy - sy * sy;
  if (xDenominator == 0 || yDenominator == 0) {
    MarkUncalibrated(catalogue, index);
    messages.Show(SameColumnOrRowMessage, "Error");
    return;
  }
  MapEntry& entry = catalogue.entries[size_t(index)];
  entry.lonPerPixel = (n * sxLon - sx * sLon) / xDenominator;
  entry.latPerPixel = (n * syLat - sy * sLat) / yDenominator;
  entry.originLon = (sLon - entry.lonPerPixel * sx) / n;
  entry.originLat = (sLat - entry.latPerPixel * sy) / n;
  if (entry.lonPerPixel == 0 || entry.latPerPixel == 0) {
    messages.Show(ZeroScaleMessage, "Error");
    MarkUncalibrated(catalogue, index);
    return;
  }
  catalogue.grid1.SetCell(index + 1, ColR, "Y");
  entry.calibrated = true;
}

}  // namespace karovel::catalogue
