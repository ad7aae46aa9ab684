// The graphics device: scripted service calls against golden SVG files (compared
// structurally), hand-computed text extents and clipping, colours, units and the
// names of graph files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "graph/device_state.h"
#include "graph/font_metrics.h"
#include "support/scratch_files.h"
#include "support/svg_marks.h"
#include "support/svg_reader.h"

namespace {

namespace fs = std::filesystem;

fs::path golden(const std::string& name) { return fs::path(KES_SOURCE_DIR) / "tests/platform/graph_golden" / name; }

// One step with the device started on a 640 x 480 page and one segment open; close()
// writes the segment's file into the scratch graphs folder and returns its text.
class device_page : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::config().graphs_dir = work_.root().string();
    plat::begin_step();
    plat::graph::forget_graph_files();
    opts_ = plat_ggznew(nullptr);
    ASSERT_EQ(plat_gginit(opts_), 0);
    ASSERT_EQ(plat_ggadcat(0, "        ", 4 << 16 | 4, "GSEG", &catalog_, 4, 1), 0);
  }
  void TearDown() override { plat::finish_step(); }

  void open(const char* name, const char* descr = "A test page") {
    char d[64];
    std::memset(d, ' ', sizeof d);
    std::memcpy(d, descr, std::strlen(descr));
    int number = 0;
    host_gsegid seg{};
    ASSERT_EQ(plat_ggoseg(0, 64, catalog_, &number, &seg, name, nullptr, d, 1, 1, 0, nullptr, 0), 0);
    ASSERT_EQ(plat_ggsel(0, number), 0);
  }
  std::string close(std::string* file = nullptr) {
    void* closed = nullptr;
    EXPECT_EQ(plat_ggcseg(0, &closed, 0), 0);
    const auto* c = static_cast<const plat::graph::closed_segment*>(closed);
    if (c == nullptr) return {};
    if (file != nullptr) *file = fs::path(c->file).filename().string();
    return kes_test::slurp(c->file);
  }
  int colour(const char* name) {
    char n[8];
    std::memset(n, ' ', 8);
    std::memcpy(n, name, std::strlen(name) < 8 ? std::strlen(name) : 8);
    return plat_ggcnum(0, n);
  }

  kes_test::scratch_work work_{"graph"};
  gdevopts* opts_ = nullptr;
  void* catalog_ = nullptr;
};

// Line types 1 (solid), 2 (dashed), 3, 4, 5, a type past the table and the last,
// widths 0 (a hairline), 1 and 3, and polylines clipped to one rectangle (its clip
// path made once).
TEST_F(device_page, lines_with_clips_and_dashes) {
  open("LINES");
  const int blue = colour("blue"), grey = colour("#4A4A4A");
  for (int t : {1, 2, 3, 4, 5, 30, 46}) plat_ggdraw(0, 10, 90 - t, 90, 90 - t, t, blue);
  plat::graph::state().device.line_width = 0;
  plat_ggdraw(0, 10, 30, 90, 30, 1, grey);
  plat::graph::state().device.line_width = 3;
  plat_ggdraw(0, 10, 25, 90, 25, 2, grey);
  plat::graph::state().device.line_width = 1;
  const double pts[8] = {0, 0, 50, 60, 70, 10, 120, 50};
  host_gpline line{4, pts, 1};
  host_gclip clip{20, 5, 80, 45};
  EXPECT_EQ(plat_ggpline(0, &line, colour("Tomato"), &clip), 0);
  line.line_type = 2;
  EXPECT_EQ(plat_ggpline(0, &line, blue, &clip), 0);
  EXPECT_EQ(plat_ggdraw(0, 0, 0, 100, 100, 1, -1), 0);  // colour -1: not drawn
  const std::string doc = close();
  EXPECT_EQ(doc.find("clip2"), std::string::npos) << "one clip path for one rectangle";
  EXPECT_TRUE(kes_test::svg_matches_golden(doc, golden("device_lines.svg")));
}

// Every fill mode with solid, empty and hatched patterns; outlines on and off; a
// polygon at a quarter opacity.
TEST_F(device_page, fills_in_every_mode) {
  open("FILLS");
  const int fill = colour("#C6DBEF"), line = colour("#4A4A4A"), red = colour("crimson");
  struct row {
    const char* pattern;
    int mode, outline;
  };
  const row rows[] = {{"S       ", 0, line}, {"SOLID   ", 3, line}, {"E       ", 4, line}, {"EMPTY   ", 6, -1},
                      {"X3      ", 6, line}, {"R2      ", 3, red},  {"L5      ", 6, line}, {"        ", 6, line}};
  double x = 2;
  for (const row& r : rows) {
    EXPECT_EQ(plat_ggfill(0, x, 55, x + 10, 90, r.pattern, fill, r.mode, r.outline, 1, 1), 0) << r.pattern;
    x += 12;
  }
  EXPECT_EQ(plat_ggfill(0, 2, 10, 30, 40, "S       ", -1, 6, line, 2, 2), 0);  // outline only
  const double tri[6] = {40, 10, 70, 45, 95, 10};
  host_gpoly poly{3, tri, {'S', ' ', ' ', ' ', ' ', ' ', ' ', ' '}, red, line, 1, 0.25f};
  EXPECT_EQ(plat_ggpoly(0, &poly), 0);
  host_gpoly bad{2, tri, {}, red, -1, 1, 1};
  EXPECT_GT(plat_ggpoly(0, &bad), 0);
  EXPECT_TRUE(kes_test::svg_matches_golden(close(), golden("device_fills.svg")));
}

// Every marker of the table, open and filled, clipped; a batch over 100 is refused.
TEST_F(device_page, markers) {
  open("MARKERS");
  double pts[16];
  for (int i = 0; i < 8; ++i) pts[2 * i] = 10 + 10 * i, pts[2 * i + 1] = 50;
  host_gclip clip{5, 5, 95, 95};
  for (int code = 1; code <= 8; ++code) {
    host_gmarks m{1, pts + 2 * (code - 1), static_cast<std::int16_t>(code), 2.0f, 0};
    EXPECT_EQ(plat_ggpmark(0, &m, colour("#1F1F1F"), &clip), 0);
    const double up[2] = {pts[2 * (code - 1)], 70};
    host_gmarks f{1, up, static_cast<std::int16_t>(code), 2.0f, 1};
    EXPECT_EQ(plat_ggpmark(0, &f, colour("#D55E00"), &clip), 0);
  }
  host_gmarks none{8, pts, -1, 2.0f, 0};
  EXPECT_EQ(plat_ggpmark(0, &none, 1, nullptr), 0);  // a negative code draws nothing
  host_gmarks many{101, pts, 7, 2.0f, 0};
  EXPECT_NE(plat_ggpmark(0, &many, 1, nullptr), 0);
  EXPECT_TRUE(kes_test::svg_matches_golden(close(), golden("device_markers.svg")));
}

// A text's measured length is proportional to its height, exactly, and the drawn
// text carries that length.
TEST_F(device_page, text_lengths_proportional_to_height) {
  open("TEXTS");
  host_gtext t;
  plat_ggstri(&t);
  const char* s = "Height (cm)";
  t.text = s;
  t.length = static_cast<std::uint16_t>(std::strlen(s));
  for (float h : {1.0f, 2.5f, 5.0f, 10.0f}) {
    t.height = h;
    const double len = plat_ggstrl(0, &t);
    EXPECT_DOUBLE_EQ(len, plat::graph::text_width(s, h * 480.0 / 100.0) * 100.0 / 640.0) << h;
    t.height = 2 * h;
    EXPECT_DOUBLE_EQ(plat_ggstrl(0, &t), 2 * len) << h;
  }
  t.height = 5;
  t.x = 50, t.y = 50, t.just = 4;
  const double len = plat_ggstrl(0, &t);
  EXPECT_EQ(plat_ggstr(0, &t), 0);
  const std::string doc = close();
  EXPECT_NE(doc.find("textLength=\"" + plat::graph::svg_number(len * 6.4) + "\""), std::string::npos) << doc;
}

// The extent box: start and end of the baseline, then the top above the end and the
// top above the start, turned by the angle about the anchor. "A" at 20 px on a 640 x
// 480 page is 1401 / 2048 x 20 = 13.681640625 px long; the anchor (50, 50) is (320,
// 240) px.
TEST_F(device_page, corner_boxes_at_right_and_slanted_angles) {
  const double L = 1401.0 / 2048.0 * 20.0, h = 20.0, r = std::sqrt(0.5);
  struct row {
    double angle;
    double px[4][2];  // the corners in pixels, y upwards
  };
  const row rows[] = {
      {0, {{320, 240}, {320 + L, 240}, {320 + L, 240 + h}, {320, 240 + h}}},
      {90, {{320, 240}, {320, 240 + L}, {320 - h, 240 + L}, {320 - h, 240}}},
      {-90, {{320, 240}, {320, 240 - L}, {320 + h, 240 - L}, {320 + h, 240}}},
      {45, {{320, 240}, {320 + L * r, 240 + L * r}, {320 + L * r - h * r, 240 + L * r + h * r}, {320 - h * r, 240 + h * r}}},
  };
  for (const row& w : rows) {
    host_gtext t;
    plat_ggstri(&t);
    host_gxfm xfm{w.angle, 0, 0, 0};
    plat_ggstxfm(&xfm);
    host_gbox box{};
    t.text = "A";
    t.length = 1;
    t.height = static_cast<float>(20.0 * 100.0 / 480.0);
    t.x = 50, t.y = 50, t.just = 1;
    t.xfm = &xfm;
    t.box = &box;
    plat_ggstrl(0, &t);
    for (int i = 0; i < 4; ++i) {
      EXPECT_NEAR(box.c[i].x, w.px[i][0] / 6.4, 1e-4) << w.angle << " corner " << i;
      EXPECT_NEAR(box.c[i].y, w.px[i][1] / 4.8, 1e-4) << w.angle << " corner " << i;
    }
    if (w.angle == 90) {
      // The vertical label's room across is the text height, along the page its length.
      EXPECT_NEAR(box.c[0].x - box.c[2].x, h / 6.4, 1e-4);
      EXPECT_NEAR(box.c[2].y - box.c[0].y, L / 4.8, 1e-4);
    }
  }
}

// Graph files are named by the segment name, unique in the run regardless of case;
// what cannot stand in a file name becomes '_'.
TEST_F(device_page, unique_segment_names) {
  std::string f;
  const char* names[] = {"HIST    ", "hist    ", "HIST1   ", "Hist    ", "a/b*c   ", "        "};
  const char* want[] = {"HIST.svg", "hist1.svg", "HIST11.svg", "Hist2.svg", "a_b_c.svg", "graph.svg"};
  for (int i = 0; i < 6; ++i) {
    open(names[i]);
    close(&f);
    EXPECT_EQ(f, want[i]) << names[i];
  }
  // Each file holds a readable SVG with the description as its title.
  const std::string doc = kes_test::slurp(work_.root() / "HIST.svg");
  EXPECT_NE(doc.find("<title>A test page</title>"), std::string::npos);
  EXPECT_EQ(kes_test::svg_reduce(doc).rfind("unreadable", 0), std::string::npos);
}

// Colour names: CSS keywords in any case, #RRGGBB in any case, the device's own three
// colours; an unknown name is the foreground, said once per name.
TEST_F(device_page, colours) {
  EXPECT_EQ(colour("red"), colour("RED"));
  EXPECT_EQ(colour("Red"), colour("#ff0000"));
  EXPECT_EQ(plat::graph::colour_hex(colour("SeaGreen")), "#2E8B57");
  EXPECT_EQ(plat::graph::colour_hex(colour("#0072b2")), "#0072B2");
  EXPECT_EQ(colour(""), 1);
  EXPECT_EQ(colour("nocolour"), 1);
  EXPECT_EQ(colour("NOCOLOUR"), 1);
  EXPECT_EQ(colour("#12345G"), 1);
  char n[8];
  ASSERT_EQ(plat_ggcnum5(0, 2, n), 0);
  EXPECT_EQ(std::string(n, 8), "#4A4A4A ");
  EXPECT_NE(plat_ggcnum5(0, 4, n), 0);
  // A number back to its red, green and blue; a number of no colour is refused.
  int rgb = -1;
  ASSERT_EQ(plat_ggcrgb(0, colour("SeaGreen"), &rgb), 0);
  EXPECT_EQ(rgb, 0x2E8B57);
  ASSERT_EQ(plat_ggcrgb(0, 1, &rgb), 0);
  EXPECT_EQ(rgb, 0x1F1F1F);
  ASSERT_EQ(plat_ggcrgb(0, colour("white"), &rgb), 0);
  EXPECT_EQ(rgb, 0xFFFFFF);
  EXPECT_NE(plat_ggcrgb(0, 0, &rgb), 0);
  EXPECT_NE(plat_ggcrgb(0, 100000, &rgb), 0);
  EXPECT_EQ(plat::graph::colour_hex(-1), "");
  const std::string log = work_.log();
  EXPECT_NE(log.find("'nocolour' is not known"), std::string::npos) << log;
  EXPECT_EQ(log.find("'NOCOLOUR' is not known"), std::string::npos) << log;
  EXPECT_NE(log.find("'#12345G' is not known"), std::string::npos) << log;
}

// Clipping a segment to a rectangle, by hand.
TEST_F(device_page, clipping_segments) {
  const host_gclip rect{0, 0, 10, 10};
  struct row {
    double in[4];
    int visible;
    double out[4];
  };
  const row rows[] = {{{-5, 5, 15, 5}, 1, {0, 5, 10, 5}},       {{5, -10, 5, 20}, 1, {5, 0, 5, 10}},
                      {{-5, -5, 15, 15}, 1, {0, 0, 10, 10}},    {{2, 2, 3, 3}, 1, {2, 2, 3, 3}},
                      {{11, 0, 20, 10}, 0, {}},                 {{-1, 11, 11, 12}, 0, {}},
                      {{-5, 0, 5, 10}, 1, {0, 5, 5, 10}}};
  for (const row& r : rows) {
    double out[4] = {};
    EXPECT_EQ(plat_ggclpli(r.in, &rect, out), r.visible) << r.in[0] << "," << r.in[1];
    if (r.visible) {
      for (int i = 0; i < 4; ++i) EXPECT_NEAR(out[i], r.out[i], 1e-12) << r.in[0] << " " << i;
    }
  }
}

// Units and the device's fixed answers: cells are not snapped on a vector device, a
// length converted to percent and back is itself, no style element is defined.
TEST_F(device_page, units_and_style_elements) {
  EXPECT_EQ(plat_ggcell(0, 12.345, 1, 0), 12.345);
  for (int unit = 0; unit < 8; ++unit)
    for (int axis = 1; axis <= 2; ++axis) {
      char name[4];
      const double pct = plat_ggl2pct(0, unit, axis, 3.0);
      EXPECT_NEAR(plat_ggpct2l(unit, axis, pct, name), 3.0, 1e-12) << unit << " " << axis;
    }
  char c[8];
  int w = 7;
  double size = 0;
  gdevice* d = plat_ggxget(nullptr);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(plat_gvemclr(d, "GraphWalls", 10, c), 0);
  EXPECT_EQ(plat_gvemlwid(d, "GraphOutlines", 13, &w), 0);
  EXPECT_EQ(plat_gvemfont(d, "GraphValueText", 14, c, &size), 0);
  EXPECT_EQ(w, 7);
  // A vector device: no hardware cells or text, a non-blank font, no style.
  EXPECT_EQ(d->flags & GDEV_HARD_CELLS, 0);
  EXPECT_NE(d->hardware_text, 'Y');
  EXPECT_NE(opts_->font[0], ' ');
  EXPECT_EQ(opts_->style, 0);
  EXPECT_DOUBLE_EQ(d->aspect, 0.75);
}

// The page from the options record: sizes given there, else 640 x 480.
TEST_F(device_page, page_size_from_the_options) {
  gdevopts* o = plat_ggznew(nullptr);
  o->size[0] = 800, o->size[1] = 400;
  o->sizeflags = GOPT_WIDTH_GIVEN | GOPT_HEIGHT_GIVEN;
  ASSERT_EQ(plat_gginit(o), 0);
  EXPECT_DOUBLE_EQ(plat::graph::page_width(), 800);
  EXPECT_DOUBLE_EQ(plat_ggxget(nullptr)->aspect, 0.5);
  std::memcpy(o->device, "NODEVICE", 8);
  EXPECT_NE(plat_gginit(o), 0);
}

// Drawing with no open segment is refused with a message, never a crash.
TEST_F(device_page, drawing_without_a_segment) {
  EXPECT_NE(plat_ggdraw(0, 0, 0, 1, 1, 1, 1), 0);
  EXPECT_NE(plat_ggfill(0, 0, 0, 1, 1, "S       ", 1, 0, 1, 1, 1), 0);
  void* closed = nullptr;
  EXPECT_EQ(plat_ggcseg(0, &closed, 0), 1);
  EXPECT_NE(work_.log().find("no open segment: ggdraw"), std::string::npos) << work_.log();
}

// Titles and the BY line head the page; the page area left is below them.
TEST_F(device_page, titles_and_by_line) {
  plat::listing_set_title(1, "Heights of the class");
  plat::listing_set_title(2, "A second title");
  double area[4];
  const char* by = "g=2";
  ASSERT_EQ(plat_ggphdrl(0, area, 3, by), 0);
  // 4 + (14 + 4) + (12 + 4) + (12 + 4) px of 480 are taken from the top.
  EXPECT_DOUBLE_EQ(area[3], 100 - 54 * 100.0 / 480);
  EXPECT_EQ(area[0], 0);
  EXPECT_EQ(area[2], 100);
  open("TITLES", "Histogram of x (g=2)");
  ASSERT_EQ(plat_ggphdr(0, by, 3), 0);
  const std::string doc = close();
  plat::listing_set_title(1, "");
  EXPECT_TRUE(kes_test::svg_matches_golden(doc, golden("device_titles.svg")));
}

// A blanked area is painted over with the background when it is released, once.
TEST_F(device_page, blanked_areas) {
  open("BLANK");
  plat_ggfill(0, 0, 0, 100, 100, "S       ", colour("#C6DBEF"), 0, -1, 1, 1);
  const double area[4] = {10, 20, 40, 60};
  int id = 0;
  void* handle = nullptr;
  ASSERT_EQ(plat_ggrba(0, area, &id, &handle, 7), 0);
  EXPECT_GT(id, 0);
  EXPECT_EQ(plat_ggrdba(0, 2, handle, id, 0, 7), 0);
  EXPECT_NE(plat_ggrdba(0, 2, handle, id, 0, 7), 0);  // released already
  const std::string doc = close();
  // 10..40 % of 640 and 20..60 % of 480, y from the top.
  EXPECT_NE(doc.find("<rect x=\"64\" y=\"192\" width=\"192\" height=\"192\" fill=\"#FFFFFF\""), std::string::npos)
      << doc;
}

// The symbol definitions are the curve palette; the bar fills are defined (light
// blue, solid); a device is found by name in any case, and the registry counts uses.
TEST_F(device_page, symbols_fills_and_registry) {
  kes_symattr sym[4];
  ASSERT_EQ(plat_ggetsym(0, 4, sym), 0);
  EXPECT_EQ(std::string(sym[0].color, 8), "#4A4A4A ");
  EXPECT_EQ(std::string(sym[1].color, 8), "#0072B2 ");
  EXPECT_EQ(std::string(sym[2].color, 8), "#D55E00 ");
  EXPECT_EQ(sym[1].line_type, 1);
  EXPECT_EQ(sym[2].line_type, 2);
  EXPECT_EQ(sym[1].line_width, 2);
  EXPECT_EQ(sym[0].marker, 7);
  kes_fillslot slots[3];
  EXPECT_EQ(plat_ggetpat(3, slots, 'C'), 0);
  EXPECT_EQ(std::string(slots[0].pattern, 8), "S       ");
  EXPECT_EQ(std::string(slots[2].color, 8), "#C6DBEF ");
  const gdeventry* a = plat_ggdvfind("svg     ");
  const gdeventry* b = plat_ggdvfind("SVG     ");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(b->use_count, 2);
  EXPECT_EQ(plat_ggdvfind("NOSUCH  "), nullptr);
  EXPECT_EQ(plat_ggdvfind("        "), nullptr);
}

// A graph file that cannot be written: the segment is not closed (result 1, so the
// module does not publish it), and the log says why.
TEST_F(device_page, unwritable_graph_file) {
  plat::config().graphs_dir = (work_.root() / "no" / "such").string();
  open("LOST");
  void* closed = reinterpret_cast<void*>(1);
  EXPECT_EQ(plat_ggcseg(0, &closed, 0), 1);
  EXPECT_EQ(closed, nullptr);
  EXPECT_NE(work_.log().find("LOST.svg cannot be written: the folder does not exist"), std::string::npos) << work_.log();
}

// Stacked text (angle -90, rotation 90): upright characters one text height apart
// downwards, the stack as wide as its widest character; its box follows the same
// corner order.
TEST_F(device_page, stacked_characters) {
  open("STACK");
  host_gtext t;
  plat_ggstri(&t);
  host_gxfm xfm{-90, 90, 0, 0};
  plat_ggstxfm(&xfm);
  host_gbox box{};
  t.text = "Wi";
  t.length = 2;
  t.height = static_cast<float>(20.0 * 100.0 / 480.0);
  t.x = 50, t.y = 50, t.just = 1;
  t.xfm = &xfm;
  t.box = &box;
  plat_ggstrl(0, &t);
  const double w = 2025.0 / 2048.0 * 20.0;  // "W", the wider of the two
  EXPECT_NEAR(box.c[1].y, (240 - 40) / 4.8, 1e-5);  // two characters of 20 px down
  EXPECT_NEAR(box.c[2].x, (320 + w) / 6.4, 1e-5);
  EXPECT_NEAR(box.c[0].y - box.c[2].y, 40 / 4.8, 1e-5);  // the formulas' "across"
  EXPECT_EQ(plat_ggstr(0, &t), 0);
  const std::string doc = close();
  EXPECT_NE(doc.find(">W</text>"), std::string::npos) << doc;
  EXPECT_NE(doc.find(">i</text>"), std::string::npos) << doc;
  EXPECT_EQ(doc.find("rotate("), std::string::npos) << doc;
}

// The QQ points and the empirical steps of 10^4 and 10^5 values with ties, given as
// the chart drivers give them (markers in batches of 100, one polyline of 2n + 2
// points, in percent of the page): the file stands for every point and step to a
// quarter pixel, and holds no marker or vertex that was not given.
TEST_F(device_page, many_points_are_written_at_the_pages_resolution) {
  for (const std::size_t n : {std::size_t{10000}, std::size_t{100000}}) {
    std::mt19937_64 gen(n);
    std::normal_distribution<double> normal(50, 12);
    std::vector<double> v(n);
    for (double& x : v) x = std::round(normal(gen) * 4) / 4;  // ties
    std::sort(v.begin(), v.end());
    open("MANY");
    // QQ points: plotting position across, value up; the steps of the same values.
    std::vector<double> marks, steps = {5, 5};
    for (std::size_t i = 0; i < n; ++i) {
      marks.push_back(5 + 90 * (i + 0.625) / (n + 0.25));
      marks.push_back(std::clamp(v[i], 1.0, 99.0));
      const double x = std::clamp(v[i], 5.0, 95.0);
      steps.push_back(x), steps.push_back(5 + 90.0 * i / n);
      steps.push_back(x), steps.push_back(5 + 90.0 * (i + 1) / n);
    }
    steps.push_back(95), steps.push_back(95);
    host_gclip clip{0, 0, 100, 100};
    for (std::size_t first = 0; first < n; first += GMARK_BATCH) {
      const int count = static_cast<int>(std::min<std::size_t>(GMARK_BATCH, n - first));
      host_gmarks m{count, marks.data() + 2 * first, 7, 1.0f, 0};
      ASSERT_EQ(plat_ggpmark(0, &m, colour("#1F1F1F"), &clip), 0);
    }
    host_gpline line{static_cast<int>(steps.size() / 2), steps.data(), 1};
    ASSERT_EQ(plat_ggpline(0, &line, colour("#4A4A4A"), &clip), 0);
    const std::string doc = close();
    // Full drawing in pixels, as the device converts percent.
    std::vector<kes_test::svg_xy> full_marks, full_line;
    for (std::size_t i = 0; i < marks.size(); i += 2)
      full_marks.push_back({marks[i] * 6.4, 480 - marks[i + 1] * 4.8});
    for (std::size_t i = 0; i < steps.size(); i += 2) full_line.push_back({steps[i] * 6.4, 480 - steps[i + 1] * 4.8});
    std::vector<kes_test::svg_xy> drawn;
    for (const auto& u : kes_test::svg_uses(doc)) drawn.push_back({u.x, u.y});
    EXPECT_TRUE(kes_test::marks_cover(full_marks, drawn, plat::graph::kPageResolution)) << n;
    const auto lines = kes_test::svg_polylines(doc);
    ASSERT_EQ(lines.size(), 1u) << n;
    EXPECT_TRUE(kes_test::line_covers(full_line, lines[0], plat::graph::kPageResolution)) << n;
    // The batches under one clip are one group, and the file is set by the page.
    EXPECT_LT(std::count(doc.begin(), doc.end(), '\n'), 20000) << n;
    EXPECT_LT(doc.size(), 600000u) << n;
    EXPECT_LT(drawn.size(), n) << n;
  }
}

}  // namespace
