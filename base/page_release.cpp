#include "base/page_release.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

namespace karovel {

void PageReleaser::Consumed(size_t offset) {
#if defined(MADV_DONTNEED)
  static const uintptr_t page = uintptr_t(::sysconf(_SC_PAGESIZE));
  if (page == 0 || (page & (page - 1)) != 0) return;
  const uintptr_t base = reinterpret_cast<uintptr_t>(data_);
  // Only pages wholly inside the buffer: the allocator's bookkeeping may share the pages at its ends.
  const uintptr_t firstWhole = (base + page - 1) & ~(page - 1);
  const uintptr_t end = (base + std::min(offset, size_)) & ~(page - 1);
  const uintptr_t from = std::max(firstWhole, base + releasedEnd_);
  if (end <= from || end - from < Step) return;
  if (::madvise(reinterpret_cast<void*>(from), end - from, MADV_DONTNEED) == 0) releasedEnd_ = end - base;
#else
  (void)offset;
#endif
}

}  // namespace karovel
