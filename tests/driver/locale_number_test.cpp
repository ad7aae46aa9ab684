// Number routines and the locale number, money and percent readers.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "locale/locale_number_read.h"
#include "locale_test_support.h"
#include "numeric/number_routines.h"
#include "support/same_number.h"

namespace {
using namespace kes_locale_test;

using number_routines = locale_fixture;

TEST_F(number_routines, PowersOfTen) {
  EXPECT_EQ(zpow10(0), 1.0);
  EXPECT_EQ(zpow10(-3), 1.0 / 1000);
  EXPECT_EQ(zpow10(17), 10.0 * (1e8 * 1e8));
  for (int k = 0; k <= 22; ++k) EXPECT_EQ(zpow10(k), std::pow(10.0, k)) << k;  // exact doubles
  EXPECT_NEAR(zpow10(308) / 1e308, 1.0, 1e-15);
  EXPECT_TRUE(std::isinf(zpow10(309)));
  // Negative powers down to the least subnormal, against the nearest double to each
  // decimal: within 1e-14 where the doubles are normal, within one least step below.
  for (int k = -323; k < 0; ++k) {
    const double want = std::strtod(("1e" + std::to_string(k)).c_str(), nullptr);
    EXPECT_NEAR(zpow10(k), want, 1e-14 * want + std::numeric_limits<double>::denorm_min()) << k;
  }
  EXPECT_EQ(zpow10(-400), 0.0);
}

TEST_F(number_routines, GuardedPower) {
  struct {
    double x, y;
    int status;
    double r;
  } cases[] = {
      {-8, 1.0 / 3, KES_POW_NEGATIVE_BASE, NAN}, {-2, 3, 0, -8},  {0, -1, KES_POW_ZERO_BASE, NAN},
      {0, 0, KES_POW_ZERO_BASE, NAN},            {0, 2.5, 0, 0},  {10, 400, KES_POW_OVERFLOW, NAN},
      {2, 0, 0, 1},                              {3, 1, 0, 3},    {-1, 5, 0, -1},
      {-1, 4, 0, 1},                             {2, -2, 0, 0.25}, {10, -400, 0, 0},
      {0.5, 1e200, 0, 0},                        {2, 1e200, KES_POW_OVERFLOW, NAN}, {2, 0.5, 0, std::sqrt(2.0)},
      {-3, -3, 0, -1.0 / 27},
  };
  for (const auto& c : cases) {
    int status = -1;
    double r = zpower(c.x, c.y, &status);
    EXPECT_EQ(status, c.status) << c.x << "^" << c.y;
    EXPECT_TRUE(same_number(r, c.r)) << c.x << "^" << c.y;
  }
}

// A name list of two blocks: names 0..1 and 2..4.
struct name_list {
  std::vector<unsigned char> first, second;
  name_list() {
    auto block = [](std::vector<unsigned char>& b, int last, std::vector<std::string> names) {
      b.assign(sizeof(kes_nameblock), 0);
      for (const std::string& n : names) {
        b.push_back(static_cast<unsigned char>(n.size()));
        b.insert(b.end(), n.begin(), n.end());
      }
      reinterpret_cast<kes_nameblock*>(b.data())->last = last;
    };
    block(first, 1, {"MEAN", "STD"});
    block(second, 4, {"N", "", "PCTL"});
    reinterpret_cast<kes_nameblock*>(first.data())->next = reinterpret_cast<const kes_nameblock*>(second.data());
  }
  const kes_nameblock* head() const { return reinterpret_cast<const kes_nameblock*>(first.data()); }
};

TEST_F(number_routines, NameLists) {
  name_list l;
  const char* want[] = {"MEAN", "STD", "N", "", "PCTL"};
  for (int k = 0; k < 5; ++k) {
    const char* t = nullptr;
    int n = -1;
    ASSERT_EQ(zgetnmr(l.head(), k, &t, &n), 0) << k;
    EXPECT_EQ(std::string(t, static_cast<size_t>(n)), want[k]);
  }
  const char* t;
  int n;
  EXPECT_EQ(zgetnmr(l.head(), 5, &t, &n), 1);
  EXPECT_EQ(zgetnmr(nullptr, 0, &t, &n), 1);
}

// Reads text with a reader; the result, or NaN when the status is not 0.
struct read_result {
  int status;
  double value;
};

template <class R>
read_result read_with(R reader, const char* text, int width = 32, int decimals = 0, int flags = 0) {
  double v = -7;
  host_numreq r{width, decimals, text, static_cast<int>(std::strlen(text)), &v, 0, flags};
  read_result out{reader(&r), v};
  EXPECT_EQ(r.text, text);  // the caller's request keeps its own text
  EXPECT_EQ(r.decimals, decimals);
  return out;
}

TEST_F(number_routines, CommaAndPercentReaders) {
  struct {
    const char* text;
    int width, decimals;
    int status;
    double value;
  } cases[] = {
      {"(1,234)", 32, 0, 0, -1234},   {"$5", 32, 0, 0, 5},     {"1,234.5", 32, 0, 0, 1234.5},
      {"--12", 32, 0, 0, -12},        {"-", 32, 0, KES_NUM_SIGN_ONLY, NAN},
      {"(1(2)", 32, 0, KES_NUM_PARENTHESIS, NAN},  {"", 32, 0, 0, NAN},  {" , $ ", 32, 0, 0, NAN},
      {"1234", 32, 2, 0, 12.34},      {"12.5", 32, 2, 0, 12.5}, {"123456", 3, 0, 0, 123},
      {"12x", 32, 0, static_cast<int>(0x8001d820u), NAN},
  };
  for (const auto& c : cases) {
    read_result r = read_with(zifmcma, c.text, c.width, c.decimals);
    EXPECT_EQ(r.status, c.status) << c.text;
    EXPECT_TRUE(same_number(r.value, c.value)) << c.text;
  }
  EXPECT_DOUBLE_EQ(read_with(zifmpct, "12%").value, 0.12);
  EXPECT_DOUBLE_EQ(read_with(zifmpct, "12").value, 12);
  struct {
    int width, decimals, status;
  } checks[] = {{0, 0, KES_NUM_BAD_WIDTH_LOW},  {33, 0, KES_NUM_BAD_WIDTH_HIGH},
                {8, -1, KES_NUM_BAD_DECIMALS_LOW}, {8, 32, KES_NUM_BAD_DECIMALS_HIGH}, {8, 31, 0}};
  for (const auto& c : checks) {
    EXPECT_EQ(read_with(zifmcma, "5", c.width, c.decimals, 1).status, c.status) << c.width << " " << c.decimals;
    EXPECT_EQ(read_with(zifmpct, "5", c.width, c.decimals, 1).status, c.status);
  }
}

using locale_numbers = locale_fixture;

struct locale_case {
  int locale;
  const char* reader;  // "num", "mny", "pct"
  int item;
  const char* text;
  int status;
  double value;
};

int run_reader(const char* which, int item, host_numreq* r) {
  if (std::strcmp(which, "mny") == 0) return zkifmny(nullptr, item, r);
  if (std::strcmp(which, "pct") == 0) return zkifpct(nullptr, item, r);
  return zkifnum(nullptr, item, r);
}

TEST_F(locale_numbers, Readers) {
  const int en = plat::locales::english, eu = plat::locales::european;
  const locale_case cases[] = {
      {en, "num", 111, "1,234.5", 0, 1234.5},
      {en, "num", 111, "-12", 0, -12},
      {en, "num", 111, "1'234", 0, 1234},
      {en, "mny", 113, "$1,234.50", 0, 1234.5},
      {en, "mny", 113, "(12)", 0, -12},
      {en, "mny", 113, "($1,234.50)", 0, -1234.5},
      {en, "mny", 114, "USD 12.50", 0, 12.5},
      {en, "pct", 112, "12%", 0, 0.12},
      {en, "pct", 112, "-12.5%", 0, -0.125},
      {eu, "num", 111, "1.234,5", 0, 1234.5},
      {eu, "num", 111, "12-", 0, -12},
      {eu, "num", 111, "+12", 0, 12},
      {eu, "num", 111, "1.234.567", 0, 1234567},
      {eu, "mny", 113, "1.234,50 Kr", 0, 1234.5},
      {eu, "mny", 113, "12,50 Kr-", 0, -12.5},
      {eu, "pct", 112, "12,5%", 0, 0.125},
      // Signs only where the locale writes them.
      {en, "num", 111, "1-2", KES_NUM_SIGN_PLACE, NAN},
      {en, "num", 111, "12-", KES_NUM_SIGN_PLACE, NAN},
      {en, "num", 111, "--12", KES_NUM_SIGN_PLACE, NAN},
      {en, "mny", 113, "(12", KES_NUM_SIGN_PLACE, NAN},
      {en, "mny", 113, "1(2)", KES_NUM_SIGN_PLACE, NAN},
      {en, "mny", 113, "-12", KES_NUM_SIGN_PLACE, NAN},
      {eu, "num", 111, "-12", KES_NUM_SIGN_PLACE, NAN},
      {eu, "num", 111, "1-2", KES_NUM_SIGN_PLACE, NAN},
      {eu, "num", 111, "12+", KES_NUM_SIGN_PLACE, NAN},
      // Items without conventions, and money items only for money.
      {en, "num", 62, "12", -1, -7},
      {en, "num", 999, "12", -1, -7},
      {en, "mny", 111, "12", -1, -7},
      {en, "num", 0, "12", -1, -7},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(plat::locales::select(c.locale));
    double v = -7;
    host_numreq r{32, 2, c.text, static_cast<int>(std::strlen(c.text)), &v, 0, 1};
    const host_numreq before = r;
    const int status = run_reader(c.reader, c.item, &r);
    EXPECT_EQ(status, c.status) << c.reader << " " << c.text;
    EXPECT_TRUE(same_number(v, c.value)) << c.reader << " " << c.text;
    // The caller's request keeps its text and decimals; only the size word is set.
    EXPECT_EQ(r.text, before.text);
    EXPECT_EQ(r.decimals, 2);
    EXPECT_EQ(r.width, 32);
  }
}

TEST_F(locale_numbers, DecimalsAndLength) {
  double v = -7;
  // No "." in the plain form: the request's implied decimals do not apply.
  host_numreq r{32, 2, "1234", 4, &v, 0, 0};
  EXPECT_EQ(zkifnum(nullptr, 111, &r), 0);
  EXPECT_EQ(v, 1234);
  EXPECT_EQ(r.size, 8);
  // Only the first 32 characters are read.
  std::string longer(32, '1');
  longer += '9';
  host_numreq l{40, 0, longer.c_str(), 33, &v, 0, 0};
  EXPECT_EQ(zkifnum(nullptr, 111, &l), 0);
  EXPECT_DOUBLE_EQ(v, 1.1111111111111111e31);
  // Width cuts the text.
  host_numreq w{3, 0, "1,234", 5, &v, 0, 0};
  EXPECT_EQ(zkifnum(nullptr, 111, &w), 0);
  EXPECT_EQ(v, 12);
  // A first argument other than null.
  EXPECT_EQ(zkifnum("xx", 111, &r), -1);
}

}  // namespace
