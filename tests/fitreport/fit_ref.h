// The reference values of ref/fit_ref.tsv (made by ref/fit_ref.R) and ref/edf_mc.tsv
// (made by ref/edf_mc.py), by key.
#pragma once
#include "support/ref_tables.h"

namespace fit_ref {

inline std::map<std::string, std::vector<double>> load(const char* file) {
  std::string path = "fitreport/ref/";
  path += file;
  return kes_test::ref_keyed(path);
}

inline const std::vector<double>& get(const std::string& key) {
  static const std::map<std::string, std::vector<double>> table = [] {
    std::map<std::string, std::vector<double>> t = load("fit_ref.tsv");
    for (auto& [k, v] : load("edf_mc.tsv")) {
      std::string key = "mc_";
      key += k;
      t[key] = v;
    }
    return t;
  }();
  static const std::vector<double> none;
  auto it = table.find(key);
  return it == table.end() ? none : it->second;
}

// The two samples of the reference script.
inline const std::vector<double> s1 = {4.2, 5.1, 3.8, 6.0, 5.5, 4.9, 5.3, 4.4, 6.2, 5.0, 4.7, 5.8};
inline const std::vector<double> s2 = {0.3, 1.7, 0.9, 2.4, 0.1, 3.8, 1.2, 0.6, 0.45, 2.9, 1.05, 0.75, 5.2, 0.2};

}  // namespace fit_ref
