// The whole runtime at work in a program of its own, run as a child process.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/test_support.h"

namespace quorvant::runtime {
namespace {

testing::CommandResult run_sample(const std::string& mode) {
  // Started from another directory: the program moves to its own.
  return testing::run_command("cd / && QT_QPA_PLATFORM=offscreen " + testing::shell_quote(QUORVANT_SAMPLE) + " " +
                              mode);
}

size_t occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(Program, AJobThreadEndsItWithExitCodeZeroAndOneCleanUp) {
  const testing::CommandResult run = run_sample("thread-end");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("label 75 度"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("job thread ends the program"), std::string::npos);
  EXPECT_EQ(occurrences(run.out, "cleanup"), 1u) << run.out;
  const std::string directory = std::filesystem::path(QUORVANT_SAMPLE).parent_path().string();
  EXPECT_NE(run.out.find("current directory " + directory + "\n"), std::string::npos) << run.out;
}

TEST(Program, ClosingTheLastWindowEndsTheLoopAndTheProgram) {
  const testing::CommandResult run = run_sample("close");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("radio clicked"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("close query"), std::string::npos);
  EXPECT_NE(run.out.find("message loop ended"), std::string::npos);
  EXPECT_EQ(occurrences(run.out, "cleanup"), 1u) << run.out;
}

TEST(Program, ARuntimeErrorShowsItsBoxAndExitsWithMinusOne) {
  const testing::CommandResult run = run_sample("error");
  EXPECT_EQ(run.status, 255) << run.out;
  EXPECT_NE(
      run.out.find("box [错误] 运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n"),
      std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("radio clicked"), std::string::npos) << "no handler runs once an error is reported";
  EXPECT_EQ(run.out.find("cleanup"), std::string::npos) << "the clean-up routine never runs after an error";
}

TEST(Program, AMissingStartWindowOrABrokenTemplateIsARuntimeError) {
  const testing::CommandResult missing = run_sample("no-start");
  EXPECT_EQ(missing.status, 255);
  EXPECT_NE(missing.out.find("错误信息：载入启动窗口失败"), std::string::npos) << missing.out;
  const testing::CommandResult broken = run_sample("bad-template");
  EXPECT_EQ(broken.status, 255);
  EXPECT_NE(broken.out.find("错误信息：载入窗口模板数据段出错!"), std::string::npos) << broken.out;
}

}  // namespace
}  // namespace quorvant::runtime
