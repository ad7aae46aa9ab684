#include "metamorphic/stat_table.h"

namespace kes_meta {

// Under weights times 2^k the weighted mean and percentiles stay; the sums of weighted
// terms (SUMWGT, SUM, USS, CSS) and the variance over the default divisor N - 1 take
// the factor, the standard deviation and CV its square root; the standard error
// (std over the root of the sum of weights), the t test and skewness and kurtosis
// (whose terms carry c^1.5 z^3 and c^2 z^4) stay.
const std::vector<statistic>& statistics() {
  using s = shift_rule;
  using o = order_noise;
  static const std::vector<statistic> table = [] {
    std::vector<statistic> t = {
      {"N", 0, s::same, 0, o::none},
      {"MEAN", 1, s::moves, 0, o::location},
      {"STD", 1, s::same, 1, o::itself},
      {"SKEWNESS", 0, s::same, 0, o::shape},
      {"USS", 2, s::unrelated, 2, o::itself},
      {"CV", 0, s::unrelated, 1, o::mean_ratio},
      {"SUMWGT", 0, s::same, 2, o::itself},
      {"SUM", 1, s::unrelated, 2, o::total},
      {"VAR", 2, s::same, 2, o::itself},
      {"KURTOSIS", 0, s::same, 0, o::shape},
      {"CSS", 2, s::same, 2, o::itself},
      {"STDMEAN", 1, s::same, 0, o::itself},
      {"NMISS", 0, s::same, 0, o::none},
      {"NOBS", 0, s::same, 0, o::none},
      {"MAX", 1, s::moves, 0, o::none},
      {"P99", 1, s::moves, 0, o::none},
      {"P95", 1, s::moves, 0, o::none},
      {"P90", 1, s::moves, 0, o::none},
      {"Q3", 1, s::moves, 0, o::none},
      {"MEDIAN", 1, s::moves, 0, o::none},
      {"Q1", 1, s::moves, 0, o::none},
      {"P10", 1, s::moves, 0, o::none},
      {"P5", 1, s::moves, 0, o::none},
      {"P1", 1, s::moves, 0, o::none},
      {"MIN", 1, s::moves, 0, o::none},
      {"RANGE", 1, s::same, 0, o::none},
      {"QRANGE", 1, s::same, 0, o::none},
      {"MODE", 1, s::moves, 0, o::none},
      {"T", 0, s::unrelated, 0, o::mean_ratio},
      {"MSIGN", 0, s::unrelated, 0, o::none},
      {"SIGNRANK", 0, s::unrelated, 0, o::none},
      {"PROBT", 0, s::unrelated, 0, o::t_p_value},
      {"PROBM", 0, s::unrelated, 0, o::none},
      {"PROBS", 0, s::unrelated, 0, o::none},
      {"NORMAL", 0, s::same, 0, o::shape},
      {"PROBN", 0, s::same, 0, o::normality_p},
      {"GINI", 1, s::same, 0, o::itself},
      {"MAD", 1, s::same, 0, o::none},
      {"SN", 1, s::same, 0, o::none},
      {"QN", 1, s::same, 0, o::none},
      {"STD_QRANGE", 1, s::same, 0, o::none},
      {"STD_GINI", 1, s::same, 0, o::itself},
      {"STD_MAD", 1, s::same, 0, o::none},
      {"STD_SN", 1, s::same, 0, o::none},
      {"STD_QN", 1, s::same, 0, o::none},
    };
    for (std::size_t i = 0; i < percentile_points().size(); ++i)
      t.push_back({percentile_column(i), 1, s::moves, 0, o::none});
    return t;
  }();
  return table;
}

const statistic* find_statistic(const std::string& keyword) {
  for (const statistic& s : statistics())
    if (keyword == s.keyword) return &s;
  return nullptr;
}

const std::vector<double>& percentile_points() {
  static const std::vector<double> points = {0, 0.5, 1, 5, 10, 25, 37.5, 50, 75, 90, 95, 99, 99.9, 100};
  return points;
}

std::string percentile_column(std::size_t i) { return "PCT" + std::to_string(i); }

std::vector<std::string> output_keywords() {
  std::vector<std::string> words;
  for (const statistic& s : statistics())
    if (s.keyword.rfind("PCT", 0) != 0) words.push_back(s.keyword);
  return words;
}

}  // namespace kes_meta
