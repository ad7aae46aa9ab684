// Date, time and datetime formatting: worked values, statuses, years of five
// digits written whole and "**" for a part the value does not have.
#include <cstring>
#include <string>

#include "driver/date_format.h"
#include "driver/date_values.h"
#include "driver/locale_items.h"
#include "core/runtime.h"
#include "locale_test_support.h"

namespace {
using namespace kes_locale_test;

std::string fdate(const char* pattern, double date, int width = 40) {
  return formatted([&](char* f, int* w) { return zkfdate(f, w, pattern, static_cast<int>(std::strlen(pattern)), date); },
                   width);
}
std::string ftime(const char* pattern, double t, int width = 40) {
  return formatted([&](char* f, int* w) { return zkftime(f, w, pattern, static_cast<int>(std::strlen(pattern)), t); },
                   width);
}
std::string fdttm(const char* pattern, double dt, int width = 40) {
  return formatted([&](char* f, int* w) { return zkfdttm(f, w, pattern, static_cast<int>(std::strlen(pattern)), dt); },
                   width);
}

using locale_format = locale_fixture;

TEST_F(locale_format, DateDirectives) {
  const double d = ymd(2004, 3, 5);  // a Friday
  struct {
    const char* pattern;
    const char* text;
  } cases[] = {
      {"%d/%m/%Y", "05/03/2004"},
      {"%#d/%#m/%y", "5/3/04"},
      {"%E", " 5"},
      {"%y|%?Y", "04|04"},
      {"%m|%?M|%N|%O", "03|03|03| 3"},
      {"%A %a %B %b", "Friday Fri March Mar"},
      {"[%C][%F]", "[March    ][Friday   ]"},
      {"%q %Q", "Q1 1st quarter"},
      {"%j %#j", "065 65"},
      {"%U %W %V %G %g %u %w", "09 09 10 2004 04 5 5"},
      {"%Z%%?", "%?"},
      {"%Y   ", "2004"},  // trailing pattern blanks are cut
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(fdate(c.pattern, d), c.text) << c.pattern;
}

TEST_F(locale_format, AlignmentCutAndCount) {
  const double d = ymd(2004, 3, 5);
  char field[16];
  std::memset(field, 'x', sizeof field);
  int w = -12;
  ASSERT_EQ(zkfdate(field, &w, "%d/%m/%Y", 8, d), 0);
  EXPECT_EQ(std::string(field, 12), "  05/03/2004");
  EXPECT_EQ(w, 10);
  // Twelve characters in a field of 10: cut, status 1, width word unchanged.
  w = 10;
  EXPECT_EQ(zkfdate(field, &w, "%Y-%m-%d %H", 11, d), KES_FMT_CUT);
  EXPECT_EQ(std::string(field, 10), "2004-03-05");
  EXPECT_EQ(w, 10);
  // A text beyond the work area is cut, never passed as whole.
  std::string wide(KES_FMT_WORK + 20, 'x');
  char big[KES_FMT_WORK + 40];
  w = static_cast<int>(sizeof big);
  EXPECT_EQ(zkfdate(big, &w, wide.c_str(), static_cast<int>(wide.size()), d), KES_FMT_CUT);
  EXPECT_EQ(w, static_cast<int>(sizeof big));
  EXPECT_EQ(big[KES_FMT_WORK - 1], 'x');
  EXPECT_EQ(big[KES_FMT_WORK], ' ');
  // No field: the count of characters it would take.
  w = 40;
  EXPECT_EQ(zkfdate(nullptr, &w, "%A, %B %d", 9, d), 16);
}

TEST_F(locale_format, Statuses) {
  char field[8] = "abcdefg";
  int w = 7;
  EXPECT_EQ(zkfdate(field, &w, "%K", 2, 0), KES_FMT_BAD_DIRECTIVE);
  EXPECT_EQ(zkfdate(field, &w, "%Y%", 3, 0), KES_FMT_BAD_DIRECTIVE);
  EXPECT_EQ(zkfdate(field, &w, "%Y%#", 4, 0), KES_FMT_BAD_DIRECTIVE);
  EXPECT_EQ(std::string(field, 7), "abcdefg");  // untouched
  EXPECT_EQ(zkfdate(field, &w, nullptr, 999, 0), KES_LOC_NO_ITEM);
  EXPECT_EQ(zkfdate(field, &w, "%Y", 2, missing()), KES_LOC_BAD_VALUE);
  EXPECT_EQ(zkfdate(field, &w, "%Y", 2, KES_DATE_FIRST - 1), KES_LOC_BAD_VALUE);
  EXPECT_EQ(zkfdate(field, &w, "%Y", 2, KES_DATE_END), KES_LOC_BAD_VALUE);
  EXPECT_EQ(zkftime(field, &w, "%H", 2, -1), KES_LOC_BAD_VALUE);
  EXPECT_EQ(zkftime(field, &w, "%H", 2, missing()), KES_LOC_BAD_VALUE);
  EXPECT_EQ(zkfdttm(field, &w, "%H", 2, KES_DATE_END * 86400), KES_LOC_BAD_VALUE);
  EXPECT_EQ(std::string(field, 7), "abcdefg");
}

TEST_F(locale_format, RangeLimits) {
  EXPECT_EQ(fdate("%Y-%m-%d %A", KES_DATE_FIRST), "1582-01-01 Friday");
  EXPECT_EQ(fdate("%Y-%m-%d", KES_DATE_END - 1), "20000-12-31");
  EXPECT_EQ(fdttm("%Y-%m-%d %H:%M:%S", KES_DATE_FIRST * 86400), "1582-01-01 00:00:00");
  EXPECT_EQ(fdttm("%Y-%m-%d %H:%M:%S", KES_DATE_END * 86400 - 1), "20000-12-31 23:59:59");
}

TEST_F(locale_format, TimeDirectives) {
  EXPECT_EQ(ftime("%H:%M:%S", 3725), "01:02:05");
  EXPECT_EQ(ftime("%H", 400000), "111");
  EXPECT_EQ(ftime("%H:%M", 90000), "25:00");
  EXPECT_EQ(ftime("%#H:%M:%S", 3725.9), "1:02:05");
  struct {
    double hour;
    const char* text;
  } twelve[] = {{0, "12 AM"}, {1, "01 AM"}, {11, "11 AM"}, {12, "12 PM"}, {13, "01 PM"}, {23, "11 PM"}, {24, "12 AM"}};
  for (const auto& c : twelve) EXPECT_EQ(ftime("%I %P", c.hour * 3600), c.text) << c.hour;
}

TEST_F(locale_format, DatetimeParts) {
  const double dt = ymd(2004, 3, 5) * 86400 + 13 * 3600 + 4 * 60 + 5;
  EXPECT_EQ(fdttm("%d%b%Y:%H:%M:%S %I%P", dt), "05Mar2004:13:04:05 01PM");
  // A datetime before 1960 keeps its time of day.
  EXPECT_EQ(fdttm("%Y-%m-%d %H:%M", ymd(1959, 12, 31) * 86400 + 60), "1959-12-31 00:01");
}

TEST_F(locale_format, FullYearBeyondFourDigits) {
  EXPECT_EQ(fdate("%Y %y", ymd(12345, 6, 7)), "12345 45");
  EXPECT_EQ(fdate("%G", ymd(12345, 6, 7)), "12345");
  EXPECT_EQ(fdate("%Y", ymd(9999, 12, 31)), "9999");
}

TEST_F(locale_format, MissingPartsWriteStars) {
  // The date formatter has no time, the time formatter no date.
  EXPECT_EQ(fdate("%H|%I|%M|%S|%P", ymd(2004, 3, 5)), "**|**|**|**|**");
  EXPECT_EQ(ftime("%Y|%y|%d|%E|%m|%O|%j|%U|%V|%W|%G|%u|%w", 3725), "**|**|**|**|**|**|**|**|**|**|**|**|**");
  EXPECT_EQ(ftime("%A|%B|%C|%F|%Q", 3725), "**|**|**|**|**");
}

TEST_F(locale_format, MissingNameItems) {
  ASSERT_TRUE(plat::locales::select(plat::locales::european));
  // No designators in this locale: the English ones stand in.
  EXPECT_EQ(ftime("%I %P", 13 * 3600), "01 PM");
  EXPECT_EQ(fdate("%A %d. %B", ymd(2004, 3, 5)), "fredag 05. mars");
  EXPECT_EQ(fdate("%q", ymd(2004, 3, 5)), "**");
}

TEST_F(locale_format, PatternItemsOfTheLocale) {
  const double dt = ymd(2004, 3, 5) * 86400 + 13 * 3600 + 4 * 60 + 5;
  EXPECT_EQ(formatted([&](char* f, int* w) { return zkfdttm(f, w, nullptr, 34, dt); }), "Fri Mar 05 13:04:05 2004");
  EXPECT_EQ(formatted([&](char* f, int* w) { return zkfdate(f, w, nullptr, 33, dt / 86400); }), "03/05/2004");
  EXPECT_EQ(formatted([&](char* f, int* w) { return zkrfdttm(plat::locales::european, f, w, nullptr, 34, dt); }),
            "05.03.2004 13.04.05");
  // No text and no item: an empty pattern.
  EXPECT_EQ(formatted([&](char* f, int* w) { return zkfdate(f, w, nullptr, 0, 0); }), "");
}

TEST_F(locale_format, IntegerDigits) {
  char b[16];
  struct {
    double v;
    int width, pad;
    const char* text;
  } cases[] = {{5, 2, '0', "05"},   {5, 2, ' ', " 5"},  {0, 2, ' ', " 0"},  {123, 2, '0', "23"},
               {7.9, 3, '0', "007"}, {1234, 0, 0, "1234"}, {0, 0, 0, "0"}, {-42, 0, 0, "42"}};
  for (const auto& c : cases) {
    int n = i2s(c.v, b, c.width, c.pad);
    EXPECT_EQ(std::string(b, static_cast<size_t>(n)), c.text) << c.v;
  }
}

TEST_F(locale_format, LocaleTextItems) {
  char buf[8];
  int len;
  struct {
    const char* gstyle;
    const char* text;
    const char* got;
  } variants[] = {{"YES", "A;B", "B"}, {"NO", "A;B", "A"}, {"YES", ";B", "B"}, {"NO", ";B", ";B"}, {"NO", "AB", "AB"}};
  for (const auto& v : variants) {
    ASSERT_TRUE(plat::set_system_option("GSTYLE", v.gstyle, nullptr));
    ASSERT_EQ(zksetloc(19, v.text, static_cast<int>(std::strlen(v.text))), 0);
    len = 8;
    ASSERT_EQ(zkgetloc(19, buf, &len, "SIMPLEX", 7), 0);
    EXPECT_EQ(std::string(buf, static_cast<size_t>(len)), v.got) << v.gstyle << " " << v.text;
  }
  plat::set_system_option("GSTYLE", "YES", nullptr);
  // Other items keep their ";"; texts are cut to the room.
  ASSERT_EQ(zksetloc(200, "x;yyyyyyyyyy", 12), 0);
  len = 8;
  zkgetloc(200, buf, &len, nullptr, 0);
  EXPECT_EQ(std::string(buf, static_cast<size_t>(len)), "x;yyyyyy");
  // A missing item gives the fallback, cut to the room, or nothing.
  len = 4;
  EXPECT_EQ(zkgetloc(201, buf, &len, "SIMPLEX", 7), 0);
  EXPECT_EQ(std::string(buf, static_cast<size_t>(len)), "SIMP");
  len = 8;
  zkgetloc(201, buf, &len, nullptr, 0);
  EXPECT_EQ(len, 0);
  len = 8;
  EXPECT_EQ(zkgetloc(-1, buf, &len, "SIMPLEX", 7), -1);
  EXPECT_EQ(len, 0);
}

}  // namespace
