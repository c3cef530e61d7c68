// Everything that touches a widget runs on the window thread (the thread of
// the application object). A call from another thread is carried there and
// the caller waits for it; on the window thread it simply runs.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

namespace quorvant::platform {

bool on_window_thread();
void run_on_window_thread(const std::function<void()>& work);

// The same, for work that returns a value.
template <class Work>
auto call_on_window_thread(Work&& work) -> std::invoke_result_t<Work> {
  using Result = std::invoke_result_t<Work>;
  if constexpr (std::is_void_v<Result>) {
    run_on_window_thread(std::forward<Work>(work));
  } else {
    if (on_window_thread()) return work();
    Result result{};
    run_on_window_thread([&] { result = work(); });
    return result;
  }
}

}  // namespace quorvant::platform
