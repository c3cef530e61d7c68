#include "cli/interruption.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>

namespace quorvant::cli {

namespace {

sigset_t watched_signals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  sigaddset(&set, SIGQUIT);
  return set;
}

}  // namespace

InterruptionWatch::InterruptionWatch(std::function<void()> on_first, std::function<void()> on_second)
    : on_first_(std::move(on_first)), on_second_(std::move(on_second)) {
  const sigset_t set = watched_signals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  // Writing to a closed pipe fails with EPIPE instead of ending the program.
  std::signal(SIGPIPE, SIG_IGN);
  signals_.reset(::signalfd(-1, &set, SFD_CLOEXEC));
  wake_.reset(::eventfd(0, EFD_CLOEXEC));
  thread_ = std::jthread([this] { watch(); });
}

InterruptionWatch::~InterruptionWatch() {
  const uint64_t one = 1;
  if (wake_ && ::write(wake_.get(), &one, sizeof one) < 0) {
    // The watch cannot be woken; the signals stay blocked until exit.
  }
  if (thread_.joinable()) thread_.join();
  std::signal(SIGPIPE, SIG_DFL);
  const sigset_t set = watched_signals();
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void InterruptionWatch::watch() {
  if (!signals_ || !wake_) return;
  int received = 0;
  for (;;) {
    pollfd waiting[2] = {{signals_.get(), POLLIN, 0}, {wake_.get(), POLLIN, 0}};
    if (::poll(waiting, 2, -1) < 0) continue;
    if ((waiting[1].revents & POLLIN) != 0) return;
    signalfd_siginfo info{};
    if (::read(signals_.get(), &info, sizeof info) != sizeof info) continue;
    // A first Ctrl-C or hang-up lets the running conversions finish; a
    // second signal, and SIGTERM or SIGQUIT at once, end the run whatever
    // the workers are doing (a worker may be stuck writing to a pipe that
    // nobody reads, and a batch system's grace period ends in SIGKILL).
    const bool at_once = info.ssi_signo == SIGTERM || info.ssi_signo == SIGQUIT;
    if (++received == 1 && !at_once) {
      requested_ = true;
      on_first_();
    } else {
      // Nothing here may wait for the program's output: a worker may be
      // stuck writing to a pipe nobody reads. Every report line has been
      // flushed as it was printed.
      on_second_();
      ::_exit(kInterrupted);
    }
  }
}

}  // namespace quorvant::cli
