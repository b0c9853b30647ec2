#pragma once
// The one little-endian byte writer for binary output.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace karovel {

class ByteWriter {
 public:
  size_t Size() const { return bytes_.size(); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t> Release() { return std::move(bytes_); }
  void Reserve(size_t n) { bytes_.reserve(n); }

  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v);
  void U32(uint32_t v);
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void F64(double v);
  void Append(const void* data, size_t n);
  void Append(const std::vector<uint8_t>& data) { Append(data.data(), data.size()); }
  void Text(const std::string& s) { Append(s.data(), s.size()); }
  void Zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  // Grows with zero bytes up to the given size (never shrinks).
  void ZeroFillTo(size_t size);

  // Overwrite bytes already written.
  void PutU32At(size_t pos, uint32_t v);
  void PutI32At(size_t pos, int32_t v) { PutU32At(pos, static_cast<uint32_t>(v)); }
  void PutF64At(size_t pos, double v);
  uint32_t U32At(size_t pos) const;

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace karovel
