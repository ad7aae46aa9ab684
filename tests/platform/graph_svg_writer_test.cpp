// The SVG writer, the text metric and the test's SVG reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "graph/font_metrics.h"
#include "graph/svg_writer.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"

namespace {

using namespace plat::graph;

TEST(svg_writer, number_format) {
  struct row {
    double v;
    const char* text;
  };
  const row rows[] = {{0, "0"},         {-0.0, "0"},       {-0.004, "0"},     {1, "1"},       {1.5, "1.5"},
                      {1.005001, "1.01"}, {-2.345678, "-2.35"}, {640, "640"}, {12345678.9, "12345678.9"},
                      {0.1 + 0.2, "0.3"}, {99.999, "100"}, {-12.05, "-12.05"}, {-0.5, "-0.5"}, {0.07, "0.07"},
                      // Either side of 10^13, where the text stops coming from the hundredths.
                      {9999999999999.99, "9999999999999.99"}, {-1e13, "-10000000000000"},
                      {1e15, "1000000000000000"}, {-2.5e17, "-250000000000000000"}};
  for (const row& r : rows) EXPECT_EQ(svg_number(r.v), r.text) << r.v;
}

// The fast digits of the number format against printf's: the text of the value rounded
// to hundredths, trailing zeros and a lone point dropped, no "-0". Appended, the text
// goes after what the string held.
TEST(svg_writer, appended_number_is_printf_of_the_hundredths) {
  const auto reference = [](double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", std::round(v * 100.0) / 100.0);
    std::string s = buf;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? std::string("0") : s;
  };
  std::vector<double> values = {0, -0.0, 0.005, -0.005, 0.015, 1.005, 2.675, 0.1 + 0.2, 1e13 - 0.01, -1e13 + 0.01};
  std::mt19937_64 gen(20261209);
  for (int scale = -4; scale <= 12; ++scale)
    for (int i = 0; i < 200; ++i) {
      const double u = std::uniform_real_distribution<double>(-1, 1)(gen) * std::pow(10.0, scale);
      values.push_back(u);
      // Hundredths and the halves between them, where rounding decides.
      const double h = std::round(u * 100) / 100;
      values.push_back(h);
      values.push_back(h + 0.005);
      values.push_back(std::nextafter(h + 0.005, 0.0));
    }
  for (double v : values) {
    std::string out = "x=\"";
    append_number(out, v);
    ASSERT_EQ(out, "x=\"" + reference(v)) << v;
    ASSERT_EQ(svg_number(v), reference(v)) << v;
  }
}

TEST(svg_writer, appended_escape_follows_what_was_there) {
  struct row {
    const char* text;
    const char* escaped;
  };
  const row rows[] = {
      {"", ""},
      {"Height (cm)", "Height (cm)"},
      {"a<b & \"c\">d", "a&lt;b &amp; &quot;c&quot;&gt;d"},
      {"tab\tline\nbell\x07", "tab\tline\nbell "},       // control characters but tab and newline
      {"caf\xE9", "caf\xC3\xA9"},                      // a Latin-1 byte becomes its character
      {"caf\xC3\xA9 & co", "caf\xC3\xA9 &amp; co"},      // UTF-8 stays
      {"a\xEF\xBF\xBE" "b\xEF\xBF\xBF" "c", "a b c"},        // U+FFFE and U+FFFF are not XML
  };
  for (const row& r : rows) {
    std::string out = "<t>";
    append_escaped(out, r.text);
    EXPECT_EQ(out, std::string("<t>") + r.escaped) << r.text;
    EXPECT_EQ(svg_escape(r.text), r.escaped) << r.text;
  }
  std::string d = "M0 0";
  append_path_line(d, 1.004, -2.5);
  append_path_move(d, -0.001, 3);
  EXPECT_EQ(d, "M0 0L1 -2.5M0 3");
  EXPECT_EQ(path_move(1.5, 2) + path_line(-1, 0.25), "M1.5 2L-1 0.25");
}

// Advance widths of DejaVu Sans at 2048 units per em (the font's hmtx table): at size
// 2048 a width is the sum of the advances.
TEST(svg_writer, metric_hand_values) {
  EXPECT_DOUBLE_EQ(text_width("A", 2048), 1401);
  EXPECT_DOUBLE_EQ(text_width(" ", 2048), 651);
  EXPECT_DOUBLE_EQ(text_width("A A", 2048), 1401 + 651 + 1401);
  EXPECT_DOUBLE_EQ(text_width("A", 2048, weight::bold), 1585);
  EXPECT_DOUBLE_EQ(text_width("", 12), 0);
  // Linear in the size, for lengths and heights alike.
  EXPECT_DOUBLE_EQ(text_width("Height (cm)", 22), 2 * text_width("Height (cm)", 11));
  EXPECT_DOUBLE_EQ(text_ascent(20), 2 * text_ascent(10));
  EXPECT_GT(text_ascent(10), text_descent(10));
  // Latin-1 bytes that are not UTF-8 count as their characters: "é" either way.
  EXPECT_DOUBLE_EQ(text_width("\xE9", 10), text_width("\xC3\xA9", 10));
  EXPECT_EQ(clean_utf8("caf\xE9"), "caf\xC3\xA9");
  // A character the font lacks takes the missing-glyph box, not nothing.
  EXPECT_GT(text_width("\xE4\xB8\xAD", 10), 0);
}

TEST(svg_writer, text_carries_its_measured_length) {
  svg_writer w(640, 480);
  const double len = w.text(10, 20, "Weight & <mass>", svg_text(12));
  EXPECT_DOUBLE_EQ(len, text_width("Weight & <mass>", 12));
  const std::string doc = w.finish();
  EXPECT_NE(doc.find("textLength=\"" + svg_number(len) + "\""), std::string::npos) << doc;
  EXPECT_NE(doc.find(">Weight &amp; &lt;mass&gt;</text>"), std::string::npos) << doc;
}

TEST(svg_writer, bad_coordinates_drop_the_element_only) {
  svg_writer w(100, 100);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  w.line(0, 0, nan, 1, svg_stroke("#000000"));
  w.rect(1, 1, std::numeric_limits<double>::infinity(), 2, svg_fill("#000000"));
  w.line(0, 0, 1, 1, svg_stroke("#000000"));
  EXPECT_EQ(w.dropped(), 2);
  const std::string doc = w.finish();
  EXPECT_EQ(kes_test::svg_reduce(doc).find("unreadable"), std::string::npos);
  EXPECT_NE(doc.find("<line x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\""), std::string::npos);
}

// One document with every element kind, compared with its golden structurally; the
// same calls give the same bytes twice.
std::string every_element() {
  svg_writer w(640, 480);
  w.set_title("Every element");
  w.set_desc("Lines, shapes and texts of the writer");
  const std::string clip = w.clip_rect(40, 40, 560, 400);
  svg_group g;
  g.clip = clip;
  w.begin_group(g);
  w.line(40, 440, 600, 40, svg_stroke("#0072B2", 2, "6 4"));
  svg_paint round = svg_stroke("#D55E00", 1.5);
  round.round_joins = true;
  w.polyline({{40, 400}, {200, 300}, {400, 350}}, round);
  w.polygon({{100, 100}, {150, 50}, {200, 100}}, svg_fill("#009E73", 0.25));
  w.rect(300, 300, -50, -20, svg_fill_stroke("#C6DBEF", "#4A4A4A"));
  w.circle(320, 240, 2.5, svg_stroke("#1F1F1F"));
  w.path(path_move(10, 10) + path_line(20, 10) + path_line(15, 2) + path_close(), svg_fill("#000000"));
  w.end_group();
  w.text(320, 470, "Height", svg_text(12, svg_anchor::middle));
  w.text(20, 240, "Percent", svg_text(12, svg_anchor::middle, 90));
  w.text(600, 20, "Bold end", svg_text(14, svg_anchor::end, 0, weight::bold));
  EXPECT_EQ(w.next_id("seg"), "seg1");
  EXPECT_EQ(w.next_id("seg"), "seg2");
  return w.finish();
}

TEST(svg_writer, every_element_golden_and_deterministic) {
  const std::string a = every_element(), b = every_element();
  EXPECT_EQ(a, b);
  EXPECT_TRUE(kes_test::svg_matches_golden(a, std::filesystem::path(KES_SOURCE_DIR) /
                                                  "tests/platform/graph_golden/writer_elements.svg"));
}

// The reader: attribute order and number spelling do not matter, structure does.
TEST(svg_reader, reduces_to_structure) {
  const std::string a = "<svg a=\"1\" b=\"2.000\"><g><line x1=\"1.004\" y1='-0.001'/></g><text x=\"3\">A  b</text></svg>";
  const std::string b = "<?xml version=\"1.0\"?>\n<!-- c --><svg b=\"2\" a=\"1.0\">\n <g>\n  <line y1=\"0\" x1=\"1\"/>\n </g>\n <text x=\"3.00\">A b</text></svg>";
  EXPECT_EQ(kes_test::svg_reduce(a), kes_test::svg_reduce(b));
  EXPECT_NE(kes_test::svg_reduce(a), kes_test::svg_reduce("<svg a=\"1\" b=\"2\"><g/><text x=\"3\">A b</text></svg>"));
  // Colours are kept whole: rounding their digits would make #009E73 and #09E73 alike.
  EXPECT_NE(kes_test::svg_reduce("<svg><line stroke=\"#009E73\"/></svg>"),
            kes_test::svg_reduce("<svg><line stroke=\"#09E73\"/></svg>"));
  EXPECT_NE(kes_test::svg_reduce("<svg><line stroke=\"#009E73\"/></svg>").find("#009E73"), std::string::npos);
  for (const char* bad : {"", "<svg>", "<svg a=1/>", "<svg></g>", "text<svg/>"})
    EXPECT_EQ(kes_test::svg_reduce(bad).rfind("unreadable SVG: ", 0), 0u) << bad;
}

}  // namespace

namespace {

// Every golden SVG converts to PNG with rsvg-convert, when it is installed.
TEST(svg_goldens, convert_to_png) {
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "rsvg-convert is not installed";
  const std::filesystem::path src = KES_SOURCE_DIR;
  kes_test::scratch_dir out("png");
  const std::string cmd = (src / "scripts/svg-to-png.sh").string() + " " + (src / "tests/platform/graph_golden").string() +
                          " " + out.path().string() + " 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  int svgs = 0, pngs = 0;
  for (const auto& e : std::filesystem::directory_iterator(src / "tests/platform/graph_golden"))
    svgs += e.path().extension() == ".svg";
  for (const auto& e : std::filesystem::directory_iterator(out.path()))
    pngs += e.path().extension() == ".png" && std::filesystem::file_size(e.path()) > 0;
  EXPECT_EQ(pngs, svgs);
  EXPECT_GT(svgs, 0);
}

}  // namespace
