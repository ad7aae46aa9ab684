// Text handles of the output system (vemtxt, vemmsg, vemmsgs): host-owned texts that
// live until the step ends.
#pragma once
#include <cstddef>
#include <string>

namespace plat::out {

// A new text handle holding s.
void* make_text(std::string s);
// The text of a live handle; nullptr for null or unknown handles.
const std::string* text_of(const void* handle);
// Frees every text (at step end).
void release_texts();
std::size_t live_text_count();

// A blank-padded text of `length` characters (negative: NUL-terminated), cut at a
// NUL and without its trailing blanks.
std::string trimmed_text(const char* text, int length);

}  // namespace plat::out
