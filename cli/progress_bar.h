// A one-line progress bar on a terminal: done/total, pictures per second and
// the time left, redrawn by its own thread several times a second.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace quorvant::cli {

class ProgressBar {
 public:
  ProgressBar(size_t total, std::FILE* terminal);
  ~ProgressBar();  // stops redrawing and leaves the final bar as a summary line
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void advance();
  // Prints a whole line above the bar.
  void print_line(const std::string& line);

  // The bar's text for `done` of `total` after `elapsed`; public for tests.
  static std::string render(size_t done, size_t total, std::chrono::duration<double> elapsed);

 private:
  void redraw_loop();
  void draw_locked();

  static constexpr std::chrono::milliseconds kRedrawInterval{100};

  const size_t total_;
  std::FILE* const terminal_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::mutex mutex_;
  std::condition_variable wake_;
  size_t done_ = 0;
  bool stopping_ = false;
  std::thread redraw_thread_;  // last: starts after everything it uses exists
};

}  // namespace quorvant::cli
