// The core commands on texts, files and processes, called as the
// application calls them: value records in, value records out.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "runtime/command_line.h"
#include "runtime/memory.h"
#include "runtime/runtime.h"
#include "runtime/values.h"
#include "tests/support/test_support.h"

namespace quorvant::runtime {
namespace {

ValueRecord call(CoreCommand command, std::vector<ValueRecord> args) {
  return call_core_command(command, static_cast<int32_t>(args.size()), args.data());
}

std::string text(const ValueRecord& result) {
  EXPECT_TRUE(result.tag == tag::kText);
  std::string copy(text_of(result.as_text()));
  release(result.as_pointer());
  return copy;
}

std::vector<std::string> texts(const ValueRecord& result) {
  EXPECT_EQ(result.tag, tag::kText | tag::kArrayFlag);
  std::vector<std::string> out;
  void* block = result.as_pointer();
  for (int32_t i = 1; i <= element_count(block); ++i) {
    out.emplace_back(text_of(*static_cast<char**>(array_element(block, i, sizeof(char*)))));
  }
  release_text_array(block);
  return out;
}

ValueRecord t(const char* s) { return ValueRecord::of_text(s); }
ValueRecord i(int32_t v) { return ValueRecord::of_int(v); }

TEST(SplitText, SplitsAtTheDelimiterWithoutSplittingCharacters) {
  EXPECT_EQ(texts(call(CoreCommand::kSplitText, {t("C:/a/b.jpg"), t("/"), {}})),
            (std::vector<std::string>{"C:", "a", "b.jpg"}));
  EXPECT_EQ(texts(call(CoreCommand::kSplitText, {t("a//b/"), t("/"), {}})), (std::vector<std::string>{"a", "", "b"}))
      << "a trailing delimiter gives no empty last part";
  EXPECT_TRUE(texts(call(CoreCommand::kSplitText, {t(""), t("/"), {}})).empty());
  EXPECT_EQ(texts(call(CoreCommand::kSplitText, {t("a,b,c"), {}, {}})), (std::vector<std::string>{"a", "b", "c"}))
      << "the default delimiter is a comma";
  EXPECT_EQ(texts(call(CoreCommand::kSplitText, {t("a,b,c"), t(","), i(2)})), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(texts(call(CoreCommand::kSplitText, {t("a,b"), t(","), i(-1)})).empty()) << "a negative maximum is 0";
  EXPECT_EQ(texts(call(CoreCommand::kSplitText, {t("a,b"), t(""), {}})), (std::vector<std::string>{"a,b"}));
  // Only an omitted delimiter is a comma; a record that is no text is the
  // empty delimiter, even when its payload is the address of one.
  EXPECT_EQ(texts(call(CoreCommand::kSplitText, {t("a,b"), ValueRecord::of_pointer(",", tag::kInt64), {}})),
            (std::vector<std::string>{"a,b"}));
  EXPECT_EQ(texts(call(CoreCommand::kSplitText, {t("a,b"), i(0), {}})), (std::vector<std::string>{"a,b"}));
  EXPECT_EQ(texts(call(CoreCommand::kSplitText, {t("a,b"), t(nullptr), {}})), (std::vector<std::string>{"a,b"}));
  // "丂" is E4 B8 82: a delimiter byte inside a character is no delimiter.
  EXPECT_EQ(texts(call(CoreCommand::kSplitText, {t("x丂y\x82z"), t("\x82"), {}})),
            (std::vector<std::string>{"x丂y", "z"}));
}

TEST(TextCommands, BytesCountAndBoundsHold) {
  EXPECT_EQ(call(CoreCommand::kTextLength, {t("保存")}).as_int(), 6);
  EXPECT_EQ(call(CoreCommand::kTextLength, {t(nullptr)}).as_int(), 0);
  EXPECT_EQ(text(call(CoreCommand::kLeftText, {t("abcdef"), i(2)})), "ab");
  EXPECT_EQ(text(call(CoreCommand::kLeftText, {t("abc"), i(10)})), "abc");
  EXPECT_EQ(call(CoreCommand::kLeftText, {t("abc"), i(0)}).as_pointer(), nullptr) << "the empty text is null";
  EXPECT_EQ(text(call(CoreCommand::kRightText, {t("photo.jpg"), i(3)})), "jpg");
  EXPECT_EQ(text(call(CoreCommand::kRightText, {t("abc"), i(99)})), "abc");
  EXPECT_EQ(call(CoreCommand::kRightText, {t("abc"), i(-1)}).as_pointer(), nullptr);
  EXPECT_EQ(text(call(CoreCommand::kToUpper, {t("photo.jpg 图片x")})), "PHOTO.JPG 图片X");
  const std::string blanks = text(call(CoreCommand::kBlankText, {i(512)}));
  EXPECT_EQ(blanks, std::string(512, ' '));
  EXPECT_EQ(call(CoreCommand::kBlankText, {i(0)}).as_pointer(), nullptr);
}

TEST(TextCommands, NumbersAndTexts) {
  EXPECT_EQ(call(CoreCommand::kToInteger, {t("  -42abc")}).as_int(), -42);
  EXPECT_EQ(call(CoreCommand::kToInteger, {t("１２３")}).as_int(), 123) << "full-width digits";
  EXPECT_EQ(call(CoreCommand::kToInteger, {t("　－７")}).as_int(), -7);
  EXPECT_EQ(call(CoreCommand::kToInteger, {t("x1")}).as_int(), 0);
  EXPECT_EQ(call(CoreCommand::kToInteger, {ValueRecord{0x1FF, 0, tag::kByte}}).as_int(), 255) << "zero-extended";
  EXPECT_EQ(call(CoreCommand::kToInteger, {ValueRecord{0xFFFF, 0, tag::kShort}}).as_int(), -1) << "sign-extended";
  ValueRecord big;
  big.set_payload(0x100000005ull);
  big.tag = tag::kInt64;
  EXPECT_EQ(call(CoreCommand::kToInteger, {big}).as_int(), 5) << "the low 32 bits";
  ValueRecord real;
  const double minus = -2.9;
  uint64_t bits = 0;
  std::memcpy(&bits, &minus, 8);
  real.set_payload(bits);
  real.tag = tag::kDouble;
  EXPECT_EQ(call(CoreCommand::kToInteger, {real}).as_int(), -2) << "truncated toward zero";

  EXPECT_EQ(text(call(CoreCommand::kToText, {i(-5)})), "-5");
  EXPECT_EQ(text(call(CoreCommand::kToText, {ValueRecord::of_bool(true)})), "真");
  EXPECT_EQ(text(call(CoreCommand::kToText, {ValueRecord::of_bool(false)})), "假");
  EXPECT_EQ(text(call(CoreCommand::kToText, {ValueRecord{200, 0, tag::kByte}})), "200");
  EXPECT_EQ(text(call(CoreCommand::kToText, {real})), "-2.9");
}

TEST(CommandLine, SplitsLikeTheOriginalPlatform) {
  EXPECT_EQ(split_command_line(R"(xdg-open "/home/a b/保存文件/")"),
            (std::vector<std::string>{"xdg-open", "/home/a b/保存文件/"}));
  EXPECT_EQ(split_command_line(R"(a\\b "c\"d" e\\\"f  "")"),
            (std::vector<std::string>{R"(a\\b)", R"(c"d)", R"(e\"f)", ""}));
}

TEST(RunProgram, StartsOrSaysItCannot) {
  EXPECT_FALSE(
      call(CoreCommand::kRunProgram, {t("no-such-program-anywhere --x"), ValueRecord::of_bool(false), {}}).is_true());
  testing::TempFolder folder;
  const std::string marker = folder.file("ran");
  const std::string line = "touch \"" + marker + "\"";
  EXPECT_TRUE(call(CoreCommand::kRunProgram, {t(line.c_str()), ValueRecord::of_bool(true), {}}).is_true());
  EXPECT_TRUE(testing::file_exists(marker)) << "waited for";
}

TEST(Files, ExistsCreateAndProgramDirectory) {
  testing::TempFolder folder;
  const std::string sub = folder.file("sub");
  EXPECT_TRUE(call(CoreCommand::kCreateDirectory, {t(sub.c_str())}).is_true());
  EXPECT_FALSE(call(CoreCommand::kCreateDirectory, {t(sub.c_str())}).is_true()) << "exists already";
  EXPECT_FALSE(call(CoreCommand::kCreateDirectory, {t(folder.file("x/y").c_str())}).is_true()) << "no parent";
  EXPECT_TRUE(call(CoreCommand::kFileExists, {t(sub.c_str())}).is_true());
  EXPECT_FALSE(call(CoreCommand::kFileExists, {t((sub + "/").c_str())}).is_true())
      << "a trailing separator names nothing";
  EXPECT_FALSE(call(CoreCommand::kFileExists, {t(folder.file("none").c_str())}).is_true());
  const std::string directory = text(call(CoreCommand::kProgramDirectory, {}));
  EXPECT_EQ(directory, std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
  char current[4096];
  EXPECT_EQ(std::string(::getcwd(current, sizeof current)), directory) << "the current directory";
}

TEST(FindFile, AttributesSelectEntries) {
  testing::TempFolder folder;
  testing::write_bytes(folder.file("a.jpg"), {1});
  testing::write_bytes(folder.file(".hidden.jpg"), {1});
  testing::write_bytes(folder.file("locked.bmp"), {1});
  ::chmod(folder.file("locked.bmp").c_str(), 0444);
  std::filesystem::create_directory(folder.file("sub"));
  const std::string pattern = folder.path() + "/*.*";
  const bool root = ::geteuid() == 0;  // root may write any file

  auto all = [&](int32_t mask, bool omitted) {
    std::vector<std::string> names;
    intptr_t handle = 0;
    for (char* name = find_file(pattern.c_str(), mask, omitted, handle); name != nullptr;
         name = find_file("", mask, omitted, handle)) {
      names.emplace_back(name);
      release(name);
    }
    EXPECT_EQ(handle, 0) << "an exhausted search closes its handle";
    return names;
  };
  EXPECT_EQ(all(0, true), (std::vector<std::string>{".hidden.jpg", "a.jpg", "locked.bmp"})) << "no directories";
  const auto masked = all(0x27, false);
  EXPECT_EQ(masked, (std::vector<std::string>{".hidden.jpg", "a.jpg", "locked.bmp"})) << "archive, hidden, read-only";
  EXPECT_EQ(all(0x10, false), (std::vector<std::string>{".", "..", "sub"}));
  EXPECT_TRUE(all(0, false).empty()) << "a mask of 0 wants entries without attributes";
  if (!root) {
    EXPECT_EQ(all(0x01, false), (std::vector<std::string>{"locked.bmp"}));
  }
  EXPECT_EQ(all(0x02, false), (std::vector<std::string>{".hidden.jpg"}));

  intptr_t handle = 0;
  char* first = find_file(pattern.c_str(), 0, true, handle);
  EXPECT_NE(handle, 0);
  release(first);
  end_file_search(handle);
  EXPECT_EQ(handle, 0);
  EXPECT_EQ(find_file("", 0, true, handle), nullptr) << "nothing after the search ended";
  EXPECT_EQ(find_file((folder.path() + "/missing/*.*").c_str(), 0, true, handle), nullptr);
}

}  // namespace
}  // namespace quorvant::runtime
