// What the QQPLOT, PROBPLOT, PPPLOT and CDFPLOT drivers share (prob_common.h), and the
// output group every plot request opens.
#include "plotreq/prob_common.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>

#include "fit/kes_cellnote.h"
#include "host/host_missing.h"
#include "host/host_services.h"
#include "host/kes_checked.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "plotreq/hist_bins.h"
#include "plotreq/plot_requests.h"
#include "records/kes_axis.h"
#include "records/kes_layout.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kessubs.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "stats/tables_call.h"
#include "util/kes_eps.h"
#include "util/kes_text.h"

const double kes_dfltpts[17] = {0.0001, 0.001, 0.01, 0.1, 1,  5,  10,   25,    50,
                                75,     90,    95,   99,  99.9, 99.99, 99.999, 99.9999};

namespace {
// An ORDER= or VAXIS= list may miss the data by this part of its own span (2^-26.5),
// so that a list written in any unit is judged as in its own.
constexpr double kOrderSlack = KES_SQRT_EPS53;
// Marks the axis record that kes_vertical_order makes of a VAXIS= list.
constexpr std::uint8_t kVaxisList = 2;

struct family_flag {
  int flag, code;
};
// In the order they are tested: the first one given wins.
constexpr family_flag kFamilies[] = {
    {KES_PLOT_FLAG_NORMAL, KES_DIST_NORMAL}, {KES_PLOT_FLAG_LOGNORMAL, KES_DIST_LOGNORMAL},
    {KES_PLOT_FLAG_EXPONENTIAL, KES_DIST_EXPONENTIAL}, {KES_PLOT_FLAG_WEIBULL, KES_DIST_WEIBULL},
    {KES_PLOT_FLAG_GAMMA, KES_DIST_GAMMA}, {KES_PLOT_FLAG_BETA, KES_DIST_BETA},
    {KES_PLOT_FLAG_SB, KES_DIST_SB}, {KES_PLOT_FLAG_SU, KES_DIST_SU},
    {KES_PLOT_FLAG_WEIBULL2, KES_DIST_WEIBULL2},
};
static_assert(std::size(kFamilies) == KES_DIST_WEIBULL2 + 1, "one entry per family of a QQ or probability plot");

}  // namespace

int kes_plot_family(const kes_stmt* s, bool weibull2, int none_code) {
  for (const family_flag& f : kFamilies) {
    if (f.code == KES_DIST_WEIBULL2 && !weibull2) break;
    if (kes_flag(s, f.flag)) return f.code;
  }
  return none_code;
}

bool kes_prob_begin(kes_ctx* ctx, int no_key_msg, bool weibull2, int none_code, bool rotatable) {
  kes_preq* r = ctx->curreq;
  if (r->classvars == nullptr || r->classvars->keycell == nullptr) {
    kes_var_note(ctx, KES_SET_PLOT, no_key_msg);
    return false;
  }
  r->line_wanted = 0;
  r->rotate = rotatable && kes_flag(r->stmt, KES_PLOT_FLAG_ROTATE) ? 1 : 0;
  r->dist = kes_plot_family(r->stmt, weibull2, none_code);
  return true;
}

kes_plotslot* kes_prob_slot(kes_ctx* ctx, kes_cell* cell) { return kes_plot_slot(ctx, ctx->curreq, cell); }

kes_prob_curves kes_prob_curve_block(kes_ctx* ctx) {
  kes_prob_curves b;
  kes_each_cell(ctx->classvars, [&b](kes_cell*) { ++b.count; });
  // The BY group's pool: records that come back with every BY group never pile up.
  const long long bytes = b.count * static_cast<long long>(sizeof(kes_curve));
  if (b.count > 1 && bytes <= LONG_MAX)
    b.block = static_cast<kes_curve*>(vmalcp_handler(ctx->bypool, static_cast<long>(bytes), KES_ALLOC_6));
  if (b.block == nullptr) b.count = 0;
  return b;
}

int kes_prob_curve(kes_ctx* ctx, kes_cell* cell, int code, kes_prob_curves* from) {
  kes_plotslot* s = kes_prob_slot(ctx, cell);
  const long size = static_cast<long>(sizeof(kes_curve));
  kes_curve* c = nullptr;
  if (from != nullptr && from->used < from->count) c = &from->block[from->used++];
  else c = static_cast<kes_curve*>(vmalcp_handler(ctx->bypool, size, KES_ALLOC_6));
  if (c == nullptr) {
    xmemmsg(size);
    return KES_RC_OUT_OF_MEMORY;
  }
  std::memset(c, 0, sizeof *c);
  c->dist = code;
  const double missing = host_missing_of_kind(HOST_MISS_STD);
  for (double& p : c->params) p = missing;
  s->curves = c;
  s->curve = 0;
  s->ncurves = 1;
  s->nkernels = 0;
  s->nfitted = 0;
  std::memset(s->nfitted_dist, 0, sizeof s->nfitted_dist);
  s->line = 0;
  s->intercept = s->slope = missing;
  s->intercept_saved = s->slope_saved = missing;
  return 0;
}

void kes_prob_note(kes_ctx* ctx, kes_cell* cell, int set, const kes_cell_forms& forms) {
  const kes_name32& v = ctx->curname;
  const kes_classvars* cv = ctx->curreq->classvars;
  if (cv == nullptr || cv->count == 0) {
    if (forms.plain != 0) xpmlog(set, forms.plain, static_cast<int>(v.len), v.text, static_cast<int>(v.len), v.text);
    return;
  }
  kes_cell_note(ctx, ctx->curreq, cell, set, {0, forms.cell, forms.cell2}, v.text, v.len);
}

void kes_var_note(kes_ctx* ctx, int set, int number) {
  const kes_name32& v = ctx->curname;
  xpmlog(set, number, static_cast<int>(v.len), v.text);
}

void* kes_plot_group(kes_ctx* ctx, const kes_stmt* s, int k, const char* name, int label_msg) {
  const kes_optslot* contents = kes_pslot(s, KES_PLOT_SLOT_CONTENTS);
  void* label;
  if (contents->given) {
    int len = contents->list != nullptr ? contents->v.count : 0;
    if (len < 1) return nullptr;
    if (len > KES_SUBS_MAX) len = KES_SUBS_MAX;
    char text[KES_SUBS_MAX];
    vzmp(static_cast<const char*>(contents->list), len, text, KES_SUBS_MAX);
    kessubs(ctx, text, &len);
    label = vemtxt(text, len);
  } else {
    label = vemmsgs(KES_SET_PLOT, label_msg, k);
  }
  const int n = static_cast<int>(std::strlen(name));
  wob_attr a[6] = {
      wob_out(WOB_A_HANDLE),
      wob_text(WOB_A_NAME, vemtxt(name, n)),
      wob_text(WOB_A_GROUP_KIND, vemtxt(name, n)),
      wob_dbl(WOB_A_ORDINAL, k),
      wob_text(WOB_A_LABEL, label),
      wob_last(WOB_A_GROUP_FLAG, 1),
  };
  kes_tabcall(ctx->objs.manager, WOB_M_GROUP, 6, a);
  return a[0].w.p;
}

void kes_plot_group_close(void* group) {
  if (group != nullptr) wobclose(group);
}

const kes_axis* kes_vertical_order(const kes_ctx* ctx, const kes_preq* r, kes_axis* list) {
  if (kes_pcount(r->stmt, KES_PLOT_SLOT_VAXIS) > 0) {
    // The start-up check left the count at 0 when the list cannot serve as ticks.
    if (r->nvvalues < 2) return nullptr;
    *list = kes_axis{};
    list->norder = r->nvvalues;
    list->order = const_cast<double*>(kes_pnumbers(r->stmt, KES_PLOT_SLOT_VAXIS));
    list->order_present = kVaxisList;
    return list;
  }
  return ctx->devgraph && r->layout != nullptr ? &r->layout->vaxis : nullptr;
}

bool kes_order_axis(const kes_ctx* ctx, const kes_axis* axis, const char* name, double lo, double hi, double* start,
                    double* end, double* step, int* ticks) {
  if (axis == nullptr || axis->norder < 2 || axis->order == nullptr) return false;
  const double* v = axis->order;
  const int n = axis->norder;
  const double slack = std::fabs(kes_range_pad(kOrderSlack, v[0], v[n - 1]));
  if (lo < v[0] - slack || hi > v[n - 1] + slack) {
    if (axis->order_present == kVaxisList) {
      const kes_name32& var = ctx->curname;
      if (ctx->curreq != nullptr) xspplace(ctx->curreq->stmt, KES_PLOT_SLOT_VAXIS);
      xpmlog(KES_SET_PLOT, KES_MSG_VAXIS_MISSES_PLOT_RANGE, lo, hi, static_cast<int>(var.len), var.text);
      return false;
    }
    xpmlog(KES_SET_PROC, KES_MSG_AXIS_DEFINITION_MISSES_RANGE, name, lo, hi);
    xpmlog(KES_SET_PLOT, KES_MSG_AXIS_ORDER_NOT_USED);
    return false;
  }
  *start = v[0];
  *end = v[n - 1];
  *step = v[1] - v[0];
  *ticks = n;
  return true;
}

int kes_prob_render(kes_ctx* ctx, int k) {
  const int result = kes_render(ctx, ctx->curreq, k);
  // The template renderer's result is not the request's.
  return ctx->tmplgraph ? 0 : result;
}
