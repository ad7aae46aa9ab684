// Week numbers, week-date texts and the month, day and year of a date.
#include "locale/week_dates.h"

#include <cmath>
#include <cstring>

#include "locale/date_values.h"
#include "host/host_services.h"

int getMonthDayYear(double date, int* month, int* day, int* year) {
  *month = *day = *year = 0;
  if (!kes_date_ok(date)) return KES_LOC_BAD_VALUE;
  double y, m, d;
  if (zymdjul(&y, &m, &d, zjuldat(date)) != 0 || std::isnan(y) || std::isnan(m) || std::isnan(d))
    return KES_LOC_BAD_VALUE;
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
  *year = static_cast<int>(y);
  return 0;
}

namespace {

char rule_letter(const char* rule) { return rule ? rule[0] : '\0'; }

// Days from the Monday that begins week 1 of a year to day n (from 0) of that year,
// wd being the weekday (Sunday 1) of day n.
int iso_offset(int n, int wd) {
  int r = (n - wd + 383) % 7;
  if (r < 0) r += 7;
  return n - r + 3;
}

}  // namespace

int get_yywwdd(const char* rule, int /*flag*/, double* year, double* week, double* weekday, double date) {
  *year = *week = *weekday = -1;
  int m, d, y;
  if (getMonthDayYear(date, &m, &d, &y) != 0) return KES_LOC_BAD_VALUE;
  const int wd = static_cast<int>(zwekday(date));
  int n;
  double unused;
  diff_actact(1, 1, y, m, d, y, &n, &unused);
  const int monday_based = wd == 1 ? 7 : wd - 1;
  switch (rule_letter(rule)) {
    case 'U':
      *week = (n - wd + 8) / 7;
      *weekday = wd;
      *year = y;
      return 0;
    case 'W':
      *week = (n - (wd + 5) % 7 + 7) / 7;
      *weekday = monday_based;
      *year = y;
      return 0;
    case 'V': {
      int off = iso_offset(n, wd);
      if (off < 0) {
        --y;
        off = iso_offset(n + 365 + isLeapYear(y), wd);
      } else {
        int next = iso_offset(n - 365 - isLeapYear(y), wd);
        if (next >= 0) {
          ++y;
          off = next;
        }
      }
      *week = off / 7 + 1;
      *weekday = monday_based;
      *year = y;
      return 0;
    }
    default:
      *weekday = monday_based;
      *year = y;
      return 0;
  }
}

int zkweek(double* week, int /*spare*/, const char* rule, int flag, double date) {
  double year, weekday;
  return get_yywwdd(rule, flag, &year, week, &weekday, date);
}

namespace {

void two_digits(char* p, int v) {
  v %= 100;
  if (v < 0) v = -v;
  p[0] = static_cast<char>('0' + v / 10);
  p[1] = static_cast<char>('0' + v % 10);
}

}  // namespace

int construct_week(double year, const char* /*rule*/, int /*flag*/, char* field, double week, double weekday, int* width) {
  const int w = *width;
  if (w < 3) return -1;
  const int y = static_cast<int>(year), wk = static_cast<int>(week), dd = static_cast<int>(weekday);
  char text[16];
  char* p = text;
  if (w >= 9) {
    // Years beyond 9999 are written whole, when the field has room for them.
    if (y > 9999) *p++ = static_cast<char>('0' + y / 10000 % 10);
    two_digits(p, y / 100);
    two_digits(p + 2, y);
    p += 4;
  } else if (w >= 5) {
    two_digits(p, y);
    p += 2;
  }
  if (w >= 11) *p++ = '-';
  *p++ = 'W';
  two_digits(p, wk);
  p += 2;
  if (w >= 7) {
    if (w >= 11) *p++ = '-';
    two_digits(p, dd);
    p += 2;
  }
  const int n = static_cast<int>(p - text);
  if (n > w) return -1;
  std::memset(field, ' ', static_cast<size_t>(w));
  std::memcpy(field, text, static_cast<size_t>(n));
  *width = n;
  return 0;
}

int zkfweek(char* field, int* width, const char* rule, int flag, double date) {
  const int room = *width;
  double year, week, weekday;
  if (get_yywwdd(rule, flag, &year, &week, &weekday, date) != 0 ||
      construct_week(year, rule, flag, field, week, weekday, width) != 0) {
    if (room > 0) std::memset(field, '*', static_cast<size_t>(room));
  }
  return 0;
}

namespace {

bool all_digits(const char* p, int n) {
  for (int i = 0; i < n; ++i)
    if (p[i] < '0' || p[i] > '9') return false;
  return true;
}

int two(const char* p) { return (p[0] - '0') * 10 + (p[1] - '0'); }

}  // namespace

int zkifweek(const char* text, int length, const char* rule, int /*spare*/, double* value) {
  // The text without "-" and blanks, split at the first W into year, week and day.
  char s[64];
  int n = 0;
  for (int i = 0; text != nullptr && i < length; ++i) {
    if (text[i] == '-' || text[i] == ' ') continue;
    if (n == static_cast<int>(sizeof s)) return -1;  // no week date is this long
    s[n++] = text[i];
  }
  int wpos = -1;
  for (int i = 0; i < n && wpos < 0; ++i)
    if (s[i] == 'W' || s[i] == 'w') wpos = i;
  if (wpos < 0) return KES_WEEK_NO_W;
  const char* ypart = s;
  const int ylen = wpos;
  const char* wpart = s + wpos + 1;
  const int wlen = n - wpos - 1 < 2 ? n - wpos - 1 : 2;
  const char* dpart = wpart + wlen;
  const int dlen = n - (wpos + 1 + wlen);
  if (!all_digits(ypart, ylen) || !all_digits(wpart, wlen) || !all_digits(dpart, dlen)) return -1;
  // A year is read whole: two, four or five digits (a five-digit year is not cut to
  // its first two).
  if (wlen < 2 || (ylen != 0 && ylen != 2 && ylen != 4 && ylen != 5) || dlen == 1) return -1;
  const int week = two(wpart);
  int day = dlen == 0 ? 0 : two(dpart);
  int year;
  if (ylen == 0) {
    int m, d;
    if (getMonthDayYear(std::floor(wzdttme() / KES_SECONDS_PER_DAY), &m, &d, &year) != 0) return 1;
  } else {
    year = 0;
    for (int i = 0; i < ylen; ++i) year = year * 10 + (ypart[i] - '0');
    if (year <= 99) {
      int y0 = static_cast<int>(*value);
      if (y0 == 0) y0 = 1900;
      year = y0 - y0 % 100 + year + (year < y0 % 100 ? 100 : 0);
    }
  }
  if (day == 0) day = 1;
  const char r = rule_letter(rule);
  // Weekdays run 1 to 7; ISO weeks start at week 1.
  if (year < 1582 || year > 20000 || week > 53 || day > 7 || (r == 'V' && week == 0)) return 1;
  const double j1 = zmdy(1, 1, year);
  if (!kes_date_ok(j1)) return 1;
  const int w1 = static_cast<int>(zwekday(j1));
  double date;
  switch (r) {
    case 'V':
      date = j1 + 7 * (w1 == 6 || w1 == 7 ? week : week - 1) + day - w1 + 1;
      break;
    case 'W':
      date = j1 + 7 * (w1 == 1 || w1 == 2 ? week - 1 : week) + day - w1 + 1;
      break;
    case 'U':
      date = j1 + 7 * (w1 == 1 ? week - 1 : week) + day - w1;
      break;
    default:
      date = j1 - 1;
      break;
  }
  int m, d, y;
  if (getMonthDayYear(date, &m, &d, &y) != 0) return 1;
  const double back = zmdy(m, d, y);
  if (!kes_date_ok(back)) return 1;
  *value = back;
  return 0;
}
