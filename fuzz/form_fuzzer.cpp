// Feeds arbitrary bytes to the form template reader, reads every field of
// every element it accepts, decodes each property blob the way the
// element's control type would, and opens every window of the template on
// the offscreen platform.
#include <QApplication>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "fuzz/targets/fuzz_targets.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static std::unique_ptr<QApplication> application = std::make_unique<QApplication>(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvant::fuzz::read_whole_form({data, size});
  quorvant::fuzz::open_every_window({data, size});
  return 0;
}
