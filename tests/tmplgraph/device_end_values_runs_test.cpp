// Device horizontal tick values stay on the page and off the next column: over data at
// large offsets (long values), on every plot kind that writes values under its cells,
// in one cell and in pages of two and four columns, no text leaves the page, no two
// tick values touch or lie over each other, and every horizontal value stands centred
// on a tick.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "graph_run.h"
#include "support/svg_parts.h"
#include "support/svg_rules.h"

namespace {

using kes_test::graph_run;
using kes_test::text_item;

// 60 rows of class g (levels a to d) and x = value(k).
template <class F>
std::string csv(F value) {
  std::string t = "g,x\n";
  for (int k = 0; k < 60; ++k) {
    char b[80];
    std::snprintf(b, sizeof b, "%c,%.17g\n", "abcd"[k % 4], value(k));
    t += b;
  }
  return t;
}

// A fixed scatter of 0..1 over k.
double u(int k) { return ((k * 37) % 59) / 58.0; }

bool numeric(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789.,-+E%\xE2\x88\x92 ") == std::string::npos;
}

// "'TEXT' centred at X, nearest tick at T" for every horizontal value off its tick.
std::string off_tick(const kes_test::graph_parts& g, int* checked) {
  std::string out;
  for (const text_item& t : g.texts) {
    if (t.angle != 0 || t.anchor == "end" || !numeric(t.text)) continue;
    double nearest = INFINITY, tick = NAN;
    for (const kes_test::segment& s : g.short_lines) {
      // A tick: a vertical mark ending within two text heights above the value.
      if (std::fabs(s.x1 - s.x2) > 0.01) continue;
      const double low = std::fmax(s.y1, s.y2);
      if (low > t.ink.y0 + 0.5 || low < t.ink.y0 - 2 * t.size) continue;
      const double d = std::fabs(s.x1 - t.cx());
      if (d < nearest) nearest = d, tick = s.x1;
    }
    if (std::isnan(tick)) continue;
    ++*checked;
    if (nearest > 1) out += "'" + t.text + "' centred at " + std::to_string(t.cx()) + ", tick at " + std::to_string(tick) + "\n";
  }
  return out;
}

std::string room_faults(const std::string& svg) {
  std::string out;
  for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg))
    if (f.rule == kes_test::kRuleTextOffPage || f.rule == kes_test::kRuleTextsTouch ||
        f.rule == kes_test::kRuleTextsOver || f.rule == kes_test::kRuleTickUntrue)
      out += f.rule + ": " + f.detail + "\n";
  return out;
}

TEST(DeviceEndValuesRuns, HorizontalValuesStayOnThePageAndOnTheirTicks) {
  const struct {
    const char* name;
    std::string csv;
    bool drawn;  // a range past the doubles draws no histogram
  } data[] = {
      {"1e15 + integers", csv([](int k) { return 1e15 + std::round(40 * u(k) - 20); }), true},
      {"-1e15 - integers", csv([](int k) { return -1e15 - std::round(40 * u(k) - 20); }), true},
      {"1e9 + 0.05", csv([](int k) { return 1e9 + 0.05 * u(k); }), true},
      {"1733650000 + 0.5", csv([](int k) { return 1733650000 + 0.5 * u(k); }), true},
      {"ordinary", csv([](int k) { return 20 + 30 * u(k); }), true},
      {"near 1.7e308", csv([](int k) { return 1.7e308 * (1 - 1e-3 * u(k)); }), false},
      {"near -1.7e308", csv([](int k) { return -1.7e308 * (1 - 1e-3 * u(k)); }), false},
  };
  const char* const plots[] = {"histogram x", "histogram x / endpoints", "qqplot x / normal(mu=est sigma=est)",
                               "probplot x / normal(mu=est sigma=est)", "cdfplot x", "ppplot x / normal", "histogram x / height=4",
                               "qqplot x / normal(mu=est sigma=est) pctlaxis rotate",
                               "qqplot x / normal(mu=est sigma=est) pctlaxis"};
  const char* const layouts[] = {"", "class g; ", "class g; "};
  const char* const columns[] = {"", " ncols=2", " ncols=4"};
  for (const auto& d : data)
    for (const char* plot : plots)
      for (int l = 0; l < 3; ++l) {
        const std::string p(plot);
        const std::string options = l == 0 ? "" : (p.find('/') == std::string::npos ? " /" : "") + std::string(columns[l]);
        const std::string program =
            std::string("proc kestravine data=d noprint;\n  ") + layouts[l] + plot + options + ";\nrun;\n";
        SCOPED_TRACE(program + " over " + d.name);
        const graph_run r = kes_test::run_program(d.csv, program, {"--graphics", "device"});
        ASSERT_EQ(r.status, 0) << r.log;
        int checked = 0;
        for (const auto& [name, svg] : r.svg) {
          EXPECT_EQ(room_faults(svg), "") << name;
          EXPECT_EQ(off_tick(kes_test::read_parts(svg), &checked), "") << name;
        }
        // Values too long for their column stop before the next, and say so.
        const bool stopped = r.log.find("would run into the next column") != std::string::npos;
        if (d.drawn && !stopped) {
          EXPECT_GE(checked, 2) << "the plot's horizontal values are found";
        }
        if (stopped) {
          EXPECT_NE(columns[l], std::string()) << "only a page of several columns stops its values";
        }
      }
}

}  // namespace
