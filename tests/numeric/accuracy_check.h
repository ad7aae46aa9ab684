// accuracy_check.h - reference tables and the one accuracy check of the numeric tests.
//
// Reference tables are data files under tests/numeric/ref/, written by the script named
// in their first line and never edited by hand:
//
//   # DO NOT EDIT: written by ref/NAME.py (mpmath 1.2.1 at 50 digits; R 4.2.2)
//   # further comment lines are allowed anywhere
//   x        a        p                      q
//   0.3      0.5      0.56142197391900017    0.43857802608099988
//
// Fields are separated by blanks or tabs; numbers are read with strtod (so inf, -inf and
// nan are accepted); the first line that is not a comment names the columns.
//
//   const RefTable& t = ref_table("igamma.tsv");    // loaded once, cached
//   check_accuracy("zigamma density", t, [](const RefRow& r) -> Cmp {
//     double p, q, d;
//     EXPECT_EQ(zigamma(r["x"], r["a"], &p, &q, &d), 0);
//     return {d, r["d"], 1e-13};                   // relative error unless Err::absolute
//   });
//
// check_accuracy runs the lambda over every row (return std::nullopt to skip a row),
// prints the largest and RMS error and fails the test when a row's error exceeds its
// tolerance, naming the worst row.  EXPECTs inside the lambda name the row too.  A row
// holding several values returns worst_of them; a routine that evaluates one of two
// complementary tails returns evaluated_of the two comparisons.
//
// check_exact compares a table of {label, computed, expected} exactly.
//
// check_refusals runs one table of bad arguments through a routine and compares the
// status and every output (bit for bit, so the missing-value pattern is checked):
//
//   check_refusals("zigamma", {{{1.0, -1.0}, 1, {-2.0, -2.0, 0.0}}, ...},
//                  [](const std::vector<double>& a, std::vector<double>& out) {
//                    out.resize(3);
//                    return zigamma(a[0], a[1], &out[0], &out[1], &out[2]);
//                  });
#pragma once
#include <cmath>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class RefTable;

// One row of a reference table; r["x"] is the value in column x (an unknown column
// fails the test and gives NaN).
class RefRow {
 public:
  RefRow(const RefTable* table, std::size_t index) : table_(table), index_(index) {}
  double operator[](std::string_view column) const;
  // "line 12: x=0.3 a=0.5 ..." for messages.
  std::string describe() const;

 private:
  const RefTable* table_;
  std::size_t index_;
};

class RefTable {
 public:
  // Reads `path`; a missing file, a missing DO NOT EDIT line or a malformed row fails
  // the current test and leaves the table empty.
  static RefTable load(const std::string& path);

  std::size_t size() const { return rows_.size(); }
  RefRow row(std::size_t i) const { return RefRow(this, i); }
  const std::vector<std::string>& columns() const { return columns_; }
  std::optional<std::size_t> column(std::string_view name) const;
  double value(std::size_t row, std::size_t column) const { return rows_[row][column]; }
  int line(std::size_t row) const { return lines_[row]; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::vector<std::string> columns_;
  std::vector<std::vector<double>> rows_;
  std::vector<int> lines_;
};

// The table tests/numeric/ref/<name>, loaded on first use.
const RefTable& ref_table(const std::string& name);

enum class Err { relative, absolute };

// One comparison: the computed value, the reference and the error allowed.  A relative
// error is |got - want| / |want|, or |got| when want is 0; an absolute one is
// |got - want| / scale.  Equal values (also equal infinities) have error 0; a NaN on one
// side only has an infinite error.
struct Cmp {
  double got;
  double want;
  double tol;
  Err kind = Err::relative;
  double scale = 1.0;
};

double error_of(const Cmp& c);

// Of two comparisons, the one with the smaller error relative to its tolerance: for a
// routine that evaluates one of two complementary tails and derives the other, this
// checks whichever tail it evaluated without restating its rule.
Cmp evaluated_of(const Cmp& a, const Cmp& b);

// Of several comparisons (the values of one row), the one furthest over its tolerance.
Cmp worst_of(const std::vector<Cmp>& cmps);

struct AccuracySummary {
  std::size_t rows = 0;      // rows compared
  std::size_t failures = 0;  // rows over their tolerance
  double max = 0.0;          // largest error
  double rms = 0.0;          // root mean square of the errors
};

using RowCheck = std::function<std::optional<Cmp>(const RefRow&)>;

AccuracySummary check_accuracy(const std::string& label, const RefTable& table, const RowCheck& fn);

// One refused argument tuple: the status expected and the value each output must hold.
struct Refusal {
  std::vector<double> args;
  int status;
  std::vector<double> outputs;
};

// fn calls the routine with args, resizes out and stores the outputs in it; returns the status.
using RefusalCall = std::function<int(const std::vector<double>& args, std::vector<double>& out)>;

void check_refusals(const std::string& label, const std::vector<Refusal>& table, const RefusalCall& fn);

// Exact values: each `got` must equal `want` (a NaN `want` accepts any NaN).
struct Exact {
  const char* what;
  double got;
  double want;
};
void check_exact(const std::vector<Exact>& table);

// A logarithm compared absolutely up to |value| = 1 and relatively beyond, so that ln
// of a tail near 1 (a value near 0) and ln of a far tail (-700) are judged alike.
inline Cmp logcmp(double got, double want, double tol) {
  const double s = std::fabs(want) > 1.0 ? std::fabs(want) : 1.0;
  return {got / s, want / s, tol, Err::absolute};
}

// Same value, bit for bit for NaNs (the missing pattern differs from other NaNs); 0 == -0.
bool same_value(double a, double b);
