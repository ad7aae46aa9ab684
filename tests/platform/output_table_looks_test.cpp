// Template looks of the descriptive tables: columns shown only under a dynamic,
// spanning headers over fixed columns, a text for a total row's zero key, a column
// joined to its neighbour; and that every descriptive template has a definition.
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

dyn_value flag(const char* name, double v) {
  dyn_value d;
  d.name = name;
  d.is_text = false;
  d.is_int = true;
  d.num = v;
  return d;
}

TEST(TableLooks, ConditionalColumnsFollowTheirDynamic) {
  template_look look{"t", nullptr, {}, {}, {}, 1, {{"Freq", "tie"}}};
  report r;
  r.name = "T";
  r.columns = {num("Value"), num("Freq")};
  r.rows = {{n(1.5), n(3)}};
  r.dynamics = {flag("tie", 0)};
  std::vector<std::string> off = render(r, look);
  ASSERT_EQ(off.size(), 6u);
  // Freq hidden: one column of width 5 ("Value"), indented (40 - 5) / 2 = 17.
  EXPECT_EQ(off.back(), std::string(19, ' ') + "1.5");
  r.dynamics = {flag("tie", 1)};
  std::vector<std::string> on = render(r, look);
  // Widths 5 and 4 ("Freq"): 11 wide, indented 14.
  EXPECT_EQ(on.back(), std::string(16, ' ') + "1.5" + std::string(5, ' ') + "3");
  // No such dynamic: hidden.
  r.dynamics.clear();
  EXPECT_EQ(render(r, look).back(), off.back());
}

TEST(TableLooks, FixedSpansAndAZeroKeyText) {
  template_look look{"t",
                     nullptr,
                     {{"Key", nullptr, align::automatic, num_style::column, -1, -1, "Total"}},
                     {},
                     {{nullptr, "last", nullptr, "A", nullptr, "Both"}},
                     1,
                     {}};
  report r;
  r.name = "T";
  r.columns = {num("Key"), num("A"), num("B")};
  dyn_value last;
  last.name = "last";
  last.text = "B";
  r.dynamics = {last};
  r.rows = {{n(host_missing_of_kind(HOST_MISS_A)), n(1), n(2)}, {n(0), n(10), n(20)}};
  std::vector<std::string> lines = render(r, look);
  // Widths: Key 5 ("Total"), A 2, B 2 widened to 4 so that "- Both -" fits over
  // A and B; 15 wide, indented 12.
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[3], std::string(19, ' ') + "- Both -");
  EXPECT_EQ(lines[6], std::string(15, ' ') + ".A   1     2");
  EXPECT_EQ(lines[7], std::string(12, ' ') + "Total  10    20");
}

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
