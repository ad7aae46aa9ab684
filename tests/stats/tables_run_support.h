// Whole runs of the kestravine runner for the table tests: a scratch WORK folder
// with a CSV data set, the program run through the built module, and the listing,
// log and JSON output read back (a small JSON reader of its own).
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../support/scratch_files.h"
#include "core/runtime.h"
#include "runner/runner.h"

namespace tables_test {

struct json {
  enum kind_t { null_v, bool_v, num_v, str_v, arr_v, obj_v } kind = null_v;
  double num = 0;
  bool b = false;
  std::string str;
  std::vector<json> arr;
  std::vector<std::pair<std::string, json>> obj;

  const json& operator[](const std::string& k) const {
    for (const auto& kv : obj)
      if (kv.first == k) return kv.second;
    static const json none;
    return none;
  }
  const json& operator[](std::size_t i) const {
    static const json none;
    return i < arr.size() ? arr[i] : none;
  }
  bool has(const std::string& k) const {
    for (const auto& kv : obj)
      if (kv.first == k) return true;
    return false;
  }
  // A numeric cell: its number, or NaN for a missing value.
  double cell() const { return kind == num_v ? num : std::nan(""); }
  // The kind of a missing cell ("." "_" "A"...), or "" for a number.
  std::string missing() const { return kind == obj_v ? (*this)["missing"].str : std::string(); }
};

class json_reader {
 public:
  explicit json_reader(const std::string& s) : s_(s) {}
  bool parse(json& out) {
    if (!value(out)) return false;
    ws();
    return p_ == s_.size();
  }

 private:
  void ws() {
    while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\n' || s_[p_] == '\r' || s_[p_] == '\t')) ++p_;
  }
  bool lit(const char* t) {
    std::size_t n = std::char_traits<char>::length(t);
    if (s_.compare(p_, n, t) != 0) return false;
    p_ += n;
    return true;
  }
  bool string(std::string& out) {
    if (p_ >= s_.size() || s_[p_] != '"') return false;
    ++p_;
    while (p_ < s_.size() && s_[p_] != '"') {
      char c = s_[p_++];
      if (c == '\\' && p_ < s_.size()) {
        char e = s_[p_++];
        if (e == 'n') c = '\n';
        else if (e == 't') c = '\t';
        else if (e == 'u') {
          c = static_cast<char>(std::strtol(s_.substr(p_, 4).c_str(), nullptr, 16));
          p_ += 4;
        } else c = e;
      }
      out += c;
    }
    if (p_ >= s_.size()) return false;
    ++p_;
    return true;
  }
  bool value(json& v) {
    ws();
    if (p_ >= s_.size()) return false;
    char c = s_[p_];
    if (c == '{') {
      v.kind = json::obj_v;
      ++p_;
      ws();
      if (p_ < s_.size() && s_[p_] == '}') return ++p_, true;
      for (;;) {
        ws();
        std::string k;
        if (!string(k)) return false;
        ws();
        if (p_ >= s_.size() || s_[p_] != ':') return false;
        ++p_;
        json x;
        if (!value(x)) return false;
        v.obj.emplace_back(std::move(k), std::move(x));
        ws();
        if (p_ < s_.size() && s_[p_] == ',') { ++p_; continue; }
        if (p_ < s_.size() && s_[p_] == '}') return ++p_, true;
        return false;
      }
    }
    if (c == '[') {
      v.kind = json::arr_v;
      ++p_;
      ws();
      if (p_ < s_.size() && s_[p_] == ']') return ++p_, true;
      for (;;) {
        json x;
        if (!value(x)) return false;
        v.arr.push_back(std::move(x));
        ws();
        if (p_ < s_.size() && s_[p_] == ',') { ++p_; continue; }
        if (p_ < s_.size() && s_[p_] == ']') return ++p_, true;
        return false;
      }
    }
    if (c == '"') {
      v.kind = json::str_v;
      return string(v.str);
    }
    if (lit("true")) { v.kind = json::bool_v; v.b = true; return true; }
    if (lit("false")) { v.kind = json::bool_v; return true; }
    if (lit("null")) return true;
    char* end = nullptr;
    v.num = std::strtod(s_.c_str() + p_, &end);
    if (end == s_.c_str() + p_) return false;
    v.kind = json::num_v;
    p_ = static_cast<std::size_t>(end - s_.c_str());
    return true;
  }
  const std::string& s_;
  std::size_t p_ = 0;
};

using kes_test::slurp;

// Runs programs on a data set in a scratch WORK folder.
class run_fixture : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_.emplace("tables");
    dir_ = scratch_->path();
  }
  void TearDown() override {
    plat::config() = plat::run_config{};
    scratch_.reset();
  }
  void data(const std::string& name, const std::string& csv) {
    std::ofstream(dir_ / (name + ".csv"), std::ios::binary) << csv;
  }
  // Runs the program; returns the runner's exit status and reads the outputs back.
  int run(const std::string& program) {
    std::ofstream(dir_ / "prog.kes", std::ios::binary) << program;
    // A JSON file of its own for every run, unless a test names one.
    ++runs_;
    const std::filesystem::path json_path =
        dir_ / (json_name_.empty() ? "out" + std::to_string(runs_) + ".json" : json_name_);
    std::vector<std::string> args = {"--module", std::string(KES_BINARY_DIR) + "/libkestravine.so",
                                     "--log", (dir_ / "log").string(), "--listing", (dir_ / "lst").string(),
                                     "--json", json_path.string(), "--work", dir_.string(),
                                     (dir_ / "prog.kes").string()};
    int rc = plat::run(args);
    plat::config() = plat::run_config{};
    log_ = slurp(dir_ / "log");
    listing_ = slurp(dir_ / "lst");
    doc_ = json{};
    json_ok_ = json_reader(slurp(json_path)).parse(doc_);
    return rc;
  }
  // The emitted outputs of step `step` (from 0).
  const json& outputs(std::size_t step = 0) const { return doc_["steps"][step]["outputs"]; }
  // Names of the emitted outputs of a step, in order.
  std::vector<std::string> names(std::size_t step = 0) const {
    std::vector<std::string> v;
    for (const auto& o : outputs(step).arr) v.push_back(o["name"].str);
    return v;
  }
  // The k-th output named `name` (from 0), or a null value.
  const json& output(const std::string& name, int k = 0, std::size_t step = 0) const {
    for (const auto& o : outputs(step).arr)
      if (o["name"].str == name && k-- == 0) return o;
    static const json none;
    return none;
  }
  // A factoid pair's value by label.
  static double pair(const json& factoid, const std::string& label) {
    for (const auto& p : factoid["pairs"].arr)
      if (p["label"].str == label) return p["value"].cell();
    return std::nan("");
  }
  // The row of a table whose column `key` holds text `value`.
  static const json& row_where(const json& table, const std::string& key, const std::string& value) {
    for (const auto& r : table["rows"].arr)
      if (r[key].str == value) return r;
    static const json none;
    return none;
  }
  static std::vector<std::string> columns(const json& table) {
    std::vector<std::string> v;
    for (const auto& c : table["columns"].arr) v.push_back(c["name"].str);
    return v;
  }

  std::optional<kes_test::scratch_dir> scratch_;
  std::filesystem::path dir_;
  std::string log_, listing_;
  json doc_;
  bool json_ok_ = false;
  int runs_ = 0;
  std::string json_name_;
};

}  // namespace tables_test
