// Markers and lines read back from an SVG file (see svg_marks.h).
#include "support/svg_marks.h"

#include "support/svg_reader.h"

#include <cmath>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace kes_test {
namespace {

double segment_distance(const svg_xy& p, const svg_xy& a, const svg_xy& b) {
  const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
  t = std::fmax(0, std::fmin(1, t));
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// A place as the writer writes it: hundredths.
std::pair<long long, long long> hundredths(const svg_xy& p) {
  return {std::llround(p.x * 100), std::llround(p.y * 100)};
}

// Whether a drawn place is one of the given ones as written.
bool among(const std::set<std::pair<long long, long long>>& given, const svg_xy& p) {
  const auto [x, y] = hundredths(p);
  for (long long i = -1; i <= 1; ++i)
    for (long long j = -1; j <= 1; ++j)
      if (given.count({x + i, y + j})) return true;
  return false;
}

std::string text(const svg_xy& p) {
  std::ostringstream s;
  s << p.x << "," << p.y;
  return s.str();
}

}  // namespace

std::vector<svg_use> svg_uses(const std::string& doc) {
  std::vector<svg_use> out;
  static const std::regex re(R"re(<use href="#([^"]+)" x="([-0-9.e]+)" y="([-0-9.e]+)"/>)re");
  for (auto it = std::sregex_iterator(doc.begin(), doc.end(), re); it != std::sregex_iterator(); ++it)
    out.push_back({(*it)[1], std::stod((*it)[2]), std::stod((*it)[3])});
  return out;
}

std::vector<svg_xy> svg_points(const std::string& points) {
  const std::vector<double> n = svg_numbers(points);
  std::vector<svg_xy> out;
  for (std::size_t k = 0; k + 1 < n.size(); k += 2) out.push_back({n[k], n[k + 1]});
  return out;
}

std::vector<std::vector<svg_xy>> svg_polylines(const std::string& doc) {
  std::vector<std::vector<svg_xy>> out;
  static const std::regex re(R"re(<polyline points="([^"]*)")re");
  for (auto it = std::sregex_iterator(doc.begin(), doc.end(), re); it != std::sregex_iterator(); ++it)
    out.push_back(svg_points((*it)[1]));
  return out;
}

::testing::AssertionResult line_covers(const std::vector<svg_xy>& given, const std::vector<svg_xy>& drawn,
                                       double tolerance) {
  if (drawn.size() < 2) return ::testing::AssertionFailure() << "fewer than two drawn vertices";
  std::set<std::pair<long long, long long>> places;
  for (const svg_xy& p : given) places.insert(hundredths(p));
  for (const svg_xy& p : drawn)
    if (!among(places, p)) return ::testing::AssertionFailure() << "drawn vertex " << text(p) << " was not given";
  // The drawn segments are walked in order: a given vertex lies near the segment it is
  // drawn as, which comes at or after the last one's.
  std::size_t j = 0;
  for (const svg_xy& p : given) {
    double best = segment_distance(p, drawn[j], drawn[j + 1]);
    for (std::size_t k = j + 1; k + 1 < drawn.size() && k <= j + 3; ++k) {
      const double d = segment_distance(p, drawn[k], drawn[k + 1]);
      if (d <= best) best = d, j = k;
    }
    if (best > tolerance)
      return ::testing::AssertionFailure() << "given vertex " << text(p) << " lies " << best << " px from the line";
  }
  if (j + 2 != drawn.size()) return ::testing::AssertionFailure() << "the line goes on past the given vertices";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult marks_cover(const std::vector<svg_xy>& given, const std::vector<svg_xy>& drawn,
                                       double tolerance) {
  std::set<std::pair<long long, long long>> places;
  for (const svg_xy& p : given) places.insert(hundredths(p));
  for (const svg_xy& p : drawn)
    if (!among(places, p)) return ::testing::AssertionFailure() << "drawn marker " << text(p) << " was not given";
  // Drawn markers in buckets a pixel wide.
  std::map<std::pair<long long, long long>, std::vector<svg_xy>> buckets;
  for (const svg_xy& p : drawn) buckets[{std::llround(std::floor(p.x)), std::llround(std::floor(p.y))}].push_back(p);
  for (const svg_xy& p : given) {
    const long long bx = std::llround(std::floor(p.x)), by = std::llround(std::floor(p.y));
    bool near = false;
    for (long long i = bx - 1; i <= bx + 1 && !near; ++i)
      for (long long k = by - 1; k <= by + 1 && !near; ++k) {
        auto it = buckets.find({i, k});
        if (it == buckets.end()) continue;
        for (const svg_xy& q : it->second)
          if (std::hypot(p.x - q.x, p.y - q.y) <= tolerance) near = true;
      }
    if (!near) return ::testing::AssertionFailure() << "given marker " << text(p) << " has no drawn marker near";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace kes_test
