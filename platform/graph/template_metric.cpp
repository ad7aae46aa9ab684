// The text metric the graph templates lay out with.
#include <string>

#include "graph/template_canvas.h"

namespace plat::graph {

// Until the device's font table is in, a mean advance of DejaVu Sans.
double text_advance(const std::string& s, const text_style& t) {
  std::size_t chars = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++chars;
  return static_cast<double>(chars) * t.size * (t.bold ? 0.66 : 0.6);
}
double text_above(double size) { return 0.76 * size; }
double text_below(double size) { return 0.24 * size; }

}  // namespace plat::graph
