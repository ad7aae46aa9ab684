// The graph files of a run: every finished graph, device or template, is written here
// and named in the log and the listing, so that a user finds each one.
#pragma once
#include <string>

namespace plat::graph {

// Writes document to path as a new file renamed into place; a link, FIFO, device or
// one of the run's own files (log, listing, JSON, dump) there is refused. False with
// the reason in *why.
bool write_graph_document(const std::string& path, const std::string& document, std::string* why);

// Writes a finished SVG document into the run's graphs folder (--graphs, else the
// current folder) as NAME.svg, the name made unique in the run (case-blind) with a
// numeric suffix and cut to what a file name can hold. Returns the file as the log and
// the listing show it (the folder given, then the file name); empty after a message in
// the log when the file cannot be written. A catalog folder, when given, is a folder of
// that name inside the graphs folder (made when missing).
std::string write_graph_file(const std::string& name, const std::string& document, const std::string& catalog = {});

// Says in the log (a note) and in the listing and the JSON file (an entry "Graph" with
// the description and the file) which file holds a graph.
void announce_graph(const std::string& label, const std::string& description, const std::string& file);

}  // namespace plat::graph
