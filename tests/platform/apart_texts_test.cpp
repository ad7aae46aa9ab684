// Listing values at an offset read apart: readings of a 1 GHz oscillator, R's data
// sets moved to a Unix time, in the forms the module asks for (width 8 or 12, six
// decimals). Each text reads as its value to its last digit, distinct values read as
// distinct numbers in a column and beside the values of their row they are compared
// with, a mean reads apart from itself moved by its standard error, and columns whose
// values already read apart keep their texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "support/r_columns.h"
#include "output/apart_texts.h"
#include "output/listing_render.h"
#include "output/number_format.h"
#include "output/templates.h"

namespace {

using namespace plat::out;

double reading(const std::string& t) { return std::strtod(t.c_str(), nullptr); }

// The place of a text's last digit: 10^-decimals, or that of E notation's mantissa.
double last_place(const std::string& t) {
  const auto e = t.find('E');
  const std::string m = t.substr(0, e);
  const auto point = m.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(m.size() - point - 1);
  const int exponent = e == std::string::npos ? 0 : std::atoi(t.c_str() + e + 1);
  return std::pow(10.0, exponent - decimals);
}

// Every text reads as its value within half its last place, and distinct values
// (beyond 16 units of rounding) read as distinct numbers.
void expect_apart(const std::vector<double>& v, const std::vector<std::string>& t) {
  ASSERT_EQ(v.size(), t.size());
  for (std::size_t i = 0; i < v.size(); ++i) {
    EXPECT_LE(std::fabs(reading(t[i]) - v[i]), 0.5 * last_place(t[i]) * (1 + 1e-9)) << t[i] << " for " << v[i];
    for (std::size_t j = 0; j < i; ++j) {
      if (differ(v[i], v[j])) {
        EXPECT_NE(reading(t[i]), reading(t[j])) << t[i] << " and " << t[j];
      }
    }
  }
}

const std::vector<double> kOscillator = {1000000000.0811, 1000000000.0695, 1000000000.062, 1000000000.04935,
                                         1000000000.0248001, 1000000000.0102, 999999999.9946, 999999999.9714999,
                                         999999999.95535, 999999999.9426, 999999999.9292};

TEST(ApartTexts, QuantilesOfAnOscillatorReadApart) {
  for (auto [width, decimals] : {std::pair{12, 6}, std::pair{8, kBestDecimals}, std::pair{12, kBestDecimals}}) {
    column_info col;
    col.width = width;
    col.decimals = decimals;
    const std::vector<std::string> t = numeric_column_texts(kOscillator, col, nullptr);
    SCOPED_TRACE("width " + std::to_string(width) + ", decimals " + std::to_string(decimals));
    expect_apart(kOscillator, t);
    if (decimals == 6) {
      EXPECT_EQ(t[0], "1000000000.08110");  // the column's five decimals
    }
  }
}

// R's data sets moved to 1.7e9 (and 1e6): the sorted distinct values of each column,
// as the Quantiles and extreme-value tables list them.
TEST(ApartTexts, RDataSetsAtAUnixTimeReadApart) {
  for (const auto& col : kes_meta::r_columns())
    for (double c : {1e6, 1.7e9}) {
      std::set<double> distinct;  // the values' table lists each once
      for (double x : col.x) distinct.insert(x + c);
      const std::vector<double> v(distinct.begin(), distinct.end());
      for (auto [width, decimals] : {std::pair{12, 6}, std::pair{8, kBestDecimals}}) {
        column_info info;
        info.width = width;
        info.decimals = decimals;
        SCOPED_TRACE(std::string(col.name) + " + " + std::to_string(c));
        expect_apart(v, numeric_column_texts(v, info, nullptr));
      }
    }
}

TEST(ApartTexts, ValuesThatReadApartKeepTheirTexts) {
  column_info col;
  col.width = 8;
  col.decimals = kBestDecimals;
  EXPECT_EQ(numeric_column_texts({1.0 / 3.0, 123456789.0, 1e9, 0.125}, col, nullptr),
            (std::vector<std::string>{"0.3333333", "123456789", "1000000000", "0.125"}));
  // Small percents that read as zero in three decimals stay so.
  col.decimals = 3;
  EXPECT_EQ(numeric_column_texts({25.947482, 0.000183, 0.000004, 0.0}, col, nullptr),
            (std::vector<std::string>{"25.947", "0.000", "0.000", "0.000"}));
}

// A table: one row's estimate and limits, one of another scale.
report limits_table(double est, double lo, double hi) {
  report r;
  r.name = r.label = "BasicIntervals";
  r.template_name = "orbo.kestravine.ConfLimits";
  for (const char* name : {"Parameter", "Estimate", "LowerCL", "UpperCL"}) {
    column_info& c = r.columns.emplace_back();
    c.name = name;
    c.numeric = name[0] != 'P';
  }
  r.rows.push_back({cell{true, "Mean", 0}, cell{false, "", est}, cell{false, "", lo}, cell{false, "", hi}});
  r.rows.push_back({cell{true, "Std Deviation", 0}, cell{false, "", 0.0293557}, cell{false, "", 0.0260529},
                    cell{false, "", 0.0336250}});
  return r;
}

std::vector<std::string> words_of(const std::string& line) {
  std::vector<std::string> w;
  std::size_t i = 0;
  while ((i = line.find_first_not_of(' ', i)) != std::string::npos) {
    const std::size_t j = line.find(' ', i);
    w.push_back(line.substr(i, j - i));
    i = j;
  }
  return w;
}

TEST(ApartTexts, AMeanReadsApartFromItsLimits) {
  const double cases[][3] = {{1000000000.0076625, 1000000000.003128, 1000000000.012197},
                             {1700000000.25, 1700000000.125, 1700000000.375},
                             {12.5, 11.75, 13.25}};
  for (const auto& c : cases) {
    const report r = limits_table(c[0], c[1], c[2]);
    std::vector<std::string> lines;
    render_listing(r, find_template(r.template_name), 100, [&](std::string_view l) { lines.emplace_back(l); });
    std::vector<std::string> mean;
    for (const auto& l : lines)
      if (l.find("Mean") != std::string::npos) mean = words_of(l);
    ASSERT_EQ(mean.size(), 4u);
    expect_apart({c[0], c[1], c[2]}, {mean[1], mean[2], mean[3]});
    // The limits show at least as many decimals as the estimate (a last zero dropped
    // reads the limit rounded there).
    const std::size_t point = mean[1].find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(mean[1].size() - point - 1);
    for (int k : {1, 2}) {
      char want[64];
      std::snprintf(want, sizeof want, "%.*f", decimals, c[k]);
      const std::size_t p = mean[k + 1].find('.');
      const int shown = p == std::string::npos ? 0 : static_cast<int>(mean[k + 1].size() - p - 1);
      EXPECT_TRUE(shown >= decimals || reading(mean[k + 1]) == reading(want)) << mean[1] << " " << mean[k + 1];
    }
  }
}

TEST(ApartTexts, TheMomentsMeanReadsApartFromItselfMovedByItsStandardError) {
  report r;
  r.factoid = true;
  r.name = r.label = "Moments";
  r.template_name = "orbo.kestravine.Moments";
  const double mean = 1000000000.0076625, se = 0.00267979;
  const char* labels[12] = {"N", "Sum Weights", "Mean", "Sum Observations", "Std Deviation", "Variance",
                            "Skewness", "Kurtosis", "Uncorrected SS", "Corrected SS", "Coeff Variation",
                            "Std Error Mean"};
  const double values[12] = {120, 120, mean, 1.2e11, 0.0293557, 8.6e-4, -0.0879, 0.153, 1.2e20, 0.1025, 2.9e-9, se};
  for (int i = 0; i < 12; ++i) {
    factoid_pair& p = r.pairs.emplace_back();
    p.label = labels[i];
    p.num = values[i];
    p.position = i % 2 + 1;
    p.width = 10;
    p.decimals = kBestDecimals;
  }
  std::vector<std::string> lines;
  render_listing(r, find_template(r.template_name), 100, [&](std::string_view l) { lines.emplace_back(l); });
  std::string text;
  for (const auto& l : lines)
    if (const auto w = words_of(l); w.size() > 1 && w[0] == "Mean") text = w[1];
  ASSERT_FALSE(text.empty());
  EXPECT_LE(last_place(text), se) << text;
  EXPECT_NEAR(reading(text), mean, 0.5 * last_place(text));
}

}  // namespace
