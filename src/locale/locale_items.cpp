// Locale item access.
#include "locale/locale_items.h"

#include <cstring>

#include "host/host_services.h"
#include "util/kes_text.h"

const host_locale_item* kes_locale_item(int locale, int item) {
  const host_locale_item* record = nullptr;
  if (wzsxglc(locale, item, &record) != 0) return nullptr;
  return record;
}

bool kes_locale_entry(const host_locale_item* item, int index, const char** text, int* length) {
  if (item == nullptr || index < 0 || index >= item->count) return false;
  const host_locale_entry& e = item->entries[index];
  *text = e.text;
  *length = e.length < 0 ? 0 : (e.length > static_cast<int>(sizeof e.text) ? static_cast<int>(sizeof e.text) : e.length);
  return true;
}

int kes_locale_longest(const host_locale_item* item, int count) {
  int longest = 0;
  const char* t;
  int n;
  for (int i = 0; i < count; ++i)
    if (kes_locale_entry(item, i, &t, &n) && n > longest) longest = n;
  return longest;
}

bool kes_locale_pattern(int locale, const char* text, int length_or_item, const char** pattern, int* length) {
  if (text != nullptr) {
    *pattern = text;
    *length = length_or_item < 0 ? 0 : length_or_item;
    return true;
  }
  *pattern = "";
  *length = 0;
  if (length_or_item <= 0) return true;
  return kes_locale_entry(kes_locale_item(locale, length_or_item), 0, pattern, length);
}

namespace {

// Items whose text holds two variants, the second for the GSTYLE look.
bool two_variant_item(int item) { return item == 8 || item == 9 || item == 10 || (item >= 18 && item <= 22); }

int copy_cut(char* buffer, int room, const char* text, int n) {
  if (n > room) n = room;
  if (n < 0) n = 0;
  if (n > 0) std::memcpy(buffer, text, static_cast<size_t>(n));
  return n;
}

}  // namespace

int zkgetloc(int item, char* buffer, int* length, const char* fallback, int fallback_len) {
  const int room = *length;
  if (item < 0) {
    *length = 0;
    return -1;
  }
  const char* text;
  int n;
  if (!kes_locale_entry(kes_locale_item(0, item), 0, &text, &n)) {
    *length = fallback ? copy_cut(buffer, room, fallback, fallback_len) : 0;
    return 0;
  }
  int p = two_variant_item(item) ? wzstpos(text, n, ';') : -1;
  if (p >= 0) {
    int gstyle = 0;
    if (xoptbgt("GSTYLE", &gstyle) == 0 && gstyle != 0) {
      text += p + 1;
      n -= p + 1;
    } else if (p > 0) {
      n = p;
    }
  }
  *length = copy_cut(buffer, room, text, n);
  return 0;
}

int zksetloc(int item, const char* text, int length) { return wzsxplc(0, item, text, length); }

void zkmove(const char* source, int source_len, char* dest, int dest_len) {
  if (dest_len <= 0) return;
  int moved = source_len > 0 ? wzsxmov(source, source_len, dest, dest_len) : 0;
  if (moved < 0) moved = 0;
  if (moved < dest_len) std::memset(dest + moved, ' ', static_cast<size_t>(dest_len - moved));
}
