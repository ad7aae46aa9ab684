// A fitted parameter as a graph shows it: the shortest text that shows it exactly
// within 8 characters, so that the legends and axis labels of both renderers agree.
#pragma once

constexpr int KES_PARAM_TEXT = 8;
// The text, NUL-terminated; returns its length.
int kes_param_text(double v, char out[KES_PARAM_TEXT + 1]);
// The value that text reads as, for message texts that take a number.
double kes_param_value(double v);
