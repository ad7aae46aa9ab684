// The device's vertical tick values stand centred on their ticks: the middle of a
// value's figures lies on its tick mark, on every plot kind, at any text height, in
// one cell or several, with values of any sign and offset.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "graph_run.h"
#include "support/svg_parts.h"

namespace {

using kes_test::graph_run;
using kes_test::text_item;

// The middle of the figures above the baseline, in ems: "0123" in the graphs' font
// (DejaVu Sans Book 2.37) drawn 1000 px high by rsvg-convert 2.54 on the baseline
// y = 1000 inks rows 258 to 1013.
constexpr double kFigureMiddle = (1000 - (258 + 1013) / 2.0) / 1000;

std::string csv(double offset, double spread) {
  std::string t = "g,x\n";
  for (int k = 0; k < 60; ++k) {
    char b[64];
    std::snprintf(b, sizeof b, "%c,%.17g\n", "ab"[k % 2], offset + spread * (((k * 37) % 23) / 22.0 - 0.5));
    t += b;
  }
  return t;
}

bool numeric(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789.,-+E%\xE2\x88\x92 ") == std::string::npos;
}

// "'TEXT' at Y: figures' middle at M, nearest tick at T" for every value off its tick.
std::string off_centre(const kes_test::graph_parts& g, int* checked) {
  std::string out;
  for (const text_item& t : g.texts) {
    if (t.angle != 0 || t.anchor != "end" || !numeric(t.text)) continue;
    // A value at the top of a full page stands lower, its em on the page.
    if (t.y - t.size < 0.5) continue;
    double nearest = INFINITY, tick = NAN;
    for (const kes_test::segment& s : g.short_lines) {
      if (std::fabs(s.y1 - s.y2) > 0.01 || std::fmin(s.x1, s.x2) < t.x || std::fmin(s.x1, s.x2) > t.x + 20) continue;
      const double d = std::fabs(s.y1 - (t.y - kFigureMiddle * t.size));
      if (d < nearest) nearest = d, tick = s.y1;
    }
    if (std::isnan(tick)) continue;
    ++*checked;
    if (nearest > 0.03 * t.size)
      out += "'" + t.text + "': figures' middle at " + std::to_string(t.y - kFigureMiddle * t.size) + ", tick at " +
             std::to_string(tick) + "\n";
  }
  return out;
}

TEST(DeviceValueCentreRuns, VerticalTickValuesCentreOnTheirTicks) {
  const char* const plots[] = {"histogram x", "histogram x / vscale=count height=4", "qqplot x / normal(mu=est sigma=est)",
                               "probplot x / normal(mu=est sigma=est) rotate", "cdfplot x", "ppplot x / normal",
                               "class g; histogram x / nrows=2", "class g; qqplot x / ncols=2"};
  const struct {
    double offset, spread;
  } data[] = {{50, 30}, {-4, 3}, {1e9 + 0.05, 0.04}, {1e15, 40}};
  for (const auto& d : data)
    for (const char* plot : plots) {
      const std::string program = std::string("proc kestravine data=d noprint;\n  ") + plot + ";\nrun;\n";
      SCOPED_TRACE(program + " over " + std::to_string(d.offset));
      const graph_run r = kes_test::run_program(csv(d.offset, d.spread), program, {"--graphics", "device"});
      ASSERT_EQ(r.status, 0) << r.log;
      int checked = 0;
      for (const auto& [name, svg] : r.svg) EXPECT_EQ(off_centre(kes_test::read_parts(svg), &checked), "") << name;
      EXPECT_GE(checked, 3) << "the plot's vertical values are found";
    }
}

}  // namespace
