// The text metric the graph templates lay out with: the device's font table, so that
// the width laid out is the width drawn.
#include <string>

#include "graph/font_metrics.h"
#include "graph/template_canvas.h"

namespace plat::graph {

double text_advance(const std::string& s, const text_style& t) {
  return text_width(s, t.size, t.bold ? weight::bold : weight::regular);
}
double text_above(double size) { return text_ascent(size); }
double text_below(double size) { return text_descent(size); }

}  // namespace plat::graph
