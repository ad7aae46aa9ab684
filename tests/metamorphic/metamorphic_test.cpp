// Relations between runs of the same data transformed (values times 2^k or plus c,
// weights times 2^k, rows reversed or shuffled, frequencies as copies) and rules every
// OUTPUT row keeps, over data sets drawn at random and a few written by hand, each run
// by the built runner. KES_META_SEED and KES_META_COUNT choose other data sets and any
// number of them (the target fuzz_metamorphic runs them); the data and program of a
// failing set are kept in metamorphic_failures/ under the build folder. Failures that
// known_failures.txt names are expected (KES_META_VERBOSE=1 shows them), and its
// entries must still fail.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <atomic>
#include <future>
#include <mutex>

#include "metamorphic/flat_maximum_data.h"
#include "metamorphic/known_failures.h"
#include "metamorphic/meta_case.h"
#include "metamorphic/meta_run.h"
#include "metamorphic/r_cases.h"
#include "metamorphic/relations.h"
#include "metamorphic/stat_table.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;
using kes_meta::meta_case;

// The data sets a plain test run draws; under the sanitizers fewer (the first of the
// same draw).
constexpr std::uint64_t kDefaultSeed = 20261208;
constexpr long kPlainCount = 200;
constexpr long kSanitizedCount = 30;
constexpr unsigned kRunsAtOnce = 4;

// Data written by hand where a relation once failed: the smallest cases of each fault.
struct hand_case {
  const char* name;
  std::vector<double> x, w, f;
  int k = 0;  // values times 2^k (0: chosen as for drawn data)
};

std::vector<double> zepto_joules() {
  // 80 energies of 0.50 to 9.04 zeptojoules, written in joules.
  std::vector<double> x;
  for (int i = 0; i < 80; ++i) x.push_back((0.5 + 8.54 * std::pow((i + 0.5) / 80, 1.7)) * 1e-20);
  return x;
}

std::vector<double> small_gamma_values() {
  // 60 values of a gamma law with threshold 0.001, shape 2 and scale 0.003, from a
  // fixed sequence of uniform numbers.
  std::vector<double> x;
  std::uint64_t state = 12345;
  auto u = [&] { return ((state = state * 6364136223846793005ULL + 1442695040888963407ULL) >> 11) * 0x1p-53 + 0x1p-54; };
  for (int i = 0; i < 60; ++i) x.push_back(std::min(0.02, 0.001 + 0.003 * (-std::log(u()) - std::log(u()))));
  return x;
}

std::vector<double> ties_far_from_zero() {
  // 1000 values 10000.5 or 10000.625: a spread of 1/16 beside a mean of 10^4.
  std::vector<double> x;
  std::uint64_t state = 1;
  for (int i = 0; i < 1000; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    x.push_back(10000.5 + 0.125 * static_cast<double>(state >> 63));
  }
  return x;
}

const std::vector<hand_case>& hand_cases() {
  static const std::vector<hand_case> cases = {
      {"weights_1_1e16_1e16", {1, 2, 3}, {1, 1e16, 1e16}, {}},
      {"weights_1e16_1e16_1", {1, 2, 3}, {1e16, 1e16, 1}, {}},
      {"weights_1e-300_1_1e300", {1, 2, 3}, {1e-300, 1, 1e300}, {}},
      {"weights_1_1_1_1e200", {0, 1, 2, 3}, {1, 1, 1, 1e200}, {}},
      {"values_near_1", {1, 1 + 0x1p-52, 1, 1 + 0x1p-51}, {}, {}},
      {"weights_1_1e9_rising", {1000, 1001}, {1, 1e9}, {}},
      {"weight_1e308_freq_2", {1, 2, 3}, {1e308, 1, 1}, {2, 1, 1}},
      {"weights_subnormal_first", {1, 2, 3, 4}, {5e-324, 1, 1, 1}, {}},
      {"zepto_joules", zepto_joules(), {}, {}, 66},
      {"small_gamma_values", small_gamma_values(), {}, {}, 10},
      {"one_value_tenths", std::vector<double>(10, 0.1), {}, {}},
      {"ties_far_from_zero", ties_far_from_zero(), {}, {}},
      {"signs_of_mixed_magnitudes",
       {3.0547154005315957e-234, -7.0956708990362655e+139, 2.5974589836177824e-221, -1.1680302946416451e-87,
        -4.0671971148499553e-12, -1.8566399892729358e-50, 2.5252320722641761e-190, 5.3644374015876651e-80,
        2.0601361589153298e-245},
       {},
       {},
       -71},
      // The gamma fits of x and x + 192 stop 3e-6 apart on a flat maximum (log-likelihoods
      // -174.70214179905967 and -174.70214179906220, the maximum -174.70214179905967:
      // mpmath 1.3.0 over the profile likelihood in the threshold).
      {"flat_gamma_maximum", kes_meta::flat_gamma_maximum_values(), {}, {}},
  };
  return cases;
}

meta_case hand_meta_case(const hand_case& h, std::uint64_t seed) {
  kes_test::sample s;
  s.plan.rows = static_cast<int>(h.x.size());
  s.plan.weights = h.w.empty() ? kes_test::weight_kind::none : kes_test::weight_kind::ordinary;
  s.plan.freq = !h.f.empty();
  s.x = h.x, s.w = h.w, s.f = h.f;
  meta_case mc = kes_meta::make_case(std::string("hand case ") + h.name, s, seed);
  mc.kind = std::string("case=") + h.name;
  if (h.k != 0) mc.k = h.k;
  return mc;
}

// What went wrong with one case: relation to its faults.
struct case_outcome {
  meta_case mc;
  std::string program, log;
  int status = 0;
  std::vector<std::pair<std::string, std::vector<std::string>>> failed;
};

case_outcome run_case(const meta_case& mc, const fs::path& root) {
  case_outcome out{mc, kes_meta::case_program(mc), "", 0, {}};
  const kes_meta::program_result r = kes_meta::run_steps(root, kes_meta::case_data(mc), out.program, kes_meta::step_names(mc));
  out.status = r.status;
  out.log = r.log;
  // Every step ran to its end, without an internal error or a sanitizer report: else
  // the relations would compare nothing.
  std::vector<std::string> broken;
  if (r.status >= 1000 || r.status == 120 || r.status == 121) broken.push_back("exit status " + std::to_string(r.status));
  if (r.log.find("Internal error") != std::string::npos) broken.push_back("an Internal error in the log");
  if (r.err.find("Sanitizer") != std::string::npos || r.err.find("runtime error:") != std::string::npos)
    broken.push_back("a sanitizer report on standard error");
  for (const auto& [name, s] : r.steps)
    if (s.code < 0) broken.push_back("step " + name + " did not end (exit status " + std::to_string(r.status) + ")");
  if (!broken.empty()) out.failed.push_back({"every step runs to its end", broken});
  for (const kes_meta::relation& rel : kes_meta::relations())
    if (rel.applies(mc))
      if (auto faults = rel.faults(mc, r); !faults.empty()) out.failed.push_back({rel.name, faults});
  return out;
}

void keep(const case_outcome& o, const std::string& stem) {
  const fs::path kept = fs::path(kes_test::binary_dir()) / "metamorphic_failures";
  fs::create_directories(kept / stem);
  for (const auto& [name, csv] : kes_meta::case_data(o.mc)) std::ofstream(kept / stem / (name + ".csv")) << csv;
  std::ofstream(kept / stem / "prog.kes") << o.program;
  std::ofstream(kept / stem / "log") << o.log;
}

TEST(Metamorphic, RelationsHoldOverDrawnAndHandWrittenData) {
  const auto seed = static_cast<std::uint64_t>(kes_test::env_setting("KES_META_SEED", kDefaultSeed));
  const long count =
      kes_test::env_setting("KES_META_COUNT", kes_test::under_sanitizers() ? kSanitizedCount : kPlainCount);
  const bool default_draw = seed == kDefaultSeed && count >= kPlainCount;
  const bool verbose = kes_test::env_setting("KES_META_VERBOSE", 0) != 0;  // shows the expected failures too
  std::vector<std::string> errors;
  std::vector<kes_meta::known_failure> known = kes_meta::read_known_failures(
      kes_test::slurp(fs::path(KES_SOURCE_DIR) / "tests" / "metamorphic" / "known_failures.txt"), &errors);
  for (const std::string& e : errors) ADD_FAILURE() << "known_failures.txt " << e;

  std::vector<meta_case> cases;
  std::vector<kes_meta::draw_place> places;
  // Hand cases are the same cases whatever the seed.
  for (const hand_case& h : hand_cases()) cases.push_back(hand_meta_case(h, kDefaultSeed)), places.push_back({seed, -1});
  for (meta_case& mc : kes_meta::r_cases(kDefaultSeed)) cases.push_back(std::move(mc)), places.push_back({seed, -1});
  std::mt19937_64 rng(seed);
  for (long i = 0; i < count; ++i) {
    const kes_test::sample s = kes_test::draw_sample(kes_test::draw_spec(rng), rng);
    cases.push_back(kes_meta::make_case("set " + std::to_string(i) + " of seed " + std::to_string(seed), s, rng()));
    places.push_back({seed, i});
  }

  kes_test::scratch_dir root("meta");
  std::vector<case_outcome> outcomes(cases.size());
  std::vector<std::future<void>> workers;
  std::atomic<std::size_t> next{0};
  for (unsigned t = 0; t < kRunsAtOnce; ++t)
    workers.push_back(std::async(std::launch::async, [&, t] {
      for (std::size_t i; (i = next++) < cases.size();)
        outcomes[i] = run_case(cases[i], root / ("w" + std::to_string(t)));
    }));
  for (auto& w : workers) w.get();

  int unexpected = 0;
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    const case_outcome& o = outcomes[i];
    for (const auto& [relation, faults] : o.failed) {
      if (kes_meta::known_failure* k = kes_meta::explaining(known, relation, o.mc.kind, places[i], faults)) {
        ++k->met;
        k->draws_met.insert({places[i].seed, places[i].set});
        if (verbose) {
          std::printf("expected (known_failures.txt line %d): %s (%s): %s\n", k->line, o.mc.name.c_str(),
                      o.mc.kind.c_str(), relation.c_str());
          for (std::size_t j = 0; j < faults.size() && j < 12; ++j) std::printf("  %s\n", faults[j].c_str());
        }
        continue;
      }
      // The first 20 failing sets are kept.
      const std::string stem = "seed" + std::to_string(seed) + "_" + std::to_string(i);
      const bool kept = ++unexpected <= 20;
      if (kept) keep(o, stem);
      std::string what;
      for (std::size_t j = 0; j < faults.size() && j < 12; ++j) what += "\n  " + faults[j];
      ADD_FAILURE() << o.mc.name << " (" << o.mc.kind << ", k " << o.mc.k << ", c " << o.mc.c << ", kw " << o.mc.kw
                    << "): " << relation << " fails"
                    << (kept ? " (kept as metamorphic_failures/" + stem + ")" : std::string()) << ":" << what;
    }
  }
  // An entry that explained nothing is stale: the fault it names is mended. Entries of
  // hand cases are checked on every run, those of drawn data on the default draw, and
  // those that name their draws in every run that draws one of them.
  for (const kes_meta::known_failure& k : known) {
    const bool hand = !k.kind.empty() && k.kind.front().rfind("case=", 0) == 0;
    bool stale = false;
    if (k.draws.empty())
      stale = k.met == 0 && (hand || default_draw);
    else
      for (const auto& d : k.draws)
        stale = stale || (d.first == seed && d.second < count && !k.draws_met.count(d));
    if (stale)
      ADD_FAILURE() << "known_failures.txt line " << k.line << " (" << k.relation << " on "
                    << (k.kind.empty() ? "any data" : k.kind.front()) << ") fails no more: drop it";
    // An entry that still fails names only the statistics that do: judged where the
    // data are the same in every run (the default draw and the hand cases), since
    // another draw may meet only some of them.
    else if (k.met > 0 && (hand || default_draw))
      for (const std::string& w : k.statistics)
        if (!k.statistics_met.count(w))
          ADD_FAILURE() << "known_failures.txt line " << k.line << " names " << w
                        << ", which fails no more there: drop it from the entry";
  }
}

// The program asks for every statistic and family the relations know: on ordinary
// data each column of each step is written, and each family is fitted, so that no
// relation passes by comparing nothing.
TEST(Metamorphic, EveryStatisticAndFamilyReachesTheRelations) {
  kes_test::sample s;
  s.plan.rows = 60;
  s.plan.freq = true;
  for (int i = 0; i < 60; ++i) {
    const double p = (i + 0.5) / 60;  // long tails both ways, all above 0
    s.x.push_back(std::round(4 * (30 + std::sinh(0.8 * std::log(p / (1 - p))))) / 4);
    s.f.push_back(1 + i % 3);
  }
  const meta_case mc = kes_meta::make_case("long-tailed values", s, kDefaultSeed);
  ASSERT_FALSE(std::isnan(mc.c));
  ASSERT_NE(mc.k, 0);
  kes_test::scratch_dir root("meta-all");
  const kes_meta::program_result r =
      kes_meta::run_steps(root.path(), kes_meta::case_data(mc), kes_meta::case_program(mc), kes_meta::step_names(mc));
  ASSERT_EQ(r.status, 0) << r.log;
  for (const auto& [step, vars] : std::map<std::string, std::vector<std::string>>{
           {"base", {"x"}}, {"scaled", {"xs", "xc"}}, {"reversed", {"x"}}, {"shuffled", {"x"}}, {"copies", {"x"}},
           {"far", {"xq1", "xu1", "xq2", "xu2"}}})
    for (const std::string& v : vars)
      for (const kes_meta::statistic& st : kes_meta::statistics()) {
        const auto& row = r.steps.at(step).row;
        const auto cell = row.find(v + "_" + st.keyword);
        EXPECT_TRUE(cell != row.end() && !std::isnan(cell->second)) << step << " " << v << "_" << st.keyword;
      }
  for (const char* fit : {"1|Normal|Mean|Mu", "1|SU|Shape|Delta", "1|Lognormal|Threshold|Theta", "1|Weibull|Shape|C",
                          "1|Gamma|Shape|Alpha", "1|Exponential|Scale|Sigma", "2|Lognormal|Shape|Sigma",
                          "2|Weibull|Shape|C", "2|Gamma|Shape|Alpha", "2|Exponential|Scale|Sigma", "1|Kernel|1|C",
                          "1|Kernel|2|C", "1|Kernel|3|C"})
    EXPECT_TRUE(r.steps.at("fits").fits.count(std::string("x|Histogram ") + fit)) << fit;
  // The threshold fits far off, of the values there and of the same numbers near 0.
  ASSERT_FALSE(std::isnan(mc.far_c));
  for (const char* v : {"xq1", "xu1"})
    for (const char* fit : {"|Histogram 3|Lognormal|Threshold|Theta", "|Histogram 3|Weibull|Shape|C",
                            "|Histogram 3|Gamma|Shape|Alpha"})
      EXPECT_TRUE(r.steps.at("fits").fits.count(v + std::string(fit))) << v << fit;
}

}  // namespace
