#include "cli/memory_budget.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

namespace quorvant::cli {
namespace {

using testing::eventually;

TEST(MemoryBudget, HoldsBackWhatDoesNotFitBesideTheRunningOnes) {
  std::atomic<int> told{0};
  MemoryBudget budget(100, [&] { ++told; });
  ASSERT_TRUE(budget.acquire(60));
  std::atomic<bool> second_started{false};
  std::thread second([&] {
    EXPECT_TRUE(budget.acquire(60));
    second_started = true;
    budget.release(60);
  });
  ASSERT_TRUE(eventually([&] { return told == 1; })) << "the second is held back and the user told";
  EXPECT_FALSE(second_started);
  budget.release(60);
  second.join();
  EXPECT_TRUE(second_started);
  EXPECT_TRUE(budget.acquire(30));
  EXPECT_TRUE(budget.acquire(70)) << "what fits beside runs at once";
  std::thread third([&] {
    EXPECT_TRUE(budget.acquire(1));
    budget.release(1);
  });
  budget.release(30);
  third.join();
  EXPECT_EQ(told, 1) << "said once";
}

TEST(MemoryBudget, OneConversionAlwaysRunsWhateverItNeeds) {
  MemoryBudget budget(10, nullptr);
  EXPECT_TRUE(budget.acquire(1000));
  budget.release(1000);
  EXPECT_TRUE(budget.acquire(5));
}

TEST(MemoryBudget, StoppingReleasesEveryWaiterEmptyHanded) {
  MemoryBudget budget(10, nullptr);
  ASSERT_TRUE(budget.acquire(10));
  std::atomic<int> answer{-1};
  std::thread waiter([&] { answer = budget.acquire(5) ? 1 : 0; });
  budget.stop();
  waiter.join();
  EXPECT_EQ(answer, 0);
  EXPECT_FALSE(budget.acquire(1));
}

TEST(AvailableMemory, IsSomeOfWhatTheMachineHas) {
  std::ifstream meminfo("/proc/meminfo");
  uint64_t total_kb = 0;
  for (std::string key; meminfo >> key;) {
    if (key == "MemTotal:") meminfo >> total_kb;
  }
  const uint64_t available = available_memory();
  EXPECT_GT(available, 0u);
  EXPECT_LE(available, total_kb * 1024);
}

}  // namespace
}  // namespace quorvant::cli
