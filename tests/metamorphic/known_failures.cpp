#include "metamorphic/known_failures.h"

#include <algorithm>
#include <sstream>

namespace kes_meta {
namespace {

std::string trimmed(const std::string& s) {
  const auto b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

std::vector<std::string> words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> w;
  for (std::string word; in >> word;) w.push_back(word);
  return w;
}

}  // namespace

std::vector<known_failure> read_known_failures(const std::string& text) {
  std::vector<known_failure> known;
  std::istringstream in(text);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    line = trimmed(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    known_failure k;
    k.line = number;
    if (line.front() == '?') k.must_fail = false, line = trimmed(line.substr(1));
    const auto bar1 = line.find('|'), bar2 = line.find('|', bar1 + 1);
    k.relation = trimmed(line.substr(0, bar1));
    k.kind = words(line.substr(bar1 + 1, bar2 - bar1 - 1));
    k.reason = bar2 == std::string::npos ? "" : trimmed(line.substr(bar2 + 1));
    known.push_back(k);
  }
  return known;
}

known_failure* explaining(std::vector<known_failure>& known, const std::string& relation, const std::string& kind) {
  const std::vector<std::string> have = words(kind);
  for (known_failure& k : known) {
    if (k.relation != relation) continue;
    bool all = true;
    for (const std::string& w : k.kind) all = all && std::find(have.begin(), have.end(), w) != have.end();
    if (all) return &k;
  }
  return nullptr;
}

}  // namespace kes_meta
