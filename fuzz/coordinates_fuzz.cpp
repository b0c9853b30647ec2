// The parsers of typed and imported coordinates. The first byte picks latitude or longitude, the
// format (3 is out of range on purpose), the hemisphere item and the user's decimal separator; the
// rest is the text. Failures must be PlatformError (typed text) or a refusal (map file lines).
#include <cmath>
#include <cstdint>
#include <string>

#include "base/message_sink.h"
#include "base/platform_error.h"
#include "catalogue/coordinate_format.h"
#include "fuzz/fuzz_support.h"
#include "mapfiles/ozi_import.h"

using namespace karovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t pick = data[0];
  const bool latitude = pick & 1;
  const int format = (pick >> 1) & 3;
  const int hemisphere = (pick >> 3) & 1;
  const char separator = ((pick >> 4) & 1) ? ',' : '.';
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  try {
    double value = latitude ? catalogue::ParseLatitude(text, hemisphere, format, separator)
                            : catalogue::ParseLongitude(text, hemisphere, format, separator);
    if (std::isfinite(value)) {
      (void)catalogue::FormatLatitude(value, format, separator);
      (void)catalogue::FormatLongitude(value, format, separator);
      (void)catalogue::FormatCursorLatitude(value, format, separator);
      (void)catalogue::FormatCursorLongitude(value, format, separator);
    }
  } catch (const PlatformError&) {
  }
  try {
    double value = catalogue::TextToFloat(text, separator);
    (void)catalogue::FormatFixed(value, 1 + (pick >> 5), pick >> 4, separator);
    (void)catalogue::FormatFixedSignificant(value, 1 + (pick >> 5), pick >> 4, separator);
  } catch (const PlatformError&) {
  }

  mapfiles::PointSet points{};
  const mapfiles::PointSet before = points;
  auto same = [&](const mapfiles::PointSet& a) {
    for (size_t i = 0; i < a.size(); ++i)
      if (a[i].pixelX != before[i].pixelX || a[i].pixelY != before[i].pixelY ||
          a[i].active != before[i].active || a[i].latitude != before[i].latitude ||
          a[i].longitude != before[i].longitude)
        return false;
    return true;
  };
  if (!mapfiles::ParseMmpxyLine(text, points)) FUZZ_EXPECT(same(points));
  points = before;
  RecordingMessageSink messages;
  if (!mapfiles::ParseMmpllLine(text, points, separator, messages)) FUZZ_EXPECT(same(points));
  FUZZ_EXPECT(messages.messages.size() <= 1);
  return 0;
}
