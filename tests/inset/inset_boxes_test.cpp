// Inset boxes from INSET statements: the code stream with its labels and formats,
// default labels and formats, family and kernel blocks from the fitted curves, and the
// options that disable or position a box.
#include <cmath>

#include "kes_gram_names.h"
#include "support/inset_fixture.h"

namespace inset_test {
namespace {

using strings = std::vector<std::string>;

class InsetBoxes : public inset_fixture {};

// Values 1..5: N 5, mean 3; the summary block holds 100 + entry.
TEST_F(InsetBoxes, LabelsAndFormatsStayWithTheirKeywordsAcrossASkippedKeyword) {
  // N='Count' NORMALTEST='NT' MEAN='Avg' (F8.2) VAR, without the NORMAL option.
  inset({0, 100, 25, 100, 2, 100, 200, 5}).label("Count").label("NT").label("Avg").format(8, 2);
  kes_cell* c = single({1, 2, 3, 4, 5});
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"Count=5", "Avg=3.00", "Variance=102"}));
  EXPECT_EQ(notes(), "189/278");
}

TEST_F(InsetBoxes, DefaultLabelsAndFormatClasses) {
  ctx.normal = 1;
  // N, NOBS, NMISS (integer); PROBT, PNORMAL (4 decimals); MEAN, SKEWNESS, QRANGE (best).
  inset({0, 19, 23, 31, 26, 2, 6, 21});
  kes_cell* c = single({1, 2, 3, 4, 5});
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"N=5", "Observations=7", "Missing=2", "Pr > |t|=118.0000",
                              "Pr Normality Test=132.0000", "Mean=3", "Skewness=103", "Interquartile Range=2"}));
  EXPECT_EQ(notes(), "");
}

TEST_F(InsetBoxes, FormatOptionServesEveryValueAUserFormatWins) {
  inset({0, 2, 200}).format(8, 3).format_all(8, 1);
  ASSERT_EQ(build(single({1, 2, 3, 4, 5})), 0);
  EXPECT_EQ(rows(0), (strings{"N=5.0", "Mean=3.000"}));
}

TEST_F(InsetBoxes, AUserFormatWiderThanTheRowKeepsItsNumber) {
  inset({2, 200}).format(30, 2);
  ASSERT_EQ(build(single({1, 2, 3, 4, 5})), 0);
  EXPECT_EQ(rows(0), (strings{"Mean=3.00"}));
}

TEST_F(InsetBoxes, AMissingCountShowsTheMissingValue) {
  inset({4, 0});
  ASSERT_EQ(build(single({7})), 0);
  EXPECT_EQ(rows(0), (strings{"Std Deviation=.", "N=1"}));
}

TEST_F(InsetBoxes, ABoxWithoutRowsIsDisabledOnce) {
  inset({25});
  inset({25});
  ASSERT_EQ(build(single({1, 2})), 0);
  EXPECT_FALSE(box(0)->enabled);
  EXPECT_FALSE(box(1)->enabled);
  EXPECT_EQ(notes(), "189/278 431/604");
}

TEST_F(InsetBoxes, AMarginPositionWithClassVariablesDisablesTheBox) {
  cv.count = 1;
  inset({0}).word(KES_INSET_SLOT_POSITION, "TM");
  inset({0}).word(KES_INSET_SLOT_POSITION, "NE");
  ASSERT_EQ(build(single({1, 2})), 0);
  EXPECT_FALSE(box(0)->enabled);
  EXPECT_EQ(box(0)->nrows, 0);
  EXPECT_TRUE(box(1)->enabled);
  EXPECT_EQ(std::string(box(1)->position, 8), "NE      ");
  EXPECT_EQ(notes(), "189/298");
}

TEST_F(InsetBoxes, CoordinatesUnderTemplateGraphsAreNotUsed) {
  inset_stmt& s = inset({0});
  s.node.num(KES_INSET_SLOT_POSITION_X, 20).num(KES_INSET_SLOT_POSITION_Y, 30);
  s.node.name(KES_INSET_SLOT_REFPOINT, "TR");
  ASSERT_EQ(build(single({1, 2})), 0);
  EXPECT_EQ(box(0)->pos_kind, KES_IPOS_NONE);
  // The coordinates' note says they are not used; REFPOINT= did come with them, so the
  // note that it needs them would be false.
  EXPECT_EQ(notes(), "435/647");
}

TEST_F(InsetBoxes, ReferencePointWithoutCoordinatesIsNoted) {
  inset_stmt& s = inset({0});
  s.node.name(KES_INSET_SLOT_REFPOINT, "TR");
  ASSERT_EQ(build(single({1, 2})), 0);
  EXPECT_EQ(notes(), "431/603");
}

TEST_F(InsetBoxes, CoordinatesUnderDeviceGraphsAreAUserPosition) {
  ctx.tmplgraph = 0;
  ctx.devgraph = 1;
  inset_stmt& s = inset({0});
  s.node.num(KES_INSET_SLOT_POSITION_X, 20).num(KES_INSET_SLOT_POSITION_Y, 30).flag(KES_INSET_FLAG_DATA_UNITS);
  s.node.name(KES_INSET_SLOT_REFPOINT, "TR");
  ASSERT_EQ(build(single({1, 2})), 0);
  const kes_insetbox* b = box(0);
  EXPECT_EQ(std::string(b->position, 8), "USER    ");
  EXPECT_EQ(b->pos_kind, KES_IPOS_XY);
  EXPECT_EQ(b->coord_kind, KES_ICOORD_DATA);
  EXPECT_EQ(std::string(b->refpoint, 8), "TR      ");
  EXPECT_DOUBLE_EQ(b->x, 20);
  // Without FONT= and a style, the box takes the locale's default font.
  EXPECT_EQ(notes(), "431/602");
}

// ---- Distribution blocks ----

TEST_F(InsetBoxes, ASingleNormalBlockNamesTheBox) {
  kes_cell* c = single({1, 2, 3, 4, 5});
  curve(c, KES_DIST_NORMAL, {10, 2});
  inset({49, 49});
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"Mean=10", "Std Dev=2"}));
  EXPECT_EQ(kinds(0), (std::vector<int>{0, 0}));
  EXPECT_EQ(text_of(box(0)->header, box(0)->header_len), "Normal Curve");
  EXPECT_TRUE(box(0)->header_sample);
}

TEST_F(InsetBoxes, AnAllBlankHeaderIsGivenAndKeepsTheBlockRows) {
  kes_cell* c = single({1, 2, 3, 4, 5});
  curve(c, KES_DIST_NORMAL, {10, 2});
  inset({49, 49}).node.text(KES_INSET_SLOT_HEADER, "   ");
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(box(0)->header_len, 0);
  EXPECT_EQ(kinds(0), (std::vector<int>{3, 5}));
}

TEST_F(InsetBoxes, TwoNormalCurvesMakeTwoBlocks) {
  kes_cell* c = single({1, 2, 3, 4, 5});
  curve(c, KES_DIST_NORMAL, {10, 2});
  curve(c, KES_DIST_NORMAL, {11, 3});
  inset({49, 49});
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"Mean=10", "Std Dev=2", "Mean=11", "Std Dev=3"}));
  EXPECT_EQ(kinds(0), (std::vector<int>{3, 5, 3, 5}));
  EXPECT_EQ(box(0)->header_len, 0);
}

TEST_F(InsetBoxes, UnderDeviceGraphsADefaultBlockIsItsFamilyLine) {
  ctx.tmplgraph = 0;
  ctx.devgraph = 1;
  kes_cell* c = single({1, 2, 3, 4, 5});
  curve(c, KES_DIST_NORMAL, {10, 2});
  curve(c, KES_DIST_NORMAL, {11, 3});
  curve(c, KES_DIST_NORMAL, {12, 3}, false);
  inset({49, 49});
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(kinds(0), (std::vector<int>{8, 8}));
}

TEST_F(InsetBoxes, SubKeywordsWithLabelsFormatsAndPValues) {
  kes_cell* c = single({1, 2, 3, 4, 5});
  kes_curve* k = curve(c, KES_DIST_GAMMA, {0, 2, 1.5});
  k = &slot(c)->curves[0];
  k->edf.p_d = 0.01;
  k->edf.rel_d = '<';
  k->edf.p_asq = 0.25;
  k->edf.rel_asq = ' ';
  k->edf.mean = 3;
  // GAMMA(ALPHA='a' KSDPVAL ADPVAL (F6.2) MEAN) then N='n'.
  inset({53, 0, 100, 9, 5, 200, 10, 53, 0, 100}).label("a").label("n").format(6, 2);
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"a=1.5", "Pr > D=<0.0100", "Pr > A-Sq=0.25", "Fitted Mean=3", "n=5"}));
}

TEST_F(InsetBoxes, FitStatisticsOffHistogramsAndLineParametersWithoutALineAreLeftOut) {
  req.type = KES_PLOT_QQ;
  kes_cell* c = single({1, 2, 3, 4, 5});
  curve(c, KES_DIST_NORMAL, {10, 2});
  // NORMAL(MU SIGMA AD='x' ADPVAL) N='Count'.
  inset({49, 3, 2, 4, 100, 5, 49, 0, 100}).label("x").label("Count");
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"Count=5"}));
  EXPECT_EQ(notes(), "431/611 431/606");
}

struct line_case {
  int dist;
  std::vector<double> codes;
  bool rotate;
  strings expected;
};

class InsetLineBlocks : public inset_fixture, public ::testing::WithParamInterface<line_case> {};

// Intercept a = 0.5 and slope b = 2 of the reference line; hand-computed values.
TEST_P(InsetLineBlocks, ParametersComeFromTheReferenceLine) {
  const line_case& t = GetParam();
  req.type = KES_PLOT_PROB;
  if (t.dist == KES_DIST_WEIBULL2) stmt.flag(KES_PLOT_FLAG_WEIBULL2);
  if (t.dist == KES_DIST_LOGNORMAL) stmt.flag(KES_PLOT_FLAG_LOGNORMAL);
  if (t.rotate) stmt.flag(KES_PLOT_FLAG_ROTATE);
  kes_cell* c = single({1, 2, 3, 4, 5});
  curve(c, t.dist, {7, 9, 1.25});
  slot(c)->line = 1;
  slot(c)->intercept = 0.5;
  slot(c)->slope = 2;
  inset(t.codes).node.text(KES_INSET_SLOT_HEADER, "H");
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), t.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Families, InsetLineBlocks,
    ::testing::Values(
        // Normal: threshold a (or -a/b), scale b (or 1/b).
        line_case{KES_DIST_NORMAL, {49, 49}, false, {"Mean=0.5", "Std Dev=2"}},
        line_case{KES_DIST_NORMAL, {49, 49}, true, {"Mean=-0.25", "Std Dev=0.5"}},
        // Lognormal: shape from the curve, scale log b (or log 1/b), threshold a.
        line_case{KES_DIST_LOGNORMAL, {50, 50}, false, {"Sigma=1.25", "Scale=0.693147", "Threshold=0.5"}},
        line_case{KES_DIST_LOGNORMAL, {50, 50}, true, {"Sigma=1.25", "Scale=-0.693147", "Threshold=-0.25"}},
        // Two-parameter Weibull: shape 1/b (or b), scale exp(a) (or exp(-a/b)),
        // threshold from the curve.
        line_case{KES_DIST_WEIBULL2, {57, 0, 2, 3, 57}, false, {"Shape=0.5", "Scale=1.648721", "Threshold=7"}},
        line_case{KES_DIST_WEIBULL2, {57, 0, 2, 3, 57}, true, {"Shape=2", "Scale=0.7788008", "Threshold=7"}}));

TEST_F(InsetBoxes, WithoutAReferenceLineAProbabilityBlockShowsItsShapesOnly) {
  req.type = KES_PLOT_PROB;
  stmt.flag(KES_PLOT_FLAG_LOGNORMAL);
  kes_cell* c = single({1, 2, 3, 4, 5});
  curve(c, KES_DIST_LOGNORMAL, {7, 9, 1.25});
  inset({50, 50, 0});
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"Sigma=1.25", "N=5"}));
}

TEST_F(InsetBoxes, AFamilyWithoutCurvesIsLeftOutOncePerFamily) {
  kes_cell* c = single({1, 2, 3, 4, 5});
  req.ncurves_dist[KES_DIST_GAMMA] = 1;  // asked, but not fitted in this cell
  inset({50, 0, 100, 50, 53, 53, 0}).label("lab");
  inset({50, 50});
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"N=5"}));
  EXPECT_EQ(notes(), "431/633 431/909 431/604");
}

TEST_F(InsetBoxes, Weibull2BlocksOnlyOnProbabilityAndQqPlots) {
  kes_cell* c = single({1, 2});
  inset({57, 57, 0, 100}).label("n");
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"n=2"}));
  EXPECT_EQ(notes(), "431/697");
}

// ---- Kernel blocks ----

TEST_F(InsetBoxes, ALoneKernelBlockNamesTheBoxByItsType) {
  kes_cell* c = single({1, 2, 3, 4, 5});
  kernel(c, 2, 0.75, 1.5, 0.0125);
  inset({58, 58});
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"Bandwidth Parameter C=0.75", "Bandwidth=1.5", "AMISE=0.0125"}));
  EXPECT_EQ(text_of(box(0)->header, box(0)->header_len), "Triangular Kernel");
}

TEST_F(InsetBoxes, EveryKernelReadsTheSameSubKeywordsAndLabels) {
  kes_cell* c = single({1, 2, 3, 4, 5});
  kernel(c, 1, 0.5, 1, 0.1);
  kernel(c, 3, 0.25, 2, 0.2);
  // KERNEL(C='cval') N='Count'.
  inset({58, 1, 100, 58, 0, 100}).label("cval").label("Count");
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"cval=0.5", "cval=0.25", "Count=5"}));
  EXPECT_EQ(kinds(0), (std::vector<int>{3, 3, 0}));
}

// The cursor was put back unless the kernel was the statement's last one asked: a cell
// with fewer kernel curves than asked sent the code loop back into the block.
TEST_F(InsetBoxes, KernelCursorFollowsTheCellsOwnKernelCount) {
  kes_cell* c = single({1, 2, 3, 4, 5});
  kernel(c, 1, 0.5, 1, 0.1);
  req.nkernels = 3;
  inset({58, 2, 58, 0, 100}).label("Count");
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"Bandwidth=1", "Count=5"}));
}

TEST_F(InsetBoxes, AKernelNotAskedForIsLeftOutWithItsLabel) {
  kes_cell* c = single({1, 2, 3, 4, 5});
  kernel(c, 1, 0.5, 1, 0.1);
  kernel(c, 1, 0.6, 2, 0.1);
  inset({61, 1, 100, 61, 61, 61, 0, 100}).label("c3").label("Count");
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"Count=5"}));
  EXPECT_EQ(notes(), "431/702");
}

TEST_F(InsetBoxes, NoKernelAskedIsNotedOnce) {
  inset({58, 58, 59, 59, 0});
  ASSERT_EQ(build(single({1})), 0);
  EXPECT_EQ(notes(), "431/701");
}

}  // namespace
}  // namespace inset_test

namespace inset_test {
namespace {

// A pool that gives `budget` blocks, then refuses.
struct tight_pool : host_pool {
  host_pool* real;
  int budget;
};
void* tight_alloc(host_pool* p, long size, int flags) {
  auto* t = static_cast<tight_pool*>(p);
  if (t->budget-- <= 0) return nullptr;
  return t->real->alloc(t->real, size, flags);
}
void tight_free(host_pool*, void*, long, int) {}

class InsetMemory : public inset_fixture {};

TEST_F(InsetMemory, BoxesAndRowsComeFromTheVariablesPoolAndAShortageIs1016) {
  kes_cell* c = single({1, 2, 3});
  inset({0, 2});
  tight_pool pool;
  pool.alloc = tight_alloc, pool.free = tight_free, pool.real = ctx.bypool, pool.budget = 2;
  host_pool* pools[1] = {&pool};
  ctx.varpools = pools;
  EXPECT_EQ(build(c), 1016);
  EXPECT_EQ(notes(), "mem(" + std::to_string(sizeof(kes_inset)) + ")");
  // The variable's pool served the box and the first row.
  EXPECT_EQ(pool.budget, -1);
  ctx.varpools = nullptr;
}

}  // namespace
}  // namespace inset_test
