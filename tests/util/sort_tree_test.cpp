// Index sort, balanced-tree insertion and centring.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "util/sort_tree.h"

namespace {

// Missing values are dropped, the rest sorted: a permutation of the others.
TEST(Zrankl, MatchesAStableReferenceOnRandomData) {
  std::mt19937 gen(7);
  for (int n : {0, 1, 2, 3, 10, 257, 1000}) {
    std::vector<double> v(static_cast<size_t>(n));
    std::uniform_int_distribution<int> d(0, n / 3 + 1);  // plenty of ties
    for (double& x : v) x = d(gen);
    if (n > 2) v[static_cast<size_t>(n) / 2] = std::numeric_limits<double>::infinity();
    if (n > 2) v[1] = std::numeric_limits<double>::quiet_NaN();
    const int kept = n > 2 ? n - 1 : n;
    std::vector<int> idx(2 * static_cast<size_t>(n) + 1);
    ASSERT_EQ(zrankl(v.data(), n, idx.data(), 1), kept);
    for (int i = 1; i < kept; ++i) ASSERT_LE(v[static_cast<size_t>(idx[i - 1])], v[static_cast<size_t>(idx[i])]);
    std::vector<int> seen(idx.begin(), idx.begin() + kept);
    std::sort(seen.begin(), seen.end());
    for (int i = 0, k = 0; i < n; ++i) {
      if (n <= 2 || i != 1) {
        ASSERT_EQ(seen[static_cast<size_t>(k++)], i);
      }
    }
  }
}

struct node {
  node* left;
  node* right;
  std::int16_t balance;
  double key;
};

int height(const node* n) { return n == nullptr ? 0 : 1 + std::max(height(n->left), height(n->right)); }

bool balanced(const node* n) {
  if (n == nullptr) return true;
  const int d = height(n->right) - height(n->left);
  return d >= -1 && d <= 1 && d == n->balance && balanced(n->left) && balanced(n->right);
}

TEST(Ztrebdf, RotatesAndFindsEqualKeys) {
  node n[4] = {};
  n[0].key = 1;
  n[1].key = 2;
  n[2].key = 3;
  n[3].key = 2;
  void* root = nullptr;
  const int off = static_cast<int>(offsetof(node, key));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ztrebdf(&root, &n[i], -1, off, nullptr), &n[i]);
  EXPECT_EQ(root, &n[1]);
  EXPECT_EQ(ztrebdf(&root, &n[3], -1, off, nullptr), &n[1]);
  EXPECT_TRUE(balanced(static_cast<node*>(root)));
}

TEST(Ztrebdf, StaysBalancedUnderRandomInserts) {
  std::vector<node> nodes(2000);
  std::mt19937 gen(11);
  void* root = nullptr;
  const int off = static_cast<int>(offsetof(node, key));
  int inserted = 0;
  for (node& nd : nodes) {
    nd.key = static_cast<double>(gen() % 1500);
    if (ztrebdf(&root, &nd, -1, off, nullptr) == &nd) ++inserted;
  }
  EXPECT_TRUE(balanced(static_cast<node*>(root)));
  EXPECT_LE(height(static_cast<node*>(root)), 1.45 * std::log2(inserted + 2));
}

TEST(Ztrecc, ComparesBytesAtTheOffset) {
  const char a[] = "xxabc", b[] = "yyabd";
  EXPECT_LT(ztrecc(a, b, 3, 2), 0);
  EXPECT_EQ(ztrecc(a, b, 2, 2), 0);
}

}  // namespace

#include "runner/host_table.h"
#include "core/runtime.h"

namespace {

TEST(Zcenter, CentresOnTheListingLine) {
  host_gcb* saved = v_global_gcb_anchor;
  v_global_gcb_anchor = plat::anchor();
  const int saved_ls = plat::config().linesize;
  plat::config().linesize = 78;
  EXPECT_EQ(zcenter(10), 35);
  EXPECT_EQ(zcenter(78), 1);
  EXPECT_EQ(zcenter(100), 1);  // wider than the line
  plat::config().linesize = saved_ls;
  v_global_gcb_anchor = saved;
}

}  // namespace
