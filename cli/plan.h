// Deciding, before anything runs, where each source goes and which sources
// must be skipped.
#pragma once

#include <string>
#include <vector>

#include "cli/inputs.h"
#include "engine/target_format.h"

namespace quorvant::cli {

struct Job {
  std::string source;
  std::string folder;       // below the output folder; empty: the output folder itself
  std::string name;         // the output's file name
  std::string destination;  // the output's path, as messages show it
  std::string skip_reason;  // empty: convert it
  bool done = false;        // skipped, yet counted as done (its output exists, with --skip-existing)
};

// Jobs that would write the same destination share a lane and are tried
// one after the other, in input order; lanes run in parallel. Without
// --overwrite the first source of a lane that turns out readable takes
// the name, and the lane's later sources are skipped; a source that cannot
// be read gives the name back to the next. With it, each replaces the one
// before.
struct Plan {
  std::vector<Job> jobs;
  std::vector<std::vector<size_t>> lanes;  // indices into jobs
};

struct PlanOptions {
  bool overwrite = false;
  bool skip_existing = false;
  bool keep_folders = false;
};

// The output's file name for a source: the source's file name without its
// extension, and the target's lower-case extension.
std::string output_name(const std::string& source, engine::TargetFormat format);

// The destination of a source written straight into the output folder.
std::string destination_for(const std::string& source, const std::string& output_folder, engine::TargetFormat format);

// Without `overwrite`, a source whose destination exists already is
// skipped (as done, with `skip_existing`). A destination that is one of
// the run's sources (the source itself, say) is always skipped: a failed
// write would destroy an original.
Plan make_plan(const std::vector<Source>& sources, const std::string& output_folder, engine::TargetFormat format,
               const PlanOptions& options);

}  // namespace quorvant::cli
