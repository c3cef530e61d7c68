// The form template: written from descriptions, read back, and refused when
// broken.
#include <gtest/gtest.h>

#include "forms/embedded_form.h"
#include "forms/form_writer.h"
#include "platform/gbk.h"
#include "tests/ui/ui_test_support.h"
#include "ui/form_reader/form_template.h"
#include "ui/form_reader/type_catalog.h"

namespace quorvant::ui::form {
namespace {

using testing::kOwnId;
using testing::kWindowId;

forms::WindowSpec sample_window() {
  forms::ElementSpec list = testing::control(0x16010289, type_id::kListBox, "文件列表", {8, 8, 304, 330},
                                             testing::props({{16, int32_t{-1}}}), 0x16010288, testing::kTabStop);
  list.tag = "标记";
  list.bindings = {{0, 2}, {3, -1}};
  forms::ElementSpec panel = testing::control(0x16010288, type_id::kShapeBox, "外形框2", {16, 32, 616, 344});
  panel.focus_order = 7;
  return {kWindowId, testing::window_element(647, 391), {list, panel}, {}};
}

TEST(FormTemplate, ReadsBackWhatTheWriterWrote) {
  const Bytes bytes = forms::write_form({sample_window()});
  const auto form = load_form(bytes, 3);
  ASSERT_TRUE(form);
  ASSERT_EQ(form->windows.size(), 1u);
  const WindowTemplate* window = form->find(kWindowId);
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(window->elements.size(), 3u);
  EXPECT_EQ(window->position_of(kOwnId), 0u);
  EXPECT_EQ(window->position_of(0x16010288), 2u);

  const ElementRecord& list = window->elements[1];
  ASSERT_TRUE(list.well_formed());
  EXPECT_EQ(list.type_id(), type_id::kListBox);
  EXPECT_EQ(platform::gbk_to_utf8(list.name()), "文件列表");
  EXPECT_EQ(list.name().size(), 8u) << "names are stored as GBK";
  EXPECT_EQ(list.geometry(Geometry::kWidth), 304);
  EXPECT_EQ(list.parent_id(), 0x16010288u);
  EXPECT_EQ(platform::gbk_to_utf8(list.tag()), "标记");
  EXPECT_EQ(list.state_flags(), testing::kTabStop);
  EXPECT_EQ(window->elements[2].children(), (std::vector<uint32_t>{0x16010289}));
  EXPECT_EQ(window->elements[2].focus_order(), 7u);
  const auto bag = read_properties(find_core_type(type_id::kListBox)->schema, list.property_blob());
  ASSERT_TRUE(bag);
  EXPECT_EQ(bag->integer(16), -1);

  // The handler pass: offset 2 calls routine 2, -1 calls nothing.
  ASSERT_EQ(window->bindings[1].size(), 2u);
  EXPECT_EQ(window->bindings[1][0].handler, 2);
  EXPECT_FALSE(window->bindings[1][1].handler);
  // An offset past the handler table binds nothing either.
  EXPECT_FALSE(load_form(bytes, 2)->windows[0].bindings[1][0].handler);
}

TEST(FormTemplate, RecordsGrowAndShrinkWhenTextsChange) {
  const auto form = load_form(forms::write_form({sample_window()}), 0);
  ElementRecord list = form->windows[0].elements[1];
  list.set_tag("a much longer tag than before");
  list.set_pointer_blob({0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3});
  EXPECT_EQ(list.tag(), "a much longer tag than before");
  EXPECT_EQ(list.pointer_blob().size(), 7u);
  EXPECT_EQ(list.state_flags(), testing::kTabStop) << "fields after the texts are found again";
  EXPECT_EQ(list.bindings().size(), 2u);
  list.set_tag("");
  EXPECT_EQ(list.geometry(Geometry::kHeight), 330);
  EXPECT_TRUE(read_properties(find_core_type(type_id::kListBox)->schema, list.property_blob()));
}

TEST(FormTemplate, LocatesRecordsThroughTheOffsetTable) {
  // Rebuild the body with a gap of junk between the two records.
  const forms::WindowSpec spec = sample_window();
  const Bytes own = forms::element_record(spec.own, spec.controls);
  const Bytes list = forms::element_record(spec.controls[0], spec.controls);
  ByteWriter body;
  body.u32(kOwnId);
  body.u32(spec.controls[0].id);
  body.i32(0);
  body.i32(static_cast<int32_t>(4 + own.size() + 5));
  body.counted(own);
  body.zeros(5);
  body.counted(list);
  ByteWriter block;
  block.i32(8);
  block.u32(kWindowId);
  block.u32(0);
  block.zeros(8);          // the two words
  block.counted_text("");  // name
  block.i32(-3);           // comment: a negative count is empty, with no bytes
  block.i32(2);
  block.counted(body.data());
  const auto form = load_form(block.data(), 0);
  ASSERT_TRUE(form);
  EXPECT_EQ(form->windows[0].elements[1].type_id(), type_id::kListBox);
}

TEST(FormTemplate, BrokenBlocksAreRefused) {
  const Bytes good = forms::write_form({sample_window()});
  for (size_t length = 0; length < good.size(); ++length) {
    ASSERT_FALSE(load_form(std::span(good.data(), length), 0)) << "cut to " << length;
  }
  Bytes negative_count = good;
  // The element count follows the table (12 bytes), the two words (8) and
  // the two empty texts (8).
  negative_count[28] = 0xFF, negative_count[29] = 0xFF, negative_count[30] = 0xFF, negative_count[31] = 0xFF;
  EXPECT_FALSE(load_form(negative_count, 0));

  ByteWriter empty;
  empty.i32(0);
  const auto none = load_form(empty.data(), 0);
  ASSERT_TRUE(none) << "a table of size 0 holds no windows";
  EXPECT_TRUE(none->windows.empty());
}

TEST(FormTemplate, TheEmbeddedTemplateLoads) { EXPECT_TRUE(load_form(forms::embedded_form(), 0)); }

TEST(PropertyBlobs, OlderVersionsLackTheLaterFieldsAndNewerOnesAreRefused) {
  const TypeInfo& list = *find_core_type(type_id::kListBox);
  PropertyBag bag = empty_properties(list.schema);
  bag.set(16, int32_t{5});
  bag.set(17, std::vector<std::string>{"a", "b"});
  bag.set(19, std::string("source"));
  bag.set(21, int32_t{9});
  const Bytes version1 = write_properties(list.schema, bag, 1);
  const auto read1 = read_properties(list.schema, version1);
  ASSERT_TRUE(read1);
  EXPECT_EQ(read1->texts(17), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(read1->text(19), "");
  EXPECT_EQ(read1->integer(21), 0);
  const Bytes version3 = write_properties(list.schema, bag);
  EXPECT_EQ(read_properties(list.schema, version3)->integer(21), 9);
  EXPECT_EQ(version3.size(), version1.size() + 4 + 6 + 4 + 4) << "texts [19], [20] and int [21]";

  // A window blob of version 1 has its picture field right after [25].
  const TypeInfo& window = *find_core_type(type_id::kWindow);
  PropertyBag window_bag = empty_properties(window.schema);
  window_bag.set(11, Bytes{'B', 'M', 1, 2});
  window_bag.set(27, int32_t{1});
  const auto read_window = read_properties(window.schema, write_properties(window.schema, window_bag, 1));
  ASSERT_TRUE(read_window);
  EXPECT_EQ(read_window->bytes(11), (Bytes{'B', 'M', 1, 2}));
  EXPECT_EQ(read_window->integer(27), 0);

  Bytes too_new = version3;
  too_new[0] = 4;
  EXPECT_FALSE(read_properties(list.schema, too_new));
  too_new[0] = 0xFF, too_new[1] = 0xFF, too_new[2] = 0xFF, too_new[3] = 0xFF;
  EXPECT_FALSE(read_properties(list.schema, too_new)) << "a negative version counts as too high";
  EXPECT_FALSE(read_properties(list.schema, std::span(version3.data(), version3.size() - 1))) << "ends early";
}

TEST(TypeCatalog, EachCoreTypeHasItsPropertyCount) {
  const std::pair<uint32_t, int> counts[] = {
      {type_id::kWindow, 32},   {type_id::kEditBox, 29},   {type_id::kShapeBox, 15},
      {type_id::kGroupBox, 13}, {type_id::kCheckBox, 21},  {type_id::kRadioBox, 19},
      {type_id::kListBox, 22},  {type_id::kSliderBar, 20}, {type_id::kCommonDlg, 30}};
  for (const auto& [id, count] : counts) {
    const TypeInfo* type = find_core_type(id);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->property_count(), count) << type->name;
    for (const FieldSpec& field : type->schema.fields) EXPECT_LT(field.index, count) << type->name;
  }
}

}  // namespace
}  // namespace quorvant::ui::form
