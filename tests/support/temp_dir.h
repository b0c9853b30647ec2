#pragma once
// A fresh folder for one test, removed with everything in it at the end.
#include <cstdint>
#include <string>
#include <vector>

namespace karovel::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteTextFile(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadFile(const std::string& path);
std::string ReadTextFile(const std::string& path);

}  // namespace karovel::testing
