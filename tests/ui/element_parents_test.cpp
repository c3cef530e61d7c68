// Which control each control is placed in, for templates that name parents
// the window runtime cannot follow: loops of parents, parents that hold no
// controls. Every window opens, and no widget becomes its own ancestor.
#include <gtest/gtest.h>

#include <QWidget>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/targets/fuzz_targets.h"
#include "tests/ui/ui_test_support.h"
#include "ui/element_parents.h"

namespace quorvant::ui {
namespace {

using form::type_id::kEditBox;
using form::type_id::kGroupBox;
using form::type_id::kShapeBox;
using testing::control;
using testing::kWindowId;
using testing::TestRuntime;
using Links = std::vector<std::optional<size_t>>;

TEST(ParentLoops, OnlyTheLinksOnALoopAreDropped) {
  EXPECT_EQ(without_parent_loops({std::nullopt, 0, 1, 2}), (Links{std::nullopt, 0, 1, 2})) << "a chain stays";
  EXPECT_EQ(without_parent_loops({std::nullopt, 2, 1}), (Links{std::nullopt, std::nullopt, std::nullopt}))
      << "a loop of two";
  EXPECT_EQ(without_parent_loops({2, 0, 1, std::nullopt}),
            (Links{std::nullopt, std::nullopt, std::nullopt, std::nullopt}))
      << "a loop of three";
  EXPECT_EQ(without_parent_loops({0}), (Links{std::nullopt})) << "its own parent";
  // 3 hangs below the loop 1 <-> 2, 0 below 3: both keep their parents.
  EXPECT_EQ(without_parent_loops({3, 2, 1, 1}), (Links{3, std::nullopt, std::nullopt, 1}));
  EXPECT_EQ(without_parent_loops({1, 2, 3, 1}), (Links{1, std::nullopt, std::nullopt, std::nullopt}))
      << "entering the loop partway along";
}

constexpr uint32_t kFirst = 0x16010301;
constexpr uint32_t kSecond = 0x16010302;
constexpr uint32_t kThird = 0x16010303;
constexpr uint32_t kInner = 0x16010304;

forms::ElementSpec box(uint32_t id, uint32_t type, uint32_t parent, QRect geometry = {20, 30, 100, 80}) {
  return control(id, type, "box", geometry, {}, parent);
}

TEST(ParentLoops, TwoContainersNamingEachOtherStayOnTheWindow) {
  TestRuntime runtime(testing::window_element(400, 300),
                      {box(kFirst, kGroupBox, kSecond), box(kSecond, kGroupBox, kFirst, {150, 40, 90, 70}),
                       box(kInner, kEditBox, kFirst, {5, 6, 50, 20})});
  ASSERT_TRUE(runtime->open_window(kWindowId));
  QWidget* window = runtime.widget(0);
  EXPECT_EQ(runtime.widget(kFirst)->parentWidget(), window);
  EXPECT_EQ(runtime.widget(kSecond)->parentWidget(), window);
  EXPECT_EQ(runtime.widget(kSecond)->pos(), QPoint(150, 40)) << "at its stored place on the window";
  EXPECT_EQ(runtime.widget(kInner)->parentWidget(), runtime.widget(kFirst)) << "a control below the loop goes in";
  EXPECT_EQ(runtime.widget(kInner)->pos(), QPoint(5, 6));
  runtime.close();
}

TEST(ParentLoops, ALoopOfThreeShapeBoxesStaysOnTheWindow) {
  TestRuntime runtime(
      testing::window_element(400, 300),
      {box(kFirst, kShapeBox, kThird), box(kSecond, kShapeBox, kFirst), box(kThird, kShapeBox, kSecond)});
  ASSERT_TRUE(runtime->open_window(kWindowId));
  for (const uint32_t id : {kFirst, kSecond, kThird}) EXPECT_EQ(runtime.widget(id)->parentWidget(), runtime.widget(0));
  runtime.close();
}

TEST(ParentLoops, AParentThatHoldsNoControlsIsNotFollowed) {
  TestRuntime runtime(testing::window_element(400, 300),
                      {box(kFirst, kEditBox, 0), box(kSecond, kShapeBox, kFirst), box(kThird, kEditBox, 0x16019999)});
  ASSERT_TRUE(runtime->open_window(kWindowId));
  EXPECT_EQ(runtime.widget(kSecond)->parentWidget(), runtime.widget(0)) << "an edit box holds no controls";
  EXPECT_EQ(runtime.widget(kThird)->parentWidget(), runtime.widget(0)) << "a parent that is not in the window";
  runtime.close();
}

// Positions and sizes near the 32-bit limit reach the widgets clamped to
// what the window system takes, where Qt's rectangles overflowed on them.
TEST(StoredGeometry, FarBeyondTheScreenIsClampedForTheWidget) {
  constexpr int kFar = 0x7FFF0000;
  TestRuntime runtime(testing::window_element(400, 300),
                      {box(kFirst, kShapeBox, 0, {kFar, -kFar, kFar, kFar}), box(kSecond, kGroupBox, 0),
                       box(kInner, kShapeBox, kSecond, {kFar, kFar, 10, 10})});
  ASSERT_TRUE(runtime->open_window(kWindowId));
  EXPECT_EQ(runtime.widget(kFirst)->pos(), QPoint(32627, -32627));
  EXPECT_EQ(runtime.widget(kFirst)->size(), QSize(32627, 32627));
  EXPECT_EQ(runtime.widget(kInner)->pos(), QPoint(32627, 32627)) << "moved into its container";
  EXPECT_EQ(as_int(runtime->get_property(kWindowId, kFirst, 0)), 32627) << "Left reads where the box is";
  runtime.close();
}

std::vector<uint8_t> read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The template fuzzer's kept inputs and the crafted templates beside them,
// each opened the way the fuzzer opens them.
TEST(TemplateFindings, EveryKeptTemplateOpensOrIsRefusedWithoutHarm) {
  const std::filesystem::path folder = std::filesystem::path(QUORVANT_REGRESSIONS) / "form";
  size_t replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".txt") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const size_t opened = fuzz::open_every_window(read_file(entry.path()));
    const std::string name = entry.path().filename().string();
    if (name == "template-whole.bin" || name.starts_with("parent-loop") || name.starts_with("geometry")) {
      EXPECT_EQ(opened, 1u);
    }
    ++replayed;
  }
  EXPECT_GE(replayed, 14u) << "the kept templates are where they should be";
}

}  // namespace
}  // namespace quorvant::ui
