// Fixed-partition parallel loops, shared by the module and the stand-in.
//
// Work is cut into parts whose bounds depend only on the size of the work, never on
// the number of threads; each part runs exactly once, on whichever thread takes it.
// A caller that combines per-part results in part order therefore gets the same bits
// with one thread and with many. Threads are started per call: the loops that use
// them work on millions of values, against which starting a thread costs nothing.
#pragma once
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

namespace kes {

// The most threads any loop uses; a larger request is cut to it.
inline constexpr int max_threads = 64;

// Threads to use when the run asks for "all of them" (0 or less).
inline int usable_threads(int requested) {
  if (requested > 0) return std::min(requested, max_threads);
  // Asked once a process: each asking reads a system file, and loops that ask per
  // sample (a goodness-of-fit statistic per simulated sample) spent most of their
  // time in the kernel, threads queueing on its locks.
  static const unsigned hc = std::thread::hardware_concurrency();
  return hc == 0 ? 1 : static_cast<int>(std::min<unsigned>(hc, max_threads));
}

// Number of parts of `grain` items (the last one shorter) covering n items.
inline std::size_t part_count(std::size_t n, std::size_t grain) {
  return grain == 0 ? 1 : (n + grain - 1) / grain;
}

namespace detail {

// Calls first() on the calling thread while `helpers` started threads call body(k) for
// the parts k in [0, parts); the calling thread then takes the parts left. A thread
// that cannot be started leaves its share to the others, so the loop always
// completes. When first() throws, the helpers take no further part and the exception
// goes on once they have stopped.
template <class First, class Body>
void run_parts(std::size_t helpers, std::size_t parts, First&& first, Body&& body) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  auto work = [&] {
    for (std::size_t k; !stop.load(std::memory_order_relaxed) && (k = next.fetch_add(1, std::memory_order_relaxed)) < parts;)
      body(k);
  };
  std::vector<std::thread> pool;
  pool.reserve(helpers);
  for (std::size_t t = 0; t < helpers; ++t) {
    try {
      pool.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer threads: the others take the remaining parts
    }
  }
  try {
    first();
  } catch (...) {
    stop.store(true, std::memory_order_relaxed);
    for (std::thread& th : pool) th.join();
    throw;
  }
  work();
  for (std::thread& th : pool) th.join();
}

}  // namespace detail

// Calls body(k) for every k in [0, parts), on up to `threads` threads (the caller's
// own thread included). The body must not throw.
template <class Body>
void parallel_parts(int threads, std::size_t parts, Body&& body) {
  const std::size_t want = std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), parts);
  if (want <= 1) {
    for (std::size_t k = 0; k < parts; ++k) body(k);
    return;
  }
  detail::run_parts(want - 1, parts, [] {}, body);
}

// Calls first() on the calling thread while up to threads - 1 other threads call
// body(k) for the parts k in [0, parts); the calling thread then takes the parts left.
// Work of the caller's own (putting what the last parts made) so runs beside the
// next parts. When first() throws, the other threads take no further part and the
// exception goes on once they have stopped.
template <class First, class Body>
void parallel_parts_beside(int threads, std::size_t parts, First&& first, Body&& body) {
  detail::run_parts(std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)) - 1, parts), parts, first,
                    body);
}

// Calls body(begin, end) over [0, n) in parts of `grain` items.
template <class Body>
void parallel_ranges(int threads, std::size_t n, std::size_t grain, Body&& body) {
  std::size_t parts = part_count(n, grain);
  parallel_parts(threads, parts, [&](std::size_t k) {
    std::size_t b = k * grain;
    body(b, std::min(n, b + grain));
  });
}

}  // namespace kes
