// The legend of a page (see template_legend.h).
#include "graph/template_legend.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "graph/template_look.h"
#include "graph/text_cuts.h"
#include "host/kes_checked.h"

namespace plat::graph {
namespace {
constexpr double kSwatch = 24;
constexpr double kRowHeight = 16;
constexpr double kEntryGap = 14;

text_style legend_style() {
  text_style t;
  t.size = kLegendSize;
  return t;
}

// Columns of equal width that fit the widest entry; more, narrower ones (their texts
// cut with an ellipsis) when the rows would run past max_height.
int legend_columns(const std::string& title, const std::vector<legend_entry>& entries, double width, double max_height,
                   double* colw) {
  double widest = 0;
  for (const auto& e : entries) widest = std::max(widest, kSwatch + 6 + text_advance(e.label, legend_style()));
  *colw = std::min(widest + kEntryGap, width);
  const int n = static_cast<int>(entries.size());
  int cols = std::min(std::max(1, kes_clamped_int(width / *colw, 0, INT_MAX)), n);
  const double rows_room = max_height - (title.empty() ? 0 : kRowHeight) - 6;
  const int most_rows = std::isfinite(rows_room) ? std::max(1.0, std::min(rows_room / kRowHeight, 1e6)) : n;
  // Columns narrow no further than about fifteen characters: a page grows with a
  // longer legend rather than cut its texts past reading.
  const int narrowest = std::max(1, kes_clamped_int(width / (kSwatch + 6 + 8 * kLegendSize + kEntryGap), 0, INT_MAX));
  while ((n + cols - 1) / cols > most_rows && cols < std::min(n, narrowest)) {
    ++cols;
    *colw = width / cols;
  }
  return cols;
}
}  // namespace

double legend_height(const std::string& title, const std::vector<legend_entry>& entries, double width,
                     double max_height) {
  if (entries.empty()) return 0;
  double colw = 0;
  const int cols = legend_columns(title, entries, width, max_height, &colw);
  const int rows = (static_cast<int>(entries.size()) + cols - 1) / cols;
  return (title.empty() ? 0 : kRowHeight) + rows * kRowHeight + 6;
}

void draw_legend(canvas& c, double x, double y, double width, const std::string& title,
                 const std::vector<legend_entry>& entries, double max_height) {
  if (entries.empty()) return;
  double colw = 0;
  const int cols = legend_columns(title, entries, width, max_height, &colw);
  const double used = cols * colw - kEntryGap;
  const double left = x + std::max(0.0, (width - used) / 2);
  paint border;
  border.stroke = "#BDBDBD";
  c.rect(x, y, width, legend_height(title, entries, width, max_height), border);
  double top = y + 3;
  text_style t = legend_style();
  if (!title.empty()) {
    t.bold = true;
    c.text(x + width / 2 - text_advance(title, t) / 2, top + text_above(kLegendSize) + 1, title, t);
    t.bold = false;
    top += kRowHeight;
  }
  // A long entry shrinks to 80 % of the size before it is cut, so that its numbers stay;
  // entries cut are cut apart, so that different levels never read the same. The gap
  // to the next column stays free (the widest entry fits to rounding).
  const double room = colw - kEntryGap - kSwatch - 6 + 1e-6;
  std::vector<std::string> labels;
  for (const legend_entry& e : entries) labels.push_back(e.label);
  const std::vector<sized_text> shown = shrink_or_cut_apart(labels, t, room);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int row = static_cast<int>(i) / cols, col = static_cast<int>(i) % cols;
    const double ex = left + col * colw, ey = top + row * kRowHeight + kRowHeight / 2;
    const legend_entry& e = entries[i];
    if (e.filled) {
      paint fill;
      fill.fill = e.stroke.stroke;
      fill.fill_opacity = 0.25;
      c.rect(ex, ey - 5, kSwatch, 10, fill);
    }
    if (e.line) c.line(ex, ey, ex + kSwatch, ey, e.stroke);
    if (e.marker >= 0) {
      paint dot;
      dot.stroke = e.stroke.stroke;
      dot.marker = e.marker;
      c.point_marker(ex + kSwatch / 2, ey, dot);
    }
    text_style fitted = t;
    fitted.size = shown[i].size;
    c.text(ex + kSwatch + 6, ey + text_above(kLegendSize) / 2 - 1, shown[i].text, fitted);
  }
}

}  // namespace plat::graph
