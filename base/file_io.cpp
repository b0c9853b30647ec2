#include "base/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/platform_error.h"

namespace karovel {

std::function<void(const std::string&)> beforeAtomicRename;

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    int f = fd_;
    fd_ = -1;
    return f;
  }

 private:
  int fd_;
};

}  // namespace

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  // O_NONBLOCK: opening a pipe must not wait for a writer (only regular files are read, see below).
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    int err = errno;
    throw PlatformError(err == ENOENT ? "File not found: " + path
                                      : "Cannot open file " + path + ": " + std::strerror(err));
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) throw PlatformError("Cannot open file " + path);
  std::vector<uint8_t> data;
  try {
    data.reserve(static_cast<size_t>(st.st_size));
  } catch (const std::exception&) {
    throw PlatformError("Out of memory reading " + path);
  }
  uint8_t buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw PlatformError("Read error in " + path + ": " + std::strerror(errno));
    }
    if (n == 0) break;
    data.insert(data.end(), buf, buf + n);
  }
  return data;
}

void WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  WriteFileAtomically(path, std::vector<BytePiece>{{data, size}});
}

void WriteFileAtomically(const std::string& path, const std::vector<BytePiece>& pieces) {
  std::string folder = FolderPart(path);
  std::string tmpl = (folder.empty() ? std::string() : folder + "/") + "." + FileNamePart(path) + ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  Fd fd(::mkstemp(name.data()));
  if (fd.get() < 0) throw PlatformError("Cannot create file " + path);
  std::string tempPath(name.data());
  auto fail = [&](const char* what) {
    ::unlink(tempPath.c_str());
    throw PlatformError(what);
  };
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd.get(), 0666 & ~mask);
  for (const BytePiece& piece : pieces) {
    const uint8_t* p = static_cast<const uint8_t*>(piece.data);
    size_t left = piece.size;
    while (left > 0) {
      ssize_t n = ::write(fd.get(), p, left);
      if (n < 0) {
        if (errno == EINTR) continue;
        fail("Stream write error");
      }
      p += n;
      left -= static_cast<size_t>(n);
    }
  }
  if (::fsync(fd.get()) != 0) fail("Stream write error");
  if (::close(fd.release()) != 0) fail("Stream write error");
  if (beforeAtomicRename) {
    try {
      beforeAtomicRename(tempPath);
    } catch (...) {
      ::unlink(tempPath.c_str());
      throw;
    }
  }
  if (::rename(tempPath.c_str(), path.c_str()) != 0) fail("Stream write error");
}

std::string FileNamePart(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string FolderPart(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) return std::string();
  if (cut == 0) return path.substr(0, 1);
  return path.substr(0, cut);
}

}  // namespace karovel
