// Placement of inset boxes on a device graph: default corners and duplicates, compass
// and user positions, percent and data bounds, the shrink factor and its note,
// overlaps; the page-margin layout (columns, spacing, caps) and the side margins.
#include <cmath>
#include <cstring>

#include "inset/inset_place.h"
#include "kes_gram_names.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "support/inset_fixture.h"

namespace inset_test {
namespace {

class InsetPlace : public inset_fixture {
 protected:
  void SetUp() override {
    inset_fixture::SetUp();
    ctx.tmplgraph = 0;
    ctx.devgraph = 1;
    frame.L = 10, frame.R = 90, frame.B = 10, frame.T = 90;
    frame.plot_left = 11, frame.plot_width = 78, frame.plot_bottom = 11, frame.plot_height = 78;
    frame.hbefore = frame.hafter = frame.vbefore = frame.vafter = 1;
    frame.aspect = 1;
    frame.xscale = frame.yscale = 1;
  }
  // A measured box: outer width w + 2, height h, text height 2, margins 1.
  kes_insetbox* add(const char* word, double w = 20, double h = 10, int rows = 3) {
    kes_insetbox& b = boxes_.emplace_back();
    b = kes_insetbox{};
    b.enabled = 1;
    std::memset(b.position, ' ', 8);
    std::memset(b.refpoint, ' ', 8);
    std::memset(b.font, 'X', 1), std::memset(b.font + 1, ' ', 7);
    std::memset(b.fill, ' ', 8);
    if (word != nullptr) {
      std::memcpy(b.position, word, std::strlen(word));
      b.pos_kind = std::strcmp(word, "USER") == 0 ? KES_IPOS_XY : KES_IPOS_WORD;
    }
    b.box_width = w, b.box_height = h;
    b.hmargin = b.vmargin = b.rowgap = 1;
    b.text_height = 2;
    b.nrows = rows;
    b.margin_scale = 1;
    kes_insetbox** at = &ctx.insets;
    while (*at != nullptr) at = &(*at)->next;
    *at = &b;
    return &b;
  }
  std::string word(const kes_insetbox* b) { return std::string(b->position, 2); }
  void place() {
    kesipos(&ctx);
    kes_inset_positions(&ctx, frame);
    kes_inset_fit(&ctx, frame);
    kes_inset_overlaps(&ctx);
  }

  kes_inset_frame frame{};
  std::deque<kes_insetbox> boxes_;
};

TEST_F(InsetPlace, BoxesWithoutPositionTakeTheFreeCornersInOrder) {
  kes_insetbox* a = add(nullptr);
  kes_insetbox* b = add("NE");
  kes_insetbox* c = add(nullptr);
  kes_insetbox* d = add(nullptr);
  kes_insetbox* e = add(nullptr);
  kesipos(&ctx);
  EXPECT_EQ(word(a), "NW");
  EXPECT_EQ(word(b), "NE");
  EXPECT_EQ(word(c), "SW");
  EXPECT_EQ(word(d), "SE");
  EXPECT_FALSE(e->enabled);
  EXPECT_EQ(notes(), "431/648");
}

TEST_F(InsetPlace, ALaterBoxAtTheSamePositionIsDisabledUserBoxesMayShare) {
  add("SE");
  kes_insetbox* b = add("SE");
  kes_insetbox* c = add("SE");
  kes_insetbox* u1 = add("USER");
  kes_insetbox* u2 = add("USER");
  kesipos(&ctx);
  EXPECT_FALSE(b->enabled);
  EXPECT_FALSE(c->enabled);
  EXPECT_TRUE(u1->enabled && u2->enabled);
  EXPECT_EQ(notes(), "431/649");
}

// Corner gaps: min(offset 1, 2 % of the frame width 1.6) = 1, vertically / aspect.
TEST_F(InsetPlace, CompassPositionsInsideTheFrame) {
  kes_insetbox* nw = add("NW");
  kes_insetbox* se = add("SE");
  kes_insetbox* n = add("N", 10, 6);
  kes_insetbox* w = add("W", 10, 6);
  place();
  EXPECT_DOUBLE_EQ(nw->left, 11);
  EXPECT_DOUBLE_EQ(nw->top, 89);
  EXPECT_DOUBLE_EQ(nw->right, 33);
  EXPECT_DOUBLE_EQ(nw->bottom, 79);
  EXPECT_DOUBLE_EQ(se->right, 89);
  EXPECT_DOUBLE_EQ(se->bottom, 11);
  // Centred on the plot area: 11 + 39 - (5 + 1).
  EXPECT_DOUBLE_EQ(n->left, 44);
  EXPECT_DOUBLE_EQ(w->top, 53);
  EXPECT_EQ(notes(), "");
}

struct pct_case {
  double x, y;
  bool enabled;
  const char* notes;
};
class InsetPercent : public InsetPlace, public ::testing::WithParamInterface<pct_case> {};

TEST_P(InsetPercent, PercentCoordinatesLieStrictlyInside) {
  const pct_case& t = GetParam();
  kes_insetbox* b = add("USER", 4, 4);
  b->coord_kind = KES_ICOORD_PERCENT;
  b->x = t.x, b->y = t.y;
  place();
  EXPECT_EQ(b->enabled, t.enabled);
  EXPECT_EQ(notes(), t.notes);
}
INSTANTIATE_TEST_SUITE_P(Bounds, InsetPercent,
                         ::testing::Values(pct_case{50, 50, true, ""}, pct_case{50, 100, false, "431/653"},
                                           pct_case{0, 50, false, "431/652"}, pct_case{0, 100, false, "431/652 431/653"}));

TEST_F(InsetPlace, PercentCoordinatesAnchorTheReferenceCorner) {
  kes_insetbox* b = add("USER", 4, 4);
  b->coord_kind = KES_ICOORD_PERCENT;
  b->x = 25, b->y = 50;  // the point (30, 50)
  std::memcpy(b->refpoint, "TR", 2);
  place();
  EXPECT_DOUBLE_EQ(b->right, 30);
  EXPECT_DOUBLE_EQ(b->top, 50);
}

// s = a / (W + m (2 + a / (W + 2m))) with a = 90 - 11 = 79, W = 100, m = 1:
// 79 / 102.77450980 = 0.768672, so 77 percent.
TEST_F(InsetPlace, AWideBoxIsShrunkToEndInsideTheFrameKeepingItsLeftEdge) {
  kes_insetbox* b = add("NW", 100, 10);
  place();
  const double s = 79.0 / (100 + (2 + 79.0 / 102));
  EXPECT_DOUBLE_EQ(b->left, 11);
  EXPECT_NEAR(b->right, 11 + s * 102, 1e-12);
  EXPECT_LT(b->right, frame.R);
  EXPECT_NEAR(b->text_height, 2 * s, 1e-12);
  EXPECT_DOUBLE_EQ(b->top, 89);
  ASSERT_EQ(notes(), "431/717");
  EXPECT_NE(kes_test::note_recorder::notes[0].text.find(" 77 percent"), std::string::npos)
      << kes_test::note_recorder::notes[0].text;
}

TEST_F(InsetPlace, AUserBoxOverlappingAnEarlierBoxIsDisabled) {
  kes_insetbox* nw = add("NW");
  kes_insetbox* u = add("USER", 4, 4);
  u->coord_kind = KES_ICOORD_PERCENT;
  u->x = 10, u->y = 90;
  place();
  EXPECT_TRUE(nw->enabled);
  EXPECT_FALSE(u->enabled);
  EXPECT_EQ(notes(), "431/659");
}

struct prob_case {
  int dist;
  std::vector<double> params;
  double x;
  bool enabled;
  double left;  // bottom-left corner at the quantile, xscale 1, xoffset 20
};
class InsetProbability : public InsetPlace, public ::testing::WithParamInterface<prob_case> {};

// DATA coordinates on a probability plot: the percent becomes the family's
// standardized quantile. Normal 50 % -> 0; Johnson SB (gamma 0, delta 1) 50 % -> 0.5
// (e^0 / (1 + e^0)); Johnson SU 50 % -> sinh(0) = 0; 0 and 100 are refused.
TEST_P(InsetProbability, PercentsOnTheProbabilityAxisBecomeQuantiles) {
  const prob_case& t = GetParam();
  req.type = KES_PLOT_PROB;
  kes_cell* c = single({1, 2, 3});
  curve(c, t.dist, t.params);
  frame.xoffset = 20;
  kes_insetbox* b = add("USER", 4, 4);
  b->coord_kind = KES_ICOORD_DATA;
  b->x = t.x, b->y = 50;
  place();
  EXPECT_EQ(b->enabled, t.enabled) << notes();
  if (t.enabled) {
    EXPECT_NEAR(b->left, t.left, 1e-12);
  }
}
INSTANTIATE_TEST_SUITE_P(
    Families, InsetProbability,
    ::testing::Values(prob_case{KES_DIST_NORMAL, {0, 1}, 50, true, 20}, prob_case{KES_DIST_NORMAL, {0, 1}, 0, false, 0},
                      prob_case{KES_DIST_NORMAL, {0, 1}, 100, false, 0},
                      prob_case{KES_DIST_SB, {0, 1, 1, 0}, 50, true, 20.5},
                      prob_case{KES_DIST_SU, {0, 1, 1, 0}, 50, true, 20}));

// ---- Page margins ----

class InsetMargins : public InsetPlace {
 protected:
  double area[4] = {0, 0, 100, 100};
  kes_insetbox* row_box(const char* w, int rows, double label, double value) {
    kes_insetbox* b = add(w, label + value + 3, 0, rows);
    b->label_width = label, b->value_width = value, b->colspace = 3;
    return b;
  }
};

// a = 98 - 2 x 1 = 96, w1 = 18: 3 columns (3 x 18 + 2 x 12 = 78 <= 96; 4 need 108),
// ceil(7 / 3) = 3 rows, spacing (96 - 3 x 15) / (5 x 3 - 4) = 51 / 11.
TEST_F(InsetMargins, ATopBoxLaysItsRowsOutInColumns) {
  kes_insetbox* b = row_box("TM", 7, 10, 5);
  ASSERT_EQ(kes_inset_margins(&ctx, area, 1, 2), 0);
  EXPECT_EQ(b->ncols, 3);
  EXPECT_NEAR(b->colspace, 51.0 / 11, 1e-12);
  EXPECT_DOUBLE_EQ(b->left, 1);
  EXPECT_DOUBLE_EQ(b->right, 99);
  // The page top at 100: one default text height lower; 3 rows: 2 + 6 + 2.
  EXPECT_DOUBLE_EQ(b->top, 98);
  EXPECT_DOUBLE_EQ(b->bottom, 88);
  EXPECT_DOUBLE_EQ(area[3], 87);
  EXPECT_EQ(notes(), "");
}

TEST_F(InsetMargins, HeightCapsAreAQuarterWithBothBoxesAndAHalfAlone) {
  // 20 rows of one column: H = 19 + 40 + 2 = 61.
  kes_insetbox* t = row_box("TM", 20, 60, 30);
  ASSERT_EQ(kes_inset_margins(&ctx, area, 1, 2), 0);
  EXPECT_LE(t->top - t->bottom, 50);
  EXPECT_TRUE(t->enabled);
  ctx.insets = nullptr;
  boxes_.clear();
  double area2[4] = {0, 0, 100, 100};
  kes_insetbox* t2 = row_box("TM", 20, 60, 30);
  kes_insetbox* b2 = row_box("BM", 20, 60, 30);
  ASSERT_EQ(kes_inset_margins(&ctx, area2, 1, 2), 0);
  EXPECT_LE(t2->top - t2->bottom, 25);
  EXPECT_LE(b2->top - b2->bottom, 25);
}

// One column wider than the page: a / w1 = 96 / 113 narrows it, the spacing stays
// positive and one column is kept.
TEST_F(InsetMargins, AColumnWiderThanThePageIsNarrowedToOneColumn) {
  kes_insetbox* b = row_box("BM", 2, 80, 30);
  ASSERT_EQ(kes_inset_margins(&ctx, area, 1, 2), 0);
  const double s = 96.0 / 113;
  EXPECT_EQ(b->ncols, 1);
  EXPECT_NEAR(b->label_width, 80 * s, 1e-12);
  EXPECT_GE(b->colspace, 0);
  EXPECT_NEAR(b->label_width + b->value_width + b->colspace, 96, 1e-9);
  EXPECT_EQ(notes(), "431/641");
}

TEST_F(InsetMargins, ABoxThatCannotShrinkEnoughLeavesTheMarginToTheNext) {
  kes_insetbox* big = row_box("TM", 400, 60, 30);
  kes_insetbox* next = row_box("TM", 2, 10, 5);
  kes_insetbox* third = row_box("TM", 2, 10, 5);
  ASSERT_EQ(kes_inset_margins(&ctx, area, 1, 2), 0);
  EXPECT_FALSE(big->enabled);
  EXPECT_TRUE(next->enabled);
  EXPECT_DOUBLE_EQ(next->top, 98);
  EXPECT_EQ(notes(), "431/638 431/634");
  (void)third;
}

TEST_F(InsetMargins, OnlyTheFirstLeftBoxTakesTheLeftMargin) {
  kes_insetbox* a = add("LM", 10, 20);
  kes_insetbox* b = add("LM", 10, 20);
  ASSERT_EQ(kes_inset_margins(&ctx, area, 1, 2), 0);
  EXPECT_DOUBLE_EQ(a->left, 1);
  EXPECT_DOUBLE_EQ(a->right, 13);
  EXPECT_DOUBLE_EQ(area[0], 14);
  EXPECT_DOUBLE_EQ(b->left, 0);
  EXPECT_EQ(notes(), "431/637");
}

TEST_F(InsetMargins, SideBoxesTallerThanTheFrameShrinkToIt) {
  kes_insetbox* l = add("LM", 10, 160);
  kes_insetbox* r = add("RM", 10, 80);
  ASSERT_EQ(kes_inset_margins(&ctx, area, 1, 2), 0);
  const double right = l->right;
  ASSERT_EQ(kes_inset_side_fit(&ctx, 10, 90), 0);
  EXPECT_DOUBLE_EQ(l->margin_scale, 0.5);
  EXPECT_DOUBLE_EQ(l->right, right);
  EXPECT_DOUBLE_EQ(r->margin_scale, 1);
  EXPECT_DOUBLE_EQ(r->bottom, 10);
  EXPECT_DOUBLE_EQ(r->top, 90);
  ASSERT_EQ(notes(), "431/643");
  EXPECT_NE(kes_test::note_recorder::notes[0].text.find(" 50 percent"), std::string::npos);
}

// ---- Drawing ----

TEST_F(InsetPlace, FrameOptionsWithoutAFrameAreNotedOnceAndAreasAreReleased) {
  kes_insetbox* a = add("NW");
  a->noframe = 1, a->fill_given = 1;
  kes_insetbox* b = add("NE");
  b->noframe = 1, b->fill_given = 1;
  b->blank_registered = 1;
  kes_insetbox* c = add("SW");
  c->header_fill_given = 1;
  kesidrw(&ctx);
  EXPECT_EQ(notes(), "431/661 431/664");
  EXPECT_FALSE(b->blank_registered);
}

}  // namespace
}  // namespace inset_test
