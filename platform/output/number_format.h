// Number texts of the output system: the listing's fixed, best and p-value forms,
// the JSON form, and the kinds of missing values. The best, fixed, exact and
// missing-value texts are the host's shared ones (core/number_text.h); decimals shared
// by a column and p-values are the listing's own.
#pragma once
#include <string>

#include "core/number_text.h"

namespace plat::out {

// Decimals value of a column that asks for the best form.
constexpr int kBestDecimals = 99;

using plat::missing_kind;
using plat::shortest_text;

// The listing's best and fixed forms are the host's shared ones, not padded.
inline std::string format_best(double v, int width) { return best_text(v, width); }
inline std::string format_fixed(double v, int width, int decimals) { return fixed_text(v, width, decimals); }

// The fewest decimals, at most max_decimals, that show v as precisely as max_decimals do.
int decimals_needed(double v, int max_decimals);

// The length of v written with that many decimals, and the digits of that text from
// its first nonzero one: beyond kDoubleDigits (the most a double's shortest text
// has) they are no longer the double's.
int fixed_width(double v, int decimals);
int significant_digits(double v, int decimals);
constexpr int kDoubleDigits = 17;

// A probability with four decimals; below 0.0001 it reads "<.0001".
std::string format_pvalue(double v);

}  // namespace plat::out
