// Weighted percentiles do not depend on the order of the rows: sets whose weights
// span 1e-300..1e300, with quarters of exactly equal weight planted (so P25, P50 and P75
// fall on steps of the cumulative weight), run by the built runner in the given,
// reversed and shuffled orders, and the heaviest or the lightest first. Each percentile must be the same in every order and
// equal the one found here from the weights summed as exact integers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "metamorphic/meta_run.h"
#include "support/csv_rows.h"
#include "support/scratch_files.h"

namespace {

// A weight k 2^e with k below 2^20 and e in kLowExp .. kLowExp + 1980.
struct weight {
  std::uint32_t k;
  int e;
};
constexpr int kLowExp = -1010;

// A nonnegative integer in units of 2^kLowExp, wide enough for every sum here.
class big {
 public:
  void add(const weight& w) { add_at(w.k, w.e - kLowExp); }
  big times(std::uint32_t m) const {
    big r;
    unsigned __int128 carry = 0;
    for (std::size_t i = 0; i < w_.size(); ++i) {
      const unsigned __int128 t = static_cast<unsigned __int128>(w_[i]) * m + carry;
      r.w_[i] = static_cast<std::uint64_t>(t);
      carry = t >> 64;
    }
    return r;
  }
  friend int compare(const big& a, const big& b) {
    for (std::size_t i = a.w_.size(); i-- > 0;)
      if (a.w_[i] != b.w_[i]) return a.w_[i] < b.w_[i] ? -1 : 1;
    return 0;
  }

 private:
  void add_at(std::uint64_t v, int bit) {
    std::size_t i = static_cast<std::size_t>(bit / 64);
    unsigned __int128 c = static_cast<unsigned __int128>(v) << (bit % 64);
    for (; c != 0 && i < w_.size(); ++i) {
      const unsigned __int128 t = static_cast<unsigned __int128>(w_[i]) + static_cast<std::uint64_t>(c);
      w_[i] = static_cast<std::uint64_t>(t);
      c = (c >> 64) + (t >> 64);
    }
  }
  std::vector<std::uint64_t> w_ = std::vector<std::uint64_t>(40, 0);
};

struct row {
  double x;
  weight w;
};

// The weighted percentile pct (whole percent): the first value whose cumulative
// weight reaches W pct / 100, or the mean of it and the next value where it equals it.
double reference(std::vector<row> rows, std::uint32_t pct) {
  std::sort(rows.begin(), rows.end(), [](const row& a, const row& b) { return a.x < b.x; });
  std::vector<double> xs;
  std::vector<big> cum;
  big total;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    total.add(rows[i].w);
    if (xs.empty() || xs.back() != rows[i].x) xs.push_back(rows[i].x), cum.push_back(big());
    cum.back() = total;
  }
  const big target = total.times(pct);
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const int s = compare(cum[i].times(100), target);
    if (s > 0 || i + 1 == xs.size()) return xs[i];
    if (s == 0) return (xs[i] + xs[i + 1]) / 2;
  }
  return NAN;
}

// Four quarters of values 10 g + j, each carrying the same weights (so each holds
// exactly a quarter of W), the weights' exponents anywhere in the range; a value
// usually takes several weights far apart, whose rounded sum depends on their order.
std::vector<row> planted(std::mt19937_64& rng) {
  const int nw = 3 + static_cast<int>(rng() % 5);
  std::vector<weight> ws;
  for (int i = 0; i < nw; ++i)
    ws.push_back({1 + static_cast<std::uint32_t>(rng() % 0xFFFFF), kLowExp + static_cast<int>(rng() % 1981)});
  std::vector<row> rows;
  for (int g = 0; g < 4; ++g) {
    const int nv = 1 + static_cast<int>(rng() % 3);
    for (int i = 0; i < nw; ++i) rows.push_back({10.0 * g + static_cast<double>(i < nv ? i : rng() % nv), ws[i]});
  }
  return rows;
}

// Weights of few exponents, each 1 or 3 times a power of two: sums that round often.
std::vector<row> free_weights(std::mt19937_64& rng) {
  std::vector<row> rows;
  const int n = 6 + static_cast<int>(rng() % 10);
  for (int i = 0; i < n; ++i) {
    const int e = std::vector<int>{-990, -500, -3, 0, 40, 600, 960}[rng() % 7];
    rows.push_back({static_cast<double>(rng() % 5), {rng() % 2 ? 1u : 3u, e}});
  }
  return rows;
}

std::string csv(const std::vector<row>& rows) {
  std::vector<double> x, w;
  for (const row& r : rows) x.push_back(r.x), w.push_back(std::ldexp(static_cast<double>(r.w.k), r.w.e));
  return kes_test::weighted_csv(x, w);
}

TEST(WeightedOrder, PercentilesAreTheSameInEveryOrderOfTheRows) {
  const std::uint32_t pcts[] = {1, 5, 10, 25, 30, 50, 70, 75, 90, 95, 99};
  std::mt19937_64 rng(4401);
  std::vector<std::vector<row>> sets;
  // The eight rows of the report: 4, 1, 2, 4, 4, 1, 2, 4 at 1e284, 1e284, 1e288,
  // 1e284, 1e300, 1e300, 1e284, 1e288 (as 2^e multiples these are not those
  // decimals, but they keep their exact half at 2).
  sets.push_back({{4, {1, 943}}, {1, {1, 943}}, {2, {1, 956}}, {4, {1, 943}},
                  {4, {1, 996}}, {1, {1, 996}}, {2, {1, 943}}, {4, {1, 956}}});
  for (int i = 0; i < 10; ++i) sets.push_back(planted(rng));
  for (int i = 0; i < 5; ++i) sets.push_back(free_weights(rng));

  std::map<std::string, std::string> data;
  std::string program, pts;
  for (std::uint32_t p : pcts) pts += " " + std::to_string(p);
  std::vector<std::string> names;
  // The heaviest first keeps every weight in the unit the first sets (the values
  // gathered and sorted); the lightest first moves the unit (the values go to the
  // tree one by one).
  const char* orders[] = {"given", "reversed", "shuffled", "heavy", "light"};
  auto heavier = [](const row& a, const row& b) {
    return std::ldexp(static_cast<double>(a.w.k), a.w.e) > std::ldexp(static_cast<double>(b.w.k), b.w.e);
  };
  for (std::size_t s = 0; s < sets.size(); ++s)
    for (const char* order : orders) {
      std::vector<row> rows = sets[s];
      if (order[0] == 'r') std::reverse(rows.begin(), rows.end());
      if (order[0] == 's') std::shuffle(rows.begin(), rows.end(), rng);
      if (order[0] == 'h') std::stable_sort(rows.begin(), rows.end(), heavier);
      if (order[0] == 'l') std::stable_sort(rows.rbegin(), rows.rend(), heavier);
      const std::string name = std::string(order) + std::to_string(s);
      data[name] = csv(rows);
      std::string listed;
      for (std::uint32_t p : pcts) listed += " q" + std::to_string(p);
      program += kes_meta::output_step(
          name, true, "median=med q1=q1 q3=q3 p1=p1 p99=p99 pctlpts=" + pts + " pctlpre=p pctlname=" + listed);
      names.push_back("o_" + name);
    }
  const kes_meta::program_result r = kes_meta::run_steps(kes_test::scratch_dir("weighted-order").path(), data,
                                                         program, names);
  ASSERT_EQ(r.status, 0) << r.log;
  for (std::size_t s = 0; s < sets.size(); ++s)
    for (const char* order : orders) {
      SCOPED_TRACE("set " + std::to_string(s) + " " + order);
      const auto it = r.steps.find("o_" + std::string(order) + std::to_string(s));
      ASSERT_NE(it, r.steps.end());
      const auto& got = it->second.row;
      for (std::uint32_t p : pcts) {
        const double want = reference(sets[s], p);
        EXPECT_EQ(got.at("pq" + std::to_string(p)), want) << "P" << p;
        if (s == 0 && p == 50) {
          EXPECT_EQ(want, 3.0);  // the exact half at 2
        }
      }
      EXPECT_EQ(got.at("med"), got.at("pq50"));
      EXPECT_EQ(got.at("q1"), got.at("pq25"));
      EXPECT_EQ(got.at("q3"), got.at("pq75"));
      EXPECT_EQ(got.at("p1"), got.at("pq1"));
      EXPECT_EQ(got.at("p99"), got.at("pq99"));
    }
}

}  // namespace
