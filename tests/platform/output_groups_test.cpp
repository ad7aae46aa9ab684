// Output groups, headings and factoids in states a procedure step does not reach in
// the example programs (whose listings and JSON cover the usual layouts and the
// heading lines of each variable, level and BY group): closing an outer group, group
// labels without a heading, a factoid closed twice or given pairs after its end.
#include <gtest/gtest.h>

#include "output/output_messages.h"
#include "output_test_support.h"

namespace {

using namespace out_test;

class GroupTest : public json_system_fixture {
 protected:
  void SetUp() override {
    json_system_fixture::SetUp();
    mgr = make_manager();
    small.define(mgr);
  }
  void emit_small(double v) { small.emit(v); }
  void* open_variable_group(const char* name) {
    wob_attr g[6] = {wob_out(WOB_A_HANDLE),
                     wob_text(WOB_A_NAME, txt(name)),
                     wob_int(WOB_A_CHAR_WIDTH, 6),
                     wob_text(WOB_A_GROUP_KIND, txt("VarName")),
                     wob_text(WOB_A_LABEL, txt(name)),
                     wob_last(WOB_A_GROUP_FLAG, 1)};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_GROUP, 6, g), 0);
    return g[0].w.p;
  }
  void* open_level_group(const char* var, const char* level) {
    std::string label = std::string(var) + "=" + level;
    wob_attr g[9] = {wob_out(WOB_A_HANDLE),
                     wob_text(WOB_A_NAME, txt(level)),
                     wob_int(WOB_A_CHAR_WIDTH, 4),
                     wob_text(WOB_A_GROUP_KIND, txt(var)),
                     wob_text(WOB_A_DETAIL_TEXT, txt("")),
                     wob_int(WOB_A_DECIMALS, 1),
                     wob_int(WOB_A_WIDTH, 4),
                     wob_text(WOB_A_LABEL, txt(label.c_str())),
                     wob_last(WOB_A_GROUP_FLAG, 1)};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_GROUP, 9, g), 0);
    return g[0].w.p;
  }
  void heading(int line, const char* text) {
    wob_attr h[5];
    h[0] = wob_int(WOB_A_LINE_NUMBER, 77);  // the unfilled leading record: whatever the array last held
    h[1] = wob_int(WOB_A_LINE_NUMBER, line);
    h[2] = wob_int(WOB_A_MINUS_ONE, -1);
    h[3] = wob_text(WOB_A_HEADING_TEXT, txt(text));
    h[4] = wob_last(WOB_A_FIRST_LINE, line == 1);
    ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_HEADING, 5, h), 0);
  }
  int count_lines(const std::string& text) const {
    int n = 0;
    for (const auto& l : lines) n += l.find(text) != std::string::npos;
    return n;
  }

  void* mgr = nullptr;
  small_table small;
};

// Level texts come padded from the module; the JSON context holds them trimmed.
TEST_F(GroupTest, ClassLevelsLoseTheirBlanksInTheJsonContext) {
  void* var = open_variable_group("Height");
  for (const char* level : {"F   ", "  M"}) {
    void* lev = open_level_group("Sex", level);
    emit_small(1);
    ASSERT_EQ(wobclose(lev), 0);
  }
  ASSERT_EQ(wobclose(var), 0);
  emit_small(2);  // outside every group: no context left over
  jvalue doc = json_doc();
  const jvalue& outs = doc["steps"][0]["outputs"];
  ASSERT_EQ(outs.arr.size(), 3u);
  EXPECT_EQ(outs[0]["groups"][1]["name"].str, "F");
  EXPECT_EQ(outs[0]["class"][0]["level"].str, "F");
  EXPECT_EQ(outs[1]["class"][0]["level"].str, "M");
  EXPECT_EQ(outs[2]["groups"].arr.size(), 0u);
  EXPECT_EQ(outs[2]["class"].arr.size(), 0u);
  EXPECT_FALSE(outs[2].has("variable"));
}

TEST_F(GroupTest, ClosingAnOuterGroupClosesTheGroupsInsideIt) {
  void* var = open_variable_group("Height");
  open_level_group("Sex", "F");
  ASSERT_EQ(wobclose(var), 0);
  EXPECT_TRUE(sys->group_path().empty());
  // Its handle is not used again: a second close is refused with a message.
  EXPECT_EQ(wobclose(var), plat::out::kErrHandle);
  EXPECT_EQ(log_entries().back().number, plat::out::msg::kStale);
  emit_small(1);
  EXPECT_EQ(json_doc()["steps"][0]["outputs"][0]["groups"].arr.size(), 0u);
}

TEST_F(GroupTest, GroupLabelsShowWhenNoHeadingCoversThem) {
  heading(1, "The KESTRAVINE Procedure");
  void* var = open_variable_group("Height");
  heading(2, "Variable:  Height");  // the heading says where the output stands
  emit_small(1);
  wob_attr g[6] = {wob_out(WOB_A_HANDLE),
                   wob_text(WOB_A_NAME, txt("Histogram")),
                   wob_text(WOB_A_GROUP_KIND, txt("Histogram")),
                   wob_dbl(WOB_A_ORDINAL, 1),
                   wob_text(WOB_A_LABEL, txt("Histogram 1: Height")),
                   wob_last(WOB_A_GROUP_FLAG, 1)};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_GROUP, 6, g), 0);
  emit_small(2);
  emit_small(3);
  EXPECT_EQ(count_lines("Histogram 1: Height"), 1);
  EXPECT_EQ(count_lines("Height"), 2);  // the heading line and the group label
  wobclose(g[0].w.p);
  wobclose(var);
}

TEST_F(GroupTest, AFactoidGoesOutOnceWhenClosedAndRefusesLatePairs) {
  wob_attr c[9] = {wob_str(WOB_A_FAMILY, "vem", 3),
                   wob_str(WOB_A_CLASS, "factoid", 7),
                   wob_out(WOB_A_HANDLE),
                   wob_text(WOB_A_TEMPLATE, txt("orbo.kestravine.Moments")),
                   wob_int(WOB_A_MINUS_ONE, -1),
                   wob_text(WOB_A_NAME, txt("Moments")),
                   wob_text(WOB_A_LABEL, txt("Moments")),
                   wob_text(WOB_A_TOC_LABEL, txt("Moments")),
                   wob_last(WOB_A_TOC_WANTED, 1)};
  ASSERT_EQ(wobmth(root, nullptr, WOB_M_CREATE, 9, c), 0);
  void* f = c[2].w.p;
  const char* left[3] = {"N", "Mean", "Std Deviation"};
  const char* right[3] = {"Sum Weights", "Sum Observations", "Variance"};
  const double lv[3] = {10, 12.5, 2.5}, rv[3] = {10, 125, 6.25};
  for (int i = 0; i < 3; ++i) {
    wob_attr l[4] = {wob_text(WOB_A_LABEL, txt(left[i])), wob_dbl(WOB_A_VALUE, lv[i]), wob_int(WOB_A_WIDTH, 10),
                     wob_int(WOB_A_DECIMALS, 99)};
    ASSERT_EQ(wobmth(f, nullptr, WOB_M_FACTOID_ROW, 4, l), 0);
    wob_attr r[5] = {wob_int(WOB_A_POSITION, 2), wob_text(WOB_A_LABEL, txt(right[i])), wob_dbl(WOB_A_VALUE, rv[i]),
                     wob_int(WOB_A_WIDTH, 10), wob_int(WOB_A_DECIMALS, 99)};
    ASSERT_EQ(wobmth(f, nullptr, WOB_M_FACTOID_ROW, 5, r), 0);
  }
  ASSERT_EQ(wobmth(f, nullptr, WOB_M_END_ROWS, 0, nullptr), 0);
  // Pairs after the end are refused.
  wob_attr late[2] = {wob_text(WOB_A_LABEL, txt("Late")), wob_dbl(WOB_A_VALUE, 1)};
  EXPECT_EQ(wobmth(f, nullptr, WOB_M_FACTOID_ROW, 2, late), plat::out::kErrOrder);
  EXPECT_EQ(sys->emitted(), 0);  // a factoid goes out when it is closed
  ASSERT_EQ(wobclose(f), 0);
  EXPECT_EQ(sys->emitted(), 1);
  // Then it is gone: neither a second close nor a pair reaches it.
  EXPECT_EQ(wobclose(f), plat::out::kErrHandle);
  EXPECT_EQ(wobmth(f, nullptr, WOB_M_FACTOID_ROW, 2, late), plat::out::kErrHandle);
  EXPECT_EQ(sys->emitted(), 1);
}

}  // namespace
