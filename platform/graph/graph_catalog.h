// The graphics catalog of a run: members of the directory "GLOBAL  ", each a list of
// records, kept for the rest of the program (AXIS statements write them).
#pragma once
#include <string>
#include <vector>

namespace plat {

// Stores (or replaces) a member; the name is blank-padded to 8 characters.
void catalog_put(const std::string& member, std::vector<std::string> records);
// Drops every member (a new program).
void catalog_clear();

}  // namespace plat
