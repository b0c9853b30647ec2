#include "base/byte_reader.h"

#include <cstring>

namespace karovel {

void ByteReader::Need(size_t n) const {
  if (n > Remaining()) throw ReadError("unexpected end of data");
}

void ByteReader::NeedAt(size_t pos, size_t n) const {
  if (pos > size_ || n > size_ - pos) throw ReadError("read outside the data");
}

void ByteReader::Seek(size_t pos) {
  if (pos > size_) throw ReadError("seek outside the data");
  pos_ = pos;
}

void ByteReader::Skip(size_t n) {
  Need(n);
  pos_ += n;
}

const uint8_t* ByteReader::Take(size_t n) {
  Need(n);
  const uint8_t* p = data_ + pos_;
  pos_ += n;
  return p;
}

ByteReader ByteReader::Sub(size_t n) { return ByteReader(Take(n), n); }

uint8_t ByteReader::U8() { return *Take(1); }

uint16_t ByteReader::U16LE() {
  const uint8_t* p = Take(2);
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint16_t ByteReader::U16BE() {
  const uint8_t* p = Take(2);
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t ByteReader::U32LE() {
  const uint8_t* p = Take(4);
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint32_t ByteReader::U32BE() {
  const uint8_t* p = Take(4);
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

double ByteReader::F64LE() {
  const uint8_t* p = Take(8);
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | p[i];
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

std::string ByteReader::Text(size_t n) {
  const uint8_t* p = Take(n);
  return std::string(reinterpret_cast<const char*>(p), n);
}

uint8_t ByteReader::U8At(size_t pos) const {
  NeedAt(pos, 1);
  return data_[pos];
}

uint16_t ByteReader::U16LEAt(size_t pos) const {
  NeedAt(pos, 2);
  return static_cast<uint16_t>(data_[pos] | (data_[pos + 1] << 8));
}

uint32_t ByteReader::U32LEAt(size_t pos) const {
  NeedAt(pos, 4);
  const uint8_t* p = data_ + pos;
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

double ByteReader::F64LEAt(size_t pos) const {
  NeedAt(pos, 8);
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | data_[pos + i];
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

}  // namespace karovel
