// Output groups, headings, BY lines, factoids and template looks: what the listing
// shows around and inside a table, and the context the JSON records for it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "output_test_support.h"

namespace {

using namespace out_test;

double underscore_missing() {
  std::uint64_t b = 0xFFFFFF0000000000ull;  // the host's '_' missing value
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

class GroupTest : public json_system_fixture {
 protected:
  void SetUp() override {
    json_system_fixture::SetUp();
    mgr = make_manager();
    // A one-column table reused by the tests.
    wob_attr c[5] = {wob_str(143, "vem", 3), wob_str(146, "data", 4), wob_out(144),
                     wob_text(138, txt("Small")), wob_text(296, txt("Small Table"))};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_CREATE, 5, c), 0);
    table = c[2].w.p;
    wob_attr col[4] = {wob_int(103, 5), wob_text(138, txt("Value")), wob_text(296, txt("Value")),
                       wob_addr(285, &value)};
    EXPECT_EQ(wobmth(table, nullptr, WOB_M_DEFINE_COLUMN, 4, col), 0);
    EXPECT_EQ(wobmth(table, nullptr, WOB_M_END_DEFINE, 0, nullptr), 0);
  }
  void emit_small(double v) {
    wob_attr b[3] = {wob_out(0), wob_out(0, table), wob_text(339, txt("orbo.kestravine.Small"))};
    ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 3, b), 0);
    value = v;
    ASSERT_EQ(wobmth(table, nullptr, WOB_M_ADD_ROW, 0, nullptr), 0);
    ASSERT_EQ(wobmth(table, nullptr, WOB_M_END_ROWS, 0, nullptr), 0);
    wob_attr e[1] = {wob_out(0, b[0].w.p)};
    ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_EMIT, 1, e), 0);
  }
  void* open_variable_group(const char* name) {
    wob_attr g[6] = {wob_out(144), wob_text(138, txt(name)), wob_int(289, 6), wob_text(288, txt("VarName")),
                     wob_text(296, txt(name)), wob_last(286, 1)};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_GROUP, 6, g), 0);
    return g[0].w.p;
  }
  void* open_level_group(const char* var, const char* level) {
    std::string label = std::string(var) + "=" + level;
    wob_attr g[9] = {wob_out(144),        wob_text(138, txt(level)),          wob_int(289, 4),
                     wob_text(288, txt(var)), wob_text(340, txt("")),        wob_int(270, 1),
                     wob_int(272, 4),     wob_text(296, txt(label.c_str())), wob_last(286, 1)};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_GROUP, 9, g), 0);
    return g[0].w.p;
  }
  void heading(int line, const char* text) {
    wob_attr h[5];
    h[0] = wob_int(440, 77);  // the unfilled leading record: whatever the array last held
    h[1] = wob_int(440, line);
    h[2] = wob_int(148, -1);
    h[3] = wob_text(577, txt(text));
    h[4] = wob_last(2558, line == 1);
    ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_HEADING, 5, h), 0);
  }
  void heading_count(int n) {
    wob_attr h[2] = {wob_text(577, txt("stale")), wob_int(442, n)};
    ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_HEADING, 2, h), 0);
  }
  int count_lines(const std::string& text) const {
    int n = 0;
    for (const auto& l : lines) n += l.find(text) != std::string::npos;
    return n;
  }

  void* mgr = nullptr;
  void* table = nullptr;
  double value = 0;
};

TEST_F(GroupTest, NestedGroupsGiveTheJsonPathAndClassContext) {
  void* var = open_variable_group("Height");
  void* lev = open_level_group("Sex", "F   ");
  emit_small(1);
  ASSERT_EQ(wobclose(lev), 0);
  void* lev2 = open_level_group("Sex", "  M");
  emit_small(2);
  ASSERT_EQ(wobclose(lev2), 0);
  emit_small(3);
  ASSERT_EQ(wobclose(var), 0);
  emit_small(4);

  jvalue doc = json_doc();
  const jvalue& outs = doc["steps"][0]["outputs"];
  ASSERT_EQ(outs.arr.size(), 4u);
  const jvalue& first = outs[0];
  ASSERT_EQ(first["groups"].arr.size(), 2u);
  EXPECT_EQ(first["groups"][0]["name"].str, "Height");
  EXPECT_EQ(first["groups"][0]["kind"].str, "VarName");
  EXPECT_EQ(first["groups"][1]["name"].str, "F");  // trailing blanks gone
  EXPECT_EQ(first["variable"].str, "Height");
  ASSERT_EQ(first["class"].arr.size(), 1u);
  EXPECT_EQ(first["class"][0]["name"].str, "Sex");
  EXPECT_EQ(first["class"][0]["level"].str, "F");
  EXPECT_EQ(outs[1]["class"][0]["level"].str, "M");  // leading blanks gone too
  EXPECT_EQ(outs[2]["groups"].arr.size(), 1u);
  EXPECT_EQ(outs[2]["class"].arr.size(), 0u);
  EXPECT_EQ(outs[3]["groups"].arr.size(), 0u);
  EXPECT_FALSE(outs[3].has("variable"));
}

TEST_F(GroupTest, ClosingAnOuterGroupClosesTheGroupsInsideIt) {
  void* var = open_variable_group("Height");
  open_level_group("Sex", "F");
  ASSERT_EQ(wobclose(var), 0);
  EXPECT_TRUE(sys->group_path().empty());
  ASSERT_EQ(wobclose(var), 0);  // closing twice does no harm
  emit_small(1);
  EXPECT_EQ(json_doc()["steps"][0]["outputs"][0]["groups"].arr.size(), 0u);
}

TEST_F(GroupTest, HeadingLinesAreCentredOnceBeforeTheNextOutput) {
  heading(1, "The KESTRAVINE Procedure");
  heading(2, "Variable:  Height");
  emit_small(1);
  emit_small(2);
  // 80 columns: (80 - 24) / 2 = 28 and (80 - 17) / 2 = 31 blanks.
  EXPECT_EQ(count_lines("The KESTRAVINE Procedure"), 1);
  EXPECT_EQ(lines[1], std::string(28, ' ') + "The KESTRAVINE Procedure");
  EXPECT_EQ(lines[2], std::string(31, ' ') + "Variable:  Height");
  // The variable's lines are dropped (count 2 keeps line 1); a new variable's line 2
  // brings the heading back.
  heading_count(2);
  EXPECT_EQ(sys->heading().size(), 1u);
  heading(2, "Variable:  Weight");
  heading(4, "Sex = F");
  heading_count(5);
  emit_small(3);
  EXPECT_EQ(count_lines("The KESTRAVINE Procedure"), 2);
  EXPECT_EQ(count_lines("Variable:  Weight"), 1);
  ASSERT_EQ(sys->heading().size(), 4u);
  EXPECT_EQ(sys->heading()[2], "");  // line 3 left empty
  EXPECT_EQ(count_lines("stale"), 0);
  // A new grouping shows the unchanged heading again.
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_GROUPING, 0, nullptr), 0);
  emit_small(4);
  EXPECT_EQ(count_lines("Variable:  Weight"), 2);
}

TEST_F(GroupTest, NothingPrintedMeansNoHeading) {
  wob_attr a[1] = {wob_int(433, 1)};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_NOPRINT, 1, a), 0);
  heading(1, "The KESTRAVINE Procedure");
  emit_small(1);
  EXPECT_EQ(count_lines("The KESTRAVINE Procedure"), 0);
}

TEST_F(GroupTest, GroupLabelsShowWhenNoHeadingCoversThem) {
  heading(1, "The KESTRAVINE Procedure");
  void* var = open_variable_group("Height");
  heading(2, "Variable:  Height");  // the heading says where the output stands
  emit_small(1);
  wob_attr g[6] = {wob_out(144), wob_text(138, txt("Histogram")), wob_text(288, txt("Histogram")),
                   wob_dbl(437, 1), wob_text(296, txt("Histogram 1: Height")), wob_last(286, 1)};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_GROUP, 6, g), 0);
  emit_small(2);
  emit_small(3);
  EXPECT_EQ(count_lines("Histogram 1: Height"), 1);
  EXPECT_EQ(count_lines("Height"), 2);  // the heading line and the group label
  wobclose(g[0].w.p);
  wobclose(var);
}

TEST_F(GroupTest, ByValuesGoToTheListingAndTheJson) {
  sys->set_by({{"Site", "North"}, {"Year", "2001"}});
  emit_small(1);
  emit_small(2);
  sys->set_by({{"Site", "South"}, {"Year", "2001"}});
  emit_small(3);
  EXPECT_EQ(count_lines(" Site=North Year=2001 "), 1);
  EXPECT_EQ(count_lines(" Site=South Year=2001 "), 1);
  for (const auto& l : lines)
    if (l.find("Site=") != std::string::npos) {
      EXPECT_EQ(l.size(), 80u) << l;
    }
  jvalue doc = json_doc();
  const jvalue& o = doc["steps"][0]["outputs"][2];
  ASSERT_EQ(o["by"].arr.size(), 2u);
  EXPECT_EQ(o["by"][0]["name"].str, "Site");
  EXPECT_EQ(o["by"][0]["value"].str, "South");
}

TEST_F(GroupTest, MomentsFactoidPutsTwoPairsOnALine) {
  wob_attr c[9] = {wob_str(143, "vem", 3),   wob_str(146, "factoid", 7),
                   wob_out(144),             wob_text(339, txt("orbo.kestravine.Moments")),
                   wob_int(148, -1),         wob_text(138, txt("Moments")),
                   wob_text(296, txt("Moments")), wob_text(267, txt("Moments")),
                   wob_last(295, 1)};
  ASSERT_EQ(wobmth(root, nullptr, WOB_M_CREATE, 9, c), 0);
  void* f = c[2].w.p;
  const char* left[3] = {"N", "Mean", "Std Deviation"};
  const char* right[3] = {"Sum Weights", "Sum Observations", "Variance"};
  const double lv[3] = {10, 12.5, 2.5}, rv[3] = {10, 125, 6.25};
  for (int i = 0; i < 3; ++i) {
    wob_attr l[4] = {wob_text(296, txt(left[i])), wob_dbl(287, lv[i]), wob_int(272, 10), wob_int(270, 99)};
    ASSERT_EQ(wobmth(f, nullptr, WOB_M_FACTOID_ROW, 4, l), 0);
    wob_attr r[5] = {wob_int(376, 2), wob_text(296, txt(right[i])), wob_dbl(287, rv[i]), wob_int(272, 10),
                     wob_int(270, 99)};
    ASSERT_EQ(wobmth(f, nullptr, WOB_M_FACTOID_ROW, 5, r), 0);
  }
  ASSERT_EQ(wobmth(f, nullptr, WOB_M_END_ROWS, 0, nullptr), 0);
  EXPECT_EQ(sys->emitted(), 0);  // a factoid goes out when it is closed
  ASSERT_EQ(wobclose(f), 0);
  EXPECT_EQ(sys->emitted(), 1);
  ASSERT_EQ(wobclose(f), 0);
  EXPECT_EQ(sys->emitted(), 1);

  // Label widths 13 and 16, value widths 4 and 4: 13+2+4+4+16+2+4 = 45 wide,
  // indented (80 - 45) / 2 = 17.
  const std::string in(17, ' ');
  const std::vector<std::string> want = {
      "",
      std::string(36, ' ') + "Moments",
      "",
      in + "N" + std::string(12, ' ') + "    10    Sum Weights" + std::string(5, ' ') + "    10",
      in + "Mean" + std::string(9, ' ') + "  12.5    Sum Observations   125",
      in + "Std Deviation   2.5    Variance" + std::string(8, ' ') + "  6.25",
  };
  EXPECT_EQ(lines, want) << listing();
  jvalue doc = json_doc();
  const jvalue& o = doc["steps"][0]["outputs"][0];
  EXPECT_EQ(o["kind"].str, "factoid");
  ASSERT_EQ(o["pairs"].arr.size(), 6u);
  EXPECT_EQ(o["pairs"][3]["label"].str, "Sum Observations");
  EXPECT_EQ(o["pairs"][3]["value"].num, 125);
  EXPECT_EQ(o["pairs"][3]["position"].num, 2);
  // Pairs after the end are refused.
  wob_attr late[2] = {wob_text(296, txt("Late")), wob_dbl(287, 1)};
  EXPECT_EQ(wobmth(f, nullptr, WOB_M_FACTOID_ROW, 2, late), plat::out::kErrOrder);
}

// The Quantiles table with distribution-free limits: a spanning header from the
// definition's dynamics, blank '_' cells, estimates sharing their decimals.
TEST_F(GroupTest, QuantilesSpanAndUnderscoreMissing) {
  struct {
    char text1[40];
    double num[8];
  } rb;
  wob_attr c[6] = {wob_str(143, "vem", 3), wob_str(146, "data", 4), wob_out(144), wob_int(148, -1),
                   wob_text(138, txt("Quantiles")), wob_text(296, txt("Quantiles"))};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_CREATE, 6, c), 0);
  void* t = c[2].w.p;
  auto numcol = [&](const char* name, const char* label, int k, bool fmt) {
    wob_attr a[7] = {wob_int(103, 5), wob_text(138, txt(name)), wob_text(296, label ? txt(label) : nullptr),
                     wob_addr(285, &rb.num[k]), wob_int(270, 6), wob_int(272, 12), wob_int(337, 5)};
    ASSERT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, fmt ? 7 : 4, a), 0);
  };
  wob_attr q[4] = {wob_int(103, 6), wob_text(138, txt("Quantile")), wob_addr(285, rb.text1), wob_int(289, 10)};
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 4, q), 0);
  numcol("Estimate", nullptr, 0, true);
  numcol("LCLDistFree", "95% Lower", 3, true);
  numcol("UCLDistFree", "95% Upper", 4, true);
  numcol("LCLRank", "Lower Rank", 5, false);
  wob_attr d[8] = {wob_text(311, txt("StartDF")), wob_text(287, txt("LCLDistFree")),
                   wob_text(311, txt("EndDF")),   wob_text(287, txt("UCLDistFree")),
                   wob_text(311, txt("SpanDF")),  wob_text(287, txt("Distribution Free")),
                   wob_text(311, txt("StartNormal")), wob_text(287, txt("LCLNormal"))};
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_DYNAMIC, 8, d), 0);
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_END_DEFINE, 0, nullptr), 0);
  wob_attr b[5] = {wob_out(0), wob_out(0, t), wob_text(339, txt("orbo.kestravine.Quantiles")),
                   wob_text(311, txt("QntlHdr")), wob_text(287, txt("Quantiles (Definition 5)"))};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 5, b), 0);
  const double u = underscore_missing();
  struct qrow {
    const char* label;
    double est, lo, hi, rank;
  } rows[3] = {{"100% Max", 20, u, u, u}, {"50% Median", 12.5, 10, 15, 3}, {"0% Min", 5, u, u, u}};
  for (const auto& r : rows) {
    std::memset(rb.text1, ' ', 40);
    std::memcpy(rb.text1, r.label, std::strlen(r.label));
    rb.num[0] = r.est;
    rb.num[3] = r.lo;
    rb.num[4] = r.hi;
    rb.num[5] = r.rank;
    ASSERT_EQ(wobmth(t, nullptr, WOB_M_ADD_ROW, 0, nullptr), 0);
  }
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_END_ROWS, 0, nullptr), 0);
  wob_attr e[1] = {wob_out(0, b[0].w.p)};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_EMIT, 1, e), 0);

  std::string text = listing();
  EXPECT_NE(text.find("Quantiles (Definition 5)"), std::string::npos) << text;  // title from QntlHdr
  // Widths: Quantile 10, Estimate 8 ("Estimate"), the limits 5 ("Lower"/"Upper"),
  // rank 5; the span "- Distribution Free -" needs 21 over 5 + 2 + 5, so the upper
  // limit column widens to 14. The table is 10+2+8+2+5+2+14+2+5 = 50 wide, indent 15.
  // Each column shares its own decimals: the limits need none.
  const std::string in(15, ' ');
  EXPECT_NE(text.find(in + std::string(22, ' ') + "- Distribution Free -\n"), std::string::npos) << text;
  EXPECT_NE(text.find(in + "100% Max        20.0\n"), std::string::npos) << text;
  EXPECT_NE(text.find(in + "50% Median      12.5     10              15      3\n"), std::string::npos) << text;
  EXPECT_NE(text.find(in + "0% Min           5.0\n"), std::string::npos) << text;
  jvalue doc = json_doc();
  EXPECT_EQ(doc["steps"][0]["outputs"][0]["rows"][0]["LCLDistFree"]["missing"].str, "_");
}

TEST_F(GroupTest, LocationTestsHideMu0AndShowPValues) {
  struct {
    char text1[40], text2[40], text3[40];
    double num[3];
  } rb;
  wob_attr c[5] = {wob_str(143, "vem", 3), wob_str(146, "data", 4), wob_out(144),
                   wob_text(138, txt("TestsForLocation")), wob_text(296, txt("Tests for Location"))};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_CREATE, 5, c), 0);
  void* t = c[2].w.p;
  const char* chars[3] = {"Test", "Testlab", "pType"};
  char* cells[3] = {rb.text1, rb.text2, rb.text3};
  const char* nums[3] = {"Stat", "pValue", "Mu0"};
  wob_attr a0[4] = {wob_int(103, 6), wob_text(138, txt(chars[0])), wob_addr(285, cells[0]), wob_int(289, 11)};
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 4, a0), 0);
  wob_attr a1[4] = {wob_int(103, 6), wob_text(138, txt(chars[1])), wob_addr(285, cells[1]), wob_int(289, 1)};
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 4, a1), 0);
  wob_attr n0[3] = {wob_int(103, 5), wob_text(138, txt(nums[0])), wob_addr(285, &rb.num[0])};
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 3, n0), 0);
  wob_attr a2[4] = {wob_int(103, 6), wob_text(138, txt(chars[2])), wob_addr(285, cells[2]), wob_int(289, 8)};
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 4, a2), 0);
  for (int k = 1; k < 3; ++k) {
    wob_attr n[3] = {wob_int(103, 5), wob_text(138, txt(nums[k])), wob_addr(285, &rb.num[k])};
    ASSERT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 3, n), 0);
  }
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_END_DEFINE, 0, nullptr), 0);
  wob_attr b[5] = {wob_out(0), wob_out(0, t), wob_text(339, txt("orbo.kestravine.Location")),
                   wob_text(311, txt("LocHdr")), wob_text(287, txt("Tests for Location: Mu0=0"))};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 5, b), 0);
  std::memset(&rb, ' ', sizeof rb);
  std::memcpy(rb.text1, "Student's t", 11);
  rb.text2[0] = 't';
  std::memcpy(rb.text3, "Pr > |t|", 8);
  rb.num[0] = 8.71;
  rb.num[1] = 0.00001;
  rb.num[2] = 0;
  ASSERT_EQ(wobmth(t, nullptr, WOB_M_ADD_ROW, 0, nullptr), 0);
  wob_attr e[1] = {wob_out(0, b[0].w.p)};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_EMIT, 1, e), 0);
  std::string text = listing();
  EXPECT_NE(text.find("Tests for Location: Mu0=0"), std::string::npos) << text;
  EXPECT_NE(text.find("Student's t  t        8.71  Pr > |t|  <.0001\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("Mu0\n"), std::string::npos) << text;
  // The JSON keeps every column.
  jvalue doc = json_doc();
  EXPECT_EQ(doc["steps"][0]["outputs"][0]["rows"][0]["Mu0"].num, 0);
  EXPECT_EQ(doc["steps"][0]["outputs"][0]["rows"][0]["pValue"].num, 0.00001);
}

TEST_F(GroupTest, EmitFootnotesFollowTheTable) {
  wob_attr b[3] = {wob_out(0), wob_out(0, table), wob_text(339, txt("orbo.kestravine.Measures"))};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 3, b), 0);
  value = 4;
  ASSERT_EQ(wobmth(table, nullptr, WOB_M_ADD_ROW, 0, nullptr), 0);
  wob_attr e[2] = {wob_out(0, b[0].w.p), wob_text(378, txt("Note: The mode displayed is the smallest of 2 modes with a count of 3."))};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_EMIT, 2, e), 0);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_NE(lines.back().find("smallest of 2 modes"), std::string::npos);
  EXPECT_EQ(json_doc()["steps"][0]["outputs"][0]["footnotes"].arr.size(), 1u);
}

}  // namespace
