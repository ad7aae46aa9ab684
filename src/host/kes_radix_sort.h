// Stable least-significant-digit radix sort of records by a 64-bit unsigned `key`
// member, on up to a given number of threads. The records are cut into parts of a
// fixed size; each pass counts each part's digits, gives every (digit, part) its
// place in digit-then-part order and scatters the parts side by side. That is the
// serial stable order, so the result is the same for any thread count (and the same
// as any stable sort by key).
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "host/kes_parallel.h"

namespace kes {

// Unsigned key in the order of the doubles (numbers, not NaN): negative values
// flipped whole, the others with the sign bit set; -0 gets the key of 0.
inline std::uint64_t double_order_key(double v) {
  if (v == 0) v = 0;
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return (b >> 63) != 0 ? ~b : b | (std::uint64_t{1} << 63);
}

// The double whose key double_order_key gave.
inline double double_of_order_key(std::uint64_t k) {
  const std::uint64_t b = (k >> 63) != 0 ? k & ~(std::uint64_t{1} << 63) : ~k;
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

// Sorts a[0, n) by key; tmp has room for n records. Digits every key shares are
// skipped. Throws std::bad_alloc only when the counts cannot be had (a unchanged).
template <class T>
void radix_sort_by_key(T* a, T* tmp, std::size_t n, int threads) {
  constexpr int kBits = 11, kPasses = 6;
  constexpr std::size_t kBuckets = std::size_t{1} << kBits;
  constexpr std::size_t kGrain = std::size_t{1} << 16;
  if (n < 2) return;
  const std::size_t parts = part_count(n, kGrain);
  // counts[k * kBuckets + b]: records of part k whose current digit is b.
  std::vector<std::size_t> counts(parts * kBuckets);
  std::vector<std::size_t> whole(kPasses * kBuckets, 0);
  {
    // Every digit of every key at once, to learn which passes change nothing.
    std::vector<std::size_t> all(parts * kPasses * kBuckets, 0);
    parallel_parts(threads, parts, [&](std::size_t k) {
      std::size_t* c = &all[k * kPasses * kBuckets];
      const std::size_t end = std::min(n, (k + 1) * kGrain);
      for (std::size_t i = k * kGrain; i < end; ++i) {
        const std::uint64_t key = a[i].key;
        for (int d = 0; d < kPasses; ++d) ++c[d * kBuckets + ((key >> (kBits * d)) & (kBuckets - 1))];
      }
    });
    for (std::size_t k = 0; k < parts; ++k)
      for (std::size_t j = 0; j < kPasses * kBuckets; ++j) whole[j] += all[k * kPasses * kBuckets + j];
  }
  T* from = a;
  T* to = tmp;
  for (int d = 0; d < kPasses; ++d) {
    const std::uint64_t top = (from[0].key >> (kBits * d)) & (kBuckets - 1);
    if (whole[d * kBuckets + top] == n) continue;
    const int shift = kBits * d;
    auto digit = [shift](const T& r) { return static_cast<std::size_t>((r.key >> shift) & (kBuckets - 1)); };
    if (parts == 1) {  // the whole count is the one part's count in any order
      std::memcpy(counts.data(), &whole[d * kBuckets], kBuckets * sizeof(std::size_t));
    } else {
      parallel_parts(threads, parts, [&](std::size_t k) {
        std::size_t* c = &counts[k * kBuckets];
        std::fill(c, c + kBuckets, std::size_t{0});
        const std::size_t end = std::min(n, (k + 1) * kGrain);
        for (std::size_t i = k * kGrain; i < end; ++i) ++c[digit(from[i])];
      });
    }
    std::size_t place = 0;
    for (std::size_t b = 0; b < kBuckets; ++b)
      for (std::size_t k = 0; k < parts; ++k) {
        const std::size_t here = counts[k * kBuckets + b];
        counts[k * kBuckets + b] = place;
        place += here;
      }
    parallel_parts(threads, parts, [&](std::size_t k) {
      std::size_t* c = &counts[k * kBuckets];
      const std::size_t end = std::min(n, (k + 1) * kGrain);
      for (std::size_t i = k * kGrain; i < end; ++i) to[c[digit(from[i])]++] = from[i];
    });
    std::swap(from, to);
  }
  if (from != a) {
    parallel_ranges(threads, n, kGrain * 16,
                    [&](std::size_t b, std::size_t e) { std::memcpy(a + b, from + b, (e - b) * sizeof(T)); });
  }
}

}  // namespace kes
