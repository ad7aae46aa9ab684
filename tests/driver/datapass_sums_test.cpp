// First-pass weight sums the listing does not show, and ROUND= near halves.
#include <cmath>

#include "runner/host_table.h"
#include "datapass_test_support.h"
#include "datapass/obs_sums.h"
#include "host/host_missing.h"

namespace dp_test {
namespace {

enum { sVar = 1, sWeight = 2, sFreq = 3, sData = 6 };
constexpr int kNoprint = 1;

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

// What the listing does not show: the pass total and the weight sums of a value. The
// counts, sums, extremes and value lists of these rows, and of ROUND=, ID values, missing
// kinds and overflows, are the example program datapass_sums.
TEST_F(DatapassSums, PassTotalAndWeightSumsOfAValue) {
  write_csv("wt", kWeighted);
  proc_builder p = base("wt", {"x"});
  p.ints(sFreq, {var_of("f")}).ints(sWeight, {var_of("w")});
  run_result r = run(p);
  ASSERT_EQ(r.exit_code, -1);
  ASSERT_EQ(r.groups.size(), 1u);
  const var_snap& s = r.groups[0].vars[""][0];
  // The pass total counts every frequency that passed the FREQ check: 1+1+3+2+0+1+2.
  EXPECT_DOUBLE_EQ(s.pass_total, 10);
  // Weight sums of 7 (clamped weight 2, frequency 3): 6, sqrt(c) w = 6 sqrt(2) and
  // c w = 12.
  ASSERT_EQ(s.weights.size(), 4u);
  EXPECT_DOUBLE_EQ(s.weights[2][0], 6);
  EXPECT_DOUBLE_EQ(s.weights[2][1], 6 * std::sqrt(2.0));
  EXPECT_DOUBLE_EQ(s.weights[2][2], 12);
  EXPECT_DOUBLE_EQ(s.weights[3][0], 0);
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

}  // namespace
}  // namespace dp_test
