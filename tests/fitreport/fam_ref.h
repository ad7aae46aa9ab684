// The reference values of ref/fam_ref.tsv (made by ref/fam_ref.R) by key, and its
// sample.
#pragma once
#include "fit_ref.h"

namespace fam_ref {

inline const std::vector<double>& get(const std::string& key) {
  static const auto t = fit_ref::load("fam_ref.tsv");
  return t.at(key);
}

// 20 positive values with one tie.
inline const std::vector<double> s3 = {1.2, 2.5, 0.8, 3.1, 1.9, 4.6, 2.2, 1.4, 2.9, 0.95,
                                       3.7, 2.2, 1.6, 5.3, 2.7, 1.1, 3.3, 2.0, 6.1, 1.8};

}  // namespace fam_ref
