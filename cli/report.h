// What quorvant-convert tells the user about each file.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "cli/options.h"
#include "cli/progress_bar.h"

namespace quorvant::cli {

struct Outcome {
  std::string source;
  std::string destination;
  int code = 0;  // the engine's result code; 0 for a file skipped unconverted
  std::string message;
  bool written() const { return code == engine::kWritten; }
};

// The reason in words for an engine result code.
std::string describe_result(int code, const std::string& destination);

// `text` as a JSON string literal. Bytes that are not valid UTF-8 become
// U+FFFD so that every line stays valid JSON.
std::string json_string(std::string_view text);
// {"source": ..., "destination": ..., "code": N, "message": ...}
std::string json_line(const Outcome& outcome);

// Collects outcomes from any thread. A failed file gets one line on stderr;
// --json adds one line per file on stdout; on a terminal, unless -q or
// --json, a progress bar runs while files are converted.
class Reporter {
 public:
  Reporter(const CliOptions& options, size_t total);
  ~Reporter();

  void report(const Outcome& outcome);
  bool all_written() const { return failures_ == 0; }

 private:
  const bool json_;
  std::mutex mutex_;
  std::unique_ptr<ProgressBar> bar_;
  std::atomic<size_t> failures_{0};
};

}  // namespace quorvant::cli
