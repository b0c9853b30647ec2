#pragma once
// Shared pieces of the fuzz targets: a failed expectation aborts (libFuzzer keeps the input), and the
// targets that read files get one scratch folder per process.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/working_bitmap.h"

#define FUZZ_EXPECT(cond)                                                                 \
  do {                                                                                    \
    if (!(cond)) {                                                                        \
      std::fprintf(stderr, "%s:%d: expectation failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (0)

namespace karovel::fuzz {

// The scratch folder of this process (in /dev/shm when there is one), removed at exit.
const std::string& ScratchDir();

// Writes the bytes to ScratchDir()/name and returns the path.
std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size);

// Reads every pixel, so that a bitmap claimed larger than it was allocated shows up under ASan.
void TouchPixels(const image::WorkingBitmap& bitmap);

}  // namespace karovel::fuzz
