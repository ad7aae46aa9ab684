// Locale items of the host: texts with a fallback, setting an item, and moving text
// into a field by whole characters.
#pragma once

#include "host/host_locale.h"

// Fetches text item `item` of the current locale into buffer; *length holds the room
// on entry and the characters stored on return. Items 8, 9, 10 and 18 to 22 hold two
// variants separated by ";": the second when the GSTYLE option is on. A missing item
// gives the fallback text (when given). 0, or -1 for an item below 0.
int zkgetloc(int item, char* buffer, int* length, const char* fallback, int fallback_len);
// Sets text item `item` of the current locale: the host's result.
int zksetloc(int item, const char* text, int length);
// Moves source into the field by whole characters and blank-fills the rest.
void zkmove(const char* source, int source_len, char* dest, int dest_len);

// The item of a locale (0: the current one), or null when it does not exist.
const host_locale_item* kes_locale_item(int locale, int item);
// Entry `index` of an item as (text, length); false when the item has no such entry.
bool kes_locale_entry(const host_locale_item* item, int index, const char** text, int* length);
// The length of the longest of the item's first `count` entries.
int kes_locale_longest(const host_locale_item* item, int count);
// The pattern of a formatter or reader: (text, length) as given, or a locale item's
// text for a null text and a positive item number. false when the item is missing.
bool kes_locale_pattern(int locale, const char* text, int length_or_item, const char** pattern, int* length);
