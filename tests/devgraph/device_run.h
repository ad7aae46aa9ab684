// A whole program run under device graphics into a scratch folder's "graphs"
// subfolder (emptied first), with the folder as the WORK library; the graph files it
// wrote, by name.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace devgraph_test {

int device_run(const std::filesystem::path& dir, const std::filesystem::path& program);
std::vector<std::string> graph_files(const std::filesystem::path& dir);

}  // namespace devgraph_test
