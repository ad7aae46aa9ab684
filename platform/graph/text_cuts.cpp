// Texts of a set cut apart (see text_cuts.h).
#include "graph/text_cuts.h"

#include <algorithm>
#include <numeric>

#include "graph/template_parts.h"

namespace plat::graph {
namespace {

std::size_t common_prefix(const std::string& a, const std::string& b) {
  std::size_t n = 0;
  while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
  return n;
}

// The character from which s differs from every other text of the set: one past the
// longest start it shares with a neighbour in sorted order (its end when it has none).
std::vector<std::size_t> parting_points(const std::vector<std::string>& texts) {
  std::vector<std::size_t> order(texts.size()), at(texts.size(), 0);
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return texts[a] < texts[b]; });
  for (std::size_t k = 0; k + 1 < order.size(); ++k) {
    const std::size_t a = order[k], b = order[k + 1];
    if (texts[a] == texts[b]) continue;
    const std::size_t n = common_prefix(texts[a], texts[b]);
    at[a] = std::max(at[a], n);
    at[b] = std::max(at[b], n);
  }
  return at;
}

// The text cut to width, its end kept from byte `from` (a character's start) on.
std::string cut_keeping(const std::string& s, std::size_t from, const text_style& t, double width) {
  const std::vector<std::size_t> ends = char_ends(s);
  // The end kept starts a word before the one that holds the parting point ("level
  // 07", not "7"), else at that word, when it fits beside at least one character of
  // the start.
  const auto word_before = [&](std::size_t at) {
    const std::size_t space = at < 2 ? std::string::npos : s.rfind(' ', at - 2);
    return space == std::string::npos ? at : space + 1;
  };
  std::size_t word = s.rfind(' ', from == 0 ? 0 : from - 1);
  word = word == std::string::npos || word == 0 ? from : word + 1;
  const std::size_t words = word < from ? word_before(word) : word_before(from);
  const auto start_of = [&](const std::string& tail) {
    // The longest start that fits with the ellipsis and the tail.
    return ends[longest_fitting(ends, [&](std::size_t end) {
      return end <= from && text_advance(s.substr(0, end) + kEllipsis + tail, t) <= width;
    })];
  };
  for (std::size_t begin : {words, word, from}) {
    const std::string tail = s.substr(begin);
    const std::size_t head = start_of(tail);
    if (head > 0) return s.substr(0, head) + kEllipsis + tail;
  }
  // Not even the end from the parting point fits beside the start: the ellipsis, that
  // end and, cut, its own ellipsis.
  return kEllipsis + fit_text(s.substr(from), t, width - text_advance(kEllipsis, t));
}

}  // namespace

std::vector<std::string> cut_apart(const std::vector<std::string>& texts, const text_style& t, double width) {
  const std::vector<std::size_t> parts = parting_points(texts);
  std::vector<std::string> out;
  out.reserve(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string& s = texts[i];
    if (text_advance(s, t) <= width) {
      out.push_back(s);
      continue;
    }
    // A text that parts from the others only in its last characters (or from none)
    // is cut at its end, as a lone text is.
    std::size_t from = std::min(parts[i], s.size());
    while (from > 0 && from < s.size() && (static_cast<unsigned char>(s[from]) & 0xC0) == 0x80) --from;
    const std::string end_cut = fit_text(s, t, width);
    const bool end_keeps_part = end_cut.size() >= kEllipsis.size() &&
                                end_cut.size() - kEllipsis.size() > from;
    out.push_back(end_keeps_part || from == 0 ? end_cut : cut_keeping(s, from, t, width));
  }
  return out;
}

}  // namespace plat::graph
