// The rules on fitted curves: a curve's heights are its family's density at its points
// within the rounding of its label, wherever its data lie, and a fit the graph dump
// lists is drawn where its heights put it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "support/svg_rules.h"

namespace {

using namespace kes_test;

// Doubles a unit of their last place apart, toward or away from 0.
double up(double x) { return std::nextafter(x, INFINITY); }
double down(double x) { return std::nextafter(x, -INFINITY); }

// The least double the label's text (six decimals) still reads: a location at the
// low end of its rounding.
double first_read_as(const std::string& text) {
  const auto reads = [&](double v) {
    char b[64];
    std::snprintf(b, sizeof b, "%.6f", v);
    return text == b;
  };
  double v = std::strtod(text.c_str(), nullptr) - 5e-7;
  while (!reads(v)) v = up(v);
  while (reads(down(v))) v = down(v);
  return v;
}

double normal_pdf(double d, double sigma) {
  return std::exp(-(d / sigma) * (d / sigma) / 2) / (sigma * std::sqrt(2 * std::numbers::pi));
}
double gamma_pdf(double d, double shape, double scale) {
  const double u = d / scale;
  return std::pow(u, shape - 1) * std::exp(-u) / (std::tgamma(shape) * scale);
}

// A curve of label over bins 1 wide on a percent axis, its heights taken at each written
// place moved `off` doubles away from the location (as a curve's points far from 0 are
// computed), by the density of the distance from the location.
svg_facts curve_of(const std::string& label, double location, const std::vector<double>& places, int off,
                   double (*density)(double)) {
  svg_facts f;
  svg_facts::curve c;
  c.label = label;
  c.width = 1;
  c.scale = 100;
  for (double x : places) {
    double taken = x;
    for (int k = 0; k < off; ++k) taken = x < location ? down(taken) : up(taken);
    c.points.push_back({x, 100 * density(taken - location)});
  }
  f.curves.push_back(c);
  return f;
}

std::string faults_of(const svg_facts& f) {
  std::string found;
  for (const svg_fault& x : svg_rule_faults("<svg width=\"100\" height=\"100\"></svg>", f))
    found += x.rule + ": " + x.detail + "\n";
  return found;
}

// A normal curve of data near 1.7e9 (Unix seconds), its mean written to the millionth
// its deviation's last digit allows and standing at the low end of that rounding, its
// heights taken a unit of the points' last place farther out than the places written:
// its density within the label's rounding all the same. The same curve near 0 passes;
// a mean three millionths off, a deviation a millionth off, heights a ten-millionth
// high, are other curves.
TEST(GraphCurveRules, CurvesFarFromZeroAreTheirDensityWithinTheLabelsRounding) {
  const std::string mu_text = "1700000000.045159";
  const double mu = first_read_as(mu_text);
  std::vector<double> far, near;
  for (double k : {-30.0, -20.0, -12.5, -6.0, -2.0, -0.5, 0.0, 0.5, 2.0, 6.0, 12.5, 20.0, 30.0}) {
    far.push_back(mu + k);
    near.push_back(mu + k - 1700000000);
  }
  // The deviation at the low end of its rounding too, where the density of the points
  // beyond a deviation is least: its rounding hides nothing of the location's.
  static const double sigma = first_read_as("8.459789");
  const auto normal = [](double d) { return normal_pdf(d, sigma); };
  const auto wider = [](double d) { return normal_pdf(d, 8.459791); };
  const auto gamma = [](double d) { return gamma_pdf(d, 2.683976, 5.017836); };
  const std::string label = "Normal(Mu=" + mu_text + " Sigma=8.459789)";
  std::vector<double> above;  // a gamma curve's places above its threshold
  for (double k : {0.25, 1.0, 3.0, 8.0, 13.5, 20.0, 35.0}) above.push_back(mu + k);
  svg_facts high = curve_of(label, mu, far, 1, normal);
  for (auto& [x, y] : high.curves[0].points) y *= 1 + 1e-7;
  const struct {
    const char* what;
    svg_facts facts;
    bool sound;
  } cases[] = {
      {"near 1.7e9, heights an ulp out", curve_of(label, mu, far, 1, normal), true},
      {"near 1.7e9, heights at the places written", curve_of(label, mu, far, 0, normal), true},
      {"near 1.7e9, a gamma threshold", curve_of("Gamma(Theta=" + mu_text + " Shape=2.683976 Scale=5.017836)", mu,
                                                 above, 1, gamma),
       true},
      {"near 0", curve_of("Normal(Mu=0.045159 Sigma=8.459789)", mu - 1700000000, near, 1, normal), true},
      {"a mean three millionths off", curve_of(label, mu + 3e-6, far, 0, normal), false},
      {"a deviation a millionth off", curve_of(label, mu, far, 0, wider), false},
      {"heights a ten-millionth high", high, false},
  };
  for (const auto& c : cases) {
    const std::string found = faults_of(c.facts);
    if (c.sound)
      EXPECT_EQ(found, "") << c.what;
    else
      EXPECT_NE(found.find(std::string(kRuleCurveUntrue) + ":"), std::string::npos) << c.what << "\n" << found;
  }
}

}  // namespace
