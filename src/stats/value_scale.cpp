// Values near the ends of the doubles, divided by a power of two for their statistics
// and multiplied back; the statistics that then lie beyond the doubles are named.
#include "stats/value_scale.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <new>

#include "numeric/zmissing.h"
#include "stats/kes_stats.h"
#include "stats/statistics.h"
#include "stats/zkesmnt.h"

namespace {

// Beyond 2^400 the squares of a few values overflow; below 2^-400 those of their
// deviations underflow. Between, the sums of the data pass serve.
constexpr int kScaleFrom = 400;

void copy_append(char* dst, std::size_t cap, const char* s) {
  const std::size_t n = std::strlen(dst);
  std::strncat(dst + n, s, cap - n - 1);
}

}  // namespace

int kes_value_scale(const kes_varsum* rec, const kes_valview& fv) {
  if (fv.m <= 0 || fv.x == nullptr) return 0;
  const double top = std::fmax(std::fabs(fv.x[0]), std::fabs(fv.x[fv.m - 1]));
  if (!(top > 0.0) || !std::isfinite(top)) return 0;
  const int e = std::ilogb(top);
  if (rec->overflow == 0 && e < kScaleFrom && e > -kScaleFrom) return 0;
  return e;
}

int kes_order_scale(const kes_valview& fv, double mu0, int k) {
  if (fv.m <= 0 || fv.x == nullptr) return k;
  const double top = std::fmax(std::fmax(std::fabs(fv.x[0]), std::fabs(fv.x[fv.m - 1])), std::fabs(mu0));
  if (!std::isfinite(top) || !(top > 0.0)) return k;
  // Below 2^(DBL_MAX_EXP - 3) a difference of two values, and a scale constant below
  // 4 times one, stays finite.
  const int least = std::ilogb(top) - (DBL_MAX_EXP - 4);
  if (k < 0) return std::max(k, least);  // tiny values scaled up lose nothing
  return std::max(0, least);
}

bool kes_scale_values(const kes_varsum* rec, const kes_valview& fv, int k, kes_scaled_values* out) {
  std::unique_ptr<double[]> x(new (std::nothrow) double[fv.m > 0 ? fv.m : 1]);
  if (!x) return false;
  auto weight = [&fv](int i) { return fv.w != nullptr ? fv.w[i] : static_cast<double>(fv.f[i]); };
  double sw = 0.0, sum = 0.0;
  for (int i = 0; i < fv.m; ++i) {
    x[i] = std::ldexp(fv.x[i], -k);
    sw += weight(i);
    sum += weight(i) * x[i];
  }
  double css = 0.0, uss = 0.0;
  if (sw > 0.0) {
    const double mean = sum / sw;
    for (int i = 0; i < fv.m; ++i) {
      css += weight(i) * (x[i] - mean) * (x[i] - mean);
      uss += weight(i) * x[i] * x[i];
    }
  }
  out->k = k;
  out->x = std::move(x);
  out->view = fv;
  out->view.x = out->x.get();
  out->rec = *rec;
  out->rec.sum = sum;
  out->rec.css = css;
  out->rec.uss = uss;
  if (rec->overflow >= 4 || is_missing(rec->sumwgt)) out->rec.sumwgt = sw;
  out->rec.overflow = 0;
  out->rec.view = &out->view;
  return true;
}

void kes_lost_names::add(const char* name) {
  for (int i = 0; i < count; ++i)
    if (std::strcmp(names[i], name) == 0) return;
  if (count < kMax) names[count++] = name;
}

void kes_lost_names::text(char* out, int cap) const {
  if (cap <= 0) return;
  out[0] = '\0';
  for (int i = 0; i < count; ++i) {
    if (i > 0) copy_append(out, static_cast<std::size_t>(cap), i + 1 == count ? " and " : ", ");
    copy_append(out, static_cast<std::size_t>(cap), names[i]);
  }
}

void kes_scale_back(double* v, int power, int k, const char* name, kes_lost_names* lost) {
  if (is_missing(*v)) return;
  const double r = std::ldexp(*v, power * k);
  if (std::isinf(r) || (r == 0.0 && *v != 0.0)) {
    *v = zmissing();
    lost->add(name);
  } else {
    *v = r;
  }
}

void kes_scale_back_location(double* v, int k) {
  if (is_missing(*v)) return;
  const double r = std::ldexp(*v, k);
  *v = r == 0.0 && *v != 0.0 ? 0.0 : r;  // 0 as the nearest double reads 0, not -0
}

int kes_spread_weight_power(const kes_stats* st) {
  return kes_vardef_is_df(st->mom.vardef) || kes_vardef_is_n(st->mom.vardef) ? 2 : 0;
}

namespace {

// The order in which the note names the moments lost when multiplied back.
constexpr int kMomentNoteOrder[] = {KES_STAT_MEAN, KES_STAT_STD,  KES_STAT_STDMEAN, KES_STAT_SUM,   KES_STAT_VAR,
                                    KES_STAT_CSS,  KES_STAT_USS, KES_STAT_SUMWGT,  KES_STAT_CV};

constexpr bool multiplied_back(int id) {
  return KES_STAT_ROWS[id].group == KES_SG_MOMENTS && KES_STAT_ROWS[id].scale.kind != KES_SCALE_NONE;
}

// kMomentNoteOrder holds each moment row that is multiplied back, once, and no other.
constexpr bool note_order_complete() {
  int n = 0;
  for (int id = 0; id < KES_NSTATS; ++id) {
    if (!multiplied_back(id)) continue;
    int seen = 0;
    for (int o : kMomentNoteOrder) seen += o == id ? 1 : 0;
    if (seen != 1) return false;
    ++n;
  }
  return n == static_cast<int>(std::size(kMomentNoteOrder));
}
static_assert(note_order_complete(), "every moment multiplied back has its place in the note, once");

// Only the moments and the robust scale are found on the values divided by 2^k.
constexpr bool scaled_groups_only() {
  for (const kes_stat_row& r : KES_STAT_ROWS)
    if (r.scale.kind != KES_SCALE_NONE && r.group != KES_SG_MOMENTS && r.group != KES_SG_ROBUST) return false;
  return true;
}
static_assert(scaled_groups_only(), "a statistic multiplied back is a moment or a robust scale");

// The moment id as *m 2^*e where its cell may have lost it below the smallest double
// (in the weights' unit, or in the running sums): CSS, VAR, STD, STDMEAN, USS; false
// where the cell holds it.
bool wide_parts(const kes_moments& mom, int id, double* m, int* e) {
  if (id == KES_STAT_USS && mom.uss_m != 0.0) {
    *m = mom.uss_m;
    *e = mom.uss_e;
    return true;
  }
  if ((id == KES_STAT_STD || id == KES_STAT_STDMEAN) && mom.std_m != 0.0) {
    *m = id == KES_STAT_STD ? mom.std_m : mom.se_m;
    *e = mom.std_e;
    return true;
  }
  if (mom.css_m == 0.0 || (id != KES_STAT_CSS && id != KES_STAT_VAR)) return false;
  *m = id == KES_STAT_CSS ? mom.css_m : mom.var_m;
  *e = mom.wide_e;
  return true;
}

void scale_back_stat(kes_stats* st, int id, int spread, int k, int K, kes_lost_names* lost) {
  const kes_stat_row& r = KES_STAT_ROWS[id];
  if (r.scale.kind == KES_SCALE_NONE) return;
  double* cell = kes_stat_cell(st, id);
  int e = kes_back_exp(r.scale, spread, k, K);
  double m;
  int we;
  if (!is_missing(*cell) && wide_parts(st->mom, id, &m, &we)) {
    *cell = m;
    e += we;
  }
  if (id == KES_STAT_MEAN)
    kes_scale_back_location(cell, e);
  else
    kes_scale_back(cell, 1, e, r.name, lost);
}

}  // namespace

void kes_scale_back_moments(kes_stats* st, int k, int K, kes_lost_names* lost) {
  const int spread = kes_spread_weight_power(st);
  for (int id : kMomentNoteOrder) scale_back_stat(st, id, spread, k, K, lost);
}

void kes_settle_wide_moments(kes_stats* st, kes_lost_names* lost) {
  const int spread = kes_spread_weight_power(st);
  for (int id : {KES_STAT_STD, KES_STAT_STDMEAN, KES_STAT_VAR, KES_STAT_CSS, KES_STAT_USS})
    scale_back_stat(st, id, spread, 0, 0, lost);
}

void kes_scale_back_group(kes_stats* st, int g, int k, int K, kes_lost_names* lost) {
  const int spread = kes_spread_weight_power(st);
  for (int id = 0; id < KES_NSTATS; ++id)
    if (KES_STAT_ROWS[id].group == g) scale_back_stat(st, id, spread, k, K, lost);
}

void kes_drop_overflow(kes_stats* st, int ntrimmed, int nwinsorized, kes_lost_names* lost) {
  for (int id = 0; id < KES_NSTATS; ++id) {
    const double* c = kes_stat_cell(st, id);
    if (c != nullptr && std::isinf(*c)) lost->add(KES_STAT_ROWS[id].name);
  }
  auto clean = [lost](double* v, int n, const char* name) {
    for (int i = 0; i < n; ++i)
      if (std::isinf(v[i])) {
        v[i] = zmissing();
        if (name != nullptr) lost->add(name);
      }
  };
  clean(st->mom.v, KES_MOM_NCELLS, nullptr);
  clean(st->basic, KES_BAS_NCELLS, nullptr);
  clean(st->bcl, KES_BCL_NCELLS, "basic confidence limits");
  clean(st->qnt, KES_Q_NCELLS, nullptr);
  for (double* a : {st->pct_est, st->pct_ntlower, st->pct_ntupper, st->pct_dflower, st->pct_dfupper})
    clean(a, KES_NSTDPCT, "percentile confidence limits");
  clean(st->scl, KES_SCL_NCELLS, nullptr);
  clean(st->loc.v, KES_LOC_NCELLS, nullptr);
  clean(st->loccount, KES_LC_NCELLS, nullptr);
  if (st->npctlpts > 0 && st->pctlpts_result != nullptr) clean(st->pctlpts_result, st->npctlpts, "PCTLPTS= percentiles");
  if (st->trimmed != nullptr)
    for (int k = 0; k < ntrimmed; ++k) clean(st->trimmed[k].cell, KES_TWM_NCELLS, "trimmed means");
  if (st->winsorized != nullptr)
    for (int k = 0; k < nwinsorized; ++k) clean(st->winsorized[k].cell, KES_TWM_NCELLS, "winsorized means");
}
