#pragma once
// The three text formats of reference coordinates, their edit masks, formatting and parsing.
#include <array>
#include <string>

namespace karovel::catalogue {

// Item index of the "Reference Format" radio group.
enum ReferenceFormat : int { DegreesFormat = 0, MinutesFormat = 1, SecondsFormat = 2 };

struct CoordinateMasks {
  std::array<std::string, 3> latitudeMasks;
  std::array<std::string, 3> longitudeMasks;
};

// The six edit masks, built with the user's decimal separator.
CoordinateMasks BuildCoordinateMasks(char decimalSeparator);

// Edit text and hemisphere item (0 "N"/"E" for zero or more, 1 "S"/"W" for negative).
struct CoordinateText {
  std::string text;
  int hemisphereItem = 0;
};

CoordinateText FormatLatitude(double degrees, int format, char decimalSeparator);
CoordinateText FormatLongitude(double degrees, int format, char decimalSeparator);

// Signed degrees from an edit text and its hemisphere item. Throws PlatformError (a conversion error a
// user can read) when the text holds no number.
double ParseLatitude(const std::string& text, int hemisphereItem, int format, char decimalSeparator);
double ParseLongitude(const std::string& text, int hemisphereItem, int format, char decimalSeparator);

}  // namespace karovel::catalogue
