// The main window as a person sees and uses it: value labels repainted at
// once, every caption whole in its box, the classic controls of the desktop
// it imitates in one button-face colour, whole-area check and radio boxes,
// the icon in every size, labels that do not drag the window, and the file
// dialog's filter as the program wrote it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QAbstractProxyModel>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QPushButton>
#include <QLabel>
#include <QFileSystemModel>
#include <QFile>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QWindow>

#include <map>

#include "forms/embedded_form.h"
#include "forms/main_window.h"
#include "platform/desktop_look.h"
#include "platform/dialogs.h"
#include "tests/ui/ui_test_support.h"
#include "ui/form_reader/form_template.h"
#include "ui/program_controls.h"

namespace quorvant::ui {
namespace {

constexpr uint32_t kOwn = 0x06010000;
constexpr uint32_t kPanel = 0x16010288;
constexpr uint32_t kOptions = 0x1601028D;
constexpr uint32_t kFormats = 0x16010298;
constexpr uint32_t kBatch = 0x160102A4;
constexpr uint32_t kQualityLabel = 0x16010294;
constexpr uint32_t kHintLabel = 0x1601028E;
constexpr uint32_t kBusyLabel = 0x1601028C;
constexpr uint32_t kOptimise = 0x16010293;
constexpr uint32_t kToJpg = 0x160102A3;
constexpr uint32_t kFolderBox = 0x160102A8;
constexpr uint32_t kTitle = 0x160102B2;

struct MainWindowLook : ::testing::Test {
  platform::ScriptedDialogs dialogs;
  std::vector<EventHandler> handlers = std::vector<EventHandler>(forms::kHandlerCount);
  std::unique_ptr<WindowRuntime> runtime;

  void SetUp() override {
    platform::use_desktop_look();
    auto form = form::load_form(forms::embedded_form(), forms::kHandlerCount);
    ASSERT_TRUE(form);
    runtime = std::make_unique<WindowRuntime>(std::move(*form), handlers, program_control_types(), dialogs);
    ASSERT_TRUE(runtime->open_start_window(forms::kMainWindowId));
    testing::settle();
  }
  void TearDown() override {
    runtime.reset();
    testing::settle();
  }
  QWidget* widget(uint32_t element) { return runtime->widget_of(forms::kMainWindowId, element); }
  QWidget* window() { return widget(kOwn); }
  QRect in_window(uint32_t element) {
    QWidget* w = widget(element);
    return {w->mapTo(window(), QPoint(0, 0)), w->size()};
  }
  // What the window shows now, from its backing store: what a person sees.
  QImage on_screen() {
    return window()->screen()->grabWindow(window()->winId()).toImage().convertToFormat(QImage::Format_RGB32);
  }
  // The window drawn afresh, everything repainted.
  QImage drawn_afresh() { return window()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// The value label sits in the group box 质量选择 inside the panel 外形框2,
// both painting their backgrounds: that is where a new caption used not
// to show.
TEST_F(MainWindowLook, AValueLabelShowsItsNewCaptionAtOnce) {
  const QRect label = in_window(kQualityLabel);
  const QImage before = on_screen().copy(label);
  for (const char* caption : {"1 度", "100 度", "55 度"}) {
    runtime->set_property(forms::kMainWindowId, kQualityLabel, 8, std::string(caption));
    const QImage shown = on_screen().copy(label);
    EXPECT_EQ(shown, drawn_afresh().copy(label)) << caption << ": the screen shows what the window now holds";
    EXPECT_NE(shown, before) << caption;
  }
}

TEST_F(MainWindowLook, EveryCaptionFitsItsBox) {
  struct Text {
    uint32_t element;
    const char* caption;
    bool wraps;
  };
  const Text labels[] = {
      {kTitle, nullptr, false},
      {0x1601028A, nullptr, true},
      {kBusyLabel, "格式转换中! 请稍候......\r\n\r\n提示: \r\n转换完成后,将会打开文件夹", true},
      {kHintLabel, "提示信息:\r\n采用柔化后,\r\n图片质量好!\r\n图片体积大!", true},
      {0x1601028F, "0 度", false},
      {0x16010290, "请选择柔化质量! 当前选择: ", false},
      {kQualityLabel, "75 度", false},
      {0x16010295, "请选择画面质量! 当前选择: ", false},
      {0x16010299, "提示: 请按照您的需要选择格式", false},
  };
  for (const Text& text : labels) {
    QWidget* label = widget(text.element);
    const QString caption =
        text.caption != nullptr
            ? QString::fromUtf8(text.caption)
            : QString::fromStdString(as_text(runtime->get_property(forms::kMainWindowId, text.element, 8)));
    const QFontMetrics metrics(label->font());
    const int flags = text.wraps ? Qt::TextWordWrap : Qt::TextSingleLine;
    // Spaces at the end draw nothing (the two prompts end in one).
    const QRect needed = metrics.boundingRect(QRect(0, 0, label->width(), 10000), flags, caption.trimmed());
    EXPECT_LE(needed.height(), label->height()) << caption.toStdString() << ": its last line is cut off";
    EXPECT_LE(needed.width(), label->width()) << caption.toStdString();
  }
  // Check and radio boxes: the box, the gap and the caption in the width.
  for (QAbstractButton* button : window()->findChildren<QAbstractButton*>()) {
    if (qobject_cast<QCheckBox*>(button) == nullptr && qobject_cast<QRadioButton*>(button) == nullptr) continue;
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect contents = button->style()->subElementRect(
        qobject_cast<QCheckBox*>(button) != nullptr ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents,
        &option, button);
    EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(button->text()), contents.width())
        << button->text().toStdString();
  }
  for (QGroupBox* group : window()->findChildren<QGroupBox*>()) {
    EXPECT_LT(QFontMetrics(group->font()).horizontalAdvance(group->title()), group->width() - 16);
  }
}

// One button-face colour behind the panel, the group boxes, and the check
// and radio boxes; the edit box's border is one thin black line.
TEST_F(MainWindowLook, TheControlsHaveTheDesktopsColoursAndBorders) {
  const QImage shown = drawn_afresh();
  const QColor face = platform::system_colour::kButtonFace;
  const QPoint places[] = {
      in_window(kPanel).topLeft() + QPoint(314, 200),    // the panel, between the list and the groups
      in_window(kFormats).topLeft() + QPoint(150, 112),  // inside a group box
      in_window(kOptimise).topLeft() + QPoint(78, 8),    // a check box's own area
      in_window(kToJpg).topLeft() + QPoint(78, 20),      // a radio button's
  };
  for (const QPoint& place : places) EXPECT_EQ(shown.pixelColor(place), face) << place.x() << "," << place.y();

  const QRect edit = in_window(kFolderBox);
  for (const QPoint& edge : {edit.topLeft(), edit.topRight(), edit.bottomLeft(), edit.bottomRight(),
                             QPoint(edit.center().x(), edit.top())}) {
    EXPECT_EQ(shown.pixelColor(edge), QColor(Qt::black)) << "a single thin line";
  }
  EXPECT_EQ(shown.pixelColor(edit.topLeft() + QPoint(1, 1)), QColor(Qt::white)) << "only one pixel wide";
}

// The frame of a group box runs through the middle of its caption, and the
// caption stands on the group's background, not in a band above the frame.
TEST_F(MainWindowLook, AGroupBoxFrameRunsThroughItsCaption) {
  QGroupBox* group = qobject_cast<QGroupBox*>(widget(kFormats));
  ASSERT_NE(group, nullptr);
  const QImage image = group->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QFontMetrics metrics(group->font());
  const int middle = metrics.height() / 2;
  // The frame's top line: the first row, from the top, that is not the
  // face colour at the group's right end.
  int top_line = -1;
  for (int y = 0; y < image.height() && top_line < 0; ++y) {
    if (image.pixelColor(image.width() - 4, y) != platform::system_colour::kButtonFace) top_line = y;
  }
  EXPECT_NEAR(top_line, middle, 2) << "the frame's top line is at the caption's middle";
  // The first row of controls is below the line, clear of it.
  EXPECT_GT(widget(kToJpg)->geometry().top(), top_line + 1);
}

TEST_F(MainWindowLook, CheckAndRadioBoxesAnswerAClickAnywhereInTheirRectangle) {
  auto* optimise = qobject_cast<QCheckBox*>(widget(kOptimise));
  ASSERT_NE(optimise, nullptr);
  ASSERT_TRUE(optimise->isChecked());
  QTest::mouseClick(optimise, Qt::LeftButton, {}, QPoint(optimise->width() - 2, optimise->height() / 2));
  EXPECT_FALSE(optimise->isChecked()) << "the right end of the check box";
  auto* radio = qobject_cast<QRadioButton*>(widget(0x1601029A));
  ASSERT_NE(radio, nullptr);
  QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(radio->width() - 2, radio->height() - 2));
  EXPECT_TRUE(radio->isChecked()) << "the lower right corner of the radio button";
}

TEST_F(MainWindowLook, TheDesktopGetsTheIconInEverySize) {
  const QList<QSize> sizes = window()->windowIcon().availableSizes();
  for (int side : {16, 32, 48, 64}) EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
}

// Pressing the title line or another label is not pressing the window's
// background: only the background, panels and group boxes move it.
TEST_F(MainWindowLook, PressingALabelDoesNotDragTheWindow) {
  QWindow* handle = window()->windowHandle();
  ASSERT_NE(handle, nullptr);
  const QPoint start = window()->pos();
  QWidget* title = widget(kTitle);
  QTest::mousePress(title, Qt::LeftButton, {}, QPoint(20, 8));
  QTest::mouseMove(title, QPoint(60, 40));
  QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(60, 40));
  EXPECT_EQ(window()->pos(), start);
  QWidget* group = widget(kBatch);
  QTest::mousePress(group, Qt::LeftButton, {}, QPoint(280, 5));
  QMouseEvent move(QEvent::MouseMove, QPointF(300, 45), group->mapToGlobal(QPointF(300, 45)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(group, &move);
  QTest::mouseRelease(group, Qt::LeftButton, {}, QPoint(300, 45));
  EXPECT_NE(window()->pos(), start) << "a group box does move it";
}

TEST(FileDialogFilter, ShowsTheProgramsDescriptionAsItStands) {
  platform::FileDialogRequest request;
  request.filters = {{"图片文件(*.*)", ""}};
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  platform::prepare_file_dialog(dialog, request);
  auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(types, nullptr);
  ASSERT_EQ(types->count(), 1);
  EXPECT_EQ(types->itemText(0).toStdString(), "图片文件(*.*)");
}


// Both dialogs speak Chinese whatever the locale: their titles when the
// program gives none, the labels and buttons, the list's headers and the
// details of a folder, a picture and a file without an extension.
TEST(FileDialogWords, AreChineseInEveryLocale) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("sub")));
  for (const char* name : {"photo.jpg", "notes"}) {
    QFile file(folder.filePath(QString::fromUtf8(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("abc");
  }
  QFileDialog open_dialog;
  platform::prepare_file_dialog(open_dialog, {});
  QFileDialog folder_dialog;
  platform::prepare_folder_dialog(folder_dialog, {});
  EXPECT_EQ(open_dialog.windowTitle().toStdString(), "打开");
  EXPECT_EQ(folder_dialog.windowTitle().toStdString(), "浏览文件夹");

  const QRegularExpression english(QStringLiteral("[A-Za-z]{2,}"));
  for (QFileDialog* dialog : {&open_dialog, &folder_dialog}) {
    dialog->setDirectory(folder.path());
    for (const auto* label : dialog->findChildren<QLabel*>())
      EXPECT_FALSE(label->text().contains(english)) << label->text().toStdString();
    for (const auto* button : dialog->findChildren<QPushButton*>())
      EXPECT_FALSE(button->text().contains(english)) << button->text().toStdString();
    QAbstractProxyModel* details = dialog->proxyModel();
    ASSERT_NE(details, nullptr);
    QStringList headers;
    for (int column = 0; column < 4; ++column) headers << details->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers.join('|').toStdString(), "名称|大小|类型|修改日期");

    const auto* files = qobject_cast<QFileSystemModel*>(details->sourceModel());
    ASSERT_NE(files, nullptr);
    const QModelIndex shown = details->mapFromSource(files->index(folder.path()));
    const int expected = dialog == &open_dialog ? 3 : 1;  // the folder browser lists folders only
    ASSERT_TRUE(QTest::qWaitFor([&] { return details->rowCount(shown) == expected; }, 20000));
    std::map<std::string, std::string> rows;
    for (int row = 0; row < expected; ++row) {
      QStringList cells;
      for (int column = 1; column < 4; ++column) cells << details->index(row, column, shown).data().toString();
      EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}/\\d{1,2}/\\d{1,2} \\d{1,2}:\\d\\d$")).match(cells[2]).hasMatch())
          << cells[2].toStdString();
      cells.removeLast();
      rows[details->index(row, 0, shown).data().toString().toStdString()] = cells.join('|').toStdString();
    }
    EXPECT_EQ(rows["sub"], "|文件夹");
    if (dialog == &open_dialog) {
      EXPECT_EQ(rows["photo.jpg"], "3 字节|JPG 文件");
      EXPECT_EQ(rows["notes"], "3 字节|文件");
    }
  }
}

}  // namespace
}  // namespace quorvant::ui
