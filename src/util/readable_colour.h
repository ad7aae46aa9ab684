// Texts in a colour the program did not choose, drawn over a fill it did: the text
// keeps its colour where it stands apart from the fill, else takes black or white,
// whichever stands further apart. Colours are device colour numbers.
#pragma once

// Relative luminance (0 to 1) of a device colour; -1 when the host has no red, green
// and blue for its number.
double kes_colour_luminance(int colour);
// The colour a default text of colour `text` takes over `fill` (a negative fill: none,
// and the text is kept).
int kes_readable_colour(int text, int fill);
