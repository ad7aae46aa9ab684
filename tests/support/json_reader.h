// One JSON reader for every test folder: a value tree with lookups that never throw
// (a missing member or index reads as null), and a strict parser that refuses any
// syntax error or trailing text.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace kes_test {

struct json {
  enum kind_t { null_v, bool_v, num_v, str_v, arr_v, obj_v } kind = null_v;
  bool b = false;
  double num = 0;
  std::string str;
  std::vector<json> arr;
  std::vector<std::pair<std::string, json>> obj;

  // The member named k, or null.
  const json& operator[](const std::string& k) const;
  // Element i of an array, or null.
  const json& operator[](std::size_t i) const;
  bool has(const std::string& k) const;
  // A numeric cell: its number, or NaN for a missing value (written {"missing": "."}).
  double cell() const;
  // The kind of a missing cell ("." "_" "A"...), or "" for anything else.
  std::string missing() const;
};

// Parses text into out; false on any syntax error or trailing text.
bool parse_json(const std::string& text, json& out);

}  // namespace kes_test
