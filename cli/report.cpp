#include "cli/report.h"

#include <unistd.h>

#include <cstdio>

#include "engine/result_codes.h"

namespace quorvant::cli {

namespace {

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not a
// valid one.
size_t utf8_sequence_length(std::string_view text, size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  size_t length = 0;
  uint32_t minimum = 0;
  uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, code = lead & 0x07u;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    code = (code << 6) | (c & 0x3Fu);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string describe_result(int code, const std::string& destination) {
  switch (code) {
    case engine::kWritten:
      return "written";
    case engine::kSourceMissing:
      return "not found";
    case engine::kUnreadable:
      return "not a picture this program can read";
    case engine::kWriteFailed:
      return "cannot write " + destination;
    case engine::kBadArguments:
      return "bad option for this format";
    default:
      return "failed with code " + std::to_string(code);
  }
}

std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (const size_t length = utf8_sequence_length(text, i); length > 0) {
      out.append(text.substr(i, length));
      i += length;
      continue;
    } else {
      out += "\\ufffd";
    }
    ++i;
  }
  out += '"';
  return out;
}

std::string json_line(const Outcome& outcome) {
  return "{\"source\": " + json_string(outcome.source) + ", \"destination\": " + json_string(outcome.destination) +
         ", \"code\": " + std::to_string(outcome.code) + ", \"message\": " + json_string(outcome.message) + "}";
}

Reporter::Reporter(const CliOptions& options, size_t total) : json_(options.json) {
  if (!options.quiet && !options.json && ::isatty(STDERR_FILENO) == 1) {
    bar_ = std::make_unique<ProgressBar>(total, stderr);
  }
}

Reporter::~Reporter() = default;

void Reporter::report(const Outcome& outcome) {
  std::lock_guard lock(mutex_);
  if (!outcome.written()) {
    ++failures_;
    const std::string line = "quorvant-convert: " + outcome.source + ": " + outcome.message;
    if (bar_) {
      bar_->print_line(line);
    } else {
      std::fprintf(stderr, "%s\n", line.c_str());
    }
  }
  if (json_) {
    std::printf("%s\n", json_line(outcome).c_str());
    std::fflush(stdout);
  }
  if (bar_) bar_->advance();
}

}  // namespace quorvant::cli
