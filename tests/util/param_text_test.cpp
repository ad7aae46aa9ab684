// A parameter's text reads as what it is: a text that reads as exact reads back as the
// double; any other fills its field with the digits kept (a decimal point, trailing
// zeros) and lies within half a unit of its last digit, never a round number.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "runner/host_table.h"
#include "util/param_text.h"

extern "C" int mcn_main(void*, void*);

namespace {

class ParamText : public ::testing::Test {  // the exact texts come from the host's service
 protected:
  void SetUp() override { mcn_main(plat::anchor(), nullptr); }
};

std::string expect_reads_as_it_is(double v) {
  char t[KES_PARAM_TEXT + 1];
  kes_param_text(v, t);
  const std::string s = t, mant = s.substr(0, s.find('E'));
  const int exp10 = s.find('E') == std::string::npos ? 0 : std::atoi(t + s.find('E') + 1);
  int digits = 0;
  for (char c : mant) digits += (c >= '1' && c <= '9') || (c == '0' && digits > 0);
  SCOPED_TRACE(s);
  if (std::strtod(t, nullptr) == v) {
    EXPECT_LE(digits, KES_PARAM_EXACT_DIGITS);
  } else {
    EXPECT_NE(mant.find('.'), std::string::npos);
    EXPECT_TRUE(static_cast<int>(s.size()) == KES_PARAM_FIELD || digits == 2);
    const int decimals = static_cast<int>(mant.size() - mant.find('.') - 1);
    EXPECT_LE(std::fabs(std::strtod(mant.c_str(), nullptr) - v / std::pow(10.0, exp10)),
              0.5 * std::pow(10.0, -decimals) * (1 + 1e-9));
  }
  return s;
}

TEST_F(ParamText, KnownValuesReadAsTheyAre) {
  const struct {
    double v;
    const char* text;
  } rows[] = {
      {1e9 + 0.025, "1.0000E9"},  {1733649754.84, "1.7336E9"}, {123446.5432, "123446.5432"}, {0.1, "0.1"},
      {1.0 / 3, "0.333333"},      {2.4446e-320, "2.4446E-320"}, {std::nextafter(1e300, 2e300), "1.00E300"},
      {std::nextafter(-1e-300, -1.0), "-1.0E-300"}, {42, "42"}, {1000000000, "1000000000"},
      {12345678901, "1.235E10"},  {1e15 + 3, "1.000E15"},      {99.999999999999, "100.0000"},
      {-0.5 - 1e-12, "-0.50000"},
  };
  for (const auto& r : rows) EXPECT_EQ(expect_reads_as_it_is(r.v), r.text);
}

TEST_F(ParamText, GeneratedValuesAtOffsetsReadAsTheyAre) {
  std::mt19937_64 g(20261208);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int i = 0; i < 4000; ++i) {
    const double f = u(g);
    for (double v : {1e9 + 0.05 * f, 1733649754.0 + f, 1e15 + std::floor(1e3 * f), 123446.0 + f, f, -f * 1e-5,
                     std::ldexp(f, -1070), DBL_MAX * f, -1e300 * (1 + f), std::round(1e12 * f)})
      expect_reads_as_it_is(v);
  }
}

}  // namespace
