// The percent texts of a row of ticks (a quantile axis labelled with the percents of a
// fitted distribution), for both renderers: each as its short text gives it, with more
// decimals where that text would read its neighbour's, or 100 for a percent below 100.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace kes_percent_detail {

inline constexpr int kMostDecimals = 15;

inline std::string fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// The decimals a text shows (0 without a point, or in E notation).
inline int decimals_of(const std::string& t) {
  if (t.find_first_of("Ee") != std::string::npos) return 0;
  const std::size_t dot = t.find('.');
  return dot == std::string::npos ? 0 : static_cast<int>(t.size() - dot - 1);
}

// Whether a text reads 100 or more: a percent below 100 never does.
inline bool reads_hundred(const std::string& t) { return std::strtod(t.c_str(), nullptr) >= 100; }

}  // namespace kes_percent_detail

// The texts of percents given in order along their axis, from their short texts
// (`short_texts`, one for each): a percent below 100 whose text reads 100 or more takes
// the fewest fixed decimals that keep it below; neighbours of unlike percents whose
// texts read alike both take decimals, one more at a time, until they read apart.
inline std::vector<std::string> kes_percent_texts(const std::vector<double>& percents,
                                                  std::vector<std::string> short_texts) {
  namespace d = kes_percent_detail;
  const std::size_t n = std::min(percents.size(), short_texts.size());
  short_texts.resize(n);
  std::vector<int> decimals(n, -1);  // -1: the short text stands
  for (std::size_t i = 0; i < n; ++i) {
    const double p = percents[i];
    if (!(p < 100) || !d::reads_hundred(short_texts[i])) continue;
    for (int k = d::decimals_of(short_texts[i]); k <= d::kMostDecimals; ++k)
      if (!d::reads_hundred(d::fixed(p, k)) || k == d::kMostDecimals) {
        decimals[i] = k, short_texts[i] = d::fixed(p, k);
        break;
      }
  }
  const auto alike = [&](std::size_t i) {
    return percents[i] != percents[i + 1] &&
           std::strtod(short_texts[i].c_str(), nullptr) == std::strtod(short_texts[i + 1].c_str(), nullptr);
  };
  // Each pass gives every pair that reads alike one decimal more; a text that has them
  // all stays as it is.
  for (int pass = 0; pass <= d::kMostDecimals; ++pass) {
    bool changed = false;
    for (std::size_t i = 0; i + 1 < n; ++i) {
      if (!alike(i)) continue;
      for (std::size_t j : {i, i + 1}) {
        const int k = std::max(decimals[j] < 0 ? d::decimals_of(short_texts[j]) : decimals[j], 0) + 1;
        if (k > d::kMostDecimals) continue;
        std::string t = d::fixed(percents[j], k);
        // More decimals never bring a percent below 100 up to it.
        if (percents[j] < 100 && d::reads_hundred(t)) continue;
        decimals[j] = k, short_texts[j] = std::move(t), changed = true;
      }
    }
    if (!changed) break;
  }
  return short_texts;
}
