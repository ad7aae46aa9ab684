// The SVG writer: fixed number format, fixed attribute order, counter ids.
#include "graph/svg_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace plat::graph {

double cut_margin(const svg_paint& p) {
  // A miter join reaches at most twice the stroke width past its vertex (the default
  // limit of 4), a cap half of it: a cut twice as far out as that is never seen.
  return p.stroke == "none" ? 1 : 2 + 4 * p.stroke_width;
}

void append_number(std::string& out, double v) {
  const double hundredths = std::round(v * 100.0);
  // Below 10^13 a double is within a thousandth of the hundredths it was rounded to, so
  // their digits are its exact two-decimal text, made here without printf's cost (a
  // graph writes a number for every coordinate).
  if (std::fabs(hundredths) < 1e15) {
    const long long k = static_cast<long long>(hundredths);
    unsigned long long n = static_cast<unsigned long long>(k < 0 ? -k : k);
    char digits[24];
    char* at = digits + sizeof digits;  // written from the last digit back
    if (const unsigned f = static_cast<unsigned>(n % 100); f != 0) {
      if (f % 10 != 0) *--at = static_cast<char>('0' + f % 10);
      *--at = static_cast<char>('0' + f / 10);
      *--at = '.';
    }
    n /= 100;
    do *--at = static_cast<char>('0' + n % 10);
    while ((n /= 10) != 0);
    if (k < 0) *--at = '-';
    out.append(at, digits + sizeof digits);
    return;
  }
  const double r = hundredths / 100.0;
  char buf[48];
  const int n = std::snprintf(buf, sizeof buf, "%.2f", r);
  std::size_t len = n < 0 ? 0 : std::min(static_cast<std::size_t>(n), sizeof buf - 1);
  while (len > 0 && buf[len - 1] == '0') --len;
  if (len > 0 && buf[len - 1] == '.') --len;
  out.append(buf, len);
}

std::string svg_number(double v) {
  std::string s;
  append_number(s, v);
  return s;
}

namespace {

// Text already valid UTF-8, escaped onto out.
void append_clean_escaped(std::string& out, std::string_view clean) {
  for (std::size_t i = 0; i < clean.size(); ++i) {
    const char c = clean[i];
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        // Control characters, U+FFFE and U+FFFF (EF BF BE, EF BF BF) are not allowed in
        // XML 1.0 text.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
          out += ' ';
        } else if (c == '\xEF' && clean.compare(i, 2, "\xEF\xBF") == 0 && i + 2 < clean.size() &&
                   (clean[i + 2] == '\xBE' || clean[i + 2] == '\xBF')) {
          out += ' ';
          i += 2;
        } else {
          out += c;
        }
    }
  }
}

}  // namespace

void append_escaped(std::string& out, std::string_view text) {
  // ASCII is valid UTF-8 as it stands: only other text needs a cleaned copy.
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    append_clean_escaped(out, text);
    return;
  }
  append_clean_escaped(out, clean_utf8(text));
}

std::string svg_escape(std::string_view text) {
  std::string out;
  append_escaped(out, text);
  return out;
}

void append_path_move(std::string& d, double x, double y) {
  d += 'M';
  append_number(d, x);
  d += ' ';
  append_number(d, y);
}

void append_path_line(std::string& d, double x, double y) {
  d += 'L';
  append_number(d, x);
  d += ' ';
  append_number(d, y);
}

std::string path_move(double x, double y) {
  std::string d;
  append_path_move(d, x, y);
  return d;
}

std::string path_line(double x, double y) {
  std::string d;
  append_path_line(d, x, y);
  return d;
}

svg_writer::svg_writer(double width, double height, bool white_background)
    : width_(width), height_(height), white_(white_background) {
  // Room for the longest of the usual elements and for a page of a few dozen plots,
  // taken at once rather than doubled up to from nothing.
  element_.reserve(256);
  body_.reserve(32768);
}

std::string svg_writer::next_id(std::string_view prefix) {
  for (auto& [p, n] : counters_)
    if (p == prefix) return p + std::to_string(++n);
  counters_.emplace_back(std::string(prefix), 1);
  return std::string(prefix) + "1";
}

bool svg_writer::finite(std::initializer_list<double> v) {
  for (double d : v)
    if (!std::isfinite(d)) {
      ++dropped_;
      return false;
    }
  return true;
}

void svg_writer::flush_close() {
  if (closing_.empty()) return;
  body_ += closing_;
  closing_.clear();
}

void svg_writer::put(std::string_view element) {
  flush_close();
  // The groups begun around the element are written with their first element.
  for (std::size_t i = 0; i < depth_; ++i) {
    if (groups_[i].written) continue;
    body_.append(2 * (i + 1), ' ');
    body_ += groups_[i].tag;
    body_ += '\n';
    groups_[i].written = true;
  }
  body_.append(2 * (depth_ + 1), ' ');
  body_ += element;
  body_ += '\n';
}

void svg_writer::add_scope(std::string& out) const {
  for (std::size_t i = 0; i < depth_; ++i) out += groups_[i].tag;
}

void svg_writer::add_number_attr(std::string& out, const char* name, double v) {
  out += ' ';
  out += name;
  out += "=\"";
  append_number(out, v);
  out += '"';
}

void svg_writer::add_text_attr(std::string& out, const char* name, std::string_view text) {
  out += ' ';
  out += name;
  out += "=\"";
  append_escaped(out, text);
  out += '"';
}

void svg_writer::add_point(std::string& out, const svg_point& q) {
  append_number(out, q.x);
  out += ',';
  append_number(out, q.y);
}

void svg_writer::add_paint_attrs(std::string& a, const svg_paint& p) const {
  add_text_attr(a, "fill", p.fill);
  if (p.fill_opacity < 1) add_number_attr(a, "fill-opacity", p.fill_opacity);
  add_text_attr(a, "stroke", p.stroke);
  if (p.stroke != "none") {
    add_number_attr(a, "stroke-width", p.stroke_width);
    if (!p.dash.empty()) add_text_attr(a, "stroke-dasharray", p.dash);
    if (p.stroke_opacity < 1) add_number_attr(a, "stroke-opacity", p.stroke_opacity);
    if (p.round_joins) a += " stroke-linecap=\"round\" stroke-linejoin=\"round\"";
  }
}

void svg_writer::put_painted(std::string_view tag, std::initializer_list<std::pair<const char*, double>> numbers,
                             const svg_paint& p) {
  std::string& e = element_;
  e = '<';
  e += tag;
  for (const auto& [name, v] : numbers) add_number_attr(e, name, v);
  add_paint_attrs(e, p);
  e += "/>";
  put(e);
}

std::string svg_writer::clip_rect(double x, double y, double w, double h) {
  std::string id = next_id("clip");
  if (!finite({x, y, w, h})) x = y = w = h = 0;
  const std::size_t n = clip_number(id);
  if (clips_.size() < n) clips_.resize(n);
  clips_[n - 1] = {true, svg_box{x, y, x + (w < 0 ? 0 : w), y + (h < 0 ? 0 : h)}};
  std::string& e = element_;
  e = "<clipPath";
  add_text_attr(e, "id", id);
  e += "><rect";
  add_number_attr(e, "x", x);
  add_number_attr(e, "y", y);
  add_number_attr(e, "width", w < 0 ? 0 : w);
  add_number_attr(e, "height", h < 0 ? 0 : h);
  e += "/></clipPath>";
  put(e);
  return id;
}

std::size_t svg_writer::clip_number(std::string_view id) {
  // N as next_id writes it: no sign, no leading zero, within an int.
  if (id.size() < 5 || id.substr(0, 4) != "clip" || id[4] == '0' || id.size() > 4 + 10) return 0;
  std::size_t n = 0;
  for (const char c : id.substr(4)) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  return n;
}

const svg_box* svg_writer::clip_box(std::string_view id) const {
  const std::size_t n = clip_number(id);
  return n != 0 && n <= clips_.size() && clips_[n - 1].held ? &clips_[n - 1].box : nullptr;
}

void svg_writer::begin_group(const svg_group& g) {
  // What can be seen in the group: its clip path's rectangle within what its parent shows.
  svg_box box = seen();
  if (const svg_box* clip = clip_box(g.clip)) box = box.meet(*clip);
  if (depth_ == groups_.size()) groups_.emplace_back();
  open_group& o = groups_[depth_++];
  std::string& e = o.tag;
  e = "<g";
  if (!g.id.empty()) add_text_attr(e, "id", g.id);
  if (!g.cls.empty()) add_text_attr(e, "class", g.cls);
  if (!g.clip.empty()) {
    e += " clip-path=\"url(#";
    append_escaped(e, g.clip);
    e += ")\"";
  }
  if (!g.transform.empty()) add_text_attr(e, "transform", g.transform);
  e += ">";
  ++group_serial_;
  o.box = box;
  // A group begun again just after it ended, with the same attributes, goes on: the
  // batches of one drawing under one clip make one group.
  if (!closing_.empty() && g.id.empty() && closing_tag_ == e) {
    closing_.clear();
    o.written = o.mergeable = true;
    return;
  }
  o.written = false;
  o.mergeable = g.id.empty();
}

void svg_writer::end_group() {
  if (depth_ == 0) return;
  const open_group& g = groups_[--depth_];
  ++group_serial_;
  if (!g.written) return;  // nothing was drawn in it
  flush_close();
  closing_.assign(2 * (depth_ + 1), ' ');
  closing_ += "</g>\n";
  if (g.mergeable)
    closing_tag_ = g.tag;
  else
    closing_tag_.clear();
}

void svg_writer::line(double x1, double y1, double x2, double y2, const svg_paint& p) {
  if (!finite({x1, y1, x2, y2})) return;
  const svg_box box = seen().grown(cut_margin(p));
  if (!box.holds(x1, y1) || !box.holds(x2, y2)) {
    svg_point a{x1, y1}, b{x2, y2};
    if (!clip_segment(box, a, b)) {
      ++unseen_;
      return;
    }
    ++cut_;
    x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
  }
  put_painted("line", {{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}}, p);
}

void svg_writer::put_polygon(const std::vector<svg_point>& pts, const svg_paint& p) {
  std::string& e = element_;
  e = "<polygon points=\"";
  for (std::size_t i = 0; i < pts.size(); ++i) {
    if (i > 0) e += ' ';
    add_point(e, pts[i]);
  }
  e += '"';
  add_paint_attrs(e, p);
  e += "/>";
  put(e);
}

void svg_writer::polyline(const std::vector<svg_point>& pts, const svg_paint& p) {
  polyline_begin(p);
  for (const svg_point& q : pts) polyline_point(q.x, q.y);
  polyline_end();
}

void svg_writer::polygon(const std::vector<svg_point>& pts, const svg_paint& p) {
  for (const svg_point& q : pts)
    if (!finite({q.x, q.y})) return;
  if (pts.size() < 3) return;
  const svg_box box = seen().grown(cut_margin(p));
  if (std::all_of(pts.begin(), pts.end(), [&box](const svg_point& q) { return box.holds(q.x, q.y); })) {
    put_polygon(pts, p);
    return;
  }
  const std::vector<svg_point> inside = clip_polygon(box, pts);
  if (inside.size() < 3) {
    ++unseen_;
    return;
  }
  ++cut_;
  put_polygon(inside, p);
}

void svg_writer::rect(double x, double y, double w, double h, const svg_paint& p) {
  if (!finite({x, y, w, h})) return;
  // Negative sizes are turned round, so that any two corners make a rectangle.
  if (w < 0) x += w, w = -w;
  if (h < 0) y += h, h = -h;
  const svg_box box = seen().grown(cut_margin(p));
  if (x > box.x1 || y > box.y1 || x + w < box.x0 || y + h < box.y0 || !(box.x0 <= box.x1 && box.y0 <= box.y1)) {
    ++unseen_;
    return;
  }
  // Sides beyond the box move onto it; a rectangle inside keeps its numbers as given.
  if (x < box.x0 || y < box.y0 || x + w > box.x1 || y + h > box.y1) {
    ++cut_;
    if (x < box.x0) w -= box.x0 - x, x = box.x0;
    if (y < box.y0) h -= box.y0 - y, y = box.y0;
    if (x + w > box.x1) w = box.x1 - x;
    if (y + h > box.y1) h = box.y1 - y;
  }
  put_painted("rect", {{"x", x}, {"y", y}, {"width", w}, {"height", h}}, p);
}

void svg_writer::circle(double cx, double cy, double r, const svg_paint& p) {
  if (!finite({cx, cy, r})) return;
  if (!seen().grown(std::fabs(r) + cut_margin(p)).holds(cx, cy)) {
    ++unseen_;
    return;
  }
  put_painted("circle", {{"cx", cx}, {"cy", cy}, {"r", r < 0 ? -r : r}}, p);
}

void svg_writer::path(std::string_view d, const svg_paint& p) {
  if (d.empty()) return;
  std::string& e = element_;
  e = "<path";
  add_text_attr(e, "d", d);
  add_paint_attrs(e, p);
  e += "/>";
  put(e);
}

double svg_writer::text(double x, double y, std::string_view text, const svg_text_style& s) {
  const double len = text_width(text, s.size, s.w);
  if (!finite({x, y, s.size, s.angle}) || text.empty()) return text.empty() ? 0 : len;
  // Turned any way about its anchor, a text stays within its length and size of it.
  if (!seen().grown(len + s.size).holds(x, y)) {
    ++unseen_;
    return len;
  }
  static const char* const kAnchor[] = {"start", "middle", "end"};
  std::string& e = element_;
  e = "<text";
  add_number_attr(e, "x", x);
  add_number_attr(e, "y", y);
  add_number_attr(e, "font-size", s.size);
  if (s.w == weight::bold) e += " font-weight=\"bold\"";
  add_text_attr(e, "fill", s.fill);
  if (s.anchor != svg_anchor::start) add_text_attr(e, "text-anchor", kAnchor[static_cast<int>(s.anchor)]);
  add_number_attr(e, "textLength", len);
  e += " lengthAdjust=\"spacingAndGlyphs\"";
  // SVG turns clockwise with y downwards: a counter-clockwise angle is negated.
  if (s.angle != 0) {
    e += " transform=\"rotate(";
    append_number(e, -s.angle);
    e += ' ';
    append_number(e, x);
    e += ' ';
    append_number(e, y);
    e += ")\"";
  }
  e += '>';
  append_escaped(e, text);
  e += "</text>";
  put(e);
  return len;
}

std::string svg_writer::finish() {
  if (line_.open) polyline_end();
  while (depth_ > 0) end_group();
  flush_close();
  // The head goes before the body in the body's own room, which becomes the document.
  std::string& h = element_;
  h = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
  add_number_attr(h, "width", width_);
  add_number_attr(h, "height", height_);
  h += " viewBox=\"0 0 ";
  append_number(h, width_);
  h += ' ';
  append_number(h, height_);
  h += "\" font-family=\"DejaVu Sans, sans-serif\">\n  <title>";
  append_escaped(h, title_);
  h += "</title>\n  <desc>";
  append_escaped(h, desc_);
  h += "</desc>\n";
  if (white_) {
    h += "  <rect x=\"0\" y=\"0\"";
    add_number_attr(h, "width", width_);
    add_number_attr(h, "height", height_);
    h += " fill=\"#FFFFFF\" stroke=\"none\"/>\n";
  }
  body_.insert(0, h);
  body_ += "</svg>\n";
  std::string doc = std::move(body_);
  body_.clear();
  counters_.clear();
  clips_.clear();
  symbol_keys_.clear();
  symbol_ids_.clear();
  mark_sets_.clear();
  mark_last_.clear();
  places_.clear();
  memo_.valid = false;
  return doc;
}

}  // namespace plat::graph
