// First-pass counts and weighted sums, ROUND=, extreme observations and value lists.
#include <cmath>

#include <cstdio>

#include "core/host_vectors.h"
#include "datapass_test_support.h"
#include "driver/obs_sums.h"
#include "host/host_missing.h"

namespace dp_test {
namespace {

enum { sVar = 1, sWeight = 2, sFreq = 3, sId = 4, sData = 6, sRound = 12, sNextrobs = 19 };
constexpr int kNoprint = 1, kExclnpwgt = 15;

class DatapassSums : public datapass_fixture {
 protected:
  proc_builder base(const std::string& member, std::vector<std::string> vars) {
    proc_builder p;
    p.handle(sData, open_data(member)).flag(kNoprint);
    std::vector<int> nums;
    for (const std::string& v : vars) nums.push_back(var_of(v));
    p.ints(sVar, nums);
    return p;
  }
};

// Rows exercise every FREQ and WEIGHT rule once:
//   row 1-3: ordinary; row 4: missing value (NMISS += 2); row 5: FREQ 0.5 (read, frequency 0);
//   row 6: missing FREQ (skipped); row 7: missing weight (skipped after the FREQ total);
//   row 8: negative weight (weight 0, counted in N unless EXCLNPWGT).
const char* kWeighted =
    "x,f,w\n"
    "1,1,2\n"
    "4,1,3\n"
    "7,3.9,2\n"
    ".,2,1\n"
    "5,0.5,1\n"
    "6,,1\n"
    "8,1,\n"
    "9,2,-1\n";

TEST_F(DatapassSums, FreqWeightCountsAndSums) {
  write_csv("wt", kWeighted);
  proc_builder p = base("wt", {"x"});
  p.ints(sFreq, {var_of("f")}).ints(sWeight, {var_of("w")});
  run_result r = run(p);
  ASSERT_EQ(r.exit_code, -1);
  ASSERT_EQ(r.groups.size(), 1u);
  const var_snap& s = r.groups[0].vars[""][0];
  // Hand-computed: frequencies 1, 1, 3 (3.9 truncated), 2 on 1, 4, 7, 9; weights
  // 2, 3, 2*3, 0.
  EXPECT_DOUBLE_EQ(s.n, 7);
  EXPECT_DOUBLE_EQ(s.nmiss, 2);
  EXPECT_DOUBLE_EQ(s.nobs, 9);
  EXPECT_DOUBLE_EQ(s.sumwgt, 11);
  EXPECT_DOUBLE_EQ(s.sum, 56);        // 2*1 + 3*4 + 6*7
  EXPECT_DOUBLE_EQ(s.uss, 344);       // 2*1 + 3*16 + 6*49
  EXPECT_NEAR(s.css, 344 - 56.0 * 56.0 / 11, 1e-12);
  // The pass total counts every frequency that passed the FREQ check: 1+1+3+2+0+1+2.
  EXPECT_DOUBLE_EQ(s.pass_total, 10);
  ASSERT_EQ(s.values.size(), 4u);
  EXPECT_EQ(s.values[2], std::make_pair(7.0, 3));
  EXPECT_EQ(s.values[3], std::make_pair(9.0, 2));
  ASSERT_EQ(s.missing.size(), 1u);
  EXPECT_EQ(s.missing[0], std::make_pair(HOST_MISS_STD, 2));
  // Weight sums of 7 (clamped weight 2, frequency 3): 6, sqrt(2)*6, 2*6.
  ASSERT_EQ(s.weights.size(), 4u);
  EXPECT_DOUBLE_EQ(s.weights[2][0], 6);
  EXPECT_DOUBLE_EQ(s.weights[2][1], std::sqrt(2.0) * 6);
  EXPECT_DOUBLE_EQ(s.weights[2][2], 12);
  EXPECT_DOUBLE_EQ(s.weights[3][0], 0);
  // Extremes keep the frequencies and observation numbers (rows from 1).
  EXPECT_EQ(s.low[0], 1);
  EXPECT_EQ(s.lowfreq[2], 3);
  EXPECT_EQ(s.lowobs[3], 8);
  EXPECT_TRUE(std::isnan(s.low[4]));
  EXPECT_EQ(s.high[4], 9);
  EXPECT_EQ(s.highobs[4], 8);
}

TEST_F(DatapassSums, ExclnpwgtDropsNonpositiveWeights) {
  write_csv("wt", kWeighted);
  proc_builder p = base("wt", {"x"});
  p.ints(sFreq, {var_of("f")}).ints(sWeight, {var_of("w")}).flag(kExclnpwgt);
  run_result r = run(p);
  const var_snap& s = r.groups[0].vars[""][0];
  EXPECT_DOUBLE_EQ(s.n, 5);
  EXPECT_DOUBLE_EQ(s.nobs, 7);
  EXPECT_DOUBLE_EQ(s.sum, 56);
  EXPECT_EQ(s.values.size(), 3u);
}

// Welford-style sums against a two-pass reference over awkward data: large offset,
// small spread (the naive USS - Sum^2/W loses every digit here).
TEST_F(DatapassSums, CorrectedSumOfSquaresStaysAccurate) {
  std::string csv = "x,w\n";
  std::vector<std::pair<double, double>> rows;
  for (int i = 0; i < 200; ++i) {
    const double x = 1e9 + (i % 7) * 0.125;  // exact in binary and in "%.3f"
    const double w = 1 + i % 3;
    rows.emplace_back(x, w);
    char line[64];
    std::snprintf(line, sizeof line, "%.3f,%d\n", x, static_cast<int>(w));
    csv += line;
  }
  long double ref_sum = 0, ref_w = 0;
  for (auto& [x, w] : rows) {
    ref_sum += w * static_cast<long double>(x);
    ref_w += w;
  }
  const long double mean = ref_sum / ref_w;
  long double ref_css = 0;
  for (auto& [x, w] : rows) ref_css += w * (x - mean) * (x - mean);
  write_csv("big", csv);
  proc_builder p = base("big", {"x"});
  p.ints(sWeight, {var_of("w")});
  run_result r = run(p);
  const var_snap& s = r.groups[0].vars[""][0];
  EXPECT_DOUBLE_EQ(s.sumwgt, static_cast<double>(ref_w));
  EXPECT_NEAR(s.css, static_cast<double>(ref_css), 1e-6 * static_cast<double>(ref_css));
}

TEST_F(DatapassSums, OverflowMarksTheRecordAndTheStepGoesOn) {
  write_csv("huge", "x\n1e300\n1e300\n2\n");
  proc_builder p = base("huge", {"x"});
  run_result r = run(p);
  ASSERT_EQ(r.groups.size(), 1u);
  const var_snap& s = r.groups[0].vars[""][0];
  // x*x overflows at the first value (USS, code 1); the third value's squared
  // deviation from the mean overflows the corrected sum (code 2). The sum itself
  // stays finite, and the note comes once.
  EXPECT_EQ(s.overflow, 2);
  EXPECT_DOUBLE_EQ(s.sum, 2e300 + 2);
  EXPECT_DOUBLE_EQ(s.n, 3);
  EXPECT_EQ(r.rc, 4);
  EXPECT_EQ(count_in_log("weighted sums of variable x overflow"), 1);
}

TEST_F(DatapassSums, RoundHalfToEven) {
  write_csv("r", "x\n3\n5\n7\n0.9\n.\n-3\n");
  proc_builder p = base("r", {"x"});
  p.nums(sRound, {2});
  run_result r = run(p);
  const var_snap& s = r.groups[0].vars[""][0];
  // 3 -> 4, 5 -> 4, 7 -> 8, 0.9 -> 0, -3 -> -4; the missing value stays missing.
  ASSERT_EQ(s.values.size(), 4u);
  EXPECT_EQ(s.values[0], std::make_pair(-4.0, 1));
  EXPECT_EQ(s.values[1], std::make_pair(0.0, 1));
  EXPECT_EQ(s.values[2], std::make_pair(4.0, 2));
  EXPECT_EQ(s.values[3], std::make_pair(8.0, 1));
  EXPECT_DOUBLE_EQ(s.nmiss, 1);
  EXPECT_DOUBLE_EQ(s.sum, 12);
}

TEST(DatapassRound, ValuesNearHalves) {
  bool failed = false;
  EXPECT_EQ(kes_round_value(2.5, 1, &failed), 2);
  EXPECT_EQ(kes_round_value(3.5, 1, &failed), 4);
  EXPECT_EQ(kes_round_value(-2.5, 1, &failed), -2);
  EXPECT_EQ(kes_round_value(0.5, 1, &failed), 0);
  EXPECT_EQ(kes_round_value(2.49, 1, &failed), 2);
  EXPECT_EQ(kes_round_value(2.51, 1, &failed), 3);
  EXPECT_NEAR(kes_round_value(0.35, 0.1, &failed), 0.4, 1e-15);  // 3.5 units: even 4
  EXPECT_NEAR(kes_round_value(0.25, 0.1, &failed), 0.2, 1e-15);  // 2.5 units: even 2
  EXPECT_FALSE(failed);
}

TEST(DatapassRound, OverflowGivesMissing) {
  host_gcb* saved = v_global_gcb_anchor;
  v_global_gcb_anchor = plat::anchor();
  bool failed = false;
  const double y = kes_round_value(1e300, 1e-300, &failed);
  EXPECT_TRUE(failed);
  EXPECT_TRUE(std::isnan(y));
  v_global_gcb_anchor = saved;
}

TEST_F(DatapassSums, RoundFailureIsReported) {
  write_csv("r", "x,y\n1e300,1\n2,2\n");
  proc_builder p = base("r", {"x", "y"});
  p.nums(sRound, {1e-300});
  run_result r = run(p);
  const var_snap& s = r.groups[0].vars[""][0];
  EXPECT_DOUBLE_EQ(s.nmiss, 1);
  EXPECT_EQ(count_in_log("Some values of variable x could not be rounded"), 1);
  EXPECT_EQ(count_in_log("variable y could not"), 0);
  EXPECT_EQ(r.rc, 4);
}

TEST_F(DatapassSums, ExtremeTiesAndIdValues) {
  // Six equal values: the sixth replaces the first-read one in both lists, and a
  // later equal value counts as more extreme.
  write_csv("t", "x,name,k\n5,a,1\n5,b,2\n5,c,3\n5,d,4\n5,e,5\n5,f,6\n9,g,7\n");
  proc_builder p = base("t", {"x"});
  p.ints(sId, {var_of("name"), var_of("k")}).num(sNextrobs, 5);
  run_result r = run(p);
  const var_snap& s = r.groups[0].vars[""][0];
  // Lowest: rows 6, 5, 4, 3, 2 (row 1 left when row 6 came; 9 never enters).
  EXPECT_EQ(s.lowobs, (std::vector<int>{6, 5, 4, 3, 2}));
  EXPECT_EQ(s.lowidchar, "fedcb");
  // Numeric ID values ride along slot by slot (two ID variables: the character one
  // has no numeric value).
  ASSERT_EQ(s.lowidnum.size(), 10u);
  EXPECT_EQ(s.lowidnum[1], 6);
  EXPECT_EQ(s.lowidnum[9], 2);
  // Highest: the 9 last; before it the equal 5s, later ones higher.
  EXPECT_EQ(s.high, (std::vector<double>{5, 5, 5, 5, 9}));
  EXPECT_EQ(s.highobs, (std::vector<int>{3, 4, 5, 6, 7}));
  EXPECT_EQ(s.highidchar, "cdefg");
}

TEST_F(DatapassSums, NoExtremeListsWithNextrobsZero) {
  write_csv("t", "x,name\n5,a\n6,b\n");
  proc_builder p = base("t", {"x"});
  p.ints(sId, {var_of("name")}).num(sNextrobs, 0);
  run_result r = run(p);
  const var_snap& s = r.groups[0].vars[""][0];
  EXPECT_TRUE(s.low.empty());
  EXPECT_DOUBLE_EQ(s.n, 2);
}

TEST_F(DatapassSums, ValueListsWithMissingKinds) {
  write_csv("m", "x,f\n3,1\n1,2\n3,4\n2,1\n.A,1\n.B,2\n.,3\n.A,1\n._,1\n");
  proc_builder p = base("m", {"x"});
  p.ints(sFreq, {var_of("f")});
  run_result r = run(p);
  const var_snap& s = r.groups[0].vars[""][0];
  EXPECT_EQ(s.values, (std::vector<std::pair<double, int>>{{1, 2}, {2, 1}, {3, 5}}));
  EXPECT_EQ(s.ndistinct, 3);
  // ._ < . < .A < .B, each with its own count.
  EXPECT_EQ(s.missing, (std::vector<std::pair<int, int>>{{1, 1}, {2, 3}, {3, 2}, {4, 2}}));
  EXPECT_DOUBLE_EQ(s.nmiss, 8);
}

TEST_F(DatapassSums, AllMissingVariable) {
  write_csv("m", "x,y\n.,1\n.,2\n");
  proc_builder p = base("m", {"x", "y"});
  run_result r = run(p);
  const var_snap& s = r.groups[0].vars[""][0];
  EXPECT_DOUBLE_EQ(s.n, 0);
  EXPECT_DOUBLE_EQ(s.sum, 0);
  EXPECT_TRUE(std::isnan(s.low[0]) && std::isnan(s.high[4]));
  EXPECT_TRUE(s.values.empty());
}

}  // namespace
}  // namespace dp_test

namespace dp_test {
namespace {

// Two observations of one value whose frequencies add up beyond the int range: the
// count is checked before it is added, never after a wrap-around.
TEST_F(DatapassSums, ValueCountBeyondTheIntRangeEndsThePass) {
  write_csv("c", "x,f\n1,2000000000\n1,2000000000\n");
  proc_builder p = base("c", {"x"});
  p.ints(sFreq, {var_of("f")});
  run_result r = run(p);
  EXPECT_TRUE(r.ended);
  EXPECT_EQ(r.rc, 108);
  EXPECT_EQ(count_in_log("frequency count of variable x for the value 1 exceeds 2147483647"), 1);
}

}  // namespace
}  // namespace dp_test
