// Reading dates, times and datetimes: worked values, statuses, fields out of range
// and round trips through every pattern of the default locale.
#include <cstring>
#include <string>

#include "locale/date_format.h"
#include "locale/date_read.h"
#include "locale/date_values.h"
#include "locale/locale_items.h"
#include "locale_test_support.h"

namespace {
using namespace kes_locale_test;

int len(const char* s) { return static_cast<int>(std::strlen(s)); }

using date_read = locale_fixture;

TEST_F(date_read, DatesTimesAndDatetimes) {
  using reader = int (*)(const char*, int, const char*, int, double*);
  const struct {
    reader read;
    const char* text;
    const char* pattern;
    int status;
    double value;
  } cases[] = {
      {zkpdate, "05/03/2004", "%d/%m/%Y", 0, ymd(2004, 3, 5)},
      {zkpdate, "05/03/2004 and more", "%d/%m/%Y", 0, ymd(2004, 3, 5)},
      {zkpdate, "05/03", "%d/%m/%Y", KES_LOC_BAD_VALUE, 0},
      {zkpdate, "31/02/2004", "%d/%m/%Y", KES_LOC_BAD_VALUE, 0},
      {zkpdate, " 5/03/2004", "%d/%m/%Y", 0, ymd(2004, 3, 5)},
      {zkpdate, "5 /03/2004", "%d/%m/%Y", KES_LOC_BAD_VALUE, 0},
      {zkpdate, "05 03 2004", "%d %m %Y", 0, ymd(2004, 3, 5)},
      {zkpdate, "0503 2004", "%d %m %Y", 0, ymd(2004, 3, 5)},
      {zkpdate, "05-03-2004", "%d/%m/%Y", KES_LOC_BAD_VALUE, 0},
      {zkpdate, "05/03/2004", "%0d/%m/%Y", KES_LOC_BAD_VALUE, 0},
      {zkpdate, "05/03/2004", "%d/%m/%Q", KES_LOC_BAD_VALUE, 0},
      {zkpdate, "100%05", "100%%%d%m%y", KES_LOC_BAD_VALUE, 0},  // no month
      {zkpdate, "100%0503", "100%%%d%m%Y", KES_LOC_BAD_VALUE, 0},
      {zkpdate, "March 5, 2004", "%B %#d, %Y", KES_LOC_BAD_VALUE, 0},
      {zkpdate, "March 05, 2004", "%B %d, %Y", 0, ymd(2004, 3, 5)},
      {zkpdate, "Mar 05 04", "%b %d %y", 0, ymd(1904, 3, 5)},
      {zkpdate, "Friday 05Mar2004", "%A %d%b%Y", 0, ymd(2004, 3, 5)},
      {zkpdate, "Fri 05Mar2004", "%A %d%b%Y", KES_LOC_BAD_VALUE, 0},
      {zkpdate, "March    05 2004", "%C %d %Y", 0, ymd(2004, 3, 5)},
      {zkpdate, "Friday   05-03-2004", "%F %d-%m-%Y", 0, ymd(2004, 3, 5)},
      {zkpdate, "March 05 1581", "%B %d %Y", KES_LOC_BAD_VALUE, 0},
      {zkpdate, "13/13/2004", "%d/%m/%Y", KES_LOC_BAD_VALUE, 0},
      {zkpdate, "2004-065x03-05", "%Y-%j%W%m-%d", KES_LOC_BAD_VALUE, 0},
      {zkpdate, "2004-xy03-05", "%Y-%W%U%m-%d", 0, ymd(2004, 3, 5)},
      // Times.
      {zkptime, "01:02:05", "%H:%M:%S", 0, 3725},
      {zkptime, "23:59:59", "%H:%M:%S", 0, 86399},
      {zkptime, "12:30:00 AM", "%I:%M:%S %P", 0, 1800},
      {zkptime, "01:30:00 PM", "%I:%M:%S %P", 0, 48600},
      {zkptime, "12:30:00 PM", "%I:%M:%S %P", 0, 45000},
      {zkptime, "11:00:00 am", "%I:%M:%S %P", KES_LOC_BAD_VALUE, 0},  // the designators match with case
      {zkptime, "00:00:00", "%H:%M:%S", 0, 0},
      // Fields out of range are unreadable.
      {zkptime, "25:75:99", "%H:%M:%S", KES_LOC_BAD_VALUE, 0},
      {zkptime, "24:00:00", "%H:%M:%S", KES_LOC_BAD_VALUE, 0},
      {zkptime, "10:60:00", "%H:%M:%S", KES_LOC_BAD_VALUE, 0},
      {zkptime, "10:00:60", "%H:%M:%S", KES_LOC_BAD_VALUE, 0},
      {zkptime, "13:00:00 PM", "%I:%M:%S %P", KES_LOC_BAD_VALUE, 0},
      // A time-only pattern that is not one of the locale's reads a date part.
      {zkptime, "01:02", "%H:%M", KES_LOC_BAD_VALUE, 0},
      // Datetimes need both parts.
      {zkpdttm, "05/03/2004 13:04:05", "%d/%m/%Y %H:%M:%S", 0, ymd(2004, 3, 5) * 86400 + 47045},
      {zkpdttm, "05/03/2004 00:00:00", "%d/%m/%Y %H:%M:%S", 0, ymd(2004, 3, 5) * 86400},
      {zkpdttm, "05/03/2004", "%d/%m/%Y %H:%M:%S", KES_LOC_BAD_VALUE, 0},
  };
  for (const auto& c : cases) {
    double v = -7;
    const int status = c.read(c.text, len(c.text), c.pattern, len(c.pattern), &v);
    EXPECT_EQ(status, c.status) << c.text << " / " << c.pattern;
    EXPECT_EQ(v, c.status == 0 ? c.value : -7) << c.text;
  }
}

TEST_F(date_read, DesignatorsWithoutItems) {
  ASSERT_TRUE(plat::locales::select(plat::locales::european));
  double v = -7;
  // Without designator items "am" and "pm" in either case are read; the time
  // patterns of this locale are 24-hour ones, so give the pattern as its item.
  ASSERT_EQ(zksetloc(36, "%I.%M %P", 8), 0);
  EXPECT_EQ(zkptime("01.30 pM", 8, nullptr, 36, &v), 0);
  EXPECT_EQ(v, 48600);
  EXPECT_EQ(zkptime("01.30 xM", 8, nullptr, 36, &v), KES_LOC_BAD_VALUE);
  EXPECT_EQ(zkptime("13.05.09", 8, nullptr, 35, &v), 0);
  EXPECT_EQ(v, 47109);
}

TEST_F(date_read, MissingItems) {
  double v = -7;
  EXPECT_EQ(zkpdate("05/03/2004", 10, nullptr, 999, &v), KES_LOC_NO_ITEM);
}

TEST_F(date_read, PureDatePatternNeedsNoTimeItems) {
  // A locale whose time pattern items are gone.
  double d = missing(), t = missing();
  EXPECT_EQ(getdate_fixlen(999, "05/03/2004", 10, "%d/%m/%Y", 8, &d, &t), 0);
  EXPECT_EQ(d, ymd(2004, 3, 5));
  EXPECT_TRUE(std::isnan(t));
  d = missing();
  EXPECT_EQ(getdate_fixlen(999, "05/03/2004 10", 13, "%d/%m/%Y %H", 11, &d, &t), KES_READ_NO_TIME_ITEMS);
  EXPECT_TRUE(std::isnan(d));
}

TEST_F(date_read, TwoCharacterNumbers) {
  struct {
    const char* text;
    int left, value;
  } cases[] = {{"05", 2, 5}, {" 5", 2, 5}, {"5 ", 2, -1}, {"99", 2, 99}, {"x7", 2, 7}, {"5", 1, -1}, {"", 0, -1}};
  for (const auto& c : cases) EXPECT_EQ(s2i_fixlen(c.text, c.left), c.value) << c.text;
}

// Every pattern item of the default locale reads back what it wrote.
TEST_F(date_read, RoundTripsThroughTheLocalePatterns) {
  const double days[] = {KES_DATE_FIRST, -1, 0, 12480.0, 16130, 22281, 2936540, ymd(2004, 2, 29)};
  const double seconds[] = {0, 1, 59, 3600, 43199, 43200, 45000, 46799, 46800, 86399};
  for (double day : days) {
    for (double sec : seconds) {
      const double dt = day * 86400 + sec;
      char text[64];
      int w = 64;
      ASSERT_EQ(zkfdttm(text, &w, nullptr, 34, dt), 0);
      double back = -7;
      EXPECT_EQ(zkpdttm(text, w, nullptr, 34, &back), 0) << std::string(text, static_cast<size_t>(w));
      EXPECT_EQ(back, dt);
      for (int item : {35, 36}) {
        w = 64;
        ASSERT_EQ(zkftime(text, &w, nullptr, item, sec), 0);
        back = -7;
        EXPECT_EQ(zkptime(text, w, nullptr, item, &back), 0) << std::string(text, static_cast<size_t>(w));
        EXPECT_EQ(back, sec) << item;
      }
    }
    char text[64];
    int w = 64;
    ASSERT_EQ(zkfdate(text, &w, nullptr, 33, day), 0);
    double back = -7;
    EXPECT_EQ(zkpdate(text, w, nullptr, 33, &back), 0);
    EXPECT_EQ(back, day);
  }
}

}  // namespace
