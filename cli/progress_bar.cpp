#include "cli/progress_bar.h"

#include <cmath>
#include <cstdio>

namespace quorvant::cli {

namespace {

constexpr int kBarWidth = 30;

std::string clock_text(double seconds) {
  const long total = std::lround(seconds);
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  }
  return text;
}

}  // namespace

ProgressBar::ProgressBar(size_t total, std::FILE* terminal)
    : total_(total), terminal_(terminal), redraw_thread_([this] { redraw_loop(); }) {}

ProgressBar::~ProgressBar() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  redraw_thread_.join();
  // The finished bar stays as the run's summary line.
  std::lock_guard lock(mutex_);
  draw_locked();
  std::fputc('\n', terminal_);
  std::fflush(terminal_);
}

std::string ProgressBar::render(size_t done, size_t total, std::chrono::duration<double> elapsed) {
  const double fraction = total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
  const int filled = static_cast<int>(fraction * kBarWidth);
  std::string bar(1, '[');
  bar.append(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kBarWidth - filled), '-');
  bar += "] ";
  bar += std::to_string(done) + "/" + std::to_string(total);

  const double seconds = elapsed.count();
  if (done == total) {
    char text[64];
    std::snprintf(text, sizeof text, "  %.1f pictures/s  done in %s",
                  seconds > 0 ? static_cast<double>(done) / seconds : 0.0, clock_text(seconds).c_str());
    bar += text;
  } else if (done > 0 && seconds > 0) {
    const double rate = static_cast<double>(done) / seconds;
    char text[64];
    std::snprintf(text, sizeof text, "  %.1f pictures/s  %s left", rate,
                  clock_text(static_cast<double>(total - done) / rate).c_str());
    bar += text;
  } else {
    bar += "  -- pictures/s  --:-- left";
  }
  return bar;
}

void ProgressBar::advance() {
  std::lock_guard lock(mutex_);
  ++done_;
}

void ProgressBar::print_line(const std::string& line) {
  std::lock_guard lock(mutex_);
  std::fprintf(terminal_, "\r\033[K%s\n", line.c_str());
  draw_locked();
}

void ProgressBar::draw_locked() {
  const std::string text = render(done_, total_, std::chrono::steady_clock::now() - start_);
  std::fprintf(terminal_, "\r\033[K%s", text.c_str());
  std::fflush(terminal_);
}

void ProgressBar::redraw_loop() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    draw_locked();
    wake_.wait_for(lock, kRedrawInterval, [this] { return stopping_; });
  }
}

}  // namespace quorvant::cli
