// Feeds arbitrary bytes to the window runtime's picture decoding: the
// pictures of buttons, icons and backgrounds that form templates carry.
#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

#include "ui/pictures/picture_decoding.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // Qt's image plugins (GIF) are found through the application object.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QGuiApplication application(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto picture = quorvant::ui::pictures::decode_picture({data, size});
  // Touch every pixel, so that a wrong size shows.
  if (picture) {
    volatile uint32_t sum = 0;
    for (int y = 0; y < picture->height(); ++y) {
      const uchar* row = picture->constScanLine(y);
      for (qsizetype x = 0; x < picture->bytesPerLine(); ++x) sum = sum + row[x];
    }
  }
  return 0;
}
