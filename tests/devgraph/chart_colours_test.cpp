// The attribute table, bar fills and page colours of a histogram on the stand-in's
// device: statement options first, then the device's own definitions, with the
// fallbacks of colour, fill pattern and line style lists.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "chart_fixture.h"
#include "devgraph/chart_layout.h"
#include "host/host_services.h"
#include "kes_gram_names.h"

namespace devgraph_test {
namespace {

std::string name8(const char* n) {
  std::string s(n, 8);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

int colour(const char* name) {
  char n[8];
  std::memset(n, ' ', 8);
  std::memcpy(n, name, std::strlen(name));
  return ggcnum(0, n);
}

class ChartColours : public chart_fixture {
 protected:
  void colours(kes_test::stmt_node& s, const std::vector<std::string>& names) {
    std::vector<int> dummy;
    s.texts.push_back(std::string());
    std::string& all = s.texts.back();
    for (const std::string& n : names) {
      std::string p = n;
      p.resize(8, ' ');
      all += p;
    }
    s.slots[KES_PLOT_SLOT_NORMAL_COLOR].given = 1;
    s.slots[KES_PLOT_SLOT_NORMAL_COLOR].v.count = static_cast<int>(names.size());
    s.slots[KES_PLOT_SLOT_NORMAL_COLOR].list = all.data();
  }
};

TEST_F(ChartColours, CurveColoursRepeatTheLastAndLineStylesStepThroughTheFamily) {
  req.ncurves_dist[0] = 3;
  req.ncurves = 3;
  colours(stmt, {"RED", "BLUE"});
  ASSERT_EQ(kessymb(&ctx), 0);
  const kes_symattr* e = c.curve_attr;
  EXPECT_EQ(name8(e[0].color), "RED");
  EXPECT_EQ(name8(e[1].color), "BLUE");
  EXPECT_EQ(name8(e[2].color), "BLUE");
  const int t = c.symattr[1].line_type;  // the family's template: the palette's first
  EXPECT_EQ(e[0].line_type, t % 47);
  EXPECT_EQ(e[1].line_type, (t + 1) % 47);
  EXPECT_EQ(e[2].line_type, (t + 2) % 47);
}

TEST_F(ChartColours, OneCurveKeepsItsTemplateAndWidthsAndStylesFollowTheirLists) {
  req.ncurves_dist[0] = 1;
  req.nkernels = 2;
  req.ncurves = 3;
  stmt.list(KES_PLOT_SLOT_NORMAL_W, {0});
  stmt.list(75, {2.7});  // kernel W=
  stmt.list(74, {4, -1});  // kernel L=
  ASSERT_EQ(kessymb(&ctx), 0);
  const kes_symattr* e = c.curve_attr;
  EXPECT_EQ(name8(e[0].color), name8(c.symattr[1].color));
  EXPECT_EQ(e[0].line_type, c.symattr[1].line_type);
  EXPECT_EQ(e[0].line_width, 0);  // W=0 gives width 0
  // Kernels: each its own template; W= repeats, L= truncated, 0 when not positive.
  EXPECT_EQ(name8(e[1].color), name8(c.symattr[2].color));
  EXPECT_EQ(name8(e[2].color), name8(c.symattr[3].color));
  EXPECT_EQ(e[1].line_width, 2);
  EXPECT_EQ(e[2].line_width, 2);
  EXPECT_EQ(e[1].line_type, 4);
  EXPECT_EQ(e[2].line_type, 0);
}

TEST_F(ChartColours, BarFillsFromCfillAndPfill) {
  bins(6, 1, 1, 10, 2);
  ASSERT_EQ(kessymb(&ctx), 0);
  kesgpat(&ctx);
  const std::string host_colour = name8(c.fill[0].color);
  const std::string host_pattern = name8(c.fill[0].pattern);
  EXPECT_FALSE(host_colour.empty());

  stmt.name(KES_PLOT_SLOT_CFILL, "EMPTY");
  kesgpat(&ctx);
  EXPECT_EQ(name8(c.fill[0].pattern), "E");
  EXPECT_EQ(name8(c.fill[0].color), "");
  // The page colours give a blank fill colour the outline's.
  std::memcpy(c.pagearea, page, sizeof page);
  kesgcol(&ctx);
  EXPECT_EQ(name8(c.fill[0].color), name8(c.symattr[0].color));

  stmt.name(KES_PLOT_SLOT_CFILL, "RED");
  kesgpat(&ctx);
  EXPECT_EQ(name8(c.fill[0].color), "RED");
  EXPECT_EQ(name8(c.fill[0].pattern), host_pattern);

  stmt.slots[KES_PLOT_SLOT_CFILL].given = 0;
  stmt.name(KES_PLOT_SLOT_PFILL, "X3");
  kesgpat(&ctx);
  EXPECT_EQ(name8(c.fill[0].pattern), "X3");
  EXPECT_EQ(name8(c.fill[0].color), host_colour);
}

TEST_F(ChartColours, PageColoursFromOptionsAndDefaults) {
  bins(6, 1, 1, 10, 2);
  ASSERT_EQ(kessymb(&ctx), 0);
  kesgpat(&ctx);
  stmt.num(KES_PLOT_SLOT_LHREF, 50).num(KES_PLOT_SLOT_LVREF, 3);
  stmt.name(KES_PLOT_SLOT_CFRAME, "YELLOW").name(KES_PLOT_SLOT_CPROP_COLOR, "NONE");
  stmt.name(KES_PLOT_SLOT_CHREF, "GREEN");
  kesgcol(&ctx);
  kesgcol(&ctx);  // a second page: the note is not repeated
  const kes_colorset& k = c.colors;
  EXPECT_EQ(k.href_style, 2);
  EXPECT_EQ(k.vref_style, 3);
  EXPECT_EQ(notes(), "435/409");
  EXPECT_EQ(k.frame_fill, colour("YELLOW"));
  EXPECT_EQ(k.prop, -1);
  EXPECT_EQ(k.href, colour("GREEN"));
  EXPECT_EQ(k.hreflab, colour("GREEN"));
  EXPECT_EQ(k.vreflab, k.text);
  EXPECT_EQ(k.grid_style, 1);
  EXPECT_EQ(k.outline, colour(c.symattr[0].color));
  // The axes take the foreground without CAXIS= or axis colours; CAXIS= both.
  EXPECT_EQ(c.hx.line_colour, c.vx.line_colour);
  stmt.name(KES_PLOT_SLOT_CAXIS, "BLUE");
  kesgcol(&ctx);
  EXPECT_EQ(c.hx.line_colour, colour("BLUE"));
  EXPECT_EQ(c.vx.major_colour, colour("BLUE"));
}

TEST_F(ChartColours, OneAxisDefinitionColourServesBothAxesUnlessNoframe) {
  bins(6, 1, 1, 10, 2);
  ASSERT_EQ(kessymb(&ctx), 0);
  std::memcpy(lay.haxis.color, "RED     ", 8);
  kesgcol(&ctx);
  EXPECT_EQ(c.hx.line_colour, colour("RED"));
  EXPECT_EQ(c.vx.line_colour, colour("RED"));
  req.noframe = 1;
  kesgcol(&ctx);
  EXPECT_EQ(c.hx.line_colour, colour("RED"));
  EXPECT_NE(c.vx.line_colour, colour("RED"));
}

}  // namespace
}  // namespace devgraph_test
