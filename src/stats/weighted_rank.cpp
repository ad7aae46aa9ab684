// The cumulative weight of a weighted view against W p: doubles decide wherever their
// bound does, which is every comparison far from a tie and every one of a run whose
// weights are exact and of one scale; the exact sums settle the rest.
#include "stats/weighted_rank.h"

#include "util/kes_exp2.h"

double kes_view_weights::kept(double* err) const {
  if (v_.wexact != nullptr && v_.wexact[k_] != nullptr) {
    const double w = v_.wexact[k_]->value(-v_.wexp);
    *err = w * 0x1p-44 + 0x1p-1060;
    return w;
  }
  const double own = v_.wown[k_];
  const int d = v_.wownexp[k_] - v_.wexp;
  const double w = kes::ldexp(own, d);
  if (kes::ldexp(w, -d) != own) *err = 0x1p-1074;  // rounded below the normal numbers
  return w;
}

kes_wcum::kes_wcum(const kes_valview& v) : v_(v), walk_(v), pair_walk_(v) {
  // Four partial sums: the bound holds for any order of the additions.
  kes_view_weights all(v);
  double part[4] = {}, err = 0.0;
  for (int i = 0; i < v_.m;) {
    // A run of plain values (their errors 0, which leave err as it is), then a kept one.
    for (const int stop = all.plain_until(i); i < stop; ++i) part[i & 3] += v_.w[i];
    if (i < v_.m) {
      double e;
      part[i & 3] += all.at(i, &e);
      err += e;
      ++i;
    }
  }
  total_.s = (part[0] + part[1]) + (part[2] + part[3]);
  total_.err = err;
  total_.n = v_.m;
  double e;
  const double w = walk_.at(0, &e);
  cum_.add(w, e);
}

int kes_wcum::side_near(const kes_wrank& r) {
  if (!have_pair_total_) {
    kes_view_weights all(v_);
    for (int i = 0; i < v_.m; ++i) {
      double e;
      const double w = all.at(i, &e);
      pair_total_.add(w, e);
    }
    have_pair_total_ = true;
  }
  while (pair_through_ < c_) {
    double e;
    const double w = pair_walk_.at(++pair_through_, &e);
    pair_cum_.add(w, e);
  }
  const int s = kes_bounded_compare(r.a(), pair_cum_, r.b(), pair_total_);
  if (s != kes_bounded_undecided) return s;
  if (!have_exact_total_) {
    for (int i = 0; i < v_.m; ++i) add_exact(&exact_total_, i);
    have_exact_total_ = true;
  }
  while (exact_through_ < c_) add_exact(&exact_cum_, ++exact_through_);
  return kes_exact_compare(r.a(), exact_cum_, r.b(), exact_total_);
}

bool kes_view_weighs(const kes_valview& v, int i) {
  double wm;
  int we;
  kes_view_weight_parts(v, i, &wm, &we);
  return wm > 0.0;
}

// No weight is negative: where the cumulative weight through a block's last value lies
// below W p, so does every one before it, and the walk one value at a time would pass
// them all, adding the same weights in the same order; the comparisons a value skipped
// (most of a large view's time here) are saved.
void kes_wcum::skip_below(const kes_wrank& r) {
  constexpr int kBlock = 64;
  while (c_ + kBlock < v_.m) {
    const kes_rough_sum before = cum_;
    const int mark = walk_.mark();
    if (walk_.plain_until(c_ + 1) > c_ + kBlock) {
      for (int i = c_ + 1; i <= c_ + kBlock; ++i) cum_.add(v_.w[i]);  // plain values only: errors 0
    } else {
      for (int i = 1; i <= kBlock; ++i) {
        double err;
        const double w = walk_.at(c_ + i, &err);
        cum_.add(w, err);
      }
    }
    if (kes_rough_compare(r.a(), cum_, r.b(), total_) != -1) {
      cum_ = before;
      walk_.back_to(mark);
      return;
    }
    c_ += kBlock;
  }
}

bool kes_wcum::percentile(const kes_wrank& r, int* lo, int* hi) {
  skip_below(r);
  while (c_ + 1 < v_.m && side(r) < 0) next();
  *lo = *hi = c_;
  if (c_ + 1 >= v_.m || side(r) != 0) return false;
  int nx = c_ + 1;
  while (nx < v_.m && !kes_view_weighs(v_, nx)) ++nx;
  if (nx >= v_.m) return false;
  *hi = nx;
  return true;
}

void kes_wcum::add_exact(kes_exact_sum* s, int i) const {
  double wm;
  int we;
  const kes_exact_sum* exact;
  kes_view_weight_parts(v_, i, &wm, &we, &exact);
  if (exact != nullptr) s->add(*exact);
  else s->add(wm, we);
}
