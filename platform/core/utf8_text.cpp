#include "core/utf8_text.h"
#include "host/kes_utf8.h"

#include <cstdio>

namespace plat {

std::string printable_text(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const bool control = (c < 0x20 && c != '\t') || c == 0x7F;
    if (const std::size_t n = control ? 0 : kes_utf8_char_length(s, i)) {
      out.append(s, i, n);
      i += n;
      continue;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(s[i++]));
    out += hex;
  }
  return out;
}

std::string text_as_utf8(std::string_view s, std::size_t* replaced) {
  std::string out;
  out.reserve(s.size());
  *replaced = 0;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t n = kes_utf8_char_length(s, i);
    const bool control = (c < 0x20 && c != '\t') || c == 0x7F ||
                         (n == 2 && c == 0xC2 && static_cast<unsigned char>(s[i + 1]) < 0xA0);
    if (n == 0 || control) {
      out += "\xEF\xBF\xBD";  // U+FFFD
      ++*replaced;
      i += n == 0 ? 1 : n;
      continue;
    }
    out.append(s, i, n);
    i += n;
  }
  return out;
}

}  // namespace plat
