// The RMP reader of karovel-rmp inspect on the input as the file: it either lists the contents or
// names the first inconsistency; nothing else may come out of it.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tools/rmp_inspect.h"

using namespace karovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> file(data, data + size);
  try {
    const tools::RmpContents contents = tools::InspectRmp(file);
    for (const tools::RmpMember& m : contents.members) FUZZ_EXPECT(uint64_t(m.offset) + m.length <= size);
    for (const tools::RmpLayer& layer : contents.layers)
      for (const tools::RmpTile& t : layer.tileList)
        FUZZ_EXPECT(uint64_t(t.jpegOffset) + t.jpegLength <= size);
  } catch (const tools::InspectError&) {
  }
  return 0;
}
