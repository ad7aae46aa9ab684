// The rules on fitted curves (see svg_meaning.h).
#include "support/svg_meaning.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>
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

// Above what no value of the data lies below: the upper end of the lowest bin that
// holds a value, and a few ulps for the rounding of its double; infinite without bins.
double data_floor(const svg_facts& facts, const svg_facts::curve& c) {
  for (const auto& [mid, height] : facts.bins)
    if (height > 0) {
      const double top = mid + c.width / 2;
      return top + c.width * c.width_reach + 4 * (std::nextafter(std::fabs(top), INFINITY) - std::fabs(top));
    }
  return INFINITY;
}

// The distance from a point to a polyline (infinite for one without a segment).
double distance_to(const std::vector<std::pair<double, double>>& line, double x, double y) {
  double least = INFINITY;
  for (std::size_t k = 0; k + 1 < line.size(); ++k) {
    const auto [x1, y1] = line[k];
    const auto [x2, y2] = line[k + 1];
    const double dx = x2 - x1, dy = y2 - y1, len = dx * dx + dy * dy;
    const double t = len > 0 ? std::clamp(((x - x1) * dx + (y - y1) * dy) / len, 0.0, 1.0) : 0;
    least = std::min(least, std::hypot(x - (x1 + t * dx), y - (y1 + t * dy)));
  }
  return least;
}

// A curve shows when it stands this far above its axis; drawn, it lies this near the
// places its heights give (the drawing thins a curve's points to the page's resolution
// and writes them to hundredths; the tick texts the places are read by, alike).
constexpr double kVisibleRise = 3;
constexpr double kDrawnReach = 1.5;

// A fitted curve the graph dump lists for a cell is drawn where its heights put it: its
// highest point over the frame, where that stands visibly above the axis, lies on a
// curve the cell draws (at the frame's top for a curve taller than the frame). A fit the legend
// names whose curve is drawn without points, flat on the axis or off the frame is
// caught; a curve that is truly 0 over the frame (given parameters far from the data)
// need not show.
void drawn_curves(const graph_parts& g, std::size_t cell_no, const std::vector<svg_facts::curve>& curves,
                  std::vector<svg_fault>& out) {
  if (curves.empty() || cell_no >= g.cells.size()) return;
  const box& cell = g.cells[cell_no];
  // A comparative histogram labels its columns' values below the lowest row and its
  // rows' at the left of the first column: a cell reads its own column's and row's.
  std::optional<axis_line> across, up;
  for (std::size_t k = 0; k < g.cells.size(); ++k) {
    const box& other = g.cells[k];
    if (!across && std::fabs(other.x0 - cell.x0) < kSlack && std::fabs(other.x1 - cell.x1) < kSlack)
      across = cell_axis(g, k, true);
    if (!up && std::fabs(other.y0 - cell.y0) < kSlack && std::fabs(other.y1 - cell.y1) < kSlack)
      up = cell_axis(g, k, false);
  }
  if (!across || !up) return;
  // The cell's own curves: those with a point inside its frame.
  std::vector<const std::vector<std::pair<double, double>>*> own;
  for (const auto& line : g.polylines)
    if (std::any_of(line.begin(), line.end(), [&](const auto& p) { return cell.holds(p.first, p.second, -kSlack); }))
      own.push_back(&line);
  const double axis = std::min(up->at(0), cell.y1);
  for (const svg_facts::curve& c : curves) {
    double px = 0, py = INFINITY, x_of = 0, y_of = 0;
    for (const auto& [x, y] : c.points) {
      const double at = across->at(x), h = up->at(y);
      if (at > cell.x0 + kDrawnReach && at < cell.x1 - kDrawnReach && h < py) px = at, py = h, x_of = x, y_of = y;
    }
    if (!(axis - py >= kVisibleRise)) continue;
    const bool above = py < cell.y0 + kDrawnReach;
    const bool drawn = std::any_of(own.begin(), own.end(), [&](const auto* line) {
      return above ? std::any_of(line->begin(), line->end(), [&](const auto& p) { return p.second < cell.y0 + kDrawnReach; })
                   : distance_to(*line, px, py) <= kDrawnReach;
    });
    if (!drawn)
      out.push_back({kRuleCurveDrawn, "the curve '" + c.label + "' of the cell " + place(cell) + " is " +
                                          number_text(y_of) + " high at " + number_text(x_of) +
                                          ", but no curve the cell draws passes (" + number_text(px) + "," +
                                          number_text(std::max(py, cell.y0)) + ")"});
  }
}

}  // namespace

// Each fitted curve whose label gives its parameters ("Normal(Mu=67.89
// Sigma=8.459789)") is its family's density at its points, times the height of unit
// density, within what the label's rounding allows: each parameter anywhere within
// half the unit of its last digit. The density falls toward either end of each
// parameter's range, so its least is at a corner of their box; a normal curve's most
// is where its mean is nearest the point and its deviation nearest the distance. A
// curve drawn flat at 0 over its data, or at another fit's heights, is caught, and so
// is a threshold curve flat at 0 over data its threshold's rounding reaches past.
void curve_faults(const graph_parts& g, const svg_facts& facts, std::vector<svg_fault>& out) {
  if (g.cells.size() == 1) drawn_curves(g, 0, facts.curves, out);
  for (std::size_t k = 0; k < facts.cell_curves.size(); ++k) drawn_curves(g, k, facts.cell_curves[k], out);
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
    // A threshold lies below the least value (a fit whose threshold does not is not
    // drawn), and so below the top of the lowest bin that holds one, whatever its
    // label's rounding allows: above it the curve is no longer 0.
    if (const double top = data_floor(facts, c); range.count("Theta") != 0 && top > range["Theta"].first)
      range["Theta"].second = std::min(range["Theta"].second, top);
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
