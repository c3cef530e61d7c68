// Feeds arbitrary bytes to the form template reader, reads every field of
// every element it accepts, and decodes each property blob the way the
// element's control type would.
#include <cstdint>

#include "fuzz/targets/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvant::fuzz::read_whole_form({data, size});
  return 0;
}
