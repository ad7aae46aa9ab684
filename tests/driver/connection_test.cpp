// The module's connection: the image record and program connector the host reads,
// mcn_main's effects, the exported symbols of the loadable module, and the forwarding
// of service calls through the anchor's vector tables.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <regex>
#include <string>

#include "core/host_vectors.h"
#include "driver/qorqkest.h"
#include "host/host_connection.h"

namespace {

const mcn_image* connect(void* pidb = nullptr) { return mcn_main(plat::anchor(), pidb); }

TEST(connection, MarkerIsTwentyTwoCharactersAndTwoNuls) {
  const mcn_image* im = connect();
  EXPECT_EQ(std::memcmp(im->marker, "QOR_Image_Information=", 22), 0);
  EXPECT_EQ(im->marker[22], '\0');
  EXPECT_EQ(im->marker[23], '\0');
  EXPECT_EQ(im->magic, 0xB0BDEBEDu);
  EXPECT_EQ(im->word28, 8u);
  EXPECT_EQ(std::memcmp(im->level, "001", 4), 0);
}

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

TEST(connection, ConnectorListHoldsOneConnectorAndANull) {
  const mcn_image* im = connect();
  ASSERT_NE(im->pcns, nullptr);
  const mcn_connector* c = im->pcns[0];
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(im->pcns[1], nullptr);
  EXPECT_EQ(c->word0, 0xFFFF0000u);
  EXPECT_EQ(c->word4, 0x400u);
  EXPECT_EQ(c->word8, 0x400u);
  EXPECT_EQ(std::memcmp(c->entry_name, "qorqkest\0\0\0\0", 12), 0);
  EXPECT_EQ(c->entry, &qorqkest);
  EXPECT_EQ(c->word28, 3u);
  EXPECT_EQ(c->word32, 0x25D3u);
  EXPECT_EQ(c->word36, 0x2051C472u);
  EXPECT_EQ(c->word40, 15u);
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

// ---- forwarding through the vector tables ----

long seen_size = 0;
void memmsg_spy(long size) { seen_size = size; }

int seen_int = 0;
std::string seen_text;
double seen_double = 0;
int pmlog_spy(int set, int number, va_list ap) {
  seen_int = va_arg(ap, int);
  seen_text = va_arg(ap, const char*);
  seen_double = va_arg(ap, double);
  return set * 1000 + number;
}

struct restore {
  int vector, slot;
  host_routine old;
  ~restore() { plat::replace_service(vector, slot, old); }
};

TEST(forwarding, ModuleCallReachesTheReplacedRoutineAndClearsTheVectorFlag) {
  connect();
  const auto& s = kes_host::services[kes_host::svc_xmemmsg];
  restore r{s.vector, s.slot,
            plat::replace_service(s.vector, s.slot, reinterpret_cast<host_routine>(&memmsg_spy))};
  plat::anchor()->vecflag[s.vector] = 0x5A;
  xmemmsg(123456789L);
  EXPECT_EQ(seen_size, 123456789L);
  EXPECT_EQ(plat::anchor()->vecflag[s.vector], 0);
}

TEST(forwarding, SubstitutionArgumentsArriveAsAVaList) {
  connect();
  const auto& s = kes_host::services[kes_host::svc_xpmlog];
  restore r{s.vector, s.slot,
            plat::replace_service(s.vector, s.slot, reinterpret_cast<host_routine>(&pmlog_spy))};
  EXPECT_EQ(xpmlog(189, 303, -7, "HEIGHT", 2.5), 189303);
  EXPECT_EQ(seen_int, -7);
  EXPECT_EQ(seen_text, "HEIGHT");
  EXPECT_EQ(seen_double, 2.5);
}

TEST(forwarding, LocaleServicesAnswerForASingleByteAsciiLocale) {
  connect();
  EXPECT_EQ(wzsxdbl(), 0);
  const unsigned char* up = wzsxtbl(2);
  ASSERT_NE(up, nullptr);
  EXPECT_EQ(up['a'], 'A');
  EXPECT_EQ(up['z'], 'Z');
  EXPECT_EQ(up['{'], '{');
  EXPECT_EQ(up[0xE9], 0xE9);
  EXPECT_EQ(wzsxtbl(5), nullptr);
  EXPECT_EQ(wzsxfld()['q'], wzsxfld()['Q']);
}

TEST(forwarding, GraphicsStopSucceedsWhenNoDeviceRuns) {
  connect();
  EXPECT_EQ(ggstop(), 0);
}

}  // namespace
