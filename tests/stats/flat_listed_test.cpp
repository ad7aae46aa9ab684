// kes_flatten from the record of a list's nodes (read in memory order, sorted by
// value) against the walk of the list: the same arrays to the bit, the same back
// links and tail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "records/kes_valnode.h"
#include "stats/engine_threads.h"
#include "stats/kes_flatvals.h"
#include "value_list_builder.h"

namespace {

using kes_test::obs;
using kes_test::value_list;

struct flat_copy {
  std::vector<double> x, w, w15, w2;
  std::vector<int> f;
  std::vector<const kes_valnode*> back;  // each node's back link, in list order
  const kes_valnode* tail = nullptr;
};

// Flattens vl's list (from the shuffled nodes when given) and keeps the result.
flat_copy flatten(value_list& vl, const std::vector<kes_valnode*>* nodes) {
  for (kes_valnode* p = vl.head(); p != nullptr; p = p->next) p->right = p;  // stale links
  kes_flatvals fv;
  EXPECT_EQ(kes_flatten(vl.head(), vl.size(), &fv, nodes ? nodes->data() : nullptr), 0);
  flat_copy c;
  c.x.assign(fv.x, fv.x + fv.m);
  c.f.assign(fv.f, fv.f + fv.m);
  if (fv.w != nullptr) {
    c.w.assign(fv.w, fv.w + fv.m);
    c.w15.assign(fv.w15, fv.w15 + fv.m);
    c.w2.assign(fv.w2, fv.w2 + fv.m);
  }
  for (const kes_valnode* p = vl.head(); p != nullptr; p = p->next) c.back.push_back(p->right);
  c.tail = fv.tail;
  return c;
}

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

void expect_same(const flat_copy& a, const flat_copy& b) {
  EXPECT_TRUE(same_bits(a.x, b.x));
  EXPECT_EQ(a.f, b.f);
  EXPECT_TRUE(same_bits(a.w, b.w));
  EXPECT_TRUE(same_bits(a.w15, b.w15));
  EXPECT_TRUE(same_bits(a.w2, b.w2));
  EXPECT_EQ(a.back, b.back);
  EXPECT_EQ(a.tail, b.tail);
}

std::vector<kes_valnode*> shuffled_nodes(value_list& vl, std::mt19937& rng) {
  std::vector<kes_valnode*> v;
  for (kes_valnode* p = vl.head(); p != nullptr; p = p->next) v.push_back(p);
  std::shuffle(v.begin(), v.end(), rng);
  return v;
}

TEST(FlatListed, RandomListsGiveTheWalkedArrays) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> wide(-1e6, 1e6);
  for (int n : {1, 2, 7, 300, 5000, 70000}) {  // from one node to many radix buckets
    for (bool weighted : {false, true}) {
      SCOPED_TRACE("n " + std::to_string(n) + (weighted ? " weighted" : ""));
      std::vector<obs> d;
      for (int i = 0; i < n; ++i) {
        // Ties (rounded values), both signs, several binades.
        double x = i % 3 == 0 ? std::round(wide(rng) / 1000) : wide(rng) * std::ldexp(1.0, static_cast<int>(rng() % 60) - 30);
        d.push_back({x, 1 + static_cast<int>(rng() % 5), 0.25 * (rng() % 9)});
      }
      value_list vl(d, weighted);
      const std::vector<kes_valnode*> nodes = shuffled_nodes(vl, rng);
      const flat_copy walked = flatten(vl, nullptr);
      const flat_copy sorted = flatten(vl, &nodes);
      expect_same(sorted, walked);
      ASSERT_EQ(static_cast<int>(sorted.x.size()), vl.size());
      EXPECT_TRUE(std::is_sorted(sorted.x.begin(), sorted.x.end()));
      EXPECT_EQ(sorted.back.front(), nullptr);  // the first node has no predecessor
    }
  }
}

TEST(FlatListed, KeyOrderAtTheEdgesOfTheDoubles) {
  // The order key must rank signed values, zero, subnormals and infinities as the
  // doubles compare.
  const double inf = std::numeric_limits<double>::infinity();
  const double tiny = std::numeric_limits<double>::denorm_min();
  const double big = std::numeric_limits<double>::max();
  for (double zero : {0.0, -0.0}) {
    auto vl = value_list::of({1.0, -inf, tiny, -tiny, zero, big, -big, inf, -1.0, 2.2250738585072014e-308,
                              -2.2250738585072014e-308, 0.5, -0.5, 1e-300, -1e300});
    std::mt19937 rng(3);
    const std::vector<kes_valnode*> nodes = shuffled_nodes(vl, rng);
    const flat_copy walked = flatten(vl, nullptr);
    const flat_copy sorted = flatten(vl, &nodes);
    expect_same(sorted, walked);
    EXPECT_EQ(sorted.x.front(), -inf);
    EXPECT_EQ(sorted.x.back(), inf);
    // The zero keeps its sign bit.
    EXPECT_EQ(std::signbit(sorted.x[7]), std::signbit(zero));
  }
}

TEST(FlatListed, NodesAlreadyInValueOrderOrReversed) {
  // Nodes made in value order are copied without a sort, in parts of 65536: one node
  // out of order at a part's edge must still send them to the sort.
  std::vector<double> xs;
  for (int i = 0; i < 140000; ++i) xs.push_back(i * 0.125 - 1000);
  auto vl = value_list::of(xs);
  std::vector<kes_valnode*> nodes;
  for (kes_valnode* p = vl.head(); p != nullptr; p = p->next) nodes.push_back(p);
  const flat_copy walked = flatten(vl, nullptr);
  for (int threads : {1, 8}) {
    kes_set_engine_threads(threads);
    expect_same(flatten(vl, &nodes), walked);
    std::swap(nodes[65535], nodes[65536]);
    expect_same(flatten(vl, &nodes), walked);
    std::swap(nodes[65535], nodes[65536]);
    std::reverse(nodes.begin(), nodes.end());
    expect_same(flatten(vl, &nodes), walked);
    std::reverse(nodes.begin(), nodes.end());
  }
  kes_set_engine_threads(1);
}

}  // namespace
