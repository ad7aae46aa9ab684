// kesitst: the value of an inset statistic, or whether a distribution or kernel block
// applies to the current request; kesimsg: a statistic's default label.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>

#include "fit/kes_estframe.h"
#include "host/host_services.h"
#include "host/kes_tick_text.h"
#include "inset/inset_build.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/family_names.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"
#include "stats/statistics.h"
#include "util/param_text.h"

namespace {
static_assert(KES_IC_LAST_STAT < KES_IC_FIRST_DIST, "the statistic codes stay below the family blocks");

// How each statistic's value is shown, by row of stats/statistics.def.
constexpr int kForm[KES_NSTATS] = {
#define KES_STAT(name, out_slot, out_label, out_cell, out_scale, tab_col, tab_name, in_keyword, in_label, \
                 in_form, in_source)                                                                  \
  KES_IF_##in_form,
#include "stats/statistics.def"
#undef KES_STAT
};

// Plot statement flags of the families other than the normal (probability, PP and QQ
// requests ask for at most one family).
constexpr int kOtherFamilyFlags[] = {KES_PLOT_FLAG_LOGNORMAL, KES_PLOT_FLAG_WEIBULL, KES_PLOT_FLAG_EXPONENTIAL,
                                    KES_PLOT_FLAG_GAMMA,     KES_PLOT_FLAG_BETA,    KES_PLOT_FLAG_SB,
                                    KES_PLOT_FLAG_SU,        KES_PLOT_FLAG_WEIBULL2};
static_assert(std::size(kOtherFamilyFlags) == KES_DIST_WEIBULL2, "one flag per family but the normal");

double missing() { return kes_fit_missing(); }

// The value of statistic id where the inset reads it (the in_source of its row).
double stat_value(kes_ctx* ctx, kes_cell* cell, const kes_varsum* vs, int id) {
  switch (id) {
#define VARSUM(f) return vs->f;
#define SAVED(i, c) return vs->summary != nullptr ? vs->summary[i] : missing();
#define EXCLUDED                                                      \
  {                                                                   \
    const kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell); \
    return slot != nullptr ? slot->nexcluded : 0.0;                   \
  }
#define KES_STAT(name, out_slot, out_label, out_cell, out_scale, tab_col, tab_name, in_keyword, in_label, \
                 in_form, in_source)                                                                  \
  case KES_STAT_##name:                                                                                         \
    in_source
#include "stats/statistics.def"
#undef KES_STAT
#undef VARSUM
#undef SAVED
#undef EXCLUDED
    default: return missing();
  }
}

void skip_stat(kes_insetbox* box) { kes_inset_pass_label_format(box); }

int skip_block(kes_insetbox* box) {
  kes_inset_skip_block(box);
  return 1;
}

int count_family(const kes_plotslot* slot, int family) {
  if (slot == nullptr || slot->curves == nullptr) return 0;
  int n = 0;
  for (int i = 0; i < slot->ncurves; ++i) n += slot->curves[i].dist == family ? 1 : 0;
  return n;
}

// Distribution blocks (49..57): 0 applies, 1 skipped after its note.
int family_applies(int code, kes_insetbox* box, kes_ctx* ctx, kes_cell* cell) {
  const kes_preq* rq = ctx->curreq;
  const int family = code - KES_IC_FIRST_DIST;
  const bool prob_qq = rq->type == KES_PLOT_PROB || rq->type == KES_PLOT_QQ;
  if (family == KES_DIST_WEIBULL2) {
    if (prob_qq && kes_flag(rq->stmt, KES_PLOT_FLAG_WEIBULL2)) return 0;
    if (prob_qq) {
      if (kes_inset_once(ctx, KES_IN_WEIBULL2_NOT)) xpmlog(KES_SET_LABEL, KES_MSG_WEIBULL2_BLOCK_NEEDS_WEIBULL2);
    } else if (kes_inset_once(ctx, KES_IN_WEIBULL2_TYPE)) {
      xpmlog(KES_SET_LABEL, KES_MSG_WEIBULL2_BLOCK_ONLY_ON_PROB_QQ);
    }
    return skip_block(box);
  }
  if (family == KES_DIST_NORMAL && (prob_qq || rq->type == KES_PLOT_PP)) {
    bool other = false;
    for (int f : kOtherFamilyFlags) other = other || kes_flag(rq->stmt, f);
    if (!other) return 0;
  }
  if (count_family(kes_plot_slot(ctx, rq, cell), family) > 0) return 0;
  char name[16];
  const int len = kes_inset_msg(name, 16, KES_SET_LABEL, kes_family_name(family));
  const bool asked = rq->ncurves_dist[family] > 0;
  if (!asked) {
    if (kes_inset_once(ctx, KES_IN_FAMILY_NOT + family))
      xpmlog(KES_SET_LABEL, KES_MSG_INSET_FAMILY_NOT_ON_PLOT, len, name, len, name);
  } else {
    // Fitted elsewhere but not in this cell: the cell is named.
    const kes_name32& v = ctx->curname;
    kes_inset_cell_note(ctx, cell, KES_IN_FAMILY_ASKED + family, 1 << family, KES_MSG_INSET_FAMILY_NOT_FITTED,
                        KES_MSG_INSET_FAMILY_NOT_FITTED_CELL, KES_MSG_INSET_FAMILY_NOT_FITTED_CELL2, name, len, v.text,
                        static_cast<int>(v.len));
  }
  return skip_block(box);
}

// Kernel blocks (58..63): 0 applies, 1 skipped after its note.
int kernel_applies(int code, kes_insetbox* box, kes_ctx* ctx) {
  const int asked = ctx->curreq->nkernels;
  const int needed = code - KES_IC_KERNEL > 1 ? code - KES_IC_KERNEL : 1;
  if (asked >= needed) return 0;
  if (asked == 0) {
    if (kes_inset_once(ctx, KES_IN_NO_KERNEL)) xpmlog(KES_SET_LABEL, KES_MSG_INSET_KERNEL_NOT_ON_PLOT);
  } else if (kes_inset_once(ctx, KES_IN_KERNEL_CODE + code - KES_IC_KERNEL)) {
    xpmlog(KES_SET_LABEL, KES_MSG_INSET_KERNEL_NOT_ASKED, code - KES_IC_KERNEL, asked);
  }
  return skip_block(box);
}

}  // namespace

double kes_inset_stat(kes_ctx* ctx, kes_cell* cell, int code) {
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  const int id = kes_stat_of_inset_code(code);
  if (vs == nullptr || id < 0) return missing();
  return stat_value(ctx, cell, vs, id);
}

namespace {

// The statistics that move with the values (read to the cell's spread) and those
// that scale with them alone (read to their own digits); the others keep their class.
constexpr int kLocations[] = {KES_STAT_MEAN, KES_STAT_MAX, KES_STAT_P99, KES_STAT_P95, KES_STAT_P90,
                              KES_STAT_Q3,   KES_STAT_MEDIAN, KES_STAT_Q1, KES_STAT_P10, KES_STAT_P5,
                              KES_STAT_P1,   KES_STAT_MIN, KES_STAT_MODE};
constexpr int kSpreads[] = {KES_STAT_STD,  KES_STAT_VAR,  KES_STAT_CSS,     KES_STAT_STDMEAN,  KES_STAT_RANGE,
                            KES_STAT_QRANGE, KES_STAT_GINI, KES_STAT_MAD,   KES_STAT_SN,       KES_STAT_QN,
                            KES_STAT_STD_QRANGE, KES_STAT_STD_GINI, KES_STAT_STD_MAD, KES_STAT_STD_SN, KES_STAT_STD_QN};

bool one_of(int id, const int* ids, std::size_t n) { return std::find(ids, ids + n, id) != ids + n; }

// Values that differ by no more than rounding (16 units of their last place, as the
// listing holds them) are the same value: a mean of 49.99999999999999 beside a median
// of 50 reads 50.
bool differ(double a, double b) { return std::fabs(a - b) > 0x1p-48 * std::fmax(std::fabs(a), std::fabs(b)); }

// The place, from `place` down, at which a and b read apart (where they differ).
int apart_place(double a, double b, int place) {
  if (!std::isfinite(a) || !std::isfinite(b) || !differ(a, b)) return place;
  for (; place > kes_subnormal_place; --place) {
    char ta[KES_PARAM_TEXT + 1], tb[KES_PARAM_TEXT + 1];
    kes_placed_text(a, place, ta);
    kes_placed_text(b, place, tb);
    if (std::strcmp(ta, tb) != 0) break;
  }
  return place;
}

// The place location `id` of the cell reads to: the last digit its standard deviation
// shows (the same at any offset and, moved by the unit's power of ten, in any unit),
// finer where it would read like another location of the cell or the same statistic of
// another cell. A cell without spread reads its values as they are, to 15 digits.
int location_place(kes_ctx* ctx, kes_cell* cell, const kes_varsum* vs, int id) {
  std::vector<double> v;
  for (int other : kLocations) {
    const double x = stat_value(ctx, cell, vs, other);
    if (std::isfinite(x)) v.push_back(x);
  }
  std::sort(v.begin(), v.end());
  int place = kes_scale_place(std::fabs(stat_value(ctx, cell, vs, KES_STAT_STD)));
  if (place == INT_MIN) {
    double big = 0;
    for (double x : v) big = std::fmax(big, std::fabs(x));
    place = big > 0 ? kes_digits_place(kes_shortest_decimal(big).exp, kes_short_digits) : 0;
  }
  for (std::size_t i = 1; i < v.size(); ++i) place = apart_place(v[i - 1], v[i], place);
  const double own = stat_value(ctx, cell, vs, id);
  kes_each_cell(ctx->curreq->classvars, [&](kes_cell* other) {
    const kes_varsum* ovs = other != cell ? kes_fit_varsum(ctx, other) : nullptr;
    if (ovs != nullptr && ovs->n > 0) place = apart_place(own, stat_value(ctx, other, ovs, id), place);
  });
  return place;
}

}  // namespace

int kes_inset_stat_text(kes_ctx* ctx, kes_cell* cell, int code, double v, char* text) {
  const int id = kes_stat_of_inset_code(code);
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  const int cls = kes_inset_stat_class(code);
  if (id < 0 || vs == nullptr || cls != KES_IF_BEST || !std::isfinite(v))
    return kes_inset_value_text(v, cls, nullptr, ' ', text);
  if (one_of(id, kLocations, std::size(kLocations)))
    return kes_inset_placed_text(v, location_place(ctx, cell, vs, id), text);
  if (one_of(id, kSpreads, std::size(kSpreads))) return kes_inset_placed_text(v, INT_MIN, text);
  return kes_inset_value_text(v, cls, nullptr, ' ', text);
}

int kes_inset_stat_class(int code) {
  const int id = kes_stat_of_inset_code(code);
  return id >= 0 ? kForm[id] : KES_IF_BEST;
}

int kesimsg(int set, int code) {
  const int id = kes_stat_of_inset_code(code);
  return set == 0 && id >= 0 ? KES_STAT_ROWS[id].in_label : 0;
}

int kesitst(int code, kes_insetbox* box, kes_ctx* ctx, kes_cell* cell, double* value, int* kind) {
  if (code >= 0 && code <= KES_IC_LAST_STAT) {
    const int id = kes_stat_of_inset_code(code);
    const bool normal_test = id == KES_STAT_NORMAL;
    if ((normal_test || id == KES_STAT_PROBN) && !ctx->normal) {
      if (kes_inset_once(ctx, normal_test ? KES_IN_NORMALTEST : KES_IN_PNORMAL))
        xpmlog(KES_SET_PROC, normal_test ? KES_MSG_NORMALTEST_NEEDS_NORMAL : KES_MSG_PNORMAL_NEEDS_NORMAL);
      skip_stat(box);
      return 1;
    }
    *value = kes_inset_stat(ctx, cell, code);
    *kind = KES_IK_PLAIN;
    return 0;
  }
  if (code >= KES_IC_FIRST_DIST && code <= KES_IC_LAST_DIST) {
    if (family_applies(code, box, ctx, cell) != 0) return 1;
    *kind = 6;
    return 0;
  }
  if (code >= KES_IC_KERNEL && code <= KES_IC_LAST_KERNEL) {
    if (kernel_applies(code, box, ctx) != 0) return 1;
    *kind = 7;
    return 0;
  }
  // Sibling statistics and unknown codes never come from this grammar.
  skip_stat(box);
  return 1;
}
