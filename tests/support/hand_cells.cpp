#include "support/hand_cells.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "numeric/zmissing.h"

namespace kes_test {
namespace {

// The p-quantile of sorted values: the empirical distribution, averaged at jumps.
double quantile(const std::vector<double>& x, double p) {
  const double np = static_cast<double>(x.size()) * p;
  const auto j = static_cast<size_t>(np);
  return np > static_cast<double>(j) ? x[j] : 0.5 * (x[j - 1] + x[j]);
}

}  // namespace

kes_varsum* hand_cells::summary(const std::vector<double>& values, const std::vector<int>& counts) {
  std::vector<double> x;
  for (size_t i = 0; i < values.size(); ++i) x.insert(x.end(), counts.empty() ? 1 : counts[i], values[i]);
  std::sort(x.begin(), x.end());
  std::map<double, int> freq;
  for (double v : x) ++freq[v];
  held_view& hv = views_.emplace_back();
  for (const auto& [v, f] : freq) {
    hv.x.push_back(v);
    hv.f.push_back(f);
  }
  hv.view.m = static_cast<int>(hv.x.size());
  hv.view.x = hv.x.data();
  hv.view.f = hv.f.data();
  kes_varsum& s = sums_.emplace_back();
  const double n = static_cast<double>(x.size()), miss = zmissing();
  for (double v : x) s.sum += v, s.uss += v * v;
  s.mean = n > 0 ? s.sum / n : miss;
  for (double v : x) s.css += (v - s.mean) * (v - s.mean);
  s.n = s.sumwgt = s.pass_total = n;
  s.std = n > 1 ? std::sqrt(s.css / (n - 1)) : miss;
  s.min = x.empty() ? miss : x.front();
  s.max = x.empty() ? miss : x.back();
  s.qrange = !x.empty() ? quantile(x, 0.75) - quantile(x, 0.25) : 0;
  s.ndistinct = hv.view.m;
  s.view = &hv.view;
  return &s;
}

kes_cell* hand_cells::cell(kes_classvars& cv, const std::string& level, kes_cell* parent) {
  kes_cell* c = &cells_.emplace_back();
  const auto len = static_cast<std::uint16_t>(level.size());
  c->fmt = c->key = kes_textdesc{len, len, text(level)};
  kes_cell** at = parent != nullptr ? &parent->child : &cv.levels;
  while (*at != nullptr) at = &(*at)->next;
  *at = c;
  c->child = parent;
  return c;
}

}  // namespace kes_test
