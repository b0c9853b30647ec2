#include "catalogue/coordinate_format.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "base/platform_error.h"

namespace karovel::catalogue {

namespace {

// A non-negative decimal number as digit strings.
struct Digits {
  std::string integer;   // no leading zeros except a lone "0"
  std::string fraction;  // may be empty
};

// The exact decimal expansion of a finite a >= 0 (every double has a finite one).
Digits ExactDigits(double a) {
  int exponent = 0;
  std::frexp(a, &exponent);
  // The lowest mantissa bit weighs 2^(exponent - 53); subnormals stop at 2^-1074.
  int fractionDigits = a == 0 ? 0 : std::min(1074, std::max(0, 53 - exponent));
  char buf[1500];
  auto result = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::fixed, fractionDigits);
  std::string text(buf, result.ptr);
  Digits d;
  size_t point = text.find('.');
  if (point == std::string::npos) {
    d.integer = text;
  } else {
    d.integer = text.substr(0, point);
    d.fraction = text.substr(point + 1);
  }
  return d;
}

// Rounds half away from zero to `decimals` places; a negative count rounds to tens, hundreds, ...
// The result has exactly max(decimals, 0) fraction digits.
Digits RoundDigits(const Digits& exact, int decimals) {
  std::string all = exact.integer + exact.fraction;
  int pointPos = static_cast<int>(exact.integer.size());
  int keep = pointPos + decimals;  // digits of `all` kept
  bool up = keep >= 0 && keep < static_cast<int>(all.size()) && all[size_t(keep)] >= '5';
  if (keep < 0) keep = 0;
  if (keep < static_cast<int>(all.size())) all.resize(size_t(keep));
  all.append(size_t(std::max(0, pointPos + std::max(decimals, 0) - static_cast<int>(all.size()))), '0');
  if (up) {
    int i = keep - 1;
    while (i >= 0 && all[size_t(i)] == '9') all[size_t(i--)] = '0';
    if (i >= 0) {
      ++all[size_t(i)];
    } else {
      all.insert(all.begin(), '1');
      ++pointPos;
    }
  }
  Digits d;
  d.integer = all.substr(0, size_t(pointPos));
  d.fraction = all.substr(size_t(pointPos));
  size_t nonZero = d.integer.find_first_not_of('0');
  d.integer = nonZero == std::string::npos ? "0" : d.integer.substr(nonZero);
  return d;
}

std::string Assemble(bool negative, Digits d, int integerDigits, char decimalSeparator) {
  if (static_cast<int>(d.integer.size()) < integerDigits)
    d.integer.insert(0, size_t(integerDigits) - d.integer.size(), '0');
  bool zero = d.integer.find_first_not_of('0') == std::string::npos &&
              d.fraction.find_first_not_of('0') == std::string::npos;
  std::string text = negative && !zero ? "-" : "";
  text += d.integer;
  if (!d.fraction.empty()) {
    text += decimalSeparator;
    text += d.fraction;
  }
  return text;
}

std::string NonFinite(double value) {
  if (std::isnan(value)) return "nan";
  return value < 0 ? "-inf" : "inf";
}

// 1-based characters first..last of text, as far as text reaches.
std::string Characters(const std::string& text, size_t first, size_t last) {
  if (first > text.size()) return std::string();
  return text.substr(first - 1, last - first + 1);
}

struct Layout {
  int degreeDigits;       // 2 for latitude, 3 for longitude
  size_t cut[3];          // characters kept of t in each format
  size_t degreeEnd;       // last character of the degrees number in format 0
  size_t degreesOnly;     // last character of the whole degrees in formats 1 and 2
  size_t minutesFrom[2];  // first and last character of the minutes (format 1)
  size_t minutesTo[2];    // first and last character of the whole minutes (format 2)
  size_t secondsFrom[2];  // first and last character of the seconds (format 2)
};

constexpr Layout LatitudeLayout{2, {12, 15, 15}, 11, 2, {6, 15}, {6, 7}, {11, 15}};
constexpr Layout LongitudeLayout{3, {13, 15, 16}, 13, 3, {7, 15}, {7, 8}, {12, 16}};

CoordinateText FormatCoordinate(double v, int format, char sep, const Layout& layout) {
  CoordinateText result;
  result.hemisphereItem = v < 0 ? 1 : 0;
  const double a = std::fabs(v);
  std::string t;
  if (format == MinutesFormat) {
    const double d = std::trunc(a);
    t = FormatFixed(d, layout.degreeDigits, 0, sep) + " G " + FormatFixed((a - d) * 60, 2, 6, sep);
    result.text = t.substr(0, layout.cut[1]) + " M";
  } else if (format == SecondsFormat) {
    const double d = std::trunc(a);
    const double m = (a - d) * 60;
    const double mi = std::trunc(m);
    t = FormatFixed(d, layout.degreeDigits, 0, sep) + " G " + FormatFixed(mi, 2, 0, sep) + " M " +
        FormatFixed((m - mi) * 60, 2, 2, sep);
    result.text = t.substr(0, layout.cut[2]) + " S";
  } else {
    t = FormatFixed(a, layout.degreeDigits, 8, sep);
    result.text = t.substr(0, layout.cut[0]) + " G";
  }
  return result;
}

double ParseCoordinate(std::string text, int hemisphereItem, int format, char sep, const Layout& layout) {
  for (char& c : text)
    if (c == ' ') c = '0';
  double v;
  if (format == MinutesFormat) {
    v = TextToFloat(Characters(text, 1, layout.degreesOnly), sep) +
        TextToFloat(Characters(text, layout.minutesFrom[0], layout.minutesFrom[1]), sep) / 60;
  } else if (format == SecondsFormat) {
    v = TextToFloat(Characters(text, 1, layout.degreesOnly), sep) +
        TextToFloat(Characters(text, layout.minutesTo[0], layout.minutesTo[1]), sep) / 60 +
        TextToFloat(Characters(text, layout.secondsFrom[0], layout.secondsFrom[1]), sep) / 3600;
  } else {
    v = TextToFloat(Characters(text, 1, layout.degreeEnd), sep);
  }
  return hemisphereItem == 1 ? -v : v;
}

std::string FormatCursor(double value, int format, char sep) {
  const double v = std::fabs(value);
  if (format == MinutesFormat) {
    const double d = std::trunc(v);
    return FormatFixed(d, 1, 0, sep) + " " + FormatFixed((v - d) * 60, 2, 4, sep);
  }
  if (format == SecondsFormat) {
    const double d = std::trunc(v);
    const double m = std::trunc((v - d) * 60);
    const double s = ((v - d) * 60 - m) * 60;
    return FormatFixed(d, 1, 0, sep) + " " + FormatFixed(m, 1, 0, sep) + "'" + FormatFixed(s, 2, 1, sep) +
           "\"";
  }
  return FormatFixed(v, 2, 5, sep);
}

}  // namespace

std::string FormatFixed(double value, int integerDigits, int decimals, char decimalSeparator) {
  if (!std::isfinite(value)) return NonFinite(value);
  decimals = std::max(decimals, 0);
  return Assemble(std::signbit(value), RoundDigits(ExactDigits(std::fabs(value)), decimals), integerDigits,
                  decimalSeparator);
}

std::string FormatFixedSignificant(double value, int significantDigits, int decimals, char decimalSeparator) {
  if (!std::isfinite(value)) return NonFinite(value);
  decimals = std::max(decimals, 0);
  significantDigits = std::max(significantDigits, 1);
  Digits exact = ExactDigits(std::fabs(value));
  // Decimal places that still hold a significant digit.
  int places = decimals;
  if (exact.integer != "0") {
    places = significantDigits - static_cast<int>(exact.integer.size());
  } else {
    size_t first = exact.fraction.find_first_not_of('0');
    if (first != std::string::npos) places = static_cast<int>(first) + significantDigits;
  }
  Digits rounded = RoundDigits(exact, std::min(places, decimals));
  rounded.fraction.resize(size_t(decimals), '0');
  return Assemble(std::signbit(value), rounded, 1, decimalSeparator);
}

double TextToFloat(const std::string& text, char decimalSeparator) {
  auto invalid = [&] { return PlatformError("'" + text + "' is not a valid floating point value"); };
  size_t begin = text.find_first_not_of(' ');
  size_t end = text.find_last_not_of(' ');
  if (begin == std::string::npos) throw invalid();
  std::string number = text.substr(begin, end - begin + 1);
  if (number[0] == '+') number.erase(0, 1);
  for (char& c : number) {
    if (c == decimalSeparator) {
      c = '.';
    } else if (c == '.' || !((c >= '0' && c <= '9') || c == '-' || c == '+' || c == 'e' || c == 'E')) {
      throw invalid();
    }
  }
  if (number.empty() || number[0] == '+') throw invalid();
  double value = 0;
  auto [ptr, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || ptr != number.data() + number.size()) throw invalid();
  return value;
}

CoordinateMasks BuildCoordinateMasks(char sep) {
  const std::string s(1, sep);
  CoordinateMasks masks;
  masks.latitudeMasks = {"99" + s + "99999999 G;1;0", "99 G 99" + s + "999999 M;1;0",
                         "99 G 99 M 99" + s + "99 S;1;0"};
  masks.longitudeMasks = {"999" + s + "99999999 G;1;0", "999 G 99" + s + "999999 M;1;0",
                          "999 G 99 M 99" + s + "99 S;1;0"};
  return masks;
}

CoordinateText FormatLatitude(double degrees, int format, char decimalSeparator) {
  return FormatCoordinate(degrees, format, decimalSeparator, LatitudeLayout);
}

CoordinateText FormatLongitude(double degrees, int format, char decimalSeparator) {
  return FormatCoordinate(degrees, format, decimalSeparator, LongitudeLayout);
}

double ParseLatitude(const std::string& text, int hemisphereItem, int format, char decimalSeparator) {
  return ParseCoordinate(text, hemisphereItem, format, decimalSeparator, LatitudeLayout);
}

double ParseLongitude(const std::string& text, int hemisphereItem, int format, char decimalSeparator) {
  return ParseCoordinate(text, hemisphereItem, format, decimalSeparator, LongitudeLayout);
}

double ApplyHemisphere(double value, int hemisphereItem) {
  return hemisphereItem == 1 ? -std::fabs(value) : std::fabs(value);
}

std::string FormatCursorLatitude(double degrees, int format, char decimalSeparator) {
  return FormatCursor(degrees, format, decimalSeparator) + (degrees > 0 ? " N" : " S");
}

std::string FormatCursorLongitude(double degrees, int format, char decimalSeparator) {
  return FormatCursor(degrees, format, decimalSeparator) + (degrees > 0 ? " E" : " W");
}

}  // namespace karovel::catalogue
