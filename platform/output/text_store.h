// Text handles of the output system (vemtxt, vemmsg, vemmsgs): host-owned texts that
// live until the step ends, or until the next BY group begins when made inside one.
// The texts given to an output group when it opens are the group's: they go when it
// is closed.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace plat::out {

// A new text handle holding s.
void* make_text(std::string s);
// The text of a live handle; nullptr for null or unknown handles.
const std::string* text_of(const void* handle);
// Frees one text; its handle is refused from then on.
void free_text(const void* handle);
// Frees every text (at step end).
void release_texts();
// A new BY group begins: frees the texts made since the previous one began. The
// output system copies what it keeps, so a group's texts are dead once its tables are
// out; texts made before the first group (the step's set-up) stay.
void release_group_texts();
std::size_t live_text_count();

// A blank-padded text of `length` characters (negative: NUL-terminated), cut at a
// NUL and without its trailing blanks.
std::string trimmed_text(const char* text, int length);
// The same as a view of text.
std::string_view trimmed_view(const char* text, int length);

}  // namespace plat::out
