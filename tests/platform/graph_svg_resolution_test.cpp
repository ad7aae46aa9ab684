// What the SVG writer leaves out at the page's resolution: markers on a marker of
// their kind, polyline vertices on the segment through their neighbours, groups with
// nothing in them; and what it must keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "graph/svg_writer.h"
#include "support/scratch_files.h"
#include "support/svg_marks.h"
#include "support/svg_reader.h"

namespace {

using namespace plat::graph;

using kes_test::svg_xy;

std::vector<svg_xy> xy(const std::vector<svg_point>& pts) {
  std::vector<svg_xy> out;
  for (const svg_point& p : pts) out.push_back({p.x, p.y});
  return out;
}

const std::string kRing = "M2 0A2 2 0 1 0 -2 0A2 2 0 1 0 2 0Z";
const std::string kPlus = "M-2 0L2 0M0 -2L0 2";

TEST(svg_resolution, markers_within_a_quarter_pixel_of_their_kind_are_one) {
  struct mark {
    const std::string* shape;
    const char* colour;
    double x, y;
    bool written;
  };
  // Hand-placed: distances to the first marker (10, 10) of the same kind.
  const mark marks[] = {
      {&kRing, "#000000", 10, 10, true},
      {&kRing, "#000000", 10.2, 10, false},    // 0.2 px
      {&kRing, "#000000", 10.15, 10.15, false},  // 0.21 px
      {&kRing, "#000000", 10.3, 10, true},     // 0.3 px from (10, 10): a place of its own
      {&kRing, "#FF0000", 10, 10, true},       // another colour
      {&kPlus, "#000000", 10, 10, true},       // another shape
      {&kRing, "#000000", 50, 50, true},
      {&kRing, "#000000", 10.05, 10, false},   // back near the first, after others
  };
  svg_writer w(100, 100);
  std::size_t expected = 0;
  for (const mark& m : marks) {
    w.marker(*m.shape, svg_stroke(m.colour), m.x, m.y);
    expected += m.written;
  }
  EXPECT_EQ(w.markers_merged(), static_cast<long long>(std::size(marks) - expected));
  const std::string doc = w.finish();
  const auto u = kes_test::svg_uses(doc);
  ASSERT_EQ(u.size(), expected) << doc;
  // One definition per shape and paint, each referenced by its markers.
  EXPECT_EQ(kes_test::occurrences(doc, "<defs>"), 3) << doc;
  EXPECT_EQ(u[0].id, u[1].id);
  EXPECT_NE(u[0].id, u[2].id);
  EXPECT_NE(u[2].id, u[3].id);
  EXPECT_EQ(kes_test::svg_reduce(doc).rfind("unreadable", 0), std::string::npos);
}

TEST(svg_resolution, markers_in_other_groups_and_bad_places_stay_apart) {
  svg_writer w(100, 100);
  w.marker(kRing, svg_stroke("#000000"), 10, 10);
  svg_group g;
  g.clip = w.clip_rect(0, 0, 50, 50);
  w.begin_group(g);
  w.marker(kRing, svg_stroke("#000000"), 10, 10);  // clipped otherwise: drawn again
  w.marker(kRing, svg_stroke("#000000"), 10.1, 10);
  w.end_group();
  w.marker(kRing, svg_stroke("#000000"), std::numeric_limits<double>::quiet_NaN(), 1);
  w.marker(kRing, svg_stroke("#000000"), 1e300, -1e300);  // far off: left out, never a crash
  EXPECT_EQ(w.dropped(), 1);
  EXPECT_EQ(w.unseen(), 1);
  EXPECT_EQ(kes_test::svg_uses(w.finish()).size(), 2u);
}

TEST(svg_resolution, polyline_vertices_on_their_segment_are_left_out) {
  struct line_case {
    const char* what;
    std::vector<svg_point> pts;
    std::size_t written;
  };
  std::vector<svg_point> fine_steps, ten, flat_then_up;
  // A step line of 2000 steps of 0.001 px across and 0.0001 px up: one stretch.
  for (int i = 0; i < 2000; ++i) {
    fine_steps.push_back({10 + i * 0.001, 100 - i * 0.0001});
    fine_steps.push_back({10 + i * 0.001, 100 - (i + 1) * 0.0001});
  }
  for (int i = 0; i < 10; ++i) ten.push_back({10.0 + 5 * i, 50 + (i % 2 ? 3.0 : -3.0)});
  // Steps finer than a pixel along a level stretch, then up a vertical one.
  for (int i = 0; i <= 1000; ++i) flat_then_up.push_back({10 + i * 0.1, 200 + (i % 2) * 0.01});
  for (int i = 1; i <= 1000; ++i) flat_then_up.push_back({110 + (i % 2) * 0.01, 200 - i * 0.1});
  const line_case cases[] = {
      {"collinear", {{0, 0}, {1, 1}, {2, 2}, {3, 3}}, 2},
      {"a corner", {{0, 0}, {10, 0}, {10, 10}}, 3},
      {"a bend of 0.2 px", {{0, 0}, {50, 0.2}, {100, 0}}, 2},
      {"a bend of 0.3 px", {{0, 0}, {50, 0.3}, {100, 0}}, 3},
      {"going back on itself", {{0, 0}, {10, 0}, {5, 0}}, 3},
      {"repeated points", {{0, 0}, {0, 0}, {0, 0}, {4, 0}}, 2},
      {"fine steps", fine_steps, 2},
      {"ten points, none on a neighbours' segment", ten, 10},
      {"fine steps along, then up", flat_then_up, 3},
  };
  for (const line_case& c : cases) {
    svg_writer w(640, 480);
    w.polyline(c.pts, svg_stroke("#000000"));
    const auto lines = kes_test::svg_polylines(w.finish());
    ASSERT_EQ(lines.size(), 1u) << c.what;
    EXPECT_EQ(lines[0].size(), c.written) << c.what;
    EXPECT_TRUE(kes_test::line_covers(xy(c.pts), lines[0], kPageResolution)) << c.what;
  }
}

TEST(svg_resolution, a_polyline_given_point_by_point_is_the_polyline_given_whole) {
  std::vector<svg_point> pts;
  for (int i = 0; i < 5000; ++i) pts.push_back({i * 0.1, 240 + 100 * std::sin(i * 0.01)});
  svg_writer whole(640, 480), by_point(640, 480);
  whole.polyline(pts, svg_stroke("#000000"));
  by_point.polyline_begin(svg_stroke("#000000"));
  for (const svg_point& p : pts) by_point.polyline_point(p.x, p.y);
  by_point.polyline_end();
  const std::string a = whole.finish(), b = by_point.finish();
  EXPECT_EQ(a, b);
  const auto lines = kes_test::svg_polylines(a);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_LT(lines[0].size(), 200u);
  EXPECT_TRUE(kes_test::line_covers(xy(pts), lines[0], kPageResolution));
  // A point that is not finite drops the line, as it drops any element.
  svg_writer bad(640, 480);
  bad.polyline({{0, 0}, {std::numeric_limits<double>::infinity(), 1}, {2, 2}}, svg_stroke("#000000"));
  EXPECT_EQ(bad.dropped(), 1);
  EXPECT_TRUE(kes_test::svg_polylines(bad.finish()).empty());
}

TEST(svg_resolution, groups_with_nothing_in_them_are_not_written_and_repeats_are_one) {
  svg_writer w(100, 100);
  svg_group clipped;
  clipped.clip = w.clip_rect(0, 0, 50, 50);
  for (int batch = 0; batch < 3; ++batch) {  // batches under one clip: one group
    w.begin_group(clipped);
    w.line(0, batch, 10, batch, svg_stroke("#000000"));
    w.end_group();
  }
  w.begin_group(clipped);  // nothing drawn: not written
  w.end_group();
  svg_group named;
  named.id = "a";
  w.begin_group(named);
  w.line(0, 0, 1, 1, svg_stroke("#000000"));
  w.end_group();
  named.id = "b";
  w.begin_group(named);
  w.line(0, 0, 1, 1, svg_stroke("#000000"));
  w.end_group();
  const std::string doc = w.finish();
  EXPECT_EQ(kes_test::occurrences(doc, "<g clip-path"), 1) << doc;
  EXPECT_EQ(kes_test::occurrences(doc, "<line"), 5) << doc;
  EXPECT_EQ(kes_test::occurrences(doc, "<g id="), 2) << doc;  // groups with ids are never merged
  EXPECT_EQ(kes_test::occurrences(doc, "<g"), kes_test::occurrences(doc, "</g>")) << doc;
  EXPECT_EQ(kes_test::svg_reduce(doc).rfind("unreadable", 0), std::string::npos);
}

}  // namespace

namespace {

// Markers given a batch at a time are the markers given one by one: the same
// document, whatever the batches' ends, with places that are not finite among them
// and a batch with nothing to draw (its definition is not written).
TEST(svg_resolution, markers_given_in_batches_are_the_markers_given_one_by_one) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<svg_point> pts;
  for (int i = 0; i < 3000; ++i) pts.push_back({20 + i * 0.2, 400 - 300 * std::tanh((i - 1500) / 600.0)});
  pts[17] = {nan, 3};
  pts[2999] = {4, std::numeric_limits<double>::infinity()};
  const std::vector<svg_point> nothing = {{nan, 1}, {nan, nan}};
  const auto draw = [&](std::size_t piece) {
    svg_writer w(640, 480);
    const svg_paint ink = svg_stroke("#1F1F1F");
    const auto run = [&](std::size_t from, std::size_t to) {
      for (std::size_t at = from; at < to; at += piece) {
        if (piece == 1) w.marker(kRing, ink, pts[at].x, pts[at].y);
        else w.markers(kRing, ink, &pts[at], std::min(piece, to - at));
      }
    };
    run(0, 1000);
    w.begin_group();  // another group between: its markers stand apart
    w.markers(kPlus, ink, &pts[1000], 10);
    w.end_group();
    run(1000, pts.size());
    w.markers(kPlus, svg_stroke("#FF0000"), nothing.data(), nothing.size());
    return std::make_pair(w.finish(), w.dropped());
  };
  const auto one = draw(1);
  EXPECT_EQ(one.second, 4);
  EXPECT_EQ(kes_test::occurrences(one.first, "<defs>"), 2);  // the red plus draws nothing: no definition
  for (std::size_t piece : {7u, 100u, 1024u, 5000u}) EXPECT_EQ(draw(piece), one) << "batches of " << piece;
}

// Thousands of markers of two kinds in clusters, in groups left and entered again:
// each is written exactly when no marker of its kind in a group of the same tags was
// written within the tolerance of it (a little under a quarter pixel), checked against
// every place written before it.
TEST(svg_resolution, a_marker_is_left_out_exactly_when_a_written_one_of_its_set_is_near) {
  constexpr double kTol = kPageResolution - 0.01;
  std::mt19937_64 gen(4711);
  std::normal_distribution<double> jitter(0, 0.3);
  std::uniform_real_distribution<double> page_x(20, 620), page_y(20, 460);
  struct mark {
    int kind, group;  // group 0: none; 1 and 2: two clips, each left and entered again
    double x, y;
  };
  std::vector<mark> marks;
  // Clusters of every kind and group about each centre: the sets share places.
  double cx = 0, cy = 0;
  for (int c = 0; c < 300; ++c) {
    if (c % 6 == 0) cx = page_x(gen), cy = page_y(gen);
    const int kind = c % 2, group = (c / 2) % 3;
    for (int i = 0; i < 12; ++i) marks.push_back({kind, group, cx + jitter(gen), cy + jitter(gen)});
  }
  svg_writer w(640, 480);
  const std::string clip[3] = {"", w.clip_rect(0, 0, 640, 480), w.clip_rect(0, 0, 640, 480)};
  const std::string* shape[2] = {&kRing, &kPlus};
  std::vector<svg_xy> written[2][3];
  std::vector<svg_xy> expected;
  std::vector<int> expected_kind;
  for (const mark& m : marks) {
    if (m.group != 0) {
      svg_group g;
      g.clip = clip[m.group];
      w.begin_group(g);
    }
    w.marker(*shape[m.kind], svg_stroke("#000000"), m.x, m.y);
    if (m.group != 0) w.end_group();
    std::vector<svg_xy>& set = written[m.kind][m.group];
    const bool near = std::any_of(set.begin(), set.end(), [&m](const svg_xy& q) {
      return (q.x - m.x) * (q.x - m.x) + (q.y - m.y) * (q.y - m.y) <= kTol * kTol;
    });
    if (near) continue;
    set.push_back({std::round(m.x * 100) / 100, std::round(m.y * 100) / 100});
    expected.push_back({m.x, m.y});
    expected_kind.push_back(m.kind);
  }
  const std::string doc = w.finish();
  const auto uses = kes_test::svg_uses(doc);
  ASSERT_EQ(uses.size(), expected.size());
  EXPECT_GT(w.markers_merged(), 1000);  // the clusters do merge
  for (std::size_t i = 0; i < uses.size(); ++i) {
    EXPECT_EQ(svg_number(uses[i].x), svg_number(expected[i].x)) << i;
    EXPECT_EQ(svg_number(uses[i].y), svg_number(expected[i].y)) << i;
    EXPECT_EQ(uses[i].id == uses[0].id, expected_kind[i] == expected_kind[0]) << i;
  }
}

TEST(svg_resolution, a_polyline_given_in_pieces_is_the_polyline_given_whole) {
  std::vector<svg_point> pts;
  for (int i = 0; i < 20000; ++i) pts.push_back({10 + i * 0.03, 240 + 200 * std::erf((i - 10000) / 4000.0)});
  svg_writer whole(640, 480);
  whole.polyline(pts, svg_stroke("#000000"));
  const std::string expected = whole.finish();
  for (std::size_t piece : {1u, 3u, 512u, 20000u}) {
    svg_writer w(640, 480);
    w.polyline_begin(svg_stroke("#000000"));
    for (std::size_t at = 0; at < pts.size(); at += piece) w.polyline_points(&pts[at], std::min(piece, pts.size() - at));
    w.polyline_end();
    EXPECT_EQ(w.finish(), expected) << "pieces of " << piece;
  }
}

}  // namespace

namespace {

// Points closer together than 0.002 px (a step line of millions of values): those
// not looked at still lie within a quarter pixel of the drawn line, round a tight
// bend as along a straight stretch.
TEST(svg_resolution, points_closer_than_the_page_shows_stay_on_the_line) {
  std::vector<svg_point> pts;
  for (int i = 0; i < 40000; ++i) {
    const double t = i * 0.0015 / 5;  // 0.0015 px apart along a circle of 5 px
    pts.push_back({100 + 5 * std::cos(t), 100 + 5 * std::sin(t)});
  }
  for (int i = 1; i <= 20000; ++i) pts.push_back({pts.back().x + 0.0013, pts.back().y});
  svg_writer w(640, 480);
  w.polyline(pts, svg_stroke("#000000"));
  const auto lines = kes_test::svg_polylines(w.finish());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_LT(lines[0].size(), 400u);
  EXPECT_TRUE(kes_test::line_covers(xy(pts), lines[0], kPageResolution));
  // A point just past the line's tolerance, a little beside the last point taken:
  // left out it would lie off the line, so only one within 0.002 px may be.
  for (double beside : {0.0019, 0.005, 0.02}) {
    const std::vector<svg_point> bend = {{0, 0}, {50, 0.235}, {50, 0.235 + beside}, {100, 0}};
    svg_writer b(640, 480);
    b.polyline(bend, svg_stroke("#000000"));
    const auto drawn = kes_test::svg_polylines(b.finish());
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_TRUE(kes_test::line_covers(xy(bend), drawn[0], kPageResolution)) << beside;
  }
}

}  // namespace
