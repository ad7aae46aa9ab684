// Index sort, balanced-tree insertion and centring.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "driver/sort_tree.h"

namespace {

TEST(Zrankl, DropsMissingAndSorts) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double v[4] = {3, nan, 1, 2};
  int idx[8];
  ASSERT_EQ(zrankl(v, 4, idx, 1), 3);
  EXPECT_EQ(idx[0], 2);
  EXPECT_EQ(idx[1], 3);
  EXPECT_EQ(idx[2], 0);
}

TEST(Zrankl, OneValueAndNone) {
  const double v[1] = {5};
  int idx[2] = {-1, -1};
  EXPECT_EQ(zrankl(v, 1, idx, 0), 1);
  EXPECT_EQ(idx[0], 0);
  EXPECT_EQ(zrankl(v, 0, idx, 1), 0);
}

TEST(Zrankl, MatchesAStableReferenceOnRandomData) {
  std::mt19937 gen(7);
  for (int n : {2, 3, 10, 257, 1000}) {
    std::vector<double> v(static_cast<size_t>(n));
    std::uniform_int_distribution<int> d(0, n / 3 + 1);  // plenty of ties
    for (double& x : v) x = d(gen);
    v[static_cast<size_t>(n) / 2] = std::numeric_limits<double>::infinity();
    std::vector<int> idx(2 * static_cast<size_t>(n));
    ASSERT_EQ(zrankl(v.data(), n, idx.data(), 1), n);
    for (int i = 1; i < n; ++i) ASSERT_LE(v[static_cast<size_t>(idx[i - 1])], v[static_cast<size_t>(idx[i])]);
    std::vector<int> seen(idx.begin(), idx.begin() + n);
    std::sort(seen.begin(), seen.end());
    for (int i = 0; i < n; ++i) ASSERT_EQ(seen[static_cast<size_t>(i)], i);  // a permutation
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

#include "core/host_vectors.h"
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
