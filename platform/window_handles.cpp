#include "platform/window_handles.h"

namespace quorvant::platform {

int32_t WindowHandles::handle_of(QWidget* widget) {
  if (widget == nullptr) return 0;
  std::lock_guard lock(mutex_);
  if (const auto found = handles_.find(widget); found != handles_.end()) return found->second;
  const int32_t handle = next_;
  next_ += kStep;
  handles_[widget] = handle;
  widgets_[handle] = widget;
  // Forget the widget when it goes; the connection ends with this table.
  QObject::connect(
      widget, &QObject::destroyed, this,
      [this, handle](QObject* gone) {
        std::lock_guard inner(mutex_);
        handles_.erase(gone);
        widgets_.erase(handle);
      },
      Qt::DirectConnection);
  return handle;
}

QWidget* WindowHandles::widget_of(int32_t handle) const {
  std::lock_guard lock(mutex_);
  const auto found = widgets_.find(handle);
  return found == widgets_.end() ? nullptr : found->second.data();
}

}  // namespace quorvant::platform
