// The look both renderers share: the curve colours, in order (a colour-blind-safe
// palette), so that a device graph and a template graph of one request match.
#pragma once

namespace plat::graph {

// The ink of texts, data points and the device's foreground: a near black.
inline constexpr const char* kInk = "#1F1F1F";

// The first title line of a page, bold, in px at the default page.
inline constexpr double kTitleSize = 14;

// Blue, vermillion, green, purple, black, orange, sky blue, yellow. Any first seven
// differ clearly to normal eyes and to eyes without one kind of cone alike; orange
// and sky blue, near vermillion and blue, come after every hue that stands apart, and
// in the places that give them another line style than their near hue (the styles
// repeat every five curves: orange sixth is solid beside a dashed vermillion, sky blue
// seventh dashed beside a solid blue); yellow, which orange matches to a red-blind
// eye, comes last.
inline constexpr const char* kCurveColours[8] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                                 "#000000", "#E69F00", "#56B4E9", "#F0E442"};

}  // namespace plat::graph
