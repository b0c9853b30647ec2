#pragma once
// One image family of the format table: description, extensions, optional content test, decoder.
// Every family lives in its own file (jpeg.cpp, png.cpp, ...) and exposes its test and decoder here.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "image/working_bitmap.h"

namespace karovel::image {

// Any decoding failure. The loader turns every failure into its one message, so the text is only for
// diagnostics (karovel-rmp prints nothing of it either).
class DecodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Rows [0, rows) of *bitmap hold their final pixels and may be read (from any thread) until the next
// call. nullptr: the bitmap is about to be released or replaced, and nothing may read it any more.
// Called on the decoding thread; the RMP build uses it to encode tiles while the rest is decoded.
using RowsDecodedFn = std::function<void(const WorkingBitmap* bitmap, int32_t rows)>;

struct DecodeInput {
  DecodeInput() = default;
  DecodeInput(const uint8_t* bytes, size_t length, std::string filePath,
              std::function<void(size_t offset)> consumedHook = {})
      : data(bytes), size(length), path(std::move(filePath)), consumed(std::move(consumedHook)) {}

  const uint8_t* data = nullptr;
  size_t size = 0;
  std::string path;  // for families that look beside the file (Dr. Halo palettes)
  // Sequential decoders may report that they will not read the bytes before an offset again; the
  // loader then gives those pages back (they read as zero), so a large file is not resident in full
  // next to the picture growing from it. May be empty.
  std::function<void(size_t offset)> consumed;
  // Decoders that fill the bitmap from the top report finished rows here; the loader reports the whole
  // bitmap after any decode. May be empty.
  RowsDecodedFn rowsDecoded;

  void ReportRows(const WorkingBitmap& bitmap, int32_t rows) const {
    if (rowsDecoded) rowsDecoded(&bitmap, rows);
  }
  // Empties a bitmap whose rows may have been reported: whoever reads them stops first.
  void Discard(WorkingBitmap& bitmap) const {
    if (rowsDecoded) rowsDecoded(nullptr, 0);
    bitmap = WorkingBitmap{};
  }
};

// Reports the running percentage (0 to 100) of a decode; may be empty.
using RowProgress = std::function<void(int percent)>;

using ContentTest = bool (*)(const uint8_t* data, size_t size);
// Fills out (via AllocateBitmap) or throws (DecodeError, ReadError, std::bad_alloc, ...).
using Decoder = void (*)(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress);

struct ImageFamily {
  std::string description;
  std::vector<std::string> extensions;  // lower case, without the dot
  ContentTest contentTest;              // nullptr: recognised by extension only
  Decoder decode;                       // nullptr: never usable as a map image (icons, metafiles)
};

// The format table, in its order; GIF is the last row.
const std::vector<ImageFamily>& ImageFamilies();

// Calls progress with row * 100 / rows when the percentage changes; decoders report by rows.
class RowProgressReporter {
 public:
  RowProgressReporter(const RowProgress& progress, int64_t rows) : progress_(progress), rows_(rows) {}
  void Row(int64_t done) {
    if (!progress_ || rows_ <= 0) return;
    int p = static_cast<int>(done * 100 / rows_);
    if (p != last_) {
      last_ = p;
      progress_(p);
    }
  }

 private:
  const RowProgress& progress_;
  int64_t rows_;
  int last_ = -1;
};

}  // namespace karovel::image
