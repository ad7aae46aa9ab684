// kes_make_view against hand-made value lists: ties and FREQ counts, WEIGHT sums,
// missing kinds, one value, no value; the copy from the record of the nodes in making
// order (shuffled, already ascending, reversed, at the edges of the doubles) gives
// the walk's view to the bit; a view that cannot be had leaves the lists alone; the
// view pool takes the variable's place and the nodes' memory goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <limits>
#include <random>
#include <vector>

#include "runner/host_table.h"
#include "core/runtime.h"
#include "datapass/value_views.h"
#include "host/host_missing.h"
#include "host/host_services.h"
#include "records/kes_ctx.h"
#include "records/kes_valnode.h"
#include "records/kes_valview.h"
#include "records/kes_varsum.h"
#include "records/pool_alloc.h"
#include "stats/engine_threads.h"

namespace {

// A record with hand-made lists: distinct values ascending, with counts and (weighted)
// weight sums, and missing kinds with counts.
struct hand_lists {
  struct value {
    double x;
    int f;
    double w = 0, w15 = 0, w2 = 0;
  };
  std::deque<kes_valnode> nodes, kinds;
  std::deque<kes_wtrec> wts;
  kes_varsum rec{};

  hand_lists(const std::vector<value>& vs, bool weighted, const std::vector<std::pair<int, int>>& missing = {}) {
    kes_valnode* prev = nullptr;
    for (const value& v : vs) {
      kes_valnode& n = nodes.emplace_back();
      n.key.value = v.x;
      n.count = v.f;
      if (weighted) n.wt = &wts.emplace_back(kes_wtrec{v.w, v.w15, v.w2, nullptr});
      (prev != nullptr ? prev->next : rec.values) = &n;
      prev = &n;
      rec.n += v.f;
    }
    prev = nullptr;
    for (const auto& [kind, count] : missing) {
      kes_valnode& n = kinds.emplace_back();
      n.key.kind = kind;
      n.count = count;
      (prev != nullptr ? prev->next : rec.missing) = &n;
      prev = &n;
      rec.nmiss += count;
    }
    rec.ndistinct = static_cast<int>(vs.size());
  }
  std::vector<kes_valnode*> node_order() {
    std::vector<kes_valnode*> v;
    for (kes_valnode& n : nodes) v.push_back(&n);
    return v;
  }
};

// The arrays of a view, for comparison.
struct view_copy {
  std::vector<double> x, w, w15, w2;
  std::vector<int> f, kind, kcount;
  int nkept = 0;
};

view_copy copy_of(const kes_valview& v) {
  view_copy c;
  c.x.assign(v.x, v.x + v.m);
  c.f.assign(v.f, v.f + v.m);
  if (v.w != nullptr) {
    c.w.assign(v.w, v.w + v.m);
    kes_view_powers powers(v);
    // In the view's unit: the view keeps them in each value's own (kes_valview).
    for (int i = 0; i < v.m; ++i) {
      double w15, w2;
      int u;
      powers.at(i, &w15, &w2, &u);
      c.w15.push_back(std::ldexp(w15, u + u / 2));
      c.w2.push_back(std::ldexp(w2, 2 * u));
    }
  }
  c.nkept = v.nkept;
  c.kind.assign(v.kind, v.kind + v.nkinds);
  c.kcount.assign(v.kcount, v.kcount + v.nkinds);
  return c;
}

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

void expect_same(const view_copy& a, const view_copy& b) {
  EXPECT_TRUE(same_bits(a.x, b.x));
  EXPECT_EQ(a.f, b.f);
  EXPECT_TRUE(same_bits(a.w, b.w));
  EXPECT_TRUE(same_bits(a.w15, b.w15));
  EXPECT_TRUE(same_bits(a.w2, b.w2));
  EXPECT_EQ(a.nkept, b.nkept);
  EXPECT_EQ(a.kind, b.kind);
  EXPECT_EQ(a.kcount, b.kcount);
}

class ValueViews : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = v_global_gcb_anchor;
    v_global_gcb_anchor = plat::anchor();
    base_ = plat::memory_in_use();
    ctx_.nvars = 1;
    ctx_.varpools = pools_;
    ctx_.node_chunk = chunks_;
    ctx_.weight_chunk = wchunks_;
    ctx_.nodes_used = used_;
    ctx_.dp.spare = spare_;
  }
  void TearDown() override {
    plat::set_memory_cap(0);
    for (host_pool* p : made_) xmpoold(p);
    if (pools_[0] != nullptr) xmpoold(pools_[0]);
    EXPECT_EQ(plat::memory_in_use(), base_);
    v_global_gcb_anchor = saved_;
  }
  host_pool* pool() { return made_.emplace_back(kes_view_pool()); }
  // Makes r's view in a fresh pool; its arrays.
  view_copy made(kes_varsum& r) {
    EXPECT_TRUE(kes_make_view(&ctx_, pool(), &r));
    EXPECT_NE(r.view, nullptr);
    return r.view != nullptr ? copy_of(*r.view) : view_copy{};
  }

  kes_ctx ctx_{};
  host_pool* pools_[1] = {nullptr};
  void* chunks_[1] = {nullptr};
  void* wchunks_[1] = {nullptr};
  int used_[1] = {0};
  kes_valnode* spare_[1] = {nullptr};
  std::vector<host_pool*> made_;
  host_gcb* saved_ = nullptr;
  long base_ = 0;
};

TEST_F(ValueViews, HoldTheListsValuesCountsWeightsAndMissingKinds) {
  using V = std::vector<hand_lists::value>;
  const struct row {
    const char* what;
    V values;
    bool weighted;
    std::vector<std::pair<int, int>> missing;
    int kept = 0;  // values whose sums of sqrt(c) w and c w the view keeps
  } rows[] = {
      {"ties and FREQ", {{-2.5, 3}, {0, 1}, {1.25, 7}, {4, 2}}, false, {}},
      {"weights", {{1, 2, 1.5, 1.5 * std::sqrt(0.75), 1.125}, {3, 1, 0, 0, 0}, {8, 4, 10, 20, 25}}, true, {}, 2},
      // Sums of one weight w (sqrt(w) w, w w) are not kept, whatever the count.
      {"sums of one weight", {{2, 1, 2.25, 3.375, 5.0625}, {5, 3, 4, 8, 16}, {7, 2, 4, 4 * std::sqrt(2.0), 8}},
       true, {}, 1},
      {"missing kinds", {{5, 1}, {6, 2}}, false, {{HOST_MISS_STD, 3}, {HOST_MISS_A, 1}, {HOST_MISS_Z, 2}}},
      {"one value", {{42, 9}}, true, {}},
      {"no value, missing only", {}, false, {{HOST_MISS_STD, 4}}},
      {"nothing at all", {}, true, {}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    ctx_.weight_given = r.weighted ? 1 : 0;
    hand_lists h(r.values, r.weighted, r.missing);
    const view_copy c = made(h.rec);
    ASSERT_EQ(c.x.size(), r.values.size());
    double n = 0, sumw = 0, nmiss = 0;
    for (size_t i = 0; i < r.values.size(); ++i) {
      EXPECT_EQ(c.x[i], r.values[i].x);
      EXPECT_EQ(c.f[i], r.values[i].f);
      if (i > 0) {
        EXPECT_LT(c.x[i - 1], c.x[i]);
      }
      n += c.f[i];
      if (r.weighted) {
        EXPECT_EQ(c.w[i], r.values[i].w);
        EXPECT_EQ(c.w15[i], r.values[i].w15);
        EXPECT_EQ(c.w2[i], r.values[i].w2);
        sumw += c.w[i];
      }
    }
    EXPECT_EQ(c.nkept, r.kept);
    // Weight sums come only with WEIGHT (and values).
    EXPECT_EQ(c.w.empty(), !r.weighted || r.values.empty());
    ASSERT_EQ(c.kind.size(), r.missing.size());
    for (size_t i = 0; i < r.missing.size(); ++i) {
      EXPECT_EQ(c.kind[i], r.missing[i].first);
      EXPECT_EQ(c.kcount[i], r.missing[i].second);
      nmiss += c.kcount[i];
    }
    EXPECT_EQ(n, h.rec.n);
    EXPECT_EQ(nmiss, h.rec.nmiss);
    if (r.weighted) {
      double want = 0;
      for (const auto& v : r.values) want += v.w;
      EXPECT_EQ(sumw, want);
    }
    // The view keeps the lists for the caller to give up.
    EXPECT_EQ(h.rec.values != nullptr, !r.values.empty());
    kes_forget_lists(&h.rec);
    EXPECT_EQ(h.rec.values, nullptr);
    EXPECT_EQ(h.rec.missing, nullptr);
    EXPECT_EQ(h.rec.listed, nullptr);
  }
}

std::vector<hand_lists::value> random_values(std::mt19937& rng, int n) {
  std::uniform_real_distribution<double> wide(-1e6, 1e6);
  std::vector<double> xs;
  for (int i = 0; i < n; ++i)
    xs.push_back(i % 3 == 0 ? std::round(wide(rng) / 1000) : wide(rng) * std::ldexp(1.0, static_cast<int>(rng() % 60) - 30));
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  std::vector<hand_lists::value> v;
  for (double x : xs) {
    const int f = 1 + static_cast<int>(rng() % 5);
    const double c = 0.25 * static_cast<double>(rng() % 9);
    v.push_back({x, f, c * f, std::sqrt(c) * c * f, c * c * f});
  }
  return v;
}

// The nodes read in making order (shuffled here), sorted by value, give the view of
// the walk to the bit, from one node to many radix buckets.
TEST_F(ValueViews, NodesInMakingOrderGiveTheWalkedView) {
  std::mt19937 rng(11);
  for (int n : {1, 2, 7, 300, 5000, 70000}) {
    for (bool weighted : {false, true}) {
      SCOPED_TRACE("n " + std::to_string(n) + (weighted ? " weighted" : ""));
      ctx_.weight_given = weighted ? 1 : 0;
      hand_lists h(random_values(rng, n), weighted);
      const view_copy walked = made(h.rec);
      std::vector<kes_valnode*> order = h.node_order();
      std::shuffle(order.begin(), order.end(), rng);
      h.rec.listed = order.data();
      h.rec.nlisted = h.rec.ndistinct;
      expect_same(made(h.rec), walked);
      EXPECT_TRUE(std::is_sorted(walked.x.begin(), walked.x.end()));
    }
  }
}

TEST_F(ValueViews, KeyOrderAtTheEdgesOfTheDoubles) {
  const double inf = std::numeric_limits<double>::infinity();
  const double tiny = std::numeric_limits<double>::denorm_min();
  const double big = std::numeric_limits<double>::max();
  for (double zero : {0.0, -0.0}) {
    std::vector<double> xs = {-inf, -big, -1e300, -1.0, -0.5, -2.2250738585072014e-308, -tiny, zero,
                              tiny, 2.2250738585072014e-308, 1e-300, 0.5, 1.0, big, inf};
    std::vector<hand_lists::value> v;
    for (double x : xs) v.push_back({x, 1});
    hand_lists h(v, false);
    const view_copy walked = made(h.rec);
    std::vector<kes_valnode*> order = h.node_order();
    std::mt19937 rng(3);
    std::shuffle(order.begin(), order.end(), rng);
    h.rec.listed = order.data();
    h.rec.nlisted = h.rec.ndistinct;
    const view_copy sorted = made(h.rec);
    expect_same(sorted, walked);
    EXPECT_EQ(sorted.x.front(), -inf);
    EXPECT_EQ(sorted.x.back(), inf);
    EXPECT_EQ(std::signbit(sorted.x[7]), std::signbit(zero));  // the zero keeps its sign
  }
}

// Nodes made in value order are copied without a sort, in parts of 65536: one node
// out of order at a part's edge must still send them to the sort.
TEST_F(ValueViews, NodesAlreadyInValueOrderOrReversed) {
  std::vector<hand_lists::value> v;
  for (int i = 0; i < 140000; ++i) v.push_back({i * 0.125 - 1000, 1 + i % 3});
  hand_lists h(v, false);
  const view_copy walked = made(h.rec);
  std::vector<kes_valnode*> order = h.node_order();
  h.rec.listed = order.data();
  h.rec.nlisted = h.rec.ndistinct;
  for (int threads : {1, 8}) {
    kes_set_engine_threads(threads);
    expect_same(made(h.rec), walked);
    std::swap(order[65535], order[65536]);
    expect_same(made(h.rec), walked);
    std::swap(order[65535], order[65536]);
    std::reverse(order.begin(), order.end());
    expect_same(made(h.rec), walked);
    std::reverse(order.begin(), order.end());
  }
  kes_set_engine_threads(1);
}

// Without memory for it the view is not made and the lists stay for another try.
TEST_F(ValueViews, AViewThatCannotBeHadLeavesTheLists) {
  std::vector<hand_lists::value> v;
  for (int i = 0; i < 1000; ++i) v.push_back({static_cast<double>(i), 1});
  hand_lists h(v, false, {{HOST_MISS_STD, 2}});
  host_pool* p = pool();
  plat::set_memory_cap(plat::memory_in_use() + 1000);
  EXPECT_FALSE(kes_make_view(&ctx_, p, &h.rec));
  EXPECT_EQ(h.rec.view, nullptr);
  EXPECT_EQ(h.rec.values, &h.nodes.front());
  EXPECT_EQ(h.rec.missing, &h.kinds.front());
  // No pool at all: the same.
  EXPECT_FALSE(kes_make_view(&ctx_, nullptr, &h.rec));
  EXPECT_EQ(h.rec.view, nullptr);
  plat::set_memory_cap(0);
  EXPECT_TRUE(kes_make_view(&ctx_, p, &h.rec));
}

// The view pool takes the variable's place; the old pool (the nodes) goes with what
// it held, and the node chunk state starts afresh.
TEST_F(ValueViews, TheViewPoolReplacesTheVariablesPool) {
  pools_[0] = xmpoolc(8192, 8192, KES_POOL_VAR);
  ASSERT_NE(pools_[0], nullptr);
  ASSERT_NE(vmalcp_handler(pools_[0], 1 << 20, KES_ALLOC_2), nullptr);  // nodes, say
  chunks_[0] = &used_;
  ctx_.nodes_per_chunk = 100;
  host_pool* views = kes_view_pool();
  ASSERT_NE(views, nullptr);
  const long before = plat::memory_in_use();
  kes_take_view_pool(&ctx_, 0, views);
  EXPECT_EQ(pools_[0], views);
  EXPECT_LE(plat::memory_in_use(), before - (1 << 20));
  EXPECT_EQ(chunks_[0], nullptr);
  EXPECT_EQ(used_[0], 100);  // the next node opens a new chunk
  EXPECT_EQ(spare_[0], nullptr);
}

}  // namespace
