// The token reader, as one table: each text with the tokens it must give and its
// count of errors. A token reads CLASS TEXT, then =KEYWORD for a word that spells
// one (its $ spelling as stored), (raw) where the typed text differs, the value of
// numbers and literals, "or FMT" for a number that may be read as a format, and
// @line:col where the row asks for positions. Date and time values are hand-computed
// day and second counts: day 0 is 1 January 1960, in the proleptic Gregorian calendar.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>

#include "core/host_routines.h"
#include "runner/host_table.h"
#include "core/runtime.h"
#include "host/kes_gramdesc.h"
#include "host/host_print.h"
#include "host/host_services.h"
#include "core/number_text.h"
#include "core/format_ids.h"
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

std::string number(double v) {
  if (std::isnan(v)) return "nan";
  char buf[32];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

std::string describe(const reader& r, const token& t, bool positions) {
  static const char* const classes[] = {"?",   "END",  "NAME", "QS",       "INT",     "NBR",     "COMPOUND",
                                        "FMT", "DATE", "TIME", "DATETIME", "MISSING", "VLITERAL", "CATNAME", "QORDS"};
  std::string s = t.cls <= T_QORDS ? classes[t.cls] : "'" + r.p.syms->texts[static_cast<size_t>(t.cls)] + "'";
  switch (t.cls) {
    case T_NAMEX:
    case T_COMPOUND:
      s += " " + t.text;
      if (t.keyword) s += "=" + r.p.syms->texts[static_cast<size_t>(t.keyword)];
      if (t.raw != t.text) s += " (" + t.raw + ")";
      break;
    case T_QS: s += " [" + t.text + "]"; break;
    case T_FMT: s += " " + t.fmt_name + std::to_string(t.fmt_width) + "." + std::to_string(t.fmt_decimals); break;
    case T_MISSING: s += " " + plat::missing_text(t.value); break;
    case T_INT: case T_NBR: case T_DATE: case T_TIME: case T_DATETIME: s += " " + number(t.value); break;
    default: break;
  }
  if (t.alt == T_FMT) s += " or FMT " + t.fmt_name + std::to_string(t.fmt_width) + "." + std::to_string(t.fmt_decimals);
  if (positions) s += " @" + std::to_string(t.line) + ":" + std::to_string(t.col);
  return s;
}

TEST(ParseTokens, EveryTokenForm) {
  const std::string a32(32, 'A'), b33(33, 'b');
  const struct {
    std::string text;
    std::string tokens;
    int errors;
    bool positions = false;
  } rows[] = {
      // PROC is not a keyword of the grammar; a $ spelling matches its word.
      {"PROC Kestravine hist my_var _ALL_ THETA W3",
       "NAME PROC | NAME KESTRAVINE=KESTRAVINE (Kestravine) | NAME HIST=HIST$ (hist) | NAME MY_VAR (my_var) | "
       "NAME _ALL_=_ALL_ | NAME THETA=THETA$ | NAME W3=W3$",
       0},
      {a32 + " " + b33, "NAME " + a32 + " | NAME " + std::string(32, 'B') + " (" + b33 + ")", 1},  // a name of 33 characters is cut to 32
      {"'it''s' \"say \"\"hi\"\"\" ''", "QS [it's] | QS [say \"hi\"] | QS []", 0},
      {"'abc\nNEXT", "QS [abc] @1:1 | NAME NEXT @2:1", 1, true},  // an unclosed quote ends at the line end
      {"12 1.5e3 .25 8.2 3. 1E-2",
       "INT 12 | NBR 1500 | NBR 0.25 or FMT F0.25 | NBR 8.2 or FMT F8.2 | NBR 3 or FMT F3.0 | NBR 0.01", 0},  // an exponent is no format
      {"12abc 5", "NBR nan | INT 5", 1},
      {"best12. $10. comma10.2 date9. $char. f8.",
       "FMT BEST12.0 | FMT $10.0 | FMT COMMA10.2 | FMT DATE9.0 | FMT $CHAR0.0 | FMT F8.0", 0},
      {"WORK.CLASS mylib.a_1", "COMPOUND WORK.CLASS | COMPOUND MYLIB.A_1 (mylib.a_1)", 0},
      // 60 years with 15 leap days; the first accepted date (Python's date arithmetic
      // agrees); 40 years (10 leap days) + 31 + 28.
      {"'01jan1960'd '01JAN2020'D '31dec1959'd '01jan1582'd '29feb2000'd '12:30:15't "
       "'01jan1960:00:00:01'dt '02jan1960:01:00'DT",
       "DATE 0 | DATE 21915 | DATE -1 | DATE -138061 | DATE 14669 | TIME 45015 | DATETIME 1 | DATETIME 90000", 0},
      {"'31dec1581'd '30feb2001'd '25:61't 'x'd", "DATE nan | DATE nan | TIME nan | DATE nan", 4},
      {". ._ .a .Z", "MISSING . | MISSING ._ | MISSING .A | MISSING .Z", 0},
      {"( ) , - / : = ;", "'(' | ')' | ',' | '-' | '/' | ':' | '=' | END", 0},
      {"A /* one\ntwo */ B;\n* a comment statement;\n  C", "NAME A=A$ @1:1 | NAME B=B$ @2:8 | END @2:9 | NAME C=C @4:3", 0,
       true},
      {"A # B /* never closed", "NAME A=A$ | NAME B=B$", 2},
  };
  for (const auto& row : rows) {
    reader r(row.text);
    std::string got;
    for (const token& t : r.all()) got += (got.empty() ? "" : " | ") + describe(r, t, row.positions);
    EXPECT_EQ(got, row.tokens) << row.text;
    EXPECT_EQ(r.p.errors, row.errors) << row.text;
  }
}

TEST(ParseTokens, FormatNamesHaveIds) {
  EXPECT_EQ(plat::format_name(plat::format_id("COMMA")), "COMMA");
  EXPECT_NE(plat::format_id("COMMA"), plat::format_id("DOLLAR"));
}

// The number services read kind 99 as the best form: no format name gets that word,
// however many a run names; a format named BEST prints its best text in its width.
TEST(ParseTokens, FormatIdsLeaveTheBestWordFreeAndBestPrintsBest) {
  for (int i = 0; i < 150; ++i) EXPECT_NE(plat::format_id("FMT" + std::to_string(i)), 99u) << i;
  struct row {
    std::string name;
    int width, decimals;
    double v;
    const char* text;
  };
  const row rows[] = {
      {"BEST", 8, 0, 49.12433, "49.12433"},
      {"BEST", 12, 0, 49.12433, "    49.12433"},
      {"BEST", 5, 0, 49.12433, "49.12"},
      {"BEST", 3, 0, 49.62, " 50"},
      {"F", 8, 2, 49.12433, "   49.12"},  // w.d keeps its decimals
      {"F", 8, 0, 49.62, "      50"},
  };
  for (const row& r : rows) {
    char buf[32] = {};
    plat_xfxpn(r.v, r.width, r.decimals, static_cast<int>(plat::format_id(r.name)), buf);
    EXPECT_EQ(std::string(buf, static_cast<std::size_t>(r.width)), r.text) << r.name << r.width;
  }
}

}  // namespace
