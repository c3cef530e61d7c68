// make_test_picture WIDTH HEIGHT OUT.bmp: writes the benchmark picture as a
// 24-bit bitmap, which other tools (cjpeg, for one) can turn into anything.
#include <cstdio>
#include <cstdlib>

#include "bench/test_picture.h"
#include "engine/bmp/bmp_writer.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_test_picture WIDTH HEIGHT OUT.bmp\n");
    return 2;
  }
  quorvant::engine::ImageBuffer picture;
  quorvant::engine::bmp::BmpWriter writer;
  if (!quorvant::bench::make_test_picture(picture, std::atoi(argv[1]), std::atoi(argv[2])) ||
      !writer.open(argv[3], picture, {}, nullptr) || !writer.write()) {
    std::fprintf(stderr, "make_test_picture: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
