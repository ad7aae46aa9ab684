// The bins of a request counted from the value arrays kept in each cell's record
// against the same bins counted by walking the value lists (the way taken when the
// arrays cannot be had): the same heights to the bit, on values with ties, on bin
// edges and one ulp beside them, in two CLASS cells, both edge rules. The arrays are
// kept once per record and copy the list; the statistics pass's copy is kept only for
// a variable that a HISTOGRAM request plots.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "hist_fixture.h"
#include "plotreq/plot_requests.h"
#include "records/kes_ctx.h"
#include "records/kes_preq.h"
#include "records/pool_alloc.h"
#include "stats/kes_cellvals.h"
#include "stats/kes_flatvals.h"

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

class hist_arrays : public hist_fixture {
 protected:
  host_pool* pools[1] = {nullptr};

  void TearDown() override {
    if (pools[0] != nullptr) xmpoold(pools[0]);
    hist_fixture::TearDown();
  }

  // Bins the cells with MIDPOINTS= -2 to 3 by 0.25, from the lists or from arrays.
  std::vector<kes_cell*> binned(const std::vector<cell_data>& data, bool rtinclude, bool arrays) {
    cv = kes_classvars{};
    cv.count = 1;
    ctx.varpools = arrays ? pools : nullptr;
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

TEST_F(hist_arrays, arrays_give_the_heights_of_the_list_walk) {
  pools[0] = xmpoolc(8192, 8192, KES_POOL_VAR);
  const std::vector<cell_data> data = sample(5);
  for (bool rtinclude : {false, true}) {
    SCOPED_TRACE(rtinclude ? "right-closed" : "left-closed");
    const std::vector<kes_cell*> walked = binned(data, rtinclude, false);
    for (kes_cell* c : walked) EXPECT_EQ(c->varsums[0].cellvals, nullptr);
    const std::vector<kes_cell*> read = binned(data, rtinclude, true);
    for (size_t i = 0; i < read.size(); ++i) {
      const kes_plotslot* a = slot(walked[i]);
      const kes_plotslot* b = slot(read[i]);
      ASSERT_EQ(a->nbins, b->nbins);
      EXPECT_EQ(a->firstbin, b->firstbin);
      EXPECT_EQ(a->noutside, b->noutside);
      const std::vector<double> ha = heights(a), hb = heights(b);
      EXPECT_EQ(std::memcmp(ha.data(), hb.data(), ha.size() * sizeof(double)), 0);
      EXPECT_EQ(a->hmin, b->hmin);
      EXPECT_EQ(a->hmax, b->hmax);
      // The record keeps the arrays: the list's values and counts in order.
      const kes_cellvals* cvals = read[i]->varsums[0].cellvals;
      ASSERT_NE(cvals, nullptr);
      ASSERT_EQ(cvals->m, static_cast<int>(data[i].values.size()));
      EXPECT_EQ(std::vector<double>(cvals->x, cvals->x + cvals->m), data[i].values);
      EXPECT_EQ(std::vector<int>(cvals->f, cvals->f + cvals->m), data[i].counts);
    }
  }
}

TEST_F(hist_arrays, kept_arrays_serve_every_later_request) {
  pools[0] = xmpoolc(8192, 8192, KES_POOL_VAR);
  const std::vector<kes_cell*> cells = binned(sample(8), false, true);
  kes_varsum* rec = &cells[0]->varsums[0];
  const kes_cellvals* first = rec->cellvals;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(kes_cell_values(&ctx, rec, 0), first);
  ASSERT_EQ(kesmerg(&ctx), 0);
  EXPECT_EQ(rec->cellvals, first);
}

// kes_keep_cell_values keeps the statistics pass's copy only for a plotted variable,
// and never when the variable's pool is gone.
TEST_F(hist_arrays, the_statistics_copy_is_kept_for_plotted_variables) {
  struct row {
    int slot;
    bool pool;
    int type;
    bool kept;
  };
  const row rows[] = {{0, true, KES_PLOT_HISTOGRAM, true},
                      {-1, true, KES_PLOT_HISTOGRAM, false},
                      {0, false, KES_PLOT_HISTOGRAM, false},
                      {0, true, KES_PLOT_HISTOGRAM + 1, false}};
  for (const row& r : rows) {
    SCOPED_TRACE(std::to_string(r.slot) + " " + std::to_string(r.pool) + " " + std::to_string(r.type));
    pools[0] = r.pool ? xmpoolc(8192, 8192, KES_POOL_VAR) : nullptr;
    ctx.varpools = pools;
    varslot[0] = r.slot;
    req.type = r.type;
    kes_cell* c = cell({1.5, 2.5, 4}, 0, nullptr, {2, 1, 3});
    kes_varsum* rec = &c->varsums[0];
    kes_flatvals fv;
    ASSERT_EQ(kes_flatten_copy(rec->values, rec->ndistinct, &fv), 0);
    kes_keep_cell_values(&ctx, rec, 0, fv);
    ASSERT_EQ(rec->cellvals != nullptr, r.kept);
    if (r.kept) {
      EXPECT_EQ(std::vector<double>(rec->cellvals->x, rec->cellvals->x + 3), (std::vector<double>{1.5, 2.5, 4}));
      EXPECT_EQ(std::vector<int>(rec->cellvals->f, rec->cellvals->f + 3), (std::vector<int>{2, 1, 3}));
    }
    EXPECT_EQ(kes_var_histogram(&ctx, 0), r.slot >= 0 && r.type == KES_PLOT_HISTOGRAM);
    if (pools[0] != nullptr) xmpoold(pools[0]);
    pools[0] = nullptr;
  }
}

}  // namespace
