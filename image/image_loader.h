#pragma once
// Decoding an image file into the one working bitmap, and the open-dialog filter built from the table.
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "base/message_sink.h"
#include "base/progress.h"
#include "image/image_family.h"
#include "image/working_bitmap.h"

namespace karovel::image {

// What the loader works on: the working bitmap slot and the hooks of its owner (the window or
// karovel-rmp). The hooks may be empty.
struct ImageHost {
  std::unique_ptr<WorkingBitmap> workingBitmap;  // none at start and after "Remove All"
  MessageSink* messages = nullptr;               // receives "Cannot load image\r\n<name>", caption "Error"
  ImageLoadProgressFn progress;                  // start / running percent / end
  std::function<void()> repaint;                 // repaint the window before a long decode
  std::function<void(const WorkingBitmap&)> loaded;  // a load succeeded: the view takes its picture
  const ImageFamily* family = nullptr;               // the family of the last load; nullptr after a failure
  // Told of every row of the working bitmap that is final, and (nullptr) before the bitmap is released.
  RowsDecodedFn rowsDecoded;
};

// Gives the host a rows hook for one scope (a load during the RMP build). The hook is gone however the
// scope ends, so the host never keeps a hook whose owner has gone.
class RowsDecodedScope {
 public:
  RowsDecodedScope(ImageHost& host, RowsDecodedFn hook) : host_(host) { host_.rowsDecoded = std::move(hook); }
  ~RowsDecodedScope() { host_.rowsDecoded = {}; }
  RowsDecodedScope(const RowsDecodedScope&) = delete;
  RowsDecodedScope& operator=(const RowsDecodedScope&) = delete;

 private:
  ImageHost& host_;
};

// Decodes the file into host.workingBitmap. The previous bitmap is released first; on failure the slot
// holds an empty (0 x 0) bitmap and the user has been told. Never throws.
bool LoadWorkingImage(ImageHost& host, const std::string& path);

// The same decode without the message and the host: returns the family that decoded the file, or
// nullptr on any failure (out is then empty). Never throws. rowsDecoded hears of the rows as they are
// decoded (at the latest all of them at the end), and gets nullptr before a failed bitmap is emptied.
const ImageFamily* DecodeImageFile(const std::string& path, WorkingBitmap& out,
                                   const ImageLoadProgressFn& progress = {},
                                   const RowsDecodedFn& rowsDecoded = {});

// The family that would decode these bytes of a file with this name: content tests first, in table
// order, then the extension (case-insensitive). nullptr when none.
const ImageFamily* ChooseFamily(const std::string& path, const uint8_t* data, size_t size);

// The filter list of the image open dialog (without the GIF entry the import command appends).
std::string ImageFileFilter();

}  // namespace karovel::image
