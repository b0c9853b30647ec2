#pragma once
// The icon chunk every RMP file ends with (member chunk.ics): one constant block of 1756 bytes.
#include <array>
#include <cstddef>
#include <cstdint>

namespace karovel::rmp {

constexpr size_t IconChunkSize = 1756;

// The same bytes on every call and in every file.
const std::array<uint8_t, IconChunkSize>& IconChunk();

}  // namespace karovel::rmp
