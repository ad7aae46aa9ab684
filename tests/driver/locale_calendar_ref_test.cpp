// The calendar services, week numbers, day counts and date formatting checked
// against independent reference dates (ref/calendar_ref.txt, made with Python's
// datetime and ISO week functions over the whole range).
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "locale/date_format.h"
#include "locale/date_read.h"
#include "locale/week_dates.h"
#include "locale_test_support.h"

namespace {
using namespace kes_locale_test;

struct ref_date {
  int day, year, month, mday, yday, weekday, iso_year, iso_week, iso_weekday, week_u, week_w;
};

const std::vector<ref_date>& reference() {
  static const std::vector<ref_date> rows = [] {
    std::vector<ref_date> r;
    std::ifstream in(KES_SOURCE_DIR "/tests/driver/ref/calendar_ref.txt");
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream s(line);
      ref_date d;
      s >> d.day >> d.year >> d.month >> d.mday >> d.yday >> d.weekday >> d.iso_year >> d.iso_week >> d.iso_weekday >>
          d.week_u >> d.week_w;
      r.push_back(d);
    }
    return r;
  }();
  return rows;
}

using calendar_ref = locale_fixture;

TEST_F(calendar_ref, HostServices) {
  ASSERT_GT(reference().size(), 3000u);
  for (const ref_date& r : reference()) {
    SCOPED_TRACE(r.day);
    EXPECT_EQ(zjuldat(r.day), r.year * 1000.0 + r.yday);
    double y, m, d;
    ASSERT_EQ(zymdjul(&y, &m, &d, r.year * 1000.0 + r.yday), 0);
    EXPECT_EQ(y, r.year);
    EXPECT_EQ(m, r.month);
    EXPECT_EQ(d, r.mday);
    EXPECT_EQ(zmdy(r.month, r.mday, r.year), r.day);
    EXPECT_EQ(zwekday(r.day), r.weekday);
  }
}

TEST_F(calendar_ref, WeekNumbers) {
  for (const ref_date& r : reference()) {
    SCOPED_TRACE(r.day);
    double y, w, wd;
    ASSERT_EQ(get_yywwdd("V", 0, &y, &w, &wd, r.day), 0);
    EXPECT_EQ(y, r.iso_year);
    EXPECT_EQ(w, r.iso_week);
    EXPECT_EQ(wd, r.iso_weekday);
    ASSERT_EQ(get_yywwdd("U", 0, &y, &w, &wd, r.day), 0);
    EXPECT_EQ(y, r.year);
    EXPECT_EQ(w, r.week_u);
    EXPECT_EQ(wd, r.weekday);
    ASSERT_EQ(get_yywwdd("W", 0, &y, &w, &wd, r.day), 0);
    EXPECT_EQ(w, r.week_w);
    EXPECT_EQ(wd, r.iso_weekday);
  }
}

TEST_F(calendar_ref, DayCounts) {
  const std::vector<ref_date>& rows = reference();
  for (size_t i = 1; i < rows.size(); ++i) {
    const ref_date& a = rows[i - 1];
    const ref_date& b = rows[i];
    EXPECT_EQ(diff_actual(a.month, a.mday, a.year, b.month, b.mday, b.year), b.day - a.day) << b.day;
    int m, d, y;
    ASSERT_EQ(getMonthDayYear(b.day + 0.75, &m, &d, &y), 0);
    EXPECT_EQ(m * 100 + d, b.month * 100 + b.mday);
    EXPECT_EQ(lastDay(b.year, 2), 28 + isLeapYear(b.year));
    EXPECT_EQ(y, b.year);
  }
}

TEST_F(calendar_ref, FormatAndReadBack) {
  for (const ref_date& r : reference()) {
    SCOPED_TRACE(r.day);
    char want[64];
    std::snprintf(want, sizeof want, "%04d-%02d-%02d %03d %02d %02d %02d %04d %d %d", r.year, r.month, r.mday, r.yday,
                  r.week_u, r.week_w, r.iso_week, r.iso_year, r.iso_weekday, r.weekday - 1);
    const char* pattern = "%Y-%m-%d %j %U %W %V %G %u %w";
    EXPECT_EQ(formatted([&](char* f, int* w) { return zkfdate(f, w, pattern, 29, r.day); }, 60), want);
    if (r.year <= 9999) {  // four-digit year fields only read back
      double back = -1;
      ASSERT_EQ(zkpdate(want, 10, "%Y-%m-%d", 8, &back), 0);
      EXPECT_EQ(back, r.day);
    }
    char week[16];
    int width = 12;
    ASSERT_EQ(zkfweek(week, &width, "V", 0, r.day), 0);
    EXPECT_EQ(width, r.iso_year > 9999 ? 12 : 11);
    if (r.iso_year < 1582 || r.iso_year > 20000) continue;  // week years of the range only
    double wdate = 0;
    ASSERT_EQ(zkifweek(week, width, "V", 0, &wdate), 0) << std::string(week, 12);
    EXPECT_EQ(wdate, r.day);
  }
}

}  // namespace
