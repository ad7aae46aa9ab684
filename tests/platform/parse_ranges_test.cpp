// A list `a to b by c` holds each value as its decimal a + i x c: -2 to 2 by 0.4
// lists -0.8, not -0.7999999999999998, over offsets 0, 1e6, 1.7e9 and -1e6 and steps
// of tenths to millionths, typed over several lines with comments. The expected
// values are strtod of decimals formed here in integers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "host/exact_decimal.h"
#include "host/kes_stmt.h"
#include "kes_gram_names.h"
#include "parse_test_util.h"
#include "records/stmt_slots.h"

namespace {

// The first statement whose 8-character name begins with `name`.
const kes_stmt* statement(const char* name) {
  const size_t n = std::min<size_t>(std::strlen(name), 8);
  for (const kes_stmt* s = parse_test::first_node(); s != nullptr; s = s->next)
    if (std::memcmp(s->name, name, n) == 0) return s;
  return nullptr;
}

// m x 10^q (q <= 0) as typed: "-2", "0.4", "1000000000.005".
std::string typed(long long m, int q) {
  const bool neg = m < 0;
  std::string d = std::to_string(neg ? -m : m);
  if (static_cast<int>(d.size()) <= -q) d.insert(0, static_cast<size_t>(1 - q - static_cast<int>(d.size())), '0');
  std::string whole = d.substr(0, d.size() - static_cast<size_t>(-q)), frac = d.substr(whole.size());
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  return (neg ? "-" : "") + whole + (frac.empty() ? "" : "." + frac);
}

TEST(ParseRanges, EveryValueOfARangeIsItsDecimal) {
  // offset in units of the step's last digit 10^q; step in those units.
  struct range_case {
    long long from;  // the first value, in units
    int count;
    long long by;
    int q;
  };
  const range_case cases[] = {
      {-20, 11, 4, -1},                    // -2 to 2 by 0.4
      {1, 9, 1, -1},                       // 0.1 to 0.9 by 0.1
      {5, 5, 10, -3},                      // 0.005 to 0.045 by 0.01
      {1000000000005, 5, 10, -3},          // 1000000000.005 to 1000000000.045 by 0.01
      {17000000003, 20, 3, -1},            // 1700000000.3 by 0.3
      {-10000000000, 30, 7, -4},           // -1000000 by 0.0007
      {12345, 40, 25, -6},                 // 0.012345 by 0.000025
  };
  for (const range_case& c : cases) {
    const std::string from = typed(c.from, c.q), to = typed(c.from + (c.count - 1) * c.by, c.q),
                      by = typed(c.by, c.q);
    const std::string text = "proc kestravine data=class;\n  histogram / midpoints =\n    " + from + " to " + to +
                             "  /* a range */\n    by " + by + ";\n";
    SCOPED_TRACE(text);
    const parse_test::result p = parse_test::parse(text);
    ASSERT_EQ(p.errors, 0);
    const kes_stmt* h = statement("HISTOGRAM");
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(kes_pcount(h, KES_PLOT_SLOT_MIDPOINTS), c.count);
    const double* v = kes_pnumbers(h, KES_PLOT_SLOT_MIDPOINTS);
    for (int i = 0; i < c.count; ++i)
      EXPECT_EQ(v[i], kes_test_decimal::nearest(c.from + i * c.by, c.q)) << i;
  }
}

}  // namespace
