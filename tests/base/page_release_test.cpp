#include "base/page_release.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace karovel {
namespace {

constexpr uint8_t kFill = 0xAB;
constexpr size_t kMiB = size_t(1) << 20;

// A buffer that starts off a page boundary, with guard bytes on both sides that must never change.
struct Buffer {
  explicit Buffer(size_t size) : storage(size + 2 * kGuard, kFill) {}
  static constexpr size_t kGuard = 4097;
  std::vector<uint8_t> storage;
  uint8_t* data() { return storage.data() + kGuard; }
  size_t size() const { return storage.size() - 2 * kGuard; }
  // First offset in the buffer not equal to kFill at or after from, or npos.
  size_t FirstChanged(size_t from, size_t to) const {
    for (size_t i = from; i < to; ++i)
      if (storage[kGuard + i] != kFill) return i;
    return std::string::npos;
  }
};

TEST(PageReleaser, GivesBackOnlyWholePagesBeforeTheOffset) {
  Buffer b(20 * kMiB);
  PageReleaser pages(b.data(), b.size());
  const size_t consumed = 12 * kMiB + 123;
  pages.Consumed(consumed);
  ASSERT_GT(pages.ReleasedEnd(), 8 * kMiB);
  EXPECT_LE(pages.ReleasedEnd(), consumed);
  EXPECT_EQ(b.FirstChanged(pages.ReleasedEnd(), b.size()), std::string::npos) << "unread bytes changed";
  for (size_t i = 0; i < Buffer::kGuard; ++i) ASSERT_EQ(b.storage[i], kFill) << "guard before the buffer";
#if defined(__linux__)
  // The released range really went back: its pages read as zero now.
  const size_t page = size_t(::sysconf(_SC_PAGESIZE));
  const size_t lead = (page - reinterpret_cast<uintptr_t>(b.data()) % page) % page;
  EXPECT_EQ(b.FirstChanged(0, lead), std::string::npos) << "the partial first page is shared";
  EXPECT_EQ(b.data()[lead], 0);
  EXPECT_EQ(b.data()[pages.ReleasedEnd() - 1], 0);
#endif
}

TEST(PageReleaser, SmallStepsBackwardStepsAndOffsetsPastTheEndTouchNothingUnread) {
  Buffer b(12 * kMiB);
  PageReleaser pages(b.data(), b.size());
  pages.Consumed(PageReleaser::Step / 2);
  EXPECT_EQ(pages.ReleasedEnd(), 0u) << "not worth a system call";
  EXPECT_EQ(b.FirstChanged(0, b.size()), std::string::npos);

  pages.Consumed(8 * kMiB);
  const size_t released = pages.ReleasedEnd();
  ASSERT_GT(released, 0u);
  pages.Consumed(2 * kMiB);
  EXPECT_EQ(pages.ReleasedEnd(), released) << "going back releases nothing more";

  pages.Consumed(size_t(1) << 40);
  EXPECT_LE(pages.ReleasedEnd(), b.size());
  for (size_t i = b.storage.size() - Buffer::kGuard; i < b.storage.size(); ++i)
    ASSERT_EQ(b.storage[i], kFill) << "guard after the buffer";
}

TEST(PageReleaser, ABufferSmallerThanOneStepIsNeverTouched) {
  Buffer b(PageReleaser::Step - 1);
  PageReleaser pages(b.data(), b.size());
  pages.Consumed(b.size());
  EXPECT_EQ(pages.ReleasedEnd(), 0u);
  EXPECT_EQ(b.FirstChanged(0, b.size()), std::string::npos);
}

}  // namespace
}  // namespace karovel
