// What a caller that uses more than the main window finds: edit box details,
// the password character, windows with fixed borders, caption bars, icons
// and mouse pointers from files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <unistd.h>
#include <cstdio>

#include "tests/ui/ui_test_support.h"
#include "ui/form_reader/type_catalog.h"

namespace quorvant::ui {
namespace {

using form::type_id::kEditBox;
using testing::control;
using testing::kOwnId;
using testing::kTabStop;
using testing::kWindowId;
using testing::props;
using testing::TestRuntime;

constexpr uint32_t kBox = 0x16010400;

// One window holding one edit box made from `properties`.
struct EditWindow {
  TestRuntime runtime;
  explicit EditWindow(form::PropertyBag properties, QRect geometry = {10, 10, 200, 24})
      : runtime(testing::window_element(300, 200),
                {control(kBox, kEditBox, "box", geometry, std::move(properties), 0, kTabStop)}) {
    EXPECT_TRUE(runtime->open_window(kWindowId));
  }
  QWidget* widget() { return runtime.widget(kBox); }
  QLineEdit* line() { return qobject_cast<QLineEdit*>(widget()); }
  QPlainTextEdit* multi() { return qobject_cast<QPlainTextEdit*>(widget()); }
  PropertyValue get(int index) { return runtime->get_property(kWindowId, kBox, index); }
  void set(int index, PropertyValue value) { runtime->set_property(kWindowId, kBox, index, std::move(value)); }
  int32_t stored(int index) {
    Control* box = runtime->resolve_control(kWindowId, kBox);
    return form::read_properties(form::find_core_type(kEditBox)->schema, box->all_properties())->integer(index);
  }
  void focus() {
    QWidget* window = runtime.widget(kOwnId);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    widget()->setFocus();
  }
};

TEST(EditBoxPassword, TheCharacterIsATextStoredAsANumber) {
  EditWindow edit(props({{8, std::string("abc")}, {18, int32_t{2}}, {19, int32_t{'*'}}}));
  EXPECT_EQ(as_text(edit.get(19)), "*") << "as the template stores it";
  EXPECT_EQ(edit.line()->displayText(), "***");
  edit.set(19, std::string("#"));
  EXPECT_EQ(as_text(edit.get(19)), "#");
  EXPECT_EQ(edit.line()->displayText(), "###") << "the live box takes it at once";
  EXPECT_EQ(edit.stored(19), '#') << "saved as its number";
  edit.set(19, std::string("●"));  // a double-byte character of the template's encoding
  EXPECT_EQ(as_text(edit.get(19)), "●");
  EXPECT_EQ(edit.line()->displayText(), "●●●");
  edit.set(19, std::string());
  EXPECT_EQ(edit.stored(19), 0) << "no character of its own";
}

TEST(EditBoxLimit, OnlyTypingIsLimitedNotStoredOrWrittenContent) {
  EditWindow edit(props({{8, std::string("abcdefghij")}, {14, int32_t{4}}}));
  EXPECT_EQ(edit.line()->text(), "abcdefghij");
  edit.set(8, std::string("0123456789"));
  EXPECT_EQ(as_text(edit.get(8)), "0123456789");
  edit.focus();
  edit.line()->end(false);
  QTest::keyClicks(edit.line(), "xy");
  EXPECT_EQ(edit.line()->text(), "0123456789") << "no room to type";
  QTest::keyClick(edit.line(), Qt::Key_Backspace);
  EXPECT_EQ(edit.line()->text(), "012345678") << "deleting is not typing";
  edit.set(8, std::string("ab"));
  edit.line()->end(false);
  QTest::keyClicks(edit.line(), "cdef");
  EXPECT_EQ(edit.line()->text(), "abcd");
}

TEST(EditBoxLimit, PastedTextIsCutToTheRoomLeft) {
  EditWindow edit(props({{8, std::string("ab")}, {14, int32_t{5}}, {20, int32_t{1}}}));
  edit.focus();
  edit.line()->end(false);
  edit.line()->insert("CDEFG");  // as a paste inserts
  EXPECT_EQ(edit.line()->text(), "abcde") << "lower case, three characters of room";
}

TEST(EditBoxMultiLine, TypedTextFollowsTheLimitTheCaseAndTheAlignment) {
  // Black text on white.
  EditWindow edit(props({{15, int32_t{1}}, {14, int32_t{5}}, {20, int32_t{2}}, {17, int32_t{2}}, {11, int32_t{0xFFFFFF}}}),
                  {10, 10, 200, 80});
  ASSERT_NE(edit.multi(), nullptr);
  edit.focus();
  QTest::keyClicks(edit.multi(), "abcdefg");
  EXPECT_EQ(edit.multi()->toPlainText(), "ABCDE") << "upper case, five at most";
  edit.set(8, std::string("long stored text"));
  EXPECT_EQ(as_text(edit.get(8)), "LONG STORED TEXT") << "the program's content is not cut";

  // Right alignment: the text ends near the right edge of the box.
  edit.set(8, std::string("W"));
  edit.widget()->clearFocus();  // no caret in the picture
  QImage image(edit.widget()->size(), QImage::Format_RGB32);
  edit.widget()->render(&image);
  int leftmost_ink = image.width();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) < 100 && x > 3 && x < image.width() - 3 && y > 3)
        leftmost_ink = std::min(leftmost_ink, x);
    }
  }
  EXPECT_GT(leftmost_ink, image.width() / 2) << "the letter sits on the right";
}

TEST(EditBoxMultiLine, TabIsTypedIntoTheBox) {
  TestRuntime runtime(testing::window_element(300, 200),
                      {control(kBox, kEditBox, "box", {4, 4, 200, 80}, props({{15, int32_t{1}}}), 0, kTabStop),
                       control(kBox + 1, kEditBox, "next", {4, 100, 100, 20}, {}, 0, kTabStop)});
  ASSERT_TRUE(runtime->open_window(kWindowId));
  QWidget* window = runtime.widget(kOwnId);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  runtime.widget(kBox)->setFocus();
  QTest::keyClick(runtime.widget(kBox), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), runtime.widget(kBox)) << "the multi-line box keeps Tab";
  EXPECT_EQ(as_text(runtime->get_property(kWindowId, kBox, 8)), "\t");
}

// Pixels of the selection colour in the box as drawn without the focus.
int selection_pixels(EditWindow& edit) {
  QImage image(edit.widget()->size(), QImage::Format_RGB32);
  edit.widget()->render(&image);
  const QRgb highlight = edit.widget()->palette().color(QPalette::Active, QPalette::Highlight).rgb();
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == highlight ? 1 : 0;
  }
  return count;
}

TEST(EditBoxSelection, HideSelectionDecidesWhetherAnUnfocusedSelectionShows) {
  for (const bool hide : {false, true}) {
    EditWindow edit(
        props({{8, std::string("selected words")}, {13, int32_t{hide}}, {24, int32_t{0}}, {25, int32_t{8}}}));
    ASSERT_FALSE(edit.widget()->hasFocus());
    if (hide) {
      EXPECT_EQ(selection_pixels(edit), 0) << "hidden while the box has no focus";
    } else {
      EXPECT_GT(selection_pixels(edit), 20) << "kept in view";
    }
  }
}

struct PlainWindow {
  TestRuntime runtime;
  explicit PlainWindow(form::PropertyBag window) : runtime(testing::window_element(300, 200, std::move(window)), {}) {
    EXPECT_TRUE(runtime->open_window(kWindowId));
  }
  QWidget* top() { return runtime.widget(kOwnId); }
  void set(int index, PropertyValue value) { runtime->set_property(kWindowId, kOwnId, index, std::move(value)); }
};

TEST(WindowSize, WidthAndHeightResizeEveryBorderStyleInPlace) {
  for (const int32_t border : {0, 1, 2, 3, 4, 5, 6}) {
    PlainWindow window(props({{9, border}}));
    window.set(2, int32_t{350});
    window.set(3, int32_t{240});
    EXPECT_EQ(window.top()->size(), QSize(350, 240)) << "border style " << border;
    EXPECT_EQ(as_int(window.runtime->get_property(kWindowId, kOwnId, 2)), 350);
  }
}

TEST(WindowCaption, ACaptionBarOnlyForACaptionOrTheControlBoxAndTheMenuOnlyWithTheBox) {
  struct Case {
    const char* caption;
    int32_t control_box;
    bool title;
    bool menu;
  };
  for (const Case& c : {Case{"", 0, false, false}, Case{"标题", 0, true, false}, Case{"", 1, true, true}}) {
    PlainWindow window(props({{9, int32_t{2}},
                              {8, std::string(c.caption)},
                              {15, c.control_box},
                              {16, int32_t{1}},
                              {17, int32_t{1}},
                              {19, int32_t{1}}}));
    const Qt::WindowFlags flags = window.top()->windowFlags();
    SCOPED_TRACE(std::string("caption \"") + c.caption + "\", control box " + std::to_string(c.control_box));
    EXPECT_EQ(flags.testFlag(Qt::WindowTitleHint), c.title);
    EXPECT_EQ(flags.testFlag(Qt::WindowSystemMenuHint), c.menu);
    EXPECT_EQ(flags.testFlag(Qt::WindowCloseButtonHint), c.menu) << "Close lives in the system menu";
    EXPECT_EQ(flags.testFlag(Qt::WindowMinimizeButtonHint), c.menu);
  }
}

void put16(Bytes& out, uint32_t value) { out.insert(out.end(), {uint8_t(value), uint8_t(value >> 8)}); }
void put32(Bytes& out, uint32_t value) {
  out.insert(out.end(), {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
}

// A 32 x 32 cursor (type 2) or icon (type 1) of one 24-bit image: red, with
// its top-left 8 x 8 corner masked and black (the background shows there).
Bytes pointer_file(uint16_t type, uint16_t hot_x, uint16_t hot_y) {
  constexpr int kSide = 32;
  Bytes image;
  for (uint32_t field : {40u, uint32_t{kSide}, uint32_t{kSide * 2}}) put32(image, field);
  put16(image, 1);
  put16(image, 24);
  for (int i = 0; i < 6; ++i) put32(image, 0);
  auto corner = [](int x, int stored_row) { return x < 8 && stored_row >= kSide - 8; };
  for (int row = 0; row < kSide; ++row) {
    for (int x = 0; x < kSide; ++x) {
      const bool masked = corner(x, row);
      image.insert(image.end(), {0, 0, uint8_t(masked ? 0 : 255)});
    }
  }
  for (int row = 0; row < kSide; ++row) {
    for (int byte = 0; byte < 4; ++byte) {
      uint8_t bits = 0;
      for (int bit = 0; bit < 8; ++bit) bits |= corner(byte * 8 + bit, row) ? uint8_t(0x80 >> bit) : 0;
      image.push_back(bits);
    }
  }
  Bytes file;
  for (uint32_t field : {0u, uint32_t{type}, 1u}) put16(file, field);
  file.insert(file.end(), {kSide, kSide, 0, 0});
  put16(file, hot_x);
  put16(file, hot_y);
  put32(file, static_cast<uint32_t>(image.size()));
  put32(file, 22);
  file.insert(file.end(), image.begin(), image.end());
  return file;
}

TEST(MousePointer, ACursorFileKeepsItsTransparencyAndHotSpot) {
  EditWindow edit({});
  edit.set(7, pointer_file(2, 3, 5));
  const QCursor cursor = edit.widget()->cursor();
  EXPECT_EQ(cursor.hotSpot(), QPoint(3, 5));
  const QImage image = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(image.size(), QSize(32, 32));
  EXPECT_EQ(qAlpha(image.pixel(2, 2)), 0) << "the masked corner lets the background through";
  EXPECT_EQ(image.pixel(20, 20), qRgb(255, 0, 0));

  edit.set(7, pointer_file(1, 3, 5));  // an icon: those words are no hot spot
  EXPECT_EQ(edit.widget()->cursor().hotSpot(), QPoint(16, 16)) << "an icon points with its centre";
}

// Everything written to standard error while `work` runs.
template <class Work>
std::string standard_error_of(Work work) {
  std::fflush(stderr);
  FILE* capture = std::tmpfile();
  const int saved = ::dup(2);
  ::dup2(::fileno(capture), 2);
  work();
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  std::string written;
  std::rewind(capture);
  for (int c = std::fgetc(capture); c != EOF; c = std::fgetc(capture)) written.push_back(static_cast<char>(c));
  std::fclose(capture);
  return written;
}

Bytes png_file(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(qRgba(10, 200, 30, 255));
  QByteArray written;
  QBuffer buffer(&written);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return Bytes(written.begin(), written.end());
}

// An icon file whose one entry holds the PNG `png`.
Bytes icon_of_png(const Bytes& png) {
  Bytes file;
  for (uint32_t field : {0u, 1u, 1u}) put16(file, field);
  file.insert(file.end(), {0, 0, 0, 0});
  put16(file, 1);
  put16(file, 32);
  put32(file, static_cast<uint32_t>(png.size()));
  put32(file, 22);
  file.insert(file.end(), png.begin(), png.end());
  return file;
}

TEST(WindowIcon, OnlyThePictureDecodingMakesIconsAndADamagedOneSaysNothing) {
  PlainWindow window({});
  window.set(20, icon_of_png(png_file(24, 24)));
  EXPECT_FALSE(window.top()->windowIcon().isNull());
  EXPECT_EQ(window.top()->windowIcon().pixmap(24, 24).toImage().pixel(5, 5), qRgb(10, 200, 30));

  window.set(20, png_file(24, 24));
  EXPECT_TRUE(window.top()->windowIcon().isNull()) << "a PNG file is no picture of the window runtime";

  Bytes damaged = png_file(24, 24);
  damaged[damaged.size() - 20] ^= 0xFF;  // inside the picture data
  const std::string printed = standard_error_of([&] { window.set(20, icon_of_png(damaged)); });
  EXPECT_EQ(printed, "") << "failures are not reported";
}

}  // namespace
}  // namespace quorvant::ui
