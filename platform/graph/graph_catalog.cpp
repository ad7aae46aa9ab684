// The stand-in's graphics catalog and its services: directories, members read record
// by record, member names from a prefix and a number, and the graphics text helpers
// that the readers of axis definitions use.
#include "graph/graph_catalog.h"

#include <cctype>
#include <cstring>
#include <map>
#include <set>

#include "core/host_routines.h"
#include "graph/device_state.h"

namespace plat {
namespace {

const char kDirectory[9] = "GLOBAL  ";
std::map<std::string, std::vector<std::string>> members;
std::set<std::string> refused;
int directory_token;  // the address handed out as the open directory

struct open_member {
  const std::vector<std::string>* records;
  size_t next;
};

std::string padded(const std::string& s) {
  std::string t = s.substr(0, 8);
  t.resize(8, ' ');
  return t;
}

// Graphics area of the stand-in, for lengths in absolute units: 20 by 15 cm.
constexpr double kAreaCm[2] = {20.0, 15.0};
constexpr double kCellsPerArea[2] = {80.0, 30.0};

}  // namespace

void catalog_put(const std::string& member, std::vector<std::string> records) {
  refused.erase(padded(member));
  members[padded(member)] = std::move(records);
}
void catalog_refuse(const std::string& member) {
  members.erase(padded(member));
  refused.insert(padded(member));
}
void catalog_clear() {
  members.clear();
  refused.clear();
}

}  // namespace plat

extern "C" {

int plat_xldopen(void*, const char* name8, int, void** directory) {
  if (std::memcmp(name8, plat::kDirectory, 8) != 0) return 1;
  *directory = &plat::directory_token;
  return 0;
}

int plat_xldclos(void*) { return 0; }

int plat_xlmopen(const host_member_name* name, void** member) {
  *member = nullptr;
  if (name == nullptr || std::memcmp(name->type, plat::kDirectory, 8) != 0) return 1;
  auto it = plat::members.find(std::string(name->name, 8));
  if (it == plat::members.end()) return plat::refused.count(std::string(name->name, 8)) != 0 ? HOST_MEMBER_REFUSED : 1;
  *member = new plat::open_member{&it->second, 0};
  return 0;
}

int plat_xlmread(void* member, host_member_read* read) {
  auto* m = static_cast<plat::open_member*>(member);
  if (m == nullptr || m->next >= m->records->size()) return 1;
  const std::string& r = (*m->records)[m->next++];
  if (static_cast<int>(r.size()) > read->capacity) return 2;
  std::memcpy(read->buffer, r.data(), r.size());
  read->length = static_cast<int>(r.size());
  return 0;
}

int plat_xlmclos(void* member, int) {
  delete static_cast<plat::open_member*>(member);
  return 0;
}

int plat_znamsuf(int, const char* name, int length, char* prefix, int prefix_len, int* number) {
  int end = length;
  while (end > 0 && name[end - 1] == ' ') --end;
  int start = end;
  while (start > 0 && std::isdigit(static_cast<unsigned char>(name[start - 1]))) --start;
  *number = -1;
  if (start < end && end - start <= 9) *number = std::atoi(std::string(name + start, name + end).c_str());
  std::memset(prefix, ' ', static_cast<size_t>(prefix_len));
  std::memcpy(prefix, name, static_cast<size_t>(start < prefix_len ? start : prefix_len));
  return start;
}

int plat_znamfix(int, const char* prefix, int prefix_len, int number, int max_digits, char* name, int name_len) {
  const std::string digits = std::to_string(number);
  if (number < 0 || static_cast<int>(digits.size()) > max_digits || prefix_len + static_cast<int>(digits.size()) > name_len)
    return -1;
  std::memset(name, ' ', static_cast<size_t>(name_len));
  std::memcpy(name, prefix, static_cast<size_t>(prefix_len));
  std::memcpy(name + prefix_len, digits.data(), digits.size());
  return prefix_len + static_cast<int>(digits.size());
}

// Units " PCILDTA": blank and P percent, C character cells, I inches, L... as
// centimetres for L, D, T and A (the stand-in has no device to measure them on).
double plat_ggl2pct(int, int unit, int axis, double value) {
  const int a = axis == 2 ? 1 : 0;
  switch (unit) {
    case 2: return value * 100.0 / plat::kCellsPerArea[a];
    case 3: return value * 2.54 * 100.0 / plat::kAreaCm[a];
    case 0: case 1: return value;
    default: return value * 100.0 / plat::kAreaCm[a];
  }
}

void plat_ggstri(host_gtext* text) {
  std::memset(text, 0, sizeof *text);
  std::memset(text->font, ' ', 8);
  std::memset(text->color, ' ', 8);
  // The device's default text height once it is started (one character cell).
  const double h = plat::graph::state().started ? plat::graph::state().device.default_height : 2.5;
  text->height = static_cast<float>(h);
  text->just = 4;
  text->word = 1;
}

void plat_ggfname(const char* name, int length, char* field) {
  std::memset(field, ' ', 8);
  for (int i = 0; i < length && i < 8 && name[i] != ' '; ++i)
    field[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
}

}  // extern "C"
