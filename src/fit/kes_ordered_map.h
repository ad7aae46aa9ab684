// An expensive per-value function over millions of values on several threads, its
// results consumed in ascending order on the calling thread: every sum and running
// extreme built from them comes out exactly as in a plain serial loop, whatever the
// number of threads.
#pragma once
#include <algorithm>
#include <memory>
#include <new>

#include "host/kes_parallel.h"

namespace kes {

// Values computed per round, and per part of a round.
inline constexpr long ordered_map_block = 1L << 18;
inline constexpr long ordered_map_grain = 1L << 13;

// Calls make(i) (returning a T; must not throw, must depend on i only) for every i in
// [0, n) on up to usable_threads(threads) threads, a round of ordered_map_block
// values at a time, and use(i, result) for i = 0, 1, ... on the caller's thread; use
// returns false to stop. Without memory for a round the loop runs serially.
template <class T, class Make, class Use>
void ordered_map(int threads, long n, Make&& make, Use&& use) {
  const int nt = usable_threads(threads);
  std::unique_ptr<T[]> buf;
  if (nt > 1 && n > ordered_map_grain) buf.reset(new (std::nothrow) T[std::min(n, ordered_map_block)]);
  if (!buf) {
    for (long i = 0; i < n; ++i)
      if (!use(i, make(i))) return;
    return;
  }
  for (long b = 0; b < n; b += ordered_map_block) {
    const long len = std::min(ordered_map_block, n - b);
    parallel_ranges(nt, static_cast<std::size_t>(len), ordered_map_grain, [&](std::size_t lo, std::size_t hi) {
      for (std::size_t k = lo; k < hi; ++k) buf[k] = make(b + static_cast<long>(k));
    });
    for (long k = 0; k < len; ++k)
      if (!use(b + k, buf[k])) return;
  }
}

}  // namespace kes
