// Data sets drawn at random for tests that run whole programs: sizes from 1 to 10,000
// values, ordinary or with ties, outliers or one value throughout, at both ends of the
// doubles (near the largest, near the least, subnormal, mixed) and in units of 1e-9
// (nano) and of 1e-20, with or without weights (of the same kinds of scale) and
// frequencies. Every draw is named by its kinds, so that a failure can say what data
// it met.
#pragma once
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/csv_write.h"  // csv_text, which writes a sample's columns

namespace kes_test {

enum class value_kind { ordinary, ties, outliers, one_value, huge, tiny, subnormal, mixed, nano, e_minus20 };
enum class weight_kind { none, ordinary, huge, tiny, subnormal, mixed, rising, falling, nano, e_minus20 };

struct sample_plan {
  value_kind values = value_kind::ordinary;
  weight_kind weights = weight_kind::none;
  bool freq = false;
  int rows = 1;
};

struct sample {
  sample_plan plan;
  std::vector<double> x;  // NaN for a missing value
  std::vector<double> w;  // empty without weights
  std::vector<double> f;  // empty without frequencies (whole numbers from 0 to 4)
  // "values=ties weights=mixed weighted freq rows=37": the kinds, one word each.
  std::string kind() const;
};

const char* name_of(value_kind k);
const char* name_of(weight_kind k);

// The kinds of the next data set: every value kind as often, weights on about half of
// them, frequencies on about a third, mostly small sizes and now and then up to 10,000.
sample_plan draw_spec(std::mt19937_64& rng);
// A data set of those kinds.
sample draw_sample(const sample_plan& plan, std::mt19937_64& rng);

}  // namespace kes_test
