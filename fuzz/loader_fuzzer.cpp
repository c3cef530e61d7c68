// Feeds arbitrary bytes, as a picture file, to the loader and every reader
// behind it. (Writing is left to the conversion sweep: here it would only
// slow the search down.)
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/targets/fuzz_targets.h"

namespace {

// Valid pictures may be enormous: an arithmetic-coded JPEG of a few
// hundred bytes can hold a flat picture of 4 GiB, which converts as it
// should in half a minute. The fuzzer's memory limit would report every such
// file; the files this process may write (the scratch buffers among them)
// are kept to 512 MiB instead, so that an enormous picture fails cleanly
// when its buffer is made ("File too large"), after its header and first
// row have been read.
void limit_file_sizes() {
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = rlim_t{512} << 20;
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

// A folder of this process's own, inside $TMPDIR (fuzz/run points that at
// a folder it removes after the run: fuzzing processes that time out or run
// out of memory are killed, and could not clean up after themselves), or
// inside /dev/shm.
std::string& folder() {
  static std::string path = [] {
    limit_file_sizes();
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
