// Case rules of the stand-in: names are stored and shown as written and compared
// ignoring case; keywords, librefs and option names are matched in upper case.
#pragma once
#include <string>
#include <string_view>

namespace plat {

// ASCII upper case; other bytes unchanged.
std::string upper(std::string_view s);
// Equal ignoring ASCII case.
bool iequals(std::string_view a, std::string_view b);

}  // namespace plat
