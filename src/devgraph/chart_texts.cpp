// kes_label_text and kes_ref_label: the text records of axis and reference labels;
// kes_figures_baseline: where a tick value stands.
#include "devgraph/chart_texts.h"

#include <algorithm>
#include <cstring>

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_axis.h"
#include "records/kes_chart.h"
#include "records/kes_ctx.h"
#include "records/kes_preq.h"

kes_gtext kes_label_text(const kes_chart* c, const kes_axis& ax) {
  kes_gtext t{};
  const host_gtext* l = ax.label_default;
  std::memcpy(t.font, l != nullptr && l->font[0] != ' ' ? l->font : c->labfont, 8);
  t.height = l != nullptr && l->height > 0 ? l->height : c->label_h;
  t.colour = l != nullptr ? l->colnum : c->colors.label;
  return t;
}

kes_gtext kes_ref_label(const kes_chart* c, int colour, const char* text) {
  kes_gtext t{};
  std::memcpy(t.font, c->insetfont, 8);
  t.height = c->inset_h;
  t.colour = colour;
  t.text = text;
  t.len = static_cast<int>(strnlen(text, KES_REFLABEL_MAX));
  return t;
}

double kes_figures_baseline(double at, double height) {
  // A text's height is its em, which keeps room above the figures for accents and
  // below them for descenders; the figures take about this share of it.
  constexpr double kFigures = 0.73;
  // The top of the graphics area: a value at the top of a full page keeps its em on it.
  constexpr double kAreaTop = 100;
  return std::min(at - 0.5 * kFigures * height, kAreaTop - height);
}

bool kes_label_by_name(kes_ctx* ctx, kes_chart* c, int (*build)(kes_ctx*, char*), char* buf, int* len) {
  if (ctx->curlabel_len == 0) return false;
  if (!c->noted[KES_NOTE_LABEL_REPLACED]) {
    xpmlog(KES_SET_LAYOUT, KES_MSG_LABEL_TOO_LONG_AXIS, static_cast<int>(ctx->curlabel_len), ctx->curlabel,
           static_cast<int>(ctx->curname.len), ctx->curname.text);
    c->noted[KES_NOTE_LABEL_REPLACED] = 1;
  }
  // The builders take the label when it has a length: hide it for this one text, so
  // that a derived text (the logarithm form) keeps its shape around the name.
  const std::uint16_t keep = ctx->curlabel_len;
  ctx->curlabel_len = 0;
  *len = build(ctx, buf);
  ctx->curlabel_len = keep;
  return true;
}
