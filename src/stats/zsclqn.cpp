// zsclqn: the k-th smallest pairwise distance of a sample given as weighted distinct
// values, without forming all pairs.
//
// The pairs (i, j), j < i, form a triangle whose row i holds the distances x_i - x_j,
// growing as j falls. The search keeps an open interval (L, U) that holds the answer;
// the cells still in question are those whose distance lies inside it, and in each
// row they form one band of columns [a_i, b_i]. A round draws a few tens of thousands
// of band cells at random, in proportion to their pair weights f_i f_j, and takes from
// the sorted draw two values t_lo <= t_hi that bracket the wanted rank with high
// probability. One sweep with column pointers that only move right counts exactly the
// pairs below and up to each of them and, for each of the three ways the interval can
// shrink ((t_hi, U), (L, t_lo) or (t_lo, t_hi)), the cells and weight that would be
// left in each part of the rows. The same sweep sets the bands to the cells between
// the two ends, where the answer nearly always lies; when it lies outside them, the
// bands of the new interval are found afresh by pointers (a bracket value that is the
// answer ends the search). Each round cuts the band
// weight by a factor of about a hundred, so a few rounds bring 10^13 cells down to a
// size that is selected directly. The draw only steers: every count is exact and the
// answer does not depend on it, nor on how the rows are split among threads.
//
// The bands are the only state kept per value (two ints a row, in memory the caller
// no longer needs), and the prefix counts of the frequencies when some is not 1.
//
// Distances are the rounded differences x_i - x_j; rounding is monotone, so every
// count below is exact for the values a direct computation would form.
#include <algorithm>
#include <array>
#include <atomic>
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

// The first column of a row whose distance is below t (Strict) or up to t. Along the
// rows it never moves left, so one sweep finds it for every row.
template <bool Strict>
struct col_ptr {
  double t;
  int p = 0;

  static bool inside(double d, double t) { return Strict ? d < t : d <= t; }

  // Places the pointer at row i's column by bisection over [lo, i], so that a sweep
  // may begin at any row (the distances fall along the row).
  void start(const double* x, int i, int lo) {
    int hi = i;
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (inside(x[i] - x[mid], t)) hi = mid;
      else lo = mid + 1;
    }
    p = lo;
  }

  // Row i's column, knowing it is not before `from`. The columns outside t form a
  // prefix of the row: count them four at a time without branches (the step, about
  // one column, varies from row to row, and a compare-and-branch walk mispredicts).
  int at(const double* x, int i, int from) {
    if (p < from) p = from;
    const double xi = x[i];
    while (i - p >= 4) {
      int k = 0;
      for (int u = 0; u < 4; ++u) k += !inside(xi - x[p + u], t);
      p += k;
      if (k < 4) return p;
    }
    while (p < i && !inside(xi - x[p], t)) ++p;
    return p;
  }

  // The same where the column is at most a few places past `from` (past the equal
  // distances of a bracket value), one column at a time.
  int near(const double* x, int i, int from) {
    if (p < from) p = from;
    while (p < i && !inside(x[i] - x[p], t)) ++p;
    return p;
  }
};

// The interval (lo, hi) that holds the answer; a missing end is unbounded (so that
// distances that overflowed to infinity stay inside).
struct interval {
  bool has_lo = false, has_hi = false;
  double lo = 0.0, hi = 0.0;
};

// Each row's band of an interval, found afresh, row after row from a starting row.
struct band_walk {
  interval iv;
  col_ptr<true> first{0.0};   // first column below hi
  col_ptr<false> after{0.0};  // first column up to lo: the band ends just before it

  band_walk(const interval& v, const double* x, int r0) : iv(v), first{v.hi}, after{v.lo} {
    if (iv.has_hi) first.start(x, r0, 0);
    if (iv.has_lo) after.start(x, r0, iv.has_hi ? first.p : 0);
  }

  // Row i's band [a, b] (empty when a > b).
  void at(const double* x, int i, int& a, int& b) {
    a = iv.has_hi ? first.at(x, i, 0) : 0;
    b = (iv.has_lo ? after.at(x, i, a) : i) - 1;
  }
};

// The three ways a round can narrow the interval.
enum narrowing { kAboveHi = 0, kBelowLo = 1, kBetween = 2 };

// Integer totals of one part of the rows (exact, so their sum is the same in any order).
struct alignas(64) part_sums {
  long long below_hi = 0, upto_hi = 0, below_lo = 0, upto_lo = 0;
  // Cells and weight of the part's bands after each narrowing.
  std::array<long long, 3> cells{};
  std::array<unsigned long long, 3> weight{};
  unsigned long long first = 0;  // weight of the parts before, in the current bands
};

// Rows 1 to m-1 in parts of a fixed size, each swept by one thread.
struct row_parts {
  static constexpr int kRows = 1 << 15;
  int m;
  int threads;
  std::vector<part_sums> sums;
  std::vector<unsigned long long> weight;  // each part's weight in the current bands
  std::vector<long long> cells;            // and its number of cells

  row_parts(int m_, int threads_)
      : m(m_), threads(threads_), sums(kes::part_count(m_ > 1 ? m_ - 1 : 0, kRows)), weight(sums.size()),
        cells(sums.size()) {}

  template <class Body>
  void each(Body&& body) {
    kes::parallel_parts(threads, sums.size(), [&](std::size_t k) {
      const int r0 = 1 + static_cast<int>(k) * kRows;
      body(r0, std::min(m, r0 + kRows), k);
    });
  }
};

}  // namespace

namespace {

double qn_search(int m, const double* x, const int* f, int* a, int* b, int* cf, long long enumerate_limit,
                 double spread) {
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

  // Every value once: a column's prefix count is its place, and a draw's offset
  // within a band is its column offset. Otherwise cf takes the prefix counts.
  const bool unit = std::all_of(f, f + m, [](int c) { return c == 1; });
  for (int i = 0; i < m; ++i) {
    a[i] = 0;
    b[i] = i - 1;
    if (!unit) cf[i] = f[i] + (i > 0 ? cf[i - 1] : 0);
  }
  // f_0 + ... + f_(j-1)
  auto left_of = [cf, unit](int j) -> long long { return unit ? j : (j > 0 ? cf[j - 1] : 0); };
  // Weight of row i's columns [lo, hi].
  auto row_weight = [&](int i, int lo, int hi) -> unsigned long long {
    if (hi < lo) return 0;
    return static_cast<unsigned long long>(unit ? 1 : f[i]) *
           static_cast<unsigned long long>(left_of(hi + 1) - left_of(lo));
  };

  row_parts rows(m, kes_engine_threads());
  interval iv;
  long long cells = static_cast<long long>(m) * (m - 1) / 2, known = 0;
  unsigned long long wband = 0;
  // The whole triangle: each part's weight by its rows' totals.
  rows.each([&](int r0, int r1, std::size_t p) {
    unsigned long long w = 0;
    for (int i = r0; i < r1; ++i) w += row_weight(i, 0, i - 1);
    rows.weight[p] = w;
    rows.cells[p] = (static_cast<long long>(r0) + r1 - 1) * (r1 - r0) / 2;
  });
  for (unsigned long long w : rows.weight) wband += w;

  std::uint64_t seed = 0x2545f4914f6cdd1dULL;
  std::unique_ptr<std::uint64_t[]> draws;
  std::unique_ptr<double[]> drawn;

  for (int round = 0;; ++round) {
    if (cells <= enumerate_limit || round >= kMaxRounds || wband == 0) {
      std::unique_ptr<cell[]> buf(new (std::nothrow) cell[static_cast<size_t>(cells > 0 ? cells : 1)]);
      if (!buf) return zmissing();
      // Each part fills its own stretch of the buffer, in row order.
      std::vector<long long> at(rows.cells.size() + 1, 0);
      for (std::size_t p = 0; p < rows.cells.size(); ++p) at[p + 1] = at[p] + rows.cells[p];
      std::atomic<bool> overrun{false};
      rows.each([&](int r0, int r1, std::size_t p) {
        long long nc = at[p];
        for (int i = r0; i < r1; ++i) {
          if (a[i] > b[i]) continue;
          if (nc + (b[i] - a[i] + 1) > at[p + 1]) {  // never, as the counts are exact
            overrun = true;
            return;
          }
          const long long fi = unit ? 1 : f[i];
          for (int j = a[i]; j <= b[i]; ++j) buf[nc++] = {x[i] - x[j], fi * (unit ? 1 : f[j])};
        }
      });
      if (overrun) return zmissing();
      return kes_wselect(buf.get(), at.back(), known, target, zmissing());
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
    unsigned long long start = 0;
    for (std::size_t p = 0; p < rows.sums.size(); ++p) {
      rows.sums[p].first = start;
      start += rows.weight[p];
    }
    const int s = static_cast<int>(std::lower_bound(draws.get(), draws.get() + ndraws, start) - draws.get());
    // Each part of the rows takes the draws that fall in its share of the weight.
    rows.each([&](int r0, int r1, std::size_t p) {
      unsigned long long at = rows.sums[p].first;
      int d = static_cast<int>(std::lower_bound(draws.get(), draws.get() + s, at) - draws.get());
      for (int i = r0; i < r1 && d < s; ++i) {
        if (a[i] > b[i]) continue;
        const unsigned long long rw = row_weight(i, a[i], b[i]);
        for (; d < s && draws[d] < at + rw; ++d) {
          // Column whose frequency run holds the draw's offset within the row.
          const long long r = static_cast<long long>((draws[d] - at) / static_cast<unsigned>(unit ? 1 : f[i]));
          const int j = unit ? a[i] + static_cast<int>(r)
                             : static_cast<int>(std::upper_bound(cf + a[i], cf + b[i] + 1, left_of(a[i]) + r) - cf);
          drawn[d] = x[i] - x[j];
        }
        at += rw;
      }
    });
    if (s == 0) return zmissing();
    std::sort(drawn.get(), drawn.get() + s);

    // Ranks of the bracket in the draw: the expected place of the target, widened by
    // `spread` (about three) standard deviations of the draw's count below it.
    const double q = std::clamp(static_cast<double>(target - known) / static_cast<double>(wband), 0.0, 1.0);
    const double sd = std::sqrt(static_cast<double>(s) * q * (1.0 - q));
    const double centre = q * s;
    const long long ilo = std::max<long long>(static_cast<long long>(std::floor(centre - spread * sd - 2.0)), 0);
    const long long ihi = std::min<long long>(static_cast<long long>(std::ceil(centre + spread * sd + 2.0)), s - 1);
    const double thi = drawn[ihi];
    const double tlo = drawn[ilo];

    // One sweep counts the pairs below and up to each bracket end, and what each
    // narrowing would leave of the bands. Both ends were drawn from the bands, so no
    // column before a band reaches them, and every column after it does. The bands
    // take at once the cells between the ends, where the answer nearly always lies.
    rows.each([&](int r0, int r1, std::size_t p) {
      // Summed locally: neighbouring parts' totals share cache lines.
      part_sums ps{};
      col_ptr<false> uh{thi}, ul{tlo};
      col_ptr<true> bh{thi}, bl{tlo};
      uh.start(x, r0, a[r0]);
      ul.start(x, r0, a[r0]);
      for (int i = r0; i < r1; ++i) {
        const long long fi = unit ? 1 : f[i];
        const long long tot = left_of(i);
        const int eh = uh.at(x, i, a[i]);  // first column up to t_hi
        const int el = ul.at(x, i, a[i]);  // and up to t_lo
        const int sh = bh.near(x, i, eh);  // first column below t_hi
        const int sl = bl.near(x, i, el);  // and below t_lo
        ps.upto_hi += fi * (tot - left_of(eh));
        ps.upto_lo += fi * (tot - left_of(el));
        ps.below_hi += fi * (tot - left_of(sh));
        ps.below_lo += fi * (tot - left_of(sl));
        // (t_hi, U): [a, eh - 1]; (L, t_lo): [sl, b]; (t_lo, t_hi): [sh, el - 1].
        const int lo[3] = {a[i], sl, sh}, hi[3] = {eh - 1, b[i], el - 1};
        for (int o = 0; o < 3; ++o) {
          if (lo[o] > hi[o]) continue;
          ps.cells[o] += hi[o] - lo[o] + 1;
          ps.weight[o] += row_weight(i, lo[o], hi[o]);
        }
        a[i] = sh;
        b[i] = el - 1;
      }
      rows.sums[p] = ps;
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

    // The interval shrinks to the side of a bracket end the answer lies on (the end
    // itself is not the answer), and the pairs at or below its new low end are known.
    narrowing way;
    if (upto_hi < target) {
      way = kAboveHi;
      iv.has_lo = true;
      iv.lo = thi;
      known = upto_hi;
    } else if (below_lo >= target) {
      way = kBelowLo;
      iv.has_hi = true;
      iv.hi = tlo;
    } else {
      way = kBetween;
      iv.has_lo = iv.has_hi = true;
      iv.lo = tlo;
      iv.hi = thi;
      known = upto_lo;
    }
    // Outside both ends (a bracket that missed): the bands of the new interval afresh.
    if (way != kBetween) {
      rows.each([&](int r0, int r1, std::size_t) {
        band_walk band(iv, x, r0);
        for (int i = r0; i < r1; ++i) band.at(x, i, a[i], b[i]);
      });
    }
    cells = 0;
    wband = 0;
    for (std::size_t p = 0; p < rows.sums.size(); ++p) {
      rows.cells[p] = rows.sums[p].cells[way];
      cells += rows.cells[p];
      rows.weight[p] = rows.sums[p].weight[way];
      wband += rows.weight[p];
    }
  }
}

}  // namespace

double kes_qn_select(int m, const double* x, const int* f, int* iwork, long long enumerate_limit, double spread) {
  return qn_search(m, x, f, iwork, iwork + m, iwork + 2 * static_cast<std::ptrdiff_t>(m), enumerate_limit, spread);
}

double zsclqn(int m, const double* x, const int* f, double* dwork, int* iwork) {
  // The bands take the m doubles of dwork as 2m ints; iwork the prefix counts.
  int* bands = static_cast<int*>(static_cast<void*>(dwork));
  return qn_search(m, x, f, bands, bands + m, iwork, kEnumerateLimit, 3.0);
}
