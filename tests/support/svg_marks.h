// Markers and lines read back from an SVG file, and the check that a drawing at the
// page's resolution covers the full drawing it stands for.
#pragma once
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kes_test {

struct svg_xy {
  double x, y;
};

// The markers of a document: each <use> with the id it references and its place.
struct svg_use {
  std::string id;
  double x, y;
};
std::vector<svg_use> svg_uses(const std::string& doc);

// The points of a points attribute ("1,2 3,4" or "1 2 3 4"), in order.
std::vector<svg_xy> svg_points(const std::string& points);

// The points of each <polyline>, in document order.
std::vector<std::vector<svg_xy>> svg_polylines(const std::string& doc);

// Every given vertex lies within `tolerance` of the drawn line (the drawn vertices in
// the order given), and every drawn vertex is a given one (as written, to hundredths).
::testing::AssertionResult line_covers(const std::vector<svg_xy>& given, const std::vector<svg_xy>& drawn,
                                       double tolerance);

// Every given place lies within `tolerance` of a drawn one, and every drawn place is
// a given one (as written, to hundredths).
::testing::AssertionResult marks_cover(const std::vector<svg_xy>& given, const std::vector<svg_xy>& drawn,
                                       double tolerance);

}  // namespace kes_test
