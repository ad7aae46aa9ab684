// zscale.cpp - axis scale with accepted intervals.
//
// A small state machine over what is known of the scale: the minor count per major
// interval (state bit 1), the major count (2) and the major interval (4). Each pass
// computes one missing piece, or, with all three known, rounds the axis ends outward
// to the interval and tests whether the major count fits; bit 8 marks a fitting
// scale. The interval comes from NiceFunction: range / major count, its leading value
// raised to the first accepted value. `minmax` pulls the data ends in by half a raw
// interval so that the outward rounding adds no empty interval; `zcsround` rounds and
// applies the anchor rules. A negative given interval is a grid step: the major
// interval is a whole multiple of it and a search over minor counts seeks the best
// coverage of the data.
//
// Mends: a non-finite end or interval is refused (-1, record untouched) since no
// scale can be had; under ZSCALE_RELAX the refinement of a fractional leading value
// stops after ZS_REFINE_DIGITS decimals and keeps the table value when no refinement
// fits (it would otherwise run until 10^i overflows); a suggested (negative) minor
// count on the simple path is used by its size, so the tick spacing stays positive.
#include "numeric/zscale.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "host/kes_decimal_grid.h"
#include "numeric/zqscale.h"
#include "util/kes_eps.h"

namespace {

constexpr double ZS_TINY = 1000.0 * 2.225073858507202e-308;    // smallest usable range
constexpr double ZS_TABLE_TOL = 1000.0 * ZEPS53;  // interval vs table
constexpr double ZS_STRETCH_SLACK = 0.01;
constexpr int ZS_ROUND_STEPS = 25;  // steps of one zig-zag round
constexpr int ZS_END_ROUND = 99;    // offset that ends a round at once
constexpr int ZS_PASSES = 10, ZS_PASSES_ADJUST = 13, ZS_PASSES_GRID = 20;
constexpr int ZS_DEFAULT_MINOR = 5, ZS_DEFAULT_MINOR10 = 10;
constexpr int ZS_COUNTER_REFIT = 4;   // above: NiceFunction re-pulls and refines
constexpr int ZS_COUNTER_SHRINK = 6;  // from: zcsround trims half intervals
constexpr int ZS_COUNTER_FORCE = 8;   // from: the fit test stops accepting more intervals
constexpr int ZS_REFINE_DIGITS = 16;

constexpr double bucket_add[] = {0, 0, 1, 0.5, 0.25, 0.75, 1.0 / 3.0, 2.0 / 3.0};

enum : unsigned { MINOR_KNOWN = 1, MAJOR_KNOWN = 2, INTERVAL_KNOWN = 4, DONE = 8 };

struct zscale_work {
  bool interval_given = false, minor_given = false, major_given = false, negative = false;
  double dmin = 0, dmax = 0, D = 0, f = 0, I0 = 0;
  double best = 0;
  int best_minor = 0;  // negated when found in the second round
  int candidate = 1;
  int offset = 0;
  bool round2 = false;
  int m0 = 0, def = 0;
  unsigned state = 0;
  int counter = 0;  // 0: not running
  int limit = ZS_PASSES;
  void count() {
    if (counter > 0) ++counter;
  }
};

void minmax(zscale_req* r, zscale_work* w, int count) {
  const double raw = (w->dmax - w->dmin) / (count + 1);
  r->tick_interval = raw;
  r->min = (r->flags & ZSCALE_ANCHOR_MIN) ? w->dmin : w->dmin + raw / 2 - w->f;
  r->max = (r->flags & ZSCALE_ANCHOR_MAX) ? w->dmax : w->dmax - (raw / 2 + w->f);
  w->D = r->max - r->min;
}

// A fractional leading value between u and w (the most a major count of intervals
// may stretch); `a` when none is found within the decimals allowed.
double refine(double u, double w, double a) {
  const double fl = std::floor(u);
  double fr[8];
  std::copy(std::begin(bucket_add), std::end(bucket_add), fr);
  if (fl == 3) fr[0] = 1.0 / 3.0;
  if (fl == 6) fr[0] = 2.0 / 3.0;
  double c = fl + 2.0 / 3.0;
  for (double x : fr)
    if (u <= fl + x && fl + x <= w) {
      c = fl + x;
      break;
    }
  for (int i = 0; c < u || c > w; ++i) {
    if (i > ZS_REFINE_DIGITS) return a;
    const double p = std::pow(10.0, i);
    c = std::ceil(p * u) / p;
  }
  return c;
}

void NiceFunction(zscale_req* r, zscale_work* w) {
  if (w->negative) {
    const int q = r->n / r->minor;
    double k = std::ceil(w->D / (q * w->I0));
    if (k < r->minor) {
      while (r->minor % static_cast<int>(k) != 0) ++k;
    } else if (k > r->minor) {
      k = std::ceil(k / r->minor) * r->minor;
    }
    r->interval = k * w->I0;
    if ((r->flags & ZSCALE_ANCHOR_MIN) && (r->flags & ZSCALE_ANCHOR_MAX) &&
        std::fmod(w->dmax - w->dmin, r->interval) > r->interval * ZS_TABLE_TOL)
      r->flags &= ~ZSCALE_ANCHOR_MAX;
    w->candidate = r->minor;
    return;
  }
  if (w->interval_given) r->flags &= ~(ZSCALE_ANCHOR_MIN | ZSCALE_ANCHOR_MAX);
  if (w->counter > ZS_COUNTER_REFIT) minmax(r, w, r->n);
  r->interval = w->D / r->major;
  if ((r->flags & ZSCALE_ANCHOR_MIN) && (r->flags & ZSCALE_ANCHOR_MAX)) return;
  const double p = std::pow(10.0, std::floor(std::log10(r->interval)));
  const double u = r->interval / p - ZS_TABLE_TOL;
  double a = r->accept[r->naccept - 1];
  for (int i = 0; i < r->naccept; ++i)
    if (r->accept[i] >= u) {
      a = r->accept[i];
      break;
    }
  if (w->counter > ZS_COUNTER_REFIT) {
    const double wmax = r->major * u / (r->major - 1) - ZS_STRETCH_SLACK * u;
    if (wmax < a) a = refine(u, wmax, a);
  }
  r->interval = kes_decade_multiple(a, static_cast<int>(std::floor(std::log10(r->interval))), a * p);
  if (r->flags & ZSCALE_WHOLE) {
    r->interval = std::ceil(r->interval - w->f);
    if (r->interval > 1 && r->interval < 10 && p == 1) {
      int i = 0;
      while (i < r->naccept && r->accept[i] < r->interval) ++i;
      for (; i < r->naccept; ++i)
        if (r->accept[i] == std::floor(r->accept[i])) {
          r->interval = r->accept[i];
          break;
        }
    }
  }
  w->count();
}

void zcsround(zscale_req* r, zscale_work* w) {
  w->count();
  const double iv = r->interval;
  r->min = kes_grid_point(0, std::floor((r->min + w->f) / iv), iv);
  r->max = kes_grid_point(0, std::ceil((r->max - w->f) / iv), iv);
  if ((r->flags & ZSCALE_ANCHOR_MIN) &&
      !(!w->round2 && std::fabs(std::fmod(w->dmin - r->min, w->I0)) <= w->f)) {
    minmax(r, w, r->n);
    r->min = w->dmin;
    r->max = w->dmin + std::ceil((r->max - w->dmin) / iv) * iv;
  }
  if ((r->flags & ZSCALE_ANCHOR_MAX) &&
      !(!w->round2 && std::fabs(std::fmod(std::fabs(r->max - w->dmax), w->I0)) <= w->f)) {
    minmax(r, w, r->n);
    r->max = w->dmax;
    r->min = (r->flags & ZSCALE_ANCHOR_MIN) ? w->dmin
                                              : w->dmax - std::ceil((w->dmax - r->min) / iv) * iv;
  }
  if (w->counter >= ZS_COUNTER_SHRINK && r->min + iv / 2 < w->dmin && r->max - iv / 2 > w->dmax) {
    r->min += iv / 2;
    r->max -= iv / 2;
  }
  w->D = r->max - r->min;
}

void take_best(zscale_req* r, zscale_work* w) {
  r->minor = std::abs(w->best_minor);
  w->round2 = w->best_minor < 0;
  w->state = (w->state & ~(MAJOR_KNOWN | INTERVAL_KNOWN)) | MINOR_KNOWN;
}

// Zig-zag search over minor counts for the best coverage of the data (grid step).
void minor_search(zscale_req* r, zscale_work* w, int* p) {
  r->tick_interval = w->D / (r->major * r->minor);
  const double ratio = (w->dmax - w->dmin) / (r->tick_interval * r->n);
  if (*p > w->limit - 6) {
    if (ratio - w->best <= w->f && *p < w->limit - 1 &&
        (r->minor != std::abs(w->best_minor) || w->round2 != (w->best_minor < 0)))
      take_best(r, w);
    return;
  }
  if (ratio > w->best + ZSQRT_EPS53) {
    w->best = ratio;
    w->best_minor = w->round2 ? -r->minor : r->minor;
  }
  int e = w->offset;
  if (w->minor_given || w->major_given || (!w->round2 && *p >= w->limit - 8)) e = ZS_END_ROUND;
  bool try_as_is = false;
  for (;;) {
    if (!try_as_is) {
      ++e;
      if (e > ZS_ROUND_STEPS) {
        if (w->round2) {
          *p = w->limit - 5;
          take_best(r, w);
          return;
        }
        w->round2 = true;
        e = 0;
        r->minor = w->def;
        try_as_is = true;
        continue;
      }
      r->minor += (e % 2 != 0) ? -e : e;
    }
    try_as_is = false;
    if (r->minor >= w->m0 && r->minor <= r->n) {
      w->offset = e;
      w->state = (w->state | MINOR_KNOWN) & ~INTERVAL_KNOWN;
      if (!w->major_given) w->state &= ~MAJOR_KNOWN;
      return;
    }
  }
}

void fit_test(zscale_req* r, zscale_work* w, int* p) {
  minmax(r, w, r->minor * r->major);
  zcsround(r, w);
  int k = static_cast<int>((w->D + w->f) / r->interval);
  if (k >= r->major && w->counter < ZS_COUNTER_FORCE) {
    if (k > r->major) {
      if (w->major_given && w->interval_given) {
        w->state &= ~(MAJOR_KNOWN | INTERVAL_KNOWN);
      } else {
        if (!w->major_given) w->state &= ~MAJOR_KNOWN;
        if (!w->interval_given) w->state &= ~INTERVAL_KNOWN;
      }
      w->interval_given = w->major_given = false;
    }
  } else if ((r->flags & ZSCALE_EXACT_MAJOR) || w->major_given) {
    const double iv = r->interval;
    const double lo = std::floor((r->min + w->f) / iv), hi = std::ceil((r->max - w->f) / iv);
    const int s = r->major - k;
    if (lo > 0 && lo <= s) {
      r->min = 0;
      r->max = kes_grid_point(0, r->major, iv);
    } else if (hi < 0 && s >= -hi) {
      r->min = kes_grid_point(0, -r->major, iv);
      r->max = 0;
    } else {
      r->min = kes_grid_point(0, lo - s / 2, iv);
      r->max = kes_grid_point(0, hi + (s + 1) / 2, iv);
    }
    w->D = r->max - r->min;
    k = static_cast<int>((w->D + w->f) / iv);
  } else {
    r->major = k;
    if ((r->flags & ZSCALE_ADJUST) && *p < w->limit - 3 && !w->minor_given) w->state &= ~MINOR_KNOWN;
  }
  if (w->negative) minor_search(r, w, p);
  if (k == r->major && (w->state & 7) == 7) w->state |= DONE;
  if ((r->flags & ZSCALE_RELAX) &&
      (r->min <= w->dmin - r->interval + w->f || r->max >= w->dmax + r->interval - w->f)) {
    w->state &= ~(INTERVAL_KNOWN | DONE);
    if (!w->major_given) w->state &= ~MAJOR_KNOWN;
  }
}

// Major count known, minor not; false when the pass ends here.
void minor_from_major(zscale_req* r, zscale_work* w, int p) {
  if (w->negative && (w->state & INTERVAL_KNOWN)) {
    if (w->candidate >= w->m0 && w->candidate <= r->n / r->major) {
      r->minor = w->candidate;
      w->state |= MINOR_KNOWN;
      return;
    }
    w->state &= ~INTERVAL_KNOWN;
  }
  r->minor = r->n / r->major;
  const bool adjust = (r->flags & ZSCALE_ADJUST) != 0;
  if (adjust && p < w->limit - 6 &&
      ((r->major < 2 && r->minor > (w->def + 2) / 3) || (r->major == 2 && r->minor > (w->def + 1) / 2))) {
    if (!w->major_given) ++r->major;
    if (!w->interval_given) w->state &= ~INTERVAL_KNOWN;
    return;
  }
  if (adjust && p < 4) {
    const int m = std::min(w->def, static_cast<int>(r->n));
    const int q = std::max(m, r->n / (r->major + 2));
    if (r->minor >= (3 * m + 1) / 2 && r->minor > q) r->minor = (r->minor + q) / 2;
  }
  if (r->minor >= w->m0) {
    w->state |= MINOR_KNOWN;
  } else {
    r->major = r->n / w->m0;
    w->major_given = false;
  }
}

}  // namespace

int zscale(zscale_req* r) {
  if (!std::isfinite(r->min) || !std::isfinite(r->max) || !std::isfinite(r->interval)) return ZSCALE_RAN_OUT;
  if (r->accept == nullptr || r->naccept == 0) {
    r->accept = ZQSCALE_NICE;
    r->naccept = ZQSCALE_NNICE;
  }
  if (r->min > r->max) std::swap(r->min, r->max);
  zscale_work w;
  if (r->interval < 0) {
    w.negative = true;
    r->interval = -r->interval;
    w.limit = ZS_PASSES_GRID;
  } else {
    w.limit = (r->flags & ZSCALE_ADJUST) ? ZS_PASSES_ADJUST : ZS_PASSES;
  }
  if (r->flags & ZSCALE_RELAX) w.counter = 1;
  if (r->flags & ZSCALE_ZERO) {
    r->min = std::min(r->min, 0.0);
    r->max = std::max(r->max, 0.0);
  }
  double D = r->max - r->min;
  // A range lost against its ends is degenerate only where its minor intervals cannot
  // be told apart: 0.05 at 1e9 holds 400,000 doubles.
  const double big = std::max(std::fabs(r->min), std::fabs(r->max));
  if ((big * ZSQRT_EPS53 >= std::fabs(D) && !zqscale_steps_apart(big, std::fabs(D), r->n)) ||
      std::fabs(D) <= ZS_TINY) {
    const double m = (r->min + r->max) / 2;
    if (std::fabs(r->interval) <= ZS_TINY) {
      r->interval = std::fabs(m);
      if (r->interval <= ZS_TINY) r->interval = 1;
    }
    r->min = m - r->interval;
    r->max = m + r->interval;
  }
  D = r->max - r->min;
  w.D = D;
  w.f = ZSQRT_EPS53 * D;
  w.dmin = r->min;
  w.dmax = r->max;
  w.I0 = r->interval;

  if (r->n == 0) {
    r->min = r->max = (r->min + r->max) / 2;
    r->minor = 1;
    r->major = 0;
    r->interval = r->tick_interval = std::max(D, r->interval);
    return ZSCALE_FOUND;
  }
  const int absn = std::abs(r->n);
  if (r->n == 1 || r->major == 1 || std::abs(r->minor) >= absn ||
      std::fabs(r->min + r->interval - r->max) <= w.f) {
    r->major = 1;
    if (r->minor != 0) {
      r->minor = std::min(absn, std::abs(r->minor));
    } else if (r->n >= 0) {
      r->minor = (r->flags & ZSCALE_ADJUST) ? 2 * r->n / 3 + 1 : r->n;
    } else {
      r->minor = std::min(-r->n, (r->flags & ZSCALE_MINOR10) ? ZS_DEFAULT_MINOR10 : ZS_DEFAULT_MINOR);
    }
    r->n = r->minor;
    r->interval = D;
    r->tick_interval = D / r->minor;
    return ZSCALE_FOUND;
  }

  // Search set-up.
  if (r->n < 0) {
    r->minor = std::abs(r->minor);
    if (r->minor == 0) {
      r->n = r->interval == 0 ? absn : std::max(absn, static_cast<int>(std::ceil(D / r->interval)));
    } else if (r->major != 0) {
      r->n = std::abs(r->major * r->minor);
    } else {
      r->n = r->interval == 0 ? absn : std::abs(static_cast<int>(std::ceil(D / r->interval) * r->minor));
    }
  }
  if (std::abs(r->minor) > r->n) r->minor = r->n;
  w.m0 = std::max(std::abs(r->minor), 1);
  if (r->major > 0 && r->major * w.m0 > r->n) r->major = 0;
  minmax(r, &w, r->n);
  if (r->interval != 0) {
    if ((r->n / w.m0) * r->interval < w.D) {
      if (!w.negative) {
        r->interval = 0;
        r->flags &= ~(ZSCALE_ANCHOR_MIN | ZSCALE_ANCHOR_MAX);
      }
    } else {
      w.negative = false;
      if (r->major > 0 && r->major * r->interval < w.D) r->major = 0;
    }
  }
  w.minor_given = r->minor > 0;
  w.major_given = r->major > 0;
  w.interval_given = r->interval > 0;
  w.state = (w.minor_given ? MINOR_KNOWN : 0u) | (w.major_given ? MAJOR_KNOWN : 0u) |
            (w.interval_given && !w.negative ? INTERVAL_KNOWN : 0u);
  if (w.minor_given || (!(r->flags & ZSCALE_NO_SUGGESTED) && w.m0 > 1)) {
    w.def = w.m0;
  } else {
    w.def = std::min(r->n / 2, (r->flags & ZSCALE_MINOR10) ? ZS_DEFAULT_MINOR10 : ZS_DEFAULT_MINOR);
  }
  w.def = std::max(w.def, 1);

  for (int p = 0; p < w.limit && !(w.state & DONE); ++p) {
    const unsigned known = w.state & 7;
    if (known == 7) {
      fit_test(r, &w, &p);
    } else if (known == 3) {
      minmax(r, &w, r->minor * r->major);
      NiceFunction(r, &w);
      zcsround(r, &w);
      r->tick_interval = w.D / (r->minor * r->major);
      if (r->major * r->interval + w.f < w.D) NiceFunction(r, &w);
      w.state |= INTERVAL_KNOWN;
    } else if (known & MAJOR_KNOWN) {
      minor_from_major(r, &w, p);
    } else if (known & MINOR_KNOWN) {
      r->major = r->n / r->minor;
      w.state |= MAJOR_KNOWN;
    } else if (known == INTERVAL_KNOWN) {
      minmax(r, &w, r->n);
      zcsround(r, &w);
      r->major = static_cast<int>(std::max(1.0, (w.D + w.f) / r->interval));
      w.state |= MAJOR_KNOWN;
    } else {
      r->minor = w.def;
      r->major = r->n / w.def;
      minmax(r, &w, r->minor * r->major);
      NiceFunction(r, &w);
      w.state |= INTERVAL_KNOWN;
    }
  }

  const bool done = (w.state & DONE) != 0;
  if (!done) {
    r->minor = w.minor_given ? w.m0 : std::min(static_cast<int>(r->n), 10);
    if (!w.major_given) r->major = r->n / r->minor;
    r->minor = r->n / r->major;
    if (r->flags & ZSCALE_RELAX) {
      r->min = w.dmin;
      r->max = w.dmax;
      r->interval = (w.dmax - w.dmin) / r->major;
    }
  }
  r->n = r->minor * r->major;
  r->tick_interval = (r->max - r->min) / r->n;
  if (done) return ZSCALE_FOUND;
  return (r->flags & ZSCALE_RELAX) ? ZSCALE_RAN_OUT_RELAXED : ZSCALE_RAN_OUT;
}
