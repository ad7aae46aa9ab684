// The rules on what a graph says (see svg_meaning.h).
#include "support/svg_meaning.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <numbers>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

namespace kes_test {
namespace {

// How far from its cell an axis's values stand, at most.
constexpr double kAxisReach = 60;
// Tick values hang this far over a cell's ends, at most.
constexpr double kEndReach = 20;
// Below this contrast ratio a text is lost on its fill. Users' own colours stand well
// below the usual 4.5 (orange on white is 2.4); a text on a fill of nearly its own
// colour is no one's choice.
constexpr double kLeastContrast = 1.5;
// Units across and up that differ by less than this share are one unit (the writer
// rounds places to hundredths of a pixel).
constexpr double kUnitShare = 0.01;

}  // namespace

// The value a tick text shows: a number, with a percent sign, thousands' commas or a
// typographic minus; nothing for any other text.
std::optional<double> number_of(std::string s) {
  for (std::size_t at; (at = s.find("\xE2\x88\x92")) != std::string::npos;) s.replace(at, 3, "-");
  s.erase(std::remove(s.begin(), s.end(), ','), s.end());
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  if (!s.empty() && s.back() == '%') s.pop_back();
  if (s.empty() || s.find_first_not_of("0123456789+-.eE") != std::string::npos) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

namespace {

enum class scale { none, probability, percent, law_percent, count };
enum side { bottom, top, left, right };
const char* const kSideName[] = {"horizontal axis below", "horizontal axis above", "vertical axis at the left",
                                 "vertical axis at the right"};

bool ends_with(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// The scale an axis label names.
scale scale_of(const std::string& label) {
  if (ends_with(label, "Cumulative Probability") || label == "Proportion") return scale::probability;
  if (label.find(" Percentiles") != std::string::npos) return scale::law_percent;
  if (ends_with(label, "Cumulative Percent") || label == "Percent") return scale::percent;
  if (label == "Count" || ends_with(label, "Cumulative Count")) return scale::count;
  return scale::none;
}

struct tick {
  double at, value;
  const text_item* text;
};
struct axis {
  std::size_t cell;
  side where;
  std::vector<tick> ticks;  // along the axis
};

double distance(const box& b, double x, double y) {
  const double dx = x < b.x0 ? b.x0 - x : x > b.x1 ? x - b.x1 : 0;
  const double dy = y < b.y0 ? b.y0 - y : y > b.y1 ? y - b.y1 : 0;
  return std::hypot(dx, dy);
}

bool free_text(const graph_parts& g, const text_item& t) {
  return !t.text.empty() && t.in_box < 0 && !inside_cell(g, t);
}

// The cell of the tick mark a number text stands level with (nearest its middle),
// or -1: a short line outside the cell from one of its edges, within the text's ink
// across the axis.
long tick_mark_cell(const graph_parts& g, const text_item& t) {
  long best = -1;
  double least = INFINITY;
  for (const segment& s : g.short_lines)
    for (std::size_t i = 0; i < g.cells.size(); ++i) {
      const box& c = g.cells[i];
      const bool across = std::fabs(s.y1 - s.y2) <= kSlack, up = std::fabs(s.x1 - s.x2) <= kSlack;
      double at, d;
      if (across && s.y1 >= c.y0 - kSlack && s.y1 <= c.y1 + kSlack &&
          (std::fabs(std::max(s.x1, s.x2) - c.x0) <= kSlack || std::fabs(std::min(s.x1, s.x2) - c.x1) <= kSlack)) {
        at = s.y1;
        if (at < t.ink.y0 || at > t.ink.y1) continue;
        d = std::fabs(at - t.cy());
      } else if (up && s.x1 >= c.x0 - kSlack && s.x1 <= c.x1 + kSlack &&
                 (std::fabs(std::min(s.y1, s.y2) - c.y1) <= kSlack || std::fabs(std::max(s.y1, s.y2) - c.y0) <= kSlack)) {
        at = s.x1;
        if (at < t.ink.x0 || at > t.ink.x1) continue;
        d = std::fabs(at - t.cx());
      } else {
        continue;
      }
      if (d < least) least = d, best = static_cast<long>(i);
    }
  return best;
}

// The tick values of each cell's sides: the numbers outside boxes and cells that stand
// nearest it, the line of them nearest the cell on each side.
std::vector<axis> read_axes(const graph_parts& g) {
  struct line_key {
    std::size_t cell;
    side where;
    long at;
    bool operator<(const line_key& o) const { return std::tie(cell, where, at) < std::tie(o.cell, o.where, o.at); }
  };
  std::map<line_key, std::vector<tick>> lines;
  for (const text_item& t : g.texts) {
    if (!free_text(g, t) || t.angle != 0) continue;
    const std::optional<double> v = number_of(t.text);
    if (!v) continue;
    long best = -1;
    double least = kAxisReach;
    for (std::size_t i = 0; i < g.cells.size(); ++i) {
      const double d = distance(g.cells[i], t.cx(), t.cy());
      if (d < least) least = d, best = static_cast<long>(i);
    }
    if (best < 0) continue;
    // A value belongs to the cell whose tick mark stands level with it: large text at
    // the end of one cell's axis may have its middle beside the next cell.
    if (const long marked = tick_mark_cell(g, t); marked >= 0) best = marked;
    const box& c = g.cells[static_cast<std::size_t>(best)];
    const bool beside = t.cy() > c.y0 - kEndReach && t.cy() < c.y1 + kEndReach;
    side where;
    if (beside && t.ink.x1 <= c.x0 + kSlack)
      where = left;
    else if (beside && t.ink.x0 >= c.x1 - kSlack)
      where = right;
    else if (t.ink.y0 >= c.y1 - kSlack)
      where = bottom;
    else if (t.ink.y1 <= c.y0 + kSlack)
      where = top;
    else
      continue;
    const bool across = where == bottom || where == top;
    const long at = std::lround((across ? t.y : t.x) * 100);
    lines[{static_cast<std::size_t>(best), where, at}].push_back({across ? t.cx() : t.cy(), *v, &t});
  }
  // The line nearest its cell on each side.
  std::map<std::pair<std::size_t, side>, const std::pair<const line_key, std::vector<tick>>*> nearest;
  for (const auto& entry : lines) {
    const auto k = std::make_pair(entry.first.cell, entry.first.where);
    auto [it, fresh] = nearest.insert({k, &entry});
    const bool nearer = entry.first.where == bottom || entry.first.where == right ? entry.first.at < it->second->first.at
                                                                                   : entry.first.at > it->second->first.at;
    if (!fresh && nearer) it->second = &entry;
  }
  std::vector<axis> out;
  for (const auto& [k, entry] : nearest) {
    axis a{k.first, k.second, entry->second};
    std::sort(a.ticks.begin(), a.ticks.end(), [](const tick& p, const tick& q) { return p.at < q.at; });
    out.push_back(a);
  }
  return out;
}

}  // namespace

std::optional<axis_line> cell_axis(const graph_parts& g, std::size_t cell, bool across) {
  for (const axis& a : read_axes(g)) {
    if (a.cell != cell || a.where != (across ? bottom : left) || a.ticks.size() < 2) continue;
    const tick &p = a.ticks.front(), &q = a.ticks.back();
    if (!(q.value != p.value)) return std::nullopt;
    return axis_line{p.at, p.value, (q.at - p.at) / (q.value - p.value)};
  }
  return std::nullopt;
}

namespace {

// The scale each side's label names: a label stands beyond the cells on its side.
std::map<side, scale> side_scales(const graph_parts& g) {
  std::map<side, scale> out;
  if (g.cells.empty()) return out;
  box all = g.cells.front();
  for (const box& c : g.cells) all = {std::min(all.x0, c.x0), std::min(all.y0, c.y0), std::max(all.x1, c.x1),
                                      std::max(all.y1, c.y1)};
  for (const text_item& t : g.texts) {
    if (!free_text(g, t)) continue;
    const scale s = scale_of(t.text);
    if (s == scale::none) continue;
    const bool turned = t.angle != 0;
    if (!turned && t.ink.y0 >= all.y1 - kSlack)
      out[bottom] = s;
    else if (!turned && t.ink.y1 <= all.y0 + kSlack)
      out[top] = s;
    else if (t.ink.x1 <= all.x0 + kSlack)
      out[left] = s;
    else if (t.ink.x0 >= all.x1 - kSlack)
      out[right] = s;
  }
  return out;
}

// Whether the bars of an axis's cell reach below its zero, as hanging bars do: a
// count or percent axis then runs below 0 by design.
bool hanging_bars(const graph_parts& g, const axis& a) {
  if (a.ticks.size() < 2 || a.ticks.front().value == a.ticks.back().value) return false;
  const tick &p = a.ticks.front(), &q = a.ticks.back();
  const double zero = p.at + (0 - p.value) * (q.at - p.at) / (q.value - p.value);
  const bool across = a.where == bottom || a.where == top;
  const box& c = g.cells[a.cell];
  return std::any_of(g.fills.begin(), g.fills.end(), [&](const fill_item& f) {
    const box& b = f.b;
    if (f.colour == "#FFFFFF" || !c.overlaps(b, 0) || b.same(c)) return false;
    // Below zero: on the far side of zero from the values above it.
    const double lo = across ? b.x0 : b.y0, hi = across ? b.x1 : b.y1;
    const bool up = q.value > p.value ? q.at > p.at : q.at < p.at;  // values grow with the place
    return up ? lo < zero - kSlack : hi > zero + kSlack;
  });
}

}  // namespace

std::string number_text(double v) {
  std::ostringstream s;
  s.precision(6);
  s << v;
  return s.str();
}

namespace {

bool marker_plot(const std::string& desc) {
  std::string d = desc;
  std::transform(d.begin(), d.end(), d.begin(), [](unsigned char ch) { return std::tolower(ch); });
  // The device names its Q-Q plots "QQ plot".
  return d.find("q-q plot") != std::string::npos || d.find("qq plot") != std::string::npos ||
         d.find("p-p plot") != std::string::npos ||
         d.find("probability plot") != std::string::npos;
}

bool probability_plot(const std::string& desc) {
  std::string d = desc;
  std::transform(d.begin(), d.end(), d.begin(), [](unsigned char c) { return std::tolower(c); });
  return d.find("probability plot") != std::string::npos;
}

// Evenly placed ticks whose step is a nice number (1, 2, 2.5 or 5 times a power of
// ten, as axes choose; within 2 %, so that bins 24 wide are not taken for 25) label
// values a whole step apart, each a short decimal: their
// texts, read exactly, step by exactly that much. Texts rounded a digit short of their
// values step unevenly ("2E6 8E6 1.2E7" for a step of 5E6; "999999999.93 .95 .98" for
// 0.025), whatever the graph dump says.
void uneven_steps(const std::vector<tick>& run, double fitted, const std::string& where, std::vector<svg_fault>& out) {
  const double a = std::fabs(fitted);
  if (!(a > 0) || !std::isfinite(a)) return;
  const double decade = std::pow(10.0, std::floor(std::log10(a)));
  double nice = 0;
  for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
    if (std::fabs(a / (m * decade) - 1) <= 0.02) nice = m * decade;
  if (nice == 0) return;
  double largest = 0;
  for (const tick& t : run) largest = std::max(largest, std::fabs(t.value));
  // Differences of the texts read as doubles carry their rounding, a few units in the
  // last place of the largest; a text rounded a digit short misses by a tenth of a
  // step at least.
  const double reach = std::max(8 * (std::nextafter(largest, INFINITY) - largest), nice * 1e-9);
  // Texts that step alike among themselves state their own step (a user's midpoints
  // 0.5 50 99.5 step by 49.5): only a step unlike the others is a rounded text.
  const double first = std::fabs(run[1].value - run[0].value);
  bool alike = true;
  for (std::size_t i = 1; i + 1 < run.size(); ++i)
    alike = alike && std::fabs(std::fabs(run[i + 1].value - run[i].value) - first) <= reach;
  if (alike) return;
  for (std::size_t i = 0; i + 1 < run.size(); ++i) {
    const double gap = std::fabs(run[i + 1].value - run[i].value);
    if (std::fabs(gap - nice) > reach) {
      out.push_back({kRuleTickInexact, where + " reads '" + run[i].text->text + "' then '" + run[i + 1].text->text +
                                           "' at ticks a step of " + number_text(nice) + " apart"});
      return;
    }
  }
}

// The fewest significant digits that read back as the value.
int shortest_digits(double v) {
  char b[40];
  for (int p = 1; p < 17; ++p) {
    std::snprintf(b, sizeof b, "%.*g", p, v);
    if (std::strtod(b, nullptr) == v) return p;
  }
  return 17;
}

}  // namespace

// The unit of a number text's last digit: "1.25E7" 1e5, "0.045" 0.001, "12" 1.
double last_unit(const std::string& text) {
  const std::size_t e = text.find_first_of("eE");
  const std::string mantissa = text.substr(0, e);
  const std::size_t dot = mantissa.find('.');
  const long decimals = dot == std::string::npos ? 0 : static_cast<long>(mantissa.size() - dot - 1);
  const long exponent = e == std::string::npos ? 0 : std::strtol(text.c_str() + e + 1, nullptr, 10);
  return std::pow(10.0, static_cast<double>(exponent - decimals));
}

namespace {

// Places are written to hundredths of a pixel: a tick's place and the ends of the line
// it is read against are each within half of that, and an ink's middle within half
// again of a textLength written alike.
constexpr double kPlaceRounding = 0.02;

// Evenly placed ticks mark a linear scale: each text, read as a number, stands where
// the line through the run's first and last texts puts its value, within the rounding
// of the written places and of the texts themselves (half the unit of their last
// digit; the ends' too where their step is no whole number of that unit). A text edited or rounded past that ("64" at the place of 63; six ticks of
// 1e9 + 0.01 steps all reading "1000000000") states a value the tick does not mark.
// Ticks placed unevenly (a probability scale's) are left out.
void untrue_ticks(const axis& a, double span, const std::string& where, std::vector<svg_fault>& out) {
  // Each cell's own run of ticks: the next cell's axis starts a whole span on.
  std::size_t first = 0;
  for (std::size_t end = 1; end <= a.ticks.size(); ++end) {
    if (end < a.ticks.size() && a.ticks[end].at - a.ticks[end - 1].at < span - kSlack) continue;
    const std::vector<tick> run(a.ticks.begin() + static_cast<long>(first), a.ticks.begin() + static_cast<long>(end));
    first = end;
    const std::size_t n = run.size();
    if (n < 3) continue;
    const double gap = (run.back().at - run.front().at) / static_cast<double>(n - 1);
    bool even = true;
    for (std::size_t i = 0; i < n; ++i)
      even = even && std::fabs(run[i].at - (run.front().at + gap * static_cast<double>(i))) <= kSlack;
    // Values out of order or twice are the rule of ticks in order.
    bool monotone = true;
    for (std::size_t i = 0; i + 2 < n; ++i)
      monotone = monotone && (run[i + 1].value - run[i].value) * (run[i + 2].value - run[i + 1].value) > 0;
    if (!even || !monotone || run[1].value == run[0].value) continue;
    const tick &lo = run.front(), &hi = run.back();
    // Ends whose step is a whole number of their last digit's unit are taken as exact
    // (51 and 87 over six steps of 6); else they may be rounded, by half that unit.
    // Divided first: values at both ends of the doubles have no difference.
    const double unit = std::max(last_unit(lo.text->text), last_unit(hi.text->text));
    const double step = hi.value / static_cast<double>(n - 1) - lo.value / static_cast<double>(n - 1);
    const double units = std::fabs(step / unit);
    const double ends = std::fabs(units - std::round(units)) <= 1e-6 * std::max(1.0, units) ? 0 : unit / 2;
    const double per_px = std::fabs(hi.value / (hi.at - lo.at) - lo.value / (hi.at - lo.at));
    bool untrue = false;
    for (std::size_t i = 1; i + 1 < n && !untrue; ++i) {
      const double f = (run[i].at - lo.at) / (hi.at - lo.at);
      const double span_of = hi.value - lo.value;
      const double marked = std::isfinite(span_of) ? lo.value + f * span_of : lo.value * (1 - f) + hi.value * f;
      // The doubles the texts read as hold them to a few units in their last place.
      const double big = std::max(std::fabs(lo.value), std::fabs(hi.value));
      const double reach = last_unit(run[i].text->text) / 2 + ends + kPlaceRounding * per_px +
                           4 * (std::nextafter(big, INFINITY) - big);
      if (!(std::fabs(run[i].value - marked) <= reach * (1 + 1e-9))) {
        char b[40];
        std::snprintf(b, sizeof b, "%.*g", shortest_digits(marked), marked);
        out.push_back({kRuleTickUntrue, where + " reads '" + run[i].text->text + "' at the place of " + b +
                                            " on the line from '" + lo.text->text + "' to '" +
                                            hi.text->text + "'"});
        untrue = true;
      }
    }
    if (!untrue) uneven_steps(run, step, where, out);
  }
}

void axis_faults(const graph_parts& g, const svg_facts& facts, std::vector<svg_fault>& out) {
  const std::vector<axis> axes = read_axes(g);
  const std::map<side, scale> scales = side_scales(g);
  std::map<std::pair<std::size_t, side>, const axis*> by_side;
  for (const axis& a : axes) {
    by_side[{a.cell, a.where}] = &a;
    const std::string where = std::string("the ") + kSideName[a.where] + " cell " + place(g.cells[a.cell]);
    // In order: each value beyond the one before, all one way. Cells that touch each
    // draw their own axis: a value a whole span on from another is the next cell's.
    const box& c = g.cells[a.cell];
    const double span = a.where == bottom || a.where == top ? c.w() : c.h();
    double way = 0;
    for (std::size_t i = 0; i + 1 < a.ticks.size(); ++i) {
      if (a.ticks[i + 1].at - a.ticks[i].at >= span - kSlack) continue;
      const double step = a.ticks[i + 1].value - a.ticks[i].value;
      if (way == 0) way = step;
      if (step == 0 || (step > 0) != (way > 0)) {
        out.push_back({kRuleTicksOrder, where + " reads '" + a.ticks[i].text->text + "' then '" +
                                            a.ticks[i + 1].text->text + "'" +
                                            (step == 0 ? ": a value twice" : ": out of order")});
        break;
      }
    }
    const auto s = scales.find(a.where);
    // A marker plot's percent and probability axes (PCTLAXIS's above or at the right
    // among them) run on the fitted law's scale, whose evenly placed ticks (10, 50, 90)
    // need not step evenly.
    // PCTLSCALE writes a Q-Q plot's horizontal axis as the law's percents at evenly
    // placed quantiles (2.28 15.9 50 84.1 97.7); with its label off (NOHLABEL) or the
    // user's own, only the values tell: percents lie strictly between 0 and 100.
    const bool percents = a.where == bottom && std::all_of(a.ticks.begin(), a.ticks.end(), [](const tick& t) {
                            return t.value > 0 && t.value < 100;
                          });
    // An axis labelled with a law's percentiles runs on that law's scale whatever the
    // document says it draws (DES= names it as the user likes).
    const bool law_scale = (s != scales.end() && s->second == scale::law_percent) ||
                           (marker_plot(g.desc) && ((s != scales.end() && s->second != scale::count) ||
                                                    a.where == top || a.where == right || percents));
    if (!law_scale) untrue_ticks(a, span, where, out);
    if (s == scales.end()) continue;
    const double hi = s->second == scale::probability                                   ? 1
                      : s->second == scale::percent || s->second == scale::law_percent ? 100
                                                                                        : INFINITY;
    // The device keeps the axes its Parts make, which run below 0 for hanging bars.
    const bool hangs = s->second != scale::probability && (g.device || hanging_bars(g, a));
    // A curve taller than the scale's end is cut at the frame: it never extends the axis.
    // A VAXIS= list is used as the program wrote it, whatever its scale.
    if (facts.own_vertical_ticks && (a.where == left || a.where == right)) continue;
    for (const tick& t : a.ticks)
      if ((t.value < 0 && !hangs) || t.value > hi) {
        out.push_back({kRuleTickOffScale, where + " shows " + t.text->text + ", outside its scale of 0 to " +
                                              (std::isinf(hi) ? std::string("any count") : number_text(hi))});
        break;
      }
  }
  if (!facts.square) return;
  // With SQUARE, a cell whose axes share a scale (a P-P plot's) draws a unit alike
  // across and up, so that the line y = x rises at 45 degrees.
  for (std::size_t c = 0; c < g.cells.size(); ++c) {
    const auto h = by_side.find({c, bottom}), v = by_side.find({c, left});
    if (h == by_side.end() || v == by_side.end()) continue;
    const auto sh = scales.find(bottom), sv = scales.find(left);
    if (sh == scales.end() || sv == scales.end() || sh->second != sv->second || sh->second == scale::count) continue;
    const std::vector<tick>&a = h->second->ticks, &b = v->second->ticks;
    if (a.size() < 2 || b.size() < 2) continue;
    // The device makes its framed cell square, the axes' offsets (HOFFSET=, VOFFSET=)
    // within it: where they differ, the frame is square and the units are not.
    const box& frame = g.cells[c];
    const auto gaps = [](const std::vector<tick>& t, double lo, double hi) {
      const auto [first, last] = std::minmax(t.front().at, t.back().at);
      return (first - lo) + (hi - last);
    };
    const double gap_across = gaps(a, frame.x0, frame.x1), gap_up = gaps(b, frame.y0, frame.y1);
    if (std::fabs(gap_across - gap_up) > 1) {
      const double w = frame.x1 - frame.x0, h = frame.y1 - frame.y0;
      if (!(std::fabs(w - h) <= kUnitShare * std::max(w, h)))
        out.push_back({kRuleSquareUnits, "cell " + place(frame) + " is " + number_text(w) + " px across and " +
                                             number_text(h) + " px up"});
      continue;
    }
    const double across = std::fabs((a.back().at - a.front().at) / (a.back().value - a.front().value));
    const double up = std::fabs((b.back().at - b.front().at) / (b.back().value - b.front().value));
    if (!(std::fabs(across - up) <= kUnitShare * std::max(across, up)))
      out.push_back({kRuleSquareUnits, "cell " + place(g.cells[c]) + " draws a unit " + number_text(across) +
                                           " px across and " + number_text(up) + " px up"});
  }
}

}  // namespace

// An overlaid group's note names its level first: "C07: 1 value, not drawn".
long noted_values(const std::string& note) {
  static const std::regex count(
      R"(^(?:.*: )?(\d+) (?:values?|observations?|points?)\b.*\b(?:not|outside|beyond|cannot|off)\b)",
      std::regex::icase);
  static const std::regex whole(R"(^(?:.*: )?(?:1 value|all values equal|no nonmissing values)$)", std::regex::icase);
  std::smatch m;
  if (std::regex_search(note, m, count)) return std::strtol(m[1].str().c_str(), nullptr, 10);
  if (std::regex_match(note, whole)) return -1;
  return 0;
}

namespace {

// A count alone, "20 values": it says how many values the cell holds, not why none is
// drawn.
long count_alone(const std::string& note) {
  static const std::regex bare(R"(^(\d+) values$)");
  std::smatch m;
  return std::regex_match(note, m, bare) ? std::strtol(m[1].str().c_str(), nullptr, 10) : 0;
}

// The N an inset shows: the number on the row of a text "N" in the same box.
std::vector<std::pair<std::size_t, long>> inset_counts(const graph_parts& g) {
  std::vector<std::pair<std::size_t, long>> out;
  for (const text_item& label : g.texts) {
    if (label.text != "N" || label.in_box < 0) continue;
    for (const text_item& value : g.texts) {
      if (value.in_box != label.in_box || &value == &label || std::fabs(value.y - label.y) > kSlack) continue;
      const std::optional<double> v = number_of(value.text);
      if (!v) continue;
      const box& b = g.boxes[static_cast<std::size_t>(label.in_box)].b;
      long best = -1;
      double least = INFINITY;
      for (std::size_t i = 0; i < g.cells.size(); ++i) {
        const double d = distance(g.cells[i], (b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2);
        if (d < least) least = d, best = static_cast<long>(i);
      }
      if (best >= 0) out.push_back({static_cast<std::size_t>(best), std::lround(*v)});
    }
  }
  return out;
}

void values_faults(const graph_parts& g, const std::string& desc, const svg_facts& facts,
                   std::vector<svg_fault>& out) {
  // A cell the facts give values says untruly that it has none.
  const std::vector<long>& counts = facts.cell_counts.empty() ? facts.cell_values : facts.cell_counts;
  for (std::size_t c = 0; c < g.cells.size() && c < counts.size(); ++c)
    for (const text_item& t : g.texts)
      if (counts[c] > 0 && g.cells[c].holds(t.cx(), t.cy()) && ends_with(t.text, "no nonmissing values"))
        out.push_back({kRuleNoneUntrue, "cell " + place(g.cells[c]) + " says '" + t.text + "' of its " +
                                            std::to_string(counts[c]) + " values"});
  if (facts.cell_values.empty() && !marker_plot(desc)) return;
  std::vector<long> stated(g.cells.size(), -1);
  for (const auto& [cell, n] : inset_counts(g)) stated[cell] = n;
  for (std::size_t c = 0; c < g.cells.size(); ++c) {
    const box& cell = g.cells[c];
    if (c < facts.cell_values.size()) stated[c] = facts.cell_values[c];
    long drawn = 0, noted = 0;
    bool all_noted = false;
    for (const auto& [x, y] : g.markers) drawn += cell.holds(x, y, -1) ? 1 : 0;
    for (const text_item& t : g.texts) {
      if (!cell.holds(t.cx(), t.cy())) continue;
      const long n = noted_values(t.text);
      all_noted = all_noted || n < 0;
      noted += std::max(n, 0L);
      if (stated[c] < 0 && count_alone(t.text) > 0) stated[c] = count_alone(t.text);
    }
    // The writer draws a marker once where values share a place, so a count the graph
    // states is held only against a cell that draws none; the facts a test gives count
    // values that stand apart.
    // A cell of a marker plot exists for its values: one that draws no point says why.
    // A note whose place inside would cover the cell's ink stands beside its frame,
    // nearer this cell than any other.
    const auto beside = [&](const text_item& t) {
      if (inside_cell(g, t) || noted_values(t.text) == 0) return false;
      for (const box& other : g.cells)
        if (distance(other, t.cx(), t.cy()) < distance(cell, t.cx(), t.cy())) return false;
      return true;
    };
    const bool said = all_noted || noted > 0 || std::any_of(g.texts.begin(), g.texts.end(), [&](const text_item& t) {
                        return (t.in_box < 0 && !t.text.empty() && cell.holds(t.cx(), t.cy())) || beside(t);
                      });
    if (!g.device && drawn == 0 && !said && marker_plot(desc) && stated[c] < 0) {
      out.push_back({kRuleValuesDrawn, "cell " + place(cell) + " draws no point and says nothing of its values"});
      continue;
    }
    if (c >= facts.cell_values.size() && drawn > 0) continue;
    if (stated[c] < 0 || all_noted || drawn + noted >= stated[c]) continue;
    out.push_back({kRuleValuesDrawn, "cell " + place(cell) + " holds " + std::to_string(stated[c]) + " values: " +
                                         std::to_string(drawn) + " drawn, " + std::to_string(noted) +
                                         " counted in a note, the rest lost without a word"});
  }
}

// A template legend's samples are each drawn among the data (a device graph's legend
// is a sample of the data's own marks by its design).
void legend_faults(const graph_parts& g, std::vector<svg_fault>& out) {
  if (g.device) return;
  std::set<std::string> drawn;
  for (const keyed_mark& m : g.data_marks) drawn.insert(m.key);
  for (const text_box& b : g.boxes) {
    if (b.kind != box_kind::legend) continue;
    for (const keyed_mark& s : g.swatches) {
      if (!b.b.holds(s.x, s.y) || drawn.count(s.key)) continue;
      // The entry's text: the nearest to the sample's right on its row.
      std::string entry;
      double least = INFINITY;
      for (const text_item& t : g.texts)
        if (t.ink.x0 >= s.x && std::fabs(t.cy() - s.y) < t.size && t.ink.x0 - s.x < least)
          least = t.ink.x0 - s.x, entry = t.text;
      out.push_back({kRuleLegendDrawn, "the legend names '" + entry + "' beside a sample (" + s.key +
                                           ") that the data do not draw"});
    }
  }
}

// The relative luminance of "#RRGGBB", or a negative number for a colour written
// otherwise.
double luminance(const std::string& colour) {
  if (colour.size() != 7 || colour[0] != '#') return -1;
  double l = 0;
  const double weight[3] = {0.2126, 0.7152, 0.0722};
  for (int k = 0; k < 3; ++k) {
    char* end = nullptr;
    const std::string part = colour.substr(1 + 2 * k, 2);
    const double v = static_cast<double>(std::strtol(part.c_str(), &end, 16)) / 255;
    if (end != part.c_str() + 2) return -1;
    l += weight[k] * (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
  }
  return l;
}

void contrast_faults(const graph_parts& g, const svg_facts& facts, std::vector<svg_fault>& out) {
  for (const text_item& t : g.texts) {
    if (t.text.empty()) continue;
    std::string colour = t.colour;
    std::transform(colour.begin(), colour.end(), colour.begin(), [](unsigned char c) { return std::toupper(c); });
    if (facts.own_text_colours.count(colour)) continue;
    const fill_item* under = nullptr;
    for (const fill_item& f : g.fills)
      if (f.order < t.order && f.b.holds(t.cx(), t.cy()) && (under == nullptr || f.order > under->order)) under = &f;
    const std::string fill = under == nullptr ? "#FFFFFF" : under->colour;
    const double a = luminance(t.colour), b = luminance(fill);
    if (a < 0 || b < 0) continue;
    const double ratio = (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
    if (ratio < kLeastContrast)
      out.push_back({kRuleTextContrast, "'" + t.text + "' in " + t.colour + " on a fill of " + fill + " (contrast " +
                                            number_text(ratio) + ")"});
  }
}

// No text over another, wherever they stand (texts turned by other than right angles
// have no true bounds here and are left out).
void overlap_faults(const graph_parts& g, std::vector<svg_fault>& out) {
  std::vector<const text_item*> v;
  for (const text_item& t : g.texts)
    if (!t.text.empty() && t.angle % 90 == 0) v.push_back(&t);
  std::sort(v.begin(), v.end(), [](const text_item* a, const text_item* b) { return a->ink.x0 < b->ink.x0; });
  // Lines of one block (the letters of a label written one above the other) share a
  // centre and stand a line apart; their inks meet between ascent and descent.
  // Texts of one line (a baseline, or a column of right-aligned values) are the rule
  // of texts that touch.
  auto one_line = [](const text_item& a, const text_item& b) {
    return a.size == b.size && a.angle == 0 && b.angle == 0 &&
           (std::fabs(a.y - b.y) < 0.01 || (a.anchor == "end" && b.anchor == "end" && std::fabs(a.x - b.x) < 0.01));
  };
  auto lines_of_one = [](const text_item& a, const text_item& b) {
    const bool column = std::fabs(a.cx() - b.cx()) < kSlack && std::fabs(a.y - b.y) >= 0.8 * a.size;
    const bool row = std::fabs(a.cy() - b.cy()) < kSlack && std::fabs(a.x - b.x) >= 0.8 * a.size && a.angle != 0;
    return a.size == b.size && a.angle == b.angle && (column || row);
  };
  // The rule of texts that touch leaves out the rows of inset boxes: a row's label and
  // value over each other are held here.
  auto one_box_row = [&](const text_item& a, const text_item& b) {
    return a.in_box >= 0 && a.in_box == b.in_box && g.boxes[static_cast<std::size_t>(a.in_box)].kind == box_kind::inset;
  };
  for (std::size_t i = 0; i < v.size(); ++i)
    for (std::size_t j = i + 1; j < v.size() && v[j]->ink.x0 < v[i]->ink.x1; ++j)
      if (v[i]->ink.overlaps(v[j]->ink, 1) && !lines_of_one(*v[i], *v[j]) &&
          (!one_line(*v[i], *v[j]) || one_box_row(*v[i], *v[j])))
        out.push_back({kRuleTextsOver, "'" + v[i]->text + "' at " + place(v[i]->ink) + " and '" + v[j]->text +
                                           "' at " + place(v[j]->ink) + " lie over each other"});
}

// A listed value has a short exact decimal when a few digits write it: the module's
// nice ticks and the program's own midpoints and percents. Values of fifteen digits and
// more are a computation's (a fitted quantile) and may be rounded.
constexpr int kShortDigits = 15;

// The least gap between two values of a list; infinite for fewer than two apart.
double least_gap(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  double gap = INFINITY;
  for (std::size_t i = 0; i + 1 < values.size(); ++i)
    if (values[i + 1] > values[i]) gap = std::min(gap, values[i + 1] - values[i]);
  return gap;
}

// Each tick text of a listed axis reads as a decimal equal to a listed value; a listed
// value with no short decimal may be rounded, correctly and to a unit no coarser than
// the list's step.
void inexact_ticks(const axis& a, const std::vector<std::string>& listed, const std::string& where,
                   std::vector<svg_fault>& out) {
  std::vector<double> values;
  for (const std::string& w : listed)
    if (const std::optional<double> v = number_of(w)) values.push_back(*v);
  if (values.empty()) return;
  const std::vector<double> as_listed = values;
  double step = least_gap(values);
  // A value computed as k x step carries the rounding of its sum: within sixteen units
  // in the last place of a short decimal it stands for that decimal
  // (1733650000.6499994 for .65), and within a billionth of a step of zero for zero.
  for (double& v : values) {
    if (std::isfinite(step) && std::fabs(v) < step * 1e-9) {
      v = 0;
      continue;
    }
    for (int p = 1; p < kShortDigits; ++p) {
      char b[40];
      std::snprintf(b, sizeof b, "%.*g", p, v);
      const double d = std::strtod(b, nullptr);
      const double ulp = std::nextafter(std::fabs(v), INFINITY) - std::fabs(v);
      if (std::fabs(d - v) <= 16 * ulp) {
        v = d;
        break;
      }
    }
  }
  step = least_gap(values);
  for (const tick& t : a.ticks) {
    // The listed value itself, or the short decimal it stands for.
    if (std::find(values.begin(), values.end(), t.value) != values.end() ||
        std::find(as_listed.begin(), as_listed.end(), t.value) != as_listed.end())
      continue;
    const double v = *std::min_element(values.begin(), values.end(), [&](double p, double q) {
      return std::fabs(p - t.value) < std::fabs(q - t.value);
    });
    const double unit = last_unit(t.text->text);
    // A subnormal has no exact short decimal either.
    const bool long_value = shortest_digits(v) >= kShortDigits || (v != 0 && std::fabs(v) < DBL_MIN);
    const bool rounded_well = long_value && unit <= step &&
                              std::fabs(t.value - v) <= unit / 2 * (1 + 1e-9);
    if (rounded_well) continue;
    char b[40];
    std::snprintf(b, sizeof b, "%.*g", shortest_digits(v), v);
    out.push_back({kRuleTickInexact, where + " reads '" + t.text->text + "' for the value " + b + " it labels"});
  }
}

// The tick texts of the listed axes, each against its list.
void listed_faults(const graph_parts& g, const svg_facts& facts, std::vector<svg_fault>& out) {
  const std::map<side, scale> scales = side_scales(g);
  for (const axis& a : read_axes(g)) {
    const std::string where = std::string("the ") + kSideName[a.where] + " cell " + place(g.cells[a.cell]);
    const auto listed_percent = [&](const tick& t) {
      return std::any_of(facts.listed_percents.begin(), facts.listed_percents.end(),
                         [&](const std::string& w) { return number_of(w) == t.value; });
    };
    // The percent axis: the side its label names; unlabelled (NOHLABEL, NOVLABEL), the
    // side across the quantile scale (below, at the left under ROTATE) whose texts are
    // mostly the listed percents. The data axis of counts 0 to 25 reads 5, 10 and 25
    // too: it is no percent axis.
    const auto s = scales.find(a.where);
    const long listed_here = std::count_if(a.ticks.begin(), a.ticks.end(), listed_percent);
    const bool quantile_side = (a.where == left || a.where == right) == facts.quantile_up;
    const bool percent_side = s != scales.end() ? s->second == scale::percent || s->second == scale::law_percent
                                                : quantile_side && 2 * listed_here >= static_cast<long>(a.ticks.size());
    // Probability plots only: a Q-Q plot's PCTLSCALE percents are the fit's, rounded.
    if (!facts.listed_percents.empty() && probability_plot(g.desc) && percent_side) {
      // Percents have short decimals, all of them: each text is one listed.
      for (const tick& t : a.ticks)
        if (!listed_percent(t))
          out.push_back({kRuleTickInexact, where + " reads '" + t.text->text + "', no percent of those listed"});
      continue;
    }
    if (a.where == bottom || a.where == top) inexact_ticks(a, facts.listed_across, where, out);
    if (a.where == left || a.where == right) inexact_ticks(a, facts.listed_up, where, out);
  }
}

// Where a quantile of a cell stands: the line through the cell's points as drawn, along
// x (along y when turned by ROTATE), the least and greatest quantile at the outermost
// markers. Empty when the markers do not stand where that line puts every point.
struct quantile_scale {
  double from, by;
  bool up;  // along y
  double at(double q) const { return from + q * by; }
};
std::optional<quantile_scale> quantile_line(const graph_parts& g, const box& cell, const svg_facts::quantile_cell& c,
                                            bool up) {
  double lo = INFINITY, hi = -INFINITY;
  for (const auto& [q, v] : c.points) lo = std::min(lo, q), hi = std::max(hi, q);
  std::vector<double> places;
  for (const auto& [x, y] : g.markers)
    if (cell.holds(x, y, -1)) places.push_back(up ? y : x);
  if (places.size() < 2 || c.points.size() < 2 || !(hi > lo)) return std::nullopt;
  std::sort(places.begin(), places.end());
  if (!(places.back() > places.front())) return std::nullopt;
  // Quantiles grow to the right, and upward (to less y).
  const double by = (places.back() - places.front()) / (hi - lo) * (up ? -1 : 1);
  const quantile_scale line{(up ? places.back() : places.front()) - lo * by, by, up};
  for (const auto& [q, v] : c.points) {
    const double at = line.at(q);
    const auto it = std::lower_bound(places.begin(), places.end(), at - 1);
    if (it == places.end() || *it > at + 1) return std::nullopt;
  }
  return line;
}

// The rows of percents on a cell's percent side, nearest the frame first: the numbers
// within reach beyond that side and along the cell, a row a line of anchors. A cell's
// own (or, overlaid, its first group's) is the nearest; the tick marks of a percent
// axis above a cell stand on its strip, not on the cell, so they tell nothing here.
std::vector<std::vector<tick>> percent_rows(const graph_parts& g, const box& cell, side where) {
  std::map<long, std::vector<tick>> rows;
  const bool across = where == bottom || where == top;
  for (const text_item& t : g.texts) {
    if (!free_text(g, t) || t.angle != 0 || distance(cell, t.cx(), t.cy()) >= kAxisReach) continue;
    const std::optional<double> v = number_of(t.text);
    const bool beyond = where == bottom ? t.ink.y0 >= cell.y1 - kSlack
                        : where == top  ? t.ink.y1 <= cell.y0 + kSlack
                        : where == left ? t.ink.x1 <= cell.x0 + kSlack
                                        : t.ink.x0 >= cell.x1 - kSlack;
    // Its ink over the cell's span: a percent at the frame's end is centred on it, while
    // the value texts of the next cell's own axis stand wholly beside the span.
    const bool along = across ? t.ink.x1 > cell.x0 && t.ink.x0 < cell.x1 : t.ink.y1 > cell.y0 && t.ink.y0 < cell.y1;
    if (!v || !beyond || !along) continue;
    const long at = std::lround((across ? t.y : t.x) * 100);
    rows[where == bottom || where == right ? at : -at].push_back({across ? t.cx() : t.cy(), *v, &t});
  }
  std::vector<std::vector<tick>> out;
  for (auto& [at, row] : rows) out.push_back(std::move(row));
  return out;
}

// On a plot of points on a quantile scale each cell's percents and reference lines
// stand at that cell's own quantiles: where its own fit puts them. A probability plot
// labels its quantile axis with percents; a Q-Q plot's PCTLAXIS stands across from its
// quantile axis. Overlaid groups each label a row of their own.
void quantile_faults(const graph_parts& g, const svg_facts& facts, std::vector<svg_fault>& out) {
  if (facts.no_group_percents &&
      std::none_of(g.texts.begin(), g.texts.end(),
                   [](const text_item& t) { return t.text.find("No percent axis") != std::string::npos; }))
    out.push_back({kRuleOwnQuantile, "overlaid groups of shapes of their own draw no percent axis, and no note says so"});
  if (facts.quantile_cells.empty()) return;
  constexpr double kReach = 1;  // places are written to hundredths; the line's ends to that
  const bool prob = probability_plot(g.desc);
  for (std::size_t c = 0; c < facts.quantile_cells.size() && c < g.cells.size(); ++c) {
    const box& cell = g.cells[c];
    const svg_facts::quantile_cell& own = facts.quantile_cells[c];
    const auto line = quantile_line(g, cell, own, facts.quantile_up);
    if (!line) continue;
    const side percent_side = line->up ? (prob ? left : right) : (prob ? bottom : top);
    const std::string axis_name = line->up ? "y" : "x";
    const auto check = [&](const std::vector<tick>& ticks, const std::vector<double>& places, const std::string& whose) {
      for (const tick& t : ticks)
        for (std::size_t i = 0; i < facts.placed_percents.size() && i < places.size(); ++i)
          if (number_of(facts.placed_percents[i]) == t.value && std::fabs(t.at - line->at(places[i])) > kReach)
            out.push_back({kRuleOwnQuantile, "the percent '" + t.text->text + "' of " + whose + place(cell) +
                                                 " stands at " + axis_name + " " + number_text(t.at) + ", its own at " +
                                                 number_text(line->at(places[i]))});
    };
    const std::vector<std::vector<tick>> rows = percent_rows(g, cell, percent_side);
    if (!own.group_percent_places.empty()) {
      // Row k (out from the frame) is the k-th group's.
      for (std::size_t k = 0; k < rows.size() && k < own.group_percent_places.size(); ++k)
        check(rows[k], own.group_percent_places[k], "group " + std::to_string(k + 1) + " of the cell ");
    } else if (!rows.empty()) {
      check(rows.front(), own.percent_places, "the cell ");
    }
    for (double h : own.href_places) {
      const double at = line->at(h);
      const double lo = line->up ? cell.y0 : cell.x0, hi = line->up ? cell.y1 : cell.x1;
      if (!(at > lo + kReach && at < hi - kReach)) continue;
      const bool drawn = std::any_of(g.lines.begin(), g.lines.end(), [&](const segment& s) {
        return line->up ? std::fabs(s.y1 - s.y2) < 0.01 && std::fabs(s.y1 - at) <= kReach &&
                              std::fabs(s.x1 - s.x2) >= cell.w() / 2
                        : std::fabs(s.x1 - s.x2) < 0.01 && std::fabs(s.x1 - at) <= kReach &&
                              std::fabs(s.y1 - s.y2) >= cell.h() / 2;
      });
      if (!drawn)
        out.push_back({kRuleOwnQuantile, "the cell " + place(cell) + " draws no reference line at " + axis_name + " " +
                                             number_text(at) + ", its own quantile " + number_text(h)});
    }
  }
}

// A histogram's tick that reads a bin's midpoint stands at the middle of its bar, within
// the rounding of the written places and of the bins' ends: an axis whose texts are moved along it, or read
// a neighbour's value, tells the bars' places wrongly. The bars drawn are the bins of
// some height, in order.
void bin_ticks(const graph_parts& g, const svg_facts& facts, std::vector<svg_fault>& out) {
  if (facts.bins.empty() || g.cells.size() != 1) return;
  std::vector<double> mids, middles;
  for (const auto& [m, h] : facts.bins)
    if (h > 0) mids.push_back(m);
  for (const box& b : g.bars)
    if (g.cells[0].contains(b, kSlack)) middles.push_back((b.x0 + b.x1) / 2);
  if (mids.size() != middles.size() || mids.size() < 2) return;
  std::sort(middles.begin(), middles.end());
  // A bar's ends are the doubles of its bin's ends, which far from 0 (1733650000.5404)
  // hold a bin of a few thousandths to a few ulps: that much of the page too.
  const double per_unit = (middles.back() - middles.front()) / (mids.back() - mids.front());
  const double big = std::max(std::fabs(mids.front()), std::fabs(mids.back()));
  const double reach = kPlaceRounding + 2 * (std::nextafter(big, INFINITY) - big) * std::fabs(per_unit);
  for (const axis& a : read_axes(g)) {
    if (a.where != bottom) continue;
    for (const tick& t : a.ticks) {
      const auto at = std::find(mids.begin(), mids.end(), t.value);
      if (at == mids.end()) continue;
      const double middle = middles[static_cast<std::size_t>(at - mids.begin())];
      if (std::fabs(t.at - middle) > reach)
        out.push_back({kRuleTickUntrue, "the horizontal axis below reads '" + t.text->text + "' at x " +
                                            number_text(t.at) + ", its bin's bar centred at " + number_text(middle)});
    }
  }
}

// The numbers of the inset boxes each read a value the module gave them ("60",
// ">0.1500"), as written or as the same number: a box drawn with another value says
// what the data do not.
void inset_faults(const graph_parts& g, const svg_facts& facts, std::vector<svg_fault>& out) {
  if (facts.inset_texts.empty()) return;
  const auto trimmed = [](std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
  };
  std::set<std::string> given;
  std::vector<double> numbers;
  for (const std::string& w : facts.inset_texts) {
    given.insert(trimmed(w));
    if (const std::optional<double> v = number_of(w)) numbers.push_back(*v);
  }
  for (const text_item& t : g.texts) {
    if (t.in_box < 0 || g.boxes[static_cast<std::size_t>(t.in_box)].kind != box_kind::inset) continue;
    const std::string w = trimmed(t.text);
    const std::optional<double> v = number_of(!w.empty() && (w[0] == '<' || w[0] == '>') ? w.substr(1) : w);
    if (!v || given.count(w) != 0 || std::find(numbers.begin(), numbers.end(), *v) != numbers.end()) continue;
    out.push_back({kRuleInsetUntrue, "the box " + place(g.boxes[static_cast<std::size_t>(t.in_box)].b) + " reads '" +
                                         t.text + "', no value the module gave it"});
  }
}

}  // namespace

void meaning_faults(const graph_parts& g, const svg_facts& facts, std::vector<svg_fault>& out) {
  axis_faults(g, facts, out);
  values_faults(g, g.desc, facts, out);
  legend_faults(g, out);
  contrast_faults(g, facts, out);
  overlap_faults(g, out);
  listed_faults(g, facts, out);
  quantile_faults(g, facts, out);
  bin_ticks(g, facts, out);
  inset_faults(g, facts, out);
  curve_faults(g, facts, out);
}

}  // namespace kes_test
