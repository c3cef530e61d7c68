#include "cli/run.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "cli/inputs.h"
#include "cli/interruption.h"
#include "cli/memory_budget.h"
#include "cli/output_folder.h"
#include "cli/pending_output.h"
#include "cli/plan.h"
#include "cli/report.h"
#include "engine/convert.h"
#include "engine/worker_pool.h"

namespace quorvant::cli {

namespace {

Outcome convert_one(const Job& job, const engine::SourceFile& source, const CliOptions& options,
                    const OutputFolder& folder, PendingNames& names) {
  Outcome outcome{job.source, job.destination, 0, {}};
  const std::string name = std::filesystem::path(job.destination).filename().string();
  auto pending = PendingOutput::create(folder, name, quote(job.destination), names);
  if (!pending) {
    outcome.code = engine::kWriteFailed;
    outcome.message = "cannot write " + quote(job.destination) + ": " + std::strerror(errno);
    return outcome;
  }
  const engine::Conversion done =
      engine::convert_picture(options.format, source, pending->destination(), options.convert);
  outcome.code = done.code;
  if (done.code != engine::kWritten) {
    outcome.message = done.reason.empty() ? describe_result(done.code, quote(job.destination)) : done.reason;
    return outcome;  // the pending file goes with `pending`
  }
  switch (pending->publish(options.overwrite)) {
    case PendingOutput::Published::kDone:
      outcome.message = describe_result(outcome.code, job.destination);
      break;
    case PendingOutput::Published::kDestinationExists:
      // Another program made the file while this one converted.
      outcome.code = 0;
      outcome.message = "skipped: " + quote(job.destination) + " exists";
      break;
    case PendingOutput::Published::kFailed:
      outcome.code = engine::kWriteFailed;
      outcome.message = "cannot write " + quote(job.destination) + ": " + std::strerror(errno);
      break;
  }
  return outcome;
}

std::string gigabytes(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / 1e9);
  return text;
}

// The jobs that are converting now, for telling the user what finishes
// after an interruption.
class RunningJobs {
 public:
  void add(size_t job) {
    std::lock_guard lock(mutex_);
    jobs_.insert(job);
  }
  void remove(size_t job) {
    std::lock_guard lock(mutex_);
    jobs_.erase(job);
  }
  std::set<size_t> now() {
    std::lock_guard lock(mutex_);
    return jobs_;
  }

 private:
  std::mutex mutex_;
  std::set<size_t> jobs_;
};

}  // namespace

int run_conversions(const CliOptions& options) {
  // The watch comes first: the threads made after it leave the signals to it.
  Reporter* reporter_of_run = nullptr;
  MemoryBudget* budget_of_run = nullptr;
  PendingNames* names_of_run = nullptr;
  RunningJobs running;
  const Plan* plan_of_run = nullptr;
  std::mutex run_parts;  // guards the pointers above against the watch thread
  InterruptionWatch interruption(
      [&] {
        std::lock_guard lock(run_parts);
        if (budget_of_run != nullptr) budget_of_run->stop();
        if (reporter_of_run == nullptr || plan_of_run == nullptr) return;
        const std::set<size_t> now = running.now();
        reporter_of_run->say("interrupted: no new conversion starts; " + std::to_string(now.size()) +
                             " running finish first (interrupt again to stop at once)");
        for (size_t job : now) reporter_of_run->say(quote(plan_of_run->jobs[job].source) + ": finishing");
      },
      [&] {
        std::lock_guard lock(run_parts);
        if (names_of_run != nullptr) names_of_run->remove_all();
      });

  std::vector<std::string> sources = collect_sources(options.inputs, options.recursive);
  if (sources.empty()) {
    std::fprintf(stderr, "quorvant-convert: no pictures found in the inputs\n");
    return kAllWritten;
  }
  if (options.shard) {
    sources = sources_in_shard(sources, options.format, *options.shard);
    if (sources.empty()) {
      if (!options.quiet) {
        std::fprintf(stderr, "quorvant-convert: no picture falls in part %u of %u\n", options.shard->index,
                     options.shard->count);
      }
      return kAllWritten;
    }
  }
  std::string why;
  const std::optional<OutputFolder> folder = OutputFolder::open(options.output_folder, why);
  if (!folder) {
    std::fprintf(stderr, "quorvant-convert: cannot create the output folder %s: %s\n",
                 quote(options.output_folder).c_str(), why.c_str());
    return kSomeFailed;
  }

  const Plan plan = make_plan(sources, options.output_folder, options.format, options.overwrite);
  Reporter reporter(options, plan.jobs.size(), [&] { interruption.request(); });
  PendingNames names(folder->descriptor());
  const uint64_t memory = options.memory != 0 ? options.memory : available_memory();
  MemoryBudget budget(memory == 0 ? UINT64_MAX : memory, [&] {
    reporter.say("holding conversions back so that those running at once fit in the " + gigabytes(memory) +
                 " of memory available");
  });
  {
    std::lock_guard lock(run_parts);
    reporter_of_run = &reporter;
    budget_of_run = &budget;
    names_of_run = &names;
    plan_of_run = &plan;
  }
  for (const Job& job : plan.jobs) {
    if (!job.skip_reason.empty()) reporter.report({job.source, job.destination, 0, job.skip_reason});
  }

  // Each worker takes whole lanes, so two jobs writing the same destination
  // never run at once. A job's slot says whether it was reported; each is
  // written by the one worker that ran the job.
  std::vector<uint8_t> reported(plan.jobs.size(), 0);
  std::atomic<size_t> next_lane{0};
  auto work = [&] {
    for (size_t lane = next_lane++; lane < plan.lanes.size(); lane = next_lane++) {
      for (size_t index : plan.lanes[lane]) {
        if (interruption.requested()) return;
        const Job& job = plan.jobs[index];
        // Opened once: the estimate and the conversion read this very file.
        const engine::SourceFile source = engine::SourceFile::open(job.source);
        const uint64_t need = engine::conversion_memory(options.format, source, options.convert).value_or(0);
        if (!budget.acquire(need)) return;
        running.add(index);
        const Outcome outcome = convert_one(job, source, options, *folder, names);
        running.remove(index);
        budget.release(need);
        reporter.report(outcome);
        reported[index] = 1;
      }
    }
  };
  const size_t worker_count = std::min<size_t>(options.jobs, plan.lanes.size());
  // -j bounds the threads at work, the engine's helpers included: one
  // conversion alone may use every thread -j allows.
  engine::WorkerPool::shared().limit_busy_threads(options.jobs);
  {
    std::vector<std::jthread> workers;
    for (size_t i = 1; i < worker_count; ++i) workers.emplace_back(work);
    work();
  }
  {
    std::lock_guard lock(run_parts);
    reporter_of_run = nullptr;
    budget_of_run = nullptr;
    names_of_run = nullptr;
    plan_of_run = nullptr;
  }

  if (interruption.requested()) {
    // Every file that was not started still gets its line (and its object).
    for (size_t lane = 0; lane < plan.lanes.size(); ++lane) {
      for (size_t index : plan.lanes[lane]) {
        const Job& job = plan.jobs[index];
        if (reported[index] == 0) reporter.report({job.source, job.destination, 0, "skipped: interrupted"});
      }
    }
    return kInterrupted;
  }
  return reporter.all_written() ? kAllWritten : kSomeFailed;
}

}  // namespace quorvant::cli
