// The program's dialogs and window moving under a real window manager
// (Openbox): titles, the message box's title bar, and dragging the window
// by its panel.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/desktop/desktop_support.h"

namespace quorvant::testing::desktop {
namespace {

using layout::centre_x;
using layout::centre_y;

// 查找单个文件 (转换单个图片) in the group 批量转换 at (316, 8).
constexpr Area kAddFile{layout::kPanelLeft + 316 + 3, layout::kPanelTop + 8 + 40, 98, 24};
// A place on the main panel itself, left of the file list.
constexpr int kPanelX = layout::kPanelLeft + 4, kPanelY = layout::kPanelTop + 260;


// Openbox on a virtual display, from when it has taken the screen until
// the test ends.
class Openbox {
 public:
  Openbox(const VirtualDisplay& display, const std::string& log_file) {
    const std::string display_variable = "DISPLAY=" + display.name();
    std::vector<std::string> arguments = {
        "/bin/sh", "-c", "exec env " + display_variable + " openbox --sm-disable >>" + shell_quote(log_file) + " 2>&1"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    // Up once it names itself on the root window.
    running_ = pid_ > 0 && within(kStartLimit, [&] {
                 return run_command(display_variable + " xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null")
                            .out.find("window id") != std::string::npos;
               });
  }
  ~Openbox() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  Openbox(const Openbox&) = delete;
  Openbox& operator=(const Openbox&) = delete;
  bool running() const { return running_; }

 private:
  pid_t pid_ = -1;
  bool running_ = false;
};

struct DialogsOnDesktop : ::testing::Test {
  TempFolder folder;
  VirtualDisplay display{folder.file("xvfb.log")};
  ConverterOnDisplay program{display, folder.path()};

  void click(const Area& area) { program.click(centre_x(area), centre_y(area)); }
  std::string xprop(const std::string& window, const std::string& property) {
    return run_command("DISPLAY=" + display.name() + " timeout 30 xprop -id " + window + " " + property + " 2>&1").out;
  }
};

// Without a title of the program's own, the open-file dialog carries the
// desktop's: 打开, not the program's name.
TEST_F(DialogsOnDesktop, TheSingleFileDialogWithoutATitleIsCalledOpen) {
  ASSERT_TRUE(program.start()) << program.keep(program.screenshot(), "start");
  click(kAddFile);
  const std::string dialog = program.wait_for_window("^打开$", kScreenLimit);
  EXPECT_FALSE(dialog.empty()) << "no window titled 打开\n" << program.keep(program.screenshot(), "no-open-dialog");
}

struct UnderOpenbox : DialogsOnDesktop {
  std::optional<Openbox> openbox;
  void SetUp() override {
    openbox.emplace(display, folder.file("openbox.log"));
    ASSERT_TRUE(openbox->running()) << "openbox did not take the display";
    ASSERT_TRUE(program.start()) << program.keep(program.screenshot(), "start");
  }
};

// The box that answers a cancelled folder browser: Openbox's title bar
// shows all of "信息：" (light letters on the bar), and the box asks for a
// close button only.
TEST_F(UnderOpenbox, TheInformationBoxIsWideEnoughForItsTitleAndOffersOnlyClose) {
  click(layout::kChooseFolder);
  const std::string browser = program.wait_for_window("Quorvant_", kScreenLimit);
  ASSERT_FALSE(browser.empty()) << program.keep(program.screenshot(), "no-browser");
  program.focus(browser);
  program.key("Escape");
  const std::string box = program.wait_for_window("^信息：$", kScreenLimit);
  ASSERT_FALSE(box.empty()) << program.keep(program.screenshot(), "no-box");
  // Where the box's client area is on the screen, and how tall the bar
  // Openbox puts above it is.
  const std::string info =
      run_command("DISPLAY=" + display.name() + " timeout 30 xwininfo -id " + box + " 2>&1").out;
  int left = 0, top = 0, width = 0, left_edge = 0, right_edge = 0, bar_height = 0;
  const auto number_after = [&](const char* label) {
    const size_t at = info.find(label);
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + std::strlen(label));
  };
  left = number_after("Absolute upper-left X:");
  top = number_after("Absolute upper-left Y:");
  width = number_after("Width:");
  const std::string extents = xprop(box, "_NET_FRAME_EXTENTS");
  ASSERT_EQ(std::sscanf(extents.c_str(), "_NET_FRAME_EXTENTS(CARDINAL) = %d, %d, %d", &left_edge, &right_edge,
                        &bar_height),
            3)
      << extents;
  ASSERT_GT(width, 0) << info;
  ASSERT_GE(bar_height, 14) << extents;

  // Between the bar's icon on the left and its buttons on the right, the
  // title's three characters draw about a hundred white pixels on the
  // blue bar; a title cut down to "..." draws about ten.
  int letters = 0;
  Screenshot shot;
  const bool shown = within(kScreenLimit, [&] {
    shot = program.screenshot();
    const Area bar{left + 22 - shot.window_left, top - bar_height + 3 - shot.window_top, width - 22 - 64,
                   bar_height - 6};
    const std::vector<uint8_t> samples = shot.pixels(bar);
    letters = 0;
    for (size_t i = 0; i + 2 < samples.size(); i += 3) {
      if (samples[i] >= 204 && samples[i + 1] >= 204 && samples[i + 2] >= 204) ++letters;
    }
    return letters > 40;
  });
  EXPECT_TRUE(shown) << "the box is " << width << " pixels wide; its title bar shows " << letters
                     << " light pixels of title\n"
                     << program.keep(shot, "title");

  // Motif hints: functions move, resize and close only (no minimise 0x08,
  // no maximise 0x10); no minimise 0x20 or maximise 0x40 button among the
  // decorations. Openbox keeps its own minimise button on every dialog
  // whatever the hints say, but takes maximise away from a box of fixed
  // size.
  const std::string hints = xprop(box, "_MOTIF_WM_HINTS");
  unsigned flags = 0, functions = 0, decorations = 0;
  ASSERT_EQ(std::sscanf(hints.c_str(), "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = %x, %x, %x", &flags, &functions,
                        &decorations),
            3)
      << hints;
  EXPECT_EQ(functions, 0x26u) << hints;
  EXPECT_EQ(decorations & 0x60u, 0u) << hints;
  const std::string actions = xprop(box, "_NET_WM_ALLOWED_ACTIONS");
  EXPECT_EQ(actions.find("MAXIMIZE"), std::string::npos) << actions;
  EXPECT_NE(actions.find("_NET_WM_ACTION_CLOSE"), std::string::npos) << actions;
}

// A press and release in place on the panel is a click: nothing moves, and
// what the user does next reaches the program. Only a press, a move and a
// release drag the window, and it stays where the release left it. Each
// round clicks the panel, opens and closes the file dialog (a window
// manager still moving the window would hold the pointer and keyboard, and
// Escape would end its move instead of closing the dialog), then drags by
// (10, 20) and moves the pointer on.
TEST_F(UnderOpenbox, OnlyADragWithTheButtonHeldMovesTheWindow) {
  const auto where = [&] { return program.client_area(program.window()); };
  const std::optional<Area> start = where();
  ASSERT_TRUE(start.has_value());
  const auto pointer_by = [&](int dx, int dy) {
    const CommandResult moved =
        run_command("DISPLAY=" + display.name() + " timeout 30 xdotool mousemove_relative -- " + std::to_string(dx) +
                    " " + std::to_string(dy) + " 2>&1");
    EXPECT_EQ(moved.status, 0) << moved.out;
  };
  for (int round = 1; round <= 3; ++round) {
    const int dx = 10 * (round - 1), dy = 20 * (round - 1);
    // Press and release within a millisecond, as one xdotool run sends them.
    program.move_to(kPanelX, kPanelY);
    const CommandResult clicked =
        run_command("DISPLAY=" + display.name() + " timeout 30 xdotool mousedown 1 mouseup 1 2>&1");
    ASSERT_EQ(clicked.status, 0) << clicked.out;
    click(kAddFile);
    const std::string dialog = program.wait_for_window("^打开$", kScreenLimit);
    ASSERT_FALSE(dialog.empty()) << "round " << round << ": the click after the click on the panel opens the dialog\n"
                                 << program.keep(program.screenshot(), "round-" + std::to_string(round) + "-dialog");
    program.focus(dialog);
    program.key("Escape");
    ASSERT_TRUE(program.wait_until_gone("^打开$", kScreenLimit))
        << "round " << round << ": Escape closes the dialog\n"
        << program.keep(program.screenshot(), "round-" + std::to_string(round) + "-escape");

    program.move_to(kPanelX, kPanelY);
    program.press();
    pointer_by(4, 8);
    pointer_by(6, 12);
    program.release();
    pointer_by(50, 50);
    Area now{0, 0, 0, 0};
    const bool placed = within(kScreenLimit, [&] {
      if (const std::optional<Area> at = where()) now = *at;
      return now.left == start->left + dx + 10 && now.top == start->top + dy + 20;
    });
    ASSERT_TRUE(placed) << "round " << round << ": the window is at " << now.left << ", " << now.top
                        << " from where it started, not " << dx + 10 << ", " << dy + 20 << "\n"
                        << program.keep(program.screenshot(), "round-" + std::to_string(round));
  }
}

}  // namespace
}  // namespace quorvant::testing::desktop
