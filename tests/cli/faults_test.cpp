// quorvant-convert under faults, run as a whole program: links planted in
// the output folder, names as long as a folder allows, signals, a closed
// output, missing resources and names that could drive a terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "engine/output_file.h"
#include "tests/support/test_support.h"

namespace quorvant::cli {
namespace {

namespace fs = std::filesystem;
using testing::shell_quote;

// A 24-bit bitmap of width x height pixels of a pattern that does not
// compress to nothing: PNG takes a while over it.
void write_bitmap(const std::string& path, int width, int height) {
  const size_t row = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> bytes(54 + row * static_cast<size_t>(height));
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
  };
  bytes[0] = 'B', bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bytes[26] = 1, bytes[28] = 24;
  uint32_t state = 12345;
  for (size_t i = 54; i < bytes.size(); ++i) {
    state = state * 1103515245u + 12345u;
    bytes[i] = static_cast<uint8_t>((i % 97) + (state >> 28));
  }
  testing::write_bytes(path, bytes);
}

struct ProcessRun {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

// Runs a shell command line with standard output and error captured.
ProcessRun run_shell(const std::string& command, const testing::TempFolder& work) {
  const std::string full = "cd " + shell_quote(work.path()) + " && ( " + command + " ) >out.txt 2>err.txt";
  const int raw = std::system(full.c_str());
  ProcessRun result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  const auto out = testing::read_bytes(work.file("out.txt"));
  const auto err = testing::read_bytes(work.file("err.txt"));
  result.out.assign(out.begin(), out.end());
  result.err.assign(err.begin(), err.end());
  return result;
}

std::string convert_command() { return shell_quote(QUORVANT_CONVERT); }

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

using testing::eventually;

// A converter started in the background with its own scratch folder.
class Child {
 public:
  // Standard output goes to `out` when given, else to /dev/null.
  Child(const std::vector<std::string>& arguments, const std::string& scratch, const std::string& err_file,
        int out = -1) {
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setenv("TMPDIR", scratch.c_str(), 1);
      const int err = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(err, STDERR_FILENO);
      ::dup2(out >= 0 ? out : ::open("/dev/null", O_WRONLY), STDOUT_FILENO);
      std::vector<char*> argv{const_cast<char*>(QUORVANT_CONVERT)};
      for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(QUORVANT_CONVERT, argv.data());
      ::_exit(127);
    }
  }
  ~Child() {
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      wait();
    }
  }
  pid_t pid() const { return pid_; }
  // Whether the process has a scratch buffer mapped: a picture is in memory.
  bool holds_a_picture() const {
    std::ifstream maps("/proc/" + std::to_string(pid_) + "/maps");
    const std::string text((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
    return text.find("CSWCLASS") != std::string::npos;
  }
  // 128 + signal for a process a signal ended, like a shell says.
  int wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    reaped_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  // The same once the process has ended, or nothing when it is still
  // running after a generous minute.
  std::optional<int> wait_a_while() {
    int status = 0;
    if (!eventually([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; })) return std::nullopt;
    reaped_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
};

class FaultsTest : public ::testing::Test {
 protected:
  testing::TempFolder work_;
  testing::TempFolder pictures_;
  testing::TempFolder scratch_;
  testing::TempFolder elsewhere_;
};

// Whoever can write the output folder replaces every hidden entry that
// appears in it with a link to a file outside, while the picture loads:
// nothing must be written through the link, and what is published must be
// the converted picture itself.
TEST_F(FaultsTest, LinksPlantedInTheOutputFolderAreNeverWrittenThrough) {
  write_bitmap(pictures_.file("big.bmp"), 2400, 1800);
  fs::create_directory(work_.file("out"));
  testing::write_bytes(elsewhere_.file("victim"), {'k', 'e', 'e', 'p'});

  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, work_.file("out").c_str(), IN_CREATE | IN_MOVED_TO), 0);
  std::atomic<bool> stop{false};
  std::atomic<int> swapped{0};
  std::thread attacker([&] {
    char events[4096];
    while (!stop) {
      pollfd ready{watch, POLLIN, 0};
      if (::poll(&ready, 1, 20) <= 0) continue;
      const ssize_t n = ::read(watch, events, sizeof events);
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        const std::string name = event->len > 0 ? event->name : "";
        if (!name.empty() && name[0] == '.') {
          const std::string link = work_.file("out/link-" + std::to_string(swapped));
          if (::symlink(elsewhere_.file("victim").c_str(), link.c_str()) == 0 &&
              ::rename(link.c_str(), work_.file("out/" + name).c_str()) == 0) {
            ++swapped;
          }
        }
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  });
  const ProcessRun r =
      run_shell(convert_command() + " --to png -q -o out " + shell_quote(pictures_.file("big.bmp")), work_);
  stop = true;
  attacker.join();
  ::close(watch);

  EXPECT_EQ(testing::read_bytes(elsewhere_.file("victim")), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  struct stat info {};
  ASSERT_EQ(::lstat(work_.file("out/big.png").c_str(), &info), 0) << r.err;
  EXPECT_TRUE(S_ISREG(info.st_mode)) << "a link was published as the output";
  const auto png = testing::run_tool("pngtopnm " + shell_quote(work_.file("out/big.png")) + " | head -c 2");
  EXPECT_EQ(std::string(png.begin(), png.end()), "P6");
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(FaultsTest, TheLongestNameAFolderHoldsIsWritten) {
  std::string stem;
  for (int i = 0; i < 83; ++i) stem += "图";  // 249 bytes of UTF-8
  fs::copy_file(testing::corpus("jpeg/testorig.jpg"), pictures_.file(stem + ".jpg"));
  const ProcessRun r =
      run_shell(convert_command() + " --to png -q -o out " + shell_quote(pictures_.file(stem + ".jpg")), work_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(testing::file_exists(work_.file("out/" + stem + ".png")));
  EXPECT_EQ(entries(work_.file("out")), (std::vector<std::string>{stem + ".png"}));
}

// `quorvant-convert --json … | head -1`: the reader of the output goes
// away; the run ends as after an interruption and leaves nothing behind.
TEST_F(FaultsTest, AClosedOutputEndsTheRunLikeAnInterruption) {
  for (int i = 0; i < 40; ++i) {
    fs::copy_file(testing::corpus("jpeg/testorig.jpg"), pictures_.file("p" + std::to_string(i) + ".jpg"));
  }
  const std::string pipeline = "TMPDIR=" + shell_quote(scratch_.path()) + " " + convert_command() +
                               " --to bmp --json -j 2 -o out " + shell_quote(pictures_.path()) +
                               " | head -1; exit ${PIPESTATUS[0]}";
  const ProcessRun r = run_shell("bash -c " + shell_quote(pipeline), work_);
  EXPECT_EQ(r.status, 130) << "killed by SIGPIPE it would be 141\n" << r.err;
  EXPECT_TRUE(fs::is_empty(scratch_.path()));
  for (const std::string& name : entries(work_.file("out"))) EXPECT_NE(name[0], '.') << name;
}

TEST_F(FaultsTest, ASecondInterruptionStopsAtOnceAndLeavesNothing) {
  for (int i = 0; i < 3; ++i) write_bitmap(pictures_.file("big" + std::to_string(i) + ".bmp"), 2400, 1800);
  Child child({"--to", "png", "-q", "-j", "1", "-o", work_.file("out"), pictures_.path()}, scratch_.path(),
              work_.file("err.txt"));
  ASSERT_TRUE(eventually([&] { return child.holds_a_picture(); }));
  ::kill(child.pid(), SIGINT);
  ASSERT_TRUE(eventually([&] {
    const auto err = testing::read_bytes(work_.file("err.txt"));
    return std::string(err.begin(), err.end()).find("finishing") != std::string::npos;
  }));
  ::kill(child.pid(), SIGINT);
  EXPECT_EQ(child.wait(), 130);
  EXPECT_TRUE(fs::is_empty(scratch_.path()));
  for (const std::string& name : entries(work_.file("out"))) EXPECT_NE(name[0], '.') << name;
}

// However the process ends, no picture-sized scratch file stays: its name
// is gone as soon as it is mapped.
TEST_F(FaultsTest, AKilledConversionLeavesNoScratchFile) {
  write_bitmap(pictures_.file("big.bmp"), 2400, 1800);
  Child child({"--to", "png", "-q", "-o", work_.file("out"), pictures_.file("big.bmp")}, scratch_.path(),
              work_.file("err.txt"));
  ASSERT_TRUE(eventually([&] { return child.holds_a_picture(); }));
  EXPECT_TRUE(fs::is_empty(scratch_.path())) << "a scratch file has a name while the picture is in memory";
  ::kill(child.pid(), SIGKILL);
  EXPECT_EQ(child.wait(), 128 + SIGKILL);
  EXPECT_TRUE(fs::is_empty(scratch_.path()));
  if (fs::exists(work_.file("out"))) {
    EXPECT_TRUE(fs::is_empty(work_.file("out")));
  }
}

TEST_F(FaultsTest, EveryFailureNamesItsCause) {
  fs::copy_file(testing::corpus("jpeg/testorig.jpg"), pictures_.file("a.jpg"));
  const ProcessRun no_scratch = run_shell("TMPDIR=" + shell_quote(scratch_.file("gone")) + " " + convert_command() +
                                              " --to bmp -o out " + shell_quote(pictures_.file("a.jpg")),
                                          work_);
  EXPECT_EQ(no_scratch.status, 1);
  EXPECT_NE(
      no_scratch.err.find("cannot make scratch space in " + scratch_.file("gone") + ": No such file or directory"),
      std::string::npos)
      << no_scratch.err;

  write_bitmap(pictures_.file("wide.bmp"), 70000, 1);
  const ProcessRun wide =
      run_shell(convert_command() + " --to pcx -o out " + shell_quote(pictures_.file("wide.bmp")), work_);
  EXPECT_NE(wide.err.find("PCX stores sizes in 16 bits: 70000 pixels wide is too wide"), std::string::npos) << wide.err;

  // With few file descriptors left, a picture that cannot be opened is not
  // "not a picture": the cause is named.
  bool named = false;
  for (int limit = 5; limit <= 24 && !named; ++limit) {
    const ProcessRun r = run_shell("ulimit -n " + std::to_string(limit) + "; " + convert_command() +
                                       " --to bmp -q --overwrite -o out " + shell_quote(pictures_.file("a.jpg")),
                                   work_);
    EXPECT_EQ(r.err.find("not a picture"), std::string::npos) << limit << ": " << r.err;
    named = r.err.find("Too many open files") != std::string::npos;
  }
  EXPECT_TRUE(named);
}

TEST_F(FaultsTest, NamesOnStandardErrorCannotSplitTheLineOrDriveTheTerminal) {
  const std::string name = "bad\nname\x1b[31m.jpg";
  testing::write_bytes(pictures_.file(name), {'n', 'o'});
  const ProcessRun r = run_shell(convert_command() + " --to bmp -o out " + shell_quote(pictures_.file(name)), work_);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("bad\\nname\\x1b[31m.jpg'"), std::string::npos) << r.err;
}

TEST_F(FaultsTest, ConversionsThatWouldNotFitInMemoryTogetherWait) {
  // Each needs about 4000 x 3000 x 3 bytes twice over (the picture and its
  // grey copy): 72 MB; two at once do not fit in 100 MB.
  for (int i = 0; i < 3; ++i) write_bitmap(pictures_.file("big" + std::to_string(i) + ".bmp"), 4000, 3000);
  const ProcessRun held =
      run_shell(convert_command() + " --to pgm -q -j 3 --memory 100M -o held " + shell_quote(pictures_.path()), work_);
  EXPECT_EQ(held.status, 0) << held.err;
  EXPECT_EQ(entries(work_.file("held")).size(), 3u);
  size_t said = 0;
  for (size_t at = held.err.find("holding conversions back"); at != std::string::npos;
       at = held.err.find("holding conversions back", at + 1)) {
    ++said;
  }
  EXPECT_EQ(said, 1u) << held.err;
  EXPECT_NE(held.err.find("in the 100 MiB of memory available"), std::string::npos) << held.err;

  const ProcessRun roomy =
      run_shell(convert_command() + " --to pgm -q -j 3 --memory 1G -o roomy " + shell_quote(pictures_.path()), work_);
  EXPECT_EQ(roomy.status, 0);
  EXPECT_EQ(roomy.err.find("holding"), std::string::npos) << roomy.err;
}

// `quorvant-convert --json … | less`, and the reader stops reading: the
// workers block on the full pipe. A Ctrl-C then asks the run to stop and a
// second one ends it at once all the same; SIGTERM and SIGQUIT end it at
// once on their own.
TEST_F(FaultsTest, AFullOutputPipeCannotHoldOffTheSignalThatEndsARun) {
  write_bitmap(pictures_.file("tiny.bmp"), 2, 2);
  for (int i = 0; i < 1500; ++i) {
    fs::copy_file(pictures_.file("tiny.bmp"),
                  pictures_.file("a-picture-with-a-long-name-" + std::to_string(i) + ".bmp"));
  }
  for (const std::vector<int>& signals : {std::vector<int>{SIGINT, SIGINT}, {SIGTERM}, {SIGQUIT}}) {
    SCOPED_TRACE(strsignal(signals.front()));
    fs::remove_all(work_.file("out"));
    int pipe_ends[2];
    ASSERT_EQ(::pipe2(pipe_ends, O_CLOEXEC), 0);
    const int capacity = ::fcntl(pipe_ends[0], F_GETPIPE_SZ);
    Child child({"--to", "bmp", "--json", "-j", "2", "-o", work_.file("out"), pictures_.path()}, scratch_.path(),
                work_.file("err.txt"), pipe_ends[1]);
    ::close(pipe_ends[1]);
    // Lines are not split across the pipe's pages: full is a little short of
    // its capacity.
    ASSERT_TRUE(eventually([&] {
      int waiting = 0;
      return ::ioctl(pipe_ends[0], FIONREAD, &waiting) == 0 && waiting >= capacity - 8192;
    })) << "the report never filled the pipe";
    if (signals.size() == 2) {
      ::kill(child.pid(), signals.front());
      ASSERT_TRUE(eventually([&] {
        const auto err = testing::read_bytes(work_.file("err.txt"));
        return std::string(err.begin(), err.end()).find("interrupted") != std::string::npos;
      })) << "the first signal was not heard while the output was full";
    }
    ::kill(child.pid(), signals.back());
    EXPECT_EQ(child.wait_a_while(), std::optional<int>(130));
    ::close(pipe_ends[0]);
    for (const std::string& name : entries(work_.file("out"))) EXPECT_NE(name[0], '.') << name;
  }
}

// ulimit -f (systemd's LimitFSIZE=, batch systems): the one file that meets
// the limit fails with its cause, and the batch goes on.
TEST_F(FaultsTest, AFileSizeLimitFailsOneFileAndTheBatchGoesOn) {
  write_bitmap(pictures_.file("a-big.bmp"), 300, 200);  // 180 KB as a picture; 700 KB as plain PPM
  write_bitmap(pictures_.file("b-small.bmp"), 8, 8);
  const ProcessRun r = run_shell(
      "ulimit -f 400; " + convert_command() + " --to ppm --plain -j 1 -o out " + shell_quote(pictures_.path()), work_);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("a-big.bmp': cannot write 'out/a-big.ppm': File too large"), std::string::npos) << r.err;
  EXPECT_EQ(entries(work_.file("out")), (std::vector<std::string>{"b-small.ppm"}));
}

// Every reader, and the memory estimate before them, reads the one open
// file: nothing opens the source's path a second time, where a pipe or a
// link could have been put meanwhile.
TEST_F(FaultsTest, EachSourceIsOpenedOnce) {
  // A PCX file, which every reader before PCX's is offered first.
  ASSERT_EQ(run_shell(convert_command() + " --to pcx -q -o " + shell_quote(pictures_.path()) + " " +
                          shell_quote(testing::corpus("jpeg/testorig.jpg")),
                      work_)
                .status,
            0);
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  // Closes are watched too: inotify merges events that follow one another
  // alike, and an open and a close are not alike.
  ASSERT_GE(::inotify_add_watch(watch, pictures_.file("testorig.pcx").c_str(), IN_OPEN | IN_CLOSE_NOWRITE), 0);
  const ProcessRun r =
      run_shell(convert_command() + " --to bmp -o out " + shell_quote(pictures_.file("testorig.pcx")), work_);
  EXPECT_EQ(r.status, 0) << r.err;
  int opens = 0;
  char events[4096];
  for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;) {
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      if ((event->mask & IN_OPEN) != 0) ++opens;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  ::close(watch);
  EXPECT_EQ(opens, 1);

  // A pipe that nobody writes to, named where a picture was: opened without
  // waiting and refused (timeout's 124 would say the open waited).
  ASSERT_EQ(::mkfifo(pictures_.file("pipe.jpg").c_str(), 0600), 0);
  const ProcessRun pipe = run_shell(
      "timeout 60 " + convert_command() + " --to bmp -o out " + shell_quote(pictures_.file("pipe.jpg")), work_);
  EXPECT_EQ(pipe.status, 1) << pipe.err;
  EXPECT_NE(pipe.err.find("not a picture"), std::string::npos) << pipe.err;
}

// USB sticks and SD cards: no unnamed files, no hard links. Files are still
// published only when complete, and an existing one is kept or replaced as
// asked.
TEST_F(FaultsTest, AFatFileSystemTakesTheOutput) {
  const testing::FatFolder fat;
  if (!fat.mounted() && fat.fuse_unusable()) GTEST_SKIP() << fat.why();
  ASSERT_TRUE(fat.mounted()) << fat.why();
  fs::copy_file(testing::corpus("jpeg/testorig.jpg"), pictures_.file("a.jpg"));
  write_bitmap(pictures_.file("b.bmp"), 40, 30);
  const std::string convert = convert_command() + " --to png -q -o " + shell_quote(fat.file("out")) + " ";
  const ProcessRun first = run_shell(convert + shell_quote(pictures_.path()), work_);
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(entries(fat.file("out")), (std::vector<std::string>{"a.png", "b.png"}));
  const auto png = testing::run_tool("pngtopnm " + shell_quote(fat.file("out/a.png")) + " | head -c 2");
  EXPECT_EQ(std::string(png.begin(), png.end()), "P6");

  fs::remove(fat.file("out/b.png"));  // fusefat does not truncate
  testing::write_bytes(fat.file("out/b.png"), {'o', 'l', 'd'});
  const ProcessRun kept = run_shell(convert + shell_quote(pictures_.file("b.bmp")), work_);
  EXPECT_EQ(kept.status, 1);
  EXPECT_NE(kept.err.find("exists"), std::string::npos) << kept.err;
  EXPECT_EQ(testing::read_bytes(fat.file("out/b.png")), (std::vector<uint8_t>{'o', 'l', 'd'}));
  const ProcessRun replaced = run_shell(convert + "--overwrite " + shell_quote(pictures_.file("b.bmp")), work_);
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_GT(testing::read_bytes(fat.file("out/b.png")).size(), 3u);
  EXPECT_EQ(entries(fat.file("out")), (std::vector<std::string>{"a.png", "b.png"}));
}

// kill -9 leaves a complete picture under a private name (between the link
// and the rename of --overwrite) and, rarely, an empty scratch name. The
// next run removes those of processes that are gone, and nothing else.
TEST_F(FaultsTest, WhatKilledRunsLeftIsRemovedByTheNextRun) {
  fs::create_directory(work_.file("out"));
  // A private name as this machine's runs make them, of a process that has
  // ended, of this process, and of another machine.
  std::string ours;
  {
    const engine::UniqueFd out(::open(work_.file("out").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::optional<engine::OutputFile> made = engine::OutputFile::create(out.get(), "x.png", nullptr, false);
    ASSERT_TRUE(made && made->named());
    for (const std::string& name : entries(work_.file("out"))) ours = name;
  }
  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  ::waitpid(ended, nullptr, 0);
  const std::string mine = "-" + std::to_string(::getpid()) + "-";
  const size_t at = ours.rfind(mine);
  ASSERT_NE(at, std::string::npos) << ours;
  const std::string stale = ours.substr(0, at) + "-" + std::to_string(ended) + "-0.part";
  const std::string live = ours.substr(0, at) + mine + "0.part";
  const std::string elsewhere = ".quorvant-another-machine-" + std::to_string(ended) + "-0.part";
  for (const std::string& name : {stale, live, elsewhere}) testing::write_bytes(work_.file("out/" + name), {1});
  testing::write_bytes(scratch_.file("CSWCLASS7.tmp"), {});
  testing::write_bytes(scratch_.file("CSWCLASS8.tmp"), {1});  // not empty: not one of ours

  fs::copy_file(testing::corpus("jpeg/testorig.jpg"), pictures_.file("a.jpg"));
  const ProcessRun r = run_shell("TMPDIR=" + shell_quote(scratch_.path()) + " " + convert_command() +
                                     " --to bmp -q -o out " + shell_quote(pictures_.file("a.jpg")),
                                 work_);
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> expected = {elsewhere, live, "a.bmp"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(entries(work_.file("out")), expected);
  EXPECT_EQ(entries(scratch_.path()), (std::vector<std::string>{"CSWCLASS8.tmp"}));
}

}  // namespace
}  // namespace quorvant::cli
