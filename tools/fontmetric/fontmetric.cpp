// fontmetric: reads TrueType fonts and writes the advance-width table that the
// stand-in's text metric uses, so that texts are laid out and drawn with one width.
//
//   fontmetric OUT.cpp FONT.ttf [FONT.ttf ...]
//
// For each font: its family and style, its version text, units per em, ascender and
// descender, and the advance width of every character from U+0020 to U+024F and of a
// few typographic characters (dashes, quotes, ellipsis, minus), 0 where the font has
// no glyph. The output is a C++ source that includes "graph/font_metrics.h".
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using bytes = std::vector<unsigned char>;

unsigned u16(const bytes& b, std::size_t at) {
  if (at + 2 > b.size()) return 0;
  return static_cast<unsigned>(b[at]) << 8 | b[at + 1];
}
int s16(const bytes& b, std::size_t at) { return static_cast<std::int16_t>(u16(b, at)); }
std::uint32_t u32(const bytes& b, std::size_t at) { return static_cast<std::uint32_t>(u16(b, at)) << 16 | u16(b, at + 2); }

struct font {
  std::string family, style, version;
  unsigned units_per_em = 0;
  int ascender = 0, descender = 0;
  std::map<unsigned, unsigned> advance;  // code point -> advance
};

bool fail(const std::string& what) {
  std::fprintf(stderr, "fontmetric: %s\n", what.c_str());
  return false;
}

// A name record (platform 3, Unicode BMP, or 1, Roman) as plain ASCII.
std::string name_of(const bytes& b, std::size_t name, unsigned id) {
  const unsigned count = u16(b, name + 2), strings = name + u16(b, name + 4);
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t r = name + 6 + 12 * i;
    const unsigned platform = u16(b, r), nid = u16(b, r + 6), len = u16(b, r + 8), off = u16(b, r + 10);
    if (nid != id || (platform != 3 && platform != 1)) continue;
    std::string s;
    const unsigned step = platform == 3 ? 2 : 1;
    for (unsigned k = platform == 3 ? 1 : 0; k < len; k += step) {
      const unsigned char c = b[strings + off + k];
      if (c >= 32 && c < 127) s += static_cast<char>(c);
    }
    return s;
  }
  return "";
}

bool read_font(const std::string& path, font* f) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("cannot read " + path);
  bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::map<std::string, std::size_t> tables;
  const unsigned ntables = u16(b, 4);
  for (unsigned i = 0; i < ntables; ++i) {
    const std::size_t r = 12 + 16 * i;
    if (r + 16 > b.size()) return fail(path + ": truncated table directory");
    tables[std::string(reinterpret_cast<const char*>(&b[r]), 4)] = u32(b, r + 8);
  }
  for (const char* t : {"head", "hhea", "hmtx", "cmap", "name"})
    if (!tables.count(t)) return fail(path + ": no " + t + " table");
  f->units_per_em = u16(b, tables["head"] + 18);
  const std::size_t hhea = tables["hhea"];
  f->ascender = s16(b, hhea + 4);
  f->descender = s16(b, hhea + 6);
  const unsigned nmetrics = u16(b, hhea + 34);
  const std::size_t hmtx = tables["hmtx"];
  auto advance_of = [&](unsigned glyph) {
    return u16(b, hmtx + 4 * (glyph < nmetrics ? glyph : nmetrics - 1));
  };
  f->family = name_of(b, tables["name"], 1);
  f->style = name_of(b, tables["name"], 2);
  f->version = name_of(b, tables["name"], 5);
  // The Unicode BMP subtable, format 4.
  const std::size_t cmap = tables["cmap"];
  std::size_t sub = 0;
  for (unsigned i = 0, n = u16(b, cmap + 2); i < n; ++i) {
    const std::size_t r = cmap + 4 + 8 * i;
    if (u16(b, r) == 3 && u16(b, r + 2) == 1) sub = cmap + u32(b, r + 4);
  }
  if (sub == 0 || u16(b, sub) != 4) return fail(path + ": no format-4 Unicode character map");
  const unsigned segs = u16(b, sub + 6) / 2;
  const std::size_t ends = sub + 14, starts = ends + 2 * segs + 2, deltas = starts + 2 * segs,
                    ranges = deltas + 2 * segs;
  auto glyph_of = [&](unsigned c) -> unsigned {
    for (unsigned s = 0; s < segs; ++s) {
      if (c > u16(b, ends + 2 * s)) continue;
      const unsigned start = u16(b, starts + 2 * s);
      if (c < start) return 0;
      const unsigned delta = u16(b, deltas + 2 * s), range = u16(b, ranges + 2 * s);
      if (range == 0) return (c + delta) & 0xFFFF;
      const unsigned g = u16(b, ranges + 2 * s + range + 2 * (c - start));
      return g == 0 ? 0 : (g + delta) & 0xFFFF;
    }
    return 0;
  };
  std::vector<unsigned> wanted;
  for (unsigned c = 0x20; c <= 0x24F; ++c) wanted.push_back(c);
  for (unsigned c : {0x2013u, 0x2014u, 0x2018u, 0x2019u, 0x201Cu, 0x201Du, 0x2022u, 0x2026u, 0x2212u})
    wanted.push_back(c);
  for (unsigned c : wanted) {
    const unsigned g = glyph_of(c);
    f->advance[c] = g == 0 ? 0 : advance_of(g);
  }
  f->advance[0] = advance_of(0);  // the missing-glyph box
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: fontmetric OUT.cpp FONT.ttf [FONT.ttf ...]\n");
    return 2;
  }
  std::vector<font> fonts(static_cast<std::size_t>(argc - 2));
  for (int i = 2; i < argc; ++i)
    if (!read_font(argv[i], &fonts[static_cast<std::size_t>(i - 2)])) return 1;
  FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return fail(std::string("cannot write ") + argv[1]), 1;
  std::fprintf(out, "// DO NOT EDIT: written by tools/fontmetric from\n");
  for (const font& f : fonts)
    std::fprintf(out, "//   %s %s, %s\n", f.family.c_str(), f.style.c_str(), f.version.c_str());
  std::fprintf(out, "// (Debian package fonts-dejavu-core). Advance widths in font units.\n");
  std::fprintf(out, "#include \"graph/font_metrics.h\"\n\nnamespace plat::graph {\nnamespace {\n\n");
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    std::fprintf(out, "const font_advance kAdvance%zu[] = {\n", i);
    int col = 0;
    for (const auto& [c, w] : fonts[i].advance) {
      if (w == 0 && c != 0) continue;
      std::fprintf(out, "%s{0x%04X, %4u},", col == 0 ? "    " : " ", c, w);
      if (++col == 6) std::fprintf(out, "\n"), col = 0;
    }
    std::fprintf(out, "%s};\n\n", col ? "\n" : "");
  }
  std::fprintf(out, "}  // namespace\n\nconst font_table kFontTables[] = {\n");
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    const font& f = fonts[i];
    std::fprintf(out, "    {\"%s\", \"%s\", \"%s\", %u, %d, %d, kAdvance%zu, sizeof kAdvance%zu / sizeof kAdvance%zu[0]},\n",
                 f.family.c_str(), f.style.c_str(), f.version.c_str(), f.units_per_em, f.ascender, f.descender, i,
                 i, i);
  }
  std::fprintf(out, "};\nconst int kFontTableCount = %zu;\n\n}  // namespace plat::graph\n", fonts.size());
  return std::fclose(out) == 0 ? 0 : 1;
}
