// The runtime heap, texts and arrays, and the runtime errors they raise.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/memory.h"
#include "runtime/runtime.h"
#include "runtime/runtime_error.h"
#include "runtime/values.h"

namespace quorvant::runtime {
namespace {

// The application's literal area, registered as constant data.
const char kLiterals[] = "literal text\0second literal";
const int32_t kEmptyArray[2] = {1, 0};

TEST(Memory, ReleasingNullOrALiteralChangesNothing) {
  register_constant_range(kLiterals, sizeof kLiterals);
  register_constant_range(kEmptyArray, sizeof kEmptyArray);
  release(nullptr);
  release(const_cast<char*>(kLiterals + 13));
  EXPECT_STREQ(kLiterals + 13, "second literal");
  EXPECT_TRUE(is_constant(kLiterals));
  char* text = make_text("heap text");
  EXPECT_FALSE(is_constant(text));
  release(text);
}

TEST(Memory, TheProgramsLiteralsAreConstantFromStartUp) {
  // Nobody registered these; the runtime took the program's read-only data
  // as its literal area when it started.
  static const char kUnregistered[] = "保存文件";
  const char* literal = "a literal the program never registered";
  ASSERT_TRUE(is_constant(kUnregistered));
  ASSERT_TRUE(is_constant(literal));
  release(const_cast<char*>(literal));
  release(const_cast<char*>(kUnregistered + 3));
  EXPECT_STREQ(literal, "a literal the program never registered");
  EXPECT_STREQ(kUnregistered, "保存文件");

  // Writable data and the heap are no literals.
  static char writable[] = "writable";
  char* heap = make_text("heap text");
  EXPECT_FALSE(is_constant(writable));
  EXPECT_FALSE(is_constant(heap));
  release(heap);
}

TEST(Memory, ReallocatingALiteralCopiesItToTheHeap) {
  register_constant_range(kLiterals, sizeof kLiterals);
  auto* copy = static_cast<char*>(reallocate(const_cast<char*>(kLiterals), 8));
  EXPECT_NE(copy, kLiterals);
  EXPECT_EQ(std::memcmp(copy, "literal ", 8), 0);
  release(copy);
  // An array variable that points at the constant empty array gets its own.
  register_constant_range(kEmptyArray, sizeof kEmptyArray);
  void* variable = const_cast<int32_t*>(kEmptyArray);
  own_array(variable);
  EXPECT_NE(variable, kEmptyArray);
  EXPECT_EQ(element_count(variable), 0);
  release(variable);
}

TEST(Texts, EmptyTextIsNullAndArraysHoldTheirTexts) {
  EXPECT_EQ(make_text(""), nullptr);
  void* array = make_text_array({"C:", "", "b.jpg"});
  EXPECT_EQ(element_count(array), 3);
  EXPECT_STREQ(*static_cast<char**>(array_element(array, 1, sizeof(char*))), "C:");
  EXPECT_EQ(*static_cast<char**>(array_element(array, 2, sizeof(char*))), nullptr);
  release_text_array(array);
  EXPECT_EQ(type_size(tag::kText), 8u) << "pointers take 8 bytes on 64 bits";
  EXPECT_EQ(type_size(tag::kShort), 2u);
  EXPECT_EQ(type_size(tag::kBool), 0u);
}

TEST(RuntimeErrorsDeathTest, ArrayAccessBelowOneOrPastTheEnd) {
  void* empty = make_array(0, 4);
  // Element count 0: the "last" element, number 0, is below 1.
  EXPECT_EXIT(array_element(empty, 0, 4), ::testing::ExitedWithCode(255), "");
  void* three = make_array(3, 4);
  EXPECT_EXIT(array_element(three, 4, 4), ::testing::ExitedWithCode(255), "");
  EXPECT_NE(array_element(three, 3, 4), nullptr);
  release(three);
  release(empty);
}

TEST(RuntimeErrors, BoxTextsFollowTheirPattern) {
  EXPECT_EQ(runtime_error_box_text(4, runtime_error_message(4)),
            "运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n");
  EXPECT_EQ(runtime_error_box_text(0, "载入启动窗口失败"), "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n");
  EXPECT_EQ(runtime_error_box_text(0, ""), "运行时出错!\r\n\r\n");
  EXPECT_EQ(runtime_error_message(1), "数组成员引用下标超出定义范围");
  EXPECT_EQ(runtime_error_message(11), "所提供参数的数据类型不符合要求");
  EXPECT_EQ(runtime_error_message(12), "");
}

}  // namespace
}  // namespace quorvant::runtime
