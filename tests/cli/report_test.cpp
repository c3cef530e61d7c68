#include "cli/report.h"

#include <gtest/gtest.h>

namespace quorvant::cli {
namespace {

TEST(JsonString, EscapesWhatJsonRequires) {
  EXPECT_EQ(json_string("plain"), "\"plain\"");
  EXPECT_EQ(json_string("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(json_string("tab\tnew\nbell\x07"), "\"tab\\tnew\\nbell\\u0007\"");
  EXPECT_EQ(json_string("保存文件"), "\"保存文件\"") << "valid UTF-8 passes unchanged";
  EXPECT_EQ(json_string("bad\xff\xc3("), "\"bad\\ufffd\\ufffd(\"");
  EXPECT_EQ(json_string("\xed\xa0\x80"), "\"\\ufffd\\ufffd\\ufffd\"") << "no surrogates";
  EXPECT_EQ(json_string("\xc0\xaf"), "\"\\ufffd\\ufffd\"") << "no overlong forms";
}

TEST(TerminalText, EscapesWhatCouldSplitALineOrDriveTheTerminal) {
  EXPECT_EQ(terminal_text("plain 'text' \\ too"), "plain 'text' \\ too");
  EXPECT_EQ(terminal_text("a\nb\tc\x1b[31m\x7f"), "a\\nb\\tc\\x1b[31m\\x7f");
  EXPECT_EQ(terminal_text("\xc2\x9b"
                          "2J"),
            "\\u009b2J")
      << "a C1 control sequence introducer";
  EXPECT_EQ(terminal_text("保存文件 \xc2\xa0"), "保存文件 \xc2\xa0") << "printable UTF-8 stays";
  EXPECT_EQ(terminal_text("bad\xff"), "bad\\xff");
}

TEST(Quote, PutsANameInQuotesThatItCannotLeave) {
  EXPECT_EQ(quote("photo.jpg"), "'photo.jpg'");
  EXPECT_EQ(quote("it's\\.jpg"), "'it\\'s\\\\.jpg'");
  EXPECT_EQ(quote("two\nlines.jpg"), "'two\\nlines.jpg'");
}

TEST(JsonLine, HasTheFourFields) {
  const Outcome outcome{"in/a.jpg", "out/a.png", -3, "not a picture this program can read"};
  EXPECT_EQ(json_line(outcome),
            "{\"source\": \"in/a.jpg\", \"destination\": \"out/a.png\", \"code\": -3, "
            "\"message\": \"not a picture this program can read\"}");
}

TEST(DescribeResult, SaysEachCodeInWords) {
  EXPECT_EQ(describe_result(1, "x"), "written");
  EXPECT_EQ(describe_result(-1, "x"), "not found");
  EXPECT_EQ(describe_result(-3, "x"), "not a picture this program can read");
  EXPECT_EQ(describe_result(-4, "out/x.png"), "cannot write out/x.png");
  EXPECT_EQ(describe_result(-7, "x").rfind("bad option", 0), 0u);
}

TEST(ProgressBarText, ShowsCountRateAndTimeLeft) {
  using std::chrono::duration;
  EXPECT_EQ(ProgressBar::render(0, 10, duration<double>(0)),
            "[------------------------------] 0/10  -- pictures/s  --:-- left");
  EXPECT_EQ(ProgressBar::render(5, 10, duration<double>(2.5)),
            "[###############---------------] 5/10  2.0 pictures/s  0:03 left");
  EXPECT_EQ(ProgressBar::render(4, 4, duration<double>(2)),
            "[##############################] 4/4  2.0 pictures/s  done in 0:02");
  EXPECT_EQ(ProgressBar::render(1, 7201, duration<double>(1)),
            "[------------------------------] 1/7201  1.0 pictures/s  2:00:00 left");
}

}  // namespace
}  // namespace quorvant::cli
