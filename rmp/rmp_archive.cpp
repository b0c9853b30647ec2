#include "rmp/rmp_archive.h"

#include <cctype>
#include <new>
#include <stdexcept>

#include "base/file_io.h"
#include "base/platform_error.h"

namespace karovel::rmp {

namespace {

const char* const OutOfMemory = "Out of memory while expanding memory stream";

std::string TooLargeMessage(uint64_t size, uint64_t limit) {
  return "The RMP file would be " + std::to_string(size) + " bytes or more, beyond the " +
         std::to_string(limit) + " bytes its 32-bit offsets can address; nothing was written";
}

}  // namespace

void WriteFixedField(ByteWriter& out, const std::string& text, size_t width) {
  if (text.size() > width)
    throw std::length_error("\"" + text + "\" is longer than its " + std::to_string(width) + "-byte field");
  out.Text(text);
  out.Zeros(width - text.size());
}

std::string BuildLayerIni(const std::string& baseName, int layerCount) {
  std::string upper = baseName;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string text = "[T_Layers]\r\n";
  for (int i = 0; i < layerCount; ++i)
    text += std::to_string(i) + "=" + upper + std::to_string(i + 1) + "\r\n";
  return text;
}

RmpArchive::RmpArchive() {
  directory.U32(0);  // the two counts, filled in by WriteToFile
  directory.U32(0);
}

uint64_t RmpArchive::DirectorySize(uint32_t entries) {
  const uint64_t beforeFill = 8 + 24 * uint64_t(entries) + 2 + 8;
  return (beforeFill + 15) / 16 * 16 + 16;
}

void RmpArchive::AddDirectoryEntry(const std::string& name, const std::string& extension, size_t size) {
  if (name.size() > 9 || extension.size() > 7)
    throw std::length_error("member name " + name + "." + extension + " does not fit its fields");
  const uint64_t after = DirectorySize(entryCount + 1) + contentSize + size;
  if (after > sizeLimit) throw PlatformError(TooLargeMessage(after, sizeLimit));
  WriteFixedField(directory, name, 9);
  WriteFixedField(directory, extension, 7);
  directory.U32(0);
  directory.U32(uint32_t(size));
}

void RmpArchive::AddEntry(const std::string& name, const std::string& extension, const uint8_t* data,
                          size_t size) {
  std::vector<uint8_t> copy;
  try {
    copy.assign(data, data + size);
  } catch (const std::bad_alloc&) {
    throw PlatformError(OutOfMemory);
  }
  AddEntry(name, extension, std::move(copy));
}

void RmpArchive::AddEntry(const std::string& name, const std::string& extension,
                          std::vector<uint8_t>&& data) {
  try {
    content.reserve(content.size() + 1);
    AddDirectoryEntry(name, extension, data.size());
    content.push_back(std::move(data));  // cannot throw after the reserve
  } catch (const std::bad_alloc&) {
    throw PlatformError(OutOfMemory);
  }
  contentSize += content.back().size();
  entryCount += 1;
}

void RmpArchive::WriteToFile(const std::string& path) {
  try {
    directory.U8(0x4A);
    directory.U8(0x4A);
    directory.Text("MAGELLAN");
    while (directory.Size() % 16 != 0) directory.U8(0);
    directory.Zeros(16);
  } catch (const std::bad_alloc&) {
    throw PlatformError(OutOfMemory);
  }
  uint32_t running = uint32_t(directory.Size());
  for (uint32_t j = 0; j < entryCount; ++j) {
    const uint32_t length = directory.U32At(24 * size_t(j) + 28);
    directory.PutU32At(24 * size_t(j) + 24, running);
    running += length;
  }
  directory.PutU32At(0, entryCount);
  directory.PutU32At(4, entryCount);
  // The directory and the members go out one after the other, without a joined copy of the file.
  std::vector<BytePiece> pieces{{directory.Bytes().data(), directory.Size()}};
  for (const std::vector<uint8_t>& member : content) pieces.push_back({member.data(), member.size()});
  WriteFileAtomically(path, pieces);
}

}  // namespace karovel::rmp
