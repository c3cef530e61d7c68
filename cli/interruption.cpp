#include "cli/interruption.h"

#include <csignal>

namespace quorvant::cli {

namespace {

// A signal handler can only leave a mark in a flag of this kind.
volatile std::sig_atomic_t interruption_requested = 0;

extern "C" void note_interruption(int) { interruption_requested = 1; }

struct sigaction previous_interrupt;
struct sigaction previous_terminate;

}  // namespace

InterruptionWatch::InterruptionWatch() {
  interruption_requested = 0;
  struct sigaction action {};
  action.sa_handler = note_interruption;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;  // the second signal gets the usual handling
  sigaction(SIGINT, &action, &previous_interrupt);
  sigaction(SIGTERM, &action, &previous_terminate);
}

InterruptionWatch::~InterruptionWatch() {
  sigaction(SIGINT, &previous_interrupt, nullptr);
  sigaction(SIGTERM, &previous_terminate, nullptr);
}

bool InterruptionWatch::requested() const { return interruption_requested != 0; }

}  // namespace quorvant::cli
