// Both renderers draw a histogram's fitted curve of every family over the same range:
// the axis range cut to the family's support. The template graph's curve points are
// read from its dump, the device chart's from its SVG, where a normal curve (drawn
// over the whole axis) gives the pixel scale.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>

#include "graph_run.h"
#include "support/svg_reader.h"

namespace {

// Midpoints -0.2 to 1.2 by 0.2: the curves' axis runs from -0.3 to 1.3.
constexpr double kLo = -0.3, kHi = 1.3;
constexpr double kNone = -99;  // the kernel's range is its own: compared, not given

struct family_case {
  const char* name;
  const char* options;  // the family's options but its colour
  double from, to;      // where the curve is drawn
};

const family_case kFamilies[] = {
    {"su", "theta=0.5 sigma=0.3 delta=2 gamma=0", kLo, kHi},
    {"lognormal", "theta=0", 0, kHi},
    {"exponential", "theta=0", 0, kHi},
    {"weibull", "theta=0", 0, kHi},
    {"gamma", "theta=0", 0, kHi},
    {"beta", "theta=0 sigma=1", 0, 1},
    {"sb", "theta=0 sigma=1", 0, 1},
    {"kernel", "", kNone, kNone},
};

std::string values() {
  std::string csv = "x\n";
  for (int i = 0; i < 100; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "%.4f\n", 0.1 + 0.8 * (i + 0.5) / 100);
    csv += line;
  }
  return csv;
}

// The histogram with a normal curve and the family's; colours (device charts only)
// tell the curves apart in the SVG.
std::string program(const family_case& f, bool colours) {
  std::string opts = f.options;
  if (colours) opts += opts.empty() ? "color=blue" : " color=blue";
  const std::string family = opts.empty() ? f.name : std::string(f.name) + "(" + opts + ")";
  return std::string("proc kestravine data=d noprint; var x; histogram x / midpoints=-0.2 to 1.2 by 0.2 ") +
         (colours ? "normal(color=red) " : "normal ") + family + "; run;\n";
}

// The first and last x of the template graph's curve other than the normal one.
std::pair<double, double> template_range(const kes_test::graph_run& r) {
  std::pair<double, double> out{NAN, NAN};
  const kes_test::dump_block* d = r.data();
  if (d == nullptr) return out;
  for (const auto& row : d->rows()) {
    const auto label = row.find("CurveLabel");
    const auto x = row.find("CurveX");
    if (label == row.end() || x == row.end() || label->second.find("Normal") != std::string::npos) continue;
    const double v = kes_test::dump_number(x->second);
    if (std::isnan(v)) continue;
    if (std::isnan(out.first)) out.first = v;
    out.second = v;
  }
  return out;
}

// The first and last x of the device chart's blue curve, in data units through the
// red normal curve's ends.
std::pair<double, double> device_range(const kes_test::graph_run& r) {
  std::pair<double, double> normal{NAN, NAN}, other{NAN, NAN};
  for (const auto& [name, doc] : r.svg)
    for (const kes_test::svg_element& e : kes_test::svg_elements(doc)) {
      if (e.name != "polyline") continue;
      std::istringstream in(e.get("points"));
      double first = NAN, last = NAN, y = 0;
      char comma = 0;
      for (double x = 0; in >> x >> comma >> y;) {
        if (std::isnan(first)) first = x;
        last = x;
      }
      if (e.get("stroke") == "#FF0000") normal = {first, last};
      else if (e.get("stroke") == "#0000FF") other = {first, last};
    }
  const auto data = [&](double px) { return kLo + (px - normal.first) / (normal.second - normal.first) * (kHi - kLo); };
  return {data(other.first), data(other.second)};
}

TEST(CurveRangeRuns, BothRenderersDrawEveryFamilyOverTheSameRange) {
  const std::string csv = values();
  // Pixels are written to hundredths over some 540 of them.
  const double tol = 1e-3;
  for (const family_case& f : kFamilies) {
    SCOPED_TRACE(f.name);
    const kes_test::graph_run t = kes_test::run_program(csv, program(f, false));
    const kes_test::graph_run d = kes_test::run_program(csv, program(f, true), {"--graphics", "device"});
    ASSERT_EQ(t.status, 0) << t.log;
    ASSERT_EQ(d.status, 0) << d.log;
    const auto [t_from, t_to] = template_range(t);
    const auto [d_from, d_to] = device_range(d);
    ASSERT_FALSE(std::isnan(t_from) || std::isnan(d_from)) << t.log << d.log;
    EXPECT_NEAR(t_from, d_from, tol);
    EXPECT_NEAR(t_to, d_to, tol);
    if (f.from != kNone) {
      EXPECT_NEAR(t_from, f.from, tol);
      EXPECT_NEAR(t_to, f.to, tol);
    } else {
      // The kernel's own range lies inside the axis and is narrower than it.
      EXPECT_GT(t_from, kLo);
      EXPECT_LT(t_to, kHi);
    }
  }
}

}  // namespace
