#pragma once
// Whole-file input and all-or-nothing output.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace karovel {

// Reads the whole file. Throws PlatformError (for example for a missing file or a folder).
std::vector<uint8_t> ReadWholeFile(const std::string& path);

// Writes the file completely or not at all: the bytes go to a temporary file in the target's folder,
// which is flushed to disk and then renamed over the target. On any failure the previous file is left
// as it was, the temporary file is removed, and PlatformError is thrown with "Cannot create file <path>"
// (the temporary file cannot be made) or "Stream write error" (writing, flushing or renaming failed).
void WriteFileAtomically(const std::string& path, const void* data, size_t size);

// The same for a file made of several pieces written one after the other (no joined copy needed).
struct BytePiece {
  const void* data;
  size_t size;
};
void WriteFileAtomically(const std::string& path, const std::vector<BytePiece>& pieces);

// Test seam: called with the temporary file's path after it is complete and before the rename.
// Throwing from it simulates a writer killed at that moment.
extern std::function<void(const std::string& tempPath)> beforeAtomicRename;

// The file name without its folder; both "/" and "\" count as folder separators.
std::string FileNamePart(const std::string& path);
// The folder of a path without a trailing separator ("" when there is none).
std::string FolderPart(const std::string& path);

}  // namespace karovel
