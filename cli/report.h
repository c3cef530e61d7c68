// What quorvant-convert tells the user about each file.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "cli/options.h"
#include "cli/progress_bar.h"
#include "cli/text_escapes.h"

namespace quorvant::cli {

struct Outcome {
  std::string source;
  std::string destination;
  int code = 0;  // the engine's result code; 0 for a file skipped unconverted
  std::string message;
  bool written() const { return code == engine::kWritten; }
};

// The reason in words for an engine result code, when nothing better is
// known.
std::string describe_result(int code, const std::string& destination);

// {"source": ..., "destination": ..., "code": N, "message": ...}
std::string json_line(const Outcome& outcome);

// Collects outcomes from any thread. A failed file gets one line on stderr;
// --json adds one line per file on stdout; on a terminal, unless -q or
// --json, a progress bar runs while files are converted. When standard
// output or error turns out closed (a pipe whose reader went away),
// `on_closed` runs once.
class Reporter {
 public:
  Reporter(const CliOptions& options, size_t total, std::function<void()> on_closed);
  ~Reporter();

  void report(const Outcome& outcome);
  // A line on standard error that is about the run, not one file.
  void say(const std::string& line);
  bool all_written() const { return failures_ == 0; }

 private:
  void print_error_line(const std::string& line);
  void note_closed_output();

  const bool json_;
  std::function<void()> on_closed_;
  std::mutex mutex_;
  std::unique_ptr<ProgressBar> bar_;
  std::atomic<size_t> failures_{0};
  bool closed_ = false;
};

}  // namespace quorvant::cli
