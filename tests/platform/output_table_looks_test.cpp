// Template looks of the descriptive tables: a column joined to its neighbour, and
// that every descriptive template has a definition.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/host_missing.h"
#include "output/listing_render.h"
#include "output/templates.h"

namespace {

using namespace plat::out;

column_info num(const char* name, const char* label = "") {
  column_info c;
  c.name = name;
  c.label = label;
  return c;
}

cell n(double v) {
  cell c;
  c.num = v;
  return c;
}

std::vector<std::string> render(const report& r, const template_look& look) {
  std::vector<std::string> lines;
  render_listing(r, look, 40, [&](std::string_view l) { lines.emplace_back(l); });
  return lines;
}

// Columns shown only under a dynamic (Freq of the extreme observations), spanning
// headers widened to fit over their columns, and a total row's "Total" key are in the
// listings of the example program datapass_sums.

TEST(TableLooks, AJoinedColumnHasNoGap) {
  template_look look{"t",
                     nullptr,
                     {{"Sign", "", align::left}, {"P", "", align::automatic, num_style::pvalue, -1, -1, nullptr, true}},
                     {},
                     {},
                     1,
                     {}};
  report r;
  r.name = "T";
  column_info sign;
  sign.name = "Sign";
  sign.numeric = false;
  sign.char_width = 1;
  r.columns = {sign, num("P")};
  cell s;
  s.is_text = true;
  s.text = ">";
  r.rows = {{s, n(0.15)}};
  // Widths 1 and 6 with no gap: 7 wide, indented 16.
  EXPECT_EQ(render(r, look).back(), std::string(16, ' ') + ">0.1500");
}

TEST(TableLooks, EveryDescriptiveTemplateIsDefined) {
  for (const char* t : {"Moments", "Measures", "Modes", "ConfLimits", "Location", "LocCount", "Normal", "Trim",
                        "Wins", "Robustscale", "Quantiles", "ExtObs", "ExtVal", "Missings", "Frequency"}) {
    const std::string name = std::string("orbo.kestravine.") + t;
    EXPECT_NE(&find_template(name), &default_template()) << name;
  }
}

}  // namespace
