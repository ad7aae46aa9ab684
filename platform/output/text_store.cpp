// Text handles: each is the address of a string this store owns.
#include "output/text_store.h"

#include <cstring>
#include <memory>
#include <unordered_map>

namespace plat::out {
namespace {
struct entry {
  std::unique_ptr<std::string> text;
  bool group = false;  // made inside a BY group
};
std::unordered_map<const void*, entry>& store() {
  static std::unordered_map<const void*, entry> texts;
  return texts;
}
bool g_in_group = false;  // a BY group is current
}  // namespace

void* make_text(std::string s) {
  auto p = std::make_unique<std::string>(std::move(s));
  void* h = p.get();
  store().emplace(h, entry{std::move(p), g_in_group});
  return h;
}

const std::string* text_of(const void* handle) {
  if (handle == nullptr) return nullptr;
  auto it = store().find(handle);
  return it == store().end() ? nullptr : it->second.text.get();
}

void release_texts() {
  store().clear();
  g_in_group = false;
}

void release_group_texts() {
  std::erase_if(store(), [](const auto& kv) { return kv.second.group; });
  g_in_group = true;
}

std::size_t live_text_count() { return store().size(); }

std::string trimmed_text(const char* text, int length) {
  if (text == nullptr) return std::string();
  std::size_t n = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
  const void* nul = std::memchr(text, '\0', n);
  if (nul != nullptr) n = static_cast<std::size_t>(static_cast<const char*>(nul) - text);
  while (n > 0 && text[n - 1] == ' ') --n;
  return std::string(text, n);
}

}  // namespace plat::out
