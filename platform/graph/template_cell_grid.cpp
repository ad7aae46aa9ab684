// Titles, strips and the grid of cells of a page (see template_cell_grid.h).
#include "graph/template_cell_grid.h"

#include <algorithm>

#include "graph/template_text_fit.h"

namespace plat::graph {
void draw_strip(canvas& c, double x, double y, double w, const std::string& text, double size) {
  paint p;
  p.fill = kStripFill;
  p.stroke = kFrameColour;
  c.rect(x, y, w, kStripHeight, p);
  text_style t;
  t.size = size;
  t.align = anchor::middle;
  c.text(x + w / 2, y + kStripHeight / 2 + text_above(kStripSize) / 2 - 1, fit_text(text, t, w - 6), t);
}

double draw_titles(canvas& c, double width, const std::vector<std::string>& lines) {
  double y = 8;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    text_style t;
    t.size = i == 0 ? kTitleSize : kLabelSize;
    t.bold = i == 0;
    t.align = anchor::middle;
    y += text_above(t.size) + 2;
    c.text(width / 2, y, fit_text(lines[i], t, width - 20), t);
    y += text_below(t.size) + 2;
  }
  return y + 4;
}

double cell_gap() { return text_above(kTickSize) + 4; }

double cell_bands::down() const {
  double sum = 0;
  for (double v : top) sum += v;
  for (double v : bottom) sum += v;
  return sum;
}

double cell_bands::across() const {
  double sum = 0;
  for (double v : left) sum += v;
  for (double v : right) sum += v;
  return sum;
}

std::vector<frame> cell_grid(double left, double top, double right, double bottom, int nrows, int ncols, bool strips,
                             const cell_bands& bands) {
  nrows = std::max(nrows, 1);
  ncols = std::max(ncols, 1);
  const double gap = cell_gap();
  const double strip = strips ? kStripHeight : 0;
  // The bands come out of the room first: every plot area keeps one size.
  const double cw = (right - left - (ncols - 1) * gap - bands.across()) / ncols;
  const double ch = (bottom - top - (nrows - 1) * gap - bands.down()) / nrows - strip;
  std::vector<frame> out;
  out.reserve(static_cast<std::size_t>(nrows) * static_cast<std::size_t>(ncols));
  double down = 0;  // bands of the rows above, and of this row above its frames
  for (int r = 0; r < nrows; ++r) {
    down += cell_bands::of(bands.top, r);
    double across = 0;
    for (int k = 0; k < ncols; ++k) {
      across += cell_bands::of(bands.left, k);
      frame f;
      f.x = left + k * (cw + gap) + across;
      f.y = top + r * (ch + strip + gap) + strip + down;
      f.w = cw;
      f.h = std::max(ch, 10.0);
      out.push_back(f);
      across += cell_bands::of(bands.right, k);
    }
    down += cell_bands::of(bands.bottom, r);
  }
  return out;
}

}  // namespace plat::graph
