#include "cli/plan.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace quorvant::cli {
namespace {

using engine::TargetFormat;

TEST(Destination, IsTheStemWithTheTargetsLowerCaseExtension) {
  EXPECT_EQ(destination_for("/pics/photo.JPG", "out", TargetFormat::kPng), "out/photo.png");
  EXPECT_EQ(destination_for("photo.tar.jpg", "out", TargetFormat::kTif), "out/photo.tar.tif");
  EXPECT_EQ(destination_for("/pics/README", "/o", TargetFormat::kPcx), "/o/README.pcx");
}

class PlanTest : public ::testing::Test {
 protected:
  testing::TempFolder in_;
  testing::TempFolder out_;
  std::string picture(const std::string& name) {
    testing::write_bytes(in_.file(name), {1});
    return in_.file(name);
  }
  static std::vector<Source> sources(const std::vector<std::string>& paths) {
    std::vector<Source> all;
    for (const std::string& path : paths) all.push_back({path, std::string()});
    return all;
  }
};

// Sources of one output name share a lane: which of them takes the name is
// decided as they are read. An existing output is skipped, or counted as
// done with --skip-existing.
TEST_F(PlanTest, SourcesOfOneNameShareALaneAndExistingOutputsAreSkipped) {
  const std::string a = picture("a.jpg");
  const std::string a_png = picture("a.png");
  const std::string b = picture("b.jpg");
  testing::write_bytes(out_.file("b.bmp"), {1});

  const Plan plan = make_plan(sources({a, a_png, b}), out_.path(), TargetFormat::kBmp, {});
  ASSERT_EQ(plan.jobs.size(), 3u);
  EXPECT_TRUE(plan.jobs[0].skip_reason.empty());
  EXPECT_TRUE(plan.jobs[1].skip_reason.empty());
  EXPECT_EQ(plan.jobs[2].skip_reason, "skipped: '" + out_.file("b.bmp") + "' exists");
  EXPECT_FALSE(plan.jobs[2].done);
  EXPECT_EQ(plan.lanes, (std::vector<std::vector<size_t>>{{0, 1}}));

  const Plan again = make_plan(sources({a, a_png, b}), out_.path(), TargetFormat::kBmp, {.skip_existing = true});
  EXPECT_EQ(again.jobs[2].skip_reason, "exists");
  EXPECT_TRUE(again.jobs[2].done);

  // With overwrite b.jpg runs too.
  const Plan overwrite = make_plan(sources({a, a_png, b}), out_.path(), TargetFormat::kBmp, {.overwrite = true});
  for (const Job& job : overwrite.jobs) EXPECT_TRUE(job.skip_reason.empty());
  EXPECT_EQ(overwrite.lanes, (std::vector<std::vector<size_t>>{{0, 1}, {2}}));
}

TEST_F(PlanTest, NeverWritesOverASourceOfTheRun) {
  const std::string a = picture("a.jpg");
  const std::string a_bmp = picture("a.bmp");
  // Into the sources' own folder: a.bmp -> a.jpg is another source, and
  // a.jpg -> a.jpg is the source itself.
  const Plan plan = make_plan(sources({a_bmp, a}), in_.path(), TargetFormat::kJpg, {.overwrite = true});
  EXPECT_NE(plan.jobs[0].skip_reason.find("another source"), std::string::npos);
  EXPECT_NE(plan.jobs[1].skip_reason.find("the source itself"), std::string::npos);
  EXPECT_TRUE(plan.lanes.empty());
}

TEST_F(PlanTest, MissingSourceIsLeftToTheEngine) {
  testing::write_bytes(out_.file("gone.bmp"), {1});
  const Plan plan = make_plan(sources({in_.file("gone.jpg")}), out_.path(), TargetFormat::kBmp, {});
  EXPECT_TRUE(plan.jobs[0].skip_reason.empty()) << "reported as not found, not as an existing output";
}

}  // namespace
}  // namespace quorvant::cli
