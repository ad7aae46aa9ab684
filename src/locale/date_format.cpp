// The formatting side of the locale library: the pattern interpreter and its entries.
#include "locale/date_format.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "locale/date_values.h"
#include "locale/locale_items.h"
#include "locale/week_dates.h"
#include "host/host_services.h"
#include "util/kes_text.h"

int i2s(double value, char* dest, int width, int pad) {
  double v = std::fabs(std::trunc(value));
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + static_cast<int>(std::fmod(v, 10.0)));
    v = std::floor(v / 10.0);
  } while (v >= 1 && n < static_cast<int>(sizeof digits));
  if (pad == 0) {
    for (int i = 0; i < n; ++i) dest[i] = digits[n - 1 - i];
    return n;
  }
  for (int i = 0; i < width; ++i) {
    int k = width - 1 - i;  // digit position from the right
    dest[i] = k < n ? digits[k] : '0';
  }
  if (pad != '0')
    for (int i = 0; i < width - 1 && dest[i] == '0'; ++i) dest[i] = static_cast<char>(pad);
  return width;
}

int kes_directive_letter(const char* pattern, int len, int i, char* letter, bool* lower) {
  *lower = false;
  if (i < len && pattern[i] == '?') {
    *lower = true;
    ++i;
  }
  if (i >= len) return -1;
  const unsigned char raw = static_cast<unsigned char>(pattern[i]);
  *letter = static_cast<char>(wzsxtbl(2)[raw]);
  if (wzsxcls()[raw] & KES_CLS_LOWER) *lower = true;
  if (*letter == 'M' && *lower) *letter = 'N';
  return i + 1;
}

namespace {

// The text being built in the work area; characters past its end are dropped and
// the text counts as cut.
struct work_text {
  char buf[KES_FMT_WORK];
  int n = 0;
  bool full = false;
  void put(const char* s, int len) {
    for (int i = 0; i < len; ++i) {
      if (n == KES_FMT_WORK) {
        full = true;
        return;
      }
      buf[n++] = s[i];
    }
  }
  void stars() { put("**", 2); }
  void number(double v, int width, int pad) {
    char tmp[32];
    put(tmp, i2s(v, tmp, width, pad));
  }
  // A number of `width` digits, or "**" when the part is missing.
  void part(double v, int width, int pad) {
    if (std::isnan(v)) stars(); else number(v, width, pad);
  }
  // A name entry of a locale item, blank-padded to pad_to; "**" when there is none.
  void name(int locale, int item, double index, int count, bool padded) {
    const host_locale_item* rec = kes_locale_item(locale, item);
    const char* t;
    int len;
    if (std::isnan(index) || index < 0 || index >= count || !kes_locale_entry(rec, static_cast<int>(index), &t, &len)) {
      stars();
      return;
    }
    put(t, len);
    if (padded)
      for (int k = kes_locale_longest(rec, count) - len; k > 0; --k) put(" ", 1);
  }
  // A year: four digits with zeros, all of its digits beyond 9999.
  void year(double y) {
    if (std::isnan(y)) return stars();
    if (y > 9999) return number(y, 0, 0);
    number(y, 4, '0');
  }
};

struct date_parts {
  double year, month, day, weekday, julian;  // weekday 0 Sunday to 6 Saturday
};

date_parts split_date(double date, double missing) {
  date_parts p{missing, missing, missing, missing, missing};
  if (!kes_date_ok(date)) return p;
  double y, m, d;
  double j = zjuldat(date);
  if (std::isnan(j) || zymdjul(&y, &m, &d, j) != 0) return p;
  p = {y, m, d, zwekday(date) - 1, j};
  return p;
}

// The week (or week-numbering year) of a date by a rule; missing without a date.
double week_of(const char* rule, double date, bool want_year, double missing) {
  double year, week, weekday;
  if (std::isnan(date) || get_yywwdd(rule, 0, &year, &week, &weekday, date) != 0) return missing;
  return want_year ? year : week;
}

}  // namespace

int expand(int locale, const char* pattern, int pattern_len, double date, double hour, double minute,
           double second, char* field, int* width) {
  const double missing = v_global_gcb_anchor->consts->std_missing;
  int room = width ? *width : 0;
  const bool right = room < 0;
  if (right) room = -room;
  const date_parts dp = split_date(date, missing);
  const bool has_hour = !std::isnan(hour);
  double h12 = !has_hour ? 0 : (hour <= 12 ? hour : std::fmod(hour, 12.0));
  if (h12 == 0) h12 = 12;
  const int len = pattern ? wzstrip(pattern, pattern_len) : 0;
  work_text out;
  for (int i = 0; i < len;) {
    int w = wzsxoff(pattern, len, i);
    if (w > 1) {
      if (w > len - i) w = len - i;
      out.put(pattern + i, w);
      i += w;
      continue;
    }
    if (pattern[i] != '%') {
      out.put(pattern + i, 1);
      ++i;
      continue;
    }
    ++i;
    int pad = '0';
    if (i < len && (pattern[i] == '0' || pattern[i] == '#')) pad = pattern[i++] == '#' ? 0 : '0';
    char letter;
    bool lower;
    if ((i = kes_directive_letter(pattern, len, i, &letter, &lower)) < 0) return KES_FMT_BAD_DIRECTIVE;
    switch (letter) {
      case 'A': out.name(locale, lower ? 74 : 81, dp.weekday, 7, false); break;
      case 'B': out.name(locale, lower ? 50 : 62, dp.month - 1, 12, false); break;
      case 'C': out.name(locale, 62, dp.month - 1, 12, true); break;
      case 'D': out.part(dp.day, 2, pad); break;
      case 'E': out.part(dp.day, 2, ' '); break;
      case 'F': out.name(locale, 81, dp.weekday, 7, true); break;
      case 'G': {
        double g = week_of("V", date, true, missing);
        if (lower) out.part(g, 2, pad); else out.year(g);
        break;
      }
      case 'H':
        if (has_hour && hour > 99) {
          int room_left = KES_FMT_WORK - out.n;
          int h = hour < INT_MAX ? static_cast<int>(hour) : INT_MAX;
          char digits[16];
          if (i2s(h, digits, 0, 0) > room_left) out.full = true;
          out.n += xpslstr(locale, out.buf + out.n, room_left, "%i", 2, h);
        } else {
          out.part(hour, 2, pad);
        }
        break;
      case 'I': out.part(has_hour ? h12 : missing, 2, pad); break;
      case 'J': out.part(std::isnan(dp.julian) ? missing : std::fmod(dp.julian, 1000.0), 3, pad); break;
      case 'M': out.part(minute, 2, pad); break;
      case 'N': out.part(dp.month, 2, pad); break;
      case 'O': out.part(dp.month, 2, ' '); break;
      case 'P': {
        if (!has_hour) {
          out.stars();
          break;
        }
        const bool morning = std::fmod(std::trunc(hour), 24.0) < 12;
        const host_locale_item* rec = kes_locale_item(locale, morning ? 88 : 89);
        const char* t;
        int n;
        if (kes_locale_entry(rec, 0, &t, &n)) out.put(t, n); else out.put(morning ? "AM" : "PM", 2);
        break;
      }
      case 'Q':
        out.name(locale, lower ? 90 : 94, std::isnan(dp.month) ? missing : std::floor((dp.month - 1) / 3), 4, false);
        break;
      case 'S': out.part(second, 2, pad); break;
      case 'U':
        if (lower) out.part(std::isnan(dp.weekday) ? missing : (dp.weekday == 0 ? 7 : dp.weekday), 1, pad);
        else out.part(week_of("U", date, false, missing), 2, pad);
        break;
      case 'V':
        if (!lower) out.part(week_of("V", date, false, missing), 2, pad);
        break;
      case 'W':
        if (lower) out.part(dp.weekday, 1, pad); else out.part(week_of("W", date, false, missing), 2, pad);
        break;
      case 'Y':
        if (lower) out.part(std::isnan(dp.year) ? missing : std::fmod(dp.year, 100.0), 2, pad); else out.year(dp.year);
        break;
      case 'Z': break;
      case '%': out.put("%", 1); break;
      default: return KES_FMT_BAD_DIRECTIVE;
    }
  }
  if (field == nullptr || width == nullptr) return out.n;
  if (room > 0) std::memset(field, ' ', static_cast<size_t>(room));
  if (out.n > room || out.full) {
    zkmove(out.buf, out.n, field, room);
    return KES_FMT_CUT;
  }
  if (out.n > 0) std::memcpy(field + (right ? room - out.n : 0), out.buf, static_cast<size_t>(out.n));
  *width = out.n;
  return 0;
}

int zkfdate(char* field, int* width, const char* pattern, int length_or_item, double date) {
  const double missing = v_global_gcb_anchor->consts->std_missing;
  const char* p;
  int n;
  if (!kes_locale_pattern(0, pattern, length_or_item, &p, &n)) return KES_LOC_NO_ITEM;
  if (!kes_date_ok(date)) return KES_LOC_BAD_VALUE;
  return expand(0, p, n, date, missing, missing, missing, field, width);
}

int zkftime(char* field, int* width, const char* pattern, int length_or_item, double time) {
  const double missing = v_global_gcb_anchor->consts->std_missing;
  const char* p;
  int n;
  if (!kes_locale_pattern(0, pattern, length_or_item, &p, &n)) return KES_LOC_NO_ITEM;
  // Hours beyond an int cannot be written.
  if (std::isnan(time) || time < 0 || time / 3600 >= INT_MAX) return KES_LOC_BAD_VALUE;
  return expand(0, p, n, missing, std::floor(std::fabs(time / 3600)), zminute(time), zsecond(time), field, width);
}

int zkrfdttm(int locale, char* field, int* width, const char* pattern, int length_or_item, double datetime) {
  const char* p;
  int n;
  if (!kes_locale_pattern(locale, pattern, length_or_item, &p, &n)) return KES_LOC_NO_ITEM;
  if (!kes_datetime_ok(datetime)) return KES_LOC_BAD_VALUE;
  return expand(locale, p, n, zdatprt(datetime), zhour(datetime), zminute(datetime), zsecond(datetime), field, width);
}

int zkfdttm(char* field, int* width, const char* pattern, int length_or_item, double datetime) {
  return zkrfdttm(0, field, width, pattern, length_or_item, datetime);
}
