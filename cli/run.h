// Running a whole command line: collect, plan, convert in parallel, report.
#pragma once

#include "cli/options.h"

namespace quorvant::cli {

// Returns the exit status: kAllWritten, kSomeFailed when any file was
// skipped or failed (or the output folder cannot be made), or kInterrupted.
int run_conversions(const CliOptions& options);

}  // namespace quorvant::cli
