// Encapsulated PostScript: we cannot render PostScript, so only the TIFF preview of a binary EPS is
// shown. A plain-text EPS has no preview and fails.
#include "base/byte_reader.h"
#include "image/decoders.h"

namespace karovel::image {

namespace {
constexpr uint8_t kMagic[4] = {0xC5, 0xD0, 0xD3, 0xC6};
constexpr size_t kHeaderSize = 30;
}  // namespace

bool IsEps(const uint8_t* data, size_t size) {
  return size >= kHeaderSize && data[0] == kMagic[0] && data[1] == kMagic[1] && data[2] == kMagic[2] &&
         data[3] == kMagic[3];
}

void DecodeEps(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  if (!IsEps(input.data, input.size)) throw DecodeError("EPS: no binary header with a preview");
  ByteReader reader(input.data, input.size);
  uint32_t offset = reader.U32LEAt(20);
  uint32_t length = reader.U32LEAt(24);
  if (offset == 0 || length == 0) throw DecodeError("EPS: no TIFF preview");
  if (offset > input.size || length > input.size - offset) throw DecodeError("EPS: preview outside the file");
  reader.Seek(offset);
  const uint8_t* preview = reader.Take(length);
  if (!IsTiff(preview, length)) throw DecodeError("EPS: the preview is not a TIFF");
  DecodeTiff(DecodeInput{preview, length, input.path}, out, progress);
}

}  // namespace karovel::image
