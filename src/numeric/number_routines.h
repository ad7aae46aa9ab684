// Powers of ten, a guarded power function, the k-th name of a name list and the
// readers of numbers written with commas, currency signs, parentheses or percents.
#pragma once
#include <cstdint>

#include "host/host_locale.h"

// 10 to the power k.
double zpow10(int k);

// Statuses of zpower; the result is the host's standard missing value for all but 0.
enum kes_power_status : int { KES_POW_OK = 0, KES_POW_OVERFLOW = 1, KES_POW_NEGATIVE_BASE = 2, KES_POW_ZERO_BASE = 3 };
// x to the power y.
double zpower(double x, double y, int* status);

// One block of a name list: a header, then its names, each a length byte and that
// many characters. Blocks are chained; `last` is the index of the block's last name,
// names being counted from 0 over the whole list.
struct kes_nameblock {
  int32_t word0;
  int32_t word1;
  const kes_nameblock* next;
  int32_t word2;
  int32_t last;
  const unsigned char* names() const { return reinterpret_cast<const unsigned char*>(this + 1); }
};
// 0 and the k-th name (from 0) of the list; 1 when the list is null or has no name k.
int zgetnmr(const kes_nameblock* list, int k, const char** text, int* length);

// Statuses of the formatted-number readers (besides the host reader's own).
constexpr int KES_NUM_BAD_WIDTH_LOW = static_cast<int>(0x80002027u);
constexpr int KES_NUM_BAD_WIDTH_HIGH = static_cast<int>(0x80002028u);
constexpr int KES_NUM_BAD_DECIMALS_LOW = static_cast<int>(0x80002029u);
constexpr int KES_NUM_BAD_DECIMALS_HIGH = static_cast<int>(0x8000202au);
constexpr int KES_NUM_PARENTHESIS = static_cast<int>(0x8001d823u);  // a "(" after the first character
constexpr int KES_NUM_SIGN_ONLY = static_cast<int>(0x8001d828u);    // nothing but signs
constexpr int KES_NUM_SIGN_PLACE = static_cast<int>(0x8001d824u);   // a sign where the locale puts none
// The most characters the readers take from a text.
constexpr int KES_NUM_MAX_TEXT = 32;

// Reads a number written with commas, "$", parentheses or a leading "-" (request:
// width, decimals, text, length, result, size word, flags bit 0 = check arguments).
int zifmcma(host_numreq* request);
// zifmcma, then a text holding "%" has its result divided by 100.
int zifmpct(host_numreq* request);
