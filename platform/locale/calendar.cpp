// The host's calendar and clock. Dates count days from 1 January 1960. The calendar
// is the Gregorian one with one more rule: years divisible by 4000 are not leap
// years, so that the range ends exactly at day 6589336 (1 January 20001). It runs
// from 1 January 1582 to 31 December 20000; anything outside gives the missing value.
#include <cmath>
#include <ctime>
#include <vector>

#include "core/host_routines.h"
#include "host/host_missing.h"
#include "locale/calendar.h"

namespace plat::calendar {
namespace {

const std::vector<long>& year_starts() {
  static const std::vector<long> starts = [] {
    std::vector<long> s(static_cast<size_t>(last_year - first_year + 2));
    s[1960 - first_year] = 0;
    for (int y = 1961; y <= last_year + 1; ++y) s[y - first_year] = s[y - 1 - first_year] + days_in_year(y - 1);
    for (int y = 1959; y >= first_year; --y) s[y - first_year] = s[y + 1 - first_year] - days_in_year(y);
    return s;
  }();
  return starts;
}

constexpr int month_days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

double missing() { return host_missing_of_kind(HOST_MISS_STD); }

// The whole-number value of v, or false when v is NaN or not whole.
bool whole(double v, long* out) {
  if (std::isnan(v) || std::floor(v) != v || std::fabs(v) > 1e12) return false;
  *out = static_cast<long>(v);
  return true;
}

}  // namespace

bool is_leap(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0) && year % 4000 != 0; }

int days_in_year(int year) { return is_leap(year) ? 366 : 365; }

int days_in_month(int year, int month) { return month == 2 && is_leap(year) ? 29 : month_days[month - 1]; }

long year_start(int year) { return year_starts()[static_cast<size_t>(year - first_year)]; }

bool split(double date, int* year, int* day_of_year) {
  if (std::isnan(date)) return false;
  double f = std::floor(date);
  if (f < first_day || f >= end_day) return false;
  long d = static_cast<long>(f);
  const std::vector<long>& s = year_starts();
  // The last year whose start is not after d.
  int lo = 0, hi = last_year - first_year;
  while (lo < hi) {
    int mid = (lo + hi + 1) / 2;
    if (s[static_cast<size_t>(mid)] <= d) lo = mid; else hi = mid - 1;
  }
  *year = first_year + lo;
  *day_of_year = static_cast<int>(d - s[static_cast<size_t>(lo)]) + 1;
  return true;
}

bool make_date(long month, long day, long year, long* date) {
  if (year >= 0 && year < 100) year += 1900;
  if (year < first_year || year > last_year || month < 1 || month > 12) return false;
  int y = static_cast<int>(year), m = static_cast<int>(month);
  if (day < 1 || day > days_in_month(y, m)) return false;
  long d = year_start(y) + day - 1;
  for (int k = 1; k < m; ++k) d += days_in_month(y, k);
  *date = d;
  return true;
}

}  // namespace plat::calendar

using namespace plat::calendar;

extern "C" {

double plat_zjuldat(double date) {
  int y, doy;
  if (!split(date, &y, &doy)) return missing();
  return y * 1000.0 + doy;
}

int plat_zymdjul(double* year, double* month, double* day, double julian) {
  *year = *month = *day = missing();
  long j;
  if (!whole(julian, &j)) return 1;
  long y = j / 1000, doy = j % 1000;
  if (y < first_year || y > last_year || doy < 1 || doy > days_in_year(static_cast<int>(y))) return 1;
  int m = 1;
  while (doy > days_in_month(static_cast<int>(y), m)) doy -= days_in_month(static_cast<int>(y), m++);
  *year = static_cast<double>(y);
  *month = m;
  *day = static_cast<double>(doy);
  return 0;
}

double plat_zmdy(double month, double day, double year) {
  long m, d, y, date;
  if (!whole(month, &m) || !whole(day, &d) || !whole(year, &y) || !make_date(m, d, y, &date)) return missing();
  return static_cast<double>(date);
}

double plat_zwekday(double date) {
  int y, doy;
  if (!split(date, &y, &doy)) return missing();
  // Day 0 was a Friday (weekday 6).
  long r = (static_cast<long>(std::floor(date)) + 5) % 7;
  return static_cast<double>(r < 0 ? r + 7 : r) + 1;
}

double plat_zdatprt(double datetime) {
  if (std::isnan(datetime) || std::isinf(datetime)) return missing();
  return std::floor(datetime / 86400.0);
}

namespace {
// The time of day of a time or datetime, in [0, 86400).
double of_day(double t) { return t - 86400.0 * std::floor(t / 86400.0); }
}  // namespace

double plat_zhour(double time) {
  if (!std::isfinite(time)) return missing();
  return std::floor(of_day(time) / 3600.0);
}

double plat_zminute(double time) {
  if (!std::isfinite(time)) return missing();
  return std::floor(std::fmod(of_day(time), 3600.0) / 60.0);
}

double plat_zsecond(double time) {
  if (!std::isfinite(time)) return missing();
  return std::fmod(of_day(time), 60.0);
}

double plat_wzdttme() {
  // 3653 days lie between 1 January 1960 and 1 January 1970.
  return static_cast<double>(std::time(nullptr)) + 3653.0 * 86400.0;
}

}  // extern "C"
