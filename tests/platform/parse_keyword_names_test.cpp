// A word that spells a keyword is a name in a list of names that options may
// follow, unless what comes after it fits the option (the golden parse dumps
// keyword_options and keyword_names show both sides, and names keeping their case).
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

}  // namespace
