// Utility files: write, rewind, read, seek, several files at once, removal at step end.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "data/dataset_internal.h"

namespace {

class UtilityFiles : public ::testing::Test {
 protected:
  void TearDown() override { plat::finish_step(); }
};

TEST_F(UtilityFiles, WriteRewindReadAndSeek) {
  int one = plat_xcopen("WORK    ", "ONE     ", "UTILITY ", 0);
  int three = plat_xcopen("WORK    ", "THREE   ", "UTILITY ", 0);
  ASSERT_GE(one, 0);
  ASSERT_GE(three, 0);
  EXPECT_NE(one, three);
  // ONE: BY values then box records; THREE: values beyond the whiskers.
  const char by[8] = {'A', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  double box[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(plat_xcwrite(one, by, 8), 0);
  ASSERT_EQ(plat_xcwrite(one, box, sizeof box), 0);
  std::vector<double> outside = {-10, 20, 30, -40};
  ASSERT_EQ(plat_xcwrite(three, outside.data(), 32), 0);

  ASSERT_EQ(plat_xcrewnd(one), 0);
  char by_back[8];
  double box_back[8];
  EXPECT_EQ(plat_xcread(one, by_back, 8), 8);
  EXPECT_EQ(plat_xcread(one, box_back, sizeof box_back), static_cast<int>(sizeof box_back));
  EXPECT_EQ(std::string(by_back, 8), std::string(by, 8));
  EXPECT_EQ(box_back[7], 8.0);
  EXPECT_EQ(plat_xcread(one, box_back, 8), 0);  // the end

  // Position THREE at the third value (index word 2).
  ASSERT_EQ(plat_xcseek(three, 2 * 8), 0);
  double v[2];
  EXPECT_EQ(plat_xcread(three, v, 16), 16);
  EXPECT_EQ(v[0], 30.0);
  EXPECT_EQ(v[1], -40.0);
  EXPECT_NE(plat_xcseek(three, 5 * 8), 0);  // beyond the end
  // Writing after reading appends where the reading stopped.
  ASSERT_EQ(plat_xcseek(three, 32), 0);
  double more = 50;
  ASSERT_EQ(plat_xcwrite(three, &more, 8), 0);
  ASSERT_EQ(plat_xcseek(three, 32), 0);
  EXPECT_EQ(plat_xcread(three, v, 16), 8);
  EXPECT_EQ(v[0], 50.0);
}

TEST_F(UtilityFiles, FilesAreRemovedWhenTheStepEnds) {
  int two = plat_xcopen("WORK", "TWO", "UTILITY", 0);
  ASSERT_GE(two, 0);
  int words[3] = {0, 4, 9};
  ASSERT_EQ(plat_xcwrite(two, words, sizeof words), 0);
  std::string folder = plat::utility_folder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(std::filesystem::exists(folder));
  plat::finish_step();
  EXPECT_FALSE(std::filesystem::exists(folder));
  EXPECT_NE(plat_xcwrite(two, words, 4), 0);  // the handle is gone with the step
  EXPECT_LT(plat_xcread(two, words, 4), 0);
}

TEST_F(UtilityFiles, OnlyTheWorkLibraryAndValidNames) {
  EXPECT_LT(plat_xcopen("MYLIB   ", "ONE     ", "UTILITY ", 0), 0);
  EXPECT_NE(plat::data_last_message().find("utility files live in library WORK"), std::string::npos);
  EXPECT_LT(plat_xcopen("WORK    ", "1X      ", "UTILITY ", 0), 0);
  EXPECT_LT(plat_xcopen("WORK    ", "        ", "UTILITY ", 0), 0);
  EXPECT_NE(plat_xcwrite(-1, "x", 1), 0);
  EXPECT_NE(plat_xcrewnd(99), 0);
}

TEST_F(UtilityFiles, OpeningAgainStartsTheFileAfresh) {
  int a = plat_xcopen("WORK", "ONE", "UTILITY", 0);
  ASSERT_EQ(plat_xcwrite(a, "abc", 3), 0);
  int b = plat_xcopen("WORK", "ONE", "UTILITY", 0);
  EXPECT_EQ(a, b);
  char buf[3];
  plat_xcrewnd(b);
  EXPECT_EQ(plat_xcread(b, buf, 3), 0);
}

}  // namespace
