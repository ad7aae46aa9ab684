// The one text metric of the stand-in's graphs: the advance widths of DejaVu Sans
// (regular and bold), so that the width a text is laid out with is the width it is
// drawn with (every SVG text carries it as textLength). Heights are linear in the size.
#pragma once
#include <string>
#include <string_view>

namespace plat::graph {

struct font_advance {
  unsigned code;   // Unicode code point (0: the missing-glyph box)
  unsigned width;  // advance in font units
};
struct font_table {
  const char* family;
  const char* style;
  const char* version;
  unsigned units_per_em;
  int ascender, descender;  // font units; the descender is negative
  const font_advance* advances;
  unsigned count;           // ascending by code
};
// The tables tools/fontmetric wrote: regular first, then bold.
extern const font_table kFontTables[];
extern const int kFontTableCount;

enum class weight { regular, bold };

// Width of a UTF-8 text at a font size, in the unit of the size (a byte that is not
// part of valid UTF-8 counts as the Latin-1 character of its value; a character the
// font lacks has the width of the missing-glyph box).
double text_width(std::string_view text, double size, weight w = weight::regular);
// Width of one character at a font size.
double char_width(char32_t c, double size, weight w = weight::regular);
// Ascent above and descent below the baseline at a font size (both positive).
double text_ascent(double size);
double text_descent(double size);
// The font's name and version, as the table records them.
std::string font_name();

// The code points of a text read as text_width reads it.
std::u32string decode_utf8(std::string_view text);
// One code point as UTF-8.
std::string encode_utf8(char32_t c);
// The same text as valid UTF-8 (invalid bytes taken as Latin-1).
std::string clean_utf8(std::string_view text);

}  // namespace plat::graph
