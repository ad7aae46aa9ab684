// The bins of a request counted from each cell's value view: on values with ties, on
// bin edges and one ulp beside them, in two CLASS cells, both edge rules, the heights
// are the counts a direct tally of the values gives; the view is read, never copied
// or replaced; a cell whose view could not be made is not binned silently.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "hist_fixture.h"
#include "host/step_codes.h"
#include "plotreq/plot_requests.h"
#include "records/kes_ctx.h"
#include "records/kes_preq.h"
#include "records/kes_valview.h"

namespace {

using hist_test::hist_fixture;

struct cell_data {
  std::vector<double> values;
  std::vector<int> counts;
};

// Two cells of ascending values with ties counted in, some on the edges of width 0.25
// bins and one ulp either side of them.
std::vector<cell_data> sample(unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> z(0.0, 1.0);
  std::vector<cell_data> cells(2);
  for (int c = 0; c < 2; ++c) {
    std::vector<double> xs;
    for (int i = 0; i < 400; ++i) xs.push_back(std::round(z(rng) * 1e4) / 1e4 + c);
    for (int k = -8; k <= 8; ++k) {
      const double e = 0.25 * k;
      xs.insert(xs.end(), {e, std::nextafter(e, -10.0), std::nextafter(e, 10.0)});
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    cells[static_cast<size_t>(c)].values = xs;
    for (size_t i = 0; i < xs.size(); ++i) cells[static_cast<size_t>(c)].counts.push_back(1 + static_cast<int>(rng() % 4));
  }
  return cells;
}

class hist_view : public hist_fixture {
 protected:
  // Bins the cells with MIDPOINTS= -2 to 3 by 0.25.
  std::vector<kes_cell*> binned(const std::vector<cell_data>& data, bool rtinclude) {
    cv = kes_classvars{};
    cv.count = 1;
    std::vector<double> mids;
    for (int k = -8; k <= 12; ++k) mids.push_back(0.25 * k);
    stmt.list(KES_PLOT_SLOT_MIDPOINTS, mids, 3);
    bincode[0] = KES_BINS_EXPLICIT;
    req.rtinclude = rtinclude;
    std::vector<kes_cell*> cells;
    for (const cell_data& d : data) cells.push_back(cell(d.values, 0, nullptr, d.counts));
    EXPECT_EQ(kesmerg(&ctx), 0);
    return cells;
  }
};

std::vector<double> heights(const kes_plotslot* s) { return {s->heights, s->heights + s->nbins}; }

// Bin k (from the first bin of the request's grid) of a value under the edge rule,
// by comparisons with the edges, not by the division the binning uses.
long long tally_bin(double x, double first_edge, double w, bool rtinclude, long long nbins) {
  for (long long k = 0; k < nbins; ++k) {
    const double lo = first_edge + k * w, hi = lo + w;
    if (rtinclude ? (x > lo && x <= hi) : (x >= lo && x < hi)) return k;
  }
  return -1;
}

TEST_F(hist_view, heights_are_the_tally_of_the_view) {
  const std::vector<cell_data> data = sample(5);
  for (bool rtinclude : {false, true}) {
    SCOPED_TRACE(rtinclude ? "right-closed" : "left-closed");
    const std::vector<kes_cell*> cells = binned(data, rtinclude);
    for (size_t i = 0; i < cells.size(); ++i) {
      const kes_plotslot* s = slot(cells[i]);
      const kes_valview* v = cells[i]->varsums[0].view;
      ASSERT_NE(v, nullptr);
      // Bins 0.25 wide around the request's midpoints, counted from the first.
      const double first_edge = key()->first - 0.125 + 0.25 * s->firstbin;
      std::vector<double> want(static_cast<size_t>(s->nbins), 0.0);
      long long outside = 0;
      for (int j = 0; j < v->m; ++j) {
        const long long k = tally_bin(v->x[j], first_edge, 0.25, rtinclude, s->nbins);
        if (k < 0) outside += v->f[j];
        else want[static_cast<size_t>(k)] += v->f[j];
      }
      for (double& h : want) h *= s->scale;
      EXPECT_EQ(heights(s), want);
      EXPECT_EQ(s->noutside, outside);
    }
  }
}

TEST_F(hist_view, the_view_is_read_not_replaced) {
  const std::vector<kes_cell*> cells = binned(sample(8), false);
  kes_varsum* rec = &cells[0]->varsums[0];
  const kes_valview* first = rec->view;
  ASSERT_NE(first, nullptr);
  const std::vector<double> x(first->x, first->x + first->m);
  ASSERT_EQ(kesmerg(&ctx), 0);
  EXPECT_EQ(rec->view, first);
  EXPECT_EQ(std::vector<double>(first->x, first->x + first->m), x);
}

TEST_F(hist_view, a_cell_without_its_view_reports_no_memory) {
  cv = kes_classvars{};
  cv.count = 1;
  kes_cell* c = cell({1.5, 2.5, 4}, 0, nullptr, {2, 1, 3});
  c->varsums[0].view = nullptr;  // the data pass could not make it
  EXPECT_EQ(kesmerg(&ctx), KES_RC_OUT_OF_MEMORY);
}

}  // namespace
