// The far offsets of a case and their relation, on results written by hand: each
// value moved there and back is exact, and the relation finds a spread one unit of
// rounding off at the offset while it allows a location the roundings at the offset's
// magnitude. Known failures that name a draw explain its failures before an entry of
// any draw does.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "metamorphic/far_offsets.h"
#include "metamorphic/known_failures.h"
#include "metamorphic/relations.h"
#include "metamorphic/stat_table.h"
#include "support/r_columns.h"

namespace {

using kes_meta::program_result;

TEST(FarOffsets, MovedValuesComeBackExactly) {
  for (const auto& col : kes_meta::r_columns())
    for (std::uint64_t seed : {1u, 2u, 3u}) {
      const auto [far, absolute] = kes_meta::far_offsets(col.x, seed);
      SCOPED_TRACE(col.name);
      ASSERT_FALSE(std::isnan(far));
      ASSERT_FALSE(std::isnan(absolute));
      EXPECT_TRUE(absolute == 1e6 || absolute == 1.7e9) << absolute;
      double lo = col.x[0], hi = col.x[0];
      for (double v : col.x) lo = std::fmin(lo, v), hi = std::fmax(hi, v);
      EXPECT_GE(far / (hi - lo), 1e6 / 2);
      EXPECT_LE(far / (hi - lo), 2e9);
      kes_meta::meta_case mc;
      mc.data.x = col.x;
      mc.far_c = far;
      mc.abs_c = absolute;
      const auto cols = kes_meta::far_columns(mc);
      ASSERT_EQ(cols.size(), 4u);
      for (std::size_t i = 0; i < col.x.size(); ++i) {
        EXPECT_EQ(cols[0].second[i] + far, cols[1].second[i]);
        EXPECT_EQ(cols[2].second[i] + absolute, cols[3].second[i]);
        EXPECT_EQ(cols[1].second[i], col.x[i] + far);  // the value as it rounds there
      }
    }
  // A range near the largest double: no offset of 10^6 ranges.
  EXPECT_TRUE(std::isnan(kes_meta::far_offsets({1.0, 1.7e308}, 1).first));
}

const kes_meta::relation& far_relation() {
  for (const auto& r : kes_meta::relations())
    if (std::string(r.name) == "values far off") return r;
  throw std::logic_error("no relation values far off");
}

TEST(FarOffsets, SpreadsAgreeAndLocationsMoveByTheOffset) {
  kes_meta::meta_case mc;
  mc.far_c = 3 * 0x1p30;
  program_result r;
  auto& row = r.steps["far"].row;
  for (const kes_meta::statistic& s : kes_meta::statistics()) {
    row["xq1_" + s.keyword] = 0.75;
    row["xu1_" + s.keyword] = s.shift == kes_meta::shift_rule::moves ? 0.75 + mc.far_c : 0.75;
  }
  row["xq1_NORMAL"] = row["xu1_NORMAL"] = 0.9;
  const auto& rel = far_relation();
  for (const std::string& f : rel.faults(mc, r)) ADD_FAILURE() << f;
  struct change {
    const char* column;
    double by;
    bool fault;
  };
  const change changes[] = {
      {"xu1_QRANGE", 0x1p-53, true},   {"xu1_MAD", 0x1p-53, true},        {"xu1_STD_QN", 0x1p-53, true},
      {"xu1_CSS", 1e-13, false},       {"xu1_CSS", 1e-11, true},          {"xu1_SKEWNESS", 1e-13, false},
      {"xu1_NORMAL", 1e-13, false},    {"xu1_NORMAL", 1e-10, true},       {"xu1_MEAN", 1e-16 * 3 * 0x1p30, false},
      {"xu1_MEDIAN", 0x1p-18, true},   {"xu1_T", 0.5, false},  // no rule for t against MU0=0
  };
  for (const change& c : changes) {
    program_result changed = r;
    changed.steps["far"].row[c.column] += c.by;
    EXPECT_EQ(!rel.faults(mc, changed).empty(), c.fault) << c.column << " plus " << c.by;
  }
  program_result missing = r;
  missing.steps["far"].row["xu1_MAD"] = NAN;
  EXPECT_FALSE(rel.faults(mc, missing).empty());
}

TEST(KnownFailures, AnEntryThatNamesTheDrawComesFirst) {
  std::vector<kes_meta::known_failure> known = kes_meta::read_known_failures(
      "fits times 2^k | values=tiny | Exponential | refused at one scale\n"
      "fits times 2^k | values=tiny at=2:8 | Exponential STD | met in one set of seed 2\n");
  const std::vector<std::string> fault = {"x|Histogram 1|Exponential|Scale|Sigma: fitted for x (1) but not for xs"};
  EXPECT_EQ(kes_meta::explaining(known, "fits times 2^k", "values=tiny", {2, 8}, fault), &known[1]);
  EXPECT_EQ(kes_meta::explaining(known, "fits times 2^k", "values=tiny", {2, 9}, fault), &known[0]);
}

}  // namespace
