// The skinned controls: transparent label, picture button and super button.
#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QScreen>
#include <QTest>

#include <functional>
#include <set>

#include "forms/artwork/bmp_writer.h"
#include "platform/desktop_look.h"
#include "platform/sound_player.h"
#include "tests/ui/ui_test_support.h"
#include "ui/skinned/click_sound.h"
#include "ui/skinned/colour_offset.h"
#include "ui/skinned/pic_button_shape.h"
#include "ui/skinned/skinned_catalog.h"
#include "ui/skinned/super_button_look.h"

namespace quorvant::ui {
namespace {

using namespace form::type_id;
using testing::control;
using testing::kWindowId;
using testing::props;
using testing::TestRuntime;

constexpr uint32_t kFirst = 0x16010300;
constexpr uint32_t kUnder = 0x16010301;
constexpr int kDisabledIndex = 6;

Bytes solid_bmp(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return forms::artwork::encode_bmp24(image);
}

// One window holding one skinned control, over a blue shape box, with the
// control's click bound to a counter.
struct Single {
  int clicks = 0;
  TestRuntime runtime;

  Single(uint32_t type, form::PropertyBag properties, QRect geometry = {10, 10, 120, 40}, Bytes blob = {})
      : runtime(testing::window_element(300, 200),
                make_controls(type, std::move(properties), geometry, std::move(blob)),
                {[this](std::span<const int32_t>) {
                  ++clicks;
                  return HandlerResult{};
                }}) {}

  static std::vector<forms::ElementSpec> make_controls(uint32_t type, form::PropertyBag properties, QRect geometry,
                                                       Bytes blob) {
    forms::ElementSpec spec = control(kFirst, type, "c", geometry, std::move(properties));
    if (!blob.empty()) spec.property_blob = std::move(blob);
    spec.bindings = {{0, 0}};
    forms::ElementSpec under = control(kUnder, kShapeBox, "under", {0, 0, 300, 200},
                                       props({{8, int32_t{0xFF0000}}, {14, int32_t{0xFF0000}}, {11, int32_t{0}}}));
    return {spec, under};
  }
  bool open() { return runtime->open_window(kWindowId); }
  QWidget* widget() { return runtime.widget(kFirst); }
  PropertyValue get(int index) { return runtime->get_property(kWindowId, kFirst, index); }
  void set(int index, PropertyValue value) { runtime->set_property(kWindowId, kFirst, index, std::move(value)); }
  QImage rendered() {
    QImage image(widget()->size(), QImage::Format_RGB32);
    image.fill(QColor(0, 0, 255));
    widget()->render(&image, {}, {}, QWidget::DrawChildren);
    return image;
  }
  // What the window shows, from its backing store.
  QImage on_screen() {
    QWidget* top = widget()->window();
    return top->screen()->grabWindow(top->winId()).toImage().convertToFormat(QImage::Format_RGB32);
  }
};

const form::TypeInfo& type_info(uint32_t type) { return *skinned::find_skinned_type(type); }

TEST(SkinnedBlobs, UnknownVersionsAndShortBlobsCreateNoControl) {
  struct Case {
    uint32_t type;
    int32_t newest;
  };
  for (const Case& c : {Case{kTransLabel, 1}, Case{kPicBtn, 1}, Case{kSuperBtn, 2}}) {
    SCOPED_TRACE(type_info(c.type).name);
    for (int32_t version = 0; version <= c.newest + 1; ++version) {
      Single single(c.type, {}, {10, 10, 40, 20}, forms::typed_properties(type_info(c.type), {}, version));
      EXPECT_EQ(single.open(), version <= c.newest) << "version " << version;
    }
    Bytes shortened = forms::typed_properties(type_info(c.type), {});
    shortened.pop_back();
    EXPECT_FALSE(Single(c.type, {}, {10, 10, 40, 20}, shortened).open());
  }
}

TEST(SkinnedBlobs, AnOlderSuperButtonHasNoDisabledPicture) {
  const Bytes picture = solid_bmp({4, 4}, Qt::red);
  auto properties = props({{19, picture}, {20, int32_t{0x123456}}});
  Single single(kSuperBtn, {}, {10, 10, 40, 20}, forms::typed_properties(type_info(kSuperBtn), properties, 1));
  ASSERT_TRUE(single.open());
  EXPECT_EQ(static_cast<uint32_t>(as_int(single.get(20))), form::kButtonFaceColour);
  EXPECT_TRUE(as_bytes(single.get(19)).empty());
  Single newest(kSuperBtn, properties);
  ASSERT_TRUE(newest.open());
  EXPECT_EQ(as_int(newest.get(20)), 0x123456);
  EXPECT_EQ(as_bytes(newest.get(19)), picture);
}

TEST(SkinnedProperties, ChoicesAreClampedIntoTheirRanges) {
  struct Case {
    uint32_t type;
    int index;
    int32_t written, stored;
  };
  for (const Case& c :
       {Case{kTransLabel, 9, 7, 3}, Case{kTransLabel, 12, -1, 0}, Case{kTransLabel, 14, 5, 2}, Case{kPicBtn, 8, 5, 1},
        Case{kSuperBtn, 8, 9, 2}, Case{kSuperBtn, 11, -3, 0}, Case{kSuperBtn, 12, 4, 1}}) {
    Single single(c.type, {});
    ASSERT_TRUE(single.open());
    single.set(c.index, c.written);
    EXPECT_EQ(as_int(single.get(c.index)), c.stored) << type_info(c.type).name << " [" << c.index << "]";
  }
}

// The pixels of exactly `colour`.
std::set<std::pair<int, int>> pixels_of(const QImage& image, QColor colour) {
  std::set<std::pair<int, int>> found;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == colour) found.insert({x, y});
    }
  }
  return found;
}

// Bold and large, so that the letters have pixels of exactly their colour.
const Bytes kLargeFont = encode_font(
    {.angle = 0, .bold = true, .italic = false, .strike_out = false, .underline = false, .size = 20, .face = {}});

TEST(TransLabel, EachTextEffectDrawsItsCopyWhereItBelongs) {
  auto render = [](int effect) {
    Single label(kTransLabel, props({{8, std::string("HHMM")}, {9, effect}, {10, kLargeFont}, {11, int32_t{0x0000FF}}}),
                 {10, 10, 120, 40});
    EXPECT_TRUE(label.open());
    return label.rendered();
  };
  const QColor red(255, 0, 0);
  const auto plain = pixels_of(render(0), red);
  ASSERT_GT(plain.size(), 20u);
  EXPECT_TRUE(pixels_of(render(0), Qt::white).empty());

  // Each exact copy pixel lies at a fixed offset from a letter pixel of the
  // plain label.
  auto copies_follow_letters = [&](const std::set<std::pair<int, int>>& copy, int dx, int dy) {
    EXPECT_FALSE(copy.empty());
    for (auto [x, y] : copy) EXPECT_TRUE(plain.contains({x - dx, y - dy})) << x << "," << y;
  };
  const QImage engraved = render(1);
  EXPECT_EQ(pixels_of(engraved, red), plain) << "the text lies on top, in place";
  copies_follow_letters(pixels_of(engraved, Qt::white), 1, 1);

  const QImage embossed = render(2);
  std::set<std::pair<int, int>> moved;
  for (auto [x, y] : plain) moved.insert({x + 1, y + 1});
  EXPECT_EQ(pixels_of(embossed, red), moved) << "the text moves one pixel right and down";
  copies_follow_letters(pixels_of(embossed, Qt::white), 0, 0);

  const QImage shadowed = render(3);
  EXPECT_EQ(pixels_of(shadowed, red), plain);
  copies_follow_letters(pixels_of(shadowed, Qt::black), 2, 2);
}

TEST(TransLabel, AlignmentAndWrapPlaceTheText) {
  auto letters = [](form::PropertyBag properties) {
    properties.set(11, int32_t{0x0000FF});
    properties.set(10, kLargeFont);
    Single label(kTransLabel, std::move(properties), {10, 10, 200, 80});
    EXPECT_TRUE(label.open());
    const auto red = pixels_of(label.rendered(), QColor(255, 0, 0));
    EXPECT_FALSE(red.empty());
    QRect box;
    for (auto [x, y] : red) box |= QRect(x, y, 1, 1);
    return box;
  };
  const QRect right = letters(props({{8, std::string("Quorvant")}, {12, int32_t{2}}, {14, int32_t{2}}}));
  EXPECT_GT(right.right(), 190);
  EXPECT_GT(right.bottom(), 65) << "a single line at the bottom";
  const QRect wrapped = letters(props({{8, std::string("Quorvant")}, {13, int32_t{1}}, {14, int32_t{2}}}));
  EXPECT_LT(wrapped.left(), 10);
  EXPECT_LT(wrapped.top(), 20) << "wrapped text starts at the top whatever VAlign says";
  const QRect centred = letters(props({{8, std::string("Quorvant")}, {12, int32_t{1}}, {14, int32_t{1}}}));
  EXPECT_NEAR(centred.center().x(), 100, 4);
  EXPECT_NEAR(centred.center().y(), 40, 6);
}

// True when every pixel of `area` on screen is the blue beneath the label.
bool only_blue(const QImage& screen, QRect area) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (screen.pixelColor(x, y) != QColor(0, 0, 255)) return false;
    }
  }
  return true;
}

TEST(TransLabel, NewCaptionsAndMovesLeaveNoTraceOfTheOldText) {
  Single label(kTransLabel, props({{8, std::string("WWWWWWWW")}}), {10, 10, 120, 30});
  ASSERT_TRUE(label.open());
  testing::settle();
  const QRect area(10, 10, 120, 30);
  ASSERT_FALSE(only_blue(label.on_screen(), area)) << "the caption shows";
  label.set(8, std::string("i"));
  const QImage after = label.on_screen();
  EXPECT_TRUE(only_blue(after, QRect(60, 10, 70, 30))) << "nothing of the wider old caption is left";
  label.set(8, std::string("WWWWWWWW"));
  label.set(1, int32_t{100});  // move it down
  EXPECT_TRUE(only_blue(label.on_screen(), area)) << "the old place shows the picture beneath again";
  EXPECT_FALSE(only_blue(label.on_screen(), QRect(10, 100, 120, 30)));
}

// A picture button with a red normal, green hover, blue pressed and grey
// disabled face, each 20 x 10, on a 30 x 12 button.
struct FacedButton : Single {
  explicit FacedButton(int32_t type = 0)
      : Single(kPicBtn,
               props({{8, type},
                      {14, static_cast<int32_t>(form::kButtonFaceColour)},
                      {10, solid_bmp({20, 10}, Qt::red)},
                      {11, solid_bmp({20, 10}, Qt::green)},
                      {12, solid_bmp({20, 10}, Qt::blue)},
                      {13, solid_bmp({20, 10}, Qt::gray)}}),
               {10, 10, 30, 12}) {
    EXPECT_TRUE(open());
  }
  QColor face() { return rendered().pixelColor(5, 5); }
};

TEST(PicButton, ShowsTheFaceOfItsStateOnBlack) {
  FacedButton button;
  QWidget* widget = button.widget();
  EXPECT_EQ(button.face(), QColor(Qt::red));
  EXPECT_EQ(button.rendered().pixelColor(25, 11), QColor(Qt::black)) << "outside the face: black";
  QTest::mouseMove(widget, {5, 5});
  EXPECT_EQ(button.face(), QColor(Qt::green));
  QTest::mousePress(widget, Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(button.face(), QColor(Qt::blue));
  QTest::mouseRelease(widget, Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(button.face(), QColor(Qt::red));
  EXPECT_EQ(button.clicks, 1);
  button.set(kDisabledIndex, int32_t{1});
  EXPECT_EQ(button.face(), QColor(Qt::gray));
  button.set(13, Bytes{});
  EXPECT_EQ(button.face(), QColor(Qt::red)) << "without a disabled face, the normal one";
}

TEST(PicButton, ClicksOnlyOnAReleaseInsideTheEnabledButton) {
  FacedButton button;
  QWidget* widget = button.widget();
  QTest::mousePress(widget, Qt::LeftButton, {}, {5, 5});
  QTest::mouseRelease(widget, Qt::LeftButton, {}, {50, 5});
  EXPECT_EQ(button.clicks, 0) << "released outside";
  button.set(kDisabledIndex, int32_t{1});
  QTest::mouseClick(widget, Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(button.clicks, 0) << "disabled";
  button.set(kDisabledIndex, int32_t{0});
  QTest::mouseClick(widget, Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(button.clicks, 1);
}

TEST(PicButton, AToggleButtonStaysDownUntilClickedAgain) {
  FacedButton button(1);
  QWidget* widget = button.widget();
  QTest::mouseMove(widget, {5, 5});
  EXPECT_EQ(button.face(), QColor(Qt::red)) << "toggle buttons do not hover";
  QTest::mouseClick(widget, Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(as_int(button.get(9)), 1) << "Checked reads the live state";
  EXPECT_EQ(button.face(), QColor(Qt::blue));
  EXPECT_EQ(button.clicks, 1);
  button.set(9, int32_t{0});
  EXPECT_EQ(button.face(), QColor(Qt::red));
}

TEST(PicButtonShape, IsTheRunsOfPixelsThatAreNotTheTransparentColour) {
  // . is transparent magenta, # is anything else.
  const char* rows[] = {"#..##", ".....", "##.#."};
  QImage face(5, 3, QImage::Format_RGB32);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x)
      face.setPixelColor(x, y, rows[y][x] == '.' ? QColor(Qt::magenta) : QColor(Qt::darkCyan));
  }
  const auto shape = skinned::shape_without_colour(face, Qt::magenta);
  ASSERT_TRUE(shape);
  QRegion expected;
  for (QRect run : {QRect(0, 0, 1, 1), QRect(3, 0, 2, 1), QRect(0, 2, 2, 1), QRect(3, 2, 1, 1)}) expected += run;
  EXPECT_EQ(*shape, expected);

  face.fill(Qt::magenta);
  EXPECT_FALSE(skinned::shape_without_colour(face, Qt::magenta)) << "nothing left: no shape";
}

TEST(PicButtonShape, ManyRunsAreJoinedInBatchesWithoutLosingAny) {
  QImage face(120, 60, QImage::Format_RGB32);  // 60 runs a row, 3600 in all
  QRegion expected;
  for (int y = 0; y < face.height(); ++y) {
    for (int x = 0; x < face.width(); ++x) {
      const bool solid = (x + y) % 2 == 0;
      face.setPixelColor(x, y, solid ? QColor(Qt::white) : QColor(Qt::black));
      if (solid) expected += QRect(x, y, 1, 1);
    }
  }
  EXPECT_EQ(skinned::shape_without_colour(face, Qt::black), expected);
}

TEST(PicButtonShape, TheButtonTakesTheShapeOfItsFace) {
  QImage face(6, 4, QImage::Format_RGB32);
  face.fill(Qt::magenta);
  face.setPixelColor(2, 1, Qt::yellow);
  Single button(kPicBtn,
                props({{10, forms::artwork::encode_bmp24(face)}, {14, static_cast<int32_t>(form::kButtonFaceColour)}}),
                {10, 10, 30, 12});
  ASSERT_TRUE(button.open());
  EXPECT_TRUE(button.widget()->mask().isEmpty()) << "no transparent colour: rectangular";
  button.set(14, int32_t{0xFF00FF});
  EXPECT_EQ(button.widget()->mask(), QRegion(2, 1, 1, 1)) << "and the rest of the button is cut away";
  button.set(14, static_cast<int32_t>(form::kButtonFaceColour));
  EXPECT_TRUE(button.widget()->mask().isEmpty());
}

TEST(ColourOffset, LightensAndDarkensWithoutChangingTheHue) {
  EXPECT_EQ(skinned::offset_colour(QColor(212, 208, 200), 32), QColor(244, 240, 232));
  EXPECT_EQ(skinned::offset_colour(QColor(240, 240, 240), 32), QColor(255, 255, 255));
  EXPECT_EQ(skinned::offset_colour(QColor(230, 100, 50), 40), QColor(255, 125, 75)) << "limited by the red channel";
  EXPECT_EQ(skinned::offset_colour(QColor(10, 20, 30), -20), QColor(0, 10, 20));
  EXPECT_EQ(skinned::offset_colour(QColor(10, 20, 30), 256), QColor(10, 20, 30)) << "out of range: unchanged";
}

TEST(SuperButtonLook, ThePictureFollowsTheState) {
  skinned::SuperLook look;
  const QImage in(2, 2, QImage::Format_ARGB32), out(2, 2, QImage::Format_ARGB32), off(2, 2, QImage::Format_ARGB32);
  look.pictures = {in, out, std::nullopt};
  skinned::SuperState state;
  EXPECT_EQ(skinned::chosen_slot(look, state), 1) << "pointer outside";
  look.pointer_over = true;
  EXPECT_EQ(skinned::chosen_slot(look, state), 0) << "flat look hovered";
  state.disabled = true;
  EXPECT_EQ(skinned::chosen_slot(look, state), 0) << "disabled without a disabled picture: the inside one";
  look.pictures[2] = off;
  EXPECT_EQ(skinned::chosen_slot(look, state), 2);
  state = {};
  look.check_box = true;
  look.pointer_over = true;
  EXPECT_EQ(skinned::chosen_slot(look, state), 1) << "an unpressed check box shows the outside picture";
  look.pictures[0].reset();
  state.pressed = true;
  EXPECT_EQ(skinned::chosen_slot(look, state), 1) << "the other picture when the chosen one is missing";
  look.pictures = {std::nullopt, std::nullopt, off};
  state.disabled = true;
  EXPECT_EQ(skinned::chosen_slot(look, state), std::nullopt) << "a disabled picture alone is never drawn";
}

TEST(SuperButtonLook, TransparentPixelsAreTheGivenColourOrTheTopLeftOne) {
  QImage picture(3, 1, QImage::Format_RGB32);
  picture.setPixelColor(0, 0, Qt::green);
  picture.setPixelColor(1, 0, Qt::red);
  picture.setPixelColor(2, 0, Qt::green);
  const QImage by_corner = skinned::with_transparent_colour(picture, form::kButtonFaceColour);
  EXPECT_EQ(qAlpha(by_corner.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(by_corner.pixel(2, 0)), 0);
  EXPECT_EQ(by_corner.pixelColor(1, 0), QColor(Qt::red));
  const QImage by_red = skinned::with_transparent_colour(picture, 0x0000FF);
  EXPECT_EQ(qAlpha(by_red.pixel(1, 0)), 0);
  EXPECT_EQ(by_red.pixelColor(0, 0), QColor(Qt::green));
}

TEST(SuperButton, StoredColoursShowOnlyWithoutTheDefaultScheme) {
  Single button(kSuperBtn, props({{8, int32_t{0}}, {13, int32_t{0}}, {23, int32_t{1}}, {25, int32_t{0x0000FF}}}),
                {10, 10, 60, 24});
  ASSERT_TRUE(button.open());
  const QColor face = button.widget()->palette().color(QPalette::Button);
  EXPECT_EQ(button.rendered().pixelColor(30, 12), face);
  button.set(23, int32_t{0});
  EXPECT_EQ(button.rendered().pixelColor(30, 12), QColor(255, 0, 0));
}

TEST(SuperButton, AClickRaisesTheEventAndFlipsACheckBox) {
  Single button(kSuperBtn, props({{9, int32_t{1}}, {22, std::string("转换")}}), {10, 10, 60, 24});
  ASSERT_TRUE(button.open());
  QTest::mouseClick(button.widget(), Qt::LeftButton, {}, {30, 12});
  EXPECT_EQ(button.clicks, 1);
  EXPECT_EQ(as_int(button.get(10)), 1);
  QTest::mousePress(button.widget(), Qt::LeftButton, {}, {30, 12});
  QTest::mouseRelease(button.widget(), Qt::LeftButton, {}, {90, 12});
  EXPECT_EQ(button.clicks, 1) << "released outside";
  EXPECT_EQ(as_int(button.get(10)), 1);
}

TEST(SuperButton, WithoutACaptionAndAlignedRightThePictureIsCentredAtTheTop) {
  Single button(kSuperBtn,
                props({{8, int32_t{0}},
                       {11, int32_t{2}},
                       {13, int32_t{0}},
                       {15, solid_bmp({10, 6}, Qt::red)},
                       {16, int32_t{0x00FF00}},
                       {22, std::string()}}),
                {10, 10, 40, 20});
  ASSERT_TRUE(button.open());
  const QImage image = button.rendered();
  EXPECT_EQ(image.pixelColor(15, 0), QColor(Qt::red));
  EXPECT_EQ(image.pixelColor(24, 5), QColor(Qt::red));
  EXPECT_NE(image.pixelColor(20, 12), QColor(Qt::red));
  EXPECT_NE(image.pixelColor(14, 2), QColor(Qt::red));
}

TEST(SuperButton, EnteringAFlatButtonClicksOnceUntilThePointerLeaves) {
  Single button(kSuperBtn, props({{8, int32_t{0}}, {30, int32_t{1}}, {22, std::string("转换")}}), {10, 10, 60, 24});
  platform::RecordingSoundPlayer sounds;
  button.runtime->set_sound_player(&sounds);
  ASSERT_TRUE(button.open());
  QWidget* window = button.widget()->window();
  QTest::mouseMove(window, {20, 20});
  QTest::mouseMove(window, {30, 22});
  ASSERT_EQ(sounds.played().size(), 1u);
  EXPECT_EQ(sounds.played()[0], skinned::click_sound());
  QTest::mouseMove(window, {200, 150});
  QTest::mouseMove(window, {20, 20});
  EXPECT_EQ(sounds.played().size(), 2u);
  QTest::mouseClick(button.widget(), Qt::LeftButton, {}, {10, 10});
  EXPECT_EQ(sounds.played().size(), 3u) << "the click plays it too";
}

TEST(SuperButton, TheClassicLookNeverHoversAndPlaysOnlyItsClickSound) {
  const Bytes over = ui::skinned::click_sound(), click = {1, 2, 3};
  Single button(kSuperBtn, props({{8, int32_t{1}}, {31, over}, {32, click}}), {10, 10, 60, 24});
  platform::RecordingSoundPlayer sounds;
  button.runtime->set_sound_player(&sounds);
  ASSERT_TRUE(button.open());
  QTest::mouseMove(button.widget()->window(), {20, 20});
  EXPECT_TRUE(sounds.played().empty());
  QTest::mouseClick(button.widget(), Qt::LeftButton, {}, {10, 10});
  ASSERT_EQ(sounds.played().size(), 1u);
  EXPECT_EQ(sounds.played()[0], click);
}

}  // namespace
}  // namespace quorvant::ui

namespace quorvant::ui {
namespace {

// A flat super button with the standard sound, over the blue shape box.
struct FlatSuper : Single {
  platform::RecordingSoundPlayer sounds;
  FlatSuper()
      : Single(
            kSuperBtn,
            props({{8, int32_t{0}}, {13, int32_t{1}}, {23, int32_t{1}}, {30, int32_t{1}}, {22, std::string("转换")}}),
            {10, 10, 98, 24}) {
    platform::use_desktop_look();
    runtime->set_sound_player(&sounds);
  }
};

TEST(SuperButton, ADisabledButtonNeitherLightsUpNorSoundsWhenThePointerPasses) {
  FlatSuper button;
  ASSERT_TRUE(button.open());
  const QImage resting = button.rendered();
  button.set(kDisabledIndex, int32_t{1});
  const QImage disabled = button.rendered();
  QWidget* window = button.widget()->window();
  QTest::mouseMove(window, {20, 20});
  QTest::mouseMove(window, {40, 22});
  EXPECT_TRUE(button.sounds.played().empty());
  EXPECT_EQ(button.rendered(), disabled) << "no hover face";
  EXPECT_NE(disabled, resting);
}

TEST(SuperButton, APressDraggedOffTheButtonEndsItsHover) {
  FlatSuper button;
  ASSERT_TRUE(button.open());
  const QImage resting = button.rendered();
  QWidget* widget = button.widget();
  QEnterEvent enter(QPointF(20, 10), QPointF(30, 20), widget->mapToGlobal(QPointF(20, 10)));
  QApplication::sendEvent(widget, &enter);
  const QImage hovered = button.rendered();
  ASSERT_NE(hovered, resting);
  QTest::mousePress(widget, Qt::LeftButton, {}, {20, 10});
  QMouseEvent off(QEvent::MouseMove, QPointF(150, 80), widget->mapToGlobal(QPointF(150, 80)), Qt::NoButton,
                  Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &off);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, {150, 80});
  EXPECT_EQ(button.rendered(), resting) << "the hover face went with the pointer";
  EXPECT_EQ(button.clicks, 0);
}

// Reached with Tab, the button shows where the focus is, although its
// dotted focus frame is off for the mouse.
TEST(SuperButton, KeyboardFocusIsAlwaysVisible) {
  FlatSuper button;
  ASSERT_TRUE(button.open());
  QWidget* window = button.widget()->window();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  const QImage resting = button.rendered();
  button.widget()->setFocus(Qt::MouseFocusReason);
  ASSERT_TRUE(button.widget()->hasFocus());
  EXPECT_EQ(button.rendered(), resting) << "a click's focus is not drawn (the focus frame is off)";
  button.widget()->clearFocus();
  button.widget()->setFocus(Qt::TabFocusReason);
  const QImage focused = button.rendered();

  EXPECT_NE(focused, resting);
  // The dotted frame three pixels inside the button.
  int dots = 0;
  for (int x = 3; x < 95; ++x) dots += focused.pixelColor(x, 3) != resting.pixelColor(x, 3);
  EXPECT_GT(dots, 20);
}

// Disabled captions are engraved: the shadow colour over a white copy one
// pixel down and right, so they stay readable on the light face.
TEST(SuperButton, ADisabledCaptionIsEngravedInTheShadowColour) {
  FlatSuper button;
  ASSERT_TRUE(button.open());
  button.set(kDisabledIndex, int32_t{1});
  const QImage image = button.rendered();
  // Letters as dark as the shadow colour, and their light copy, on the face.
  const int face = platform::system_colour::kButtonFace.lightness();
  int dark = 0;
  int light = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const int lightness = image.pixelColor(x, y).lightness();
      dark += lightness <= platform::system_colour::kShadow.lightness() + 10;
      light += lightness >= face + 30;
    }
  }
  EXPECT_GT(dark, 20) << "the caption is drawn in the shadow colour";
  EXPECT_GT(light, 20) << "over a light copy";
}

}  // namespace
}  // namespace quorvant::ui
