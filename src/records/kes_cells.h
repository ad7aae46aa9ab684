// The walk over the cells of a CLASS record that carry values: the single cell
// without CLASS variables, every level cell with one, every child cell of every level
// cell with two, in level order.
#pragma once
#include <type_traits>

#include "records/kes_cell.h"
#include "records/kes_classvars.h"

// Calls visit(cell) for every such cell of cv (none when cv is null), or
// visit(cell, level) with the cell's level cell (the cell itself without a second
// CLASS variable). A visit that returns int stops the walk at its first non-zero
// result, which the walk returns; otherwise the walk returns 0.
//
// The PROC statement's record (ctx->classvars) and a plot request's (its
// classvars) are the same record today; callers pass the one whose cells they mean
// (the data's cells, or the cells a request draws), so that a request with CLASS
// variables of its own needs no change here.
template <class Visit>
int kes_each_cell(const kes_classvars* cv, Visit&& visit) {
  if (cv == nullptr) return 0;
  auto call = [&](kes_cell* cell, kes_cell* level) -> int {
    if constexpr (std::is_invocable_v<Visit&, kes_cell*, kes_cell*>) {
      if constexpr (std::is_void_v<std::invoke_result_t<Visit&, kes_cell*, kes_cell*>>) {
        visit(cell, level);
        return 0;
      } else {
        return visit(cell, level);
      }
    } else if constexpr (std::is_void_v<std::invoke_result_t<Visit&, kes_cell*>>) {
      visit(cell);
      return 0;
    } else {
      return visit(cell);
    }
  };
  for (kes_cell* level = cv->levels; level != nullptr; level = level->next) {
    if (cv->count < 2) {
      if (const int r = call(level, level); r != 0) return r;
      continue;
    }
    for (kes_cell* child = level->child; child != nullptr; child = child->next)
      if (const int r = call(child, level); r != 0) return r;
  }
  return 0;
}
