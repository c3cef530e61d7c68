// Ctrl-C, SIGTERM, SIGHUP or SIGQUIT during a batch, or an output whose
// reader went away. The first signal asks the run to stop: no new
// conversion starts and the running ones finish, so neither a partial
// output nor a scratch file is left. A second signal stops the program at
// once, after removing what is pending, whatever the conversions are doing
// (even blocked on a full output pipe): the watch never waits for the
// output. A closed output (a pipe into `head`, say) stops the run like a
// first signal: writing to it no longer kills the program.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "engine/unique_fd.h"

namespace quorvant::cli {

// The exit status after an interruption, as shells report one.
inline constexpr int kInterrupted = 130;

class InterruptionWatch {
 public:
  // Must be made before any other thread of the program: it blocks the
  // signals, so that every thread made later leaves them to the watch's own
  // thread. `on_first` runs there at the first signal, `on_second` at the
  // second, just before the program ends with kInterrupted; neither may
  // wait for anything that waits for the output.
  InterruptionWatch(std::function<void()> on_first, std::function<void()> on_second);
  ~InterruptionWatch();  // restores the signals' usual handling
  InterruptionWatch(const InterruptionWatch&) = delete;
  InterruptionWatch& operator=(const InterruptionWatch&) = delete;

  bool requested() const { return requested_; }
  // Stops the run as a first signal does, without calling on_first (the
  // output closed).
  void request() { requested_ = true; }

 private:
  void watch();

  std::function<void()> on_first_;
  std::function<void()> on_second_;
  std::atomic<bool> requested_{false};
  engine::UniqueFd signals_;  // a signalfd for the watched signals
  engine::UniqueFd wake_;     // an eventfd that ends the watch
  std::jthread thread_;       // last: starts after everything it uses exists
};

}  // namespace quorvant::cli
