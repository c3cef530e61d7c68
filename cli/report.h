// What quorvant-convert tells the user about each file.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "cli/options.h"
#include "cli/progress_bar.h"
#include "cli/text_escapes.h"

namespace quorvant::cli {

struct Outcome {
  std::string source;
  std::string destination;
  int code = 0;  // the engine's result code; 0 for a file skipped unconverted
  std::string message;
  bool done = false;  // not written by this run, yet done: its output exists (--skip-existing)
  bool written() const { return code == engine::kWritten; }
  bool succeeded() const { return written() || done; }
};

// The reason in words for an engine result code, when nothing better is
// known.
std::string describe_result(int code, const std::string& destination);

// {"source": ..., "destination": ..., "code": N, "message": ...}
std::string json_line(const Outcome& outcome);

// Collects outcomes from any thread. A failed file gets one line on stderr;
// --json adds one line per file on stdout, and nothing else goes there; on
// a terminal, unless -q or --json, a progress bar runs while files are
// converted. When standard output or error turns out closed (a pipe whose
// reader went away), `on_closed` runs once; when the report cannot be
// written for another reason (a full disk), the run fails.
class Reporter {
 public:
  Reporter(const CliOptions& options, size_t total, std::function<void()> on_closed);
  ~Reporter();

  void report(const Outcome& outcome);
  // A line on standard error that is about the run, not one file.
  void say(const std::string& line);
  // The same, for a thread that must never wait for the output (the signal
  // watch): the line is printed by the reporter's own thread.
  void announce(std::string line);
  // Writes out what standard output still buffers. True when every file
  // succeeded and the whole report was written.
  bool finish();

 private:
  // These two are called with error_mutex_ held.
  void print_error_line(const std::string& line);
  void note_closed_output();
  void note_lost_report(int error);
  void print_json_line(const std::string& line);
  void announce_loop();

  const bool json_;
  std::function<void()> on_closed_;
  // Each held while printing to its stream: one may wait for a full pipe
  // while the other goes on.
  std::mutex error_mutex_;   // standard error, the bar, closed_ and report_lost_
  std::mutex output_mutex_;  // standard output and output_closed_
  bool output_closed_ = false;  // no more report lines: standard output failed
  std::unique_ptr<ProgressBar> bar_;
  std::atomic<size_t> failures_{0};
  bool closed_ = false;
  bool report_lost_ = false;

  // Lines handed over by announce(), printed by announcer_.
  std::mutex notes_mutex_;  // never held while printing
  std::condition_variable notes_waiting_;
  std::deque<std::string> notes_;
  bool stopping_ = false;
  std::thread announcer_;  // last: starts after everything it uses exists
};

}  // namespace quorvant::cli
