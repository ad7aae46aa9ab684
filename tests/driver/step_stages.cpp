#include "step_stages.h"

#include <cmath>
#include <cstring>

#include "host/host_services.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"
#include "support/fake_host.h"
#include "util/kes_text.h"

namespace kes_test {

step_setup setup;

namespace {

void event(std::string e) { fake_host::rec.events.push_back(std::move(e)); }

int next(std::deque<int>& results) {
  if (results.empty()) return 0;
  const int r = results.front();
  results.pop_front();
  return r;
}

std::string num(double v) {
  if (std::isnan(v)) return ".";
  char b[32];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}

template <class T>
T* take(kes_ctx* ctx, long count, bool* failed) {
  return static_cast<T*>(kes_zalloc(ctx->runpool, count * static_cast<long>(sizeof(T)), KES_ALLOC_2, failed));
}

void set_name(kes_name32& n, const std::string& text) {
  n.len = static_cast<std::uint16_t>(text.size() < 32 ? text.size() : 32);
  vzmp(text.data(), n.len, n.text, 32);
}

// What the parse would leave behind for the set-up.
int init(kes_ctx* ctx) {
  event("init");
  ctx->runpool = xmpoolc(0, 1024, KES_POOL_RUN);
  bool failed = false;
  kes_stmt* proc = take<kes_stmt>(ctx, 1, &failed);
  kes_optslot* slots = take<kes_optslot>(ctx, 50, &failed);
  if (failed) return 1016;
  std::memcpy(proc->name, "PROC    ", 8);
  proc->slots = slots;
  proc->nslots = 50;
  if (setup.outtable_ds != nullptr) {
    slots[35].given = 1;
    slots[35].v.handle = setup.outtable_ds;
  }
  ctx->proc = proc;
  ctx->noprint = 0;
  ctx->printed = true;
  ctx->devgraph = setup.devgraph;
  ctx->tmplgraph = setup.tmplgraph;
  ctx->devstarted = setup.devstarted;
  ctx->vargroups = true;

  const int nv = setup.nvars;
  ctx->nvars = nv;
  ctx->varnums = take<int>(ctx, nv, &failed);
  ctx->varnames = take<kes_name32>(ctx, nv, &failed);
  ctx->varpools = take<host_pool*>(ctx, nv, &failed);
  ctx->node_chunk = take<void*>(ctx, nv, &failed);
  ctx->weight_chunk = take<void*>(ctx, nv, &failed);
  ctx->nodes_used = take<int>(ctx, nv, &failed);
  ctx->varsums = take<kes_varsum>(ctx, nv, &failed);
  ctx->classvars = take<kes_classvars>(ctx, 1, &failed);
  if (failed) return 1016;
  for (int v = 0; v < nv; ++v) {
    ctx->varnums[v] = v;
    set_name(ctx->varnames[v], "V" + std::to_string(v + 1));
  }
  kes_classvars* cv = ctx->classvars;
  cv->count = setup.nclass;
  for (int i = 0; i < cv->count; ++i) {
    kes_classvar& c = cv->var[i];
    c.type = 1;
    c.fmt.width = c.key.width = 12;
    c.fmt.text = take<char>(ctx, 12, &failed);
    c.key.text = take<char>(ctx, 12, &failed);
    set_name(c.name, i == 0 ? "GROUP" : "SITE");
  }
  if (setup.noutvals > 0) {
    ctx->output_present = 1;
    ctx->noutvals = setup.noutvals;
    ctx->outvals = take<double>(ctx, setup.noutvals, &failed);
  }
  // Requests ordered by kind, as the statement pass leaves them.
  const int kinds[5] = {KES_PLOT_HISTOGRAM, KES_PLOT_QQ, KES_PLOT_CDF, KES_PLOT_PROB, KES_PLOT_PP};
  int* counts[5] = {&ctx->nhist, &ctx->nqq, &ctx->ncdf, &ctx->nprob, &ctx->npp};
  ctx->preqs = take<kes_preq>(ctx, static_cast<long>(setup.requests.size()) + 1, &failed);
  if (failed) return 1016;
  for (int k = 0; k < 5; ++k)
    for (const auto& r : setup.requests) {
      if (r.type != kinds[k]) continue;
      kes_preq* q = &ctx->preqs[ctx->nplots++];
      q->type = r.type;
      q->varslot = take<int>(ctx, nv, &failed);
      if (failed) return 1016;
      int slot = 0;
      for (int v = 0; v < nv; ++v) q->varslot[v] = (r.varmask >> v) & 1u ? slot++ : -1;
      ++*counts[k];
    }
  return 0;
}

kes_cell* make_cell(kes_ctx* ctx, const std::string& text, bool with_records, double id) {
  bool failed = false;
  auto* c = static_cast<kes_cell*>(kes_zalloc(ctx->bypool, sizeof(kes_cell) + 24, KES_ALLOC_2, &failed));
  if (failed) return nullptr;
  char* buf = reinterpret_cast<char*>(c + 1);
  const auto len = static_cast<std::uint16_t>(text.size());
  c->fmt = {12, len, buf};
  c->key = {12, len, buf + 12};
  vzmp(text.data(), len, c->fmt.text, 12);
  vzmp(text.data(), len, c->key.text, 12);
  c->value = id;
  if (ctx->noutvals > 0) {
    c->outvals = static_cast<double*>(kes_zalloc(ctx->bypool, 8L * ctx->noutvals, KES_ALLOC_4, &failed));
    if (failed) return nullptr;
    vzfdl(std::nan(""), c->outvals, ctx->noutvals);
    c->outvals[0] = id;  // tells the cell apart in the OUTPUT events
  }
  if (with_records)
    c->varsums = static_cast<kes_varsum*>(
        kes_zalloc(ctx->bypool, static_cast<long>(sizeof(kes_varsum)) * ctx->nvars, KES_ALLOC_4, &failed));
  return failed ? nullptr : c;
}

// Levels "L1", "L2" ... (first OUTPUT value 10 * level + 1) and, with two CLASS
// variables, their children "C1", "C2" ... (10 * (level + 1) + child + 1).
int make_cells(kes_ctx* ctx) {
  kes_classvars* cv = ctx->classvars;
  kes_cell** tail = &cv->levels;
  for (int l = 0; l < setup.nlevels; ++l) {
    const bool parent = cv->count == 2;
    kes_cell* level = make_cell(ctx, "L" + std::to_string(l + 1), !parent,
                                10.0 * l + 1);
    if (level == nullptr) return 1;
    kes_cell** ctail = &level->child;
    for (int k = 0; parent && k < setup.nchildren; ++k) {
      kes_cell* child = make_cell(ctx, "C" + std::to_string(k + 1), true, 10.0 * (l + 1) + k + 1);
      if (child == nullptr) return 1;
      child->no_output = static_cast<int>((setup.no_output >> (l * setup.nchildren + k)) & 1u);
      *ctail = child;
      ctail = &child->next;
    }
    *tail = level;
    tail = &level->next;
    ++cv->nlevels;
  }
  cv->keycell = cv->levels;
  return 0;
}

int in(kes_ctx* ctx) {
  event("in(" + std::to_string(ctx->bynum) + ":" + std::to_string(ctx->batch_first) + "," +
        std::to_string(ctx->batch_n) + ")");
  const int r = next(setup.kesin);
  if ((r == 0 || r == 2) && ctx->batch_first == 0 && ctx->classvars->count > 0) {
    ctx->classvars->levels = nullptr;
    ctx->classvars->nlevels = 0;
    if (make_cells(ctx) != 0) return 1;
  }
  return r;
}

std::string keys(const kes_ctx* ctx) {
  std::string k;
  for (int i = 0; i < ctx->classvars->count; ++i) {
    const kes_textdesc& t = ctx->classvars->var[i].key;
    k += (i > 0 ? "/" : "") + std::string(t.text, static_cast<size_t>(wzstrip(t.text, t.width)));
  }
  return k;
}

template <int Kind>
int plot(kes_ctx*, int k) {
  static const char* const names[5] = {"hist", "qq", "cdf", "prob", "pp"};
  event(std::string(names[Kind]) + "(" + std::to_string(k) + ")");
  return next(setup.plot[Kind]);
}

}  // namespace

const kes_stages test_stages = {
    .kesinit = init,
    .kesotab = [](kes_ctx*, int) {
      event("otab");
      return setup.outtable_access;
    },
    .kesxvem = [](kes_ctx*) {
      event("xvem");
      return 0;
    },
    .kesin = in,
    .kescomp = [](kes_ctx*, int mode, int var,
                  kes_varsum*) { event("comp(" + std::to_string(var) + "," + std::to_string(mode) + ")"); },
    .kessave = [](kes_stats*, kes_varsum*) { event("save"); },
    .kesouts = [](kes_ctx*, kes_stats*, double* values) { event("outs(" + num(values[0]) + ")"); },
    .kesmerg = [](kes_ctx*) {
      event("merg");
      return next(setup.kesmerg);
    },
    .kescmh3 = [](kes_ctx*) {
      event("cmh3");
      return next(setup.kescmh3);
    },
    .keshini = plot<0>,
    .kesqini = plot<1>,
    .kescini = plot<2>,
    .kespini = plot<3>,
    .keszini = plot<4>,
    .kesstgr = nullptr,
    .kesgcht = nullptr,
    .kesout = [](kes_ctx* ctx, int) {
      event("out(" + keys(ctx) + ":" + num(ctx->outvals[0]) + ")");
      return next(setup.kesout);
    },
    .kesside = [](kes_ctx*) { event("side"); },
    .gpspnot = [] { event("gpspnot"); },
    .graphics = nullptr,
};

}  // namespace kes_test
