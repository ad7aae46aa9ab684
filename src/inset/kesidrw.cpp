// kesidrw: every enabled inset box drawn on the current device graph: shadow, fill and
// frame, the header with its fill and rule, and the rows (block header lines with
// curve samples, labels left, values right). Page-margin boxes flow their rows across
// the page in columns.
#include <cstring>

#include "host/host_graph.h"
#include "host/host_services.h"
#include "inset/inset_build.h"
#include "inset/inset_place.h"
#include "kes_msg_names.h"
#include "records/family_names.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_layout.h"
#include "records/kes_preq.h"
#include "records/stmt_slots.h"
#include "util/kes_text.h"
#include "util/readable_colour.h"

namespace {

constexpr int kLeftAlign = 1, kRightAlign = 2;

bool blank8(const char* s) { return vzatl(' ', s, 8) != 0; }
bool is_blank_word(const char* s) { return std::memcmp(s, "BLANK   ", 8) == 0; }

struct pen {
  kes_ctx* ctx;
  const kes_insetbox* box;
  int colour;
};

void text(const pen& p, double x, double y, const char* s, int len, int align) {
  if (len <= 0) return;
  host_gtext t;
  ggstri(&t);
  std::memcpy(t.font, p.box->font, 8);
  t.height = static_cast<float>(p.box->text_height);
  t.font_given = t.height_given = 1;
  t.colnum = p.colour;
  t.just = align;
  t.x = static_cast<float>(p.box->devtext ? ggcell(0, x, 1, 0) : x);
  t.y = static_cast<float>(p.box->devtext ? ggcell(0, y, 2, 0) : y);
  t.text = s;
  t.length = static_cast<std::uint16_t>(len);
  ggstr(0, &t);
}

// The line sample of a row's curve, from x over the sample width at mid-text height.
void sample(kes_ctx* ctx, const kes_insetbox* box, const kes_curve* curve, double x, double y) {
  int style = 1, colour = 1, width = 1;
  const kes_layout* lay = ctx->curreq != nullptr ? ctx->curreq->layout : nullptr;
  if (curve != nullptr && lay != nullptr && lay->c.curve_attr != nullptr && curve->index >= 0) {
    const kes_symattr& a = lay->c.curve_attr[curve->index];
    style = a.line_type > 0 ? a.line_type : 1;
    colour = ggcnum(0, a.color);
    width = a.line_width > 0 ? a.line_width : 1;
  }
  auto* dev = static_cast<gdevice*>(ctx->device);
  if (dev != nullptr) dev->line_width = static_cast<std::int16_t>(width);
  const double ym = y + 0.5 * box->text_height;
  ggdraw(0, x, ym, x + box->sample_width, ym, style, colour);
  if (dev != nullptr) dev->line_width = 1;
}

void note_once(kes_ctx* ctx, int flag, int number) {
  if (kes_inset_once(ctx, flag)) xpmlog(KES_SET_LABEL, number);
}

void frame(kes_ctx* ctx, kes_insetbox* b) {
  if (b->noframe) {
    if (b->shadow_given) note_once(ctx, KES_IN_NF_SHADOW, KES_MSG_CSHADOW_NEEDS_FRAME);
    if (b->fill_given) note_once(ctx, KES_IN_NF_FILL, KES_MSG_CFILL_NEEDS_FRAME);
    if (b->header_fill_given) note_once(ctx, KES_IN_NF_HFILL, KES_MSG_CFILLH_NEEDS_FRAME);
    if (b->frame_given) note_once(ctx, KES_IN_NF_FRAME, KES_MSG_CFRAME_NEEDS_FRAME);
    return;
  }
  const bool blank_fill = is_blank_word(b->fill);
  const bool fill = !blank8(b->fill) && !blank_fill;
  const int fillnum = fill ? ggcnum(0, b->fill) : 0;
  const int framenum = ggcnum(0, b->frame_colour);
  if (b->shadow > 0 && b->shadow_given) {
    const double pts[12] = {b->left,         b->bottom,        b->right,        b->bottom,
                            b->right,        b->top,           b->shadow_right, b->top - b->shadow,
                            b->shadow_right, b->shadow_bottom, b->left + b->shadow, b->shadow_bottom};
    host_gpoly poly{};
    poly.count = 6;
    poly.points = pts;
    std::memcpy(poly.pattern, "SOLID   ", 8);
    poly.color = ggcnum(0, b->shadow_colour);
    poly.outline = -1;
    poly.line_type = 1;
    ggpoly(0, &poly);
  }
  // A "BLANK" fill: the box's area stays clear of what is drawn after it; its own
  // fill is empty and the blanked area it registered is released here.
  if (blank_fill) kes_inset_release_box(b);
  const char* pattern = fill ? "SOLID   " : "EMPTY   ";
  const bool header = b->header_len > 0;
  ggfill(0, b->left, b->bottom, header ? b->rule_right : b->right, header ? b->rule_y : b->top, pattern, fillnum, 3,
         framenum, 1, 1);
  if (header) {
    const bool hfill = b->header_fill_given || fill;
    if (!hfill) {
      ggdraw(0, b->rule_left, b->rule_y, b->left, b->top, 1, framenum);
      ggdraw(0, b->left, b->top, b->right, b->top, 1, framenum);
      ggdraw(0, b->right, b->top, b->rule_right, b->rule_y, 1, framenum);
    } else {
      const bool hblank = is_blank_word(b->header_fill) || blank8(b->header_fill);
      ggfill(0, b->rule_left, b->rule_y, b->right, b->top, hblank ? "EMPTY   " : "SOLID   ",
             hblank ? 0 : ggcnum(0, b->header_fill), 3, framenum, 1, 1);
    }
  } else if (b->header_fill_given) {
    note_once(ctx, KES_IN_HFILL_NOHEADER, KES_MSG_CFILLH_NEEDS_HEADER);
  }
}

// The wall under the box (CFRAME=, or the style's walls) when the box stands on the
// plot area; -1 for the page, which is not filled.
int wall_under(const kes_ctx* ctx, const kes_insetbox* b) {
  const kes_preq* r = ctx->curreq;
  if (r == nullptr || r->layout == nullptr) return -1;
  const kes_layout* lay = r->layout;
  const kes_chart* c = &lay->c;
  if (!(r->frame_fill == 1 || c->style) || c->colors.frame_fill < 0) return -1;
  const double x = 0.5 * (b->left + b->right), y = 0.5 * (b->bottom + b->top);
  const bool on = x >= c->ox - lay->haxis.offset[0] && x <= c->ox + c->width + lay->haxis.offset[1] &&
                  y >= c->oy - lay->vaxis.offset[0] && y <= c->oy + c->height + lay->vaxis.offset[1];
  return on ? c->colors.frame_fill : -1;
}

// The fill under the box's rows, or under its header: the box's own as frame() draws
// it, else the wall beneath; a "BLANK" box clears its area to the page.
int fill_under(const kes_ctx* ctx, const kes_insetbox* b, bool header) {
  if (is_blank_word(b->fill)) return -1;
  const bool fill = !blank8(b->fill);
  const char* own = header ? (b->header_fill_given || fill ? b->header_fill : nullptr) : (fill ? b->fill : nullptr);
  if (!b->noframe && own != nullptr && !blank8(own) && !is_blank_word(own)) return ggcnum(0, own);
  return wall_under(ctx, b);
}

// The colours of the rows and the header: a colour the program gave (the statement's
// CTEXT= or CHEADER=, the plot's CTEXT=) is kept; the default reads on its fill.
void text_colours(const kes_ctx* ctx, const kes_insetbox* b, int* rows, int* header) {
  const kes_chart* chart = ctx->curreq != nullptr && ctx->curreq->layout != nullptr ? &ctx->curreq->layout->c : nullptr;
  const bool text_given = kes_pgiven(b->stmt, KES_INSET_SLOT_CTEXT) || (chart != nullptr && !blank8(chart->ctext));
  const bool header_given = kes_pgiven(b->stmt, KES_INSET_SLOT_CHEADER) || text_given;
  *rows = ggcnum(0, b->text_colour);
  *header = ggcnum(0, b->header_colour);
  if (!text_given) *rows = kes_readable_colour(*rows, fill_under(ctx, b, false));
  if (!header_given) *header = kes_readable_colour(*header, fill_under(ctx, b, b->header_len > 0));
}

void rows(kes_ctx* ctx, kes_insetbox* b) {
  int row_colour = 0, header_colour = 0;
  text_colours(ctx, b, &row_colour, &header_colour);
  pen p{ctx, b, row_colour};
  const double x0 = b->left + b->hmargin, x1 = b->right - b->hmargin;
  double y = b->top - b->vmargin;
  if (b->header_len > 0) {
    pen h{ctx, b, header_colour};
    y -= b->text_height;
    double x = x0;
    if (b->header_sample) {
      sample(ctx, b, b->rows != nullptr ? b->rows->curve : nullptr, x0, y);
      x += b->sample_width + b->blank_width;
    }
    text(h, x, y, b->header, b->header_len, kLeftAlign);
    y -= b->devtext ? b->text_height : 2 * b->vmargin;
  }
  y -= b->text_height;
  const bool margin = kes_inset_margin_word(b->position);
  double x = x0;
  for (const kes_inset* r = b->rows; r != nullptr; r = r->next) {
    char name[KES_INSET_TEXT];
    int nlen = 0;
    if (r->kind >= KES_IK_FIRST && r->kind <= KES_IK_HEADER_ONLY && r->kind != KES_IK_NEXT && r->kind != KES_IK_NEXT_HDR)
      nlen = kes_inset_msg(name, KES_INSET_TEXT, KES_SET_LABEL, kes_family_name(r->subcode));
    const double start = x;
    switch (r->kind) {
      case KES_IK_FIRST_HDR:
        sample(ctx, b, r->curve, x, y);
        x += b->sample_width + b->blank_width;
        text(p, x, y, name, nlen, kLeftAlign);
        x += b->block_header_width + b->blank_width;
        text(p, x, y, r->label, r->label_len, kLeftAlign);
        break;
      case KES_IK_HEADER_ONLY:
        sample(ctx, b, r->curve, x, y);
        x += b->sample_width + b->blank_width;
        text(p, x, y, name, nlen, kLeftAlign);
        break;
      case KES_IK_FIRST:
        text(p, x, y, name, nlen, kLeftAlign);
        x += b->block_header_width + b->blank_width;
        text(p, x, y, r->label, r->label_len, kLeftAlign);
        break;
      case KES_IK_NEXT_HDR:
        x += b->sample_width + b->blank_width + b->block_header_width + b->blank_width;
        text(p, x, y, r->label, r->label_len, kLeftAlign);
        break;
      case KES_IK_NEXT:
        x += b->block_header_width + b->blank_width;
        text(p, x, y, r->label, r->label_len, kLeftAlign);
        break;
      default:
        text(p, x, y, r->label, r->label_len, kLeftAlign);
    }
    if (!margin) {
      text(p, x1, y, r->value, r->value_len, kRightAlign);
      y -= b->rowgap + b->text_height;
      x = x0;
      continue;
    }
    // A column holds the widest row's label part: a block row's label starts after its
    // line sample and family heading, so the block label alone would put its value
    // over the label.
    const double colw = b->label_width + b->value_width + b->colspace;
    const double vend = b->ncols < 2 ? x0 + b->box_width : start + colw;
    text(p, vend, y, r->value, r->value_len, kRightAlign);
    x = vend + 4 * b->colspace;
    if (b->right - 0.9 * b->hmargin < x + colw) {
      y -= b->rowgap + b->text_height;
      x = x0;
    }
  }
}

}  // namespace

void kes_inset_release_box(kes_insetbox* b) {
  if (!b->blank_registered) return;
  ggrdba(0, 2, b->blank_ptr, b->blank_id, 0, 7);
  b->blank_registered = 0;
}

void kes_inset_release(kes_ctx* ctx) {
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) kes_inset_release_box(b);
}

void kesidrw(kes_ctx* ctx) {
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    if (!b->enabled) continue;
    frame(ctx, b);
    rows(ctx, b);
  }
  // Every area registered for the cell is released at its end, whatever was drawn.
  kes_inset_release(ctx);
}
