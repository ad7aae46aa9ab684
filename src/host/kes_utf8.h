// Where UTF-8 characters begin and end, the one rule for the module and the stand-in
// host: the length of the valid character at a byte, the start of the character that
// holds a byte, and a cut at a byte count that does not split a character.
#pragma once

#include <cstddef>
#include <string_view>

// Whether byte c continues a character (10xxxxxx) rather than starting one.
inline constexpr bool kes_utf8_continues(char c) noexcept { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The length in bytes of the valid UTF-8 character at s[i] (1 for an ASCII byte), or 0
// when the bytes there are not one: a stray continuation byte, a cut, overlong or
// surrogate form, or a code point past U+10FFFF.
inline constexpr std::size_t kes_utf8_char_length(std::string_view s, std::size_t i) noexcept {
  if (i >= s.size()) return 0;
  const unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return 1;
  const std::size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || n > s.size() - i) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if (!kes_utf8_continues(s[i + k])) return 0;
  // The second byte's range rules out overlong forms, surrogates and code points past
  // U+10FFFF.
  const unsigned char d = static_cast<unsigned char>(s[i + 1]);
  if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d > 0x9F) || (c == 0xF0 && d < 0x90) || (c == 0xF4 && d > 0x8F))
    return 0;
  return n;
}

// The start of the character that holds byte i (i itself from the end of s on): i
// stepped back over continuation bytes, so that a stray one stays with what precedes it
// and a text that is not UTF-8 is never cut inside a run of them.
inline constexpr std::size_t kes_utf8_char_start(std::string_view s, std::size_t i) noexcept {
  while (i > 0 && i < s.size() && kes_utf8_continues(s[i])) --i;
  return i;
}

// How many bytes of s to keep in at most max without splitting a valid character: max,
// or the start of the valid character that reaches past it.
inline constexpr std::size_t kes_utf8_cut(std::string_view s, std::size_t max) noexcept {
  if (s.size() <= max) return s.size();
  for (std::size_t back = 1; back <= 3 && back <= max; ++back)
    if (kes_utf8_char_length(s, max - back) > back) return max - back;
  return max;
}
