// Week dates and day counts: worked values, weekday and week ranges, bad dates.
#include <cstring>
#include <string>

#include "locale/date_values.h"
#include "locale/week_dates.h"
#include "locale_test_support.h"

namespace {
using namespace kes_locale_test;

using week_dates = locale_fixture;

// Week numbers of valid dates under V, U and W are checked against the reference dates.
TEST_F(week_dates, UnknownRuleAndWeekAlone) {
  double y, w, wd;
  ASSERT_EQ(get_yywwdd("X", 0, &y, &w, &wd, ymd(2023, 1, 1)), 0);
  EXPECT_EQ(y * 1000 + w, 2023 * 1000 - 1);
  EXPECT_EQ(wd, 7);
  EXPECT_EQ(zkweek(&w, 0, "V", 0, ymd(2021, 1, 5)), 0);
  EXPECT_EQ(w, 1);
}

TEST_F(week_dates, BadDatesGiveAStatus) {
  double y, w, wd;
  for (double bad : {missing(), KES_DATE_FIRST - 1, KES_DATE_END}) {
    EXPECT_EQ(get_yywwdd("V", 0, &y, &w, &wd, bad), KES_LOC_BAD_VALUE);
    EXPECT_EQ(w, -1);
    EXPECT_EQ(zkweek(&w, 0, "U", 0, bad), KES_LOC_BAD_VALUE);
    char field[6];
    int width = 5;
    EXPECT_EQ(zkfweek(field, &width, "V", 0, bad), 0);
    EXPECT_EQ(std::string(field, 5), "*****");
    int m, d, yy;
    EXPECT_EQ(getMonthDayYear(bad, &m, &d, &yy), KES_LOC_BAD_VALUE);
  }
}

TEST_F(week_dates, WeekDateTexts) {
  const double d = ymd(2021, 1, 5);
  struct {
    int width;
    const char* text;
    int length;
  } cases[] = {{3, "W01", 3},       {4, "W01 ", 3},          {5, "21W01", 5},
               {7, "21W0102", 7},   {9, "2021W0102", 9},     {10, "2021W0102 ", 9},
               {11, "2021-W01-02", 11}, {13, "2021-W01-02  ", 11}, {2, "**", 2}};
  for (const auto& c : cases) {
    char field[16];
    int width = c.width;
    ASSERT_EQ(zkfweek(field, &width, "V", 0, d), 0);
    EXPECT_EQ(std::string(field, static_cast<size_t>(c.width)), c.text) << c.width;
    EXPECT_EQ(width, c.length) << c.width;
  }
  // A five-digit year is written whole where the field has room for it.
  struct {
    int width;
    const char* text;
  } big[] = {{5, "45W10"}, {9, "*********"}, {10, "12345W1003"}, {11, "***********"}, {12, "12345-W10-03"}};
  for (const auto& c : big) {
    char field[16];
    int width = c.width;
    zkfweek(field, &width, "V", 0, ymd(12345, 3, 10));
    EXPECT_EQ(std::string(field, static_cast<size_t>(c.width)), c.text) << c.width;
  }
  char f[4];
  int w = 2;
  EXPECT_EQ(construct_week(2021, "V", 0, f, 1, 2, &w), -1);
  EXPECT_EQ(w, 2);
}

TEST_F(week_dates, ReadWeekDates) {
  struct {
    const char* text;
    const char* rule;
    double window;
    int status;
    int y, m, d;
  } cases[] = {
      {"2021-W01-01", "V", 0, 0, 2021, 1, 4},
      {"2020W0101", "V", 0, 0, 2019, 12, 30},
      {"2023W0101", "V", 0, 0, 2023, 1, 2},
      {"2023W0007", "W", 0, 0, 2023, 1, 1},
      {"2023W0101", "U", 0, 0, 2023, 1, 1},  // Sunday of week 1 under U
      {"2022W0001", "U", 0, 0, 2021, 12, 26},
      {"2021W0101", "V", 0, 0, 2021, 1, 4},
      {"2021 w 01", "V", 0, 0, 2021, 1, 4},  // no day: Monday
      {"05W0101", "V", 1920, 0, 2005, 1, 3},
      {"25W0101", "V", 1920, 0, 1924, 12, 29},
      {"2021W011", "V", 0, -1, 0, 0, 0},
      {"2021-01-01", "V", 0, KES_WEEK_NO_W, 0, 0, 0},
      {"20x1W0101", "V", 0, -1, 0, 0, 0},
      {"2021W5401", "V", 0, 1, 0, 0, 0},
      {"2021W1", "V", 0, -1, 0, 0, 0},
      {"2W0101", "V", 0, -1, 0, 0, 0},
      // Years are read whole: five digits are not cut to two, three digits are unreadable.
      {"12345W1003", "V", 0, 0, 12345, 3, 10},
      {"202W0101", "V", 0, -1, 0, 0, 0},
      // Weekdays run 1 to 7 and ISO weeks start at 1.
      {"2021W0108", "V", 0, 1, 0, 0, 0},
      {"2021W0131", "V", 0, 1, 0, 0, 0},
      {"2021W0001", "V", 0, 1, 0, 0, 0},
      {"2021W0001", "W", 0, 0, 2020, 12, 28},
      // Dates outside the calendar's range give a status.
      {"1582W0001", "U", 0, 1, 0, 0, 0},
      {"20000W5307", "V", 0, 1, 0, 0, 0},
  };
  for (const auto& c : cases) {
    double v = c.window;
    int status = zkifweek(c.text, static_cast<int>(std::strlen(c.text)), c.rule, 0, &v);
    EXPECT_EQ(status, c.status) << c.text << " " << c.rule;
    if (c.status == 0 && status == 0) {
      EXPECT_EQ(v, ymd(c.y, c.m, c.d)) << c.text;
    }
  }
}

TEST_F(week_dates, EmptyYearIsTheCurrentOne) {
  double v = 0;
  ASSERT_EQ(zkifweek("W1001", 5, "V", 0, &v), 0);
  int m, d, y, cm, cd, cy;
  getMonthDayYear(std::floor(wzdttme() / 86400), &cm, &cd, &cy);
  ASSERT_EQ(getMonthDayYear(v, &m, &d, &y), 0);
  double iy, wk, wd;
  get_yywwdd("V", 0, &iy, &wk, &wd, v);
  EXPECT_EQ(iy, cy);
  EXPECT_EQ(wk, 10);
  EXPECT_EQ(wd, 1);
}

TEST_F(week_dates, DayCounts) {
  EXPECT_EQ(diff_30_360(2, 28, 2023, 3, 31, 2023), 30);
  EXPECT_EQ(diff_30_360(1, 31, 2023, 2, 28, 2023), 28);
  EXPECT_EQ(diff_30_360(1, 30, 2023, 3, 31, 2023), 60);
  EXPECT_EQ(diff_30_360(2, 29, 2024, 2, 29, 2028), 1440);
  EXPECT_EQ(diff_30_360(12, 31, 2023, 1, 31, 2024), 30);
  int days;
  double fraction;
  diff_actact(7, 1, 2023, 7, 1, 2024, &days, &fraction);
  EXPECT_EQ(days, 366);
  EXPECT_DOUBLE_EQ(fraction, 184.0 / 365 + 182.0 / 366);
  diff_actact(3, 1, 2024, 3, 11, 2024, &days, &fraction);
  EXPECT_EQ(days, 10);
  EXPECT_DOUBLE_EQ(fraction, 10.0 / 366);
  diff_actact(12, 31, 2022, 1, 1, 2025, &days, &fraction);
  EXPECT_EQ(days, 1 + 365 + 366);
  EXPECT_DOUBLE_EQ(fraction, 366.0 / 365 + 366.0 / 366);
  struct {
    int year, leap;
  } years[] = {{1900, 0}, {2000, 1}, {2023, 0}, {2024, 1}, {4000, 0}, {8000, 0}, {4400, 1}, {20000, 0}};
  for (const auto& y : years) EXPECT_EQ(isLeapYear(y.year), y.leap) << y.year;
  EXPECT_EQ(lastDay(2023, 4), 30);
  EXPECT_EQ(lastDay(2023, 12), 31);
  EXPECT_EQ(diff_actual(1, 1, 1960, 1, 1, 20001), static_cast<int>(KES_DATE_END));
  EXPECT_EQ(diff_actual(1, 1, 1960, 1, 1, 1582), static_cast<int>(KES_DATE_FIRST));
}

}  // namespace
