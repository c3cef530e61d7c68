#include "cli/run.h"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "cli/inputs.h"
#include "cli/interruption.h"
#include "cli/memory_budget.h"
#include "cli/output_folder.h"
#include "cli/plan.h"
#include "cli/report.h"
#include "engine/convert.h"
#include "engine/loader.h"
#include "engine/output_file.h"
#include "engine/scratch_buffer.h"
#include "engine/target_preparation.h"
#include "engine/worker_pool.h"

namespace quorvant::cli {

namespace {

// The descriptors one conversion holds at most (the source and its
// streams, the output file, its folder and the writer's copy, a scratch
// file being made), and those the process keeps besides.
constexpr rlim_t kDescriptorsPerConversion = 8;
constexpr rlim_t kDescriptorsOfTheProcess = 16;

Outcome cannot_write(Outcome outcome, const std::string& why) {
  outcome.code = engine::kWriteFailed;
  outcome.message = "cannot write " + quote(outcome.destination) + ": " + why;
  return outcome;
}

// What the reader that takes a source finds in its header, or why no
// reader takes it.
struct Probe {
  std::optional<engine::PictureHeader> header;
  std::string refusal;
};

// A header that could not be read for lack of memory is taken as one of
// unknown size (the conversion will tell).
Probe probe(const engine::SourceFile& source, const engine::ConvertOptions& options) {
  Probe found;
  try {
    found.header = engine::read_picture_header(source, &found.refusal, engine::read_options_for(options));
  } catch (const std::bad_alloc&) {
    found.header = engine::PictureHeader{};
  }
  return found;
}

// Converts the job's source, as `probed` found it.
Outcome convert_one(const Job& job, const engine::SourceFile& source, const Probe& probed, const CliOptions& options,
                    OutputFolder& folder, engine::PrivateNames& names) {
  // A source that is missing, or that no reader takes, is reported before
  // any file or folder is made for it.
  if (!probed.header) {
    Outcome outcome{job.source, job.destination, source ? engine::kUnreadable : source.status(), probed.refusal};
    if (outcome.message.empty()) outcome.message = describe_result(outcome.code, quote(job.destination));
    return outcome;
  }
  Outcome outcome{job.source, job.destination, 0, {}};
  std::string why;
  const engine::UniqueFd where = folder.below(job.folder, why);
  if (!where) return cannot_write(std::move(outcome), why);
  auto pending = engine::OutputFile::create(where.get(), job.name, &names);
  if (!pending) return cannot_write(std::move(outcome), std::strerror(errno));
  const engine::Conversion done = engine::convert_picture(
      options.format, source, engine::Destination::open_file(pending->descriptor(), quote(job.destination)),
      options.convert);
  outcome.code = done.code;
  if (done.code != engine::kWritten) {
    outcome.message = done.reason.empty() ? describe_result(done.code, quote(job.destination)) : done.reason;
    return outcome;  // the pending file goes with `pending`
  }
  switch (pending->publish(options.overwrite)) {
    case engine::OutputFile::Published::kDone:
      outcome.message = describe_result(outcome.code, job.destination);
      break;
    case engine::OutputFile::Published::kDestinationExists:
      // Another program made the file while this one converted.
      outcome.code = 0;
      outcome.done = options.skip_existing;
      outcome.message = options.skip_existing ? "exists" : "skipped: " + quote(job.destination) + " exists";
      break;
    case engine::OutputFile::Published::kFailed:
      return cannot_write(std::move(outcome), std::strerror(errno));
  }
  return outcome;
}

// A size in the units --memory takes.
std::string in_words(uint64_t bytes) {
  char text[32];
  if (bytes >= uint64_t{1} << 30) {
    std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / (1 << 30));
  } else {
    std::snprintf(text, sizeof text, "%.0f MiB", static_cast<double>(bytes) / (1 << 20));
  }
  return text;
}

// -j bounded by the files the process may hold open (ulimit -n).
unsigned bounded_by_descriptors(unsigned jobs) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return jobs;
  const rlim_t room = limit.rlim_cur > kDescriptorsOfTheProcess ? limit.rlim_cur - kDescriptorsOfTheProcess : 0;
  const auto most = static_cast<unsigned>(std::clamp<rlim_t>(room / kDescriptorsPerConversion, 1, jobs));
  if (most < jobs) {
    std::fprintf(stderr, "quorvant-convert: running %u conversions at once, not %u: %llu files may be open (ulimit -n)\n",
                 most, jobs, static_cast<unsigned long long>(limit.rlim_cur));
  }
  return most;
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
  // The watch comes first: the threads made after it leave the signals to
  // it. Nothing it runs waits for the output: the reporter prints its
  // announcement on a thread of its own.
  Reporter* reporter_of_run = nullptr;
  MemoryBudget* budget_of_run = nullptr;
  engine::PrivateNames names;
  RunningJobs running;
  const Plan* plan_of_run = nullptr;
  std::mutex run_parts;  // guards the pointers above against the watch thread
  InterruptionWatch interruption(
      [&] {
        std::lock_guard lock(run_parts);
        if (budget_of_run != nullptr) budget_of_run->stop();
        if (reporter_of_run == nullptr || plan_of_run == nullptr) return;
        const std::set<size_t> now = running.now();
        reporter_of_run->announce("interrupted: no new conversion starts; " + std::to_string(now.size()) +
                                  " running finish first (interrupt again to stop at once)");
        for (size_t job : now) reporter_of_run->announce(quote(plan_of_run->jobs[job].source) + ": finishing");
      },
      [&] { names.remove_all(); });

  std::vector<Source> sources = collect_sources(options.inputs, options.recursive);
  if (sources.empty()) {
    std::fprintf(stderr, "quorvant-convert: no pictures found in the inputs\n");
    return kAllWritten;
  }
  if (options.shard) {
    sources = sources_in_shard(sources, options.format, *options.shard, options.keep_folders);
    if (sources.empty()) {
      if (!options.quiet) {
        std::fprintf(stderr, "quorvant-convert: no picture falls in part %u of %u\n", options.shard->index,
                     options.shard->count);
      }
      return kAllWritten;
    }
  }
  std::string why;
  std::optional<OutputFolder> folder = OutputFolder::open(options.output_folder, why);
  if (!folder) {
    std::fprintf(stderr, "quorvant-convert: cannot create the output folder %s: %s\n",
                 quote(options.output_folder).c_str(), why.c_str());
    return kSomeFailed;
  }
  // Scratch files a killed run left behind.
  engine::remove_stale_scratch_files();

  const Plan plan = make_plan(sources, options.output_folder, options.format,
                              {options.overwrite, options.skip_existing, options.keep_folders});
  const unsigned jobs = bounded_by_descriptors(options.jobs);
  Reporter reporter(options, plan.jobs.size(), [&] { interruption.request(); });
  const uint64_t memory = options.memory != 0 ? options.memory : available_memory();
  MemoryBudget budget(memory == 0 ? UINT64_MAX : memory, [&] {
    reporter.say("holding conversions back so that those running at once fit in the " + in_words(memory) +
                 " of memory available");
  });
  {
    std::lock_guard lock(run_parts);
    reporter_of_run = &reporter;
    budget_of_run = &budget;
    plan_of_run = &plan;
  }
  for (const Job& job : plan.jobs) {
    if (!job.skip_reason.empty()) reporter.report({job.source, job.destination, 0, job.skip_reason, job.done});
  }

  // Each worker takes whole lanes, so two jobs writing the same destination
  // never run at once. A job's slot says whether it was reported; each is
  // written by the one worker that ran the job.
  std::vector<uint8_t> reported(plan.jobs.size(), 0);
  std::atomic<size_t> next_lane{0};
  auto work = [&] {
    for (size_t lane = next_lane++; lane < plan.lanes.size(); lane = next_lane++) {
      const Job* named_by = nullptr;  // the job whose source took the lane's name
      for (size_t index : plan.lanes[lane]) {
        if (interruption.requested()) return;
        const Job& job = plan.jobs[index];
        if (named_by != nullptr && !options.overwrite) {
          reporter.report({job.source, job.destination, 0,
                           "skipped: " + quote(job.destination) + " is already the output of " + quote(named_by->source)});
          reported[index] = 1;
          continue;
        }
        // Opened once: the estimate and the conversion read this very file.
        const engine::SourceFile source = engine::SourceFile::open(job.source);
        const Probe probed = probe(source, options.convert);
        const uint64_t need =
            probed.header ? engine::conversion_memory(options.format, *probed.header, options.convert) : 0;
        if (!budget.acquire(need)) return;
        running.add(index);
        const Outcome outcome = convert_one(job, source, probed, options, *folder, names);
        running.remove(index);
        budget.release(need);
        // A source that cannot be read leaves the name to the next one.
        if (outcome.code != engine::kSourceMissing && outcome.code != engine::kUnreadable) named_by = &job;
        reporter.report(outcome);
        reported[index] = 1;
      }
    }
  };
  const size_t worker_count = std::min<size_t>(jobs, plan.lanes.size());
  // -j bounds the threads at work, the engine's helpers included: one
  // conversion alone may use every thread -j allows.
  engine::WorkerPool::shared().limit_busy_threads(jobs);
  {
    std::vector<std::jthread> workers;
    for (size_t i = 1; i < worker_count; ++i) workers.emplace_back(work);
    work();
  }
  {
    std::lock_guard lock(run_parts);
    reporter_of_run = nullptr;
    budget_of_run = nullptr;
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
    reporter.finish();
    return kInterrupted;
  }
  return reporter.finish() ? kAllWritten : kSomeFailed;
}

}  // namespace quorvant::cli
