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
    ASSERT_TRUE(within(kScreenLimit,
                       [&] {
                         shot = program.screenshot();
                         return shot.alike_lines(layout::kFileList, kPathColumns) != 0;
                       }))
        << "the list shows the folder's pictures\n"
        << program.keep(shot, "listed");
  }

  // Clicks a radio box that is not yet chosen and waits until it shows the
  // choice.
  void choose(const Area& box) {
    const Screenshot before = program.screenshot();
    click(box);
    Screenshot after;
    ASSERT_TRUE(within(kScreenLimit,
                       [&] {
                         after = program.screenshot();
                         return !after.same(before, box);
                       }))
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
  EXPECT_TRUE(within(kScreenLimit,
                     [&] {
                       after = program.screenshot();
                       return after.alike_lines(layout::kFileList, kPathColumns) == 3;
                     }))
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
  const bool thumb_moved = within(kScreenLimit, [&] {
    dragging = program.screenshot();
    return !dragging.same(before, slider);
  });
  ASSERT_TRUE(thumb_moved) << "the thumb follows the mouse\n" << program.keep(dragging, "dragging");
  EXPECT_TRUE(within(kScreenLimit,
                     [&] {
                       dragging = program.screenshot();
                       return !dragging.same(before, label);
                     }))
      << "the label shows the new value while the button is still down\n"
      << program.keep(dragging, "dragging");

  for (int x = slider.left + 60; x >= slider.left - 10; x -= 10) program.move_to(x, y);
  program.release();
  Screenshot released;
  EXPECT_TRUE(within(kScreenLimit,
                     [&] {
                       released = program.screenshot();
                       return !released.same(dragging, label) && !released.same(before, label);
                     }))
      << "the label shows 1 度 at the left end, not 75 度 nor the value on the way\n"
      << program.keep(released, "released");
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
  const bool drawn = within(kScreenLimit, [&] {
    shot = program.screenshot();
    return shot.light_pixels(*client) > client->width * client->height / 2 && shot.dark_pixels(text) > 30;
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

INSTANTIATE_TEST_SUITE_P(Desktops, MessageBoxOnDesktop, ::testing::Values(Desktop::kPlain, Desktop::kCompositing),
                         desktop_name);

}  // namespace
}  // namespace quorvant::testing::desktop
