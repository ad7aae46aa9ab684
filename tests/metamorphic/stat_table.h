// Every statistic the OUTPUT statement writes, with how it moves when the data move:
// its power of the unit when the values are scaled, whether it follows a shift of the
// values, its power of the unit when the weights are scaled, and the rounding noise it
// may carry when the rows come in another order.
#pragma once
#include <string>
#include <vector>

namespace kes_meta {

// How a statistic follows values x + c.
enum class shift_rule {
  moves,     // a location: it becomes s + c
  same,      // a scale, shape or count: it stays
  unrelated  // sums, tests of MU0=0 and ratios to the mean: no rule
};

// The rounding noise a statistic may carry when its sums are taken in another order
// (all within 1e-13, relative to the scale named).
enum class order_noise {
  none,      // computed from sorted values or counts: bit-for-bit the same
  location,  // relative to the largest magnitude of the values (a mean of them)
  total,     // relative to the sum of weights times the largest magnitude (a sum), or
             // to itself where that is beyond the doubles
  itself,    // relative to its own magnitude (a sum of terms of one sign)
  shape,     // relative to its magnitude, or 1 when it is smaller, (a ratio of sums of
             // standardized values) and to the largest value over the values'
             // spread (the mean's noise moves every standardized value by that)
  normality_p,  // the normality test's p-value: the standardized values' noise (as for
                // shape) through log(1 - W) (Shapiro-Wilk: over 1 - W) or through
                // root N times D (Kolmogorov's D beyond 2000 values: times root N)
  mean_ratio,  // a ratio to the mean (t, CV): relative, and the mean's noise relative
               // to the mean
  t_p_value    // the p-value of t: as t's noise (its density is below 1)
};

struct statistic {
  std::string keyword;     // the OUTPUT keyword (or PCTn, a PCTLPTS= point), the column's suffix
  int scale_power;         // s(x 2^k) = s(x) 2^(k scale_power)
  shift_rule shift;
  int weight_power2;       // twice the power: s(w 2^k) = s(w) 2^(k weight_power2 / 2)
  order_noise order;
};

const std::vector<statistic>& statistics();
const statistic* find_statistic(const std::string& keyword);

// The PCTLPTS= points every run asks for, increasing; the statistics above end with
// one PCTn entry for each, in order.
const std::vector<double>& percentile_points();
std::string percentile_column(std::size_t i);  // "PCT0", "PCT1", ...
// The keywords of the OUTPUT statement (the statistics without the PCTn entries).
std::vector<std::string> output_keywords();

}  // namespace kes_meta
