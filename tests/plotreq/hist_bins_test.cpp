// The common bins of a histogram request (kesmerg) on cells built by hand: bin edges
// with and without RTINCLUDE, uniform bins, a key cell without values, the vertical
// scales, a bin count that cannot be had and a value left on an edge by widening.
// Expected bins and counts are worked out by hand. (KEY bins widened across cells, the
// bin limit, MAXNBIN= and MAXSIGMAS= are in examples/hist_cells and hist_notes.)
#include <cmath>

#include "hist_fixture.h"
#include "plotreq/plot_requests.h"

namespace {

using hist_test::hist_fixture;
using kes_test::note_recorder;

const double kBelow1 = std::nextafter(1.0, 0.0);
const double kAbove1 = std::nextafter(1.0, 2.0);

// Values on and one ulp either side of the edges 0, 1, 2 and 3 of the midpoints 0.5,
// 1.5, 2.5. Left-closed bins take a value on an edge into the bin above it (within
// 2^-26.5 widths); right-closed ones into the bin below, and a value on the lowest
// edge adds a bin below it.
TEST_F(hist_fixture, values_on_bin_edges) {
  struct row {
    std::vector<double> values;
    std::vector<double> mids;
    bool rtinclude;
    double first;
    std::vector<int> counts;
    const char* notes;
  };
  const std::vector<double> edges = {0, 1 - 1e-6, kBelow1, 1, kAbove1, 2, 2.5};
  const row rows[] = {
      {{0.2, 1, 1.7}, {0.5, 1.5}, false, 0.5, {1, 2}, ""},
      {{0.2, 1, 1.7}, {0.5, 1.5}, true, 0.5, {2, 1}, ""},
      {edges, {0.5, 1.5, 2.5}, false, 0.5, {2, 3, 2}, ""},
      {edges, {0.5, 1.5, 2.5}, true, -0.5, {1, 4, 1, 1}, "431/731"},
      // The top edge: the bins grow by one above it.
      {{0.5, 3}, {0.5, 1.5, 2.5}, false, 0.5, {1, 0, 0, 1}, "431/731"},
      {{0.5, 3}, {0.5, 1.5, 2.5}, true, 0.5, {1, 0, 1}, ""},
  };
  for (const row& r : rows) {
    note_recorder::clear();
    stmt.list(KES_PLOT_SLOT_MIDPOINTS, r.mids, 3);
    bincode[0] = KES_BINS_EXPLICIT;
    req.rtinclude = r.rtinclude;
    kes_cell* c = cell(r.values);
    ASSERT_EQ(kesmerg(&ctx), 0);
    EXPECT_DOUBLE_EQ(key()->first, r.first) << r.rtinclude;
    EXPECT_EQ(counts(c), r.counts) << r.values.size() << " rtinclude " << r.rtinclude;
    EXPECT_EQ(slot(c)->noutside, 0);
    EXPECT_EQ(messages(), r.notes);
    cv = kes_classvars{};
  }
}

// Uniform bins over the data of all cells (UNIFORM, NMIDPOINTS=, NENDPOINTS=).
TEST_F(hist_fixture, uniform_bins_across_cells) {
  struct row {
    std::vector<double> a, b;
    int count_slot;  // 0: UNIFORM alone
    double count;
    double first, width;
    int npoints;
  };
  const row rows[] = {
      // zhist(4, 0.3, 9.7): midpoints 2, 6, 10.
      {{0.3, 1.7}, {5, 9.7}, 0, 0, 2, 4, 3},
      // NMIDPOINTS=2 over 0.3..1.7: the scale 0..2 by 1 halved to 0.5 and 1.5.
      {{0.3, 1.7}, {}, KES_PLOT_SLOT_NMIDPOINTS, 2, 0.5, 1, 2},
      // A single value and two midpoints: the halving ends (first and width unchecked).
      {{5, 5}, {5}, KES_PLOT_SLOT_NMIDPOINTS, 2, NAN, NAN, 0},
  };
  for (const row& r : rows) {
    plot_test::node n("HISTOGRA");
    if (r.count_slot != 0) n.num(r.count_slot, r.count);
    req.stmt = &n.s;
    bincode[0] = KES_BINS_UNIFORM;
    cv = kes_classvars{};
    cv.count = 1;
    kes_cell* a = cell(r.a);
    kes_cell* b = r.b.empty() ? nullptr : cell(r.b);
    ASSERT_EQ(kesmerg(&ctx), 0);
    if (r.npoints > 0) {
      EXPECT_DOUBLE_EQ(key()->first, r.first) << r.count;
      EXPECT_DOUBLE_EQ(key()->width, r.width) << r.count;
      EXPECT_EQ(key()->npoints, r.npoints) << r.count;
    }
    // Every value is counted in some bin of its cell.
    EXPECT_EQ(in_bins(a) + (b != nullptr ? in_bins(b) : 0), static_cast<int>(r.a.size() + r.b.size())) << r.count;
  }
  req.stmt = &stmt.s;
}

// A key cell without values under KEY binning: note 431/836, and the bins come from
// the other cells.
TEST_F(hist_fixture, key_cell_without_values) {
  cv.count = 1;
  cell({}, 2);
  kes_cell* full = cell({1, 2, 3, 4});
  ASSERT_EQ(kesmerg(&ctx), 0);
  EXPECT_EQ(messages(), "431/836");
  EXPECT_EQ(req.curbincode, KES_BINS_UNIFORM);
  EXPECT_EQ(in_bins(full), 4);
}

// Percent, count and proportion heights: 4 values, 2 in one bin.
TEST_F(hist_fixture, vertical_scales) {
  struct row {
    int vscale;
    double top, sum;
  };
  const row rows[] = {{0, 50, 100}, {1, 2, 4}, {2, 0.5, 1}};
  for (const row& r : rows) {
    cv = kes_classvars{};
    stmt.list(KES_PLOT_SLOT_MIDPOINTS, {0.5, 1.5, 2.5}, 3);
    bincode[0] = KES_BINS_EXPLICIT;
    req.vscale = r.vscale;
    kes_cell* c = cell({0.2, 1.2, 1.4, 2.2});
    ASSERT_EQ(kesmerg(&ctx), 0);
    const kes_plotslot* s = slot(c);
    double sum = 0;
    for (int i = 0; i < s->nbins; ++i) sum += s->heights[i];
    EXPECT_DOUBLE_EQ(s->hmax, r.top) << r.vscale;
    EXPECT_DOUBLE_EQ(sum, r.sum) << r.vscale;
    EXPECT_DOUBLE_EQ(s->hmin, r.top / 2) << r.vscale;
  }
}

// A stretch of bins whose bytes reach 2^31 - 1 ends with the memory note, not a crash
// (NOBINLIMIT lets the list widen to 3e8 bins).
TEST_F(hist_fixture, bins_that_cannot_be_had) {
  stmt.list(KES_PLOT_SLOT_MIDPOINTS, {0, 1}, 3).flag(KES_PLOT_FLAG_NOBINLIMIT);
  bincode[0] = KES_BINS_EXPLICIT;
  cell({0, 3e8});
  EXPECT_EQ(kesmerg(&ctx), 1016);
  EXPECT_EQ(messages(), "431/731 mem(2147483647)");
}

// Widening by whole widths out to an extreme value can leave it on the new outer edge
// of the closed side; one more bin takes it in, so that no value is lost.
TEST_F(hist_fixture, a_value_on_the_edge_after_widening) {
  struct row {
    bool rtinclude;
    std::vector<double> other;
    double first, last;
  };
  for (const row& r : {row{false, {10, 11}, 1.5, 11.5}, row{true, {-5, -4}, -5.5, 3.5}}) {
    cv = kes_classvars{};
    cv.count = 1;
    req.rtinclude = r.rtinclude;
    cell({1, 2, 3});
    kes_cell* other = cell(r.other);
    ASSERT_EQ(kesmerg(&ctx), 0);
    EXPECT_DOUBLE_EQ(key()->first, r.first) << r.rtinclude;
    EXPECT_DOUBLE_EQ(key()->last, r.last) << r.rtinclude;
    EXPECT_EQ(counts(other), (std::vector<int>{1, 1})) << r.rtinclude;
    EXPECT_EQ(slot(other)->noutside, 0) << r.rtinclude;
  }
}

}  // namespace
