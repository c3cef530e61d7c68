// Ctrl-C or SIGTERM during a batch: no new conversion starts and the running
// ones finish, so neither a partial output nor a temporary file is left
// behind. A second signal ends the program at once, as usual.
#pragma once

namespace quorvant::cli {

// Watches for the signals while it lives; restores the usual handling after.
class InterruptionWatch {
 public:
  InterruptionWatch();
  ~InterruptionWatch();
  InterruptionWatch(const InterruptionWatch&) = delete;
  InterruptionWatch& operator=(const InterruptionWatch&) = delete;

  bool requested() const;
};

// The exit status after an interruption, as shells report one.
inline constexpr int kInterrupted = 130;

}  // namespace quorvant::cli
