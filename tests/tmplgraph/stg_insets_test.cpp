// Insets of template graphs: the dynamics of compass and margin boxes (CFILL=/BLANK,
// blocks with family headers), the label rows of the CLASS form and each cell's
// values, and the rows an inset data set names across cells.
#include <cstring>
#include <map>

#include "core/format_ids.h"
#include "data/dataset.h"
#include "host/host_services.h"
#include "inset/kes_inset.h"
#include "kes_gram_names.h"
#include "output/text_store.h"
#include "records/pool_alloc.h"
#include "support/inset_fixture.h"
#include "support/scratch_files.h"
#include "tmplgraph/kes_stgraph.h"
#include "tmplgraph/stg_insets.h"

namespace inset_test {
namespace {

using strings = std::vector<std::string>;

class StgInsets : public inset_fixture {
 protected:
  void TearDown() override {
    if (dyn.items != nullptr) vmfree_handler(v_global_gcb_anchor->taskpool, dyn.items, -1, 4);
    inset_fixture::TearDown();
  }
  // The graph's dynamics as "NAME=value" in order.
  strings dynamics() {
    strings out;
    for (int i = 0; i + 1 < dyn.count; i += 2) {
      const wob_attr& n = dyn.items[i];
      const wob_attr& v = dyn.items[i + 1];
      std::string value;
      if (v.type == WOB_TEXT) value = *plat::out::text_of(v.w.p);
      else if (v.type == WOB_DOUBLE) value = std::to_string(v.w.d);
      else if (v.type == WOB_INT) value = std::to_string(v.i);
      else value = std::to_string(v.last.i);
      out.push_back(*plat::out::text_of(n.w.p) + "=" + value);
    }
    return out;
  }
  std::string dyn_value(const std::string& name) {
    std::string v = "(none)";
    for (const std::string& d : dynamics())
      if (d.compare(0, name.size() + 1, name + "=") == 0) v = d.substr(name.size() + 1);
    return v;
  }
  void zero_graph() {
    g = kes_stgraph{};
    g.dyn = &dyn;
  }
  kes_dynlist dyn{};
  kes_stgraph g{};
};

TEST_F(StgInsets, CompassBoxDynamicsWithHeaderAndBlankFill) {
  zero_graph();
  kes_cell* c = single({1, 2, 3, 4, 5});
  inset_stmt& s = inset({0, 100, 2}).label("Count");
  s.word(KES_INSET_SLOT_POSITION, "NE").node.text(KES_INSET_SLOT_HEADER, "Summary");
  s.word(KES_INSET_SLOT_CFILL, "BLANK");
  ASSERT_EQ(build(c), 0);
  kesistgr0(&ctx, &g);
  EXPECT_EQ(dynamics(), (strings{"_INSET1=1", "_I1_VALIGN=TOP", "_I1_HALIGN=RIGHT", "_I1_HEADER=Summary",
                                 "_I1_BORDER=1", "_I1_CFILL=1", "_I1_BGCOLOR=GraphWalls:Color", "_I1_LABEL1=Count",
                                 "_I1_VALUE1=5", "_I1_LABEL2=Mean", "_I1_VALUE2=3", "_PADLEGEND=0.000000"}));
}

TEST_F(StgInsets, BottomMarginBoxWithALegendPadsTheLegend) {
  zero_graph();
  g.legendtitle = 1;
  kes_cell* c = single({1, 2, 3});
  inset({0}).word(KES_INSET_SLOT_POSITION, "BM").node.num(KES_INSET_SLOT_GUTTER, 0);
  inset({2}).word(KES_INSET_SLOT_POSITION, "BM").node.flag(KES_INSET_FLAG_CFILL_DEFAULT);
  ASSERT_EQ(build(c), 0);
  kesistgr0(&ctx, &g);
  EXPECT_EQ(dynamics(),
            (strings{"_PADBOTTOM=5.000000", "_MARGIN2=BOTTOM", "_M2_NCOLS=6", "_M2_GUTTER=0.000000 pct", "_M2_BORDER=1",
                     "_M2_CFILL=0", "_M2_LABEL1=N", "_M2_VALUE1=3",
                     // The second box in the same margin writes the same names after it.
                     "_PADBOTTOM=5.000000", "_MARGIN2=BOTTOM", "_M2_NCOLS=6", "_M2_GUTTER=4.000000 pct",
                     "_M2_BORDER=1", "_M2_CFILL=1", "_M2_BGCOLOR=GraphWalls:Color", "_M2_LABEL1=Mean", "_M2_VALUE1=2",
                     "_MARGININSET=1", "_PADLEGEND=5.000000"}));
}

TEST_F(StgInsets, BlocksUnderFamilyHeadersGetAFamilyLabel) {
  zero_graph();
  kes_cell* c = single({1, 2, 3, 4, 5});
  curve(c, KES_DIST_NORMAL, {10, 2});
  curve(c, KES_DIST_NORMAL, {11, 3});
  inset({49, 49});
  inset({49, 49}).word(KES_INSET_SLOT_POSITION, "TM");
  ASSERT_EQ(build(c), 0);
  kesistgr0(&ctx, &g);
  const strings d = dynamics();
  // A compass box: the family name takes a label of its own.
  EXPECT_EQ(dyn_value("_I1_LABEL1"), "Normal");
  EXPECT_EQ(dyn_value("_I1_VALUE1"), "(none)");
  EXPECT_EQ(dyn_value("_I1_LABEL2"), "Mean");
  EXPECT_EQ(dyn_value("_I1_VALUE2"), "10");
  EXPECT_EQ(dyn_value("_I1_LABEL4"), "Normal");
  // A top-margin box: the family name leads the row's own label.
  EXPECT_EQ(dyn_value("_M1_LABEL1"), "Normal Mean");
  EXPECT_EQ(dyn_value("_M1_VALUE1"), "10");
  // In a top or bottom box every row of a block is a first row.
  EXPECT_EQ(dyn_value("_M1_LABEL2"), "Normal Std Dev");
}

// ---- The CLASS form ----

class StgClassInsets : public StgInsets {
 protected:
  kes_cell* level(const std::string& text, const std::vector<double>& values, kes_cell* parent = nullptr) {
    kes_cell* c = made.cell(cv, text, parent);
    c->slots = &slots_.emplace_back();
    if (!values.empty() || parent != nullptr || cv.count == 1) {
      c->varsums = made.summary(values);
      slot(c)->n = static_cast<int>(c->varsums->n);
      if (cv.keycell == nullptr) cv.keycell = c;
    }
    return c;
  }
  strings values(kes_cell* c) {
    kes_stg_inset_values(&ctx, c, ctx.insets);
    strings out;
    for (kes_inset* r = ctx.insets->rows; r != nullptr; r = r->next) {
      out.push_back(text_of(r->value, r->value_len));
      std::memset(r->value, ' ', KES_INSET_TEXT);
      r->value_len = 0;
    }
    return out;
  }
  strings labels() {
    strings out;
    for (kes_inset* r = ctx.insets->rows; r != nullptr; r = r->next) out.push_back(text_of(r->label, r->label_len));
    return out;
  }
};

TEST_F(StgClassInsets, OneBoxOfLabelsAndEachCellsValues) {
  // A format named before in the process (a run's BEST8.) takes a word of its own: a
  // w.d format still prints its decimals.
  plat::format_id("BEST");
  cv.count = 1;
  zero_graph();
  kes_cell* a = level("A", {1, 2, 3});
  kes_cell* b = level("B", {4, 5, 6, 7});
  kes_cell* e = level("E", {});
  for (kes_cell* c : {a, b, e}) curve(c, KES_DIST_NORMAL, {c == a ? 2.0 : 5.5, 1}, c != e);
  curves_.back()[0].fitted = 0;
  // The first cell's fit failed in B: its block stays blank there.
  slot(b)->curves[0].fitted = 0;
  inset({0, 49, 49, 2, 200}).format(6, 3);
  inset({0});
  ASSERT_EQ(kesiinit(&ctx, &g), 0);
  EXPECT_EQ(labels(), (strings{"N", "Normal", "Mean", "Std Dev", "Mean"}));
  EXPECT_EQ(values(a), (strings{"3", "1", "2", "1", "2.000"}));
  EXPECT_EQ(values(b), (strings{"4", "", "", "", "5.500"}));
  // A cell without observations keeps its row, blank.
  EXPECT_EQ(values(e), (strings{"", "", "", "", ""}));
  EXPECT_EQ(notes(), "439/305");
}

TEST_F(StgClassInsets, AMarginPositionIsRefusedOnce) {
  cv.count = 1;
  zero_graph();
  level("A", {1, 2});
  inset({0}).word(KES_INSET_SLOT_POSITION, "LM");
  ASSERT_EQ(kesiinit(&ctx, &g), 0);
  EXPECT_FALSE(ctx.insets->enabled);
  ASSERT_EQ(kesiinit(&ctx, &g), 0);
  EXPECT_EQ(notes(), "189/298");
}

TEST_F(StgClassInsets, OverlaidGraphsHaveNoInsets) {
  cv.count = 1;
  zero_graph();
  g.overlay = 1;
  level("A", {1, 2});
  inset({0});
  EXPECT_EQ(kesiinit(&ctx, &g), 3000);
  EXPECT_EQ(notes(), "189/348");
}

// The rows follow the device blocks' formulas on a QQ plot with a reference line:
// scale b and threshold a for the normal, lognormal scale log b.
TEST_F(StgClassInsets, ReferenceLineParametersPerCell) {
  cv.count = 1;
  zero_graph();
  req.type = KES_PLOT_QQ;
  stmt.flag(KES_PLOT_FLAG_LOGNORMAL);
  kes_cell* a = level("A", {1, 2, 3});
  kes_cell* b = level("B", {4, 5, 6});
  for (kes_cell* c : {a, b}) {
    curve(c, KES_DIST_LOGNORMAL, {0, 1, 0.5});
    slot(c)->line = 1;
    slot(c)->intercept = c == a ? 1 : 2;
    slot(c)->slope = c == a ? 1 : 2.718281828459045;
  }
  inset({50, 50});
  ASSERT_EQ(kesiinit(&ctx, &g), 0);
  EXPECT_EQ(labels(), (strings{"Lognormal", "Sigma", "Scale", "Threshold"}));
  EXPECT_EQ(values(a), (strings{"1", "0.5", "0", "1"}));
  EXPECT_EQ(values(b), (strings{"1", "0.5", "1", "2"}));
}

// ---- Inset data sets ----

class StgInsetData : public StgClassInsets {
 protected:
  kes_test::scratch_work work{"insetdata"};
  kes_dsh open(const std::string& name, const std::string& csv) {
    work.write_file(name + ".csv", csv);
    std::string err;
    plat::dataset* ds = plat::open_input("", name, &err);
    EXPECT_NE(ds, nullptr) << err;
    return plat::handle(ds);
  }
};

TEST_F(StgInsetData, RowsAreTheLabelUnionAcrossCellsAndValuesGoByLabel) {
  cv.count = 1;
  std::memcpy(cv.var[0].name.text, "g", 1);
  cv.var[0].name.len = 1;
  zero_graph();
  kes_cell* a = level("A", {1, 2});
  kes_cell* b = level("B", {3, 4});
  ctx.data = open("input", "x,g\n1,A\n");
  kes_dsh ids = open("labels",
                     "_VAR_,g,_LABEL_,_VALUE_\n"
                     "X,A,Lot,17\nx,A,Shift,day\n"
                     "x,B,Shift,night\nx,B,Lot,23\nx,B,Operator,Kim\ny,B,Other,1\n");
  inset({400}).node.handle(KES_INSET_SLOT_DATA, ids);
  ASSERT_EQ(kesiinit(&ctx, &g), 0);
  EXPECT_EQ(labels(), (strings{"Lot", "Shift", "Operator"}));
  EXPECT_EQ(values(a), (strings{"17", "day", ""}));
  // B's observations come in another order than the rows: each finds its own row.
  EXPECT_EQ(values(b), (strings{"23", "night", "Kim"}));
  EXPECT_EQ(notes(), "");
}

TEST_F(StgInsetData, TwoClassVariablesMatchOnlyTheirCombination) {
  cv.count = 2;
  std::memcpy(cv.var[0].name.text, "g", 1), cv.var[0].name.len = 1;
  std::memcpy(cv.var[1].name.text, "h", 1), cv.var[1].name.len = 1;
  zero_graph();
  kes_cell* a = level("A", {});
  kes_cell* a1 = level("1", {1, 2}, a);
  kes_cell* b = level("B", {});
  kes_cell* b2 = level("2", {3, 4}, b);  // no cell for B and 1
  ctx.data = open("input2", "x,g,h\n1,A,1\n");
  kes_dsh ids = open("labels2", "g,h,_LABEL_,_VALUE_\nA,1,Lot,17\nA,2,Lot,18\nB,2,Lot,19\nB,1,Lot,20\n");
  inset({400}).node.handle(KES_INSET_SLOT_DATA, ids);
  ASSERT_EQ(kesiinit(&ctx, &g), 0);
  EXPECT_EQ(labels(), (strings{"Lot"}));
  EXPECT_EQ(values(a1), (strings{"17"}));
  EXPECT_EQ(values(b2), (strings{"19"}));
  EXPECT_EQ(notes(), "");
}

TEST_F(StgInsetData, MissingVariablesAreNotedAndANumericClassIsMatchedFormatted) {
  cv.count = 1;
  std::memcpy(cv.var[0].name.text, "k", 1), cv.var[0].name.len = 1;
  req.nvars = 2;
  zero_graph();
  kes_cell* one = level("1", {1, 2});
  ctx.data = open("input3", "x,k\n1,1\n");
  kes_dsh ids = open("labels3", "k,_LABEL_,_VALUE_\n1,Lot,2.5\n2,Lot,3\n");
  inset({400}).node.handle(KES_INSET_SLOT_DATA, ids);
  ASSERT_EQ(kesiinit(&ctx, &g), 0);
  EXPECT_EQ(values(one), (strings{"2.5"}));
  EXPECT_EQ(notes(), "439/271");
}

TEST_F(StgInsetData, ADataSetWithoutValueLeavesTheBoxWithoutRows) {
  cv.count = 1;
  std::memcpy(cv.var[0].name.text, "g", 1), cv.var[0].name.len = 1;
  zero_graph();
  level("A", {1, 2});
  ctx.data = open("input5", "x,g\n1,A\n");
  kes_dsh ids = open("labels5", "_LABEL_,other\nLot,1\n");
  inset({400, 0}).node.handle(KES_INSET_SLOT_DATA, ids);
  ASSERT_EQ(kesiinit(&ctx, &g), 0);
  EXPECT_EQ(labels(), (strings{"N"}));
  EXPECT_EQ(notes(), "435/338");
  ASSERT_FALSE(kes_test::note_recorder::notes.empty());
  EXPECT_NE(kes_test::note_recorder::notes[0].text.find("_VALUE_"), std::string::npos);
}

}  // namespace
}  // namespace inset_test
