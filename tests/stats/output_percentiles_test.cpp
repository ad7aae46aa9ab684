// PCTLPTS= percentiles: the texts that name them, PCTLNAME= names, the name-length
// limit, the fractions and ranks handed to the statistics, and the results that come
// back into each prefix's variables.
#include "output_test_support.h"

namespace {

using out_test::bits;
using out_test::output_fixture;

std::string pctl(double p, bool dot = false) {
  char buf[40];
  kes_pctl_text(p, buf, sizeof buf, dot);
  return buf;
}

TEST(PercentileText, WholeOneAndTwoDecimalPoints) {
  EXPECT_EQ(pctl(95), "95");
  EXPECT_EQ(pctl(97.5), "97_5");
  EXPECT_EQ(pctl(99.95), "99_95");
  EXPECT_EQ(pctl(2.5), "2_5");
  EXPECT_EQ(pctl(0), "0");
  EXPECT_EQ(pctl(100), "100");
  EXPECT_EQ(pctl(0.1), "0_1");
  EXPECT_EQ(pctl(33.33), "33_33");
  EXPECT_EQ(pctl(97.5, true), "97.5");
}

TEST(PercentileText, RepresentationErrorDoesNotChangeTheText) {
  // 0.1 + 0.2 is 0.30000000000000004; 12.7 - 0.2 is 12.499999999999998.
  EXPECT_EQ(pctl((0.1 + 0.2) * 100), "30");
  EXPECT_EQ(pctl(12.7 - 0.2), "12_5");
  EXPECT_EQ(pctl(std::nextafter(50.0, 0.0)), "50");
  EXPECT_EQ(pctl(std::nextafter(50.0, 100.0)), "50");
}

TEST(PercentileText, ThirdDecimalIsCutNotRounded) {
  // Hundredths are truncated: 12.345 is named by 12.34.
  EXPECT_EQ(pctl(12.345), "12_34");
  EXPECT_EQ(pctl(0.001), "0_00");
}

using OutputPercentiles = output_fixture;

TEST_F(OutputPercentiles, NamesFromPrefixAndPointText) {
  input("in", "x,y\n1,2\n", {"x", "y"});
  kes_stmt* s = output("p", {{6, {"m"}}}, {2.5, 97.5, 99.95, 50}, {"P", "Q_"});
  ASSERT_EQ(setup(), 0) << log();
  ASSERT_EQ(ctx->noutvals, 1 + 2 * 4);
  ASSERT_EQ(kesout(ctx, 49), 0);
  ASSERT_EQ(close(s), 0);
  plat::dataset* ds = back("p");
  EXPECT_EQ(names_of(ds), (std::vector<std::string>{"m", "P2_5", "P97_5", "P99_95", "P50", "Q_2_5", "Q_97_5",
                                                    "Q_99_95", "Q_50"}));
  EXPECT_EQ(label(ds, "P97_5"), "97.5 Percentile");
  EXPECT_EQ(label(ds, "Q_50"), "50 Percentile");
}

TEST_F(OutputPercentiles, PctlnameReplacesTheTextOfTheFirstPoints) {
  input("in", "x\n1\n", {"x"});
  kes_stmt* s = output("p", {}, {2.5, 97.5, 99.95}, {"p_"}, {"lo", "hi"});
  ASSERT_EQ(setup(), 0) << log();
  ASSERT_EQ(kesout(ctx, 49), 0);
  ASSERT_EQ(close(s), 0);
  plat::dataset* ds = back("p");
  // The third point has no PCTLNAME= name: its text is used.
  EXPECT_EQ(names_of(ds), (std::vector<std::string>{"p_lo", "p_hi", "p_99_95"}));
}

TEST_F(OutputPercentiles, LongNamesAreCutTo31Characters) {
  input("in", "x\n1\n", {"x"});
  const std::string prefix(30, 'A');  // 30 characters, then "97_5" does not fit
  kes_stmt* s = output("p", {}, {97.5, 5}, {prefix});
  ASSERT_EQ(setup(), 0) << log();
  ASSERT_EQ(kesout(ctx, 49), 0);
  ASSERT_EQ(close(s), 0);
  plat::dataset* ds = back("p");
  EXPECT_EQ(names_of(ds), (std::vector<std::string>{prefix + "9", prefix + "5"}));
}

TEST_F(OutputPercentiles, NamesThatCollideEndTheStepWithAMessage) {
  input("in", "x\n1\n", {"x"});
  // Both points are cut to the same 31-character name.
  output("p", {}, {97.5, 97.25}, {std::string(30, 'B')});
  EXPECT_EQ(setup(), 2000);
  EXPECT_TRUE(exited());
  const std::string l = log();
  EXPECT_NE(l.find("ERROR: The variables of the OUTPUT data set WORK.p cannot be defined; the step ends."),
            std::string::npos)
      << l;
}

TEST_F(OutputPercentiles, PointsBecomeFractionsRankedAcrossStatements) {
  input("in", "x\n1\n", {"x"});
  output("a", {}, {90, 10, 50}, {"a"});
  output("b", {}, {2.5, 99}, {"b"});
  ASSERT_EQ(setup(), 0) << log();
  const kes_stats& st = *ctx->stats;
  ASSERT_EQ(st.npctlpts, 5);
  // In statement order, as fractions.
  const double want[5] = {0.9, 0.1, 0.5, 0.025, 0.99};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(st.pctlpts_prob[i], want[i]) << i;
  // The index walks them in ascending order.
  std::vector<int> idx(st.pctlpts_index, st.pctlpts_index + 5);
  EXPECT_EQ(idx, (std::vector<int>{3, 1, 2, 0, 4}));
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(std::isnan(st.pctlpts_result[i]));
}

TEST_F(OutputPercentiles, ResultsGoToTheCurrentVariablesPrefixOnly) {
  input("in", "x,y,z\n1,2,3\n", {"x", "y", "z"});
  // Two prefixes for three variables: z gets no percentiles.
  kes_stmt* s1 = output("a", {{6, {"mx", "my", "mz"}}}, {10, 90}, {"px", "py"});
  kes_stmt* s2 = output("b", {}, {50}, {"qx", "qy", "qz"});
  ASSERT_EQ(setup(), 0) << log();
  ASSERT_EQ(ctx->noutvals, 3 + 2 * 2 + 3 * 1);
  kes_stats& st = *ctx->stats;
  for (int v = 0; v < 3; ++v) {
    fill(&st, 100.0 * v);
    // The statistics store each point's result at the point's own place.
    for (int j = 0; j < st.npctlpts; ++j) st.pctlpts_result[j] = 100.0 * v + st.pctlpts_prob[j];
    ctx->curvar = v;
    kesouts(ctx, &st, ctx->outvals);
  }
  ASSERT_EQ(kesout(ctx, 49), 0);
  ASSERT_EQ(close(s1), 0);
  ASSERT_EQ(close(s2), 0);
  plat::dataset* a = back("a");
  EXPECT_EQ(names_of(a), (std::vector<std::string>{"mx", "my", "mz", "px10", "px90", "py10", "py90"}));
  EXPECT_EQ(value(a, "px10", 0), 0.1);
  EXPECT_EQ(value(a, "px90", 0), 0.9);
  EXPECT_EQ(value(a, "py10", 0), 100.1);
  EXPECT_EQ(value(a, "py90", 0), 100.9);
  EXPECT_EQ(value(a, "mz", 0), 200 + 1 / 7.0);
  plat::dataset* b = back("b");
  EXPECT_EQ(value(b, "qx50", 0), 0.5);
  EXPECT_EQ(value(b, "qy50", 0), 100.5);
  EXPECT_EQ(value(b, "qz50", 0), 200.5);
}

TEST_F(OutputPercentiles, MissingPercentilesStayMissing) {
  input("in", "x\n1\n", {"x"});
  kes_stmt* s = output("a", {}, {25, 75}, {"p"});
  ASSERT_EQ(setup(), 0);
  ctx->stats->pctlpts_result[0] = host_missing_of_kind(HOST_MISS_STD);
  ctx->stats->pctlpts_result[1] = 4.5;
  kesouts(ctx, ctx->stats, ctx->outvals);
  ASSERT_EQ(kesout(ctx, 49), 0);
  ASSERT_EQ(close(s), 0);
  EXPECT_EQ(out_test::slurp(work() / "a.csv"), "p25,p75\n.,4.5\n");
}

}  // namespace
