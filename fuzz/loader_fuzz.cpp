// The whole loader as the window calls it, file and all. The input is "<extension>\n<file bytes>" (no
// newline within the first 9 bytes: a file without extension), so the fuzzer also varies the name.
#include <cstdint>
#include <cstring>
#include <string>

#include "base/message_sink.h"
#include "fuzz/fuzz_support.h"
#include "image/image_loader.h"

using namespace karovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name = "picture";
  const void* newline = std::memchr(data, '\n', size < 9 ? size : 9);
  if (newline) {
    size_t n = static_cast<const uint8_t*>(newline) - data;
    std::string extension;
    for (size_t i = 0; i < n; ++i) {
      char c = static_cast<char>(data[i]);
      extension += (std::isalnum(static_cast<unsigned char>(c)) ? c : 'x');
    }
    if (!extension.empty()) name += "." + extension;
    data += n + 1;
    size -= n + 1;
  }
  const std::string path = fuzz::WriteScratchFile(name, data, size);

  RecordingMessageSink messages;
  image::ImageHost host;
  host.messages = &messages;
  int starts = 0, ends = 0, last = -1;
  host.progress = [&](LoadStage stage, int percent) {
    FUZZ_EXPECT(percent >= 0 && percent <= 100);
    if (stage == LoadStage::Starting) {
      FUZZ_EXPECT(starts == 0);
      ++starts;
    } else if (stage == LoadStage::Running) {
      FUZZ_EXPECT(starts == 1 && ends == 0 && percent >= last);
      last = percent;
    } else {
      FUZZ_EXPECT(starts == 1);
      ++ends;
    }
  };
  int loadedCalls = 0;
  host.loaded = [&](const image::WorkingBitmap&) { ++loadedCalls; };

  const bool ok = image::LoadWorkingImage(host, path);
  FUZZ_EXPECT(host.workingBitmap != nullptr);
  FUZZ_EXPECT(ends == starts);
  if (ok) {
    FUZZ_EXPECT(!host.workingBitmap->Empty());
    FUZZ_EXPECT(messages.messages.empty() && loadedCalls == 1);
    fuzz::TouchPixels(*host.workingBitmap);
  } else {
    FUZZ_EXPECT(host.workingBitmap->Empty());
    FUZZ_EXPECT(loadedCalls == 0);
    FUZZ_EXPECT(messages.messages.size() == 1);
    FUZZ_EXPECT(messages.messages[0].text == "Cannot load image\r\n" + name);
    FUZZ_EXPECT(messages.messages[0].caption == "Error");
  }
  return 0;
}
