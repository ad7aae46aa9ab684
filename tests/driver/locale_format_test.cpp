// Date, time and datetime formatting: worked values, statuses, years of five
// digits written whole and "**" for a part the value does not have.
#include <cstring>
#include <string>

#include "locale/date_format.h"
#include "locale/date_values.h"
#include "locale/locale_items.h"
#include "core/runtime.h"
#include "locale_test_support.h"

namespace {
using namespace kes_locale_test;

using formatter = int (*)(char*, int*, const char*, int, double);

// Formats with a pattern, or with pattern item `item` when `pattern` is null.
std::string fmt(formatter f, const char* pattern, double v, int item = 0) {
  const int n = pattern ? static_cast<int>(std::strlen(pattern)) : item;
  return formatted([&](char* field, int* w) { return f(field, w, pattern, n, v); });
}

using locale_format = locale_fixture;

TEST_F(locale_format, WorkedValues) {
  const double d = ymd(2004, 3, 5);  // a Friday
  const double dt = d * 86400 + 13 * 3600 + 4 * 60 + 5;
  const struct {
    formatter f;
    const char* pattern;
    double value;
    const char* text;
  } cases[] = {
      {zkfdate, "%d/%m/%Y", d, "05/03/2004"},
      {zkfdate, "%#d/%#m/%y", d, "5/3/04"},
      {zkfdate, "%E", d, " 5"},
      {zkfdate, "%y|%?Y", d, "04|04"},
      {zkfdate, "%m|%?M|%N|%O", d, "03|03|03| 3"},
      {zkfdate, "%A %a %B %b", d, "Friday Fri March Mar"},
      {zkfdate, "[%C][%F]", d, "[March    ][Friday   ]"},
      {zkfdate, "%q %Q", d, "Q1 1st quarter"},
      {zkfdate, "%j %#j", d, "065 65"},
      {zkfdate, "%U %W %V %G %g %u %w", d, "09 09 10 2004 04 5 5"},
      {zkfdate, "%Z%%?", d, "%?"},
      {zkfdate, "%Y   ", d, "2004"},  // trailing pattern blanks are cut
      {zkfdate, "", d, ""},
      // The range's ends, and years of five digits written whole.
      {zkfdate, "%Y-%m-%d %A", KES_DATE_FIRST, "1582-01-01 Friday"},
      {zkfdate, "%Y-%m-%d", KES_DATE_END - 1, "20000-12-31"},
      {zkfdttm, "%Y-%m-%d %H:%M:%S", KES_DATE_FIRST * 86400, "1582-01-01 00:00:00"},
      {zkfdttm, "%Y-%m-%d %H:%M:%S", KES_DATE_END * 86400 - 1, "20000-12-31 23:59:59"},
      {zkfdate, "%Y %y", ymd(12345, 6, 7), "12345 45"},
      {zkfdate, "%G", ymd(12345, 6, 7), "12345"},
      {zkfdate, "%Y", ymd(9999, 12, 31), "9999"},
      // Times: hours past 24 are kept, fractions of a second dropped.
      {zkftime, "%H:%M:%S", 3725, "01:02:05"},
      {zkftime, "%H", 400000, "111"},
      {zkftime, "%H:%M", 90000, "25:00"},
      {zkftime, "%#H:%M:%S", 3725.9, "1:02:05"},
      {zkftime, "%I %P", 0, "12 AM"},
      {zkftime, "%I %P", 1 * 3600, "01 AM"},
      {zkftime, "%I %P", 11 * 3600, "11 AM"},
      {zkftime, "%I %P", 12 * 3600, "12 PM"},
      {zkftime, "%I %P", 13 * 3600, "01 PM"},
      {zkftime, "%I %P", 23 * 3600, "11 PM"},
      {zkftime, "%I %P", 24 * 3600, "12 AM"},
      {zkfdttm, "%d%b%Y:%H:%M:%S %I%P", dt, "05Mar2004:13:04:05 01PM"},
      // A datetime before 1960 keeps its time of day.
      {zkfdttm, "%Y-%m-%d %H:%M", ymd(1959, 12, 31) * 86400 + 60, "1959-12-31 00:01"},
      // The date formatter has no time, the time formatter no date.
      {zkfdate, "%H|%I|%M|%S|%P", d, "**|**|**|**|**"},
      {zkftime, "%Y|%y|%d|%E|%m|%O|%j|%U|%V|%W|%G|%u|%w", 3725, "**|**|**|**|**|**|**|**|**|**|**|**|**"},
      {zkftime, "%A|%B|%C|%F|%Q", 3725, "**|**|**|**|**"},
      // Pattern items of the locale; no text and no item is an empty pattern.
      {zkfdttm, nullptr, dt, "Fri Mar 05 13:04:05 2004"},
      {zkfdate, nullptr, d, "03/05/2004"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fmt(c.f, c.pattern, c.value, c.f == zkfdttm ? 34 : 33), c.text) << (c.pattern ? c.pattern : "item");
  EXPECT_EQ(fmt(zkfdate, nullptr, 0, 0), "");
  EXPECT_EQ(formatted([&](char* f, int* w) { return zkrfdttm(plat::locales::european, f, w, nullptr, 34, dt); }),
            "05.03.2004 13.04.05");
  // No designators in this locale: the English ones stand in; no quarter names.
  ASSERT_TRUE(plat::locales::select(plat::locales::european));
  EXPECT_EQ(fmt(zkftime, "%I %P", 13 * 3600), "01 PM");
  EXPECT_EQ(fmt(zkfdate, "%A %d. %B", d), "fredag 05. mars");
  EXPECT_EQ(fmt(zkfdate, "%q", d), "**");
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

TEST_F(locale_format, StatusesLeaveTheFieldUntouched) {
  const struct {
    formatter f;
    const char* pattern;
    int item;
    double value;
    int status;
  } cases[] = {
      {zkfdate, "%K", 0, 0, KES_FMT_BAD_DIRECTIVE},
      {zkfdate, "%Y%", 0, 0, KES_FMT_BAD_DIRECTIVE},
      {zkfdate, "%Y%#", 0, 0, KES_FMT_BAD_DIRECTIVE},
      {zkfdate, nullptr, 999, 0, KES_LOC_NO_ITEM},
      {zkfdate, "%Y", 0, missing(), KES_LOC_BAD_VALUE},
      {zkfdate, "%Y", 0, KES_DATE_FIRST - 1, KES_LOC_BAD_VALUE},
      {zkfdate, "%Y", 0, KES_DATE_END, KES_LOC_BAD_VALUE},
      {zkftime, "%H", 0, -1, KES_LOC_BAD_VALUE},
      {zkftime, "%H", 0, missing(), KES_LOC_BAD_VALUE},
      {zkfdttm, "%H", 0, KES_DATE_END * 86400, KES_LOC_BAD_VALUE},
  };
  for (const auto& c : cases) {
    char field[8] = "abcdefg";
    int w = 7;
    const int n = c.pattern ? static_cast<int>(std::strlen(c.pattern)) : c.item;
    EXPECT_EQ(c.f(field, &w, c.pattern, n, c.value), c.status) << (c.pattern ? c.pattern : "item");
    EXPECT_EQ(std::string(field, 7), "abcdefg");
  }
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
