// rsort: sorts doubles ascending with companion frequencies and merges equal values.
//
// std::sort on a packed copy keeps the sort O(m log m) whatever the data (a Shell
// sort with halving gaps degrades to quadratic time on some inputs). When the copy
// cannot be had, an in-place heap sort on the two arrays does the same job.
#include <algorithm>
#include <limits>
#include <memory>
#include <new>

#include "stats/kesscl.h"

namespace {

struct valfreq {
  double v;
  int f;
};

void sift_down(double* v, int* f, int root, int n) {
  for (;;) {
    int child = 2 * root + 1;
    if (child >= n) return;
    if (child + 1 < n && v[child + 1] > v[child]) ++child;
    if (!(v[child] > v[root])) return;
    std::swap(v[child], v[root]);
    std::swap(f[child], f[root]);
    root = child;
  }
}

void heap_sort(double* v, int* f, int n) {
  for (int i = n / 2 - 1; i >= 0; --i) sift_down(v, f, i, n);
  for (int end = n - 1; end > 0; --end) {
    std::swap(v[0], v[end]);
    std::swap(f[0], f[end]);
    sift_down(v, f, 0, end);
  }
}

}  // namespace

void rsort(int* count, double* v, int* f) {
  const int n = *count;
  if (n <= 0) {
    *count = 0;
    return;
  }
  std::unique_ptr<valfreq[]> buf(new (std::nothrow) valfreq[n]);
  if (buf) {
    for (int i = 0; i < n; ++i) buf[i] = {v[i], f[i]};
    std::sort(buf.get(), buf.get() + n,
              [](const valfreq& a, const valfreq& b) { return a.v < b.v; });
    for (int i = 0; i < n; ++i) {
      v[i] = buf[i].v;
      f[i] = buf[i].f;
    }
  } else {
    heap_sort(v, f, n);
  }
  // Merge runs of equal values (a run whose total would pass the int range is kept
  // in several entries rather than wrapped around).
  int out = 0;
  for (int i = 1; i < n; ++i) {
    if (v[i] == v[out] && f[out] <= std::numeric_limits<int>::max() - f[i]) {
      f[out] += f[i];
    } else {
      ++out;
      v[out] = v[i];
      f[out] = f[i];
    }
  }
  *count = out + 1;
}
