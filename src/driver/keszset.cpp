// keszset(ctx): once per step, at the end of start-up, clears the statistics record,
// stores the percentile definition and the VARDEF word at its head, and loads the
// row labels of the printed tables from the message catalogue into their 40-byte
// slots, keeping each group's longest label so that a label column is as wide as
// its widest label. The PCTLPTS request that the OUTPUT set-up left in the record
// survives the clearing.
#include "driver/keszset.h"

#include <cstring>

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "stats/kes_stats.h"

namespace {

// The label groups of the statistics tables (KES_SET_PROC), row by row.
constexpr int kMoments1[6] = {KES_MSG_MOMENTS_N,        KES_MSG_MOMENTS_MEAN, KES_MSG_MOMENTS_STD_DEV,
                              KES_MSG_MOMENTS_SKEWNESS, KES_MSG_MOMENTS_USS,  KES_MSG_MOMENTS_CV};
constexpr int kMoments2[6] = {KES_MSG_MOMENTS_SUM_WEIGHTS, KES_MSG_MOMENTS_SUM, KES_MSG_MOMENTS_VARIANCE,
                              KES_MSG_MOMENTS_KURTOSIS,    KES_MSG_MOMENTS_CSS, KES_MSG_MOMENTS_STD_ERR_MEAN};
constexpr int kLocation[4] = {KES_MSG_BASIC_MEAN, KES_MSG_BASIC_MEDIAN, KES_MSG_BASIC_MODE, KES_MSG_BASIC_BLANK};
constexpr int kVariability[4] = {KES_MSG_BASIC_STD_DEV, KES_MSG_BASIC_VARIANCE, KES_MSG_BASIC_RANGE, KES_MSG_BASIC_IQR};
constexpr int kIntervals[3] = {KES_MSG_INTERVAL_MEAN, KES_MSG_INTERVAL_STD_DEV, KES_MSG_INTERVAL_VARIANCE};
constexpr int kNormalityTests[4] = {KES_MSG_NORMALITY_TEST_SHAPIRO_WILK, KES_MSG_NORMALITY_TEST_KOLMOGOROV_SMIRNOV,
                                    KES_MSG_NORMALITY_TEST_CRAMER_VON_MISES, KES_MSG_NORMALITY_TEST_ANDERSON_DARLING};
constexpr int kNormalityStats[4] = {KES_MSG_NORMALITY_STAT_W, KES_MSG_NORMALITY_STAT_D, KES_MSG_NORMALITY_STAT_W_SQ,
                                    KES_MSG_NORMALITY_STAT_A_SQ};
constexpr int kNormalityPvalues[4] = {KES_MSG_NORMALITY_PVALUE_W, KES_MSG_NORMALITY_PVALUE_D,
                                      KES_MSG_NORMALITY_PVALUE_W_SQ, KES_MSG_NORMALITY_PVALUE_A_SQ};
constexpr int kQuantileRows[11] = {KES_MSG_QUANTILE_ROW_MAX, KES_MSG_QUANTILE_ROW_P99, KES_MSG_QUANTILE_ROW_P95,
                                   KES_MSG_QUANTILE_ROW_P90, KES_MSG_QUANTILE_ROW_Q3,  KES_MSG_QUANTILE_ROW_MEDIAN,
                                   KES_MSG_QUANTILE_ROW_Q1,  KES_MSG_QUANTILE_ROW_P10, KES_MSG_QUANTILE_ROW_P5,
                                   KES_MSG_QUANTILE_ROW_P1,  KES_MSG_QUANTILE_ROW_MIN};
constexpr int kQuantileEnds[2] = {KES_MSG_QUANTILE_ROW_P100, KES_MSG_QUANTILE_ROW_P0};
constexpr int kRobustScale[5] = {KES_MSG_ROBUST_IQR, KES_MSG_ROBUST_GINI, KES_MSG_ROBUST_MAD, KES_MSG_ROBUST_SN,
                                 KES_MSG_ROBUST_QN};
constexpr int kLocationTests[3] = {KES_MSG_LOCATION_TEST_STUDENT_T, KES_MSG_LOCATION_TEST_SIGN,
                                   KES_MSG_LOCATION_TEST_SIGNED_RANK};
constexpr int kLocationStats[3] = {KES_MSG_LOCATION_STAT_T, KES_MSG_LOCATION_STAT_M, KES_MSG_LOCATION_STAT_S};
constexpr int kLocationPvalues[3] = {KES_MSG_LOCATION_PVALUE_T, KES_MSG_LOCATION_PVALUE_M, KES_MSG_LOCATION_PVALUE_S};
constexpr int kLocationCounts[3] = {KES_MSG_LOCATION_COUNT_ABOVE, KES_MSG_LOCATION_COUNT_NOT_EQUAL,
                                    KES_MSG_LOCATION_COUNT_BELOW};

template <int N>
void load_group(kes_labelgroup<N>& g, const int (&names)[N]) {
  std::memset(g.slot, ' ', sizeof g.slot);
  g.longest = 0;
  for (int i = 0; i < N; ++i) {
    const char* text = nullptr;
    int len = 0;
    if (wkread(KES_SET_PROC, names[i], &text, &len) != 0 || text == nullptr) len = 0;
    if (len < 0) len = text != nullptr ? static_cast<int>(std::strlen(text)) : 0;
    // A label longer than its slot is cut at the slot's end.
    if (len > KES_LABEL_LEN) len = KES_LABEL_LEN;
    while (len > 0 && text[len - 1] == ' ') --len;
    if (len > 0) std::memcpy(g.slot[i], text, static_cast<std::size_t>(len));
    if (len > g.longest) g.longest = len;
  }
}

}  // namespace

void keszset(kes_ctx* ctx) {
  kes_stats* st = ctx->stats;
  const int npts = st->npctlpts;
  double* prob = st->pctlpts_prob;
  int* index = st->pctlpts_index;
  double* result = st->pctlpts_result;

  std::memset(st, 0, sizeof *st);
  st->pctldef = ctx->weight_given ? 6 : (ctx->pctldef >= 1 && ctx->pctldef <= 5 ? ctx->pctldef : 5);
  std::memcpy(st->vardef, ctx->vardef, sizeof st->vardef);
  if (st->vardef[0] == '\0') std::memcpy(st->vardef, "DF      ", sizeof st->vardef);
  std::memcpy(st->mom.vardef, st->vardef, sizeof st->vardef);

  kes_statlabels& l = st->labels;
  load_group(l.g1, kMoments1);
  load_group(l.g2, kMoments2);
  load_group(l.g3, kLocation);
  load_group(l.g4, kVariability);
  load_group(l.g5, kIntervals);
  load_group(l.g6, kNormalityTests);
  load_group(l.g7, kNormalityStats);
  load_group(l.g8, kNormalityPvalues);
  load_group(l.g9, kQuantileRows);
  load_group(l.g9ends, kQuantileEnds);
  load_group(l.g10, kRobustScale);
  load_group(l.g11, kLocationTests);
  load_group(l.g12, kLocationStats);
  load_group(l.g13, kLocationPvalues);
  load_group(l.g14, kLocationCounts);

  // Label sub-blocks the printer walks: moments (both columns), basic measures
  // (both columns), intervals, quantile rows, robust measures.
  l.subblock[0] = l.g1.slot[0];
  l.subblock[1] = l.g2.slot[0];
  l.subblock[2] = l.g3.slot[0];
  l.subblock[3] = l.g4.slot[0];
  l.subblock[4] = l.g5.slot[0];
  l.subblock[5] = l.g9.slot[0];
  l.subblock[6] = l.g10.slot[0];
  static constexpr int kLeft[6] = {KES_MOM_N, KES_MOM_MEAN, KES_MOM_STD, KES_MOM_SKEW, KES_MOM_USS, KES_MOM_CV};
  static constexpr int kRight[6] = {KES_MOM_SUMWGT, KES_MOM_SUM, KES_MOM_VAR, KES_MOM_KURT, KES_MOM_CSS,
                                    KES_MOM_STDMEAN};
  for (int i = 0; i < 6; ++i) {
    l.mom_left[i] = &st->mom.v[kLeft[i]];
    l.mom_right[i] = &st->mom.v[kRight[i]];
  }
  for (int i = 0; i < 11; ++i) l.qnt_rows[i] = &st->qnt[KES_Q_MAX + i];
  l.qnt_rows[0] = &st->pct_ends[0];
  l.qnt_rows[10] = &st->pct_ends[1];

  st->npctlpts = npts;
  st->pctlpts_prob = prob;
  st->pctlpts_index = index;
  st->pctlpts_result = result;
}
