// The rules on fitted curves (see svg_meaning.h).
#include "support/svg_meaning.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace kes_test {
namespace {

// A family's density at x for the parameters its label names (NaN for a family or
// parameters not known here).
double family_density(const std::string& family, const std::map<std::string, double>& p, double x) {
  const auto at = [&](const char* name) {
    const auto it = p.find(name);
    return it == p.end() ? NAN : it->second;
  };
  const double theta = p.count("Theta") != 0 ? at("Theta") : 0;
  if (family == "Normal") {
    // Drawn to four standard deviations either side, 0 beyond.
    const double z = (x - at("Mu")) / at("Sigma");
    return std::fabs(z) > 4 ? 0 : std::exp(-z * z / 2) / (at("Sigma") * std::sqrt(2 * std::numbers::pi));
  }
  const double y = x - theta;
  if (!(y > 0)) return family == "Exponential" || family == "Lognormal" || family == "Weibull" || family == "Gamma" ? 0 : NAN;
  // Drawn to five shapes either side of the log scale, to ten scales (Weibull: ten of
  // its power), 0 beyond.
  if (family == "Lognormal") {
    const double z = (std::log(y) - at("Scale")) / at("Shape");
    return std::fabs(z) > 5 ? 0 : std::exp(-z * z / 2) / (y * at("Shape") * std::sqrt(2 * std::numbers::pi));
  }
  if (family == "Exponential") return y / at("Scale") > 10 ? 0 : std::exp(-y / at("Scale")) / at("Scale");
  if (family == "Weibull") {
    const double c = at("Shape"), u = y / at("Scale");
    return std::pow(u, c) > 10 ? 0 : c / at("Scale") * std::pow(u, c - 1) * std::exp(-std::pow(u, c));
  }
  if (family == "Gamma") {
    const double a = at("Shape"), u = y / at("Scale");
    return std::exp((a - 1) * std::log(u) - u - std::lgamma(a)) / at("Scale");
  }
  return NAN;
}

}  // namespace

// Each fitted curve whose label gives its parameters ("Normal(Mu=67.89
// Sigma=8.459789)") is its family's density at its points, times the height of unit
// density, within what the label's rounding allows: each parameter anywhere within
// half the unit of its last digit. The density falls toward either end of each
// parameter's range, so its least is at a corner of their box; a normal curve's most
// is where its mean is nearest the point and its deviation nearest the distance. A
// curve drawn flat at 0 over its data, or at another fit's heights, is caught.
void curve_faults(const graph_parts& /*g*/, const svg_facts& facts, std::vector<svg_fault>& out) {
  static const std::regex whole(R"(^(\w+)\((.*)\)$)"), pair(R"((\w+)=(\S+))");
  for (const svg_facts::curve& c : facts.curves) {
    std::smatch m;
    if (!std::regex_match(c.label, m, whole) || !(c.width > 0 && c.scale > 0)) continue;
    const std::string family = m[1], list = m[2];
    std::map<std::string, std::pair<double, double>> range;  // each parameter's least and most
    std::map<std::string, std::string> texts;
    bool numbers = true;
    for (auto it = std::sregex_iterator(list.begin(), list.end(), pair); it != std::sregex_iterator(); ++it) {
      const std::optional<double> v = number_of((*it)[2]);
      numbers = numbers && v.has_value();
      if (v) texts[(*it)[1]] = (*it)[2];
    }
    // A location reads to the last digit of its law's scale (Mu=4835160 beside
    // Sigma=1.106689E7 is rounded to tens): its zeros past that digit are no digits.
    const auto scale_of = [&](const std::string& name) -> const char* {
      if (name == "Mu") return "Sigma";
      if (name == "Theta" && family != "Lognormal") return "Scale";
      return nullptr;
    };
    for (const auto& [name, text] : texts) {
      double unit = last_unit(text);
      if (const char* s = scale_of(name); s != nullptr && texts.count(s) != 0) unit = std::max(unit, last_unit(texts[s]));
      // The curve's points are doubles: a location far from 0 (1000000000.045159) puts
      // its points' distances from it, which the heights are taken at, a unit of their
      // last place off the distances of the places written.
      const double v = *number_of(text);
      const double ulp = std::nextafter(std::fabs(v), INFINITY) - std::fabs(v);
      const double reach = unit / 2 + (scale_of(name) != nullptr ? 2 * ulp : 0);
      range[name] = {v - reach, v + reach};
    }
    if (!numbers || range.empty() || range.size() > 4) continue;
    std::vector<std::map<std::string, double>> corners(1);
    for (const auto& [name, ends] : range) {
      std::vector<std::map<std::string, double>> more;
      for (const auto& t : corners)
        for (double v : {ends.first, ends.second}) {
          more.push_back(t);
          more.back()[name] = v;
        }
      corners = std::move(more);
    }
    for (const auto& [x, y] : c.points) {
      double lo = INFINITY;
      for (const auto& t : corners) {
        const double f = family_density(family, t, x);
        lo = std::isnan(f) || std::isnan(lo) ? NAN : std::min(lo, f);
      }
      if (std::isnan(lo)) break;  // a family not known here
      double hi = INFINITY;
      if (family == "Normal" && range.count("Mu") != 0 && range.count("Sigma") != 0) {
        const auto [mu0, mu1] = range["Mu"];
        const auto [s0, s1] = range["Sigma"];
        const double d = std::fabs(x - std::clamp(x, mu0, mu1));
        hi = family_density(family, {{"Mu", x - d}, {"Sigma", std::clamp(d, s0, s1)}}, x);
      }
      // Computed in doubles by other steps: a few units in the last place either way;
      // a density below what a double holds beside the curve's constant is drawn at 0.
      const auto height = [&](double f) { return f * c.width * c.scale; };
      const double reach = 1e-9 + c.width_reach;
      const bool under = y == 0 && height(lo) < 1e-290;
      if (under || (y >= height(lo) * (1 - reach) && y <= height(hi) * (1 + reach))) continue;
      out.push_back({kRuleCurveUntrue, "the curve '" + c.label + "' is " + number_text(y) + " high at " +
                                           number_text(x) + ", its density there " + number_text(height(lo)) +
                                           (std::isfinite(hi) ? " to " + number_text(height(hi)) : " or more")});
      break;
    }
  }
}

}  // namespace kes_test
