#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tests/support/seed_corpus.h"

namespace karovel::testing {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "karovel-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  RecordFileSeed(path, bytes);
}

void WriteTextFile(const std::string& path, const std::string& text) {
  WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  RecordFileSeed(path, bytes);  // files the program wrote (an RMP, a map file) seed the fuzzers too
  return bytes;
}

std::string ReadTextFile(const std::string& path) {
  std::vector<uint8_t> bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace karovel::testing
