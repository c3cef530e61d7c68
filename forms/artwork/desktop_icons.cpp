// Writes the window icon into a hicolor icon theme folder for the package:
// <folder>/<size>x<size>/apps/quorvant.png at each size the desktop uses.
//
//   desktop_icons <folder>
#include <QDir>
#include <QImage>

#include <cstdio>

#include "forms/artwork/artwork.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: desktop_icons FOLDER\n");
    return 2;
  }
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    const QString folder = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    if (!QDir().mkpath(folder) ||
        !quorvant::forms::artwork::window_icon_image(size).save(folder + "/quorvant.png", "PNG")) {
      std::fprintf(stderr, "desktop_icons: cannot write the %d-pixel icon\n", size);
      return 1;
    }
  }
  return 0;
}
