// The text, key and array routines, with hand-worked expectations.
#include <gtest/gtest.h>

#include <bit>
#include <cstddef>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "core/host_vectors.h"
#include "driver/kes_text.h"
#include "host/host_connection.h"

namespace {

std::string str(const char* p, int n) { return std::string(p, static_cast<size_t>(n)); }

class text : public ::testing::Test {
 protected:
  // The locale-dependent routines reach the host through the anchor.
  void SetUp() override { mcn_main(plat::anchor(), nullptr); }
};

// ---- blank tests, moves and fills ----

TEST_F(text, AllSameCharacter) {
  EXPECT_EQ(vzatl(' ', "   ", 3), 1);
  EXPECT_EQ(vzatl(' ', "  x", 3), 0);
  EXPECT_EQ(vzatl(' ', "x  ", 3), 0);
  EXPECT_EQ(vzatl('*', "***", 3), 1);
  EXPECT_EQ(vzatl(' ', "abc", 0), 1);
  EXPECT_EQ(vzatl(' ', "abc", -2), 1);
}

TEST_F(text, FillDoubles) {
  double a[4] = {1, 2, 3, 4};
  vzfdl(9.5, a, 0);
  vzfdl(9.5, a, -1);
  EXPECT_EQ(a[0], 1);
  vzfdl(9.5, a, 3);
  EXPECT_EQ(a[2], 9.5);
  EXPECT_EQ(a[3], 4);
  // A missing value keeps its bit pattern (its kind lives in the bits).
  const double miss = std::bit_cast<double>(std::uint64_t{0xFFFFFE0000000000ULL});
  vzfdl(miss, a, 4);
  for (double d : a) EXPECT_EQ(std::bit_cast<std::uint64_t>(d), 0xFFFFFE0000000000ULL);
}

TEST_F(text, MoveWithPaddingTruncationAndOverlap) {
  char d[6];
  vzmp("abc", 3, d, 6);
  EXPECT_EQ(str(d, 6), "abc   ");
  vzmp("abcdefgh", 8, d, 6);
  EXPECT_EQ(str(d, 6), "abcdef");
  vzmp("xyz", 0, d, 6);
  EXPECT_EQ(str(d, 6), "      ");
  char buf[] = "abcdefgh";
  vzmp(buf, 4, buf + 2, 4);  // overlapping, moving right
  EXPECT_EQ(std::string(buf), "ababcdgh");
  char buf2[] = "abcdefgh";
  vzmp(buf2 + 2, 6, buf2, 4);  // overlapping, moving left
  EXPECT_EQ(std::string(buf2), "cdefefgh");
}

// ---- stripping and justifying ----

TEST_F(text, StripTrailingBlanks) {
  EXPECT_EQ(wzstrip("ab  ", 4), 2);
  EXPECT_EQ(wzstrip("    ", 4), 0);
  EXPECT_EQ(wzstrip("a b     ", 8), 3);
  EXPECT_EQ(wzstrip("abc", 0), 0);
  EXPECT_EQ(wzstrip("abc", -3), -3);
  // The word-at-a-time scan must agree with a byte scan wherever the last
  // non-blank sits, and must not stop at a word holding blanks and a letter.
  for (int len = 1; len <= 21; ++len) {
    for (int pos = 0; pos < len; ++pos) {
      std::string t(static_cast<size_t>(len), ' ');
      t[static_cast<size_t>(pos)] = 'x';
      EXPECT_EQ(wzstrip(t.data(), len), pos + 1) << len << " " << pos;
    }
    EXPECT_EQ(wzstrip(std::string(static_cast<size_t>(len), ' ').data(), len), 0);
  }
}

TEST_F(text, JustifyCentreLeftRight) {
  char t[] = "  ab  ";
  EXPECT_EQ(wzstjus(t, 6, 'C'), 2);
  EXPECT_EQ(std::string(t), "  ab  ");
  EXPECT_EQ(wzstjus(t, 6, 'L'), 2);
  EXPECT_EQ(std::string(t), "ab    ");
  EXPECT_EQ(wzstjus(t, 6, 'r'), 2);
  EXPECT_EQ(std::string(t), "    ab");
  EXPECT_EQ(wzstjus(t, 6, 'c'), 2);
  EXPECT_EQ(std::string(t), "  ab  ");
  char u[] = "a b   ";  // an inner blank stays
  EXPECT_EQ(wzstjus(u, 6, 'R'), 3);
  EXPECT_EQ(std::string(u), "   a b");
  char v[] = "abc   ";  // (6 - 3) / 2 rounds down
  EXPECT_EQ(wzstjus(v, 6, 'C'), 3);
  EXPECT_EQ(std::string(v), " abc  ");
}

TEST_F(text, JustifyOutputsAndBlankText) {
  char t[] = "   xy ";
  int len = -1, start = -1;
  EXPECT_EQ(wzstjls(t, 6, 'L', &len, &start), 2);
  EXPECT_EQ(len, 2);
  EXPECT_EQ(start, 0);
  char u[] = "   xy ";
  EXPECT_EQ(wzstjls(u, 6, '?', &len, &start), 2);  // other codes move nothing
  EXPECT_EQ(std::string(u), "   xy ");
  EXPECT_EQ(start, 3);
  char b[] = "    ";
  len = start = 7;
  EXPECT_EQ(wzstjls(b, 4, 'R', &len, &start), 0);
  EXPECT_EQ(len, 0);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(std::string(b), "    ");
  EXPECT_EQ(wzstjls(b, 4, 'R', nullptr, nullptr), 0);
}

// ---- concatenation ----

TEST_F(text, ConcatenateWithSeparator) {
  char d[8];
  EXPECT_EQ(wzstcat(d, 5, ',', 2, "ab", 2, "cd", 2), 5);
  EXPECT_EQ(str(d, 5), "ab,cd");
  EXPECT_EQ(wzstcat(d, 4, ',', 2, "ab", 2, "cd", 2), 4);
  EXPECT_EQ(str(d, 4), "ab,c");
  EXPECT_EQ(wzstcat(d, 3, ',', 2, "ab", 2, "cd", 2), 3);  // separator fills the room
  EXPECT_EQ(str(d, 3), "ab,");
  EXPECT_EQ(wzstcat(d, 8, ',', 2, "ab", 2, "cd", 2), 5);  // no separator after the last
  EXPECT_EQ(str(d, 8), "ab,cd   ");
  EXPECT_EQ(wzstcat(d, 8, -1, 3, "ab", 2, "c", 1, "de", 2), 5);
  EXPECT_EQ(str(d, 8), "abcde   ");
}

TEST_F(text, ConcatenateNulTerminated) {
  char d[8];
  std::memset(d, '#', sizeof d);
  EXPECT_EQ(wzstcat(d, -6, '-', 2, "ab", 2, "cd", -1), 5);
  EXPECT_EQ(std::string(d), "ab-cd");
  std::memset(d, '#', sizeof d);
  EXPECT_EQ(wzstcat(d, -4, '-', 2, "ab", 2, "cd", 2), 3);
  EXPECT_EQ(std::string(d), "ab-");
  EXPECT_EQ(wzstcat(d, -1, '-', 1, "ab", 2), 0);
  EXPECT_EQ(d[0], '\0');
}

// ---- searching ----

TEST_F(text, FindSubstring) {
  EXPECT_EQ(wzstndx("xabcy", 5, "abc", 3), 1);
  EXPECT_EQ(wzstndx("xabcy", 5, "", 0), 0);
  EXPECT_EQ(wzstndx("xabcy", 5, nullptr, 3), 0);
  EXPECT_EQ(wzstndx("xabcy", 0, "a", 1), -1);
  EXPECT_EQ(wzstndx("ab", 2, "abc", 3), -1);
  EXPECT_EQ(wzstndx("xabcy", 5, "cy", -1), 3);  // at the very end
  EXPECT_EQ(wzstndx("aab", 3, "ab", 2), 1);     // after a false start
  EXPECT_EQ(wzstndx("xabcy", 5, "abd", 3), -1);
  EXPECT_EQ(wzstndx("xabcyabc", 5, "abc", 3), 1);
  EXPECT_EQ(wzstndx("xyzab", 4, "ab", 2), -1);  // only len bytes are searched
}

TEST_F(text, FindCharacter) {
  EXPECT_EQ(wzstpos("a,b,c", 5, ','), 1);
  EXPECT_EQ(wzstpos("abc", 3, 'z'), -1);
  EXPECT_EQ(wzstpos(nullptr, 3, 'a'), -1);
  EXPECT_EQ(wzstpos("abc", 0, 'a'), -1);
  EXPECT_EQ(wzstpos("ab\xe9", 3, 0xE9), 2);
}

TEST_F(text, LengthOfNulTerminatedText) {
  EXPECT_EQ(wzstlen(nullptr), 0);
  EXPECT_EQ(wzstlen(""), 0);
  EXPECT_EQ(wzstlen("HEIGHT"), 6);
}

TEST_F(text, CompareBlankPaddedTexts) {
  EXPECT_EQ(wzstcom("abc", 3, "abc", 3), 0);
  EXPECT_EQ(wzstcom("abc", 3, "abd", 3), -3);
  EXPECT_EQ(wzstcom("abd", 3, "abc", 3), 3);
  EXPECT_EQ(wzstcom("b", 1, "a", 1), 1);
  EXPECT_EQ(wzstcom("ab", 2, "ab  ", 4), 0);
  EXPECT_EQ(wzstcom("ab", 2, "ab c", 4), -4);
  EXPECT_EQ(wzstcom("ab c", 4, "ab", 2), 4);
  EXPECT_EQ(wzstcom("ab", 2, "ab\t", 3), 3);  // a tab sorts below the padding blank
  EXPECT_EQ(wzstcom("ab\t", 3, "ab", 2), -3);
  EXPECT_EQ(wzstcom(nullptr, 5, "  ", 2), 0);
  EXPECT_EQ(wzstcom(nullptr, 0, "x", 1), -1);
  EXPECT_EQ(wzstcom("\xe9", 1, "a", 1), 1);  // bytes compare unsigned
}

// ---- editing in place ----

TEST_F(text, DeleteCharacters) {
  char t[] = "a,b,c";
  EXPECT_EQ(wzstdel(t, 5, ",", 1), 3);
  EXPECT_EQ(std::string(t), "abc  ");
  char u[] = "a,b;c";
  EXPECT_EQ(wzstdel(u, 5, ",;", -1), 3);
  EXPECT_EQ(std::string(u), "abc  ");
  char v[] = "a,b";
  EXPECT_EQ(wzstdel(v, -1, ",", 1), 2);
  EXPECT_EQ(std::string(v), "ab");
  char w[] = "a,b";
  EXPECT_EQ(wzstdel(w, 3, ",", 0), 3);
  EXPECT_EQ(std::string(w), "a,b");
  EXPECT_EQ(wzstdel(w, 0, ",", 1), 0);
  char x[] = ",,,";
  EXPECT_EQ(wzstdel(x, 3, ",", 1), 0);
  EXPECT_EQ(std::string(x), "   ");
}

TEST_F(text, ReplaceCharacters) {
  char t[] = "a-b_c";
  wzstrns(t, 5, "  ", "-_", 2);
  EXPECT_EQ(std::string(t), "a b c");
  char u[] = "aab";
  wzstrns(u, 3, "xy", "aa", 2);  // the first match decides
  EXPECT_EQ(std::string(u), "xxb");
  char v[] = "ab";
  wzstrns(v, 2, "ba", "ab", 2);  // each byte is replaced once, no chains
  EXPECT_EQ(std::string(v), "ba");
}

// ---- locale: case and translation ----

TEST_F(text, EqualIgnoringCase) {
  EXPECT_EQ(wzsteqn("Height", 6, "HEIGHT", 6), 1);
  EXPECT_EQ(wzsteqn("Height", 6, "HEIGHT ", 7), 0);
  EXPECT_EQ(wzsteqn("a1", 2, "A2", 2), 0);
  EXPECT_EQ(wzsteqn("", 0, "", 0), 1);
  // Folding that only clears bit 0x20 would take these as equal.
  EXPECT_EQ(wzsteqn("[", 1, "{", 1), 0);
  EXPECT_EQ(wzsteqn("@", 1, "`", 1), 0);
}

TEST_F(text, TranslateThroughTheHostTables) {
  char d[5];
  EXPECT_EQ(wztxxlt(2, "abZ1", d, 4), 0);
  EXPECT_EQ(str(d, 4), "ABZ1");
  EXPECT_EQ(wztxxlt(1, "AbZ1", d, 4), 0);
  EXPECT_EQ(str(d, 4), "abz1");
  char t[] = "mixed Case";
  EXPECT_EQ(wztxxlt(2, t, t, 10), 0);  // in place
  EXPECT_EQ(std::string(t), "MIXED CASE");
  EXPECT_EQ(wztxxlt(5, "ab", d, 2), KES_XLT_BADMODE);
  EXPECT_EQ(wztxxlt(-1, "ab", d, 2), KES_XLT_BADMODE);
  EXPECT_EQ(static_cast<unsigned>(KES_XLT_BADMODE), 0x8000200au);
}

// ---- record keys ----

double bits(std::uint64_t b) { return std::bit_cast<double>(b); }

int cmp_doubles(double a, double b) {
  struct rec {
    int pad;
    double key;
  } x{0, a}, y{0, b};
  return wzbcoff(&x, &y, -1, static_cast<int>(offsetof(rec, key)));
}

TEST_F(text, MissingKeysSortBelowEveryNumber) {
  const double miss = bits(0xFFFFFE0000000000ULL);  // the host's standard missing value
  EXPECT_EQ(cmp_doubles(miss, -1e300), -1);
  EXPECT_EQ(cmp_doubles(-1e300, miss), 1);
  EXPECT_EQ(cmp_doubles(miss, -std::numeric_limits<double>::infinity()), -1);
  EXPECT_EQ(cmp_doubles(miss, miss), 0);
  // A NaN whose kind byte reads 0 is missing too, not equal to every number.
  const double qnan = bits(0x7FF8000000000000ULL);
  EXPECT_EQ(cmp_doubles(qnan, 5.0), -1);
  EXPECT_EQ(cmp_doubles(5.0, qnan), 1);
  EXPECT_EQ(cmp_doubles(qnan, miss), -1);  // kind 0 below kind 2
}

TEST_F(text, MissingKeysOrderAmongThemselvesByKind) {
  // Kind = minus the signed byte 5 of the pattern: 0xfe -> 2, 0xfd -> 3, 0xe5 -> 27.
  const double k2 = bits(0xFFFFFE0000000000ULL);
  const double k3 = bits(0xFFFFFD0000000000ULL);
  const double k27 = bits(0xFFFFE50000000000ULL);
  EXPECT_EQ(cmp_doubles(k3, k2), 1);
  EXPECT_EQ(cmp_doubles(k2, k3), -1);
  EXPECT_EQ(cmp_doubles(k27, k3), 1);
  EXPECT_EQ(cmp_doubles(k2, bits(0xFFFFFE0000000001ULL)), 0);  // only the kind counts
}

TEST_F(text, NumericIntegerAndByteKeys) {
  EXPECT_EQ(cmp_doubles(1.0, 2.0), -1);
  EXPECT_EQ(cmp_doubles(2.0, 1.0), 1);
  EXPECT_EQ(cmp_doubles(-0.0, 0.0), 0);
  struct irec {
    char tag[4];
    std::int32_t key;
  } a{"a", -5}, b{"b", 3};
  EXPECT_EQ(wzbcoff(&a, &b, 0, 4), -1);  // signed, not unsigned
  EXPECT_EQ(wzbcoff(&b, &a, 0, 4), 1);
  EXPECT_EQ(wzbcoff(&a, &a, 0, 4), 0);
  const unsigned char hi[] = {'x', 0x80, 'a'};
  const unsigned char lo[] = {'y', 0x01, 'z'};
  EXPECT_EQ(wzbcoff(hi, lo, 1, 1), 1);  // bytes compare unsigned
  EXPECT_EQ(wzbcoff(hi, lo, 2, 1), 1);
  EXPECT_EQ(wzbcoff(lo, hi, 1, 1), -1);
  EXPECT_EQ(wzbcoff("ab", "ab", 2, 0), 0);
}

}  // namespace
