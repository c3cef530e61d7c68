// The picture decoding reads GIF through Qt's image plugins, which are found
// through the application object. The sweep writes and reads back hundreds
// of megabytes: in memory (/dev/shm) when there is room, it is several
// times faster than on disk.
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <QGuiApplication>

#include <cstdlib>

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  struct statvfs memory {};
  constexpr unsigned long long kRoom = 2ULL << 30;
  if (::statvfs("/dev/shm", &memory) == 0 &&
      static_cast<unsigned long long>(memory.f_bavail) * memory.f_frsize >= kRoom) {
    ::setenv("TMPDIR", "/dev/shm", 1);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
