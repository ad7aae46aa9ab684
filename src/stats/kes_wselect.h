// Weighted selection: the smallest value whose cumulative weight, in ascending order
// of value, reaches a target. Expected linear time (quickselect with three-way
// partitions), so a median of weighted items needs no full sort.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

// Items are records with members v (the value) and w (an integer weight); the array
// is reordered. base is the weight known to lie below every item; the result is the
// value where base plus the cumulative weight first reaches target, or miss when the
// items do not reach it.
template <class Item>
double kes_wselect(Item* a, std::ptrdiff_t n, long long base, long long target, double miss) {
  std::ptrdiff_t lo = 0, hi = n;  // the answer lies in a[lo, hi)
  long long need = target - base;
  if (need <= 0) {
    // Already reached: the smallest value is the answer.
    if (n <= 0) return miss;
    double best = a[0].v;
    for (std::ptrdiff_t i = 1; i < n; ++i)
      if (a[i].v < best) best = a[i].v;
    return best;
  }
  std::uint64_t seed = 0x9e3779b97f4a7c15ULL;
  while (hi - lo > 0) {
    // Pseudo-random pivot: no input makes the partitions lopsided every time.
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    const double p = a[lo + static_cast<std::ptrdiff_t>(seed % static_cast<std::uint64_t>(hi - lo))].v;
    // Three-way partition: [lo, lt) below p, [lt, gt) equal, [gt, hi) above.
    std::ptrdiff_t lt = lo, i = lo, gt = hi;
    long long wlt = 0, weq = 0;
    while (i < gt) {
      if (a[i].v < p) {
        wlt += a[i].w;
        std::swap(a[lt++], a[i++]);
      } else if (a[i].v > p) {
        std::swap(a[i], a[--gt]);
      } else {
        weq += a[i].w;
        ++i;
      }
    }
    if (need <= wlt) {
      hi = lt;
    } else if (need <= wlt + weq) {
      return p;
    } else {
      need -= wlt + weq;
      lo = gt;
    }
  }
  return miss;
}
