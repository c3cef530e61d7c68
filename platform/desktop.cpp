#include "platform/desktop.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/window_thread.h"

namespace quorvant::platform {

void QtDesktop::open_url(const std::string& address) {
  run_on_window_thread([&] { QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(address))); });
}

}  // namespace quorvant::platform
