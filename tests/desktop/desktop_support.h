// The window program as a person uses it: the real build/quorvant on a
// virtual X display of its own, driven with xdotool and looked at through
// ImageMagick's screenshots.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_support.h"

namespace quorvant::testing::desktop {

using namespace std::chrono_literals;

// How long the tests wait for what they expect, far beyond what it takes on
// a loaded machine: a window appearing or changing on the screen, files of
// a conversion, the program ending.
constexpr std::chrono::seconds kScreenLimit = 20s;
constexpr std::chrono::seconds kStartLimit = 60s;
constexpr std::chrono::seconds kJobLimit = 180s;

// Looks at `condition` every few milliseconds until it holds; false when it
// still does not after `limit`.
template <class Condition>
bool within(std::chrono::seconds limit, Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

// An X server of the test's own (Xvfb, 1024 x 768, 24 bits unless the test
// asks for another screen) on a display
// number the server picks among the free ones. DISPLAY names it for the
// test process, so xdotool and import talk to it. No window manager and no
// compositing manager run on it unless a test starts one.
class VirtualDisplay {
 public:
  explicit VirtualDisplay(const std::string& log_file, const std::string& screen = "1024x768x24");
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;
  const std::string& name() const { return name_; }

 private:
  pid_t server_ = -1;
  std::string name_;
};

// A compositing manager (xcompmgr) on a virtual display, started once the
// display is up and ended with the test. With it the desktop honours the
// window's opacity, as a desktop with compositing effects does; without it
// the X server draws every window as it is, as under Openbox, i3 or a plain
// Xfce.
class CompositingManager {
 public:
  CompositingManager(const VirtualDisplay& display, const std::string& log_file);
  ~CompositingManager();
  CompositingManager(const CompositingManager&) = delete;
  CompositingManager& operator=(const CompositingManager&) = delete;

 private:
  pid_t pid_ = -1;
};

// A session message bus of the test's own with the accessibility bus
// (at-spi) behind it, as on a desktop where a screen reader runs: a program
// started with its address describes its windows there.
class AccessibilityBus {
 public:
  AccessibilityBus(const VirtualDisplay& display, const std::string& folder);
  ~AccessibilityBus();
  AccessibilityBus(const AccessibilityBus&) = delete;
  AccessibilityBus& operator=(const AccessibilityBus&) = delete;
  const std::string& address() const { return address_; }

  // What a screen reader finds of the programs on the bus, depth first.
  struct Object {
    int depth = 0;  // 1 for a top-level window
    std::string role, name, description;
    std::vector<std::string> actions, states;
    bool has(const std::vector<std::string>& list, const std::string& item) const;
  };
  std::vector<Object> objects() const;

 private:
  std::string folder_;
  std::string display_;
  std::string address_;
  pid_t bus_ = -1;
  pid_t launcher_ = -1;
};

// A place on the window, in pixels from its top left corner.
struct Area {
  int left, top, width, height;
};

// A screenshot of the whole display, read in window coordinates.
struct Screenshot {
  Pnm screen;
  int window_left = 0;
  int window_top = 0;

  // The RGB samples of `area`, row by row.
  std::vector<uint8_t> pixels(const Area& area) const;
  // Pixels of `area` darker than the grey of a dialog's face: text, outlines.
  int dark_pixels(const Area& area) const;
  // Pixels of `area` as light as a dialog's face or lighter.
  int light_pixels(const Area& area) const;
  // Lines of text in `area` that begin alike, as the full paths of the files
  // of one folder in a list do: the number of equal bands of rows, one below
  // the other from the first dark row down, compared on the leftmost
  // `columns`; 1 for marks that do not repeat, -1 when the line below the
  // last is not empty.
  int alike_lines(const Area& area, int columns) const;
  bool same(const Screenshot& other, const Area& area) const { return pixels(area) == other.pixels(area); }
};

// build/quorvant, copied with its system library into a private folder and
// started from there, so that its output folder (保存文件 beside the program)
// belongs to the test alone. It gets a private TMPDIR, home and runtime
// folder, and an `xdg-open` that only writes down what it is asked to open,
// so neither a file browser nor a web browser ever starts.
class ConverterOnDisplay {
 public:
  ConverterOnDisplay(const VirtualDisplay& display, const std::string& folder);
  ~ConverterOnDisplay();
  ConverterOnDisplay(const ConverterOnDisplay&) = delete;
  ConverterOnDisplay& operator=(const ConverterOnDisplay&) = delete;

  // Starts the program with `arguments` and waits until its main window is
  // on the screen and drawn; false when it does not come or the program
  // ends first.
  bool start(const std::vector<std::string>& arguments = {});
  // Sets a variable of the program's environment ("NAME=value") for the
  // next start, in place of the one the test would give it.
  void set_environment(const std::string& entry);
  // Starts the program at `scale` times the size (QT_SCALE_FACTOR): the
  // mouse's window coordinates are the form's, multiplied here;
  // screenshots stay in the screen's pixels.
  void set_scale(int scale);
  const std::string& window() const { return window_; }

  // The folder beside the program that the jobs write into (ending with "/").
  std::string output_folder() const;
  const std::string& scratch_folder() const { return scratch_; }
  // What the stand-in `xdg-open` was asked to open, in order.
  std::vector<std::string> opened() const;
  // Its standard output and error.
  std::string log() const;
  // Where each of its threads stands (gdb's backtraces), for the message of
  // a check that found the program stuck.
  std::string thread_stacks() const;

  Screenshot screenshot() const;
  // Takes screenshots into `shot` until `shows` holds of one; false when
  // none did within the screen's time limit.
  bool waits_until(Screenshot& shot, const std::function<bool(const Screenshot&)>& shows) const;
  // Writes `shot` beside the other kept screenshots and says where, for the
  // message of a failed check.
  std::string keep(const Screenshot& shot, const std::string& name) const;

  // The mouse and keyboard, through the X server's test extension.
  void click(int x, int y) const;  // window coordinates
  void move_to(int x, int y) const;
  void press() const;
  void release() const;
  void type(const std::string& text) const;
  void key(const std::string& name) const;

  // A window of the program titled as `title_pattern` (a regular
  // expression) once it is on the screen; empty when none comes within
  // `limit`.
  std::string wait_for_window(const std::string& title_pattern, std::chrono::seconds limit) const;
  // Waits until no window so titled is on the screen; false when one still
  // is after `limit`.
  bool wait_until_gone(const std::string& title_pattern, std::chrono::seconds limit) const;
  // Where `window`'s client area is, in the main window's coordinates, as
  // screenshots are read; nothing when the window is gone.
  std::optional<Area> client_area(const std::string& window) const;
  // Gives `window` the keyboard, as a click on its caption would.
  void focus(const std::string& window) const;

  // The folder dialog of 转换多个图片: opens it, types `folder` into it and
  // presses Return. False when the dialog does not open or does not close.
  bool choose_folder(const std::string& folder) const;

  // Waits until the program has ended and gives its exit status (-1 for a
  // signal); nothing when it is still running after `limit`.
  std::optional<int> wait_for_exit(std::chrono::seconds limit);

 private:
  // What the program runs with: nothing of the desktop the tests were
  // started from.
  std::vector<std::string> environment() const;
  std::string find_window(const std::string& title_pattern) const;
  // Where `window`'s client area is on the display.
  std::optional<Area> placement(const std::string& window) const;
  void xdotool(const std::string& arguments) const;

  const VirtualDisplay& display_;
  std::string folder_;
  std::string program_directory_;
  std::string scratch_;
  pid_t pid_ = -1;
  std::string window_;
  int left_ = 0;
  int top_ = 0;
  std::vector<std::string> set_environment_;
  int scale_ = 1;
};

// Where the main window's controls are, from its form: the main panel
// 外形框2 at (16, 32), and the controls placed within it.
namespace layout {
constexpr int kPanelLeft = 16, kPanelTop = 32;
constexpr Area kPanelTopEdge{kPanelLeft + 8, kPanelTop, 600, 1};
// 文件列表, less its border.
constexpr Area kFileList{kPanelLeft + 8 + 2, kPanelTop + 8 + 2, 304 - 4, 330 - 4};
// 查找文件 (转换多个图片) in the group 批量转换 at (316, 8).
constexpr Area kChooseFolder{kPanelLeft + 316 + 194, kPanelTop + 8 + 40, 98, 24};
// 转换为PNG in the group 格式选择 at (316, 80).
constexpr Area kPngBox{kPanelLeft + 316 + 12, kPanelTop + 80 + 40, 80, 24};
constexpr Area kConvert{kPanelLeft + 514, kPanelTop + 312, 98, 24};
// 品质条 and 质量标签 in the group 质量选择 at (316, 200).
constexpr Area kQualitySlider{kPanelLeft + 316 + 100, kPanelTop + 200 + 9, 192, 32};
constexpr Area kQualityLabel{kPanelLeft + 316 + 252, kPanelTop + 200 + 40, 32, 16};
// The group 质量选择 itself, and 目录 (less its border) in the group 批量转换.
constexpr Area kJpegOptions{kPanelLeft + 316, kPanelTop + 200, 296, 112};
constexpr Area kFolderBox{kPanelLeft + 316 + 4 + 1, kPanelTop + 8 + 16 + 1, 288 - 2, 20 - 2};
// The close button, on the window itself.
constexpr Area kClose{588, 0, 44, 18};

constexpr Area scaled(const Area& area, int scale) {
  return {area.left * scale, area.top * scale, area.width * scale, area.height * scale};
}
constexpr int centre_x(const Area& area) { return area.left + area.width / 2; }
constexpr int centre_y(const Area& area) { return area.top + area.height / 2; }
}  // namespace layout

// Makes `count` copies of `picture` named <stem>01.jpg, <stem>02.jpg, ... in
// `folder`, and gives their paths.
std::vector<std::string> copies(const std::string& picture, const std::string& folder, const std::string& stem,
                                int count);

// The files (not folders) anywhere below `folder`.
std::vector<std::string> files_below(const std::string& folder);

// A PNG file read by netpbm's pngtopnm: nothing unless the whole file
// decodes without a complaint.
std::optional<Pnm> read_whole_png(const std::string& path);

}  // namespace quorvant::testing::desktop
