#include "metamorphic/known_failures.h"

#include <algorithm>
#include <cctype>
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

bool has(const std::vector<std::string>& words, const std::string& w) {
  return std::find(words.begin(), words.end(), w) != words.end();
}

// "at=SEED:SET" into its two numbers; false where it is not that form.
bool read_draw(const std::string& word, std::pair<std::uint64_t, long>& draw) {
  if (word.rfind("at=", 0) != 0) return false;
  const auto colon = word.find(':');
  if (colon == std::string::npos) return false;
  try {
    std::size_t used1 = 0, used2 = 0;
    const std::string seed = word.substr(3, colon - 3), set = word.substr(colon + 1);
    draw = {std::stoull(seed, &used1), std::stol(set, &used2)};
    return used1 == seed.size() && used2 == set.size() && draw.second >= 0;
  } catch (...) {
    return false;
  }
}

}  // namespace

std::vector<known_failure> read_known_failures(const std::string& text, std::vector<std::string>* errors) {
  std::vector<known_failure> known;
  std::istringstream in(text);
  int number = 0;
  auto refuse = [&](const std::string& why) {
    if (errors) errors->push_back("line " + std::to_string(number) + ": " + why);
  };
  for (std::string line; std::getline(in, line);) {
    ++number;
    line = trimmed(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    std::vector<std::string> fields;
    for (std::size_t from = 0;;) {
      const auto bar = line.find('|', from);
      fields.push_back(trimmed(line.substr(from, bar - from)));
      if (bar == std::string::npos || fields.size() == 4) {
        if (bar != std::string::npos) fields.back() = trimmed(line.substr(from));
        break;
      }
      from = bar + 1;
    }
    if (fields.size() != 4) {
      refuse("expected \"relation | kind | statistics | reason\"");
      continue;
    }
    known_failure k;
    k.line = number;
    k.relation = fields[0];
    for (const std::string& w : words(fields[1])) {
      std::pair<std::uint64_t, long> draw;
      if (read_draw(w, draw))
        k.draws.push_back(draw);
      else if (w.rfind("at=", 0) == 0)
        refuse("'" + w + "' is not at=SEED:SET");
      else
        k.kind.push_back(w);
    }
    k.statistics = words(fields[2]);
    k.reason = fields[3];
    if (k.statistics.empty()) refuse("an entry names the statistics it excuses");
    known.push_back(k);
  }
  return known;
}

std::vector<std::string> fault_words(const std::string& fault) {
  std::string line = fault.substr(0, fault.find('\n'));
  for (char& c : line)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') c = ' ';
  return words(line);
}

known_failure* explaining(std::vector<known_failure>& known, const std::string& relation, const std::string& kind,
                          draw_place where, const std::vector<std::string>& faults) {
  const std::vector<std::string> have = words(kind);
  // An entry holds wherever its relation, kind and statistics do, in any draw; one
  // that names this draw comes first, so that it is met where it must fail.
  const auto names_here = [&](const known_failure& k) {
    return std::find(k.draws.begin(), k.draws.end(), std::pair{where.seed, where.set}) != k.draws.end();
  };
  std::vector<known_failure*> order;
  for (known_failure& k : known)
    if (names_here(k)) order.push_back(&k);
  for (known_failure& k : known)
    if (!names_here(k)) order.push_back(&k);
  for (known_failure* kp : order) {
    known_failure& k = *kp;
    if (k.relation != relation) continue;
    if (!std::all_of(k.kind.begin(), k.kind.end(), [&](const std::string& w) { return has(have, w); })) continue;
    const bool every = std::all_of(faults.begin(), faults.end(), [&](const std::string& f) {
      const std::vector<std::string> about = fault_words(f);
      return std::any_of(about.begin(), about.end(), [&](const std::string& w) { return has(k.statistics, w); });
    });
    if (every) {
      for (const std::string& f : faults)
        for (const std::string& w : fault_words(f))
          if (has(k.statistics, w)) k.statistics_met.insert(w);
      return &k;
    }
  }
  return nullptr;
}

}  // namespace kes_meta
