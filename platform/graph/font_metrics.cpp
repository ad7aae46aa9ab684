// Text widths from the committed advance table.
#include "graph/font_metrics.h"

#include <algorithm>

#include "host/kes_utf8.h"

namespace plat::graph {
namespace {

const font_table& table_for(weight w) { return kFontTables[w == weight::bold && kFontTableCount > 1 ? 1 : 0]; }

unsigned advance_of(const font_table& t, char32_t c) {
  const font_advance* end = t.advances + t.count;
  const font_advance* it =
      std::lower_bound(t.advances, end, static_cast<unsigned>(c), [](const font_advance& a, unsigned v) { return a.code < v; });
  if (it != end && it->code == c) return it->width;
  return t.advances[0].code == 0 ? t.advances[0].width : 0;
}

}  // namespace

std::u32string decode_utf8(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t n = kes_utf8_char_length(s, i);
    if (n == 0) {
      // A byte that is not UTF-8 is taken as its Latin-1 character.
      out.push_back(c);
      ++i;
      continue;
    }
    char32_t cp = n == 1 ? c : c & (0x7Fu >> n);
    for (std::size_t k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(cp);
    i += n;
  }
  return out;
}

std::string encode_utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

namespace {
// Texts of plain ASCII (most texts of a graph) decode to their own bytes.
bool ascii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
}  // namespace

std::string clean_utf8(std::string_view s) {
  if (ascii(s)) return std::string(s);
  std::string out;
  out.reserve(s.size());
  for (char32_t c : decode_utf8(s)) out += encode_utf8(c);
  return out;
}

double char_width(char32_t c, double size, weight w) {
  const font_table& t = table_for(w);
  return static_cast<double>(advance_of(t, c)) * size / t.units_per_em;
}

double text_width(std::string_view text, double size, weight w) {
  const font_table& t = table_for(w);
  unsigned long units = 0;
  if (ascii(text))
    for (char c : text) units += advance_of(t, static_cast<char32_t>(c));
  else
    for (char32_t c : decode_utf8(text)) units += advance_of(t, c);
  return static_cast<double>(units) * size / t.units_per_em;
}

double text_ascent(double size) {
  const font_table& t = kFontTables[0];
  return size * t.ascender / t.units_per_em;
}
double text_descent(double size) {
  const font_table& t = kFontTables[0];
  return -size * t.descender / t.units_per_em;
}

std::string font_name() {
  const font_table& t = kFontTables[0];
  return std::string(t.family) + " " + t.version;
}

}  // namespace plat::graph
