#include "value_list_builder.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "host/host_missing.h"
#include "records/kes_wunit.h"

namespace kes_test {

value_list::value_list(const std::vector<obs>& data, bool weighted, double nmiss) {
  struct acc {
    int f = 0;
    double w = 0, w15 = 0, w2 = 0;
  };
  std::map<double, acc> by_value;
  double n = 0, sumw = 0, sum = 0, uss = 0;
  for (const obs& o : data) {
    const double c = weighted ? o.c : 1.0;
    const double w = c * o.f;
    acc& a = by_value[o.x];
    a.f += o.f;
    a.w += w;
    a.w15 += o.f * c * std::sqrt(c);
    a.w2 += o.f * c * c;
    n += o.f;
    sumw += w;
    sum += w * o.x;
    uss += w * o.x * o.x;
  }
  kes_valnode* prev = nullptr;
  for (const auto& [x, a] : by_value) {
    x_.push_back(x);
    f_.push_back(a.f);
    w_.push_back(a.w);
    // The view keeps the powers in the value's own unit (kes_valview).
    const int u = kes_power_unit(a.w);
    w15_.push_back(std::ldexp(a.w15, -(u + u / 2)));
    w2_.push_back(std::ldexp(a.w2, -2 * u));
    kes_valnode& nd = nodes_.emplace_back();
    nd.key.value = x;
    nd.count = a.f;
    if (weighted) {
      wts_.push_back({a.w, a.w15, a.w2, nullptr});
      nd.wt = &wts_.back();
    }
    if (prev)
      prev->next = &nd;
    else
      rec.values = &nd;
    prev = &nd;
  }
  const double mean = sumw > 0 ? sum / sumw : 0.0;
  double css = 0;
  for (const auto& [x, a] : by_value) css += a.w * (x - mean) * (x - mean);
  rec.sum = sum;
  rec.uss = uss;
  rec.css = css;
  rec.sumwgt = sumw;
  rec.n = n;
  rec.nmiss = nmiss;
  rec.nobs = n + nmiss;
  rec.pass_total = n + nmiss;
  rec.ndistinct = static_cast<int>(nodes_.size());
  rec.weight_given = weighted ? 1 : 0;
  if (nmiss > 0) {
    kes_valnode& m = missing_.emplace_back();
    m.key.kind = HOST_MISS_STD;
    m.count = static_cast<int>(nmiss);
    rec.missing = &m;
    kind_.push_back(HOST_MISS_STD);
    kcount_.push_back(m.count);
  }
  const bool w = weighted && !x_.empty();
  // Every value's sums kept, as they were summed here.
  for (int i = 0; i < static_cast<int>(x_.size()); ++i) kept_.push_back(i);
  view_ = kes_valview{static_cast<int>(x_.size()), x_.data(), f_.data(), w ? w_.data() : nullptr,
                      w ? w15_.data() : nullptr, w ? w2_.data() : nullptr, static_cast<int>(kind_.size()),
                      kind_.data(), kcount_.data(), 0, w ? static_cast<int>(kept_.size()) : 0,
                      w ? kept_.data() : nullptr};
  rec.view = &view_;
}

value_list value_list::of(const std::vector<double>& xs) {
  std::vector<obs> d;
  for (double x : xs) d.push_back({x});
  return value_list(d);
}

}  // namespace kes_test
