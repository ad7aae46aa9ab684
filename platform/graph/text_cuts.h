// Texts of one set (the entries of a legend, the strips of a panel) shrunk or cut to a
// common width so that different texts stay different: a text too long is cut in its
// middle, keeping its start and the part where it differs from the others.
#pragma once
#include <string>
#include <vector>

#include "graph/template_canvas.h"

namespace plat::graph {

// Each text as drawn in `width` at style t: unchanged when it fits; else its start, an
// ellipsis and its end from where it parts from the text nearest it, or from earlier
// where other texts cut the same way end alike ("…04", "…14", not "…4" twice), the
// end cut too (and ending in an ellipsis) only when even that does not fit.
std::vector<std::string> cut_apart(const std::vector<std::string>& texts, const text_style& t, double width);

// A text as drawn and its size.
struct sized_text {
  std::string text;
  double size;
};
// Each text whole at the largest size from t's down to 80 % of it at which it fits
// `width`, so that its numbers stay; a text that does not fit even then is cut apart
// from the others (cut_apart) at 80 %.
std::vector<sized_text> shrink_or_cut_apart(const std::vector<std::string>& texts, const text_style& t, double width);

}  // namespace plat::graph
