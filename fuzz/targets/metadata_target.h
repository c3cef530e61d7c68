// What the metadata fuzzing harness does with one input; kept apart from
// fuzz_targets.h so that its harness needs the engine alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvant::fuzz {

// Reads the bytes as an EXIF block (its orientation; every combination of
// the edits a conversion makes, and the result edited again; its fields
// taken apart and put together again) and as an XMP packet (every
// combination of the edits). Returns the number of bytes produced.
size_t edit_metadata(std::span<const uint8_t> bytes);

}  // namespace quorvant::fuzz
