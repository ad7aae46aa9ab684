// The OUTPUT statement node, the statistic behind each keyword, the labels of the
// output variables and the percentile texts of their names.
#include "stats/output_layout.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/kes_stmt.h"
#include "kes_msg_names.h"
#include "records/stmt_slots.h"
#include "stats/kes_stats.h"
#include "util/kes_minmax.h"

namespace {

// 100000 x 2^-53: how close a point must be to a whole number (or to one decimal)
// to be written as one.
constexpr double kFuzz = 100000 * 1.1102230246251565e-16;

// Labels (KES_SET_LABEL) by keyword slot, 5..49.
constexpr int kLabels[KES_OUT_SLOT_LAST - KES_OUT_SLOT_FIRST + 1] = {
    // N, MEAN, STD, SKEWNESS, USS, CV, SUMWGT, SUM, VAR, KURTOSIS, CSS, STDMEAN, NMISS, NOBS
    KES_MSG_LABEL_N, KES_MSG_LABEL_MEAN, KES_MSG_LABEL_STD, KES_MSG_LABEL_SKEWNESS, KES_MSG_LABEL_USS, KES_MSG_LABEL_CV,
    KES_MSG_LABEL_SUMWGT, KES_MSG_LABEL_SUM, KES_MSG_LABEL_VAR, KES_MSG_LABEL_KURTOSIS, KES_MSG_LABEL_CSS,
    KES_MSG_LABEL_STDMEAN, KES_MSG_LABEL_NMISS, KES_MSG_LABEL_NOBS,
    // MAX, P99, P95, P90, Q3, MEDIAN, Q1, P10, P5, P1, MIN, RANGE, QRANGE, MODE
    KES_MSG_LABEL_MAX, KES_MSG_LABEL_P99, KES_MSG_LABEL_P95, KES_MSG_LABEL_P90, KES_MSG_LABEL_Q3, KES_MSG_LABEL_MEDIAN,
    KES_MSG_LABEL_Q1, KES_MSG_LABEL_P10, KES_MSG_LABEL_P5, KES_MSG_LABEL_P1, KES_MSG_LABEL_MIN, KES_MSG_LABEL_RANGE,
    KES_MSG_LABEL_QRANGE, KES_MSG_LABEL_MODE,
    // T, MSIGN, SIGNRANK, PROBT, PROBM, PROBS
    KES_MSG_LABEL_T, KES_MSG_LABEL_MSIGN, KES_MSG_LABEL_SIGNRANK, KES_MSG_LABEL_PROBT, KES_MSG_LABEL_PROBM,
    KES_MSG_LABEL_PROBS,
    // NORMAL, PROBN
    KES_MSG_LABEL_NORMAL, KES_MSG_LABEL_PROBN,
    // GINI, MAD, SN, QN, STD_QRANGE, STD_GINI, STD_MAD, STD_SN, STD_QN
    KES_MSG_LABEL_GINI, KES_MSG_LABEL_MAD, KES_MSG_LABEL_SN, KES_MSG_LABEL_QN, KES_MSG_LABEL_STD_QRANGE,
    KES_MSG_LABEL_STD_GINI, KES_MSG_LABEL_STD_MAD, KES_MSG_LABEL_STD_SN, KES_MSG_LABEL_STD_QN};

// The options by keyword slot, 5..49, in the order of kLabels.
constexpr const char* kOptions[KES_OUT_SLOT_LAST - KES_OUT_SLOT_FIRST + 1] = {
    "N=",      "MEAN=",     "STD=",      "SKEWNESS=", "USS=",    "CV=",    "SUMWGT=",   "SUM=",       "VAR=",
    "KURTOSIS=", "CSS=",    "STDMEAN=",  "NMISS=",    "NOBS=",   "MAX=",   "P99=",      "P95=",       "P90=",
    "Q3=",     "MEDIAN=",   "Q1=",       "P10=",      "P5=",     "P1=",    "MIN=",      "RANGE=",     "QRANGE=",
    "MODE=",   "T=",        "MSIGN=",    "SIGNRANK=", "PROBT=",  "PROBM=", "PROBS=",    "NORMAL=",    "PROBN=",
    "GINI=",   "MAD=",      "SN=",       "QN=",       "STD_QRANGE=", "STD_GINI=", "STD_MAD=", "STD_SN=", "STD_QN="};

}  // namespace

const char* kes_out_option(int k) {
  if (k < KES_OUT_SLOT_FIRST || k > KES_OUT_SLOT_LAST) return nullptr;
  return kOptions[k - KES_OUT_SLOT_FIRST];
}

bool kes_is_output(const kes_stmt* s) { return s != nullptr && std::memcmp(s->name, "OUTPUT  ", 8) == 0; }

int kes_out_names(const kes_stmt* s, int k, int nvars) {
  const kes_optslot* o = kes_pslot(s, k);
  if (!o->given || o->list == nullptr) return 0;
  return kes::max(0, kes::min(o->v.count, nvars));
}

int kes_out_points(const kes_stmt* s) {
  const kes_optslot* pts = kes_pslot(s, KES_OUTPUT_SLOT_PCTLPTS);
  const kes_optslot* pre = kes_pslot(s, KES_OUTPUT_SLOT_PCTLPRE);
  if (!pts->given || pts->list == nullptr || !pre->given || pre->list == nullptr) return 0;
  return kes::max(0, pts->v.count);
}

int kes_out_prefixes(const kes_stmt* s, int nvars) {
  if (kes_out_points(s) == 0) return 0;
  return kes::max(0, kes::min(kes_pslot(s, KES_OUTPUT_SLOT_PCTLPRE)->v.count, nvars));
}

int kes_out_positions(const kes_stmt* s, int nvars) {
  int n = 0;
  for (int k = KES_OUT_SLOT_FIRST; k <= KES_OUT_SLOT_LAST; ++k) n += kes_out_names(s, k, nvars);
  return n + kes_out_prefixes(s, nvars) * kes_out_points(s);
}

host_access* kes_out_access(const kes_stmt* s) {
  return static_cast<host_access*>(kes_pslot(s, KES_OUT_SLOT_ACCESS)->list);
}

double kes_out_stat(const kes_stats* st, int k) {
  if (k >= KES_OUT_MOMENTS && k < KES_OUT_MOMENTS + KES_OUT_NMOMENTS) return st->mom.v[k - KES_OUT_MOMENTS];
  if (k >= KES_OUT_QUANTILES && k < KES_OUT_QUANTILES + KES_OUT_NQUANTILES) return st->qnt[k - KES_OUT_QUANTILES];
  if (k >= KES_OUT_LOCATION && k < KES_OUT_LOCATION + KES_OUT_NLOCATION)
    return st->loc.v[KES_LOC_T + (k - KES_OUT_LOCATION)];
  if (k == KES_OUT_NORMALITY) return st->nrm.out_stat;
  if (k == KES_OUT_NORMALITY + 1) return st->nrm.out_prob;
  if (k >= KES_OUT_ROBUST && k < KES_OUT_ROBUST + KES_OUT_NROBUST) return st->scl[KES_SCL_GINI + (k - KES_OUT_ROBUST)];
  return NAN;
}

int kes_out_label_msg(int k) {
  if (k < KES_OUT_SLOT_FIRST || k > KES_OUT_SLOT_LAST) return 0;
  return kLabels[k - KES_OUT_SLOT_FIRST];
}

int kes_pctl_text(double p, char* buf, int size, bool dot) {
  if (size <= 0) return 0;
  // Hundredths, truncated after a nudge so that 97.5 stored as 97.4999... still
  // counts as 97.50.
  const double c = std::trunc((p + kFuzz) * 100);
  int n;
  if (std::fabs(std::trunc(c / 100) - p) <= kFuzz)
    n = std::snprintf(buf, static_cast<size_t>(size), "%.0f", std::trunc(c / 100));
  else if (std::fabs(std::trunc(c / 10) / 10 - p) <= kFuzz)
    n = std::snprintf(buf, static_cast<size_t>(size), "%.1f", c / 100);
  else
    n = std::snprintf(buf, static_cast<size_t>(size), "%.2f", c / 100);
  if (n < 0) n = 0;
  if (n >= size) n = size - 1;
  // The point becomes "_"; blanks go.
  int out = 0;
  for (int i = 0; i < n; ++i) {
    if (buf[i] == ' ') continue;
    buf[out++] = buf[i] == '.' && !dot ? '_' : buf[i];
  }
  buf[out] = '\0';
  return out;
}
