#include "mapfiles/ozi_import.h"

#include <sys/stat.h>

#include <charconv>
#include <optional>
#include <system_error>
#include <vector>

#include "base/file_io.h"
#include "catalogue/calibration.h"
#include "mapfiles/map_file.h"

namespace karovel::mapfiles {

using catalogue::MapCatalogue;
using catalogue::MaxReferencePoints;

namespace {

// Lines of LF or CR LF text; past the end a line reads empty.
class LineReader {
 public:
  explicit LineReader(const std::vector<uint8_t>& bytes) {
    std::string line;
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') {
        Push(line);
        continue;
      }
      line += char(bytes[i]);
    }
    if (!line.empty()) Push(line);
  }

  bool AtEnd() const { return next_ >= lines_.size(); }
  std::string Next() { return AtEnd() ? std::string() : lines_[next_++]; }

 private:
  void Push(std::string& line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(std::move(line));
    line.clear();
  }

  std::vector<std::string> lines_;
  size_t next_ = 0;
};

bool Contains(const std::string& line, const char* key) { return line.find(key) != std::string::npos; }

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// The text before the first comma of s, and s after it ("" and s unchanged when there is none: the
// field is then the empty text, as a missing field must not read as a number).
std::string TakeField(std::string& s, const std::string& separator) {
  size_t at = s.find(separator);
  if (at == std::string::npos) return std::string();
  std::string field = s.substr(0, at);
  s.erase(0, at + separator.size());
  return field;
}

// An integer with optional leading spaces and sign.
std::optional<int32_t> IntegerField(const std::string& text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return std::nullopt;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  if (*first == '+') ++first;
  if (first == last || *first == '+' || *first == ' ') return std::nullopt;
  int32_t value = 0;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

// A number whose decimal separator is chosen from its own text.
std::optional<double> CoordinateField(const std::string& text, char userSeparator) {
  const char separator = text.find(',') != std::string::npos   ? ','
                         : text.find('.') != std::string::npos ? '.'
                                                               : userSeparator;
  std::string t = Trim(text);
  if (t.empty()) return std::nullopt;
  // Only sign, digits, one separator and an exponent; from_chars would also take "inf" and the like.
  std::string plain;
  bool digitSeen = false, separatorSeen = false, exponentSeen = false;
  for (size_t i = 0; i < t.size(); ++i) {
    char c = t[i];
    if (c >= '0' && c <= '9') {
      digitSeen = true;
      plain += c;
    } else if (c == separator && !separatorSeen && !exponentSeen) {
      separatorSeen = true;
      plain += '.';
    } else if ((c == 'e' || c == 'E') && digitSeen && !exponentSeen) {
      exponentSeen = true;
      plain += 'e';
    } else if ((c == '+' || c == '-') && (i == 0 || t[i - 1] == 'e' || t[i - 1] == 'E')) {
      if (c == '-') plain += c;
    } else {
      return std::nullopt;
    }
  }
  double value = 0;
  auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (ec != std::errc() || ptr != plain.data() + plain.size()) return std::nullopt;
  return value;
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The image as written, or else the file of that name beside the .map file.
std::string FindImage(const std::string& imagePath, const std::string& mapFileName) {
  if (IsRegularFile(imagePath)) return imagePath;
  std::string folder = FolderPart(mapFileName);
  std::string beside = (folder.empty() ? std::string() : folder == "/" ? folder : folder + "/") +
                       FileNamePart(imagePath);
  return IsRegularFile(beside) ? beside : imagePath;
}

bool ValidPointNumber(int32_t n) { return n >= 1 && n <= MaxReferencePoints; }

}  // namespace

std::string MapNameFromImagePath(const std::string& imagePath) {
  std::string name = FileNamePart(imagePath);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return name;
  return name.substr(0, name.find(name.substr(dot)));
}

bool ParseMmpxyLine(const std::string& line, PointSet& points) {
  std::string s = line;
  size_t comma = s.find(',');
  if (comma == std::string::npos) return false;
  s.erase(0, comma + 1);
  auto n = IntegerField(TakeField(s, ","));
  auto x = IntegerField(TakeField(s, ","));
  auto y = IntegerField(Trim(s));
  if (!n || !x || !y || !ValidPointNumber(*n)) return false;
  points[size_t(*n - 1)].pixelX = *x;
  points[size_t(*n - 1)].pixelY = *y;
  return true;
}

bool ParseMmpllLine(const std::string& line, PointSet& points, char userSeparator, MessageSink& messages) {
  std::string s = line;
  size_t comma = s.find(',');
  if (comma == std::string::npos) return false;
  s.erase(0, comma + 1);
  size_t nEnd = s.find(',');
  auto n = IntegerField(nEnd == std::string::npos ? std::string() : s.substr(0, nEnd));
  if (!n || !ValidPointNumber(*n)) return false;

  // Only a comma followed by a space separates the coordinates: a decimal comma never is.
  size_t sep = s.find(", ");
  if (sep != std::string::npos) s.erase(0, sep + 2);
  sep = s.find(", ");
  const std::string lonText = sep == std::string::npos ? std::string() : s.substr(0, sep);
  auto lon = CoordinateField(lonText, userSeparator);
  if (!lon) {
    messages.Show("Canot convert " + lonText + " to float", "Error");
    return false;
  }
  s.erase(0, sep + 2);
  const std::string latText = Trim(s);
  auto lat = CoordinateField(latText, userSeparator);
  if (!lat) {
    messages.Show("Canot convert " + latText + " to float", "Error");
    return false;
  }
  auto& p = points[size_t(*n - 1)];
  p.longitude = *lon;
  p.latitude = *lat;
  p.active = true;
  return true;
}

void ImportOziMap(MapCatalogue& catalogue, image::ImageHost& host, MessageSink& messages,
                  const std::string& fileName) {
  LineReader in(ReadWholeFile(fileName));
  if (!Contains(in.Next(), "OziExplorer Map Data File")) {
    messages.Show("Not OZIExplorer file: " + fileName, "Error");
    return;
  }
  in.Next();
  const std::string imagePath = in.Next();
  const std::string name = MapNameFromImagePath(imagePath);
  if (name.empty()) {
    messages.Show(CorruptedMessage(fileName), "Error");
    return;
  }
  in.Next();
  const std::string datumLine = in.Next();
  if (datumLine.substr(0, datumLine.find(',')) != "WGS 84") {
    messages.Show("Map File " + fileName + " should be WGS 84, exit import", "Error");
    return;
  }

  // The points are gathered here and go into the free slot just before the map is added.
  PointSet points{};
  // A search that runs off the end means the file lost its point lines.
  auto seek = [&](std::string& line, const char* key) {
    while (!Contains(line, key)) {
      if (in.AtEnd()) return false;
      line = in.Next();
    }
    return true;
  };
  std::string line = in.Next();
  if (!seek(line, "MMPXY")) {
    messages.Show(CorruptedMessage(fileName), "Error");
    return;
  }
  for (int k = 0; k < 4 && Contains(line, "MMPXY"); ++k) {
    ParseMmpxyLine(line, points);
    line = in.Next();
  }
  if (!seek(line, "MMPLL")) {
    messages.Show(CorruptedMessage(fileName), "Error");
    return;
  }
  for (int k = 0; k < 4 && Contains(line, "MMPLL"); ++k) {
    ParseMmpllLine(line, points, catalogue.decimalSeparator, messages);
    line = in.Next();
  }

  if (catalogue.mapCount >= catalogue::MaxMaps) {
    messages.Show(catalogue::CatalogueFullMessage, "Error");
    return;
  }
  const int slot = catalogue.mapCount;
  catalogue.points[size_t(slot)] = points;
  if (!catalogue::AddMap(catalogue, host, messages, FindImage(imagePath, fileName), name, fileName)) return;
  catalogue::Calibrate(catalogue, slot, messages);
}

}  // namespace karovel::mapfiles
