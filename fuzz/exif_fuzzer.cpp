// Feeds arbitrary bytes to the metadata a conversion carries: EXIF blocks
// read and edited through libexif, and XMP packets edited as text.
#include <cstddef>
#include <cstdint>

#include "fuzz/targets/metadata_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvant::fuzz::edit_metadata({data, size});
  return 0;
}
