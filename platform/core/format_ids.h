// Formats named in statements: the parser stores a format as width, decimals and a
// word identifying its name (kes_fmtentry); this table turns the word back into the
// name for the host's formatting services.
#pragma once
#include <cstdint>
#include <string>

namespace plat {

// The word of a format name (upper case, "$" first for character formats, "F" for
// w.d); words count from 1, skipping 99 (the best form of the number services), and
// stay valid for the life of the process.
std::uint32_t format_id(const std::string& name);
// The name of a word, or "" for 0 or an unknown word.
const std::string& format_name(std::uint32_t id);

}  // namespace plat
