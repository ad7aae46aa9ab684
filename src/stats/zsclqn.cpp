// zsclqn: the k-th smallest pairwise distance of a sample given as weighted distinct
// values, without forming all pairs.
//
// The pairs (i, j), j < i, form a triangle whose row i holds the distances x_i - x_j,
// growing as j falls. Each row keeps a band [a_i, b_i] of columns still in question:
// columns before a_i lie above the answer, columns after b_i below it. A round draws
// a few tens of thousands of band cells at random, in proportion to their pair
// weights f_i f_j, and takes from the sorted draw two values t_lo <= t_hi that
// bracket the wanted rank with high probability. One sweep with column pointers that
// only move right counts exactly the pairs below and up to each of them, and the
// bands shrink to the cells between them (or, when a bracket misses, to the side the
// answer is on; a bracket value that is the answer ends the search). Each round costs O(m) plus the draw and cuts the band
// weight by a factor of about a hundred, so a few rounds bring 10^13 cells down to
// a size that is selected directly. The draw only steers: every count is exact and
// the answer does not depend on it.
//
// Distances are the rounded differences x_i - x_j; rounding is monotone, so every
// count below is exact for the values a direct computation would form.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "host/kes_parallel.h"
#include "numeric/zmissing.h"
#include "stats/engine_threads.h"
#include "stats/kes_wselect.h"
#include "stats/kesscl.h"

namespace {

struct cell {
  double v;
  long long w;
};

// Bands at most this many cells are selected directly.
constexpr long long kEnumerateLimit = 1LL << 21;
// Cells drawn per round, and a bound on the rounds (each normally cuts ~100-fold).
constexpr int kDraws = 1 << 16;
constexpr int kMaxRounds = 200;

std::uint64_t splitmix(std::uint64_t& s) {
  std::uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// The first column of a row whose distance is up to t. Along the rows it never moves
// left, and it never lies before the row's band start (those columns lie above every
// value still drawn), so one sweep finds it for every row.
struct upto_ptr {
  double t;
  int p = 0;

  // Places the pointer at row i's first column up to t by bisection, so that a sweep
  // may begin at any row (the distances fall along the row).
  void start(const double* x, int i, int a) {
    int lo = a, hi = i;
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (x[i] - x[mid] <= t) hi = mid;
      else lo = mid + 1;
    }
    p = lo;
  }

  int at(const double* x, int i, int a) {
    if (p < a) p = a;
    const double xi = x[i];
    // The distances fall along the row, so the columns above t form a prefix: count
    // them eight at a time without branches (the step varies from row to row, and a
    // compare-and-branch walk mispredicts on most rows).
    while (i - p >= 8) {
      int k = 0;
      for (int u = 0; u < 8; ++u) k += !(xi - x[p + u] <= t);
      p += k;
      if (k < 8) return p;
    }
    while (p < i && !(xi - x[p] <= t)) ++p;
    return p;
  }
};

// The first column of a row whose distance is below t, given the row's first column
// up to t: the two differ only where a distance equals t exactly.
struct below_ptr {
  double t;
  int p = 0;

  int at(const double* x, int i, int le) {
    if (p < le) p = le;
    while (p < i && !(x[i] - x[p] < t)) ++p;
    return p;
  }
};

// Integer totals of one part of the rows (exact, so their sum is the same in any order).
struct part_sums {
  long long below_hi = 0, upto_hi = 0, below_lo = 0, upto_lo = 0;
  long long cells = 0, known = 0;
  unsigned long long weight = 0, first = 0;
};

// Rows 1 to m-1 in parts of a fixed size, each swept by one thread.
struct row_parts {
  static constexpr int kRows = 1 << 15;
  int m;
  int threads;
  std::vector<part_sums> sums;

  row_parts(int m_, int threads_) : m(m_), threads(threads_), sums(kes::part_count(m_ > 1 ? m_ - 1 : 0, kRows)) {}

  template <class Body>
  void each(Body&& body) {
    kes::parallel_parts(threads, sums.size(), [&](std::size_t k) {
      const int r0 = 1 + static_cast<int>(k) * kRows;
      body(r0, std::min(m, r0 + kRows), sums[k]);
    });
  }
};

}  // namespace

double kes_qn_select(int m, const double* x, const int* f, int* iwork, long long enumerate_limit) {
  if (m <= 0) return zmissing();
  long long n = 0, zeros = 0;
  for (int i = 0; i < m; ++i) {
    n += f[i];
    zeros += static_cast<long long>(f[i]) * (f[i] - 1) / 2;
  }
  if (n <= 0 || n > std::numeric_limits<int>::max()) return zmissing();
  const long long h = n / 2 + 1;
  const long long k = h * (h - 1) / 2;
  if (k <= zeros) return 0.0;
  const long long target = k - zeros;  // rank among the positive distances

  int* a = iwork;           // first candidate column of each row
  int* b = iwork + m;       // last candidate column of each row
  int* cf = iwork + 2 * m;  // inclusive prefix sums of the frequencies
  int* le_hi = iwork + 3 * m;  // each row's first column up to t_hi
  int* le_lo = iwork + 4 * m;  // and up to t_lo
  // f_lo + ... + f_hi
  auto fsum = [cf](int lo, int hi) -> long long {
    if (hi < lo) return 0;
    return static_cast<long long>(cf[hi]) - (lo > 0 ? cf[lo - 1] : 0);
  };
  long long cells = 0, known = 0;
  unsigned long long wband = 0;
  for (int i = 0; i < m; ++i) {
    a[i] = 0;
    b[i] = i - 1;
    cf[i] = f[i] + (i > 0 ? cf[i - 1] : 0);
    cells += i;
    if (i > 0) wband += static_cast<unsigned long long>(f[i]) * static_cast<unsigned long long>(cf[i - 1]);
  }
  // Every value once: a draw's offset within a band is its column offset.
  const bool unit = std::all_of(f, f + m, [](int c) { return c == 1; });
  std::uint64_t seed = 0x2545f4914f6cdd1dULL;
  std::unique_ptr<std::uint64_t[]> draws;
  std::unique_ptr<double[]> drawn;
  row_parts rows(m, kes_engine_threads());

  for (int round = 0;; ++round) {
    if (cells <= enumerate_limit || round >= kMaxRounds || wband == 0) {
      std::unique_ptr<cell[]> buf(new (std::nothrow) cell[static_cast<size_t>(cells > 0 ? cells : 1)]);
      if (!buf) return zmissing();
      long long nc = 0;
      for (int i = 1; i < m; ++i)
        for (int j = a[i]; j <= b[i]; ++j) buf[nc++] = {x[i] - x[j], static_cast<long long>(f[i]) * f[j]};
      return kes_wselect(buf.get(), nc, known, target, zmissing());
    }

    // Draw cells by pair weight: sorted positions in [0, wband), met in one sweep.
    if (!draws) {
      draws.reset(new (std::nothrow) std::uint64_t[kDraws]);
      drawn.reset(new (std::nothrow) double[kDraws]);
      if (!draws || !drawn) return zmissing();
    }
    // A small band needs fewer draws.
    const int ndraws = static_cast<int>(std::min<long long>(kDraws, std::max<long long>(256, cells / 8)));
    for (int s = 0; s < ndraws; ++s) draws[s] = splitmix(seed) % wband;
    std::sort(draws.get(), draws.get() + ndraws);
    // Each part of the rows takes the draws that fall in its share of the weight.
    rows.each([&](int r0, int r1, part_sums& ps) {
      unsigned long long w = 0;
      for (int i = r0; i < r1; ++i)
        if (a[i] <= b[i]) w += static_cast<unsigned long long>(f[i]) * fsum(a[i], b[i]);
      ps.weight = w;
    });
    unsigned long long start = 0;
    for (part_sums& ps : rows.sums) {
      ps.first = start;
      start += ps.weight;
    }
    const int s = static_cast<int>(std::lower_bound(draws.get(), draws.get() + ndraws, start) - draws.get());
    rows.each([&](int r0, int r1, part_sums& ps) {
      unsigned long long at = ps.first;
      int d = static_cast<int>(std::lower_bound(draws.get(), draws.get() + s, at) - draws.get());
      for (int i = r0; i < r1 && d < s; ++i) {
        if (a[i] > b[i]) continue;
        const long long base = a[i] > 0 ? cf[a[i] - 1] : 0;
        const unsigned long long rw = static_cast<unsigned long long>(f[i]) * fsum(a[i], b[i]);
        for (; d < s && draws[d] < at + rw; ++d) {
          // Column whose frequency run holds the draw's offset within the row.
          const long long r = static_cast<long long>((draws[d] - at) / static_cast<unsigned>(f[i]));
          const int j = unit ? a[i] + static_cast<int>(r)
                             : static_cast<int>(std::upper_bound(cf + a[i], cf + b[i] + 1, base + r) - cf);
          drawn[d] = x[i] - x[j];
        }
        at += rw;
      }
    });
    if (s == 0) return zmissing();
    std::sort(drawn.get(), drawn.get() + s);

    // Ranks of the bracket in the draw: the expected place of the target, widened by
    // about three standard deviations of the draw's count below it.
    const double q = std::clamp(static_cast<double>(target - known) / static_cast<double>(wband), 0.0, 1.0);
    const double sd = std::sqrt(static_cast<double>(s) * q * (1.0 - q));
    const double centre = q * s;
    const long long ilo = std::max<long long>(static_cast<long long>(std::floor(centre - 3.0 * sd - 2.0)), 0);
    const long long ihi = std::min<long long>(static_cast<long long>(std::ceil(centre + 3.0 * sd + 2.0)), s - 1);
    const double thi = drawn[ihi];
    const double tlo = drawn[ilo];

    // One sweep counts the pairs below and up to each bracket end.
    auto left_of = [cf](int j) -> long long { return j > 0 ? cf[j - 1] : 0; };  // f_0 + ... + f_(j-1)
    rows.each([&](int r0, int r1, part_sums& ps) {
      upto_ptr uh{thi}, ul{tlo};
      below_ptr bh{thi}, bl{tlo};
      uh.start(x, r0, a[r0]);
      ul.start(x, r0, a[r0]);
      ps = part_sums{};
      for (int i = r0; i < r1; ++i) {
        const long long fi = f[i];
        const long long tot = cf[i - 1];
        const int eh = le_hi[i] = uh.at(x, i, a[i]);
        const int el = le_lo[i] = ul.at(x, i, a[i]);
        ps.upto_hi += fi * (tot - left_of(eh));
        ps.upto_lo += fi * (tot - left_of(el));
        ps.below_hi += fi * (tot - left_of(bh.at(x, i, eh)));
        ps.below_lo += fi * (tot - left_of(bl.at(x, i, el)));
      }
    });
    long long below_hi = 0, upto_hi = 0, below_lo = 0, upto_lo = 0;
    for (const part_sums& ps : rows.sums) {
      below_hi += ps.below_hi;
      upto_hi += ps.upto_hi;
      below_lo += ps.below_lo;
      upto_lo += ps.upto_lo;
    }
    if (below_hi < target && target <= upto_hi) return thi;
    if (below_lo < target && target <= upto_lo) return tlo;

    // Every band cell on the wrong side of a bracket end leaves (the end's own cells
    // too, as it is not the answer), and the band totals are summed afresh.
    const bool above_hi = upto_hi < target;
    const bool below_lo_end = !above_hi && below_lo >= target;
    rows.each([&](int r0, int r1, part_sums& ps) {
      below_ptr cut{below_lo_end ? tlo : thi};
      ps = part_sums{};
      for (int i = r0; i < r1; ++i) {
        if (above_hi) {
          b[i] = std::min(b[i], le_hi[i] - 1);  // the cells up to t_hi leave
        } else {
          // The cells from the cut up leave; above t_lo the cells up to it leave too.
          a[i] = std::max(a[i], cut.at(x, i, below_lo_end ? le_lo[i] : le_hi[i]));
          if (!below_lo_end) b[i] = std::min(b[i], le_lo[i] - 1);
        }
        ps.known += f[i] * fsum(b[i] + 1, i - 1);
        if (a[i] > b[i]) continue;
        ps.cells += b[i] - a[i] + 1;
        ps.weight += static_cast<unsigned long long>(f[i]) * fsum(a[i], b[i]);
      }
    });
    cells = 0;
    known = 0;
    wband = 0;
    for (const part_sums& ps : rows.sums) {
      cells += ps.cells;
      known += ps.known;
      wband += ps.weight;
    }
  }
}

double zsclqn(int m, const double* x, const int* f, double* /*dwork: not needed*/, int* iwork) {
  return kes_qn_select(m, x, f, iwork, kEnumerateLimit);
}
