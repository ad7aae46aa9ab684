// The tests' JSON reader must be strict: the JSON file tests rely on it refusing a
// file cut off part way, and the golden values on it reading numbers exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "support/json_reader.h"

namespace {

using kes_test::json;
using kes_test::parse_json;

TEST(JsonReader, RefusesWhatIsNotOneCompleteDocument) {
  for (const char* bad : {"", "{", "{\"a\": 1", "[1, 2", "[1,]", "{\"a\" 1}", "{\"a\": 1,}", "01", "1.", "-",
                          "1e", "\"open", "\"tab\there\"", "\"\\x\"", "\"\\u12\"", "tru", "nul", "{} {}", "[1] x"})
    EXPECT_FALSE(parse_json(bad, *std::make_unique<json>())) << bad;
}

TEST(JsonReader, ReadsValuesExactly) {
  json v;
  ASSERT_TRUE(parse_json(
      " {\"n\": -0.1e-2, \"third\": 0.3333333333333333, \"s\": \"a\\\"b\\\\c\\n\\u00e9\\u20ac\", \"t\": true,"
      " \"f\": false, \"z\": null, \"a\": [1, {\"missing\": \"_\"}], \"e\": {}, \"l\": []}\n",
      v));
  EXPECT_EQ(v["n"].num, -0.001);
  EXPECT_EQ(v["third"].num, 1.0 / 3.0);
  EXPECT_EQ(v["s"].str, "a\"b\\c\n\xC3\xA9\xE2\x82\xAC");
  EXPECT_TRUE(v["t"].b);
  EXPECT_EQ(v["f"].kind, json::bool_v);
  EXPECT_EQ(v["z"].kind, json::null_v);
  EXPECT_TRUE(v.has("z"));
  EXPECT_FALSE(v.has("absent"));
  EXPECT_EQ(v["absent"]["deeper"][3].kind, json::null_v);  // lookups never throw
  EXPECT_EQ(v["a"][0].cell(), 1);
  EXPECT_TRUE(std::isnan(v["a"][1].cell()));
  EXPECT_EQ(v["a"][1].missing(), "_");
  EXPECT_EQ(v["a"][0].missing(), "");
  EXPECT_EQ(v["e"].kind, json::obj_v);
  EXPECT_EQ(v["l"].kind, json::arr_v);
}

}  // namespace
