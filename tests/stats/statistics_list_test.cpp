// The statistics list read from every side: each statistic shows the same number in
// an OUTPUT variable, an OUTTABLE column and an inset row, and each slot, column and
// code reaches a cell of its own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <set>
#include <string>

#include "driver/kescomp.h"
#include "inset/inset_build.h"
#include "inset/kes_inset.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "stats/kes_stats.h"
#include "stats/output_layout.h"
#include "stats/statistics.h"

namespace {

// A statistics record whose every cell holds its own number, its summary kept as the
// step keeps it, and the data pass's sums of the variable set to what the moments
// say of them.
struct kept_record {
  kes_stats st;
  double summary[KES_SUMMARY_DOUBLES];
  kes_varsum rec;
  kes_ctx ctx;
  kes_cell cell;
};

kept_record* kept() {
  static kept_record k;
  std::memset(static_cast<void*>(&k), 0, sizeof k);
  for (int i = 0; i < KES_MOM_NCELLS; ++i) k.st.mom.v[i] = 100 + i;
  for (int i = 0; i < KES_Q_NCELLS; ++i) k.st.qnt[i] = 200 + i;
  for (int i = 0; i < KES_SCL_NCELLS; ++i) k.st.scl[i] = 300 + i;
  for (int i = 0; i < KES_LOC_NCELLS; ++i) k.st.loc.v[i] = 400 + i;
  k.st.nrm.w = 501;
  k.st.nrm.pw = 502;
  k.st.nrm.out_stat = 503;
  k.st.nrm.out_prob = 504;
  k.rec.summary = k.summary;
  kessave(&k.st, &k.rec);
  k.rec.n = k.st.mom.v[KES_MOM_N];
  k.rec.sumwgt = k.st.mom.v[KES_MOM_SUMWGT];
  k.rec.sum = k.st.mom.v[KES_MOM_SUM];
  k.rec.uss = k.st.mom.v[KES_MOM_USS];
  k.rec.css = k.st.mom.v[KES_MOM_CSS];
  k.rec.nobs = k.st.mom.v[KES_MOM_NOBS];
  k.rec.nmiss = k.st.mom.v[KES_MOM_NMISS];
  k.ctx.curvar = 0;
  k.cell.varsums = &k.rec;
  return &k;
}

TEST(StatisticsList, EachOutputSlotReadsACellOfItsOwn) {
  kept_record* k = kept();
  std::set<double> seen;
  for (int slot = KES_OUT_SLOT_FIRST; slot <= KES_OUT_SLOT_LAST; ++slot) {
    EXPECT_NE(kes_out_label_msg(slot), 0) << "slot " << slot;
    EXPECT_TRUE(seen.insert(kes_out_stat(&k->st, slot)).second) << "slot " << slot << " repeats a cell";
  }
  EXPECT_EQ(kes_out_label_msg(KES_OUT_SLOT_LAST + 1), 0);
  EXPECT_EQ(kes_out_label_msg(KES_OUT_SLOT_FIRST - 1), 0);
}

TEST(StatisticsList, AnInsetShowsWhatOutputWrites) {
  kept_record* k = kept();
  for (const kes_stat_row& r : KES_STAT_ROWS) {
    if (r.out_slot == 0 || r.in_code < 0) continue;
    const double out = kes_out_stat(&k->st, r.out_slot);
    const double in = kes_inset_stat(&k->ctx, &k->cell, r.in_code);
    const std::string name = r.name;
    // OUTPUT writes the first normality test the step ran; the inset names W.
    if (name == "NORMAL") {
      EXPECT_EQ(out, 503);
      EXPECT_EQ(in, 501);
    } else if (name == "PROBN") {
      EXPECT_EQ(out, 504);
      EXPECT_EQ(in, 502);
    } else {
      EXPECT_EQ(in, out) << name << " (inset code " << r.in_code << ", OUTPUT slot " << r.out_slot << ")";
    }
  }
}

// The OUTTABLE statistics in data set order, each with the OUTPUT keyword whose value
// and label it carries.
TEST(StatisticsList, OuttableColumnsCarryTheirStatistics) {
  const struct {
    const char* column;
    int slot;
  } kColumns[] = {
      {"_NOBS_", KES_OUTPUT_SLOT_N},        {"_NMISS_", KES_OUTPUT_SLOT_NMISS},   {"_SUMWGT_", KES_OUTPUT_SLOT_SUMWGT},
      {"_SUM_", KES_OUTPUT_SLOT_SUM},       {"_MEAN_", KES_OUTPUT_SLOT_MEAN},     {"_STD_", KES_OUTPUT_SLOT_STD},
      {"_VARI_", KES_OUTPUT_SLOT_VAR},      {"_SKEW_", KES_OUTPUT_SLOT_SKEWNESS}, {"_KURT_", KES_OUTPUT_SLOT_KURTOSIS},
      {"_MIN_", KES_OUTPUT_SLOT_MIN},       {"_P1_", KES_OUTPUT_SLOT_P1},         {"_P5_", KES_OUTPUT_SLOT_P5},
      {"_P10_", KES_OUTPUT_SLOT_P10},       {"_Q1_", KES_OUTPUT_SLOT_Q1},         {"_MEDIAN_", KES_OUTPUT_SLOT_MEDIAN},
      {"_Q3_", KES_OUTPUT_SLOT_Q3},         {"_P90_", KES_OUTPUT_SLOT_P90},       {"_P95_", KES_OUTPUT_SLOT_P95},
      {"_P99_", KES_OUTPUT_SLOT_P99},       {"_MAX_", KES_OUTPUT_SLOT_MAX},       {"_RANGE_", KES_OUTPUT_SLOT_RANGE},
      {"_QRANGE_", KES_OUTPUT_SLOT_QRANGE}, {"_MODE_", KES_OUTPUT_SLOT_MODE},     {"_SGNRNK_", KES_OUTPUT_SLOT_SIGNRANK},
  };
  ASSERT_EQ(KES_TAB_NSTATS, static_cast<int>(std::size(kColumns)));
  kept_record* k = kept();
  for (int c = 0; c < KES_TAB_NSTATS; ++c) {
    const int id = kes_stat_of_tab_col(c);
    ASSERT_GE(id, 0) << c;
    EXPECT_STREQ(KES_STAT_ROWS[id].tab_name, kColumns[c].column);
    EXPECT_EQ(*kes_stat_cell(&k->st, id), kes_out_stat(&k->st, kColumns[c].slot)) << kColumns[c].column;
    EXPECT_EQ(KES_STAT_ROWS[id].out_label, kes_out_label_msg(kColumns[c].slot)) << kColumns[c].column;
  }
}

// Codes outside the statistics read nothing: the family blocks and the closing code.
TEST(StatisticsList, OtherInsetCodesAreNoStatistics) {
  kept_record* k = kept();
  for (int code : {-1, int{KES_IC_LAST_STAT} + 1, int{KES_IC_FIRST_DIST}, int{KES_IC_END}}) {
    EXPECT_EQ(kesimsg(0, code), 0) << code;
    EXPECT_EQ(kes_stat_of_inset_code(code), -1) << code;
    EXPECT_TRUE(std::isnan(kes_inset_stat(&k->ctx, &k->cell, code))) << code;
  }
  for (int code = 0; code <= KES_IC_LAST_STAT; ++code) EXPECT_NE(kesimsg(0, code), 0) << code;
}

}  // namespace
