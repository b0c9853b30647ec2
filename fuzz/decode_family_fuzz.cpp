// One family's decoder on the raw input, past the content test, so that the fuzzer spends its time
// inside that decoder. The family is chosen at build time by its description (KAROVEL_FUZZ_FAMILY).
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>

#include "fuzz/fuzz_support.h"
#include "image/image_family.h"

using namespace karovel;

namespace {

const image::ImageFamily& Family() {
  static const image::ImageFamily* family = [] {
    for (const image::ImageFamily& f : image::ImageFamilies())
      if (f.description == KAROVEL_FUZZ_FAMILY && f.decode) return &f;
    std::fprintf(stderr, "no decoder for \"%s\"\n", KAROVEL_FUZZ_FAMILY);
    std::abort();
  }();
  return *family;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const image::ImageFamily& family = Family();
  if (family.contentTest) (void)family.contentTest(data, size);

  image::WorkingBitmap out;
  int last = -1;
  image::RowProgress progress = [&last](int percent) {
    FUZZ_EXPECT(percent >= 0 && percent <= 100);
    FUZZ_EXPECT(percent >= last);
    last = percent;
  };
  // A path that names no real file: families that look beside the file find nothing.
  const std::string path = fuzz::ScratchDir() + "/absent." + family.extensions.front();
  try {
    family.decode(image::DecodeInput{data, size, path}, out, progress);
  } catch (const std::exception&) {
    // Every failure the loader turns into its one message; which exception does not matter.
    return 0;
  }
  fuzz::TouchPixels(out);
  return 0;
}
