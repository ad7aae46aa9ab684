// Date, time and datetime values of the locale library. A date counts days from
// 1 January 1960 (day 0); a time counts seconds; a datetime is a date times 86400
// plus the seconds of the day. The host's calendar is the Gregorian one without the
// leap day of years divisible by 4000, from 1 January 1582 to 31 December 20000.
#pragma once
#include <cmath>

constexpr double KES_DATE_FIRST = -138061.0;   // 1 January 1582
constexpr double KES_DATE_END = 6589336.0;     // 1 January 20001, just past the range
constexpr double KES_SECONDS_PER_DAY = 86400.0;

// Statuses shared by the formatters and readers.
constexpr int KES_LOC_NO_ITEM = -1;    // the pattern item does not exist
constexpr int KES_LOC_BAD_VALUE = -3;  // the value is missing or out of range

inline bool kes_date_ok(double date) { return !std::isnan(date) && date >= KES_DATE_FIRST && date < KES_DATE_END; }
inline bool kes_datetime_ok(double dt) {
  return !std::isnan(dt) && dt >= KES_DATE_FIRST * KES_SECONDS_PER_DAY && dt < KES_DATE_END * KES_SECONDS_PER_DAY;
}
