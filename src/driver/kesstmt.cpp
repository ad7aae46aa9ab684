// kesstmt(ctx) -> int: the plot statement pass. Builds one plot request per plot
// statement, in kind order, decides whether graphs can be drawn and runs the option
// checks of every request.
#include "driver/kesstmt.h"

#include <cstring>

#include "devgraph/device_services.h"
#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "driver/plot_kinds.h"
#include "driver/unbuilt_notes.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "records/kes_stages.h"
#include "records/pool_alloc.h"

namespace {
constexpr char kDefaultDevice[9] = "javaimg ";
constexpr int kAnnotateVector = 0x40000 + 117;
constexpr char kAnnotateImage[9] = "QORXGANO";

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

// ANNOTATE= (of the PROC or of a plot statement) needs the annotate image; without it
// every ANNOTATE= is dropped, said once, and the step goes on.
void install_annotate(kes_ctx* ctx) {
  kes_optslot* own = &ctx->proc->slots[KES_PROC_SLOT_ANNOTATE];
  bool given = own->given != 0;
  for (const kes_stmt* s = ctx->proc->next; s != nullptr && !given; s = s->next)
    given = kes_plot_kind_of(s) != nullptr && kes_pgiven(s, KES_PLOT_SLOT_ANNOTATE);
  if (!given) return;
  if (wiinstl(kAnnotateVector, kAnnotateImage, 1) == 0) {
    if (own->given) ctx->annotate = static_cast<kes_dsh>(own->v.handle);
    return;
  }
  xpmlog(KES_SET_PARSER, KES_MSG_GRAPHICS_IMAGE_NOT_AVAILABLE, kAnnotateImage);
  xpmlog(KES_SET_LABEL, KES_MSG_ANNOTATE_DROPPED);
  own->given = 0;
  ctx->annotate = nullptr;
  for (kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next)
    if (kes_plot_kind_of(s) != nullptr) s->slots[KES_PLOT_SLOT_ANNOTATE].given = 0;
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

  // Count the plot statements; a HISTOGRAM with NOPLOT or NOCHART needs no graph.
  bool need_graph = false;
  for (kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) {
    const kes_plot_kind* kind = kes_plot_kind_of(s);
    if (kind == nullptr) continue;
    ++(ctx->*kind->count);
    ++ctx->nplots;
    const bool hist = kind->type == KES_PLOT_HISTOGRAM;
    if (!hist || !(kes_flag(s, KES_PLOT_FLAG_NOPLOT) || kes_flag(s, KES_PLOT_FLAG_NOCHART))) need_graph = true;
    if (!hist) continue;
    for (const kes_param_slots& row : KES_PARAM_ROWS)
      if (!pair_markers(ctx, s, row)) return KES_RC_OUT_OF_MEMORY;
  }
  if (ctx->nplots == 0) return 0;
  if (ctx->weight_given) {
    // Said at the first plot statement, where a reader looks for what to drop.
    for (kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next)
      if (kes_plot_kind_of(s) != nullptr) {
        xspplace(s, KES_STMT_KEYWORD);
        break;
      }
    xpmlog(KES_SET_PLOT, KES_MSG_PLOT_STATEMENTS_WITH_WEIGHT);
    return KES_RC_PLOT_WITH_WEIGHT;
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
  for (kes_plottype type : kes_request_order) {
    if (type != KES_PLOT_HISTOGRAM && !need_graph) break;
    const kes_plot_kind& kind = kes_plot_kind_of(type);
    int nth = 0;
    for (kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) {
      if (kes_plot_kind_of(s) != &kind) continue;
      req->type = type;
      req->stmt = s;
      ctx->curreq = req;
      kesfamrep(req, ++nth);
      if (kesvchk(ctx, req, KES_PLOT_SLOT_VAR) != 0 || kesgchk(ctx, req) != 0) return KES_RC_SETUP_FAILED;
      for (auto check : kind.checks)
        if (check != nullptr && check(ctx, req) != 0) return KES_RC_SETUP_FAILED;
      // The histogram checks count the VAXIS= values themselves, at their place.
      if (type != KES_PLOT_HISTOGRAM) req->nvvalues = kes_vertical_values(req);
      if (type == KES_PLOT_HISTOGRAM && !req->nograph) ctx->printed = 1;
      ++req;
    }
  }
  // The DEBUG trace of every request. Without graphics output the QQPLOT, CDFPLOT,
  // PROBPLOT and PPPLOT requests are checked and not run, without a note: the run
  // asked for no graphs.
  const bool debug = kes_flag(ctx->proc, KES_PROC_FLAG_DEBUG);
  for (const kes_preq* q = ctx->preqs; debug && q < req; ++q) {
    const char* statement = kes_plot_statement_name(q->type);
    int nth = 1;
    for (const kes_preq* e = ctx->preqs; e < q; ++e) nth += e->type == q->type;
    xpmlog(KES_SET_LABEL, KES_MSG_DEBUG_REQUEST_PLOTS_VARIABLES, statement, nth, q->nvars, q->first_slot,
           q->ncurves);
    if (q->type == KES_PLOT_HISTOGRAM)
      xpmlog(KES_SET_LABEL, KES_MSG_DEBUG_HISTOGRAM_REQUEST_BINS, nth, q->bincode[0], q->explicit_bins, q->endpoints,
             q->binlimit, q->nvvalues);
  }
  install_annotate(ctx);
  return 0;
}
