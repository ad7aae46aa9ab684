// Helpers for the output system's tests: a tiny JSON reader, an output system whose
// listing and log are captured in memory, and attribute-array shorthands.
#pragma once
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver/wob.h"
#include "output/output_system.h"
#include "output/text_store.h"

namespace out_test {

// ---- JSON ----
struct jvalue {
  enum kind_t { null_v, bool_v, num_v, str_v, arr_v, obj_v } kind = null_v;
  bool b = false;
  double num = 0;
  std::string str;
  std::vector<jvalue> arr;
  std::vector<std::pair<std::string, jvalue>> obj;

  const jvalue& operator[](const std::string& k) const {
    for (const auto& [key, v] : obj)
      if (key == k) return v;
    static const jvalue none;
    return none;
  }
  const jvalue& operator[](std::size_t i) const { return arr.at(i); }
  bool has(const std::string& k) const {
    for (const auto& kv : obj)
      if (kv.first == k) return true;
    return false;
  }
};

// Strict reader: returns false on any syntax error or trailing text.
class jreader {
 public:
  explicit jreader(const std::string& s) : s_(s) {}
  bool parse(jvalue& out) {
    if (!value(out)) return false;
    ws();
    return i_ == s_.size();
  }

 private:
  void ws() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\t' || s_[i_] == '\r')) ++i_;
  }
  bool lit(const char* w) {
    std::size_t n = std::char_traits<char>::length(w);
    if (s_.compare(i_, n, w) != 0) return false;
    i_ += n;
    return true;
  }
  bool string(std::string& out) {
    if (s_[i_] != '"') return false;
    ++i_;
    while (i_ < s_.size() && s_[i_] != '"') {
      char c = s_[i_++];
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= s_.size()) return false;
      char e = s_[i_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
          if (i_ + 4 > s_.size()) return false;
          unsigned v = std::stoul(s_.substr(i_, 4), nullptr, 16);
          i_ += 4;
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
          break;
        }
        default: return false;
      }
    }
    if (i_ >= s_.size()) return false;
    ++i_;
    return true;
  }
  bool value(jvalue& v) {
    ws();
    if (i_ >= s_.size()) return false;
    char c = s_[i_];
    if (c == '{') {
      v.kind = jvalue::obj_v;
      ++i_;
      ws();
      if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
      for (;;) {
        ws();
        std::string k;
        if (i_ >= s_.size() || !string(k)) return false;
        ws();
        if (i_ >= s_.size() || s_[i_++] != ':') return false;
        jvalue x;
        if (!value(x)) return false;
        v.obj.emplace_back(k, std::move(x));
        ws();
        if (i_ >= s_.size()) return false;
        if (s_[i_] == ',') { ++i_; continue; }
        if (s_[i_] == '}') return ++i_, true;
        return false;
      }
    }
    if (c == '[') {
      v.kind = jvalue::arr_v;
      ++i_;
      ws();
      if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
      for (;;) {
        jvalue x;
        if (!value(x)) return false;
        v.arr.push_back(std::move(x));
        ws();
        if (i_ >= s_.size()) return false;
        if (s_[i_] == ',') { ++i_; continue; }
        if (s_[i_] == ']') return ++i_, true;
        return false;
      }
    }
    if (c == '"') {
      v.kind = jvalue::str_v;
      return string(v.str);
    }
    if (lit("true")) { v.kind = jvalue::bool_v; v.b = true; return true; }
    if (lit("false")) { v.kind = jvalue::bool_v; return true; }
    if (lit("null")) return true;
    // number: -?int frac? exp?
    std::size_t st = i_;
    if (s_[i_] == '-') ++i_;
    if (i_ >= s_.size() || !std::isdigit(static_cast<unsigned char>(s_[i_]))) return false;
    if (s_[i_] == '0') ++i_;
    else while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
    if (i_ < s_.size() && s_[i_] == '.') {
      ++i_;
      if (i_ >= s_.size() || !std::isdigit(static_cast<unsigned char>(s_[i_]))) return false;
      while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      ++i_;
      if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
      if (i_ >= s_.size() || !std::isdigit(static_cast<unsigned char>(s_[i_]))) return false;
      while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    v.kind = jvalue::num_v;
    v.num = std::strtod(s_.substr(st, i_ - st).c_str(), nullptr);
    return true;
  }
  const std::string& s_;
  std::size_t i_ = 0;
};

inline bool parse_json(const std::string& text, jvalue& out) { return jreader(text).parse(out); }

// ---- an output system with captured listing and log ----
struct logged {
  int number;
  std::string first_text;  // the object kind (third argument) of the entry
};
inline std::vector<logged>& log_entries() {
  static std::vector<logged> v;
  return v;
}
inline void record_log(int number, ...) {
  va_list ap;
  va_start(ap, number);
  logged e{number, {}};
  if (number >= 2 && number < 30) {
    (void)va_arg(ap, int);
    const char* kind = va_arg(ap, const char*);
    e.first_text = kind ? kind : "";
  }
  va_end(ap);
  log_entries().push_back(e);
}

class system_fixture : public ::testing::Test {
 protected:
  void SetUp() override {
    log_entries().clear();
    plat::out::hooks h;
    h.listing = [this](std::string_view l) { lines.emplace_back(l); };
    h.linesize = 80;
    h.log = record_log;
    sys = std::make_unique<plat::out::output_system>(std::move(h), json.is_open() ? &json : nullptr);
    root = sys->root();
  }
  void TearDown() override {
    sys.reset();
    plat::out::release_texts();
  }
  // The listing as one text with newlines.
  std::string listing() const {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
  }
  // A manager made as the step driver makes it.
  void* make_manager() {
    wob_attr a[5] = {wob_str(143, "vem", 3), wob_str(146, "manager", 7), wob_out(144), wob_int(383, 189),
                     wob_last(2481, 0)};
    EXPECT_EQ(wobmth(root, nullptr, WOB_M_CREATE, 5, a), 0);
    return a[2].w.p;
  }
  static void* txt(const char* s) { return plat::out::make_text(s); }

  plat::out::json_file json;
  std::unique_ptr<plat::out::output_system> sys;
  void* root = nullptr;
  std::vector<std::string> lines;
};

// The same with a JSON file in the temporary folder, one step begun.
class json_system_fixture : public system_fixture {
 protected:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() /
            ("kes-out-" + std::to_string(::getpid()) + "-" + std::to_string(serial()++) + ".json");
    ASSERT_TRUE(json.open(path_.string(), nullptr));
    json.begin_step();
    system_fixture::SetUp();
  }
  void TearDown() override {
    system_fixture::TearDown();
    json.close();
    std::filesystem::remove(path_);
  }
  std::string json_text() const {
    std::ifstream in(path_);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  jvalue json_doc() const {
    jvalue v;
    std::string text = json_text();
    EXPECT_TRUE(parse_json(text, v)) << text;
    return v;
  }
  static int& serial() {
    static int n = 0;
    return n;
  }
  std::filesystem::path path_;
};

}  // namespace out_test
