// Every OUTPUT keyword written and read back against the statistics record it comes
// from: the five groups, the labels, the matching of names with analysis variables,
// and the values of several variables gathered into one observation.
#include "output_test_support.h"

namespace {

using out_test::bits;
using out_test::keyword;
using out_test::output_fixture;

using OutputKeywords = output_fixture;

// The 45 keywords in slot order, as they are spelled in the statement.
const char* const kKeywords[45] = {
    "N",    "MEAN",   "STD",   "SKEWNESS", "USS",   "CV",    "SUMWGT",     "SUM",      "VAR",     "KURTOSIS",
    "CSS",  "STDMEAN", "NMISS", "NOBS",    "MAX",   "P99",   "P95",        "P90",      "Q3",      "MEDIAN",
    "Q1",   "P10",    "P5",    "P1",       "MIN",   "RANGE", "QRANGE",     "MODE",     "T",       "MSIGN",
    "SIGNRANK", "PROBT", "PROBM", "PROBS", "NORMAL", "PROBN", "GINI",      "MAD",      "SN",      "QN",
    "STD_QRANGE", "STD_GINI", "STD_MAD", "STD_SN", "STD_QN"};

// Where each keyword's value lies in the statistics record, written independently
// of the module's table: the block's field and cell.
double expected(const kes_stats& st, int slot) {
  if (slot <= 18) return st.mom.v[slot - 5];
  if (slot <= 32) return st.qnt[slot - 19];
  switch (slot) {
    case 33: return st.loc.v[KES_LOC_T];
    case 34: return st.loc.v[KES_LOC_M];
    case 35: return st.loc.v[KES_LOC_S];
    case 36: return st.loc.v[KES_LOC_PT];
    case 37: return st.loc.v[KES_LOC_PM];
    case 38: return st.loc.v[KES_LOC_PS];
    case 39: return st.nrm.out_stat;
    case 40: return st.nrm.out_prob;
    default: break;
  }
  static const int robust[9] = {KES_SCL_GINI,       KES_SCL_MAD,     KES_SCL_SN,     KES_SCL_QN,    KES_SCL_STD_QRANGE,
                                KES_SCL_STD_GINI,   KES_SCL_STD_MAD, KES_SCL_STD_SN, KES_SCL_STD_QN};
  return st.scl[robust[slot - 41]];
}

TEST_F(OutputKeywords, EveryKeywordReadsBackItsStatisticBitForBit) {
  input("in", "x\n1\n2\n", {"x"});
  std::vector<keyword> kw;
  for (int k = 5; k <= 49; ++k) kw.push_back({k, {std::string("o_") + kKeywords[k - 5]}});
  kes_stmt* s = output("stats", kw);
  ASSERT_EQ(setup(), 0) << log();
  ASSERT_TRUE(ctx->output_present);
  ASSERT_EQ(ctx->noutvals, 45);
  fill(ctx->stats, 10);
  ctx->curvar = 0;
  kesouts(ctx, ctx->stats, ctx->outvals);
  ASSERT_EQ(kesout(ctx, KES_OUTPUT_LAST_SLOT), 0);
  ASSERT_EQ(close(s), 0);

  plat::dataset* ds = back("stats");
  ASSERT_NE(ds, nullptr);
  ASSERT_EQ(plat::observation_count(ds), 1);
  ASSERT_EQ(plat::variables(ds).size(), 45u);
  for (int k = 5; k <= 49; ++k) {
    const std::string name = std::string("o_") + kKeywords[k - 5];
    EXPECT_EQ(plat::variables(ds)[k - 5].name, name);
    EXPECT_EQ(bits(value(ds, name, 0)), bits(expected(*ctx->stats, k))) << name;
  }
  EXPECT_NE(log().find("NOTE: The OUTPUT statement writes the data set WORK.stats."), std::string::npos) << log();
  EXPECT_EQ(plat::catalogue_missing_count(), 0);
}

TEST_F(OutputKeywords, LabelsNameTheStatistic) {
  input("in", "x\n1\n", {"x"});
  kes_stmt* s = output("lab", {{6, {"m"}}, {7, {"s"}}, {44, {"qn"}}, {24, {"med"}}, {40, {"pn"}}});
  ASSERT_EQ(setup(), 0) << log();
  ASSERT_EQ(kesout(ctx, 49), 0);
  ASSERT_EQ(close(s), 0);
  plat::dataset* ds = back("lab");
  EXPECT_EQ(label(ds, "m"), "Mean");
  EXPECT_EQ(label(ds, "s"), "Standard Deviation");
  EXPECT_EQ(label(ds, "qn"), "Qn");
  EXPECT_EQ(label(ds, "med"), "Median");
  EXPECT_EQ(label(ds, "pn"), "p-Value of the Normality Test");
  // Slot order, not statement order, decides the column order.
  EXPECT_EQ(names_of(ds), (std::vector<std::string>{"m", "s", "med", "pn", "qn"}));
}

TEST_F(OutputKeywords, NamesMatchAnalysisVariablesInVarOrder) {
  input("in", "a,b,c\n1,2,3\n", {"a", "b", "c"});
  // MEAN= names two of three variables; STD= names four (the last is ignored).
  kes_stmt* s = output("m", {{6, {"ma", "mb"}}, {7, {"sa", "sb", "sc", "sd"}}});
  ASSERT_EQ(setup(), 0) << log();
  EXPECT_EQ(ctx->noutvals, 5);
  for (int v = 0; v < 3; ++v) {
    fill(ctx->stats, 1000.0 * (v + 1));
    ctx->curvar = v;
    kesouts(ctx, ctx->stats, ctx->outvals);
  }
  ASSERT_EQ(kesout(ctx, 49), 0);
  ASSERT_EQ(close(s), 0);
  plat::dataset* ds = back("m");
  EXPECT_EQ(names_of(ds), (std::vector<std::string>{"ma", "mb", "sa", "sb", "sc"}));
  EXPECT_EQ(value(ds, "ma", 0), 1000 + 1 / 7.0);
  EXPECT_EQ(value(ds, "mb", 0), 2000 + 1 / 7.0);
  EXPECT_EQ(value(ds, "sa", 0), 1000 + 2 / 7.0);
  EXPECT_EQ(value(ds, "sb", 0), 2000 + 2 / 7.0);
  EXPECT_EQ(value(ds, "sc", 0), 3000 + 2 / 7.0);
}

TEST_F(OutputKeywords, ValuesOfVariablesNotYetComputedStayMissing) {
  input("in", "a,b\n1,2\n", {"a", "b"});
  output("m", {{6, {"ma", "mb"}}});
  ASSERT_EQ(setup(), 0);
  fill(ctx->stats, 5);
  ctx->curvar = 1;
  kesouts(ctx, ctx->stats, ctx->outvals);
  EXPECT_TRUE(std::isnan(ctx->outvals[0]));
  EXPECT_EQ(bits(ctx->outvals[0]), HOST_MISSING_STD_BITS);
  EXPECT_EQ(ctx->outvals[1], 5 + 1 / 7.0);
}

TEST_F(OutputKeywords, SeveralStatementsShareOneValueArray) {
  input("in", "a,b\n1,2\n", {"a", "b"});
  kes_stmt* s1 = output("one", {{6, {"m1", "m2"}}, {5, {"n1"}}});
  kes_stmt* s2 = output("two", {{29, {"lo1", "lo2"}}, {19, {"hi2"}}});
  ASSERT_EQ(setup(), 0) << log();
  ASSERT_EQ(ctx->noutvals, 6);
  for (int v = 0; v < 2; ++v) {
    fill(ctx->stats, 10.0 * (v + 1));
    ctx->curvar = v;
    kesouts(ctx, ctx->stats, ctx->outvals);
  }
  // Statement one: N= (slot 5) before MEAN= (slot 6); then statement two: MAX= (19),
  // MIN= (29).
  EXPECT_EQ(ctx->outvals[0], 10);                  // n1: N of a
  EXPECT_EQ(ctx->outvals[1], 10 + 1 / 7.0);        // m1
  EXPECT_EQ(ctx->outvals[2], 20 + 1 / 7.0);        // m2
  EXPECT_EQ(ctx->outvals[3], 110);                 // hi2: the first MAX= name belongs to a
  EXPECT_EQ(ctx->outvals[4], 110 + 10 / 7.0);      // lo1: MIN of a
  EXPECT_EQ(ctx->outvals[5], 120 + 10 / 7.0);      // lo2: MIN of b
  ASSERT_EQ(kesout(ctx, 49), 0);
  ASSERT_EQ(kesout(ctx, 49), 0);
  ASSERT_EQ(close(s1), 0);
  ASSERT_EQ(close(s2), 0);
  plat::dataset* one = back("one");
  plat::dataset* two = back("two");
  EXPECT_EQ(plat::observation_count(one), 2);
  EXPECT_EQ(plat::observation_count(two), 2);
  EXPECT_EQ(names_of(two), (std::vector<std::string>{"hi2", "lo1", "lo2"}));
  EXPECT_EQ(value(two, "lo2", 1), 120 + 10 / 7.0);
}

TEST_F(OutputKeywords, StatisticsRecordMissingKindsRoundTrip) {
  input("in", "x\n1\n", {"x"});
  kes_stmt* s = output("miss", {{6, {"m"}}, {7, {"s"}}, {8, {"k"}}, {9, {"u"}}});
  ASSERT_EQ(setup(), 0);
  ctx->stats->mom.v[KES_MOM_MEAN] = host_missing_of_kind(HOST_MISS_A);
  ctx->stats->mom.v[KES_MOM_STD] = host_missing_of_kind(HOST_MISS_UNDERSCORE);
  ctx->stats->mom.v[KES_MOM_SKEW] = host_missing_of_kind(HOST_MISS_Z);
  ctx->stats->mom.v[KES_MOM_USS] = -0.0;
  kesouts(ctx, ctx->stats, ctx->outvals);
  ASSERT_EQ(kesout(ctx, 49), 0);
  ASSERT_EQ(close(s), 0);
  EXPECT_EQ(out_test::slurp(work() / "miss.csv"), "m,s,k,u\n.A,._,.Z,-0\n");
  plat::dataset* ds = back("miss");
  EXPECT_EQ(bits(value(ds, "m", 0)), bits(host_missing_of_kind(HOST_MISS_A)));
  EXPECT_EQ(bits(value(ds, "s", 0)), bits(host_missing_of_kind(HOST_MISS_UNDERSCORE)));
  EXPECT_EQ(bits(value(ds, "k", 0)), bits(host_missing_of_kind(HOST_MISS_Z)));
  EXPECT_EQ(bits(value(ds, "u", 0)), bits(-0.0));
}

TEST_F(OutputKeywords, ResultAreaSizesAreTheKeywordGroups) {
  input("in", "x\n1\n", {"x"});
  ASSERT_EQ(setup(), 0);
  EXPECT_EQ(std::vector<int>(ctx->result_counts, ctx->result_counts + 5), (std::vector<int>{14, 14, 6, 2, 9}));
  EXPECT_FALSE(ctx->output_present);  // no OUTPUT statement
  EXPECT_EQ(ctx->noutvals, 0);
}

}  // namespace
