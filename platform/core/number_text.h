// Number texts shared by the data formats (values, CLASS and BY texts, CSV files) and
// the output system (listing and JSON): missing-value texts, the shortest exact text
// of a double, the best form in a width and fixed decimals.
#pragma once
#include <string>

namespace plat {

// The kind of missing value v holds: 0 for a number, '.' for the standard missing
// value (and for a NaN of no special kind), '_' or 'A' to 'Z'.
char missing_kind(double v);

// ".", "._" or ".A" to ".Z" for a missing value ("." for a NaN of no special kind).
std::string missing_text(double v);

// The shortest text that reads back as exactly v: "0.1", "1e-20", "123456789", "-0".
std::string shortest_text(double v);

// The best form of v in at most width characters, not padded: the form that shows
// the most significant digits, never more than the shortest exact text has. That is
// the shortest exact text in fixed notation when it fits ("0.1", "1234567.891");
// else fixed notation rounded to the most decimals that fit ("0.3333333333"); else,
// or when it keeps more digits, E notation ("1.2346E8", "1.234E-10"); of as many digits
// the nearer to v, fixed notation on a tie (5e-9 in 10 is "5E-9": the one digit of
// "0.00000001" is a carry). A value that shows no significant digit in any form that fits prints as
// width asterisks. Missing values print as missing_text(v), infinities as "Inf" or
// "-Inf" (asterisks when those do not fit). An empty text when width < 1.
std::string best_text(double v, int width);

// v in E notation with m significant digits (1 to 17), trailing mantissa zeros
// dropped: "1.2345E-12", "-3E100".
std::string e_text(double v, int m);

// v with exactly `decimals` decimals (no "-0.00") when that fits in width, else
// best_text(v, width). Missing values print as missing_text(v).
std::string fixed_text(double v, int width, int decimals);

}  // namespace plat
