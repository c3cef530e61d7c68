// A converted file is written under a private temporary name beside its
// destination and moved into place only when the conversion succeeded, so
// a failed or interrupted conversion never leaves a broken file under the
// destination's name and never damages a file that was there before.
#pragma once

#include <optional>
#include <string>

namespace quorvant::cli {

class PendingOutput {
 public:
  // Creates an empty temporary file next to `destination`; nothing on failure
  // (errno tells why).
  static std::optional<PendingOutput> create(const std::string& destination);

  PendingOutput(PendingOutput&& other) noexcept;
  PendingOutput& operator=(PendingOutput&&) = delete;
  PendingOutput(const PendingOutput&) = delete;
  ~PendingOutput();  // removes the temporary file unless it was published

  const std::string& path() const { return temporary_; }

  enum class Published { kDone, kDestinationExists, kFailed };
  // Moves the file to its destination. Without `replace`, an existing
  // destination is left alone (kDestinationExists) and checked atomically.
  Published publish(bool replace);

 private:
  PendingOutput(std::string destination, std::string temporary);
  std::string destination_;
  std::string temporary_;  // empty once published
};

}  // namespace quorvant::cli
