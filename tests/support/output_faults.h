#pragma once
// Ways to make a file writer fail part way, for tests that check the previous file survives.
#include <signal.h>
#include <sys/resource.h>

#include <cstddef>
#include <filesystem>
#include <string>

#include "base/file_io.h"
#include "base/platform_error.h"

namespace karovel::testing {

// The writer is "killed" after its temporary file is complete and before the rename.
class KillBeforeRename {
 public:
  KillBeforeRename() {
    beforeAtomicRename = [](const std::string&) { throw PlatformError("killed before the rename"); };
  }
  ~KillBeforeRename() { beforeAtomicRename = nullptr; }
  KillBeforeRename(const KillBeforeRename&) = delete;
  KillBeforeRename& operator=(const KillBeforeRename&) = delete;
};

// The disk is full after `bytes` bytes of any one file: writes beyond fail as on a full disk (root is
// not exempt, unlike a read-only folder).
class DiskFullAfter {
 public:
  explicit DiskFullAfter(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~DiskFullAfter() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previousHandler_);
  }
  DiskFullAfter(const DiskFullAfter&) = delete;
  DiskFullAfter& operator=(const DiskFullAfter&) = delete;

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = nullptr;
};

inline size_t FilesIn(const std::string& dir) {
  size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) (void)entry, ++n;
  return n;
}

}  // namespace karovel::testing
