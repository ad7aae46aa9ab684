// The checks themselves, on results written by hand: each rule of a row and each
// relation finds the fault it names and passes what is right (values beyond the
// doubles missing, noise within its allowance); known failures are read and matched
// word by word; drawn data are of the sizes and scales promised and read back exact.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <set>

#include "metamorphic/flat_maximum_data.h"
#include "metamorphic/known_failures.h"
#include "metamorphic/relations.h"
#include "metamorphic/row_rules.h"
#include "metamorphic/stat_table.h"
#include "support/sample_gen.h"

namespace {

using kes_meta::program_result;
using row_t = std::map<std::string, double>;

// A row that keeps every rule: the statistics of 1, 2, 3, 4 (percentiles on a line).
row_t consistent_row(const std::string& var) {
  row_t r;
  auto set = [&](const std::string& kw, double v) { r[var + "_" + kw] = v; };
  set("N", 4), set("MIN", 1), set("MAX", 4), set("MEAN", 2.5), set("CSS", 5), set("VAR", 5.0 / 3);
  set("STD", std::sqrt(5.0 / 3)), set("STDMEAN", std::sqrt(5.0 / 3) / 2), set("RANGE", 3);
  set("T", 2.5 / (std::sqrt(5.0 / 3) / 2)), set("PROBT", 0.01), set("SUMWGT", 4), set("USS", 30);
  for (std::size_t i = 0; i < kes_meta::percentile_points().size(); ++i)
    set(kes_meta::percentile_column(i), 1 + 3 * kes_meta::percentile_points()[i] / 100);
  const std::pair<const char*, int> named[] = {{"P1", 2}, {"P5", 3},  {"P10", 4},  {"Q1", 5}, {"MEDIAN", 7},
                                               {"Q3", 8}, {"P90", 9}, {"P95", 10}, {"P99", 11}};
  for (const auto& [kw, i] : named) set(kw, r[var + "_" + kes_meta::percentile_column(static_cast<std::size_t>(i))]);
  set("QRANGE", r[var + "_Q3"] - r[var + "_Q1"]);
  return r;
}

bool mentions(const std::vector<std::string>& faults, const std::string& part) {
  for (const std::string& f : faults)
    if (f.find(part) != std::string::npos) return true;
  return false;
}

TEST(RowRules, EachRuleFindsItsFault) {
  struct change {
    std::vector<std::pair<const char*, double>> set;
    const char* fault;  // "" where the row still keeps every rule
  };
  const change changes[] = {
      {{}, ""},
      {{{"PCT0", 1.5}}, "P0 is not MIN"},
      {{{"PCT13", 3.5}}, "P100 is not MAX"},
      {{{"PCT6", 3.9}}, "is below the one before it"},
      {{{"PCT13", 4.5}}, "the percentiles pass MAX"},
      {{{"MEDIAN", 2.4}}, "a named percentile differs"},
      {{{"MEAN", 0.9}}, "the mean is outside MIN..MAX"},
      {{{"STD", 0}, {"VAR", 0}}, "STD is 0 and CSS not"},
      {{{"VAR", 0}}, "VAR is not CSS / (N - 1)"},
      {{{"VAR", std::nextafter(5.0 / 3, 2)}}, "VAR is not CSS / (N - 1)"},
      {{{"STD", 1.3}}, "STD is not the root of VAR"},
      {{{"STDMEAN", 0}}, "a finite t beside no positive standard error"},
      {{{"T", NAN}}, "a p-value of t without t"},
      {{{"QRANGE", 2}}, "QRANGE is not Q3 - Q1"},
      {{{"RANGE", 2}}, "RANGE is not MAX - MIN"},
      // Beyond the doubles: a variance too large to write is missing beside its root,
      // CSS beside the variance it divides; a subnormal variance has lost bits.
      {{{"STD", 1e200}, {"VAR", NAN}, {"CSS", NAN}, {"STDMEAN", 5e199}}, ""},
      {{{"CSS", NAN}, {"VAR", 1e308}, {"STD", 1e154}, {"STDMEAN", 5e153}}, ""},
      {{{"STD", 1e-160}, {"VAR", 1e-320}, {"CSS", 3e-320}, {"STDMEAN", 5e-161}}, ""},
      {{{"VAR", NAN}}, "STD is not the root of VAR"},
      {{{"CSS", NAN}}, "VAR is not CSS / (N - 1)"},
  };
  for (const change& c : changes) {
    row_t row = consistent_row("x");
    for (const auto& [kw, v] : c.set) row[std::string("x_") + kw] = v;
    const std::vector<std::string> faults = kes_meta::row_faults(row, "x", false);
    if (*c.fault == '\0')
      EXPECT_TRUE(faults.empty()) << faults.front();
    else
      EXPECT_TRUE(mentions(faults, c.fault)) << c.fault << " not found";
  }
}

TEST(RowRules, ZeroWeightsLeaveTheEndPercentilesInsideMinAndMax) {
  row_t row = consistent_row("x");
  row["x_PCT0"] = 1.01;  // above MIN, below the next point
  EXPECT_TRUE(kes_meta::row_faults(row, "x", true).empty());
  row["x_PCT0"] = 0.5;
  EXPECT_TRUE(mentions(kes_meta::row_faults(row, "x", true), "below the one before it or MIN"));
}

const kes_meta::relation& relation_named(const std::string& name) {
  for (const kes_meta::relation& r : kes_meta::relations())
    if (name == r.name) return r;
  throw std::runtime_error("no relation " + name);
}

// Every statistic of the table at a value (the row's own, or 1).
row_t full_row(const std::string& var) {
  row_t row = consistent_row(var);
  for (const kes_meta::statistic& s : kes_meta::statistics()) row.emplace(var + "_" + s.keyword, 1.0);
  return row;
}

TEST(Relations, ScalingIsBitForBitWhereRepresentable) {
  kes_meta::meta_case mc;
  mc.k = 10;
  program_result r;
  r.steps["base"].row = full_row("x");
  for (const auto& [col, v] : r.steps["base"].row) {
    const kes_meta::statistic* s = kes_meta::find_statistic(col.substr(2));
    r.steps["scaled"].row["xs" + col.substr(1)] = std::ldexp(v, 10 * s->scale_power);
  }
  const auto& scaled = relation_named("values times 2^k");
  EXPECT_TRUE(scaled.faults(mc, r).empty());

  program_result off = r;
  off.steps["scaled"].row["xs_MEAN"] = std::nextafter(off.steps["scaled"].row["xs_MEAN"], 0);
  EXPECT_TRUE(mentions(scaled.faults(mc, off), "MEAN"));

  // USS of 1e305 is beyond the doubles at 2^10 times the values (times 2^20): missing
  // there is right; a missing CSS whose image is representable is not.
  program_result big = r;
  big.steps["base"].row["x_USS"] = 1e305;
  big.steps["scaled"].row["xs_USS"] = NAN;
  EXPECT_TRUE(scaled.faults(mc, big).empty());
  big.steps["scaled"].row["xs_CSS"] = NAN;
  EXPECT_TRUE(mentions(scaled.faults(mc, big), "CSS: missing at one scale only"));

  // A subnormal statistic has lost bits: not compared.
  program_result tiny = r;
  tiny.steps["base"].row["x_CSS"] = 1e-320;
  tiny.steps["scaled"].row["xs_CSS"] = 1.2e-314;
  EXPECT_TRUE(scaled.faults(mc, tiny).empty());
}

TEST(Relations, ReorderingAllowsOnlyTheNoiseOfSums) {
  kes_meta::meta_case mc;
  program_result r;
  r.steps["base"].row = full_row("x");
  r.steps["base"].code = 0;
  r.steps["reversed"] = r.steps["base"];
  const auto& reversed = relation_named("rows reversed");
  EXPECT_TRUE(reversed.faults(mc, r).empty());

  struct change {
    const char* column;
    double factor;
    bool fault;
  };
  const change changes[] = {
      {"x_CSS", 1 + 5e-14, false}, {"x_CSS", 1 + 5e-13, true},  {"x_MIN", 1 + DBL_EPSILON, true},
      {"x_PCT7", 1 + DBL_EPSILON, true}, {"x_MEAN", 1 + 1e-14, false}, {"x_SKEWNESS", 1 + 1e-11, true},
  };
  for (const change& c : changes) {
    program_result changed = r;
    changed.steps["reversed"].row[c.column] *= c.factor;
    EXPECT_EQ(!reversed.faults(mc, changed).empty(), c.fault) << c.column << " times " << c.factor;
  }
  program_result warned = r;
  warned.steps["reversed"].warnings = {"WARNING: The weighted sums of variable x overflow"};
  EXPECT_TRUE(mentions(reversed.faults(mc, warned), "the warnings differ"));
  warned.steps["reversed"].code = 4;
  EXPECT_TRUE(mentions(reversed.faults(mc, warned), "return code 0 and 4"));
}

TEST(Relations, FitsFollowTheValuesWithinTheFitsTolerance) {
  kes_meta::meta_case mc;
  mc.k = 3;
  program_result r;
  auto& fits = r.steps["fits"].fits;
  fits = {{"x|Histogram 1|Weibull|Threshold|Theta", 1}, {"x|Histogram 1|Weibull|Scale|Sigma", 2},
          {"x|Histogram 1|Weibull|Shape|C", 1.5},       {"x|Histogram 1|Weibull|Std Dev|", 1.2},
          {"x|Histogram 1|Lognormal|Scale|Zeta", 0.5},  {"xs|Histogram 1|Weibull|Threshold|Theta", 8},
          {"xs|Histogram 1|Weibull|Scale|Sigma", 16},   {"xs|Histogram 1|Weibull|Shape|C", 1.5},
          {"xs|Histogram 1|Weibull|Std Dev|", 9.6},     {"xs|Histogram 1|Lognormal|Scale|Zeta", 0.5 + 3 * std::log(2.0)}};
  const auto& scaled = relation_named("fits times 2^k");
  EXPECT_TRUE(scaled.faults(mc, r).empty());
  program_result shape = r;
  shape.steps["fits"].fits["xs|Histogram 1|Weibull|Shape|C"] = 1.5 * (1 + 1e-5);
  EXPECT_TRUE(mentions(scaled.faults(mc, shape), "Shape|C"));
  program_result gone = r;
  gone.steps["fits"].fits.erase("xs|Histogram 1|Lognormal|Scale|Zeta");
  EXPECT_TRUE(mentions(scaled.faults(mc, gone), "fitted for x (0.5) but not for xs"));
}

TEST(Relations, FitsAtAFarOffsetFollowTheSameNumbersNearZero) {
  // xq2's fits against xu2's at 1.7e9 (units of 2^-22 there): the threshold moved by the
  // offset within 4 units, the shape as it is; a threshold 1e-3 of the spread off, a
  // shape 1e-5 off, a fit of one only, are faults. x's fits are not looked at.
  kes_meta::meta_case mc;
  mc.abs_c = 1.7e9;
  mc.data.x = {1, 2, 4};
  program_result r;
  auto& fits = r.steps["fits"].fits;
  fits = {{"xq2|Histogram 3|Gamma|Threshold|Theta", 0.5},
          {"xq2|Histogram 3|Gamma|Shape|Alpha", 2.5},
          {"xq2|Histogram 3|Gamma|Std Dev|", 1.5},
          {"xu2|Histogram 3|Gamma|Threshold|Theta", 1.7e9 + 0.5 + 3 * 0x1p-22},
          {"xu2|Histogram 3|Gamma|Shape|Alpha", 2.5},
          {"xu2|Histogram 3|Gamma|Std Dev|", 1.5},
          {"x|Histogram 1|Gamma|Shape|Alpha", 7}};
  const auto& far = relation_named("fits at a far offset");
  EXPECT_TRUE(far.faults(mc, r).empty());
  program_result moved = r;
  moved.steps["fits"].fits["xu2|Histogram 3|Gamma|Threshold|Theta"] = 1.7e9 + 0.5 + 1.5e-3;
  EXPECT_TRUE(mentions(far.faults(mc, moved), "Threshold|Theta"));
  program_result shape = r;
  shape.steps["fits"].fits["xu2|Histogram 3|Gamma|Shape|Alpha"] = 2.5 * (1 + 1e-5);
  EXPECT_TRUE(mentions(far.faults(mc, shape), "Shape|Alpha"));
  program_result gone = r;
  gone.steps["fits"].fits.erase("xu2|Histogram 3|Gamma|Shape|Alpha");
  EXPECT_TRUE(mentions(far.faults(mc, gone), "fitted for xq2 (2.5) but not for xu2"));
}

// The gamma fits the runner made of flat_gamma_maximum_values() and of those values
// plus 192: parameters 3e-6 apart, log-likelihoods 2.5e-12 apart, both maxima.
program_result flat_gamma_fits(const std::string& family) {
  program_result r;
  const std::string x = "x|Histogram 1|" + family + "|", xc = "xc|Histogram 1|" + family + "|";
  r.steps["fits"].fits = {{x + "Threshold|Theta", 34.860514322137476},   {x + "Scale|Sigma", 4.856138892361367},
                          {x + "Shape|Alpha", 9.052342978681486},        {x + "Mean|", 78.81994912790698},
                          {x + "Std Dev|", 14.61071938839841},           {xc + "Threshold|Theta", 226.86056910419418},
                          {xc + "Scale|Sigma", 4.8561472610163925},      {xc + "Shape|Alpha", 9.052316097702539},
                          {xc + "Mean|", 270.81994912790697},            {xc + "Std Dev|", 14.610722873907765}};
  return r;
}

TEST(Relations, FitsOfAFlatMaximumAreJudgedByTheLikelihood) {
  kes_meta::meta_case mc;
  mc.c = 192;
  mc.data.x = kes_meta::flat_gamma_maximum_values();
  const auto& shifted = relation_named("fits plus c");
  const std::string xc = "xc|Histogram 1|Gamma|";
  struct change {
    const char* what;
    std::vector<std::pair<std::string, double>> set;  // the xc fit's parameters changed
    std::string family;
    bool values;                       // the data are known
    std::vector<const char*> faults;   // none: the relation holds
  };
  const change changes[] = {
      {"two maxima of a flat likelihood", {}, "Gamma", true, {}},
      {"the same without the data", {}, "Gamma", false, {"Shape|Alpha", "Scale|Sigma"}},
      {"a shape off the maximum",
       {{xc + "Shape|Alpha", 9.052316097702539 * (1 + 1e-4)}},
       "Gamma",
       true,
       {"Shape|Alpha", "log-likelihood of x -174.702141799059", "at xc's taken back"}},
      {"a threshold off the maximum", {{xc + "Threshold|Theta", 226.87}}, "Gamma", true, {"Threshold|Theta"}},
      {"a value at the threshold taken back",
       {{xc + "Threshold|Theta", 53.24609375 + 192}},
       "Gamma",
       true,
       {"log-likelihood of x -174.702141799059"}},
      // A family fitted by percentiles (its rows named as the gamma's) is no maximum
      // of a likelihood: the parameters' check stands.
      {"a fit by percentiles", {}, "SU", true, {"Shape|Alpha"}},
  };
  for (const change& c : changes) {
    program_result r = flat_gamma_fits(c.family);
    for (const auto& [key, v] : c.set) r.steps["fits"].fits[key] = v;
    kes_meta::meta_case m = mc;
    if (!c.values) m.data.x.clear();
    const std::vector<std::string> faults = shifted.faults(m, r);
    EXPECT_EQ(faults.empty(), c.faults.empty()) << c.what << (faults.empty() ? "" : ": " + faults.front());
    for (const char* f : c.faults) EXPECT_TRUE(mentions(faults, f)) << c.what << ": " << f << " not found";
  }

  // The second fit as if of the values times 2^3: locations and scales are taken back
  // by the factor.
  mc.k = 3;
  program_result scaled;
  const std::string xs = "xs|Histogram 1|Gamma|";
  const program_result shifted_fits = flat_gamma_fits("Gamma");
  for (const auto& [key, v] : shifted_fits.steps.at("fits").fits) {
    const std::string row = key.substr(key.find("Gamma|") + 6);
    const bool location = row == "Threshold|Theta" || row == "Mean|", shape = row == "Shape|Alpha";
    scaled.steps["fits"].fits[key.rfind("x|", 0) == 0 ? key : xs + row] =
        key.rfind("x|", 0) == 0 || shape ? v : std::ldexp(location ? v - 192 : v, 3);
  }
  const auto& times = relation_named("fits times 2^k");
  EXPECT_TRUE(times.faults(mc, scaled).empty()) << times.faults(mc, scaled).front();
  scaled.steps["fits"].fits[xs + "Scale|Sigma"] *= 1 + 1e-4;
  EXPECT_TRUE(mentions(times.faults(mc, scaled), "at xs's taken back"));
}

TEST(KnownFailures, EntriesMatchEveryWordOfTheirKind) {
  std::vector<std::string> errors;
  std::vector<kes_meta::known_failure> known = kes_meta::read_known_failures(
      "# a comment\n\nrows reversed | weights=mixed freq | CSS STD | order of weights # trailing\n"
      "fits times 2^k | case=zepto | Normal | absolute thresholds | with a bar\n"
      "rows shuffled | weights=nano at=2:126 at=31:5 | MEAN | met in another draw\n",
      &errors);
  ASSERT_EQ(known.size(), 3u);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(known[2].relation, "rows shuffled");
  EXPECT_EQ(known[0].line, 3);
  EXPECT_EQ(known[0].reason, "order of weights");
  EXPECT_EQ(known[1].reason, "absolute thresholds | with a bar");
  EXPECT_EQ(known[2].kind, std::vector<std::string>{"weights=nano"});
  ASSERT_EQ(known[2].draws.size(), 2u);
  EXPECT_EQ(known[2].draws[1], (std::pair<std::uint64_t, long>{31, 5}));
  const std::vector<std::string> css{"CSS: from 1 expected 2, got 3"};
  const kes_meta::draw_place any{20261208, 7};
  EXPECT_EQ(kes_meta::explaining(known, "rows reversed", "values=ties weights=mixed freq rows=3", any, css), &known[0]);
  EXPECT_EQ(kes_meta::explaining(known, "rows reversed", "values=ties weights=mixed nofreq rows=3", any, css), nullptr);
  EXPECT_EQ(kes_meta::explaining(known, "rows shuffled", "values=ties weights=mixed freq rows=3", any, css), nullptr);
  const std::vector<std::string> fit{"x|Histogram 1|Normal|Mean|Mu: fitted for x (1) but not for xs"};
  EXPECT_EQ(kes_meta::explaining(known, "fits times 2^k", "case=zepto", {1, -1}, fit), &known[1]);
  EXPECT_EQ(kes_meta::explaining(known, "fits times 2^k", "case=zepto_joules", {1, -1}, fit), nullptr);
}

// An entry excuses only the statistics it names, on the data it names.
TEST(KnownFailures, AnEntryExcusesOnlyItsStatisticsAndDraws) {
  std::vector<kes_meta::known_failure> known = kes_meta::read_known_failures(
      "rows reversed | weighted | CSS VAR | weighted sums in another order\n"
      "rows agree with themselves | unweighted at=2:126 | PCT0 | met in one set of seed 2\n");
  const kes_meta::draw_place any{20261208, 3};
  const std::string css = "CSS: from 1 expected 1, got 1.0000000000001", pct0 = "x: P0 is not MIN (PCT0 1, MIN 0.5)";
  EXPECT_EQ(kes_meta::explaining(known, "rows reversed", "weighted", any, {css}), &known[0]);
  // What it met, so that a statistic it names and no fault does is found stale.
  EXPECT_EQ(known[0].statistics_met, std::set<std::string>{"CSS"});
  EXPECT_EQ(kes_meta::explaining(known, "rows reversed", "weighted", any, {css, "PCT0: from 1 expected 1, got 2"}),
            nullptr);
  EXPECT_EQ(kes_meta::explaining(known, "rows reversed", "weighted", any, {"SKEWNESS: from 1 expected 1, got 2"}),
            nullptr);
  // An entry that names draws holds in any draw: what binds it is its relation, kind
  // and statistics.
  EXPECT_EQ(kes_meta::explaining(known, "rows agree with themselves", "unweighted", {2, 126}, {pct0}), &known[1]);
  EXPECT_EQ(kes_meta::explaining(known, "rows agree with themselves", "unweighted", {2, 127}, {pct0}), &known[1]);
  EXPECT_EQ(kes_meta::explaining(known, "rows agree with themselves", "unweighted", any, {pct0}), &known[1]);
  EXPECT_EQ(kes_meta::explaining(known, "rows agree with themselves", "weighted", any, {pct0}), nullptr);
}

TEST(KnownFailures, MalformedEntriesAreNamed) {
  std::vector<std::string> errors;
  kes_meta::read_known_failures("rows reversed | weighted | order of weights\n"
                                "rows reversed | weighted at=2 | CSS | no set\n"
                                "rows reversed | weighted |  | no statistics\n",
                                &errors);
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0].rfind("line 1:", 0), 0u);
  EXPECT_EQ(errors[1].rfind("line 2:", 0), 0u);
  EXPECT_EQ(errors[2].rfind("line 3:", 0), 0u);
}

TEST(SampleGen, DrawsEveryKindAtItsScaleAndReadsBackExact) {
  std::mt19937_64 rng(5);
  std::set<std::string> values, weights;
  int largest = 0, with_freq = 0;
  for (int i = 0; i < 600; ++i) {
    const kes_test::sample s = kes_test::draw_sample(kes_test::draw_spec(rng), rng);
    values.insert(kes_test::name_of(s.plan.values));
    weights.insert(kes_test::name_of(s.plan.weights));
    largest = std::max(largest, s.plan.rows);
    with_freq += s.plan.freq;
    ASSERT_GE(s.plan.rows, 1);
    ASSERT_LE(s.plan.rows, 10000);
    ASSERT_EQ(s.x.size(), static_cast<std::size_t>(s.plan.rows));
    ASSERT_EQ(s.w.size(), s.plan.weights == kes_test::weight_kind::none ? 0u : s.x.size());
    for (double x : s.x) {
      if (std::isnan(x)) continue;
      const double m = std::fabs(x);
      switch (s.plan.values) {
        case kes_test::value_kind::huge: ASSERT_GT(m, 1e306); break;
        case kes_test::value_kind::tiny: ASSERT_TRUE(m >= 1e-300 && m < 1e-298); break;
        case kes_test::value_kind::subnormal: ASSERT_LT(m, DBL_MIN); break;
        case kes_test::value_kind::e_minus20: ASSERT_TRUE(m >= 5e-21 && m < 1e-19); break;
        default: break;
      }
    }
  }
  EXPECT_EQ(values.size(), 10u);
  EXPECT_EQ(weights.size(), 10u);
  EXPECT_GT(largest, 5000);
  EXPECT_GT(with_freq, 100);

  const std::vector<double> edge = {DBL_MAX, -DBL_MAX, 5e-324, DBL_MIN, 0.1, -0.0, 1e-20, NAN};
  const std::string csv = kes_test::csv_text({{"x", edge}});
  std::istringstream in(csv);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "x");
  for (double v : edge) {
    std::getline(in, line);
    if (std::isnan(v))
      EXPECT_EQ(line, ".");
    else
      EXPECT_EQ(std::strtod(line.c_str(), nullptr), v) << line;
  }
}

TEST(SampleGen, TheSameSeedDrawsTheSameData) {
  std::mt19937_64 a(11), b(11);
  for (int i = 0; i < 20; ++i) {
    const kes_test::sample s = kes_test::draw_sample(kes_test::draw_spec(a), a);
    const kes_test::sample t = kes_test::draw_sample(kes_test::draw_spec(b), b);
    EXPECT_EQ(kes_test::csv_text({{"x", s.x}, {"w", s.w.empty() ? s.x : s.w}}),
              kes_test::csv_text({{"x", t.x}, {"w", t.w.empty() ? t.x : t.w}}));
  }
}

}  // namespace
