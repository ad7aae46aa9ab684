// The strokes of curves (see template_look.h).
#include "graph/template_look.h"

namespace plat::graph {
namespace {

constexpr const char* kDashes[5] = {"", "6 4", "2 3", "6 3 2 3", "12 4"};

}  // namespace

paint curve_paint(int i, bool kernel) {
  paint p;
  // The palette's yellow barely shows as a thin line on white: lines take a darker one.
  p.stroke = i % 8 == 7 ? kCurveYellowLine : kCurveColours[i % 8];
  p.dash = kDashes[i % 5];
  p.width = kernel ? 1.5 : 2;
  return p;
}

}  // namespace plat::graph
