#include "cli/run.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/inputs.h"
#include "cli/interruption.h"
#include "cli/pending_output.h"
#include "cli/plan.h"
#include "cli/report.h"
#include "engine/convert.h"

namespace quorvant::cli {

namespace {

Outcome convert_one(const Job& job, const CliOptions& options) {
  Outcome outcome{job.source, job.destination, 0, {}};
  auto pending = PendingOutput::create(job.destination);
  if (!pending) {
    outcome.code = engine::kWriteFailed;
    outcome.message = "cannot write " + job.destination + ": " + std::strerror(errno);
    return outcome;
  }
  outcome.code = engine::convert_picture(options.format, job.source, pending->path(), options.convert);
  if (outcome.code != engine::kWritten) {
    outcome.message = describe_result(outcome.code, job.destination);
    return outcome;  // the pending file goes with `pending`
  }
  switch (pending->publish(options.overwrite)) {
    case PendingOutput::Published::kDone:
      outcome.message = describe_result(outcome.code, job.destination);
      break;
    case PendingOutput::Published::kDestinationExists:
      // Another program made the file while this one converted.
      outcome.code = 0;
      outcome.message = "skipped: " + job.destination + " exists";
      break;
    case PendingOutput::Published::kFailed:
      outcome.code = engine::kWriteFailed;
      outcome.message = "cannot write " + job.destination + ": " + std::strerror(errno);
      break;
  }
  return outcome;
}

}  // namespace

int run_conversions(const CliOptions& options) {
  const std::vector<std::string> sources = collect_sources(options.inputs, options.recursive);
  if (sources.empty()) {
    std::fprintf(stderr, "quorvant-convert: no pictures found in the inputs\n");
    return kAllWritten;
  }
  std::error_code error;
  std::filesystem::create_directories(options.output_folder, error);
  if (error || !std::filesystem::is_directory(options.output_folder, error)) {
    std::fprintf(stderr, "quorvant-convert: cannot create the output folder %s: %s\n", options.output_folder.c_str(),
                 error ? error.message().c_str() : "not a folder");
    return kSomeFailed;
  }

  const Plan plan = make_plan(sources, options.output_folder, options.format, options.overwrite);
  Reporter reporter(options, plan.jobs.size());
  for (const Job& job : plan.jobs) {
    if (!job.skip_reason.empty()) reporter.report({job.source, job.destination, 0, job.skip_reason});
  }

  // Each worker takes whole lanes, so two jobs writing the same destination
  // never run at once.
  const InterruptionWatch interruption;
  std::atomic<size_t> next_lane{0};
  auto work = [&] {
    for (size_t lane = next_lane++; lane < plan.lanes.size(); lane = next_lane++) {
      for (size_t index : plan.lanes[lane]) {
        if (interruption.requested()) return;
        reporter.report(convert_one(plan.jobs[index], options));
      }
    }
  };
  const size_t worker_count = std::min<size_t>(options.jobs, plan.lanes.size());
  {
    std::vector<std::jthread> workers;
    for (size_t i = 1; i < worker_count; ++i) workers.emplace_back(work);
    work();
  }
  if (interruption.requested()) return kInterrupted;
  return reporter.all_written() ? kAllWritten : kSomeFailed;
}

}  // namespace quorvant::cli
