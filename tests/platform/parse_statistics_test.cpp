// The statement parser and the statistics list agree: every listed statistic's INSET
// keyword puts the list's code into the code stream, and its OUTPUT keyword fills the
// list's slot, so that labels, values and formats are looked up for the statistic the
// user named.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/kes_stmt.h"
#include "parse_test_util.h"
#include "records/stmt_slots.h"
#include "stats/statistics.h"

namespace {

const kes_stmt* statement(const char* name) {
  const size_t n = std::strlen(name);
  for (const kes_stmt* s = parse_test::first_node(); s != nullptr; s = s->next)
    if (std::memcmp(s->name, name, n) == 0) return s;
  return nullptr;
}

TEST(ParseStatistics, EachInsetKeywordGivesItsListedCode) {
  for (const kes_stat_row& r : KES_STAT_ROWS) {
    if (r.in_code < 0) continue;
    const std::string text = std::string("proc kestravine data=class;\nhistogram age;\ninset ") + r.in_keyword + ";\n";
    const parse_test::result p = parse_test::parse(text);
    ASSERT_EQ(p.errors, 0) << text;
    const kes_stmt* inset = statement("INSET");
    ASSERT_NE(inset, nullptr) << text;
    const kes_optslot* codes = kes_pslot(inset, 1);
    ASSERT_TRUE(codes->given && codes->list != nullptr && codes->v.count >= 2) << text;
    const auto* c = static_cast<const double*>(codes->list);
    EXPECT_EQ(c[0], r.in_code) << r.in_keyword;
  }
}

TEST(ParseStatistics, EachOutputKeywordFillsItsListedSlot) {
  for (const kes_stat_row& r : KES_STAT_ROWS) {
    if (r.out_slot == 0) continue;
    const std::string text = std::string("proc kestravine data=class;\noutput out=o ") + r.name + "=v;\n";
    const parse_test::result p = parse_test::parse(text);
    ASSERT_EQ(p.errors, 0) << text;
    const kes_stmt* output = statement("OUTPUT");
    ASSERT_NE(output, nullptr) << text;
    for (int k = KES_OUT_SLOT_FIRST; k <= KES_OUT_SLOT_LAST; ++k)
      EXPECT_EQ(kes_pslot(output, k)->given != 0, k == r.out_slot) << r.name << " slot " << k;
  }
}

}  // namespace
