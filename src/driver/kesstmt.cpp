// kesstmt(ctx) -> int: the plot statement pass. Builds one plot request per plot
// statement, in kind order, decides whether graphs can be drawn and runs the option
// checks of every request.
#include "driver/kesstmt.h"

#include <cstring>

#include "devgraph/device_services.h"
#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "driver/unbuilt_notes.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "records/kes_stages.h"
#include "records/pool_alloc.h"

namespace {
constexpr int kWeightConflict = 3000;
constexpr int kFlagDebug = 19;  // PROC DEBUG
constexpr char kDefaultDevice[9] = "javaimg ";

// The plot kinds in request order, with the prefix that tells their statements
// apart and the checks each runs after kesvchk and kesgchk.
using check_fn = int (*)(kes_ctx*, kes_preq*);
struct plot_kind {
  const char* prefix;
  int prefix_len;
  const char* statement;  // as the log names it
  int type;
  int kes_ctx::*count;
  check_fn checks[2];
};
constexpr plot_kind kKinds[5] = {
    {"HIST", 4, "HISTOGRAM", KES_PLOT_HISTOGRAM, &kes_ctx::nhist, {keshchk, nullptr}},
    {"QQ", 2, "QQPLOT", KES_PLOT_QQ, &kes_ctx::nqq, {kesqchk, nullptr}},
    {"CDF", 3, "CDFPLOT", KES_PLOT_CDF, &kes_ctx::ncdf, {keschk1, kescchk}},
    {"PROB", 4, "PROBPLOT", KES_PLOT_PROB, &kes_ctx::nprob, {kesqchk, kespchk}},
    {"PP", 2, "PPPLOT", KES_PLOT_PP, &kes_ctx::npp, {keschk1, keszchk}},
};

// The kind of a statement, or -1 for one that is no plot statement.
int kind_of(const kes_stmt* s) {
  for (int k = 0; k < 5; ++k)
    if (std::memcmp(s->name, kKinds[k].prefix, static_cast<size_t>(kKinds[k].prefix_len)) == 0) return k;
  return -1;
}

// Rebuilds the EST markers of a parameter list whose marker count differs from its
// value count: one marker per value, EST at the pairing positions.
bool pair_markers(kes_ctx* ctx, kes_stmt* s, const kes_param_slots& row) {
  if (row.values >= s->nslots || row.markers >= s->nslots) return true;
  kes_optslot* values = &s->slots[row.values];
  kes_optslot* markers = &s->slots[row.markers];
  if (!values->given || values->list == nullptr || (markers->given && markers->v.count == values->v.count))
    return true;
  const int n = values->v.count;
  bool failed = false;
  auto* words = static_cast<int*>(kes_zalloc(ctx->runpool, static_cast<long>(sizeof(int)) * n, KES_ALLOC_2, &failed));
  if (failed) return false;
  const int npos = kes_pcount(s, row.pairs);
  const int* pos = kes_pwords(s, row.pairs);
  for (int i = 0; i < npos; ++i)
    if (pos[i] >= 0 && pos[i] < n) words[pos[i]] = 1;
  markers->given = 1;
  markers->v.count = n;
  markers->list = words;
  return true;
}

// Graphics start-up: template graphics when the output manager draws them, device
// graphics when a graph is needed and template graphics are off. The device is loaded
// from the first destination's options either way.
int start_graphics(kes_ctx* ctx, bool need_graph, const kes_graphics_startup* g) {
  ctx->tmplgraph = 0;
  ctx->devgraph = 0;
  if (!g->has_destination(ctx)) return 0;
  ctx->tmplgraph = g->template_graphics(ctx);
  ctx->devgraph = need_graph && !ctx->tmplgraph;
  if (!ctx->devgraph && !ctx->tmplgraph) return 0;

  kes_layout layout{};
  layout.manager = ctx->objs.manager;
  layout.root = ctx->objs.root;
  int r = g->destinations(&layout);
  if (r != 0) return r;
  gdevopts* opts = layout.gopts;
  if (layout.destlist != nullptr && layout.destlist->count > 0)
    kes_dest_options(opts, layout.destlist->entries[0].dest);
  // A blank device name loads the default device; the options keep the blank name.
  char kept[8];
  std::memcpy(kept, opts->device, sizeof kept);
  const bool blank = std::memcmp(opts->device, "        ", 8) == 0 || opts->device[0] == '\0';
  if (blank) std::memcpy(opts->device, kDefaultDevice, 8);
  r = g->load_device(opts, 0, 0);
  std::memcpy(opts->device, kept, sizeof kept);
  g->release(&layout);
  if (r == -1) {
    xpmlog(KES_SET_GRAPH, KES_MSG_DEVICE_NOT_LOADED);
    xpmlog(KES_SET_GRAPH, KES_MSG_CHECK_GRAPHICS_DEVICE_NAME);
  } else if (r == 1) {
    xpmlog(KES_SET_PLOT, KES_MSG_GRAPHICS_DEVICE_NEEDS_DRIVER);
  }
  if (r != 0) {
    ctx->devgraph = 0;
    // Template graphs need no device: the step goes on without one.
    if (ctx->tmplgraph) {
      xpmlog(KES_SET_GRAPH, KES_MSG_DEVICE_NOT_LOADED_TEMPLATES_DRAWN);
      return 0;
    }
    return KES_RC_SETUP_FAILED;
  }
  return ctx->devgraph ? g->start_device(ctx) : 0;
}


}  // namespace


int kesstmt(kes_ctx* ctx) {
  const kes_stages* st = ctx->stages;
  return kesstmt_with(ctx, st != nullptr && st->graphics != nullptr ? st->graphics : &kes_graphics_routines);
}

int kesstmt_with(kes_ctx* ctx, const kes_graphics_startup* graphics) {
  ctx->devgraph = 0;
  ctx->annotate = nullptr;
  ctx->devstarted = 0;
  ctx->nhist = ctx->nqq = ctx->ncdf = ctx->nprob = ctx->npp = ctx->nplots = 0;
  ctx->nplotslots = 0;
  if (ctx->proc == nullptr) return 0;

  // Count the plot statements; a HISTOGRAM with NOPLOT needs no graph.
  bool need_graph = false;
  for (kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) {
    const int k = kind_of(s);
    if (k < 0) continue;
    ++(ctx->*kKinds[k].count);
    ++ctx->nplots;
    if (k != 0 || !kes_flag(s, KES_PLOT_FLAG_NOPLOT)) need_graph = true;
    if (k != 0) continue;
    for (const kes_param_slots& row : KES_PARAM_ROWS)
      if (!pair_markers(ctx, s, row)) return KES_RC_OUT_OF_MEMORY;
  }
  if (ctx->nplots == 0) return 0;
  if (ctx->weight_given) {
    xpmlog(KES_SET_PLOT, KES_MSG_PLOT_STATEMENTS_WITH_WEIGHT);
    return kWeightConflict;
  }

  bool failed = false;
  ctx->preqs = static_cast<kes_preq*>(
      kes_zalloc(ctx->runpool, static_cast<long>(sizeof(kes_preq)) * ctx->nplots, KES_ALLOC_2, &failed));
  if (failed) return KES_RC_OUT_OF_MEMORY;
  for (int i = 0; i < ctx->nplots; ++i) {
    kes_preq* r = &ctx->preqs[i];
    r->varslot = static_cast<int*>(
        kes_zalloc(ctx->runpool, static_cast<long>(sizeof(int)) * ctx->nvars, KES_ALLOC_2, &failed));
    if (failed) return KES_RC_OUT_OF_MEMORY;
    for (int v = 0; v < ctx->nvars; ++v) r->varslot[v] = -1;
    r->classvars = ctx->classvars;
  }

  int r = start_graphics(ctx, need_graph, graphics);
  if (r != 0) return r;
  kes_choose_renderer(ctx);
  // ANNOTATE= of the PROC statement: drawn on every device graph of the step.
  if (const kes_optslot* anno = kes_pslot(ctx->proc, KES_PROC_SLOT_ANNOTATE); anno->given)
    ctx->annotate = static_cast<kes_dsh>(anno->v.handle);

  // The requests in kind order, each kind in statement order. Without any graph only
  // the HISTOGRAM requests are built and checked.
  kes_preq* req = ctx->preqs;
  for (int k = 0; k < 5; ++k) {
    if (k > 0 && !need_graph) break;
    int nth = 0;
    for (kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) {
      if (kind_of(s) != k) continue;
      req->type = kKinds[k].type;
      req->stmt = s;
      ctx->curreq = req;
      kesfamrep(req, ++nth);
      if (kesvchk(ctx, req, KES_PLOT_SLOT_VAR) != 0 || kesgchk(ctx, req) != 0) return KES_RC_SETUP_FAILED;
      for (check_fn check : kKinds[k].checks)
        if (check != nullptr && check(ctx, req) != 0) return KES_RC_SETUP_FAILED;
      if (k == 0 && !req->nograph) ctx->printed = 1;
      ++req;
    }
  }
  // The DEBUG trace of every request.
  const bool debug = kes_flag(ctx->proc, kFlagDebug);
  for (const kes_preq* q = ctx->preqs; q < req; ++q) {
    const int k = kind_of(q->stmt);
    int nth = 1;
    for (const kes_preq* e = ctx->preqs; e < q; ++e) nth += e->type == q->type;
    if (debug)
      xpmlog(KES_SET_LABEL, KES_MSG_DEBUG_REQUEST_PLOTS_VARIABLES, kKinds[k].statement, nth, q->nvars, q->first_slot,
             q->ncurves);
    if (debug && q->type == KES_PLOT_HISTOGRAM)
      xpmlog(KES_SET_LABEL, KES_MSG_DEBUG_HISTOGRAM_REQUEST_BINS, nth, q->bincode[0], q->explicit_bins, q->endpoints,
             q->binlimit, q->nvvalues);
    // Only HISTOGRAM requests run without graphics: say so for the others.
    if (q->type != KES_PLOT_HISTOGRAM && !ctx->devgraph && !ctx->tmplgraph)
      xpmlog(KES_SET_LABEL, KES_MSG_STATEMENT_WITHOUT_GRAPHICS, kKinds[k].statement, nth);
  }
  return 0;
}
