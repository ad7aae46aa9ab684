// shwylab.h - one axis tick value as text in a ten-character field.
//   int shwylab(out, v, ndec, fmt, trim)
//     out: 10 bytes (blank-padded) or null; *fmt in: the decimals argument of the
//     host's number field service; out: changed only for exponent form (minus the
//     decimals before the exponent, -1 with none). *ndec: decimals shown. trim: the
//     short forms of axes (.5 for 0.5, 1E+05 for 1.0E+05). Returns the text's length.
#pragma once

constexpr int SHWYLAB_WIDTH = 10;

int shwylab(char* out, double v, int* ndec, int* fmt, int trim);
// The same in a field `width` characters wide (out holds that many), for a value the
// ten characters cannot show truly; width below the ten characters counts as ten.
int shwylab_field(char* out, int width, double v, int* ndec, int* fmt, int trim);
