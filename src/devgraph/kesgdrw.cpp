// kesgdrw(ctx, cell, row): one cell of a device page: its frame fill, then the marks
// of its plot type in a fixed order, then annotate and the inset boxes. A null cell
// (a combination of levels without data) gets its frame, grid and axes only.
#include <algorithm>
#include <climits>
#include <string>

#include "devgraph/annotate.h"
#include "devgraph/box_moves.h"
#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/chart_texts.h"
#include "devgraph/corner_note.h"
#include "devgraph/device_inset_needs.h"
#include "devgraph/gdev.h"
#include "devgraph/pctl_axes.h"
#include "devgraph/prob_marks.h"
#include "devgraph/tick_text.h"
#include "fit/family/kes_law.h"
#include "fit/kes_estframe.h"
#include "host/kes_checked.h"
#include "inset/inset_place.h"
#include "inset/kes_inset.h"
#include "kes_gram_names.h"
#include "records/kes_curve.h"
#include "records/kes_varsum.h"

namespace {

// The histogram's grid: a line at every vertical tick.
void grid(kes_ctx* ctx) {
  kes_layout* lay = ctx->curreq->layout;
  const kes_chart* c = &lay->c;
  const kes_plotslot* key = kes_gkeyslot(ctx);
  const double x1 = c->ox - lay->haxis.offset[0], x2 = c->ox + c->width + lay->haxis.offset[1];
  gd_width(ctx, c->colors.grid_width);
  gd_line(ctx, x1, c->oy, x2, c->oy, c->colors.grid_style, c->colors.grid);
  if (key->vmax > key->vmin && key->vstep > 0) {
    const double step = kes_step_length(key->vstep, c->height, key->vmin, key->vmax);
    const long n = kes_tick_count(c->height, step);
    long i = 1;
    for (double y = c->oy + step; y <= c->oy + c->height + KES_TICK_SLACK && i < n; y = c->oy + (++i) * step)
      gd_line(ctx, x1, y, x2, y, c->colors.grid_style, c->colors.grid);
  }
  gd_width(ctx, 1);
}

void references(kes_ctx* ctx, kes_cell* cell, kes_ref_part part = kes_ref_part::both) {
  const kes_preq* r = ctx->curreq;
  if (r->nvref > 0) kesgvrl(ctx, cell, part);
  if (r->nhref > 0) kesghrl(ctx, cell, part);
}

// Grid lines of a QQ plot: horizontal ones at the vertical axis's ticks when ROTATE is
// set, else vertical ones at the quantile ticks across, from the horizontal axis line
// up. The key slot holds both axes as drawn (the driver exchanged them for ROTATE).
void kesgrid(kes_ctx* ctx, bool horizontal) {
  if (horizontal) {
    grid(ctx);
    return;
  }
  kes_layout* lay = ctx->curreq->layout;
  const kes_chart* c = &lay->c;
  const kes_plotslot* key = kes_gkeyslot(ctx);
  const double y1 = c->hx.start[1], y2 = c->oy + c->height + lay->vaxis.offset[1];
  if (!(key->hhigh > key->hlow) || !(key->width > 0)) return;
  const double step = kes_step_length(key->width, c->width, key->hlow, key->hhigh);
  gd_width(ctx, c->colors.grid_width);
  const long n = kes_tick_count(c->width, step);
  long i = 0;
  for (double x = c->ox; x <= c->ox + c->width + KES_TICK_SLACK && i < n; x = c->ox + (++i) * step)
    gd_line(ctx, x, y1, x, y2, c->colors.grid_style, c->colors.grid);
  gd_width(ctx, 1);
}

// A note in the middle of the cell's plot area, saying what the cell holds where it
// shows no points or steps; one too long for the cell says what it holds on one line
// and why on the next. Where it would shrink below the least height that reads it
// says `brief` instead, or nothing (the log names the cell and says why).
void cell_note(kes_ctx* ctx, const std::string& text, const std::string& brief = "") {
  const kes_chart* c = &ctx->curreq->layout->c;
  std::string lines[2] = {text, ""};
  kes_gtext t = kes_ref_label(c, c->colors.on_wall, text.c_str());
  t.len = static_cast<int>(text.size());
  const std::size_t comma = text.find(", ");
  if (gd_measure(ctx, &t, nullptr) > c->width && comma != std::string::npos)
    lines[0] = text.substr(0, comma + 1), lines[1] = text.substr(comma + 2);
  // A large text height (HEIGHT=) on a narrow cell would carry the note past the cell,
  // and off the page from an outer column: it shrinks to the plot area instead, both
  // lines alike.
  const int count = lines[1].empty() ? 1 : 2;
  for (const std::string& line : lines) {
    kes_gtext m = t;
    m.text = line.c_str();
    m.len = static_cast<int>(line.size());
    const double len = m.len > 0 ? gd_measure(ctx, &m, nullptr) : 0;
    if (len > c->width && len > 0) t.height *= c->width / len;
  }
  if (count * t.height > c->height && c->height > 0) t.height = c->height / count;
  if (t.height < gd_least_text(ctx)) {
    if (!brief.empty() && brief != text) cell_note(ctx, brief);
    return;
  }
  t.align = 4;
  t.x = c->ox + c->width / 2;
  // The cell's boxes are drawn over its marks: a note under one would be hidden, and
  // takes a corner clear of them instead.
  double wide = 0;
  for (const std::string& line : lines) {
    kes_gtext m = t;
    m.text = line.c_str();
    m.len = static_cast<int>(line.size());
    wide = std::max(wide, m.len > 0 ? gd_measure(ctx, &m, nullptr) : 0.0);
  }
  const double mid = c->oy + c->height / 2;
  const kes_room middle = {t.x - wide / 2, mid - (count == 1 ? 0.25 : 0.85) * t.height, t.x + wide / 2,
                           mid + (count == 1 ? 1.0 : 1.6) * t.height};
  const std::vector<kes_room> boxes = kes_box_rooms(ctx);
  if (kes_meets_any(middle, boxes)) {
    kes_corner_note note(ctx, text);
    note.see_rooms(boxes);
    // Where no corner is clear of the boxes the note says it in a word, which takes
    // less room.
    if (brief.empty() || (note.readable() && note.has_clear_corner())) {
      note.draw(text);
      return;
    }
    kes_corner_note short_note(ctx, brief);
    short_note.see_rooms(boxes);
    short_note.draw(brief);
    return;
  }
  for (int i = 0; i < count; ++i) {
    t.text = lines[i].c_str();
    t.len = static_cast<int>(lines[i].size());
    // Two lines stand a text height and a little apart, about the middle.
    t.y = c->oy + c->height / 2 + (count == 1 ? 0 : (i == 0 ? 0.6 : -0.6) * t.height);
    gd_text(ctx, t);
  }
}

// "1 value", "20 values".
std::string count_text(double n) {
  const long k = kes_clamped_int(n, 0L, LONG_MAX);
  return std::to_string(k) + (k == 1 ? " value" : " values");
}

// "3 of 40 values without a quantile, not drawn".
std::string lost_text(const std::string& lost, const std::string& of) {
  return lost + " of " + of + " values without a quantile, not drawn";
}

// The cell's count of values, when it holds any.
double values_of(const kes_ctx* ctx, const kes_cell* cell) {
  return cell != nullptr && cell->varsums != nullptr ? cell->varsums[ctx->curvar].n : 0;
}

// A cell that holds values without spread has no points or steps to draw: it says
// what it holds.
void unplotted(kes_ctx* ctx, kes_cell* cell) {
  const double n = values_of(ctx, cell);
  if (!(n >= 1) || !cell->hist_empty) return;
  cell_note(ctx, n < 2 ? "1 value" : "all values equal");
}

// A cell whose values place their points by a fit draws none when its fit failed: it
// says how many values that leaves out, and why (the log names the cell and the fit).
void unfitted(kes_ctx* ctx, kes_cell* cell) {
  const double n = values_of(ctx, cell);
  if (!(n >= 1)) return;
  if (cell->hist_empty) unplotted(ctx, cell);
  else cell_note(ctx, count_text(n) + ", not drawn: the fit failed", "fit failed");
}

// A histogram cell without bars (NOBARS) and without a fitted curve draws none of its
// values: it says how many, and why.
void bare_histogram(kes_ctx* ctx, kes_cell* cell) {
  const double n = values_of(ctx, cell);
  if (!(n >= 1)) return;
  if (kes_any_curve_fitted(kes_gslot(ctx, cell))) return;
  if (cell->hist_empty) unplotted(ctx, cell);
  else if (ctx->curreq->ncurves > 0) cell_note(ctx, count_text(n) + ", no curve: the fit failed", "fit failed");
  else cell_note(ctx, count_text(n) + ", NOBARS", "NOBARS");
}

// The points and lines of the plots other than histograms.
void marks(kes_ctx* ctx, kes_preq* r, kes_cell* cell) {
  const kes_plotslot* s = cell != nullptr ? kes_gslot(ctx, cell) : nullptr;
  const kes_curve* curve = s != nullptr ? kes_fit_curve(const_cast<kes_plotslot*>(s)) : nullptr;
  const bool fitted = curve != nullptr && curve->fitted;
  switch (r->type) {
    case KES_PLOT_QQ:
    case KES_PLOT_PROB:
      if (r->type == KES_PLOT_QQ && r->grid) kesgrid(ctx, r->rotate != 0);
      // A probability plot's grid stands at the vertical axis's ticks: the data's here,
      // the percents' under ROTATE (drawn with that axis).
      if (r->type == KES_PLOT_PROB && r->grid && !r->rotate) grid(ctx);
      if (fitted) {
        // Values whose quantiles could not be computed have no place: a cell of only
        // such values says so, as the log does, and one that draws the others counts
        // them in a corner clear of its points.
        const double n = values_of(ctx, cell);
        const std::string all = std::to_string(kes_clamped_int(n, 0L, LONG_MAX));
        kes_corner_note note(ctx, lost_text(all, all));
        note.see_rooms(kes_box_rooms(ctx));
        kes_seen_points seen;
        seen.drawn = [&](const double* xy, int k) { note.see(xy, k); };
        const int placed = kesgpts(ctx, r, cell, &seen);
        if (placed == 0 && n >= 1) cell_note(ctx, count_text(n) + ", whose quantiles cannot be computed", "no quantiles");
        double line[4];
        if (s->line && kesgdl(ctx, r, cell, line)) note.see_line(line);
        // A two-parameter Weibull cell leaves out its values at the threshold (the
        // point makers give none for them), as the log says: the cell counts them too.
        const kes_law* law = kes_law_of(r->dist);
        const double at_threshold = law != nullptr && law->log_of_data ? n - static_cast<double>(seen.given) : 0;
        if (placed > 0 && placed < seen.given)
          note.draw(lost_text(std::to_string(seen.given - placed), std::to_string(seen.given)));
        else if (placed > 0 && at_threshold >= 1)
          note.draw(count_text(at_threshold) + " at the threshold, not drawn");
      }
      if (!fitted) unfitted(ctx, cell);
      break;
    case KES_PLOT_CDF:
      if (cell != nullptr && !cell->hist_empty) {
        if (s->line && fitted) kescgr(ctx, cell);
        if (!kes_flag(r->stmt, KES_PLOT_FLAG_NOECDF)) kesecdf(ctx, cell);
      }
      unplotted(ctx, cell);
      references(ctx, cell);
      break;
    case KES_PLOT_PP:
      if (fitted) {
        keszdrw(ctx, r, cell);
        if (s->line) kesg45(ctx);
      }
      if (!fitted) unfitted(ctx, cell);
      references(ctx, cell);
      break;
    default: break;
  }
}

}  // namespace

void kesgdrw(kes_ctx* ctx, kes_cell* cell, int row) {
  kes_preq* r = ctx->curreq;
  kes_chart* c = &r->layout->c;
  const kes_stmt* st = r->stmt;

  // 1. Inset boxes of the cell: placed in its frame (a chart without CLASS variables
  // has one cell and its boxes were built with the chart).
  // A comparative panel's boxes are built again with its own cell's values.
  static const double kNoOffset[2] = {0, 0};
  const bool comparative = r->classvars != nullptr && r->classvars->count > 0;
  if (ctx->insets != nullptr && comparative && cell != nullptr) kesins(ctx, cell, row, kes_device_inset_needs);
  // Only a cell with values shows boxes: a panel without a cell, or whose cell has no
  // nonmissing value, would otherwise show the boxes of the cell drawn before it.
  const bool boxes = ctx->insets != nullptr && cell != nullptr && cell->varsums != nullptr &&
                     cell->varsums[ctx->curvar].n != 0;
  if (boxes) kesivld(ctx, cell, kNoOffset);
  if (boxes) kes_boxes_off_values(ctx, cell);

  // 2. Frame fill.
  if (!r->noframe && (r->frame_fill != 0 || kes_flag(st, KES_PLOT_FLAG_CPROP) || c->style)) kesgfrm(ctx, r, cell);

  // 3. Marks by plot type.
  if (r->type == KES_PLOT_HISTOGRAM) {
    const bool front = c->style ? !kes_flag(st, KES_PLOT_FLAG_CLIPREF) : kes_flag(st, KES_PLOT_FLAG_FRONTREF);
    if (r->grid) grid(ctx);
    if (!front) references(ctx, cell, kes_ref_part::lines);
    const bool bars_off = r->nobars || (cell != nullptr && kes_gslot(ctx, cell)->bars_off);
    // Curves that cannot be drawn end the cell's marks; its axes are still drawn.
    bool marks = cell != nullptr;
    if (marks && r->curve_fill && r->ncurves > 0) marks = kescmh5(ctx, cell) == 0;
    if (marks && !bars_off) kesgbr2(ctx, cell);
    if (marks && r->hang) keshang(ctx, cell);
    if (marks && !r->curve_fill && r->ncurves > 0) marks = kescmh5(ctx, cell) == 0;
    if (marks && r->nobars && !r->hang) bare_histogram(ctx, cell);
    if (marks && front) references(ctx, cell);
    // Labels behind the bars would be hidden: they come over them, their lines stay behind.
    if (!front) references(ctx, cell, kes_ref_part::labels);
    // A cell with no curve to hang its bars from reads no value below 0.
    c->stands = r->hang && (cell == nullptr || cell->hist_empty || !kes_gslot(ctx, cell)->hang_set);
    kesgax(ctx);
    c->stands = 0;
  } else {
    marks(ctx, r, cell);
    if (r->type == KES_PLOT_QQ) kesgaxq(ctx, r, cell);
    else if (r->type == KES_PLOT_PROB) kesgaxp(ctx, r, cell);
    else kesgax(ctx);
  }

  // 4. Annotate data sets of the request.
  if (cell != nullptr) kesgano(ctx, r, cell);
  // 5. Inset boxes of the cell are drawn last; the areas they blanked are released.
  if (boxes) kesidrw(ctx);
}
