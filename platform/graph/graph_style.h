// The look both renderers share: the curve colours, in order (a colour-blind-safe
// palette), so that a device graph and a template graph of one request match.
#pragma once

namespace plat::graph {

inline constexpr const char* kCurveColours[8] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                                 "#E69F00", "#56B4E9", "#000000", "#F0E442"};

}  // namespace plat::graph
