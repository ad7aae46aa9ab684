// The device side of building an inset box (inset_device.h): its style, text height,
// font and colours, and its measures.
#include "inset/inset_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/host_graph.h"
#include "host/host_services.h"
#include "inset/inset_build.h"
#include "inset/inset_place.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/family_names.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "records/stmt_slots.h"
#include "util/kes_text.h"

namespace {

constexpr double kMaxMargin = 2.5;

bool blank8(const char* s) { return vzatl(' ', s, 8) != 0; }

// A style element's colour, or false (the output stays blank) when the style has none.
bool style_colour(gdevice* dev, const char* element, bool contrast, char* out) {
  char c[8];
  std::memset(c, ' ', 8);
  const int len = static_cast<int>(std::strlen(element));
  const int found = contrast ? gvemcclr(dev, element, len, c) : gvemclr(dev, element, len, c);
  if (found == 0 || blank8(c)) return false;
  std::memcpy(out, c, 8);
  return true;
}

double text_width(const kes_insetbox* box, const char* text, int len) {
  host_gtext t;
  ggstri(&t);
  std::memcpy(t.font, box->font, 8);
  t.height = static_cast<float>(box->text_height);
  t.font_given = t.height_given = 1;
  t.text = text;
  t.length = static_cast<std::uint16_t>(len > 0 ? len : 0);
  return ggstrl(0, &t);
}

}  // namespace

// The default graphics font. The locale's text for it is read by the driver's locale
// routines, a layer above the insets; like the device charts the insets take the
// locale's own fallback name.
void kes_inset_default_font(kes_insetbox* box) { ggfname("SIMPLEX", 7, box->font); }

int kes_inset_font_len(const kes_insetbox* box) { return wzstrip(box->font, 8); }

void kes_inset_device_setup(kes_ctx* ctx, kes_insetbox* box) {
  auto* dev = static_cast<gdevice*>(ctx->device);
  const kes_stmt* st = box->stmt;
  // The plot statement's font and colours as the chart driver resolved them.
  const kes_chart* chart = ctx->curreq != nullptr && ctx->curreq->layout != nullptr ? &ctx->curreq->layout->c : nullptr;
  char style_font[8];
  std::memset(style_font, ' ', 8);
  double style_size = 0;
  bool have_style_font = false;
  char style_text[8];
  std::memset(style_text, ' ', 8);
  bool have_style_text = false;
  if (dev != nullptr) {
    have_style_font = gvemfont(dev, "GraphValueText", 14, style_font, &style_size) != 0 && !blank8(style_font);
    have_style_text = style_colour(dev, "GraphValueText", false, style_text);
  }

  // Text height. A height of 0 or below would draw the box as a line at the top of the
  // page, its rows lost: it is refused, saying so, and the default stands.
  const bool height_given = kes_pgiven(st, KES_INSET_SLOT_HEIGHT);
  if (height_given && !(kes_pnumber(st, KES_INSET_SLOT_HEIGHT) > 0) && kes_inset_once(ctx, KES_IN_HEIGHT)) {
    xspplace(st, KES_INSET_SLOT_HEIGHT);
    xpmlog(KES_SET_PROC, KES_MSG_TEXT_HEIGHT_NOT_POSITIVE, "HEIGHT", kes_pnumber(st, KES_INSET_SLOT_HEIGHT), "INSET");
  }
  if (height_given && kes_pnumber(st, KES_INSET_SLOT_HEIGHT) > 0) {
    box->text_height = std::max(kes_pnumber(st, KES_INSET_SLOT_HEIGHT), kes_inset_least_text(ctx));
    box->height_fixed = 1;
  } else if (chart != nullptr && chart->inset_h > 0) {
    // The chart's inset text height (INHEIGHT=, else its text height) is in force.
    box->text_height = chart->inset_h;
    box->height_fixed = 1;
  } else if (style_size > 0) {
    box->text_height = style_size;
  } else {
    box->text_height = dev != nullptr && dev->default_height > 0 ? dev->default_height : 2.0;
  }

  // Font.
  if (kes_pgiven(st, KES_INSET_SLOT_FONT)) {
    const kes_optslot* f = kes_pslot(st, KES_INSET_SLOT_FONT);
    ggfname(static_cast<const char*>(f->list), f->v.count, box->font);
  } else if (chart != nullptr && !blank8(chart->font)) {
    std::memcpy(box->font, chart->font, 8);
  } else if (chart != nullptr && !blank8(chart->insetfont)) {
    std::memcpy(box->font, chart->insetfont, 8);
  } else if (have_style_font) {
    std::memcpy(box->font, style_font, 8);
  } else if (!((box->position[0] == 'T' || box->position[0] == 'B' || box->position[0] == 'L' ||
                box->position[0] == 'R') && box->position[1] == 'M' && box->position[2] == ' ')) {
    kes_inset_default_font(box);
    if (kes_inset_once(ctx, KES_IN_FONT_DEFAULT))
      xpmlog(KES_SET_LABEL, KES_MSG_INSET_USES_DEFAULT_FONT, kes_inset_font_len(box), box->font);
  }
  box->devtext = (blank8(box->font) || std::memcmp(box->font, "NONE    ", 8) == 0) && dev != nullptr &&
                 dev->hardware_text == 'Y';

  // Colours beyond the options (kesins copied those).
  if (!box->frame_given && dev != nullptr) box->frame_given = style_colour(dev, "GraphBorderLines", true, box->frame_colour);
  if (!box->frame_given && chart != nullptr) std::memcpy(box->frame_colour, chart->cframe, 8);
  if (!kes_pgiven(st, KES_INSET_SLOT_CTEXT)) {
    if (chart != nullptr && !blank8(chart->ctext)) std::memcpy(box->text_colour, chart->ctext, 8);
    else if (have_style_text) std::memcpy(box->text_colour, style_text, 8);
  }
  if (!box->fill_given && dev != nullptr && kes_flag(st, KES_INSET_FLAG_CFILL_DEFAULT))
    box->fill_given = style_colour(dev, "GraphWalls", false, box->fill);
  if (!box->header_fill_given) std::memcpy(box->header_fill, box->fill, 8);
  if (!kes_pgiven(st, KES_INSET_SLOT_CHEADER)) std::memcpy(box->header_colour, box->text_colour, 8);

  // Margins.
  if (box->header_len > 0) box->header_width = text_width(box, box->header, box->header_len);
  kes_inset_row_spacing(box);
  box->hmargin = box->vmargin * (dev != nullptr && dev->aspect > 0 ? dev->aspect : 1.0);
  box->colspace = 3 * box->hmargin;
  if (box->devtext) box->rowgap = 0;
}

void kes_inset_row_spacing(kes_insetbox* box) {
  const double half = 0.5 * box->text_height;
  box->vmargin = std::isnan(half) ? kMaxMargin : std::max(half < kMaxMargin ? half : kMaxMargin, 0.5 * half);
  box->rowgap = box->vmargin;
}

void kes_inset_measure_rows(kes_insetbox* box, bool single_header) {
  if (single_header && box->header_sample) {
    box->blank_width = text_width(box, " ", 1);
    box->sample_width = 4 * box->blank_width;
    box->header_width = text_width(box, box->header, box->header_len) + box->blank_width + box->sample_width;
  } else if (box->header_len > 0) {
    box->header_width = text_width(box, box->header, box->header_len);
  }
  box->block_header_width = box->block_label_width = 0;
  if (!single_header) {
    for (const kes_inset* r = box->rows; r != nullptr; r = r->next) {
      if (r->kind < KES_IK_FIRST || r->kind > KES_IK_HEADER_ONLY || r->kind == 6 || r->kind == 7) continue;
      box->blank_width = text_width(box, " ", 1);
      box->sample_width = 4 * box->blank_width;
      char name[KES_INSET_TEXT];
      const int n = kes_inset_msg(name, KES_INSET_TEXT, KES_SET_LABEL, kes_family_name(r->subcode));
      const double hw = text_width(box, name, n), lw = text_width(box, r->label, r->label_len);
      if (hw > box->block_header_width) box->block_header_width = hw;
      if (lw > box->block_label_width) box->block_label_width = lw;
    }
  }
  box->label_width = box->value_width = 0;
  for (const kes_inset* r = box->rows; r != nullptr; r = r->next) {
    double entry;
    switch (r->kind) {
      case KES_IK_FIRST_HDR:
      case KES_IK_NEXT_HDR:
        entry = 2 * box->blank_width + box->sample_width + box->block_header_width + box->block_label_width;
        break;
      case KES_IK_FIRST:
      case KES_IK_NEXT:
        entry = box->block_header_width + box->blank_width + box->block_label_width;
        break;
      case KES_IK_HEADER_ONLY:
        entry = box->sample_width + box->blank_width + box->block_header_width;
        break;
      default:
        entry = text_width(box, r->label, r->label_len);
    }
    if (entry > box->label_width) box->label_width = entry;
    const double vw = r->value_len > 0 ? text_width(box, r->value, r->value_len) : 0;
    if (vw > box->value_width) box->value_width = vw;
  }
  kes_inset_box_size(box);
}

void kes_inset_box_size(kes_insetbox* box) {
  box->box_width = box->value_width > 0 ? box->label_width + box->value_width + box->colspace : box->label_width;
  if (box->box_width < box->header_width) box->box_width = box->header_width;
  const int rows = box->nrows;
  box->box_height = 2 * box->vmargin + rows * box->text_height + (rows > 0 ? (rows - 1) * box->rowgap : 0);
  if (box->header_len > 0)
    box->box_height += box->devtext ? 2 * box->text_height : 2 * box->vmargin + box->text_height;
}

void kes_inset_measure(kes_ctx* ctx, kes_insetbox* box, bool single_header) {
  (void)ctx;
  kes_inset_measure_rows(box, single_header);
}

double kes_inset_least_text(const kes_ctx* ctx) {
  const auto* dev = static_cast<const gdevice*>(ctx->device);
  return dev != nullptr && dev->height_px > 0 ? 6 * 100.0 / dev->height_px : 0;
}
