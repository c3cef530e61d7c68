// Property access, control commands, DLL commands, the system shim and the
// thread and web-address libraries, through the runtime's entry points.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QRegion>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "runtime/dll_table.h"
#include "runtime/libraries.h"
#include "runtime/memory.h"
#include "runtime/runtime.h"
#include "runtime/runtime_error.h"
#include "runtime/shim/windows_api.h"
#include "runtime/values.h"
#include "tests/runtime/runtime_test_support.h"
#include "tests/support/test_support.h"

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

// A record's byte-array payload, for comparing what came back.
std::vector<uint8_t> bytes_of(const ValueRecord& record) {
  const auto* block = static_cast<const uint8_t*>(record.as_pointer());
  if (block == nullptr) return {};
  int32_t count = 0;
  std::memcpy(&count, block + 4, sizeof count);
  return {block + 8, block + 8 + count};
}

TEST_F(OpenWindow, AWholeFontReadFromOneControlArrivesWholeAtAnother) {
  // The edit box's font made distinctive one field at a time: angle, bold,
  // size, face.
  write_property(kWindow, kEdit, 12, 0, ValueRecord::of_int(450));
  write_property(kWindow, kEdit, 12, 1, ValueRecord::of_bool(true));
  write_property(kWindow, kEdit, 12, 5, ValueRecord::of_int(20));
  write_property(kWindow, kEdit, 12, 6, ValueRecord::of_text("黑体"));
  const ValueRecord font = read_property(kWindow, kEdit, 12);
  ASSERT_EQ(font.tag, tag::kByte | tag::kArrayFlag);
  EXPECT_EQ(bytes_of(font).size(), 60u) << "the stored font record";

  write_property(kWindow, kList, 14, -1, font);  // the list box's font
  release(font.as_pointer());
  EXPECT_EQ(read_property(kWindow, kList, 14, 0).as_int(), 450);
  EXPECT_TRUE(read_property(kWindow, kList, 14, 1).is_true());
  EXPECT_EQ(read_property(kWindow, kList, 14, 5).as_int(), 20);
  const ValueRecord face = read_property(kWindow, kList, 14, 6);
  ASSERT_EQ(face.tag, tag::kText);
  EXPECT_STREQ(face.as_text(), "黑体");
  release(face.as_pointer());
}

TEST_F(OpenWindow, ListItemsTravelInTheirStoredLayoutAndComeBackWhole) {
  const ValueRecord list = reference(kListType, kList);
  call(CoreCommand::kClearList, {list});
  call(CoreCommand::kAddListItem, {list, ValueRecord::of_text("/a/一.jpg"), {}});
  call(CoreCommand::kAddListItem, {list, ValueRecord::of_text("/a/b.png"), {}});
  const ValueRecord items = read_property(kWindow, kList, 17);
  ASSERT_EQ(items.tag, tag::kByte | tag::kArrayFlag);
  const std::string first = "/a/一.jpg";
  std::vector<uint8_t> expected = {2, 0, static_cast<uint8_t>(first.size()), 0, 0, 0};
  expected.insert(expected.end(), first.begin(), first.end());
  expected.insert(expected.end(), {8, 0, 0, 0, '/', 'a', '/', 'b', '.', 'p', 'n', 'g'});
  EXPECT_EQ(bytes_of(items), expected) << "a 16-bit count and counted texts";

  call(CoreCommand::kClearList, {list});
  write_property(kWindow, kList, 17, -1, items);  // what was read, written back
  release(items.as_pointer());
  EXPECT_EQ(call(CoreCommand::kListItemCount, {list}).as_int(), 2);
  ValueRecord text = call(CoreCommand::kListItemText, {list, ValueRecord::of_int(0)});
  EXPECT_STREQ(text.as_text(), "/a/一.jpg");
  release(text.as_pointer());

  const std::vector<uint8_t> damaged = {5, 0, 1, 0};  // claims five texts, holds none
  const ValueRecord not_a_list = ValueRecord::of_pointer(make_byte_array(damaged), tag::kByte | tag::kArrayFlag);
  write_property(kWindow, kList, 17, -1, not_a_list);
  release(not_a_list.as_pointer());
  EXPECT_EQ(call(CoreCommand::kListItemCount, {list}).as_int(), 2) << "bytes that are no item list change nothing";
  call(CoreCommand::kClearList, {list});
}

TEST_F(OpenWindow, PropertiesReadOnAJobThreadWhileTheWindowThreadRewritesRecords) {
  // Tag writes grow and shrink the element record on the window thread;
  // a reader on a job thread must not see it half done.
  std::atomic<bool> done{false};
  std::thread job([&] {
    for (int i = 0; i < 300; ++i) {
      const ValueRecord content = read_property(kWindow, kEdit, 8);
      release(content.tag == tag::kText ? content.as_pointer() : nullptr);
      (void)read_property(kWindow, kEdit, 6);
    }
    done = true;
  });
  int round = 0;
  EXPECT_TRUE(testing::eventually([&] {
    const std::string tag_text(static_cast<size_t>(++round % 64) * 16, 'x');
    write_property(kWindow, kEdit, 4, -1, ValueRecord::of_text(tag_text.c_str()));
    QCoreApplication::processEvents();
    return done.load();
  }));
  job.join();
  write_property(kWindow, kEdit, 4, -1, ValueRecord::of_text(""));
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

// A record of another type whose payload happens to be the address of some
// bytes: a command that took it for a text would read them.
ValueRecord not_a_text(const char* bytes) { return ValueRecord::of_pointer(bytes, tag::kInt64); }

TEST_F(OpenWindow, AListItemFromARecordThatIsNoTextIsEmpty) {
  const ValueRecord list = reference(kListType, kList);
  call(CoreCommand::kClearList, {list});
  EXPECT_EQ(call(CoreCommand::kAddListItem, {list, not_a_text("/a/一.jpg"), {}}).as_int(), 0);
  EXPECT_EQ(call(CoreCommand::kAddListItem, {list, ValueRecord::of_int(7), {}}).as_int(), 1);
  EXPECT_EQ(call(CoreCommand::kListItemText, {list, ValueRecord::of_int(0)}).as_pointer(), nullptr);
  EXPECT_EQ(call(CoreCommand::kListItemText, {list, ValueRecord::of_int(1)}).as_pointer(), nullptr);
  call(CoreCommand::kClearList, {list});
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
  EXPECT_TRUE(testing::eventually([&] {
    QCoreApplication::processEvents();
    return done.load();
  }));
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

  // Only an omitted title gets the default; one that is no text is empty.
  call(CoreCommand::kMessageBox, {ValueRecord::of_text("x"), {}, not_a_text("提示")});
  EXPECT_EQ(test_dialogs().message_requests().back().title, "");
  call(CoreCommand::kMessageBox, {ValueRecord::of_text("x"), {}, ValueRecord::of_int(3)});
  EXPECT_EQ(test_dialogs().message_requests().back().title, "");
  call(CoreCommand::kMessageBox, {ValueRecord::of_text("x"), {}, ValueRecord::of_text(nullptr)});
  EXPECT_EQ(test_dialogs().message_requests().back().title, "") << "the empty text is a title too";
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

// The region CreateRoundRectRgn makes, as a window's mask shows it.
QRegion round_region(int32_t right, int32_t bottom, int32_t ellipse_width, int32_t ellipse_height) {
  std::vector<ValueRecord> args = {reference(kWindowType, kOwn)};
  const int32_t handle = call_core_command(CoreCommand::kWindowHandle, 1, args.data()).as_int();
  const winapi::HRGN region =
      call_dll_command<winapi::HRGN>(kCreateRoundRectRegion, 0, 0, right, bottom, ellipse_width, ellipse_height);
  EXPECT_EQ(call_dll_command<int32_t>(kSetWindowRegion, winapi::HWND{handle}, region, winapi::BOOL{0}), 1);
  return window_runtime().handles().widget_of(handle)->mask();
}

// The pixels each row of the region loses at its left and at its right.
struct RowCuts {
  std::vector<int> left;
  std::vector<int> right;
};
RowCuts row_cuts(const QRegion& region, const QRect& box) {
  RowCuts cuts;
  for (int y = box.top(); y <= box.bottom(); ++y) {
    int first = box.left();
    while (first <= box.right() && !region.contains(QPoint(first, y))) ++first;
    int last = box.right();
    while (last >= first && !region.contains(QPoint(last, y))) --last;
    cuts.left.push_back(first - box.left());
    cuts.right.push_back(box.right() - last);
    for (int x = first; x <= last; ++x) {
      if (!region.contains(QPoint(x, y))) ADD_FAILURE() << "a hole at " << x << "," << y;
    }
  }
  return cuts;
}

TEST_F(OpenWindow, RoundedRegionsCutAllFourCornersAlike) {
  // The region covers (0, 0) to (right - 1, bottom - 1), far edges excluded.
  const QRegion shape = round_region(300, 200, 15, 15);
  const QRect box(0, 0, 299, 199);
  EXPECT_EQ(shape.boundingRect(), box);
  const RowCuts cuts = row_cuts(shape, box);
  EXPECT_EQ(cuts.left, cuts.right) << "left and right corners are mirror images";
  const std::vector<int> upward(cuts.left.rbegin(), cuts.left.rend());
  EXPECT_EQ(cuts.left, upward) << "top and bottom corners are mirror images";
  // A quarter of a 15 x 15 ellipse: cuts shrinking to nothing within the
  // seven and a half rows down to its centre, none below.
  const std::vector<int> corner(cuts.left.begin(), cuts.left.begin() + 8);
  EXPECT_TRUE(std::is_sorted(corner.rbegin(), corner.rend()));
  EXPECT_GE(corner[0], 4);
  EXPECT_LE(corner[0], 7);
  EXPECT_EQ(corner[7], 0);
  for (int y = 8; y < 199 - 8; ++y) ASSERT_EQ(cuts.left[static_cast<size_t>(y)], 0) << "row " << y;

  // Odd and even sizes, wide and tall ellipses, and ones larger than the
  // rectangle, which are cut down to it.
  for (const QSize ellipse : {QSize(14, 14), QSize(40, 9), QSize(6, 30), QSize(500, 500)}) {
    const QRegion other = round_region(101, 60, ellipse.width(), ellipse.height());
    const QRect other_box(0, 0, 100, 59);
    EXPECT_EQ(other.boundingRect(), other_box);
    const RowCuts other_cuts = row_cuts(other, other_box);
    EXPECT_EQ(other_cuts.left, other_cuts.right) << ellipse.width() << "x" << ellipse.height();
    EXPECT_EQ(other_cuts.left, std::vector<int>(other_cuts.left.rbegin(), other_cuts.left.rend()))
        << ellipse.width() << "x" << ellipse.height();
    EXPECT_GT(other_cuts.left.front(), 0);
  }
  EXPECT_EQ(round_region(101, 60, 1, 15).boundingRect(), QRect(0, 0, 100, 59));
  EXPECT_EQ(round_region(101, 60, 1, 15), QRegion(0, 0, 100, 59)) << "too small an ellipse: a plain rectangle";
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
    char path[PATH_MAX];
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
  char display[winapi::kDisplayNameSize] = {};
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

// A folder path of `length` bytes: "/" and 85 characters of three bytes
// again and again, letters where a character no longer fits.
std::string long_path(size_t length) {
  std::string path;
  while (path.size() < length) {
    path += '/';
    std::string name;
    while (name.size() + 3 <= 255 && path.size() + name.size() + 3 <= length) name += "图";
    while (name.size() < 255 && path.size() + name.size() < length) name += 'x';
    path += name;
  }
  return path;
}

TEST(SystemShim, PathsAsLongAsTheFileSystemAllowsComeBackWhole) {
  for (const size_t length : {size_t{258}, size_t{300}, size_t{PATH_MAX - 1}, size_t{PATH_MAX}}) {
    const std::string chosen = long_path(length);
    ASSERT_EQ(chosen.size(), length);
    test_dialogs().answer_folder(chosen);
    statuses.clear();
    winapi::BROWSEINFOA info{0, nullptr, nullptr, "", 0, browse_callback, 0, 0};
    void* item = call_dll_command<void*>(kBrowseForFolder, &info);
    ASSERT_NE(item, nullptr);
    // The buffer holds PATH_MAX bytes; the guard behind it must stay as it is.
    std::vector<char> buffer(PATH_MAX + 64, '#');
    const winapi::BOOL found =
        call_dll_command<winapi::BOOL>(kPathFromItem, static_cast<const void*>(item), buffer.data());
    EXPECT_EQ(std::count(buffer.begin() + PATH_MAX, buffer.end(), '#'), 64) << length;
    if (length < PATH_MAX) {
      EXPECT_EQ(found, 1) << length;
      EXPECT_EQ(std::string(buffer.data()), chosen);
      EXPECT_EQ(statuses, std::vector<std::string>{chosen}) << "the callback's buffer holds it too";
    } else {
      EXPECT_EQ(found, 0) << "no room for the terminator";
      EXPECT_EQ(buffer[0], '\0');
      EXPECT_TRUE(statuses.empty());
    }
  }
}

std::atomic<intptr_t> thread_parameter{-1};
void thread_entry(intptr_t parameter) { thread_parameter = parameter; }

TEST(ThreadLibrary, StartsTheSubroutineWithItsParameter) {
  std::vector<ValueRecord> args = {
      ValueRecord::of_pointer(reinterpret_cast<void*>(&thread_entry), tag::kSubroutine), ValueRecord::of_int(5), {}};
  ValueRecord result;
  thread_library().commands[0].entry(&result, 3, args.data());
  EXPECT_TRUE(result.is_true());
  EXPECT_TRUE(testing::eventually([] { return thread_parameter != -1; }));
  EXPECT_EQ(thread_parameter, 5);

  thread_parameter = -1;
  thread_library().commands[0].entry(&result, 1, args.data());
  EXPECT_TRUE(result.is_true());
  EXPECT_TRUE(testing::eventually([] { return thread_parameter != -1; }));
  EXPECT_EQ(thread_parameter, 0) << "without its argument the parameter is 0";
}

TEST(InterfaceLibrary, OpensTheGivenAddressOrTheDefaultForAnOmittedOne) {
  const auto open = [](std::vector<ValueRecord> args) {
    ValueRecord result;
    interface_library().commands[0].entry(&result, static_cast<int32_t>(args.size()), args.data());
  };
  const auto& opened = test_desktop().opened();
  const size_t before = opened.size();
  open({ValueRecord::of_text("https://bbs.velk.example/")});
  open({});
  open({ValueRecord{}});
  EXPECT_EQ(std::vector<std::string>(opened.begin() + static_cast<std::ptrdiff_t>(before), opened.end()),
            (std::vector<std::string>{"https://bbs.velk.example/", kDefaultWebAddress, kDefaultWebAddress}));

  // The empty text, given as null or as a real empty string, is an address
  // that opens nothing; so is a record that is no text.
  open({ValueRecord::of_text(nullptr)});
  open({ValueRecord::of_text("")});
  open({not_a_text("https://elsewhere.example/")});
  EXPECT_EQ(opened.size(), before + 3);
}

}  // namespace
}  // namespace quorvant::runtime
