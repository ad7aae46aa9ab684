// Locale items of the stand-in's locales, the services that read and set them, and
// the locale-aware formatting service.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/host_routines.h"
#include "locale/locales.h"

namespace plat::locales {
namespace {

struct item_store {
  std::vector<host_locale_entry> entries;
  host_locale_item record{};
};

struct locale_def {
  std::map<int, item_store> items;
  host_numconv numbers{}, money{}, money_intl{};
};

void set_texts(item_store& s, const std::vector<std::string>& texts, const host_numconv* numeric) {
  s.entries.assign(texts.size(), host_locale_entry{});
  for (size_t i = 0; i < texts.size(); ++i) {
    size_t n = std::min(texts[i].size(), sizeof s.entries[i].text);
    std::memcpy(s.entries[i].text, texts[i].data(), n);
    s.entries[i].length = static_cast<int32_t>(n);
  }
  s.record.count = static_cast<int32_t>(s.entries.size());
  s.record.entries = s.entries.data();
  s.record.numeric = numeric;
}

host_numconv conventions(const char* currency, char decimal, char grouping, char plus, char minus,
                         int plus_at, int minus_at) {
  host_numconv c{};
  std::snprintf(c.currency, sizeof c.currency, "%s", currency);
  c.decimal = decimal;
  c.grouping = grouping;
  c.positive_sign = plus;
  c.negative_sign = minus;
  c.positive_position = plus_at;
  c.negative_position = minus_at;
  return c;
}

// Items holding numeric conventions: numbers (111), percents (112), money (113) and
// international money (114).
void add_numeric(locale_def& l) {
  set_texts(l.items[111], {"numbers"}, &l.numbers);
  set_texts(l.items[112], {"percents"}, &l.numbers);
  set_texts(l.items[113], {"money"}, &l.money);
  set_texts(l.items[114], {"international money"}, &l.money_intl);
}

void build_english(locale_def& l) {
  set_texts(l.items[19], {"SIMPLEX;SANS"}, nullptr);
  set_texts(l.items[33], {"%m/%d/%Y"}, nullptr);                  // date pattern
  set_texts(l.items[34], {"%a %b %d %H:%M:%S %Y"}, nullptr);      // datetime pattern
  set_texts(l.items[35], {"%H:%M:%S"}, nullptr);
  set_texts(l.items[36], {"%I:%M:%S %P"}, nullptr);
  set_texts(l.items[50], {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"}, nullptr);
  set_texts(l.items[62], {"January", "February", "March", "April", "May", "June", "July", "August", "September",
                          "October", "November", "December"}, nullptr);
  set_texts(l.items[74], {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}, nullptr);
  set_texts(l.items[81], {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}, nullptr);
  set_texts(l.items[88], {"AM"}, nullptr);
  set_texts(l.items[89], {"PM"}, nullptr);
  set_texts(l.items[90], {"Q1", "Q2", "Q3", "Q4"}, nullptr);
  set_texts(l.items[94], {"1st quarter", "2nd quarter", "3rd quarter", "4th quarter"}, nullptr);
  l.numbers = conventions("", '.', ',', '\0', '-', 1, 1);
  l.money = conventions("$", '.', ',', '\0', '-', 1, 0);
  l.money_intl = conventions("USD ", '.', ',', '\0', '-', 1, 1);
  add_numeric(l);
}

void build_european(locale_def& l) {
  set_texts(l.items[19], {"SIMPLEX"}, nullptr);
  set_texts(l.items[33], {"%d.%m.%Y"}, nullptr);
  set_texts(l.items[34], {"%d.%m.%Y %H.%M.%S"}, nullptr);
  set_texts(l.items[35], {"%H.%M.%S"}, nullptr);
  set_texts(l.items[36], {"%H.%M"}, nullptr);
  set_texts(l.items[50], {"jan", "feb", "mar", "apr", "mai", "jun", "jul", "aug", "sep", "okt", "nov", "des"}, nullptr);
  set_texts(l.items[62], {"januar", "februar", "mars", "april", "mai", "juni", "juli", "august", "september",
                          "oktober", "november", "desember"}, nullptr);
  set_texts(l.items[74], {"son", "man", "tir", "ons", "tor", "fre", "lor"}, nullptr);
  set_texts(l.items[81], {"sondag", "mandag", "tirsdag", "onsdag", "torsdag", "fredag", "lordag"}, nullptr);
  // No morning and afternoon designators: this locale writes a 24-hour clock.
  l.numbers = conventions("", ',', '.', '+', '-', 1, 2);
  l.money = conventions("Kr", ',', '.', '\0', '-', 1, 2);
  l.money_intl = conventions("NOK", ',', '.', '\0', '-', 1, 2);
  add_numeric(l);
}

struct registry {
  locale_def english, european;
  int current = plat::locales::english;
  registry() { build(); }
  void build() {
    english = locale_def{};
    european = locale_def{};
    build_english(english);
    build_european(european);
  }
  locale_def* find(int handle) {
    if (handle == 0) handle = current;
    if (handle == plat::locales::english) return &english;
    if (handle == plat::locales::european) return &european;
    return nullptr;
  }
};

registry& reg() {
  static registry r;
  return r;
}

struct class_table {
  unsigned char cls[256]{};
  class_table() {
    for (int c = 'a'; c <= 'z'; ++c) cls[c] = KES_CLS_LOWER;
    for (int c = '0'; c <= '9'; ++c) cls[c] = KES_CLS_DIGIT;
  }
};

}  // namespace

bool select(int handle) {
  if (handle != english && handle != european) return false;
  reg().current = handle;
  return true;
}

void reset() {
  reg().build();
  reg().current = english;
}

}  // namespace plat::locales

extern "C" {

int plat_wzsxglc(int locale, int item, const host_locale_item** record) {
  *record = nullptr;
  plat::locales::locale_def* l = plat::locales::reg().find(locale);
  if (l == nullptr) return 1;
  auto it = l->items.find(item);
  if (it == l->items.end()) return 1;
  *record = &it->second.record;
  return 0;
}

// Only text items can be set; an item that holds a name list or conventions cannot.
int plat_wzsxplc(int locale, int item, const char* text, int len) {
  plat::locales::locale_def* l = plat::locales::reg().find(locale);
  if (l == nullptr || item <= 0 || len < 0 || (len > 0 && text == nullptr) || len > 132) return 1;
  plat::locales::item_store& s = l->items[item];
  if (s.entries.size() > 1 || s.record.numeric != nullptr) return 1;
  plat::locales::set_texts(s, {std::string(text ? text : "", static_cast<size_t>(len))}, nullptr);
  return 0;
}

// The stand-in's texts are single-byte: every byte is a whole character.
int plat_wzsxmov(const char* src, int srclen, char* dst, int dstlen) {
  int n = std::min(srclen, dstlen);
  if (n <= 0) return 0;
  std::memmove(dst, src, static_cast<size_t>(n));
  return n;
}

const unsigned char* plat_wzsxcls() {
  static const plat::locales::class_table t;
  return t.cls;
}

int plat_xpslstr(int locale, char* place, int room, const char* format, int kind, va_list ap) {
  if (plat::locales::reg().find(locale) == nullptr || place == nullptr || room <= 0) return 0;
  if (kind != 2 || std::strcmp(format, "%i") != 0) return 0;
  char buf[16];
  int n = std::snprintf(buf, sizeof buf, "%i", va_arg(ap, int));
  if (n > room) n = room;
  std::memcpy(place, buf, static_cast<size_t>(n));
  return n;
}

}  // extern "C"
