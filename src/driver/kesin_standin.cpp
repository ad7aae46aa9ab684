// The data pass as the step driver's tests see it while they fill the stand-in record
// (placeholder_hooks.h): the results set there, and in the first pass of a BY group
// the CLASS cells that record asks for, made from the BY-group pool: levels "L1", "L2", ... and, with
// two CLASS variables, children "C1", "C2", ... per level. Each cell's first OUTPUT
// value tells the cell apart: 10 * level + 1 with one CLASS variable, 10 * (level + 1)
// + child + 1 for a child cell.
#include "driver/kesin_standin.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "driver/kes_cell.h"
#include "driver/kes_ctx.h"
#include "driver/kes_text.h"
#include "driver/placeholder_hooks.h"
#include "driver/pool_alloc.h"
#include "host/host_services.h"

namespace {

kes_cell* make_cell(kes_ctx* ctx, const char* text, bool with_records, double id) {
  const kes_classvars* cv = ctx->classvars;
  const int w = cv->var[0].fmt.width;
  const long size = static_cast<long>(sizeof(kes_cell)) + 2L * w;
  kes_cell* c = static_cast<kes_cell*>(vmalcp_handler(ctx->bypool, size, KES_ALLOC_2));
  if (c == nullptr) return nullptr;
  std::memset(c, 0, static_cast<size_t>(size));
  char* buf = reinterpret_cast<char*>(c + 1);
  const int len = wzstlen(text);
  c->fmt = {static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(len), buf};
  c->key = {static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(len), buf + w};
  vzmp(text, len, c->fmt.text, w);
  vzmp(text, len, c->key.text, w);
  c->value = id;
  if (ctx->noutvals > 0) {
    c->outvals = static_cast<double*>(
        vmalcp_handler(ctx->bypool, static_cast<long>(sizeof(double)) * ctx->noutvals, KES_ALLOC_4));
    if (c->outvals == nullptr) return nullptr;
    vzfdl(v_global_gcb_anchor->consts->std_missing, c->outvals, ctx->noutvals);
    c->outvals[0] = id;
  }
  if (with_records) {
    const long rs = static_cast<long>(sizeof(kes_varsum)) * (ctx->nvars + 1);
    c->varsums = static_cast<kes_varsum*>(vmalcp_handler(ctx->bypool, rs, KES_ALLOC_4));
    if (c->varsums == nullptr) return nullptr;
    std::memset(c->varsums, 0, static_cast<size_t>(rs));
  }
  return c;
}

int make_cells(kes_ctx* ctx) {
  kes_classvars* cv = ctx->classvars;
  cv->levels = nullptr;
  cv->keycell = nullptr;
  cv->nlevels = 0;
  kes_cell** tail = &cv->levels;
  for (int l = 0; l < kes_ph.nlevels; ++l) {
    char text[16];
    if ((kes_ph.blank_levels >> l) & 1u) text[0] = '\0';
    else std::snprintf(text, sizeof text, "L%d", l + 1);
    const bool parent = cv->count == 2;
    kes_cell* level = make_cell(ctx, text, !parent, 10.0 * l + 1);
    if (level == nullptr) return 2;
    if (parent) {
      kes_cell** ctail = &level->child;
      for (int k = 0; k < kes_ph.nchildren; ++k) {
        std::snprintf(text, sizeof text, "C%d", k + 1);
        kes_cell* child = make_cell(ctx, text, true, 10.0 * (l + 1) + k + 1);
        if (child == nullptr) return 2;
        child->no_output = static_cast<int>((kes_ph.no_output >> (l * kes_ph.nchildren + k)) & 1u);
        child->child = level;  // a listed child links to its level
        *ctail = child;
        ctail = &child->next;
      }
    }
    *tail = level;
    tail = &level->next;
    ++cv->nlevels;
  }
  cv->keycell = cv->levels;
  return 0;
}

}  // namespace

int kesin_standin(kes_ctx* ctx) {
  kes_ph_trace("in(%d:%d,%d);", ctx->bynum, ctx->batch_first, ctx->batch_n);
  int r = kes_ph_next(kes_ph.kesin);
  if ((r == 0 || r == 2) && ctx->batch_first == 0 && ctx->classvars && ctx->classvars->count > 0) {
    int m = make_cells(ctx);
    if (m != 0) return m;
  }
  return r;
}

bool kes_standin_in_use() {
  // A test's settings and scripted results, not the call records that the other
  // stand-ins leave behind in any run.
  static const kes_placeholder_hooks zero{};
  const size_t settings = offsetof(kes_placeholder_hooks, kesinit);
  if (std::memcmp(&kes_ph, &zero, settings) != 0) return true;
  const kes_ph_script* scripts[] = {&kes_ph.kesinit, &kes_ph.kesin,   &kes_ph.kesmerg, &kes_ph.kescmh3,
                                    &kes_ph.kesout,  &kes_ph.keshini, &kes_ph.kesqini, &kes_ph.kescini,
                                    &kes_ph.kespini, &kes_ph.keszini, &kes_ph.zqidest, &kes_ph.ggsload,
                                    &kes_ph.kescmhf};
  for (const kes_ph_script* s : scripts)
    if (s->n != 0) return true;
  return false;
}

int kescmh3_standin(kes_ctx*) {
  kes_ph_trace("cmh3;");
  return kes_ph_next(kes_ph.kescmh3);
}
