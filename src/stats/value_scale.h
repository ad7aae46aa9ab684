// Values near the ends of the doubles: their sums of squares overflow or underflow
// although most statistics of them are ordinary numbers. Such values are divided by a
// power of two (exactly), the statistics are computed on the quotients and multiplied
// back, with the power of two the data pass divided the weights by; a statistic whose
// value lies beyond the doubles is then missing and named.
#pragma once
#include <memory>

#include "records/kes_valview.h"
#include "records/kes_varsum.h"
#include "stats/statistics.h"

struct kes_stats;

// The exponent k by which the values of rec (view fv) are divided, 2^k near their
// largest magnitude; 0 when their sums need no scaling.
int kes_value_scale(const kes_varsum* rec, const kes_valview& fv);

// The exponent by which the statistics of order divide the values (ranks and signs
// about mu0, the robust scales): the least power of two, from the k of the sums, that
// keeps every value, mu0 and their differences finite. A division by 2^k itself would
// flush the values far below the largest to zero, where the sums do not miss them but
// the ranks and the medians of distances do.
int kes_order_scale(const kes_valview& fv, double mu0, int k);

// The values divided by 2^k as a view of their own, and a copy of rec whose sums are
// taken again, in two passes, over the quotients.
struct kes_scaled_values {
  int k = 0;
  kes_valview view{};
  kes_varsum rec{};
  std::unique_ptr<double[]> x;
};

// Fills out for exponent k; false (out unchanged) when the memory cannot be had.
bool kes_scale_values(const kes_varsum* rec, const kes_valview& fv, int k, kes_scaled_values* out);

// The names of the statistics of one variable that lie beyond the doubles, each once.
struct kes_lost_names {
  static constexpr int kMax = 48;
  const char* names[kMax] = {};
  int count = 0;
  void add(const char* name);
  // The names as one text, "USS, CSS and VAR" (cut short in a buffer too small).
  void text(char* out, int cap) const;
};

// *v times 2^(power*k); a result beyond the doubles (infinite, or 0 from a value that
// was not) becomes missing and its name is added to lost.
void kes_scale_back(double* v, int power, int k, const char* name, kes_lost_names* lost);
// *v (not missing) times 2^k for a location (a mean, its limits): one nearer to 0 than
// the least double is 0, its nearest double, and no value lost, as a spread would be.
void kes_scale_back_location(double* v, int k);

// The power of two by which a statistic found on values divided by 2^k and weights
// divided by 2^K (K even, kes_wunit.h) is multiplied back, when it carries the values'
// unit to the power pv and the weights' to the power ph/2.
inline int kes_back_exp(int pv, int ph, int k, int K) { return pv * k + ph * (K / 2); }

// The same for a statistic multiplied back as s says, spread as kes_spread_weight_power
// gives it.
inline int kes_back_exp(const kes_stat_scale& s, int spread, int k, int K) {
  return kes_back_exp(s.pv, s.kind == KES_SCALE_SPREAD ? s.ph * spread / 2 : s.ph, k, K);
}

// The moments of st, found on values divided by 2^k and weights divided by 2^K,
// multiplied back as their rows of stats/statistics.def say. The spread carries the
// weights' unit under the divisors N and DF only: WEIGHT and WDF divide by the
// weights themselves.
void kes_scale_back_moments(kes_stats* st, int k, int K, kes_lost_names* lost);

// The moments of st that were found beside an exponent of their own (CSS, VAR, STD,
// STDMEAN and USS below the smallest double), as doubles where they can be: a subnormal number, else
// missing and named in lost, never a false 0. For moments not multiplied back.
void kes_settle_wide_moments(kes_stats* st, kes_lost_names* lost);

// The cells of st of the statistics of group g (kes_stat_group), found likewise,
// multiplied back as their rows say, in row order.
void kes_scale_back_group(kes_stats* st, int g, int k, int K, kes_lost_names* lost);

// 2 when the spread of st (VAR; 1 for STD) carries the weights' unit, else 0.
int kes_spread_weight_power(const kes_stats* st);

// The cells of st that overflowed (the range of values from -1e308 to 1e308, say)
// become missing; the named statistics among them are added to lost.
void kes_drop_overflow(kes_stats* st, int ntrimmed, int nwinsorized, kes_lost_names* lost);
