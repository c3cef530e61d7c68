#include "cli/report.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/text_escapes.h"
#include "engine/result_codes.h"

namespace quorvant::cli {

std::string describe_result(int code, const std::string& destination) {
  switch (code) {
    case engine::kWritten:
      return "written";
    case engine::kSourceMissing:
      return "not found";
    case engine::kUnreadable:
      return engine::kNotAPicture;
    case engine::kWriteFailed:
      return "cannot write " + destination;
    case engine::kBadArguments:
      return "bad option for this format";
    default:
      return "failed with code " + std::to_string(code);
  }
}

std::string json_line(const Outcome& outcome) {
  return "{\"source\": " + json_string(outcome.source) + ", \"destination\": " + json_string(outcome.destination) +
         ", \"code\": " + std::to_string(outcome.code) + ", \"message\": " + json_string(outcome.message) + "}";
}

Reporter::Reporter(const CliOptions& options, size_t total, std::function<void()> on_closed)
    : json_(options.json), on_closed_(std::move(on_closed)) {
  if (!options.quiet && !options.json && ::isatty(STDERR_FILENO) == 1) {
    bar_ = std::make_unique<ProgressBar>(total, stderr);
  }
  announcer_ = std::thread([this] { announce_loop(); });
}

Reporter::~Reporter() {
  {
    std::lock_guard lock(notes_mutex_);
    stopping_ = true;
  }
  notes_waiting_.notify_all();
  announcer_.join();
}

void Reporter::note_closed_output() {
  if (closed_) return;
  closed_ = true;
  if (on_closed_) on_closed_();
}

void Reporter::note_lost_report(int error) {
  if (error == EPIPE) {
    note_closed_output();
    return;
  }
  if (report_lost_) return;
  report_lost_ = true;
  if (error == 0) error = EIO;
  print_error_line(std::string("quorvant-convert: cannot write the report on standard output: ") +
                   std::strerror(error));
}

void Reporter::print_error_line(const std::string& line) {
  if (bar_) {
    bar_->print_line(line);
  } else if (std::fprintf(stderr, "%s\n", line.c_str()) < 0 && errno == EPIPE) {
    note_closed_output();
  }
}

void Reporter::say(const std::string& line) {
  std::lock_guard lock(error_mutex_);
  print_error_line("quorvant-convert: " + terminal_text(line));
}

void Reporter::announce(std::string line) {
  {
    std::lock_guard lock(notes_mutex_);
    notes_.push_back(std::move(line));
  }
  notes_waiting_.notify_all();
}

void Reporter::announce_loop() {
  std::unique_lock lock(notes_mutex_);
  for (;;) {
    notes_waiting_.wait(lock, [&] { return stopping_ || !notes_.empty(); });
    if (notes_.empty()) return;
    const std::string line = std::move(notes_.front());
    notes_.pop_front();
    lock.unlock();
    say(line);
    lock.lock();
  }
}

void Reporter::report(const Outcome& outcome) {
  if (!outcome.succeeded()) {
    ++failures_;
    std::lock_guard lock(error_mutex_);
    print_error_line("quorvant-convert: " + quote(outcome.source) + ": " + terminal_text(outcome.message));
  }
  if (json_) print_json_line(json_line(outcome));
  if (bar_) {
    std::lock_guard lock(error_mutex_);
    bar_->advance();
  }
}

void Reporter::print_json_line(const std::string& line) {
  std::lock_guard lock(output_mutex_);
  if (output_closed_) return;
  errno = 0;
  if (std::printf("%s\n", line.c_str()) >= 0 && std::fflush(stdout) == 0) return;
  const int error = errno;
  output_closed_ = true;
  std::lock_guard error_lock(error_mutex_);
  note_lost_report(error);
}

bool Reporter::finish() {
  if (json_) {
    std::lock_guard lock(output_mutex_);
    errno = 0;
    if (!output_closed_ && (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)) {
      const int error = errno;
      output_closed_ = true;
      std::lock_guard error_lock(error_mutex_);
      note_lost_report(error);
    }
  }
  std::lock_guard lock(error_mutex_);
  return failures_ == 0 && !report_lost_;
}

}  // namespace quorvant::cli
