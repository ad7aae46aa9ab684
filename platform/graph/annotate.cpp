// The annotate language's interpreter (annotate.h).
#include "graph/annotate.h"
#include "host/kes_checked.h"

#include <algorithm>
#include <cctype>

namespace plat::graph {
namespace {

constexpr double kTextHeight = 2.5;   // percent of the graphics area's height
constexpr double kMarkerSize = 2;
constexpr double kLineWidth = 1;

// One axis in percent of the graphics area: the value in its coordinate system, from
// the previous position for the relative systems. False for an unknown system.
bool place(char sys, double value, double previous, const host_annoaxis& a, double origin, double* out) {
  switch (sys) {
    case '1': *out = origin + value / 100 * a.length; return true;
    case '2': *out = value * a.scale + a.offset; return true;
    case '3': *out = value; return true;
    case '7': *out = previous + value / 100 * a.length; return true;
    case '8': *out = previous + value * a.scale; return true;
    case '9': *out = previous + value; return true;
    default: return false;
  }
}

bool filled(const anno_obs& o) {
  std::string t = o.text;
  for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return t != "EMPTY";
}

}  // namespace

void use_percent_coords(const host_annoreq* req, std::vector<anno_obs>* obs) {
  if (req->pct_coord == nullptr) return;
  const bool vertical = req->pct_axis == 'V';
  const std::size_t n = std::min(obs->size(), static_cast<std::size_t>(std::max(req->pct_count, 0L)));
  for (std::size_t i = 0; i < n; ++i) {
    anno_obs& o = (*obs)[i];
    if ((vertical ? o.ysys : o.xsys) != '2') continue;
    const double q = req->pct_coord[i];
    if (std::isnan(q)) o.noted = true;
    else (vertical ? o.y : o.x) = q;
  }
}

int annotate_run(const std::vector<anno_obs>& obs, const anno_frame& f, anno_sink& sink) {
  double cx = f.h.start, cy = f.v.start_other;  // the current position: the data area's corner
  std::vector<double> poly;
  std::string poly_colour;
  bool poly_filled = true;
  int drawn = 0;
  auto flush = [&] {
    if (poly.size() >= 6) sink.polygon(poly, poly_colour, poly_filled);
    poly.clear();
  };
  for (const anno_obs& o : obs) {
    const std::string fn = o.function.empty() ? "LABEL" : o.function;
    if (fn != "POLYCONT") flush();
    if (o.noted) continue;
    static const char* const kKnown[] = {"LABEL", "MOVE", "DRAW", "SYMBOL", "POLY", "POLYCONT", "BAR"};
    bool known = false;
    for (const char* k : kKnown) known = known || fn == k;
    if (!known) {
      sink.note(o.number, "FUNCTION", "'" + fn + "' is not an annotate function; the observation is not drawn");
      continue;
    }
    // The point: both coordinates are needed.
    if (!o.has_x || std::isnan(o.x)) {
      sink.note(o.number, "X", "is missing or not numeric; the observation is not drawn");
      continue;
    }
    if (!o.has_y || std::isnan(o.y)) {
      sink.note(o.number, "Y", "is missing or not numeric; the observation is not drawn");
      continue;
    }
    double x = 0, y = 0;
    if (!place(o.xsys, o.x, cx, f.h, f.h.start, &x)) {
      sink.note(o.number, "XSYS", std::string("'") + o.xsys + "' is not a coordinate system (1, 2, 3, 7, 8 or 9); the observation is not drawn");
      continue;
    }
    if (!place(o.ysys, o.y, cy, f.v, f.v.start_other, &y)) {
      sink.note(o.number, "YSYS", std::string("'") + o.ysys + "' is not a coordinate system (1, 2, 3, 7, 8 or 9); the observation is not drawn");
      continue;
    }
    const std::string colour = o.color;
    if (fn == "LABEL") {
      if (o.text.empty()) {
        sink.note(o.number, "TEXT", "is blank; the observation is not drawn");
        continue;
      }
      int pos = 5;
      if (!o.position.empty()) {
        const char p = o.position[0];
        if (o.position.size() == 1 && p >= '1' && p <= '9') pos = p - '0';
        else sink.note(o.number, "POSITION", "'" + o.position + "' is not a position (1 to 9); the text is centred");
      }
      const int halign = (pos - 1) % 3 - 1;  // 1 4 7 end at the point, 3 6 9 start there
      const int valign = 1 - (pos - 1) / 3;  // 1 2 3 above, 7 8 9 below
      sink.text(x, y, o.text, std::isnan(o.size) ? kTextHeight : o.size, std::isnan(o.angle) ? 0 : o.angle, halign,
                valign, colour);
    } else if (fn == "DRAW") {
      sink.line(cx, cy, x, y, std::isnan(o.line) ? 1 : kes_clamped_int(o.line, INT_MIN, INT_MAX), std::isnan(o.size) ? kLineWidth : o.size,
                colour);
    } else if (fn == "SYMBOL") {
      sink.marker(x, y, o.text.empty() ? "CIRCLE" : o.text, std::isnan(o.size) ? kMarkerSize : o.size, colour);
    } else if (fn == "POLY") {
      poly = {x, y};
      poly_colour = colour;
      poly_filled = filled(o);
    } else if (fn == "POLYCONT") {
      if (poly.empty()) {
        sink.note(o.number, "FUNCTION", "POLYCONT does not follow a POLY observation; the observation is not drawn");
        continue;
      }
      poly.push_back(x);
      poly.push_back(y);
    } else if (fn == "BAR") {
      sink.bar(cx, cy, x, y, colour, filled(o));
    }
    // A label and a marker leave the current point where it was.
    if (fn != "LABEL" && fn != "SYMBOL") cx = x, cy = y;
    ++drawn;
  }
  flush();
  return drawn;
}

}  // namespace plat::graph
