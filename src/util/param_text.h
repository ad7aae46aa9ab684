// A fitted parameter as a graph shows it, from its double: its shortest exact text
// when that has at most KES_PARAM_EXACT_DIGITS significant digits, else the value
// rounded to the most digits KES_PARAM_FIELD characters hold, with its trailing zeros
// and decimal point (1.7336E9, 1.0000E9, 0.333333; never 1733600000 or 1E9), so that
// the legends and axis labels of both renderers agree and read as rounded where they
// are.
#pragma once

constexpr int KES_PARAM_FIELD = 8;
constexpr int KES_PARAM_EXACT_DIGITS = 10;
// The longest text: a double's shortest exact text in E notation.
constexpr int KES_PARAM_TEXT = 24;
// The text, NUL-terminated; returns its length.
int kes_param_text(double v, char out[KES_PARAM_TEXT + 1]);
// The value that text reads as, for message texts that take a number.
double kes_param_value(double v);
