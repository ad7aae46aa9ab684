// The stand-in host's locales: the default one with the conventional English items,
// and a second one with other conventions (day-month order, grouping "." and decimal
// ",", the currency after the number, the minus sign after the number).
#pragma once

namespace plat::locales {

constexpr int english = 1;   // the default current locale
constexpr int european = 2;

// Makes a locale the current one (locale 0 of the services); false for an unknown
// handle.
bool select(int handle);
// Back to the default locale with every item as built (undoes wzsxplc).
void reset();

}  // namespace plat::locales
