// quorvant-convert: the engine on the command line, for batches from scripts.
#include <variant>

#include "cli/options.h"
#include "cli/run.h"

int main(int argc, char** argv) {
  auto parsed = quorvant::cli::parse_command_line(argc, argv);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  return quorvant::cli::run_conversions(std::get<quorvant::cli::CliOptions>(parsed));
}
