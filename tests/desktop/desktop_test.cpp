// The converter as a person uses it: the real program on a virtual display,
// the mouse and keyboard through xdotool, judged from screenshots and from
// the files it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "tests/desktop/desktop_support.h"

namespace quorvant::testing::desktop {
namespace {

namespace fs = std::filesystem;
using layout::centre_x;
using layout::centre_y;

// Three small pictures, each 227 x 149, one of them arithmetic coded.
const char* const kSmallPictures[] = {"testorig.jpg", "testimgint.jpg", "testimgari.jpg"};
// The list's items are full paths of files in one folder: in whatever font,
// their first 100 pixels show the same beginning of the folder's path.
constexpr int kPathColumns = 100;

std::vector<std::string> pngs_in(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (entry.path().extension() == ".Png") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += "\n  " + item;
  return text;
}

struct Converter : ::testing::Test {
  TempFolder folder;
  VirtualDisplay display{folder.file("xvfb.log")};
  ConverterOnDisplay program{display, folder.path()};

  void SetUp() override {
    ASSERT_TRUE(program.start()) << "the main window appears\n" << program.keep(program.screenshot(), "start");
  }

  // A folder holding the three small pictures.
  std::string small_pictures() {
    const std::string pictures = folder.file("pictures");
    fs::create_directory(pictures);
    for (const char* name : kSmallPictures) fs::copy_file(corpus(std::string("jpeg/") + name), pictures + "/" + name);
    return pictures;
  }
  void click(const Area& area) { program.click(centre_x(area), centre_y(area)); }

  // Chooses a folder in the dialog and waits until the list shows its
  // pictures: until then the dialog's modal loop may still be running, and
  // a click on the window would be refused, as it would be for a person.
  void choose_listed_folder(const std::string& pictures) {
    ASSERT_TRUE(program.choose_folder(pictures));
    Screenshot shot;
    ASSERT_TRUE(program.waits_until(
        shot, [&](const Screenshot& seen) { return seen.alike_lines(layout::kFileList, kPathColumns) != 0; }))
        << "the list shows the folder's pictures\n"
        << program.keep(shot, "listed");
  }

  // Clicks a radio box that is not yet chosen and waits until it shows the
  // choice.
  void choose(const Area& box) {
    const Screenshot before = program.screenshot();
    click(box);
    Screenshot after;
    ASSERT_TRUE(program.waits_until(after, [&](const Screenshot& seen) { return !seen.same(before, box); }))
        << "the box shows it is chosen\n"
        << program.keep(after, "chosen");
  }
};

TEST_F(Converter, ChoosingAFolderListsItsPictures) {
  const std::string pictures = small_pictures();
  const Screenshot before = program.screenshot();
  ASSERT_EQ(before.alike_lines(layout::kFileList, kPathColumns), 0) << program.keep(before, "empty-list");
  ASSERT_TRUE(program.choose_folder(pictures));
  Screenshot after;
  EXPECT_TRUE(program.waits_until(
      after, [&](const Screenshot& seen) { return seen.alike_lines(layout::kFileList, kPathColumns) == 3; }))
      << "one line per picture in the list, found " << after.alike_lines(layout::kFileList, kPathColumns) << "\n"
      << program.keep(after, "listed");
}

TEST_F(Converter, DraggingTheQualitySliderShowsTheNewValueAtOnce) {
  const Area slider = layout::kQualitySlider;
  const Area label = layout::kQualityLabel;
  const Screenshot before = program.screenshot();
  ASSERT_GT(before.dark_pixels(label), 10) << "the label shows 75 度\n" << program.keep(before, "before");

  // The thumb stands at 75 of 1..100, three quarters along the groove,
  // which is in the upper half of the slider's box.
  const int y = slider.top + 15;
  program.move_to(slider.left + 140, y);
  program.press();
  for (int x = slider.left + 130; x >= slider.left + 70; x -= 10) program.move_to(x, y);
  Screenshot dragging;
  const bool thumb_moved =
      program.waits_until(dragging, [&](const Screenshot& seen) { return !seen.same(before, slider); });
  ASSERT_TRUE(thumb_moved) << "the thumb follows the mouse\n" << program.keep(dragging, "dragging");
  EXPECT_TRUE(program.waits_until(dragging, [&](const Screenshot& seen) { return !seen.same(before, label); }))
      << "the label shows the new value while the button is still down\n"
      << program.keep(dragging, "dragging");

  for (int x = slider.left + 60; x >= slider.left - 10; x -= 10) program.move_to(x, y);
  program.release();
  Screenshot released;
  EXPECT_TRUE(program.waits_until(
      released, [&](const Screenshot& seen) { return !seen.same(dragging, label) && !seen.same(before, label); }))
      << "the label shows 1 度 at the left end, not 75 度 nor the value on the way\n"
      << program.keep(released, "released");
}

// Once a key is pressed, the focused control always shows it holds the
// focus: the empty list at start, the read-only folder box, and a button
// whose dialog has just closed.
TEST_F(Converter, TheKeyboardFocusShowsOnceAKeyIsPressed) {
  const Screenshot start = program.screenshot();
  program.focus(program.window());
  program.key("Down");  // the empty list holds the focus: nothing to move to
  Screenshot shot;
  EXPECT_TRUE(program.waits_until(shot, [&](const Screenshot& seen) { return !seen.same(start, layout::kFileList); }))
      << "the empty list draws its focus rectangle\n"
      << program.keep(shot, "empty-list-focus");

  program.key("Tab");
  EXPECT_TRUE(
      program.waits_until(shot, [&](const Screenshot& seen) { return seen.dark_pixels(layout::kFolderBox) > 0; }))
      << "the empty read-only folder box shows its caret\n"
      << program.keep(shot, "folder-box-caret");

  program.key("shift+Tab");
  program.key("shift+Tab");  // back over the list to 转换多个图片
  Screenshot framed;
  ASSERT_TRUE(
      program.waits_until(framed, [&](const Screenshot& seen) { return !seen.same(start, layout::kChooseFolder); }))
      << "the button shows its focus frame\n"
      << program.keep(framed, "button-framed");
  program.key("space");
  const std::string dialog = program.wait_for_window("Quorvant_", kScreenLimit);
  ASSERT_FALSE(dialog.empty()) << "Space opens the folder dialog";
  program.focus(dialog);
  program.key("Escape");
  ASSERT_TRUE(program.wait_until_gone("Quorvant_", kScreenLimit)) << "Escape closes the dialog";
  // No folder chosen: a box says so, and Return closes it.
  const std::string box = program.wait_for_window("^信息", kScreenLimit);
  ASSERT_FALSE(box.empty()) << "the program asks for a folder\n" << program.keep(program.screenshot(), "no-box");
  program.focus(box);
  program.key("Return");
  ASSERT_TRUE(program.wait_until_gone("^信息", kScreenLimit)) << "Return closes the box";
  program.focus(program.window());  // as a window manager gives it back
  EXPECT_TRUE(
      program.waits_until(shot, [&](const Screenshot& seen) { return seen.same(framed, layout::kChooseFolder); }))
      << "the focus is back on the button, and its frame with it\n"
      << program.keep(shot, "button-after-dialog");
}

// The JPEG options look disabled as a whole when another format is chosen:
// the sliders, the labels and the caption too, not the check boxes alone.
// And a value of 100 shows whole, though its label is narrower.
TEST_F(Converter, AnotherFormatGreysTheWholeJpegGroupAndValuesShowWhole) {
  program.click(centre_x(layout::kQualitySlider), centre_y(layout::kQualitySlider));
  program.key("End");
  const Area beyond_label{layout::kQualityLabel.left + layout::kQualityLabel.width, layout::kQualityLabel.top, 8,
                          layout::kQualityLabel.height};
  Screenshot hundred;
  EXPECT_TRUE(program.waits_until(hundred, [&](const Screenshot& seen) { return seen.dark_pixels(beyond_label) > 3; }))
      << "\"100 度\" runs on past its label's right edge\n"
      << program.keep(hundred, "hundred");

  const Screenshot enabled = program.screenshot();
  choose(layout::kPngBox);
  const Area group = layout::kJpegOptions;
  const struct {
    const char* what;
    Area area;
  } parts[] = {
      {"the caption", {group.left + 8, group.top, 56, 12}},
      {"the quality slider", layout::kQualitySlider},
      {"the quality value", layout::kQualityLabel},
      {"the quality prompt", {group.left + 100, group.top + 40, 152, 16}},
      {"the hint", {group.left + 8, group.top + 56, 84, 56}},
  };
  Screenshot disabled;
  for (const auto& part : parts) {
    EXPECT_TRUE(program.waits_until(disabled, [&](const Screenshot& seen) { return !seen.same(enabled, part.area); }))
        << part.what << " looks disabled\n"
        << program.keep(disabled, "disabled-group");
  }
}

TEST_F(Converter, ConvertsEveryListedPictureIntoAWholePng) {
  ASSERT_NO_FATAL_FAILURE(choose_listed_folder(small_pictures()));
  ASSERT_NO_FATAL_FAILURE(choose(layout::kPngBox));
  click(layout::kConvert);

  const std::vector<std::string> expected = {"testimgari.Png", "testimgint.Png", "testorig.Png"};
  const std::string output = program.output_folder();
  std::vector<std::string> written;
  const bool all_whole = within(kJobLimit, [&] {
    written = pngs_in(output);
    if (written != expected) return false;
    for (const std::string& name : written) {
      const std::optional<Pnm> picture = read_whole_png(output + name);
      if (!picture || picture->width != 227 || picture->height != 149) return false;
    }
    return true;
  });
  EXPECT_TRUE(all_whole) << "the output folder holds" << joined(written) << "\n" << program.log();
  EXPECT_TRUE(within(kJobLimit, [&] { return !program.opened().empty(); })) << "the job ends";
  EXPECT_EQ(program.opened(), std::vector<std::string>({output})) << "the job opens its output folder at the end";
  EXPECT_EQ(files_below(output).size(), expected.size()) << "nothing else is written" << joined(files_below(output));
}

TEST_F(Converter, ClosingDuringAJobLeavesNeitherScratchFilesNorTruncatedPictures) {
  // Thirty pictures of 2000 x 1500: a job of several seconds.
  const std::string pictures = folder.file("large");
  fs::create_directory(pictures);
  const std::string picture = folder.file("large.jpg");
  ASSERT_EQ(run_command("convert -size 2000x1500 gradient:navy-orange -swirl 200 " + shell_quote(picture)).status, 0);
  copies(picture, pictures, "large", 30);
  ASSERT_NO_FATAL_FAILURE(choose_listed_folder(pictures));
  ASSERT_NO_FATAL_FAILURE(choose(layout::kPngBox));
  click(layout::kConvert);

  const std::string output = program.output_folder();
  ASSERT_TRUE(within(kJobLimit, [&] { return !pngs_in(output).empty(); }))
      << "the job starts; the output folder holds" << joined(files_below(output)) << "\n"
      << program.keep(program.screenshot(), "not-started") << program.thread_stacks();
  ASSERT_LT(pngs_in(output).size(), 30u) << "the job is still running when the window closes";
  click(layout::kClose);

  const std::optional<int> status = program.wait_for_exit(kStartLimit);
  ASSERT_TRUE(status.has_value()) << "the program ends\n" << program.log();
  EXPECT_EQ(*status, 0) << program.log();
  EXPECT_TRUE(within(kScreenLimit, [&] { return program.opened().size() >= 2; }))
      << "closing opens the forum and the web site" << joined(program.opened());
  for (const std::string& address : program.opened()) {
    EXPECT_EQ(address.rfind("http", 0), 0u) << "the job was cut short, so it did not open its folder: " << address;
  }

  EXPECT_EQ(files_below(program.scratch_folder()), std::vector<std::string>())
      << "no scratch file outlives the program";
  const std::vector<std::string> written = files_below(output);
  EXPECT_FALSE(written.empty());
  for (const std::string& path : written) {
    const std::optional<Pnm> whole = read_whole_png(path);
    EXPECT_TRUE(whole && whole->width == 2000 && whole->height == 1500)
        << path << " is a whole picture, not what was written of it before the program ended";
  }
}

// The desktops a message box is checked on: an X server that draws every
// window as it is, as under Openbox, i3 or a plain Xfce, and one whose
// compositing manager honours the main window's opacity.
enum class Desktop { kPlain, kCompositing };

const char* name_of(Desktop desktop) { return desktop == Desktop::kPlain ? "WithoutCompositor" : "WithXcompmgr"; }
std::string desktop_name(const ::testing::TestParamInfo<Desktop>& info) { return name_of(info.param); }
void PrintTo(Desktop desktop, std::ostream* out) { *out << name_of(desktop); }

struct MessageBoxOnDesktop : ::testing::TestWithParam<Desktop> {
  TempFolder folder;
  VirtualDisplay display{folder.file("xvfb.log")};
  std::optional<CompositingManager> compositor;
  ConverterOnDisplay program{display, folder.path()};

  void SetUp() override {
    if (GetParam() == Desktop::kCompositing) compositor.emplace(display, folder.file("xcompmgr.log"));
  }
};

TEST_P(MessageBoxOnDesktop, AFileOfAnUnsupportedKindIsAnsweredByADrawnBoxThatReturnCloses) {
  const std::string notes = folder.file("notes.txt");
  std::ofstream(notes) << "not a picture\n";
  ASSERT_TRUE(program.start({notes})) << program.keep(program.screenshot(), "start");

  // 提示: 您选择的图片文件格式暂时不支持!
  const std::string box = program.wait_for_window("^提示$", kScreenLimit);
  ASSERT_FALSE(box.empty()) << "the box comes\n" << program.keep(program.screenshot(), "no-box");
  const std::optional<Area> client = program.client_area(box);
  ASSERT_TRUE(client.has_value()) << "the box is still there";
  // The text stands in the upper part of the box, above its button.
  const Area text{client->left, client->top, client->width, client->height * 2 / 5};
  Screenshot shot;
  const bool drawn = program.waits_until(shot, [&](const Screenshot& seen) {
    return seen.light_pixels(*client) > client->width * client->height / 2 && seen.dark_pixels(text) > 30;
  });
  EXPECT_TRUE(drawn) << "the box at " << client->left << ", " << client->top << " (" << client->width << " x "
                     << client->height << " in the main window's coordinates) shows the dialog's face and its "
                     << "text, not black: " << shot.light_pixels(*client) << " light pixels, " << shot.dark_pixels(text)
                     << " dark ones where the text goes\n"
                     << program.keep(shot, "box");

  const std::vector<uint8_t> edge = shot.pixels(layout::kPanelTopEdge);
  const bool see_through = edge[0] != 255 || edge[1] != 0 || edge[2] != 255;
  EXPECT_EQ(see_through, GetParam() == Desktop::kCompositing)
      << "the main window is 234/255 opaque where a compositor honours it, and only there\n"
      << program.keep(shot, "opacity");

  program.focus(box);
  program.key("Return");
  EXPECT_TRUE(program.wait_until_gone("^提示$", kScreenLimit)) << "Return closes the box\n"
                                                               << program.keep(program.screenshot(), "box-stays");
}

// At twice the scale the list's rows take the font's full height: a name
// with an underscore and the same name with a space read differently.
TEST(TwiceTheScale, ListRowsShowWholeNames) {
  TempFolder folder;
  VirtualDisplay display{folder.file("xvfb.log"), "1600x1000x24"};
  ConverterOnDisplay program{display, folder.path()};
  program.set_scale(2);
  ASSERT_TRUE(program.start()) << program.keep(program.screenshot(), "start");
  const std::string pictures = folder.file("pictures");
  fs::create_directory(pictures);
  for (const char* name : {"a b.jpg", "a_b.jpg"}) fs::copy_file(corpus("jpeg/testorig.jpg"), pictures + "/" + name);
  ASSERT_TRUE(program.choose_folder(pictures));

  // Listed one under the other, the two rows' pictures are equal for no
  // row height when the underscore shows.
  const Area list = layout::scaled(layout::kFileList, 2);
  Screenshot shot;
  ASSERT_TRUE(program.waits_until(shot,
                                  [&](const Screenshot& seen) {
                                    return seen.dark_pixels({list.left, list.top + 80, list.width, 40}) == 0 &&
                                           seen.dark_pixels({list.left, list.top, list.width, 40}) > 0;
                                  }))
      << "two names listed\n"
      << program.keep(shot, "listed");
  for (int row = 16; row <= 40; ++row) {
    EXPECT_NE(shot.pixels({list.left, list.top, list.width, row}),
              shot.pixels({list.left, list.top + row, list.width, row}))
        << "with rows of " << row << " pixels the two names look alike\n"
        << program.keep(shot, "alike");
  }
}

// What a screen reader finds of the window (at-spi): every control a
// person can use and every text they must read has a name, the two sliders
// are told apart by theirs and carry their value texts, the picture
// buttons can be pressed, and the busy box is an alert.
TEST(ScreenReader, FindsEveryControlAndTextByName) {
  TempFolder folder;
  VirtualDisplay display{folder.file("xvfb.log")};
  AccessibilityBus bus{display, folder.path()};
  ConverterOnDisplay program{display, folder.path()};
  program.set_environment("DBUS_SESSION_BUS_ADDRESS=" + bus.address());
  program.set_environment("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1");
  ASSERT_TRUE(program.start()) << program.keep(program.screenshot(), "start");

  using Object = AccessibilityBus::Object;
  std::vector<Object> objects;
  auto named = [&](const std::string& role, const std::string& name) -> const Object* {
    for (const Object& object : objects) {
      if (object.role == role && object.name == name) return &object;
    }
    return nullptr;
  };
  ASSERT_TRUE(within(kScreenLimit,
                     [&] {
                       objects = bus.objects();
                       return named("push button", "格式转换") != nullptr;
                     }))
      << "the window is on the accessibility bus; see " << folder.file("at-spi.log");

  std::vector<const Object*> sliders;
  int frames = 0;
  for (const Object& object : objects) {
    SCOPED_TRACE(object.role + " \"" + object.name + "\"");
    const bool showing = object.has(object.states, "showing");
    if (object.role == "frame") ++frames;
    if (object.role == "slider") sliders.push_back(&object);
    EXPECT_FALSE(showing && object.role == "filler") << "a control or text shown without a role";
    if (showing && object.role != "panel" && object.role != "list item") {
      EXPECT_FALSE(object.name.empty()) << "shown without a name";
    }
    if (object.role == "panel" || object.role == "label" || object.role == "frame" || object.role == "alert") {
      EXPECT_FALSE(object.has(object.states, "focusable")) << "announced as focusable";
    }
  }
  EXPECT_EQ(frames, 1) << "the window is a frame";
  ASSERT_EQ(sliders.size(), 2u);
  EXPECT_NE(sliders[0]->name, sliders[1]->name) << "the two sliders have one name";
  std::vector<std::string> descriptions = {sliders[0]->description, sliders[1]->description};
  std::sort(descriptions.begin(), descriptions.end());
  EXPECT_EQ(descriptions, (std::vector<std::string>{"当前选择: 0 度", "当前选择: 75 度"}));
  for (const char* button : {"关闭", "最小化"}) {
    const Object* found = named("push button", button);
    ASSERT_NE(found, nullptr) << button;
    EXPECT_TRUE(found->has(found->actions, "Press")) << button;
  }
  for (const auto& [role, name] : {std::pair{"list", "文件列表"}, std::pair{"text", "目录"}}) {
    EXPECT_NE(named(role, name), nullptr) << role << " " << name;
  }
  bool busy_alert = false;
  for (const Object& object : objects) {
    busy_alert = busy_alert || (object.role == "alert" && object.name.starts_with("格式转换中!"));
  }
  EXPECT_TRUE(busy_alert) << "the busy box is an alert that says what it says";
}

INSTANTIATE_TEST_SUITE_P(Desktops, MessageBoxOnDesktop, ::testing::Values(Desktop::kPlain, Desktop::kCompositing),
                         desktop_name);

}  // namespace
}  // namespace quorvant::testing::desktop
