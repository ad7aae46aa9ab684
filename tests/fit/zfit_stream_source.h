// Observations handed to the streamed fitting engine in batches of a chosen size; the
// request comes first so that the callbacks find their source from it.
#pragma once
#include <algorithm>
#include <vector>

#include "fit/zfit_stream.h"
#include "numeric/zmissing.h"

namespace kes_test {

struct stream_source {
  zfit_req req{};
  std::vector<double> x, f;
  int batch, fail_at = -1, pos = 0, batches = 0;  // fail_at: the batch (over all passes) that fails

  stream_source(int family, std::vector<double> values, std::vector<double> freqs = {}, int batch_size = 100)
      : x(std::move(values)), f(std::move(freqs)), batch(batch_size) {
    req.next_batch = reinterpret_cast<void*>(&next);
    req.rewind = reinterpret_cast<void*>(+[](zfit_req* r) { reinterpret_cast<stream_source*>(r)->pos = 0; });
    req.family = family;
    req.freqs_used = !f.empty();
    for (double& p : req.params) p = zmissing();
    req.low = req.high = req.n = req.width = req.npoints = req.min = req.max = req.mean = req.std = zmissing();
    req.vscale = KES_VSCALE_COUNT;
  }
  ~stream_source() { zfittrm(&req); }

  // Full batches until the data run out; the last may be empty.
  static int next(zfit_req* r, double* v, double* fr, int* count) {
    auto* s = reinterpret_cast<stream_source*>(r);
    if (s->batches++ == s->fail_at) return -77;
    const int n = std::min({s->batch, *count, static_cast<int>(s->x.size()) - s->pos});
    std::copy_n(s->x.begin() + s->pos, n, v);
    if (!s->f.empty()) std::copy_n(s->f.begin() + s->pos, n, fr);
    s->pos += n;
    *count = n;
    return n < s->batch ? ZFIT_LAST_BATCH : 0;
  }
  int fit() { return zfit(&req); }
  double px(int i) const { return req.points[2 * i]; }
  double py(int i) const { return req.points[2 * i + 1]; }
};

}  // namespace kes_test
