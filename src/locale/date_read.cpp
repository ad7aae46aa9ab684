// The reading side of the locale library.
#include "locale/date_read.h"

#include <cmath>
#include <cstring>

#include "locale/date_format.h"
#include "locale/date_values.h"
#include "locale/locale_items.h"
#include "host/host_services.h"
#include "util/kes_text.h"

int s2i_fixlen(const char* text, int left) {
  if (left < 2) return -1;
  const unsigned char* cls = wzsxcls();
  const unsigned char a = static_cast<unsigned char>(text[0]), b = static_cast<unsigned char>(text[1]);
  if (!(cls[b] & KES_CLS_DIGIT)) return -1;
  if (cls[a] & KES_CLS_DIGIT) return (a - '0') * 10 + (b - '0');
  return b - '0';
}

namespace {

struct fields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool twelve = false, afternoon = false, time_seen = false;
};

bool starts_directive(const char* pattern, int len, int i) {
  return pattern[i] == '%' && wzsxoff(pattern, len, i) <= 1 && !(i + 1 < len && pattern[i + 1] == '%');
}

// True when the pattern holds a directive that reads part of a time.
bool has_time_directive(const char* pattern, int len) {
  for (int i = 0; i < len; ++i) {
    if (pattern[i] == '%' && i + 1 < len && pattern[i + 1] == '%') {
      ++i;
      continue;
    }
    if (!starts_directive(pattern, len, i)) continue;
    char letter;
    bool lower;
    int next = kes_directive_letter(pattern, len, i + 1, &letter, &lower);
    if (next < 0) return false;
    if (letter != '\0' && std::strchr("HIMSP", letter)) return true;
    i = next - 1;
  }
  return false;
}

// The index of the entry of a name item that begins the text (the first match, or
// the last with `last_match`), and its length; -1 when none or no item.
int match_name(int locale, int item, int count, const char* text, int left, bool last_match, int* matched_len) {
  const host_locale_item* rec = kes_locale_item(locale, item);
  if (rec == nullptr) return -1;
  int found = -1;
  for (int k = 0; k < count; ++k) {
    const char* t;
    int n;
    if (!kes_locale_entry(rec, k, &t, &n) || n == 0 || n > left || std::memcmp(t, text, static_cast<size_t>(n)) != 0)
      continue;
    found = k;
    *matched_len = n;
    if (!last_match) break;
  }
  return found;
}

int longest_name(int locale, int item, int count) { return kes_locale_longest(kes_locale_item(locale, item), count); }

// A two-character field within [lo, hi]; false when it cannot be read.
bool read_two(const char* text, int length, int* pos, int lo, int hi, int* out) {
  int v = s2i_fixlen(text + *pos, length - *pos);
  if (v < lo || v > hi) return false;
  *out = v;
  *pos += 2;
  return true;
}

// Reads the designator of the morning or afternoon at the text position.
bool read_designator(int locale, const char* text, int length, int* pos, bool* afternoon) {
  const char* am;
  const char* pm;
  int amn, pmn;
  const bool items = kes_locale_entry(kes_locale_item(locale, 88), 0, &am, &amn) &&
                     kes_locale_entry(kes_locale_item(locale, 89), 0, &pm, &pmn);
  const char* t = text + *pos;
  const int left = length - *pos;
  if (items) {
    if (amn > 0 && amn <= left && std::memcmp(t, am, static_cast<size_t>(amn)) == 0) {
      *afternoon = false;
      *pos += amn;
      return true;
    }
    if (pmn > 0 && pmn <= left && std::memcmp(t, pm, static_cast<size_t>(pmn)) == 0) {
      *afternoon = true;
      *pos += pmn;
      return true;
    }
    return false;
  }
  if (left < 2 || (t[1] != 'm' && t[1] != 'M')) return false;
  if (t[0] == 'a' || t[0] == 'A') *afternoon = false;
  else if (t[0] == 'p' || t[0] == 'P') *afternoon = true;
  else return false;
  *pos += 2;
  return true;
}

// Reads one directive's field; 0 or a reader status.
int read_field(int locale, char letter, bool lower, const char* text, int length, int* pos, fields* f) {
  const char* t = text + *pos;
  const int left = length - *pos;
  int n = 0, k;
  switch (letter) {
    case 'A':
    case 'F': {
      const int item = letter == 'A' && lower ? 74 : 81;
      if (match_name(locale, item, 7, t, left, false, &n) < 0) return KES_READ_BAD_FIELD;
      *pos += letter == 'A' ? n : longest_name(locale, item, 7);
      return 0;
    }
    case 'B':
    case 'C': {
      const int item = letter == 'B' && lower ? 50 : 62;
      if ((k = match_name(locale, item, 12, t, left, letter == 'C', &n)) < 0) return KES_READ_BAD_FIELD;
      f->month = k + 1;
      *pos += letter == 'B' ? n : longest_name(locale, item, 12);
      return 0;
    }
    case 'D':
    case 'E': return read_two(text, length, pos, 0, 99, &f->day) ? 0 : KES_READ_BAD_FIELD;
    case 'N':
    case 'O': return read_two(text, length, pos, 0, 99, &f->month) ? 0 : KES_READ_BAD_FIELD;
    case 'H':
      f->time_seen = true;
      return read_two(text, length, pos, 0, 23, &f->hour) ? 0 : KES_READ_BAD_FIELD;
    case 'I':
      f->time_seen = f->twelve = true;
      return read_two(text, length, pos, 0, 12, &f->hour) ? 0 : KES_READ_BAD_FIELD;
    case 'M':
      f->time_seen = true;
      return read_two(text, length, pos, 0, 59, &f->minute) ? 0 : KES_READ_BAD_FIELD;
    case 'S':
      f->time_seen = true;
      return read_two(text, length, pos, 0, 59, &f->second) ? 0 : KES_READ_BAD_FIELD;
    case 'P': return read_designator(locale, text, length, pos, &f->afternoon) ? 0 : KES_READ_BAD_FIELD;
    case 'U':
    case 'V':
    case 'W': ++*pos; return 0;
    case 'Y': {
      int century = 0, yy;
      if (!lower && !read_two(text, length, pos, 0, 99, &century)) return KES_READ_BAD_FIELD;
      if (!read_two(text, length, pos, 0, 99, &yy)) return KES_READ_BAD_FIELD;
      f->year = 100 * century + yy;
      return 0;
    }
    case 'Z': return 0;
    default: return KES_READ_BAD_FIELD;
  }
}

// Pattern equal to a locale time pattern (blank-padded comparison).
bool is_time_pattern(int locale, int item, const char* pattern, int len) {
  const char* t;
  int n;
  return kes_locale_entry(kes_locale_item(locale, item), 0, &t, &n) && wzstcom(pattern, len, t, n) == 0;
}

}  // namespace

int getdate_fixlen(int locale, const char* text, int length, const char* pattern, int pattern_len, double* date,
                   double* time) {
  fields f;
  int pi = 0, ti = 0;
  while (pi < pattern_len && ti < length) {
    if (pattern[pi] == ' ' && text[ti] != ' ') {
      ++pi;
      continue;
    }
    if (starts_directive(pattern, pattern_len, pi)) {
      char letter;
      bool lower;
      pi = kes_directive_letter(pattern, pattern_len, pi + 1, &letter, &lower);
      if (pi < 0 || letter < 'A' || letter > 'Z') return KES_READ_BAD_FIELD;
      if (int s = read_field(locale, letter, lower, text, length, &ti, &f)) return s;
      continue;
    }
    // A literal run, up to the next directive or the end of the pattern.
    while (pi < pattern_len && !starts_directive(pattern, pattern_len, pi)) {
      if (ti >= length) return KES_READ_MISMATCH;
      if (pattern[pi] != text[ti]) return KES_READ_MISMATCH;
      pi += pattern[pi] == '%' ? 2 : 1;
      ++ti;
    }
  }
  // The time patterns decide whether the date part is read; a pattern without time
  // directives reads a date whatever the locale holds.
  bool date_part = true;
  if (has_time_directive(pattern, pattern_len)) {
    if (kes_locale_item(locale, 36) == nullptr || kes_locale_item(locale, 35) == nullptr) return KES_READ_NO_TIME_ITEMS;
    date_part = !is_time_pattern(locale, 35, pattern, pattern_len) && !is_time_pattern(locale, 36, pattern, pattern_len);
  }
  if (date_part) {
    if (f.year == 0 || f.month == 0 || f.day == 0) return KES_READ_MISMATCH;
    if ((f.year >= 100 && f.year < 1582) || f.year > 20000 || f.month > 12 || f.day > 31) return KES_READ_MISMATCH;
    const double d = zmdy(f.month, f.day, f.year);
    if (std::isnan(d)) return KES_READ_MISMATCH;
    *date = d;
  }
  if (f.hour == 0 && f.minute == 0 && f.second == 0 && !f.time_seen) return 0;
  double t = (f.hour * 60.0 + f.minute) * 60.0 + f.second;
  if (f.twelve) {
    if (f.afternoon && t < 43200) t += 43200;
    else if (!f.afternoon && t >= 43200 && t < 46800) t -= 43200;
  }
  *time = t;
  return 0;
}

namespace {

// Runs the reader on the current locale; false when the pattern item is missing.
bool read_value(const char* text, int length, const char* pattern, int length_or_item, double* date, double* time) {
  const double missing = v_global_gcb_anchor->consts->std_missing;
  *date = *time = missing;
  const char* p;
  int n;
  if (!kes_locale_pattern(0, pattern, length_or_item, &p, &n)) return false;
  getdate_fixlen(0, text, text ? length : 0, p, n, date, time);
  return true;
}

}  // namespace

int zkpdate(const char* text, int length, const char* pattern, int length_or_item, double* date) {
  double d, t;
  if (!read_value(text, length, pattern, length_or_item, &d, &t)) return KES_LOC_NO_ITEM;
  if (!kes_date_ok(d)) return KES_LOC_BAD_VALUE;
  *date = d;
  return 0;
}

int zkptime(const char* text, int length, const char* pattern, int length_or_item, double* time) {
  double d, t;
  if (!read_value(text, length, pattern, length_or_item, &d, &t)) return KES_LOC_NO_ITEM;
  if (std::isnan(t) || t < 0) return KES_LOC_BAD_VALUE;
  *time = t;
  return 0;
}

int zkpdttm(const char* text, int length, const char* pattern, int length_or_item, double* datetime) {
  double d, t;
  if (!read_value(text, length, pattern, length_or_item, &d, &t)) return KES_LOC_NO_ITEM;
  if (!kes_date_ok(d) || std::isnan(t) || t < 0 || t >= KES_SECONDS_PER_DAY) return KES_LOC_BAD_VALUE;
  *datetime = d * KES_SECONDS_PER_DAY + t;
  return 0;
}
