#include "cli/plan.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "cli/text_escapes.h"

namespace quorvant::cli {

namespace fs = std::filesystem;

namespace {

using FileId = std::pair<dev_t, ino_t>;

std::optional<FileId> file_id(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileId{info.st_dev, info.st_ino};
}

bool exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::string output_name(const std::string& source, engine::TargetFormat format) {
  fs::path name = fs::path(source).filename();
  if (name.empty() || name == "." || name == "..") name = "picture";
  name.replace_extension(engine::describe(format).extension);
  return name.string();
}

std::string destination_for(const std::string& source, const std::string& output_folder, engine::TargetFormat format) {
  return (fs::path(output_folder) / output_name(source, format)).string();
}

Plan make_plan(const std::vector<Source>& sources, const std::string& output_folder, engine::TargetFormat format,
               const PlanOptions& options) {
  std::set<FileId> source_files;
  for (const Source& source : sources) {
    if (const auto id = file_id(source.path)) source_files.insert(*id);
  }

  Plan plan;
  std::map<std::string, size_t> lane_of_destination;
  for (const Source& source : sources) {
    Job job{source.path, {}, output_name(source.path, format), {}, {}};
    if (options.keep_folders && source.folder) job.folder = *source.folder;
    job.destination = (fs::path(output_folder) / job.folder / job.name).string();
    const auto taken = lane_of_destination.find(job.destination);
    const auto destination_id = file_id(job.destination);
    if (options.keep_folders && !source.folder) {
      job.skip_reason = "skipped: --keep-folders cannot place it below the output folder (its name climbs out with ..)";
    } else if (destination_id && source_files.contains(*destination_id)) {
      job.skip_reason =
          "skipped: " + quote(job.destination) +
          (destination_id == file_id(source.path) ? " is the source itself" : " is another source of this run");
    } else if (!options.overwrite && exists(job.destination) && exists(source.path)) {
      job.done = options.skip_existing;
      job.skip_reason = options.skip_existing ? "exists" : "skipped: " + quote(job.destination) + " exists";
    }

    const size_t index = plan.jobs.size();
    plan.jobs.push_back(std::move(job));
    if (!plan.jobs.back().skip_reason.empty()) continue;
    if (taken != lane_of_destination.end()) {
      plan.lanes[taken->second].push_back(index);
    } else {
      lane_of_destination.emplace(plan.jobs.back().destination, plan.lanes.size());
      plan.lanes.push_back({index});
    }
  }
  return plan;
}

}  // namespace quorvant::cli
