// Value lists of plain unweighted records are gathered and sorted at the end of the
// pass; they must equal, value for value and bit for bit, the lists the tree makes (a
// CLASS variable of one level sends the same values through the tree), for any
// number of threads and around the sort's part size; weighted ones too, weight sums
// and all, with weights at many scales, zero weights, FREQ, and a weight that changes
// the weights' unit halfway.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "data/dataset.h"
#include "datapass_test_support.h"
#include "records/kes_valview.h"

namespace dp_test {
namespace {

enum { sBy = 0, sVar = 1, sWeight = 2, sFreq = 3, sClass = 5, sData = 6 };
constexpr int kNoprint = 1;

struct list_bits {
  std::vector<std::uint64_t> values;  // the bits of each value (the sign of a zero too)
  std::vector<int> counts;
  std::vector<std::pair<int, int>> missing;
  std::vector<std::vector<double>> weights;
  int ndistinct = 0;
  int nkept = 0;        // values whose sums of sqrt(c) w and c w the view keeps
  long view_bytes = 0;  // the view's block
  bool operator==(const list_bits&) const = default;
};

class DatapassGathered : public datapass_fixture {
 protected:
  // g: two BY groups; k: one CLASS level; f: frequencies; x: ties, both zeros (-0
  // first in group 1), missing values; y: nearly all distinct; z: every other value
  // twice (too few ties to merge them early), so that runs of one value cross the
  // parts in which the sorted values are counted.
  // w: weights from 2^-20 to 2^30 (every 37th 0); times 2^80 from the middle row on
  // when jump.
  void write_data(int n, unsigned seed, bool jump = false) {
    std::mt19937 rng(seed);
    std::string csv = "g,k,f,x,y,z,w\n";
    char line[160];
    for (int i = 0; i < n; ++i) {
      const int g = i < n / 3 ? 1 : 2;
      const char* x = i % 29 == 0 ? "." : i % 31 == 0 ? (i % 2 ? "-0" : "0") : nullptr;
      char xb[32];
      if (x == nullptr) std::snprintf(xb, sizeof xb, "%d.5", static_cast<int>(rng() % 5000) - 2500);
      const int j = g == 1 ? i : i - n / 3;
      const double w = i % 37 == 0 ? 0.0
                                   : std::ldexp(1.0 + static_cast<double>(rng() % 1000) / 7.0,
                                                static_cast<int>(rng() % 51) - 20 + (jump && i >= n / 2 ? 80 : 0));
      std::snprintf(line, sizeof line, "%d,K,%d,%s,%.17g,%.1f,%.17g\n", g, 1 + static_cast<int>(rng() % 3),
                    x ? x : xb, std::ldexp(static_cast<double>(rng()), -20) - 2048.0, (2 * j / 3 - 40000) * 0.5, w);
      csv += line;
    }
    write_csv("d", csv);
  }
  // The module's threads come from the context, the host's from THREADS=.
  // f is the FREQ variable (use 0), the WEIGHT variable (1), or neither (2); w is the
  // WEIGHT variable alone (3) or with f as FREQ (4).
  std::vector<std::map<int, list_bits>> lists(bool with_class, int threads, int use = 0) {
    ctx_ = std::make_unique<kes_ctx>();
    ctx_->threads = threads;
    std::string error;
    EXPECT_TRUE(plat::set_system_option("THREADS", std::to_string(threads), &error));
    if (data_ != nullptr) plat::close_dataset(plat::from_handle(static_cast<kes_dsh>(data_)));
    data_ = nullptr;
    proc_builder p;
    p.handle(sData, open_data("d", {"g"})).flag(kNoprint).ints(sBy, {var_of("g")});
    p.ints(sVar, {var_of("x"), var_of("y"), var_of("z")});
    if (use < 2) p.ints(use == 0 ? sFreq : sWeight, {var_of("f")});
    if (use >= 3) p.ints(sWeight, {var_of("w")});
    if (use == 4) p.ints(sFreq, {var_of("f")});
    if (with_class) p.ints(sClass, {var_of("k")});
    const run_result r = run(p);
    EXPECT_EQ(r.rc, 0) << log();
    std::vector<std::map<int, list_bits>> out;
    for (const group_snap& g : r.groups) {
      EXPECT_EQ(g.vars.size(), 1u);
      auto& m = out.emplace_back();
      for (const auto& [v, s] : g.vars.begin()->second) {
        list_bits& b = m[v];
        for (const auto& [x, c] : s.values) {
          std::uint64_t bits;
          std::memcpy(&bits, &x, sizeof bits);
          b.values.push_back(bits);
          b.counts.push_back(c);
        }
        b.missing = s.missing;
        b.weights = s.weights;
        b.ndistinct = s.ndistinct;
        b.nkept = s.nkept;
        b.view_bytes = s.view_bytes;
        EXPECT_EQ(static_cast<size_t>(s.ndistinct), s.values.size());
      }
    }
    return out;
  }
};

TEST_F(DatapassGathered, ListsEqualTheTreesForAnyThreadCount) {
  // Sizes below, at and past the sort's part of 65536 values.
  for (int n : {40, 65536 * 3 / 2, 65536 * 3 + 7}) {
    SCOPED_TRACE(n);
    write_data(n, static_cast<unsigned>(n));
    const auto tree = lists(true, 1);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(lists(false, 1), tree);
    EXPECT_EQ(lists(false, 8), tree);
    EXPECT_EQ(lists(true, 8), tree);
    EXPECT_EQ(lists(false, 8, 2), lists(true, 1, 2));
    for (int use : {1, 3, 4}) {
      SCOPED_TRACE(use);
      const auto weighted_tree = lists(true, 1, use);
      EXPECT_EQ(lists(false, 1, use), weighted_tree);
      EXPECT_EQ(lists(false, 8, use), weighted_tree);
    }
    // The first zero of group 1 came as -0, the list keeps its sign.
    const list_bits& x1 = tree[0].at(0);
    bool negzero = false;
    for (std::uint64_t b : x1.values) negzero = negzero || b == 0x8000000000000000ULL;
    EXPECT_EQ(negzero, n / 3 > 31);
  }
}

// A weight 2^80 above the first changes the weights' unit halfway: what was gathered
// goes to the tree in its own unit, and the lists still equal the tree's. Group 2's
// first zero, gathered before the change, is 0 in the first size and -0 in the second.
TEST_F(DatapassGathered, WeightedListsEqualTheTreesWhenTheUnitChanges) {
  for (int n : {65536 + 99, 3 * 21887}) {
    SCOPED_TRACE(n);
    write_data(n, 5u, true);
    for (int use : {3, 4}) {
      SCOPED_TRACE(use);
      const auto tree = lists(true, 1, use);
      EXPECT_EQ(lists(false, 8, use), tree);
    }
  }
}

// Weights from 5e-324 to 1.7e308 in one variable, ties and single values, every weight
// positive: the view gives every value a positive exact weight (kes_view_weight_parts),
// although most of them are 0 in the weights' unit, which the largest sets; the
// gathered lists equal the tree's, exact weights and all.
TEST_F(DatapassGathered, EveryPositiveWeightStaysPositive) {
  std::mt19937 rng(7);
  std::string csv = "g,k,f,x,y,z,w\n";
  char line[160];
  for (int i = 0; i < 3000; ++i) {
    const double w = i % 97 == 0 ? 1.7e308 : i % 5 == 0 ? 5e-324 : std::ldexp(1.0 + rng() % 1000, static_cast<int>(rng() % 2000) - 1000);
    std::snprintf(line, sizeof line, "%d,K,1,%d,%d,%d,%.17g\n", i < 1000 ? 1 : 2, static_cast<int>(rng() % 500),
                  i, static_cast<int>(rng() % 50), w);
    csv += line;
  }
  write_csv("d", csv);
  for (int use : {3, 4}) {
    SCOPED_TRACE(use);
    const auto tree = lists(true, 1, use);
    EXPECT_EQ(lists(false, 8, use), tree);
    for (const auto& g : tree)
      for (const auto& [v, b] : g)
        for (const auto& w : b.weights) EXPECT_GT(w[3], 0.0) << "variable " << v;
  }
}

// A weighted view holds the sum of w of every value and the other two sums only of
// the values they are not those of one weight for: the nearly distinct values of y
// cost 20 bytes a value (value, count, sum of w), not the 36 of all three sums (a
// kept value 40 more, with its sum of w in its own unit and the place of its sum
// without rounding), and the tied values of z
// keep theirs. With FREQ above 1, values keep theirs too.
TEST_F(DatapassGathered, WeightedViewsKeepOnlyTheSumsOfTiesAndFrequencies) {
  write_data(65536 * 2 + 5, 11u);
  struct want {
    int use, threads;
    bool with_class;
  };
  for (const want& c : {want{3, 8, false}, want{3, 1, false}, want{3, 1, true}, want{4, 8, false}}) {
    SCOPED_TRACE(c.use * 100 + c.threads * 10 + c.with_class);
    const auto groups = lists(c.with_class, c.threads, c.use);
    ASSERT_EQ(groups.size(), 2u);
    for (const auto& g : groups) {
      const list_bits& y = g.at(1);
      const list_bits& z = g.at(2);
      const long m = static_cast<long>(y.values.size());
      ASSERT_GT(m, 40000);
      int tied = 0, heavy = 0;  // values of z, and of y, of more than one observation
      for (int f : z.counts) tied += f > 1;
      for (int f : y.counts) heavy += f > 1;
      ASSERT_GT(tied, 10000);
      if (c.use == 3) {
        // y's few ties (32 random bits a value) alone keep theirs.
        ASSERT_LT(heavy, 10);
        EXPECT_LE(y.nkept, heavy);
        EXPECT_LE(y.view_bytes, static_cast<long>(sizeof(kes_valview)) + 20 * m + 40 * heavy);
        // A tied value keeps its sums unless both weights were 0.
        EXPECT_LE(z.nkept, tied);
        EXPECT_GT(z.nkept, tied * 9 / 10);
      } else {
        // FREQ 1 to 3: the values of frequency above 1 keep theirs (unless of weight 0).
        ASSERT_GT(heavy, m / 2);
        EXPECT_LE(y.nkept, heavy);
        EXPECT_GT(y.nkept, heavy * 9 / 10);
      }
    }
  }
}

}  // namespace
}  // namespace dp_test
