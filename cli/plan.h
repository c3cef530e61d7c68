// Deciding, before anything runs, where each source goes and which sources
// must be skipped.
#pragma once

#include <string>
#include <vector>

#include "engine/target_format.h"

namespace quorvant::cli {

struct Job {
  std::string source;
  std::string destination;
  std::string skip_reason;  // empty: convert it
};

// Jobs that write the same destination (possible only with `overwrite`)
// share a lane and run one after the other, in input order; lanes run in
// parallel.
struct Plan {
  std::vector<Job> jobs;
  std::vector<std::vector<size_t>> lanes;  // indices into jobs
};

// The destination of a source: the output folder, the source's file name
// without its extension, and the target's lower-case extension.
std::string destination_for(const std::string& source, const std::string& output_folder, engine::TargetFormat format);

// Without `overwrite`, a source whose destination exists already, or whose
// destination an earlier source of this run takes, is skipped. A
// destination that is one of the run's sources (the source itself, say) is
// always skipped: a failed write would destroy an original.
Plan make_plan(const std::vector<std::string>& sources, const std::string& output_folder, engine::TargetFormat format,
               bool overwrite);

}  // namespace quorvant::cli
