// What the shared services below the output system tell it: the output system lies
// above them, so the runner links them to it (the BY group now starting, the words of
// an output-object result), and until then they tell nothing.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace plat {

struct output_link {
  // Catalogue entry (set, number) of the text for a negative output-object result;
  // false when the result is not one of the output system's.
  bool (*result_message)(int result, int* set, int* number) = nullptr;
  // The BY variables and formatted values of the BY group now starting (empty: none).
  void (*set_by)(std::vector<std::pair<std::string, std::string>> by) = nullptr;
};

// The run's link, which the runner sets.
output_link& output_linked();

}  // namespace plat
