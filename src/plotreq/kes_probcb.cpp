// The callbacks of the probability and QQ plot requests for the families with a
// location and a scale (codes 0 to 7): one frame, driven by each family's option slots.
#include <cfloat>
#include <cmath>
#include <iterator>

#include "fit/family/kes_law.h"
#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "plotreq/kes_probfns.h"
#include "plotreq/prob_callbacks.h"
#include "plotreq/prob_common.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"

namespace {

// Value and marker slots of one parameter; 0 where the family has none.
struct param_slots {
  int values, marks;
};
struct family_slots {
  param_slots loc, scale, shape1, shape2;
  param_slots alt;  // lognormal SLOPE=, the alternative to ZETA=
};

// The value and marker slots the grammar names for a parameter.
#define PARAM(name) {KES_PLOT_SLOT_##name, KES_PLOT_SLOT_##name##_MARKS}
constexpr param_slots kNone = {KES_NO_SLOT, KES_NO_SLOT};

// ORDER: kes_distcode 0 to 7, as the table of laws; in each, location, scale, first and
// second shape.
constexpr family_slots kSlots[] = {
    {PARAM(NORMAL_MU), PARAM(NORMAL_SIGMA), kNone, kNone, kNone},
    {PARAM(LOGNORMAL_THETA), PARAM(LOGNORMAL_ZETA), PARAM(LOGNORMAL_SIGMA), kNone, PARAM(LOGNORMAL_SLOPE)},
    {PARAM(EXPONENTIAL_THETA), PARAM(EXPONENTIAL_SIGMA), kNone, kNone, kNone},
    {PARAM(WEIBULL_THETA), PARAM(WEIBULL_SIGMA), PARAM(WEIBULL_C), kNone, kNone},
    {PARAM(GAMMA_THETA), PARAM(GAMMA_SIGMA), PARAM(GAMMA_ALPHA), kNone, kNone},
    {PARAM(BETA_THETA), PARAM(BETA_SIGMA), PARAM(BETA_ALPHA), PARAM(BETA_BETA), kNone},
    {PARAM(SB_THETA), PARAM(SB_SIGMA), PARAM(SB_DELTA), PARAM(SB_GAMMA), kNone},
    {PARAM(SU_THETA), PARAM(SU_SIGMA), PARAM(SU_DELTA), PARAM(SU_GAMMA), kNone},
};
#undef PARAM
static_assert(std::size(kSlots) == KES_DIST_SU + 1, "one entry per family with a location and a scale");

bool has(const param_slots& p) { return p.marks != KES_NO_SLOT; }

// A marker says EST when its slot is given and its first word is not 0; it says value
// when the slot is given and the word is 0.
bool marker_given(const kes_stmt* s, const param_slots& p) { return has(p) && kes_pgiven(s, p.marks); }
bool says_est(const kes_stmt* s, const param_slots& p) {
  if (!marker_given(s, p)) return false;
  const kes_optslot* m = kes_pslot(s, p.marks);
  return m->list != nullptr && m->v.count > 0 && static_cast<const int*>(m->list)[0] != 0;
}
bool says_value(const kes_stmt* s, const param_slots& p) { return marker_given(s, p) && !says_est(s, p); }

bool has_shapes(int code) { return has(kSlots[code].shape1); }
bool two_shapes(int code) { return has(kSlots[code].shape2); }

// Lognormal: SLOPE= stands for exp(ZETA). A SLOPE= value is turned into a given ZETA=;
// SLOPE=EST leaves ZETA= to be estimated.
bool zeta_from_slope(kes_ctx* ctx) {
  kes_stmt* s = ctx->curreq->stmt;
  const family_slots& f = kSlots[KES_DIST_LOGNORMAL];
  kes_optslot* zeta = &s->slots[f.scale.values];
  kes_optslot* zmarks = &s->slots[f.scale.marks];
  if (says_value(s, f.alt)) {
    if (zeta->list == nullptr || zeta->v.count < 1) {
      bool failed = false;
      zeta->list = kes_zalloc(ctx->runpool, sizeof(double), KES_ALLOC_2, &failed);
      if (failed) return false;
      zeta->v.count = 1;
    }
    static_cast<double*>(zeta->list)[0] = std::log(static_cast<const double*>(kes_pslot(s, f.alt.values)->list)[0]);
    zeta->given = 1;
    zmarks->given = 0;  // a ZETA=EST beside SLOPE= is ignored
  } else if (says_est(s, f.alt)) {
    zeta->given = 0;
    zmarks->given = 0;
  }
  return true;
}

int estimate(kes_ctx* ctx, kes_cell* cell, int code, int i, int j) {
  const kes_famfn* fn = kes_famdisp(code);
  if (fn == nullptr || fn->est == nullptr) return 1;
  return fn->est(ctx, ctx->curreq, cell, code, 0, 0, i, j, nullptr);
}

// The line of a fitted curve: data = threshold + scale x standardized quantile.
void line_of_curve(kes_plotslot* slot, int code) {
  const kes_curve* c = kes_fit_curve(slot);
  slot->intercept = c->params[0];
  slot->slope = kes_law_scale(*kes_laws[code], c->params);
}

// A scale given without THETA= draws no line: the threshold 0 that a fit takes without
// THETA= places the points only. Said once per statement, as the user asked for a line.
void note_line_without_threshold(kes_preq* r, int code) {
  const family_slots& f = kSlots[code];
  const kes_stmt* s = r->stmt;
  if (code == KES_DIST_NORMAL || r->line_noted || marker_given(s, f.loc)) return;
  if (!marker_given(s, f.scale) && !marker_given(s, f.alt)) return;
  r->line_noted = 1;
  xspplace(s, KES_STMT_KEYWORD);
  xpmlog(KES_SET_PLOT, KES_MSG_LINE_NEEDS_THRESHOLD, code == KES_DIST_LOGNORMAL ? "ZETA= or SLOPE=" : "SIGMA=");
}

}  // namespace

int kes_prob_first_end(kes_ctx* ctx, kes_plotslot* slot, int code) {
  kes_preq* r = ctx->curreq;
  slot->nfitted = 1;
  slot->nfitted_dist[code] = 1;
  r->ncurves_dist[code] = 1;
  if (kes_curve* c = kes_fit_curve(slot); c != nullptr) c->fitted = 1;
  if (slot->line) r->line_wanted = 1;
  return 0;
}

void kes_prob_turn_line(kes_ctx* ctx, kes_plotslot* slot, double a, double b) {
  const kes_curve* c = kes_fit_curve(slot);
  if (!ctx->curreq->rotate || !slot->line || c == nullptr || !c->fitted) return;
  slot->slope = 1.0 / b;
  slot->intercept = -slot->slope * a;
}

int kes_prob_quantiles(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, double p_low, double p_high,
                       double* q_low, double* q_high, int status) {
  kes_preq* r = ctx->curreq;
  const kes_curve* c = kes_fit_curve(slot);
  const kes_famfn* fn = kes_famdisp(r->dist);
  if (slot->line) r->line_wanted = 1;
  // Every fitted cell's quantiles widen the common theoretical axis: a cell whose shape
  // was fitted on its own data places its points by that shape, and they must all lie
  // inside the axes the cells share.
  // A quantile that cannot be had leaves the range (the key cell's too: the data
  // minimum it held is no quantile), and counts as failed so that the cell is named.
  const bool fits = c != nullptr && c->fitted && fn != nullptr && fn->x != nullptr;
  const bool key = fits && cell == r->classvars->keycell;
  *q_low = DBL_MAX;
  *q_high = -DBL_MAX;
  // Another cell's quantiles only widen the range.
  if (!fits || (status != 0 && !key)) return status;
  double q = 0;
  int failed = 0;
  if (fn->x(c->params, p_low, &q) == 0) *q_low = q;
  else ++failed;
  if (fn->x(c->params, p_high, &q) == 0) *q_high = q;
  else ++failed;
  return failed;
}

int kes_prob_first_common(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, int code, int* a, int* b) {
  kes_preq* r = ctx->curreq;
  const kes_stmt* s = r->stmt;
  const family_slots& f = kSlots[code];
  slot->line = 0;
  const param_slots& line_slope = f.scale;
  const int alt = f.alt.values;

  const bool est1 = says_est(s, f.shape1), est2 = says_est(s, f.shape2);
  note_line_without_threshold(r, code);
  const bool nothing = !says_est(s, f.loc) && !says_est(s, f.scale) && !says_est(s, f.alt) && !est1 && !est2;
  if (nothing) {
    kesline(ctx, slot, f.loc.values, line_slope.values, alt);
    return kes_prob_first_end(ctx, slot, code);
  }
  if (est1 && a != nullptr) *a = 1;
  if (est2 && b != nullptr) *b = 1;
  if (code == KES_DIST_LOGNORMAL && has(f.alt) && !zeta_from_slope(ctx)) return KES_RC_OUT_OF_MEMORY;

  const bool scale_marked = marker_given(s, f.scale) || marker_given(s, f.alt);
  if (marker_given(s, f.loc) && scale_marked) {
    slot->line = 1;
    const int rc = estimate(ctx, cell, code, 0, 0);
    if (rc == 0) {
      line_of_curve(slot, code);
      return kes_prob_first_end(ctx, slot, code);
    }
    slot->line = 0;
    switch (code) {
      case KES_DIST_NORMAL: kesnoest(ctx, cell, code); return kes_prob_first_end(ctx, slot, code);
      case KES_DIST_EXPONENTIAL: return kes_prob_first_end(ctx, slot, code);
      default: break;
    }
    // Shapes given as values still place the points; only the line is lost.
    const bool shapes_valued = two_shapes(code) ? says_value(s, f.shape1) && says_value(s, f.shape2)
                                                : says_value(s, f.shape1);
    if (shapes_valued) {
      kesnoest_if_reason(ctx, cell, code);
      return kes_prob_first_end(ctx, slot, code);
    }
    kesnoest(ctx, cell, code);
    return rc;
  }
  // Location or scale left open: the points need only the shapes.
  if (!has_shapes(code)) return kes_prob_first_end(ctx, slot, code);
  if (est1 || two_shapes(code)) {
    const int rc = estimate(ctx, cell, code, 0, 0);
    if (rc != 0) {
      kesnoest(ctx, cell, code);
      return rc;
    }
  }
  return kes_prob_first_end(ctx, slot, code);
}

int kes_prob_second_common(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, int code, int i, int j, double p_low,
                           double p_high, double* q_low, double* q_high) {
  kes_preq* r = ctx->curreq;
  const kes_stmt* s = r->stmt;
  const family_slots& f = kSlots[code];
  kes_curve* c = kes_fit_curve(slot);
  if (c == nullptr) return 1;
  const bool est1 = says_est(s, f.shape1), est2 = says_est(s, f.shape2);
  if (has(f.shape1) && !est1) c->params[2] = kes_param_entry(s, f.shape1.values, f.shape1.marks, i, nullptr);
  if (has(f.shape2) && !est2) c->params[3] = kes_param_entry(s, f.shape2.values, f.shape2.marks, j, nullptr);

  // The line the graph shows: the first callback's, or the one fitted here for a later
  // shape value (under ROTATE the fitted one is turned round, not the first).
  double a = slot->intercept_saved, b = slot->slope_saved;
  int status = 0;
  const bool loc_marked = marker_given(s, f.loc), scale_marked = marker_given(s, f.scale);
  const bool refit = [&] {
    if (code == KES_DIST_WEIBULL || code == KES_DIST_GAMMA) return !est1 && i > 0 && says_est(s, f.scale) && loc_marked;
    if (!two_shapes(code)) return false;
    if ((est1 && est2) || (i == 0 && j == 0)) return false;
    if (!est1 && !est2) return loc_marked && scale_marked;
    return true;
  }();
  if (refit) {
    const bool with_line = code == KES_DIST_WEIBULL || code == KES_DIST_GAMMA || (loc_marked && scale_marked);
    if (with_line) slot->line = 1;
    const int rc = estimate(ctx, cell, code, i, j);
    if (rc == 0) {
      line_of_curve(slot, code);
      a = slot->intercept;
      b = slot->slope;
    } else if (code == KES_DIST_WEIBULL || code == KES_DIST_GAMMA || (!est1 && !est2)) {
      slot->line = 0;
      kesnoest_if_reason(ctx, cell, code);
    } else {
      kesnoest(ctx, cell, code);
      status = rc;
    }
  }
  if (!refit || status != 0) {
    // Graphs without a fit of their own show the first callback's line.
    slot->intercept = slot->intercept_saved;
    slot->slope = slot->slope_saved;
  }
  kes_prob_turn_line(ctx, slot, a, b);
  return kes_prob_quantiles(ctx, cell, slot, p_low, p_high, q_low, q_high, status);
}

#define KES_PROB_FAMILY(first, second, code)                                                                      \
  int first(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, int* a, int* b) {                                    \
    return kes_prob_first_common(ctx, cell, slot, code, a, b);                                                      \
  }                                                                                                                \
  int second(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, int i, int j, double pl, double ph, double* ql,      \
             double* qh) {                                                                                         \
    return kes_prob_second_common(ctx, cell, slot, code, i, j, pl, ph, ql, qh);                                    \
  }

KES_PROB_FAMILY(kesnrm1, kesnrm2, KES_DIST_NORMAL)
KES_PROB_FAMILY(keslog1, keslog2, KES_DIST_LOGNORMAL)
KES_PROB_FAMILY(kesexp1, kesexp2, KES_DIST_EXPONENTIAL)
KES_PROB_FAMILY(keswbl1, keswbl2, KES_DIST_WEIBULL)
KES_PROB_FAMILY(kesgam1, kesgam2, KES_DIST_GAMMA)
KES_PROB_FAMILY(kesbet1, kesbet2, KES_DIST_BETA)
KES_PROB_FAMILY(kessb1, kessb2, KES_DIST_SB)
KES_PROB_FAMILY(kessu1, kessu2, KES_DIST_SU)

const kes_probfns* kes_probdisp(int code) {
  // ORDER: kes_distcode 0 to 8, as the table of laws.
  static const kes_probfns kFns[] = {
      {kesnrm1, kesnrm2}, {keslog1, keslog2}, {kesexp1, kesexp2}, {keswbl1, keswbl2}, {kesgam1, kesgam2},
      {kesbet1, kesbet2}, {kessb1, kessb2},   {kessu1, kessu2},   {kesw21, kesw22},
  };
  static_assert(std::size(kFns) == KES_DIST_WEIBULL2 + 1, "one entry per family");
  return code >= 0 && code <= KES_DIST_WEIBULL2 ? &kFns[code] : nullptr;
}
