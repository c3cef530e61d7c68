#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace quorvant::testing {

namespace fs = std::filesystem;

std::string corpus(const std::string& relative) { return std::string(QUORVANT_CORPUS_DIR) + "/" + relative; }

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "quorvant-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

ScratchFolder::ScratchFolder() {
  if (const char* old = std::getenv("TMPDIR")) {
    previous_ = old;
    had_previous_ = true;
  }
  ::setenv("TMPDIR", folder_.path().c_str(), 1);
}

ScratchFolder::~ScratchFolder() {
  if (had_previous_) {
    ::setenv("TMPDIR", previous_.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
}

std::vector<std::string> ScratchFolder::files() const {
  std::vector<std::string> names;
  // Folders made by the test itself may sit here too; the engine makes files only.
  for (const auto& entry : fs::directory_iterator(path())) {
    if (!entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  return names;
}

namespace {

bool is_mount_point(const std::string& path) {
  std::ifstream mounts("/proc/self/mountinfo");
  for (std::string line; std::getline(mounts, line);) {
    std::istringstream fields(line);
    std::string id, parent, device, root, point;
    fields >> id >> parent >> device >> root >> point;
    if (point == path) return true;
  }
  return false;
}

}  // namespace

FatFolder::FatFolder() : mount_point_(work_.file("mounted")) {
  fs::create_directory(mount_point_);
  const std::string image = work_.file("fat.img");
  if (run_command("mkfs.vfat -C " + shell_quote(image) + " 65536 >/dev/null 2>&1").status != 0) {
    why_ = "mkfs.vfat (dosfstools) cannot make a FAT image";
    return;
  }
  // fusefat goes to the background once the file system is mounted.
  if (run_command("fusefat -o rw+ " + shell_quote(image) + " " + shell_quote(mount_point_) + " >/dev/null 2>&1")
          .status != 0) {
    why_ = "fusefat cannot mount a FAT image here (is /dev/fuse usable?)";
    return;
  }
  mounted_ = eventually([&] { return is_mount_point(mount_point_); });
  if (!mounted_) why_ = "fusefat never mounted the image";
}

bool FatFolder::fuse_unusable() const { return ::access("/dev/fuse", R_OK | W_OK) != 0; }

FatFolder::~FatFolder() {
  if (is_mount_point(mount_point_)) run_command("fusermount -u " + shell_quote(mount_point_) + " 2>/dev/null");
}

long peak_megabytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

std::vector<uint8_t> read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool file_exists(const std::string& path) { return fs::exists(fs::symlink_status(path)); }

Pnm parse_pnm(const std::vector<uint8_t>& bytes) {
  Pnm pnm;
  size_t pos = 0;
  auto token = [&] {
    std::string t;
    while (pos < bytes.size()) {
      if (bytes[pos] == '#') {
        while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
      } else if (std::isspace(bytes[pos])) {
        ++pos;
      } else {
        break;
      }
    }
    while (pos < bytes.size() && !std::isspace(bytes[pos])) t += static_cast<char>(bytes[pos++]);
    return t;
  };
  const std::string magic = token();
  if (magic != "P5" && magic != "P6") return pnm;
  pnm.width = std::stoi(token());
  pnm.height = std::stoi(token());
  if (token() != "255") return {};
  ++pos;  // the single white space after the maximum value
  pnm.channels = magic == "P5" ? 1 : 3;
  const size_t size =
      static_cast<size_t>(pnm.width) * static_cast<size_t>(pnm.height) * static_cast<size_t>(pnm.channels);
  if (bytes.size() < pos + size) return {};
  pnm.samples.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                     bytes.begin() + static_cast<std::ptrdiff_t>(pos + size));
  return pnm;
}

CommandResult run_command(const std::string& command) {
  CommandResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char chunk[4096];
  size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.out.append(chunk, n);
  const int raw = ::pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

std::vector<uint8_t> run_tool(const std::string& command) {
  std::vector<uint8_t> output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return output;
  }
  uint8_t chunk[65536];
  size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.insert(output.end(), chunk, chunk + n);
  const int status = ::pclose(pipe);
  EXPECT_EQ(status, 0) << command;
  return output;
}

Pnm decode_with_djpeg(const std::string& path) { return parse_pnm(run_tool("djpeg -pnm " + shell_quote(path))); }

Pnm decode_with_netpbm_bmp(const std::string& path) {
  return parse_pnm(run_tool("bmptopnm " + shell_quote(path) + " 2>/dev/null"));
}

std::string shell_quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += '\'';
  return quoted;
}

}  // namespace quorvant::testing
