// Arbitrary input for the token reader and the parser: random bytes, and random
// sequences of the grammar's own words and marks. Each parse must end, without a
// crash, with a consistent parse-status record (a hang meets the test timeout).
#include <gtest/gtest.h>

#include <random>

#include "host/kes_stmt.h"
#include "parse_test_util.h"

namespace {

void check(const parse_test::result& r) {
  EXPECT_EQ(r.status.nerrors, r.errors);
  EXPECT_EQ(r.status.errword != 0, r.errors != 0);
  // The node list is well formed: every node has its slots.
  int n = 0;
  for (const kes_stmt* s = r.status.first; s != nullptr && n < 100000; s = s->next, ++n) {
    ASSERT_NE(s->slots, nullptr);
    ASSERT_GT(s->nslots, 0);
  }
}

TEST(ParseFuzz, RandomBytes) {
  std::mt19937 rng(20240611);
  for (int iter = 0; iter < 1500; ++iter) {
    std::uniform_int_distribution<int> len(0, 400), byte(0, 255);
    std::string text;
    int n = len(rng);
    for (int i = 0; i < n; ++i) text += static_cast<char>(byte(rng));
    if (iter % 2 == 0) text = "proc kestravine data=class; " + text;
    check(parse_test::parse(text));
  }
}

TEST(ParseFuzz, RandomWordSoup) {
  static const char* words[] = {
      "proc", "kestravine", "data", "=", "class", ";", "var", "age", "height", "histogram", "/",
      "normal", "(", ")", "mu", "sigma", "est", "10", "2.5", "-", "kernel", "c", "mise", "inset",
      "mean", "'label'", "8.2", "best6.", "position", "ne", "output", "out", "pctlpts", "to", "by",
      ",", ":", "x1", "--", "_all_", "qqplot", "weibull2", "pctlaxis", "grid", "class", "order",
      "freq", "by", "descending", "cdfplot", "ppplot", "probplot", "'01jan2000'd", ".", ".a",
      "work.class", "midpoints", "key", "endpoints", "theta", "w3", "hist", "\"", "'", "/*", "*"};
  std::mt19937 rng(7);
  std::uniform_int_distribution<size_t> pick(0, sizeof words / sizeof words[0] - 1);
  std::uniform_int_distribution<int> len(1, 120);
  for (int iter = 0; iter < 1500; ++iter) {
    std::string text = iter % 3 ? "proc kestravine data=class " : "";
    int n = len(rng);
    for (int i = 0; i < n; ++i) text += std::string(words[pick(rng)]) + (i % 7 == 3 ? "\n" : " ");
    check(parse_test::parse(text));
  }
}

TEST(ParseFuzz, ManyErrorsStopAtTheLimit) {
  std::string text = "proc kestravine data=class;\n";
  for (int i = 0; i < 200; ++i) text += "histogram age / nadj=1;\n";
  auto r = parse_test::parse(text);
  EXPECT_EQ(r.errors, 63);
  EXPECT_NE(r.messages.back().find("too many errors"), std::string::npos) << r.messages.back();
}

}  // namespace
