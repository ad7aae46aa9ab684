#include "chart_fixture.h"

#include <cstring>

#include "devgraph/chart_layout.h"

namespace devgraph_test {
namespace {

void axis_defaults(kes_axis& ax, kes_axisdef& def) {
  ax.origin[0] = ax.origin[1] = ax.length = -1;
  ax.offset[0] = ax.offset[1] = -1;
  ax.major_len = ax.minor_len = -1;
  ax.width = -1;
  ax.major_width = ax.minor_width = 1;
  ax.major_count = ax.minor_count = -1;
  std::memset(ax.color, ' ', 8), std::memset(ax.major_color, ' ', 8), std::memset(ax.minor_color, ' ', 8);
  std::memset(def.label.font, ' ', 8), std::memset(def.label.color, ' ', 8);
  std::memset(def.value.font, ' ', 8), std::memset(def.value.color, ' ', 8);
  ax.def = &def;
  ax.label_default = &def.label;
  ax.value_default = &def.value;
}

}  // namespace

void chart_fixture::SetUp() {
  hand_request::SetUp();
  axis_defaults(lay.haxis, hdef);
  axis_defaults(lay.vaxis, vdef);
  lay.page_area = page;
  req.layout = &lay;
  req.total = total;
  ctx.varnums = varnums;
  // The stand-in's vector device: cells of 1/80 of the width and 1/40 of the height.
  std::memset(opts.font, ' ', 8);
  std::memcpy(opts.font, "DEJAVU", 6);
  std::memset(opts.text_color, ' ', 8);
  dev.opts = &opts;
  dev.cell_w = 100.0 / 80, dev.cell_h = 100.0 / 40, dev.aspect = 0.75;
  dev.width_px = 640, dev.height_px = 480;
  ctx.device = &dev;
  cell = made.cell(cv, "", nullptr);
  cell->varsums = made.summary({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20});
  cell->slots = &slot;
  cv.keycell = cell;
  slot.n = 20;
}

void chart_fixture::bins(int n, double first, double width, double vmax, double vstep) {
  slot.first = slot.hlow = first;
  slot.width = width;
  slot.last = slot.hhigh = first + (n - 1) * width;
  slot.nbins = slot.npoints = n;
  slot.vmin = 0, slot.vmax = vmax, slot.vstep = vstep;
  slot.vticks = static_cast<int>(vmax / vstep + 0.5) + 1;
}

void chart_fixture::margins() {
  std::memcpy(c.pagearea, page, sizeof page);
  kesgmar(&ctx);
}

int chart_fixture::lay_out() {
  margins();
  if (const int s = kesgpag(&ctx); s != 0) return s;
  return kesgpg2(&ctx);
}

}  // namespace devgraph_test
