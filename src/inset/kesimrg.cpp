// kesimrg: the inset boxes at "TM", "BM", "LM" and "RM" get their place in the page
// margins, and the page area left for the plot shrinks by the room they take. A top
// or bottom box lays its rows out in as many columns as fit across the page; a left
// or right box keeps one column (its height follows in kessrnk).
#include <cmath>
#include <cstring>

#include "host/host_graph.h"
#include "host/host_services.h"
#include "inset/inset_build.h"
#include "inset/inset_device.h"
#include "inset/inset_place.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "records/stmt_slots.h"

namespace {

constexpr double kShrinkStep = 0.05;
constexpr double kSmallestScale = 0.2;
constexpr int kLeft = 0, kBottom = 1, kRight = 2, kTop = 3;

bool at(const kes_insetbox* b, char side) { return b->position[0] == side && kes_inset_margin_word(b->position); }

// The sizes a top or bottom box is laid out with; the shrink loop scales them from the
// values they had before it.
struct tb_sizes {
  double text_height, label_width, value_width, colspace, vmargin, rowgap, shadow;
};

tb_sizes sizes_of(const kes_insetbox* b) {
  return {b->text_height, b->label_width, b->value_width, b->colspace, b->vmargin, b->rowgap, b->shadow};
}

void apply(kes_insetbox* b, const tb_sizes& base, double s) {
  b->text_height = base.text_height * s;
  b->label_width = base.label_width * s;
  b->value_width = base.value_width * s;
  b->colspace = base.colspace * s;
  b->vmargin = base.vmargin * s;
  b->rowgap = base.rowgap * s;
  b->shadow = base.shadow * s;
}

}  // namespace

void kesuncell(kes_insetbox* box, int side, kes_ctx* ctx) {
  (void)ctx;
  kes_inset_default_font(box);
  xpmlog(KES_SET_LABEL, side == 0 ? KES_MSG_INSET_TOP_MARGIN_FONT : KES_MSG_INSET_PAGE_MARGIN_FONT,
         kes_inset_font_len(box), box->font);
  box->devtext = 0;
  kes_inset_row_spacing(box);
  kes_inset_measure_rows(box, false);
}

int kes_inset_columns(const kes_insetbox* b, double a, double w1) {
  if (a < w1 || w1 <= 0) return 1;
  // The largest k with k w1 + (k - 1) 4 spacing <= a; never more columns than rows.
  int k = static_cast<int>(std::floor((a + 4 * b->colspace) / (w1 + 4 * b->colspace)));
  if (k < 1) k = 1;
  if (k > b->nrows && b->nrows > 0) k = b->nrows;
  return k;
}

int kes_inset_margins(kes_ctx* ctx, double* area, double g, double d) {
  bool has[4] = {};  // T, B, L, R
  for (const kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    has[0] = has[0] || at(b, 'T');
    has[1] = has[1] || at(b, 'B');
    has[2] = has[2] || at(b, 'L');
    has[3] = has[3] || at(b, 'R');
  }

  // Top and bottom boxes.
  bool taken[2] = {}, noted[2] = {};
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    if (!b->enabled || !(at(b, 'T') || at(b, 'B'))) continue;
    const int side = at(b, 'T') ? 0 : 1;
    if (taken[side]) {
      if (!noted[side]) xpmlog(KES_SET_LABEL, side == 0 ? KES_MSG_ONLY_FIRST_INSET_TM : KES_MSG_ONLY_FIRST_INSET_BM);
      noted[side] = true;
      continue;
    }
    const double left = area[kLeft] + g;
    double right = area[kRight] - g;
    if (b->shadow > 0) right -= b->shadow;
    const double a = right - left - 2 * b->hmargin;
    tb_sizes base = sizes_of(b);
    const double w1 = b->label_width + b->value_width + b->colspace;
    // A single column wider than the page starts narrowed to it.
    double s = a < w1 && w1 > 0 ? a / w1 : 1.0;
    int n = 1;
    double H = 0, top = 0, bottom = 0;
    const double c = b->devtext ? ggcell(0, 1.0, 2, 1) : 0;
    auto layout = [&] {
      n = kes_inset_columns(b, a, b->label_width + b->value_width + b->colspace);
      const int r = b->nrows > 0 ? (b->nrows + n - 1) / n : 0;
      if (b->devtext) {
        H = (r + 1) * c + (b->header_len > 0 ? 2 * c : 0);
      } else {
        H = (r > 0 ? (r - 1) * b->rowgap : 0) + r * b->text_height + 2 * b->vmargin;
        if (b->header_len > 0) H += 2 * b->vmargin + b->text_height;
      }
      if (side == 0) {
        top = area[kTop] == 100 ? area[kTop] - d : area[kTop];
        if (b->devtext) top = ggcell(0, top, 2, 0) - 0.5 * c;
        bottom = top - H;
      } else {
        bottom = area[kBottom] == 0 ? area[kBottom] + d : area[kBottom];
        if (b->shadow > 0) bottom += b->shadow;
        if (b->devtext) bottom = ggcell(0, bottom, 2, 0) + 0.5 * c;
        top = bottom + H;
      }
    };
    if (s < 1) apply(b, base, s);
    layout();
    auto limit = [&] { return (has[0] && has[1] ? 0.25 : 0.5) * (area[kTop] - area[kBottom]) - b->shadow; };
    if (H > limit() && b->devtext) {
      kesuncell(b, side, ctx);
      // The new font's sizes, as they would be unscaled.
      base = sizes_of(b);
      apply(b, base, 1.0 / s);
      base = sizes_of(b);
      apply(b, base, s);
      layout();
    }
    // At most (1 - 0.2) / 0.05 steps.
    while (H > limit()) {
      s -= kShrinkStep;
      if (s < kSmallestScale) {
        b->enabled = 0;
        break;
      }
      apply(b, base, s);
      layout();
    }
    if (!b->enabled) {
      // A later box at the same word may take the margin.
      xpmlog(KES_SET_LABEL, side == 0 ? KES_MSG_INSET_TOP_MARGIN_TOO_TALL : KES_MSG_INSET_BOTTOM_MARGIN_TOO_TALL);
      continue;
    }
    taken[side] = true;
    double* const rest[] = {&b->box_width, &b->hmargin, &b->block_header_width, &b->block_label_width,
                            &b->blank_width, &b->sample_width};
    for (double* x : rest) *x *= s;
    b->box_height = H;
    b->ncols = n;
    b->colspace = (a - n * (b->label_width + b->value_width)) / (5 * n - 4);
    if (s != 1)
      xpmlog(KES_SET_LABEL, side == 0 ? KES_MSG_INSET_TOP_MARGIN_SHRUNK : KES_MSG_INSET_BOTTOM_MARGIN_SHRUNK,
             static_cast<int>(100 * s + 0.5));
    b->left = left;
    b->right = right;
    b->top = top;
    b->bottom = bottom;
    kes_inset_follow(b);
    if (side == 0) area[kTop] = (b->shadow > 0 ? b->shadow_bottom : b->bottom) - b->vmargin;
    else area[kBottom] = b->top + b->vmargin;
  }

  // Left and right boxes.
  kes_insetbox* lbox = nullptr;
  kes_insetbox* rbox = nullptr;
  bool noted636 = false, noted637 = false;
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    if (!b->enabled) continue;
    b->margin_scale = 1.0;
    if (!(at(b, 'L') || at(b, 'R'))) continue;
    if (at(b, 'L') && lbox == nullptr) lbox = b;
    else if (at(b, 'R') && rbox == nullptr) rbox = b;
    else {
      if (rbox != nullptr) {
        if (!noted636) xpmlog(KES_SET_LABEL, KES_MSG_ONLY_ONE_INSET_PER_SIDE);
        noted636 = true;
      } else {
        if (!noted637) xpmlog(KES_SET_LABEL, KES_MSG_ONLY_FIRST_INSET_LM);
        noted637 = true;
      }
      continue;
    }
    const bool is_left = b == lbox;
    const double W = b->box_width + 2 * b->hmargin;
    if (is_left) b->left = area[kLeft] + g, b->right = b->left + W;
    else b->right = area[kRight] - g, b->left = b->right - W;
    const double limit = (has[2] && has[3] ? 0.25 : 0.5) * (area[kRight] - area[kLeft]) - b->shadow;
    if (b->right - b->left > limit) {
      if (b->devtext) kesuncell(b, is_left ? 2 : 3, ctx);
      double s = (limit - 2 * b->hmargin) / b->box_width;
      // The margins shrink with the box: a box whose margins alone exceed the limit
      // still gets a positive factor.
      if (!(s > 0)) s = limit / (b->box_width + 2 * b->hmargin);
      kes_inset_scale(b, s, true, true);
      if (is_left) b->right = b->left + b->box_width + 2 * b->hmargin;
      else b->left = b->right - b->box_width - 2 * b->hmargin;
      b->margin_scale *= s;
    }
    kes_inset_follow(b);
    if (is_left) {
      area[kLeft] = (b->shadow > 0 ? b->shadow_right : b->right) + b->hmargin;
    } else {
      if (b->shadow > 0) {
        b->left -= b->shadow, b->right -= b->shadow;
        kes_inset_follow(b);
      }
      area[kRight] = b->left - b->hmargin;
    }
  }
  return 0;
}

int kesimrg(kes_ctx* ctx) {
  const kes_preq* rq = ctx->curreq;
  if (rq == nullptr || rq->layout == nullptr) return 0;
  const auto* dev = static_cast<const gdevice*>(ctx->device);
  const double g = dev != nullptr ? dev->default_charw : 0;
  const double d = dev != nullptr ? dev->default_height : 0;
  // The page area the chart is laid out in.
  return kes_inset_margins(ctx, rq->layout->c.pagearea, g, d);
}
