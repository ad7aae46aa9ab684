// The module's connection: the image record and program connector the host reads,
// mcn_main's effects and the exported symbols of the loadable module.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runner/host_table.h"
#include "driver/qorqkest.h"
#include "host/host_connection.h"
#include "support/test_settings.h"

namespace {

const mcn_image* connect(void* pidb = nullptr) { return mcn_main(plat::anchor(), pidb); }

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
  const std::string path = kes_test::built("libkestravine.so");
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
