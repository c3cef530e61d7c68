// Helpers shared by the test programs.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace quorvant::testing {

// The folder of pictures written by other software.
std::string corpus(const std::string& relative);

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Points $TMPDIR at a private folder for the object's lifetime, so that a
// test can see every scratch file the engine makes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::string& path() const { return folder_.path(); }
  // Names of the files (not folders) now in the folder.
  std::vector<std::string> files() const;

 private:
  TempFolder folder_;
  std::string previous_;
  bool had_previous_ = false;
};

// A FAT file system, as USB sticks and SD cards have (no hard links, no
// unnamed files): an image of its own, made with mkfs.vfat and mounted with
// fusefat for the object's lifetime. When it is not mounted, why() says
// why; fuse_unusable() tells whether this process may not use FUSE at all
// (no /dev/fuse, or not allowed to open it: not root), where the tests
// that need it are skipped.
class FatFolder {
 public:
  FatFolder();
  ~FatFolder();
  FatFolder(const FatFolder&) = delete;
  FatFolder& operator=(const FatFolder&) = delete;
  bool mounted() const { return mounted_; }
  bool fuse_unusable() const;
  const std::string& why() const { return why_; }
  const std::string& path() const { return mount_point_; }
  std::string file(const std::string& name) const { return mount_point_ + "/" + name; }

 private:
  TempFolder work_;
  std::string mount_point_;
  bool mounted_ = false;
  std::string why_;
};

std::vector<uint8_t> read_bytes(const std::string& path);

// The process's peak resident memory so far, in MB.
long peak_megabytes();
void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool file_exists(const std::string& path);

// A decoded portable anymap (P5 grey or P6 colour, 8-bit).
struct Pnm {
  int width = 0;
  int height = 0;
  int channels = 0;  // 1 or 3
  std::vector<uint8_t> samples;
};
Pnm parse_pnm(const std::vector<uint8_t>& bytes);

// Independent decoders: the JPEG library's own djpeg, and netpbm's bmptopnm.
Pnm decode_with_djpeg(const std::string& path);
Pnm decode_with_netpbm_bmp(const std::string& path);

// Waits, looking every few milliseconds, until `condition` holds; false
// when it still does not after a generous minute.
template <class Condition>
bool eventually(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// Runs a shell command and returns its exit status (-1 when it did not exit
// normally) and standard output.
struct CommandResult {
  int status = -1;
  std::string out;
};
CommandResult run_command(const std::string& command);

// Runs a shell command and returns its standard output; fails the test when
// the command fails.
std::vector<uint8_t> run_tool(const std::string& command);
// Quotes a path for the shell.
std::string shell_quote(const std::string& text);

}  // namespace quorvant::testing
