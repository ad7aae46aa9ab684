// What the SVG writer cuts away as unseen: segments and polygons cut to a rectangle,
// lines and polylines of a document cut to their clip path, markers, rectangles and
// texts far outside it left out; no coordinate far off the page.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "graph/svg_clip.h"
#include "graph/svg_writer.h"
#include "support/svg_marks.h"
#include "support/svg_reader.h"

namespace {

using namespace plat::graph;

std::vector<svg_point> points_of(const std::string& attr) {
  std::vector<svg_point> v;
  for (const kes_test::svg_xy& p : kes_test::svg_points(attr)) v.push_back({p.x, p.y});
  return v;
}

TEST(svg_clip, segments_cut_to_a_box) {
  const svg_box box{0, 0, 100, 100};
  struct row {
    svg_point a, b;
    bool seen;
    svg_point ca, cb;  // the part inside, by hand
  };
  const row rows[] = {
      {{10, 10}, {90, 20}, true, {10, 10}, {90, 20}},        // inside: as given
      {{-50, 50}, {50, 50}, true, {0, 50}, {50, 50}},        // in from the left
      {{50, 50}, {50, 250}, true, {50, 50}, {50, 100}},      // out at the bottom
      {{-100, -100}, {200, 200}, true, {0, 0}, {100, 100}},  // through two corners
      {{-50, 25}, {150, 75}, true, {0, 37.5}, {100, 62.5}},  // across, both ends out
      {{-10, -10}, {-5, 50}, false, {}, {}},                 // beside the box
      {{-20, 90}, {10, 120}, false, {}, {}},                 // past a corner, ends beyond two sides
      {{200, -5}, {-200, -5}, false, {}, {}},                // above it all along
      // One end inside, the other 1e45 px off on both axes: the cut is found from the
      // end on the page, at the height (or width) the line truly has there.
      {{50, 50}, {1e45, 2e45}, true, {50, 50}, {75, 100}},     // out at the bottom, slope 2
      {{-2e45, -1e45}, {20, 40}, true, {0, 30}, {20, 40}},     // in from the left, slope 1/2
      {{30, 60}, {1e45, -1e45}, true, {30, 60}, {90, 0}},      // past the right side, out at the top
      // Both ends beyond two sides: four cuts, two at each end.
      {{-10, -50}, {110, 150}, true, {20, 0}, {80, 100}},
      {{110, -50}, {-10, 150}, true, {80, 0}, {20, 100}},
  };
  for (const row& r : rows) {
    svg_point a = r.a, b = r.b;
    ASSERT_EQ(clip_segment(box, a, b), r.seen) << r.a.x << " " << r.a.y;
    if (!r.seen) continue;
    EXPECT_NEAR(a.x, r.ca.x, 1e-12);
    EXPECT_NEAR(a.y, r.ca.y, 1e-12);
    EXPECT_NEAR(b.x, r.cb.x, 1e-12);
    EXPECT_NEAR(b.y, r.cb.y, 1e-12);
  }
  svg_point a{1, 1}, b{2, 2};
  EXPECT_FALSE(clip_segment(svg_box{5, 5, 4, 4}, a, b));  // a box that holds nothing
}

// The reference line of a QQ plot of values near 1e-100 with given parameters: its ends
// lie 1e46 px out, the line itself crosses the plot at x = 86.41 + 537.59 / 1.1
// (y2 = -y1 / 10, so it crosses the plot's height at 10/11 of the way).
TEST(svg_clip, a_line_from_far_off_is_cut_where_it_crosses) {
  const svg_box plot{86.41, 32.3, 624, 388.2};
  svg_point a{86.41, 2.7412361324628722e46}, b{624, -2.741236132462872e45};
  ASSERT_TRUE(clip_segment(plot, a, b));
  const double x = 86.41 + 537.59 / 1.1;
  EXPECT_NEAR(a.x, x, 1e-9);
  EXPECT_DOUBLE_EQ(a.y, 388.2);
  EXPECT_NEAR(b.x, x, 1e-9);
  EXPECT_DOUBLE_EQ(b.y, 32.3);
}

double area(const std::vector<svg_point>& p) {
  double s = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const svg_point& q = p[(i + 1) % p.size()];
    s += p[i].x * q.y - q.x * p[i].y;
  }
  return std::fabs(s) / 2;
}

TEST(svg_clip, polygons_cut_to_a_box) {
  const svg_box box{0, 0, 100, 100};
  struct row {
    std::vector<svg_point> pts;
    double area;  // of the part inside, by hand
  };
  const row rows[] = {
      {{{10, 10}, {20, 10}, {20, 30}}, 100},                         // inside
      {{{-50, -50}, {50, -50}, {50, 50}, {-50, 50}}, 2500},          // a quarter inside
      {{{-1e40, -1e40}, {1e40, -1e40}, {1e40, 1e40}, {-1e40, 1e40}}, 10000},  // around the box
      {{{0, -100}, {200, 100}, {0, 300}, {-200, 100}}, 10000},  // a diamond holding the box
      {{{150, 150}, {160, 150}, {160, 170}}, 0},                     // outside
  };
  for (const row& r : rows) {
    const std::vector<svg_point> in = clip_polygon(box, r.pts);
    if (r.area == 0) {
      EXPECT_TRUE(in.empty());
      continue;
    }
    EXPECT_NEAR(area(in), r.area, 1e-6 * r.area);
    for (const svg_point& q : in) EXPECT_TRUE(box.grown(1e-9).holds(q.x, q.y)) << q.x << " " << q.y;
  }
}

// Lines in a clip group are cut to the clip rectangle grown by the stroke's margin
// (2 + 4 x width: 6 px at width 1); one wholly outside is not written.
TEST(svg_clip, document_lines_are_cut_to_their_clip) {
  svg_writer w(640, 480);
  svg_group g;
  g.clip = w.clip_rect(40, 40, 560, 400);
  w.begin_group(g);
  w.line(300, -1e46, 300, 1e46, svg_stroke("#000000"));  // crosses
  w.line(0, 0, 30, 30, svg_stroke("#000000"));           // outside, beyond the margin
  w.line(100, 100, 200, 200, svg_stroke("#000000"));     // inside: as given
  w.end_group();
  EXPECT_EQ(w.unseen(), 1);
  EXPECT_EQ(w.cut(), 1);
  const std::vector<kes_test::svg_element> els = kes_test::svg_elements(w.finish());
  std::vector<const kes_test::svg_element*> lines;
  for (const auto& e : els)
    if (e.name == "line") lines.push_back(&e);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]->num("x1"), 300);
  EXPECT_EQ(lines[0]->num("y1"), 34);
  EXPECT_EQ(lines[0]->num("y2"), 446);
  EXPECT_EQ(lines[1]->get("x1"), "100");
  EXPECT_EQ(lines[1]->get("y2"), "200");
}

// A group is cut to the rectangle of the clip path it names when that path was made
// by clip_rect in this document; any other name leaves what its parent shows. A
// rectangle lying only outside the clip rectangle tells which.
TEST(svg_clip, a_group_is_cut_only_to_a_clip_made_in_the_document) {
  struct row {
    const char* clip;
    bool cut;
  };
  const row rows[] = {{"clip1", true},  {"clip3", true},  {"clip2", false},  // clip2: an id, no rectangle
                      {"clip01", false}, {"clip", false},  {"clip4", false}, {"clip1x", false},
                      {"clip-1", false}, {"Clip1", false}, {"", false}};
  for (const row& r : rows) {
    svg_writer w(640, 480);
    EXPECT_EQ(w.clip_rect(0, 0, 10, 10), "clip1");
    EXPECT_EQ(w.next_id("clip"), "clip2");
    EXPECT_EQ(w.clip_rect(0, 0, 20, 20), "clip3");
    svg_group g;
    g.clip = r.clip;
    w.begin_group(g);
    w.rect(300, 300, 10, 10, svg_fill("#000000"));
    w.end_group();
    EXPECT_EQ(w.unseen(), r.cut ? 1 : 0) << r.clip;
  }
  // Numbered past the tenth, each rectangle is its own: clip11 is 110 px wide.
  svg_writer w(640, 480);
  for (int i = 1; i <= 12; ++i) w.clip_rect(0, 0, 10.0 * i, 480);
  svg_group g;
  g.clip = "clip11";
  w.begin_group(g);
  w.rect(105, 0, 2, 2, svg_fill("#000000"));  // inside clip11, outside clip1 and clip10
  w.rect(125, 0, 2, 2, svg_fill("#000000"));  // outside clip11, inside clip12
  w.end_group();
  EXPECT_EQ(w.unseen(), 1);
}

// A polyline that leaves its clip and comes back is written as the pieces inside it;
// one wholly outside is not written.
TEST(svg_clip, polylines_partly_outside_are_written_in_pieces) {
  svg_writer w(640, 480);
  svg_group g;
  g.clip = w.clip_rect(40, 40, 560, 400);
  w.begin_group(g);
  // Width 2: the margin is 10 px, the box (30, 30) to (610, 450).
  w.polyline({{0, 200}, {300, 200}, {300, -1e30}, {500, 200}, {700, 200}}, svg_stroke("#0072B2", 2));
  w.polyline({{0, 0}, {10, 470}, {620, 470}}, svg_stroke("#0072B2", 2));
  w.end_group();
  EXPECT_EQ(w.unseen(), 1);
  std::vector<std::vector<svg_point>> pieces;
  for (const auto& e : kes_test::svg_elements(w.finish()))
    if (e.name == "polyline") pieces.push_back(points_of(e.get("points")));
  const std::vector<std::vector<svg_point>> want = {{{30, 200}, {300, 200}, {300, 30}},
                                                    {{500, 30}, {500, 200}, {610, 200}}};
  ASSERT_EQ(pieces.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    ASSERT_EQ(pieces[i].size(), want[i].size()) << i;
    for (std::size_t k = 0; k < want[i].size(); ++k) {
      EXPECT_NEAR(pieces[i][k].x, want[i][k].x, 0.01) << i << " " << k;
      EXPECT_NEAR(pieces[i][k].y, want[i][k].y, 0.01) << i << " " << k;
    }
  }
}

// Whatever it is given, the writer writes no coordinate far off the page; what lies
// inside is written as given.
TEST(svg_clip, no_coordinate_far_off_the_page) {
  svg_writer w(640, 480);
  const std::string ring = "M2.5 0A2.5 2.5 0 1 0 -2.5 0A2.5 2.5 0 1 0 2.5 0Z";
  w.line(-1e300, 240, 1e300, 240, svg_stroke("#000000"));
  w.polyline({{-1e200, -1e200}, {320, 240}, {1e200, 5e199}}, svg_stroke("#000000"));
  w.polygon({{-1e50, 0}, {320, 1e50}, {640, 0}}, svg_fill("#C6DBEF"));
  w.rect(-1e9, 100, 2e9, 50, svg_fill_stroke("#C6DBEF", "#4A4A4A"));
  w.rect(5e6, 5e6, 10, 10, svg_fill("#000000"));
  w.marker(ring, svg_stroke("#1F1F1F"), 1e7, 200);
  w.marker(ring, svg_stroke("#1F1F1F"), 100, 200);
  w.text(1e8, 1e8, "far", svg_text(11));
  w.text(20, 20, "near", svg_text(11));
  w.circle(-1e12, 0, 3, svg_fill("#000000"));
  EXPECT_EQ(w.unseen(), 4);
  const std::string doc = w.finish();
  EXPECT_LT(kes_test::svg_farthest(kes_test::svg_elements(doc)), 1e5) << doc;
  EXPECT_NE(doc.find("x=\"100\" y=\"200\""), std::string::npos) << doc;
  EXPECT_NE(doc.find(">near</text>"), std::string::npos) << doc;
  EXPECT_EQ(doc.find(">far</text>"), std::string::npos) << doc;
}

}  // namespace
