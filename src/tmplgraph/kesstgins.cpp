// kesstgins: the insets of a template graph, called by every builder after its data
// table is emitted and before its panels: dynamic variables without CLASS variables,
// an "InsetData" table of one row per CLASS cell with them. kesistgr0: the dynamics.
#include <cstdio>
#include <cstring>

#include "host/host_services.h"
#include "host/kes_checked.h"
#include "host/template_dynamics.h"
#include "inset/inset_build.h"
#include "inset/kes_inset.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/family_names.h"
#include "records/kes_cell.h"
#include "records/kes_classvars.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/stmt_slots.h"
#include "stats/tables_call.h"
#include "tmplgraph/kes_stgraph.h"
#include "tmplgraph/stg_insets.h"
#include "tmplgraph/template_inset_needs.h"
#include "util/kes_text.h"

namespace {

constexpr double kPad = 5.0;
constexpr int kMaxName = 48;

bool word_is(const kes_insetbox* b, const char* w) {
  char word[8];
  std::memset(word, ' ', 8);
  std::memcpy(word, w, std::strlen(w));
  return std::memcmp(b->position, word, 8) == 0;
}

// The cell's formatted level into the CLASS variable's formatted-text buffer.
void set_level(kes_classvar& v, const kes_cell* cell) {
  if (v.fmt.text == nullptr) return;
  std::memset(v.fmt.text, ' ', v.fmt.width);
  const int n = cell->fmt.len < v.fmt.width ? cell->fmt.len : v.fmt.width;
  if (n > 0 && cell->fmt.text != nullptr) std::memcpy(v.fmt.text, cell->fmt.text, static_cast<size_t>(n));
  v.fmt.len = static_cast<std::uint16_t>(n);
}

void dyn_name(char* out, const char* fmt, const char* prefix, int n, int k = 0) {
  std::snprintf(out, kMaxName, fmt, prefix, n, k);
}

void* text_of(const char* s, int len) { return vemtxt(s, len > 0 ? len : 0); }

}  // namespace

const char* kes_inset_valign(const kes_insetbox* b) {
  if (word_is(b, "NW") || word_is(b, "") || word_is(b, "N") || word_is(b, "NE")) return "TOP";
  if (word_is(b, "SW") || word_is(b, "S") || word_is(b, "SE")) return "BOTTOM";
  return "CENTER";
}

const char* kes_inset_halign(const kes_insetbox* b) {
  if (word_is(b, "NW") || word_is(b, "") || word_is(b, "W") || word_is(b, "SW")) return "LEFT";
  if (word_is(b, "NE") || word_is(b, "E") || word_is(b, "SE")) return "RIGHT";
  return "CENTER";
}

void kesistgr0(kes_ctx* ctx, kes_stgraph* g) {
  static const char* const kMargin[4] = {"TOP", "BOTTOM", "LEFT", "RIGHT"};
  static const char* const kPadName[4] = {KES_DYN_PADTOP, KES_DYN_PADBOTTOM, KES_DYN_PADLEFT, KES_DYN_PADRIGHT};
  bool any_margin = false, legend_pad = false;
  int n = 0;
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    if (!b->enabled) continue;
    const kes_stmt* st = b->stmt;
    const bool cfill = kes_flag(st, KES_INSET_FLAG_CFILL_DEFAULT) || kes_pgiven(st, KES_INSET_SLOT_CFILL);
    const bool blank = kes_pgiven(st, KES_INSET_SLOT_CFILL) &&
        std::memcmp(kes_pslot(st, KES_INSET_SLOT_CFILL)->v.name, "BLANK   ", 8) == 0;
    int m = 0;
    if (word_is(b, "TM")) m = 1;
    else if (word_is(b, "BM")) m = 2;
    else if (word_is(b, "LM")) m = 3;
    else if (word_is(b, "RM")) m = 4;
    const char* prefix = m > 0 ? KES_DYN_MARGIN_BOX_PREFIX : KES_DYN_INSET_BOX_PREFIX;
    char name[kMaxName];
    int number;
    if (m > 0) {
      // Two boxes in one margin share its number: their dynamics follow in list order.
      number = m;
      any_margin = true;
      kes_dyn_double(g, kPadName[m - 1], kPad);
      dyn_name(name, "_MARGIN%.0s%d", "", m);
      kes_dyn_cstr(g, name, kMargin[m - 1]);
      dyn_name(name, "%s%d_NCOLS", prefix, m);
      const int ncols = b->columns >= 1 ? 2 * kes_clamped_int(b->columns, 1, INT_MAX / 2) : (m <= 2 ? 6 : 2);
      kes_dyn_int(g, name, ncols);
      char gutter[32];
      std::snprintf(gutter, sizeof gutter, "%f pct", b->gutter < 0 ? 4.0 : b->gutter);
      dyn_name(name, "%s%d_GUTTER", prefix, m);
      kes_dyn_cstr(g, name, gutter);
      if (m >= 2 && g->legendtitle) legend_pad = true;
    } else {
      number = ++n;
      dyn_name(name, "_INSET%.0s%d", "", number);
      kes_dyn_bool(g, name, 1);
      dyn_name(name, "%s%d_VALIGN", prefix, number);
      kes_dyn_cstr(g, name, kes_inset_valign(b));
      dyn_name(name, "%s%d_HALIGN", prefix, number);
      kes_dyn_cstr(g, name, kes_inset_halign(b));
      // A corner the program did not choose may move to where the data leave room.
      if (b->auto_pos) {
        dyn_name(name, "%s%d_AUTOALIGN", prefix, number);
        kes_dyn_bool(g, name, 1);
      }
    }
    if (b->header_len > 0) {
      dyn_name(name, "%s%d_HEADER", prefix, number);
      kes_dyn_text(g, name, text_of(b->header, b->header_len));
    }
    dyn_name(name, "%s%d_BORDER", prefix, number);
    kes_dyn_bool(g, name, b->noframe ? 0 : 1);
    dyn_name(name, "%s%d_CFILL", prefix, number);
    kes_dyn_bool(g, name, cfill ? 1 : 0);
    if (cfill) {
      dyn_name(name, "%s%d_BGCOLOR", prefix, number);
      kes_dyn_cstr(g, name, (m > 0) == blank ? "GraphBackground:Color" : "GraphWalls:Color");
    }
    int k = 0;
    for (const kes_inset* r = b->rows; r != nullptr; r = r->next) {
      char label[KES_INSET_HEADER];
      int ll = r->label_len;
      std::memcpy(label, r->label, KES_INSET_TEXT);
      if (!b->header_sample && r->kind == KES_IK_FIRST_HDR) {
        char fam[KES_INSET_TEXT];
        const int fl = kes_inset_msg(fam, KES_INSET_TEXT, KES_SET_LABEL, kes_family_name(r->subcode));
        if (m == 1 || m == 2) {
          // In a top or bottom box the family name leads the row's own label.
          char joined[KES_INSET_HEADER];
          ll = wzstcat(joined, KES_INSET_HEADER, ' ', 2, fam, fl, r->label, r->label_len);
          ll = wzstrip(joined, ll);
          std::memcpy(label, joined, KES_INSET_HEADER);
        } else {
          dyn_name(name, "%s%d_LABEL%d", prefix, number, ++k);
          kes_dyn_text(g, name, text_of(fam, fl));
        }
      }
      dyn_name(name, "%s%d_LABEL%d", prefix, number, ++k);
      kes_dyn_text(g, name, text_of(label, ll));
      dyn_name(name, "%s%d_VALUE%d", prefix, number, k);
      kes_dyn_text(g, name, text_of(r->value, r->value_len));
    }
  }
  if (any_margin) kes_dyn_bool(g, KES_DYN_MARGININSET, 1);
  kes_dyn_double(g, KES_DYN_PADLEGEND, legend_pad ? kPad : 0.0);
}

void kesstgins(kes_ctx* ctx, kes_stgraph* g) {
  kes_preq* rq = ctx->curreq;
  kes_classvars* cv = rq->classvars;
  if (cv == nullptr || cv->levels == nullptr || rq->stmt == nullptr) return;
  // Without INSET statements the boxes are none, but the margin and legend dynamics
  // are still passed: the template reads them on every graph.
  if (cv->count == 0) {
    kesins(ctx, cv->levels, 0, kes_template_inset_needs);
    kesipos(ctx);
    kesistgr0(ctx, g);
    return;
  }
  kes_dyn_bool(g, KES_DYN_MARGININSET, 0);
  kesiinit(ctx, g);
  if (cv->count == 1) {
    for (kes_cell* c = cv->levels; c != nullptr; c = c->next) {
      set_level(cv->var[0], c);
      kesistgr1(ctx, c, g, 1);
    }
  } else {
    // The cells that exist: a missing combination of levels has no cell and no row.
    for (kes_cell* level = cv->levels; level != nullptr; level = level->next) {
      set_level(cv->var[0], level);
      for (kes_cell* c = level->child; c != nullptr; c = c->next) {
        set_level(cv->var[1], c);
        kesistgr1(ctx, c, g, g->overlay ? 0 : 1);
      }
      if (g->overlay && g->insetmade) {
        void* data = g->data;
        g->data = g->insetdata;
        kes_stg_row(g);
        g->data = data;
        g->cells[KES_STG_NCELLS - 1] = 0.0;
      }
    }
  }
  if (g->insetmade) {
    kes_tabcall(g->insetdata, WOB_M_END_ROWS, 0, nullptr);
    wob_attr a[1] = {wob_out(WOB_A_POSITIONAL, g->insetbound)};
    kes_tabcall(ctx->objs.manager, WOB_M_EMIT, 1, a);
  }
}
