#include "tests/desktop/desktop_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

namespace quorvant::testing::desktop {

namespace fs = std::filesystem;

namespace {

// Starts `argv` in `directory` with exactly `environment`, its standard
// output and error going to `log_file`, and `not_inherited` closed in it.
pid_t spawn(std::vector<std::string> argv, std::vector<std::string> environment, const std::string& log_file,
            const std::string& directory, int not_inherited = -1) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (not_inherited >= 0) posix_spawn_file_actions_addclose(&actions, not_inherited);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log_file.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  std::vector<char*> args;
  for (std::string& argument : argv) args.push_back(argument.data());
  args.push_back(nullptr);
  std::vector<char*> env;
  for (std::string& entry : environment) env.push_back(entry.data());
  env.push_back(nullptr);
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, argv.front().c_str(), &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error("cannot start " + argv.front());
  return pid;
}

std::vector<std::string> own_environment() {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) entries.emplace_back(*entry);
  return entries;
}

// Ends a child the test started: politely, then for good.
void stop(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  const bool ended = within(std::chrono::seconds(10), [pid] { return ::waitpid(pid, nullptr, WNOHANG) == pid; });
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// Stands in for the desktop's opener: the folder a job opens at its end and
// the web addresses opened on closing are only written down.
constexpr const char* kOpener = "#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$(dirname \"$0\")/opened.log\"\n";

}  // namespace

namespace {

// Starts Xvfb on display `display`; the display's number once the server
// accepts connections (it writes it into a pipe then), or nothing when the
// server ended first (another server has that display) or took too long.
// -noreset: by default the server resets whenever its last client leaves,
// and a client connecting during the reset is dropped ("could not connect
// to display"); between the test's short-lived xdotool and import runs the
// server is often without clients.
std::string start_server(int display, const std::string& screen, const std::string& log_file, pid_t& server) {
  int channel[2];
  if (::pipe(channel) != 0) throw std::runtime_error("cannot make a pipe");
  try {
    server = spawn({"Xvfb", ":" + std::to_string(display), "-displayfd", std::to_string(channel[1]), "-screen", "0",
                    screen, "-nolisten", "tcp", "-noreset"},
                   own_environment(), log_file, fs::current_path().string(), channel[0]);
  } catch (...) {
    ::close(channel[0]);
    ::close(channel[1]);
    throw;
  }
  ::close(channel[1]);
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  while (number.empty() || number.back() != '\n') {
    pollfd ready{channel[0], POLLIN, 0};
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) break;
    char chunk[16];
    const ssize_t n = ::read(channel[0], chunk, sizeof chunk);
    if (n <= 0) break;  // the server ended
    number.append(chunk, static_cast<size_t>(n));
  }
  ::close(channel[0]);
  if (number.empty() || number.back() != '\n') {
    stop(server);
    server = -1;
    return {};
  }
  return trimmed(number);
}

}  // namespace

VirtualDisplay::VirtualDisplay(const std::string& log_file, const std::string& screen) {
  // X servers put their sockets in /tmp/.X11-unix, which the first of them
  // makes. Two servers starting at once on a fresh machine race to make it
  // and set its mode, and the loser may listen on no socket of its own:
  // the folder is made here first.
  if (::mkdir("/tmp/.X11-unix", 01777) == 0) ::chmod("/tmp/.X11-unix", 01777);
  // Displays far from :0 and from xvfb-run's :99, different for each test
  // process: the low numbers are where other X servers of the machine, and
  // servers of other tests just ending, are met.
  std::string number;
  const int first = 200 + static_cast<int>(::getpid() % 400);
  for (int display = first; display < first + 40 && number.empty(); ++display) {
    number = start_server(display, screen, log_file, server_);
  }
  if (number.empty()) throw std::runtime_error("Xvfb did not start; see " + log_file);
  name_ = ":" + number;
  ::setenv("DISPLAY", name_.c_str(), 1);
  // The display number arrives when the server is ready; a client that can
  // connect proves it.
  if (!within(kStartLimit, [&] { return run_command("xdotool getdisplaygeometry >/dev/null 2>&1").status == 0; })) {
    stop(server_);
    throw std::runtime_error("no client can connect to Xvfb on " + name_ + "; see " + log_file);
  }
}

VirtualDisplay::~VirtualDisplay() { stop(server_); }

CompositingManager::CompositingManager(const VirtualDisplay& display, const std::string& log_file) {
  std::vector<std::string> environment = own_environment();
  environment.push_back("DISPLAY=" + display.name());
  pid_ = spawn({"xcompmgr"}, environment, log_file, fs::current_path().string());
  // It owns the display's compositing selection through a window of its
  // own named after it; from then on the windows mapped are composited.
  bool ended = false;
  const bool running = within(kStartLimit, [&] {
    ended = ::waitpid(pid_, nullptr, WNOHANG) == pid_;
    return ended || run_command("timeout 30 xdotool search --name '^xcompmgr$' >/dev/null 2>&1").status == 0;
  });
  if (ended || !running) {
    if (!ended) stop(pid_);
    pid_ = -1;
    throw std::runtime_error("xcompmgr did not take the display; see " + log_file);
  }
}

CompositingManager::~CompositingManager() { stop(pid_); }

std::vector<uint8_t> Screenshot::pixels(const Area& area) const {
  std::vector<uint8_t> samples;
  samples.reserve(static_cast<size_t>(area.width * area.height * 3));
  for (int y = window_top + area.top; y < window_top + area.top + area.height; ++y) {
    for (int x = window_left + area.left; x < window_left + area.left + area.width; ++x) {
      if (x < 0 || y < 0 || x >= screen.width || y >= screen.height) {
        samples.insert(samples.end(), {0, 0, 0});
        continue;
      }
      const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(screen.width) + static_cast<size_t>(x)) * 3;
      samples.insert(samples.end(), screen.samples.begin() + static_cast<std::ptrdiff_t>(at),
                     screen.samples.begin() + static_cast<std::ptrdiff_t>(at + 3));
    }
  }
  return samples;
}

namespace {
bool dark(const uint8_t* rgb) { return rgb[0] < 128 && rgb[1] < 128 && rgb[2] < 128; }
// A dialog's face is (212, 208, 200).
bool light(const uint8_t* rgb) { return rgb[0] >= 180 && rgb[1] >= 180 && rgb[2] >= 180; }

int count_of(const std::vector<uint8_t>& samples, bool (*wanted)(const uint8_t*)) {
  int count = 0;
  for (size_t i = 0; i + 2 < samples.size(); i += 3) count += wanted(&samples[i]) ? 1 : 0;
  return count;
}

// The panel's outline is magenta (255, 0, 255); seen through the window's
// opacity of 234/255 on a compositing desktop it keeps a little of what
// lies beneath.
bool magenta(const uint8_t* rgb) { return rgb[0] >= 230 && rgb[1] <= 25 && rgb[2] >= 230; }
}  // namespace

int Screenshot::dark_pixels(const Area& area) const { return count_of(pixels(area), dark); }

int Screenshot::light_pixels(const Area& area) const { return count_of(pixels(area), light); }

int Screenshot::alike_lines(const Area& area, int columns) const {
  const std::vector<uint8_t> samples = pixels(area);
  const size_t row_size = static_cast<size_t>(area.width) * 3;
  auto row_has_ink = [&](int y) {
    for (int x = 0; x < area.width; ++x) {
      if (dark(&samples[static_cast<size_t>(y) * row_size + static_cast<size_t>(x) * 3])) return true;
    }
    return false;
  };
  // Rows [a, a + count) and [b, b + count) alike on the leftmost columns.
  auto alike = [&](int a, int b, int count) {
    if (b + count > area.height) return false;
    for (int i = 0; i < count; ++i) {
      const auto row_a = samples.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(a + i) * row_size);
      const auto row_b = samples.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(b + i) * row_size);
      if (!std::equal(row_a, row_a + columns * 3, row_b)) return false;
    }
    return true;
  };
  int first = 0;
  while (first < area.height && !row_has_ink(first)) ++first;
  if (first == area.height) return 0;
  // The line pitch: the least distance at which the first line repeats.
  int pitch = 0;
  for (int p = 4; p <= area.height / 2 && pitch == 0; ++p) {
    if (alike(first, first + p, p) && row_has_ink(first + p)) pitch = p;
  }
  if (pitch == 0) return 1;  // one line, or marks that do not repeat
  int lines = 2;
  while (alike(first, first + lines * pitch, pitch)) ++lines;
  // The line after the last is empty (further down a scroll bar may show).
  for (int y = first + lines * pitch; y < std::min(area.height, first + (lines + 1) * pitch); ++y) {
    if (row_has_ink(y)) return -1;
  }
  return lines;
}

ConverterOnDisplay::ConverterOnDisplay(const VirtualDisplay& display, const std::string& folder)
    : display_(display), folder_(folder) {
  program_directory_ = folder_ + "/program";
  scratch_ = folder_ + "/scratch";
  for (const char* name : {"program", "scratch", "home", "runtime", "bin"})
    fs::create_directories(folder_ + "/" + name);
  fs::permissions(folder_ + "/runtime", fs::perms::owner_all);
  fs::copy_file(QUORVANT_PROGRAM, program_directory_ + "/quorvant");
  fs::copy_file(QUORVANT_SYSTEM_LIBRARY,
                program_directory_ + "/" + fs::path(QUORVANT_SYSTEM_LIBRARY).filename().string());
  const std::string opener = folder_ + "/bin/xdg-open";
  std::ofstream(opener) << kOpener;
  fs::permissions(opener, fs::perms::owner_all);
}

ConverterOnDisplay::~ConverterOnDisplay() { stop(pid_); }

std::vector<std::string> ConverterOnDisplay::environment() const {
  const char* path = std::getenv("PATH");
  // Nothing of the desktop the tests were started from reaches the program:
  // no message bus, no browser, no settings of the user's.
  std::vector<std::string> entries = {
      "DISPLAY=" + display_.name(),
      "QT_QPA_PLATFORM=xcb",
      "DBUS_SESSION_BUS_ADDRESS=disabled:",
      "PATH=" + folder_ + "/bin:" + (path != nullptr ? path : "/usr/bin:/bin"),
      "BROWSER=/bin/true",
      "DEFAULT_BROWSER=/bin/true",
      "TMPDIR=" + scratch_,
      "HOME=" + folder_ + "/home",
      "XDG_CONFIG_HOME=" + folder_ + "/home/.config",
      "XDG_CACHE_HOME=" + folder_ + "/home/.cache",
      "XDG_DATA_HOME=" + folder_ + "/home/.local/share",
      "XDG_RUNTIME_DIR=" + folder_ + "/runtime",
      "LANG=C.UTF-8",
  };
  if (const char* libraries = std::getenv("LD_LIBRARY_PATH"))
    entries.push_back(std::string("LD_LIBRARY_PATH=") + libraries);
  for (const std::string& entry : set_environment_) {
    const std::string name = entry.substr(0, entry.find('=') + 1);
    std::erase_if(entries, [&](const std::string& given) { return given.starts_with(name); });
    entries.push_back(entry);
  }
  return entries;
}

void ConverterOnDisplay::set_environment(const std::string& entry) { set_environment_.push_back(entry); }

void ConverterOnDisplay::set_scale(int scale) {
  scale_ = scale;
  set_environment("QT_SCALE_FACTOR=" + std::to_string(scale));
}

AccessibilityBus::AccessibilityBus(const VirtualDisplay& display, const std::string& folder)
    : folder_(folder), display_(display.name()) {
  const std::string socket = folder + "/session-bus";
  address_ = "unix:path=" + socket;
  // The accessibility bus puts its socket under the home or runtime
  // folder: the test's own, so that no other bus of the machine is met.
  const std::string runtime = folder + "/at-spi-runtime";
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  std::vector<std::string> environment = own_environment();
  std::erase_if(environment, [](const std::string& entry) {
    return entry.starts_with("HOME=") || entry.starts_with("XDG_RUNTIME_DIR=");
  });
  environment.push_back("DISPLAY=" + display_);
  environment.push_back("HOME=" + folder);
  environment.push_back("XDG_RUNTIME_DIR=" + runtime);
  bus_ = spawn({"dbus-daemon", "--session", "--nofork", "--address=" + address_}, environment,
               folder + "/session-bus.log", folder);
  if (!within(kScreenLimit, [&] { return fs::exists(socket); })) {
    throw std::runtime_error("the session bus did not start: see " + folder + "/session-bus.log");
  }
  environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + address_);
  launcher_ =
      spawn({"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"}, environment, folder + "/at-spi.log", folder);
}

AccessibilityBus::~AccessibilityBus() {
  stop(launcher_);
  stop(bus_);
}

bool AccessibilityBus::Object::has(const std::vector<std::string>& list, const std::string& item) const {
  return std::find(list.begin(), list.end(), item) != list.end();
}

std::vector<AccessibilityBus::Object> AccessibilityBus::objects() const {
  const std::string script = (fs::path(__FILE__).parent_path() / "accessible-tree").string();
  const CommandResult listed = run_command(
      "DISPLAY=" + display_ + " DBUS_SESSION_BUS_ADDRESS=" + shell_quote(address_) + " timeout 60 /usr/bin/python3 " +
      shell_quote(script) + " 2>>" + shell_quote(folder_ + "/at-spi.log"));
  std::vector<Object> objects;
  auto split = [](const std::string& text, char at) {
    std::vector<std::string> parts;
    std::stringstream fields(text);
    for (std::string part; std::getline(fields, part, at);) parts.push_back(part);
    return parts;
  };
  for (const std::string& line : lines_of(listed.out)) {
    std::vector<std::string> fields = split(line, '\t');
    if (fields.size() < 4) continue;
    fields.resize(6);
    objects.push_back(
        {std::stoi(fields[0]), fields[1], fields[2], fields[3], split(fields[4], ','), split(fields[5], ',')});
  }
  return objects;
}

bool ConverterOnDisplay::start(const std::vector<std::string>& arguments) {
  std::vector<std::string> command = {program_directory_ + "/quorvant"};
  command.insert(command.end(), arguments.begin(), arguments.end());
  pid_ = spawn(command, environment(), folder_ + "/program.log", program_directory_);
  bool ended = false;
  const bool shown = within(kStartLimit, [&] {
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) ended = true;
    return ended || !(window_ = find_window("Quorvant V")).empty();
  });
  if (ended) {
    pid_ = -1;
    ADD_FAILURE() << "the program ended before its window came:\n" << log();
    return false;
  }
  if (!shown) {
    ADD_FAILURE() << "no window of the program on the display";
    return false;
  }
  if (const std::optional<Area> placed = placement(window_)) {
    left_ = placed->left;
    top_ = placed->top;
  }
  // Drawn once the main panel's magenta outline is there.
  const bool drawn = within(kScreenLimit, [&] {
    Area outline = layout::scaled(layout::kPanelTopEdge, scale_);
    outline.height = 1;  // a one-pixel pen at any scale
    const std::vector<uint8_t> edge = screenshot().pixels(outline);
    for (size_t i = 0; i < edge.size(); i += 3) {
      if (!magenta(&edge[i])) return false;
    }
    return true;
  });
  if (!drawn) ADD_FAILURE() << "the window at " << left_ << ", " << top_ << " has no magenta panel outline";
  return drawn;
}

std::optional<Area> ConverterOnDisplay::placement(const std::string& window) const {
  const CommandResult geometry = run_command("timeout 30 xdotool getwindowgeometry --shell " + window + " 2>/dev/null");
  if (geometry.status != 0) return std::nullopt;
  Area area{0, 0, 0, 0};
  for (const std::string& line : lines_of(geometry.out)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals);
    const int value = std::atoi(line.c_str() + equals + 1);
    if (name == "X") area.left = value;
    if (name == "Y") area.top = value;
    if (name == "WIDTH") area.width = value;
    if (name == "HEIGHT") area.height = value;
  }
  return area;
}

std::optional<Area> ConverterOnDisplay::client_area(const std::string& window) const {
  std::optional<Area> area = placement(window);
  if (area) {
    area->left -= left_;
    area->top -= top_;
  }
  return area;
}

std::string ConverterOnDisplay::wait_for_window(const std::string& title_pattern, std::chrono::seconds limit) const {
  std::string window;
  within(limit, [&] { return !(window = find_window(title_pattern)).empty(); });
  return window;
}

bool ConverterOnDisplay::wait_until_gone(const std::string& title_pattern, std::chrono::seconds limit) const {
  return within(limit, [&] { return find_window(title_pattern).empty(); });
}

void ConverterOnDisplay::focus(const std::string& window) const { xdotool("windowfocus --sync " + window); }

std::string ConverterOnDisplay::find_window(const std::string& title_pattern) const {
  const CommandResult found =
      run_command("timeout 30 xdotool search --all --onlyvisible --pid " + std::to_string(pid_) + " --name " +
                  shell_quote(title_pattern) + " 2>/dev/null");
  const std::vector<std::string> windows = lines_of(found.out);
  return windows.empty() ? std::string() : windows.front();
}

std::string ConverterOnDisplay::output_folder() const { return program_directory_ + "/保存文件/"; }

std::vector<std::string> ConverterOnDisplay::opened() const {
  std::ifstream log(folder_ + "/bin/opened.log");
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) lines.push_back(line);
  return lines;
}

std::string ConverterOnDisplay::log() const {
  std::ifstream in(folder_ + "/program.log");
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ConverterOnDisplay::thread_stacks() const {
  if (pid_ <= 0) return "the program is not running\n";
  return "its threads:\n" + run_command("timeout 120 gdb -p " + std::to_string(pid_) +
                                        " -batch -ex 'thread apply all bt' 2>&1 | grep -E '^(Thread|#)'")
                                .out;
}

Screenshot ConverterOnDisplay::screenshot() const {
  Screenshot shot;
  shot.screen = parse_pnm(run_tool("timeout 30 import -silent -window root -depth 8 ppm:-"));
  shot.window_left = left_;
  shot.window_top = top_;
  return shot;
}

bool ConverterOnDisplay::waits_until(Screenshot& shot, const std::function<bool(const Screenshot&)>& shows) const {
  return within(kScreenLimit, [&] {
    shot = screenshot();
    return shows(shot);
  });
}

std::string ConverterOnDisplay::keep(const Screenshot& shot, const std::string& name) const {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::create_directories(QUORVANT_DESKTOP_SCREENSHOTS);
  // A parameterised test's name holds a "/" before its parameter's name.
  std::string test_name = test != nullptr ? test->name() : "desktop";
  std::replace(test_name.begin(), test_name.end(), '/', '-');
  const std::string path = std::string(QUORVANT_DESKTOP_SCREENSHOTS) + "/" + test_name + "-" + name + ".ppm";
  std::ostringstream header;
  header << "P6\n" << shot.screen.width << " " << shot.screen.height << "\n255\n";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << header.str();
  out.write(reinterpret_cast<const char*>(shot.screen.samples.data()),
            static_cast<std::streamsize>(shot.screen.samples.size()));
  return "screenshot kept as " + path + "\nprogram output:\n" + log();
}

void ConverterOnDisplay::xdotool(const std::string& arguments) const {
  const CommandResult result = run_command("timeout 30 xdotool " + arguments + " 2>&1");
  EXPECT_EQ(result.status, 0) << "xdotool " << arguments << ": " << result.out;
}

void ConverterOnDisplay::move_to(int x, int y) const {
  xdotool("mousemove --window " + window_ + " " + std::to_string(x * scale_) + " " + std::to_string(y * scale_));
}

void ConverterOnDisplay::click(int x, int y) const {
  move_to(x, y);
  xdotool("click 1");
}

void ConverterOnDisplay::press() const { xdotool("mousedown 1"); }
void ConverterOnDisplay::release() const { xdotool("mouseup 1"); }
void ConverterOnDisplay::type(const std::string& text) const { xdotool("type --delay 15 " + shell_quote(text)); }
void ConverterOnDisplay::key(const std::string& name) const { xdotool("key " + shell_quote(name)); }

bool ConverterOnDisplay::choose_folder(const std::string& folder) const {
  click(layout::centre_x(layout::kChooseFolder), layout::centre_y(layout::kChooseFolder));
  // Its title is "Velk_Quorvant_文件选择:".
  const std::string dialog = wait_for_window("Quorvant_", kScreenLimit);
  if (dialog.empty()) {
    ADD_FAILURE() << "the folder dialog did not open";
    return false;
  }
  focus(dialog);
  type(folder);
  key("Return");
  if (!wait_until_gone("Quorvant_", kScreenLimit)) {
    ADD_FAILURE() << "the folder dialog did not close on Return";
    return false;
  }
  return true;
}

std::optional<int> ConverterOnDisplay::wait_for_exit(std::chrono::seconds limit) {
  int status = 0;
  if (!within(limit, [&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; })) return std::nullopt;
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> copies(const std::string& picture, const std::string& folder, const std::string& stem,
                                int count) {
  std::vector<std::string> paths;
  for (int i = 1; i <= count; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%02d.jpg", stem.c_str(), i);
    paths.push_back(folder + "/" + name);
    fs::copy_file(picture, paths.back(), fs::copy_options::overwrite_existing);
  }
  return paths;
}

std::vector<std::string> files_below(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error)) {
    if (!it->is_directory()) files.push_back(it->path().string());
  }
  return files;
}

std::optional<Pnm> read_whole_png(const std::string& path) {
  const CommandResult decoded = run_command("pngtopnm " + shell_quote(path) + " 2>/dev/null");
  if (decoded.status != 0) return std::nullopt;
  Pnm picture = parse_pnm(std::vector<uint8_t>(decoded.out.begin(), decoded.out.end()));
  if (picture.width == 0 || picture.samples.empty()) return std::nullopt;
  return picture;
}

}  // namespace quorvant::testing::desktop
