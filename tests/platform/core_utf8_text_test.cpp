// UTF-8 character lengths at the edges of each form (from the Unicode standard's table
// of well-formed byte sequences), and texts shown for the log with each byte that is
// not UTF-8, and each control character, as \xHH.
#include <gtest/gtest.h>

#include <string>

#include "core/utf8_text.h"

namespace {

TEST(Utf8Text, CharacterLengths) {
  struct row {
    std::string bytes;
    std::size_t length;
  };
  const row rows[] = {
      {"a", 1},
      {"\x7f", 1},
      {"\xc2\x80", 2},          // U+0080, the first of two bytes
      {"\xdf\xbf", 2},          // U+07FF
      {"\xc0\x80", 0},          // overlong NUL
      {"\xc1\xbf", 0},          // overlong U+007F
      {"\xe0\xa0\x80", 3},      // U+0800
      {"\xe0\x9f\xbf", 0},      // overlong U+07FF
      {"\xed\x9f\xbf", 3},      // U+D7FF
      {"\xed\xa0\x80", 0},      // a surrogate
      {"\xef\xbb\xbf", 3},      // U+FEFF, the byte order mark
      {"\xf0\x90\x80\x80", 4},  // U+10000
      {"\xf0\x8f\xbf\xbf", 0},  // overlong U+FFFF
      {"\xf4\x8f\xbf\xbf", 4},  // U+10FFFF
      {"\xf4\x90\x80\x80", 0},  // past U+10FFFF
      {"\xf5\x80\x80\x80", 0},
      {"\xff\x80\x80", 0},
      {"\x80", 0},  // a continuation byte alone
      {"\xc3", 0},  // cut at the end
      {"\xe2\x82", 0},
      {"\xc3x", 0},  // cut by an ASCII byte
  };
  for (const row& r : rows) EXPECT_EQ(plat::utf8_char_length(r.bytes, 0), r.length) << r.bytes;
  EXPECT_EQ(plat::utf8_char_length("ab", 2), 0u);
}

TEST(Utf8Text, PrintableTextsAreUtf8AndKeepWhatWas) {
  EXPECT_EQ(plat::printable_text("caf\xc3\xa9 \xe2\x82\xac"), "caf\xc3\xa9 \xe2\x82\xac");
  EXPECT_EQ(plat::printable_text("f\xc3"), "f\\xC3");
  EXPECT_EQ(plat::printable_text("\xff\xfe"
                             "a"),
            "\\xFF\\xFEa");
  // The bytes after a cut character are read afresh: a whole character stays whole.
  EXPECT_EQ(plat::printable_text("\xe2\xc3\xa9"), "\\xE2\xc3\xa9");
  EXPECT_EQ(plat::printable_text("\xed\xa0\x80"), "\\xED\\xA0\\x80");
  // Control characters too, but the tab.
  EXPECT_EQ(plat::printable_text(std::string("a\x01\tb\x7f\x1f\0", 7)), "a\\x01\tb\\x7F\\x1F\\x00");
}

}  // namespace
