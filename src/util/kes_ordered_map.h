// An expensive per-value function over millions of values on several threads, its
// results consumed in ascending order on the calling thread: every sum and running
// extreme built from them comes out exactly as in a plain serial loop, whatever the
// number of threads.
#pragma once
#include <algorithm>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "host/kes_parallel.h"

namespace kes {

// Values computed per round, and per part of a round.
inline constexpr long ordered_map_block = 1L << 20;
inline constexpr long ordered_map_grain = 1L << 15;

// Calls make(i) (returning a T; must not throw, must depend on i only) for every i in
// [0, n) on up to usable_threads(threads) threads, a round of ordered_map_block
// values at a time, and use(i, result) for i = 0, 1, ... on the caller's thread; use
// returns false to stop. While the caller uses one round the other threads make the
// next. Without memory for two rounds the loop runs serially.
template <class T, class Make, class Use>
void ordered_map(int threads, long n, Make&& make, Use&& use) {
  const int nt = usable_threads(threads);
  const long block = std::min(n, ordered_map_block);
  std::unique_ptr<T[]> buf;
  if (nt > 1 && n > ordered_map_grain) buf.reset(new (std::nothrow) T[2 * block]);
  if (!buf) {
    for (long i = 0; i < n; ++i)
      if (!use(i, make(i))) return;
    return;
  }
  // Makes the round starting at b into out on `parts_threads` threads.
  auto fill = [&](long b, T* out, int parts_threads) {
    const long len = std::min(block, n - b);
    parallel_ranges(parts_threads, static_cast<std::size_t>(len), ordered_map_grain,
                    [&](std::size_t lo, std::size_t hi) {
                      for (std::size_t k = lo; k < hi; ++k) out[k] = make(b + static_cast<long>(k));
                    });
  };
  fill(0, buf.get(), nt);
  for (long b = 0, round = 0; b < n; b += block, ++round) {
    T* cur = buf.get() + (round % 2) * block;
    T* next = buf.get() + ((round + 1) % 2) * block;
    const long nb = b + block;
    std::thread ahead;
    if (nb < n) {
      try {
        ahead = std::thread([&] { fill(nb, next, nt - 1); });
      } catch (const std::system_error&) {
        // no thread: the next round is made after this one is used
      }
    }
    bool go = true;
    for (long k = 0, len = std::min(block, n - b); go && k < len; ++k) go = use(b + k, cur[k]);
    if (ahead.joinable()) ahead.join();
    else if (go && nb < n) fill(nb, next, nt);
    if (!go) return;
  }
}

}  // namespace kes
