// The OUTPUT statement node, the statistic behind each keyword, the labels of the
// output variables and the percentile texts of their names.
#include "stats/output_layout.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/kes_stmt.h"
#include "records/stmt_slots.h"
#include "stats/kes_stats.h"
#include "util/kes_minmax.h"

namespace {

// 100000 x 2^-53: how close a point must be to a whole number (or to one decimal)
// to be written as one.
constexpr double kFuzz = 100000 * 1.1102230246251565e-16;

// Label entries (set 431) by keyword slot, 5..49.
constexpr int kLabels[KES_OUT_SLOT_LAST - KES_OUT_SLOT_FIRST + 1] = {
    // N, MEAN, STD, SKEWNESS, USS, CV, SUMWGT, SUM, VAR, KURTOSIS, CSS, STDMEAN, NMISS, NOBS
    404, 414, 416, 420, 403, 405, 410, 412, 418, 422, 407, 409, 406, 411,
    // MAX, P99, P95, P90, Q3, MEDIAN, Q1, P10, P5, P1, MIN, RANGE, QRANGE, MODE
    444, 442, 440, 438, 436, 434, 432, 430, 428, 426, 424, 446, 448, 450,
    // T, MSIGN, SIGNRANK, PROBT, PROBM, PROBS
    413, 415, 452, 417, 419, 421,
    // NORMAL, PROBN
    423, 425,
    // GINI, MAD, SN, QN, STD_QRANGE, STD_GINI, STD_MAD, STD_SN, STD_QN
    427, 429, 431, 433, 435, 437, 439, 441, 443};

}  // namespace

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
