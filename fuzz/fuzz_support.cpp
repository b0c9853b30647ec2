#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace karovel::fuzz {

namespace {

struct Scratch {
  std::string path;
  Scratch() {
    std::error_code ec;
    std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string tmpl = (base / "karovel-fuzz-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    path = tmpl;
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

}  // namespace

const std::string& ScratchDir() {
  static Scratch scratch;
  return scratch.path;
}

std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size) {
  std::string path = ScratchDir() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  FUZZ_EXPECT(out.good());
  return path;
}

void TouchPixels(const image::WorkingBitmap& bitmap) {
  if (bitmap.Empty()) return;
  FUZZ_EXPECT(bitmap.pixels != nullptr);
  volatile unsigned sum = 0;
  const size_t bytes = bitmap.RowBytes() * size_t(bitmap.height);
  for (size_t i = 0; i < bytes; i += 7) sum = sum + bitmap.pixels[i];
  sum = sum + bitmap.pixels[bytes - 1];
}

}  // namespace karovel::fuzz
