// The token reader: names, quoted texts, numbers, lib.member names, formats, date,
// time and datetime literals, missing values, punctuation and comments.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "host/host_missing.h"
#include "parse/parse_internal.h"
#include "core/name_case.h"

namespace plat::parse {
namespace {

bool name_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

char peek(const parser* p, size_t k = 0) {
  return p->pos + k < p->text.size() ? p->text[p->pos + k] : '\0';
}

void advance(parser* p, size_t n = 1) {
  for (size_t i = 0; i < n && p->pos < p->text.size(); ++i) {
    if (p->text[p->pos] == '\n') {
      ++p->line;
      p->col = 1;
    } else {
      ++p->col;
    }
    ++p->pos;
  }
}

// Days from 1960-01-01 (day 0) of a proleptic Gregorian date.
long days_from_epoch(long y, int m, int d) {
  y -= m <= 2;
  long era = (y >= 0 ? y : y - 399) / 400;
  long yoe = y - era * 400;
  long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  long civil = era * 146097 + doe - 719468;  // days from 1970-01-01
  return civil + 3653;
}

bool leap(long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// ddMONyyyy (also ddMONyy): the day number, or false.
bool parse_date(const std::string& s, size_t* used, double* out) {
  static const char* months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  size_t i = 0;
  int d = 0;
  while (i < s.size() && digit(s[i]) && i < 2) d = d * 10 + (s[i++] - '0');
  if (i == 0 || i + 3 > s.size()) return false;
  std::string mon = upper(s.substr(i, 3));
  int m = 0;
  for (int k = 0; k < 12; ++k)
    if (mon == months[k]) m = k + 1;
  if (m == 0) return false;
  i += 3;
  size_t y0 = i;
  long y = 0;
  while (i < s.size() && digit(s[i]) && i - y0 < 4) y = y * 10 + (s[i++] - '0');
  if (i - y0 == 2) y += y < 20 ? 2000 : 1900;
  else if (i - y0 != 4) return false;
  static const int mdays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int dim = mdays[m - 1] + (m == 2 && leap(y) ? 1 : 0);
  if (d < 1 || d > dim) return false;
  long v = days_from_epoch(y, m, d);
  if (v < -138061 || v >= 6589336) return false;
  *used = i;
  *out = static_cast<double>(v);
  return true;
}

// hh:mm[:ss[.fff]]: seconds, or false.
bool parse_time(const std::string& s, size_t* used, double* out) {
  size_t i = 0;
  double parts[3] = {0, 0, 0};
  int n = 0;
  for (; n < 3; ++n) {
    size_t b = i;
    while (i < s.size() && (digit(s[i]) || (n == 2 && s[i] == '.'))) ++i;
    if (i == b) return false;
    parts[n] = std::strtod(s.substr(b, i - b).c_str(), nullptr);
    if (i < s.size() && s[i] == ':' && n < 2) {
      ++i;
      continue;
    }
    ++n;
    break;
  }
  if (n < 2 || parts[1] >= 60 || parts[2] >= 60) return false;
  *used = i;
  *out = parts[0] * 3600 + parts[1] * 60 + parts[2];
  return true;
}

bool literal_value(const std::string& body, int kind, double* out) {
  size_t used = 0;
  if (kind == T_DATE) return parse_date(body, &used, out) && used == body.size();
  if (kind == T_TIME) return parse_time(body, &used, out) && used == body.size();
  double day = 0, secs = 0;
  if (!parse_date(body, &used, &day) || used >= body.size() || body[used] != ':') return false;
  size_t used2 = 0;
  std::string rest = body.substr(used + 1);
  if (!parse_time(rest, &used2, &secs) || used2 != rest.size()) return false;
  *out = day * 86400 + secs;
  return true;
}

void read_quoted(parser* p, token* t) {
  char q = peek(p);
  advance(p);
  std::string body;
  bool closed = false;
  while (p->pos < p->text.size()) {
    char c = peek(p);
    if (c == '\n') break;
    if (c == q) {
      if (peek(p, 1) == q) {
        body += q;
        advance(p, 2);
        continue;
      }
      advance(p);
      closed = true;
      break;
    }
    body += c;
    advance(p);
  }
  t->cls = T_QS;
  t->text = body;
  if (!closed) {
    parse_error(p, t->line, t->col, 10);
    return;
  }
  // A literal suffix right after the closing quote: d, t or dt.
  int kind = 0;
  size_t n = 0;
  char a = static_cast<char>(std::toupper(static_cast<unsigned char>(peek(p))));
  char b = static_cast<char>(std::toupper(static_cast<unsigned char>(peek(p, 1))));
  if (a == 'D' && b == 'T' && !name_char(peek(p, 2))) kind = T_DATETIME, n = 2;
  else if (a == 'D' && !name_char(peek(p, 1))) kind = T_DATE, n = 1;
  else if (a == 'T' && !name_char(peek(p, 1))) kind = T_TIME, n = 1;
  if (kind == 0) return;
  advance(p, n);
  t->cls = kind;
  if (!literal_value(body, kind, &t->value)) {
    parse_error(p, t->line, t->col, 14, (std::string(1, q) + body + q).c_str());
    t->value = host_missing_of_kind(HOST_MISS_STD);
  }
}

// A format: [$]name[w].[d], or w.[d]; name letters, w and d digits.
bool split_format(const std::string& s, token* t) {
  size_t dot = s.find('.');
  if (dot == std::string::npos || s.find('.', dot + 1) != std::string::npos) return false;
  std::string head = s.substr(0, dot), tail = s.substr(dot + 1);
  for (char c : tail)
    if (!digit(c)) return false;
  size_t k = head.size();
  while (k > 0 && digit(head[k - 1])) --k;
  std::string name = head.substr(0, k), width = head.substr(k);
  for (size_t i = 0; i < name.size(); ++i)
    if (!(name_char(name[i]) || (i == 0 && name[i] == '$')) || (i > 0 && name[i] == '$')) return false;
  if (!name.empty() && digit(name[name.size() - 1])) return false;
  if (width.size() > 5 || tail.size() > 5) return false;
  t->fmt_name = name.empty() ? "F" : upper(name);
  t->fmt_width = width.empty() ? 0 : std::atoi(width.c_str());
  t->fmt_decimals = tail.empty() ? 0 : std::atoi(tail.c_str());
  return true;
}

void read_number(parser* p, token* t) {
  size_t b = p->pos;
  while (digit(peek(p))) advance(p);
  bool is_int = true;
  if (peek(p) == '.') {
    is_int = false;
    advance(p);
    while (digit(peek(p))) advance(p);
  }
  size_t mant_end = p->pos;
  if ((peek(p) == 'e' || peek(p) == 'E') &&
      (digit(peek(p, 1)) || ((peek(p, 1) == '+' || peek(p, 1) == '-') && digit(peek(p, 2))))) {
    is_int = false;
    advance(p, 2);
    while (digit(peek(p))) advance(p);
  }
  t->raw = p->text.substr(b, p->pos - b);
  if (name_char(peek(p))) {
    // Digits run into letters: not a number (a name cannot start with a digit).
    while (name_char(peek(p)) || peek(p) == '.') advance(p);
    t->raw = p->text.substr(b, p->pos - b);
    t->cls = T_NBR;
    t->value = host_missing_of_kind(HOST_MISS_STD);
    // Meant as a name: a library (before a dot) or a plain name begun by a digit.
    const size_t dot = t->raw.find('.');
    if (dot != std::string::npos && dot + 1 < t->raw.size() && !digit(t->raw[dot + 1]))
      parse_error(p, t->line, t->col, 34, t->raw.c_str(), t->raw.substr(0, dot).c_str());
    else
      parse_error(p, t->line, t->col, 35, t->raw.c_str());
    return;
  }
  t->value = std::strtod(t->raw.c_str(), nullptr);
  if (!std::isfinite(t->value)) {
    parse_error(p, t->line, t->col, 15, t->raw.c_str());
    t->value = host_missing_of_kind(HOST_MISS_STD);
  }
  t->cls = is_int ? T_INT : T_NBR;
  if (!is_int && mant_end == p->pos && split_format(t->raw, t)) t->alt = T_FMT;
  t->text = t->raw;
}

void read_word(parser* p, token* t) {
  size_t b = p->pos;
  if (peek(p) == '$') advance(p);
  while (name_char(peek(p))) advance(p);
  std::string word = p->text.substr(b, p->pos - b);
  // word.member: a two-level name; word. or word.digits: a format.
  if (peek(p) == '.') {
    if (name_start(peek(p, 1)) && word[0] != '$') {
      advance(p);
      size_t m = p->pos;
      while (name_char(peek(p))) advance(p);
      t->cls = T_COMPOUND;
      t->raw = p->text.substr(b, p->pos - b);
      t->text = upper(t->raw);
      std::string member = p->text.substr(m, p->pos - m);
      if (word.size() > 8 || member.size() > kMaxNameLength)
        parse_error(p, t->line, t->col, 13, t->raw.c_str());
      return;
    }
    advance(p);
    while (digit(peek(p))) advance(p);
    t->raw = p->text.substr(b, p->pos - b);
    t->text = upper(t->raw);
    if (split_format(t->raw, t)) {
      t->cls = T_FMT;
      return;
    }
    t->cls = T_NAMEX;
    parse_error(p, t->line, t->col, 16, t->raw.c_str());
    return;
  }
  t->raw = word;
  t->text = upper(word);
  if (word[0] == '$') {
    t->cls = T_NAMEX;
    parse_error(p, t->line, t->col, 12, "$");
    t->text = t->text.substr(1);
    return;
  }
  t->cls = T_NAMEX;
  if (word.size() > kMaxNameLength) {
    parse_error(p, t->line, t->col, 13, t->raw.c_str());
    t->text.resize(kMaxNameLength);
  }
  auto it = p->syms->keywords.find(t->text);
  if (it != p->syms->keywords.end()) t->keyword = it->second;
}

// Skips blanks and comments; true when a token follows.
bool skip_space(parser* p) {
  for (;;) {
    char c = peek(p);
    if (p->pos >= p->text.size()) return false;
    if (std::isspace(static_cast<unsigned char>(c))) {
      advance(p);
      continue;
    }
    if (c == '/' && peek(p, 1) == '*') {
      int line = p->line, col = p->col;
      advance(p, 2);
      while (p->pos < p->text.size() && !(peek(p) == '*' && peek(p, 1) == '/')) advance(p);
      if (p->pos >= p->text.size()) {
        parse_error(p, line, col, 11);
        return false;
      }
      advance(p, 2);
      continue;
    }
    if (c == '*' && p->at_statement_start) {
      // A comment statement: up to its semicolon.
      while (p->pos < p->text.size() && peek(p) != ';') advance(p);
      advance(p);
      continue;
    }
    return true;
  }
}

}  // namespace

bool read_raw_group(parser* p, std::string* text, int* line, int* col) {
  if (p->lookahead != nullptr && !p->lookahead->empty()) {
    // Tokens read ahead are read again as raw text.
    const token& first = p->lookahead->front();
    p->pos = first.begin;
    p->line = first.line;
    p->col = first.col;
    p->lookahead->clear();
  }
  if (!skip_space(p) || peek(p) != '(') return false;
  *line = p->line;
  *col = p->col;
  advance(p);
  int depth = 1;
  char quote = 0;
  text->clear();
  while (p->pos < p->text.size()) {
    const char c = peek(p);
    if (quote == 0 && c == ';') break;
    advance(p);
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      return true;
    }
    text->push_back(c);
  }
  parse_error(p, *line, *col, 31);
  text->clear();  // refused as a whole: read as no option
  return true;
}

void read_token(parser* p) {
  token t;
  if (!skip_space(p)) {
    t.cls = p->syms->end_marker;
    t.line = p->line;
    t.col = p->col;
    t.raw = "";
    p->tok = t;
    return;
  }
  for (;;) {
    t = token();
    t.line = p->line;
    t.col = p->col;
    t.begin = p->pos;
    char c = peek(p);
    if (c == '\'' || c == '"') {
      size_t b = p->pos;
      read_quoted(p, &t);
      t.raw = p->text.substr(b, p->pos - b);
    } else if (digit(c) || (c == '.' && digit(peek(p, 1)))) {
      read_number(p, &t);
    } else if (c == '.') {
      // Missing values: . ._ .A to .Z
      size_t b = p->pos;
      char n = static_cast<char>(std::toupper(static_cast<unsigned char>(peek(p, 1))));
      t.cls = T_MISSING;
      if (n == '_' && !name_char(peek(p, 2))) {
        t.value = host_missing_of_kind(HOST_MISS_UNDERSCORE);
        advance(p, 2);
      } else if (n >= 'A' && n <= 'Z' && !name_char(peek(p, 2))) {
        t.value = host_missing_of_kind(HOST_MISS_A + (n - 'A'));
        advance(p, 2);
      } else {
        t.value = host_missing_of_kind(HOST_MISS_STD);
        advance(p);
      }
      t.raw = p->text.substr(b, p->pos - b);
    } else if (name_start(c) || (c == '$' && (name_char(peek(p, 1)) || peek(p, 1) == '.'))) {
      read_word(p, &t);
    } else if (c == '#' && name_char(peek(p, 1))) {
      // A colour written #RRGGBB, as the reference writes it: a token of its own, which
      // only a colour takes, so that it is never read as a name or a text.
      size_t b = p->pos;
      advance(p);
      while (name_char(peek(p))) advance(p);
      t.cls = T_VLITERAL;
      t.raw = p->text.substr(b, p->pos - b);
      t.text = upper(t.raw);
    } else if (c == ';') {
      t.cls = T_ENDJB;
      t.raw = ";";
      advance(p);
    } else if (static_cast<unsigned char>(c) < 128 && p->syms->punct[static_cast<unsigned char>(c)]) {
      t.cls = p->syms->punct[static_cast<unsigned char>(c)];
      t.raw = std::string(1, c);
      advance(p);
    } else {
      parse_error(p, t.line, t.col, 12, character_shown(c).c_str());
      advance(p);
      if (!skip_space(p)) {
        t = token();
        t.cls = p->syms->end_marker;
        t.line = p->line;
        t.col = p->col;
        p->tok = t;
        return;
      }
      continue;
    }
    break;
  }
  t.end = p->pos;
  p->at_statement_start = t.cls == T_ENDJB;
  p->tok = t;
}

}  // namespace plat::parse
