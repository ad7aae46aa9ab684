// Device colours: colour names (the CSS colour keywords, any case, and #RRGGBB) to
// device colour numbers, and back. Numbers 1 to 3 are the device's own colours
// (foreground, axes and frames, panel strips); every other colour gets the next
// number the first time it is named in a step.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/colour_names.h"
#include "core/host_routines.h"
#include "core/runtime.h"
#include "graph/device_state.h"
#include "graph/graph_messages.h"
#include "graph/graph_style.h"

namespace plat::graph {
namespace {

// The device's own colours: foreground, axes and frames, panel strips.
constexpr const char* kDeviceColours[3] = {kInk, "#4A4A4A", "#EFEFEF"};

std::string lower(std::string_view s) {
  std::string t;
  for (char c : s) t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return t;
}

std::vector<std::string>& colours() {
  std::vector<std::string>& c = state().colours;
  if (c.empty()) c.assign(std::begin(kDeviceColours), std::end(kDeviceColours));
  return c;
}

}  // namespace

std::string colour_hex(int number) {
  if (number < 0) return {};
  const std::vector<std::string>& c = colours();
  if (number == 0 || number > static_cast<int>(c.size())) return c[0];
  return c[static_cast<std::size_t>(number - 1)];
}

std::string known_colour(std::string_view name) {
  const std::string hex = plat::colour_rgb(name);
  if (!hex.empty() || name.empty()) return hex;
  std::vector<std::string>& seen = state().unknown_colours;
  const std::string key = lower(name);
  if (std::find(seen.begin(), seen.end(), key) == seen.end()) {
    seen.push_back(key);
    plat::log_message(kGraphSet, kUnknownColour, plat::name_as_written(std::string(name)).c_str());
  }
  return {};
}

int colour_number(std::string_view name) {
  const std::size_t first = name.find_first_not_of(' ');
  if (first == std::string_view::npos) return 1;
  name = name.substr(first, name.find_last_not_of(' ') + 1 - first);
  // An unknown name draws in the foreground colour.
  const std::string hex = known_colour(name);
  if (hex.empty()) return 1;
  std::vector<std::string>& c = colours();
  for (std::size_t i = 0; i < c.size(); ++i)
    if (c[i] == hex) return static_cast<int>(i) + 1;
  c.push_back(hex);
  return static_cast<int>(c.size());
}

}  // namespace plat::graph

using namespace plat::graph;

extern "C" {

int plat_ggcnum(int, const char* name8) {
  const std::string name = name8 != nullptr ? std::string(name8, strnlen(name8, 8)) : std::string();
  return colour_number(name);
}

int plat_ggcnum5(int, int index, char* name8) {
  if (index < 1 || index > 3 || name8 == nullptr) return 1;
  std::memset(name8, ' ', 8);
  std::memcpy(name8, kDeviceColours[index - 1], 7);
  return 0;
}

int plat_ggcrgb(int, int color, int* rgb) {
  const std::vector<std::string>& c = colours();
  if (rgb == nullptr || color < 1 || color > static_cast<int>(c.size())) return 1;
  *rgb = static_cast<int>(std::strtol(c[static_cast<std::size_t>(color - 1)].c_str() + 1, nullptr, 16));
  return 0;
}

}  // extern "C"
