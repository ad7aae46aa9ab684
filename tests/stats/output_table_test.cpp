// The OUTTABLE data set: its variables, their order, lengths and labels, the values
// bound to the current variable, cell and statistics record, and what happens when
// the data set cannot be defined.
#include "output_test_support.h"

#include "driver/kes_text.h"

namespace {

using out_test::bits;
using out_test::output_fixture;

class OutTable : public output_fixture {
 protected:
  // Opens OUTTABLE=WORK.member as the parser would and defines it.
  host_access* define(const std::string& member) {
    std::string err;
    plat::dataset* ds = plat::open_output("", member, &err);
    EXPECT_NE(ds, nullptr) << err;
    ctx->outtable_opt = ds != nullptr ? plat::handle(ds) : nullptr;
    ctx->outtable = kesotab(ctx, 0);
    if (ctx->outtable != nullptr) {
      EXPECT_EQ(xvpute(ctx->outtable), 0);
    }
    return ctx->outtable;
  }
  // The driver's part for variable v: its name and label in the context.
  void current(int v, const std::string& label = "") {
    ctx->curvar = v;
    ctx->curname = ctx->varnames[v];
    std::memset(ctx->curlabel, ' ', sizeof ctx->curlabel);
    std::memcpy(ctx->curlabel, label.data(), label.size());
    ctx->curlabel_len = static_cast<std::uint16_t>(label.size());
  }
};

const std::vector<std::string> kStatNames = {
    "_NOBS_", "_NMISS_", "_SUMWGT_", "_SUM_", "_MEAN_", "_STD_",   "_VARI_",   "_SKEW_", "_KURT_",
    "_MIN_",  "_P1_",    "_P5_",     "_P10_", "_Q1_",   "_MEDIAN_", "_Q3_",    "_P90_",  "_P95_",
    "_P99_",  "_MAX_",   "_RANGE_",  "_QRANGE_", "_MODE_", "_SGNRNK_"};

TEST_F(OutTable, VariablesValuesAndLabelsWithoutAnyVariableLabel) {
  input("in", "h,w\n1,2\n", {"h", "w"});
  ASSERT_NE(define("tab"), nullptr) << log();
  for (int v = 0; v < 2; ++v) {
    current(v);
    fill(ctx->stats, 1000.0 * (v + 1));
    kesotab_put(ctx);
  }
  ASSERT_EQ(xvputt(ctx->outtable), 0);
  plat::dataset* ds = back("tab");
  std::vector<std::string> want = {"_VAR_"};
  want.insert(want.end(), kStatNames.begin(), kStatNames.end());
  EXPECT_EQ(names_of(ds), want);  // no _LABEL_: no analysis variable has a label
  EXPECT_EQ(plat::variables(ds)[0].length, 8);  // at least 8 although the names are short
  EXPECT_EQ(text(ds, "_VAR_", 0), "h");
  EXPECT_EQ(text(ds, "_VAR_", 1), "w");
  // Against the statistics record, cell by cell (block offsets written out here).
  for (int row = 0; row < 2; ++row) {
    const double b = 1000.0 * (row + 1);
    EXPECT_EQ(value(ds, "_NOBS_", row), b + int{KES_MOM_N} / 7.0);
    EXPECT_EQ(value(ds, "_NMISS_", row), b + int{KES_MOM_NMISS} / 7.0);
    EXPECT_EQ(value(ds, "_SUMWGT_", row), b + int{KES_MOM_SUMWGT} / 7.0);
    EXPECT_EQ(value(ds, "_SUM_", row), b + int{KES_MOM_SUM} / 7.0);
    EXPECT_EQ(value(ds, "_MEAN_", row), b + int{KES_MOM_MEAN} / 7.0);
    EXPECT_EQ(value(ds, "_STD_", row), b + int{KES_MOM_STD} / 7.0);
    EXPECT_EQ(value(ds, "_VARI_", row), b + int{KES_MOM_VAR} / 7.0);
    EXPECT_EQ(value(ds, "_SKEW_", row), b + int{KES_MOM_SKEW} / 7.0);
    EXPECT_EQ(value(ds, "_KURT_", row), b + int{KES_MOM_KURT} / 7.0);
    EXPECT_EQ(value(ds, "_MIN_", row), b + 100 + int{KES_Q_MIN} / 7.0);
    EXPECT_EQ(value(ds, "_P1_", row), b + 100 + int{KES_Q_P1} / 7.0);
    EXPECT_EQ(value(ds, "_P5_", row), b + 100 + int{KES_Q_P5} / 7.0);
    EXPECT_EQ(value(ds, "_P10_", row), b + 100 + int{KES_Q_P10} / 7.0);
    EXPECT_EQ(value(ds, "_Q1_", row), b + 100 + int{KES_Q_Q1} / 7.0);
    EXPECT_EQ(value(ds, "_MEDIAN_", row), b + 100 + int{KES_Q_MEDIAN} / 7.0);
    EXPECT_EQ(value(ds, "_Q3_", row), b + 100 + int{KES_Q_Q3} / 7.0);
    EXPECT_EQ(value(ds, "_P90_", row), b + 100 + int{KES_Q_P90} / 7.0);
    EXPECT_EQ(value(ds, "_P95_", row), b + 100 + int{KES_Q_P95} / 7.0);
    EXPECT_EQ(value(ds, "_P99_", row), b + 100 + int{KES_Q_P99} / 7.0);
    EXPECT_EQ(value(ds, "_MAX_", row), b + 100 + int{KES_Q_MAX} / 7.0);
    EXPECT_EQ(value(ds, "_RANGE_", row), b + 100 + int{KES_Q_RANGE} / 7.0);
    EXPECT_EQ(value(ds, "_QRANGE_", row), b + 100 + int{KES_Q_QRANGE} / 7.0);
    EXPECT_EQ(value(ds, "_MODE_", row), b + 100 + int{KES_Q_MODE} / 7.0);
    EXPECT_EQ(value(ds, "_SGNRNK_", row), b + 200 + int{KES_LOC_S} / 7.0);
  }
  EXPECT_EQ(label(ds, "_VAR_"), "Variable");
  EXPECT_EQ(label(ds, "_VARI_"), "Variance");
  EXPECT_EQ(label(ds, "_SGNRNK_"), "Signed Rank Statistic");
  EXPECT_EQ(label(ds, "_Q1_"), "Lower Quartile");
  EXPECT_NE(log().find("The data set WORK.tab has 2 observations and 25 variables"), std::string::npos) << log();
  EXPECT_EQ(plat::catalogue_missing_count(), 0);
}

TEST_F(OutTable, LabelVariableWhenSomeVariableHasALabel) {
  // The metadata file gives the input variable a label.
  write_file("in.csv.meta",
             "kestravine data set metadata 1\n"
             "var\tshortnm\tnum\t8\t\t\n"
             "var\taverylongvariablename\tnum\t8\t\tA label that is longer than forty characters, cut\n");
  input("in", "shortnm,averylongvariablename\n1,2\n", {"shortnm", "averylongvariablename"});
  ASSERT_NE(define("tab"), nullptr) << log();
  current(0);
  kesotab_put(ctx);
  current(1, "A label that is longer than forty characters, cut");
  kesotab_put(ctx);
  ASSERT_EQ(xvputt(ctx->outtable), 0);
  plat::dataset* ds = back("tab");
  ASSERT_GE(plat::variables(ds).size(), 2u);
  EXPECT_EQ(plat::variables(ds)[1].name, "_LABEL_");
  EXPECT_EQ(plat::variables(ds)[1].length, 40);
  EXPECT_EQ(plat::variables(ds)[0].length, 21);  // the longest name
  EXPECT_EQ(label(ds, "_LABEL_"), "Variable Label");
  EXPECT_EQ(text(ds, "_LABEL_", 0), "");
  EXPECT_EQ(text(ds, "_LABEL_", 1), "A label that is longer than forty charac");
  EXPECT_EQ(text(ds, "_VAR_", 1), "averylongvariablename");
  EXPECT_NE(log().find("has 2 observations and 26 variables"), std::string::npos) << log();
}

TEST_F(OutTable, ByAndClassVariablesComeFirstWithTheCurrentLevels) {
  input("in", "g,band,site,x\n1,10,n,5\n2,20,s,6\n", {"x"}, {"g"}, {"band", "site"});
  ASSERT_NE(define("tab"), nullptr) << log();
  ASSERT_EQ(plat_xbynext(ctx->data), 1);
  current(0);
  level(0, "", 10);
  level(1, "n");
  kesotab_put(ctx);
  ASSERT_EQ(plat_xbynext(ctx->data), 1);
  level(0, "", 20);
  level(1, "s");
  kesotab_put(ctx);
  ASSERT_EQ(xvputt(ctx->outtable), 0);
  plat::dataset* ds = back("tab");
  const auto names = names_of(ds);
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
            (std::vector<std::string>{"g", "band", "site", "_VAR_"}));
  EXPECT_EQ(value(ds, "g", 0), 1);
  EXPECT_EQ(value(ds, "band", 0), 10);
  EXPECT_EQ(text(ds, "site", 0), "n");
  EXPECT_EQ(value(ds, "g", 1), 2);
  EXPECT_EQ(value(ds, "band", 1), 20);
  EXPECT_EQ(text(ds, "site", 1), "s");
  EXPECT_EQ(names.size(), 28u);
}

TEST_F(OutTable, NotComputedVariablesGetMissingValues) {
  input("in", "x\n1\n", {"x"});
  ASSERT_NE(define("tab"), nullptr);
  current(0);
  // What the computation presets before the statistics (or instead of them).
  const double miss = host_missing_of_kind(HOST_MISS_STD);
  vzfdl(miss, ctx->stats->mom.v, KES_MOM_NCELLS);
  vzfdl(miss, ctx->stats->qnt, KES_Q_NCELLS);
  vzfdl(miss, ctx->stats->loc.v, KES_LOC_NCELLS);
  kesotab_put(ctx);
  ASSERT_EQ(xvputt(ctx->outtable), 0);
  plat::dataset* ds = back("tab");
  for (const std::string& n : kStatNames) EXPECT_EQ(bits(value(ds, n, 0)), HOST_MISSING_STD_BITS) << n;
}

TEST_F(OutTable, ADataSetThatCannotBeDefinedIsReportedAndWritesNothing) {
  // A BY variable named like a statistic makes the definitions fail.
  input("in", "_MEAN_,x\n1,5\n", {"x"}, {"_MEAN_"});
  EXPECT_EQ(define("tab"), nullptr);
  EXPECT_GE(ctx->rc, 2000);
  const std::string l = log();
  EXPECT_NE(l.find("ERROR: The OUTTABLE= data set WORK.tab cannot be defined; no OUTTABLE observations are written."),
            std::string::npos)
      << l;
  // Writing is a no-op without a handle, and no file appears.
  current(0);
  kesotab_put(ctx);
  plat::finish_step();
  EXPECT_FALSE(std::filesystem::exists(work() / "tab.csv"));
}

TEST_F(OutTable, AnEarlierFileSurvivesAFailedDefinition) {
  write_file("tab.csv", "old\n1\n");
  input("in", "_VAR_,x\n1,5\n", {"x"}, {}, {"_VAR_"});
  EXPECT_EQ(define("tab"), nullptr);
  plat::finish_step();
  EXPECT_EQ(out_test::slurp(work() / "tab.csv"), "old\n1\n");
}

}  // namespace
