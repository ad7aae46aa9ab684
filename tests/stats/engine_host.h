// A fixture for the statistics engines: the stand-in host's anchor in place, with the
// log-message and out-of-memory services replaced by recorders.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kes_test {

class engine_host : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 public:
  struct logged {
    int set, number;
    std::string name;  // the {L} name argument
    int extra = 0;     // a following int argument (message 153)
  };
  static std::vector<logged> messages;
  static std::vector<long> memmsgs;
};

}  // namespace kes_test
