#include "tests/support/seed_corpus.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/file_io.h"
#include "image/image_loader.h"

namespace karovel::testing {

namespace {

// Fixtures beyond this only slow the fuzzers down.
constexpr size_t MaxSeedBytes = 256 * 1024;

const char* SeedDir() {
  static const char* dir = std::getenv("KAROVEL_SEED_DIR");
  return dir && *dir ? dir : nullptr;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string ExtensionOf(const std::string& path) {
  std::string name = FileNamePart(path);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : Lower(name.substr(dot + 1));
}

void RecordLoaderSeed(const std::string& extension, const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> seed(extension.begin(), extension.end());
  seed.push_back('\n');
  seed.insert(seed.end(), bytes.begin(), bytes.end());
  RecordSeed("loader", seed.data(), seed.size());
}

}  // namespace

std::string SeedSlug(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (!out.empty() && out.back() != '-') {
      out += '-';
    }
  }
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out;
}

void RecordSeed(const std::string& kind, const uint8_t* data, size_t size) {
  const char* dir = SeedDir();
  if (!dir || size > MaxSeedBytes) return;
  uint64_t hash = 1469598103934665603ull;  // FNV-1a: the same fixture lands in the same file
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::path(dir) / kind;
  std::filesystem::create_directories(folder, ec);
  std::ofstream out(folder / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void RecordFileSeed(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (!SeedDir()) return;
  const std::string extension = ExtensionOf(path);
  const image::ImageFamily* family = image::ChooseFamily(path, bytes.data(), bytes.size());
  if (family && family->decode) {
    RecordSeed("image-" + SeedSlug(family->description), bytes.data(), bytes.size());
    RecordLoaderSeed(extension, bytes);
  } else if (!extension.empty()) {
    RecordSeed("ext-" + SeedSlug(extension), bytes.data(), bytes.size());
  }
}

void RecordDecoderSeed(image::Decoder decode, const std::vector<uint8_t>& bytes) {
  if (!SeedDir()) return;
  for (const image::ImageFamily& family : image::ImageFamilies()) {
    if (family.decode != decode) continue;
    RecordSeed("image-" + SeedSlug(family.description), bytes.data(), bytes.size());
    if (!family.extensions.empty()) RecordLoaderSeed(family.extensions.front(), bytes);
    return;
  }
}

}  // namespace karovel::testing
