// The stand-in's calendar, locale items, formatting and numeric reader services.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <string>

#include "core/host_routines.h"
#include "locale/calendar.h"
#include "locale/locales.h"
#include "support/same_number.h"

namespace {

bool missing(double v) { return std::isnan(v); }

class locale_services : public ::testing::Test {
 protected:
  void SetUp() override { plat::locales::reset(); }
  void TearDown() override { plat::locales::reset(); }
};

// Valid dates are checked against the reference dates through the module's
// forwarders; here what lies outside the calendar.
TEST_F(locale_services, CalendarRangeAndBadArguments) {
  using namespace plat::calendar;
  EXPECT_EQ(year_start(1582), first_day);
  EXPECT_EQ(year_start(20000) + days_in_year(20000), end_day);
  EXPECT_EQ(plat_zjuldat(0.75), 1960001.0);  // a fraction of a day is the same day
  EXPECT_EQ(plat_zjuldat(-0.25), 1959365.0);
  EXPECT_EQ(plat_zmdy(1, 1, 50), plat_zmdy(1, 1, 1950));  // two-digit years are 1900s
  for (double bad : {static_cast<double>(first_day - 1), static_cast<double>(end_day), double(NAN), double(INFINITY)}) {
    EXPECT_TRUE(missing(plat_zjuldat(bad))) << bad;
    EXPECT_TRUE(missing(plat_zwekday(bad))) << bad;
  }
  struct {
    double m, d, y;
  } bad[] = {{2, 29, 2023}, {2, 29, 4000}, {2, 29, 8000}, {13, 1, 2023}, {0, 1, 2023}, {4, 31, 2023}, {1, 0, 2023}, {1, 1, 1581},
             {1, 1, 20001}, {1.5, 1, 2023}, {NAN, 1, 2023}, {1, 1, -5}};
  for (const auto& b : bad) EXPECT_TRUE(missing(plat_zmdy(b.m, b.d, b.y))) << b.m << "/" << b.d << "/" << b.y;
  double y, m, d;
  for (double julian : {2023366.0, 2023000.0, 1581001.0, 20001001.0, 2023001.5, double(NAN)}) {
    EXPECT_EQ(plat_zymdjul(&y, &m, &d, julian), 1) << julian;
    EXPECT_TRUE(missing(y) && missing(m) && missing(d));
  }
}

TEST_F(locale_services, ClockParts) {
  EXPECT_EQ(plat_zdatprt(86399), 0);
  EXPECT_EQ(plat_zdatprt(-1), -1);
  EXPECT_EQ(plat_zhour(-1), 23);
  EXPECT_EQ(plat_zhour(90000), 1);
  EXPECT_EQ(plat_zminute(3725), 2);
  EXPECT_EQ(plat_zsecond(3725.5), 5.5);
  EXPECT_EQ(plat_zsecond(-0.5), 59.5);
  for (double bad : {double(NAN), double(INFINITY)}) {
    EXPECT_TRUE(missing(plat_zhour(bad)));
    EXPECT_TRUE(missing(plat_zminute(bad)));
    EXPECT_TRUE(missing(plat_zsecond(bad)));
    EXPECT_TRUE(missing(plat_zdatprt(bad)));
  }
  // After 1 January 2026, in seconds from 1960.
  EXPECT_GT(plat_wzdttme(), plat_zmdy(1, 1, 2026) * 86400);
}

std::string entry(const host_locale_item* rec, int i) {
  return std::string(rec->entries[i].text, static_cast<size_t>(rec->entries[i].length));
}

// The items the module reads and sets through its own routines (names in dates,
// number conventions in the readers, texts it sets) are its locale tests; here the
// name lists' ends and what is refused.
TEST_F(locale_services, ItemsAndRefusals) {
  const host_locale_item* rec = nullptr;
  ASSERT_EQ(plat_wzsxglc(0, 62, &rec), 0);
  ASSERT_EQ(rec->count, 12);
  EXPECT_EQ(entry(rec, 0) + " " + entry(rec, 11), "January December");
  EXPECT_EQ(rec->numeric, nullptr);
  ASSERT_EQ(plat_wzsxglc(0, 81, &rec), 0);
  EXPECT_EQ(entry(rec, 0), "Sunday");
  EXPECT_NE(plat_wzsxglc(0, 999, &rec), 0);
  EXPECT_EQ(rec, nullptr);
  EXPECT_NE(plat_wzsxglc(77, 62, &rec), 0);
  EXPECT_FALSE(plat::locales::select(9));
  // Name lists, conventions, bad lengths and unknown locales cannot be set.
  EXPECT_NE(plat_wzsxplc(0, 62, "x", 1), 0);
  EXPECT_NE(plat_wzsxplc(0, 113, "x", 1), 0);
  EXPECT_NE(plat_wzsxplc(0, 19, "x", -1), 0);
  EXPECT_NE(plat_wzsxplc(0, 19, std::string(133, 'x').c_str(), 133), 0);
  EXPECT_NE(plat_wzsxplc(5, 19, "x", 1), 0);
  // A reset brings back the items as they were.
  ASSERT_EQ(plat_wzsxplc(0, 19, "A;B", 3), 0);
  ASSERT_EQ(plat_wzsxplc(0, 300, "new", 3), 0);
  plat::locales::reset();
  ASSERT_EQ(plat_wzsxglc(0, 19, &rec), 0);
  EXPECT_EQ(entry(rec, 0), "SIMPLEX;SANS");
  EXPECT_NE(plat_wzsxglc(0, 300, &rec), 0);
  ASSERT_TRUE(plat::locales::select(plat::locales::european));
  EXPECT_NE(plat_wzsxglc(0, 88, &rec), 0);
}

int format(int locale, char* place, int room, const char* fmt, int kind, ...) {
  va_list ap;
  va_start(ap, kind);
  int n = plat_xpslstr(locale, place, room, fmt, kind, ap);
  va_end(ap);
  return n;
}

TEST_F(locale_services, Formatting) {
  char b[8];
  EXPECT_EQ(format(0, b, 8, "%i", 2, 111), 3);
  EXPECT_EQ(std::string(b, 3), "111");
  EXPECT_EQ(format(0, b, 2, "%i", 2, 12345), 2);
  EXPECT_EQ(std::string(b, 2), "12");
  EXPECT_EQ(format(0, b, 8, "%s", 2, 1), 0);
  EXPECT_EQ(format(42, b, 8, "%i", 2, 1), 0);
}

TEST_F(locale_services, NumericReader) {
  struct {
    const char* text;
    int width, decimals;
    int status;
    double value;
  } cases[] = {
      {"  12.5 ", 8, 0, 0, 12.5}, {"1234", 4, 2, 0, 12.34}, {"1e3", 3, 2, 0, 1000}, {"+5", 2, 0, 0, 5},
      {"-0.25", 5, 0, 0, -0.25},  {"", 0, 0, 0, NAN},       {"   ", 3, 0, 0, NAN},   {".", 1, 0, 0, NAN},
      {"123456", 3, 0, 0, 123},   {"1.2.3", 5, 0, static_cast<int>(0x8001d820u), NAN},
      {"12-", 3, 0, static_cast<int>(0x8001d820u), NAN}, {"1e", 2, 0, static_cast<int>(0x8001d820u), NAN},
      {"1e999", 5, 0, static_cast<int>(0x8001d820u), NAN},
  };
  for (const auto& c : cases) {
    double v = -7;
    host_numreq r{c.width, c.decimals, c.text, static_cast<int>(std::strlen(c.text)), &v, 0, 0};
    EXPECT_EQ(plat_wzifmn(&r), c.status) << c.text;
    EXPECT_EQ(r.size, 8);
    EXPECT_TRUE(same_number(v, c.value)) << c.text;
  }
}

}  // namespace
