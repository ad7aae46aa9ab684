// The stand-in host's calendar (see calendar.cpp): days from 1 January 1960, the
// Gregorian rules, and no leap day in years divisible by 4000.
#pragma once

namespace plat::calendar {

constexpr int first_year = 1582;
constexpr int last_year = 20000;
constexpr long first_day = -138061;  // 1 January 1582
constexpr long end_day = 6589336;    // 1 January 20001, just past the range

bool is_leap(int year);
int days_in_year(int year);
int days_in_month(int year, int month);
// The day number of 1 January of a year within the range.
long year_start(int year);
// The year and day of the year (from 1) of a date in the range; false outside it.
bool split(double date, int* year, int* day_of_year);
// The date of a month, day and year (a year below 100 is 1900 plus it); false when
// they make no date of the range.
bool make_date(long month, long day, long year, long* date);

}  // namespace plat::calendar
