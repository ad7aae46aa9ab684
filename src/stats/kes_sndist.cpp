// Sn distances on weighted distinct values.
//
// For each distinct value x_i the wanted distance is the H-th smallest of its n
// distances to all observations (H = floor(n/2) + 1; its own f_i copies count as
// distance 0). The observations within any distance of x_i form a run [L, R] of
// neighbouring values around i, so the distance is the least max(x_i - x_L, x_R - x_i)
// over runs holding at least H observations. For a given L the shortest such run ends
// at R(L), which grows with L; the left reach x_i - x_L shrinks with L while the right
// reach grows, so the best L is at the crossing of the two. That crossing never moves
// left as i moves right, so one sweep with three pointers serves every value: O(m)
// for all of them, no pair formed. The sweep is cut into parts whose pointers start
// by bisection.
//
// Distances are the rounded differences x_i - x_j and x_j - x_i throughout, so the
// result equals the distance a direct computation would pick.
#include <cstddef>
#include <limits>
#include <memory>
#include <new>

#include "host/kes_parallel.h"
#include "stats/engine_threads.h"
#include "stats/kesscl.h"

namespace {

// The prefix counts of values that each occur once: their places.
struct unit_counts {
  long long operator[](int j) const { return j; }
};

template <class Count>
void sn_distances(int m, const double* x, const Count& c, double* d) {
  const long long h = static_cast<long long>(c[m]) / 2 + 1;
  const double inf = std::numeric_limits<double>::infinity();
  // The shortest run end from s reaching h observations (m: none), by bisection.
  auto end_of = [&](int s) {
    int lo = s, hi = m;
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (c[mid + 1] - c[s] >= h) hi = mid;
      else lo = mid + 1;
    }
    return lo;
  };
  // The sweep runs in fixed parts of the values, each on one thread. A part starts
  // its pointers where the sweep from the first value would have them: l at the first
  // start whose right reach is at least its left reach (the reaches cross once), by
  // bisection, and r0 at its run end; so every distance is the one a single sweep gives.
  constexpr std::size_t kPart = std::size_t{1} << 16;
  kes::parallel_ranges(kes_engine_threads(), static_cast<std::size_t>(m), kPart, [&](std::size_t b, std::size_t e) {
    const int i0 = static_cast<int>(b), i1 = static_cast<int>(e);
    int l = 0;   // candidate run start; never decreases
    int r0 = 0;  // shortest run end from l reaching h observations (m: none)
    auto run_end = [&](int from) {
      // Advances r0 to the first index with c[r0 + 1] - c[from] >= h (m when none).
      while (r0 < m && c[r0 + 1] - c[from] < h) ++r0;
    };
    {
      auto reach_met = [&](int s) {
        const int end = end_of(s);
        const double right = end >= m ? inf : (end <= i0 ? 0.0 : x[end] - x[i0]);
        return right >= x[i0] - x[s];
      };
      int lo = 0, hi = i0;
      while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (reach_met(mid)) hi = mid;
        else lo = mid + 1;
      }
      l = lo;
      r0 = end_of(l);
    }
    for (int i = i0; i < i1; ++i) {
      run_end(l);
      // Reach of a run starting at s (s <= i): left x_i - x_s, right x_R - x_i with R
      // the end for s, at least i.
      auto right_of = [&](int end) { return end >= m ? inf : (end <= i ? 0.0 : x[end] - x[i]); };
      // Move l right while its right reach still falls short of its left reach.
      for (;;) {
        const double left = x[i] - x[l];
        const double right = right_of(r0);
        if (right >= left || l == i) break;
        ++l;
        run_end(l);
      }
      // l is the first start whose right reach is at least its left reach; the best run
      // starts at l or just before it.
      double best = right_of(r0);
      if (l > 0) {
        const double left_prev = x[i] - x[l - 1];
        if (left_prev < best) best = left_prev;
      }
      d[i] = best;
    }
  });
}

}  // namespace

int kes_sndist(int m, const double* x, const int* f, double* d, int* scratch) {
  if (m <= 0) return 0;
  long long n = 0;
  bool unit = true;
  for (int j = 0; j < m; ++j) {
    n += f[j];
    unit = unit && f[j] == 1;
  }
  if (unit) {
    sn_distances(m, x, unit_counts{}, d);
    return 0;
  }
  if (scratch != nullptr && n <= std::numeric_limits<int>::max()) {
    // The prefix counts fit the caller's int scratch.
    scratch[0] = 0;
    for (int j = 0; j < m; ++j) scratch[j + 1] = scratch[j] + f[j];
    sn_distances(m, x, static_cast<const int*>(scratch), d);
    return 0;
  }
  std::unique_ptr<long long[]> c(new (std::nothrow) long long[static_cast<size_t>(m) + 1]);
  if (!c) return 1;
  c[0] = 0;
  for (int j = 0; j < m; ++j) c[j + 1] = c[j] + f[j];
  sn_distances(m, x, static_cast<const long long*>(c.get()), d);
  return 0;
}
