// kesgcht(ctx) -> 0, or the first failure: draws the current request for the current
// variable on the graphics device, once for every open output destination: starts the
// device, lays out the page, opens a segment per page, draws its cells, the page
// labels, closes the segment and hands the graph on.
#include <algorithm>
#include <cstring>
#include <vector>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/device_inset_needs.h"
#include "devgraph/device_services.h"
#include "devgraph/fill_legend.h"
#include "devgraph/gdev.h"
#include "devgraph/panel_labels.h"
#include "devgraph/panel_plan.h"
#include "devgraph/pctl_axes.h"
#include "devgraph/prob_marks.h"
#include "fit/kes_cellnote.h"
#include "host/host_graph.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "inset/inset_place.h"
#include "inset/kes_inset.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cells.h"

namespace {

// One page: its segment, BY line and colours, then its cells, labels and close.
int open_page(kes_ctx* ctx, kes_layout* lay) {
  if (const int s = kes_open_page(ctx, lay); s != 0) return s;
  kesgcol(ctx);
  return 0;
}

void close_page(kes_ctx* ctx, kes_layout* lay, const kes_legend& legend) {
  const kes_preq* r = ctx->curreq;
  if (!r->nohlabel && !lay->haxis.label_none) {
    kesghlb(ctx);
    kes_pctl_top_label(ctx);
  }
  kesgleg(ctx, legend);
  if (kes_side_band(ctx) || kes_top_band(ctx)) kesgclb(ctx);
  kes_close_page(ctx, lay);
  ++lay->page_number;
}

// Where the first panel position's plot area sits, as the page geometry leaves it;
// every panel is this place moved by whole pitches.
struct panel_base {
  double ox, oy, xoffset, yoffset, hx[2], vx[2];
  double hpitch, vpitch;
};

panel_base base_of(const kes_layout* lay) {
  const kes_chart* c = &lay->c;
  panel_base b{};
  b.ox = c->ox, b.oy = c->oy, b.xoffset = lay->xoffset, b.yoffset = lay->yoffset;
  b.hx[0] = c->hx.start[0], b.hx[1] = c->hx.start[1], b.vx[0] = c->vx.start[0], b.vx[1] = c->vx.start[1];
  b.hpitch = kes_column_pitch(lay);
  b.vpitch = c->vcellgap + lay->vaxis.offset[0] + c->height + lay->vaxis.offset[1];
  return b;
}

// Moves the plot area, the axis lines and the transforms to the panel's place and
// takes its edge flags.
void place(kes_layout* lay, const panel_base& b, const kes_panel& p) {
  kes_chart* c = &lay->c;
  if (p.vslot >= 0) {
    const double dy = p.vslot * b.vpitch;
    c->hx.start[1] = b.hx[1] + dy, c->vx.start[1] = b.vx[1] + dy;
    c->oy = b.oy + dy, lay->yoffset = b.yoffset + dy;
    c->prow = p.vslot;
  }
  if (p.hslot >= 0) {
    const double dx = p.hslot * b.hpitch;
    c->hx.start[0] = b.hx[0] + dx, c->vx.start[0] = b.vx[0] + dx;
    c->ox = b.ox + dx, lay->xoffset = b.xoffset + dx;
    c->pcol = p.hslot + 1;
  }
  std::memcpy(c->edge, p.edge, sizeof c->edge);
}

// The level list of one CLASS variable as an array, made once per chart, so that a
// panel finds its cell by its place instead of walking the list from its head.
std::vector<kes_cell*> level_array(const kes_classvars* cv) {
  std::vector<kes_cell*> cells;
  if (cv->count != 1) return cells;
  cells.reserve(static_cast<std::size_t>(std::max(cv->nlevels, 0)));
  for (kes_cell* cell = cv->levels; cell != nullptr; cell = cell->next) cells.push_back(cell);
  return cells;
}

// The cell of a planned panel: the i-th of the level list, or of the grid of two
// CLASS variables, where a missing combination of levels is a null cell (an empty
// panel).
kes_cell* cell_of(const kes_classvars* cv, const std::vector<kes_cell*>& levels, const kes_panel& p) {
  if (cv->count == 2) return static_cast<kes_cell* const*>(cv->grid)[p.cell];
  return p.cell >= 0 && static_cast<std::size_t>(p.cell) < levels.size() ? levels[static_cast<std::size_t>(p.cell)]
                                                                          : nullptr;
}

// The pages of the request: one page with its one cell without CLASS variables, else
// the comparative panels page by page.
int draw_pages(kes_ctx* ctx, kes_layout* lay, const kes_legend& legend) {
  const kes_preq* r = ctx->curreq;
  const kes_classvars* cv = r->classvars;
  if (cv == nullptr || cv->count == 0) {
    if (const int s = open_page(ctx, lay); s != 0) return s;
    kesgdrw(ctx, ctx->classvars->levels, 0);
    close_page(ctx, lay, legend);
    return 0;
  }
  if (cv->count == 2 && cv->grid == nullptr) return 0;
  const panel_base base = base_of(lay);
  const int l2 = cv->count == 2 ? cv->nlevels2 : 1;
  const std::vector<kes_cell*> levels = level_array(cv);
  for (const kes_panel& p : kes_panel_plan(cv->count, cv->nlevels, l2, r->nrows, r->ncols)) {
    if (p.opens)
      if (const int s = open_page(ctx, lay); s != 0) return s;
    place(lay, base, p);
    if (cv->count == 2) {
      const auto* top = static_cast<const kes_textdesc*>(cv->labels2);
      const auto* side = static_cast<const kes_textdesc*>(cv->labels1);
      if (p.top_label >= 0 && top != nullptr) kesgtlb(ctx, top[p.top_label]);
      if (p.side_label >= 0 && side != nullptr) kesgslb(ctx, side[p.side_label]);
      if (p.cell >= 0) kesgdrw(ctx, cell_of(cv, levels, p), p.row);
    } else if (kes_cell* cell = cell_of(cv, levels, p); cell != nullptr) {
      kesgdrw(ctx, cell, 0);
      if (kes_levels_at_side(ctx)) kesgslb(ctx, cell->fmt);
      else kesgtlb(ctx, cell->fmt);
    }
    if (p.closes) close_page(ctx, lay, legend);
  }
  return 0;
}

int fail(kes_layout* lay, int status) {
  zqdfree(lay);
  return status;
}

int draw_chart(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  if (lay == nullptr) return 0;
  // 1. Nothing to draw for a variable without values in the request.
  if (r->type == KES_PLOT_HISTOGRAM && (r->total == nullptr || r->total[ctx->curvar] == 0)) return 0;

  // 2. Destinations.
  lay->manager = ctx->objs.manager;
  lay->root = ctx->objs.root;
  if (const int s = zqidest(lay); s != 0) return s;
  // 3. Catalog: GOUT=lib.cat of the PROC statement (the library WORK when not named).
  std::memset(lay->library, ' ', 8);
  lay->catalog_given = 0;
  int gout_len = 0;
  if (const char* gout = kes_gtext_opt(ctx->proc, KES_PROC_SLOT_GOUT, &gout_len); gout_len > 0) {
    const char* dot = static_cast<const char*>(std::memchr(gout, '.', static_cast<std::size_t>(gout_len)));
    const char* lib = dot != nullptr ? gout : "WORK";
    const int lib_len = dot != nullptr ? static_cast<int>(dot - gout) : 4;
    const char* cat = dot != nullptr ? dot + 1 : gout;
    const int cat_len = std::min(gout_len - static_cast<int>(cat - gout), static_cast<int>(sizeof lay->entry));
    std::memcpy(lay->library, lib, static_cast<std::size_t>(std::min(lib_len, 8)));
    std::memset(lay->entry, ' ', sizeof lay->entry);
    std::memcpy(lay->entry, cat, static_cast<std::size_t>(cat_len));
    lay->entry_len = static_cast<std::int16_t>(cat_len);
    lay->catalog_given = cat_len > 0 ? 1 : 0;
  }

  // 4. One pass per destination.
  kes_chart* c = &lay->c;
  kes_legend legend;
  for (lay->destindex = 0; lay->destlist != nullptr && lay->destindex < lay->destlist->count;) {
    const int s = kesgini(ctx);
    if (s == KES_DEST_SKIPPED) {
      ++lay->destindex;
      continue;
    }
    if (s != 0) return fail(lay, s);
    lay->page_area = ctx->page_area;
    std::memcpy(c->pagearea, ctx->page_area, sizeof c->pagearea);
    if (lay->destindex == 0) {
      int len = 0;
      const char* font = kes_gtext_opt(r->stmt, KES_PLOT_SLOT_FONT, &len);
      std::memset(c->font, ' ', 8);
      if (len > 0) gd_font(ctx, font, len, c->font);
    }
    if (kessymb(ctx) != 0) return fail(lay, KES_RC_OUT_OF_MEMORY);
    if (r->type == KES_PLOT_HISTOGRAM) kesgpat(ctx);
    kes_gname_opt(r->stmt, KES_PLOT_SLOT_CAXIS, c->caxis);
    kes_gname_opt(r->stmt, KES_PLOT_SLOT_CTEXT, c->ctext);
    kes_gname_opt(r->stmt, KES_PLOT_SLOT_CFRAME, c->cframe);
    kes_prob_page_axes(ctx);
    kesgmar(ctx);
    // Inset boxes of the chart: built with its text sizes and fonts, and the page
    // margins they take kept from the plot before the page is laid out.
    // The first cell that holds values stands for the cells: with two CLASS variables a
    // level cell has no fits of its own, and a box built of it would leave every block out.
    kes_cell* first = nullptr;
    kes_each_cell(r->classvars, [&](kes_cell* cell) { return first = cell, 1; });
    if (kesins(ctx, first, 0, kes_device_inset_needs) == KES_RC_OUT_OF_MEMORY) return fail(lay, KES_RC_OUT_OF_MEMORY);
    if (ctx->insets != nullptr) kesimrg(ctx);
    if (const int g = kesgpag(ctx); g != 0) return fail(lay, g);
    kes_legend_layout(ctx, &legend);
    if (const int g = kesgpg2(ctx); g != 0) return fail(lay, g);
    if (lay->destindex == 0) kes_pages_note(ctx, r, c->pages);
    // The side-margin boxes run along the frame now laid out.
    if (ctx->insets != nullptr) kessrnk(ctx);
    c->prow = 0;
    c->pcol = 1;
    lay->page_number = 1;
    lay->page_count = c->pages;
    if (const int s = draw_pages(ctx, lay, legend); s != 0) return fail(lay, s);
    if (lay->direct) break;
    if (lay->destindex + 1 < lay->destlist->count) {
      lay->gopts = ggznew(ctx->gcb);
      if (lay->gopts != nullptr) lay->gopts->initialised = 1;
    }
    ++lay->destindex;
  }
  // 5. Publish and release.
  if (!lay->direct && !lay->publish_started) zqpdest(lay);
  zqdfree(lay);
  return 0;
}

}  // namespace

int kesgcht(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  // The chart is laid out for the columns it draws, not for NCOLS= where the cells do
  // not go across (one CLASS variable in rows) or fewer levels go across than asked.
  const int ncols = r->ncols;
  if (const kes_classvars* cv = r->classvars; cv != nullptr && cv->count > 0)
    r->ncols = kes_drawn_columns(cv->count, cv->nlevels, cv->count > 1 ? cv->nlevels2 : 1, r->nrows, r->ncols);
  const int result = draw_chart(ctx);
  r->ncols = ncols;
  return result;
}
