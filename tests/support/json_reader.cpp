#include "json_reader.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace kes_test {

namespace {
const json& null_json() {
  static const json none;
  return none;
}

class reader {
 public:
  explicit reader(const std::string& s) : s_(s) {}
  bool parse(json& out) {
    if (!value(out)) return false;
    ws();
    return i_ == s_.size();
  }

 private:
  bool more() const { return i_ < s_.size(); }
  void ws() {
    while (more() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\t' || s_[i_] == '\r')) ++i_;
  }
  bool lit(const char* w) {
    std::size_t n = std::char_traits<char>::length(w);
    if (s_.compare(i_, n, w) != 0) return false;
    i_ += n;
    return true;
  }
  bool digits() {
    if (!more() || !std::isdigit(static_cast<unsigned char>(s_[i_]))) return false;
    while (more() && std::isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
    return true;
  }
  static void utf8(unsigned v, std::string& out) {
    if (v < 0x80) {
      out += static_cast<char>(v);
    } else if (v < 0x800) {
      out += static_cast<char>(0xC0 | (v >> 6));
      out += static_cast<char>(0x80 | (v & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (v >> 12));
      out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (v & 0x3F));
    }
  }
  bool string(std::string& out) {
    if (!more() || s_[i_] != '"') return false;
    ++i_;
    while (more() && s_[i_] != '"') {
      char c = s_[i_++];
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (!more()) return false;
      switch (char e = s_[i_++]) {
        case '"': case '\\': case '/': out += e; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
          if (i_ + 4 > s_.size()) return false;
          for (std::size_t k = i_; k < i_ + 4; ++k)
            if (!std::isxdigit(static_cast<unsigned char>(s_[k]))) return false;
          utf8(static_cast<unsigned>(std::strtoul(s_.substr(i_, 4).c_str(), nullptr, 16)), out);
          i_ += 4;
          break;
        }
        default: return false;
      }
    }
    if (!more()) return false;
    ++i_;
    return true;
  }
  // The members or elements of an object or array up to its closing mark.
  template <typename Item>
  bool sequence(char close, Item item) {
    ++i_;
    ws();
    if (more() && s_[i_] == close) return ++i_, true;
    for (;;) {
      if (!item()) return false;
      ws();
      if (!more()) return false;
      if (s_[i_] == ',') { ++i_; continue; }
      if (s_[i_] == close) return ++i_, true;
      return false;
    }
  }
  bool number(json& v) {
    std::size_t start = i_;
    if (s_[i_] == '-') ++i_;
    if (more() && s_[i_] == '0') ++i_;
    else if (!digits()) return false;
    if (more() && s_[i_] == '.') {
      ++i_;
      if (!digits()) return false;
    }
    if (more() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      ++i_;
      if (more() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
      if (!digits()) return false;
    }
    v.kind = json::num_v;
    v.num = std::strtod(s_.substr(start, i_ - start).c_str(), nullptr);
    return true;
  }
  bool value(json& v) {
    ws();
    if (!more()) return false;
    switch (s_[i_]) {
      case '{':
        v.kind = json::obj_v;
        return sequence('}', [&] {
          ws();
          std::string k;
          if (!string(k)) return false;
          ws();
          if (!more() || s_[i_++] != ':') return false;
          json x;
          if (!value(x)) return false;
          v.obj.emplace_back(std::move(k), std::move(x));
          return true;
        });
      case '[':
        v.kind = json::arr_v;
        return sequence(']', [&] {
          json x;
          if (!value(x)) return false;
          v.arr.push_back(std::move(x));
          return true;
        });
      case '"':
        v.kind = json::str_v;
        return string(v.str);
      default: break;
    }
    if (lit("true")) { v.kind = json::bool_v; v.b = true; return true; }
    if (lit("false")) { v.kind = json::bool_v; return true; }
    if (lit("null")) return true;
    return number(v);
  }

  const std::string& s_;
  std::size_t i_ = 0;
};
}  // namespace

const json& json::operator[](const std::string& k) const {
  for (const auto& [key, v] : obj)
    if (key == k) return v;
  return null_json();
}

const json& json::operator[](std::size_t i) const { return i < arr.size() ? arr[i] : null_json(); }

bool json::has(const std::string& k) const {
  for (const auto& kv : obj)
    if (kv.first == k) return true;
  return false;
}

double json::cell() const { return kind == num_v ? num : std::nan(""); }

std::string json::missing() const { return kind == obj_v ? (*this)["missing"].str : std::string(); }

bool parse_json(const std::string& text, json& out) {
  out = json{};
  return reader(text).parse(out);
}

}  // namespace kes_test
