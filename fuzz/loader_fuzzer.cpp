// Feeds arbitrary bytes, as a picture file, to the loader and every reader
// behind it. (Writing is left to the conversion sweep: here it would only
// slow the search down.)
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/targets/fuzz_targets.h"

namespace {

// A folder of this process's own, inside $TMPDIR (fuzz/run points that at
// a folder it removes after the run: fuzzing processes that time out or run
// out of memory are killed, and could not clean up after themselves), or
// inside /dev/shm.
std::string& folder() {
  static std::string path = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = (base != nullptr && *base != '\0') ? base : "/dev/shm";
    pattern += "/quorvant-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    // The scratch buffers' temporary files go there too.
    ::setenv("TMPDIR", pattern.c_str(), 1);
    return pattern;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = folder() + "/input";
  std::FILE* file = std::fopen(input.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
  quorvant::fuzz::load_and_read_picture(input);
  return 0;
}
