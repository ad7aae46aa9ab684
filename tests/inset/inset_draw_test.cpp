// Measuring and drawing inset boxes on a device graph, with the host's text measure
// and drawing services recorded: box width and height from the columns, the header
// with its rule, labels left and values right, page-margin rows flowing in columns.
#include <cstdarg>
#include <cstring>

#include "runner/host_table.h"
#include "inset/inset_device.h"
#include "inset/inset_place.h"
#include "kes_gram_names.h"
#include "support/inset_fixture.h"

namespace inset_test {
namespace {

std::vector<std::string> drawn;

// Every character is 1 % wide; heights are as given.
double fake_ggstrl(int, host_gtext* t) { return t->length; }
int fake_ggstr(int, host_gtext* t) {
  drawn.push_back("text " + std::string(t->text, t->length) + " @" + std::to_string(static_cast<int>(t->x)) + "," +
                  std::to_string(static_cast<int>(t->y)) + (t->just == 2 ? " right" : " left"));
  return 0;
}
int fake_ggfill(int, double x1, double y1, double x2, double y2, const char* pattern, int, int, int, int, int) {
  drawn.push_back("fill " + std::string(pattern, 5) + " " + std::to_string(static_cast<int>(x1)) + "," +
                  std::to_string(static_cast<int>(y1)) + "-" + std::to_string(static_cast<int>(x2)) + "," +
                  std::to_string(static_cast<int>(y2)));
  return 0;
}
int fake_ggdraw(int, double, double, double, double, int, int) {
  drawn.push_back("line");
  return 0;
}

class InsetDraw : public inset_fixture {
 protected:
  void SetUp() override {
    inset_fixture::SetUp();
    ctx.tmplgraph = 0;
    ctx.devgraph = 1;
    drawn.clear();
    swap(kes_host::svc_ggstrl, reinterpret_cast<host_routine>(fake_ggstrl), 0);
    swap(kes_host::svc_ggstr, reinterpret_cast<host_routine>(fake_ggstr), 1);
    swap(kes_host::svc_ggfill, reinterpret_cast<host_routine>(fake_ggfill), 2);
    swap(kes_host::svc_ggdraw, reinterpret_cast<host_routine>(fake_ggdraw), 3);
  }
  void TearDown() override {
    const int ids[4] = {kes_host::svc_ggstrl, kes_host::svc_ggstr, kes_host::svc_ggfill, kes_host::svc_ggdraw};
    for (int i = 0; i < 4; ++i) {
      const auto& s = kes_host::services[ids[i]];
      plat::replace_service(s.vector, s.slot, old_[i]);
    }
    inset_fixture::TearDown();
  }
  void swap(int id, host_routine r, int i) {
    const auto& s = kes_host::services[id];
    old_[i] = plat::replace_service(s.vector, s.slot, r);
  }
  host_routine old_[4] = {};
};

// HEIGHT=4: margins 2 and 2 (aspect 1), spacing 6; labels "N" and "Mean" (widest 4),
// values "5" and "3" (1): width 4 + 1 + 6 = 11, at least the header "Stats" (5);
// height 2 x 2 + 2 x 4 + 1 x 2 = 14, plus 2 x 2 + 4 for the header.
TEST_F(InsetDraw, TheBoxIsMeasuredFromItsColumnsAndHeader) {
  inset_stmt& s = inset({0, 2});
  s.node.num(KES_INSET_SLOT_HEIGHT, 4).text(KES_INSET_SLOT_HEADER, "Stats");
  s.node.text(KES_INSET_SLOT_FONT, "SWISS");
  ASSERT_EQ(build(single({1, 2, 3, 4, 5})), 0);
  const kes_insetbox* b = box(0);
  EXPECT_DOUBLE_EQ(b->vmargin, 2);
  EXPECT_DOUBLE_EQ(b->colspace, 6);
  EXPECT_DOUBLE_EQ(b->label_width, 4);
  EXPECT_DOUBLE_EQ(b->value_width, 1);
  EXPECT_DOUBLE_EQ(b->box_width, 11);
  EXPECT_DOUBLE_EQ(b->box_height, 22);
  EXPECT_EQ(notes(), "");
}

TEST_F(InsetDraw, APlotAreaBoxDrawsItsHeaderRuleLabelsAndValues) {
  inset_stmt& s = inset({0, 2});
  s.node.num(KES_INSET_SLOT_HEIGHT, 4).text(KES_INSET_SLOT_HEADER, "Stats").text(KES_INSET_SLOT_FONT, "SWISS");
  s.word(KES_INSET_SLOT_POSITION, "NW");
  ASSERT_EQ(build(single({1, 2, 3, 4, 5})), 0);
  kes_inset_frame f{};
  f.L = 10, f.R = 90, f.B = 10, f.T = 90, f.plot_left = 10, f.plot_width = 80, f.plot_bottom = 10,
  f.plot_height = 80, f.aspect = 1;
  kes_inset_positions(&ctx, f);
  kesidrw(&ctx);
  // Left 10 + gap 0 (no offsets): the box spans 10..25 and 68..90, its rule at
  // 90 - 4 - 2 x 2; the header's baseline 90 - 2 - 4, the rows' 84 - 4 - 4 and 6 lower.
  EXPECT_EQ(drawn, (std::vector<std::string>{"fill EMPTY 10,68-25,82", "line", "line", "line",
                                             "text Stats @12,84 left", "text N @12,76 left", "text 5 @23,76 right",
                                             "text Mean @12,70 left", "text 3 @23,70 right"}));
}

// A "TM" box with three columns: rows 1, 2 and 3 share the first line, row 4 starts
// the second (label width 13, value width 8, 3 columns in 98 % of the page).
TEST_F(InsetDraw, ATopMarginBoxFlowsItsRowsInColumns) {
  inset_stmt& s = inset({0, 2, 4, 5});
  s.node.num(KES_INSET_SLOT_HEIGHT, 2).text(KES_INSET_SLOT_FONT, "SWISS");
  s.word(KES_INSET_SLOT_POSITION, "TM");
  ASSERT_EQ(build(single({1, 2, 3, 4, 5})), 0);
  double area[4] = {0, 0, 100, 100};
  ASSERT_EQ(kes_inset_margins(&ctx, area, 0, 0), 0);
  EXPECT_EQ(box(0)->ncols, 3);
  kesidrw(&ctx);
  std::vector<std::string> labels;
  for (const std::string& d : drawn)
    if (d.find(" left") != std::string::npos) labels.push_back(d.substr(5, d.find(" @") - 5) + d.substr(d.find(',')));
  EXPECT_EQ(labels, (std::vector<std::string>{"N,97 left", "Mean,97 left", "Std Deviation,97 left", "Variance,94 left"}));
}

}  // namespace
}  // namespace inset_test
