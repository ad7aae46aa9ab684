// Texts fitted to their room (see template_text_fit.h).
#include "graph/template_text_fit.h"

#include <algorithm>

#include "host/kes_utf8.h"

namespace plat::graph {
std::vector<std::size_t> char_ends(const std::string& s) {
  std::vector<std::size_t> ends{0};
  for (std::size_t i = 1; i <= s.size(); ++i)
    if (i == s.size() || !kes_utf8_continues(s[i])) ends.push_back(i);
  return ends;
}

std::string fit_text(const std::string& s, const text_style& t, double width) {
  if (text_advance(s, t) <= width) return s;
  // The longest prefix, cut at a character boundary, that fits with the ellipsis.
  const std::vector<std::size_t> ends = char_ends(s);
  const std::size_t lo =
      longest_fitting(ends, [&](std::size_t end) { return text_advance(s.substr(0, end) + kEllipsis, t) <= width; });
  if (lo == 0) return text_advance(kEllipsis, t) <= width ? kEllipsis : std::string();
  return s.substr(0, ends[lo]) + kEllipsis;
}

double shrunk_size(const std::string& s, const text_style& t, double width) {
  const double w = text_advance(s, t);
  return w > width && width > 0 ? std::max(t.size * kLeastTextScale, t.size * width / w) : t.size;
}

}  // namespace plat::graph
