// What the template graphs of QQ, probability, P-P and CDF plots share (stg_prob.h).
#include "host/template_dynamics.h"
#include "tmplgraph/stg_prob.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "plotdata/family_line.h"
#include "plotdata/kes_axislabels.h"
#include "fit/family/kes_law.h"
#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_services.h"
#include "host/kes_checked.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "tmplgraph/kes_stgraph.h"
#include "tmplgraph/stg_labels.h"
#include "util/kes_eps.h"

namespace {
// Tick values this close to 0 are rounding residue of the steps: 1000 x 2^-53.
constexpr double kTickZero = 1000.0 / 9007199254740992.0;
// More ticks than any axis list holds: a count made from a range and a step stops here.
constexpr int kMaxTicks = 1 << 20;
// Percentile positions this close to 0 are the median's residue: 2^-26.5.
constexpr double kPositionZero = ZSQRT_EPS53;
constexpr int kLabelBuffer = 256;
}  // namespace

namespace {
// NOVLABEL with more than one row of cells: a blank y label and "_YLABELHT"; else null.
void* no_ylabel(kes_ctx* ctx, kes_stgraph* g) {
  const kes_preq* r = ctx->curreq;
  if (!(r->novlabel && r->nrows > 1)) return nullptr;
  kes_dyn_double(g, KES_DYN_YLABELHT, 1.0);
  return vemtxt(" ", 1);
}
}  // namespace

int kes_stg_rowcount(const kes_ctx* ctx, int n) {
  const kes_preq* r = ctx->curreq;
  int rows = n;
  if (r->nhref > rows) rows = r->nhref;
  if (r->nvref > rows) rows = r->nvref;
  return rows > 0 ? rows : 1;
}

void kes_stg_refrow(kes_ctx* ctx, kes_stgraph* g, int i, const kes_refmap& hmap, const kes_refmap& vmap) {
  const kes_preq* r = ctx->curreq;
  if (i < r->nhref) {
    g->cells[KES_STG_HREF_CELL] = hmap ? hmap(r->href[i]) : r->href[i];
    if (r->hreflabels != nullptr) kes_stg_reflabel(g->hreflabel, r->hreflabels[i]);
  }
  if (i < r->nvref) {
    g->cells[KES_STG_VREF_CELL] = vmap ? vmap(r->vref[i]) : r->vref[i];
    if (r->vreflabels != nullptr) kes_stg_reflabel(g->vreflabel, r->vreflabels[i]);
  }
}

namespace {

// The cell's curve is fitted; its points come from make, whose count says whether
// memory ran short.
bool cell_fitted(kes_ctx* ctx, kes_cell* cell) {
  kes_plotslot* s = kes_stg_slot(ctx, cell);
  const kes_curve* c = s != nullptr ? kes_fit_curve(s) : nullptr;
  return c != nullptr && c->fitted;
}

int counted(kes_stgraph* g, int n) {
  if (n >= 0) return n;
  g->status = KES_RC_OUT_OF_MEMORY;
  return 0;
}

}  // namespace

int kes_stg_points(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell, kes_pointmaker make, double** pts, bool* fitted) {
  *pts = nullptr;
  *fitted = cell_fitted(ctx, cell);
  return *fitted ? counted(g, make(ctx, cell, pts)) : 0;
}

int kes_stg_point_pieces(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell, kes_piecemaker make, const kes_piece_fn& put,
                         bool* fitted) {
  *fitted = cell_fitted(ctx, cell);
  return *fitted ? counted(g, make(ctx, cell, put)) : 0;
}

int kes_qntl_count(double s, double e, double d) {
  if (!(s < e) || !(d > 0)) return 1;
  return kes_clamped_int(std::ceil(kes_steps_between(s, e, d)), 0, kMaxTicks) + 2;
}

int kes_qntl_ticks(double s, double e, double d, double* out) {
  const int cap = kes_qntl_count(s, e, d);
  int n = 0;
  double v = s;
  do {
    if (std::fabs(v) < kTickZero) v = 0;
    // A step past the largest double ends the ticks.
    if (!std::isfinite(v)) break;
    out[n++] = v;
    if (!(v < e)) break;
    v += d;
  } while (n < cap && s < e && d > 0);
  // No finite tick at all: one at 0, so that the axis has its ends.
  if (n == 0) out[n++] = 0;
  return n;
}

double kes_pctl_position(kes_ctx* ctx, double percent, const kes_plotslot* slot) {
  const kes_famfn* fn = kes_famdisp(ctx->curreq->dist);
  if (fn == nullptr) return NAN;
  if (slot == nullptr) slot = kes_stg_keyslot(ctx);
  const double q = fn->q(ctx, const_cast<kes_plotslot*>(slot), percent / 100);
  return std::fabs(q) < kPositionZero ? 0.0 : q;
}

int kes_reflinelab(kes_ctx* ctx, char* buf, double a, double b) {
  const kes_preq* r = ctx->curreq;
  if (r->rotate) {
    a = -a / b;
    b = 1 / b;
  }
  // The numbers as the other legends show them: the scale (or shape) with its own
  // digits, the intercept, a location, to the scale's last digit (1700044470.26 beside
  // 18557.67).
  char p[2][KES_PARAM_TEXT + 1];
  const auto shown = [&p](int i, double v, int place) {
    kes_placed_text(v, place, p[i]);
    return static_cast<const char*>(p[i]);
  };
  switch (r->dist) {
    case KES_DIST_NORMAL:
      return xpmstr(buf, kLabelBuffer, KES_SET_PLOT, KES_MSG_NORMAL_LINE_MU_SIGMA, shown(0, a, kes_scale_place(b)),
                    shown(1, b, INT_MIN));
    case KES_DIST_WEIBULL2:
      return xpmstr(buf, kLabelBuffer, KES_SET_PLOT, KES_MSG_WEIBULL_LINE_SHAPE_SCALE, shown(0, 1 / b, INT_MIN),
                    shown(1, std::exp(a), INT_MIN));
    default: break;
  }
  const kes_law* law = kes_law_of(r->dist);
  if (law == nullptr) return 0;
  // The intercept is a threshold where the law has one; a log-scale law shows its zeta.
  return xpmstr(buf, kLabelBuffer, KES_SET_PLOT,
                law->from_zero ? KES_MSG_LINE_THRESHOLD_SCALE : KES_MSG_LINE_LOCATION_SCALE,
                shown(0, a, kes_scale_place(b)), law->log_scale ? shown(1, std::log(b), kes_scale_place(1.0)) : shown(1, b, INT_MIN));
}

void kes_stg_xylabels(kes_ctx* ctx, kes_stgraph* g, void** xlabel, void** ylabel) {
  const kes_preq* r = ctx->curreq;
  char h[KES_AXIS_LABEL_MAX], v[KES_AXIS_LABEL_MAX];
  void* ht = vemtxt(h, keshlab(ctx, h));
  // The data axis: VAXISLABEL= when kesvlab takes it (never under ROTATE), else the
  // variable's label.
  void* vt = g->varlabel;
  if (kes_pgiven(r->stmt, KES_PLOT_SLOT_VAXISLABEL) && !r->rotate) vt = vemtxt(v, kesvlab(ctx, v));
  *xlabel = r->rotate ? vt : ht;
  *ylabel = r->rotate ? ht : vt;
  // Under ROTATE the vertical axis is the fitted one; VAXISLABEL= still names the
  // vertical axis, as on the device.
  if (r->rotate && kes_pgiven(r->stmt, KES_PLOT_SLOT_VAXISLABEL)) {
    const kes_optslot* o = kes_pslot(r->stmt, KES_PLOT_SLOT_VAXISLABEL);
    const int n = o->list != nullptr ? std::min(o->v.count, KES_AXIS_LABEL_MAX) : 0;
    if (n > 0) *ylabel = vemtxt(static_cast<const char*>(o->list), n);
  }
  if (void* blank = no_ylabel(ctx, g)) *ylabel = blank;
}

void* kes_stg_ylabel(kes_ctx* ctx, kes_stgraph* g) {
  if (void* blank = no_ylabel(ctx, g)) return blank;
  char text[KES_AXIS_LABEL_MAX];
  return vemtxt(text, kesvlab(ctx, text));
}

void* kes_stg_grouplabel(const kes_stgraph* g) { return g->grouplabel != nullptr ? g->grouplabel : vemtxt("", 0); }

wob_attr kes_stg_pair_name(const char* name) {
  return wob_text(WOB_A_DYNAMIC_NAME, vemtxt(name, static_cast<int>(std::strlen(name))));
}

void kes_stg_linestyle(kes_ctx* ctx, kes_stgraph* g) {
  const kes_preq* r = ctx->curreq;
  const kes_family_line f = kes_family_line_of(r->stmt, r->dist);
  if (f.color_given) {
    int n = 8;
    while (n > 0 && (f.color[n - 1] == ' ' || f.color[n - 1] == '\0')) --n;
    if (n > 0) kes_dyn_text(g, KES_DYN_LINECOLOR, vemtxt(f.color, n));
  }
  if (f.width_given) kes_dyn_double(g, KES_DYN_LINETHICKNESS, f.width);
  if (f.type_given) kes_dyn_int(g, KES_DYN_LINEPATTERN, f.type);
}

void kes_stg_yticks(kes_ctx* ctx, kes_stgraph* g) {
  const kes_preq* r = ctx->curreq;
  const kes_plotslot* key = kes_stg_keyslot(ctx);
  if (!r->vaxis_used || r->rotate || key == nullptr) return;
  const bool cdf = r->type == KES_PLOT_CDF;
  const double first = cdf ? key->vmin : key->dstart, step = cdf ? key->vstep : key->dstep;
  const int n = cdf ? key->vticks : key->dticks;
  if (n < 2) return;
  const long bytes = 8L * n;
  auto* ticks = static_cast<double*>(vmalcp_handler(ctx->runpool, bytes, KES_ALLOC_4));
  if (ticks == nullptr) {
    xmemmsg(bytes);
    g->status = KES_RC_OUT_OF_MEMORY;
    return;
  }
  for (int i = 0; i < n; ++i) ticks[i] = kes_tick_at(first, step, i);
  kes_dyn_text(g, KES_DYN_YTICKS, makenumlist(ticks, n, 8, &g->status));
}
