// Text records of the device: transform, measuring with the one metric, drawing.
// Measured and drawn widths are the same numbers: the SVG text carries its width.
#include <cctype>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "graph/device_state.h"
#include "graph/graph_messages.h"
#include "host/kes_checked.h"
#include "host/kes_math_constants.h"

namespace plat::graph {
namespace {


double size_px(const host_gtext* t) {
  const double h = t->height > 0 ? t->height : state().device.default_height;
  return px_h(h > 0 ? h : kCellHeightPx * 100 / kPageHeight);
}

weight weight_of(const host_gtext* t) {
  std::string f(t->font, 8);
  for (char& c : f) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return f.find("BOLD") != std::string::npos || f.find("/BO") != std::string::npos ? weight::bold : weight::regular;
}

std::string_view text_of(const host_gtext* t) {
  if (t->text == nullptr) return {};
  return std::string_view(t->text, t->length);
}

// The text's colour: its number, else its colour name, else the options' text
// colour, else the foreground.
std::string text_colour(const host_gtext* t) {
  if (t->colnum > 0) return colour_hex(t->colnum);
  if (t->colnum < 0) return {};
  if (t->color[0] != ' ' && t->color[0] != '\0') return colour_hex(plat_ggcnum(0, t->color));
  const gdevopts* o = state().device.opts;
  if (o != nullptr && o->text_color[0] != ' ' && o->text_color[0] != '\0') return colour_hex(plat_ggcnum(0, o->text_color));
  return colour_hex(1);
}

// A transform whose rotation undoes its angle stacks the characters upright along the
// baseline (vertical labels read top to bottom): each takes one text height along it,
// and the stack is as wide as its widest character.
bool stacked(const host_gtext* t) {
  return t->xfm != nullptr && t->xfm->rotation != 0 && std::fabs(t->xfm->angle + t->xfm->rotation) < 1e-9;
}

struct extent {
  double along, across;  // pixels
};
extent extent_of(const host_gtext* t) {
  const double h = size_px(t);
  if (!stacked(t)) return {text_width(text_of(t), h, weight_of(t)), h};
  const std::u32string cs = decode_utf8(text_of(t));
  double widest = 0;
  for (char32_t c : cs) widest = std::max(widest, char_width(c, h, weight_of(t)));
  return {static_cast<double>(cs.size()) * h, widest};
}

}  // namespace
}  // namespace plat::graph

using namespace plat::graph;

extern "C" {

void plat_ggstxfm(host_gxfm* xfm) {
  if (xfm == nullptr) return;
  const double a = xfm->angle * KES_PI / 180.0;
  // Exact values at the right angles, so that a turned box has no stray digits.
  const double turns = xfm->angle / 90.0;
  if (turns == std::floor(turns)) {
    static const double kCos[4] = {1, 0, -1, 0}, kSin[4] = {0, 1, 0, -1};
    const int q = kes_clamped_int(std::fmod(std::fmod(turns, 4.0) + 4.0, 4.0), 0, 3);
    xfm->cos_a = kCos[q];
    xfm->sin_a = kSin[q];
  } else {
    xfm->cos_a = std::cos(a);
    xfm->sin_a = std::sin(a);
  }
}

double plat_ggstrl(int, host_gtext* t) {
  if (t == nullptr) return 0;
  const extent e = extent_of(t);
  const double len = e.along, h = e.across;
  const double w = page_width(), ht = page_height();
  t->measured = static_cast<float>(len * 100.0 / w);
  if (t->box != nullptr) {
    const double c = t->xfm != nullptr ? t->xfm->cos_a : 1, s = t->xfm != nullptr ? t->xfm->sin_a : 0;
    // Work in pixels with y upwards: baseline direction (c, s), up direction (-s, c).
    const double ax = t->x * w / 100.0, ay = t->y * ht / 100.0;
    const double shift = t->just == 2 ? -len : t->just == 4 ? -len / 2 : 0;
    const double x0 = ax + shift * c, y0 = ay + shift * s;
    const double px[4] = {x0, x0 + len * c, x0 + len * c - h * s, x0 - h * s};
    const double py[4] = {y0, y0 + len * s, y0 + len * s + h * c, y0 + h * c};
    for (int i = 0; i < 4; ++i) {
      t->box->c[i].x = px[i] * 100.0 / w;
      t->box->c[i].y = py[i] * 100.0 / ht;
    }
  }
  return t->measured;
}

int plat_ggstr(int, host_gtext* t) {
  if (t == nullptr) return 1;
  svg_writer* wr = writer();
  if (wr == nullptr) {
    plat::log_message(kGraphSet, kNoSegment, "ggstr");
    return 1;
  }
  const std::string colour = text_colour(t);
  if (colour.empty() || text_of(t).empty()) return 0;
  svg_text_style st = svg_text(size_px(t),
                               t->just == 2   ? svg_anchor::end
                               : t->just == 4 ? svg_anchor::middle
                                              : svg_anchor::start,
                               t->xfm != nullptr ? t->xfm->angle : 0, weight_of(t));
  st.fill = colour;
  if (!stacked(t)) {
    wr->text(px_x(t->x), px_y(t->y), text_of(t), st);
    return 0;
  }
  // Upright characters, one text height apart along the baseline, centred across
  // the stack's width (pixels, y downwards).
  const extent e = extent_of(t);
  const double c = t->xfm->cos_a, sn = -t->xfm->sin_a;  // the baseline's direction on the page
  const double shift = t->just == 2 ? -e.along : t->just == 4 ? -e.along / 2 : 0;
  const double x0 = px_x(t->x) + shift * c + e.across / 2 * sn, y0 = px_y(t->y) + shift * sn - e.across / 2 * c;
  svg_text_style one = st;
  one.angle = 0;
  one.anchor = svg_anchor::middle;
  const double h = size_px(t);
  std::size_t k = 0;
  for (char32_t ch : decode_utf8(text_of(t))) {
    const double d = (static_cast<double>(k++) + 1) * h - text_descent(h);
    wr->text(x0 + d * c, y0 + d * sn, clean_utf8(encode_utf8(ch)), one);
  }
  return 0;
}

}  // extern "C"
