#pragma once
// The RMP container: two entry counts, a directory of 24-byte entries, the directory trailer, then the
// data of every member back to back. Assembled in memory and written in one go.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_writer.h"

namespace karovel::rmp {

// Offsets and lengths are 32-bit, so no file may pass this size.
constexpr uint64_t MaxRmpFileSize = 0xFFFFFFFFu;

// Appends the text, then zero bytes up to width. A text longer than width throws std::length_error:
// a field is never wider than its width and a name is never cut silently.
void WriteFixedField(ByteWriter& out, const std::string& text, size_t width);

// "[T_Layers]\r\n", then per layer i "<i>=<BASE><i + 1>\r\n" with the base name in upper case.
std::string BuildLayerIni(const std::string& baseName, int layerCount);

class RmpArchive {
 public:
  RmpArchive();

  // Appends one member (name up to 9 characters, extension up to 7; longer ones throw
  // std::length_error). These two copy the data. Throws PlatformError when the file would pass sizeLimit or
  // memory runs out ("Out of memory while expanding memory stream").
  void AddEntry(const std::string& name, const std::string& extension, const uint8_t* data, size_t size);
  void AddEntry(const std::string& name, const std::string& extension, const std::vector<uint8_t>& data) {
    AddEntry(name, extension, data.data(), data.size());
  }
  // The same, taking the caller's buffer over instead of copying it (no second copy of a layer).
  void AddEntry(const std::string& name, const std::string& extension, std::vector<uint8_t>&& data);

  // Completes the directory and writes the file completely or not at all (PlatformError on failure,
  // the previous file untouched). Call once.
  void WriteToFile(const std::string& path);

  // Size of the directory with its trailer for a number of entries.
  static uint64_t DirectorySize(uint32_t entries);
  // Size the file has when written with the entries added so far.
  uint64_t FileSize() const { return DirectorySize(entryCount) + contentSize; }

  uint64_t sizeLimit = MaxRmpFileSize;  // lowered by tests
  ByteWriter directory;
  // The data of the entries in entry order; written back to back after the directory.
  std::vector<std::vector<uint8_t>> content;
  uint64_t contentSize = 0;
  uint32_t entryCount = 0;

 private:
  void AddDirectoryEntry(const std::string& name, const std::string& extension, size_t size);
};

}  // namespace karovel::rmp
