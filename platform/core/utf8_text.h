// UTF-8 as the run's texts take it: a text made printable for the log by showing each
// byte that is not UTF-8, and each control character, as \xHH, and a program's text
// made one that every output can hold.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace plat {

// The byte order mark some editors begin a UTF-8 file with: no part of its text.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// s with every byte that is not part of a valid UTF-8 character, and every control
// character but the tab (DEL included), written as \xHH.
std::string printable_text(std::string_view s);

// s with each byte that is not part of a valid UTF-8 character, and each control
// character but the tab (C1 ones, U+0080 to U+009F, included), replaced by U+FFFD;
// *replaced is how many were. For the program's own texts (titles, labels), which
// reach the listing, the graphs and the JSON: data values are never made over.
std::string text_as_utf8(std::string_view s, std::size_t* replaced);

}  // namespace plat
