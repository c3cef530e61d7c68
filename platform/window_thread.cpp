#include "platform/window_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace quorvant::platform {

namespace {

// ThreadSanitizer's view of a blocking queued call. Qt hands the call over
// and waits for it with locks of its own, which a ThreadSanitizer build
// cannot see into when Qt itself is not built for it. These tell it what the
// hand-over guarantees; ordinary builds compile them away.
void hand_over([[maybe_unused]] const void* point) {
#if defined(__SANITIZE_THREAD__)
  __tsan_release(const_cast<void*>(point));
#endif
}

void take_over([[maybe_unused]] const void* point) {
#if defined(__SANITIZE_THREAD__)
  __tsan_acquire(const_cast<void*>(point));
#endif
}

// The call Qt carries to the window thread. Qt moves it into a copy of its
// own and frees that copy, in the caller's thread or the window thread,
// after the call; so each copy is its own meeting point: the caller's
// writes happen before the copy is read on the window thread, and the call
// happens before the copy is freed and before the caller goes on.
class WindowThreadCall {
 public:
  WindowThreadCall(const std::function<void()>& work, const char& caller) : work_(&work), caller_(&caller) {
    hand_over(this);
  }
  WindowThreadCall(WindowThreadCall&& other) noexcept : work_(other.work_), caller_(other.caller_) { hand_over(this); }
  WindowThreadCall(const WindowThreadCall&) = delete;
  WindowThreadCall& operator=(const WindowThreadCall&) = delete;
  WindowThreadCall& operator=(WindowThreadCall&&) = delete;
  ~WindowThreadCall() { take_over(this); }

  void operator()() const {
    take_over(this);
    (*work_)();
    hand_over(caller_);
    hand_over(this);
  }

 private:
  const std::function<void()>* work_;
  const char* caller_;
};

}  // namespace

bool on_window_thread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app == nullptr || QThread::currentThread() == app->thread();
}

void run_on_window_thread(const std::function<void()>& work) {
  if (on_window_thread()) {
    work();
    return;
  }
  const char caller = 0;
  QMetaObject::invokeMethod(QCoreApplication::instance(), WindowThreadCall(work, caller), Qt::BlockingQueuedConnection);
  take_over(&caller);
}

}  // namespace quorvant::platform
