// The legend of fill colours (fill_legend.h).
#include "devgraph/fill_legend.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_cells.h"
#include "host/kes_checked.h"

namespace {

// A key or label of a plot record is blank-padded, or all zero when never set.
int trimmed(const char* s, int n) {
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
  return n;
}

bool blank(const char* s, int n) { return trimmed(s, n) == 0; }

double label_width(kes_ctx* ctx, const kes_legend& legend) {
  const kes_chart* c = &ctx->curreq->layout->c;
  double w = 0;
  for (const auto& e : legend.entries) {
    kes_gtext t{};
    std::memcpy(t.font, c->valfont, 8);
    t.height = c->text_h;
    t.text = e.label;
    t.len = trimmed(e.label, 16);
    if (t.len > 0) w = std::max(w, gd_measure(ctx, &t, nullptr));
  }
  return w;
}

}  // namespace

kes_legend_grid kes_legend_fit(double available, double swatch_room, double gap2, double label_w, double gap3, int n) {
  const double pitch = swatch_room + gap2 + label_w + gap3;
  const int cols = pitch > 0 ? kes_clamped_int(std::floor((available + gap3) / pitch), 0, INT_MAX) : 0;
  if (cols <= 0 || n <= 0) return {std::max(cols, 0), 0};
  return {cols, (n + cols - 1) / cols};
}

kes_legend_spot kes_legend_at(int i, int cols, double x0, double pitch, double y_top, double row_h) {
  return {x0 + (i % cols) * pitch, y_top - (i / cols) * row_h};
}

void kes_legend_layout(kes_ctx* ctx, kes_legend* legend) {
  legend->entries.clear();
  legend->rows = legend->cols = 0;
  kes_each_cell(ctx->curreq->classvars, [&](kes_cell* cell) {
    if (cell == nullptr) return;
    const kes_plotslot* s = kes_gslot(ctx, cell);
    if (s == nullptr || blank(s->legend_key, 8)) return;
    for (const auto& e : legend->entries)
      if (std::memcmp(e.colour, s->legend_key, 8) == 0) return;
    kes_legend_entry e{};
    std::memcpy(e.colour, s->legend_key, 8);
    std::memcpy(e.label, s->legend_label, 16);
    e.colnum = std::memcmp(e.colour, "EMPTY   ", 8) == 0 ? -1 : gd_colour(ctx, e.colour);
    legend->entries.push_back(e);
  });
  if (legend->entries.empty()) return;
  const kes_classvars* cv = ctx->curreq->classvars;
  if (cv != nullptr && cv->count > 0)
    std::stable_sort(legend->entries.begin(), legend->entries.end(), [](const auto& a, const auto& b) {
      return std::memcmp(a.label, b.label, 16) < 0;
    });

  kes_chart* c = &ctx->curreq->layout->c;
  std::memset(legend->title, ' ', 16);
  char text[64];
  const int n = xpmstr(text, sizeof text, KES_SET_PROC, KES_MSG_LEGEND);
  std::memcpy(legend->title, text, static_cast<std::size_t>(std::clamp(n, 0, 16)));
  c->legtitle_w = 0;
  if (!blank(legend->title, 16)) {
    kes_gtext t{};
    std::memcpy(t.font, c->valfont, 8);
    t.height = c->text_h;
    t.text = legend->title;
    t.len = trimmed(legend->title, 16);
    c->legtitle_w = gd_measure(ctx, &t, nullptr);
  }
  const double available = c->pagearea[2] - c->pagearea[0] - c->lmargin - c->rmargin - c->legtitle_w - c->leg1;
  c->hwidest = label_width(ctx, *legend);
  c->legswatch = c->cw;
  const kes_legend_grid g = kes_legend_fit(available, c->legswatch, c->leg2, c->hwidest, c->leg3,
                                           static_cast<int>(legend->entries.size()));
  if (g.cols == 0) {
    xpmlog(KES_SET_LAYOUT, KES_MSG_LEGEND_DOES_NOT_FIT);
    legend->entries.clear();
    return;
  }
  legend->cols = c->legcols = g.cols;
  legend->rows = c->legrows = g.rows;
  c->bspace += (g.rows + 1) * (c->celldev ? c->ch : c->text_h + c->linegap);
}

void kesgleg(kes_ctx* ctx, const kes_legend& legend) {
  const kes_layout* lay = ctx->curreq->layout;
  const kes_chart* c = &lay->c;
  if (legend.entries.empty() || legend.cols <= 0) return;
  const double h = c->text_h;
  const double sw_h = 0.9 * h, sw_w = c->celldev ? c->cw : c->aspect * h;
  const double row_h = c->celldev ? c->ch : c->linegap + h;
  double y_top = c->pagearea[1] + c->bmargin + (legend.rows - 1) * row_h;
  double x0 = c->lmargin;
  if (c->celldev) y_top = gd_cell(ctx, y_top, 2, 0), x0 = gd_cell(ctx, x0, 1, 0);
  kes_gtext t{};
  std::memcpy(t.font, c->valfont, 8);
  t.height = h;
  t.colour = c->colors.text;
  t.align = 1;
  if (!blank(legend.title, 16)) {
    t.text = legend.title;
    t.len = trimmed(legend.title, 16);
    t.x = x0, t.y = y_top;
    gd_text(ctx, t);
    x0 += c->legtitle_w + c->leg1;
  }
  const double pitch = c->legswatch + c->leg2 + c->hwidest + c->leg3;
  for (int i = 0; i < static_cast<int>(legend.entries.size()); ++i) {
    const kes_legend_entry& e = legend.entries[i];
    const kes_legend_spot p = kes_legend_at(i, legend.cols, x0, pitch, y_top, c->celldev ? h : row_h);
    const bool empty = e.colnum < 0;
    gd_fill(ctx, p.x, p.y, p.x + sw_w, p.y + sw_h, empty ? "E       " : "S       ", empty ? c->colors.text : e.colnum, 4,
            c->hx.line_colour, 1, 1);
    t.text = e.label;
    t.len = trimmed(e.label, 16);
    t.x = p.x + c->legswatch + c->leg2, t.y = p.y;
    gd_text(ctx, t);
  }
}
