// The radix sort that scatters large runs into buckets first gives std::stable_sort's
// order for any thread count: around the size from which it buckets, with keys that
// differ only in their lowest bits, with one crowded bin (a bucket sorted by whole-array
// passes), with ties and with the keys of signed zeros and normal values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "host/kes_radix_sort.h"

namespace {

struct rec {
  std::uint64_t key;
  std::uint64_t place;  // arrival order, to see stability
  bool operator==(const rec&) const = default;
};

using key_maker = std::function<std::uint64_t(std::mt19937_64&, std::size_t)>;

std::uint64_t normal_key(std::mt19937_64& rng, std::size_t i) {
  static std::normal_distribution<double> normal;
  if (i % 97 == 0) return kes::double_order_key(i % 2 ? -0.0 : 0.0);
  // Rounded to 2^-20 now and then, so that values repeat.
  double x = normal(rng);
  if (i % 5 == 0) x = std::round(x * 1048576) / 1048576;
  return kes::double_order_key(x);
}

TEST(RadixSortBuckets, OrderOfAStableSortForAnyThreadCount) {
  const std::uint64_t top = std::uint64_t{0xABCD} << 48;
  const std::pair<const char*, key_maker> kinds[] = {
      {"normal values", normal_key},
      {"lowest 10 bits differ", [top](std::mt19937_64& r, std::size_t) { return top | (r() & 1023); }},
      {"one crowded bin",
       [top](std::mt19937_64& r, std::size_t i) { return i % 10 < 7 ? top | (r() & 0xFFFFF) : r(); }},
      {"two keys", [](std::mt19937_64& r, std::size_t) { return r() % 2 ? ~std::uint64_t{0} : 0; }},
      {"one key", [top](std::mt19937_64&, std::size_t) { return top; }},
  };
  std::mt19937_64 rng(11);
  for (const auto& [name, make] : kinds)
    for (std::size_t n : {131071u, 131072u, 131073u, 500009u}) {
      SCOPED_TRACE(std::string(name) + ", " + std::to_string(n) + " records");
      std::vector<rec> in(n);
      for (std::size_t i = 0; i < n; ++i) in[i] = {make(rng, i), i};
      std::vector<rec> want = in;
      std::stable_sort(want.begin(), want.end(), [](const rec& a, const rec& b) { return a.key < b.key; });
      for (int threads : {1, 3, 8}) {
        std::vector<rec> got = in, tmp(n);
        kes::radix_sort_by_key(got.data(), tmp.data(), n, threads);
        EXPECT_TRUE(got == want) << threads << " threads";
      }
    }
}

// The keys keep the order of the doubles, and -0 and 0 share one.
TEST(RadixSortBuckets, OrderKeysFollowTheDoubles) {
  const double xs[] = {-1e308, -2.5, -1e-300, -0.0, 0.0, 5e-324, 1.0, 1.0000000000000002, 1e308};
  for (std::size_t i = 0; i + 1 < std::size(xs); ++i) {
    EXPECT_LE(kes::double_order_key(xs[i]), kes::double_order_key(xs[i + 1])) << xs[i];
    EXPECT_EQ(kes::double_of_order_key(kes::double_order_key(xs[i])), xs[i] == 0 ? 0.0 : xs[i]);
  }
  EXPECT_EQ(kes::double_order_key(-0.0), kes::double_order_key(0.0));
}

}  // namespace
