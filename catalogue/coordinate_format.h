#pragma once
// The three text formats of reference coordinates, their edit masks, formatting and parsing, plus the
// cursor read-out texts. All locale-independent: the caller passes the user's decimal separator.
#include <array>
#include <string>

namespace karovel::catalogue {

// Item index of the "Reference Format" radio group. Any other value is treated as DegreesFormat.
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

// The stored value after the user picks a hemisphere item: 1 ("S"/"W") gives -|value|, 0 gives |value|.
double ApplyHemisphere(double value, int hemisphereItem);

// Status bar texts of the coordinates under the cursor, hemisphere suffix included (" N" only above
// zero, so exactly 0 reads " S"; likewise " E" / " W").
std::string FormatCursorLatitude(double degrees, int format, char decimalSeparator);
std::string FormatCursorLongitude(double degrees, int format, char decimalSeparator);

// value printed with at least integerDigits integer digits and exactly `decimals` decimals, rounded half
// away from zero on the exact value of the double; a '-' only when the printed digits are not all zero.
// Infinities and NaN print as "inf", "-inf", "nan".
std::string FormatFixed(double value, int integerDigits, int decimals, char decimalSeparator);

// Like FormatFixed, but keeps at most significantDigits significant digits before padding the decimals
// with zeros (significantDigits >= 1).
std::string FormatFixedSignificant(double value, int significantDigits, int decimals, char decimalSeparator);

// The number in text: optional sign, digits with at most one decimalSeparator, optional exponent;
// surrounding spaces are allowed. Throws PlatformError "'<text>' is not a valid floating point value"
// otherwise (also for a value beyond the range of a double).
double TextToFloat(const std::string& text, char decimalSeparator);

}  // namespace karovel::catalogue
