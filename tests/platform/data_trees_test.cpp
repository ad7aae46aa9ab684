// Balanced-tree services: the order of missing values, and misuse.
#include <gtest/gtest.h>

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

class Trees : public ::testing::Test {
 protected:
  void TearDown() override { plat::finish_step(); }
};

// Repeats finding the first node, ascending lists of doubles, signed int keys and
// unsigned byte keys are data_trees_large_test, and the value lists and CLASS levels
// of the example programs datapass_sums and class_levels.
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

TEST_F(Trees, MissingKindsListFirstInTheirOrder) {
  // Below every number, in the order ._ . .A .Z; -0 equals 0.
  double mixed[] = {host_missing_of_kind(HOST_MISS_Z), 1, host_missing_of_kind(HOST_MISS_UNDERSCORE), -1e300,
                    host_missing_of_kind(HOST_MISS_STD), host_missing_of_kind(HOST_MISS_A), 0.0, -0.0,
                    host_missing_of_kind(HOST_MISS_STD)};
  std::vector<vnode> m(9);
  void* root = nullptr;
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
