#include "cli/report.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

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
}

Reporter::~Reporter() = default;

void Reporter::note_closed_output() {
  if (closed_) return;
  closed_ = true;
  if (on_closed_) on_closed_();
}

void Reporter::print_error_line(const std::string& line) {
  if (bar_) {
    bar_->print_line(line);
  } else if (std::fprintf(stderr, "%s\n", line.c_str()) < 0 && errno == EPIPE) {
    note_closed_output();
  }
}

void Reporter::say(const std::string& line) {
  std::lock_guard lock(mutex_);
  print_error_line("quorvant-convert: " + terminal_text(line));
}

void Reporter::report(const Outcome& outcome) {
  std::lock_guard lock(mutex_);
  if (!outcome.written()) {
    ++failures_;
    print_error_line("quorvant-convert: " + quote(outcome.source) + ": " + terminal_text(outcome.message));
  }
  if (json_) {
    std::printf("%s\n", json_line(outcome).c_str());
    if (std::fflush(stdout) != 0 && errno == EPIPE) note_closed_output();
  }
  if (bar_) bar_->advance();
}

}  // namespace quorvant::cli
