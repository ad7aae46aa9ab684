// Texts fitted to their room: cut with an ellipsis, or shrunk a little first.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "graph/template_canvas.h"
#include "host/text_ellipsis.h"

namespace plat::graph {

// A text cut to fit width, ending in an ellipsis when cut.
std::string fit_text(const std::string& s, const text_style& t, double width);
// The size at which s fits width: t's when it fits, else smaller in proportion, down
// to kLeastTextScale of t's, so that a long text shrinks a little before it is cut.
inline constexpr double kLeastTextScale = 0.8;
double shrunk_size(const std::string& s, const text_style& t, double width);
// The mark of a cut, where a text ends early or leaves out its middle.
inline const std::string kEllipsis{KES_ELLIPSIS};
// The byte ends of the prefixes of 0, 1, 2 ... characters of s.
std::vector<std::size_t> char_ends(const std::string& s);
// The index into ends of the longest prefix that fits, by bisection: fits(end) holds
// for the prefix of ends.front() (or it is empty) and not for that of ends.back(), and
// once false stays false for longer ones; a long text is measured a few dozen times.
template <class Fits>
std::size_t longest_fitting(const std::vector<std::size_t>& ends, Fits fits) {
  std::size_t lo = 0, hi = ends.size() - 1;
  while (hi - lo > 1) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (fits(ends[mid])) lo = mid;
    else hi = mid;
  }
  return lo;
}

}  // namespace plat::graph
