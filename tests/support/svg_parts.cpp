// What a graph's SVG document draws, sorted into parts (see svg_parts.h).
#include "support/svg_parts.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <sstream>

#include "graph/font_metrics.h"
#include "graph/template_parts.h"

namespace kes_test {
namespace {

namespace pg = plat::graph;

// A device cell is a frame at least this big each way; a narrower frame is a strip
// (the box of a row's or a column's label).
constexpr double kCellLeast = 40;
constexpr const char* kWhite = "#FFFFFF";
constexpr const char* kLegendBorder = "#BDBDBD";

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
    // A device cell's walls in a light CFRAME= colour hold its texts but are no box.
    if (g.device && std::any_of(g.cells.begin(), g.cells.end(), [&](const box& c) { return c.same(r.b); })) continue;
    const box_kind kind = r.fill == pg::kStripFill                        ? box_kind::strip
                          : r.stroke == kLegendBorder && r.fill == "none" ? box_kind::legend
                                                                          : box_kind::inset;
    g.boxes.push_back({r.b, kind});
  }
}

// The rectangle of each clip path by its id.
std::map<std::string, box> clip_rects(const std::vector<svg_element>& els) {
  std::map<std::string, box> out;
  for (const svg_element& e : els)
    if (e.name == "rect" && e.parent >= 0 && els[static_cast<std::size_t>(e.parent)].name == "clipPath")
      out[els[static_cast<std::size_t>(e.parent)].get("id")] = box_of(e);
  return out;
}

graph_parts read_parts(const std::vector<svg_element>& els) {
  graph_parts g;
  std::vector<bool> clipped(els.size(), false);
  // What the clip path keeps of each clipped element: a curve the frame cuts is drawn
  // only within it.
  const std::map<std::string, box> clips = clip_rects(els);
  std::vector<box> kept(els.size(), box{-INFINITY, -INFINITY, INFINITY, INFINITY});
  auto add_line = [&](std::size_t i, const segment& s) {
    if (const std::optional<segment> in = clip(s, kept[i])) g.lines.push_back(*in);
  };
  std::vector<segment> plain;  // lines outside clip paths
  std::vector<rect_item> rects;
  for (std::size_t i = 0; i < els.size(); ++i) {
    const svg_element& e = els[i];
    if (e.parent >= 0) {
      const svg_element& up = els[static_cast<std::size_t>(e.parent)];
      const std::string url = up.get("clip-path");
      clipped[i] = clipped[static_cast<std::size_t>(e.parent)] || !url.empty();
      kept[i] = kept[static_cast<std::size_t>(e.parent)];
      // "url(#ID)"
      if (url.size() > 6) {
        const auto it = clips.find(url.substr(5, url.size() - 6));
        if (it != clips.end()) kept[i] = it->second;
      }
    }
    if (e.parent >= 0 && els[static_cast<std::size_t>(e.parent)].name == "clipPath") continue;
    if (e.parent >= 0 && els[static_cast<std::size_t>(e.parent)].name == "defs") continue;
    if (e.name == "svg" && e.parent < 0) {
      g.width = e.num("width");
      g.height = e.num("height");
    } else if (e.name == "desc") {
      g.desc = e.text;
      g.device = e.text.find("(graph ") != std::string::npos || e.text.rfind("Graph ", 0) == 0;
    } else if (e.name == "text") {
      g.texts.push_back(read_text(e));
      g.texts.back().colour = e.get("fill").empty() ? "#000000" : e.get("fill");
      g.texts.back().order = i;
    } else if (e.name == "rect") {
      const box b = box_of(e);
      rects.push_back({b, e.get("fill"), e.get("stroke"), clipped[i]});
      if (!e.get("fill").empty() && e.get("fill") != "none") g.fills.push_back({b, e.get("fill"), i});
      if (coloured(e.get("fill"))) (clipped[i] ? g.data_marks : g.swatches).push_back(
          {"bar " + e.get("fill"), (b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2});
    } else if (e.name == "line") {
      const segment s{e.num("x1"), e.num("y1"), e.num("x2"), e.num("y2")};
      const std::string stroke = e.get("stroke");
      const bool data = clipped[i] || (stroke == pg::kRefColour && !g.device);
      (data ? g.data_marks : g.swatches)
          .push_back({"line " + stroke + " " + e.get("stroke-dasharray"), (s.x1 + s.x2) / 2, (s.y1 + s.y2) / 2});
      if (clipped[i])
        add_line(i, s);
      else
        plain.push_back(s);
      if (!clipped[i] && std::hypot(s.x2 - s.x1, s.y2 - s.y1) < kTickReach) g.short_lines.push_back(s);
      if (clipped[i] || stroke == pg::kRefColour) g.mark_points.push_back({(s.x1 + s.x2) / 2, (s.y1 + s.y2) / 2});
      if (!clipped[i] && stroke == pg::kRefColour && !g.device) g.lines.push_back(s);
    } else if (e.name == "polyline" || e.name == "polygon") {
      const std::vector<double> v = svg_numbers(e.get("points"));
      for (std::size_t k = 0; k + 1 < v.size(); k += 2) g.mark_points.push_back({v[k], v[k + 1]});
      if (v.size() >= 2) {
        const std::string key = e.name == "polyline" ? "line " + e.get("stroke") + " " + e.get("stroke-dasharray")
                                                     : "bar " + e.get("fill");
        (clipped[i] ? g.data_marks : g.swatches).push_back({key, v[0], v[1]});
      }
      if (e.name == "polygon" && !e.get("fill").empty() && e.get("fill") != "none") {
        box b{INFINITY, INFINITY, -INFINITY, -INFINITY};
        for (std::size_t k = 0; k + 1 < v.size(); k += 2)
          b = {std::min(b.x0, v[k]), std::min(b.y0, v[k + 1]), std::max(b.x1, v[k]), std::max(b.y1, v[k + 1])};
        g.fills.push_back({b, e.get("fill"), i});
      }
      if (e.name == "polyline" && (clipped[i] || g.device))
        for (std::size_t k = 0; k + 3 < v.size(); k += 2) add_line(i, {v[k], v[k + 1], v[k + 2], v[k + 3]});
      if (e.name == "polyline" && clipped[i]) {
        g.polylines.emplace_back();
        for (std::size_t k = 0; k + 1 < v.size(); k += 2) g.polylines.back().push_back({v[k], v[k + 1]});
      }
    } else if (e.name == "use" || e.name == "circle") {
      const double x = e.name == "use" ? e.num("x") : e.num("cx"), y = e.name == "use" ? e.num("y") : e.num("cy");
      g.mark_points.push_back({x, y});
      if (clipped[i] || g.device) g.markers.push_back({x, y});
      (clipped[i] ? g.data_marks : g.swatches).push_back({"marker " + e.get("href"), x, y});
    }
  }
  if (g.device) find_frames(plain, g);
  sort_rects(rects, g);
  for (text_item& t : g.texts)
    for (std::size_t b = 0; b < g.boxes.size(); ++b)
      if (g.boxes[b].b.holds((t.ink.x0 + t.ink.x1) / 2, (t.ink.y0 + t.ink.y1) / 2)) t.in_box = static_cast<long>(b);
  return g;
}

}  // namespace

bool box::same(const box& o) const {
  return std::fabs(x0 - o.x0) < 0.02 && std::fabs(y0 - o.y0) < 0.02 && std::fabs(x1 - o.x1) < 0.02 &&
         std::fabs(y1 - o.y1) < 0.02;
}

bool box::overlaps(const box& o, double by) const {
  return std::min(x1, o.x1) - std::max(x0, o.x0) > by && std::min(y1, o.y1) - std::max(y0, o.y0) > by;
}

bool box::contains(const box& o, double slack) const {
  return o.x0 >= x0 - slack && o.y0 >= y0 - slack && o.x1 <= x1 + slack && o.y1 <= y1 + slack;
}

box box_of(const svg_element& rect) {
  const double x = rect.num("x"), y = rect.num("y");
  return {x, y, x + rect.num("width"), y + rect.num("height")};
}

std::string place(const box& b) {
  std::ostringstream s;
  s.precision(5);
  s << "(" << b.x0 << "," << b.y0 << " " << b.w() << "x" << b.h() << ")";
  return s.str();
}

namespace {
// The part of a segment within a box, as the share of its length where it enters and
// leaves (Liang-Barsky); false when it misses the inside.
bool within(const segment& s, const box& b, double& t0, double& t1) {
  t0 = 0, t1 = 1;
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
}  // namespace

bool crosses(const segment& s, const box& b) {
  double t0, t1;
  return within(s, b, t0, t1);
}

std::optional<segment> clip(const segment& s, const box& b) {
  double t0, t1;
  if (!within(s, b, t0, t1)) return std::nullopt;
  const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
  return segment{s.x1 + t0 * dx, s.y1 + t0 * dy, s.x1 + t1 * dx, s.y1 + t1 * dy};
}

bool inside_cell(const graph_parts& g, const text_item& t) {
  const double cx = (t.ink.x0 + t.ink.x1) / 2, cy = (t.ink.y0 + t.ink.y1) / 2;
  return std::any_of(g.cells.begin(), g.cells.end(), [&](const box& c) { return c.holds(cx, cy); });
}

graph_parts read_parts(std::string_view document) { return read_parts(svg_elements(document)); }

}  // namespace kes_test
