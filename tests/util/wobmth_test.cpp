// Method dispatch of output objects: bucket lookup, the parent chain, the first
// matching entry, the no-method result, and the close and read-back operations.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "host/wob.h"

namespace {

// What the last routine call received.
struct seen_call {
  void* object = nullptr;
  void* entry_data = nullptr;
  void* descr_data = nullptr;
  int count = -1;
  wob_attr* attrs = nullptr;
  int op = -1;
  int arg = -1;
  void* ptr = reinterpret_cast<void*>(1);
};
seen_call last;

// Each routine returns its own tag, so a test sees which entry ran.
template <int Tag>
int tagged(void* object, void* entry_data, void* descr_data, int count, wob_attr* attrs) {
  last = seen_call{};
  last.object = object;
  last.entry_data = entry_data;
  last.descr_data = descr_data;
  last.count = count;
  last.attrs = attrs;
  return Tag;
}

int generic(void* object, void* class_data, int op, int arg, void* ptr) {
  last = seen_call{};
  last.object = object;
  last.entry_data = class_data;
  last.op = op;
  last.arg = arg;
  last.ptr = ptr;
  return 40 + op;
}

// A class with a chosen mask whose entries are linked into buckets in the order given.
struct test_class {
  std::vector<wob_descr> descrs;
  std::vector<wob_mentry> entries;
  std::vector<wob_mentry*> buckets;
  wob_class cls{};

  test_class(unsigned mask, std::vector<std::pair<int, wob_routine>> methods, const wob_class* parent,
             void* class_data = nullptr) {
    descrs.reserve(methods.size());
    entries.reserve(methods.size());
    buckets.assign(mask + 1, nullptr);
    int k = 0;
    for (auto& [id, fn] : methods) {
      descrs.push_back({fn, reinterpret_cast<void*>(static_cast<std::intptr_t>(1000 + k))});
      entries.push_back({nullptr, reinterpret_cast<void*>(static_cast<std::intptr_t>(2000 + k)),
                         &descrs.back(), id});
      wob_mentry** slot = &buckets[mask & static_cast<unsigned>(id)];
      while (*slot) slot = &(*slot)->next;
      *slot = &entries.back();
      ++k;
    }
    cls = {generic, class_data, parent, buckets.data(), mask};
  }
};

TEST(WobAttr, AStringKeepsItsLengthInTheSecondHalfOfTheSecondWord) {
  // A string keeps its length in the second half of the second word and its pointer
  // in the last word, whole even above 4 GiB addresses.
  const char* text = "manager";
  wob_attr s = wob_str(WOB_A_CLASS, text, 7);
  EXPECT_EQ(s.type, WOB_STRING);
  EXPECT_EQ(s.w.s.len, 7);
  EXPECT_EQ(s.last.str, text);
  std::uint16_t halves[2];
  std::memcpy(halves, &s.w, sizeof halves);
  EXPECT_EQ(halves[1], 7);  // second half of the word
}

TEST(Wobmth, FindsEachIdOfACollidingBucket) {
  // Mask 3: ids 1, 5 and 9 share bucket 1; 2 sits alone in bucket 2.
  test_class c(3, {{1, tagged<1>}, {5, tagged<5>}, {9, tagged<9>}, {2, tagged<2>}}, nullptr);
  wob_object obj{&c.cls};
  EXPECT_EQ(wobmth(&obj, nullptr, 1, 0, nullptr), 1);
  EXPECT_EQ(wobmth(&obj, nullptr, 5, 0, nullptr), 5);
  EXPECT_EQ(wobmth(&obj, nullptr, 9, 0, nullptr), 9);
  EXPECT_EQ(wobmth(&obj, nullptr, 2, 0, nullptr), 2);
  // 13 hashes to bucket 1 too but is not there.
  EXPECT_EQ(wobmth(&obj, nullptr, 13, 0, nullptr), WOB_NO_METHOD);
  EXPECT_EQ(wobmth(&obj, nullptr, 3, 0, nullptr), WOB_NO_METHOD);
}

TEST(Wobmth, FirstEntryOfTheSameIdWins) {
  test_class c(3, {{6, tagged<61>}, {6, tagged<62>}}, nullptr);
  wob_object obj{&c.cls};
  EXPECT_EQ(wobmth(&obj, nullptr, 6, 0, nullptr), 61);
}

TEST(Wobmth, WalksUpTheParentChainAndTheMostDerivedClassWins) {
  test_class base(15, {{300, tagged<300>}, {147, tagged<1470>}}, nullptr);
  test_class mid(15, {{428, tagged<428>}}, &base.cls);
  test_class leaf(15, {{147, tagged<1471>}}, &mid.cls);
  wob_object obj{&leaf.cls};
  EXPECT_EQ(wobmth(&obj, nullptr, 147, 0, nullptr), 1471);  // the leaf's own entry
  EXPECT_EQ(wobmth(&obj, nullptr, 428, 0, nullptr), 428);   // from the middle class
  EXPECT_EQ(wobmth(&obj, nullptr, 300, 0, nullptr), 300);   // from the root of the chain
  EXPECT_EQ(wobmth(&obj, nullptr, 999, 0, nullptr), WOB_NO_METHOD);
  // A class given explicitly starts the search there, whatever the object's own class.
  EXPECT_EQ(wobmth(&obj, &base.cls, 147, 0, nullptr), 1470);
  EXPECT_EQ(wobmth(&obj, &base.cls, 428, 0, nullptr), WOB_NO_METHOD);
  EXPECT_EQ(last.object, &obj);
}

TEST(Wobmth, NoMethodIsANegativeResult) {
  test_class c(1, {}, nullptr);
  wob_object obj{&c.cls};
  int r = wobmth(&obj, nullptr, 147, 0, nullptr);
  EXPECT_EQ(static_cast<unsigned>(r), 0x80008001u);
  EXPECT_LT(r, 0);
  EXPECT_EQ(wobmth(nullptr, nullptr, 147, 0, nullptr), WOB_NO_METHOD);
}

}  // namespace
