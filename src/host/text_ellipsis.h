// The ellipsis that ends a text cut to fit its room, as UTF-8 bytes: the module's cut
// reference-line labels and the template graphs' cut texts end in it.
#pragma once
#include <string_view>

inline constexpr std::string_view KES_ELLIPSIS = "\xE2\x80\xA6";
