// The token reader: every token form, keyword readings with their $ spellings,
// literal values checked against hand-computed day and second counts, and the
// errors of bad tokens.
#include <gtest/gtest.h>

#include <cmath>

#include "core/host_vectors.h"
#include "core/runtime.h"
#include "driver/kes_gramdesc.h"
#include "host/host_missing.h"
#include "host/host_services.h"
#include "parse/format_ids.h"
#include "parse/parse_internal.h"

namespace {

using namespace plat::parse;

struct reader {
  kes_gramdesc* desc;
  parser p;
  explicit reader(const std::string& text) {
    if (v_global_gcb_anchor == nullptr) v_global_gcb_anchor = plat::anchor();
    desc = kesg();
    p.desc = desc;
    p.syms = &symbols_of(desc);
    p.text = text;
    p.file = "tok.kes";
    plat::current_step().file = "tok.kes";
    plat::current_step().first_line = 1;
    plat::current_step().first_column = 1;
  }
  // The descriptor comes from the anchor's pool, which lives for the step.
  ~reader() { plat::finish_step(); }
  std::vector<token> all() {
    std::vector<token> out;
    for (int guard = 0; guard < 1000; ++guard) {
      read_token(&p);
      if (p.tok.cls == desc->nterminals) break;
      out.push_back(p.tok);
    }
    return out;
  }
  int keyword(const std::string& stored) const {
    for (int t = 1; t <= desc->nterminals; ++t)
      if (p.syms->texts[static_cast<size_t>(t)] == stored) return t;
    return -1;
  }
};

TEST(ParseTokens, NamesAndKeywordReadings) {
  reader r("proc Kestravine hist my_var _ALL_ Theta w3");
  auto t = r.all();
  ASSERT_EQ(t.size(), 7u);
  EXPECT_EQ(t[0].cls, T_NAMEX);
  EXPECT_EQ(t[0].keyword, 0);  // PROC is not a keyword of the grammar
  EXPECT_EQ(t[0].text, "PROC");
  EXPECT_EQ(t[1].keyword, r.keyword("KESTRAVINE"));
  EXPECT_EQ(t[2].keyword, r.keyword("HIST$"));  // a $ spelling matches its word
  EXPECT_EQ(t[3].keyword, 0);
  EXPECT_EQ(t[3].text, "MY_VAR");
  EXPECT_EQ(t[3].raw, "my_var");
  EXPECT_EQ(t[4].keyword, r.keyword("_ALL_"));
  EXPECT_EQ(t[5].keyword, r.keyword("THETA$"));
  EXPECT_EQ(t[6].keyword, r.keyword("W3$"));
  EXPECT_EQ(r.p.errors, 0);
}

TEST(ParseTokens, NameLengthLimit) {
  reader r(std::string(32, 'a') + " " + std::string(33, 'b'));
  auto t = r.all();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].text.size(), 32u);
  EXPECT_EQ(r.p.errors, 1);
  EXPECT_EQ(t[1].text, std::string(32, 'B'));
}

TEST(ParseTokens, QuotedTexts) {
  reader r("'it''s' \"say \"\"hi\"\"\" ''");
  auto t = r.all();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].cls, T_QS);
  EXPECT_EQ(t[0].text, "it's");
  EXPECT_EQ(t[1].text, "say \"hi\"");
  EXPECT_EQ(t[2].text, "");
  EXPECT_EQ(r.p.errors, 0);
}

TEST(ParseTokens, UnclosedQuoteEndsAtLineEnd) {
  reader r("'abc\nnext");
  auto t = r.all();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].text, "abc");
  EXPECT_EQ(t[1].text, "NEXT");
  EXPECT_EQ(t[1].line, 2);
  EXPECT_EQ(r.p.errors, 1);
}

TEST(ParseTokens, Numbers) {
  reader r("12 1.5e3 .25 8.2 3. 1E-2");
  auto t = r.all();
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[0].cls, T_INT);
  EXPECT_EQ(t[0].value, 12.0);
  EXPECT_EQ(t[1].cls, T_NBR);
  EXPECT_EQ(t[1].value, 1500.0);
  EXPECT_EQ(t[1].alt, 0);  // an exponent is no format
  EXPECT_EQ(t[2].value, 0.25);
  EXPECT_EQ(t[3].cls, T_NBR);
  EXPECT_EQ(t[3].alt, T_FMT);  // 8.2 may be read as a format
  EXPECT_EQ(t[3].fmt_width, 8);
  EXPECT_EQ(t[3].fmt_decimals, 2);
  EXPECT_EQ(t[3].fmt_name, "F");
  EXPECT_EQ(t[4].value, 3.0);
  EXPECT_EQ(t[4].alt, T_FMT);
  EXPECT_EQ(t[5].value, 0.01);
}

TEST(ParseTokens, DigitsRunningIntoLettersAreRefused) {
  reader r("12abc 5");
  auto t = r.all();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_TRUE(std::isnan(t[0].value));
  EXPECT_EQ(t[1].value, 5.0);
  EXPECT_EQ(r.p.errors, 1);
}

TEST(ParseTokens, Formats) {
  reader r("best12. $10. comma10.2 date9. $char. f8.");
  auto t = r.all();
  ASSERT_EQ(t.size(), 6u);
  for (const token& k : t) EXPECT_EQ(k.cls, T_FMT) << k.raw;
  EXPECT_EQ(t[0].fmt_name, "BEST");
  EXPECT_EQ(t[0].fmt_width, 12);
  EXPECT_EQ(t[1].fmt_name, "$");
  EXPECT_EQ(t[1].fmt_width, 10);
  EXPECT_EQ(t[2].fmt_name, "COMMA");
  EXPECT_EQ(t[2].fmt_decimals, 2);
  EXPECT_EQ(t[3].fmt_name, "DATE");
  EXPECT_EQ(t[4].fmt_name, "$CHAR");
  EXPECT_EQ(t[4].fmt_width, 0);
  EXPECT_EQ(plat::format_name(plat::format_id("COMMA")), "COMMA");
  EXPECT_NE(plat::format_id("COMMA"), plat::format_id("DOLLAR"));
}

TEST(ParseTokens, TwoLevelNames) {
  reader r("work.class mylib.a_1");
  auto t = r.all();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].cls, T_COMPOUND);
  EXPECT_EQ(t[0].text, "WORK.CLASS");
  EXPECT_EQ(t[1].text, "MYLIB.A_1");
  EXPECT_EQ(r.p.errors, 0);
}

// Day 0 is 1 January 1960; values from the proleptic Gregorian calendar.
TEST(ParseTokens, DateTimeLiterals) {
  reader r("'01jan1960'd '01JAN2020'D '31dec1959'd '01jan1582'd '29feb2000'd '12:30:15't "
           "'01jan1960:00:00:01'dt '02jan1960:01:00'DT");
  auto t = r.all();
  ASSERT_EQ(t.size(), 8u);
  EXPECT_EQ(t[0].cls, T_DATE);
  EXPECT_EQ(t[0].value, 0.0);
  EXPECT_EQ(t[1].value, 21915.0);  // 60 years with 15 leap days
  EXPECT_EQ(t[2].value, -1.0);
  EXPECT_EQ(t[3].value, -138061.0);  // the first accepted date (Python's date arithmetic agrees)
  EXPECT_EQ(t[4].value, 14669.0);   // 40 years (10 leap days) + 31 + 28
  EXPECT_EQ(t[5].cls, T_TIME);
  EXPECT_EQ(t[5].value, 45015.0);
  EXPECT_EQ(t[6].cls, T_DATETIME);
  EXPECT_EQ(t[6].value, 1.0);
  EXPECT_EQ(t[7].value, 86400.0 + 3600.0);
  EXPECT_EQ(r.p.errors, 0);
}

TEST(ParseTokens, BadLiteralsAreRefused) {
  reader r("'31dec1581'd '30feb2001'd '25:61't 'x'd");
  auto t = r.all();
  ASSERT_EQ(t.size(), 4u);
  for (const token& k : t) EXPECT_TRUE(std::isnan(k.value)) << k.raw;
  EXPECT_EQ(r.p.errors, 4);
}

TEST(ParseTokens, MissingValues) {
  reader r(". ._ .a .Z");
  auto t = r.all();
  ASSERT_EQ(t.size(), 4u);
  for (const token& k : t) EXPECT_EQ(k.cls, T_MISSING);
  EXPECT_EQ(host_missing_code(t[0].value), HOST_MISS_STD);
  EXPECT_EQ(host_missing_code(t[1].value), HOST_MISS_UNDERSCORE);
  EXPECT_EQ(host_missing_code(t[2].value), HOST_MISS_A);
  EXPECT_EQ(host_missing_code(t[3].value), HOST_MISS_Z);
}

TEST(ParseTokens, PunctuationAndStatementEnds) {
  reader r("( ) , - / : = ;");
  auto t = r.all();
  ASSERT_EQ(t.size(), 8u);
  const char* marks = "(),-/:=";
  for (int i = 0; i < 7; ++i) EXPECT_EQ(r.p.syms->texts[static_cast<size_t>(t[i].cls)], std::string(1, marks[i]));
  EXPECT_EQ(t[7].cls, T_ENDJB);
}

TEST(ParseTokens, CommentsAndPositions) {
  reader r("a /* one\ntwo */ b;\n* a comment statement;\n  c");
  auto t = r.all();
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].text, "A");
  EXPECT_EQ(t[1].text, "B");
  EXPECT_EQ(t[1].line, 2);
  EXPECT_EQ(t[1].col, 8);
  EXPECT_EQ(t[2].cls, T_ENDJB);
  EXPECT_EQ(t[3].text, "C");
  EXPECT_EQ(t[3].line, 4);
  EXPECT_EQ(t[3].col, 3);
}

TEST(ParseTokens, BadCharactersAndOpenComment) {
  reader r("a # b /* never closed");
  auto t = r.all();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(r.p.errors, 2);
}

}  // namespace
