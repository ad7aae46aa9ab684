// The module's connection: the image record and program connector the host reads,
// mcn_main's effects and the exported symbols of the loadable module.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <regex>
#include <string>

#include "core/host_vectors.h"
#include "driver/qorqkest.h"
#include "host/host_connection.h"

namespace {

const mcn_image* connect(void* pidb = nullptr) { return mcn_main(plat::anchor(), pidb); }

// The marker, magic word and connector are checked by the runner each time it loads
// the module, so every example program checks them.
TEST(connection, VersionAndDateTextsHaveTheirForms) {
  const mcn_image* im = connect();
  EXPECT_EQ(std::strlen(im->platform_version), 4u);
  EXPECT_EQ(im->platform_version[5], '\0');
  ASSERT_LT(std::strlen(im->release), sizeof im->release);
  EXPECT_GT(std::strlen(im->release), 0u);
  // Month abbreviation, blank, day, blank, four-digit year: 11 characters, NUL-padded.
  ASSERT_EQ(std::strlen(im->build_date), 11u);
  EXPECT_TRUE(std::regex_match(im->build_date,
                               std::regex("(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 1-3][0-9] [0-9]{4}")))
      << im->build_date;
  for (size_t i = 11; i < sizeof im->build_date; ++i) EXPECT_EQ(im->build_date[i], '\0');
  ASSERT_NE(im->notice, nullptr);
  EXPECT_GT(std::strlen(im->notice), 0u);
}

TEST(connection, MainStoresTheAnchorAndPidbAndCopiesTheHandle) {
  host_gcb* a = plat::anchor();
  void* const saved = a->qv_handle;
  int handle_target = 0;
  int pidb = 0;
  a->qv_handle = &handle_target;
  EXPECT_NE(mcn_main(a, &pidb), nullptr);
  EXPECT_EQ(v_global_gcb_anchor, a);
  EXPECT_EQ(v_global_pidb_anchor, &pidb);
  EXPECT_EQ(Exported_QVHandle, &handle_target);
  a->qv_handle = saved;
  connect();
}

// ---- exports of the loadable module ----

TEST(connection, ModuleExportsOnlyItsEntryAndAnchorWords) {
  const std::string path = std::string(KES_BINARY_DIR) + "/libkestravine.so";
  void* h = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (h == nullptr) GTEST_SKIP() << "module not built: " << dlerror();
  for (const char* name : {"mcn_main", "v_global_gcb_anchor", "v_global_pidb_anchor", "Exported_QVHandle"})
    EXPECT_NE(dlsym(h, name), nullptr) << name;
  for (const char* name : {"vi_mcn", "mcn_pcns", "pcn_QORQKEST", "qorqkest", "himodcn", "xexit", "wzstrip"})
    EXPECT_EQ(dlsym(h, name), nullptr) << name;
  // Before mcn_main runs the anchor words are zero.
  auto* anchor = static_cast<void**>(dlsym(h, "v_global_gcb_anchor"));
  if (anchor != nullptr) {
    EXPECT_EQ(*anchor, nullptr);
  }
  dlclose(h);
}

}  // namespace
