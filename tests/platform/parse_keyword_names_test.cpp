// A word that spells a keyword is a name in a list of names that options may
// follow, unless what comes after it fits the option.
#include <gtest/gtest.h>

#include "host/kes_stmt.h"
#include "parse_test_util.h"

namespace {

// Every keyword (and alternative spelling) the OUTPUT statement takes.
constexpr const char* kOutputKeywords[] = {
    "n", "mean", "std", "skewness", "uss", "cv", "sumwgt", "sum", "var", "kurtosis", "css", "stdmean", "stderr",
    "nmiss", "nobs", "max", "p99", "p95", "p90", "q3", "median", "q1", "p10", "p5", "p1", "min", "range",
    "qrange", "mode", "t", "msign", "signrank", "probt", "prt", "probm", "prm", "probs", "prs", "normal",
    "normaltest", "probn", "prn", "gini", "mad", "sn", "qn", "std_qrange", "std_gini", "std_mad", "std_sn",
    "std_qn", "pctlpts", "pctlpre", "pctlname", "out"};

constexpr int kSlotN = 5, kSlotMean = 6;

std::string name_at(const kes_optslot& s, int i) {
  std::string t(static_cast<const kes_listname*>(s.list)[i].text, 32);
  return t.substr(0, t.find(' '));
}

TEST(KeywordNames, EveryOutputKeywordIsANameInALaterPosition) {
  for (const char* k : kOutputKeywords) {
    for (const char* tail : {" n=cnt;", ";"}) {
      const std::string text =
          std::string("proc kestravine data=class; var age height;\noutput out=o mean=m1 ") + k + tail;
      auto r = parse_test::parse(text);
      ASSERT_EQ(r.errors, 0) << text << "\n" << (r.messages.empty() ? "" : r.messages[0]);
      const kes_stmt* o = r.status.first->next;
      ASSERT_NE(o, nullptr);
      ASSERT_EQ(o->slots[kSlotMean].v.count, 2) << text;
      EXPECT_EQ(name_at(o->slots[kSlotMean], 1), k) << text;
      if (std::string(tail) != ";") {
        EXPECT_EQ(name_at(o->slots[kSlotN], 0), "cnt") << text;
      }
    }
  }
}

TEST(KeywordNames, AKeywordFollowedByWhatItsOptionTakesStaysAnOption) {
  struct row {
    const char* text;
    const char* dump_holds;
  };
  const row rows[] = {
      {"proc kestravine data=class; var age;\noutput out=o median=md q3=x;", "slot 23: names 'x'"},
      {"proc kestravine data=class; var age;\noutput out=o pctlpre=p pctlpts=50;", "slot 2: numbers 50"},
      {"proc kestravine data=class; var age; by sex notsorted;", "flags 11"},
      {"proc kestravine data=class; var age; by descending sex;", "slot 8: words 1"},
  };
  for (const row& r : rows) {
    auto res = parse_test::parse(r.text);
    EXPECT_EQ(res.errors, 0) << r.text;
    EXPECT_NE(res.dump.find(r.dump_holds), std::string::npos) << r.text << "\n" << res.dump;
  }
}

TEST(KeywordNames, NamesKeepTheCaseTheyAreWrittenIn) {
  auto r = parse_test::parse("proc kestravine data=Class; var age;\noutput out=Stats mean=MeanAge Q3 pctlpre=Pre_;");
  ASSERT_EQ(r.errors, 0);
  const kes_stmt* o = r.status.first->next;
  EXPECT_EQ(name_at(o->slots[kSlotMean], 0), "MeanAge");
  EXPECT_EQ(name_at(o->slots[kSlotMean], 1), "Q3");
  EXPECT_NE(r.dump.find("data set WORK.Stats"), std::string::npos) << r.dump;
  EXPECT_NE(r.dump.find("data set WORK.Class"), std::string::npos) << r.dump;
  EXPECT_NE(r.dump.find("names 'Pre_'"), std::string::npos) << r.dump;
}

}  // namespace
