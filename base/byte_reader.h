#pragma once
// The one bounds-checked reader for binary input. Every read checks what remains first; a read past the
// end throws ReadError, which the callers turn into their own failure.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace karovel {

class ReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Size() const { return size_; }
  size_t Position() const { return pos_; }
  size_t Remaining() const { return size_ - pos_; }
  bool CanRead(size_t n) const { return n <= Remaining(); }
  bool AtEnd() const { return pos_ == size_; }
  const uint8_t* Data() const { return data_; }

  void Seek(size_t pos);
  void Skip(size_t n);
  // Returns a pointer to the next n bytes and moves past them.
  const uint8_t* Take(size_t n);
  // A reader over the next n bytes; this reader moves past them.
  ByteReader Sub(size_t n);

  uint8_t U8();
  uint16_t U16LE();
  uint16_t U16BE();
  uint32_t U32LE();
  uint32_t U32BE();
  int16_t I16LE() { return static_cast<int16_t>(U16LE()); }
  int16_t I16BE() { return static_cast<int16_t>(U16BE()); }
  int32_t I32LE() { return static_cast<int32_t>(U32LE()); }
  int32_t I32BE() { return static_cast<int32_t>(U32BE()); }
  double F64LE();
  std::string Text(size_t n);

  // Reads at an absolute position without moving.
  uint8_t U8At(size_t pos) const;
  uint16_t U16LEAt(size_t pos) const;
  uint32_t U32LEAt(size_t pos) const;
  int32_t I32LEAt(size_t pos) const { return static_cast<int32_t>(U32LEAt(pos)); }
  double F64LEAt(size_t pos) const;

 private:
  void Need(size_t n) const;
  void NeedAt(size_t pos, size_t n) const;

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace karovel
