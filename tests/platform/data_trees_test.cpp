// Balanced-tree services: find-or-insert, ascending lists, key kinds, missing
// values and misuse. Many keys and their repeats are data_trees_large_test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "core/host_vectors.h"
#include "core/runtime.h"
#include "data/dataset.h"
#include "data_tree_nodes.h"
#include "host/host_missing.h"

namespace {

using tree_test::as_list;
using tree_test::kOff;
using tree_test::vnode;

struct inode {
  inode* link;
  void* right;
  int key;
};

struct tnode {
  tnode* link;
  void* right;
  char text[4];
};

class Trees : public ::testing::Test {
 protected:
  void TearDown() override { plat::finish_step(); }
};

TEST_F(Trees, EqualKeysReturnTheNodeAlreadyInTheTree) {
  vnode a{}, b{}, c{};
  a.key = 3;
  b.key = 1;
  c.key = 3;
  void* root = nullptr;
  EXPECT_EQ(plat_ztrebld(&root, &a, -7, kOff), &a);
  EXPECT_EQ(plat_ztrebld(&root, &b, -7, kOff), &b);
  EXPECT_EQ(plat_ztrebld(&root, &c, -7, kOff), &a);
  plat_ztrelst(&root);
  auto l = as_list<vnode>(root);
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0], &b);
  EXPECT_EQ(l[1], &a);
}

TEST_F(Trees, NodesAreNotTouchedBeforeTheList) {
  // The module walks an old list while it inserts its nodes into a new tree.
  vnode a{}, b{};
  vnode* sentinel = reinterpret_cast<vnode*>(&b);
  a.link = sentinel;
  a.key = 5;
  void* root = nullptr;
  plat_ztrebld(&root, &a, -7, kOff);
  EXPECT_EQ(a.link, sentinel);
  plat_ztrelst(&root);
  EXPECT_EQ(root, &a);
  EXPECT_EQ(a.link, nullptr);
}

TEST_F(Trees, DoublesListInAscendingOrderWithMissingValuesFirst) {
  // Values 3, 1, 3, 2 with frequencies 1, 2, 4, 1 give 1 (2), 2 (1), 3 (5).
  std::vector<vnode> nodes(4);
  double keys[] = {3, 1, 3, 2};
  int freq[] = {1, 2, 4, 1};
  void* root = nullptr;
  for (int i = 0; i < 4; ++i) {
    nodes[i].key = keys[i];
    auto* r = static_cast<vnode*>(plat_ztrebld(&root, &nodes[i], -7, kOff));
    r->count += freq[i];
  }
  plat_ztrelst(&root);
  auto l = as_list<vnode>(root);
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0]->key, 1);
  EXPECT_EQ(l[0]->count, 2);
  EXPECT_EQ(l[1]->count, 1);
  EXPECT_EQ(l[2]->count, 5);

  // Missing kinds below every number, in the order ._ . .A .Z; -0 equals 0.
  double mixed[] = {host_missing_of_kind(HOST_MISS_Z), 1, host_missing_of_kind(HOST_MISS_UNDERSCORE), -1e300,
                    host_missing_of_kind(HOST_MISS_STD), host_missing_of_kind(HOST_MISS_A), 0.0, -0.0,
                    host_missing_of_kind(HOST_MISS_STD)};
  std::vector<vnode> m(9);
  root = nullptr;
  for (int i = 0; i < 9; ++i) {
    m[i].key = mixed[i];
    plat_ztrebld(&root, &m[i], -2, kOff);
  }
  plat_ztrelst(&root);
  auto ml = as_list<vnode>(root);
  ASSERT_EQ(ml.size(), 7u);
  EXPECT_EQ(host_missing_code(ml[0]->key), HOST_MISS_UNDERSCORE);
  EXPECT_EQ(host_missing_code(ml[1]->key), HOST_MISS_STD);
  EXPECT_EQ(host_missing_code(ml[2]->key), HOST_MISS_A);
  EXPECT_EQ(host_missing_code(ml[3]->key), HOST_MISS_Z);
  EXPECT_EQ(ml[4]->key, -1e300);
  EXPECT_EQ(ml[5]->key, 0.0);
  EXPECT_EQ(ml[6]->key, 1.0);
}

TEST_F(Trees, IntKeysOrderSigned) {
  // The missing-value tree: keys are the kinds' codes, 32-bit ints.
  int keys[] = {28, 2, -5, 3, 2, 1};
  std::vector<inode> n(6);
  void* root = nullptr;
  for (int i = 0; i < 6; ++i) {
    n[i].key = keys[i];
    plat_ztrebld(&root, &n[i], 0, offsetof(inode, key));
  }
  plat_ztrelst(&root);
  std::vector<int> got;
  for (inode* p : as_list<inode>(root)) got.push_back(p->key);
  EXPECT_EQ(got, (std::vector<int>{-5, 1, 2, 3, 28}));
}

TEST_F(Trees, ByteKeysCompareUnsignedOverTheirWidth) {
  const char* texts[] = {"b   ", "a   ", "ab  ", "\xE9   ", "a   ", "A   "};
  std::vector<tnode> n(6);
  void* root = nullptr;
  std::vector<void*> got;
  for (int i = 0; i < 6; ++i) {
    std::memcpy(n[i].text, texts[i], 4);
    got.push_back(plat_ztrebld(&root, &n[i], 4, offsetof(tnode, text)));
  }
  EXPECT_EQ(got[4], &n[1]);
  plat_ztrelst(&root);
  std::vector<std::string> order;
  for (tnode* p : as_list<tnode>(root)) order.emplace_back(p->text, 4);
  EXPECT_EQ(order, (std::vector<std::string>{"A   ", "a   ", "ab  ", "b   ", "\xE9   "}));
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
