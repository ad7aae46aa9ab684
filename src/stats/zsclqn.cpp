// zsclqn: the k-th smallest pairwise distance of a sample given as weighted distinct
// values, without forming all pairs.
//
// The pairs (i, j), j < i, form a triangle whose row i holds the distances x_i - x_j,
// growing as j falls. Each row keeps a band [a_i, b_i] of columns still in question;
// columns above b_i are known to lie below the answer. A pass takes the frequency
// median of every band, weights it with the band's pair count f_i * (sum of f_j),
// and tries the weighted median t of these. One sweep with two moving column
// pointers counts the pairs below t and those up to t: when the rank falls between
// them t is the answer, otherwise every pair on the wrong side of t leaves the bands.
// At least a quarter of the remaining pair weight goes each pass (and at least the
// tried cell), so the passes are O(log n) and each costs O(m log m). Once at most m
// cells remain they are sorted directly.
//
// Distances are the rounded differences x_i - x_j; rounding is monotone, so every
// count below is exact for the values a direct computation would form.
#include <algorithm>
#include <limits>
#include <memory>
#include <new>

#include "numeric/zmissing.h"
#include "stats/kesscl.h"

namespace {

struct cell {
  double v;
  long long w;
};

// Frequency sum of columns lo..hi (inclusive) from inclusive prefix sums cf.
inline long long fsum(const int* cf, int lo, int hi) {
  if (hi < lo) return 0;
  return static_cast<long long>(cf[hi]) - (lo > 0 ? cf[lo - 1] : 0);
}

// Sorts cells by value and returns the value where the cumulative weight, started at
// base, first reaches target.
double select_sorted(cell* c, long long nc, long long base, long long target) {
  std::sort(c, c + nc, [](const cell& p, const cell& q) { return p.v < q.v; });
  long long cum = base;
  for (long long i = 0; i < nc; ++i) {
    cum += c[i].w;
    if (cum >= target) return c[i].v;
  }
  return zmissing();
}

}  // namespace

double zsclqn(int m, const double* x, const int* f, double* /*dwork: not needed*/,
              int* iwork) {
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

  int* a = iwork;          // first candidate column of each row
  int* b = iwork + m;      // last candidate column of each row
  int* jl = iwork + 2 * m; // first column with distance < t
  int* jr = iwork + 3 * m; // first column with distance <= t
  int* cf = iwork + 4 * m; // inclusive prefix sums of the frequencies
  long long cells = 0;
  for (int i = 0; i < m; ++i) {
    a[i] = 0;
    b[i] = i - 1;
    cf[i] = f[i] + (i > 0 ? cf[i - 1] : 0);
    cells += i;
  }
  std::unique_ptr<cell[]> buf(new (std::nothrow) cell[m]);
  if (!buf) return zmissing();

  while (cells > m) {
    // Frequency median of every band, weighted by the band's pair count.
    int nr = 0;
    long long wtot = 0;
    for (int i = 1; i < m; ++i) {
      if (a[i] > b[i]) continue;
      const long long s = fsum(cf, a[i], b[i]);
      const long long half = (s + 1) / 2;
      // Largest j in [a_i, b_i] with f_j + ... + f_(b_i) >= half.
      int lo = a[i], hi = b[i];
      while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (fsum(cf, mid, b[i]) >= half)
          lo = mid;
        else
          hi = mid - 1;
      }
      buf[nr].v = x[i] - x[lo];
      buf[nr].w = static_cast<long long>(f[i]) * s;
      wtot += buf[nr].w;
      ++nr;
    }
    const double t = select_sorted(buf.get(), nr, 0, (wtot + 1) / 2);

    // Pairs below t and up to t, with the column pointers of each row.
    long long below = 0, upto = 0;
    int pl = 0, pr = 0;
    for (int i = 0; i < m; ++i) {
      if (pl > i) pl = i;
      if (pr > i) pr = i;
      while (pl < i && !(x[i] - x[pl] < t)) ++pl;
      while (pr < i && !(x[i] - x[pr] <= t)) ++pr;
      jl[i] = pl;
      jr[i] = pr;
      below += f[i] * fsum(cf, pl, i - 1);
      upto += f[i] * fsum(cf, pr, i - 1);
    }
    if (below < target && target <= upto) return t;
    cells = 0;
    for (int i = 0; i < m; ++i) {
      if (upto < target)
        b[i] = std::min(b[i], jr[i] - 1);  // everything up to t lies below the answer
      else
        a[i] = std::max(a[i], jl[i]);      // everything from t on lies above it
      if (a[i] <= b[i]) cells += b[i] - a[i] + 1;
    }
  }

  // The remaining cells, ranked after the pairs known to lie below them.
  long long known = 0, nc = 0;
  for (int i = 1; i < m; ++i) {
    known += f[i] * fsum(cf, b[i] + 1, i - 1);
    for (int j = a[i]; j <= b[i]; ++j)
      buf[nc++] = {x[i] - x[j], static_cast<long long>(f[i]) * f[j]};
  }
  return select_sorted(buf.get(), nc, known, target);
}
