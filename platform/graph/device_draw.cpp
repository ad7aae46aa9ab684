// Lines, areas, markers, clipping and blanked areas of the device.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "graph/device_state.h"
#include "graph/graph_messages.h"

namespace plat::graph {
namespace {

// The dash patterns of line types 1 to 46, in multiples of the line width (at least
// one pixel): 1 solid, 2 dashed, 3 dotted, 4 dash-dot, 5 long dash, 6 dash-dot-dot,
// then longer and shorter dashes in turn, so that neighbouring types differ.
constexpr const char* kDashBase[] = {"",     "6 4",      "1.5 3", "8 3 1.5 3", "12 4", "8 3 1.5 3 1.5 3",
                                     "3 3",  "16 4 4 4", "2 6",   "10 6",      "20 6", "6 2"};

svg_paint stroke_paint(int colour, int line_type) {
  svg_paint p = svg_stroke(colour_hex(colour), line_px(), dash_of(line_type, line_px()));
  return p;
}

bool need_writer(const char* service) {
  if (writer() != nullptr) return true;
  log_message(kGraphSet, kNoSegment, service);
  return false;
}

std::vector<svg_point> to_px(int count, const double* points) {
  std::vector<svg_point> v;
  for (int i = 0; i < count; ++i) v.push_back({px_x(points[2 * i]), px_y(points[2 * i + 1])});
  return v;
}

// Hatch lines over a rectangle (pixels), clipped to it: pattern names "Xn" cross,
// "Rn" right (rising), "Ln" left (falling) hatch, n from 1 (sparse) to 5 (dense).
void hatch(svg_writer* w, double x, double y, double wd, double ht, char kind, int density, const std::string& colour) {
  const double gap = 12.0 / std::clamp(density, 1, 5);
  svg_group g;
  g.clip = w->clip_rect(x, y, wd, ht);
  w->begin_group(g);
  const svg_paint p = svg_stroke(colour, 0.75);
  for (double d = -ht; d < wd + ht; d += gap) {
    if (kind == 'R' || kind == 'X') w->line(x + d, y + ht, x + d + ht, y, p);
    if (kind == 'L' || kind == 'X') w->line(x + d, y, x + d + ht, y + ht, p);
  }
  w->end_group();
}

// A fill pattern word: 'S' solid, 'E' empty, or a hatch ('X', 'R', 'L' with density).
struct pattern {
  char kind;
  int density;
};
pattern pattern_of(const char* word8) {
  std::string w = word8 != nullptr ? std::string(word8, strnlen(word8, 8)) : std::string();
  for (char& c : w) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  w = w.substr(0, w.find_last_not_of(' ') + 1);
  if (w.empty() || w == "S" || w == "SOLID") return {'S', 0};
  if (w == "E" || w == "EMPTY") return {'E', 0};
  if ((w[0] == 'X' || w[0] == 'R' || w[0] == 'L') && w.size() >= 2 && std::isdigit(static_cast<unsigned char>(w[1])))
    return {w[0], w[1] - '0'};
  return {'S', 0};
}

// The path of a marker of the table's code and radius r about (0, 0).
std::string marker_shape(int code, double r) {
  const auto ring = [](double radius) {
    const std::string a = svg_number(radius);
    return "M" + a + " 0A" + a + " " + a + " 0 1 0 -" + a + " 0A" + a + " " + a + " 0 1 0 " + a + " 0Z";
  };
  switch (code) {
    case 1: return path_move(-r, 0) + path_line(r, 0) + path_move(0, -r) + path_line(0, r);
    case 2: return path_move(-r, -r) + path_line(r, r) + path_move(-r, r) + path_line(r, -r);
    case 3:
      return path_move(-r, 0) + path_line(r, 0) + path_move(0, -r) + path_line(0, r) + path_move(-0.7 * r, -0.7 * r) +
             path_line(0.7 * r, 0.7 * r) + path_move(-0.7 * r, 0.7 * r) + path_line(0.7 * r, -0.7 * r);
    case 4: return path_move(-r, -r) + path_line(r, -r) + path_line(r, r) + path_line(-r, r) + path_close();
    case 5: return path_move(0, -r) + path_line(r, 0) + path_line(0, r) + path_line(-r, 0) + path_close();
    case 6: return path_move(0, -r) + path_line(r, 0.8 * r) + path_line(-r, 0.8 * r) + path_close();
    case 8: return ring(r * 0.6);
    default: return ring(r);
  }
}

void blank_out(const blanked& b) {
  svg_writer* w = writer();
  if (w == nullptr) return;
  w->rect(px_x(b.area[0]), px_y(b.area[3]), px_w(b.area[2] - b.area[0]), px_h(b.area[3] - b.area[1]),
          svg_fill("#FFFFFF"));
}

}  // namespace

std::string dash_of(int line_type, double width) {
  if (line_type <= 1) return {};
  const int t = std::min(line_type, 46);
  const int n = sizeof kDashBase / sizeof kDashBase[0];
  std::string base = kDashBase[(t - 1) % n];
  if (base.empty()) base = "4 2 1 2";
  // Types past the table repeat it with longer dashes: 1.5 times per round.
  const double scale = std::max(1.0, width) * std::pow(1.5, (t - 1) / n);
  std::string out;
  std::size_t i = 0;
  while (i < base.size()) {
    std::size_t j = base.find(' ', i);
    if (j == std::string::npos) j = base.size();
    if (!out.empty()) out += ' ';
    out += svg_number(std::stod(base.substr(i, j - i)) * scale);
    i = j + 1;
  }
  return out;
}

}  // namespace plat::graph

using namespace plat::graph;

extern "C" {

int plat_ggdraw(int, double x1, double y1, double x2, double y2, int line_type, int colour) {
  if (!need_writer("ggdraw")) return 1;
  if (colour < 0) return 0;
  writer()->line(px_x(x1), px_y(y1), px_x(x2), px_y(y2), stroke_paint(colour, line_type));
  return 0;
}

int plat_ggfill(int, double x1, double y1, double x2, double y2, const char* pattern8, int colour, int fill_mode,
                int outline, int outline_type, int outline_width) {
  if (!need_writer("ggfill")) return 1;
  svg_writer* w = writer();
  const double x = px_x(std::min(x1, x2)), y = px_y(std::max(y1, y2));
  const double wd = px_w(std::fabs(x2 - x1)), ht = px_h(std::fabs(y2 - y1));
  const pattern p = pattern_of(pattern8);
  if (colour >= 0) {
    if (p.kind == 'S') w->rect(x, y, wd, ht, svg_fill(colour_hex(colour)));
    else if (p.kind != 'E') hatch(w, x, y, wd, ht, p.kind, p.density, colour_hex(colour));
  }
  // Mode 0 fills only; the others outline the area too. An empty fill always shows
  // its outline, in the fill colour when no outline colour is given.
  int oc = outline;
  if (p.kind == 'E' && oc < 0) oc = colour;
  if ((fill_mode != 0 || p.kind == 'E') && oc >= 0) {
    const double width = outline_width <= 0 ? 0.5 : outline_width;
    w->rect(x, y, wd, ht, svg_stroke(colour_hex(oc), width, dash_of(outline_type, width)));
  }
  return 0;
}

int plat_ggpline(int, const host_gpline* line, int colour, const host_gclip* clip) {
  if (line == nullptr || line->count < 0 || (line->count > 0 && line->points == nullptr)) return 1;
  if (!need_writer("ggpline")) return 1;
  if (colour < 0 || line->count < 2) return 0;
  svg_writer* w = writer();
  svg_paint p = stroke_paint(colour, line->line_type);
  p.round_joins = true;
  const std::string id = clip_of(clip);
  if (!id.empty()) {
    svg_group g;
    g.clip = id;
    w->begin_group(g);
  }
  // The points go to the writer a piece at a time: a line of millions of points is never copied.
  w->polyline_begin(p);
  const page_px page;
  svg_point piece[512];
  for (int i = 0; i < line->count;) {
    int n = 0;
    for (; n < 512 && i < line->count; ++n, ++i) piece[n] = {page.x(line->points[2 * i]), page.y(line->points[2 * i + 1])};
    w->polyline_points(piece, static_cast<std::size_t>(n));
  }
  w->polyline_end();
  if (!id.empty()) w->end_group();
  return 0;
}

int plat_ggpoly(int, const host_gpoly* poly) {
  if (poly == nullptr || poly->count < 3 || poly->points == nullptr) return 1;
  if (!need_writer("ggpoly")) return 1;
  const pattern pat = pattern_of(poly->pattern);
  svg_paint p;
  if (poly->color >= 0 && pat.kind != 'E') {
    p.fill = colour_hex(poly->color);
    if (poly->opacity > 0 && poly->opacity < 1) p.fill_opacity = poly->opacity;
  }
  if (poly->outline >= 0) {
    p.stroke = colour_hex(poly->outline);
    p.stroke_width = line_px();
    p.dash = dash_of(poly->line_type, line_px());
  }
  writer()->polygon(to_px(poly->count, poly->points), p);
  return 0;
}

int plat_ggpmark(int, const host_gmarks* marks, int colour, const host_gclip* clip) {
  if (marks == nullptr || marks->count < 0 || marks->count > GMARK_BATCH || (marks->count > 0 && marks->points == nullptr))
    return 1;
  if (!need_writer("ggpmark")) return 1;
  if (colour < 0 || marks->code < 0 || marks->count == 0) return 0;
  svg_writer* w = writer();
  const std::string hex = colour_hex(colour);
  const double r = std::max(1.0, px_h(marks->size > 0 ? marks->size : 1.04) / 2);
  const bool filled = (marks->flags & 0x01) != 0;
  const svg_paint p = filled ? svg_fill_stroke(hex, hex, 1) : svg_stroke(hex, 1);
  const std::string id = clip_of(clip);
  if (!id.empty()) {
    svg_group g;
    g.clip = id;
    w->begin_group(g);
  }
  // The marker table: 1 plus, 2 cross, 3 star, 4 square, 5 diamond, 6 triangle,
  // 7 circle (and any other code), 8 dot; each shape about (0, 0), written once.
  // Batches of one kind come by the hundred thousand: the segment keeps the last shape.
  segment& seg = *state().open;
  if (seg.last_marker_code != marks->code || seg.last_marker_r != r) {
    seg.last_marker_code = marks->code, seg.last_marker_r = r;
    seg.last_marker_shape = marker_shape(marks->code, r);
  }
  const svg_paint look = marks->code == 8 ? svg_fill_stroke(hex, hex, 1) : p;
  const page_px page;
  svg_point at[GMARK_BATCH];
  for (int i = 0; i < marks->count; ++i) at[i] = {page.x(marks->points[2 * i]), page.y(marks->points[2 * i + 1])};
  w->markers(seg.last_marker_shape, look, at, static_cast<std::size_t>(marks->count));
  if (!id.empty()) w->end_group();
  return 0;
}

// Liang-Barsky clipping of a segment to a rectangle.
int plat_ggclpli(const double* line, const host_gclip* rect, double* out) {
  if (line == nullptr || rect == nullptr || out == nullptr) return 0;
  const double x0 = line[0], y0 = line[1], dx = line[2] - line[0], dy = line[3] - line[1];
  const double xl = std::min(rect->x1, rect->x2), xr = std::max(rect->x1, rect->x2);
  const double yb = std::min(rect->y1, rect->y2), yt = std::max(rect->y1, rect->y2);
  double t0 = 0, t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy}, q[4] = {x0 - xl, xr - x0, y0 - yb, yt - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return 0;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
    if (t0 > t1) return 0;
  }
  out[0] = x0 + t0 * dx;
  out[1] = y0 + t0 * dy;
  out[2] = x0 + t1 * dx;
  out[3] = y0 + t1 * dy;
  return 1;
}

int plat_ggrba(int, const double* area, int* id, void** handle, int) {
  if (area == nullptr) return 1;
  step_state& s = state();
  blanked b{static_cast<int>(s.blanks.size()) + 1, {area[0], area[1], area[2], area[3]}, true};
  s.blanks.push_back(b);
  if (id != nullptr) *id = b.id;
  if (handle != nullptr) *handle = &s.blanks;
  return 0;
}

int plat_ggrdba(int, int, void*, int id, int, int) {
  for (blanked& b : state().blanks)
    if (b.id == id && b.live) {
      // What was drawn over the area is covered with the background.
      b.live = false;
      blank_out(b);
      return 0;
    }
  return 1;
}

int plat_gdrwgrad(int, const void*, double, double, double, double) { return 1; }
int plat_ggbimg(int, void*, const char*, int, const double*) { return 1; }

}  // extern "C"
