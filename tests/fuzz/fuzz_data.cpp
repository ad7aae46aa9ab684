#include "fuzz/fuzz_data.h"

#include <algorithm>
#include <cstdio>

#include "support/csv_write.h"
#include "support/draws.h"
#include "support/value_scales.h"

namespace kes_fuzz {
namespace {

// The kinds of data set: most are ordinary; the others lie where the statistics and
// the graphs' scales meet the ends of the doubles.
enum class shape {
  ordinary,
  huge,       // near 1e302
  tiny,       // near 1e-300
  negative,   // negative values only
  constant,   // one value throughout
  largest,    // within a factor of two of the largest double, of one sign
  wide,       // from -1.7e308 to 1.7e308
  subnormal,  // below the least normal double
  mixed,      // any of the above, value by value
  nano,       // in units of 1e-9
  e_minus20,  // in units of 1e-20
  billion,    // 1e9 plus or minus 1: seconds since 1970 to a fraction
  integers,   // 1e15 plus integers: microsecond timestamps, large identifiers
  seconds,    // Unix seconds with a spread below a second
};
constexpr int kShapes = 14;

// Uniform on a grid of ten thousandths, so that the values' digits stay few.
double uniform(const kes_test::draws& d) { return d.below(10000) / 10000.0; }

// One value of a data set of that shape; spread is how far ordinary values range.
double value(const kes_test::draws& d, shape s, double spread, bool negate) {
  const double u = uniform(d), lift = d.below(3) == 0 ? 0 : 1;
  switch (s) {
    case shape::huge:
      return 1e300 * (u * spread + lift);
    case shape::tiny:
      return kes_test::in_unit(u * spread + lift, kes_test::kTinyUnit);
    case shape::negative:
      return -(u * spread + lift);
    case shape::constant:
      return 3;
    case shape::largest:
      return (negate ? -1.7e308 : 1.7e308) * (0.5 + 0.5 * u);
    case shape::wide:
      return 1.7e308 * (2 * u - 1);
    case shape::subnormal:
      return kes_test::subnormal_multiple(static_cast<double>(1 + d.below(1000000)));
    case shape::mixed: {
      // The sign drawn first, as the data of a seed have always drawn it.
      const bool negated = d.below(2) == 0;
      return value(d, static_cast<shape>(d.below(kShapes - 1)), spread, negated);
    }
    case shape::nano:
      return kes_test::in_unit(u * spread + lift, kes_test::kNanoUnit);
    case shape::e_minus20:
      return kes_test::in_unit(u * spread + lift, kes_test::kUnit1eMinus20);
    case shape::billion:
      return 1e9 + (2 * u - 1) * (negate ? 1 : 0.05);
    case shape::integers:
      return 1e15 + d.below(101);
    case shape::seconds:
      return 1733650000.204 + 0.489 * u;
    case shape::ordinary:
      break;
  }
  return u * spread + lift;
}

}  // namespace

std::string fuzz_data(std::mt19937_64& rng) {
  const kes_test::draws d{rng};
  const int rows = d.below(40);
  // Half the data sets are ordinary, the rest spread over the edge shapes.
  const int pick = d.below(2 * (kShapes - 1));
  const shape s = pick < kShapes - 1 ? shape::ordinary : static_cast<shape>(pick - (kShapes - 1) + 1);
  const bool negate = d.below(2) == 0;
  std::string csv = kes_test::csv_line({"x", "y", "w", "f", "g", "h", "id"});
  // Most data sets have four groups; some twelve, one of them a single row, some names
  // of over 240 characters (as the OVERLAY legends and notes must show them).
  static const std::string long_name(241, 'L');
  const std::string levels4[] = {"a", "b", "c", "long level name"};
  const std::string levels12[] = {"C01", "C02", "C03", "C04", "C05", "C06", "C07", "C08", "C09", "C10", "C11", "C12"};
  const std::string levels_long[] = {long_name + "1", long_name + "2", "b", long_name + "3"};
  const int kind = d.below(6);
  const std::string* levels = kind == 4 ? levels12 : kind == 5 ? levels_long : levels4;
  const int groups = kind == 4 ? 12 : 4;
  // Enough digits that values near the ends keep their place and stay finite, and that
  // values at an offset keep their spread.
  const bool offset = s == shape::billion || s == shape::integers || s == shape::seconds;
  auto num = [&](double spread) {
    if (d.below(12) == 0) return std::string(".");
    return kes_test::number_text(value(d, s, spread, negate), offset ? "%.17g" : "%.9g");
  };
  for (int i = 0; i < rows; ++i) {
    // A row's fields are drawn from the last to the first: the order its data sets have
    // always been drawn in.
    const std::string h = std::to_string(d.below(3)), f = std::to_string(d.below(4));
    const std::string w = num(3), y = num(5), x = num(100);
    const std::string& g =
        kind == 4 && i == rows - 1 ? levels[groups - 1] : levels[(i * (groups - 1) / std::max(rows, 1)) % groups];
    csv += kes_test::csv_line({x, y, w, f, g, h, "r" + std::to_string(i)});
  }
  return csv;
}

}  // namespace kes_fuzz
