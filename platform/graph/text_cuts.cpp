// Texts of a set cut apart (see text_cuts.h).
#include "graph/text_cuts.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <utility>

#include "graph/template_parts.h"
#include "host/kes_utf8.h"

namespace plat::graph {
namespace {

std::size_t common_prefix(const std::string& a, const std::string& b) {
  std::size_t n = 0;
  while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
  return n;
}

std::size_t common_suffix(const std::string& a, const std::string& b) {
  std::size_t n = 0;
  while (n < a.size() && n < b.size() && a[a.size() - 1 - n] == b[b.size() - 1 - n]) ++n;
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
  std::vector<std::string> out(texts.size());
  std::vector<std::size_t> from(texts.size());
  std::vector<bool> middle(texts.size(), false);  // cut in its middle
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string& s = texts[i];
    if (text_advance(s, t) <= width) {
      out[i] = s;
      continue;
    }
    // A text that parts from the others only in its last characters (or from none)
    // is cut at its end, as a lone text is: its start up to the parting point is its
    // own, so no other text reads the same.
    from[i] = kes_utf8_char_start(s, std::min(parts[i], s.size()));
    const std::string end_cut = fit_text(s, t, width);
    const bool end_keeps_part = end_cut.size() >= kEllipsis.size() && end_cut.size() - kEllipsis.size() > from[i];
    middle[i] = !end_keeps_part && from[i] > 0;
    out[i] = middle[i] ? cut_keeping(s, from[i], t, width) : end_cut;
  }
  // The end from the parting point tells a text from its neighbours in sorted order,
  // not from texts that end alike ("station_004", "station_014" both keep "4"). Texts
  // cut alike keep their end from where it is no other's of the same cut; each round
  // keeps more, so the rounds end.
  for (bool again = true; again;) {
    again = false;
    std::map<std::string, std::vector<std::size_t>> alike;
    for (std::size_t i = 0; i < texts.size(); ++i)
      if (middle[i]) alike[out[i]].push_back(i);
    for (const auto& [cut, members] : alike) {
      if (members.size() < 2) continue;
      for (std::size_t i : members) {
        std::size_t shared = 0;  // the longest end it shares with another of them
        for (std::size_t j : members)
          if (texts[j] != texts[i]) shared = std::max(shared, common_suffix(texts[i], texts[j]));
        const std::string& s = texts[i];
        const std::size_t own = kes_utf8_char_start(s, shared < s.size() ? s.size() - shared - 1 : 0);
        if (own >= from[i]) continue;
        from[i] = own;
        out[i] = own > 0 ? cut_keeping(s, own, t, width) : fit_text(s, t, width);
        again = true;
      }
    }
  }
  return out;
}

std::vector<sized_text> shrink_or_cut_apart(const std::vector<std::string>& texts, const text_style& t,
                                            double width) {
  std::vector<sized_text> out;
  out.reserve(texts.size());
  std::vector<std::size_t> unfit;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    text_style fitted = t;
    fitted.size = shrunk_size(texts[i], t, width);
    if (text_advance(texts[i], fitted) > width) unfit.push_back(i);
    out.push_back({texts[i], fitted.size});
  }
  // The set is cut apart only when some text does not fit even shrunk.
  if (unfit.empty()) return out;
  text_style smallest = t;
  smallest.size = t.size * kLeastTextScale;
  std::vector<std::string> cut = cut_apart(texts, smallest, width);
  for (std::size_t i : unfit) out[i].text = std::move(cut[i]);
  return out;
}

}  // namespace plat::graph
