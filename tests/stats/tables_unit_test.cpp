// Pieces of the table code that need no whole run: significant-digit field widths,
// the listing labels loaded at start-up, and the summary kept per variable.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "runner/host_table.h"
#include "driver/kescomp.h"
#include "driver/keszset.h"
#include "host/host_services.h"
#include "records/kes_ctx.h"
#include "stats/kes_stats.h"
#include "stats/kes_tables.h"
#include "stats/zqsig2.h"

namespace {

// ---- significant-digit field widths ----

// By hand: 12.5 has 2 integer digits and 5 decimals, 0.25 one and 6: 2 + 6 + 1 columns.
// 9.9999999 at 6 decimals rounds to 10.000000, measured again: 2 integer digits and 5
// decimals. Decimals 7 and width 11 exceed 10 columns: 10 - 3 - 2 = 5 decimals. Zeros
// take their layout from the precision hint c = 0.001: trunc(3) + 1 = 4 decimals;
// missing values count as zero and a hint of 1 or more asks nothing. Nine integer
// digits in ten columns leave no room for a point: whole numbers; twelve do not fit
// at all: the best form, within the columns (width -1).
TEST(SignificantDigits, FieldWidthsAndDecimals) {
  const struct {
    double a, b, c;
    int ndig, maxw, w, d;
  } rows[] = {
      {12.5, 0.25, 0, 7, 12, 9, 6},        {9.9999999, 0, 0, 7, 12, 8, 5},
      {123.456, 0.00123, 0, 8, 10, 10, 5}, {0, 0, 0.001, 7, 12, 6, 4},
      {std::nan(""), 0, 2.0, 7, 12, 1, 0}, {123456789.5, 1, 0, 12, 10, 10, 0},
      {123456789012.0, 1, 0, 14, 10, -1, KES_SIG_BEST},
      // An infinity has no digits (its log10 once overflowed an int): b alone decides.
      {-HUGE_VAL, 12.5, 0, 7, 12, 8, 5},   {HUGE_VAL, 0, 0.001, 7, 12, 6, 4},
      {-1.7e308, 0, 0, 7, 12, -1, KES_SIG_BEST},
  };
  for (const auto& r : rows) {
    int w = 0, d = 0;
    zqsig2(r.a, r.b, r.c, r.ndig, r.maxw, &w, &d);
    EXPECT_TRUE(r.w < 0 ? w <= r.maxw : w == r.w) << r.a << ": " << w;
    EXPECT_EQ(d, r.d) << r.a;
  }
  // The sign takes a column and a digit.
  int w = 0, d = 0;
  zqsig_format(7, &w, &d, -12.5);
  EXPECT_EQ(w * 10 + d, 34);
  zqsig_format(7, &w, &d, 0.0005);
  EXPECT_EQ(w * 10 + d, 16);
}

// ---- listing labels ----

class LabelLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = v_global_gcb_anchor;
    v_global_gcb_anchor = plat::anchor();
    std::memset(static_cast<void*>(&ctx_), 0, sizeof ctx_);
    ctx_.stats = &stats_;
    ctx_.tables = &tables_;
    std::memcpy(ctx_.vardef, "N       ", 8);
    ctx_.pctldef = 3;
  }
  void TearDown() override { v_global_gcb_anchor = saved_; }
  std::string slot(const char* s) const { return std::string(s, KES_LABEL_LEN); }
  static std::string padded(const std::string& t) { return t + std::string(KES_LABEL_LEN - t.size(), ' '); }

  host_gcb* saved_ = nullptr;
  kes_ctx ctx_;
  kes_stats stats_{};
  kes_tables tables_{};
};

int long_wkread(int, int number, const char** text, int* length) {
  static const char* kLong = "A label much longer than the forty characters of a slot";
  static const char* kShort = "Short";
  *text = number == 115 ? kLong : kShort;
  *length = static_cast<int>(std::strlen(*text));
  return 0;
}

TEST_F(LabelLoad, ALabelLongerThanItsSlotIsCut) {
  const auto& svc = kes_host::services[kes_host::svc_wkread];
  host_routine saved = plat::replace_service(svc.vector, svc.slot, reinterpret_cast<host_routine>(&long_wkread));
  keszset(&ctx_);
  plat::replace_service(svc.vector, svc.slot, saved);
  const kes_statlabels& l = ctx_.stats->labels;
  EXPECT_EQ(std::string(l.g9.slot[0], KES_LABEL_LEN), std::string("A label much longer than the forty chara"));
  EXPECT_EQ(l.g9.longest, KES_LABEL_LEN);
  EXPECT_EQ(l.g1.longest, 5);
}

// ---- the summary kept per variable ----

TEST(VariableSummary, EveryCellLandsInItsPlace) {
  static kes_stats st;
  std::memset(static_cast<void*>(&st), 0, sizeof st);
  // Distinct values: cell k of each block holds base + k.
  for (int k = 0; k < KES_MOM_NCELLS; ++k) st.mom.v[k] = 100 + k;
  for (int k = 0; k < KES_Q_NCELLS; ++k) st.qnt[k] = 200 + k;
  for (int k = 0; k < KES_SCL_NCELLS; ++k) st.scl[k] = 300 + k;
  for (int k = 0; k < KES_LOC_NCELLS; ++k) st.loc.v[k] = 400 + k;
  st.nrm.w = 501;
  st.nrm.pw = 502;
  double summary[KES_SUMMARY_DOUBLES];
  kes_varsum rec{};
  rec.summary = summary;
  kessave(&st, &rec);
  EXPECT_EQ(rec.mean, 100 + KES_MOM_MEAN);
  EXPECT_EQ(rec.std, 100 + KES_MOM_STD);
  EXPECT_EQ(rec.min, 200 + KES_Q_MIN);
  EXPECT_EQ(rec.max, 200 + KES_Q_MAX);
  EXPECT_EQ(rec.qrange, 200 + KES_Q_QRANGE);
  const double want[KES_SUMMARY_DOUBLES] = {
      105, 111, 108, 103, 109,                 // CV, std error, variance, skewness, kurtosis
      205, 211, 213,                           // median, range, mode
      209, 208, 207, 203, 202, 201, 206, 204,  // P1 P5 P10 P90 P95 P99 Q1 Q3
      405, 403, 406, 408,                      // S, t, p(t), p(S)
      301, 302, 303, 304, 305, 306, 307, 308, 309,  // Gini MAD Sn Qn, then the five scaled
      404, 407,                                // M, p(M)
      501, 502};                               // W, p(W)
  for (int i = 0; i < KES_SUMMARY_DOUBLES; ++i) EXPECT_EQ(summary[i], want[i]) << "summary cell " << i;
}

}  // namespace
