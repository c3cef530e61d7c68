// Ending the program: through the close button or the window's close query,
// the two web addresses open, forum first, and the program ends with 0.
#include <gtest/gtest.h>

#include "forms/main_window.h"
#include "tests/support/test_support.h"

namespace quorvant::testing {
namespace {

CommandResult run_child(const std::string& mode) {
  return run_command("QT_QPA_PLATFORM=offscreen " + shell_quote(QUORVANT_APP_CHILD) + " " + mode + " 2>/dev/null");
}

TEST(Ending, TheCloseButtonOpensTheForumThenTheWebSiteAndEndsWithZero) {
  const CommandResult result = run_child("close-button");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, std::string("open ") + forms::kForumAddress + "\nopen " + forms::kWebSiteAddress + "\n")
      << "the program ends at once: the message loop does not return";
}

TEST(Ending, EscapeClosesTheWindowThroughTheCloseQuery) {
  const CommandResult result = run_child("escape");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, std::string("open ") + forms::kForumAddress + "\nopen " + forms::kWebSiteAddress +
                            "\nmessage loop ended\n");
}

}  // namespace
}  // namespace quorvant::testing
