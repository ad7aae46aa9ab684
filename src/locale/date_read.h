// Reading dates, times and datetimes by the locale's pattern language. Fields are
// read as fixed-length numbers (two characters) or as the locale's names.
#pragma once

// Statuses of getdate_fixlen.
constexpr int KES_READ_MISMATCH = 1;   // literal characters differ, or no valid date
constexpr int KES_READ_BAD_FIELD = 2;  // a field cannot be read or is out of range,
                                       // or a directive cannot be read
constexpr int KES_READ_NO_TIME_ITEMS = -1;  // the locale lacks its time patterns

// The entries: 0 read; KES_LOC_NO_ITEM the pattern item does not exist;
// KES_LOC_BAD_VALUE no valid value resulted (the value word is left untouched).
// The pattern is (text, length), or with a null text the current locale's item.
int zkpdate(const char* text, int length, const char* pattern, int length_or_item, double* date);
int zkptime(const char* text, int length, const char* pattern, int length_or_item, double* time);
int zkpdttm(const char* text, int length, const char* pattern, int length_or_item, double* datetime);

// Matches text against the pattern and sets the date and time it produces (both
// preset to missing by the caller; a part not produced stays missing).
int getdate_fixlen(int locale, const char* text, int length, const char* pattern, int pattern_len, double* date,
                   double* time);
// A two-character number: 0 to 99, or -1 when it cannot be read.
int s2i_fixlen(const char* text, int left);
