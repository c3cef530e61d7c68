// Asking the desktop to open a web address, standing in for the shell's
// "open" request. Tests replace it with a recording one.
#pragma once

#include <string>
#include <vector>

namespace quorvant::platform {

class Desktop {
 public:
  virtual ~Desktop() = default;
  virtual void open_url(const std::string& address) = 0;
};

// The user's browser, through QDesktopServices.
class QtDesktop final : public Desktop {
 public:
  void open_url(const std::string& address) override;
};

class RecordingDesktop final : public Desktop {
 public:
  void open_url(const std::string& address) override { opened_.push_back(address); }
  const std::vector<std::string>& opened() const { return opened_; }

 private:
  std::vector<std::string> opened_;
};

}  // namespace quorvant::platform
