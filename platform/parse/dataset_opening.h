// The data set opening of the parser: what the data set actions of the semantic
// routine call to read a data set's options and open it.
#pragma once
#include "parse/parse_internal.h"

namespace plat::parse {

// The data set named last, for messages ("WORK.D" for a one-level name).
std::string ds_shown(const semantics& s);
// Reads the data set options after the data set's name as raw text and keeps them
// for the action that opens the data set; options that cannot be read are reported
// and the data set is not opened.
void read_dataset_options(parser* p);
// Opens the data set named last and applies its options; null after a message.
dataset* open_with_options(parser* p, bool for_input);
// The data set most recently written in the run, for input; null when there is none
// or after a message.
dataset* open_last_written(parser* p);

}  // namespace plat::parse
