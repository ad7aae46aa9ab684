// Calendar day counts. Years divisible by 4000 have no leap day, as in the host's
// calendar, so that counts agree with the host's dates over the whole range.
#include <cmath>

#include "locale/week_dates.h"

int isLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0) && year % 4000 != 0 ? 1 : 0;
}

int lastDay(int year, int month) {
  if (month == 4 || month == 6 || month == 9 || month == 11) return 30;
  if (month == 2) return isLeapYear(year) ? 29 : 28;
  return 31;
}

int dateOffset(int month, int day, int year) {
  int c = 0, y = year - 1;
  if (month > 2) {
    c = static_cast<int>(0.4 * month + 2.3);
    y = year;
  }
  const double yd = y;
  return 365 * year + 31 * (month - 1) + day - c + static_cast<int>(std::trunc(yd / 4)) -
         static_cast<int>(std::trunc(yd / 100)) + static_cast<int>(std::trunc(yd / 400)) -
         static_cast<int>(std::trunc(yd / 4000));
}

int diff_actual(int m1, int d1, int y1, int m2, int d2, int y2) { return dateOffset(m2, d2, y2) - dateOffset(m1, d1, y1); }

void diff_actact(int m1, int d1, int y1, int m2, int d2, int y2, int* days, double* fraction) {
  int leap = 0, other = 0;
  auto add = [&](int year, int n) { (isLeapYear(year) ? leap : other) += n; };
  if (y1 == y2) {
    add(y1, diff_actual(m1, d1, y1, m2, d2, y2));
  } else {
    add(y1, diff_actual(m1, d1, y1, 1, 1, y1 + 1));
    for (int y = y1 + 1; y < y2; ++y) add(y, isLeapYear(y) ? 366 : 365);
    add(y2, diff_actual(1, 1, y2, m2, d2, y2));
  }
  *days = leap + other;
  *fraction = other / 365.0 + leap / 366.0;
}

int diff_30_360(int m1, int d1, int y1, int m2, int d2, int y2) {
  const bool start_feb_end = m1 == 2 && d1 == lastDay(y1, 2);
  const bool end_feb_end = m2 == 2 && d2 == lastDay(y2, 2);
  if (end_feb_end && start_feb_end) d2 = 30;
  if (start_feb_end) d1 = 30;
  if (d2 == 31 && (d1 == 30 || d1 == 31)) d2 = 30;
  if (d1 == 31) d1 = 30;
  return 360 * (y2 - y1) + 30 * (m2 - m1) + (d2 - d1);
}
