// The text, key and array routines against hand-worked expectations, one table per
// kind of result.
#include <gtest/gtest.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "runner/host_table.h"
#include "host/host_connection.h"
#include "util/kes_text.h"

namespace {

class text : public ::testing::Test {
 protected:
  // The locale-dependent routines reach the host through the anchor.
  void SetUp() override { mcn_main(plat::anchor(), nullptr); }
};

double bits(std::uint64_t b) { return std::bit_cast<double>(b); }

// Key comparison of two doubles inside records.
int cmp_doubles(double a, double b) {
  struct rec {
    int pad;
    double key;
  } x{0, a}, y{0, b};
  return wzbcoff(&x, &y, -1, static_cast<int>(offsetof(rec, key)));
}

struct int_case {
  const char* call;
  long got, want;
};
#define CASE(call, want) int_case{#call, static_cast<long>(call), want}

TEST_F(text, RoutinesWithAnIntegerResult) {
  const double miss = bits(0xFFFFFE0000000000ULL);  // standard missing, kind 2
  const double qnan = bits(0x7FF8000000000000ULL);  // kind byte 0: missing, below kind 2
  const double inf = std::numeric_limits<double>::infinity();
  struct irec {
    char tag[4];
    std::int32_t key;
  } ia{"a", -5}, ib{"b", 3};
  const unsigned char hi[] = {'x', 0x80, 'a'}, lo[] = {'y', 0x01, 'z'};
  const int_case cases[] = {
      CASE(vzatl(' ', "   ", 3), 1), CASE(vzatl(' ', "  x", 3), 0), CASE(vzatl(' ', "x  ", 3), 0),
      CASE(vzatl('*', "***", 3), 1), CASE(vzatl(' ', "abc", 0), 1), CASE(vzatl(' ', "abc", -2), 1),
      CASE(wzstrip("ab  ", 4), 2), CASE(wzstrip("    ", 4), 0), CASE(wzstrip("a b     ", 8), 3),
      CASE(wzstrip("abc", 0), 0), CASE(wzstrip("abc", -3), -3),
      CASE(wzstndx("xabcy", 5, "abc", 3), 1), CASE(wzstndx("xabcy", 5, "", 0), 0),
      CASE(wzstndx("xabcy", 5, nullptr, 3), 0), CASE(wzstndx("xabcy", 0, "a", 1), -1),
      CASE(wzstndx("ab", 2, "abc", 3), -1), CASE(wzstndx("xabcy", 5, "cy", -1), 3),
      CASE(wzstndx("aab", 3, "ab", 2), 1),  // after a false start
      CASE(wzstndx("xabcy", 5, "abd", 3), -1), CASE(wzstndx("xyzab", 4, "ab", 2), -1),  // only len bytes
      CASE(wzstpos("a,b,c", 5, ','), 1), CASE(wzstpos("abc", 3, 'z'), -1), CASE(wzstpos(nullptr, 3, 'a'), -1),
      CASE(wzstpos("abc", 0, 'a'), -1), CASE(wzstpos("ab\xe9", 3, 0xE9), 2),
      CASE(wzstlen(nullptr), 0), CASE(wzstlen(""), 0), CASE(wzstlen("HEIGHT"), 6),
      CASE(wzstcom("abc", 3, "abc", 3), 0), CASE(wzstcom("abc", 3, "abd", 3), -3),
      CASE(wzstcom("abd", 3, "abc", 3), 3), CASE(wzstcom("b", 1, "a", 1), 1), CASE(wzstcom("ab", 2, "ab  ", 4), 0),
      CASE(wzstcom("ab", 2, "ab c", 4), -4), CASE(wzstcom("ab c", 4, "ab", 2), 4),
      CASE(wzstcom("ab", 2, "ab\t", 3), 3),  // a tab sorts below the padding blank
      CASE(wzstcom("ab\t", 3, "ab", 2), -3), CASE(wzstcom(nullptr, 5, "  ", 2), 0),
      CASE(wzstcom(nullptr, 0, "x", 1), -1), CASE(wzstcom("\xe9", 1, "a", 1), 1),  // bytes are unsigned
      CASE(wzsteqn("Height", 6, "HEIGHT", 6), 1), CASE(wzsteqn("Height", 6, "HEIGHT ", 7), 0),
      CASE(wzsteqn("a1", 2, "A2", 2), 0), CASE(wzsteqn("", 0, "", 0), 1),
      CASE(wzsteqn("[", 1, "{", 1), 0), CASE(wzsteqn("@", 1, "`", 1), 0),  // not just bit 0x20
      // Missing keys sort below every number, among themselves by kind (minus byte 5).
      CASE(cmp_doubles(miss, -1e300), -1), CASE(cmp_doubles(-1e300, miss), 1), CASE(cmp_doubles(miss, -inf), -1),
      CASE(cmp_doubles(miss, miss), 0), CASE(cmp_doubles(qnan, 5.0), -1), CASE(cmp_doubles(5.0, qnan), 1),
      CASE(cmp_doubles(qnan, miss), -1), CASE(cmp_doubles(bits(0xFFFFFD0000000000ULL), miss), 1),
      CASE(cmp_doubles(bits(0xFFFFE50000000000ULL), bits(0xFFFFFD0000000000ULL)), 1),
      CASE(cmp_doubles(miss, bits(0xFFFFFE0000000001ULL)), 0),  // only the kind counts
      CASE(cmp_doubles(1.0, 2.0), -1), CASE(cmp_doubles(2.0, 1.0), 1), CASE(cmp_doubles(-0.0, 0.0), 0),
      CASE(wzbcoff(&ia, &ib, 0, 4), -1), CASE(wzbcoff(&ib, &ia, 0, 4), 1),  // integers are signed
      CASE(wzbcoff(hi, lo, 1, 1), 1), CASE(wzbcoff(hi, lo, 2, 1), 1), CASE(wzbcoff(lo, hi, 1, 1), -1),
      CASE(wzbcoff("ab", "ab", 2, 0), 0),
  };
  for (const int_case& c : cases) EXPECT_EQ(c.got, c.want) << c.call;
}

TEST_F(text, StripScansWordsButAgreesWithAByteScan) {
  for (int len = 1; len <= 21; ++len) {
    for (int pos = 0; pos < len; ++pos) {
      std::string t(static_cast<size_t>(len), ' ');
      t[static_cast<size_t>(pos)] = 'x';
      EXPECT_EQ(wzstrip(t.data(), len), pos + 1) << len << " " << pos;
    }
    EXPECT_EQ(wzstrip(std::string(static_cast<size_t>(len), ' ').data(), len), 0);
  }
}

// An edit in place: the text it leaves and the result it returns.
struct edit_case {
  const char* in;
  std::function<int(char*)> edit;
  const char* out;
  int result;
};

TEST_F(text, EditsInPlace) {
  auto jus = [](int how) { return [how](char* t) { return wzstjus(t, static_cast<int>(std::strlen(t)), how); }; };
  auto del = [](const char* chars, int n) { return [=](char* t) { return wzstdel(t, 5, chars, n); }; };
  auto rns = [](const char* to, const char* from) {
    return [=](char* t) {
      wzstrns(t, static_cast<int>(std::strlen(t)), to, from, 2);
      return 0;
    };
  };
  const edit_case cases[] = {
      {"  ab  ", jus('L'), "ab    ", 2},   {"  ab  ", jus('r'), "    ab", 2},  {"ab    ", jus('c'), "  ab  ", 2},
      {"a b   ", jus('R'), "   a b", 3},   {"abc   ", jus('C'), " abc  ", 3},  // (6 - 3) / 2 rounds down
      {"   xy ", jus('?'), "   xy ", 2},   {"    ", jus('R'), "    ", 0},
      {"a,b,c", del(",", 1), "abc  ", 3},  {"a,b;c", del(",;", -1), "abc  ", 3}, {"a,b,c", del(",", 0), "a,b,c", 5},
      {",,,,,", del(",", 1), "     ", 0},
      {"a-b_c", rns("  ", "-_"), "a b c", 0}, {"aab", rns("xy", "aa"), "xxb", 0},  // the first match decides
      {"ab", rns("ba", "ab"), "ba", 0},                                          // each byte once, no chains
      {"abZ1", [](char* t) { return wztxxlt(2, t, t, 4); }, "ABZ1", 0},
      {"AbZ1", [](char* t) { return wztxxlt(1, t, t, 4); }, "abz1", 0},
      {"ab", [](char* t) { return wztxxlt(5, t, t, 2); }, "ab", static_cast<int>(KES_XLT_BADMODE)},
      {"ab", [](char* t) { return wztxxlt(-1, t, t, 2); }, "ab", static_cast<int>(KES_XLT_BADMODE)},
  };
  for (const edit_case& c : cases) {
    std::string t = c.in;
    EXPECT_EQ(c.edit(t.data()), c.result) << c.in << " -> " << c.out;
    EXPECT_EQ(t, c.out) << c.in;
  }
  char nul[] = "a,b";  // a negative length: NUL-terminated
  EXPECT_EQ(wzstdel(nul, -1, ",", 1), 2);
  EXPECT_EQ(std::string(nul), "ab");
  int len = -1, start = -1;
  char t[] = "   xy ";
  EXPECT_EQ(wzstjls(t, 6, 'L', &len, &start), 2);
  EXPECT_EQ(start, 0);
  char u[] = "   xy ";
  wzstjls(u, 6, '?', &len, &start);
  EXPECT_EQ(start, 3);
  char b[] = "    ";
  len = start = 7;
  EXPECT_EQ(wzstjls(b, 4, 'R', &len, &start), 0);
  EXPECT_EQ(len + start, 0);
  EXPECT_EQ(wzstjls(b, 4, 'R', nullptr, nullptr), 0);
}

TEST_F(text, MovesFillsAndConcatenation) {
  char d[8];
  const struct {
    const char* src;
    int srclen;
    const char* out;
  } moves[] = {{"abc", 3, "abc   "}, {"abcdefgh", 8, "abcdef"}, {"xyz", 0, "      "}};
  for (const auto& m : moves) {
    vzmp(m.src, m.srclen, d, 6);
    EXPECT_EQ(std::string(d, 6), m.out);
  }
  char right[] = "abcdefgh", left[] = "abcdefgh";
  vzmp(right, 4, right + 2, 4);  // overlapping either way
  vzmp(left + 2, 6, left, 4);
  EXPECT_EQ(std::string(right) + " " + left, "ababcdgh cdefefgh");

  double a[4] = {1, 2, 3, 4};
  vzfdl(9.5, a, 0);
  vzfdl(9.5, a, -1);
  vzfdl(9.5, a, 3);
  EXPECT_EQ(a[0] + a[2] + a[3], 9.5 + 9.5 + 4);
  vzfdl(bits(0xFFFFFE0000000000ULL), a, 4);  // a missing value keeps its bit pattern
  for (double v : a) EXPECT_EQ(std::bit_cast<std::uint64_t>(v), 0xFFFFFE0000000000ULL);

  const struct {
    int dstlen, sep, result;
    const char* out;
  } cats[] = {{5, ',', 5, "ab,cd"}, {4, ',', 4, "ab,c"}, {3, ',', 3, "ab,"}, {8, ',', 5, "ab,cd   "}};
  for (const auto& c : cats) {
    EXPECT_EQ(wzstcat(d, c.dstlen, c.sep, 2, "ab", 2, "cd", 2), c.result);
    EXPECT_EQ(std::string(d, static_cast<size_t>(c.dstlen)), c.out);
  }
  EXPECT_EQ(wzstcat(d, 8, -1, 3, "ab", 2, "c", 1, "de", 2), 5);
  EXPECT_EQ(std::string(d, 8), "abcde   ");
  // A negative room: NUL-terminated, cut to room - 1.
  EXPECT_EQ(wzstcat(d, -6, '-', 2, "ab", 2, "cd", -1), 5);
  EXPECT_EQ(std::string(d), "ab-cd");
  EXPECT_EQ(wzstcat(d, -4, '-', 2, "ab", 2, "cd", 2), 3);
  EXPECT_EQ(std::string(d), "ab-");
  EXPECT_EQ(wzstcat(d, -1, '-', 1, "ab", 2), 0);
  EXPECT_EQ(d[0], '\0');
}

}  // namespace
