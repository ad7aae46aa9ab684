// A test fixture that runs steps against the stand-in host with some of its services
// replaced by recorders: step exit, log messages, BY groups, variable names, output
// objects and texts, the OUTTABLE close and the graphics stop. Pools stay the
// stand-in's, seen through a thin proxy that counts them and can refuse one request.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

struct kes_stages;

namespace kes_test {

// One recorded output-object method call.
struct method_call {
  int method;
  std::string name;         // attribute 138 text, when given
};

// What the replaced services saw during a step.
struct host_record {
  std::vector<std::string> events;     // "by", "rw(66)", "grp(NAME)", "close", "vpute", "vputt",
                                       // "ggstop", "msg(set/number)", and what a test adds
  std::vector<std::string> messages;   // "set/number" of each xpmlog call
  std::vector<int> exits;              // xexit codes
  std::vector<int> prrlogs;            // xprrlog results
  std::vector<long> memmsgs;           // xmemmsg sizes
  std::vector<method_call> calls;      // output-object method calls
  int groups_open = 0;                 // output groups opened and not yet closed
  int pools_made = 0;
  int pools_deleted = 0;
  std::vector<int> live_pool_flags;    // flags of the pools alive after the step
  int open_pools_added = 0;            // the stand-in's count of open pools, after - before
};

class fake_host : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs one step through the given stages and returns what the step returned.
  int run_step(const kes_stages* stages);

  int count_messages(const char* key) const;
  int count_events(const std::string& event) const;
  // Position of the first event equal to `event` at or after `from`; -1 when none.
  int find_event(const std::string& event, int from = 0) const;

 public:
  // Settings read by the replaced services.
  static int by_groups;          // BY groups xbynext offers
  static int xobinit_result;     // xobinit's result
  static int ggstop_result;      // ggstop's result
  static int create_result;      // result of method 147 (create), when not 0
  static long refuse_size;       // a pool request of this size (flags 0x2002) fails
  static host_record rec;
};

}  // namespace kes_test
