// The graphics catalog of a run: members of the directory "GLOBAL  ", each a list of
// records, kept for the rest of the program (AXIS statements write them).
#pragma once
#include <string>
#include <vector>

namespace plat {

// Stores (or replaces) a member; the name is blank-padded to 8 characters.
void catalog_put(const std::string& member, std::vector<std::string> records);
// Marks a member whose statement was refused: it is absent, and opening it says why.
// A later catalog_put stores it again.
void catalog_refuse(const std::string& member);
// Drops every member (a new program).
void catalog_clear();

}  // namespace plat
