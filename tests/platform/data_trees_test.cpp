// Balanced-tree services with many keys: the large-table path, where new keys are
// held back in batches and a filter screens repeats. Repeats must find the first node
// wherever that node's key sits (held back, entered, moved by growth), the list must
// equal an independent sort, and nodes stay unwritten until the list is made (the
// module walks an old list while it inserts its nodes into a new tree). The value
// lists and CLASS levels (missing kinds first, in their order) are the example
// programs datapass_sums, class_levels and class_missing_kinds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "data/dataset.h"
#include "host/host_missing.h"

namespace {

// The value node's layout: link word first, the key after the counts.
struct vnode {
  vnode* link;
  vnode* right;
  unsigned short balance;
  int count;
  void* weights;
  double key;
};
constexpr int kOff = offsetof(vnode, key);

template <class N>
std::vector<N*> as_list(void* root) {
  std::vector<N*> v;
  for (N* p = static_cast<N*>(root); p != nullptr; p = p->link) v.push_back(p);
  return v;
}

struct inode {
  inode* link;
  int key;
};

struct tnode {
  tnode* link;
  char text[6];
};

class Trees : public ::testing::Test {
 protected:
  void TearDown() override { plat::finish_step(); }
};

// Enters distinct `keys` one by one; each comes again `lag` keys later (still held
// back while the lag is short) and all once more at the end, and the first key after
// every entry: each finds its first node wherever that sits (held back, entered,
// moved by growth). Nodes stay unwritten until the list, which is the sorted keys.
void enter_with_repeats(const std::vector<double>& keys, size_t lag) {
  const size_t m = keys.size();
  std::vector<vnode> first(m), soon(m), late(m);
  vnode mark{}, old{};
  void* root = nullptr;
  size_t soon_found = 0, late_found = 0, old_found = 0;
  for (size_t i = 0; i < m; ++i) {
    first[i].key = keys[i];
    first[i].link = &mark;
    ASSERT_EQ(plat_ztrebld(&root, &first[i], -7, kOff), &first[i]);
    if (i >= lag) {
      soon[i].key = keys[i - lag];
      soon_found += plat_ztrebld(&root, &soon[i], -7, kOff) == &first[i - lag];
    }
    old.key = keys[0];
    old_found += plat_ztrebld(&root, &old, -7, kOff) == &first[0];
  }
  for (size_t i = 0; i < m; ++i) {
    late[i].key = keys[i];
    late_found += plat_ztrebld(&root, &late[i], -7, kOff) == &first[i];
  }
  EXPECT_EQ(soon_found, m - std::min(lag, m));
  EXPECT_EQ(late_found, m);
  EXPECT_EQ(old_found, m);
  size_t untouched = 0;
  for (const vnode& v : first) untouched += v.link == &mark;
  EXPECT_EQ(untouched, m);

  plat_ztrelst(&root);
  auto l = as_list<vnode>(root);
  ASSERT_EQ(l.size(), m);
  std::vector<double> want(keys);
  std::sort(want.begin(), want.end());
  size_t in_order = 0, from_first = 0;
  for (size_t i = 0; i < m; ++i) {
    in_order += l[i]->key == want[i];
    from_first += l[i] >= &first[0] && l[i] <= &first[m - 1];
  }
  EXPECT_EQ(in_order, m);
  EXPECT_EQ(from_first, m);
}

// 400000 distinct keys pass every growth of the table and of the filter.
TEST_F(Trees, RepeatsFindTheFirstNodeAtEveryStage) {
  std::mt19937_64 gen(3);
  std::uniform_real_distribution<double> u(-1e6, 1e6);
  std::vector<double> keys(400000);
  for (double& k : keys) k = u(gen);
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  std::shuffle(keys.begin(), keys.end(), gen);
  enter_with_repeats(keys, 5);
}

// A tree of a few keys keeps them without a table (one key without a log); crossing
// into the table must keep every key findable. Keys arrive out of order.
TEST_F(Trees, SmallTreesAtEverySizeAcrossTheTable) {
  for (int n : {1, 2, 3, 7, 8, 9, 16, 17, 40}) {
    SCOPED_TRACE("keys " + std::to_string(n));
    std::vector<double> keys(n);
    for (int i = 0; i < n; ++i) keys[i] = ((i * 11 + 3) % n) - 0.5 * n;  // a permutation
    enter_with_repeats(keys, 0);
  }
}

// Signed zeros and missing kinds keep their equalities among many keys; two large
// trees filled in turn do not mix.
TEST_F(Trees, ZerosMissingKindsAndTwoTreesAtOnce) {
  const int n = 300000;
  std::vector<vnode> a(n), b(n);
  void* ra = nullptr;
  void* rb = nullptr;
  for (int i = 0; i < n; ++i) {
    a[i].key = i % 3 == 0 ? -static_cast<double>(i) : static_cast<double>(i);  // -0 first
    b[i].key = 0.5 * i;
    ASSERT_EQ(plat_ztrebld(&ra, &a[i], -7, kOff), &a[i]);
    ASSERT_EQ(plat_ztrebld(&rb, &b[i], -7, kOff), &b[i]);
  }
  vnode pos0{}, miss_a{}, miss_a2{}, miss_std{};
  pos0.key = 0.0;
  EXPECT_EQ(plat_ztrebld(&ra, &pos0, -7, kOff), &a[0]);
  miss_a.key = host_missing_of_kind(HOST_MISS_A);
  miss_a2.key = host_missing_of_kind(HOST_MISS_A);
  miss_std.key = host_missing_of_kind(HOST_MISS_STD);
  EXPECT_EQ(plat_ztrebld(&ra, &miss_a, -7, kOff), &miss_a);
  EXPECT_EQ(plat_ztrebld(&ra, &miss_std, -7, kOff), &miss_std);
  EXPECT_EQ(plat_ztrebld(&ra, &miss_a2, -7, kOff), &miss_a);
  // b's keys 0, 0.5, 1, ...: the whole numbers are a's keys too, in another tree.
  vnode two{};
  two.key = 2.0;
  EXPECT_EQ(plat_ztrebld(&rb, &two, -7, kOff), &b[4]);

  plat_ztrelst(&ra);
  plat_ztrelst(&rb);
  auto la = as_list<vnode>(ra);
  ASSERT_EQ(la.size(), static_cast<size_t>(n) + 2);
  EXPECT_EQ(host_missing_code(la[0]->key), HOST_MISS_STD);
  EXPECT_EQ(la[1], &miss_a);
  EXPECT_EQ(la[2]->key, -(n - 1) + (n - 1) % 3);  // the most negative multiple of 3
  EXPECT_TRUE(std::is_sorted(la.begin() + 2, la.end(), [](vnode* x, vnode* y) { return x->key < y->key; }));
  auto lb = as_list<vnode>(rb);
  ASSERT_EQ(lb.size(), static_cast<size_t>(n));
  EXPECT_EQ(lb.front(), &b[0]);
  EXPECT_EQ(lb.back(), &b[n - 1]);
}

// Enters every node of `first` (each key new), then each of `again` from the last
// (each finds its twin in `first`), and returns the list the tree makes, ascending.
template <class N, class Less>
std::vector<N*> enter_twice(std::vector<N>& first, std::vector<N>& again, int type, int off, Less less) {
  void* root = nullptr;
  for (N& f : first) EXPECT_EQ(plat_ztrebld(&root, &f, type, off), &f);
  size_t found = 0;
  for (size_t i = again.size(); i-- > 0;) found += plat_ztrebld(&root, &again[i], type, off) == &first[i];
  EXPECT_EQ(found, first.size());
  plat_ztrelst(&root);
  std::vector<N*> l = as_list<N>(root);
  EXPECT_EQ(l.size(), first.size());
  EXPECT_TRUE(std::is_sorted(l.begin(), l.end(), less));
  return l;
}

TEST_F(Trees, IntAndByteKeysInLargeTrees) {
  const int n = 250000;
  std::vector<inode> ints(n), again(n);
  // Keys i * 7919 mod n, spread over the sign: every one distinct.
  for (int i = 0; i < n; ++i) again[i].key = ints[i].key = static_cast<int>((static_cast<long>(i) * 7919) % n) - n / 2;
  auto l = enter_twice(ints, again, 0, offsetof(inode, key), [](inode* x, inode* y) { return x->key < y->key; });
  EXPECT_EQ(l.front()->key, -n / 2);
  EXPECT_EQ(l.back()->key, n - 1 - n / 2);

  // Six-byte texts that differ only in high bytes: unsigned order, repeats found.
  std::vector<tnode> t(n), t2(n);
  for (int i = 0; i < n; ++i) {
    const unsigned v = static_cast<unsigned>((static_cast<long>(i) * 7919) % n);
    unsigned char text[6] = {static_cast<unsigned char>(0x80 | (v >> 16)), static_cast<unsigned char>(v >> 8),
                             static_cast<unsigned char>(v), ' ', ' ', ' '};
    std::memcpy(t[i].text, text, 6);
    std::memcpy(t2[i].text, text, 6);
  }
  auto lt = enter_twice(t, t2, 6, offsetof(tnode, text),
                        [](tnode* x, tnode* y) { return std::memcmp(x->text, y->text, 6) < 0; });
  EXPECT_EQ(static_cast<unsigned char>(lt.front()->text[0]), 0x80);
}


TEST_F(Trees, EmptyTreeAndMisuse) {
  void* root = nullptr;
  plat_ztrelst(&root);
  EXPECT_EQ(root, nullptr);
  vnode a{}, b{};
  a.key = 1;
  b.key = 2;
  EXPECT_EQ(plat_ztrebld(&root, nullptr, -7, kOff), nullptr);
  plat_ztrebld(&root, &a, -7, kOff);
  plat_ztrelst(&root);
  ASSERT_EQ(root, &a);
  // Inserting into a root that now holds a list is refused, not a crash.
  EXPECT_EQ(plat_ztrebld(&root, &b, -7, kOff), nullptr);
  EXPECT_NE(plat::data_last_message().find("ztrebld"), std::string::npos);
  plat_ztrelst(&root);  // a list stays as it is
  EXPECT_EQ(root, &a);
}

}  // namespace
