// quorvant-convert: the engine on the command line, for batches from scripts.
#include <csignal>
#include <variant>

#include "cli/options.h"
#include "cli/run.h"

int main(int argc, char** argv) {
  // A file-size limit (ulimit -f, a batch system's limit) fails the one
  // write that meets it, with EFBIG, instead of ending the whole batch.
  std::signal(SIGXFSZ, SIG_IGN);
  auto parsed = quorvant::cli::parse_command_line(argc, argv);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  return quorvant::cli::run_conversions(std::get<quorvant::cli::CliOptions>(parsed));
}
