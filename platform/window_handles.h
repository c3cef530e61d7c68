// Stable integer handles for live windows and controls, standing in for the
// system window handles that the program passes to system functions. A
// handle is never reused while the program runs; a destroyed widget's handle
// names nothing and is forgotten.
#pragma once

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <map>
#include <mutex>

namespace quorvant::platform {

class WindowHandles : public QObject {
 public:
  // The handle of `widget`, made on first request.
  int32_t handle_of(QWidget* widget);
  // The live widget of a handle, or nullptr.
  QWidget* widget_of(int32_t handle) const;

 private:
  static constexpr int32_t kFirstHandle = 0x10010;
  static constexpr int32_t kStep = 4;

  mutable std::mutex mutex_;  // handles are asked for from job threads too
  int32_t next_ = kFirstHandle;
  std::map<const QObject*, int32_t> handles_;
  std::map<int32_t, QPointer<QWidget>> widgets_;
};

}  // namespace quorvant::platform
