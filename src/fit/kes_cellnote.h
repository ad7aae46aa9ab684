// Notes that name a CLASS cell come in three forms: no CLASS variable, one (its name and
// the cell's level), two (both names and both levels).
#pragma once

struct kes_ctx;
struct kes_preq;
struct kes_cell;

// The three forms of a note, all of one set; 0 where a caller never needs that form.
struct kes_cell_forms {
  int plain, cell, cell2;
};

// Writes the form of the note for the request's number of CLASS variables: the CLASS
// names and levels of the cell first, then the text t1 and, when given, t2 (texts
// are blank-padded; their trailing blanks are not shown). A form given as 0 writes nothing.
// Of several plot statements of a kind a note says whose it is: the next note is placed
// at its statement (and keeps its BY group). One of a kind needs no place.
void kes_place_note(const kes_ctx* ctx, const kes_preq* request);

void kes_cell_note(kes_ctx* ctx, const kes_preq* request, const kes_cell* cell, int set, const kes_cell_forms& forms,
                   const char* t1, int l1, const char* t2 = nullptr, int l2 = 0);

// A comparative graph of more than kes_many_pages pages (a CLASS variable of thousands
// of levels, an ID column given by mistake, writes hundreds of files) says so once: the
// request's statement, the variable, its CLASS cells and the pages.
constexpr int kes_many_pages = 20;
void kes_pages_note(kes_ctx* ctx, const kes_preq* request, int pages);
