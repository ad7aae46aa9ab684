// kes_label_text and kes_ref_label: the text records of axis and reference labels.
#include "devgraph/chart_texts.h"

#include <cstring>

#include "records/kes_axis.h"
#include "records/kes_chart.h"
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
