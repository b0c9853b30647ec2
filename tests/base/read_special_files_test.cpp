// A path that names a pipe or a device is refused at once: opening a pipe for reading would otherwise
// wait for a writer that never comes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

#include "base/file_io.h"
#include "base/platform_error.h"
#include "tests/support/temp_dir.h"

namespace karovel {
namespace {

TEST(ReadWholeFile, APipeIsRefusedWithoutWaiting) {
  testing::TempDir dir;
  const std::string path = dir.File("maps.gmap");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  auto read = std::async(std::launch::async, [&] {
    try {
      ReadWholeFile(path);
    } catch (const PlatformError& e) {
      return std::string(e.what());
    }
    return std::string("read");
  });
  if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    // Let the blocked reader go so that the test can end.
    int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
    FAIL() << "ReadWholeFile waited for a writer";
  }
  EXPECT_EQ(read.get(), "Cannot open file " + path);
}

}  // namespace
}  // namespace karovel
