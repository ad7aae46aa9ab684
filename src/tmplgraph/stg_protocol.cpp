// The output-object protocol every template-graph builder follows: the data object,
// its columns, the binding, the rows, the emit and the graph panels, and the graph's
// dynamic variables.
#include <array>
#include <cstdio>
#include <cstring>

#include "host/host_missing.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "host/template_dynamics.h"
#include "fit/kes_cellnote.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"
#include "stats/tables_call.h"
#include "tmplgraph/kes_stgraph.h"

namespace {
constexpr int kNumeric = 5;
constexpr int kCharacter = 6;

void* text(const char* s) { return vemtxt(s, -1); }

// Room for two more records; on failure the list stays as it is and the graph's
// status says why.
bool grow(kes_stgraph* g) {
  kes_dynlist* d = g->dyn;
  if (d->count + 2 <= d->cap) return true;
  if (d->failed) return false;
  const int cap = d->cap > 0 ? 2 * d->cap : KES_DYNLIST_START;
  const long bytes = static_cast<long>(sizeof(wob_attr)) * cap;
  host_pool* pool = v_global_gcb_anchor != nullptr ? v_global_gcb_anchor->taskpool : nullptr;
  auto* items = static_cast<wob_attr*>(vmalcp_handler(pool, bytes, KES_ALLOC_4));
  if (items == nullptr) {
    xmemmsg(bytes);
    d->failed = 1;
    g->status = KES_RC_OUT_OF_MEMORY;
    return false;
  }
  if (d->count > 0) std::memcpy(items, d->items, sizeof(wob_attr) * static_cast<std::size_t>(d->count));
  if (d->items != nullptr) vmfree_handler(pool, d->items, -1, KES_FREE_FLAGS);
  d->items = items;
  d->cap = cap;
  return true;
}

void append(kes_stgraph* g, const char* name, const wob_attr& value) {
  if (!grow(g)) return;
  g->dyn->items[g->dyn->count++] = wob_text(WOB_A_DYNAMIC_NAME, text(name));
  g->dyn->items[g->dyn->count++] = value;
}

}  // namespace

void kes_dyn_text(kes_stgraph* g, const char* name, void* t) { append(g, name, wob_text(WOB_A_VALUE, t)); }
void kes_dyn_cstr(kes_stgraph* g, const char* name, const char* t) { kes_dyn_text(g, name, text(t)); }
void kes_dyn_double(kes_stgraph* g, const char* name, double v) { append(g, name, wob_dbl(WOB_A_VALUE, v)); }
void kes_dyn_bool(kes_stgraph* g, const char* name, int v) { append(g, name, wob_last(WOB_A_VALUE, v)); }
void kes_dyn_int(kes_stgraph* g, const char* name, int v) { append(g, name, wob_int(WOB_A_VALUE, v)); }

void kes_stg_create(kes_ctx* ctx, kes_stgraph* g, const char* name) {
  wob_attr a[5] = {
      kes_attr_str(WOB_A_FAMILY, "vem"), kes_attr_str(WOB_A_CLASS, "data"), wob_out(WOB_A_HANDLE),
      wob_int(WOB_A_MINUS_ONE, -1),      wob_text(WOB_A_NAME, text(name)),
  };
  kes_tabcall(ctx->objs.manager, WOB_M_CREATE, 5, a);
  g->data = a[2].w.p;
}

void kes_stg_numcol(kes_stgraph* g, const char* name, int cell, void* label, bool var) {
  wob_attr a[5];
  int n = 0;
  if (var) a[n++] = wob_ptr(WOB_A_VAR_RECORD, WOB_RECORD, &g->var);
  a[n++] = wob_text(WOB_A_NAME, text(name));
  a[n++] = wob_int(WOB_A_COLUMN_TYPE, kNumeric);
  a[n++] = wob_addr(WOB_A_CELL, &g->cells[cell]);
  a[n++] = wob_text(WOB_A_LABEL, label);
  kes_tabcall(g->data, WOB_M_DEFINE_COLUMN, n, a);
}

void kes_stg_charcol(kes_stgraph* g, void* name, char* cell, int length, void* label) {
  wob_attr a[5] = {wob_text(WOB_A_NAME, name), wob_int(WOB_A_COLUMN_TYPE, kCharacter),
                   wob_addr(WOB_A_CELL, cell), wob_int(WOB_A_CHAR_WIDTH, length), wob_text(WOB_A_LABEL, label)};
  kes_tabcall(g->data, WOB_M_DEFINE_COLUMN, 5, a);
}

void kes_stg_bind(kes_ctx* ctx, kes_stgraph* g, const char* name) {
  kes_tabcall(g->data, WOB_M_END_DEFINE, 0, nullptr);
  if (g->nbound >= KES_STG_MAXBOUND) xebug("kes_stg_bind: too many bound tables for one graph");
  char tmpl[64];
  std::snprintf(tmpl, sizeof tmpl, "orbo.kestravine.%s", name);
  wob_attr a[5] = {wob_out(WOB_A_POSITIONAL), wob_out(WOB_A_POSITIONAL, g->data), wob_text(WOB_A_TEMPLATE, text(tmpl)),
                   wob_last(WOB_A_NOT_DEBUG, ctx->debug ? 0 : 1),
                   wob_ptr(WOB_A_BINDING_SLOT, WOB_OUTPTR, &g->bound[g->nbound])};
  kes_tabcall(ctx->objs.manager, WOB_M_BIND, 5, a);
  ++g->nbound;
}

void kes_stg_row(kes_stgraph* g) { kes_tabcall(g->data, WOB_M_ADD_ROW, 0, nullptr); }

void kes_stg_emit(kes_ctx* ctx, kes_stgraph* g) {
  kes_tabcall(g->data, WOB_M_END_ROWS, 0, nullptr);
  wob_attr a[1] = {wob_out(WOB_A_POSITIONAL, g->bound[0])};
  kes_tabcall(ctx->objs.manager, WOB_M_EMIT, 1, a);
}

void kes_stg_panels(kes_ctx* ctx, kes_stgraph* g, const char* output, int label_msg, const char* graph,
                    const wob_attr* inline_pairs, int ninline) {
  // A list that could not be made leaves the graph without some of its dynamic
  // variables: its panels would draw half a graph, or one of nothing. None is emitted.
  if (g->status != 0) return;
  const kes_preq* r = ctx->curreq;
  if (ninline < 0 || ninline > KES_STG_MAXINLINE) xebug("kes_stg_panels: too many inline dynamics");
  char tmpl[80];
  std::snprintf(tmpl, sizeof tmpl, "orbo.kestravine.Graphics.%s", graph);
  void* label = vemmsgs(KES_SET_PLOT, label_msg, static_cast<int>(g->var.name_len), g->var.name);
  kes_pages_note(ctx, r, g->panels);
  // The texts every panel shares are made once: a graph of many pages would otherwise
  // leave a set of them for each page.
  void* const output_text = text(output);
  void* const template_text = text(tmpl);
  void* const nrows = text(KES_DYN_NROWS);
  void* const ncols = text(KES_DYN_NCOLS);
  void* const panel = text(KES_DYN_PANEL);
  for (int k = 1; k <= g->panels; ++k) {
    wob_attr a[12 + KES_STG_MAXINLINE];
    int n = 0;
    a[n++] = wob_text(WOB_A_NAME, output_text);
    a[n++] = wob_text(WOB_A_LABEL, label);
    a[n++] = wob_text(WOB_A_DESCRIPTION, vemmsgs(KES_SET_PLOT, KES_MSG_PANEL, k));
    a[n++] = wob_text(WOB_A_TEMPLATE, template_text);
    a[n] = wob_ptr(WOB_A_BOUND_TABLES, WOB_COUNTED, g->bound);
    a[n++].i = g->nbound;
    for (int i = 0; i < ninline; ++i) a[n++] = inline_pairs[i];
    a[n++] = wob_text(WOB_A_DYNAMIC_NAME, nrows);
    a[n++] = wob_int(WOB_A_VALUE, r->nrows);
    a[n++] = wob_text(WOB_A_DYNAMIC_NAME, ncols);
    a[n++] = wob_int(WOB_A_VALUE, r->ncols);
    a[n++] = wob_text(WOB_A_DYNAMIC_NAME, panel);
    a[n++] = wob_int(WOB_A_VALUE, k);
    a[n] = wob_ptr(WOB_A_DYNAMIC_LIST, WOB_LIST, g->dyn->items);
    a[n++].i = g->dyn->count;
    kes_tabcall(ctx->objs.manager, WOB_M_GRAPH_PANEL, n, a);
  }
}

void kes_stg_reset(kes_stgraph* g) {
  // Copied whole: a graph of millions of points resets its cells once a row.
  static const auto missing = [] {
    std::array<double, KES_STG_NCELLS> cells;
    cells.fill(host_missing_of_kind(HOST_MISS_STD));
    return cells;
  }();
  std::memcpy(g->cells, missing.data(), sizeof g->cells);
  std::memset(g->hreflabel, ' ', sizeof g->hreflabel);
  std::memset(g->vreflabel, ' ', sizeof g->vreflabel);
}
