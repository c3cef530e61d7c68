// Feeds arbitrary bytes to the window runtime's picture decoding: the
// pictures of buttons, icons and backgrounds that form templates carry.
#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

#include "fuzz/targets/fuzz_targets.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // Qt's image plugins (GIF) are found through the application object.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QGuiApplication application(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvant::fuzz::decode_and_read_picture({data, size});
  return 0;
}
