#include "base/byte_writer.h"

#include <cstring>
#include <stdexcept>

namespace karovel {

void ByteWriter::U16(uint16_t v) {
  bytes_.push_back(static_cast<uint8_t>(v));
  bytes_.push_back(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::U32(uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ByteWriter::F64(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) bytes_.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

void ByteWriter::Append(const void* data, size_t n) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + n);
}

void ByteWriter::ZeroFillTo(size_t size) {
  if (size > bytes_.size()) bytes_.resize(size, 0);
}

void ByteWriter::PutU32At(size_t pos, uint32_t v) {
  if (pos > bytes_.size() || bytes_.size() - pos < 4) throw std::out_of_range("write outside the buffer");
  for (int i = 0; i < 4; ++i) bytes_[pos + i] = static_cast<uint8_t>(v >> (8 * i));
}

void ByteWriter::PutF64At(size_t pos, double v) {
  if (pos > bytes_.size() || bytes_.size() - pos < 8) throw std::out_of_range("write outside the buffer");
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) bytes_[pos + i] = static_cast<uint8_t>(bits >> (8 * i));
}

uint32_t ByteWriter::U32At(size_t pos) const {
  if (pos > bytes_.size() || bytes_.size() - pos < 4) throw std::out_of_range("read outside the buffer");
  return uint32_t(bytes_[pos]) | (uint32_t(bytes_[pos + 1]) << 8) | (uint32_t(bytes_[pos + 2]) << 16) |
         (uint32_t(bytes_[pos + 3]) << 24);
}

}  // namespace karovel
