#include "fuzz/everyday_programs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "fuzz/statement_text.h"
#include "support/csv_write.h"
#include "support/draws.h"

namespace kes_fuzz {
namespace {

using kes_test::draws;
using kes_test::number_text;

// A kind of data users bring: its values (group 1 may have another shape than group 0),
// how they are written, and whether all are above 0 (for the laws on the positives).
struct kind {
  const char* name;
  const char* format;
  bool positive;
};
const kind kKinds[] = {
    {"Unix timestamps over a day", "%.0f", true},    {"read times, 1733650000 + N(0, 60)", "%.0f", true},
    {"prices in the millions", "%.0f", true},        {"counts with ties and zeros", "%.0f", false},
    {"percentages 0 to 100", "%.1f", false},         {"heights like R's women", "%.0f", true},
    {"waiting times like R's faithful", "%.0f", true}, {"1e9 + U(0, 0.05)", "%.6f", true},
};

double value(const draws& d, std::size_t k, int group) {
  const double wider = group == 1 ? 2.5 : 1;
  switch (k) {
    case 0: return 1733616000 + std::floor(d.uniform() * 86400 / wider);
    case 1: return std::round(1733650000 + d.normal(0, 60 * wider));
    case 2: return 100 * std::round(std::exp(d.normal(group == 1 ? 14 : 15, 0.6 * wider)) / 100);
    case 3: return d.chance(25) ? 0 : std::floor(-std::log(1 - d.uniform()) * 4 * wider);
    case 4: return d.chance(5) ? (d.chance(50) ? 0 : 100) : std::round(std::min(100.0, d.uniform() * 100 * wider) * 10) / 10;
    case 5: return 58 + d.below(15) + (group == 1 ? 3 : 0);
    case 6: return std::round(d.chance(35) ? d.normal(54, 6 * wider) : d.normal(80, 6));
    default: return 1e9 + d.uniform() * 0.05 * wider;
  }
}

// The inset positions: every corner inside, and the margins.
const char* const kCorners[] = {"ne", "nw", "se", "sw", "n", "s", "e", "w", "rm", "lm", "tm", "bm"};
const char* const kLabelPairs[][2] = {{"short wait", "cutoff"}, {"P50", "target"}, {"limit", "long limit"},
                                      {"Mean F", "Mean M"},     {"open", "close"}};

// Lines typed as users type: some indented more, some with a comment after.
typing as_users_type(const draws& d) {
  return {[d] { return std::string(d.chance(50) ? "   " : "  "); },
          [d](const char* about) {
            return d.chance(60) && d.chance(50) ? "   /* " + std::string(about) + " */" : std::string();
          }};
}

// A value within the data and another close to it, a label's width or less apart.
std::pair<double, double> close_pair(const draws& d, const std::vector<double>& sorted, const char* format) {
  const double lo = sorted.front(), hi = sorted.back();
  const double at = sorted[sorted.size() / 4 + static_cast<std::size_t>(d.below(static_cast<int>(sorted.size() / 2 + 1)))];
  const double gap = (hi - lo) * (0.005 + 0.03 * d.uniform());
  double next = std::strtod(number_text(at + gap, format).c_str(), nullptr);
  if (next <= at) next = at + (hi > lo ? (hi - lo) / 50 : 1);
  return {at, next};
}

}  // namespace

everyday_case everyday_program(std::mt19937_64& rng) {
  const draws d{rng};
  everyday_case c;
  const std::size_t k = static_cast<std::size_t>(d.below(static_cast<int>(std::size(kKinds))));
  const kind& kd = kKinds[k];
  c.what = kd.name;
  // Groups: none, two or three levels whose shapes differ, or one value per level.
  const int grouping = d.below(10);
  const bool one_each = grouping == 0, grouped = grouping >= 6 || one_each;
  const int levels = one_each ? 4 : grouping >= 8 ? 3 : 2;
  const int n = one_each ? 4 : k == 5 ? 15 + d.below(10) : 30 + d.below(220);
  std::vector<double> xs;
  std::map<std::string, long> counts;
  c.data = kes_test::csv_line(grouped ? std::vector<std::string>{"x", "g"} : std::vector<std::string>{"x"});
  for (int i = 0; i < n; ++i) {
    const int group = one_each ? i : i % levels;
    const double v = value(d, k, group);
    xs.push_back(v);
    const std::string level = one_each ? std::string(1, static_cast<char>('A' + i)) : std::string(1, static_cast<char>('a' + group));
    ++counts[level];
    c.data += kes_test::csv_line(grouped ? std::vector<std::string>{number_text(v, kd.format), level}
                                         : std::vector<std::string>{number_text(v, kd.format)});
  }
  if (grouped)
    for (const auto& [level, count] : counts) c.cell_counts.push_back(count);
  else
    c.cell_counts.push_back(n);
  std::vector<double> sorted = xs;
  std::sort(sorted.begin(), sorted.end());

  // The statements are the forms users type, their values from this case's data; the
  // grammar writer's come from the reference's tables (program_writer.h). The two share
  // how a statement is typed (statement_text.h); these are typed as users type them.
  std::string p = d.chance(50) ? "/* " + std::string(kd.name) + " */\n" : "";
  p += "proc kestravine data=d noprint;\n";
  const typing users = as_users_type(d);
  const auto statement = [&users](const char* keyword) { return statement_text(keyword, users); };
  // A box of statistics at a corner or in a margin, on one line.
  const auto box = [&](const std::vector<std::string>& statistics) {
    return statement("inset").words(statistics).slash().word(std::string("pos=") + d.pick(kCorners));
  };
  p += statement("var").word("x").end("the measure");
  if (grouped) p += statement("class").word("g").end("one cell a level");
  // The percents of every probability plot of the program: the default's, or a list
  // that covers every cell's plotting positions (to 625 values a cell).
  static const char* const kOrders[] = {"0.1 0.5 2.5 25 50 75 97.5 99.5 99.9", "0.1 1 10 50 90 99 99.9",
                                        "0.01 0.1 1 5 50 95 99 99.9 99.99"};
  const std::string order = d.chance(30) ? d.pick(kOrders) : "";
  const int statements = 1 + d.below(3);
  for (int s = 0; s < statements; ++s) {
    const int which = d.below(10);
    const auto [r1, r2] = close_pair(d, sorted, kd.format);
    const char* const* labels = kLabelPairs[d.below(static_cast<int>(std::size(kLabelPairs)))];
    const std::string refs = number_text(r1, kd.format) + " " + number_text(r2, kd.format);
    const std::string labelled = std::string("'") + labels[0] + "' '" + labels[1] + "'";
    // A plot statement's options stand on lines of their own, its ';' too; its box
    // and the shorter statements on one line.
    if (which < 4) {
      statement_text st = statement("histogram");
      st.word("x").slash().line("bars");
      if (d.chance(50)) st.word(kd.positive && d.chance(50) ? "lognormal" : "normal").line("a fit");
      if (d.chance(50))
        st.word("barlabel=count").word("nmidpoints=" + std::to_string(30 + d.below(11))).line("many bins");
      // The labels on a line of their own, typed in under the lines they label.
      if (d.chance(60)) st.word("href=" + refs + "\n     hreflabels=" + labelled).line("close together");
      p += st.end();
      if (d.chance(60)) p += box({"n", "mean", "std"}).end("a box");
    } else if (which < 6) {
      statement_text st = statement("qqplot");
      st.word("x").slash().line("against the normal law");
      st.word("normal(mu=est sigma=est)").line();
      if (d.chance(40)) st.word("pctlscale").word(d.chance(50) ? "nohlabel" : "").line();
      if (d.chance(50)) st.word("vref=" + refs).word("vreflabels=" + labelled).line("two limits");
      p += st.end();
      if (d.chance(40)) p += box({"n", "mean"}).end();
    } else if (which < 8) {
      statement_text st = statement("probplot");
      st.word("x").slash().line("percents");
      st.word(kd.positive && d.chance(60) ? "lognormal(sigma=est theta=0 zeta=est)" : "normal(mu=est sigma=est)");
      st.line();
      if (d.chance(50)) st.word("href=90").word("hreflabels='P90'").line("the 90th percent");
      if (!order.empty()) st.word("pctlorder=" + order).line("the user's percents");
      p += st.end();
    } else if (which == 8) {
      statement_text st = statement("cdfplot");
      st.word("x").slash().word("normal");
      if (d.chance(50)) st.word("href=" + refs).word("hreflabels=" + labelled);
      p += st.end();
      if (d.chance(50)) p += box({"n", "mean", "std"}).end();
    } else {
      p += statement("ppplot").word("x").slash().words({"normal(mu=est sigma=est)", "square"}).end("P-P");
    }
    ++c.drawing_statements;
    if (which >= 6 && which < 8 && !order.empty() && c.percents.empty())
      for (std::size_t at = 0; at < order.size();) {
        const std::size_t sp = order.find(' ', at);
        c.percents.push_back(order.substr(at, sp - at));
        at = sp == std::string::npos ? order.size() : sp + 1;
      }
  }
  p += "run;\n";
  c.program = p;
  return c;
}

}  // namespace kes_fuzz
