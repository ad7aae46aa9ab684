// The rules every graph keeps, checked on its SVG document (see svg_rules.h).
#include "support/svg_rules.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

#include "graph/font_metrics.h"
#include "graph/template_parts.h"
#include "support/svg_reader.h"

namespace kes_test {
namespace {

namespace pg = plat::graph;

// Less than this is the writer's rounding, not a fault.
constexpr double kSlack = 0.5;
// A device cell is a frame at least this big each way; a narrower frame is a strip
// (the box of a row's or a column's label).
constexpr double kCellLeast = 40;
// How far beyond a cell's span a text of its axis may stand.
constexpr double kSpanReach = 20;
constexpr const char* kWhite = "#FFFFFF";
constexpr const char* kLegendBorder = "#BDBDBD";

struct box {
  double x0, y0, x1, y1;
  double w() const { return x1 - x0; }
  double h() const { return y1 - y0; }
  bool holds(double x, double y, double inset = 0) const {
    return x > x0 + inset && x < x1 - inset && y > y0 + inset && y < y1 - inset;
  }
  bool same(const box& o) const {
    return std::fabs(x0 - o.x0) < 0.02 && std::fabs(y0 - o.y0) < 0.02 && std::fabs(x1 - o.x1) < 0.02 &&
           std::fabs(y1 - o.y1) < 0.02;
  }
  bool overlaps(const box& o, double by) const {
    return std::min(x1, o.x1) - std::max(x0, o.x0) > by && std::min(y1, o.y1) - std::max(y0, o.y0) > by;
  }
};

std::string place(const box& b) {
  std::ostringstream s;
  s.precision(5);
  s << "(" << b.x0 << "," << b.y0 << " " << b.w() << "x" << b.h() << ")";
  return s.str();
}

struct text_item {
  std::string text;
  box ink;            // ascent to descent, rotated as drawn
  double x, y, size;  // anchor point and size as written
  int angle;          // degrees, as written in rotate()
  std::string anchor;
  long in_box = -1;  // the box that holds its centre
};

enum class box_kind { inset, legend, strip };
struct text_box {
  box b;
  box_kind kind;
};

struct segment {
  double x1, y1, x2, y2;
};

// Whether a segment passes through the inside of a box (Liang-Barsky).
bool crosses(const segment& s, const box& b) {
  double t0 = 0, t1 = 1;
  const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
  const double p[4] = {-dx, dx, -dy, dy}, q[4] = {s.x1 - b.x0, b.x1 - s.x1, s.y1 - b.y0, b.y1 - s.y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] <= 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, r);
    else
      t1 = std::min(t1, r);
    if (t0 >= t1) return false;
  }
  return true;
}

// What a document draws, sorted into the parts the rules speak of.
struct graph_parts {
  double width = 0, height = 0;
  bool device = false;
  std::vector<text_item> texts;
  std::vector<box> cells;
  std::vector<box> strips;  // device strips: narrow frames of lines
  std::vector<text_box> boxes;
  std::vector<box> bars;       // filled rectangles of data
  std::vector<segment> lines;  // curves and reference lines, segment by segment
  std::vector<std::pair<double, double>> markers;
  std::vector<std::pair<double, double>> mark_points;  // any drawn mark, for the cells
};

text_item read_text(const svg_element& e) {
  text_item t;
  t.text = e.text;
  t.x = e.num("x");
  t.y = e.num("y");
  t.size = std::isnan(e.num("font-size")) ? 11 : e.num("font-size");
  t.anchor = e.get("text-anchor");
  const pg::weight w = e.get("font-weight") == "bold" ? pg::weight::bold : pg::weight::regular;
  const double len = std::isnan(e.num("textLength")) ? pg::text_width(t.text, t.size, w) : e.num("textLength");
  const double x0 = t.anchor == "middle" ? t.x - len / 2 : t.anchor == "end" ? t.x - len : t.x;
  const box flat{x0, t.y - pg::text_ascent(t.size), x0 + len, t.y + pg::text_descent(t.size)};
  t.angle = 0;
  t.ink = flat;
  const std::string tr = e.get("transform");
  if (tr.rfind("rotate(", 0) != 0) return t;
  const std::vector<double> r = svg_numbers(tr);
  if (r.size() < 3) return t;
  t.angle = static_cast<int>(std::lround(r[0]));
  const double a = r[0] * M_PI / 180, c = std::cos(a), s = std::sin(a);
  t.ink = {INFINITY, INFINITY, -INFINITY, -INFINITY};
  for (double px : {flat.x0, flat.x1})
    for (double py : {flat.y0, flat.y1}) {
      const double qx = r[1] + (px - r[1]) * c - (py - r[2]) * s, qy = r[2] + (px - r[1]) * s + (py - r[2]) * c;
      t.ink = {std::min(t.ink.x0, qx), std::min(t.ink.y0, qy), std::max(t.ink.x1, qx), std::max(t.ink.y1, qy)};
    }
  return t;
}

// Device cells and strips: the corner of a horizontal and a vertical line that meet
// at their lower left end, as the axes of a frame meet (frames are drawn open too).
void find_frames(const std::vector<segment>& plain, graph_parts& g) {
  std::map<long, std::vector<std::pair<double, double>>> down;  // x -> (top, bottom) of vertical lines
  for (const segment& s : plain)
    if (std::fabs(s.x1 - s.x2) < 0.01 && std::fabs(s.y1 - s.y2) > 1)
      down[std::lround(s.x1 * 100)].push_back({std::min(s.y1, s.y2), std::max(s.y1, s.y2)});
  for (const segment& s : plain) {
    if (std::fabs(s.y1 - s.y2) > 0.01 || std::fabs(s.x1 - s.x2) <= 1) continue;
    const double x0 = std::min(s.x1, s.x2), x1 = std::max(s.x1, s.x2);
    const auto it = down.find(std::lround(x0 * 100));
    if (it == down.end()) continue;
    for (const auto& [top, bottom] : it->second) {
      if (std::fabs(bottom - s.y1) > 0.05) continue;
      const box b{x0, top, x1, bottom};
      std::vector<box>& to = b.w() >= kCellLeast && b.h() >= kCellLeast ? g.cells : g.strips;
      if (std::none_of(to.begin(), to.end(), [&](const box& o) { return o.same(b); })) to.push_back(b);
    }
  }
}

bool coloured(const std::string& fill) { return !fill.empty() && fill != "none" && fill != kWhite; }

struct rect_item {
  box b;
  std::string fill, stroke;
  bool clipped;
};

// The rectangles as the page, bars, template cells (a white wall and a border of the
// same rectangle) and boxes (the others that hold a text, one per rectangle drawn).
void sort_rects(const std::vector<rect_item>& rects, graph_parts& g) {
  std::vector<bool> used(rects.size(), false);
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const rect_item& r = rects[i];
    if (r.b.x0 == 0 && r.b.y0 == 0 && std::fabs(r.b.w() - g.width) < 0.01 && std::fabs(r.b.h() - g.height) < 0.01) {
      used[i] = true;  // the page
      continue;
    }
    if (r.clipped) {
      used[i] = true;
      if (coloured(r.fill) && r.b.w() > kSlack && r.b.h() > kSlack) g.bars.push_back(r.b);
      g.mark_points.push_back({(r.b.x0 + r.b.x1) / 2, (r.b.y0 + r.b.y1) / 2});
      continue;
    }
    for (std::size_t j = 0; j < rects.size(); ++j) {
      if (j == i || !rects[j].b.same(r.b)) continue;
      if (!g.device && r.fill == kWhite && r.stroke == "none" && rects[j].fill == "none" &&
          rects[j].stroke == pg::kFrameColour) {
        g.cells.push_back(r.b);
        used[i] = used[j] = true;
      }
      // A bar drawn unclipped: its fill and its outline.
      if (coloured(r.fill) && r.fill != pg::kStripFill) used[i] = used[j] = true;
    }
    if (coloured(r.fill) && r.fill != pg::kStripFill) {
      used[i] = true;
      g.mark_points.push_back({(r.b.x0 + r.b.x1) / 2, (r.b.y0 + r.b.y1) / 2});
    }
  }
  for (std::size_t i = 0; i < rects.size(); ++i) {
    if (used[i]) continue;
    const rect_item& r = rects[i];
    const bool holds = std::any_of(g.texts.begin(), g.texts.end(), [&](const text_item& t) {
      return r.b.holds((t.ink.x0 + t.ink.x1) / 2, (t.ink.y0 + t.ink.y1) / 2);
    });
    if (!holds) continue;
    if (std::any_of(g.boxes.begin(), g.boxes.end(), [&](const text_box& b) { return b.b.same(r.b); })) continue;
    const box_kind kind = r.fill == pg::kStripFill                        ? box_kind::strip
                          : r.stroke == kLegendBorder && r.fill == "none" ? box_kind::legend
                                                                          : box_kind::inset;
    g.boxes.push_back({r.b, kind});
  }
}

graph_parts read_parts(const std::vector<svg_element>& els) {
  graph_parts g;
  std::vector<bool> clipped(els.size(), false);
  std::vector<segment> plain;  // lines outside clip paths
  std::vector<rect_item> rects;
  for (std::size_t i = 0; i < els.size(); ++i) {
    const svg_element& e = els[i];
    if (e.parent >= 0)
      clipped[i] = clipped[static_cast<std::size_t>(e.parent)] ||
                   !els[static_cast<std::size_t>(e.parent)].get("clip-path").empty();
    if (e.parent >= 0 && els[static_cast<std::size_t>(e.parent)].name == "clipPath") continue;
    if (e.parent >= 0 && els[static_cast<std::size_t>(e.parent)].name == "defs") continue;
    if (e.name == "svg" && e.parent < 0) {
      g.width = e.num("width");
      g.height = e.num("height");
    } else if (e.name == "desc") {
      g.device = e.text.find("(graph ") != std::string::npos || e.text.rfind("Graph ", 0) == 0;
    } else if (e.name == "text") {
      g.texts.push_back(read_text(e));
    } else if (e.name == "rect") {
      rects.push_back({{e.num("x"), e.num("y"), e.num("x") + e.num("width"), e.num("y") + e.num("height")},
                       e.get("fill"),
                       e.get("stroke"),
                       clipped[i]});
    } else if (e.name == "line") {
      const segment s{e.num("x1"), e.num("y1"), e.num("x2"), e.num("y2")};
      const std::string stroke = e.get("stroke");
      if (clipped[i])
        g.lines.push_back(s);
      else
        plain.push_back(s);
      if (clipped[i] || stroke == pg::kRefColour) g.mark_points.push_back({(s.x1 + s.x2) / 2, (s.y1 + s.y2) / 2});
      if (!clipped[i] && stroke == pg::kRefColour && !g.device) g.lines.push_back(s);
    } else if (e.name == "polyline" || e.name == "polygon") {
      const std::vector<double> v = svg_numbers(e.get("points"));
      for (std::size_t k = 0; k + 1 < v.size(); k += 2) g.mark_points.push_back({v[k], v[k + 1]});
      if (e.name == "polyline" && (clipped[i] || g.device))
        for (std::size_t k = 0; k + 3 < v.size(); k += 2) g.lines.push_back({v[k], v[k + 1], v[k + 2], v[k + 3]});
    } else if (e.name == "use" || e.name == "circle") {
      const double x = e.name == "use" ? e.num("x") : e.num("cx"), y = e.name == "use" ? e.num("y") : e.num("cy");
      g.mark_points.push_back({x, y});
      if (clipped[i] || g.device) g.markers.push_back({x, y});
    }
  }
  if (g.device) find_frames(plain, g);
  sort_rects(rects, g);
  for (text_item& t : g.texts)
    for (std::size_t b = 0; b < g.boxes.size(); ++b)
      if (g.boxes[b].b.holds((t.ink.x0 + t.ink.x1) / 2, (t.ink.y0 + t.ink.y1) / 2)) t.in_box = static_cast<long>(b);
  return g;
}

bool inside_cell(const graph_parts& g, const text_item& t) {
  const double cx = (t.ink.x0 + t.ink.x1) / 2, cy = (t.ink.y0 + t.ink.y1) / 2;
  return std::any_of(g.cells.begin(), g.cells.end(), [&](const box& c) { return c.holds(cx, cy); });
}

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

// On template graphs only: the device draws a combination of CLASS levels without
// data as an empty panel by its design, and its cells hold no note.
void blank_cells(const graph_parts& g, std::vector<svg_fault>& out) {
  if (g.device) return;
  for (const box& c : g.cells) {
    const bool marks = std::any_of(g.mark_points.begin(), g.mark_points.end(),
                                   [&](const auto& p) { return c.holds(p.first, p.second, -kSlack); });
    const bool note = std::any_of(g.texts.begin(), g.texts.end(), [&](const text_item& t) {
      return t.in_box < 0 && !t.text.empty() && c.holds((t.ink.x0 + t.ink.x1) / 2, (t.ink.y0 + t.ink.y1) / 2);
    });
    if (!marks && !note) out.push_back({kRuleCellBlank, "cell " + place(c) + " draws nothing and says nothing"});
  }
}

}  // namespace

std::vector<svg_fault> svg_rule_faults(std::string_view document) {
  const std::vector<svg_element> els = svg_elements(document);
  const graph_parts g = read_parts(els);
  std::vector<svg_fault> out;
  if (!(g.width > 0 && g.height > 0)) {
    out.push_back({kRuleTextOffPage, "no page: the document has no <svg> with a width and a height"});
    return out;
  }
  off_page(g, out);
  boxes_over(g, out);
  text_lines(g, out);
  blank_cells(g, out);
  return out;
}

}  // namespace kes_test
