// Statement splitting: semicolons outside quotes end statements; /* */ comments and
// "* ... ;" comment statements become blanks, so that positions stay as they were.
#include "runner/program_split.h"

#include <algorithm>
#include <cctype>

#include "core/host_messages.h"
#include "core/utf8_text.h"
#include "host/kes_utf8.h"

namespace plat {
namespace {

bool name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

void blank(std::string& s, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to && i < s.size(); ++i)
    if (s[i] != '\n') s[i] = ' ';
}

struct line_index {
  std::vector<std::size_t> starts{0};
  explicit line_index(const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i)
      if (s[i] == '\n') starts.push_back(i + 1);
  }
  int line(std::size_t off) const {
    return static_cast<int>(std::upper_bound(starts.begin(), starts.end(), off) - starts.begin());
  }
  int column(std::size_t off) const { return static_cast<int>(off - starts[line(off) - 1]) + 1; }
};

std::string word_at(const std::string& s, std::size_t* i, std::size_t end) {
  std::string w;
  while (*i < end && name_char(s[*i])) w += static_cast<char>(std::toupper(static_cast<unsigned char>(s[(*i)++])));
  return w;
}

}  // namespace

split_program split_statements(std::string text) {
  split_program out;
  // A byte order mark, as some editors begin a file with, is no part of the program.
  if (text.starts_with(kUtf8ByteOrderMark)) text.erase(0, kUtf8ByteOrderMark.size());
  const line_index lines(text);
  const std::size_t n = text.size();
  std::size_t begin = std::string::npos;  // start of the statement being read
  std::size_t i = 0;
  auto add = [&](std::size_t b, std::size_t e) {
    statement st;
    st.begin = b;
    st.end = e;
    st.line = lines.line(b);
    st.column = lines.column(b);
    st.last_line = lines.line(e - 1);
    std::size_t k = b;
    st.keyword = word_at(text, &k, e);
    while (k < e && std::isspace(static_cast<unsigned char>(text[k]))) ++k;
    st.second_line = lines.line(k);
    st.second_column = lines.column(k);
    if (!st.keyword.empty()) st.second = word_at(text, &k, e);
    out.statements.push_back(std::move(st));
  };
  bool second_mark = false;
  while (i < n) {
    if (text.compare(i, kUtf8ByteOrderMark.size(), kUtf8ByteOrderMark) == 0) {
      if (!second_mark) out.problems.push_back({hostmsg::second_byte_order_mark, lines.line(i), lines.column(i)});
      second_mark = true;
      blank(text, i, i + kUtf8ByteOrderMark.size());
    }
    char c = text[i];
    const std::size_t length = kes_utf8_char_length(text, i);
    const bool control = static_cast<unsigned char>(c) < 0x20 && !std::isspace(static_cast<unsigned char>(c));
    if (length == 0 || c == 0x7F || control) {
      out.strays.push_back({i, lines.line(i), lines.column(i), c});
      text[i] = c = ' ';
    }
    if (c == '/' && i + 1 < n && text[i + 1] == '*') {
      std::size_t close = text.find("*/", i + 2);
      if (close == std::string::npos) {
        out.problems.push_back({hostmsg::open_comment, lines.line(i), lines.column(i)});
        blank(text, i, n);
        out.cut_statement = begin;
        begin = std::string::npos;
        i = n;
        break;
      }
      blank(text, i, close + 2);
      i = close + 2;
      continue;
    }
    if (begin == std::string::npos) {
      if (std::isspace(static_cast<unsigned char>(c))) { ++i; continue; }
      if (c == '*') {  // a comment statement, up to its semicolon
        std::size_t semi = text.find(';', i);
        if (semi == std::string::npos) {
          out.problems.push_back({hostmsg::open_statement, lines.line(i), lines.column(i)});
          blank(text, i, n);
          i = n;
          break;
        }
        blank(text, i, semi + 1);
        i = semi + 1;
        continue;
      }
      begin = i;
    }
    if (c == '\'' || c == '"') {
      // A doubled quote inside stands for one; either way the text goes on.
      std::size_t close = text.find(c, i + 1);
      if (close == std::string::npos) {
        out.problems.push_back({hostmsg::open_quote, lines.line(i), lines.column(i)});
        out.cut_statement = begin;
        begin = std::string::npos;
        i = n;
        break;
      }
      i = close + 1;
      continue;
    }
    if (c == ';') {
      add(begin, i + 1);
      begin = std::string::npos;
    }
    i += length > 1 ? length : 1;  // a character of several bytes is passed whole
  }
  if (begin != std::string::npos) {
    // The last statement lacks its semicolon: the cheapest repair, one semicolon at the
    // end, keeps the statement as written.
    out.problems.push_back({hostmsg::semicolon_supplied, lines.line(begin), lines.column(begin)});
    text += ';';
    add(begin, text.size());
  }
  out.text = std::move(text);
  return out;
}

std::string program_encoding_problem(const std::string& text) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  if (text.size() < 2) return {};
  const bool marked = (byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF);
  // Without its mark, UTF-16 begins with ASCII characters each beside a NUL, on the
  // same side: a lone NUL in a UTF-8 program is a stray byte, said where it stands.
  const std::size_t n = std::min<std::size_t>(text.size() & ~std::size_t{1}, 8);
  const std::size_t nul_side = byte(0) == 0 ? 0 : 1;
  bool unmarked = n >= 4;
  for (std::size_t i = 0; i < n && unmarked; i += 2)
    unmarked = byte(i + nul_side) == 0 && byte(i + 1 - nul_side) != 0 && byte(i + 1 - nul_side) < 0x80;
  return marked || unmarked ? "the file is UTF-16; save it as UTF-8" : "";
}

}  // namespace plat
