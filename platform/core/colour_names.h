// Colour names as a user writes them: the 148 CSS colour keywords, in any case, and
// #RRGGBB.
#pragma once
#include <string>
#include <string_view>

namespace plat {

// The "#RRGGBB" (upper case) of a colour name, or empty when it names no colour.
std::string colour_rgb(std::string_view name);

// What the 8-character colour field of a record holds for a colour word as written: a
// name of up to 8 characters as it stands (upper case), a longer one as its #RRGGBB,
// so that no name is cut into another name or into none; the words the procedure
// gives a meaning of its own (BLANK, EMPTY, NONE) as they are. False, and *field
// untouched, when the word names no colour.
bool colour_field(std::string_view word, std::string* field);

}  // namespace plat
