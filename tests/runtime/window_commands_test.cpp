// Property access, control commands, DLL commands, the system shim and the
// thread and web-address libraries, through the runtime's entry points.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

#include <atomic>
#include <cstring>

#include "runtime/dll_table.h"
#include "runtime/libraries.h"
#include "runtime/memory.h"
#include "runtime/runtime.h"
#include "runtime/runtime_error.h"
#include "runtime/shim/windows_api.h"
#include "runtime/values.h"
#include "tests/runtime/runtime_test_support.h"

namespace quorvant::runtime {
namespace {

using namespace quorvant::testing;

ValueRecord call(CoreCommand command, std::vector<ValueRecord> args) {
  return call_core_command(command, static_cast<int32_t>(args.size()), args.data());
}

struct OpenWindow : ::testing::Test {
  void SetUp() override {
    if (!window_runtime().is_open(kWindow)) show_start_window(kWindow);
  }
};

TEST_F(OpenWindow, PropertiesTravelAsValueRecords) {
  ValueRecord width = read_property(kWindow, kOwn, 2);
  EXPECT_EQ(width.tag, tag::kInt);
  EXPECT_EQ(width.as_int(), 300);
  ValueRecord visible = read_property(kWindow, kOwn, 5);
  EXPECT_EQ(visible.tag, tag::kBool);
  EXPECT_TRUE(visible.is_true());
  ValueRecord content = read_property(kWindow, kEdit, 8);
  ASSERT_EQ(content.tag, tag::kText);
  EXPECT_STREQ(content.as_text(), "起始");
  release(content.as_pointer());
  write_property(kWindow, kEdit, 8, -1, ValueRecord::of_text("/home/图片/"));
  content = read_property(kWindow, kEdit, 8);
  EXPECT_STREQ(content.as_text(), "/home/图片/") << "a fresh copy for the caller";
  release(content.as_pointer());
  write_property(kWindow, kEdit, 6, -1, ValueRecord::of_bool(true));
  EXPECT_TRUE(read_property(kWindow, kEdit, 6).is_true());
  write_property(kWindow, kEdit, 6, -1, ValueRecord::of_bool(false));
}

TEST_F(OpenWindow, ListBoxCommands) {
  const ValueRecord list = reference(kListType, kList);
  call(CoreCommand::kClearList, {list});
  EXPECT_EQ(call(CoreCommand::kAddListItem, {list, ValueRecord::of_text("/a/一.jpg"), {}}).as_int(), 0);
  EXPECT_EQ(call(CoreCommand::kAddListItem, {list, ValueRecord::of_text("/a/二.bmp"), ValueRecord::of_int(9)}).as_int(),
            1);
  EXPECT_EQ(call(CoreCommand::kListItemCount, {list}).as_int(), 2);
  ValueRecord item = call(CoreCommand::kListItemText, {list, ValueRecord::of_int(1)});
  EXPECT_STREQ(item.as_text(), "/a/二.bmp");
  release(item.as_pointer());
  EXPECT_EQ(call(CoreCommand::kListItemText, {list, ValueRecord::of_int(-1)}).as_pointer(), nullptr);
  EXPECT_EQ(call(CoreCommand::kListItemText, {list, ValueRecord::of_int(2)}).as_pointer(), nullptr);
  call(CoreCommand::kClearList, {list});
  EXPECT_EQ(call(CoreCommand::kListItemCount, {list}).as_int(), 0);
}

TEST_F(OpenWindow, ListCommandsFromAJobThreadAreAnsweredByTheWindowThread) {
  const ValueRecord list = reference(kListType, kList);
  call(CoreCommand::kClearList, {list});
  std::atomic<bool> done{false};
  std::thread job([&] {
    std::vector<ValueRecord> args = {list, ValueRecord::of_text("/job.png"), {}};
    call_core_command(CoreCommand::kAddListItem, 3, args.data());
    done = true;
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  job.join();
  EXPECT_EQ(call(CoreCommand::kListItemCount, {list}).as_int(), 1);
}

TEST_F(OpenWindow, CommonDialogAndMessageBox) {
  test_dialogs().answer_file("/pictures/一.pcx");
  EXPECT_TRUE(call(CoreCommand::kOpenCommonDialog, {reference(kDialogType, kDialog)}).is_true());
  ValueRecord name = read_property(kWindow, kDialog, 10);
  EXPECT_STREQ(name.as_text(), "/pictures/一.pcx");
  release(name.as_pointer());
  EXPECT_EQ(test_dialogs().file_requests().back().filters.size(), 1u);

  test_dialogs().answer_message(platform::MessageAnswer::kOk);
  EXPECT_EQ(call(CoreCommand::kMessageBox, {ValueRecord::of_text("请选择图片目录"), {}, {}}).as_int(), 0);
  const platform::MessageBoxRequest& box = test_dialogs().message_requests().back();
  EXPECT_EQ(box.text, "请选择图片目录");
  EXPECT_EQ(box.title, "信息：") << "the default title";
  EXPECT_EQ(box.style, 0x2000) << "task-modal";
  test_dialogs().answer_message(platform::MessageAnswer::kNo);
  EXPECT_EQ(
      call(CoreCommand::kMessageBox, {ValueRecord::of_int(-5), ValueRecord::of_int(4), ValueRecord::of_text("提示")})
          .as_int(),
      6);
  EXPECT_EQ(test_dialogs().message_requests().back().text, "-5");
  EXPECT_EQ(test_dialogs().message_requests().back().title, "提示");
}

TEST(DllCommands, TheCLibraryIsFoundThroughTheDefaultSearchAndCached) {
  using Strlen = size_t (*)(const char*);
  void* first = dll_function(kStrlenAnywhere);
  EXPECT_EQ(dll_function(kStrlenAnywhere), first) << "resolved once, cached";
  EXPECT_EQ(call_dll_command<size_t>(kStrlenAnywhere, "保存文件"), 12u);
  EXPECT_EQ(reinterpret_cast<Strlen>(dll_function(kStrlenInKernel32))("abc"), 3u);
}

TEST(DllCommandsDeathTest, MissingFunctionsEndTheProgramWithTheirMessages) {
  EXPECT_EXIT(dll_function(kMissingAnywhere), ::testing::ExitedWithCode(255), "");
  EXPECT_EXIT(dll_function(kMissingInUser32), ::testing::ExitedWithCode(255), "");
  EXPECT_EXIT(dll_function(kOrdinal), ::testing::ExitedWithCode(255), "") << "ordinals are never found";
}

TEST(DllCommands, MissingFunctionMessagesNameLibraryAndFunction) {
  DllTable table;
  const DllEntry entries[] = {{"", "NoSuchFunction"}, {"user32.dll", "NoSuchFunction"}};
  table.assign(entries);
  std::string error;
  EXPECT_EQ(table.resolve(0, {QUORVANT_BINARY_DIR, "/nowhere", ""}, error), nullptr);
  EXPECT_EQ(error, "无法找到指定DLL库文件中的输出命令“NoSuchFunction”");
  EXPECT_EQ(table.resolve(1, {QUORVANT_BINARY_DIR, "/nowhere", ""}, error), nullptr);
  EXPECT_EQ(error, "无法找到指定DLL库文件“user32.dll”中的输出命令“NoSuchFunction”");
}

TEST_F(OpenWindow, TheSystemShimShapesAndFadesWindows) {
  std::vector<ValueRecord> args = {reference(kWindowType, kOwn)};
  const int32_t handle = call_core_command(CoreCommand::kWindowHandle, 1, args.data()).as_int();
  ASSERT_NE(handle, 0);
  QWidget* window = window_runtime().handles().widget_of(handle);
  ASSERT_NE(window, nullptr);

  const winapi::HRGN region = call_dll_command<winapi::HRGN>(kCreateRoundRectRegion, 0, 0, 300, 200, 15, 15);
  EXPECT_EQ(call_dll_command<int32_t>(kSetWindowRegion, winapi::HWND{handle}, region, winapi::BOOL{1}), 1);
  EXPECT_TRUE(window->mask().contains(QPoint(150, 100)));
  EXPECT_FALSE(window->mask().contains(QPoint(0, 0))) << "a rounded corner";
  EXPECT_EQ(call_dll_command<int32_t>(kSetWindowRegion, winapi::HWND{handle}, region, winapi::BOOL{1}), 0)
      << "the window owns the region now";

  EXPECT_EQ(call_dll_command<winapi::BOOL>(kSetLayeredAttributes, winapi::HWND{handle}, winapi::COLORREF{0},
                                           winapi::BYTE{234}, winapi::DWORD{2}),
            0)
      << "not layered yet";
  call_dll_command<winapi::LONG>(kSetWindowLong, winapi::HWND{handle}, int32_t{-20}, winapi::LONG{0x80000});
  EXPECT_EQ(call_dll_command<winapi::LONG>(kSetWindowLong, winapi::HWND{handle}, int32_t{-20}, winapi::LONG{0x80000}),
            0x80000)
      << "the previous extended style";
  EXPECT_EQ(call_dll_command<winapi::BOOL>(kSetLayeredAttributes, winapi::HWND{handle}, winapi::COLORREF{0},
                                           winapi::BYTE{234}, winapi::DWORD{2}),
            1);
  EXPECT_NEAR(window->windowOpacity(), 234 / 255.0, 0.01);
}

// The browse callback as the application writes it: preselect the
// remembered folder, show each selection's path as status text.
std::string remembered = "/home/start";
std::vector<std::string> statuses;
int32_t browse_callback(winapi::HWND window, winapi::UINT message, winapi::LPARAM parameter, winapi::LPARAM) {
  if (message == winapi::kBrowseInitialised) {
    call_dll_command<winapi::LRESULT>(kSendMessage, window, winapi::kBrowseSetSelection, winapi::WPARAM{1},
                                      reinterpret_cast<winapi::LPARAM>(remembered.c_str()));
  } else if (message == winapi::kBrowseSelectionChanged) {
    char path[255];
    if (call_dll_command<winapi::BOOL>(kPathFromItem, reinterpret_cast<const void*>(parameter), path) == 1) {
      statuses.emplace_back(path);
      call_dll_command<winapi::LRESULT>(kSendMessage, window, winapi::kBrowseSetStatusText, winapi::WPARAM{0},
                                        reinterpret_cast<winapi::LPARAM>(path));
    }
  }
  return 0;
}

TEST(SystemShim, BrowsesForFoldersThroughTheDialogs) {
  test_dialogs().answer_folder("/home/图片");
  char display[winapi::kMaxPath] = {};
  winapi::BROWSEINFOA info{
      0, nullptr, display, "Velk_Quorvant_文件选择:", winapi::kBrowseNewDialogStyle, browse_callback, 0, 0};
  void* item = call_dll_command<void*>(kBrowseForFolder, &info);
  ASSERT_NE(item, nullptr);
  char path[512];
  std::memset(path, ' ', sizeof path);
  EXPECT_EQ(call_dll_command<winapi::BOOL>(kPathFromItem, static_cast<const void*>(item), path), 1);
  EXPECT_STREQ(path, "/home/图片");
  EXPECT_STREQ(display, "图片");
  EXPECT_EQ(test_dialogs().folder_selection(), "/home/start") << "the callback preselected the remembered folder";
  EXPECT_EQ(statuses, (std::vector<std::string>{"/home/图片"}));
  EXPECT_EQ(test_dialogs().folder_requests().back().title, "Velk_Quorvant_文件选择:");

  EXPECT_EQ(call_dll_command<void*>(kBrowseForFolder, &info), nullptr) << "cancelled";
}

std::atomic<intptr_t> thread_parameter{-1};
void thread_entry(intptr_t parameter) { thread_parameter = parameter; }

TEST(ThreadLibrary, StartsTheSubroutineWithItsParameter) {
  std::vector<ValueRecord> args = {
      ValueRecord::of_pointer(reinterpret_cast<void*>(&thread_entry), tag::kSubroutine), ValueRecord::of_int(5), {}};
  ValueRecord result;
  thread_library().commands[0].entry(&result, 3, args.data());
  EXPECT_TRUE(result.is_true());
  for (int wait = 0; wait < 500 && thread_parameter != 5; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_EQ(thread_parameter, 5);

  thread_parameter = -1;
  thread_library().commands[0].entry(&result, 1, args.data());
  EXPECT_TRUE(result.is_true());
  for (int wait = 0; wait < 500 && thread_parameter != 0; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_EQ(thread_parameter, 0) << "without its argument the parameter is 0";
}

TEST(InterfaceLibrary, OpensTheGivenOrTheDefaultAddress) {
  std::vector<ValueRecord> args = {ValueRecord::of_text("https://bbs.velk.example/")};
  ValueRecord result;
  interface_library().commands[0].entry(&result, 1, args.data());
  interface_library().commands[0].entry(&result, 0, nullptr);
  const auto& opened = test_desktop().opened();
  ASSERT_GE(opened.size(), 2u);
  EXPECT_EQ(opened[opened.size() - 2], "https://bbs.velk.example/");
  EXPECT_EQ(opened.back(), kDefaultWebAddress);
}

}  // namespace
}  // namespace quorvant::runtime
