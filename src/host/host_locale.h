// Records of the host's locale services (service lines in host/svc_locale.def and
// host/svc_calendar.def): locale items, numeric conventions and the number-reading
// request. The host owns the records; the module only reads them.
#pragma once
#include <cstddef>
#include <cstdint>

extern "C" {

// One entry of a locale item: a single text, or one name of a name list (month
// names January first, weekday names Sunday first, quarter names).
struct host_locale_entry {
  int32_t word;      // the host's own
  int32_t length;    // text length
  char text[132];
};
static_assert(sizeof(host_locale_entry) == 140);

// A locale's numeric conventions (number, money and percent items).
struct host_numconv {
  char currency[50];       // currency text, NUL-terminated
  char decimal;            // decimal character
  char pad1;
  char grouping;           // grouping character
  char pad2[67];
  char positive_sign;      // NUL when the locale writes none
  char pad3;
  char negative_sign;
  char pad4[13];
  int32_t positive_position;  // 0: such numbers are written in parentheses
  char pad5[8];
  int32_t negative_position;  // 0: negative numbers are written in parentheses
};
static_assert(offsetof(host_numconv, decimal) == 50 && offsetof(host_numconv, grouping) == 52);
static_assert(offsetof(host_numconv, positive_sign) == 120 && offsetof(host_numconv, negative_sign) == 122);
static_assert(offsetof(host_numconv, positive_position) == 136 &&
              offsetof(host_numconv, negative_position) == 148);

// A locale item as wzsxglc hands it back. The conventions are reached through their
// own pointer (a 4-byte word cannot hold an address on this target).
struct host_locale_item {
  int32_t count;                      // entries
  const host_locale_entry* entries;
  const host_numconv* numeric;        // null for items that are not numeric
};

// The request of the host's standard numeric reader (wzifmn), also taken by the
// module's readers of formatted numbers.
struct host_numreq {
  int32_t width;        // field width
  int32_t decimals;     // implied decimals when the text has no "."
  const char* text;
  int32_t length;       // text length
  double* result;
  int32_t size;         // set to 8 (the result's size) on return
  int32_t flags;        // bit 0: check the width and decimals
};

}  // extern "C"

// Locale item numbers the module reads.
namespace kes_locitem {
constexpr int graphics_font = 19;
constexpr int time_pattern_1 = 35;
constexpr int time_pattern_2 = 36;
constexpr int month_names_lower = 50;
constexpr int month_names = 62;
constexpr int weekday_names_lower = 74;
constexpr int weekday_names = 81;
constexpr int morning = 88;
constexpr int afternoon = 89;
constexpr int quarter_names_lower = 90;
constexpr int quarter_names = 94;
constexpr int money_local = 113;
constexpr int money_international = 114;
}  // namespace kes_locitem

// Character-class bits of the host's class table.
constexpr unsigned char KES_CLS_LOWER = 2;
constexpr unsigned char KES_CLS_DIGIT = 4;
