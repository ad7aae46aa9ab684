// kesinit(ctx) -> int: the statement parse and everything read from it into the
// context, in this order: the parser descriptor (kesg), the parse (xsparse), the
// procedure options (kesgopt), the value-node chunk fields, the variables and CLASS
// set-up (kesgset) with the end of the variable-get set, the plot statements
// (kesstmt), the OUTPUT statements (kesgout) and the listing labels (keszset); last
// the input data set must be usable. 0 on success, nonzero after a failed check (the
// caller ends the step). Parse errors end the step here.
//
// Tests of the step driver fill the stand-in record (placeholder_hooks.h) instead
// of writing statements: while any of it is set, the context is laid out from it.
#include "driver/kesinit.h"

#include <cstdio>
#include <cstring>

#include "driver/kes_ctx.h"
#include "driver/kes_gramdesc.h"
#include "driver/kes_text.h"
#include "driver/kesgopt.h"
#include "driver/kesgout.h"
#include "driver/kesgset.h"
#include "driver/kesin_standin.h"
#include "driver/kesstmt.h"
#include "driver/keszset.h"
#include "driver/placeholder_hooks.h"
#include "driver/pool_alloc.h"
#include "driver/xsparse.h"
#include "devgraph/device_services.h"
#include "host/host_services.h"

namespace {

// PROC option slots and flags read by the driver.
constexpr int kProcSlots = 50;
constexpr int kSlotOuttable = 35;
constexpr int kSlotSummary = 47;
constexpr int kFlagDebug = 19;
constexpr int kFlagNoVarContents = 22;

// Plot kinds in request order.
constexpr int kKindOrder[5] = {KES_PLOT_HISTOGRAM, KES_PLOT_QQ, KES_PLOT_CDF, KES_PLOT_PROB,
                               KES_PLOT_PP};

// Zero-filled run-pool memory; see kes_zalloc.
void* take(kes_ctx* ctx, long size, bool* failed) { return kes_zalloc(ctx->runpool, size, KES_ALLOC_2, failed); }

void set_flag(kes_stmt* s, int f) { s->flags[f / 8] |= static_cast<std::uint8_t>(0x80u >> (f % 8)); }

// What the parse would leave behind, from the settings of the stand-in record.
int kesinit_standin(kes_ctx* ctx) {
  kes_ph_trace("init;");
  int r = kes_ph_next(kes_ph.kesinit);
  if (r != 0) return r;

  ctx->rc = 0;
  ctx->runpool = xmpoolc(0, 1024, KES_POOL_RUN);
  if (ctx->runpool == nullptr) {
    xmemmsg(1024);
    return 1016;
  }
  bool failed = false;

  // The PROC node and the statements after it.
  kes_stmt* proc = static_cast<kes_stmt*>(take(ctx, sizeof(kes_stmt), &failed));
  kes_optslot* slots = static_cast<kes_optslot*>(take(ctx, sizeof(kes_optslot) * kProcSlots, &failed));
  if (failed) return 1016;
  std::memcpy(proc->name, "PROC    ", 8);
  proc->slots = slots;
  proc->nslots = kProcSlots;
  proc->next = kes_ph.stmts;
  if (kes_ph.debug) set_flag(proc, kFlagDebug);
  if (kes_ph.novarcontents) set_flag(proc, kFlagNoVarContents);
  if (kes_ph.summary) {
    slots[kSlotSummary].given = 1;
    slots[kSlotSummary].v.count = static_cast<int>(std::strlen(kes_ph.summary));
    slots[kSlotSummary].list = const_cast<char*>(kes_ph.summary);
  }
  if (kes_ph.outtable_ds) {
    slots[kSlotOuttable].given = 1;
    slots[kSlotOuttable].v.handle = kes_ph.outtable_ds;
  }
  ctx->proc = proc;

  // Options.
  ctx->noprint = kes_ph.noprint;
  ctx->printed = !kes_ph.noprint;
  ctx->devgraph = kes_ph.devgraph;
  ctx->tmplgraph = kes_ph.tmplgraph;
  ctx->devstarted = kes_ph.devstarted;
  ctx->vargroups = !kes_ph.novarcontents;
  ctx->toc_wanted = 1;
  ctx->sideplots = kes_ph.sideplots;
  ctx->data = kes_ph.data;

  // Analysis variables.
  const int nv = kes_ph.nvars < KES_PH_MAXVARS ? kes_ph.nvars : KES_PH_MAXVARS;
  ctx->nvars = nv;
  ctx->varnums = static_cast<int*>(take(ctx, sizeof(int) * (nv + 1), &failed));
  ctx->varnames = static_cast<kes_name32*>(take(ctx, sizeof(kes_name32) * (nv + 1), &failed));
  ctx->varpools = static_cast<host_pool**>(take(ctx, sizeof(host_pool*) * (nv + 1), &failed));
  ctx->node_chunk = static_cast<void**>(take(ctx, sizeof(void*) * (nv + 1), &failed));
  ctx->weight_chunk = static_cast<void**>(take(ctx, sizeof(void*) * (nv + 1), &failed));
  ctx->nodes_used = static_cast<int*>(take(ctx, sizeof(int) * (nv + 1), &failed));
  ctx->varsums = static_cast<kes_varsum*>(take(ctx, sizeof(kes_varsum) * (nv + 1), &failed));
  if (failed) return 1016;
  for (int v = 0; v < nv; ++v) {
    ctx->varnums[v] = v;
    char buf[33];
    const char* name = kes_ph.varnames[v];
    if (name == nullptr) {
      std::snprintf(buf, sizeof buf, "V%d", v + 1);
      name = buf;
    }
    int len = wzstlen(name);
    if (len > 32) len = 32;
    ctx->varnames[v].len = static_cast<std::uint16_t>(len);
    vzmp(name, len, ctx->varnames[v].text, 32);
  }
  ctx->chunk_size = KES_NODE_CHUNK;
  ctx->nodes_per_chunk = KES_NODE_CHUNK / 28 - 2;

  // The CLASS-variables record.
  ctx->classvars = static_cast<kes_classvars*>(take(ctx, sizeof(kes_classvars), &failed));
  if (failed) return 1016;
  ctx->nclassrecs = 1;
  kes_classvars* cv = ctx->classvars;
  cv->count = kes_ph.nclass < 0 ? 0 : (kes_ph.nclass > KES_MAX_CLASS ? KES_MAX_CLASS : kes_ph.nclass);
  for (int i = 0; i < cv->count; ++i) {
    kes_classvar& c = cv->var[i];
    c.varnum = nv + i;
    c.type = kes_ph.class_char ? 2 : 1;
    c.fmt.width = 12;
    c.fmt.text = static_cast<char*>(take(ctx, c.fmt.width, &failed));
    c.key.width = 12;
    c.key.text = static_cast<char*>(take(ctx, c.key.width, &failed));
    if (failed) return 1016;
    const char* name = i == 0 ? "GROUP" : "SITE";
    c.name.len = static_cast<std::uint16_t>(wzstlen(name));
    vzmp(name, c.name.len, c.name.text, 32);
    vzmp(nullptr, 0, c.label, 256);
  }

  // OUTPUT values.
  if (kes_ph.noutvals > 0) {
    ctx->output_present = 1;
    ctx->noutvals = kes_ph.noutvals;
    ctx->outvals = static_cast<double*>(take(ctx, sizeof(double) * kes_ph.noutvals, &failed));
    if (failed) return 1016;
  }

  // Plot requests, ordered by kind.
  const int nreq = kes_ph.nreq < KES_PH_MAXREQ ? kes_ph.nreq : KES_PH_MAXREQ;
  if (nreq > 0) {
    ctx->preqs = static_cast<kes_preq*>(take(ctx, sizeof(kes_preq) * nreq, &failed));
    if (failed) return 1016;
    int at = 0;
    for (int kind : kKindOrder) {
      for (int i = 0; i < nreq; ++i) {
        if (kes_ph.req[i].type != kind) continue;
        kes_preq* q = &ctx->preqs[at++];
        q->type = kind;
        q->classvars = cv;
        q->varslot = static_cast<int*>(take(ctx, sizeof(int) * (nv + 1), &failed));
        if (failed) return 1016;
        int slot = 0;
        for (int v = 0; v < nv; ++v)
          q->varslot[v] = (kes_ph.req[i].varmask >> v) & 1u ? slot++ : -1;
        q->first_slot = ctx->nplotslots;
        ctx->nplotslots += slot;
        switch (kind) {
          case KES_PLOT_HISTOGRAM: ++ctx->nhist; break;
          case KES_PLOT_QQ: ++ctx->nqq; break;
          case KES_PLOT_CDF: ++ctx->ncdf; break;
          case KES_PLOT_PROB: ++ctx->nprob; break;
          default: ++ctx->npp; break;
        }
      }
    }
    ctx->nplots = at;
  }
  return 0;
}

}  // namespace

namespace {

constexpr int kNodeSize = 28;        // a value node
constexpr int kWeightRecSize = 24;   // its weight record with a WEIGHT variable
constexpr int kDataSetUsable = 23;   // information item: the data set is open and usable

// A test's settings, not the call records that other stand-ins leave behind in an
// earlier step of the same run.
bool standin_in_use() { return kes_standin_in_use(); }

}  // namespace

int kesinit(kes_ctx* ctx) {
  if (standin_in_use()) return kesinit_standin(ctx);

  kes_gramdesc* desc = kesg();
  xsparse(desc, nullptr);
  const host_parsestat* st = xspstat();
  if (st != nullptr && st->errword != 0) {
    gpspnot();
    return xexit(st->errword, 0);
  }
  ctx->proc = st != nullptr ? st->first : nullptr;
  ctx->rc = 0;

  int r = kesgopt(ctx);
  if (r != 0) return r;
  std::memset(ctx->startup_words, 0, sizeof ctx->startup_words);

  // Value-node chunks of the per-variable pools.
  bool failed = false;
  const long nv = ctx->nvars;
  ctx->chunk_size = KES_NODE_CHUNK;
  ctx->node_chunk = static_cast<void**>(take(ctx, nv * static_cast<long>(sizeof(void*)), &failed));
  ctx->weight_chunk = static_cast<void**>(take(ctx, nv * static_cast<long>(sizeof(void*)), &failed));
  ctx->nodes_used = static_cast<int*>(take(ctx, nv * static_cast<long>(sizeof(int)), &failed));
  if (failed) return 1016;
  const int node_size = kNodeSize + (ctx->weight_given ? kWeightRecSize : 0);
  ctx->nodes_per_chunk = KES_NODE_CHUNK / node_size - 2;

  r = kesgset(ctx);
  if (r != 0) return r;
  if (ctx->varget != nullptr) xvgete(ctx->varget);
  r = kesstmt(ctx);
  if (r != 0) return r;
  r = kesgout(ctx);
  if (r != 0) return r;
  keszset(ctx);

  // The input data set must be open and usable.
  int usable = ctx->data != nullptr ? xoinfo(ctx->data, kDataSetUsable, nullptr) : 0;
  return usable == 1 ? 0 : 1;
}
