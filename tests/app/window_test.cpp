// The main window's handlers: its shape, the title buttons, the option
// controls, and filling the file list from a folder or a single file.
#include <gtest/gtest.h>

#include <QTest>

#include <algorithm>
#include <filesystem>

#include "app/handlers.h"
#include "app/ids.h"
#include "forms/main_window.h"
#include "runtime/memory.h"
#include "runtime/runtime.h"
#include "tests/app/app_test_support.h"

namespace quorvant::testing {
namespace {

namespace element = app::element;
constexpr uint32_t kPngBox = 0x160102A2;
constexpr uint32_t kJpgBox = 0x160102A3;

int32_t read_int(uint32_t element_id, int32_t index) {
  return runtime::read_property(app::kMainWindow, element_id, index).as_int();
}

std::string read_text(uint32_t element_id, int32_t index) {
  const runtime::ValueRecord text = runtime::read_property(app::kMainWindow, element_id, index);
  std::string copy = text.as_text() != nullptr ? text.as_text() : "";
  runtime::release(text.as_pointer());
  return copy;
}

struct MainWindow : ::testing::Test {
  TestProgram& program = test_program();
  void SetUp() override { reset_program(); }
};

TEST_F(MainWindow, OpensRoundedAndPartlyTransparent) {
  QWidget* window = widget(0);
  ASSERT_NE(window, nullptr);
  const QRegion shape = window->mask();
  EXPECT_TRUE(shape.contains(QPoint(323, 195)));
  EXPECT_FALSE(shape.contains(QPoint(0, 0))) << "the corners are cut";
  EXPECT_TRUE(shape.contains(QPoint(20, 0)));
  EXPECT_TRUE(shape.contains(QPoint(0, 20)));
  EXPECT_NEAR(window->windowOpacity(), 234 / 255.0, 0.01);
}

TEST_F(MainWindow, TheJpegOptionsAreUsableOnlyForJpg) {
  click(kPngBox);
  EXPECT_EQ(read_int(element::kJpegOptions, app::property::kDisabled), 1);
  click(kJpgBox);
  EXPECT_EQ(read_int(element::kJpegOptions, app::property::kDisabled), 0);
}

TEST_F(MainWindow, TheValueLabelsFollowEverySliderStep) {
  QWidget* quality = widget(element::kQuality);
  quality->setFocus();
  QTest::keyClick(quality, Qt::Key_End);
  EXPECT_EQ(read_text(element::kQualityLabel, 8), "100 度");
  QTest::keyClick(quality, Qt::Key_Left);
  EXPECT_EQ(read_text(element::kQualityLabel, 8), "99 度");
  QWidget* smoothing = widget(element::kSmoothing);
  smoothing->setFocus();
  QTest::keyClick(smoothing, Qt::Key_Right);
  EXPECT_EQ(read_text(element::kSmoothingLabel, 8), "1 度");
}

TEST_F(MainWindow, TheMinimiseButtonMinimisesTheWindow) {
  click(0x160102AA);
  EXPECT_EQ(read_int(element::kWindowItself, app::property::kWindowPosition), 2);
  EXPECT_TRUE(widget(0)->windowState().testFlag(Qt::WindowMinimized));
  widget(0)->showNormal();
}

// A folder with pictures, names the extension test refuses and a folder.
struct Folder : MainWindow {
  TempFolder folder;
  void SetUp() override {
    MainWindow::SetUp();
    for (const char* name : {"x.jpg", "Y.PNG", "anim.gif", "photo.JPEG", "scan.tiff", "a.b", "old.TIF", "xGIF"}) {
      write_bytes(folder.file(name), {1, 2, 3});
    }
    std::filesystem::create_directory(folder.file("pictures.jpg"));
  }
  std::vector<std::string> expected(std::initializer_list<const char*> names) {
    std::vector<std::string> paths;
    for (const char* name : names) paths.push_back(folder.path() + "/" + name);
    std::sort(paths.begin(), paths.end());
    return paths;
  }
};

TEST_F(Folder, ChoosingAFolderListsEveryFileWithAnAcceptedEnding) {
  program.dialogs.answer_folder(folder.path());
  click(element::kChooseFolder);
  ASSERT_FALSE(program.dialogs.folder_requests().empty());
  EXPECT_EQ(program.dialogs.folder_requests().back().title, "Velk_Quorvant_文件选择:");
  EXPECT_EQ(read_text(element::kFolderBox, 8), folder.path() + "/");
  std::vector<std::string> listed = listed_files();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, expected({"x.jpg", "Y.PNG", "anim.gif", "old.TIF", "xGIF"}));
}

TEST_F(Folder, AChosenFolderEndingWithTheSeparatorKeepsItAndReplacesTheList) {
  const size_t messages = program.dialogs.message_requests().size();
  click(element::kChooseFolder);  // cancelled first: the message, nothing listed
  ASSERT_EQ(program.dialogs.message_requests().size(), messages + 1);
  EXPECT_EQ(program.dialogs.message_requests().back().text, "请选择图片目录");
  EXPECT_EQ(program.dialogs.message_requests().back().title, "信息：");
  program.dialogs.answer_folder(folder.path() + "/");
  click(element::kChooseFolder);
  EXPECT_EQ(read_text(element::kFolderBox, 8), folder.path() + "/");
  EXPECT_EQ(listed_files().size(), 5u);
  click(element::kChooseFolder);  // cancelled again: the list stays
  EXPECT_EQ(listed_files().size(), 5u);
}

TEST_F(Folder, SingleFilesAreAddedWhenTheirEndingIsAccepted) {
  const size_t messages = program.dialogs.message_requests().size();
  program.dialogs.answer_file(folder.file("anim.gif"));
  click(element::kAddFile);
  program.dialogs.answer_file(folder.file("photo.JPEG"));
  click(element::kAddFile);
  program.dialogs.answer_file(std::nullopt);
  click(element::kAddFile);
  program.dialogs.answer_file("/elsewhere/photo.Jpg");
  click(element::kAddFile);
  EXPECT_EQ(listed_files(), std::vector<std::string>({folder.file("anim.gif"), "/elsewhere/photo.Jpg"}));
  ASSERT_EQ(program.dialogs.message_requests().size(), messages + 1);
  EXPECT_EQ(program.dialogs.message_requests().back().text, "您选择的图片文件格式暂时不支持!");
  EXPECT_EQ(program.dialogs.message_requests().back().title, "提示");
  using Filter = std::pair<std::string, std::string>;
  EXPECT_EQ(program.dialogs.file_requests().back().filters, std::vector<Filter>({{"图片文件(*.*)", ""}}));
}

// quorvant FILE...: each file as 转换单个图片 would add it; a name of no
// file there (missing, or a folder) is refused as a file of no accepted
// kind is.
TEST_F(Folder, FilesNamedAtStartAreAddedAsSingleFilesAre) {
  const size_t messages = program.dialogs.message_requests().size();
  write_bytes(folder.file("notes.txt"), {1});
  app::add_files({folder.file("x.jpg"), folder.file("notes.txt"), "/nonexistent/scan.tif", folder.file("pictures.jpg"),
                  folder.file("old.TIF")});
  EXPECT_EQ(listed_files(), std::vector<std::string>({folder.file("x.jpg"), folder.file("old.TIF")}));
  ASSERT_EQ(program.dialogs.message_requests().size(), messages + 3) << "refused: the text file, the missing file, "
                                                                         "the folder";
  for (size_t i = messages; i < messages + 3; ++i) {
    EXPECT_EQ(program.dialogs.message_requests()[i].text, "您选择的图片文件格式暂时不支持!");
  }
}

}  // namespace
}  // namespace quorvant::testing
