// What the rest of the stand-in host may ask of the output system.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace plat {

namespace out {
struct graph_panel;
}

// BY variables and formatted values of the BY group now being processed (empty when
// there are none); later outputs of the step carry them. The data services call this
// as each BY group starts.
void output_set_by(std::vector<std::pair<std::string, std::string>> by);

// The BY variables and formatted values of the current BY group (empty: none).
std::vector<std::pair<std::string, std::string>> output_current_by();

// A graph written to a file: the listing and the JSON file get an entry "Graph" with
// its label, description and file, under the groups and BY values now current.
void output_graph(const std::string& label, const std::string& description, const std::string& file);

// Catalogue entry (set, number) of the text for a negative output-object result, for
// the host's result log; false when the result is not one of the output system's.
bool output_result_message(int result, int* set, int* number);

// Draws a template graph panel into an SVG file at path: true when written; otherwise
// the log has been told why and *why says it for the listing. The template graphs lie
// above the output system: the runner sets the drawer, and without one no panel is
// drawn.
using panel_drawer = bool (*)(const out::graph_panel& p, const std::string& path, std::string* why);
void output_set_panel_drawer(panel_drawer draw);

// Starts the JSON file of the run's JSON path, before its first step; false with
// *error set when no file can be made there.
bool output_open_json(std::string* error);
// Starts the run's template graphs: file numbers from 1 again, an empty dump file.
void output_begin_graphs();
// Ends the run's template graphs: the dump file is closed.
void output_end_graphs();

// Closes the JSON file: the complete document takes its place. The next step that has
// a JSON path starts a new file.
void output_close_json();

}  // namespace plat
