#include "core/format_ids.h"

#include <map>
#include <vector>

namespace plat {
namespace {

constexpr std::size_t kBestWord = 99;

struct format_table {
  std::map<std::string, std::uint32_t> ids;
  std::vector<std::string> names{""};
};

format_table& table() {
  static format_table t;
  return t;
}

}  // namespace

std::uint32_t format_id(const std::string& name) {
  format_table& t = table();
  auto it = t.ids.find(name);
  if (it != t.ids.end()) return it->second;
  // Word 99 means the best form to the number services: no name is given it.
  if (t.names.size() == kBestWord) t.names.emplace_back();
  std::uint32_t id = static_cast<std::uint32_t>(t.names.size());
  t.names.push_back(name);
  t.ids.emplace(name, id);
  return id;
}

const std::string& format_name(std::uint32_t id) {
  const format_table& t = table();
  return id < t.names.size() ? t.names[id] : t.names[0];
}

}  // namespace plat
