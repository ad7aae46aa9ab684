// Where UTF-8 characters begin and end: the length of each valid 1 to 4 byte form at
// its range edges and of each invalid form (0), the same bytes cut short at every
// length, the start of the character that holds each byte, and cuts at every byte
// count of a mixed text, which keep whole characters only and lose at most one.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <string_view>

#include "host/kes_utf8.h"

namespace {

struct length_row {
  const char* what;
  std::string_view bytes;
  std::size_t length;  // of the character at byte 0
};

const length_row kLengths[] = {
    {"NUL", std::string_view("\0", 1), 1},
    {"ASCII", "A", 1},
    {"DEL", "\x7F", 1},
    {"U+0080, least 2-byte", "\xC2\x80", 2},
    {"U+07FF, last 2-byte", "\xDF\xBF", 2},
    {"U+0800, least 3-byte", "\xE0\xA0\x80", 3},
    {"U+D7FF, below the surrogates", "\xED\x9F\xBF", 3},
    {"U+E000, above the surrogates", "\xEE\x80\x80", 3},
    {"U+FFFF", "\xEF\xBF\xBF", 3},
    {"U+10000, least 4-byte", "\xF0\x90\x80\x80", 4},
    {"U+10FFFF, last code point", "\xF4\x8F\xBF\xBF", 4},
    {"stray continuation", "\x80", 0},
    {"stray last continuation", "\xBF", 0},
    {"overlong 2-byte C0", "\xC0\x80", 0},
    {"overlong 2-byte C1", "\xC1\xBF", 0},
    {"overlong 3-byte", "\xE0\x9F\xBF", 0},
    {"overlong 4-byte", "\xF0\x8F\xBF\xBF", 0},
    {"surrogate U+D800", "\xED\xA0\x80", 0},
    {"surrogate U+DFFF", "\xED\xBF\xBF", 0},
    {"U+110000, past the last", "\xF4\x90\x80\x80", 0},
    {"lead F5", "\xF5\x80\x80\x80", 0},
    {"lead F8", "\xF8\x88\x80\x80", 0},
    {"lead FF", "\xFF", 0},
    {"2-byte lead then ASCII", "\xC3(", 0},
    {"3-byte lead, second not a continuation", "\xE2(\xA1", 0},
    {"3-byte lead, third not a continuation", "\xE2\x82(", 0},
    {"4-byte lead, last not a continuation", "\xF0\x9F\x98(", 0},
    {"valid then trailing continuation (the first only)", "\xC3\xA9\x80", 2},
};

TEST(Utf8, CharacterLengths) {
  for (const length_row& r : kLengths) EXPECT_EQ(kes_utf8_char_length(r.bytes, 0), r.length) << r.what;
}

TEST(Utf8, EveryValidCharacterCutShortIsNone) {
  for (const length_row& r : kLengths) {
    if (r.length < 2) continue;
    for (std::size_t n = 1; n < r.length; ++n)
      EXPECT_EQ(kes_utf8_char_length(r.bytes.substr(0, n), 0), 0u) << r.what << " cut at " << n;
  }
}

TEST(Utf8, LengthsPastAndInsideTheText) {
  const std::string_view s = "a\xE2\x82\xAC";  // a, U+20AC
  EXPECT_EQ(kes_utf8_char_length(s, 0), 1u);
  EXPECT_EQ(kes_utf8_char_length(s, 1), 3u);
  EXPECT_EQ(kes_utf8_char_length(s, 2), 0u);  // inside the character
  EXPECT_EQ(kes_utf8_char_length(s, 3), 0u);
  EXPECT_EQ(kes_utf8_char_length(s, 4), 0u);  // the end
  EXPECT_EQ(kes_utf8_char_length(s, 99), 0u);
}

TEST(Utf8, CharacterStartOfEveryByte) {
  // a, U+00E9, U+20AC, U+1F600, b, then a stray continuation that stays with b.
  const std::string_view s = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80" "b\x80";
  const std::size_t start[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10, 10, 12, 13};
  for (std::size_t i = 0; i <= s.size() + 1; ++i) EXPECT_EQ(kes_utf8_char_start(s, i), start[i]) << "byte " << i;
  EXPECT_EQ(kes_utf8_char_start("\x80\x80", 1), 0u);  // never before the text
}

TEST(Utf8, CutsAtEveryByteCount) {
  // The ends of whole characters of s, and a cut at n keeps the last one at most n.
  const std::string_view s = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80" "b";
  const std::size_t kept[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10, 11, 11, 11};
  for (std::size_t n = 0; n < std::size(kept); ++n) {
    const std::size_t k = kes_utf8_cut(s, n);
    EXPECT_EQ(k, kept[n]) << "cut at " << n;
    // What is kept is whole characters, every one valid.
    for (std::size_t i = 0; i < k;) {
      const std::size_t len = kes_utf8_char_length(s.substr(0, k), i);
      ASSERT_GT(len, 0u) << "cut at " << n << " splits the character at " << i;
      i += len;
    }
  }
}

TEST(Utf8, CutsLeaveInvalidBytesWhereTheyFall) {
  // No valid character reaches past the cut, so the cut stays at max: a cut short
  // character, an overlong form and a stray continuation do not move it.
  EXPECT_EQ(kes_utf8_cut("ab\xE2\x82", 3), 3u);
  EXPECT_EQ(kes_utf8_cut("ab\xC0\x80", 3), 3u);
  EXPECT_EQ(kes_utf8_cut("a\x80\x80\x80\x80", 3), 3u);
  // The valid U+20AC of a lead with one continuation byte too many ends at 3.
  EXPECT_EQ(kes_utf8_cut("\xE2\x82\xAC\x80x", 3), 3u);
  EXPECT_EQ(kes_utf8_cut("\xE2\x82\xAC\x80x", 2), 0u);
}

}  // namespace
