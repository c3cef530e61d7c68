#include "platform/window_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace quorvant::platform {

bool on_window_thread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app == nullptr || QThread::currentThread() == app->thread();
}

void run_on_window_thread(const std::function<void()>& work) {
  if (on_window_thread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), work, Qt::BlockingQueuedConnection);
}

}  // namespace quorvant::platform
