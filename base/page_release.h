#pragma once
// Lets a sequential reader of a large in-memory file give back the pages it has finished with, so the
// file is not resident in full next to what is being made from it (a decoded picture several times its
// size grows while the file is read).
#include <cstddef>
#include <cstdint>

namespace karovel {

class PageReleaser {
 public:
  PageReleaser(uint8_t* data, size_t size) : data_(data), size_(size) {}

  // The reader will not look at the bytes before offset again. Whole pages lying inside the buffer
  // before it are handed back, a few MiB at a time; they stay allocated and read as zero afterwards.
  // Nothing at or after offset is ever touched.
  void Consumed(size_t offset);

  // Every byte handed back lies before this offset (0 while nothing was).
  size_t ReleasedEnd() const { return releasedEnd_; }

  // Less than this is not worth a system call.
  static constexpr size_t Step = size_t(4) << 20;

 private:
  uint8_t* data_;
  size_t size_;
  size_t releasedEnd_ = 0;
};

}  // namespace karovel
