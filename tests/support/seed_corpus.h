#pragma once
// When KAROVEL_SEED_DIR is set, the tests leave their fixtures there as the fuzzers' seed corpora: one
// folder per kind, one file per distinct fixture. Kinds: "image-<family>" for a family's decoder,
// "loader" for the whole loader (the bytes behind a line with the file's extension), "ext-<extension>"
// for other files. Without the variable nothing is written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/image_family.h"

namespace karovel::testing {

// The folder-name form of a text: lower case, every run of other characters than letters and digits
// one '-'. "Dr. Halo images" gives "dr-halo-images".
std::string SeedSlug(const std::string& text);

void RecordSeed(const std::string& kind, const uint8_t* data, size_t size);

// A file a test writes: an image the loader would decode goes to its family and to the loader's
// corpus, anything else with an extension to "ext-<extension>".
void RecordFileSeed(const std::string& path, const std::vector<uint8_t>& bytes);

// A fixture a test hands straight to a decoder of the format table.
void RecordDecoderSeed(image::Decoder decode, const std::vector<uint8_t>& bytes);

}  // namespace karovel::testing
