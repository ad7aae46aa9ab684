// The rules every graph keeps, checked on its SVG document (see svg_rules.h).
#include "support/svg_rules.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <tuple>

#include "graph/font_metrics.h"
#include "graph/template_parts.h"
#include "support/svg_meaning.h"
#include "support/svg_parts.h"

namespace kes_test {
namespace {

namespace pg = plat::graph;

// How far beyond a cell's span a text of its axis may stand.
constexpr double kSpanReach = 20;

void off_page(const graph_parts& g, std::vector<svg_fault>& out) {
  for (const text_item& t : g.texts)
    if (!t.text.empty() &&
        (t.ink.x0 < -kSlack || t.ink.y0 < -kSlack || t.ink.x1 > g.width + kSlack || t.ink.y1 > g.height + kSlack))
      out.push_back({kRuleTextOffPage, "'" + t.text + "' at " + place(t.ink) + " leaves the page"});
}

void boxes_over(const graph_parts& g, std::vector<svg_fault>& out) {
  for (std::size_t i = 0; i < g.boxes.size(); ++i) {
    const text_box& a = g.boxes[i];
    for (std::size_t j = i + 1; j < g.boxes.size(); ++j) {
      const text_box& b = g.boxes[j];
      if ((a.kind == box_kind::inset || b.kind == box_kind::inset) && a.b.overlaps(b.b, kSlack))
        out.push_back({kRuleBoxOverBox, "box " + place(a.b) + " lies over box " + place(b.b)});
    }
    if (g.device || a.kind != box_kind::inset) continue;
    const box inner{a.b.x0 + kSlack, a.b.y0 + kSlack, a.b.x1 - kSlack, a.b.y1 - kSlack};
    std::string what;
    if (std::any_of(g.bars.begin(), g.bars.end(), [&](const box& r) { return r.overlaps(a.b, kSlack); }))
      what = "a bar";
    else if (std::any_of(g.markers.begin(), g.markers.end(),
                         [&](const auto& m) { return inner.holds(m.first, m.second); }))
      what = "a marker";
    else if (std::any_of(g.lines.begin(), g.lines.end(), [&](const segment& s) { return crosses(s, inner); }))
      what = "a curve or reference line";
    if (!what.empty()) out.push_back({kRuleInsetOverData, "inset " + place(a.b) + " lies over " + what});
  }
}

// The texts of one axis, legend or strip row: a line of texts (one baseline, or one
// anchor for a column of right-aligned tick values), split by the cells whose span
// holds them, since each cell's axis may repeat its neighbour's values.
void text_lines(const graph_parts& g, std::vector<svg_fault>& out) {
  // The spans of the cells, across and down; frames too short for a cell (the cells of
  // many stacked rows) still part their axes' values.
  std::vector<box> columns, rows;
  for (const std::vector<box>* frames : {&g.cells, &g.strips})
    for (const box& c : *frames) {
      columns.push_back(c);
      rows.push_back(c);
    }
  // The nearest span to a text's centre: the values at a cell's ends hang over its edge.
  auto span = [](const std::vector<box>& v, double at, bool across) -> long {
    long best = -1;
    double least = kSpanReach;
    for (std::size_t i = 0; i < v.size(); ++i) {
      const double lo = across ? v[i].x0 : v[i].y0, hi = across ? v[i].x1 : v[i].y1;
      const double d = at < lo ? lo - at : at > hi ? at - hi : 0;
      if (d < least) least = d, best = static_cast<long>(i);
    }
    return best;
  };
  auto in_strip = [&](const text_item& t) {
    const double cx = (t.ink.x0 + t.ink.x1) / 2, cy = (t.ink.y0 + t.ink.y1) / 2;
    if (t.in_box >= 0) return g.boxes[static_cast<std::size_t>(t.in_box)].kind == box_kind::strip;
    return std::any_of(g.strips.begin(), g.strips.end(), [&](const box& s) { return s.holds(cx, cy); });
  };
  struct line_key {
    int kind;  // 0 a baseline, 1 a right-aligned column, 2 a turned line
    long at, size, angle;
    bool operator<(const line_key& o) const {
      return std::tie(kind, at, size, angle) < std::tie(o.kind, o.at, o.size, o.angle);
    }
  };
  std::map<line_key, std::vector<const text_item*>> lines;
  for (const text_item& t : g.texts) {
    if (t.text.empty()) continue;
    if (t.in_box >= 0 && g.boxes[static_cast<std::size_t>(t.in_box)].kind == box_kind::inset) continue;
    // Texts inside a cell label its data (counts over bars, reference lines, notes).
    if (inside_cell(g, t)) continue;
    const long size = std::lround(t.size * 100);
    if (t.angle != 0) {
      lines[{2, std::lround(t.x * 100), size, t.angle}].push_back(&t);
      continue;
    }
    lines[{0, std::lround(t.y * 100), size, 0}].push_back(&t);
    if (t.anchor == "end") lines[{1, std::lround(t.x * 100), size, 0}].push_back(&t);
  }
  for (auto& [k, v] : lines) {
    if (v.size() < 2) continue;
    const bool across = k.kind == 0;
    std::sort(v.begin(), v.end(), [&](const text_item* a, const text_item* b) {
      return across ? a->ink.x0 < b->ink.x0 : a->ink.y0 < b->ink.y0;
    });
    // Along the text a space apart; a column of texts only apart.
    const double need = k.kind == 1 ? 0 : pg::char_width(U' ', k.size / 100.0);
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
      const double gap = across || k.kind == 2
                             ? (across ? v[i + 1]->ink.x0 - v[i]->ink.x1 : v[i + 1]->ink.y0 - v[i]->ink.y1)
                             : v[i + 1]->ink.y0 - v[i]->ink.y1;
      if (gap < need - 0.01)
        out.push_back({kRuleTextsTouch, "'" + v[i]->text + "' and '" + v[i + 1]->text + "' at " + place(v[i]->ink) +
                                            " stand " + std::to_string(gap) + " px apart"});
    }
    std::map<std::pair<long, std::string>, const text_item*> seen;
    for (const text_item* t : v) {
      const double c = across ? (t->ink.x0 + t->ink.x1) / 2 : (t->ink.y0 + t->ink.y1) / 2;
      const long part = in_strip(*t) ? -1 : t->in_box >= 0 ? -2 - t->in_box : span(across ? columns : rows, c, across);
      const auto [it, fresh] = seen.insert({{part, t->text}, t});
      // The next cell's axis repeats this one's a whole span on: with cells that touch,
      // a value hanging over one's edge lies in the other's span.
      if (!fresh && part >= 0) {
        const box& b = (across ? columns : rows)[static_cast<std::size_t>(part)];
        const double first = across ? (it->second->ink.x0 + it->second->ink.x1) / 2
                                    : (it->second->ink.y0 + it->second->ink.y1) / 2;
        if (std::fabs(c - first) >= (across ? b.w() : b.h()) - kSlack) {
          it->second = t;
          continue;
        }
      }
      if (!fresh)
        out.push_back({kRuleTextsAlike, "'" + t->text + "' stands twice on one line, at " + place(it->second->ink) +
                                            " and " + place(t->ink)});
    }
  }
}

// Texts on one baseline inside a cell (reference lines' labels, counts over bars, a
// note beside a label) stand apart by half a space at least: closer, two labels read
// as one ("short waitcutoff") and two counts as one number ("266263").
void cell_lines(const graph_parts& g, std::vector<svg_fault>& out) {
  std::map<std::tuple<long, long, long>, std::vector<const text_item*>> lines;
  for (const text_item& t : g.texts) {
    // A blank label draws no ink.
    if (t.text.find_first_not_of(' ') == std::string::npos || t.angle != 0) continue;
    if (t.in_box >= 0 && g.boxes[static_cast<std::size_t>(t.in_box)].kind == box_kind::inset) continue;
    const auto cell = std::find_if(g.cells.begin(), g.cells.end(), [&](const box& c) { return c.holds(t.cx(), t.cy()); });
    if (cell == g.cells.end()) continue;
    lines[{cell - g.cells.begin(), std::lround(t.y * 100), std::lround(t.size * 100)}].push_back(&t);
  }
  for (auto& [k, v] : lines) {
    std::sort(v.begin(), v.end(), [](const text_item* a, const text_item* b) { return a->ink.x0 < b->ink.x0; });
    const double need = pg::char_width(U' ', static_cast<double>(std::get<2>(k)) / 100.0) / 2;
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
      const double gap = v[i + 1]->ink.x0 - v[i]->ink.x1;
      if (gap < need - 0.01)
        out.push_back({kRuleCellTextsApart, "'" + v[i]->text + "' and '" + v[i + 1]->text + "' on one line in the cell at " +
                                                place(v[i]->ink) + " stand " + std::to_string(gap) + " px apart"});
    }
  }
}

// A box is drawn to hold its texts: every text that meets a box lies inside it, so
// that none is cut by its edge nor covers a box it does not belong to.
void texts_across_boxes(const graph_parts& g, std::vector<svg_fault>& out) {
  for (const text_item& t : g.texts) {
    if (t.text.empty() || t.angle % 90 != 0) continue;
    for (const text_box& b : g.boxes) {
      const box& r = b.b;
      if (!t.ink.overlaps(r, kSlack)) continue;
      if (t.ink.x0 >= r.x0 - kSlack && t.ink.x1 <= r.x1 + kSlack && t.ink.y0 >= r.y0 - kSlack &&
          t.ink.y1 <= r.y1 + kSlack)
        continue;
      out.push_back({kRuleTextAcrossBox,
                     "'" + t.text + "' at " + place(t.ink) + " runs across the edge of the box " + place(r)});
    }
  }
}

// On template graphs: a text written before an inset box that meets its opaque fill
// is hidden by it, wholly or in part (a reference label under a box of statistics).
// Device graphs place their insets over what the cell draws by design.
void texts_under_boxes(const graph_parts& g, std::vector<svg_fault>& out) {
  if (g.device) return;
  for (const text_box& b : g.boxes) {
    if (b.kind != box_kind::inset) continue;
    const auto fill = std::find_if(g.fills.begin(), g.fills.end(), [&](const fill_item& f) { return f.b.same(b.b); });
    if (fill == g.fills.end()) continue;
    // A text another box holds is that box's: box-over-box names the breach.
    const auto others = [&](const text_item& t) {
      return std::any_of(g.boxes.begin(), g.boxes.end(),
                         [&](const text_box& o) { return &o != &b && o.b.holds(t.cx(), t.cy()); });
    };
    for (const text_item& t : g.texts)
      if (!t.text.empty() && t.order < fill->order && t.ink.overlaps(b.b, kSlack) && !others(t))
        out.push_back({kRuleTextUnderBox, "'" + t.text + "' at " + place(t.ink) + " lies under the box " + place(b.b)});
  }
}

// On template graphs only: the device draws a combination of CLASS levels without
// data as an empty panel by its design, and its cells hold no note.
void blank_cells(const graph_parts& g, std::vector<svg_fault>& out) {
  if (g.device) return;
  // The texts of each box, in the order they are written.
  std::map<long, std::string> box_text;
  for (const text_item& t : g.texts)
    if (t.in_box >= 0) box_text[t.in_box] += (box_text[t.in_box].empty() ? "" : " ") + t.text;
  for (const box& c : g.cells) {
    const bool marks = std::any_of(g.mark_points.begin(), g.mark_points.end(),
                                   [&](const auto& p) { return c.holds(p.first, p.second, -kSlack); });
    // A note stands free, or in the box that lists an overlay's groups not drawn, whose
    // rows a narrow cell sets in lines of a few words: the box is read whole.
    const bool note = std::any_of(g.texts.begin(), g.texts.end(), [&](const text_item& t) {
      return (t.in_box < 0 || noted_values(t.text) != 0 || noted_values(box_text[t.in_box]) != 0) &&
             !t.text.empty() && c.holds(t.cx(), t.cy());
    });
    if (!marks && !note) out.push_back({kRuleCellBlank, "cell " + place(c) + " draws nothing and says nothing"});
  }
}

// No text is drawn too small to read, on any page that can hold one line of text at
// the least size (its ink's height up, a digit across): the renderer shortens or
// leaves out a text that cannot stand that large, rather than shrink it with the page.
// A page smaller still draws no readable text at all, and is left to the other rules.
void small_texts(const graph_parts& g, std::vector<svg_fault>& out) {
  if (g.height < pg::text_ascent(kLeastTextSize) + pg::text_descent(kLeastTextSize) ||
      g.width < pg::char_width(U'0', kLeastTextSize))
    return;
  for (const text_item& t : g.texts) {
    if (t.text.find_first_not_of(' ') == std::string::npos || !(t.size < kLeastTextSize)) continue;
    std::ostringstream size;
    size << t.size;
    // A long text by its start (whole characters): the place names it.
    std::size_t cut = std::min<std::size_t>(t.text.size(), 40);
    while (cut < t.text.size() && cut > 0 && (static_cast<unsigned char>(t.text[cut]) & 0xC0) == 0x80) --cut;
    const std::string shown = cut < t.text.size() ? t.text.substr(0, cut) + "..." : t.text;
    out.push_back({kRuleTextTooSmall, "'" + shown + "' at " + place(t.ink) + " is drawn at " + size.str() + " px"});
  }
}

}  // namespace

bool svg_rule_holds_at_any_size(const std::string& rule) {
  // Room for texts and boxes runs out on a small page; what a graph says does not
  // change with its size.
  for (const char* r : {kRuleInsetOverData, kRuleBoxOverBox, kRuleCellBlank, kRuleTickOffScale, kRuleTicksOrder,
                        kRuleTickUntrue, kRuleSquareUnits, kRuleValuesDrawn, kRuleLegendDrawn, kRuleTextContrast,
                        kRuleTickInexact, kRuleOwnQuantile, kRuleNoneUntrue, kRuleTextsOver, kRuleTextAcrossBox,
                        kRuleCellTextsApart, kRuleInsetUntrue, kRuleCurveUntrue, kRuleTextTooSmall,
                        kRuleCurveDrawn})
    if (rule == r) return true;
  return false;
}

std::vector<svg_fault> svg_rule_faults(std::string_view document, const svg_facts& facts) {
  const graph_parts g = read_parts(document);
  std::vector<svg_fault> out;
  if (!(g.width > 0 && g.height > 0)) {
    out.push_back({kRuleTextOffPage, "no page: the document has no <svg> with a width and a height"});
    return out;
  }
  off_page(g, out);
  boxes_over(g, out);
  text_lines(g, out);
  cell_lines(g, out);
  blank_cells(g, out);
  texts_across_boxes(g, out);
  texts_under_boxes(g, out);
  small_texts(g, out);
  meaning_faults(g, facts, out);
  return out;
}

}  // namespace kes_test
