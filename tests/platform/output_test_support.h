// Helpers for the output system's tests: an output system whose
// listing and log are captured in memory, and attribute-array shorthands.
#pragma once
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/wob.h"
#include "support/json_reader.h"
#include "output/output_system.h"
#include "output/text_store.h"

namespace out_test {

using jvalue = kes_test::json;
using kes_test::parse_json;

// ---- an output system with captured listing and log ----
struct logged {
  int number;
  std::string first_text;  // the object kind (third argument) of the entry
};
inline std::vector<logged>& log_entries() {
  static std::vector<logged> v;
  return v;
}
inline void record_log(int number, ...) {
  va_list ap;
  va_start(ap, number);
  logged e{number, {}};
  if (number >= 2 && number < 30) {
    (void)va_arg(ap, int);
    const char* kind = va_arg(ap, const char*);
    e.first_text = kind ? kind : "";
  }
  va_end(ap);
  log_entries().push_back(e);
}

class system_fixture : public ::testing::Test {
 protected:
  void SetUp() override {
    log_entries().clear();
    plat::out::hooks h;
    h.listing = [this](std::string_view l) { lines.emplace_back(l); };
    h.linesize = 80;
    h.log = record_log;
    sys = std::make_unique<plat::out::output_system>(std::move(h), json.is_open() ? &json : nullptr);
    root = sys->root();
  }
  void TearDown() override {
    sys.reset();
    plat::out::release_texts();
  }
  // The listing as one text with newlines.
  std::string listing() const {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
  }
  // A manager made as the step driver makes it.
  void* make_manager() {
    wob_attr a[5] = {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "manager", 7), wob_out(WOB_A_HANDLE),
                     wob_int(WOB_A_MESSAGE_SET, 189), wob_last(WOB_A_STEP_NOPRINT, 0)};
    EXPECT_EQ(wobmth(root, nullptr, WOB_M_CREATE, 5, a), 0);
    return a[2].w.p;
  }
  static void* txt(const char* s) { return plat::out::make_text(s); }

  plat::out::json_file json;
  std::unique_ptr<plat::out::output_system> sys;
  void* root = nullptr;
  std::vector<std::string> lines;
};

// The same with a JSON file in the temporary folder, one step begun.
class json_system_fixture : public system_fixture {
 protected:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() /
            ("kes-out-" + std::to_string(::getpid()) + "-" + std::to_string(serial()++) + ".json");
    ASSERT_TRUE(json.open(path_.string(), nullptr));
    json.begin_step();
    system_fixture::SetUp();
  }
  void TearDown() override {
    system_fixture::TearDown();
    json.close();
    std::filesystem::remove(path_);
  }
  std::string json_text() const {
    const_cast<plat::out::json_file&>(json).publish();
    std::ifstream in(path_);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  jvalue json_doc() const {
    jvalue v;
    std::string text = json_text();
    EXPECT_TRUE(parse_json(text, v)) << text;
    return v;
  }
  static int& serial() {
    static int n = 0;
    return n;
  }
  std::filesystem::path path_;
};

// A one-column numeric table "Small" under a manager, and emitting it with one row.
struct small_table {
  void* mgr = nullptr;
  void* table = nullptr;
  double value = 0;

  void define(void* manager) {
    mgr = manager;
    wob_attr c[5] = {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "data", 4), wob_out(WOB_A_HANDLE),
                     wob_text(WOB_A_NAME, plat::out::make_text("Small")),
                     wob_text(WOB_A_LABEL, plat::out::make_text("Small Table"))};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_CREATE, 5, c), 0);
    table = c[2].w.p;
    wob_attr col[4] = {wob_int(WOB_A_COLUMN_TYPE, 5), wob_text(WOB_A_NAME, plat::out::make_text("Value")),
                       wob_text(WOB_A_LABEL, plat::out::make_text("Value")), wob_addr(WOB_A_CELL, &value)};
    EXPECT_EQ(wobmth(table, nullptr, WOB_M_DEFINE_COLUMN, 4, col), 0);
    EXPECT_EQ(wobmth(table, nullptr, WOB_M_END_DEFINE, 0, nullptr), 0);
  }
  // Binds, fills and emits the table; returns the bound table's (then gone) handle.
  void* emit(double v) {
    wob_attr b[3] = {wob_out(0), wob_out(0, table), wob_text(WOB_A_TEMPLATE, plat::out::make_text("orbo.kestravine.Small"))};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 3, b), 0);
    value = v;
    EXPECT_EQ(wobmth(table, nullptr, WOB_M_ADD_ROW, 0, nullptr), 0);
    EXPECT_EQ(wobmth(table, nullptr, WOB_M_END_ROWS, 0, nullptr), 0);
    wob_attr e[1] = {wob_out(0, b[0].w.p)};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_EMIT, 1, e), 0);
    return b[0].w.p;
  }
};

}  // namespace out_test
