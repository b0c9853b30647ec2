#pragma once
// Reading an RMP file back for karovel-rmp inspect: the members, the layers, and the consistency of the
// container, every tile index and every tile data file with each other.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace karovel::tools {

struct RmpMember {
  std::string name, extension;
  uint32_t offset = 0, length = 0;
  std::string FileName() const { return name + "." + extension; }
};

struct RmpTile {
  int32_t column = 0, row = 0;
  uint32_t jpegOffset = 0, jpegLength = 0;  // in the RMP file
};

struct RmpLayer {
  std::string name;  // topoK
  int32_t tiles = 0, across = 0, down = 0;
  double tileLatSpan = 0, tileLonSpan = 0;
  double left = 0, top = 0, right = 0, bottom = 0;
  std::vector<RmpTile> tileList;  // in index order: column by column
};

struct RmpContents {
  std::vector<RmpMember> members;
  std::vector<RmpLayer> layers;
};

// The first inconsistency found: the member (or "container"), the absolute file offset, what was
// expected and what was found.
class InspectError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Checks the whole file; throws InspectError at the first inconsistency.
RmpContents InspectRmp(const std::vector<uint8_t>& file);

}  // namespace karovel::tools
