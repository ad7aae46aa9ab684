#include "metamorphic/row_rules.h"

#include <cfloat>
#include <cmath>
#include <sstream>

#include "metamorphic/stat_table.h"

namespace kes_meta {
namespace {

std::string shown(double v) {
  std::ostringstream s;
  s.precision(17);
  s << v;
  return s.str();
}

// A number that keeps all its bits: not missing, not subnormal, not beyond the doubles.
bool normal(double v) { return v == 0 || (std::fabs(v) >= DBL_MIN && std::fabs(v) <= DBL_MAX); }

// Whether the product of a nonzero a and b leaves the normal doubles.
bool beyond(double a, double b) { return a != 0 && (a * b == 0 || !normal(a * b)); }

}  // namespace

std::vector<std::string> row_faults(const std::map<std::string, double>& row, const std::string& var,
                                    bool zero_weights) {
  std::vector<std::string> faults;
  auto at = [&](const std::string& kw) {
    const auto it = row.find(var + "_" + kw);
    return it == row.end() ? NAN : it->second;
  };
  auto fault = [&](const std::string& rule, std::initializer_list<const char*> kws) {
    std::string s = var + ": " + rule + " (";
    for (const char* kw : kws) s += std::string(kw) + " " + shown(at(kw)) + ", ";
    faults.push_back(s.substr(0, s.size() - 2) + ")");
  };
  const double min = at("MIN"), max = at("MAX"), mean = at("MEAN"), std = at("STD"), css = at("CSS"),
               var_ = at("VAR"), n = at("N");
  if (std::isnan(min)) return faults;  // no value: nothing is stated

  // Percentiles: in order, from MIN to MAX.
  const std::size_t points = percentile_points().size();
  double before = min;
  for (std::size_t i = 0; i < points; ++i) {
    const double p = at(percentile_column(i));
    if (!(p >= before)) faults.push_back(var + ": percentile " + shown(percentile_points()[i]) + " = " + shown(p) +
                                         " is below the one before it or MIN (" + shown(before) + ")");
    before = std::isnan(p) ? before : p;
  }
  if (!(before <= max)) fault("the percentiles pass MAX", {"PCT13", "MAX"});
  if (!zero_weights && at(percentile_column(0)) != min) fault("P0 is not MIN", {"PCT0", "MIN"});
  if (!zero_weights && at(percentile_column(points - 1)) != max) fault("P100 is not MAX", {"PCT13", "MAX"});
  const std::pair<const char*, const char*> named[] = {{"P1", "PCT2"},    {"P5", "PCT3"},  {"P10", "PCT4"},
                                                       {"Q1", "PCT5"},    {"MEDIAN", "PCT7"}, {"Q3", "PCT8"},
                                                       {"P90", "PCT9"},   {"P95", "PCT10"}, {"P99", "PCT11"}};
  for (const auto& [kw, pct] : named)
    if (at(kw) != at(pct)) fault("a named percentile differs from the same PCTLPTS= point", {kw, pct});

  if (!std::isnan(mean) && !(min <= mean && mean <= max)) fault("the mean is outside MIN..MAX", {"MIN", "MEAN", "MAX"});
  if (!std::isnan(std) && !std::isnan(css) && (std == 0) != (css == 0)) fault("STD is 0 and CSS not, or the reverse", {"STD", "CSS"});
  // A statistic beyond the doubles is missing, and one in the subnormal range has lost
  // bits: each pair is compared where both are normal numbers, and where one is missing
  // or subnormal the other must be too, as far as the relation between them says.
  if (!std::isnan(var_) && (normal(css) && normal(var_) ? var_ != css / (n - 1) : std::isnan(css) && !beyond(var_, n - 1)))
    fault("VAR is not CSS / (N - 1)", {"VAR", "CSS", "N"});
  if (!std::isnan(std) && (normal(var_) ? std != std::sqrt(var_) : std::isnan(var_) && !beyond(std, std)))
    fault("STD is not the root of VAR", {"STD", "VAR"});
  if (std::isfinite(at("T")) && !(at("STDMEAN") > 0)) fault("a finite t beside no positive standard error", {"T", "STDMEAN"});
  if (!std::isnan(at("PROBT")) && std::isnan(at("T"))) fault("a p-value of t without t", {"PROBT", "T"});
  // QRANGE is formed from the values the quartiles lie between: it is Q3 - Q1 up to
  // the roundings of the two quartiles themselves (in the subnormal range a unit of
  // the least double each).
  if (std::isfinite(at("Q3") - at("Q1")) &&
      !(std::fabs(at("QRANGE") - (at("Q3") - at("Q1"))) <=
        2 * DBL_EPSILON * (std::fabs(at("Q3")) + std::fabs(at("Q1"))) + 4 * DBL_TRUE_MIN))
    fault("QRANGE is not Q3 - Q1", {"QRANGE", "Q3", "Q1"});
  if (std::isfinite(max - min) && at("RANGE") != max - min) fault("RANGE is not MAX - MIN", {"RANGE", "MAX", "MIN"});
  return faults;
}

}  // namespace kes_meta
