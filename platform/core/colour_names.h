// Colour names as a user writes them: the 148 CSS colour keywords, in any case, and
// #RRGGBB.
#pragma once
#include <string>
#include <string_view>

namespace plat {

// The "#RRGGBB" (upper case) of a colour name, or empty when it names no colour.
std::string colour_rgb(std::string_view name);

}  // namespace plat
