#include "metamorphic/meta_case.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numeric>
#include <random>
#include <tuple>

#include "metamorphic/far_offsets.h"
#include "metamorphic/stat_table.h"

namespace kes_meta {
namespace {

// Fitting curves to many values takes long; the relations of fits run on the smaller
// data sets.
constexpr int kFitRowsAtMost = 2000;

bool scales_exactly(const std::vector<double>& v, int k) {
  for (double x : v)
    if (std::isfinite(x) && (std::ldexp(std::ldexp(x, k), -k) != x || std::fabs(std::ldexp(x, k)) > DBL_MAX))
      return false;
  return true;
}

// The sum x + c with its rounding error (two-sum): exact when the error is 0.
bool adds_exactly(const std::vector<double>& v, double c) {
  for (double x : v) {
    if (!std::isfinite(x)) continue;
    const double s = x + c, bb = s - x, err = (x - (s - bb)) + (c - bb);
    if (!std::isfinite(s) || err != 0) return false;
  }
  return true;
}

// A power of two from lo to hi (k != 0 where it can be) under which every value keeps
// its exact value both ways; 0 when none does.
int exact_exponent(const std::vector<double>& v, int lo, int hi, std::mt19937_64& rng) {
  for (int tries = 0; tries < 20; ++tries) {
    const int k = lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
    if (k != 0 && scales_exactly(v, k)) return k;
  }
  return 0;
}

// A shift by about the values' spread that keeps every value exact, or NaN.
double exact_shift(const std::vector<double>& x) {
  double lo = INFINITY, hi = -INFINITY;
  for (double v : x)
    if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
  if (!std::isfinite(lo)) return NAN;
  const double spread = hi > lo ? hi - lo : std::fabs(lo) > 0 ? std::fabs(lo) : 1;
  if (!std::isfinite(spread)) return NAN;  // a range beyond the doubles: no shift is exact
  for (int e = std::ilogb(spread); e < std::ilogb(spread) + 3; ++e) {
    const double c = 3 * std::ldexp(1.0, e);
    if (std::isfinite(c) && adds_exactly(x, c)) return c;
  }
  return NAN;
}

std::vector<double> times2(const std::vector<double>& v, int k) {
  std::vector<double> out;
  for (double x : v) out.push_back(std::ldexp(x, k));
  return out;
}

template <class T>
std::vector<T> reordered(const std::vector<T>& v, const std::vector<std::size_t>& order) {
  std::vector<T> out;
  if (v.empty()) return out;
  for (std::size_t i : order) out.push_back(v[i]);
  return out;
}

// The base columns: x, w when weighted, f when counted.
std::vector<std::pair<std::string, std::vector<double>>> base_columns(const kes_test::sample& s,
                                                                      const std::vector<std::size_t>& order) {
  std::vector<std::pair<std::string, std::vector<double>>> cols = {{"x", reordered(s.x, order)}};
  if (!s.w.empty()) cols.push_back({"w", reordered(s.w, order)});
  if (!s.f.empty()) cols.push_back({"f", reordered(s.f, order)});
  return cols;
}

// "MEAN=x_MEAN y_MEAN ... PCTLPTS=... PCTLPRE=x_ y_ PCTLNAME=PCT0 ...".
std::string output_statement(const std::string& out, const std::vector<std::string>& vars) {
  std::string s = "  output out=" + out;
  for (const std::string& kw : output_keywords()) {
    s += "\n    " + kw + "=";
    for (const std::string& v : vars) s += v + "_" + kw + " ";
  }
  s += "\n    pctlpts=";
  char b[32];
  for (double p : percentile_points()) std::snprintf(b, sizeof b, "%g ", p), s += b;
  s += "pctlpre=";
  for (const std::string& v : vars) s += v + "_ ";
  s += "pctlname=";
  for (std::size_t i = 0; i < percentile_points().size(); ++i) s += percentile_column(i) + " ";
  return s + ";\n";
}

std::string step(const std::string& data, const std::vector<std::string>& vars, const std::string& weight,
                 bool freq, const std::string& out) {
  std::string s = "proc kestravine data=" + data + " noprint normal robustscale;\n  var";
  for (const std::string& v : vars) s += " " + v;
  s += ";\n";
  if (!weight.empty()) s += "  weight " + weight + ";\n";
  if (freq) s += "  freq f;\n";
  return s + output_statement(out, vars) + "run;\n";
}

}  // namespace

meta_case make_case(std::string name, const kes_test::sample& data, std::uint64_t seed) {
  meta_case mc;
  mc.name = std::move(name);
  mc.data = data;
  mc.kind = data.kind();
  std::mt19937_64 rng(seed);
  mc.k = exact_exponent(data.x, -80, 80, rng);
  mc.c = exact_shift(data.x);
  // From a seed of their own: the draws of the other transforms stay as they were.
  std::tie(mc.far_c, mc.abs_c) = far_offsets(data.x, seed ^ 0x9e3779b97f4a7c15ULL);
  if (!data.w.empty()) {
    mc.kw = 2 * exact_exponent(data.w, -20, 20, rng);
    if (!scales_exactly(data.w, mc.kw)) mc.kw = 0;
  }
  mc.fits = data.w.empty() && data.plan.rows <= kFitRowsAtMost;
  mc.shuffle.resize(data.x.size());
  std::iota(mc.shuffle.begin(), mc.shuffle.end(), 0);
  std::shuffle(mc.shuffle.begin(), mc.shuffle.end(), rng);
  return mc;
}

std::vector<std::string> step_names(const meta_case& mc) {
  std::vector<std::string> names = {"base", "scaled"};
  if (mc.kw != 0) names.push_back("wscaled");
  names.push_back("reversed");
  names.push_back("shuffled");
  if (!mc.data.f.empty()) names.push_back("copies");
  if (!far_variables(mc).empty()) names.push_back("far");
  if (mc.fits) names.push_back("fits");
  return names;
}

std::map<std::string, std::string> case_data(const meta_case& mc) {
  const kes_test::sample& s = mc.data;
  std::vector<std::size_t> forward(s.x.size());
  std::iota(forward.begin(), forward.end(), 0);
  std::vector<std::size_t> backward(forward.rbegin(), forward.rend());

  auto d = base_columns(s, forward);
  d.push_back({"xs", times2(s.x, mc.k)});
  if (!std::isnan(mc.c)) {
    std::vector<double> shifted;
    for (double v : s.x) shifted.push_back(v + mc.c);
    d.push_back({"xc", shifted});
  }
  if (!s.w.empty()) d.push_back({"ws", times2(s.w, mc.kw)});
  for (auto& col : far_columns(mc)) d.push_back(std::move(col));

  std::map<std::string, std::string> files = {{"d", kes_test::csv_text(d)},
                                              {"r", kes_test::csv_text(base_columns(s, backward))},
                                              {"s", kes_test::csv_text(base_columns(s, mc.shuffle))}};
  if (!s.f.empty()) {
    // Each row as many times as its frequency counts (a whole number, below 1 none).
    std::vector<std::size_t> copies;
    for (std::size_t i = 0; i < s.x.size(); ++i)
      for (double n = 1; n <= s.f[i]; ++n) copies.push_back(i);
    kes_test::sample plain = s;
    plain.f.clear();
    files["c"] = kes_test::csv_text(base_columns(plain, copies));
  }
  return files;
}

std::string case_program(const meta_case& mc) {
  const bool weighted = !mc.data.w.empty(), freq = !mc.data.f.empty();
  const std::string w = weighted ? "w" : "";
  std::vector<std::string> shifted = {"xs"};
  if (!std::isnan(mc.c)) shifted.push_back("xc");
  std::string p = "options linesize=100;\n";
  p += step("d", {"x"}, w, freq, "base");
  p += step("d", shifted, w, freq, "scaled");
  if (mc.kw != 0) p += step("d", {"x"}, "ws", freq, "wscaled");
  p += step("r", {"x"}, w, freq, "reversed");
  p += step("s", {"x"}, w, freq, "shuffled");
  if (freq) p += step("c", {"x"}, w, false, "copies");
  if (const std::vector<std::string> far = far_variables(mc); !far.empty()) p += step("d", far, w, freq, "far");
  if (mc.fits) {
    std::string vars = "x", far;
    for (const std::string& v : shifted) vars += " " + v;
    for (const std::string& v : far_variables(mc)) far += " " + v;
    p += "proc kestravine data=d noprint;\n  var " + vars + far + ";\n";
    if (freq) p += "  freq f;\n";
    // Families whose parameters follow a shift (an estimated threshold or a location)
    // and kernel estimates (whose c is free of the unit), then families with the
    // threshold 0, which follow a scaling only.
    p += "  histogram " + vars +
         " / noplot normal su lognormal(theta=est) weibull(theta=est) gamma(theta=est) exponential(theta=est)\n"
         "      kernel(c=0.5 mise sjpi) outkernel=fits_kernels;\n";
    p += "  histogram x xs / noplot lognormal weibull gamma exponential;\n";
    // The threshold fits of the values far off and moved back (the third histogram).
    if (!far.empty())
      p += "  histogram" + far +
           " / noplot lognormal(theta=est) weibull(theta=est) gamma(theta=est)\n"
           "      beta(theta=est sigma=est) exponential(theta=est);\n";
    p += "run;\n";
  }
  return p;
}

}  // namespace kes_meta
