#include "mapfiles/map_file.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "base/file_io.h"
#include "base/platform_error.h"

namespace karovel::mapfiles {

using catalogue::MapCatalogue;
using catalogue::MapEntry;
using catalogue::MaxMaps;
using catalogue::MaxReferencePoints;
using catalogue::ReferencePoint;

namespace {

// The exact decimal value of a finite, non-negative double: digits d1 d2 ... with value
// d1.d2d3... x 10^exponent. std::to_chars with enough digits is exact and locale-free.
struct Decimal {
  std::string digits;
  int exponent = 0;
};

Decimal ExactDecimal(double magnitude) {
  // 767 significant digits are the most a double's exact expansion needs.
  char buf[800];
  auto result = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 770);
  std::string text(buf, result.ptr);
  size_t e = text.find('e');
  Decimal d;
  d.exponent = std::atoi(text.c_str() + e + 1);
  for (size_t i = 0; i < e; ++i)
    if (text[i] != '.') d.digits += text[i];
  return d;
}

// Keeps the first `keep` digits (keep >= 1), rounding half up on the exact value.
void RoundHalfUp(Decimal& d, int keep) {
  if (size_t(keep) >= d.digits.size()) {
    d.digits.resize(size_t(keep), '0');
    return;
  }
  bool up = d.digits[size_t(keep)] >= '5';
  d.digits.resize(size_t(keep));
  if (!up) return;
  for (int i = keep - 1; i >= 0; --i) {
    if (d.digits[size_t(i)] != '9') {
      d.digits[size_t(i)] += 1;
      return;
    }
    d.digits[size_t(i)] = '0';
  }
  // All nines: 9.99... became 10.00...
  d.digits.insert(d.digits.begin(), '1');
  d.digits.pop_back();
  d.exponent += 1;
}

bool AllZero(const std::string& digits) { return digits.find_first_not_of('0') == std::string::npos; }

std::string PadLeft(std::string text, size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

const char* const NumericInputError = "Invalid numeric input";

// The file as the reader sees it: lines ending in LF or CR LF; at the end a line reads empty and a
// number 0.
class TextCursor {
 public:
  explicit TextCursor(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  bool AtEnd() const { return pos_ >= bytes_.size(); }

  std::string ReadLine() {
    std::string line;
    while (pos_ < bytes_.size() && bytes_[pos_] != '\n') line += char(bytes_[pos_++]);
    if (pos_ < bytes_.size()) ++pos_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }

  void SkipLine() {
    while (pos_ < bytes_.size() && bytes_[pos_] != '\n') ++pos_;
    if (pos_ < bytes_.size()) ++pos_;
  }

  // The next run of non-blank characters after any run of spaces, tabs and line ends ("" at the end).
  std::string ReadToken() {
    while (pos_ < bytes_.size() && IsBlank(bytes_[pos_])) ++pos_;
    std::string token;
    while (pos_ < bytes_.size() && !IsBlank(bytes_[pos_])) token += char(bytes_[pos_++]);
    return token;
  }

  int32_t ReadInteger() {
    std::string token = ReadToken();
    if (token.empty()) return 0;
    const char* first = token.data();
    const char* last = first + token.size();
    if (*first == '+') ++first;
    if (first == last || *first == '+') throw PlatformError(NumericInputError);
    int32_t value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) throw PlatformError(NumericInputError);
    return value;
  }

  double ReadNumber() {
    std::string token = ReadToken();
    if (token.empty()) return 0;
    // from_chars would also take "inf", "nan" and hexadecimal forms; the file has only plain numbers.
    if (token.find_first_not_of("0123456789+-.eE") != std::string::npos)
      throw PlatformError(NumericInputError);
    const char* first = token.data();
    const char* last = first + token.size();
    if (*first == '+') ++first;
    if (first == last || *first == '+') throw PlatformError(NumericInputError);
    double value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last) throw PlatformError(NumericInputError);
    return value;
  }

 private:
  static bool IsBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

  std::vector<uint8_t> bytes_;
  size_t pos_ = 0;
};

void AppendRecord(std::string& out, const MapCatalogue& catalogue, int row) {
  static const MapEntry noEntry{};
  static const std::array<ReferencePoint, MaxReferencePoints> noPoints{};
  const bool hasSlot = row >= 1 && row <= MaxMaps;
  const MapEntry& entry = hasSlot ? catalogue.entries[size_t(row - 1)] : noEntry;
  const auto& points = hasSlot ? catalogue.points[size_t(row - 1)] : noPoints;

  out += "Path=" + catalogue.grid2.Cell(row, catalogue::ColFname) + "\r\n";
  out += "Wexaname=" + catalogue.grid1.Cell(row, catalogue::ColName) + "\r\n";
  if (entry.calibrated) {
    out += "Calib=1\r\n";
    out += RealText(entry.originLon) + " " + RealText(entry.originLat) + " " + RealText(entry.lonPerPixel) +
           " " + RealText(entry.latPerPixel) + "\r\n";
  } else {
    out += "Calib=0\r\n";
  }
  for (const ReferencePoint& p : points) {
    out += IntegerText(p.pixelX) + " " + IntegerText(p.pixelY) + " " + FixedText(p.latitude) + " " +
           FixedText(p.longitude) + " " + (p.active ? "1" : "0") + "\r\n";
  }
}

}  // namespace

std::string CorruptedMessage(const std::string& fileName) {
  return "Map File " + fileName + " corrupted, exit import";
}

std::string IntegerText(int32_t value) { return std::to_string(value); }

std::string FixedText(double value) {
  if (!std::isfinite(value)) return PadLeft(std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF", 11);
  constexpr int decimals = 8;
  Decimal d = ExactDecimal(std::fabs(value));
  // Digits kept: those before the point plus 8 after it. Leading zeros make room for values that
  // round to nothing or to the first decimal place.
  int keep = d.exponent + 1 + decimals;
  if (keep < 1) {
    d.digits.insert(0, size_t(1 - keep), '0');
    d.exponent += 1 - keep;
    keep = 1;
  }
  RoundHalfUp(d, keep);
  if (d.exponent + 1 + decimals > keep) d.digits += '0';  // a carry added a digit before the point
  std::string intPart, fracPart;
  const int intDigits = d.exponent + 1;
  if (intDigits <= 0) {
    intPart = "0";
    fracPart = std::string(size_t(-intDigits), '0') + d.digits;
  } else {
    intPart = d.digits.substr(0, size_t(intDigits));
    fracPart = d.digits.substr(size_t(intDigits));
  }
  fracPart.resize(decimals, '0');
  size_t nonZero = intPart.find_first_not_of('0');
  intPart = nonZero == std::string::npos ? "0" : intPart.substr(nonZero);
  const bool negative = std::signbit(value) && !(AllZero(intPart) && AllZero(fracPart));
  return PadLeft((negative ? "-" : "") + intPart + "." + fracPart, 11);
}

std::string RealText(double value) {
  if (!std::isfinite(value)) return PadLeft(std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF", 23);
  constexpr int significant = 15;
  std::string mantissa(significant, '0');
  int exponent = 0;
  if (value != 0) {
    Decimal d = ExactDecimal(std::fabs(value));
    RoundHalfUp(d, significant);
    mantissa = d.digits;
    exponent = d.exponent;
  }
  std::string text = std::signbit(value) && value != 0 ? "-" : " ";
  text += mantissa[0];
  text += '.';
  text += mantissa.substr(1);
  text += 'E';
  text += exponent < 0 ? '-' : '+';
  std::string digits = std::to_string(std::abs(exponent));
  text += std::string(4 - std::min<size_t>(4, digits.size()), '0') + digits;
  return text;
}

std::string MapFileText(const MapCatalogue& catalogue, int firstRow, int lastRow) {
  std::string out;
  for (int row = firstRow; row <= lastRow; ++row) AppendRecord(out, catalogue, row);
  return out;
}

void WriteMapFileRows(const MapCatalogue& catalogue, int firstRow, int lastRow, const std::string& path) {
  std::string text = MapFileText(catalogue, firstRow, lastRow);
  WriteFileAtomically(path, text.data(), text.size());
}

std::string WithDefaultExtension(const std::string& path, const std::string& extension) {
  std::string name = FileNamePart(path);
  if (name.empty() || name.find('.') != std::string::npos) return path;
  std::string ext = !extension.empty() && extension[0] == '*' ? extension.substr(1) : extension;
  return path + ext;
}

std::string ValueAfterKey(const std::string& key, const std::string& line) {
  size_t at = line.find(key);
  return at == std::string::npos ? std::string() : line.substr(at + key.size());
}

void ReadMapFile(MapCatalogue& catalogue, image::ImageHost& host, MessageSink& messages,
                 const std::string& fileName) {
  TextCursor in(ReadWholeFile(fileName));
  while (!in.AtEnd()) {
    std::string line = in.ReadLine();
    if (line.find("Path=") == std::string::npos) continue;
    const std::string imagePath = ValueAfterKey("Path=", line);
    line = in.ReadLine();
    if (line.find("Wexaname=") == std::string::npos) {
      messages.Show(CorruptedMessage(fileName), "Error");
      return;
    }
    const std::string name = ValueAfterKey("Wexaname=", line);

    // The record is gathered here and moved into the free slot only when it is complete, so that a
    // damaged record leaves the free slot zero (and a full catalogue has no slot to spoil).
    MapEntry entry{};
    std::array<ReferencePoint, MaxReferencePoints> points{};
    line = in.ReadLine();
    if (line.find("Calib=1") != std::string::npos) {
      entry.originLon = in.ReadNumber();
      entry.originLat = in.ReadNumber();
      entry.lonPerPixel = in.ReadNumber();
      entry.latPerPixel = in.ReadNumber();
      in.SkipLine();
      entry.calibrated = true;
    }
    for (ReferencePoint& p : points) {
      p.pixelX = in.ReadInteger();
      p.pixelY = in.ReadInteger();
      p.latitude = in.ReadNumber();
      p.longitude = in.ReadNumber();
      int32_t flag = in.ReadInteger();
      in.SkipLine();
      if (flag != 0 && flag != 1) {
        messages.Show(CorruptedMessage(fileName), "Error");
        return;
      }
      p.active = flag == 1;
    }

    if (catalogue.mapCount >= MaxMaps) {
      // Every further record would be refused the same way.
      messages.Show(catalogue::CatalogueFullMessage, "Error");
      return;
    }
    catalogue.entries[size_t(catalogue.mapCount)] = entry;
    catalogue.points[size_t(catalogue.mapCount)] = points;
    catalogue::AddMap(catalogue, host, messages, imagePath, name, fileName);
  }
}

}  // namespace karovel::mapfiles
