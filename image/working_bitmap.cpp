#include "image/working_bitmap.h"

#include <new>

namespace karovel::image {

bool AllocateBitmap(WorkingBitmap& bitmap, int64_t width, int64_t height) {
  bitmap = WorkingBitmap{};
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
  uint64_t bytes = uint64_t(width) * uint64_t(height);
  if (bytes > MaxBitmapBytes / 3) return false;
  bytes *= 3;
  uint8_t* p = new (std::nothrow) uint8_t[static_cast<size_t>(bytes)];
  if (!p) return false;
  bitmap.pixels.reset(p);
  bitmap.width = static_cast<int32_t>(width);
  bitmap.height = static_cast<int32_t>(height);
  return true;
}

}  // namespace karovel::image
