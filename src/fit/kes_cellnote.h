// Notes that name a CLASS cell come in three forms: no CLASS variable, one (its name and
// the cell's level), two (both names and both levels).
#pragma once
#include "host/host_services.h"

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

// The same for a note of any arguments: the form for the request's CLASS variables with
// their names and the cell's levels before the arguments the note's text reads after
// them.
struct kes_cell_names {
  int n;  // 0, 1 or 2 CLASS variables named
  int len[4];
  const char* text[4];
};
kes_cell_names kes_cell_named(const kes_preq* request, const kes_cell* cell);
template <class... A>
void kes_cell_log(const kes_ctx* ctx, const kes_preq* request, const kes_cell* cell, int set, const kes_cell_forms& forms,
                  A... args) {
  const kes_cell_names c = kes_cell_named(request, cell);
  const int form = c.n == 0 ? forms.plain : c.n == 1 ? forms.cell : forms.cell2;
  if (form == 0) return;
  kes_place_note(ctx, request);
  if (c.n == 0) xpmlog(set, form, args...);
  else if (c.n == 1) xpmlog(set, form, c.len[0], c.text[0], c.len[1], c.text[1], args...);
  else xpmlog(set, form, c.len[0], c.text[0], c.len[1], c.text[1], c.len[2], c.text[2], c.len[3], c.text[3], args...);
}

// A note of one form that names the cell before its text: as it is without CLASS
// variables, else "For Month = 7, " and the text with its first letter lowered.
void kes_cell_text_lead(const kes_cell_names& c, char* text, int len);
template <class... A>
void kes_cell_text_note(const kes_ctx* ctx, const kes_preq* request, const kes_cell* cell, int set, int msg,
                        A... args) {
  const kes_cell_names c = kes_cell_named(request, cell);
  kes_place_note(ctx, request);
  if (c.n == 0) {
    xpmlog(set, msg, args...);
    return;
  }
  char text[512];
  const int len = xpmstr(text, static_cast<int>(sizeof text) - 1, set, msg, args...);
  kes_cell_text_lead(c, text, len);
}

// A comparative graph of more than kes_many_pages pages (a CLASS variable of thousands
// of levels, an ID column given by mistake, writes hundreds of files) says so once: the
// request's statement, the variable, its CLASS cells and the pages.
constexpr int kes_many_pages = 20;
void kes_pages_note(kes_ctx* ctx, const kes_preq* request, int pages);
