// The metadata file beside a data set (NAME.csv.meta): what CSV cannot hold, namely
// the variables' types, lengths, labels and formats and the data set's label and
// type. Format (see README): a first line "kestravine data set metadata 1", then one
// line per item, fields separated by tabs, texts escaped (\\, \t, \n):
//   dataset <TAB> label <TAB> text
//   dataset <TAB> type <TAB> text
//   var <TAB> name <TAB> num|char <TAB> length <TAB> format or empty <TAB> label
#pragma once
#include <string>
#include <vector>

#include "data/dataset.h"

namespace plat {

struct meta_info {
  std::string ds_label;
  std::string ds_type;
  std::vector<ds_var> vars;
};

std::string meta_text(const meta_info& m);
// Reads path into *m. Returns false when there is no such file. Lines that are not
// understood are reported as warnings and skipped; a length that is not a whole
// number from 1 to max_char_length sets *error, and the data set cannot be opened.
bool read_meta(const std::string& path, meta_info* m, std::string* error);

}  // namespace plat
