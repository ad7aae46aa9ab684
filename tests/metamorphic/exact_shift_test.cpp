// Values moved by an exact shift: data y at the origin and x = y + c where every x is
// exact (multiples of a power of two, c an integer from 1e6 to 1e15, the spread down
// to 1e-13 of the offset), with and without weights of any mix of scales. The spread
// and shape of x are those of y, so STD, VAR, CSS, SKEWNESS and KURTOSIS keep their
// values (within 1e-12 of themselves) and no note of rounding error appears: the
// runs at the origin, where the statistics have no offset to lose digits to, are the
// reference.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>

#include "metamorphic/dyadic_draws.h"
#include "metamorphic/meta_run.h"
#include "support/csv_write.h"
#include "support/scratch_files.h"

namespace {

using kes_test::number_text;

constexpr double kSame = 1e-12;
const char* const kStats[] = {"STD", "VAR", "CSS", "SKEWNESS", "KURTOSIS"};

struct shift_case {
  std::string name;
  double c;
  std::vector<double> y, w;  // w empty: no weights
};

// n values of spread about s: multiples of the finest power of two at which y + c is
// exact for every y, drawn normal, uniform or skewed (exponential) by form.
std::vector<double> values(kes_meta::draws& d, int n, double c, double s, int form) {
  const int j = kes_meta::finest_power(c, s);
  std::vector<double> y;
  for (long long k : kes_meta::dyadic_counts(d, n, s, j, form)) y.push_back(std::ldexp(static_cast<double>(k), -j));
  return y;
}

std::vector<shift_case> cases() {
  std::vector<shift_case> all;
  kes_meta::draws d{20261208};
  const double offsets[] = {1e6, 1e9, 0x1p40, 1e12, 1e15};
  const double shares[] = {1e-3, 1e-7, 1e-10, 1e-13};
  int k = 0;
  for (double c : offsets)
    for (double share : shares) {
      const int form = k % 3;
      const int n = 5 + static_cast<int>(d.u() * 200);
      shift_case sc{"c=" + std::to_string(c) + " spread=" + std::to_string(share) + " form " + std::to_string(form), c,
                    values(d, n, c, std::fmax(c * share, 0x1p-20), form), {}};
      // Every other case weighted: everyday weights, or weights of mixed scale.
      if (k % 2 == 1) {
        const bool mixed = k % 4 == 3;
        for (int i = 0; i < n; ++i)
          sc.w.push_back(mixed ? std::ldexp(1.0, static_cast<int>(d.u() * 1200) - 600) : 0.5 + 4 * d.u());
        sc.name += mixed ? " mixed weights" : " weights";
      }
      all.push_back(sc);
      ++k;
    }
  // Integers at 1e15: the microsecond timestamps of the issue.
  shift_case ints{"1e15 + 0..100", 1e15, {}, {}};
  for (int i = 0; i <= 100; ++i) ints.y.push_back(i);
  all.push_back(ints);
  return all;
}

TEST(ExactShift, SpreadAndShapeKeepTheirValuesAndNoRoundingNoteAppears) {
  const std::vector<shift_case> all = cases();
  std::map<std::string, std::string> data;
  std::string program = "options linesize=100;\n";
  std::vector<std::string> names;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const shift_case& sc = all[i];
    std::ostringstream csv;
    csv << (sc.w.empty() ? "y,x\n" : "y,x,w\n");
    for (std::size_t r = 0; r < sc.y.size(); ++r) {
      csv << number_text(sc.y[r]) << "," << number_text(sc.y[r] + sc.c);
      if (!sc.w.empty()) csv << "," << number_text(sc.w[r]);
      csv << "\n";
    }
    const std::string name = "s" + std::to_string(i);
    data["d" + std::to_string(i)] = csv.str();
    program += "proc kestravine data=d" + std::to_string(i) + " noprint;\n  var y x;\n";
    if (!sc.w.empty()) program += "  weight w;\n";
    program += "  output out=" + name;
    for (const char* kw : kStats) program += std::string(" ") + kw + "=y_" + kw + " x_" + kw;
    program += ";\nrun;\n";
    names.push_back(name);
  }
  kes_test::scratch_dir dir("exact_shift");
  const kes_meta::program_result r = kes_meta::run_steps(dir.path(), data, program, names);
  ASSERT_EQ(r.status, 0) << r.log;
  EXPECT_EQ(r.log.find("rounding error"), std::string::npos) << r.log;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const auto& row = r.steps.at(names[i]).row;
    ASSERT_FALSE(row.empty()) << all[i].name;
    for (const char* kw : kStats) {
      const double a = row.at(std::string("y_") + kw), b = row.at(std::string("x_") + kw);
      if (std::isnan(a)) continue;  // a shape of too few values
      const double scale = std::string(kw) == "SKEWNESS" || std::string(kw) == "KURTOSIS" ? std::fmax(1, std::fabs(a))
                                                                                          : std::fabs(a);
      EXPECT_LE(std::fabs(a - b), kSame * scale)
          << all[i].name << ": " << kw << " " << number_text(a) << " at the origin, " << number_text(b) << " at the offset";
    }
  }
}

}  // namespace
