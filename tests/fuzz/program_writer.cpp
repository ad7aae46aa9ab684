#include "fuzz/program_writer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "fuzz/statement_text.h"

// Where one expression would take two draws, they stand in statements of their own, the
// later part's first, as the programs of a seed have always taken them: in one
// expression the compiler would choose their order.

namespace kes_fuzz {
namespace {

bool has(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

// The words between backquotes in a value description (`DF`, `N`, ... of a choice).
std::vector<std::string> choices(const std::string& value) {
  std::vector<std::string> out;
  for (std::size_t a = value.find('`'); a != std::string::npos; a = value.find('`', a + 1)) {
    const std::size_t b = value.find('`', a + 1);
    if (b == std::string::npos) break;
    std::string w = value.substr(a + 1, b - a - 1);
    if (!w.empty() && w.front() == '=') w.erase(0, 1);
    if (!w.empty() && w.find(' ') == std::string::npos) out.push_back(w);
    a = b;
  }
  return out;
}

// "number, 64 to 256": the bounds, or none.
bool bounds(const std::string& value, double* lo, double* hi) {
  return std::sscanf(value.c_str(), "%*[^0-9-]%lf to %lf", lo, hi) == 2;
}

}  // namespace

program_writer::program_writer(const program_grammar& g, std::uint64_t seed, std::string escape)
    : g_(g), rng_(seed), escape_(std::move(escape)) {}

bool program_writer::plot_statement(const statement_spec& st) {
  return st.groups.size() == 1 && st.groups.count("Options after the slash") != 0;
}

const statement_spec* program_writer::find(const std::string& title) const {
  for (const statement_spec& s : g_.statements)
    if (s.title == title) return &s;
  return nullptr;
}

std::string program_writer::next() {
  wild_ = draw_.chance(30);
  std::string p = valid_program();
  if (draw_.chance(35)) p = broken(std::move(p));
  if (draw_.chance(3)) p = "\xEF\xBB\xBF" + p;
  return p;
}

std::string program_writer::broken(std::string text) {
  if (text.empty()) return text;
  const std::size_t at = static_cast<std::size_t>(draw_.below(static_cast<int>(text.size())));
  switch (draw_.below(5)) {
    case 0:  // cut anywhere
      return text.substr(0, at);
    case 1: {  // a piece written twice
      const std::size_t len = static_cast<std::size_t>(draw_.below(60));
      return text.substr(0, at) + text.substr(at, len) + text.substr(at);
    }
    case 2:  // bytes of any value
      for (int k = draw_.below(6); k >= 0; --k)
        text[static_cast<std::size_t>(draw_.below(static_cast<int>(text.size())))] = static_cast<char>(draw_.below(256));
      return text;
    case 3:  // a quote or a comment opened
      return text.insert(at, draw_.pick({"'", "\"", "/*", "*", "(", ")", "="}));
    default:  // statement ends lost or doubled
      for (char& c : text)
        if (c == ';' && draw_.chance(30)) c = draw_.chance(50) ? ' ' : ',';
      return text;
  }
}

std::string program_writer::valid_program() {
  std::string p;
  for (int k = draw_.below(3); k > 0; --k) p += global_statement();
  for (int steps = 1 + draw_.below(2); steps > 0; --steps) {
    p += step();
    if (draw_.chance(30)) p += global_statement();
  }
  return p;
}

std::string program_writer::global_statement() {
  // Every statement that is not a step's own, as the reference lists them.
  std::vector<const statement_spec*> globals;
  for (const char* t : {"OPTIONS", "LIBNAME", "TITLE, TITLE1 to TITLE10", "AXIS1 to AXIS99"})
    if (const statement_spec* s = find(t)) globals.push_back(s);
  if (globals.empty()) return "";
  return statement(*globals[static_cast<std::size_t>(draw_.below(static_cast<int>(globals.size())))]);
}

std::string program_writer::step() {
  std::string s;
  const statement_spec* proc = find("PROC KESTRAVINE");
  s += proc != nullptr ? statement(*proc) : "proc kestravine data=d;\n";
  // The step's statements in the reference's order, each now and then.
  bool plotted = false, weighted = false;
  analysis_.clear();
  classed_ = false;
  for (const statement_spec& st : g_.statements) {
    const std::string& t = st.title;
    if (t == "PROC KESTRAVINE" || t == "OPTIONS" || t == "LIBNAME" || t.rfind("TITLE", 0) == 0 ||
        t.rfind("AXIS", 0) == 0)
      continue;
    const bool plot = plot_statement(st);
    if (plot && weighted && !wild_) continue;  // plots take no weights
    const int percent = t == "VAR" ? 80 : plot ? 45 : t == "INSET" ? (plotted ? 60 : 5) : t == "OUTPUT" ? 30 : 12;
    for (int k = plot ? 2 : 1; k > 0; --k)
      if (draw_.chance(percent)) {
        s += statement(st);
        plotted = plotted || plot;
        weighted = weighted || t == "WEIGHT";
        classed_ = classed_ || t == "CLASS";
      }
  }
  return s + (draw_.chance(85) ? "run;\n" : "");
}

std::string program_writer::statement(const statement_spec& st) {
  const std::string& t = st.title;
  auto group = [&](const char* heading) -> const std::vector<option_spec>& {
    static const std::vector<option_spec> none;
    auto it = st.groups.find(heading);
    return it == st.groups.end() ? none : it->second;
  };
  auto table = [&](const char* heading) { return t + ": " + heading; };
  auto vars = [&] {
    return either({"x", "y", "x y", "x--y", "y x"}, {"w", "f", "h", "_numeric_", "nosuch", "g", "x x", "x-y"});
  };
  // Where a statement's later parts come before its earlier ones, they are drawn first
  // (see the head of this file).
  if (t == "PROC KESTRAVINE") {
    const std::vector<std::string> opts = options(table("Options"), group("Options"), 4);
    return statement_text("proc kestravine").word(either({"data=d", "data=work.d"}, {"", "data=nosuch"})).words(opts).end();
  }
  if (t == "VAR") {
    analysis_ = vars();
    return statement_text("var").word(analysis_).end();
  }
  if (t == "ID") return statement_text("id").word(either({"id", "g", "id h"}, {"nosuch", "x x"})).end();
  if (t == "FREQ") return statement_text("freq").word(either({"f"}, {"x", "g", "nosuch"})).end();
  if (t == "WEIGHT") return statement_text("weight").word(either({"w", "y"}, {"g", "nosuch", "w w"})).end();
  if (t == "BY") {
    statement_text s("by");
    for (const option_spec& o : group("Words among the variables")) {
      written_.insert(table("Words among the variables") + ": " + o.spellings.front());
      if (draw_.chance(30)) s.word(o.spellings.front()).word(o.value == "variable" ? "" : "g");
    }
    return s.word(either({"g"}, {"h", "x", "nosuch"})).end();
  }
  if (t == "CLASS") {
    statement_text s("class");
    s.word("g");
    const char* level = "Level options, in parentheses after a variable";
    if (draw_.chance(40)) s.word(in_parentheses(options(table(level), group(level), 2)));
    if (draw_.chance(40)) s.word("h");
    const char* slash = "Options after the slash";
    if (draw_.chance(50)) s.slash().words(options(table(slash), group(slash), 2));
    return s.end();
  }
  if (t == "LIBNAME") {
    const std::string path = "'" + either({"lib", "./lib", "lib/"}, {"nosuch", "", "prog.kes"}) + "'";
    return statement_text("libname").word(either({"lib", "l2"}, {"9bad", "toolongname", "work"})).word(path).end();
  }
  if (t.rfind("TITLE", 0) == 0) {
    const std::string words = draw_.chance(80) ? text() : "";
    return statement_text("title" + either({"", "1", "2", "10"}, {"0", "11", "01"})).word(words).end();
  }
  if (t.rfind("AXIS", 0) == 0) {
    const std::vector<std::string> opts = options(table("Options"), group("Options"), 3);
    return statement_text("axis" + std::to_string(1 + draw_.below(3))).words(opts).end();
  }
  if (t == "OPTIONS")
    return statement_text("options").words(options(table("System options"), group("System options"), 3)).end();
  // The plot statements, INSET, OUTPUT and any statement the reference adds: the
  // keyword, variables for a plot statement, then each option table.
  std::string keyword = t.substr(0, t.find(' '));
  std::transform(keyword.begin(), keyword.end(), keyword.begin(), [](unsigned char c) { return std::tolower(c); });
  statement_text s(keyword);
  // A plot statement names analysis variables: those of the VAR statement, or any
  // numeric one without it.
  if (plot_statement(st) && draw_.chance(70))
    s.word(analysis_.empty() || analysis_.find('-') != std::string::npos ? either({"x", "y"}, {"g", "nosuch"})
           : wild_                                                       ? vars()
                                                                         : analysis_);
  if (keyword == "output" && draw_.chance(80)) s.word("out=o1");
  // Now and then an INSET of up to 40 rows, in a margin or not.
  const int statistics_most = keyword == "inset" && draw_.chance(15) ? 40 : 5;
  for (const auto& [heading, opts] : st.groups) {
    const bool after_slash = heading.find("slash") != std::string::npos;
    if (after_slash && draw_.chance(25)) continue;
    if (after_slash) s.slash();
    s.words(options(t + ": " + heading, opts, has(heading, "Statistics") ? statistics_most : 4));
  }
  if (statistics_most == 40 && draw_.chance(60)) s.slash().word(std::string("position=") + draw_.pick({"lm", "rm", "tm", "bm"}));
  // The levels of a CLASS variable drawn in one cell, one-value and long-named groups
  // among them.
  else if (classed_ && plot_statement(st) && keyword != "histogram" && draw_.chance(35))
    s.slash().word("overlay");
  return s.end();
}

std::vector<std::string> program_writer::options(const std::string& table, const std::vector<option_spec>& opts,
                                                 int most) {
  std::vector<std::string> s;
  if (opts.empty()) return s;
  std::size_t& first = cursor_[table];
  if (first == 0) {
    // A table's first use writes it whole, so that the programs cover every option
    // of every table they reach.
    for (const option_spec& o : opts) s.push_back(option(table, o));
    first = opts.size();
    return s;
  }
  for (int k = draw_.below(most + 1); k > 0; --k) {
    // Half in turn, half at random, so that any two meet.
    std::size_t& next = cursor_[table];
    const option_spec& o =
        draw_.chance(50) ? opts[next++ % opts.size()] : opts[static_cast<std::size_t>(draw_.below(static_cast<int>(opts.size())))];
    s.push_back(option(table, o));
  }
  return s;
}

std::string program_writer::option(const std::string& table, const option_spec& o) {
  written_.insert(table + ": " + o.spellings.front());
  std::string spelling =
      o.spellings[draw_.chance(80) ? 0 : static_cast<std::size_t>(draw_.below(static_cast<int>(o.spellings.size())))];
  if (draw_.chance(30))
    std::transform(spelling.begin(), spelling.end(), spelling.begin(), [](unsigned char c) { return std::tolower(c); });
  const std::string& v = o.value;
  if (o.takes_value()) return spelling + value(o);
  // A word alone, its family's or its own options in parentheses, or an optional value.
  if (!o.sub.empty()) {
    if (draw_.chance(20)) return spelling;
    auto it = g_.subs.find(o.sub);
    return spelling + in_parentheses(it == g_.subs.end() ? std::vector<std::string>() : options(o.sub, it->second, 4));
  }
  if (has(v, "optional `=") && draw_.chance(60)) {
    const std::vector<std::string> c = choices(v);
    if (has(v, "=numbers") && draw_.chance(40)) return spelling + "=" + numbers(v);
    if (has(v, "colour")) return spelling + "=" + colour();
    if (!c.empty()) return spelling + "=" + c[static_cast<std::size_t>(draw_.below(static_cast<int>(c.size())))];
  }
  if (has(v, "statistic") && draw_.chance(30)) {
    const std::string format =
        draw_.chance(60) ? " (" + either({"8.2", "best6.", "5.", "e10.", "percent7.1"}, {"z", "0.0"}) + ")" : "";
    const std::string label =
        draw_.chance(50) ? "='" + std::string(draw_.pick({"Label", "", "n = \xc3\xa9", "a very long label of many words"})) + "'"
                         : "";
    return spelling + label + format;
  }
  return spelling;
}

std::string program_writer::value(const option_spec& o) {
  const std::string& v = o.value;
  if (o.spellings.front() == "DATA=") return either({"d", "work.d"}, {"o1", "nosuch"});
  std::string sub_part;
  if (!o.sub.empty()) {
    auto it = g_.subs.find(o.sub);
    sub_part = in_parentheses(it == g_.subs.end() ? std::vector<std::string>() : options(o.sub, it->second, 4));
    if (v.rfind("[(", 0) == 0) return draw_.chance(85) ? sub_part : either({"NONE", "'Axis text'"}, {"( )", "=", "(("});
  }
  const std::vector<std::string> c = choices(v);
  if (has(v, "data set")) return either({"o1", "work.o2", "lib.o3", "o5", "d"}, {"x.y.z", "'o4'", "nolib.o6"});
  if (has(v, "colour")) return wild_ && draw_.chance(15) ? draw_.pick({"(red blue)", "nosuchcolour", "CX12", "#C6DBE", "12"}) : colour();
  if (has(v, "font")) return either({"swiss", "'Arial'", "'Courier New'"}, {"nosuchfont", "''"});
  if (has(v, "texts")) {
    if (draw_.chance(50)) return text();
    const std::string second = text();
    return "(" + text() + " " + second + ")";
  }
  if (has(v, "name or text")) return draw_.chance(50) ? name() : text();
  if (has(v, "text")) return text();
  if (has(v, "names")) {
    if (draw_.chance(60)) return name();
    const std::string second = name();
    return name() + " " + second;
  }
  if (has(v, "name of an AXIS") && draw_.chance(40)) return either({"axis1", "axis2"}, {"axis99", "axis0"});
  if (v == "name") return name();
  if (v == "variable") return either({"x", "y"}, {"g", "nosuch"});
  if (v == "format") return either({"8.2", "best6.", "5.", "e10."}, {"z", "8.20"});
  if (has(v, "lengths")) return either({"2 cm", "(1 pct, 2 pct)", "1 in"}, {"-3", "(0, 100) cells", "1e300 in"});
  if (has(v, "corner"))
    return either({"ne", "nw", "se", "sw", "tm", "bm", "lm", "rm", "(10, 90)", "(50, 50) data"},
                  {"(200, -5) percent", "(1e300, 0)"});
  if (has(v, "level")) return either({"'a'", "'b'", "('a' 2)"}, {"1", "'none'"});
  if (has(v, "EST") && draw_.chance(40)) return "EST";
  if (!c.empty() && (draw_.chance(70) || !has(v, "number"))) {
    std::string s = c[static_cast<std::size_t>(draw_.below(static_cast<int>(c.size())))];
    if (has(v, "one or more") && draw_.chance(50))
      s = "(" + s + " " + c[static_cast<std::size_t>(draw_.below(static_cast<int>(c.size())))] + ")";
    return s + sub_part;
  }
  if (has(v, "numbers") || has(v, "values")) {
    const bool alone = sub_part.empty() || draw_.chance(50);
    return numbers(v) + (alone ? "" : " " + sub_part);
  }
  if (has(v, "number")) {
    const std::string unit = has(v, "PCT") && draw_.chance(50) ? std::string(" ") + draw_.pick({"pct", "cells", "in", "cm"}) : "";
    return number(v) + unit;
  }
  return draw_.chance(50) ? number(v) : name();
}

// Every spelling of a colour the reference documents: CSS names in any case, #RRGGBB
// quoted or not, and the older CX and gray forms.
std::string program_writer::colour() {
  return draw_.pick({"red", "blue", "black", "LightSteelBlue", "LIGHTGRAY", "'light gray'", "#C6DBEF", "#08306b",
               "'#C6DBEF'", "CXFF8800", "cx336699", "grayaa", "navy"});
}

std::string program_writer::number(const std::string& range) {
  double lo = 0, hi = 0;
  char b[32];
  if (bounds(range, &lo, &hi) && (!wild_ || draw_.chance(70))) {
    // Whole bounds ("0 to 64") take whole numbers.
    const bool whole = lo == static_cast<long>(lo) && hi == static_cast<long>(hi);
    const double x = draw_.chance(20) ? (draw_.chance(50) ? lo : hi)
                     : whole    ? lo + draw_.below(static_cast<int>(std::min(hi - lo, 1e6)) + 1)
                                : lo + (hi - lo) * draw_.below(1000) / 1000.0;
    std::snprintf(b, sizeof b, "%g", x);
    return b;
  }
  return either({"1", "2", "3", "0.5", "10", "50", "95", "0.25", "7"},
                {"0", "100", "-1", "1e-300", "1e300", "0.001", "64", "-0", "1e9", ".", "4.5e-3", "99.5"});
}

std::string program_writer::numbers(const std::string& range) {
  switch (draw_.below(4)) {
    case 0:
      return number(range);
    case 1: {
      const std::string second = number(range);
      return number(range) + " " + second;
    }
    case 2: {
      const std::string third = number(range), second = number(range);
      return "(" + number(range) + ", " + second + ", " + third + ")";
    }
    default:
      return either({"1 to 10 by 2", "10 to 90 by 20", "5 to 1 by -1"},
                    {"0 to 1 by 0", "1 to 1e6 by 1", "0 to 100 by 25"});
  }
}

std::string program_writer::text() {
  if (draw_.chance(5)) return "'" + escape_ + "'";
  return draw_.pick(
      {"'A text'", "\"Double quoted\"", "''", "'Caf\xc3\xa9 \xe2\x82\xac'", "'it''s'", "'../escape'",
       "'a text longer than most pages are wide: a text longer than most pages are wide, and then some more words'",
       "'#byval1 #byvar(g) #byline'", "'<svg>&amp;'"});
}

std::string program_writer::name() {
  return either({"n1", "m2", "abc", "_x", "p", "q"}, {"v123456789012345678901234567890123", "x", "2bad"});
}

}  // namespace kes_fuzz
