// The CLASS form of template insets: kesiinit builds the one box whose rows carry the
// labels; kesistgr1 makes "InsetData" on its first call and writes each cell's values
// as one row (with the cell's CLASS texts and, with CPROP, its share of the values).
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "fit/kes_estframe.h"
#include "host/host_missing.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "host/template_dynamics.h"
#include "inset/inset_build.h"
#include "inset/kes_inset.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_classvars.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "stats/tables_call.h"
#include "tmplgraph/kes_stgraph.h"
#include "tmplgraph/stg_insets.h"
#include "util/kes_text.h"

namespace {
constexpr int kOverlay = 3000;
constexpr int kCpropCell = KES_STG_NCELLS - 1;

bool is_inset(const kes_stmt* s) { return s != nullptr && std::memcmp(s->name, "INS", 3) == 0; }

// The code loop of the CLASS form: one label-only row per statistic, and the rows of
// the blocks and of the data set. Returns 0, 1016, or -1 when a block maker ran out.
int rows_of(kes_ctx* ctx, kes_stgraph* g, kes_insetbox* box, int* items, int* kernel_type) {
  kes_inset* last = nullptr;
  kes_cell* key = ctx->curreq->classvars->keycell;
  bool data_read = false;
  for (int code = kes_inset_code(box, 0); code != KES_IC_END; code = kes_inset_code(box, ++box->cursor)) {
    if (code == KES_IC_DATA) {
      if (!data_read && kesstgidat(ctx, g, &last) == KES_RC_OUT_OF_MEMORY) return KES_RC_OUT_OF_MEMORY;
      data_read = true;
      ++*items;
      continue;
    }
    if (code == KES_IC_NAMED || code == KES_IC_LABEL || code == KES_IC_FORMAT) continue;
    // Statistics and blocks that cannot be shown are left out with their notes, as
    // on device graphs, so that every row made has its values in every cell.
    double value = 0;
    int kind = 0;
    if (kesitst(code, box, ctx, key, &value, &kind) != 0) continue;
    ++*items;
    if (kind == 6) {
      if (kesstgidst(ctx, code - KES_IC_FIRST_DIST, &last) < 0) return -1;
      box->single_family = static_cast<std::uint8_t>(code - KES_IC_FIRST_DIST);
      continue;
    }
    if (kind == 7) {
      const kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, key);
      const int nk = slot != nullptr ? slot->nkernels : 0;
      const int first = slot != nullptr ? slot->ncurves - nk : 0;
      const int from = code == KES_IC_KERNEL ? 0 : code - KES_IC_KERNEL1;
      const int to = code == KES_IC_KERNEL ? nk : from + 1;
      const int c0 = box->cursor, l0 = box->label_index, f0 = box->format_index;
      if (from >= nk) {
        kes_inset_skip_block(box);
        continue;
      }
      for (int k = from; k < to; ++k) {
        if (kesstgiknl(ctx, first + k, &last) != 0) return KES_RC_OUT_OF_MEMORY;
        *kernel_type = slot->curves[first + k].kernel.type;
        if (k + 1 < to) box->cursor = c0, box->label_index = l0, box->format_index = f0;
      }
      box->single_family = KES_DIST_KERNEL;
      continue;
    }
    kes_inset* r = kes_inset_row(ctx, box, &last, code >= 76 && code <= 78 ? KES_IK_SIBLING : KES_IK_PLAIN);
    if (r == nullptr) return KES_RC_OUT_OF_MEMORY;
    r->item = static_cast<std::uint8_t>(code);
    char label[KES_INSET_TEXT];
    const int ll = kes_inset_user_label(box, label);
    if (ll >= 0) {
      std::memcpy(r->label, label, KES_INSET_TEXT);
      r->label_len = ll;
    } else {
      r->label_len = kes_inset_msg(r->label, KES_INSET_TEXT, KES_SET_PROC, kesimsg(0, code));
    }
    bool taken = false;
    r->fmt = kes_inset_user_format(box, &taken);
  }
  return 0;
}

}  // namespace

int kesiinit(kes_ctx* ctx, kes_stgraph* g) {
  ctx->insets = nullptr;
  kes_preq* rq = ctx->curreq;
  kes_stmt* st = rq->stmt->next;
  if (!is_inset(st)) return 0;
  if (is_inset(st->next) && kes_inset_once(ctx, KES_IN_SECOND_INSET))
    xpmlog(KES_SET_LAYOUT, KES_MSG_ONLY_FIRST_INSET_STATEMENT);
  if (g->overlay) {
    xpmlog(KES_SET_PROC, KES_MSG_INSETS_NOT_DRAWN_OVERLAID);
    return kOverlay;
  }
  bool failed = false;
  auto* box = static_cast<kes_insetbox*>(kes_zalloc(kes_inset_pool(ctx), sizeof(kes_insetbox), KES_ALLOC_2, &failed));
  if (box == nullptr) return KES_RC_OUT_OF_MEMORY;
  ctx->insets = box;
  box->stmt = st;
  box->codes = kes_pnumbers(st, KES_INSET_SLOT_CODES);
  box->ncodes = kes_pcount(st, KES_INSET_SLOT_CODES);
  box->enabled = 1;
  box->noframe = kes_flag(st, KES_INSET_FLAG_NOFRAME) ? 1 : 0;
  std::memset(box->position, ' ', 8);
  std::memset(box->header, ' ', KES_INSET_HEADER);
  if (kes_pgiven(st, KES_INSET_SLOT_POSITION)) {
    std::memcpy(box->position, kes_pslot(st, KES_INSET_SLOT_POSITION)->v.name, 8);
    const char* w = box->position;
    if ((w[0] == 'T' || w[0] == 'B' || w[0] == 'L' || w[0] == 'R') && w[1] == 'M' && w[2] == ' ') {
      if (kes_inset_once(ctx, KES_IN_MARGIN_CLASS)) xpmlog(KES_SET_PROC, KES_MSG_INSET_MARGIN_WITH_CLASS);
      box->enabled = 0;
      return 0;
    }
    if (!kes_inset_template_word(ctx, st, box->position)) {
      box->enabled = 0;
      return 0;
    }
  }
  if (kes_pgiven(st, KES_INSET_SLOT_HEADER)) {
    const kes_optslot* h = kes_pslot(st, KES_INSET_SLOT_HEADER);
    const int n = h->list != nullptr ? (h->v.count < KES_INSET_HEADER ? h->v.count : KES_INSET_HEADER) : 0;
    if (n > 0) std::memcpy(box->header, h->list, static_cast<size_t>(n));
    box->header_len = wzstrip(box->header, KES_INSET_HEADER);
  }
  box->columns = kes_pgiven(st, KES_INSET_SLOT_NCOLS) ? std::trunc(kes_pnumber(st, KES_INSET_SLOT_NCOLS)) : -1.0;
  box->gutter = kes_pgiven(st, KES_INSET_SLOT_GUTTER) ? std::trunc(kes_pnumber(st, KES_INSET_SLOT_GUTTER)) : -1.0;

  int items = 0, kernel_type = 0;
  const int rc = rows_of(ctx, g, box, &items, &kernel_type);
  if (rc != 0) return KES_RC_OUT_OF_MEMORY;
  if (items == 1 && rq->ncurves == 1 && box->block_header && !kes_pgiven(st, KES_INSET_SLOT_HEADER)) {
    const int number = kesiheader(rq->type, box->single_family, kernel_type);
    box->header_len = kes_inset_msg(box->header, KES_INSET_HEADER, KES_SET_LABEL, number);
    box->header_sample = 1;
  }
  if (box->nrows == 0) {
    if (kes_inset_once(ctx, KES_IN_NO_ROWS)) xpmlog(KES_SET_LABEL, KES_MSG_INSET_HAS_NO_ROWS);
    box->enabled = 0;
  }
  return 0;
}

namespace {
// "InsetData": Cprop with CPROP, the CLASS columns, one column per row; then the
// box's dynamics.
void make_table(kes_ctx* ctx, kes_stgraph* g, kes_insetbox* box, bool cprop) {
  void* data = g->data;
  kes_stg_create(ctx, g, "InsetData");
  g->insetdata = g->data;
  if (cprop) kes_stg_numcol(g, "Cprop", kCpropCell, vemtxt("Cprop", 5));
  classcols(ctx->curreq->classvars, g);
  int k = 0;
  if (box != nullptr)
    for (kes_inset* r = box->rows; r != nullptr; r = r->next) {
      char name[24];
      std::snprintf(name, sizeof name, "InsetRow%d", ++k);
      kes_stg_charcol(g, vemtxt(name, -1), r->value, KES_INSET_TEXT, vemtxt(r->label, r->label_len));
    }
  kes_stg_bind(ctx, g, "InsetData");
  g->insetbound = g->bound[g->nbound - 1];
  g->data = data;
  g->insetmade = 1;
  if (box == nullptr || !box->enabled) return;
  const kes_stmt* st = box->stmt;
  if (box->header_len > 0) kes_dyn_text(g, KES_DYN_INSETTITLE, vemtxt(box->header, box->header_len));
  // The rows that head a curve's block carry the curve's number within its family as
  // their value; the graph draws it as part of the heading, not as a statistic.
  std::string headings;
  k = 0;
  for (const kes_inset* r = box->rows; r != nullptr; r = r->next) {
    ++k;
    if (r->kind == KES_IK_FIRST) headings += (headings.empty() ? "" : " ") + std::to_string(k);
  }
  if (!headings.empty())
    kes_dyn_text(g, KES_DYN_INSETHEADINGS, vemtxt(headings.c_str(), static_cast<int>(headings.size())));
  kes_dyn_cstr(g, KES_DYN_INSETVALIGN, kes_inset_valign(box));
  kes_dyn_cstr(g, KES_DYN_INSETHALIGN, kes_inset_halign(box));
  kes_dyn_bool(g, KES_DYN_INSETBORDER, box->noframe ? 0 : 1);
  const bool cfill = kes_flag(st, KES_INSET_FLAG_CFILL_DEFAULT) || kes_pgiven(st, KES_INSET_SLOT_CFILL);
  kes_dyn_bool(g, KES_DYN_INSETCFILL, cfill ? 1 : 0);
  if (cfill) {
    const bool blank = kes_pgiven(st, KES_INSET_SLOT_CFILL) &&
                       std::memcmp(kes_pslot(st, KES_INSET_SLOT_CFILL)->v.name, "BLANK   ", 8) == 0;
    kes_dyn_cstr(g, KES_DYN_INSETBGCOLOR, blank ? "GraphWalls:Color" : "GraphBackground:Color");
  }
}

// The value of a statistic row in the cell.
void statistic_value(kes_ctx* ctx, kes_cell* cell, kes_insetbox* box, kes_inset* r) {
  const kes_fmtentry* fmt = r->fmt != nullptr ? r->fmt : kes_inset_all_format(box);
  const double v = kes_inset_stat(ctx, cell, r->item);
  r->value_len = fmt != nullptr ? kes_inset_value_text(v, KES_IF_USER, fmt, ' ', r->value)
                                : kes_inset_stat_text(ctx, cell, r->item, v, r->value);
}

}  // namespace

void kes_stg_inset_values(kes_ctx* ctx, kes_cell* cell, kes_insetbox* box) {
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  // A cell without values keeps its row, with blank values.
  if (vs == nullptr || !(vs->n > 0)) return;
  if (box->idata != nullptr) kesdataput(ctx, box, cell);
  for (kes_inset* r = box->rows; r != nullptr; r = r->next) {
    if (r->kind == KES_IK_DATA) continue;
    if (r->curve == nullptr) statistic_value(ctx, cell, box, r);
    else if (r->subcode == KES_DIST_KERNEL) kesknlput(ctx, cell, box, r);
    else kesdistput(ctx, cell, box, r);
  }
}

int kesistgr1(kes_ctx* ctx, kes_cell* cell, kes_stgraph* g, int add_row) {
  kes_preq* rq = ctx->curreq;
  kes_insetbox* box = ctx->insets;
  const bool enabled = box != nullptr && box->enabled;
  const bool cprop = rq->classvars != nullptr && rq->classvars->count > 0 && kes_flag(rq->stmt, KES_PLOT_FLAG_CPROP);
  if (!enabled && !cprop) return 0;
  if (!g->insetmade) make_table(ctx, g, enabled ? box : nullptr, cprop);

  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  const double n = vs != nullptr ? vs->n : 0;
  if (enabled) kes_stg_inset_values(ctx, cell, box);
  if (cprop) {
    double& c = g->cells[kCpropCell];
    const int total = rq->total != nullptr ? rq->total[ctx->curvar] : 0;
    const double share = total <= 0 ? 0.0 : n / total;
    if (g->overlay && !std::isnan(c)) c += share;
    else c = share;
  }
  if (add_row) {
    void* data = g->data;
    g->data = g->insetdata;
    kes_stg_row(g);
    g->data = data;
  }
  if (box != nullptr)
    for (kes_inset* r = box->rows; r != nullptr; r = r->next) {
      std::memset(r->value, ' ', KES_INSET_TEXT);
      r->value_len = 0;
    }
  return 0;
}
