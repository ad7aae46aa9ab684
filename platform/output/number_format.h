// Number texts of the output system: the listing's fixed, best and p-value forms,
// the JSON form, and the kinds of missing values.
#pragma once
#include <string>

namespace plat::out {

// Decimals value of a column that asks for the best form.
constexpr int kBestDecimals = 99;

// The kind of missing value a double holds: 0 when it is a number, '.' for the
// standard missing value (and any NaN not of a special kind), '_' or 'A'..'Z'.
char missing_kind(double v);

// The shortest text that reads back as exactly v ("0.1", "1e-20", "123456789").
std::string shortest_text(double v);

// The most precise text of v that fits in width characters: the shortest exact text
// when it fits, else a rounded fixed text, or an E form ("1.2346E8") when that keeps
// more significant digits; stars when nothing fits.
std::string format_best(double v, int width);

// v with exactly `decimals` decimals; the best form of the width when that does not fit.
std::string format_fixed(double v, int width, int decimals);

// The fewest decimals, at most max_decimals, that show v as precisely as max_decimals do.
int decimals_needed(double v, int max_decimals);

// A probability with four decimals; below 0.0001 it reads "<.0001".
std::string format_pvalue(double v);

}  // namespace plat::out
