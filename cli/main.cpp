// quorvant-convert: the engine on the command line, for batches from scripts.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <variant>

#include "cli/options.h"
#include "cli/run.h"

namespace {

// A standard stream the program was started without (`>&-`) is held by
// /dev/null opened for reading: no file the program opens later can take
// its number and receive the report, and writing the report fails as it
// should.
void hold_closed_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      const int held = ::open("/dev/null", O_RDONLY);
      if (held >= 0 && held != fd) ::close(held);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  hold_closed_standard_streams();
  // A file-size limit (ulimit -f, a batch system's limit) fails the one
  // write that meets it, with EFBIG, instead of ending the whole batch.
  std::signal(SIGXFSZ, SIG_IGN);
  auto parsed = quorvant::cli::parse_command_line(argc, argv);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  return quorvant::cli::run_conversions(std::get<quorvant::cli::CliOptions>(parsed));
}
