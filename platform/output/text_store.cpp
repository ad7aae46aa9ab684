// Text handles: each is a handle of the output handle space, so that a freed text's
// handle is never given to a new text.
#include "output/text_store.h"

#include <cstring>
#include "output/handle_map.h"
#include "output/handle_space.h"

namespace plat::out {
namespace {
struct entry {
  std::string text;
  bool group = false;  // made inside a BY group
};
handle_map<entry>& store() {
  static handle_map<entry> texts;
  return texts;
}
bool g_in_group = false;  // a BY group is current
}  // namespace

void* make_text(std::string s) {
  void* h = output_handles().next();
  if (h != nullptr) store().insert(h, entry{std::move(s), g_in_group});
  return h;
}

const std::string* text_of(const void* handle) {
  const entry* e = store().find(handle);
  return e != nullptr ? &e->text : nullptr;
}

void free_text(const void* handle) { store().erase(handle); }

void release_texts() {
  store().clear();
  g_in_group = false;
}

void release_group_texts() {
  store().erase_if([](const entry& e) { return e.group; });
  g_in_group = true;
}

std::size_t live_text_count() { return store().size(); }

std::string trimmed_text(const char* text, int length) { return std::string(trimmed_view(text, length)); }

std::string_view trimmed_view(const char* text, int length) {
  if (text == nullptr) return {};
  std::size_t n = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
  const void* nul = std::memchr(text, '\0', n);
  if (nul != nullptr) n = static_cast<std::size_t>(static_cast<const char*>(nul) - text);
  while (n > 0 && text[n - 1] == ' ') --n;
  return std::string_view(text, n);
}

}  // namespace plat::out
