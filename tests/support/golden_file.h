// Golden files: a text compared with the file beside the tests. On a mismatch the
// text is left beside the golden as NAME.fail and the first differing line is
// reported; with KES_UPDATE_GOLDEN set in the environment the golden is written.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace kes_test {

// reduce, when given, turns both texts into the form compared (an SVG's structure,
// say); the file written on update or on a mismatch is the text as given.
::testing::AssertionResult text_matches_golden(const std::string& text, const std::filesystem::path& golden,
                                               const std::function<std::string(const std::string&)>& reduce = {});

}  // namespace kes_test
