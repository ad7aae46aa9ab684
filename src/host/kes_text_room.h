// Where a label stands clear of the other texts and lines of its cell, and how a line
// is broken behind the texts it would cross: the one way both renderers choose among
// a label's places (rows, sides, steps along its line) so that every text reads.
#pragma once

#include <algorithm>
#include <cmath>
#include <iterator>
#include <set>
#include <utility>
#include <vector>

// A text's rectangle in its renderer's units, x0 <= x1 and y0 <= y1 (either way up).
// A line is a room with no width or no height.
struct kes_room {
  double x0, y0, x1, y1;
};

// Whether the insides of a and b share a point: rooms that only touch do not meet. A
// line (a room of no width) meets a text it runs into, not one it passes at its edge.
inline bool kes_rooms_meet(const kes_room& a, const kes_room& b) noexcept {
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

inline bool kes_room_within(const kes_room& r, const kes_room& bounds) noexcept {
  return r.x0 >= bounds.x0 && r.x1 <= bounds.x1 && r.y0 >= bounds.y0 && r.y1 <= bounds.y1;
}

inline bool kes_meets_any(const kes_room& r, const std::vector<kes_room>& rooms) noexcept {
  return std::any_of(rooms.begin(), rooms.end(), [&](const kes_room& o) { return kes_rooms_meet(r, o); });
}

// The place a label takes among its places, given in order of preference: the first
// within bounds that meets no text taken and no line; else the first within bounds that
// meets no text (the lines it meets are broken behind it); else the first within
// bounds that shares the least area with the texts (where rooms meet only in their air
// the texts still read); else the first. A place may keep a wider room from the lines
// than from the texts (line_rooms, by the same index).
inline std::size_t kes_label_place(const std::vector<kes_room>& places, const kes_room& bounds,
                                   const std::vector<kes_room>& texts, const std::vector<kes_room>& lines,
                                   const std::vector<kes_room>* line_rooms = nullptr) {
  const std::vector<kes_room>& from_lines = line_rooms != nullptr ? *line_rooms : places;
  for (int pass = 0; pass < 2; ++pass)
    for (std::size_t i = 0; i < places.size(); ++i)
      if (kes_room_within(places[i], bounds) && !kes_meets_any(places[i], texts) &&
          (pass == 1 || !kes_meets_any(from_lines[i], lines)))
        return i;
  std::size_t best = 0;
  double least = INFINITY;
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (!kes_room_within(places[i], bounds)) continue;
    double shared = 0;
    for (const kes_room& o : texts)
      if (kes_rooms_meet(places[i], o))
        shared += (std::min(places[i].x1, o.x1) - std::max(places[i].x0, o.x0)) *
                  (std::min(places[i].y1, o.y1) - std::max(places[i].y0, o.y0));
    if (shared < least) best = i, least = shared;
  }
  return best;
}

// The stretch [*lo, *hi] of the way along the segment that lies inside the room
// (clipped against each of its four sides in turn); false when none does.
inline bool kes_room_stretch(double x1, double y1, double dx, double dy, const kes_room& g, double* lo, double* hi) {
  *lo = 0, *hi = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - g.x0, g.x1 - x1, y1 - g.y0, g.y1 - y1};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0) {
      if (q[k] < 0) return false;  // parallel to this side and outside it
      continue;
    }
    const double r = q[k] / p[k];
    if (p[k] < 0) *lo = std::max(*lo, r);
    else *hi = std::min(*hi, r);
  }
  return *lo < *hi;
}

// The pieces of the segment from (x1, y1) to (x2, y2) outside every room, as fractions
// [from, to] of the way along it, in order.
inline std::vector<std::pair<double, double>> kes_pieces_outside(double x1, double y1, double x2, double y2,
                                                                 const std::vector<kes_room>& rooms) {
  std::vector<std::pair<double, double>> cut;
  for (const kes_room& g : rooms) {
    double lo, hi;
    if (kes_room_stretch(x1, y1, x2 - x1, y2 - y1, g, &lo, &hi)) cut.emplace_back(lo, hi);
  }
  std::sort(cut.begin(), cut.end());
  std::vector<std::pair<double, double>> pieces;
  double from = 0;
  for (const auto& [lo, hi] : cut) {
    if (lo > from) pieces.emplace_back(from, lo);
    from = std::max(from, hi);
  }
  if (from < 1) pieces.emplace_back(from, 1.0);
  return pieces;
}

// The one factor (at most 1) by which texts on one row, centred at ascending centres
// with their full widths, shrink so that neighbours stand gap apart.
inline double kes_row_fit(const std::vector<double>& centres, const std::vector<double>& widths, double gap) {
  double s = 1;
  for (std::size_t i = 1; i < centres.size() && i < widths.size(); ++i) {
    const double need = (widths[i - 1] + widths[i]) / 2, room = centres[i] - centres[i - 1] - gap;
    if (need > 0) s = std::min(s, std::max(0.0, room) / need);
  }
  return s;
}

// The factor of kes_row_fit for the same texts on two rows, every other text sharing a
// row.
inline double kes_two_row_fit(const std::vector<double>& centres, const std::vector<double>& widths, double gap) {
  double two = 1;
  for (std::size_t start = 0; start < 2; ++start) {
    std::vector<double> c, w;
    for (std::size_t i = start; i < centres.size() && i < widths.size(); i += 2) c.push_back(centres[i]), w.push_back(widths[i]);
    two = std::min(two, kes_row_fit(c, w, gap));
  }
  return two;
}

// How the value texts over a row of bars are set: one size for them all, a factor of
// their full size, and whether they take two rows, each rising over the one before it
// where they would meet.
struct kes_values_set {
  double scale;
  bool two_rows;
};

// Neighbours that do not meet at full size keep it; else all shrink alike down to
// `least` of it (in twentieths, so that a size reads as a round number); past that
// they take two rows, so that every other text shares a row, shrinking alike as far as
// `least_two` where the texts of a row would still meet.
inline kes_values_set kes_set_values(const std::vector<double>& centres, const std::vector<double>& widths,
                                     double gap, double least = 0.8, double least_two = 0.6) {
  const auto twentieths = [](double s) { return s >= 1 ? 1.0 : static_cast<double>(static_cast<long>(s * 20)) / 20; };
  const double one = kes_row_fit(centres, widths, gap);
  if (one >= least) return {twentieths(one), false};
  return {std::max(least_two, twentieths(kes_two_row_fit(centres, widths, gap))), true};
}

// Which of a row of value texts (centres ascending) are written where even on two rows
// at `least_two` of their size they would stand closer than half a blank (`blank` at
// full size) and so read as one: then the tallest bars' (ties: the leftmost first)
// each keep theirs where, at `least` of its full size on one row, it stands gap clear
// of those kept before it; the rest are left out. Where two rows hold them all, all
// are kept.
inline std::vector<bool> kes_values_kept(const std::vector<double>& centres, const std::vector<double>& widths,
                                         const std::vector<double>& tallness, double gap, double blank,
                                         double least = 0.8, double least_two = 0.6) {
  const std::size_t n = std::min({centres.size(), widths.size(), tallness.size()});
  std::vector<bool> keep(n, true);
  if (kes_two_row_fit(centres, widths, least_two * blank / 2) >= least_two) return keep;
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return tallness[a] > tallness[b]; });
  std::set<std::size_t> kept;  // by place along the row
  const auto clear = [&](std::size_t a, std::size_t b) {
    return std::abs(centres[b] - centres[a]) - gap >= least * (widths[a] + widths[b]) / 2;
  };
  for (std::size_t i : order) {
    const auto next = kept.lower_bound(i);
    if ((next == kept.end() || clear(i, *next)) && (next == kept.begin() || clear(*std::prev(next), i))) kept.insert(i);
  }
  for (std::size_t i = 0; i < n; ++i) keep[i] = kept.count(i) > 0;
  return keep;
}

// How far each of a row of value texts rises over its bar, given their rooms standing
// on their bars in order (y_up: y grows upward, else downward): on two rows, every
// second text (the second, fourth, ...) that meets a neighbour rises until its room
// stands just clear over the neighbours it would meet; the others stay (0).
inline std::vector<double> kes_value_rises(const std::vector<kes_room>& rooms, bool two_rows, bool y_up) {
  std::vector<double> rise(rooms.size(), 0.0);
  if (!two_rows) return rise;
  for (std::size_t k = 1; k < rooms.size(); k += 2) {
    // Just clear of each neighbour it meets, and of one it would meet once risen.
    for (int pass = 0; pass < 2; ++pass)
      for (std::size_t n : {k - 1, k + 1}) {
        if (n >= rooms.size()) continue;
        const double r = rise[k] * (y_up ? 1 : -1);
        if (kes_rooms_meet({rooms[k].x0, rooms[k].y0 + r, rooms[k].x1, rooms[k].y1 + r}, rooms[n]))
          rise[k] = std::max(rise[k], y_up ? rooms[n].y1 - rooms[k].y0 : rooms[k].y1 - rooms[n].y0);
      }
  }
  return rise;
}

// Which of a row of texts, in order, are written: the later of two whose rooms meet is
// left out, so that whatever moves came before, no text is written over another.
inline std::vector<bool> kes_texts_apart(const std::vector<kes_room>& rooms) {
  std::vector<bool> kept(rooms.size(), false);
  std::vector<kes_room> taken;
  for (std::size_t i = 0; i < rooms.size(); ++i)
    if (!kes_meets_any(rooms[i], taken)) kept[i] = true, taken.push_back(rooms[i]);
  return kept;
}

// ---- reference labels ----

// One place a reference label may take: the anchor of its baseline (the text's start,
// or its end when `end`), the baseline, the text's length there and whether it had to
// be cut to fit.
struct kes_label_spot {
  double x, y, w;
  bool end;
  bool cut = false;
};

// The room a renderer keeps about a label's text: `side` beyond each end, `under` and
// `over` beyond the baseline on either side (in the renderer's y direction), of which
// `pad_under` and `pad_over` are air, not text.
struct kes_label_air {
  double side, under, over, pad_under, pad_over;
};

inline kes_room kes_spot_room(const kes_label_spot& s, const kes_label_air& air) noexcept {
  const double left = s.end ? s.x - s.w : s.x;
  return {left - air.side, s.y - air.under, left + s.w + air.side, s.y + air.over};
}

// An HREF label's places by its line at x, d clear of it: on each row (baselines in
// order of preference) starting right of the line, then ending left of it. A length
// below 0 leaves that side out (the text has no room there).
inline std::vector<kes_label_spot> kes_href_spots(double x, double d, const std::vector<double>& rows, double w_right,
                                                  double w_left, bool cut_right = false, bool cut_left = false) {
  std::vector<kes_label_spot> spots;
  for (double y : rows) {
    if (w_right >= 0) spots.push_back({x + d, y, w_right, false, cut_right});
    if (w_left >= 0) spots.push_back({x - d, y, w_left, true, cut_left});
  }
  return spots;
}

// A cell's reference lines, each with the label whose line it is (HREF i as i, VREF i
// as -1 - i): a label keeps off the other lines where it can.
struct kes_ref_lines {
  std::vector<kes_room> lines;
  std::vector<long> owner;
  void add(const kes_room& line, long own) { lines.push_back(line), owner.push_back(own); }
  // Every line but those of label own.
  std::vector<kes_room> but(long own) const {
    std::vector<kes_room> rest;
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (owner[i] != own) rest.push_back(lines[i]);
    return rest;
  }
};

// Whether a VREF label at line_y tries the side under its line first (else the side
// above): the side toward the frame's nearer edge, under a line in the frame's lower
// half, above one in its upper half (a line at the middle: above). The strip between
// a line and its nearer edge is the narrower, off the middle of the frame where the
// data mostly lie, and a label there reads as its line's, not as the next line's;
// both renderers take this one rule. under_y and above_y are the baselines on either
// side and [lo, hi] the frame's extent, in the renderer's units either way up.
inline bool kes_vref_under_first(double line_y, double under_y, double above_y, double lo, double hi) noexcept {
  // The edge each side faces: the one its baseline lies toward.
  const double under_edge = under_y > above_y ? hi : lo, above_edge = under_y > above_y ? lo : hi;
  return std::fabs(under_edge - line_y) < std::fabs(above_edge - line_y);
}

// The places along a row at `start`, then just m past each text in the way (on the
// text's far side from the start, in the label's own direction: leftward when `end`),
// nearest first.
inline std::vector<double> kes_row_walk(double start, bool end, const std::vector<kes_room>& texts, double m) {
  std::vector<double> xs{start};
  for (const kes_room& o : texts) xs.push_back(end ? o.x0 - m : o.x1 + m);
  std::sort(xs.begin(), xs.end(), [&](double a, double b) { return std::fabs(a - start) < std::fabs(b - start); });
  std::vector<double> ahead;
  for (double x : xs)
    if (end ? x <= start : x >= start) ahead.push_back(x);
  return ahead;
}

// A VREF label's places, its text starting at `start` (ending there when `end`): on
// the first side's baseline (kes_vref_under_first's), then the other side's, at the
// start and then along the line just m past each text in the way, nearest first; the
// start on the other side comes second, so that a label leaves its line's start only
// when both sides there are taken.
inline std::vector<kes_label_spot> kes_vref_spots(double start, bool end, double line_y, double under_y, double above_y,
                                                  double lo, double hi, double w, bool cut,
                                                  const std::vector<kes_room>& texts, double m) {
  const bool under = kes_vref_under_first(line_y, under_y, above_y, lo, hi);
  std::vector<kes_label_spot> spots;
  for (double y : {under ? under_y : above_y, under ? above_y : under_y})
    for (double x : kes_row_walk(start, end, texts, m)) spots.push_back({x, y, w, end, cut});
  for (std::size_t k = 1; k < spots.size(); ++k)
    if (spots[k].x == start && spots[k].y != spots[0].y) {
      std::rotate(spots.begin() + 1, spots.begin() + static_cast<long>(k), spots.begin() + static_cast<long>(k) + 1);
      break;
    }
  return spots;
}

// A piece of a data line (a step, a chord of a curve) from (x0, y0) to (x1, y1).
struct kes_segment {
  double x0, y0, x1, y1;
};

// Whether the segment runs through the room (along its edge counts, a corner does not).
inline bool kes_segment_crosses(const kes_segment& s, const kes_room& r) noexcept {
  double lo, hi;
  return kes_room_stretch(s.x0, s.y0, s.x1 - s.x0, s.y1 - s.y0, r, &lo, &hi);
}

// The place a reference label takes among its spots. A place within bounds over no
// text ranks by what runs through it: nothing first, then other reference lines (they are
// broken behind it), then the data's lines (steps, curves), which are not, so that a
// label stands off the data wherever its frame has room. An HREF label's room reaches
// back to its line at line_x (NaN for a VREF label), so that no other line comes
// between them; the air between keeps no text away (a bar's value by the line leaves
// the row to the label). Where no place by its line is clear of texts, an HREF label
// walks along each row past the texts in the way, a text's height clear of them (a
// label beside the others is read, one over them is not); where none is, the
// first by its line whose text keeps off the others' rooms, else the one sharing the
// least area with them. Among places of one standing, those holding the text whole
// come before those that cut it, each in its order. *room: the room its text takes.
inline kes_label_spot kes_ref_label_place(const std::vector<kes_label_spot>& spots, const kes_label_air& air,
                                          double line_x, const kes_room& bounds, const std::vector<kes_room>& texts,
                                          const std::vector<kes_room>& lines, kes_room* room,
                                          const std::vector<kes_segment>& data = {}) {
  std::vector<kes_label_spot> order = spots;
  std::stable_partition(order.begin(), order.end(), [](const kes_label_spot& s) { return !s.cut; });
  constexpr int kOverText = 3;
  const auto rank = [&](const kes_label_spot& s) {
    const kes_room own = kes_spot_room(s, air);
    if (!kes_room_within(own, bounds) || kes_meets_any(own, texts)) return kOverText;
    if (std::any_of(data.begin(), data.end(), [&](const kes_segment& d) { return kes_segment_crosses(d, own); }))
      return 2;
    kes_room reach = own;
    if (!std::isnan(line_x)) reach.x0 = std::min(reach.x0, line_x), reach.x1 = std::max(reach.x1, line_x);
    return kes_meets_any(reach, lines) ? 1 : 0;
  };
  std::vector<int> ranks;
  for (const kes_label_spot& s : order) ranks.push_back(rank(s));
  // The first of the places of at most rank `most`: those holding the text whole
  // first (a text cut to "..." may not read at all), each by rank, then by order.
  const auto first = [](const std::vector<kes_label_spot>& ss, const std::vector<int>& rs, int most) {
    for (const bool cut : {false, true})
      for (int r = 0; r <= most; ++r)
        for (std::size_t i = 0; i < rs.size(); ++i)
          if (rs[i] == r && ss[i].cut == cut) return i;
    return rs.size();
  };
  const auto taking = [&](const kes_label_spot& s) {
    *room = kes_spot_room(s, air);
    return s;
  };
  std::size_t at = first(order, ranks, 2);
  if (at < order.size()) return taking(order[at]);
  std::vector<kes_label_spot> along;
  std::vector<int> along_ranks;
  if (!std::isnan(line_x))
    for (const kes_label_spot& s : order) {
      const kes_room own = kes_spot_room(s, air);
      std::vector<kes_room> in_row;
      for (const kes_room& o : texts)
        if (o.y0 < own.y1 && own.y0 < o.y1) in_row.push_back(o);
      // A text's height clear of the texts it passes, so that it does not read as
      // their last word.
      for (double x : kes_row_walk(s.x, s.end, in_row, air.side + air.under + air.over))
        if (x != s.x) along.push_back({x, s.y, s.w, s.end, s.cut}), along_ranks.push_back(rank(along.back()));
    }
  if ((at = first(along, along_ranks, 2)) < along.size()) return taking(along[at]);
  if (order.empty()) return taking({});
  // Every place meets a text: the first whose text itself keeps off the others' rooms
  // still reads (rooms that meet only in their air), else the least shared area.
  for (const kes_label_spot& s : order) {
    const kes_room own = kes_spot_room(s, air);
    const kes_room ink{own.x0 + air.side, own.y0 + air.pad_under, own.x1 - air.side, own.y1 - air.pad_over};
    if (kes_room_within(own, bounds) && !kes_meets_any(ink, texts)) return taking(s);
  }
  std::vector<kes_room> own;
  for (const kes_label_spot& s : order) own.push_back(kes_spot_room(s, air));
  return taking(order[kes_label_place(own, bounds, texts, {})]);
}
