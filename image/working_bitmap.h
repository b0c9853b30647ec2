#pragma once
// The one decoded image the program holds: 8-bit RGB, row-major, 3 bytes a pixel, no row padding.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace karovel::image {

// Largest picture we accept: beyond this no allocation is tried (also keeps sizes inside 32 bits on a
// 32-bit build, where the address space ends well before it).
constexpr uint64_t MaxBitmapBytes = sizeof(void*) >= 8 ? (uint64_t(1) << 34) : (uint64_t(1) << 30);

struct WorkingBitmap {
  int32_t width = 0;
  int32_t height = 0;
  std::unique_ptr<uint8_t[]> pixels;  // width * height * 3 bytes, not zeroed on allocation

  bool Empty() const { return width == 0 || height == 0; }
  size_t RowBytes() const { return size_t(width) * 3; }
  uint8_t* Row(int32_t y) { return pixels.get() + size_t(y) * RowBytes(); }
  const uint8_t* Row(int32_t y) const { return pixels.get() + size_t(y) * RowBytes(); }
};

// Makes the bitmap width x height with uninitialised pixels. Returns false, leaving it empty, when the
// size is not positive, too large, or memory is exhausted.
bool AllocateBitmap(WorkingBitmap& bitmap, int64_t width, int64_t height);

}  // namespace karovel::image
